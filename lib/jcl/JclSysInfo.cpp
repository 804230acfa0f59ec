#include "lib/jcl/JclSysInfo.h"

#include <shlobj.h>

#include "lib/jcl/JclFileUtils.h"
#include "lib/jcl/JclShell.h"
#include "lib/jcl/JclStrings.h"
#include "platform/rtl/SysUtils.h"

namespace {

// The version values as read at unit start.
struct VersionValues {
  DWORD PlatformId = 0;
  DWORD Major = 0;
  DWORD Minor = 0;
  std::string ServicePack;
  DWORD KernelProductVersionMS = 0;
};

VersionValues& versionValues() {
  static VersionValues v;
  return v;
}

}  // namespace

std::string WindowsFolder() {
  UINT size = GetWindowsDirectoryA(nullptr, 0);
  if (size == 0) return std::string();
  std::string folder(size, '\0');
  GetWindowsDirectoryA(&folder[0], size);
  TextCutAtNull(folder);
  return folder;
}

std::string TempFolder() {
  DWORD size = GetTempPathA(0, nullptr);
  if (size == 0) return std::string();
  std::string folder(size, '\0');
  GetTempPathA(size, &folder[0]);
  TextCutAtNull(folder);
  return PathWithoutDelimiter(folder);
}

std::string AppDataFolder() { return SpecialFolderPath(CSIDL_APPDATA); }

TOsRelease osReleaseFromVersion(DWORD platformId, DWORD major, DWORD minor, const std::string& servicePack,
                                DWORD kernelProductVersionMS) {
  if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
    if (minor < 10) return (servicePack == "B" || servicePack == "C") ? os95OSR2 : os95;
    if (minor < 90) {
      // Some releases of the last 9x edition report minor 10; kernel32's own version
      // (4.90) tells it apart.
      if (HIWORD(kernelProductVersionMS) == 4 && LOWORD(kernelProductVersionMS) == 90) return osME;
      return servicePack == "A" ? os98SE : os98;
    }
    if (minor == 90) return osME;
    return osUnknown;
  }
  if (platformId == VER_PLATFORM_WIN32_NT) {
    if (major == 3) {
      if (minor == 1) return osNT31;
      if (minor == 5) return osNT35;
      if (minor == 51) return osNT351;
      return osUnknown;
    }
    if (major == 4) return osNT4;
    if (major == 5) {
      if (minor == 0) return os2000;
      if (minor == 1) return osXP;
      if (minor == 2) return os2003;
    }
  }
  return osUnknown;
}

TOsRelease OsReleaseKind() {
  const VersionValues& v = versionValues();
  return osReleaseFromVersion(v.PlatformId, v.Major, v.Minor, v.ServicePack, v.KernelProductVersionMS);
}

namespace JclSysInfoUnit {
void Initialize() {
  VersionValues& v = versionValues();
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (GetVersionExA(&info)) {
    v.PlatformId = info.dwPlatformId;
    v.Major = info.dwMajorVersion;
    v.Minor = info.dwMinorVersion;
    v.ServicePack = Trim(std::string(info.szCSDVersion));
  }
  if (v.PlatformId == VER_PLATFORM_WIN32_WINDOWS) {
    VS_FIXEDFILEINFO fixed = {};
    if (FileFixedVersionInfo(ModuleFileName(GetModuleHandleA("kernel32.dll")), fixed))
      v.KernelProductVersionMS = fixed.dwProductVersionMS;
  }
}
}  // namespace JclSysInfoUnit
