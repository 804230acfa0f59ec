#include "lib/JvAppStorage.h"

#include <cstring>

#include "lib/JvUtils.h"
#include "lib/jcl/JclFileUtils.h"
#include "lib/jcl/JclSysInfo.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Scoped.h"

RTL_IMPLEMENT_CLASS(EJvAppStorageError)

// =======================================================================================
// Paths

std::string JvJoinStoragePaths(const std::vector<std::string>& Paths) {
  if (Paths.empty()) return std::string();
  size_t start = 0;
  for (size_t i = Paths.size(); i-- > 0;) {
    if (!Paths[i].empty() && Paths[i][0] == '\\') {
      start = i;
      break;
    }
  }
  std::vector<std::string> parts;
  for (size_t i = start; i < Paths.size(); ++i) {
    const std::string& element = Paths[i];
    size_t pos = 0;
    while (pos <= element.size()) {
      size_t sep = element.find('\\', pos);
      if (sep == std::string::npos) sep = element.size();
      std::string part = element.substr(pos, sep - pos);
      pos = sep + 1;
      if (part.empty()) continue;
      if (part.find_first_not_of('.') == std::string::npos) {
        // "." stays here, ".." climbs one level, "..." two ...
        size_t climb = std::min(part.size() - 1, parts.size());
        parts.resize(parts.size() - climb);
      } else {
        parts.push_back(part);
      }
    }
  }
  std::string result;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) result += '\\';
    result += parts[i];
  }
  return Trim(result).empty() ? std::string() : result;
}

// =======================================================================================
// Options

RTL_IMPLEMENT_CLASS(TJvCustomAppStorageOptions)

RTL_BEGIN_CLASS(TJvAppStorageOptions)
using O = TJvCustomAppStorageOptions;
b.Property("BooleanStringTrueValues", &O::BooleanStringTrueValues, &O::SetBooleanStringTrueValues);
b.Property("BooleanStringFalseValues", &O::BooleanStringFalseValues, &O::SetBooleanStringFalseValues);
b.Property("BooleanAsString", &O::BooleanAsString, &O::SetBooleanAsString).Default(true);
b.Property("EnumerationAsString", &O::EnumerationAsString, &O::SetEnumerationAsString).Default(true);
b.Property("TypedIntegerAsString", &O::TypedIntegerAsString, &O::SetTypedIntegerAsString).Default(true);
b.Property("SetAsString", &O::SetAsString, &O::SetSetAsString).Default(false);
b.Property("DateTimeAsString", &O::DateTimeAsString, &O::SetDateTimeAsString).Default(true);
b.Property("FloatAsString", &O::FloatAsString, &O::SetFloatAsString).Default(false);
b.Property("DefaultIfReadConvertError", &O::DefaultIfReadConvertError, &O::SetDefaultIfReadConvertError)
    .Default(false);
b.Property("DefaultIfValueNotExists", &O::DefaultIfValueNotExists, &O::SetDefaultIfValueNotExists).Default(true);
RTL_END_CLASS

void TJvCustomAppStorageOptions::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TJvCustomAppStorageOptions*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  trueValues_ = src->trueValues_;
  falseValues_ = src->falseValues_;
  SetBooleanAsString(src->booleanAsString_);
  enumerationAsString_ = src->enumerationAsString_;
  typedIntegerAsString_ = src->typedIntegerAsString_;
  setAsString_ = src->setAsString_;
  dateTimeAsString_ = src->dateTimeAsString_;
  floatAsString_ = src->floatAsString_;
  defaultIfReadConvertError_ = src->defaultIfReadConvertError_;
  defaultIfValueNotExists_ = src->defaultIfValueNotExists_;
}

void TJvCustomAppStorageOptions::SetBooleanStringTrueValues(const std::string& Value) {
  trueValues_ = Value;
  SetBooleanAsString(booleanAsString_);
}

void TJvCustomAppStorageOptions::SetBooleanStringFalseValues(const std::string& Value) {
  falseValues_ = Value;
  SetBooleanAsString(booleanAsString_);
}

void TJvCustomAppStorageOptions::SetBooleanAsString(bool Value) {
  booleanAsString_ = Value && !DefaultTrueString().empty() && !DefaultFalseString().empty();
}

namespace {

std::string firstListEntry(const std::string& list) {
  size_t comma = list.find(',');
  return Trim(comma == std::string::npos ? list : list.substr(0, comma));
}

bool inBooleanList(const std::string& list, const std::string& value) {
  TStringList entries;
  entries.SetCommaText(AnsiUpperCase(list));
  return entries.IndexOf(AnsiUpperCase(value)) >= 0;
}

}  // namespace

std::string TJvCustomAppStorageOptions::DefaultTrueString() const { return firstListEntry(trueValues_); }

std::string TJvCustomAppStorageOptions::DefaultFalseString() const { return firstListEntry(falseValues_); }

bool TJvCustomAppStorageOptions::IsValueTrueString(const std::string& Value) const {
  return inBooleanList(trueValues_, Value);
}

bool TJvCustomAppStorageOptions::IsValueFalseString(const std::string& Value) const {
  return inBooleanList(falseValues_, Value);
}

// =======================================================================================
// Sub-storages

RTL_BEGIN_CLASS(TJvAppSubStorage)
b.Property("RootPath", &TJvAppSubStorage::RootPath, &TJvAppSubStorage::SetRootPath);
b.Property("AppStorage", &TJvAppSubStorage::AppStorage, &TJvAppSubStorage::SetAppStorage);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TJvAppSubStorages)

TJvAppSubStorage::~TJvAppSubStorage() {
  if (appStorage_ && OwnerStore()) appStorage_->RemoveFreeNotification(OwnerStore());
}

TJvCustomAppStorage* TJvAppSubStorage::OwnerStore() const {
  auto* subs = dynamic_cast<TJvAppSubStorages*>(Collection());
  return subs ? subs->AppStorage() : nullptr;
}

