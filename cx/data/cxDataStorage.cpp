#include "cx/data/cxDataStorage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "cx/foundation/cxVariants.h"
#include "platform/data/FMTBcd.h"
#include "platform/data/SqlTimSt.h"
#include "platform/rtl/SysUtils.h"

RTL_IMPLEMENT_CLASS(TcxValueType)
RTL_IMPLEMENT_CLASS(TcxStringValueType)
RTL_IMPLEMENT_CLASS(TcxWideStringValueType)
RTL_IMPLEMENT_CLASS(TcxSmallintValueType)
RTL_IMPLEMENT_CLASS(TcxIntegerValueType)
RTL_IMPLEMENT_CLASS(TcxWordValueType)
RTL_IMPLEMENT_CLASS(TcxBooleanValueType)
RTL_IMPLEMENT_CLASS(TcxFloatValueType)
RTL_IMPLEMENT_CLASS(TcxCurrencyValueType)
RTL_IMPLEMENT_CLASS(TcxDateTimeValueType)
RTL_IMPLEMENT_CLASS(TcxLargeIntValueType)
RTL_IMPLEMENT_CLASS(TcxFMTBcdValueType)
RTL_IMPLEMENT_CLASS(TcxSQLTimeStampValueType)
RTL_IMPLEMENT_CLASS(TcxVariantValueType)
RTL_IMPLEMENT_CLASS(TcxObjectValueType)
RTL_IMPLEMENT_CLASS(TcxValueDef)
RTL_IMPLEMENT_CLASS(TcxInternalValueDef)
RTL_IMPLEMENT_CLASS(TcxValueDefs)
RTL_IMPLEMENT_CLASS(TcxInternalValueDefs)
RTL_IMPLEMENT_CLASS(TcxValueDefReader)
RTL_IMPLEMENT_CLASS(TcxDataStorage)
RTL_IMPLEMENT_CLASS(TcxLookupList)
RTL_IMPLEMENT_CLASS(TcxValueTypeClassList)

namespace {

constexpr Integer kReferenceSize = static_cast<Integer>(sizeof(void*));
constexpr Byte kInternalRecordInUse = 1;

// Slots sit at any byte offset: every access goes through memcpy.
template <class T> T load(const void* p) {
  T v;
  std::memcpy(&v, p, sizeof(T));
  return v;
}
template <class T> void store(void* p, T v) { std::memcpy(p, &v, sizeof(T)); }

template <class T> Integer sign3(T a, T b) { return a == b ? 0 : (a < b ? -1 : 1); }

[[noreturn]] void listIndexError(Integer AIndex) {
  throw EListError(Format("List index out of bounds (%d)", {AIndex}));
}

// The UTF-16 code unit of each cp1252 byte: the wide type orders by these units.
const WCHAR* cp1252Units() {
  static WCHAR units[256];
  static bool made = false;
  if (!made) {
    for (int i = 0; i < 256; ++i) {
      char c = static_cast<char>(i);
      WCHAR w = static_cast<WCHAR>(i);
      if (MultiByteToWideChar(1252, 0, &c, 1, &w, 1) != 1) w = static_cast<WCHAR>(i);
      units[i] = w;
    }
    made = true;
  }
  return units;
}

std::string* stringOf(const void* AValuePtr) { return static_cast<std::string*>(const_cast<void*>(AValuePtr)); }

}  // namespace

// ---------------------------------------------------------------------------------------
// TcxValueType

TcxValueType* TcxValueType::Instance() {
  static TcxValueType instance;
  return &instance;
}

Integer TcxValueType::CompareStoredValues(const void* ASlot1, const void* ASlot2) {
  DereferenceSlot(ASlot1);
  DereferenceSlot(ASlot2);
  return CompareDataValues(ASlot1, ASlot2);
}

void TcxValueType::FreeStoredValue(void*) {}

void TcxValueType::FreeStoredText(void* ATextSlot) {
  delete load<std::string*>(ATextSlot);
  store<std::string*>(ATextSlot, nullptr);
}

Integer TcxValueType::GetValueSize() { return 0; }

void TcxValueType::DataToVariant(const void*, Variant& V) { V = Null(); }

void TcxValueType::GetValueText(const void* ASlot, std::string& S) {
  try {
    Variant v;
    DataToVariant(ASlot, v);
    S = VarToStr(v);
  } catch (const EVariantError&) {
    S.clear();
  }
}

void TcxValueType::GetStoredText(const void* ATextSlot, std::string& S) {
  const std::string* text = load<std::string*>(ATextSlot);
  S = text ? *text : std::string();
}

void TcxValueType::ReadValue(void* ASlot, TStream* AStream) { VariantToData(ASlot, cxStreamReadVariant(AStream)); }

void TcxValueType::ReadText(void* ATextSlot, TStream* AStream) {
  SetStoredText(ATextSlot, cxStreamReadString(AStream));
}

void TcxValueType::VariantToData(void*, const Variant&) {}

void TcxValueType::SetStoredText(void* ATextSlot, const std::string& S) {
  std::string* text = load<std::string*>(ATextSlot);
  if (text) {
    *text = S;
  } else {
    store<std::string*>(ATextSlot, new std::string(S));
  }
}

void TcxValueType::WriteValue(const void* ASlot, TStream* AStream) {
  Variant v;
  DataToVariant(ASlot, v);
  cxStreamWriteVariant(AStream, v);
}

void TcxValueType::WriteText(const void* ATextSlot, TStream* AStream) {
  std::string s;
  GetStoredText(ATextSlot, s);
  cxStreamWriteString(AStream, s);
}

std::string TcxValueType::GetCaption() {
  std::string s = ClassName();
  if (s.compare(0, 3, "Tcx") == 0) s.erase(0, 3);
  size_t p = s.find("ValueType");
  if (p != std::string::npos) s.erase(p, 9);
  return s;
}

Integer TcxValueType::CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) {
  Variant v1, v2;
  StoredValueToVariant(AValuePtr1, v1);
  StoredValueToVariant(AValuePtr2, v2);
  return cxCompareVariants(v1, v2);
}

void TcxValueType::StoredValueToVariant(const void* AValuePtr, Variant& V) { DataToVariant(AValuePtr, V); }

TVarType TcxValueType::GetVariantType() { return varVariant; }

bool TcxValueType::IsValueValid(const Variant& V) {
  if (VarIsNull(V)) return true;
  TVarType type = GetVariantType();
  if (type == varVariant) return true;
  try {
    VarAsType(V, type);
    return true;
  } catch (const EVariantError&) {
    return false;
  }
}

