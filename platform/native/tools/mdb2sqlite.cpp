// mdb2sqlite: reads every user table of an Access file (Jet 3, Jet 4, ACE) through libmdb and
// writes it into a new SQLite file, with Jet types as column declarations and the engine's text
// collation on text columns.
//
//   mdb2sqlite <access file> <sqlite file>
//
// The engine runs this as a separate process because libmdb may crash or loop on a damaged
// file. The output is written beside the target as <target>.part and renamed only when
// complete, so an existing target means success. On failure the last line on stderr is
// "error: <reason>" and the exit status is not 0.
#include "platform/native/JetEngine.h"
#include "platform/native/JetFunctions.h"
#include "platform/native/JetImport.h"

#include <glib.h>
// libmdb's header needs glib's first.
#include <mdbtools.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Bounds the damage a broken file can do: no core dumps, bounded memory and output.
void limitResources(const char* input) {
  struct rlimit none = {0, 0};
  setrlimit(RLIMIT_CORE, &none);
  struct stat st;
  rlim_t inputSize = stat(input, &st) == 0 ? static_cast<rlim_t>(st.st_size) : 0;
  // A damaged length field can make libmdb allocate without end: reading a file never needs
  // more than a few times its size.
  rlim_t memoryLimit = (static_cast<rlim_t>(512) << 20) + inputSize * 4;
  struct rlimit memory = {memoryLimit, memoryLimit};
  setrlimit(RLIMIT_AS, &memory);
  rlim_t output = (static_cast<rlim_t>(64) << 20) + inputSize * 8;
  struct rlimit size = {output, output};
  setrlimit(RLIMIT_FSIZE, &size);
}

std::string quoteName(const char* name) {
  std::string out = "\"";
  for (const char* p = name; *p; ++p) {
    if (*p == '"') out += '"';
    out += *p;
  }
  return out + "\"";
}

MdbColumn* columnAt(MdbTableDef* t, unsigned i) { return static_cast<MdbColumn*>(g_ptr_array_index(t->columns, i)); }

native::JetType jetTypeOf(int mdbType) {
  using native::JetType;
  switch (mdbType) {
    case MDB_BOOL: return JetType::Boolean;
    case MDB_BYTE: return JetType::Byte;
    case MDB_INT: return JetType::Integer;
    case MDB_LONGINT: return JetType::Long;
    case MDB_MONEY: return JetType::Currency;
    case MDB_FLOAT: return JetType::Single;
    case MDB_DOUBLE: return JetType::Double;
    case MDB_DATETIME: return JetType::DateTime;
    case MDB_BINARY: return JetType::Binary;
    case MDB_TEXT: return JetType::Text;
    case MDB_OLE: return JetType::OleObject;
    case MDB_MEMO: return JetType::Memo;
    case MDB_REPID: return JetType::Guid;
    case MDB_NUMERIC: return JetType::Decimal;
    case MDB_COMPLEX: return JetType::Long;  // ACE attachment / multi-value: the link's id
    default: return JetType::OleObject;      // unknown: kept as raw bytes
  }
}

class Writer {
 public:
  explicit Writer(const std::string& path) {
    std::remove(path.c_str());
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
      throw Failure("cannot create the output file " + path + ": " + sqlite3_errmsg(db_));
    native::jetfunc::registerAll(db_);  // the tables declare the engine's collation
    exec("PRAGMA journal_mode=OFF");
    exec("PRAGMA synchronous=OFF");
    exec("BEGIN");
  }
  ~Writer() {
    sqlite3_finalize(insert_);
    sqlite3_close_v2(db_);
  }
  void exec(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
      std::string msg = err ? err : sqlite3_errmsg(db_);
      sqlite3_free(err);
      throw Failure(msg);
    }
  }
  void prepareInsert(const std::string& sql) {
    sqlite3_finalize(insert_);
    insert_ = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &insert_, nullptr) != SQLITE_OK) throw Failure(sqlite3_errmsg(db_));
  }
  sqlite3_stmt* insert() { return insert_; }
  void runInsert() {
    if (sqlite3_step(insert_) != SQLITE_DONE) throw Failure(sqlite3_errmsg(db_));
    sqlite3_reset(insert_);
    sqlite3_clear_bindings(insert_);
  }

 private:
  sqlite3* db_ = nullptr;
  sqlite3_stmt* insert_ = nullptr;
};

