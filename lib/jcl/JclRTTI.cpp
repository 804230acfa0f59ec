#include "lib/jcl/JclRTTI.h"

#include <algorithm>
#include <memory>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Scoped.h"

// ---------------------------------------------------------------------------------------
// Wrapper classes.

RTL_BEGIN_CLASS(TJclTypeInfo)
b.Interface<IJclTypeInfo>();
RTL_END_CLASS
RTL_BEGIN_CLASS(TJclOrdinalTypeInfo)
b.Interface<IJclOrdinalTypeInfo>();
RTL_END_CLASS
RTL_BEGIN_CLASS(TJclOrdinalRangeTypeInfo)
b.Interface<IJclOrdinalRangeTypeInfo>();
RTL_END_CLASS
RTL_BEGIN_CLASS(TJclEnumerationTypeInfo)
b.Interface<IJclEnumerationTypeInfo>();
RTL_END_CLASS
RTL_BEGIN_CLASS(TJclSetTypeInfo)
b.Interface<IJclSetTypeInfo>();
RTL_END_CLASS
RTL_IMPLEMENT_CLASS(TJclFloatTypeInfo)
RTL_IMPLEMENT_CLASS(TJclStringTypeInfo)
RTL_IMPLEMENT_CLASS(TJclClassTypeInfo)
RTL_IMPLEMENT_CLASS(TJclEventTypeInfo)
RTL_IMPLEMENT_CLASS(TJclInterfaceTypeInfo)
RTL_IMPLEMENT_CLASS(TJclInt64TypeInfo)
RTL_IMPLEMENT_CLASS(TJclDynArrayTypeInfo)
RTL_IMPLEMENT_CLASS(EJclRTTIError)

std::string TJclTypeInfo::TypeName() { return FTypeInfo->Name; }

TTypeKind TJclTypeInfo::Kind() { return FTypeInfo->Kind; }

TOrdType TJclOrdinalTypeInfo::OrdKind() { return FTypeInfo->OrdType; }

namespace {

Int64 extendBound(Int64 stored, TOrdType ordType) {
  const uint32_t bits = static_cast<uint32_t>(stored);
  return ordType == otULong ? static_cast<Int64>(bits) : static_cast<Int64>(static_cast<int32_t>(bits));
}

}  // namespace

Int64 TJclOrdinalRangeTypeInfo::LowBound() { return extendBound(FTypeInfo->MinValue, FTypeInfo->OrdType); }

Int64 TJclOrdinalRangeTypeInfo::HighBound() { return extendBound(FTypeInfo->MaxValue, FTypeInfo->OrdType); }

InterfaceRef<IJclEnumerationTypeInfo> TJclEnumerationTypeInfo::BaseEnumeration() {
  return InterfaceRef<IJclEnumerationTypeInfo>(this);
}

std::string TJclEnumerationTypeInfo::NameOf(Integer Value) {
  const auto& names = FTypeInfo->EnumNames;
  if (Value < 0 || static_cast<size_t>(Value) >= names.size()) return std::string();
  return names[static_cast<size_t>(Value)];
}

Integer TJclEnumerationTypeInfo::FindName(const std::string& Name) {
  for (Int64 i = HighBound(); i >= LowBound(); --i)
    if (AnsiSameText(NameOf(static_cast<Integer>(i)), Name)) return static_cast<Integer>(i);
  return -1;
}

InterfaceRef<IJclOrdinalTypeInfo> TJclSetTypeInfo::ElementType() {
  return JclTypeInfoObject(FTypeInfo->CompType).As<IJclOrdinalTypeInfo>();
}

