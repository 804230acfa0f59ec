#pragma once
// Path and file helpers. None of them raises: a failure gives an empty text, false or -1.

#include <windows.h>

#include <string>

#include "platform/rtl/System.h"

// Path with one trailing '\' ("" becomes "\"); path without its one trailing '\'.
std::string PathWithDelimiter(const std::string& Path);
std::string PathWithoutDelimiter(const std::string& Path);
// FileName with Extension added ("." put in front unless it has one) when FileName is not
// empty, has no extension yet and Extension is not empty; otherwise FileName unchanged.
std::string PathWithExtension(const std::string& FileName, const std::string& Extension);

// A drive root path: a letter, ':' and '\' (after the "\\" of a network path or the "\\.\"
// of a device path), so "C:\" is rooted while "C:", "dir\x" and "\\server\share" are not.
bool PathIsRooted(const std::string& Path);
// Begins with "\\.\".
bool PathIsDevicePath(const std::string& Path);
// "\\server\share..." (or "\\?\UNC\server\share..."): a server name of letters, digits,
// '-', '.' and '_' that is not all digits, then a share name free of the characters that
// cannot appear in one.
bool PathIsNetworkShare(const std::string& Path);

// Whether a file or a folder of that name exists (wildcards match too).
bool FileOrFolderExists(const std::string& Name);
// Size of the first directory entry matching Name, any attribute; -1 when nothing matches.
// Critical-error boxes (no disk in the drive ...) are suppressed during the look-up.
Int64 FileSizeOf(const std::string& Name);

// Full file name of a loaded module (0: the program).
std::string ModuleFileName(HMODULE Module);
// The fixed part of a file's version resource; false when the file has none.
bool FileFixedVersionInfo(const std::string& FileName, VS_FIXEDFILEINFO& FixedInfo);
