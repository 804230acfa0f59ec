#pragma once
// Registry: the system registry through advapi32.
//
// TRegistry holds one open key (CurrentKey) below a root key (RootKey, HKEY_CURRENT_USER
// unless changed). Key names are relative to the open key, or to the root when they
// begin with '\' or when no key is open. Value operations act on the open key.
//
// Reads are strict: a value that is missing or stored with another type raises
// ERegistryException "Invalid data type for '<name>'" (ReadString of a missing value is
// the exception: it gives ""). A failed write raises "Failed to set data for '<name>'".
//
// TRegIniFile gives a TRegistry the INI-like Read/Write(section, ident, ...) calls, with
// sections as sub-keys of the key it was created for; TRegistryIniFile is the same as a
// TCustomIniFile, so code written for INI files can keep its settings in the registry.

#include <string>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/System.h"
#include "platform/rtl/TypInfo.h"

RTL_EXCEPTION(ERegistryException, Exception)

// The value types a TRegistry tells apart; every other registry type is rdUnknown.
RTL_ENUM(TRegDataType, rdUnknown, rdString, rdExpandString, rdInteger, rdBinary)

struct TRegDataInfo {
  TRegDataType RegData = rdUnknown;
  Integer DataSize = 0;  // bytes, the terminating null of a string included
};

struct TRegKeyInfo {
  Integer NumSubKeys = 0;
  Integer MaxSubKeyLen = 0;
  Integer NumValues = 0;
  Integer MaxValueLen = 0;
  Integer MaxDataLen = 0;
  FILETIME FileTime = {};
};

class TRegistry : public TObject {
  RTL_DECLARE_CLASS(TRegistry, TObject)
public:
  // Access rights KEY_ALL_ACCESS.
  TRegistry();
  explicit TRegistry(LongWord accessMode);
  ~TRegistry() override;

  // The root key; changing it closes the open key.
  HKEY RootKey() const { return rootKey_; }
  void SetRootKey(HKEY value);
  // The access rights OpenKey asks for.
  LongWord Access() const { return access_; }
  void SetAccess(LongWord value) { access_ = value; }
  // The open key (null when none) and its path below the root, without a leading '\'.
  HKEY CurrentKey() const { return currentKey_; }
  const std::string& CurrentPath() const { return currentPath_; }
  // When false, CloseKey flushes the key to disk before closing it.
  bool LazyWrite() const { return lazyWrite_; }
  void SetLazyWrite(bool value) { lazyWrite_ = value; }

  // Opens key (creating it and its missing parents with canCreate) as the current key; the
  // key it replaces is closed. False when the key does not exist (without canCreate) or
  // cannot be opened; the current key is then unchanged.
  bool OpenKey(const std::string& key, bool canCreate);
  // Opens key for reading only (Access becomes KEY_READ).
  bool OpenKeyReadOnly(const std::string& key);
  void CloseKey();
  // Creates key (and missing parents) without opening it. ERegistryException
  // "Failed to create key <key>" when that fails.
  bool CreateKey(const std::string& key);
  // Deletes key with every key below it; false when it could not be deleted. An empty
  // name (or a lone '\') deletes nothing: it would name the open key or the root.
  bool DeleteKey(const std::string& key);
  bool KeyExists(const std::string& key);
  // Copies the key oldName with its values and sub-keys to newName (which must not
  // exist), then deletes oldName when del is true.
  void MoveKey(const std::string& oldName, const std::string& newName, bool del);

  bool GetKeyInfo(TRegKeyInfo& value);
  bool HasSubKeys();
  // The names of the open key's sub-keys / values (strings is cleared first).
  void GetKeyNames(TStrings* strings);
  void GetValueNames(TStrings* strings);

  bool ValueExists(const std::string& name);
  bool DeleteValue(const std::string& name);
  // Gives the value oldName the name newName, keeping its type and data; nothing happens
  // when oldName is missing or newName exists.
  void RenameValue(const std::string& oldName, const std::string& newName);
  // Type and size of a value; false (rdUnknown, 0) when it is missing.
  bool GetDataInfo(const std::string& valueName, TRegDataInfo& value);
  // Size in bytes, -1 when the value is missing.
  Integer GetDataSize(const std::string& valueName);
  TRegDataType GetDataType(const std::string& valueName);

