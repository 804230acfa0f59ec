// The progress dialog: modeless (driven through its properties) and modal (driven by its
// timer and OnProgress), the settings snapshot undone at close, cancelling by the button
// and by Alt+F4, the window's layout, and the window read from its stored description. No test can hang: every modal run has a
// watchdog that ends it.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "lib/JvProgressDialog.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/Menus.h"

namespace {

class Events : public TObject {
  RTL_DECLARE_CLASS(Events, TObject)
public:
  int shows = 0, closes = 0, cancels = 0, steps = 0;
  Integer stepBy = 25;
  bool cancelAtFirstStep = false;
  TJvProgressDialog* dialog = nullptr;
  void Show(TObject*) { ++shows; }
  void Close(TObject*) { ++closes; }
  void Cancel(TObject*) { ++cancels; }
  void Progress(TObject*, bool& Continue) {
    ++steps;
    if (cancelAtFirstStep) {
      dialog->Form()->btnCancel->Click();
      return;
    }
    dialog->SetPosition(dialog->Position() + stepBy);
    dialog->SetText("Passo " + IntToStr(steps));
    if (dialog->Position() >= dialog->Max()) Continue = false;
  }
};
RTL_IMPLEMENT_CLASS(Events)

// Ends a modal run that did not end by itself (a failing test must not hang).
class Watchdog : public TObject {
  RTL_DECLARE_CLASS(Watchdog, TObject)
public:
  explicit Watchdog(TJvProgressDialog* d) : dialog(d), timer(new TTimer(nullptr)) {
    timer->SetInterval(5000);
    timer->SetOnTimer(TNotifyEvent(this, &Watchdog::Fire));
  }
  ~Watchdog() override { delete timer; }
  void Fire(TObject*) {
    fired = true;
    timer->SetEnabled(false);
    if (dialog->Form()) dialog->Form()->Finish(mrAbort);
  }
  TJvProgressDialog* dialog;
  TTimer* timer;
  bool fired = false;
};
RTL_IMPLEMENT_CLASS(Watchdog)

class JvProgressDialogTest : public guitest::GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    dialog = new TJvProgressDialog(nullptr);
    ev.dialog = dialog;
    dialog->SetOnShow(TNotifyEvent(&ev, &Events::Show));
    dialog->SetOnClose(TNotifyEvent(&ev, &Events::Close));
    dialog->SetOnCancel(TNotifyEvent(&ev, &Events::Cancel));
  }
  void TearDown() override {
    delete dialog;
    guitest::pumpFor(30);
    GuiTest::TearDown();
  }
  int progressWindows() const {
    int n = 0;
    for (Integer i = 0; i < Screen->CustomFormCount(); ++i)
      if (Screen->CustomForms(i)->InheritsFrom(TfrmProgress::StaticClass())) ++n;
    return n;
  }
  std::string windowText(HWND h) const {
    char buf[256] = {0};
    GetWindowTextA(h, buf, sizeof buf);
    return buf;
  }

  Events ev;
  TJvProgressDialog* dialog = nullptr;
};

TEST_F(JvProgressDialogTest, ModelessWindowShowsCaptionTextAndPositionAtOnce) {
  dialog->SetCaption("Processando...");
  dialog->ShowModeless();
  TfrmProgress* form = dialog->Form();
  ASSERT_NE(nullptr, form);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_EQ("Processando...", windowText(form->Handle()));
  EXPECT_EQ(1, ev.shows);

  dialog->SetText("Abrindo base de dados");
  dialog->SetPosition(30);
  EXPECT_EQ("Abrindo base de dados", form->Label1->Caption());
  EXPECT_EQ(30, static_cast<Integer>(SendMessageA(form->pbProgress->Handle(), PBM_GETPOS, 0, 0)));

  TBitmap shot;
  guitest::captureWindow(form->Handle(), shot);
  guitest::savePng(shot, "progress-dialog-modeless");

  dialog->CloseModeless();
  EXPECT_EQ(nullptr, dialog->Form());
  EXPECT_EQ(1, ev.closes);
  EXPECT_EQ(0, dialog->Position()) << "the position at show time comes back";
  EXPECT_EQ("", dialog->Text());
  EXPECT_TRUE(guitest::pumpUntil([&] { return progressWindows() == 0; }, 2000)) << "the window frees itself";
}

