// DB: the field classes.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/data/DB.h"

namespace {

bool isNullish(const Variant& v) { return v.IsNull() || v.IsEmpty(); }

// The class caption shown for values that have no text: "(Memo)", upper case when not null.
std::string classDesc(TFieldType type, bool isNull) {
  std::string s = "(" + FieldTypeName(type) + ")";
  return isNull ? s : AnsiUpperCase(s);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

// =======================================================================================
// TField
// =======================================================================================

RTL_BEGIN_CLASS(TField)
b.Property("Alignment", &TField::Alignment, &TField::SetAlignment).Default(taLeftJustify);
b.Property("CustomConstraint", &TField::CustomConstraint, &TField::SetCustomConstraint);
b.Property("ConstraintErrorMessage", &TField::ConstraintErrorMessage, &TField::SetConstraintErrorMessage);
b.Property("DefaultExpression", &TField::DefaultExpression, &TField::SetDefaultExpression);
b.Property("DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel).Stored(&TField::IsDisplayLabelStored);
b.Property("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth).Stored(&TField::IsDisplayWidthStored);
b.Property("FieldKind", &TField::FieldKind, &TField::SetFieldKind).Default(fkData);
b.Property("FieldName", &TField::FieldName, &TField::SetFieldName);
b.Property("Index", &TField::Index, &TField::SetIndex).Stored(false);
b.Property("KeyFields", &TField::KeyFields, &TField::SetKeyFields);
b.Property("LookupCache", &TField::LookupCache, &TField::SetLookupCache).Default(false);
b.Property("LookupDataSet", &TField::LookupDataSet, &TField::SetLookupDataSet);
b.Property("LookupKeyFields", &TField::LookupKeyFields, &TField::SetLookupKeyFields);
b.Property("LookupResultField", &TField::LookupResultField, &TField::SetLookupResultField);
b.Property("Origin", &TField::Origin, &TField::SetOrigin);
b.Property("ProviderFlags", &TField::ProviderFlags, &TField::SetProviderFlags)
    .Default(TProviderFlags{pfInUpdate, pfInWhere});
b.Property("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly).Default(false);
b.Property("Required", &TField::Required, &TField::SetRequired).Default(false);
b.Property("Visible", &TField::Visible, &TField::SetVisible).Default(true);
b.Property("OnChange", &TField::OnChange, &TField::SetOnChange);
b.Property("OnGetText", &TField::OnGetText, &TField::SetOnGetText);
b.Property("OnSetText", &TField::OnSetText, &TField::SetOnSetText);
b.Property("OnValidate", &TField::OnValidate, &TField::SetOnValidate);
RTL_END_CLASS

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TField::~TField() {
  if (FDataSet && !FDataSet->destroyingFields_) {
    try {
      if (FDataSet->Active()) FDataSet->Close();
    } catch (...) {
      // The field goes whatever the data set's closing says.
    }
    if (FDataSet) FDataSet->fields_->Remove(this);
  }
  FDataSet = nullptr;
}

void TField::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FLookupDataSet) FLookupDataSet = nullptr;
}

TComponent* TField::GetParentComponent() const { return FDataSet; }

void TField::SetParentComponent(TComponent* Value) {
  if (FComponentState.Contains(csLoading) && !Value) return;
  SetDataSet(dynamic_cast<TDataSet*>(Value));
}

void TField::SetDataSet(TDataSet* ADataSet) {
  if (ADataSet == FDataSet) return;
  if (FDataSet) FDataSet->CheckInactive();
  if (ADataSet) {
    ADataSet->CheckInactive();
    ADataSet->fields_->CheckFieldName(FFieldName);
  }
  if (FDataSet) FDataSet->fields_->Remove(this);
  if (ADataSet) ADataSet->fields_->Add(this);
}

void TField::SetFieldName(const std::string& Value) {
  if (Value == FFieldName) return;
  if (FDataSet) {
    FDataSet->CheckInactive();
    TField* other = FDataSet->FindField(Value);
    if (other && other != this) DatabaseErrorFmt(SDuplicateFieldName, {Value}, FDataSet);
  }
  FFieldName = Value;
}

Integer TField::Index() const { return FDataSet ? FDataSet->fields_->IndexOf(this) : -1; }

void TField::SetIndex(Integer Value) {
  if (FDataSet) FDataSet->fields_->SetFieldIndex(this, Value);
}

void TField::SetFieldKind(TFieldKind Value) {
  if (Value == FFieldKind) return;
  if (FDataSet) FDataSet->CheckInactive();
  FFieldKind = Value;
}

namespace {
void layoutChanged(TDataSet* ds) {
  if (ds && ds->Active()) ds->DataEvent(deLayoutChange, 0);
}
}  // namespace

void TField::SetDisplayLabel(const std::string& Value) {
  FDisplayLabel = Value == FFieldName ? std::string() : Value;
  layoutChanged(FDataSet);
}

void TField::SetDisplayWidth(Integer Value) {
  FDisplayWidth = Value;
  layoutChanged(FDataSet);
}

void TField::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  layoutChanged(FDataSet);
}

void TField::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  layoutChanged(FDataSet);
}

void TField::SetSize(Integer Value) {
  if (FDataSet) FDataSet->CheckInactive();
  FSize = Value;
}

void TField::SetLookupDataSet(TDataSet* Value) {
  if (Value == FLookupDataSet) return;
  if (Value && Value == FDataSet) DatabaseError(SCircularDataLink, this);
  if (FLookupDataSet) FLookupDataSet->RemoveFreeNotification(this);
  FLookupDataSet = Value;
  if (Value) Value->FreeNotification(this);
}

bool TField::CanModify() const {
  if (FReadOnly || !FDataSet || FFieldNo <= 0) return false;
  return FDataSet->CanModify();
}

// --- Reading and writing the record.

Variant TField::GetData() const {
  if (FValidating) return *FValidating;
  if (!FDataSet) return Null();
  const Variant* slot = FDataSet->fieldSlot(this);
  if (!slot || slot->IsEmpty()) return Null();
  return *slot;
}

void TField::SetData(const Variant& V) {
  if (!FDataSet) DatabaseErrorFmt("Field '%s' has no dataset", {DisplayName()});
  FDataSet->setFieldValue(this, V);
}

bool TField::IsNull() const { return isNullish(GetData()); }

void TField::Clear() { SetData(Null()); }

Variant TField::OldValue() const { return FDataSet ? FDataSet->oldFieldValue(this) : Null(); }

void TField::SetAsVariant(const Variant& V) {
  if (isNullish(V)) Clear();
  else SetVarValue(V);
}

void TField::AccessError(const std::string& TypeName) const {
  DatabaseErrorFmt(SFieldAccessError, {DisplayName(), TypeName});
}

void TField::RangeError(const std::string& Value, const std::string& Min, const std::string& Max) const {
  DatabaseErrorFmt(SFieldRangeError, {Value, DisplayName(), Min, Max});
}

void TField::CheckReadOnly() const {
  if (FReadOnly) DatabaseErrorFmt(SFieldReadOnly, {DisplayName()});
}

// The conversions a class does not offer.
std::string TField::GetAsString() const { return classDesc(FDataType, GetData().IsNull()); }
void TField::SetAsStringValue(const std::string&) { AccessError("String"); }
Integer TField::GetAsInteger() const { AccessError("Integer"); }
void TField::SetAsIntegerValue(Integer) { AccessError("Integer"); }
Int64 TField::GetAsLargeInt() const { AccessError("LargeInt"); }
void TField::SetAsLargeIntValue(Int64) { AccessError("LargeInt"); }
double TField::GetAsFloat() const { AccessError("Float"); }
void TField::SetAsFloatValue(double) { AccessError("Float"); }
Currency TField::GetAsCurrency() const { return Currency::FromDouble(GetAsFloat()); }
void TField::SetAsCurrencyValue(Currency V) { SetAsFloatValue(V.ToDouble()); }
bool TField::GetAsBoolean() const { AccessError("Boolean"); }
void TField::SetAsBooleanValue(bool) { AccessError("Boolean"); }
TDateTime TField::GetAsDateTime() const { AccessError("DateTime"); }
void TField::SetAsDateTimeValue(TDateTime) { AccessError("DateTime"); }
TBcd TField::GetAsBCD() const { AccessError("BCD"); }
void TField::SetAsBCDValue(const TBcd&) { AccessError("BCD"); }
TSQLTimeStamp TField::GetAsSQLTimeStamp() const { AccessError("SQLTimeStamp"); }
void TField::SetAsSQLTimeStampValue(const TSQLTimeStamp&) { AccessError("SQLTimeStamp"); }
Variant TField::GetAsVariant() const { AccessError("Variant"); }
void TField::SetVarValue(const Variant&) { AccessError("Variant"); }

// --- Text.

void TField::GetText(std::string& Text, bool DisplayText) const { Text = GetAsString(); }
void TField::SetTextValue(const std::string& Value) { SetAsStringValue(Value); }

std::string TField::Text() const {
  std::string s;
  if (FOnGetText.Assigned()) FOnGetText(const_cast<TField*>(this), s, false);
  else GetText(s, false);
  return s;
}

std::string TField::DisplayText() const {
  std::string s;
  if (FOnGetText.Assigned()) FOnGetText(const_cast<TField*>(this), s, true);
  else GetText(s, true);
  return s;
}

void TField::SetText(const std::string& Value) {
  if (FOnSetText.Assigned()) FOnSetText(this, Value);
  else SetTextValue(Value);
}

bool TField::IsValidChar(char) const { return true; }

void TField::FocusControl() {
  if (!FDataSet || !FDataSet->Active()) return;
  TField* field = this;
  FDataSet->DataEvent(deFocusControl, PtrToInt(&field));
}

void TField::Assign(TPersistent* Source) {
  if (!Source) {
    Clear();
    return;
  }
  if (auto* f = dynamic_cast<TField*>(Source)) {
    SetValue(f->Value());
    return;
  }
  TComponent::Assign(Source);
}

// =======================================================================================
// Text fields
// =======================================================================================

RTL_BEGIN_CLASS(TStringField)
b.Property("EditMask", &TStringField::EditMask, &TStringField::SetEditMask);
b.Property("FixedChar", &TStringField::FixedChar, &TStringField::SetFixedChar).Default(false);
b.Property("Size", &TStringField::Size, &TStringField::SetSize).Default(20);
b.Property("Transliterate", &TStringField::Transliterate, &TStringField::SetTransliterate).Default(true);
RTL_END_CLASS

TStringField::TStringField(TComponent* AOwner) : TField(AOwner) {
  SetDataType(ftString);
  TField::SetSize(20);
}

void TStringField::SetFixedChar(bool Value) {
  FFixedChar = Value;
  if (Value && DataType() == ftString) SetDataType(ftFixedChar);
  if (!Value && DataType() == ftFixedChar) SetDataType(ftString);
}

std::string TStringField::GetAsString() const {
  Variant v = GetData();
  if (isNullish(v)) return "";
  std::string s = v.AsString();
  if (FFixedChar) {
    size_t end = s.find_last_not_of(' ');
    s.erase(end == std::string::npos ? 0 : end + 1);
  }
  return s;
}

void TStringField::SetAsStringValue(const std::string& V) {
  std::string s = V;
  if (Size() > 0 && static_cast<Integer>(s.size()) > Size()) s.resize(static_cast<size_t>(Size()));
  SetData(MakeText(s));
}

Integer TStringField::GetAsInteger() const { return IsNull() ? 0 : StrToInt(GetAsString()); }
Int64 TStringField::GetAsLargeInt() const { return IsNull() ? 0 : StrToInt64(GetAsString()); }
double TStringField::GetAsFloat() const { return IsNull() ? 0 : static_cast<double>(StrToFloat(GetAsString())); }
Currency TStringField::GetAsCurrency() const { return IsNull() ? Currency() : StrToCurr(GetAsString()); }
TDateTime TStringField::GetAsDateTime() const { return IsNull() ? 0 : StrToDateTime(GetAsString()); }

bool TStringField::GetAsBoolean() const {
  std::string s = GetAsString();
  return !s.empty() && (s[0] == 'T' || s[0] == 't' || s[0] == 'Y' || s[0] == 'y');
}

Variant TStringField::GetAsVariant() const {
  Variant v = GetData();
  if (isNullish(v)) return Null();
  return MakeText(GetAsString());
}

RTL_IMPLEMENT_CLASS(TWideStringField)

TWideStringField::TWideStringField(TComponent* AOwner) : TStringField(AOwner) { SetDataType(ftWideString); }

RTL_IMPLEMENT_CLASS(TGuidField)

TGuidField::TGuidField(TComponent* AOwner) : TStringField(AOwner) {
  SetDataType(ftGuid);
  TField::SetSize(38);
}

TGUID TGuidField::AsGuid() const {
  std::string s = GetAsString();
  TGUID g = {};
  unsigned long d1 = 0;
  unsigned d2 = 0, d3 = 0, b[8] = {};
  if (std::sscanf(s.c_str(), "{%8lx-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}", &d1, &d2, &d3, &b[0], &b[1], &b[2], &b[3],
                  &b[4], &b[5], &b[6], &b[7]) != 11)
    throw EConvertError("'" + s + "' is not a valid GUID value");
  g.Data1 = static_cast<decltype(g.Data1)>(d1);
  g.Data2 = static_cast<unsigned short>(d2);
  g.Data3 = static_cast<unsigned short>(d3);
  for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<unsigned char>(b[i]);
  return g;
}

void TGuidField::SetAsGuid(const TGUID& Value) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(Value.Data1), Value.Data2, Value.Data3, Value.Data4[0], Value.Data4[1],
                Value.Data4[2], Value.Data4[3], Value.Data4[4], Value.Data4[5], Value.Data4[6], Value.Data4[7]);
  SetAsString(buf);
}

