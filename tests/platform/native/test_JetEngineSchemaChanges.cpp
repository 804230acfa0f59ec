// A table's description (fields, row identity) follows every change of the schema: the engine
// keeps descriptions between calls, and none of them may outlive the table it describes.
#include "platform/native/JetEngine.h"
#include "NativeTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace native;
using namespace nativetest;

namespace {

std::vector<std::string> fieldNames(JetDatabase& db, const std::string& table) {
  std::vector<std::string> names;
  for (const FieldInfo& f : db.fields(table)) names.push_back(f.name + (f.notNull ? "!" : ""));
  return names;
}

const char* const kCreate = "CREATE TABLE t (a INTEGER PRIMARY KEY, b TEXT(10) NOT NULL)";

}  // namespace

// Each change comes after the table was described once; the description afterwards must be the
// table's new one. "!" marks a not-null column.
TEST(SchemaChanges, DescriptionsFollowTheTablesNewShape) {
  struct Case {
    const char* name;
    std::function<void(JetDatabase& db, const std::string& path)> change;
    std::vector<std::string> fields;
    std::vector<std::string> identity;
  };
  const Case cases[] = {
      {"dropped and created again with other columns",
       [](JetDatabase& db, const std::string&) {
         db.execute("DROP TABLE t");
         db.execute("CREATE TABLE t (x TEXT(5) NOT NULL, y INTEGER, PRIMARY KEY (y))");
       },
       {"x!", "y"}, {"y"}},
      {"column renamed", [](JetDatabase& db, const std::string&) { db.execute("ALTER TABLE t RENAME COLUMN b TO c"); },
       {"a", "c!"}, {"a"}},
      {"column added", [](JetDatabase& db, const std::string&) { db.execute("ALTER TABLE t ADD COLUMN d REAL"); },
       {"a", "b!", "d"}, {"a"}},
      {"changed through another connection",
       [](JetDatabase&, const std::string& path) {
         JetDatabase other(path);
         other.execute("DROP TABLE t");
         other.execute("CREATE TABLE t (b TEXT(10), c INTEGER NOT NULL)");
       },
       {"b", "c!"}, {"rowid"}},
      {"shadowed by a temporary table",
       [](JetDatabase& db, const std::string&) { db.execute("CREATE TEMP TABLE t (z INTEGER NOT NULL PRIMARY KEY)"); },
       {"z!"}, {"z"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    std::string path = dir.file("esquema.db");
    OpenOptions create;
    create.create = true;
    JetDatabase db(path, create);
    db.execute(kCreate);
    ASSERT_EQ(fieldNames(db, "t"), (std::vector<std::string>{"a", "b!"}));
    ASSERT_EQ(db.rowIdentity("T").columns, (std::vector<std::string>{"a"}));
    c.change(db, path);
    EXPECT_EQ(fieldNames(db, "T"), c.fields);
    EXPECT_EQ(db.rowIdentity("t").columns, c.identity);
  }
}

TEST(SchemaChanges, ARolledBackChangeLeavesTheOldDescription) {
  TempDir dir;
  JetDatabase db = newSqlite(dir);
  db.execute(kCreate);
  ASSERT_EQ(fieldNames(db, "t"), (std::vector<std::string>{"a", "b!"}));
  db.execute("BEGIN");
  db.execute("DROP TABLE t");
  db.execute("CREATE TABLE t (n INTEGER)");
  EXPECT_EQ(fieldNames(db, "t"), (std::vector<std::string>{"n"})) << "inside the transaction";
  EXPECT_TRUE(db.rowIdentity("t").isRowid);
  db.execute("ROLLBACK");
  EXPECT_EQ(fieldNames(db, "t"), (std::vector<std::string>{"a", "b!"}));
  EXPECT_EQ(db.rowIdentity("t").columns, (std::vector<std::string>{"a"}));
  db.execute("DROP TABLE t");
  EXPECT_NE(errorOf([&] { db.fields("t"); }).find("no such table: t"), std::string::npos);
  EXPECT_FALSE(errorOf([&] { db.rowIdentity("t"); }).empty());
}

// Another database under the same name is another schema, whatever its schema version.
TEST(SchemaChanges, AnAttachedDatabaseReplacedUnderItsNameIsDescribedAnew) {
  TempDir dir;
  for (const char* name : {"um.db", "dois.db"}) {
    OpenOptions create;
    create.create = true;
    JetDatabase file(dir.file(name), create);
    file.execute(std::string(name) == "um.db" ? "CREATE TABLE u (p INTEGER)" : "CREATE TABLE u (q TEXT(3), r REAL)");
  }
  JetDatabase db = newSqlite(dir);
  db.execute("ATTACH DATABASE '" + dir.file("um.db") + "' AS extra");
  EXPECT_EQ(fieldNames(db, "u"), (std::vector<std::string>{"p"}));
  db.execute("DETACH DATABASE extra");
  db.execute("ATTACH DATABASE '" + dir.file("dois.db") + "' AS extra");
  EXPECT_EQ(fieldNames(db, "u"), (std::vector<std::string>{"q", "r"}));
  db.execute("DETACH DATABASE extra");
  db.execute("ATTACH DATABASE ':memory:' AS extra");
  db.execute("CREATE TABLE extra.u (s INTEGER)");
  EXPECT_EQ(fieldNames(db, "u"), (std::vector<std::string>{"s"}));
  db.execute("DETACH DATABASE extra");
  db.execute("ATTACH DATABASE ':memory:' AS extra");
  db.execute("CREATE TABLE extra.u (v INTEGER)");
  EXPECT_EQ(fieldNames(db, "u"), (std::vector<std::string>{"v"}));
}

// A column without a declared type takes the type of its values, which change without any
// change of the schema.
TEST(SchemaChanges, AnUndeclaredColumnFollowsItsValues) {
  TempDir dir;
  JetDatabase db = newSqlite(dir);
  db.execute("CREATE TABLE solto (x)");
  db.execute("INSERT INTO solto VALUES (7)");
  EXPECT_EQ(db.fields("solto")[0].type, JetType::Long);
  db.execute("UPDATE solto SET x = 'sete'");
  EXPECT_EQ(db.fields("solto")[0].type, JetType::Text);
}
