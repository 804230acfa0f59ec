#pragma once
// Helpers shared by the native engine's tests: a private temporary folder, the shared Access
// files, and short ways to read single values.
#include "platform/native/JetEngine.h"
#include "platform/native/JetText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace nativetest {

// cp1252 text from UTF-8 source literals (the tests are written in UTF-8, the engine speaks cp1252).
inline std::string cp(const char* utf8) { return native::text::utf8ToCp1252(utf8); }

// The real Access files under tests/fixtures/data; a missing one fails the calling test.
inline std::string dataFile(const char* name) {
  std::string path = std::string(TEST_DATA_DIR) + "/" + name;
  if (!std::filesystem::exists(path)) ADD_FAILURE() << "test data file missing: " << path;
  return path;
}
inline std::string nwind() { return dataFile("nwind.mdb"); }
inline std::string dateTest() { return dataFile("DateTestDatabase.mdb"); }
inline std::string fixture(const char* name) { return std::string(TEST_FIXTURES_DIR) + "/native/" + name; }

// A folder of its own under the system's temporary folder, removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "native-test-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) ADD_FAILURE() << "cannot read " << path;
  return std::string(std::istreambuf_iterator<char>(in), {});
}
inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// A new, empty SQLite database file in dir.
inline native::JetDatabase newSqlite(const TempDir& dir, const char* name = "test.db") {
  native::OpenOptions options;
  options.create = true;
  return native::JetDatabase(dir.file(name), options);
}

// The single value of a one-row, one-column query.
inline native::Value scalar(native::JetDatabase& db, const std::string& sql, const std::vector<native::Value>& params = {}) {
  native::QueryResult r = db.query(sql, params);
  if (r.rowCount() != 1 || r.columnCount() != 1)
    throw std::runtime_error("expected one value from: " + sql);
  return r.at(0, 0);
}

// One column of a result as texts (cp1252), integers or doubles.
inline std::vector<std::string> texts(const native::QueryResult& r, size_t column = 0) {
  std::vector<std::string> out;
  for (size_t i = 0; i < r.rowCount(); ++i)
    out.push_back(r.at(i, column).isNull() ? std::string("<null>") : r.at(i, column).bytes());
  return out;
}
inline std::vector<double> doubles(const native::QueryResult& r, size_t column = 0) {
  std::vector<double> out;
  for (size_t i = 0; i < r.rowCount(); ++i) out.push_back(r.at(i, column).toDouble());
  return out;
}

// Message of the DatabaseError the call throws; fails the test when it throws nothing else.
template <typename F>
std::string errorOf(F&& call) {
  try {
    call();
  } catch (const native::DatabaseError& e) {
    return e.what();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "expected a DatabaseError, got another exception: " << e.what();
    return std::string();
  }
  ADD_FAILURE() << "expected a DatabaseError, nothing was thrown";
  return std::string();
}

}  // namespace nativetest
