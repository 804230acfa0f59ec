// SQLite database files: opened in place, read and written with parameters, described.
#include "platform/native/JetEngine.h"
#include "NativeTestSupport.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>

#include <string>
#include <vector>

using namespace native;
using namespace nativetest;

TEST(SqliteFile, WritesWithParametersAndReadsBackAfterReopening) {
  TempDir dir;
  std::string path = dir.file("dados.db");
  {
    OpenOptions create;
    create.create = true;
    JetDatabase db(path, create);
    EXPECT_EQ(db.kind(), DatabaseKind::Sqlite);
    EXPECT_FALSE(db.readOnly());
    db.execute("CREATE TABLE cadastro (id INTEGER PRIMARY KEY, nome " + jetTypeDeclaration(JetType::Text, 40) +
               ", foto " + jetTypeDeclaration(JetType::OleObject) + ", valor " + jetTypeDeclaration(JetType::Double) + ")");
    std::string bytes("\x00\x01\xFF\x80", 4);
    EXPECT_EQ(db.execute("INSERT INTO cadastro (nome, foto, valor) VALUES (?, ?, ?)",
                         {Value::text(cp("Conceição “Ção” €")), Value::blob(bytes), Value::real(0.1)}),
              1);
    EXPECT_EQ(db.lastInsertRowid(), 1);
    db.execute("INSERT INTO cadastro (nome, foto, valor) VALUES (?, ?, ?)", {Value::text("Outro"), Value(), Value::integer(7)});
    EXPECT_EQ(db.execute("UPDATE cadastro SET valor = valor * 2 WHERE nome Like ?", {Value::text("out*")}), 1);
  }
  JetDatabase db(path);
  QueryResult r = db.query("select nome, foto, valor from cadastro where nome = ? order by id", {Value::text(cp("CONCEIÇÃO “ÇÃO” €"))});
  ASSERT_EQ(r.rowCount(), 1u);
  EXPECT_EQ(r.at(0, 0), Value::text(cp("Conceição “Ção” €")));
  EXPECT_EQ(r.at(0, 1), Value::blob(std::string("\x00\x01\xFF\x80", 4)));
  EXPECT_EQ(r.at(0, 2), Value::real(0.1));
  EXPECT_EQ(scalar(db, "select valor from cadastro where id = 2"), Value::real(14));
  EXPECT_TRUE(scalar(db, "select foto from cadastro where id = 2").isNull());
  EXPECT_EQ(db.execute("DELETE FROM cadastro WHERE id = ?", {Value::integer(1)}), 1);
  EXPECT_EQ(db.execute("select count(*) from cadastro"), 0);  // not the delete's count again
  EXPECT_EQ(scalar(db, "select count(*) from cadastro"), Value::integer(1));
}

TEST(SqliteFile, DescribesTablesFieldsAndRowIdentity) {
  TempDir dir;
  JetDatabase db = newSqlite(dir);
  db.execute("CREATE TABLE com_chave (a INTEGER NOT NULL, b TEXT(3), c TEXT, PRIMARY KEY (b, a))");
  db.execute("CREATE TABLE autonum (id INTEGER PRIMARY KEY, x REAL)");
  db.execute("CREATE TABLE sem_chave (x INTEGER)");
  EXPECT_EQ(db.tables(), (std::vector<std::string>{"com_chave", "autonum", "sem_chave"}));

  std::vector<FieldInfo> f = db.fields("COM_CHAVE");
  ASSERT_EQ(f.size(), 3u);
  EXPECT_EQ(f[0].name, "a");
  EXPECT_TRUE(f[0].notNull);
  EXPECT_TRUE(f[0].primaryKey);
  EXPECT_FALSE(f[0].autoIncrement);
  EXPECT_EQ(f[1].type, JetType::Text);
  EXPECT_EQ(f[1].size, 3);
  EXPECT_FALSE(f[2].primaryKey);
  EXPECT_TRUE(db.fields("autonum")[0].autoIncrement);

  RowIdentity keyed = db.rowIdentity("com_chave");
  EXPECT_EQ(keyed.columns, (std::vector<std::string>{"b", "a"}));  // in key order
  EXPECT_FALSE(keyed.isRowid);
  RowIdentity plain = db.rowIdentity("sem_chave");
  EXPECT_EQ(plain.columns, (std::vector<std::string>{"rowid"}));
  EXPECT_TRUE(plain.isRowid);
  db.execute("INSERT INTO sem_chave VALUES (5)");
  EXPECT_EQ(scalar(db, "select rowid from sem_chave where x = 5"), Value::integer(db.lastInsertRowid()));

  EXPECT_NE(errorOf([&] { db.fields("nao_existe"); }).find("no such table: nao_existe"), std::string::npos);
  EXPECT_FALSE(errorOf([&] { db.rowIdentity("nao_existe"); }).empty());
}

