// The column header of the tabular view: the areas inside a header cell (sizing edge,
// filter button, sorting mark, glyph) and the text area left around them, the header
// part's placement of its cells and the automatic widths, the drop zones of a dragged
// column, hit tests and real clicks on the header, and the painted header in the standard
// and flat looks.
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

class THeaderTestView : public TcxGridTableView {
  RTL_DECLARE_CLASS(THeaderTestView, TcxGridTableView)
public:
  using TcxGridTableView::TcxGridTableView;
};
RTL_IMPLEMENT_CLASS(THeaderTestView)

class GridHeaderTest : public TableViewFixture<THeaderTestView> {
protected:
  void SetUp() override {
    TableViewFixture<THeaderTestView>::SetUp();
    grid->LookAndFeel()->SetKind(lfStandard);
    grid->LookAndFeel()->SetNativeStyle(false);
  }
  TcxGridColumn* addColumn(const std::string& ACaption, Integer AWidth) {
    return addTextColumn(view, ACaption, AWidth);
  }
  void relayout() {
    grid->LayoutChanged();
    pumpFor(20);
  }
  // Sizes the grid so that its view's client area is AClientWidth wide.
  void setClientWidth(Integer AClientWidth) {
    relayout();
    Integer frame = grid->Width() - viewInfo()->ClientWidth();
    grid->SetBounds(0, 0, AClientWidth + frame, 200);
    relayout();
    ASSERT_EQ(viewInfo()->ClientWidth(), AClientWidth);
  }
  TcxGridTableViewInfo* viewInfo() { return static_cast<TcxGridTableViewInfo*>(view->ViewInfo()); }
  TcxGridHeaderViewInfo* header() { return dynamic_cast<TcxGridHeaderViewInfo*>(viewInfo()->HeaderViewInfo()); }
  TcxGridColumnHeaderViewInfo* cell(Integer AIndex) { return header()->GetItem(AIndex); }
  // The area of the given class in a header cell, or null.
  static TcxGridColumnHeaderAreaViewInfo* area(TcxGridColumnHeaderViewInfo* ACell, TClass AClass) {
    for (Integer i = 0; i < ACell->GetAreaCount(); ++i)
      if (ACell->GetArea(i)->ClassType() == AClass) return ACell->GetArea(i);
    return nullptr;
  }
  static std::vector<std::string> areaClasses(TcxGridColumnHeaderViewInfo* ACell) {
    std::vector<std::string> result;
    for (Integer i = 0; i < ACell->GetAreaCount(); ++i) result.push_back(ACell->GetArea(i)->ClassName());
    return result;
  }
};

// ---------------------------------------------------------------------------------------
// Areas inside a header cell.

