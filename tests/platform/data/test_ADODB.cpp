// The ADO classes over the native engine: the real Access file nwind.mdb (read-only here)
// and a SQLite file each test builds; field typing, navigation, searching and filtering on
// real data, parameters, editing that writes through, the refusal of changes to a read-only
// file, and bad input.
#include <memory>

#include "DataTestSupport.h"

using namespace datatest;

namespace {

using Journal = std::vector<std::string>;

// The engine itself, to check what the data sets show against what the file holds.
native::Value scalar(native::JetDatabase& db, const std::string& sql) {
  native::QueryResult r = db.query(sql);
  return r.rowCount() ? r.at(0, 0) : native::Value();
}

// --- nwind.mdb, opened once for the suite.

class Nwind : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    con_ = new TADOConnection(nullptr);
    con_->SetName("Con");
    con_->SetLoginPrompt(false);
    con_->SetConnectionString(ConnectionStringFor(DataFilePath("nwind.mdb")));
    con_->Open();
  }
  static void TearDownTestSuite() {
    delete con_;
    con_ = nullptr;
  }

  void SetUp() override {
    q = std::make_unique<TADOQuery>(nullptr);
    q->SetName("Q");
    q->SetConnection(con_);
  }

  void open(const std::string& sql) {
    q->Close();
    q->SQL()->SetText(sql);
    q->Open();
  }
  native::JetDatabase& engine() { return *con_->Database(); }

  FormatGuard formats;
  std::unique_ptr<TADOQuery> q;
  static TADOConnection* con_;
};
TADOConnection* Nwind::con_ = nullptr;

}  // namespace

TEST_F(Nwind, FieldClassesFollowTheColumnTypes) {
  struct Case {
    const char* table;
    const char* field;
    const char* cls;
    TFieldType type;
    Integer size;
  };
  const Case cases[] = {
      {"Orders", "OrderID", "TIntegerField", ftInteger, 0},
      {"Orders", "CustomerID", "TWideStringField", ftWideString, 5},
      {"Orders", "OrderDate", "TDateTimeField", ftDateTime, 0},
      {"Orders", "Freight", "TBCDField", ftBCD, 4},
      {"Orders", "ShipName", "TWideStringField", ftWideString, 40},
      {"Products", "UnitsInStock", "TSmallintField", ftSmallint, 0},
      {"Products", "UnitPrice", "TBCDField", ftBCD, 4},
      {"Products", "Discontinued", "TBooleanField", ftBoolean, 0},
      {"Categories", "Description", "TMemoField", ftMemo, 0},
      {"Categories", "Picture", "TBlobField", ftBlob, 0},
      {"Order Details", "Discount", "TFloatField", ftFloat, 0},
      {"Order Details", "Quantity", "TSmallintField", ftSmallint, 0},
  };
  for (const Case& c : cases) {
    open(std::string("select * from [") + c.table + "]");
    TField* f = q->FieldByName(c.field);
    EXPECT_EQ(f->ClassName(), c.cls) << c.table << "." << c.field;
    EXPECT_EQ(f->DataType(), c.type) << c.table << "." << c.field;
    EXPECT_EQ(f->Size(), c.size) << c.table << "." << c.field;
  }
}

// Result columns are found by name without regard to case, accented letters included (the
// names are in the program's code page).
TEST_F(Nwind, ResultColumnsAreFoundByNameWithoutRegardToCase) {
  open("select count(*) as quantidade, avg(Freight) as [Vari\xE2ncia], min(Freight) as m\xEDnimo from orders");
  struct Case {
    const char* asked;
    const char* found;  // null: none
  } cases[] = {
      {"quantidade", "quantidade"}, {"QUANTIDADE", "quantidade"},    {"Vari\xE2ncia", "Vari\xE2ncia"},
      {"VARI\xC2NCIA", "Vari\xE2ncia"}, {"M\xCDNIMO", "m\xEDnimo"}, {"variancia", nullptr},
      {"quantidad", nullptr},
  };
  for (const Case& c : cases) {
    TField* f = q->FindField(c.asked);
    if (!c.found) {
      EXPECT_EQ(f, nullptr) << c.asked;
      continue;
    }
    ASSERT_NE(f, nullptr) << c.asked;
    EXPECT_EQ(f->FieldName(), c.found) << c.asked;
  }
  EXPECT_EQ(q->FieldByName("VARI\xC2NCIA")->AsFloat(), q->FieldByName("Vari\xE2ncia")->AsFloat());
}

TEST_F(Nwind, ValuesArriveInTheirVariantKinds) {
  open("select * from Orders where OrderID = 10248");
  ASSERT_EQ(q->RecordCount(), 1);
  EXPECT_EQ(VarType(q->FieldByName("OrderID")->Value()), varInteger);
  EXPECT_EQ(VarType(q->FieldByName("CustomerID")->Value()), varOleStr);
  EXPECT_EQ(q->FieldByName("CustomerID")->AsString(), "VINET");
  EXPECT_EQ(VarType(q->FieldByName("OrderDate")->Value()), varDate);
  EXPECT_EQ(q->FieldByName("OrderDate")->AsDateTime(), EncodeDate(1994, 8, 4));
  EXPECT_EQ(VarType(q->FieldByName("Freight")->Value()), varCurrency);
  EXPECT_EQ(q->FieldByName("Freight")->AsCurrency().Value, 323800);
  EXPECT_TRUE(VarIsNull(q->FieldByName("ShipRegion")->Value()));
  open("select UnitsInStock, Discontinued from Products where ProductID = 5");
  EXPECT_EQ(VarType(q->FieldByName("UnitsInStock")->Value()), varInteger) << "small integers arrive as 32-bit integers";
  EXPECT_EQ(VarType(q->FieldByName("Discontinued")->Value()), varBoolean);
  EXPECT_TRUE(q->FieldByName("Discontinued")->AsBoolean());
  open("select Discount from [Order Details] where OrderID = 10250 and ProductID = 51");
  EXPECT_EQ(VarType(q->Fields()->Fields(0)->Value()), varDouble);
  EXPECT_NEAR(q->Fields()->Fields(0)->AsFloat(), 0.15, 1e-7);
}

