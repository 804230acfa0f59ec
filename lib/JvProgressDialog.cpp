#include "lib/JvProgressDialog.h"

#include <algorithm>

#include "lib/JvUtils.h"

RTL_IMPLEMENT_CLASS(TJvCommonDialogF)

// ---------------------------------------------------------------------------------------
// TfrmProgress

void TfrmProgress::CreateParams(TCreateParams& Params) {
  TJvForm::CreateParams(Params);
  // Without a caption the window keeps a dialog frame but no caption bar (a pop-up window,
  // as the system gives every overlapped window a caption).
  if (Caption().empty()) {
    Params.Style &= ~WS_CAPTION;
    Params.Style |= WS_POPUP | WS_DLGFRAME;
  }
}

void TfrmProgress::AdjustSize() {
  if (HandleAllocated()) {
    RECT window;
    GetWindowRect(WindowHandle(), &window);
    if (window.right - window.left == Width() && window.bottom - window.top == Height()) return;
  }
  TJvForm::AdjustSize();
}

bool TfrmProgress::hasImage() const {
  TGraphic* graphic = imProgress->Picture()->Graphic();
  return graphic && !graphic->Empty();
}

void TfrmProgress::ApplyValues(const TJvProgressValues& Values, bool ShowCancel) {
  const bool hadCaptionBar = !Caption().empty();
  SetCaption(Values.Caption);
  if (hadCaptionBar != !Values.Caption.empty()) {
    // A caption bar that comes moves the window's top down by the caption height, one that
    // goes moves it up (the height follows the client area the layout sets).
    const Integer captionHeight = GetSystemMetrics(SM_CYCAPTION);
    SetTop(Top() + (hadCaptionBar ? -captionHeight : captionHeight));
    if (HandleAllocated()) RecreateWnd();
  }
  Label1->SetCaption(Values.Text);
  pbProgress->SetMin(Values.Min);
  pbProgress->SetMax(Values.Max);
  pbProgress->SetPosition(Values.Position);
  if (Values.Picture && Values.Picture != imProgress->Picture()) imProgress->Picture()->Assign(Values.Picture);
  tmProgress->SetInterval(static_cast<Cardinal>(Values.Interval > 0 ? Values.Interval : 0));
  tmProgress->SetEnabled(Values.Interval > 0);
  btnCancel->SetVisible(ShowCancel);
  cancelAllowed_ = ShowCancel;
  LayoutControls();
}

void TfrmProgress::LayoutControls() {
  Integer labelTop = 12;
  if (hasImage()) {
    // The image control sizes itself to the picture.
    labelTop = imProgress->Top() + imProgress->Height() + 12;
    const Integer wanted = imProgress->Width() + 2 * imProgress->Left();
    if (ClientWidth() < wanted) SetClientWidth(wanted);
  }
  Label1->SetTop(labelTop);
  pbProgress->SetTop(Label1->Top() + Label1->Height() + 8);
  Integer bottom = pbProgress->Top() + pbProgress->Height();
  if (btnCancel->Visible()) {
    btnCancel->SetTop(bottom + 16);
    bottom = btnCancel->Top() + btnCancel->Height();
  }
  SetClientHeight(bottom + 16);
}

void TfrmProgress::ShowPosition(Integer Value) {
  // The bar holds a position within its range: one past the end shows as the end, and a task
  // stepping on past it does not ask the bar again.
  const Integer low = pbProgress->Min(), high = std::max(low, pbProgress->Max());
  if (pbProgress->Position() == std::clamp(Value, low, high)) return;
  pbProgress->SetPosition(Value);
  pbProgress->Update();
}