  // REG_SZ; ReadString also reads REG_EXPAND_SZ (without expanding it) and gives "" for a
  // missing value.
  std::string ReadString(const std::string& name);
  void WriteString(const std::string& name, const std::string& value);
  // REG_EXPAND_SZ: the text is kept and read back as written (environment references such
  // as %TEMP% are not expanded; ExpandEnvironmentStringsA does that for a caller who wants
  // it). ReadExpandString reads exactly what ReadString reads.
  std::string ReadExpandString(const std::string& name);
  void WriteExpandString(const std::string& name, const std::string& value);
  // REG_DWORD.
  Integer ReadInteger(const std::string& name);
  void WriteInteger(const std::string& name, Integer value);
  // REG_DWORD 1/0; any non-zero number reads as true.
  bool ReadBool(const std::string& name);
  void WriteBool(const std::string& name, bool value);
  // Floats, dates and times: the 8 bytes of the double as REG_BINARY.
  double ReadFloat(const std::string& name);
  void WriteFloat(const std::string& name, double value);
  TDateTime ReadDate(const std::string& name);
  void WriteDate(const std::string& name, TDateTime value);
  TDateTime ReadDateTime(const std::string& name);
  void WriteDateTime(const std::string& name, TDateTime value);
  TDateTime ReadTime(const std::string& name);
  void WriteTime(const std::string& name, TDateTime value);
  // Currency: its 8-byte scaled integer as REG_BINARY.
  Currency ReadCurrency(const std::string& name);
  void WriteCurrency(const std::string& name, Currency value);
  // REG_BINARY (other non-text types read too). Returns the number of bytes read; 0 when
  // the value is missing; raises when the value is larger than bufSize or a text or number.
  Integer ReadBinaryData(const std::string& name, void* buffer, Integer bufSize);
  void WriteBinaryData(const std::string& name, const void* buffer, Integer bufSize);

protected:
  // Makes value the current key without closing the previous one (the caller keeps and
  // restores it): used to act on another key for one call.
  void SetCurrentKey(HKEY value) { currentKey_ = value; }
  // Closes the current key and takes value with its path.
  void ChangeKey(HKEY value, const std::string& path);
  // The key relative names start from.
  HKEY GetBaseKey(bool relative) const;
  // Opens key with Access; null when that fails. The caller closes it.
  HKEY GetKey(const std::string& key);
  // Reads a value into buffer (bufSize bytes); returns the bytes read and the value's type.
  // ERegistryException "Failed to get data for '<name>'" when the read fails.
  Integer GetData(const std::string& name, void* buffer, Integer bufSize, TRegDataType& regData);
  void PutData(const std::string& name, const void* buffer, Integer bufSize, TRegDataType regData);
  [[noreturn]] void ReadError(const std::string& name);

private:
  // The raw registry type and bytes of a value; false when it is missing.
  bool queryRaw(HKEY key, const std::string& name, DWORD& type, std::vector<char>& data);
  // Reads a value of exactly 8 bytes stored as REG_BINARY.
  void readEightBytes(const std::string& name, void* out);
  std::string readText(const std::string& name);

  HKEY rootKey_ = HKEY_CURRENT_USER;
  HKEY currentKey_ = nullptr;
  std::string currentPath_;
  LongWord access_ = KEY_ALL_ACCESS;
  bool lazyWrite_ = true;
};

