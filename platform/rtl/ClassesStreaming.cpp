// Stored form descriptions: the reader and writer of the binary form, the text form and
// its parser, component reference fix-ups, integer identifiers, and the window procedures
// bound to methods. Declarations are in the last section of Classes.h.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <mutex>
#include <tuple>
#include <utility>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Scoped.h"

// Messages of this part of the unit, in one place.
namespace {
const char* const SInvalidImage = "Invalid stream format";
const char* const SReadError = "Stream read error";
const char* const SInvalidPropertyValue = "Invalid property value";
const char* const SUnknownProperty = "Property %s does not exist";
const char* const SPropertyException = "Error reading %s%s%s: %s";
const char* const SClassNotFound = "Class %s not found";
const char* const SAncestorNotFound = "Ancestor for '%s' not found";
const char* const SResNotFound = "Resource %s not found";
const char* const SParseError = "Line %d: %s";
const char* const SIdentifierExpected = "Identifier expected";
const char* const SStringExpected = "String expected";
const char* const SNumberExpected = "Number expected";
const char* const SCharExpected = "'%s' expected";
const char* const SSymbolExpected = "%s expected";
const char* const SInvalidBinary = "Invalid binary value";
const char* const SInvalidString = "Invalid string constant";
const char* const SInvalidNumber = "Invalid number %s";
const char* const SUnknownException = "Unknown exception";

const char kSignature[4] = {'T', 'P', 'F', '0'};
constexpr Byte kPrefixMask = 0xF0;
// Deepest nesting of values and components a description may have; deeper data is taken
// for a damaged stream rather than followed (it would only exhaust the stack).
constexpr int kMaxDepth = 256;
// The RCDATA resource type, as its ANSI resource pointer.
const char* rcData() { return MAKEINTRESOURCEA(10); }

// ---------------------------------------------------------------------------------------
// Text conversions. Strings are cp1252; the wide forms of the stream are UTF-16 and UTF-8.

const std::array<char16_t, 256>& cp1252Table() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    for (int i = 0; i < 256; ++i) {
      char c = static_cast<char>(i);
      WCHAR w = 0;
      MultiByteToWideChar(1252, 0, &c, 1, &w, 1);
      t[i] = static_cast<char16_t>(w);
    }
    return t;
  }();
  return table;
}

std::u16string ansiToUtf16(const std::string& s) {
  std::u16string r;
  r.reserve(s.size());
  const auto& table = cp1252Table();
  for (char c : s) r += table[static_cast<unsigned char>(c)];
  return r;
}

std::string utf16ToAnsi(const std::u16string& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(1252, 0, reinterpret_cast<LPCWCH>(w.data()), static_cast<int>(w.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string r(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(1252, 0, reinterpret_cast<LPCWCH>(w.data()), static_cast<int>(w.size()), r.data(), n, nullptr,
                      nullptr);
  return r;
}

// UTF-8 to UTF-16; false when the bytes are not valid UTF-8.
bool utf8ToUtf16(const std::string& s, std::u16string& out) {
  out.clear();
  if (s.empty()) return true;
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()), nullptr, 0);
  if (n <= 0) return false;
  out.resize(static_cast<size_t>(n));
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()),
                      reinterpret_cast<LPWSTR>(out.data()), n);
  return true;
}

