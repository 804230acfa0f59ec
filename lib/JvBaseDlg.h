#pragma once
// The base of the library's dialog components: a non-visual component whose Execute shows
// the dialog and says whether the user accepted it.

#include "lib/JvComponent.h"

class TJvCommonDialogF : public TJvComponent {
  RTL_DECLARE_CLASS(TJvCommonDialogF, TJvComponent)
public:
  explicit TJvCommonDialogF(TComponent* AOwner) : TJvComponent(AOwner) {}
  virtual bool Execute() = 0;
};
