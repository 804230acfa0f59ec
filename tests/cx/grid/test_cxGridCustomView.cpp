// The view framework: shared hit-test instances and their codes at points worked out by
// hand, cell layout and borders, cell painting with custom draw, the view painter's
// background, the view-info cache, and styles resolving through view, level and grid.
#include <string>
#include <vector>

#include "../foundation/CxTestHelpers.h"
#include "GridTestSupport.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/StdCtrls.h"

using namespace gridtest;
using namespace guitest;

namespace {

class GridViewTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    form = own(TForm::CreateNew(nullptr));
    form->SetBounds(100, 100, 400, 300);
    grid = New<TcxGrid>(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 200);
    view = addViewOnLevel(grid, form, &level);
    form->Show();
    grid->LayoutChanged();
  }
  TForm* form = nullptr;
  TcxGrid* grid = nullptr;
  TcxGridLevel* level = nullptr;
  TTestView* view = nullptr;
};

// ---------------------------------------------------------------------------------------
// Hit tests.

TEST(GridHitTests, OneSharedInstancePerExactClassOverwrittenByEachQuery) {
  TcxCustomGridHitTest* first = TcxCustomGridHitTest::Instance(TcxGridNoneHitTest::StaticClass(), TPoint{1, 2});
  TcxCustomGridHitTest* second = TcxCustomGridHitTest::Instance(TcxGridNoneHitTest::StaticClass(), TPoint{7, 9});
  EXPECT_EQ(first, second);
  EXPECT_EQ(second->Pos.x, 7);
  EXPECT_EQ(second->Pos.y, 9);

  TGridHitTests* registry = GridHitTests();
  TcxCustomGridHitTest* preview = registry->GetInstance(TcxGridExpandButtonHitTest::StaticClass());
  EXPECT_EQ(registry->FindInstance(TcxGridRecordHitTest::StaticClass()) == preview, false);
  TcxCustomGridHitTest* record = registry->GetInstance(TcxGridRecordHitTest::StaticClass());
  EXPECT_NE(record, preview) << "a descendant's instance does not answer for its ancestor";
  EXPECT_EQ(record->ClassType(), TcxGridRecordHitTest::StaticClass());
}

TEST(GridHitTests, EachClassAnswersItsCode) {
  struct Case {
    TClass Class;
    Integer Code;
  };
  const std::vector<Case> cases = {
      {TcxCustomGridHitTest::StaticClass(), -1},        {TcxGridNoneHitTest::StaticClass(), 0},
      {TcxCustomGridViewHitTest::StaticClass(), -1},    {TcxGridViewNoneHitTest::StaticClass(), 0},
      {TcxGridDetailsSiteTabHitTest::StaticClass(), 50}, {TcxGridRecordHitTest::StaticClass(), 101},
      {TcxGridRecordCellHitTest::StaticClass(), 102},   {TcxGridExpandButtonHitTest::StaticClass(), 103},
      {TcxGridNavigatorHitTest::StaticClass(), 104},
  };
  for (const Case& c : cases) {
    TcxCustomGridHitTest* hitTest = GridHitTests()->GetInstance(c.Class);
    EXPECT_EQ(hitTest->HitTestCode(), c.Code) << c.Class->ClassName();
    EXPECT_EQ(hitTest->Cursor(), crDefault) << c.Class->ClassName();
    EXPECT_EQ(hitTest->DragAndDropObjectClass(), nullptr) << c.Class->ClassName();
  }
  EXPECT_TRUE(static_cast<TcxGridRecordHitTest*>(GridHitTests()->GetInstance(TcxGridRecordHitTest::StaticClass()))
                  ->AllowsSelection());
  EXPECT_FALSE(
      static_cast<TcxGridRecordHitTest*>(GridHitTests()->GetInstance(TcxGridExpandButtonHitTest::StaticClass()))
          ->AllowsSelection());
}

