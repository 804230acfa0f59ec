// Controls under real windows: notification order, layout, mouse and keyboard, focus,
// painting, reflection of child notifications, drag and drop, hints.
#include <string>
#include <vector>

#include "ControlsTestTypes.h"
#include "GuiTestSupport.h"
#include "TestFramework.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/StdCtrls.h"
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
  TTestPad* stretch = place<TTestPad>(form, "", Bounds(10, 10, 100, 20));
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

TEST_F(ControlsTest, CustomAlignmentAsksTheContainerForOrderAndPlace) {
  // The container lays its alCustom children out in a row, ordered by their names.
  struct Layout : TObject {
    void InsertBefore(TWinControl*, TControl* C1, TControl* C2, bool& Result) { Result = C1->Name() < C2->Name(); }
    void Position(TWinControl*, TControl*, Integer& NewLeft, Integer& NewTop, Integer&, Integer&, TRect& AlignRect,
                  TAlignInfo Info) {
      NewLeft = AlignRect.left + Info.ControlIndex * 50;
      NewTop = 5;
    }
  };
  TObjectPtr<Layout> layout(new Layout());
  TForm* form = own(newForm(300, 200));
  form->SetOnAlignInsertBefore(TAlignInsertBeforeEvent(layout.get(), &Layout::InsertBefore));
  form->SetOnAlignPosition(TAlignPositionEvent(layout.get(), &Layout::Position));
  form->HandleNeeded();
  std::vector<TTestPad*> pads;
  for (const char* name : {"c", "a", "b"}) {
    TTestPad* pad = New<TTestPad>(form);
    pad->SetName(name);
    pad->SetParent(form);
    pad->SetAlign(alCustom);
    pads.push_back(pad);
  }
  form->Realign();
  EXPECT_EQ(pads[1]->Left(), 0) << "a";
  EXPECT_EQ(pads[2]->Left(), 50) << "b";
  EXPECT_EQ(pads[0]->Left(), 100) << "c";
  EXPECT_EQ(pads[0]->Top(), 5);
  EXPECT_EQ(pads[0]->Width(), 40) << "alCustom keeps the control's own size";
}

// ---------------------------------------------------------------------------------------
// Mouse.

