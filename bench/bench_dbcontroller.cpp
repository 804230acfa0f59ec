// bench_dbcontroller: loading a large SQLite table into the data-set data controller, against
// the engine reading the same rows and the data set holding them.
//
//   cd build; export WINEPREFIX=$PWD/wineprefix WINEDEBUG=-all
//   WINELOADER=/usr/lib/wine/wine64 bench/bench_dbcontroller.exe engine|dataset|controller|view [rows] [file]
//   WINELOADER=/usr/lib/wine/wine64 bench/bench_dbcontroller.exe statements [count]
//
// It writes the project's sample survey table with rows rows (100 000 when not given) to file
// (/tmp/bench-memory-<rows>.db when not given) unless the file is there, then reads the whole
// table once, in this process:
//   engine      through the database engine alone (one query, every row in memory);
//   dataset     through an ADO connection and query opened on the table;
//   controller  the same query, with a data-set controller keyed on "id" showing one item
//               per field linked to it before it opens: the open reads every record into the
//               controller. Then the controller reads the records again by itself (a
//               structure update) and a focus change locates the data set by key;
//   view        the same query shown by a data-set table view on a grid in a shown form, with one
//               column per field made after the open, as the main window does: the open, making
//               the columns, building the view data's records and the first paint are timed.
// It prints the times and the resident memory before and after and the process's peak. Run
// each mode in a process of its own: the peak is the process's.
//
// statements is the cost of one query per statement, as the strata run opens them: on
// tests/fixtures/data/nwind.mdb (table orders) through an ADO connection, count (20 000 when
// not given) repetitions of a one-row aggregate statement like the run's and of a constant
// one, each timed
//   engine      through the connection's database engine alone, reading the two values;
//   query       through a new ADO query per statement, as the main window makes them (SQL
//               cleared and added, opened, the two fields read by name, the query freed).
// The two alternate three times per statement; it prints the median microseconds per
// statement of each and the query's cost over the engine's.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_memory_host.h"
#include "cx/CxUnits.h"
#include "cx/data/cxDBData.h"
#include "cx/grid/cxGrid.h"
#include "cx/grid/cxGridDBTableView.h"
#include "cx/grid/cxGridLevel.h"
#include "platform/data/ADODB.h"
#include "platform/data/DataUnits.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiUnits.h"
#include "platform/native/SampleData.h"
#include "platform/rtl/Scoped.h"
#include "platform/rtl/Startup.h"

namespace {

class BenchColumn : public TObject {
  RTL_DECLARE_CLASS(BenchColumn, TObject)
public:
  BenchColumn() = default;
};
RTL_IMPLEMENT_CLASS(BenchColumn)

class BenchController : public TcxDBDataController {
  RTL_DECLARE_CLASS(BenchController, TcxDBDataController)
public:
  explicit BenchController(TComponent* AOwner) : TcxDBDataController(AOwner) {}
  TObject* GetItem(Integer AItemIndex) override { return Items.at(static_cast<size_t>(AItemIndex)).get(); }
  void AddColumn(const std::string& AFieldName) {
    Items.emplace_back(New<BenchColumn>());
    AddItem(Items.back().get());
    ChangeFieldName(static_cast<Integer>(Items.size()) - 1, AFieldName);
  }
  std::vector<TObjectPtr<BenchColumn>> Items;
};
RTL_IMPLEMENT_CLASS(BenchController)

// One timing of the statements mode: microseconds per statement over count repetitions.
template <class F>
double microsecondsEach(int count, F statement) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) statement();
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / count;
}

