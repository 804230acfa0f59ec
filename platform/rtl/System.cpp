#include "platform/rtl/System.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>

#include "platform/rtl/TypInfo.h"

// ---------------------------------------------------------------------------------------
// Class descriptors.

TClassDesc::TClassDesc(const char* name, TClass parent, Constructor ctor, size_t instanceSize)
    : name_(name), parent_(parent), ctor_(ctor), size_(instanceSize) {}

TClassDesc::~TClassDesc() = default;

bool TClassDesc::InheritsFrom(TClass other) const {
  for (TClass c = this; c; c = c->parent_)
    if (c == other) return true;
  return false;
}

TObject* TClassDesc::CreateInstance(void* arg) const {
  if (!ctor_) throw EAbstractError("Abstract Error: cannot create an instance of " + name_);
  TObject* obj = ctor_(arg);
  try {
    obj->AfterConstruction();
  } catch (...) {
    delete obj;
    throw;
  }
  return obj;
}

// Identifiers (class, property, method and field names) are ASCII and compare without
// regard to case.
static bool sameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

TMethodCode TClassDesc::MethodAddress(const std::string& name) const {
  for (TClass c = this; c; c = c->parent_)
    for (const auto& m : c->methods_)
      if (sameName(m.Name, name)) return m.Code;
  return nullptr;
}

std::string TClassDesc::MethodName(TMethodCode code) const {
  if (!code) return "";
  for (TClass c = this; c; c = c->parent_)
    for (const auto& m : c->methods_)
      if (m.Code == code) return m.Name;
  return "";
}

const TClassDesc::InterfaceEntry* TClassDesc::FindInterface(const GUID& iid) const {
  for (TClass c = this; c; c = c->parent_)
    for (const auto& i : c->interfaces_)
      if (IsEqualGUIDs(i.IID, iid)) return &i;
  return nullptr;
}

const TClassDesc::FieldEntry* TClassDesc::FindField(const std::string& name) const {
  for (TClass c = this; c; c = c->parent_)
    for (const auto& f : c->fields_)
      if (sameName(f.Name, name)) return &f;
  return nullptr;
}

void TClassDesc::AddMessageHandler(UINT msg, TMessageHandler handler) {
  auto it = std::lower_bound(messages_.begin(), messages_.end(), msg,
                             [](const auto& e, UINT m) { return e.first < m; });
  if (it != messages_.end() && it->first == msg)
    it->second = handler;
  else
    messages_.insert(it, {msg, handler});
}

TMessageHandler TClassDesc::FindMessageHandler(UINT msg) const {
  for (TClass c = this; c; c = c->parent_) {
    auto it = std::lower_bound(c->messages_.begin(), c->messages_.end(), msg,
                               [](const auto& e, UINT m) { return e.first < m; });
    if (it != c->messages_.end() && it->first == msg) return it->second;
  }
  return nullptr;
}

void TClassDesc::AddProperty(std::unique_ptr<TPropInfo> prop) {
  // Index is the position in GetPropList (parents first); a property published again by a
  // descendant keeps its ancestor's position.
  TPropList list = GetPropList(this);
  auto same = std::find_if(list.begin(), list.end(), [&](PPropInfo p) { return sameName(p->Name, prop->Name); });
  prop->Index = same != list.end() ? (*same)->Index : static_cast<int>(list.size());
  props_.push_back(std::move(prop));
}

// ---------------------------------------------------------------------------------------
// TObject.

TClass TObject::StaticClass() {
  static TClassDesc desc("TObject", nullptr, rtl_detail::ConstructorOf<TObject>(), sizeof(TObject));
  return &desc;
}

bool TObject::ClassNameIs(const std::string& name) const { return sameName(ClassName(), name); }

void TObject::Free() { delete this; }

void TObject::operator delete(TObject* obj, std::destroying_delete_t) noexcept {
  // The complete object's address (TObject need not be its first base) is what operator
  // new returned; take it while the dynamic type is still known.
  void* storage = dynamic_cast<void*>(obj);
  obj->BeforeDestruction();
  obj->~TObject();
  ::operator delete(storage);
}

void TObject::Dispatch(TMessage& message) { DispatchFrom(ClassType(), message); }

void TObject::DispatchFrom(TClass from, TMessage& message) {
  if (from) {
    if (TMessageHandler h = from->FindMessageHandler(message.Msg)) {
      (this->*h)(message);
      return;
    }
  }
  DefaultHandler(message);
}