bool TcxValueType::IsStringType() { return false; }

void TcxValueType::DereferenceSlot(const void*&) {}

// ---------------------------------------------------------------------------------------
// TcxStringValueType: the slot references a std::string (none until first set).

TcxStringValueType* TcxStringValueType::Instance() {
  static TcxStringValueType instance;
  return &instance;
}

void TcxStringValueType::FreeStoredValue(void* ASlot) {
  delete load<std::string*>(ASlot);
  store<std::string*>(ASlot, nullptr);
}

Integer TcxStringValueType::GetValueSize() { return kReferenceSize; }

void TcxStringValueType::DataToVariant(const void* ASlot, Variant& V) {
  const std::string* s = load<std::string*>(ASlot);
  if (s) {
    V = *s;
  } else {
    V = Null();
  }
}

void TcxStringValueType::ReadValue(void* ASlot, TStream* AStream) { VariantToData(ASlot, cxStreamReadString(AStream)); }

void TcxStringValueType::VariantToData(void* ASlot, const Variant& V) {
  std::string value = V.AsString();
  std::string* s = load<std::string*>(ASlot);
  if (s) {
    *s = std::move(value);
  } else {
    store<std::string*>(ASlot, new std::string(std::move(value)));
  }
}

void TcxStringValueType::WriteValue(const void* ASlot, TStream* AStream) {
  const std::string* s = load<std::string*>(ASlot);
  cxStreamWriteString(AStream, s ? *s : std::string());
}

Integer TcxStringValueType::CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) {
  if (!AValuePtr1 || !AValuePtr2) return AValuePtr1 == AValuePtr2 ? 0 : (AValuePtr1 ? 1 : -1);
  Integer r = stringOf(AValuePtr1)->compare(*stringOf(AValuePtr2));
  return r == 0 ? 0 : (r < 0 ? -1 : 1);
}

void TcxStringValueType::StoredValueToVariant(const void* AValuePtr, Variant& V) {
  // DataToVariant reads a slot: hand it one holding the reference.
  const void* slot = AValuePtr;
  DataToVariant(&slot, V);
}

TVarType TcxStringValueType::GetVariantType() { return varString; }

bool TcxStringValueType::IsStringType() { return true; }

void TcxStringValueType::DereferenceSlot(const void*& APtr) { APtr = load<const void*>(APtr); }

// ---------------------------------------------------------------------------------------
// TcxWideStringValueType

TcxWideStringValueType* TcxWideStringValueType::Instance() {
  static TcxWideStringValueType instance;
  return &instance;
}

void TcxWideStringValueType::DataToVariant(const void* ASlot, Variant& V) {
  const std::string* s = load<std::string*>(ASlot);
  if (s) {
    V = Variant::MakeOleStr(*s);
  } else {
    V = Null();
  }
}

void TcxWideStringValueType::ReadValue(void* ASlot, TStream* AStream) {
  VariantToData(ASlot, Variant::MakeOleStr(cxStreamReadWideString(AStream)));
}

void TcxWideStringValueType::WriteValue(const void* ASlot, TStream* AStream) {
  std::string s;
  GetValueText(ASlot, s);
  cxStreamWriteWideString(AStream, s);
}

Integer TcxWideStringValueType::CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) {
  if (!AValuePtr1 || !AValuePtr2) return AValuePtr1 == AValuePtr2 ? 0 : (AValuePtr1 ? 1 : -1);
  const std::string& a = *stringOf(AValuePtr1);
  const std::string& b = *stringOf(AValuePtr2);
  const WCHAR* units = cp1252Units();
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    WCHAR ua = units[static_cast<Byte>(a[i])];
    WCHAR ub = units[static_cast<Byte>(b[i])];
    if (ua != ub) return ua < ub ? -1 : 1;
  }
  return sign3(a.size(), b.size());
}

TVarType TcxWideStringValueType::GetVariantType() { return varOleStr; }

// ---------------------------------------------------------------------------------------
// Integer types: the variant is converted to an integer and cut to the slot width.

TcxSmallintValueType* TcxSmallintValueType::Instance() {
  static TcxSmallintValueType instance;
  return &instance;
}
Integer TcxSmallintValueType::GetValueSize() { return sizeof(SmallInt); }
void TcxSmallintValueType::DataToVariant(const void* ASlot, Variant& V) { V = load<SmallInt>(ASlot); }
void TcxSmallintValueType::ReadValue(void* ASlot, TStream* AStream) { store(ASlot, cxStreamReadInt16(AStream)); }
void TcxSmallintValueType::VariantToData(void* ASlot, const Variant& V) {
  store(ASlot, static_cast<SmallInt>(V.AsInteger()));
}
void TcxSmallintValueType::WriteValue(const void* ASlot, TStream* AStream) {
  cxStreamWriteInt16(AStream, load<SmallInt>(ASlot));
}
Integer TcxSmallintValueType::CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) {
  return Integer(load<SmallInt>(AValuePtr1)) - Integer(load<SmallInt>(AValuePtr2));
}
TVarType TcxSmallintValueType::GetVariantType() { return varSmallint; }

TcxIntegerValueType* TcxIntegerValueType::Instance() {
  static TcxIntegerValueType instance;
  return &instance;
}
Integer TcxIntegerValueType::GetValueSize() { return sizeof(Integer); }
void TcxIntegerValueType::DataToVariant(const void* ASlot, Variant& V) { V = load<Integer>(ASlot); }
void TcxIntegerValueType::ReadValue(void* ASlot, TStream* AStream) { store(ASlot, cxStreamReadInt32(AStream)); }
void TcxIntegerValueType::VariantToData(void* ASlot, const Variant& V) { store(ASlot, V.AsInteger()); }
void TcxIntegerValueType::WriteValue(const void* ASlot, TStream* AStream) {
  cxStreamWriteInt32(AStream, load<Integer>(ASlot));
}
Integer TcxIntegerValueType::CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) {
  // By order, not by difference: the difference of two Integers can overflow.
  return sign3(load<Integer>(AValuePtr1), load<Integer>(AValuePtr2));
}
TVarType TcxIntegerValueType::GetVariantType() { return varInteger; }

