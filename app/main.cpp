// The strata generator's entry: starts every layer's units, shows the main window until it
// is closed, and ends the units in reverse order.
#include <windows.h>

#include "app/ProgramUnits.h"
#include "app/UPrincipal.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitializeProgramUnits();
  Application->Initialize();
  TFrmPrincipal* FrmPrincipal = nullptr;
  Application->CreateForm(FrmPrincipal);
  Application->Run();
  FinalizeUnits();
  return 0;
}
