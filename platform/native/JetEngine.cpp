#include "platform/native/JetEngine.h"

#include "platform/native/JetFunctions.h"
#include "platform/native/JetImport.h"
#include "platform/native/JetSql.h"
#include "platform/native/JetText.h"
#include "platform/native/OleDate.h"

#include <sqlite3.h>

#include <malloc.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <unordered_map>

namespace native {

namespace {

struct DeclaredType {
  bool known = false;
  JetType type = JetType::Double;
  int32_t size = 0;
  int32_t scale = 0;
};

// Reads a declared column type: the names jetTypeDeclaration writes, Jet's DDL names and the
// usual names of other SQL dialects. Unknown names fall back on SQLite's affinity rules; an
// empty declaration is not known (the values decide).
DeclaredType parseDeclaration(const char* decl) {
  DeclaredType d;
  if (!decl) return d;
  std::string u;
  for (const char* p = decl; *p; ++p) u += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  size_t paren = u.find('(');
  std::string base = u.substr(0, paren);
  while (!base.empty() && base.back() == ' ') base.pop_back();
  while (!base.empty() && base.front() == ' ') base.erase(base.begin());
  if (base.empty()) return d;
  int32_t a = 0, b = 0;
  bool hasA = false;
  if (paren != std::string::npos) hasA = std::sscanf(u.c_str() + paren, "(%d , %d", &a, &b) >= 1;

  auto is = [&](std::initializer_list<const char*> names) {
    for (const char* n : names)
      if (base == n) return true;
    return false;
  };
  d.known = true;
  if (is({"TEXT", "VARCHAR", "CHAR", "NVARCHAR", "NCHAR", "CHARACTER", "VARYING CHARACTER", "NATIVE CHARACTER",
          "STRING", "ALPHANUMERIC", "CHARACTER VARYING"})) {
    d.type = JetType::Text;
    d.size = hasA && a > 0 ? a : 255;
  } else if (is({"LONGTEXT", "MEMO", "CLOB", "NOTE", "MEDIUMTEXT", "NTEXT", "LONGCHAR"})) {
    d.type = JetType::Memo;
  } else if (is({"BYTE", "TINYINT", "INTEGER1"})) {
    d.type = JetType::Byte;
  } else if (is({"SMALLINT", "SHORT", "INTEGER2", "INT2"})) {
    d.type = JetType::Integer;
  } else if (is({"INTEGER", "INT", "LONG", "INT4", "INTEGER4", "COUNTER", "AUTOINCREMENT", "MEDIUMINT"})) {
    d.type = JetType::Long;
  } else if (is({"BIGINT", "INT8", "UNSIGNED BIG INT"})) {
    d.type = JetType::BigInt;
  } else if (is({"SINGLE", "FLOAT4", "IEEESINGLE"})) {
    d.type = JetType::Single;
  } else if (is({"DOUBLE", "DOUBLE PRECISION", "FLOAT", "FLOAT8", "REAL", "IEEEDOUBLE", "NUMBER"})) {
    d.type = JetType::Double;
  } else if (is({"CURRENCY", "MONEY"})) {
    d.type = JetType::Currency;
  } else if (is({"BOOLEAN", "BOOL", "BIT", "YESNO", "LOGICAL", "LOGICAL1"})) {
    d.type = JetType::Boolean;
  } else if (is({"DATETIME", "DATE", "TIME", "TIMESTAMP"})) {
    d.type = JetType::DateTime;
  } else if (is({"BINARY", "VARBINARY"})) {
    d.type = JetType::Binary;
    d.size = hasA && a > 0 ? a : 255;
  } else if (is({"BLOB", "LONGBINARY", "OLEOBJECT", "GENERAL", "IMAGE"})) {
    d.type = JetType::OleObject;
  } else if (is({"GUID", "UNIQUEIDENTIFIER", "UUID"})) {
    d.type = JetType::Guid;
  } else if (is({"DECIMAL", "DEC", "NUMERIC"}) && hasA) {
    d.type = JetType::Decimal;
    d.size = a;
    d.scale = b;
  } else if (base.find("INT") != std::string::npos) {
    d.type = JetType::Long;
  } else if (base.find("CHAR") != std::string::npos || base.find("TEXT") != std::string::npos) {
    d.type = JetType::Text;
    d.size = hasA && a > 0 ? a : 255;
  } else if (base.find("CLOB") != std::string::npos) {
    d.type = JetType::Memo;
  } else if (base.find("BLOB") != std::string::npos) {
    d.type = JetType::OleObject;
  } else {
    d.type = JetType::Double;  // REAL, FLOA, DOUB and NUMERIC affinity
  }
  return d;
}

// The type of a column whose values decide it (computed columns, undeclared columns).
struct ValueSurvey {
  bool text = false, floating = false, integer = false, wide = false, blob = false;
  int32_t longest = 0;

