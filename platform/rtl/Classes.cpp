#include "platform/rtl/Classes.h"
#include "platform/rtl/Scoped.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

// Messages of this unit, in one place.
namespace {
const char* const SAssignError = "Cannot assign a %s to a %s";
const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SListCapacityError = "List capacity out of bounds (%d)";
const char* const SListCountError = "List count out of bounds (%d)";
const char* const SSortedListError = "Operation not allowed on sorted list";
const char* const SDuplicateString = "String list does not allow duplicates";
const char* const SBitsIndexError = "Bits index out of range";
const char* const SReadError = "Stream read error";
const char* const SWriteError = "Stream write error";
const char* const SFCreateErrorEx = "Cannot create file \"%s\". %s";
const char* const SFOpenErrorEx = "Cannot open file \"%s\". %s";
const char* const SMemoryStreamError = "Out of memory while expanding memory stream";
const char* const SCantWriteResourceStreamError = "Can't write to a read-only resource stream";
const char* const SResNotFound = "Resource %s not found";

// The list messages carry at most one "%d"; messages without one are used as they are.
std::string withNumber(const std::string& msg, Integer data) {
  auto at = msg.find("%d");
  if (at == std::string::npos) return msg;
  return msg.substr(0, at) + std::to_string(data) + msg.substr(at + 2);
}

// Characters at or below the blank separate delimited items; compared as unsigned bytes so
// that cp1252 letters above 0x7F are ordinary characters.
bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
}  // namespace

// =======================================================================================
// TPersistent

RTL_IMPLEMENT_CLASS(TPersistent)

void TPersistent::Assign(TPersistent* Source) {
  if (Source) Source->AssignTo(this);
  else AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* Source) {
  std::string sourceName = Source ? Source->ClassName() : "nil";
  throw EConvertError(Format(SAssignError, sourceName, ClassName()));
}

void TPersistent::DefineProperties(TFiler*) {}

TPersistent* TPersistent::GetOwner() { return nullptr; }

std::string TPersistent::GetNamePath() {
  std::string result = ClassName();
  if (TPersistent* owner = GetOwner()) {
    std::string ownerPath = owner->GetNamePath();
    if (!ownerPath.empty()) result = ownerPath + "." + result;
  }
  return result;
}

// =======================================================================================
// TInterfacedPersistent

RTL_BEGIN_CLASS(TInterfacedPersistent)
b.Interface<IInterface>();
RTL_END_CLASS

void TInterfacedPersistent::AfterConstruction() {
  TPersistent::AfterConstruction();
  if (TPersistent* owner = GetOwner()) {
    void* intf = nullptr;
    if (owner->GetInterface(IID_IUnknown, &intf)) ownerInterface_ = static_cast<IInterface*>(intf);
  }
}