std::string utf16ToUtf8(const std::u16string& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWCH>(w.data()), static_cast<int>(w.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string r(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWCH>(w.data()), static_cast<int>(w.size()), r.data(), n,
                      nullptr, nullptr);
  return r;
}

bool isIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isIdentChar(char c) { return isIdentStart(c) || (c >= '0' && c <= '9'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

bool isIntegerValue(TValueType v) { return v == vaInt8 || v == vaInt16 || v == vaInt32 || v == vaInt64; }
bool isStringValue(TValueType v) {
  return v == vaString || v == vaLString || v == vaWString || v == vaUTF8String;
}

// Counts a level of nesting for the reader; refuses data nested deeper than kMaxDepth.
class DepthGuard {
public:
  explicit DepthGuard(int& depth) : depth_(depth) {
    if (++depth_ > kMaxDepth) {
      --depth_;
      throw EReadError(SInvalidImage);
    }
  }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

private:
  int& depth_;
};

// The published field classes of a root's class: classes a description may name without
// registering them.
TClass fieldClass(TComponent* root, const std::string& className) {
  if (!root) return nullptr;
  for (TClass c = root->ClassType(); c; c = c->ClassParent())
    for (const auto& f : c->OwnFields())
      if (TClass fc = f.FieldClass(); fc && SameText(fc->ClassName(), className)) return fc;
  return nullptr;
}

// A component that hears when components it watches are freed (free notification) and
// tells its owner through a callback.
class FreeWatcher : public TComponent {
public:
  explicit FreeWatcher(std::function<void(TComponent*)> onFreed) : TComponent(nullptr), onFreed_(std::move(onFreed)) {}
  // Watches c (once); forget with Unwatch.
  void Watch(TComponent* c) {
    if (!c || std::find(watched_.begin(), watched_.end(), c) != watched_.end()) return;
    watched_.push_back(c);
    FreeNotification(c);
  }
  void Unwatch(TComponent* c) {
    auto it = std::find(watched_.begin(), watched_.end(), c);
    if (it == watched_.end()) return;
    watched_.erase(it);
    RemoveFreeNotification(c);
  }
  void UnwatchAll() {
    while (!watched_.empty()) Unwatch(watched_.back());
  }
  const std::vector<TComponent*>& Watched() const { return watched_; }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    auto it = std::find(watched_.begin(), watched_.end(), AComponent);
    if (it == watched_.end()) return;
    watched_.erase(it);
    onFreed_(AComponent);
  }

private:
  std::function<void(TComponent*)> onFreed_;
  std::vector<TComponent*> watched_;
};

}  // namespace

// =======================================================================================
// Component references across roots: finders and the global fix-up list.

namespace {

std::vector<TFindGlobalComponent>& findGlobalProcs() {
  static std::vector<TFindGlobalComponent> procs;
  return procs;
}

// A reference that waits for its root: Instance's property Prop is to name Name ("Root" or
// "Root.Comp..."); Component is the component Instance belongs to, LookupRoot the root it
// was read under.
struct GlobalFixup {
  TPersistent* Instance;
  PPropInfo Prop;
  TComponent* Component;
  TComponent* LookupRoot;
  std::string RootName;
  std::string Name;
};

std::vector<GlobalFixup>& globalFixups() {
  static std::vector<GlobalFixup> list;
  return list;
}

void dropFixupsOf(TComponent* c) {
  auto& list = globalFixups();
  list.erase(std::remove_if(list.begin(), list.end(),
                            [c](const GlobalFixup& f) { return f.Component == c || f.LookupRoot == c; }),
             list.end());
}

// Watches the components that hold global fix-ups, so that a freed one drops its entries.
FreeWatcher*& fixupWatcherCell() {
  static FreeWatcher* watcher = nullptr;
  return watcher;
}
FreeWatcher* fixupWatcher() {
  FreeWatcher*& w = fixupWatcherCell();
  if (!w) w = new FreeWatcher(dropFixupsOf);
  return w;
}

// Stops watching the components that no longer hold any global fix-up.
void unwatchUnusedFixupHolders() {
  FreeWatcher* w = fixupWatcherCell();
  if (!w) return;
  std::vector<TComponent*> watched = w->Watched();
  for (TComponent* c : watched) {
    bool used = std::any_of(globalFixups().begin(), globalFixups().end(),
                            [c](const GlobalFixup& f) { return f.Component == c || f.LookupRoot == c; });
    if (!used) w->Unwatch(c);
  }
}

void addGlobalFixup(GlobalFixup fixup) {
  fixupWatcher()->Watch(fixup.Component);
  fixupWatcher()->Watch(fixup.LookupRoot);
  globalFixups().push_back(std::move(fixup));
}

std::string firstPart(const std::string& name) {
  size_t dot = name.find('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string restAfterFirstPart(const std::string& name) {
  size_t dot = name.find('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

}  // namespace

void RegisterFindGlobalComponentProc(TFindGlobalComponent Proc) {
  if (!Proc) return;
  auto& procs = findGlobalProcs();
  if (std::find(procs.begin(), procs.end(), Proc) == procs.end()) procs.push_back(Proc);
}

void UnregisterFindGlobalComponentProc(TFindGlobalComponent Proc) {
  auto& procs = findGlobalProcs();
  procs.erase(std::remove(procs.begin(), procs.end(), Proc), procs.end());
}

TComponent* FindGlobalComponent(const std::string& Name) {
  if (Name.empty()) return nullptr;
  const auto procs = findGlobalProcs();  // a finder may (un)register others
  for (auto it = procs.rbegin(); it != procs.rend(); ++it)
    if (TComponent* c = (*it)(Name)) return c;
  return nullptr;
}

bool IsUniqueGlobalComponentName(const std::string& Name) { return FindGlobalComponent(Name) == nullptr; }

TComponent* FindNestedComponent(TComponent* Root, const std::string& NamePath) {
  TComponent* current = Root;
  size_t start = 0;
  while (current) {
    size_t dot = NamePath.find('.', start);
    std::string part = NamePath.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    if (part.empty()) return nullptr;
    current = current->FindComponent(part);
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return current;
}

void GlobalFixupReferences() {
  auto& list = globalFixups();
  size_t i = 0;
  while (i < list.size()) {
    TComponent* root = FindGlobalComponent(list[i].RootName);
    if (!root || root->ComponentState().Contains(csLoading)) {
      ++i;
      continue;
    }
    GlobalFixup f = list[i];
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    std::string rest = restAfterFirstPart(f.Name);
    TComponent* target = rest.empty() ? root : FindNestedComponent(root, rest);
    if (target) SetObjectProp(f.Instance, f.Prop, target);
  }
  unwatchUnusedFixupHolders();
}

void RemoveFixupReferences(TComponent* Root, const std::string& RootName) {
  auto& list = globalFixups();
  list.erase(std::remove_if(list.begin(), list.end(),
                            [&](const GlobalFixup& f) {
                              return (!Root || f.LookupRoot == Root) &&
                                     (RootName.empty() || SameText(f.RootName, RootName));
                            }),
             list.end());
  unwatchUnusedFixupHolders();
}

void GetFixupReferenceNames(TComponent* Root, TStrings* Names) {
  for (const GlobalFixup& f : globalFixups())
    if ((!Root || f.LookupRoot == Root) && Names->IndexOf(f.RootName) < 0) Names->Add(f.RootName);
}

// =======================================================================================
// TFiler

RTL_IMPLEMENT_CLASS(TFiler)
RTL_IMPLEMENT_CLASS(EParserError)

TFiler::TFiler(TStream* Stream, Integer) : FStream(Stream) {}

// =======================================================================================
// TReader

RTL_IMPLEMENT_CLASS(TReader)

// A property whose value names a component, resolved once the root's data is read.
struct TReader::Fixup {
  TPersistent* Instance;
  PPropInfo Prop;
  std::string Name;
  TComponent* LookupRoot;
  TComponent* Component;
};

// Hears of the components this reader built or will call Loaded on that are freed before
// it is done with them (a failed read, or a Loaded that frees another component).
class TReader::Tracker : public FreeWatcher {
public:
  explicit Tracker(TReader* reader) : FreeWatcher([reader](TComponent* c) { reader->forget(c); }) {}
};

TReader::TReader(TStream* Stream, Integer BufSize)
    : TFiler(Stream, BufSize), FTracker(std::make_unique<Tracker>(this)) {}

TReader::~TReader() { untrackAll(); }

void TReader::forget(TComponent* c) {
  std::replace(FLoaded.begin(), FLoaded.end(), c, static_cast<TComponent*>(nullptr));
  std::replace(FCreated.begin(), FCreated.end(), c, static_cast<TComponent*>(nullptr));
  FFixups.erase(std::remove_if(FFixups.begin(), FFixups.end(),
                               [c](const Fixup& f) { return f.Component == c || f.LookupRoot == c; }),
                FFixups.end());
  FTracked.erase(std::remove_if(FTracked.begin(), FTracked.end(), [c](const auto& t) { return t.first == c; }),
                 FTracked.end());
}

void TReader::track(TComponent* c) {
  if (!c || std::any_of(FTracked.begin(), FTracked.end(), [c](const auto& t) { return t.first == c; })) return;
  FTracked.emplace_back(c, c->FComponentState.Contains(csFreeNotification));
  FTracker->Watch(c);
}

// Unlinks the tracker from the components it watches; a component that had no free
// notification before loses the state flag the tracking set.
void TReader::untrackAll() {
  std::vector<std::pair<TComponent*, bool>> tracked;
  tracked.swap(FTracked);
  for (const auto& [c, hadFlag] : tracked) {
    FTracker->Unwatch(c);
    if (!hadFlag && c->FFreeNotifies.empty()) c->FComponentState.Exclude(csFreeNotification);
  }
}

void TReader::freeCreatedSince(size_t Mark) {
  // Last built first: children go before the components that hold them.
  for (size_t i = FCreated.size(); i > Mark; --i) {
    TComponent* c = FCreated[i - 1];
    if (!c) continue;
    FCreated[i - 1] = nullptr;
    c->Free();  // the tracker removes it from the other lists
  }
  FCreated.resize(std::min(Mark, FCreated.size()));
}

// --- Raw values.

void TReader::Read(void* Buf, Integer Count) { FStream->ReadBuffer(Buf, Count); }

Int64 TReader::Position() { return FStream->Position(); }
void TReader::SetPosition(Int64 Value) { FStream->SetPosition(Value); }

// A 4-byte length that the rest of the stream can hold (so that a damaged length never
// makes the reader allocate or skip beyond the data).
Integer TReader::readLength(Integer unitSize) {
  Integer n = 0;
  Read(&n, 4);
  Int64 left = FStream->Size() - FStream->Position();
  if (n < 0 || static_cast<Int64>(n) * unitSize > left) throw EReadError(SReadError);
  return n;
}

std::string TReader::readBytes(Integer Count) {
  std::string s(static_cast<size_t>(Count), '\0');
  if (Count > 0) Read(s.data(), Count);
  return s;
}

void TReader::skipBytes(Int64 Count) {
  Int64 left = FStream->Size() - FStream->Position();
  if (Count > left) throw EReadError(SReadError);
  FStream->Seek(Count, soCurrent);
}

TValueType TReader::ReadValue() {
  Byte b = 0;
  Read(&b, 1);
  return static_cast<TValueType>(b);
}

TValueType TReader::NextValue() {
  TValueType v = ReadValue();
  FStream->Seek(-1, soCurrent);
  return v;
}

void TReader::CheckValue(TValueType Value) {
  if (ReadValue() != Value) PropValueError();
}

bool TReader::EndOfList() { return NextValue() == vaNull; }
void TReader::ReadListBegin() { CheckValue(vaList); }
void TReader::ReadListEnd() { CheckValue(vaNull); }

void TReader::ReadSignature() {
  char sig[4];
  Read(sig, 4);
  if (std::memcmp(sig, kSignature, 4) != 0) throw EReadError(SInvalidImage);
}

void TReader::ReadPrefix(TFilerFlags& Flags, Integer& AChildPos) {
  Flags = TFilerFlags();
  if ((static_cast<Byte>(NextValue()) & kPrefixMask) != kPrefixMask) return;
  Byte prefix = static_cast<Byte>(ReadValue());
  Flags = TFilerFlags::FromBits(prefix & 0x07);
  if (Flags.Contains(ffChildPos)) AChildPos = ReadInteger();
}

std::string TReader::ReadStr() {
  Byte n = 0;
  Read(&n, 1);
  return readBytes(n);
}

Integer TReader::ReadInteger() {
  switch (ReadValue()) {
    case vaInt8: {
      int8_t v;
      Read(&v, 1);
      return v;
    }
    case vaInt16: {
      int16_t v;
      Read(&v, 2);
      return v;
    }
    case vaInt32: {
      int32_t v;
      Read(&v, 4);
      return v;
    }
    default:
      PropValueError();
  }
}

Int64 TReader::ReadInt64() {
  if (NextValue() != vaInt64) return ReadInteger();
  ReadValue();
  Int64 v;
  Read(&v, 8);
  return v;
}

bool TReader::ReadBoolean() {
  switch (ReadValue()) {
    case vaTrue: return true;
    case vaFalse: return false;
    default: PropValueError();
  }
}

char TReader::ReadChar() {
  std::string s = ReadString();
  if (s.size() > 1) PropValueError();
  return s.empty() ? '\0' : s[0];
}

Extended TReader::ReadFloat() {
  switch (NextValue()) {
    case vaExtended: {
      ReadValue();
      long double v = 0;
      Read(&v, 10);
      return v;
    }
    case vaSingle: return ReadSingle();
    case vaCurrency: return ReadCurrency().ToExtended();
    case vaDate: return ReadDate();
    case vaInt8: case vaInt16: case vaInt32: case vaInt64: return static_cast<Extended>(ReadInt64());
    default: PropValueError();
  }
}

float TReader::ReadSingle() {
  if (NextValue() != vaSingle) return static_cast<float>(ReadFloat());
  ReadValue();
  float v;
  Read(&v, 4);
  return v;
}

Currency TReader::ReadCurrency() {
  if (NextValue() != vaCurrency) return Currency::FromDouble(ReadFloat());
  ReadValue();
  Int64 v;
  Read(&v, 8);
  return Currency::FromScaled(v);
}

TDateTime TReader::ReadDate() {
  if (NextValue() != vaDate) return static_cast<TDateTime>(ReadFloat());
  ReadValue();
  double v;
  Read(&v, 8);
  return v;
}

std::u16string TReader::ReadWideStringUnits() {
  switch (ReadValue()) {
    case vaString: {
      Byte n = 0;
      Read(&n, 1);
      return ansiToUtf16(readBytes(n));
    }
    case vaLString: return ansiToUtf16(readBytes(readLength(1)));
    case vaWString: {
      Integer n = readLength(2);
      std::u16string w(static_cast<size_t>(n), u'\0');
      if (n > 0) Read(w.data(), n * 2);
      return w;
    }
    case vaUTF8String: {
      std::u16string w;
      if (!utf8ToUtf16(readBytes(readLength(1)), w)) PropValueError();
      return w;
    }
    default:
      PropValueError();
  }
}

std::string TReader::ReadString() {
  switch (NextValue()) {
    case vaString:
      ReadValue();
      return ReadStr();
    case vaLString:
      ReadValue();
      return readBytes(readLength(1));
    default:
      return utf16ToAnsi(ReadWideStringUnits());
  }
}

std::string TReader::ReadWideString() { return ReadString(); }

std::string TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: PropValueError();
  }
}

Variant TReader::ReadVariant() {
  switch (NextValue()) {
    case vaNil:
      ReadValue();
      return Unassigned();
    case vaNull:
      ReadValue();
      return Null();
    case vaInt8: case vaInt16: case vaInt32:
      return Variant(ReadInteger());
    case vaInt64:
      return Variant(static_cast<long long>(ReadInt64()));
    case vaExtended:
      return Variant(static_cast<double>(ReadFloat()));
    case vaSingle:
      return Variant(ReadSingle());
    case vaCurrency:
      return Variant(ReadCurrency());
    case vaDate:
      return VarFromDateTime(ReadDate());
    case vaString: case vaLString:
      return Variant(ReadString());
    case vaWString: case vaUTF8String:
      return Variant::MakeOleStr(ReadString());
    case vaFalse: case vaTrue:
      return Variant(ReadBoolean());
    default:
      PropValueError();
  }
}

Int64 TReader::ReadSet(PTypeInfo SetType) {
  if (ReadValue() != vaSet) PropValueError();
  PTypeInfo elem = SetType ? SetType->CompType : nullptr;
  uint64_t bits = 0;
  for (;;) {
    std::string name = ReadStr();
    if (name.empty()) break;
    int e = GetEnumValue(elem, name);
    if (e < 0 || e > 63) PropValueError();
    bits |= uint64_t(1) << e;
  }
  return static_cast<Int64>(bits);
}

void TReader::SkipValue() {
  DepthGuard depth(FDepth);
  switch (ReadValue()) {
    case vaNull: case vaFalse: case vaTrue: case vaNil:
      break;
    case vaList:
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      break;
    case vaInt8: skipBytes(1); break;
    case vaInt16: skipBytes(2); break;
    case vaInt32: case vaSingle: skipBytes(4); break;
    case vaInt64: case vaCurrency: case vaDate: skipBytes(8); break;
    case vaExtended: skipBytes(10); break;
    case vaString: case vaIdent: ReadStr(); break;
    case vaLString: case vaBinary: case vaUTF8String: skipBytes(readLength(1)); break;
    case vaWString: skipBytes(static_cast<Int64>(readLength(2)) * 2); break;
    case vaSet:
      while (!ReadStr().empty()) {
      }
      break;
    case vaCollection:
      while (!EndOfList()) {
        if (isIntegerValue(NextValue())) SkipValue();
        ReadListBegin();
        while (!EndOfList()) skipProperty();
        ReadListEnd();
      }
      ReadListEnd();
      break;
    default:
      PropValueError();
  }
}

void TReader::skipProperty() {
  ReadStr();
  SkipValue();
}

void TReader::skipComponent(bool SkipHeader) {
  DepthGuard depth(FDepth);
  if (SkipHeader) {
    TFilerFlags flags;
    Integer pos = 0;
    ReadPrefix(flags, pos);
    ReadStr();
    ReadStr();
  }
  while (!EndOfList()) skipProperty();
  ReadListEnd();
  while (!EndOfList()) skipComponent(true);
  ReadListEnd();
}

// --- Errors and look-ups.

bool TReader::Error(const std::string& Message) {
  bool handled = false;
  if (FOnError) FOnError(this, Message, handled);
  return handled;
}

void TReader::PropertyError(const std::string& Name) { throw EReadError(Format(SUnknownProperty, Name)); }

void TReader::PropValueError() { throw EReadError(SInvalidPropertyValue); }

TMethodCode TReader::FindMethod(TComponent* Root, const std::string& MethodName) {
  TMethodCode code = Root ? Root->MethodAddress(MethodName) : nullptr;
  bool error = code == nullptr;
  if (FOnFindMethod) FOnFindMethod(this, MethodName, code, error);
  if (!code && error) PropValueError();
  return code;
}

TClass TReader::FindComponentClass(const std::string& ClassName) {
  TClass c = fieldClass(FRoot, ClassName);
  if (!c && FLookupRoot != FRoot) c = fieldClass(FLookupRoot, ClassName);
  if (FOnFindComponentClass) FOnFindComponentClass(this, ClassName, c);
  if (!c) c = GetClass(ClassName);
  if (!c || !c->InheritsFrom(TComponent::StaticClass())) throw EClassNotFound(Format(SClassNotFound, ClassName));
  return c;
}

TComponent* TReader::FindAncestorComponent(const std::string& Name, TClass ComponentClass) {
  TComponent* c = FOwner ? FOwner->FindComponent(Name) : nullptr;
  if (!c && FLookupRoot) c = FLookupRoot->FindComponent(Name);
  if (!c && FOnAncestorNotFound) FOnAncestorNotFound(this, Name, ComponentClass, c);
  if (!c) throw EReadError(Format(SAncestorNotFound, Name));
  return c;
}

void TReader::SetName(TComponent* Component, std::string& Name) {
  if (FOnSetName) FOnSetName(this, Component, Name);
  Component->SetName(Name);
}

void TReader::ReferenceName(std::string& Name) {
  if (FOnReferenceName) FOnReferenceName(this, Name);
}

// The root's name, or Base_1, Base_2 ... when another root already has it.
std::string TReader::findUniqueName(const std::string& Base) {
  std::string name = Base;
  for (int i = 1;; ++i) {
    TComponent* other = FindGlobalComponent(name);
    if (!other || other == FRoot) return name;
    name = Format("%s_%d", Base, i);
  }
}

// --- Properties.

void TReader::ReadProperty(TPersistent* AInstance) {
  std::string propPath = ReadStr();
  Int64 valueStart = Position();
  try {
    try {
      readPropertyPath(AInstance, propPath);
    } catch (Exception& e) {
      // Name the property once, where it failed (a collection item inside a property
      // already named its own).
      if (FNamedError != &e) {
        std::string path = AInstance->GetNamePath();
        e.SetMessage(Format(SPropertyException, path, path.empty() ? "" : ".", propPath, e.Message()));
        FNamedError = &e;
      }
      throw;
    }
  } catch (Exception& e) {
    if (!Error(e.Message())) throw;
    FNamedError = nullptr;
    // Go on after the value, wherever the error left the stream.
    SetPosition(valueStart);
    SkipValue();
  }
  FPropName.clear();
}

void TReader::readPropertyPath(TPersistent* Instance, const std::string& PropPath) {
  size_t start = 0;
  for (;;) {
    size_t dot = PropPath.find('.', start);
    FPropName = PropPath.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    if (dot == std::string::npos) break;
    PPropInfo prop = GetPropInfo(Instance, FPropName);
    if (!prop) PropertyError(FPropName);
    TObject* value = prop->PropType->Kind == tkClass ? GetObjectProp(Instance, prop) : nullptr;
    auto* next = dynamic_cast<TPersistent*>(value);
    if (!next) PropertyError(FPropName);
    // A subcomponent read through its owner's property is loading too, and gets Loaded.
    if (auto* sub = dynamic_cast<TComponent*>(next); sub && sub->ComponentStyle().Contains(csSubComponent)) {
      if (std::find(FLoaded.begin(), FLoaded.end(), sub) == FLoaded.end()) {
        sub->SetLoading(true);
        FLoaded.push_back(sub);
        track(sub);
      }
    }
    Instance = next;
    start = dot + 1;
  }
  if (PPropInfo prop = GetPropInfo(Instance, FPropName)) {
    readPropValue(Instance, prop);
  } else {
    Instance->DefineProperties(this);
    if (!FPropName.empty()) PropertyError(FPropName);
  }
}

void TReader::readPropValue(TPersistent* Instance, PPropInfo PropInfo) {
  PTypeInfo type = PropInfo->PropType;
  switch (type->Kind) {
    case tkInteger:
      if (NextValue() == vaIdent) {
        std::string ident = ReadIdent();
        TIdentToInt toInt = FindIdentToInt(type);
        Integer v = 0;
        if (!toInt || !toInt(ident, v)) PropValueError();
        SetOrdProp(Instance, PropInfo, v);
      } else {
        SetOrdProp(Instance, PropInfo, ReadInt64());
      }
      break;
    case tkChar:
      SetOrdProp(Instance, PropInfo, static_cast<Byte>(ReadChar()));
      break;
    case tkEnumeration: {
      int v = GetEnumValue(type, ReadIdent());
      if (v < 0) PropValueError();
      SetOrdProp(Instance, PropInfo, v);
      break;
    }
    case tkSet:
      SetOrdProp(Instance, PropInfo, ReadSet(type));
      break;
    case tkInt64:
      SetOrdProp(Instance, PropInfo, ReadInt64());
      break;
    case tkFloat:
      if (type->FloatType == ftCurr) SetFloatProp(Instance, PropInfo, ReadCurrency().ToExtended());
      else SetFloatProp(Instance, PropInfo, ReadFloat());
      break;
    case tkString: case tkLString: case tkWString:
      SetStrProp(Instance, PropInfo, ReadString());
      break;
    case tkVariant:
      SetVariantProp(Instance, PropInfo, ReadVariant());
      break;
    case tkMethod:
      if (NextValue() == vaNil) {
        ReadValue();
        SetMethodProp(Instance, PropInfo, TMethod());
      } else {
        std::string name = ReadIdent();
        TMethod m;
        m.Code = FindMethod(FLookupRoot, name);
        if (m.Code) m.Data = FLookupRoot;
        SetMethodProp(Instance, PropInfo, m);
      }
      break;
    case tkClass:
      switch (NextValue()) {
        case vaNil:
          ReadValue();
          SetObjectProp(Instance, PropInfo, nullptr);
          break;
        case vaCollection: {
          ReadValue();
          auto* collection = dynamic_cast<TCollection*>(GetObjectProp(Instance, PropInfo));
          if (!collection) PropValueError();
          ReadCollection(collection);
          break;
        }
        case vaIdent: {
          if (PropInfo->IsReadOnly) PropValueError();
          std::string name = ReadIdent();
          Fixup f{Instance, PropInfo, name, FLookupRoot, FCurrentComponent};
          if (FCollectingFixups) {
            FFixups.push_back(std::move(f));
          } else {
            FFixups.push_back(std::move(f));
            resolveFixups();
          }
          break;
        }
        default:
          PropValueError();
      }
      break;
    default:
      PropValueError();
  }
}

void TReader::ReadCollection(TCollection* Collection) {
  DepthGuard depth(FDepth);
  {
    UpdateLock lock(Collection);
    // The stored items replace the current ones (an empty list stores "no items").
    Collection->Clear();
    while (!EndOfList()) {
      if (isIntegerValue(NextValue())) ReadInteger();  // the item's order: items come in order
      TCollectionItem* item = Collection->Add();
      ReadListBegin();
      while (!EndOfList()) ReadProperty(item);
      ReadListEnd();
    }
    ReadListEnd();
  }
}

void TReader::DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc, bool) {
  if (!FPropName.empty() && SameText(Name, FPropName) && ReadData) {
    FPropName.clear();
    ReadData(this);
  }
}

void TReader::DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc, bool) {
  if (FPropName.empty() || !SameText(Name, FPropName) || !ReadData) return;
  FPropName.clear();
  if (ReadValue() != vaBinary) PropValueError();
  Integer n = readLength(1);
  TMemoryStream data;
  data.SetSize(n);
  if (n > 0) Read(data.Memory(), n);
  data.SetPosition(0);
  ReadData(&data);
}

// --- Fix-ups.

// The component Name refers to, seen from LookupRoot; null when it does not exist (yet).
// Sets GlobalRootMissing when the name points into a root that does not exist.
static TComponent* resolveReference(TComponent* lookupRoot, const std::string& name, bool& globalRootMissing) {
  globalRootMissing = false;
  TComponent* c = lookupRoot ? FindNestedComponent(lookupRoot, name) : nullptr;
  if (!c && lookupRoot && SameText(name, lookupRoot->Name())) c = lookupRoot;
  if (c) return c;
  TComponent* root = FindGlobalComponent(firstPart(name));
  if (!root) {
    globalRootMissing = true;
    return nullptr;
  }
  std::string rest = restAfterFirstPart(name);
  return rest.empty() ? root : FindNestedComponent(root, rest);
}

void TReader::resolveFixups() {
  std::vector<Fixup> fixups;
  fixups.swap(FFixups);
  for (Fixup& f : fixups) {
    std::string name = f.Name;
    ReferenceName(name);
    bool rootMissing = false;
    TComponent* target = resolveReference(f.LookupRoot, name, rootMissing);
    if (target) SetObjectProp(f.Instance, f.Prop, target);
    else if (rootMissing)
      addGlobalFixup({f.Instance, f.Prop, f.Component ? f.Component : f.LookupRoot, f.LookupRoot, firstPart(name), name});
  }
}

void TReader::BeginReferences() {
  FCollectingFixups = true;
  FFixups.clear();
  FLoaded.clear();
}

void TReader::FixupReferences() {
  resolveFixups();
  GlobalFixupReferences();
  // Loaded of one component may free another: the tracker then nulls it in FLoaded.
  for (size_t i = 0; i < FLoaded.size(); ++i)
    if (TComponent* c = FLoaded[i]) c->Loaded();
  FLoaded.clear();
}

void TReader::EndReferences() {
  FCollectingFixups = false;
  FFixups.clear();
  FLoaded.clear();
}

// --- Components.

TComponent* TReader::createComponent(const std::string& ClassName, TFilerFlags Flags) {
  TClass componentClass = FindComponentClass(ClassName);
  TComponent* c = nullptr;
  if (FOnCreateComponent) FOnCreateComponent(this, componentClass, c);
  if (!c) c = CreateComponent(componentClass, FOwner);
  if (Flags.Contains(ffInline)) c->SetInline(true);
  c->SetLoading(true);
  FCreated.push_back(c);
  track(c);
  return c;
}

TComponent* TReader::ReadComponent(TComponent* Component) {
  DepthGuard depth(FDepth);
  TFilerFlags flags;
  Integer position = 0;
  ReadPrefix(flags, position);
  std::string className = ReadStr();
  std::string compName = ReadStr();

  TComponent* oldParent = FParent;
  ScopedRestore restore(FParent, FLookupRoot, FCurrentComponent);
  size_t createdMark = FCreated.size();
  TComponent* result = Component;
  bool created = false;
  if (!result) {
    try {
      if (flags.Contains(ffInherited)) {
        result = FindAncestorComponent(compName, FindComponentClass(className));
        FParent = result->GetParentComponent();
        if (!FParent) FParent = FRoot;
      } else {
        result = createComponent(className, flags);
        created = true;
      }
    } catch (Exception& e) {
      // OnError may let the reading go on without this component.
      if (!Error(e.Message())) throw;
      skipComponent(false);
      return nullptr;
    }
  }
  try {
    result->SetLoading(true);
    if (!flags.Contains(ffInherited)) SetName(result, compName);
    if (result->ComponentState().Contains(csInline)) FLookupRoot = result;
    if (std::find(FLoaded.begin(), FLoaded.end(), result) == FLoaded.end()) {
      FLoaded.push_back(result);
      track(result);
    }
    result->SetReading(true);
    FCurrentComponent = result;
    result->ReadState(this);
    result->SetReading(false);
    if (flags.Contains(ffChildPos) && oldParent) oldParent->SetChildOrder(result, position);
  } catch (...) {
    // What this component built goes (itself too, unless it came from the ancestor).
    if (!created) result->SetReading(false);
    freeCreatedSince(createdMark);
    throw;
  }
  return result;
}

void TReader::readDataInner(TComponent* Instance) {
  ScopedRestore restore(FCurrentComponent, FParent, FOwner);
  FCurrentComponent = Instance;
  while (!EndOfList()) ReadProperty(Instance);
  ReadListEnd();
  FParent = Instance->GetChildParent();
  FOwner = Instance->GetChildOwner();
  if (!FOwner) FOwner = FRoot;
  while (!EndOfList()) ReadComponent(nullptr);
  ReadListEnd();
}

void TReader::ReadData(TComponent* Instance) {
  if (FCollectingFixups) {
    readDataInner(Instance);
    return;
  }
  // The outermost component read: references are fixed up once its whole tree is read.
  FCollectingFixups = true;
  try {
    readDataInner(Instance);
    FCollectingFixups = false;
    resolveFixups();
  } catch (...) {
    FCollectingFixups = false;
    FFixups.clear();
    throw;
  }
}

TComponent* TReader::ReadRootComponent(TComponent* Root) {
  FNamedError = nullptr;
  ReadSignature();
  size_t createdMark = FCreated.size();
  TComponent* result = nullptr;
  try {
    TFilerFlags flags;
    Integer position = 0;
    ReadPrefix(flags, position);
    std::string className = ReadStr();
    if (!Root) {
      TClass c = FindClass(className);
      if (!c->InheritsFrom(TComponent::StaticClass())) throw EClassNotFound(Format(SClassNotFound, className));
      result = CreateComponent(c, nullptr);
      FCreated.push_back(result);
      track(result);
      result->SetName(ReadStr());
    } else {
      // The root is loading before it takes its name (unique among the roots); a root in
      // a designer keeps the name it has.
      result = Root;
      FRoot = result;
      std::string name = ReadStr();
      if (!result->ComponentState().Contains(csDesigning)) {
        result->SetLoading(true);
        result->SetReading(true);
        result->SetName(findUniqueName(name));
      }
    }
    FRoot = result;
    FLookupRoot = result;
    FOwner = result;
    if (std::find(FLoaded.begin(), FLoaded.end(), result) == FLoaded.end()) FLoaded.insert(FLoaded.begin(), result);
    track(result);
    result->SetLoading(true);
    result->SetReading(true);
    result->ReadState(this);
    result->SetReading(false);
    for (size_t i = 0; i < FLoaded.size(); ++i)
      if (TComponent* c = FLoaded[i]) c->Loaded();
    FLoaded.clear();
    GlobalFixupReferences();
  } catch (...) {
    FLoaded.clear();
    FFixups.clear();
    FCollectingFixups = false;
    FNamedError = nullptr;
    if (result) RemoveFixupReferences(result, "");
    freeCreatedSince(createdMark);
    if (Root) {
      Root->SetReading(false);
      Root->SetLoading(false);
    }
    untrackAll();
    throw;
  }
  FCreated.clear();
  untrackAll();
  return result;
}

void TReader::ReadComponents(TComponent* AOwner, TComponent* AParent, TReadComponentsProc Proc) {
  FNamedError = nullptr;
  FRoot = AOwner;
  FLookupRoot = AOwner;
  FOwner = AOwner;
  FParent = AParent;
  BeginReferences();
  try {
    while (!EndOfList()) {
      ReadSignature();
      TComponent* c = ReadComponent(nullptr);
      if (c && Proc) Proc(c);
    }
    ReadListEnd();
    FCollectingFixups = false;
    FixupReferences();
  } catch (...) {
    EndReferences();
    untrackAll();
    throw;
  }
  EndReferences();
  FCreated.clear();
  untrackAll();
}

// =======================================================================================
// TComponent streaming hooks.

void TComponent::ReadState(TReader* Reader) { Reader->ReadData(this); }
void TComponent::WriteState(TWriter* Writer) { Writer->WriteData(this); }

// =======================================================================================
// TWriter

RTL_IMPLEMENT_CLASS(TWriter)

TWriter::TWriter(TStream* Stream, Integer BufSize) : TFiler(Stream, BufSize) {}

TWriter::~TWriter() = default;

void TWriter::Write(const void* Buf, Integer Count) { FStream->WriteBuffer(Buf, Count); }

Int64 TWriter::Position() { return FStream->Position(); }

void TWriter::WriteValue(TValueType Value) {
  Byte b = static_cast<Byte>(Value);
  Write(&b, 1);
}

void TWriter::WriteSignature() { Write(kSignature, 4); }

void TWriter::WritePrefix(TFilerFlags Flags, Integer AChildPos) {
  if (Flags.Empty()) return;
  Byte prefix = static_cast<Byte>(kPrefixMask | (Flags.ToBits() & 0x07));
  Write(&prefix, 1);
  if (Flags.Contains(ffChildPos)) WriteInteger(AChildPos);
}

void TWriter::WriteListBegin() { WriteValue(vaList); }
void TWriter::WriteListEnd() { WriteValue(vaNull); }

void TWriter::WriteInteger(Integer Value) {
  if (Value >= -128 && Value <= 127) {
    WriteValue(vaInt8);
    int8_t v = static_cast<int8_t>(Value);
    Write(&v, 1);
  } else if (Value >= -32768 && Value <= 32767) {
    WriteValue(vaInt16);
    int16_t v = static_cast<int16_t>(Value);
    Write(&v, 2);
  } else {
    WriteValue(vaInt32);
    Write(&Value, 4);
  }
}

void TWriter::WriteInteger(Int64 Value) {
  if (Value >= INT32_MIN && Value <= INT32_MAX) {
    WriteInteger(static_cast<Integer>(Value));
    return;
  }
  WriteValue(vaInt64);
  Write(&Value, 8);
}

void TWriter::WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }

void TWriter::WriteChar(char Value) { WriteString(std::string(1, Value)); }

void TWriter::WriteFloat(Extended Value) {
  WriteValue(vaExtended);
  Byte bytes[sizeof(long double)] = {};
  std::memcpy(bytes, &Value, sizeof(long double));
  Write(bytes, 10);  // the 80-bit value; the rest of a long double is padding
}

void TWriter::WriteSingle(float Value) {
  WriteValue(vaSingle);
  Write(&Value, 4);
}

void TWriter::WriteCurrency(Currency Value) {
  WriteValue(vaCurrency);
  Write(&Value.Value, 8);
}

void TWriter::WriteDate(TDateTime Value) {
  WriteValue(vaDate);
  Write(&Value, 8);
}

void TWriter::WriteStr(const std::string& Value) {
  Byte n = static_cast<Byte>(std::min<size_t>(Value.size(), 255));
  Write(&n, 1);
  if (n) Write(Value.data(), n);
}

void TWriter::WriteString(const std::string& Value) {
  if (Value.size() <= 255) {
    WriteValue(vaString);
    WriteStr(Value);
    return;
  }
  WriteValue(vaLString);
  Integer n = static_cast<Integer>(Value.size());
  Write(&n, 4);
  Write(Value.data(), n);
}