  void add(const Value& v) {
    switch (v.kind()) {
      case Value::Kind::Text:
        text = true;
        longest = std::max<int32_t>(longest, static_cast<int32_t>(std::min<size_t>(v.bytes().size(), INT32_MAX)));
        break;
      case Value::Kind::Float: floating = true; break;
      case Value::Kind::Integer:
        integer = true;
        if (v.integerValue() < INT32_MIN || v.integerValue() > INT32_MAX) wide = true;
        break;
      case Value::Kind::Blob: blob = true; break;
      case Value::Kind::Null: break;
    }
  }
  void describe(ColumnInfo& c) const {
    c.size = 0;
    if (text) {
      c.type = longest > 255 ? JetType::Memo : JetType::Text;
      if (c.type == JetType::Text) c.size = std::max<int32_t>(longest, 1);
    } else if (floating) {
      c.type = JetType::Double;
    } else if (integer) {
      c.type = wide ? JetType::BigInt : JetType::Long;
    } else if (blob) {
      c.type = JetType::OleObject;
    } else {
      c.type = JetType::Double;
    }
  }
};

std::string columnText(sqlite3_stmt* st, int col) {
  const unsigned char* t = sqlite3_column_text(st, col);
  return text::utf8ToCp1252(std::string_view(reinterpret_cast<const char*>(t ? t : reinterpret_cast<const unsigned char*>("")),
                                             static_cast<size_t>(sqlite3_column_bytes(st, col))));
}

std::string columnBlob(sqlite3_stmt* st, int col) {
  const void* b = sqlite3_column_blob(st, col);
  int n = sqlite3_column_bytes(st, col);
  return b && n > 0 ? std::string(static_cast<const char*>(b), static_cast<size_t>(n)) : std::string();
}

// The value as SQLite stores it (text converted to cp1252).
Value rawValue(sqlite3_stmt* st, int col) {
  switch (sqlite3_column_type(st, col)) {
    case SQLITE_INTEGER: return Value::integer(sqlite3_column_int64(st, col));
    case SQLITE_FLOAT: return Value::real(sqlite3_column_double(st, col));
    case SQLITE_TEXT: return Value::text(columnText(st, col));
    case SQLITE_BLOB: return Value::blob(columnBlob(st, col));
    default: return Value();
  }
}

// The value in the kind its column's Jet type calls for (see ColumnInfo).
Value typedValue(sqlite3_stmt* st, int col, JetType type) {
  int storage = sqlite3_column_type(st, col);
  if (storage == SQLITE_NULL) return Value();
  switch (type) {
    case JetType::Text:
    case JetType::Memo:
    case JetType::Guid:
      return storage == SQLITE_BLOB ? Value::blob(columnBlob(st, col)) : Value::text(columnText(st, col));
    case JetType::Byte:
    case JetType::Integer:
    case JetType::Long:
    case JetType::BigInt:
      if (storage == SQLITE_FLOAT) {
        double d = sqlite3_column_double(st, col);
        if (d == std::trunc(d) && std::fabs(d) < 9.2e18) return Value::integer(static_cast<int64_t>(d));
      }
      return rawValue(st, col);
    case JetType::Boolean:
      if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)
        return Value::integer(sqlite3_column_double(st, col) != 0 ? -1 : 0);
      if (storage == SQLITE_TEXT) {
        std::string t = columnText(st, col);
        for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (t == "true" || t == "yes" || t == "on" || t == "-1" || t == "1") return Value::integer(-1);
        if (t == "false" || t == "no" || t == "off" || t == "0") return Value::integer(0);
      }
      return rawValue(st, col);
    case JetType::Single:
    case JetType::Double:
    case JetType::Currency:
    case JetType::Decimal:
      if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) return Value::real(sqlite3_column_double(st, col));
      return rawValue(st, col);
    case JetType::DateTime:
      if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) return Value::real(sqlite3_column_double(st, col));
      if (storage == SQLITE_TEXT) {
        const unsigned char* t = sqlite3_column_text(st, col);
        double date;
        if (oledate::parseIso(std::string_view(reinterpret_cast<const char*>(t),
                                               static_cast<size_t>(sqlite3_column_bytes(st, col))),
                              date))
          return Value::real(date);
      }
      return rawValue(st, col);
    case JetType::Binary:
    case JetType::OleObject:
      if (storage == SQLITE_TEXT) return Value::blob(columnBlob(st, col));
      return rawValue(st, col);
  }
  return rawValue(st, col);
}