TEST_F(Nwind, ComputedColumnsTakeTheTypeOfTheirValues) {
  open("select count(*) as n, avg(Freight) as media, varp(Freight) as variancia, max(ShipCountry) as ultimo, "
       "round(2.5) as r from Orders");
  struct Case {
    const char* field;
    const char* cls;
    TVarType vt;
  };
  const Case cases[] = {{"n", "TIntegerField", varInteger},
                        {"media", "TFloatField", varDouble},
                        {"variancia", "TFloatField", varDouble},
                        {"ultimo", "TWideStringField", varOleStr},
                        {"r", "TFloatField", varDouble}};
  for (const Case& c : cases) {
    EXPECT_EQ(q->FieldByName(c.field)->ClassName(), c.cls) << c.field;
    EXPECT_EQ(VarType(q->FieldByName(c.field)->Value()), c.vt) << c.field;
  }
  EXPECT_EQ(q->FieldByName("n")->AsInteger(), 830);
  EXPECT_EQ(q->FieldByName("r")->AsFloat(), 2.0) << "round goes half to even";
  EXPECT_EQ(q->FieldByName("ultimo")->AsString(), "Venezuela");
}

TEST_F(Nwind, DistinctValuesComeTypedAndInOrder) {
  open("select distinct(ShipCountry) from Orders order by ShipCountry");
  EXPECT_EQ(q->Fields()->Fields(0)->ClassName(), "TWideStringField");
  EXPECT_EQ(q->Fields()->Fields(0)->AsString(), "Argentina");
  std::string previous;
  Integer n = 0;
  while (!q->Eof()) {
    std::string s = q->Fields()->Fields(0)->AsString();
    EXPECT_LT(AnsiCompareText(previous, s), 0) << previous << " before " << s;
    previous = s;
    ++n;
    q->Next();
  }
  EXPECT_EQ(n, static_cast<Integer>(engine().query("select distinct ShipCountry from Orders").rowCount()));
  open("select distinct(EmployeeID) from Orders order by EmployeeID");
  EXPECT_EQ(VarType(q->Fields()->Fields(0)->Value()), varInteger);
  std::vector<Integer> ids;
  for (q->First(); !q->Eof(); q->Next()) ids.push_back(q->Fields()->Fields(0)->AsInteger());
  EXPECT_EQ(ids, (std::vector<Integer>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(Nwind, NavigationVisitsEveryOrderOnceWithItsRecNo) {
  open("select OrderID, Freight from Orders");
  EXPECT_EQ(q->RecordCount(), 830);
  EXPECT_TRUE(q->Bof());
  Integer n = 0;
  long double total = 0;
  while (!q->Eof()) {
    ++n;
    EXPECT_EQ(q->RecNo(), n);
    total += q->FieldByName("Freight")->AsCurrency().ToExtended();
    q->Next();
  }
  EXPECT_EQ(n, 830);
  EXPECT_NEAR(static_cast<double>(total), scalar(engine(), "select sum(Freight) from Orders").toDouble(), 0.005);
  q->Last();
  EXPECT_EQ(q->RecNo(), 830);
  EXPECT_EQ(q->MoveBy(-829), -829);
  EXPECT_EQ(q->RecNo(), 1);
  q->SetRecNo(415);
  Integer at415 = q->FieldByName("OrderID")->AsInteger();
  q->First();
  q->MoveBy(414);
  EXPECT_EQ(q->FieldByName("OrderID")->AsInteger(), at415);
}

TEST_F(Nwind, AnEmptyResultIsBofAndEof) {
  open("select * from Orders where 1 = 0");
  EXPECT_TRUE(q->IsEmpty());
  EXPECT_TRUE(q->Bof());
  EXPECT_TRUE(q->Eof());
  EXPECT_EQ(q->RecordCount(), 0);
  EXPECT_EQ(q->FieldCount(), 14) << "an empty result still has its fields";
  EXPECT_TRUE(q->FieldByName("OrderID")->IsNull());
  q->Next();
  q->Last();
  EXPECT_EQ(q->RecNo(), 0);
}

TEST_F(Nwind, LocateOnOneAndSeveralFields) {
  open("select * from Orders");
  native::QueryResult expected =
      engine().query("select OrderID from Orders where CustomerID = 'VINET' and EmployeeID = 5");
  ASSERT_GE(expected.rowCount(), 1u);
  ASSERT_TRUE(q->Locate("CustomerID;EmployeeID", VarArrayOf({"VINET", 5}), {}));
  EXPECT_EQ(q->FieldByName("OrderID")->AsInteger(), expected.at(0, 0).integerValue());
  q->First();
  EXPECT_FALSE(q->Locate("CustomerID;EmployeeID", VarArrayOf({"vinet", 5}), {}));
  EXPECT_TRUE(q->Locate("CustomerID;EmployeeID", VarArrayOf({"vinet", 5}), {loCaseInsensitive}));
  ASSERT_TRUE(q->Locate("Freight", 32.38, {}));
  EXPECT_EQ(q->FieldByName("Freight")->AsString(), "32.38");
  ASSERT_TRUE(q->Locate("ShipName", "Wellington", {loPartialKey}));
  EXPECT_EQ(q->FieldByName("ShipName")->AsString().rfind("Wellington", 0), 0u);
  ASSERT_TRUE(q->Locate("OrderDate", VarFromDateTime(EncodeDate(1994, 8, 4)), {}));
  EXPECT_EQ(q->FieldByName("OrderID")->AsInteger(), 10248);
}

TEST_F(Nwind, LookupReadsAnotherOrderWithoutMoving) {
  open("select * from Orders");
  q->SetRecNo(10);
  Integer here = q->FieldByName("OrderID")->AsInteger();
  Variant v = q->Lookup("OrderID", 10248, "CustomerID;ShipCity");
  EXPECT_EQ(v[0].AsString(), "VINET");
  EXPECT_EQ(v[1].AsString(), "Reims");
  EXPECT_EQ(q->FieldByName("OrderID")->AsInteger(), here);
  EXPECT_TRUE(q->Lookup("OrderID", 1, "CustomerID").IsNull());
}

TEST_F(Nwind, FilterSelectsWhatTheSameConditionSelectsInSql) {
  open("select * from Orders");
  struct Case {
    const char* filter;
    TFilterOptions options;
    const char* where;
  };
  const Case cases[] = {
      {"ShipCountry = 'Brazil' AND Freight > 100", {}, "ShipCountry = 'Brazil' and Freight > 100"},
      {"ShipCountry = 'brazil'", {foCaseInsensitive}, "ShipCountry = 'Brazil'"},
      {"ShipRegion IS NULL OR ShipCountry = 'UK'", {}, "ShipRegion is null or ShipCountry = 'UK'"},
      {"ShipCity LIKE 'S%' AND NOT (EmployeeID IN (1, 2, 3))", {}, "ShipCity like 'S*' and not EmployeeID in (1,2,3)"},
      {"OrderDate >= '01/01/1995' AND OrderDate < '01/02/1995'", {}, "OrderDate >= #1/1/1995# and OrderDate < #2/1/1995#"},
      {"Freight BETWEEN 10 AND 20", {}, "Freight between 10 and 20"},
  };
  for (const Case& c : cases) {
    q->SetFiltered(false);
    q->SetFilterOptions(c.options);
    q->SetFilter(c.filter);
    q->SetFiltered(true);
    int64_t expected = scalar(engine(), std::string("select count(*) from Orders where ") + c.where).integerValue();
    EXPECT_GT(expected, 0) << c.where;
    EXPECT_EQ(q->RecordCount(), expected) << c.filter;
  }
}

TEST_F(Nwind, ParametersBindByNameAndChangingSqlClosesTheQuery) {
  q->SQL()->SetText("select OrderID from Orders where CustomerID = :cust and EmployeeID = :emp order by OrderID");
  ASSERT_EQ(q->Parameters()->Count(), 2);
  EXPECT_EQ(q->Parameters()->Items(0)->Name(), "cust");
  q->Parameters()->ParamByName("cust")->SetValue("VINET");
  q->Parameters()->ParamByName("EMP")->SetValue(5);
  q->Open();
  ASSERT_EQ(q->RecordCount(), 1);
  EXPECT_EQ(q->FieldByName("OrderID")->AsInteger(), 10248);
  q->Close();
  q->Parameters()->SetParamValues("cust;emp", VarArrayOf({"VINET", 2}));
  q->Open();
  EXPECT_EQ(q->RecordCount(),
            scalar(engine(), "select count(*) from Orders where CustomerID = 'VINET' and EmployeeID = 2").integerValue());
  EXPECT_GT(q->RecordCount(), 0);
  EXPECT_FALSE(q->Locate("OrderID", 10248, {}));
  q->SQL()->Add("");
  EXPECT_FALSE(q->Active()) << "changing SQL closes the query";
  EXPECT_EQ(q->Parameters()->ParamByName("cust")->Value().AsString(), "VINET") << "values survive a new parse";
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { q->Parameters()->ParamByName("nope"); }), "Q: Parameter 'nope' not found");
}

// A query reads its text for parameters once, when it changes, and runs that reading: each
// text in turn must run as written, with the parameters it names, and a parameter removed
// after the reading must still be missed.
TEST_F(Nwind, EachSqlTextRunsAsWrittenWithTheParametersItNames) {
  auto run = [&](const std::string& sql, const std::string& param, const Variant& value) {
    q->Close();
    q->SQL()->SetText(sql);
    EXPECT_EQ(q->Parameters()->Count(), 1) << sql;
    if (q->Parameters()->Count() == 1) EXPECT_EQ(q->Parameters()->Items(0)->Name(), param) << sql;
    q->Parameters()->ParamByName(param)->SetValue(value);
    q->Open();
    return q->FieldByName("v")->AsInteger();
  };
  EXPECT_EQ(run("select :a as v", "a", 1), 1);
  EXPECT_EQ(run("select :a + 10 as v", "a", 2), 12) << "same names, another text";
  EXPECT_EQ(run("select :b * 3 as v", "b", 3), 9);
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { q->Parameters()->ParamByName("a"); }), "Q: Parameter 'a' not found");
  EXPECT_EQ(run("select :a as v", "a", 4), 4) << "a text run before, read again";
  // The same text, the same statement run again (Close and Open), after the parameter
  // list changed under it.
  q->Close();
  q->Parameters()->Clear();
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { q->Open(); }), "Q: Parameter 'a' not found");
  EXPECT_FALSE(q->Active());
  q->Parameters()->CreateParameter("A", ftInteger, pdInput, 0, 5);
  q->Open();
  EXPECT_EQ(q->FieldByName("v")->AsInteger(), 5);
  // A text changed while its list is held in an update is run as it stands.
  q->Close();
  q->SQL()->BeginUpdate();
  q->SQL()->SetText("select :a - 1 as v");
  q->Open();
  EXPECT_EQ(q->FieldByName("v")->AsInteger(), 4);
  q->SQL()->EndUpdate();
  EXPECT_FALSE(q->Active()) << "the change closes the query once the update ends";
}

