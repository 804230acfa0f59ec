#include "platform/rtl/Variants.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>

#include "platform/rtl/SysUtils.h"

RTL_IMPLEMENT_CLASS(EVariantTypeCastError)
RTL_IMPLEMENT_CLASS(EVariantOverflowError)
RTL_IMPLEMENT_CLASS(EVariantInvalidOpError)
RTL_IMPLEMENT_CLASS(EVariantInvalidArgError)
RTL_IMPLEMENT_CLASS(EVariantBadIndexError)
RTL_IMPLEMENT_CLASS(EVariantNotAnArrayError)
RTL_IMPLEMENT_CLASS(EVariantArrayCreateError)
RTL_IMPLEMENT_CLASS(TCustomVariantType)

// ---------------------------------------------------------------------------------------
// Array storage. Elements are kept with the first index varying fastest (as OLE's safe
// arrays do), so that changing the last dimension only cuts or extends the tail.
namespace variants_detail {
struct ArrayData {
  TVarType elemType = varVariant;
  std::vector<Integer> low;
  std::vector<Integer> count;
  std::vector<Variant> items;

  size_t offset(const Integer* idx, size_t n) const {
    if (n != low.size()) throw EVariantBadIndexError("Variant or safe array index out of bounds");
    size_t off = 0, stride = 1;
    for (size_t k = 0; k < n; ++k) {
      Int64 rel = Int64(idx[k]) - low[k];
      if (rel < 0 || rel >= count[k]) throw EVariantBadIndexError("Variant or safe array index out of bounds");
      off += size_t(rel) * stride;
      stride *= size_t(count[k]);
    }
    return off;
  }
  size_t offset(const std::vector<Integer>& idx) const { return offset(idx.data(), idx.size()); }

  static ArrayData* of(const Variant& v) { return v.arr_.get(); }
  static ArrayData& checked(const Variant& v) {
    if (!v.arr_) throw EVariantNotAnArrayError("Variant is not an array");
    return *v.arr_;
  }
  static void install(Variant& v, std::unique_ptr<ArrayData> d) {
    v.Clear();
    v.vt_ = varArray | d->elemType;
    v.arr_ = std::move(d);
  }
};
}  // namespace variants_detail

using variants_detail::ArrayData;

