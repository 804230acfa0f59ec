// Forms, the application and the screen under real windows: forms read from their stored
// descriptions, showing, closing and modal loops, positions, exceptions and message boxes,
// the screen's forms, cursors and monitors, MDI, and a screenshot of a small form.
#include <string>
#include <vector>

#include "ControlsTestTypes.h"
#include "GuiTestSupport.h"
#include "TestFramework.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/Scoped.h"

using namespace guitest;

namespace {

std::string rectString(const TRect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

// The form of the stored description "StoredTestForm.dfm" (resource TSTOREDTESTFORM).
class TStoredTestForm : public TForm {
  RTL_DECLARE_CLASS(TStoredTestForm, TForm)
public:
  explicit TStoredTestForm(TComponent* AOwner) : TForm(AOwner) {}

  TTestPad* Header = nullptr;
  TTestPad* Body = nullptr;
  TTestSwatch* Mark = nullptr;
  TTestPad* Corner = nullptr;
  int created = 0;
  int bodyClicks = 0;
  // What the form looked like when OnCreate ran.
  bool headerThereAtCreate = false;

  void FormCreate(TObject*) {
    ++created;
    headerThereAtCreate = Header != nullptr && Header->Parent() == this;
  }
  void BodyClick(TObject*) { ++bodyClicks; }
};

// A form class that has no stored description.
class TMissingForm : public TForm {
  RTL_DECLARE_CLASS(TMissingForm, TForm)
public:
  explicit TMissingForm(TComponent* AOwner) : TForm(AOwner) {}
  TMissingForm(TComponent* AOwner, Integer Dummy) : TForm(AOwner, Dummy) {}
};

// Writes down a form's events. It unhooks itself from the form when it goes first, and
// forgets the form when the form goes first.
class TFormEvents : public TComponent {
  RTL_DECLARE_CLASS(TFormEvents, TComponent)
public:
  TFormEvents() : TComponent(nullptr) {}
  ~TFormEvents() override {
    if (form_) {
      form_->RemoveFreeNotification(this);
      unhook(form_);
    }
  }
  std::vector<std::string> seen;
  TCloseAction closeAction = caHide;
  std::vector<bool> canClose;  // answers of OnCloseQuery, in turn (then true)
  bool* destroyed = nullptr;

  void Show(TObject*) { seen.push_back("Show"); }
  void Hide(TObject*) { seen.push_back("Hide"); }
  void Activate(TObject*) { seen.push_back("Activate"); }
  void Deactivate(TObject*) { seen.push_back("Deactivate"); }
  void CloseQuery(TObject*, bool& CanClose) {
    CanClose = true;
    if (!canClose.empty()) {
      CanClose = canClose.front();
      canClose.erase(canClose.begin());
    }
    seen.push_back(CanClose ? "CloseQuery yes" : "CloseQuery no");
  }
  void Close(TObject*, TCloseAction& Action) {
    seen.push_back("Close");
    Action = closeAction;
  }
  void Destroy(TObject*) {
    seen.push_back("Destroy");
    if (destroyed) *destroyed = true;
  }
  void unhook(TCustomForm* f) {
    f->SetOnShow(TNotifyEvent());
    f->SetOnHide(TNotifyEvent());
    f->SetOnActivate(TNotifyEvent());
    f->SetOnDeactivate(TNotifyEvent());
    f->SetOnCloseQuery(TCloseQueryEvent());
    f->SetOnClose(TCloseEvent());
    f->SetOnDestroy(TNotifyEvent());
  }
  void hook(TCustomForm* f) {
    form_ = f;
    f->FreeNotification(this);
    f->SetOnShow(TNotifyEvent(this, &TFormEvents::Show));
    f->SetOnHide(TNotifyEvent(this, &TFormEvents::Hide));
    f->SetOnActivate(TNotifyEvent(this, &TFormEvents::Activate));
    f->SetOnDeactivate(TNotifyEvent(this, &TFormEvents::Deactivate));
    f->SetOnCloseQuery(TCloseQueryEvent(this, &TFormEvents::CloseQuery));
    f->SetOnClose(TCloseEvent(this, &TFormEvents::Close));
    f->SetOnDestroy(TNotifyEvent(this, &TFormEvents::Destroy));
  }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == form_) form_ = nullptr;
  }

private:
  TCustomForm* form_ = nullptr;
};

// Counts the application's messages of one registered kind and handles them.
class TPingCounter : public TObject {
  RTL_DECLARE_CLASS(TPingCounter, TObject)
public:
  const UINT ping = RegisterWindowMessageA("FormsTest.ping");
  int pings = 0;
  void Message(MSG& Msg, bool& Handled) {
    if (Msg.message != ping) return;
    ++pings;
    Handled = true;
  }
};

}  // namespace