void TJvAppSubStorage::SetRootPath(const std::string& Value) {
  std::string root = JvJoinStoragePaths({Value});
  if (root == rootPath_) return;
  auto* subs = dynamic_cast<TJvAppSubStorages*>(Collection());
  if (subs && !subs->CheckUniqueBase(root, Index()))
    throw EJvAppStorageError(Format("'%s' is not a unique root path", root));
  rootPath_ = root;
}

namespace {

// Whether Storage reaches Target through its sub-storages (at any depth).
bool reaches(TJvCustomAppStorage* storage, TJvCustomAppStorage* target, int depth = 0) {
  if (!storage || depth > 64) return false;
  TJvAppSubStorages* subs = storage->SubStorages();
  for (int i = 0; i < subs->Count(); ++i) {
    TJvCustomAppStorage* s = subs->Items(i)->AppStorage();
    if (s == target || reaches(s, target, depth + 1)) return true;
  }
  return false;
}

}  // namespace

void TJvAppSubStorage::SetAppStorage(TJvCustomAppStorage* Value) {
  if (Value == appStorage_) return;
  TJvCustomAppStorage* owner = OwnerStore();
  if (Value && owner && (Value == owner || reaches(Value, owner)))
    throw EJvAppStorageError("Circular reference of storages");
  if (appStorage_ && owner) appStorage_->RemoveFreeNotification(owner);
  appStorage_ = Value;
  if (appStorage_ && owner) appStorage_->FreeNotification(owner);
}

std::string TJvAppSubStorage::DisplayName() const {
  if (!rootPath_.empty() && appStorage_) return "\\" + rootPath_ + "=" + appStorage_->Name();
  return TCollectionItem::DisplayName();
}

void TJvAppSubStorage::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TJvAppSubStorage*>(Source);
  if (!src) {
    TCollectionItem::Assign(Source);
    return;
  }
  SetRootPath(src->rootPath_);
  SetAppStorage(src->appStorage_);
}

TJvAppSubStorages::TJvAppSubStorages(TJvCustomAppStorage* AOwner)
    : TOwnedCollection(AOwner, TJvAppSubStorage::StaticClass()), owner_(AOwner) {}

TJvAppSubStorage* TJvAppSubStorages::MatchFor(const std::string& Path) const {
  const std::string path = AnsiUpperCase(Path) + "\\";
  TJvAppSubStorage* best = nullptr;
  for (int i = 0; i < Count(); ++i) {
    TJvAppSubStorage* item = Items(i);
    if (item->RootPath().empty()) continue;
    const std::string root = AnsiUpperCase(item->RootPath()) + "\\";
    if (path.compare(0, root.size(), root) == 0 && (!best || item->RootPath().size() > best->RootPath().size()))
      best = item;
  }
  return best;
}

bool TJvAppSubStorages::CheckUniqueBase(const std::string& Path, int IgnoreIndex) const {
  const std::string path = AnsiUpperCase(Path) + "\\";
  for (int i = 0; i < Count(); ++i) {
    if (i == IgnoreIndex || Items(i)->RootPath().empty()) continue;
    const std::string root = AnsiUpperCase(Items(i)->RootPath()) + "\\";
    if (path.compare(0, root.size(), root) == 0) return false;
  }
  return true;
}

void TJvAppSubStorages::DeleteStorage(TComponent* Storage) {
  for (int i = Count() - 1; i >= 0; --i) {
    if (Items(i)->appStorage_ && static_cast<TComponent*>(Items(i)->appStorage_) == Storage) {
      Items(i)->appStorage_ = nullptr;  // it is going away: no notification to remove
      Delete(i);
    }
  }
}

// =======================================================================================
// The storage

RTL_IMPLEMENT_CLASS(TJvCustomAppStorage)

TJvCustomAppStorage::TJvCustomAppStorage(TComponent* AOwner)
    : TJvComponent(AOwner), subStorages_(new TJvAppSubStorages(this)) {}

TJvCustomAppStorage::~TJvCustomAppStorage() = default;

TClass TJvCustomAppStorage::OptionsClass() const { return TJvAppStorageOptions::StaticClass(); }

TJvCustomAppStorageOptions* TJvCustomAppStorage::StorageOptions() {
  // Made on first use, so that the class a descendant names (a virtual choice) is the one
  // built.
  if (!options_) {
    TObject* obj = OptionsClass()->CreateInstance();
    auto* opts = dynamic_cast<TJvCustomAppStorageOptions*>(obj);
    if (!opts) {
      FreeObject(obj);
      throw EJvAppStorageError("Invalid options class for " + ClassName());
    }
    options_.reset(opts);
  }
  return options_.get();
}

void TJvCustomAppStorage::SetStorageOptions(TJvCustomAppStorageOptions* Value) {
  if (Value) StorageOptions()->Assign(Value);
}

void TJvCustomAppStorage::SetSubStorages(TJvAppSubStorages* Value) {
  if (Value) subStorages_->Assign(Value);
}

void TJvCustomAppStorage::Notification(TComponent* AComponent, TOperation Operation) {
  TJvComponent::Notification(AComponent, Operation);
  // The component may be past its own destructor's body here, so it is not asked what it
  // is: the items that point to it go.
  if (Operation == opRemove && AComponent != this && subStorages_) subStorages_->DeleteStorage(AComponent);
}

void TJvCustomAppStorage::SetPath(const std::string& Value) { currentPath_ = JoinPaths({currentPath_, Value}); }

void TJvCustomAppStorage::SetRoot(const std::string& Value) { root_ = JoinPaths({Value}); }

bool TJvCustomAppStorage::ReadOnly() {
  if (ComponentState().Contains(csDesigning)) return readOnly_;
  return readOnly_ || PhysicallyReadOnly();
}

void TJvCustomAppStorage::BeginUpdate() { ++updateCount_; }

void TJvCustomAppStorage::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
}