bool TObject::GetInterface(const GUID& iid, void** obj) const {
  const auto* entry = ClassType()->FindInterface(iid);
  if (!entry) {
    if (obj) *obj = nullptr;
    return false;
  }
  if (obj) *obj = entry->Cast(const_cast<TObject*>(this));
  return true;
}

bool IsEqualGUIDs(const GUID& a, const GUID& b) { return memcmp(&a, &b, sizeof(GUID)) == 0; }

bool Supports(TObject* obj, const GUID& iid, void** intf) {
  void* p = nullptr;
  if (!obj || !obj->GetInterface(iid, &p)) {
    if (intf) *intf = nullptr;
    return false;
  }
  if (intf) {
    static_cast<IInterface*>(p)->_AddRef();  // every interface's table starts like IInterface's
    *intf = p;
  }
  return true;
}

bool Supports(TObject* obj, const GUID& iid) { return obj && obj->GetInterface(iid, nullptr); }

// ---------------------------------------------------------------------------------------
// TInterfacedObject.

RTL_BEGIN_CLASS(TInterfacedObject)
b.Interface<IInterface>();
RTL_END_CLASS

HRESULT STDMETHODCALLTYPE TInterfacedObject::QueryInterface(const ::IID& riid, void** obj) {
  if (!obj) return E_POINTER;
  if (GetInterface(riid, obj)) {
    _AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TInterfacedObject::_AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refCount_)); }

ULONG STDMETHODCALLTYPE TInterfacedObject::_Release() {
  LONG n = InterlockedDecrement(&refCount_);
  if (n == 0) Free();
  return static_cast<ULONG>(n);
}

bool Supports(IUnknown* intf, const GUID& iid, void** out) {
  void* p = nullptr;
  bool ok = intf && SUCCEEDED(intf->QueryInterface(iid, &p)) && p;
  if (out) *out = ok ? p : nullptr;
  else if (ok) static_cast<IUnknown*>(p)->Release();
  return ok;
}

bool Supports(IInterface* intf, const GUID& iid, void** out) { return Supports(AsIUnknown(intf), iid, out); }

// ---------------------------------------------------------------------------------------
// Class registry.

namespace {
std::vector<TClass>& registry() {
  static std::vector<TClass> classes;
  return classes;
}
}  // namespace

void RegisterClass(TClass c) {
  if (!c) return;
  auto& r = registry();
  for (TClass e : r) {
    if (e == c) return;
    if (sameName(e->ClassName(), c->ClassName()))
      throw EFilerError("A class named " + c->ClassName() + " already exists");
  }
  r.push_back(c);
}

void RegisterClasses(std::initializer_list<TClass> classes) {
  for (TClass c : classes) RegisterClass(c);
}

void RegisterClasses(const std::vector<TClass>& classes) {
  for (TClass c : classes) RegisterClass(c);
}

void UnRegisterClasses(const std::vector<TClass>& classes) {
  for (TClass c : classes) UnRegisterClass(c);
}

void UnRegisterClass(TClass c) {
  auto& r = registry();
  r.erase(std::remove(r.begin(), r.end(), c), r.end());
}

TClass GetClass(const std::string& name) {
  for (TClass c : registry())
    if (sameName(c->ClassName(), name)) return c;
  return nullptr;
}

TClass FindClass(const std::string& name) {
  if (TClass c = GetClass(name)) return c;
  throw EClassNotFound("Class " + name + " not found");
}

// ---------------------------------------------------------------------------------------
// Exceptions.

