#pragma once
// JvDialogs: the library's open and save file dialogs.
//
// TJvOpenDialog and TJvSaveDialog are the class library's file dialogs with a few additions:
// the file list can open in details view and take the focus; the OK button and the
// file-type label can get texts of their own; a share violation and a failure of the
// dialog reach events; the dialog can be given a size and centred on the main form's
// monitor. On the old systems whose file dialog cannot be sized, the component makes it
// sizeable itself when ofEnableSizing asks for it (a sizing frame, a size command in the
// system menu, a painted size grip, and the controls moved and stretched with the frame).
#include <windows.h>

#include <functional>
#include <string>

#include "platform/gui/Dialogs.h"

RTL_ENUM(TJvOpenDialogAC, acEdit, acListView)
RTL_ENUM(TJvOpenDialogAS, asSmallIcon, asReport)

// A failed or cancelled dialog: ErrorCode is the common dialogs' extended error (0 for a
// plain cancel).
using TDialogErrorEvent = TEvent<void(TObject* Sender, DWORD ErrorCode)>;

// A window procedure that calls Method (for subclassing a window with a method); release
// it with JvReleaseWindowMethod. Releasing none does nothing.
WNDPROC JvWrapWindowMethod(TWndMethod Method);
void JvReleaseWindowMethod(WNDPROC Instance);

class TJvOpenDialog : public TOpenDialog {
  RTL_DECLARE_CLASS(TJvOpenDialog, TOpenDialog)
public:
  explicit TJvOpenDialog(TComponent* AOwner);
  ~TJvOpenDialog() override;

  bool Execute() override;

  // Which control has the focus when the dialog shows: the file-name edit, or the file
  // list (which then also selects its first item).
  TJvOpenDialogAC ActiveControl() const { return activeControl_; }
  void SetActiveControl(TJvOpenDialogAC Value) { activeControl_ = Value; }
  // The view of the file list: the system's default, or details.
  TJvOpenDialogAS ActiveStyle() const { return activeStyle_; }
  void SetActiveStyle(TJvOpenDialogAS Value) { activeStyle_ = Value; }
  // Kept for stored descriptions; it has no effect.
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value) { autoSize_ = Value; }
  // The OK button's text and the file-type label's text ("" leaves the system's). A new
  // text set while the dialog shows applies at once.
  const std::string& DefBtnCaption() const { return defBtnCaption_; }
  void SetDefBtnCaption(const std::string& Value);
  const std::string& FilterLabelCaption() const { return filterLabelCaption_; }
  void SetFilterLabelCaption(const std::string& Value);
  // The dialog's size: with UseUserSize the dialog takes it, centred across and a third
  // down the main form's monitor. After a run both are at least the size the dialog
  // showed with.
  Integer Height() const { return height_; }
  void SetHeight(Integer Value) { height_ = Value; }
  Integer Width() const { return width_; }
  void SetWidth(Integer Value) { width_ = Value; }
  bool UseUserSize() const { return useUserSize_; }
  void SetUseUserSize(bool Value) { useUserSize_ = Value; }

  const TDialogErrorEvent& OnError() const { return onError_; }
  void SetOnError(const TDialogErrorEvent& Value) { onError_ = Value; }
  // A share violation on the chosen file: CanClose (true on entry) accepts the name; false
  // refuses it without the system's warning.
  const TCloseQueryEvent& OnShareViolation() const { return onShareViolation_; }
  void SetOnShareViolation(const TCloseQueryEvent& Value) { onShareViolation_ = Value; }

  // Run-time state: the dialog's window while it shows; its client rectangle when last
  // laid out; the smallest size it may be tracked to; whether the component sizes the
  // dialog itself (decided once, from the system's release); whether the file list was
  // prepared in this run.
  HWND DialogWindow() const { return dialogWindow_; }
  const TRect& PreviousClientRect() const { return previousClientRect_; }
  const TPoint& MinTrackSize() const { return minTrackSize_; }
  bool OldStyleSizing() const { return oldStyleSizing_; }
  bool ViewPrepared() const { return viewPrepared_; }

  // Replaces the system dialog for every open dialog of this class while set (tests answer
  // it without a modal window): it gets the dialog, may set FileName, and returns whether
  // it was confirmed. Save dialogs have their own (TJvSaveDialog::ExecuteHook).
  static std::function<bool(TJvOpenDialog*)>& ExecuteHook();

  // Messages of the dialog, from its hook.
  void WMNotify(TWMNotify& Message);
  void WMEnterIdle(TMessage& Message);
  void WMDestroy(TMessage& Message);

protected:
  // The sizing frame's messages (subclassed dialog window, old-style sizing only).
  virtual void DialogFrameProc(TMessage& Message);
  // Raises OnError.
  virtual void DoError(DWORD ErrorCode);

  bool TaskModalDialog(TDialogFunc DialogFunc, void* DialogData) override;
  void DoShow() override;
  void DoFolderChange() override;

  // The custom texts to the OK button and the file-type label.
  void ApplyCaptions();
  // Details view and list focus, once the shell's file list exists; then the user size.
  void PrepareView();
  void ApplyUserSize();
  void PaintSizeGrip();
  // Moves and stretches the dialog's controls by the change of its client size.
  void RepositionControls();
  // The text of the size command for the dialog's system menu.
  std::string SizeMenuCaption();

  HWND dialogWindow_ = nullptr;
  TRect previousClientRect_{};
  TPoint minTrackSize_{};
  bool oldStyleSizing_ = false;
  bool viewPrepared_ = false;

private:
  TJvOpenDialogAC activeControl_ = acEdit;
  TJvOpenDialogAS activeStyle_ = asSmallIcon;
  bool autoSize_ = false;
  std::string defBtnCaption_;
  std::string filterLabelCaption_;
  Integer height_ = 0;
  Integer width_ = 0;
  bool useUserSize_ = false;
  TDialogErrorEvent onError_;
  TCloseQueryEvent onShareViolation_;
  WNDPROC frameProc_ = nullptr;
  // The window the frame procedure subclasses and the procedure it replaced (kept apart
  // from DialogWindow, which goes before the frame's last messages).
  HWND frameWindow_ = nullptr;
  WNDPROC previousFrameProc_ = nullptr;
};

// The save dialog: the same additions; it always shows the system's save dialog.
class TJvSaveDialog : public TJvOpenDialog {
  RTL_DECLARE_CLASS(TJvSaveDialog, TJvOpenDialog)
public:
  explicit TJvSaveDialog(TComponent* AOwner) : TJvOpenDialog(AOwner) {}

  bool Execute() override;

  // Replaces the system dialog for every save dialog while set (tests answer it without a
  // modal window): it gets the dialog, may set FileName, and returns whether it was
  // confirmed.
  static std::function<bool(TJvSaveDialog*)>& ExecuteHook();

protected:
  bool TaskModalDialog(TDialogFunc DialogFunc, void* DialogData) override;
};

namespace JvDialogsUnit {
void Initialize();
void Finalize();
}  // namespace JvDialogsUnit
