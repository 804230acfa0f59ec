#include "cx/foundation/cxRadioButtonImageList.h"

#include <algorithm>

#ifndef OBM_CHECKBOXES
#define OBM_CHECKBOXES 32759
#endif

namespace {

// The measurements, computed when the first image list is made.
struct Geometry {
  bool measured = false;
  Integer cellWidth = 0, cellHeight = 0;   // the system glyph cell
  Integer left = 0, top = 0, width = 0, height = 0;  // the circle within the cell
  TRect dot{0, 0, 0, 0};                   // the dot, in cell coordinates
  std::vector<Cardinal> pattern;           // height rows of width classes
};
Geometry geometry;

TcxRadioButtonImageList* sharedList = nullptr;

bool isBlack(HDC dc, Integer x, Integer y) { return (GetPixel(dc, x, y) & 0xFFFFFF) == 0; }

void fillBitmap(TBitmap& b, Integer w, Integer h, TColor color) {
  b.SetPixelFormat(pf24bit);
  b.SetSize(w, h);
  b.Canvas()->Brush()->SetColor(color);
  b.Canvas()->FillRect(TRect{0, 0, w, h});
}

// The usual glyph: 13 by 13, the circle filling the cell, a 5 by 5 dot in the middle.
void useDirectGeometry() {
  geometry.cellWidth = geometry.cellHeight = 13;
  geometry.left = geometry.top = 0;
  geometry.width = geometry.height = 13;
  geometry.dot = TRect{4, 4, 9, 9};
}

// Measures the system's flat, checked radio glyph: the circle from its mask, the dot from
// its image. A result that does not describe a dot inside a circle is not trusted, and
// the direct geometry is used instead.
void measure() {
  HBITMAP checks = LoadBitmapA(nullptr, MAKEINTRESOURCEA(OBM_CHECKBOXES));
  BITMAP bm{};
  if (checks) {
    GetObjectA(checks, sizeof bm, &bm);
    DeleteObject(checks);
  }
  const Integer W = bm.bmWidth / 4, H = bm.bmHeight / 3;
  if (W <= 0 || H <= 0) return useDirectGeometry();

  TBitmap b;
  fillBitmap(b, W, H, clBlack);
  RECT cell{0, 0, W, H};
  HDC dc = b.Canvas()->Handle();
  DrawFrameControl(dc, &cell, DFC_BUTTON, DFCS_BUTTONRADIOMASK | DFCS_FLAT | DFCS_CHECKED);
  Integer left = -1, w = 0, top = -1, h = 0;
  for (Integer x = 0; x < W; ++x) {
    bool any = false;
    for (Integer y = 0; y < H && !any; ++y) any = isBlack(dc, x, y);
    if (any) {
      if (left < 0) left = x;
      ++w;
    }
  }
  for (Integer y = 0; y < H; ++y) {
    bool any = false;
    for (Integer x = 0; x < W && !any; ++x) any = isBlack(dc, x, y);
    if (any) {
      if (top < 0) top = y;
      ++h;
    }
  }

  b.Canvas()->Brush()->SetColor(clBlack);
  b.Canvas()->FillRect(TRect{0, 0, W, H});
  dc = b.Canvas()->Handle();
  DrawFrameControl(dc, &cell, DFC_BUTTON, DFCS_BUTTONRADIOIMAGE | DFCS_FLAT | DFCS_CHECKED);
  TRect dot{0, 0, 0, 0};
  if (w > 4 && h > 4) {
    const Integer column = left + w / 2 - 1;
    Integer row = top + h / 2 - 2;
    while (row >= 0 && isBlack(dc, column, row)) --row;
    dot.top = row + 1;
    row = dot.top;
    while (row < H && isBlack(dc, column, row)) ++row;
    dot.bottom = row;
    const Integer line = top + h / 2 - 1;
    Integer col = left + w / 2 - 2;
    while (col >= 0 && isBlack(dc, col, line)) --col;
    dot.left = col + 1;
    col = dot.left;
    while (col < W && isBlack(dc, col, line)) ++col;
    dot.right = col;
  }
  const bool plausible = w >= 8 && h >= 8 && w <= W && h <= H && dot.right - dot.left > 0 &&
                         dot.bottom - dot.top > 0 && dot.left > left && dot.top > top && dot.right < left + w &&
                         dot.bottom < top + h;
  if (!plausible) return useDirectGeometry();
  geometry.cellWidth = W;
  geometry.cellHeight = H;
  geometry.left = left;
  geometry.top = top;
  geometry.width = w;
  geometry.height = h;
  geometry.dot = dot;
}

Cardinal& cellAt(Integer i, Integer j) {
  return geometry.pattern[static_cast<size_t>(j * geometry.width + i)];
}

// The full-size rounded rectangle the circle is drawn as, in black.
void drawCircle(TCanvas* canvas, Integer w, Integer h, bool filled) {
  canvas->Pen()->SetColor(clBlack);
  canvas->Brush()->SetStyle(filled ? bsSolid : bsClear);
  if (filled) canvas->Brush()->SetColor(clBlack);
  canvas->RoundRect(0, 0, w, h, w - 1, h - 1);
}

}  // namespace

