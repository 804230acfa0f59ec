#include "LibTestHelpers.h"
#include "TestFramework.h"
#include "lib/jcl/JclFileUtils.h"
#include "lib/jcl/JclShell.h"
#include "lib/jcl/JclSysInfo.h"
#include "platform/rtl/SysUtils.h"

#include <shlobj.h>

#include <string>

// ---------------------------------------------------------------------------------------
// Paths

TEST(JclFileUtils, DelimiterAndExtensionHelpers) {
  struct Case {
    const char* in;
    const char* with;
    const char* without;
  } delimiters[] = {
      {"C:\\dir", "C:\\dir\\", "C:\\dir"},
      {"C:\\dir\\", "C:\\dir\\", "C:\\dir"},
      {"", "\\", ""},
  };
  for (const Case& c : delimiters) {
    EXPECT_EQ(PathWithDelimiter(c.in), c.with) << "PathWithDelimiter(" << c.in << ")";
    EXPECT_EQ(PathWithoutDelimiter(c.in), c.without) << "PathWithoutDelimiter(" << c.in << ")";
  }

  struct ExtCase {
    const char* name;
    const char* ext;
    const char* expected;
  } extensions[] = {
      {"Prj_Movandi", "ini", "Prj_Movandi.ini"},
      {"Prj_Movandi", ".ini", "Prj_Movandi.ini"},
      {"config.cfg", "ini", "config.cfg"},  // an extension is already there
      {"", "ini", ""},
      {"nome", "", "nome"},
  };
  for (const ExtCase& c : extensions)
    EXPECT_EQ(PathWithExtension(c.name, c.ext), c.expected) << "PathWithExtension(" << c.name << ", " << c.ext << ")";
}

TEST(JclFileUtils, RootedDeviceAndNetworkPaths) {
  struct Case {
    const char* path;
    bool rooted, device, share;
  } cases[] = {
      {"C:\\", true, false, false},
      {"c:\\dados\\x.mdb", true, false, false},
      {"C:", false, false, false},  // too short
      {"dados\\x.mdb", false, false, false},
      {"", false, false, false},
      {"\\\\.\\C:\\x", true, true, false},
      {"\\\\servidor\\dados", false, false, true},  // a share is not a drive root
      {"\\\\servidor\\dados\\sub", false, false, true},
      {"\\\\srv-01.rede_x\\d", false, false, true},
      {"\\\\1234\\dados", false, false, false},  // a server name of digits only
      {"\\\\ser ver\\dados", false, false, false},
      {"\\\\servidor\\da*dos", false, false, false},
      {"\\\\servidor\\", false, false, false},
      {"\\\\?\\UNC\\servidor\\dados", false, false, true},
      {"\\\\?\\UNCservidor\\dados", false, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PathIsRooted(c.path), c.rooted) << "PathIsRooted(" << c.path << ")";
    EXPECT_EQ(PathIsDevicePath(c.path), c.device) << "PathIsDevicePath(" << c.path << ")";
    EXPECT_EQ(PathIsNetworkShare(c.path), c.share) << "PathIsNetworkShare(" << c.path << ")";
  }
}

// ---------------------------------------------------------------------------------------
// Files

TEST(JclFileUtils, FileSizeOfFilesFoldersAndNothing) {
  ScratchDir dir;
  writeFileBytes(dir.File("cinco.txt"), "12345");
  EXPECT_EQ(FileSizeOf(dir.File("cinco.txt")), 5);
  EXPECT_EQ(FileSizeOf(dir.File("*.txt")), 5) << "wildcards match";
  EXPECT_EQ(FileSizeOf(dir.File("nada.txt")), -1);
  EXPECT_TRUE(FileOrFolderExists(dir.File("cinco.txt")));
  EXPECT_TRUE(FileOrFolderExists(dir.Path())) << "folders count";
  EXPECT_FALSE(FileOrFolderExists(dir.File("nada.txt")));
}

TEST(JclFileUtils, ModuleNameAndVersionResource) {
  const std::string kernel = ModuleFileName(GetModuleHandleA("kernel32.dll"));
  ASSERT_GE(kernel.size(), 12u) << kernel;
  EXPECT_TRUE(SameText(ExtractFileName(kernel), "kernel32.dll")) << kernel;

  VS_FIXEDFILEINFO info = {};
  ASSERT_TRUE(FileFixedVersionInfo(kernel, info)) << kernel << " has a version resource";
  EXPECT_EQ(info.dwSignature, 0xFEEF04BDu);

  ScratchDir dir;
  writeFileBytes(dir.File("texto.txt"), "sem recurso");
  VS_FIXEDFILEINFO none = {};
  EXPECT_FALSE(FileFixedVersionInfo(dir.File("texto.txt"), none));
  EXPECT_FALSE(FileFixedVersionInfo(dir.File("nada.dll"), none));
}

// ---------------------------------------------------------------------------------------
// Folders and release

TEST(JclSysInfo, SystemFoldersExist) {
  const std::string windows = WindowsFolder();
  EXPECT_TRUE(DirectoryExists(windows)) << "'" << windows << "'";
  const std::string temp = TempFolder();
  EXPECT_TRUE(DirectoryExists(temp)) << "'" << temp << "'";
  ASSERT_FALSE(temp.empty());
  EXPECT_NE(temp.back(), '\\') << "the temporary folder comes without a trailing backslash";
  const std::string appData = AppDataFolder();
  EXPECT_EQ(appData, SpecialFolderPath(CSIDL_APPDATA));
  EXPECT_TRUE(DirectoryExists(appData)) << "'" << appData << "'";
}

TEST(JclShell, UnknownSpecialFolderGivesEmptyText) { EXPECT_EQ(SpecialFolderPath(0x3F), "") << "no such folder number"; }

TEST(JclSysInfo, ReleaseFromVersionValues) {
  const DWORD nt = VER_PLATFORM_WIN32_NT, w9x = VER_PLATFORM_WIN32_WINDOWS;
  struct Case {
    DWORD platform, major, minor;
    const char* servicePack;
    DWORD kernelMS;
    TOsRelease expected;
  } cases[] = {
      {nt, 5, 1, "", 0, osXP},
      {nt, 5, 0, "", 0, os2000},
      {nt, 5, 2, "", 0, os2003},
      {nt, 4, 0, "", 0, osNT4},
      {nt, 3, 51, "", 0, osNT351},
      {nt, 3, 5, "", 0, osNT35},
      {nt, 3, 1, "", 0, osNT31},
      {nt, 6, 0, "", 0, osUnknown},
      {nt, 10, 0, "", 0, osUnknown},
      {w9x, 4, 0, "", 0, os95},
      {w9x, 4, 0, "B", 0, os95OSR2},
      {w9x, 4, 0, "C", 0, os95OSR2},
      {w9x, 4, 10, "", 0, os98},
      {w9x, 4, 10, "A", 0, os98SE},
      {w9x, 4, 10, "A", MAKELONG(90, 4), osME},  // kernel32 4.90 says which edition it is
      {w9x, 4, 90, "", 0, osME},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GetEnumName(TypeInfo<TOsRelease>(),
                          osReleaseFromVersion(c.platform, c.major, c.minor, c.servicePack, c.kernelMS)),
              GetEnumName(TypeInfo<TOsRelease>(), c.expected))
        << "platform " << c.platform << " version " << c.major << "." << c.minor << " '" << c.servicePack << "'";
}
