#include "lib/JvAppIniStorage.h"

#include <cstring>

#include "lib/JvUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Scoped.h"

// =======================================================================================
// Options

RTL_BEGIN_CLASS(TJvAppIniStorageOptions)
using O = TJvAppIniStorageOptions;
b.Property("ReplaceCRLF", &O::ReplaceCRLF, &O::SetReplaceCRLF).Default(false);
b.Property("PreserveLeadingTrailingBlanks", &O::PreserveLeadingTrailingBlanks, &O::SetPreserveLeadingTrailingBlanks)
    .Default(false);
RTL_END_CLASS

void TJvAppIniStorageOptions::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TJvAppIniStorageOptions*>(Source)) {
    replaceCRLF_ = src->replaceCRLF_;
    preserveLeadingTrailingBlanks_ = src->preserveLeadingTrailingBlanks_;
  }
  TJvAppStorageOptions::Assign(Source);
}

// =======================================================================================
// Value text encoding

namespace {

bool needsEscape(const std::string& text) { return text.find_first_of("\r\n\\") != std::string::npos; }

// '\' -> "\\", and each line break (CR LF, LF, CR) -> "\n".
std::string escapeLineBreaks(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\\n";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

// "\\" -> '\', "\n" -> CR LF; any other character (a '\' before another one too) as it is.
std::string unescapeLineBreaks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
      out += '\\';
      ++i;
    } else if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out += "\r\n";
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The file trims every character up to the blank from both ends of a value.
inline bool trimmedByFile(char c) { return static_cast<Byte>(c) <= ' '; }

bool needsQuotes(const std::string& text) {
  if (text.empty()) return false;
  return trimmedByFile(text.front()) || trimmedByFile(text.back()) || (text.front() == '"' && text.back() == '"');
}

bool isQuoted(const std::string& text) { return text.size() >= 2 && text.front() == '"' && text.back() == '"'; }

const char* const kSectionUndefined = "TJvAppIniFileStorage.ReadValue: Section undefined";

}  // namespace

// =======================================================================================
// The storage

RTL_IMPLEMENT_CLASS(TJvCustomAppIniStorage)

TJvCustomAppIniStorage::TJvCustomAppIniStorage(TComponent* AOwner)
    : TJvCustomAppMemoryFileStorage(AOwner), iniFile_(new TMemIniFile("")) {}

TJvCustomAppIniStorage::~TJvCustomAppIniStorage() = default;

TClass TJvCustomAppIniStorage::OptionsClass() const { return TJvAppIniStorageOptions::StaticClass(); }

TJvAppIniStorageOptions* TJvCustomAppIniStorage::IniStorageOptions() {
  return static_cast<TJvAppIniStorageOptions*>(StorageOptions());
}

std::string TJvCustomAppIniStorage::GetAsString() {
  TStringList lines;
  iniFile_->GetStrings(&lines);
  return lines.Text();
}

void TJvCustomAppIniStorage::SetAsString(const std::string& Value) {
  TStringList lines;
  lines.SetText(Value);
  iniFile_->SetStrings(&lines);
  SetFileLoaded(true);
  SetModified(true);
}

void TJvCustomAppIniStorage::SplitValuePath(const std::string& Path, std::string& Key, std::string& ValueName) {
  TJvCustomAppMemoryFileStorage::SplitValuePath(Path, Key, ValueName);
  if (Key.empty()) Key = defaultSection_;
}

std::string TJvCustomAppIniStorage::CharSetElementName(char C) {
  if (C >= 'a' && C <= 'z') return "Char#" + IntToStr(static_cast<Integer>(static_cast<Byte>(C)));
  return TJvCustomAppMemoryFileStorage::CharSetElementName(C);
}

std::string TJvCustomAppIniStorage::usableSection(const std::string& section) const {
  std::string s = section;
  if (s.empty() || s[0] == '.') s = defaultSection_ + s;
  if (s.empty() || s[0] == '.') throw EJvAppStorageError(kSectionUndefined);
  return s;
}

void TJvCustomAppIniStorage::reloadIfNeeded() {
  if (NeedsReload()) Reload();
}

void TJvCustomAppIniStorage::flushIfNeeded() {
  if (NeedsFlush()) Flush();
}

std::string TJvCustomAppIniStorage::ReadValue(const std::string& Section, const std::string& Key) {
  reloadIfNeeded();
  std::string value = iniFile_->ReadString(usableSection(Section), Key, std::string());
  TJvAppIniStorageOptions* opts = IniStorageOptions();
  if (opts->PreserveLeadingTrailingBlanks() && isQuoted(value)) value = value.substr(1, value.size() - 2);
  if (opts->ReplaceCRLF()) value = unescapeLineBreaks(value);
  return value;
}

