#pragma once
// Each test program defines which layers' units its main starts (see TestMain.cpp).
#include <initializer_list>
#include "platform/rtl/Startup.h"

// Starts the units of the layers this test program links.
void InitializeTestUnits();
