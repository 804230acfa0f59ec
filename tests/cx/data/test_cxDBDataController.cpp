// The data-set data controller over real tables: a SQLite file each test builds (writable:
// posted edits reach the file) and the Access file nwind.mdb (read-only: edits are refused).
// Records follow the data set through opening, scrolling, editing, posting, cancelling,
// inserting, deleting and reloading; focus follows the data set and back.
#include <memory>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/data/cxDBData.h"
#include "platform/data/ADODB.h"
#include "platform/data/DataTestSupport.h"
#include "platform/rtl/Scoped.h"
#include "platform/rtl/SysUtils.h"

using namespace datatest;

namespace {

class TColumn : public TObject {
  RTL_DECLARE_CLASS(TColumn, TObject)
public:
  TColumn() = default;
};
RTL_IMPLEMENT_CLASS(TColumn)

// A view's controller with one item per column it is given.
class TTestDBController : public TcxDBDataController {
  RTL_DECLARE_CLASS(TTestDBController, TcxDBDataController)
public:
  explicit TTestDBController(TComponent* AOwner) : TcxDBDataController(AOwner) {}
  TObject* GetItem(Integer AItemIndex) override { return FItems.at(static_cast<size_t>(AItemIndex)).get(); }

  Integer AddColumn(const std::string& AFieldName) {
    FItems.emplace_back(New<TColumn>());
    AddItem(FItems.back().get());
    Integer index = static_cast<Integer>(FItems.size()) - 1;
    ChangeFieldName(index, AFieldName);
    return index;
  }
  std::string RowText(Integer ARowIndex, Integer AItemIndex) {
    Variant v;
    GetRowValue(ARowIndex, AItemIndex, v);
    return VarToStr(v);
  }
  // The item's values in row order, joined by ','.
  std::string Column(Integer AItemIndex) {
    std::string s;
    for (Integer row = 0; row < GetRowCount(); ++row) s += (row ? "," : "") + RowText(row, AItemIndex);
    return s;
  }
  std::string Focused(Integer AItemIndex) {
    Integer row = GetFocusedRowIndex();
    return row < 0 ? "<none>" : RowText(row, AItemIndex);
  }

  // The item whose editor edits a lookup key, as a lookup column's editor does.
  Integer KeyEditedItem = -1;
  TcxDataEditValueSource CanInitEditingItem(Integer AItemIndex) override {
    return AItemIndex == KeyEditedItem ? TcxDataEditValueSource::Key : TcxDataEditValueSource::Text;
  }

  // The items whose editor the view was asked to focus; it can focus those below FocusableCount.
  std::vector<Integer> FocusRequests;
  Integer FocusableCount = 0;
  bool FocusItemControl(Integer AItemIndex) override {
    FocusRequests.push_back(AItemIndex);
    return AItemIndex < FocusableCount;
  }

  std::vector<TObjectPtr<TColumn>> FItems;
};
RTL_IMPLEMENT_CLASS(TTestDBController)

using Controller = TObjectPtr<TTestDBController>;

// A SQLite file of five people, opened through a query and a data source.
class PeopleFile : public ::testing::Test {
protected:
  void SetUp() override {
    dir = MakeTempDir();
    path = dir + "\\pessoas.db";
    WritePeopleFile(path);
    con = std::make_unique<TADOConnection>(nullptr);
    con->SetConnectionString(ConnectionStringFor(path));
    q = std::make_unique<TADOQuery>(nullptr);
    q->SetName("Q");
    q->SetConnection(con.get());
    q->SQL()->SetText("select * from Pessoas");
    source = std::make_unique<TDataSource>(nullptr);
    source->SetDataSet(q.get());
  }
  void TearDown() override {
    source.reset();
    q.reset();
    con.reset();
    RemoveTree(dir);
  }

  // A controller showing Id, Nome and Idade (items 0, 1, 2), keyed on Id or not.
  template <class C = TTestDBController> TObjectPtr<C> controller(bool AKeyed) {
    TObjectPtr<C> dc(New<C>(nullptr));
    dc->AddColumn("Id");
    dc->AddColumn("Nome");
    dc->AddColumn("Idade");
    if (AKeyed) dc->SetKeyFieldNames("Id");
    dc->SetDataSource(source.get());
    return dc;
  }
  // What the file holds now, read by a connection of its own.
  std::string stored(const std::string& sql) {
    native::JetDatabase db(UnixPath(path));
    native::QueryResult r = db.query(sql);
    std::string s;
    for (size_t row = 0; row < r.rowCount(); ++row) {
      const native::Value& v = r.at(row, 0);
      std::string text = v.kind() == native::Value::Kind::Integer ? std::to_string(v.integerValue()) : v.bytes();
      s += (row ? "," : "") + text;
    }
    return s;
  }
  void execute(const std::string& sql) {
    native::JetDatabase db(UnixPath(path));
    db.execute(sql);
  }
  std::string current() { return q->FieldByName("Nome")->AsString(); }

  FormatGuard formats;
  std::string dir, path;
  std::unique_ptr<TADOConnection> con;
  std::unique_ptr<TADOQuery> q;
  std::unique_ptr<TDataSource> source;
};

const char* modeName(bool AKeyed) { return AKeyed ? "keyed" : "by position"; }

}  // namespace

