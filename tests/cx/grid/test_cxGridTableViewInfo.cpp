// The tabular view's layout on a real window: the rows area and which records get row
// layouts (also after scrolling), row heights, cell bounds and texts against numbers
// worked out by hand, the parts' placement, hit tests, cell states, the rows of the view
// data, and the pixels of a painted row.
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "TableViewTestSupport.h"
#include "cx/grid/cxGridRows.h"
#include "cx/grid/cxGridTableView.h"
#include "cx/grid/cxGridViewData.h"
#include "cx/editors/cxTextEdit.h"
#include "platform/gui/GuiTestSupport.h"

using namespace gridtest;
using namespace guitest;
using namespace tabletest;

namespace {

class TLaidOutTableView : public TcxGridTableView {
  RTL_DECLARE_CLASS(TLaidOutTableView, TcxGridTableView)
public:
  using TcxGridTableView::TcxGridTableView;
};
RTL_IMPLEMENT_CLASS(TLaidOutTableView)

class GridTableViewInfoTest : public TableViewFixture<TLaidOutTableView> {
protected:
  // Columns "Nome" (80 px) and "Idade" (60 px) over ARecords rows "nome<i>", i.
  void fill(Integer ARecords) {
    nome = addColumn("Nome", TcxStringValueType::Instance(), 80);
    idade = addColumn("Idade", TcxIntegerValueType::Instance(), 60);
    TcxCustomDataController* dc = view->DataController();
    dc->SetRecordCount(ARecords);
    for (Integer i = 0; i < ARecords; ++i) {
      dc->SetValue(i, 0, std::string("nome") + std::to_string(i));
      dc->SetValue(i, 1, i);
    }
    relayout();
  }
  TcxCustomGridTableItem* addColumn(const std::string& AName, TcxValueTypeClass AType, Integer AWidth) {
    TcxCustomGridTableItem* item = view->CreateItem();
    item->SetName("View" + AName);
    item->DataBinding()->SetValueTypeClass(AType);
    item->SetCaption(AName);
    item->SetWidth(AWidth);
    // Text cells (items get no default editor from their value type yet).
    item->SetPropertiesClass(TcxTextEditProperties::StaticClass());
    return item;
  }
  void relayout() {
    grid->LayoutChanged();
    pumpFor(20);
  }
  TcxGridTableViewInfo* viewInfo() { return static_cast<TcxGridTableViewInfo*>(view->ViewInfo()); }
  TcxGridRowsViewInfo* rows() { return viewInfo()->GetRowsViewInfo(); }
  TcxGridDataRowViewInfo* row(Integer APosition) { return static_cast<TcxGridDataRowViewInfo*>(rows()->Items(APosition)); }
  // The row indexes of the laid-out rows, in position order.
  std::vector<Integer> laidOutRecords() {
    std::vector<Integer> result;
    for (Integer i = 0; i < rows()->Count(); ++i) result.push_back(rows()->Items(i)->GridRecord()->Index());
    return result;
  }
  static std::vector<Integer> range(Integer AFirst, Integer ACount) {
    std::vector<Integer> result;
    for (Integer i = 0; i < ACount; ++i) result.push_back(AFirst + i);
    return result;
  }

