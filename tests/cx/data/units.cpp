#include "TestLayers.h"
#include "cx/CxUnits.h"
#include "platform/data/DataUnits.h"
#include "platform/gui/GuiUnits.h"

// The value types use the data library's BCD and time-stamp variant kinds.
void InitializeTestUnits() { InitializeUnits({&RtlUnits(), &GuiUnits(), &DataUnits(), &CxUnits()}); }