TEST_F(PeopleFile, OpeningLoadsEveryRecordAndClosingUnlinksTheItems) {
  for (bool keyed : {true, false}) {
    SCOPED_TRACE(modeName(keyed));
    Controller dc = controller(keyed);
    EXPECT_EQ(dc->GetRecordCount(), 0);
    q->Open();
    EXPECT_EQ(dc->Column(1), "Ana,Bruno,Carla,Duarte,Eva");
    EXPECT_EQ(dc->Column(2), "30,45,28,52,19");
    ASSERT_NE(dc->GetItemField(1), nullptr);
    EXPECT_EQ(dc->GetItemField(1)->FieldName(), "Nome");
    EXPECT_EQ(dc->GetItemValueTypeClass(2), TcxSmallintValueType::Instance()) << "the field's type, not the item's";
    EXPECT_EQ(dc->GetFocusedRowIndex(), 0) << "the data set stands on its first record";
    EXPECT_EQ(dc->GetDataSetRecordCount(), 5);
    q->Close();
    EXPECT_EQ(dc->GetRecordCount(), 0);
    EXPECT_EQ(dc->GetRowCount(), 0);
    EXPECT_EQ(dc->GetItemField(1), nullptr) << "the data set's own fields went with it";
    q->Open();
    ASSERT_NE(dc->GetItemField(1), nullptr) << "relinked by name";
    EXPECT_EQ(dc->Column(1), "Ana,Bruno,Carla,Duarte,Eva");
    q->Close();
  }
}

TEST_F(PeopleFile, FocusFollowsTheDataSetAndTheDataSetFollowsTheFocus) {
  for (bool keyed : {true, false}) {
    SCOPED_TRACE(modeName(keyed));
    Controller dc = controller(keyed);
    q->Open();
    q->Next();
    q->Next();
    EXPECT_EQ(dc->Focused(1), "Carla");
    dc->ChangeFocusedRowIndex(4);
    EXPECT_EQ(current(), "Eva");
    dc->GotoPrev();
    EXPECT_EQ(current(), "Duarte");
    // Rows sorted by the controller: the data set goes to the row's record, not its place.
    dc->ChangeSortOrder(2, soDescending);
    EXPECT_EQ(dc->Column(1), "Duarte,Bruno,Ana,Carla,Eva");
    EXPECT_EQ(dc->Focused(1), "Duarte") << "sorting keeps the focused record";
    dc->ChangeFocusedRowIndex(3);
    EXPECT_EQ(current(), "Carla");
    q->First();
    EXPECT_EQ(dc->GetFocusedRowIndex(), 2);
    EXPECT_EQ(dc->Focused(1), "Ana");
    q->Last();
    EXPECT_EQ(dc->Focused(1), "Eva");
    EXPECT_TRUE(dc->LocateByKey(Variant(2)) || !keyed);
    if (keyed) {
      EXPECT_EQ(current(), "Bruno");
      // The data set always stands on a record: a key it lacks moves nothing.
      EXPECT_FALSE(dc->LocateByKey(Variant(99)));
      EXPECT_EQ(dc->Focused(1), "Bruno");
      EXPECT_EQ(current(), "Bruno");
    }
    q->Close();
  }
}

TEST_F(PeopleFile, EditsPostedThroughTheControllerReachTheFile) {
  for (bool keyed : {true, false}) {
    SCOPED_TRACE(modeName(keyed));
    Controller dc = controller(keyed);
    q->Open();
    dc->ChangeFocusedRowIndex(1);
    ASSERT_TRUE(dc->SetEditValue(1, Variant(std::string("Bruno Alves")), TcxDataEditValueSource::Value));
    ASSERT_TRUE(dc->SetEditValue(2, Variant(std::string("46")), TcxDataEditValueSource::Text));
    EXPECT_EQ(q->State(), dsEdit);
    EXPECT_EQ(dc->GetEditState() & (dceEdit | dceModified), dceEdit | dceModified);
    EXPECT_EQ(dc->Focused(1), "Bruno Alves") << "the editing record shows the data set's record";
    EXPECT_EQ(stored("select Nome from Pessoas where Id = 2"), keyed ? "Bruno" : "Bruno Alves");
    dc->Post();
    EXPECT_EQ(q->State(), dsBrowse);
    EXPECT_FALSE(dc->IsEditing());
    EXPECT_EQ(stored("select Nome || ' ' || Idade from Pessoas where Id = 2"), "Bruno Alves 46");
    EXPECT_EQ(dc->GetRecordCount(), 5);
    EXPECT_EQ(dc->Focused(1), "Bruno Alves") << "the posted record keeps the focus";
    EXPECT_EQ(dc->Focused(2), "46");
    q->Close();
  }
}

TEST_F(PeopleFile, CancelPutsTheRecordBackAndWritesNothing) {
  Controller dc = controller(true);
  q->Open();
  dc->ChangeFocusedRowIndex(2);
  dc->SetEditValue(1, Variant(std::string("Outra")), TcxDataEditValueSource::Value);
  EXPECT_EQ(dc->Focused(1), "Outra");
  dc->Cancel();
  EXPECT_EQ(q->State(), dsBrowse);
  EXPECT_EQ(dc->Focused(1), "Carla");
  EXPECT_EQ(dc->Column(1), "Ana,Bruno,Carla,Duarte,Eva");
  EXPECT_EQ(stored("select Nome from Pessoas where Id = 3"), "Carla");
}

