#include "lib/jcl/JclShell.h"

#include "lib/jcl/JclStrings.h"

std::string ShellItemToPath(LPCITEMIDLIST Item) {
  std::string path(MAX_PATH, '\0');
  if (!Item || !SHGetPathFromIDListA(Item, &path[0])) return std::string();
  TextCutAtNull(path);
  return path;
}

void ShellItemFree(LPITEMIDLIST Item) {
  if (!Item) return;
  IMalloc* malloc = nullptr;
  if (SUCCEEDED(SHGetMalloc(&malloc)) && malloc) {
    if (malloc->DidAlloc(Item) > 0) malloc->Free(Item);
    malloc->Release();
  }
}

std::string SpecialFolderPath(Integer Folder) {
  LPITEMIDLIST item = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, Folder, &item)) || !item) return std::string();
  std::string path = ShellItemToPath(item);
  ShellItemFree(item);
  return path;
}
