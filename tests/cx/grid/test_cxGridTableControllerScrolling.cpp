// The table controller's scrolling and header clicks on a real window: sorting by clicks on
// the column headers (with Ctrl and Shift, and accented texts), the scroll bars of a view of
// 5000 rows driven with the mouse on the bars, the wheel and the keys, the horizontal
// position (its limits, the pixels it moves without a new layout, a column brought into
// view) and the auto-scroll while a header is dragged near an edge.
#include <string>
#include <vector>

#include "ControllerTestSupport.h"
#include "TableViewTestSupport.h"
#include "cx/grid/cxGridTableView.h"
#include "platform/gui/GuiTestSupport.h"

using namespace controllertest;
using namespace guitest;

namespace {

void sendMouseInput(DWORD AFlags, DWORD AData = 0) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = AFlags;
  input.mi.mouseData = AData;
  SendInput(1, &input, sizeof(INPUT));
  pumpFor(30);
}

// The left positions a view reported, in order.
class LeftPosLog : public TObject {
public:
  explicit LeftPosLog(TcxGridTableController* AController) : Controller(AController) {}
  void Changed(TObject*) { Positions.push_back(Controller->LeftPos()); }
  TcxGridTableController* Controller;
  std::vector<Integer> Positions;
};

class TableScrollingTest : public TableControllerFixture {
protected:
  TcxGridTableViewInfo* viewInfo() { return static_cast<TcxGridTableViewInfo*>(view->ViewInfo()); }
  TcxGridHeaderViewInfo* header() { return static_cast<TcxGridHeaderViewInfo*>(viewInfo()->HeaderViewInfo()); }
  TcxGridColumn* column(TcxCustomGridTableItem* AItem) { return static_cast<TcxGridColumn*>(AItem); }
  TPoint headerCenter(TcxCustomGridTableItem* AItem) {
    TRect b = header()->GetItem(AItem->VisibleIndex())->Bounds;
    return TPoint{(b.left + b.right) / 2, (b.top + b.bottom) / 2};
  }
  // A click on a column's header with the modifier keys held. The pause before it keeps
  // two clicks on one header from making a double click.
  void clickHeader(TcxCustomGridTableItem* AItem, std::initializer_list<WORD> AModifiers = {}) {
    pumpFor(GetDoubleClickTime() + 50);
    for (WORD key : AModifiers) sendModifier(key, false);
    clickAt(view->Site(), headerCenter(AItem));
    for (WORD key : AModifiers) sendModifier(key, true);
    pumpFor(30);
  }
  // A modifier key with its scan code: the system puts Shift into the mouse messages'
  // key flags only when it knows which physical key is down.
  static void sendModifier(WORD AKey, bool AUp) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = AKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(AKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = AUp ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(INPUT));
    pumpFor(10);
  }
  Integer maxLeftPos() { return viewInfo()->GetDataWidth() - viewInfo()->ClientWidth(); }
  // Columns wide enough that the rows are wider than the client area.
  void makeWide() {
    nome->SetWidth(250);
    idade->SetWidth(250);
    cidade->SetWidth(250);
    grid->LayoutChanged();
    pumpFor(30);
  }
  TcxControlScrollBar* vbar() { return view->Site()->VScrollBar(); }
  TcxControlScrollBar* hbar() { return view->Site()->HScrollBar(); }
};

// ---------------------------------------------------------------------------------------
// Header clicks.

