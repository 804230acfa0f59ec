// The base control and its interaction services under real windows: focus, keys, mouse,
// in-control drag and drop, scrolling hooks, look-and-feel changes, the context menu,
// destroy guards, mouse-leave tracking, the drag-detection loop, the hourglass, the
// cursors, and the popup window base.
#include <memory>
#include <string>
#include <vector>

#include "CxTestHelpers.h"
#include "cx/foundation/cxControls.h"
#include "platform/gui/GuiTestSupport.h"

using namespace guitest;

namespace {

std::vector<std::string>* eventLog = nullptr;
void note(const std::string& s) {
  if (eventLog) eventLog->push_back(s);
}

// Writes down what the drag-and-drop engine asks of it.
class TTestDragObject : public TcxDragAndDropObject {
  RTL_DECLARE_CLASS(TTestDragObject, TcxDragAndDropObject)
public:
  using TcxDragAndDropObject::TcxDragAndDropObject;
  static bool ImmediateStart;
  bool GetImmediateStart() override { return ImmediateStart; }
  void BeginDragAndDrop() override {
    note("Begin");
    TcxDragAndDropObject::BeginDragAndDrop();
  }
  void DragAndDrop(const TPoint& P, bool& Accepted) override {
    note("Drag@" + std::to_string(P.x) + "," + std::to_string(P.y));
    Accepted = true;
    TcxDragAndDropObject::DragAndDrop(P, Accepted);
  }
  void HideFeedback() override {
    note("HideFeedback");
    TcxDragAndDropObject::HideFeedback();
  }
  void EndDragAndDrop(bool Accepted) override { note(std::string("End ") + (Accepted ? "accepted" : "cancelled")); }
};
bool TTestDragObject::ImmediateStart = false;

// A control that paints its client bounds and writes down the hooks it gets.
class TTestControl : public TcxControl {
  RTL_DECLARE_CLASS(TTestControl, TcxControl)
public:
  explicit TTestControl(TComponent* AOwner) : TcxControl(AOwner) {
    controlStyle_ = controlStyle_ + TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks};
  }
  bool AllowDrag = false;
  bool ShowVBar = false;
  Integer BoundsChanges = 0;
  std::vector<std::string> Scrolls;
  std::vector<std::string> LookAndFeelChanges;
  TColor Fill = static_cast<TColor>(0x00C000);

  bool StartDragAndDrop(const TPoint&) override { return AllowDrag; }
  void Scroll(TScrollBarKind Kind, TScrollCode Code, Integer&) override {
    Scrolls.push_back(std::string(Kind == sbHorizontal ? "H" : "V") + (Code == scLineUp ? "-" : "+"));
  }
  void InitScrollBarsParameters() override {
    SetScrollBarInfo(sbVertical, 0, 100, 1, 10, 0, ShowVBar, true);
    SetScrollBarInfo(sbHorizontal, 0, 100, 1, 10, 0, ShowVBar, true);
  }
  void BoundsChanged() override {
    ++BoundsChanges;
    TcxControl::BoundsChanged();
  }
  void LookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues V) override {
    LookAndFeelChanges.push_back(V.Contains(lfvKind) ? "Kind" : "NativeStyle");
  }
  void ProcessMouseDown(TMouseButton, TShiftState, Integer X, Integer Y) override {
    note("ProcessMouseDown@" + std::to_string(X) + "," + std::to_string(Y));
  }

protected:
  void Paint() override {
    GetCanvas()->SetBrushColor(Fill);
    Canvas()->FillRect(GetClientBounds());
  }
};

class TEvents : public TObject {
public:
  std::vector<std::string> Log;
  TcxControl* ToFree = nullptr;
  void FocusChanged(TObject* Sender) {
    Log.push_back(std::string("FocusChanged ") + (static_cast<TcxControl*>(Sender)->IsFocused() ? "in" : "out"));
  }
  void MouseDown(TObject*, TMouseButton, TShiftState Shift, Integer X, Integer Y) {
    Log.push_back(std::string("MouseDown") + (Shift.Contains(ssDouble) ? "(double)" : "") + "@" + std::to_string(X) +
                  "," + std::to_string(Y));
  }
  void FreeOnMouseDown(TObject*, TMouseButton, TShiftState, Integer, Integer) {
    delete ToFree;
    Log.push_back("freed");
  }
  void Leave(TObject*, TControl*) { Log.push_back("MouseLeave"); }
};

// A component that is a popup menu through the interface.
class TInterfaceMenu : public TComponent, public IcxPopupMenu {
  RTL_DECLARE_CLASS(TInterfaceMenu, TComponent)
public:
  explicit TInterfaceMenu(TComponent* AOwner) : TComponent(AOwner) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    return TComponent::QueryInterface(riid, obj);
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return TComponent::_AddRef(); }
  ULONG STDMETHODCALLTYPE _Release() override { return TComponent::_Release(); }
  std::vector<TPoint> Shown;
  void Popup(Integer X, Integer Y) override { Shown.push_back(TPoint{X, Y}); }
};

