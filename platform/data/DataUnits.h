#pragma once
// The data library's start-up list (see platform/rtl/Startup.h).
#include "platform/rtl/Startup.h"

// The data library's units with start or end work, in dependency order: the FMTBcd and SQL
// time-stamp variant kinds, then the field and data-source classes registered by name (so
// stored form descriptions can name them), then the ADO classes.
const TUnitList& DataUnits();
