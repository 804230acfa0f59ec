#pragma once
// The progress dialog: a small window with a caption, an optional picture, a text line, a
// progress bar and an optional cancel button. It runs modeless, driven by the caller
// through the properties (every setter shows its value at once), or modal (Execute),
// driven by a timer that asks OnProgress for new values every Interval milliseconds.
//
// Every show/close pair leaves Min, Max, Position, Interval, Caption, Text and Image as
// they were before the show: changes made while the window is open are undone when it
// closes.

#include <memory>
#include <string>

#include "lib/JvBaseDlg.h"
#include "lib/JvComponent.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/StdCtrls.h"

class TJvProgressDialog;

// The values a progress step hands to the dialog's OnProgress and takes back.
struct TJvProgressValues {
  Integer Min = 0;
  Integer Max = 100;
  Integer Position = 0;
  Integer Interval = 200;
  std::string Caption;
  std::string Text;
  TPicture* Picture = nullptr;
};

// The dialog's window, read from its stored form description: the picture (imProgress,
// drawn by the form itself), the text (Label1), the bar, the cancel button, the step timer
// and the Alt+F4 action.
class TfrmProgress : public TJvForm {
  RTL_DECLARE_CLASS(TfrmProgress, TJvForm)
public:
  using TProgressCallback = std::function<void(TJvProgressValues& Values, bool& Continue)>;

  explicit TfrmProgress(TComponent* AOwner) : TJvForm(AOwner) {}

  // Published components of the stored description.
  TImage* imProgress = nullptr;
  TLabel* Label1 = nullptr;
  TProgressBar* pbProgress = nullptr;
  TButton* btnCancel = nullptr;
  TTimer* tmProgress = nullptr;
  TActionList* ActionList1 = nullptr;
  TAction* Action1 = nullptr;

  // Published handlers.
  void FormPaint(TObject* Sender);
  // A close the program did not ask for (the system menu, a close message) is a cancel
  // while cancelling is allowed, and refused otherwise.
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void btnCancelClick(TObject* Sender);
  void tmProgressTimer(TObject* Sender);
  // Alt+F4: a cancel while cancelling is allowed; otherwise the key does nothing.
  void Action1Execute(TObject* Sender);

  void SetTransparent(bool Value) { imProgress->SetTransparent(Value); }
  void SetCancelAllowed(bool Value) { cancelAllowed_ = Value; }
  bool CancelAllowed() const { return cancelAllowed_; }
  bool Cancelled() const { return cancelled_; }
  void SetProgressCallback(const TProgressCallback& Value) { onProgress_ = Value; }
  void SetCancelCallback(const std::function<void()>& Value) { onCancel_ = Value; }
  // The outcome: mrOk, or mrCancel when the window ended with "cancel".
  TModalResult Outcome() const { return outcome_; }
  bool RunsModal() const { return FormState().Contains(fsModal); }

  // Shows the values (and re-lays the window out).
  void ApplyValues(const TJvProgressValues& Values, bool ShowCancel);
  // Places the picture, the text, the bar and the button under each other.
  void LayoutControls();
  // Shows a new position: only the bar repaints, and only when what it shows moves.
  void ShowPosition(Integer Value);
  // Shows a new text: only the text repaints, unless its height changed and with it the
  // place of what lies under it. A text that comes less than kTextPaintIntervalMs after
  // the last one painted is painted when that time is over, the newest text then: a long
  // task may change it hundreds of times a second.
  void ShowText(const std::string& Value);
  static constexpr ULONGLONG kTextPaintIntervalMs = 40;
  // One step: asks the callback for new values and applies them; closes with "cancel"
  // when the timer is now off or the callback stopped. Whether it continues.
  bool ProgressStep();
  // Cancel (the button, or Alt+F4 while cancel is allowed).
  void DoCancel();
  // Ends the window with Result.
  void Finish(TModalResult Result);

  // The later text paint's timer.
  void WMTimer(TMessage& Message);

protected:
  void CreateParams(TCreateParams& Params) override;
  // A child that moves inside the window (the text taking its new width) asks the window to
  // take its size again: one that has it already is left alone.
  void AdjustSize() override;
  // The text label stays hidden: the form draws it (see FormPaint).
  void Loaded() override;

private:
  bool hasImage() const;