TcxWordValueType* TcxWordValueType::Instance() {
  static TcxWordValueType instance;
  return &instance;
}
Integer TcxWordValueType::GetValueSize() { return sizeof(Word); }
void TcxWordValueType::DataToVariant(const void* ASlot, Variant& V) { V = load<Word>(ASlot); }
void TcxWordValueType::ReadValue(void* ASlot, TStream* AStream) { store(ASlot, cxStreamReadWord(AStream)); }
void TcxWordValueType::VariantToData(void* ASlot, const Variant& V) { store(ASlot, static_cast<Word>(V.AsInteger())); }
void TcxWordValueType::WriteValue(const void* ASlot, TStream* AStream) { cxStreamWriteWord(AStream, load<Word>(ASlot)); }
Integer TcxWordValueType::CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) {
  return Integer(load<Word>(AValuePtr1)) - Integer(load<Word>(AValuePtr2));
}
TVarType TcxWordValueType::GetVariantType() { return varWord; }

// ---------------------------------------------------------------------------------------
// TcxBooleanValueType: one byte, 0 or 1.

TcxBooleanValueType* TcxBooleanValueType::Instance() {
  static TcxBooleanValueType instance;
  return &instance;
}
Integer TcxBooleanValueType::GetValueSize() { return 1; }
void TcxBooleanValueType::DataToVariant(const void* ASlot, Variant& V) { V = load<Byte>(ASlot) != 0; }
void TcxBooleanValueType::GetValueText(const void* ASlot, std::string& S) {
  S = BoolToStr(load<Byte>(ASlot) != 0, true);
}
void TcxBooleanValueType::ReadValue(void* ASlot, TStream* AStream) {
  store<Byte>(ASlot, cxStreamReadBoolean(AStream) ? 1 : 0);
}
void TcxBooleanValueType::VariantToData(void* ASlot, const Variant& V) { store<Byte>(ASlot, V.AsBoolean() ? 1 : 0); }
void TcxBooleanValueType::WriteValue(const void* ASlot, TStream* AStream) {
  cxStreamWriteBoolean(AStream, load<Byte>(ASlot) != 0);
}
Integer TcxBooleanValueType::CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) {
  return Integer(load<Byte>(AValuePtr1)) - Integer(load<Byte>(AValuePtr2));
}
TVarType TcxBooleanValueType::GetVariantType() { return varBoolean; }

// ---------------------------------------------------------------------------------------
// Floating types.

namespace {
// 0 when equal, 1 when the first is greater or equal, else -1.
Integer compareDoubles(double a, double b) {
  if (a == b) return 0;
  return a >= b ? 1 : -1;
}
}  // namespace

TcxFloatValueType* TcxFloatValueType::Instance() {
  static TcxFloatValueType instance;
  return &instance;
}
Integer TcxFloatValueType::GetValueSize() { return sizeof(double); }
void TcxFloatValueType::DataToVariant(const void* ASlot, Variant& V) { V = load<double>(ASlot); }
void TcxFloatValueType::ReadValue(void* ASlot, TStream* AStream) {
  double d;
  AStream->ReadBuffer(&d, sizeof(d));
  store(ASlot, d);
}
void TcxFloatValueType::VariantToData(void* ASlot, const Variant& V) { store(ASlot, V.AsDouble()); }
void TcxFloatValueType::WriteValue(const void* ASlot, TStream* AStream) {
  double d = load<double>(ASlot);
  AStream->WriteBuffer(&d, sizeof(d));
}
Integer TcxFloatValueType::CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) {
  return compareDoubles(load<double>(AValuePtr1), load<double>(AValuePtr2));
}
TVarType TcxFloatValueType::GetVariantType() { return varDouble; }

TcxCurrencyValueType* TcxCurrencyValueType::Instance() {
  static TcxCurrencyValueType instance;
  return &instance;
}
Integer TcxCurrencyValueType::GetValueSize() { return sizeof(Int64); }
void TcxCurrencyValueType::DataToVariant(const void* ASlot, Variant& V) {
  V = Currency::FromScaled(load<Int64>(ASlot));
}
void TcxCurrencyValueType::ReadValue(void* ASlot, TStream* AStream) {
  store<Int64>(ASlot, cxStreamReadCurrency(AStream).Value);
}
void TcxCurrencyValueType::VariantToData(void* ASlot, const Variant& V) { store<Int64>(ASlot, V.AsCurrency().Value); }
void TcxCurrencyValueType::WriteValue(const void* ASlot, TStream* AStream) {
  cxStreamWriteCurrency(AStream, Currency::FromScaled(load<Int64>(ASlot)));
}
Integer TcxCurrencyValueType::CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) {
  return sign3(load<Int64>(AValuePtr1), load<Int64>(AValuePtr2));
}
TVarType TcxCurrencyValueType::GetVariantType() { return varCurrency; }

TcxDateTimeValueType* TcxDateTimeValueType::Instance() {
  static TcxDateTimeValueType instance;
  return &instance;
}
Integer TcxDateTimeValueType::GetValueSize() { return sizeof(TDateTime); }
void TcxDateTimeValueType::DataToVariant(const void* ASlot, Variant& V) {
  V = VarFromDateTime(load<TDateTime>(ASlot));
}
void TcxDateTimeValueType::ReadValue(void* ASlot, TStream* AStream) { store(ASlot, cxStreamReadDateTime(AStream)); }
void TcxDateTimeValueType::VariantToData(void* ASlot, const Variant& V) { store(ASlot, V.AsDateTime()); }
void TcxDateTimeValueType::WriteValue(const void* ASlot, TStream* AStream) {
  cxStreamWriteDateTime(AStream, load<TDateTime>(ASlot));
}
Integer TcxDateTimeValueType::CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) {
  return compareDoubles(load<TDateTime>(AValuePtr1), load<TDateTime>(AValuePtr2));
}
TVarType TcxDateTimeValueType::GetVariantType() { return varDate; }

TcxLargeIntValueType* TcxLargeIntValueType::Instance() {
  static TcxLargeIntValueType instance;
  return &instance;
}
Integer TcxLargeIntValueType::GetValueSize() { return sizeof(Int64); }
void TcxLargeIntValueType::DataToVariant(const void* ASlot, Variant& V) { V = static_cast<long long>(load<Int64>(ASlot)); }
void TcxLargeIntValueType::ReadValue(void* ASlot, TStream* AStream) { store(ASlot, cxStreamReadInt64(AStream)); }
void TcxLargeIntValueType::VariantToData(void* ASlot, const Variant& V) { store(ASlot, V.AsInt64()); }
void TcxLargeIntValueType::WriteValue(const void* ASlot, TStream* AStream) {
  cxStreamWriteInt64(AStream, load<Int64>(ASlot));
}
Integer TcxLargeIntValueType::CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) {
  return sign3(load<Int64>(AValuePtr1), load<Int64>(AValuePtr2));
}
TVarType TcxLargeIntValueType::GetVariantType() { return varInt64; }