// Raw bytes of the current value, checked against the page buffer.
const unsigned char* rawBytes(MdbHandle* mdb, MdbColumn* col, int needed) {
  int start = col->cur_value_start;
  if (start < 0 || needed < 0 || start + needed > static_cast<int>(sizeof mdb->pg_buf))
    throw Failure(std::string("a row of column ") + col->name + " is damaged");
  return mdb->pg_buf + start;
}

template <typename T>
T rawNumber(MdbHandle* mdb, MdbColumn* col) {
  T v;
  std::memcpy(&v, rawBytes(mdb, col, sizeof(T)), sizeof(T));
  return v;
}

void bindText(sqlite3_stmt* st, int i, char* owned) {
  if (owned) sqlite3_bind_text(st, i, owned, -1, SQLITE_TRANSIENT);
  g_free(owned);
}

// Binds the current row's value of one column (parameter i).
void bindValue(MdbHandle* mdb, MdbColumn* col, const char* bound, sqlite3_stmt* st, int i) {
  if (col->col_type == MDB_BOOL) {  // held in the null mask: never null
    sqlite3_bind_int(st, i, std::strcmp(bound, "1") == 0 ? -1 : 0);
    return;
  }
  int len = col->cur_value_len;
  if (len <= 0) return;  // null
  switch (col->col_type) {
    case MDB_BYTE: sqlite3_bind_int(st, i, *rawBytes(mdb, col, 1)); break;
    case MDB_INT: sqlite3_bind_int(st, i, rawNumber<int16_t>(mdb, col)); break;
    case MDB_LONGINT:
    case MDB_COMPLEX: sqlite3_bind_int(st, i, rawNumber<int32_t>(mdb, col)); break;
    case MDB_MONEY:  // int64 scaled by 10 000; the double nearest the decimal value
      sqlite3_bind_double(st, i, static_cast<double>(rawNumber<int64_t>(mdb, col)) / 10000.0);
      break;
    case MDB_FLOAT: {
      // A Single as the double of its shortest decimal form, so 0.15 stays 0.15.
      char buf[32];
      auto res = std::to_chars(buf, buf + sizeof buf - 1, rawNumber<float>(mdb, col));
      *res.ptr = '\0';
      sqlite3_bind_double(st, i, std::strtod(buf, nullptr));
      break;
    }
    case MDB_DOUBLE:
    case MDB_DATETIME: sqlite3_bind_double(st, i, rawNumber<double>(mdb, col)); break;
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_REPID:
      bindText(st, i, mdb_col_to_string(mdb, mdb->pg_buf, col->cur_value_start, col->col_type, len));
      break;
    case MDB_NUMERIC: {
      char* s = mdb_numeric_to_string(mdb, col->cur_value_start, col->col_scale, col->col_prec);
      if (s) sqlite3_bind_double(st, i, std::strtod(s, nullptr));
      g_free(s);
      break;
    }
    case MDB_OLE: {
      size_t size = 0;
      void* data = mdb_ole_read_full(mdb, col, &size);
      if (data) sqlite3_bind_blob64(st, i, data, size, SQLITE_TRANSIENT);
      g_free(data);
      break;
    }
    default: sqlite3_bind_blob(st, i, rawBytes(mdb, col, len), len, SQLITE_TRANSIENT); break;
  }
}

