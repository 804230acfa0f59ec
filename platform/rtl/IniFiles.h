#pragma once
// IniFiles: settings kept as sections of "key=value" lines.
//
// TCustomIniFile is the abstract surface every INI-like store shares: typed reads and
// writes built on ReadString/WriteString, and the section operations. Two stores derive
// from it here:
//   - TIniFile goes through the Win32 profile functions (GetPrivateProfileStringA ...), so
//     it reads and writes the file on every call and follows that API's rules (for one,
//     a value read loses a pair of surrounding quotes). It suits files other programs
//     share; the system's own settings use TMemIniFile.
//   - TMemIniFile reads the whole file once when created and keeps it in memory; nothing
//     reaches the disk until UpdateFile. Its layout and matching rules are described at
//     the class.
// The registry-backed store (TRegistryIniFile) lives in Registry.h.

#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/System.h"

// Raised by TIniFile when the profile functions refuse a write.
RTL_EXCEPTION(EIniFileException, Exception)

class TCustomIniFile : public TObject {
  RTL_DECLARE_CLASS(TCustomIniFile, TObject)
public:
  explicit TCustomIniFile(const std::string& fileName);

  const std::string& FileName() const { return fileName_; }

  // A section exists when it holds at least one key.
  virtual bool SectionExists(const std::string& section);
  virtual bool ValueExists(const std::string& section, const std::string& ident);

  // The text of the key; def when the key is absent. A key that is present with an empty
  // value reads as "".
  virtual std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) = 0;
  virtual void WriteString(const std::string& section, const std::string& ident, const std::string& value) = 0;

  // The typed reads return def when the key is absent, empty or does not convert; they
  // never raise for the value's text.
  //
  // Integers: decimal, or hexadecimal written "$1F" or "0x1F".
  virtual Integer ReadInteger(const std::string& section, const std::string& ident, Integer def);
  virtual void WriteInteger(const std::string& section, const std::string& ident, Integer value);
  // Booleans are written "1"/"0"; any integer text reads (non-zero is true).
  virtual bool ReadBool(const std::string& section, const std::string& ident, bool def);
  virtual void WriteBool(const std::string& section, const std::string& ident, bool value);
  // Floats, dates and times go through the current format settings (DecimalSeparator,
  // ShortDateFormat, LongTimeFormat ...), as FloatToStr/DateToStr write them.
  virtual double ReadFloat(const std::string& section, const std::string& ident, double def);
  virtual void WriteFloat(const std::string& section, const std::string& ident, double value);
  virtual TDateTime ReadDate(const std::string& section, const std::string& ident, TDateTime def);
  virtual void WriteDate(const std::string& section, const std::string& ident, TDateTime value);
  virtual TDateTime ReadDateTime(const std::string& section, const std::string& ident, TDateTime def);
  virtual void WriteDateTime(const std::string& section, const std::string& ident, TDateTime value);
  virtual TDateTime ReadTime(const std::string& section, const std::string& ident, TDateTime def);
  virtual void WriteTime(const std::string& section, const std::string& ident, TDateTime value);

  // Binary data is stored as upper-case hexadecimal text, two digits a byte.
  // ReadBinaryStream writes the decoded bytes into value at its position, leaves the
  // position at the first of them and returns how many there were (0 when the key is
  // absent). Decoding stops at the first pair that is not hexadecimal.
  virtual Integer ReadBinaryStream(const std::string& section, const std::string& ident, TStream* value);
  // Stores the bytes of value from its position to its end.
  virtual void WriteBinaryStream(const std::string& section, const std::string& ident, TStream* value);

  // The key names of a section, in file order (strings is cleared first).
  virtual void ReadSection(const std::string& section, TStrings* strings) = 0;
  // The section names, in file order (strings is cleared first).
  virtual void ReadSections(TStrings* strings) = 0;
  // "key=value" for every key of a section (strings is cleared first).
  virtual void ReadSectionValues(const std::string& section, TStrings* strings);
  virtual void EraseSection(const std::string& section) = 0;
  virtual void DeleteKey(const std::string& section, const std::string& ident) = 0;
  // Makes pending changes reach the file.
  virtual void UpdateFile() = 0;