// ---------------------------------------------------------------------------------------
// TcxFMTBcdValueType

TcxFMTBcdValueType* TcxFMTBcdValueType::Instance() {
  static TcxFMTBcdValueType instance;
  return &instance;
}
Integer TcxFMTBcdValueType::GetValueSize() { return sizeof(TBcd); }
void TcxFMTBcdValueType::DataToVariant(const void* ASlot, Variant& V) { V = BcdToDouble(load<TBcd>(ASlot)); }
void TcxFMTBcdValueType::GetValueText(const void* ASlot, std::string& S) {
  S = BcdToStrF(load<TBcd>(ASlot), ffGeneral, 0, 0);
}
void TcxFMTBcdValueType::VariantToData(void* ASlot, const Variant& V) { store(ASlot, VarToBcd(V)); }
Integer TcxFMTBcdValueType::CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) {
  return BcdCompare(load<TBcd>(AValuePtr1), load<TBcd>(AValuePtr2));
}
TVarType TcxFMTBcdValueType::GetVariantType() { return VarFMTBcd(); }

// ---------------------------------------------------------------------------------------
// TcxSQLTimeStampValueType

TcxSQLTimeStampValueType* TcxSQLTimeStampValueType::Instance() {
  static TcxSQLTimeStampValueType instance;
  return &instance;
}
Integer TcxSQLTimeStampValueType::GetValueSize() { return sizeof(TSQLTimeStamp); }
void TcxSQLTimeStampValueType::DataToVariant(const void* ASlot, Variant& V) {
  V = VarFromDateTime(SQLTimeStampToDateTime(load<TSQLTimeStamp>(ASlot)));
}
void TcxSQLTimeStampValueType::VariantToData(void* ASlot, const Variant& V) { store(ASlot, VarToSQLTimeStamp(V)); }
Integer TcxSQLTimeStampValueType::CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) {
  TSQLTimeStamp a = load<TSQLTimeStamp>(AValuePtr1);
  TSQLTimeStamp b = load<TSQLTimeStamp>(AValuePtr2);
  const Int64 diffs[] = {Int64(a.Year) - b.Year,     Int64(a.Month) - b.Month,   Int64(a.Day) - b.Day,
                         Int64(a.Hour) - b.Hour,     Int64(a.Minute) - b.Minute, Int64(a.Second) - b.Second,
                         Int64(a.Fractions) - Int64(b.Fractions)};
  for (Int64 d : diffs)
    if (d != 0) return static_cast<Integer>(std::clamp<Int64>(d, INT32_MIN, INT32_MAX));
  return 0;
}
TVarType TcxSQLTimeStampValueType::GetVariantType() { return VarSQLTimeStamp(); }

// ---------------------------------------------------------------------------------------
// TcxVariantValueType: the slot references a Variant.

TcxVariantValueType* TcxVariantValueType::Instance() {
  static TcxVariantValueType instance;
  return &instance;
}
void TcxVariantValueType::FreeStoredValue(void* ASlot) {
  delete load<Variant*>(ASlot);
  store<Variant*>(ASlot, nullptr);
}
Integer TcxVariantValueType::GetValueSize() { return kReferenceSize; }
void TcxVariantValueType::DataToVariant(const void* ASlot, Variant& V) {
  const Variant* v = load<Variant*>(ASlot);
  if (v) {
    V = *v;
  } else {
    V = Null();
  }
}
void TcxVariantValueType::VariantToData(void* ASlot, const Variant& V) {
  Variant* v = load<Variant*>(ASlot);
  if (v) {
    *v = V;
  } else {
    store<Variant*>(ASlot, new Variant(V));
  }
}
Integer TcxVariantValueType::CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) {
  if (!AValuePtr1 || !AValuePtr2) return AValuePtr1 == AValuePtr2 ? 0 : (AValuePtr1 ? 1 : -1);
  return cxCompareVariants(*static_cast<const Variant*>(AValuePtr1), *static_cast<const Variant*>(AValuePtr2));
}
void TcxVariantValueType::StoredValueToVariant(const void* AValuePtr, Variant& V) {
  const void* slot = AValuePtr;
  DataToVariant(&slot, V);
}
TVarType TcxVariantValueType::GetVariantType() { return varVariant; }
void TcxVariantValueType::DereferenceSlot(const void*& APtr) { APtr = load<const void*>(APtr); }

// ---------------------------------------------------------------------------------------
// TcxObjectValueType: a pointer-sized slot holding an owned object.

TcxObjectValueType* TcxObjectValueType::Instance() {
  static TcxObjectValueType instance;
  return &instance;
}
void TcxObjectValueType::FreeStoredValue(void* ASlot) {
  TObject* obj = load<TObject*>(ASlot);
  store<TObject*>(ASlot, nullptr);
  if (obj) obj->Free();
}
Integer TcxObjectValueType::GetValueSize() { return kReferenceSize; }
void TcxObjectValueType::DataToVariant(const void* ASlot, Variant& V) { V = ObjectToVariant(load<TObject*>(ASlot)); }
void TcxObjectValueType::ReadValue(void*, TStream*) {}
void TcxObjectValueType::VariantToData(void* ASlot, const Variant& V) { store<TObject*>(ASlot, VariantToObject(V)); }
void TcxObjectValueType::WriteValue(const void*, TStream*) {}
Integer TcxObjectValueType::CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) {
  return sign3(load<NativeInt>(AValuePtr1), load<NativeInt>(AValuePtr2));
}
// The integer kind that holds an address here.
TVarType TcxObjectValueType::GetVariantType() { return varInt64; }

TObject* TcxObjectValueType::VariantToObject(const Variant& V) {
  if (VarIsNull(V) || VarIsEmpty(V)) return nullptr;
  return IntToPtr<TObject>(static_cast<NativeInt>(V.AsInt64()));
}

Variant TcxObjectValueType::ObjectToVariant(TObject* AObject) {
  return Variant(static_cast<long long>(PtrToInt(AObject)));
}

