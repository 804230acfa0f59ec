// bench_strata: the strata run of the real main window, timed, with the SQL it issues counted
// and then replayed through the sqlite3 command line and through the engine alone.
//
// Run it from the build folder in the Wine environment tools/run.sh uses, on a private X
// display (one command line):
//
//   cd build; export WINEPREFIX=$PWD/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
//   WINELOADER=/usr/lib/wine/wine64 xvfb-run -a -s "-screen 0 1280x1024x24" bench/bench_strata.exe [options]
//
// (with WINEPREFIX set, tools/wine-run bench/bench_strata.exe [options] does the same; the
// prefix must exist: tools/make-prefix creates it.) With the defaults it takes about a quarter
// of an hour. Lines "X connection to :99 broken" at the end come from Wine's desktop process
// when xvfb-run closes the display. On a virtual machine, run it on one CPU (put
// "taskset -c 3" before bench/bench_strata.exe): otherwise the runs, though not the replays
// after them, now and then take half as long again as the others. Like the program, the
// window keeps its settings in Prj_Movandi.ini beside the executable; the benchmark sets
// every option it relies on itself.
//
//   --case amostra|nwind|all   which database (all)
//   --runs N                   runs of "Gerar Estrato" per case (3)
//   --replays N                runs of the command line and of each engine replay (5)
//   --tipo N                   allocation type, the item index of "Tipo" (0, "Uniforme")
//   --keep                     keep the temporary folder (copies, query lists) and name it
//
// For each case the program creates the main window, names the database and the table,
// presses "Abrir", checks the target and the attributes, sets the options and presses
// "Gerar Estrato" several times, timing each run (wall clock, and this process's CPU time in
// user mode and in the kernel) and, right after each, the engine alone on the first run's
// statement list: the ratio of each pair is the run's cost around the engine under the same
// machine state. The engine's statement observer counts the
// statements each run issues and keeps the first run's list. That list is then run
//   - by the sqlite3 command line (a fresh process per run, output thrown away) on a SQLite copy
//     of the table whose text columns collate NOCASE, with the engine's SQLite texts changed
//     only where the command line lacks the engine's collation and varp (commandLineText);
//   - by the engine on the program's own texts and database, without the window;
//   - by the engine on the command line's texts and copy, which compares like with like.
//
// Options of the runs: the window's own defaults (no categories for continuous attributes,
// 20 categories, level limit 6, no minimum of cases, no extra condition, no mandatory field)
// except the allocation type: the window selects none, and without one every candidate query
// is invalid SQL, so the benchmark picks one.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/ProgramUnits.h"
#include "app/UPrincipal.h"
#include "bench/bench_strata_host.h"
#include "platform/native/JetEngine.h"
#include "platform/native/JetText.h"

namespace {

struct Options {
  std::string only = "all";
  int runs = 3;
  int replays = 5;
  Integer tipo = 0;
  bool keep = false;
};

struct Case {
  std::string name;
  std::string path;  // host path
  std::string table;
  std::string target;
  std::vector<std::string> attributes;
};

std::vector<Case> cases() {
  return {
      // Every column but the target, the row number (id) and the visit's date and time: both
      // have about one value per row and no meaning as strata.
      {"amostra", SAMPLE_DATABASE, "domicilios", "renda",
       {"regiao", "estado", "zona", "moradores", "comodos", "area", "internet"}},
      {"nwind", std::string(TEST_DATA_DIR) + "/nwind.mdb", "orders", "Freight",
       {"ShipCountry", "ShipVia", "EmployeeID", "ShipCity", "CustomerID"}},
  };
}

// Counts the statements of a run and keeps the texts of the first one.
class StatementLog : public native::StatementObserver {
 public:
  void statementPrepared(const std::string& jetSql, const std::string& sqliteSql) override {
    ++count;
    if (!collect) return;
    try {
      jet.push_back(jetSql);
      sqlite.push_back(sqliteSql);
    } catch (...) {
      collect = false;  // out of memory: the count goes on, the list is incomplete
    }
  }
  size_t count = 0;
  bool collect = false;
  std::vector<std::string> jet, sqlite;
};

class Installed {
 public:
  explicit Installed(native::StatementObserver* o) : previous_(native::setStatementObserver(o)) {}
  ~Installed() { native::setStatementObserver(previous_); }
  Installed(const Installed&) = delete;
  Installed& operator=(const Installed&) = delete;

