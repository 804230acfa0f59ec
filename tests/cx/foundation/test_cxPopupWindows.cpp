// Popup windows of the container unit under real windows: opening beside the owner inside
// the work area, the focus-taking and non-activating kinds, the closing hooks (clicks
// elsewhere, the owner's area, application switches, a hidden owner, Alt+F4, system
// keys), Esc with the mouse captured, the own message loop, deactivation and the
// open/close messages; and the inner list box a container hosts (input forwarding, the
// dialog codes, the overlay scroll bars, owner drawing).
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CxTestHelpers.h"
#include "cx/foundation/cxContainer.h"
#include "platform/gui/GuiTestSupport.h"

using namespace guitest;

namespace {

std::vector<std::string>* eventLog = nullptr;
void note(const std::string& s) {
  if (eventLog) eventLog->push_back(s);
}

// A container that writes down the input it gets and may swallow keys.
class TLoggingContainer : public TcxContainer {
  RTL_DECLARE_CLASS(TLoggingContainer, TcxContainer)
public:
  explicit TLoggingContainer(TComponent* AOwner) : TcxContainer(AOwner) {}
  bool ConsumeKeys = false;
  using TcxContainer::SetInnerControl;

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
    note("MouseDown@" + std::to_string(X) + "," + std::to_string(Y) + (InnerMouseDown() ? " inner" : ""));
    TcxContainer::MouseDown(Button, Shift, X, Y);
  }
  void KeyDown(Word& Key, TShiftState Shift) override {
    note("KeyDown " + std::to_string(Key));
    if (ConsumeKeys) Key = 0;
    else TcxContainer::KeyDown(Key, Shift);
  }
  void KeyPress(char& Key) override { note(std::string("KeyPress ") + std::to_string(static_cast<int>(Key))); }
  void Click() override { note("Click"); }
  void DblClick() override { note("DblClick"); }
};

// A container hosting an inner list box.
class TListContainer : public TLoggingContainer {
  RTL_DECLARE_CLASS(TListContainer, TLoggingContainer)
public:
  explicit TListContainer(TComponent* AOwner) : TLoggingContainer(AOwner) {}
  void AfterConstruction() override {
    TLoggingContainer::AfterConstruction();
    List = New<TcxCustomInnerListBox>(this);
    List->SetContainer(this);
    List->SetParent(this);
    SetInnerControl(List);
  }
  TcxCustomInnerListBox* List = nullptr;
};

// A popup that lays out a single frame around its client area and writes down its events.
class TTestPopup : public TcxCustomPopupWindow {
  RTL_DECLARE_CLASS(TTestPopup, TcxCustomPopupWindow)
public:
  explicit TTestPopup(TWinControl* AOwnerControl) : TcxCustomPopupWindow(AOwnerControl) {
    SetOnBeforeShow(TNotifyEvent(this, &TTestPopup::beforeShow));
    SetOnAfterShow(TNotifyEvent(this, &TTestPopup::afterShow));
    SetOnBeforeClose(TcxPopupWindowCloseEvent(this, &TTestPopup::beforeClose));
    SetOnAfterClose(TcxPopupWindowCloseEvent(this, &TTestPopup::afterClose));
  }
  std::string Name = "popup";
  std::function<void()> AfterShow;
  TListContainer* ListBox = nullptr;

  void CalculateSize() override {
    TcxCustomPopupWindow::CalculateSize();
    TcxContainerViewInfo* vi = ViewInfo();
    vi->Bounds = TRect{0, 0, Width(), Height()};
    vi->BorderRect = TRect{1, 1, Width() - 1, Height() - 1};
    vi->ClientRect = vi->BorderRect;
    vi->BorderStyle = cbsSingle;
    vi->BorderWidth = 1;
    vi->BorderColor = clBlack;
    vi->BackgroundColor = clWindow;
    Realign();
  }

private:
  void beforeShow(TObject*) { note(Name + " BeforeShow"); }
  void afterShow(TObject*) {
    note(Name + " AfterShow");
    if (AfterShow) AfterShow();
  }
  void beforeClose(TObject*, bool AQuery) { note(Name + " BeforeClose" + (AQuery ? " query" : "")); }
  void afterClose(TObject*, bool AQuery) { note(Name + " AfterClose" + (AQuery ? " query" : "")); }
};