// ---------------------------------------------------------------------------------------
// TcxValueDef

TcxValueDef::TcxValueDef(TcxValueDefs* AValueDefs, TcxValueTypeClass AValueTypeClass)
    : FValueDefs(AValueDefs), FValueTypeClass(AValueTypeClass ? AValueTypeClass : TcxValueType::Instance()) {}

TcxValueDef::~TcxValueDef() {
  if (FValueDefs) FValueDefs->RemoveItem(this);
}

void TcxValueDef::SetStored(bool AValue) {
  if (FStored == AValue) return;
  FStored = AValue;
  if (FValueDefs) FValueDefs->Changed(this, false);
}

void TcxValueDef::SetTextStored(bool AValue) {
  if (FTextStored == AValue) return;
  FTextStored = AValue;
  if (FValueDefs) FValueDefs->Changed(this, true);
}

TObject* TcxValueDef::GetLinkObject() { return FLinkObject; }

bool TcxValueDef::IsStored() {
  return FStored || !FValueDefs || !FValueDefs->DataStorage() || !FValueDefs->DataStorage()->StoredValuesOnly();
}

void TcxValueDef::SetLinkObject(TObject* AValue) { FLinkObject = AValue; }

void TcxValueDef::Assign(TcxValueDef* ASource) {
  if (!ASource) return;
  SetStored(ASource->Stored());
  SetTextStored(ASource->TextStored());
}

Integer TcxValueDef::Layout(Integer AOffset, bool ACapture) {
  if (ACapture || !FLaidOut) {
    FLaidOutStored = IsStored();
    FLaidOutText = FLaidOutStored && TextStored();
    FLaidOut = true;
  }
  FDataSize = FValueTypeClass->GetValueSize();
  FOffset = AOffset;
  if (FLaidOutStored) {
    FBufferSize = 1 + FDataSize + (FLaidOutText ? kReferenceSize : 0);
  } else {
    FBufferSize = 0;
  }
  return AOffset + FBufferSize;
}

const void* TcxValueDef::ValuePointerIn(const Byte* ABuffer) {
  const void* p = ABuffer + FOffset + 1;
  FValueTypeClass->DereferenceSlot(p);
  return p;
}

void TcxValueDef::GetValue(const Byte* ABuffer, Variant& V) {
  if (IsNullIn(ABuffer)) {
    V = Null();
  } else {
    FValueTypeClass->DataToVariant(ABuffer + FOffset + 1, V);
  }
}

void TcxValueDef::SetValue(Byte* ABuffer, const Variant& V) {
  if (!HasSlot()) return;
  Byte* slot = ABuffer + FOffset + 1;
  if (VarIsNull(V)) {
    FValueTypeClass->FreeStoredValue(slot);
    std::memset(slot, 0, static_cast<size_t>(FDataSize));
    SetNull(ABuffer + FOffset, true);
  } else {
    // Converted before the flag is set: a value that cannot be converted leaves the
    // record unchanged (a Null stays Null instead of turning into a zero).
    FValueTypeClass->VariantToData(slot, V);
    SetNull(ABuffer + FOffset, false);
  }
}

void TcxValueDef::SetNull(Byte* AFlagPtr, bool AIsNull) { *AFlagPtr = AIsNull ? 0 : 1; }

void TcxValueDef::GetDisplayText(const Byte* ABuffer, std::string& S) {
  if (HasTextSlot()) {
    FValueTypeClass->GetStoredText(ABuffer + FOffset + 1 + FDataSize, S);
  } else if (IsNullIn(ABuffer)) {
    S.clear();
  } else {
    FValueTypeClass->GetValueText(ABuffer + FOffset + 1, S);
  }
}

void TcxValueDef::SetDisplayText(Byte* ABuffer, const std::string& S) {
  if (HasTextSlot()) FValueTypeClass->SetStoredText(ABuffer + FOffset + 1 + FDataSize, S);
}

void TcxValueDef::FreeBuffer(Byte* ABuffer) {
  if (!HasSlot()) return;
  if (ABuffer[FOffset] != 0) FValueTypeClass->FreeStoredValue(ABuffer + FOffset + 1);
  if (HasTextSlot()) FValueTypeClass->FreeStoredText(ABuffer + FOffset + 1 + FDataSize);
}

Integer TcxValueDef::CompareBuffers(const Byte* ABuffer1, const Byte* ABuffer2) {
  bool null1 = IsNullIn(ABuffer1);
  bool null2 = IsNullIn(ABuffer2);
  if (null1 || null2) return null1 == null2 ? 0 : (null1 ? -1 : 1);
  return FValueTypeClass->CompareStoredValues(ABuffer1 + FOffset + 1, ABuffer2 + FOffset + 1);
}

Integer TcxValueDef::CompareValues(bool AIsNull1, bool AIsNull2, const void* AValuePtr1, const void* AValuePtr2) {
  if (AIsNull1 || AIsNull2) return AIsNull1 == AIsNull2 ? 0 : (AIsNull1 ? -1 : 1);
  return FValueTypeClass->CompareDataValues(AValuePtr1, AValuePtr2);
}

TObject* TcxInternalValueDef::GetLinkObject() {
  TcxValueDef* main = MainValueDef();
  return main ? main->GetLinkObject() : nullptr;
}

// ---------------------------------------------------------------------------------------
// TcxValueDefs

TcxValueDefs::TcxValueDefs(TcxDataStorage* AStorage) : FDataStorage(AStorage) {}

TcxValueDefs::~TcxValueDefs() { Clear(); }

void TcxValueDefs::Changed(TcxValueDef* AValueDef, bool AIsTextStoredChange) {
  if (FDataStorage) FDataStorage->ValueDefsChanged(AValueDef, AIsTextStoredChange);
}

TClass TcxValueDefs::GetValueDefClass() { return TcxValueDef::StaticClass(); }

TClass TcxInternalValueDefs::GetValueDefClass() { return TcxInternalValueDef::StaticClass(); }

void TcxValueDefs::Prepare(Integer ARecordOffset) {
  // Stored and TextStored are read again only while no record holds a buffer laid out
  // the old way.
  bool capture = !FDataStorage || !FDataStorage->SetHasBuffers(this);
  FRecordOffset = ARecordOffset;
  Integer offset = ARecordOffset;
  for (TcxValueDef* def : FItems) offset = def->Layout(offset, capture);
  FRecordSize = offset;
}