TEST_F(PeopleFile, InsertedAppendedAndDeletedRecordsFollowTheFile) {
  for (bool keyed : {true, false}) {
    SCOPED_TRACE(modeName(keyed));
    execute("delete from Pessoas where Id > 5");
    Controller dc = controller(keyed);
    q->Open();
    dc->Append();
    EXPECT_EQ(q->State(), dsInsert);
    ASSERT_EQ(dc->GetRecordCount(), 6) << "the data set's new record is the controller's editing record";
    EXPECT_EQ(dc->GetFocusedRowIndex(), 5);
    EXPECT_EQ(dc->GetEditState() & dceInsert, dceInsert);
    dc->SetEditValue(1, Variant(std::string("Fábio")), TcxDataEditValueSource::Value);
    dc->SetEditValue(2, Variant(33), TcxDataEditValueSource::Value);
    EXPECT_EQ(dc->Focused(1), "Fábio");
    dc->Post();
    EXPECT_EQ(stored("select Nome || ' ' || Idade from Pessoas where Id = 6"), "Fábio 33");
    EXPECT_EQ(dc->Column(1), "Ana,Bruno,Carla,Duarte,Eva,Fábio");
    EXPECT_EQ(dc->Focused(0), "6") << "the new record, with the key the file gave it";

    // An insertion that is cancelled leaves nothing behind.
    dc->ChangeFocusedRowIndex(1);
    dc->Insert();
    EXPECT_EQ(dc->GetRecordCount(), 7);
    EXPECT_EQ(dc->GetFocusedRowIndex(), 1) << "inserted at the focused row";
    dc->Cancel();
    EXPECT_EQ(dc->Column(1), "Ana,Bruno,Carla,Duarte,Eva,Fábio");
    EXPECT_EQ(stored("select count(*) from Pessoas"), "6");

    dc->ChangeFocusedRowIndex(2);
    dc->DeleteFocused();
    EXPECT_EQ(stored("select group_concat(Nome) from Pessoas"), "Ana,Bruno,Duarte,Eva,Fábio");
    EXPECT_EQ(dc->Column(1), "Ana,Bruno,Duarte,Eva,Fábio");
    EXPECT_EQ(dc->Focused(1), current()) << "the focus stays with the data set's record";
    EXPECT_EQ(current(), "Duarte");
    execute("insert into Pessoas values (3, 'Carla', 28)");
    q->Close();
  }
}

TEST_F(PeopleFile, FocusAndBookmarkSurviveReloads) {
  Controller dc = controller(true);
  q->Open();
  dc->ChangeFocusedRowIndex(2);
  dc->SaveBookmark();
  dc->ChangeFocusedRowIndex(3);
  // A reload of the controller's own (the fields' layout changed) keeps the focused record.
  q->FieldByName("Nome")->SetDisplayLabel("Pessoa");
  EXPECT_EQ(dc->Focused(1), "Duarte");
  // Another program removes the first person and the data set reads the file again, keeping
  // its place: the records move up one, and the focus shows the data set's record.
  execute("delete from Pessoas where Id = 1");
  execute("insert into Pessoas values (9, 'Zeca', 70)");
  q->Refresh();
  EXPECT_EQ(dc->Column(1), "Bruno,Carla,Duarte,Eva,Zeca");
  EXPECT_EQ(dc->Focused(1), current());
  ASSERT_TRUE(dc->IsBookmarkAvailable());
  dc->GotoBookmark();
  EXPECT_EQ(dc->Focused(1), "Carla") << "the bookmark names the record, not the place";
  EXPECT_EQ(current(), "Carla");
  // A bookmarked record that is gone takes the bookmark with it.
  dc->ChangeFocusedRowIndex(0);
  execute("delete from Pessoas where Id = 3");
  q->Refresh();
  EXPECT_FALSE(dc->IsBookmarkAvailable());
  EXPECT_EQ(dc->Focused(1), "Bruno");
}

TEST_F(PeopleFile, TwoViewsOnOneDataSetFollowEachOther) {
  Controller first = controller(true);
  Controller second = controller(true);
  q->Open();
  EXPECT_EQ(second->Column(1), "Ana,Bruno,Carla,Duarte,Eva");
  first->ChangeFocusedRowIndex(3);
  EXPECT_EQ(second->Focused(1), "Duarte");
  first->SetEditValue(1, Variant(std::string("Duarte Lima")), TcxDataEditValueSource::Value);
  first->Post();
  EXPECT_EQ(second->Column(1), "Ana,Bruno,Carla,Duarte Lima,Eva");
  EXPECT_EQ(second->Focused(1), "Duarte Lima");
  second.reset();
  first->ChangeFocusedRowIndex(0);
  EXPECT_EQ(current(), "Ana") << "the remaining view goes on alone";
  // A view made like the first one (a detail clone, a copy) takes its source and settings.
  first->DataModeController()->SetSmartRefresh(true);
  Controller copy(New<TTestDBController>(nullptr));
  copy->AddColumn("Nome");
  copy->Assign(first.get());
  EXPECT_EQ(copy->DataSource(), source.get());
  EXPECT_EQ(copy->KeyFieldNames(), "Id");
  EXPECT_TRUE(copy->DataModeController()->SmartRefresh());
  EXPECT_EQ(copy->Column(0), "Ana,Bruno,Carla,Duarte Lima,Eva");
}

// Reading the records again while the user edits one would cancel the edit (the reading
// locks the data set's notifications, which ends any edit). The reading waits for the edit.
TEST_F(PeopleFile, ALayoutChangeDuringAnEditKeepsTheEdit) {
  for (bool smart : {false, true}) {
    SCOPED_TRACE(smart ? "smart refresh" : "full reloads");
    execute("update Pessoas set Nome = 'Eva' where Id = 5");
    Controller dc = controller(true);
    dc->DataModeController()->SetSmartRefresh(smart);
    q->Open();
    dc->ChangeFocusedRowIndex(4);
    dc->SetEditValue(1, Variant(std::string("Eva Luz")), TcxDataEditValueSource::Value);
    // A value only the controller holds shows whether the records were read again.
    dc->DataStorage()->SetValue(0, dc->Fields()->Items(1)->ValueDef(), Variant(std::string("poked")));
    q->FieldByName("Idade")->SetDisplayLabel(smart ? "Anos" : "Idade (anos)");
    EXPECT_EQ(q->State(), dsEdit) << "the edit goes on";
    EXPECT_EQ(current(), "Eva Luz");
    dc->Post();
    EXPECT_EQ(stored("select Nome from Pessoas where Id = 5"), "Eva Luz");
    EXPECT_EQ(dc->Column(1), "Ana,Bruno,Carla,Duarte,Eva Luz") << "the waiting read ran after the post";
    EXPECT_EQ(dc->Focused(1), "Eva Luz");
    q->Close();
  }
}

