#include "cx/foundation/cxGraphics.h"

#include <algorithm>

UINT cxTextFlagsToDrawTextFlags(Integer AFlags) {
  UINT result = DT_NOPREFIX;
  if (AFlags & cxAlignRight) result |= DT_RIGHT;
  if (AFlags & cxAlignHCenter) result |= DT_CENTER;
  if (AFlags & cxAlignBottom) result |= DT_BOTTOM;
  if (AFlags & cxAlignVCenter) result |= DT_VCENTER;
  if (AFlags & cxSingleLine) result |= DT_SINGLELINE;
  if (AFlags & cxDontClip) result |= DT_NOCLIP;
  if (AFlags & cxExpandTabs) result |= DT_EXPANDTABS;
  if (AFlags & cxShowPrefix) result &= ~UINT(DT_NOPREFIX);
  if (AFlags & cxWordBreak) result |= DT_WORDBREAK | DT_EDITCONTROL;
  if (AFlags & cxShowEndEllipsis) result |= DT_END_ELLIPSIS;
  if (AFlags & cxDontPrint) result |= DT_CALCRECT;
  if (AFlags & cxShowPathEllipsis) result |= DT_PATH_ELLIPSIS;
  return result;
}

namespace {
Integer widthOf(const TRect& R) { return R.right - R.left; }
Integer heightOf(const TRect& R) { return R.bottom - R.top; }
COLORREF rgbOf(TColor c) { return static_cast<COLORREF>(ColorToRGB(c)) & 0xFFFFFF; }
}  // namespace

// ---------------------------------------------------------------------------------------
// TcxRegion

RTL_IMPLEMENT_CLASS(TcxRegion)

TcxRegion::TcxRegion(const TRect& ABounds) : FRegionHandle(CreateRectRgnIndirect(&ABounds)) {}

TcxRegion::TcxRegion(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom)
    : FRegionHandle(CreateRectRgn(ALeft, ATop, ARight, ABottom)) {}

TcxRegion::TcxRegion() : FRegionHandle(CreateRectRgn(0, 0, 0, 0)) {}

TcxRegion::~TcxRegion() {
  if (FRegionHandle) DeleteObject(FRegionHandle);
}

void TcxRegion::Combine(TcxRegion* ARegion, TcxRegionOperation AOperation, bool ADestroyRegion) {
  static const int kModes[] = {RGN_COPY, RGN_OR, RGN_DIFF, RGN_AND};
  if (AOperation == roSet)
    CombineRgn(FRegionHandle, ARegion->FRegionHandle, nullptr, RGN_COPY);
  else
    CombineRgn(FRegionHandle, FRegionHandle, ARegion->FRegionHandle, kModes[AOperation]);
  if (ADestroyRegion) FreeObject(ARegion);
}

void TcxRegion::Offset(Integer DX, Integer DY) { OffsetRgn(FRegionHandle, DX, DY); }

bool TcxRegion::IsEmptyRegion() const {
  RECT box;
  return GetRgnBox(FRegionHandle, &box) == NULLREGION;
}

TRect TcxRegion::BoundsRect() const {
  RECT box{};
  GetRgnBox(FRegionHandle, &box);
  return box;
}

// ---------------------------------------------------------------------------------------
// TcxCanvas

RTL_IMPLEMENT_CLASS(TcxCanvas)

TPoint TcxCanvas::GetWindowOrg() const {
  POINT p{0, 0};
  GetWindowOrgEx(FCanvas->Handle(), &p);
  return p;
}

void TcxCanvas::SetBrushColor(TColor Value) {
  if (Brush()->Color() != Value) Brush()->SetColor(Value);
}

void TcxCanvas::FillRectangle(const TRect& R, TBitmap* ABitmap) {
  if (ABitmap == nullptr || ABitmap->Empty()) {
    FCanvas->FillRect(R);
    return;
  }
  const Integer w = ABitmap->Width(), h = ABitmap->Height();
  // The tile grid is anchored at the canvas origin, not at R, so that neighbouring fills
  // continue each other's pattern.
  for (Integer col = R.left / w; col * w < R.right; ++col)
    for (Integer row = R.top / h; row * h < R.bottom; ++row) {
      TRect tile{col * w, row * h, col * w + w, row * h + h};
      TRect part;
      if (!IntersectRect(part, tile, R)) continue;
      TRect source{part.left - tile.left, part.top - tile.top, part.right - tile.left, part.bottom - tile.top};
      FCanvas->CopyRect(part, ABitmap->Canvas(), source);
    }
}

