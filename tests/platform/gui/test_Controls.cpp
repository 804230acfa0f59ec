// Controls under real windows: notification order, layout, mouse and keyboard, focus,
// painting, reflection of child notifications, drag and drop, hints.
#include <string>
#include <vector>

#include "ControlsTestTypes.h"
#include "GuiTestSupport.h"
#include "TestFramework.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"

using namespace guitest;

namespace {

std::string rectText(const TRect& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

// A container that writes down the insert/remove notifications it gets, with whether the
// control was in its list at that moment.
class TListWatcher : public TCustomControl {
  RTL_DECLARE_CLASS(TListWatcher, TCustomControl)
public:
  using TCustomControl::TCustomControl;
  std::vector<std::string> Notes;

  void CMControlListChange(TCMControlListChange& M) { note("ListChange", M); }
  void CMControlChange(TCMControlChange& M) { note("Change", M); }

private:
  void note(const char* what, TCMControlListChange& M) {
    bool inList = false;
    for (Integer i = 0; i < ControlCount(); ++i) inList = inList || Controls(i) == M.Control;
    Notes.push_back(std::string(what) + (M.Inserting ? "+" : "-") + " " + M.Control->Name() +
                    (inList ? " listed" : " unlisted"));
  }
};

}  // namespace

RTL_BEGIN_CLASS(TListWatcher)
b.Message(CM_CONTROLLISTCHANGE, &TListWatcher::CMControlListChange);
b.Message(CM_CONTROLCHANGE, &TListWatcher::CMControlChange);
RTL_END_CLASS

class ControlsTest : public GuiTest {};

// ---------------------------------------------------------------------------------------
// Insertion and removal notifications.

TEST_F(ControlsTest, InsertAndRemoveNotifyListChangeOutsideAndControlChangeInside) {
  TObjectPtr<TListWatcher> box(New<TListWatcher>(nullptr));
  for (bool windowed : {false, true}) {
    SCOPED_TRACE(windowed ? "windowed child" : "graphic child");
    box->Notes.clear();
    TControl* child = windowed ? static_cast<TControl*>(New<TTestPad>(nullptr)) : New<TTestSwatch>(nullptr);
    child->SetName("child");
    child->SetParent(box.get());
    child->SetParent(nullptr);
    std::vector<std::string> expected = {"ListChange+ child unlisted", "Change+ child listed", "Change- child listed",
                                         "ListChange- child unlisted"};
    EXPECT_EQ(box->Notes, expected);
    child->Free();
  }
}

TEST_F(ControlsTest, FreeingAChildTakesItOutOfItsParent) {
  TObjectPtr<TListWatcher> box(New<TListWatcher>(nullptr));
  TTestPad* pad = New<TTestPad>(nullptr);
  TTestSwatch* swatch = New<TTestSwatch>(nullptr);
  pad->SetParent(box.get());
  swatch->SetParent(box.get());
  ASSERT_EQ(box->ControlCount(), 2);
  pad->Free();
  ASSERT_EQ(box->ControlCount(), 1);
  EXPECT_EQ(box->Controls(0), swatch);
  swatch->Free();
  EXPECT_EQ(box->ControlCount(), 0);
}

// ---------------------------------------------------------------------------------------
// Layout.

TEST_F(ControlsTest, AlignPlacesTopBottomLeftRightThenClient) {
  TForm* form = own(newForm(400, 300));
  form->HandleNeeded();
  struct Part {
    const char* name;
    TAlign align;
    TRect bounds;  // before alignment
  };
  // The two alTop pads stack in the order of their Top, whatever the insertion order.
  std::vector<Part> parts = {{"top2", alTop, Bounds(0, 50, 10, 20)},   {"top1", alTop, Bounds(0, 0, 10, 15)},
                             {"bottom", alBottom, Bounds(0, 0, 10, 30)}, {"left", alLeft, Bounds(0, 0, 50, 10)},
                             {"right", alRight, Bounds(0, 0, 40, 10)},   {"client", alClient, Bounds(0, 0, 1, 1)}};
  std::vector<TTestPad*> pads;
  for (const Part& p : parts) {
    TTestPad* pad = New<TTestPad>(form);
    pad->SetName(p.name);
    pad->SetBoundsRect(p.bounds);
    pad->SetAlign(p.align);
    pad->SetParent(form);
    pads.push_back(pad);
  }
  TRect c = form->ClientRect();
  std::vector<TRect> expected = {
      Rect(0, 15, c.right, 35),                               // top2, under top1
      Rect(0, 0, c.right, 15),                                // top1
      Rect(0, c.bottom - 30, c.right, c.bottom),              // bottom
      Rect(0, 35, 50, c.bottom - 30),                         // left, between the bars
      Rect(c.right - 40, 35, c.right, c.bottom - 30),         // right
      Rect(50, 35, c.right - 40, c.bottom - 30),              // client: what is left
  };
  for (size_t i = 0; i < pads.size(); ++i)
    EXPECT_EQ(rectText(pads[i]->BoundsRect()), rectText(expected[i])) << parts[i].name;

  // A wider form: the right pad follows the edge, the client pad takes the rest.
  form->SetClientWidth(c.right + 100);
  EXPECT_EQ(rectText(pads[4]->BoundsRect()), rectText(Rect(c.right + 60, 35, c.right + 100, c.bottom - 30)));
  EXPECT_EQ(rectText(pads[5]->BoundsRect()), rectText(Rect(50, 35, c.right + 60, c.bottom - 30)));
}

TEST_F(ControlsTest, AnchoredControlKeepsItsDistanceToTheAnchoredEdges) {
  TForm* form = own(newForm(300, 200));
  form->HandleNeeded();
  TTestPad* stretch = New<TTestPad>(form);
  stretch->SetParent(form);
  stretch->SetBounds(10, 10, 100, 20);
  stretch->SetAnchors(TAnchors{akLeft, akTop, akRight});
  TTestPad* corner = New<TTestPad>(form);
  corner->SetParent(form);
  TRect c = form->ClientRect();
  corner->SetBounds(c.right - 50, c.bottom - 40, 40, 30);
  corner->SetAnchors(TAnchors{akRight, akBottom});
  form->SetClientWidth(c.right + 60);
  form->SetClientHeight(c.bottom + 25);
  EXPECT_EQ(rectText(stretch->BoundsRect()), rectText(Bounds(10, 10, 160, 20)));
  EXPECT_EQ(rectText(corner->BoundsRect()), rectText(Bounds(c.right + 10, c.bottom - 15, 40, 30)));
}

TEST_F(ControlsTest, DisabledAlignmentWaitsForTheLastEnable) {
  TForm* form = own(newForm(300, 200));
  form->HandleNeeded();
  TTestPad* pad = New<TTestPad>(form);
  pad->SetParent(form);
  form->DisableAlign();
  form->DisableAlign();
  pad->SetAlign(alClient);
  form->EnableAlign();
  EXPECT_EQ(pad->Width(), 40) << "aligned while alignment was still disabled";
  form->EnableAlign();
  EXPECT_EQ(pad->Width(), form->ClientWidth());
}

// ---------------------------------------------------------------------------------------
// Mouse.

TEST_F(ControlsTest, ClickReachesOnClickOnceAndDoubleClickReachesOnDblClick) {
  TForm* form = own(newForm());
  TObjectPtr<TEventLog> log(new TEventLog());
  TTestPad* pad = New<TTestPad>(form);
  pad->SetName("pad");
  pad->SetParent(form);
  pad->SetBounds(20, 20, 80, 40);
  TTestSwatch* swatch = New<TTestSwatch>(form);
  swatch->SetName("swatch");
  swatch->SetParent(form);
  swatch->SetBounds(150, 20, 60, 40);
  for (TControl* c : std::initializer_list<TControl*>{pad, swatch}) {
    c->SetOnClick(TNotifyEvent(log.get(), &TEventLog::Click));
    c->SetOnDblClick(TNotifyEvent(log.get(), &TEventLog::DblClick));
    c->SetOnMouseDown(TMouseEvent(log.get(), &TEventLog::MouseDown));
    c->SetOnMouseUp(TMouseEvent(log.get(), &TEventLog::MouseUp));
  }
  showAndActivate(form);

  for (TControl* c : std::initializer_list<TControl*>{pad, swatch}) {
    SCOPED_TRACE(nameOf(c));
    std::string n = nameOf(c);
    log->Events.clear();
    clickAt(c, Point(5, 6));
    std::vector<std::string> click = {"MouseDown@5,6 " + n, "Click " + n, "MouseUp@5,6 " + n};
    EXPECT_EQ(log->Events, click);

    log->Events.clear();
    doubleClickAt(c, Point(7, 8));
    std::vector<std::string> dbl = {"MouseDown@7,8 " + n, "Click " + n, "MouseUp@7,8 " + n, "DblClick " + n,
                                    "MouseDown(double)@7,8 " + n, "MouseUp@7,8 " + n};
    EXPECT_EQ(log->Events, dbl);
  }
}

TEST_F(ControlsTest, ReleasingTheButtonOutsideTheControlIsNoClick) {
  TForm* form = own(newForm());
  TObjectPtr<TEventLog> log(new TEventLog());
  TTestPad* pad = New<TTestPad>(form);
  pad->SetName("pad");
  pad->SetParent(form);
  pad->SetBounds(20, 20, 50, 30);
  pad->SetOnClick(TNotifyEvent(log.get(), &TEventLog::Click));
  pad->SetOnMouseUp(TMouseEvent(log.get(), &TEventLog::MouseUp));
  showAndActivate(form);
  moveMouseTo(pad->ClientToScreen(Point(10, 10)));
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  SendInput(1, &in, sizeof in);
  pumpFor(30);
  EXPECT_TRUE(pad->MouseCapture()) << "the press should capture the mouse (csCaptureMouse)";
  moveMouseTo(pad->ClientToScreen(Point(120, 10)));
  in.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &in, sizeof in);
  pumpFor(50);
  // The release still reaches the pad (it held the mouse), at its point outside.
  EXPECT_EQ(log->Events, std::vector<std::string>{"MouseUp@120,10 pad"});
  EXPECT_FALSE(pad->MouseCapture());
}