TEST_F(GridHeaderTest, SortedFilterableColumnLinesUpFilterButtonThenSortingMarkFromTheRight) {
  TcxGridColumn* nome = addColumn("Nome", 120);
  addColumn("Idade", 60);
  nome->SetSortOrder(soAscending);
  relayout();
  TcxGridColumnHeaderViewInfo* c = cell(0);
  EXPECT_EQ(areaClasses(c), (std::vector<std::string>{"TcxGridColumnHeaderHorzSizingEdgeViewInfo",
                                                       "TcxGridColumnHeaderFilterButtonViewInfo",
                                                       "TcxGridColumnHeaderSortingMarkViewInfo"}));
  // The standard look draws a one-pixel edge on every side of every header.
  TRect b = c->Bounds;
  EXPECT_EQ(b.right - b.left, 120);
  Integer top = b.top;
  Integer bottom = b.bottom;
  // Text area: content (less the edge) less 2 on each side = 3..117; the filter button
  // takes 102..117, the sorting mark (16 wide, 7 high, centred) 86..102, and the text
  // keeps 2 pixels away from them.
  EXPECT_EQ(txt(area(c, TcxGridColumnHeaderFilterButtonViewInfo::StaticClass())->Bounds),
            txt(TRect{102, top + 3, 117, bottom - 3}));
  Integer markTop = (top + 3 + bottom - 3 - 7) / 2;
  EXPECT_EQ(txt(area(c, TcxGridColumnHeaderSortingMarkViewInfo::StaticClass())->Bounds),
            txt(TRect{86, markTop, 102, markTop + 7}));
  TRect text;
  c->GetTextAreaBounds(text);
  EXPECT_EQ(txt(text), txt(TRect{3, top + 3, 84, bottom - 3}));
  // The sizing edge does not take room from the text: it straddles the right edge,
  // 4 pixels inside and 4 outside, over the full height.
  EXPECT_EQ(txt(area(c, TcxGridColumnHeaderHorzSizingEdgeViewInfo::StaticClass())->Bounds),
            txt(TRect{116, top, 124, bottom}));
  // The second column, unsorted, has no mark; the best fit is text + edges + 4 + the
  // right-area gap + the button.
  EXPECT_EQ(area(cell(1), TcxGridColumnHeaderSortingMarkViewInfo::StaticClass()), nullptr);
  Integer textWidth = cell(1)->CalculateTextWidth();
  EXPECT_EQ(cell(1)->GetBestFitWidth(), 1 + textWidth + 4 + 1 + 2 + 15);
}

TEST_F(GridHeaderTest, AreasFollowTheOptionsThatAllowThem) {
  TcxGridColumn* nome = addColumn("Nome", 100);
  struct Case {
    const char* name;
    bool viewFiltering, viewSizing, columnSizing;
    std::vector<std::string> classes;
  } cases[] = {
      {"all allowed", true, true, true,
       {"TcxGridColumnHeaderHorzSizingEdgeViewInfo", "TcxGridColumnHeaderFilterButtonViewInfo"}},
      {"no column filtering", false, true, true, {"TcxGridColumnHeaderHorzSizingEdgeViewInfo"}},
      {"view forbids sizing", true, false, true, {"TcxGridColumnHeaderFilterButtonViewInfo"}},
      {"column forbids sizing", true, true, false, {"TcxGridColumnHeaderFilterButtonViewInfo"}},
  };
  for (const Case& k : cases) {
    view->OptionsCustomize()->SetColumnFiltering(k.viewFiltering);
    view->OptionsCustomize()->SetColumnHorzSizing(k.viewSizing);
    nome->Options()->SetHorzSizing(k.columnSizing);
    relayout();
    EXPECT_EQ(areaClasses(cell(0)), k.classes) << k.name;
  }
}

TEST_F(GridHeaderTest, GlyphTakesItsRoomOnTheSideItIsAlignedTo) {
  TcxGridColumn* nome = addColumn("Nome", 120);
  view->OptionsCustomize()->SetColumnFiltering(false);
  std::unique_ptr<TBitmap, TObjectDeleter> glyph(new TBitmap());
  glyph->SetWidth(10);
  glyph->SetHeight(8);
  nome->SetHeaderGlyph(glyph.get());
  nome->SetHeaderGlyphAlignmentVert(vaTop);
  relayout();
  TcxGridColumnHeaderViewInfo* c = cell(0);
  Integer top = c->Bounds.top;
  Integer bottom = c->Bounds.bottom;
  TRect text;
  // Left aligned: the glyph at the text area's left, the text 2 pixels after it.
  EXPECT_EQ(txt(area(c, TcxGridColumnHeaderGlyphViewInfo::StaticClass())->Bounds), txt(TRect{3, top + 3, 13, top + 11}));
  c->GetTextAreaBounds(text);
  EXPECT_EQ(txt(text), txt(TRect{15, top + 3, 117, bottom - 3}));
  // Right aligned and centred vertically.
  nome->SetHeaderGlyphAlignmentHorz(taRightJustify);
  nome->SetHeaderGlyphAlignmentVert(vaCenter);
  relayout();
  c = cell(0);
  Integer glyphTop = (top + 3 + bottom - 3 - 8) / 2;
  EXPECT_EQ(txt(area(c, TcxGridColumnHeaderGlyphViewInfo::StaticClass())->Bounds),
            txt(TRect{107, glyphTop, 117, glyphTop + 8}));
  c->GetTextAreaBounds(text);
  EXPECT_EQ(txt(text), txt(TRect{3, top + 3, 105, bottom - 3}));
}