TEST(SqliteFile, DeclaredTypesOfOtherProgramsMapToJetTypes) {
  TempDir dir;
  JetDatabase db = newSqlite(dir);
  struct Case {
    const char* decl;
    JetType type;
    int32_t size;
  } cases[] = {
      {"TEXT(40)", JetType::Text, 40},       {"VARCHAR(12)", JetType::Text, 12},    {"TEXT", JetType::Text, 255},
      {"NVARCHAR(8)", JetType::Text, 8},     {"LONGTEXT", JetType::Memo, 0},        {"MEMO", JetType::Memo, 0},
      {"CLOB", JetType::Memo, 0},            {"BYTE", JetType::Byte, 0},            {"TINYINT", JetType::Byte, 0},
      {"SMALLINT", JetType::Integer, 0},     {"INTEGER", JetType::Long, 0},         {"INT", JetType::Long, 0},
      {"COUNTER", JetType::Long, 0},         {"BIGINT", JetType::BigInt, 0},        {"SINGLE", JetType::Single, 0},
      {"REAL", JetType::Double, 0},          {"DOUBLE", JetType::Double, 0},        {"FLOAT", JetType::Double, 0},
      {"CURRENCY", JetType::Currency, 0},    {"MONEY", JetType::Currency, 0},       {"BOOLEAN", JetType::Boolean, 0},
      {"BIT", JetType::Boolean, 0},          {"DATETIME", JetType::DateTime, 0},    {"DATE", JetType::DateTime, 0},
      {"BINARY(16)", JetType::Binary, 16},   {"BLOB", JetType::OleObject, 0},       {"LONGBINARY", JetType::OleObject, 0},
      {"GUID", JetType::Guid, 0},            {"DECIMAL(10,2)", JetType::Decimal, 10}, {"NUMERIC", JetType::Double, 0},
      {"UNSIGNED INT8 WHATEVER", JetType::Long, 0},  // SQLite's affinity rules for unknown names
  };
  std::string create = "CREATE TABLE tipos (";
  for (size_t i = 0; i < std::size(cases); ++i) create += (i ? ", c" : "c") + std::to_string(i) + " " + cases[i].decl;
  db.execute(create + ")");
  std::vector<FieldInfo> f = db.fields("tipos");
  ASSERT_EQ(f.size(), std::size(cases));
  for (size_t i = 0; i < f.size(); ++i) {
    EXPECT_EQ(f[i].type, cases[i].type) << cases[i].decl;
    EXPECT_EQ(f[i].size, cases[i].size) << cases[i].decl;
  }
  EXPECT_EQ(f[28].scale, 2);
  // Every type the engine declares reads back as itself.
  for (JetType t : {JetType::Text, JetType::Memo, JetType::Byte, JetType::Integer, JetType::Long, JetType::Single,
                    JetType::Double, JetType::Currency, JetType::Boolean, JetType::DateTime, JetType::Binary,
                    JetType::OleObject, JetType::Guid, JetType::Decimal, JetType::BigInt}) {
    db.execute("CREATE TABLE ida_e_volta (c " + jetTypeDeclaration(t, 9, 2) + ")");
    EXPECT_EQ(db.fields("ida_e_volta")[0].type, t) << jetTypeName(t);
    db.execute("DROP TABLE ida_e_volta");
  }
}

TEST(SqliteFile, ValuesStoredByOtherProgramsReadInTheKindOfTheirType) {
  TempDir dir;
  JetDatabase db = newSqlite(dir);
  db.execute("CREATE TABLE alheia (quando DATETIME, sim BOOLEAN, n INTEGER, livre)");
  db.execute("INSERT INTO alheia VALUES ('1994-08-04 18:00:00', 'true', 3.0, 'texto')");
  db.execute("INSERT INTO alheia VALUES ('ontem', 1, 2.5, 12)");
  QueryResult r = db.query("select quando, sim, n from alheia order by rowid");
  EXPECT_EQ(r.at(0, 0), Value::real(34550.75));
  EXPECT_EQ(r.at(0, 1), Value::integer(-1));
  EXPECT_EQ(r.at(0, 2), Value::integer(3));
  EXPECT_EQ(r.at(1, 0), Value::text("ontem"));  // not a date: kept as it is
  EXPECT_EQ(r.at(1, 1), Value::integer(-1));
  EXPECT_EQ(r.at(1, 2), Value::real(2.5));
  // An undeclared column takes its type from its values, in results and in the field list.
  EXPECT_EQ(db.fields("alheia")[3].type, JetType::Text);
  EXPECT_TRUE(db.query("select livre from alheia").columns[0].computed);
}

TEST(SqliteFile, OpenOptions) {
  TempDir dir;
  std::string path = dir.file("somente.db");
  {
    JetDatabase created = newSqlite(dir, "somente.db");
    created.execute("CREATE TABLE t (x INTEGER)");
  }
  OpenOptions readOnly;
  readOnly.readOnly = true;
  JetDatabase db(path, readOnly);
  EXPECT_TRUE(db.readOnly());
  EXPECT_NE(errorOf([&] { db.execute("INSERT INTO t VALUES (1)"); }).find("readonly"), std::string::npos);
  EXPECT_EQ(scalar(db, "select count(*) from t"), Value::integer(0));

  // Creation only when asked; a non-ASCII cp1252 name is a UTF-8 file name on disk.
  std::string accented = dir.file(cp("coleção.db"));
  EXPECT_NE(errorOf([&] { JetDatabase missing(accented); }).find("does not exist"), std::string::npos);
  OpenOptions create;
  create.create = true;
  JetDatabase made(accented, create);
  struct stat st;
  EXPECT_EQ(::stat(dir.file("coleção.db").c_str(), &st), 0);
}