void TWriter::WriteWideString(const std::u16string& Value) {
  WriteValue(vaWString);
  Integer n = static_cast<Integer>(Value.size());
  Write(&n, 4);
  if (n) Write(Value.data(), n * 2);
}

void TWriter::WriteWideString(const std::string& Value) { WriteWideString(ansiToUtf16(Value)); }

void TWriter::WriteUTF8String(const std::string& Value) {
  std::string utf8 = utf16ToUtf8(ansiToUtf16(Value));
  WriteValue(vaUTF8String);
  Integer n = static_cast<Integer>(utf8.size());
  Write(&n, 4);
  if (n) Write(utf8.data(), n);
}

void TWriter::WriteIdent(const std::string& Ident) {
  if (SameText(Ident, "False")) WriteValue(vaFalse);
  else if (SameText(Ident, "True")) WriteValue(vaTrue);
  else if (SameText(Ident, "Null")) WriteValue(vaNull);
  else if (SameText(Ident, "nil")) WriteValue(vaNil);
  else {
    WriteValue(vaIdent);
    WriteStr(Ident);
  }
}

void TWriter::WriteSet(PTypeInfo SetType, Int64 Value) {
  WriteValue(vaSet);
  PTypeInfo elem = SetType ? SetType->CompType : nullptr;
  for (int i = 0; i < 64; ++i)
    if (static_cast<uint64_t>(Value) & (uint64_t(1) << i)) WriteStr(GetEnumName(elem, i));
  WriteStr("");
}

void TWriter::WriteVariant(const Variant& Value) {
  if (Value.IsArray()) throw EWriteError(SInvalidPropertyValue);
  switch (VarType(Value) & varTypeMask) {
    case varEmpty: WriteValue(vaNil); break;
    case varNull: WriteValue(vaNull); break;
    case varOleStr: WriteWideString(Value.AsString()); break;
    case varString: WriteString(Value.AsString()); break;
    case varShortInt: case varByte: case varSmallint: case varWord: case varInteger:
      WriteInteger(Value.AsInteger());
      break;
    case varLongWord: case varInt64: WriteInteger(Value.AsInt64()); break;
    case varSingle: WriteSingle(static_cast<float>(Value.AsDouble())); break;
    case varDouble: WriteFloat(Value.AsDouble()); break;
    case varCurrency: WriteCurrency(Value.AsCurrency()); break;
    case varDate: WriteDate(Value.AsDateTime()); break;
    case varBoolean: WriteBoolean(Value.AsBoolean()); break;
    default: throw EWriteError(SInvalidPropertyValue);
  }
}

void TWriter::WriteBinary(const TStreamProc& WriteData) {
  TMemoryStream data;
  WriteData(&data);
  WriteValue(vaBinary);
  Integer n = static_cast<Integer>(data.Size());
  Write(&n, 4);
  if (n) Write(data.Memory(), n);
}

void TWriter::WriteCollection(TCollection* Value) {
  // A changed collection is stored whole: its items are compared with nothing, and
  // their property names carry no outer path.
  ScopedRestore restore(FAncestor, FPropPath);
  FAncestor = nullptr;
  FPropPath.clear();
  WriteValue(vaCollection);
  if (Value) {
    for (int i = 0; i < Value->Count(); ++i) {
      WriteListBegin();
      WriteProperties(Value->Items(i));
      WriteListEnd();
    }
  }
  WriteListEnd();
}

void TWriter::WritePropName(const std::string& PropName) { WriteStr(FPropPath + PropName); }

void TWriter::DefineProperty(const std::string& Name, TReaderProc, TWriterProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  WritePropName(Name);
  WriteData(this);
}

void TWriter::DefineBinaryProperty(const std::string& Name, TStreamProc, TStreamProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  WritePropName(Name);
  WriteBinary(WriteData);
}

// --- Components.

void TWriter::WriteRootComponent(TComponent* Root) { WriteDescendent(Root, nullptr); }

void TWriter::WriteDescendent(TComponent* Root, TComponent* AAncestor) {
  FRootAncestor = AAncestor;
  FAncestor = AAncestor;
  FRoot = Root;
  FLookupRoot = Root;
  WriteSignature();
  WriteComponent(Root);
}

void TWriter::WriteComponent(TComponent* Component) {
  ScopedRestore restore(FAncestor, FRootAncestor);
  Component->SetWriting(true);
  try {
    if (FAncestorList) {
      FAncestor = nullptr;
      for (TComponent* a : *FAncestorList)
        if (SameText(a->Name(), Component->Name())) {
          FAncestor = a;
          break;
        }
    }
    Component->WriteState(this);
  } catch (...) {
    Component->SetWriting(false);
    throw;
  }
  Component->SetWriting(false);
}