void TJvCustomAppStorage::ResolvePath(const std::string& InPath, TJvCustomAppStorage*& TargetStore,
                                      std::string& TargetPath) {
  const std::string full = "\\" + JoinPaths({currentPath_, InPath});
  TJvAppSubStorage* sub = subStorages_->MatchFor(JoinPaths({full}));
  if (sub && sub->AppStorage()) {
    const size_t cut = std::min(full.size(), sub->RootPath().size() + 1);
    const std::string subPath = "\\" + JoinPaths({full.substr(cut)});
    if (subPath == "\\") throw EJvAppStorageError("Invalid path");
    // The serving storage may hand the path on to one of its own sub-storages.
    sub->AppStorage()->ResolvePath(subPath, TargetStore, TargetPath);
    return;
  }
  TargetStore = this;
  TargetPath = full;
}

std::string TJvCustomAppStorage::AbsolutePath(const std::string& Path) const {
  std::string path = root_ + "\\" + JoinPaths({currentPath_, Path});
  size_t first = path.find_first_not_of('\\');
  return first == std::string::npos ? std::string() : path.substr(first);
}

std::pair<TJvCustomAppStorage*, std::string> TJvCustomAppStorage::resolveAbsolute(const std::string& Path) {
  TJvCustomAppStorage* target = nullptr;
  std::string targetPath;
  ResolvePath(Path, target, targetPath);
  return {target, target->AbsolutePath(targetPath)};
}

bool TJvCustomAppStorage::canWrite(TJvCustomAppStorage* Target, const std::string& Path) {
  if (Target->readOnly_) return false;
  if (!Target->ComponentState().Contains(csDesigning) && Target->PhysicallyReadOnly())
    throw EJvAppStorageError(Format("Cannot save \"%s\": %s", Path, Target->PhysicallyReadOnlyReason()));
  return true;
}

void TJvCustomAppStorage::SplitValuePath(const std::string& Path, std::string& Key, std::string& ValueName) {
  size_t sep = Path.rfind('\\');
  if (sep == std::string::npos) {
    Key.clear();
    ValueName = Path;
  } else {
    Key = Path.substr(0, sep);
    ValueName = Path.substr(sep + 1);
  }
}

// ---------------------------------------------------------------------------------------
// Public typed operations: resolve, then the serving storage's option layer.

Integer TJvCustomAppStorage::ReadInteger(const std::string& Path, Integer Default) {
  auto [t, p] = resolveAbsolute(Path);
  return t->LoadInteger(p, Default);
}

void TJvCustomAppStorage::WriteInteger(const std::string& Path, Integer Value) {
  auto [t, p] = resolveAbsolute(Path);
  if (canWrite(t, Path)) t->SaveInteger(p, Value);
}

Extended TJvCustomAppStorage::ReadFloat(const std::string& Path, Extended Default) {
  auto [t, p] = resolveAbsolute(Path);
  return t->LoadFloat(p, Default);
}

void TJvCustomAppStorage::WriteFloat(const std::string& Path, Extended Value) {
  auto [t, p] = resolveAbsolute(Path);
  if (canWrite(t, Path)) t->SaveFloat(p, Value);
}

std::string TJvCustomAppStorage::ReadString(const std::string& Path, const std::string& Default) {
  auto [t, p] = resolveAbsolute(Path);
  return t->LoadString(p, Default);
}

void TJvCustomAppStorage::WriteString(const std::string& Path, const std::string& Value) {
  auto [t, p] = resolveAbsolute(Path);
  if (canWrite(t, Path)) t->SaveString(p, Value);
}

TDateTime TJvCustomAppStorage::ReadDateTime(const std::string& Path, TDateTime Default) {
  auto [t, p] = resolveAbsolute(Path);
  return t->LoadDateTime(p, Default);
}

void TJvCustomAppStorage::WriteDateTime(const std::string& Path, TDateTime Value) {
  auto [t, p] = resolveAbsolute(Path);
  if (canWrite(t, Path)) t->SaveDateTime(p, Value);
}

bool TJvCustomAppStorage::ReadBoolean(const std::string& Path, bool Default) {
  auto [t, p] = resolveAbsolute(Path);
  return t->LoadBoolean(p, Default);
}

void TJvCustomAppStorage::WriteBoolean(const std::string& Path, bool Value) {
  auto [t, p] = resolveAbsolute(Path);
  if (canWrite(t, Path)) t->SaveBoolean(p, Value);
}

Integer TJvCustomAppStorage::ReadBinary(const std::string& Path, void* Buffer, Integer BufSize) {
  auto [t, p] = resolveAbsolute(Path);
  return t->LoadBinary(p, Buffer, BufSize);
}

void TJvCustomAppStorage::WriteBinary(const std::string& Path, const void* Buffer, Integer BufSize) {
  auto [t, p] = resolveAbsolute(Path);
  if (canWrite(t, Path)) t->SaveBinary(p, Buffer, BufSize);
}

bool TJvCustomAppStorage::ValueStored(const std::string& Path) {
  auto [t, p] = resolveAbsolute(Path);
  return t->ValueStoredAt(p);
}

bool TJvCustomAppStorage::PathExists(const std::string& Path) {
  auto [t, p] = resolveAbsolute(Path);
  return t->PathExistsAt(p);
}

bool TJvCustomAppStorage::IsFolder(const std::string& Path, bool ListIsValue) {
  auto [t, p] = resolveAbsolute(Path);
  return t->IsFolderAt(p, ListIsValue);
}

bool TJvCustomAppStorage::ListStored(const std::string& Path) { return ValueStored(JoinPaths({Path, "Count"})); }

void TJvCustomAppStorage::DeleteValue(const std::string& Path) {
  auto [t, p] = resolveAbsolute(Path);
  if (canWrite(t, Path)) t->DeleteValueAt(p);
}

void TJvCustomAppStorage::DeleteSubTree(const std::string& Path) {
  auto [t, p] = resolveAbsolute(Path);
  if (canWrite(t, Path)) t->DeleteSubTreeAt(p);
}

