#include "lib/JvComponent.h"

RTL_IMPLEMENT_CLASS(TJvComponent)
RTL_IMPLEMENT_CLASS(TJvGraphicControl)
RTL_IMPLEMENT_CLASS(TJvForm)