RTL_IMPLEMENT_CLASS(TPingCounter)
RTL_BEGIN_CLASS(TStoredTestForm)
b.Field("Header", &TStoredTestForm::Header);
b.Field("Body", &TStoredTestForm::Body);
b.Field("Mark", &TStoredTestForm::Mark);
b.Field("Corner", &TStoredTestForm::Corner);
b.Method("FormCreate", &TStoredTestForm::FormCreate);
b.Method("BodyClick", &TStoredTestForm::BodyClick);
RTL_END_CLASS
RTL_IMPLEMENT_CLASS(TMissingForm)
RTL_IMPLEMENT_CLASS(TFormEvents)

class FormsTest : public GuiTest {};

// ---------------------------------------------------------------------------------------
// Forms from stored descriptions.

TEST_F(FormsTest, FormReadFromItsStoredDescriptionShowsItsControls) {
  auto* form = own(New<TStoredTestForm>(nullptr));
  EXPECT_EQ(form->created, 1) << "OnCreate bound by name runs once";
  EXPECT_TRUE(form->headerThereAtCreate) << "OnCreate runs after the description is read";
  ASSERT_NE(form->Header, nullptr);
  ASSERT_NE(form->Body, nullptr);
  ASSERT_NE(form->Mark, nullptr);
  EXPECT_EQ(form->Name(), "StoredTestForm");
  EXPECT_EQ(form->Caption(), "Formulário de teste");
  EXPECT_EQ(form->BorderStyle(), bsDialog);
  EXPECT_EQ(form->Header->Caption(), "Cabeçalho");
  EXPECT_EQ(form->Body->Parent(), form);
  EXPECT_EQ(form->Mark->Owner(), form);
  EXPECT_EQ(form->Body->TabOrder(), 0) << "the stored tab order, not the reading order";
  EXPECT_EQ(form->Header->TabOrder(), 1);
  EXPECT_FALSE(form->Visible());

  showAndActivate(form);
  EXPECT_EQ(form->ClientWidth(), 260);
  EXPECT_EQ(form->ClientHeight(), 160);
  EXPECT_EQ(form->Header->Width(), 260) << "alTop takes the client width";
  EXPECT_TRUE(form->Body->Focused()) << "the first control of the tab order has the focus";

  TBitmap shot;
  captureClient(form, shot);
  struct Probe {
    const char* what;
    Integer x, y;
    uint32_t rgb;
  };
  Probe probes[] = {{"Header (yellow)", 2, 2, 0x00FFFF}, {"Body (lime)", 20, 60, 0x00FF00},
                    {"Mark (blue)", 160, 60, 0xFF0000},  {"form (white)", 240, 150, 0xFFFFFF}};
  for (const Probe& p : probes) EXPECT_EQ(hexOf(pixelAt(shot, p.x, p.y)), hexOf(p.rgb)) << p.what;

  clickAt(form->Body, Point(10, 10));
  EXPECT_EQ(form->bodyClicks, 1) << "OnClick bound by name in the description";

  // The control anchored to the right and bottom keeps its distance to those edges.
  ASSERT_NE(form->Corner, nullptr);
  EXPECT_EQ(rectString(form->Corner->BoundsRect()), rectString(Bounds(210, 120, 40, 30)));
  form->SetClientWidth(300);
  form->SetClientHeight(190);
  EXPECT_EQ(rectString(form->Corner->BoundsRect()), rectString(Bounds(250, 150, 40, 30)));
}

TEST_F(FormsTest, FormClassWithoutStoredDescriptionRaisesResNotFound) {
  EXPECT_EQ(RaisedMessage<EResNotFound>([] { New<TMissingForm>(nullptr); }), "Resource TMissingForm not found");
  // CreateNew builds such a form without looking for a description.
  auto* form = own(New<TMissingForm>(nullptr, 0));
  EXPECT_EQ(form->ControlCount(), 0);
}

TEST_F(FormsTest, CreateFormMakesTheFirstFormTheMainForm) {
  ASSERT_EQ(Application->MainForm(), nullptr);
  TStoredTestForm* main = nullptr;
  Application->CreateForm(main);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(Application->MainForm(), main);
  EXPECT_EQ(main->Owner(), Application);
  EXPECT_TRUE(main->HandleAllocated()) << "the main form's window is made at once";
  TForm* second = nullptr;
  Application->CreateForm(TForm::StaticClass(), &second);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(Application->MainForm(), main) << "only the first form becomes the main form";
  second->Free();
  main->Free();
  EXPECT_EQ(Application->MainForm(), nullptr);
}