  // Paints the text where it was last painted and where it is now.
  void paintTextNow();

  // When and where the text was last painted, and whether a later paint is set.
  ULONGLONG textPaintedAt_ = 0;
  TRect textPaintedIn_{};
  bool textPaintPending_ = false;
  bool cancelAllowed_ = true;
  bool cancelled_ = false;
  bool finishing_ = false;
  TModalResult outcome_ = mrNone;
  TProgressCallback onProgress_;
  std::function<void()> onCancel_;
};

using TJvProgressEvent = TEvent<void(TObject* Sender, bool& AContinue)>;

class TJvProgressDialog : public TJvCommonDialogF {
  RTL_DECLARE_CLASS(TJvProgressDialog, TJvCommonDialogF)
public:
  explicit TJvProgressDialog(TComponent* AOwner);
  ~TJvProgressDialog() override;

  // (Re)opens the window modeless: an open one is released first.
  void ShowModeless();
  // Closes the open window, if any, and lets the pending messages through.
  void CloseModeless();
  // Shows the window modally; true unless the user cancelled.
  bool Execute() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  const std::string& Text() const { return text_; }
  void SetText(const std::string& Value);
  Integer Min() const { return min_; }
  void SetMin(Integer Value);
  Integer Max() const { return max_; }
  void SetMax(Integer Value);
  Integer Position() const { return position_; }
  void SetPosition(Integer Value);
  Integer Interval() const { return interval_; }
  void SetInterval(Integer Value);
  bool ShowCancel() const { return showCancel_; }
  void SetShowCancel(bool Value);
  bool Smooth() const { return smooth_; }
  void SetSmooth(bool Value);
  TPicture* Image() const { return image_; }
  void SetImage(TPicture* Value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value) { transparent_ = Value; }
  TPosition ScreenPosition() const { return screenPosition_; }
  void SetScreenPosition(TPosition Value) { screenPosition_ = Value; }
  const TNotifyEvent& OnShow() const { return onShow_; }
  void SetOnShow(const TNotifyEvent& Value) { onShow_ = Value; }
  const TNotifyEvent& OnClose() const { return onClose_; }
  void SetOnClose(const TNotifyEvent& Value) { onClose_ = Value; }
  const TNotifyEvent& OnCancel() const { return onCancel_; }
  void SetOnCancel(const TNotifyEvent& Value) { onCancel_ = Value; }
  const TJvProgressEvent& OnProgress() const { return onProgress_; }
  void SetOnProgress(const TJvProgressEvent& Value) { onProgress_ = Value; }

  // Set by a cancel, cleared at every show.
  bool Cancelled() const { return cancelled_; }
  // The open window, null when none.
  TfrmProgress* Form() const { return form_; }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TfrmProgress* createForm();
  // Lets the open window free itself later (after the messages queued now) and forgets it;
  // its close is not reported.
  void releaseForm();
  void fillForm(TfrmProgress* Form);
  TJvProgressValues currentValues() const;
  void saveSettings();
  void restoreSettings();
  void refreshForm();
  void formClose(TObject* Sender, TCloseAction& Action);
  void progress(TJvProgressValues& Values, bool& Continue);
  void cancelled();

  std::string caption_;
  std::string text_;
  Integer min_ = 0;
  Integer max_ = 100;
  Integer position_ = 0;
  Integer interval_ = 200;
  bool showCancel_ = true;
  bool smooth_ = false;
  TPicture* image_;
  bool transparent_ = false;
  TPosition screenPosition_ = poDesktopCenter;
  TNotifyEvent onShow_;
  TNotifyEvent onClose_;
  TNotifyEvent onCancel_;
  TJvProgressEvent onProgress_;
  bool cancelled_ = false;
  TfrmProgress* form_ = nullptr;

  // The settings at show time, put back when the window closes.
  struct Snapshot {
    std::unique_ptr<TPicture, TObjectDeleter> Image;
    Integer Min = 0, Max = 100, Interval = 200, Position = 0;
    std::string Caption, Text;
  } saved_;
};