TEST_F(Nwind, FieldNamesOfAClosedQueryComeFromTheStatement) {
  q->SQL()->SetText("select * from Shippers");
  TStringList names;
  q->GetFieldNames(&names);
  EXPECT_EQ(names.CommaText(), "ShipperID,CompanyName,Phone");
  EXPECT_FALSE(q->Active());
  q->Open();
  q->GetFieldNames(&names);
  EXPECT_EQ(names.CommaText(), "ShipperID,CompanyName,Phone");
}

TEST_F(Nwind, ChangesToTheReadOnlyFileAreRefusedAndNothingChanges) {
  open("select * from Orders where OrderID = 10248");
  ASSERT_TRUE(q->CanModify());
  std::vector<std::string> journal;
  TEventJournal events(&journal);
  events.Attach(q.get());
  q->Edit();
  q->FieldByName("ShipCity")->SetAsString("Elsewhere");
  std::string message = RaisedMessage<EADOError>([&] { q->Post(); });
  EXPECT_NE(message.find("read-only"), std::string::npos) << message;
  EXPECT_EQ(message.rfind("Q: ", 0), 0u) << message;
  EXPECT_EQ(q->State(), dsBrowse) << "the refused edit is cancelled";
  EXPECT_EQ(q->FieldByName("ShipCity")->AsString(), "Reims");
  EXPECT_EQ(journal, (Journal{"BeforeEdit", "AfterEdit", "BeforePost", "BeforeCancel", "AfterCancel"}))
      << Joined(journal);
  EXPECT_FALSE(RaisedMessage<EADOError>([&] { q->Delete(); }).empty());
  EXPECT_EQ(q->RecordCount(), 1);
  q->Append();
  q->FieldByName("CustomerID")->SetAsString("NEWCO");
  message = RaisedMessage<EDatabaseError>([&] { q->Post(); });
  EXPECT_NE(message.find("read-only"), std::string::npos) << message;
  EXPECT_EQ(q->State(), dsBrowse);
  EXPECT_EQ(q->RecordCount(), 1);
  EXPECT_FALSE(RaisedMessage<EADOError>([&] { q->SQL()->SetText("delete from Orders"); q->ExecSQL(); }).empty());
  EXPECT_EQ(scalar(engine(), "select count(*) from Orders").integerValue(), 830);
  EXPECT_EQ(scalar(engine(), "select ShipCity from Orders where OrderID = 10248").bytes(), "Reims");
}