void TWriter::WriteData(TComponent* Instance) {
  TFilerFlags flags;
  if (Instance->ComponentState().Contains(csInline)) {
    if (FAncestor && Instance->ComponentState().Contains(csAncestor) && FAncestorList) flags.Include(ffInherited);
    else flags.Include(ffInline);
  } else if (FAncestor) {
    flags.Include(ffInherited);
  }
  // A component that does not come where the ancestor has its next child is stored with
  // its position among the children.
  if (FAncestorList && FAncestorPos < FAncestorList->size() &&
      (!FAncestor || (*FAncestorList)[FAncestorPos] != FAncestor))
    flags.Include(ffChildPos);
  WritePrefix(flags, FChildPos);
  WriteStr(Instance->ClassName());
  WriteStr(Instance->Name());
  if (FAncestorList && FAncestorPos < FAncestorList->size()) {
    if (FAncestor) ++FAncestorPos;
    ++FChildPos;
  }
  WriteProperties(Instance);
  WriteListEnd();
  if (!FIgnoreChildren) {
    // The children are counted and matched against the ancestor's children afresh.
    ScopedRestore restore(FAncestorList, FAncestorPos, FChildPos, FRoot, FLookupRoot, FRootAncestor);
    std::vector<TComponent*> ancestors;
    FAncestorList = nullptr;
    FAncestorPos = 0;
    FChildPos = 0;
    if (auto* ancestor = dynamic_cast<TComponent*>(FAncestor)) {
      if (ancestor->ComponentState().Contains(csInline)) FRootAncestor = ancestor;
      ancestor->GetChildren([&ancestors](TComponent* c) { ancestors.push_back(c); }, FRootAncestor);
      FAncestorList = &ancestors;
    }
    if (Instance->ComponentState().Contains(csInline)) {
      FRoot = Instance;
      FLookupRoot = Instance;
    }
    Instance->GetChildren([this](TComponent* c) { WriteComponent(c); }, FRoot);
  }
  WriteListEnd();
}

void TWriter::WriteProperties(TPersistent* Instance) {
  for (PPropInfo prop : GetPropList(Instance))
    if (IsStoredProp(Instance, prop)) WriteProperty(Instance, prop);
  Instance->DefineProperties(this);
}

void TWriter::WriteProperty(TPersistent* Instance, PPropInfo PropInfo) {
  // Only values that can be read back are stored: a read-only property is written only
  // when it holds an object whose own properties are stored.
  if (PropInfo->IsReadOnly && PropInfo->PropType->Kind != tkClass) return;
  TPersistent* ancestor = FAncestor && FAncestor->InheritsFrom(PropInfo->Owner) ? FAncestor : nullptr;
  writePropertyValue(Instance, PropInfo, ancestor);
}

// How a component reference is stored, seen from LookupRoot: its name when the lookup
// root owns it (or it is the lookup root, or a root of its own), "Owner.Name" otherwise;
// "" when it cannot be named.
std::string TWriter::referenceName(TComponent* Value, TComponent* LookupRoot) const {
  if (Value->Name().empty()) return "";
  if (Value == LookupRoot || Value->Owner() == LookupRoot) return Value->Name();
  TComponent* owner = Value->Owner();
  if (!owner || owner->Name().empty()) return Value->Name();
  return owner->Name() + "." + Value->Name();
}

void TWriter::writePropertyValue(TPersistent* Instance, PPropInfo PropInfo, TPersistent* Ancestor) {
  PTypeInfo type = PropInfo->PropType;
  switch (type->Kind) {
    case tkInteger: case tkChar: case tkEnumeration: case tkSet: case tkInt64: {
      Int64 value = GetOrdProp(Instance, PropInfo);
      bool same = Ancestor ? value == GetOrdProp(Ancestor, PropInfo) : IsDefaultPropValue(Instance, PropInfo);
      if (same) return;
      WritePropName(PropInfo->Name);
      switch (type->Kind) {
        case tkInteger: {
          std::string ident;
          TIntToIdent toIdent = FindIntToIdent(type);
          if (toIdent && value >= INT32_MIN && value <= INT32_MAX && toIdent(static_cast<Integer>(value), ident))
            WriteIdent(ident);
          else
            WriteInteger(value);
          break;
        }
        case tkChar: WriteChar(static_cast<char>(value)); break;
        case tkEnumeration: WriteIdent(GetEnumName(type, static_cast<int>(value))); break;
        case tkSet: WriteSet(type, value); break;
        default: WriteInteger(value); break;
      }
      return;
    }
    case tkFloat: {
      long double value = GetFloatProp(Instance, PropInfo);
      bool same = Ancestor ? value == GetFloatProp(Ancestor, PropInfo) : IsDefaultPropValue(Instance, PropInfo);
      if (same) return;
      WritePropName(PropInfo->Name);
      switch (type->FloatType) {
        case ftSingle: WriteSingle(static_cast<float>(value)); break;
        case ftCurr: WriteCurrency(Currency::FromDouble(value)); break;
        default: WriteFloat(value); break;
      }
      return;
    }
    case tkString: case tkLString: case tkWString: {
      std::string value = GetStrProp(Instance, PropInfo);
      bool same = Ancestor ? value == GetStrProp(Ancestor, PropInfo) : value.empty();
      if (same) return;
      WritePropName(PropInfo->Name);
      if (type->Kind == tkWString) WriteWideString(value);
      else WriteString(value);
      return;
    }
    case tkVariant: {
      Variant value = GetVariantProp(Instance, PropInfo);
      bool same;
      if (Ancestor) {
        Variant old = GetVariantProp(Ancestor, PropInfo);
        same = VarType(value) == VarType(old);
        if (same && !VarIsClear(value) && !VarIsNull(value)) {
          try {
            same = VarSameValue(value, old);
          } catch (const Exception&) {
            same = false;
          }
        }
      } else {
        same = VarIsClear(value);
      }
      if (same) return;
      WritePropName(PropInfo->Name);
      WriteVariant(value);
      return;
    }
    case tkMethod: {
      auto methodName = [](const TMethod& m, TComponent* root) -> std::string {
        if (!m.Assigned() || !root || m.Data != root) return "";
        return root->MethodName(m.Code);
      };
      std::string name = methodName(GetMethodProp(Instance, PropInfo), FLookupRoot);
      if (Ancestor) {
        std::string old = methodName(GetMethodProp(Ancestor, PropInfo), FRootAncestor);
        if (SameText(name, old)) return;
        if (name.empty()) {
          WritePropName(PropInfo->Name);
          WriteValue(vaNil);
          return;
        }
      } else if (name.empty()) {
        return;
      }
      WritePropName(PropInfo->Name);
      WriteIdent(name);
      return;
    }
    case tkClass: {
      TObject* value = GetObjectProp(Instance, PropInfo);
      TObject* old = Ancestor ? GetObjectProp(Ancestor, PropInfo) : nullptr;
      auto asReference = [](TObject* o) {
        auto* c = dynamic_cast<TComponent*>(o);
        return c && !c->ComponentStyle().Contains(csSubComponent) ? c : nullptr;
      };
      if (!value) {
        if (asReference(old) && !PropInfo->IsReadOnly) {
          WritePropName(PropInfo->Name);
          WriteValue(vaNil);
        }
        return;
      }
      if (TComponent* ref = asReference(value)) {
        if (PropInfo->IsReadOnly) return;
        std::string name = referenceName(ref, FLookupRoot);
        if (name.empty()) return;
        if (TComponent* oldRef = asReference(old); oldRef && SameText(name, referenceName(oldRef, FRootAncestor)))
          return;
        WritePropName(PropInfo->Name);
        WriteIdent(name);
        return;
      }
      if (auto* collection = dynamic_cast<TCollection*>(value)) {
        bool same = Ancestor ? CollectionsEqual(collection, dynamic_cast<TCollection*>(old), FLookupRoot, FRootAncestor)
                             : collection->Count() == 0;
        if (same) return;
        WritePropName(PropInfo->Name);
        WriteCollection(collection);
        return;
      }
      if (auto* persistent = dynamic_cast<TPersistent*>(value)) {
        ScopedRestore restore(FAncestor, FPropPath);
        FAncestor = Ancestor ? dynamic_cast<TPersistent*>(old) : nullptr;
        FPropPath += PropInfo->Name + ".";
        WriteProperties(persistent);
      }
      return;
    }
    default:
      return;  // interfaces and other kinds are not stored
  }
}

bool CollectionsEqual(TCollection* C1, TCollection* C2, TComponent* Owner1, TComponent* Owner2) {
  auto image = [](TCollection* c, TComponent* owner) {
    TMemoryStream stream;
    TWriter writer(&stream);
    writer.FRoot = owner;
    writer.FLookupRoot = owner;
    writer.WriteCollection(c);
    return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
  };
  if (C1 == C2) return true;
  if ((C1 ? C1->Count() : 0) != (C2 ? C2->Count() : 0)) return false;
  return image(C1, Owner1) == image(C2, Owner2);
}

// =======================================================================================
// TStrings: its lines are the defined property "Strings".

void TStrings::DefineProperties(TFiler* Filer) {
  bool hasData;
  if (Filer->Ancestor()) {
    auto* ancestor = dynamic_cast<TStrings*>(Filer->Ancestor());
    hasData = !ancestor || !Equals(ancestor);
  } else {
    hasData = Count() > 0;
  }
  Filer->DefineProperty(
      "Strings",
      [this](TReader* reader) {
        reader->ReadListBegin();
        {
          UpdateLock lock(this);
          Clear();
          while (!reader->EndOfList()) Add(reader->ReadString());
        }
        reader->ReadListEnd();
      },
      [this](TWriter* writer) {
        writer->WriteListBegin();
        for (Integer i = 0; i < Count(); ++i) writer->WriteString(Get(i));
        writer->WriteListEnd();
      },
      hasData);
}

// =======================================================================================
// TStream: components and resource entries.

TComponent* TStream::ReadComponent(TComponent* Instance) {
  TReader reader(this);
  return reader.ReadRootComponent(Instance);
}

void TStream::WriteComponent(TComponent* Instance) { WriteDescendent(Instance, nullptr); }

void TStream::WriteDescendent(TComponent* Instance, TComponent* Ancestor) {
  TWriter writer(this);
  writer.WriteDescendent(Instance, Ancestor);
}

TComponent* TStream::ReadComponentRes(TComponent* Instance) {
  ReadResHeader();
  return ReadComponent(Instance);
}

void TStream::WriteComponentRes(const std::string& ResName, TComponent* Instance) {
  WriteDescendentRes(ResName, Instance, nullptr);
}

void TStream::WriteDescendentRes(const std::string& ResName, TComponent* Instance, TComponent* Ancestor) {
  Integer fixup = 0;
  WriteResourceHeader(ResName, fixup);
  WriteDescendent(Instance, Ancestor);
  FixupResourceHeader(fixup);
}

// The entry header of a 16-bit resource file: 0xFF and the type number (RCDATA), the name
// in capitals with a terminating null, the memory flags, and the size of the data.
void TStream::WriteResourceHeader(const std::string& ResName, Integer& FixupInfo) {
  std::string header = "\xFF";
  header += '\x0A';
  header += '\0';
  header += UpperCase(ResName.substr(0, 63));
  header += '\0';
  header += "\x30\x10";              // moveable, pure, discardable
  header += std::string(4, '\0');    // size, fixed up once the data is written
  WriteBuffer(header.data(), static_cast<Integer>(header.size()));
  FixupInfo = static_cast<Integer>(Position());
}

void TStream::FixupResourceHeader(Integer FixupInfo) {
  Integer imageSize = static_cast<Integer>(Position() - FixupInfo);
  SetPosition(FixupInfo - 4);
  WriteBuffer(&imageSize, 4);
  SetPosition(static_cast<Int64>(FixupInfo) + imageSize);
}