// A long task that calls ProcessMessages after every small step, as a run does: a real
// click on the cancel button reaches the dialog, which cancels and goes away at once.
TEST_F(JvProgressDialogTest, CancelClickedDuringABusyTaskCancelsIt) {
  dialog->ShowModeless();
  TfrmProgress* form = dialog->Form();
  ASSERT_NE(nullptr, form);
  TButton* cancel = form->btnCancel;
  guitest::moveMouseTo(cancel->ClientToScreen(TPoint{cancel->Width() / 2, cancel->Height() / 2}));

  INPUT clicks[2] = {};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, clicks, sizeof(INPUT));

  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  double elapsedMs = 0;
  int steps = 0;
  while (dialog->Form() && elapsedMs < 3000) {
    // One step of the task: a tenth of a millisecond of work, then the messages.
    LARGE_INTEGER stepStart;
    QueryPerformanceCounter(&stepStart);
    do QueryPerformanceCounter(&now);
    while ((now.QuadPart - stepStart.QuadPart) * 10000 < frequency.QuadPart);
    ++steps;
    Application->ProcessMessages();
    elapsedMs = 1000.0 * (now.QuadPart - start.QuadPart) / frequency.QuadPart;
  }
  EXPECT_EQ(1, ev.cancels) << "the click did not cancel";
  EXPECT_TRUE(dialog->Cancelled());
  EXPECT_EQ(nullptr, dialog->Form()) << "the dialog stayed open";
  EXPECT_LT(elapsedMs, 1000.0) << "the click took " << elapsedMs << " ms over " << steps << " steps";
  EXPECT_TRUE(guitest::pumpUntil([&] { return progressWindows() == 0; }, 2000)) << "the window was not freed";
}

// Counts the paints and moves a window gets, through a subclass of its window procedure.
class MessageCounter {
 public:
  explicit MessageCounter(HWND Window) : window_(Window) {
    counters().push_back(this);
    old_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageCounter::proc)));
  }
  ~MessageCounter() {
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old_));
    counters().erase(std::find(counters().begin(), counters().end(), this));
  }
  MessageCounter(const MessageCounter&) = delete;
  MessageCounter& operator=(const MessageCounter&) = delete;
  void reset() { paints = moves = 0; }
  int paints = 0, moves = 0;

 private:
  static std::vector<MessageCounter*>& counters() {
    static std::vector<MessageCounter*> all;
    return all;
  }
  static LRESULT CALLBACK proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    for (MessageCounter* c : counters()) {
      if (c->window_ != h) continue;
      if (msg == WM_PAINT) ++c->paints;
      if (msg == WM_WINDOWPOSCHANGING) ++c->moves;
      return CallWindowProcA(c->old_, h, msg, w, l);
    }
    return DefWindowProcA(h, msg, w, l);
  }
  HWND window_;
  WNDPROC old_ = nullptr;
};

// The text's row as the window shows it against the same window painted afresh: the same
// pixels, and some of them dark (the text).
void expectTextAsAFullRepaintShowsIt(TfrmProgress* form) {
  TBitmap shown, fresh;
  guitest::captureClient(form, shown);
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  guitest::captureClient(form, fresh);
  guitest::savePng(shown, "progress-dialog-text-shown");
  int differing = 0, dark = 0;
  for (Integer y = form->Label1->Top(); y < form->Label1->Top() + form->Label1->Height(); ++y)
    for (Integer x = 0; x < form->ClientWidth(); ++x) {
      if (guitest::pixelAt(shown, x, y) != guitest::pixelAt(fresh, x, y)) ++differing;
      if ((guitest::pixelAt(fresh, x, y) & 0xFF) < 0x80) ++dark;
    }
  EXPECT_EQ(0, differing) << "the text shown differs from the window painted afresh";
  EXPECT_GT(dark, 0) << "the window paints the text";
}

