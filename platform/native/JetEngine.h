#pragma once
// The native database engine behind the program's ADO connection and queries.
//
// A database is either an Access file (Jet 3 or Jet 4 .mdb, ACE .accdb), whose tables are
// imported whole into an in-memory SQLite database and are read-only, or a SQLite database
// file, opened in place for reading and writing. SQL is given Jet's meaning (see JetSql.h):
// text compares, groups and sorts without regard to case, '/' divides in floating point,
// round() rounds half to even, varp() is the population variance, SELECT DISTINCT and
// GROUP BY without ORDER BY come back in ascending order, Like takes * ? # wildcards, #dates#,
// True/False. Table and field names match without regard to case (of their ASCII letters).
//
// In SQL, name tables and fields plainly or in [brackets]: as in Jet, "double quotes" delimit
// text, not names.
//
// Every text crossing this interface is cp1252, as the program's strings are: SQL, names,
// values, parameters, file names (Unix paths; unless OpenOptions::pathIsUtf8) and error
// messages. Every failure is a DatabaseError. A JetDatabase is used from one thread at a time.
//
// This header is included by Winelib code: it names neither Windows nor SQLite nor libmdb,
// and passes no wchar_t or long.
#include <cstdint>
#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace native {

// Any failure of the engine: opening, reading, SQL errors, refused changes. what() is cp1252.
class DatabaseError : public std::runtime_error {
 public:
  explicit DatabaseError(const std::string& message) : std::runtime_error(message) {}
};

// The Jet data type of a column. BigInt is only reported for SQLite columns declared BIGINT
// and for computed integer columns whose values do not fit 32 bits.
enum class JetType : int32_t {
  Text,       // Text(n): up to 255 characters
  Memo,       // long text
  Byte,       // 0..255
  Integer,    // 16-bit
  Long,       // 32-bit (also AutoNumber)
  Single,
  Double,
  Currency,   // held as a double; the field class is the currency one
  Boolean,    // Yes/No: values -1 (Yes) and 0 (No)
  DateTime,   // OLE automation date, days since 1899-12-30
  Binary,     // short fixed binary
  OleObject,  // long binary
  Guid,       // text "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"
  Decimal,    // held as a double
  BigInt,
};

// The type's name as Jet's documentation writes it ("Text", "Long", "Yes/No" ...).
const char* jetTypeName(JetType type);

// The SQLite column declaration that makes a column of a SQLite file carry this Jet type and,
// for text, the engine's text collation: "TEXT(40) COLLATE JETTEXT", "INTEGER", "CURRENCY"...
// size is the Text length, the Binary size or the Decimal precision; scale the Decimal scale.
std::string jetTypeDeclaration(JetType type, int32_t size = 0, int32_t scale = 0);

// Name of the collation every text column should declare (tables imported from Access and the
// project's own sample database do), so that comparisons, GROUP BY and ORDER BY on the column
// follow Jet's text order.
inline constexpr const char* kTextCollation = "JETTEXT";

// One value of a result row or one statement parameter.
class Value {
 public:
  enum class Kind : uint8_t { Null, Integer, Float, Text, Blob };

  Value() = default;  // null
  static Value integer(int64_t v) { Value x; x.kind_ = Kind::Integer; x.i_ = v; return x; }
  static Value real(double v) { Value x; x.kind_ = Kind::Float; x.d_ = v; return x; }
  static Value text(std::string cp1252) { Value x; x.kind_ = Kind::Text; x.s_ = std::move(cp1252); return x; }
  static Value blob(std::string bytes) { Value x; x.kind_ = Kind::Blob; x.s_ = std::move(bytes); return x; }

  Kind kind() const { return kind_; }
  bool isNull() const { return kind_ == Kind::Null; }
  int64_t integerValue() const { return i_; }       // Kind::Integer
  double realValue() const { return d_; }           // Kind::Float
  const std::string& bytes() const { return s_; }   // Kind::Text (cp1252) or Kind::Blob
  // Integer or Float as a double; 0 for every other kind.
  double toDouble() const {
    return kind_ == Kind::Integer ? static_cast<double>(i_) : kind_ == Kind::Float ? d_ : 0.0;
  }

  bool operator==(const Value& o) const {
    if (kind_ != o.kind_) return false;
    switch (kind_) {
      case Kind::Null: return true;
      case Kind::Integer: return i_ == o.i_;
      case Kind::Float: return d_ == o.d_;
      default: return s_ == o.s_;
    }
  }

 private:
  Kind kind_ = Kind::Null;
  union {
    int64_t i_ = 0;
    double d_;
  };
  std::string s_;
};

