// The tabular view: option defaults and the changes each option submits, the preview, the
// indexed styles and their resolution, the stored-property names, the registration under
// "Table" and the view's life on a grid, and its properties through a stored form.
#include <functional>
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "TableViewTestSupport.h"
#include "cx/foundation/cxClasses.h"
#include "cx/grid/cxGridTableView.h"
#include "platform/gui/GuiTestSupport.h"

using namespace gridtest;
using namespace guitest;
using namespace tabletest;

namespace {

// The table view with a cache that counts dropped sizes, so a size change (re-measure) can
// be told from a layout change.
class TMeasuredTableView : public TcxGridTableView {
  RTL_DECLARE_CLASS(TMeasuredTableView, TcxGridTableView)
public:
  using TcxGridTableView::TcxGridTableView;
  TClass GetViewInfoCacheClass() override { return TRecordingViewInfoCache::StaticClass(); }
  TRecordingViewInfoCache* Cache() const { return static_cast<TRecordingViewInfoCache*>(ViewInfoCache()); }
};
RTL_IMPLEMENT_CLASS(TMeasuredTableView)

class GridTableViewTest : public TableViewFixture<TMeasuredTableView> {
protected:
  TcxCustomGridTableItem* addColumn(TcxGridTableView* AView, const std::string& AName) {
    TcxCustomGridTableItem* item = AView->CreateItem();
    item->SetName(AName);
    return item;
  }
};

// ---------------------------------------------------------------------------------------
// Options.

TEST_F(GridTableViewTest, AFreshViewHasTheTableDefaults) {
  TcxGridTableOptionsView* o = view->OptionsView();
  EXPECT_FALSE(o->ColumnAutoWidth());
  EXPECT_EQ(o->DataRowHeight(), 0);
  EXPECT_TRUE(o->ExpandButtonsForEmptyDetails());
  EXPECT_FALSE(o->Footer());
  EXPECT_EQ(o->GridLineColor(), clDefault);
  EXPECT_EQ(o->GridLines(), glBoth);
  EXPECT_TRUE(o->GroupByBox());
  EXPECT_EQ(o->GroupFooters(), gfInvisible);
  EXPECT_EQ(o->GroupRowHeight(), 0);
  EXPECT_TRUE(o->Header());
  EXPECT_EQ(o->HeaderHeight(), 0);
  EXPECT_FALSE(o->Indicator());
  EXPECT_EQ(o->IndicatorWidth(), 12);
  EXPECT_FALSE(o->NewItemRow());
  EXPECT_EQ(o->NewItemRowSeparatorColor(), clDefault);
  EXPECT_EQ(o->NewItemRowSeparatorWidth(), 6);
  EXPECT_EQ(o->RowSeparatorColor(), clDefault);
  EXPECT_EQ(o->RowSeparatorWidth(), 0);
  EXPECT_EQ(o->NavigatorOffset(), 50);

  TcxGridTableOptionsCustomize* c = view->OptionsCustomize();
  EXPECT_TRUE(c->ColumnFiltering());
  EXPECT_TRUE(c->ColumnGrouping());
  EXPECT_FALSE(c->ColumnHiding());
  EXPECT_TRUE(c->ColumnHidingOnGrouping());
  EXPECT_TRUE(c->ColumnHorzSizing());
  EXPECT_TRUE(c->ColumnMoving());
  EXPECT_TRUE(c->ColumnSorting());
  EXPECT_FALSE(c->DataRowSizing());
  EXPECT_FALSE(c->GroupRowSizing());

  EXPECT_TRUE(view->OptionsBehavior()->ExpandMasterRowOnDblClick());

  TcxGridPreview* p = view->Preview();
  EXPECT_TRUE(p->AutoHeight());
  EXPECT_EQ(p->Column(), nullptr);
  EXPECT_EQ(p->LeftIndent(), 20);
  EXPECT_EQ(p->MaxLineCount(), 3);
  EXPECT_EQ(p->Place(), ppBottom);
  EXPECT_EQ(p->RightIndent(), 5);
  EXPECT_FALSE(p->Visible());
  EXPECT_FALSE(p->Active());
}

TEST_F(GridTableViewTest, TheObjectsAreOfTheTableClasses) {
  EXPECT_NE(dynamic_cast<TcxGridTableOptionsView*>(static_cast<TcxCustomGridView*>(view)->OptionsView()), nullptr);
  EXPECT_NE(dynamic_cast<TcxGridTableOptionsSelection*>(static_cast<TcxCustomGridView*>(view)->OptionsSelection()), nullptr);
  EXPECT_NE(dynamic_cast<TcxGridTableViewStyles*>(static_cast<TcxCustomGridView*>(view)->Styles()), nullptr);
  EXPECT_NE(dynamic_cast<TcxGridTableBackgroundBitmaps*>(static_cast<TcxCustomGridView*>(view)->BackgroundBitmaps()),
            nullptr);
  TcxCustomGridTableView* base = view;
  EXPECT_NE(dynamic_cast<TcxGridTableFiltering*>(base->Filtering()), nullptr);
  EXPECT_NE(dynamic_cast<TcxGridTableOptionsBehavior*>(base->OptionsBehavior()), nullptr);
  EXPECT_NE(dynamic_cast<TcxGridTableOptionsCustomize*>(base->OptionsCustomize()), nullptr);
  EXPECT_NE(dynamic_cast<TcxGridTableOptionsData*>(base->OptionsData()), nullptr);
  EXPECT_NE(dynamic_cast<TcxGridDataController*>(view->DataController()), nullptr);
}

TEST_F(GridTableViewTest, ValuesOutOfRangeAreClamped) {
  struct Case {
    const char* Name;
    std::function<void(Integer)> Set;
    std::function<Integer()> Get;
    Integer Value, Stored;
  };
  TcxGridTableOptionsView* o = view->OptionsView();
  TcxGridPreview* p = view->Preview();
  const std::vector<Case> cases = {
      {"NewItemRowSeparatorWidth 0", [&](Integer v) { o->SetNewItemRowSeparatorWidth(v); }, [&] { return o->NewItemRowSeparatorWidth(); }, 0, 2},
      {"NewItemRowSeparatorWidth 1", [&](Integer v) { o->SetNewItemRowSeparatorWidth(v); }, [&] { return o->NewItemRowSeparatorWidth(); }, 1, 2},
      {"NewItemRowSeparatorWidth 3", [&](Integer v) { o->SetNewItemRowSeparatorWidth(v); }, [&] { return o->NewItemRowSeparatorWidth(); }, 3, 3},
      {"IndicatorWidth", [&](Integer v) { o->SetIndicatorWidth(v); }, [&] { return o->IndicatorWidth(); }, -5, 0},
      {"DataRowHeight", [&](Integer v) { o->SetDataRowHeight(v); }, [&] { return o->DataRowHeight(); }, -1, 0},
      {"GroupRowHeight", [&](Integer v) { o->SetGroupRowHeight(v); }, [&] { return o->GroupRowHeight(); }, -7, 0},
      {"HeaderHeight", [&](Integer v) { o->SetHeaderHeight(v); }, [&] { return o->HeaderHeight(); }, -2, 0},
      {"RowSeparatorWidth", [&](Integer v) { o->SetRowSeparatorWidth(v); }, [&] { return o->RowSeparatorWidth(); }, -3, 0},
      {"Preview.LeftIndent", [&](Integer v) { p->SetLeftIndent(v); }, [&] { return p->LeftIndent(); }, -4, 0},
      {"Preview.MaxLineCount", [&](Integer v) { p->SetMaxLineCount(v); }, [&] { return p->MaxLineCount(); }, -1, 0},
      {"Preview.RightIndent", [&](Integer v) { p->SetRightIndent(v); }, [&] { return p->RightIndent(); }, -9, 0},
  };
  for (const Case& c : cases) {
    c.Set(c.Value);
    EXPECT_EQ(c.Get(), c.Stored) << c.Name;
  }
}

TEST_F(GridTableViewTest, EachOptionChangeSubmitsItsKindOfChange) {
  struct Case {
    const char* Name;
    std::function<void()> Change;
    const char* Expected;
  };
  TcxGridTableOptionsView* o = view->OptionsView();
  TcxGridTableOptionsCustomize* c = view->OptionsCustomize();
  TcxGridPreview* p = view->Preview();
  const std::vector<Case> cases = {
      {"ColumnAutoWidth", [&] { o->SetColumnAutoWidth(true); }, "size"},
      {"DataRowHeight", [&] { o->SetDataRowHeight(30); }, "size"},
      {"ExpandButtonsForEmptyDetails", [&] { o->SetExpandButtonsForEmptyDetails(false); }, "layout"},
      {"Footer", [&] { o->SetFooter(true); }, "size"},
      {"GridLineColor", [&] { o->SetGridLineColor(clRed); }, "layout"},
      {"GridLines", [&] { o->SetGridLines(glNone); }, "size"},
      {"GroupByBox", [&] { o->SetGroupByBox(false); }, "size"},
      {"GroupFooters", [&] { o->SetGroupFooters(gfAlwaysVisible); }, "size"},
      {"GroupRowHeight", [&] { o->SetGroupRowHeight(25); }, "size"},
      {"Header", [&] { o->SetHeader(false); }, "size"},
      {"HeaderHeight", [&] { o->SetHeaderHeight(22); }, "size"},
      {"Indicator", [&] { o->SetIndicator(true); }, "size"},
      {"IndicatorWidth", [&] { o->SetIndicatorWidth(20); }, "size"},
      {"NewItemRowInfoText", [&] { o->SetNewItemRowInfoText("Nova"); }, "layout"},
      {"NewItemRowSeparatorColor", [&] { o->SetNewItemRowSeparatorColor(clBlue); }, "layout"},
      {"NewItemRowSeparatorWidth", [&] { o->SetNewItemRowSeparatorWidth(8); }, "size"},
      {"RowSeparatorColor", [&] { o->SetRowSeparatorColor(clGreen); }, "layout"},
      {"RowSeparatorWidth", [&] { o->SetRowSeparatorWidth(2); }, "size"},
      {"ColumnFiltering", [&] { c->SetColumnFiltering(false); }, "layout"},
      {"ColumnHorzSizing", [&] { c->SetColumnHorzSizing(false); }, "layout"},
      {"ColumnHiding (plain)", [&] { c->SetColumnHiding(true); }, "none"},
      {"ColumnGrouping (plain)", [&] { c->SetColumnGrouping(false); }, "none"},
      {"DataRowSizing (plain)", [&] { c->SetDataRowSizing(true); }, "none"},
      {"ExpandMasterRowOnDblClick (plain)", [&] { view->OptionsBehavior()->SetExpandMasterRowOnDblClick(false); }, "none"},
      // The preview re-measures only while it is shown; showing it always does.
      {"Preview.MaxLineCount hidden", [&] { p->SetMaxLineCount(5); }, "none"},
      {"Preview.Place hidden", [&] { p->SetPlace(ppTop); }, "none"},
      {"Preview.Visible", [&] { p->SetVisible(true); }, "size"},
      {"Preview.MaxLineCount shown", [&] { p->SetMaxLineCount(2); }, "size"},
      {"Preview.AutoHeight shown", [&] { p->SetAutoHeight(false); }, "size"},
      {"Preview.LeftIndent shown", [&] { p->SetLeftIndent(10); }, "size"},
      // Setting what is already set submits nothing.
      {"Footer again", [&] { o->SetFooter(true); }, "none"},
      {"GridLineColor again", [&] { o->SetGridLineColor(clRed); }, "none"},
      {"NewItemRowSeparatorWidth 1 after 2", [&] { o->SetNewItemRowSeparatorWidth(2); o->SetNewItemRowSeparatorWidth(1); }, "size"},
  };
  for (const Case& k : cases) EXPECT_EQ(submitted(k.Change), k.Expected) << k.Name;
  // The last case: 2 then 1 — the 1 is stored as 2 and submits nothing more.
  EXPECT_EQ(submitted([&] { o->SetNewItemRowSeparatorWidth(1); }), "none");
}

TEST_F(GridTableViewTest, TheNewItemRowSwitchReachesTheDataControllerAndTheViewData) {
  auto* dc = static_cast<TcxDataController*>(view->DataController());
  EXPECT_FALSE(dc->NewItemRowEnabled());
  EXPECT_FALSE(view->ViewData()->HasNewItemRecord());
  view->OptionsView()->SetNewItemRow(true);
  EXPECT_TRUE(dc->NewItemRowEnabled());
  EXPECT_TRUE(view->ViewData()->HasNewItemRecord());
  view->OptionsView()->SetNewItemRow(false);
  EXPECT_FALSE(dc->NewItemRowEnabled());
  EXPECT_FALSE(view->ViewData()->HasNewItemRecord());
}

TEST_F(GridTableViewTest, DefaultColoursResolveThroughThePainter) {
  TcxGridTableOptionsView* o = view->OptionsView();
  EXPECT_EQ(o->GetGridLineColor(), clBtnShadow);
  EXPECT_EQ(o->GetNewItemRowSeparatorColor(), clBtnFace);
  EXPECT_EQ(o->GetRowSeparatorColor(), clBtnShadow);
  o->SetGridLineColor(clRed);
  o->SetNewItemRowSeparatorColor(clLime);
  o->SetRowSeparatorColor(clBlue);
  EXPECT_EQ(o->GetGridLineColor(), clRed);
  EXPECT_EQ(o->GetNewItemRowSeparatorColor(), clLime);
  EXPECT_EQ(o->GetRowSeparatorColor(), clBlue);
}

TEST_F(GridTableViewTest, TheNewItemRowInfoTextFollowsTheStringTable) {
  const std::string text = "Clique aqui para adicionar uma nova linha";
  cxSetResourceString(&scxGridNewItemRowInfoText, text);
  auto* fresh = New<TcxGridTableView>(form);
  EXPECT_EQ(fresh->OptionsView()->NewItemRowInfoText(), text);
  EXPECT_FALSE(fresh->OptionsView()->IsNewItemRowInfoTextStored());
  fresh->OptionsView()->SetNewItemRowInfoText("Outra");
  EXPECT_TRUE(fresh->OptionsView()->IsNewItemRowInfoTextStored());
}

TEST_F(GridTableViewTest, OptionsAssignCopiesEveryValue) {
  auto* source = New<TcxGridTableView>(form);
  TcxGridTableOptionsView* o = source->OptionsView();
  o->SetFooter(true);
  o->SetGroupByBox(false);
  o->SetGridLines(glHorizontal);
  o->SetGroupFooters(gfVisibleWhenExpanded);
  o->SetIndicatorWidth(30);
  o->SetRowSeparatorColor(clMaroon);
  o->SetNavigator(true);
  source->OptionsCustomize()->SetColumnHiding(true);
  source->OptionsCustomize()->SetColumnSorting(false);
  view->OptionsView()->Assign(o);
  view->OptionsCustomize()->Assign(source->OptionsCustomize());
  EXPECT_TRUE(view->OptionsView()->Footer());
  EXPECT_FALSE(view->OptionsView()->GroupByBox());
  EXPECT_EQ(view->OptionsView()->GridLines(), glHorizontal);
  EXPECT_EQ(view->OptionsView()->GroupFooters(), gfVisibleWhenExpanded);
  EXPECT_EQ(view->OptionsView()->IndicatorWidth(), 30);
  EXPECT_EQ(view->OptionsView()->RowSeparatorColor(), clMaroon);
  EXPECT_TRUE(view->OptionsView()->Navigator()) << "the base's options too";
  EXPECT_TRUE(view->OptionsCustomize()->ColumnHiding());
  EXPECT_FALSE(view->OptionsCustomize()->ColumnSorting());
}

// ---------------------------------------------------------------------------------------
// Preview.

TEST_F(GridTableViewTest, ChangingThePreviewColumnReMeasuresTheView) {
  TcxCustomGridTableItem* a = addColumn(view, "ViewA");
  TcxCustomGridTableItem* b = addColumn(view, "ViewB");
  EXPECT_EQ(submitted([&] { view->Preview()->SetColumn(b); }), "size");
  EXPECT_EQ(view->Preview()->Column(), b);
  EXPECT_FALSE(view->Preview()->Active());
  view->Preview()->SetVisible(true);
  EXPECT_TRUE(view->Preview()->Active());
  EXPECT_EQ(submitted([&] { view->Preview()->SetColumn(a); }), "size");
  EXPECT_EQ(view->Preview()->Column(), a);
  EXPECT_EQ(submitted([&] { view->Preview()->SetColumn(a); }), "none");
  EXPECT_EQ(view->VisibleItemCount(), 1) << "the preview column has no cells of its own";
  EXPECT_EQ(view->VisibleItems(0), b);
  view->Preview()->SetColumn(nullptr);
  EXPECT_EQ(view->VisibleItemCount(), 2) << "both columns kept their own Visible";
}

TEST_F(GridTableViewTest, AColumnOfAnotherViewIsTakenAsNone) {
  auto* other = New<TcxGridTableView>(form);
  TcxCustomGridTableItem* foreign = addColumn(other, "OtherA");
  TcxCustomGridTableItem* own = addColumn(view, "ViewA");
  view->Preview()->SetColumn(own);
  view->Preview()->SetColumn(foreign);
  EXPECT_EQ(view->Preview()->Column(), nullptr);
  EXPECT_EQ(view->VisibleItemCount(), 1) << "the previous column is given back";
}

TEST_F(GridTableViewTest, AssigningAViewTakesTheCopysOwnPreviewColumn) {
  addColumn(view, "ViewA");
  TcxCustomGridTableItem* b = addColumn(view, "ViewB");
  view->Preview()->SetColumn(b);
  view->Preview()->SetVisible(true);
  view->Preview()->SetLeftIndent(9);
  auto* copy = New<TcxGridTableView>(form);
  copy->Assign(view);
  ASSERT_EQ(copy->ItemCount(), 2);
  EXPECT_EQ(copy->Preview()->Column(), copy->Items(1));
  EXPECT_EQ(copy->Preview()->Column()->ID(), b->ID());
  EXPECT_TRUE(copy->Preview()->Visible());
  EXPECT_EQ(copy->Preview()->LeftIndent(), 9);
  EXPECT_EQ(view->Preview()->Column(), b) << "the source keeps its own";
}

TEST_F(GridTableViewTest, FreeingThePreviewColumnLeavesThePreviewEmpty) {
  TcxCustomGridTableItem* a = addColumn(view, "ViewA");
  addColumn(view, "ViewB");
  view->Preview()->SetColumn(a);
  view->Preview()->SetVisible(true);
  delete a;
  EXPECT_EQ(view->Preview()->Column(), nullptr);
  EXPECT_FALSE(view->Preview()->Active());
  EXPECT_EQ(view->ItemCount(), 1);
  grid->LayoutChanged();
  EXPECT_TRUE(view->DependsOnSiteSize() == false);
}

// ---------------------------------------------------------------------------------------
// Styles.

TEST_F(GridTableViewTest, StyleDefaultsComeFromThePainter) {
  struct Case {
    Integer Index;
    TColor Color, TextColor;
  };
  TcxCustomLookAndFeelPainterClass painter = view->LookAndFeelPainter();
  TcxViewParams content;
  view->Styles()->GetVisualParams(vsContent, nullptr, nullptr, content);
  const std::vector<Case> cases = {
      {vsFilterBox, clBtnShadow, clBtnHighlight},
      {vsFooter, clBtnFace, clBtnText},
      {vsGroup, clBtnFace, clBtnText},
      {vsGroupByBox, clBtnShadow, clBtnFace},
      {vsHeader, clBtnFace, clBtnText},
      {vsNewItemRowInfoText, content.Color, clGrayText},
      {vsPreview, content.Color, painter->GetPreviewTextColor()},
  };
  for (const Case& c : cases) {
    TcxViewParams params;
    view->Styles()->GetVisualParams(c.Index, nullptr, nullptr, params);
    EXPECT_EQ(params.Color, c.Color) << "index " << c.Index;
    EXPECT_EQ(params.TextColor, c.TextColor) << "index " << c.Index;
  }
  TcxViewParams indicator;
  view->Styles()->GetVisualParams(vsIndicator, nullptr, nullptr, indicator);
  EXPECT_EQ(indicator.Color, clBtnFace);
  EXPECT_EQ(painter->GetPreviewTextColor(), clBlue);
}

TEST_F(GridTableViewTest, StylesAreStoredByIndexAndResolvedWithTheirEvents) {
  auto style = [&](TColor AColor) {
    auto* s = New<TcxStyle>(form);
    s->SetColor(AColor);
    return s;
  };
  TcxGridTableViewStyles* styles = view->Styles();
  struct Case {
    Integer Index;
    std::function<void(TcxStyle*)> Set;
  };
  const std::vector<Case> cases = {
      {vsFilterBox, [&](TcxStyle* s) { styles->SetFilterBox(s); }},
      {vsFooter, [&](TcxStyle* s) { styles->SetFooter(s); }},
      {vsGroup, [&](TcxStyle* s) { styles->SetGroup(s); }},
      {vsGroupByBox, [&](TcxStyle* s) { styles->SetGroupByBox(s); }},
      {vsHeader, [&](TcxStyle* s) { styles->SetHeader(s); }},
      {vsNewItemRowInfoText, [&](TcxStyle* s) { styles->SetNewItemRowInfoText(s); }},
      {vsIndicator, [&](TcxStyle* s) { styles->SetIndicator(s); }},
      {vsPreview, [&](TcxStyle* s) { styles->SetPreview(s); }},
  };
  for (const Case& c : cases) {
    TcxStyle* s = style(static_cast<TColor>(0x010000 * c.Index + 5));
    c.Set(s);
    EXPECT_EQ(styles->GetIndexedStyle(c.Index), s) << "index " << c.Index;
  }

  // The event's style goes on top of the view's own one.
  TcxStyle* fromEvent = style(clRed);
  struct Handler : TObject {
    TcxStyle* Style = nullptr;
    TcxCustomGridTableItem* Asked = nullptr;
    void Header(TcxGridTableView*, TcxCustomGridTableItem* AColumn, TcxStyle*& AStyle) {
      Asked = AColumn;
      AStyle = Style;
    }
  } handler;
  handler.Style = fromEvent;
  TcxCustomGridTableItem* a = addColumn(view, "ViewA");
  TcxViewParams params;
  styles->GetHeaderParams(a, params);
  EXPECT_EQ(params.Color, static_cast<TColor>(0x010000 * vsHeader + 5));
  styles->OnGetHeaderStyle = TcxGridGetHeaderStyleEvent(&handler, &Handler::Header);
  styles->GetHeaderParams(a, params);
  EXPECT_EQ(params.Color, clRed);
  EXPECT_EQ(handler.Asked, a);

  // Assign copies the indexed styles and the events.
  auto* other = New<TcxGridTableView>(form);
  other->Styles()->Assign(styles);
  for (const Case& c : cases)
    EXPECT_EQ(other->Styles()->GetIndexedStyle(c.Index), styles->GetIndexedStyle(c.Index)) << "index " << c.Index;
  EXPECT_TRUE(static_cast<bool>(other->Styles()->OnGetHeaderStyle));
}

TEST_F(GridTableViewTest, ThePreviewColumnsContentIsThePreviewStyle) {
  TcxCustomGridTableItem* a = addColumn(view, "ViewA");
  TcxCustomGridTableItem* b = addColumn(view, "ViewB");
  view->Preview()->SetColumn(b);
  TcxViewParams normal, preview;
  view->Styles()->GetContentParams(nullptr, a, normal);
  view->Styles()->GetContentParams(nullptr, b, preview);
  EXPECT_EQ(preview.TextColor, clBlue);
  EXPECT_NE(normal.TextColor, clBlue);
}

TEST_F(GridTableViewTest, BackgroundBitmapsMapToTheirStyles) {
  struct Case {
    Integer Bitmap, Style;
  };
  for (const Case& c : std::vector<Case>{{bbBackground, vsBackground}, {bbContent, vsContent}, {bbFilterBox, vsFilterBox},
                                         {bbFooter, vsFooter}, {bbHeader, vsHeader}, {bbGroup, vsGroup},
                                         {bbGroupByBox, vsGroupByBox}, {bbIndicator, vsIndicator},
                                         {bbPreview, vsPreview}})
    EXPECT_EQ(view->BackgroundBitmaps()->GetBitmapStyleIndex(c.Bitmap), c.Style) << "bitmap " << c.Bitmap;
}

// ---------------------------------------------------------------------------------------
// Stored properties, events, questions.

TEST_F(GridTableViewTest, TheFourStoredNamesReadAndWriteOptionsView) {
  std::vector<std::string> names = view->GetStoredProperties();
  EXPECT_EQ(names, (std::vector<std::string>{"Footer", "GroupByBox", "GroupFooters", "NewItemRow"}));
  struct Case {
    const char* Name;
    bool Value;
    std::function<bool()> Check;
  };
  TcxGridTableOptionsView* o = view->OptionsView();
  const std::vector<Case> cases = {
      {"Footer", true, [&] { return o->Footer(); }},
      {"GroupByBox", false, [&] { return !o->GroupByBox(); }},
      {"GroupFooters", true, [&] { return o->GroupFooters() == gfVisibleWhenExpanded; }},
      {"NewItemRow", true, [&] { return o->NewItemRow(); }},
      {"GroupFooters", false, [&] { return o->GroupFooters() == gfInvisible; }},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(view->SetStoredPropertyValue(c.Name, Variant(c.Value))) << c.Name;
    EXPECT_TRUE(c.Check()) << c.Name;
    Variant v;
    EXPECT_TRUE(view->GetStoredPropertyValue(c.Name, v)) << c.Name;
    EXPECT_EQ(v.AsBoolean(), c.Value) << c.Name;
  }
  // The Boolean cannot carry the third mode: always-visible reads False.
  o->SetGroupFooters(gfAlwaysVisible);
  Variant v(true);
  EXPECT_TRUE(view->GetStoredPropertyValue("GroupFooters", v));
  EXPECT_FALSE(v.AsBoolean());
  EXPECT_FALSE(view->GetStoredPropertyValue("Desconhecida", v));
  EXPECT_FALSE(view->SetStoredPropertyValue("Desconhecida", Variant(true)));
}

TEST_F(GridTableViewTest, EventWrappersRaiseTheirEventsAndLeaveDoneAloneWithoutOne) {
  struct Log : TObject {
    std::vector<std::string> Entries;
    void Column(TcxGridTableView*, TcxCustomGridTableItem* AColumn) { Entries.push_back("column " + AColumn->Name()); }
    void Draw(TcxGridTableView*, TcxCanvas*, TcxCustomGridCellViewInfo*, bool& ADone) {
      Entries.push_back("draw");
      ADone = true;
    }
    void Notify(TObject*) { Entries.push_back("notify"); }
  } log;
  TcxCustomGridTableItem* a = addColumn(view, "ViewA");
  bool done = false;
  view->DoColumnHeaderClick(a);
  view->DoCustomDrawColumnHeader(nullptr, nullptr, done);
  view->DoCustomization();
  EXPECT_TRUE(log.Entries.empty());
  EXPECT_FALSE(done);
  EXPECT_FALSE(view->HasCustomDrawColumnHeader());

  view->OnColumnHeaderClick = TcxGridColumnEvent(&log, &Log::Column);
  view->OnColumnSizeChanged = TcxGridColumnEvent(&log, &Log::Column);
  view->OnCustomDrawColumnHeader = TcxGridColumnCustomDrawHeaderEvent(&log, &Log::Draw);
  view->OnLeftPosChanged = TNotifyEvent(&log, &Log::Notify);
  EXPECT_TRUE(view->HasCustomDrawColumnHeader());
  EXPECT_FALSE(view->HasCustomDrawFooterCell());
  view->DoColumnHeaderClick(a);
  view->DoColumnSizeChanged(a);
  view->DoColumnPosChanged(a);
  view->DoCustomDrawColumnHeader(nullptr, nullptr, done);
  view->DoLeftPosChanged();
  EXPECT_EQ(log.Entries, (std::vector<std::string>{"column ViewA", "column ViewA", "draw", "notify"}));
  EXPECT_TRUE(done);

  // Assigning a view copies the events.
  auto* copy = New<TcxGridTableView>(form);
  copy->Assign(view);
  EXPECT_TRUE(copy->HasCustomDrawColumnHeader());
  EXPECT_TRUE(static_cast<bool>(copy->OnLeftPosChanged));
}

TEST_F(GridTableViewTest, SiteSizeDependenceAndHorizontalWindowScrolling) {
  EXPECT_FALSE(view->DependsOnSiteSize());
  view->OptionsView()->SetColumnAutoWidth(true);
  EXPECT_TRUE(view->DependsOnSiteSize());
  view->OptionsView()->SetColumnAutoWidth(false);
  TcxCustomGridTableItem* a = addColumn(view, "ViewA");
  view->Preview()->SetVisible(true);
  EXPECT_FALSE(view->DependsOnSiteSize()) << "a preview without a column is not active";
  view->Preview()->SetColumn(a);
  EXPECT_TRUE(view->DependsOnSiteSize());

  EXPECT_FALSE(view->IsEqualHeightRecords()) << "preview lines vary the row heights";
  view->Preview()->SetVisible(false);
  EXPECT_TRUE(view->IsEqualHeightRecords());

  EXPECT_TRUE(view->CanScrollWindowHorizontally());
  grid->BeginUpdate();
  EXPECT_FALSE(view->CanScrollWindowHorizontally());
  grid->EndUpdate();
  EXPECT_TRUE(view->CanScrollWindowHorizontally());
}

// ---------------------------------------------------------------------------------------
// Registration, life on a grid, stored form.

TEST_F(GridTableViewTest, TheViewIsRegisteredAsTable) {
  TcxRegisteredClasses* views = cxGridRegisteredViews();
  EXPECT_EQ(views->FindByClassName("TcxGridTableView"), TcxGridTableView::StaticClass());
  EXPECT_EQ(views->GetDescriptionByClass(TcxGridTableView::StaticClass()), "Table");
}

TEST_F(GridTableViewTest, AViewMadeOnAGridHasItsHandlerObjects) {
  auto* table = New<TcxGridTableView>(form);
  table->SetName("Tabela");
  table->SetControl(grid);
  auto* l = New<TcxGridLevel>(form);
  l->SetParentComponent(grid);
  l->SetGridView(table);
  EXPECT_NE(dynamic_cast<TcxCustomGridTableController*>(table->Controller()), nullptr);
  EXPECT_NE(table->Painter(), nullptr);
  EXPECT_NE(dynamic_cast<TcxCustomGridTableViewData*>(table->ViewData()), nullptr);
  EXPECT_NE(table->ViewInfo(), nullptr);
  EXPECT_NE(table->ViewInfoCache(), nullptr);
  EXPECT_NE(table->Preview(), nullptr);
  TcxCustomGridTableItem* item = table->CreateItem();
  EXPECT_EQ(table->ItemCount(), 1);
  EXPECT_EQ(item->GridView(), table);
  TcxCustomDataController* dc = table->DataController();
  dc->SetRecordCount(3);
  EXPECT_EQ(table->ViewData()->RecordCount(), 3);
  EXPECT_TRUE(table->ViewData()->Records(0)->HasCells());
}

TEST_F(GridTableViewTest, PublishedPropertiesRoundTripThroughAStoredForm) {
  view->OptionsView()->SetFooter(true);
  view->OptionsView()->SetGroupByBox(false);
  view->OptionsView()->SetIndicatorWidth(18);
  view->OptionsView()->SetGridLines(glVertical);
  view->OptionsView()->SetGroupFooters(gfAlwaysVisible);
  view->OptionsCustomize()->SetColumnHiding(true);
  view->OptionsBehavior()->SetExpandMasterRowOnDblClick(false);
  view->Preview()->SetMaxLineCount(7);
  view->Preview()->SetPlace(ppTop);

  TMemoryStream binary;
  binary.WriteComponent(view);
  binary.SetPosition(0);
  TStringStream text("");
  ObjectBinaryToText(&binary, &text);
  const std::string written = text.DataString();
  EXPECT_NE(written.find("OptionsView.Footer = True"), std::string::npos) << written;
  EXPECT_EQ(written.find("Header ="), std::string::npos) << "defaults are not written\n" << written;

  TForm* other = own(TForm::CreateNew(nullptr));
  auto* copy = New<TcxGridTableView>(other);
  binary.SetPosition(0);
  binary.ReadComponent(copy);
  EXPECT_TRUE(copy->OptionsView()->Footer());
  EXPECT_FALSE(copy->OptionsView()->GroupByBox());
  EXPECT_EQ(copy->OptionsView()->IndicatorWidth(), 18);
  EXPECT_EQ(copy->OptionsView()->GridLines(), glVertical);
  EXPECT_EQ(copy->OptionsView()->GroupFooters(), gfAlwaysVisible);
  EXPECT_TRUE(copy->OptionsCustomize()->ColumnHiding());
  EXPECT_FALSE(copy->OptionsBehavior()->ExpandMasterRowOnDblClick());
  EXPECT_EQ(copy->Preview()->MaxLineCount(), 7);
  EXPECT_EQ(copy->Preview()->Place(), ppTop);
  EXPECT_TRUE(copy->OptionsView()->Header());
}

}  // namespace
