// bench_memory: the memory a large table takes when the program opens it, against the size of
// the SQLite file holding it.
//
//   cd build; export WINEPREFIX=$PWD/wineprefix WINEDEBUG=-all
//   WINELOADER=/usr/lib/wine/wine64 bench/bench_memory.exe engine|dataset [rows] [file]
//
// It writes the project's sample survey table with rows rows (1 000 000 when not given) to
// file (/tmp/bench-memory-<rows>.db when not given) unless the file is there, then, in this
// process, reads the whole table once:
//   engine    through the database engine alone (one query, every row in memory);
//   dataset   through an ADO connection and query opened on "select * from domicilios", as the
//             program opens a table.
// It prints the resident memory before and after and the process's peak. Run each mode in a
// process of its own: the peak is the process's.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "bench/bench_memory_host.h"
#include "platform/data/ADODB.h"
#include "platform/data/DataUnits.h"
#include "platform/native/SampleData.h"
#include "platform/rtl/Startup.h"

namespace {

// A query that tells what its rows take.
class MeasuredQuery : public TADOQuery {
public:
  using TADOQuery::TADOQuery;
  size_t rowBytes() const { return Rows().MemoryUsed(); }
};

double mb(int64_t kb) { return static_cast<double>(kb) / 1024.0; }

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode != "engine" && mode != "dataset") {
    std::fprintf(stderr, "usage: %s engine|dataset [rows] [file]\n", argv[0]);
    return 2;
  }
  int32_t rows = argc > 2 ? std::atoi(argv[2]) : 1000000;
  std::string file = argc > 3 ? argv[3] : "/tmp/bench-memory-" + std::to_string(rows) + ".db";
  InitializeUnits({&RtlUnits(), &DataUnits()});
  int rc = 0;
  try {
    memory_bench::ensureSampleDatabase(file, rows);
    int64_t before = memory_bench::residentKb();
    int64_t read = 0;
    int64_t after = 0;
    size_t rowBytes = 0;
    if (mode == "engine") {
      read = memory_bench::engineReadAll(file);
      after = memory_bench::residentKb();
    } else {
      auto connection = std::make_unique<TADOConnection>(nullptr);
      connection->SetLoginPrompt(false);
      connection->SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + memory_bench::drivePath(file));
      connection->Open();
      auto query = std::make_unique<MeasuredQuery>(nullptr);
      query->SetConnection(connection.get());
      query->SQL()->SetText(std::string("select * from ") + native::sample::kTableName);
      query->Open();
      read = query->RecordCount();
      rowBytes = query->rowBytes();
      after = memory_bench::residentKb();
    }
    int64_t fileBytes = memory_bench::fileSize(file);
    std::printf("%s: %lld rows of %s (%.1f MB)\n", mode.c_str(), static_cast<long long>(read), file.c_str(),
                static_cast<double>(fileBytes) / (1024.0 * 1024.0));
    std::printf("resident before %.1f MB, with the rows %.1f MB (%.1f MB for them, %.2f x the file), peak %.1f MB\n",
                mb(before), mb(after), mb(after - before), static_cast<double>(after - before) * 1024.0 / static_cast<double>(fileBytes),
                mb(memory_bench::peakResidentKb()));
    if (mode == "dataset")
      std::printf("the data set's rows take %.1f MB (%.2f x the file)\n", static_cast<double>(rowBytes) / (1024.0 * 1024.0),
                  static_cast<double>(rowBytes) / static_cast<double>(fileBytes));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_memory: %s\n", e.what());
    rc = 1;
  }
  FinalizeUnits();
  return rc;
}
