#pragma once
// The extended form base: the extended-control operations (JvExControls) on a form, and
// keyboard cues: a form that starts showing initialises its focus and accelerator cues,
// and Tab, the arrow keys and Alt make them visible.

#include "lib/JvExControls.h"
#include "platform/gui/Forms.h"

class TJvExForm : public TForm, public IJvExtendedControl {
  RTL_DECLARE_CLASS(TJvExForm, TForm)
  JV_EX_COMMON_MEMBERS(TJvExForm, TForm)
  JV_EX_WINDOWED_MEMBERS(TJvExForm, TForm)
public:
  explicit TJvExForm(TComponent* AOwner) : TForm(AOwner) {}
  TJvExForm(TComponent* AOwner, Integer Dummy) : TForm(AOwner, Dummy) {}

  // Message handlers (public for the message map).
  void CMShowingChanged(TMessage& Msg);
  void CMDialogKey(TCMDialogKey& Msg);

protected:
  void WndProc(TMessage& Msg) override;
};