TEST_F(ControlsTest, MouseEnterAndLeaveFollowThePointerAcrossControls) {
  TForm* form = own(newForm(300, 150));
  TObjectPtr<TEventLog> log(new TEventLog());
  TTestPad* pad = New<TTestPad>(form);
  pad->SetName("pad");
  pad->SetParent(form);
  pad->SetBounds(10, 10, 60, 40);
  TTestSwatch* swatch = New<TTestSwatch>(form);
  swatch->SetName("swatch");
  swatch->SetParent(form);
  swatch->SetBounds(100, 10, 60, 40);
  for (TControl* c : std::initializer_list<TControl*>{form, pad, swatch}) {
    c->SetOnMouseEnter(TNotifyEvent(log.get(), &TEventLog::MouseEnter));
    c->SetOnMouseLeave(TNotifyEvent(log.get(), &TEventLog::MouseLeave));
  }
  form->SetName("form");
  showAndActivate(form);
  moveMouseTo(Point(5, 5));  // off the form
  log->Events.clear();

  moveMouseTo(form->ClientToScreen(Point(200, 100)));
  moveMouseTo(pad->ClientToScreen(Point(20, 20)));
  moveMouseTo(swatch->ClientToScreen(Point(20, 20)));
  moveMouseTo(form->ClientToScreen(Point(200, 100)));
  moveMouseTo(Point(5, 5));
  std::vector<std::string> expected = {"MouseEnter form",  "MouseLeave form", "MouseEnter pad",
                                       "MouseLeave pad",   "MouseEnter swatch", "MouseLeave swatch",
                                       "MouseEnter form",  "MouseLeave form"};
  EXPECT_EQ(log->Events, expected);
}

