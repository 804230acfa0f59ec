#pragma once
// cxMemo: the component set's memo editor.
//
// Present behaviour: a native multi-line edit (Lines, Text, ScrollBars, ReadOnly). Not yet:
// the editor framework's properties object, the custom-drawn scroll bars and the
// look-and-feel border.
#include "platform/gui/StdCtrls.h"

class TcxCustomMemo : public TMemo {
  RTL_DECLARE_CLASS(TcxCustomMemo, TMemo)
public:
  explicit TcxCustomMemo(TComponent* AOwner) : TMemo(AOwner) {}
};

class TcxMemo : public TcxCustomMemo {
  RTL_DECLARE_CLASS(TcxMemo, TcxCustomMemo)
public:
  explicit TcxMemo(TComponent* AOwner) : TcxCustomMemo(AOwner) {}
};