TEST_F(Nwind, BadStatementsRaiseTheEnginesMessageAndLeaveTheQueryClosed) {
  struct Case {
    const char* sql;
    const char* mentions;
  };
  for (Case c : {Case{"selec * from Orders", "selec"}, Case{"select * from Nope", "Nope"},
                 Case{"select NoSuchColumn from Orders", "NoSuchColumn"}}) {
    q->SQL()->SetText(c.sql);
    std::string message = RaisedMessage<EADOError>([&] { q->Open(); });
    EXPECT_EQ(message.rfind("Q: ", 0), 0u) << c.sql << ": " << message;
    EXPECT_NE(message.find(c.mentions), std::string::npos) << c.sql << ": " << message;
    EXPECT_FALSE(q->Active());
  }
  open("select * from Orders");
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { q->FieldByName("Nope"); }), "Q: Field 'Nope' not found");
}

TEST_F(Nwind, TheConnectionListsTablesAndColumns) {
  TStringList tables;
  con_->GetTableNames(&tables);
  EXPECT_EQ(tables.Count(), 9);
  EXPECT_GE(tables.IndexOf("Orders"), 0);
  TStringList columns;
  con_->GetFieldNames("Shippers", &columns);
  EXPECT_EQ(columns.CommaText(), "ShipperID,CompanyName,Phone");
  EXPECT_TRUE(con_->IsReadOnlyFile());
}

TEST_F(Nwind, MasterSourceDrivesTheDetailsParameters) {
  TADOQuery master(nullptr);
  master.SetConnection(con_);
  master.SQL()->SetText("select CustomerID from Customers where CustomerID in ('VINET', 'ALFKI') order by CustomerID");
  TDataSource source(nullptr);
  source.SetDataSet(&master);
  q->SQL()->SetText("select OrderID from Orders where CustomerID = :CustomerID");
  q->SetDataSource(&source);
  master.Open();
  q->Open();
  auto count = [&](const char* customer) {
    return static_cast<Integer>(
        scalar(engine(), std::string("select count(*) from Orders where CustomerID = '") + customer + "'").integerValue());
  };
  EXPECT_EQ(master.FieldByName("CustomerID")->AsString(), "ALFKI");
  EXPECT_EQ(q->RecordCount(), count("ALFKI"));
  master.Next();
  EXPECT_EQ(q->RecordCount(), count("VINET"));
  EXPECT_TRUE(q->Active());
}

TEST_F(Nwind, DriveLetterPathsReachTheSameFile) {
  std::string path = DataFilePath("nwind.mdb");
  std::string dos = "Z:" + path;
  for (char& ch : dos)
    if (ch == '/') ch = '\\';
  TADOConnection con(nullptr);
  con.SetConnectionString("Provider=TestProvider;Data Source=\"" + dos + "\"");
  con.Open();
  EXPECT_TRUE(con.Connected());
  TStringList tables;
  con.GetTableNames(&tables);
  EXPECT_EQ(tables.Count(), 9);
}

// --- Connections and bad files.

TEST(ADOConnection, ConnectionStringSettingsAreReadWithoutRegardToCase) {
  struct Case {
    const char* cs;
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {"Provider=P;Data Source=C:\\a\\b.mdb;Persist Security Info=False", "data source", "C:\\a\\b.mdb"},
      {"Provider=P; Data Source = 'C:\\x;y.mdb' ;Mode=Read", "Data Source", "C:\\x;y.mdb"},
      {"Data Source=\"/tmp/a b.db\"", "DATA SOURCE", "/tmp/a b.db"},
      {"Provider=P", "Data Source", ""},
      {"Provider=P;Data Source=x", "Provider", "P"},
  };
  for (const Case& c : cases) EXPECT_EQ(ConnectionStringValue(c.cs, c.key), c.value) << c.cs;
  TADOConnection con(nullptr);
  con.SetConnectionString("Data Source=x.db;Mode=Read");
  EXPECT_EQ(con.Provider(), "");
  con.SetProvider("Other");
  EXPECT_EQ(con.ConnectionString(), "Provider=Other;Data Source=x.db;Mode=Read");
  con.SetProvider("Third");
  EXPECT_EQ(con.ConnectionString(), "Provider=Third;Data Source=x.db;Mode=Read");
}