// ---------------------------------------------------------------------------------------
// Default primitives built on others.

TDateTime TJvCustomAppStorage::GetDateTimeAt(const std::string& Path, TDateTime Default) {
  return static_cast<TDateTime>(GetFloatAt(Path, Default));
}

void TJvCustomAppStorage::PutDateTimeAt(const std::string& Path, TDateTime Value) { PutFloatAt(Path, Value); }

bool TJvCustomAppStorage::GetBooleanAt(const std::string& Path, bool Default) {
  return GetIntegerAt(Path, Default ? 1 : 0) != 0;
}

void TJvCustomAppStorage::PutBooleanAt(const std::string& Path, bool Value) { PutIntegerAt(Path, Value ? 1 : 0); }

// ---------------------------------------------------------------------------------------
// Encryption hooks.

std::string TJvCustomAppStorage::EncryptPropertyValue(const std::string& Value) {
  if (!IsPropertyValueCryptEnabled() || !onEncryptPropertyValue_) return Value;
  std::string text = Value;
  onEncryptPropertyValue_(this, text);
  return Base64EncodeText(text);
}

std::string TJvCustomAppStorage::DecryptPropertyValue(const std::string& Value) {
  if (!IsPropertyValueCryptEnabled() || !onDecryptPropertyValue_) return Value;
  std::string text = Base64DecodeText(Value);
  onDecryptPropertyValue_(this, text);
  return text;
}

// ---------------------------------------------------------------------------------------
// Option layer.

template <class T, class F> T TJvCustomAppStorage::readWithDefaultOnConvertError(F read, T def) {
  try {
    return read();
  } catch (const EConvertError&) {
    if (StorageOptions()->DefaultIfReadConvertError()) return def;
    throw;
  }
}

Integer TJvCustomAppStorage::LoadInteger(const std::string& Path, Integer Default) {
  if (StorageOptions()->DefaultIfValueNotExists() && !ValueStoredAt(Path)) return Default;
  return readWithDefaultOnConvertError([&] { return GetIntegerAt(Path, Default); }, Default);
}

void TJvCustomAppStorage::SaveInteger(const std::string& Path, Integer Value) { PutIntegerAt(Path, Value); }

Extended TJvCustomAppStorage::LoadFloat(const std::string& Path, Extended Default) {
  if (StorageOptions()->DefaultIfValueNotExists() && !ValueStoredAt(Path)) return Default;
  auto asText = [&]() -> Extended {
    return StrToFloat(DecryptPropertyValue(GetStringAt(Path, EncryptPropertyValue(FloatToStr(Default)))));
  };
  return readWithDefaultOnConvertError(
      [&]() -> Extended {
        if (StorageOptions()->FloatAsString()) {
          try {
            return asText();
          } catch (const EConvertError&) {
            return GetFloatAt(Path, Default);
          }
        }
        try {
          return GetFloatAt(Path, Default);
        } catch (const EConvertError&) {
          return asText();
        }
      },
      Default);
}

void TJvCustomAppStorage::SaveFloat(const std::string& Path, Extended Value) {
  if (StorageOptions()->FloatAsString()) PutStringAt(Path, EncryptPropertyValue(FloatToStr(Value)));
  else PutFloatAt(Path, Value);
}

TDateTime TJvCustomAppStorage::LoadDateTime(const std::string& Path, TDateTime Default) {
  if (StorageOptions()->DefaultIfValueNotExists() && !ValueStoredAt(Path)) return Default;
  auto asText = [&]() -> TDateTime {
    return StrToDateTime(DecryptPropertyValue(GetStringAt(Path, EncryptPropertyValue(DateTimeToStr(Default)))));
  };
  return readWithDefaultOnConvertError(
      [&]() -> TDateTime {
        if (StorageOptions()->DateTimeAsString()) {
          try {
            return asText();
          } catch (const EConvertError&) {
            return GetDateTimeAt(Path, Default);
          }
        }
        try {
          return GetDateTimeAt(Path, Default);
        } catch (const EConvertError&) {
          return asText();
        }
      },
      Default);
}

void TJvCustomAppStorage::SaveDateTime(const std::string& Path, TDateTime Value) {
  if (StorageOptions()->DateTimeAsString()) PutStringAt(Path, EncryptPropertyValue(DateTimeToStr(Value)));
  else PutDateTimeAt(Path, Value);
}

std::string TJvCustomAppStorage::LoadString(const std::string& Path, const std::string& Default) {
  if (StorageOptions()->DefaultIfValueNotExists() && !ValueStoredAt(Path)) return Default;
  return readWithDefaultOnConvertError(
      [&] { return DecryptPropertyValue(GetStringAt(Path, EncryptPropertyValue(Default))); }, std::string(Default));
}

void TJvCustomAppStorage::SaveString(const std::string& Path, const std::string& Value) {
  PutStringAt(Path, EncryptPropertyValue(Value));
}

Integer TJvCustomAppStorage::LoadBinary(const std::string& Path, void* Buffer, Integer BufSize) {
  return GetBinaryAt(Path, Buffer, BufSize);
}

void TJvCustomAppStorage::SaveBinary(const std::string& Path, const void* Buffer, Integer BufSize) {
  PutBinaryAt(Path, Buffer, BufSize);
}

bool TJvCustomAppStorage::LoadBoolean(const std::string& Path, bool Default) {
  TJvCustomAppStorageOptions* opts = StorageOptions();
  if (opts->DefaultIfValueNotExists() && !ValueStoredAt(Path)) return Default;
  return readWithDefaultOnConvertError(
      [&]() -> bool {
        if (!opts->BooleanAsString()) return GetBooleanAt(Path, Default);
        try {
          const std::string def = Default ? opts->DefaultTrueString() : opts->DefaultFalseString();
          const std::string text = DecryptPropertyValue(GetStringAt(Path, EncryptPropertyValue(def)));
          if (opts->IsValueTrueString(text)) return true;
          if (opts->IsValueFalseString(text)) return false;
        } catch (const EConvertError&) {
        }
        return GetBooleanAt(Path, Default);
      },
      Default);
}

