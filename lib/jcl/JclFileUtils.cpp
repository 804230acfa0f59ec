#include "lib/jcl/JclFileUtils.h"

#include <cstring>
#include <vector>

#include "platform/rtl/SysUtils.h"

std::string PathWithDelimiter(const std::string& Path) {
  if (Path.empty()) return "\\";
  const Integer last = static_cast<Integer>(Path.size());
  if (Path.back() == '\\' && ByteType(Path, last) == mbSingleByte) return Path;
  return Path + "\\";
}

std::string PathWithoutDelimiter(const std::string& Path) {
  if (!Path.empty() && Path.back() == '\\') return Path.substr(0, Path.size() - 1);
  return Path;
}

std::string PathWithExtension(const std::string& FileName, const std::string& Extension) {
  if (FileName.empty() || Extension.empty() || !ExtractFileExt(FileName).empty()) return FileName;
  return Extension[0] == '.' ? FileName + Extension : FileName + "." + Extension;
}

bool PathIsDevicePath(const std::string& Path) { return Path.compare(0, 4, "\\\\.\\") == 0; }

namespace {

bool isServerChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_';
}

bool isShareChar(char c) { return c != '\0' && std::strchr("\"*+,/:;<=>?[]|", c) == nullptr; }

// "server\share..." from pos: true when both names are well formed.
bool serverAndShare(const std::string& path, size_t pos) {
  size_t start = pos;
  bool nonDigit = false;
  while (pos < path.size() && path[pos] != '\\') {
    if (!isServerChar(path[pos])) return false;
    if (path[pos] < '0' || path[pos] > '9') nonDigit = true;
    ++pos;
  }
  if (pos == start || !nonDigit || pos >= path.size()) return false;
  ++pos;  // the backslash after the server
  size_t shareStart = pos;
  while (pos < path.size() && path[pos] != '\\') {
    if (!isShareChar(path[pos])) return false;
    ++pos;
  }
  return pos > shareStart;
}

}  // namespace

bool PathIsNetworkShare(const std::string& Path) {
  if (Path.compare(0, 2, "\\\\") != 0) return false;
  static const std::string unc = "\\\\?\\UNC";
  if (Path.compare(0, unc.size(), unc) == 0) {
    if (Path.size() <= unc.size() || Path[unc.size()] != '\\') return false;
    return serverAndShare(Path, unc.size() + 1);
  }
  return serverAndShare(Path, 2);
}

bool PathIsRooted(const std::string& Path) {
  if (Path.empty()) return false;
  size_t skip = 0;
  if (PathIsNetworkShare(Path)) skip = 2;
  else if (PathIsDevicePath(Path)) skip = 4;
  if (Path.size() <= skip + 2) return false;
  char d = Path[skip];
  return ((d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z')) && Path[skip + 1] == ':' && Path[skip + 2] == '\\';
}

Int64 FileSizeOf(const std::string& Name) {
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  Int64 size = -1;
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA(Name.c_str(), &data);
  if (h != INVALID_HANDLE_VALUE) {
    size = (static_cast<Int64>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    FindClose(h);
  }
  SetErrorMode(oldMode);
  return size;
}

bool FileOrFolderExists(const std::string& Name) { return FileSizeOf(Name) != -1; }

std::string ModuleFileName(HMODULE Module) {
  char buffer[MAX_PATH + 1];
  DWORD len = GetModuleFileNameA(Module, buffer, sizeof(buffer));
  return std::string(buffer, len);
}

bool FileFixedVersionInfo(const std::string& FileName, VS_FIXEDFILEINFO& FixedInfo) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(FileName.c_str(), &handle);
  if (size == 0) return false;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(FileName.c_str(), handle, size, data.data())) return false;
  void* root = nullptr;
  UINT rootLen = 0;
  if (!VerQueryValueA(data.data(), "\\", &root, &rootLen)) return false;
  if (rootLen != sizeof(VS_FIXEDFILEINFO)) return false;
  std::memcpy(&FixedInfo, root, sizeof(VS_FIXEDFILEINFO));
  return true;
}
