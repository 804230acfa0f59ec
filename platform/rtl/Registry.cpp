#include "platform/rtl/Registry.h"

#include <cstring>
#include "platform/rtl/Scoped.h"

RTL_IMPLEMENT_CLASS(ERegistryException)
RTL_IMPLEMENT_CLASS(TRegistry)
RTL_IMPLEMENT_CLASS(TRegIniFile)
RTL_IMPLEMENT_CLASS(TRegistryIniFile)

namespace {

bool isRelative(const std::string& key) { return key.empty() || key[0] != '\\'; }

std::string withoutRoot(const std::string& key) { return isRelative(key) ? key : key.substr(1); }

TRegDataType dataTypeToRegData(DWORD type) {
  switch (type) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
  }
}

DWORD regDataToDataType(TRegDataType type) {
  switch (type) {
    case rdString: return REG_SZ;
    case rdExpandString: return REG_EXPAND_SZ;
    case rdInteger: return REG_DWORD;
    case rdBinary: return REG_BINARY;
    default: return REG_NONE;
  }
}

bool isText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// Text of a string value's bytes, up to its first null (the stored data may or may not
// carry one).
std::string textOf(const std::vector<char>& data) {
  size_t n = 0;
  while (n < data.size() && data[n] != '\0') ++n;
  return std::string(data.data(), n);
}

// The names of a key's sub-keys or values, read in full before the caller changes the key.
std::vector<std::string> enumNames(HKEY key, bool values) {
  std::vector<std::string> names;
  if (!key) return names;
  DWORD subKeys = 0, maxSubKeyLen = 0, valueCount = 0, maxValueLen = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen, nullptr, &valueCount, &maxValueLen,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return names;
  DWORD count = values ? valueCount : subKeys;
  std::vector<char> buffer((values ? maxValueLen : maxSubKeyLen) + 2);
  for (DWORD i = 0; i < count; ++i) {
    for (;;) {
      DWORD len = static_cast<DWORD>(buffer.size());
      LONG rc = values ? RegEnumValueA(key, i, buffer.data(), &len, nullptr, nullptr, nullptr, nullptr)
                       : RegEnumKeyExA(key, i, buffer.data(), &len, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_MORE_DATA) {
        // The key changed since it was measured.
        buffer.resize(buffer.size() * 2);
        continue;
      }
      if (rc == ERROR_SUCCESS) names.emplace_back(buffer.data(), len);
      break;
    }
  }
  return names;
}

// Replaces the lines of strings, as one update.
void setLines(TStrings* strings, const std::vector<std::string>& lines) {
  strings->BeginUpdate();
  strings->Clear();
  for (const std::string& line : lines) strings->Add(line);
  strings->EndUpdate();
}