namespace {

// ---------------------------------------------------------------------------------------
// Errors.
[[noreturn]] void castError(TVarType from, TVarType to) {
  throw EVariantTypeCastError("Could not convert variant of type (" + VarTypeAsText(from) + ") into type (" +
                              VarTypeAsText(to) + ")");
}
[[noreturn]] void overflowError(TVarType from, TVarType to) {
  throw EVariantOverflowError("Arithmetic overflow converting variant of type (" + VarTypeAsText(from) +
                              ") into type (" + VarTypeAsText(to) + ")");
}
[[noreturn]] void invalidOp() { throw EVariantInvalidOpError("Invalid variant operation"); }
[[noreturn]] void arrayCreateError() { throw EVariantArrayCreateError("Error creating variant or safe array"); }

// ---------------------------------------------------------------------------------------
// Custom kinds: a table indexed by code - varFirstCustom. A slot is emptied (never reused)
// when its kind is destroyed, so a stale code can never name another kind.
std::vector<TCustomVariantType*>& customTypes() {
  static std::vector<TCustomVariantType*> types;
  return types;
}

TCustomVariantType* customOf(TVarType vt) {
  if (vt < varFirstCustom || (vt & ~varTypeMask)) return nullptr;
  auto& types = customTypes();
  size_t i = vt - varFirstCustom;
  return i < types.size() ? types[i] : nullptr;
}

// ---------------------------------------------------------------------------------------
// Kind families.
bool isIntKind(TVarType vt) {
  switch (vt) {
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varLongWord:
    case varInt64:
      return true;
    default:
      return false;
  }
}
bool isStrKind(TVarType vt) { return vt == varOleStr || vt == varString; }
bool isFloatKind(TVarType vt) { return vt == varSingle || vt == varDouble || vt == varCurrency; }
// Integer kinds whose arithmetic is done in 32 bits (before widening on overflow).
bool isSmallOrdinal(TVarType vt) {
  switch (vt) {
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varBoolean:
    case varEmpty:
      return true;
    default:
      return false;
  }
}
bool isNumericOrDate(TVarType vt) { return isIntKind(vt) || isFloatKind(vt) || vt == varBoolean || vt == varDate; }

bool rangeOf(TVarType vt, Int64& lo, Int64& hi) {
  switch (vt) {
    case varSmallint: lo = INT16_MIN; hi = INT16_MAX; return true;
    case varInteger: lo = INT32_MIN; hi = INT32_MAX; return true;
    case varShortInt: lo = INT8_MIN; hi = INT8_MAX; return true;
    case varByte: lo = 0; hi = UINT8_MAX; return true;
    case varWord: lo = 0; hi = UINT16_MAX; return true;
    case varLongWord: lo = 0; hi = UINT32_MAX; return true;
    case varInt64: lo = INT64_MIN; hi = INT64_MAX; return true;
    case varError: lo = INT32_MIN; hi = INT32_MAX; return true;
    default: return false;
  }
}

// ---------------------------------------------------------------------------------------
// Text <-> value, through the format settings of SysUtils.
bool textToInt64(const std::string& s, Int64& out) { return TryStrToInt64(s, out); }
bool textToFloat(const std::string& s, long double& out) {
  Extended e = 0;
  if (!TryStrToFloat(s, e)) return false;
  out = e;
  return true;
}
bool sameText(const std::string& a, const std::string& b) { return SameText(a, b); }

// Rounds half to even (the conversion of a floating value to an integer kind), checking
// the target's range.
Int64 roundToInt64(long double x, TVarType from, TVarType to) {
  if (std::isnan(x)) overflowError(from, to);
  long double r = std::nearbyintl(x);
  if (r < -9223372036854775808.0L || r >= 9223372036854775808.0L) overflowError(from, to);
  return static_cast<Int64>(r);
}

Int64 toInt64(const Variant& v, TVarType to);
long double toFloat(const Variant& v, TVarType to);

Variant viaCustom(const Variant& v, TVarType to) {
  TCustomVariantType* t = customOf(v.VType());
  Variant dest;
  t->CastTo(dest, v, to);
  return dest;
}

Int64 toInt64Unchecked(const Variant& v, TVarType to) {
  TVarType vt = v.VType();
  if (isIntKind(vt) || vt == varBoolean) return v.RawOrdinal();
  switch (vt) {
    case varEmpty: return 0;
    case varSingle: case varDouble: case varDate: return roundToInt64(v.RawDouble(), vt, to);
    case varCurrency: return roundToInt64(static_cast<long double>(v.RawOrdinal()) / 10000.0L, vt, to);
    case varOleStr: case varString: {
      Int64 i = 0;
      if (textToInt64(v.RawString(), i)) return i;
      long double f = 0;
      if (textToFloat(v.RawString(), f)) return roundToInt64(f, vt, to);
      castError(vt, to);
    }
    default:
      if (customOf(vt)) return toInt64(viaCustom(v, to), to);
      castError(vt, to);
  }
}

Int64 toInt64(const Variant& v, TVarType to) {
  Int64 i = toInt64Unchecked(v, to);
  Int64 lo, hi;
  if (rangeOf(to, lo, hi) && (i < lo || i > hi)) overflowError(v.VType(), to);
  return i;
}

long double toFloat(const Variant& v, TVarType to) {
  TVarType vt = v.VType();
  if (isIntKind(vt) || vt == varBoolean) return static_cast<long double>(v.RawOrdinal());
  switch (vt) {
    case varEmpty: return 0;
    case varSingle: case varDouble: case varDate: return v.RawDouble();
    case varCurrency: return Currency::FromScaled(v.RawOrdinal()).ToExtended();
    case varOleStr: case varString: {
      long double f = 0;
      if (textToFloat(v.RawString(), f)) return f;
      castError(vt, to);
    }
    default:
      if (customOf(vt)) return toFloat(viaCustom(v, to), to);
      castError(vt, to);
  }
}

bool toBool(const Variant& v) {
  TVarType vt = v.VType();
  if (isIntKind(vt) || vt == varBoolean) return v.RawOrdinal() != 0;
  switch (vt) {
    case varEmpty: return false;
    case varSingle: case varDouble: case varDate: return v.RawDouble() != 0;
    case varCurrency: return v.RawOrdinal() != 0;
    case varOleStr: case varString: {
      const std::string& s = v.RawString();
      if (sameText(s, "True")) return true;
      if (sameText(s, "False")) return false;
      long double f = 0;
      if (textToFloat(s, f)) return f != 0;
      castError(vt, varBoolean);
    }
    default:
      if (customOf(vt)) return toBool(viaCustom(v, varBoolean));
      castError(vt, varBoolean);
  }
}

Currency toCurrency(const Variant& v) {
  TVarType vt = v.VType();
  if (vt == varCurrency) return Currency::FromScaled(v.RawOrdinal());
  if (isIntKind(vt) || vt == varBoolean) {
    Int64 i = v.RawOrdinal();
    constexpr Int64 limit = INT64_MAX / 10000;
    if (i > limit || i < -limit) overflowError(vt, varCurrency);
    return Currency::FromInt(i);
  }
  if (customOf(vt)) return toCurrency(viaCustom(v, varCurrency));
  long double f = toFloat(v, varCurrency);
  try {
    return Currency::FromDouble(f);
  } catch (const EInvalidOp&) {
    overflowError(vt, varCurrency);
  }
}

TDateTime toDate(const Variant& v) {
  TVarType vt = v.VType();
  if (isStrKind(vt)) {
    // Text that is a plain number is a count of days; anything else is read as a date
    // and/or time (a lone "1" would otherwise read as the time 01:00).
    long double f = 0;
    if (textToFloat(v.RawString(), f)) return static_cast<double>(f);
    TDateTime d = 0;
    if (TryStrToDateTime(v.RawString(), d)) return d;
    castError(vt, varDate);
  }
  if (customOf(vt)) return toDate(viaCustom(v, varDate));
  return static_cast<double>(toFloat(v, varDate));
}

std::string currencyText(Currency c) { return CurrToStr(c); }

std::string toText(const Variant& v, TVarType to) {
  TVarType vt = v.VType();
  if (isIntKind(vt)) return IntToStr(v.RawOrdinal());
  switch (vt) {
    case varEmpty: return "";
    case varBoolean: return v.RawOrdinal() ? "True" : "False";
    case varSingle: case varDouble: return FloatToStr(v.RawDouble());
    case varCurrency: return currencyText(Currency::FromScaled(v.RawOrdinal()));
    case varDate: return DateTimeToStr(v.RawDouble());
    case varOleStr: case varString: return v.RawString();
    default:
      if (customOf(vt)) return toText(viaCustom(v, to), to);
      castError(vt, to);
  }
}

Variant zeroOf(TVarType elemType) {
  if (elemType == varVariant) return Variant();
  return VarAsType(Variant(0), elemType);
}

bool validElemType(TVarType t) {
  switch (t) {
    case varSmallint: case varInteger: case varSingle: case varDouble: case varCurrency: case varDate:
    case varOleStr: case varDispatch: case varError: case varBoolean: case varVariant: case varUnknown:
    case varShortInt: case varByte: case varWord: case varLongWord: case varInt64: case varString:
      return true;
    default:
      return false;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Construction, copy, destruction.

Variant::Variant() = default;
Variant::Variant(const Variant& other) { assignFrom(other); }
Variant::Variant(Variant&& other) noexcept { moveFrom(other); }
Variant& Variant::operator=(const Variant& other) {
  if (this != &other) {
    Variant copy(other);  // other may live inside this (an element of this array)
    Clear();
    moveFrom(copy);
  }
  return *this;
}
Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    Variant tmp(std::move(other));
    Clear();
    moveFrom(tmp);
  }
  return *this;
}
Variant::~Variant() { Clear(); }

void Variant::assignFrom(const Variant& other) {
  vt_ = other.vt_;
  u_ = other.u_;
  str_ = other.str_;
  if (other.arr_) arr_ = std::make_unique<ArrayData>(*other.arr_);
  custom_ = other.custom_;
  if ((vt_ == varUnknown || vt_ == varDispatch) && u_.unk) u_.unk->AddRef();
}

void Variant::moveFrom(Variant& other) noexcept {
  vt_ = other.vt_;
  u_ = other.u_;
  str_ = std::move(other.str_);
  arr_ = std::move(other.arr_);
  custom_ = std::move(other.custom_);
  other.vt_ = varEmpty;
  other.u_.i = 0;
  other.str_.clear();
}

void Variant::Clear() {
  if ((vt_ == varUnknown || vt_ == varDispatch) && u_.unk) u_.unk->Release();
  vt_ = varEmpty;
  u_.i = 0;
  str_.clear();
  arr_.reset();
  custom_.reset();
}

Variant::Variant(bool v) { setInt(varBoolean, v ? -1 : 0); }
Variant::Variant(char v) : vt_(varString), str_(1, v) {}
Variant::Variant(signed char v) { setInt(varShortInt, v); }
Variant::Variant(unsigned char v) { setInt(varByte, v); }
Variant::Variant(short v) { setInt(varSmallint, v); }
Variant::Variant(unsigned short v) { setInt(varWord, v); }
Variant::Variant(int v) { setInt(varInteger, v); }
Variant::Variant(unsigned int v) { setInt(varLongWord, v); }
Variant::Variant(long v) { setInt(varInt64, v); }
Variant::Variant(unsigned long v) {
  if (v <= static_cast<unsigned long>(INT64_MAX)) {
    setInt(varInt64, static_cast<Int64>(v));
  } else {
    vt_ = varDouble;
    u_.d = static_cast<double>(v);
  }
}
Variant::Variant(long long v) { setInt(varInt64, v); }
Variant::Variant(unsigned long long v) : Variant(static_cast<unsigned long>(v)) {}
Variant::Variant(float v) : vt_(varSingle) { u_.f = v; }
Variant::Variant(double v) : vt_(varDouble) { u_.d = v; }
Variant::Variant(long double v) : vt_(varDouble) { u_.d = static_cast<double>(v); }
Variant::Variant(Currency v) { setInt(varCurrency, v.Value); }
Variant::Variant(const char* v) : vt_(varString), str_(v ? v : "") {}
Variant::Variant(const std::string& v) : vt_(varString), str_(v) {}
Variant::Variant(std::string&& v) : vt_(varString), str_(std::move(v)) {}
Variant::Variant(IUnknown* v) : vt_(varUnknown) {
  u_.unk = v;
  if (v) v->AddRef();
}
Variant::Variant(IDispatch* v) : vt_(varDispatch) {
  u_.unk = v;
  if (v) v->AddRef();
}

Variant Variant::MakeNull() {
  Variant v;
  v.vt_ = varNull;
  return v;
}
Variant Variant::MakeDate(TDateTime d) {
  Variant v;
  v.vt_ = varDate;
  v.u_.d = d;
  return v;
}
Variant Variant::MakeOleStr(std::string s) {
  Variant v(std::move(s));
  v.vt_ = varOleStr;
  return v;
}
Variant Variant::MakeError(Integer code) {
  Variant v;
  v.setInt(varError, code);
  return v;
}
Integer Variant::ErrorCode() const {
  if (vt_ != varError) castError(VType(), varError);
  return static_cast<Integer>(u_.i);
}

Variant Variant::MakeCustom(TVarType code, std::shared_ptr<const TVarPayload> payload) {
  if (!customOf(code)) throw EVariantInvalidArgError("Invalid argument");
  Variant v;
  v.vt_ = code;
  v.custom_ = std::move(payload);
  return v;
}

TVarType Variant::VType() const { return vt_; }

Variant Null() { return Variant::MakeNull(); }
Variant Unassigned() { return Variant(); }
Variant VarFromDateTime(TDateTime d) { return Variant::MakeDate(d); }

// ---------------------------------------------------------------------------------------
// Conversions.

Integer Variant::AsInteger() const { return static_cast<Integer>(toInt64(*this, varInteger)); }
Int64 Variant::AsInt64() const { return toInt64(*this, varInt64); }
Cardinal Variant::AsCardinal() const { return static_cast<Cardinal>(toInt64(*this, varLongWord)); }
double Variant::AsDouble() const {
  long double f = toFloat(*this, varDouble);
  if (std::isfinite(f) && std::fabs(f) > DBL_MAX) overflowError(vt_, varDouble);
  return static_cast<double>(f);
}
Extended Variant::AsExtended() const { return toFloat(*this, varDouble); }
bool Variant::AsBoolean() const { return toBool(*this); }
std::string Variant::AsString() const { return toText(*this, varString); }
Currency Variant::AsCurrency() const { return toCurrency(*this); }
TDateTime Variant::AsDateTime() const { return toDate(*this); }
IUnknown* Variant::AsUnknown() const {
  if (vt_ == varEmpty) return nullptr;
  if (vt_ == varUnknown || vt_ == varDispatch) return u_.unk;
  castError(VType(), varUnknown);
}

Variant::operator signed char() const { return static_cast<signed char>(toInt64(*this, varShortInt)); }
Variant::operator unsigned char() const { return static_cast<unsigned char>(toInt64(*this, varByte)); }
Variant::operator short() const { return static_cast<short>(toInt64(*this, varSmallint)); }
Variant::operator unsigned short() const { return static_cast<unsigned short>(toInt64(*this, varWord)); }
Variant::operator float() const { return VarAsType(*this, varSingle).u_.f; }

Variant VarAsType(const Variant& v, TVarType type) {
  if (type & varByRef) throw EVariantInvalidArgError("Invalid argument");
  TVarType vt = v.VType();
  if (type & varArray) {
    TVarType elem = type & varTypeMask;
    if (!v.IsArray()) castError(vt, type);
    if ((vt & varTypeMask) == elem) return v;
    if (!validElemType(elem)) castError(vt, type);
    auto data = std::make_unique<ArrayData>(*ArrayData::of(v));
    data->elemType = elem;
    if (elem != varVariant)
      for (Variant& item : data->items) item = VarAsType(item, elem);
    Variant r;
    ArrayData::install(r, std::move(data));
    return r;
  }
  if (vt == type) return v;
  if (v.IsArray()) castError(vt, type);
  if (TCustomVariantType* t = customOf(type)) {
    Variant dest;
    t->Cast(dest, v);
    return dest;
  }
  if (customOf(vt)) return viaCustom(v, type);
  if (vt == varNull && type != varEmpty && type != varVariant) castError(vt, type);
  switch (type) {
    case varEmpty: return Variant();
    case varNull: return Null();
    case varVariant: return v;
    case varSmallint: return Variant(static_cast<short>(toInt64(v, type)));
    case varInteger: return Variant(static_cast<int>(toInt64(v, type)));
    case varShortInt: return Variant(static_cast<signed char>(toInt64(v, type)));
    case varByte: return Variant(static_cast<unsigned char>(toInt64(v, type)));
    case varWord: return Variant(static_cast<unsigned short>(toInt64(v, type)));
    case varLongWord: return Variant(static_cast<unsigned int>(toInt64(v, type)));
    case varInt64: return Variant(static_cast<long>(toInt64(v, type)));
    case varSingle: {
      long double f = toFloat(v, type);
      if (std::isfinite(f) && std::fabs(f) > FLT_MAX) overflowError(vt, type);
      return Variant(static_cast<float>(f));
    }
    case varDouble: return Variant(v.AsDouble());
    case varCurrency: return Variant(toCurrency(v));
    case varDate: return Variant::MakeDate(toDate(v));
    case varString: return Variant(toText(v, type));
    case varOleStr: return Variant::MakeOleStr(toText(v, type));
    case varBoolean: return Variant(toBool(v));
    case varError:
      if (isIntKind(vt)) return Variant::MakeError(static_cast<Integer>(toInt64(v, varError)));
      castError(vt, type);
    case varUnknown:
      if (vt == varDispatch) return Variant(v.AsUnknown());
      castError(vt, type);
    case varDispatch:
      if (vt == varUnknown && v.AsUnknown()) {
        void* p = nullptr;
        if (SUCCEEDED(v.AsUnknown()->QueryInterface(IID_IDispatch, &p)) && p) {
          Variant r(static_cast<IDispatch*>(p));
          static_cast<IDispatch*>(p)->Release();
          return r;
        }
      }
      castError(vt, type);
    default:
      castError(vt, type);
  }
}

std::string VarTypeAsText(TVarType type) {
  if (type & varArray) return "Array " + VarTypeAsText(type & varTypeMask);
  if (type & varByRef) return "ByRef " + VarTypeAsText(type & ~varByRef);
  switch (type) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varSmallint: return "Smallint";
    case varInteger: return "Integer";
    case varSingle: return "Single";
    case varDouble: return "Double";
    case varCurrency: return "Currency";
    case varDate: return "Date";
    case varOleStr: return "OleStr";
    case varDispatch: return "Dispatch";
    case varError: return "Error";
    case varBoolean: return "Boolean";
    case varVariant: return "Variant";
    case varUnknown: return "Unknown";
    case varShortInt: return "ShortInt";
    case varByte: return "Byte";
    case varWord: return "Word";
    case varLongWord: return "LongWord";
    case varInt64: return "Int64";
    case varString: return "String";
    case varAny: return "Any";
    default:
      if (TCustomVariantType* t = customOf(type)) return t->TypeName();
      char buf[16];
      snprintf(buf, sizeof buf, "$%.4X", unsigned(type));
      return buf;
  }
}

