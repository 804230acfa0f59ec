#include "platform/rtl/IniFiles.h"

#include <algorithm>
#include "platform/rtl/Scoped.h"

RTL_IMPLEMENT_CLASS(EIniFileException)
RTL_IMPLEMENT_CLASS(TCustomIniFile)
RTL_IMPLEMENT_CLASS(TIniFile)
RTL_IMPLEMENT_CLASS(TMemIniFile)

namespace {

const char hexDigits[] = "0123456789ABCDEF";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Upper-case hexadecimal text of the bytes, two digits a byte.
std::string bytesToHex(const std::vector<char>& bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (char c : bytes) {
    auto b = static_cast<unsigned char>(c);
    text += hexDigits[b >> 4];
    text += hexDigits[b & 0x0F];
  }
  return text;
}

// The bytes of hexadecimal text, up to the first pair that is not two hex digits (an odd
// last digit is ignored).
std::vector<char> hexToBytes(const std::string& text) {
  std::vector<char> bytes;
  bytes.reserve(text.size() / 2);
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    int hi = hexValue(text[i]);
    int lo = hexValue(text[i + 1]);
    if (hi < 0 || lo < 0) break;
    bytes.push_back(static_cast<char>(hi << 4 | lo));
  }
  return bytes;
}

// Splits a buffer of null-terminated strings ending with an empty one (the profile
// functions' list form) into strings.
void addNullSeparated(const std::vector<char>& buffer, size_t length, TStrings* strings) {
  size_t start = 0;
  for (size_t i = 0; i < length; ++i) {
    if (buffer[i] == '\0') {
      if (i > start) strings->Add(std::string(&buffer[start], i - start));
      start = i + 1;
    }
  }
  if (start < length) strings->Add(std::string(&buffer[start], length - start));
}

