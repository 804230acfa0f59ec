#include "platform/native/JetImport.h"

#include "platform/native/JetEngine.h"
#include "platform/native/JetFunctions.h"
#include "platform/native/JetText.h"

#include <sqlite3.h>

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace native::jetimport {
namespace {

std::string folderOf(const std::string& file) {
  size_t slash = file.rfind('/');
  return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

bool isExecutableFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// A private temporary folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/jet-import-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data()))
      throw DatabaseError("cannot create a temporary folder for the Access import: " + std::string(std::strerror(errno)));
    path_ = buf.data();
  }
  ~TempDir() {
    if (DIR* d = ::opendir(path_.c_str())) {
      while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name != "." && name != "..") ::unlink((path_ + "/" + name).c_str());
      }
      ::closedir(d);
    }
    ::rmdir(path_.c_str());
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string file(const char* name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The helper's last words: the last "error: " line of its error output, else its last line.
std::string helperMessage(const std::string& errFile) {
  std::ifstream in(errFile);
  std::string line, last, lastError;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty()) continue;
    last = line;
    if (line.rfind("error: ", 0) == 0) lastError = line.substr(7);
  }
  std::string msg = lastError.empty() ? last : lastError;
  if (msg.size() > 300) msg = msg.substr(0, 300) + "...";
  return text::utf8ToCp1252(msg);
}

enum class Outcome { Finished, TimedOut };

// Waits for the helper until the deadline; kills it when the deadline passes.
Outcome waitFor(pid_t pid, std::chrono::steady_clock::time_point deadline, int& status, bool& statusKnown) {
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) {
      statusKnown = true;
      return Outcome::Finished;
    }
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      // Someone else reaped the child (a host process that ignores SIGCHLD): it is gone when
      // it can no longer be signalled; its output decides the result.
      if (::kill(pid, 0) != 0 && errno == ESRCH) {
        statusKnown = false;
        return Outcome::Finished;
      }
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      ::kill(pid, SIGKILL);
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      return Outcome::TimedOut;
    }
    std::this_thread::sleep_for(pause);
    if (pause < std::chrono::milliseconds(20)) pause *= 2;
  }
}

void copyIntoMemory(sqlite3* memoryDb, const std::string& dbFile, const std::string& shownPath) {
  sqlite3* src = nullptr;
  int rc = sqlite3_open_v2(dbFile.c_str(), &src, SQLITE_OPEN_READONLY, nullptr);
  std::string failure;
  if (rc == SQLITE_OK) {
    try {
      jetfunc::registerAll(src);
    } catch (const DatabaseError& e) {
      failure = e.what();
    }
  }
  if (rc == SQLITE_OK && failure.empty()) {
    sqlite3_backup* backup = sqlite3_backup_init(memoryDb, "main", src, "main");
    if (!backup) {
      failure = sqlite3_errmsg(memoryDb);
    } else {
      rc = sqlite3_backup_step(backup, -1);
      if (rc != SQLITE_DONE) failure = sqlite3_errstr(rc);
      sqlite3_backup_finish(backup);
    }
  } else if (failure.empty()) {
    failure = src ? sqlite3_errmsg(src) : sqlite3_errstr(rc);
  }
  sqlite3_close_v2(src);
  if (!failure.empty())
    throw DatabaseError("the Access file '" + shownPath + "' was read but its tables could not be loaded: " +
                        text::utf8ToCp1252(failure));
}

}  // namespace

std::vector<std::string> helperCandidates(const std::string& explicitHelper) {
  if (!explicitHelper.empty()) return {explicitHelper};
  std::vector<std::string> out;
  Dl_info info;
  if (::dladdr(reinterpret_cast<void*>(&helperCandidates), &info) && info.dli_fname && *info.dli_fname) {
    char resolved[PATH_MAX];
    if (::realpath(info.dli_fname, resolved)) out.push_back(folderOf(resolved) + "/" + kHelperName);
  }
  char exe[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n > 0) {
    exe[n] = '\0';
    std::string candidate = folderOf(exe) + "/" + kHelperName;
    if (out.empty() || out.front() != candidate) out.push_back(candidate);
  }
#ifdef NATIVE_IMPORT_HELPER_PATH
  out.push_back(NATIVE_IMPORT_HELPER_PATH);
#endif
  return out;
}

void importInto(sqlite3* memoryDb, const std::string& utf8Path, const std::string& shownPath,
                const OpenOptions& options) {
  std::string helper;
  std::vector<std::string> candidates = helperCandidates(options.importHelper);
  for (const std::string& c : candidates)
    if (isExecutableFile(c)) {
      helper = c;
      break;
    }
  if (helper.empty()) {
    std::string looked;
    for (const std::string& c : candidates) looked += (looked.empty() ? "" : ", ") + c;
    throw DatabaseError("cannot open the Access file '" + shownPath + "': the import helper " + kHelperName +
                        " was not found (looked for " + text::utf8ToCp1252(looked) + ")");
  }

  struct stat st;
  double megabytes = ::stat(utf8Path.c_str(), &st) == 0 ? static_cast<double>(st.st_size) / (1024.0 * 1024.0) : 0;
  int32_t limit = options.importTimeoutSeconds > 0 ? options.importTimeoutSeconds
                                                  : 30 + static_cast<int32_t>(megabytes);

  TempDir tmp;
  std::string outFile = tmp.file("import.db");
  std::string errFile = tmp.file("errors.txt");

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char*> argv = {const_cast<char*>(helper.c_str()), const_cast<char*>(utf8Path.c_str()),
                             const_cast<char*>(outFile.c_str()), nullptr};
  pid_t pid = 0;
  int rc = ::posix_spawn(&pid, helper.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0)
    throw DatabaseError("cannot open the Access file '" + shownPath + "': the import helper " +
                        text::utf8ToCp1252(helper) + " could not be started (" + std::strerror(rc) + ")");

  int status = 0;
  bool statusKnown = false;
  Outcome outcome = waitFor(pid, std::chrono::steady_clock::now() + std::chrono::seconds(limit), status, statusKnown);
  std::string prefix = "cannot open the Access file '" + shownPath + "': ";
  if (outcome == Outcome::TimedOut)
    throw DatabaseError(prefix + "reading it took longer than " + std::to_string(limit) +
                        " seconds and was stopped; the file is probably damaged");
  if (statusKnown && WIFSIGNALED(status)) {
    const char* name = ::strsignal(WTERMSIG(status));
    throw DatabaseError(prefix + "the reader stopped abnormally (" + (name ? name : "signal") + " " +
                        std::to_string(WTERMSIG(status)) + "); the file is probably damaged");
  }
  bool produced = ::access(outFile.c_str(), F_OK) == 0;
  if ((statusKnown && WEXITSTATUS(status) != 0) || !produced) {
    std::string why = helperMessage(errFile);
    throw DatabaseError(prefix + (why.empty() ? std::string("the file could not be read") : why));
  }
  copyIntoMemory(memoryDb, outFile, shownPath);
}

}  // namespace native::jetimport
