// Jet's meaning of the query texts, checked on a SQLite table whose text columns declare the
// engine's collation (as imported Access tables and the sample database do).
#include "platform/native/JetEngine.h"
#include "platform/native/JetFunctions.h"
#include "NativeTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace native;
using namespace nativetest;

namespace {

class JetSemantics : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = std::make_unique<JetDatabase>(newSqlite(dir_));
    db_->execute("CREATE TABLE pessoas (id INTEGER PRIMARY KEY, nome " + jetTypeDeclaration(JetType::Text, 30) +
                 ", cidade " + jetTypeDeclaration(JetType::Text, 20) + ", idade " + jetTypeDeclaration(JetType::Integer) +
                 ", renda " + jetTypeDeclaration(JetType::Currency) + ", nascimento " +
                 jetTypeDeclaration(JetType::DateTime) + ", ativo " + jetTypeDeclaration(JetType::Boolean) + ")");
    // Rows go in out of order, with case variants, accents and nulls.
    struct Row {
      int id;
      const char* nome;
      const char* cidade;
      int idade;
      double renda;
      const char* nascimento;  // #literal# body
      bool ativo;
    } rows[] = {
        {1, "Zeca", "São Paulo", 40, 5200.50, "3/15/1984", true},
        {2, "ana", "Recife", 5, 0, "1/2/2019", false},
        {3, "Ávila", "SÃO PAULO", 33, 4100, "7/7/1991", true},
        {4, "avenida", nullptr, 27, 3900.25, "12/31/1997", false},
        {5, "Ana", "são paulo", 40, -1, "2/29/1984", true},
        {6, "Éden", "Belém", 61, 2500, "10/1/1963", true},
        {7, "bruno", "recife", 33, 3100, "5/5/1991", false},
        {8, "édna", "Belo Horizonte", 19, 800, "1/1/2005", true},
    };
    for (const Row& r : rows) {
      db_->execute("INSERT INTO pessoas VALUES (?, ?, ?, ?, ?, #" + std::string(r.nascimento) + "#, ?)",
                   {Value::integer(r.id), Value::text(cp(r.nome)), r.cidade ? Value::text(cp(r.cidade)) : Value(),
                    Value::integer(r.idade), r.renda < 0 ? Value() : Value::real(r.renda), Value::integer(r.ativo ? -1 : 0)});
    }
  }

  std::vector<int64_t> ids(const std::string& condition) {
    QueryResult r = db_->query("select id from pessoas where (1=1) " + condition + " order by id");
    std::vector<int64_t> out;
    for (size_t i = 0; i < r.rowCount(); ++i) out.push_back(r.at(i, 0).integerValue());
    return out;
  }

  TempDir dir_;
  std::unique_ptr<JetDatabase> db_;
};

}  // namespace

TEST_F(JetSemantics, TextComparesWithoutRegardToCase) {
  EXPECT_EQ(ids("and cidade = " + cp("'são paulo'")), (std::vector<int64_t>{1, 3, 5}));
  EXPECT_EQ(ids("and cidade <> 'RECIFE'"), (std::vector<int64_t>{1, 3, 5, 6, 8}));  // null is neither
  EXPECT_EQ(ids("and nome = 'ANA'"), (std::vector<int64_t>{2, 5}));
  EXPECT_EQ(ids("and nome = 'edna'"), (std::vector<int64_t>{}));  // accents still count
  EXPECT_EQ(ids("and nome in ('ZECA', 'Bruno')"), (std::vector<int64_t>{1, 7}));
  EXPECT_EQ(ids("and cidade = 'Recife' collate binary"), (std::vector<int64_t>{2}));  // unless asked otherwise
  // Literals compare the same way, also against a function's result.
  EXPECT_EQ(scalar(*db_, "select 'abc' = 'ABC'").integerValue(), 1);
  EXPECT_EQ(scalar(*db_, "select 'abc' < 'ABD'").integerValue(), 1);
  EXPECT_EQ(scalar(*db_, "select count(*) from pessoas where substr(nome, 1, 1) = 'A'").integerValue(), 3);
}

