#pragma once
// JvgDrawTab: the painter of one tab of the gradient page control, and the record the
// control fills for it on every owner-draw request.
#include <windows.h>

#include <string>

#include "lib/JvgTabComm.h"

// Options of the gradient page control's tabs.
//   ftoAutoFontDirection     the caption direction follows the side of the tabs
//   ftoExcludeGlyphs         the caption keeps out of the glyph's area
//   ftoHideGlyphs            no glyphs are drawn
//   ftoInheriteTabFonts      both tab styles take the control's font
//   ftoTabColorAsGradientFrom, ftoTabColorAsGradientTo   kept for stored forms; no effect
//   ftoWordWrap              horizontal captions wrap
RTL_ENUM(TglTabOption, ftoAutoFontDirection, ftoExcludeGlyphs, ftoHideGlyphs, ftoInheriteTabFonts,
         ftoTabColorAsGradientFrom, ftoTabColorAsGradientTo, ftoWordWrap)
using TglTabOptions = Set<TglTabOption>;

// Everything PaintTab needs to draw one tab.
struct TDRAWTABSTRUCT {
  DRAWITEMSTRUCT DrawItem{};                  // the tab control's request: index, state, DC, rectangle
  TRect ClientR{};                            // the control's client rectangle
  Integer TabsCount = 0;
  std::string Caption;
  TJvgTabsWallpaper* Wallpaper = nullptr;
  TBitmap* Glyph = nullptr;                   // null: no glyph
  TglWallpaperOption GlyphOption = fwoNone;   // how the glyph is drawn
  TJvgTabStyle* Style = nullptr;              // the style in effect for this tab
  TFont* Font = nullptr;                      // turned for FontDirection, with its colour set
  bool ButtonLook = false;                    // the tabs are drawn as buttons
  TglSide Position = fsdTop;                  // the side the tabs are on
  TglTabOptions Options;
  TglLabelDir FontDirection = fldLeftRight;
  TColor BackgrColor = clBtnFace;
  bool FlatButtons = false;                   // the control's tab style is flat buttons
  TJvgGradient* Gradient = nullptr;           // the gradient drawn behind the tab (when active)
};

// Draws the tab Info describes on Info.DrawItem.hDC: wallpaper, gradient, bevelled box with
// the background colour, glyph and caption.
void PaintTab(const TDRAWTABSTRUCT& Info);
