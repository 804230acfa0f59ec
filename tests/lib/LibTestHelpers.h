#pragma once
// Small helpers shared by the library's tests: scratch folders and whole-file reads and
// writes (and, from the runtime's helpers, the fixture with known format settings).
#include <windows.h>

#include <string>

#include "TestFramework.h"
#include "platform/rtl/RtlTestHelpers.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

// A fresh folder under the temporary folder for one test, removed with everything in it
// afterwards (read-only files included).
class ScratchDir {
public:
  ScratchDir() {
    static int counter = 0;
    path_ = ExcludeTrailingPathDelimiter(GetTempDir()) + "\\lib-test-" +
            IntToStr(static_cast<Integer>(GetCurrentProcessId())) + "-" + IntToStr(++counter);
    ForceDirectories(path_);
  }
  ~ScratchDir() { removeTree(path_); }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

private:
  static void removeTree(const std::string& dir) {
    TSearchRec rec;
    if (FindFirst(dir + "\\*", faAnyFile, rec) == 0) {
      do {
        if (rec.Name == "." || rec.Name == "..") continue;
        const std::string full = dir + "\\" + rec.Name;
        if (rec.Attr & faDirectory) {
          removeTree(full);
        } else {
          FileSetReadOnly(full, false);
          DeleteFile(full);
        }
      } while (FindNext(rec) == 0);
      FindClose(rec);
    }
    RemoveDir(dir);
  }
  std::string path_;
};

inline std::string readFileBytes(const std::string& fileName) {
  TMemoryStream stream;
  stream.LoadFromFile(fileName);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

inline void writeFileBytes(const std::string& fileName, const std::string& bytes) {
  TFileStream stream(fileName, fmCreate);
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