// The test view's cell covers (10,20)-(60,36): right and bottom edges are outside.
TEST_F(GridViewTest, PointsResolveToTheCellOrToTheViewsNoneHitTest) {
  struct Case {
    TPoint P;
    Integer Code;
    bool OnCell;
  };
  const std::vector<Case> cases = {
      {{10, 20}, 101, true},  {{59, 35}, 101, true},  {{35, 28}, 101, true},  {{60, 28}, 0, false},
      {{35, 36}, 0, false},   {{9, 20}, 0, false},    {{200, 150}, 0, false},
  };
  for (const Case& c : cases) {
    TcxCustomGridHitTest* hitTest = view->ViewInfo()->GetHitTest(c.P);
    const std::string where = std::to_string(c.P.x) + "," + std::to_string(c.P.y);
    EXPECT_EQ(hitTest->HitTestCode(), c.Code) << where;
    EXPECT_EQ(hitTest->ViewInfo == view->TestViewInfo()->Cell, c.OnCell) << where;
    auto* viewHitTest = dynamic_cast<TcxCustomGridViewHitTest*>(hitTest);
    ASSERT_NE(viewHitTest, nullptr) << where;
    EXPECT_EQ(viewHitTest->GridView, view) << where;
  }
  // The grid passes a point of the view's area on to the view, moved into its site.
  const TRect site = view->Site()->BoundsRect();
  TcxCustomGridHitTest* gridHitTest = grid->ViewInfo()->GetHitTest(site.left + 35, site.top + 28);
  EXPECT_EQ(gridHitTest->HitTestCode(), 101);
  EXPECT_EQ(gridHitTest->ViewInfo, view->TestViewInfo()->Cell);
  // Outside every site the grid answers itself.
  gridHitTest = grid->ViewInfo()->GetHitTest(site.right + 5, site.top + 5);
  EXPECT_EQ(gridHitTest->ClassType(), TcxGridNoneHitTest::StaticClass());
  EXPECT_EQ(gridHitTest->HitTestCode(), 0);
}

TEST_F(GridViewTest, AHitTestOfAnotherViewGivesTheDefaultCursorAndNoDrag) {
  TTestView* other = addViewOnLevel(grid, form);
  TcxCustomGridHitTest* foreign = other->ViewInfo()->GetHitTest(TPoint{30, 28});
  EXPECT_FALSE(view->Controller()->CanHandleHitTest(foreign));
  EXPECT_TRUE(view->Controller()->CanHandleHitTest(view->ViewInfo()->GetHitTest(TPoint{30, 28})));
  EXPECT_FALSE(view->Controller()->StartDragAndDrop(TPoint{30, 28}));
  EXPECT_EQ(view->Controller()->GetCursor(30, 28), crDefault);
}

// ---------------------------------------------------------------------------------------
// Cells.

TEST_F(GridViewTest, CalculateAsksTheCellForTheSizesItWasNotGiven) {
  TTestCell* cell = view->TestViewInfo()->Cell;
  cell->InvalidateParams();
  cell->WidthAsked = cell->HeightAsked = 0;
  cell->Calculate(10, 20, 50, 16);
  // The params step sets the width once; given sizes are not asked for.
  EXPECT_EQ(cell->HeightAsked, 0);
  const Integer widthAfterParams = cell->WidthAsked;
  cell->Calculate(10, 20, -1, -1);
  EXPECT_EQ(cell->HeightAsked, 1);
  EXPECT_EQ(cell->WidthAsked, widthAfterParams + 1);
  EXPECT_EQ(cell->Bounds.right, 60);
  EXPECT_EQ(cell->Bounds.bottom, 36);
}

TEST_F(GridViewTest, VerticalBordersCoverTheCornersAndTheTextSitsTwoPixelsInside) {
  TTestCell* cell = view->TestViewInfo()->Cell;
  cell->CellBorders = TcxGridBorders{bLeft, bTop};
  cell->Recalculate();
  // Bounds (10,20)-(60,36); left border 2 wide, top border 1 high.
  TRect content = cell->GetContentBounds();
  EXPECT_EQ(content.left, 12);
  EXPECT_EQ(content.top, 21);
  TRect left, top;
  cell->GetBorderBounds(bLeft, left);
  cell->GetBorderBounds(bTop, top);
  EXPECT_EQ(left.left, 10);
  EXPECT_EQ(left.right, 12);
  EXPECT_EQ(left.top, 20) << "the left strip reaches up over the top border";
  EXPECT_EQ(left.bottom, 36);
  EXPECT_EQ(top.left, 12) << "the top strip starts after the left border";
  EXPECT_EQ(top.top, 20);
  EXPECT_EQ(top.bottom, 21);
  TRect text;
  cell->GetTextAreaBounds(text);
  EXPECT_EQ(text.left, 14);
  EXPECT_EQ(text.top, 23);
  cell->CellBorders = TcxGridBorders();
  cell->Recalculate();
}

