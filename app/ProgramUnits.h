// Every unit the strata generator runs on, from the runtime up to the main window, in the
// order they start. The program, its tests and its benchmark start the same list.
#pragma once

#include "platform/rtl/Startup.h"

// Starts the units; FinalizeUnits ends them in reverse order.
void InitializeProgramUnits();