// A form that writes down when its caption is told to look inactive.
class TCaptionForm : public TForm {
  RTL_DECLARE_CLASS(TCaptionForm, TForm)
public:
  TCaptionForm(TComponent* AOwner, Integer Dummy) : TForm(AOwner, Dummy) {}
  Integer CaptionDeactivations = 0;
  void WMNCActivate(TMessage& Message) {
    if (Message.WParam == 0) ++CaptionDeactivations;
    INHERITED_MESSAGE(Message);
  }
};

}  // namespace

RTL_BEGIN_CLASS(TCaptionForm)
  b.Message(WM_NCACTIVATE, &TCaptionForm::WMNCActivate);
RTL_END_CLASS
RTL_IMPLEMENT_CLASS(TLoggingContainer)
RTL_IMPLEMENT_CLASS(TListContainer)
RTL_IMPLEMENT_CLASS(TTestPopup)

namespace {

class CxPopupTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    eventLog = &events;
  }
  void TearDown() override {
    for (TcxCustomPopupWindow* p : std::vector<TcxCustomPopupWindow*>(cxOpenPopupWindows())) p->CloseUp(false);
    eventLog = nullptr;
    GuiTest::TearDown();
  }
  TForm* newForm(Integer X = 100, Integer Y = 100, Integer W = 360, Integer H = 260) {
    TForm* form = own(New<TForm>(nullptr, 0));
    form->SetBounds(X, Y, W, H);
    return form;
  }
  template <class C = TLoggingContainer> C* newContainer(TWinControl* Parent, const TRect& R) {
    C* c = New<C>(Parent);
    c->SetParent(Parent);
    c->SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top);
    return c;
  }
  // A popup beside AOwner, AWidth by AHeight, holding a list container; freed at the end.
  TTestPopup* newPopup(TWinControl* AOwner, bool ATakesFocus, Integer AWidth = 150, Integer AHeight = 90) {
    return own(unownedPopup(AOwner, ATakesFocus, AWidth, AHeight));
  }
  // The same popup for a test that frees it itself.
  TTestPopup* unownedPopup(TWinControl* AOwner, bool ATakesFocus, Integer AWidth = 150, Integer AHeight = 90) {
    TTestPopup* popup = New<TTestPopup>(AOwner);
    popup->SetTakesFocus(ATakesFocus);
    popup->SetRunsModalLoop(false);
    popup->SetAnchorParent(AOwner);
    popup->SetAnchorBounds(TRect{0, 0, AOwner->Width(), AOwner->Height()});
    popup->SetAutoSizeToContent(false);
    popup->SetBounds(0, 0, AWidth, AHeight);
    TListContainer* list = newContainer<TListContainer>(popup, TRect{0, 0, AWidth - 2, AHeight - 2});
    list->SetAlign(alClient);
    for (Integer i = 0; i < 20; ++i) list->List->Items()->Add("Item " + std::to_string(i));
    popup->ListBox = list;
    return popup;
  }
  TTestPopup* namedPopup(TWinControl* AOwner, bool ATakesFocus, const char* AName) {
    TTestPopup* popup = newPopup(AOwner, ATakesFocus);
    popup->Name = AName;
    return popup;
  }
  // The usual scene: a shown form with an owner container at its top left.
  void showOwner() {
    form = newForm();
    owner = newContainer(form, TRect{20, 20, 140, 44});
    showAndActivate(form);
  }
  // A popup beside AOwner, opened: a focus-taking one for no given control, and active.
  TTestPopup* openPopup(TWinControl* AOwner, bool ATakesFocus) {
    TTestPopup* popup = newPopup(AOwner, ATakesFocus);
    popup->OpenPopup(ATakesFocus ? nullptr : AOwner);
    if (ATakesFocus)
      EXPECT_TRUE(pumpUntil([&] { return popup->Active(); }, 1000)) << "the popup took the activation";
    else
      pumpFor(30);
    return popup;
  }
  static bool isOpen(TcxCustomPopupWindow* P) { return P->IsOpen() && IsWindowVisible(P->Handle()); }
  std::vector<std::string> events;
  TForm* form = nullptr;
  TLoggingContainer* owner = nullptr;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Opening.