// A mouse-leave tracking caller; with HitTest it decides itself (inside its left half).
class TTracker : public TComponent, public IcxMouseTrackingCallerHitTest {
  RTL_DECLARE_CLASS(TTracker, TComponent)
public:
  explicit TTracker(TComponent* AOwner) : TComponent(AOwner) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    if (!HitTest && IsEqualGUID(riid, IcxMouseTrackingCallerHitTest::IID())) return E_NOINTERFACE;
    return TComponent::QueryInterface(riid, obj);
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return TComponent::_AddRef(); }
  ULONG STDMETHODCALLTYPE _Release() override { return TComponent::_Release(); }
  bool HitTest = false;
  Integer HalfWidth = 0;
  Integer Leaves = 0;
  void MouseLeave() override { ++Leaves; }
  bool PtInCaller(const TPoint& P) override { return P.x >= 0 && P.x < HalfWidth && P.y >= 0; }
};

}  // namespace

RTL_IMPLEMENT_CLASS(TTestDragObject)
RTL_IMPLEMENT_CLASS(TTestControl)
RTL_BEGIN_CLASS(TInterfaceMenu)
  b.Interface<IcxPopupMenu>();
RTL_END_CLASS
RTL_BEGIN_CLASS(TTracker)
  b.Interface<IcxMouseTrackingCaller>();
  b.Interface<IcxMouseTrackingCallerHitTest>();
RTL_END_CLASS

namespace {

class CxControlTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    eventLog = &events;
    TTestDragObject::ImmediateStart = false;
  }
  void TearDown() override {
    eventLog = nullptr;
    GuiTest::TearDown();
  }
  TForm* newForm(Integer W = 320, Integer H = 240) {
    TForm* form = own(New<TForm>(nullptr, 0));
    form->SetBounds(100, 100, W, H);
    return form;
  }
  TTestControl* newControl(TForm* Form, const TRect& R) {
    TTestControl* c = New<TTestControl>(Form);
    c->SetParent(Form);
    c->SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top);
    return c;
  }
  static void mouseButton(DWORD Flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = Flags;
    SendInput(1, &in, sizeof in);
    pumpFor(30);
  }
  std::vector<std::string> events;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Focus, keys, mouse.

TEST_F(CxControlTest, ClickFocusesTheControlAndReportsFocusChanges) {
  TForm* form = newForm();
  TTestControl* a = newControl(form, TRect{10, 10, 110, 60});
  TTestControl* b = newControl(form, TRect{150, 10, 250, 60});
  TEvents log;
  a->SetOnFocusChanged(TNotifyEvent(&log, &TEvents::FocusChanged));
  showAndActivate(form);
  b->SetFocus();
  pumpFor(20);
  log.Log.clear();
  clickAt(a, Point(20, 20));
  EXPECT_TRUE(a->IsFocused());
  clickAt(b, Point(20, 20));
  EXPECT_TRUE(b->IsFocused());
  EXPECT_EQ(log.Log, (std::vector<std::string>{"FocusChanged in", "FocusChanged out"}));
  EXPECT_TRUE(a->TabStop()) << "a control that accepts the focus is a tab stop";
}

TEST_F(CxControlTest, DoubleClickDoesNotRefocusOrArmDragAndDrop) {
  TForm* form = newForm();
  TTestControl* a = newControl(form, TRect{10, 10, 110, 60});
  TTestControl* b = newControl(form, TRect{150, 10, 250, 60});
  a->AllowDrag = true;
  a->SetDragAndDropObjectClass(TTestDragObject::StaticClass());
  TEvents log;
  a->SetOnMouseDown(TMouseEvent(&log, &TEvents::MouseDown));
  showAndActivate(form);
  clickAt(a, Point(20, 20));
  ASSERT_TRUE(a->IsFocused());
  EXPECT_EQ(a->DragAndDropState(), ddsNone) << "the release disarms the pending drag";
  // The second press of a double click arrives while another control has the focus.
  a->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  a->Perform(WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  b->SetFocus();
  pumpFor(20);
  log.Log.clear();
  a->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(21, 22));
  EXPECT_TRUE(b->IsFocused()) << "the second click of a double click must not move the focus";
  EXPECT_EQ(a->DragAndDropState(), ddsNone) << "a double click must not arm a drag";
  EXPECT_EQ(log.Log, std::vector<std::string>{"MouseDown(double)@21,22"});
  a->Perform(WM_LBUTTONUP, 0, MAKELPARAM(21, 22));
}

