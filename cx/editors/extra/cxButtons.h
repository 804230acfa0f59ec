#pragma once
// cxButtons: the component set's push button.
//
// Present behaviour: a native push button (Caption, Hint, Enabled, OnClick with the button as
// Sender; a disabled button fires nothing). Not yet: the look-and-feel painting, drop-down
// kinds, glyphs and colour schemes of the full button; they grow here, over the same class.
#include "platform/gui/StdCtrls.h"

class TcxCustomButton : public TButton {
  RTL_DECLARE_CLASS(TcxCustomButton, TButton)
public:
  explicit TcxCustomButton(TComponent* AOwner) : TButton(AOwner) {}
};

class TcxButton : public TcxCustomButton {
  RTL_DECLARE_CLASS(TcxButton, TcxCustomButton)
public:
  explicit TcxButton(TComponent* AOwner) : TcxCustomButton(AOwner) {}
};