TEST_F(CxPopupTest, NonActivatingPopupOpensBelowItsOwnerAndLeavesTheFocusThere) {
  showOwner();
  owner->SetFocus();
  pumpFor(20);
  TTestPopup* popup = newPopup(owner, false);
  popup->OpenPopup(owner);
  pumpFor(30);
  ASSERT_TRUE(isOpen(popup));
  EXPECT_EQ(cxOpenPopupWindows().back(), popup);
  TPoint below = owner->ClientToScreen(Point(0, 24));
  RECT r;
  GetWindowRect(popup->Handle(), &r);
  EXPECT_EQ(r.left, below.x);
  EXPECT_EQ(r.top, below.y) << "below the owner, left-aligned";
  EXPECT_TRUE(owner->HasFocus()) << "the focus stays with the owner";
  EXPECT_EQ(GetActiveWindow(), form->Handle()) << "the owner's form stays active";
  LONG style = GetWindowLongA(popup->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_CHILD) << "a child window that cannot be activated";
  EXPECT_TRUE(GetWindowLongA(popup->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_EQ(GetAncestor(popup->Handle(), GA_PARENT), GetDesktopWindow()) << "detached from its first parent";
  EXPECT_EQ(popup->ControlToFocus(), owner);
  EXPECT_EQ(events, (std::vector<std::string>{"popup BeforeShow", "popup AfterShow"}));
  popup->OpenPopup(owner);
  EXPECT_EQ(events.size(), 2u) << "an open popup does not open again";
  popup->CloseUp(false);
  EXPECT_FALSE(popup->IsOpen());
  EXPECT_FALSE(IsWindowVisible(popup->Handle()));
}

TEST_F(CxPopupTest, PopupOpensInsideTheWorkAreaAboveAnOwnerNearTheBottom) {
  TForm* probe = newForm();
  TRect work = cxGetMonitorWorkArea(TPoint{200, 200});
  TForm* form = newForm(work.right - 200, work.bottom - 120, 190, 100);
  TLoggingContainer* owner = newContainer(form, TRect{60, 30, 180, 54});
  showAndActivate(form);
  TTestPopup* popup = newPopup(owner, false, 220, 150);
  popup->OpenPopup(owner);
  pumpFor(30);
  RECT r;
  GetWindowRect(popup->Handle(), &r);
  TPoint ownerTop = owner->ClientToScreen(Point(0, 0));
  EXPECT_EQ(r.bottom, ownerTop.y) << "above the owner: no room below";
  EXPECT_LE(r.right, work.right) << "pushed back into the work area";
  EXPECT_GE(r.left, work.left);
  EXPECT_GE(r.top, work.top);
  (void)probe;
}

TEST_F(CxPopupTest, FocusTakingPopupIsOwnedByTheOwnersFormAndFocusesItsFirstTabStop) {
  TCaptionForm* form = own(New<TCaptionForm>(nullptr, 0));
  form->SetBounds(100, 100, 360, 260);
  TLoggingContainer* owner = newContainer(form, TRect{20, 20, 140, 44});
  showAndActivate(form);
  TTestPopup* popup = newPopup(owner, true);
  popup->SetTopmostWithOwner(true);
  form->CaptionDeactivations = 0;
  popup->OpenPopup(nullptr);
  ASSERT_TRUE(pumpUntil([&] { return popup->Active(); }, 1000));
  EXPECT_EQ(form->CaptionDeactivations, 0) << "the owner form's caption stays active while its popup has the focus";
  EXPECT_EQ(GetWindow(popup->Handle(), GW_OWNER), form->Handle());
  EXPECT_TRUE(GetWindowLongA(popup->Handle(), GWL_STYLE) & WS_POPUP);
  EXPECT_FALSE(GetWindowLongA(popup->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) << "the owner's form is not topmost";
  EXPECT_EQ(popup->ControlToFocus(), popup->ListBox) << "no control given: the popup's first tab stop";
  EXPECT_TRUE(popup->ListBox->List->Focused()) << "which hands the focus to its inner list";
  EXPECT_TRUE(popup->HasFocus());
  EXPECT_EQ(GetActiveWindow(), popup->Handle());
  // The choice of the control to focus.
  EXPECT_EQ(popup->GetControlToFocus(owner), owner) << "a given tab stop that can take the focus";
  owner->SetTabStop(false);
  EXPECT_EQ(popup->GetControlToFocus(owner), popup->ListBox->List)
      << "not a tab stop: the popup's first one (the focused inner list stands in for its container)";
  popup->ListBox->SetTabStop(false);
  popup->ListBox->List->SetTabStop(false);
  EXPECT_EQ(popup->GetControlToFocus(nullptr), popup) << "no tab stop at all: the popup itself";
  popup->CloseUp(false);

  TForm* topmostForm = newForm(500, 100, 200, 120);
  topmostForm->SetFormStyle(fsStayOnTop);
  TLoggingContainer* topmostOwner = newContainer(topmostForm, TRect{10, 10, 100, 34});
  showAndActivate(topmostForm);
  TTestPopup* topmost = newPopup(topmostOwner, true);
  topmost->SetTopmostWithOwner(true);
  topmost->OpenPopup(nullptr);
  EXPECT_TRUE(GetWindowLongA(topmost->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) << "topmost with its topmost owner form";
}

// ---------------------------------------------------------------------------------------
// The closing hooks.

TEST_F(CxPopupTest, ClickElsewhereClosesAndAClickOnTheOwnerIsMarkedAndLetThrough) {
  TForm* form = newForm();
  TLoggingContainer* owner = newContainer(form, TRect{20, 20, 140, 44});
  TLoggingContainer* other = newContainer(form, TRect{200, 180, 300, 204});
  showAndActivate(form);
  TTestPopup* popup = newPopup(owner, false);
  popup->OpenPopup(owner);
  pumpFor(30);
  clickAt(popup->ListBox->List, Point(20, 20));
  EXPECT_TRUE(isOpen(popup)) << "a click inside the popup";
  events.clear();
  clickAt(other, Point(10, 10));
  EXPECT_FALSE(popup->IsOpen()) << "a click elsewhere on the owner's form";
  EXPECT_FALSE(popup->ClosedByOwnerClick());
  EXPECT_EQ(events.front(), "popup BeforeClose");
  EXPECT_NE(std::find(events.begin(), events.end(), "MouseDown@10,10"), events.end()) << "the click goes on";

  popup->OpenPopup(owner);
  pumpFor(30);
  events.clear();
  clickAt(owner, Point(30, 10));
  EXPECT_FALSE(popup->IsOpen()) << "a click on the owner closes";
  EXPECT_TRUE(popup->ClosedByOwnerClick()) << "and tells the owner not to reopen on it";
  EXPECT_NE(std::find(events.begin(), events.end(), "MouseDown@30,10"), events.end()) << "the click reaches the owner";
}

TEST_F(CxPopupTest, ThreadHooksWatchOnlyWhilePopupsAreOpenAndComeBackWithTheNextOne) {
  TForm* form = newForm();
  TLoggingContainer* owner = newContainer(form, TRect{20, 20, 140, 44});
  TLoggingContainer* other = newContainer(form, TRect{200, 180, 300, 204});
  showAndActivate(form);
  TTestPopup* first = namedPopup(owner, false, "first");
  TTestPopup* second = namedPopup(other, false, "second");
  EXPECT_FALSE(cxPopupHooksInstalled()) << "no popup open: the thread is not hooked";

  first->OpenPopup(owner);
  second->OpenPopup(other);
  pumpFor(30);
  EXPECT_TRUE(cxPopupHooksInstalled()) << "popups open";
  second->CloseUp(false);
  EXPECT_TRUE(cxPopupHooksInstalled()) << "one popup still open";
  // The last popup closes inside the mouse hook: the hooks go while one of them runs.
  clickAt(other, Point(10, 10));
  EXPECT_FALSE(first->IsOpen());
  EXPECT_FALSE(cxPopupHooksInstalled()) << "the last popup closed by a click";
  pumpFor(30);

  // A popup opened afterwards is watched again: a click elsewhere still closes it.
  first->OpenPopup(owner);
  pumpFor(30);
  EXPECT_TRUE(cxPopupHooksInstalled());
  clickAt(other, Point(10, 10));
  EXPECT_FALSE(first->IsOpen()) << "the hooks came back with the popup";
  EXPECT_FALSE(cxPopupHooksInstalled());

  // A popup freed while open takes the hooks with it.
  TTestPopup* doomed = unownedPopup(other, false);
  doomed->OpenPopup(other);
  pumpFor(30);
  ASSERT_TRUE(cxPopupHooksInstalled());
  doomed->Free();
  EXPECT_FALSE(cxPopupHooksInstalled()) << "the freed popup was the last one open";
}

TEST_F(CxPopupTest, HidingTheOwnerClosesItsPopupAndThoseOpenedAfterIt) {
  TForm* form = newForm();
  TLoggingContainer* owner = newContainer(form, TRect{20, 20, 140, 44});
  TLoggingContainer* bystander = newContainer(form, TRect{200, 20, 320, 44});
  showAndActivate(form);
  TTestPopup* unrelated = namedPopup(bystander, false, "unrelated");
  TTestPopup* first = namedPopup(owner, false, "first");
  TTestPopup* second = namedPopup(first->ListBox, false, "second");
  unrelated->OpenPopup(bystander);
  first->OpenPopup(owner);
  second->OpenPopup(first->ListBox);
  pumpFor(30);
  ASSERT_EQ(cxOpenPopupWindows().size(), 3u);
  events.clear();
  owner->Hide();
  pumpFor(30);
  EXPECT_FALSE(first->IsOpen());
  EXPECT_FALSE(second->IsOpen());
  EXPECT_TRUE(unrelated->IsOpen()) << "a popup opened before, of another owner";
  EXPECT_EQ(events, (std::vector<std::string>{"second BeforeClose", "second AfterClose", "first BeforeClose",
                                              "first AfterClose"}))
      << "the last first";
}

TEST_F(CxPopupTest, ApplicationSwitchClosesEveryPopupButAnActiveFocusTakingOne) {
  TForm* form = newForm();
  TLoggingContainer* a = newContainer(form, TRect{20, 20, 140, 44});
  TLoggingContainer* b = newContainer(form, TRect{200, 20, 320, 44});
  showAndActivate(form);
  TTestPopup* quiet = namedPopup(a, false, "quiet");
  TTestPopup* inactive = namedPopup(b, true, "inactive");
  TTestPopup* active = namedPopup(inactive->ListBox, true, "active");
  quiet->OpenPopup(a);
  inactive->OpenPopup(nullptr);
  ASSERT_TRUE(pumpUntil([&] { return inactive->Active(); }, 1000));
  active->OpenPopup(nullptr);
  ASSERT_TRUE(pumpUntil([&] { return active->Active(); }, 1000));
  ASSERT_TRUE(inactive->IsOpen()) << "losing the activation to a popup opened from it keeps it open";
  events.clear();
  SendMessageA(form->Handle(), WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_FALSE(quiet->IsOpen());
  EXPECT_FALSE(inactive->IsOpen()) << "a focus-taking popup that is not active";
  EXPECT_TRUE(active->IsOpen()) << "the active focus-taking popup stays";
  EXPECT_EQ(events, (std::vector<std::string>{"quiet BeforeClose", "quiet AfterClose", "inactive BeforeClose",
                                              "inactive AfterClose"}))
      << "in opening order";
}

TEST_F(CxPopupTest, ClosingAFocusTakingPopupsWindowClosesItThenItsOwnersForm) {
  showOwner();
  TTestPopup* popup = openPopup(owner, true);
  // Alt+F4 comes to the window as the close command.
  SendMessageA(popup->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  pumpFor(30);
  EXPECT_FALSE(popup->IsOpen());
  EXPECT_FALSE(form->Visible()) << "the owner's form closed after the popup";
  EXPECT_EQ(events.back(), "popup AfterClose");
}

TEST_F(CxPopupTest, SystemKeysReachOnlyPopupsThatAcceptThem) {
  showOwner();
  TTestPopup* popup = openPopup(owner, false);
  auto arrives = [&](WPARAM AKey) {
    MSG m{};
    while (PeekMessageA(&m, form->Handle(), WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_REMOVE)) {
    }
    PostMessageA(form->Handle(), WM_SYSKEYDOWN, AKey, 0x20000001);
    UINT seen = WM_NULL;
    for (Integer i = 0; i < 20 && PeekMessageA(&m, form->Handle(), 0, 0, PM_REMOVE); ++i)
      if (m.wParam == AKey && (m.message == WM_SYSKEYDOWN || m.message == WM_NULL)) {
        seen = m.message;
        break;
      }
    return seen == WM_SYSKEYDOWN;
  };
  for (WPARAM key : {VK_PRIOR, VK_NEXT, VK_END, VK_HOME, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_F4})
    EXPECT_TRUE(arrives(key)) << "Alt with key " << key;
  for (WPARAM key : {WPARAM('A'), WPARAM(VK_MENU), WPARAM(VK_F10), WPARAM(VK_SPACE)})
    EXPECT_FALSE(arrives(key)) << "Alt with key " << key << " is discarded";
  // A focus-taking popup with its own loop decides on its keys itself.
  popup->CloseUp(false);
  TTestPopup* looping = newPopup(owner, true);
  looping->OpenPopup(nullptr);
  looping->SetRunsModalLoop(true);
  EXPECT_TRUE(arrives('A'));
  looping->CloseUp(false);
  EXPECT_TRUE(arrives('A')) << "no popup open: nothing is discarded";
}

TEST_F(CxPopupTest, EscWithTheMouseCapturedOnlyReleasesTheCapture) {
  showOwner();
  TTestPopup* popup = openPopup(owner, true);
  SetCapture(popup->Handle());
  ASSERT_TRUE(popup->HasCapture());
  // The key reaches the popup first (it previews its controls' keys).
  ASSERT_TRUE(popup->ListBox->List->Focused());
  popup->ListBox->List->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(popup->IsOpen());
  EXPECT_TRUE(events.end() == std::find_if(events.begin(), events.end(), [](const std::string& e) {
                return e.rfind("KeyDown", 0) == 0;
              })) << "the key was swallowed";
}

TEST_F(CxPopupTest, FocusTakingPopupRunsItsOwnLoopUntilItCloses) {
  showOwner();
  TTestPopup* popup = newPopup(owner, true);
  popup->SetRunsModalLoop(true);
  Integer queries = 0;
  struct Query : TObject {
    Integer* Count;
    TTestPopup* Popup;
    void CloseQuery(TObject*, bool& CanClose) {
      ++*Count;
      note("CloseQuery");
      CanClose = false;
      // Refused once; the close message ends the loop afterwards.
      cxPostPopupCloseMessage(Popup);
    }
  } query;
  query.Count = &queries;
  query.Popup = popup;
  popup->SetOnCloseQuery(TCloseQueryEvent(&query, &Query::CloseQuery));
  bool focusedInside = false;
  popup->AfterShow = [&] {
    focusedInside = popup->ListBox->List->Focused();
    popup->SetModalResult(mrOk);
  };
  popup->OpenPopup(nullptr);  // returns when the loop ends
  EXPECT_FALSE(popup->IsOpen());
  EXPECT_TRUE(focusedInside);
  EXPECT_EQ(queries, 1);
  EXPECT_EQ(popup->ModalResult(), mrNone) << "a refused close clears the modal result";
  EXPECT_EQ(events, (std::vector<std::string>{"popup BeforeShow", "popup AfterShow", "CloseQuery",
                                              "popup BeforeClose", "popup AfterClose"}));
}

TEST_F(CxPopupTest, ActivatingAnotherFormClosesAFocusTakingPopup) {
  TForm* form = newForm();
  TLoggingContainer* owner = newContainer(form, TRect{20, 20, 140, 44});
  TForm* second = newForm(500, 100, 200, 150);
  showAndActivate(form);
  TTestPopup* popup = newPopup(owner, true);
  popup->OpenPopup(nullptr);
  ASSERT_TRUE(pumpUntil([&] { return popup->Active(); }, 1000));
  showAndActivate(second);
  EXPECT_TRUE(pumpUntil([&] { return !popup->IsOpen(); }, 1000));
}

TEST_F(CxPopupTest, OpenAndCloseMessages) {
  showOwner();
  TTestPopup* popup = newPopup(owner, false);
  SendMessageA(popup->Handle(), WM_CXSHOWPOPUPWINDOW, reinterpret_cast<WPARAM>(owner), 0);
  EXPECT_TRUE(popup->IsOpen());
  EXPECT_EQ(popup->ControlToFocus(), owner);
  cxPostPopupCloseMessage(popup);
  EXPECT_TRUE(popup->IsOpen()) << "posted: closes when handled";
  EXPECT_TRUE(pumpUntil([&] { return !popup->IsOpen(); }, 1000));
  EXPECT_FALSE(popup->ClosingByMessage());
}

TEST_F(CxPopupTest, FreeingTheOwnerOfAnOpenPopupClosesIt) {
  showOwner();
  TTestPopup* popup = openPopup(owner, false);
  owner->Free();
  EXPECT_FALSE(popup->IsOpen());
  EXPECT_EQ(popup->OwnerControl(), nullptr);
  clickAt(form, Point(300, 200));  // the hooks must not reach the freed owner
  EXPECT_TRUE(cxOpenPopupWindows().empty());
}

TEST_F(CxPopupTest, OpenPopupShowsItsFrameAndList) {
  TForm* form = newForm();
  TLoggingContainer* owner = newContainer(form, TRect{20, 20, 160, 44});
  showAndActivate(form);
  TTestPopup* popup = newPopup(owner, false, 160, 100);
  popup->OpenPopup(owner);
  pumpFor(100);
  TBitmap shot;
  captureWindow(GetDesktopWindow(), shot);
  RECT r;
  GetWindowRect(form->Handle(), &r);
  TBitmap area;
  area.SetPixelFormat(pf24bit);
  area.SetSize(r.right - r.left + 40, r.bottom - r.top + 40);
  BitBlt(area.Canvas()->Handle(), 0, 0, area.Width(), area.Height(), shot.Canvas()->Handle(), r.left - 20, r.top - 20,
         SRCCOPY);
  savePng(area, "cxContainer_open_popup");
  TBitmap bmp;
  captureClient(popup, bmp);
  EXPECT_EQ(pixelAt(bmp, 0, 40), rgbOfColor(clBlack)) << "the view info's frame";
  EXPECT_EQ(pixelAt(bmp, 159, 40), rgbOfColor(clBlack));
  TcxScrollBar* bar = popup->ListBox->List->VScrollBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(bar->Visible()) << "the list's own scroll bar lies over the native one";
}

// ---------------------------------------------------------------------------------------
// The inner list box.

namespace {

class CxInnerListBoxTest : public CxPopupTest {
protected:
  TListContainer* newList(TForm* Form, Integer Items, const TRect& R = TRect{20, 20, 170, 120}) {
    TListContainer* c = newContainer<TListContainer>(Form, R);
    for (Integer i = 0; i < Items; ++i) c->List->Items()->Add("Item " + std::to_string(i));
    return c;
  }
};

}  // namespace

TEST_F(CxInnerListBoxTest, MouseInputGoesToTheContainerInItsCoordinates) {
  TForm* form = newForm();
  TListContainer* c = newList(form, 5);
  showAndActivate(form);
  TPoint origin{c->List->Left(), c->List->Top()};
  events.clear();
  clickAt(c->List, Point(10, 5));
  pumpFor(30);
  std::string down = "MouseDown@" + std::to_string(10 + origin.x) + "," + std::to_string(5 + origin.y) + " inner";
  EXPECT_NE(std::find(events.begin(), events.end(), down), events.end()) << "forwarded with the container's flag";
  EXPECT_NE(std::find(events.begin(), events.end(), "Click"), events.end());
  EXPECT_FALSE(c->InnerMouseDown()) << "only while the press is handled";
  EXPECT_TRUE(c->List->Focused());
  EXPECT_TRUE(c->HasFocus());
  EXPECT_EQ(c->ViewInfo()->ContainerState & csFocused, csFocused) << "the container was told of the focus";
  events.clear();
  doubleClickAt(c->List, Point(10, 5));
  pumpFor(30);
  EXPECT_NE(std::find(events.begin(), events.end(), "DblClick"), events.end());
}

TEST_F(CxInnerListBoxTest, KeysGoToTheContainerFirst) {
  TForm* form = newForm();
  TListContainer* c = newList(form, 5);
  showAndActivate(form);
  c->List->SetFocus();
  c->List->SetItemIndex(0);
  pumpFor(20);
  c->ConsumeKeys = true;
  events.clear();
  pressKey(VK_DOWN);
  EXPECT_EQ(events, std::vector<std::string>{"KeyDown " + std::to_string(VK_DOWN)});
  EXPECT_EQ(c->List->ItemIndex(), 0) << "a key the container took never reaches the list";
  c->ConsumeKeys = false;
  pressKey(VK_DOWN);
  EXPECT_EQ(c->List->ItemIndex(), 1);
  events.clear();
  c->List->Perform(WM_CHAR, '\t', 0);
  c->List->Perform(WM_CHAR, 'q', 0);
  c->List->Perform(WM_CHAR, '\r', 0);
  EXPECT_EQ(events, (std::vector<std::string>{"KeyPress 113", "KeyPress 13"})) << "Tab is dropped before the container";
  LRESULT code = c->List->Perform(WM_GETDLGCODE, 0, 0);
  EXPECT_TRUE(code & DLGC_WANTCHARS);
  EXPECT_TRUE(code & DLGC_WANTTAB);
  TcxCustomInnerListBox* alone = New<TcxCustomInnerListBox>(form);
  alone->SetParent(form);
  EXPECT_FALSE(alone->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB) << "only inside a container";
}

TEST_F(CxInnerListBoxTest, OverlayScrollBarsLieOverTheNativeOnesAndDriveThem) {
  if (!cxCanGetScrollBarInfo()) GTEST_SKIP() << "no scroll-bar information on this system";
  TForm* form = newForm();
  TListContainer* c = newList(form, 40);
  showAndActivate(form);
  pumpFor(30);
  TcxCustomInnerListBox* list = c->List;
  TcxScrollBar* v = list->VScrollBar();
  TcxScrollBar* h = list->HScrollBar();
  ASSERT_NE(v, nullptr);
  EXPECT_TRUE(v->Visible());
  EXPECT_FALSE(h->Visible()) << "no native horizontal bar";
  EXPECT_EQ(v->Parent(), c) << "a sibling of the list box in its parent";
  SCROLLBARINFO info;
  ASSERT_TRUE(cxGetScrollBarInfo(list->Handle(), OBJID_VSCROLL, info));
  TRect native = info.rcScrollBar;
  MapWindowPoints(nullptr, c->Handle(), reinterpret_cast<POINT*>(&native), 2);
  EXPECT_EQ(rectText(v->BoundsRect()), rectText(native)) << "over the native bar";
  EXPECT_EQ(v->Max(), 39);
  EXPECT_EQ(v->Position(), 0);

  list->SetTopIndex(10);
  EXPECT_EQ(v->Position(), 10) << "follows the list";
  v->DoScroll(scLineDown);
  EXPECT_EQ(list->TopIndex(), 11) << "scrolling the overlay scrolls the list";
  EXPECT_EQ(v->Position(), 11);
  list->SetFocus();
  list->SetItemIndex(11);
  pressKey(VK_END);
  pumpFor(20);
  EXPECT_EQ(v->Position(), list->TopIndex()) << "keyboard scrolling moves the overlay too";
  EXPECT_GT(list->TopIndex(), 11);
  list->Items()->Clear();
  pumpFor(20);
  EXPECT_FALSE(v->Visible()) << "no native bar: the overlay hides";
}

TEST_F(CxInnerListBoxTest, FreeingTheListBoxTakesItsOverlaysAlong) {
  if (!cxCanGetScrollBarInfo()) GTEST_SKIP() << "no scroll-bar information on this system";
  TForm* form = newForm();
  TListContainer* c = newList(form, 40);
  showAndActivate(form);
  pumpFor(30);
  ASSERT_EQ(c->List->VScrollBar()->Parent(), c);
  Integer children = c->ControlCount();
  c->List->Free();
  c->List = nullptr;
  c->SetInnerControl(nullptr);
  EXPECT_EQ(c->ControlCount(), children - 3) << "the list box and both overlays are gone";
  pumpFor(30);
}

TEST_F(CxInnerListBoxTest, OwnerDrawnItemsShowTheSelection) {
  TForm* form = newForm();
  TListContainer* c = newList(form, 5);
  c->List->SetStyle(lbOwnerDrawFixed);
  c->List->SetItemHeight(18);
  showAndActivate(form);
  c->List->SetItemIndex(1);
  pumpFor(50);
  TBitmap bmp;
  captureClient(c->List, bmp);
  EXPECT_EQ(pixelAt(bmp, c->List->Width() - 30, 18 + 9), rgbOfColor(clHighlight)) << "the selected item";
  EXPECT_EQ(pixelAt(bmp, c->List->Width() - 30, 9), rgbOfColor(c->List->Color())) << "an item that is not selected";
}