bool TcxValueDefs::IsInternal() const {
  return FDataStorage && static_cast<const TcxValueDefs*>(FDataStorage->InternalValueDefs()) == this;
}

TcxValueDef* TcxValueDefs::Add(TcxValueTypeClass AValueTypeClass, bool AStored, TObject* ALinkObject,
                               bool ATextStored) {
  TcxValueDef::TCreateArgs args{this, AValueTypeClass};
  TObject* obj = GetValueDefClass()->CreateInstance(&args);
  auto* def = static_cast<TcxValueDef*>(obj);
  def->FLinkObject = ALinkObject;
  def->FStored = AStored;
  def->FTextStored = ATextStored;
  // A main column gets its mirror in the internal set first.
  if (FDataStorage && !IsInternal() && FDataStorage->InternalValueDefs()) {
    try {
      def->FInternalMirror = FDataStorage->InternalValueDefs()->Add(def->FValueTypeClass, true, def, ATextStored);
    } catch (...) {
      def->FValueDefs = nullptr;
      delete def;
      throw;
    }
  }
  // The new column's own share; it always goes last, so the existing buffers grow at
  // their ends.
  def->Layout(0, true);
  if (FDataStorage && def->BufferSize() > 0) {
    for (Byte*& buffer : FDataStorage->BuffersOf(this)) {
      if (!buffer) continue;
      size_t oldSize = static_cast<size_t>(FRecordSize);
      size_t newSize = oldSize + static_cast<size_t>(def->BufferSize());
      auto* grown = static_cast<Byte*>(std::realloc(buffer, newSize));
      if (!grown) throw EOutOfMemory("Out of memory");
      std::memset(grown + oldSize, 0, newSize - oldSize);
      buffer = grown;
    }
  }
  FItems.push_back(def);
  if (FDataStorage) {
    FDataStorage->InitStructure(this);
  } else {
    Prepare(1);
  }
  return def;
}

void TcxValueDefs::Remove(TcxValueDef* AItem) {
  if (AItem && AItem->ValueDefs() == this) AItem->Free();
}

void TcxValueDefs::Clear() {
  while (!FItems.empty()) FItems.back()->Free();
}

TcxValueDef* TcxValueDefs::Items(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) listIndexError(AIndex);
  return FItems[static_cast<size_t>(AIndex)];
}

Integer TcxValueDefs::IndexOf(const TcxValueDef* AItem) const {
  auto it = std::find(FItems.begin(), FItems.end(), AItem);
  return it == FItems.end() ? -1 : static_cast<Integer>(it - FItems.begin());
}

Integer TcxValueDefs::StoredCount() {
  Integer n = 0;
  for (TcxValueDef* def : FItems)
    if (def->IsStored()) ++n;
  return n;
}

void TcxValueDefs::RemoveItem(TcxValueDef* AItem) {
  auto it = std::find(FItems.begin(), FItems.end(), AItem);
  if (it == FItems.end()) return;
  // The mirror goes first.
  if (TcxValueDef* mirror = AItem->FInternalMirror) {
    AItem->FInternalMirror = nullptr;
    mirror->Free();
  }
  if (FDataStorage && AItem->HasSlot()) {
    Integer slotted = 0;
    for (TcxValueDef* def : FItems)
      if (def->HasSlot()) ++slotted;
    size_t start = static_cast<size_t>(AItem->Offset());
    size_t width = static_cast<size_t>(AItem->BufferSize());
    size_t size = static_cast<size_t>(FRecordSize);
    for (Byte*& buffer : FDataStorage->BuffersOf(this)) {
      if (!buffer) continue;
      AItem->FreeBuffer(buffer);
      if (slotted == 1) {
        // Its only stored column gone, the record has nothing left to hold.
        for (TcxValueDef* def : FItems)
          if (def != AItem) def->FreeBuffer(buffer);
        std::free(buffer);
        buffer = nullptr;
      } else {
        std::memmove(buffer + start, buffer + start + width, size - start - width);
        if (auto* shrunk = static_cast<Byte*>(std::realloc(buffer, size - width))) buffer = shrunk;
      }
    }
  }
  FItems.erase(std::find(FItems.begin(), FItems.end(), AItem));
  AItem->FValueDefs = nullptr;
  if (FDataStorage) {
    FDataStorage->InitStructure(this);
  } else {
    Prepare(1);
  }
}

// ---------------------------------------------------------------------------------------
// TcxValueDefReader

void TcxValueDefReader::GetDisplayText(TcxValueDef*, std::string& S) { S.clear(); }
void TcxValueDefReader::GetValue(TcxValueDef*, Variant& V) { V = Null(); }
bool TcxValueDefReader::IsInternal(TcxValueDef*) { return false; }

// ---------------------------------------------------------------------------------------
// TcxDataStorage

TcxDataStorage::TcxDataStorage() {
  FValueDefs = New<TcxValueDefs>(this);
  FInternalValueDefs = New<TcxInternalValueDefs>(this);
  InitStructure(FValueDefs);
  InitStructure(FInternalValueDefs);
}

TcxDataStorage::~TcxDataStorage() {
  for (Byte*& buffer : FInternalRecords) freeRecordBuffer(buffer, FInternalValueDefs);
  FInternalRecords.clear();
  for (Byte*& buffer : FRecords) freeRecordBuffer(buffer, FValueDefs);
  FRecords.clear();
  // The main columns take their mirrors with them.
  FreeAndNil(FValueDefs);
  FreeAndNil(FInternalValueDefs);
}

void TcxDataStorage::InitStructure(TcxValueDefs* AValueDefs) { AValueDefs->Prepare(1); }

void TcxDataStorage::ValueDefsChanged(TcxValueDef*, bool) {}

TcxValueDefs* TcxDataStorage::GetValueDefsByRecordIndex(Integer ARecordIndex) {
  return ARecordIndex < 0 ? FInternalValueDefs : FValueDefs;
}

std::vector<Byte*>& TcxDataStorage::BuffersOf(TcxValueDefs* AValueDefs) {
  return AValueDefs == FInternalValueDefs ? FInternalRecords : FRecords;
}

bool TcxDataStorage::SetHasBuffers(TcxValueDefs* AValueDefs) {
  if (AValueDefs != FValueDefs && AValueDefs != FInternalValueDefs) return false;
  const std::vector<Byte*>& buffers = BuffersOf(AValueDefs);
  return std::any_of(buffers.begin(), buffers.end(), [](Byte* b) { return b != nullptr; });
}