void TStream::ReadResHeader() {
  try {
    Byte mark = 0;
    Word type = 0;
    ReadBuffer(&mark, 1);
    ReadBuffer(&type, 2);
    if (mark != 0xFF || type != 10) throw EInvalidImage(SInvalidImage);
    char c = 0;
    int length = 0;
    do {
      ReadBuffer(&c, 1);
      if (++length > 256) throw EInvalidImage(SInvalidImage);
    } while (c != '\0');
    Word flags = 0;
    Integer size = 0;
    ReadBuffer(&flags, 2);
    ReadBuffer(&size, 4);
  } catch (const EReadError&) {
    throw EInvalidImage(SInvalidImage);
  }
}

// =======================================================================================
// TParser

RTL_IMPLEMENT_CLASS(TParser)

TParser::TParser(TStream* Stream) {
  Int64 size = Stream->Size() - Stream->Position();
  if (size > 0) {
    FText.resize(static_cast<size_t>(size));
    FText.resize(static_cast<size_t>(Stream->Read(FText.data(), static_cast<Integer>(size))));
  }
  // UTF-8 text (marked, or valid UTF-8 with multi-byte sequences) becomes cp1252; other
  // text is taken as cp1252 already.
  bool bom = FText.size() >= 3 && FText.compare(0, 3, "\xEF\xBB\xBF") == 0;
  if (bom) FText.erase(0, 3);
  bool high = std::any_of(FText.begin(), FText.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  std::u16string wide;
  if (high && utf8ToUtf16(FText, wide)) FText = utf16ToAnsi(wide);
  NextToken();
}

void TParser::Error(const std::string& Message) { throw EParserError(Format(SParseError, FTokenLine, Message)); }

void TParser::CheckToken(char T) {
  if (FToken == T) return;
  switch (T) {
    case toSymbol: Error(SIdentifierExpected);
    case toString: case toWString: Error(SStringExpected);
    case toInteger: case toFloat: Error(SNumberExpected);
    default: Error(Format(SCharExpected, std::string(1, T)));
  }
}

void TParser::CheckTokenSymbol(const std::string& S) {
  if (!TokenSymbolIs(S)) Error(Format(SSymbolExpected, S));
}

bool TParser::TokenSymbolIs(const std::string& S) const { return FToken == toSymbol && SameText(FTokenText, S); }

void TParser::skipBlanks() {
  while (FPos < FText.size()) {
    char c = FText[FPos];
    if (c == '\0' || static_cast<unsigned char>(c) > ' ') break;
    if (c == '\n') ++FLine;
    ++FPos;
  }
}

char TParser::NextToken() {
  skipBlanks();
  FTokenStart = static_cast<Integer>(FPos);
  FTokenLine = FLine;
  FFloatType = 0;
  FTokenText.clear();
  FTokenWide.clear();
  auto at = [this](size_t i) { return i < FText.size() ? FText[i] : '\0'; };
  char c = at(FPos);
  if (FPos >= FText.size() || c == '\0') {
    FToken = toEOF;
  } else if (isIdentStart(c)) {
    size_t start = FPos;
    while (isIdentChar(at(FPos))) ++FPos;
    FTokenText = FText.substr(start, FPos - start);
    FToken = toSymbol;
  } else if (c == '\'' || c == '#') {
    scanString();
  } else if (isDigit(c) || (c == '$' && isHexDigit(at(FPos + 1))) ||
             (c == '-' && (isDigit(at(FPos + 1)) || (at(FPos + 1) == '$' && isHexDigit(at(FPos + 2)))))) {
    scanNumber();
  } else {
    FToken = c;
    ++FPos;
  }
  return FToken;
}

void TParser::scanString() {
  auto at = [this](size_t i) { return i < FText.size() ? FText[i] : '\0'; };
  const auto& table = cp1252Table();
  bool wide = false;
  for (;;) {
    char c = at(FPos);
    if (c == '\'') {
      ++FPos;
      for (;;) {
        char ch = at(FPos);
        if (FPos >= FText.size() || ch == '\0' || ch == '\r' || ch == '\n') Error(SInvalidString);
        ++FPos;
        if (ch == '\'') {
          if (at(FPos) != '\'') break;
          ++FPos;
        }
        FTokenText += ch;
        FTokenWide += table[static_cast<unsigned char>(ch)];
      }
    } else if (c == '#') {
      ++FPos;
      uint32_t code = 0;
      size_t digits = 0;
      if (at(FPos) == '$') {
        ++FPos;
        while (isHexDigit(at(FPos)) && digits < 8) {
          code = code * 16 + static_cast<uint32_t>(hexValue(at(FPos++)));
          ++digits;
        }
      } else {
        while (isDigit(at(FPos)) && digits < 8) {
          code = code * 10 + static_cast<uint32_t>(at(FPos++) - '0');
          ++digits;
        }
      }
      if (digits == 0 || code > 0xFFFF) Error(SInvalidString);
      if (code > 0xFF) wide = true;
      else FTokenText += static_cast<char>(code);
      FTokenWide += static_cast<char16_t>(code);
    } else {
      break;
    }
  }
  FToken = wide ? toWString : toString;
}

void TParser::scanNumber() {
  auto at = [this](size_t i) { return i < FText.size() ? FText[i] : '\0'; };
  size_t start = FPos;
  if (at(FPos) == '-') ++FPos;
  if (at(FPos) == '$') {
    ++FPos;
    while (isHexDigit(at(FPos))) ++FPos;
    FTokenText = FText.substr(start, FPos - start);
    FToken = toInteger;
    return;
  }
  bool isFloat = false;
  while (isDigit(at(FPos))) ++FPos;
  if (at(FPos) == '.' && isDigit(at(FPos + 1))) {
    isFloat = true;
    ++FPos;
    while (isDigit(at(FPos))) ++FPos;
  }
  char e = at(FPos);
  if ((e == 'e' || e == 'E') &&
      (isDigit(at(FPos + 1)) || ((at(FPos + 1) == '+' || at(FPos + 1) == '-') && isDigit(at(FPos + 2))))) {
    isFloat = true;
    FPos += 2;
    while (isDigit(at(FPos))) ++FPos;
  }
  FTokenText = FText.substr(start, FPos - start);
  char suffix = static_cast<char>(at(FPos) | 0x20);
  if ((suffix == 's' || suffix == 'c' || suffix == 'd') && !isIdentChar(at(FPos + 1))) {
    FFloatType = suffix;
    ++FPos;
    isFloat = true;
  }
  FToken = isFloat ? toFloat : toInteger;
}

std::string TParser::TokenComponentIdent() {
  CheckToken(toSymbol);
  auto at = [this](size_t i) { return i < FText.size() ? FText[i] : '\0'; };
  while (at(FPos) == '.' && isIdentStart(at(FPos + 1))) {
    size_t start = ++FPos;
    while (isIdentChar(at(FPos))) ++FPos;
    FTokenText += "." + FText.substr(start, FPos - start);
  }
  return FTokenText;
}

Int64 TParser::TokenInt() const {
  if (FToken != toInteger) return static_cast<Int64>(TokenFloat());
  const std::string& t = FTokenText;
  bool negative = !t.empty() && t[0] == '-';
  size_t i = negative ? 1 : 0;
  uint64_t value = 0;
  if (i < t.size() && t[i] == '$') {
    if (t.size() - i - 1 > 16) throw EParserError(Format(SParseError, FTokenLine, Format(SInvalidNumber, t)));
    for (++i; i < t.size(); ++i) value = value * 16 + static_cast<uint64_t>(hexValue(t[i]));
    return negative ? -static_cast<Int64>(value) : static_cast<Int64>(value);
  }
  Int64 v = 0;
  auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  if (r.ec != std::errc() || r.ptr != t.data() + t.size())
    throw EParserError(Format(SParseError, FTokenLine, Format(SInvalidNumber, t)));
  return v;
}

Extended TParser::TokenFloat() const {
  if (FToken == toInteger) return static_cast<Extended>(TokenInt());
  long double v = 0;
  auto r = std::from_chars(FTokenText.data(), FTokenText.data() + FTokenText.size(), v);
  if (r.ec != std::errc() || r.ptr != FTokenText.data() + FTokenText.size())
    throw EParserError(Format(SParseError, FTokenLine, Format(SInvalidNumber, FTokenText)));
  return v;
}

std::string TParser::TokenString() const {
  if (FToken == toWString) return utf16ToAnsi(FTokenWide);
  return FTokenText;
}

std::u16string TParser::TokenWideString() const {
  if (FToken == toString || FToken == toWString) return FTokenWide;
  return ansiToUtf16(FTokenText);
}

void TParser::HexToBinary(TStream* Stream) {
  std::string bytes;
  for (;;) {
    skipBlanks();
    char c = FPos < FText.size() ? FText[FPos] : '\0';
    if (c == '}') break;
    char d = FPos + 1 < FText.size() ? FText[FPos + 1] : '\0';
    if (!isHexDigit(c) || !isHexDigit(d)) {
      FTokenLine = FLine;
      Error(SInvalidBinary);
    }
    bytes += static_cast<char>(hexValue(c) * 16 + hexValue(d));
    FPos += 2;
  }
  ++FPos;  // the '}'
  if (!bytes.empty()) Stream->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

// =======================================================================================
// Text form <-> binary form.

namespace {

// --- Numbers in the text form.

// Renders the shortest scientific form "d.ddde+xx" of a number as the text form writes
// it: positional notation for exponents from -5 to 17, "d.dddE<exp>" beyond; always with
// a '.' or an exponent, so that it reads back as a float.
std::string renderNumber(const char* first, const char* last) {
  std::string s(first, last);
  if (s.find_first_of("0123456789") == std::string::npos) return s;  // inf, nan
  std::string sign;
  if (s[0] == '-') {
    sign = "-";
    s.erase(0, 1);
  }
  size_t e = s.find('e');
  int exp10 = std::stoi(s.substr(e + 1));
  std::string digits;
  for (char c : s.substr(0, e))
    if (isDigit(c)) digits += c;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  if (digits == "0") return sign + "0.0";
  if (exp10 >= -5 && exp10 < 18) {
    std::string intPart, fracPart;
    if (exp10 >= 0) {
      size_t n = static_cast<size_t>(exp10) + 1;
      if (digits.size() < n) digits.append(n - digits.size(), '0');
      intPart = digits.substr(0, n);
      fracPart = digits.substr(n);
    } else {
      intPart = "0";
      fracPart = std::string(static_cast<size_t>(-exp10 - 1), '0') + digits;
    }
    return sign + intPart + "." + (fracPart.empty() ? "0" : fracPart);
  }
  std::string mantissa = digits.substr(0, 1) + "." + (digits.size() > 1 ? digits.substr(1) : "0");
  return sign + mantissa + "E" + std::to_string(exp10);
}

template <class F> std::string shortestText(F value) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof(buf), value, std::chars_format::scientific);
  return renderNumber(buf, r.ptr);
}

// An Extended value: the shortest text that reads back to it, or, when the value is
// exactly a double (as most stored floats are), the shortest text of that double.
std::string extendedText(long double v) {
  double d = static_cast<double>(v);
  if (static_cast<long double>(d) == v) return shortestText(d);
  return shortestText(v);
}

std::string currencyText(Currency c) {
  Int64 v = c.Value;
  bool negative = v < 0;
  uint64_t m = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  std::string frac = std::to_string(m % 10000);
  frac = std::string(4 - frac.size(), '0') + frac;
  while (frac.size() > 1 && frac.back() == '0') frac.pop_back();
  return (negative ? "-" : "") + std::to_string(m / 10000) + "." + frac;
}

// --- Strings in the text form.

constexpr size_t kStringPieceLength = 64;

template <class Unit> std::string quotePiece(const Unit* data, size_t count) {
  std::string out;
  bool quoted = false;
  for (size_t i = 0; i < count; ++i) {
    auto code = static_cast<uint32_t>(static_cast<std::make_unsigned_t<Unit>>(data[i]));
    if (code >= 32 && code <= 126) {
      if (!quoted) {
        out += '\'';
        quoted = true;
      }
      out += static_cast<char>(code);
      if (code == '\'') out += '\'';
    } else {
      if (quoted) {
        out += '\'';
        quoted = false;
      }
      out += '#' + std::to_string(code);
    }
  }
  if (quoted) out += '\'';
  return out.empty() ? "''" : out;
}

template <class Str> std::vector<std::string> stringPieces(const Str& s) {
  std::vector<std::string> pieces;
  for (size_t i = 0; i == 0 || i < s.size(); i += kStringPieceLength)
    pieces.push_back(quotePiece(s.data() + i, std::min(kStringPieceLength, s.size() - std::min(i, s.size()))));
  return pieces;
}

const char* const EOL = "\r\n";

class BinaryToText {
public:
  BinaryToText(TStream* input, TStream* output) : reader_(input), output_(output) {}

  void Run() {
    reader_.ReadSignature();
    convertObject("");
    output_->WriteBuffer(text_.data(), static_cast<Integer>(text_.size()));
  }

private:
  void convertObject(const std::string& indent) {
    DepthGuard depth(depth_);
    TFilerFlags flags;
    Integer position = 0;
    reader_.ReadPrefix(flags, position);
    std::string className = reader_.ReadStr();
    std::string objectName = reader_.ReadStr();
    text_ += indent;
    if (flags.Contains(ffInline)) text_ += "inline ";
    else if (flags.Contains(ffInherited)) text_ += "inherited ";
    else text_ += "object ";
    if (!objectName.empty()) text_ += objectName + ": ";
    text_ += className;
    if (flags.Contains(ffChildPos)) text_ += " [" + std::to_string(position) + "]";
    text_ += EOL;
    while (!reader_.EndOfList()) convertProperty(indent + "  ");
    reader_.ReadListEnd();
    while (!reader_.EndOfList()) convertObject(indent + "  ");
    reader_.ReadListEnd();
    text_ += indent + "end" + EOL;
  }

  void convertProperty(const std::string& indent) {
    text_ += indent + reader_.ReadStr() + " =";
    std::string inner = indent + "  ";
    if (isStringValue(reader_.NextValue())) {
      std::vector<std::string> pieces = readStringPieces();
      if (pieces.size() == 1) text_ += " " + pieces[0];
      else text_ += EOL + inner + joinPieces(pieces, inner);
    } else {
      text_ += " ";
      convertValue(inner);
    }
    text_ += EOL;
  }

  std::vector<std::string> readStringPieces() {
    TValueType t = reader_.NextValue();
    if (t == vaString || t == vaLString) return stringPieces(reader_.ReadString());
    return stringPieces(reader_.ReadWideStringUnits());
  }

  static std::string joinPieces(const std::vector<std::string>& pieces, const std::string& indent) {
    std::string s;
    for (size_t i = 0; i < pieces.size(); ++i) {
      if (i) s += std::string(" +") + EOL + indent;
      s += pieces[i];
    }
    return s;
  }

  // Appends the next value; lines after the first start with indent.
  void convertValue(const std::string& indent) {
    DepthGuard depth(depth_);
    TValueType t = reader_.NextValue();
    switch (t) {
      case vaList:
        reader_.ReadValue();
        text_ += "(";
        while (!reader_.EndOfList()) {
          text_ += EOL + indent;
          // A long string item continues on lines of the item's own indent.
          if (isStringValue(reader_.NextValue())) text_ += joinPieces(readStringPieces(), indent);
          else convertValue(indent + "  ");
        }
        reader_.ReadListEnd();
        text_ += ")";
        break;
      case vaInt8: case vaInt16: case vaInt32: case vaInt64:
        text_ += std::to_string(reader_.ReadInt64());
        break;
      case vaExtended:
        text_ += extendedText(reader_.ReadFloat());
        break;
      case vaSingle:
        text_ += shortestText(reader_.ReadSingle()) + "s";
        break;
      case vaCurrency:
        text_ += currencyText(reader_.ReadCurrency()) + "c";
        break;
      case vaDate:
        text_ += shortestText(reader_.ReadDate()) + "d";
        break;
      case vaString: case vaLString: case vaWString: case vaUTF8String:
        text_ += joinPieces(readStringPieces(), indent);
        break;
      case vaIdent: case vaFalse: case vaTrue: case vaNil: case vaNull:
        text_ += reader_.ReadIdent();
        break;
      case vaBinary: {
        reader_.ReadValue();
        Integer n = 0;
        reader_.Read(&n, 4);
        if (n < 0 || n > reader_.Stream()->Size() - reader_.Position()) throw EReadError(SReadError);
        std::string bytes(static_cast<size_t>(n), '\0');
        if (n) reader_.Read(bytes.data(), n);
        static const char hex[] = "0123456789ABCDEF";
        text_ += "{";
        for (size_t i = 0; i < bytes.size(); i += 32) {
          text_ += EOL + indent;
          for (size_t j = i; j < std::min(bytes.size(), i + 32); ++j) {
            auto b = static_cast<unsigned char>(bytes[j]);
            text_ += hex[b >> 4];
            text_ += hex[b & 15];
          }
        }
        text_ += "}";
        break;
      }
      case vaSet: {
        reader_.ReadValue();
        text_ += "[";
        bool first = true;
        for (std::string name = reader_.ReadStr(); !name.empty(); name = reader_.ReadStr()) {
          if (!first) text_ += ", ";
          text_ += name;
          first = false;
        }
        text_ += "]";
        break;
      }
      case vaCollection:
        reader_.ReadValue();
        text_ += "<";
        while (!reader_.EndOfList()) {
          text_ += EOL + indent + "item";
          if (isIntegerValue(reader_.NextValue())) text_ += " [" + std::to_string(reader_.ReadInt64()) + "]";
          text_ += EOL;
          reader_.ReadListBegin();
          while (!reader_.EndOfList()) convertProperty(indent + "  ");
          reader_.ReadListEnd();
          text_ += indent + "end";
        }
        reader_.ReadListEnd();
        text_ += ">";
        break;
      default:
        throw EReadError(SInvalidPropertyValue);
    }
  }

  TReader reader_;
  TStream* output_;
  std::string text_;
  int depth_ = 0;
};

class TextToBinary {
public:
  TextToBinary(TStream* input, TStream* output) : parser_(input), writer_(output) {}

  void Run() {
    writer_.WriteSignature();
    convertObject();
  }

  // The class name of the root the text describes (for resource names); the parser is
  // left on the first token.
  static std::string RootClassName(TStream* input) {
    Int64 start = input->Position();
    TParser parser(input);
    input->SetPosition(start);
    if (!parser.TokenSymbolIs("object") && !parser.TokenSymbolIs("inherited") && !parser.TokenSymbolIs("inline"))
      parser.Error(Format(SSymbolExpected, std::string("object")));
    parser.NextToken();
    parser.CheckToken(toSymbol);
    std::string name = parser.TokenString();
    if (parser.NextToken() == ':') {
      parser.NextToken();
      parser.CheckToken(toSymbol);
      name = parser.TokenString();
    }
    return name;
  }

private:
  bool atObjectKeyword() const {
    return parser_.TokenSymbolIs("object") || parser_.TokenSymbolIs("inherited") || parser_.TokenSymbolIs("inline");
  }

  void convertObject() {
    if (++depth_ > kMaxDepth) parser_.Error(SInvalidImage);
    TFilerFlags flags;
    if (parser_.TokenSymbolIs("inherited")) flags.Include(ffInherited);
    else if (parser_.TokenSymbolIs("inline")) flags.Include(ffInline);
    else if (!parser_.TokenSymbolIs("object")) parser_.Error(Format(SSymbolExpected, std::string("object")));
    parser_.NextToken();
    parser_.CheckToken(toSymbol);
    std::string className = parser_.TokenString();
    std::string objectName;
    if (parser_.NextToken() == ':') {
      parser_.NextToken();
      parser_.CheckToken(toSymbol);
      objectName = className;
      className = parser_.TokenString();
      parser_.NextToken();
    }
    Integer position = 0;
    if (parser_.Token() == '[') {
      parser_.NextToken();
      parser_.CheckToken(toInteger);
      position = static_cast<Integer>(parser_.TokenInt());
      parser_.NextToken();
      parser_.CheckToken(']');
      parser_.NextToken();
      flags.Include(ffChildPos);
    }
    writer_.WritePrefix(flags, position);
    writer_.WriteStr(className);
    writer_.WriteStr(objectName);
    while (!parser_.TokenSymbolIs("end") && !atObjectKeyword()) convertProperty();
    writer_.WriteListEnd();
    while (!parser_.TokenSymbolIs("end")) {
      if (!atObjectKeyword()) parser_.Error(Format(SSymbolExpected, std::string("end")));
      convertObject();
    }
    writer_.WriteListEnd();
    parser_.NextToken();
    --depth_;
  }

  void convertProperty() {
    std::string name = parser_.TokenComponentIdent();
    parser_.NextToken();
    parser_.CheckToken('=');
    parser_.NextToken();
    writer_.WriteStr(name);
    convertValue();
  }

  void convertValue() {
    if (++depth_ > kMaxDepth) parser_.Error(SInvalidImage);
    switch (parser_.Token()) {
      case toString: case toWString: {
        std::u16string wide = parser_.TokenWideString();
        std::string narrow = parser_.TokenString();
        bool isWide = parser_.Token() == toWString;
        while (parser_.NextToken() == '+') {
          parser_.NextToken();
          if (parser_.Token() != toString && parser_.Token() != toWString) parser_.CheckToken(toString);
          isWide = isWide || parser_.Token() == toWString;
          wide += parser_.TokenWideString();
          narrow += parser_.TokenString();
        }
        if (isWide) writer_.WriteWideString(wide);
        else writer_.WriteString(narrow);
        break;
      }
      case toInteger:
        writer_.WriteInteger(parser_.TokenInt());
        parser_.NextToken();
        break;
      case toFloat:
        writeFloat();
        parser_.NextToken();
        break;
      case '[':
        parser_.NextToken();
        writer_.WriteValue(vaSet);
        if (parser_.Token() != ']') {
          for (;;) {
            parser_.CheckToken(toSymbol);
            writer_.WriteStr(parser_.TokenString());
            if (parser_.NextToken() != ',') break;
            parser_.NextToken();
          }
        }
        parser_.CheckToken(']');
        writer_.WriteStr("");
        parser_.NextToken();
        break;
      case '(':
        parser_.NextToken();
        writer_.WriteListBegin();
        while (parser_.Token() != ')') {
          if (parser_.Token() == toEOF) parser_.CheckToken(')');
          convertValue();
        }
        writer_.WriteListEnd();
        parser_.NextToken();
        break;
      case '{': {
        TMemoryStream bytes;
        parser_.HexToBinary(&bytes);
        writer_.WriteBinary([&bytes](TStream* s) { s->CopyFrom(&bytes, 0); });
        parser_.NextToken();
        break;
      }
      case '<':
        parser_.NextToken();
        writer_.WriteValue(vaCollection);
        while (parser_.Token() != '>') {
          parser_.CheckTokenSymbol("item");
          parser_.NextToken();
          if (parser_.Token() == '[') {
            parser_.NextToken();
            parser_.CheckToken(toInteger);
            writer_.WriteInteger(parser_.TokenInt());
            parser_.NextToken();
            parser_.CheckToken(']');
            parser_.NextToken();
          }
          writer_.WriteListBegin();
          while (!parser_.TokenSymbolIs("end")) convertProperty();
          writer_.WriteListEnd();
          parser_.NextToken();
        }
        writer_.WriteListEnd();
        parser_.NextToken();
        break;
      case toSymbol:
        writer_.WriteIdent(parser_.TokenComponentIdent());
        parser_.NextToken();
        break;
      default:
        parser_.Error(SInvalidPropertyValue);
    }
    --depth_;
  }

  // Floats with a suffix keep their kind; the text is parsed in the kind's own precision.
  void writeFloat() {
    std::string text = parser_.TokenString();
    auto parse = [&](auto& v) {
      auto r = std::from_chars(text.data(), text.data() + text.size(), v);
      if (r.ec != std::errc() || r.ptr != text.data() + text.size()) parser_.Error(Format(SInvalidNumber, text));
    };
    switch (parser_.FloatType()) {
      case 's': {
        float v = 0;
        parse(v);
        writer_.WriteSingle(v);
        break;
      }
      case 'c': {
        TFormatSettings settings;
        settings.DecimalSeparator = '.';
        Currency v;
        if (!TextToFloat(text.c_str(), static_cast<void*>(&v), fvCurrency, settings))
          parser_.Error(Format(SInvalidNumber, text));
        writer_.WriteCurrency(v);
        break;
      }
      case 'd': {
        double v = 0;
        parse(v);
        writer_.WriteDate(v);
        break;
      }
      default:
        writer_.WriteFloat(parser_.TokenFloat());
    }
  }

  TParser parser_;
  TWriter writer_;
  int depth_ = 0;
};

bool startsWithKeyword(const std::string& text, size_t pos, const char* keyword) {
  size_t n = std::strlen(keyword);
  if (text.size() < pos + n || !SameText(text.substr(pos, n), keyword)) return false;
  return text.size() == pos + n || !isIdentChar(text[pos + n]);
}

}  // namespace

