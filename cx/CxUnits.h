#pragma once
// The component set's start-up list (see platform/rtl/Startup.h).
#include "platform/rtl/Startup.h"

// The component set's units with start or end work, in dependency order.
const TUnitList& CxUnits();
