#pragma once
// JvDialogs: the library's file dialogs, here the save dialog.
//
// Present behaviour: Execute shows the system's save dialog (GetSaveFileNameA) with Title,
// Filter, DefaultExt and FileName, and returns whether the user confirmed; FileName then
// holds the chosen file. Not yet: the enhanced dialog's options, events, placement and the
// active-setting and height handling.
#include <functional>

#include "platform/rtl/Classes.h"

class TJvSaveDialog : public TComponent {
  RTL_DECLARE_CLASS(TJvSaveDialog, TComponent)
public:
  explicit TJvSaveDialog(TComponent* AOwner) : TComponent(AOwner) {}
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& Value) { title_ = Value; }
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& Value) { filter_ = Value; }
  const std::string& DefaultExt() const { return defaultExt_; }
  void SetDefaultExt(const std::string& Value) { defaultExt_ = Value; }
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& Value) { fileName_ = Value; }
  virtual bool Execute();

  // Replaces the system dialog for every save dialog while set (tests answer it without a
  // modal window): it gets the dialog, may set FileName, and returns whether it was confirmed.
  static std::function<bool(TJvSaveDialog*)>& ExecuteHook();

private:
  std::string title_, filter_, defaultExt_, fileName_;
};