std::string VarToStr(const Variant& v) { return v.IsNull() ? std::string() : v.AsString(); }
std::string VarToStrDef(const Variant& v, const std::string& def) { return v.IsNull() ? def : v.AsString(); }
TDateTime VarToDateTime(const Variant& v) { return v.AsDateTime(); }
void VarClear(Variant& v) { v.Clear(); }
void VarCopy(Variant& dest, const Variant& source) { dest = source; }

bool VarSupports(const Variant& v, const GUID& iid, void** intf) {
  if (intf) *intf = nullptr;
  if (v.VType() != varUnknown && v.VType() != varDispatch) return false;
  IUnknown* unk = v.AsUnknown();
  void* p = nullptr;
  if (!unk || FAILED(unk->QueryInterface(iid, &p)) || !p) return false;
  if (intf) *intf = p;
  else static_cast<IUnknown*>(p)->Release();
  return true;
}

TVarType VarType(const Variant& v) { return v.VType(); }
bool VarIsNull(const Variant& v) { return v.IsNull(); }
bool VarIsEmpty(const Variant& v) { return v.IsEmpty(); }
bool VarIsClear(const Variant& v) {
  TVarType vt = v.VType();
  if (vt == varEmpty) return true;
  if (vt == varUnknown || vt == varDispatch) return v.AsUnknown() == nullptr;
  if (TCustomVariantType* t = customOf(vt)) return t->IsClear(v);
  return false;
}
bool VarIsArray(const Variant& v) { return v.IsArray(); }
bool VarIsOrdinal(const Variant& v) { return isIntKind(v.VType()) || v.VType() == varBoolean; }
bool VarIsFloat(const Variant& v) { return isFloatKind(v.VType()); }
bool VarIsNumeric(const Variant& v) { return VarIsOrdinal(v) || VarIsFloat(v); }
bool VarIsStr(const Variant& v) { return isStrKind(v.VType()); }
bool VarIsCustom(const Variant& v) { return customOf(v.VType()) != nullptr; }
bool VarIsType(const Variant& v, TVarType type) { return v.VType() == type; }
bool VarIsType(const Variant& v, std::initializer_list<TVarType> types) {
  return std::find(types.begin(), types.end(), v.VType()) != types.end();
}