TEST_F(CxControlTest, WantedKeysGiveTheDialogCodes) {
  TForm* form = newForm();
  TTestControl* c = newControl(form, TRect{10, 10, 110, 60});
  struct Case {
    TcxKeys Keys;
    LRESULT Code;
  };
  const Case cases[] = {
      {TcxKeys(), 0},
      {TcxKeys{kArrows}, DLGC_WANTARROWS},
      {TcxKeys{kChars, kTab}, DLGC_WANTCHARS | DLGC_WANTTAB},
      {TcxKeys{kAll, kArrows, kChars, kTab}, DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB},
  };
  for (const Case& k : cases) {
    c->SetWantedKeys(k.Keys);
    EXPECT_EQ(c->Perform(WM_GETDLGCODE, 0, 0), k.Code) << "keys " << k.Keys.ToBits();
  }
}

TEST_F(CxControlTest, InControlDragStartsAfterTheThresholdAndEndsAcceptedOnRelease) {
  TForm* form = newForm();
  TTestControl* c = newControl(form, TRect{10, 10, 210, 110});
  c->AllowDrag = true;
  c->SetDragAndDropObjectClass(TTestDragObject::StaticClass());
  showAndActivate(form);
  moveMouseTo(c->ClientToScreen(Point(20, 20)));
  mouseButton(MOUSEEVENTF_LEFTDOWN);
  EXPECT_EQ(c->DragAndDropState(), ddsStarting) << "armed, waiting for the drag threshold";
  moveMouseTo(c->ClientToScreen(Point(22, 21)));
  EXPECT_EQ(c->DragAndDropState(), ddsStarting) << "still within the threshold";
  moveMouseTo(c->ClientToScreen(Point(60, 50)));
  EXPECT_EQ(c->DragAndDropState(), ddsInProcess);
  mouseButton(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(c->DragAndDropState(), ddsNone);
  ASSERT_GE(events.size(), 4u);
  EXPECT_EQ(events.front(), "ProcessMouseDown@20,20");
  EXPECT_EQ(events[1], "Begin");
  EXPECT_EQ(events[events.size() - 2], "HideFeedback");
  EXPECT_EQ(events.back(), "End accepted");
  EXPECT_EQ(GetCapture(), nullptr) << "the capture is released";
}

TEST_F(CxControlTest, EscCancelsADragAndRestoresTheScreenCursor) {
  TForm* form = newForm();
  TTestControl* c = newControl(form, TRect{10, 10, 210, 110});
  c->AllowDrag = true;
  c->SetDragAndDropObjectClass(TTestDragObject::StaticClass());
  TTestDragObject::ImmediateStart = true;
  showAndActivate(form);
  Screen->SetCursor(crDefault);
  moveMouseTo(c->ClientToScreen(Point(30, 30)));
  mouseButton(MOUSEEVENTF_LEFTDOWN);
  ASSERT_EQ(c->DragAndDropState(), ddsInProcess) << "an immediate object starts at the press";
  moveMouseTo(c->ClientToScreen(Point(40, 40)));
  EXPECT_EQ(Screen->Cursor(), crDrag) << "an accepted drag shows the drag cursor";
  pressKey(VK_ESCAPE);
  EXPECT_EQ(c->DragAndDropState(), ddsNone);
  EXPECT_EQ(Screen->Cursor(), crDefault);
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[events.size() - 2], "HideFeedback");
  EXPECT_EQ(events.back(), "End cancelled");
  mouseButton(MOUSEEVENTF_LEFTUP);
}

TEST_F(CxControlTest, FreeingTheControlInItsMouseDownEventStopsTheHandlerSafely) {
  TForm* form = newForm();
  TTestControl* c = newControl(form, TRect{10, 10, 110, 60});
  TEvents log;
  log.ToFree = c;
  c->SetOnMouseDown(TMouseEvent(&log, &TEvents::FreeOnMouseDown));
  TcxControl* guard = c;
  c->AddDestroyGuard(&guard);
  showAndActivate(form);
  clickAt(c, Point(10, 10));
  EXPECT_EQ(log.Log, std::vector<std::string>{"freed"});
  EXPECT_EQ(guard, nullptr) << "the caller's guard cell is cleared";
  EXPECT_EQ(form->ControlCount(), 0);
}

