// The record view's controller driven by real keys on a table view: moving the focus over
// records and cells (arrows, Home/End, Ctrl+Home/End, Page keys) to the last of a few
// thousand records, selecting records with keys, incremental search, inserting, cancelling
// and deleting with the confirmation question, on an unbound data controller and on files
// (a SQLite table that takes the deletion, an Access file that refuses it).
#include <memory>
#include <string>

#include "ControllerTestSupport.h"
#include "TableViewTestSupport.h"
#include "platform/data/ADODB.h"
#include "platform/data/DataTestSupport.h"

using namespace controllertest;
using namespace guitest;

namespace {

class TableControllerTest : public TableControllerFixture {};

// ---------------------------------------------------------------------------------------
// Record and cell navigation.

TEST_F(TableControllerTest, ArrowAndHomeEndKeysReachTheLastOfThreeThousandRecords) {
  fillMany(3000);
  showFocused();
  ASSERT_EQ(focusedRow(), 0);
  ASSERT_EQ(focusedItemName(), "GradeNome");

  pressKey(VK_DOWN);
  pressKey(VK_DOWN);
  EXPECT_EQ(focusedRow(), 2);
  pressKey(VK_UP);
  EXPECT_EQ(focusedRow(), 1);

  pressWith({VK_CONTROL}, VK_END);
  EXPECT_EQ(focusedRow(), 2999) << "Ctrl+End: the last record";
  EXPECT_EQ(valueAt(focusedRow(), 0), "P2999");
  EXPECT_EQ(focusedItemName(), "GradeNome") << "the focused cell stays";
  pressKey(VK_DOWN);
  EXPECT_EQ(focusedRow(), 2999) << "Down on the last record stays there";

  pressWith({VK_CONTROL}, VK_HOME);
  EXPECT_EQ(focusedRow(), 0) << "Ctrl+Home: the first record";
  pressKey(VK_UP);
  EXPECT_EQ(focusedRow(), 0);

  // With cells focused, Home and End move within the record.
  pressKey(VK_END);
  EXPECT_EQ(focusedItemName(), "GradeCidade");
  EXPECT_EQ(focusedRow(), 0);
  pressKey(VK_HOME);
  EXPECT_EQ(focusedItemName(), "GradeNome");

  // Without cell focusing they move over the records.
  view->OptionsSelection()->SetCellSelect(false);
  pressKey(VK_END);
  EXPECT_EQ(focusedRow(), 2999);
  pressKey(VK_HOME);
  EXPECT_EQ(focusedRow(), 0);
}

TEST_F(TableControllerTest, PageDownReachesTheLastRecordAndPageUpTheFirst) {
  fillMany(2500);
  showFocused();
  Integer previous = focusedRow();
  Integer presses = 0;
  while (focusedRow() != 2499 && presses < 2500) {
    pressKey(VK_NEXT);
    ++presses;
    ASSERT_GT(focusedRow(), previous) << "every Page Down moves the focus on";
    previous = focusedRow();
  }
  EXPECT_EQ(focusedRow(), 2499);
  EXPECT_LE(controller()->TopRecordIndex(), 2499);
  pressKey(VK_NEXT);
  EXPECT_EQ(focusedRow(), 2499) << "Page Down on the last record stays";
  while (focusedRow() != 0 && presses-- > 0) pressKey(VK_PRIOR);
  EXPECT_EQ(focusedRow(), 0);
  EXPECT_EQ(controller()->TopRecordIndex(), 0);
}

TEST_F(TableControllerTest, LeftAndRightMoveOverTheCellsAndWrapOnlyWithFocusCellOnCycle) {
  fillPeople();
  showFocused();
  pressKey(VK_RIGHT);
  EXPECT_EQ(focusedItemName(), "GradeIdade");
  pressKey(VK_RIGHT);
  pressKey(VK_RIGHT);
  EXPECT_EQ(focusedItemName(), "GradeCidade");
  EXPECT_EQ(focusedRow(), 0) << "the last cell does not wrap";
  pressKey(VK_LEFT);
  EXPECT_EQ(focusedItemName(), "GradeIdade");

  view->OptionsBehavior()->SetFocusCellOnCycle(true);
  pressKey(VK_RIGHT);
  pressKey(VK_RIGHT);
  EXPECT_EQ(focusedRow(), 1) << "past the last cell: the next record";
  EXPECT_EQ(focusedItemName(), "GradeNome");
  pressKey(VK_LEFT);
  EXPECT_EQ(focusedRow(), 0);
  EXPECT_EQ(focusedItemName(), "GradeCidade");

  // A hidden item is skipped.
  idade->SetVisible(false);
  pressKey(VK_LEFT);
  EXPECT_EQ(focusedItemName(), "GradeNome");
}

TEST_F(TableControllerTest, EnterAndTabMoveToTheNextCellOnlyWhenTheirOptionsAreOn) {
  fillPeople();
  showFocused();
  view->OptionsData()->SetEditing(false);  // Enter would open the editor otherwise
  pressKey(VK_RETURN);
  pressKey(VK_TAB);
  EXPECT_EQ(focusedItemName(), "GradeNome");

  view->OptionsBehavior()->SetGoToNextCellOnEnter(true);
  view->OptionsBehavior()->SetFocusCellOnTab(true);
  pressKey(VK_RETURN);
  EXPECT_EQ(focusedItemName(), "GradeIdade");
  pressKey(VK_TAB);
  EXPECT_EQ(focusedItemName(), "GradeCidade");
  pressKey(VK_RETURN);
  EXPECT_EQ(focusedItemName(), "GradeCidade") << "no wrap without FocusCellOnCycle";
  EXPECT_EQ(focusedRow(), 0);
  pressKey(VK_TAB, true);
  EXPECT_EQ(focusedItemName(), "GradeIdade") << "Shift+Tab goes back";

  view->OptionsBehavior()->SetFocusCellOnCycle(true);
  pressKey(VK_TAB);
  pressKey(VK_TAB);
  EXPECT_EQ(focusedRow(), 1);
  EXPECT_EQ(focusedItemName(), "GradeNome");
}

TEST_F(TableControllerTest, TabOnTheLastCellOfTheLastRecordAppendsWhenAppendingIsOn) {
  fillPeople();
  showFocused();
  view->OptionsData()->SetEditing(false);
  view->OptionsBehavior()->SetFocusCellOnTab(true);
  view->OptionsBehavior()->SetFocusCellOnCycle(true);
  pressWith({VK_CONTROL}, VK_END);
  pressKey(VK_END);
  ASSERT_EQ(focusedRow(), 4);
  pressKey(VK_TAB);
  EXPECT_EQ(view->ViewData()->RecordCount(), 5) << "appending is off";
  EXPECT_FALSE(view->DataController()->IsEditing());

  view->OptionsData()->SetAppending(true);
  pressKey(VK_TAB);
  EXPECT_EQ(view->ViewData()->RecordCount(), 6);
  EXPECT_TRUE(view->DataController()->GetEditState() & dceInsert);
  pressKey(VK_ESCAPE);
  EXPECT_EQ(view->ViewData()->RecordCount(), 5) << "Esc cancels the unchanged new record";
}

// ---------------------------------------------------------------------------------------
// Selection by keys.

TEST_F(TableControllerTest, ShiftArrowsSelectARangeCtrlArrowsKeepItAndCtrlSpaceToggles) {
  fillPeople();
  view->OptionsSelection()->SetMultiSelect(true);
  showFocused();
  pressKey(VK_DOWN);
  EXPECT_EQ(selectedRows(), "1") << "a plain move selects the focused record only";
  pressKey(VK_DOWN, true);
  pressKey(VK_DOWN, true);
  EXPECT_EQ(selectedRows(), "1,2,3") << "Shift extends from the anchor";
  pressKey(VK_UP, true);
  EXPECT_EQ(selectedRows(), "1,2");

  pressWith({VK_CONTROL}, VK_DOWN);
  pressWith({VK_CONTROL}, VK_DOWN);
  EXPECT_EQ(focusedRow(), 4);
  EXPECT_EQ(selectedRows(), "1,2") << "Ctrl moves the focus without touching the selection";
  pressWith({VK_CONTROL}, VK_SPACE);
  EXPECT_EQ(selectedRows(), "1,2,4");
  pressWith({VK_CONTROL}, VK_SPACE);
  EXPECT_EQ(selectedRows(), "1,2");

  pressWith({VK_CONTROL}, 'A');
  EXPECT_EQ(selectedRows(), "0,1,2,3,4");
  pressKey(VK_UP);
  EXPECT_EQ(selectedRows(), "3");
  pressWith({VK_SHIFT}, 'A');
  EXPECT_EQ(selectedRows(), "3") << "Ctrl+A only with exactly Ctrl";
}

TEST_F(TableControllerTest, AClickFocusesTheClickedRecordAndCellAndSelectsOnlyIt) {
  fillPeople();
  view->OptionsSelection()->SetMultiSelect(true);
  view->OptionsData()->SetEditing(false);
  showFocused();
  clickCell(2, idade);
  EXPECT_EQ(focusedRow(), 2);
  EXPECT_EQ(focusedItemName(), "GradeIdade");
  EXPECT_EQ(selectedRows(), "2");
  clickCell(4, cidade);
  EXPECT_EQ(focusedRow(), 4);
  EXPECT_EQ(focusedItemName(), "GradeCidade");
  EXPECT_EQ(selectedRows(), "4") << "a plain click selects the clicked record only";
}

TEST_F(TableControllerTest, PageDownFirstGoesToTheLastShownRecordThenScrollsAPage) {
  fillMany(200);
  view->OptionsView()->SetDataRowHeight(20);
  showFocused();
  pumpFor(30);
  Integer shown = controller()->VisibleRecordCount();
  ASSERT_GT(shown, 3);
  ASSERT_LT(shown, 200);
  pressKey(VK_NEXT);
  EXPECT_EQ(focusedRow(), shown - 1) << "the last shown record";
  EXPECT_EQ(controller()->TopRecordIndex(), 0) << "without scrolling";
  // The table view pages so that the old last row stays in view, as the new top row.
  pressKey(VK_NEXT);
  EXPECT_EQ(controller()->TopRecordIndex(), shown - 1);
  EXPECT_EQ(focusedRow(), 2 * shown - 2);
  pressKey(VK_PRIOR);
  EXPECT_EQ(focusedRow(), shown - 1) << "Page Up first goes to the top record";
  pressWith({VK_CONTROL}, VK_END);
  EXPECT_EQ(focusedRow(), 199);
  EXPECT_EQ(controller()->TopRecordIndex(), 200 - shown) << "the last record is shown at the bottom";
}

// ---------------------------------------------------------------------------------------
// Incremental search.

TEST_F(TableControllerTest, TypingSearchesTheFocusedColumnAndBackspaceCtrlDownAndEscControlTheSearch) {
  fill({{"Ana", 1}, {"Bruno", 2}, {"Carla", 3}, {"Beatriz", 4}, {"Carlos", 5}, {"carolina", 6}});
  view->OptionsBehavior()->SetIncSearch(true);
  showFocused();
  ASSERT_TRUE(nome->CanIncSearch());
  typeText("car");
  EXPECT_EQ(focusedRow(), 2);
  EXPECT_TRUE(controller()->IsIncSearching());
  EXPECT_EQ(controller()->IncSearchingText(), "car");
  EXPECT_FALSE(editing()->IsEditing()) << "the typed letters do not open the editor";
  typeText("lo");
  EXPECT_EQ(focusedRow(), 4) << "the next record that begins with the longer text";
  typeText("x");
  EXPECT_EQ(controller()->IncSearchingText(), "carlo") << "a text nothing begins with is not taken";
  EXPECT_EQ(focusedRow(), 4);

  pressKey(VK_BACK);
  pressKey(VK_BACK);
  EXPECT_EQ(controller()->IncSearchingText(), "car");
  pressWith({VK_CONTROL}, VK_DOWN);
  EXPECT_EQ(focusedRow(), 5) << "Ctrl+Down: the next match, regardless of case";
  pressWith({VK_CONTROL}, VK_UP);
  pressWith({VK_CONTROL}, VK_UP);
  EXPECT_EQ(focusedRow(), 2);

  pressKey(VK_ESCAPE);
  EXPECT_FALSE(controller()->IsIncSearching());
  EXPECT_EQ(controller()->IncSearchingText(), "");
  EXPECT_EQ(focusedRow(), 2);

  // Moving to another cell ends the search, and a column that may not be searched is not.
  typeText("b");
  EXPECT_EQ(focusedRow(), 3);
  pressKey(VK_RIGHT);
  EXPECT_FALSE(controller()->IsIncSearching());
  view->OptionsBehavior()->SetIncSearch(false);
  pressKey(VK_LEFT);
  pressWith({VK_CONTROL}, VK_HOME);
  view->OptionsData()->SetEditing(false);
  typeText("c");
  EXPECT_EQ(focusedRow(), 0);
  EXPECT_FALSE(controller()->IsIncSearching());
}

// ---------------------------------------------------------------------------------------
// Inserting and deleting.

TEST_F(TableControllerTest, InsertMakesANewRecordOnlyWithoutModifiersAndEscCancelsIt) {
  fillPeople();
  showFocused();
  pressKey(VK_DOWN);
  pressKey(VK_INSERT, true);
  EXPECT_FALSE(view->DataController()->IsEditing()) << "Shift+Ins does nothing";
  pressKey(VK_INSERT);
  EXPECT_TRUE(view->DataController()->GetEditState() & dceInsert);
  EXPECT_EQ(view->ViewData()->RecordCount(), 6);
  pressKey(VK_ESCAPE);
  EXPECT_FALSE(view->DataController()->IsEditing());
  EXPECT_EQ(view->ViewData()->RecordCount(), 5);
  pressKey(VK_ESCAPE);
  EXPECT_EQ(view->ViewData()->RecordCount(), 5) << "Esc with nothing edited does nothing";

  view->OptionsData()->SetInserting(false);
  pressKey(VK_INSERT);
  EXPECT_FALSE(view->DataController()->IsEditing());
}

TEST_F(TableControllerTest, DeleteAsksTheRightQuestionForEachModifierAndSelection) {
  struct Case {
    const char* Name;
    std::initializer_list<WORD> Modifiers;
    bool Deletes;
  };
  const Case cases[] = {{"Del", {}, true}, {"Ctrl+Del", {VK_CONTROL}, true}, {"Shift+Del", {VK_SHIFT}, false},
                        {"Alt+Del", {VK_MENU}, false}};
  fillPeople();
  showFocused();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Integer count = view->ViewData()->RecordCount();
    boxes().Clear();
    boxes().SetAnswer(IDOK);
    pressWith(c.Modifiers, VK_DELETE);
    if (!c.Deletes) {
      EXPECT_TRUE(boxes().Calls().empty());
      EXPECT_EQ(view->ViewData()->RecordCount(), count);
      continue;
    }
    ASSERT_EQ(boxes().Calls().size(), 1u);
    EXPECT_EQ(boxes().Calls()[0].Text, "Excluir registro?");
    EXPECT_EQ(boxes().Calls()[0].Caption, "Confirma");
    EXPECT_EQ(boxes().Calls()[0].Flags, 33);
    EXPECT_EQ(view->ViewData()->RecordCount(), count - 1);
  }
  EXPECT_EQ(valueAt(0, 0), "Carla") << "the focused record went each time";
  expectBoxes();
}