// ---------------------------------------------------------------------------------------
// Keyboard and focus.

TEST_F(ControlsTest, TabMovesTheFocusInTabOrderSkippingWhatCannotTakeIt) {
  TForm* form = own(newForm(400, 150));
  TObjectPtr<TEventLog> log(new TEventLog());
  const char* names[] = {"a", "b", "c", "d", "e"};
  std::vector<TTestPad*> pads;
  for (int i = 0; i < 5; ++i) {
    TTestPad* pad = New<TTestPad>(form);
    pad->SetName(names[i]);
    pad->SetParent(form);
    pad->SetBounds(10 + i * 60, 10, 50, 30);
    pad->SetOnEnter(TNotifyEvent(log.get(), &TEventLog::Enter));
    pad->SetOnExit(TNotifyEvent(log.get(), &TEventLog::Exit));
    pads.push_back(pad);
  }
  // Tab order c, a, e, b, d; b takes no tab stop and d is hidden.
  pads[2]->SetTabOrder(0);
  pads[0]->SetTabOrder(1);
  pads[4]->SetTabOrder(2);
  pads[1]->SetTabStop(false);
  pads[3]->SetVisible(false);
  showAndActivate(form);
  ASSERT_TRUE(pads[2]->Focused()) << "the form should focus the first control of its tab order";
  EXPECT_EQ(form->ActiveControl(), pads[2]);

  log->Events.clear();
  pressKey(VK_TAB);
  EXPECT_TRUE(pads[0]->Focused());
  pressKey(VK_TAB);
  EXPECT_TRUE(pads[4]->Focused());
  pressKey(VK_TAB);
  EXPECT_TRUE(pads[2]->Focused()) << "the order wraps round";
  pressKey(VK_TAB, true);
  EXPECT_TRUE(pads[4]->Focused()) << "Shift+Tab goes back";
  std::vector<std::string> expected = {"Exit c", "Enter a", "Exit a", "Enter e",
                                       "Exit e", "Enter c", "Exit c", "Enter e"};
  EXPECT_EQ(log->Events, expected);
  EXPECT_EQ(form->ActiveControl(), pads[4]);
}