TEST_F(CxControlTest, WheelScrollsOneLinePerConfiguredLineWithAVisibleVerticalBar) {
  TForm* form = newForm();
  TTestControl* c = newControl(form, TRect{10, 10, 210, 110});
  showAndActivate(form);
  TPoint p = c->ClientToScreen(Point(5, 5));
  LPARAM pos = MAKELPARAM(p.x, p.y);
  c->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), pos);
  EXPECT_TRUE(c->Scrolls.empty()) << "without a vertical bar the wheel scrolls nothing";

  c->ShowVBar = true;
  c->UpdateScrollBars();
  ASSERT_TRUE(c->IsVScrollBarVisible());
  EXPECT_EQ(c->GetMouseWheelScrollingKind(), mwskVertical);
  c->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), pos);
  std::vector<std::string> up(static_cast<size_t>(Mouse->WheelScrollLines()), "V-");
  EXPECT_EQ(c->Scrolls, up) << "forward rotation scrolls up, one line per wheel line";
  c->Scrolls.clear();
  c->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), pos);
  std::vector<std::string> down(static_cast<size_t>(Mouse->WheelScrollLines()), "V+");
  EXPECT_EQ(c->Scrolls, down);
}

TEST_F(CxControlTest, ClientBoundsLeaveOutTheBorderAndVisibleBars) {
  TForm* form = newForm();
  TTestControl* c = newControl(form, TRect{10, 10, 210, 110});
  c->ShowVBar = true;
  c->LookAndFeel()->SetKind(lfStandard);
  showAndActivate(form);
  Integer changes = c->BoundsChanges;
  c->SetBorderStyle(cxcbsDefault);
  EXPECT_EQ(c->BoundsChanges, changes + 1);
  c->SetBorderStyle(cxcbsDefault);
  EXPECT_EQ(c->BoundsChanges, changes + 1) << "setting the current border style causes no relayout";
  ASSERT_TRUE(c->IsHScrollBarVisible());
  ASSERT_TRUE(c->IsVScrollBarVisible());
  TRect client = c->ClientRect();
  TRect expected{2, 2, client.right - 2 - GetSystemMetrics(SM_CXVSCROLL),
                 client.bottom - 2 - GetSystemMetrics(SM_CYHSCROLL)};
  EXPECT_EQ(rectText(c->GetClientBounds()), rectText(expected));

  // The painted border and the clipped client painting.
  c->Repaint();
  pumpFor(20);
  TBitmap shot;
  captureClient(c, shot);
  EXPECT_EQ(pixelAt(shot, 0, 50), rgbOfColor(clBtnShadow)) << "the standard border's outer ring";
  EXPECT_EQ(pixelAt(shot, 1, 50), rgbOfColor(cl3DDkShadow));
  EXPECT_EQ(pixelAt(shot, 5, 50), 0x00C000u) << "the client painting";
}

TEST_F(CxControlTest, LookAndFeelChangesReachTheControl) {
  TForm* form = newForm();
  TTestControl* c = newControl(form, TRect{10, 10, 110, 60});
  cxRootLookAndFeel()->Reset();
  cxRootLookAndFeel()->SetKind(lfStandard);
  EXPECT_EQ(c->LookAndFeelChanges, std::vector<std::string>{"Kind"});
  EXPECT_EQ(c->GetPainter(), TcxStandardLookAndFeelPainter::Instance());
  c->LookAndFeel()->SetKind(lfStandard);
  cxRootLookAndFeel()->SetKind(lfFlat);
  EXPECT_EQ(c->LookAndFeelChanges, std::vector<std::string>{"Kind"}) << "the control chose its own kind";
  cxRootLookAndFeel()->Reset();
}

TEST_F(CxControlTest, PopupMenuAcceptsOnlyMenusAndIsClearedWhenTheMenuGoes) {
  TForm* form = newForm();
  TTestControl* c = newControl(form, TRect{10, 10, 110, 60});
  auto* notAMenu = new TComponent(nullptr);
  c->SetPopupMenu(notAMenu);
  EXPECT_EQ(c->PopupMenu(), nullptr);
  delete notAMenu;
  auto* menu = New<TInterfaceMenu>(static_cast<TComponent*>(nullptr));
  c->SetPopupMenu(menu);
  EXPECT_EQ(c->PopupMenu(), menu);
  delete menu;
  EXPECT_EQ(c->PopupMenu(), nullptr) << "destroying the menu clears the property";
}

TEST_F(CxControlTest, KeyboardContextMenuShowsAtTheClientOrigin) {
  TForm* form = newForm();
  TTestControl* c = newControl(form, TRect{30, 20, 130, 80});
  std::unique_ptr<TInterfaceMenu> menu(New<TInterfaceMenu>(static_cast<TComponent*>(nullptr)));
  c->SetPopupMenu(menu.get());
  showAndActivate(form);
  LRESULT handled = c->Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(c->Handle()), MAKELPARAM(0xFFFF, 0xFFFF));
  ASSERT_EQ(menu->Shown.size(), 1u);
  TPoint origin = c->ClientToScreen(Point(0, 0));
  EXPECT_EQ(menu->Shown[0].x, origin.x);
  EXPECT_EQ(menu->Shown[0].y, origin.y);
  EXPECT_EQ(handled, 1);
  // A mouse request outside the client area shows nothing.
  TPoint outside = c->ClientToScreen(Point(300, 300));
  c->Perform(WM_CONTEXTMENU, 0, MAKELPARAM(outside.x, outside.y));
  EXPECT_EQ(menu->Shown.size(), 1u);
  c->SetPopupMenu(nullptr);
}