HRESULT STDMETHODCALLTYPE TInterfacedPersistent::QueryInterface(const ::IID& riid, void** obj) {
  if (!obj) return E_POINTER;
  if (GetInterface(riid, obj)) {
    static_cast<IInterface*>(*obj)->_AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TInterfacedPersistent::_AddRef() {
  return ownerInterface_ ? ownerInterface_->_AddRef() : static_cast<ULONG>(-1);
}

ULONG STDMETHODCALLTYPE TInterfacedPersistent::_Release() {
  return ownerInterface_ ? ownerInterface_->_Release() : static_cast<ULONG>(-1);
}

// =======================================================================================
// TList

RTL_IMPLEMENT_CLASS(TList)

TList::~TList() { Clear(); }

void TList::BeforeDestruction() {
  // Runs while the most derived class still exists, so its Notify sees the deletions.
  Clear();
  TObject::BeforeDestruction();
}

void TList::Error(const std::string& Msg, Integer Data) { throw EListError(withNumber(Msg, Data)); }

Integer TList::Add(void* Item) {
  Integer result = count_;
  if (result == Capacity()) Grow();
  items_[result] = Item;
  ++count_;
  if (Item) Notify(Item, lnAdded);
  return result;
}

void TList::Insert(Integer Index, void* Item) {
  if (Index < 0 || Index > count_) Error(SListIndexError, Index);
  if (count_ == Capacity()) Grow();
  std::move_backward(items_.begin() + Index, items_.begin() + count_, items_.begin() + count_ + 1);
  items_[Index] = Item;
  ++count_;
  if (Item) Notify(Item, lnAdded);
}

void TList::Delete(Integer Index) {
  if (Index < 0 || Index >= count_) Error(SListIndexError, Index);
  void* temp = items_[Index];
  --count_;
  std::move(items_.begin() + Index + 1, items_.begin() + count_ + 1, items_.begin() + Index);
  items_[count_] = nullptr;
  if (temp) Notify(temp, lnDeleted);
}

Integer TList::Remove(void* Item) {
  Integer result = IndexOf(Item);
  if (result >= 0) Delete(result);
  return result;
}

void* TList::Extract(void* Item) {
  Integer i = IndexOf(Item);
  if (i < 0) return nullptr;
  // Cleared first so that Delete notifies nothing; the extraction is notified on its own.
  items_[i] = nullptr;
  Delete(i);
  Notify(Item, lnExtracted);
  return Item;
}

void TList::Clear() {
  SetCount(0);
  SetCapacity(0);
}

Integer TList::IndexOf(void* Item) const {
  for (Integer i = 0; i < count_; ++i)
    if (items_[i] == Item) return i;
  return -1;
}

void TList::Exchange(Integer Index1, Integer Index2) {
  if (Index1 < 0 || Index1 >= count_) Error(SListIndexError, Index1);
  if (Index2 < 0 || Index2 >= count_) Error(SListIndexError, Index2);
  std::swap(items_[Index1], items_[Index2]);
}

void TList::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  if (NewIndex < 0 || NewIndex >= count_) Error(SListIndexError, NewIndex);
  void* item = Get(CurIndex);
  // Moved as a null so that neither the deletion nor the insertion is notified.
  items_[CurIndex] = nullptr;
  Delete(CurIndex);
  Insert(NewIndex, nullptr);
  items_[NewIndex] = item;
}

void* TList::First() const { return Get(0); }

void* TList::Last() const { return Get(count_ - 1); }

TList* TList::Expand() {
  if (count_ == Capacity()) Grow();
  return this;
}

void TList::Pack() {
  for (Integer i = count_ - 1; i >= 0; --i)
    if (!items_[i]) Delete(i);
}

namespace {
// Hoare partition around the middle element, recursing on the left part and looping on the
// right one. Kept as the class library sorts, so that lists with equal keys come out in
// the same order.
void quickSortPointers(void** list, Integer L, Integer R, const std::function<Integer(void*, void*)>& compare) {
  Integer i, j;
  do {
    i = L;
    j = R;
    void* pivot = list[(L + R) >> 1];
    do {
      while (compare(list[i], pivot) < 0) ++i;
      while (compare(list[j], pivot) > 0) --j;
      if (i <= j) {
        std::swap(list[i], list[j]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (L < j) quickSortPointers(list, L, j, compare);
    L = i;
  } while (i < R);
}
}  // namespace

void TList::Sort(const std::function<Integer(void*, void*)>& Compare) {
  if (count_ > 0) quickSortPointers(items_.data(), 0, count_ - 1, Compare);
}

void* TList::Get(Integer Index) const {
  if (Index < 0 || Index >= count_) Error(SListIndexError, Index);
  return items_[Index];
}

void TList::Put(Integer Index, void* Item) {
  if (Index < 0 || Index >= count_) Error(SListIndexError, Index);
  void* old = items_[Index];
  if (Item == old) return;
  items_[Index] = Item;
  if (old) Notify(old, lnDeleted);
  if (Item) Notify(Item, lnAdded);
}

void TList::SetCount(Integer NewCount) {
  if (NewCount < 0 || NewCount > MaxListSize) Error(SListCountError, NewCount);
  if (NewCount > Capacity()) SetCapacity(NewCount);
  if (NewCount > count_) {
    std::fill(items_.begin() + count_, items_.begin() + NewCount, nullptr);
  } else {
    for (Integer i = count_ - 1; i >= NewCount; --i) Delete(i);
  }
  count_ = NewCount;
}

void TList::SetCapacity(Integer NewCapacity) {
  if (NewCapacity < count_ || NewCapacity > MaxListSize) Error(SListCapacityError, NewCapacity);
  if (NewCapacity == Capacity()) return;
  items_.resize(static_cast<size_t>(NewCapacity), nullptr);
  if (NewCapacity == 0) items_.shrink_to_fit();
}

void TList::Grow() {
  Integer capacity = Capacity();
  Integer delta = capacity > 64 ? capacity / 4 : (capacity > 8 ? 16 : 4);
  SetCapacity(capacity + delta);
}

void TList::Notify(void*, TListNotification) {}

// =======================================================================================
// TObjectList

RTL_IMPLEMENT_CLASS(TObjectList)

TObjectList::~TObjectList() {
  // A heap list was cleared in BeforeDestruction; one of automatic storage or held by
  // value still frees what it owns here.
  Clear();
}

Integer TObjectList::FindInstanceOf(TClass AClass, bool AExact, Integer AStartAt) const {
  for (Integer i = std::max(AStartAt, 0); i < Count(); ++i) {
    TObject* obj = Items(i);
    if (!obj) continue;
    if (AExact ? obj->ClassType() == AClass : obj->InheritsFrom(AClass)) return i;
  }
  return -1;
}

void TObjectList::Notify(void* Ptr, TListNotification Action) {
  if (ownsObjects_ && Action == lnDeleted) static_cast<TObject*>(Ptr)->Free();
  TList::Notify(Ptr, Action);
}

// =======================================================================================
// TInterfaceList

RTL_IMPLEMENT_CLASS(TInterfaceList)

class TInterfaceList::Guard {
public:
  explicit Guard(const TInterfaceList& list) : list_(list) { list_.Lock(); }
  ~Guard() { list_.Unlock(); }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

private:
  const TInterfaceList& list_;
};

TInterfaceList::TInterfaceList() { InitializeCriticalSection(&lock_); }

TInterfaceList::~TInterfaceList() {
  Clear();
  DeleteCriticalSection(&lock_);
}

void TInterfaceList::Lock() const { EnterCriticalSection(&lock_); }

void TInterfaceList::Unlock() const { LeaveCriticalSection(&lock_); }

Integer TInterfaceList::Add(IInterface* Item) {
  Guard g(*this);
  Integer result = list_.Add(nullptr);
  Put(result, Item);
  return result;
}

void TInterfaceList::Insert(Integer Index, IInterface* Item) {
  Guard g(*this);
  list_.Insert(Index, nullptr);
  Put(Index, Item);
}

void TInterfaceList::Delete(Integer Index) {
  Guard g(*this);
  Put(Index, nullptr);
  list_.Delete(Index);
}

Integer TInterfaceList::Remove(IInterface* Item) {
  Guard g(*this);
  Integer result = list_.IndexOf(Item);
  if (result >= 0) Delete(result);
  return result;
}

void TInterfaceList::Clear() {
  Guard g(*this);
  for (Integer i = 0; i < list_.Count(); ++i) Put(i, nullptr);
  list_.Clear();
}

Integer TInterfaceList::IndexOf(IInterface* Item) const {
  Guard g(*this);
  return list_.IndexOf(Item);
}

void TInterfaceList::Exchange(Integer Index1, Integer Index2) {
  Guard g(*this);
  list_.Exchange(Index1, Index2);
}

TInterfaceList* TInterfaceList::Expand() {
  Guard g(*this);
  list_.Expand();
  return this;
}

IInterface* TInterfaceList::First() const { return Get(0); }

IInterface* TInterfaceList::Last() const {
  Guard g(*this);
  return Get(list_.Count() - 1);
}

IInterface* TInterfaceList::Get(Integer Index) const {
  Guard g(*this);
  return static_cast<IInterface*>(list_.Get(Index));
}

void TInterfaceList::Put(Integer Index, IInterface* Item) {
  Guard g(*this);
  IInterface* old = static_cast<IInterface*>(list_.Get(Index));
  // The new reference is taken before the old one is dropped, so that putting the same
  // interface back cannot free it on the way.
  if (Item) Item->_AddRef();
  list_.Put(Index, Item);
  if (old) old->_Release();
}

Integer TInterfaceList::Count() const {
  Guard g(*this);
  return list_.Count();
}

void TInterfaceList::SetCount(Integer NewCount) {
  Guard g(*this);
  for (Integer i = list_.Count() - 1; i >= NewCount && i >= 0; --i) Put(i, nullptr);
  list_.SetCount(NewCount);
}

Integer TInterfaceList::Capacity() const {
  Guard g(*this);
  return list_.Capacity();
}

void TInterfaceList::SetCapacity(Integer NewCapacity) {
  Guard g(*this);
  list_.SetCapacity(NewCapacity);
}

// =======================================================================================
// TBits

RTL_IMPLEMENT_CLASS(TBits)

void TBits::Error() { throw EBitsError(SBitsIndexError); }

Integer TBits::OpenBit() const {
  for (Integer i = 0; i < Size(); ++i)
    if (!bits_[i]) return i;
  return Size();
}

bool TBits::Bits(Integer Index) const {
  if (Index < 0 || Index >= Size()) Error();
  return bits_[Index];
}

void TBits::SetBits(Integer Index, bool Value) {
  if (Index < 0) Error();
  if (Index >= Size()) SetSize(Index + 1);
  bits_[Index] = Value;
}

void TBits::SetSize(Integer Value) {
  if (Value < 0) Error();
  bits_.resize(static_cast<size_t>(Value), false);
}

// =======================================================================================
// TStrings

RTL_IMPLEMENT_CLASS(TStrings)

namespace {
// Runs body inside BeginUpdate / EndUpdate; the update ends whether or not body raises.
template <class F> void updating(TStrings& list, F body) {
  UpdateLock lock(&list);
  body();
}
}  // namespace

TObject* TStrings::GetObject(Integer) const { return nullptr; }

void TStrings::Put(Integer Index, const std::string& S) {
  TObject* obj = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, obj);
}

void TStrings::PutObject(Integer, TObject*) {}

Integer TStrings::GetCapacity() const { return GetCount(); }

void TStrings::SetCapacity(Integer) {}

void TStrings::InsertObject(Integer Index, const std::string& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

Integer TStrings::Add(const std::string& S) {
  Integer result = GetCount();
  Insert(result, S);
  return result;
}

Integer TStrings::AddObject(const std::string& S, TObject* AObject) {
  Integer result = Add(S);
  PutObject(result, AObject);
  return result;
}

void TStrings::AddStrings(TStrings* Strings) {
  updating(*this, [&] {
    for (Integer i = 0; i < Strings->Count(); ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
  });
}

void TStrings::Exchange(Integer Index1, Integer Index2) {
  updating(*this, [&] {
    TObject* tempObject = GetObject(Index1);
    std::string tempString = Get(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, tempString);
    PutObject(Index2, tempObject);
  });
}

void TStrings::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  updating(*this, [&] {
    std::string tempString = Get(CurIndex);
    TObject* tempObject = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, tempString, tempObject);
  });
}

Integer TStrings::IndexOf(const std::string& S) const {
  for (Integer i = 0; i < GetCount(); ++i)
    if (CompareStrings(Get(i), S) == 0) return i;
  return -1;
}

Integer TStrings::IndexOfName(const std::string& Name) const {
  for (Integer i = 0; i < GetCount(); ++i) {
    std::string s = Get(i);
    auto sep = s.find(nameValueSeparator_);
    if (sep != std::string::npos && CompareStrings(s.substr(0, sep), Name) == 0) return i;
  }
  return -1;
}

Integer TStrings::IndexOfObject(TObject* AObject) const {
  for (Integer i = 0; i < GetCount(); ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

std::string TStrings::GetTextStr() const {
  std::string result;
  Integer count = GetCount();
  std::vector<std::string> lines;
  lines.reserve(static_cast<size_t>(count));
  size_t size = 0;
  for (Integer i = 0; i < count; ++i) {
    lines.push_back(Get(i));
    size += lines.back().size() + 2;
  }
  result.reserve(size);
  for (const std::string& line : lines) {
    result += line;
    result += "\r\n";
  }
  return result;
}

void TStrings::SetTextStr(const std::string& Value) {
  updating(*this, [&] {
    Clear();
    const char* p = Value.c_str();  // the text ends at the first null, as a C string does
    while (*p) {
      const char* start = p;
      while (*p && *p != '\n' && *p != '\r') ++p;
      Add(std::string(start, p));
      if (*p == '\r') ++p;
      if (*p == '\n') ++p;
    }
  });
}

void TStrings::LoadFromStream(TStream* Stream) {
  updating(*this, [&] {
    Int64 size = Stream->Size() - Stream->Position();
    std::string text(static_cast<size_t>(std::max<Int64>(size, 0)), '\0');
    Integer got = text.empty() ? 0 : Stream->Read(text.data(), static_cast<Integer>(text.size()));
    text.resize(static_cast<size_t>(got));
    SetTextStr(text);
  });
}

void TStrings::SaveToStream(TStream* Stream) {
  std::string text = GetTextStr();
  Stream->WriteBuffer(text.data(), static_cast<Integer>(text.size()));
}

void TStrings::LoadFromFile(const std::string& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TStrings::SaveToFile(const std::string& FileName) {
  SaveFileWhole(FileName, [this](TStream* stream) { SaveToStream(stream); });
}

std::string TStrings::Names(Integer Index) const { return ExtractName(Get(Index)); }

std::string TStrings::Values(const std::string& Name) const {
  Integer i = IndexOfName(Name);
  if (i < 0) return std::string();
  std::string s = Get(i);
  return s.substr(std::min(Name.size() + 1, s.size()));
}

void TStrings::SetValues(const std::string& Name, const std::string& Value) {
  Integer i = IndexOfName(Name);
  if (!Value.empty()) {
    if (i < 0) i = Add(std::string());
    Put(i, Name + nameValueSeparator_ + Value);
  } else if (i >= 0) {
    Delete(i);
  }
}

std::string TStrings::ValueFromIndex(Integer Index) const {
  if (Index < 0) return std::string();
  std::string s = Get(Index);
  return s.substr(std::min(ExtractName(s).size() + 1, s.size()));
}

void TStrings::SetValueFromIndex(Integer Index, const std::string& Value) {
  if (!Value.empty()) {
    if (Index < 0) Index = Add(std::string());
    Put(Index, Names(Index) + nameValueSeparator_ + Value);
  } else if (Index >= 0) {
    Delete(Index);
  }
}

std::string TStrings::DelimitedText() const { return delimitedText(delimiter_, quoteChar_); }

std::string TStrings::delimitedText(char delimiter, char quote) const {
  Integer count = GetCount();
  if (count == 1 && Get(0).empty()) return std::string(2, quote);
  std::string result;
  for (Integer i = 0; i < count; ++i) {
    std::string s = Get(i);
    // Scanned as a C string: a null character ends the scan.
    const char* p = s.c_str();
    while (*p && !isBlank(*p) && *p != quote && *p != delimiter) ++p;
    if (*p) s = AnsiQuotedStr(s, quote);
    if (i > 0) result += delimiter;
    result += s;
  }
  return result;
}

void TStrings::SetDelimitedText(const std::string& Value) {
  auto skipBlanks = [](const char*& p) {
    while (*p && isBlank(*p)) ++p;
  };
  updating(*this, [&] {
    Clear();
    const char* p = Value.c_str();
    skipBlanks(p);
    while (*p) {
      std::string s;
      if (*p == quoteChar_) {
        s = AnsiExtractQuotedStr(p, quoteChar_);
      } else {
        const char* start = p;
        while (*p && !isBlank(*p) && *p != delimiter_) ++p;
        s.assign(start, p);
      }
      Add(s);
      skipBlanks(p);
      if (*p == delimiter_) {
        // A delimiter that ends the text stands for one more, empty, item.
        if (p[1] == '\0') Add(std::string());
        do {
          ++p;
        } while (*p && isBlank(*p));
      }
    }
  });
}

std::string TStrings::CommaText() const { return delimitedText(',', '"'); }

void TStrings::SetCommaText(const std::string& Value) {
  delimiter_ = ',';
  quoteChar_ = '"';
  SetDelimitedText(Value);
}

bool TStrings::Equals(TStrings* Strings) const {
  Integer count = GetCount();
  if (count != Strings->GetCount()) return false;
  for (Integer i = 0; i < count; ++i)
    if (Get(i) != Strings->Get(i)) return false;
  return true;
}

void TStrings::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TStrings*>(Source)) {
    updating(*this, [&] {
      Clear();
      nameValueSeparator_ = source->nameValueSeparator_;
      quoteChar_ = source->quoteChar_;
      delimiter_ = source->delimiter_;
      AddStrings(source);
    });
    return;
  }
  TPersistent::Assign(Source);
}

void TStrings::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TStrings::EndUpdate() {
  --updateCount_;
  if (updateCount_ == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

Integer TStrings::CompareStrings(const std::string& S1, const std::string& S2) const {
  return AnsiCompareText(S1, S2);
}

void TStrings::Error(const std::string& Msg, Integer Data) const {
  throw EStringListError(withNumber(Msg, Data));
}

std::string TStrings::ExtractName(const std::string& S) const {
  auto sep = S.find(nameValueSeparator_);
  return sep == std::string::npos ? std::string() : S.substr(0, sep);
}

// =======================================================================================
// TStringList

RTL_IMPLEMENT_CLASS(TStringList)

TStringList::~TStringList() {
  // No change events while the list goes away.
  onChange_ = nullptr;
  onChanging_ = nullptr;
}

void TStringList::checkIndex(Integer Index) const {
  if (Index < 0 || Index >= count_) Error(SListIndexError, Index);
}

std::string TStringList::Get(Integer Index) const {
  checkIndex(Index);
  return items_[Index].String;
}

TObject* TStringList::GetObject(Integer Index) const {
  checkIndex(Index);
  return items_[Index].Object;
}

void TStringList::Put(Integer Index, const std::string& S) {
  if (sorted_) Error(SSortedListError, 0);
  checkIndex(Index);
  Changing();
  items_[Index].String = S;
  Changed();
}

void TStringList::PutObject(Integer Index, TObject* AObject) {
  checkIndex(Index);
  Changing();
  items_[Index].Object = AObject;
  Changed();
}

void TStringList::SetCapacity(Integer NewCapacity) {
  if (NewCapacity < count_ || NewCapacity > MaxListSize) Error(SListCapacityError, NewCapacity);
  items_.resize(static_cast<size_t>(NewCapacity));
  if (NewCapacity == 0) items_.shrink_to_fit();
}

Integer TStringList::Add(const std::string& S) { return AddObject(S, nullptr); }

Integer TStringList::AddObject(const std::string& S, TObject* AObject) {
  Integer result = count_;
  if (sorted_ && Find(S, result)) {
    if (duplicates_ == dupIgnore) return result;
    if (duplicates_ == dupError) Error(SDuplicateString, 0);
  }
  InsertItem(result, S, AObject);
  return result;
}

void TStringList::Insert(Integer Index, const std::string& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(Integer Index, const std::string& S, TObject* AObject) {
  if (sorted_) Error(SSortedListError, 0);
  if (Index < 0 || Index > count_) Error(SListIndexError, Index);
  InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(Integer Index, const std::string& S, TObject* AObject) {
  Changing();
  if (count_ == GetCapacity()) grow();
  std::move_backward(items_.begin() + Index, items_.begin() + count_, items_.begin() + count_ + 1);
  items_[Index].String = S;
  items_[Index].Object = AObject;
  ++count_;
  Changed();
}

void TStringList::Delete(Integer Index) {
  checkIndex(Index);
  Changing();
  --count_;
  std::move(items_.begin() + Index + 1, items_.begin() + count_ + 1, items_.begin() + Index);
  items_[count_] = Item();
  Changed();
}

void TStringList::Clear() {
  if (count_ == 0) return;
  Changing();
  count_ = 0;
  items_.clear();
  items_.shrink_to_fit();
  Changed();
}

void TStringList::Exchange(Integer Index1, Integer Index2) {
  checkIndex(Index1);
  checkIndex(Index2);
  Changing();
  exchangeItems(Index1, Index2);
  Changed();
}

void TStringList::exchangeItems(Integer Index1, Integer Index2) { std::swap(items_[Index1], items_[Index2]); }

Integer TStringList::IndexOf(const std::string& S) const {
  if (!sorted_) return TStrings::IndexOf(S);
  Integer result;
  if (!Find(S, result)) result = -1;
  return result;
}

bool TStringList::Find(const std::string& S, Integer& Index) const {
  bool result = false;
  Integer L = 0, H = count_ - 1;
  while (L <= H) {
    Integer I = (L + H) >> 1;
    Integer C = CompareStrings(items_[I].String, S);
    if (C < 0) {
      L = I + 1;
    } else {
      H = I - 1;
      if (C == 0) {
        result = true;
        if (duplicates_ != dupAccept) L = I;
      }
    }
  }
  Index = L;
  return result;
}

void TStringList::Sort() {
  CustomSort([](TStringList* list, Integer i1, Integer i2) {
    return list->CompareStrings(list->items_[i1].String, list->items_[i2].String);
  });
}

void TStringList::CustomSort(const std::function<Integer(TStringList*, Integer, Integer)>& Compare) {
  if (sorted_ || count_ <= 1) return;
  Changing();
  quickSort(0, count_ - 1, Compare);
  Changed();
}

// Hoare partition around the middle line, followed by index as lines are exchanged
// (the compare function works on indexes).
void TStringList::quickSort(Integer L, Integer R,
                            const std::function<Integer(TStringList*, Integer, Integer)>& Compare) {
  Integer I, J;
  do {
    I = L;
    J = R;
    Integer P = (L + R) >> 1;
    do {
      while (Compare(this, I, P) < 0) ++I;
      while (Compare(this, J, P) > 0) --J;
      if (I <= J) {
        exchangeItems(I, J);
        if (P == I) P = J;
        else if (P == J) P = I;
        ++I;
        --J;
      }
    } while (I <= J);
    if (L < J) quickSort(L, J, Compare);
    L = I;
  } while (I < R);
}

void TStringList::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  if (Value) Sort();
  sorted_ = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (caseSensitive_ == Value) return;
  caseSensitive_ = Value;
  if (sorted_) {
    // The binary search needs the lines in the new order.
    sorted_ = false;
    Sort();
    sorted_ = true;
  }
}

void TStringList::grow() {
  Integer capacity = GetCapacity();
  Integer delta = capacity > 64 ? capacity / 4 : (capacity > 8 ? 16 : 4);
  SetCapacity(capacity + delta);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && onChange_) onChange_(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && onChanging_) onChanging_(this);
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating) Changing();
  else Changed();
}

Integer TStringList::CompareStrings(const std::string& S1, const std::string& S2) const {
  return caseSensitive_ ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

// =======================================================================================
// TStream

RTL_IMPLEMENT_CLASS(TStream)

void TStream::ReadBuffer(void* Buffer, Integer Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError(SReadError);
}

void TStream::WriteBuffer(const void* Buffer, Integer Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError(SWriteError);
}

Int64 TStream::CopyFrom(TStream* Source, Int64 Count) {
  constexpr Int64 MaxBufSize = 0xF000;
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  Int64 result = Count;
  std::vector<char> buffer(static_cast<size_t>(std::min(Count, MaxBufSize)));
  while (Count != 0) {
    Integer n = static_cast<Integer>(std::min<Int64>(Count, static_cast<Int64>(buffer.size())));
    Source->ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    Count -= n;
  }
  return result;
}

Int64 TStream::Size() {
  Int64 pos = Seek(0, soCurrent);
  Int64 result = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return result;
}

void TStream::SetSize(Int64) {}

// =======================================================================================
// THandleStream and TFileStream

RTL_IMPLEMENT_CLASS(THandleStream)

Integer THandleStream::Read(void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  Integer result = FileRead(handle_, Buffer, static_cast<Cardinal>(Count));
  return result < 0 ? 0 : result;
}

Integer THandleStream::Write(const void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  Integer result = FileWrite(handle_, Buffer, static_cast<Cardinal>(Count));
  return result < 0 ? 0 : result;
}

Int64 THandleStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  return FileSeek(handle_, Offset, static_cast<Integer>(Origin));
}

void THandleStream::SetSize(Int64 NewSize) {
  Seek(NewSize, soBeginning);
  if (!SetEndOfFile(ToWin32Handle(handle_))) RaiseLastOSError();
}

RTL_IMPLEMENT_CLASS(TFileStream)

namespace {
THandle openOrCreate(const std::string& fileName, Cardinal mode) {
  if (mode == fmCreate) {
    THandle h = FileCreate(fileName);
    if (h == InvalidHandle)
      throw EFCreateError(Format(SFCreateErrorEx, ExpandFileName(fileName), SysErrorMessage(GetLastError())));
    return h;
  }
  THandle h = FileOpen(fileName, mode);
  if (h == InvalidHandle)
    throw EFOpenError(Format(SFOpenErrorEx, ExpandFileName(fileName), SysErrorMessage(GetLastError())));
  return h;
}
}  // namespace

TFileStream::TFileStream(const std::string& FileName, Cardinal Mode)
    : THandleStream(openOrCreate(FileName, Mode)), fileName_(FileName) {}

TFileStream::TFileStream(const std::string& FileName, Cardinal Mode, Cardinal)
    : TFileStream(FileName, Mode) {}

TFileStream::~TFileStream() {
  if (handle_ != InvalidHandle) FileClose(handle_);
}

namespace {
[[noreturn]] void raiseCreateError(const std::string& fileName, DWORD error) {
  throw EFCreateError(Format(SFCreateErrorEx, ExpandFileName(fileName), SysErrorMessage(error)));
}
}  // namespace

void SaveFileWhole(const std::string& FileName, const std::function<void(TStream*)>& Write) {
  std::string target = ExpandFileName(FileName);
  DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    raiseCreateError(target, ERROR_ACCESS_DENIED);
  std::string folder = ExtractFilePath(target);
  char temp[MAX_PATH + 1] = {};
  if (!GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "~sv", 0, temp)) raiseCreateError(target, GetLastError());
  // The temporary file goes on every path but the successful rename.
  ScopeExit removeTemp([&temp] { DeleteFileA(temp); });
  {
    TFileStream stream(temp, fmOpenWrite | fmShareExclusive);
    try {
      Write(&stream);
    } catch (const EWriteError&) {
      // A short write (a full disk): say which file could not be saved and why.
      raiseCreateError(target, GetLastError());
    }
    if (!FlushFileBuffers(ToWin32Handle(stream.Handle()))) raiseCreateError(target, GetLastError());
  }
  if (!MoveFileExA(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    raiseCreateError(target, GetLastError());
  removeTemp.Dismiss();
}

// =======================================================================================
// Memory streams

RTL_IMPLEMENT_CLASS(TCustomMemoryStream)

Integer TCustomMemoryStream::Read(void* Buffer, Integer Count) {
  if (position_ >= 0 && Count >= 0) {
    Int64 available = size_ - position_;
    if (available > 0) {
      Integer n = static_cast<Integer>(std::min<Int64>(available, Count));
      std::memcpy(Buffer, memory_ + position_, static_cast<size_t>(n));
      position_ += n;
      return n;
    }
  }
  return 0;
}

Int64 TCustomMemoryStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  switch (Origin) {
    case soBeginning: position_ = Offset; break;
    case soCurrent: position_ += Offset; break;
    case soEnd: position_ = size_ + Offset; break;
  }
  return position_;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) {
  if (size_ != 0) Stream->WriteBuffer(memory_, static_cast<Integer>(size_));
}

void TCustomMemoryStream::SaveToFile(const std::string& FileName) {
  SaveFileWhole(FileName, [this](TStream* stream) { SaveToStream(stream); });
}

void TCustomMemoryStream::SetPointer(void* Ptr, Int64 Size) {
  memory_ = static_cast<char*>(Ptr);
  size_ = Size;
}

RTL_IMPLEMENT_CLASS(TMemoryStream)

TMemoryStream::~TMemoryStream() { Clear(); }

void TMemoryStream::Clear() {
  SetCapacity(0);
  SetPointer(nullptr, 0);
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  Int64 count = Stream->Size();
  SetSize(count);
  if (count != 0) Stream->ReadBuffer(Memory(), static_cast<Integer>(count));
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TMemoryStream::SetCapacity(Int64 NewCapacity) {
  void* block = Realloc(NewCapacity);
  SetPointer(block, std::min(Size(), NewCapacity));
  capacity_ = NewCapacity;
}

void TMemoryStream::SetSize(Int64 NewSize) {
  Int64 oldPosition = position_;
  Int64 oldSize = Size();
  SetCapacity(NewSize);
  if (NewSize > oldSize) std::memset(static_cast<char*>(Memory()) + oldSize, 0, static_cast<size_t>(NewSize - oldSize));
  SetPointer(Memory(), NewSize);
  if (oldPosition > NewSize) Seek(0, soEnd);
}

void* TMemoryStream::Realloc(Int64& NewCapacity) {
  constexpr Int64 MemoryDelta = 0x2000;
  if (NewCapacity > 0 && NewCapacity != Size()) NewCapacity = (NewCapacity + (MemoryDelta - 1)) & ~(MemoryDelta - 1);
  void* result = Memory();
  if (NewCapacity != capacity_) {
    if (NewCapacity == 0) {
      std::free(result);
      result = nullptr;
    } else {
      result = std::realloc(result, static_cast<size_t>(NewCapacity));
      if (!result) throw EStreamError(SMemoryStreamError);
    }
  }
  return result;
}

Integer TMemoryStream::Write(const void* Buffer, Integer Count) {
  if (position_ < 0 || Count < 0) return 0;
  Int64 pos = position_ + Count;
  if (pos <= 0) return 0;
  Int64 size = Size();
  if (pos > size) {
    if (pos > capacity_) SetCapacity(pos);
    // A write past the end leaves no stale bytes in the gap.
    if (position_ > size) std::memset(static_cast<char*>(Memory()) + size, 0, static_cast<size_t>(position_ - size));
    SetPointer(Memory(), pos);
  }
  std::memcpy(static_cast<char*>(Memory()) + position_, Buffer, static_cast<size_t>(Count));
  position_ = pos;
  return Count;
}

// =======================================================================================
// TStringStream

RTL_IMPLEMENT_CLASS(TStringStream)

Integer TStringStream::Read(void* Buffer, Integer Count) {
  Int64 n = std::min<Int64>(static_cast<Int64>(dataString_.size()) - position_, Count);
  if (n <= 0) return 0;
  std::memcpy(Buffer, dataString_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return static_cast<Integer>(n);
}

std::string TStringStream::ReadString(Integer Count) {
  Int64 n = std::min<Int64>(static_cast<Int64>(dataString_.size()) - position_, Count);
  if (n <= 0) return std::string();
  std::string result = dataString_.substr(static_cast<size_t>(position_), static_cast<size_t>(n));
  position_ += n;
  return result;
}

Integer TStringStream::Write(const void* Buffer, Integer Count) {
  if (Count < 0) return 0;
  dataString_.resize(static_cast<size_t>(position_ + Count));
  if (Count > 0) std::memcpy(dataString_.data() + position_, Buffer, static_cast<size_t>(Count));
  position_ += Count;
  return Count;
}

void TStringStream::WriteString(const std::string& AString) {
  Write(AString.data(), static_cast<Integer>(AString.size()));
}

Int64 TStringStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  Int64 length = static_cast<Int64>(dataString_.size());
  switch (Origin) {
    case soBeginning: position_ = Offset; break;
    case soCurrent: position_ += Offset; break;
    case soEnd: position_ = length + Offset; break;
  }
  position_ = std::clamp<Int64>(position_, 0, length);
  return position_;
}

void TStringStream::SetSize(Int64 NewSize) {
  dataString_.resize(static_cast<size_t>(std::max<Int64>(NewSize, 0)));
  if (position_ > NewSize) position_ = static_cast<Int64>(dataString_.size());
}

// =======================================================================================
// TResourceStream

RTL_IMPLEMENT_CLASS(TResourceStream)

TResourceStream::TResourceStream(HINSTANCE Instance, const std::string& ResName, const char* ResType) {
  initialize(Instance, ResName.c_str(), ResType, ResName);
}

TResourceStream::TResourceStream(HINSTANCE Instance, Integer ResID, const char* ResType) {
  initialize(Instance, MAKEINTRESOURCEA(ResID), ResType, std::to_string(ResID));
}

void TResourceStream::initialize(HINSTANCE Instance, const char* Name, const char* ResType,
                                 const std::string& displayName) {
  HRSRC info = FindResourceA(Instance, Name, ResType);
  HGLOBAL data = info ? LoadResource(Instance, info) : nullptr;
  if (!data) throw EResNotFound(Format(SResNotFound, displayName));
  // Resources stay mapped as long as their module: there is nothing to unlock or free.
  SetPointer(LockResource(data), SizeofResource(Instance, info));
}

Integer TResourceStream::Write(const void*, Integer) { throw EStreamError(SCantWriteResourceStreamError); }

// =======================================================================================
// TComponent

RTL_BEGIN_CLASS(TComponent)
  b.Property("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
  b.Property("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
RTL_END_CLASS

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  // Only a component that was not destroyed through a delete-expression (one of automatic
  // storage) arrives here without having said goodbye; it still must not leave dangling
  // references behind, even though receivers now see it as a bare component.
  departing();
  DestroyComponents();
}

void TComponent::BeforeDestruction() {
  TPersistent::BeforeDestruction();
  departing();
}

void TComponent::departing() {
  if (FDeparted) return;
  FDeparted = true;
  Destroying();
  // Tell everyone who asked; a receiver may remove further entries while we walk.
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    other->RemoveNotification(this);
    other->Notification(this, opRemove);
  }
  if (FOwner) FOwner->RemoveComponent(this);
}

HRESULT STDMETHODCALLTYPE TComponent::QueryInterface(const ::IID& riid, void** obj) {
  if (!obj) return E_POINTER;
  if (IsEqualGUIDs(riid, IID_IUnknown)) {
    *obj = static_cast<IInterface*>(this);
    return S_OK;
  }
  return GetInterface(riid, obj) ? S_OK : E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE TComponent::_AddRef() { return static_cast<ULONG>(-1); }
ULONG STDMETHODCALLTYPE TComponent::_Release() { return static_cast<ULONG>(-1); }

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount())
    throw EListError(withNumber(SListIndexError, index));
  return FComponents[index];
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  const auto& list = FOwner->FComponents;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TComponent::SetComponentIndex(int value) {
  if (!FOwner) return;
  int cur = ComponentIndex();
  if (cur < 0) return;
  auto& list = FOwner->FComponents;
  if (value < 0) value = 0;
  if (value >= static_cast<int>(list.size())) value = static_cast<int>(list.size()) - 1;
  if (value == cur) return;
  list.erase(list.begin() + cur);
  list.insert(list.begin() + value, this);
}

// Points the owner's published field named like the component at it (or clears it).
void TComponent::SetReference(bool enable) {
  if (!FOwner || FName.empty()) return;
  if (const auto* field = FOwner->ClassType()->FindField(FName)) field->Set(FOwner, enable ? this : nullptr);
}

void TComponent::InsertComponent(TComponent* AComponent) {
  AComponent->ValidateContainer(this);
  ValidateRename(AComponent, "", AComponent->FName);
  // A named component joining an owner that already has one of that name would make the
  // name ambiguous (FindComponent, form fields, references): refuse it.
  if (!AComponent->FName.empty() && FindComponent(AComponent->FName))
    throw EComponentError(Format("A component named %s already exists", AComponent->FName));
  Insert(AComponent);
  AComponent->SetReference(true);
  if (FComponentState.Contains(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  ValidateRename(AComponent, AComponent->FName, "");
  Notification(AComponent, opRemove);
  AComponent->SetReference(false);
  Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
  auto it = std::find(FComponents.begin(), FComponents.end(), AComponent);
  if (it != FComponents.end()) FComponents.erase(it);
  AComponent->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
  // Last first; each is unlinked before it is destroyed, so it does not call back.
  while (!FComponents.empty()) {
    TComponent* instance = FComponents.back();
    Remove(instance);
    instance->Free();
  }
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* c : FComponents) c->Destroying();
}

TComponent* TComponent::FindComponent(const std::string& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, AName)) return c;
  return nullptr;
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  if (!FOwner || AComponent->FOwner != FOwner) {
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
      FFreeNotifies.push_back(AComponent);
      AComponent->FreeNotification(this);
    }
  }
  FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent), FFreeNotifies.end());
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // Owned components hear it too; one may free others while we walk, so re-check bounds.
  int i = ComponentCount() - 1;
  while (i >= 0) {
    FComponents[i]->Notification(AComponent, Operation);
    --i;
    if (i >= ComponentCount()) i = ComponentCount() - 1;
  }
}

void TComponent::SetName(const std::string& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError(Format("'%s' is not a valid component name", NewName));
  if (FOwner)
    FOwner->ValidateRename(this, FName, NewName);
  else
    ValidateRename(nullptr, FName, NewName);
  SetReference(false);
  ChangeName(NewName);
  SetReference(true);
}

void TComponent::ValidateRename(TComponent* AComponent, const std::string& CurName, const std::string& NewName) {
  if (AComponent && !SameText(CurName, NewName) && AComponent->FOwner == this && FindComponent(NewName))
    throw EComponentError(Format("A component named %s already exists", NewName));
}

void TComponent::ValidateContainer(TComponent* AComponent) { AComponent->ValidateInsert(this); }

void TComponent::SetSubComponent(bool value) {
  if (value) FComponentStyle.Include(csSubComponent);
  else FComponentStyle.Exclude(csSubComponent);
}

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }

void TComponent::Updating() { FComponentState.Include(csUpdating); }
void TComponent::Updated() { FComponentState.Exclude(csUpdating); }

std::string TComponent::GetNamePath() { return FName; }

void TComponent::SetDesigning(bool value, bool setChildren) {
  if (value) FComponentState.Include(csDesigning);
  else FComponentState.Exclude(csDesigning);
  if (setChildren)
    for (TComponent* c : FComponents) c->SetDesigning(value);
}

static void setFlag(TComponentState& s, TComponentStateItem f, bool on) {
  if (on) s.Include(f);
  else s.Exclude(f);
}
void TComponent::SetInline(bool value) { setFlag(FComponentState, csInline, value); }
void TComponent::SetAncestor(bool value) {
  setFlag(FComponentState, csAncestor, value);
  for (TComponent* c : FComponents) c->SetAncestor(value);
}
void TComponent::SetLoading(bool value) { setFlag(FComponentState, csLoading, value); }
void TComponent::SetReading(bool value) { setFlag(FComponentState, csReading, value); }
void TComponent::SetWriting(bool value) { setFlag(FComponentState, csWriting, value); }
void TComponent::SetFixups(bool value) { setFlag(FComponentState, csFixups, value); }

TComponent* CreateComponent(TComponentClass c, TComponent* AOwner) {
  if (!c || !c->InheritsFrom(TComponent::StaticClass()))
    throw EInvalidCast(Format("%s is not a component class", c ? c->ClassName() : std::string("nil")));
  return static_cast<TComponent*>(c->CreateInstance(AOwner));
}

// =======================================================================================
// Collections

RTL_IMPLEMENT_CLASS(TCollectionItem)
RTL_IMPLEMENT_CLASS(TCollection)
RTL_IMPLEMENT_CLASS(TOwnedCollection)

TCollectionItem::TCollectionItem(TCollection* Collection) {
  // Built directly with its collection (not through TCollection::Add): join it now. The
  // derived parts are not built yet, so the class check is the collection's Add's job.
  if (Collection) Collection->InsertItem(this, /*checkClass=*/false);
}

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* Value) {
  if (FCollection == Value) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (Value) Value->InsertItem(this, true);
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  const auto& items = FCollection->FItems;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int Value) {
  int cur = Index();
  if (cur < 0 || cur == Value) return;
  auto& items = FCollection->FItems;
  if (Value < 0 || Value >= static_cast<int>(items.size()))
    throw EListError(withNumber(SListIndexError, Value));
  items.erase(items.begin() + cur);
  items.insert(items.begin() + Value, this);
  Changed(true);
}