void TJvCustomAppStorage::SaveBoolean(const std::string& Path, bool Value) {
  TJvCustomAppStorageOptions* opts = StorageOptions();
  if (opts->BooleanAsString())
    PutStringAt(Path, EncryptPropertyValue(Value ? opts->DefaultTrueString() : opts->DefaultFalseString()));
  else
    PutBooleanAt(Path, Value);
}

// ---------------------------------------------------------------------------------------
// Enumerations and typed integers.

namespace {

// Boolean and the C-style boolean enumerations (whose range starts below 0).
bool isBooleanType(PTypeInfo t) {
  return t == TypeInfo<bool>() || (t->Kind == tkEnumeration && t->MinValue < 0);
}

// The value as a cell of the type's ordinal size holds it.
Int64 fitOrdinal(Int64 v, TOrdType ordType) {
  switch (ordType) {
    case otSByte: return static_cast<int8_t>(v);
    case otUByte: return static_cast<uint8_t>(v);
    case otSWord: return static_cast<int16_t>(v);
    case otUWord: return static_cast<uint16_t>(v);
    case otSLong: return static_cast<int32_t>(v);
    case otULong: return static_cast<uint32_t>(v);
  }
  return v;
}

}  // namespace

Int64 TJvCustomAppStorage::ReadEnumeration(const std::string& Path, PTypeInfo ATypeInfo, Int64 Default) {
  auto [t, p] = resolveAbsolute(Path);
  return t->LoadEnumeration(p, ATypeInfo, Default);
}

void TJvCustomAppStorage::WriteEnumeration(const std::string& Path, PTypeInfo ATypeInfo, Int64 Value) {
  auto [t, p] = resolveAbsolute(Path);
  if (canWrite(t, Path)) t->SaveEnumeration(p, ATypeInfo, Value);
}

Int64 TJvCustomAppStorage::LoadEnumeration(const std::string& Path, PTypeInfo ATypeInfo, Int64 Default) {
  TJvCustomAppStorageOptions* opts = StorageOptions();
  if (opts->DefaultIfValueNotExists() && !ValueStoredAt(Path)) return Default;
  Int64 value = readWithDefaultOnConvertError(
      [&]() -> Int64 {
        if (isBooleanType(ATypeInfo)) return LoadBoolean(Path, Default != 0) ? 1 : 0;
        switch (ATypeInfo->Kind) {
          case tkChar: return LoadInteger(Path, static_cast<Integer>(Default));
          case tkInteger: {
            if (TIdentToInt identToInt = FindIdentToInt(ATypeInfo)) {
              // A name the converter does not know, or no text at all, is read as a number.
              std::string text;
              const bool saved = opts->DefaultIfReadConvertError();
              opts->SetDefaultIfReadConvertError(true);
              {
                ScopeExit atEnd([&] { opts->SetDefaultIfReadConvertError(saved); });
                text = LoadString(Path, std::string());
              }
              Integer v = 0;
              if (!text.empty() && identToInt(text, v)) return v;
            }
            return LoadInteger(Path, static_cast<Integer>(Default));
          }
          case tkEnumeration: {
            const std::string text = LoadString(Path, " #!@not known@!# ");
            int v = GetEnumValue(ATypeInfo, text);
            if (v >= 0) return v;
            return LoadInteger(Path, static_cast<Integer>(Default));
          }
          default: throw EJvAppStorageError("Invalid type");
        }
      },
      Default);
  return fitOrdinal(value, ATypeInfo->OrdType);
}

void TJvCustomAppStorage::SaveEnumeration(const std::string& Path, PTypeInfo ATypeInfo, Int64 Value) {
  TJvCustomAppStorageOptions* opts = StorageOptions();
  if (isBooleanType(ATypeInfo)) {
    SaveBoolean(Path, Value != 0);
    return;
  }
  switch (ATypeInfo->Kind) {
    case tkChar: SaveInteger(Path, static_cast<Integer>(Value)); return;
    case tkInteger: {
      std::string ident;
      TIntToIdent intToIdent = FindIntToIdent(ATypeInfo);
      if (opts->TypedIntegerAsString() && intToIdent && intToIdent(static_cast<Integer>(Value), ident))
        SaveString(Path, ident);
      else
        SaveInteger(Path, static_cast<Integer>(Value));
      return;
    }
    case tkEnumeration: {
      // A value without an identifier is kept as its number rather than as an empty text.
      const std::string name = GetEnumName(ATypeInfo, static_cast<int>(Value));
      if (opts->EnumerationAsString() && !name.empty()) SaveString(Path, name);
      else SaveInteger(Path, static_cast<Integer>(Value));
      return;
    }
    default: throw EJvAppStorageError("Invalid type");
  }
}

// ---------------------------------------------------------------------------------------
// Sets.

std::string TJvCustomAppStorage::CharSetElementName(char C) {
  const Byte code = static_cast<Byte>(C);
  if (code >= 33 && code <= 122) return std::string("Char_") + C;
  return "Char#" + IntToStr(static_cast<Integer>(code));
}

std::string TJvCustomAppStorage::IntSetElementName(Integer Value) { return "Int_" + IntToStr(Value); }

std::string TJvCustomAppStorage::setElementName(PTypeInfo elementType, Int64 ordinal) {
  switch (elementType->Kind) {
    case tkEnumeration: return GetEnumName(elementType, static_cast<int>(ordinal));
    case tkInteger: return IntSetElementName(static_cast<Integer>(ordinal));
    case tkChar: return CharSetElementName(static_cast<char>(ordinal));
    default: throw EJvAppStorageError("Unknown base type for given set");
  }
}