TEST(SqliteFile, SqlErrorsAreExceptionsWithSqliteMessages) {
  TempDir dir;
  JetDatabase db = newSqlite(dir);
  db.execute("CREATE TABLE t (x INTEGER, nome TEXT(10))");
  struct Case {
    const char* sql;
    const char* message;
  } cases[] = {
      {"selec * from t", "syntax error"},
      {"select * from nada", "no such table: nada"},
      {"select y from t", "no such column: y"},
      {"select * from t where nome = 'aberto", "unrecognized token"},
      {"select 1; select 2", "only one SQL statement"},
      {"   ", "no statement"},
      {"select count(*) from t where (1=1) and x = 'a' and", "syntax error"},
      {"select x from t group by", "syntax error"},
      {"select distinct", "syntax error"},
      {"select x from t group by x,", "syntax error: the statement ends too early"},  // not about an added ORDER BY
      {"explain query", "syntax error"},
      {"select [x from t", "unrecognized token"},
  };
  for (const Case& c : cases)
    EXPECT_NE(errorOf([&] { db.query(c.sql); }).find(c.message), std::string::npos) << c.sql;
  EXPECT_NE(errorOf([&] { db.query("select ? + ?", {Value::integer(1)}); }).find("2 parameter(s) but 1"), std::string::npos);
  // A statement refused before it ran changed nothing.
  EXPECT_FALSE(errorOf([&] { db.execute("INSERT INTO t VALUES (1, 'a'); DELETE FROM t"); }).empty());
  EXPECT_EQ(scalar(db, "select count(*) from t"), Value::integer(0));
  EXPECT_EQ(scalar(db, "select 1;  "), Value::integer(1));  // a trailing semicolon is fine
}

// Text outside cp1252 written by another program (emoji, CJK, Cyrillic): what the program
// reads, written back into a literal or a parameter, selects exactly the rows holding it.
TEST(SqliteFile, TextOutsideCp1252MatchesWhenItComesBackInALiteral) {
  TempDir dir;
  std::string path = dir.file("outro-programa.db");
  {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw,
                           "CREATE TABLE pesquisa (id INTEGER PRIMARY KEY, \"categoria\" TEXT, \"имя\" TEXT);"
                           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 34) "
                           "INSERT INTO pesquisa (categoria, \"имя\") SELECT CASE WHEN i <= 22 THEN '😀 feliz' "
                           "WHEN i <= 27 THEN '北京' WHEN i <= 30 THEN '😁 feliz' ELSE 'São' END, 'Ωmega' FROM n;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
  }
  JetDatabase db(path);
  QueryResult groups = db.query("select categoria, count(*) from pesquisa group by categoria");
  ASSERT_EQ(groups.rowCount(), 4u) << "two different emoji stay two categories";
  for (size_t i = 0; i < groups.rowCount(); ++i) {
    std::string value = groups.at(i, 0).bytes();
    EXPECT_EQ(value.find('?'), std::string::npos) << value;
    Value expected = groups.at(i, 1);
    EXPECT_EQ(scalar(db, "select count(*) from pesquisa where categoria = '" + value + "'"), expected) << value;
    EXPECT_EQ(scalar(db, "select count(*) from pesquisa where categoria = ?", {Value::text(value)}), expected) << value;
    EXPECT_EQ(scalar(db, "select count(*) from pesquisa where categoria Like '" + value + "*'"), expected) << value;
  }
  EXPECT_EQ(scalar(db, "select count(*) from pesquisa where categoria = '" + cp("São") + "'"), Value::integer(4));
  // A name outside cp1252 reads escaped and names its column again in SQL.
  std::vector<FieldInfo> fields = db.fields("pesquisa");
  ASSERT_EQ(fields.size(), 3u);
  QueryResult named = db.query("select [" + fields[2].name + "] from pesquisa where id = 1");
  EXPECT_EQ(named.columns[0].name, fields[2].name);
  EXPECT_EQ(scalar(db, "select count(*) from pesquisa where [" + fields[2].name + "] = '" + named.at(0, 0).bytes() + "'"),
            Value::integer(34));
  // Written through the engine, read back by any SQLite reader as the real characters.
  std::string happy;  // the 22 rows' category, as the program reads it
  for (size_t i = 0; i < groups.rowCount(); ++i)
    if (groups.at(i, 1) == Value::integer(22)) happy = groups.at(i, 0).bytes();
  ASSERT_FALSE(happy.empty());
  JetDatabase rw(path);
  rw.execute("UPDATE pesquisa SET categoria = '" + happy + " 2' WHERE id = 1");
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
  sqlite3_stmt* st = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(raw, "select categoria from pesquisa where id = 1", -1, &st, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
  std::string stored = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
  sqlite3_finalize(st);
  sqlite3_close(raw);
  EXPECT_EQ(stored, "😀 feliz 2");
}