// =======================================================================================
// Numbers
// =======================================================================================

RTL_BEGIN_CLASS(TNumericField)
b.Property("DisplayFormat", &TNumericField::DisplayFormat, &TNumericField::SetDisplayFormat);
b.Property("EditFormat", &TNumericField::EditFormat, &TNumericField::SetEditFormat);
RTL_END_CLASS

TNumericField::TNumericField(TComponent* AOwner) : TField(AOwner) { SetAlignment(taRightJustify); }

void TNumericField::SetDisplayFormat(const std::string& Value) {
  FDisplayFormat = Value;
  layoutChanged(DataSet());
}

void TNumericField::SetEditFormat(const std::string& Value) {
  FEditFormat = Value;
  layoutChanged(DataSet());
}

// --- Integers.

RTL_BEGIN_CLASS(TIntegerField)
b.Property("MaxValue", &TIntegerField::MaxValue, &TIntegerField::SetMaxValue).Default(0);
b.Property("MinValue", &TIntegerField::MinValue, &TIntegerField::SetMinValue).Default(0);
RTL_END_CLASS

TIntegerField::TIntegerField(TComponent* AOwner) : TNumericField(AOwner) { SetDataType(ftInteger); }

bool TIntegerField::IsValidChar(char c) const { return c == '+' || c == '-' || isDigit(c); }