namespace {

// The form's own timer for a text paint put off (the step timer has a window of its own).
constexpr UINT_PTR kTextPaintTimer = 0x5458;

// Paints Area of Form's client at once on a DC of its window (background, OnPaint, graphic
// controls). A long task changes the text hundreds of times: going
// through the window's paint cycle costs about ten requests to the window server each time,
// this about three. Windowed children are clipped out of the DC and are not touched.
void paintAreaNow(TCustomForm* Form, const TRect& Area) {
  HWND window = Form->Handle();
  HDC dc = GetDC(window);
  if (!dc) {
    UpdateWindow(window);
    return;
  }
  IntersectClipRect(dc, Area.left, Area.top, Area.right, Area.bottom);
  // The DC in both parameters: a double-buffered window erases only into its buffer.
  Form->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
  Form->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  ReleaseDC(window, dc);
}

}  // namespace

void TfrmProgress::paintTextNow() {
  // Where the text was and where it is: a shorter text leaves background behind.
  const TRect now = Label1->BoundsRect();
  TRect area;
  if (IsRectEmpty(&textPaintedIn_)) area = now;
  else UnionRect(&area, &textPaintedIn_, &now);
  paintAreaNow(this, area);
}

void TfrmProgress::WMTimer(TMessage& Message) {
  if (Message.WParam != kTextPaintTimer) {
    INHERITED_MESSAGE(Message);
    return;
  }
  KillTimer(Handle(), kTextPaintTimer);
  textPaintPending_ = false;
  if (Showing()) paintTextNow();
}

void TfrmProgress::ShowText(const std::string& Value) {
  if (Label1->Caption() == Value) return;
  const Integer height = Label1->Height();
  const TRect before = Label1->BoundsRect();
  Label1->SetCaption(Value);
  if (Label1->Height() != height) {
    LayoutControls();
    Repaint();
  } else if (HandleAllocated() && Showing()) {
    // A paint already set shows the newest text.
    if (textPaintPending_) return;
    // Soon after the last paint the text waits for the rest of the interval (painted now
    // when no timer can be had).
    const ULONGLONG since = GetTickCount64() - textPaintedAt_;
    if (since < kTextPaintIntervalMs &&
        SetTimer(Handle(), kTextPaintTimer, static_cast<UINT>(kTextPaintIntervalMs - since), nullptr))
      textPaintPending_ = true;
    else
      paintTextNow();
  } else if (HandleAllocated()) {
    const TRect after = Label1->BoundsRect();
    TRect area;
    UnionRect(&area, &before, &after);
    InvalidateRect(Handle(), &area, TRUE);
  }
}

void TfrmProgress::Loaded() {
  TJvForm::Loaded();
  // A hidden label keeps its text and its size but invalidates nothing when the text changes:
  // ShowText paints the new text itself, and a long task changes it hundreds of times.
  Label1->SetVisible(false);
}

void TfrmProgress::FormPaint(TObject*) {
  // The image control and the label stay hidden: the form draws them, the label as its
  // window would paint it.
  if (hasImage()) Canvas()->Draw(imProgress->Left(), imProgress->Top(), imProgress->Picture()->Graphic());
  HDC dc = Canvas()->Handle();
  RECT place = Label1->BoundsRect();
  if (RectVisible(dc, &place)) {
    // The newest text is painted: a later paint set for it has nothing left to do.
    if (textPaintPending_) {
      KillTimer(Handle(), kTextPaintTimer);
      textPaintPending_ = false;
    }
    textPaintedAt_ = GetTickCount64();
    textPaintedIn_ = place;
    const int saved = SaveDC(dc);
    MoveWindowOrg(dc, Label1->Left(), Label1->Top());
    IntersectClipRect(dc, 0, 0, Label1->Width(), Label1->Height());
    Label1->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    RestoreDC(dc, saved);
  }
}

