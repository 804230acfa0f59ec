#pragma once
// The INI backend of the application storage: the settings-file format.
//
// A path's folder is the section and its last element the key ("Principal\ShowCmd" is key
// ShowCmd of section [Principal]; sub-folders are sections whose names hold '\', such as
// [Principal\A]). The file is held in a TMemIniFile: sections keep the order they were
// made in and keys the order they were added in, a key written again keeps its line, and
// names match without regard to case. Its text, which is the file, is "[section]", then
// one "key=value" line per key, then an empty line, for each section; lines end with CR LF.
//
// Value encodings:
//   integer   decimal text; a key present with an empty value reads as 0
//   float     the 10 bytes of the extended value in memory order, 20 upper-case hex digits
//             (only when the options keep floats and date-times out of text form)
//   binary    upper-case hex digits, two per byte
//   string    as it is, with two options: ReplaceCRLF escapes "\" as "\\" and each line
//             break (CR LF, LF or CR) as "\n" in every text that holds one of them, so
//             multi-line texts fit one line and every text reads back as written (line
//             breaks come back as CR LF); PreserveLeadingTrailingBlanks encloses in double
//             quotes a text that begins or ends with a blank (or other character the file
//             would trim) or that begins and ends with a double quote.

#include <memory>
#include <string>

#include "lib/JvAppStorage.h"
#include "platform/rtl/IniFiles.h"

class TJvAppIniStorageOptions : public TJvAppStorageOptions {
  RTL_DECLARE_CLASS(TJvAppIniStorageOptions, TJvAppStorageOptions)
public:
  TJvAppIniStorageOptions() { SetFloatAsString(false); }
  void Assign(TPersistent* Source) override;

  bool ReplaceCRLF() const { return replaceCRLF_; }
  void SetReplaceCRLF(bool Value) { replaceCRLF_ = Value; }
  bool PreserveLeadingTrailingBlanks() const { return preserveLeadingTrailingBlanks_; }
  void SetPreserveLeadingTrailingBlanks(bool Value) { preserveLeadingTrailingBlanks_ = Value; }

private:
  bool replaceCRLF_ = false;
  bool preserveLeadingTrailingBlanks_ = false;
};

class TJvCustomAppIniStorage : public TJvCustomAppMemoryFileStorage {
  RTL_DECLARE_CLASS(TJvCustomAppIniStorage, TJvCustomAppMemoryFileStorage)
public:
  explicit TJvCustomAppIniStorage(TComponent* AOwner);
  ~TJvCustomAppIniStorage() override;

  TMemIniFile* IniFile() const { return iniFile_.get(); }
  TJvAppIniStorageOptions* IniStorageOptions();
  // The section of paths without a folder ("" by default: such paths are refused).
  const std::string& DefaultSection() const { return defaultSection_; }
  void SetDefaultSection(const std::string& Value) { defaultSection_ = Value; }

  std::string GetAsString() override;
  void SetAsString(const std::string& Value) override;

protected:
  TClass OptionsClass() const override;
  std::string FileExtension() const override { return "ini"; }
  void SplitValuePath(const std::string& Path, std::string& Key, std::string& ValueName) override;
  // Key names match without regard to case here, so "Char_A" and "Char_a" would be one
  // key and a set of characters would lose one of the two: lower-case letters are named
  // by their code ("Char#97").
  std::string CharSetElementName(char C) override;

  void ListFolders(const std::string& Path, TStrings* List, bool ListIsValue) override;
  void ListValues(const std::string& Path, TStrings* List, bool ListIsValue) override;
  bool IsFolderAt(const std::string& Path, bool ListIsValue) override;
  bool PathExistsAt(const std::string& Path) override;
  bool ValueStoredAt(const std::string& Path) override;
  void DeleteValueAt(const std::string& Path) override;
  // Erases the section named Path and every section below it (Path followed by '\');
  // an empty Path erases every section.
  void DeleteSubTreeAt(const std::string& Path) override;
  Integer GetIntegerAt(const std::string& Path, Integer Default) override;
  void PutIntegerAt(const std::string& Path, Integer Value) override;
  Extended GetFloatAt(const std::string& Path, Extended Default) override;
  void PutFloatAt(const std::string& Path, Extended Value) override;
  std::string GetStringAt(const std::string& Path, const std::string& Default) override;
  void PutStringAt(const std::string& Path, const std::string& Value) override;
  Integer GetBinaryAt(const std::string& Path, void* Buffer, Integer BufSize) override;
  void PutBinaryAt(const std::string& Path, const void* Buffer, Integer BufSize) override;

  // The value text of a key ("" when missing), decoded; writing encodes it. Both raise
  // EJvAppStorageError "TJvAppIniFileStorage.ReadValue: Section undefined" for a section
  // that is empty or begins with '.' even after DefaultSection is put in front.
  virtual std::string ReadValue(const std::string& Section, const std::string& Key);
  virtual void WriteValue(const std::string& Section, const std::string& Key, const std::string& Value);
  // Deletes the key; when there is no such key, erases the section Section\Key instead.
  virtual void RemoveValue(const std::string& Section, const std::string& Key);

  // Reloads first when the storage needs it, flushes afterwards (writes) when it needs it.
  void reloadIfNeeded();
  void flushIfNeeded();

private:
  std::string usableSection(const std::string& section) const;

  std::unique_ptr<TMemIniFile, TObjectDeleter> iniFile_;
  std::string defaultSection_;
};

// The INI storage on a file: reloads from it and writes it back.
class TJvAppIniFileStorage : public TJvCustomAppIniStorage {
  RTL_DECLARE_CLASS(TJvAppIniFileStorage, TJvCustomAppIniStorage)
public:
  using TJvCustomAppIniStorage::TJvCustomAppIniStorage;

  // Writes the whole file (creating its folder when needed), unless the storage has no
  // file or is read-only. A file that cannot be written raises the class library's
  // stream error naming it.
  void Flush() override;
  // Reads the file again (an absent file gives an empty storage).
  void Reload() override;
};