TEST_F(CxControlTest, FontListenersHearFontChangesInOrder) {
  TForm* form = newForm();
  TTestControl* c = newControl(form, TRect{10, 10, 110, 60});
  struct Listener : TcxInterfacedPersistent, IcxFontListener {
    Listener(std::vector<std::string>* L, const char* N) : TcxInterfacedPersistent(nullptr), Log(L), Name(N) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
      return TcxInterfacedPersistent::QueryInterface(riid, obj);
    }
    ULONG STDMETHODCALLTYPE _AddRef() override { return TcxInterfacedPersistent::_AddRef(); }
    ULONG STDMETHODCALLTYPE _Release() override { return TcxInterfacedPersistent::_Release(); }
    void FontChanged(TObject* Sender, TFont* F) override { Log->push_back(Name + " " + F->Name()); }
    std::vector<std::string>* Log;
    std::string Name;
  };
  std::vector<std::string> log;
  Listener first(&log, "first"), second(&log, "second");
  c->AddFontListener(&first);
  c->AddFontListener(&second);
  c->Font()->SetName("Arial");
  EXPECT_EQ(log, (std::vector<std::string>{"first Arial", "second Arial"}));
  c->RemoveFontListener(&first);
  log.clear();
  c->Font()->SetName("Tahoma");
  EXPECT_EQ(log, std::vector<std::string>{"second Tahoma"});
  c->RemoveFontListener(&second);
}

TEST_F(CxControlTest, CanvasBeforeTheWindowMeasuresOnTheScreen) {
  std::unique_ptr<TTestControl> c(New<TTestControl>(static_cast<TComponent*>(nullptr)));
  TcxCanvas* early = c->GetCanvas();
  ASSERT_NE(early, nullptr);
  EXPECT_GT(early->TextWidth("Wide text"), 0) << "a window-less control can still measure";
  EXPECT_EQ(c->GetCanvas(), early) << "the screen canvas is kept until the window exists";
}

// ---------------------------------------------------------------------------------------
// Mouse tracking.

TEST_F(CxControlTest, MouseTrackingEndsWhenThePointerLeaves) {
  TForm* form = newForm();
  TTestControl* c = newControl(form, TRect{10, 10, 110, 60});
  TEvents log;
  c->SetOnMouseLeave(TcxControl::TcxMouseEnterLeaveEvent(&log, &TEvents::Leave));
  showAndActivate(form);
  std::unique_ptr<TTracker> tracker(New<TTracker>(static_cast<TComponent*>(nullptr)));
  SetCursorPos(c->ClientToScreen(Point(20, 20)).x, c->ClientToScreen(Point(20, 20)).y);
  cxBeginMouseTracking(c, TRect{0, 0, 100, 50}, tracker.get());
  cxBeginMouseTracking(c, TRect{0, 0, 100, 50}, tracker.get());
  EXPECT_EQ(cxGetMouseTrackingTimers().size(), 1u) << "a caller tracked twice has one timer";
  pumpFor(60);
  EXPECT_EQ(tracker->Leaves, 0) << "the pointer is still inside";
  TPoint away = form->ClientToScreen(Point(250, 200));
  SetCursorPos(away.x, away.y);
  EXPECT_TRUE(pumpUntil([&] { return tracker->Leaves > 0; }, 1000));
  EXPECT_EQ(tracker->Leaves, 1);
  EXPECT_FALSE(cxIsMouseTracking(tracker.get()));
  pumpUntil([&] { return !log.Log.empty(); }, 300);
  EXPECT_FALSE(log.Log.empty()) << "the control hears the mouse leave";
  cxEndMouseTracking(tracker.get());  // not tracked any more: nothing happens
  EXPECT_TRUE(cxGetMouseTrackingTimers().empty());
}