TEST_F(JetSemantics, GroupByMergesCaseVariantsAndComesBackInAscendingOrder) {
  // The strata run's value cuts: no ORDER BY, yet the rows come sorted (nulls first).
  QueryResult r = db_->query("select cidade as valor, count(*) as qtde from pessoas where (1=1) group by cidade");
  ASSERT_EQ(r.rowCount(), 5u);
  std::vector<std::string> cities = texts(r, 0);
  EXPECT_EQ(cities[0], "<null>");
  EXPECT_EQ(cities[1], cp("Belém"));
  EXPECT_EQ(cities[2], "Belo Horizonte");
  EXPECT_EQ(text::upperUtf8(cities[3]), "RECIFE");
  EXPECT_EQ(text::compareText(text::cp1252ToUtf8(cities[4]), "SÃO PAULO"), 0);
  EXPECT_EQ(doubles(r, 1), (std::vector<double>{1, 1, 1, 2, 3}));

  QueryResult ages = db_->query("select idade, count(*) from pessoas group by idade having count(*) > 1");
  EXPECT_EQ(doubles(ages, 0), (std::vector<double>{33, 40}));

  // With an index whose column order differs, SQLite groups in the index's order unless told.
  db_->execute("CREATE INDEX por_ativo ON pessoas (ativo, idade)");
  QueryResult pairs = db_->query("select idade, ativo, count(*) from pessoas group by idade, ativo");
  EXPECT_EQ(doubles(pairs, 0), (std::vector<double>{5, 19, 27, 33, 33, 40, 61}));
  EXPECT_EQ(doubles(pairs, 1), (std::vector<double>{0, -1, 0, -1, 0, -1, -1}));
}

TEST_F(JetSemantics, DistinctWithoutOrderByComesBackInAscendingOrder) {
  EXPECT_EQ(doubles(db_->query("select distinct(idade) from pessoas where (1=1)")),
            (std::vector<double>{5, 19, 27, 33, 40, 61}));
  std::vector<std::string> names = texts(db_->query("select distinct nome from pessoas"));
  ASSERT_EQ(names.size(), 7u);  // "ana" and "Ana" are one value
  EXPECT_EQ(text::upperUtf8(names[0]), "ANA");
  EXPECT_EQ(std::vector<std::string>(names.begin() + 1, names.end()),
            (std::vector<std::string>{"avenida", cp("Ávila"), "bruno", cp("Éden"), cp("édna"), "Zeca"}));
  // Several columns: ordered by the first, then the next; LIMIT takes the first rows of that order.
  QueryResult pairs = db_->query("select distinct idade, ativo from pessoas where idade > 20 limit 3");
  EXPECT_EQ(doubles(pairs, 0), (std::vector<double>{27, 33, 33}));
  EXPECT_EQ(doubles(pairs, 1), (std::vector<double>{0, -1, 0}));
  // Band indexes of the strata run: distinct(round(...)) without ORDER BY.
  EXPECT_EQ(doubles(db_->query("select distinct(round((idade-5)/14)) as valor from pessoas where (1=1) ")),
            (std::vector<double>{0, 1, 2, 4}));
}

TEST_F(JetSemantics, TheAddedOrderGoesBeforeLimitAndAroundCommentsAndCtes) {
  EXPECT_EQ(doubles(db_->query("select idade, count(*) from pessoas group by idade having count(*) >= 1 limit 2 -- os primeiros")),
            (std::vector<double>{5, 19}));
  EXPECT_EQ(doubles(db_->query("select distinct idade from pessoas where idade > 30 /* acima */ ;  ")),
            (std::vector<double>{33, 40, 61}));
  EXPECT_EQ(doubles(db_->query("with v as (select idade from pessoas order by id desc) select distinct idade from v limit 3")),
            (std::vector<double>{5, 19, 27}));
  EXPECT_EQ(doubles(db_->query("select distinct * from (select idade from pessoas where idade < 30)")),
            (std::vector<double>{5, 19, 27}));
}

TEST_F(JetSemantics, AnExplicitOrderOrACompoundQueryIsLeftAsWritten) {
  EXPECT_EQ(doubles(db_->query("select distinct idade from pessoas order by idade desc limit 2")),
            (std::vector<double>{61, 40}));
  EXPECT_EQ(doubles(db_->query("select idade from pessoas group by idade order by count(*) desc, idade limit 2")),
            (std::vector<double>{33, 40}));
  QueryResult u = db_->query("select distinct idade from pessoas where idade < 20 union all select 100");
  EXPECT_EQ(u.rowCount(), 3u);
  EXPECT_EQ(scalar(*db_, "select count(*) from (select distinct cidade from pessoas)").integerValue(), 5);
}