// ---------------------------------------------------------------------------------------
// Showing, closing, modal loops.

TEST_F(FormsTest, ShowingAndHidingFireOnShowOnActivateAndOnHide) {
  TForm* form = own(newForm());
  TObjectPtr<TFormEvents> events(new TFormEvents());
  events->hook(form);
  showAndActivate(form);
  form->Hide();
  pumpFor(30);
  ASSERT_GE(events->seen.size(), 3u) << events->seen.size();
  EXPECT_EQ(events->seen[0], "Show");
  EXPECT_EQ(events->seen[1], "Activate");
  EXPECT_EQ(events->seen.back(), "Hide");
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

TEST_F(FormsTest, CloseActionDecidesWhatHappensToTheForm) {
  struct Case {
    TCloseAction action;
    bool visible;
    TWindowState state;
  };
  Case cases[] = {{caNone, true, wsNormal}, {caHide, false, wsNormal}, {caMinimize, true, wsMinimized}};
  std::vector<TObjectPtr<TFormEvents>> logs;  // they outlive the forms they listen to
  for (const Case& c : cases) {
    SCOPED_TRACE(GetEnumName(TypeInfo<TCloseAction>(), c.action));
    TForm* form = own(newForm());
    logs.emplace_back(new TFormEvents());
    TFormEvents* events = logs.back().get();
    events->hook(form);
    events->closeAction = c.action;
    showAndActivate(form);
    form->Close();
    pumpFor(30);
    EXPECT_EQ(form->Visible(), c.visible);
    EXPECT_EQ(form->WindowState(), c.state);
  }
}

TEST_F(FormsTest, CaFreeAndReleaseFreeTheFormOnceItsMessagesAreHandled) {
  bool destroyed = false;
  TObjectPtr<TFormEvents> events(new TFormEvents());
  events->destroyed = &destroyed;
  events->closeAction = caFree;
  TForm* form = newForm();
  events->hook(form);
  showAndActivate(form);
  form->Close();
  EXPECT_FALSE(destroyed) << "the form goes later, not inside Close";
  EXPECT_TRUE(pumpUntil([&] { return destroyed; }, 1000)) << "the form was not freed";
  EXPECT_EQ(events->seen.back(), "Destroy");
}

// ProcessMessages may skip looking at a queue it found empty a moment ago: nothing posted
// is lost by that, and a form's Release is still handled by the very next call.
TEST_F(FormsTest, ProcessMessagesRightAfterAnEmptyQueueLosesNothing) {
  TObjectPtr<TPingCounter> counter(new TPingCounter());
  const UINT ping = counter->ping;
  const int& pings = counter->pings;
  Application->SetOnMessage(TMessageEvent(counter.get(), &TPingCounter::Message));
  ScopeExit noHandler([] { Application->SetOnMessage(TMessageEvent()); });

  // A message posted just after an empty look is handled by the first call once a few
  // milliseconds have passed, and by a loop that keeps calling within those milliseconds.
  Application->ProcessMessages();
  PostMessageA(Application->Handle(), ping, 0, 0);
  Sleep(20);
  Application->ProcessMessages();
  EXPECT_EQ(pings, 1) << "the message waiting after the quiet interval was not handled";

  Application->ProcessMessages();
  PostMessageA(Application->Handle(), ping, 0, 0);
  const DWORD start = GetTickCount();
  while (pings < 2 && GetTickCount() - start < 1000) Application->ProcessMessages();
  EXPECT_EQ(pings, 2) << "a loop of calls never handled the message";
  EXPECT_LT(GetTickCount() - start, 200u);

  // Close with caFree releases the form: the next call frees it, however soon it comes.
  bool destroyed = false;
  TObjectPtr<TFormEvents> events(new TFormEvents());
  events->destroyed = &destroyed;
  events->closeAction = caFree;
  TForm* form = newForm();
  events->hook(form);
  showAndActivate(form);
  Application->ProcessMessages();
  form->Close();
  Application->ProcessMessages();
  EXPECT_TRUE(destroyed) << "the released form outlived the next ProcessMessages";
}

TEST_F(FormsTest, RefusedCloseQueryKeepsTheFormOpen) {
  TForm* form = own(newForm());
  TObjectPtr<TFormEvents> events(new TFormEvents());
  events->hook(form);
  events->canClose = {false};
  showAndActivate(form);
  form->Close();
  EXPECT_TRUE(form->Visible());
  form->Close();
  EXPECT_FALSE(form->Visible());
  std::vector<std::string> tail(events->seen.end() - 4, events->seen.end());
  std::vector<std::string> expected = {"CloseQuery no", "CloseQuery yes", "Close", "Hide"};
  EXPECT_EQ(tail, expected);
}

namespace {

// Sets a modal form's ModalResult from a timer, noting what it saw at that moment.
class TModalCloser : public TObject {
  RTL_DECLARE_CLASS(TModalCloser, TObject)
public:
  TCustomForm* modal = nullptr;
  TCustomForm* other = nullptr;
  TModalResult result = mrOk;
  int ticks = 0;
  bool otherEnabledWhileModal = true;
  bool modalWasModal = false;
  void Tick(TObject*) {
    ++ticks;
    otherEnabledWhileModal = IsWindowEnabled(other->Handle()) != FALSE;
    modalWasModal = modal->FormState().Contains(fsModal);
    modal->SetModalResult(result);
  }
};

}  // namespace
RTL_IMPLEMENT_CLASS(TModalCloser)

TEST_F(FormsTest, ModalFormReturnsItsModalResultWithTheOtherWindowsDisabledMeanwhile) {
  TForm* other = own(newForm());
  showAndActivate(other);
  TForm* modal = own(newForm(200, 100));
  TObjectPtr<TFormEvents> events(new TFormEvents());
  events->hook(modal);
  TObjectPtr<TModalCloser> closer(new TModalCloser());
  closer->modal = modal;
  closer->other = other;
  closer->result = mrYes;
  auto* timer = new TTimer(modal);
  timer->SetInterval(100);
  timer->SetOnTimer(TNotifyEvent(closer.get(), &TModalCloser::Tick));

  Integer result = modal->ShowModal();
  timer->SetEnabled(false);
  EXPECT_EQ(result, mrYes);
  EXPECT_EQ(modal->ModalResult(), mrYes);
  EXPECT_TRUE(closer->modalWasModal);
  EXPECT_FALSE(closer->otherEnabledWhileModal) << "the other form must be disabled while the modal form shows";
  EXPECT_TRUE(IsWindowEnabled(other->Handle())) << "and enabled again afterwards";
  EXPECT_FALSE(modal->Visible());
  EXPECT_FALSE(modal->FormState().Contains(fsModal));
  std::vector<std::string> closing(events->seen.end() - 4, events->seen.end());
  std::vector<std::string> expected = {"CloseQuery yes", "Close", "Deactivate", "Hide"};
  EXPECT_EQ(closing, expected);
}

TEST_F(FormsTest, ModalLoopGoesOnWhileCloseQueryRefuses) {
  TForm* modal = own(newForm(200, 100));
  TObjectPtr<TFormEvents> events(new TFormEvents());
  events->hook(modal);
  events->canClose = {false};
  TObjectPtr<TModalCloser> closer(new TModalCloser());
  closer->modal = modal;
  closer->other = modal;
  closer->result = mrCancel;
  auto* timer = new TTimer(modal);
  timer->SetInterval(50);
  timer->SetOnTimer(TNotifyEvent(closer.get(), &TModalCloser::Tick));
  EXPECT_EQ(modal->ShowModal(), mrCancel);
  timer->SetEnabled(false);
  EXPECT_EQ(closer->ticks, 2) << "the first ModalResult was refused and reset; the second one ended the loop";
}

TEST_F(FormsTest, PositionPlacesTheFormWhenItShows) {
  TForm* owner = own(newForm(500, 400));
  owner->SetBounds(50, 60, 500, 400);
  struct Case {
    TPosition position;
    TPoint expected;
  };
  Integer w = 200, h = 100;
  Case cases[] = {
      {poScreenCenter, Point((Screen->Width() - w) / 2, (Screen->Height() - h) / 2)},
      {poOwnerFormCenter, Point(50 + (500 - w) / 2, 60 + (400 - h) / 2)},
      {poDesigned, Point(10, 20)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(GetEnumName(TypeInfo<TPosition>(), c.position));
    TForm* form = New<TForm>(owner, 0);
    form->SetBounds(10, 20, w, h);
    form->SetPosition(c.position);
    form->Show();
    pumpFor(20);
    EXPECT_EQ(form->Left(), c.expected.x);
    EXPECT_EQ(form->Top(), c.expected.y);
    RECT r;
    GetWindowRect(form->Handle(), &r);
    EXPECT_EQ(r.left, c.expected.x) << "the window itself is there";
    form->Free();
  }
}

// ---------------------------------------------------------------------------------------
// Exceptions and message boxes.

TEST_F(FormsTest, MessageBoxCaptionDefaultsToTheApplicationTitle) {
  std::string saved = Application->Title();
  Application->SetTitle("Gerador de estratos");
  Application->MessageBox("Arquivo gerado.");
  Application->MessageBox("Confirma?", "Atenção", MB_YESNO);
  Application->SetTitle(saved);
  ASSERT_EQ(boxes().Calls().size(), 2u);
  EXPECT_EQ(boxes().Calls()[0].Caption, "Gerador de estratos");
  EXPECT_EQ(boxes().Calls()[0].Flags, MB_OK);
  EXPECT_EQ(boxes().Calls()[1].Caption, "Atenção");
  EXPECT_EQ(boxes().Calls()[1].Flags, MB_YESNO);
  expectBoxes();
}

TEST_F(FormsTest, HandleExceptionShowsTheMessageWithAFullStopAndIgnoresAbort) {
  struct Case {
    std::function<void()> raise;
    const char* shown;  // nullptr: no box
  };
  Case cases[] = {
      {[] { throw Exception("Tabela não encontrada"); }, "Tabela não encontrada."},
      // Only a last character above '.' in the code page gets the stop.
      {[] { throw Exception("Pronto."); }, "Pronto."},
      {[] { throw Exception("Cuidado!"); }, "Cuidado!"},
      {[] { throw Exception("Deseja continuar?"); }, "Deseja continuar?."},
      {[] { throw std::runtime_error("falha nativa"); }, "falha nativa."},
      {[] { Abort(); }, nullptr},
  };
  for (const Case& c : cases) {
    boxes().Clear();
    try {
      c.raise();
    } catch (...) {
      Application->HandleException(Application);
    }
    if (c.shown) {
      ASSERT_EQ(boxes().Calls().size(), 1u) << c.shown;
      EXPECT_EQ(boxes().Calls()[0].Text, c.shown);
    } else {
      EXPECT_TRUE(boxes().Calls().empty()) << "EAbort showed: " << boxes().Calls()[0].Text;
    }
  }
  expectBoxes();
}

// ---------------------------------------------------------------------------------------
// The screen.

TEST_F(FormsTest, ScreenListsItsFormsAndTheActiveOne) {
  TForm* a = own(newForm());
  TForm* b = own(newForm());
  auto listed = [](TForm* f) {
    for (Integer i = 0; i < Screen->FormCount(); ++i)
      if (Screen->Forms(i) == f) return true;
    return false;
  };
  EXPECT_TRUE(listed(a));
  EXPECT_TRUE(listed(b));
  showAndActivate(a);
  showAndActivate(b);
  EXPECT_EQ(Screen->ActiveForm(), b);
  EXPECT_EQ(Screen->Forms(0), b) << "the active form comes first";
  showAndActivate(a);
  EXPECT_EQ(Screen->ActiveForm(), a);
  TForm* c = newForm();
  c->Free();
  EXPECT_FALSE(listed(c)) << "a freed form leaves the list";
}

TEST_F(FormsTest, ScreenCursorsGiveSystemRegisteredAndDefaultCursors) {
  EXPECT_EQ(Screen->Cursors(crHourGlass), LoadCursorA(nullptr, IDC_WAIT));
  EXPECT_EQ(Screen->Cursors(crHandPoint), LoadCursorA(nullptr, IDC_HAND));
  EXPECT_EQ(Screen->Cursors(4321), LoadCursorA(nullptr, IDC_ARROW)) << "an unknown id gives the arrow";
  EXPECT_NE(Screen->Cursors(crDrag), nullptr);
  EXPECT_NE(Screen->Cursors(crDrag), Screen->Cursors(crMultiDrag));

  HCURSOR cross = CopyCursor(LoadCursorA(nullptr, IDC_CROSS));
  Screen->SetCursors(2100, cross);
  EXPECT_EQ(Screen->Cursors(2100), cross);
  Screen->SetCursors(2100, nullptr);
  EXPECT_EQ(Screen->Cursors(2100), LoadCursorA(nullptr, IDC_ARROW));

  // The screen cursor wins over the control's while it is set.
  TForm* form = own(newForm());
  TTestPad* pad = place<TTestPad>(form, "", Bounds(10, 10, 80, 50));
  pad->SetCursor(crHandPoint);
  showAndActivate(form);
  moveMouseTo(pad->ClientToScreen(Point(10, 10)));
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHourGlass));
  moveMouseTo(pad->ClientToScreen(Point(12, 12)));
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHourGlass));
  Screen->SetCursor(crDefault);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint)) << "back to the control's cursor";
}