// A registry key read and written like an INI file: FileName is the key (relative to the
// root), sections are its sub-keys and idents their values. Strings are REG_SZ; integers
// and booleans are written as decimal text, as an INI file holds them. Reads take text
// and REG_DWORD values alike (a REG_DWORD reads as its decimal text) and give the default
// when the section or value is missing, of another type, or its text does not convert.
// The file's key is opened (created when missing) on construction and stays current.
class TRegIniFile : public TRegistry {
  RTL_DECLARE_CLASS(TRegIniFile, TRegistry)
public:
  explicit TRegIniFile(const std::string& fileName);
  TRegIniFile(const std::string& fileName, LongWord accessMode);

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(const std::string& section, const std::string& ident, const std::string& def);
  void WriteString(const std::string& section, const std::string& ident, const std::string& value);
  Integer ReadInteger(const std::string& section, const std::string& ident, Integer def);
  void WriteInteger(const std::string& section, const std::string& ident, Integer value);
  bool ReadBool(const std::string& section, const std::string& ident, bool def);
  void WriteBool(const std::string& section, const std::string& ident, bool value);
  // Value names of the section's key / sub-key names of the file's key / "name=value" of
  // the section's text values (each list cleared first).
  void ReadSection(const std::string& section, TStrings* strings);
  void ReadSections(TStrings* strings);
  void ReadSectionValues(const std::string& section, TStrings* strings);
  void EraseSection(const std::string& section);
  void DeleteKey(const std::string& section, const std::string& ident);
  using TRegistry::DeleteKey;

  // Runs action with the section's key as the current key (created first when create is
  // true); returns false without running it when the key cannot be opened.
  template <class F> bool withSection(const std::string& section, bool create, F action);

private:
  std::string fileName_;
};

// A TCustomIniFile kept in the registry below the key fileName (through a TRegIniFile).
// Integers are REG_DWORD; floats, dates and times the 8 bytes of a double; binary streams
// REG_BINARY. Reads of numbers, dates and times accept the text forms an INI file would
// hold too; a value of any other type reads as the default.
class TRegistryIniFile : public TCustomIniFile {
  RTL_DECLARE_CLASS(TRegistryIniFile, TCustomIniFile)
public:
  explicit TRegistryIniFile(const std::string& fileName);
  TRegistryIniFile(const std::string& fileName, LongWord accessMode);
  ~TRegistryIniFile() override;

  TRegIniFile* RegIniFile() const { return regIniFile_.get(); }

  std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) override;
  void WriteString(const std::string& section, const std::string& ident, const std::string& value) override;
  Integer ReadInteger(const std::string& section, const std::string& ident, Integer def) override;
  void WriteInteger(const std::string& section, const std::string& ident, Integer value) override;
  double ReadFloat(const std::string& section, const std::string& ident, double def) override;
  void WriteFloat(const std::string& section, const std::string& ident, double value) override;
  TDateTime ReadDate(const std::string& section, const std::string& ident, TDateTime def) override;
  void WriteDate(const std::string& section, const std::string& ident, TDateTime value) override;
  TDateTime ReadDateTime(const std::string& section, const std::string& ident, TDateTime def) override;
  void WriteDateTime(const std::string& section, const std::string& ident, TDateTime value) override;
  TDateTime ReadTime(const std::string& section, const std::string& ident, TDateTime def) override;
  void WriteTime(const std::string& section, const std::string& ident, TDateTime value) override;
  Integer ReadBinaryStream(const std::string& section, const std::string& ident, TStream* value) override;
  void WriteBinaryStream(const std::string& section, const std::string& ident, TStream* value) override;
  void ReadSection(const std::string& section, TStrings* strings) override;
  void ReadSections(TStrings* strings) override;
  void ReadSectionValues(const std::string& section, TStrings* strings) override;
  void EraseSection(const std::string& section) override;
  void DeleteKey(const std::string& section, const std::string& ident) override;
  // The registry writes through; nothing is pending.
  void UpdateFile() override;

private:
  // Reads a double-valued entry: binary doubles as stored by the writes, or text read
  // with fromText (false from fromText keeps def).
  template <class FromText>
  double readDouble(const std::string& section, const std::string& ident, double def, FromText fromText);
  void writeDouble(const std::string& section, const std::string& ident, double value);

  TObjectPtr<TRegIniFile> regIniFile_;
};

template <class F> bool TRegIniFile::withSection(const std::string& section, bool create, F action) {
  if (create && !section.empty()) CreateKey(section);
  HKEY key = GetKey(section);
  if (!key) return false;
  HKEY old = CurrentKey();
  SetCurrentKey(key);
  try {
    action();
  } catch (...) {
    SetCurrentKey(old);
    RegCloseKey(key);
    throw;
  }
  SetCurrentKey(old);
  RegCloseKey(key);
  return true;
}