TEST_F(JetSemantics, SlashAlwaysDividesInFloatingPoint) {
  QueryResult r = db_->query("select 7/2, 7 / 2 * 2, 1 - 3/4, 2*3/4, -7/2 from pessoas where id = 1");
  EXPECT_EQ(doubles(r, 0)[0], 3.5);
  EXPECT_EQ(doubles(r, 1)[0], 7.0);
  EXPECT_EQ(doubles(r, 2)[0], 0.25);
  EXPECT_EQ(doubles(r, 3)[0], 1.5);
  EXPECT_EQ(doubles(r, 4)[0], -3.5);
  EXPECT_EQ(scalar(*db_, "select idade / 2 from pessoas where id = 2").toDouble(), 2.5);
  EXPECT_EQ(scalar(*db_, "select count(*) / 16 from pessoas").toDouble(), 0.5);
  // A slash inside text, a bracketed name or a comment is not division.
  EXPECT_EQ(scalar(*db_, "select '1/2' /* a/b */").bytes(), "1/2");
  db_->execute("CREATE TABLE [a/b] ([x/y] INTEGER)");
  db_->execute("INSERT INTO [a/b] VALUES (9)");
  EXPECT_EQ(scalar(*db_, "select [x/y] / 2 from [a/b]").toDouble(), 4.5);
  // Mod stays integer.
  EXPECT_EQ(scalar(*db_, "select 7 Mod 3").integerValue(), 1);
}

TEST_F(JetSemantics, RoundGoesHalfToEvenOnTheValueAsWritten) {
  struct Case {
    const char* expr;
    double expected;
  } cases[] = {
      {"round(0.5)", 0},          {"round(1.5)", 2},         {"round(2.5)", 2},        {"round(3.5)", 4},
      {"round(-0.5)", 0},         {"round(-1.5)", -2},       {"round(-2.5)", -2},      {"round(2.4999)", 2},
      {"round(2.675, 2)", 2.68},  {"round(2.665, 2)", 2.66}, {"round(0.125, 2)", 0.12}, {"round(0.375, 2)", 0.38},
      {"round(1.005, 2)", 1.0},   {"round(1.0051, 2)", 1.01}, {"round(1234.5678, 2)", 1234.57},
      {"round(9.995, 2)", 10.0},  {"round(0.0005, 3)", 0.0}, {"round(0.0015, 3)", 0.002}, {"round(0.00049, 3)", 0},
      {"round(1e20 + 0.5)", 1e20}, {"round(2.5, 0)", 2},     {"round(2.5, 0.6)", 2.5},  // places round to 1
      {"round(3.14159, 30)", 3.14159},
  };
  for (const Case& c : cases) {
    Value v = scalar(*db_, std::string("select ") + c.expr);
    ASSERT_EQ(v.kind(), Value::Kind::Float) << c.expr;
    EXPECT_EQ(v.realValue(), c.expected) << c.expr;
  }
  // Whole numbers stay whole, null stays null, negative places are refused.
  EXPECT_EQ(scalar(*db_, "select round(idade) from pessoas where id = 1").kind(), Value::Kind::Integer);
  EXPECT_TRUE(scalar(*db_, "select round(null, 2)").isNull());
  EXPECT_NE(errorOf([&] { db_->query("select round(12.5, -1)"); }).find("negative"), std::string::npos);
  EXPECT_NE(errorOf([&] { db_->query("select round('abc')"); }).find("not a number"), std::string::npos);
}

TEST(RoundHalfEven, AgreesWithDecimalRoundingOverAGridOfHalves) {
  // Every k + 0.5 and every x.xx5 below 100: the halfway cases must go to the even neighbour.
  for (int k = -50; k < 50; ++k) {
    double half = k + 0.5;
    double expected = (k % 2 == 0) ? k : k + 1;
    EXPECT_EQ(jetfunc::roundHalfEven(half, 0), expected) << half;
  }
  for (int cents = 0; cents < 1000; ++cents) {
    double x = (cents * 10 + 5) / 1000.0;  // 0.005, 0.015, ... written with three decimals
    int kept = cents % 2 == 0 ? cents : cents + 1;
    EXPECT_EQ(jetfunc::roundHalfEven(x, 2), kept / 100.0) << x;
  }
}

