// Real Access files: nwind.mdb (Jet 3) and DateTestDatabase.mdb (Jet 4), imported whole.
#include "platform/native/JetEngine.h"
#include "NativeTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

using namespace native;
using namespace nativetest;

namespace {

// Opening nwind once for the whole suite keeps the suite quick; the read-only test proves
// that nothing here can change it.
class Nwind : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { db_ = new JetDatabase(nwind()); }
  static void TearDownTestSuite() {
    delete db_;
    db_ = nullptr;
  }
  static JetDatabase& db() { return *db_; }

  static void expectFields(const std::string& table,
                           const std::vector<std::tuple<std::string, JetType, int32_t>>& expected) {
    std::vector<FieldInfo> fields = db().fields(table);
    ASSERT_EQ(fields.size(), expected.size()) << table;
    for (size_t i = 0; i < fields.size(); ++i) {
      EXPECT_EQ(fields[i].name, std::get<0>(expected[i])) << table;
      EXPECT_EQ(fields[i].type, std::get<1>(expected[i])) << table << "." << fields[i].name << " is "
                                                          << jetTypeName(fields[i].type);
      EXPECT_EQ(fields[i].size, std::get<2>(expected[i])) << table << "." << fields[i].name;
    }
  }

  static JetDatabase* db_;
};
JetDatabase* Nwind::db_ = nullptr;

}  // namespace

TEST_F(Nwind, ListsEveryUserTable) {
  EXPECT_EQ(db().kind(), DatabaseKind::Access);
  EXPECT_TRUE(db().readOnly());
  EXPECT_EQ(db().tables(), (std::vector<std::string>{"Order Details", "Orders", "Products", "Shippers", "Categories",
                                                      "Customers", "Employees", "Suppliers", cp("Umsätze")}));
}

TEST_F(Nwind, FieldNamesAndJetTypes) {
  expectFields("Orders", {{"OrderID", JetType::Long, 0},          {"CustomerID", JetType::Text, 5},
                          {"EmployeeID", JetType::Long, 0},       {"OrderDate", JetType::DateTime, 0},
                          {"RequiredDate", JetType::DateTime, 0}, {"ShippedDate", JetType::DateTime, 0},
                          {"ShipVia", JetType::Long, 0},          {"Freight", JetType::Currency, 0},
                          {"ShipName", JetType::Text, 40},        {"ShipAddress", JetType::Text, 60},
                          {"ShipCity", JetType::Text, 15},        {"ShipRegion", JetType::Text, 15},
                          {"ShipPostalCode", JetType::Text, 10},  {"ShipCountry", JetType::Text, 15}});
  expectFields("Products", {{"ProductID", JetType::Long, 0},      {"ProductName", JetType::Text, 40},
                            {"SupplierID", JetType::Long, 0},     {"CategoryID", JetType::Long, 0},
                            {"QuantityPerUnit", JetType::Text, 20}, {"UnitPrice", JetType::Currency, 0},
                            {"UnitsInStock", JetType::Integer, 0}, {"UnitsOnOrder", JetType::Integer, 0},
                            {"ReorderLevel", JetType::Integer, 0}, {"Discontinued", JetType::Boolean, 0}});
  expectFields("Categories", {{"CategoryID", JetType::Long, 0}, {"CategoryName", JetType::Text, 15},
                              {"Description", JetType::Memo, 0}, {"Picture", JetType::OleObject, 0}});
  expectFields("Order Details", {{"OrderID", JetType::Long, 0}, {"ProductID", JetType::Long, 0},
                                 {"UnitPrice", JetType::Currency, 0}, {"Quantity", JetType::Integer, 0},
                                 {"Discount", JetType::Single, 0}});
  // Names match without regard to case, as Jet's do.
  EXPECT_EQ(db().fields("orders").size(), 14u);
}

TEST_F(Nwind, KeysAndAutoNumbers) {
  std::vector<FieldInfo> orders = db().fields("Orders");
  EXPECT_TRUE(orders[0].primaryKey);
  EXPECT_TRUE(orders[0].autoIncrement);
  EXPECT_FALSE(orders[1].primaryKey);
  EXPECT_EQ(db().rowIdentity("Orders").columns, (std::vector<std::string>{"OrderID"}));
  RowIdentity details = db().rowIdentity("Order Details");
  EXPECT_EQ(details.columns, (std::vector<std::string>{"OrderID", "ProductID"}));
  EXPECT_FALSE(details.isRowid);
}