// --- A failure while putting the data set's position back after a reload.

namespace {

// Raises a database error on the data set's next scroll once armed.
class TScrollFailure : public TObject {
  RTL_DECLARE_CLASS(TScrollFailure, TObject)
public:
  TScrollFailure() = default;
  bool armed = false;
  bool fail = false;
  void BeforeScroll(TDataSet* ADataSet) {
    if (armed && fail) DatabaseError("the record could not be reached", ADataSet);
  }
};
RTL_IMPLEMENT_CLASS(TScrollFailure)

TScrollFailure* gScrollFailure = nullptr;

// Arms the failure for exactly the putting back of the position.
class TRestoreFailingProvider : public TcxDBDataProvider {
  RTL_DECLARE_CLASS(TRestoreFailingProvider, TcxDBDataProvider)
public:
  explicit TRestoreFailingProvider(TcxCustomDataController* ADataController) : TcxDBDataProvider(ADataController) {}
  void RestorePosition() override {
    gScrollFailure->armed = true;
    ScopeExit disarm([] { gScrollFailure->armed = false; });
    TcxDBDataProvider::RestorePosition();
  }
};
RTL_IMPLEMENT_CLASS(TRestoreFailingProvider)

class TRestoreFailingController : public TTestDBController {
  RTL_DECLARE_CLASS(TRestoreFailingController, TTestDBController)
public:
  explicit TRestoreFailingController(TComponent* AOwner) : TTestDBController(AOwner) {}
  TClass GetDataProviderClass() override { return TRestoreFailingProvider::StaticClass(); }
};
RTL_IMPLEMENT_CLASS(TRestoreFailingController)

}  // namespace

TEST_F(PeopleFile, AFailureToRestoreThePositionIsReportedAfterTheRecordsAreRead) {
  TScrollFailure failure;
  gScrollFailure = &failure;
  ScopeExit forget([] { gScrollFailure = nullptr; });
  q->SetBeforeScroll(TDataSetNotifyEvent(&failure, &TScrollFailure::BeforeScroll));
  auto dc = controller<TRestoreFailingController>(true);
  q->Open();
  dc->ChangeFocusedRowIndex(2);
  failure.fail = true;
  execute("insert into Pessoas values (6, 'Fábio', 33)");
  std::string message = RaisedMessage<EDatabaseError>([&] { q->Refresh(); });
  EXPECT_EQ(message, "Q: the record could not be reached") << "the failure reaches the caller";
  EXPECT_EQ(dc->Column(1), "Ana,Bruno,Carla,Duarte,Eva,Fábio") << "every record was read all the same";
  EXPECT_FALSE(q->ControlsDisabled());
  EXPECT_EQ(dc->Provider()->LockCount(), 0);
  EXPECT_EQ(dc->Focused(1), current()) << "the focus shows where the data set really is";
  // The next reload, with nothing failing, is an ordinary one.
  failure.fail = false;
  dc->ChangeFocusedRowIndex(1);
  q->Refresh();
  EXPECT_EQ(dc->Focused(1), "Bruno");
  EXPECT_EQ(current(), "Bruno");
}

// --- The read-only Access file.

TEST(cxDBDataControllerAccess, EditsOfAnAccessFileAreRefusedWithTheDataLayersMessage) {
  FormatGuard formats;
  TADOConnection con(nullptr);
  con.SetConnectionString(ConnectionStringFor(DataFilePath("nwind.mdb")));
  TADOQuery q(nullptr);
  q.SetName("Q");
  q.SetConnection(&con);
  q.SQL()->SetText("select OrderID, CustomerID, ShipCity from Orders where OrderID <= 10252 order by OrderID");
  TDataSource source(nullptr);
  source.SetDataSet(&q);
  Controller dc(New<TTestDBController>(nullptr));
  dc->AddColumn("OrderID");
  dc->AddColumn("CustomerID");
  dc->AddColumn("ShipCity");
  dc->SetKeyFieldNames("OrderID");
  dc->SetDataSource(&source);
  q.Open();
  EXPECT_EQ(dc->Column(0), "10248,10249,10250,10251,10252");
  EXPECT_EQ(dc->Column(2), "Reims,Münster,Rio de Janeiro,Lyon,Charleroi");
  dc->ChangeFocusedRowIndex(1);
  ASSERT_TRUE(dc->SetEditValue(2, Variant(std::string("Elsewhere")), TcxDataEditValueSource::Value));
  EXPECT_EQ(dc->Focused(2), "Elsewhere");
  std::string message = RaisedMessage<EADOError>([&] { dc->Post(); });
  EXPECT_NE(message.find("read-only"), std::string::npos) << message;
  EXPECT_EQ(message.rfind("Q: ", 0), 0u) << message;
  EXPECT_EQ(q.State(), dsBrowse);
  EXPECT_FALSE(dc->IsEditing());
  EXPECT_EQ(dc->Column(2), "Reims,Münster,Rio de Janeiro,Lyon,Charleroi") << "the refused value is gone";
  EXPECT_EQ(dc->Focused(0), "10249");
  EXPECT_FALSE(RaisedMessage<EADOError>([&] { dc->DeleteFocused(); }).empty());
  EXPECT_EQ(dc->GetRecordCount(), 5);
  dc->Append();
  dc->SetEditValue(1, Variant(std::string("NEWCO")), TcxDataEditValueSource::Value);
  EXPECT_NE(RaisedMessage<EDatabaseError>([&] { dc->Post(); }).find("read-only"), std::string::npos);
  EXPECT_EQ(dc->Column(0), "10248,10249,10250,10251,10252");
}