// ---------------------------------------------------------------------------------------
// Arithmetic.

namespace {

// Integer arithmetic in 32 bits widening to Int64, or in 64 bits widening to Double, on
// overflow.
Variant intArith(Int64 a, Int64 b, TVarOp op, bool wide) {
  Int64 r = 0;
  bool overflow = false;
  switch (op) {
    case opAdd: overflow = __builtin_add_overflow(a, b, &r); break;
    case opSubtract: overflow = __builtin_sub_overflow(a, b, &r); break;
    case opMultiply: overflow = __builtin_mul_overflow(a, b, &r); break;
    default: invalidOp();
  }
  if (overflow) {
    long double x = a, y = b;
    return Variant(static_cast<double>(op == opAdd ? x + y : op == opSubtract ? x - y : x * y));
  }
  if (!wide && r >= INT32_MIN && r <= INT32_MAX) return Variant(static_cast<int>(r));
  return Variant(static_cast<long>(r));
}

Variant floatArith(long double a, long double b, TVarOp op) {
  switch (op) {
    case opAdd: return a + b;
    case opSubtract: return a - b;
    case opMultiply: return a * b;
    default: invalidOp();
  }
}

Variant currencyArith(const Variant& l, const Variant& r, TVarOp op) {
  Int64 a = toCurrency(l).Value, b = toCurrency(r).Value, res = 0;
  bool overflow = false;
  switch (op) {
    case opAdd: overflow = __builtin_add_overflow(a, b, &res); break;
    case opSubtract: overflow = __builtin_sub_overflow(a, b, &res); break;
    case opMultiply:
      if (l.VType() != varCurrency) overflow = __builtin_mul_overflow(l.RawOrdinal(), b, &res);
      else if (r.VType() != varCurrency) overflow = __builtin_mul_overflow(a, r.RawOrdinal(), &res);
      else {
        long double p = toFloat(l, varCurrency) * toFloat(r, varCurrency);
        try {
          return Variant(Currency::FromDouble(p));
        } catch (const EInvalidOp&) {
          return Variant(static_cast<double>(p));
        }
      }
      break;
    default: invalidOp();
  }
  if (overflow) return floatArith(toFloat(l, varDouble), toFloat(r, varDouble), op);
  return Variant(Currency::FromScaled(res));
}

// Integer value for div, mod and the bit operations (floats rounded, text parsed).
Int64 ordinalOperand(const Variant& v) { return toInt64(v, varInt64); }
// Operands of a 64-bit kind make div, mod and the bit operations work in Int64; any other
// operand (floats and text included) gives an Integer when the result fits one.
bool wideOperand(const Variant& v) { return v.VType() == varInt64 || v.VType() == varLongWord; }
Variant fitInt(Int64 r, bool wide) {
  if (!wide && r >= INT32_MIN && r <= INT32_MAX) return Variant(static_cast<int>(r));
  return Variant(static_cast<long>(r));
}

Variant standardBinary(const Variant& l0, const Variant& r0, TVarOp op);
Variant customBinary(const Variant& l, const Variant& r, TVarOp op);

// Text beside a value: what kind the text is read as for this operation.
Variant textOperand(const Variant& text, const Variant& other, TVarOp op) {
  TVarType o = other.VType();
  if (o == varDate) return Variant::MakeDate(toDate(text));
  if ((op == opAnd || op == opOr || op == opXor) && (o == varBoolean || isStrKind(o))) {
    const std::string& s = text.RawString();
    if (sameText(s, "True")) return Variant(true);
    if (sameText(s, "False")) return Variant(false);
    return fitInt(ordinalOperand(text), false);
  }
  if (op == opIntDivide || op == opModulus || op == opAnd || op == opOr || op == opXor || op == opShiftLeft ||
      op == opShiftRight)
    return fitInt(ordinalOperand(text), false);
  return Variant(static_cast<double>(toFloat(text, varDouble)));
}

Variant standardBinary(const Variant& l0, const Variant& r0, TVarOp op) {
  TVarType lt = l0.VType(), rt = r0.VType();
  if (lt == varNull || rt == varNull) return Null();
  if (customOf(lt) || customOf(rt)) return customBinary(l0, r0, op);
  auto usable = [](TVarType t) { return t == varEmpty || isStrKind(t) || isNumericOrDate(t); };
  if (!usable(lt) || !usable(rt)) invalidOp();

  // Two texts (or a text and Empty) concatenate.
  if (op == opAdd && (isStrKind(lt) || lt == varEmpty) && (isStrKind(rt) || rt == varEmpty) &&
      (isStrKind(lt) || isStrKind(rt))) {
    std::string s = l0.RawString() + r0.RawString();
    bool ole = (lt == varOleStr || lt == varEmpty) && (rt == varOleStr || rt == varEmpty);
    return ole ? Variant::MakeOleStr(std::move(s)) : Variant(std::move(s));
  }

  Variant l = l0, r = r0;
  if (isStrKind(lt) && isStrKind(rt)) {
    l = textOperand(l0, r0, op);
    r = textOperand(r0, l0, op);
  } else if (isStrKind(lt)) {
    l = textOperand(l0, r0, op);
  } else if (isStrKind(rt)) {
    r = textOperand(r0, l0, op);
  }
  lt = l.VType();
  rt = r.VType();

  switch (op) {
    case opAnd: case opOr: case opXor: {
      if (lt == varBoolean && rt == varBoolean) {
        bool a = l.RawOrdinal() != 0, b = r.RawOrdinal() != 0;
        return Variant(op == opAnd ? a && b : op == opOr ? a || b : a != b);
      }
      Int64 a = ordinalOperand(l), b = ordinalOperand(r);
      Int64 res = op == opAnd ? (a & b) : op == opOr ? (a | b) : (a ^ b);
      return fitInt(res, wideOperand(l) || wideOperand(r));
    }
    case opShiftLeft: case opShiftRight: {
      Int64 a = ordinalOperand(l), b = ordinalOperand(r);
      bool wide = wideOperand(l) || wideOperand(r);
      int bits = wide ? 64 : 32;
      if (b < 0 || b >= bits) return fitInt(0, wide);
      if (wide) {
        uint64_t ua = static_cast<uint64_t>(a);
        return fitInt(static_cast<Int64>(op == opShiftLeft ? ua << b : ua >> b), true);
      }
      uint32_t ua = static_cast<uint32_t>(a);
      return Variant(static_cast<int>(op == opShiftLeft ? ua << b : ua >> b));
    }
    case opIntDivide: case opModulus: {
      Int64 a = ordinalOperand(l), b = ordinalOperand(r);
      if (b == 0) throw EDivByZero("Division by zero");
      bool wide = wideOperand(l) || wideOperand(r);
      // x div -1 is the one quotient that can overflow: widen it as a negation does.
      if (b == -1) {
        if (op == opModulus) return fitInt(0, wide);
        if (a == INT64_MIN) return Variant(-static_cast<double>(a));
        return fitInt(-a, wide);
      }
      return fitInt(op == opIntDivide ? a / b : a % b, wide);
    }
    case opDivide:
      return Variant(static_cast<double>(CheckedDivide(toFloat(l, varDouble), toFloat(r, varDouble))));
    case opAdd: case opSubtract: case opMultiply: break;
    default: invalidOp();
  }

  // + - * on numbers and dates.
  if (lt == varDate || rt == varDate) {
    long double res = floatArith(toFloat(l, varDouble), toFloat(r, varDouble), op).AsExtended();
    // A date less a date is a number of days; a date moved by a number is a date.
    bool isDate = op == opAdd || (op == opSubtract && !(lt == varDate && rt == varDate));
    return isDate ? VarFromDateTime(static_cast<double>(res)) : Variant(static_cast<double>(res));
  }
  if (lt == varDouble || rt == varDouble || lt == varSingle || rt == varSingle) {
    long double res = floatArith(toFloat(l, varDouble), toFloat(r, varDouble), op).AsExtended();
    if (lt == varSingle && rt == varSingle) return Variant(static_cast<float>(res));
    return Variant(static_cast<double>(res));
  }
  if (lt == varCurrency || rt == varCurrency) return currencyArith(l, r, op);
  return intArith(ordinalOperand(l), ordinalOperand(r), op, wideOperand(l) || wideOperand(r));
}

// Brings an operation with a custom kind to either two values of that kind (done by its
// handler) or two standard values (done by the standard rules).
template <class Same, class Standard>
auto withCustom(const Variant& l, const Variant& r, TVarOp op, Same same, Standard standard) {
  TCustomVariantType* L = customOf(l.VType());
  TCustomVariantType* R = customOf(r.VType());
  TVarType req = 0;
  if (L) {
    if (l.VType() == r.VType()) return same(L, l, r);
    if (!L->RightPromotion(r, op, req)) invalidOp();
    Variant r2 = VarAsType(r, req);
    if (r2.VType() == l.VType()) return same(L, l, r2);
    return standard(VarAsType(l, r2.VType()), r2);
  }
  if (!R->LeftPromotion(l, op, req)) invalidOp();
  Variant l2 = VarAsType(l, req);
  if (l2.VType() == r.VType()) return same(R, l2, r);
  return standard(l2, VarAsType(r, l2.VType()));
}

Variant customBinary(const Variant& l, const Variant& r, TVarOp op) {
  return withCustom(
      l, r, op,
      [op](TCustomVariantType* t, const Variant& a, const Variant& b) {
        Variant res = a;
        t->BinaryOp(res, b, op);
        return res;
      },
      [op](const Variant& a, const Variant& b) { return standardBinary(a, b, op); });
}

}  // namespace

