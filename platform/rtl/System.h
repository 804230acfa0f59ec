#pragma once
// The root of the runtime library: basic numeric types, TObject and class references
// (metaclasses), the class registry by name, message maps, events as comparable
// closures, interfaces, sets and the exception base.
//
// Every class of the system derives from TObject and declares itself with
// RTL_DECLARE_CLASS in its body and RTL_IMPLEMENT_CLASS (or RTL_BEGIN_CLASS ...
// RTL_END_CLASS, which also lists published members and message handlers) in its .cpp.

#include <windows.h>

#include <bitset>
#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------------------
// Numeric types. Integer and Cardinal are 32 bits; C++ long is 64 bits here, so it is
// never used for them.
using Integer = int32_t;
using Cardinal = uint32_t;
using Int64 = int64_t;
using UInt64 = uint64_t;
using Word = uint16_t;
using Byte = uint8_t;
using ShortInt = int8_t;
using SmallInt = int16_t;
using LongWord = uint32_t;
using Extended = long double;
using TDateTime = double;
using NativeInt = intptr_t;
using NativeUInt = uintptr_t;

class TObject;
class TClassDesc;
struct TPropInfo;
struct TTypeInfo;
struct TMessage;

// A class reference ("class of TObject"): a pointer to the class's descriptor.
using TClass = const TClassDesc*;

// ---------------------------------------------------------------------------------------
// Methods and events.
//
// A method pointer is (code, object). Code is kept as a member-function pointer of
// TObject; the typed event casts it back to its own signature. Events compare equal when
// both the object and the code are equal, and are empty when unassigned.
using TMethodCode = void (TObject::*)();

struct TMethod {
  TMethodCode Code = nullptr;
  TObject* Data = nullptr;
  bool Assigned() const { return Code != nullptr; }
  friend bool operator==(const TMethod& a, const TMethod& b) { return a.Code == b.Code && a.Data == b.Data; }
};

// Member-function pointers of different signatures are stored in one cell and cast back to
// their own signature before a call: that round trip is what -Wcast-function-type flags.
#define RTL_MEMBER_CAST_BEGIN _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wcast-function-type\"")
#define RTL_MEMBER_CAST_END _Pragma("GCC diagnostic pop")

template <class Sig> class TEvent;

RTL_MEMBER_CAST_BEGIN
template <class R, class... A> class TEvent<R(A...)> {
public:
  using Code = R (TObject::*)(A...);

  TEvent() = default;
  TEvent(std::nullptr_t) {}
  template <class C, class = std::enable_if_t<std::is_base_of_v<TObject, C>>>
  TEvent(C* obj, R (C::*m)(A...))
      : method_{reinterpret_cast<TMethodCode>(static_cast<Code>(m)), obj} {}
  explicit TEvent(const TMethod& m) : method_(m) {}

  bool Assigned() const { return method_.Code != nullptr; }
  explicit operator bool() const { return Assigned(); }
  R operator()(A... args) const {
    auto code = reinterpret_cast<Code>(method_.Code);
    return (method_.Data->*code)(std::forward<A>(args)...);
  }
  const TMethod& AsMethod() const { return method_; }
  TObject* Data() const { return method_.Data; }
  friend bool operator==(const TEvent& a, const TEvent& b) { return a.method_ == b.method_; }

private:
  TMethod method_;
};

RTL_MEMBER_CAST_END

using TNotifyEvent = TEvent<void(TObject* Sender)>;

// ---------------------------------------------------------------------------------------
// Messages: the record handed to Dispatch and to message handlers.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
  Word WParamLo() const { return LOWORD(WParam); }
  Word WParamHi() const { return HIWORD(WParam); }
  Word LParamLo() const { return LOWORD(LParam); }
  Word LParamHi() const { return HIWORD(LParam); }
};

using TMessageHandler = void (TObject::*)(TMessage&);

// ---------------------------------------------------------------------------------------
// Interfaces. IInterface is the root of the system's interfaces. Its table of methods is
// COM's IUnknown (QueryInterface, then the two reference-count methods, same calling
// convention), so an IInterface* can be handed to COM as an IUnknown* (AsIUnknown); the
// count methods are named _AddRef and _Release, as in the class library, which leaves the
// names AddRef and Release free for classes' own methods (a form's Release). Its IID is
// IUnknown's. A class lists the interfaces it implements in its descriptor
// (b.Interface<I>() in RTL_BEGIN_CLASS); QueryInterface, Supports and GetInterface look
// them up there.
using TGUID = GUID;

