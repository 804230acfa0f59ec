#pragma once
// Application storage: a hierarchical key/value store for settings, independent of where
// the values end up.
//
// A value is addressed by a path of elements separated by '\' ("Principal\ShowCmd": the
// value ShowCmd in the folder Principal). The typed operations (integer, float, string,
// binary, date-time, boolean) apply the storage options (value encodings, defaults for
// missing and unconvertible values) and hand plain values to a few backend primitives that
// a concrete storage implements (the INI backend is JvAppIniStorage). On top of them sit
// lists, collections, enumerations, sets and whole objects by their published properties.
//
// A storage may hand sub-trees of its path space to other storages (SubStorages). Every
// public operation first resolves which storage serves the path (ResolvePath).
//
// Read-only storages: writes and deletes on a storage the program made read-only
// (SetReadOnly) are ignored. A storage that cannot be written because its file is
// read-only raises EJvAppStorageError on a write or delete instead, so that settings are
// never lost without a word.

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "lib/JvComponent.h"
#include "lib/JvTypes.h"
#include "lib/jcl/JclRTTI.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/TypInfo.h"

RTL_EXCEPTION(EJvAppStorageError, EJvException)

RTL_ENUM(TFileLocation, flCustom, flWindows, flTemp, flExeFile, flUserFolder)

class TJvCustomAppStorage;
class TJvAppSubStorages;

// Joins path elements: starts from the last element that begins with '\' (the earlier
// ones are ignored), splits the elements at '\', drops empty parts, lets a part made only
// of dots climb (".." removes one part, "..." two, "." none; never more than there are)
// and joins the rest with '\'. A result that is blank is "".
//   {"Principal\", "ShowCmd"} -> "Principal\ShowCmd";  {"A\B", "..\C"} -> "A\C";  {"A", "\B"} -> "B"
std::string JvJoinStoragePaths(const std::vector<std::string>& Paths);

// Objects that read and write themselves to a storage implement this interface; objects
// that do so and still want their published properties stored also implement
// IStoreAlsoPublished.
struct IStorageHandler : public IInterface {
  RTL_INTERFACE_ID(0xE3754817, 0x49A3, 0x4612, 0xA2, 0x28, 0x5D, 0x44, 0xA0, 0x88, 0x68, 0x1D)
  virtual void ReadFromStorage(TJvCustomAppStorage* Storage, const std::string& BasePath) = 0;
  virtual void WriteToStorage(TJvCustomAppStorage* Storage, const std::string& BasePath) = 0;
};

struct IStoreAlsoPublished : public IInterface {
  RTL_INTERFACE_ID(0x0211AEF7, 0xCCE9, 0x4F13, 0xB3, 0xCE, 0x28, 0x72, 0x51, 0xC8, 0x91, 0x82)
};

// Events.
using TJvAppStoragePropTranslateEvent =
    TEvent<void(TObject* Sender, TPersistent* Instance, bool Reading, std::string& Name)>;
using TJvAppStorageCryptEvent = TEvent<void(TObject* Sender, std::string& Value)>;
using TJvAppStorageGetFileNameEvent = TEvent<void(TObject* Sender, std::string& FileName)>;

// Callbacks of ReadList/WriteList: one item (Index), or the items First..Last to delete.
using TJvAppStorageListItemEvent = std::function<void(TJvCustomAppStorage* Sender, const std::string& Path,
                                                      TObject* List, Integer Index, const std::string& ItemName)>;
using TJvAppStorageListDeleteEvent =
    std::function<void(TJvCustomAppStorage* Sender, const std::string& Path, TObject* List, Integer First,
                       Integer Last, const std::string& ItemName)>;

// ---------------------------------------------------------------------------------------
// Options: how values are encoded and what a read gives for a missing or unconvertible
// value.
class TJvCustomAppStorageOptions : public TPersistent {
  RTL_DECLARE_CLASS(TJvCustomAppStorageOptions, TPersistent)
public:
  TJvCustomAppStorageOptions() = default;
  void Assign(TPersistent* Source) override;

