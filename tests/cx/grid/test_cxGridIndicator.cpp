// The indicator column of the tabular view: its place beside the header and the rows
// against numbers worked out by hand, the record state each row cell shows, hit tests on
// its cells and on the rows' sizing edges, the painted column in the standard and flat
// looks, custom drawing, and sizing a row by its edge with the real mouse.
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "TableViewTestSupport.h"
#include "cx/editors/cxTextEdit.h"
#include "cx/grid/cxGridRows.h"
#include "cx/grid/cxGridTableView.h"
#include "platform/gui/GuiTestSupport.h"

using namespace gridtest;
using namespace guitest;
using namespace tabletest;

namespace {

class TIndicatorTestView : public TcxGridTableView {
  RTL_DECLARE_CLASS(TIndicatorTestView, TcxGridTableView)
public:
  using TcxGridTableView::TcxGridTableView;
};
RTL_IMPLEMENT_CLASS(TIndicatorTestView)

// Columns "Nome" (80 px) and "Idade" (60 px) over rows 20 px high, with the indicator.
class GridIndicatorTest : public TableViewFixture<TIndicatorTestView> {
protected:
  void SetUp() override {
    TableViewFixture<TIndicatorTestView>::SetUp();
    grid->LookAndFeel()->SetKind(lfStandard);
    grid->LookAndFeel()->SetNativeStyle(false);
    view->OptionsView()->SetIndicator(true);
    view->OptionsView()->SetDataRowHeight(20);
  }
  void fill(Integer ARecords) {
    addColumn("Nome", 80);
    addColumn("Idade", 60);
    TcxCustomDataController* dc = view->DataController();
    dc->SetRecordCount(ARecords);
    for (Integer i = 0; i < ARecords; ++i) {
      dc->SetValue(i, 0, std::string("nome") + std::to_string(i));
      dc->SetValue(i, 1, std::to_string(i));
    }
    relayout();
  }
  void addColumn(const std::string& ACaption, Integer AWidth) {
    addTextColumn(view, ACaption, AWidth);
  }
  void relayout() {
    grid->LayoutChanged();
    pumpFor(20);
  }
  void repaint() {
    view->Site()->Invalidate();
    view->Site()->Update();
  }
  TcxGridTableViewInfo* viewInfo() { return static_cast<TcxGridTableViewInfo*>(view->ViewInfo()); }
  TcxGridIndicatorViewInfo* indicator() { return dynamic_cast<TcxGridIndicatorViewInfo*>(viewInfo()->IndicatorViewInfo()); }
  TcxCustomGridRowViewInfo* row(Integer APosition) {
    return static_cast<TcxCustomGridRowViewInfo*>(viewInfo()->GetRowsViewInfo()->Items(APosition));
  }
  Integer headerHeight() { return viewInfo()->HeaderViewInfo()->GetHeight(); }
  static std::string rgb(TColor AColor) { return hexOf(static_cast<uint32_t>(ColorToRGB(AColor))); }
};

// ---------------------------------------------------------------------------------------
// Layout.

TEST_F(GridIndicatorTest, TheColumnStandsLeftOfTheHeaderAndTheRowsWithOneCellEach) {
  struct Case {
    bool shown;
    Integer width;
    Integer expected;
  } cases[] = {{true, 12, 12}, {true, 20, 20}, {false, 20, 0}};
  fill(3);
  for (const Case& k : cases) {
    view->OptionsView()->SetIndicator(k.shown);
    view->OptionsView()->SetIndicatorWidth(k.width);
    relayout();
    TRect b = viewInfo()->Bounds();
    Integer header = headerHeight();
    ASSERT_GT(header, 0);
    // The rows and the header start right of the column.
    EXPECT_EQ(viewInfo()->ClientBounds().left, b.left + k.expected) << k.width;
    EXPECT_EQ(viewInfo()->HeaderViewInfo()->Bounds.left, b.left + k.expected) << k.width;
    EXPECT_EQ(indicator()->GetVisible(), k.shown);
    // From the header's top to the rows' bottom (there is no footer).
    EXPECT_EQ(txt(indicator()->Bounds), txt(TRect{b.left, b.top, b.left + k.expected, b.bottom})) << k.width;
    // The header cell, then one cell per laid-out row, each beside its row.
    ASSERT_EQ(indicator()->Count(), 4) << k.width;
    EXPECT_EQ(indicator()->Items(0), indicator()->HeaderItem());
    EXPECT_EQ(txt(indicator()->Items(0)->Bounds), txt(TRect{b.left, b.top, b.left + k.expected, b.top + header}));
    for (Integer i = 0; i < 3; ++i) {
      Integer top = b.top + header + 20 * i;
      EXPECT_EQ(txt(row(i)->IndicatorItem()->Bounds), txt(TRect{b.left, top, b.left + k.expected, top + 20}))
          << "row " << i << ", width " << k.width;
      TRect bounds;
      indicator()->GetRowItemBounds(row(i)->GridRecord(), bounds);
      EXPECT_EQ(txt(bounds), txt(row(i)->IndicatorItem()->Bounds));
    }
  }
}

TEST_F(GridIndicatorTest, RowCellsFollowTheRowsWhenTheViewScrolls) {
  fill(30);
  TRect b = viewInfo()->Bounds();
  Integer top = b.top + headerHeight();
  view->Controller()->SetTopRecordIndex(2);
  pumpFor(50);
  // Every row cell lies beside its row, and the record two rows down is now first.
  EXPECT_EQ(row(0)->GridRecord()->Index(), 2);
  for (Integer i = 0; i < viewInfo()->GetRowsViewInfo()->Count(); ++i)
    EXPECT_EQ(txt(row(i)->IndicatorItem()->Bounds), txt(TRect{b.left, row(i)->Bounds.top, b.left + 12, row(i)->Bounds.bottom}))
        << "row " << i;
  EXPECT_EQ(row(0)->IndicatorItem()->Bounds.top, top);
  // A record that left the view has no cell any more, and no cell is listed twice.
  TRect gone;
  indicator()->GetRowItemBounds(view->ViewData()->GetRecordByIndex(0), gone);
  EXPECT_TRUE(IsRectEmpty(gone)) << txt(gone);
  EXPECT_EQ(indicator()->Count(), viewInfo()->GetRowsViewInfo()->Count() + 1);
}

TEST_F(GridIndicatorTest, RowCellsShowTheStateOfTheirRecords) {
  fill(4);
  auto kinds = [this] {
    std::string result;
    for (Integer i = 0; i < 4; ++i) result += std::to_string(static_cast<int>(row(i)->IndicatorItem()->GetIndicatorKind()));
    return result;
  };
  TcxCustomGridTableController* controller = view->Controller();
  controller->SetFocusedRecordIndex(1);
  relayout();
  EXPECT_EQ(kinds(), "0100") << "the focused record has the arrow";

  view->OptionsSelection()->SetMultiSelect(true);
  relayout();
  view->ViewData()->GetRecordByIndex(3)->SetSelected(true);
  view->ViewData()->GetRecordByIndex(1)->SetSelected(true);
  relayout();
  EXPECT_EQ(kinds(), "0504") << "selected records show the dot, the focused and selected one both";

  view->OptionsSelection()->SetMultiSelect(false);
  relayout();
  view->DataController()->Edit();
  relayout();
  EXPECT_EQ(kinds(), "0200") << "the record being edited";
  view->DataController()->Cancel();
  relayout();
  EXPECT_EQ(kinds(), "0100");
}

// ---------------------------------------------------------------------------------------
// Hit tests.

TEST_F(GridIndicatorTest, HitTestsTellTheRowCellTheSizingEdgeAndTheColumn) {
  view->OptionsCustomize()->SetDataRowSizing(true);
  fill(3);
  TRect b = viewInfo()->Bounds();
  const Integer T = b.top + headerHeight();  // top of the first row
  const Integer x = b.left + 5;
  struct Case {
    Integer y;
    Integer code;
    Integer record;  // -1: no record
  } cases[] = {
      {b.top + 3, 215, -1},  // the header cell
      {T + 10, 213, 0},      // inside row 0
      {T + 15, 213, 0},      // just above the band of row 0's bottom edge
      {T + 16, 214, 0},      // the band: 4 pixels above the edge...
      {T + 23, 214, 0},      // ...and 4 below it, over the next row
      {T + 24, 213, 1},
      {T + 36, 214, 1},
      {T + 75, 215, -1},     // below the last row: the column itself
  };
  for (const Case& k : cases) {
    TcxCustomGridHitTest* hit = viewInfo()->GetHitTest(TPoint{x, k.y});
    ASSERT_NE(hit, nullptr) << k.y;
    EXPECT_EQ(hit->HitTestCode(), k.code) << "y " << k.y;
    auto* recordHit = dynamic_cast<TcxGridRecordHitTest*>(hit);
    EXPECT_EQ(recordHit ? recordHit->RecordIndex : -1, k.record) << "y " << k.y;
  }
  // The row cell hands the mouse to its row; the edge keeps it.
  EXPECT_EQ(viewInfo()->GetHitTest(TPoint{x, T + 10})->ViewInfo, row(0));
  EXPECT_EQ(viewInfo()->GetHitTest(TPoint{x, T + 18})->ViewInfo, row(0)->IndicatorItem());
  EXPECT_EQ(viewInfo()->GetHitTest(TPoint{x, T + 18})->Cursor(), crcxVertSize);

  // A row that cannot be sized has no edge.
  view->OptionsCustomize()->SetDataRowSizing(false);
  relayout();
  EXPECT_EQ(viewInfo()->GetHitTest(TPoint{x, T + 18})->HitTestCode(), 213);
}

TEST_F(GridIndicatorTest, AClickOnARowCellFocusesTheRow) {
  fill(3);
  TRect b = viewInfo()->Bounds();
  clickAt(view->Site(), TPoint{b.left + 5, b.top + headerHeight() + 50});
  EXPECT_EQ(view->Controller()->FocusedRowIndex(), 2);
}

// ---------------------------------------------------------------------------------------
// Painting.

class GridIndicatorPaintTest : public GridIndicatorTest, public ::testing::WithParamInterface<TcxLookAndFeelKind> {};

TEST_P(GridIndicatorPaintTest, CellsHaveHeaderEdgesAndTheFocusedRowTheArrow) {
  grid->LookAndFeel()->SetKind(GetParam());
  fill(3);
  view->Controller()->SetFocusedRecordIndex(1);
  relayout();
  repaint();
  TBitmap shot;
  captureClient(view->Site(), shot);
  savePng(shot, GetParam() == lfFlat ? "indicator_flat" : "indicator_standard");
  for (Integer i = 0; i < 3; ++i) {
    TRect r = row(i)->IndicatorItem()->Bounds;
    EXPECT_EQ(hexOf(pixelAt(shot, r.left, r.top + 10)), rgb(cl3DLight)) << "left edge of row " << i;
    EXPECT_EQ(hexOf(pixelAt(shot, r.right - 1, r.top + 10)), rgb(cl3DDkShadow)) << "right edge of row " << i;
    EXPECT_EQ(hexOf(pixelAt(shot, r.left + 2, r.top + 2)), rgb(clBtnFace)) << "face of row " << i;
    // The arrow's ink lies inside the focused row's cell only.
    bool ink = false;
    for (Integer y = r.top + 2; y < r.bottom - 2; ++y)
      for (Integer x = r.left + 2; x < r.right - 2; ++x)
        if (hexOf(pixelAt(shot, x, y)) == rgb(clBlack)) ink = true;
    EXPECT_EQ(ink, i == 1) << "row " << i;
  }
  TRect h = indicator()->HeaderItem()->Bounds;
  EXPECT_EQ(hexOf(pixelAt(shot, h.left, h.top + 5)), rgb(cl3DLight)) << "header cell's left edge";
  EXPECT_EQ(hexOf(pixelAt(shot, h.right - 1, h.top + 5)), rgb(cl3DDkShadow)) << "header cell's right edge";
}

INSTANTIATE_TEST_SUITE_P(Looks, GridIndicatorPaintTest, ::testing::Values(lfStandard, lfFlat));

TEST_F(GridIndicatorTest, TheArrowMovesWithTheFocus) {
  fill(3);
  view->Controller()->SetFocusedRecordIndex(0);
  relayout();
  repaint();
  TRect b = viewInfo()->Bounds();
  clickAt(view->Site(), TPoint{b.left + 40, b.top + headerHeight() + 50});
  pumpFor(50);
  TBitmap shot;
  captureClient(view->Site(), shot);
  auto hasInk = [&](Integer APosition) {
    TRect r = row(APosition)->IndicatorItem()->Bounds;
    for (Integer y = r.top + 2; y < r.bottom - 2; ++y)
      for (Integer x = r.left + 2; x < r.right - 2; ++x)
        if (hexOf(pixelAt(shot, x, y)) == rgb(clBlack)) return true;
    return false;
  };
  EXPECT_FALSE(hasInk(0)) << "the old focused row keeps no arrow";
  EXPECT_TRUE(hasInk(2));
}

struct IndicatorDrawLog : TObject {
  void Draw(TcxGridTableView*, TcxCanvas* ACanvas, TcxCustomGridCellViewInfo* AViewInfo, bool& ADone) {
    ACanvas->Brush()->SetColor(clRed);
    ACanvas->FillRectangle(AViewInfo->Bounds);
    Cells.push_back(AViewInfo);
    ADone = true;
  }
  std::vector<TcxCustomGridCellViewInfo*> Cells;
};

TEST_F(GridIndicatorTest, TheViewsEventDrawsTheCellsInstead) {
  fill(2);
  IndicatorDrawLog log;
  view->OnCustomDrawIndicatorCell = TcxGridIndicatorCellCustomDrawEvent(&log, &IndicatorDrawLog::Draw);
  relayout();
  repaint();
  TBitmap shot;
  captureClient(view->Site(), shot);
  // The header cell and both row cells were handed to the event, and show its red.
  std::vector<TcxCustomGridCellViewInfo*> cells{indicator()->HeaderItem(), row(0)->IndicatorItem(), row(1)->IndicatorItem()};
  for (TcxCustomGridCellViewInfo* cell : cells) {
    EXPECT_NE(std::find(log.Cells.begin(), log.Cells.end(), cell), log.Cells.end());
    EXPECT_EQ(hexOf(pixelAt(shot, cell->Bounds.left + 6, cell->Bounds.top + 8)), rgb(clRed));
  }
}

// ---------------------------------------------------------------------------------------
// Sizing a row by its edge in the indicator.

TEST_F(GridIndicatorTest, DraggingARowsEdgeSetsTheRowHeightWhenReleased) {
  view->OptionsCustomize()->SetDataRowSizing(true);
  fill(5);
  TRect b = viewInfo()->Bounds();
  const Integer edge = b.top + headerHeight() + 20;  // bottom of row 0
  pressAndDrag(view->Site(), TPoint{b.left + 5, edge - 1}, TPoint{b.left + 5, edge + 14});
  EXPECT_EQ(view->OptionsView()->DataRowHeight(), 20) << "nothing changes while the button is down";
  EXPECT_EQ(::GetCursor(), Screen->Cursors(crcxVertSize));
  releaseMouse();
  pumpFor(50);
  EXPECT_EQ(view->OptionsView()->DataRowHeight(), 35);
  EXPECT_EQ(row(0)->Bounds.bottom - row(0)->Bounds.top, 35);
  EXPECT_EQ(row(0)->IndicatorItem()->Bounds.bottom, edge + 15);
}

TEST_F(GridIndicatorTest, ARowDraggedSmallerStopsAtTheAutomaticHeight) {
  // The height option never goes below 0, which means the automatic height.
  struct Case {
    Integer dy;
    Integer expected;
  } cases[] = {{-8, 12}, {-39, 0}};
  view->OptionsCustomize()->SetDataRowSizing(true);
  fill(5);
  for (const Case& k : cases) {
    view->OptionsView()->SetDataRowHeight(20);
    relayout();
    TRect b = viewInfo()->Bounds();
    const Integer edge = b.top + headerHeight() + 40;  // bottom of row 1
    pressAndDrag(view->Site(), TPoint{b.left + 5, edge - 1}, TPoint{b.left + 5, edge - 1 + k.dy});
    releaseMouse();
    pumpFor(50);
    EXPECT_EQ(view->OptionsView()->DataRowHeight(), k.expected) << k.dy;
  }
}

TEST_F(GridIndicatorTest, ADoubleClickOnARowsEdgeGoesBackToTheAutomaticHeight) {
  view->OptionsCustomize()->SetDataRowSizing(true);
  fill(5);
  TRect b = viewInfo()->Bounds();
  doubleClickAt(view->Site(), TPoint{b.left + 5, b.top + headerHeight() + 19});
  pumpFor(50);
  EXPECT_EQ(view->OptionsView()->DataRowHeight(), 0);
}

}  // namespace