// Reads pages of the Access file by itself, apart from libmdb's buffers, to check what libmdb
// read against what the file says of itself.
class PageReader {
 public:
  PageReader(const char* path, size_t pageSize) : pageSize_(pageSize), page_(pageSize) {
    fd_ = ::open(path, O_RDONLY);
    if (fd_ < 0) throw Failure("it cannot be opened for reading");
    struct stat st;
    pageCount_ = ::fstat(fd_, &st) == 0 ? static_cast<uint64_t>(st.st_size) / pageSize : 0;
  }
  ~PageReader() { ::close(fd_); }
  PageReader(const PageReader&) = delete;
  PageReader& operator=(const PageReader&) = delete;

  uint64_t pageCount() const { return pageCount_; }
  size_t pageSize() const { return pageSize_; }
  // The page's bytes, or null when the page lies beyond the end of the file or cannot be read.
  const unsigned char* read(uint64_t pg) {
    if (pg >= pageCount_) return nullptr;
    size_t done = 0;
    while (done < pageSize_) {
      ssize_t n = ::pread(fd_, page_.data() + done, pageSize_ - done, static_cast<off_t>(pg * pageSize_ + done));
      if (n <= 0) return nullptr;
      done += static_cast<size_t>(n);
    }
    return page_.data();
  }

 private:
  int fd_ = -1;
  size_t pageSize_;
  uint64_t pageCount_ = 0;
  std::vector<unsigned char> page_;
};

unsigned readUint16(const unsigned char* p) { return p[0] | (p[1] << 8); }
uint32_t readUint32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Row offset entries of a data page: the row's start in the low bits, then two flags.
constexpr unsigned kRowOffsetMask = 0x1FFF;
constexpr unsigned kRowDeleted = 0x4000;

// Checks a table as the file describes it: every page its usage map names is a data page of
// this table, every row offset on those pages lies inside the page without overlapping its
// neighbours, the rows those pages hold are as many as the table definition declares, and
// libmdb handed over exactly that many (it skips a row it cannot decode without a word). A
// table that fails any of these cannot be read whole, and is refused rather than imported short.
void verifyTable(MdbHandle* mdb, MdbTableDef* t, PageReader& pages, uint64_t rowsRead, const std::string& what) {
  const std::string table = what + " is damaged: ";
  const size_t pageSize = pages.pageSize();
  const unsigned rowCountOffset = mdb->fmt->row_count_offset;
  const uint32_t owner = static_cast<uint32_t>(t->entry->table_pg);
  uint64_t liveRows = 0, mapPages = 0;
  gint32 pg = 0;
  while ((pg = mdb_map_find_next(mdb, t->usage_map, static_cast<unsigned>(t->map_sz), static_cast<guint32>(pg))) > 0) {
    if (++mapPages > pages.pageCount())
      throw Failure(table + "its usage map names more pages than the file holds");
    const unsigned char* page = pages.read(static_cast<uint64_t>(pg));
    if (!page)
      throw Failure(table + "its data page " + std::to_string(pg) + " lies beyond the end of the file");
    if (page[0] != 0x01 || page[1] != 0x01 || readUint32(page + 4) != owner)
      throw Failure(table + "page " + std::to_string(pg) + " of its usage map is not one of its data pages");
    unsigned rows = readUint16(page + rowCountOffset);
    size_t headerEnd = rowCountOffset + 2 + 2 * static_cast<size_t>(rows);
    if (headerEnd > pageSize)
      throw Failure(table + "page " + std::to_string(pg) + " declares more rows than it can hold");
    size_t end = pageSize;  // rows are stored from the end of the page backwards
    for (unsigned r = 0; r < rows; ++r) {
      unsigned entry = readUint16(page + rowCountOffset + 2 + 2 * r);
      size_t start = entry & kRowOffsetMask;
      bool live = !(entry & kRowDeleted);
      // A deleted row may be left with no bytes at all; a live row never is.
      if (start < headerEnd || start > end || (live && start == end))
        throw Failure(table + "row " + std::to_string(r) + " of page " + std::to_string(pg) +
                      " lies outside its page or overlaps another row");
      end = start;
      if (live) ++liveRows;
    }
  }
  if (liveRows != t->num_rows)
    throw Failure(table + "it declares " + std::to_string(t->num_rows) + " rows but its pages hold " +
                  std::to_string(liveRows));
  if (rowsRead != t->num_rows)
    throw Failure(table + "it declares " + std::to_string(t->num_rows) + " rows but " + std::to_string(rowsRead) +
                  " could be read");
}