Variant VarBinaryOp(const Variant& l, const Variant& r, TVarOp op) { return standardBinary(l, r, op); }

Variant VarUnaryOp(const Variant& v, TVarOp op) {
  TVarType vt = v.VType();
  if (vt == varNull) return Null();
  if (TCustomVariantType* t = customOf(vt)) {
    Variant res = v;
    t->UnaryOp(res, op);
    return res;
  }
  if (op == opNegate) {
    switch (vt) {
      case varSingle: return Variant(-v.RawDouble() == 0 ? 0.0f : static_cast<float>(-v.RawDouble()));
      case varDouble: return Variant(-v.RawDouble());
      case varDate: return VarFromDateTime(-v.RawDouble());
      case varCurrency:
        if (v.RawOrdinal() == INT64_MIN) return Variant(-toFloat(v, varDouble));
        return Variant(Currency::FromScaled(-v.RawOrdinal()));
      case varOleStr: case varString: return Variant(-v.AsDouble());
      default:
        if (vt == varEmpty || isIntKind(vt) || vt == varBoolean) return intArith(0, v.RawOrdinal(), opSubtract, !isSmallOrdinal(vt));
        invalidOp();
    }
  }
  if (op == opNot) {
    if (vt == varBoolean) return Variant(v.RawOrdinal() == 0);
    if (isStrKind(vt)) {
      if (sameText(v.RawString(), "True")) return Variant(false);
      if (sameText(v.RawString(), "False")) return Variant(true);
      return fitInt(~ordinalOperand(v), false);
    }
    if (vt == varEmpty || isNumericOrDate(vt)) return fitInt(~ordinalOperand(v), wideOperand(v));
    invalidOp();
  }
  invalidOp();
}