struct IInterface {
  static const GUID& IID() { return IID_IUnknown; }
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) = 0;
  virtual ULONG STDMETHODCALLTYPE _AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE _Release() = 0;

protected:
  ~IInterface() = default;
};

inline IUnknown* AsIUnknown(IInterface* intf) { return reinterpret_cast<IUnknown*>(intf); }

// An interface type names its GUID with RTL_INTERFACE_ID inside its body.
#define RTL_INTERFACE_ID(a, b, c, d0, d1, d2, d3, d4, d5, d6, d7)                                   \
  static const GUID& IID() {                                                                       \
    static const GUID g = {a, b, c, {d0, d1, d2, d3, d4, d5, d6, d7}};                             \
    return g;                                                                                      \
  }

// Declares IInterface's three methods in a class that implements interfaces (the class
// then defines them, or derives them from TInterfacedObject / TInterfacedPersistent /
// TComponent). The IID type is named ::IID because inside such a class IID names the
// interface's IID() member (an out-of-class definition must write `const ::IID&` too).
#define RTL_IINTERFACE_METHODS                                                                     \
  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override;                \
  ULONG STDMETHODCALLTYPE _AddRef() override;                                                      \
  ULONG STDMETHODCALLTYPE _Release() override;

// ---------------------------------------------------------------------------------------
// The class descriptor: name, parent, virtual constructor, published properties and
// methods, implemented interfaces and the message map.
class TClassDesc {
public:
  // Virtual constructor: builds an instance with the constructor argument of its family
  // (nothing for plain objects, the owner for components, the collection for collection
  // items). Null for abstract classes.
  using Constructor = TObject* (*)(void* arg);
  using InterfaceCast = void* (*)(TObject*);

  struct MethodEntry {
    std::string Name;
    TMethodCode Code;
  };
  struct InterfaceEntry {
    GUID IID;
    InterfaceCast Cast;
  };
  // A published field: a form's reference to one of its components, set by name when
  // the component is named or read from a form description.
  struct FieldEntry {
    std::string Name;
    TClass (*FieldClassFn)();  // resolved on use: classes may name each other
    std::function<void(TObject* instance, TObject* value)> Set;
    TClass FieldClass() const { return FieldClassFn ? FieldClassFn() : nullptr; }
  };

  TClassDesc(const char* name, TClass parent, Constructor ctor, size_t instanceSize);
  ~TClassDesc();
  TClassDesc(const TClassDesc&) = delete;
  TClassDesc& operator=(const TClassDesc&) = delete;

  const std::string& ClassName() const { return name_; }
  TClass ClassParent() const { return parent_; }
  bool InheritsFrom(TClass other) const;
  bool IsAbstract() const { return ctor_ == nullptr; }
  size_t InstanceSize() const { return size_; }

  // Builds an instance through the virtual constructor and calls AfterConstruction.
  // Raises EAbstractError for an abstract class.
  TObject* CreateInstance(void* arg = nullptr) const;

  // Published properties of this class only, in declaration order (TypInfo walks parents).
  const std::vector<std::unique_ptr<TPropInfo>>& OwnProperties() const { return props_; }
  // Published method lookup by name (case-insensitive), searching parents too.
  TMethodCode MethodAddress(const std::string& name) const;
  // Name of a published method of this class or a parent, "" when none.
  std::string MethodName(TMethodCode code) const;
  const std::vector<MethodEntry>& OwnMethods() const { return methods_; }
  // The implementation of an interface by this class or a parent; null when none.
  const InterfaceEntry* FindInterface(const GUID& iid) const;
  // The published field of that name (case-insensitive) in this class or a parent.
  const FieldEntry* FindField(const std::string& name) const;
  const std::vector<FieldEntry>& OwnFields() const { return fields_; }
  // The message handler for msg in this class or a parent; null when none.
  TMessageHandler FindMessageHandler(UINT msg) const;

