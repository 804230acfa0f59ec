// The looks of the bars: the painter family's drawing of item controls and bar windows,
// the glyph routine every item image goes through, the arrow routine and the dither brush.
#include <algorithm>
#include <memory>
#include <vector>

#include "cx/foundation/dxOffice11.h"
#include "dx/bars/dxBar.h"

namespace {

HBRUSH ditherBrush = nullptr;

const TdxBarItemControlStandardPainter standardPainter;
const TdxBarItemControlEnhancedPainter enhancedPainter;

// The class library answers client sizes from non-const controls only.
Integer clientWidthOf(const TdxBarControl* Bar) { return const_cast<TdxBarControl*>(Bar)->ClientWidth(); }
Integer clientHeightOf(const TdxBarControl* Bar) { return const_cast<TdxBarControl*>(Bar)->ClientHeight(); }

bool isEmptyRect(const TRect& R) { return R.right <= R.left || R.bottom <= R.top; }

void fillColor(HDC DC, const TRect& R, COLORREF Color) {
  HBRUSH brush = CreateSolidBrush(Color);
  FillRect(DC, &R, brush);
  DeleteObject(brush);
}

// A polygon (or polyline) in one colour, with the DC's pen and brush put back afterwards.
void polygonIn(HDC DC, COLORREF Color, const std::vector<POINT>& Points, bool Filled) {
  HPEN pen = CreatePen(PS_SOLID, 1, Color);
  HBRUSH brush = Filled ? CreateSolidBrush(Color) : nullptr;
  HGDIOBJ oldPen = SelectObject(DC, pen);
  HGDIOBJ oldBrush = SelectObject(DC, brush ? static_cast<HGDIOBJ>(brush) : GetStockObject(NULL_BRUSH));
  if (Filled) Polygon(DC, Points.data(), static_cast<int>(Points.size()));
  else Polyline(DC, Points.data(), static_cast<int>(Points.size()));
  SelectObject(DC, oldBrush);
  SelectObject(DC, oldPen);
  DeleteObject(pen);
  if (brush) DeleteObject(brush);
}

void lineIn(HDC DC, COLORREF Color, Integer X1, Integer Y1, Integer X2, Integer Y2) {
  polygonIn(DC, Color, {{X1, Y1}, {X2, Y2}}, false);
}

// The clip region of a DC, kept and put back by scope.
class ClipRegionScope {
public:
  explicit ClipRegionScope(HDC DC) : dc_(DC), region_(CreateRectRgn(0, 0, 0, 0)) {
    exists_ = GetClipRgn(dc_, region_) == 1;
  }
  ~ClipRegionScope() {
    SelectClipRgn(dc_, exists_ ? region_ : nullptr);
    DeleteObject(region_);
  }
  ClipRegionScope(const ClipRegionScope&) = delete;
  ClipRegionScope& operator=(const ClipRegionScope&) = delete;

private:
  HDC dc_;
  HRGN region_;
  bool exists_ = false;
};

// A top-down 32-bit picture of W x H pixels (0x00RRGGBB in memory order B, G, R).
class PixelBuffer {
public:
  PixelBuffer(Integer W, Integer H) : w_(std::max<Integer>(W, 1)), h_(std::max<Integer>(H, 1)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w_;
    info.bmiHeader.biHeight = -h_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~PixelBuffer() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  PixelBuffer(const PixelBuffer&) = delete;
  PixelBuffer& operator=(const PixelBuffer&) = delete;
  HDC DC() const { return dc_; }
  Integer Width() const { return w_; }
  Integer Height() const { return h_; }
  // As a COLORREF (0x00BBGGRR).
  COLORREF At(Integer X, Integer Y) const {
    uint32_t v = bits_[Y * w_ + X];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  void Put(Integer X, Integer Y, COLORREF C) {
    if (X < 0 || Y < 0 || X >= w_ || Y >= h_) return;
    bits_[Y * w_ + X] = (GetRValue(C) << 16) | (GetGValue(C) << 8) | GetBValue(C);
  }

private:
  Integer w_, h_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

COLORREF tint(COLORREF C, COLORREF Fade) {
  Integer y = (77 * GetRValue(C) + 151 * GetGValue(C) + 28 * GetBValue(C)) >> 8;
  Integer l = (y * 192 + 16320) >> 8;
  auto channel = [l](Integer f) { return static_cast<BYTE>((f * 192 + l * 64) >> 8); };
  return RGB(channel(GetRValue(Fade)), channel(GetGValue(Fade)), channel(GetBValue(Fade)));
}

COLORREF grey(COLORREF C) {
  BYTE v = static_cast<BYTE>((GetRValue(C) + GetGValue(C) + GetBValue(C)) / 3);
  return RGB(v, v, v);
}

COLORREF fade(COLORREF C) {
  auto channel = [](Integer c) { return static_cast<BYTE>(c + MulDiv(255 - c, 3, 10)); };
  return RGB(channel(GetRValue(C)), channel(GetGValue(C)), channel(GetBValue(C)));
}

COLORREF brushColor(HBRUSH Brush) {
  LOGBRUSH lb{};
  if (Brush && GetObjectA(Brush, sizeof(lb), &lb) == sizeof(lb) && lb.lbStyle == BS_SOLID) return lb.lbColor;
  return GetSysColor(COLOR_BTNFACE);
}

}  // namespace

HBRUSH dxBarDitherBrush() { return ditherBrush; }

namespace dxBarPaintObjects {

void Create() {
  Destroy();
  // An 8 x 8 checkerboard: highlight, with face where row and column share their parity.
  PixelBuffer pattern(8, 8);
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x)
      pattern.Put(x, y, GetSysColor((x % 2) == (y % 2) ? COLOR_BTNFACE : COLOR_BTNHIGHLIGHT));
  HBITMAP bitmap = CreateCompatibleBitmap(pattern.DC(), 8, 8);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, 8, 8, pattern.DC(), 0, 0, SRCCOPY);
  SelectObject(dc, old);
  DeleteDC(dc);
  ditherBrush = CreatePatternBrush(bitmap);
  DeleteObject(bitmap);
}

void Destroy() {
  if (ditherBrush) DeleteObject(ditherBrush);
  ditherBrush = nullptr;
}

}  // namespace dxBarPaintObjects

const TdxBarItemControlPainter* dxBarPainterOf(TdxBarManagerStyle Style) {
  return Style == bmsStandard ? static_cast<const TdxBarItemControlPainter*>(&standardPainter) : &enhancedPainter;
}

// =======================================================================================
// Shared routines
// =======================================================================================

void dxBarDrawGlyph(HDC DC, HBRUSH BackgroundBrush, const TRect& R, TColor ImageListBkColor, TColor FadeColor,
                    bool CopyBackground, bool ShadowStyle, bool Pressed, bool Down, bool Hot, bool Flat, bool Grey,
                    bool Enabled, Integer ImageIndex, TCustomImageList* Images, TBitmap* Glyph,
                    const TRect& GlyphRect) {
  Integer w = R.right - R.left, h = R.bottom - R.top;
  if (w <= 0 || h <= 0) return;
  // Everything is drawn off screen and copied in one go.
  PixelBuffer target(w, h);
  if (CopyBackground) BitBlt(target.DC(), 0, 0, w, h, DC, R.left, R.top, SRCCOPY);
  else {
    TRect all = Rect(0, 0, w, h);
    FillRect(target.DC(), &all, BackgroundBrush ? BackgroundBrush : GetSysColorBrush(COLOR_BTNFACE));
  }
  bool fromBitmap = Glyph && !Glyph->Empty();
  bool fromList = !fromBitmap && Images && ImageIndex >= 0 && ImageIndex < Images->Count() && Images->Handle();
  if (fromBitmap || fromList) {
    Integer gw = fromBitmap ? Glyph->Width() : Images->Width(), gh = fromBitmap ? Glyph->Height() : Images->Height();
    PixelBuffer image(gw, gh);
    if (fromBitmap) BitBlt(image.DC(), 0, 0, gw, gh, Glyph->Canvas()->Handle(), 0, 0, SRCCOPY);
    else {
      // The list's image on its background colour: that colour becomes the transparent one.
      fillColor(image.DC(), Rect(0, 0, gw, gh), ColorToRGB(ImageListBkColor));
      ImageList_Draw(Images->Handle(), ImageIndex, image.DC(), 0, 0, ILD_NORMAL);
    }
    COLORREF transparent = image.At(0, gh - 1);
    TRect dest = GlyphRect;
    OffsetRect(&dest, -R.left, -R.top);
    Integer dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    // Each pixel of the destination rectangle takes the glyph pixel it stretches from.
    auto place = [&](Integer Dx, Integer Dy, auto&& ColorOf) {
      for (Integer y = 0; y < dh; ++y)
        for (Integer x = 0; x < dw; ++x) {
          Integer sx = x * gw / dw, sy = y * gh / dh;
          COLORREF c = image.At(sx, sy);
          if (c == transparent) continue;
          target.Put(dest.left + x + Dx, dest.top + y + Dy, ColorOf(c));
        }
    };
    bool fadeGiven = FadeColor != clNone;
    if (fadeGiven || Enabled) {
      bool tinted = fadeGiven && !Enabled;
      COLORREF fadeRGB = tinted ? static_cast<COLORREF>(ColorToRGB(FadeColor)) : 0;
      HDC screen = GetDC(nullptr);
      bool manyColours = GetDeviceCaps(screen, BITSPIXEL) > 8;
      ReleaseDC(nullptr, screen);
      bool lighten = (Enabled || !fadeGiven) && Flat && !Hot && !Down && !Grey && manyColours;
      auto transform = [&](COLORREF c) {
        if (tinted) c = tint(c, fadeRGB);
        else if (Grey) c = grey(c);
        if (lighten) c = fade(c);
        return c;
      };
      if (Flat && ShadowStyle && Hot && !Pressed) {
        COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
        place(2, 2, [shadow](COLORREF) { return shadow; });
        place(-1, -1, transform);
      } else {
        place(0, 0, transform);
      }
    } else {
      // Embossed: the glyph's shape in the highlight colour one pixel down and right
      // (not in the flat look), then in the shadow colour in its place.
      COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
      if (!Flat) place(1, 1, [highlight](COLORREF) { return highlight; });
      place(0, 0, [shadow](COLORREF) { return shadow; });
    }
  }
  BitBlt(DC, R.left, R.top, w, h, target.DC(), 0, 0, SRCCOPY);
}

void TileBitmap(HDC DC, const TRect& R, const TRect& OriginRect, TBitmap* Bitmap) {
  if (!Bitmap || Bitmap->Empty() || isEmptyRect(OriginRect)) return;
  Integer w = Bitmap->Width(), h = Bitmap->Height();
  if (w <= 0 || h <= 0) return;
  TRect area;
  if (!IntersectRect(&area, &R, &OriginRect)) return;
  ClipRegionScope clip(DC);
  IntersectClipRect(DC, area.left, area.top, area.right, area.bottom);
  HDC source = Bitmap->Canvas()->Handle();
  // The first tile that reaches the area, counted from the origin's corner.
  Integer firstX = OriginRect.left + (area.left - OriginRect.left) / w * w;
  Integer firstY = OriginRect.top + (area.top - OriginRect.top) / h * h;
  for (Integer y = firstY; y < area.bottom; y += h)
    for (Integer x = firstX; x < area.right; x += w) BitBlt(DC, x, y, w, h, source, 0, 0, SRCCOPY);
}

void FillBackground(HDC DC, const TRect& R, const TRect& OriginRect, TBitmap* Bitmap, TColor Color, HBRUSH Brush) {
  if (Bitmap && !Bitmap->Empty()) {
    TileBitmap(DC, R, OriginRect, Bitmap);
    return;
  }
  if (Brush) FillRect(DC, &R, Brush);
  else fillColor(DC, R, ColorToRGB(Color));
}

void DrawArrow(HDC DC, const TRect& R, bool PointsDown, bool NoHighlight, bool Selected, bool Enabled) {
  Integer e = PointsDown ? R.right - R.left - 8 : R.bottom - R.top - 6;
  Integer s = std::max<Integer>((e - 1) / 2 + (e % 2 != 0 ? 1 : 0), 3);
  DrawArrowSized(DC, R, s, PointsDown, NoHighlight, Selected, Enabled);
}

void DrawArrowSized(HDC DC, const TRect& R, Integer s, bool PointsDown, bool NoHighlight, bool Selected,
                    bool Enabled) {
  COLORREF color;
  if (!Enabled) color = GetSysColor(COLOR_BTNSHADOW);
  else if (Selected) color = GetSysColor(dxIsButtonFaceWhite() ? COLOR_BTNFACE : COLOR_HIGHLIGHTTEXT);
  else color = GetSysColor(COLOR_BTNTEXT);
  Integer x0, y0;
  if (PointsDown) {
    x0 = (R.left + R.right - (2 * s - 1)) / 2;
    y0 = (R.top + R.bottom - s) / 2;
    polygonIn(DC, color, {{x0, y0}, {x0 + 2 * s - 2, y0}, {x0 + s - 1, y0 + s - 1}}, true);
  } else {
    x0 = (R.left + R.right - s) / 2;
    y0 = (R.top + R.bottom - (2 * s - 1)) / 2;
    polygonIn(DC, color, {{x0, y0}, {x0, y0 + 2 * s - 2}, {x0 + s - 1, y0 + s - 1}}, true);
  }
  if (Enabled || NoHighlight) return;
  COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  if (PointsDown) {
    lineIn(DC, light, x0 + s, y0 + s - 1, x0 + 2 * s - 1, y0);
    lineIn(DC, light, x0 + s, y0 + s, x0 + 2 * s, y0);
  } else {
    lineIn(DC, light, x0 + s - 1, y0 + s, x0, y0 + 2 * s - 1);
    lineIn(DC, light, x0 + s, y0 + s, x0, y0 + 2 * s);
  }
}

// =======================================================================================
// Base painter
// =======================================================================================

Integer TdxBarItemControlPainter::GetButtonArrowWidth(const TdxBarManager* Manager) const {
  Integer width = Manager->ButtonArrowWidth();
  if (Manager->LargeIcons()) width *= 2;
  if (width % 2 == 0) ++width;
  return width;
}

HBRUSH TdxBarItemControlPainter::GetBarBrush(const TCustomdxBarControl*) const {
  return GetSysColorBrush(COLOR_BTNFACE);
}

HBRUSH TdxBarItemControlPainter::GetDownBrush(const TCustomdxBarControl*) const {
  return ditherBrush ? ditherBrush : GetSysColorBrush(COLOR_BTNHIGHLIGHT);
}

HBRUSH TdxBarItemControlPainter::GetDownSelectedBrush(const TCustomdxBarControl*) const {
  return GetSysColorBrush(COLOR_BTNFACE);
}

HBRUSH TdxBarItemControlPainter::GetSelectedBrush(const TCustomdxBarControl*) const {
  return GetSysColorBrush(COLOR_HIGHLIGHT);
}

TColor TdxBarItemControlPainter::GetDisabledFadeColor(const TCustomdxBarControl* Bar) const {
  if (!Bar || !Bar->BarManager()->MakeDisabledImagesFaded()) return clNone;
  COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  auto channel = [](Integer c) { return static_cast<BYTE>((c * 70 + 255 * 30) / 100); };
  return static_cast<TColor>(RGB(channel(GetRValue(shadow)), channel(GetGValue(shadow)), channel(GetBValue(shadow))));
}

void TdxBarItemControlPainter::GetTextColors(const TdxBarItemControl*, bool Enabled, bool Selected, bool FlatPlain,
                                             COLORREF& Main, COLORREF& Offset) const {
  if (Enabled) Main = Offset = GetSysColor(Selected && !FlatPlain ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
  else if (Selected || FlatPlain) Main = Offset = GetSysColor(COLOR_GRAYTEXT);
  else {
    Main = GetSysColor(COLOR_BTNSHADOW);
    Offset = GetSysColor(COLOR_BTNHIGHLIGHT);
  }
}

void TdxBarItemControlPainter::GetItemTextColorAndBrush(const TdxBarItemControl* Control, TdxBarPaintType, bool,
                                                        bool, bool, COLORREF& TextColor, HBRUSH& Brush) const {
  TextColor = GetSysColor(COLOR_BTNTEXT);
  Brush = Control->Parent() ? Control->Parent()->BackgroundBrush() : GetSysColorBrush(COLOR_BTNFACE);
}

HBRUSH TdxBarItemControlPainter::GetGlyphBrush(const TdxBarItemControl* Control, TdxBarPaintType, bool, bool, bool,
                                               bool, bool) const {
  return Control->Parent() ? Control->Parent()->BackgroundBrush() : GetSysColorBrush(COLOR_BTNFACE);
}

void TdxBarItemControlPainter::FillFace(const TdxBarItemControl* Control, HDC DC, bool Selected, HBRUSH Brush,
                                        const TRect& R) const {
  if (isEmptyRect(R)) return;
  if (Selected || !Control->Parent()) FillRect(DC, &R, Brush);
  else Control->Parent()->DrawBackground(DC, R, Brush);
}

void TdxBarItemControlPainter::FrameFace(const TdxBarItemControl* Control, HDC DC, bool Selected, HBRUSH Brush,
                                         const TRect& R) const {
  if (Selected) {
    FrameRect(DC, &R, Brush);
    return;
  }
  ClipRegionScope clip(DC);
  ExcludeClipRect(DC, R.left + 1, R.top + 1, R.right - 1, R.bottom - 1);
  FillFace(Control, DC, false, Brush, R);
}

void TdxBarItemControlPainter::DrawEtchedLine(HDC DC, const TRect& R) const {
  fillColor(DC, R, GetSysColor(COLOR_BTNSHADOW));
}

void TdxBarItemControlPainter::DrawCheckedFace(const TdxBarItemControl* Control, HDC DC, bool Pressed, bool Down,
                                               bool Hot, TdxBarPaintType, bool Fits, HBRUSH Brush,
                                               const TRect& R) const {
  TRect face = R;
  if (Fits) InflateRect(&face, -1, -1);
  if (!PaintsFaceFirst()) FillFace(Control, DC, !KeepsFaceOnHighlight() && (Pressed || Down || Hot), Brush, face);
}

void TdxBarItemControlPainter::DrawGlyph(const TdxBarItemControl* Control, HDC DC, TdxBarPaintType, bool Pressed,
                                         bool Down, bool Hot, Integer ImageIndex, TCustomImageList* Images,
                                         TBitmap* Glyph, const TRect& GlyphRect, const TRect& Face, bool Fits,
                                         HBRUSH Brush) const {
  TRect face = Face;
  if (Fits) InflateRect(&face, -1, -1);
  bool copyBackground = false;
  if (Control->Parent() && Control->Parent()->NeedsDoubleBuffering()) {
    // A face that is not down shows the window's own background under the glyph.
    bool selected = !KeepsFaceOnHighlight() && (Pressed || Down || Hot);
    bool plainFace = !Down && !selected;
    if (plainFace) {
      FillFace(Control, DC, false, Brush, face);
      copyBackground = true;
    }
  }
  // An image from the disabled list is drawn as it is; a disabled view's own bitmap is
  // still drawn disabled, as the disabled list has nothing to show for it.
  bool asIs = Control->HasStateImages() && (Control->GetEnabled() || !Glyph || Glyph->Empty());
  TdxBarManager* manager = Control->BarManager();
  dxBarDrawGlyph(DC, Brush, face, manager ? manager->ImageListBkColor() : clFuchsia,
                 GetDisabledFadeColor(Control->Parent()), copyBackground, false, Pressed, Down, Hot, false, false,
                 asIs, ImageIndex, Images, Glyph, GlyphRect);
}

void TdxBarItemControlPainter::DrawItemGlyph(const TdxBarItemControl* Control, HDC DC, const TRect& Face,
                                             bool DropDown, bool Pressed, bool Down, bool Hot, bool NoGlyph,
                                             TdxBarPaintType Kind) const {
  TdxBarManager* manager = Control->BarManager();
  // The glyph centres in a glyph-sized face at the start of the item.
  Integer faceW = Face.right - Face.left, faceH = Face.bottom - Face.top;
  if (Kind == ptHorz) faceW = manager->ButtonGlyphWidth();
  else if (Kind == ptVert) faceH = manager->ButtonGlyphHeight();
  TBitmap* glyph = NoGlyph ? nullptr : Control->GetGlyph();
  bool hasBitmap = glyph && !glyph->Empty();
  // Without a bitmap the image comes from the list for the view's place and state: the hot
  // list while hot when it has the image, else the view's own list.
  Integer imageIndex = Control->GetImageIndex();
  TCustomImageList* images = nullptr;
  if (!hasBitmap && !NoGlyph && Control->HasValidImage()) {
    TCustomImageList* hot = Control->GetHotImages();
    if (Hot && Control->GetEnabled() && hot && imageIndex < hot->Count()) images = hot;
    else images = Control->GetImages(Kind != ptMenu);
    if (imageIndex >= images->Count()) images = Control->GetImages(false);
  }
  bool hasGlyph = hasBitmap || images;
  TRect glyphRect = Rect(0, 0, 0, 0);
  if (hasGlyph) {
    Integer gw = hasBitmap ? glyph->Width() : images->Width(), gh = hasBitmap ? glyph->Height() : images->Height();
    bool largeList = images && images == Control->GetImages(true) && manager->UsesLargeImages();
    if (Kind != ptMenu && manager->LargeIcons() && !largeList) {
      gw *= 2;
      gh *= 2;
    }
    Integer x = Face.left + (faceW - gw) / 2, y = Face.top + (faceH - gh) / 2;
    if (Pressed) {
      x += GetPressedGlyphOffset();
      y += GetPressedGlyphOffset();
    }
    if (Down) {
      x += GetDownGlyphOffset(Pressed);
      y += GetDownGlyphOffset(Pressed);
    }
    glyphRect = Bounds(x, y, gw, gh);
  }
  DrawGlyphFace(Control, DC, Face, DropDown, Pressed, Down, Hot, NoGlyph || !hasGlyph, imageIndex, images, glyph,
                Kind, glyphRect);
}

void TdxBarItemControlPainter::DrawGlyphFace(const TdxBarItemControl* Control, HDC DC, const TRect& Face,
                                             bool DropDown, bool Pressed, bool Down, bool Hot, bool NoGlyph,
                                             Integer ImageIndex, TCustomImageList* Images, TBitmap* Glyph,
                                             TdxBarPaintType Kind, const TRect& GlyphRect) const {
  HBRUSH brush = GetGlyphBrush(Control, Kind, DropDown, Pressed, Down, Hot, NoGlyph);
  Integer faceW = Face.right - Face.left, faceH = Face.bottom - Face.top;
  Integer needW = NoGlyph ? Control->BarManager()->ImageSize() : GlyphRect.right - GlyphRect.left;
  Integer needH = NoGlyph ? Control->BarManager()->ImageSize() : GlyphRect.bottom - GlyphRect.top;
  bool fits = faceW >= needW + 2 && faceH >= needH + 2;
  if (PaintsFaceFirst()) DrawButtonFrame(Control, DC, DropDown, Pressed, Down, Hot, NoGlyph, Kind, Face, fits, brush);
  if (NoGlyph) DrawCheckedFace(Control, DC, Pressed, Down, Hot, Kind, fits, brush, Face);
  else DrawGlyph(Control, DC, Kind, Pressed, Down, Hot, ImageIndex, Images, Glyph, GlyphRect, Face, fits, brush);
  if (!PaintsFaceFirst()) DrawButtonFrame(Control, DC, DropDown, Pressed, Down, Hot, NoGlyph, Kind, Face, fits, brush);
}

void TdxBarItemControlPainter::DrawCaption(const TdxBarItemControl* Control, HDC DC, bool Plain, bool Clip,
                                           bool Vertical, bool Selected, bool Enabled, Integer Alignment,
                                           const TRect& R, const std::string& Text) const {
  if (Vertical) {
    drawVerticalCaption(Control, DC, Plain, Clip, Selected, Enabled, Alignment, R, Text);
    return;
  }
  static const UINT aligns[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
  HGDIOBJ oldFont = SelectObject(DC, Control->BarManager()->FontHandle());
  int oldMode = SetBkMode(DC, TRANSPARENT);
  COLORREF oldColor = GetTextColor(DC);
  // Without DT_NOPREFIX the text routine underlines the mnemonic and shows "&&" as "&".
  UINT format = DT_SINGLELINE | DT_VCENTER | aligns[std::clamp<Integer>(Alignment, 0, 2)] | (Clip ? 0 : DT_NOCLIP);
  COLORREF main, offset;
  GetTextColors(Control, Enabled, Selected, HasSplitDropDown() && Plain, main, offset);
  if (offset != main) {
    TRect shifted = R;
    OffsetRect(&shifted, 1, 1);
    SetTextColor(DC, offset);
    DrawTextA(DC, Text.c_str(), static_cast<int>(Text.size()), &shifted, format);
  }
  TRect r = R;
  SetTextColor(DC, main);
  DrawTextA(DC, Text.c_str(), static_cast<int>(Text.size()), &r, format);
  SetTextColor(DC, oldColor);
  SetBkMode(DC, oldMode);
  SelectObject(DC, oldFont);
}

// Text turned to read downwards, its tops to the right: the text routine cannot underline
// the mnemonic there, so the markers are taken out and the underline is a line of its own
// beside the letter.
void TdxBarItemControlPainter::drawVerticalCaption(const TdxBarItemControl* Control, HDC DC, bool Plain, bool Clip,
                                                   bool Selected, bool Enabled, Integer Alignment, const TRect& R,
                                                   const std::string& Text) const {
  std::string plain;
  Integer mnemonic = -1;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == '&') {
      if (i + 1 < Text.size() && Text[i + 1] == '&') {
        plain += '&';
        ++i;
      } else if (mnemonic < 0 && i + 1 < Text.size()) {
        mnemonic = static_cast<Integer>(plain.size());
      }
      continue;
    }
    plain += Text[i];
  }
  TdxBarManager* manager = Control->BarManager();
  HGDIOBJ oldFont = SelectObject(DC, manager->FontHandle());
  SIZE extent{0, 0}, before{0, 0}, letter{0, 0};
  GetTextExtentPoint32A(DC, plain.c_str(), static_cast<int>(plain.size()), &extent);
  TEXTMETRICA tm{};
  GetTextMetricsA(DC, &tm);
  if (mnemonic >= 0) {
    GetTextExtentPoint32A(DC, plain.c_str(), mnemonic, &before);
    GetTextExtentPoint32A(DC, plain.c_str() + mnemonic, 1, &letter);
  }
  SelectObject(DC, manager->RotatedFontHandle());
  Integer height = R.bottom - R.top;
  Integer along = Alignment == 1 ? (height - extent.cx) / 2 : Alignment == 2 ? height - extent.cx : 0;
  // The text's top (its right edge) centres the text's height across the rectangle.
  Integer x = R.left + (R.right - R.left + tm.tmHeight) / 2, y = R.top + along;
  COLORREF main, offset;
  GetTextColors(Control, Enabled, Selected, HasSplitDropDown() && Plain, main, offset);
  int oldMode = SetBkMode(DC, TRANSPARENT);
  UINT oldAlign = SetTextAlign(DC, TA_TOP | TA_LEFT);
  COLORREF oldColor = GetTextColor(DC);
  std::unique_ptr<ClipRegionScope> clip;
  if (Clip) {
    clip = std::make_unique<ClipRegionScope>(DC);
    IntersectClipRect(DC, R.left, R.top, R.right, R.bottom);
  }
  auto draw = [&](Integer Dx, COLORREF Color) {
    SetTextColor(DC, Color);
    ExtTextOutA(DC, x + Dx, y + Dx, 0, nullptr, plain.c_str(), static_cast<UINT>(plain.size()), nullptr);
    if (mnemonic >= 0) {
      Integer ux = x + Dx - tm.tmAscent - 1;
      lineIn(DC, Color, ux, y + Dx + before.cx, ux, y + Dx + before.cx + letter.cx);
    }
  };
  if (offset != main) draw(1, offset);
  draw(0, main);
  clip.reset();
  SetTextColor(DC, oldColor);
  SetTextAlign(DC, oldAlign);
  SetBkMode(DC, oldMode);
  SelectObject(DC, oldFont);
}

void TdxBarItemControlPainter::DrawItemArrow(HDC DC, const TRect& R, bool Flat, bool Selected, bool Enabled,
                                             bool PointsDown) const {
  DrawArrow(DC, R, PointsDown, Flat, Selected, Enabled);
}

void TdxBarItemControlPainter::DrawItemArrowSized(HDC DC, const TRect& R, bool Flat, bool Enabled, bool Selected,
                                                  Integer Size, bool PointsDown) const {
  DrawArrowSized(DC, R, Size, PointsDown, Flat, Selected, Enabled);
}

Integer TdxBarItemControlPainter::GetSubItemArrowSize(const TdxBarItemControl* Control) const {
  return -Control->BarManager()->Font()->Height() / 2;
}

// On a toolbar: a glyph square (or the text height), never below the text size while the
// caption shows.
Integer TdxBarItemControlPainter::GetSubItemHeight(const TdxBarItemControl* Control) const {
  TCustomdxBarControl* bar = Control->Parent();
  if (bar->IsMenu()) return bar->TextSize();
  TdxBarManager* manager = Control->BarManager();
  Integer h = Control->HasImage() ? (bar->IsVertical() ? manager->ButtonGlyphWidth() : manager->ButtonGlyphHeight()) : 0;
  return h < bar->TextSize() ? bar->TextSize() : h;
}

// The caption, then room for the glyph or for the arrow's margins, and the arrow itself
// on bars other than the main menu.
Integer TdxBarItemControlPainter::GetSubItemWidth(const TdxBarItemControl* Control) const {
  TCustomdxBarControl* bar = Control->Parent();
  TdxBarManager* manager = Control->BarManager();
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, manager->FontHandle());
  std::string caption = RemoveAmpersands(Control->GetCaption());
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  if (bar->IsMenu()) return size.cx + 2 * bar->TextSize() + 3;
  Integer w = size.cx;
  if (Control->HasImage()) w += (bar->IsVertical() ? manager->ButtonGlyphHeight() : manager->ButtonGlyphWidth()) + 4;
  else w += 2 * GetSubItemArrowSize(Control);
  auto* toolbar = dynamic_cast<TdxBarControl*>(bar);
  if (!toolbar || !toolbar->Bar()->IsMainMenu()) w += bar->TextSize() / 2;
  return w;
}