Variant operator+(const Variant& l, const Variant& r) { return VarBinaryOp(l, r, opAdd); }
Variant operator-(const Variant& l, const Variant& r) { return VarBinaryOp(l, r, opSubtract); }
Variant operator*(const Variant& l, const Variant& r) { return VarBinaryOp(l, r, opMultiply); }
Variant operator/(const Variant& l, const Variant& r) { return VarBinaryOp(l, r, opDivide); }
Variant operator%(const Variant& l, const Variant& r) { return VarBinaryOp(l, r, opModulus); }
Variant Div(const Variant& l, const Variant& r) { return VarBinaryOp(l, r, opIntDivide); }
Variant operator&(const Variant& l, const Variant& r) { return VarBinaryOp(l, r, opAnd); }
Variant operator|(const Variant& l, const Variant& r) { return VarBinaryOp(l, r, opOr); }
Variant operator^(const Variant& l, const Variant& r) { return VarBinaryOp(l, r, opXor); }
Variant operator-(const Variant& v) { return VarUnaryOp(v, opNegate); }
Variant operator~(const Variant& v) { return VarUnaryOp(v, opNot); }

Variant& Variant::operator+=(const Variant& r) { return *this = *this + r; }
Variant& Variant::operator-=(const Variant& r) { return *this = *this - r; }
Variant& Variant::operator*=(const Variant& r) { return *this = *this * r; }
Variant& Variant::operator/=(const Variant& r) { return *this = *this / r; }

// ---------------------------------------------------------------------------------------
// Comparison.