TEST_F(Nwind, ValuesArriveTyped) {
  QueryResult r = db().query("select * from Orders where OrderID = 10248");
  ASSERT_EQ(r.rowCount(), 1u);
  EXPECT_EQ(r.at(0, r.findColumn("OrderID")), Value::integer(10248));
  EXPECT_EQ(r.at(0, r.findColumn("CustomerID")), Value::text("VINET"));
  EXPECT_EQ(r.at(0, r.findColumn("OrderDate")), Value::real(34550));  // 4 Aug 1994
  EXPECT_EQ(r.at(0, r.findColumn("Freight")), Value::real(32.38));
  EXPECT_TRUE(r.at(0, r.findColumn("ShipRegion")).isNull());
  EXPECT_EQ(r.columns[static_cast<size_t>(r.findColumn("Freight"))].type, JetType::Currency);

  EXPECT_EQ(scalar(db(), "select Discount from [Order Details] where OrderID = 10250 and ProductID = 51"), Value::real(0.15));
  EXPECT_EQ(scalar(db(), "select count(*) from Products where Discontinued = True"), Value::integer(8));
  EXPECT_EQ(scalar(db(), "select Discontinued from Products where ProductID = 5"), Value::integer(-1));
  Value picture = scalar(db(), "select Picture from Categories where CategoryID = 1");
  EXPECT_EQ(picture.kind(), Value::Kind::Blob);
  EXPECT_GT(picture.bytes().size(), 1000u);
  Value notes = scalar(db(), "select Notes from Employees where EmployeeID = 1");
  EXPECT_EQ(notes.bytes().rfind("Education includes a BA", 0), 0u);
}

TEST_F(Nwind, AccentedTextArrivesInCp1252AndMatchesCp1252Literals) {
  EXPECT_EQ(scalar(db(), "select Address from Customers where CustomerID = 'ANATR'"),
            Value::text(cp("Avda. de la Constitución 2222")));
  // Count the customers of México D.F. independently, then through the engine's comparison.
  QueryResult cities = db().query("select City from Customers");
  int64_t expected = 0;
  for (const std::string& c : texts(cities))
    if (c == cp("México D.F.")) ++expected;
  EXPECT_EQ(expected, 5);
  EXPECT_EQ(scalar(db(), cp("select count(*) from Customers where City = 'MÉXICO d.f.'")), Value::integer(expected));
  EXPECT_EQ(scalar(db(), cp("select count(*) from [Umsätze]")), Value::integer(830));
}

TEST_F(Nwind, VarianceCountAndMeanOfFreightMatchAnIndependentComputation) {
  QueryResult all = db().query("select Freight, ShipCountry from Orders");
  auto moments = [&](const std::string& country) {
    std::vector<long double> xs;
    for (size_t i = 0; i < all.rowCount(); ++i)
      if (country.empty() || text::compareText(text::cp1252ToUtf8(all.at(i, 1).bytes()), country) == 0)
        if (!all.at(i, 0).isNull()) xs.push_back(all.at(i, 0).toDouble());
    long double sum = 0;
    for (long double x : xs) sum += x;
    long double mean = sum / xs.size();
    long double ss = 0;
    for (long double x : xs) ss += (x - mean) * (x - mean);
    return std::make_tuple(static_cast<double>(ss / xs.size()), static_cast<int64_t>(xs.size()), static_cast<double>(mean));
  };
  for (std::string country : {"", "Brazil", "germany"}) {
    auto [varp, count, mean] = moments(country);
    std::string where = country.empty() ? "" : " and ShipCountry = '" + country + "'";
    QueryResult r = db().query("select varp(Freight) as variancia, count(Freight) as qtde, avg(Freight) as media from Orders "
                               "where (1=1)" + where);
    EXPECT_NEAR(r.at(0, 0).toDouble(), varp, varp * 1e-12) << country;
    EXPECT_EQ(r.at(0, 1), Value::integer(count)) << country;
    EXPECT_NEAR(r.at(0, 2).toDouble(), mean, mean * 1e-12) << country;
    EXPECT_GT(count, 50) << country;
  }
}

