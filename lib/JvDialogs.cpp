#include "lib/JvDialogs.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "platform/gui/Forms.h"
#include "platform/rtl/TypInfo.h"

std::function<bool(TJvSaveDialog*)>& TJvSaveDialog::ExecuteHook() {
  static std::function<bool(TJvSaveDialog*)> hook;
  return hook;
}

bool TJvSaveDialog::Execute() {
  if (ExecuteHook()) return ExecuteHook()(this);
  // The filter's '|' separators become the NUL separators the system expects.
  std::vector<char> filter(filter_.begin(), filter_.end());
  for (char& c : filter)
    if (c == '|') c = '\0';
  filter.push_back('\0');
  filter.push_back('\0');
  char file[MAX_PATH] = {};
  lstrcpynA(file, fileName_.c_str(), MAX_PATH);
  std::string ext = defaultExt_;
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = Application && Application->MainForm() ? Application->MainForm()->Handle() : nullptr;
  ofn.lpstrFilter = filter_.empty() ? nullptr : filter.data();
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
  ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
  if (!GetSaveFileNameA(&ofn)) return false;
  fileName_ = file;
  return true;
}

RTL_BEGIN_CLASS(TJvSaveDialog)
  b.Property("Title", &TJvSaveDialog::Title, &TJvSaveDialog::SetTitle);
  b.Property("Filter", &TJvSaveDialog::Filter, &TJvSaveDialog::SetFilter);
  b.Property("DefaultExt", &TJvSaveDialog::DefaultExt, &TJvSaveDialog::SetDefaultExt);
  b.Property("FileName", &TJvSaveDialog::FileName, &TJvSaveDialog::SetFileName);
RTL_END_CLASS
