#pragma once
// Type information: type kinds, enumeration and set names, published properties with
// their accessors, defaults and stored predicates, and the routines that read and write
// properties by name. Form reading and writing, form storage and stored view properties
// all go through these.
//
// A class publishes its properties in its RTL_BEGIN_CLASS block:
//   b.Property("Width", &TFoo::Width, &TFoo::SetWidth).Default(0);
//   b.Property("Align", &TFoo::Align, &TFoo::SetAlign).Default(alNone);
//   b.Property("Font", &TFoo::Font, &TFoo::SetFont);            // class property
//   b.Property("OnClick", &TFoo::FOnClick, &TFoo::FOnClick);    // fields work too
//   b.Property("Caption", &TFoo::Caption, &TFoo::SetCaption).Stored(&TFoo::IsCaptionStored);
// Getters and setters may be member functions, data members or callables taking T*.
// Enumerations get their names with RTL_ENUM (or RTL_ENUM_INFO for an enum declared
// elsewhere).

#include <string>
#include <vector>

#include "platform/rtl/System.h"

class Variant;

enum TTypeKind {
  tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass, tkMethod,
  tkWChar, tkLString, tkWString, tkVariant, tkArray, tkRecord, tkInterface, tkInt64, tkDynArray
};
using TTypeKinds = Set<TTypeKind>;
enum TOrdType { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
enum TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

struct TTypeInfo {
  TTypeKind Kind = tkUnknown;
  std::string Name;
  // Ordinal types (integer, char, enumeration, Int64).
  TOrdType OrdType = otSLong;
  Int64 MinValue = 0;
  Int64 MaxValue = 0;
  std::vector<std::string> EnumNames;  // enumeration: names by ordinal
  // Sets: the element type.
  const TTypeInfo* CompType = nullptr;
  // Floats.
  TFloatType FloatType = ftDouble;
  // Classes: resolved on use, because type information of a class property is made while
  // classes are still registering their members (and may name each other).
  TClass (*ClassTypeFn)() = nullptr;
  TClass ClassType() const { return ClassTypeFn ? ClassTypeFn() : nullptr; }
  // Methods (events): the parameter list as text, for messages only.
  std::string MethodSignature;
};
using PTypeInfo = const TTypeInfo*;

// Marks a property without a default value (its value is always stored).
constexpr Int64 NoDefault = static_cast<Int64>(static_cast<int32_t>(0x80000000));

struct TPropInfo {
  std::string Name;
  PTypeInfo PropType = nullptr;
  TClass Owner = nullptr;  // the class that published it
  Int64 Default = NoDefault;
  int Index = 0;            // position in the class's property list, parents first
  bool IsReadOnly = false;  // no setter

