#include "cx/editors/cxMemo.h"

RTL_IMPLEMENT_CLASS(TcxCustomMemo)
RTL_IMPLEMENT_CLASS(TcxMemo)