TEST_F(GridHeaderTest, WithoutALeftEdgeAHeaderOverlapsItsLeftNeighbour) {
  addColumn("A", 80);
  addColumn("B", 60);
  addColumn("C", 50);
  grid->LookAndFeel()->SetKind(lfUltraFlat);
  relayout();
  // The ultra-flat look leaves the shared line to the neighbour on the left: the second
  // and third headers start one pixel further left, and report their own widths.
  EXPECT_EQ(txt(cell(0)->Bounds), txt(TRect{0, cell(0)->Bounds.top, 80, cell(0)->Bounds.bottom}));
  EXPECT_EQ(cell(1)->Bounds.left, 79);
  EXPECT_EQ(cell(1)->Bounds.right, 140);
  EXPECT_EQ(cell(1)->LeftOverlap(), 1);
  EXPECT_EQ(cell(1)->GetWidth(), 60);
  EXPECT_EQ(cell(1)->GetVisibleLeft(), 80);
  EXPECT_EQ(cell(2)->Bounds.left, 139);
  EXPECT_EQ(cell(2)->GetDataCellLeft(), 140);
  EXPECT_EQ(header()->GetWidth(), 190);
}

// ---------------------------------------------------------------------------------------
// The header part.

TEST_F(GridHeaderTest, CellsSitSideBySideAndRowsPutTheirCellsUnderThem) {
  addColumn("Nome", 80);
  addColumn("Idade", 60);
  view->DataController()->SetRecordCount(3);
  relayout();
  TRect client = viewInfo()->ClientBounds();
  Integer h = header()->GetItemHeight();
  EXPECT_EQ(txt(header()->Bounds), txt(TRect{0, client.top - h, 140, client.top}));
  EXPECT_EQ(txt(cell(0)->Bounds), txt(TRect{0, client.top - h, 80, client.top}));
  EXPECT_EQ(txt(cell(1)->Bounds), txt(TRect{80, client.top - h, 140, client.top}));
  // Header height: the header font's line height + 4 + twice the edge.
  EXPECT_EQ(h, viewInfo()->GetFontHeight(cell(0)->Params.Font) + 4 + 2);
  auto* row = static_cast<TcxGridDataRowViewInfo*>(viewInfo()->GetRowsViewInfo()->Items(0));
  EXPECT_EQ(row->FindCell(1)->Bounds.left, 80);
  EXPECT_EQ(row->FindCell(1)->Bounds.right, 140);
}

TEST_F(GridHeaderTest, AHiddenHeaderTakesNoRoomButStillPlacesTheCells) {
  addColumn("Nome", 80);
  addColumn("Idade", 60);
  view->DataController()->SetRecordCount(3);
  view->OptionsView()->SetHeader(false);
  relayout();
  EXPECT_EQ(header()->GetHeight(), 0);
  EXPECT_TRUE(IsRectEmpty(header()->Bounds));
  EXPECT_EQ(viewInfo()->ClientBounds().top, viewInfo()->Bounds().top);
  EXPECT_EQ(cell(1)->Bounds.left, 80);
  EXPECT_EQ(cell(1)->Bounds.right, 140);
  auto* row = static_cast<TcxGridDataRowViewInfo*>(viewInfo()->GetRowsViewInfo()->Items(0));
  EXPECT_EQ(row->FindCell(1)->Bounds.left, 80);
  // Nothing of the header answers a hit test.
  TcxCustomGridHitTest* hit = viewInfo()->GetHitTest(TPoint{100, viewInfo()->ClientBounds().top + 2});
  ASSERT_NE(hit, nullptr);
  EXPECT_NE(hit->HitTestCode(), 202);
}

