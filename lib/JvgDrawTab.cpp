#include "lib/JvgDrawTab.h"

#include "lib/JvgUtils.h"

namespace {

bool isSelected(const TDRAWTABSTRUCT& Info) { return (Info.DrawItem.itemState & ODS_SELECTED) != 0; }

// The page area below (or beside) the tabs, for a wallpaper over the client area: the side
// facing the tabs moves past the tab's extent, the three others one pixel in.
TRect pageArea(const TDRAWTABSTRUCT& Info) {
  const TRect& r = Info.DrawItem.rcItem;
  TRect c = Info.ClientR;
  const bool selected = isSelected(Info);
  // How far past the tab's extent the page starts: with buttons, for the selected tab of
  // a tab row (which overlaps the page border), and for the others.
  auto gap = [&](Integer Buttons, Integer Selected) { return Info.ButtonLook ? Buttons : selected ? Selected : 5; };
  InflateRect(&c, -1, -1);
  switch (Info.Position) {
    case fsdLeft: c.left = Info.ClientR.left + RectWidth(r) + gap(3, -1); break;
    case fsdTop: c.top = Info.ClientR.top + RectHeight(r) + gap(4, -1); break;
    case fsdRight: c.right = Info.ClientR.right - RectWidth(r) - gap(4, 1); break;
    case fsdBottom: c.bottom = Info.ClientR.bottom - RectHeight(r) - gap(4, 1); break;
  }
  return c;
}

// The wallpaper over the tab itself, with the tab row's own edge left visible.
TRect captionArea(const TDRAWTABSTRUCT& Info) {
  TRect t = Info.DrawItem.rcItem;
  if (!Info.ButtonLook) {
    switch (Info.Position) {
      case fsdLeft: t.right -= 1; break;
      case fsdTop: t.bottom -= 1; break;
      case fsdRight:
        if (!isSelected(Info)) t.left -= 1;
        break;
      default: break;
    }
  }
  return t;
}

void drawFaceLine(HDC DC, Integer X1, Integer Y1, Integer X2, Integer Y2) {
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE));
  HGDIOBJ old = SelectObject(DC, pen);
  MoveToEx(DC, X1, Y1, nullptr);
  LineTo(DC, X2, Y2);
  SelectObject(DC, old);
  DeleteObject(pen);
}

// The rectangle the tab's box is drawn in. A tab of a tab row is fitted to the frame the
// tab control draws round it (the selected one stands out further); on the right and at
// the bottom the selected tab also covers the frame line it shares with the page.
TRect tabBox(const TDRAWTABSTRUCT& Info) {
  const TRect& r = Info.DrawItem.rcItem;
  TRect t = r;
  const bool selected = isSelected(Info);
  if (Info.ButtonLook) {
    // A raised button sits one pixel up and left of a pressed one.
    if (!selected) OffsetRect(&t, -1, -1);
    return t;
  }
  HDC dc = Info.DrawItem.hDC;
  switch (Info.Position) {
    case fsdLeft:
      t.left += 2;
      if (selected) {
        t.right -= 2;
        t.top += 2;
        t.bottom -= 2;
      }
      break;
    case fsdTop:
      if (selected) {
        t.left += 3;
        t.right -= 4;
        t.top += 2;
      } else {
        t.left += 1;
        t.right -= 2;
        OffsetRect(&t, 0, 2);
      }
      break;
    case fsdRight:
      if (selected) {
        drawFaceLine(dc, r.left, r.top, r.left, r.bottom - 2);
        drawFaceLine(dc, r.left + 1, r.top, r.left + 1, r.bottom - 2);
        t.right -= 4;
        t.top += 2;
        t.bottom -= 2;
      } else {
        t.right -= 4;
      }
      break;
    case fsdBottom:
      if (selected) {
        drawFaceLine(dc, r.left, r.top + 1, r.right - 2, r.top + 1);
        drawFaceLine(dc, r.left, r.top, r.right - 2, r.top);
        t.left += 3;
        t.right -= 4;
        t.bottom -= 1;
      } else {
        t.left += 1;
        t.right -= 2;
        OffsetRect(&t, 0, -1);
        if (!Info.Style->Borders().Contains(fsdTop)) t.top -= 1;
      }
      break;
  }
  t.bottom -= 2;
  return t;
}

TSize textExtent(HDC DC, TFont* Font, const std::string& Text) {
  HGDIOBJ old = SelectObject(DC, Font->Handle());
  SIZE size{};
  GetTextExtentPoint32A(DC, Text.c_str(), static_cast<int>(Text.size()), &size);
  SelectObject(DC, old);
  return size;
}

// The start point of a turned caption in T (the text rectangle): the text runs from it in
// the caption's direction. Halves truncate toward zero.
POINT turnedTextOrigin(TglLabelDir Direction, const TRect& T, const TSize& Extent, TglHorAlign HAlign,
                       TglVertAlign VAlign) {
  const Integer L = T.left, Tp = T.top, R = T.right, B = T.bottom;
  const Integer cx = Extent.cx, cy = Extent.cy;
  POINT p{};
  switch (Direction) {
    case fldRightLeft:  // upside down: the text's left end is at the right
      p.x = HAlign == fhaLeft ? R : HAlign == fhaCenter ? L + (R - L + cx) / 2 : L + cx;
      p.y = VAlign == fvaTop ? B : VAlign == fvaCenter ? Tp + (B - Tp + cy) / 2 : Tp + cy;
      break;
    case fldDownUp:  // reads upwards: the text's top is on the left
      p.x = L;
      p.y = B - 4;
      if (HAlign == fhaCenter) p.y = B - 4 - (B - Tp - cx) / 2;
      else if (HAlign == fhaRight) p.y = Tp + cx + 3;
      if (VAlign == fvaCenter) p.x = L + (R - L - cy) / 2;
      else if (VAlign == fvaBottom) p.x = R - cy - 1;
      break;
    default:  // fldUpDown: reads downwards, the text's top on the right
      p.x = R;
      p.y = Tp + 4;
      if (HAlign == fhaCenter) p.y = Tp + 4 + (B - Tp - cx) / 2;
      else if (HAlign == fhaRight) p.y = B - cx - 3;
      if (VAlign == fvaCenter) p.x = R - (R - L - cy) / 2;
      else if (VAlign == fvaBottom) p.x = L + cy;
      break;
  }
  return p;
}

}  // namespace