namespace {

int sign(long double a, long double b) { return a < b ? -1 : a > b ? 1 : 0; }

// Compares two values of which neither is Null: -1, 0 or 1.
int compareStandard(const Variant& l, const Variant& r, bool ordering) {
  TVarType lt = l.VType(), rt = r.VType();
  if (l.IsArray() || r.IsArray()) invalidOp();
  // Interfaces compare for identity only; Empty stands for a null interface.
  auto isIntf = [](TVarType t) { return t == varUnknown || t == varDispatch; };
  if ((isIntf(lt) || isIntf(rt)) && (isIntf(lt) || lt == varEmpty) && (isIntf(rt) || rt == varEmpty)) {
    if (ordering) invalidOp();
    return l.AsUnknown() == r.AsUnknown() ? 0 : 1;
  }
  if (lt == varError && rt == varError) return sign(l.RawOrdinal(), r.RawOrdinal());
  auto usable = [](TVarType t) { return t == varEmpty || isStrKind(t) || isNumericOrDate(t); };
  if (!usable(lt) || !usable(rt)) invalidOp();
  if (lt == varEmpty && rt == varEmpty) return 0;

  bool ls = isStrKind(lt), rs = isStrKind(rt);
  if ((ls || lt == varEmpty) && (rs || rt == varEmpty)) {
    int c = AnsiCompareStr(l.RawString(), r.RawString());
    return c < 0 ? -1 : c > 0 ? 1 : 0;
  }
  // Text beside a value is read as that value's kind: a boolean, a date, or a number.
  if (ls || rs) {
    const Variant& other = ls ? r : l;
    const Variant& text = ls ? l : r;
    Variant conv;
    if (other.VType() == varBoolean) conv = Variant(toBool(text));
    else if (other.VType() == varDate) conv = VarFromDateTime(toDate(text));
    else conv = Variant(static_cast<double>(toFloat(text, varDouble)));
    return ls ? compareStandard(conv, r, ordering) : compareStandard(l, conv, ordering);
  }
  // False before True.
  if (lt == varBoolean && rt == varBoolean) return sign(l.RawOrdinal() != 0, r.RawOrdinal() != 0);
  bool lord = lt == varEmpty || isIntKind(lt) || lt == varBoolean;
  bool rord = rt == varEmpty || isIntKind(rt) || rt == varBoolean;
  if (lord && rord) {
    Int64 a = l.RawOrdinal(), b = r.RawOrdinal();
    return a < b ? -1 : a > b ? 1 : 0;
  }
  if (lt == varCurrency && rt == varCurrency) {
    Int64 a = l.RawOrdinal(), b = r.RawOrdinal();
    return a < b ? -1 : a > b ? 1 : 0;
  }
  return sign(toFloat(l, varDouble), toFloat(r, varDouble));
}

bool relationHolds(int c, TVarOp op) {
  switch (op) {
    case opCmpEQ: return c == 0;
    case opCmpNE: return c != 0;
    case opCmpLT: return c < 0;
    case opCmpLE: return c <= 0;
    case opCmpGT: return c > 0;
    case opCmpGE: return c >= 0;
    default: invalidOp();
  }
}

bool compareOp(const Variant& l, const Variant& r, TVarOp op) {
  bool ln = l.IsNull(), rn = r.IsNull();
  if (ln || rn) {
    // Null equals only Null, and comes before every other value.
    int c = ln && rn ? 0 : ln ? -1 : 1;
    return relationHolds(c, op);
  }
  if (customOf(l.VType()) || customOf(r.VType())) {
    return withCustom(
        l, r, op, [op](TCustomVariantType* t, const Variant& a, const Variant& b) { return t->CompareOp(a, b, op); },
        [op](const Variant& a, const Variant& b) { return compareOp(a, b, op); });
  }
  bool ordering = op != opCmpEQ && op != opCmpNE;
  return relationHolds(compareStandard(l, r, ordering), op);
}

}  // namespace

bool operator==(const Variant& l, const Variant& r) { return compareOp(l, r, opCmpEQ); }
bool operator!=(const Variant& l, const Variant& r) { return compareOp(l, r, opCmpNE); }
bool operator<(const Variant& l, const Variant& r) { return compareOp(l, r, opCmpLT); }
bool operator<=(const Variant& l, const Variant& r) { return compareOp(l, r, opCmpLE); }
bool operator>(const Variant& l, const Variant& r) { return compareOp(l, r, opCmpGT); }
bool operator>=(const Variant& l, const Variant& r) { return compareOp(l, r, opCmpGE); }

bool VarSameValue(const Variant& a, const Variant& b) {
  if (a.IsEmpty()) return b.IsEmpty();
  if (a.IsNull()) return b.IsNull();
  if (b.IsEmpty() || b.IsNull()) return false;
  return a == b;
}

TVariantRelationship VarCompareValue(const Variant& a, const Variant& b) {
  if (a.IsEmpty()) return b.IsEmpty() ? vrEqual : vrNotEqual;
  if (a.IsNull()) return b.IsNull() ? vrEqual : vrNotEqual;
  if (b.IsEmpty() || b.IsNull()) return vrNotEqual;
  if (a == b) return vrEqual;
  return a < b ? vrLessThan : vrGreaterThan;
}

// ---------------------------------------------------------------------------------------
// Arrays.

Variant VarArrayCreate(const std::vector<Integer>& bounds, TVarType elemType) {
  if (bounds.empty() || bounds.size() % 2 != 0 || !validElemType(elemType)) arrayCreateError();
  auto data = std::make_unique<ArrayData>();
  data->elemType = elemType;
  size_t total = 1;
  for (size_t i = 0; i < bounds.size(); i += 2) {
    Int64 n = Int64(bounds[i + 1]) - bounds[i] + 1;
    if (n < 0) arrayCreateError();
    data->low.push_back(bounds[i]);
    data->count.push_back(static_cast<Integer>(n));
    total *= size_t(n);
  }
  data->items.assign(total, zeroOf(elemType));
  Variant v;
  ArrayData::install(v, std::move(data));
  return v;
}

Variant VarArrayCreate(std::initializer_list<Integer> bounds, TVarType elemType) {
  return VarArrayCreate(std::vector<Integer>(bounds), elemType);
}