// --- User text in a data set's filter.

namespace {
// Conditions on the people's names, as a filter row would make them from typed text.
class TNameCriteria : public TcxFilterCriteria {
  RTL_DECLARE_CLASS(TNameCriteria, TcxFilterCriteria)
public:
  TNameCriteria() = default;
  std::string GetItemLinkName(TcxFilterCriteriaItem*, bool) override { return "Nome"; }
};
RTL_IMPLEMENT_CLASS(TNameCriteria)
}  // namespace

// Typed text reaches the data set's filter as a quoted value: it can match a name holding a
// quote and cannot add conditions of its own.
TEST_F(PeopleFile, TypedTextInTheDataSetsFilterStaysOneValue) {
  execute("insert into Pessoas values (6, 'O''Neil', 40)");
  Controller dc = controller(true);
  q->Open();
  struct Case {
    std::string typed;
    std::string rows;
  } cases[] = {
      {"O'Neil", "O'Neil"},
      {"x' or Nome <> 'x", ""},
      {"Ana' or '1' = '1", ""},
      {"Eva", "Eva"},
  };
  for (const Case& c : cases) {
    TNameCriteria criteria;
    criteria.AddItem(nullptr, nullptr, foEqual, Variant(c.typed), c.typed);
    q->SetFilter(criteria.GetFilterText());
    q->SetFiltered(true);
    EXPECT_EQ(dc->Column(1), c.rows) << c.typed << " -> " << q->Filter();
  }
  q->SetFiltered(false);
  EXPECT_EQ(dc->GetRecordCount(), 6);
}

// --- Key fields, lookup fields and a data set changed behind disabled controls.

TEST_F(PeopleFile, SeveralKeyFieldsMakeOneKeyOfAnArray) {
  Controller dc = controller(false);
  dc->SetKeyFieldNames("Id; Nome");
  q->Open();
  Variant key = dc->GetRecordKeyValue(2);
  ASSERT_TRUE(VarIsArray(key));
  EXPECT_EQ(key[0].AsInteger(), 3);
  EXPECT_EQ(key[1].AsString(), "Carla");
  Variant wanted = VarArrayCreate({0, 1}, varVariant);
  wanted[0] = Variant(4);
  wanted[1] = Variant(std::string("Duarte"));
  EXPECT_EQ(dc->FindRecordIndexByKey(wanted), 3);
  wanted[1] = Variant(std::string("Eva"));
  EXPECT_EQ(dc->FindRecordIndexByKey(wanted), -1) << "every key field must match";
  EXPECT_EQ(dc->FindRecordIndexByKey(Variant(4)), -1) << "a single value is no key of two fields";
  q->Last();
  EXPECT_EQ(dc->Focused(1), "Eva");
  dc->ChangeFocusedRowIndex(1);
  EXPECT_EQ(current(), "Bruno");
  // Dropping the key: the data set is followed by position.
  dc->SetKeyFieldNames("");
  EXPECT_FALSE(dc->HasKeyFields());
  dc->ChangeFocusedRowIndex(3);
  EXPECT_EQ(current(), "Duarte");
}

// The main window's stored key names a field most users' tables do not have: such a key
// cannot locate records, so the focus must follow by position instead of staying put.
TEST_F(PeopleFile, AKeyNamingAMissingFieldFallsBackToPositions) {
  for (const char* names : {"ID_", "Id; ID_"}) {
    SCOPED_TRACE(names);
    Controller dc = controller(false);
    dc->SetKeyFieldNames(names);
    q->Open();
    EXPECT_FALSE(dc->HasKeyFields());
    dc->ChangeFocusedRowIndex(3);
    EXPECT_EQ(dc->GetFocusedRowIndex(), 3);
    EXPECT_EQ(current(), "Duarte");
    dc->GotoNext();
    EXPECT_EQ(current(), "Eva");
    q->First();
    EXPECT_EQ(dc->Focused(1), "Ana") << "the data set's moves reach the focus too";
    q->Close();
  }
}

TEST_F(PeopleFile, ADataSetReopenedBehindDisabledControlsIsReadAnew) {
  Controller dc = controller(true);
  q->Open();
  q->DisableControls();
  q->Close();
  q->SQL()->SetText("select Id, Nome from Pessoas where Idade > 29");
  q->Open();
  EXPECT_EQ(dc->Column(1), "Ana,Bruno,Carla,Duarte,Eva") << "nothing is read while the controls are disabled";
  q->EnableControls();
  EXPECT_EQ(dc->Column(1), "Ana,Bruno,Duarte");
  EXPECT_EQ(dc->GetItemField(1), q->FieldByName("Nome")) << "linked to the new data set's field";
  EXPECT_EQ(dc->GetItemField(2), nullptr) << "Idade is no longer there";
  EXPECT_EQ(dc->Column(2), ",,");
}