// Clears strings and fills it inside one update, as every list-filling read does.
template <class F> void fillStrings(TStrings* strings, F fill) {
  {
    UpdateLock lock(strings);
    strings->Clear();
    fill();
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TCustomIniFile

TCustomIniFile::TCustomIniFile(const std::string& fileName) : fileName_(fileName) {}

bool TCustomIniFile::SectionExists(const std::string& section) {
  TStringList keys;
  ReadSection(section, &keys);
  return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const std::string& section, const std::string& ident) {
  TStringList keys;
  ReadSection(section, &keys);
  return keys.IndexOf(ident) >= 0;
}

Integer TCustomIniFile::ReadInteger(const std::string& section, const std::string& ident, Integer def) {
  // StrToIntDef reads "$1F" and "0x1F" alike.
  return StrToIntDef(ReadString(section, ident, ""), def);
}

void TCustomIniFile::WriteInteger(const std::string& section, const std::string& ident, Integer value) {
  WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const std::string& section, const std::string& ident, bool def) {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

namespace {

// The typed value of a key: def when the key is absent or empty, or when convert (a
// TryStrTo... routine) refuses its text.
template <class T, class Convert>
T readConverted(TCustomIniFile& ini, const std::string& section, const std::string& ident, T def, Convert convert) {
  std::string text = ini.ReadString(section, ident, "");
  T value{};
  return !text.empty() && convert(text, value) ? value : def;
}

}  // namespace

double TCustomIniFile::ReadFloat(const std::string& section, const std::string& ident, double def) {
  return readConverted(*this, section, ident, def, [](const std::string& s, double& v) { return TryStrToFloat(s, v); });
}

void TCustomIniFile::WriteFloat(const std::string& section, const std::string& ident, double value) {
  WriteString(section, ident, FloatToStr(value));
}

TDateTime TCustomIniFile::ReadDate(const std::string& section, const std::string& ident, TDateTime def) {
  return readConverted(*this, section, ident, def, [](const std::string& s, TDateTime& v) { return TryStrToDate(s, v); });
}

void TCustomIniFile::WriteDate(const std::string& section, const std::string& ident, TDateTime value) {
  WriteString(section, ident, DateToStr(value));
}

TDateTime TCustomIniFile::ReadDateTime(const std::string& section, const std::string& ident, TDateTime def) {
  return readConverted(*this, section, ident, def,
                       [](const std::string& s, TDateTime& v) { return TryStrToDateTime(s, v); });
}

void TCustomIniFile::WriteDateTime(const std::string& section, const std::string& ident, TDateTime value) {
  WriteString(section, ident, DateTimeToStr(value));
}

TDateTime TCustomIniFile::ReadTime(const std::string& section, const std::string& ident, TDateTime def) {
  return readConverted(*this, section, ident, def, [](const std::string& s, TDateTime& v) { return TryStrToTime(s, v); });
}

void TCustomIniFile::WriteTime(const std::string& section, const std::string& ident, TDateTime value) {
  WriteString(section, ident, TimeToStr(value));
}

Integer TCustomIniFile::ReadBinaryStream(const std::string& section, const std::string& ident, TStream* value) {
  std::vector<char> bytes = hexToBytes(ReadString(section, ident, ""));
  if (bytes.empty()) return 0;
  Int64 start = value->Position();
  value->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  value->SetPosition(start);
  return static_cast<Integer>(bytes.size());
}

void TCustomIniFile::WriteBinaryStream(const std::string& section, const std::string& ident, TStream* value) {
  Int64 count = value->Size() - value->Position();
  std::vector<char> bytes(static_cast<size_t>(std::max<Int64>(count, 0)));
  if (!bytes.empty()) value->ReadBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  WriteString(section, ident, bytesToHex(bytes));
}

void TCustomIniFile::ReadSectionValues(const std::string& section, TStrings* strings) {
  TStringList keys;
  ReadSection(section, &keys);
  fillStrings(strings, [&] {
    for (Integer i = 0; i < keys.Count(); ++i)
      strings->Add(keys.Strings(i) + "=" + ReadString(section, keys.Strings(i), ""));
  });
}

// ---------------------------------------------------------------------------------------
// TIniFile

namespace {

// Calls read(buffer, size) with a growing buffer until the result is no longer cut off:
// the profile functions report a cut-off value as size - 1 and a cut-off list as size - 2.
template <class F> std::vector<char> readProfile(F read, size_t& length, DWORD cutOffMargin) {
  std::vector<char> buffer(2048);
  for (;;) {
    DWORD n = read(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n + cutOffMargin < buffer.size() || buffer.size() >= (64u << 20)) {
      length = n;
      return buffer;
    }
    buffer.resize(buffer.size() * 4);
  }
}

}  // namespace

TIniFile::TIniFile(const std::string& fileName) : TCustomIniFile(fileName) {}

TIniFile::~TIniFile() {
  // Flushing is best effort here: a destructor must not raise.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, fileName_.c_str());
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident, const std::string& def) {
  size_t length = 0;
  std::vector<char> buffer = readProfile(
      [&](char* buf, DWORD size) {
        return GetPrivateProfileStringA(section.c_str(), ident.c_str(), def.c_str(), buf, size, fileName_.c_str());
      },
      length, 1);
  return std::string(buffer.data(), length);
}

void TIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
  if (!WritePrivateProfileStringA(section.c_str(), ident.c_str(), value.c_str(), fileName_.c_str()))
    throw EIniFileException(Format("Unable to write to %s", fileName_));
}

void TIniFile::ReadSection(const std::string& section, TStrings* strings) {
  size_t length = 0;
  std::vector<char> buffer = readProfile(
      [&](char* buf, DWORD size) {
        return GetPrivateProfileStringA(section.c_str(), nullptr, nullptr, buf, size, fileName_.c_str());
      },
      length, 2);
  fillStrings(strings, [&] { addNullSeparated(buffer, length, strings); });
}

void TIniFile::ReadSections(TStrings* strings) {
  size_t length = 0;
  std::vector<char> buffer = readProfile(
      [&](char* buf, DWORD size) {
        return GetPrivateProfileStringA(nullptr, nullptr, nullptr, buf, size, fileName_.c_str());
      },
      length, 2);
  fillStrings(strings, [&] { addNullSeparated(buffer, length, strings); });
}

void TIniFile::EraseSection(const std::string& section) {
  if (!WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, fileName_.c_str()))
    throw EIniFileException(Format("Unable to write to %s", fileName_));
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident) {
  WritePrivateProfileStringA(section.c_str(), ident.c_str(), nullptr, fileName_.c_str());
}

void TIniFile::UpdateFile() { WritePrivateProfileStringA(nullptr, nullptr, nullptr, fileName_.c_str()); }

// ---------------------------------------------------------------------------------------
// TMemIniFile

TMemIniFile::TMemIniFile(const std::string& fileName) : TCustomIniFile(fileName) { loadValues(); }

bool TMemIniFile::sameName(const std::string& a, const std::string& b) const {
  return caseSensitive_ ? AnsiSameStr(a, b) : AnsiSameText(a, b);
}

TMemIniFile::Section* TMemIniFile::findSection(const std::string& name) const {
  for (const auto& section : sections_)
    if (sameName(section->Name, name)) return section.get();
  return nullptr;
}

TMemIniFile::Section& TMemIniFile::addSection(const std::string& name) {
  sections_.push_back(std::make_unique<Section>());
  sections_.back()->Name = name;
  return *sections_.back();
}

namespace {

// Length of the key name of a line; 0 when the line holds no key (no '=', or nothing
// before it).
size_t keyLength(const std::string& line) {
  size_t eq = line.find('=');
  return eq == std::string::npos ? 0 : eq;
}

}  // namespace

int TMemIniFile::findKey(const Section& section, const std::string& ident) const {
  for (size_t i = 0; i < section.Lines.size(); ++i) {
    const std::string& line = section.Lines[i];
    size_t n = keyLength(line);
    if (n > 0 && sameName(line.substr(0, n), ident)) return static_cast<int>(i);
  }
  return -1;
}

void TMemIniFile::loadValues() {
  if (fileName_.empty() || !FileExists(fileName_)) {
    Clear();
    return;
  }
  // The bytes are split here rather than through a string list's text, which ends at the
  // first null byte: a stray null must not hide the rest of the file.
  TMemoryStream stream;
  stream.LoadFromFile(fileName_);
  const char* bytes = static_cast<const char*>(stream.Memory());
  auto size = static_cast<size_t>(stream.Size());
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i <= size; ++i) {
    if (i < size && bytes[i] != '\r' && bytes[i] != '\n') continue;
    if (i < size || i > start) lines.emplace_back(bytes + start, i - start);
    if (i + 1 < size && bytes[i] == '\r' && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  setLines(lines);
}

void TMemIniFile::Clear() { sections_.clear(); }

void TMemIniFile::GetStrings(TStrings* list) {
  {
    UpdateLock lock(list);
    for (const auto& section : sections_) {
      list->Add("[" + section->Name + "]");
      for (const std::string& line : section->Lines) list->Add(line);
      list->Add("");
    }
  }
}

void TMemIniFile::SetStrings(TStrings* list) {
  std::vector<std::string> lines;
  lines.reserve(static_cast<size_t>(list->Count()));
  for (Integer i = 0; i < list->Count(); ++i) lines.push_back(list->Strings(i));
  setLines(lines);
}

void TMemIniFile::setLines(const std::vector<std::string>& lines) {
  Clear();
  Section* current = nullptr;
  for (const std::string& raw : lines) {
    std::string line = Trim(raw);
    if (line.empty() || line[0] == ';') continue;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      std::string name = Trim(line.substr(1, line.size() - 2));
      // A section named twice continues the first one, so its keys stay reachable.
      current = findSection(name);
      if (!current) current = &addSection(name);
    } else if (current) {
      size_t eq = line.find('=');
      if (eq != std::string::npos)
        current->Lines.push_back(Trim(line.substr(0, eq)) + "=" + Trim(line.substr(eq + 1)));
      else
        current->Lines.push_back(line);
    }
  }
}

void TMemIniFile::Rename(const std::string& fileName, bool reload) {
  fileName_ = fileName;
  if (reload) loadValues();
}

std::string TMemIniFile::ReadString(const std::string& section, const std::string& ident, const std::string& def) {
  if (const Section* s = findSection(section)) {
    int i = findKey(*s, ident);
    if (i >= 0) {
      const std::string& line = s->Lines[static_cast<size_t>(i)];
      return line.substr(line.find('=') + 1);
    }
  }
  return def;
}

void TMemIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
  Section* s = findSection(section);
  if (!s) s = &addSection(section);
  std::string line = ident + "=" + value;
  int i = findKey(*s, ident);
  if (i >= 0) s->Lines[static_cast<size_t>(i)] = line;
  else s->Lines.push_back(line);
}