  // Accessors by kind; only those of the property's kind are set.
  std::function<Int64(TObject*)> GetOrd;  // integer, char, enumeration, set (bits), Int64
  std::function<void(TObject*, Int64)> SetOrd;
  std::function<long double(TObject*)> GetFloat;
  std::function<void(TObject*, long double)> SetFloat;
  std::function<std::string(TObject*)> GetStr;
  std::function<void(TObject*, const std::string&)> SetStr;
  std::function<TMethod(TObject*)> GetMethod;
  std::function<void(TObject*, const TMethod&)> SetMethod;
  std::function<TObject*(TObject*)> GetObject;
  std::function<void(TObject*, TObject*)> SetObject;
  std::function<Variant(TObject*)> GetVariant;
  std::function<void(TObject*, const Variant&)> SetVariant;
  std::function<IInterface*(TObject*)> GetInterface;
  std::function<void(TObject*, IInterface*)> SetInterface;
  // Stored predicate; empty means stored.
  std::function<bool(TObject*)> StoredProc;
};
using PPropInfo = const TPropInfo*;
using TPropList = std::vector<PPropInfo>;

// ---------------------------------------------------------------------------------------
// Type information of the built-in types. Enumerations, classes, sets, events, Variant and
// Currency have theirs beside their declarations (found by argument-dependent lookup).
PTypeInfo TypeInfoOf(bool*);
PTypeInfo TypeInfoOf(char*);
PTypeInfo TypeInfoOf(int8_t*);
PTypeInfo TypeInfoOf(uint8_t*);
PTypeInfo TypeInfoOf(int16_t*);
PTypeInfo TypeInfoOf(uint16_t*);
PTypeInfo TypeInfoOf(int32_t*);
PTypeInfo TypeInfoOf(uint32_t*);
PTypeInfo TypeInfoOf(int64_t*);
PTypeInfo TypeInfoOf(float*);
PTypeInfo TypeInfoOf(double*);
PTypeInfo TypeInfoOf(long double*);
PTypeInfo TypeInfoOf(Currency*);
PTypeInfo TypeInfoOf(std::string*);
PTypeInfo TypeInfoOf(Variant*);
// TDateTime is a double to C++; a property that holds a date-time says so in its
// registration (.DateTime()), which gives it this type ("TDateTime", a float kind) so that
// readers of the type information can tell it from a plain Double.
PTypeInfo DateTimeTypeInfo();

// The type information of T.
template <class T> PTypeInfo TypeInfo();

// Builds the type information of an enumeration from its names as written in the source
// ("alNone, alTop, alBottom"), and of a set of it.
TTypeInfo MakeEnumTypeInfo(const char* typeName, const char* names);
TTypeInfo MakeSetTypeInfo(const std::string& typeName, PTypeInfo elemType);
TTypeInfo MakeClassTypeInfo(const char* className, TClass (*classFn)());
TTypeInfo MakeMethodTypeInfo(const char* signature);

// Declares an enumeration with names known to the type information.
#define RTL_ENUM(Name, ...)                                                                        \
  enum Name : int { __VA_ARGS__ };                                                                 \
  RTL_ENUM_INFO(Name, __VA_ARGS__)

// Type information for an enumeration declared elsewhere (contiguous from 0).
#define RTL_ENUM_INFO(Name, ...)                                                                   \
  inline PTypeInfo TypeInfoOf(Name*) {                                                             \
    static const TTypeInfo ti = MakeEnumTypeInfo(#Name, #__VA_ARGS__);                            \
    return &ti;                                                                                    \
  }

template <class E> PTypeInfo TypeInfoOf(Set<E>*) {
  static const TTypeInfo ti = MakeSetTypeInfo("set of " + TypeInfoOf(static_cast<E*>(nullptr))->Name,
                                              TypeInfoOf(static_cast<E*>(nullptr)));
  return &ti;
}

template <class C, class = std::enable_if_t<std::is_base_of_v<TObject, C>>> PTypeInfo TypeInfoOf(C**) {
  static const TTypeInfo ti = MakeClassTypeInfo(C::StaticClassName(), &C::StaticClass);
  return &ti;
}

template <class Sig> PTypeInfo TypeInfoOf(TEvent<Sig>*) {
  static const TTypeInfo ti = MakeMethodTypeInfo(typeid(Sig).name());
  return &ti;
}

template <class T> PTypeInfo TypeInfo() { return TypeInfoOf(static_cast<T*>(nullptr)); }

// ---------------------------------------------------------------------------------------
// Reading type information.

// Name of the enumeration value (or "" out of range); value of a name, -1 when unknown.
std::string GetEnumName(PTypeInfo typeInfo, int value);
int GetEnumValue(PTypeInfo typeInfo, const std::string& name);
// Text of a set in the form "[a,b]" (Brackets false: "a,b"), and back. StringToSet
// accepts blanks around names and raises EPropertyConvertError for an unknown name or a
// name outside the set's range.
std::string SetToString(PTypeInfo setType, Int64 value, bool brackets = true);
Int64 StringToSet(PTypeInfo setType, const std::string& value);
std::string SetToString(PPropInfo prop, Int64 value, bool brackets = true);
Int64 StringToSet(PPropInfo prop, const std::string& value);

// Published properties of a class, parents first; by name without regard to case.
TPropList GetPropList(TClass c);
TPropList GetPropList(const TObject* obj);
TPropList GetPropList(TClass c, TTypeKinds kinds, bool sorted = false);
int GetPropCount(TClass c);
PPropInfo GetPropInfo(TClass c, const std::string& name);
PPropInfo GetPropInfo(const TObject* obj, const std::string& name);
PPropInfo GetPropInfo(const TObject* obj, const std::string& name, TTypeKinds kinds);
bool IsPublishedProp(const TObject* obj, const std::string& name);
bool IsStoredProp(TObject* obj, PPropInfo prop);
bool IsStoredProp(TObject* obj, const std::string& name);
TTypeKind PropType(const TObject* obj, const std::string& name);
bool PropIsType(const TObject* obj, const std::string& name, TTypeKind kind);
// Whether the property holds its default value (so a writer need not store it).
bool IsDefaultPropValue(TObject* obj, PPropInfo prop);

// ---------------------------------------------------------------------------------------
// Reading and writing properties. The by-name forms raise EPropertyError ("Unknown
// property: 'X'") for an unknown name; writing a read-only property raises EPropertyError;
// a value of the wrong kind raises EPropertyConvertError.
Int64 GetOrdProp(TObject* obj, PPropInfo prop);
void SetOrdProp(TObject* obj, PPropInfo prop, Int64 value);
Int64 GetOrdProp(TObject* obj, const std::string& name);
void SetOrdProp(TObject* obj, const std::string& name, Int64 value);
std::string GetEnumProp(TObject* obj, PPropInfo prop);
void SetEnumProp(TObject* obj, PPropInfo prop, const std::string& value);
std::string GetEnumProp(TObject* obj, const std::string& name);
void SetEnumProp(TObject* obj, const std::string& name, const std::string& value);
std::string GetSetProp(TObject* obj, PPropInfo prop, bool brackets = false);
void SetSetProp(TObject* obj, PPropInfo prop, const std::string& value);
std::string GetSetProp(TObject* obj, const std::string& name, bool brackets = false);
void SetSetProp(TObject* obj, const std::string& name, const std::string& value);
Int64 GetInt64Prop(TObject* obj, PPropInfo prop);
void SetInt64Prop(TObject* obj, PPropInfo prop, Int64 value);
long double GetFloatProp(TObject* obj, PPropInfo prop);
void SetFloatProp(TObject* obj, PPropInfo prop, long double value);
long double GetFloatProp(TObject* obj, const std::string& name);
void SetFloatProp(TObject* obj, const std::string& name, long double value);
std::string GetStrProp(TObject* obj, PPropInfo prop);
void SetStrProp(TObject* obj, PPropInfo prop, const std::string& value);
std::string GetStrProp(TObject* obj, const std::string& name);
void SetStrProp(TObject* obj, const std::string& name, const std::string& value);
TMethod GetMethodProp(TObject* obj, PPropInfo prop);
void SetMethodProp(TObject* obj, PPropInfo prop, const TMethod& value);
TMethod GetMethodProp(TObject* obj, const std::string& name);
void SetMethodProp(TObject* obj, const std::string& name, const TMethod& value);
TObject* GetObjectProp(TObject* obj, PPropInfo prop);
void SetObjectProp(TObject* obj, PPropInfo prop, TObject* value);
TObject* GetObjectProp(TObject* obj, const std::string& name);
void SetObjectProp(TObject* obj, const std::string& name, TObject* value);
IInterface* GetInterfaceProp(TObject* obj, PPropInfo prop);
void SetInterfaceProp(TObject* obj, PPropInfo prop, IInterface* value);
Variant GetVariantProp(TObject* obj, PPropInfo prop);
void SetVariantProp(TObject* obj, PPropInfo prop, const Variant& value);
// Any property as a Variant: enumerations as their names when preferStrings, sets as text.
Variant GetPropValue(TObject* obj, const std::string& name, bool preferStrings = true);
void SetPropValue(TObject* obj, const std::string& name, const Variant& value);

// ---------------------------------------------------------------------------------------
// The property builder used in RTL_BEGIN_CLASS blocks.

class TPropBuilder {
public:
  explicit TPropBuilder(TPropInfo& p) : p_(p) {}
  TPropBuilder& Default(Int64 v) {
    p_.Default = v;
    return *this;
  }
  template <class E, class = std::enable_if_t<std::is_enum_v<E>>> TPropBuilder& Default(E v) {
    p_.Default = static_cast<Int64>(v);
    return *this;
  }
  template <class E> TPropBuilder& Default(const Set<E>& v) {
    p_.Default = static_cast<Int64>(v.ToBits());
    return *this;
  }
  // The property holds a TDateTime (see DateTimeTypeInfo).
  TPropBuilder& DateTime() {
    p_.PropType = DateTimeTypeInfo();
    return *this;
  }
  TPropBuilder& NoDefaultValue() {
    p_.Default = NoDefault;
    return *this;
  }
  TPropBuilder& Stored(bool stored) {
    if (stored) p_.StoredProc = nullptr;
    else p_.StoredProc = [](TObject*) { return false; };
    return *this;
  }
  template <class T> TPropBuilder& Stored(bool (T::*pred)() const) {
    p_.StoredProc = [pred](TObject* o) { return (static_cast<T*>(o)->*pred)(); };
    return *this;
  }
  template <class T> TPropBuilder& Stored(bool (T::*pred)()) {
    p_.StoredProc = [pred](TObject* o) { return (static_cast<T*>(o)->*pred)(); };
    return *this;
  }
  template <class F> TPropBuilder& StoredIf(F f) {
    p_.StoredProc = std::move(f);
    return *this;
  }

private:
  TPropInfo& p_;
};

namespace rtl_detail {
template <class> struct IsSet : std::false_type {};
template <class E> struct IsSet<Set<E>> : std::true_type {};
template <class> struct IsEvent : std::false_type {};
template <class S> struct IsEvent<TEvent<S>> : std::true_type {};

// Calls a getter (member function, data member or callable taking T*) and a setter.
template <class T, class G> decltype(auto) Read(G g, T* obj) {
  if constexpr (std::is_member_function_pointer_v<G>) return (obj->*g)();
  else if constexpr (std::is_member_object_pointer_v<G>) return (obj->*g);
  else return g(obj);
}
template <class T, class S, class V> void Write(S s, T* obj, V&& v) {
  if constexpr (std::is_member_function_pointer_v<S>) (obj->*s)(std::forward<V>(v));
  else if constexpr (std::is_member_object_pointer_v<S>) obj->*s = std::forward<V>(v);
  else s(obj, std::forward<V>(v));
}
PTypeInfo InterfaceTypeInfo();
[[noreturn]] void RaisePropertyClassMismatch(const std::string& prop, TObject* value);

// The class an accessor is called on: the class that declares a member accessor (so that
// every class publishing an inherited property shares one set of accessor functions), or
// the publishing class T for a callable.
template <class T, class F> struct AccessorClass {
  using type = T;
};
template <class T, class R, class C> struct AccessorClass<T, R C::*> {
  using type = std::conditional_t<std::is_base_of_v<TObject, C>, C, T>;
};
template <class T, class F> using AccessorClassT = typename AccessorClass<T, F>::type;

// Fills the property's read accessor from a getter.
template <class T, class V, class G> void BindGetter(TPropInfo& p, G g) {
  if constexpr (std::is_same_v<V, std::string>) {
    p.GetStr = [g](TObject* o) { return std::string(Read(g, static_cast<T*>(o))); };
  } else if constexpr (std::is_same_v<V, Variant>) {
    p.GetVariant = [g](TObject* o) -> V { return Read(g, static_cast<T*>(o)); };
  } else if constexpr (std::is_floating_point_v<V>) {
    p.GetFloat = [g](TObject* o) { return static_cast<long double>(Read(g, static_cast<T*>(o))); };
  } else if constexpr (std::is_same_v<V, Currency>) {
    p.GetFloat = [g](TObject* o) { return Currency(Read(g, static_cast<T*>(o))).ToExtended(); };
  } else if constexpr (std::is_integral_v<V> || std::is_enum_v<V>) {
    p.GetOrd = [g](TObject* o) { return static_cast<Int64>(Read(g, static_cast<T*>(o))); };
  } else if constexpr (IsSet<V>::value) {
    p.GetOrd = [g](TObject* o) { return static_cast<Int64>(V(Read(g, static_cast<T*>(o))).ToBits()); };
  } else if constexpr (IsEvent<V>::value) {
    p.GetMethod = [g](TObject* o) { return V(Read(g, static_cast<T*>(o))).AsMethod(); };
  } else if constexpr (std::is_pointer_v<V> && std::is_base_of_v<TObject, std::remove_pointer_t<V>>) {
    p.GetObject = [g](TObject* o) -> TObject* { return Read(g, static_cast<T*>(o)); };
  } else if constexpr (std::is_pointer_v<V> && std::is_base_of_v<IInterface, std::remove_pointer_t<V>>) {
    p.GetInterface = [g](TObject* o) -> IInterface* { return Read(g, static_cast<T*>(o)); };
  } else {
    static_assert(sizeof(V) == 0, "unsupported published property type");
  }
}

// Fills the property's write accessor from a setter.
template <class T, class V, class S> void BindSetter(TPropInfo& p, S s) {
  if constexpr (std::is_same_v<V, std::string>) {
    p.SetStr = [s](TObject* o, const std::string& v) { Write(s, static_cast<T*>(o), v); };
  } else if constexpr (std::is_same_v<V, Variant>) {
    p.SetVariant = [s](TObject* o, const Variant& v) { Write(s, static_cast<T*>(o), v); };
  } else if constexpr (std::is_floating_point_v<V>) {
    p.SetFloat = [s](TObject* o, long double v) { Write(s, static_cast<T*>(o), static_cast<V>(v)); };
  } else if constexpr (std::is_same_v<V, Currency>) {
    p.SetFloat = [s](TObject* o, long double v) { Write(s, static_cast<T*>(o), Currency::FromDouble(v)); };
  } else if constexpr (std::is_integral_v<V> || std::is_enum_v<V>) {
    p.SetOrd = [s](TObject* o, Int64 v) { Write(s, static_cast<T*>(o), static_cast<V>(v)); };
  } else if constexpr (IsSet<V>::value) {
    p.SetOrd = [s](TObject* o, Int64 v) { Write(s, static_cast<T*>(o), V::FromBits(static_cast<uint64_t>(v))); };
  } else if constexpr (IsEvent<V>::value) {
    p.SetMethod = [s](TObject* o, const TMethod& m) { Write(s, static_cast<T*>(o), V(m)); };
  } else if constexpr (std::is_pointer_v<V> && std::is_base_of_v<TObject, std::remove_pointer_t<V>>) {
    using C = std::remove_pointer_t<V>;
    p.SetObject = [s, name = p.Name](TObject* o, TObject* v) {
      C* typed = dynamic_cast<C*>(v);
      if (v && !typed) RaisePropertyClassMismatch(name, v);
      Write(s, static_cast<T*>(o), typed);
    };
  } else if constexpr (std::is_pointer_v<V> && std::is_base_of_v<IInterface, std::remove_pointer_t<V>>) {
    using I = std::remove_pointer_t<V>;
    p.SetInterface = [s](TObject* o, IInterface* v) {
      void* typed = nullptr;
      if (v) v->QueryInterface(I::IID(), &typed);
      if (typed) static_cast<IInterface*>(typed)->_Release();
      Write(s, static_cast<T*>(o), static_cast<I*>(typed));
    };
  } else {
    static_assert(sizeof(V) == 0, "unsupported published property type");
  }
}

// Fills the property's accessors from a getter and setter (setter may be nullptr).
template <class T, class V, class G, class S> void Bind(TPropInfo& p, G g, S s) {
  constexpr bool writable = !std::is_null_pointer_v<S>;
  p.IsReadOnly = !writable;
  BindGetter<AccessorClassT<T, G>, V>(p, g);
  if constexpr (writable) BindSetter<AccessorClassT<T, S>, V>(p, s);
}

template <class V> PTypeInfo PropTypeInfo() {
  if constexpr (std::is_pointer_v<V> && std::is_base_of_v<IInterface, std::remove_pointer_t<V>> &&
                !std::is_base_of_v<TObject, std::remove_pointer_t<V>>)  // components are classes
    return InterfaceTypeInfo();
  else
    return TypeInfoOf(static_cast<V*>(nullptr));
}
}  // namespace rtl_detail

template <class T>
template <class G, class S>
auto TClassBuilder<T>::Property(const char* name, G getter, S setter) {
  using V = std::decay_t<decltype(rtl_detail::Read(getter, static_cast<T*>(nullptr)))>;
  auto p = std::make_unique<TPropInfo>();
  p->Name = name;
  p->Owner = &desc_;
  p->PropType = rtl_detail::PropTypeInfo<V>();
  rtl_detail::Bind<T, V>(*p, getter, setter);
  TPropInfo& ref = *p;
  desc_.AddProperty(std::move(p));
  return TPropBuilder(ref);
}
