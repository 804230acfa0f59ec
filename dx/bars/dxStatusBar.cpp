#include "dx/bars/dxStatusBar.h"

#include "platform/gui/GuiPublish.h"

TdxStatusBar::TdxStatusBar(TComponent* AOwner) : TCustomPanel(AOwner) {
  SetAlign(alBottom);
  SetHeight(20);
  SetBevelOuter(bvLowered);
}

RTL_BEGIN_CLASS(TdxStatusBar)
  using T = TdxStatusBar;
  publishPlacement(b);
  PUBLISH(Visible).Default(true);
RTL_END_CLASS
