#include "TestLayers.h"

void InitializeTestUnits() { InitializeUnits({&RtlUnits()}); }