void TJvCustomAppIniStorage::WriteValue(const std::string& Section, const std::string& Key,
                                        const std::string& Value) {
  reloadIfNeeded();
  const std::string section = usableSection(Section);
  TJvAppIniStorageOptions* opts = IniStorageOptions();
  std::string value = Value;
  if (opts->ReplaceCRLF() && needsEscape(value)) value = escapeLineBreaks(value);
  if (opts->PreserveLeadingTrailingBlanks() && needsQuotes(value)) value = "\"" + value + "\"";
  iniFile_->WriteString(section, Key, value);
  SetModified(true);
  flushIfNeeded();
}

void TJvCustomAppIniStorage::RemoveValue(const std::string& Section, const std::string& Key) {
  reloadIfNeeded();
  const std::string section = usableSection(Section);
  if (iniFile_->ValueExists(section, Key)) {
    iniFile_->DeleteKey(section, Key);
  } else {
    const std::string sub = section + "\\" + Key;
    if (iniFile_->SectionExists(sub)) iniFile_->EraseSection(sub);
  }
  SetModified(true);
  flushIfNeeded();
}

// ---------------------------------------------------------------------------------------
// Primitives.

void TJvCustomAppIniStorage::ListFolders(const std::string& Path, TStrings* List, bool ListIsValue) {
  reloadIfNeeded();
  TStringList sections;
  iniFile_->ReadSections(&sections);
  const std::string prefix = AnsiUpperCase(Path) + "\\";
  UpdateLock lock(List);
  List->Clear();
  for (Integer i = 0; i < sections.Count(); ++i) {
    const std::string name = sections.Strings(i);
    if (ListIsValue && iniFile_->ValueExists(name, "Count")) continue;
    if (Path.empty()) {
      List->Add(name);
    } else if (AnsiUpperCase(name).compare(0, prefix.size(), prefix) == 0 &&
               name.find('\\', prefix.size()) == std::string::npos) {
      List->Add(name.substr(Path.size()));
    }
  }
}

namespace {

// "Item" (any case) followed by a digit: the name of a list item.
bool isListItemName(const std::string& name) {
  return name.size() > 4 && SameText(name.substr(0, 4), "Item") && name[4] >= '0' && name[4] <= '9';
}

}  // namespace

void TJvCustomAppIniStorage::ListValues(const std::string& Path, TStrings* List, bool ListIsValue) {
  reloadIfNeeded();
  const std::string section = Path.empty() ? DefaultSection() : Path;
  TStringList keys;
  iniFile_->ReadSection(section, &keys);
  const bool list = ListIsValue && iniFile_->ValueExists(section, "Count");
  UpdateLock lock(List);
  List->Clear();
  for (Integer i = 0; i < keys.Count(); ++i) {
    const std::string key = keys.Strings(i);
    if (list && (SameText(key, "Count") || isListItemName(key))) continue;
    List->Add(key);
  }
  if (list) List->Add(std::string());
}

bool TJvCustomAppIniStorage::IsFolderAt(const std::string& Path, bool ListIsValue) {
  reloadIfNeeded();
  const std::string section = Path.empty() ? DefaultSection() : Path;
  if (!iniFile_->SectionExists(section)) return false;
  return !(ListIsValue && iniFile_->ValueExists(section, "Count"));
}

bool TJvCustomAppIniStorage::PathExistsAt(const std::string& Path) {
  reloadIfNeeded();
  std::string section, key;
  SplitValuePath(Path, section, key);
  return iniFile_->SectionExists(section.empty() ? key : section + "\\" + key);
}

bool TJvCustomAppIniStorage::ValueStoredAt(const std::string& Path) {
  reloadIfNeeded();
  std::string section, key;
  SplitValuePath(Path, section, key);
  return iniFile_->ValueExists(usableSection(section), key);
}

void TJvCustomAppIniStorage::DeleteValueAt(const std::string& Path) {
  std::string section, key;
  SplitValuePath(Path, section, key);
  RemoveValue(section, key);
}

void TJvCustomAppIniStorage::DeleteSubTreeAt(const std::string& Path) {
  // Also when the file was never read: erasing in an empty copy and flushing it would
  // wipe the file.
  reloadIfNeeded();
  TStringList sections;
  iniFile_->ReadSections(&sections);
  const std::string path = AnsiUpperCase(Path);
  const std::string below = path + "\\";
  for (Integer i = 0; i < sections.Count(); ++i) {
    const std::string name = AnsiUpperCase(sections.Strings(i));
    // The section of the path itself and those below it; "Principal" does not take
    // "Principal2" with it.
    if (Path.empty() || name == path || name.compare(0, below.size(), below) == 0)
      iniFile_->EraseSection(sections.Strings(i));
  }
  SetModified(true);
  flushIfNeeded();
}

