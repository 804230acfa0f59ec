// Benchmark of the native database engine.
//
//   bench_native [rows] [queries]        (100000 rows, 1000 queries when not given)
//
// 1. Import of nwind.mdb whole (helper process, libmdb, copy into memory), repeated.
// 2. The strata run's aggregate queries ("select varp(C) as variancia, count(C) ... where (1=1)
//    <node clause> and A = 'v'" and the band form "A >= lo and A < hi", each with its
//    complement) on a generated table, through the engine, and the same list through the
//    sqlite3 command line on a copy of the same data. The command line knows neither the
//    engine's collation nor varp: its copy declares NOCASE and its queries compute the
//    population variance as avg(C*C) - avg(C)*avg(C). The engine also runs those very texts on
//    that copy, which compares like with like. Every run uses a 64 MB page cache.
#include "platform/native/JetEngine.h"
#include "platform/native/JetText.h"
#include "platform/native/SampleData.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// The strata run's query pair for one candidate cut, in the run's own words.
struct Candidate {
  std::string part1, part2;  // conditions after " where (1=1) "
};

std::vector<std::string> buildQueries(size_t count) {
  const char* target = "renda";
  const std::vector<std::string> nodes = {
      "", " AND (zona = 'Urbana') ", " AND (zona = 'Rural') ", " AND (moradores <= 3) ",
      " AND (moradores > 3) ", " AND (regiao = 'Sudeste') ", " AND (NOT ((area >= 40 and area < 80)))",
  };
  const std::vector<std::string> states = {"São Paulo", "Minas Gerais", "Bahia", "Paraná", "Pará",
                                           "Ceará", "Goiás", "Rio Grande do Sul", "Pernambuco", "Amazonas"};
  std::vector<std::string> out;
  uint64_t state = 42;
  auto next = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<size_t>(state >> 33);
  };
  while (out.size() < count) {
    const std::string& node = nodes[next() % nodes.size()];
    std::string head = std::string("Select  varp(") + target + ") as variancia, count(" + target +
                       ") as quantidade from " + native::sample::kTableName + " where (1=1) " + node;
    if (next() % 2 == 0) {  // value cut on a text attribute
      std::string v = native::text::utf8ToCp1252(states[next() % states.size()]);
      out.push_back(head + " and estado = '" + v + "'");
      out.push_back(std::string("Select  varp(") + target + ") as variancia , count(" + target + ") as quantidade from " +
                    native::sample::kTableName + " where (1=1) " + node + " and estado <> '" + v + "'");
    } else {  // band cut on a numeric attribute
      double step = 20.0;
      double lo = 12.0 + step * static_cast<double>(next() % 12);
      char bounds[96];
      std::snprintf(bounds, sizeof bounds, "area >= %.15g and area < %.15g", lo, lo + step);
      out.push_back(head + " and " + bounds);
      std::snprintf(bounds, sizeof bounds, "area >= %.15g AND area < %.15g", lo, lo + step);
      out.push_back(head + " AND NOT (" + bounds + ")");
    }
  }
  out.resize(count);
  return out;
}

// The command line's form of a query: UTF-8, and varp spelled with built-in aggregates.
std::string forCommandLine(const std::string& cp1252) {
  std::string q = native::text::cp1252ToUtf8(cp1252);
  const std::string varp = "varp(renda)";
  size_t at = q.find(varp);
  if (at != std::string::npos) q.replace(at, varp.size(), "(avg(renda*renda) - avg(renda)*avg(renda))");
  return q;
}

}  // namespace