  // Comma-separated texts that read as true / false (compared upper-cased, blanks after
  // commas skipped). Their first entries are what booleans are written as.
  const std::string& BooleanStringTrueValues() const { return trueValues_; }
  void SetBooleanStringTrueValues(const std::string& Value);
  const std::string& BooleanStringFalseValues() const { return falseValues_; }
  void SetBooleanStringFalseValues(const std::string& Value);
  // Booleans as text; can be on only while both first entries are non-empty (changing
  // either list switches it off for good when its first entry becomes empty).
  bool BooleanAsString() const { return booleanAsString_; }
  virtual void SetBooleanAsString(bool Value);
  bool EnumerationAsString() const { return enumerationAsString_; }
  void SetEnumerationAsString(bool Value) { enumerationAsString_ = Value; }
  bool TypedIntegerAsString() const { return typedIntegerAsString_; }
  void SetTypedIntegerAsString(bool Value) { typedIntegerAsString_ = Value; }
  bool SetAsString() const { return setAsString_; }
  void SetSetAsString(bool Value) { setAsString_ = Value; }
  bool DateTimeAsString() const { return dateTimeAsString_; }
  void SetDateTimeAsString(bool Value) { dateTimeAsString_ = Value; }
  bool FloatAsString() const { return floatAsString_; }
  void SetFloatAsString(bool Value) { floatAsString_ = Value; }
  bool DefaultIfReadConvertError() const { return defaultIfReadConvertError_; }
  void SetDefaultIfReadConvertError(bool Value) { defaultIfReadConvertError_ = Value; }
  bool DefaultIfValueNotExists() const { return defaultIfValueNotExists_; }
  void SetDefaultIfValueNotExists(bool Value) { defaultIfValueNotExists_ = Value; }

  // The first entry of a list (text up to the first ',', blanks trimmed).
  std::string DefaultTrueString() const;
  std::string DefaultFalseString() const;
  bool IsValueTrueString(const std::string& Value) const;
  bool IsValueFalseString(const std::string& Value) const;

private:
  std::string trueValues_ = "TRUE, YES, Y";
  std::string falseValues_ = "FALSE, NO, N";
  bool booleanAsString_ = true;
  bool enumerationAsString_ = true;
  bool typedIntegerAsString_ = true;
  bool setAsString_ = false;
  bool dateTimeAsString_ = true;
  bool floatAsString_ = false;
  bool defaultIfReadConvertError_ = false;
  bool defaultIfValueNotExists_ = true;
};

// The options class that publishes them.
class TJvAppStorageOptions : public TJvCustomAppStorageOptions {
  RTL_DECLARE_CLASS(TJvAppStorageOptions, TJvCustomAppStorageOptions)
public:
  TJvAppStorageOptions() = default;
};

// ---------------------------------------------------------------------------------------
// Sub-storages: a root path of this storage's path space served by another storage.
class TJvAppSubStorage : public TCollectionItem {
  RTL_DECLARE_CLASS(TJvAppSubStorage, TCollectionItem)
public:
  explicit TJvAppSubStorage(TCollection* Collection) : TCollectionItem(Collection) {}
  ~TJvAppSubStorage() override;

  // The storage that owns the collection.
  TJvCustomAppStorage* OwnerStore() const;
  const std::string& RootPath() const { return rootPath_; }
  // Normalised with JvJoinStoragePaths; EJvAppStorageError "'%s' is not a unique root
  // path" when another item has that root or one above it.
  void SetRootPath(const std::string& Value);
  TJvCustomAppStorage* AppStorage() const { return appStorage_; }
  // EJvAppStorageError "Circular reference of storages" for the owning storage itself or
  // a storage that reaches the owner through its own sub-storages.
  void SetAppStorage(TJvCustomAppStorage* Value);
  // "\" + RootPath + "=" + the storage's name when both are set.
  std::string DisplayName() const override;
  void Assign(TPersistent* Source) override;

private:
  friend class TJvAppSubStorages;
  std::string rootPath_;
  TJvCustomAppStorage* appStorage_ = nullptr;
};

class TJvAppSubStorages : public TOwnedCollection {
  RTL_DECLARE_CLASS(TJvAppSubStorages, TOwnedCollection)
public:
  explicit TJvAppSubStorages(TJvCustomAppStorage* AOwner);

  TJvCustomAppStorage* AppStorage() const { return owner_; }
  TJvAppSubStorage* Items(int Index) const { return static_cast<TJvAppSubStorage*>(TCollection::Items(Index)); }
  TJvAppSubStorage* Add() { return static_cast<TJvAppSubStorage*>(TCollection::Add()); }
  // The item whose root is the longest prefix of Path (the root followed in Path by '\'
  // or the end, without regard to case); null when none.
  TJvAppSubStorage* MatchFor(const std::string& Path) const;
  // Whether Path may be the root of item IgnoreIndex: no other item has it or a root above it.
  bool CheckUniqueBase(const std::string& Path, int IgnoreIndex) const;
  // Deletes every item served by Storage (which may be half destroyed already: it is only
  // compared).
  void DeleteStorage(TComponent* Storage);

private:
  TJvCustomAppStorage* owner_;
};