TEST(cxDBDataControllerLookup, ALookupItemIsEditedThroughItsKeyFields) {
  FormatGuard formats;
  TTestDataSet cities;
  cities.AddColumn("ID", ftInteger);
  cities.AddColumn("Name", ftString, 20);
  cities.AddRow({Variant(10), Variant(std::string("Lisboa"))});
  cities.AddRow({Variant(20), Variant(std::string("Porto"))});
  cities.Open();
  TTestDataSet people;
  people.AddColumn("ID", ftInteger);
  people.AddColumn("CityID", ftInteger);
  people.AddRow({Variant(1), Variant(10)});
  people.AddRow({Variant(2), Variant(20)});
  for (const char* name : {"ID", "CityID"}) {
    auto* field = New<TIntegerField>(&people);
    field->SetFieldName(name);
    field->SetDataSet(&people);
  }
  auto* city = New<TStringField>(&people);
  city->SetFieldName("City");
  city->SetSize(20);
  city->SetFieldKind(fkLookup);
  city->SetKeyFields("CityID");
  city->SetLookupDataSet(&cities);
  city->SetLookupKeyFields("ID");
  city->SetLookupResultField("Name");
  city->SetDataSet(&people);
  TDataSource source(nullptr);
  source.SetDataSet(&people);
  Controller dc(New<TTestDBController>(nullptr));
  dc->AddColumn("ID");
  Integer item = dc->AddColumn("City");
  dc->KeyEditedItem = item;
  dc->SetKeyFieldNames("ID");
  dc->SetDataSource(&source);
  people.Open();
  EXPECT_EQ(dc->Column(item), "Lisboa,Porto");
  auto* field = static_cast<TcxDBDataField*>(dc->Fields()->Items(item));
  ASSERT_EQ(field->FieldCount(), 1) << "one sub-field per key field";
  EXPECT_EQ(field->Fields(0)->FieldName(), "CityID");
  EXPECT_EQ(field->Fields(0)->Field(), people.FieldByName("CityID"));
  EXPECT_TRUE(field->CanModify(TcxDataEditValueSource::Key));
  EXPECT_FALSE(field->CanModify(TcxDataEditValueSource::Value)) << "the looked-up text is not the record's";
  Variant key;
  dc->GetEditValue(item, TcxDataEditValueSource::Key, key);
  EXPECT_EQ(key.AsInteger(), 10);
  ASSERT_TRUE(dc->SetEditValue(item, Variant(20), TcxDataEditValueSource::Key));
  EXPECT_EQ(people.FieldByName("CityID")->AsInteger(), 20);
  EXPECT_EQ(dc->Focused(item), "Porto");
  dc->Post();
  EXPECT_EQ(dc->Column(item), "Porto,Porto");
  // A sub-field belongs to one field only.
  auto* other = static_cast<TcxDBDataField*>(dc->Fields()->Items(0));
  EXPECT_EQ(RaisedMessage<EcxInvalidDataControllerOperation>([&] { other->AddField(field->Fields(0)); }),
            "ADataField.FParentField <> nil");
}

// --- Smart refresh: a post re-reads the posted record only.

TEST_F(PeopleFile, SmartRefreshReadsOnlyThePostedRecord) {
  Controller dc = controller(true);
  dc->DataModeController()->SetSmartRefresh(true);
  q->Open();
  // A value only the controller holds: a full reload would put the data set's back.
  auto poke = [&] { dc->DataStorage()->SetValue(0, dc->Fields()->Items(1)->ValueDef(), Variant(std::string("poked"))); };
  poke();
  dc->ChangeFocusedRowIndex(1);
  dc->SetEditValue(1, Variant(std::string("Bruno Alves")), TcxDataEditValueSource::Value);
  dc->Post();
  EXPECT_EQ(stored("select Nome from Pessoas where Id = 2"), "Bruno Alves");
  EXPECT_EQ(dc->Column(1), "poked,Bruno Alves,Carla,Duarte,Eva") << "only the posted record was read";
  EXPECT_EQ(dc->Focused(1), "Bruno Alves");

  // A cancelled edit reads the record back from the data set.
  dc->SetEditValue(1, Variant(std::string("Outro")), TcxDataEditValueSource::Value);
  dc->Cancel();
  EXPECT_EQ(dc->Column(1), "poked,Bruno Alves,Carla,Duarte,Eva");

  // An appended record gets the key the file gives it, without a reload.
  dc->Append();
  dc->SetEditValue(1, Variant(std::string("Fábio")), TcxDataEditValueSource::Value);
  dc->Post();
  EXPECT_EQ(dc->Column(0), "1,2,3,4,5,6");
  EXPECT_EQ(dc->Column(1), "poked,Bruno Alves,Carla,Duarte,Eva,Fábio");
  EXPECT_EQ(dc->Focused(1), "Fábio");
  EXPECT_EQ(current(), "Fábio");

  // A cancelled insertion leaves the storage.
  dc->ChangeFocusedRowIndex(2);
  dc->Insert();
  EXPECT_EQ(dc->GetRecordCount(), 7);
  dc->Cancel();
  EXPECT_EQ(dc->Column(1), "poked,Bruno Alves,Carla,Duarte,Eva,Fábio");

  // A deleted record leaves the storage; the focus goes with the data set.
  dc->ChangeFocusedRowIndex(3);
  dc->DeleteFocused();
  EXPECT_EQ(stored("select group_concat(Id) from Pessoas"), "1,2,3,5,6");
  EXPECT_EQ(dc->Column(1), "poked,Bruno Alves,Carla,Eva,Fábio");
  EXPECT_EQ(dc->Focused(1), current());
}