// Values quoted as connection strings quote them read back whole, whatever they hold; the
// Provider can be replaced without cutting a quoted value that holds ';'.
TEST(ADOConnection, QuotedValuesReadBackWhole) {
  struct Case {
    const char* value;
    const char* written;
  };
  const Case cases[] = {
      {"C:\\dados\\casas.db", "C:\\dados\\casas.db"},
      {"a;b.db", "\"a;b.db\""},
      {"o\"nome.db", "'o\"nome.db'"},
      {"d'agua.db", "\"d'agua.db\""},
      {"x'y\";z.db", "\"x'y\"\";z.db\""},
      {" lead.db", "\" lead.db\""},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConnectionStringQuote(c.value), c.written) << c.value;
    const std::string cs = "Provider=P;Data Source=" + ConnectionStringQuote(c.value) + ";Mode=Read";
    EXPECT_EQ(ConnectionStringValue(cs, "Data Source"), c.value) << cs;
    EXPECT_EQ(ConnectionStringValue(cs, "Mode"), "Read") << "the setting after the value is still found: " << cs;
  }
  TADOConnection con(nullptr);
  con.SetConnectionString("Data Source=\"a;Provider=b\";Mode=Read");
  con.SetProvider("Outro");
  EXPECT_EQ(con.ConnectionString(), "Provider=Outro;Data Source=\"a;Provider=b\";Mode=Read");
  EXPECT_EQ(ConnectionStringValue(con.ConnectionString(), "Data Source"), "a;Provider=b");
}

// A SQLite file whose name holds ';' and a quote opens through its quoted Data Source (file
// names cannot hold a double quote).
TEST(ADOConnection, OpensAFileWhoseNameHoldsASemicolonAndAQuote) {
  std::string dir = MakeTempDir();
  std::string path = dir + "\\x'y;z.db";
  {
    native::OpenOptions options;
    options.create = true;
    native::JetDatabase db(UnixPath(path), options);
    db.execute("create table t (a INTEGER)");
    db.execute("insert into t values (7)");
  }
  TADOConnection con(nullptr);
  con.SetConnectionString("Provider=P;Data Source=" + ConnectionStringQuote(path) + ";Mode=Share Deny None");
  con.Open();
  TStringList tables;
  con.GetTableNames(&tables);
  EXPECT_EQ(tables.Count(), 1);
  con.Close();
  RemoveTree(dir);
}

TEST(ADOConnection, OpeningFiresItsEventsAndClosingClosesItsDataSets) {
  struct Handler : TObject {
    Journal journal;
    TADOConnection* con = nullptr;
    void Before(TObject*) { journal.push_back(std::string("BeforeConnect ") + (con->Connected() ? "on" : "off")); }
    void After(TObject*) { journal.push_back(std::string("AfterConnect ") + (con->Connected() ? "on" : "off")); }
    void BeforeOff(TObject*) { journal.push_back("BeforeDisconnect"); }
    void AfterOff(TObject*) { journal.push_back("AfterDisconnect"); }
  } handler;
  TADOConnection con(nullptr);
  handler.con = &con;
  con.SetBeforeConnect(TNotifyEvent(&handler, &Handler::Before));
  con.SetAfterConnect(TNotifyEvent(&handler, &Handler::After));
  con.SetBeforeDisconnect(TNotifyEvent(&handler, &Handler::BeforeOff));
  con.SetAfterDisconnect(TNotifyEvent(&handler, &Handler::AfterOff));
  con.SetConnectionString(ConnectionStringFor(DataFilePath("nwind.mdb")));
  TADOQuery q(nullptr);
  q.SetConnection(&con);
  q.SQL()->SetText("select * from Shippers");
  q.Open();  // a query opens its connection
  EXPECT_TRUE(con.Connected());
  EXPECT_EQ(con.DataSetCount(), 1);
  con.Close();
  EXPECT_FALSE(q.Active());
  EXPECT_EQ(handler.journal,
            (Journal{"BeforeConnect off", "AfterConnect on", "BeforeDisconnect", "AfterDisconnect"}));
}

TEST(ADOConnection, BadDataSourcesRaiseAClearError) {
  std::string dir = MakeTempDir();
  std::string text = dir + "\\notes.mdb";
  WriteFile(text, "this is a text file, not a database\r\n");
  std::string empty = dir + "\\empty.mdb";
  WriteFile(empty, "");
  struct Case {
    std::string cs;
    std::string mentions;
  };
  const Case cases[] = {
      {ConnectionStringFor(dir + "\\missing.mdb"), dir + "\\missing.mdb"},
      {ConnectionStringFor(text), text},
      {ConnectionStringFor(empty), empty},
      {ConnectionStringFor(dir), dir},
      {"Provider=TestProvider", "Con: The connection string names no Data Source"},
  };
  for (const Case& c : cases) {
    TADOConnection con(nullptr);
    con.SetName("Con");
    con.SetConnectionString(c.cs);
    std::string message = RaisedMessage<EADOError>([&] { con.Open(); });
    EXPECT_NE(message.find(c.mentions), std::string::npos) << c.cs << ": " << message;
    EXPECT_EQ(message.rfind("Con: ", 0), 0u) << message;
    EXPECT_FALSE(con.Connected());
  }
  RemoveTree(dir);
}

TEST(ADOConnection, AQueryWithoutAConnectionRaises) {
  TADOQuery q(nullptr);
  q.SetName("Q");
  q.SQL()->SetText("select 1");
  EXPECT_EQ(RaisedMessage<EADOError>([&] { q.Open(); }), "Q: Missing Connection or ConnectionString");
  EXPECT_FALSE(q.Active());
}

// --- A SQLite file made by each test.