namespace {

// The element type of a set as the two pieces the set routines need.
struct ElementInfo {
  InterfaceRef<IJclEnumerationTypeInfo> Enumeration;  // empty for integer and char elements
  Int64 Min = 0;
  Int64 Max = -1;
};

ElementInfo elementInfo(IJclSetTypeInfo& set) {
  ElementInfo info;
  InterfaceRef<IJclOrdinalTypeInfo> elem = set.ElementType();
  InterfaceRef<IJclOrdinalRangeTypeInfo> range = elem.As<IJclOrdinalRangeTypeInfo>();
  if (!range) throw EJclRTTIError("Invalid set type: " + set.TypeName());
  info.Min = range->LowBound();
  info.Max = range->HighBound();
  if (info.Min < 0 || info.Max > 255 || info.Max < info.Min)
    throw EJclRTTIError("Invalid set type: " + set.TypeName());
  info.Enumeration = elem.As<IJclEnumerationTypeInfo>();
  return info;
}

// Bit index of a member within the stored bytes.
inline size_t bitIndex(Int64 ordinal, Int64 min) { return static_cast<size_t>(ordinal - min + min % 8); }

inline size_t storageBytes(Int64 min, Int64 max) { return static_cast<size_t>(max / 8 - min / 8 + 1); }

}  // namespace

void TJclSetTypeInfo::ToList(const void* Value, bool WantRanges, TStrings* Strings) {
  const ElementInfo info = elementInfo(*this);
  const Byte* bytes = static_cast<const Byte*>(Value);
  auto isMember = [&](Int64 n) {
    size_t i = bitIndex(n, info.Min);
    return (bytes[i / 8] >> (i % 8)) & 1;
  };
  auto text = [&](Int64 n) {
    return info.Enumeration ? info.Enumeration->NameOf(static_cast<Integer>(n)) : IntToStr(n);
  };

  UpdateLock lock(Strings);
  Int64 n = info.Min;
  while (n <= info.Max) {
    if (!isMember(n)) {
      ++n;
      continue;
    }
    Int64 last = n;
    while (last + 1 <= info.Max && isMember(last + 1)) ++last;
    if (WantRanges && last > n) {
      Strings->Add(text(n) + " .. " + text(last));
    } else {
      for (Int64 m = n; m <= last; ++m) Strings->Add(text(m));
    }
    n = last + 1;
  }
}

void TJclSetTypeInfo::FromList(void* Value, TStrings* Strings) {
  const ElementInfo info = elementInfo(*this);
  Byte* bytes = static_cast<Byte*>(Value);
  std::fill(bytes, bytes + storageBytes(info.Min, info.Max), Byte(0));

  auto ordinalOf = [&](const std::string& text) -> Int64 {
    if (info.Enumeration) {
      Integer n = info.Enumeration->FindName(text);
      if (n < 0) throw EJclRTTIError(Format("Unknown identifier '%s'.", text));
      return n;
    }
    Int64 n = StrToInt(text);
    // A number the set cannot hold has no bit in its storage.
    if (n < info.Min || n > info.Max)
      throw EJclRTTIError(Format("Set member '%s' is outside the range %d .. %d.", text, info.Min, info.Max));
    return n;
  };

  for (Integer i = 0; i < Strings->Count(); ++i) {
    std::string item = Trim(Strings->Strings(i));
    if (item.empty()) continue;
    std::string lowText = item, highText = item;
    size_t dots = item.find("..");
    if (dots != std::string::npos) {
      lowText = Trim(item.substr(0, dots));
      highText = Trim(item.substr(dots + 2));
    }
    Int64 low = ordinalOf(lowText);
    Int64 high = ordinalOf(highText);
    for (Int64 n = low; n <= high; ++n) {
      size_t bit = bitIndex(n, info.Min);
      bytes[bit / 8] = static_cast<Byte>(bytes[bit / 8] | (1u << (bit % 8)));
    }
  }
}