// The key of an appended record comes from the file. The record the data set then stands on
// has a key no stored record has: it is the posted record, whatever type its key field has
// (here a plain integer column the file numbers), and it stays in the view.
TEST_F(PeopleFile, SmartRefreshKeepsAPostedRecordWhoseKeyTheFileGave) {
  Controller dc = controller(true);
  dc->DataModeController()->SetSmartRefresh(true);
  q->Open();
  ASSERT_EQ(q->FieldByName("Id")->DataType(), ftInteger) << "not an auto-increment field";
  dc->Append();
  dc->SetEditValue(1, Variant(std::string("Gil")), TcxDataEditValueSource::Value);
  dc->Post();
  EXPECT_EQ(stored("select Id from Pessoas where Nome = 'Gil'"), "6");
  EXPECT_EQ(dc->Column(0), "1,2,3,4,5,6");
  EXPECT_EQ(dc->Focused(1), "Gil");
  // A key typed by the user is read into the record while it is edited; the row stays too.
  dc->ChangeFocusedRowIndex(1);
  dc->SetEditValue(0, Variant(20), TcxDataEditValueSource::Value);
  dc->Post();
  EXPECT_EQ(stored("select group_concat(Id) from Pessoas"), "1,3,4,5,6,20");
  EXPECT_EQ(dc->Column(0), "1,20,3,4,5,6");
  dc->ChangeFocusedRowIndex(3);
  dc->ChangeFocusedRowIndex(1);
  EXPECT_EQ(current(), "Bruno") << "found again by its new key";
}

// A field that asks for the focus (a failed required value, a data-aware message) reaches
// the view's editor of the first item showing it; a view that took it stops the request.
TEST_F(PeopleFile, AFieldAskingForTheFocusReachesTheItemShowingIt) {
  Controller first = controller(true);
  Controller second = controller(true);  // linked last, asked first
  first->FocusableCount = 3;
  q->Open();
  q->FieldByName("Idade")->FocusControl();
  EXPECT_EQ(second->FocusRequests, std::vector<Integer>{2}) << "asked, and could not take it";
  EXPECT_EQ(first->FocusRequests, std::vector<Integer>{2});
  second->FocusableCount = 3;
  q->FieldByName("Nome")->FocusControl();
  EXPECT_EQ(second->FocusRequests, (std::vector<Integer>{2, 1}));
  EXPECT_EQ(first->FocusRequests, std::vector<Integer>{2}) << "the other view took it";
}

// ---------------------------------------------------------------------------------------
// Summaries by field name: a summary item may total a field of the data set that no item
// of the view shows, through an internal field the controller links by name.

