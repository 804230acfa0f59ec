#include "lib/JvProgressDialog.h"

#include <commctrl.h>

#include "lib/JvUtils.h"

RTL_IMPLEMENT_CLASS(TJvCommonDialogF)

// ---------------------------------------------------------------------------------------
// TJvProgressBarView

TJvProgressBarView::TJvProgressBarView(TComponent* AOwner) : TWinControl(AOwner) { SetBounds(0, 0, 150, 16); }

void TJvProgressBarView::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, PROGRESS_CLASSA);
  if (smooth_) Params.Style |= PBS_SMOOTH;
}

void TJvProgressBarView::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min_), static_cast<LPARAM>(max_));
  SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TJvProgressBarView::SetRange(Integer Min, Integer Max) {
  min_ = Min;
  max_ = Max;
  if (HandleAllocated()) SendMessageA(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min_), static_cast<LPARAM>(max_));
}

void TJvProgressBarView::SetPosition(Integer Value) {
  position_ = Value;
  if (HandleAllocated()) SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TJvProgressBarView::SetSmooth(bool Value) {
  if (smooth_ == Value) return;
  smooth_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

RTL_IMPLEMENT_CLASS(TJvProgressBarView)

// ---------------------------------------------------------------------------------------
// TfrmProgress

TfrmProgress::TfrmProgress(TComponent* AOwner) : TJvForm(AOwner, 0), picture_(new TPicture()) {
  // No name: a released window may still be waiting to be freed when the next one is made,
  // and both belong to the application, where names must be unique.
  SetBorderStyle(bsToolWindow);
  SetBorderIcons({});
  SetScaled(false);
  SetCaption("Caption");
  Font()->SetName("MS Sans Serif");
  Font()->SetHeight(-11);
  SetClientWidth(316);
  SetClientHeight(165);

  label1_ = new TLabel(this);
  label1_->SetName("Label1");
  label1_->SetParent(this);
  label1_->SetLeft(16);
  label1_->SetTop(70);
  label1_->SetCaption("Label");

  pbProgress_ = new TJvProgressBarView(this);
  pbProgress_->SetName("pbProgress");
  pbProgress_->SetParent(this);
  pbProgress_->SetBounds(16, 88, 284, 16);
  pbProgress_->SetAnchors({akLeft, akTop, akRight});

  btnCancel_ = new TButton(this);
  btnCancel_->SetName("btnCancel");
  btnCancel_->SetParent(this);
  btnCancel_->SetBounds(224, 124, 75, 25);
  btnCancel_->SetCaption("Cancel");
  btnCancel_->SetCancel(true);
  btnCancel_->SetAnchors({akTop, akRight});
  btnCancel_->SetOnClick(TNotifyEvent(this, &TfrmProgress::cancelClick));

  tmProgress_ = new TTimer(this);
  tmProgress_->SetName("tmProgress");
  tmProgress_->SetEnabled(false);
  tmProgress_->SetOnTimer(TNotifyEvent(this, &TfrmProgress::timerTick));

  SetOnCloseQuery(TCloseQueryEvent(this, &TfrmProgress::closeQuery));
}

void TfrmProgress::CreateParams(TCreateParams& Params) {
  TJvForm::CreateParams(Params);
  // Without a caption the window keeps a dialog frame but no caption bar.
  if (Caption().empty()) {
    Params.Style &= ~WS_CAPTION;
    Params.Style |= WS_DLGFRAME;
  }
}

void TfrmProgress::ApplyValues(const TJvProgressValues& Values, bool ShowCancel) {
  const bool hadCaptionBar = !Caption().empty();
  SetCaption(Values.Caption);
  if (HandleAllocated() && hadCaptionBar != !Values.Caption.empty()) RecreateWnd();
  label1_->SetCaption(Values.Text);
  pbProgress_->SetRange(Values.Min, Values.Max);
  pbProgress_->SetPosition(Values.Position);
  if (Values.Picture) picture_->Assign(Values.Picture);
  tmProgress_->SetInterval(static_cast<Cardinal>(Values.Interval > 0 ? Values.Interval : 0));
  tmProgress_->SetEnabled(Values.Interval > 0);
  btnCancel_->SetVisible(ShowCancel);
  cancelAllowed_ = ShowCancel;
  LayoutControls();
}

void TfrmProgress::LayoutControls() {
  Integer labelTop = 12;
  const bool hasImage = picture_->Graphic() && !picture_->Graphic()->Empty();
  if (hasImage) {
    imageRect_ = Bounds(imageRect_.left, imageRect_.top, picture_->Width(), picture_->Height());
    labelTop = imageRect_.bottom + 12;
    if (ClientWidth() < picture_->Width() + 2 * imageRect_.left) SetClientWidth(picture_->Width() + 2 * imageRect_.left);
  } else {
    imageRect_ = Bounds(imageRect_.left, imageRect_.top, 0, 0);
  }
  label1_->SetTop(labelTop);
  pbProgress_->SetTop(label1_->Top() + label1_->Height() + 8);
  Integer bottom = pbProgress_->Top() + pbProgress_->Height();
  if (btnCancel_->Visible()) {
    btnCancel_->SetTop(bottom + 16);
    bottom = btnCancel_->Top() + btnCancel_->Height();
  }
  SetClientHeight(bottom + 16);
}

void TfrmProgress::Paint() {
  TJvForm::Paint();
  if (picture_->Graphic() && !picture_->Graphic()->Empty()) {
    picture_->Graphic()->SetTransparent(transparent_);
    Canvas()->Draw(imageRect_.left, imageRect_.top, picture_->Graphic());
  }
}

bool TfrmProgress::ProgressStep() {
  tmProgress_->SetEnabled(false);
  bool goOn = true;
  if (onProgress_) {
    TJvProgressValues values;
    values.Min = pbProgress_->Min();
    values.Max = pbProgress_->Max();
    values.Position = pbProgress_->Position();
    values.Interval = static_cast<Integer>(tmProgress_->Interval());
    values.Caption = Caption();
    values.Text = label1_->Caption();
    values.Picture = picture_.get();
    onProgress_(values, goOn);
    ApplyValues(values, btnCancel_->Visible());
    Repaint();
  }
  if (!tmProgress_->Enabled() || !goOn) {
    Finish(mrCancel);
    return false;
  }
  return true;
}

void TfrmProgress::timerTick(TObject*) {
  if (cancelled_) return;
  if (!ProgressStep() || !tmProgress_->Enabled()) Finish(mrOk);
}

void TfrmProgress::DoCancel() {
  cancelled_ = true;
  if (onCancel_) onCancel_();
  Finish(mrCancel);
}

void TfrmProgress::cancelClick(TObject*) { DoCancel(); }

void TfrmProgress::Finish(TModalResult Result) {
  outcome_ = Result;
  tmProgress_->SetEnabled(false);
  finishing_ = true;
  if (RunsModal()) SetModalResult(Result);
  else if (Visible()) Close();
}

void TfrmProgress::closeQuery(TObject*, bool& CanClose) {
  if (finishing_) return;
  // A close the program did not ask for (Alt+F4, the system menu) is a cancel while
  // cancelling is allowed, and refused otherwise.
  if (cancelAllowed_) {
    CanClose = false;
    DoCancel();
  } else {
    CanClose = false;
  }
}

// ---------------------------------------------------------------------------------------
// TJvProgressDialog

TJvProgressDialog::TJvProgressDialog(TComponent* AOwner) : TJvCommonDialogF(AOwner), image_(new TPicture()) {}

TJvProgressDialog::~TJvProgressDialog() {
  releaseForm();
  delete image_;
}

void TJvProgressDialog::releaseForm() {
  if (!form_) return;
  TfrmProgress* old = form_;
  form_ = nullptr;
  old->RemoveFreeNotification(this);
  old->SetOnClose(TCloseEvent());
  old->Release();
}

void TJvProgressDialog::Notification(TComponent* AComponent, TOperation Operation) {
  TJvCommonDialogF::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == form_) form_ = nullptr;
}

TJvProgressValues TJvProgressDialog::currentValues() const {
  TJvProgressValues v;
  v.Min = min_;
  v.Max = max_;
  v.Position = position_;
  v.Interval = interval_;
  v.Caption = caption_;
  v.Text = text_;
  v.Picture = image_;
  return v;
}

void TJvProgressDialog::saveSettings() {
  saved_.Image.reset(new TPicture());
  saved_.Image->Assign(image_);
  saved_.Min = min_;
  saved_.Max = max_;
  saved_.Interval = interval_;
  saved_.Position = position_;
  saved_.Caption = caption_;
  saved_.Text = text_;
}

void TJvProgressDialog::restoreSettings() {
  if (saved_.Image) image_->Assign(saved_.Image.get());
  min_ = saved_.Min;
  max_ = saved_.Max;
  interval_ = saved_.Interval;
  position_ = saved_.Position;
  caption_ = saved_.Caption;
  text_ = saved_.Text;
}

TfrmProgress* TJvProgressDialog::createForm() {
  auto* form = new TfrmProgress(Application);
  form->FreeNotification(this);
  form->SetPosition(screenPosition_);
  return form;
}

void TJvProgressDialog::fillForm(TfrmProgress* Form) {
  Form->SetTransparent(transparent_);
  Form->ProgressBar()->SetSmooth(smooth_);
  Form->CancelButton()->SetCaption("Cancel");
  Form->SetProgressCallback([this](TJvProgressValues& Values, bool& Continue) { progress(Values, Continue); });
  Form->SetCancelCallback([this] { cancelled(); });
  Form->ApplyValues(currentValues(), showCancel_);
}

void TJvProgressDialog::ShowModeless() {
  releaseForm();
  form_ = createForm();
  form_->SetOnClose(TCloseEvent(this, &TJvProgressDialog::formClose));
  cancelled_ = false;
  if (onShow_) onShow_(this);
  saveSettings();
  fillForm(form_);
  form_->Show();
  form_->Update();
}

void TJvProgressDialog::CloseModeless() {
  if (form_) form_->Finish(mrOk);
  if (Application) Application->ProcessMessages();
}

void TJvProgressDialog::formClose(TObject* Sender, TCloseAction& Action) {
  Action = caFree;
  if (Sender == form_) {
    form_->RemoveFreeNotification(this);
    form_ = nullptr;
  }
  restoreSettings();
  if (onClose_) onClose_(this);
}

bool TJvProgressDialog::Execute() {
  cancelled_ = false;
  releaseForm();
  if (onShow_) onShow_(this);
  saveSettings();
  std::unique_ptr<TfrmProgress, TObjectDeleter> form(createForm());
  fillForm(form.get());
  TModalResult outcome = mrCancel;
  form_ = form.get();
  try {
    if (!form->Timer()->Enabled()) form->ProgressStep();
    // A step that already ended the window leaves nothing to show.
    if (form->Outcome() == mrNone) form->ShowModal();
    outcome = form->Outcome() == mrCancel || form->Outcome() == mrNone ? mrCancel : mrOk;
  } catch (...) {
    form_ = nullptr;
    restoreSettings();
    throw;
  }
  form_ = nullptr;
  form->RemoveFreeNotification(this);
  form.reset();
  restoreSettings();
  if (onClose_) onClose_(this);
  return JvIsPositiveResult(outcome);
}

void TJvProgressDialog::progress(TJvProgressValues& Values, bool& Continue) {
  if (!onProgress_) return;
  min_ = Values.Min;
  max_ = Values.Max;
  position_ = Values.Position;
  interval_ = Values.Interval;
  caption_ = Values.Caption;
  text_ = Values.Text;
  if (Values.Picture && Values.Picture != image_) image_->Assign(Values.Picture);
  onProgress_(this, Continue);
  Values.Min = min_;
  Values.Max = max_;
  Values.Position = position_;
  Values.Interval = interval_;
  Values.Caption = caption_;
  Values.Text = text_;
  Values.Picture = image_;
}

void TJvProgressDialog::cancelled() {
  if (onCancel_) onCancel_(this);
  cancelled_ = true;
}

void TJvProgressDialog::refreshForm() {
  if (!form_) return;
  form_->ApplyValues(currentValues(), showCancel_);
  form_->Repaint();
}

void TJvProgressDialog::SetCaption(const std::string& Value) {
  caption_ = Value;
  refreshForm();
}
void TJvProgressDialog::SetText(const std::string& Value) {
  text_ = Value;
  refreshForm();
}
void TJvProgressDialog::SetMin(Integer Value) {
  min_ = Value;
  refreshForm();
}
void TJvProgressDialog::SetMax(Integer Value) {
  max_ = Value;
  refreshForm();
}
void TJvProgressDialog::SetPosition(Integer Value) {
  position_ = Value;
  refreshForm();
}
void TJvProgressDialog::SetInterval(Integer Value) {
  interval_ = Value;
  refreshForm();
}
void TJvProgressDialog::SetShowCancel(bool Value) {
  showCancel_ = Value;
  refreshForm();
}
void TJvProgressDialog::SetSmooth(bool Value) {
  smooth_ = Value;
  if (form_) form_->ProgressBar()->SetSmooth(Value);
}
void TJvProgressDialog::SetImage(TPicture* Value) {
  image_->Assign(Value);
  refreshForm();
}

RTL_BEGIN_CLASS(TJvProgressDialog)
using D = TJvProgressDialog;
b.Property("Caption", &D::Caption, &D::SetCaption);
b.Property("Text", &D::Text, &D::SetText);
b.Property("Min", &D::Min, &D::SetMin).Default(0);
b.Property("Max", &D::Max, &D::SetMax).Default(100);
b.Property("Position", &D::Position, &D::SetPosition).Default(0);
b.Property("Interval", &D::Interval, &D::SetInterval).Default(200);
b.Property("ShowCancel", &D::ShowCancel, &D::SetShowCancel).Default(true);
b.Property("Smooth", &D::Smooth, &D::SetSmooth).Default(false);
b.Property("Image", &D::Image, &D::SetImage);
b.Property("Transparent", &D::Transparent, &D::SetTransparent).Default(false);
b.Property("ScreenPosition", &D::ScreenPosition, &D::SetScreenPosition).Default(poDesktopCenter);
b.Property("OnShow", &D::OnShow, &D::SetOnShow);
b.Property("OnClose", &D::OnClose, &D::SetOnClose);
b.Property("OnCancel", &D::OnCancel, &D::SetOnCancel);
b.Property("OnProgress", &D::OnProgress, &D::SetOnProgress);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TfrmProgress)