TEST_F(CxControlTest, HitTestingCallerDecidesAndOneWithoutAWindowLeavesAtOnce) {
  TForm* form = newForm();
  TTestControl* c = newControl(form, TRect{10, 10, 110, 60});
  showAndActivate(form);
  std::unique_ptr<TTracker> tracker(New<TTracker>(static_cast<TComponent*>(nullptr)));
  tracker->HitTest = true;
  tracker->HalfWidth = 50;
  TPoint inside = c->ClientToScreen(Point(10, 10));
  SetCursorPos(inside.x, inside.y);
  cxBeginMouseTracking(c, TRect{0, 0, 100, 50}, tracker.get());
  pumpFor(50);
  EXPECT_EQ(tracker->Leaves, 0);
  TPoint rightHalf = c->ClientToScreen(Point(80, 10));  // inside the bounds, outside the caller
  SetCursorPos(rightHalf.x, rightHalf.y);
  EXPECT_TRUE(pumpUntil([&] { return tracker->Leaves > 0; }, 1000)) << "the caller's own hit test decides";

  std::unique_ptr<TTestControl> windowless(New<TTestControl>(static_cast<TComponent*>(nullptr)));
  std::unique_ptr<TTracker> second(New<TTracker>(static_cast<TComponent*>(nullptr)));
  second->HitTest = true;
  second->HalfWidth = 1000;
  cxBeginMouseTracking(windowless.get(), TRect{0, 0, 2000, 2000}, second.get());
  EXPECT_TRUE(pumpUntil([&] { return second->Leaves > 0; }, 1000));
  EXPECT_FALSE(cxIsMouseTracking(second.get()));
}

TEST_F(CxControlTest, ModuleEndEndsForgottenTrackersInsteadOfFailing) {
  std::unique_ptr<TTracker> tracker(New<TTracker>(static_cast<TComponent*>(nullptr)));
  cxBeginMouseTracking(nullptr, TRect{-5000, -5000, 5000, 5000}, tracker.get());
  ASSERT_TRUE(cxIsMouseTracking(tracker.get()));
  EXPECT_NO_THROW(cxControlsFinalize());
  EXPECT_FALSE(cxIsMouseTracking(tracker.get()));
  cxControlsInitialize();
}

// ---------------------------------------------------------------------------------------
// Drag detection, hourglass, cursors.

TEST_F(CxControlTest, DragDetectAnswersMoveReleaseOrEscape) {
  TForm* form = newForm();
  TTestControl* c = newControl(form, TRect{10, 10, 210, 110});
  showAndActivate(form);
  TPoint start = c->ClientToScreen(Point(50, 50));
  SetCursorPos(start.x, start.y);
  pumpFor(20);
  HWND h = c->Handle();
  Integer t = Mouse->DragThreshold();
  struct Case {
    UINT Msg;
    WPARAM W;
    LPARAM L;
    Integer Expected;
  };
  const Case cases[] = {
      {WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50 + t + 1, 50), 1},
      {WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 50 - t - 1), 1},
      {WM_LBUTTONUP, 0, MAKELPARAM(50, 50), 0},
      {WM_KEYDOWN, VK_ESCAPE, 0, 2},
  };
  for (const Case& k : cases) {
    PostMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(51, 50));  // within the still zone
    PostMessageA(h, k.Msg, k.W, k.L);
    EXPECT_EQ(cxDragDetect(h), k.Expected) << "message " << std::hex << k.Msg;
    EXPECT_NE(GetCapture(), h) << "the capture is released";
  }
  EXPECT_TRUE(cxIsPointInDragThreshold(TPoint{10, 10}, 10 + t - 1, 10 - t + 1));
  EXPECT_FALSE(cxIsPointInDragThreshold(TPoint{10, 10}, 10 + t, 10));
}

TEST_F(CxControlTest, NestedHourglassRestoresTheFirstCursorAtTheLastHide) {
  Screen->SetCursor(crHandPoint);
  cxShowHourglass();
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  cxShowHourglass();
  Screen->SetCursor(crCross);  // changed by someone meanwhile
  cxHideHourglass();
  EXPECT_EQ(Screen->Cursor(), crCross) << "an inner hide restores nothing";
  cxHideHourglass();
  EXPECT_EQ(Screen->Cursor(), crHandPoint);
  cxHideHourglass();  // an extra hide is ignored
  EXPECT_EQ(Screen->Cursor(), crHandPoint);
  Screen->SetCursor(crDefault);
}

TEST_F(CxControlTest, ControlCursorsAreRegisteredFromResources) {
  HCURSOR arrow = Screen->Cursors(crDefault);
  std::vector<HCURSOR> seen;
  for (Integer id = 2100; id <= 2113; ++id) {
    HCURSOR h = Screen->Cursors(id);
    EXPECT_NE(h, nullptr) << id;
    EXPECT_NE(h, arrow) << "cursor " << id << " falls back to the arrow: its resource is missing";
    EXPECT_EQ(std::count(seen.begin(), seen.end(), h), 0) << "cursor " << id << " repeats another";
    seen.push_back(h);
  }
}

