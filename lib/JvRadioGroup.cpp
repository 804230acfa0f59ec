#include "lib/JvRadioGroup.h"

RTL_IMPLEMENT_CLASS(TJvRadioGroup)