std::string quoteName(const std::string& utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string lowerAscii(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Owns a prepared statement.
struct Statement {
  sqlite3_stmt* st = nullptr;
  Statement() = default;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement() { sqlite3_finalize(st); }
};

enum class FileFormat { Missing, Folder, Empty, Access, Sqlite, Other };

FileFormat sniff(const std::string& utf8Path) {
  struct stat st;
  if (::stat(utf8Path.c_str(), &st) != 0) return FileFormat::Missing;
  if (S_ISDIR(st.st_mode)) return FileFormat::Folder;
  if (st.st_size == 0) return FileFormat::Empty;
  unsigned char head[32] = {};
  FILE* f = std::fopen(utf8Path.c_str(), "rb");
  if (!f) return FileFormat::Other;
  size_t n = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  if (n >= 16 && std::memcmp(head, "SQLite format 3\0", 16) == 0) return FileFormat::Sqlite;
  if (n >= 19 && (std::memcmp(head + 4, "Standard Jet DB", 15) == 0 || std::memcmp(head + 4, "Standard ACE DB", 15) == 0))
    return FileFormat::Access;
  return FileFormat::Other;
}

// The diagnostics observer (JetEngine.h); constant-initialized, so it is null before any code runs.
std::atomic<StatementObserver*> statementObserver{nullptr};

}  // namespace

StatementObserver* setStatementObserver(StatementObserver* observer) {
  return statementObserver.exchange(observer, std::memory_order_acq_rel);
}

int32_t QueryResult::findColumn(const std::string& name) const {
  for (size_t i = 0; i < columns.size(); ++i)
    if (text::sameNameCp1252(columns[i].name, name)) return static_cast<int32_t>(i);
  return -1;
}

// ---------------------------------------------------------------------------------------------
// The connection

namespace {
struct AccessKey {
  int32_t keyOrdinal = 0;  // 1-based position in the primary key, 0 when not part of it
  bool autoIncrement = false;
};
}  // namespace

// What the catalogue said about tables, kept while the schema it was read from stands: the
// strata run opens tens of thousands of queries over the same table, and each would otherwise
// read the table's columns again. Keyed by the lower-case UTF-8 table name (SQLite matches
// table names without regard to ASCII case).
struct SchemaCache {
  // The schema version of each of the connection's schemas (main, temp, attached ones) when the
  // entries below were read; any change of a table in any of them moves its version.
  std::vector<std::string> schemas;
  std::vector<int64_t> versions;
  std::unordered_map<std::string, std::vector<FieldInfo>> fields;
  std::unordered_map<std::string, RowIdentity> identities;

  void clear() {
    fields.clear();
    identities.clear();
  }
};

struct JetDatabase::Impl {
  sqlite3* db = nullptr;
  DatabaseKind kind = DatabaseKind::Sqlite;
  bool readOnly = false;
  std::string path;
  // Access imports: key facts of every column, by lower-case table name then column name.
  std::map<std::string, std::map<std::string, AccessKey>> accessKeys;
  // What the read-only guard last refused, for the error message.
  std::string refusal;
  SchemaCache schemaCache;
  // "PRAGMA <schema>.schema_version", prepared once per schema of the connection.
  std::vector<std::unique_ptr<Statement>> versionReaders;

  ~Impl() {
    versionReaders.clear();  // statements are finalized before their connection closes
    sqlite3_close_v2(db);
  }

  [[noreturn]] void fail(const std::string& utf8Message) const { throw DatabaseError(text::utf8ToCp1252(utf8Message)); }

  [[noreturn]] void failReadOnly() const {
    std::string what = refusal.empty() ? std::string() : " (" + refusal + ")";
    throw DatabaseError("'" + path + "' is an Access file, and Access files are read-only here: the statement was refused" +
                        what + " and nothing was changed");
  }

  // Runs internal SQL that needs no Jet rewriting.
  void exec(const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
      std::string msg = err ? err : sqlite3_errmsg(db);
      sqlite3_free(err);
      fail(msg);
    }
  }

  void prepareRaw(const std::string& sql, Statement& s, const char** tail) {
    refusal.clear();
    int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &s.st, tail);
    if (rc != SQLITE_OK) {
      if ((rc & 0xFF) == SQLITE_AUTH && kind == DatabaseKind::Access) failReadOnly();
      std::string msg = sqlite3_errmsg(db);
      if (msg == "incomplete input") msg = "syntax error: the statement ends too early";
      fail(msg);
    }
  }

  // Prepares one statement of the program's SQL (cp1252, Jet dialect).
  void prepare(const std::string& cp1252Sql, Statement& s) {
    std::string utf8 = text::cp1252ToUtf8(cp1252Sql);
    jetsql::Rewrite rw = jetsql::rewrite(utf8);
    StatementObserver* observer = statementObserver.load(std::memory_order_acquire);
    int columns = 0;
    if (rw.order == jetsql::Rewrite::Order::ByAllColumns) {
      Statement probe;
      try {
        prepareRaw(rw.sql, probe, nullptr);
      } catch (const DatabaseError&) {
        // Refused before its ORDER BY could be added: the observer sees the text SQLite refused.
        if (observer) observer->statementPrepared(cp1252Sql, rw.sql);
        throw;
      }
      columns = probe.st ? sqlite3_column_count(probe.st) : 0;
    }
    std::string sql = jetsql::withOrderBy(rw, columns);
    if (observer) observer->statementPrepared(cp1252Sql, sql);
    const char* tail = nullptr;
    if (rw.order == jetsql::Rewrite::Order::Keep) {
      prepareRaw(sql, s, &tail);
    } else {
      try {
        prepareRaw(sql, s, &tail);
      } catch (const DatabaseError&) {
        // Report the statement's own error, not one about the ORDER BY added to it.
        Statement plain;
        prepareRaw(rw.sql, plain, nullptr);
        throw;
      }
    }
    if (!s.st) throw DatabaseError("the SQL text holds no statement");
    if (tail && *tail) {
      std::string rest(tail);
      if (rest.find_first_not_of(" \t\r\n;") != std::string::npos) {
        Statement second;
        const char* more = nullptr;
        int rc = sqlite3_prepare_v2(db, rest.c_str(), static_cast<int>(rest.size()), &second.st, &more);
        if (rc != SQLITE_OK || second.st)
          throw DatabaseError("only one SQL statement can be run at a time");
      }
    }
  }

  void bind(Statement& s, const std::vector<Value>& params) {
    int expected = sqlite3_bind_parameter_count(s.st);
    if (static_cast<size_t>(expected) != params.size())
      throw DatabaseError("the statement has " + std::to_string(expected) + " parameter(s) but " +
                          std::to_string(params.size()) + " value(s) were given");
    for (int i = 0; i < expected; ++i) {
      const Value& v = params[static_cast<size_t>(i)];
      int rc = SQLITE_OK;
      switch (v.kind()) {
        case Value::Kind::Null: rc = sqlite3_bind_null(s.st, i + 1); break;
        case Value::Kind::Integer: rc = sqlite3_bind_int64(s.st, i + 1, v.integerValue()); break;
        case Value::Kind::Float: rc = sqlite3_bind_double(s.st, i + 1, v.realValue()); break;
        case Value::Kind::Text: {
          std::string utf8 = text::cp1252ToUtf8(v.bytes());
          rc = sqlite3_bind_text64(s.st, i + 1, utf8.data(), utf8.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
          break;
        }
        case Value::Kind::Blob:
          rc = sqlite3_bind_blob64(s.st, i + 1, v.bytes().data(), v.bytes().size(), SQLITE_TRANSIENT);
          break;
      }
      if (rc != SQLITE_OK) fail(sqlite3_errmsg(db));
    }
  }

  // Steps once; true while there is a row.
  bool step(Statement& s) {
    int rc = sqlite3_step(s.st);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    if (kind == DatabaseKind::Access && ((rc & 0xFF) == SQLITE_READONLY || (rc & 0xFF) == SQLITE_AUTH)) failReadOnly();
    fail(sqlite3_errmsg(db));
  }

  const AccessKey* accessKey(const std::string& utf8Table, const std::string& utf8Column) const {
    auto t = accessKeys.find(lowerAscii(utf8Table));
    if (t == accessKeys.end()) return nullptr;
    auto c = t->second.find(lowerAscii(utf8Column));
    return c == t->second.end() ? nullptr : &c->second;
  }

  // Drops what the schema cache holds when any schema of the connection has changed since it
  // was filled: a table created, dropped or altered through this connection (inside a
  // transaction too, and undone again by a rollback) or through another one.
  void checkSchema();

  static int guard(void* user, int action, const char* a1, const char* a2, const char*, const char*);
  void openSqlite(const std::string& utf8Path, const OpenOptions& options, bool exists);
  void openAccess(const std::string& utf8Path, const OpenOptions& options);
  void loadAccessKeys();
};

