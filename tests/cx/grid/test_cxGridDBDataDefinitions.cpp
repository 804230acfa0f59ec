// A record view bound to a data set: one item per field of a real table (nwind's orders)
// after ClearItems, the items' default captions and widths from their fields, and the view's
// records following a SQLite table through inserting, posting, cancelling and deleting.
#include <memory>
#include <string>

#include "GridTestSupport.h"
#include "TableViewTestSupport.h"
#include "platform/data/ADODB.h"
#include "platform/data/DataTestSupport.h"
#include "platform/gui/GuiTestSupport.h"

using namespace datatest;
using namespace gridtest;
using namespace guitest;
using namespace tabletest;

namespace {

class DBTableViewTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    form = TForm::CreateNew(nullptr);
    form->SetBounds(100, 100, 400, 300);
    grid = New<TcxGrid>(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 200);
    view = New<TTestDBTableView>(form);
    view->SetName("Grade");
    view->SetControl(grid);
    auto* level = New<TcxGridLevel>(form);
    level->SetParentComponent(grid);
    level->SetGridView(view);
    form->Show();
    source = std::make_unique<TDataSource>(nullptr);
  }
  void TearDown() override {
    // The view and its controller go with the form, before the data set they follow.
    form->Free();
    form = nullptr;
    source.reset();
    q.reset();
    con.reset();
    GuiTest::TearDown();
  }
  void openQuery(const std::string& APath, const std::string& ASql) {
    con = std::make_unique<TADOConnection>(nullptr);
    con->SetConnectionString(ConnectionStringFor(APath));
    q = std::make_unique<TADOQuery>(nullptr);
    q->SetName("Q");
    q->SetConnection(con.get());
    q->SQL()->SetText(ASql);
    source->SetDataSet(q.get());
    view->DBDataController()->SetDataSource(source.get());
    q->Open();
  }
  // Clears the view's items and makes one per field of the open data set.
  void itemsForAllFields() {
    view->ClearItems();
    view->DBDataController()->CreateItemsForAllFields();
  }
  TcxGridItemDBDataBinding* binding(Integer AIndex) {
    return static_cast<TcxGridItemDBDataBinding*>(view->Items(AIndex)->DataBinding());
  }

  FormatGuard formats;
  TForm* form = nullptr;
  TcxGrid* grid = nullptr;
  TTestDBTableView* view = nullptr;
  std::unique_ptr<TDataSource> source;
  std::unique_ptr<TADOConnection> con;
  std::unique_ptr<TADOQuery> q;
};

TEST_F(DBTableViewTest, WithoutADataSetNoItemsAreMade) {
  view->DBDataController()->CreateItemsForAllFields();
  EXPECT_EQ(view->ItemCount(), 0);
}

TEST_F(DBTableViewTest, OneItemPerFieldOfTheOrdersTableInFieldOrderAfterClearItems) {
  view->CreateItem();
  view->CreateItem();
  openQuery(DataFilePath("nwind.mdb"), "select * from Orders order by OrderID");
  itemsForAllFields();
  TFields* fields = q->Fields();
  ASSERT_GT(fields->Count(), 5);
  ASSERT_EQ(view->ItemCount(), fields->Count()) << "the earlier items are gone";
  for (Integer i = 0; i < fields->Count(); ++i) {
    TField* field = fields->Fields(i);
    SCOPED_TRACE(field->FieldName());
    EXPECT_EQ(view->Items(i)->ID(), i) << "identifiers start again at 0";
    EXPECT_EQ(binding(i)->FieldName(), field->FieldName());
    EXPECT_EQ(binding(i)->Field(), field);
    EXPECT_EQ(view->DBDataController()->GetItemFieldName(i), field->FieldName());
    EXPECT_EQ(view->Items(i)->Caption(), field->DisplayName());
    EXPECT_EQ(view->Items(i)->Visible(), field->Visible());
    EXPECT_EQ(binding(i)->ClassType(), TcxGridItemDBDataBinding::StaticClass());
  }

  TcxCustomGridTableViewData* data = view->ViewData();
  ASSERT_EQ(data->RecordCount(), q->RecordCount());
  Integer orderId = fields->IndexOf(q->FieldByName("OrderID"));
  Integer shipCity = fields->IndexOf(q->FieldByName("ShipCity"));
  EXPECT_EQ(data->Records(0)->GetDisplayText(orderId), "10248");
  EXPECT_EQ(data->Records(0)->GetDisplayText(shipCity), "Reims");
  EXPECT_EQ(data->Records(2)->GetDisplayText(shipCity), "Rio de Janeiro");
  EXPECT_EQ(VarToStr(data->Records(data->RecordCount() - 1)->GetValue(orderId)), "11077");
}

TEST_F(DBTableViewTest, HiddenFieldsGiveHiddenItems) {
  openQuery(DataFilePath("nwind.mdb"), "select OrderID, CustomerID, ShipCity from Orders");
  q->FieldByName("CustomerID")->SetVisible(false);
  itemsForAllFields();
  ASSERT_EQ(view->ItemCount(), 3);
  EXPECT_FALSE(view->Items(1)->Visible());
  EXPECT_EQ(view->VisibleItemCount(), 2);
  EXPECT_EQ(view->VisibleItems(1), view->Items(2));
}