// On a toolbar: the face and glyph, the caption after the glyph (or the arrow's margin)
// and, except on the main menu bar, a small arrow at the end.
void TdxBarItemControlPainter::DrawSubItem(const TdxBarItemControl* Control, HDC DC, TdxBarPaintType Kind, bool Down,
                                           bool Selected, const TRect& R) const {
  TCustomdxBarControl* bar = Control->Parent();
  TdxBarManager* manager = Control->BarManager();
  bool hasGlyph = Control->HasImage();
  DrawItemGlyph(Control, DC, R, false, false, Down, Selected && Control->GetEnabled(), !hasGlyph, Kind);
  TRect text = R;
  if (Kind == ptVert) text.top += hasGlyph ? manager->ButtonGlyphHeight() : GetSubItemArrowSize(Control);
  else text.left += hasGlyph ? manager->ButtonGlyphWidth() : GetSubItemArrowSize(Control);
  if (Down) OffsetRect(&text, 1, 1);
  DrawCaption(Control, DC, false, false, Kind == ptVert && bar->IsRotated(), false, Control->GetEnabled(), 0, text,
              Control->GetCaption());
  auto* toolbar = dynamic_cast<TdxBarControl*>(bar);
  if (toolbar && toolbar->Bar()->IsMainMenu()) return;
  Integer size = bar->SeparatorBase() - 1;
  Integer box = bar->TextSize() / 2 + std::abs(manager->Font()->Height()) / 2;
  TRect arrow = Kind == ptVert ? Rect(R.left, R.bottom - box, R.right, R.bottom) : Rect(R.right - box, R.top, R.right, R.bottom);
  DrawItemArrowSized(DC, arrow, false, Control->GetEnabled(), false, size, Kind != ptVert);
}

