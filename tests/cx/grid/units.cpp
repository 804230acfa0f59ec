#include "TestLayers.h"
#include "cx/CxUnits.h"
#include "platform/data/DataUnits.h"
#include "platform/gui/GuiUnits.h"

void InitializeTestUnits() { InitializeUnits({&RtlUnits(), &GuiUnits(), &DataUnits(), &CxUnits()}); }