TEST_F(FormsTest, MonitorsDescribeTheDesktop) {
  ASSERT_GE(Screen->MonitorCount(), 1);
  TMonitor* primary = Screen->PrimaryMonitor();
  ASSERT_NE(primary, nullptr);
  EXPECT_TRUE(primary->Primary());
  EXPECT_EQ(primary->Width(), Screen->Width());
  EXPECT_EQ(primary->Height(), Screen->Height());
  TRect work = primary->WorkareaRect(), bounds = primary->BoundsRect();
  TRect inside;
  IntersectRect(inside, work, bounds);
  EXPECT_TRUE(EqualRect(&inside, &work)) << "the work area lies within the monitor";
  EXPECT_EQ(Screen->MonitorFromPoint(Point(Screen->Width() / 2, Screen->Height() / 2)), primary);
  EXPECT_EQ(Screen->MonitorFromPoint(Point(-5000, -5000), mdNull), nullptr);
  TForm* form = own(newForm());
  EXPECT_EQ(Screen->MonitorFromWindow(form->Handle()), primary);
  EXPECT_EQ(form->Monitor(), primary);
}

// ---------------------------------------------------------------------------------------
// MDI.

TEST_F(FormsTest, MDIChildLivesInsideTheMainFormsClientWindow) {
  TForm* frame = nullptr;
  Application->CreateForm(TForm::StaticClass(), &frame);
  ASSERT_EQ(Application->MainForm(), frame);
  frame->SetFormStyle(fsMDIForm);
  frame->SetBounds(50, 50, 500, 400);
  showAndActivate(frame);
  ASSERT_NE(frame->ClientHandle(), nullptr);
  TForm* child = New<TForm>(nullptr, 0);
  child->SetCaption("Filho");
  child->SetFormStyle(fsMDIChild);
  pumpFor(30);
  EXPECT_TRUE(child->Visible());
  EXPECT_EQ(GetParent(child->Handle()), frame->ClientHandle());
  EXPECT_EQ(frame->MDIChildCount(), 1);
  EXPECT_EQ(frame->MDIChildren(0), child);
  EXPECT_EQ(frame->ActiveMDIChild(), child);
  child->Free();
  EXPECT_EQ(frame->MDIChildCount(), 0);
  frame->Free();
  EXPECT_EQ(Application->MainForm(), nullptr);
}