// ---------------------------------------------------------------------------------------
// The storage.
class TJvCustomAppStorage : public TJvComponent {
  RTL_DECLARE_CLASS(TJvCustomAppStorage, TJvComponent)
public:
  explicit TJvCustomAppStorage(TComponent* AOwner);
  ~TJvCustomAppStorage() override;

  static std::string JoinPaths(const std::vector<std::string>& Paths) { return JvJoinStoragePaths(Paths); }

  // --- Paths.
  // The current path: relative paths of every operation start there. Setting it moves
  // from the current path (a path beginning with '\' starts from the top).
  const std::string& Path() const { return currentPath_; }
  void SetPath(const std::string& Value);
  // The prefix of every absolute path this storage serves ("" by default).
  const std::string& Root() const { return root_; }
  void SetRoot(const std::string& Value);
  // The storage that serves Path and the path it serves it at (beginning with '\').
  // EJvAppStorageError "Invalid path" for a path that names a sub-storage's root itself.
  void ResolvePath(const std::string& InPath, TJvCustomAppStorage*& TargetStore, std::string& TargetPath);

  // --- Typed values. Reads return Default for a missing value (DefaultIfValueNotExists)
  // and for one that does not convert (DefaultIfReadConvertError; otherwise EConvertError).
  Integer ReadInteger(const std::string& Path, Integer Default = 0);
  void WriteInteger(const std::string& Path, Integer Value);
  Extended ReadFloat(const std::string& Path, Extended Default = 0);
  void WriteFloat(const std::string& Path, Extended Value);
  std::string ReadString(const std::string& Path, const std::string& Default = std::string());
  void WriteString(const std::string& Path, const std::string& Value);
  TDateTime ReadDateTime(const std::string& Path, TDateTime Default);
  void WriteDateTime(const std::string& Path, TDateTime Value);
  bool ReadBoolean(const std::string& Path, bool Default);
  void WriteBoolean(const std::string& Path, bool Value);
  // Bytes read into Buffer (at most BufSize).
  Integer ReadBinary(const std::string& Path, void* Buffer, Integer BufSize);
  void WriteBinary(const std::string& Path, const void* Buffer, Integer BufSize);

  // --- Presence and deletion.
  bool ValueStored(const std::string& Path);
  bool PathExists(const std::string& Path);
  // Whether Path names a folder; with ListIsValue a folder holding a list is a value.
  bool IsFolder(const std::string& Path, bool ListIsValue = true);
  // Whether a list is stored at Path (a value "Count" below it).
  bool ListStored(const std::string& Path);
  void DeleteValue(const std::string& Path);
  void DeleteSubTree(const std::string& Path);

  // --- Lists. A list at P is the integer P\Count and one entry per item, named ItemName
  // followed by the index from 0.
  Integer ReadList(const std::string& Path, TObject* List, const TJvAppStorageListItemEvent& OnReadItem,
                   const std::string& ItemName = "Item");
  // Removes the folder P first, then writes Count and the items; OnDeleteItems is called
  // for the indexes of a longer list stored before.
  void WriteList(const std::string& Path, TObject* List, Integer ItemCount,
                 const TJvAppStorageListItemEvent& OnWriteItem, const TJvAppStorageListDeleteEvent& OnDeleteItems,
                 const std::string& ItemName = "Item");
  // The strings' count after reading; a path without a stored list leaves the strings as
  // they are (with DefaultIfValueNotExists).
  Integer ReadStringList(const std::string& Path, TStrings* SL, bool ClearFirst = true,
                         const std::string& ItemName = "Item");
  void WriteStringList(const std::string& Path, TStrings* SL, const std::string& ItemName = "Item");
  // Items are folders of their published properties; an item that fails to read is kept
  // as far as it was read and the next one follows.
  Integer ReadCollection(const std::string& Path, TCollection* Collection, bool ClearFirst = true,
                         const std::string& ItemName = "Item");
  void WriteCollection(const std::string& Path, TCollection* Collection, const std::string& ItemName = "Item");

