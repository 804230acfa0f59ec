#pragma once
// System folders and the Windows release the program runs on.

#include <windows.h>

#include <string>

#include "platform/rtl/System.h"
#include "platform/rtl/TypInfo.h"

RTL_ENUM(TOsRelease, osUnknown, os95, os95OSR2, os98, os98SE, osME, osNT31, osNT35, osNT351, osNT4, os2000, osXP,
         os2003)

// The Windows folder; the temporary folder (without a trailing '\'); the user's
// application-data folder. "" when the system cannot say.
std::string WindowsFolder();
std::string TempFolder();
std::string AppDataFolder();

// The release, from the version values read when the unit started. Releases after the
// ones named (NT 6.0 and later) are osUnknown.
TOsRelease OsReleaseKind();

// The release for the given version values: the platform identifier, major and minor
// version, the service-pack text and, on the 9x platform, kernel32.dll's product version
// (most significant 32 bits: major in the high word, minor in the low word).
TOsRelease osReleaseFromVersion(DWORD platformId, DWORD major, DWORD minor, const std::string& servicePack,
                                DWORD kernelProductVersionMS);
