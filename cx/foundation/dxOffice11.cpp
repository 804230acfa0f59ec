#include "cx/foundation/dxOffice11.h"

#include <algorithm>
#include <cstring>

#include "cx/foundation/cxGraphics.h"
#include "cx/foundation/dxThemeManager.h"

TColor dxOffice11Colors[dxOffice11ColorCount] = {};
Integer dxOffice11DoubleGradientPercent = 0;
HBRUSH dxOffice11Brushes[dxOffice11BrushCount] = {};
TBitmap* dxOffice11SubMenuExpandBitmap = nullptr;
TBitmap* dxOffice11ExpandButtonMinusBitmap = nullptr;
TBitmap* dxOffice11ExpandButtonPlusBitmap = nullptr;

namespace {

bool schemeFlag = false;
Integer refCount = 0;

constexpr TColor rgb(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }
constexpr TColor kBlack = rgb(0, 0, 0);
constexpr TColor kWhite = rgb(255, 255, 255);

// The scheme colours, 36 per scheme (blue, olive, silver); the comment of each row names
// the slot it fills.
const TColor kSchemeColors[3][36] = {
    {
        rgb(221, 236, 254), rgb(129, 169, 226), rgb(158, 190, 245), rgb(195, 218, 249),  // 2 3 0 1
        rgb(0, 53, 145), rgb(117, 166, 241), rgb(255, 193, 118), rgb(255, 248, 211),     // 7 4 8 5
        rgb(255, 221, 152), rgb(254, 149, 82), rgb(59, 97, 156), rgb(123, 164, 224),     // 9 6 10 11
        rgb(39, 65, 118), rgb(255, 255, 255), rgb(106, 140, 203), rgb(241, 249, 255),    // 18 19 20 21
        rgb(42, 102, 201), rgb(196, 219, 249), rgb(0, 45, 150), rgb(246, 246, 246),      // 24 25 38 31
        rgb(255, 238, 194), rgb(0, 0, 128), rgb(255, 244, 204), rgb(255, 208, 145),      // 40 41 42 43
        rgb(255, 211, 142), rgb(254, 145, 78), rgb(203, 225, 252), rgb(255, 192, 111),   // 44 45 46 47
        rgb(254, 128, 62), rgb(169, 199, 240), rgb(0, 0, 0), rgb(141, 141, 141),         // 48 49 51 52
        rgb(190, 218, 251), rgb(251, 230, 148), rgb(196, 218, 250), rgb(0, 45, 150),     // 58 59 61 60
    },
    {
        rgb(244, 247, 222), rgb(183, 198, 145), rgb(217, 217, 167), rgb(242, 240, 228),
        rgb(96, 119, 107), rgb(176, 194, 140), rgb(255, 193, 118), rgb(255, 248, 211),
        rgb(255, 221, 152), rgb(254, 149, 82), rgb(96, 128, 88), rgb(181, 196, 143),
        rgb(81, 94, 51), rgb(255, 255, 255), rgb(96, 128, 88), rgb(244, 247, 222),
        rgb(116, 134, 94), rgb(225, 222, 173), rgb(117, 141, 94), rgb(244, 244, 238),
        rgb(255, 238, 194), rgb(63, 93, 56), rgb(255, 244, 204), rgb(255, 208, 145),
        rgb(255, 211, 142), rgb(254, 145, 78), rgb(216, 227, 182), rgb(255, 192, 111),
        rgb(254, 128, 62), rgb(197, 212, 159), rgb(0, 0, 0), rgb(141, 141, 141),
        rgb(175, 186, 145), rgb(251, 230, 148), rgb(242, 241, 228), rgb(96, 128, 88),
    },
    {
        rgb(243, 244, 250), rgb(153, 151, 181), rgb(215, 215, 229), rgb(243, 243, 247),
        rgb(118, 116, 146), rgb(179, 178, 200), rgb(255, 193, 118), rgb(255, 248, 211),
        rgb(255, 221, 152), rgb(254, 149, 82), rgb(124, 124, 148), rgb(147, 145, 176),
        rgb(84, 84, 117), rgb(255, 255, 255), rgb(110, 109, 143), rgb(255, 255, 255),
        rgb(122, 121, 153), rgb(219, 218, 228), rgb(124, 124, 148), rgb(253, 250, 255),
        rgb(255, 238, 194), rgb(75, 75, 111), rgb(255, 244, 204), rgb(255, 208, 145),
        rgb(255, 211, 142), rgb(254, 145, 78), rgb(214, 211, 231), rgb(255, 192, 111),
        rgb(254, 128, 62), rgb(192, 192, 211), rgb(0, 0, 0), rgb(141, 141, 141),
        rgb(229, 229, 235), rgb(251, 230, 148), rgb(243, 243, 247), rgb(124, 124, 148),
    },
};
const Integer kDoubleGradientPercents[3] = {41, 125, 40};

// Brush positions and the slot each is made from; -1 marks a position that shares the
// brush of another position (kSharedPositions).
const int kBrushSlots[dxOffice11BrushCount] = {18, 19, 20, 21, 31, 41, 40, 46, 47, 48, 38, -1, 49, -1, -1, 55};
const int kSharedPositions[dxOffice11BrushCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 4, -1, 6, 10, -1};

int red(COLORREF c) { return c & 0xFF; }
int green(COLORREF c) { return (c >> 8) & 0xFF; }
int blue(COLORREF c) { return (c >> 16) & 0xFF; }
COLORREF rgbOf(TColor c) { return static_cast<COLORREF>(ColorToRGB(c)) & 0xFFFFFF; }
TColor sysRgb(int index) { return TColor(GetSysColor(index) & 0xFFFFFF); }

void fillSolid(HDC dc, const TRect& r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

// Channels kept to 8 bits, as a byte cell keeps them.
COLORREF packTruncated(int r, int g, int b) {
  return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// The band rectangle from prevEnd to end along the axis, spanning R across it.
TRect bandRect(const TRect& R, bool horizontal, Integer from, Integer to) {
  return horizontal ? TRect{from, R.top, to, R.bottom} : TRect{R.left, from, R.right, to};
}

TBitmap* loadBitmap(const char* name) {
  TObjectPtr<TBitmap> bitmap(new TBitmap);
  bitmap->LoadFromResourceName(GetModuleHandleA(nullptr), name);
  return bitmap.release();
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Colour arithmetic

TColor dxGetNearestColor(TColor AColor) { return cxGetNearestScreenColor(AColor); }

TColor dxBlendColors(TColor AColor1, TColor AColor2, Integer APercent) {
  const COLORREF a = rgbOf(AColor1), b = rgbOf(AColor2);
  auto channel = [&](int ca, int cb) {
    // Kept within 0..255 on both sides, so a channel never spills into its neighbour.
    return std::clamp(MulDiv(cb, 100 - APercent, 100) + MulDiv(ca, APercent, 100), 0, 255);
  };
  COLORREF mixed = static_cast<COLORREF>(channel(red(a), red(b)) | (channel(green(a), green(b)) << 8) |
                                         (channel(blue(a), blue(b)) << 16));
  return dxGetNearestColor(TColor(mixed));
}

TColor dxMixSystemColors(Integer AFacePercent, Integer AHighlightPercent, Integer AWindowPercent) {
  return cxMixSystemColors(AFacePercent, AHighlightPercent, AWindowPercent);
}

bool dxIsButtonFaceBlack() { return (GetSysColor(COLOR_BTNFACE) & 0xFFFFFF) == 0; }
bool dxIsButtonFaceWhite() { return (GetSysColor(COLOR_BTNFACE) & 0xFFFFFF) == 0xFFFFFF; }
bool dxIsBlackFaceWithDarkText() {
  return dxIsButtonFaceBlack() && (GetSysColor(COLOR_BTNTEXT) & 0xFFFFFF) != 0xFFFFFF;
}

// ---------------------------------------------------------------------------------------
// Scheme and colour table

Integer dxGetOffice11Scheme() {
  if (!dxCanUseThemes()) return 0;
  WCHAR fileName[1024] = {}, colorName[1024] = {}, sizeName[1024] = {};
  if (FAILED(dxGetCurrentThemeName(fileName, 1024, colorName, 1024, sizeName, 1024))) return 0;
  auto upperAscii = [](const WCHAR* text) {
    std::string s;
    for (const WCHAR* p = text; *p; ++p) {
      WCHAR c = *p;
      if (c >= 'a' && c <= 'z') c = static_cast<WCHAR>(c - 'a' + 'A');
      s.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return s;
  };
  const WCHAR* name = fileName;
  for (const WCHAR* p = fileName; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
  if (upperAscii(name) != "LUNA.MSSTYLES") return 0;
  const std::string variant = upperAscii(colorName);
  if (variant == "NORMALCOLOR") return 1;
  if (variant == "HOMESTEAD") return 2;
  if (variant == "METALLIC") return 3;
  return 0;
}

bool dxIsOffice11ThemeScheme() { return schemeFlag; }

void calculateOffice11ColorsForScheme(Integer AScheme) {
  TColor* c = dxOffice11Colors;
  const bool scheme = AScheme >= 1 && AScheme <= 3;
  schemeFlag = scheme;
  const TColor face = sysRgb(COLOR_BTNFACE), window = sysRgb(COLOR_WINDOW), shadow = sysRgb(COLOR_BTNSHADOW),
               text = sysRgb(COLOR_BTNTEXT), btnHighlight = sysRgb(COLOR_BTNHIGHLIGHT),
               highlight = sysRgb(COLOR_HIGHLIGHT), gray = sysRgb(COLOR_GRAYTEXT);
  auto blend = dxBlendColors;
  auto nearest = dxGetNearestColor;
  auto mix = dxMixSystemColors;

  if (scheme) {
    const TColor* S = kSchemeColors[AScheme - 1];
    c[0] = S[2], c[1] = S[3], c[2] = S[0], c[3] = S[1], c[4] = S[5], c[5] = S[7], c[6] = S[9], c[7] = S[4];
    c[8] = S[6], c[9] = S[8], c[10] = S[10], c[11] = S[11];
    c[12] = blend(c[4], c[2], 90), c[13] = blend(c[5], c[2], 90), c[14] = blend(c[6], c[2], 90);
    c[18] = S[12], c[19] = S[13], c[20] = S[14], c[21] = S[15], c[22] = kBlack, c[23] = kWhite;
    c[24] = S[16], c[25] = S[17], c[28] = kWhite, c[29] = kBlack, c[30] = kBlack, c[31] = S[19];
    c[38] = S[18], c[40] = S[20], c[41] = S[21], c[42] = S[22], c[43] = S[23], c[44] = S[24], c[45] = S[25];
    c[46] = S[26], c[47] = S[27], c[48] = S[28], c[49] = S[29], c[51] = S[30], c[52] = S[31];
    c[58] = S[32], c[59] = S[33], c[60] = S[35], c[61] = S[34];
    dxOffice11DoubleGradientPercent = kDoubleGradientPercents[AScheme - 1];
  } else {
    c[0] = face, c[1] = blend(face, window, 20), c[2] = blend(face, window, 22), c[3] = blend(face, window, 96);
    c[7] = shadow, c[4] = blend(c[7], window, 74), c[5] = nearest(mix(-15, 29, 86)), c[6] = nearest(mix(42, 11, 47));
    c[8] = c[5], c[9] = c[6], c[10] = blend(face, window, 85), c[11] = face;
    c[12] = blend(c[7], window, 50), c[13] = blend(c[8], window, 50), c[14] = blend(c[9], window, 50);
    c[18] = blend(shadow, window, 76), c[19] = window, c[20] = blend(shadow, window, 70), c[21] = kWhite;
    c[22] = text, c[23] = window, c[24] = shadow, c[25] = c[3];
    c[28] = btnHighlight, c[29] = text, c[30] = text, c[31] = window, c[38] = shadow;
    c[40] = nearest(mix(-2, 30, 72)), c[41] = highlight, c[42] = c[40], c[43] = c[40];
    c[48] = nearest(mix(14, 44, 40)), c[44] = c[48], c[45] = c[48], c[46] = c[3];
    c[47] = mix(41, 11, 48);  // deliberately not mapped to the nearest colour
    c[49] = c[46], c[51] = text, c[52] = gray, c[58] = face, c[59] = c[47], c[60] = c[38], c[61] = c[0];
    dxOffice11DoubleGradientPercent = 75;
  }
  // Slots both columns derive the same way.
  c[15] = blend(c[7], c[11], 50), c[16] = blend(c[8], c[11], 50), c[17] = blend(c[9], c[11], 50);
  c[26] = c[2], c[27] = c[24], c[32] = c[2], c[33] = c[3], c[34] = c[2], c[35] = c[3];
  c[36] = blend(c[34], kBlack, 92), c[37] = blend(c[35], kBlack, 92), c[39] = c[31];
  c[50] = c[40], c[53] = c[38], c[54] = c[0], c[55] = c[15], c[56] = c[28], c[57] = c[38];
}

void dxOffice11CalculateColors() {
  const Integer scheme = dxGetOffice11Scheme();
  calculateOffice11ColorsForScheme(dxCanUseThemes() && scheme != 0 ? scheme : 0);
}

// ---------------------------------------------------------------------------------------
// Brushes and bitmaps

void dxRecolorSubMenuExpandBitmap(TBitmap* ABitmap) {
  if (ABitmap == nullptr || ABitmap->Empty()) return;
  // Pixels are rewritten with arbitrary colours: a palette bitmap would map them to its
  // nearest entries, so work in true colour.
  ABitmap->SetPixelFormat(pf24bit);
  TCanvas* canvas = ABitmap->Canvas();
  const Integer w = ABitmap->Width(), h = ABitmap->Height();
  const COLORREF background = static_cast<COLORREF>(canvas->Pixels(0, 0)) & 0xFFFFFF;
  const TColor c1 = dxOffice11Colors[2];
  TColor c2 = dxOffice11Colors[3];
  if (c1 == c2) c2 = c1 == kBlack ? kWhite : kBlack;
  auto recoloured = [&](COLORREF p) { return p != background && p != 0; };

  int smallest = 255, largest = 1;
  for (Integer x = 0; x < w; ++x)
    for (Integer y = 0; y < h; ++y) {
      COLORREF p = static_cast<COLORREF>(canvas->Pixels(x, y)) & 0xFFFFFF;
      if (!recoloured(p)) continue;
      smallest = std::min(smallest, red(p));
      largest = std::max(largest, red(p));
    }
  // One grey shade (or none) leaves no range to spread the colours over.
  if (largest <= smallest) return;
  for (Integer x = 0; x < w; ++x)
    for (Integer y = 0; y < h; ++y) {
      COLORREF p = static_cast<COLORREF>(canvas->Pixels(x, y)) & 0xFFFFFF;
      if (!recoloured(p)) continue;
      canvas->SetPixels(x, y, dxBlendColors(c1, c2, MulDiv(red(p) - smallest, 100, largest - smallest)));
    }
}

void dxCreateOffice11Brushes() {
  for (int i = 0; i < dxOffice11BrushCount; ++i)
    if (kBrushSlots[i] >= 0) dxOffice11Brushes[i] = CreateSolidBrush(rgbOf(dxOffice11Colors[kBrushSlots[i]]));
  for (int i = 0; i < dxOffice11BrushCount; ++i)
    if (kSharedPositions[i] >= 0) dxOffice11Brushes[i] = dxOffice11Brushes[kSharedPositions[i]];
  dxOffice11SubMenuExpandBitmap = loadBitmap("DXSUBMENUEXPAND");
  dxRecolorSubMenuExpandBitmap(dxOffice11SubMenuExpandBitmap);
  dxOffice11ExpandButtonMinusBitmap = loadBitmap("DXEXPANDBUTTON_MINUS");
  dxOffice11ExpandButtonPlusBitmap = loadBitmap("DXEXPANDBUTTON_PLUS");
}

void dxDestroyOffice11Brushes() {
  FreeAndNil(dxOffice11SubMenuExpandBitmap);
  FreeAndNil(dxOffice11ExpandButtonMinusBitmap);
  FreeAndNil(dxOffice11ExpandButtonPlusBitmap);
  for (int i = 0; i < dxOffice11BrushCount; ++i) {
    if (kBrushSlots[i] >= 0 && dxOffice11Brushes[i] != nullptr) DeleteObject(dxOffice11Brushes[i]);
  }
  for (HBRUSH& b : dxOffice11Brushes) b = nullptr;
}

void dxOffice11ColorsAddRef() {
  if (refCount == 0) {
    dxOffice11CalculateColors();
    dxCreateOffice11Brushes();
  }
  ++refCount;
}

void dxOffice11ColorsRelease() {
  if (refCount == 0) return;  // an unpaired release must not drive the count below zero
  if (--refCount == 0) dxDestroyOffice11Brushes();
}

void dxOffice11ColorsRecalculate() {
  dxOffice11CalculateColors();
  if (refCount > 0) {
    dxDestroyOffice11Brushes();
    dxCreateOffice11Brushes();
  }
}

Integer dxOffice11ColorsRefCount() { return refCount; }

// ---------------------------------------------------------------------------------------
// Drawing

void dxFillRectColor(HDC DC, const TRect& R, TColor AColor) { fillSolid(DC, R, rgbOf(AColor)); }

void dxFrameRectColor(HDC DC, const TRect& R, TColor AColor) {
  HBRUSH brush = CreateSolidBrush(rgbOf(AColor));
  FrameRect(DC, &R, brush);
  DeleteObject(brush);
}

void dxFrameOffice11Rect(HDC DC, const TRect& R) {
  if (dxIsButtonFaceBlack())
    dxFrameRectColor(DC, R, clHighlightText);
  else
    FrameRect(DC, &R, dxOffice11Brushes[5]);
}

void dxFillGradientRect(HDC DC, const TRect& R, TColor AColor1, bool AHorizontal, TColor AColor2) {
  const COLORREF c1 = rgbOf(AColor1), c2 = rgbOf(AColor2);
  if (c1 == c2) {
    fillSolid(DC, R, c1);
    return;
  }
  const Integer start = AHorizontal ? R.left : R.top, farEdge = AHorizontal ? R.right : R.bottom;
  const Integer extent = farEdge - start;
  const Integer n = std::min<Integer>(extent, 256);
  if (n < 1) return;
  Integer from = start;
  for (Integer i = 0; i < n; ++i) {
    const Integer to = start + MulDiv(i + 1, extent, n);
    auto channel = [&](int a, int b) { return n == 1 ? a : a + MulDiv(i, b - a, n - 1); };
    const TRect band = bandRect(R, AHorizontal, from, to);
    if (!IsRectEmpty(band))
      fillSolid(DC, band, packTruncated(channel(red(c1), red(c2)), channel(green(c1), green(c2)),
                                        channel(blue(c1), blue(c2))));
    from = to;
    if (to >= farEdge) break;
  }
}

TColor dxGetGradientColorAt(const TRect& R, Integer ACoord, TColor AColor1, bool AHorizontal, TColor AColor2) {
  const COLORREF c1 = rgbOf(AColor1), c2 = rgbOf(AColor2);
  const Integer start = AHorizontal ? R.left : R.top;
  const Integer extent = AHorizontal ? R.right - R.left : R.bottom - R.top;
  const Integer n = std::min<Integer>(extent, 256);
  if (n <= 1) return TColor(c1);
  const Integer band = std::max<Integer>(MulDiv(ACoord - start + 1, n, extent) - 1, 0);
  auto channel = [&](int a, int b) { return a + MulDiv(band, b - a, n - 1); };
  return TColor(packTruncated(channel(red(c1), red(c2)), channel(green(c1), green(c2)), channel(blue(c1), blue(c2))));
}

void dxFillDoubleGradientRect(HDC DC, const TRect& R, TColor AColor1, bool AHorizontal, TColor AColor2) {
  const COLORREF c1 = rgbOf(AColor1), c2 = rgbOf(AColor2);
  if (c1 == c2) {
    fillSolid(DC, R, c1);
    return;
  }
  const Integer start = AHorizontal ? R.left : R.top, farEdge = AHorizontal ? R.right : R.bottom;
  const Integer extent = farEdge - start;
  const Integer half = extent / 2;
  const Integer percent = dxOffice11DoubleGradientPercent;
  // Per channel: the middle colour M, the colour the first phase heads for (E) and the
  // colour the second phase comes from (F), so each phase runs over the whole band count.
  struct Phase {
    int c1, c2, m, e, f;
  };
  auto phase = [&](int a, int b) {
    Phase p{a, b, 0, 0, 0};
    p.m = a - MulDiv(a - b, percent, 200);
    p.e = a - MulDiv(a - p.m, extent, half);
    p.f = b + MulDiv(p.m - b, extent, half);
    return p;
  };
  const Phase pr = phase(red(c1), red(c2)), pg = phase(green(c1), green(c2)), pb = phase(blue(c1), blue(c2));
  const Integer n = std::min<Integer>(extent, 256);
  if (n < 1) return;
  const Integer split = n / 2;
  Integer from = start;
  for (Integer i = 0; i < n; ++i) {
    const Integer to = start + MulDiv(i + 1, extent, n);
    auto channel = [&](const Phase& p) {
      if (i < split) return p.c1 + MulDiv(i, p.e - p.c1, n - 1);
      if (i == split) return p.m;
      return p.f + MulDiv(i, p.c2 - p.f, n - 1);
    };
    const TRect band = bandRect(R, AHorizontal, from, to);
    if (!IsRectEmpty(band)) fillSolid(DC, band, packTruncated(channel(pr), channel(pg), channel(pb)));
    from = to;
    if (to >= farEdge) break;
  }
}

void dxDrawOffice11GripDots(HDC DC, const TRect& R, bool AVertical) {
  TRect cell{R.left, R.top, R.left + 4, R.top + 4};
  const Integer remainder = (AVertical ? R.bottom - R.top : R.right - R.left) % 4;
  const Integer shift = remainder <= 1 ? remainder : remainder / 2;
  if (AVertical)
    OffsetRect(cell, 0, shift);
  else
    OffsetRect(cell, shift, 0);
  do {
    TRect light{cell.left + 1, cell.top + 1, cell.left + 3, cell.top + 3};
    TRect dark{cell.left, cell.top, cell.left + 2, cell.top + 2};
    FillRect(DC, &light, dxOffice11Brushes[1]);
    FillRect(DC, &dark, dxOffice11Brushes[0]);
    if (AVertical)
      OffsetRect(cell, 0, 4);
    else
      OffsetRect(cell, 4, 0);
  } while ((AVertical ? R.bottom >= cell.bottom : R.right >= cell.right));
}

void dxDrawOffice11SizeGrip(HDC DC, const TRect& R) {
  TRect strip{R.right - 12, R.bottom - 3, R.right, R.bottom};
  for (int row = 0; row < 3; ++row) {
    dxDrawOffice11GripDots(DC, strip, false);
    strip.left += 4;
    OffsetRect(strip, 0, -4);
  }
}

void dxDrawOffice11Arrow(HDC DC, const TRect& R, bool ADown, bool AEnabled, bool AHighlighted) {
  const Integer f = ADown ? R.right - R.left - 8 : R.bottom - R.top - 6;
  Integer size = (f - 1) / 2 + (f % 2 != 0 ? 1 : 0);
  if (size < 3) size = 3;
  dxDrawOffice11ArrowSized(DC, R, ADown, size, AHighlighted, AEnabled);
}

void dxDrawOffice11ArrowSized(HDC DC, const TRect& R, bool ADown, Integer ASize, bool AHighlighted, bool AEnabled) {
  TColor color;
  if (!AEnabled)
    color = dxOffice11Colors[52];
  else
    color = AHighlighted && dxIsButtonFaceWhite() ? kWhite : dxOffice11Colors[51];
  const Integer s = ASize;
  POINT points[3];
  if (ADown) {
    const Integer x0 = (R.left + R.right - (2 * s - 1)) / 2, y0 = (R.top + R.bottom - s) / 2;
    points[0] = {x0, y0};
    points[1] = {x0 + 2 * s - 2, y0};
    points[2] = {x0 + s - 1, y0 + s - 1};
  } else {
    const Integer x0 = (R.left + R.right - s) / 2, y0 = (R.top + R.bottom - (2 * s - 1)) / 2;
    points[0] = {x0, y0};
    points[1] = {x0, y0 + 2 * s - 2};
    points[2] = {x0 + s - 1, y0 + s - 1};
  }
  HPEN pen = CreatePen(PS_SOLID, 1, rgbOf(color));
  HBRUSH brush = CreateSolidBrush(rgbOf(color));
  HGDIOBJ oldPen = SelectObject(DC, pen);
  HGDIOBJ oldBrush = SelectObject(DC, brush);
  ::Polygon(DC, points, 3);
  SelectObject(DC, oldPen);
  SelectObject(DC, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
}

namespace dxOffice11Unit {
void Initialize() {}
void Finalize() {
  if (refCount > 0) dxDestroyOffice11Brushes();
  refCount = 0;
}
}  // namespace dxOffice11Unit