TEST_F(JetSemantics, PopulationVarianceAndTheOtherAggregatesSkipNulls) {
  db_->execute("CREATE TABLE amostra (x DOUBLE, g INTEGER)");
  for (double x : {2.0, 4.0, 4.0, 4.0, 5.0, 5.0, 7.0, 9.0}) db_->execute("INSERT INTO amostra VALUES (?, 1)", {Value::real(x)});
  db_->execute("INSERT INTO amostra VALUES (NULL, 1)");
  db_->execute("INSERT INTO amostra VALUES (NULL, 2)");
  QueryResult r = db_->query(
      "select varp(x) as variancia, count(x) as qtde, count(*) as linhas, avg(x) as media, var(x), stdevp(x), stdev(x), "
      "min(x), max(x) from amostra where (1=1) and g = 1");
  EXPECT_DOUBLE_EQ(r.at(0, 0).toDouble(), 4.0);
  EXPECT_EQ(r.at(0, 1).integerValue(), 8);
  EXPECT_EQ(r.at(0, 2).integerValue(), 9);
  EXPECT_DOUBLE_EQ(r.at(0, 3).toDouble(), 5.0);
  EXPECT_DOUBLE_EQ(r.at(0, 4).toDouble(), 32.0 / 7.0);
  EXPECT_DOUBLE_EQ(r.at(0, 5).toDouble(), 2.0);
  EXPECT_DOUBLE_EQ(r.at(0, 6).toDouble(), std::sqrt(32.0 / 7.0));
  EXPECT_EQ(r.at(0, 7).toDouble(), 2.0);
  EXPECT_EQ(r.at(0, 8).toDouble(), 9.0);

  // Over no values: varp is null (the run reads it as 0), count is 0.
  QueryResult none = db_->query("select varp(x) as variancia, count(x) as qtde, var(x) from amostra where (1=1) and g = 2");
  EXPECT_TRUE(none.at(0, 0).isNull());
  EXPECT_EQ(none.at(0, 1).integerValue(), 0);
  EXPECT_TRUE(none.at(0, 2).isNull());
  // One value: population variance 0, sample variance undefined.
  EXPECT_EQ(scalar(*db_, "select varp(x) from amostra where x = 9").toDouble(), 0.0);
  EXPECT_TRUE(scalar(*db_, "select var(x) from amostra where x = 9").isNull());
  EXPECT_NE(errorOf([&] { db_->query("select varp(nome) from pessoas"); }).find("not a number"), std::string::npos);
}

// The exact population variance of some doubles, by two passes in quad precision (113 bits):
// the mean's rounding error is then far below anything a double can show.
double exactPopulationVariance(const std::vector<double>& xs) {
  __float128 sum = 0;
  for (double x : xs) sum += x;
  __float128 mean = sum / static_cast<__float128>(xs.size());
  __float128 squares = 0;
  for (double x : xs) squares += (x - mean) * (x - mean);
  return static_cast<double>(squares / static_cast<__float128>(xs.size()));
}

