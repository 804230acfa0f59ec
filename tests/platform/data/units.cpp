#include "TestLayers.h"
#include "platform/data/DataUnits.h"

void InitializeTestUnits() { InitializeUnits({&RtlUnits(), &DataUnits()}); }