// ---------------------------------------------------------------------------------------
// A look at a small form.

TEST_F(FormsTest, ScreenshotOfASmallFormShowsItsControls) {
  TForm* form = own(newForm(320, 180));
  form->SetCaption("Estratos");
  form->SetPosition(poScreenCenter);
  TTestPad* header = New<TTestPad>(form);
  header->SetParent(form);
  header->SetAlign(alTop);
  header->SetHeight(28);
  header->SetFill(clSkyBlue);
  header->SetCaption("Gerador de estratos");
  TTestEdit* edit = place<TTestEdit>(form, "", Bounds(12, 44, 180, 22));
  edit->SetText("amostra.mdb");
  TTestButton* button = place<TTestButton>(form, "", Bounds(204, 43, 90, 24));
  button->SetCaption("Gerar");
  TTestSwatch* swatch = place<TTestSwatch>(form, "", Bounds(12, 80, 282, 40));
  swatch->SetFill(clMoneyGreen);
  showAndActivate(form);

  TBitmap window;
  captureWindow(form->Handle(), window);
  std::string path = savePng(window, "forms-small-form");
  EXPECT_FALSE(path.empty()) << "the screenshot could not be saved";
  std::printf("screenshot: %s\n", path.c_str());

  TBitmap client;
  captureClient(form, client);
  EXPECT_EQ(hexOf(pixelAt(client, 2, 2)), hexOf(ColorToRGB(clSkyBlue))) << "header";
  EXPECT_EQ(hexOf(pixelAt(client, 20, 100)), hexOf(ColorToRGB(clMoneyGreen))) << "swatch";
  EXPECT_EQ(hexOf(pixelAt(client, 305, 100)), hexOf(ColorToRGB(clBtnFace))) << "form background";
  EXPECT_EQ(hexOf(pixelAt(client, 150, 55)), hexOf(ColorToRGB(clWindow))) << "inside the edit, right of its text";
}