void TMemIniFile::ReadSection(const std::string& section, TStrings* strings) {
  fillStrings(strings, [&] {
    if (const Section* s = findSection(section))
      for (const std::string& line : s->Lines)
        if (size_t n = keyLength(line)) strings->Add(line.substr(0, n));
  });
}

void TMemIniFile::ReadSections(TStrings* strings) {
  fillStrings(strings, [&] {
    for (const auto& section : sections_) strings->Add(section->Name);
  });
}

void TMemIniFile::ReadSectionValues(const std::string& section, TStrings* strings) {
  fillStrings(strings, [&] {
    if (const Section* s = findSection(section))
      for (const std::string& line : s->Lines)
        if (keyLength(line) > 0) strings->Add(line);
  });
}

void TMemIniFile::EraseSection(const std::string& section) {
  auto it = std::find_if(sections_.begin(), sections_.end(),
                         [&](const std::unique_ptr<Section>& s) { return sameName(s->Name, section); });
  if (it != sections_.end()) sections_.erase(it);
}

void TMemIniFile::DeleteKey(const std::string& section, const std::string& ident) {
  if (Section* s = findSection(section)) {
    int i = findKey(*s, ident);
    if (i >= 0) s->Lines.erase(s->Lines.begin() + i);
  }
}

void TMemIniFile::UpdateFile() {
  TStringList list;
  GetStrings(&list);
  list.SaveToFile(fileName_);
}
