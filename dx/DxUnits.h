#pragma once
// The bar family's start-up list (see platform/rtl/Startup.h).
#include "platform/rtl/Startup.h"

// The bar family's units with start or end work, in dependency order.
const TUnitList& DxUnits();