void TcxCanvas::FrameSides(const TRect& R, TColor ALeftTopColor, TColor ARightBottomColor, Integer AWidth,
                           TcxBorders ASides) {
  auto strip = [&](TcxBorder side, TColor color, const TRect& r) {
    if (!ASides.Contains(side)) return;
    SetBrushColor(color);
    FCanvas->FillRect(r);
  };
  strip(bLeft, ALeftTopColor, TRect{R.left, R.top, R.left + AWidth, R.bottom});
  strip(bTop, ALeftTopColor, TRect{R.left, R.top, R.right, R.top + AWidth});
  strip(bRight, ARightBottomColor, TRect{R.right - AWidth, R.top, R.right, R.bottom});
  strip(bBottom, ARightBottomColor, TRect{R.left, R.bottom - AWidth, R.right, R.bottom});
}

void TcxCanvas::Draw3DEdge(const TRect& R, bool ASunken, bool AOuter, TcxBorders ASides) {
  TColor leftTop, rightBottom;
  if (ASunken) {
    leftTop = AOuter ? clBtnShadow : cl3DDkShadow;
    rightBottom = AOuter ? clBtnHighlight : cl3DLight;
  } else {
    leftTop = AOuter ? cl3DLight : clBtnHighlight;
    rightBottom = AOuter ? cl3DDkShadow : clBtnShadow;
  }
  FrameSides(R, leftTop, rightBottom, 1, ASides);
}

void TcxCanvas::DrawFrame(const TRect& R, TColor AColor, TcxBorders ASides, Integer AWidth) {
  if (AColor != clDefault) SetBrushColor(AColor);
  if (ASides.Contains(bLeft)) FCanvas->FillRect(TRect{R.left, R.top, R.left + AWidth, R.bottom});
  if (ASides.Contains(bRight)) FCanvas->FillRect(TRect{R.right - AWidth, R.top, R.right, R.bottom});
  if (ASides.Contains(bTop)) FCanvas->FillRect(TRect{R.left, R.top, R.right, R.top + AWidth});
  if (ASides.Contains(bBottom)) FCanvas->FillRect(TRect{R.left, R.bottom - AWidth, R.right, R.bottom});
}

void TcxCanvas::DrawFocusFrame(const TRect& R) {
  SetBrushColor(clWhite);
  Font()->SetColor(clBlack);
  FCanvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  FCanvas->DrawFocusRect(R);
}

void TcxCanvas::InvertArea(const TRect& R) {
  FCanvas->SetCopyMode(cmDstInvert);
  FCanvas->CopyRect(R, FCanvas, R);
  FCanvas->SetCopyMode(cmSrcCopy);
}

namespace {

// The greyed look of a glyph: every pixel that is not the transparent colour is painted
// in the button highlight colour one pixel right and down, then in the button shadow
// colour in place (the class library's disabled image).
void drawGreyed(HDC dc, Integer X, Integer Y, TBitmap* glyph) {
  const Integer w = glyph->Width(), h = glyph->Height();
  const COLORREF transparent = static_cast<COLORREF>(glyph->TransparentColor()) & 0xFFFFFF;
  HDC src = glyph->Canvas()->Handle();
  std::vector<bool> shape(static_cast<size_t>(w * h));
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x)
      shape[static_cast<size_t>(y * w + x)] = (GetPixel(src, x, y) & 0xFFFFFF) != transparent;
  const COLORREF highlight = rgbOf(clBtnHighlight), shadow = rgbOf(clBtnShadow);
  for (int pass = 0; pass < 2; ++pass) {
    const Integer shift = pass == 0 ? 1 : 0;
    const COLORREF color = pass == 0 ? highlight : shadow;
    for (Integer y = 0; y < h; ++y)
      for (Integer x = 0; x < w; ++x)
        if (shape[static_cast<size_t>(y * w + x)]) ::SetPixel(dc, X + x + shift, Y + y + shift, color);
  }
}

}  // namespace