void ObjectBinaryToText(TStream* Input, TStream* Output) { BinaryToText(Input, Output).Run(); }

void ObjectTextToBinary(TStream* Input, TStream* Output) { TextToBinary(Input, Output).Run(); }

void ObjectResourceToText(TStream* Input, TStream* Output) {
  Input->ReadResHeader();
  ObjectBinaryToText(Input, Output);
}

void ObjectTextToResource(TStream* Input, TStream* Output) {
  std::string resName = TextToBinary::RootClassName(Input);
  Integer fixup = 0;
  Output->WriteResourceHeader(resName, fixup);
  ObjectTextToBinary(Input, Output);
  Output->FixupResourceHeader(fixup);
}

TStreamOriginalFormat TestStreamFormat(TStream* Stream) {
  Int64 start = Stream->Position();
  std::string head(64, '\0');
  head.resize(static_cast<size_t>(Stream->Read(head.data(), static_cast<Integer>(head.size()))));
  Stream->SetPosition(start);
  if (head.size() >= 4 && std::memcmp(head.data(), kSignature, 4) == 0) return sofBinary;
  if (head.size() >= 3 && head.compare(0, 3, std::string("\xFF\x0A\x00", 3)) == 0) return sofBinary;
  size_t pos = head.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (pos < head.size() && head[pos] != '\0' && static_cast<unsigned char>(head[pos]) <= ' ') ++pos;
  if (startsWithKeyword(head, pos, "object") || startsWithKeyword(head, pos, "inherited") ||
      startsWithKeyword(head, pos, "inline"))
    return sofText;
  return sofUnknown;
}

