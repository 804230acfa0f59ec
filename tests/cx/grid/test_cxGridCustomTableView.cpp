// The record view base over an unbound grid data controller: option and style defaults and
// the changes they submit, items (identifiers, order, caption, width, visibility, focus,
// sorting, grouping, filtering, editor properties) and their data binding, the view's
// notifications, and the records that follow the data controller's rows.
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "TableViewTestSupport.h"
#include "cx/data/cxFilter.h"
#include "cx/editors/extra/cxEditRepositoryItems.h"
#include "platform/gui/GuiTestSupport.h"

using namespace gridtest;
using namespace guitest;
using namespace tabletest;

namespace {

class TableViewTest : public TableViewFixture<TTestTableView> {
protected:
  // Items Nome (text) and Idade (integer) over the given rows.
  void fillPeople(const std::vector<std::pair<std::string, Integer>>& ARows) {
    view->AddColumn("ViewNome", TcxStringValueType::Instance());
    view->AddColumn("ViewIdade", TcxIntegerValueType::Instance());
    TcxCustomDataController* dc = view->DataController();
    dc->BeginUpdate();
    dc->SetRecordCount(static_cast<Integer>(ARows.size()));
    for (size_t i = 0; i < ARows.size(); ++i) {
      dc->SetValue(static_cast<Integer>(i), 0, ARows[i].first);
      dc->SetValue(static_cast<Integer>(i), 1, ARows[i].second);
    }
    dc->EndUpdate();
  }
  void fillPeople() { fillPeople({{"Ana", 30}, {"Bruno", 45}, {"Carla", 28}, {"Duarte", 52}, {"Eva", 19}}); }
};

// ---------------------------------------------------------------------------------------
// Options.

TEST_F(TableViewTest, OptionObjectsStartWithTheirDefaults) {
  TcxCustomGridTableFiltering* filtering = view->Filtering();
  EXPECT_TRUE(filtering->CustomizeDialog());
  EXPECT_EQ(filtering->DropDownWidth(), 0);
  EXPECT_EQ(filtering->MaxDropDownCount(), 15);
  EXPECT_EQ(filtering->Visible(), fvNonEmpty);

  TcxCustomGridTableOptionsBehavior* behavior = view->OptionsBehavior();
  EXPECT_FALSE(behavior->AlwaysShowEditor());
  EXPECT_FALSE(behavior->CellHints());
  EXPECT_EQ(behavior->DragFocusing(), dfNone);
  EXPECT_TRUE(behavior->DragHighlighting());
  EXPECT_TRUE(behavior->DragOpening());
  EXPECT_TRUE(behavior->DragScrolling());
  EXPECT_FALSE(behavior->FocusCellOnTab());
  EXPECT_FALSE(behavior->FocusFirstCellOnNewRecord());
  EXPECT_FALSE(behavior->GoToNextCellOnEnter());
  EXPECT_TRUE(behavior->ImmediateEditor());
  EXPECT_FALSE(behavior->IncSearch());
  EXPECT_EQ(behavior->IncSearchItem(), nullptr);
  EXPECT_FALSE(behavior->NavigatorHints());
  EXPECT_EQ(behavior->BestFitMaxRecordCount(), 0);
  EXPECT_TRUE(behavior->ExpandMasterRowOnDblClick());
  EXPECT_FALSE(behavior->FocusCellOnCycle());
  EXPECT_FALSE(behavior->PullFocusing());

  EXPECT_TRUE(view->OptionsCustomize()->ItemGrouping());
  EXPECT_TRUE(view->OptionsCustomize()->ItemMoving());
  EXPECT_TRUE(view->OptionsCustomize()->ItemSorting());

  TcxCustomGridTableOptionsData* data = view->OptionsData();
  EXPECT_FALSE(data->Appending());
  EXPECT_TRUE(data->CancelOnExit());
  EXPECT_TRUE(data->Deleting());
  EXPECT_TRUE(data->DeletingConfirmation());
  EXPECT_TRUE(data->Editing());
  EXPECT_TRUE(data->Inserting());

  TcxCustomGridTableOptionsSelection* selection = view->OptionsSelection();
  EXPECT_TRUE(selection->CellSelect());
  EXPECT_TRUE(selection->HideFocusRect());
  EXPECT_FALSE(selection->HideSelection());
  EXPECT_TRUE(selection->InvertSelect());
  EXPECT_FALSE(selection->MultiSelect());
  EXPECT_TRUE(selection->UnselectFocusedRecordOnExit());

  TcxCustomGridTableOptionsView* options = view->OptionsView();
  EXPECT_FALSE(options->CellAutoHeight());
  EXPECT_FALSE(options->CellEndEllipsis());
  EXPECT_EQ(options->CellTextMaxLineCount(), 0);
  EXPECT_FALSE(options->HeaderAutoHeight());
  EXPECT_FALSE(options->HeaderEndEllipsis());
  EXPECT_FALSE(options->Navigator());
  EXPECT_EQ(options->NavigatorOffset(), 50);
  EXPECT_EQ(options->ShowEditButtons(), gsebNever);
}

TEST_F(TableViewTest, NegativeCountsAndWidthsAreStoredAsZero) {
  view->Filtering()->SetDropDownWidth(-3);
  view->Filtering()->SetMaxDropDownCount(-5);
  view->OptionsBehavior()->SetBestFitMaxRecordCount(-1);
  view->OptionsView()->SetCellTextMaxLineCount(-2);
  view->OptionsView()->SetNavigatorOffset(-10);
  EXPECT_EQ(view->Filtering()->DropDownWidth(), 0);
  EXPECT_EQ(view->Filtering()->MaxDropDownCount(), 0);
  EXPECT_EQ(view->OptionsBehavior()->BestFitMaxRecordCount(), 0);
  EXPECT_EQ(view->OptionsView()->CellTextMaxLineCount(), 0);
  EXPECT_EQ(view->OptionsView()->NavigatorOffset(), 0);
}

TEST_F(TableViewTest, DropDownCountIsCappedByTheMaximumOnlyWhenOneIsSet) {
  struct Case {
    Integer Max, Count, Expected;
  };
  for (const Case& c : std::vector<Case>{{15, 40, 15}, {15, 15, 15}, {15, 3, 3}, {0, 40, 40}, {-5, 40, 40}}) {
    view->Filtering()->SetMaxDropDownCount(c.Max);
    EXPECT_EQ(view->Filtering()->GetDropDownCount(c.Count), c.Expected) << "max " << c.Max << ", count " << c.Count;
  }
}

TEST_F(TableViewTest, EachOptionChangeSubmitsItsKindOfChange) {
  struct Case {
    const char* Name;
    std::function<void()> Change;
    const char* Expected;
  };
  TcxCustomGridTableOptionsView* options = view->OptionsView();
  TcxCustomGridTableOptionsSelection* selection = view->OptionsSelection();
  const std::vector<Case> cases = {
      {"CellAutoHeight", [&] { options->SetCellAutoHeight(true); }, "size"},
      {"CellEndEllipsis", [&] { options->SetCellEndEllipsis(true); }, "layout"},
      {"CellTextMaxLineCount", [&] { options->SetCellTextMaxLineCount(3); }, "size"},
      {"HeaderAutoHeight", [&] { options->SetHeaderAutoHeight(true); }, "size"},
      {"HeaderEndEllipsis", [&] { options->SetHeaderEndEllipsis(true); }, "layout"},
      {"Navigator", [&] { options->SetNavigator(true); }, "size"},
      {"NavigatorOffset", [&] { options->SetNavigatorOffset(70); }, "size"},
      {"ShowEditButtons", [&] { options->SetShowEditButtons(gsebAlways); }, "layout"},
      {"HideFocusRect", [&] { selection->SetHideFocusRect(false); }, "layout"},
      {"HideSelection", [&] { selection->SetHideSelection(true); }, "layout"},
      {"InvertSelect", [&] { selection->SetInvertSelect(false); }, "layout"},
      {"Filtering.Visible", [&] { view->Filtering()->SetVisible(fvAlways); }, "layout"},
      {"Filtering.CustomizeDialog", [&] { view->Filtering()->SetCustomizeDialog(false); }, "layout"},
      {"Filtering.DropDownWidth", [&] { view->Filtering()->SetDropDownWidth(200); }, "none"},
      {"OptionsData.Appending", [&] { view->OptionsData()->SetAppending(true); }, "none"},
      // Setting what is already set submits nothing.
      {"CellAutoHeight again", [&] { options->SetCellAutoHeight(true); }, "none"},
      {"InvertSelect again", [&] { selection->SetInvertSelect(false); }, "none"},
  };
  for (const Case& c : cases) EXPECT_EQ(submitted(c.Change), c.Expected) << c.Name;
}

TEST_F(TableViewTest, AssignCopiesEveryOptionToAnotherView) {
  auto* other = New<TTestTableView>(form);
  view->Filtering()->SetMaxDropDownCount(7);
  view->Filtering()->SetVisible(fvNever);
  view->OptionsBehavior()->SetGoToNextCellOnEnter(true);
  view->OptionsBehavior()->SetDragFocusing(dfDragDrop);
  view->OptionsCustomize()->SetItemMoving(false);
  view->OptionsData()->SetDeletingConfirmation(false);
  view->OptionsSelection()->SetMultiSelect(true);
  view->OptionsSelection()->SetUnselectFocusedRecordOnExit(false);
  view->OptionsView()->SetNavigatorOffset(12);
  view->OptionsView()->SetShowEditButtons(gsebForFocusedRecord);

  other->Filtering()->Assign(view->Filtering());
  other->OptionsBehavior()->Assign(view->OptionsBehavior());
  other->OptionsCustomize()->Assign(view->OptionsCustomize());
  other->OptionsData()->Assign(view->OptionsData());
  other->OptionsSelection()->Assign(view->OptionsSelection());
  other->OptionsView()->Assign(view->OptionsView());

  EXPECT_EQ(other->Filtering()->MaxDropDownCount(), 7);
  EXPECT_EQ(other->Filtering()->Visible(), fvNever);
  EXPECT_TRUE(other->OptionsBehavior()->GoToNextCellOnEnter());
  EXPECT_EQ(other->OptionsBehavior()->DragFocusing(), dfDragDrop);
  EXPECT_FALSE(other->OptionsCustomize()->ItemMoving());
  EXPECT_FALSE(other->OptionsData()->DeletingConfirmation());
  EXPECT_TRUE(other->OptionsSelection()->MultiSelect());
  EXPECT_TRUE(other->DataController()->MultiSelect()) << "multi-select lives in the other view's data controller";
  EXPECT_FALSE(other->OptionsSelection()->UnselectFocusedRecordOnExit());
  EXPECT_EQ(other->OptionsView()->NavigatorOffset(), 12);
  EXPECT_EQ(other->OptionsView()->ShowEditButtons(), gsebForFocusedRecord);
}

TEST_F(TableViewTest, MultiSelectIsTheDataControllersAndSwitchingItOffClearsTheSelection) {
  fillPeople();
  view->OptionsSelection()->SetMultiSelect(true);
  EXPECT_TRUE(view->DataController()->MultiSelect());
  view->DataController()->ChangeRowSelection(1, true);
  view->DataController()->ChangeRowSelection(3, true);
  EXPECT_EQ(view->DataController()->GetSelectedCount(), 2);
  EXPECT_TRUE(view->ViewData()->Records(3)->Selected());

  view->OptionsSelection()->SetMultiSelect(false);
  EXPECT_FALSE(view->DataController()->MultiSelect());
  EXPECT_FALSE(view->ViewData()->Records(3)->Selected());
  EXPECT_FALSE(view->ViewData()->Records(1)->Selected());
}

TEST_F(TableViewTest, CellSelectOffLeavesNoFocusedItemAndOnFocusesTheFirstFocusableOne) {
  fillPeople();
  TcxCustomGridTableItem* nome = view->Items(0);
  TcxCustomGridTableItem* idade = view->Items(1);
  idade->SetFocused(true);
  ASSERT_EQ(view->Controller()->FocusedItem(), idade);

  view->OptionsSelection()->SetCellSelect(false);
  EXPECT_EQ(view->Controller()->FocusedItem(), nullptr);
  EXPECT_FALSE(nome->CanFocus()) << "no item can take the focus without cell selection";

  nome->Options()->SetFocusing(false);
  view->OptionsSelection()->SetCellSelect(true);
  EXPECT_EQ(view->Controller()->FocusedItem(), idade) << "the first item that can take the focus";
}

// ---------------------------------------------------------------------------------------
// Styles.

class TableViewStylesTest : public TableViewTest {
protected:
  void SetUp() override {
    TableViewTest::SetUp();
    fillPeople();
  }
  TcxStyle* style(TColor AColor) {
    auto* s = New<TcxStyle>(form);
    s->SetColor(AColor);
    return s;
  }
  TColor recordColor(Integer ARow, TcxCustomGridTableItem* AItem = nullptr) {
    TcxViewParams params;
    view->Styles()->GetContentParams(view->ViewData()->Records(ARow), AItem, params);
    return params.Color;
  }
};

TEST_F(TableViewStylesTest, DefaultsComeFromTheLookAndFeelPainter) {
  TcxCustomLookAndFeelPainterClass painter = view->LookAndFeelPainter();
  struct Case {
    Integer Index;
    TColor Color, TextColor;
  };
  const std::vector<Case> cases = {
      {vsContent, painter->GetContentColor(), painter->GetContentTextColor()},
      {vsContentEven, painter->GetContentColor(), painter->GetContentTextColor()},
      {vsContentOdd, painter->GetContentColor(), painter->GetContentTextColor()},
      {vsInactive, painter->GetInactiveColor(), painter->GetInactiveTextColor()},
      {vsIncSearch, clDefault, clDefault},
      {vsSelection, painter->GetSelectionColor(), painter->GetSelectionTextColor()},
  };
  for (const Case& c : cases) {
    TcxViewParams params;
    view->Styles()->GetVisualParams(c.Index, view->ViewData()->Records(0), nullptr, params);
    EXPECT_EQ(params.Color, c.Color) << "index " << c.Index;
    EXPECT_EQ(params.TextColor, c.TextColor) << "index " << c.Index;
  }
  EXPECT_EQ(painter->GetContentColor(), clWindow);
  EXPECT_EQ(painter->GetSelectionColor(), clHighlight);
}

TEST_F(TableViewStylesTest, OnlyTheParityStyleThatIsAssignedReplacesContent) {
  view->Styles()->SetContent(style(clYellow));
  view->Styles()->SetContentOdd(style(clAqua));
  EXPECT_EQ(recordColor(0), clYellow) << "row 0 is even and ContentEven is not assigned";
  EXPECT_EQ(recordColor(1), clAqua);
  EXPECT_EQ(recordColor(2), clYellow);

  view->Styles()->SetContentEven(style(clLime));
  EXPECT_EQ(recordColor(0), clLime);
  EXPECT_EQ(recordColor(3), clAqua);
}

TEST_F(TableViewStylesTest, TheContentStyleEventGoesOnTopAndTheItemsStylesComeFirst) {
  TcxStyle* odd = style(clAqua);
  TcxStyle* fromEvent = style(clRed);
  view->Styles()->SetContentOdd(odd);
  struct Handler : TObject {
    TcxStyle* Style;
    std::vector<Integer> Rows;
    void Get(TcxCustomGridTableView*, TcxCustomGridRecord* ARecord, TcxCustomGridTableItem*, TcxStyle*& AStyle) {
      Rows.push_back(ARecord->Index());
      if (ARecord->Index() == 3) AStyle = Style;
    }
  } handler;
  handler.Style = fromEvent;
  view->Styles()->SetOnGetContentStyle(TcxGridGetCellStyleEvent(&handler, &Handler::Get));
  EXPECT_EQ(recordColor(3), clRed);
  EXPECT_EQ(recordColor(1), clAqua);

  TcxCustomGridTableItem* nome = view->Items(0);
  nome->Styles()->SetContent(style(clFuchsia));
  EXPECT_EQ(recordColor(1, nome), clFuchsia) << "the item's own Content wins";
  EXPECT_EQ(recordColor(1, view->Items(1)), clAqua) << "an item without styles falls back to the record's";
  EXPECT_EQ(recordColor(3, view->Items(1)), clRed);
}

TEST_F(TableViewStylesTest, SelectionAndInactiveKeepTheRecordsFontButNotItsColour) {
  TObjectPtr<TFont> bigFont(New<TFont>());
  bigFont->SetSize(20);
  TcxStyle* content = style(clYellow);
  content->SetFont(bigFont.get());
  view->Styles()->SetContent(content);
  for (Integer index : {vsSelection, vsInactive}) {
    TcxViewParams params;
    view->Styles()->GetVisualParams(index, view->ViewData()->Records(0), nullptr, params);
    ASSERT_NE(params.Font, nullptr);
    EXPECT_EQ(params.Font->Size(), 20) << "index " << index;
    EXPECT_NE(params.Color, clYellow) << "index " << index;
  }
}

// ---------------------------------------------------------------------------------------
// Items and their identifiers.

TEST_F(TableViewTest, IdentifiersAreGivenInOrderAndOnlyTheLastOneIsReleased) {
  TcxCustomGridTableItem* a = view->CreateItem();
  TcxCustomGridTableItem* b = view->CreateItem();
  TcxCustomGridTableItem* c = view->CreateItem();
  EXPECT_EQ(a->ID(), 0);
  EXPECT_EQ(b->ID(), 1);
  EXPECT_EQ(c->ID(), 2);

  c->Free();
  EXPECT_EQ(view->CreateItem()->ID(), 2) << "removing the highest ID winds the counter back";
  b->Free();
  EXPECT_EQ(view->CreateItem()->ID(), 3) << "a lower ID is not reused";
  EXPECT_EQ(view->FindItemByID(3)->Index(), 2);
  EXPECT_EQ(view->FindItemByID(1), nullptr);
}

TEST_F(TableViewTest, ClearItemsFreesThemAndRestartsTheIdentifiers) {
  view->ClearItems();
  EXPECT_EQ(view->NextItemID(), 0);
  fillPeople();
  view->CreateItem();
  ASSERT_EQ(view->NextItemID(), 3);
  view->ClearItems();
  EXPECT_EQ(view->ItemCount(), 0);
  EXPECT_EQ(view->DataController()->GetItemCount(), 0);
  EXPECT_EQ(form->FindComponent("ViewNome"), nullptr) << "the items are freed, not only detached";
  EXPECT_EQ(view->CreateItem()->ID(), 0);
}

TEST_F(TableViewTest, MovingAnItemClampsTheIndexAndTheDataControllerFollows) {
  fillPeople();
  TcxCustomGridTableItem* extra = view->AddColumn("ViewExtra", TcxStringValueType::Instance());
  TcxCustomGridTableItem* nome = view->Items(0);
  view->DataController()->SetValue(0, 2, std::string("x"));

  view->ChangeItemIndex(extra, -4);
  EXPECT_EQ(extra->Index(), 0);
  EXPECT_EQ(nome->Index(), 1);
  EXPECT_EQ(view->VisibleItems(0), extra);
  EXPECT_EQ(extra->VisibleIndex(), 0);
  EXPECT_EQ(VarToStr(view->ViewData()->Records(0)->GetValue(extra->Index())), "x");
  EXPECT_EQ(VarToStr(view->ViewData()->Records(0)->GetValue(nome->Index())), "Ana");

  view->ChangeItemIndex(extra, 99);
  EXPECT_EQ(extra->Index(), 2);
  EXPECT_EQ(view->Items(2), extra);
  EXPECT_EQ(VarToStr(view->ViewData()->Records(0)->GetValue(2)), "x");
  for (Integer i = 0; i < view->ItemCount(); ++i) EXPECT_EQ(view->Items(i)->Index(), i);
}

TEST_F(TableViewTest, LookupsByIdAndNameAnswerNullWhenAbsent) {
  fillPeople();
  EXPECT_EQ(view->FindItemByName("ViewIdade"), view->Items(1));
  EXPECT_EQ(view->FindItemByName("viewidade"), nullptr) << "the name comparison is exact";
  EXPECT_EQ(view->FindItemByID(7), nullptr);
  EXPECT_EQ(view->IndexOfItem(nullptr), -1);
  EXPECT_EQ(view->DataController()->GetItemID(view->Items(1)), 1);
  EXPECT_EQ(view->DataController()->GetItemID(form), -1) << "an object that is no item has no ID";
}

TEST_F(TableViewTest, RenamingTheViewRenamesItemsThatCarryItsName) {
  TcxCustomGridTableItem* prefixed = view->AddColumn("ViewNome");
  TcxCustomGridTableItem* otherCase = view->AddColumn("viewIdade");
  TcxCustomGridTableItem* bare = view->CreateItem();
  TcxCustomGridTableItem* unrelated = view->AddColumn("Coluna");
  bare->SetName("ViewX");
  view->SetName("Grade");
  EXPECT_EQ(prefixed->Name(), "GradeNome");
  EXPECT_EQ(otherCase->Name(), "GradeIdade");
  EXPECT_EQ(bare->Name(), "GradeX");
  EXPECT_EQ(unrelated->Name(), "Coluna");
}

// ---------------------------------------------------------------------------------------
// Caption, width, visibility and focus.

TEST_F(TableViewTest, CaptionIsAssignedOnlyByADifferentText) {
  TcxCustomGridTableItem* item = view->CreateItem();
  EXPECT_EQ(item->Caption(), "");
  item->SetCaption("");
  EXPECT_FALSE(item->IsCaptionAssigned()) << "the text it already shows";
  EXPECT_EQ(submitted([&] { item->SetCaption("Nome"); }), "layout");
  EXPECT_TRUE(item->IsCaptionAssigned());
  EXPECT_EQ(item->Caption(), "Nome");
  std::string name;
  view->DataController()->GetItemDisplayName(0, name);
  EXPECT_EQ(name, "Nome");

  item->SetVisible(false);
  EXPECT_EQ(submitted([&] { item->SetCaption("Outro"); }), "none") << "a hidden, ungrouped item lays nothing out";
  item->RestoreDefaults();
  EXPECT_FALSE(item->IsCaptionAssigned());
  EXPECT_EQ(item->Caption(), "");
}

TEST_F(TableViewTest, WidthIsRaisedToTheMinimumAndTheMinimumRaisesTheWidth) {
  TcxCustomGridTableItem* item = view->CreateItem();
  EXPECT_EQ(item->Width(), 64) << "the base binding's default";
  EXPECT_FALSE(item->IsWidthAssigned());
  EXPECT_EQ(item->MinWidth(), 20);
  EXPECT_EQ(submitted([&] { item->SetWidth(5); }), "size");
  EXPECT_EQ(item->Width(), 20);
  EXPECT_TRUE(item->IsWidthAssigned());
  EXPECT_EQ(submitted([&] { item->SetWidth(20); }), "none");

  item->SetWidth(40);
  item->SetMinWidth(55);
  EXPECT_EQ(item->Width(), 55);
  item->SetMinWidth(-8);
  EXPECT_EQ(item->MinWidth(), 0);
  EXPECT_EQ(item->Width(), 55);

  item->ForceWidth(70);
  EXPECT_EQ(item->Width(), 70);
  EXPECT_FALSE(item->IsForcingWidth()) << "only while the width is being forced";
}

TEST_F(TableViewTest, HidingItemsKeepsTheVisibleListInIndexOrderAndMovesTheFocusOn) {
  fillPeople();
  TcxCustomGridTableItem* extra = view->AddColumn("ViewExtra");
  TcxCustomGridTableItem* nome = view->Items(0);
  TcxCustomGridTableItem* idade = view->Items(1);
  EXPECT_EQ(view->Controller()->FocusedItem(), nome) << "the first shown item takes the focus";

  EXPECT_EQ(submitted([&] { nome->SetVisible(false); }), "size");
  EXPECT_EQ(nome->VisibleIndex(), -1);
  ASSERT_EQ(view->VisibleItemCount(), 2);
  EXPECT_EQ(view->VisibleItems(0), idade);
  EXPECT_EQ(idade->VisibleIndex(), 0);
  EXPECT_EQ(extra->VisibleIndex(), 1);
  EXPECT_EQ(view->Controller()->FocusedItem(), idade) << "the focus moves to the next item";

  extra->SetFocused(true);
  extra->Options()->SetFocusing(false);
  EXPECT_EQ(view->Controller()->FocusedItem(), nullptr) << "no focusable item after the last one: none";

  nome->SetVisible(true);
  EXPECT_EQ(view->VisibleItems(0), nome);
  EXPECT_EQ(view->Controller()->FocusedItem(), nome) << "a shown item takes the focus when none has it";
}

TEST_F(TableViewTest, FocusedItemChangesReachTheEvent) {
  fillPeople();
  struct Log : TObject {
    std::vector<std::string> Entries;
    void Changed(TcxCustomGridTableView*, TcxCustomGridTableItem* APrev, TcxCustomGridTableItem* ANew) {
      Entries.push_back((APrev ? APrev->Name() : "-") + ">" + (ANew ? ANew->Name() : "-"));
    }
  } log;
  view->OnFocusedItemChanged = TcxGridFocusedItemChangedEvent(&log, &Log::Changed);
  view->Items(1)->SetFocused(true);
  view->Items(1)->SetFocused(false);
  ASSERT_EQ(log.Entries.size(), 2u);
  EXPECT_EQ(log.Entries[0], "ViewNome>ViewIdade");
  EXPECT_EQ(log.Entries[1], "ViewIdade>-") << "no item after the last: the focus goes";
}

TEST_F(TableViewTest, CustomizeOptionsAndItemOptionsGateMovingAndShowButtonsFollowsTheView) {
  fillPeople();
  TcxCustomGridTableItem* nome = view->Items(0);
  EXPECT_TRUE(nome->CanMove());
  EXPECT_TRUE(nome->CanMoveItem());
  view->Items(1)->SetVisible(false);
  EXPECT_FALSE(nome->CanMoveItem()) << "the only visible item";
  view->Items(1)->SetVisible(true);
  view->OptionsCustomize()->SetItemMoving(false);
  EXPECT_FALSE(nome->CanMove());
  view->OptionsCustomize()->SetItemMoving(true);
  nome->Options()->SetMoving(false);
  EXPECT_FALSE(nome->CanMove());

  struct Case {
    TcxGridItemShowEditButtons Item;
    TcxGridShowEditButtons View;
    bool Focused, Unfocused;
  };
  for (const Case& c : std::vector<Case>{{isebAlways, gsebNever, true, true},
                                         {isebNever, gsebAlways, false, false},
                                         {isebDefault, gsebAlways, true, true},
                                         {isebDefault, gsebForFocusedRecord, true, false},
                                         {isebDefault, gsebNever, false, false}}) {
    nome->Options()->SetShowEditButtons(c.Item);
    view->OptionsView()->SetShowEditButtons(c.View);
    EXPECT_EQ(nome->ShowButtons(true), c.Focused) << c.Item << "/" << c.View;
    EXPECT_EQ(nome->ShowButtons(false), c.Unfocused) << c.Item << "/" << c.View;
  }
}

// ---------------------------------------------------------------------------------------
// Sorting, grouping and filtering through the items.

TEST_F(TableViewTest, SortingAnItemReordersTheRecords) {
  fillPeople();
  TcxCustomGridTableItem* idade = view->Items(1);
  idade->SetSortOrder(soAscending);
  EXPECT_EQ(idade->SortOrder(), soAscending);
  EXPECT_EQ(idade->SortIndex(), 0);
  EXPECT_EQ(columnTexts(view, 0), "Eva,Carla,Ana,Bruno,Duarte");
  idade->SetSortOrder(soDescending);
  EXPECT_EQ(columnTexts(view, 0), "Duarte,Bruno,Ana,Carla,Eva");
  idade->SetSortOrder(soNone);
  EXPECT_EQ(idade->SortIndex(), -1);
  EXPECT_EQ(columnTexts(view, 0), "Ana,Bruno,Carla,Duarte,Eva");
}

TEST_F(TableViewTest, GroupingAnItemRemembersWhetherItWasVisible) {
  fillPeople({{"Ana", 30}, {"Bruno", 30}, {"Carla", 28}});
  TcxCustomGridTableItem* idade = view->Items(1);
  idade->SetVisible(false);
  idade->SetGroupIndex(0);
  EXPECT_EQ(idade->GroupIndex(), 0);
  EXPECT_FALSE(idade->WasVisibleBeforeGrouping());
  EXPECT_EQ(view->GroupedItemCount(), 1);
  EXPECT_EQ(view->GroupedItems(0), idade);
  EXPECT_EQ(view->ViewData()->RecordCount(), 2) << "two collapsed group rows";
  EXPECT_EQ(view->ViewData()->Records(0)->Level(), 0);
  idade->SetGroupIndex(-1);
  EXPECT_EQ(view->GroupedItemCount(), 0);
  EXPECT_EQ(view->ViewData()->RecordCount(), 3);
}

TEST_F(TableViewTest, FilterConditionsOfAnItem) {
  fillPeople();
  TcxCustomGridTableItem* nome = view->Items(0);
  TcxGridItemDataBinding* binding = nome->DataBinding();
  EXPECT_FALSE(binding->Filtered());
  binding->SetFiltered(true);
  EXPECT_TRUE(view->DataController()->Filter()->IsEmpty()) << "setting Filtered does not make a condition";

  TcxFilterCriteriaItem* first = binding->AddToFilter(nullptr, foEqual, std::string("Ana"));
  EXPECT_EQ(first->DisplayValue(), "Ana") << "the value's text when no display text is given";
  TcxFilterCriteriaItem* nullCondition = binding->AddToFilter(nullptr, foEqual, Null(), "", false);
  TcxFilterCriteria plain;
  TcxFilterCriteriaItem* direct = plain.AddItem(nullptr, nome, foEqual, Null(), "");
  EXPECT_EQ(nullCondition->DisplayValue(), direct->DisplayValue()) << "the binding adds no text of its own for Null";
  EXPECT_EQ(view->DataController()->Filter()->Root()->Count(), 2);

  struct Rewrite : TObject {
    void Get(TcxCustomGridTableItem*, const Variant&, std::string& AText) { AText = "<" + AText + ">"; }
  } rewrite;
  nome->SetOnGetFilterDisplayText(TcxGridGetFilterDisplayTextEvent(&rewrite, &Rewrite::Get));
  TcxFilterCriteriaItem* replaced = binding->AddToFilter(nullptr, foEqual, std::string("Eva"));
  EXPECT_EQ(replaced->DisplayValue(), "<Eva>");
  EXPECT_EQ(view->DataController()->Filter()->Root()->Count(), 1) << "replacing removes the item's other conditions";
  EXPECT_TRUE(binding->Filtered());

  view->DataController()->Filter()->SetActive(true);
  EXPECT_EQ(columnTexts(view, 0), "Eva");
  binding->SetFiltered(false);
  EXPECT_FALSE(binding->Filtered());
  EXPECT_EQ(columnTexts(view, 0), "Ana,Bruno,Carla,Duarte,Eva");
}

TEST_F(TableViewTest, ItemsThatCannotFilterLeaveTheFilterableList) {
  TcxCustomGridTableItem* item = view->CreateItem();
  item->SetPropertiesClass(TcxCustomEditProperties::StaticClass());
  bool filters = (item->PropertiesValue()->GetCapabilities() & esoFiltering) != 0;
  EXPECT_EQ(view->FilterableItemCount(), filters ? 1 : 0);
  item->Options()->SetFiltering(false);
  EXPECT_EQ(view->FilterableItemCount(), 0);
}

// ---------------------------------------------------------------------------------------
// Editor properties and the data binding.

TEST_F(TableViewTest, EffectivePropertiesComeFromTheRepositoryItemThenOwnPropertiesThenTheDefaultItem) {
  TcxCustomGridTableItem* item = view->CreateItem();
  TcxEditRepositoryItem* defaultItem =
      cxGetEditDataRegisteredRepositoryItems()->GetItemByValueType(item->DataBinding()->ValueTypeClass());
  ASSERT_NE(defaultItem, nullptr);
  EXPECT_EQ(item->PropertiesValue(), defaultItem->Properties()) << "no own properties: the value type's editor";
  item->DataBinding()->SetValueTypeClass(TcxBooleanValueType::Instance());
  ASSERT_NE(item->PropertiesValue(), nullptr);
  EXPECT_EQ(item->PropertiesValue()->ClassType(), TcxCheckBoxProperties::StaticClass())
      << "a new value type brings its own editor";
  item->SetPropertiesClass(TcxCustomEditProperties::StaticClass());
  ASSERT_NE(item->Properties(), nullptr);
  EXPECT_EQ(item->PropertiesValue(), item->Properties());
  EXPECT_EQ(item->PropertiesClassName(), "TcxCustomEditProperties");

  auto* repositoryItem = New<TcxEditRepositoryItem>(form);
  item->SetRepositoryItem(repositoryItem);
  EXPECT_EQ(item->PropertiesValue(), repositoryItem->Properties()) << "a repository item wins over own properties";
  EXPECT_EQ(repositoryItem->ListenerCount(), 1);

  repositoryItem->Free();
  EXPECT_EQ(item->RepositoryItem(), nullptr);
  EXPECT_EQ(item->PropertiesValue(), item->Properties()) << "back to the own properties";
  item->SetPropertiesClass(nullptr);
  EXPECT_EQ(item->Properties(), nullptr);
  EXPECT_EQ(item->PropertiesValue()->ClassType(), TcxCheckBoxProperties::StaticClass()) << "back to the default";
}

TEST_F(TableViewTest, GetPropertiesLetsTheEventReplaceThemAndAttachesTheDefaultsProvider) {
  TcxCustomGridTableItem* item = view->CreateItem();
  item->SetPropertiesClass(TcxCustomEditProperties::StaticClass());
  auto* repositoryItem = New<TcxEditRepositoryItem>(form);
  struct Swap : TObject {
    TcxCustomEditProperties* Other;
    void Get(TcxCustomGridTableItem*, TcxCustomGridRecord*, TcxCustomEditProperties*& AProperties) {
      AProperties = Other;
    }
  } swap;
  swap.Other = repositoryItem->Properties();
  TcxCustomEditProperties* own = item->GetProperties();
  EXPECT_EQ(own, item->Properties());
  EXPECT_EQ(own->DefaultValuesProvider(), item->DataBinding()->GetDefaultValuesProvider(own));
  item->SetOnGetProperties(TcxGridGetPropertiesEvent(&swap, &Swap::Get));
  EXPECT_EQ(item->GetProperties(), repositoryItem->Properties());
}

TEST_F(TableViewTest, TheBindingKeepsTheValueTypeInTheDataControllerAndLivesWithTheView) {
  TcxCustomGridTableItem* item = view->CreateItem();
  ASSERT_NE(item->DataBinding(), nullptr);
  EXPECT_EQ(item->DataBinding()->ClassType(), TcxGridItemDataBinding::StaticClass());
  item->DataBinding()->SetValueTypeClass(TcxIntegerValueType::Instance());
  EXPECT_EQ(view->DataController()->GetItemValueTypeClass(0), TcxIntegerValueType::Instance());
  EXPECT_EQ(item->DataBinding()->ValueTypeClass(), TcxIntegerValueType::Instance());

  auto* detached = New<TTestTableItem>(form);
  EXPECT_EQ(detached->DataBinding(), nullptr);
  EXPECT_EQ(detached->Index(), -1);
  detached->SetParentComponent(view);
  EXPECT_EQ(detached->Index(), 1);
  ASSERT_NE(detached->DataBinding(), nullptr);
  view->RemoveItem(detached);
  EXPECT_EQ(detached->DataBinding(), nullptr);
  EXPECT_EQ(detached->GridView(), nullptr);
  EXPECT_EQ(view->ItemCount(), 1);
  detached->Free();
}

TEST_F(TableViewTest, AnItemLeavingTheViewIsNoLongerTheIncrementalSearchItem) {
  TcxCustomGridTableItem* item = view->CreateItem();
  view->OptionsBehavior()->SetIncSearchItem(item);
  item->Free();
  EXPECT_EQ(view->OptionsBehavior()->IncSearchItem(), nullptr);
}

TEST_F(TableViewTest, DisplayTextGoesThroughTheItemsEvent) {
  fillPeople();
  struct Upper : TObject {
    void Get(TcxCustomGridTableItem*, TcxCustomGridRecord* ARecord, std::string& AText) {
      AText += "#" + std::to_string(ARecord->Index());
    }
  } upper;
  view->Items(0)->SetOnGetDisplayText(TcxGridGetDisplayTextEvent(&upper, &Upper::Get));
  EXPECT_EQ(columnTexts(view, 0), "Ana#0,Bruno#1,Carla#2,Duarte#3,Eva#4");
  EXPECT_EQ(columnTexts(view, 1), "30,45,28,52,19");
  EXPECT_TRUE(view->DataController()->GetItemSortByDisplayText(0, false)) << "an item with OnGetDisplayText";
  EXPECT_FALSE(view->DataController()->GetItemSortByDisplayText(1, false));
}

// ---------------------------------------------------------------------------------------
// Records and view data.

TEST_F(TableViewTest, RecordsAreMadeOnlyWhenAskedForAndReadTheirRow) {
  fillPeople();
  TcxCustomGridTableViewData* data = view->ViewData();
  ASSERT_EQ(data->RecordCount(), 5);
  EXPECT_FALSE(data->HasRecord(2));
  TcxCustomGridRecord* record = data->Records(2);
  EXPECT_TRUE(data->HasRecord(2));
  EXPECT_EQ(record->ClassType(), TTestDataRow::StaticClass());
  EXPECT_EQ(record->Index(), 2);
  EXPECT_EQ(record->RecordIndex(), 2);
  EXPECT_TRUE(record->IsData());
  EXPECT_FALSE(record->IsFirst());
  EXPECT_TRUE(data->Records(4)->IsLast());
  EXPECT_EQ(record->ValueCount(), 2);
  EXPECT_EQ(VarToStr(record->GetValue(1)), "28");
  EXPECT_EQ(data->Records(2), record) << "the same object on the next request";
  EXPECT_THROW(data->Records(5), EcxInvalidDataControllerOperation);
  EXPECT_EQ(data->GetRecordByIndex(5), nullptr);
  EXPECT_EQ(data->GetRecordByRecordIndex(3)->Index(), 3);
}

TEST_F(TableViewTest, RecordsFollowTheRowsThroughSortingFilteringInsertingAndDeleting) {
  fillPeople();
  view->Items(0)->SetSortOrder(soDescending);
  EXPECT_EQ(columnTexts(view, 0), "Eva,Duarte,Carla,Bruno,Ana");
  EXPECT_EQ(view->ViewData()->Records(0)->RecordIndex(), 4);

  view->Items(1)->DataBinding()->AddToFilter(nullptr, foGreater, 29);
  view->DataController()->Filter()->SetActive(true);
  EXPECT_EQ(columnTexts(view, 0), "Duarte,Bruno,Ana");

  TcxCustomDataController* dc = view->DataController();
  Integer added = dc->AppendRecord();
  dc->SetValue(added, 0, std::string("Fabio"));
  dc->SetValue(added, 1, 61);
  EXPECT_EQ(columnTexts(view, 0), "Fabio,Duarte,Bruno,Ana");
  Integer young = dc->AppendRecord();
  dc->SetValue(young, 0, std::string("Gil"));
  dc->SetValue(young, 1, 12);
  EXPECT_EQ(columnTexts(view, 0), "Fabio,Duarte,Bruno,Ana") << "filtered out";

  dc->DeleteRecord(1);  // Bruno
  EXPECT_EQ(columnTexts(view, 0), "Fabio,Duarte,Ana");
  EXPECT_EQ(view->ViewData()->RecordCount(), dc->GetRowCount());
}

TEST_F(TableViewTest, TheFocusedRecordIsTheDataControllersFocusedRowAndTheEventGetsBothRecords) {
  fillPeople();
  struct Log : TObject {
    std::string Text;
    void Changed(TcxCustomGridTableView*, TcxCustomGridRecord* APrev, TcxCustomGridRecord* ANew, bool) {
      Text += (APrev ? std::to_string(APrev->Index()) : "-") + ">" + (ANew ? std::to_string(ANew->Index()) : "-") + " ";
    }
  } log;
  view->OnFocusedRecordChanged = TcxGridFocusedRecordChangedEvent(&log, &Log::Changed);
  view->DataController()->ChangeFocusedRowIndex(0);
  view->ViewData()->Records(3)->SetFocused(true);
  EXPECT_EQ(view->Controller()->FocusedRecord(), view->ViewData()->Records(3));
  EXPECT_TRUE(view->ViewData()->Records(3)->Focused());
  EXPECT_FALSE(view->ViewData()->Records(0)->Focused());
  EXPECT_EQ(log.Text, "->0 0>3 ");
  EXPECT_EQ(view->DataController()->GetSelectionAnchorRowIndex(), 0) << "the anchor is set once";
}

TEST_F(TableViewTest, TheNewItemRecordExistsWhileTheRowIsEnabledAndFocusesThroughTheController) {
  fillPeople();
  TcxCustomGridTableViewData* data = view->ViewData();
  EXPECT_FALSE(data->HasNewItemRecord());
  view->DataController()->SetNewItemRowEnabled(true);
  data->CheckNewItemRecord();
  ASSERT_TRUE(data->HasNewItemRecord());
  TcxCustomGridRecord* newItem = data->NewItemRecord();
  EXPECT_EQ(newItem->ClassType(), TTestNewItemRow::StaticClass());
  EXPECT_EQ(newItem->Index(), -1);
  EXPECT_TRUE(newItem->IsNewItemRecord());
  EXPECT_FALSE(newItem->IsData());
  EXPECT_LT(newItem->RecordIndex(), 0) << "an internal record";
  EXPECT_EQ(data->GetRecordByKind(-1), newItem);

  newItem->SetSelected(true);
  EXPECT_TRUE(view->DataController()->IsNewItemRowFocused());
  EXPECT_TRUE(newItem->Selected());
  EXPECT_EQ(view->Controller()->FocusedRecord(), newItem);
  newItem->SetSelected(false);
  EXPECT_FALSE(view->DataController()->IsNewItemRowFocused());

  view->DataController()->SetNewItemRowEnabled(false);
  data->CheckNewItemRecord();
  EXPECT_FALSE(data->HasNewItemRecord());
}

TEST_F(TableViewTest, ASelectionNoticeWithoutRowsLaysOutOnceAndStillFiresTheEvent) {
  fillPeople();
  Integer fired = 0;
  struct Counter : TObject {
    Integer* Count;
    void Fired(TcxCustomGridTableView*) { ++*Count; }
  } counter;
  counter.Count = &fired;
  view->OnSelectionChanged = TcxGridCustomTableViewEvent(&counter, &Counter::Fired);
  TcxSelectionChangedInfo none;
  EXPECT_EQ(submitted([&] { view->DataControllerNotify(&none); }), "layout");
  EXPECT_EQ(layouts.Entries.size(), 1u);
  EXPECT_EQ(fired, 1);

  TcxSelectionChangedInfo rows(1, 3);
  EXPECT_EQ(submitted([&] { view->DataControllerNotify(&rows); }), "none") << "only those records are redrawn";
  EXPECT_EQ(fired, 2);
}

TEST_F(TableViewTest, CanSelectRecordAsksTheView) {
  fillPeople();
  struct Refuse : TObject {
    void Can(TcxCustomGridTableView*, TcxCustomGridRecord* ARecord, bool& AAllow) {
      AAllow = ARecord && ARecord->RecordIndex() != 2;
    }
  } refuse;
  view->OnCanSelectRecord = TcxGridCanSelectRecordEvent(&refuse, &Refuse::Can);
  EXPECT_TRUE(view->DataController()->CanSelectRecord(1));
  EXPECT_FALSE(view->DataController()->CanSelectRecord(2));
  view->OptionsSelection()->SetMultiSelect(true);
  view->DataController()->SelectAll();
  EXPECT_FALSE(view->ViewData()->Records(2)->Selected());
  EXPECT_TRUE(view->ViewData()->Records(1)->Selected());
}

TEST_F(TableViewTest, CopyingAViewCopiesItsItemsIdentifiersAndOptions) {
  fillPeople();
  view->Items(1)->SetCaption("Idade");
  view->Items(1)->SetWidth(33);
  view->OptionsData()->SetInserting(false);
  auto* copy = New<TTestTableView>(form);
  copy->Assign(view);
  ASSERT_EQ(copy->ItemCount(), 2);
  EXPECT_EQ(copy->Items(1)->ID(), 1);
  EXPECT_EQ(copy->Items(1)->Caption(), "Idade");
  EXPECT_EQ(copy->Items(1)->Width(), 33);
  EXPECT_EQ(copy->NextItemID(), view->NextItemID());
  EXPECT_FALSE(copy->OptionsData()->Inserting());
}

}  // namespace
