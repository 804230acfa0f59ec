#include "lib/JvComponent.h"

RTL_IMPLEMENT_CLASS(TJvComponent)