TEST_F(JvProgressDialogTest, UpdatesTouchOnlyWhatChangesAndShowAtOnce) {
  dialog->SetInterval(0);  // no timer steps in between
  dialog->SetText("Calculando campo: regiao");
  dialog->SetPosition(10);
  dialog->ShowModeless();
  TfrmProgress* form = dialog->Form();
  ASSERT_NE(nullptr, form);
  guitest::pumpFor(50);
  const HWND bar = form->pbProgress->Handle();
  const Integer formHeight = form->Height(), barTop = form->pbProgress->Top();
  RECT placed;
  GetWindowRect(form->Handle(), &placed);
  MessageCounter onForm(form->Handle()), onBar(bar);

  struct Step {
    const char* what;
    std::function<void()> change;
    int formPaints, barPaints;  // -1: at least one
    Integer barPosition;
  };
  const Step steps[] = {
      {"the same position", [&] { dialog->SetPosition(10); }, 0, 0, 10},
      {"the same text", [&] { dialog->SetText("Calculando campo: regiao"); }, 0, 0, 10},
      {"the same range", [&] { dialog->SetMin(0); dialog->SetMax(100); }, 0, 0, 10},
      {"a new position", [&] { dialog->SetPosition(35); }, 0, -1, 35},
      {"a position past the end", [&] { dialog->SetPosition(150); }, 0, -1, 100},
      {"a further position past the end", [&] { dialog->SetPosition(155); }, 0, 0, 100},
      {"a new text", [&] { dialog->SetText("Calculando campo: estado"); }, -1, 0, 100},
      {"a shorter text", [&] { dialog->SetText("Calculando campo: UF"); }, -1, 0, 100},
      {"a longer text", [&] { dialog->SetText("Calculando campo: municipio de residencia"); }, -1, 0, 100},
  };
  // The window as shown against the same window painted afresh, over the label's row.
  for (const Step& step : steps) {
    // Each change comes after the text's paint interval, when a new text is painted at once.
    Sleep(static_cast<DWORD>(TfrmProgress::kTextPaintIntervalMs));
    onForm.reset();
    onBar.reset();
    step.change();
    SCOPED_TRACE(step.what);
    if (step.formPaints >= 0) EXPECT_EQ(step.formPaints, onForm.paints) << "form paints";
    if (step.barPaints < 0) EXPECT_GE(onBar.paints, 1) << "the bar is painted at once";
    else EXPECT_EQ(step.barPaints, onBar.paints) << "bar paints";
    EXPECT_EQ(0, onForm.moves) << "the window is not moved or sized again";
    RECT now;
    GetWindowRect(form->Handle(), &now);
    EXPECT_TRUE(EqualRect(&now, &placed)) << "the window keeps its place and size";
    EXPECT_EQ(step.barPosition, static_cast<Integer>(SendMessageA(bar, PBM_GETPOS, 0, 0)));
    RECT dirty;
    EXPECT_FALSE(GetUpdateRect(form->Handle(), &dirty, FALSE)) << "nothing is left to paint later";
    EXPECT_FALSE(GetUpdateRect(bar, &dirty, FALSE));
    if (step.formPaints < 0) {
      // The text is painted at once, and painted as the window paints it.
      expectTextAsAFullRepaintShowsIt(form);
    }
  }
  EXPECT_EQ("Calculando campo: municipio de residencia", form->Label1->Caption());
  EXPECT_EQ(155, dialog->Position());

  // A text of two lines is taller: what lies under it moves down and the window grows.
  const Integer lineHeight = form->Label1->Height();
  dialog->SetText("Duas\r\nlinhas");
  EXPECT_GT(form->Label1->Height(), lineHeight);
  EXPECT_EQ(barTop + form->Label1->Height() - lineHeight, form->pbProgress->Top());
  EXPECT_EQ(formHeight + form->Label1->Height() - lineHeight, form->Height());
  dialog->CloseModeless();
}

// Counts the form's paints of its text (its OnPaint), passing each on to the form's own handler.
class TextPaints : public TObject {
  RTL_DECLARE_CLASS(TextPaints, TObject)
public:
  explicit TextPaints(TfrmProgress* Form) : form_(Form), own_(Form->OnPaint()) {
    form_->SetOnPaint(TNotifyEvent(this, &TextPaints::Paint));
  }
  ~TextPaints() override { form_->SetOnPaint(own_); }
  void Paint(TObject* Sender) {
    ++count;
    if (own_) own_(Sender);
  }
  int count = 0;

private:
  TfrmProgress* form_;
  TNotifyEvent own_;
};
RTL_IMPLEMENT_CLASS(TextPaints)

