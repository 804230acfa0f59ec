#include "bench/bench_strata_host.h"

#include "platform/native/JetEngine.h"
#include "platform/native/JetText.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace strata_bench {

namespace {

std::string readFile(const std::string& path) {
  std::string bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  std::fclose(f);
  return bytes;
}

bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Index just past the quoted token that starts at i (quote ' or "; a doubled quote stays inside).
size_t skipQuoted(const std::string& s, size_t i) {
  char quote = s[i];
  for (size_t j = i + 1; j < s.size(); ++j) {
    if (s[j] != quote) continue;
    if (j + 1 < s.size() && s[j + 1] == quote) {
      ++j;
      continue;
    }
    return j + 1;
  }
  return s.size();
}

// Index of the parenthesis closing the one at open, or npos.
size_t closingParen(const std::string& s, size_t open) {
  int depth = 0;
  for (size_t i = open; i < s.size();) {
    char c = s[i];
    if (c == '\'' || c == '"') {
      i = skipQuoted(s, i);
      continue;
    }
    if (c == '(') ++depth;
    if (c == ')' && --depth == 0) return i;
    ++i;
  }
  return std::string::npos;
}

std::string replaceAll(std::string s, const std::string& from, const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
  return s;
}

}  // namespace

double nowSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

CpuTimes cpuTimes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

std::string makeTempFolder(const std::string& prefix) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("cannot create a temporary folder: " + std::string(std::strerror(errno)));
  return buf.data();
}

void removeFolder(const std::string& path) {
  if (DIR* d = opendir(path.c_str())) {
    while (dirent* e = readdir(d)) {
      if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
      unlink((path + "/" + e->d_name).c_str());
    }
    closedir(d);
  }
  rmdir(path.c_str());
}

void writeFile(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) throw std::runtime_error("cannot write " + path);
}

int64_t copyTableForCommandLine(const std::string& sourcePath, const std::string& table, const std::string& copyPath) {
  native::OpenOptions readOnly;
  readOnly.readOnly = true;
  readOnly.pathIsUtf8 = true;
  native::JetDatabase source(sourcePath, readOnly);
  std::vector<native::FieldInfo> fields = source.fields(native::text::utf8ToCp1252(table));
  if (fields.empty()) throw std::runtime_error("table " + table + " not found in " + sourcePath);

  // The same declarations the engine gives its own files, with NOCASE for the collation; a
  // single AutoNumber key stays the table's rowid, as in a SQLite file of the engine.
  int keyColumns = 0;
  for (const native::FieldInfo& f : fields) keyColumns += f.primaryKey ? 1 : 0;
  std::string columns, marks;
  for (const native::FieldInfo& f : fields) {
    std::string declaration = replaceAll(native::jetTypeDeclaration(f.type, f.size, f.scale),
                                         std::string("COLLATE ") + native::kTextCollation, "COLLATE NOCASE");
    if (f.primaryKey && f.autoIncrement && keyColumns == 1) declaration = "INTEGER PRIMARY KEY";
    columns += (columns.empty() ? "[" : ", [") + f.name + "] " + declaration;
    marks += marks.empty() ? "?" : ", ?";
  }
  unlink(copyPath.c_str());
  native::OpenOptions create;
  create.create = true;
  create.pathIsUtf8 = true;
  native::JetDatabase copy(copyPath, create);
  std::string name = "[";
  name += native::text::utf8ToCp1252(table);
  name += "]";
  copy.execute("CREATE TABLE " + name + " (" + columns + ")");

  native::QueryResult rows = source.query("select * from " + name);
  copy.execute("BEGIN");
  const std::string insert = "INSERT INTO " + name + " VALUES (" + marks + ")";
  std::vector<native::Value> values(rows.columnCount());
  for (size_t r = 0; r < rows.rowCount(); ++r) {
    for (size_t c = 0; c < rows.columnCount(); ++c) values[c] = rows.at(r, c);
    copy.execute(insert, values);
  }
  copy.execute("COMMIT");
  return static_cast<int64_t>(rows.rowCount());
}

std::string commandLineText(const std::string& sqliteUtf8) {
  std::string s = replaceAll(sqliteUtf8, std::string(" COLLATE ") + native::kTextCollation, " COLLATE NOCASE");
  std::string out;
  for (size_t i = 0; i < s.size();) {
    char c = s[i];
    if (c == '\'' || c == '"') {
      size_t end = skipQuoted(s, i);
      out.append(s, i, end - i);
      i = end;
      continue;
    }
    bool starts = (i == 0 || !isNameChar(s[i - 1])) && s.size() - i > 4 && strncasecmp(s.c_str() + i, "varp", 4) == 0 &&
                  !isNameChar(s[i + 4]);
    if (starts) {
      size_t open = i + 4;
      while (open < s.size() && s[open] == ' ') ++open;
      size_t close = open < s.size() && s[open] == '(' ? closingParen(s, open) : std::string::npos;
      if (close != std::string::npos) {
        std::string x = s.substr(open + 1, close - open - 1);
        out += "(avg((" + x + ")*(" + x + ")) - avg(" + x + ")*avg(" + x + "))";
        i = close + 1;
        continue;
      }
    }
    out += c;
    ++i;
  }
  return out;
}

double runCommandLine(const std::string& cli, const std::string& database, const std::string& script) {
  char errTemplate[] = "/tmp/bench-strata-cli-XXXXXX";
  int errFd = mkstemp(errTemplate);
  if (errFd < 0) throw std::runtime_error("cannot create a temporary file: " + std::string(std::strerror(errno)));
  close(errFd);
  const std::string errFile = errTemplate;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, script.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_TRUNC, 0);
  std::vector<char*> argv = {const_cast<char*>(cli.c_str()), const_cast<char*>(database.c_str()), nullptr};
  double start = nowSeconds();
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (rc == 0) {
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  double elapsed = nowSeconds() - start;
  std::string errors = readFile(errFile);
  unlink(errFile.c_str());
  if (rc != 0) throw std::runtime_error("cannot start " + cli + ": " + std::strerror(rc));
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !errors.empty()) {
    std::string first = errors.substr(0, errors.find('\n'));
    throw std::runtime_error(cli + " failed on " + script + (first.empty() ? std::string() : ": " + first));
  }
  return elapsed;
}

double runEngine(const std::string& path, const std::vector<std::string>& statements, bool statementsAreUtf8,
                 int32_t& failures, CpuTimes* cpu) {
  native::OpenOptions options;
  options.readOnly = true;
  options.pathIsUtf8 = true;
  native::JetDatabase db(path, options);
  std::vector<std::string> texts;
  texts.reserve(statements.size());
  for (const std::string& s : statements) texts.push_back(statementsAreUtf8 ? native::text::utf8ToCp1252(s) : s);
  failures = 0;
  CpuTimes cpuStart = cpuTimes();
  double start = nowSeconds();
  for (const std::string& s : texts) {
    try {
      db.query(s);
    } catch (const native::DatabaseError&) {
      ++failures;
    }
  }
  double elapsed = nowSeconds() - start;
  if (cpu) {
    CpuTimes end = cpuTimes();
    *cpu = {end.user - cpuStart.user, end.system - cpuStart.system};
  }
  return elapsed;
}

}  // namespace strata_bench
