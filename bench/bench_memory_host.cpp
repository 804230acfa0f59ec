#include "bench/bench_memory_host.h"

#include "platform/native/JetEngine.h"
#include "platform/native/SampleData.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

namespace memory_bench {
namespace {

int64_t statusField(const char* name) {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  int64_t kb = -1;
  size_t n = std::strlen(name);
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, name, n) == 0 && line[n] == ':') {
      kb = std::strtoll(line + n + 1, nullptr, 10);
      break;
    }
  std::fclose(f);
  return kb;
}

}  // namespace

int64_t residentKb() { return statusField("VmRSS"); }
int64_t peakResidentKb() { return statusField("VmHWM"); }

int64_t fileSize(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

void ensureSampleDatabase(const std::string& path, int32_t rows) {
  if (fileSize(path) > 0) return;
  native::sample::writeSurveyDatabase(path, rows);
}

std::string drivePath(const std::string& unixPath) {
  std::string out = "Z:";
  for (char c : unixPath) out += c == '/' ? '\\' : c;
  return out;
}

int64_t engineReadAll(const std::string& path) {
  native::OpenOptions options;
  options.pathIsUtf8 = true;
  native::JetDatabase db(path, options);
  native::QueryResult r = db.query(std::string("select * from ") + native::sample::kTableName);
  return static_cast<int64_t>(r.rowCount());
}

}  // namespace memory_bench
