#include "TestLayers.h"
#include "platform/gui/GuiUnits.h"

void InitializeTestUnits() { InitializeUnits({&RtlUnits(), &GuiUnits()}); }