double median3(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

int runStatements(int count) {
  auto connection = std::make_unique<TADOConnection>(nullptr);
  connection->SetLoginPrompt(false);
  connection->SetConnectionString(std::string("Data Source=") + TEST_DATA_DIR + "/nwind.mdb");
  connection->Open();
  native::JetDatabase& db = *connection->Database();
  const char* statements[] = {
      "Select varp(Freight) as variancia, count(Freight) as quantidade from [orders] where (1=1) and ShipVia <= 2",
      "select 1.5 as variancia, 2 as quantidade"};
  // Kept so that the reads are not optimised away, and printed as a check of both paths.
  double engineSum = 0, querySum = 0;
  for (const char* sql : statements) {
    const std::string text = sql;
    auto engine = [&] {
      native::QueryResult r = db.query(text);
      engineSum += r.at(0, 0).toDouble() + static_cast<double>(r.at(0, 1).integerValue());
    };
    auto query = [&] {
      std::unique_ptr<TADOQuery> q(new TADOQuery(nullptr));
      q->SetConnection(connection.get());
      q->SQL()->Clear();
      q->SQL()->Add(text);
      q->Open();
      querySum += q->FieldByName("variancia")->AsFloat() + q->FieldByName("quantidade")->AsInteger();
    };
    // A few of each first: the engine's statement cache and the heap settle.
    microsecondsEach(std::max(1, count / 20), engine);
    microsecondsEach(std::max(1, count / 20), query);
    std::vector<double> engineTimes, queryTimes;
    for (int round = 0; round < 3; ++round) {
      engineTimes.push_back(microsecondsEach(count, engine));
      queryTimes.push_back(microsecondsEach(count, query));
    }
    double e = median3(engineTimes), q = median3(queryTimes);
    std::printf("%s\n  engine %.2f us, query %.2f us per statement (medians of 3 x %d); the query's own %.2f us\n",
                sql, e, q, count, q - e);
  }
  std::printf("checks: engine %.6g, query %.6g\n", engineSum, querySum);
  return engineSum == querySum ? 0 : 1;
}

double mb(int64_t kb) { return static_cast<double>(kb) / 1024.0; }
double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode != "engine" && mode != "dataset" && mode != "controller" &&
      mode != "view" && mode != "statements") {
    std::fprintf(stderr, "usage: %s engine|dataset|controller|view [rows] [file] | statements [count]\n", argv[0]);
    return 2;
  }
  if (mode == "statements") {
    int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20000;
    InitializeUnits({&RtlUnits(), &GuiUnits(), &DataUnits(), &CxUnits()});
    int rc = 0;
    try {
      rc = runStatements(count);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "bench_dbcontroller: %s\n", e.what());
      rc = 1;
    }
    FinalizeUnits();
    return rc;
  }
  int32_t rows = argc > 2 ? std::atoi(argv[2]) : 100000;
  std::string file = argc > 3 ? argv[3] : "/tmp/bench-memory-" + std::to_string(rows) + ".db";
  InitializeUnits({&RtlUnits(), &GuiUnits(), &DataUnits(), &CxUnits()});
  int rc = 0;
  try {
    memory_bench::ensureSampleDatabase(file, rows);
    int64_t before = memory_bench::residentKb();
    auto start = std::chrono::steady_clock::now();
    if (mode == "engine") {
      int64_t read = memory_bench::engineReadAll(file);
      std::printf("engine: %lld rows read in %.3f s\n", static_cast<long long>(read),
                  seconds(std::chrono::steady_clock::now() - start));
    } else {
      auto connection = std::make_unique<TADOConnection>(nullptr);
      connection->SetLoginPrompt(false);
      connection->SetConnectionString("Data Source=" + memory_bench::drivePath(file));
      connection->Open();
      auto query = std::make_unique<TADOQuery>(nullptr);
      query->SetConnection(connection.get());
      query->SQL()->SetText(std::string("select * from ") + native::sample::kTableName);
      auto source = std::make_unique<TDataSource>(nullptr);
      source->SetDataSet(query.get());
      TObjectPtr<BenchController> dc;
      if (mode == "controller") {
        // The items a view makes for every field of the table, as the grid does.
        query->FieldDefs()->Update();
        TStringList names;
        query->FieldDefs()->GetItemNames(&names);
        dc.reset(New<BenchController>(nullptr));
        for (Integer i = 0; i < names.Count(); ++i) dc->AddColumn(names.Strings(i));
        dc->SetKeyFieldNames("id");
        dc->SetDataSource(source.get());
      }
      if (mode == "view") {
        TForm* form = TForm::CreateNew(nullptr);
        ScopeExit freeForm([&] { form->Free(); });
        form->SetBounds(0, 0, 1000, 700);
        auto* grid = New<TcxGrid>(form);
        grid->SetParent(form);
        grid->SetAlign(alClient);
        auto* view = New<TcxGridDBTableView>(form);
        view->SetControl(grid);
        auto* level = New<TcxGridLevel>(form);
        level->SetParentComponent(grid);
        level->SetGridView(view);
        view->DataController()->SetKeyFieldNames("id");
        view->DataController()->SetDataSource(source.get());
        form->Show();
        Application->ProcessMessages();
        start = std::chrono::steady_clock::now();
        query->Open();
        double open = seconds(std::chrono::steady_clock::now() - start);
        start = std::chrono::steady_clock::now();
        view->ClearItems();
        view->DataController()->CreateItemsForAllFields();
        double columns = seconds(std::chrono::steady_clock::now() - start);
        start = std::chrono::steady_clock::now();
        Integer records = view->ViewData()->RecordCount();
        for (Integer i = 0; i < records; ++i) view->ViewData()->Records(i);
        double viewData = seconds(std::chrono::steady_clock::now() - start);
        start = std::chrono::steady_clock::now();
        form->Invalidate();
        UpdateWindow(form->Handle());
        RedrawWindow(grid->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        double paint = seconds(std::chrono::steady_clock::now() - start);
        std::printf("view: open %.3f s, %d columns made in %.3f s, %d view records built in %.3f s, "
                    "first paint %.3f s\n",
                    open, static_cast<int>(view->ItemCount()), columns, static_cast<int>(records), viewData, paint);
      }
      if (mode != "view") {  // the view mode is timed above, with the view
        start = std::chrono::steady_clock::now();
        query->Open();
        double open = seconds(std::chrono::steady_clock::now() - start);
        if (!dc) {
          std::printf("dataset: %d rows opened in %.3f s\n", static_cast<int>(query->RecordCount()), open);
        } else {
          std::printf("controller: %d records (%d items) loaded with the open in %.3f s\n",
                      static_cast<int>(dc->GetRecordCount()), static_cast<int>(dc->GetItemCount()), open);
          int64_t loaded = memory_bench::residentKb();
          start = std::chrono::steady_clock::now();
          dc->UpdateStructure();
          std::printf("controller: the records read again by the controller alone in %.3f s\n",
                      seconds(std::chrono::steady_clock::now() - start));
          start = std::chrono::steady_clock::now();
          dc->ChangeFocusedRowIndex(dc->GetRowCount() / 2);
          std::printf("controller: focusing the middle row located the data set by key in %.3f s (record %d)\n",
                      seconds(std::chrono::steady_clock::now() - start), static_cast<int>(query->RecNo()));
          std::printf("resident with the controller's records %.1f MB\n", mb(loaded));
        }
      }
    }
    int64_t after = memory_bench::residentKb();
    std::printf("%s: resident before %.1f MB, after %.1f MB (%.1f MB for the rows), peak %.1f MB; file %.1f MB\n",
                mode.c_str(), mb(before), mb(after), mb(after - before), mb(memory_bench::peakResidentKb()),
                static_cast<double>(memory_bench::fileSize(file)) / (1024.0 * 1024.0));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_dbcontroller: %s\n", e.what());
    rc = 1;
  }
  FinalizeUnits();
  return rc;
}