namespace {

class SqliteFile : public ::testing::Test {
protected:
  void SetUp() override {
    dir = MakeTempDir();
    path = dir + "\\pessoas.db";
    {
      native::OpenOptions options;
      options.create = true;
      native::JetDatabase db(UnixPath(path), options);
      using native::JetType;
      using native::jetTypeDeclaration;
      db.execute("create table Pessoas (Id INTEGER PRIMARY KEY, Nome " + jetTypeDeclaration(JetType::Text, 30) +
                 " NOT NULL, Idade " + jetTypeDeclaration(JetType::Integer) + ", Comodos " +
                 jetTypeDeclaration(JetType::Byte) + ", Salario " + jetTypeDeclaration(JetType::Currency) + ", Ativo " +
                 jetTypeDeclaration(JetType::Boolean) + ", Nascido " + jetTypeDeclaration(JetType::DateTime) +
                 ", Obs " + jetTypeDeclaration(JetType::Memo) + ", Peso " + jetTypeDeclaration(JetType::Double) + ")");
      db.execute("insert into Pessoas values (1, 'Ana', 30, 3, 1500.5, -1, 34550, 'nota', 60.5)");
      db.execute("insert into Pessoas values (2, 'Bruno', 45, 2, 2200, 0, 30000, null, 80)");
      db.execute("insert into Pessoas values (3, 'Carla', null, 1, null, -1, null, null, null)");
      db.execute("create table Notas (Texto " + jetTypeDeclaration(JetType::Text, 20) + ", Valor " +
                 jetTypeDeclaration(JetType::Double) + ")");
      db.execute("insert into Notas values ('a', 1), ('a', 1), ('b', 2)");
      db.execute("create table Dependentes (PessoaId INTEGER, Nome " + jetTypeDeclaration(JetType::Text, 30) + ")");
      db.execute("insert into Dependentes values (1, 'Rui'), (1, 'Rita'), (2, 'Sara')");
    }
    con = std::make_unique<TADOConnection>(nullptr);
    con->SetConnectionString(ConnectionStringFor(path));
    q = std::make_unique<TADOQuery>(nullptr);
    q->SetName("Q");
    q->SetConnection(con.get());
  }
  void TearDown() override {
    q.reset();
    con.reset();
    RemoveTree(dir);
  }

  void open(const std::string& sql) {
    q->Close();
    q->SQL()->SetText(sql);
    q->Open();
  }
  // What the file holds now, read by a connection of its own.
  native::Value stored(const std::string& sql) {
    native::JetDatabase db(UnixPath(path));
    return scalar(db, sql);
  }

  FormatGuard formats;
  std::string dir, path;
  std::unique_ptr<TADOConnection> con;
  std::unique_ptr<TADOQuery> q;
};

}  // namespace

TEST_F(SqliteFile, FieldsFollowTheDeclaredColumnTypes) {
  open("select * from Pessoas");
  struct Case {
    const char* field;
    const char* cls;
    TVarType vt;
    bool required;
  };
  const Case cases[] = {
      {"Id", "TIntegerField", varInteger, false},  {"Nome", "TWideStringField", varOleStr, true},
      {"Idade", "TSmallintField", varInteger, false}, {"Comodos", "TWordField", varInteger, false},
      {"Salario", "TBCDField", varCurrency, false}, {"Ativo", "TBooleanField", varBoolean, false},
      {"Nascido", "TDateTimeField", varDate, false}, {"Obs", "TMemoField", varString, false},
      {"Peso", "TFloatField", varDouble, false},
  };
  for (const Case& c : cases) {
    TField* f = q->FieldByName(c.field);
    EXPECT_EQ(f->ClassName(), c.cls) << c.field;
    EXPECT_EQ(VarType(f->Value()), c.vt) << c.field;
    EXPECT_EQ(f->Required(), c.required) << c.field;
  }
  EXPECT_EQ(q->FieldByName("Nome")->Size(), 30);
  EXPECT_EQ(q->FieldByName("Nascido")->AsDateTime(), EncodeDate(1994, 8, 4));
}

TEST_F(SqliteFile, EditAndPostWriteTheRowAndNotifyInOrder) {
  open("select * from Pessoas");
  Journal journal;
  TEventJournal events(&journal);
  events.Attach(q.get());
  TDataSource source(nullptr);
  source.SetDataSet(q.get());
  events.AttachSource(&source);
  TJournalLink link(&journal);
  link.SetDataSource(&source);
  q->SetRecNo(2);
  journal.clear();
  q->Edit();
  q->FieldByName("Nome")->SetAsString("Bruno Alves");
  link.pendingField = q->FieldByName("Idade");
  link.pendingValue = "46";
  q->Post();
  EXPECT_EQ(journal, (Journal{"CheckBrowseMode", "BeforeEdit", "EditingChanged(on)", "OnStateChange",
                              "RecordChanged(nil)", "OnDataChange(nil)", "AfterEdit", "RecordChanged(Nome)",
                              "OnDataChange(Nome)", "UpdateData", "OnDataChange(Idade)", "OnUpdateData",
                              "CheckBrowseMode", "BeforePost", "EditingChanged(off)", "OnStateChange",
                              "DataSetChanged", "OnDataChange(nil)", "AfterPost"}))
      << Joined(journal);
  EXPECT_EQ(stored("select Nome from Pessoas where Id = 2").bytes(), "Bruno Alves");
  EXPECT_EQ(stored("select Idade from Pessoas where Id = 2").integerValue(), 46);
  EXPECT_EQ(stored("select Salario from Pessoas where Id = 2").toDouble(), 2200.0) << "untouched columns stay";
  // A second edit of the same row finds it again.
  q->Edit();
  q->FieldByName("Salario")->SetAsFloat(2300.25);
  q->FieldByName("Ativo")->SetAsBoolean(true);
  q->Post();
  EXPECT_EQ(stored("select Salario from Pessoas where Id = 2").toDouble(), 2300.25);
  EXPECT_EQ(stored("select Ativo from Pessoas where Id = 2").integerValue(), -1);
}

TEST_F(SqliteFile, CancelWritesNothing) {
  open("select * from Pessoas");
  q->Edit();
  q->FieldByName("Nome")->SetAsString("Outra");
  q->Cancel();
  EXPECT_EQ(q->FieldByName("Nome")->AsString(), "Ana");
  EXPECT_EQ(stored("select Nome from Pessoas where Id = 1").bytes(), "Ana");
}