namespace {

// A controller whose items show Id and Nome only; Idade (30, 45, 28, 52, 19) is shown by
// none unless asked for.
class DBSummaryTest : public PeopleFile {
protected:
  Controller make(bool AShowIdade) {
    Controller dc(New<TTestDBController>(nullptr));
    dc->AddColumn("Id");
    dc->AddColumn("Nome");
    if (AShowIdade) dc->AddColumn("Idade");
    dc->SetDataSource(source.get());
    return dc;
  }
  static TcxDBDataSummaryItem* addFooter(TcxDBDataController* dc, TcxSummaryKind AKind,
                                         const std::string& AFieldName) {
    auto* item = As<TcxDBDataSummaryItem>(dc->Summary()->FooterSummaryItems()->Add());
    item->SetKind(AKind);
    item->SetFieldName(AFieldName);
    return item;
  }
  static std::string footer(TcxDBDataController* dc, Integer AIndex) {
    Variant v = dc->Summary()->GetFooterSummaryValue(AIndex);
    return VarIsNull(v) ? "(null)" : VarToStr(v);
  }
  void reopen(const std::string& ASql) {
    q->Close();
    q->SQL()->SetText(ASql);
    q->Open();
  }
};

TEST_F(DBSummaryTest, FooterTotalsAFieldByItsNameWhetherAnItemShowsItOrNot) {
  struct Case {
    TcxSummaryKind kind;
    const char* value;
    const char* text;
  } cases[] = {
      {skSum, "174", "174.00"}, {skCount, "5", "5"},           {skAverage, "34.8", "AVG=34.80"},
      {skMin, "19", "MIN=19.00"}, {skMax, "52", "MAX=52.00"},
  };
  for (bool shown : {false, true}) {
    SCOPED_TRACE(shown ? "Idade shown by an item" : "Idade shown by no item");
    Controller dc = make(shown);
    EXPECT_EQ(dc->GetSummaryItemClass(), TcxDBDataSummaryItem::StaticClass());
    for (const Case& c : cases) addFooter(dc.get(), c.kind, "Idade");
    q->Open();
    for (Integer i = 0; i < 5; ++i) {
      EXPECT_EQ(footer(dc.get(), i), cases[i].value) << "kind " << cases[i].kind;
      EXPECT_EQ(dc->Summary()->GetFooterSummaryText(i), cases[i].text) << "kind " << cases[i].kind;
    }
    // The field's values follow the data: an edit posted through the data set is summed.
    q->Edit();
    q->FieldByName("Idade")->SetAsInteger(40);  // Ana: 30 -> 40
    q->Post();
    EXPECT_EQ(footer(dc.get(), 0), "184");
    EXPECT_EQ(footer(dc.get(), 3), "19");
    q->Edit();
    q->FieldByName("Idade")->SetAsInteger(30);
    q->Post();
    EXPECT_EQ(footer(dc.get(), 0), "174");
    q->Close();
    EXPECT_EQ(footer(dc.get(), 1), "0") << "no records";
    EXPECT_EQ(footer(dc.get(), 0), "(null)");
  }
}

// The name is linked again whenever the data set's fields change, and a name the data set
// does not have gives no value (not a sum of nulls) and no error.
TEST_F(DBSummaryTest, TheFieldNameIsResolvedAgainWhenTheFieldsChange) {
  Controller dc = make(false);
  TcxDBDataSummaryItem* sum = addFooter(dc.get(), skSum, "Idade");
  TcxDBDataSummaryItem* count = addFooter(dc.get(), skCount, "Idade");
  reopen("select Id, Nome from Pessoas");
  EXPECT_EQ(sum->GetDataField(), nullptr) << "no field Idade in this query";
  EXPECT_EQ(footer(dc.get(), 0), "(null)");
  EXPECT_EQ(footer(dc.get(), 1), "(null)");
  EXPECT_EQ(dc->Summary()->GetFooterSummaryText(0), "");
  EXPECT_EQ(dc->Summary()->GetFooterSummaryText(1), "");
  EXPECT_EQ(dc->Column(1), "Ana,Bruno,Carla,Duarte,Eva") << "the items work on";

  reopen("select Idade, Nome from Pessoas");
  ASSERT_NE(sum->GetDataField(), nullptr);
  EXPECT_EQ(footer(dc.get(), 0), "174");
  EXPECT_EQ(footer(dc.get(), 1), "5");

  reopen("select Id, Nome from Pessoas where Id < 3");
  EXPECT_EQ(footer(dc.get(), 0), "(null)") << "the field is gone again";

  // Another name takes another field; a name nobody has leaves the item empty.
  sum->SetFieldName("Id");
  EXPECT_EQ(footer(dc.get(), 0), "3");
  sum->SetFieldName("Nada");
  EXPECT_NO_THROW(dc->Refresh());
  EXPECT_EQ(footer(dc.get(), 0), "(null)");
  EXPECT_EQ(dc->Summary()->GetFooterSummaryText(0), "");

  // No name: the item summarises the field of its item link, as any summary item.
  const Integer internalBefore = dc->Fields()->InternalCount();
  count->SetFieldName("");
  EXPECT_EQ(dc->Fields()->InternalCount(), internalBefore - 1) << "the internal field is freed";
  EXPECT_EQ(footer(dc.get(), 1), "(null)") << "no item link either";
  count->SetItemLink(dc->GetItem(1));
  EXPECT_EQ(footer(dc.get(), 1), "2");
}

// Group rows summarise a field no item shows as well; an unknown name leaves the group row
// text empty.
TEST_F(DBSummaryTest, GroupSummariesByFieldName) {
  {
    native::JetDatabase db(UnixPath(path));
    db.execute("create table Gente (Id " + native::jetTypeDeclaration(native::JetType::Integer) + ", Nome " +
               native::jetTypeDeclaration(native::JetType::Text, 30) + ", Idade " +
               native::jetTypeDeclaration(native::JetType::Integer) + ", Faixa " +
               native::jetTypeDeclaration(native::JetType::Text, 10) + ")");
    db.execute("insert into Gente values (1, 'Ana', 30, 'jovem'), (2, 'Bruno', 45, 'maduro'), "
               "(3, 'Carla', 28, 'jovem'), (4, 'Duarte', 52, 'maduro'), (5, 'Eva', 19, 'jovem')");
  }
  Controller dc = make(false);
  dc->AddColumn("Faixa");
  q->SQL()->SetText("select * from Gente");
  auto* byAge = As<TcxDBDataSummaryItem>(dc->Summary()->DefaultGroupSummaryItems()->Add());
  byAge->SetKind(skSum);
  byAge->SetFieldName("Idade");
  q->Open();
  dc->Groups()->ChangeGroupIndex(2, 0);
  ASSERT_EQ(dc->GetRowCount(), 2) << "two collapsed groups";
  EXPECT_EQ(dc->Summary()->GetGroupSummaryText(0), "(SUM=77.00)") << "30 + 28 + 19";
  EXPECT_EQ(dc->Summary()->GetGroupSummaryText(1), "(SUM=97.00)") << "45 + 52";
  byAge->SetFieldName("Nada");
  EXPECT_EQ(dc->Summary()->GetGroupSummaryText(0), "");
  EXPECT_EQ(dc->Summary()->GetGroupSummaryText(1), "");
}

// Assign copies the name (the copy gets its own internal field); an item that goes, alone,
// with its summary group or with its collection, takes its internal field with it.
TEST_F(DBSummaryTest, ItemsCopyTheirNameAndFreeTheirInternalFieldWhenTheyGo) {
  Controller dc = make(false);
  const Integer internal = dc->Fields()->InternalCount();
  TcxDBDataSummaryItem* original = addFooter(dc.get(), skMax, "Idade");
  auto* copy = As<TcxDBDataSummaryItem>(dc->Summary()->FooterSummaryItems()->Add());
  copy->Assign(original);
  EXPECT_EQ(copy->FieldName(), "Idade");
  EXPECT_EQ(copy->Kind(), skMax);
  ASSERT_NE(copy->DataField(), nullptr);
  EXPECT_NE(copy->DataField(), original->DataField());
  EXPECT_EQ(dc->Fields()->InternalCount(), internal + 2);
  q->Open();
  EXPECT_EQ(footer(dc.get(), 1), "52");

  delete original;
  EXPECT_EQ(dc->Fields()->InternalCount(), internal + 1);
  EXPECT_EQ(footer(dc.get(), 0), "52") << "the copy works on";

  TcxDataSummaryGroup* group = dc->Summary()->SummaryGroups()->Add();
  auto* grouped = As<TcxDBDataSummaryItem>(group->SummaryItems()->Add());
  grouped->SetFieldName("Id");
  group->Links()->Add()->SetItemLink(dc->GetItem(1));
  dc->Groups()->ChangeGroupIndex(1, 0);
  EXPECT_EQ(dc->Fields()->InternalCount(), internal + 2);
  delete group;
  EXPECT_EQ(dc->Fields()->InternalCount(), internal + 1);
  EXPECT_EQ(dc->GetRowCount(), 5) << "still grouped by Nome";

  dc->Summary()->FooterSummaryItems()->Clear();
  EXPECT_EQ(dc->Fields()->InternalCount(), internal);
  dc->Groups()->ChangeGroupIndex(1, -1);
  EXPECT_EQ(dc->Column(0), "1,2,3,4,5");
}

}  // namespace
