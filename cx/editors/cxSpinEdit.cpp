#include "cx/editors/cxSpinEdit.h"

#include "platform/gui/GuiPublish.h"
#include "platform/rtl/SysUtils.h"

TcxCustomSpinEdit::TcxCustomSpinEdit(TComponent* AOwner) : TEdit(AOwner) { SetText("0"); }

Variant TcxCustomSpinEdit::Value() const {
  std::string s = Trim(const_cast<TcxCustomSpinEdit*>(this)->Text());
  Integer i = 0;
  if (TryStrToInt(s, i)) return Variant(i);
  TFormatSettings fs = FormatSettings;
  fs.DecimalSeparator = '.';
  Extended d = 0;
  if (TryStrToFloat(s, d, fs)) return Variant(static_cast<double>(d));
  return Variant(0);
}

void TcxCustomSpinEdit::SetValue(const Variant& AValue) { SetText(VarToStr(AValue)); }

RTL_IMPLEMENT_CLASS(TcxCustomSpinEdit)

RTL_BEGIN_CLASS(TcxSpinEdit)
  using T = TcxSpinEdit;
  PUBLISH(Value);
RTL_END_CLASS