void TJvCustomAppStorage::ReadSet(const std::string& Path, PTypeInfo ATypeInfo, const void* Default, void* Value) {
  auto [t, p] = resolveAbsolute(Path);
  t->LoadSet(p, ATypeInfo, Default, Value);
}

void TJvCustomAppStorage::WriteSet(const std::string& Path, PTypeInfo ATypeInfo, const void* Value) {
  auto [t, p] = resolveAbsolute(Path);
  if (canWrite(t, Path)) t->SaveSet(p, ATypeInfo, Value);
}

void TJvCustomAppStorage::SaveSet(const std::string& Path, PTypeInfo ATypeInfo, const void* Value) {
  if (StorageOptions()->SetAsString()) {
    SaveString(Path, JclSetValueToText(ATypeInfo, Value, true, false));
    return;
  }
  PTypeInfo elem = ATypeInfo->CompType;
  setElementName(elem, elem->MinValue);  // refuses an element kind it cannot name
  SetStorage value(ATypeInfo);
  std::memcpy(value.Data(), Value, static_cast<size_t>(value.Size()));
  for (Int64 n = value.MinValue(); n <= value.MaxValue(); ++n)
    SaveBoolean(JoinPaths({Path, setElementName(elem, n)}), value.Contains(n));
}

void TJvCustomAppStorage::LoadSet(const std::string& Path, PTypeInfo ATypeInfo, const void* Default, void* Value) {
  SetStorage result(ATypeInfo);
  if (IsFolderAt(Path, true)) {
    PTypeInfo elem = ATypeInfo->CompType;
    for (Int64 n = result.MinValue(); n <= result.MaxValue(); ++n)
      if (LoadBoolean(JoinPaths({Path, setElementName(elem, n)}), false)) result.Include(n);
  } else {
    const std::string text = LoadString(Path, JclSetValueToText(ATypeInfo, Default, true, false));
    try {
      JclTextToSetValue(ATypeInfo, result.Data(), text);
    } catch (const Exception& e) {
      // A stored text that names no member (or holds no number) is an unconvertible value.
      const bool conversion = dynamic_cast<const EConvertError*>(&e) || dynamic_cast<const EJclRTTIError*>(&e);
      if (!conversion || !StorageOptions()->DefaultIfReadConvertError()) throw;
      std::memcpy(result.Data(), Default, static_cast<size_t>(result.Size()));
    }
  }
  std::memcpy(Value, result.Data(), static_cast<size_t>(result.Size()));
}

// ---------------------------------------------------------------------------------------
// Lists.

Integer TJvCustomAppStorage::ReadList(const std::string& Path, TObject* List,
                                      const TJvAppStorageListItemEvent& OnReadItem, const std::string& ItemName) {
  const Integer count = ReadInteger(JoinPaths({Path, "Count"}), 0);
  for (Integer i = 0; i < count; ++i) OnReadItem(this, Path, List, i, ItemName);
  return count;
}

void TJvCustomAppStorage::WriteList(const std::string& Path, TObject* List, Integer ItemCount,
                                    const TJvAppStorageListItemEvent& OnWriteItem,
                                    const TJvAppStorageListDeleteEvent& OnDeleteItems, const std::string& ItemName) {
  auto [t, p] = resolveAbsolute(JoinPaths({Path, "*"}));
  (void)p;
  if (!canWrite(t, Path)) return;
  Integer oldCount = 0;
  try {
    oldCount = ReadInteger(JoinPaths({Path, "Count"}), 0);
  } catch (const EConvertError&) {
    // A damaged count must not stop the list from being written again.
  }
  DeleteSubTree(Path);
  WriteInteger(JoinPaths({Path, "Count"}), ItemCount);
  for (Integer i = 0; i < ItemCount; ++i) OnWriteItem(this, Path, List, i, ItemName);
  if (ItemCount < oldCount && OnDeleteItems) OnDeleteItems(this, Path, List, ItemCount, oldCount - 1, ItemName);
}

Integer TJvCustomAppStorage::ReadStringList(const std::string& Path, TStrings* SL, bool ClearFirst,
                                            const std::string& ItemName) {
  if (!ListStored(Path) && resolveAbsolute(Path).first->StorageOptions()->DefaultIfValueNotExists())
    return SL->Count();
  {
    UpdateLock lock(SL);
    if (ClearFirst) SL->Clear();
    ReadList(Path, SL,
             [](TJvCustomAppStorage* Sender, const std::string& P, TObject* List, Integer Index,
                const std::string& Name) {
               static_cast<TStrings*>(List)->Add(Sender->ReadString(JoinPaths({P, Name + IntToStr(Index)})));
             },
             ItemName);
  }
  return SL->Count();
}

void TJvCustomAppStorage::WriteStringList(const std::string& Path, TStrings* SL, const std::string& ItemName) {
  WriteList(
      Path, SL, SL->Count(),
      [](TJvCustomAppStorage* Sender, const std::string& P, TObject* List, Integer Index, const std::string& Name) {
        Sender->WriteString(JoinPaths({P, Name + IntToStr(Index)}), static_cast<TStrings*>(List)->Strings(Index));
      },
      [](TJvCustomAppStorage* Sender, const std::string& P, TObject*, Integer First, Integer Last,
         const std::string& Name) {
        for (Integer i = First; i <= Last; ++i) Sender->DeleteValue(JoinPaths({P, Name + IntToStr(i)}));
      },
      ItemName);
}

Integer TJvCustomAppStorage::ReadCollection(const std::string& Path, TCollection* Collection, bool ClearFirst,
                                            const std::string& ItemName) {
  if (!ListStored(Path) && resolveAbsolute(Path).first->StorageOptions()->DefaultIfValueNotExists())
    return Collection->Count();
  {
    UpdateLock lock(Collection);
    if (ClearFirst) Collection->Clear();
    ReadList(Path, Collection,
             [ClearFirst](TJvCustomAppStorage* Sender, const std::string& P, TObject* List, Integer Index,
                          const std::string& Name) {
               try {
                 TCollectionItem* item = static_cast<TCollection*>(List)->Add();
                 Sender->ReadObject(JoinPaths({P, Name + IntToStr(Index)}), item, nullptr, true, ClearFirst);
               } catch (const Exception&) {
                 // One unreadable item does not cost the others.
               }
             },
             ItemName);
  }
  return Collection->Count();
}