  // Used by the class builder while the descriptor is being made.
  void AddProperty(std::unique_ptr<TPropInfo> prop);
  void AddMethod(const std::string& name, TMethodCode code) { methods_.push_back({name, code}); }
  void AddInterface(const GUID& iid, InterfaceCast cast) { interfaces_.push_back({iid, cast}); }
  void AddMessageHandler(UINT msg, TMessageHandler handler);
  void AddField(FieldEntry field) { fields_.push_back(std::move(field)); }

private:
  std::string name_;
  TClass parent_;
  Constructor ctor_;
  size_t size_;
  std::vector<std::unique_ptr<TPropInfo>> props_;
  std::vector<MethodEntry> methods_;
  std::vector<InterfaceEntry> interfaces_;
  std::vector<FieldEntry> fields_;
  std::vector<std::pair<UINT, TMessageHandler>> messages_;  // sorted by message id
};

// ---------------------------------------------------------------------------------------
// TObject.
class TObject {
public:
  // The argument type of the family's virtual constructor: void means "none".
  using TConstructorArg = void;

  TObject() = default;
  virtual ~TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;

  static TClass StaticClass();
  static const char* StaticClassName() { return "TObject"; }
  virtual TClass ClassType() const { return StaticClass(); }
  const std::string& ClassName() const { return ClassType()->ClassName(); }
  TClass ClassParent() const { return ClassType()->ClassParent(); }
  bool InheritsFrom(TClass c) const { return ClassType()->InheritsFrom(c); }
  bool ClassNameIs(const std::string& name) const;

  // Called after the most-derived constructor when built through New<T>() or a class
  // reference, and before destruction whenever a heap object is destroyed (see below).
  virtual void AfterConstruction() {}
  virtual void BeforeDestruction() {}

  // Destroys the object: BeforeDestruction, then the destructors. For a reference that
  // may be null use FreeAndNil or FreeObject.
  void Free();

  // The one destruction path of every heap object of the system. A C++ destructor chain
  // runs most-derived first, so by the time a base destructor runs, the object has lost
  // its derived classes: virtual calls land in the base and dynamic_cast no longer sees
  // what the object was. Work that others must observe with the object's real class
  // (free notifications, the owner's Notification, window teardown) therefore belongs in
  // BeforeDestruction. This destroying delete runs it for every delete-expression, so
  // Free(), FreeAndNil, plain `delete`, std::unique_ptr and TObjectPtr all behave alike:
  // BeforeDestruction on the complete object, then the destructors, then the memory.
  // Objects of automatic storage or held by value never see BeforeDestruction; classes
  // whose teardown matters (components) are created on the heap only. Deallocation is
  // noexcept, so BeforeDestruction must not throw.
  static void operator delete(TObject* obj, std::destroying_delete_t) noexcept;

  // Message dispatch through the class's message map; unhandled messages reach
  // DefaultHandler.
  virtual void Dispatch(TMessage& message);
  virtual void DefaultHandler(TMessage& message) {}
  // Dispatch starting at the handlers of 'from' (used for "inherited" in a handler).
  void DispatchFrom(TClass from, TMessage& message);

  // Published method lookup on this object's class.
  TMethodCode MethodAddress(const std::string& name) const { return ClassType()->MethodAddress(name); }
  std::string MethodName(TMethodCode code) const { return ClassType()->MethodName(code); }

  // The interface iid as implemented by this object's class (no reference is added).
  bool GetInterface(const GUID& iid, void** obj) const;
};

// Builds T, then calls AfterConstruction (the way every object of the system is made
// when its class cares about AfterConstruction).
template <class T, class... A> T* New(A&&... args) {
  T* obj = new T(std::forward<A>(args)...);
  try {
    obj->AfterConstruction();
  } catch (...) {
    delete obj;
    throw;
  }
  return obj;
}

// Frees the object the pointer names and sets the pointer to null (the pointer is cleared
// first, so that code reached from the destructor no longer sees the object).
template <class T> void FreeAndNil(T*& obj) {
  T* tmp = obj;
  obj = nullptr;
  if (tmp) tmp->Free();
}

// Frees obj when it is not null.
inline void FreeObject(TObject* obj) {
  if (obj) obj->Free();
}