protected:
  std::string fileName_;
};

// The profile-function store. Every call reads or writes the file; the destructor
// flushes the system's cache for the file.
class TIniFile : public TCustomIniFile {
  RTL_DECLARE_CLASS(TIniFile, TCustomIniFile)
public:
  explicit TIniFile(const std::string& fileName);
  ~TIniFile() override;

  std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) override;
  // EIniFileException "Unable to write to <file>" when the write fails.
  void WriteString(const std::string& section, const std::string& ident, const std::string& value) override;
  void ReadSection(const std::string& section, TStrings* strings) override;
  void ReadSections(TStrings* strings) override;
  // EIniFileException "Unable to write to <file>" when the file cannot be changed.
  void EraseSection(const std::string& section) override;
  void DeleteKey(const std::string& section, const std::string& ident) override;
  // Flushes the profile cache of the file to disk.
  void UpdateFile() override;
};

// The in-memory store.
//
// Reading a file (on creation, Rename with reload, SetStrings): each line is trimmed;
// blank lines and comment lines (';') are dropped; "[name]" starts a section (a name met
// again continues the earlier section, so no key is hidden); "key = value" keeps the key
// and the value trimmed around '='; lines before the first section are dropped; a line
// without a key (no '=', or nothing before it) inside a section is kept as it is (it
// comes back in GetStrings and in the written file), but ReadSection, ReadSectionValues
// and the reads do not see it. Lines may end with CR LF, LF or CR; a null byte is an
// ordinary character. Values are kept exactly, quotes included.
//
// Order: sections keep the order they were read or created in, keys the order they were
// added in. Writing an existing key rewrites its line in place; a new key is appended to
// its section; a new section is appended at the end.
//
// Matching: section and key names compare without regard to case (cp1252 letters
// included) unless CaseSensitive is set.
//
// The text form (GetStrings, UpdateFile) is, for each section, "[name]", its lines, then
// one empty line; UpdateFile ends every line with CR LF.
class TMemIniFile : public TCustomIniFile {
  RTL_DECLARE_CLASS(TMemIniFile, TCustomIniFile)
public:
  // Reads fileName when it exists; a missing file (or an empty name) gives an empty store.
  explicit TMemIniFile(const std::string& fileName);

  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool value) { caseSensitive_ = value; }

  // Removes every section.
  void Clear();
  // Appends the text form to list (list is not cleared).
  void GetStrings(TStrings* list);
  // Replaces the whole content with the one read from list's lines.
  void SetStrings(TStrings* list);
  // Takes a new file name; with reload, the content is read again from that file (empty
  // when it does not exist).
  void Rename(const std::string& fileName, bool reload);

  std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) override;
  void WriteString(const std::string& section, const std::string& ident, const std::string& value) override;
  void ReadSection(const std::string& section, TStrings* strings) override;
  void ReadSections(TStrings* strings) override;
  // The section's "key=value" lines as held (lines without a key left out).
  void ReadSectionValues(const std::string& section, TStrings* strings) override;
  void EraseSection(const std::string& section) override;
  void DeleteKey(const std::string& section, const std::string& ident) override;
  // Writes the text form to FileName, replacing the file. A file that cannot be written
  // raises EFCreateError naming it; the content in memory is kept either way.
  void UpdateFile() override;

private:
  struct Section {
    std::string Name;
    std::vector<std::string> Lines;  // "key=value" lines (and kept lines without '=')
  };

  bool sameName(const std::string& a, const std::string& b) const;
  Section* findSection(const std::string& name) const;
  Section& addSection(const std::string& name);
  // Index of the line holding key ident, -1 when none.
  int findKey(const Section& section, const std::string& ident) const;
  void loadValues();
  void setLines(const std::vector<std::string>& lines);

  std::vector<std::unique_ptr<Section>> sections_;
  bool caseSensitive_ = false;
};