TEST_F(TableScrollingTest, HeaderClicksSortAscendingThenDescendingCtrlClearsAndShiftAddsAColumn) {
  fill({{"Carla", 30}, {"Ana", 45}, {"Bruno", 30}, {"Eva", 19}});
  showFocused();
  clickHeader(nome);
  EXPECT_EQ(nome->SortOrder(), soAscending);
  EXPECT_EQ(columnTextsOf(0), "Ana,Bruno,Carla,Eva");
  EXPECT_EQ(controller()->PressedColumn(), nullptr) << "the press ends with the click";

  clickHeader(nome);
  EXPECT_EQ(nome->SortOrder(), soDescending) << "a second click turns the order";
  EXPECT_EQ(columnTextsOf(0), "Eva,Carla,Bruno,Ana");

  clickHeader(nome, {VK_CONTROL});
  EXPECT_EQ(nome->SortOrder(), soNone) << "Ctrl+click removes the sorting";

  // A plain click on another column sorts by it alone; Shift+click adds a second key.
  clickHeader(nome);
  clickHeader(idade);
  EXPECT_EQ(nome->SortOrder(), soNone) << "a plain click drops the other column's sorting";
  EXPECT_EQ(idade->SortOrder(), soAscending);
  // Shift from synthesized keys does not reach the mouse messages' key flags under this
  // system; the click is posted with the flag, as the system would deliver it.
  pumpFor(GetDoubleClickTime() + 50);
  TPoint p = headerCenter(nome);
  HWND site = view->Site()->Handle();
  PostMessageA(site, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(p.x, p.y));
  PostMessageA(site, WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(p.x, p.y));
  pumpFor(80);
  EXPECT_EQ(idade->SortOrder(), soAscending) << "Shift keeps the first column";
  EXPECT_EQ(nome->SortOrder(), soAscending);
  EXPECT_EQ(columnTextsOf(0), "Eva,Bruno,Carla,Ana") << "by age, then by name among the two of 30";
  EXPECT_EQ(controller()->PressedColumn(), nullptr);
}

TEST_F(TableScrollingTest, AHeaderThatCannotSortOnlyLosesItsPressedState) {
  fill({{"Carla", 30}, {"Ana", 45}});
  showFocused();
  nome->Options()->SetSorting(false);
  clickHeader(nome);
  EXPECT_EQ(nome->SortOrder(), soNone);
  EXPECT_EQ(columnTextsOf(0), "Carla,Ana");
  EXPECT_EQ(controller()->PressedColumn(), nullptr);
}

