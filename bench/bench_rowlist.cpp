// bench_rowlist: the row list's sort and group pass over an unbound controller, against a
// plain std::stable_sort of the same keys.
//
//   cd build; export WINEPREFIX=$PWD/wineprefix WINEDEBUG=-all
//   WINELOADER=/usr/lib/wine/wine64 bench/bench_rowlist.exe [records]
//
// It fills records (100 000 when not given) with a text item (Portuguese words with accents
// and a number, so there are many distinct texts) and an integer item, then times:
//   rowlist   grouping by the text and sorting by the integer descending, in one update
//             bracket, under the locale's case-insensitive collation; then the same with the
//             binary text comparison;
//   stable    std::stable_sort of the record indexes by the same two keys, the text compared
//             with the same collation function (and then bytewise).
// Each figure is the best of three runs. Last, with every row selected, one resort that keeps
// the selection on its records.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "cx/CxUnits.h"
#include "cx/data/cxCustomData.h"
#include "platform/data/DataUnits.h"
#include "platform/gui/GuiUnits.h"
#include "platform/rtl/Scoped.h"
#include "platform/rtl/Startup.h"
#include "platform/rtl/SysUtils.h"

namespace {

class BenchItem : public TObject {
  RTL_DECLARE_CLASS(BenchItem, TObject)
public:
  BenchItem() = default;
};
RTL_IMPLEMENT_CLASS(BenchItem)

class BenchController : public TcxCustomDataController {
  RTL_DECLARE_CLASS(BenchController, TcxCustomDataController)
public:
  explicit BenchController(TComponent* AOwner) : TcxCustomDataController(AOwner) {}
  TObject* GetItem(Integer AItemIndex) override { return Items.at(static_cast<size_t>(AItemIndex)).get(); }
  Integer Add(TcxValueTypeClass AType) {
    Items.emplace_back(New<BenchItem>());
    AddItem(Items.back().get());
    Integer index = static_cast<Integer>(Items.size()) - 1;
    SetItemValueTypeClass(index, AType);
    return index;
  }
  std::vector<TObjectPtr<BenchItem>> Items;
};
RTL_IMPLEMENT_CLASS(BenchController)

const char* const kWords[] = {"ação", "acaso", "avião", "Ávila", "bala", "éter", "Évora", "Zé", "zebra", "órgão",
                              "Ônibus", "maçã", "Maçaranduba", "coração", "cão"};

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  Integer count = argc > 1 ? std::atoi(argv[1]) : 100000;
  InitializeUnits({&RtlUnits(), &GuiUnits(), &DataUnits(), &CxUnits()});
  int rc = 0;
  try {
    TObjectPtr<TComponent> owner(New<TComponent>(nullptr));
    TObjectPtr<BenchController> dc(New<BenchController>(owner.get()));
    Integer text = dc->Add(TcxStringValueType::Instance());
    Integer number = dc->Add(TcxIntegerValueType::Instance());
    std::vector<std::string> texts(static_cast<size_t>(count));
    std::vector<Integer> numbers(static_cast<size_t>(count));
    {
      UpdateLock<TcxCustomDataController> lock(dc.get());
      dc->SetRecordCount(count);
      unsigned seed = 12345;
      for (Integer r = 0; r < count; ++r) {
        seed = seed * 1103515245u + 12345u;
        std::string s = std::string(kWords[(seed >> 16) % 15]) + " " + IntToStr((seed >> 8) % 200);
        texts[static_cast<size_t>(r)] = s;
        numbers[static_cast<size_t>(r)] = static_cast<Integer>((seed >> 4) % 1000);
        dc->SetValue(r, text, s);
        dc->SetValue(r, number, numbers[static_cast<size_t>(r)]);
      }
    }
    for (bool collation : {true, false}) {
      TcxDataControllerOptions options = dc->Options() - TcxDataControllerOptions{dcoAnsiSort, dcoCaseInsensitive};
      if (collation) options = options + TcxDataControllerOptions{dcoAnsiSort, dcoCaseInsensitive};
      dc->SetOptions(options);
      double best = 1e9;
      Integer groups = 0;
      for (int run = 0; run < 3; ++run) {
        {
          UpdateLock<TcxCustomDataController> lock(dc.get());
          dc->Groups()->ChangeGroupIndex(text, -1);
          dc->ChangeSortOrder(number, soNone);
        }
        auto start = std::chrono::steady_clock::now();
        {
          UpdateLock<TcxCustomDataController> lock(dc.get());
          dc->Groups()->ChangeGroupIndex(text, 0);
          dc->ChangeSortOrder(number, soDescending);
        }
        best = std::min(best, seconds(std::chrono::steady_clock::now() - start));
        groups = dc->GetRowCount();
      }
      double bestStable = 1e9;
      for (int run = 0; run < 3; ++run) {
        std::vector<Integer> order(static_cast<size_t>(count));
        for (Integer r = 0; r < count; ++r) order[static_cast<size_t>(r)] = r;
        auto start = std::chrono::steady_clock::now();
        std::stable_sort(order.begin(), order.end(), [&](Integer a, Integer b) {
          const std::string& ta = texts[static_cast<size_t>(a)];
          const std::string& tb = texts[static_cast<size_t>(b)];
          int c = collation ? AnsiCompareText(ta, tb) : ta.compare(tb);
          if (c != 0) return c < 0;
          return numbers[static_cast<size_t>(a)] > numbers[static_cast<size_t>(b)];
        });
        bestStable = std::min(bestStable, seconds(std::chrono::steady_clock::now() - start));
      }
      std::printf("%d records, %s text: row list sort+group %.3f s (%d groups); std::stable_sort %.3f s\n",
                  static_cast<int>(count), collation ? "collated" : "binary", best, static_cast<int>(groups),
                  bestStable);
    }
    // A resort that keeps a selection of every row on its records.
    {
      UpdateLock<TcxCustomDataController> lock(dc.get());
      dc->Groups()->ChangeGroupIndex(text, -1);
      dc->SetMultiSelect(true);
    }
    dc->SelectAll();
    auto start = std::chrono::steady_clock::now();
    dc->ChangeSortOrder(number, soAscending);
    std::printf("resort keeping %d selected rows: %.3f s\n", static_cast<int>(dc->GetSelectedCount()),
                seconds(std::chrono::steady_clock::now() - start));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_rowlist: %s\n", e.what());
    rc = 1;
  }
  FinalizeUnits();
  return rc;
}