// A long task changes the text far more often than anyone can read it: texts that come in quick
// succession are painted once their interval is over, the newest one, and by then the window
// shows exactly what a full repaint shows.
TEST_F(JvProgressDialogTest, TextsInQuickSuccessionArePaintedOnceTheIntervalIsOver) {
  dialog->SetInterval(0);
  dialog->SetText("Calculando campo: regiao");
  dialog->ShowModeless();
  TfrmProgress* form = dialog->Form();
  ASSERT_NE(nullptr, form);
  guitest::pumpFor(50);
  Sleep(static_cast<DWORD>(TfrmProgress::kTextPaintIntervalMs));
  TObjectPtr<TextPaints> paints(new TextPaints(form));

  const char* const names[] = {"estado", "zona", "moradores", "comodos", "area"};
  const ULONGLONG start = GetTickCount64();
  for (int i = 0; i < 200; ++i) dialog->SetText(std::string("Calculando campo: ") + names[i % 5]);
  dialog->SetText("Calculando campo: internet");
  const ULONGLONG burst = GetTickCount64() - start;
  // The first text is painted at once; the rest wait (one more paint for each interval the burst
  // itself took, on a slow machine).
  EXPECT_GE(paints->count, 1) << "the first new text is painted at once";
  EXPECT_LE(paints->count, 1 + static_cast<int>(burst / TfrmProgress::kTextPaintIntervalMs));
  RECT dirty;
  EXPECT_FALSE(GetUpdateRect(form->Handle(), &dirty, FALSE)) << "no repaint of the window is asked for";

  const int during = paints->count;
  guitest::pumpFor(static_cast<DWORD>(3 * TfrmProgress::kTextPaintIntervalMs));
  EXPECT_EQ(during + 1, paints->count) << "the newest text is painted once when the interval is over";
  guitest::pumpFor(static_cast<DWORD>(3 * TfrmProgress::kTextPaintIntervalMs));
  EXPECT_EQ(during + 1, paints->count) << "nothing more is painted afterwards";

  expectTextAsAFullRepaintShowsIt(form);
  EXPECT_EQ("Calculando campo: internet", form->Label1->Caption());

  // A text left waiting when the window closes goes with the window.
  dialog->SetText("Calculando campo: regiao");
  dialog->SetText("Calculando campo: estado");
  paints.reset();
  dialog->CloseModeless();
  EXPECT_TRUE(guitest::pumpUntil([&] { return progressWindows() == 0; }, 2000)) << "the window was not freed";
  guitest::pumpFor(static_cast<DWORD>(2 * TfrmProgress::kTextPaintIntervalMs));
}

TEST_F(JvProgressDialogTest, CaptionBarComesAndGoesWithTheCaption) {
  dialog->SetCaption("Processando...");
  dialog->ShowModeless();
  TfrmProgress* form = dialog->Form();
  ASSERT_NE(nullptr, form);
  const Integer cy = GetSystemMetrics(SM_CYCAPTION);
  const Integer top = form->Top(), height = form->Height(), clientHeight = form->ClientHeight();
  ASSERT_TRUE(GetWindowLongA(form->Handle(), GWL_STYLE) & WS_CAPTION);

  dialog->SetCaption("");
  EXPECT_FALSE((GetWindowLongA(form->Handle(), GWL_STYLE) & WS_CAPTION) == WS_CAPTION) << "no caption bar";
  EXPECT_EQ(top - cy, form->Top());
  EXPECT_EQ(clientHeight, form->ClientHeight()) << "the client area keeps its layout";
  EXPECT_LT(form->Height(), height);

  dialog->SetCaption("De volta");
  EXPECT_EQ(WS_CAPTION, GetWindowLongA(form->Handle(), GWL_STYLE) & WS_CAPTION);
  EXPECT_EQ(top, form->Top());
  EXPECT_EQ(height, form->Height());
  EXPECT_EQ("De volta", windowText(form->Handle()));
  dialog->CloseModeless();
}

TEST_F(JvProgressDialogTest, ShowingTwiceLeavesOneWindow) {
  dialog->ShowModeless();
  dialog->ShowModeless();
  EXPECT_TRUE(guitest::pumpUntil([&] { return progressWindows() == 1; }, 2000))
      << "windows: " << progressWindows();
  EXPECT_EQ(0, ev.closes) << "a replaced window is released, not closed";
  dialog->CloseModeless();
}

TEST_F(JvProgressDialogTest, PositionBeyondMaxIsKeptAndPassedOn) {
  dialog->ShowModeless();
  dialog->SetPosition(150);
  EXPECT_EQ(150, dialog->Position());
  // The bar's own control keeps its position inside its range: it shows full.
  EXPECT_EQ(100, static_cast<Integer>(SendMessageA(dialog->Form()->pbProgress->Handle(), PBM_GETPOS, 0, 0)));
  dialog->CloseModeless();
}