TEST_F(SqliteFile, InsertedRowsGetTheNumberTheFileGives) {
  open("select * from Pessoas");
  q->Append();
  q->FieldByName("Nome")->SetAsString("Duarte");
  q->FieldByName("Nascido")->SetAsDateTime(EncodeDate(2000, 1, 31));
  q->Post();
  EXPECT_EQ(q->FieldByName("Id")->AsInteger(), 4);
  EXPECT_EQ(q->RecordCount(), 4);
  EXPECT_EQ(stored("select Nome from Pessoas where Id = 4").bytes(), "Duarte");
  EXPECT_EQ(stored("select Nascido from Pessoas where Id = 4").toDouble(), EncodeDate(2000, 1, 31));
  // The new row can be changed and deleted in turn.
  q->Edit();
  q->FieldByName("Idade")->SetAsInteger(24);
  q->Post();
  EXPECT_EQ(stored("select Idade from Pessoas where Id = 4").integerValue(), 24);
  q->Delete();
  EXPECT_EQ(stored("select count(*) from Pessoas").integerValue(), 3);
}

TEST_F(SqliteFile, AMissingRequiredValueStopsThePostBeforeTheFile) {
  open("select * from Pessoas");
  q->Append();
  q->FieldByName("Idade")->SetAsInteger(9);
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { q->Post(); }), "Field 'Nome' must have a value");
  EXPECT_EQ(q->State(), dsInsert);
  EXPECT_EQ(stored("select count(*) from Pessoas").integerValue(), 3);
}

TEST_F(SqliteFile, DeleteRemovesTheRowFromTheFile) {
  open("select * from Pessoas");
  q->SetRecNo(2);
  q->Delete();
  EXPECT_EQ(q->FieldByName("Nome")->AsString(), "Carla");
  EXPECT_EQ(stored("select count(*) from Pessoas where Id = 2").integerValue(), 0);
  EXPECT_EQ(stored("select count(*) from Pessoas").integerValue(), 2);
}

TEST_F(SqliteFile, ATableWithoutKeyChangesOnlyOneOfTwoEqualRows) {
  open("select * from Notas");
  q->Edit();
  q->FieldByName("Valor")->SetAsFloat(5);
  q->Post();
  EXPECT_EQ(stored("select count(*) from Notas where Texto = 'a' and Valor = 1").integerValue(), 1);
  EXPECT_EQ(stored("select count(*) from Notas where Texto = 'a' and Valor = 5").integerValue(), 1);
  q->Next();
  q->Delete();
  EXPECT_EQ(stored("select count(*) from Notas").integerValue(), 2);
  EXPECT_EQ(stored("select count(*) from Notas where Texto = 'a' and Valor = 1").integerValue(), 0);
}

TEST_F(SqliteFile, ComputedJoinedAndReadOnlyQueriesCannotBeModified) {
  struct Case {
    const char* sql;
    TADOLockType lock;
  };
  for (Case c : {Case{"select count(*) as n from Pessoas", ltOptimistic},
                 Case{"select p.Nome, d.Nome as Dep from Pessoas p, Dependentes d where p.Id = d.PessoaId", ltOptimistic},
                 Case{"select Nome, Idade * 2 as Dobro from Pessoas", ltOptimistic},
                 Case{"select * from Pessoas", ltReadOnly}}) {
    q->Close();
    q->SetLockType(c.lock);
    q->SQL()->SetText(c.sql);
    q->Open();
    EXPECT_FALSE(q->CanModify()) << c.sql;
    EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { q->Edit(); }), "Q: Cannot modify a read-only dataset") << c.sql;
  }
}

TEST_F(SqliteFile, AFileOpenedForReadingRefusesAndCancelsTheEdit) {
  con->SetMode(cmRead);
  open("select * from Pessoas");
  q->Edit();
  q->FieldByName("Nome")->SetAsString("X");
  std::string message = RaisedMessage<EADOError>([&] { q->Post(); });
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(q->State(), dsBrowse);
  EXPECT_EQ(q->FieldByName("Nome")->AsString(), "Ana");
  EXPECT_EQ(stored("select Nome from Pessoas where Id = 1").bytes(), "Ana");
}

TEST_F(SqliteFile, ExecSqlReportsTheRowsItChanged) {
  q->SQL()->SetText("update Pessoas set Idade = :idade where Ativo = :ativo");
  q->Parameters()->ParamByName("idade")->SetValue(50);
  q->Parameters()->ParamByName("ativo")->SetValue(true);
  EXPECT_EQ(q->ExecSQL(), 2);
  EXPECT_EQ(q->RowsAffected(), 2);
  EXPECT_EQ(stored("select count(*) from Pessoas where Idade = 50").integerValue(), 2);
  q->SQL()->SetText("update Pessoas set Idade = 1 where Id = 99");
  EXPECT_EQ(q->ExecSQL(), 0);
  q->SQL()->SetText("delete from Pessoas where Id = 3");
  EXPECT_EQ(RaisedMessage<EADOError>([&] { q->Open(); }), "Q: CommandText does not return a result set");
}

TEST_F(SqliteFile, RolledBackChangesAreGone) {
  con->Open();
  con->BeginTrans();
  EXPECT_TRUE(con->InTransaction());
  con->Execute("update Pessoas set Nome = 'Zé' where Id = 1");
  con->RollbackTrans();
  EXPECT_FALSE(con->InTransaction());
  EXPECT_EQ(stored("select Nome from Pessoas where Id = 1").bytes(), "Ana");
  con->BeginTrans();
  con->Execute("update Pessoas set Nome = 'Zé' where Id = 1");
  con->CommitTrans();
  EXPECT_EQ(stored("select Nome from Pessoas where Id = 1").bytes(), "Zé");
}

TEST_F(SqliteFile, RefreshShowsWhatOthersWroteAndKeepsThePosition) {
  open("select * from Pessoas");
  q->SetRecNo(2);
  {
    native::JetDatabase other(UnixPath(path));
    other.execute("update Pessoas set Nome = 'Bruna' where Id = 2");
    other.execute("insert into Pessoas (Id, Nome) values (9, 'Nova')");
  }
  EXPECT_EQ(q->FieldByName("Nome")->AsString(), "Bruno");
  q->Refresh();
  EXPECT_EQ(q->RecNo(), 2);
  EXPECT_EQ(q->FieldByName("Nome")->AsString(), "Bruna");
  EXPECT_EQ(q->RecordCount(), 4);
  // Rows read again can still be written.
  q->Edit();
  q->FieldByName("Idade")->SetAsInteger(20);
  q->Post();
  EXPECT_EQ(stored("select Idade from Pessoas where Id = 2").integerValue(), 20);
}

