#include "platform/rtl/TypInfo.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variants.h"

// ---------------------------------------------------------------------------------------
// Type information of the built-in types.

namespace {

TTypeInfo ordinalInfo(TTypeKind kind, const char* name, TOrdType ordType, Int64 lo, Int64 hi) {
  TTypeInfo t;
  t.Kind = kind;
  t.Name = name;
  t.OrdType = ordType;
  t.MinValue = lo;
  t.MaxValue = hi;
  return t;
}

TTypeInfo floatInfo(const char* name, TFloatType floatType) {
  TTypeInfo t;
  t.Kind = tkFloat;
  t.Name = name;
  t.FloatType = floatType;
  return t;
}

TTypeInfo simpleInfo(TTypeKind kind, const char* name) {
  TTypeInfo t;
  t.Kind = kind;
  t.Name = name;
  return t;
}

}  // namespace

PTypeInfo TypeInfoOf(bool*) {
  static const TTypeInfo ti = [] {
    TTypeInfo t = ordinalInfo(tkEnumeration, "Boolean", otUByte, 0, 1);
    t.EnumNames = {"False", "True"};
    return t;
  }();
  return &ti;
}
PTypeInfo TypeInfoOf(char*) {
  static const TTypeInfo ti = ordinalInfo(tkChar, "Char", otUByte, 0, 255);
  return &ti;
}
PTypeInfo TypeInfoOf(int8_t*) {
  static const TTypeInfo ti = ordinalInfo(tkInteger, "ShortInt", otSByte, INT8_MIN, INT8_MAX);
  return &ti;
}
PTypeInfo TypeInfoOf(uint8_t*) {
  static const TTypeInfo ti = ordinalInfo(tkInteger, "Byte", otUByte, 0, UINT8_MAX);
  return &ti;
}
PTypeInfo TypeInfoOf(int16_t*) {
  static const TTypeInfo ti = ordinalInfo(tkInteger, "SmallInt", otSWord, INT16_MIN, INT16_MAX);
  return &ti;
}
PTypeInfo TypeInfoOf(uint16_t*) {
  static const TTypeInfo ti = ordinalInfo(tkInteger, "Word", otUWord, 0, UINT16_MAX);
  return &ti;
}
PTypeInfo TypeInfoOf(int32_t*) {
  static const TTypeInfo ti = ordinalInfo(tkInteger, "Integer", otSLong, INT32_MIN, INT32_MAX);
  return &ti;
}
PTypeInfo TypeInfoOf(uint32_t*) {
  static const TTypeInfo ti = ordinalInfo(tkInteger, "Cardinal", otULong, 0, UINT32_MAX);
  return &ti;
}
PTypeInfo TypeInfoOf(int64_t*) {
  static const TTypeInfo ti = ordinalInfo(tkInt64, "Int64", otSLong, INT64_MIN, INT64_MAX);
  return &ti;
}
PTypeInfo TypeInfoOf(float*) {
  static const TTypeInfo ti = floatInfo("Single", ftSingle);
  return &ti;
}
PTypeInfo TypeInfoOf(double*) {
  static const TTypeInfo ti = floatInfo("Double", ftDouble);
  return &ti;
}
PTypeInfo TypeInfoOf(long double*) {
  static const TTypeInfo ti = floatInfo("Extended", ftExtended);
  return &ti;
}
PTypeInfo DateTimeTypeInfo() {
  static const TTypeInfo ti = floatInfo("TDateTime", ftDouble);
  return &ti;
}
PTypeInfo TypeInfoOf(Currency*) {
  static const TTypeInfo ti = floatInfo("Currency", ftCurr);
  return &ti;
}
PTypeInfo TypeInfoOf(std::string*) {
  static const TTypeInfo ti = simpleInfo(tkLString, "string");
  return &ti;
}
PTypeInfo TypeInfoOf(Variant*) {
  static const TTypeInfo ti = simpleInfo(tkVariant, "Variant");
  return &ti;
}

PTypeInfo rtl_detail::InterfaceTypeInfo() {
  static const TTypeInfo ti = simpleInfo(tkInterface, "IInterface");
  return &ti;
}

