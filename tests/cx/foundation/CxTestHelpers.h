#pragma once
// Helpers of the foundation's tests: bitmaps to draw on and pixel checks with readable
// failures.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "TestFramework.h"
#include "cx/foundation/cxGraphics.h"
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

// The bounding box of the pixels of exactly the colour inside the area (empty when none).
inline TRect colorBounds(TBitmap& bmp, uint32_t rgb, const TRect& area) {
  TRect box{area.right, area.bottom, area.left, area.top};
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (pixelOf(bmp, x, y) == rgb) {
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
  return box.right <= box.left ? TRect{0, 0, 0, 0} : box;
}

inline TRect colorBounds(TBitmap& bmp, uint32_t rgb) { return colorBounds(bmp, rgb, TRect{0, 0, bmp.Width(), bmp.Height()}); }

// How many pixels differ between two bitmaps of the same size (-1 when the sizes differ).
inline int pixelDifferences(TBitmap& a, TBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
  int n = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (pixelOf(a, x, y) != pixelOf(b, x, y)) ++n;
  return n;
}

// A 24-bit bitmap filled with a colour and a painter canvas over it, with an 8-point
// Tahoma font.
struct PaintSurface {
  TBitmap bmp;
  TcxCanvas canvas;
  PaintSurface(int w, int h, TColor back = clWhite) : canvas(nullptr) {
    makeFilled(bmp, w, h, back);
    new (&canvas) TcxCanvas(bmp.Canvas());
    canvas.Font()->SetName("Tahoma");
    canvas.Font()->SetSize(8);
  }
  TcxCanvas* cx() { return &canvas; }
  HDC dc() { return bmp.Canvas()->Handle(); }
  // Whether any pixel of the area has the colour.
  bool has(uint32_t rgb, const TRect& r) { return countNot(bmp, r, rgb) < (r.right - r.left) * (r.bottom - r.top); }
};
