// The engine's statement observer: nothing is reported while none is installed; once one is,
// every statement of the program's SQL is reported once, with its Jet text and the SQLite text
// it became, whichever database runs it and whether or not SQLite accepts it.
#include "platform/native/JetEngine.h"
#include "NativeTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace native;
using namespace nativetest;

namespace {

using Reports = std::vector<std::pair<std::string, std::string>>;  // (Jet text, SQLite text)

class Recorder : public StatementObserver {
 public:
  void statementPrepared(const std::string& jetSql, const std::string& sqliteSql) override {
    reports.emplace_back(jetSql, sqliteSql);
  }
  Reports reports;
};

// Installs an observer for one scope and puts back the one it replaced.
class Installed {
 public:
  explicit Installed(StatementObserver* observer) : previous_(setStatementObserver(observer)) {}
  ~Installed() { setStatementObserver(previous_); }
  Installed(const Installed&) = delete;
  Installed& operator=(const Installed&) = delete;

 private:
  StatementObserver* previous_;
};

// pessoas: three people of two towns, one with an accented name.
JetDatabase peopleDatabase(const TempDir& dir, const char* name = "pessoas.db") {
  JetDatabase db = newSqlite(dir, name);
  db.execute("CREATE TABLE pessoas (nome " + jetTypeDeclaration(JetType::Text, 20) + ", cidade " +
             jetTypeDeclaration(JetType::Text, 20) + ", idade INTEGER)");
  db.execute("INSERT INTO pessoas VALUES (?, 'Recife', 30), ('Ana', 'Natal', 41), ('Bia', 'Recife', 25)",
             {Value::text(cp("Zé"))});
  return db;
}

}  // namespace

TEST(StatementObserver, NothingIsReportedWhileNoneIsInstalled) {
  TempDir dir;
  Recorder recorder;
  EXPECT_EQ(setStatementObserver(&recorder), nullptr) << "no observer is installed by default";
  EXPECT_EQ(setStatementObserver(nullptr), &recorder) << "removing it hands back the one removed";

  JetDatabase db = peopleDatabase(dir);
  db.query("select distinct cidade from pessoas");
  db.query("select cidade, count(*) from pessoas group by cidade");
  db.execute("update pessoas set idade = idade + 1");
  EXPECT_THROW(db.query("select nada from pessoas"), DatabaseError);
  EXPECT_TRUE(recorder.reports.empty()) << recorder.reports.size() << " statement(s) reported, the first: "
                                        << recorder.reports.front().first;
}

// Each statement once, whatever path its preparation takes: plain, with the ORDER BY that
// needs the column count (a probe), with the group keys' ORDER BY, a change through execute(),
// and text outside ASCII (the Jet text stays cp1252, the SQLite text is UTF-8).
TEST(StatementObserver, ReportsEachStatementOnceWithItsJetAndSqliteTexts) {
  TempDir dir;
  JetDatabase db = peopleDatabase(dir);
  Recorder recorder;
  {
    Installed installed(&recorder);
    const std::string accented = cp("select idade from pessoas where nome = 'ZÉ'");
    QueryResult r = db.query(accented);
    ASSERT_EQ(r.rowCount(), 1u);
    EXPECT_EQ(r.at(0, 0), Value::integer(30)) << "the statement still runs as before";
    EXPECT_EQ(db.query("select distinct cidade from pessoas").rowCount(), 2u);
    db.query("select cidade, count(*) as n from pessoas group by cidade");
    EXPECT_EQ(db.execute("update pessoas set idade = idade / 2 where cidade = 'Natal'"), 1);
    db.tables();
    db.fields("pessoas");
    db.rowIdentity("pessoas");

    const Reports expected = {
        {accented, "select idade from pessoas where nome = 'ZÉ' COLLATE JETTEXT"},
        {"select distinct cidade from pessoas", "select distinct cidade from pessoas ORDER BY 1 "},
        {"select cidade, count(*) as n from pessoas group by cidade",
         "select cidade, count(*) as n from pessoas group by cidade ORDER BY cidade "},
        {"update pessoas set idade = idade / 2 where cidade = 'Natal'",
         "update pessoas set idade = idade *1.0/ 2 where cidade = 'Natal' COLLATE JETTEXT"},
    };
    EXPECT_EQ(recorder.reports, expected) << "one report per statement; the catalogue reads are not statements";
  }
  size_t seen = recorder.reports.size();
  db.query("select count(*) from pessoas");
  EXPECT_EQ(recorder.reports.size(), seen) << "nothing after the observer was removed";
}

// A statement SQLite refuses has still been issued: it is reported once, with the text SQLite
// refused, and the caller still gets the error.
TEST(StatementObserver, ReportsStatementsSqliteRefusesOnce) {
  TempDir dir;
  JetDatabase db = peopleDatabase(dir);
  Recorder recorder;
  Installed installed(&recorder);
  EXPECT_THROW(db.query("select nada from pessoas"), DatabaseError);
  EXPECT_THROW(db.query("select distinct nada from pessoas"), DatabaseError);
  const Reports expected = {
      {"select nada from pessoas", "select nada from pessoas"},
      {"select distinct nada from pessoas", "select distinct nada from pessoas"},
  };
  EXPECT_EQ(recorder.reports, expected);
}

// The observer is process-wide: the statements of every open database reach it, an imported
// Access file's included.
TEST(StatementObserver, SeesTheStatementsOfEveryDatabase) {
  TempDir dir;
  JetDatabase first = peopleDatabase(dir, "um.db");
  JetDatabase second = peopleDatabase(dir, "dois.db");
  JetDatabase access(nwind());
  Recorder recorder;
  Installed installed(&recorder);
  first.query("select count(*) from pessoas");
  second.query("select count(*) from pessoas where idade > 26");
  access.query("select varp(Freight) from orders where ShipVia = 1");
  const Reports expected = {
      {"select count(*) from pessoas", "select count(*) from pessoas"},
      {"select count(*) from pessoas where idade > 26", "select count(*) from pessoas where idade > 26"},
      {"select varp(Freight) from orders where ShipVia = 1", "select varp(Freight) from orders where ShipVia = 1"},
  };
  EXPECT_EQ(recorder.reports, expected);
}