std::string TCollectionItem::DisplayName() const { return ClassName(); }

void TCollectionItem::SetDisplayName(const std::string&) { Changed(false); }

TPersistent* TCollectionItem::GetOwner() { return FCollection; }

std::string TCollectionItem::GetNamePath() {
  if (FCollection) return Format("%s[%d]", FCollection->GetNamePath(), Index());
  return ClassName();
}

void TCollectionItem::Changed(bool AllItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

TCollection::TCollection(TCollectionItemClass ItemClass) : FItemClass(ItemClass) {}

TCollection::~TCollection() {
  FUpdateCount = 1;  // no Update calls while the items go
  Clear();
}

TCollectionItem* TCollection::Add() {
  if (!FItemClass) throw EListError("Collection has no item class");
  auto* item = static_cast<TCollectionItem*>(FItemClass->CreateInstance(nullptr));
  try {
    InsertItem(item, true);
  } catch (...) {
    item->Free();
    throw;
  }
  Added(item);
  return item;
}

TCollectionItem* TCollection::Insert(int Index) {
  TCollectionItem* item = Add();
  item->SetIndex(Index);
  return item;
}

void TCollection::Delete(int Index) {
  TCollectionItem* item = Items(Index);
  Notify(item, cnDeleting);
  item->Free();
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  UpdateLock lock(this);
  while (!FItems.empty()) FItems.back()->Free();
}

TCollectionItem* TCollection::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(withNumber(SListIndexError, Index));
  return FItems[Index];
}