TEST_F(CxControlTest, CopyDragCursorWhileCtrlIsDown) {
  TForm* form = newForm();
  TTestControl* c = newControl(form, TRect{10, 10, 110, 60});
  TcxDragControlObject* object = new TcxDragControlObject(c);
  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE saved = keys[VK_CONTROL];
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  EXPECT_EQ(object->GetDragCursor(true, 0, 0), crcxDragCopy);
  EXPECT_NE(object->GetDragCursor(false, 0, 0), crcxDragCopy);
  keys[VK_CONTROL] = saved;
  SetKeyboardState(keys);
  EXPECT_NE(object->GetDragCursor(true, 0, 0), crcxDragCopy);
  delete object;
}

// ---------------------------------------------------------------------------------------
// Popup windows.

TEST_F(CxControlTest, PopupOpensAboveWhenThereIsMoreRoomElseIsClampedToTheWorkArea) {
  TForm* form = newForm(300, 200);
  showAndActivate(form);
  TRect work = cxGetMonitorWorkArea(form->ClientToScreen(Point(0, 0)));
  TPoint origin = form->ClientToScreen(Point(0, 0));
  struct Case {
    const char* Name;
    Integer OwnerBottomFromWorkBottom;  // owner rectangle ends this far above the work bottom
    Integer PopupHeight;
    Integer ExpectedTop;  // screen, computed below
  };
  std::unique_ptr<TcxPopupWindow> popup(new TcxPopupWindow(nullptr));
  popup->SetAnchorParent(form);
  auto placeOwner = [&](Integer ownerBottom) {
    // The owner rectangle is 20 high and ends at ownerBottom (screen).
    popup->SetAnchorBounds(TRect{10, ownerBottom - 20 - origin.y, 110, ownerBottom - origin.y});
  };
  // Near the bottom with plenty of room above: opens above.
  popup->SetBounds(0, 0, 120, 100);
  placeOwner(work.bottom - 10);
  TPoint p{0, 0};
  popup->CalculatePosition(p);
  EXPECT_EQ(p.y, work.bottom - 10 - 20 - 100) << "opens above the owner";
  EXPECT_EQ(p.x, 10 + origin.x) << "left aligned with the owner";
  // Near the top with the popup too tall for the room above: stays below, clamped.
  Integer tall = work.bottom - work.top - 60;
  popup->SetBounds(0, 0, 120, tall);
  placeOwner(work.top + 80);
  p = TPoint{0, 0};
  popup->CalculatePosition(p);
  EXPECT_EQ(p.y, work.bottom - tall) << "stays below the owner and is clamped to the work area's bottom";
  EXPECT_GE(p.y, work.top);
}

TEST_F(CxControlTest, PopupSizeFollowsItsChildrenAndFrame) {
  std::unique_ptr<TcxPopupWindow> popup(new TcxPopupWindow(nullptr));
  popup->SetBounds(0, 0, 77, 66);
  popup->CalculateSize();
  EXPECT_EQ(popup->Width(), 77) << "no children: the size stays";
  EXPECT_EQ(popup->Height(), 66);
  TTestControl* child = New<TTestControl>(popup.get());
  child->SetParent(popup.get());
  child->SetBounds(0, 0, 50, 20);
  popup->SetFrameStyle(pfsDoubleRaised);
  popup->SetFrameSpacing(1);
  popup->CalculateSize();
  EXPECT_EQ(popup->Width(), 3 + 50 + 3);
  EXPECT_EQ(popup->Height(), 3 + 20 + 3);
  EXPECT_EQ(child->Left(), 3);
  popup->SetFrameStyle(pfsNone);
  EXPECT_EQ(child->Left(), 0) << "changing the frame moves the children back";
  EXPECT_EQ(popup->GetHorzClientIndent(), 2);
}

TEST_F(CxControlTest, PopupClosesOnAClickOutside) {
  TForm* form = newForm(300, 200);
  TTestControl* c = newControl(form, TRect{10, 10, 110, 40});
  showAndActivate(form);
  TcxPopupWindow* popup = own(new TcxPopupWindow(nullptr));
  popup->SetAnchorParent(c);
  popup->SetAnchorBounds(TRect{0, 0, 100, 30});
  popup->SetBounds(0, 0, 100, 60);
  popup->SetFrameStyle(pfsSingle);
  popup->Popup();
  pumpFor(50);
  ASSERT_TRUE(popup->Visible());
  TPoint expected = c->ClientToScreen(Point(0, 30));
  EXPECT_EQ(popup->Left(), expected.x);
  EXPECT_EQ(popup->Top(), expected.y) << "below the owner, left aligned";
  SetForegroundWindow(popup->Handle());
  pumpFor(30);
  clickAt(form, Point(250, 150));
  EXPECT_TRUE(pumpUntil([&] { return !popup->Visible(); }, 1000)) << "a click outside closes the popup";
}