TEST_F(TableControllerTest, CancelKeepsTheRecordsAndTwoSelectedRecordsGoTogether) {
  fillPeople();
  view->OptionsSelection()->SetMultiSelect(true);
  showFocused();
  boxes().SetAnswer(IDCANCEL);
  pressKey(VK_DELETE);
  ASSERT_EQ(boxes().Calls().size(), 1u);
  EXPECT_EQ(view->ViewData()->RecordCount(), 5) << "Cancel deletes nothing";

  pressKey(VK_DOWN);
  pressKey(VK_DOWN, true);
  boxes().Clear();
  boxes().SetAnswer(IDOK);
  pressKey(VK_DELETE);
  ASSERT_EQ(boxes().Calls().size(), 1u);
  EXPECT_EQ(boxes().Calls()[0].Text, "Excluir todos os registros selecionados?");
  EXPECT_EQ(boxes().Calls()[0].Caption, "Confirma");
  EXPECT_EQ(columnTextsOf(0), "Ana,Carlos,Eva");

  // One selected record that is not the focused one counts as several.
  pressKey(VK_UP);
  pressKey(VK_UP);
  pressWith({VK_CONTROL}, VK_DOWN);
  ASSERT_EQ(selectedRows(), "0");
  ASSERT_EQ(focusedRow(), 1);
  boxes().Clear();
  pressKey(VK_DELETE);
  ASSERT_EQ(boxes().Calls().size(), 1u);
  EXPECT_EQ(boxes().Calls()[0].Text, "Excluir todos os registros selecionados?");
  EXPECT_EQ(columnTextsOf(0), "Carlos,Eva");

  view->OptionsData()->SetDeletingConfirmation(false);
  boxes().Clear();
  pressKey(VK_DELETE);
  EXPECT_TRUE(boxes().Calls().empty()) << "no question without DeletingConfirmation";
  EXPECT_EQ(view->ViewData()->RecordCount(), 1);
  view->OptionsData()->SetDeleting(false);
  pressKey(VK_DELETE);
  EXPECT_EQ(view->ViewData()->RecordCount(), 1) << "Deleting off: Del does nothing";
  expectBoxes();
}

