#include "platform/rtl/Startup.h"

#include <cstring>

namespace {
std::vector<TUnitEntry>& started() {
  static std::vector<TUnitEntry> units;
  return units;
}
}  // namespace

void InitializeUnits(std::initializer_list<const TUnitList*> layers) {
  for (const TUnitList* layer : layers) {
    for (const TUnitEntry& unit : *layer) {
      if (UnitInitialized(unit.Name)) continue;
      try {
        if (unit.Initialize) unit.Initialize();
      } catch (...) {
        FinalizeUnits();
        throw;
      }
      started().push_back(unit);
    }
  }
}

void FinalizeUnits() {
  auto& units = started();
  while (!units.empty()) {
    TUnitEntry unit = units.back();
    units.pop_back();
    if (unit.Finalize) unit.Finalize();
  }
}

bool UnitInitialized(const char* name) {
  for (const TUnitEntry& unit : started())
    if (std::strcmp(unit.Name, name) == 0) return true;
  return false;
}