// =======================================================================================
// Descriptions in resources and files.

HINSTANCE FindClassHInstance(TClass) { return GetModuleHandleA(nullptr); }

HINSTANCE FindResourceHInstance(HINSTANCE Instance) { return Instance; }

namespace {

// Reads a description in either form from Stream (at its position) into Instance.
TComponent* readAnyForm(TStream* stream, TComponent* instance) {
  switch (TestStreamFormat(stream)) {
    case sofText: {
      TMemoryStream binary;
      ObjectTextToBinary(stream, &binary);
      binary.SetPosition(0);
      return binary.ReadComponent(instance);
    }
    default: {
      Byte first = 0;
      Int64 start = stream->Position();
      if (stream->Read(&first, 1) == 1 && first == 0xFF) {
        stream->SetPosition(start);
        return stream->ReadComponentRes(instance);
      }
      stream->SetPosition(start);
      return stream->ReadComponent(instance);
    }
  }
}

// Reads the RCDATA resource ResName of the module into Instance; false when the module
// has no such resource.
bool readComponentResource(const std::string& resName, HINSTANCE module, TComponent*& instance) {
  if (!module || !FindResourceA(module, resName.c_str(), rcData())) return false;
  TResourceStream stream(module, resName, rcData());
  instance = readAnyForm(&stream, instance);
  return true;
}

}  // namespace

bool InitInheritedComponent(TComponent* Instance, TClass RootAncestor) {
  // Ancestors first, so that each description finds what its ancestors built.
  std::vector<TClass> chain;
  for (TClass c = Instance->ClassType(); c && c != RootAncestor && c != TComponent::StaticClass(); c = c->ClassParent())
    chain.push_back(c);
  bool found = false;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    TComponent* instance = Instance;
    if (readComponentResource((*it)->ClassName(), FindResourceHInstance(FindClassHInstance(*it)), instance))
      found = true;
  }
  return found;
}

TComponent* ReadComponentRes(const std::string& ResName, TComponent* Instance) {
  HINSTANCE module = FindResourceHInstance(Instance ? FindClassHInstance(Instance->ClassType())
                                                    : GetModuleHandleA(nullptr));
  if (!readComponentResource(ResName, module, Instance)) throw EResNotFound(Format(SResNotFound, ResName));
  return Instance;
}

TComponent* ReadComponentResEx(HINSTANCE HInstance, const std::string& ResName) {
  TComponent* instance = nullptr;
  if (!readComponentResource(ResName, HInstance, instance)) throw EResNotFound(Format(SResNotFound, ResName));
  return instance;
}

TComponent* ReadComponentResFile(const std::string& FileName, TComponent* Instance) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  return stream.ReadComponentRes(Instance);
}

void WriteComponentResFile(const std::string& FileName, TComponent* Instance) {
  SaveFileWhole(FileName, [Instance](TStream* stream) { stream->WriteComponentRes(Instance->ClassName(), Instance); });
}

// =======================================================================================
// Integer identifiers.

namespace {
struct IntegerConsts {
  PTypeInfo Type;
  TIdentToInt ToInt;
  TIntToIdent ToIdent;
};
std::vector<IntegerConsts>& integerConsts() {
  static std::vector<IntegerConsts> list;
  return list;
}
const IntegerConsts* findIntegerConsts(PTypeInfo type) {
  const auto& list = integerConsts();
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (it->Type == type) return &*it;
  return nullptr;
}
}  // namespace

bool IdentToInt(const std::string& Ident, Integer& Int, const TIdentMapEntry* Map, size_t Count) {
  for (size_t i = 0; i < Count; ++i)
    if (SameText(Map[i].Name, Ident)) {
      Int = Map[i].Value;
      return true;
    }
  return false;
}

bool IntToIdent(Integer Int, std::string& Ident, const TIdentMapEntry* Map, size_t Count) {
  for (size_t i = 0; i < Count; ++i)
    if (Map[i].Value == Int) {
      Ident = Map[i].Name;
      return true;
    }
  return false;
}

void RegisterIntegerConsts(PTypeInfo IntegerType, TIdentToInt IdentToIntFn, TIntToIdent IntToIdentFn) {
  integerConsts().push_back({IntegerType, std::move(IdentToIntFn), std::move(IntToIdentFn)});
}

TIdentToInt FindIdentToInt(PTypeInfo AIntegerType) {
  const IntegerConsts* c = findIntegerConsts(AIntegerType);
  return c ? c->ToInt : TIdentToInt();
}

TIntToIdent FindIntToIdent(PTypeInfo AIntegerType) {
  const IntegerConsts* c = findIntegerConsts(AIntegerType);
  return c ? c->ToIdent : TIntToIdent();
}

// =======================================================================================
// Exceptions in callbacks.

std::function<void(const Exception& E)> ApplicationHandleExceptionHook;

namespace {

void showExceptionDefault(const Exception& e) {
  if (dynamic_cast<const EAbort*>(&e)) return;
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string title = ChangeFileExt(ExtractFileName(path), "");
  std::string message = e.Message();
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
  MessageBoxA(nullptr, message.c_str(), title.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void reportException(const Exception& e) {
  if (ApplicationHandleExceptionHook) ApplicationHandleExceptionHook(e);
  else showExceptionDefault(e);
}

}  // namespace

void handleCallbackException() noexcept {
  if (!std::current_exception()) return;
  try {
    try {
      throw;
    } catch (const Exception& e) {
      reportException(e);
    } catch (const std::exception& e) {
      reportException(Exception(e.what()));
    } catch (...) {
      reportException(Exception(SUnknownException));
    }
  } catch (...) {
    // The handler itself failed; nothing further can be done inside a callback.
  }
}

// =======================================================================================
// Utility windows and object instances.

LRESULT rtl_detail::callWndMethod(const TWndMethod& method, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message;
  message.Msg = msg;
  message.WParam = wParam;
  message.LParam = lParam;
  message.Result = 0;
  try {
    method(message);
  } catch (...) {
    handleCallbackException();
  }
  return message.Result;
}

namespace {
using rtl_detail::callWndMethod;

const char* const kUtilWindowClass = "RtlUtilityWindow";
bool utilClassRegistered = false;

LRESULT CALLBACK utilWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (!method || !*method) return DefWindowProcA(wnd, msg, wParam, lParam);
  TWndMethod call = *method;  // the method may deallocate its window
  return callWndMethod(call, wnd, msg, wParam, lParam);
}

void registerUtilClass() {
  if (utilClassRegistered) return;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = utilWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kUtilWindowClass;
  if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) RaiseLastOSError();
  utilClassRegistered = true;
}

}  // namespace

HWND AllocateHWnd(TWndMethod Method) {
  registerUtilClass();
  HWND wnd = CreateWindowExA(WS_EX_TOOLWINDOW, kUtilWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  if (!wnd) RaiseLastOSError();
  if (Method) SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new TWndMethod(Method)));
  return wnd;
}

void DeallocateHWnd(HWND Wnd) {
  if (!Wnd) return;
  auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
  SetWindowLongPtrA(Wnd, GWLP_USERDATA, 0);
  DestroyWindow(Wnd);
  delete method;
}

// =======================================================================================
// Unit end.

void ClassesUnit::Finalize() {
  globalFixups().clear();
  if (FreeWatcher* w = fixupWatcherCell()) {
    w->UnwatchAll();
    fixupWatcherCell() = nullptr;
    delete w;
  }
  findGlobalProcs().clear();
  integerConsts().clear();
  if (utilClassRegistered) {
    UnregisterClassA(kUtilWindowClass, GetModuleHandleA(nullptr));
    utilClassRegistered = false;
  }
}
