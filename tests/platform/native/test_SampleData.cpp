// The project's sample survey database: deterministic, typed like an Access table, and with
// the structure that makes strata worth building.
#include "platform/native/SampleData.h"
#include "NativeTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace native;
using namespace nativetest;

namespace {

class SampleData : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    sample::writeSurveyDatabase(dir_->file("amostra.db"), 3000);
    db_ = new JetDatabase(dir_->file("amostra.db"));
  }
  static void TearDownTestSuite() {
    delete db_;
    delete dir_;
  }
  static double number(const std::string& sql) { return scalar(*db_, sql).toDouble(); }

  static TempDir* dir_;
  static JetDatabase* db_;
};
TempDir* SampleData::dir_ = nullptr;
JetDatabase* SampleData::db_ = nullptr;

}  // namespace

TEST_F(SampleData, IsTheSameEveryTime) {
  sample::writeSurveyDatabase(dir_->file("de-novo.db"), 3000);
  JetDatabase again(dir_->file("de-novo.db"));
  QueryResult a = db_->query("select * from domicilios order by id");
  QueryResult b = again.query("select * from domicilios order by id");
  ASSERT_EQ(a.rowCount(), 3000u);
  EXPECT_TRUE(a.values == b.values);
}

TEST_F(SampleData, ColumnsCarryJetTypes) {
  EXPECT_EQ(db_->tables(), (std::vector<std::string>{"domicilios"}));
  std::vector<FieldInfo> f = db_->fields("domicilios");
  std::vector<std::pair<std::string, JetType>> expected = {
      {"id", JetType::Long},         {"regiao", JetType::Text},  {"estado", JetType::Text},
      {"zona", JetType::Text},       {"moradores", JetType::Integer}, {"comodos", JetType::Byte},
      {"renda", JetType::Currency},  {"area", JetType::Double},  {"internet", JetType::Boolean},
      {"data_visita", JetType::DateTime}};
  ASSERT_EQ(f.size(), expected.size());
  for (size_t i = 0; i < f.size(); ++i) {
    EXPECT_EQ(f[i].name, expected[i].first);
    EXPECT_EQ(f[i].type, expected[i].second) << f[i].name;
  }
  EXPECT_TRUE(f[0].primaryKey);
  EXPECT_EQ(db_->rowIdentity("domicilios").columns, (std::vector<std::string>{"id"}));
  EXPECT_EQ(number("select min(id) from domicilios"), 1);
  EXPECT_EQ(number("select max(id) from domicilios"), 3000);
}

TEST_F(SampleData, HasNullsAccentsAndCaseSlipsLikeRealSurveyData) {
  for (const char* column : {"renda", "area", "comodos"}) {
    double missing = number(std::string("select count(*) - count(") + column + ") from domicilios");
    EXPECT_GT(missing, 10) << column;
    EXPECT_LT(missing, 300) << column;
  }
  // "São Paulo" in three spellings; the engine's comparison and grouping take them as one.
  double exact = number(cp("select count(*) from domicilios where estado glob 'São Paulo'"));
  double anyCase = number(cp("select count(*) from domicilios where estado = 'são paulo'"));
  EXPECT_GT(exact, 100);
  EXPECT_GT(anyCase, exact);
  EXPECT_EQ(db_->query("select estado, count(*) from domicilios group by estado").rowCount(), 27u);
  EXPECT_EQ(texts(db_->query("select distinct(regiao) from domicilios where (1=1)  ORDER BY regiao")),
            (std::vector<std::string>{"Centro-Oeste", "Nordeste", "Norte", "Sudeste", "Sul"}));
  // Dates fall in the fieldwork months, March to June 2023.
  EXPECT_EQ(number("select min(month(data_visita)) from domicilios"), 3);
  EXPECT_EQ(number("select max(month(data_visita)) from domicilios"), 6);
}

TEST_F(SampleData, IncomeDependsOnRegionZoneAndHouseholdSize) {
  auto meanIncome = [](const std::string& condition) {
    return number("select avg(renda) from domicilios where (1=1) " + condition);
  };
  EXPECT_GT(meanIncome("and regiao = 'Sudeste'"), 1.4 * meanIncome("and regiao = 'Nordeste'"));
  EXPECT_GT(meanIncome("and zona = 'Urbana'"), 1.4 * meanIncome("and zona = 'Rural'"));
  EXPECT_GT(meanIncome("and moradores >= 5"), 1.3 * meanIncome("and moradores = 1"));
  // So a cut on the region leaves less income variance inside the parts than in the whole.
  double whole = number("select varp(renda) from domicilios");
  double weighted = 0, n = 0;
  QueryResult parts = db_->query("select regiao, varp(renda), count(renda) from domicilios group by regiao");
  for (size_t i = 0; i < parts.rowCount(); ++i) {
    weighted += parts.at(i, 1).toDouble() * parts.at(i, 2).toDouble();
    n += parts.at(i, 2).toDouble();
  }
  EXPECT_LT(weighted / n, 0.9 * whole);
}