// An etched line across the middle of the separator's room, the bar's own background on
// both sides of it.
void TdxBarItemControlPainter::DrawSeparator(const TCustomdxBarControl* Bar, HDC DC, bool HorizontalLine,
                                             HBRUSH Brush, const TRect& R) const {
  Integer indent = GetSeparatorIndent(Bar, HorizontalLine);
  TRect line = R;
  if (HorizontalLine) {
    Bar->DrawBackground(DC, Rect(R.left, R.top, R.right, R.top + indent), Brush);
    Bar->DrawBackground(DC, Rect(R.left, R.bottom - indent, R.right, R.bottom), Brush);
    line.top += indent;
    line.bottom -= indent;
    DrawEdge(DC, &line, EDGE_ETCHED, BF_TOP);
  } else {
    Bar->DrawBackground(DC, Rect(R.left, R.top, R.left + indent, R.bottom), Brush);
    Bar->DrawBackground(DC, Rect(R.right - indent, R.top, R.right, R.bottom), Brush);
    line.left += indent;
    line.right -= indent;
    DrawEdge(DC, &line, EDGE_ETCHED, BF_LEFT);
  }
}

void TdxBarItemControlPainter::DrawMark(const TdxBarControl* Bar, HDC DC, HBRUSH Brush, const TRect& R) const {
  DrawMarkFace(Bar, DC, Brush, R);
  DrawMarkGlyphs(Bar, DC, R);
}

