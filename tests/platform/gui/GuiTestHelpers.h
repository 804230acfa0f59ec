#pragma once
// Helpers shared by the GUI library's tests: reading pixels with readable failures, and
// bitmaps to draw on.
#include <windows.h>

#include <cstdio>
#include <string>

#include "TestFramework.h"
#include "platform/gui/Graphics.h"

inline std::string hexColor(uint32_t c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%06X", static_cast<unsigned>(c));
  return buf;
}

// The pixel of the bitmap's canvas as a COLORREF (0x00BBGGRR).
inline uint32_t pixelOf(TBitmap& bmp, int x, int y) {
  return static_cast<uint32_t>(bmp.Canvas()->Pixels(x, y)) & 0xFFFFFF;
}

// Whether pixel (x, y) is exactly rgb (a COLORREF).
inline ::testing::AssertionResult PixelIs(TBitmap& bmp, int x, int y, uint32_t rgb) {
  uint32_t got = pixelOf(bmp, x, y);
  if (got == rgb) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") is " << hexColor(got) << ", expected "
                                       << hexColor(rgb);
}

// Whether every channel of pixel (x, y) is within tolerance of rgb.
inline ::testing::AssertionResult PixelNear(TBitmap& bmp, int x, int y, uint32_t rgb, int tolerance) {
  uint32_t got = pixelOf(bmp, x, y);
  for (int shift = 0; shift < 24; shift += 8) {
    int a = (got >> shift) & 0xFF, b = (rgb >> shift) & 0xFF;
    if (std::abs(a - b) > tolerance)
      return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") is " << hexColor(got) << ", expected "
                                           << hexColor(rgb) << " within " << tolerance;
  }
  return ::testing::AssertionSuccess();
}

// A white bitmap of the size and format.
inline void makeWhite(TBitmap& bmp, int w, int h, TPixelFormat format = pf24bit) {
  bmp.SetPixelFormat(format);
  bmp.SetSize(w, h);
  bmp.Canvas()->Brush()->SetColor(clWhite);
  bmp.Canvas()->FillRect(Rect(0, 0, w, h));
}

// A file path in the temporary folder, unique to this process.
inline std::string tempFile(const std::string& name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + "gui-test-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}