TEST_F(JetSemantics, VarianceAgreesWithTheExactValueTo15Digits) {
  struct Case {
    const char* what;
    std::vector<double> values;
  } cases[] = {
      {"a large mean against a small spread", {100000000.1, 100000000.2, 100000000.4}},
      {"a larger mean still", {1e9 + 4, 1e9 + 7, 1e9 + 13, 1e9 + 16}},
      {"negative and far from zero", {-123456789.123, -123456789.125, -123456789.5, -123456788.75}},
      {"tiny spread on decimals", {0.1 + 1e6, 0.2 + 1e6, 0.3 + 1e6, 0.3 + 1e6, 0.7 + 1e6}},
      {"magnitudes mixed", {1e-3, 12.5, 1e12, 7.0, 1e12 + 0.5}},
      {"whole numbers beyond 32 bits", {3000000001.0, 3000000002.0, 3000000004.0, 3000000008.0}},
  };
  db_->execute("CREATE TABLE medidas (g INTEGER, x DOUBLE)");
  int group = 0;
  for (const Case& c : cases) {
    ++group;
    for (double x : c.values) db_->execute("INSERT INTO medidas VALUES (?, ?)", {Value::integer(group), Value::real(x)});
    db_->execute("INSERT INTO medidas VALUES (?, NULL)", {Value::integer(group)});  // nulls do not count
  }
  QueryResult r = db_->query("select g, varp(x), var(x), stdevp(x) from medidas group by g");
  ASSERT_EQ(r.rowCount(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::vector<double>& xs = cases[i].values;
    double exact = exactPopulationVariance(xs);
    double n = static_cast<double>(xs.size());
    double got = r.at(i, 1).toDouble();
    EXPECT_LE(std::fabs(got - exact), std::fabs(exact) * 1e-15) << cases[i].what << ": varp " << got << " exact " << exact;
    double sample = exact * n / (n - 1);
    EXPECT_LE(std::fabs(r.at(i, 2).toDouble() - sample), sample * 1e-15) << cases[i].what << ": var";
    double root = std::sqrt(exact);
    EXPECT_LE(std::fabs(r.at(i, 3).toDouble() - root), root * 1e-15) << cases[i].what << ": stdevp";
  }
  // The figure the first case must give, to the 16 digits printed.
  EXPECT_NEAR(r.at(0, 1).toDouble(), 0.0155555566814211, 1e-17);

  // Equal values far from zero: exactly 0, never a small positive or negative remainder.
  for (int i = 0; i < 7; ++i) db_->execute("INSERT INTO medidas VALUES (99, ?)", {Value::real(987654321.987)});
  EXPECT_EQ(scalar(*db_, "select varp(x) from medidas where g = 99"), Value::real(0.0));
  EXPECT_EQ(scalar(*db_, "select stdev(x) from medidas where g = 99"), Value::real(0.0));
  // One value, nulls only, no rows.
  db_->execute("INSERT INTO medidas VALUES (100, 1e15)");
  db_->execute("INSERT INTO medidas VALUES (101, NULL)");
  EXPECT_EQ(scalar(*db_, "select varp(x) from medidas where g = 100"), Value::real(0.0));
  EXPECT_TRUE(scalar(*db_, "select var(x) from medidas where g = 100").isNull());
  EXPECT_TRUE(scalar(*db_, "select varp(x) from medidas where g = 101").isNull());
  EXPECT_TRUE(scalar(*db_, "select varp(x) from medidas where g = 102").isNull());
  // Integer values go through the same arithmetic.
  db_->execute("CREATE TABLE contagens (n INTEGER)");
  for (int64_t v : {4000000001LL, 4000000002LL, 4000000004LL})
    db_->execute("INSERT INTO contagens VALUES (?)", {Value::integer(v)});
  EXPECT_EQ(scalar(*db_, "select varp(n) from contagens"), Value::real(14.0 / 9.0));
}

TEST_F(JetSemantics, JetSyntaxInUserConditions) {
  struct Case {
    std::string condition;
    std::vector<int64_t> ids;
  } cases[] = {
      {"and nome Like 'a*'", {2, 4, 5}},
      {"and nome like '?na'", {2, 5}},
      {"and nome Like '[a-b]*'", {2, 3, 4, 5, 7}},  // a list range takes accented letters too
      {"and nome Not Like '*a*'", {6, 7}},
      {"and nascimento < #1/1/1985#", {1, 5, 6}},
      {"and nascimento between #1990-01-01# and #12/31/1999 23:59#", {3, 4, 7}},
      {"and nascimento = #2/29/1984#", {5}},
      {"and ativo = True", {1, 3, 5, 6, 8}},
      {"and ativo = false and idade > 20", {4, 7}},
      {"and not ativo", {2, 4, 7}},
      {"and cidade = \"Recife\"", {2, 7}},  // double quotes delimit text in Jet
      {"and [idade] Mod 2 = 1", {2, 3, 4, 6, 7, 8}},
      {"and renda is null", {5}},
      {"and (idade >= 19) and (idade < 33)", {4, 8}},
      {"and (NOT ((idade >= 19 and idade < 33)))", {1, 2, 3, 5, 6, 7}},
  };
  for (const Case& c : cases) EXPECT_EQ(ids(c.condition), c.ids) << c.condition;
  EXPECT_NE(errorOf([&] { ids("and nascimento < #31/12/1999#"); }).find("#31/12/1999#"), std::string::npos);
}

TEST_F(JetSemantics, JetFunctionsForUserConditions) {
  struct Case {
    std::string expr;
    Value expected;
  } cases[] = {
      {"ucase(nome)", Value::text(cp("ÁVILA"))},
      {"lcase('ÉDEN Ç')", Value::text(cp("éden ç"))},
      {"upper(cidade)", Value::text(cp("SÃO PAULO"))},
      {"len(nome)", Value::integer(5)},
      {"len(12.5)", Value::integer(4)},
      {"mid(nome, 2)", Value::text("vila")},
      {"mid(nome, 2, 2)", Value::text("vi")},
      {"mid(nome, 9, 2)", Value::text("")},
      {"left(cidade, 3)", Value::text(cp("SÃO"))},
      {"right(cidade, 5)", Value::text("PAULO")},
      {"Left(nome, 99)", Value::text(cp("Ávila"))},
      {"nz(null, 0)", Value::integer(0)},
      {"nz(null)", Value::text("")},
      {"nz(idade, 0)", Value::integer(33)},
      {"int(-2.5)", Value::real(-3)},
      {"fix(-2.5)", Value::real(-2)},
      {"int(idade)", Value::integer(33)},
      {"year(nascimento)", Value::integer(1991)},
      {"month(nascimento)", Value::integer(7)},
      {"day(nascimento)", Value::integer(7)},
      {"year('2020-05-17')", Value::integer(2020)},
      {"sqr(16)", Value::real(4)},
      {"iif(ativo, 'sim', 'não')", Value::text("sim")},
      {"nz(renda, 0) / 1000", Value::real(4.1)},
  };
  for (const Case& c : cases) {
    Value v = scalar(*db_, cp(("select " + c.expr + " from pessoas where id = 3").c_str()));
    EXPECT_EQ(v, c.expected) << c.expr << " gave kind " << static_cast<int>(v.kind()) << " '" << v.bytes() << "' "
                             << v.toDouble();
  }
  for (const char* bad : {"mid(nome, 0)", "left(nome, -1)", "sqr(-1)", "year('ontem')"})
    EXPECT_FALSE(errorOf([&] { db_->query(std::string("select ") + bad + " from pessoas"); }).empty()) << bad;
}

TEST_F(JetSemantics, ResultColumnsKeepTheTypeOfTheColumnTheyComeFrom) {
  // The type probe of the strata run: a text attribute comes back as text, a number as a number.
  QueryResult text = db_->query("select distinct(cidade) from pessoas where (1=1)  ORDER BY cidade");
  EXPECT_EQ(text.columns[0].name, "cidade");
  EXPECT_EQ(text.columns[0].type, JetType::Text);
  EXPECT_EQ(text.columns[0].size, 20);
  EXPECT_FALSE(text.columns[0].computed);
  EXPECT_EQ(text.at(1, 0).kind(), Value::Kind::Text);

  QueryResult number = db_->query("select distinct(idade) from pessoas where (1=1)  ORDER BY idade");
  EXPECT_EQ(number.columns[0].type, JetType::Integer);
  EXPECT_EQ(number.at(0, 0).kind(), Value::Kind::Integer);

  QueryResult cut = db_->query("select cidade as valor, count(*) as qtde from pessoas where (1=1) group by cidade");
  EXPECT_EQ(cut.columns[0].name, "valor");
  EXPECT_EQ(cut.columns[0].type, JetType::Text);
  EXPECT_EQ(cut.columns[0].baseTable, "pessoas");
  EXPECT_EQ(cut.columns[0].baseColumn, "cidade");
  EXPECT_EQ(cut.findColumn("VALOR"), 0);
  EXPECT_EQ(cut.findColumn("Qtde"), 1);
  EXPECT_EQ(cut.findColumn("nada"), -1);
  EXPECT_EQ(cut.columns[1].type, JetType::Long);
  EXPECT_TRUE(cut.columns[1].computed);

  QueryResult typed = db_->query("select renda, nascimento, ativo, renda * 2 as dobro, varp(idade) as v, "
                                 "min(idade) as m, 'abc' as t, 4294967296 * 2 as grande, x'00ff' as b from pessoas where id = 1");
  std::vector<JetType> expected = {JetType::Currency, JetType::DateTime, JetType::Boolean, JetType::Double, JetType::Double,
                                   JetType::Long,     JetType::Text,     JetType::BigInt,  JetType::OleObject};
  for (size_t c = 0; c < expected.size(); ++c) EXPECT_EQ(typed.columns[c].type, expected[c]) << typed.columns[c].name;
  EXPECT_EQ(typed.columns[6].size, 3);
  // Currency and dates come as floats even when SQLite stored them as whole numbers; Yes is -1.
  EXPECT_EQ(typed.at(0, 0), Value::real(5200.5));
  EXPECT_EQ(typed.at(0, 1).kind(), Value::Kind::Float);
  EXPECT_EQ(typed.at(0, 2), Value::integer(-1));
  QueryResult whole = db_->query("select renda, nascimento from pessoas where id = 3");
  EXPECT_EQ(whole.at(0, 0), Value::real(4100));
  EXPECT_EQ(whole.at(0, 1), Value::real(33426));  // 7/7/1991
}