// Refuses every change to an imported Access database while statements are prepared, so a
// refused statement never starts.
int JetDatabase::Impl::guard(void* user, int action, const char* a1, const char* a2, const char*, const char*) {
  auto* impl = static_cast<JetDatabase::Impl*>(user);
  std::string what;
  // SQLite itself reports reads of its schema table as updates while it sets up table-valued
  // functions; users cannot write that table anyway.
  if ((action == SQLITE_INSERT || action == SQLITE_UPDATE || action == SQLITE_DELETE) && a1 &&
      sqlite3_strnicmp(a1, "sqlite_", 7) == 0)
    return SQLITE_OK;
  switch (action) {
    case SQLITE_INSERT: what = std::string("it would insert into table '") + (a1 ? a1 : "") + "'"; break;
    case SQLITE_UPDATE: what = std::string("it would change table '") + (a1 ? a1 : "") + "'"; break;
    case SQLITE_DELETE: what = std::string("it would delete from table '") + (a1 ? a1 : "") + "'"; break;
    case SQLITE_CREATE_INDEX: case SQLITE_CREATE_TABLE: case SQLITE_CREATE_TEMP_INDEX:
    case SQLITE_CREATE_TEMP_TABLE: case SQLITE_CREATE_TEMP_TRIGGER: case SQLITE_CREATE_TEMP_VIEW:
    case SQLITE_CREATE_TRIGGER: case SQLITE_CREATE_VIEW: case SQLITE_CREATE_VTABLE:
      what = "it would create a table, view, index or trigger";
      break;
    case SQLITE_DROP_INDEX: case SQLITE_DROP_TABLE: case SQLITE_DROP_TEMP_INDEX: case SQLITE_DROP_TEMP_TABLE:
    case SQLITE_DROP_TEMP_TRIGGER: case SQLITE_DROP_TEMP_VIEW: case SQLITE_DROP_TRIGGER: case SQLITE_DROP_VIEW:
    case SQLITE_DROP_VTABLE:
      what = "it would drop a table, view, index or trigger";
      break;
    case SQLITE_ALTER_TABLE: what = "it would alter a table"; break;
    case SQLITE_ATTACH: case SQLITE_DETACH: what = "it would attach or detach a database"; break;
    case SQLITE_ANALYZE: case SQLITE_REINDEX: what = "it would rewrite statistics or indexes"; break;
    case SQLITE_PRAGMA: {
      if (!a2) return SQLITE_OK;  // reading a setting
      static const char* const readers[] = {"table_info", "table_xinfo", "index_list", "index_info",
                                            "index_xinfo", "foreign_key_list"};
      for (const char* r : readers)
        if (a1 && sqlite3_stricmp(a1, r) == 0) return SQLITE_OK;
      what = std::string("it would change the setting '") + (a1 ? a1 : "") + "'";
      break;
    }
    default: return SQLITE_OK;
  }
  impl->refusal = text::utf8ToCp1252(what);
  return SQLITE_DENY;
}

