// The strata generator's entry: starts every layer's units, shows the main window until it
// is closed, and ends the units in reverse order.
#include <windows.h>

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

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitializeUnits({&RtlUnits(), &GuiUnits(), &DataUnits(), &LibUnits(), &CxUnits(), &DxUnits(), &appUnits()});
  Application->Initialize();
  TFrmPrincipal* FrmPrincipal = nullptr;
  Application->CreateForm(FrmPrincipal);
  Application->Run();
  FinalizeUnits();
  return 0;
}
