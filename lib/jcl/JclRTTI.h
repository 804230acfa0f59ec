#pragma once
// Type-information wrappers and the text form of set values.
//
// The wrappers are reference-counted objects reached through interfaces; JclTypeInfoObject
// builds the one that fits a type record. The set routines read and write a set value in
// its stored layout (see SetStorage): the bytes from Min div 8 to Max div 8 of the element
// range, member n being bit n mod 8 (least significant first) of byte n div 8 - Min div 8.

#include <string>
#include <utility>
#include <vector>

#include "lib/jcl/JclStrings.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/System.h"
#include "platform/rtl/TypInfo.h"

RTL_EXCEPTION(EJclRTTIError, EJclError)

// One counted reference to an interface: released when the holder goes, copied with an
// AddRef. Attach() takes over a reference the caller already owns.
template <class I> class InterfaceRef {
public:
  InterfaceRef() = default;
  InterfaceRef(std::nullptr_t) {}
  // Takes a new reference to p.
  explicit InterfaceRef(I* p) : p_(p) {
    if (p_) p_->_AddRef();
  }
  InterfaceRef(const InterfaceRef& o) : InterfaceRef(o.p_) {}
  InterfaceRef(InterfaceRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ~InterfaceRef() { reset(); }
  InterfaceRef& operator=(InterfaceRef o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }

  static InterfaceRef Attach(I* p) {
    InterfaceRef r;
    r.p_ = p;
    return r;
  }
  // The interface J of the same object (QueryInterface); empty when it has none.
  template <class J> InterfaceRef<J> As() const {
    void* q = nullptr;
    if (!p_ || FAILED(p_->QueryInterface(J::IID(), &q))) return InterfaceRef<J>();
    return InterfaceRef<J>::Attach(static_cast<J*>(q));
  }

  I* get() const { return p_; }
  I* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void reset() {
    if (p_) std::exchange(p_, nullptr)->_Release();
  }

private:
  I* p_ = nullptr;
};

// ---------------------------------------------------------------------------------------
// Interfaces. They derive virtually (from IInterface too), so that one wrapper object holds
// each of them once and one implementation (TInterfacedObject's for IInterface) serves
// every interface that inherits the member.

struct IJclTypeInfo : public virtual IInterface {
  RTL_INTERFACE_ID(0x7DAD5220, 0x46EA, 0x11D5, 0xB0, 0xC0, 0x48, 0x54, 0xE8, 0x25, 0xF3, 0x45)
  virtual std::string TypeName() = 0;
  virtual TTypeKind Kind() = 0;
  // The type record and its kind-specific data (one record here, so both give it).
  virtual PTypeInfo TypeInfo() = 0;
  virtual PTypeInfo TypeData() = 0;
};

struct IJclOrdinalTypeInfo : public virtual IJclTypeInfo {
  RTL_INTERFACE_ID(0x7DAD5221, 0x46EA, 0x11D5, 0xB0, 0xC0, 0x48, 0x54, 0xE8, 0x25, 0xF3, 0x45)
  virtual TOrdType OrdKind() = 0;
};

struct IJclOrdinalRangeTypeInfo : public virtual IJclOrdinalTypeInfo {
  RTL_INTERFACE_ID(0x7DAD5222, 0x46EA, 0x11D5, 0xB0, 0xC0, 0x48, 0x54, 0xE8, 0x25, 0xF3, 0x45)
  // The 32-bit bounds, zero-extended for an unsigned 32-bit type, sign-extended otherwise.
  virtual Int64 LowBound() = 0;
  virtual Int64 HighBound() = 0;
};

struct IJclEnumerationTypeInfo : public virtual IJclOrdinalRangeTypeInfo {
  RTL_INTERFACE_ID(0x7DAD5223, 0x46EA, 0x11D5, 0xB0, 0xC0, 0x48, 0x54, 0xE8, 0x25, 0xF3, 0x45)
  // The enumeration whose identifier list this type uses (every enumeration of this
  // platform is its own base, so the wrapper itself).
  virtual InterfaceRef<IJclEnumerationTypeInfo> BaseEnumeration() = 0;
  // The identifier of an ordinal ("" outside the identifier list).
  virtual std::string NameOf(Integer Value) = 0;
  // The ordinal whose identifier equals Name without regard to case, looked for from the
  // type's highest ordinal down; -1 when none does.
  virtual Integer FindName(const std::string& Name) = 0;
};

struct IJclSetTypeInfo : public virtual IJclOrdinalTypeInfo {
  RTL_INTERFACE_ID(0x7DAD5224, 0x46EA, 0x11D5, 0xB0, 0xC0, 0x48, 0x54, 0xE8, 0x25, 0xF3, 0x45)
  virtual InterfaceRef<IJclOrdinalTypeInfo> ElementType() = 0;
  // Appends one string per member (its identifier, or its ordinal in decimal for integer
  // and character elements), or with WantRanges one "first .. last" per run of more than
  // one consecutive member, in ascending order.
  virtual void ToList(const void* Value, bool WantRanges, TStrings* Strings) = 0;
  // Builds the set value from such strings (blanks around items ignored, empty items
  // skipped, identifiers without regard to case, "a .. b" adds the range). Raises
  // EJclRTTIError "Unknown identifier '%s'." for an unknown identifier, EJclRTTIError for a
  // number outside the element range (it has no bit in the storage), and the platform's
  // EConvertError for a text that is no number; the members added before the failing item
  // stay.
  virtual void FromList(void* Value, TStrings* Strings) = 0;
};

// ---------------------------------------------------------------------------------------
// Wrapper classes.

class TJclTypeInfo : public TInterfacedObject, public virtual IJclTypeInfo {
  RTL_DECLARE_CLASS(TJclTypeInfo, TInterfacedObject)
public:
  explicit TJclTypeInfo(PTypeInfo ATypeInfo) : FTypeInfo(ATypeInfo) {}

  std::string TypeName() override;
  TTypeKind Kind() override;
  PTypeInfo TypeInfo() override { return FTypeInfo; }
  PTypeInfo TypeData() override { return FTypeInfo; }

protected:
  PTypeInfo FTypeInfo;
};

class TJclOrdinalTypeInfo : public TJclTypeInfo, public virtual IJclOrdinalTypeInfo {
  RTL_DECLARE_CLASS(TJclOrdinalTypeInfo, TJclTypeInfo)
public:
  using TJclTypeInfo::TJclTypeInfo;
  TOrdType OrdKind() override;
};

class TJclOrdinalRangeTypeInfo : public TJclOrdinalTypeInfo, public virtual IJclOrdinalRangeTypeInfo {
  RTL_DECLARE_CLASS(TJclOrdinalRangeTypeInfo, TJclOrdinalTypeInfo)
public:
  using TJclOrdinalTypeInfo::TJclOrdinalTypeInfo;
  Int64 LowBound() override;
  Int64 HighBound() override;
};

class TJclEnumerationTypeInfo : public TJclOrdinalRangeTypeInfo, public virtual IJclEnumerationTypeInfo {
  RTL_DECLARE_CLASS(TJclEnumerationTypeInfo, TJclOrdinalRangeTypeInfo)
public:
  using TJclOrdinalRangeTypeInfo::TJclOrdinalRangeTypeInfo;
  InterfaceRef<IJclEnumerationTypeInfo> BaseEnumeration() override;
  std::string NameOf(Integer Value) override;
  Integer FindName(const std::string& Name) override;
};

class TJclSetTypeInfo : public TJclOrdinalTypeInfo, public virtual IJclSetTypeInfo {
  RTL_DECLARE_CLASS(TJclSetTypeInfo, TJclOrdinalTypeInfo)
public:
  using TJclOrdinalTypeInfo::TJclOrdinalTypeInfo;
  InterfaceRef<IJclOrdinalTypeInfo> ElementType() override;
  void ToList(const void* Value, bool WantRanges, TStrings* Strings) override;
  void FromList(void* Value, TStrings* Strings) override;
};

// The wrappers of the other kinds: they answer IJclTypeInfo only (nothing in the system
// asks them for more).
#define JCL_PLAIN_TYPE_INFO_CLASS(T)                                                               \
  class T : public TJclTypeInfo {                                                                  \
    RTL_DECLARE_CLASS(T, TJclTypeInfo)                                                             \
  public:                                                                                          \
    using TJclTypeInfo::TJclTypeInfo;                                                              \
  };
JCL_PLAIN_TYPE_INFO_CLASS(TJclFloatTypeInfo)
JCL_PLAIN_TYPE_INFO_CLASS(TJclStringTypeInfo)
JCL_PLAIN_TYPE_INFO_CLASS(TJclClassTypeInfo)
JCL_PLAIN_TYPE_INFO_CLASS(TJclEventTypeInfo)
JCL_PLAIN_TYPE_INFO_CLASS(TJclInterfaceTypeInfo)
JCL_PLAIN_TYPE_INFO_CLASS(TJclInt64TypeInfo)
JCL_PLAIN_TYPE_INFO_CLASS(TJclDynArrayTypeInfo)
#undef JCL_PLAIN_TYPE_INFO_CLASS

// A new wrapper of the class that fits the record's kind.
InterfaceRef<IJclTypeInfo> JclTypeInfoObject(PTypeInfo ATypeInfo);

// ---------------------------------------------------------------------------------------
// Set values.

// The stored layout of one value of a set type (see the top of this file), with the
// conversions from the forms C++ code holds sets in: Set<E>, and the 64-bit mask of a set
// property (bit i standing for ordinal i). Raises EJclRTTIError for a type that is no set
// of at most 256 ordinals from 0 to 255.
class SetStorage {
public:
  explicit SetStorage(PTypeInfo SetType);

  static SetStorage FromBits(PTypeInfo SetType, uint64_t Bits);
  uint64_t ToBits() const;
  template <class E> static SetStorage FromSet(const Set<E>& Value) {
    SetStorage s(::TypeInfo<Set<E>>());
    for (Int64 n = s.min_; n <= s.max_; ++n)
      if (Value.TestIndex(static_cast<size_t>(n))) s.Include(n);
    return s;
  }
  template <class E> Set<E> ToSet() const {
    Set<E> r;
    for (Int64 n = min_; n <= max_; ++n)
      if (Contains(n)) r.SetIndex(static_cast<size_t>(n), true);
    return r;
  }

  bool Contains(Int64 Ordinal) const;
  void Include(Int64 Ordinal);
  void* Data() { return bytes_.data(); }
  const void* Data() const { return bytes_.data(); }
  Integer Size() const { return static_cast<Integer>(bytes_.size()); }
  Int64 MinValue() const { return min_; }
  Int64 MaxValue() const { return max_; }
  friend bool operator==(const SetStorage& a, const SetStorage& b) { return a.bytes_ == b.bytes_; }

private:
  Int64 min_ = 0, max_ = -1;
  std::vector<Byte> bytes_;
};

// The members of a set value as text: items joined with ", ", in "[" "]" with
// WantBrackets ("[]" / "" for the empty set).
std::string JclSetValueToText(PTypeInfo ATypeInfo, const void* Value, bool WantBrackets = false,
                              bool WantRanges = false);
// Reads such a text into a set value. A text beginning with "[" loses it, and its closing
// "]" when it ends with one; an empty text gives the empty set. Errors as FromList.
void JclTextToSetValue(PTypeInfo ATypeInfo, void* Value, const std::string& Text);