// ---------------------------------------------------------------------------------------
// Painting.

TEST_F(ControlsTest, CustomAndGraphicControlsPaintTheirOwnPixels) {
  TForm* form = own(newForm(200, 120));
  form->SetColor(clWhite);
  TTestPad* pad = New<TTestPad>(form);
  pad->SetParent(form);
  pad->SetBounds(10, 10, 40, 30);
  TTestSwatch* swatch = New<TTestSwatch>(form);
  swatch->SetParent(form);
  swatch->SetBounds(70, 10, 40, 30);
  showAndActivate(form);

  TBitmap shot;
  captureClient(form, shot);
  struct Probe {
    const char* where;
    Integer x, y;
    uint32_t rgb;
  };
  Probe probes[] = {{"pad", 15, 15, 0x0000FF},     {"pad's last pixel", 49, 39, 0x0000FF},
                    {"swatch", 80, 20, 0xFF0000},  {"swatch's last pixel", 109, 39, 0xFF0000},
                    {"form right of pad", 50, 15, 0xFFFFFF}, {"form under swatch", 80, 40, 0xFFFFFF}};
  for (const Probe& p : probes)
    EXPECT_EQ(hexOf(pixelAt(shot, p.x, p.y)), hexOf(p.rgb)) << p.where << " at " << p.x << "," << p.y;

  // A change of colour repaints.
  pad->SetFill(clLime);
  swatch->SetFill(clYellow);
  captureClient(form, shot);
  EXPECT_EQ(hexOf(pixelAt(shot, 15, 15)), hexOf(0x00FF00));
  EXPECT_EQ(hexOf(pixelAt(shot, 80, 20)), hexOf(0x00FFFF));
}