TEST_F(Nwind, StrataQueriesOnARealTable) {
  // Value cuts group a text attribute, case variants merged, in ascending order.
  QueryResult cut = db().query("select ShipCountry as valor, count(*) as qtde from Orders where (1=1) group by ShipCountry");
  std::vector<std::string> countries = texts(cut, 0);
  ASSERT_EQ(countries.size(), 21u);
  EXPECT_EQ(countries.front(), "Argentina");
  EXPECT_EQ(countries.back(), "Venezuela");
  for (size_t i = 1; i < countries.size(); ++i) EXPECT_LT(countries[i - 1], countries[i]);
  double total = 0;
  for (double q : doubles(cut, 1)) total += q;
  EXPECT_EQ(total, 830);
  EXPECT_EQ(cut.columns[0].type, JetType::Text);

  // The type probe: numeric attributes come back as numbers, ascending.
  QueryResult probe = db().query("select distinct(EmployeeID) from Orders where (1=1)  ORDER BY EmployeeID");
  EXPECT_EQ(probe.columns[0].type, JetType::Long);
  EXPECT_EQ(doubles(probe), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  // Band cuts: min, max, the band indexes and one band's variance and count.
  QueryResult all = db().query("select Freight from Orders");
  EXPECT_EQ(scalar(db(), "Select MIN(Freight) as Minimo from Orders where (1=1) ").toDouble(), 0.02);
  EXPECT_EQ(scalar(db(), "Select MAX(Freight) as Maximo  from Orders where (1=1) ").toDouble(), 1007.64);
  QueryResult bands = db().query("select distinct(round((Freight-0.02)/100.762)) as valor from Orders where (1=1) ");
  std::set<double> expected;
  for (double f : doubles(all)) expected.insert(std::nearbyint((f - 0.02) / 100.762));
  EXPECT_EQ(doubles(bands), std::vector<double>(expected.begin(), expected.end()));  // ascending, each once
  QueryResult band = db().query("Select  varp(Freight) as variancia, count(Freight) as quantidade from Orders where (1=1)  and "
                                "Freight >= 0.02 and Freight < 100.782");
  EXPECT_EQ(band.at(0, 0).kind(), Value::Kind::Float);
  std::vector<double> freights = doubles(all);
  EXPECT_EQ(band.at(0, 1), Value::integer(static_cast<int64_t>(std::count_if(
                               freights.begin(), freights.end(), [](double f) { return f >= 0.02 && f < 100.782; }))));
}

TEST_F(Nwind, AccessTablesAreReadOnlyAndStayIntact) {
  const char* changes[] = {
      "delete from Orders",
      "update Orders set Freight = 0 where OrderID = 10248",
      "insert into Shippers (CompanyName) values ('Nova')",
      "drop table Orders",
      "create table Nova (x integer)",
      "create temp table Nova (x integer)",
      "alter table Orders add column x integer",
      "create index ix on Orders (Freight)",
      "PRAGMA query_only = 0",
      "attach database ':memory:' as outra",
  };
  for (const char* sql : changes) {
    std::string message = errorOf([&] { db().execute(sql); });
    EXPECT_NE(message.find("Access files are read-only here"), std::string::npos) << sql << ": " << message;
    EXPECT_NE(message.find("nothing was changed"), std::string::npos) << sql;
    EXPECT_NE(message.find("nwind.mdb"), std::string::npos) << sql;
  }
  EXPECT_NE(errorOf([&] { db().query("delete from Orders"); }).find("it would delete from table 'Orders'"), std::string::npos);
  EXPECT_EQ(scalar(db(), "select count(*) from Orders"), Value::integer(830));
  EXPECT_EQ(scalar(db(), "select Freight from Orders where OrderID = 10248"), Value::real(32.38));
  EXPECT_EQ(db().tables().size(), 9u);
  EXPECT_EQ(db().fields("Orders").size(), 14u);
  // Reading still works after the refusals.
  EXPECT_EQ(scalar(db(), "select count(*) from Shippers"), Value::integer(3));
}

TEST(AccessJet4, DateTestDatabaseTypesAndValues) {
  JetDatabase db(dateTest());
  EXPECT_EQ(db.tables(), (std::vector<std::string>{"DateTest"}));
  std::vector<FieldInfo> f = db.fields("DateTest");
  std::vector<std::pair<std::string, JetType>> expected = {
      {"IDCol", JetType::Long},         {"DateTimeCol", JetType::DateTime}, {"DateCol", JetType::DateTime},
      {"TimeCol", JetType::DateTime},   {"LongTextCol", JetType::Memo},     {"ShortTextCol", JetType::Text}};
  ASSERT_EQ(f.size(), expected.size());
  for (size_t i = 0; i < f.size(); ++i) {
    EXPECT_EQ(f[i].name, expected[i].first);
    EXPECT_EQ(f[i].type, expected[i].second) << f[i].name;
  }
  EXPECT_EQ(f[5].size, 255);  // Jet 4 stores text lengths in bytes of UTF-16: 510 / 2

  QueryResult r = db.query("select IDCol, DateTimeCol, year(DateTimeCol), ShortTextCol, LongTextCol from DateTest order by IDCol");
  ASSERT_EQ(r.rowCount(), 6u);
  EXPECT_EQ(r.at(0, 1), Value::real(44532));  // 2 Dec 2021
  EXPECT_EQ(r.at(0, 2), Value::integer(2021));
  EXPECT_EQ(r.at(1, 2), Value::integer(9999));
  EXPECT_EQ(r.at(2, 1), Value::real(-728));  // before 1900: a negative OLE date
  EXPECT_EQ(r.at(2, 2), Value::integer(1898));
  EXPECT_EQ(r.at(0, 3), Value::text("Hello"));
  EXPECT_EQ(r.at(5, 4), Value::text("New line\r\nin field"));
  EXPECT_EQ(scalar(db, "select count(*) from DateTest where DateTimeCol >= #12/2/2021# and DateTimeCol < #2021-12-03#"),
            Value::integer(3));
  EXPECT_FALSE(errorOf([&] { db.execute("delete from DateTest"); }).empty());
}