bool TfrmProgress::ProgressStep() {
  tmProgress->SetEnabled(false);
  bool goOn = true;
  if (onProgress_) {
    TJvProgressValues values;
    values.Min = pbProgress->Min();
    values.Max = pbProgress->Max();
    values.Position = pbProgress->Position();
    values.Interval = static_cast<Integer>(tmProgress->Interval());
    values.Caption = Caption();
    values.Text = Label1->Caption();
    values.Picture = imProgress->Picture();
    onProgress_(values, goOn);
    ApplyValues(values, btnCancel->Visible());
    Repaint();
  }
  if (!tmProgress->Enabled() || !goOn) {
    Finish(mrCancel);
    return false;
  }
  return true;
}

void TfrmProgress::tmProgressTimer(TObject*) {
  if (cancelled_) return;
  if (!ProgressStep() || !tmProgress->Enabled()) Finish(mrOk);
}

void TfrmProgress::DoCancel() {
  cancelled_ = true;
  if (onCancel_) onCancel_();
  Finish(mrCancel);
}

void TfrmProgress::btnCancelClick(TObject*) { DoCancel(); }

void TfrmProgress::Action1Execute(TObject*) {
  if (cancelAllowed_) DoCancel();
}

void TfrmProgress::Finish(TModalResult Result) {
  outcome_ = Result;
  tmProgress->SetEnabled(false);
  finishing_ = true;
  if (RunsModal()) SetModalResult(Result);
  else if (Visible()) Close();
}

void TfrmProgress::FormCloseQuery(TObject*, bool& CanClose) {
  if (finishing_) return;
  CanClose = false;
  if (cancelAllowed_) DoCancel();
}

RTL_BEGIN_CLASS(TfrmProgress)
  using T = TfrmProgress;
#define FIELD(Name) b.Field(#Name, &T::Name)
  FIELD(imProgress); FIELD(Label1); FIELD(pbProgress); FIELD(btnCancel); FIELD(tmProgress); FIELD(ActionList1);
  FIELD(Action1);
#undef FIELD
#define METHOD(Name) b.Method(#Name, &T::Name)
  METHOD(FormPaint); METHOD(FormCloseQuery); METHOD(btnCancelClick); METHOD(tmProgressTimer); METHOD(Action1Execute);
#undef METHOD
  b.Message(WM_TIMER, &T::WMTimer);
RTL_END_CLASS

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
  auto* form = New<TfrmProgress>(Application);
  form->FreeNotification(this);
  form->SetPosition(screenPosition_);
  return form;
}

void TJvProgressDialog::fillForm(TfrmProgress* Form) {
  Form->SetTransparent(transparent_);
  Form->pbProgress->SetSmooth(smooth_);
  Form->btnCancel->SetCaption("Cancel");
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
    if (!form->tmProgress->Enabled()) form->ProgressStep();
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

// A setter that changes nothing costs nothing; position and text, which a long task sets
// over and over, touch only the bar or the text of the open window.
void TJvProgressDialog::SetCaption(const std::string& Value) {
  if (caption_ == Value) return;
  caption_ = Value;
  refreshForm();
}
void TJvProgressDialog::SetText(const std::string& Value) {
  if (text_ == Value) return;
  text_ = Value;
  if (form_) form_->ShowText(text_);
}
void TJvProgressDialog::SetMin(Integer Value) {
  if (min_ == Value) return;
  min_ = Value;
  refreshForm();
}
void TJvProgressDialog::SetMax(Integer Value) {
  if (max_ == Value) return;
  max_ = Value;
  refreshForm();
}
void TJvProgressDialog::SetPosition(Integer Value) {
  if (position_ == Value) return;
  position_ = Value;
  if (form_) form_->ShowPosition(position_);
}
void TJvProgressDialog::SetInterval(Integer Value) {
  if (interval_ == Value) return;
  interval_ = Value;
  refreshForm();
}
void TJvProgressDialog::SetShowCancel(bool Value) {
  if (showCancel_ == Value) return;
  showCancel_ = Value;
  refreshForm();
}
void TJvProgressDialog::SetSmooth(bool Value) {
  smooth_ = Value;
  if (form_) form_->pbProgress->SetSmooth(Value);
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