void TcxCanvas::DrawGlyph(Integer X, Integer Y, TBitmap* AGlyph, bool AEnabled, TColor ABackgroundColor) {
  if (AGlyph == nullptr || AGlyph->Empty()) return;
  const Integer w = AGlyph->Width(), h = AGlyph->Height();
  if (AEnabled) {
    const TBrushStyle style = Brush()->Style();
    if (ABackgroundColor == clNone)
      Brush()->SetStyle(bsClear);
    else
      SetBrushColor(ABackgroundColor);
    FCanvas->BrushCopy(TRect{X, Y, X + w, Y + h}, AGlyph, TRect{0, 0, w, h}, AGlyph->TransparentColor());
    Brush()->SetStyle(style);
    return;
  }
  if (ABackgroundColor == clNone) {
    drawGreyed(FCanvas->Handle(), X, Y, AGlyph);
    return;
  }
  TObjectPtr<TBitmap> back(new TBitmap);
  back->SetSize(w, h);
  back->Canvas()->Brush()->SetColor(ABackgroundColor);
  back->Canvas()->FillRect(TRect{0, 0, w, h});
  drawGreyed(back->Canvas()->Handle(), 0, 0, AGlyph);
  FCanvas->Draw(X, Y, back.get());
}

void TcxCanvas::DrawFormattedText(const std::string& AText, const TRect& ARect, Integer AFlags, bool AEnabled) {
  if (AText.empty()) return;
  TRect R = ARect;
  const bool useDrawText =
      !(AFlags & cxSingleLine) || (AFlags & (cxShowPrefix | cxShowEndEllipsis | cxShowPathEllipsis));
  const TSize extent = GetTextExtent(AText);
  const bool roomy = widthOf(R) > extent.cx && heightOf(R) > extent.cy;
  if (roomy) AFlags |= cxDontClip;
  const Integer disabledShift = AEnabled ? 0 : 1;

  UINT drawTextFlags = 0;
  UINT outputOptions = 0;
  if (useDrawText) {
    const bool bottom = AFlags & cxAlignBottom, vcenter = AFlags & cxAlignVCenter;
    if (!(AFlags & cxSingleLine) && bottom != vcenter) {
      // DrawText places multi-line text at the top only; measure the wrapped text and move
      // the rectangle's top ourselves.
      TRect measured{R.left, R.top, R.right - disabledShift, R.bottom};
      FCanvas->RequiredState({csHandleValid, csFontValid});
      UINT f = (cxTextFlagsToDrawTextFlags(AFlags) & ~UINT(DT_BOTTOM | DT_VCENTER)) | DT_CALCRECT;
      DrawTextA(FCanvas->Handle(), AText.data(), static_cast<int>(AText.size()), &measured, f);
      const Integer textHeight = heightOf(measured);
      if (bottom)
        R.top = R.bottom - (textHeight + disabledShift);
      else
        R.top = (R.top + R.bottom - textHeight) / 2;
    }
    drawTextFlags = cxTextFlagsToDrawTextFlags(AFlags);
  } else {
    if (widthOf(R) > extent.cx) {
      if ((AFlags & 7) == cxAlignRight)
        R.left = R.right - extent.cx - disabledShift;
      else if ((AFlags & 7) == cxAlignHCenter)
        R.left = (R.left + R.right - extent.cx) / 2;
    }
    if (heightOf(R) > extent.cy) {
      if ((AFlags & 56) == cxAlignBottom)
        R.top = R.bottom - extent.cy - disabledShift;
      else if ((AFlags & 56) == cxAlignVCenter)
        R.top = (R.top + R.bottom - extent.cy) / 2;
    }
    outputOptions = roomy ? 0 : ETO_CLIPPED;
  }

  auto draw = [&]() {
    FCanvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
    if (useDrawText)
      DrawTextA(FCanvas->Handle(), AText.data(), static_cast<int>(AText.size()), &R, drawTextFlags);
    else
      ExtTextOutA(FCanvas->Handle(), R.left, R.top, outputOptions, &R, AText.data(), static_cast<UINT>(AText.size()),
                  nullptr);
  };

  const TBrushStyle brushStyle = Brush()->Style();
  const TColor fontColor = Font()->Color();
  if (!AEnabled) {
    OffsetRect(R, 1, 1);
    Brush()->SetStyle(bsClear);
    Font()->SetColor(clBtnHighlight);
    draw();
    OffsetRect(R, -1, -1);
    Font()->SetColor(clBtnShadow);
  }
  draw();
  if (Brush()->Style() != brushStyle) Brush()->SetStyle(brushStyle);
  Font()->SetColor(fontColor);
}

