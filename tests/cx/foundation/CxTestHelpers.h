#pragma once
// Helpers of the foundation's tests: bitmaps to draw on and pixel checks with readable
// failures.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "TestFramework.h"
#include "platform/gui/Graphics.h"

inline std::string hexColor(uint32_t c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%06X", static_cast<unsigned>(c));
  return buf;
}

inline uint32_t rgbOfColor(TColor c) { return static_cast<uint32_t>(ColorToRGB(c)) & 0xFFFFFF; }

// The pixel of the bitmap as a COLORREF (0x00BBGGRR).
inline uint32_t pixelOf(TBitmap& bmp, int x, int y) {
  return static_cast<uint32_t>(GetPixel(bmp.Canvas()->Handle(), x, y)) & 0xFFFFFF;
}

inline ::testing::AssertionResult PixelIs(TBitmap& bmp, int x, int y, uint32_t rgb) {
  uint32_t got = pixelOf(bmp, x, y);
  if (got == rgb) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") is " << hexColor(got) << ", expected "
                                       << hexColor(rgb);
}

// A 24-bit bitmap of the size filled with the colour.
inline void makeFilled(TBitmap& bmp, int w, int h, TColor color = clWhite) {
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(w, h);
  bmp.Canvas()->Brush()->SetColor(color);
  bmp.Canvas()->FillRect(TRect{0, 0, w, h});
}

// How many pixels of the rectangle differ from the colour.
inline int countNot(TBitmap& bmp, const TRect& r, uint32_t rgb) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (pixelOf(bmp, x, y) != rgb) ++n;
  return n;
}

// The bounding box of the pixels that differ from the colour (empty when none).
inline TRect inkBounds(TBitmap& bmp, uint32_t background) {
  TRect box{bmp.Width(), bmp.Height(), 0, 0};
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x)
      if (pixelOf(bmp, x, y) != background) {
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
  if (box.right == 0) return TRect{0, 0, 0, 0};
  return box;
}

inline std::string rectText(const TRect& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}
