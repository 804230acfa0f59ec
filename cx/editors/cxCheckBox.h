#pragma once
// cxCheckBox: the component set's check box editor.
//
// Present behaviour: a native check box (Caption, Checked, Alignment, OnClick). Not yet: the
// editor framework (edit value, null state, data binding) and the painted check glyphs.
#include "platform/gui/StdCtrls.h"

class TcxCustomCheckBox : public TCheckBox {
  RTL_DECLARE_CLASS(TcxCustomCheckBox, TCheckBox)
public:
  explicit TcxCustomCheckBox(TComponent* AOwner) : TCheckBox(AOwner) {}
};

class TcxCheckBox : public TcxCustomCheckBox {
  RTL_DECLARE_CLASS(TcxCheckBox, TcxCustomCheckBox)
public:
  explicit TcxCheckBox(TComponent* AOwner) : TcxCustomCheckBox(AOwner) {}
};
