#pragma once
// JvToolEdit: edits with a button, here the file-name edit.
//
// Present behaviour: an edit whose text is the file name (FileName reads and writes it,
// OnChange fires on every change) with the Filter its browse dialog would use. Not yet: the
// browse button and its dialog, auto-complete, file drop, the glyphs and the combo-edit base.
#include "platform/gui/StdCtrls.h"

class TJvFilenameEdit : public TEdit {
  RTL_DECLARE_CLASS(TJvFilenameEdit, TEdit)
public:
  explicit TJvFilenameEdit(TComponent* AOwner) : TEdit(AOwner) {}
  std::string FileName() { return Text(); }
  void SetFileName(const std::string& Value) { SetText(Value); }
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& Value) { filter_ = Value; }

private:
  std::string filter_ = "All files (*.*)|*.*";
};