void JetDatabase::Impl::checkSchema() {
  // The schemas by name and file: a database detached and another attached under its name is
  // another schema. An attached in-memory database has no file to tell it from the one it may
  // have replaced, so while one is attached nothing is kept.
  std::vector<std::string> schemas;
  bool anonymous = false;
  for (int i = 0; const char* name = sqlite3_db_name(db, i); ++i) {
    const char* file = sqlite3_db_filename(db, name);
    if (i >= 2 && (!file || !*file)) anonymous = true;
    schemas.push_back(std::string(name) + '\n' + (file ? file : ""));
  }
  if (schemas != schemaCache.schemas) {
    schemaCache.clear();
    schemaCache.schemas.clear();
    schemaCache.versions.clear();
    versionReaders.clear();
    for (int i = 0; const char* name = sqlite3_db_name(db, i); ++i) {
      auto reader = std::make_unique<Statement>();
      prepareRaw("PRAGMA " + quoteName(name) + ".schema_version", *reader, nullptr);
      versionReaders.push_back(std::move(reader));
    }
    schemaCache.schemas = schemas;
  }
  if (anonymous) schemaCache.clear();
  std::vector<int64_t> versions;
  for (const std::unique_ptr<Statement>& reader : versionReaders) {
    bool row = step(*reader);
    versions.push_back(row ? sqlite3_column_int64(reader->st, 0) : -1);
    sqlite3_reset(reader->st);
  }
  if (versions != schemaCache.versions) {
    schemaCache.clear();
    schemaCache.versions = std::move(versions);
  }
}