TEST_F(GridViewTest, ACustomDrawThatOnlyChangesTheBrushPaintsTheDefaultBackgroundInThatColour) {
  TTestCell* cell = view->TestViewInfo()->Cell;
  TBitmap bmp;
  makeFilled(bmp, 80, 50, clWhite);
  TcxCanvas canvas(bmp.Canvas());
  cell->CustomDrawColor = clRed;
  cell->Paint(&canvas);
  cell->CustomDrawColor = clNone;
  EXPECT_TRUE(PixelIs(bmp, 12, 22, rgbOfColor(clRed))) << "background in the handler's colour";
  EXPECT_EQ(cell->Params.Color, clWhite) << "the cell's own params are restored after the paint";
  // Painting again without the handler gives the cell's own colour.
  cell->Paint(&canvas);
  EXPECT_TRUE(PixelIs(bmp, 12, 22, rgbOfColor(clWhite)));
  EXPECT_GT(countNot(bmp, TRect{14, 22, 58, 34}, rgbOfColor(clWhite)), 0) << "the text is drawn";
}

TEST_F(GridViewTest, ACellOutsideTheClippingAreaPaintsNothing) {
  TTestCell* cell = view->TestViewInfo()->Cell;
  TBitmap bmp;
  makeFilled(bmp, 80, 50, clLime);
  TcxCanvas canvas(bmp.Canvas());
  canvas.IntersectClip(TRect{0, 0, 5, 5});
  cell->Paint(&canvas);
  canvas.SetClipRegion(new TcxRegion(TRect{0, 0, 80, 50}), roSet);
  EXPECT_EQ(countNot(bmp, TRect{0, 0, 80, 50}, rgbOfColor(clLime)), 0);
}

TEST_F(GridViewTest, ACalculateFromInsideTheCalculationDoesNothing) {
  TTestViewInfo* info = view->TestViewInfo();
  const Integer before = info->Calculations;
  info->CalculateAgainInside = true;
  info->Recalculate();
  info->CalculateAgainInside = false;
  EXPECT_EQ(info->Calculations, before + 1);
  EXPECT_FALSE(info->IsCalculating());
}

// ---------------------------------------------------------------------------------------
// Painting the view.

TEST_F(GridViewTest, TheBackgroundFillsOnlyWhatTheCellsLeftAndFollowsTheBackgroundStyle) {
  pumpFor(30);
  TBitmap shot;
  captureClient(view->Site(), shot);
  EXPECT_TRUE(PixelIs(shot, 150, 150, rgbOfColor(clWindow))) << "the default background is the window colour";
  EXPECT_TRUE(PixelIs(shot, 12, 22, rgbOfColor(clWhite))) << "the cell keeps its own colour";

  auto* repository = New<TcxStyleRepository>(form);
  auto* style = static_cast<TcxStyle*>(repository->CreateItem(TcxStyle::StaticClass()));
  style->SetColor(clYellow);
  view->Styles()->SetBackground(style);
  EXPECT_EQ(view->ViewInfo()->GetBackgroundColor(), clYellow);
  pumpFor(50);
  captureClient(view->Site(), shot);
  EXPECT_TRUE(PixelIs(shot, 150, 150, rgbOfColor(clYellow))) << "the style change repaints the view";
  EXPECT_TRUE(PixelIs(shot, 12, 22, rgbOfColor(clWhite))) << "cells are never painted over";
}

