#pragma once
// cxSpinEdit: the component set's spin editor.
//
// Present behaviour: an edit holding a number; Value is a variant (an integer when the text is
// a whole number, a double when it has decimals, 0 when the text is empty or no number) and
// writing Value shows its text. Not yet: the spin buttons with their auto-repeat, the min and
// max range, the increment keys and the editor framework's properties object.
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/Variants.h"

class TcxCustomSpinEdit : public TEdit {
  RTL_DECLARE_CLASS(TcxCustomSpinEdit, TEdit)
public:
  explicit TcxCustomSpinEdit(TComponent* AOwner);
  Variant Value() const;
  void SetValue(const Variant& AValue);
};

class TcxSpinEdit : public TcxCustomSpinEdit {
  RTL_DECLARE_CLASS(TcxSpinEdit, TcxCustomSpinEdit)
public:
  explicit TcxSpinEdit(TComponent* AOwner) : TcxCustomSpinEdit(AOwner) {}
};