void TJvCustomAppStorage::WriteCollection(const std::string& Path, TCollection* Collection,
                                          const std::string& ItemName) {
  WriteList(
      Path, Collection, Collection->Count(),
      [](TJvCustomAppStorage* Sender, const std::string& P, TObject* List, Integer Index, const std::string& Name) {
        Sender->WriteObject(JoinPaths({P, Name + IntToStr(Index)}), static_cast<TCollection*>(List)->Items(Index),
                            nullptr, true);
      },
      [](TJvCustomAppStorage* Sender, const std::string& P, TObject*, Integer First, Integer Last,
         const std::string& Name) {
        for (Integer i = First; i <= Last; ++i) Sender->DeleteValue(JoinPaths({P, Name + IntToStr(i)}));
      },
      ItemName);
}

// ---------------------------------------------------------------------------------------
// Published properties.

namespace {

bool isDateTimeType(PTypeInfo t) { return t == DateTimeTypeInfo() || SameText(t->Name, "TDateTime"); }

PPropInfo findProperty(TPersistent* obj, const std::string& name) {
  PPropInfo prop = GetPropInfo(obj, name);
  if (!prop) throw EPropertyError(Format("Unknown property: '%s'", name));
  return prop;
}

}  // namespace

std::string TJvCustomAppStorage::TranslatePropertyName(TPersistent* Instance, const std::string& Name,
                                                       bool Reading) {
  std::string name = Name;
  if (onTranslatePropertyName_) onTranslatePropertyName_(this, Instance, Reading, name);
  return name;
}

void TJvCustomAppStorage::WriteObjectProperty(const std::string& Path, TPersistent* PersObj,
                                              const std::string& PropName, bool Recursive) {
  writePropertyValue(Path, PersObj, findProperty(PersObj, PropName), Recursive);
}

void TJvCustomAppStorage::ReadObjectProperty(const std::string& Path, TPersistent* PersObj,
                                             const std::string& PropName, bool Recursive, bool ClearFirst) {
  readPropertyValue(Path, PersObj, findProperty(PersObj, PropName), Recursive, ClearFirst);
}

void TJvCustomAppStorage::writePropertyValue(const std::string& path, TPersistent* obj, PPropInfo prop,
                                             bool recursive) {
  PTypeInfo type = prop->PropType;
  switch (type->Kind) {
    case tkInteger:
    case tkChar:
      if (resolveAbsolute(path).first->StorageOptions()->TypedIntegerAsString())
        WriteEnumeration(path, type, GetOrdProp(obj, prop));
      else
        WriteInteger(path, static_cast<Integer>(GetOrdProp(obj, prop)));
      break;
    case tkEnumeration: WriteEnumeration(path, type, GetOrdProp(obj, prop)); break;
    case tkFloat:
      if (isDateTimeType(type)) WriteDateTime(path, static_cast<TDateTime>(GetFloatProp(obj, prop)));
      else WriteFloat(path, GetFloatProp(obj, prop));
      break;
    case tkString:
    case tkLString:
    case tkWString: WriteString(path, GetStrProp(obj, prop)); break;
    case tkSet: {
      SetStorage value = SetStorage::FromBits(type, static_cast<uint64_t>(GetOrdProp(obj, prop)));
      WriteSet(path, type, value.Data());
      break;
    }
    case tkClass: {
      TObject* sub = GetObjectProp(obj, prop);
      if (auto* strings = dynamic_cast<TStrings*>(sub)) {
        WriteStringList(path, strings, "Item");
      } else if (recursive) {
        if (auto* collection = dynamic_cast<TCollection*>(sub)) WriteCollection(path, collection, "Item");
        else if (auto* persistent = dynamic_cast<TPersistent*>(sub)) WriteObject(path, persistent, nullptr, recursive);
      }
      break;
    }
    case tkInt64: WriteString(path, IntToStr(GetInt64Prop(obj, prop))); break;
    default: break;  // wide characters, variants, events, arrays, records, interfaces
  }
}

void TJvCustomAppStorage::readPropertyValue(const std::string& path, TPersistent* obj, PPropInfo prop, bool recursive,
                                            bool clearFirst) {
  PTypeInfo type = prop->PropType;
  // A value that cannot be set back is not read (class properties are filled in place).
  if (prop->IsReadOnly && type->Kind != tkClass) return;
  switch (type->Kind) {
    case tkInteger:
    case tkChar:
    case tkEnumeration: SetOrdProp(obj, prop, ReadEnumeration(path, type, GetOrdProp(obj, prop))); break;
    case tkFloat:
      if (isDateTimeType(type))
        SetFloatProp(obj, prop, ReadDateTime(path, static_cast<TDateTime>(GetFloatProp(obj, prop))));
      else
        SetFloatProp(obj, prop, ReadFloat(path, GetFloatProp(obj, prop)));
      break;
    case tkString:
    case tkLString:
    case tkWString: SetStrProp(obj, prop, ReadString(path, GetStrProp(obj, prop))); break;
    case tkSet: {
      SetStorage current = SetStorage::FromBits(type, static_cast<uint64_t>(GetOrdProp(obj, prop)));
      SetStorage value(type);
      ReadSet(path, type, current.Data(), value.Data());
      SetOrdProp(obj, prop, static_cast<Int64>(value.ToBits()));
      break;
    }
    case tkClass: {
      TObject* sub = GetObjectProp(obj, prop);
      if (auto* strings = dynamic_cast<TStrings*>(sub)) {
        ReadStringList(path, strings, clearFirst, "Item");
      } else if (recursive) {
        if (auto* collection = dynamic_cast<TCollection*>(sub)) ReadCollection(path, collection, clearFirst, "Item");
        else if (auto* persistent = dynamic_cast<TPersistent*>(sub))
          ReadObject(path, persistent, nullptr, recursive, clearFirst);
      }
      break;
    }
    case tkInt64: {
      const Int64 current = GetInt64Prop(obj, prop);
      const std::string text = ReadString(path, IntToStr(current));
      Int64 value = current;
      if (!TryStrToInt64(text, value)) {
        if (!resolveAbsolute(path).first->StorageOptions()->DefaultIfReadConvertError()) StrToInt64(text);
        value = current;
      }
      SetInt64Prop(obj, prop, value);
      break;
    }
    default: break;
  }
}