// ---------------------------------------------------------------------------------------
// Main menu and shortcuts.

TEST_F(FormsTest, MainMenuCommandsAndShortcutsReachTheirItems) {
  struct Clicks : TObject {
    std::vector<std::string> seen;
    void Generate(TObject*) { seen.push_back("gerar"); }
    void Save(TObject*) { seen.push_back("salvar"); }
  };
  TObjectPtr<Clicks> clicks(new Clicks());
  TForm* form = own(newForm(300, 200));
  auto* menu = new TMainMenu(form);
  TMenuItem* generate = NewItem("&Gerar", ShortCut('G', TShiftState{ssCtrl}), false, true,
                                TNotifyEvent(clicks.get(), &Clicks::Generate), 0, "gerar");
  TMenuItem* save = NewItem("&Salvar", 0, false, true, TNotifyEvent(clicks.get(), &Clicks::Save), 0, "salvar");
  menu->Items()->Add(NewSubMenu("&Arquivo", 0, "arquivo", {generate, save}));
  form->SetMenu(menu);
  TTestPad* pad = New<TTestPad>(form);
  pad->SetParent(form);
  showAndActivate(form);
  EXPECT_EQ(GetMenu(form->Handle()), menu->Handle()) << "the form's window shows the menu bar";
  SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(save->Command(), 0), 0);
  ASSERT_TRUE(pad->Focused());
  // Ctrl+G reaches the item through the focused control, the form and its menu.
  INPUT in[4] = {};
  WORD keys[4] = {VK_CONTROL, 'G', 'G', VK_CONTROL};
  for (int i = 0; i < 4; ++i) {
    in[i].type = INPUT_KEYBOARD;
    in[i].ki.wVk = keys[i];
    in[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
  }
  SendInput(4, in, sizeof(INPUT));
  pumpFor(60);
  std::vector<std::string> expected = {"salvar", "gerar"};
  EXPECT_EQ(clicks->seen, expected);
}