void TcxDataStorage::freeRecordBuffer(Byte*& ABuffer, TcxValueDefs* AValueDefs) {
  if (!ABuffer) return;
  Byte* buffer = ABuffer;
  ABuffer = nullptr;
  if (AValueDefs)
    for (Integer i = 0; i < AValueDefs->Count(); ++i) AValueDefs->Items(i)->FreeBuffer(buffer);
  std::free(buffer);
}

Byte*& TcxDataStorage::bufferSlot(Integer ARecordIndex) {
  if (ARecordIndex >= 0) {
    if (ARecordIndex >= RecordCount()) listIndexError(ARecordIndex);
    return FRecords[static_cast<size_t>(ARecordIndex)];
  }
  size_t i = static_cast<size_t>(-(Int64(ARecordIndex) + 1));
  if (i >= FInternalRecords.size()) listIndexError(ARecordIndex);
  return FInternalRecords[i];
}

Byte* TcxDataStorage::buffer(Integer ARecordIndex) const {
  return const_cast<TcxDataStorage*>(this)->bufferSlot(ARecordIndex);
}

Byte* TcxDataStorage::needBuffer(Integer ARecordIndex) {
  Byte*& slot = bufferSlot(ARecordIndex);
  if (!slot) {
    TcxValueDefs* defs = GetValueDefsByRecordIndex(ARecordIndex);
    auto* b = static_cast<Byte*>(std::calloc(1, static_cast<size_t>(std::max<Integer>(defs->RecordSize(), 1))));
    if (!b) throw EOutOfMemory("Out of memory");
    slot = b;
  }
  return slot;
}

bool TcxDataStorage::HasBuffer(Integer ARecordIndex) const { return buffer(ARecordIndex) != nullptr; }

bool TcxDataStorage::IsInternalRecordInUse(Integer ARecordIndex) const {
  if (ARecordIndex >= 0) return false;
  Byte* b = buffer(ARecordIndex);
  return b && (b[0] & kInternalRecordInUse);
}

void TcxDataStorage::SetRecordCount(Integer ACount) {
  if (ACount < 0) ACount = 0;
  while (RecordCount() > ACount) {
    freeRecordBuffer(FRecords.back(), FValueDefs);
    FRecords.pop_back();
  }
  FRecords.resize(static_cast<size_t>(ACount), nullptr);
}

Integer TcxDataStorage::AppendRecord() {
  FRecords.push_back(nullptr);
  return RecordCount() - 1;
}

void TcxDataStorage::InsertRecord(Integer AIndex) {
  if (AIndex < 0 || AIndex > RecordCount()) listIndexError(AIndex);
  FRecords.insert(FRecords.begin() + AIndex, nullptr);
}

void TcxDataStorage::DeleteRecord(Integer AIndex) {
  if (AIndex < 0) {
    DeleteInternalRecord(AIndex);
    return;
  }
  freeRecordBuffer(bufferSlot(AIndex), FValueDefs);
  FRecords.erase(FRecords.begin() + AIndex);
}

Integer TcxDataStorage::AddInternalRecord() {
  size_t i = 0;
  while (i < FInternalRecords.size() && FInternalRecords[i] && (FInternalRecords[i][0] & kInternalRecordInUse)) ++i;
  if (i == FInternalRecords.size()) FInternalRecords.push_back(nullptr);
  Integer index = -static_cast<Integer>(i) - 1;
  needBuffer(index)[0] |= kInternalRecordInUse;
  return index;
}

void TcxDataStorage::DeleteInternalRecord(Integer AIndex) {
  if (AIndex >= 0) listIndexError(AIndex);
  freeRecordBuffer(bufferSlot(AIndex), FInternalValueDefs);
}

TcxValueDef* TcxDataStorage::ValueDefFor(Integer ARecordIndex, TcxValueDef* AValueDef) {
  TcxValueDefs* owner = AValueDef ? AValueDef->ValueDefs() : nullptr;
  if (!owner || owner->DataStorage() != this)
    throw EInvalidOperation("The value definition does not belong to this storage");
  if (ARecordIndex < 0) {
    if (owner == FValueDefs) return AValueDef->FInternalMirror;
  } else if (owner == FInternalValueDefs) {
    return static_cast<TcxInternalValueDef*>(AValueDef)->MainValueDef();
  }
  return AValueDef;
}

void TcxDataStorage::GetValue(Integer ARecordIndex, TcxValueDef* AValueDef, Variant& V) {
  TcxValueDef* def = ValueDefFor(ARecordIndex, AValueDef);
  Byte* b = buffer(ARecordIndex);
  if (b && def) {
    def->GetValue(b, V);
  } else {
    V = Null();
  }
}

Variant TcxDataStorage::GetValue(Integer ARecordIndex, TcxValueDef* AValueDef) {
  Variant v;
  GetValue(ARecordIndex, AValueDef, v);
  return v;
}

void TcxDataStorage::SetValue(Integer ARecordIndex, TcxValueDef* AValueDef, const Variant& V) {
  TcxValueDef* def = ValueDefFor(ARecordIndex, AValueDef);
  bufferSlot(ARecordIndex);  // the index check comes first
  if (!def || !def->HasSlot()) return;
  def->SetValue(needBuffer(ARecordIndex), V);
}

void TcxDataStorage::GetDisplayText(Integer ARecordIndex, TcxValueDef* AValueDef, std::string& S) {
  TcxValueDef* def = ValueDefFor(ARecordIndex, AValueDef);
  Byte* b = buffer(ARecordIndex);
  if (b && def) {
    def->GetDisplayText(b, S);
  } else {
    S.clear();
  }
}

std::string TcxDataStorage::GetDisplayText(Integer ARecordIndex, TcxValueDef* AValueDef) {
  std::string s;
  GetDisplayText(ARecordIndex, AValueDef, s);
  return s;
}

void TcxDataStorage::SetDisplayText(Integer ARecordIndex, TcxValueDef* AValueDef, const std::string& S) {
  TcxValueDef* def = ValueDefFor(ARecordIndex, AValueDef);
  bufferSlot(ARecordIndex);
  if (!def || !def->HasTextSlot()) return;
  def->SetDisplayText(needBuffer(ARecordIndex), S);
}

