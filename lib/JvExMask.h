#pragma once
// The extended masked-edit base: the class library's masked edit with the operations,
// hint colour, mouse-inside flag and events of the extended bases (JvExControls), plus a
// per-message clipboard filter and the choice of beeping at invalid input.

#include "lib/JvExControls.h"
#include "platform/gui/Mask.h"

// The clipboard messages an edit may act on (bit 0 to bit 4).
RTL_ENUM(TJvClipboardCommand, caCopy, caCut, caPaste, caClear, caUndo)
using TJvClipboardCommands = Set<TJvClipboardCommand>;

class TJvExCustomMaskEdit : public TCustomMaskEdit, public IJvExtendedControl {
  RTL_DECLARE_CLASS(TJvExCustomMaskEdit, TCustomMaskEdit)
  JV_EX_COMMON_MEMBERS(TJvExCustomMaskEdit, TCustomMaskEdit)
  JV_EX_WINDOWED_MEMBERS(TJvExCustomMaskEdit, TCustomMaskEdit)
public:
  explicit TJvExCustomMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {}

  // WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR and WM_UNDO / EM_UNDO reach the edit only while
  // their command is in the set; any other gets Result 1 and nothing happens.
  TJvClipboardCommands ClipboardCommands() const { return clipboardCommands_; }
  virtual void SetClipboardCommands(TJvClipboardCommands Value) { clipboardCommands_ = Value; }
  bool BeepOnInvalidInput() const { return beepOnInvalidInput_; }
  virtual void SetBeepOnInvalidInput(bool Value) { beepOnInvalidInput_ = Value; }

  // The sound of rejected input, when BeepOnInvalidInput is set.
  void SignalInvalidInput();

protected:
  void WndProc(TMessage& Msg) override;

private:
  TJvClipboardCommands clipboardCommands_{caCopy, caCut, caPaste, caClear, caUndo};
  bool beepOnInvalidInput_ = true;
};

namespace JvExMaskUnit {
void Initialize();
void Finalize();
}  // namespace JvExMaskUnit