TEST_F(DBTableViewTest, DefaultCaptionAndWidthComeFromTheField) {
  openQuery(DataFilePath("nwind.mdb"), "select OrderID, ShipCity from Orders");
  q->FieldByName("ShipCity")->SetDisplayLabel("Cidade");
  itemsForAllFields();
  TField* city = q->FieldByName("ShipCity");
  EXPECT_EQ(view->Items(1)->Caption(), "Cidade");

  TcxViewParams params;
  view->Styles()->GetContentParams(nullptr, view->Items(1), params);
  TcxScreenCanvas canvas;
  if (params.Font) canvas.SetFont(params.Font);
  Integer expected = canvas.TextWidth("0") * city->DisplayWidth() + 4;
  ASSERT_GT(expected, 20);
  EXPECT_EQ(view->Items(1)->Width(), expected);

  city->SetDisplayWidth(1);
  EXPECT_EQ(view->Items(1)->Width(), view->Items(1)->MinWidth()) << "raised to the minimum width";

  binding(1)->SetFieldName("NoSuchField");
  EXPECT_EQ(view->Items(1)->Caption(), "NoSuchField") << "the field name when no field is found";
  EXPECT_EQ(view->Items(1)->Width(), 64);
}

// A SQLite file of five people.
class DBTableViewPeopleTest : public DBTableViewTest {
protected:
  void SetUp() override {
    DBTableViewTest::SetUp();
    dir = MakeTempDir();
    path = dir + "\\pessoas.db";
    WritePeopleFile(path);
  }
  void TearDown() override {
    DBTableViewTest::TearDown();
    RemoveTree(dir);
  }
  std::string stored(const std::string& sql) {
    native::JetDatabase db(UnixPath(path));
    native::QueryResult r = db.query(sql);
    return r.rowCount() ? r.at(0, 0).bytes() : std::string();
  }
  std::string dir, path;
};

TEST_F(DBTableViewPeopleTest, RecordsFollowTheFileThroughInsertingPostingCancellingAndDeleting) {
  openQuery(path, "select * from Pessoas order by Id");
  view->DBDataController()->SetKeyFieldNames("Id");
  itemsForAllFields();
  TcxCustomDataController* dc = view->DataController();
  ASSERT_EQ(columnTexts(view, 1), "Ana,Bruno,Carla,Duarte,Eva");

  dc->Append();
  ASSERT_EQ(view->ViewData()->RecordCount(), 6) << "the data set's new record is a record of the view";
  view->Items(1)->SetEditValue(Variant(std::string("Fábio")));
  view->Items(2)->SetEditValue(Variant(33));
  Variant edited;
  view->Items(1)->GetEditValue(edited);
  EXPECT_EQ(VarToStr(edited), "Fábio");
  dc->Post();
  EXPECT_EQ(stored("select Nome || ' ' || Idade from Pessoas where Id = 6"), "Fábio 33");
  EXPECT_EQ(columnTexts(view, 1), "Ana,Bruno,Carla,Duarte,Eva,Fábio");
  EXPECT_EQ(view->Controller()->FocusedRecord()->GetDisplayText(0), "6");

  dc->ChangeFocusedRowIndex(1);
  dc->Insert();
  EXPECT_EQ(view->ViewData()->RecordCount(), 7);
  dc->Cancel();
  EXPECT_EQ(columnTexts(view, 1), "Ana,Bruno,Carla,Duarte,Eva,Fábio");

  view->Items(2)->SetSortOrder(soAscending);
  EXPECT_EQ(columnTexts(view, 1), "Eva,Carla,Ana,Fábio,Bruno,Duarte");
  view->ViewData()->Records(1)->SetFocused(true);
  EXPECT_EQ(q->FieldByName("Nome")->AsString(), "Carla") << "focusing a record moves the data set";
  dc->DeleteFocused();
  EXPECT_EQ(stored("select group_concat(Nome) from Pessoas"), "Ana,Bruno,Duarte,Eva,Fábio");
  EXPECT_EQ(columnTexts(view, 1), "Eva,Ana,Fábio,Bruno,Duarte");
  EXPECT_EQ(view->ViewData()->RecordCount(), 5);
}

TEST_F(DBTableViewPeopleTest, AnItemMovedInTheViewKeepsItsField) {
  openQuery(path, "select * from Pessoas order by Id");
  itemsForAllFields();
  TcxCustomGridTableItem* nome = view->Items(1);
  view->ChangeItemIndex(nome, 0);
  EXPECT_EQ(binding(0)->FieldName(), "Nome");
  EXPECT_EQ(binding(1)->FieldName(), "Id");
  EXPECT_EQ(columnTexts(view, 0), "Ana,Bruno,Carla,Duarte,Eva");
  EXPECT_EQ(columnTexts(view, 1), "1,2,3,4,5");
}

}  // namespace