TEST_F(CxControlTest, ControlWiderThanThePackedCoordinatesGetsTrueMousePoints) {
  TForm* form = newForm(300, 150);
  TTestControl* c = newControl(form, TRect{-39000, 10, 1000, 60});
  showAndActivate(form);
  ASSERT_EQ(c->Width(), 40000);
  RECT r;
  GetClientRect(c->Handle(), &r);
  if (r.right < 40000) GTEST_SKIP() << "the system limits this window to " << r.right << " pixels";
  clickAt(c, Point(39100, 20));
  EXPECT_EQ(events.front(), "ProcessMouseDown@39100,20") << "a packed 16-bit point would have wrapped";
  EXPECT_EQ(c->MouseDownPos().x, 39100);
}

TEST_F(CxControlTest, ChildComponentsAttachToTheirControl) {
  TForm* form = newForm();
  TTestControl* c = newControl(form, TRect{10, 10, 110, 60});
  TcxControlChildComponent* owned = TcxControlChildComponent::CreateForControl(c, true);
  ASSERT_NE(owned, nullptr);
  EXPECT_EQ(owned->Owner(), form) << "the control's owner owns the child";
  EXPECT_EQ(owned->Control(), c);
  EXPECT_EQ(owned->GetParentComponent(), c);
  EXPECT_TRUE(owned->HasParent());
  std::unique_ptr<TcxControlChildComponent> loose(TcxControlChildComponent::CreateForControl(c, false));
  EXPECT_EQ(loose->Owner(), nullptr);
  // Reading a form attaches a child through its parent component.
  std::unique_ptr<TcxControlChildComponent> read(New<TcxControlChildComponent>(static_cast<TComponent*>(nullptr)));
  EXPECT_FALSE(read->HasParent());
  read->SetParentComponent(c);
  EXPECT_EQ(read->Control(), c);
  c->RemoveChildComponent(read.get());
  EXPECT_EQ(read->Control(), nullptr);
  delete owned;
}

TEST_F(CxControlTest, DragImagesAreMadeFromTheControlsDrawing) {
  struct TImageControl : TTestControl {
    using TTestControl::TTestControl;
    bool HasDragImages() override { return true; }
    TSize GetDragImagesSize() override { return TSize{20, 10}; }
    void DrawDragImage(TcxCanvas* C, const TRect& R) override {
      C->SetBrushColor(clRed);
      C->Canvas()->FillRect(R);
    }
  };
  TForm* form = newForm();
  auto* c = new TImageControl(form);
  c->SetParent(form);
  TDragImageList* images = c->GetDragImages();
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(images->Count(), 1);
  EXPECT_EQ(images->Width(), 20);
  EXPECT_EQ(images->Height(), 10);
  EXPECT_EQ(c->GetDragImages(), images) << "made once and kept until the drag ends";
  TTestControl* plain = newControl(form, TRect{0, 0, 10, 10});
  EXPECT_EQ(plain->GetDragImages(), nullptr);
}

namespace {
class TCaptureHolder : public TComponent, public IcxMouseCaptureObject {
  RTL_DECLARE_CLASS(TCaptureHolder, TComponent)
public:
  explicit TCaptureHolder(TComponent* AOwner) : TComponent(AOwner) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    return TComponent::QueryInterface(riid, obj);
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return TComponent::_AddRef(); }
  ULONG STDMETHODCALLTYPE _Release() override { return TComponent::_Release(); }
  Integer Lost = 0;
  void CaptureLost() override { ++Lost; }
};
}  // namespace
RTL_BEGIN_CLASS(TCaptureHolder)
  b.Interface<IcxMouseCaptureObject>();
RTL_END_CLASS

TEST_F(CxControlTest, MouseCaptureObjectTellsTheOldHolderAndFollowsWithTheWindowCapture) {
  TForm* form = newForm();
  TTestControl* c = newControl(form, TRect{10, 10, 110, 60});
  showAndActivate(form);
  std::unique_ptr<TCaptureHolder> first(New<TCaptureHolder>(static_cast<TComponent*>(nullptr)));
  std::unique_ptr<TCaptureHolder> second(New<TCaptureHolder>(static_cast<TComponent*>(nullptr)));
  c->SetMouseCaptureObject(first.get());
  EXPECT_EQ(GetCapture(), c->Handle());
  c->SetMouseCaptureObject(first.get());
  EXPECT_EQ(first->Lost, 0) << "setting the same holder again changes nothing";
  c->SetMouseCaptureObject(second.get());
  EXPECT_EQ(first->Lost, 1);
  c->Perform(WM_CANCELMODE, 0, 0);
  EXPECT_EQ(c->MouseCaptureObject(), nullptr) << "cancel mode clears the holder";
  EXPECT_EQ(second->Lost, 1);
  EXPECT_NE(GetCapture(), c->Handle());
}