TEST_F(ControlsTest, ClickReachesOnClickOnceAndDoubleClickReachesOnDblClick) {
  TForm* form = own(newForm());
  TObjectPtr<TEventLog> log(new TEventLog());
  TTestPad* pad = place<TTestPad>(form, "pad", Bounds(20, 20, 80, 40));
  TTestSwatch* swatch = place<TTestSwatch>(form, "swatch", Bounds(150, 20, 60, 40));
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
  TTestPad* pad = place<TTestPad>(form, "pad", Bounds(20, 20, 50, 30));
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
  TTestPad* pad = place<TTestPad>(form, "pad", Bounds(10, 10, 60, 40));
  TTestSwatch* swatch = place<TTestSwatch>(form, "swatch", Bounds(100, 10, 60, 40));
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

TEST_F(ControlsTest, KeysReachASystemEditBehindItsControlAndTabStillLeavesIt) {
  TForm* form = own(newForm(300, 120));
  TTestEdit* edit = place<TTestEdit>(form, "edit", Bounds(10, 10, 150, 22));
  TTestPad* next = place<TTestPad>(form, "next", Bounds(10, 50, 50, 30));
  showAndActivate(form);
  ASSERT_TRUE(edit->Focused());
  pressKey('O');
  pressKey('K', true);
  EXPECT_EQ(edit->Text(), "oK") << "the system edit got the characters";
  pressKey(VK_TAB);
  EXPECT_TRUE(next->Focused()) << "a single-line edit does not want Tab: the form moves the focus";
  EXPECT_EQ(edit->Text(), "oK") << "and no tab character went into the edit";
}

// ---------------------------------------------------------------------------------------
// Painting.

TEST_F(ControlsTest, CustomAndGraphicControlsPaintTheirOwnPixels) {
  TForm* form = own(newForm(200, 120));
  form->SetColor(clWhite);
  TTestPad* pad = place<TTestPad>(form, "", Bounds(10, 10, 40, 30));
  TTestSwatch* swatch = place<TTestSwatch>(form, "", Bounds(70, 10, 40, 30));
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

// A graphic control that moves or changes size repaints its new place and clears the one it
// left, whether the two overlap or lie apart; places apart are not merged into the space
// between them.
TEST_F(ControlsTest, AMovedGraphicControlClearsItsOldPlaceAndPaintsItsNewOne) {
  struct Case {
    const char* what;
    TRect before, after;
    bool apart;
  };
  const Case cases[] = {
      {"grows in place", Bounds(20, 20, 40, 20), Bounds(20, 20, 90, 30), false},
      {"shrinks in place", Bounds(20, 20, 90, 30), Bounds(20, 20, 40, 20), false},
      {"moves a little", Bounds(20, 20, 40, 30), Bounds(40, 30, 40, 30), false},
      {"moves far", Bounds(10, 10, 30, 20), Bounds(150, 80, 30, 20), true},
  };
  for (const Case& c : cases) {
    TForm* form = own(newForm(220, 140));
    form->SetColor(clWhite);
    TTestSwatch* swatch = place<TTestSwatch>(form, "", c.before);
    swatch->SetFill(clRed);
    showAndActivate(form);
    form->Update();
    swatch->SetBoundsRect(c.after);

    HRGN dirty = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(form->Handle(), dirty, FALSE);
    for (const TRect& r : {c.before, c.after})
      for (const POINT& p : {POINT{r.left, r.top}, POINT{r.right - 1, r.bottom - 1}})
        EXPECT_TRUE(PtInRegion(dirty, p.x, p.y)) << c.what << ": " << p.x << "," << p.y << " is to be painted";
    if (c.apart) EXPECT_FALSE(PtInRegion(dirty, 100, 50)) << c.what << ": the space between stays valid";
    DeleteObject(dirty);

    form->Update();
    TBitmap shot;
    captureClient(form, shot);
    const TRect now = swatch->BoundsRect();
    EXPECT_EQ(hexOf(pixelAt(shot, now.left, now.top)), hexOf(0x0000FF)) << c.what;
    EXPECT_EQ(hexOf(pixelAt(shot, now.right - 1, now.bottom - 1)), hexOf(0x0000FF)) << c.what;
    Integer leftBehind = 0;
    for (Integer x = c.before.left; x < c.before.right; ++x)
      for (Integer y = c.before.top; y < c.before.bottom; ++y)
        if (!PtInRect(&now, POINT{x, y}) && pixelAt(shot, x, y) != 0xFFFFFF) ++leftBehind;
    EXPECT_EQ(leftBehind, 0) << c.what << ": " << savePng(shot, "moved-swatch");
  }
}

TEST_F(ControlsTest, DoubleBufferedControlPaintsTheSamePixels) {
  TForm* form = own(newForm(200, 120));
  TTestPad* pad = place<TTestPad>(form, "", Bounds(10, 10, 60, 40));
  pad->SetFill(clFuchsia);
  pad->SetDoubleBuffered(true);
  TTestSwatch* inside = place<TTestSwatch>(pad, "", Bounds(5, 5, 10, 10));
  showAndActivate(form);
  pad->Repaint();
  TBitmap shot;
  captureClient(pad, shot);
  EXPECT_EQ(hexOf(pixelAt(shot, 30, 30)), hexOf(0xFF00FF)) << "the pad's own painting";
  EXPECT_EQ(hexOf(pixelAt(shot, 8, 8)), hexOf(0xFF0000)) << "its graphic child, painted into the same buffer";
}

// ---------------------------------------------------------------------------------------
// Messages: reflection, window procedures, exceptions.

TEST_F(ControlsTest, ChildNotificationComesBackToTheChildAsCNCommand) {
  TForm* form = own(newForm());
  TTestButton* button = New<TTestButton>(form);
  button->SetParent(form);
  button->SetCaption("Gerar");
  showAndActivate(form);
  // The system's button sends BN_CLICKED to its parent, which hands it back.
  SendMessageA(button->Handle(), BM_CLICK, 0, 0);
  pumpFor(20);
  EXPECT_EQ(button->NotifyCodes, std::vector<Word>{BN_CLICKED});
  // The system class still does its own work behind the control.
  char text[32] = {};
  GetWindowTextA(button->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "Gerar");
  EXPECT_EQ(button->Caption(), "Gerar");
}

namespace {

// Replaces a control's WindowProc and counts what passes, handing everything on.
class TProcSpy : public TObject {
  RTL_DECLARE_CLASS(TProcSpy, TObject)
public:
  explicit TProcSpy(TControl* c) : control(c), previous(c->WindowProc()) {
    c->SetWindowProc(TWndMethod(this, &TProcSpy::Proc));
  }
  ~TProcSpy() override { control->SetWindowProc(previous); }
  void Proc(TMessage& m) {
    if (m.Msg == CM_TEXTCHANGED) ++textChanges;
    if (m.Msg == WM_WINDOWPOSCHANGING) ++positionChanges;
    if (m.Msg == CM_COLORCHANGED && swallowColor) return;
    previous(m);
  }
  TControl* control;
  TWndMethod previous;
  int textChanges = 0;
  int positionChanges = 0;
  bool swallowColor = false;
};

}  // namespace
RTL_IMPLEMENT_CLASS(TProcSpy)

TEST_F(ControlsTest, AChildMovingLeavesTheUnchangedParentWindowsAlone) {
  TForm* form = own(newForm(300, 200));
  TTestPad* outer = place<TTestPad>(form, "", Bounds(10, 10, 200, 150));
  TTestPad* inner = place<TTestPad>(outer, "", Bounds(5, 5, 40, 30));
  TTestPad* filler = place<TTestPad>(outer, "", Bounds(0, 0, 1, 1));
  filler->SetAlign(alClient);
  form->Show();
  pumpFor(50);
  TProcSpy formSpy(form), outerSpy(outer);
  inner->SetBounds(20, 25, 40, 30);
  EXPECT_EQ(formSpy.positionChanges, 0);
  EXPECT_EQ(outerSpy.positionChanges, 0);
  RECT r{};
  GetWindowRect(inner->Handle(), &r);
  MapWindowPoints(nullptr, outer->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(rectText(Rect(r.left, r.top, r.right, r.bottom)), rectText(Bounds(20, 25, 40, 30)));

  // A size that does change still reaches the window, and the children realign to it.
  outer->SetWidth(240);
  EXPECT_GE(outerSpy.positionChanges, 1);
  GetWindowRect(outer->Handle(), &r);
  EXPECT_EQ(r.right - r.left, 240);
  EXPECT_EQ(filler->Width(), outer->ClientWidth());
}

TEST_F(ControlsTest, ReplacedWindowProcSeesAndFiltersTheControlsMessages) {
  TObjectPtr<TTestSwatch> swatch(New<TTestSwatch>(nullptr));
  {
    TProcSpy spy(swatch.get());
    swatch->SetCaption("um");
    swatch->SetCaption("um");  // no change, no notification
    swatch->SetCaption("dois");
    EXPECT_EQ(spy.textChanges, 2);
    EXPECT_EQ(swatch->Caption(), "dois");
  }
  // Messages the replaced procedure swallows do not reach the control's handlers.
  TObjectPtr<TListWatcher> box(New<TListWatcher>(nullptr));
  TTestSwatch* child = New<TTestSwatch>(box.get());
  child->SetParent(box.get());
  TProcSpy spy(child);
  spy.swallowColor = true;
  box->SetColor(clAqua);
  EXPECT_EQ(child->Color(), clAqua) << "the child took the colour before its own notification";
  EXPECT_TRUE(child->ParentColor());
}

TEST_F(ControlsTest, ParentColorAndFontFollowTheParentUntilSetOnTheChild) {
  TObjectPtr<TListWatcher> box(New<TListWatcher>(nullptr));
  box->SetColor(clYellow);
  box->Font()->SetName("Arial");
  TTestSwatch* follower = New<TTestSwatch>(box.get());
  follower->SetParent(box.get());
  TTestPad* own = New<TTestPad>(box.get());
  own->SetParent(box.get());
  own->SetColor(clGreen);
  own->Font()->SetSize(14);
  EXPECT_EQ(follower->Color(), clYellow) << "a new child takes the parent's colour";
  EXPECT_EQ(follower->Font()->Name(), "Arial");

  box->SetColor(clNavy);
  box->Font()->SetStyle(TFontStyles{fsBold});
  EXPECT_EQ(follower->Color(), clNavy);
  EXPECT_TRUE(follower->Font()->Style().Contains(fsBold));
  EXPECT_EQ(own->Color(), clGreen) << "a child with its own colour keeps it";
  EXPECT_FALSE(own->ParentColor());
  EXPECT_FALSE(own->Font()->Style().Contains(fsBold)) << "a child with its own font keeps it";
  EXPECT_EQ(own->Font()->Size(), 14);

  own->SetParentColor(true);
  EXPECT_EQ(own->Color(), clNavy) << "ParentColor set again takes the parent's colour";
}

TEST_F(ControlsTest, ExceptionInAHandlerIsShownByTheApplicationAndTheProgramGoesOn) {
  struct Thrower : TObject {
    int clicks = 0;
    void Click(TObject*) {
      if (++clicks == 1) throw EConvertError("Valor inválido para o campo");
      if (clicks == 2) Abort();
    }
  };
  TForm* form = own(newForm());
  TObjectPtr<Thrower> thrower(new Thrower());
  TTestPad* pad = place<TTestPad>(form, "", Bounds(10, 10, 50, 30));
  pad->SetOnClick(TNotifyEvent(thrower.get(), &Thrower::Click));
  showAndActivate(form);

  clickAt(pad, Point(5, 5));
  ASSERT_EQ(boxes().Calls().size(), 1u);
  EXPECT_EQ(boxes().Calls()[0].Text, "Valor inválido para o campo.");
  EXPECT_EQ(boxes().Calls()[0].Caption, Application->Title());
  EXPECT_EQ(boxes().Calls()[0].Flags, MB_OK | MB_ICONSTOP);
  expectBoxes();

  // Clicks apart from each other, so that no two make a double click.
  clickAt(pad, Point(40, 5));  // Abort: silent
  EXPECT_TRUE(boxes().Calls().empty()) << "EAbort must not show a box";
  clickAt(pad, Point(5, 25));
  EXPECT_EQ(thrower->clicks, 3) << "the control keeps working after the exceptions";
  EXPECT_FALSE(pad->MouseCapture()) << "the mouse was released after the exception";
}

TEST_F(ControlsTest, ApplicationOnExceptionReplacesTheMessageBox) {
  struct Handler : TObject {
    std::vector<std::string> seen;
    void OnException(TObject* Sender, const Exception& E) { seen.push_back(nameOf(Sender) + ": " + E.Message()); }
  };
  TObjectPtr<Handler> handler(new Handler());
  Application->SetOnException(TExceptionEvent(handler.get(), &Handler::OnException));
  TForm* form = own(newForm());
  form->SetName("frm");
  form->HandleNeeded();
  struct Painter : TObject {
    void Paint(TObject*) { throw Exception("sem tinta"); }
  };
  TObjectPtr<Painter> painter(new Painter());
  form->SetOnPaint(TNotifyEvent(painter.get(), &Painter::Paint));
  showAndActivate(form);
  form->Repaint();
  Application->SetOnException(TExceptionEvent());
  ASSERT_FALSE(handler->seen.empty());
  EXPECT_EQ(handler->seen[0], "frm: sem tinta");
  EXPECT_TRUE(boxes().Calls().empty());
}

// ---------------------------------------------------------------------------------------
// Text and windows.

TEST_F(ControlsTest, WindowedControlKeepsItsTextAcrossANewWindow) {
  TForm* form = own(newForm());
  TTestButton* button = New<TTestButton>(form);
  button->SetParent(form);
  button->SetCaption("Antes");
  form->HandleNeeded();
  HWND first = button->Handle();
  char text[32] = {};
  GetWindowTextA(first, text, sizeof text);
  EXPECT_STREQ(text, "Antes") << "the window is made with the control's text";
  button->SetCaption("Depois");
  button->RecreateWnd();
  HWND second = button->Handle();
  EXPECT_NE(first, second);
  EXPECT_FALSE(IsWindow(first));
  GetWindowTextA(second, text, sizeof text);
  EXPECT_STREQ(text, "Depois");
  EXPECT_EQ(FindControl(second), button);
  EXPECT_EQ(FindControl(first), nullptr);
}

TEST_F(ControlsTest, HidingAContainerHidesTheWindowsInsideIt) {
  TForm* form = own(newForm());
  TTestPad* outer = place<TTestPad>(form, "", Bounds(10, 10, 100, 80));
  TTestPad* inner = New<TTestPad>(form);
  inner->SetParent(outer);
  showAndActivate(form);
  ASSERT_TRUE(inner->Showing());
  EXPECT_TRUE(IsWindowVisible(inner->Handle()));
  outer->Hide();
  EXPECT_FALSE(outer->Showing());
  EXPECT_FALSE(IsWindowVisible(inner->Handle()));
  EXPECT_TRUE(inner->Visible()) << "the inner control itself stays Visible";
  outer->Show();
  EXPECT_TRUE(IsWindowVisible(inner->Handle()));
}

// ---------------------------------------------------------------------------------------
// Keyboard.

TEST_F(ControlsTest, KeyPreviewLetsTheFormSeeAndEatKeysFirst) {
  struct Keys : TObject {
    std::vector<std::string> seen;
    void FormKey(TObject*, Word& Key, TShiftState) {
      seen.push_back("form " + std::to_string(Key));
      if (Key == 'X') Key = 0;
    }
    void PadKey(TObject*, Word& Key, TShiftState) { seen.push_back("pad " + std::to_string(Key)); }
    void PadChar(TObject*, char& Key) { seen.push_back(std::string("char ") + Key); }
  };
  TObjectPtr<Keys> keys(new Keys());
  TForm* form = own(newForm());
  TTestPad* pad = New<TTestPad>(form);
  pad->SetParent(form);
  pad->SetOnKeyDown(TKeyEvent(keys.get(), &Keys::PadKey));
  pad->SetOnKeyPress(TKeyPressEvent(keys.get(), &Keys::PadChar));
  form->SetOnKeyDown(TKeyEvent(keys.get(), &Keys::FormKey));
  showAndActivate(form);
  pressKey('A');
  form->SetKeyPreview(true);
  pressKey('B');
  pressKey('X');
  // The form ate the key down of X: the pad never saw it. (Its character was made from the
  // key before anyone saw the key, so it still comes.)
  std::vector<std::string> expected = {"pad 65", "char a", "form 66", "pad 66", "char b", "form 88", "char x"};
  EXPECT_EQ(keys->seen, expected);
}

TEST_F(ControlsTest, MouseWheelGoesToTheFocusedControlAndItsParents) {
  struct Wheel : TObject {
    std::vector<std::string> seen;
    void OnWheel(TObject* Sender, TShiftState, Integer Delta, TPoint, bool& Handled) {
      seen.push_back(nameOf(Sender) + " " + std::to_string(Delta));
      Handled = nameOf(Sender) == "outer";
    }
    void OnDown(TObject* Sender, TShiftState, TPoint, bool& Handled) {
      seen.push_back(nameOf(Sender) + " down");
      Handled = false;
    }
  };
  TObjectPtr<Wheel> wheel(new Wheel());
  TForm* form = own(newForm());
  TTestPad* outer = place<TTestPad>(form, "outer", Bounds(10, 10, 150, 100));
  TTestPad* inner = New<TTestPad>(form);
  inner->SetName("inner");
  inner->SetParent(outer);
  inner->SetOnMouseWheel(TMouseWheelEvent(wheel.get(), &Wheel::OnWheel));
  inner->SetOnMouseWheelDown(TMouseWheelUpDownEvent(wheel.get(), &Wheel::OnDown));
  outer->SetOnMouseWheel(TMouseWheelEvent(wheel.get(), &Wheel::OnWheel));
  showAndActivate(form);
  inner->SetFocus();
  pumpFor(20);
  ASSERT_TRUE(inner->Focused());
  moveMouseTo(inner->ClientToScreen(Point(5, 5)));
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_WHEEL;
  in.mi.mouseData = static_cast<DWORD>(-WHEEL_DELTA);
  SendInput(1, &in, sizeof in);
  pumpFor(50);
  // The focused control did not take it (its down handler declined), so its parent did.
  std::vector<std::string> expected = {"inner -120", "inner down", "outer -120"};
  EXPECT_EQ(wheel->seen, expected);
}

// ---------------------------------------------------------------------------------------
// Context popups.

TEST_F(ControlsTest, ContextPopupGetsClientCoordinatesAlsoForGraphicChildren) {
  struct Popups : TObject {
    std::vector<std::string> seen;
    void OnPopup(TObject* Sender, TPoint P, bool& Handled) {
      seen.push_back(nameOf(Sender) + "@" + std::to_string(P.x) + "," + std::to_string(P.y));
      Handled = true;
    }
  };
  TObjectPtr<Popups> popups(new Popups());
  TForm* form = own(newForm());
  TTestPad* pad = place<TTestPad>(form, "pad", Bounds(10, 10, 120, 80));
  TTestSwatch* swatch = place<TTestSwatch>(pad, "swatch", Bounds(50, 20, 30, 20));
  pad->SetOnContextPopup(TContextPopupEvent(popups.get(), &Popups::OnPopup));
  swatch->SetOnContextPopup(TContextPopupEvent(popups.get(), &Popups::OnPopup));
  showAndActivate(form);
  clickAt(pad, Point(5, 6), mbRight);
  clickAt(pad, Point(55, 27), mbRight);
  std::vector<std::string> expected = {"pad@5,6", "swatch@5,7"};
  EXPECT_EQ(popups->seen, expected);
}

// ---------------------------------------------------------------------------------------
// Drag and drop.

namespace {

class TDragLog : public TObject {
  RTL_DECLARE_CLASS(TDragLog, TObject)
public:
  std::vector<std::string> seen;
  bool accept = true;
  void Over(TObject* Sender, TObject* Source, Integer, Integer, TDragState State, bool& Accept) {
    const char* state = State == dsDragEnter ? "enter" : State == dsDragLeave ? "leave" : "move";
    if (seen.empty() || seen.back() != std::string("over ") + state + " " + nameOf(Sender) + " from " + nameOf(Source))
      seen.push_back(std::string("over ") + state + " " + nameOf(Sender) + " from " + nameOf(Source));
    Accept = accept;
  }
  void Drop(TObject* Sender, TObject* Source, Integer X, Integer Y) {
    seen.push_back("drop " + nameOf(Sender) + " from " + nameOf(Source) + " @" + std::to_string(X) + "," +
                   std::to_string(Y));
  }
  void End(TObject* Sender, TObject* Target, Integer X, Integer Y) {
    seen.push_back("end " + nameOf(Sender) + " on " + nameOf(Target) + " @" + std::to_string(X) + "," +
                   std::to_string(Y));
  }
};

}  // namespace
RTL_IMPLEMENT_CLASS(TDragLog)

TEST_F(ControlsTest, DragOfAControlDropsOnAnAcceptingTargetAndEndsOnTheSource) {
  TForm* form = own(newForm(400, 200));
  TObjectPtr<TDragLog> log(new TDragLog());
  TTestPad* source = place<TTestPad>(form, "source", Bounds(10, 10, 60, 40));
  source->SetDragMode(dmAutomatic);
  source->SetOnEndDrag(TEndDragEvent(log.get(), &TDragLog::End));
  TTestSwatch* target = place<TTestSwatch>(form, "target", Bounds(200, 10, 80, 60));
  target->SetOnDragOver(TDragOverEvent(log.get(), &TDragLog::Over));
  target->SetOnDragDrop(TDragDropEvent(log.get(), &TDragLog::Drop));
  showAndActivate(form);

  for (bool accept : {true, false}) {
    SCOPED_TRACE(accept ? "accepted" : "refused");
    log->seen.clear();
    log->accept = accept;
    moveMouseTo(source->ClientToScreen(Point(10, 10)));
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    SendInput(1, &in, sizeof in);
    pumpFor(30);
    EXPECT_TRUE(source->Dragging());
    moveMouseTo(target->ClientToScreen(Point(20, 30)));
    moveMouseTo(target->ClientToScreen(Point(25, 31)));
    in.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &in, sizeof in);
    pumpFor(50);
    EXPECT_FALSE(source->Dragging());
    std::vector<std::string> expected;
    if (accept)
      expected = {"over enter target from source", "over move target from source", "over leave target from source",
                  "drop target from source @25,31", "end source on target @25,31"};
    else
      expected = {"over enter target from source", "over move target from source", "over leave target from source",
                  "end source on nil @0,0"};
    EXPECT_EQ(log->seen, expected);
  }
}

TEST_F(ControlsTest, EscapeCancelsADragWithoutADrop) {
  TForm* form = own(newForm(400, 200));
  TObjectPtr<TDragLog> log(new TDragLog());
  TTestPad* source = place<TTestPad>(form, "source", Bounds(10, 10, 60, 40));
  source->SetOnEndDrag(TEndDragEvent(log.get(), &TDragLog::End));
  TTestSwatch* target = place<TTestSwatch>(form, "target", Bounds(200, 10, 80, 60));
  target->SetOnDragOver(TDragOverEvent(log.get(), &TDragLog::Over));
  target->SetOnDragDrop(TDragDropEvent(log.get(), &TDragLog::Drop));
  showAndActivate(form);
  moveMouseTo(source->ClientToScreen(Point(10, 10)));
  source->BeginDrag(false, 5);  // a manual drag that starts after 5 pixels
  moveMouseTo(source->ClientToScreen(Point(12, 12)));
  EXPECT_TRUE(log->seen.empty()) << "moved less than the threshold: the drag has not started";
  moveMouseTo(target->ClientToScreen(Point(20, 20)));
  pressKey(VK_ESCAPE);
  EXPECT_FALSE(source->Dragging());
  std::vector<std::string> expected = {"over enter target from source", "over move target from source",
                                       "over leave target from source", "end source on nil @0,0"};
  EXPECT_EQ(log->seen, expected);
}

// ---------------------------------------------------------------------------------------
// Hints.

TEST_F(ControlsTest, HintShowsTheShortHintAfterThePauseAndTheLongOneGoesToApplicationHint) {
  TForm* form = own(newForm(300, 150));
  TTestPad* pad = place<TTestPad>(form, "", Bounds(20, 20, 80, 40));
  pad->SetHint("Gerar|Gera os estratos da tabela");
  pad->SetShowHint(true);
  Application->SetHintPause(100);
  showAndActivate(form);
  moveMouseTo(Point(2, 2));
  moveMouseTo(pad->ClientToScreen(Point(10, 10)));
  bool shown = pumpUntil(
      [] {
        THintWindow* w = Application->HintWindow();
        return w && w->HandleAllocated() && IsWindowVisible(w->Handle());
      },
      2000);
  Application->SetHintPause(500);
  ASSERT_TRUE(shown) << "no hint window after the pause";
  EXPECT_EQ(Application->HintWindow()->Caption(), "Gerar");
  EXPECT_EQ(Application->Hint(), "Gera os estratos da tabela");
  moveMouseTo(Point(2, 2));
  pumpFor(50);
  EXPECT_FALSE(IsWindowVisible(Application->HintWindow()->Handle())) << "leaving the control hides the hint";
  // The hint window goes, so the next tests start without it.
  Application->SetShowHint(false);
  Application->SetShowHint(true);
}

// ---------------------------------------------------------------------------------------
// Painting off the screen and outside WM_PAINT.

TEST_F(ControlsTest, PaintToDrawsTheControlAndItsChildrenIntoAnotherDC) {
  TForm* form = own(newForm(200, 120));
  form->SetColor(clWhite);
  TTestPad* pad = place<TTestPad>(form, "", Bounds(10, 10, 40, 30));
  TTestSwatch* swatch = place<TTestSwatch>(pad, "", Bounds(20, 10, 10, 10));
  form->HandleNeeded();  // the windows exist but never showed
  std::unique_ptr<TBitmap> image(form->GetFormImage());
  ASSERT_EQ(image->Width(), form->ClientWidth());
  EXPECT_EQ(hexOf(pixelAt(*image, 5, 5)), hexOf(0xFFFFFF)) << "form";
  EXPECT_EQ(hexOf(pixelAt(*image, 12, 12)), hexOf(0x0000FF)) << "pad";
  EXPECT_EQ(hexOf(pixelAt(*image, 35, 25)), hexOf(0xFF0000)) << "the pad's graphic child";
}

TEST_F(ControlsTest, ControlCanvasDrawsAtTheControlsPlaceOutsidePainting) {
  TForm* form = own(newForm(200, 120));
  form->SetColor(clWhite);
  TTestSwatch* swatch = place<TTestSwatch>(form, "", Bounds(50, 40, 30, 20));
  swatch->SetFill(clWhite);
  showAndActivate(form);
  // Drawing on the graphic control's canvas lands on the parent's window at its place,
  // clipped to its bounds.
  swatch->Canvas()->Brush()->SetColor(clRed);
  swatch->Canvas()->FillRect(Rect(0, 0, 100, 100));
  TBitmap shot;
  captureClient(form, shot);
  EXPECT_EQ(hexOf(pixelAt(shot, 50, 40)), hexOf(0x0000FF));
  EXPECT_EQ(hexOf(pixelAt(shot, 79, 59)), hexOf(0x0000FF));
  EXPECT_EQ(hexOf(pixelAt(shot, 81, 45)), hexOf(0xFFFFFF)) << "nothing right of the control";
  EXPECT_EQ(hexOf(pixelAt(shot, 49, 45)), hexOf(0xFFFFFF)) << "nothing left of the control";
}

// ---------------------------------------------------------------------------------------
// Size constraints.

TEST_F(ControlsTest, ConstraintsBoundTheSizeAWindowOrCodeCanGive) {
  TForm* form = own(newForm(300, 200));
  TTestPad* pad = New<TTestPad>(form);
  pad->SetParent(form);
  pad->Constraints()->SetMinWidth(30);
  pad->Constraints()->SetMaxWidth(100);
  pad->Constraints()->SetMaxHeight(50);
  form->HandleNeeded();
  struct Case {
    Integer w, h, expectW, expectH;
  };
  Case cases[] = {{10, 10, 30, 10}, {500, 500, 100, 50}, {60, 40, 60, 40}};
  for (const Case& c : cases) {
    pad->SetBounds(0, 0, c.w, c.h);
    EXPECT_EQ(pad->Width(), c.expectW) << c.w << "x" << c.h;
    EXPECT_EQ(pad->Height(), c.expectH) << c.w << "x" << c.h;
    RECT r;
    GetWindowRect(pad->Handle(), &r);
    EXPECT_EQ(r.right - r.left, c.expectW) << "the window agrees";
  }
  // An aligned control is constrained too: alClient cannot pass MaxWidth.
  pad->SetAlign(alClient);
  EXPECT_EQ(pad->Width(), 100);
}

// ---------------------------------------------------------------------------------------
// Actions.

TEST_F(ControlsTest, ActionDrivesTheControlAndTheClickRunsIt) {
  struct Runner : TObject {
    int runs = 0;
    void Execute(TObject*) { ++runs; }
  };
  TObjectPtr<Runner> runner(new Runner());
  TForm* form = own(newForm());
  auto* action = new TAction(form);
  action->SetCaption("Gerar");
  action->SetHint("Gera os estratos");
  action->SetOnExecute(TNotifyEvent(runner.get(), &Runner::Execute));
  TTestPad* pad = place<TTestPad>(form, "", Bounds(10, 10, 80, 30));
  pad->SetAction(action);
  EXPECT_EQ(pad->Caption(), "Gerar");
  EXPECT_EQ(pad->Hint(), "Gera os estratos");
  EXPECT_FALSE(pad->IsCaptionStored()) << "a caption that follows the action is not stored";
  action->SetCaption("Gerar estratos");
  action->SetEnabled(false);
  EXPECT_EQ(pad->Caption(), "Gerar estratos");
  EXPECT_FALSE(pad->Enabled());
  action->SetEnabled(true);
  showAndActivate(form);
  clickAt(pad, Point(5, 5));
  EXPECT_EQ(runner->runs, 1);
  // Freeing the action leaves the control without one.
  delete action;
  EXPECT_EQ(pad->Action(), nullptr);
  clickAt(pad, Point(50, 20));
  EXPECT_EQ(runner->runs, 1);
}

// ---------------------------------------------------------------------------------------
// Popup menus.

namespace {

// Ends the menu loop a popup menu runs, shortly after it starts.
void CALLBACK endMenuSoon(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  EndMenu();
}

class TPopupWatch : public TObject {
  RTL_DECLARE_CLASS(TPopupWatch, TObject)
public:
  TPopupMenu* menu = nullptr;
  std::vector<std::string> seen;
  void Popup(TObject*) {
    TPoint p = menu->PopupPoint();
    seen.push_back("popup for " + nameOf(menu->PopupComponent()) + " @" + std::to_string(p.x) + "," +
                   std::to_string(p.y));
    SetTimer(nullptr, 0, 50, endMenuSoon);
  }
};

}  // namespace
RTL_IMPLEMENT_CLASS(TPopupWatch)

TEST_F(ControlsTest, RightClickPopsUpTheControlsPopupMenuForIt) {
  TForm* form = own(newForm(300, 200));
  TObjectPtr<TPopupWatch> watch(new TPopupWatch());
  auto* menu = new TPopupMenu(form);
  menu->Items()->Add(NewItem("Copiar", 0, false, true, TNotifyEvent(), 0, "copiar"));
  menu->SetOnPopup(TNotifyEvent(watch.get(), &TPopupWatch::Popup));
  watch->menu = menu;
  TTestPad* pad = place<TTestPad>(form, "pad", Bounds(20, 20, 100, 60));
  pad->SetPopupMenu(menu);
  TTestSwatch* swatch = place<TTestSwatch>(form, "swatch", Bounds(150, 20, 60, 40));
  swatch->SetPopupMenu(menu);
  showAndActivate(form);
  clickAt(pad, Point(10, 12), mbRight);
  clickAt(swatch, Point(5, 6), mbRight);
  TPoint padPoint = pad->ClientToScreen(Point(10, 12));
  TPoint swatchPoint = swatch->ClientToScreen(Point(5, 6));
  std::vector<std::string> expected = {
      "popup for pad @" + std::to_string(padPoint.x) + "," + std::to_string(padPoint.y),
      "popup for swatch @" + std::to_string(swatchPoint.x) + "," + std::to_string(swatchPoint.y)};
  EXPECT_EQ(watch->seen, expected);
  // A menu whose AutoPopup is off stays closed.
  menu->SetAutoPopup(false);
  clickAt(pad, Point(10, 12), mbRight);
  EXPECT_EQ(watch->seen.size(), 2u);
}

// The mouse opens the popup menu at the pointer and Shift+F10 at the control's corner, on
// native controls that handle the right button themselves as on our own.
TEST_F(ControlsTest, RightClickAndShiftF10OpenThePopupMenuOfEveryKindOfControl) {
  TForm* form = own(newForm(520, 260));
  TObjectPtr<TPopupWatch> watch(new TPopupWatch());
  auto* menu = new TPopupMenu(form);
  menu->Items()->Add(NewItem("Salvar", 0, false, true, TNotifyEvent(), 0, "salvar"));
  menu->SetOnPopup(TNotifyEvent(watch.get(), &TPopupWatch::Popup));
  watch->menu = menu;
  auto* tree = place<TTreeView>(form, "tree", Bounds(10, 10, 150, 100));
  TTreeNode* root = tree->Items()->Add(nullptr, "Início");
  tree->Items()->AddChild(root, "(regiao = 'Norte')");
  tree->FullExpand();
  auto* memo = place<TMemo>(form, "memo", Bounds(170, 10, 150, 100));
  memo->Lines()->Add("Estrato 1");
  auto* rich = place<TRichEdit>(form, "rich", Bounds(330, 10, 150, 100));
  rich->Lines()->Add("RESUMO");
  auto* pad = place<TTestPad>(form, "pad", Bounds(10, 130, 150, 100));
  std::vector<TWinControl*> controls = {tree, memo, rich, pad};
  for (TWinControl* c : controls) c->SetPopupMenu(menu);
  showAndActivate(form);

  for (TWinControl* c : controls) {
    for (TPoint at : {Point(20, 8), Point(90, 60)}) {
      watch->seen.clear();
      rightClickAt(c, at);
      TPoint screen = c->ClientToScreen(at);
      std::vector<std::string> expected = {"popup for " + c->Name() + " @" + std::to_string(screen.x) + "," +
                                           std::to_string(screen.y)};
      EXPECT_EQ(watch->seen, expected) << "right-click on " << c->Name();
    }
    watch->seen.clear();
    c->SetFocus();
    pumpFor(30);
    pressWith({VK_SHIFT}, VK_F10);
    pumpFor(150);
    TPoint corner = c->ClientToScreen(Point(0, 0));
    std::vector<std::string> expected = {"popup for " + c->Name() + " @" + std::to_string(corner.x) + "," +
                                         std::to_string(corner.y)};
    EXPECT_EQ(watch->seen, expected) << "Shift+F10 on " << c->Name();
  }
  // F10 alone is not a request for the popup menu.
  watch->seen.clear();
  tree->SetFocus();
  pressKey(VK_F10);
  pumpFor(100);
  pressKey(VK_ESCAPE);
  pumpFor(50);
  EXPECT_TRUE(watch->seen.empty());
}
