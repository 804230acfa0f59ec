#include "cx/editors/cxCheckBox.h"

RTL_IMPLEMENT_CLASS(TcxCustomCheckBox)
RTL_IMPLEMENT_CLASS(TcxCheckBox)