  // --- Enumerations, typed integers and sets by their type information.
  // Ordinal values travel as Int64 and are read into the type's ordinal size.
  Int64 ReadEnumeration(const std::string& Path, PTypeInfo ATypeInfo, Int64 Default);
  void WriteEnumeration(const std::string& Path, PTypeInfo ATypeInfo, Int64 Value);
  template <class E> E ReadEnumeration(const std::string& Path, E Default) {
    return static_cast<E>(ReadEnumeration(Path, ::TypeInfo<E>(), static_cast<Int64>(Default)));
  }
  template <class E> void WriteEnumeration(const std::string& Path, E Value) {
    WriteEnumeration(Path, ::TypeInfo<E>(), static_cast<Int64>(Value));
  }
  // Set values in their stored layout (SetStorage): Default and Value are that many bytes.
  void ReadSet(const std::string& Path, PTypeInfo ATypeInfo, const void* Default, void* Value);
  void WriteSet(const std::string& Path, PTypeInfo ATypeInfo, const void* Value);
  template <class E> Set<E> ReadSet(const std::string& Path, const Set<E>& Default) {
    SetStorage def = SetStorage::FromSet(Default), value(::TypeInfo<Set<E>>());
    ReadSet(Path, ::TypeInfo<Set<E>>(), def.Data(), value.Data());
    return value.template ToSet<E>();
  }
  template <class E> void WriteSet(const std::string& Path, const Set<E>& Value) {
    SetStorage value = SetStorage::FromSet(Value);
    WriteSet(Path, ::TypeInfo<Set<E>>(), value.Data());
  }

  // --- Objects by their published properties.
  void ReadObjectProperty(const std::string& Path, TPersistent* PersObj, const std::string& PropName,
                          bool Recursive = true, bool ClearFirst = true);
  void WriteObjectProperty(const std::string& Path, TPersistent* PersObj, const std::string& PropName,
                           bool Recursive = true);
  // IgnoreProperties: names of properties left alone (may be null).
  void ReadObject(const std::string& Path, TPersistent* PersObj, TStrings* IgnoreProperties = nullptr,
                  bool Recursive = true, bool ClearFirst = true);
  void WriteObject(const std::string& Path, TPersistent* PersObj, TStrings* IgnoreProperties = nullptr,
                   bool Recursive = true);
  // The key a published property is stored under: Name through OnTranslatePropertyName.
  std::string TranslatePropertyName(TPersistent* Instance, const std::string& Name, bool Reading);

  // --- State.
  TJvCustomAppStorageOptions* StorageOptions();
  void SetStorageOptions(TJvCustomAppStorageOptions* Value);
  TJvAppSubStorages* SubStorages() const { return subStorages_.get(); }
  void SetSubStorages(TJvAppSubStorages* Value);
  // The flag, or (outside design time) the flag or the backend's own read-only state.
  bool ReadOnly();
  void SetReadOnly(bool Value) { readOnly_ = Value; }
  bool AutoFlush() const { return autoFlush_; }
  void SetAutoFlush(bool Value) { autoFlush_ = Value; }
  bool AutoReload() const { return autoReload_; }
  void SetAutoReload(bool Value) { autoReload_ = Value; }
  // Nested updates: while one is open, no automatic reload or flush happens.
  void BeginUpdate();
  virtual void EndUpdate();
  bool IsUpdating() const { return updateCount_ > 0; }

  // Value encryption: the hooks run only while enabled (nested; off at creation).
  void EnablePropertyValueEncryption() { ++cryptEnabledStatus_; }
  void DisablePropertyValueEncryption() { --cryptEnabledStatus_; }
  bool IsPropertyValueCryptEnabled() const { return cryptEnabledStatus_ > 0; }
  // Encrypt: the OnEncryptPropertyValue event, then base64; decrypt: the reverse. Texts
  // pass unchanged while encryption is off or the event is unassigned.
  std::string EncryptPropertyValue(const std::string& Value);
  std::string DecryptPropertyValue(const std::string& Value);

  virtual void Flush() {}
  virtual void Reload() {}

