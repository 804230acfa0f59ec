#pragma once
// Storages for the storage tests: an INI storage without a file (its content lives in
// memory and is read back as the file's text), and one on a file of a scratch folder.
#include <string>

#include "LibTestHelpers.h"
#include "lib/JvAppIniStorage.h"

// An INI storage whose content never leaves memory.
class MemoryStorage {
public:
  MemoryStorage() : s_(New<TJvAppIniFileStorage>(nullptr)) { s_->SetLocation(flCustom); }
  explicit MemoryStorage(const std::string& text) : MemoryStorage() { s_->SetAsString(text); }

  TJvAppIniFileStorage* operator->() const { return s_.get(); }
  TJvAppIniFileStorage* get() const { return s_.get(); }
  // The content as the file would hold it.
  std::string Text() const { return s_->GetAsString(); }

private:
  TObjectPtr<TJvAppIniFileStorage> s_;
};

// An INI storage on a file, as the application sets its own up: the file name as given
// (location flCustom), rewritten after every change and read again before every access.
class FileStorage {
public:
  explicit FileStorage(const std::string& fileName, bool autoFlush = true, bool autoReload = true)
      : s_(New<TJvAppIniFileStorage>(nullptr)) {
    s_->SetLocation(flCustom);
    s_->SetAutoFlush(autoFlush);
    s_->SetAutoReload(autoReload);
    s_->SetFileName(fileName);
  }
  TJvAppIniFileStorage* operator->() const { return s_.get(); }
  TJvAppIniFileStorage* get() const { return s_.get(); }

private:
  TObjectPtr<TJvAppIniFileStorage> s_;
};