int main(int argc, char** argv) {
  int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  size_t queryCount = argc > 2 ? static_cast<size_t>(std::atol(argv[2])) : 1000;
  std::string nwind = std::string(TEST_DATA_DIR) + "/nwind.mdb";

  try {
    // 1. Import.
    std::vector<double> imports;
    for (int i = 0; i < 10; ++i) {
      auto t = Clock::now();
      native::JetDatabase db(nwind);
      imports.push_back(seconds(t));
    }
    std::sort(imports.begin(), imports.end());
    native::JetDatabase imported(nwind);
    int64_t importedRows = 0;
    for (const std::string& table : imported.tables())
      importedRows += imported.query("select count(*) from [" + table + "]").at(0, 0).integerValue();
    std::printf("import of nwind.mdb (%.1f MB, %zu tables, %lld rows): median %.1f ms, best %.1f ms over %zu runs\n",
                static_cast<double>(std::filesystem::file_size(nwind)) / (1024 * 1024), imported.tables().size(),
                static_cast<long long>(importedRows), imports[imports.size() / 2] * 1000, imports.front() * 1000,
                imports.size());

    // 2. Aggregate queries.
    char dirTemplate[] = "/tmp/bench-native-XXXXXX";
    if (!mkdtemp(dirTemplate)) throw std::runtime_error("mkdtemp failed");
    std::filesystem::path dir = dirTemplate;
    std::string engineDb = (dir / "engine.db").string(), cliDb = (dir / "cli.db").string();
    auto t = Clock::now();
    native::sample::writeSurveyDatabase(engineDb, rows);
    native::sample::writeSurveyDatabase(cliDb, rows, "NOCASE");
    std::printf("generated 2 x %d rows in %.2f s\n", rows, seconds(t));

    std::vector<std::string> queries = buildQueries(queryCount);
    native::JetDatabase db(engineDb);
    std::vector<int64_t> engineCounts;
    std::vector<double> engineVariances;
    t = Clock::now();
    for (const std::string& q : queries) {
      native::QueryResult r = db.query(q);
      engineVariances.push_back(r.at(0, 0).toDouble());
      engineCounts.push_back(r.at(0, 1).integerValue());
    }
    double engineTime = seconds(t);

    // The engine on the command line's own texts and data copy: the same arithmetic on both
    // sides, so the difference is the engine's own cost (rewriting, conversion, results).
    native::OpenOptions utf8Path;
    utf8Path.pathIsUtf8 = true;
    native::JetDatabase plain(cliDb, utf8Path);
    t = Clock::now();
    for (const std::string& q : queries) plain.query(native::text::utf8ToCp1252(forCommandLine(q)));
    double engineSameTextTime = seconds(t);

    std::string script = (dir / "queries.sql").string(), output = (dir / "out.txt").string();
    {
      std::ofstream s(script);
      s << "PRAGMA cache_size=-65536;\n";
      for (const std::string& q : queries) s << forCommandLine(q) << ";\n";
    }
    std::string command = std::string(SQLITE3_CLI) + " " + cliDb + " < " + script + " > " + output;
    t = Clock::now();
    int rc = std::system(command.c_str());
    double cliTime = seconds(t);
    if (rc != 0) throw std::runtime_error("the sqlite3 command line failed: " + command);

    // The two sides must have counted the same rows, except where NOCASE cannot fold an accented
    // capital ("SÃO PAULO") that the engine's collation matches.
    std::ifstream in(output);
    std::string line;
    size_t agree = 0, n = 0, varianceAgree = 0;
    while (std::getline(in, line) && n < queries.size()) {
      size_t bar = line.find('|');
      if (bar == std::string::npos) continue;
      double v = std::atof(line.substr(0, bar).c_str());
      int64_t c = std::atoll(line.substr(bar + 1).c_str());
      if (c == engineCounts[n]) {
        ++agree;
        if (std::fabs(v - engineVariances[n]) <= 1e-6 * std::max(1.0, std::fabs(v))) ++varianceAgree;
      }
      ++n;
    }
    std::printf("%zu strata aggregate queries on %d rows:\n", queries.size(), rows);
    std::printf("  engine (Jet SQL, JETTEXT collation, varp):      %8.1f ms  (%.2f ms per query)\n", engineTime * 1000,
                engineTime * 1000 / static_cast<double>(queries.size()));
    std::printf("  sqlite3 command line (NOCASE, avg-based varp):  %8.1f ms  (%.2f ms per query)\n", cliTime * 1000,
                cliTime * 1000 / static_cast<double>(queries.size()));
    std::printf("  engine on the command line's texts and copy:    %8.1f ms  (%.2f ms per query)\n",
                engineSameTextTime * 1000, engineSameTextTime * 1000 / static_cast<double>(queries.size()));
    std::printf("  engine / command line: %.2fx (same texts: %.2fx)\n", engineTime / cliTime, engineSameTextTime / cliTime);
    std::printf("  counts equal in %zu of %zu queries (variances equal in %zu of those)\n", agree, n, varianceAgree);
    std::filesystem::remove_all(dir);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_native: %s\n", e.what());
    return 1;
  }
  return 0;
}
