#pragma once
// The start-up list: units with start or end work expose Initialize/Finalize (in a
// namespace named after the unit, e.g. SysUtilsUnit::Initialize), and each layer lists
// its units in dependency order. A program's entry (and every test main) initializes the
// layers it links, lowest first; finalization runs in exactly the reverse order.

#include <initializer_list>
#include <vector>

struct TUnitEntry {
  const char* Name;
  void (*Initialize)();  // may be null
  void (*Finalize)();    // may be null
};
using TUnitList = std::vector<TUnitEntry>;

// The runtime library's units, in dependency order.
const TUnitList& RtlUnits();

// Runs Initialize of every unit of the given layers in order. A unit whose Initialize
// raises stops the start: the units already started are finalized, then the exception
// propagates.
void InitializeUnits(std::initializer_list<const TUnitList*> layers);
// Runs Finalize of every started unit in reverse order (idempotent).
void FinalizeUnits();
// Whether the unit named has been initialized (for diagnostics and tests).
bool UnitInitialized(const char* name);