TEST_F(GridHeaderTest, AssignedHeaderHeightIsUsedAndCaptionsWrap) {
  addColumn("Nome", 80);
  view->OptionsView()->SetHeaderHeight(40);
  relayout();
  EXPECT_EQ(header()->GetHeight(), 40);
  EXPECT_EQ(cell(0)->Bounds.bottom - cell(0)->Bounds.top, 40);
  EXPECT_TRUE(cell(0)->MultiLinePainting);
  EXPECT_FALSE(cell(0)->MultiLine);
}

TEST_F(GridHeaderTest, AutoWidthFitsTheColumnsToTheClientWidth) {
  struct Case {
    const char* name;
    std::vector<Integer> widths;
    std::vector<Integer> minWidths;
    std::vector<bool> sizable;
    std::vector<Integer> expected;
  } cases[] = {
      {"equal columns share equally", {100, 100, 100}, {20, 20, 20}, {true, true, true}, {200, 200, 200}},
      {"already fitting", {100, 200, 300}, {20, 20, 20}, {true, true, true}, {100, 200, 300}},
      {"a fixed column keeps its width", {100, 100, 100}, {20, 20, 20}, {true, false, true}, {250, 100, 250}},
      {"shrinking stops at the minimum", {150, 300, 300}, {150, 20, 20}, {true, true, true}, {150, 225, 225}},
  };
  for (const Case& k : cases) {
    while (view->ItemCount() > 0) delete view->Items(0);
    std::vector<TcxGridColumn*> columns;
    for (size_t i = 0; i < k.widths.size(); ++i) {
      TcxGridColumn* column = addColumn("C" + std::to_string(i), k.widths[i]);
      column->SetMinWidth(k.minWidths[i]);
      column->Options()->SetHorzSizing(k.sizable[i]);
      columns.push_back(column);
    }
    view->OptionsView()->SetColumnAutoWidth(true);
    setClientWidth(600);
    std::vector<Integer> widths;
    for (Integer i = 0; i < header()->GetItemCount(); ++i) widths.push_back(cell(i)->GetWidth());
    EXPECT_EQ(widths, k.expected) << k.name;
    // The columns keep their own widths until the fitted ones are applied.
    EXPECT_EQ(columns[0]->Width(), k.widths[0]) << k.name;
    view->OptionsView()->SetColumnAutoWidth(false);
  }
}

TEST_F(GridHeaderTest, MaxWidthInAutoWidthModeLeavesTheOtherColumnsTheirRoom) {
  TcxGridColumn* a = addColumn("A", 100);
  addColumn("B", 100);
  TcxGridColumn* c = addColumn("C", 100);
  a->SetMinWidth(30);
  c->SetMinWidth(40);
  setClientWidth(600);
  EXPECT_EQ(cell(1)->GetMaxWidth(), std::numeric_limits<Integer>::max());
  view->OptionsView()->SetColumnAutoWidth(true);
  relayout();
  // Last column: the client width less the minima of the columns before it.
  EXPECT_EQ(cell(2)->GetMaxWidth(), 600 - 30 - 20);
  // Middle column: less the widths before it and the minima after it.
  EXPECT_EQ(cell(1)->GetMaxWidth(), 600 - 100 - 40);
  EXPECT_EQ(cell(0)->GetMaxWidth(), 600 - 20 - 40);
  Integer w = 1000;
  cell(1)->CheckWidth(w);
  EXPECT_EQ(w, 460);
  w = 5;
  cell(1)->CheckWidth(w);
  EXPECT_EQ(w, 20);
}