void TJvCustomAppStorage::WriteObject(const std::string& Path, TPersistent* PersObj, TStrings* IgnoreProperties,
                                      bool Recursive) {
  if (!PersObj) return;
  void* handler = nullptr;
  if (PersObj->GetInterface(IStorageHandler::IID(), &handler) && handler)
    static_cast<IStorageHandler*>(handler)->WriteToStorage(this, Path);
  if (!handler || PersObj->GetInterface(IStoreAlsoPublished::IID(), nullptr)) {
    for (PPropInfo prop : GetPropList(PersObj)) {
      if (IgnoreProperties && IgnoreProperties->IndexOf(prop->Name) >= 0) continue;
      const std::string key = TranslatePropertyName(PersObj, prop->Name, false);
      writePropertyValue(JoinPaths({Path, key}), PersObj, prop, Recursive);
    }
  }
}

void TJvCustomAppStorage::ReadObject(const std::string& Path, TPersistent* PersObj, TStrings* IgnoreProperties,
                                     bool Recursive, bool ClearFirst) {
  if (!PersObj) return;
  void* handler = nullptr;
  if (PersObj->GetInterface(IStorageHandler::IID(), &handler) && handler)
    static_cast<IStorageHandler*>(handler)->ReadFromStorage(this, Path);
  if (!handler || PersObj->GetInterface(IStoreAlsoPublished::IID(), nullptr)) {
    for (PPropInfo prop : GetPropList(PersObj)) {
      if (IgnoreProperties && IgnoreProperties->IndexOf(prop->Name) >= 0) continue;
      const std::string key = TranslatePropertyName(PersObj, prop->Name, true);
      readPropertyValue(JoinPaths({Path, key}), PersObj, prop, Recursive, ClearFirst);
    }
  }
}

// =======================================================================================
// File storages

RTL_IMPLEMENT_CLASS(TJvCustomAppMemoryFileStorage)

TJvCustomAppMemoryFileStorage::TJvCustomAppMemoryFileStorage(TComponent* AOwner) : TJvCustomAppStorage(AOwner) {}

void TJvCustomAppMemoryFileStorage::fileSettingChanging(const std::function<void()>& apply) {
  const bool quiet = ComponentState().Contains(csLoading) || IsUpdating();
  // Unsaved changes go to the old file. Content that holds none is not written: a storage
  // that never read the old file would put its empty content over it, and a file that
  // does not exist would be made empty.
  if (!quiet && modified_) Flush();
  apply();
  recomputeReadOnly();
  if (!quiet) Reload();
}

void TJvCustomAppMemoryFileStorage::SetFileName(const std::string& Value) {
  const std::string name = PathWithExtension(Value, FileExtension());
  if (name == fileName_) return;
  fileSettingChanging([&] { fileName_ = name; });
}

void TJvCustomAppMemoryFileStorage::SetLocation(TFileLocation Value) {
  if (Value == location_) return;
  fileSettingChanging([&] { location_ = Value; });
}

void TJvCustomAppMemoryFileStorage::SetOnGetFileName(const TJvAppStorageGetFileNameEvent& Value) {
  if (Value == onGetFileName_) return;
  fileSettingChanging([&] { onGetFileName_ = Value; });
}

std::string TJvCustomAppMemoryFileStorage::GetCustomFileName() {
  std::string name = fileName_;
  if (onGetFileName_) onGetFileName_(this, name);
  return name;
}

std::string TJvCustomAppMemoryFileStorage::FullFileName() {
  if (fileName_.empty() && location_ != flCustom) return std::string();
  switch (location_) {
    case flCustom: return GetCustomFileName();
    case flWindows: return WindowsFolder() + "\\" + ExtractFileName(fileName_);
    case flTemp: return TempFolder() + "\\" + ExtractFileName(fileName_);
    case flExeFile: return ExtractFilePath(ModuleFileName(nullptr)) + ExtractFileName(fileName_);
    case flUserFolder:
      return AppDataFolder() + "\\" + (PathIsRooted(fileName_) ? ExtractFileName(fileName_) : fileName_);
  }
  return std::string();
}

void TJvCustomAppMemoryFileStorage::recomputeReadOnly() {
  const std::string name = FullFileName();
  physicallyReadOnly_ = !name.empty() && FileExists(name) && FileIsReadOnly(name);
}

std::string TJvCustomAppMemoryFileStorage::PhysicallyReadOnlyReason() {
  return Format("the file \"%s\" is read-only", FullFileName());
}

void TJvCustomAppMemoryFileStorage::Reload() {
  fileLoaded_ = true;
  recomputeReadOnly();
}

bool TJvCustomAppMemoryFileStorage::NeedsReload() { return (!fileLoaded_ || AutoReload()) && !IsUpdating(); }

void TJvCustomAppMemoryFileStorage::EndUpdate() {
  TJvCustomAppStorage::EndUpdate();
  if (modified_ && NeedsFlush()) Flush();
}

void TJvCustomAppMemoryFileStorage::Loaded() {
  TJvCustomAppStorage::Loaded();
  if (!IsUpdating()) Reload();
}