// The names come as the source wrote them ("alNone, alTop, alBottom"). An enumerator with
// an explicit value ("b = 4") takes that ordinal; ordinals nobody names stay "".
TTypeInfo MakeEnumTypeInfo(const char* typeName, const char* names) {
  TTypeInfo t = ordinalInfo(tkEnumeration, typeName, otUByte, 0, -1);
  std::string all = names ? names : "";
  Int64 next = 0;
  size_t start = 0;
  while (start <= all.size()) {
    size_t comma = all.find(',', start);
    if (comma == std::string::npos) comma = all.size();
    std::string item = Trim(all.substr(start, comma - start));
    start = comma + 1;
    if (item.empty()) continue;
    size_t eq = item.find('=');
    Int64 ordinal = next;
    if (eq != std::string::npos) {
      ordinal = StrToInt64(Trim(item.substr(eq + 1)));
      item = Trim(item.substr(0, eq));
    }
    if (ordinal < 0 || ordinal > 0xFFFF) throw EConvertError("Enumeration " + t.Name + ": ordinal out of range");
    if (size_t(ordinal) >= t.EnumNames.size()) t.EnumNames.resize(size_t(ordinal) + 1);
    t.EnumNames[size_t(ordinal)] = item;
    next = ordinal + 1;
  }
  t.MaxValue = static_cast<Int64>(t.EnumNames.size()) - 1;
  t.OrdType = t.EnumNames.size() <= 256 ? otUByte : otUWord;
  return t;
}

TTypeInfo MakeSetTypeInfo(const std::string& typeName, PTypeInfo elemType) {
  TTypeInfo t = simpleInfo(tkSet, "");
  t.Name = typeName;
  t.CompType = elemType;
  t.OrdType = otULong;
  return t;
}

TTypeInfo MakeClassTypeInfo(const char* className, TClass (*classFn)()) {
  TTypeInfo t = simpleInfo(tkClass, className ? className : "");
  t.ClassTypeFn = classFn;
  return t;
}

TTypeInfo MakeMethodTypeInfo(const char* signature) {
  TTypeInfo t = simpleInfo(tkMethod, "");
  int status = 0;
  char* readable = abi::__cxa_demangle(signature, nullptr, nullptr, &status);
  t.MethodSignature = status == 0 && readable ? readable : (signature ? signature : "");
  std::free(readable);
  t.Name = t.MethodSignature;
  return t;
}

// ---------------------------------------------------------------------------------------
// Enumeration and set names.

std::string GetEnumName(PTypeInfo typeInfo, int value) {
  if (!typeInfo) return "";
  switch (typeInfo->Kind) {
    case tkInteger: case tkChar: case tkInt64:
      return IntToStr(value);
    case tkEnumeration:
      if (value < 0 || size_t(value) >= typeInfo->EnumNames.size()) return "";
      return typeInfo->EnumNames[size_t(value)];
    default:
      return "";
  }
}

int GetEnumValue(PTypeInfo typeInfo, const std::string& name) {
  if (!typeInfo) return -1;
  switch (typeInfo->Kind) {
    case tkInteger: case tkChar: case tkInt64: {
      Integer v = 0;
      return TryStrToInt(name, v) ? v : -1;
    }
    case tkEnumeration: {
      const auto& names = typeInfo->EnumNames;
      for (size_t i = 0; i < names.size(); ++i)
        if (!names[i].empty() && SameText(names[i], name)) return static_cast<int>(i);
      return -1;
    }
    default:
      return -1;
  }
}

namespace {

// The elements a set value can hold: the element type's range within the 64 bits an
// ordinal property carries.
void setRange(PTypeInfo setType, Int64& lo, Int64& hi) {
  PTypeInfo comp = setType ? setType->CompType : nullptr;
  lo = comp ? std::max<Int64>(comp->MinValue, 0) : 0;
  hi = comp ? std::min<Int64>(comp->MaxValue, 63) : 63;
}

[[noreturn]] void invalidElement(const std::string& name) {
  throw EPropertyConvertError("Invalid property element: " + name);
}

}  // namespace

std::string SetToString(PTypeInfo setType, Int64 value, bool brackets) {
  Int64 lo, hi;
  setRange(setType, lo, hi);
  std::string text;
  for (Int64 i = lo; i <= hi; ++i) {
    if (!(static_cast<uint64_t>(value) & (uint64_t(1) << i))) continue;
    if (!text.empty()) text += ',';
    text += GetEnumName(setType->CompType, static_cast<int>(i));
  }
  return brackets ? "[" + text + "]" : text;
}