void JetDatabase::Impl::openSqlite(const std::string& utf8Path, const OpenOptions& options, bool exists) {
  int flags = (options.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_EXRESCODE;
  if (!exists && options.create && !options.readOnly) flags |= SQLITE_OPEN_CREATE;
  int rc = sqlite3_open_v2(utf8Path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK)
    throw DatabaseError("cannot open the SQLite file '" + path + "': " + text::utf8ToCp1252(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
  jetfunc::registerAll(db);
  sqlite3_busy_timeout(db, 5000);
  sqlite3_extended_result_codes(db, 1);
  // A 64 MB page cache: the strata run scans the same table again and again.
  sqlite3_exec(db, "PRAGMA cache_size=-65536", nullptr, nullptr, nullptr);
  char* err = nullptr;
  if (sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &err) != SQLITE_OK) {
    std::string msg = err ? err : sqlite3_errmsg(db);
    sqlite3_free(err);
    throw DatabaseError("cannot open the SQLite file '" + path + "': " + text::utf8ToCp1252(msg));
  }
  kind = DatabaseKind::Sqlite;
  readOnly = sqlite3_db_readonly(db, "main") == 1;
}

void JetDatabase::Impl::openAccess(const std::string& utf8Path, const OpenOptions& options) {
  int rc = sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXRESCODE, nullptr);
  if (rc != SQLITE_OK) throw DatabaseError("cannot create the in-memory database: " + std::string(sqlite3_errstr(rc)));
  jetfunc::registerAll(db);
  kind = DatabaseKind::Access;
  jetimport::importInto(db, utf8Path, path, options);
  loadAccessKeys();
  exec("PRAGMA query_only=1");
  sqlite3_set_authorizer(db, guard, this);
  readOnly = true;
}

void JetDatabase::Impl::loadAccessKeys() {
  std::string sql = std::string("SELECT table_name, column_name, key_ordinal, auto_increment FROM ") +
                    quoteName(jetimport::kKeysTable);
  Statement s;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s.st, nullptr) != SQLITE_OK) return;  // nothing recorded
  while (sqlite3_step(s.st) == SQLITE_ROW) {
    AccessKey k;
    k.keyOrdinal = sqlite3_column_int(s.st, 2);
    k.autoIncrement = sqlite3_column_int(s.st, 3) != 0;
    std::string table = reinterpret_cast<const char*>(sqlite3_column_text(s.st, 0));
    std::string column = reinterpret_cast<const char*>(sqlite3_column_text(s.st, 1));
    accessKeys[lowerAscii(table)][lowerAscii(column)] = k;
  }
  sqlite3_finalize(s.st);
  s.st = nullptr;
  exec(("DROP TABLE " + quoteName(jetimport::kKeysTable)).c_str());
}