void PaintTab(const TDRAWTABSTRUCT& Info) {
  HDC dc = Info.DrawItem.hDC;
  TJvgTabStyle* style = Info.Style;
  if (!dc || !style) return;
  const TRect& r = Info.DrawItem.rcItem;
  TJvgTabsWallpaper* wallpaper = Info.Wallpaper;
  TBitmap* picture = wallpaper ? wallpaper->ActiveBitmap() : nullptr;
  const bool hasPicture = BitmapHasContent(picture);
  const TglWallpaperOption pictureOption = wallpaper && wallpaper->Tile() ? fwoTile : fwoNone;
  auto drawWallpaper = [&](const TRect& Area) {
    PaintBitmapMode(dc, picture, Area, Info.BackgrColor, false, pictureOption, 0, 0);
  };

  // The wallpaper: right of the last tab, over the page area, under the tab.
  if (hasPicture) {
    const bool lastTab = static_cast<Integer>(Info.DrawItem.itemID) == Info.TabsCount - 1;
    if (lastTab && wallpaper->FillCaptionBakgr())
      drawWallpaper(Rect(r.right, 0, Info.ClientR.right, r.bottom + (Info.ButtonLook ? 3 : 2)));
    if (wallpaper->FillClient()) drawWallpaper(pageArea(Info));
    if (wallpaper->FillCaptions() && wallpaper->IncludeBevels()) drawWallpaper(captionArea(Info));
  }

  TRect box = tabBox(Info);
  TJvgGradient* gradient = Info.Gradient ? Info.Gradient : style->Gradient();
  if (gradient->Active()) gradient->FillRectBands(dc, box, 1, psSolid);

  // The box with its sides and bevels; its inside is what the glyph and caption use.
  if (Info.FlatButtons) InflateRect(&box, 3, 3);
  const bool transparent = (hasPicture && wallpaper->FillCaptions()) || gradient->Active();
  TRect inner{};
  DrawBevelBox(dc, box, style->Borders(), inner, transparent, Info.BackgrColor, style->Bold(), style->BevelOuter(),
               style->BevelInner());
  box = inner;
  if (Info.FlatButtons) InflateRect(&box, -3, -3);
  if (hasPicture && wallpaper->FillCaptions() && !wallpaper->IncludeBevels()) drawWallpaper(box);

  // The glyph, and the room it leaves the caption.
  const TRect whole = Rect(box.left, box.top, box.right, box.bottom + 1);
  TRect textRect = whole;
  if (BitmapHasContent(Info.Glyph) && !Info.Options.Contains(ftoHideGlyphs)) {
    TBitmap* glyph = Info.Glyph;
    const Integer gw = glyph->Width(), gh = glyph->Height();
    const Integer w = RectWidth(box), h = RectHeight(box);
    const Integer gx = style->GlyphHAlign() == fhaLeft ? 1 : style->GlyphHAlign() == fhaCenter ? (w - gw) / 2 : w - gw - 1;
    const Integer gy = style->GlyphVAlign() == fvaTop ? 0 : style->GlyphVAlign() == fvaCenter ? (h - gh) / 2 : h - gh;
    // The glyph's bottom-left pixel is its transparent colour.
    glyph->SetTransparentColor(glyph->Canvas()->Pixels(0, gh - 1));
    PaintBitmapMode(dc, glyph, box, Info.BackgrColor, true, Info.GlyphOption, gy, gx);
    const bool horizontalTabs = Info.Position == fsdTop || Info.Position == fsdBottom;
    if (horizontalTabs) {
      if (style->GlyphHAlign() == fhaLeft) textRect.left += gw + 1;
      else if (style->GlyphHAlign() == fhaRight) textRect.right -= gw + 1;
    } else {
      if (style->GlyphVAlign() == fvaTop) textRect.top += gh + 1;
      else if (style->GlyphVAlign() == fvaBottom) textRect.bottom -= gh + 1;
    }
    if (Info.GlyphOption != fwoNone) textRect = whole;
    else textRect.left += 1;
    if (!Info.Options.Contains(ftoExcludeGlyphs)) textRect = whole;
  }

  // The caption.
  if (!Info.Font) return;
  if (Info.FontDirection == fldLeftRight) {
    StyledDrawText(dc, textRect, Info.Caption, style->CaptionHAlign(), style->CaptionVAlign(), style->TextStyle(), Info.Font,
                   Info.Options.Contains(ftoWordWrap) ? DT_WORDBREAK : DT_SINGLELINE);
    return;
  }
  const TSize extent = textExtent(dc, Info.Font, Info.Caption);
  const POINT at =
      turnedTextOrigin(Info.FontDirection, textRect, extent, style->CaptionHAlign(), style->CaptionVAlign());
  StyledTextOut(dc, at.x, at.y, textRect, Info.Caption, style->TextStyle(), false, false, Info.Font->Color(), clBlack,
                clBtnHighlight, clBtnShadow, std::nullopt, nullptr, Info.Font);
}