Integer TIntegerField::GetAsInteger() const {
  Variant v = GetData();
  return isNullish(v) ? 0 : v.AsInteger();
}

std::string TIntegerField::GetAsString() const { return IsNull() ? std::string() : IntToStr(GetAsInteger()); }

void TIntegerField::SetAsStringValue(const std::string& V) {
  if (V.empty()) {
    Clear();
    return;
  }
  Integer i = 0;
  if (!TryStrToInt(V, i)) {
    // A number outside 32 bits is a range error, not a bad text.
    Int64 wide = 0;
    if (TryStrToInt64(V, wide)) SetAsLargeIntValue(wide);
    DatabaseErrorFmt(SInvalidIntegerValue, {V, DisplayName()});
  }
  SetAsIntegerValue(i);
}

void TIntegerField::SetAsIntegerValue(Integer V) { SetAsLargeIntValue(V); }

void TIntegerField::SetAsLargeIntValue(Int64 V) {
  Int64 lo = FMinRange, hi = FMaxRange;
  if (FMinValue != 0 || FMaxValue != 0) {
    lo = FMinValue;
    hi = FMaxValue;
  }
  if (V < lo || V > hi) RangeError(IntToStr(V), IntToStr(lo), IntToStr(hi));
  SetData(Variant(static_cast<Integer>(V)));
}

void TIntegerField::SetAsFloatValue(double V) {
  if (std::isnan(V) || V < -9.2e18 || V > 9.2e18) RangeError(FloatToStr(V), IntToStr(FMinRange), IntToStr(FMaxRange));
  SetAsLargeIntValue(Round(V));
}

Variant TIntegerField::GetAsVariant() const {
  Variant v = GetData();
  if (isNullish(v)) return Null();
  return Variant(v.AsInteger());
}

void TIntegerField::GetText(std::string& Text, bool DisplayText) const {
  Variant v = GetData();
  if (isNullish(v)) {
    Text.clear();
    return;
  }
  const std::string& picture = PictureFor(DisplayText);
  Text = picture.empty() ? IntToStr(v.AsInteger()) : FormatFloat(picture, v.AsInteger());
}

RTL_IMPLEMENT_CLASS(TSmallintField)

TSmallintField::TSmallintField(TComponent* AOwner) : TIntegerField(AOwner) {
  SetDataType(ftSmallint);
  FMinRange = -32768;
  FMaxRange = 32767;
}

RTL_IMPLEMENT_CLASS(TWordField)

TWordField::TWordField(TComponent* AOwner) : TIntegerField(AOwner) {
  SetDataType(ftWord);
  FMinRange = 0;
  FMaxRange = 65535;
}

RTL_IMPLEMENT_CLASS(TAutoIncField)