void importTable(MdbHandle* mdb, MdbCatalogEntry* entry, PageReader& pages, Writer& out) {
  MdbTableDef* t = mdb_read_table(entry);
  if (!t) throw Failure(std::string("cannot read table ") + entry->object_name);
  struct Free {
    MdbTableDef* t;
    ~Free() { mdb_free_tabledef(t); }
  } guard{t};
  if (!mdb_read_columns(t) || t->num_cols == 0) throw Failure(std::string("cannot read the columns of table ") + t->name);
  bool jet3 = mdb->f->jet_version == MDB_VER_JET3;

  // Primary key positions (index type 1), when the indexes can be read.
  std::vector<int> keyOrdinal(t->num_cols, 0);
  mdb_read_indices(t);
  if (t->indices) {
    for (unsigned x = 0; x < t->num_idxs && x < t->indices->len; ++x) {
      auto* idx = static_cast<MdbIndex*>(g_ptr_array_index(t->indices, x));
      if (idx->index_type != 1) continue;
      for (unsigned k = 0; k < idx->num_keys && k < MDB_MAX_IDX_COLS; ++k) {
        int c = idx->key_col_num[k] - 1;
        if (c >= 0 && c < static_cast<int>(t->num_cols)) keyOrdinal[static_cast<size_t>(c)] = static_cast<int>(k) + 1;
      }
    }
  }

  std::string create = "CREATE TABLE " + quoteName(t->name) + " (";
  std::string insert = "INSERT INTO " + quoteName(t->name) + " VALUES (";
  for (unsigned c = 0; c < t->num_cols; ++c) {
    MdbColumn* col = columnAt(t, c);
    native::JetType type = jetTypeOf(col->col_type);
    int32_t size = 0, scale = 0;
    if (type == native::JetType::Text) size = jet3 ? col->col_size : col->col_size / 2;
    if (type == native::JetType::Binary) size = col->col_size;
    if (type == native::JetType::Decimal) size = col->col_prec, scale = col->col_scale;
    create += (c ? ", " : "") + quoteName(col->name) + " " + native::jetTypeDeclaration(type, size, scale);
    insert += c ? ", ?" : "?";
    std::string keyRow = "INSERT INTO " + quoteName(native::jetimport::kKeysTable) + " VALUES (" +
                         "?1, ?2, " + std::to_string(keyOrdinal[c]) + ", " + (col->is_long_auto ? "1" : "0") + ")";
    out.prepareInsert(keyRow);
    sqlite3_bind_text(out.insert(), 1, t->name, -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(out.insert(), 2, col->name, -1, SQLITE_TRANSIENT);
    out.runInsert();
  }
  out.exec(create + ")");
  out.prepareInsert(insert + ")");

  // Yes/No and OLE values are only reachable through libmdb's bound buffers.
  std::vector<std::vector<char>> buffers(t->num_cols);
  std::vector<int> lengths(t->num_cols);
  for (unsigned c = 0; c < t->num_cols; ++c) {
    int type = columnAt(t, c)->col_type;
    if (type == MDB_BOOL || type == MDB_OLE) {
      buffers[c].assign(MDB_BIND_SIZE, '\0');
      mdb_bind_column(t, static_cast<int>(c) + 1, buffers[c].data(), &lengths[c]);
    }
  }
  // A damaged page chain can make libmdb go on producing rows without end: far more rows than
  // the table declares means the table is damaged.
  uint64_t rowLimit = static_cast<uint64_t>(t->num_rows) * 2 + 1000, rowCount = 0;
  mdb_rewind_table(t);
  while (mdb_fetch_row(t)) {
    if (++rowCount > rowLimit)
      throw Failure(std::string("table ") + t->name + " is damaged: it yields more rows than it declares");
    for (unsigned c = 0; c < t->num_cols; ++c)
      bindValue(mdb, columnAt(t, c), buffers[c].empty() ? "" : buffers[c].data(), out.insert(), static_cast<int>(c) + 1);
    out.runInsert();
  }
  verifyTable(mdb, t, pages, rowCount, std::string("table ") + t->name);
}

// The list of tables is itself a table: libmdb skips a row of it that it cannot decode, and a
// table would then be missing without a word.
void verifyCatalog(MdbHandle* mdb, PageReader& pages) {
  constexpr unsigned long kCatalogPage = 2;
  MdbCatalogEntry entry{};
  entry.mdb = mdb;
  entry.object_type = MDB_TABLE;
  entry.table_pg = kCatalogPage;
  std::snprintf(entry.object_name, sizeof entry.object_name, "%s", "MSysObjects");
  MdbTableDef* t = mdb_read_table(&entry);
  if (!t) throw Failure("its list of tables cannot be read");
  struct Free {
    MdbTableDef* t;
    ~Free() { mdb_free_tabledef(t); }
  } guard{t};
  if (!mdb_read_columns(t)) throw Failure("its list of tables cannot be read");
  uint64_t rowLimit = static_cast<uint64_t>(t->num_rows) * 2 + 1000, rowCount = 0;
  mdb_rewind_table(t);
  while (mdb_fetch_row(t))
    if (++rowCount > rowLimit) break;
  verifyTable(mdb, t, pages, rowCount, "its list of tables (MSysObjects)");
}

void run(const char* input, const std::string& output) {
  setenv("MDB_ICONV", "UTF-8", 1);
  MdbHandle* mdb = mdb_open(input, MDB_NOFLAGS);
  if (!mdb) throw Failure("it is not an Access database, or it is damaged beyond reading");
  struct Close {
    MdbHandle* m;
    ~Close() { mdb_close(m); }
  } guard{mdb};
  mdb_set_boolean_fmt_numbers(mdb);
  struct stat st;
  if (stat(input, &st) == 0 && mdb->fmt && mdb->fmt->pg_size > 0 && st.st_size % mdb->fmt->pg_size != 0)
    throw Failure("the file is truncated: its size is not a whole number of pages");
  if (!mdb_read_catalog(mdb, MDB_TABLE)) throw Failure("its list of tables cannot be read");
  PageReader pages(input, static_cast<size_t>(mdb->fmt->pg_size));
  verifyCatalog(mdb, pages);

  std::string part = output + ".part";
  {
    Writer out(part);
    out.exec("CREATE TABLE " + quoteName(native::jetimport::kKeysTable) +
             " (table_name TEXT, column_name TEXT, key_ordinal INTEGER, auto_increment INTEGER)");
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
      auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
      if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry)) continue;
      importTable(mdb, entry, pages, out);
    }
    out.exec("COMMIT");
  }
  if (std::rename(part.c_str(), output.c_str()) != 0) throw Failure("cannot rename the output file " + part);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <access file> <sqlite file>\n", argv[0]);
    return 2;
  }
  limitResources(argv[1]);
  // libmdb writes its warnings to stderr, thousands of them for a damaged file: they go to
  // /dev/null, and this program's own message goes to the error output it was given.
  int errorFd = dup(2);
  FILE* errors = errorFd >= 0 ? fdopen(errorFd, "w") : stderr;
  if (errorFd >= 0) std::freopen("/dev/null", "w", stderr);
  try {
    run(argv[1], argv[2]);
  } catch (const std::exception& e) {
    std::remove((std::string(argv[2]) + ".part").c_str());
    std::fprintf(errors, "error: %s\n", e.what());
    std::fflush(errors);
    return 1;
  }
  return 0;
}