// Copies the values and sub-keys of source into dest, as they are.
void copyKeyContents(HKEY source, HKEY dest) {
  for (const std::string& name : enumNames(source, true)) {
    DWORD type = REG_NONE, size = 0;
    if (RegQueryValueExA(source, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) continue;
    std::vector<BYTE> data(size + 1);
    if (RegQueryValueExA(source, name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS) continue;
    RegSetValueExA(dest, name.c_str(), 0, type, data.data(), size);
  }
  for (const std::string& name : enumNames(source, false)) {
    HKEY from = nullptr, to = nullptr;
    if (RegOpenKeyExA(source, name.c_str(), 0, KEY_READ, &from) != ERROR_SUCCESS) continue;
    if (RegCreateKeyExA(dest, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &to,
                        nullptr) == ERROR_SUCCESS) {
      copyKeyContents(from, to);
      RegCloseKey(to);
    }
    RegCloseKey(from);
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TRegistry: keys

TRegistry::TRegistry() = default;

TRegistry::TRegistry(LongWord accessMode) : access_(accessMode) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY value) {
  if (rootKey_ == value) return;
  rootKey_ = value;
  CloseKey();
}

void TRegistry::CloseKey() {
  if (!currentKey_) return;
  if (!lazyWrite_) RegFlushKey(currentKey_);
  RegCloseKey(currentKey_);
  currentKey_ = nullptr;
  currentPath_.clear();
}

void TRegistry::ChangeKey(HKEY value, const std::string& path) {
  CloseKey();
  currentKey_ = value;
  currentPath_ = path;
}

HKEY TRegistry::GetBaseKey(bool relative) const { return currentKey_ && relative ? currentKey_ : rootKey_; }

HKEY TRegistry::GetKey(const std::string& key) {
  HKEY result = nullptr;
  if (RegOpenKeyExA(GetBaseKey(isRelative(key)), withoutRoot(key).c_str(), 0, access_, &result) != ERROR_SUCCESS)
    return nullptr;
  return result;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  bool relative = isRelative(key);
  std::string path = withoutRoot(key);
  HKEY base = GetBaseKey(relative);
  HKEY opened = nullptr;
  LONG rc = !canCreate || path.empty()
                ? RegOpenKeyExA(base, path.c_str(), 0, access_, &opened)
                : RegCreateKeyExA(base, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr, &opened,
                                  nullptr);
  if (rc != ERROR_SUCCESS) return false;
  if (currentKey_ && relative && !currentPath_.empty())
    path = path.empty() ? currentPath_ : currentPath_ + "\\" + path;
  ChangeKey(opened, path);
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
  LongWord old = access_;
  access_ = KEY_READ;
  if (OpenKey(key, false)) return true;
  access_ = old;
  return false;
}

bool TRegistry::CreateKey(const std::string& key) {
  HKEY created = nullptr;
  if (RegCreateKeyExA(GetBaseKey(isRelative(key)), withoutRoot(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &created, nullptr) != ERROR_SUCCESS)
    throw ERegistryException(Format("Failed to create key %s", key));
  RegCloseKey(created);
  return true;
}

bool TRegistry::DeleteKey(const std::string& key) {
  std::string path = withoutRoot(key);
  if (path.empty()) return false;
  HKEY base = GetBaseKey(isRelative(key));
  // The registry deletes only keys without sub-keys: empty this one from the bottom up.
  if (HKEY doomed = GetKey(key)) {
    HKEY old = currentKey_;
    currentKey_ = doomed;
    {
      ScopeExit atEnd([&] { currentKey_ = old; RegCloseKey(doomed); });
      for (const std::string& name : enumNames(doomed, false)) DeleteKey(name);
    }
  }
  return RegDeleteKeyA(base, path.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const std::string& key) {
  LongWord old = access_;
  access_ = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
  HKEY opened = GetKey(key);
  access_ = old;
  if (opened) RegCloseKey(opened);
  return opened != nullptr;
}

void TRegistry::MoveKey(const std::string& oldName, const std::string& newName, bool del) {
  if (!KeyExists(oldName) || KeyExists(newName)) return;
  HKEY source = GetKey(oldName);
  if (!source) return;
  CreateKey(newName);
  HKEY dest = GetKey(newName);
  if (dest) {
    copyKeyContents(source, dest);
    RegCloseKey(dest);
  }
  RegCloseKey(source);
  if (dest && del) DeleteKey(oldName);
}

bool TRegistry::GetKeyInfo(TRegKeyInfo& value) {
  value = TRegKeyInfo();
  DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxValueLen = 0, maxDataLen = 0;
  if (!currentKey_ ||
      RegQueryInfoKeyA(currentKey_, nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen, nullptr, &values, &maxValueLen,
                       &maxDataLen, nullptr, &value.FileTime) != ERROR_SUCCESS)
    return false;
  value.NumSubKeys = static_cast<Integer>(subKeys);
  value.MaxSubKeyLen = static_cast<Integer>(maxSubKeyLen);
  value.NumValues = static_cast<Integer>(values);
  value.MaxValueLen = static_cast<Integer>(maxValueLen);
  value.MaxDataLen = static_cast<Integer>(maxDataLen);
  return true;
}

bool TRegistry::HasSubKeys() {
  TRegKeyInfo info;
  return GetKeyInfo(info) && info.NumSubKeys > 0;
}

void TRegistry::GetKeyNames(TStrings* strings) { setLines(strings, enumNames(currentKey_, false)); }

void TRegistry::GetValueNames(TStrings* strings) { setLines(strings, enumNames(currentKey_, true)); }

// ---------------------------------------------------------------------------------------
// TRegistry: values

bool TRegistry::queryRaw(HKEY key, const std::string& name, DWORD& type, std::vector<char>& data) {
  for (;;) {
    DWORD size = 0;
    LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (rc == ERROR_FILE_NOT_FOUND) return false;
    if (rc != ERROR_SUCCESS) throw ERegistryException(Format("Failed to get data for '%s'", name));
    data.assign(size, '\0');
    rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    if (rc == ERROR_MORE_DATA) continue;  // it grew between the two calls
    if (rc == ERROR_FILE_NOT_FOUND) return false;
    if (rc != ERROR_SUCCESS) throw ERegistryException(Format("Failed to get data for '%s'", name));
    data.resize(size);
    return true;
  }
}

bool TRegistry::ValueExists(const std::string& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info);
}

bool TRegistry::DeleteValue(const std::string& name) {
  return RegDeleteValueA(currentKey_, name.c_str()) == ERROR_SUCCESS;
}

void TRegistry::RenameValue(const std::string& oldName, const std::string& newName) {
  if (!ValueExists(oldName) || ValueExists(newName)) return;
  DWORD type = REG_NONE;
  std::vector<char> data;
  if (!queryRaw(currentKey_, oldName, type, data)) return;
  // Written under the new name first, so a failed write loses nothing.
  if (RegSetValueExA(currentKey_, newName.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                     static_cast<DWORD>(data.size())) != ERROR_SUCCESS)
    throw ERegistryException(Format("Failed to set data for '%s'", newName));
  DeleteValue(oldName);
}

bool TRegistry::GetDataInfo(const std::string& valueName, TRegDataInfo& value) {
  value = TRegDataInfo();
  DWORD type = REG_NONE, size = 0;
  if (!currentKey_ || RegQueryValueExA(currentKey_, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  value.RegData = dataTypeToRegData(type);
  value.DataSize = static_cast<Integer>(size);
  return true;
}

Integer TRegistry::GetDataSize(const std::string& valueName) {
  TRegDataInfo info;
  return GetDataInfo(valueName, info) ? info.DataSize : -1;
}

TRegDataType TRegistry::GetDataType(const std::string& valueName) {
  TRegDataInfo info;
  return GetDataInfo(valueName, info) ? info.RegData : rdUnknown;
}

Integer TRegistry::GetData(const std::string& name, void* buffer, Integer bufSize, TRegDataType& regData) {
  DWORD type = REG_NONE;
  auto size = static_cast<DWORD>(bufSize);
  if (RegQueryValueExA(currentKey_, name.c_str(), nullptr, &type, static_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
    throw ERegistryException(Format("Failed to get data for '%s'", name));
  regData = dataTypeToRegData(type);
  return static_cast<Integer>(size);
}

void TRegistry::PutData(const std::string& name, const void* buffer, Integer bufSize, TRegDataType regData) {
  if (RegSetValueExA(currentKey_, name.c_str(), 0, regDataToDataType(regData), static_cast<const BYTE*>(buffer),
                     static_cast<DWORD>(bufSize)) != ERROR_SUCCESS)
    throw ERegistryException(Format("Failed to set data for '%s'", name));
}

void TRegistry::ReadError(const std::string& name) {
  throw ERegistryException(Format("Invalid data type for '%s'", name));
}

std::string TRegistry::readText(const std::string& name) {
  DWORD type = REG_NONE;
  std::vector<char> data;
  if (!queryRaw(currentKey_, name, type, data)) return "";
  if (!isText(type)) ReadError(name);
  return textOf(data);
}

void TRegistry::readEightBytes(const std::string& name, void* out) {
  DWORD type = REG_NONE;
  std::vector<char> data;
  if (!queryRaw(currentKey_, name, type, data) || type != REG_BINARY || data.size() != 8) ReadError(name);
  std::memcpy(out, data.data(), 8);
}

std::string TRegistry::ReadString(const std::string& name) { return readText(name); }

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  PutData(name, value.c_str(), static_cast<Integer>(value.size() + 1), rdString);
}

std::string TRegistry::ReadExpandString(const std::string& name) { return readText(name); }

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
  PutData(name, value.c_str(), static_cast<Integer>(value.size() + 1), rdExpandString);
}

Integer TRegistry::ReadInteger(const std::string& name) {
  DWORD type = REG_NONE;
  std::vector<char> data;
  if (!queryRaw(currentKey_, name, type, data) || type != REG_DWORD || data.size() != sizeof(DWORD)) ReadError(name);
  Integer value = 0;
  std::memcpy(&value, data.data(), sizeof(value));
  return value;
}

void TRegistry::WriteInteger(const std::string& name, Integer value) {
  PutData(name, &value, sizeof(value), rdInteger);
}

bool TRegistry::ReadBool(const std::string& name) { return ReadInteger(name) != 0; }

void TRegistry::WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

double TRegistry::ReadFloat(const std::string& name) {
  double value = 0;
  readEightBytes(name, &value);
  return value;
}

void TRegistry::WriteFloat(const std::string& name, double value) { PutData(name, &value, sizeof(value), rdBinary); }

TDateTime TRegistry::ReadDate(const std::string& name) { return ReadFloat(name); }
void TRegistry::WriteDate(const std::string& name, TDateTime value) { WriteFloat(name, value); }
TDateTime TRegistry::ReadDateTime(const std::string& name) { return ReadFloat(name); }
void TRegistry::WriteDateTime(const std::string& name, TDateTime value) { WriteFloat(name, value); }
TDateTime TRegistry::ReadTime(const std::string& name) { return ReadFloat(name); }
void TRegistry::WriteTime(const std::string& name, TDateTime value) { WriteFloat(name, value); }

Currency TRegistry::ReadCurrency(const std::string& name) {
  Int64 scaled = 0;
  readEightBytes(name, &scaled);
  return Currency::FromScaled(scaled);
}

void TRegistry::WriteCurrency(const std::string& name, Currency value) {
  PutData(name, &value.Value, sizeof(value.Value), rdBinary);
}

Integer TRegistry::ReadBinaryData(const std::string& name, void* buffer, Integer bufSize) {
  TRegDataInfo info;
  if (!GetDataInfo(name, info)) return 0;
  if ((info.RegData != rdBinary && info.RegData != rdUnknown) || info.DataSize > bufSize) ReadError(name);
  TRegDataType type = rdUnknown;
  return GetData(name, buffer, info.DataSize, type);
}

void TRegistry::WriteBinaryData(const std::string& name, const void* buffer, Integer bufSize) {
  PutData(name, buffer, bufSize, rdBinary);
}

// ---------------------------------------------------------------------------------------
// TRegIniFile

TRegIniFile::TRegIniFile(const std::string& fileName) : TRegIniFile(fileName, KEY_ALL_ACCESS) {}

TRegIniFile::TRegIniFile(const std::string& fileName, LongWord accessMode)
    : TRegistry(accessMode), fileName_(fileName) {
  OpenKey(fileName, true);
}

namespace {

// The text of an INI-like entry: text values as they are, REG_DWORD values as decimal;
// false for a missing value or one of another type.
bool readIniText(TRegistry& reg, const std::string& ident, std::string& text) {
  TRegDataInfo info;
  if (!reg.GetDataInfo(ident, info)) return false;
  switch (info.RegData) {
    case rdString:
    case rdExpandString: text = reg.ReadString(ident); return true;
    case rdInteger: text = IntToStr(reg.ReadInteger(ident)); return true;
    default: return false;
  }
}

}  // namespace

std::string TRegIniFile::ReadString(const std::string& section, const std::string& ident, const std::string& def) {
  std::string result = def;
  withSection(section, false, [&] {
    std::string text;
    if (readIniText(*this, ident, text)) result = text;
  });
  return result;
}

void TRegIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
  withSection(section, true, [&] { TRegistry::WriteString(ident, value); });
}

Integer TRegIniFile::ReadInteger(const std::string& section, const std::string& ident, Integer def) {
  Integer result = def;
  withSection(section, false, [&] {
    if (GetDataType(ident) == rdInteger) {
      result = TRegistry::ReadInteger(ident);
      return;
    }
    std::string text;
    if (readIniText(*this, ident, text)) result = StrToIntDef(text, def);
  });
  return result;
}

void TRegIniFile::WriteInteger(const std::string& section, const std::string& ident, Integer value) {
  WriteString(section, ident, IntToStr(value));
}

bool TRegIniFile::ReadBool(const std::string& section, const std::string& ident, bool def) {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TRegIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

void TRegIniFile::ReadSection(const std::string& section, TStrings* strings) {
  if (!withSection(section, false, [&] { GetValueNames(strings); })) strings->Clear();
}

void TRegIniFile::ReadSections(TStrings* strings) { GetKeyNames(strings); }

void TRegIniFile::ReadSectionValues(const std::string& section, TStrings* strings) {
  std::vector<std::string> lines;
  withSection(section, false, [&] {
    for (const std::string& name : enumNames(CurrentKey(), true)) {
      std::string text;
      if (readIniText(*this, name, text)) lines.push_back(name + "=" + text);
    }
  });
  setLines(strings, lines);
}

void TRegIniFile::EraseSection(const std::string& section) { TRegistry::DeleteKey(section); }

void TRegIniFile::DeleteKey(const std::string& section, const std::string& ident) {
  withSection(section, false, [&] { DeleteValue(ident); });
}

// ---------------------------------------------------------------------------------------
// TRegistryIniFile

TRegistryIniFile::TRegistryIniFile(const std::string& fileName) : TRegistryIniFile(fileName, KEY_ALL_ACCESS) {}

TRegistryIniFile::TRegistryIniFile(const std::string& fileName, LongWord accessMode)
    : TCustomIniFile(fileName), regIniFile_(New<TRegIniFile>(fileName, accessMode)) {}

TRegistryIniFile::~TRegistryIniFile() = default;

std::string TRegistryIniFile::ReadString(const std::string& section, const std::string& ident,
                                         const std::string& def) {
  return regIniFile_->ReadString(section, ident, def);
}

void TRegistryIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
  regIniFile_->WriteString(section, ident, value);
}

Integer TRegistryIniFile::ReadInteger(const std::string& section, const std::string& ident, Integer def) {
  return regIniFile_->ReadInteger(section, ident, def);
}

void TRegistryIniFile::WriteInteger(const std::string& section, const std::string& ident, Integer value) {
  TRegistry& reg = *regIniFile_;
  regIniFile_->withSection(section, true, [&] { reg.WriteInteger(ident, value); });
}

template <class FromText>
double TRegistryIniFile::readDouble(const std::string& section, const std::string& ident, double def,
                                    FromText fromText) {
  TRegistry& reg = *regIniFile_;
  double result = def;
  regIniFile_->withSection(section, false, [&] {
    TRegDataInfo info;
    if (!reg.GetDataInfo(ident, info)) return;
    if (info.RegData == rdBinary && info.DataSize == sizeof(double)) {
      result = reg.ReadFloat(ident);
    } else if (info.RegData == rdString || info.RegData == rdExpandString) {
      double value = 0;
      std::string text = reg.ReadString(ident);
      if (!text.empty() && fromText(text, value)) result = value;
    }
  });
  return result;
}

void TRegistryIniFile::writeDouble(const std::string& section, const std::string& ident, double value) {
  TRegistry& reg = *regIniFile_;
  regIniFile_->withSection(section, true, [&] { reg.WriteFloat(ident, value); });
}

double TRegistryIniFile::ReadFloat(const std::string& section, const std::string& ident, double def) {
  return readDouble(section, ident, def, [](const std::string& s, double& v) { return TryStrToFloat(s, v); });
}

void TRegistryIniFile::WriteFloat(const std::string& section, const std::string& ident, double value) {
  writeDouble(section, ident, value);
}

TDateTime TRegistryIniFile::ReadDate(const std::string& section, const std::string& ident, TDateTime def) {
  return readDouble(section, ident, def, [](const std::string& s, double& v) { return TryStrToDate(s, v); });
}

void TRegistryIniFile::WriteDate(const std::string& section, const std::string& ident, TDateTime value) {
  writeDouble(section, ident, value);
}

TDateTime TRegistryIniFile::ReadDateTime(const std::string& section, const std::string& ident, TDateTime def) {
  return readDouble(section, ident, def, [](const std::string& s, double& v) { return TryStrToDateTime(s, v); });
}

void TRegistryIniFile::WriteDateTime(const std::string& section, const std::string& ident, TDateTime value) {
  writeDouble(section, ident, value);
}

TDateTime TRegistryIniFile::ReadTime(const std::string& section, const std::string& ident, TDateTime def) {
  return readDouble(section, ident, def, [](const std::string& s, double& v) { return TryStrToTime(s, v); });
}

void TRegistryIniFile::WriteTime(const std::string& section, const std::string& ident, TDateTime value) {
  writeDouble(section, ident, value);
}

Integer TRegistryIniFile::ReadBinaryStream(const std::string& section, const std::string& ident, TStream* value) {
  TRegistry& reg = *regIniFile_;
  Integer count = 0;
  regIniFile_->withSection(section, false, [&] {
    TRegDataInfo info;
    if (!reg.GetDataInfo(ident, info) || (info.RegData != rdBinary && info.RegData != rdUnknown)) return;
    std::vector<char> bytes(static_cast<size_t>(info.DataSize));
    count = bytes.empty() ? 0 : reg.ReadBinaryData(ident, bytes.data(), info.DataSize);
    if (count == 0) return;
    Int64 start = value->Position();
    value->WriteBuffer(bytes.data(), count);
    value->SetPosition(start);
  });
  return count;
}

void TRegistryIniFile::WriteBinaryStream(const std::string& section, const std::string& ident, TStream* value) {
  Int64 count = value->Size() - value->Position();
  std::vector<char> bytes(static_cast<size_t>(count > 0 ? count : 0));
  if (!bytes.empty()) value->ReadBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  TRegistry& reg = *regIniFile_;
  regIniFile_->withSection(section, true, [&] {
    reg.WriteBinaryData(ident, bytes.data(), static_cast<Integer>(bytes.size()));
  });
}

void TRegistryIniFile::ReadSection(const std::string& section, TStrings* strings) {
  regIniFile_->ReadSection(section, strings);
}

void TRegistryIniFile::ReadSections(TStrings* strings) { regIniFile_->ReadSections(strings); }

void TRegistryIniFile::ReadSectionValues(const std::string& section, TStrings* strings) {
  regIniFile_->ReadSectionValues(section, strings);
}

void TRegistryIniFile::EraseSection(const std::string& section) { regIniFile_->EraseSection(section); }

void TRegistryIniFile::DeleteKey(const std::string& section, const std::string& ident) {
  regIniFile_->DeleteKey(section, ident);
}

void TRegistryIniFile::UpdateFile() {}
