#pragma once
// dxStatusBar: the status bar.
//
// Present behaviour: a flat strip docked at the bottom of its form, with no panels. Not yet:
// panels and their styles, the size grip and the painted look.
#include "platform/gui/ExtCtrls.h"

class TdxStatusBar : public TCustomPanel {
  RTL_DECLARE_CLASS(TdxStatusBar, TCustomPanel)
public:
  explicit TdxStatusBar(TComponent* AOwner);
};