Integer radioButtonImageIndex(Integer APainterKind, TcxButtonState AState, bool AChecked, bool AFocused,
                              bool AIsDesigning) {
  const Integer state = AState == cxbsDefault ? 0 : static_cast<Integer>(AState) - 1;
  return APainterKind * 8 + (AFocused ? 48 : 0) + (AIsDesigning ? 24 : 0) + (AChecked ? 4 : 0) + state;
}

RTL_IMPLEMENT_CLASS(TcxRadioButtonImageList)

TcxRadioButtonImageList::TcxRadioButtonImageList() {
  if (!geometry.measured) {
    measure();
    buildPattern();
    geometry.measured = true;
  }
  const Integer w = geometry.width, h = geometry.height;
  FImageList = TImageList::CreateSize(w, h);
  FImageList->SetMasked(true);
  FButtonMask = new TBitmap;
  FButtonMask->SetMonochrome(true);
  FButtonMask->SetSize(w, h);
  FButtonMask->Canvas()->Brush()->SetColor(clWhite);
  FButtonMask->Canvas()->FillRect(TRect{0, 0, w, h});
  drawCircle(FButtonMask->Canvas(), w, h, true);
}

TcxRadioButtonImageList::~TcxRadioButtonImageList() {
  FreeObject(FImageList);
  FreeObject(FButtonMask);
}

void TcxRadioButtonImageList::buildPattern() {
  const Integer w = geometry.width, h = geometry.height;
  geometry.pattern.assign(static_cast<size_t>(w * h), rpcOutside);

  // Outer ring: the circle's outline, split by the anti-diagonal.
  TBitmap b;
  fillBitmap(b, w, h, clWhite);
  drawCircle(b.Canvas(), w, h, false);
  HDC dc = b.Canvas()->Handle();
  for (Integer j = 0; j < h; ++j)
    for (Integer i = 0; i < w; ++i)
      if (isBlack(dc, i, j))
        cellAt(i, j) = (h - 1) * (w - i - 1) < j * (w - 1) ? rpcOuterLowerRight : rpcOuterUpperLeft;

  // Inside: from the middle outward on every inner row, up to the first marked cell.
  for (Integer j = 1; j <= h - 2; ++j) {
    for (Integer i = w / 2 - 1; i >= 0 && cellAt(i, j) == rpcOutside; --i) cellAt(i, j) = rpcInside;
    for (Integer i = w / 2; i < w && cellAt(i, j) == rpcOutside; ++i) cellAt(i, j) = rpcInside;
  }

  auto mark = [&](Integer i, Integer j) {
    const Integer a = (h - 1) * (w - i - 1), c = (w - 1) * j;
    if (a < c)
      cellAt(i, j) = rpcInnerLowerRight;
    else if (a > c)
      cellAt(i, j) = rpcInnerUpperLeft;
    else
      cellAt(i, j) = i <= w / 2 - 1 ? rpcInnerUpperLeft : rpcInnerLowerRight;
  };
  auto outer = [&](Integer i, Integer j) {
    Cardinal c = cellAt(i, j);
    return c == rpcOuterUpperLeft || c == rpcOuterLowerRight;
  };
  // Inner ring: the cells just inside the outer ring, found by walking outward from the
  // middle along every inner row and column; the first and last inner row (column) are
  // inner ring over their whole length.
  for (Integer j = 1; j <= h - 2; ++j) {
    const bool edge = j == 1 || j == h - 2;
    for (int dir : {-1, 1}) {
      Integer i = dir < 0 ? w / 2 - 1 : w / 2;
      Integer last = -1;
      for (; i >= 0 && i < w && !outer(i, j); i += dir) {
        if (edge) mark(i, j);
        last = i;
      }
      if (last >= 0) mark(last, j);
    }
  }
  for (Integer i = 1; i <= w - 2; ++i) {
    const bool edge = i == 1 || i == w - 2;
    for (int dir : {-1, 1}) {
      Integer j = dir < 0 ? h / 2 - 1 : h / 2;
      Integer last = -1;
      for (; j >= 0 && j < h && !outer(i, j); j += dir) {
        if (edge) mark(i, j);
        last = j;
      }
      if (last >= 0) mark(i, last);
    }
  }

  // Dot: the measured dot moved into the circle's coordinates.
  fillBitmap(b, w, h, clWhite);
  TRect dot = geometry.dot;
  OffsetRect(dot, -geometry.left, -geometry.top);
  b.Canvas()->Pen()->SetColor(clBlack);
  b.Canvas()->Brush()->SetColor(clBlack);
  b.Canvas()->RoundRect(dot.left, dot.top, dot.right, dot.bottom, dot.right - dot.left - 1, dot.bottom - dot.top - 1);
  dc = b.Canvas()->Handle();
  for (Integer j = 0; j < h; ++j)
    for (Integer i = 0; i < w; ++i)
      if (isBlack(dc, i, j)) cellAt(i, j) = rpcDot;
}