// ---------------------------------------------------------------------------------------
// Scrolling.

TEST_F(FormsTest, ScrollBoxShowsBarsForContentBeyondItAndScrollsItsControls) {
  TForm* form = own(newForm(300, 250));
  auto* box = New<TScrollBox>(form);
  box->SetParent(form);
  box->SetBounds(10, 10, 200, 150);
  TTestPad* deep = New<TTestPad>(form);
  deep->SetParent(box);
  deep->SetBounds(20, 300, 50, 40);  // below the box's client area
  TTestPad* first = place<TTestPad>(box, "", Bounds(20, 10, 50, 40));
  first->SetTabOrder(0);
  showAndActivate(form);
  ASSERT_TRUE(first->Focused());
  EXPECT_EQ(box->VertScrollBar()->Range(), 340) << "the range reaches the bottom of the lowest control";
  EXPECT_TRUE(GetWindowLongA(box->Handle(), GWL_STYLE) & WS_VSCROLL) << "the vertical bar shows";
  EXPECT_FALSE(GetWindowLongA(box->Handle(), GWL_STYLE) & WS_HSCROLL) << "nothing is beyond the right edge";
  box->VertScrollBar()->SetPosition(100);
  EXPECT_EQ(deep->Top(), 200) << "scrolling by 100 moves the content up by 100";
  EXPECT_EQ(GetScrollPos(box->Handle(), SB_VERT), 100);
  // The last position shows the end of the content.
  box->VertScrollBar()->SetPosition(100000);
  EXPECT_EQ(deep->Top() + deep->Height(), box->ClientHeight());
  // A control that gets the focus scrolls into view.
  box->VertScrollBar()->SetPosition(0);
  deep->SetFocus();
  pumpFor(20);
  EXPECT_GE(deep->Top(), 0);
  EXPECT_LE(deep->Top() + deep->Height(), box->ClientHeight());
}

// ---------------------------------------------------------------------------------------
// The application's start and the system's setting changes.

TEST_F(FormsTest, InitializeStartsComInTheSingleThreadedApartment) {
  Application->Initialize();
  // The thread's apartment is taken: asking for another one is refused.
  HRESULT other = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  EXPECT_EQ(other, RPC_E_CHANGED_MODE);
  HRESULT same = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  EXPECT_EQ(same, S_FALSE) << "already started in this apartment";
  if (SUCCEEDED(same)) CoUninitialize();
}

TEST_F(FormsTest, SettingChangeReReadsTheFormatSettingsUnlessTurnedOff) {
  char localeSeparator = DecimalSeparator;
  char other = localeSeparator == ',' ? '.' : ',';
  DecimalSeparator = other;
  Application->SetUpdateFormatSettings(false);
  SendMessageA(Application->Handle(), WM_SETTINGCHANGE, 0, 0);
  EXPECT_EQ(DecimalSeparator, other) << "kept while UpdateFormatSettings is off";
  Application->SetUpdateFormatSettings(true);
  SendMessageA(Application->Handle(), WM_SETTINGCHANGE, 0, 0);
  EXPECT_EQ(DecimalSeparator, localeSeparator) << "read again from the locale";
}

// ---------------------------------------------------------------------------------------
// Storing forms.

