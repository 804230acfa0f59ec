#include "lib/JvgUtils.h"

#include <algorithm>

namespace {

COLORREF rgbOf(TColor Color) { return static_cast<COLORREF>(ColorToRGB(Color)) & 0xFFFFFF; }

// ---------------------------------------------------------------------------------------
// Bevelled box

struct BevelPens {
  HPEN Highlight;
  HPEN Shadow;
  HPEN Dark;
};

void drawLine(HDC DC, HPEN Pen, Integer X1, Integer Y1, Integer X2, Integer Y2) {
  SelectObject(DC, Pen);
  MoveToEx(DC, X1, Y1, nullptr);
  LineTo(DC, X2, Y2);
}

// The line of one side of Box, Inset pixels in from its edge. Right and bottom lines lie on
// Box.right and Box.bottom; a line stops one pixel short of its end point, as LineTo draws
// it.
struct SideLine {
  Integer X1, Y1, X2, Y2;
};

SideLine sideLine(const TRect& Box, TglSide Side, Integer Inset) {
  switch (Side) {
    case fsdLeft: return {Box.left + Inset, Box.top, Box.left + Inset, Box.bottom};
    case fsdTop: return {Box.left, Box.top + Inset, Box.right, Box.top + Inset};
    case fsdRight: return {Box.right - Inset, Box.top, Box.right - Inset, Box.bottom};
    default: return {Box.left, Box.bottom - Inset, Box.right, Box.bottom - Inset};
  }
}

// Draws one bevel's sides on the rectangle Box has on entry, in the order left, top, right,
// bottom; each line drawn moves that side of Box inwards by one. A lowered bevel has its
// left and top in shadow and its right and bottom in highlight, a raised one the reverse,
// a space bevel every side in shadow. Bold doubles the shadow sides of the two 3-D kinds:
// a dark line on the edge, the shadow line one pixel inside.
void drawBevelSides(HDC DC, TRect& Box, TglSides Sides, TBevelCut Bevel, bool Bold, const BevelPens& Pens) {
  if (Bevel != bvLowered && Bevel != bvRaised && Bevel != bvSpace) return;
  const TRect edges = Box;
  for (TglSide side : {fsdLeft, fsdTop, fsdRight, fsdBottom}) {
    if (!Sides.Contains(side)) continue;
    const bool leadingSide = side == fsdLeft || side == fsdTop;
    const bool shadowSide = Bevel == bvSpace || (Bevel == bvLowered) == leadingSide;
    auto draw = [&](HPEN Pen, const SideLine& L) { drawLine(DC, Pen, L.X1, L.Y1, L.X2, L.Y2); };
    Integer lines = 1;
    if (Bold && shadowSide && Bevel != bvSpace) {
      draw(Pens.Dark, sideLine(edges, side, 0));
      SideLine inner = sideLine(edges, side, 1);
      // Without a bottom line the inner left line closes the corner itself; the inner
      // bottom line keeps off the left line.
      if (side == fsdLeft && !Sides.Contains(fsdBottom)) inner.Y2 += 1;
      if (side == fsdBottom && Sides.Contains(fsdLeft)) inner.X1 += 1;
      draw(Pens.Shadow, inner);
      lines = 2;
    } else {
      draw(shadowSide ? Pens.Shadow : Pens.Highlight, sideLine(edges, side, 0));
    }
    switch (side) {
      case fsdLeft: Box.left += lines; break;
      case fsdTop: Box.top += lines; break;
      case fsdRight: Box.right -= lines; break;
      default: Box.bottom -= lines; break;
    }
  }
}

// ---------------------------------------------------------------------------------------
// Bitmaps

// A bitmap of the device's kind, selected into a memory DC of its own; both go with the
// object.
class MemoryBitmap {
public:
  MemoryBitmap(HDC Reference, Integer Width, Integer Height, bool Monochrome = false)
      : dc_(CreateCompatibleDC(Reference)),
        bitmap_(Monochrome ? CreateBitmap(Width, Height, 1, 1, nullptr) : CreateCompatibleBitmap(Reference, Width, Height)),
        old_(SelectObject(dc_, bitmap_)) {}
  ~MemoryBitmap() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  MemoryBitmap(const MemoryBitmap&) = delete;
  MemoryBitmap& operator=(const MemoryBitmap&) = delete;

