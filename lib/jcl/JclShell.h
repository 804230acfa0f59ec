#pragma once
// The shell's special folders.

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "platform/rtl/System.h"

// The file-system path of a shell item ("" when the shell cannot give one).
std::string ShellItemToPath(LPCITEMIDLIST Item);
// Frees an item identifier list through the shell's allocator (when that allocator owns it).
void ShellItemFree(LPITEMIDLIST Item);
// The path of a special folder (CSIDL number, e.g. CSIDL_APPDATA = 26); "" on failure.
std::string SpecialFolderPath(Integer Folder);
