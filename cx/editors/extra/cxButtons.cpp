#include "cx/editors/extra/cxButtons.h"

RTL_IMPLEMENT_CLASS(TcxCustomButton)
RTL_IMPLEMENT_CLASS(TcxButton)
