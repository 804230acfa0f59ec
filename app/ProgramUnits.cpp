#include "app/ProgramUnits.h"

#include "app/UPrincipal.h"
#include "cx/CxUnits.h"
#include "dx/DxUnits.h"
#include "lib/LibUnits.h"
#include "platform/data/DataUnits.h"
#include "platform/gui/GuiUnits.h"

namespace {
const TUnitList& appUnits() {
  static const TUnitList units = {{"UPrincipal", UPrincipalUnit::Initialize, UPrincipalUnit::Finalize}};
  return units;
}
}  // namespace

void InitializeProgramUnits() {
  InitializeUnits({&RtlUnits(), &GuiUnits(), &DataUnits(), &LibUnits(), &CxUnits(), &DxUnits(), &appUnits()});
}