Integer TJvCustomAppIniStorage::GetIntegerAt(const std::string& Path, Integer Default) {
  if (!ValueStoredAt(Path)) return Default;
  std::string section, key;
  SplitValuePath(Path, section, key);
  const std::string text = ReadValue(section, key);
  return text.empty() ? 0 : StrToInt(text);
}

void TJvCustomAppIniStorage::PutIntegerAt(const std::string& Path, Integer Value) {
  std::string section, key;
  SplitValuePath(Path, section, key);
  WriteValue(section, key, IntToStr(Value));
}

namespace {
constexpr Integer kExtendedBytes = 10;  // the 80-bit extended value, without the padding
}  // namespace

Extended TJvCustomAppIniStorage::GetFloatAt(const std::string& Path, Extended Default) {
  if (!ValueStoredAt(Path)) return Default;
  std::string section, key;
  SplitValuePath(Path, section, key);
  Extended value = 0;
  std::memset(&value, 0, sizeof(value));
  if (JvHexTextToBytes(ReadValue(section, key), &value, kExtendedBytes) != kExtendedBytes) return Default;
  return value;
}

void TJvCustomAppIniStorage::PutFloatAt(const std::string& Path, Extended Value) {
  std::string section, key;
  SplitValuePath(Path, section, key);
  std::string text;
  JvBytesToHexText(&Value, kExtendedBytes, text);
  WriteValue(section, key, text);
}

std::string TJvCustomAppIniStorage::GetStringAt(const std::string& Path, const std::string& Default) {
  if (!ValueStoredAt(Path)) return Default;
  std::string section, key;
  SplitValuePath(Path, section, key);
  return ReadValue(section, key);
}

void TJvCustomAppIniStorage::PutStringAt(const std::string& Path, const std::string& Value) {
  std::string section, key;
  SplitValuePath(Path, section, key);
  WriteValue(section, key, Value);
}

Integer TJvCustomAppIniStorage::GetBinaryAt(const std::string& Path, void* Buffer, Integer BufSize) {
  if (!ValueStoredAt(Path)) return 0;
  std::string section, key;
  SplitValuePath(Path, section, key);
  return JvHexTextToBytes(ReadValue(section, key), Buffer, BufSize);
}

void TJvCustomAppIniStorage::PutBinaryAt(const std::string& Path, const void* Buffer, Integer BufSize) {
  std::string section, key;
  SplitValuePath(Path, section, key);
  std::string text;
  JvBytesToHexText(Buffer, BufSize, text);
  WriteValue(section, key, text);
}

// =======================================================================================
// The file storage

RTL_BEGIN_CLASS(TJvAppIniFileStorage)
using S = TJvAppIniFileStorage;
b.Property("AutoFlush", &S::AutoFlush, &S::SetAutoFlush).Default(false);
b.Property("AutoReload", &S::AutoReload, &S::SetAutoReload).Default(false);
b.Property("FileName", &S::FileName, &S::SetFileName);
b.Property("Location", &S::Location, &S::SetLocation).Default(flExeFile);
b.Property("DefaultSection", &S::DefaultSection, &S::SetDefaultSection);
b.Property("SubStorages", &S::SubStorages, &S::SetSubStorages);
b.Property("OnGetFileName", &S::OnGetFileName, &S::SetOnGetFileName);
b.Property("StorageOptions", &S::StorageOptions, &S::SetStorageOptions);
RTL_END_CLASS

void TJvAppIniFileStorage::Flush() {
  const std::string name = FullFileName();
  if (name.empty() || ReadOnly() || ComponentState().Contains(csDesigning)) return;
  // The folder of the file about to be written (which may not be the one last read).
  const std::string folder = ExtractFileDir(name);
  if (!folder.empty() && !DirectoryExists(folder)) ForceDirectories(folder);
  IniFile()->Rename(name, false);
  IniFile()->UpdateFile();
  SetModified(false);
}

void TJvAppIniFileStorage::Reload() {
  if (IsUpdating() || ComponentState().Contains(csDesigning)) return;
  TJvCustomAppIniStorage::Reload();
  const std::string name = FullFileName();
  if (!name.empty() && FileExists(name)) IniFile()->Rename(name, true);
  else IniFile()->Clear();
  SetModified(false);
}
