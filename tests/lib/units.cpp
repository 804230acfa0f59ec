#include "TestLayers.h"
#include "lib/LibUnits.h"
#include "platform/gui/GuiUnits.h"

void InitializeTestUnits() { InitializeUnits({&RtlUnits(), &GuiUnits(), &LibUnits()}); }