RTL_IMPLEMENT_CLASS(Exception)
RTL_IMPLEMENT_CLASS(EAbort)
RTL_IMPLEMENT_CLASS(EAbstractError)
RTL_IMPLEMENT_CLASS(EInvalidCast)
RTL_IMPLEMENT_CLASS(EInvalidPointer)
RTL_IMPLEMENT_CLASS(EInvalidOperation)
RTL_IMPLEMENT_CLASS(EConvertError)
RTL_IMPLEMENT_CLASS(EVariantError)
RTL_IMPLEMENT_CLASS(EIntError)
RTL_IMPLEMENT_CLASS(EDivByZero)
RTL_IMPLEMENT_CLASS(ERangeError)
RTL_IMPLEMENT_CLASS(EIntOverflow)
RTL_IMPLEMENT_CLASS(EMathError)
RTL_IMPLEMENT_CLASS(EZeroDivide)
RTL_IMPLEMENT_CLASS(EInvalidOp)
RTL_IMPLEMENT_CLASS(EOverflow)
RTL_IMPLEMENT_CLASS(EUnderflow)
RTL_IMPLEMENT_CLASS(EOutOfMemory)
RTL_IMPLEMENT_CLASS(EExternal)
RTL_IMPLEMENT_CLASS(EAccessViolation)
RTL_IMPLEMENT_CLASS(EOSError)
RTL_IMPLEMENT_CLASS(EInOutError)
RTL_IMPLEMENT_CLASS(EPropertyError)
RTL_IMPLEMENT_CLASS(EPropertyConvertError)
RTL_IMPLEMENT_CLASS(EIntfCastError)
RTL_IMPLEMENT_CLASS(EListError)
RTL_IMPLEMENT_CLASS(EStringListError)
RTL_IMPLEMENT_CLASS(EStreamError)
RTL_IMPLEMENT_CLASS(EFCreateError)
RTL_IMPLEMENT_CLASS(EFOpenError)
RTL_IMPLEMENT_CLASS(EFilerError)
RTL_IMPLEMENT_CLASS(EReadError)
RTL_IMPLEMENT_CLASS(EWriteError)
RTL_IMPLEMENT_CLASS(EClassNotFound)
RTL_IMPLEMENT_CLASS(EMethodNotFound)
RTL_IMPLEMENT_CLASS(EInvalidImage)
RTL_IMPLEMENT_CLASS(EResNotFound)
RTL_IMPLEMENT_CLASS(EComponentError)
RTL_IMPLEMENT_CLASS(EOutOfResources)
RTL_IMPLEMENT_CLASS(EInvalidGraphic)
RTL_IMPLEMENT_CLASS(EInvalidGraphicOperation)
RTL_IMPLEMENT_CLASS(EBitsError)
RTL_IMPLEMENT_CLASS(EThread)

void Abort() { throw EAbort("Operation aborted"); }

std::string SysErrorMessage(DWORD code) {
  char* buf = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                           nullptr, code, 0, reinterpret_cast<char*>(&buf), 0, nullptr);
  std::string text;
  if (n && buf) {
    text.assign(buf, n);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                             text.back() == '.'))
      text.pop_back();
  }
  if (buf) LocalFree(buf);
  return text;
}

void RaiseLastOSError() { RaiseLastOSError(GetLastError()); }

void RaiseLastOSError(DWORD code) {
  if (code == 0) throw EOSError("A call to an OS function failed");
  std::string msg = "System Error.  Code: " + std::to_string(code) + ".\r\n" + SysErrorMessage(code);
  EOSError e(msg);
  throw e;
}

// ---------------------------------------------------------------------------------------
// Currency and checked floating division.

Currency Currency::FromDouble(long double d) {
  long double scaled = d * 10000.0L;
  if (std::isnan(scaled) || scaled >= 9223372036854775807.0L || scaled < -9223372036854775808.0L)
    throw EInvalidOp("Invalid floating point operation");
  return FromScaled(static_cast<Int64>(std::nearbyintl(scaled)));  // default mode: half to even
}

Currency operator/(Currency a, Currency b) {
  return Currency::FromDouble(CheckedDivide(a.ToExtended(), b.ToExtended()));
}

long double CheckedDivide(long double a, long double b) {
  if (std::isnan(a) || std::isnan(b)) throw EInvalidOp("Invalid floating point operation");
  if (b == 0) {
    if (a == 0) throw EInvalidOp("Invalid floating point operation");
    throw EZeroDivide("Floating point division by zero");
  }
  return a / b;
}

// Resource strings.

std::string LoadResString(PResStringRec ResStringRec) {
  if (ResStringRec == nullptr) return std::string();
  HMODULE module = ResStringRec->Module ? ResStringRec->Module : GetModuleHandleA(nullptr);
  char buffer[4096];
  int n = LoadStringA(module, static_cast<UINT>(ResStringRec->Identifier), buffer, sizeof buffer);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

// ---------------------------------------------------------------------------------------
// Unit start.

namespace SystemUnit {
// Extended arithmetic runs at the x87's full 64-bit precision, as the original's start-up
// sets it; Wine starts threads at 53 bits. All exceptions stay masked: floating faults
// are reported by the routines that check for them (CheckedDivide), never by a trap.
void Initialize() {
#if defined(__x86_64__) || defined(__i386__)
  unsigned short cw = 0x137F;
  __asm__ volatile("fldcw %0" : : "m"(cw));
#endif
}
}  // namespace SystemUnit
