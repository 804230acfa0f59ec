// The tabular view's column: what the view's and the column's options let the user do,
// the widths the automatic distribution must leave alone, the hidden flag and the preview
// column, header and footer styles, the header glyph, the header click, copying a column
// and its stored-property names.
#include <functional>
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "TableViewTestSupport.h"
#include "cx/editors/cxTextEdit.h"
#include "cx/grid/cxGridTableView.h"
#include "platform/gui/GuiTestSupport.h"

using namespace gridtest;
using namespace guitest;
using namespace tabletest;

namespace {

class GridColumnTest : public TableViewFixture<TcxGridTableView> {
protected:
  TcxGridColumn* addColumn(const std::string& AName) {
    auto* column = dynamic_cast<TcxGridColumn*>(view->CreateItem());
    EXPECT_NE(column, nullptr) << "the table view's items are columns";
    column->SetName(AName);
    column->DataBinding()->SetValueTypeClass(TcxStringValueType::Instance());
    // Text editing: sorting, grouping and filtering are the editor's to allow.
    column->SetPropertiesClass(TcxTextEditProperties::StaticClass());
    return column;
  }
  bool isFilterable(TcxCustomGridTableItem* AItem) {
    for (Integer i = 0; i < view->FilterableItemCount(); ++i)
      if (view->FilterableItems(i) == AItem) return true;
    return false;
  }
};

TEST_F(GridColumnTest, TheTableViewsItemsAreColumns) {
  EXPECT_EQ(view->GetItemClass(), TcxGridColumn::StaticClass());
  TcxGridColumn* column = addColumn("Nome");
  EXPECT_EQ(column->Options()->ClassType(), TcxGridColumnOptions::StaticClass());
  EXPECT_EQ(column->Styles()->ClassType(), TcxGridColumnStyles::StaticClass());
  EXPECT_EQ(column->HeaderGlyphAlignmentHorz(), taLeftJustify);
  EXPECT_EQ(column->HeaderGlyphAlignmentVert(), vaCenter);
  EXPECT_TRUE(column->Options()->HorzSizing());
  EXPECT_FALSE(column->Hidden());
  EXPECT_EQ(column->MinWidth(), 20);
}

// What one column may do under the view's and its own options. The view's options apply
// to every column at once; a column's own option can only take a permission away.
TEST_F(GridColumnTest, CustomizationRulesFollowTheViewAndTheColumnOptions) {
  struct Case {
    const char* name;
    std::function<void(TcxGridTableView*, TcxGridColumn*)> setUp;
    bool horzSize, sort, group, move, filterVisually, filter, widthFixed;
  };
  const std::vector<Case> cases = {
      {"defaults", [](TcxGridTableView*, TcxGridColumn*) {}, true, true, true, true, true, true, false},
      {"view: no column sizing",
       [](TcxGridTableView* v, TcxGridColumn*) { v->OptionsCustomize()->SetColumnHorzSizing(false); }, false, true,
       true, true, true, true, false},
      {"column: no sizing", [](TcxGridTableView*, TcxGridColumn* c) { c->Options()->SetHorzSizing(false); }, false,
       true, true, true, true, true, true},
      {"view: no sizing, column: sizing",
       [](TcxGridTableView* v, TcxGridColumn* c) {
         v->OptionsCustomize()->SetColumnHorzSizing(false);
         c->Options()->SetHorzSizing(true);
       },
       false, true, true, true, true, true, false},
      {"view: no column filtering",
       [](TcxGridTableView* v, TcxGridColumn*) { v->OptionsCustomize()->SetColumnFiltering(false); }, true, true,
       true, true, false, true, false},
      {"column: no filtering", [](TcxGridTableView*, TcxGridColumn* c) { c->Options()->SetFiltering(false); }, true,
       true, true, true, false, false, false},
      {"view: no column sorting",
       [](TcxGridTableView* v, TcxGridColumn*) { v->OptionsCustomize()->SetColumnSorting(false); }, true, false, true,
       true, true, true, false},
      {"column: no sorting", [](TcxGridTableView*, TcxGridColumn* c) { c->Options()->SetSorting(false); }, true, false,
       true, true, true, true, false},
      {"view: no column grouping",
       [](TcxGridTableView* v, TcxGridColumn*) { v->OptionsCustomize()->SetColumnGrouping(false); }, true, true, false,
       true, true, true, false},
      {"column: no grouping", [](TcxGridTableView*, TcxGridColumn* c) { c->Options()->SetGrouping(false); }, true,
       true, false, true, true, true, false},
      {"view: no column moving",
       [](TcxGridTableView* v, TcxGridColumn*) { v->OptionsCustomize()->SetColumnMoving(false); }, true, true, true,
       false, true, true, false},
      {"column: no moving", [](TcxGridTableView*, TcxGridColumn* c) { c->Options()->SetMoving(false); }, true, true,
       true, false, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* v = New<TcxGridTableView>(form);
    v->SetControl(grid);
    auto* column = static_cast<TcxGridColumn*>(v->CreateItem());
    column->DataBinding()->SetValueTypeClass(TcxStringValueType::Instance());
    column->SetPropertiesClass(TcxTextEditProperties::StaticClass());
    v->CreateItem();
    c.setUp(v, column);
    EXPECT_EQ(column->CanHorzSize(), c.horzSize);
    EXPECT_EQ(column->CanSort(), c.sort);
    EXPECT_EQ(column->CanGroup(), c.group);
    EXPECT_EQ(column->CanMove(), c.move);
    EXPECT_EQ(column->CanFilter(true), c.filterVisually);
    EXPECT_EQ(column->CanFilter(false), c.filter);
    EXPECT_EQ(column->IsWidthFixed(), c.widthFixed);
    v->Free();
  }
}

TEST_F(GridColumnTest, ChangingAViewOptionChangesWhatEveryColumnAllows) {
  TcxGridColumn* a = addColumn("A");
  TcxGridColumn* b = addColumn("B");
  ASSERT_TRUE(a->CanHorzSize() && b->CanHorzSize());
  view->OptionsCustomize()->SetColumnHorzSizing(false);
  EXPECT_FALSE(a->CanHorzSize());
  EXPECT_FALSE(b->CanHorzSize());
  EXPECT_EQ(a->Width(), 64) << "the width is no longer raised to a minimum, but it stays";
  a->SetWidth(5);
  EXPECT_EQ(a->Width(), 5) << "without sizing the minimum width does not apply";
  view->OptionsCustomize()->SetColumnHorzSizing(true);
  a->SetWidth(5);
  EXPECT_EQ(a->Width(), 20) << "with sizing a width is raised to the minimum";
}

TEST_F(GridColumnTest, TheOnlyVisibleColumnCannotBeHidden) {
  TcxGridColumn* a = addColumn("A");
  EXPECT_FALSE(a->CanMoveItem()) << "the only visible column";
  TcxGridColumn* b = addColumn("B");
  EXPECT_TRUE(a->CanMoveItem());
  EXPECT_TRUE(b->CanMoveItem());
  b->SetVisible(false);
  EXPECT_FALSE(a->CanMoveItem()) << "the other column is not visible";
  EXPECT_TRUE(b->CanMoveItem()) << "an invisible column may be dragged in";
}

// While a column's width is forced, it and every column left of it keep their widths,
// unless it is the last visible column; a column that cannot be sized is always fixed.
TEST_F(GridColumnTest, WidthsFixedWhileAColumnsWidthIsForced) {
  TcxGridColumn* a = addColumn("A");
  TcxGridColumn* hidden = addColumn("Hidden");
  TcxGridColumn* b = addColumn("B");
  TcxGridColumn* c = addColumn("C");
  TcxGridColumn* d = addColumn("D");
  hidden->SetVisible(false);
  d->Options()->SetHorzSizing(false);
  auto fixed = [&] {
    std::string s;
    for (TcxGridColumn* column : {a, hidden, b, c, d}) s += column->IsWidthFixed() ? '1' : '0';
    return s;
  };
  EXPECT_EQ(fixed(), "00001") << "nothing forced";

  view->Controller()->SetForcingWidthItem(b);
  EXPECT_EQ(fixed(), "10001") << "B forced: A, left of it, keeps its width";
  view->Controller()->SetForcingWidthItem(d);
  EXPECT_EQ(fixed(), "00001") << "the last visible column forced: the others stay free";
  view->Controller()->SetForcingWidthItem(nullptr);

  c->ForceWidth(120);
  EXPECT_EQ(c->Width(), 120);
  EXPECT_EQ(view->Controller()->ForcingWidthItem(), nullptr) << "the forced column is named only during the change";
  EXPECT_FALSE(c->IsForcingWidth());
  EXPECT_EQ(fixed(), "00001");
}

TEST_F(GridColumnTest, BordersAndEdgesFollowTheVisibleColumns) {
  TcxGridColumn* a = addColumn("A");
  TcxGridColumn* b = addColumn("B");
  TcxGridColumn* c = addColumn("C");
  auto edges = [](TcxGridColumn* x) {
    return std::string(x->IsMostLeft() ? "L" : "-") + (x->IsMostRight() ? "R" : "-") +
           (x->HasLeftBorder() ? "l" : "-") + (x->HasRightBorder() ? "r" : "-") + (x->IsMostTop() ? "T" : "-") +
           (x->IsMostBottom() ? "B" : "-");
  };
  EXPECT_EQ(edges(a), "L-l-TB");
  EXPECT_EQ(edges(b), "----TB");
  EXPECT_EQ(edges(c), "-R-rTB");
  a->SetVisible(false);
  c->SetIndex(0);
  EXPECT_EQ(edges(c), "L-l-TB") << "moved first";
  EXPECT_EQ(edges(b), "-R-rTB");
}

TEST_F(GridColumnTest, AHiddenColumnStaysButIsNotOfferedToTheFilter) {
  TcxGridColumn* a = addColumn("A");
  TcxGridColumn* b = addColumn("B");
  ASSERT_TRUE(isFilterable(a));
  a->SetHidden(true);
  EXPECT_TRUE(a->Hidden());
  EXPECT_TRUE(a->Visible()) << "hidden keeps the column's Visible";
  EXPECT_EQ(view->VisibleItemCount(), 2);
  EXPECT_FALSE(isFilterable(a)) << "the filterable list was rebuilt";
  EXPECT_TRUE(isFilterable(b));
  EXPECT_TRUE(a->IsHiddenStored());
  a->SetHidden(false);
  EXPECT_TRUE(isFilterable(a));
  EXPECT_FALSE(a->IsHiddenStored());
}

TEST_F(GridColumnTest, ThePreviewColumnReadsHiddenAndInvisibleAndIsNotStoredSo) {
  TcxGridColumn* a = addColumn("A");
  TcxGridColumn* notes = addColumn("Notes");
  view->Preview()->SetColumn(notes);
  EXPECT_TRUE(notes->IsPreview());
  EXPECT_TRUE(notes->Hidden());
  EXPECT_FALSE(notes->Visible());
  EXPECT_EQ(view->VisibleItemCount(), 1) << "the preview column has no cells";
  EXPECT_EQ(view->VisibleItems(0), a);
  EXPECT_FALSE(notes->IsHiddenStored());
  EXPECT_FALSE(notes->IsVisibleStored());
  EXPECT_FALSE(isFilterable(notes));

  notes->SetHidden(false);
  EXPECT_TRUE(notes->Hidden()) << "setting Hidden on the preview column changes nothing";
  notes->SetHidden(true);
  EXPECT_FALSE(notes->IsHiddenStored());

  view->Preview()->SetColumn(nullptr);
  EXPECT_FALSE(notes->Hidden()) << "its own flag was never set";
  EXPECT_TRUE(notes->Visible());
  EXPECT_EQ(view->VisibleItemCount(), 2);

  view->Preview()->SetColumn(notes);
  notes->Free();
  EXPECT_EQ(view->Preview()->Column(), nullptr) << "a destroyed preview column leaves the preview";
}

// Header and footer look: the column's event, then the column's style, then the view's.
TEST_F(GridColumnTest, HeaderAndFooterStylesResolveThroughColumnThenView) {
  TcxGridColumn* a = addColumn("A");
  auto* viewHeader = New<TcxStyle>(form);
  viewHeader->SetColor(clRed);
  auto* columnHeader = New<TcxStyle>(form);
  columnHeader->SetColor(clLime);
  auto* fromEvent = New<TcxStyle>(form);
  fromEvent->SetColor(clBlue);
  auto* viewFooter = New<TcxStyle>(form);
  viewFooter->SetColor(clYellow);
  auto* columnFooter = New<TcxStyle>(form);
  columnFooter->SetColor(clAqua);

  auto header = [&] {
    TcxViewParams p;
    a->Styles()->GetHeaderParams(p);
    return p.Color;
  };
  auto footer = [&] {
    TcxViewParams p;
    a->Styles()->GetFooterParams(nullptr, p);
    return p.Color;
  };
  view->Styles()->SetHeader(viewHeader);
  view->Styles()->SetFooter(viewFooter);
  EXPECT_EQ(header(), clRed);
  EXPECT_EQ(footer(), clYellow);
  a->Styles()->SetHeader(columnHeader);
  a->Styles()->SetFooter(columnFooter);
  EXPECT_EQ(header(), clLime);
  EXPECT_EQ(footer(), clAqua);

  struct Handler : TObject {
    explicit Handler(TcxStyle* AStyle) : style(AStyle) {}
    TcxStyle* style;
    TcxCustomGridTableItem* seenColumn = nullptr;
    void Header(TcxGridTableView*, TcxCustomGridTableItem* AColumn, TcxStyle*& AStyle) {
      seenColumn = AColumn;
      AStyle = style;
    }
    void Footer(TcxCustomGridTableView*, TcxCustomGridRecord*, TcxCustomGridTableItem* AItem, TcxStyle*& AStyle) {
      seenColumn = AItem;
      AStyle = style;
    }
  } handler(fromEvent);
  a->Styles()->OnGetHeaderStyle = TcxGridGetHeaderStyleEvent(&handler, &Handler::Header);
  EXPECT_EQ(header(), clBlue);
  EXPECT_EQ(handler.seenColumn, a);
  a->Styles()->OnGetFooterStyle = TcxGridGetCellStyleEvent(&handler, &Handler::Footer);
  EXPECT_EQ(footer(), clBlue);

  TcxGridColumn* b = addColumn("B");
  b->Assign(a);
  EXPECT_EQ(b->Styles()->Header(), columnHeader) << "styles and their events are copied";
  EXPECT_EQ(b->Styles()->Footer(), columnFooter);
  EXPECT_TRUE(static_cast<bool>(b->Styles()->OnGetHeaderStyle));
}

TEST_F(GridColumnTest, GlyphAndGlyphAlignmentsAndSizingOptionLayTheViewOut) {
  TcxGridColumn* a = addColumn("A");
  grid->LayoutChanged();
  pumpFor(20);
  struct Step {
    const char* name;
    std::function<void()> change;
  };
  const std::vector<Step> steps = {
      {"glyph size", [&] { a->HeaderGlyph()->SetSize(16, 16); }},
      {"glyph horizontal alignment", [&] { a->SetHeaderGlyphAlignmentHorz(taRightJustify); }},
      {"glyph vertical alignment", [&] { a->SetHeaderGlyphAlignmentVert(vaTop); }},
      {"own sizing option", [&] { a->Options()->SetHorzSizing(false); }},
      {"footer alignment", [&] { a->SetFooterAlignmentHorz(taCenter); }},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    layouts.Entries.clear();
    s.change();
    EXPECT_FALSE(layouts.Entries.empty()) << "a layout change was requested";
  }
  layouts.Entries.clear();
  a->SetHeaderGlyphAlignmentHorz(taRightJustify);
  EXPECT_TRUE(layouts.Entries.empty()) << "an unchanged value requests nothing";
}

TEST_F(GridColumnTest, HeaderClickRaisesTheColumnsEventThenTheViews) {
  TcxGridColumn* a = addColumn("A");
  struct Log : TObject {
    std::vector<std::string> entries;
    void Column(TObject* Sender) { entries.push_back("column:" + static_cast<TComponent*>(Sender)->Name()); }
    void View(TcxGridTableView*, TcxCustomGridTableItem* AColumn) { entries.push_back("view:" + AColumn->Name()); }
  } log;
  a->DoHeaderClick();
  EXPECT_TRUE(log.entries.empty());
  a->OnHeaderClick = TNotifyEvent(&log, &Log::Column);
  view->OnColumnHeaderClick = TcxGridColumnEvent(&log, &Log::View);
  a->DoHeaderClick();
  EXPECT_EQ(log.entries, (std::vector<std::string>{"column:A", "view:A"}));
}

TEST_F(GridColumnTest, AssignCopiesTheColumnsOwnState) {
  TcxGridColumn* a = addColumn("A");
  a->SetFooterAlignmentHorz(taCenter);
  a->HeaderGlyph()->SetSize(10, 8);
  a->SetHeaderGlyphAlignmentHorz(taCenter);
  a->SetHeaderGlyphAlignmentVert(vaBottom);
  a->SetHidden(true);
  a->Options()->SetHorzSizing(false);
  struct Log : TObject {
    void Click(TObject*) {}
  } log;
  a->OnHeaderClick = TNotifyEvent(&log, &Log::Click);

  TcxGridColumn* b = addColumn("B");
  b->Assign(a);
  EXPECT_EQ(b->FooterAlignmentHorz(), taCenter);
  EXPECT_TRUE(b->IsFooterAlignmentHorzStored());
  EXPECT_EQ(b->HeaderGlyph()->Width(), 10);
  EXPECT_EQ(b->HeaderGlyph()->Height(), 8);
  EXPECT_EQ(b->HeaderGlyphAlignmentHorz(), taCenter);
  EXPECT_EQ(b->HeaderGlyphAlignmentVert(), vaBottom);
  EXPECT_TRUE(b->Hidden());
  EXPECT_FALSE(b->Options()->HorzSizing());
  EXPECT_TRUE(b->OnHeaderClick == a->OnHeaderClick);

  TcxGridColumn* c = addColumn("C");
  c->SetFooterAlignmentHorz(taRightJustify);
  c->Assign(addColumn("Plain"));
  EXPECT_FALSE(c->IsFooterAlignmentHorzStored()) << "an unassigned footer alignment is copied as unassigned";
  EXPECT_EQ(c->FooterAlignmentHorz(), taLeftJustify);
}

TEST_F(GridColumnTest, StoredPropertiesAddGroupIndexAndWidthAfterTheItemsNames) {
  TcxGridColumn* a = addColumn("A");
  addColumn("B");
  EXPECT_EQ(a->GetStoredProperties(),
            (std::vector<std::string>{"Index", "Visible", "SortOrder", "SortIndex", "GroupIndex", "Width"}));
  EXPECT_TRUE(a->SetStoredPropertyValue("Width", Variant(150)));
  EXPECT_EQ(a->Width(), 150);
  EXPECT_TRUE(a->SetStoredPropertyValue("GroupIndex", Variant(0)));
  EXPECT_EQ(a->GroupIndex(), 0);
  EXPECT_TRUE(a->SetStoredPropertyValue("Index", Variant(1)));
  EXPECT_EQ(a->Index(), 1);
  Variant v;
  EXPECT_TRUE(a->GetStoredPropertyValue("Width", v));
  EXPECT_EQ(v.AsInteger(), 150);
  EXPECT_TRUE(a->GetStoredPropertyValue("GroupIndex", v));
  EXPECT_EQ(v.AsInteger(), 0);
  EXPECT_FALSE(a->GetStoredPropertyValue("Caption", v));
  EXPECT_FALSE(a->SetStoredPropertyValue("Caption", Variant(std::string("x"))));
}

}  // namespace