TAutoIncField::TAutoIncField(TComponent* AOwner) : TIntegerField(AOwner) { SetDataType(ftAutoInc); }

RTL_BEGIN_CLASS(TLargeintField)
b.Property("MaxValue", &TLargeintField::MaxValue, &TLargeintField::SetMaxValue).Default(0);
b.Property("MinValue", &TLargeintField::MinValue, &TLargeintField::SetMinValue).Default(0);
RTL_END_CLASS

TLargeintField::TLargeintField(TComponent* AOwner) : TNumericField(AOwner) { SetDataType(ftLargeint); }

bool TLargeintField::IsValidChar(char c) const { return c == '+' || c == '-' || isDigit(c); }

Int64 TLargeintField::GetAsLargeInt() const {
  Variant v = GetData();
  return isNullish(v) ? 0 : v.AsInt64();
}

Integer TLargeintField::GetAsInteger() const { return IsNull() ? 0 : GetAsVariant().AsInteger(); }

std::string TLargeintField::GetAsString() const { return IsNull() ? std::string() : IntToStr(GetAsLargeInt()); }

void TLargeintField::SetAsStringValue(const std::string& V) {
  if (V.empty()) {
    Clear();
    return;
  }
  Int64 i = 0;
  if (!TryStrToInt64(V, i)) DatabaseErrorFmt(SInvalidIntegerValue, {V, DisplayName()});
  SetAsLargeIntValue(i);
}

void TLargeintField::SetAsLargeIntValue(Int64 V) {
  if ((FMinValue != 0 || FMaxValue != 0) && (V < FMinValue || V > FMaxValue))
    RangeError(IntToStr(V), IntToStr(FMinValue), IntToStr(FMaxValue));
  SetData(Variant(static_cast<long long>(V)));
}

void TLargeintField::SetAsFloatValue(double V) {
  if (std::isnan(V) || V < -9.2e18 || V > 9.2e18) RangeError(FloatToStr(V), IntToStr(INT64_MIN), IntToStr(INT64_MAX));
  SetAsLargeIntValue(Round(V));
}

Variant TLargeintField::GetAsVariant() const {
  Variant v = GetData();
  if (isNullish(v)) return Null();
  return Variant(static_cast<long long>(v.AsInt64()));
}

void TLargeintField::GetText(std::string& Text, bool DisplayText) const {
  if (IsNull()) {
    Text.clear();
    return;
  }
  const std::string& picture = PictureFor(DisplayText);
  Text = picture.empty() ? IntToStr(GetAsLargeInt()) : FormatFloat(picture, static_cast<Extended>(GetAsLargeInt()));
}

// --- Floats.

RTL_BEGIN_CLASS(TFloatField)
b.Property("currency", &TFloatField::currency, &TFloatField::Setcurrency).Default(false);
b.Property("MaxValue", &TFloatField::MaxValue, &TFloatField::SetMaxValue);
b.Property("MinValue", &TFloatField::MinValue, &TFloatField::SetMinValue);
b.Property("Precision", &TFloatField::Precision, &TFloatField::SetPrecision).Default(15);
RTL_END_CLASS

TFloatField::TFloatField(TComponent* AOwner) : TNumericField(AOwner) { SetDataType(ftFloat); }

void TFloatField::Setcurrency(bool Value) {
  FCurrency = Value;
  layoutChanged(DataSet());
}

void TFloatField::SetMinValue(double Value) { FMinValue = Value; }
void TFloatField::SetMaxValue(double Value) { FMaxValue = Value; }

void TFloatField::SetPrecision(Integer Value) {
  FPrecision = std::clamp(Value, 2, 15);
  layoutChanged(DataSet());
}

bool TFloatField::IsValidChar(char c) const {
  return c == '+' || c == '-' || isDigit(c) || c == 'E' || c == 'e' || c == DecimalSeparator;
}

double TFloatField::GetAsFloat() const {
  Variant v = GetData();
  return isNullish(v) ? 0 : v.AsDouble();
}

Integer TFloatField::GetAsInteger() const { return IsNull() ? 0 : static_cast<Integer>(Round(GetAsFloat())); }
Int64 TFloatField::GetAsLargeInt() const { return IsNull() ? 0 : Round(GetAsFloat()); }

std::string TFloatField::GetAsString() const { return IsNull() ? std::string() : FloatToStr(GetAsFloat()); }

void TFloatField::SetAsStringValue(const std::string& V) {
  if (V.empty()) {
    Clear();
    return;
  }
  Extended e = 0;
  if (!TryStrToFloat(V, e)) DatabaseErrorFmt(SInvalidFloatValue, {V, DisplayName()});
  SetAsFloatValue(static_cast<double>(e));
}

void TFloatField::SetAsFloatValue(double V) {
  if ((FMinValue != 0 || FMaxValue != 0) && (V < FMinValue || V > FMaxValue))
    RangeError(FloatToStr(V), FloatToStr(FMinValue), FloatToStr(FMaxValue));
  SetData(Variant(V));
}

Variant TFloatField::GetAsVariant() const {
  Variant v = GetData();
  if (isNullish(v)) return Null();
  return Variant(v.AsDouble());
}

void TFloatField::GetText(std::string& Text, bool DisplayText) const {
  if (IsNull()) {
    Text.clear();
    return;
  }
  double f = GetAsFloat();
  const std::string& picture = PictureFor(DisplayText);
  if (!picture.empty()) {
    Text = FormatFloat(picture, f);
  } else if (FCurrency) {
    Text = FloatToStrF(f, DisplayText ? ffCurrency : ffFixed, FPrecision, CurrencyDecimals);
  } else {
    Text = FloatToStrF(f, ffGeneral, FPrecision, 0);
  }
}

RTL_IMPLEMENT_CLASS(TCurrencyField)

TCurrencyField::TCurrencyField(TComponent* AOwner) : TFloatField(AOwner) {
  SetDataType(ftCurrency);
  Setcurrency(true);
}

// --- BCD (Currency).