  HDC DC() const { return dc_; }

private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

}  // namespace

// =======================================================================================
// DrawBevelBox
// =======================================================================================

void DrawBevelBox(HDC DC, const TRect& R, TglSides Sides, TRect& Inner, bool Transparent, TColor BackgrColor, bool Bold,
                  TBevelCut BevelOuter, TBevelCut BevelInner) {
  // The lines take the style and width of the pen the caller left in the DC.
  LOGPEN current{};
  if (GetObjectA(GetCurrentObject(DC, OBJ_PEN), sizeof current, &current) != sizeof current) {
    current.lopnStyle = PS_SOLID;
    current.lopnWidth.x = 1;
  }
  const int width = std::max<int>(current.lopnWidth.x, 1);
  const int style = static_cast<int>(current.lopnStyle);
  const BevelPens pens{CreatePen(style, width, GetSysColor(COLOR_BTNHIGHLIGHT)),
                       CreatePen(style, width, GetSysColor(COLOR_BTNSHADOW)),
                       CreatePen(style, width, GetSysColor(COLOR_3DDKSHADOW))};
  HGDIOBJ oldPen = SelectObject(DC, pens.Highlight);

  TRect box = R;
  drawBevelSides(DC, box, Sides, BevelOuter, Bold, pens);
  drawBevelSides(DC, box, Sides, BevelInner, Bold, pens);

  SelectObject(DC, oldPen);
  DeleteObject(pens.Highlight);
  DeleteObject(pens.Shadow);
  DeleteObject(pens.Dark);

  if (!Transparent) {
    // The box's right and bottom are inclusive; FillRect's are not.
    const TRect fill = Rect(box.left, box.top, box.right + 1, box.bottom + 1);
    HBRUSH brush = CreateSolidBrush(rgbOf(BackgrColor));
    FillRect(DC, &fill, brush);
    DeleteObject(brush);
  }
  Inner = box;
}

// =======================================================================================
// Text
// =======================================================================================

void StyledDrawText(HDC DC, const TRect& R, const std::string& Text, TglHorAlign HAlign, TglVertAlign VAlign,
                    TglTextStyle Style, TFont* Font, UINT Flags) {
  if (!Font) return;
  if (Flags == 0) Flags = DT_SINGLELINE | DT_VCENTER;
  if (HAlign == fhaCenter) Flags |= DT_CENTER;
  else if (HAlign == fhaRight) Flags |= DT_RIGHT;
  if (VAlign == fvaCenter) Flags |= DT_VCENTER;
  else if (VAlign == fvaBottom) Flags |= DT_BOTTOM;

  HGDIOBJ oldFont = SelectObject(DC, Font->Handle());
  const int oldMode = SetBkMode(DC, TRANSPARENT);
  const COLORREF oldColor = GetTextColor(DC);
  auto textAt = [&](Integer DX, Integer DY, COLORREF Color) {
    TRect r = R;
    OffsetRect(&r, DX, DY);
    SetTextColor(DC, Color);
    DrawTextA(DC, Text.c_str(), static_cast<int>(Text.size()), &r, Flags);
  };
  const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF fontColor = rgbOf(Font->Color());
  switch (Style) {
    case fstRaised:
      textAt(-1, -1, highlight);
      textAt(1, 1, shadow);
      textAt(0, 0, fontColor);
      break;
    case fstRecessed:
      textAt(-1, -1, shadow);
      textAt(1, 1, highlight);
      textAt(0, 0, fontColor);
      break;
    case fstPushed:
      textAt(0, 0, highlight);
      textAt(-1, -1, shadow);
      break;
    case fstShadow:
      textAt(2, 2, shadow);
      textAt(0, 0, fontColor);
      break;
    default:  // fstNone, fstVolumetric
      textAt(0, 0, fontColor);
      break;
  }
  SetTextColor(DC, oldColor);
  SetBkMode(DC, oldMode);
  SelectObject(DC, oldFont);
}

void StyledTextOut(HDC DC, Integer X, Integer Y, const TRect& Clip, const std::string& Text, TglTextStyle Style,
                   bool Outlined, bool No3D, TColor FontColor, TColor OutlineColor, TColor HighlightColor,
                   TColor ShadowColor, std::optional<Integer> ShadowDepth, TJvgCustomGradient* Gradient, TFont* Font) {
  if (!Font) return;
  // The saved state brings back the clipping, the font, the text colour and the modes.
  const int saved = SaveDC(DC);
  IntersectClipRect(DC, Clip.left, Clip.top, Clip.right, Clip.bottom);
  SelectObject(DC, Font->Handle());
  SetBkMode(DC, TRANSPARENT);
  SetTextAlign(DC, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  const int length = static_cast<int>(Text.size());
  auto textAt = [&](Integer AX, Integer AY, COLORREF Color) {
    SetTextColor(DC, Color);
    TextOutA(DC, AX, AY, Text.c_str(), length);
  };
  const COLORREF highlight = rgbOf(HighlightColor), shadow = rgbOf(ShadowColor);
  const Integer depth = ShadowDepth.value_or(2);
  const Integer o = (Style == fstNone || Style == fstShadow) ? 0 : 2;

  // Where the text in the font colour goes (none for the pushed style).
  Integer fx = X, fy = Y;
  bool fontText = true;
  if (!No3D) {
    switch (Style) {
      case fstRaised:
        textAt(X, Y, highlight);
        textAt(X + o, Y + o, shadow);
        fx = X + 1;
        fy = Y + 1;
        break;
      case fstRecessed:
        textAt(X, Y, shadow);
        textAt(X + o, Y + o, highlight);
        fx = X + 1;
        fy = Y + 1;
        break;
      case fstPushed:
        textAt(X + 1, Y + 1, highlight);
        textAt(X, Y, shadow);
        fontText = false;
        break;
      case fstShadow:
        textAt(X + o + depth, Y + o + depth, shadow);
        break;
      case fstVolumetric:
        for (Integer i = 1; i <= depth; ++i) textAt(X + i, Y + i, shadow);
        break;
      default:
        break;
    }
  }

  if (fontText) {
    if (Gradient && Gradient->Active()) {
      // The letters' shape becomes the clipping region and the bands fill its box.
      BeginPath(DC);
      TextOutA(DC, fx, fy, Text.c_str(), length);
      EndPath(DC);
      if (HRGN letters = PathToRegion(DC)) {
        TRect box{};
        GetRgnBox(letters, &box);
        const int inner = SaveDC(DC);
        ExtSelectClipRgn(DC, letters, RGN_AND);
        Gradient->FillRectBands(DC, box, 1, psSolid);
        RestoreDC(DC, inner);
        DeleteObject(letters);
      }
    } else {
      textAt(fx, fy, rgbOf(FontColor));
    }
  }
  if (Outlined) {
    BeginPath(DC);
    TextOutA(DC, fx, fy, Text.c_str(), length);
    EndPath(DC);
    HPEN pen = CreatePen(PS_SOLID, 1, rgbOf(OutlineColor));
    HGDIOBJ oldPen = SelectObject(DC, pen);
    StrokePath(DC);
    SelectObject(DC, oldPen);
    DeleteObject(pen);
  }
  RestoreDC(DC, saved);
}

// =======================================================================================
// Bitmaps and fonts
// =======================================================================================

bool BitmapHasContent(TBitmap* Bitmap) { return Bitmap && Bitmap->Width() > 0 && Bitmap->Height() > 0; }

void PaintBitmapMode(HDC DC, TBitmap* Bitmap, const TRect& R, TColor BackgrColor, bool Transparent,
                     TglWallpaperOption Option, Integer DY, Integer DX) {
  if (!BitmapHasContent(Bitmap)) return;
  const Integer bw = Bitmap->Width(), bh = Bitmap->Height();

  // The working copy: the background, and the bitmap drawn on it.
  MemoryBitmap copy(DC, bw, bh);
  {
    const TRect all = Rect(0, 0, bw, bh);
    HBRUSH brush = CreateSolidBrush(rgbOf(BackgrColor));
    FillRect(copy.DC(), &all, brush);
    DeleteObject(brush);
    TCanvas* source = Bitmap->Canvas();
    BitBlt(copy.DC(), 0, 0, bw, bh, source->Handle(), 0, 0, SRCCOPY);
  }

  // The size it is drawn at.
  Integer w = bw, h = bh;
  const Integer rw = RectWidth(R), rh = RectHeight(R);
  if (Option == fwoStretch) {
    w = rw;
    h = rh;
  } else if (Option == fwoPropStretch) {
    // The smaller of the two ratios decides; the other side follows (truncated).
    if (static_cast<Int64>(rw) * bh <= static_cast<Int64>(rh) * bw) {
      w = rw;
      h = static_cast<Integer>(static_cast<Int64>(bh) * rw / bw);
    } else {
      h = rh;
      w = static_cast<Integer>(static_cast<Int64>(bw) * rh / bh);
    }
  }
  if (w <= 0 || h <= 0) return;
  MemoryBitmap image(DC, w, h);
  SetStretchBltMode(image.DC(), COLORONCOLOR);
  StretchBlt(image.DC(), 0, 0, w, h, copy.DC(), 0, 0, bw, bh, SRCCOPY);

  // For transparency: a mask (white where the transparent colour is) and the image with
  // those pixels black, so that OR-ing it over the kept destination completes the picture.
  std::optional<MemoryBitmap> mask, cut;
  if (Transparent) {
    mask.emplace(DC, w, h, true);
    SetBkColor(image.DC(), rgbOf(Bitmap->TransparentColor()));
    BitBlt(mask->DC(), 0, 0, w, h, image.DC(), 0, 0, SRCCOPY);
    cut.emplace(DC, w, h);
    BitBlt(cut->DC(), 0, 0, w, h, image.DC(), 0, 0, SRCCOPY);
    SetBkColor(cut->DC(), RGB(0, 0, 0));
    SetTextColor(cut->DC(), RGB(255, 255, 255));
    BitBlt(cut->DC(), 0, 0, w, h, mask->DC(), 0, 0, SRCAND);
  }

  // One copy at (X, Y), cut at R's right and bottom edges.
  auto place = [&](Integer X, Integer Y) {
    const Integer cw = std::min(w, R.right - X), ch = std::min(h, R.bottom - Y);
    if (cw <= 0 || ch <= 0) return;
    if (!Transparent) {
      BitBlt(DC, X, Y, cw, ch, image.DC(), 0, 0, SRCCOPY);
      return;
    }
    MemoryBitmap back(DC, cw, ch);
    BitBlt(back.DC(), 0, 0, cw, ch, DC, X, Y, SRCCOPY);
    SetBkColor(back.DC(), RGB(255, 255, 255));
    SetTextColor(back.DC(), RGB(0, 0, 0));
    BitBlt(back.DC(), 0, 0, cw, ch, mask->DC(), 0, 0, SRCAND);
    BitBlt(back.DC(), 0, 0, cw, ch, cut->DC(), 0, 0, SRCPAINT);
    BitBlt(DC, X, Y, cw, ch, back.DC(), 0, 0, SRCCOPY);
  };
  const Integer x0 = R.left + DX, y0 = R.top + DY;
  if (Option == fwoTile) {
    for (Integer y = y0; y < R.bottom; y += h)
      for (Integer x = x0; x < R.right; x += w) place(x, y);
  } else {
    place(x0, y0);
  }
}

HFONT MakeRotatedFont(TFont* Font, Integer Escapement) {
  LOGFONTA lf{};
  lf.lfHeight = Font->Height();
  lf.lfEscapement = Escapement;
  lf.lfOrientation = 0;
  const TFontStyles style = Font->Style();
  lf.lfWeight = style.Contains(fsBold) ? 700 : 400;
  lf.lfItalic = style.Contains(fsItalic);
  lf.lfUnderline = style.Contains(fsUnderline);
  lf.lfStrikeOut = style.Contains(fsStrikeOut);
  lf.lfCharSet = static_cast<BYTE>(Font->Charset());
  lstrcpynA(lf.lfFaceName, Font->Name().c_str(), LF_FACESIZE);
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  switch (Font->Pitch()) {
    case fpVariable: lf.lfPitchAndFamily = VARIABLE_PITCH; break;
    case fpFixed: lf.lfPitchAndFamily = FIXED_PITCH; break;
    default: lf.lfPitchAndFamily = DEFAULT_PITCH; break;
  }
  return CreateFontIndirectA(&lf);
}
