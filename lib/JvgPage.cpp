#include "lib/JvgPage.h"

RTL_IMPLEMENT_CLASS(TJvgPageControl)
