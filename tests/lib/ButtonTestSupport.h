#pragma once
// Small helpers of the button tests: readable colours, points and rectangles, filled
// areas and glyph strips drawn for a test.
#include <cstdio>
#include <functional>
#include <string>

#include "platform/gui/Graphics.h"

namespace buttontest {

// Fuchsia, the background (and so the key colour) of the strips the tests draw.
constexpr uint32_t kKey = 0xFF00FF;

// A colour's RGB value, system colours resolved.
inline uint32_t rgb(TColor c) { return static_cast<uint32_t>(ColorToRGB(c)) & 0xFFFFFF; }

inline std::string pointText(const TPoint& p) {
  char text[32];
  std::snprintf(text, sizeof text, "(%d,%d)", p.x, p.y);
  return text;
}

inline std::string rectText(const TRect& r) {
  char text[64];
  std::snprintf(text, sizeof text, "(%d,%d)-(%d,%d)", r.left, r.top, r.right, r.bottom);
  return text;
}

inline void fill(TCanvas* c, const TRect& r, TColor color) {
  c->Brush()->SetColor(color);
  c->FillRect(r);
}

// A new 24-bit strip of Cells square cells of Size pixels on kKey; Paint draws cell i.
inline TBitmap* makeStrip(Integer Cells, Integer Size,
                          const std::function<void(TCanvas*, const TRect&, Integer)>& Paint) {
  auto* b = new TBitmap();
  b->SetPixelFormat(pf24bit);
  b->SetSize(Cells * Size, Size);
  fill(b->Canvas(), Rect(0, 0, Cells * Size, Size), TColor(kKey));
  for (Integer i = 0; i < Cells; ++i) Paint(b->Canvas(), Bounds(i * Size, 0, Size, Size), i);
  return b;
}

}  // namespace buttontest