TEST_F(GridHeaderTest, AppliedAutoWidthsBecomeTheColumnsWidths) {
  TcxGridColumn* a = addColumn("A", 100);
  TcxGridColumn* b = addColumn("B", 100);
  TcxGridColumn* c = addColumn("C", 100);
  view->OptionsView()->SetColumnAutoWidth(true);
  setClientWidth(600);
  header()->ApplyAutoWidthsToColumns();
  relayout();
  EXPECT_EQ(a->Width(), 200);
  EXPECT_EQ(b->Width(), 200);
  EXPECT_EQ(c->Width(), 200);
}

// ---------------------------------------------------------------------------------------
// Drop zones and hit tests.

TEST_F(GridHeaderTest, ADraggedColumnFindsItsZoneNearTheHeader) {
  addColumn("A", 80);
  addColumn("B", 60);
  addColumn("C", 50);
  relayout();
  Integer top = header()->Bounds.top;
  Integer bottom = header()->Bounds.bottom;
  struct Case {
    TPoint point;
    Integer index;  // -1: no zone
  } cases[] = {
      {{10, top + 2}, 0},           // left half of the first cell
      {{50, top + 2}, 1},           // right half of the first cell
      {{85, top + 2}, 1},           // left half of the second cell
      {{125, top + 2}, 2},          // right half of the second cell
      {{250, top + 2}, 3},          // right of the last cell, still in the client area
      {{85, top - 10}, 1},          // 10 pixels above the header
      {{85, bottom + 14}, 1},       // 14 pixels below
      {{85, bottom + 16}, -1},      // too far below
  };
  for (const Case& k : cases) {
    std::unique_ptr<TcxGridColumnContainerZone, TObjectDeleter> zone(header()->GetZone(k.point));
    if (k.index < 0) {
      EXPECT_EQ(zone.get(), nullptr) << k.point.x << "," << k.point.y;
    } else {
      ASSERT_NE(zone.get(), nullptr) << k.point.x << "," << k.point.y;
      EXPECT_EQ(zone->ItemIndex, k.index) << k.point.x << "," << k.point.y;
    }
  }
  TcxGridColumnContainerZone one(1), other(1), two(2);
  EXPECT_TRUE(one.IsEqual(&other));
  EXPECT_FALSE(one.IsEqual(&two));
  EXPECT_FALSE(one.IsEqual(nullptr));
  view->OptionsView()->SetHeader(false);
  relayout();
  EXPECT_EQ(header()->GetZone(TPoint{10, 2}), nullptr);
}

TEST_F(GridHeaderTest, HitTestsTellTheCellTheSizingEdgeAndTheFilterButton) {
  TcxGridColumn* nome = addColumn("Nome", 120);
  TcxGridColumn* idade = addColumn("Idade", 60);
  relayout();
  Integer y = (header()->Bounds.top + header()->Bounds.bottom) / 2;
  struct Case {
    Integer x;
    Integer code;
    TcxGridColumn* column;
  } cases[] = {
      {20, 202, nome},    // the caption
      {110, 204, nome},   // the filter button (102..117)
      {118, 203, nome},   // the sizing edge inside the header
      {122, 203, nome},   // the sizing edge over the next header: the left column's
      {130, 202, idade},
      {178, 203, idade},
  };
  for (const Case& k : cases) {
    TcxCustomGridHitTest* hit = viewInfo()->GetHitTest(TPoint{k.x, y});
    ASSERT_NE(hit, nullptr) << k.x;
    EXPECT_EQ(hit->HitTestCode(), k.code) << k.x;
    auto* columnHit = dynamic_cast<TcxCustomGridColumnHitTest*>(hit);
    ASSERT_NE(columnHit, nullptr) << k.x;
    EXPECT_EQ(columnHit->Column, k.column) << k.x;
    EXPECT_EQ(columnHit->ColumnContainerKind, columnContainerHeader) << k.x;
  }
}

struct ClickLog : TObject {
  void View(TcxGridTableView*, TcxCustomGridTableItem* AColumn) { Clicks.push_back(AColumn->Caption()); }
  std::vector<std::string> Clicks;
};