Int64 StringToSet(PTypeInfo setType, const std::string& value) {
  std::string body = Trim(value);
  if (!body.empty() && body[0] == '[') {
    if (body.size() < 2 || body.back() != ']') throw EPropertyConvertError("Invalid property value: " + value);
    body = body.substr(1, body.size() - 2);
  }
  Int64 lo, hi;
  setRange(setType, lo, hi);
  uint64_t bits = 0;
  size_t start = 0;
  while (start <= body.size()) {
    size_t comma = body.find(',', start);
    if (comma == std::string::npos) comma = body.size();
    std::string name = Trim(body.substr(start, comma - start));
    start = comma + 1;
    if (name.empty()) continue;
    int e = setType ? GetEnumValue(setType->CompType, name) : -1;
    // An element the set cannot hold is refused like an unknown name: it has no bit.
    if (e < lo || e > hi) invalidElement(name);
    bits |= uint64_t(1) << e;
  }
  return static_cast<Int64>(bits);
}

std::string SetToString(PPropInfo prop, Int64 value, bool brackets) {
  return SetToString(prop->PropType, value, brackets);
}
Int64 StringToSet(PPropInfo prop, const std::string& value) { return StringToSet(prop->PropType, value); }

// ---------------------------------------------------------------------------------------
// Property lists.

TPropList GetPropList(TClass c) {
  std::vector<TClass> chain;
  for (TClass k = c; k; k = k->ClassParent()) chain.push_back(k);
  TPropList list;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    for (const auto& p : (*it)->OwnProperties()) {
      // A property published again by a descendant replaces the ancestor's, in its place.
      auto same = std::find_if(list.begin(), list.end(), [&](PPropInfo q) { return SameText(q->Name, p->Name); });
      if (same != list.end()) *same = p.get();
      else list.push_back(p.get());
    }
  }
  return list;
}

TPropList GetPropList(const TObject* obj) { return obj ? GetPropList(obj->ClassType()) : TPropList(); }

TPropList GetPropList(TClass c, TTypeKinds kinds, bool sorted) {
  TPropList all = GetPropList(c), list;
  for (PPropInfo p : all)
    if (kinds.Contains(p->PropType->Kind)) list.push_back(p);
  if (sorted)
    std::stable_sort(list.begin(), list.end(), [](PPropInfo a, PPropInfo b) { return CompareText(a->Name, b->Name) < 0; });
  return list;
}

int GetPropCount(TClass c) { return static_cast<int>(GetPropList(c).size()); }

PPropInfo GetPropInfo(TClass c, const std::string& name) {
  for (TClass k = c; k; k = k->ClassParent())
    for (const auto& p : k->OwnProperties())
      if (SameText(p->Name, name)) return p.get();
  return nullptr;
}

PPropInfo GetPropInfo(const TObject* obj, const std::string& name) {
  return obj ? GetPropInfo(obj->ClassType(), name) : nullptr;
}

PPropInfo GetPropInfo(const TObject* obj, const std::string& name, TTypeKinds kinds) {
  PPropInfo p = GetPropInfo(obj, name);
  return p && kinds.Contains(p->PropType->Kind) ? p : nullptr;
}

namespace {

PPropInfo findProp(const TObject* obj, const std::string& name) {
  PPropInfo p = GetPropInfo(obj, name);
  if (!p) throw EPropertyError("Unknown property: '" + name + "'");
  return p;
}

[[noreturn]] void invalidType(PPropInfo prop) {
  throw EPropertyConvertError("Invalid property type: " + prop->PropType->Name);
}

void checkWritable(PPropInfo prop) {
  if (prop->IsReadOnly) throw EPropertyError("Property " + prop->Name + " is read-only");
}

// The accessor of the property's kind, or EPropertyConvertError when the property is of
// another kind; setters also refuse a read-only property.
template <class F> const F& getter(PPropInfo prop, const F& f) {
  if (!f) invalidType(prop);
  return f;
}
template <class F> const F& setter(PPropInfo prop, const F& f, bool kindMatches) {
  if (!kindMatches) invalidType(prop);
  checkWritable(prop);
  return f;
}

}  // namespace

bool IsPublishedProp(const TObject* obj, const std::string& name) { return GetPropInfo(obj, name) != nullptr; }

bool IsStoredProp(TObject* obj, PPropInfo prop) { return !prop->StoredProc || prop->StoredProc(obj); }
bool IsStoredProp(TObject* obj, const std::string& name) { return IsStoredProp(obj, findProp(obj, name)); }

TTypeKind PropType(const TObject* obj, const std::string& name) { return findProp(obj, name)->PropType->Kind; }
bool PropIsType(const TObject* obj, const std::string& name, TTypeKind kind) { return PropType(obj, name) == kind; }