// ---------------------------------------------------------------------------------------
// Files: a SQLite table takes the deletion, the Access file refuses it.

class FileTableControllerTest : public TableControllerTest {
protected:
  void SetUp() override {
    TableControllerTest::SetUp();
    view->ClearItems();
    // The data-set bound controller replaces the unbound one.
    dbView = New<tabletest::TTestDBTableView>(form);
    dbView->SetName("GradeDB");
    dbView->SetControl(grid);
    level->SetGridView(dbView);
    source = std::make_unique<TDataSource>(nullptr);
  }
  void TearDown() override {
    // The views and their controllers go with the form, before the data set they follow.
    TableControllerTest::TearDown();
    source.reset();
    q.reset();
    con.reset();
  }
  void openQuery(const std::string& APath, const std::string& ASql, const std::string& AKey) {
    con = std::make_unique<TADOConnection>(nullptr);
    con->SetConnectionString(datatest::ConnectionStringFor(APath));
    q = std::make_unique<TADOQuery>(nullptr);
    q->SetName("Q");
    q->SetConnection(con.get());
    q->SQL()->SetText(ASql);
    source->SetDataSet(q.get());
    dbView->DBDataController()->SetDataSource(source.get());
    dbView->DBDataController()->SetKeyFieldNames(AKey);
    q->Open();
    dbView->ClearItems();
    dbView->DBDataController()->CreateItemsForAllFields();
    showAndActivate(form);
    dbView->Site()->SetFocus();
    pumpFor(30);
  }
  std::string column(Integer AItem) { return tabletest::columnTexts(dbView, AItem); }