// A result column. When the column is a direct reference to a table column (also under an
// alias, in parentheses, or through DISTINCT), type, size and scale are that column's and
// baseTable/baseColumn name it; otherwise (count, varp, round ...) computed is true and the
// type follows the values: any text -> Text (Memo beyond 255 characters), else any float ->
// Double, else integers -> Long (BigInt beyond 32 bits), else blobs -> OleObject; a column of
// nulls only is Double.
//
// Values of a typed column come in one kind per type: Text/Memo/Guid as Text; Byte, Integer,
// Long, BigInt and Boolean (-1/0) as Integer; Single, Double, Currency, Decimal and DateTime
// (ISO date text in a SQLite file is converted) as Float; Binary/OleObject as Blob; NULL as
// Null. A value that cannot take its column's kind keeps its own.
struct ColumnInfo {
  std::string name;  // the alias, else the column's name, else the expression's text
  JetType type = JetType::Double;
  int32_t size = 0;   // Text: maximum characters; Binary: bytes; Decimal: precision
  int32_t scale = 0;  // Decimal scale
  bool computed = false;
  std::string baseTable;
  std::string baseColumn;
};

// A fully read result: every row is in memory. The values are held in a deque, which grows
// without moving what it holds (a vector's growth would for a moment need the room of both
// copies) and lets a reader hand back the rows it has taken, from the front, as it goes.
struct QueryResult {
  std::vector<ColumnInfo> columns;
  std::deque<Value> values;  // row after row, columns.size() values each

  size_t columnCount() const { return columns.size(); }
  size_t rowCount() const { return columns.empty() ? 0 : values.size() / columns.size(); }
  const Value& at(size_t row, size_t column) const { return values[row * columns.size() + column]; }
  // Index of the column with this name (compared without regard to case), or -1.
  int32_t findColumn(const std::string& name) const;
};

// Hands the heap's free pages back to the system. A large result freed row by row leaves its
// memory spread over the heap, where the process keeps it; a reader that has just taken
// a large result calls this once it has let go of it.
void releaseFreeMemory();

// A column of a table.
struct FieldInfo {
  std::string name;
  JetType type = JetType::Text;
  int32_t size = 0;
  int32_t scale = 0;
  bool notNull = false;
  bool primaryKey = false;     // part of the table's primary key
  bool autoIncrement = false;  // AutoNumber (Access) or INTEGER PRIMARY KEY (SQLite)
};

// How to find one row of a table again: its primary key columns, or SQLite's rowid when the
// table has no primary key (columns is then {"rowid"}, which must be selected explicitly).
struct RowIdentity {
  std::vector<std::string> columns;
  bool isRowid = false;
};

enum class DatabaseKind { Access, Sqlite };

struct OpenOptions {
  bool readOnly = false;     // open a SQLite file read-only (Access files always are)
  bool create = false;       // create the SQLite file when it does not exist
  bool pathIsUtf8 = false;   // the path is already a UTF-8 file name, not cp1252
  // Time limit of an Access import in seconds; 0 lets the engine choose by the file's size
  // (30 s plus 1 s per MB).
  int32_t importTimeoutSeconds = 0;
  // The import helper to run; empty: the one beside the program's binary, else the build's.
  std::string importHelper;
};

// Diagnostics: sees every statement of the program's SQL that the engine hands to SQLite (through
// query() and execute() of any database), once per statement, before SQLite compiles it, so a
// statement SQLite then refuses is seen too. jetSql is the text as the caller gave it (cp1252);
// sqliteSql is the UTF-8 text it became (the engine's rewriting and any ORDER BY added). Not
// seen: the engine's own catalogue reads (tables(), fields() ...) and a statement whose Jet text
// cannot be rewritten at all. For measuring and tracing, not a feature of the program.
class StatementObserver {
 public:
  virtual ~StatementObserver() = default;
  // Called on the thread running the statement; must not throw.
  virtual void statementPrepared(const std::string& jetSql, const std::string& sqliteSql) = 0;
};

// Installs the process-wide observer (null, the default: none; a statement then costs one
// pointer read more) and returns the one it replaces. The caller keeps the observer alive until it is
// replaced, and does not replace it while another thread runs statements.
StatementObserver* setStatementObserver(StatementObserver* observer);

class JetDatabase {
 public:
  // Opens an Access file (recognized by its header, whatever its extension) or a SQLite file.
  explicit JetDatabase(const std::string& path, const OpenOptions& options = {});
  ~JetDatabase();
  JetDatabase(JetDatabase&&) noexcept;
  JetDatabase& operator=(JetDatabase&&) noexcept;
  JetDatabase(const JetDatabase&) = delete;
  JetDatabase& operator=(const JetDatabase&) = delete;

  DatabaseKind kind() const;
  bool readOnly() const;
  const std::string& path() const;  // as given to the constructor

  // Runs one statement and returns all its rows. params bind the '?' placeholders in order.
  QueryResult query(const std::string& sql, const std::vector<Value>& params = {});
  // Runs one statement and returns the number of rows it inserted, changed or deleted (0 for a
  // statement that changes nothing, such as a SELECT or BEGIN).
  // On an Access file every change is refused with a DatabaseError before anything runs.
  int64_t execute(const std::string& sql, const std::vector<Value>& params = {});
  // rowid of the last row inserted through this connection.
  int64_t lastInsertRowid() const;

  std::vector<std::string> tables() const;  // user tables, in creation order
  std::vector<FieldInfo> fields(const std::string& table) const;
  RowIdentity rowIdentity(const std::string& table) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace native