TEST_F(GridViewTest, AnUnfocusedViewDrawsAnInvertedFocusFrameThatASecondPaintRemoves) {
  // The focus goes to another control of the form, so the grid's view is unfocused.
  auto* edit = New<TEdit>(form);
  edit->SetParent(form);
  edit->SetBounds(310, 10, 60, 20);
  edit->SetFocus();
  pumpUntil([&] { return edit->Focused(); });
  ASSERT_FALSE(view->IsControlFocused());
  pumpFor(20);
  TBitmap a, b;
  captureClient(view->Site(), a);
  view->Painter()->DrawFocusRect(TRect{80, 60, 120, 90}, false);
  captureClient(view->Site(), b);
  EXPECT_NE(pixelOf(a, 80, 60), pixelOf(b, 80, 60)) << "top-left corner inverted";
  EXPECT_EQ(pixelOf(a, 100, 75), pixelOf(b, 100, 75)) << "the inside untouched";
  view->Painter()->DrawFocusRect(TRect{80, 60, 120, 90}, false);
  TBitmap c;
  captureClient(view->Site(), c);
  EXPECT_EQ(countNot(c, TRect{78, 58, 122, 92}, pixelOf(a, 100, 75)), countNot(a, TRect{78, 58, 122, 92}, pixelOf(a, 100, 75)))
      << "painting it twice restores the pixels";
  EXPECT_EQ(pixelOf(a, 80, 60), pixelOf(c, 80, 60));
  EXPECT_EQ(pixelOf(a, 119, 89), pixelOf(c, 119, 89)) << "corners are inverted once, so they come back";
}

// ---------------------------------------------------------------------------------------
// Cache, options, styles.

class TCountingItem : public TcxCustomGridViewInfoCacheItem {
public:
  using TcxCustomGridViewInfoCacheItem::TcxCustomGridViewInfoCacheItem;
  ~TCountingItem() override { ++Freed; }
  void UnassignValues(bool) override { ++Unassigned; }
  static inline Integer Freed = 0;
  static inline Integer Unassigned = 0;
  static TClass StaticClass();
  TClass ClassType() const override { return StaticClass(); }
};

class TCountingCache : public TcxCustomGridViewInfoCache {
public:
  using TcxCustomGridViewInfoCache::TcxCustomGridViewInfoCache;
  TClass GetItemClass() override { return TCountingItem::StaticClass(); }
};

TClass TCountingItem::StaticClass() {
  static TClassDesc desc("TCountingItem", TcxCustomGridViewInfoCacheItem::StaticClass(),
                         rtl_detail::ConstructorOf<TCountingItem>(), sizeof(TCountingItem));
  return &desc;
}

TEST_F(GridViewTest, TheCacheCreatesItemsOnDemandAndSetCountFreesThem) {
  TCountingCache cache(view);
  TCountingItem::Freed = TCountingItem::Unassigned = 0;
  EXPECT_EQ(cache.GetItem(3), nullptr);
  TcxCustomGridViewInfoCacheItem* item = cache.GetOrCreateItem(3);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->Index(), 3);
  EXPECT_EQ(item->Owner(), &cache);
  EXPECT_EQ(cache.GetOrCreateItem(3), item);
  cache.GetOrCreateItem(0);
  cache.UnassignValues(true);
  EXPECT_EQ(TCountingItem::Unassigned, 2) << "only existing items are told";
  cache.SetCount(5);
  EXPECT_EQ(TCountingItem::Freed, 2);
  EXPECT_EQ(cache.Count(), 5);
  for (Integer i = 0; i < 5; ++i) EXPECT_EQ(cache.GetItem(i), nullptr);
}

TEST_F(GridViewTest, OptionsAcceptOptionsAndRefuseOtherSources) {
  TFont font;
  EXPECT_THROW(view->OptionsView()->Assign(&font), Exception);
  view->OptionsView()->SetScrollBars(ssNone);
  EXPECT_EQ(view->Site()->ScrollBars(), ssNone) << "the site keeps the setting";
  TTestView* other = addViewOnLevel(grid, form);
  other->OptionsView()->Assign(view->OptionsView());
  EXPECT_EQ(other->OptionsView()->ScrollBars(), ssNone);
}