RTL_BEGIN_CLASS(TBCDField)
b.Property("currency", &TBCDField::currency, &TBCDField::Setcurrency).Default(false);
b.Property("MaxValue", &TBCDField::MaxValue, &TBCDField::SetMaxValue);
b.Property("MinValue", &TBCDField::MinValue, &TBCDField::SetMinValue);
b.Property("Precision", &TBCDField::Precision, &TBCDField::SetPrecision).Default(0);
b.Property("Size", &TBCDField::Size, &TBCDField::SetSize).Default(4);
RTL_END_CLASS

TBCDField::TBCDField(TComponent* AOwner) : TNumericField(AOwner) {
  SetDataType(ftBCD);
  TField::SetSize(4);
}

void TBCDField::Setcurrency(bool Value) {
  FCurrency = Value;
  layoutChanged(DataSet());
}

bool TBCDField::IsValidChar(char c) const {
  return c == '+' || c == '-' || isDigit(c) || c == DecimalSeparator;
}

Currency TBCDField::GetAsCurrency() const {
  Variant v = GetData();
  return isNullish(v) ? Currency() : v.AsCurrency();
}

Integer TBCDField::GetAsInteger() const {
  return IsNull() ? 0 : static_cast<Integer>(Round(GetAsCurrency().ToExtended()));
}
Int64 TBCDField::GetAsLargeInt() const { return IsNull() ? 0 : Round(GetAsCurrency().ToExtended()); }

std::string TBCDField::GetAsString() const { return IsNull() ? std::string() : CurrToStr(GetAsCurrency()); }

void TBCDField::SetAsStringValue(const std::string& V) {
  if (V.empty()) {
    Clear();
    return;
  }
  Currency c;
  if (!TryStrToCurr(V, c)) DatabaseErrorFmt(SInvalidFloatValue, {V, DisplayName()});
  SetAsCurrencyValue(c);
}

void TBCDField::SetAsFloatValue(double V) {
  Currency c;
  if (!TryFloatToCurr(V, c)) RangeError(FloatToStr(V), CurrToStr(FMinValue), CurrToStr(FMaxValue));
  SetAsCurrencyValue(c);
}

void TBCDField::SetAsCurrencyValue(Currency V) {
  if ((FMinValue.Value != 0 || FMaxValue.Value != 0) && (V < FMinValue || V > FMaxValue))
    RangeError(CurrToStr(V), CurrToStr(FMinValue), CurrToStr(FMaxValue));
  // Keep Size decimals (half away from zero), as the column holds them.
  Integer decimals = Size();
  if (decimals >= 0 && decimals < 4) {
    Int64 unit = 1;
    for (Integer i = decimals; i < 4; ++i) unit *= 10;
    Int64 v = V.Value;
    Int64 q = v / unit, r = v % unit;
    if (2 * (r < 0 ? -r : r) >= unit) q += v < 0 ? -1 : 1;
    V = Currency::FromScaled(q * unit);
  }
  SetData(Variant(V));
}

TBcd TBCDField::GetAsBCD() const {
  TBcd b;
  CurrToBCD(GetAsCurrency(), b);
  return b;
}

void TBCDField::SetAsBCDValue(const TBcd& V) {
  Currency c;
  if (!BCDToCurr(V, c)) RangeError(BcdToStr(V), CurrToStr(FMinValue), CurrToStr(FMaxValue));
  SetAsCurrencyValue(c);
}

Variant TBCDField::GetAsVariant() const {
  Variant v = GetData();
  if (isNullish(v)) return Null();
  return Variant(v.AsCurrency());
}

void TBCDField::GetText(std::string& Text, bool DisplayText) const {
  if (IsNull()) {
    Text.clear();
    return;
  }
  Currency c = GetAsCurrency();
  const std::string& picture = PictureFor(DisplayText);
  if (!picture.empty()) Text = FormatCurr(picture, c);
  else if (FCurrency) Text = CurrToStrF(c, DisplayText ? ffCurrency : ffFixed, CurrencyDecimals);
  else Text = CurrToStrF(c, ffGeneral, 0);
}

Integer TBCDField::GetDefaultWidth() const { return FPrecision > 0 ? FPrecision + 2 : 10; }

// --- FMTBcd.

RTL_BEGIN_CLASS(TFMTBCDField)
b.Property("currency", &TFMTBCDField::currency, &TFMTBCDField::Setcurrency).Default(false);
b.Property("MaxValue", &TFMTBCDField::MaxValue, &TFMTBCDField::SetMaxValue);
b.Property("MinValue", &TFMTBCDField::MinValue, &TFMTBCDField::SetMinValue);
b.Property("Precision", &TFMTBCDField::Precision, &TFMTBCDField::SetPrecision).Default(15);
b.Property("Size", &TFMTBCDField::Size, &TFMTBCDField::SetSize).Default(8);
RTL_END_CLASS

TFMTBCDField::TFMTBCDField(TComponent* AOwner) : TNumericField(AOwner) {
  SetDataType(ftFMTBcd);
  TField::SetSize(8);
}

void TFMTBCDField::Setcurrency(bool Value) {
  FCurrency = Value;
  layoutChanged(DataSet());
}

bool TFMTBCDField::IsValidChar(char c) const {
  return c == '+' || c == '-' || isDigit(c) || c == DecimalSeparator;
}

TBcd TFMTBCDField::GetAsBCD() const {
  Variant v = GetData();
  return isNullish(v) ? NullBcd() : VarToBcd(v);
}

void TFMTBCDField::SetAsBCDValue(const TBcd& V) {
  TBcd n;
  Word precision = static_cast<Word>(FPrecision > 0 ? FPrecision : MaxFMTBcdFractionSize);
  if (!NormalizeBcd(V, n, precision, static_cast<Word>(std::max(0, Size()))))
    DatabaseErrorFmt(SFieldValueTooLarge, {DisplayName()});
  if (!FMinValue.empty() && BcdCompare(n, StrToBcd(FMinValue)) < 0) RangeError(BcdToStr(n), FMinValue, FMaxValue);
  if (!FMaxValue.empty() && BcdCompare(n, StrToBcd(FMaxValue)) > 0) RangeError(BcdToStr(n), FMinValue, FMaxValue);
  SetData(VarFMTBcdCreate(n));
}