TEST_F(SqliteFile, ATableDataSetReadsAndWritesItsTable) {
  TADOTable table(nullptr);
  table.SetConnection(con.get());
  table.SetTableName("Dependentes");
  table.Open();
  EXPECT_EQ(table.RecordCount(), 3);
  table.Edit();
  table.FieldByName("Nome")->SetAsString("Rosa");
  table.Post();
  EXPECT_EQ(stored("select count(*) from Dependentes where Nome = 'Rosa'").integerValue(), 1);
  table.Close();
  table.SetReadOnly(true);
  table.Open();
  EXPECT_FALSE(table.CanModify());
}

// Text outside cp1252 (emoji, CJK) in a file: what a field shows, written back into a literal,
// selects exactly the rows holding it, and such a row is found again to be changed.
TEST_F(SqliteFile, TextOutsideCp1252SelectsItsRowsWhenWrittenBack) {
  {
    native::JetDatabase db(UnixPath(path));
    // char() makes the characters inside SQLite, as another program would have stored them.
    db.execute("insert into Notas values (char(128512) || ' feliz', 3), (char(128512) || ' feliz', 3), "
               "(char(128512) || ' feliz', 3), (char(128513) || ' feliz', 4), (char(21271, 20140), 5)");
  }
  open("select Texto, count(*) as n from Notas where Valor >= 3 group by Texto");
  ASSERT_EQ(q->RecordCount(), 3) << "three different texts stay three";
  std::vector<std::pair<std::string, Integer>> groups;
  for (q->First(); !q->Eof(); q->Next())
    groups.emplace_back(q->FieldByName("Texto")->AsString(), q->FieldByName("n")->AsInteger());
  for (const auto& [text, count] : groups) {
    EXPECT_EQ(text.find('?'), std::string::npos) << text;
    open("select count(*) as n from Notas where Texto = '" + text + "'");
    EXPECT_EQ(q->FieldByName("n")->AsInteger(), count) << text;
  }
  // A row of a table without a key is found by all its values, the emoji included.
  open("select * from Notas where Valor = 4");
  ASSERT_EQ(q->RecordCount(), 1);
  q->Edit();
  q->FieldByName("Valor")->SetAsFloat(40);
  q->Post();
  EXPECT_EQ(stored("select count(*) from Notas where Valor = 40 and Texto = char(128513) || ' feliz'"),
            native::Value::integer(1));
}

// --- Queries after the table under them changed: what a data set learns of its table (required
// columns, the key that finds a row again) is the table's shape at the time it opens.

namespace {

std::vector<std::string> columnNames(TADOConnection& con, const std::string& table) {
  TStringList list;
  con.GetFieldNames(table, &list);
  std::vector<std::string> names;
  for (Integer i = 0; i < list.Count(); ++i) names.push_back(list.Strings(i));
  return names;
}

}  // namespace

// The key moves from Id to Codigo, and Id is no longer unique: a row found again by the old key
// would change two rows.
TEST_F(SqliteFile, AQueryReadsATableCreatedAgainByThisOrAnotherConnection) {
  const char* const recreate[] = {
      "drop table Pessoas",
      "create table Pessoas (Id INTEGER, Codigo INTEGER PRIMARY KEY, Nome TEXT(30), Idade SMALLINT NOT NULL)",
      "insert into Pessoas values (1, 10, 'Ana', 30), (1, 20, 'Bia', 40)",
  };
  for (bool sameConnection : {true, false}) {
    SCOPED_TRACE(sameConnection ? "changed through the query's connection" : "changed through another connection");
    open("select * from Pessoas");
    ASSERT_TRUE(q->FieldByName("Nome")->Required());
    ASSERT_FALSE(q->FieldByName("Idade")->Required());
    q->Close();
    if (sameConnection) {
      for (const char* sql : recreate) con->Execute(sql);
    } else {
      native::JetDatabase other(UnixPath(path));
      for (const char* sql : recreate) other.execute(sql);
    }
    EXPECT_EQ(columnNames(*con, "pessoas"), (std::vector<std::string>{"Id", "Codigo", "Nome", "Idade"}));
    open("select * from Pessoas");
    EXPECT_FALSE(q->FieldByName("Nome")->Required());
    EXPECT_TRUE(q->FieldByName("Idade")->Required());
    ASSERT_TRUE(q->Locate("Codigo", 20, {}));
    q->Edit();
    q->FieldByName("Nome")->SetAsString("Eva");
    q->Post();
    EXPECT_EQ(stored("select count(*) from Pessoas where Nome = 'Eva'").integerValue(), 1);
    EXPECT_EQ(stored("select Nome from Pessoas where Codigo = 10").bytes(), "Ana");
    // Back to the fixture's shape for the next round.
    q->Close();
    con->Execute("drop table Pessoas");
    con->Execute("create table Pessoas (Id INTEGER PRIMARY KEY, Nome TEXT(30) NOT NULL, Idade SMALLINT)");
    con->Execute("insert into Pessoas values (1, 'Ana', 30)");
  }
}

TEST_F(SqliteFile, AQueryReadsARenamedColumn) {
  open("select * from Pessoas");
  ASSERT_NE(q->FindField("Nome"), nullptr);
  q->Close();
  con->Execute("alter table Pessoas rename column Nome to Apelido");
  EXPECT_EQ(columnNames(*con, "Pessoas"),
            (std::vector<std::string>{"Id", "Apelido", "Idade", "Comodos", "Salario", "Ativo", "Nascido", "Obs", "Peso"}));
  open("select Id, Apelido from Pessoas");
  EXPECT_TRUE(q->FieldByName("Apelido")->Required());
  q->Edit();
  q->FieldByName("Apelido")->SetAsString("Anita");
  q->Post();
  EXPECT_EQ(stored("select Apelido from Pessoas where Id = 1").bytes(), "Anita");
}