JetDatabase::JetDatabase(const std::string& path, const OpenOptions& options) : impl_(std::make_unique<Impl>()) {
  impl_->path = path;
  std::string utf8Path = options.pathIsUtf8 ? path : text::cp1252ToUtf8(path);
  if (path.empty()) throw DatabaseError("no database file was named");
  switch (sniff(utf8Path)) {
    case FileFormat::Missing:
      if (!options.create) throw DatabaseError("the database file '" + path + "' does not exist");
      impl_->openSqlite(utf8Path, options, false);
      return;
    case FileFormat::Folder:
      throw DatabaseError("'" + path + "' is a folder, not a database file");
    case FileFormat::Empty:
      if (!options.create) throw DatabaseError("the database file '" + path + "' is empty");
      impl_->openSqlite(utf8Path, options, true);
      return;
    case FileFormat::Sqlite:
      impl_->openSqlite(utf8Path, options, true);
      return;
    case FileFormat::Access:
      impl_->openAccess(utf8Path, options);
      return;
    case FileFormat::Other:
      throw DatabaseError("'" + path + "' is neither an Access database (.mdb, .accdb) nor a SQLite database");
  }
}

JetDatabase::~JetDatabase() = default;
JetDatabase::JetDatabase(JetDatabase&&) noexcept = default;
JetDatabase& JetDatabase::operator=(JetDatabase&&) noexcept = default;

DatabaseKind JetDatabase::kind() const { return impl_->kind; }
bool JetDatabase::readOnly() const { return impl_->readOnly; }
const std::string& JetDatabase::path() const { return impl_->path; }
int64_t JetDatabase::lastInsertRowid() const { return sqlite3_last_insert_rowid(impl_->db); }

void releaseFreeMemory() { ::malloc_trim(0); }

QueryResult JetDatabase::query(const std::string& sql, const std::vector<Value>& params) {
  Statement s;
  impl_->prepare(sql, s);
  impl_->bind(s, params);

  QueryResult result;
  int n = sqlite3_column_count(s.st);
  std::vector<bool> typed(static_cast<size_t>(n));
  result.columns.resize(static_cast<size_t>(n));
  for (int c = 0; c < n; ++c) {
    ColumnInfo& info = result.columns[static_cast<size_t>(c)];
    const char* name = sqlite3_column_name(s.st, c);
    info.name = text::utf8ToCp1252(name ? name : "");
    DeclaredType d = parseDeclaration(sqlite3_column_decltype(s.st, c));
    const char* table = sqlite3_column_table_name(s.st, c);
    const char* origin = sqlite3_column_origin_name(s.st, c);
    if (table && origin) {
      info.baseTable = text::utf8ToCp1252(table);
      info.baseColumn = text::utf8ToCp1252(origin);
    }
    typed[static_cast<size_t>(c)] = d.known;
    info.computed = !d.known;
    info.type = d.type;
    info.size = d.size;
    info.scale = d.scale;
  }
  while (impl_->step(s)) {
    for (int c = 0; c < n; ++c)
      result.values.push_back(typed[static_cast<size_t>(c)] ? typedValue(s.st, c, result.columns[static_cast<size_t>(c)].type)
                                                            : rawValue(s.st, c));
  }
  for (int c = 0; c < n; ++c) {
    if (typed[static_cast<size_t>(c)]) continue;
    ValueSurvey survey;
    for (size_t r = 0; r < result.rowCount(); ++r) survey.add(result.at(r, static_cast<size_t>(c)));
    survey.describe(result.columns[static_cast<size_t>(c)]);
  }
  return result;
}

int64_t JetDatabase::execute(const std::string& sql, const std::vector<Value>& params) {
  Statement s;
  impl_->prepare(sql, s);
  impl_->bind(s, params);
  bool reads = sqlite3_stmt_readonly(s.st) != 0;
  while (impl_->step(s)) {
  }
  return reads ? 0 : sqlite3_changes64(impl_->db);
}

std::vector<std::string> JetDatabase::tables() const {
  Statement s;
  const char* sql = "SELECT name FROM sqlite_master WHERE type = 'table' AND substr(name, 1, 7) <> 'sqlite_' ORDER BY rowid";
  impl_->prepareRaw(sql, s, nullptr);
  std::vector<std::string> out;
  while (impl_->step(s)) out.push_back(text::utf8ToCp1252(reinterpret_cast<const char*>(sqlite3_column_text(s.st, 0))));
  return out;
}