// Two chevrons tell that links were left out for want of room.
void TdxBarItemControlPainter::DrawMarkGlyphs(const TdxBarControl* Bar, HDC DC, const TRect& R) const {
  if (!Bar->LinksHidden()) return;
  if (Bar->IsVertical()) {
    DrawMarkChevron(Bar, DC, R.bottom - 9);
    DrawMarkChevron(Bar, DC, R.bottom - 5);
  } else {
    DrawMarkChevron(Bar, DC, R.left + 2);
    DrawMarkChevron(Bar, DC, R.left + 6);
  }
}

// --- Floating caption.

Integer TdxBarItemControlPainter::GetCaptionHeight() const {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  return metrics.iSmCaptionHeight;
}

COLORREF TdxBarItemControlPainter::GetCaptionColor(const TdxBarControl*, bool Active) const {
  return GetSysColor(Active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
}

void TdxBarItemControlPainter::GetCaptionTextStart(const TdxBarControl*, Integer& Left, const TRect& R) const {
  Left = R.left + CaptionMarkWidth + 3;
}

// Steps: the pixel row under the band in the line brush, the close button at the right
// end, the caption text (the system's small-caption font; the bar font's face when the
// manager does not use the system font) and the mark at the left.
void TdxBarItemControlPainter::DrawFloatingCaption(const TdxBarControl* Bar, HDC DC, HBRUSH LineBrush, HBRUSH Brush,
                                                   const TRect& R) const {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  TRect line = Rect(R.left, R.bottom, R.right, R.bottom + 1);
  FillRect(DC, &line, LineBrush);
  if (DrawsCaptionBackground()) DrawCaptionBackground(Bar, DC, Brush, R);
  TRect r = R;
  if (Bar->Bar()->AllowClose()) {
    r.right -= GetCaptionHeight();
    DrawCloseButton(Bar, DC, Rect(r.right, R.top, R.right, R.bottom));
  }
  bool hasMark = Bar->Bar()->ShowMark();
  Integer left = r.left + 2;
  if (hasMark) GetCaptionTextStart(Bar, left, r);
  TRect text = Rect(left, r.top, r.right, r.bottom);
  COLORREF background = GetCaptionColor(Bar, Bar->IsFormActive());
  // The band in front of the text (mark and gap) takes the caption colour too.
  if (!DrawsCaptionBackground()) fillColor(DC, Rect(r.left, r.top, std::min(text.left, r.right), r.bottom), background);
  if (text.right > text.left) {
    LOGFONTA lf = metrics.lfSmCaptionFont;
    TdxBarManager* manager = Bar->BarManager();
    if (!manager->UseSystemFont()) {
      lstrcpynA(lf.lfFaceName, manager->Font()->Name().c_str(), LF_FACESIZE);
      if (lf.lfHeight >= -10) lf.lfHeight = -11;
    }
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ oldFont = SelectObject(DC, font);
    SIZE size{0, 0};
    const std::string& caption = Bar->Bar()->Caption();
    GetTextExtentPoint32A(DC, caption.c_str(), static_cast<int>(caption.size()), &size);
    COLORREF oldText = SetTextColor(DC, GetCaptionTextColor(Bar));
    COLORREF oldBack = SetBkColor(DC, background);
    int oldMode = SetBkMode(DC, DrawsCaptionBackground() ? TRANSPARENT : OPAQUE);
    Integer y = (text.top + text.bottom - size.cy) / 2;
    ExtTextOutA(DC, text.left, y, ETO_CLIPPED | (DrawsCaptionBackground() ? 0 : ETO_OPAQUE), &text, caption.c_str(),
                static_cast<UINT>(caption.size()), nullptr);
    SetBkMode(DC, oldMode);
    SetBkColor(DC, oldBack);
    SetTextColor(DC, oldText);
    SelectObject(DC, oldFont);
    DeleteObject(font);
  }
  if (hasMark) {
    DrawCaptionMark(Bar, DC, Rect(r.left, r.top, r.left + CaptionMarkWidth, r.bottom));
  }
}

void TdxBarItemControlPainter::DrawCloseButtonFace(const TdxBarControl* Bar, HDC DC, Integer State,
                                                   const TRect& R) const {
  if (State == 0) {
    fillColor(DC, R, GetCaptionColor(Bar, Bar->IsFormActive()));
    return;
  }
  FrameRect(DC, &R, GetSysColorBrush(COLOR_HIGHLIGHT));
  TRect inner = R;
  InflateRect(&inner, -1, -1);
  FillRect(DC, &inner, State == 1 ? GetSelectedBrush(Bar) : GetDownSelectedBrush(Bar));
}

// A triangle 7 pixels wide pointing down, one pixel lower when the band's middle falls
// between two rows.
void TdxBarItemControlPainter::DrawCaptionMarkArrow(const TdxBarControl* Bar, HDC DC, const TRect& R) const {
  Integer x = (R.left + R.right - 7) / 2;
  Integer d = R.top + R.bottom - 4;
  Integer y = d / 2 + d % 2;
  polygonIn(DC, GetCaptionButtonColor(Bar, Bar->MarkState()), {{x, y}, {x + 6, y}, {x + 3, y + 3}}, true);
}

// =======================================================================================
// Standard look
// =======================================================================================

HBRUSH TdxBarItemControlStandardPainter::GetGlyphBrush(const TdxBarItemControl* Control, TdxBarPaintType Kind,
                                                       bool DropDown, bool Pressed, bool Down, bool Hot,
                                                       bool NoGlyph) const {
  if (Down && Control->GetEnabled())
    return Hot ? GetDownSelectedBrush(Control->Parent()) : GetDownBrush(Control->Parent());
  if (Hot && Kind == ptMenu && NoGlyph && !Down) return GetSelectedBrush(Control->Parent());
  return TdxBarItemControlPainter::GetGlyphBrush(Control, Kind, DropDown, Pressed, Down, Hot, NoGlyph);
}

void TdxBarItemControlStandardPainter::DrawEtchedLine(HDC DC, const TRect& R) const {
  TRect lit = R;
  OffsetRect(&lit, 1, 1);
  fillColor(DC, lit, GetSysColor(COLOR_BTNHIGHLIGHT));
  fillColor(DC, R, GetSysColor(COLOR_BTNSHADOW));
}

void TdxBarItemControlStandardPainter::DrawButtonFrame(const TdxBarItemControl* Control, HDC DC, bool, bool Pressed,
                                                       bool Down, bool Hot, bool NoGlyph, TdxBarPaintType Kind,
                                                       const TRect& R, bool Fits, HBRUSH Brush) const {
  if (Down || (Hot && !(Kind == ptMenu && NoGlyph))) {
    TRect r = R;
    DrawEdge(DC, &r, Pressed || Down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  } else if (Fits) {
    FrameFace(Control, DC, Down || Hot || Pressed, Brush, R);
  }
}

void TdxBarItemControlStandardPainter::DrawLoweredBorder(const TdxBarItemControl*, HDC DC, TRect& R) const {
  TRect r = R;
  DrawEdge(DC, &r, BDR_SUNKENOUTER, BF_RECT);
  InflateRect(&R, -1, -1);
}

void TdxBarItemControlStandardPainter::DrawDropDownPart(const TdxBarItemControl* Control, HDC DC,
                                                        TdxBarPaintType PaintType, bool DropDownEnabled,
                                                        bool DroppedDown, bool, bool Selected, HBRUSH Brush,
                                                        const TRect& R) const {
  FillFace(Control, DC, false, Brush, R);
  if (Selected) {
    TRect r = R;
    DrawEdge(DC, &r, DroppedDown ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  } else if (PaintType == ptMenu) {
    TRect line = Rect(R.left - 1, R.top, R.left + 1, R.bottom);
    DrawEdge(DC, &line, EDGE_ETCHED, BF_LEFT | BF_RIGHT);
  }
  bool enabled = Control->GetEnabled() && DropDownEnabled;
  TRect arrow = R;
  if (DroppedDown && (PaintType == ptMenu || R.right - R.left > 9)) OffsetRect(&arrow, 1, 1);
  DrawItemArrow(DC, arrow, false, false, enabled, PaintType != ptMenu);
}

void TdxBarItemControlStandardPainter::OffsetPressedButtonGlyph(bool Down, bool Pressed, TRect& R) const {
  Integer offset = (Down ? 1 : 0) + (Pressed ? 1 : 0);
  OffsetRect(&R, offset, offset);
}

void TdxBarItemControlStandardPainter::drawGripBar(HDC DC, const TRect& R, bool Vertical) const {
  TRect bar = R;
  DrawEdge(DC, &bar, BDR_RAISEDINNER, BF_RECT);
  if (Vertical) SetPixel(DC, R.right - 1, R.top, GetSysColor(COLOR_BTNHIGHLIGHT));
  else SetPixel(DC, R.left, R.bottom - 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  InflateRect(&bar, -1, -1);
  fillColor(DC, bar, GetSysColor(COLOR_BTNFACE));
  ExcludeClipRect(DC, R.left, R.top, R.right, R.bottom);
}

// A raised edge around the bar, then two grip bars across its inside.
void TdxBarItemControlStandardPainter::DrawDragMark(const TdxBarControl* Bar, HDC DC, HBRUSH, const TRect& R) const {
  TRect r = R;
  DrawEdge(DC, &r, BDR_RAISEDINNER, BF_RECT);
  InflateRect(&r, -2, -2);
  bool vertical = Bar->IsVertical();
  Integer width = GetDragMarkWidth();
  for (int i = 0; i < 2; ++i) {
    Integer start = GetDragMarkOffset() + i * width;
    TRect grip = vertical ? Rect(r.left, r.top + start, r.right, r.top + start + width)
                          : Rect(r.left + start, r.top, r.left + start + width, r.bottom);
    drawGripBar(DC, grip, vertical);
  }
}

void TdxBarItemControlStandardPainter::DrawFloatingBorder(const TdxBarControl*, HDC DC, HBRUSH, const TRect& R) const {
  TRect r = R;
  DrawEdge(DC, &r, EDGE_RAISED, BF_RECT);
  InflateRect(&r, -2, -2);
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  FrameRect(DC, &r, face);
  InflateRect(&r, -1, -1);
  FrameRect(DC, &r, face);
}

void TdxBarItemControlStandardPainter::DrawCloseButton(const TdxBarControl* Bar, HDC DC, const TRect& R) const {
  HBRUSH frame = CreateSolidBrush(GetCaptionColor(Bar, Bar->IsFormActive()));
  FrameRect(DC, &R, frame);
  DeleteObject(frame);
  TRect inner = R;
  InflateRect(&inner, -1, -1);
  DrawFrameControl(DC, &inner, DFC_CAPTION, DFCS_CAPTIONCLOSE | (Bar->CloseButtonState() == 2 ? DFCS_PUSHED : 0));
}

TRect TdxBarItemControlStandardPainter::GetMarkRect(const TdxBarControl* Bar) const {
  Integer w = clientWidthOf(Bar), h = clientHeightOf(Bar);
  return Bar->IsVertical() ? Rect(w - 9, h - 11, w, h) : Rect(w - 11, 0, w, 9);
}

void TdxBarItemControlStandardPainter::DrawMarkFace(const TdxBarControl* Bar, HDC DC, HBRUSH Brush,
                                                    const TRect& R) const {
  Bar->DrawBackground(DC, R, Brush);
}

void TdxBarItemControlStandardPainter::DrawMarkChevron(const TdxBarControl* Bar, HDC DC, Integer A) const {
  COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
  if (Bar->IsVertical()) {
    Integer w = clientWidthOf(Bar);
    lineIn(DC, shadow, w - 8, A, w - 4, A + 4);
    lineIn(DC, shadow, w - 4, A + 1, w - 2, A - 1);
    polygonIn(DC, light, {{w - 7, A}, {w - 5, A + 2}, {w - 4, A + 2}, {w - 1, A - 1}}, false);
  } else {
    lineIn(DC, light, A - 1, 1, A + 2, 4);
    lineIn(DC, light, A + 3, 4, A - 1, 8);
    polygonIn(DC, shadow, {{A, 1}, {A + 2, 3}, {A + 2, 4}, {A - 1, 7}}, false);
  }
}

// =======================================================================================
// Enhanced look
// =======================================================================================

// One grip bar, a pixel shorter at each end than the bar's inside.
void TdxBarItemControlEnhancedPainter::DrawDragMark(const TdxBarControl* Bar, HDC DC, HBRUSH, const TRect& R) const {
  TRect r = R;
  DrawEdge(DC, &r, BDR_RAISEDINNER, BF_RECT);
  InflateRect(&r, -2, -2);
  Integer start = GetDragMarkOffset(), width = GetDragMarkWidth();
  TRect grip = Bar->IsVertical() ? Rect(r.left + 1, r.top + start, r.right - 1, r.top + start + width)
                                 : Rect(r.left + start, r.top + 1, r.left + start + width, r.bottom - 1);
  TRect edge = grip;
  DrawEdge(DC, &edge, BDR_RAISEDINNER, BF_RECT);
  InflateRect(&edge, -1, -1);
  fillColor(DC, edge, GetSysColor(COLOR_BTNFACE));
  ExcludeClipRect(DC, grip.left, grip.top, grip.right, grip.bottom);
}

TRect TdxBarItemControlEnhancedPainter::GetMarkRect(const TdxBarControl* Bar) const {
  Integer w = clientWidthOf(Bar), h = clientHeightOf(Bar);
  return Bar->IsVertical() ? Rect(0, h - TdxBarControl::MarkSize, w, h) : Rect(w - TdxBarControl::MarkSize, 0, w, h);
}

void TdxBarItemControlEnhancedPainter::DrawMarkFace(const TdxBarControl* Bar, HDC DC, HBRUSH Brush,
                                                    const TRect& R) const {
  TRect r = R;
  switch (Bar->MarkState()) {
    case 1: DrawEdge(DC, &r, BDR_RAISEDINNER, BF_RECT); break;
    case 2: DrawEdge(DC, &r, BDR_SUNKENOUTER, BF_RECT); break;
    default: FrameRect(DC, &r, Brush); break;
  }
  InflateRect(&r, -1, -1);
  Bar->DrawBackground(DC, r, Brush);
}

// A small arrow (the mark's menu), then the chevrons of hidden links.
void TdxBarItemControlEnhancedPainter::DrawMarkGlyphs(const TdxBarControl* Bar, HDC DC, const TRect& R) const {
  COLORREF color = GetSysColor(GetMarkArrowColorIndex(Bar));
  if (Bar->IsVertical()) {
    Integer x = R.left + 5, y = R.top + 3;
    polygonIn(DC, color, {{x, y}, {x, y + 4}, {x - 2, y + 2}}, true);
  } else {
    Integer x = R.left + 3, y = R.bottom - 7;
    polygonIn(DC, color, {{x, y}, {x + 4, y}, {x + 2, y + 2}}, true);
  }
  TdxBarItemControlPainter::DrawMarkGlyphs(Bar, DC, R);
}

void TdxBarItemControlEnhancedPainter::DrawMarkChevron(const TdxBarControl* Bar, HDC DC, Integer X) const {
  COLORREF text = GetSysColor(COLOR_BTNTEXT);
  if (Bar->IsVertical()) {
    Integer w = clientWidthOf(Bar);
    polygonIn(DC, text, {{w - 8, X}, {w - 6, X + 2}, {w - 3, X - 1}}, false);
    polygonIn(DC, text, {{w - 8, X + 1}, {w - 6, X + 3}, {w - 3, X}}, false);
  } else {
    polygonIn(DC, text, {{X, 4}, {X + 2, 6}, {X - 1, 9}}, false);
    polygonIn(DC, text, {{X + 1, 4}, {X + 3, 6}, {X, 9}}, false);
  }
}
