#pragma once
// JvgPage: the gradient page control.
//
// Present behaviour: the native page control (pages, tabs, active page). Not yet: gradient
// and wallpaper tab painting, the tab styles, flat buttons and the glyph options.
#include "platform/gui/ComCtrls.h"

class TJvgPageControl : public TPageControl {
  RTL_DECLARE_CLASS(TJvgPageControl, TPageControl)
public:
  explicit TJvgPageControl(TComponent* AOwner) : TPageControl(AOwner) {}
};