 private:
  native::StatementObserver* previous_;
};

struct Timings {
  std::vector<double> values;
  std::vector<strata_bench::CpuTimes> cpu;  // beside values, where measured
  double median() const {
    std::vector<double> v = values;
    std::sort(v.begin(), v.end());
    if (v.empty()) return 0;
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
  }
  double best() const { return values.empty() ? 0 : *std::min_element(values.begin(), values.end()); }
};

struct Result {
  std::string name;
  int64_t rows = 0;
  size_t queries = 0;
  Integer nodes = 0, strata = 0;
  size_t boxes = 0;
  Timings run, engineJet, engineCli, cli;
  // The engine on the first run's list right after each run, and each run's time over it.
  Timings engineBeside;
  std::vector<double> runOverEngine;
};

std::vector<std::string> shownBoxes;

// The program's cp1252 text for the terminal.
std::string utf8(const std::string& cp1252) { return native::text::cp1252ToUtf8(cp1252); }

void pump(DWORD Milliseconds) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < Milliseconds) {
    Application->ProcessMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// The drive-letter name of a host path (drive Z: is the root of the file system).
std::string windowsPath(const std::string& hostPath) {
  std::string p = "Z:" + hostPath;
  std::replace(p.begin(), p.end(), '/', '\\');
  return p;
}

void checkOnly(TCheckListBox* List, const std::vector<std::string>& Names) {
  for (Integer i = 0; i < List->Items()->Count(); ++i) List->SetChecked(i, false);
  for (const std::string& name : Names) {
    Integer i = List->Items()->IndexOf(name);
    if (i < 0) throw std::runtime_error("the window does not list the field " + name);
    List->SetChecked(i, true);
  }
}

std::string join(const std::vector<std::string>& v) {
  std::string s;
  for (const std::string& x : v) s += (s.empty() ? "" : ", ") + x;
  return s;
}

// Runs "Gerar Estrato" in the real window; fills the run figures and the statement list.
void runWindow(const Case& c, const Options& o, Result& result, StatementLog& statements) {
  TFrmPrincipal* form = New<TFrmPrincipal>(nullptr);
  struct FreeForm {
    TFrmPrincipal* f;
    ~FreeForm() { f->Free(); }
  } freeForm{form};
  form->Show();
  pump(100);

  form->EdArquivo->SetFileName(windowsPath(c.path));
  form->edTabela->SetText(c.table);
  double t = strata_bench::nowSeconds();
  form->BtnAbrirBanco->Click();
  double openTime = strata_bench::nowSeconds() - t;
  if (!form->Tabela->Active() || !form->BtnGerarEstrato->Enabled())
    throw std::runtime_error("Abrir did not open the table" +
                             (shownBoxes.empty() ? std::string() : ": " + utf8(shownBoxes.back())));
  std::printf("  Abrir: %.0f ms\n", openTime * 1000);

  checkOnly(form->CamposDependentes, {c.target});
  checkOnly(form->CamposIndependentes, c.attributes);
  checkOnly(form->CamposObrigatorios, {});
  form->clausula->SetText("");
  form->ckCategoria->SetChecked(false);
  form->ckCategoriaClick(form->ckCategoria);
  form->cxCatValoresContinuos->SetValue(Variant(20));
  form->cxNiveis->SetValue(Variant(6));
  form->cxQtdeMinCasos->SetValue(Variant(0));
  form->GrTipo->SetItemIndex(o.tipo);
  // The items of "Tipo", written in UTF-8 for the terminal.
  static const char* const types[] = {"Uniforme", "Proporcional", "\xC3\x93tima", "GRD"};
  std::printf("  target %s; attributes %s; type %d (%s); categories %s; levels %d; minimum cases %d\n", c.target.c_str(),
              join(c.attributes).c_str(), o.tipo, o.tipo >= 0 && o.tipo < 4 ? types[o.tipo] : "none",
              form->ckCategoria->Checked() ? "on" : "off", static_cast<int>(static_cast<double>(form->cxNiveis->Value())),
              static_cast<int>(static_cast<double>(form->cxQtdeMinCasos->Value())));
  pump(50);

  Installed installed(&statements);
  for (int run = 0; run < o.runs; ++run) {
    size_t boxesBefore = shownBoxes.size();
    statements.count = 0;
    statements.collect = run == 0;
    strata_bench::CpuTimes cpuStart = strata_bench::cpuTimes();
    double start = strata_bench::nowSeconds();
    form->BtnGerarEstrato->Click();
    double elapsed = strata_bench::nowSeconds() - start;
    strata_bench::CpuTimes cpuEnd = strata_bench::cpuTimes();
    result.run.values.push_back(elapsed);
    result.run.cpu.push_back({cpuEnd.user - cpuStart.user, cpuEnd.system - cpuStart.system});
    Integer nodes = form->tvArvore->Items()->Count();
    Integer strata = form->Mestrato->Lines()->Count();
    std::printf("  run %d: %8.3f s (CPU user %.3f s, system %.3f s), %zu statements, %d nodes, %d strata, %d log lines, "
                "%zu message boxes\n",
                run + 1, elapsed, result.run.cpu.back().user, result.run.cpu.back().system, statements.count, nodes,
                strata, form->mm1->Lines()->Count(), shownBoxes.size() - boxesBefore);
    std::fflush(stdout);
    if (run == 0) {
      result.queries = statements.count;
      result.nodes = nodes;
      result.strata = strata;
      result.boxes = shownBoxes.size() - boxesBefore;
    } else if (statements.count != result.queries || nodes != result.nodes || strata != result.strata) {
      std::printf("  (this run differs from the first)\n");
    }
    // The engine alone on the first run's list, right after the run: the machine's state (its
    // load, its caches) is the run's, which replays taken apart from the runs do not show.
    {
      native::StatementObserver* observer = native::setStatementObserver(nullptr);
      int32_t failures = 0;
      strata_bench::CpuTimes cpu;
      double engine = strata_bench::runEngine(c.path, statements.jet, false, failures, &cpu);
      native::setStatementObserver(observer);
      result.engineBeside.values.push_back(engine);
      result.engineBeside.cpu.push_back(cpu);
      result.runOverEngine.push_back(elapsed / engine);
      std::printf("         engine alone right after: %.3f s (CPU user %.3f s), run / engine %.2fx\n", engine, cpu.user,
                  elapsed / engine);
    }
    pump(20);
  }
}

Result benchCase(const Case& c, const Options& o, const std::string& folder) {
  Result result;
  result.name = c.name;
  std::printf("\n== %s: %s, table %s\n", c.name.c_str(), c.path.c_str(), c.table.c_str());
  std::fflush(stdout);
  StatementLog statements;
  runWindow(c, o, result, statements);
  if (statements.jet.size() != result.queries) throw std::runtime_error("the statement list is incomplete");

  // The command line's copy and script.
  const std::string copy = folder + "/" + c.name + "-nocase.db";
  result.rows = strata_bench::copyTableForCommandLine(c.path, c.table, copy);
  std::vector<std::string> cliTexts;
  std::string script = "PRAGMA cache_size=-65536;\n";  // the engine's page cache
  std::string jetList;
  // The query object hands the engine its text with a line end: dropped in the files only.
  auto trimmed = [](std::string s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
  };
  for (size_t i = 0; i < statements.sqlite.size(); ++i) {
    cliTexts.push_back(strata_bench::commandLineText(statements.sqlite[i]));
    script += trimmed(cliTexts.back()) + ";\n";
    jetList += trimmed(statements.jet[i]) + "\n";
  }
  const std::string scriptFile = folder + "/" + c.name + "-queries.sql";
  strata_bench::writeFile(scriptFile, script);
  strata_bench::writeFile(folder + "/" + c.name + "-jet.txt", jetList);
  std::printf("  %lld rows copied for the command line; %zu statements in %s\n", static_cast<long long>(result.rows),
              cliTexts.size(), scriptFile.c_str());

  int32_t jetFailures = 0, cliFailures = 0;
  for (int r = 0; r < o.replays; ++r) {
    result.cli.values.push_back(strata_bench::runCommandLine(SQLITE3_CLI, copy, scriptFile));
    strata_bench::CpuTimes cpu;
    result.engineJet.values.push_back(strata_bench::runEngine(c.path, statements.jet, false, jetFailures, &cpu));
    result.engineJet.cpu.push_back(cpu);
    result.engineCli.values.push_back(strata_bench::runEngine(copy, cliTexts, true, cliFailures));
  }
  std::printf("  sqlite3 command line:            median %8.3f s, best %8.3f s\n", result.cli.median(), result.cli.best());
  std::printf("  engine, program's texts and db:  median %8.3f s, best %8.3f s (%d failed)\n", result.engineJet.median(),
              result.engineJet.best(), jetFailures);
  std::printf("    each (wall / CPU user, s):");
  for (size_t i = 0; i < result.engineJet.values.size(); ++i)
    std::printf(" %.3f / %.3f", result.engineJet.values[i], result.engineJet.cpu[i].user);
  std::printf("\n");
  std::printf("  engine, command line's texts:    median %8.3f s, best %8.3f s (%d failed)\n", result.engineCli.median(),
              result.engineCli.best(), cliFailures);
  std::fflush(stdout);
  return result;
}

bool parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw std::runtime_error(a + " needs a value");
      return argv[++i];
    };
    if (a == "--case") o.only = value();
    else if (a == "--runs") o.runs = std::max(1, std::atoi(value().c_str()));
    else if (a == "--replays") o.replays = std::max(1, std::atoi(value().c_str()));
    else if (a == "--tipo") o.tipo = std::atoi(value().c_str());
    else if (a == "--keep") o.keep = true;
    else return false;
  }
  return o.only == "all" || o.only == "amostra" || o.only == "nwind";
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  try {
    if (!parse(argc, argv, o)) {
      std::fprintf(stderr, "usage: bench_strata [--case amostra|nwind|all] [--runs N] [--replays N] [--tipo N] [--keep]\n");
      return 2;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_strata: %s\n", e.what());
    return 2;
  }

  InitializeProgramUnits();
  Application->Initialize();
  // A box would wait for a click nobody gives: each is recorded and counted instead.
  setMessageBoxHook([](const std::string& Text, const std::string&, Integer) {
    shownBoxes.push_back(Text);
    return static_cast<Integer>(IDOK);
  });

  int status = 0;
  std::string folder;
  std::vector<Result> results;
  try {
    folder = strata_bench::makeTempFolder("bench-strata");
    for (const Case& c : cases())
      if (o.only == "all" || o.only == c.name) results.push_back(benchCase(c, o, folder));
  } catch (const Exception& e) {
    std::fprintf(stderr, "bench_strata: %s\n", utf8(e.Message()).c_str());
    status = 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_strata: %s\n", utf8(e.what()).c_str());
    status = 1;
  }
  if (!shownBoxes.empty())
    std::printf("\n%zu message box(es); the first: %s\n", shownBoxes.size(), utf8(shownBoxes.front()).c_str());

  if (!results.empty()) {
    std::printf("\n| case | rows | queries | nodes | strata | run median / best (s) | engine, same list (s) | engine, CLI texts (s) "
                "| sqlite3 CLI (s) | run / CLI | engine / CLI | run / engine right after it |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const Result& r : results) {
      double cli = r.cli.median();
      Timings pairs;
      pairs.values = r.runOverEngine;
      std::printf("| %s | %lld | %zu | %d | %d | %.3f / %.3f | %.3f | %.3f | %.3f | %.1fx | %.2fx | median %.2fx, best %.2fx |\n",
                  r.name.c_str(), static_cast<long long>(r.rows), r.queries, r.nodes, r.strata, r.run.median(),
                  r.run.best(), r.engineJet.median(), r.engineCli.median(), cli, cli > 0 ? r.run.median() / cli : 0.0,
                  cli > 0 ? r.engineJet.median() / cli : 0.0, pairs.median(), pairs.best());
    }
    std::printf("(engine and CLI: medians of %d replays of the first run's statement list; the last column pairs each run "
                "with the engine's replay made right after it)\n",
                o.replays);
  }
  if (!folder.empty()) {
    if (o.keep)
      std::printf("files kept in %s\n", folder.c_str());
    else
      strata_bench::removeFolder(folder);
  }
  std::fflush(stdout);
  setMessageBoxHook(nullptr);
  FinalizeUnits();
  return status;
}