// unique_ptr for TObjects that frees through Free().
struct TObjectDeleter {
  void operator()(TObject* obj) const {
    if (obj) obj->Free();
  }
};
template <class T> using TObjectPtr = std::unique_ptr<T, TObjectDeleter>;

// Type test and checked cast, as "is" and "as": As raises EInvalidCast.
template <class T> bool Is(const TObject* obj) { return dynamic_cast<const T*>(obj) != nullptr; }
template <class T> T* As(TObject* obj);

// ---------------------------------------------------------------------------------------
// Class declaration and implementation macros.

#define RTL_DECLARE_CLASS(T, Base)                                                                 \
public:                                                                                            \
  using inherited = Base;                                                                          \
  static TClass StaticClass();                                                                     \
  static const char* StaticClassName() { return #T; }                                              \
  TClass ClassType() const override { return StaticClass(); }                                      \
                                                                                                   \
private:

namespace rtl_detail {
template <class T> TObject* Construct(void* arg) {
  if constexpr (std::is_abstract_v<T>) {
    return nullptr;
  } else {
    using Arg = typename T::TConstructorArg;
    if constexpr (std::is_void_v<Arg>) {
      if constexpr (std::is_default_constructible_v<T>) return new T();
      else return nullptr;
    } else {
      if constexpr (std::is_constructible_v<T, Arg>) return new T(static_cast<Arg>(arg));
      else return nullptr;
    }
  }
}
template <class T> constexpr TClassDesc::Constructor ConstructorOf() {
  if constexpr (std::is_abstract_v<T>) {
    return nullptr;
  } else {
    using Arg = typename T::TConstructorArg;
    if constexpr (std::is_void_v<Arg>) {
      if constexpr (std::is_default_constructible_v<T>) return &Construct<T>;
      else return nullptr;
    } else {
      if constexpr (std::is_constructible_v<T, Arg>) return &Construct<T>;
      else return nullptr;
    }
  }
}
}  // namespace rtl_detail

template <class T> class TClassBuilder;

// RTL_IMPLEMENT_CLASS(T) in the class's .cpp: a class with no published members of its own.
#define RTL_IMPLEMENT_CLASS(T)                                                                     \
  TClass T::StaticClass() {                                                                        \
    static TClassDesc desc(#T, T::inherited::StaticClass(), rtl_detail::ConstructorOf<T>(),        \
                           sizeof(T));                                                             \
    return &desc;                                                                                  \
  }

// RTL_BEGIN_CLASS(T) { builder statements using 'b' } RTL_END_CLASS
// lists published properties, published methods, interfaces and message handlers:
//   b.Property("Width", &T::Width, &T::SetWidth).Default(0);
//   b.Method("Button1Click", &T::Button1Click);
//   b.Interface<IFoo>();
//   b.Message(WM_PAINT, &T::WMPaint);
//
// The descriptor exists before its members are registered, and registration runs once on
// first use; a class's members may name the class itself or a descendant (TControl's
// Parent is a TWinControl), so a call made while registering gets the same descriptor.
#define RTL_BEGIN_CLASS(T)                                                                         \
  static void rtl_register_members_##T(TClassBuilder<T>& b);                                       \
  TClass T::StaticClass() {                                                                        \
    static TClassDesc d(#T, T::inherited::StaticClass(), rtl_detail::ConstructorOf<T>(),           \
                        sizeof(T));                                                                \
    static bool registering = false, registered = false;                                           \
    if (!registered && !registering) {                                                             \
      registering = true;                                                                          \
      TClassBuilder<T> builder(d);                                                                 \
      rtl_register_members_##T(builder);                                                           \
      registered = true;                                                                           \
      registering = false;                                                                         \
    }                                                                                              \
    return &d;                                                                                     \
  }                                                                                                \
  static void rtl_register_members_##T(TClassBuilder<T>& b) {
#define RTL_END_CLASS }

// The builder handed to RTL_BEGIN_CLASS. Property registration lives in TypInfo.h (it
// needs the type-information machinery); methods, interfaces and messages are here.
RTL_MEMBER_CAST_BEGIN
template <class T> class TClassBuilder {
public:
  explicit TClassBuilder(TClassDesc& desc) : desc_(desc) {}
  TClassDesc& Desc() { return desc_; }

  template <class M> void Method(const std::string& name, M T::*m) {
    desc_.AddMethod(name, reinterpret_cast<TMethodCode>(static_cast<M TObject::*>(m)));
  }
  // A published field holding a component reference (set by name; cleared when the
  // component goes or is renamed).
  template <class C> void Field(const std::string& name, C* T::*member) {
    desc_.AddField({name, &C::StaticClass, [member](TObject* inst, TObject* v) {
                      static_cast<T*>(inst)->*member = dynamic_cast<C*>(v);
                    }});
  }
  template <class I> void Interface() {
    desc_.AddInterface(I::IID(), [](TObject* o) -> void* { return static_cast<I*>(static_cast<T*>(o)); });
  }
  template <class Msg> void Message(UINT id, void (T::*handler)(Msg&)) {
    static_assert(sizeof(Msg) <= sizeof(TMessage) || std::is_same_v<Msg, TMessage>,
                  "message records must overlay TMessage");
    auto h = static_cast<void (TObject::*)(Msg&)>(handler);
    desc_.AddMessageHandler(id, reinterpret_cast<TMessageHandler>(h));
  }
  // Published properties (defined in TypInfo.h); setter may be nullptr (read-only).
  template <class G, class S> auto Property(const char* name, G getter, S setter);

private:
  TClassDesc& desc_;
};
RTL_MEMBER_CAST_END

// ---------------------------------------------------------------------------------------
// The class registry by name (form reading and the class registries of the system).
void RegisterClass(TClass c);
void RegisterClasses(std::initializer_list<TClass> classes);
// A unit's list of classes, registered at its start and unregistered at its end.
void RegisterClasses(const std::vector<TClass>& classes);
void UnRegisterClasses(const std::vector<TClass>& classes);
void UnRegisterClass(TClass c);
// Null when no class of that name is registered.
TClass GetClass(const std::string& name);
// Raises EClassNotFound when no class of that name is registered.
TClass FindClass(const std::string& name);

// ---------------------------------------------------------------------------------------
// Sets: a Pascal set of an enumeration (or of a small ordinal type), up to 256 elements.
// Element i is bit i, as in a stored set.
template <class E> class Set {
public:
  static constexpr size_t Capacity = 256;

  Set() = default;
  Set(std::initializer_list<E> elems) {
    for (E e : elems) Include(e);
  }

  static Set FromBits(uint64_t bits) {
    Set s;
    for (size_t i = 0; i < 64; ++i)
      if (bits & (uint64_t(1) << i)) s.bits_.set(i);
    return s;
  }
  // The lowest 64 elements as a bit mask (ordinal properties and small stored sets).
  uint64_t ToBits() const {
    uint64_t r = 0;
    for (size_t i = 0; i < 64; ++i)
      if (bits_.test(i)) r |= uint64_t(1) << i;
    return r;
  }

  bool Contains(E e) const { return bits_.test(index(e)); }
  Set& Include(E e) {
    bits_.set(index(e));
    return *this;
  }
  Set& Exclude(E e) {
    bits_.reset(index(e));
    return *this;
  }
  Set& operator<<(E e) { return Include(e); }
  Set& operator>>(E e) { return Exclude(e); }
  bool Empty() const { return bits_.none(); }
  size_t Count() const { return bits_.count(); }
  void Clear() { bits_.reset(); }

  friend Set operator+(Set a, const Set& b) {
    a.bits_ |= b.bits_;
    return a;
  }
  friend Set operator-(Set a, const Set& b) {
    a.bits_ &= ~b.bits_;
    return a;
  }
  friend Set operator*(Set a, const Set& b) {
    a.bits_ &= b.bits_;
    return a;
  }
  Set& operator+=(const Set& b) { return *this = *this + b; }
  Set& operator-=(const Set& b) { return *this = *this - b; }
  Set& operator*=(const Set& b) { return *this = *this * b; }
  friend bool operator==(const Set& a, const Set& b) { return a.bits_ == b.bits_; }
  // Subset and superset, as Pascal's <= and >=.
  friend bool operator<=(const Set& a, const Set& b) { return (a.bits_ & ~b.bits_).none(); }
  friend bool operator>=(const Set& a, const Set& b) { return b <= a; }

  bool TestIndex(size_t i) const { return i < Capacity && bits_.test(i); }
  void SetIndex(size_t i, bool on) { bits_.set(i, on); }

private:
  static size_t index(E e) {
    auto i = static_cast<size_t>(e);
    return i % Capacity;
  }
  std::bitset<Capacity> bits_;
};

// ---------------------------------------------------------------------------------------
// Exceptions. Every exception the system raises derives from Exception and is thrown by
// value; catch by reference.
class Exception : public TObject, public std::exception {
  RTL_DECLARE_CLASS(Exception, TObject)
public:
  Exception() = default;
  explicit Exception(std::string message) : message_(std::move(message)) {}
  Exception(std::string message, int helpContext) : message_(std::move(message)), help_(helpContext) {}

  const std::string& Message() const { return message_; }
  void SetMessage(const std::string& m) { message_ = m; }
  int HelpContext() const { return help_; }
  void SetHelpContext(int h) { help_ = h; }
  const char* what() const noexcept override { return message_.c_str(); }

private:
  std::string message_;
  int help_ = 0;
};

// Declares an exception class E deriving from Base, with Base's constructors.
#define RTL_EXCEPTION(E, Base)                                                                     \
  class E : public Base {                                                                          \
    RTL_DECLARE_CLASS(E, Base)                                                                     \
  public:                                                                                          \
    using Base::Base;                                                                              \
  };

RTL_EXCEPTION(EAbort, Exception)
RTL_EXCEPTION(EAbstractError, Exception)
RTL_EXCEPTION(EInvalidCast, Exception)
RTL_EXCEPTION(EInvalidPointer, Exception)
RTL_EXCEPTION(EInvalidOperation, Exception)
RTL_EXCEPTION(EConvertError, Exception)
RTL_EXCEPTION(EVariantError, Exception)
RTL_EXCEPTION(EIntError, Exception)
RTL_EXCEPTION(EDivByZero, EIntError)
RTL_EXCEPTION(ERangeError, EIntError)
RTL_EXCEPTION(EIntOverflow, EIntError)
RTL_EXCEPTION(EMathError, Exception)
RTL_EXCEPTION(EZeroDivide, EMathError)
RTL_EXCEPTION(EInvalidOp, EMathError)
RTL_EXCEPTION(EOverflow, EMathError)
RTL_EXCEPTION(EUnderflow, EMathError)
RTL_EXCEPTION(EOutOfMemory, Exception)
RTL_EXCEPTION(EExternal, Exception)
RTL_EXCEPTION(EAccessViolation, EExternal)
RTL_EXCEPTION(EOSError, Exception)
RTL_EXCEPTION(EInOutError, Exception)
RTL_EXCEPTION(EPropertyError, Exception)
RTL_EXCEPTION(EPropertyConvertError, Exception)
RTL_EXCEPTION(EIntfCastError, Exception)
RTL_EXCEPTION(EListError, Exception)
RTL_EXCEPTION(EStringListError, Exception)
RTL_EXCEPTION(EStreamError, Exception)
RTL_EXCEPTION(EFCreateError, EStreamError)
RTL_EXCEPTION(EFOpenError, EStreamError)
RTL_EXCEPTION(EFilerError, EStreamError)
RTL_EXCEPTION(EReadError, EFilerError)
RTL_EXCEPTION(EWriteError, EFilerError)
RTL_EXCEPTION(EClassNotFound, EFilerError)
RTL_EXCEPTION(EMethodNotFound, EFilerError)
RTL_EXCEPTION(EInvalidImage, EFilerError)
RTL_EXCEPTION(EResNotFound, Exception)
RTL_EXCEPTION(EComponentError, Exception)
RTL_EXCEPTION(EOutOfResources, Exception)
RTL_EXCEPTION(EInvalidGraphic, Exception)
RTL_EXCEPTION(EInvalidGraphicOperation, Exception)
RTL_EXCEPTION(EBitsError, Exception)
RTL_EXCEPTION(EThread, Exception)

// Raises the silent exception: the application's handler shows nothing for it.
[[noreturn]] void Abort();

// Raises EOSError for the calling thread's last Win32 error (or the given code).
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(DWORD code);
// The system's text for a Win32 error code.
std::string SysErrorMessage(DWORD code);

template <class T> T* As(TObject* obj) {
  if (obj == nullptr) return nullptr;
  if (T* t = dynamic_cast<T*>(obj)) return t;
  throw EInvalidCast("Invalid class typecast");
}

// Supports: whether obj implements the interface; on success *intf receives it with a
// reference added (as QueryInterface does), when obj is reference counted.
bool Supports(TObject* obj, const GUID& iid, void** intf);
bool Supports(TObject* obj, const GUID& iid);
bool Supports(IUnknown* intf, const GUID& iid, void** out);
bool Supports(IInterface* intf, const GUID& iid, void** out);
template <class I> I* Supports(TObject* obj) {
  void* p = nullptr;
  return obj && obj->GetInterface(I::IID(), &p) ? static_cast<I*>(p) : nullptr;
}
bool IsEqualGUIDs(const GUID& a, const GUID& b);

// A reference-counted object reached through interfaces: the count starts at 0, every
// QueryInterface/_AddRef adds one, and the _Release that brings it back to 0 frees the
// object. Interfaces it implements are listed in its class descriptor (b.Interface<I>()).
// IInterface is a virtual base, so an interface family that also derives virtually from
// IInterface shares this one implementation; a class that adds an interface deriving from
// IInterface in the ordinary way overrides the three methods and forwards them here.
class TInterfacedObject : public TObject, public virtual IInterface {
  RTL_DECLARE_CLASS(TInterfacedObject, TObject)
public:
  RTL_IINTERFACE_METHODS
  Integer RefCount() const { return static_cast<Integer>(refCount_); }

private:
  LONG refCount_ = 0;
};

// ---------------------------------------------------------------------------------------
// Currency: a fixed-point number, an Int64 scaled by 10 000 (text conversion in SysUtils).
struct Currency {
  Int64 Value = 0;  // the scaled value

  constexpr Currency() = default;
  static constexpr Currency FromScaled(Int64 v) {
    Currency c;
    c.Value = v;
    return c;
  }
  // Rounds to the nearest 1/10 000, half to even, as a floating assignment does; raises
  // EInvalidOp when the value is outside Currency's range.
  static Currency FromDouble(long double d);
  static constexpr Currency FromInt(Int64 i) { return FromScaled(i * 10000); }
  long double ToExtended() const { return static_cast<long double>(Value) / 10000.0L; }
  double ToDouble() const { return static_cast<double>(ToExtended()); }

  friend Currency operator+(Currency a, Currency b) { return FromScaled(a.Value + b.Value); }
  friend Currency operator-(Currency a, Currency b) { return FromScaled(a.Value - b.Value); }
  friend Currency operator-(Currency a) { return FromScaled(-a.Value); }
  friend Currency operator*(Currency a, Currency b) { return FromDouble(a.ToExtended() * b.ToExtended()); }
  friend Currency operator/(Currency a, Currency b);
  Currency& operator+=(Currency b) { return *this = *this + b; }
  Currency& operator-=(Currency b) { return *this = *this - b; }
  friend auto operator<=>(Currency a, Currency b) = default;
};

// ---------------------------------------------------------------------------------------
// Floating-point division that raises as the original does: EZeroDivide for a finite
// dividend over zero, EInvalidOp for 0/0 or a NaN operand.
long double CheckedDivide(long double a, long double b);

// Resource strings: a record names the module whose string table holds the text (null for
// the program itself) and the string number. LoadResString gives "" when the module has no
// such string.
struct TResStringRec {
  HMODULE Module;
  Integer Identifier;
};
using PResStringRec = const TResStringRec*;
std::string LoadResString(PResStringRec ResStringRec);

// Pointer-sized Integer casts for the places where the original kept pointers in integer
// cells: keep them pointer-sized here.
template <class T> NativeInt PtrToInt(T* p) { return reinterpret_cast<NativeInt>(p); }
template <class T> T* IntToPtr(NativeInt i) { return reinterpret_cast<T*>(i); }