  const TJvAppStoragePropTranslateEvent& OnTranslatePropertyName() const { return onTranslatePropertyName_; }
  void SetOnTranslatePropertyName(const TJvAppStoragePropTranslateEvent& Value) { onTranslatePropertyName_ = Value; }
  const TJvAppStorageCryptEvent& OnEncryptPropertyValue() const { return onEncryptPropertyValue_; }
  void SetOnEncryptPropertyValue(const TJvAppStorageCryptEvent& Value) { onEncryptPropertyValue_ = Value; }
  const TJvAppStorageCryptEvent& OnDecryptPropertyValue() const { return onDecryptPropertyValue_; }
  void SetOnDecryptPropertyValue(const TJvAppStorageCryptEvent& Value) { onDecryptPropertyValue_ = Value; }

protected:
  // The options class this storage creates its options object from.
  virtual TClass OptionsClass() const;
  // Cuts an absolute path at its last '\' into folder path and value name.
  virtual void SplitValuePath(const std::string& Path, std::string& Key, std::string& ValueName);

  // --- Backend primitives (absolute paths).
  virtual void ListFolders(const std::string& Path, TStrings* List, bool ListIsValue) = 0;
  virtual void ListValues(const std::string& Path, TStrings* List, bool ListIsValue) = 0;
  virtual bool IsFolderAt(const std::string& Path, bool ListIsValue) = 0;
  virtual bool PathExistsAt(const std::string& Path) = 0;
  virtual bool ValueStoredAt(const std::string& Path) = 0;
  virtual void DeleteValueAt(const std::string& Path) = 0;
  virtual void DeleteSubTreeAt(const std::string& Path) = 0;
  virtual Integer GetIntegerAt(const std::string& Path, Integer Default) = 0;
  virtual void PutIntegerAt(const std::string& Path, Integer Value) = 0;
  virtual Extended GetFloatAt(const std::string& Path, Extended Default) = 0;
  virtual void PutFloatAt(const std::string& Path, Extended Value) = 0;
  virtual std::string GetStringAt(const std::string& Path, const std::string& Default) = 0;
  virtual void PutStringAt(const std::string& Path, const std::string& Value) = 0;
  virtual Integer GetBinaryAt(const std::string& Path, void* Buffer, Integer BufSize) = 0;
  virtual void PutBinaryAt(const std::string& Path, const void* Buffer, Integer BufSize) = 0;
  virtual TDateTime GetDateTimeAt(const std::string& Path, TDateTime Default);
  virtual void PutDateTimeAt(const std::string& Path, TDateTime Value);
  virtual bool GetBooleanAt(const std::string& Path, bool Default);
  virtual void PutBooleanAt(const std::string& Path, bool Value);

  // --- Option layer (absolute paths).
  virtual Integer LoadInteger(const std::string& Path, Integer Default);
  virtual void SaveInteger(const std::string& Path, Integer Value);
  virtual Extended LoadFloat(const std::string& Path, Extended Default);
  virtual void SaveFloat(const std::string& Path, Extended Value);
  virtual std::string LoadString(const std::string& Path, const std::string& Default);
  virtual void SaveString(const std::string& Path, const std::string& Value);
  virtual Integer LoadBinary(const std::string& Path, void* Buffer, Integer BufSize);
  virtual void SaveBinary(const std::string& Path, const void* Buffer, Integer BufSize);
  virtual TDateTime LoadDateTime(const std::string& Path, TDateTime Default);
  virtual void SaveDateTime(const std::string& Path, TDateTime Value);
  virtual bool LoadBoolean(const std::string& Path, bool Default);
  virtual void SaveBoolean(const std::string& Path, bool Value);
  virtual Int64 LoadEnumeration(const std::string& Path, PTypeInfo ATypeInfo, Int64 Default);
  virtual void SaveEnumeration(const std::string& Path, PTypeInfo ATypeInfo, Int64 Value);
  virtual void LoadSet(const std::string& Path, PTypeInfo ATypeInfo, const void* Default, void* Value);
  virtual void SaveSet(const std::string& Path, PTypeInfo ATypeInfo, const void* Value);

  // --- Backend state.
  virtual bool PhysicallyReadOnly() { return false; }
  // Why the backend cannot be written (used in the error a write then raises).
  virtual std::string PhysicallyReadOnlyReason() { return "the storage is read-only"; }
  virtual bool NeedsReload() { return autoReload_ && !IsUpdating(); }
  virtual bool NeedsFlush() { return autoFlush_ && !IsUpdating(); }
  // Names of the booleans of a set stored one per element.
  virtual std::string CharSetElementName(char C);
  virtual std::string IntSetElementName(Integer Value);

  void Notification(TComponent* AComponent, TOperation Operation) override;

