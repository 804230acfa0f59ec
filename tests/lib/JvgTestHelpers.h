#pragma once
// Helpers of the gradient drawing tests: bitmaps to draw on, and where the pixels of a
// colour lie.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "TestFramework.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/GuiTestHelpers.h"

namespace jvgtest {

// The RGB value of a system colour.
inline uint32_t sysRgb(int Index) { return GetSysColor(Index) & 0xFFFFFF; }

// Makes Bitmap a 24-bit image of the size, all of Color (0x00BBGGRR).
inline void fillBitmap(TBitmap& Bitmap, int Width, int Height, uint32_t Color) {
  Bitmap.SetPixelFormat(pf24bit);
  Bitmap.SetSize(Width, Height);
  Bitmap.Canvas()->Brush()->SetStyle(bsSolid);
  Bitmap.Canvas()->Brush()->SetColor(static_cast<TColor>(Color));
  Bitmap.Canvas()->FillRect(Rect(0, 0, Width, Height));
}

// The smallest rectangle (right and bottom inclusive) holding every pixel of exactly
// Color; left > right when there is none.
inline TRect colorBox(TBitmap& Bitmap, uint32_t Color) {
  TRect box = Rect(Bitmap.Width(), Bitmap.Height(), -1, -1);
  for (int y = 0; y < Bitmap.Height(); ++y)
    for (int x = 0; x < Bitmap.Width(); ++x)
      if (pixelOf(Bitmap, x, y) == Color) {
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x);
        box.bottom = std::max<LONG>(box.bottom, y);
      }
  return box;
}

inline bool hasColor(TBitmap& Bitmap, uint32_t Color) { return colorBox(Bitmap, Color).right >= 0; }

// How many pixels differ from Color inside Area (right and bottom exclusive).
inline int countOther(TBitmap& Bitmap, const TRect& Area, uint32_t Color) {
  int n = 0;
  for (int y = Area.top; y < Area.bottom; ++y)
    for (int x = Area.left; x < Area.right; ++x)
      if (pixelOf(Bitmap, x, y) != Color) ++n;
  return n;
}

inline std::string boxText(const TRect& R) {
  char text[64];
  std::snprintf(text, sizeof text, "(%d,%d)-(%d,%d)", static_cast<int>(R.left), static_cast<int>(R.top),
                static_cast<int>(R.right), static_cast<int>(R.bottom));
  return text;
}

}  // namespace jvgtest