bool IsDefaultPropValue(TObject* obj, PPropInfo prop) {
  switch (prop->PropType->Kind) {
    case tkInteger: case tkChar: case tkEnumeration: case tkSet:
      return prop->Default != NoDefault && prop->GetOrd(obj) == prop->Default;
    case tkInt64:
      return prop->GetOrd(obj) == (prop->Default != NoDefault ? prop->Default : 0);
    case tkFloat:
      return prop->GetFloat(obj) == 0;
    case tkString: case tkLString: case tkWString:
      return prop->GetStr(obj).empty();
    case tkMethod:
      return !prop->GetMethod(obj).Assigned();
    case tkVariant:
      return VarIsClear(prop->GetVariant(obj));
    case tkClass:
      return prop->GetObject(obj) == nullptr;
    case tkInterface:
      return prop->GetInterface(obj) == nullptr;
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------------------
// Reading and writing by kind.

Int64 GetOrdProp(TObject* obj, PPropInfo prop) { return getter(prop, prop->GetOrd)(obj); }
void SetOrdProp(TObject* obj, PPropInfo prop, Int64 value) {
  setter(prop, prop->SetOrd, prop->GetOrd != nullptr)(obj, value);
}
Int64 GetOrdProp(TObject* obj, const std::string& name) { return GetOrdProp(obj, findProp(obj, name)); }
void SetOrdProp(TObject* obj, const std::string& name, Int64 value) { SetOrdProp(obj, findProp(obj, name), value); }

std::string GetEnumProp(TObject* obj, PPropInfo prop) {
  return GetEnumName(prop->PropType, static_cast<int>(GetOrdProp(obj, prop)));
}
void SetEnumProp(TObject* obj, PPropInfo prop, const std::string& value) {
  int v = GetEnumValue(prop->PropType, value);
  if (v < 0) invalidElement(value);
  SetOrdProp(obj, prop, v);
}
std::string GetEnumProp(TObject* obj, const std::string& name) { return GetEnumProp(obj, findProp(obj, name)); }
void SetEnumProp(TObject* obj, const std::string& name, const std::string& value) {
  SetEnumProp(obj, findProp(obj, name), value);
}

std::string GetSetProp(TObject* obj, PPropInfo prop, bool brackets) {
  if (prop->PropType->Kind != tkSet) invalidType(prop);
  return SetToString(prop, GetOrdProp(obj, prop), brackets);
}
void SetSetProp(TObject* obj, PPropInfo prop, const std::string& value) {
  if (prop->PropType->Kind != tkSet) invalidType(prop);
  SetOrdProp(obj, prop, StringToSet(prop, value));
}
std::string GetSetProp(TObject* obj, const std::string& name, bool brackets) {
  return GetSetProp(obj, findProp(obj, name), brackets);
}
void SetSetProp(TObject* obj, const std::string& name, const std::string& value) {
  SetSetProp(obj, findProp(obj, name), value);
}

Int64 GetInt64Prop(TObject* obj, PPropInfo prop) { return GetOrdProp(obj, prop); }
void SetInt64Prop(TObject* obj, PPropInfo prop, Int64 value) { SetOrdProp(obj, prop, value); }

long double GetFloatProp(TObject* obj, PPropInfo prop) { return getter(prop, prop->GetFloat)(obj); }
void SetFloatProp(TObject* obj, PPropInfo prop, long double value) {
  setter(prop, prop->SetFloat, prop->GetFloat != nullptr)(obj, value);
}
long double GetFloatProp(TObject* obj, const std::string& name) { return GetFloatProp(obj, findProp(obj, name)); }
void SetFloatProp(TObject* obj, const std::string& name, long double value) {
  SetFloatProp(obj, findProp(obj, name), value);
}

std::string GetStrProp(TObject* obj, PPropInfo prop) { return getter(prop, prop->GetStr)(obj); }
void SetStrProp(TObject* obj, PPropInfo prop, const std::string& value) {
  setter(prop, prop->SetStr, prop->GetStr != nullptr)(obj, value);
}
std::string GetStrProp(TObject* obj, const std::string& name) { return GetStrProp(obj, findProp(obj, name)); }
void SetStrProp(TObject* obj, const std::string& name, const std::string& value) {
  SetStrProp(obj, findProp(obj, name), value);
}

TMethod GetMethodProp(TObject* obj, PPropInfo prop) { return getter(prop, prop->GetMethod)(obj); }
void SetMethodProp(TObject* obj, PPropInfo prop, const TMethod& value) {
  setter(prop, prop->SetMethod, prop->GetMethod != nullptr)(obj, value);
}
TMethod GetMethodProp(TObject* obj, const std::string& name) { return GetMethodProp(obj, findProp(obj, name)); }
void SetMethodProp(TObject* obj, const std::string& name, const TMethod& value) {
  SetMethodProp(obj, findProp(obj, name), value);
}

TObject* GetObjectProp(TObject* obj, PPropInfo prop) { return getter(prop, prop->GetObject)(obj); }
void SetObjectProp(TObject* obj, PPropInfo prop, TObject* value) {
  setter(prop, prop->SetObject, prop->GetObject != nullptr)(obj, value);
}
TObject* GetObjectProp(TObject* obj, const std::string& name) { return GetObjectProp(obj, findProp(obj, name)); }
void SetObjectProp(TObject* obj, const std::string& name, TObject* value) {
  SetObjectProp(obj, findProp(obj, name), value);
}

IInterface* GetInterfaceProp(TObject* obj, PPropInfo prop) { return getter(prop, prop->GetInterface)(obj); }
void SetInterfaceProp(TObject* obj, PPropInfo prop, IInterface* value) {
  setter(prop, prop->SetInterface, prop->GetInterface != nullptr)(obj, value);
}

Variant GetVariantProp(TObject* obj, PPropInfo prop) { return getter(prop, prop->GetVariant)(obj); }
void SetVariantProp(TObject* obj, PPropInfo prop, const Variant& value) {
  setter(prop, prop->SetVariant, prop->GetVariant != nullptr)(obj, value);
}

// ---------------------------------------------------------------------------------------
// Any property through a Variant.

Variant GetPropValue(TObject* obj, const std::string& name, bool preferStrings) {
  PPropInfo p = findProp(obj, name);
  PTypeInfo t = p->PropType;
  switch (t->Kind) {
    case tkInteger: case tkChar: {
      Int64 v = GetOrdProp(obj, p);
      if (t->OrdType == otULong) return Variant(static_cast<unsigned int>(v));
      return Variant(static_cast<int>(v));
    }
    case tkEnumeration:
      if (t == TypeInfo<bool>()) return Variant(GetOrdProp(obj, p) != 0);
      if (preferStrings) return Variant(GetEnumProp(obj, p));
      return Variant(static_cast<int>(GetOrdProp(obj, p)));
    case tkSet:
      if (preferStrings) return Variant(GetSetProp(obj, p, false));
      return Variant(static_cast<long>(GetOrdProp(obj, p)));
    case tkInt64:
      return Variant(static_cast<long>(GetInt64Prop(obj, p)));
    case tkFloat:
      if (t->FloatType == ftCurr) return Variant(Currency::FromDouble(GetFloatProp(obj, p)));
      return Variant(static_cast<double>(GetFloatProp(obj, p)));
    case tkString: case tkLString: case tkWString:
      return Variant(GetStrProp(obj, p));
    case tkVariant:
      return GetVariantProp(obj, p);
    default:
      invalidType(p);
  }
}

namespace {
// An ordinal within the property type's range; ERangeError otherwise.
Int64 rangedValue(PPropInfo p, Int64 v) {
  PTypeInfo t = p->PropType;
  if (v < t->MinValue || v > t->MaxValue) throw ERangeError("Range check error");
  return v;
}
}  // namespace

void SetPropValue(TObject* obj, const std::string& name, const Variant& value) {
  PPropInfo p = findProp(obj, name);
  PTypeInfo t = p->PropType;
  switch (t->Kind) {
    case tkInteger: case tkChar:
      SetOrdProp(obj, p, rangedValue(p, value.AsInt64()));
      break;
    case tkEnumeration:
      if (VarIsStr(value)) SetEnumProp(obj, p, value.AsString());
      // A boolean variant holds -1 for True; the enumeration's ordinal is 1.
      else if (value.VType() == varBoolean) SetOrdProp(obj, p, rangedValue(p, value.AsBoolean() ? 1 : 0));
      else SetOrdProp(obj, p, rangedValue(p, value.AsInt64()));
      break;
    case tkSet:
      if (VarIsStr(value)) SetSetProp(obj, p, value.AsString());
      else SetOrdProp(obj, p, value.AsInt64());
      break;
    case tkInt64:
      SetInt64Prop(obj, p, value.AsInt64());
      break;
    case tkFloat:
      SetFloatProp(obj, p, value.AsExtended());
      break;
    case tkString: case tkLString: case tkWString:
      SetStrProp(obj, p, VarToStr(value));
      break;
    case tkVariant:
      SetVariantProp(obj, p, value);
      break;
    default:
      invalidType(p);
  }
}

void rtl_detail::RaisePropertyClassMismatch(const std::string& prop, TObject* value) {
  throw EPropertyConvertError("Invalid property value: " + prop + " cannot hold an object of class " +
                              value->ClassName());
}