void TCollection::SetItem(int Index, TCollectionItem* Value) { Items(Index)->Assign(Value); }

TCollectionItem* TCollection::FindItemID(int ID) const {
  for (TCollectionItem* item : FItems)
    if (item->FID == ID) return item;
  return nullptr;
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
  --FUpdateCount;
  Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item, bool checkClass) {
  if (checkClass && FItemClass && !Item->InheritsFrom(FItemClass)) throw EListError("Invalid property value");
  FItems.push_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
  SetItemName(Item);
  Notify(Item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  Notify(Item, cnExtracting);
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it != FItems.end()) FItems.erase(it);
  Item->FCollection = nullptr;
  Changed();
}

void TCollection::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TCollection*>(Source)) {
    if (src == this) return;  // clearing first would lose the very items to copy
    UpdateLock lock(this);
    Clear();
    for (int i = 0; i < src->Count(); ++i) Add()->Assign(src->Items(i));
    return;
  }
  TPersistent::Assign(Source);
}

std::string TCollection::PropName() {
  if (!FPropName.empty()) return FPropName;
  TPersistent* owner = GetOwner();
  if (!owner) return "";
  for (PPropInfo p : GetPropList(owner))
    if (p->PropType->Kind == tkClass && GetObjectProp(owner, p) == this) return FPropName = p->Name;
  return "";
}

std::string TCollection::GetNamePath() {
  TPersistent* owner = GetOwner();
  if (!owner) return ClassName();
  std::string s = owner->GetNamePath();
  if (s.empty()) return ClassName();
  std::string p = PropName();
  if (p.empty()) return ClassName();
  return s + "." + p;
}