void TcxCanvas::CalculateTextRect(const std::string& AText, TRect& R, Integer AFlags) {
  const Integer oldWidth = widthOf(R), oldHeight = heightOf(R);
  const UINT converted = cxTextFlagsToDrawTextFlags(AFlags);
  FCanvas->RequiredState({csHandleValid, csFontValid});
  DrawTextA(FCanvas->Handle(), AText.data(), static_cast<int>(AText.size()), &R,
            (converted & ~UINT(DT_VCENTER)) | DT_CALCRECT);
  const Integer dx = oldWidth - widthOf(R), dy = oldHeight - heightOf(R);
  if (converted & DT_CENTER)
    OffsetRect(R, dx / 2, 0);
  else if (converted & DT_RIGHT)
    OffsetRect(R, dx, 0);
  if (converted & DT_VCENTER)
    OffsetRect(R, 0, dy / 2);
  else if (converted & DT_BOTTOM)
    OffsetRect(R, 0, dy);
}

TSize TcxCanvas::GetTextExtent(const std::string& AText) { return FCanvas->TextExtent(AText); }

Integer TcxCanvas::GetFontHeight(TFont* AFont) {
  FCanvas->SetFont(AFont);
  return TextHeight("Qq");
}

void TcxCanvas::ExcludeFromClip(const TRect& R) { ExcludeClipRect(FCanvas->Handle(), R.left, R.top, R.right, R.bottom); }

void TcxCanvas::IntersectClip(const TRect& R) {
  IntersectClipRect(FCanvas->Handle(), R.left, R.top, R.right, R.bottom);
}

bool TcxCanvas::IsRectVisible(const TRect& R) { return RectVisible(FCanvas->Handle(), &R) != FALSE; }

TcxRegion* TcxCanvas::GetClipRegion() {
  auto* region = new TcxRegion();
  switch (GetClipRgn(FCanvas->Handle(), region->RegionHandle())) {
    case 1:
      break;
    case 0:  // no clipping region: the clip is unlimited
      SetRectRgn(region->RegionHandle(), 0, 0, 107374182, 107374182);
      break;
    default:  // the query failed: an empty region
      SetRectRgn(region->RegionHandle(), 0, 0, 0, 0);
      break;
  }
  return region;
}

void TcxCanvas::SetClipRegion(TcxRegion* ARegion, TcxRegionOperation AOperation, bool ADestroyRegion) {
  if (AOperation == roSet) {
    SelectClipRgn(FCanvas->Handle(), ARegion->RegionHandle());
  } else {
    const TPoint origin = GetWindowOrg();
    ARegion->Offset(-origin.x, -origin.y);
    TObjectPtr<TcxRegion> clip(GetClipRegion());
    clip->Combine(ARegion, AOperation, false);
    SelectClipRgn(FCanvas->Handle(), clip->RegionHandle());
  }
  if (ADestroyRegion) FreeObject(ARegion);
}

void TcxCanvas::SetPixel(Integer X, Integer Y, TColor AColor) { FCanvas->SetPixels(X, Y, AColor); }

void TcxCanvas::CopyRectFrom(const TRect& ADest, TCanvas* ACanvas, const TRect& ASource) {
  FCanvas->CopyRect(ADest, ACanvas, ASource);
}

