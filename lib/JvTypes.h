#pragma once
// Shared types of the component library: its exception base and the small types its
// controls share.

#include "platform/rtl/System.h"

// The base of the library's own exceptions; it carries a message text only.
RTL_EXCEPTION(EJvException, Exception)
