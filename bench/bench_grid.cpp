// bench_grid: the main window's "Dados" page on a large table: the time from "Abrir" to the
// grid's first paint, then Page Down from the first row to the last, timed per page, with the
// full layouts of the grid counted while scrolling.
//
//   cd build; export WINEPREFIX=$PWD/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
//   WINELOADER=/usr/lib/wine/wine64 xvfb-run -a -s "-screen 0 1280x1024x24" bench/bench_grid.exe [rows] [file]
//
// It writes the project's sample survey table with rows rows (100 000 when not given) to file
// (/tmp/bench-memory-<rows>.db when not given) unless the file is there. The window keeps its
// settings in Prj_Movandi.ini beside the executable, as the program does.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/ProgramUnits.h"
#include "app/UPrincipal.h"
#include "bench/bench_memory_host.h"
#include "cx/grid/cxGrid.h"
#include "cx/grid/cxGridCustomView.h"
#include "cx/grid/cxGridDBTableView.h"
#include "platform/gui/Forms.h"
#include "platform/native/SampleData.h"
#include "platform/rtl/Scoped.h"

namespace {

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Counts the grid-wide and view layouts (each one lays the whole view out again).
struct LayoutCounter : public TObject {
  int count = 0;
  void LayoutChanged(TcxCustomGrid*, TcxCustomGridView*) { ++count; }
};

std::vector<std::string> shownBoxes;

}  // namespace

int main(int argc, char** argv) {
  int32_t rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  std::string file = argc > 2 ? argv[2] : "/tmp/bench-memory-" + std::to_string(rows) + ".db";
  InitializeProgramUnits();
  Application->Initialize();
  setMessageBoxHook([](const std::string& Text, const std::string&, Integer) {
    shownBoxes.push_back(Text);
    return static_cast<Integer>(IDOK);
  });
  int status = 0;
  try {
    memory_bench::ensureSampleDatabase(file, rows);
    TFrmPrincipal* form = New<TFrmPrincipal>(nullptr);
    ScopeExit freeForm([&] { form->Free(); });
    form->Show();
    pump();

    form->EdArquivo->SetFileName(memory_bench::drivePath(file));
    form->edTabela->SetText(native::sample::kTableName);
    auto start = std::chrono::steady_clock::now();
    form->BtnAbrirBanco->Click();
    double opened = seconds(std::chrono::steady_clock::now() - start);
    if (!form->Tabela->Active())
      throw std::runtime_error("Abrir did not open the table" +
                               (shownBoxes.empty() ? std::string() : ": " + shownBoxes.back()));
    TcxGridDBTableView* view = form->GradeDBTableView1;
    HWND site = view->Site()->Handle();
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pump();
    double painted = seconds(std::chrono::steady_clock::now() - start);
    Integer records = view->ViewData()->RecordCount();
    std::printf("%d rows, %d columns: Abrir %.3f s, first paint of the grid after %.3f s\n", static_cast<int>(records),
                static_cast<int>(view->ItemCount()), opened, painted);

    if (records < 2) throw std::runtime_error("the table needs two rows or more to page through");
    LayoutCounter layouts;
    form->Grade->OnLayoutChanged = TcxGridLayoutChangedEvent(&layouts, &LayoutCounter::LayoutChanged);
    SetForegroundWindow(form->Handle());
    form->Paginas->SetActivePageIndex(0);
    view->Site()->SetFocus();
    view->Controller()->SetFocusedRecordIndex(0);
    pump();
    if (GetFocus() != site) throw std::runtime_error("the grid did not take the focus");
    layouts.count = 0;
    std::vector<double> pages;
    auto all = std::chrono::steady_clock::now();
    Integer last = -1;
    while (view->Controller()->FocusedRecordIndex() != records - 1) {
      Integer before = view->Controller()->FocusedRecordIndex();
      auto t = std::chrono::steady_clock::now();
      keybd_event(VK_NEXT, 0, 0, 0);
      keybd_event(VK_NEXT, 0, KEYEVENTF_KEYUP, 0);
      pump();
      UpdateWindow(site);
      pages.push_back(seconds(std::chrono::steady_clock::now() - t));
      last = view->Controller()->FocusedRecordIndex();
      if (last == before) throw std::runtime_error("Page Down stopped at row " + std::to_string(last));
    }
    double total = seconds(std::chrono::steady_clock::now() - all);
    pump();
    std::vector<double> sorted = pages;
    std::sort(sorted.begin(), sorted.end());
    std::printf("Page Down from the first row to the last (%d): %zu pages in %.3f s; per page median %.2f ms, "
                "90th %.2f ms, worst %.2f ms; %d full layouts while scrolling; top row %d\n",
                static_cast<int>(last), pages.size(), total, sorted[sorted.size() / 2] * 1000,
                sorted[sorted.size() * 9 / 10] * 1000, sorted.back() * 1000, layouts.count,
                static_cast<int>(view->Controller()->TopRecordIndex()));
    form->Grade->OnLayoutChanged = nullptr;
  } catch (const Exception& e) {
    std::fprintf(stderr, "bench_grid: %s\n", e.Message().c_str());
    status = 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_grid: %s\n", e.what());
    status = 1;
  }
  std::fflush(stdout);
  setMessageBoxHook(nullptr);
  FinalizeUnits();
  return status;
}