std::vector<FieldInfo> JetDatabase::fields(const std::string& table) const {
  std::string utf8Table = text::cp1252ToUtf8(table);
  impl_->checkSchema();
  std::string key = lowerAscii(utf8Table);
  auto cached = impl_->schemaCache.fields.find(key);
  if (cached != impl_->schemaCache.fields.end()) return cached->second;
  // A column without a declared type takes its type from the values it holds, which change
  // without the schema changing: such a table is read every time.
  bool valuesDecide = false;
  Statement s;
  impl_->prepareRaw("SELECT name, type, \"notnull\", pk, hidden FROM pragma_table_xinfo(?)", s, nullptr);
  sqlite3_bind_text(s.st, 1, utf8Table.c_str(), -1, SQLITE_TRANSIENT);
  std::vector<FieldInfo> out;
  std::vector<std::string> utf8Names;
  int keyColumns = 0;
  std::vector<std::string> declarations;
  while (impl_->step(s)) {
    if (sqlite3_column_int(s.st, 4) == 1) continue;  // hidden column of a virtual table
    FieldInfo f;
    std::string utf8Name = reinterpret_cast<const char*>(sqlite3_column_text(s.st, 0));
    const char* declText = reinterpret_cast<const char*>(sqlite3_column_text(s.st, 1));
    f.name = text::utf8ToCp1252(utf8Name);
    DeclaredType d = parseDeclaration(declText);
    f.type = d.type, f.size = d.size, f.scale = d.scale;
    f.notNull = sqlite3_column_int(s.st, 2) != 0;
    f.primaryKey = sqlite3_column_int(s.st, 3) > 0;
    if (f.primaryKey) ++keyColumns;
    if (!d.known) {
      valuesDecide = true;
      // An undeclared column: its values decide, as for a computed result column.
      Statement values;
      std::string sql = "SELECT " + quoteName(utf8Name) + " FROM " + quoteName(utf8Table) + " LIMIT 1000";
      impl_->prepareRaw(sql, values, nullptr);
      ValueSurvey survey;
      while (impl_->step(values)) survey.add(rawValue(values.st, 0));
      ColumnInfo c;
      survey.describe(c);
      f.type = c.type, f.size = c.size;
    }
    if (impl_->kind == DatabaseKind::Access) {
      if (const AccessKey* k = impl_->accessKey(utf8Table, utf8Name)) {
        f.primaryKey = k->keyOrdinal > 0;
        f.autoIncrement = k->autoIncrement;
      }
    }
    declarations.push_back(declText ? lowerAscii(declText) : std::string());
    out.push_back(f);
  }
  if (out.empty()) impl_->fail("no such table: " + utf8Table);
  // SQLite numbers the rows of a table itself through a lone INTEGER PRIMARY KEY column.
  if (impl_->kind == DatabaseKind::Sqlite && keyColumns == 1)
    for (size_t i = 0; i < out.size(); ++i)
      if (out[i].primaryKey && declarations[i] == "integer") out[i].autoIncrement = true;
  if (!valuesDecide) impl_->schemaCache.fields.emplace(key, out);
  return out;
}

RowIdentity JetDatabase::rowIdentity(const std::string& table) const {
  std::string utf8Table = text::cp1252ToUtf8(table);
  impl_->checkSchema();
  std::string key = lowerAscii(utf8Table);
  auto cached = impl_->schemaCache.identities.find(key);
  if (cached != impl_->schemaCache.identities.end()) return cached->second;
  RowIdentity id;
  std::vector<std::pair<int32_t, std::string>> keys;
  if (impl_->kind == DatabaseKind::Access) {
    for (const FieldInfo& f : fields(table)) {
      const AccessKey* k = impl_->accessKey(utf8Table, text::cp1252ToUtf8(f.name));
      if (k && k->keyOrdinal > 0) keys.emplace_back(k->keyOrdinal, f.name);
    }
  } else {
    fields(table);  // reports an unknown table
    Statement s;
    impl_->prepareRaw("SELECT name, pk FROM pragma_table_info(?) WHERE pk > 0", s, nullptr);
    sqlite3_bind_text(s.st, 1, utf8Table.c_str(), -1, SQLITE_TRANSIENT);
    while (impl_->step(s))
      keys.emplace_back(sqlite3_column_int(s.st, 1),
                        text::utf8ToCp1252(reinterpret_cast<const char*>(sqlite3_column_text(s.st, 0))));
  }
  std::sort(keys.begin(), keys.end());
  for (auto& k : keys) id.columns.push_back(k.second);
  if (id.columns.empty()) {
    id.columns = {"rowid"};
    id.isRowid = true;
  }
  // fields() above has checked the schema: the identity belongs to the same version.
  impl_->schemaCache.identities.emplace(key, id);
  return id;
}

}  // namespace native