  TcxCustomGridTableItem* nome = nullptr;
  TcxCustomGridTableItem* idade = nullptr;
};

// ---------------------------------------------------------------------------------------
// Rows area and rows.

TEST_F(GridTableViewInfoTest, RowsFillTheClientAreaFromTheTopRecordWithAPartialLastRow) {
  view->OptionsView()->SetDataRowHeight(20);
  view->OptionsView()->SetHeader(false);
  fill(50);
  TRect client = viewInfo()->ClientBounds();
  // No part is shown: the rows area is the whole client area, as wide as the columns.
  EXPECT_EQ(txt(client), txt(viewInfo()->Bounds()));
  EXPECT_EQ(txt(rows()->Bounds()), txt(TRect{client.left, client.top, client.left + 140, client.bottom}));
  Integer height = client.bottom - client.top;
  Integer full = height / 20;
  Integer laidOut = full + (height % 20 != 0 ? 1 : 0);
  EXPECT_EQ(rows()->VisibleCount(), full);
  EXPECT_EQ(rows()->LaidOutCount(), laidOut);
  EXPECT_EQ(laidOutRecords(), range(0, laidOut));
  for (Integer i = 0; i < laidOut; ++i)
    EXPECT_EQ(txt(row(i)->Bounds), txt(TRect{client.left, client.top + 20 * i, client.left + 140, client.top + 20 * (i + 1)}))
        << "row " << i;
}

TEST_F(GridTableViewInfoTest, CellsLieUnderTheirColumnsAndShowTheRecordsText) {
  view->OptionsView()->SetDataRowHeight(20);
  fill(5);
  TRect client = viewInfo()->ClientBounds();
  TcxGridDataRowViewInfo* second = row(1);
  ASSERT_EQ(second->GetCellCount(), 2);
  TcxGridDataCellViewInfo* cellNome = second->FindCell(0);
  TcxGridDataCellViewInfo* cellIdade = second->FindCell(1);
  ASSERT_NE(cellNome, nullptr);
  ASSERT_NE(cellIdade, nullptr);
  Integer top = client.top + 20;
  EXPECT_EQ(txt(cellNome->Bounds), txt(TRect{client.left, top, client.left + 80, top + 20}));
  EXPECT_EQ(txt(cellIdade->Bounds), txt(TRect{client.left + 80, top, client.left + 140, top + 20}));
  // Grid lines on both sides: each cell draws its right and bottom line.
  EXPECT_EQ(txt(cellNome->GetContentBounds()), txt(TRect{client.left, top, client.left + 79, top + 19}));
  EXPECT_EQ(cellNome->Text, "nome1");
  EXPECT_EQ(cellIdade->Text, "1");
  EXPECT_EQ(second->GetCellViewInfoByItem(idade), cellIdade);
}

TEST_F(GridTableViewInfoTest, CellBordersFollowTheGridLines) {
  struct Case {
    TcxGridLines Lines;
    TcxBorders Inner;
    TcxBorders Rightmost;
  };
  const Case cases[] = {
      {glBoth, {bRight, bBottom}, {bRight, bBottom}},
      {glNone, {}, {}},
      {glVertical, {bRight}, {bRight}},
      {glHorizontal, {bBottom}, {bRight, bBottom}},
  };
  fill(3);
  for (const Case& c : cases) {
    view->OptionsView()->SetGridLines(c.Lines);
    relayout();
    EXPECT_EQ(row(0)->FindCell(0)->Borders, c.Inner) << "lines " << static_cast<int>(c.Lines);
    EXPECT_EQ(row(0)->FindCell(1)->Borders, c.Rightmost) << "lines " << static_cast<int>(c.Lines);
  }
}

TEST_F(GridTableViewInfoTest, TheDefaultRowHeightIsTheContentFontsHeightPlusFourAndTheGridLine) {
  // Without visible columns the row is as high as the content font's text, + 4, + the
  // horizontal grid line.
  view->DataController()->SetRecordCount(3);
  relayout();
  TcxViewParams params;
  view->Styles()->GetRecordContentParams(nullptr, nullptr, params);
  TcxCanvas* canvas = viewInfo()->Canvas();
  if (params.Font) canvas->SetFont(params.Font);
  Integer text = canvas->TextHeight("Qq");
  EXPECT_EQ(rows()->DataRowHeight(), text + 4 + 1);
  EXPECT_TRUE(row(0)->CellsAreaViewInfo()->GetVisible()) << "without columns the cells area shows";
  view->OptionsView()->SetGridLines(glNone);
  relayout();
  EXPECT_EQ(rows()->DataRowHeight(), text + 4);
}

TEST_F(GridTableViewInfoTest, AnAssignedDataRowHeightIsTakenAsItIs) {
  view->OptionsView()->SetDataRowHeight(33);
  fill(4);
  EXPECT_EQ(rows()->DataRowHeight(), 33);
  EXPECT_EQ(row(2)->Bounds.bottom - row(2)->Bounds.top, 33);
}

TEST_F(GridTableViewInfoTest, AutoHeightGrowsOnlyTheRowWhoseTextNeedsThreeLines) {
  fill(4);
  view->DataController()->SetValue(1, 0, std::string("um dois tres quatro cinco seis sete oito nove"));
  view->OptionsView()->SetCellAutoHeight(true);
  relayout();
  Integer normal = rows()->DataRowHeight();
  TcxCanvas* canvas = viewInfo()->Canvas();
  canvas->SetFont(grid->Font());
  Integer line = canvas->TextHeight("Qq");
  Integer tall = row(1)->Bounds.bottom - row(1)->Bounds.top;
  EXPECT_EQ(row(0)->Bounds.bottom - row(0)->Bounds.top, normal);
  EXPECT_GE(tall, 3 * line) << "the wrapped text needs three lines";
  EXPECT_EQ(row(2)->Bounds.top, row(1)->Bounds.bottom) << "rows follow without gaps";
  EXPECT_EQ(row(1)->FindCell(0)->Bounds.bottom - row(1)->FindCell(0)->Bounds.top, tall);
  // The row's height is kept in the cache between calculations.
  auto* cached = dynamic_cast<TcxCustomGridTableViewInfoCacheItem*>(view->ViewInfoCache()->GetItem(1));
  ASSERT_NE(cached, nullptr);
  EXPECT_TRUE(cached->IsHeightAssigned);
  EXPECT_EQ(cached->Height(), tall);
}

TEST_F(GridTableViewInfoTest, ScrollingReusesTheLayoutsThatStayAndMakesTheExposedOnes) {
  view->OptionsView()->SetDataRowHeight(20);
  fill(50);
  Integer laidOut = rows()->Count();
  TcxCustomGridRecordViewInfo* fifth = row(4);
  TRect fifthBounds = fifth->Bounds;
  view->Controller()->SetTopRecordIndex(2);
  EXPECT_EQ(row(2), fifth) << "the layout of record 4 is kept, now at position 2";
  EXPECT_EQ(txt(fifth->Bounds), txt(TRect{fifthBounds.left, fifthBounds.top - 40, fifthBounds.right, fifthBounds.bottom - 40}));
  EXPECT_EQ(laidOutRecords(), range(2, laidOut));
  EXPECT_EQ(view->ViewData()->Records(1)->ViewInfo(), nullptr) << "a record that left has no layout";
  // Back up by one: the kept layouts move down, the exposed one is made.
  view->Controller()->SetTopRecordIndex(1);
  EXPECT_EQ(row(3), fifth);
  EXPECT_EQ(fifth->Bounds.top, fifthBounds.top - 20);
  EXPECT_EQ(laidOutRecords(), range(1, laidOut));
  EXPECT_EQ(row(0)->Bounds.top, viewInfo()->ClientBounds().top);
}

TEST_F(GridTableViewInfoTest, AJumpFartherThanTheLaidOutRowsLaysOutAnew) {
  view->OptionsView()->SetDataRowHeight(20);
  fill(50);
  Integer laidOut = rows()->Count();
  EXPECT_FALSE(viewInfo()->CanScrollRecordsBy(laidOut));
  view->Controller()->SetTopRecordIndex(30);
  pumpFor(20);
  EXPECT_EQ(laidOutRecords(), range(30, laidOut));
  EXPECT_EQ(row(0)->Bounds.top, viewInfo()->ClientBounds().top);
  // Asked for a top near the end, the view keeps its last page full: the top stops where
  // the last record is the last row shown.
  Integer shown = rows()->VisibleCount();
  view->Controller()->SetTopRecordIndex(48);
  pumpFor(20);
  EXPECT_EQ(view->Controller()->TopRecordIndex(), 50 - shown);
  EXPECT_EQ(laidOutRecords().front(), 50 - shown);
  EXPECT_EQ(view->Controller()->LastVisibleRecordIndex(), 49);
}

TEST_F(GridTableViewInfoTest, AnEmptyViewLaysOutNoRowAndHitsNothing) {
  fill(0);
  EXPECT_EQ(view->Controller()->TopRecordIndex(), -1);
  EXPECT_EQ(rows()->Count(), 0);
  EXPECT_EQ(rows()->VisibleCount(), 0);
  TRect client = viewInfo()->ClientBounds();
  EXPECT_EQ(viewInfo()->GetHitTest(TPoint{client.left + 5, client.top + 5})->HitTestCode(), 0);
}

TEST_F(GridTableViewInfoTest, ARowTallerThanTheAreaStillCountsAsVisible) {
  view->OptionsView()->SetDataRowHeight(1000);
  fill(3);
  EXPECT_EQ(rows()->LaidOutCount(), 1);
  EXPECT_EQ(rows()->VisibleCount(), 1);
}

// ---------------------------------------------------------------------------------------
// Hit tests and states.

TEST_F(GridTableViewInfoTest, APointOnACellHitsThatCellsItemAndRecord) {
  view->OptionsView()->SetDataRowHeight(20);
  fill(3);
  TRect client = viewInfo()->ClientBounds();
  TcxCustomGridHitTest* hit = viewInfo()->GetHitTest(TPoint{client.left + 100, client.top + 45});
  ASSERT_EQ(hit->HitTestCode(), 102);
  auto* cellHit = static_cast<TcxGridRecordCellHitTest*>(hit);
  EXPECT_EQ(cellHit->Item, idade);
  EXPECT_EQ(cellHit->RecordIndex, 2);
  // Right of the columns and below the last row nothing is hit.
  EXPECT_EQ(viewInfo()->GetHitTest(TPoint{client.left + 200, client.top + 5})->HitTestCode(), 0);
  EXPECT_EQ(viewInfo()->GetHitTest(TPoint{client.left + 10, client.top + 65})->HitTestCode(), 0);
}

TEST_F(GridTableViewInfoTest, SelectionAndFocusReachTheCellsOfTheFocusedRecord) {
  fill(4);
  view->Controller()->SetFocusedRecordIndex(2);
  view->Controller()->SetFocusedItem(idade);
  grid->SetFocus();
  pumpFor(30);
  relayout();
  TcxGridDataCellViewInfo* focused = row(2)->FindCell(1);
  EXPECT_TRUE(focused->GetSelected());
  EXPECT_TRUE(focused->IsFocusedCell());
  EXPECT_FALSE(row(2)->FindCell(0)->IsFocusedCell());
  EXPECT_FALSE(row(1)->FindCell(1)->GetSelected());
  EXPECT_EQ(nome->GetFocusedCellViewInfo(), row(2)->FindCell(0));
  // A plain text cell shows no buttons and is not always hot-tracked: the mouse does not
  // recalculate it.
  EXPECT_FALSE(row(1)->FindCell(0)->IsHotTrackable());
}

TEST_F(GridTableViewInfoTest, AFocusedRowPaintsInTheSelectionColourAndOthersInTheContentColour) {
  view->OptionsView()->SetDataRowHeight(20);
  fill(4);
  view->Controller()->SetFocusedRecordIndex(1);
  view->DataController()->ChangeRowSelection(1, true);
  grid->SetFocus();
  relayout();
  TBitmap shot;
  captureClient(view->Site(), shot);
  TRect client = viewInfo()->ClientBounds();
  auto colour = [](TColor AColor) {
    COLORREF rgb = ColorToRGB(AColor);
    return static_cast<uint32_t>(rgb);
  };
  EXPECT_EQ(hexOf(pixelAt(shot, client.left + 40, client.top + 10)), hexOf(colour(clWindow))) << "row 0 cell";
  EXPECT_EQ(hexOf(pixelAt(shot, client.left + 40, client.top + 30)), hexOf(colour(clHighlight))) << "focused row cell";
  EXPECT_EQ(hexOf(pixelAt(shot, client.left + 79, client.top + 10)), hexOf(colour(viewInfo()->GetGridLineColor())))
      << "the first cell's right grid line";
  EXPECT_EQ(hexOf(pixelAt(shot, client.left + 40, client.top + 19)), hexOf(colour(viewInfo()->GetGridLineColor())))
      << "the first row's bottom grid line";
  savePng(shot, "layout_rows");
}

// What the site shows now, as rows of pixels.
std::vector<uint32_t> shown(TWinControl* AControl) {
  pumpFor(50);
  TBitmap shot;
  captureClient(AControl, shot);
  std::vector<uint32_t> pixels;
  for (Integer y = 0; y < shot.Height(); ++y)
    for (Integer x = 0; x < shot.Width(); ++x) pixels.push_back(pixelAt(shot, x, y));
  return pixels;
}

TEST_F(GridTableViewInfoTest, ScrollingByMovingPixelsShowsWhatAFullRepaintShows) {
  fill(60);
  for (Integer distance : {3, 1, -2, 5, -4}) {
    Integer top = view->Controller()->TopRecordIndex();
    view->Controller()->SetTopRecordIndex(top + distance);
    std::vector<uint32_t> scrolled = shown(view->Site());


    view->Site()->Invalidate();
    std::vector<uint32_t> repainted = shown(view->Site());
    ASSERT_EQ(scrolled.size(), repainted.size());
    size_t differing = 0;
    for (size_t i = 0; i < scrolled.size(); ++i)
      if (scrolled[i] != repainted[i]) ++differing;
    EXPECT_EQ(differing, 0u) << "after scrolling by " << distance << " to top " << top + distance;
    if (differing) {
      TBitmap shot;
      captureClient(view->Site(), shot);
      savePng(shot, "layout_scroll_repainted");
      size_t first = 0;
      while (first < scrolled.size() && scrolled[first] == repainted[first]) ++first;
      ADD_FAILURE() << "first difference at " << first % shot.Width() << "," << first / shot.Width() << " "
                    << hexOf(scrolled[first]) << " vs " << hexOf(repainted[first]);
    }
  }
}

// ---------------------------------------------------------------------------------------
// Parts and the navigator site.

// Two parts stacked the way the header and the footer are: a scrollable top part of 20 px
// and a bottom part of 15 px, and an auto-width top part (as the group-by box) of 10 px.
class TTestPart : public TcxCustomGridPartViewInfo {
  RTL_DECLARE_CLASS(TTestPart, TcxCustomGridPartViewInfo)
public:
  using TcxCustomGridPartViewInfo::TcxCustomGridPartViewInfo;
  Integer CalculateHeight() override { return PartHeight; }
  Integer CalculateWidth() override { return 140; }
  TColor GetBorderColor(TcxBorder) override { return clBlack; }
  Integer GetBorderWidth(TcxBorder) override { return 0; }
  TClass GetHitTestClass() override { return TcxGridViewNoneHitTest::StaticClass(); }
  Integer GetAlignment() override { return Alignment; }
  bool IsAutoWidth() override { return AutoWidth; }
  bool IsScrollable() override { return !AutoWidth; }
  Integer PartHeight = 0;
  Integer Alignment = 0;
  bool AutoWidth = false;
};
RTL_IMPLEMENT_CLASS(TTestPart)

class TTopPart : public TTestPart {
  RTL_DECLARE_CLASS(TTopPart, TTestPart)
public:
  explicit TTopPart(TcxGridTableViewInfo* A) : TTestPart(A) { PartHeight = 20; }
};
RTL_IMPLEMENT_CLASS(TTopPart)
class TBottomPart : public TTestPart {
  RTL_DECLARE_CLASS(TBottomPart, TTestPart)
public:
  explicit TBottomPart(TcxGridTableViewInfo* A) : TTestPart(A) {
    PartHeight = 15;
    Alignment = 1;
  }
};
RTL_IMPLEMENT_CLASS(TBottomPart)
class TBoxPart : public TTestPart {
  RTL_DECLARE_CLASS(TBoxPart, TTestPart)
public:
  explicit TBoxPart(TcxGridTableViewInfo* A) : TTestPart(A) {
    PartHeight = 10;
    AutoWidth = true;
  }
};
RTL_IMPLEMENT_CLASS(TBoxPart)

class TPartsViewInfo : public TcxGridTableViewInfo {
  RTL_DECLARE_CLASS(TPartsViewInfo, TcxGridTableViewInfo)
public:
  using TcxGridTableViewInfo::TcxGridTableViewInfo;
  TClass GetGroupByBoxViewInfoClass() override { return TBoxPart::StaticClass(); }
  TClass GetHeaderViewInfoClass() override { return TTopPart::StaticClass(); }
  TClass GetFooterViewInfoClass() override { return TBottomPart::StaticClass(); }
};
RTL_IMPLEMENT_CLASS(TPartsViewInfo)

class TPartsTableView : public TLaidOutTableView {
  RTL_DECLARE_CLASS(TPartsTableView, TLaidOutTableView)
public:
  using TLaidOutTableView::TLaidOutTableView;
  TClass GetViewInfoClass() override { return TPartsViewInfo::StaticClass(); }
};
RTL_IMPLEMENT_CLASS(TPartsTableView)

class GridTablePartsTest : public TableViewFixture<TPartsTableView> {};

TEST_F(GridTablePartsTest, PartsStackAboveAndBelowTheRowsInTheirListOrder) {
  view->OptionsView()->SetIndicator(true);
  grid->LayoutChanged();
  pumpFor(20);
  auto* info = static_cast<TcxGridTableViewInfo*>(view->ViewInfo());
  TRect b = info->Bounds();
  ASSERT_EQ(info->GetPartCount(), 3);
  EXPECT_EQ(info->GetPart(0), info->GroupByBoxViewInfo());
  EXPECT_EQ(info->GetPart(1), info->HeaderViewInfo());
  EXPECT_EQ(info->GetPart(2), info->FooterViewInfo());
  const Integer indicator = 12;
  EXPECT_EQ(txt(info->ClientBounds()), txt(TRect{b.left + indicator, b.top + 30, b.right, b.bottom - 15}));
  // The group-by box spans the whole view; the header and footer start at the data's
  // left edge with their own width.
  EXPECT_EQ(txt(info->GroupByBoxViewInfo()->Bounds), txt(TRect{b.left, b.top, b.right, b.top + 10}));
  EXPECT_EQ(txt(info->HeaderViewInfo()->Bounds), txt(TRect{b.left + indicator, b.top + 10, b.left + indicator + 140, b.top + 30}));
  EXPECT_EQ(txt(info->FooterViewInfo()->Bounds), txt(TRect{b.left + indicator, b.bottom - 15, b.left + indicator + 140, b.bottom}));
  EXPECT_EQ(info->GetNonDataHeight(false), 45);
}

TEST_F(GridTableViewInfoTest, TheNavigatorSiteTakesWidthOnlyWhenShown) {
  fill(3);
  TcxGridSite* site = view->Site();
  TRect bar = site->GetHScrollBarBounds();
  TRect withoutNavigator = bar;
  EXPECT_FALSE(viewInfo()->NavigatorSiteViewInfo()->GetVisible());
  view->OptionsView()->SetNavigator(true);
  relayout();
  bar = site->GetHScrollBarBounds();
  EXPECT_EQ(bar.left, withoutNavigator.left + 50) << "the site reserves the navigator offset before the bar";
  TRect siteBounds;
  viewInfo()->GetNavigatorSiteBounds(siteBounds);
  EXPECT_EQ(siteBounds.right, bar.left);
  EXPECT_EQ(siteBounds.right - siteBounds.left, 50);
}

// ---------------------------------------------------------------------------------------
// Rows of the view data.

TEST_F(GridTableViewInfoTest, TheViewDataMakesDataGroupAndNewItemRows) {
  fill(4);
  EXPECT_EQ(view->ViewData()->Records(0)->ClassType(), TcxGridDataRow::StaticClass());
  view->OptionsView()->SetNewItemRow(true);
  ASSERT_TRUE(view->ViewData()->HasNewItemRecord());
  EXPECT_EQ(view->ViewData()->NewItemRecord()->ClassType(), TcxGridNewItemRow::StaticClass());
  view->DataController()->SetValue(0, 0, std::string("Ana"));
  view->DataController()->SetValue(1, 0, std::string("Ana"));
  nome->SetGroupIndex(0);
  pumpFor(20);
  auto* group = dynamic_cast<TcxGridGroupRow*>(view->ViewData()->Records(0));
  ASSERT_NE(group, nullptr);
  EXPECT_TRUE(group->IsGroupLevel());
  EXPECT_FALSE(group->HasCells());
  EXPECT_EQ(group->GetText(), "Nome : Ana") << "no trailing blank without a group summary";
  // A data row inside the expanded group is indented by one level; a press on the indent
  // is a level-indent hit, not the record.
  // A low grid, so that the top record can move (the last page stays full).
  grid->SetHeight(80);
  group->Expand(false);
  pumpFor(20);
  view->Controller()->SetTopRecordIndex(1);
  pumpFor(20);
  ASSERT_EQ(view->Controller()->TopRecordIndex(), 1);
  ASSERT_GT(rows()->Count(), 0);
  TcxGridDataRowViewInfo* first = row(0);
  EXPECT_EQ(first->GridRecord()->Level(), 1);
  EXPECT_EQ(first->GetDataLeft() - first->Bounds.left, viewInfo()->LevelIndent());
  TcxCustomGridHitTest* hit = viewInfo()->GetHitTest(TPoint{first->Bounds.left + 2, first->Bounds.top + 2});
  EXPECT_EQ(hit->HitTestCode(), 216);
  EXPECT_FALSE(static_cast<TcxGridRecordHitTest*>(hit)->AllowsSelection());
}

TEST_F(GridTableViewInfoTest, TheFocusFrameLeavesOutTheGridLinesThatAreDrawn) {
  view->OptionsView()->SetDataRowHeight(20);
  fill(3);
  TRect client = viewInfo()->ClientBounds();
  Integer top = client.top + 20;
  EXPECT_EQ(txt(row(1)->GetFocusRectBounds()), txt(TRect{client.left, top, client.left + 139, top + 19}));
  view->OptionsView()->SetGridLines(glNone);
  relayout();
  EXPECT_EQ(txt(row(1)->GetFocusRectBounds()), txt(TRect{client.left, top, client.left + 140, top + 20}))
      << "without grid lines the frame covers the whole data part";
}

// Rows two grouping levels deep: A = x, x, x, y and B = p, p, q, r make the rows
// x, p, r0, r1, q, r2, y, r, r3 once expanded. Record 1 (row 3) closes its inner group (p)
// but not its outer one (x).
TEST_F(GridTableViewInfoTest, GroupFootersCloseTheGroupsThatEndAfterTheRow) {
  TcxCustomGridTableItem* a = addColumn("A", TcxStringValueType::Instance(), 40);
  TcxCustomGridTableItem* b = addColumn("B", TcxStringValueType::Instance(), 40);
  addColumn("C", TcxIntegerValueType::Instance(), 40);
  const char* as[] = {"x", "x", "x", "y"};
  const char* bs[] = {"p", "p", "q", "r"};
  TcxCustomDataController* dc = view->DataController();
  dc->SetRecordCount(4);
  for (Integer i = 0; i < 4; ++i) {
    dc->SetValue(i, 0, std::string(as[i]));
    dc->SetValue(i, 1, std::string(bs[i]));
    dc->SetValue(i, 2, i);
  }
  a->SetGroupIndex(0);
  b->SetGroupIndex(1);
  dc->Groups()->FullExpand();
  grid->SetHeight(100);  // low enough that the top record can move to row 2
  pumpFor(20);
  ASSERT_EQ(view->ViewData()->RecordCount(), 9);
  view->Controller()->SetTopRecordIndex(2);
  pumpFor(20);
  ASSERT_GE(rows()->Count(), 2);
  TcxCustomGridRowViewInfo* closing = row(1);
  ASSERT_EQ(closing->GridRecord()->Index(), 3);
  ASSERT_EQ(closing->Level(), 2);
  struct Case {
    TcxGridGroupFootersMode Mode;
    bool Inner;
    bool Outer;
  };
  const Case cases[] = {
      {gfInvisible, false, false},
      {gfVisibleWhenExpanded, true, false},
      {gfAlwaysVisible, false, true},
  };
  for (const Case& c : cases) {
    view->OptionsView()->SetGroupFooters(c.Mode);
    EXPECT_EQ(closing->HasFooter(0), c.Inner) << "mode " << static_cast<int>(c.Mode);
    EXPECT_EQ(closing->HasFooter(1), c.Outer) << "mode " << static_cast<int>(c.Mode);
  }
  // The separator reaches under the indent of the group that closes here only.
  view->OptionsView()->SetRowSeparatorWidth(2);
  relayout();
  view->Controller()->SetTopRecordIndex(2);
  pumpFor(20);
  closing = row(1);
  TRect separator;
  closing->GetSeparatorBounds(separator);
  EXPECT_EQ(separator.left, closing->GetDataLeft() - viewInfo()->LevelIndent());
  EXPECT_EQ(separator.bottom - separator.top, 2);
}

}  // namespace