std::string TFMTBCDField::GetAsString() const { return IsNull() ? std::string() : BcdToStr(GetAsBCD()); }

void TFMTBCDField::SetAsStringValue(const std::string& V) {
  if (V.empty()) {
    Clear();
    return;
  }
  TBcd b;
  if (!TryStrToBcd(V, b)) DatabaseErrorFmt(SInvalidBcdValue, {V, DisplayName()});
  SetAsBCDValue(b);
}

Integer TFMTBCDField::GetAsInteger() const { return IsNull() ? 0 : BcdToInteger(GetAsBCD()); }
Int64 TFMTBCDField::GetAsLargeInt() const { return IsNull() ? 0 : BcdToInt64(GetAsBCD()); }
double TFMTBCDField::GetAsFloat() const { return IsNull() ? 0 : BcdToDouble(GetAsBCD()); }

Currency TFMTBCDField::GetAsCurrency() const {
  if (IsNull()) return Currency();
  Currency c;
  if (!BCDToCurr(GetAsBCD(), c)) AccessError("Currency");
  return c;
}

void TFMTBCDField::SetAsCurrencyValue(Currency V) {
  TBcd b;
  CurrToBCD(V, b);
  SetAsBCDValue(b);
}

Variant TFMTBCDField::GetAsVariant() const {
  Variant v = GetData();
  if (isNullish(v)) return Null();
  return VarFMTBcdCreate(VarToBcd(v));
}

void TFMTBCDField::GetText(std::string& Text, bool DisplayText) const {
  if (IsNull()) {
    Text.clear();
    return;
  }
  TBcd b = GetAsBCD();
  const std::string& picture = PictureFor(DisplayText);
  if (!picture.empty()) Text = FormatFloat(picture, static_cast<Extended>(BcdToDouble(b)));
  else if (FCurrency) Text = BcdToStrF(b, DisplayText ? ffCurrency : ffFixed, FPrecision, CurrencyDecimals);
  else Text = BcdToStrF(b, ffGeneral, FPrecision, 0);
}

// --- Aggregates.

RTL_BEGIN_CLASS(TAggregateField)
b.Property("Active", &TAggregateField::Active, &TAggregateField::SetActive).Default(false);
b.Property("currency", &TAggregateField::currency, &TAggregateField::Setcurrency).Default(false);
b.Property("DisplayFormat", &TAggregateField::DisplayFormat, &TAggregateField::SetDisplayFormat);
b.Property("Expression", &TAggregateField::Expression, &TAggregateField::SetExpression);
b.Property("Precision", &TAggregateField::Precision, &TAggregateField::SetPrecision).Default(15);
RTL_END_CLASS

TAggregateField::TAggregateField(TComponent* AOwner) : TField(AOwner), FValue(Null()) {
  SetFieldKind(fkAggregate);
  SetReadOnly(true);
}

std::string TAggregateField::GetAsString() const { return isNullish(FValue) ? std::string() : VarToStr(FValue); }

void TAggregateField::GetText(std::string& Text, bool DisplayText) const {
  if (isNullish(FValue)) {
    Text.clear();
    return;
  }
  if (VarIsNumeric(FValue) && !FDisplayFormat.empty()) Text = FormatFloat(FDisplayFormat, FValue.AsExtended());
  else if (VarIsNumeric(FValue) && FCurrency) Text = FloatToStrF(FValue.AsExtended(), ffCurrency, FPrecision, CurrencyDecimals);
  else Text = VarToStr(FValue);
}

// =======================================================================================
// Booleans and dates
// =======================================================================================

RTL_BEGIN_CLASS(TBooleanField)
b.Property("DisplayValues", &TBooleanField::DisplayValues, &TBooleanField::SetDisplayValues);
RTL_END_CLASS

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftBoolean); }

void TBooleanField::SetDisplayValues(const std::string& Value) {
  FDisplayValues = Value;
  if (Value.empty()) {
    FTextValues[0] = STextFalse;
    FTextValues[1] = STextTrue;
  } else {
    size_t semi = Value.find(';');
    FTextValues[1] = Value.substr(0, semi);
    FTextValues[0] = semi == std::string::npos ? std::string() : Value.substr(semi + 1);
  }
  layoutChanged(DataSet());
}

bool TBooleanField::GetAsBoolean() const {
  Variant v = GetData();
  return isNullish(v) ? false : v.AsBoolean();
}

void TBooleanField::SetAsBooleanValue(bool V) { SetData(Variant(V)); }

std::string TBooleanField::GetAsString() const { return IsNull() ? std::string() : FTextValues[GetAsBoolean() ? 1 : 0]; }

void TBooleanField::SetAsStringValue(const std::string& V) {
  if (V.empty()) {
    if (FTextValues[0].empty()) SetAsBooleanValue(false);
    else if (FTextValues[1].empty()) SetAsBooleanValue(true);
    else Clear();
    return;
  }
  // Any leading part of either text, without regard to case (False is tried first).
  for (int b = 0; b < 2; ++b)
    if (AnsiSameText(V, FTextValues[b].substr(0, V.size()))) {
      SetAsBooleanValue(b == 1);
      return;
    }
  DatabaseErrorFmt(SInvalidBoolValue, {V, DisplayName()});
}

Variant TBooleanField::GetAsVariant() const {
  Variant v = GetData();
  if (isNullish(v)) return Null();
  return Variant(v.AsBoolean());
}

Integer TBooleanField::GetDefaultWidth() const {
  return static_cast<Integer>(std::max(FTextValues[0].size(), FTextValues[1].size()));
}

RTL_BEGIN_CLASS(TDateTimeField)
b.Property("DisplayFormat", &TDateTimeField::DisplayFormat, &TDateTimeField::SetDisplayFormat);
b.Property("EditMask", &TDateTimeField::EditMask, &TDateTimeField::SetEditMask);
RTL_END_CLASS