InterfaceRef<IJclTypeInfo> JclTypeInfoObject(PTypeInfo ATypeInfo) {
  IJclTypeInfo* wrapper = nullptr;
  switch (ATypeInfo->Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar: wrapper = new TJclOrdinalRangeTypeInfo(ATypeInfo); break;
    case tkEnumeration: wrapper = new TJclEnumerationTypeInfo(ATypeInfo); break;
    case tkFloat: wrapper = new TJclFloatTypeInfo(ATypeInfo); break;
    case tkString: wrapper = new TJclStringTypeInfo(ATypeInfo); break;
    case tkSet: wrapper = new TJclSetTypeInfo(ATypeInfo); break;
    case tkClass: wrapper = new TJclClassTypeInfo(ATypeInfo); break;
    case tkMethod: wrapper = new TJclEventTypeInfo(ATypeInfo); break;
    case tkInterface: wrapper = new TJclInterfaceTypeInfo(ATypeInfo); break;
    case tkInt64: wrapper = new TJclInt64TypeInfo(ATypeInfo); break;
    case tkDynArray: wrapper = new TJclDynArrayTypeInfo(ATypeInfo); break;
    default: wrapper = new TJclTypeInfo(ATypeInfo); break;
  }
  return InterfaceRef<IJclTypeInfo>(wrapper);
}

// ---------------------------------------------------------------------------------------
// Set values.

namespace {

InterfaceRef<IJclSetTypeInfo> setTypeInfo(PTypeInfo setType) {
  InterfaceRef<IJclSetTypeInfo> set;
  if (setType && setType->Kind == tkSet) set = JclTypeInfoObject(setType).As<IJclSetTypeInfo>();
  if (!set) throw EJclRTTIError("Not a set type: " + std::string(setType ? setType->Name : "(none)"));
  return set;
}

}  // namespace

SetStorage::SetStorage(PTypeInfo SetType) {
  InterfaceRef<IJclSetTypeInfo> set = setTypeInfo(SetType);
  ElementInfo info = elementInfo(*set.get());
  min_ = info.Min;
  max_ = info.Max;
  bytes_.assign(storageBytes(min_, max_), 0);
}

SetStorage SetStorage::FromBits(PTypeInfo SetType, uint64_t Bits) {
  SetStorage s(SetType);
  for (Int64 n = s.min_; n <= s.max_ && n < 64; ++n)
    if (Bits & (uint64_t(1) << n)) s.Include(n);
  return s;
}

uint64_t SetStorage::ToBits() const {
  uint64_t bits = 0;
  for (Int64 n = min_; n <= max_ && n < 64; ++n)
    if (Contains(n)) bits |= uint64_t(1) << n;
  return bits;
}

bool SetStorage::Contains(Int64 Ordinal) const {
  if (Ordinal < min_ || Ordinal > max_) return false;
  size_t i = bitIndex(Ordinal, min_);
  return (bytes_[i / 8] >> (i % 8)) & 1;
}

void SetStorage::Include(Int64 Ordinal) {
  if (Ordinal < min_ || Ordinal > max_) throw EJclRTTIError("Set member out of range: " + IntToStr(Ordinal));
  size_t i = bitIndex(Ordinal, min_);
  bytes_[i / 8] = static_cast<Byte>(bytes_[i / 8] | (1u << (i % 8)));
}

std::string JclSetValueToText(PTypeInfo ATypeInfo, const void* Value, bool WantBrackets, bool WantRanges) {
  InterfaceRef<IJclSetTypeInfo> set = setTypeInfo(ATypeInfo);
  TStringList list;
  set->ToList(Value, WantRanges, &list);
  std::string text;
  for (Integer i = 0; i < list.Count(); ++i) {
    if (i > 0) text += ", ";
    text += list.Strings(i);
  }
  return WantBrackets ? "[" + text + "]" : text;
}

void JclTextToSetValue(PTypeInfo ATypeInfo, void* Value, const std::string& Text) {
  InterfaceRef<IJclSetTypeInfo> set = setTypeInfo(ATypeInfo);
  TStringList list;
  TextSplit(Text, ",", &list, true);
  if (list.Count() > 0) {
    std::string first = list.Strings(0);
    if (!first.empty() && first[0] == '[') {
      list.SetStrings(0, first.substr(1));
      // Only a real closing bracket is taken off: another last character is data.
      std::string last = list.Strings(list.Count() - 1);
      if (!last.empty() && last.back() == ']') list.SetStrings(list.Count() - 1, last.substr(0, last.size() - 1));
    }
  }
  set->FromList(Value, &list);
}