TEST_F(GridViewTest, BackgroundBitmapsFallBackToTheBackgroundStylesBitmap) {
  TcxCustomGridBackgroundBitmaps* bitmaps = view->BackgroundBitmaps();
  EXPECT_NE(bitmaps->Background(), nullptr) << "reading Background makes an empty bitmap";
  EXPECT_TRUE(bitmaps->Background()->Empty());
  EXPECT_EQ(bitmaps->GetBitmap(bbBackground), nullptr) << "no own picture and no style picture";
  auto* repository = New<TcxStyleRepository>(form);
  auto* style = static_cast<TcxStyle*>(repository->CreateItem(TcxStyle::StaticClass()));
  TBitmap picture;
  makeFilled(picture, 4, 4, clRed);
  style->SetBitmap(&picture);
  view->Styles()->SetBackground(style);
  ASSERT_NE(bitmaps->GetBitmap(bbBackground), nullptr);
  EXPECT_EQ(bitmaps->GetBitmap(bbBackground)->Width(), 4) << "the style's picture";
  TBitmap own;
  makeFilled(own, 6, 6, clBlue);
  const Integer before = view->TestViewInfo()->Calculations;
  bitmaps->SetBackground(&own);
  EXPECT_EQ(bitmaps->GetBitmap(bbBackground)->Width(), 6) << "an own picture wins";
  EXPECT_GT(view->TestViewInfo()->Calculations, before) << "a new picture re-lays the view out";
}

TEST_F(GridViewTest, StylesResolveThroughViewLevelAndGrid) {
  // The view: the grid's font, the painter's content colour.
  TcxViewParams params;
  view->Styles()->GetVisualParams(vsBackground, nullptr, nullptr, params);
  EXPECT_EQ(params.Font, grid->Font()) << "the view's default font is the grid's";
  EXPECT_EQ(params.Color, clWindow);

  // The level: tab colours from the painter, the grid's font; a tab style and then the
  // style the event gives win in that order.
  TcxViewParams tab;
  level->Styles()->GetTabParams(level, tab);
  EXPECT_EQ(tab.Color, clBtnFace);
  EXPECT_EQ(tab.TextColor, clBtnText);
  EXPECT_EQ(tab.Font, grid->Font());
  TcxViewParams tabs;
  level->Styles()->GetVisualParams(lsTabsBackground, nullptr, nullptr, tabs);
  EXPECT_EQ(tabs.Color, clBtnFace);

  auto* repository = New<TcxStyleRepository>(form);
  auto* tabStyle = static_cast<TcxStyle*>(repository->CreateItem(TcxStyle::StaticClass()));
  tabStyle->SetColor(clAqua);
  level->Styles()->SetTab(tabStyle);
  level->Styles()->GetTabParams(level, tab);
  EXPECT_EQ(tab.Color, clAqua);
  EXPECT_EQ(tab.TextColor, clBtnText) << "values the style does not set come from the defaults";

  struct Chooser : TObject {
    TcxStyle* Style = nullptr;
    void Get(TcxGridLevel*, TcxGridLevel*, TcxStyle*& AStyle) { AStyle = Style; }
  } chooser;
  chooser.Style = static_cast<TcxStyle*>(repository->CreateItem(TcxStyle::StaticClass()));
  chooser.Style->SetColor(clFuchsia);
  level->Styles()->OnGetTabStyle = TcxGridLevelGetTabStyleEvent(&chooser, &Chooser::Get);
  level->Styles()->GetTabParams(level, tab);
  EXPECT_EQ(tab.Color, clFuchsia);

  // The grid's root level styles are the grid's published RootLevelStyles.
  EXPECT_EQ(grid->RootLevelStyles(), grid->RootLevel()->Styles());
}

TEST_F(GridViewTest, AGridFontChangeReachesTheViewStylesThatUseIt) {
  const Integer before = view->TestViewInfo()->Calculations;
  grid->Font()->SetSize(grid->Font()->Size() + 4);
  pumpFor(20);
  EXPECT_GT(view->TestViewInfo()->Calculations, before) << "the styles listen to the grid's font";
}

}  // namespace