TDateTimeField::TDateTimeField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftDateTime); }

void TDateTimeField::SetDisplayFormat(const std::string& Value) {
  FDisplayFormat = Value;
  layoutChanged(DataSet());
}

TDateTime TDateTimeField::GetAsDateTime() const {
  Variant v = GetData();
  return isNullish(v) ? 0 : v.AsDateTime();
}

void TDateTimeField::SetAsDateTimeValue(TDateTime V) {
  // A date column keeps the day, a time column the time of day.
  if (DataType() == ftDate) V = static_cast<TDateTime>(Int(V));
  else if (DataType() == ftTime) V = static_cast<TDateTime>(std::fabs(static_cast<double>(Frac(V))));
  SetData(VarFromDateTime(V));
}

std::string TDateTimeField::GetAsString() const {
  std::string s;
  GetText(s, false);
  return s;
}

void TDateTimeField::SetAsStringValue(const std::string& V) {
  if (V.empty()) {
    Clear();
    return;
  }
  switch (DataType()) {
    case ftDate: SetAsDateTimeValue(StrToDate(V)); break;
    case ftTime: SetAsDateTimeValue(StrToTime(V)); break;
    default: SetAsDateTimeValue(StrToDateTime(V)); break;
  }
}

Variant TDateTimeField::GetAsVariant() const {
  Variant v = GetData();
  if (isNullish(v)) return Null();
  return VarFromDateTime(v.AsDateTime());
}

void TDateTimeField::GetText(std::string& Text, bool DisplayText) const {
  if (IsNull()) {
    Text.clear();
    return;
  }
  std::string format;
  if (DisplayText && !FDisplayFormat.empty()) format = FDisplayFormat;
  else if (DataType() == ftDate) format = ShortDateFormat;
  else if (DataType() == ftTime) format = LongTimeFormat;
  DateTimeToString(Text, format, GetAsDateTime());
}

RTL_IMPLEMENT_CLASS(TDateField)
TDateField::TDateField(TComponent* AOwner) : TDateTimeField(AOwner) { SetDataType(ftDate); }

RTL_IMPLEMENT_CLASS(TTimeField)
TTimeField::TTimeField(TComponent* AOwner) : TDateTimeField(AOwner) { SetDataType(ftTime); }

RTL_BEGIN_CLASS(TSQLTimeStampField)
b.Property("DisplayFormat", &TSQLTimeStampField::DisplayFormat, &TSQLTimeStampField::SetDisplayFormat);
b.Property("EditMask", &TSQLTimeStampField::EditMask, &TSQLTimeStampField::SetEditMask);
RTL_END_CLASS

TSQLTimeStampField::TSQLTimeStampField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftTimeStamp); }

void TSQLTimeStampField::SetDisplayFormat(const std::string& Value) {
  FDisplayFormat = Value;
  layoutChanged(DataSet());
}

TSQLTimeStamp TSQLTimeStampField::GetAsSQLTimeStamp() const {
  Variant v = GetData();
  return isNullish(v) ? NullSQLTimeStamp : VarToSQLTimeStamp(v);
}

void TSQLTimeStampField::SetAsSQLTimeStampValue(const TSQLTimeStamp& V) { SetData(VarSQLTimeStampCreate(V)); }

TDateTime TSQLTimeStampField::GetAsDateTime() const { return IsNull() ? 0 : SQLTimeStampToDateTime(GetAsSQLTimeStamp()); }

void TSQLTimeStampField::SetAsDateTimeValue(TDateTime V) { SetAsSQLTimeStampValue(DateTimeToSQLTimeStamp(V)); }

std::string TSQLTimeStampField::GetAsString() const {
  std::string s;
  GetText(s, false);
  return s;
}

void TSQLTimeStampField::SetAsStringValue(const std::string& V) {
  if (V.empty()) Clear();
  else SetAsSQLTimeStampValue(StrToSQLTimeStamp(V));
}

Variant TSQLTimeStampField::GetAsVariant() const {
  Variant v = GetData();
  if (isNullish(v)) return Null();
  return VarSQLTimeStampCreate(VarToSQLTimeStamp(v));
}

void TSQLTimeStampField::GetText(std::string& Text, bool DisplayText) const {
  if (IsNull()) {
    Text.clear();
    return;
  }
  Text = SQLTimeStampToStr(DisplayText ? FDisplayFormat : std::string(), GetAsSQLTimeStamp());
}

// =======================================================================================
// Binary data
// =======================================================================================

RTL_BEGIN_CLASS(TBinaryField)
b.Property("Size", &TBinaryField::Size, &TBinaryField::SetSize).Default(16);
RTL_END_CLASS

TBinaryField::TBinaryField(TComponent* AOwner) : TField(AOwner) { TField::SetSize(16); }

std::string TBinaryField::GetAsString() const {
  Variant v = GetData();
  if (isNullish(v)) return "";
  if (v.IsArray()) {
    std::string s;
    Integer lo = VarArrayLowBound(v, 1), hi = VarArrayHighBound(v, 1);
    for (Integer i = lo; i <= hi; ++i) s.push_back(static_cast<char>(v.GetElement({i}).AsInteger()));
    return s;
  }
  return v.AsString();
}

void TBinaryField::SetAsStringValue(const std::string& V) { SetData(Variant(V)); }

Variant TBinaryField::GetAsVariant() const {
  if (isNullish(GetData())) return Null();
  std::string s = GetAsString();
  Variant r = VarArrayCreate({0, static_cast<Integer>(s.size()) - 1}, varByte);
  for (size_t i = 0; i < s.size(); ++i)
    r.PutElement({static_cast<Integer>(i)}, Variant(static_cast<unsigned char>(s[i])));
  return r;
}

void TBinaryField::SetVarValue(const Variant& V) {
  if (!V.IsArray()) {
    SetAsStringValue(V.AsString());
    return;
  }
  std::string s;
  Integer lo = VarArrayLowBound(V, 1), hi = VarArrayHighBound(V, 1);
  for (Integer i = lo; i <= hi; ++i) s.push_back(static_cast<char>(V.GetElement({i}).AsInteger()));
  SetAsStringValue(s);
}