TEST_F(JvProgressDialogTest, AltF4CancelsOnlyWhileCancelIsShown) {
  dialog->SetShowCancel(false);
  dialog->ShowModeless();
  HWND h = dialog->Form()->Handle();
  SendMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0);
  guitest::pumpFor(30);
  ASSERT_NE(nullptr, dialog->Form()) << "without the cancel button the window stays";
  EXPECT_FALSE(dialog->Cancelled());
  EXPECT_EQ(0, ev.cancels);

  dialog->SetShowCancel(true);
  SendMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0);
  guitest::pumpFor(30);
  EXPECT_EQ(nullptr, dialog->Form());
  EXPECT_TRUE(dialog->Cancelled());
  EXPECT_EQ(1, ev.cancels);
  EXPECT_EQ(1, ev.closes);
}

TEST_F(JvProgressDialogTest, ModalRunFollowsOnProgressUntilItStops) {
  Watchdog dog(dialog);
  dialog->SetInterval(20);
  dialog->SetCaption("Processando...");
  dialog->SetOnProgress(TJvProgressEvent(&ev, &Events::Progress));
  const bool result = dialog->Execute();
  EXPECT_FALSE(dog.fired) << "the run must end by itself";
  EXPECT_TRUE(result) << "a run that was not cancelled";
  EXPECT_EQ(4, ev.steps) << "25 per step up to 100";
  EXPECT_EQ(0, dialog->Position()) << "the settings come back after the run";
  EXPECT_EQ(1, ev.shows);
  EXPECT_EQ(1, ev.closes);
  EXPECT_FALSE(dialog->Cancelled());
}

TEST_F(JvProgressDialogTest, ModalRunCancelledByTheButtonAnswersFalse) {
  Watchdog dog(dialog);
  dialog->SetInterval(20);
  ev.cancelAtFirstStep = true;
  dialog->SetOnProgress(TJvProgressEvent(&ev, &Events::Progress));
  EXPECT_FALSE(dialog->Execute());
  EXPECT_FALSE(dog.fired);
  EXPECT_TRUE(dialog->Cancelled());
  EXPECT_EQ(1, ev.cancels);
  EXPECT_EQ(nullptr, dialog->Form());
}

TEST_F(JvProgressDialogTest, LayoutStacksImageTextBarAndButton) {
  dialog->SetCaption("Com figura");
  TBitmap bmp;
  bmp.SetWidth(48);
  bmp.SetHeight(40);
  bmp.Canvas()->Brush()->SetColor(clRed);
  bmp.Canvas()->FillRect(Rect(0, 0, 48, 40));
  TPicture pic;
  pic.SetBitmap(&bmp);
  dialog->SetImage(&pic);
  dialog->SetText("Processando a tabela");
  dialog->SetPosition(60);
  dialog->ShowModeless();
  TfrmProgress* f = dialog->Form();
  ASSERT_NE(nullptr, f);
  EXPECT_EQ(12 + 40 + 12, f->Label1->Top()) << "the text goes under the picture";
  EXPECT_EQ(f->Label1->Top() + f->Label1->Height() + 8, f->pbProgress->Top());
  EXPECT_EQ(f->pbProgress->Top() + 16 + 16, f->btnCancel->Top());
  EXPECT_EQ(f->btnCancel->Top() + f->btnCancel->Height() + 16, f->ClientHeight());

  guitest::pumpFor(50);
  TBitmap shot;
  guitest::captureClient(f, shot);
  EXPECT_EQ(guitest::hexOf(RGB(255, 0, 0)), guitest::hexOf(guitest::pixelAt(shot, 16 + 10, 12 + 10)))
      << "the picture is painted at its place";
  TBitmap whole;
  guitest::captureWindow(f->Handle(), whole);
  guitest::savePng(whole, "progress-dialog-image");

  dialog->SetShowCancel(false);
  EXPECT_FALSE(f->btnCancel->Visible());
  EXPECT_EQ(f->pbProgress->Top() + f->pbProgress->Height() + 16, f->ClientHeight())
      << "without the button the window ends under the bar";
  dialog->CloseModeless();
  ASSERT_NE(nullptr, dialog->Image()->Graphic());
  EXPECT_EQ(48, dialog->Image()->Width()) << "a picture set before the show stays after it";
}

