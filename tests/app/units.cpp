#include "TestLayers.h"
#include "app/ProgramUnits.h"

void InitializeTestUnits() { InitializeProgramUnits(); }