void TBinaryField::GetText(std::string& Text, bool DisplayText) const { Text = classDesc(DataType(), IsNull()); }

RTL_IMPLEMENT_CLASS(TBytesField)
TBytesField::TBytesField(TComponent* AOwner) : TBinaryField(AOwner) { SetDataType(ftBytes); }

RTL_IMPLEMENT_CLASS(TVarBytesField)
TVarBytesField::TVarBytesField(TComponent* AOwner) : TBinaryField(AOwner) { SetDataType(ftVarBytes); }

RTL_BEGIN_CLASS(TBlobField)
b.Property("BlobType", &TBlobField::BlobType, &TBlobField::SetBlobType).Default(ftBlob);
b.Property("Size", &TBlobField::Size, &TBlobField::SetSize).Default(0);
RTL_END_CLASS

TBlobField::TBlobField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftBlob); }

void TBlobField::SetBlobType(TBlobType Value) {
  switch (Value) {
    case ftBlob: case ftMemo: case ftGraphic: case ftFmtMemo: case ftParadoxOle: case ftDBaseOle:
    case ftTypedBinary: case ftOraBlob: case ftOraClob:
      SetDataType(Value);
      break;
    default:
      DatabaseErrorFmt(SFieldTypeMismatch, {DisplayName(), "Blob", FieldTypeName(Value)});
  }
}

std::string TBlobField::GetAsString() const {
  Variant v = GetData();
  return isNullish(v) ? std::string() : v.AsString();
}

void TBlobField::SetAsStringValue(const std::string& V) {
  SetData(Variant(V));
  FModified = true;
}

void TBlobField::Clear() {
  TField::Clear();
  FModified = true;
}

Variant TBlobField::GetAsVariant() const {
  Variant v = GetData();
  return isNullish(v) ? Null() : Variant(v.AsString());
}

void TBlobField::GetText(std::string& Text, bool DisplayText) const { Text = classDesc(DataType(), IsNull()); }

void TBlobField::LoadFromStream(TStream* Stream) {
  std::string data;
  char buf[8192];
  for (;;) {
    Integer n = Stream->Read(buf, sizeof buf);
    if (n <= 0) break;
    data.append(buf, static_cast<size_t>(n));
  }
  SetAsStringValue(data);
}

void TBlobField::SaveToStream(TStream* Stream) const {
  std::string data = GetAsString();
  if (!data.empty()) Stream->WriteBuffer(data.data(), static_cast<Integer>(data.size()));
}

void TBlobField::LoadFromFile(const std::string& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TBlobField::SaveToFile(const std::string& FileName) const {
  SaveFileWhole(FileName, [this](TStream* stream) { SaveToStream(stream); });
}

RTL_BEGIN_CLASS(TMemoField)
b.Property("Transliterate", &TMemoField::Transliterate, &TMemoField::SetTransliterate).Default(true);
RTL_END_CLASS

TMemoField::TMemoField(TComponent* AOwner) : TBlobField(AOwner) { SetDataType(ftMemo); }

RTL_IMPLEMENT_CLASS(TGraphicField)

TGraphicField::TGraphicField(TComponent* AOwner) : TBlobField(AOwner) { SetDataType(ftGraphic); }

// =======================================================================================
// Others
// =======================================================================================

RTL_IMPLEMENT_CLASS(TVariantField)

TVariantField::TVariantField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftVariant); }

std::string TVariantField::GetAsString() const { return VarToStr(GetData()); }
Integer TVariantField::GetAsInteger() const { return IsNull() ? 0 : GetData().AsInteger(); }
Int64 TVariantField::GetAsLargeInt() const { return IsNull() ? 0 : GetData().AsInt64(); }
double TVariantField::GetAsFloat() const { return IsNull() ? 0 : GetData().AsDouble(); }
Currency TVariantField::GetAsCurrency() const { return IsNull() ? Currency() : GetData().AsCurrency(); }
bool TVariantField::GetAsBoolean() const { return IsNull() ? false : GetData().AsBoolean(); }
TDateTime TVariantField::GetAsDateTime() const { return IsNull() ? 0 : GetData().AsDateTime(); }

RTL_IMPLEMENT_CLASS(TInterfaceField)

TInterfaceField::TInterfaceField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftInterface); }

void TInterfaceField::SetVarValue(const Variant& V) {
  if (V.VType() != varUnknown && V.VType() != varDispatch) AccessError(VarTypeAsText(V.VType()));
  SetData(V);
}

RTL_IMPLEMENT_CLASS(TIDispatchField)
TIDispatchField::TIDispatchField(TComponent* AOwner) : TInterfaceField(AOwner) { SetDataType(ftIDispatch); }

RTL_BEGIN_CLASS(TObjectField)
b.Property("ObjectType", &TObjectField::ObjectType, &TObjectField::SetObjectType);
RTL_END_CLASS
TObjectField::TObjectField(TComponent* AOwner) : TField(AOwner) {}

RTL_IMPLEMENT_CLASS(TADTField)
TADTField::TADTField(TComponent* AOwner) : TObjectField(AOwner) { SetDataType(ftADT); }

RTL_IMPLEMENT_CLASS(TArrayField)
TArrayField::TArrayField(TComponent* AOwner) : TObjectField(AOwner) { SetDataType(ftArray); }

RTL_IMPLEMENT_CLASS(TReferenceField)
TReferenceField::TReferenceField(TComponent* AOwner) : TObjectField(AOwner) { SetDataType(ftReference); }

RTL_IMPLEMENT_CLASS(TDataSetField)
TDataSetField::TDataSetField(TComponent* AOwner) : TObjectField(AOwner) { SetDataType(ftDataSet); }

TDataSetField::~TDataSetField() {
  if (FNestedDataSet) {
    FNestedDataSet->dataSetField_ = nullptr;
    FNestedDataSet = nullptr;
  }
}