void TcxCanvas::DrawGraphic(Integer X, Integer Y, TGraphic* AGraphic) { FCanvas->Draw(X, Y, AGraphic); }
void TcxCanvas::MoveTo(Integer X, Integer Y) { FCanvas->MoveTo(X, Y); }
void TcxCanvas::LineTo(Integer X, Integer Y) { FCanvas->LineTo(X, Y); }
void TcxCanvas::Polygon(std::span<const TPoint> APoints) { FCanvas->Polygon(APoints); }
void TcxCanvas::Polyline(std::span<const TPoint> APoints) { FCanvas->Polyline(APoints); }

// ---------------------------------------------------------------------------------------
// TScreenCanvas, TcxScreenCanvas

RTL_IMPLEMENT_CLASS(TScreenCanvas)

TScreenCanvas::~TScreenCanvas() { FreeHandle(); }

void TScreenCanvas::CreateHandle() {
  FScreenDC = GetDC(nullptr);
  SetHandle(FScreenDC);
}

void TScreenCanvas::FreeHandle() {
  if (FScreenDC == nullptr) return;
  SetHandle(nullptr);
  ReleaseDC(nullptr, FScreenDC);
  FScreenDC = nullptr;
}

RTL_IMPLEMENT_CLASS(TcxScreenCanvas)

TcxScreenCanvas::TcxScreenCanvas() : TcxCanvas(new TScreenCanvas) {}

TcxScreenCanvas::~TcxScreenCanvas() { FreeObject(Canvas()); }

// ---------------------------------------------------------------------------------------
// Colours

bool isSystemColor(TColor AColor, int& AIndex) {
  const uint32_t c = static_cast<uint32_t>(AColor);
  if ((c & 0xFFFFFF00u) != 0xFF000000u && (c & 0xFFFFFF00u) != 0x80000000u) return false;
  AIndex = static_cast<int>(c & 0xFF);
  return true;
}

TColor cxGetNearestScreenColor(TColor AColor) {
  HDC dc = GetDC(nullptr);
  COLORREF c = GetNearestColor(dc, rgbOf(AColor));
  ReleaseDC(nullptr, dc);
  return TColor(c);
}

TColor cxMixSystemColors(Integer AFacePercent, Integer AHighlightPercent, Integer AWindowPercent) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE), highlight = GetSysColor(COLOR_HIGHLIGHT),
                 window = GetSysColor(COLOR_WINDOW);
  if (face == 0 || face == 0xFFFFFF) return TColor(highlight);
  auto channel = [&](int shift) {
    auto part = [shift](COLORREF c) { return static_cast<int>((c >> shift) & 0xFF); };
    int v = MulDiv(part(face), AFacePercent, 100) + MulDiv(part(highlight), AHighlightPercent, 100) +
            MulDiv(part(window), AWindowPercent, 100);
    return static_cast<COLORREF>(std::clamp(v, 0, 255)) << shift;
  };
  return TColor(channel(0) | channel(8) | channel(16));
}

TColor cxGetHighlightHotColor() { return cxGetNearestScreenColor(cxMixSystemColors(-2, 30, 72)); }
TColor cxGetHighlightPressedColor() { return cxGetNearestScreenColor(cxMixSystemColors(14, 44, 40)); }

// ---------------------------------------------------------------------------------------
// TcxSolidBrushCache

namespace {
constexpr int kSystemBrushCount = 31;
HBRUSH systemColorBrushes[kSystemBrushCount] = {};
bool systemColorBrushesTaken = false;
TcxSolidBrushCache* globalBrushCache = nullptr;

uint32_t colorKey(TColor c) { return static_cast<uint32_t>(c); }
}  // namespace

void cxInitSystemColorBrushes() {
  for (int i = 0; i < kSystemBrushCount; ++i) systemColorBrushes[i] = GetSysColorBrush(i);
  systemColorBrushesTaken = true;
}

RTL_IMPLEMENT_CLASS(TcxSolidBrushCache)

TcxSolidBrushCache::TcxSolidBrushCache(Integer ACapacity) : FMaxDepth(std::max<Integer>(ACapacity, 1)) {
  FColors.resize(static_cast<size_t>(FMaxDepth));
  FBrushes.resize(static_cast<size_t>(FMaxDepth));
  FUsage.resize(static_cast<size_t>(FMaxDepth));
}