TEST_F(GridHeaderTest, AClickOnAHeaderRaisesTheHeaderClick) {
  addColumn("Nome", 120);
  addColumn("Idade", 60);
  relayout();
  ClickLog log;
  view->OnColumnHeaderClick = TcxGridColumnEvent(&log, &ClickLog::View);
  Integer y = (header()->Bounds.top + header()->Bounds.bottom) / 2;
  clickAt(view->Site(), TPoint{150, y});
  pumpFor(50);
  clickAt(view->Site(), TPoint{30, y});
  pumpFor(50);
  EXPECT_EQ(log.Clicks, (std::vector<std::string>{"Idade", "Nome"}));
}

// ---------------------------------------------------------------------------------------
// Painting.

class GridHeaderPaintTest : public GridHeaderTest, public ::testing::WithParamInterface<TcxLookAndFeelKind> {};

TEST_P(GridHeaderPaintTest, HeaderCellsArePaintedWithRaisedEdgesAndTheSortMark) {
  grid->LookAndFeel()->SetKind(GetParam());
  TcxGridColumn* nome = addColumn("Nome", 120);
  addColumn("Idade", 60);
  view->OptionsCustomize()->SetColumnFiltering(false);
  nome->SetSortOrder(soDescending);
  relayout();
  view->Site()->Invalidate();
  view->Site()->Update();
  TBitmap shot;
  captureClient(view->Site(), shot);
  auto rgb = [](TColor AColor) { return hexOf(static_cast<uint32_t>(ColorToRGB(AColor))); };
  TRect a = cell(0)->Bounds;
  TRect b = cell(1)->Bounds;
  EXPECT_EQ(hexOf(pixelAt(shot, a.left, a.top + 5)), rgb(cl3DLight)) << "left edge";
  EXPECT_EQ(hexOf(pixelAt(shot, a.left + 5, a.top)), rgb(cl3DLight)) << "top edge";
  EXPECT_EQ(hexOf(pixelAt(shot, a.right - 1, a.top + 5)), rgb(cl3DDkShadow)) << "right edge";
  EXPECT_EQ(hexOf(pixelAt(shot, a.left + 5, a.bottom - 1)), rgb(cl3DDkShadow)) << "bottom edge";
  EXPECT_EQ(hexOf(pixelAt(shot, a.left + 2, a.top + 2)), rgb(clBtnFace)) << "face";
  // The second header continues the first: its left edge's second pixel is the face.
  EXPECT_EQ(hexOf(pixelAt(shot, b.left, b.top + 1)), rgb(clBtnFace)) << "joined edge";
  // The caption is drawn in the text colour somewhere in the text area.
  TRect text;
  cell(0)->GetTextAreaBounds(text);
  bool captionInk = false;
  for (Integer y = text.top; y < text.bottom && !captionInk; ++y)
    for (Integer x = text.left; x < text.right && !captionInk; ++x)
      captionInk = hexOf(pixelAt(shot, x, y)) == rgb(clBtnText);
  EXPECT_TRUE(captionInk);
  // The sorting mark draws its outline with the shadow colour inside its area.
  TRect mark = area(cell(0), TcxGridColumnHeaderSortingMarkViewInfo::StaticClass())->Bounds;
  bool markInk = false;
  for (Integer y = mark.top; y < mark.bottom && !markInk; ++y)
    for (Integer x = mark.left; x < mark.right && !markInk; ++x)
      markInk = hexOf(pixelAt(shot, x, y)) == rgb(clBtnShadow);
  EXPECT_TRUE(markInk);
  savePng(shot, GetParam() == lfFlat ? "header_flat" : "header_standard");
}

INSTANTIATE_TEST_SUITE_P(Looks, GridHeaderPaintTest, ::testing::Values(lfStandard, lfFlat));

}  // namespace