TEST_F(JvProgressDialogTest, WindowIsReadFromItsStoredDescription) {
  std::unique_ptr<TfrmProgress, TObjectDeleter> f(New<TfrmProgress>(nullptr));
  EXPECT_EQ("frmProgress", f->Name());
  EXPECT_EQ("Caption", f->Caption());
  EXPECT_EQ(bsToolWindow, f->BorderStyle());
  EXPECT_TRUE(f->BorderIcons() == TBorderIcons{});
  EXPECT_EQ(316, f->ClientWidth());
  EXPECT_EQ(165, f->ClientHeight());
  EXPECT_FALSE(f->Scaled());
  EXPECT_EQ("MS Sans Serif", f->Font()->Name());

  struct Placed {
    const char* Name;
    TClass Class;
    TControl* Control;
    TRect Bounds;  // right and bottom -1: the control's own size
    TAnchors Anchors;
  };
  const Placed placed[] = {
      {"imProgress", TImage::StaticClass(), f->imProgress, {16, 12, -1, -1}, {akLeft, akTop}},
      {"Label1", TLabel::StaticClass(), f->Label1, {16, 70, -1, -1}, {akLeft, akTop}},
      {"pbProgress", TProgressBar::StaticClass(), f->pbProgress, {16, 88, 16 + 284, 88 + 16}, {akLeft, akTop, akRight}},
      {"btnCancel", TButton::StaticClass(), f->btnCancel, {224, 124, 224 + 75, 124 + 25}, {akTop, akRight}},
  };
  for (const Placed& p : placed) {
    SCOPED_TRACE(p.Name);
    TComponent* c = f->FindComponent(p.Name);
    ASSERT_NE(nullptr, c) << "the description names it";
    EXPECT_EQ(p.Class, c->ClassType());
    EXPECT_EQ(c, p.Control) << "the published field is bound to it";
    EXPECT_EQ(p.Bounds.left, p.Control->Left());
    EXPECT_EQ(p.Bounds.top, p.Control->Top());
    if (p.Bounds.right >= 0) {
      EXPECT_EQ(p.Bounds.right - p.Bounds.left, p.Control->Width());
      EXPECT_EQ(p.Bounds.bottom - p.Bounds.top, p.Control->Height());
    }
    EXPECT_TRUE(p.Anchors == p.Control->Anchors());
  }
  EXPECT_FALSE(f->imProgress->Visible());
  EXPECT_TRUE(f->imProgress->AutoSize());
  EXPECT_EQ("Label", f->Label1->Caption());
  EXPECT_EQ(0, f->pbProgress->Min());
  EXPECT_EQ(100, f->pbProgress->Max());
  EXPECT_EQ("Cancel", f->btnCancel->Caption());
  EXPECT_TRUE(f->btnCancel->Cancel());
  EXPECT_EQ(mrCancel, f->btnCancel->ModalResult());
  ASSERT_NE(nullptr, f->tmProgress);
  EXPECT_FALSE(f->tmProgress->Enabled());
  ASSERT_NE(nullptr, f->Action1);
  EXPECT_EQ(f->ActionList1, f->Action1->ActionList());
  EXPECT_EQ(ShortCut(VK_F4, {ssAlt}), f->Action1->ShortCut());

  // Handlers are bound by their published names.
  TfrmProgress* form = f.get();
  EXPECT_TRUE(f->btnCancel->OnClick() == TNotifyEvent(form, &TfrmProgress::btnCancelClick));
  EXPECT_TRUE(f->tmProgress->OnTimer() == TNotifyEvent(form, &TfrmProgress::tmProgressTimer));
  EXPECT_TRUE(f->Action1->OnExecute() == TNotifyEvent(form, &TfrmProgress::Action1Execute));
  EXPECT_TRUE(f->OnPaint() == TNotifyEvent(form, &TfrmProgress::FormPaint));
  EXPECT_TRUE(f->OnCloseQuery() == TCloseQueryEvent(form, &TfrmProgress::FormCloseQuery));
}

TEST_F(JvProgressDialogTest, AltF4IsTheWindowsShortcutAndCancelsOnlyWhileAllowed) {
  dialog->SetShowCancel(false);
  dialog->ShowModeless();
  TfrmProgress* f = dialog->Form();
  ASSERT_NE(nullptr, f);
  TWMKey key{};
  key.Msg = WM_SYSKEYDOWN;
  key.CharCode = VK_F4;
  key.KeyData = 0x20000000;  // Alt held
  EXPECT_TRUE(f->IsShortCut(key)) << "the key is the window's own even when it may not cancel";
  guitest::pumpFor(30);
  EXPECT_EQ(f, dialog->Form());
  EXPECT_EQ(0, ev.cancels);

  dialog->SetShowCancel(true);
  EXPECT_TRUE(f->IsShortCut(key));
  guitest::pumpFor(30);
  EXPECT_EQ(nullptr, dialog->Form());
  EXPECT_TRUE(dialog->Cancelled());
  EXPECT_EQ(1, ev.cancels);
}

}  // namespace