  datatest::FormatGuard formats;
  tabletest::TTestDBTableView* dbView = nullptr;
  std::unique_ptr<TDataSource> source;
  std::unique_ptr<TADOConnection> con;
  std::unique_ptr<TADOQuery> q;
};

TEST_F(FileTableControllerTest, ConfirmedDeletionRemovesTheRowFromTheSqliteFile) {
  std::string dir = datatest::MakeTempDir();
  std::string path = dir + "\\pessoas.db";
  {
    native::OpenOptions options;
    options.create = true;
    native::JetDatabase db(datatest::UnixPath(path), options);
    db.execute("create table Pessoas (Id INTEGER PRIMARY KEY, Nome " +
               native::jetTypeDeclaration(native::JetType::Text, 30) + ")");
    db.execute("insert into Pessoas values (1, 'Ana'), (2, 'Bruno'), (3, 'Carla')");
  }
  openQuery(path, "select * from Pessoas order by Id", "Id");
  dbView->Controller()->SetFocusedRecordIndex(1);
  boxes().SetAnswer(IDCANCEL);
  pressKey(VK_DELETE);
  EXPECT_EQ(column(1), "Ana,Bruno,Carla");
  boxes().SetAnswer(IDOK);
  pressKey(VK_DELETE);
  EXPECT_EQ(boxes().Calls().size(), 2u);
  EXPECT_EQ(column(1), "Ana,Carla");
  q->Close();
  con.reset();
  {
    native::JetDatabase db(datatest::UnixPath(path));
    native::QueryResult r = db.query("select group_concat(Nome, ',') from (select Nome from Pessoas order by Id)");
    EXPECT_EQ(r.at(0, 0).bytes(), "Ana,Carla") << "the row is gone from the file";
  }
  expectBoxes();
  datatest::RemoveTree(dir);
}

TEST_F(FileTableControllerTest, DeletingFromTheAccessFileIsRefusedWithTheDataLayersMessage) {
  openQuery(DataFilePath("nwind.mdb"),
            "select OrderID, ShipCity from Orders where OrderID <= 10250 order by OrderID", "OrderID");
  ASSERT_EQ(column(0), "10248,10249,10250");
  boxes().SetAnswer(IDOK);
  pressKey(VK_DELETE);
  pumpFor(30);
  ASSERT_EQ(boxes().Calls().size(), 2u) << "the question, then the refusal";
  EXPECT_EQ(boxes().Calls()[0].Text, "Excluir registro?");
  EXPECT_NE(boxes().Calls()[1].Text.find("read-only"), std::string::npos) << boxes().Calls()[1].Text;
  EXPECT_EQ(column(0), "10248,10249,10250");
  expectBoxes();
}

}  // namespace