TEST_F(TableScrollingTest, ThePressedHeaderIsRecordedUntilTheButtonIsReleasedAwayFromIt) {
  fill({{"Carla", 30}, {"Ana", 45}});
  showFocused();
  TPoint p = headerCenter(nome);
  moveMouseTo(view->Site()->ClientToScreen(p));
  sendMouseInput(MOUSEEVENTF_LEFTDOWN);
  EXPECT_EQ(controller()->PressedColumn(), nome);
  EXPECT_TRUE(header()->GetItem(0)->IsPressed());
  // Released beyond the drag threshold: no sorting, and the press is over.
  moveMouseTo(view->Site()->ClientToScreen(TPoint{p.x + 30, p.y + 40}));
  sendMouseInput(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(nome->SortOrder(), soNone);
  EXPECT_EQ(controller()->PressedColumn(), nullptr);
  EXPECT_FALSE(header()->GetItem(0)->IsPressed());
}

// The ANSI sort compares texts with the system's collation, where an accented letter sorts
// with its plain letter ("ábaco" < "Árvore" < "Avião", "Ônibus" before "Zebra"); without it
// the cp1252 bytes decide, and every accented capital (0xC1, 0xD4) and small letter (0xE1)
// comes after "Z".
TEST_F(TableScrollingTest, AccentedTextsSortByTheCollationWithTheAnsiSortOption) {
  struct Case {
    bool Ansi;
    const char* Expected;
  };
  for (const Case& c : {Case{true, "ábaco,Árvore,Avião,Ônibus,Zebra"}, Case{false, "Avião,Zebra,Árvore,Ônibus,ábaco"}}) {
    SCOPED_TRACE(c.Ansi ? "ansi sort" : "byte order");
    TcxCustomDataController* dc = view->DataController();
    TcxDataControllerOptions options = dc->Options();
    if (c.Ansi)
      options.Include(dcoAnsiSort);
    else
      options.Exclude(dcoAnsiSort);
    dc->SetOptions(options);
    nome->SetSortOrder(soNone);
    fill({{"Árvore", 1}, {"Avião", 2}, {"Zebra", 3}, {"ábaco", 4}, {"Ônibus", 5}});
    showFocused();
    clickHeader(nome);
    EXPECT_EQ(columnTextsOf(0), c.Expected);
  }
}

// ---------------------------------------------------------------------------------------
// Vertical scrolling.

TEST_F(TableScrollingTest, TheVerticalBarShowsTheRowsAndFollowsClicksOnItsArrowsAndPageArea) {
  fillMany(5000);
  showFocused();
  ASSERT_NE(vbar(), nullptr);
  ASSERT_TRUE(vbar()->Visible());
  Integer visible = controller()->VisibleRecordCount();
  ASSERT_GT(visible, 3);
  EXPECT_LT(visible, 5000);
  EXPECT_EQ(vbar()->Min(), 0);
  EXPECT_EQ(vbar()->Max(), 4999);
  EXPECT_EQ(vbar()->PageSize(), visible);
  EXPECT_EQ(vbar()->Position(), 0);

  Integer w = vbar()->Width();
  Integer h = vbar()->Height();
  clickAt(vbar(), TPoint{w / 2, h - w / 2});  // the down arrow
  EXPECT_EQ(controller()->TopRecordIndex(), 1);
  EXPECT_EQ(vbar()->Position(), 1);
  clickAt(vbar(), TPoint{w / 2, w / 2});  // the up arrow
  EXPECT_EQ(controller()->TopRecordIndex(), 0);

  clickAt(vbar(), TPoint{w / 2, h - w - 4});  // the page area below the thumb
  EXPECT_EQ(controller()->TopRecordIndex(), visible - 1) << "a page down keeps the last row in view";
  EXPECT_EQ(vbar()->Position(), visible - 1);
}

TEST_F(TableScrollingTest, DraggingTheThumbToTheBottomShowsTheLastRow) {
  fillMany(5000);
  showFocused();
  Integer w = vbar()->Width();
  Integer h = vbar()->Height();
  // The bar follows its thumb in a loop of its own until the button is released: the
  // whole drag is queued before any of it is handled.
  moveMouseTo(vbar()->ClientToScreen(TPoint{w / 2, w + 3}));
  INPUT inputs[4] = {};
  for (INPUT& input : inputs) input.type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  auto absolute = [](INPUT& AInput, const TPoint& AScreen) {
    AInput.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    AInput.mi.dx = AScreen.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    AInput.mi.dy = AScreen.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  };
  absolute(inputs[1], vbar()->ClientToScreen(TPoint{w / 2, h / 2}));
  absolute(inputs[2], vbar()->ClientToScreen(TPoint{w / 2, h - w - 1}));  // the bottom of the track
  inputs[3].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(4, inputs, sizeof(INPUT));
  pumpFor(200);
  Integer top = controller()->TopRecordIndex();
  EXPECT_GT(top, 0);
  EXPECT_EQ(top, controller()->GetMaxTopRecordIndex());
  EXPECT_EQ(controller()->LastVisibleRecordIndex(), 4999);
  EXPECT_EQ(vbar()->Position(), top);
}

TEST_F(TableScrollingTest, TheWheelAndTheKeysReachTheLastOfFiveThousandRows) {
  fillMany(5000);
  showFocused();
  moveMouseTo(view->Site()->ClientToScreen(cellCenter(2, nome)));
  sendMouseInput(MOUSEEVENTF_WHEEL, static_cast<DWORD>(-WHEEL_DELTA));
  Integer afterWheel = controller()->TopRecordIndex();
  EXPECT_GT(afterWheel, 0) << "the wheel scrolls the rows down";
  EXPECT_EQ(vbar()->Position(), afterWheel);
  sendMouseInput(MOUSEEVENTF_WHEEL, static_cast<DWORD>(WHEEL_DELTA));
  EXPECT_EQ(controller()->TopRecordIndex(), 0);

  pressWith({VK_CONTROL}, VK_END);
  EXPECT_EQ(focusedRow(), 4999);
  EXPECT_EQ(controller()->LastVisibleRecordIndex(), 4999);
  EXPECT_EQ(vbar()->Position(), controller()->TopRecordIndex());

  pressWith({VK_CONTROL}, VK_HOME);
  Integer presses = 0;
  while (focusedRow() != 4999 && presses++ < 1000) pressKey(VK_NEXT);
  EXPECT_EQ(focusedRow(), 4999);
  EXPECT_EQ(controller()->TopRecordIndex(), controller()->GetMaxTopRecordIndex());
}

TEST_F(TableScrollingTest, PageScrollingKeepsTheOldEdgeRowInView) {
  fillMany(100);
  showFocused();
  Integer visible = controller()->VisibleRecordCount();
  controller()->ScrollPageDown();
  EXPECT_EQ(controller()->TopRecordIndex(), visible - 1);
  controller()->ScrollPageDown();
  Integer top = controller()->TopRecordIndex();
  EXPECT_EQ(top, 2 * (visible - 1));
  controller()->ScrollPageUp();
  EXPECT_EQ(controller()->TopRecordIndex(), top - visible + 1) << "the old top row becomes the last";
  controller()->SetTopRecordIndex(0);
  controller()->ScrollPageUp();
  EXPECT_EQ(controller()->TopRecordIndex(), 0);
  controller()->SetTopRecordIndex(1000);
  EXPECT_EQ(controller()->TopRecordIndex(), controller()->GetMaxTopRecordIndex()) << "the last page stays full";
  EXPECT_EQ(controller()->LastVisibleRecordIndex(), 99);
}

// ---------------------------------------------------------------------------------------
// Horizontal position.

TEST_F(TableScrollingTest, TheLeftPositionStaysBetweenZeroAndTheHiddenWidth) {
  fillPeople();
  showFocused();
  makeWide();
  Integer maxPos = maxLeftPos();
  ASSERT_GT(maxPos, 100);
  struct Case {
    Integer Value;
    Integer Expected;
  };
  for (const Case& c : {Case{-5, 0}, Case{37, 37}, Case{maxPos, maxPos}, Case{maxPos + 1, maxPos}, Case{100000, maxPos},
                        Case{0, 0}}) {
    controller()->SetLeftPos(c.Value);
    EXPECT_EQ(controller()->LeftPos(), c.Expected) << "asked for " << c.Value;
    EXPECT_EQ(viewInfo()->GetLeftPos(), c.Expected) << "the layout reads the controller's position";
  }
  // The horizontal bar shows the pixels.
  ASSERT_TRUE(hbar()->Visible());
  EXPECT_EQ(hbar()->Max(), viewInfo()->GetDataWidth() - 1);
  EXPECT_EQ(hbar()->PageSize(), viewInfo()->ClientWidth());

  // Right moves by 10 while the cells do not take it; at the right end nothing changes.
  view->OptionsSelection()->SetCellSelect(false);
  pressKey(VK_RIGHT);
  EXPECT_EQ(controller()->LeftPos(), 10);
  EXPECT_EQ(hbar()->Position(), 10);
  pressKey(VK_LEFT);
  EXPECT_EQ(controller()->LeftPos(), 0);
  controller()->SetLeftPos(maxPos);
  LeftPosLog log(controller());
  view->OnLeftPosChanged = TNotifyEvent(&log, &LeftPosLog::Changed);
  pressKey(VK_RIGHT);
  EXPECT_EQ(controller()->LeftPos(), maxPos);
  EXPECT_TRUE(log.Positions.empty()) << "no change is reported at the right end";

  // Narrow columns fit: the position stays 0.
  view->OnLeftPosChanged = TNotifyEvent();
  nome->SetWidth(60);
  idade->SetWidth(60);
  cidade->SetWidth(60);
  grid->LayoutChanged();
  pumpFor(30);
  EXPECT_EQ(controller()->LeftPos(), 0) << "the layout check brings the position back";
  controller()->SetLeftPos(20);
  EXPECT_EQ(controller()->LeftPos(), 0);
}

TEST_F(TableScrollingTest, HorizontalScrollingMovesThePixelsWithoutANewLayout) {
  fillPeople();
  showFocused();
  makeWide();
  gridtest::LayoutLog layouts;
  grid->OnLayoutChanged = TcxGridLayoutChangedEvent(&layouts, &gridtest::LayoutLog::LayoutChanged);
  TBitmap before;
  captureClient(view->Site(), before);
  TRect client = viewInfo()->ClientBounds();
  TRect firstRow = view->ViewData()->Records(0)->ViewInfo()->Bounds;
  Integer secondHeaderLeft = header()->GetItem(1)->Bounds.left;

  Integer w = hbar()->Width();
  Integer h = hbar()->Height();
  for (int i = 0; i < 3; ++i) clickAt(hbar(), TPoint{w - h / 2, h / 2});  // the right arrow
  ASSERT_EQ(controller()->LeftPos(), 30);
  EXPECT_EQ(hbar()->Position(), 30);
  EXPECT_EQ(layouts.Text(), "") << "no layout pass";
  EXPECT_EQ(header()->GetItem(1)->Bounds.left, secondHeaderLeft - 30) << "the header cells moved with the pixels";

  TBitmap after;
  captureClient(view->Site(), after);
  // The rows and the header show what they showed 30 pixels further right.
  Integer mismatches = 0;
  Integer checked = 0;
  for (Integer y : {firstRow.top + 3, (firstRow.top + firstRow.bottom) / 2, firstRow.bottom - 3,
                    (header()->Bounds.top + header()->Bounds.bottom) / 2})
    for (Integer x = client.left; x < client.right - 30; ++x) {
      ++checked;
      if (pixelAt(after, x, y) != pixelAt(before, x + 30, y)) ++mismatches;
    }
  ASSERT_GT(checked, 0);
  EXPECT_EQ(mismatches, 0) << "of " << checked << " pixels; see " << savePng(after, "tvctl_hscroll");
}

TEST_F(TableScrollingTest, FocusingACellOutOfViewScrollsItsColumnIn) {
  fillPeople();
  showFocused();
  makeWide();
  TRect client = viewInfo()->ClientBounds();
  pressKey(VK_RIGHT);
  pressKey(VK_RIGHT);
  ASSERT_EQ(focusedItemName(), "GradeCidade");
  TRect b = header()->GetItem(2)->Bounds;
  EXPECT_GT(controller()->LeftPos(), 0);
  EXPECT_EQ(b.right, client.right) << "just enough to show the right edge";
  pressKey(VK_HOME);
  EXPECT_EQ(focusedItemName(), "GradeNome");
  EXPECT_EQ(controller()->LeftPos(), 0);
}

// ---------------------------------------------------------------------------------------
// Drag scrolling.

TEST_F(TableScrollingTest, AHeaderDraggedNearAnEdgeScrollsByTenEvery35MsUntilTheEnd) {
  fillPeople();
  showFocused();
  makeWide();
  TRect area;
  viewInfo()->GetHorizontalScrollableArea(area);
  Integer y = (header()->Bounds.top + header()->Bounds.bottom) / 2;

  controller()->SetLeftPos(35);
  LeftPosLog log(controller());
  std::vector<Integer>& positions = log.Positions;
  view->OnLeftPosChanged = TNotifyEvent(&log, &LeftPosLog::Changed);
  DWORD start = GetTickCount();
  controller()->headerDragScrollCheck(TPoint{area.left + 14, y});
  EXPECT_EQ(controller()->DragScrollDirection(), TcxGridDirection::Left);
  EXPECT_TRUE(controller()->IsDragScrollTimerRunning());
  ASSERT_TRUE(pumpUntil([&] { return controller()->LeftPos() == 0; }, 2000));
  DWORD elapsed = GetTickCount() - start;
  EXPECT_EQ(positions, (std::vector<Integer>{25, 15, 5, 0}));
  EXPECT_GE(elapsed, 3u * 35u - 10u) << "four ticks of 35 ms";
  pumpFor(120);
  EXPECT_EQ(positions.size(), 4u) << "at 0 the ticks change nothing";

  // Past the left strip nothing scrolls; near the right edge the view scrolls right.
  controller()->headerDragScrollCheck(TPoint{area.left + 15, y});
  EXPECT_EQ(controller()->DragScrollDirection(), TcxGridDirection::None);
  EXPECT_FALSE(controller()->IsDragScrollTimerRunning());
  controller()->headerDragScrollCheck(TPoint{area.right - 16, y});
  EXPECT_EQ(controller()->DragScrollDirection(), TcxGridDirection::None);
  controller()->headerDragScrollCheck(TPoint{area.right - 15, y});
  EXPECT_EQ(controller()->DragScrollDirection(), TcxGridDirection::Right);
  EXPECT_TRUE(pumpUntil([&] { return controller()->LeftPos() >= 20; }, 2000));
  controller()->headerDragScrollCheck(TPoint{area.right + 5, y});
  EXPECT_EQ(controller()->DragScrollDirection(), TcxGridDirection::None) << "outside the area nothing scrolls";
  controller()->SetDragScrollDirection(TcxGridDirection::Left);
  controller()->EndDragAndDrop(false);
  EXPECT_EQ(controller()->DragScrollDirection(), TcxGridDirection::None) << "the end of a drag stops the timer";
  view->OnLeftPosChanged = TNotifyEvent();
}

}  // namespace
