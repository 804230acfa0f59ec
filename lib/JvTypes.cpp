#include "lib/JvTypes.h"

RTL_IMPLEMENT_CLASS(EJvException)