  // The absolute path this storage serves a resolved path at: the root, then the path
  // joined to the current path, without leading '\'.
  std::string AbsolutePath(const std::string& Path) const;

private:
  // True when a write or delete may go to Target; false when the program made it
  // read-only; raises when its backend cannot be written.
  static bool canWrite(TJvCustomAppStorage* Target, const std::string& Path);
  // The storage serving Path and the absolute path it serves it at.
  std::pair<TJvCustomAppStorage*, std::string> resolveAbsolute(const std::string& Path);
  // read(), or def when it raises EConvertError and DefaultIfReadConvertError is set.
  template <class T, class F> T readWithDefaultOnConvertError(F read, T def);
  std::string setElementName(PTypeInfo elementType, Int64 ordinal);
  void readPropertyValue(const std::string& path, TPersistent* obj, PPropInfo prop, bool recursive, bool clearFirst);
  void writePropertyValue(const std::string& path, TPersistent* obj, PPropInfo prop, bool recursive);

  mutable std::unique_ptr<TJvCustomAppStorageOptions, TObjectDeleter> options_;
  std::unique_ptr<TJvAppSubStorages, TObjectDeleter> subStorages_;
  std::string root_;
  std::string currentPath_;
  Integer updateCount_ = 0;
  Integer cryptEnabledStatus_ = 0;
  bool readOnly_ = false;
  bool autoFlush_ = false;
  bool autoReload_ = false;
  TJvAppStoragePropTranslateEvent onTranslatePropertyName_;
  TJvAppStorageCryptEvent onEncryptPropertyValue_;
  TJvAppStorageCryptEvent onDecryptPropertyValue_;
};

// ---------------------------------------------------------------------------------------
// A storage whose content is one file.
class TJvCustomAppMemoryFileStorage : public TJvCustomAppStorage {
  RTL_DECLARE_CLASS(TJvCustomAppMemoryFileStorage, TJvCustomAppStorage)
public:
  explicit TJvCustomAppMemoryFileStorage(TComponent* AOwner);

  const std::string& FileName() const { return fileName_; }
  // Adds FileExtension when the name has none; a real change writes the old file when it
  // holds unsaved changes, takes the name and reloads (not while loading or updating).
  void SetFileName(const std::string& Value);
  TFileLocation Location() const { return location_; }
  void SetLocation(TFileLocation Value);
  const TJvAppStorageGetFileNameEvent& OnGetFileName() const { return onGetFileName_; }
  void SetOnGetFileName(const TJvAppStorageGetFileNameEvent& Value);

  // The file the storage reads and writes, by Location: flCustom -> FileName through
  // OnGetFileName; flWindows / flTemp -> that folder + '\' + the file-name part;
  // flExeFile -> the program's folder + the file-name part; flUserFolder -> the user's
  // application-data folder + '\' + FileName (its file-name part when it is absolute).
  // "" when FileName is empty (except for flCustom).
  std::string FullFileName();
  bool FileLoaded() const { return fileLoaded_; }

  // The whole content as text, and replacing it from a text.
  virtual std::string GetAsString() = 0;
  virtual void SetAsString(const std::string& Value) = 0;
  std::string AsString() { return GetAsString(); }

  void Reload() override;
  void Loaded() override;
  // The end of the outermost update writes what it held back (with AutoFlush), so that the
  // next automatic reload does not drop it.
  void EndUpdate() override;

protected:
  virtual std::string FileExtension() const { return std::string(); }
  virtual std::string GetCustomFileName();
  // Content set by other means than reading the file (SetAsString) counts as loaded, so
  // that the first access does not replace it with the file's.
  void SetFileLoaded(bool Value) { fileLoaded_ = Value; }
  // Whether the content holds changes the file has not received yet (set by the backend's
  // writes, cleared when it writes or reads the file).
  bool Modified() const { return modified_; }
  void SetModified(bool Value) { modified_ = Value; }
  bool PhysicallyReadOnly() override { return physicallyReadOnly_; }
  std::string PhysicallyReadOnlyReason() override;
  bool NeedsReload() override;
  void recomputeReadOnly();
  // Takes a changed file-name setting: flushes the old file, applies the change, reloads.
  void fileSettingChanging(const std::function<void()>& apply);

private:
  std::string fileName_;
  TFileLocation location_ = flExeFile;
  TJvAppStorageGetFileNameEvent onGetFileName_;
  bool physicallyReadOnly_ = false;
  bool fileLoaded_ = false;
  bool modified_ = false;
};