void TcxDataStorage::ReadRecord(Integer ARecordIndex, TcxValueDefReader* AReader, bool ASkipInternalFields) {
  TcxValueDefs* defs = GetValueDefsByRecordIndex(ARecordIndex);
  bufferSlot(ARecordIndex);
  for (Integer i = 0; i < defs->Count(); ++i) {
    TcxValueDef* def = defs->Items(i);
    if (ASkipInternalFields && AReader->IsInternal(def)) continue;
    Variant v;
    AReader->GetValue(def, v);
    SetValue(ARecordIndex, def, v);
    if (def->IsTextStored()) {
      std::string s;
      AReader->GetDisplayText(def, s);
      SetDisplayText(ARecordIndex, def, s);
    }
  }
}

void TcxDataStorage::ForEachValueDef(Integer ARecordIndex, const TcxValueDefProc& AProc) {
  TcxValueDefs* defs = GetValueDefsByRecordIndex(ARecordIndex);
  for (Integer i = 0; i < defs->Count(); ++i) AProc(ARecordIndex, defs->Items(i));
}

Integer TcxDataStorage::CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2, TcxValueDef* AValueDef) {
  Byte* b1 = buffer(ARecordIndex1);
  Byte* b2 = buffer(ARecordIndex2);
  if (!b1 || !b2) return b1 == b2 ? 0 : (b1 ? 1 : -1);
  // Each record is read with the column of its own set: an internal record and an
  // ordinary one have different layouts.
  TcxValueDef* def1 = ValueDefFor(ARecordIndex1, AValueDef);
  TcxValueDef* def2 = ValueDefFor(ARecordIndex2, AValueDef);
  if (def1 == def2) return def1->CompareBuffers(b1, b2);
  bool null1 = def1->IsNullIn(b1);
  bool null2 = def2->IsNullIn(b2);
  return def1->CompareValues(null1, null2, null1 ? nullptr : def1->ValuePointerIn(b1),
                             null2 ? nullptr : def2->ValuePointerIn(b2));
}

bool TcxDataStorage::GetValuePointer(Integer ARecordIndex, TcxValueDef* AValueDef, const void*& APtr) {
  TcxValueDef* def = ValueDefFor(ARecordIndex, AValueDef);
  Byte* b = buffer(ARecordIndex);
  if (!b || !def || def->IsNullIn(b)) return true;
  APtr = def->ValuePointerIn(b);
  return false;
}

void TcxDataStorage::ClearInternalRecords() {
  for (Byte*& buffer : FInternalRecords) freeRecordBuffer(buffer, FInternalValueDefs);
  FInternalRecords.clear();
  if (FOnClearInternalRecords) FOnClearInternalRecords(this);
}

void TcxDataStorage::Clear(bool AKeepInternal) {
  if (!AKeepInternal) ClearInternalRecords();
  ClearRecords(true);
}

void TcxDataStorage::ClearRecords(bool AClearList) {
  for (Byte*& buffer : FRecords) freeRecordBuffer(buffer, FValueDefs);
  if (AClearList) FRecords.clear();
}

void TcxDataStorage::SetStoredValuesOnly(bool AValue) {
  if (FStoredValuesOnly == AValue) return;
  ClearRecords(false);
  FStoredValuesOnly = AValue;
  InitStructure(FValueDefs);
}

// ---------------------------------------------------------------------------------------
// TcxLookupList

void TcxLookupList::Clear() { FItems.clear(); }

bool TcxLookupList::Find(const Variant& AKeyValue, Integer& AIndex) {
  Integer lo = 0;
  Integer hi = Count() - 1;
  while (lo <= hi) {
    Integer mid = lo + (hi - lo) / 2;
    Integer c = cxCompareVariants(FItems[static_cast<size_t>(mid)].KeyValue, AKeyValue);
    if (c < 0) {
      lo = mid + 1;
    } else if (c > 0) {
      hi = mid - 1;
    } else {
      AIndex = mid;
      return true;
    }
  }
  AIndex = lo;
  return false;
}

void TcxLookupList::Insert(Integer AIndex, const Variant& AKeyValue, const std::string& ADisplayText) {
  if (AIndex < 0 || AIndex > Count()) listIndexError(AIndex);
  FItems.insert(FItems.begin() + AIndex, TcxLookupListItem{AKeyValue, ADisplayText});
}

const TcxLookupListItem& TcxLookupList::Items(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) listIndexError(AIndex);
  return FItems[static_cast<size_t>(AIndex)];
}

// ---------------------------------------------------------------------------------------
// TcxValueTypeClassList

void TcxValueTypeClassList::Register(TcxValueTypeClass AClass) {
  if (AClass && std::find(FItems.begin(), FItems.end(), AClass) == FItems.end()) FItems.push_back(AClass);
}

void TcxValueTypeClassList::Unregister(TcxValueTypeClass AClass) {
  auto it = std::find(FItems.begin(), FItems.end(), AClass);
  if (it != FItems.end()) FItems.erase(it);
}

TcxValueTypeClass TcxValueTypeClassList::Items(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) listIndexError(AIndex);
  return FItems[static_cast<size_t>(AIndex)];
}

namespace {
TcxValueTypeClassList* gValueTypeClassList = nullptr;

std::vector<TcxValueTypeClass> registeredValueTypes() {
  return {TcxStringValueType::Instance(),   TcxWideStringValueType::Instance(), TcxSmallintValueType::Instance(),
          TcxIntegerValueType::Instance(),  TcxWordValueType::Instance(),       TcxBooleanValueType::Instance(),
          TcxFloatValueType::Instance(),    TcxCurrencyValueType::Instance(),   TcxDateTimeValueType::Instance(),
          TcxLargeIntValueType::Instance(), TcxFMTBcdValueType::Instance(),     TcxSQLTimeStampValueType::Instance(),
          TcxVariantValueType::Instance(),  TcxObjectValueType::Instance()};
}
}  // namespace

TcxValueTypeClassList* cxValueTypeClassList() {
  if (!gValueTypeClassList) gValueTypeClassList = New<TcxValueTypeClassList>();
  return gValueTypeClassList;
}

namespace cxDataStorageUnit {
void Initialize() {
  for (TcxValueTypeClass c : registeredValueTypes()) cxValueTypeClassList()->Register(c);
}

void Finalize() {
  if (!gValueTypeClassList) return;
  std::vector<TcxValueTypeClass> types = registeredValueTypes();
  for (auto it = types.rbegin(); it != types.rend(); ++it) gValueTypeClassList->Unregister(*it);
  FreeAndNil(gValueTypeClassList);
}
}  // namespace cxDataStorageUnit