Variant VarArrayOf(const std::vector<Variant>& values) {
  Variant v = VarArrayCreate({0, static_cast<Integer>(values.size()) - 1}, varVariant);
  ArrayData::of(v)->items = values;
  return v;
}
Variant VarArrayOf(std::initializer_list<Variant> values) { return VarArrayOf(std::vector<Variant>(values)); }

Integer VarArrayDimCount(const Variant& v) {
  const ArrayData* a = ArrayData::of(v);
  return a ? static_cast<Integer>(a->low.size()) : 0;
}

namespace {
size_t checkedDim(const ArrayData& a, Integer dim) {
  if (dim < 1 || size_t(dim) > a.low.size()) throw EVariantBadIndexError("Variant or safe array index out of bounds");
  return size_t(dim - 1);
}
}  // namespace

Integer VarArrayLowBound(const Variant& v, Integer dim) {
  const ArrayData& a = ArrayData::checked(v);
  return a.low[checkedDim(a, dim)];
}

Integer VarArrayHighBound(const Variant& v, Integer dim) {
  const ArrayData& a = ArrayData::checked(v);
  size_t d = checkedDim(a, dim);
  return a.low[d] + a.count[d] - 1;
}

void VarArrayRedim(Variant& v, Integer highBound) {
  ArrayData& a = ArrayData::checked(v);
  size_t last = a.low.size() - 1;
  Int64 n = Int64(highBound) - a.low[last] + 1;
  if (n < 0) throw EVariantInvalidArgError("Invalid argument");
  size_t others = 1;
  for (size_t k = 0; k < last; ++k) others *= size_t(a.count[k]);
  a.count[last] = static_cast<Integer>(n);
  a.items.resize(others * size_t(n), zeroOf(a.elemType));
}

Variant Variant::GetElement(const std::vector<Integer>& indices) const {
  const ArrayData& a = ArrayData::checked(*this);
  return a.items[a.offset(indices)];
}

void Variant::PutElement(const std::vector<Integer>& indices, const Variant& value) {
  ArrayData& a = ArrayData::checked(*this);
  size_t off = a.offset(indices);
  // Convert before storing, so that a failed conversion leaves the element as it was.
  Variant stored = a.elemType == varVariant ? value : VarAsType(value, a.elemType);
  a.items[off] = std::move(stored);
}

Variant Variant::GetElement(std::initializer_list<Integer> indices) const {
  return GetElement(std::vector<Integer>(indices));
}
void Variant::PutElement(std::initializer_list<Integer> indices, const Variant& value) {
  PutElement(std::vector<Integer>(indices), value);
}
Variant Variant::operator[](Integer index) const { return GetElement({index}); }
Variant::ElementRef Variant::operator[](Integer index) {
  ArrayData::checked(*this);
  return ElementRef(*this, index);
}
Variant::ElementRef& Variant::ElementRef::operator=(const Variant& value) {
  array_.PutElement({index_}, value);
  return *this;
}
Variant Variant::ElementRef::Value() const { return array_.GetElement({index_}); }

Variant VarArrayGet(const Variant& v, std::initializer_list<Integer> indices) { return v.GetElement(indices); }
void VarArrayPut(Variant& v, const Variant& value, std::initializer_list<Integer> indices) {
  v.PutElement(indices, value);
}

// ---------------------------------------------------------------------------------------
// Custom kinds.

TCustomVariantType::TCustomVariantType() {
  auto& types = customTypes();
  if (varFirstCustom + types.size() > varTypeMask)
    throw EVariantError("Too many custom variant types have been registered");
  code_ = static_cast<TVarType>(varFirstCustom + types.size());
  types.push_back(this);
}

TCustomVariantType::~TCustomVariantType() {
  auto& types = customTypes();
  size_t i = code_ - varFirstCustom;
  if (i < types.size() && types[i] == this) types[i] = nullptr;
}

void TCustomVariantType::Cast(Variant& dest, const Variant& source) { RaiseCastError(source.VType(), code_); }
void TCustomVariantType::CastTo(Variant& dest, const Variant& source, TVarType varType) {
  RaiseCastError(source.VType(), varType);
}
void TCustomVariantType::BinaryOp(Variant& left, const Variant& right, TVarOp op) { RaiseInvalidOp(); }
void TCustomVariantType::UnaryOp(Variant& v, TVarOp op) { RaiseInvalidOp(); }

bool TCustomVariantType::CompareOp(const Variant& left, const Variant& right, TVarOp op) {
  TVarCompareResult rel = crEqual;
  Compare(left, right, rel);
  int c = rel == crLessThan ? -1 : rel == crGreaterThan ? 1 : 0;
  return relationHolds(c, op);
}

void TCustomVariantType::Compare(const Variant& left, const Variant& right, TVarCompareResult& relationship) {
  RaiseInvalidOp();
}

bool TCustomVariantType::LeftPromotion(const Variant& v, TVarOp op, TVarType& requiredVarType) {
  requiredVarType = code_;
  return true;
}
bool TCustomVariantType::RightPromotion(const Variant& v, TVarOp op, TVarType& requiredVarType) {
  requiredVarType = code_;
  return true;
}

Variant TCustomVariantType::MakeValue(std::shared_ptr<const TVarPayload> payload) const {
  return Variant::MakeCustom(code_, std::move(payload));
}
void TCustomVariantType::RaiseCastError(TVarType from, TVarType to) const { castError(from, to); }
void TCustomVariantType::RaiseInvalidOp() const { invalidOp(); }

bool FindCustomVariantType(TVarType code, TCustomVariantType*& type) {
  type = customOf(code);
  return type != nullptr;
}

// ---------------------------------------------------------------------------------------
// Format's argument for a variant: its text, and its number when it has one.

TVarRec MakeVarRec(const Variant& v) {
  TVarType vt = v.VType();
  if (isIntKind(vt) || vt == varBoolean) return TVarRec::VariantArg(VarToStr(v), v.RawOrdinal());
  if (isFloatKind(vt) || vt == varDate) return TVarRec::VariantArg(VarToStr(v), v.AsExtended());
  return TVarRec::VariantArg(VarToStr(v));
}