TEST_F(FormsTest, StoredFormKeepsOnlyWhatDiffersFromTheDefaultsAndReadsBack) {
  TForm* form = own(TForm::CreateNew(nullptr));
  form->SetName("Principal");
  form->SetCaption("Gerador");
  form->SetBorderStyle(bsDialog);
  form->SetPosition(poScreenCenter);
  form->SetKeyPreview(true);
  TTestPad* pad = place<TTestPad>(form, "Pad", Bounds(5, 6, 70, 20));

  TMemoryStream binary;
  binary.WriteComponent(form);
  binary.SetPosition(0);
  TStringStream text;
  ObjectBinaryToText(&binary, &text);
  std::string stored = text.DataString();
  for (const char* line : {"BorderStyle = bsDialog", "Caption = 'Gerador'", "Position = poScreenCenter",
                           "KeyPreview = True", "object Pad: TTestPad"})
    EXPECT_NE(stored.find(line), std::string::npos) << "missing \"" << line << "\" in:\n" << stored;
  for (const char* line : {"\n  FormStyle", "\n  Visible", "\n  WindowState", "\n  Scaled", "\n  AlphaBlend",
                           "\n  Color", "\n  BorderIcons"})
    EXPECT_EQ(stored.find(line), std::string::npos) << "default \"" << line + 3 << "\" stored in:\n" << stored;

  TForm* copy = own(TForm::CreateNew(nullptr));
  binary.SetPosition(0);
  RegisterClass(TTestPad::StaticClass());
  binary.ReadComponent(copy);
  UnRegisterClass(TTestPad::StaticClass());
  EXPECT_EQ(copy->Caption(), "Gerador");
  EXPECT_EQ(copy->BorderStyle(), bsDialog);
  EXPECT_EQ(copy->Position(), poScreenCenter);
  EXPECT_TRUE(copy->KeyPreview());
  ASSERT_EQ(copy->ControlCount(), 1);
  EXPECT_EQ(rectString(copy->Controls(0)->BoundsRect()), rectString(Bounds(5, 6, 70, 20)));
}

// The caption buttons are drawn in the symbol font the system asks for ("Marlett", symbol
// character set). When the font is missing they show as the letters "0 1 r" of another
// font: the close button's cross is mirror-symmetric, the letter r is not.
TEST_F(FormsTest, CaptionButtonsAreDrawnWithTheSymbolFont) {
  HDC dc = GetDC(nullptr);
  LOGFONTA lf{};
  lf.lfHeight = -GetSystemMetrics(SM_CYCAPTION) + 4;
  lf.lfCharSet = SYMBOL_CHARSET;
  lstrcpyA(lf.lfFaceName, "Marlett");
  HFONT font = CreateFontIndirectA(&lf);
  HGDIOBJ old = SelectObject(dc, font);
  char face[LF_FACESIZE] = {};
  GetTextFaceA(dc, LF_FACESIZE, face);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  EXPECT_STREQ(face, "Marlett") << "the prefix lacks the system's symbol font (tools/make-prefix)";

  TForm* form = own(newForm(300, 120));
  form->SetCaption("Gerador de estratos");
  showAndActivate(form);
  TBitmap shot;
  captureWindow(form->Handle(), shot);
  savePng(shot, "caption-buttons");
  // The close button: the rightmost square of the caption, inside the sizing frame; its
  // raised edges (dark on two sides only) are left out.
  const Integer frame = GetSystemMetrics(SM_CXFRAME), size = GetSystemMetrics(SM_CXSIZE);
  const Integer captionHeight = GetSystemMetrics(SM_CYCAPTION);
  TRect button = Rect(shot.Width() - frame - size, frame, shot.Width() - frame, frame + captionHeight - 1);
  InflateRect(&button, -3, -3);
  const uint32_t ink = GetSysColor(COLOR_BTNTEXT) & 0xFFFFFF;
  Integer inked = 0, left = button.right, right = button.left;
  for (Integer y = button.top; y < button.bottom; ++y)
    for (Integer x = button.left; x < button.right; ++x)
      if (pixelAt(shot, x, y) == ink) {
        ++inked;
        left = std::min(left, x);
        right = std::max(right, x);
      }
  ASSERT_GT(inked, 4) << "the close button shows a glyph";
  Integer unmatched = 0;
  for (Integer y = button.top; y < button.bottom; ++y)
    for (Integer x = left; x <= right; ++x)
      if ((pixelAt(shot, x, y) == ink) != (pixelAt(shot, left + right - x, y) == ink)) ++unmatched;
  EXPECT_LE(unmatched, inked / 10) << "the close button's glyph is a cross, not a letter (" << unmatched << " of "
                                   << inked << " ink pixels have no mirror image)";
}