TColor TcxRadioButtonImageList::ClassColor(TcxRadioPixelClass AClass, Integer APainterKind, TcxButtonState AState,
                                           bool AChecked, bool AFocused, bool AIsDesigning) {
  const bool disabled = AState == cxbsDisabled;
  TColor inside;
  if (APainterKind == 2) {
    switch (AState) {
      case cxbsDisabled: inside = clBtnFace; break;
      case cxbsHot: inside = cxGetHighlightHotColor(); break;
      case cxbsPressed: inside = cxGetHighlightPressedColor(); break;
      default: inside = clWindow; break;
    }
  } else {
    inside = disabled || AState == cxbsPressed ? clBtnFace : clWindow;
  }
  const bool highlightRing =
      (AFocused || AState == cxbsHot || AState == cxbsPressed || AIsDesigning) && !disabled;
  switch (AClass) {
    case rpcInside:
      return inside;
    case rpcOuterUpperLeft:
      return APainterKind == 2 && highlightRing ? clHighlight : clBtnShadow;
    case rpcOuterLowerRight:
      if (APainterKind == 2) return highlightRing ? clHighlight : clBtnShadow;
      return clBtnHighlight;
    case rpcInnerUpperLeft:
      return APainterKind == 0 ? cl3DLight : APainterKind == 1 ? cl3DDkShadow : inside;
    case rpcInnerLowerRight:
      return APainterKind == 2 ? inside : cl3DLight;
    case rpcDot:
      if (!AChecked) return inside;
      return disabled ? clBtnShadow : clBtnText;
    default:
      return clBlack;
  }
}

void TcxRadioButtonImageList::Fill() {
  if (FImageList->Count() > 0) return;
  const Integer w = geometry.width, h = geometry.height;
  static const TcxButtonState kStates[] = {cxbsNormal, cxbsHot, cxbsPressed, cxbsDisabled};
  TBitmap glyph;
  fillBitmap(glyph, w, h, clBlack);
  for (int focused = 0; focused < 2; ++focused)
    for (int designing = 0; designing < 2; ++designing)
      for (int kind = 0; kind < 3; ++kind)
        for (int checked = 0; checked < 2; ++checked)
          for (TcxButtonState state : kStates) {
            // Each class's colour resolved once per glyph, then every cell painted.
            COLORREF colors[7];
            for (Cardinal c = 0; c < 7; ++c)
              colors[c] = static_cast<COLORREF>(ColorToRGB(
                  ClassColor(TcxRadioPixelClass(c), kind, state, checked != 0, focused != 0, designing != 0)));
            HDC dc = glyph.Canvas()->Handle();
            for (Integer j = 0; j < h; ++j)
              for (Integer i = 0; i < w; ++i) ::SetPixel(dc, i, j, colors[cellAt(i, j)]);
            FImageList->Add(&glyph, FButtonMask);
          }
}

void TcxRadioButtonImageList::Draw(TCanvas* ACanvas, Integer X, Integer Y, Integer AImageIndex, TColor ABkColor) {
  if (ABkColor == clDefault) {
    FImageList->Draw(ACanvas, X, Y, AImageIndex);
    return;
  }
  TBitmap back;
  fillBitmap(back, geometry.width, geometry.height, ABkColor);
  FImageList->Draw(back.Canvas(), 0, 0, AImageIndex);
  ACanvas->Draw(X, Y, &back);
}

void TcxRadioButtonImageList::Clear() { FImageList->Clear(); }
Integer TcxRadioButtonImageList::Count() const { return FImageList->Count(); }
Integer TcxRadioButtonImageList::GlyphWidth() const { return geometry.width; }
Integer TcxRadioButtonImageList::GlyphHeight() const { return geometry.height; }

TRect TcxRadioButtonImageList::DotRect() const {
  TRect dot = geometry.dot;
  OffsetRect(dot, -geometry.left, -geometry.top);
  return dot;
}

TcxRadioPixelClass TcxRadioButtonImageList::PixelClass(Integer X, Integer Y) const {
  if (X < 0 || Y < 0 || X >= geometry.width || Y >= geometry.height) return rpcOutside;
  return TcxRadioPixelClass(geometry.pattern[static_cast<size_t>(Y * geometry.width + X)]);
}

TcxRadioButtonImageList* cxGetRadioButtonImageList() {
  if (sharedList == nullptr) sharedList = new TcxRadioButtonImageList;
  return sharedList;
}

namespace cxRadioButtonImageListUnit {
void Initialize() {}
void Finalize() {
  delete sharedList;
  sharedList = nullptr;
}
}  // namespace cxRadioButtonImageListUnit