TcxSolidBrushCache::~TcxSolidBrushCache() { SystemPaletteChanged(); }

void TcxSolidBrushCache::SystemPaletteChanged() {
  for (Integer i = 0; i < FDepth; ++i) DeleteObject(FBrushes[static_cast<size_t>(i)]);
  FDepth = 0;
}

HBRUSH TcxSolidBrushCache::GetBrush(TColor AColor) {
  int index;
  if (systemColorBrushesTaken && isSystemColor(AColor, index) && index < kSystemBrushCount)
    return systemColorBrushes[index];
  Integer i;
  if (FindColor(AColor, i)) {
    ++FUsage[static_cast<size_t>(i)];
    return FBrushes[static_cast<size_t>(i)];
  }
  return AddBrush(AColor, i);
}

bool TcxSolidBrushCache::FindColor(TColor AColor, Integer& AIndex) const {
  Integer low = 0, high = FDepth - 1;
  const uint32_t key = colorKey(AColor);
  while (low <= high) {
    Integer mid = (low + high) / 2;
    uint32_t c = colorKey(FColors[static_cast<size_t>(mid)]);
    if (c == key) {
      AIndex = mid;
      return true;
    }
    if (c < key)
      low = mid + 1;
    else
      high = mid - 1;
  }
  AIndex = low;
  return false;
}

Integer TcxSolidBrushCache::LeastUsedIndex() const {
  Integer result = 0;
  for (Integer i = 1; i < FDepth; ++i)
    if (FUsage[static_cast<size_t>(i)] < FUsage[static_cast<size_t>(result)]) result = i;
  return result;
}

void TcxSolidBrushCache::Delete(Integer AIndex) {
  DeleteObject(FBrushes[static_cast<size_t>(AIndex)]);
  for (Integer i = AIndex; i < FDepth - 1; ++i) {
    FColors[static_cast<size_t>(i)] = FColors[static_cast<size_t>(i + 1)];
    FBrushes[static_cast<size_t>(i)] = FBrushes[static_cast<size_t>(i + 1)];
    FUsage[static_cast<size_t>(i)] = FUsage[static_cast<size_t>(i + 1)];
  }
  --FDepth;
}

HBRUSH TcxSolidBrushCache::AddBrush(TColor AColor, Integer AIndex) {
  if (FDepth == FMaxDepth) {
    Integer evicted = LeastUsedIndex();
    Delete(evicted);
    if (evicted < AIndex) --AIndex;
  }
  for (Integer i = FDepth; i > AIndex; --i) {
    FColors[static_cast<size_t>(i)] = FColors[static_cast<size_t>(i - 1)];
    FBrushes[static_cast<size_t>(i)] = FBrushes[static_cast<size_t>(i - 1)];
    FUsage[static_cast<size_t>(i)] = FUsage[static_cast<size_t>(i - 1)];
  }
  HBRUSH brush = CreateSolidBrush(rgbOf(AColor));
  FColors[static_cast<size_t>(AIndex)] = AColor;
  FBrushes[static_cast<size_t>(AIndex)] = brush;
  FUsage[static_cast<size_t>(AIndex)] = 0;
  ++FDepth;
  return brush;
}

TcxSolidBrushCache* cxSolidBrushCache() { return globalBrushCache; }

HBRUSH cxGetSolidBrush(TColor AColor) { return globalBrushCache ? globalBrushCache->GetBrush(AColor) : nullptr; }
HBRUSH cxGetSolidBrushForCanvas(TCanvas*, TColor AColor) { return cxGetSolidBrush(AColor); }
HBRUSH cxGetSolidBrushForCxCanvas(TcxCanvas*, TColor AColor) { return cxGetSolidBrush(AColor); }

namespace cxGraphicsUnit {
void Initialize() {
  cxInitSystemColorBrushes();
  if (globalBrushCache == nullptr) globalBrushCache = TcxSolidBrushCache::Create();
}
void Finalize() {
  delete globalBrushCache;
  globalBrushCache = nullptr;
  for (HBRUSH& b : systemColorBrushes) b = nullptr;
  systemColorBrushesTaken = false;
}
}  // namespace cxGraphicsUnit
