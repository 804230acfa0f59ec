#pragma once
// The component library's start-up list (see platform/rtl/Startup.h).
#include "platform/rtl/Startup.h"

// The library's units with start or end work, in dependency order.
const TUnitList& LibUnits();
