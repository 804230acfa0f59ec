#include "cx/foundation/cxLookAndFeelPainters.h"

#include <algorithm>
#include <vector>

#include <vssym32.h>

#include "cx/foundation/cxRadioButtonImageList.h"
#include "cx/foundation/cxStyles.h"

RTL_IMPLEMENT_CLASS(TcxCustomLookAndFeelPainter)
RTL_IMPLEMENT_CLASS(TcxStandardLookAndFeelPainter)
RTL_IMPLEMENT_CLASS(TcxFlatLookAndFeelPainter)
RTL_IMPLEMENT_CLASS(TcxUltraFlatLookAndFeelPainter)
RTL_IMPLEMENT_CLASS(TcxWinXPLookAndFeelPainter)

namespace {

TImageList* indicatorImages = nullptr;
TBitmap* autoHideBitmaps[2] = {nullptr, nullptr};
TBitmap* pageBitmaps[2] = {nullptr, nullptr};
TcxSystemPaletteChangedNotifier* radioImagesNotifier = nullptr;

// Clears the radio-button glyphs when the system colours change (the next draw rebuilds
// them in the new colours).
class RadioImagesClearer : public TObject {
public:
  void Changed(TObject*) { cxGetRadioButtonImageList()->Clear(); }
};
RadioImagesClearer* radioImagesClearer = nullptr;

TRect inflated(TRect R, Integer D) {
  InflateRect(&R, D, D);
  return R;
}

TRect offsetBy(TRect R, Integer DX, Integer DY) {
  OffsetRect(&R, DX, DY);
  return R;
}

bool isEmptyRect(const TRect& R) { return R.right <= R.left || R.bottom <= R.top; }

void fill(TcxCanvas* ACanvas, const TRect& R, TColor AColor) {
  ACanvas->SetBrushColor(AColor);
  ACanvas->Canvas()->FillRect(R);
}

void setPixel(TcxCanvas* ACanvas, Integer X, Integer Y, TColor AColor) { ACanvas->SetPixel(X, Y, AColor); }

// A one-pixel line from (X1, Y1) to (X2, Y2), both ends included.
void line(TcxCanvas* ACanvas, Integer X1, Integer Y1, Integer X2, Integer Y2, TColor AColor) {
  ACanvas->Pen()->SetColor(AColor);
  ACanvas->Pen()->SetStyle(psSolid);
  ACanvas->Pen()->SetWidth(1);
  ACanvas->MoveTo(X1, Y1);
  ACanvas->LineTo(X2, Y2);
  setPixel(ACanvas, X2, Y2, AColor);
}

Integer textFlags(TAlignment AHorz, TcxAlignmentVert AVert, bool AMultiLine, bool AEndEllipsis) {
  Integer flags = 0;
  switch (AHorz) {
    case taLeftJustify: flags |= cxAlignLeft; break;
    case taRightJustify: flags |= cxAlignRight; break;
    default: flags |= cxAlignHCenter; break;
  }
  switch (AVert) {
    case vaTop: flags |= cxAlignTop; break;
    case vaBottom: flags |= cxAlignBottom; break;
    default: flags |= cxAlignVCenter; break;
  }
  flags |= AMultiLine ? cxWordBreak : cxSingleLine;
  if (AEndEllipsis) flags |= cxShowEndEllipsis;
  return flags;
}

void fillPageBitmap(TBitmap* ABitmap, TColor AFirst, TColor ASecond) {
  ABitmap->SetPixelFormat(pf24bit);
  ABitmap->SetSize(8, 8);
  HDC dc = ABitmap->Canvas()->Handle();
  COLORREF first = static_cast<COLORREF>(ColorToRGB(AFirst)), second = static_cast<COLORREF>(ColorToRGB(ASecond));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) SetPixel(dc, x, y, (x % 2) != (y % 2) ? first : second);
}

TBitmap* loadBitmapResource(const char* AName) {
  auto* bitmap = new TBitmap();
  try {
    bitmap->LoadFromResourceName(GetModuleHandleA(nullptr), AName);
  } catch (...) {
    delete bitmap;
    throw;
  }
  return bitmap;
}

// --- Drawing shared by the standard and the flat painter.

// A raised outer 3D edge on all sides; the corners next to a left or right neighbour are
// softened so that adjacent cells read as one row.
void drawRaisedHeaderEdges(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors) {
  ACanvas->Draw3DEdge(R, false, true);
  if (ANeighbors.Contains(bLeft)) {
    setPixel(ACanvas, R.left, R.top + 1, clBtnFace);
    setPixel(ACanvas, R.left, R.bottom - 2, clBtnFace);
  }
  if (ANeighbors.Contains(bRight)) {
    setPixel(ACanvas, R.right - 1, R.top, clBtnHighlight);
    setPixel(ACanvas, R.right - 1, R.top + 1, clBtnFace);
    setPixel(ACanvas, R.right - 1, R.bottom - 2, clBtnFace);
  }
}

void drawRaisedDropDownButton(TcxCustomLookAndFeelPainter* APainter, TcxCanvas* ACanvas, const TRect& R,
                              TcxButtonState AState, bool AActive) {
  if (AState == cxbsPressed)
    ACanvas->Draw3DEdge(R, true, false);
  else
    ACanvas->Draw3DEdge(R, false, true);
  TRect r = inflated(R, -1);
  fill(ACanvas, r, clBtnFace);
  APainter->DrawDropDownArrow(ACanvas, r, AActive ? static_cast<TColor>(0xFF0000) : clBtnText);
}

// The sign area of a raised plus button: one pixel less at the right and bottom, moved
// with the pressed face.
TRect raisedPlusSignRect(const TRect& R, TcxButtonState AState) {
  TRect r = R;
  --r.right;
  --r.bottom;
  return AState == cxbsPressed ? offsetBy(r, 1, 1) : r;
}

// One side strip of a tab in highlight and shadow colours.
void drawRaisedTabFrame(TcxCanvas* ACanvas, const TRect& R, TcxTabSide ASide, TcxBorders ABorders, bool AVertical) {
  TRect r = R;
  TColor color = clBtnHighlight;
  if (AVertical) {
    if (ASide == 0) {
      r.top += ABorders.Contains(bTop) ? 3 : 1;
      r.bottom -= ABorders.Contains(bBottom) ? 3 : 1;
      setPixel(ACanvas, r.left + 1, r.top - 1, clBtnHighlight);
      setPixel(ACanvas, r.left + 1, r.bottom, clBtnHighlight);
      r.right = r.left + 1;
    } else if (ASide == 1 || ASide == 3) {
      if (ABorders.Contains(bLeft)) ++r.left;
      if (ASide == 1)
        r.bottom = r.top + 1;
      else
        r.top = r.bottom - 1;
    } else {
      r.left = r.right - 1;
    }
    if (ASide == 3) color = clBtnShadow;
  } else {
    if (ASide == 0 || ASide == 2) {
      if (ABorders.Contains(bTop)) r.top += 2;
      if (ABorders.Contains(bBottom)) --r.bottom;
      if (ASide == 0)
        r.right = r.left + 1;
      else
        r.left = r.right - 1;
    } else if (ASide == 1) {
      ++r.left;
      --r.right;
      setPixel(ACanvas, r.left - 1, r.top + 1, clBtnHighlight);
      setPixel(ACanvas, r.right, r.top + 1, clBtnHighlight);
      r.bottom = r.top + 1;
    } else {
      r.top = r.bottom - 1;
    }
    if (ASide == 2) color = clBtnShadow;
  }
  fill(ACanvas, r, color);
}

// The strip of width AWidth along side ASide (0 left, 1 top, 2 right, 3 bottom) of R.
TRect sideStrip(const TRect& R, TcxTabSide ASide, Integer AWidth) {
  switch (ASide) {
    case 0: return TRect{R.left, R.top, R.left + AWidth, R.bottom};
    case 1: return TRect{R.left, R.top, R.right, R.top + AWidth};
    case 2: return TRect{R.right - AWidth, R.top, R.right, R.bottom};
    default: return TRect{R.left, R.bottom - AWidth, R.right, R.bottom};
  }
}

// The arrow of a scroll-bar button: up or down on a vertical bar, left or right on a
// horizontal one.
TcxArrowDirection scrollArrowDirection(bool AHorizontal, TcxScrollBarPart APart) {
  if (AHorizontal) return APart == sbpLineUp ? adLeft : adRight;
  return APart == sbpLineUp ? adUp : adDown;
}

// Scroll-bar parts of the flat and ultra-flat painters: buttons drawn as framed caption
// buttons (hot as normal), page areas in the page pattern. The flat painter draws the
// arrow inside the button's border, the ultra-flat painter on the whole button.
void drawFlatScrollBarPart(TcxCustomLookAndFeelPainter* APainter, TcxCanvas* ACanvas, bool AHorizontal,
                           const TRect& R, TcxScrollBarPart APart, TcxButtonState AState, bool AArrowInsideBorder) {
  if (isEmptyRect(R)) return;
  if (APart == sbpThumbnail && AState == cxbsDisabled) return;
  TcxButtonState state = AState == cxbsHot ? cxbsNormal : AState;
  switch (APart) {
    case sbpLineUp:
    case sbpLineDown:
    case sbpThumbnail: {
      APainter->DrawCaptionButton(ACanvas, R, "", state, true, clDefault, clDefault);
      if (APart == sbpThumbnail) break;
      TRect arrow = AArrowInsideBorder ? inflated(R, -APainter->GetButtonBorderWidth(cxbsNormal)) : R;
      APainter->DrawButtonArrow(ACanvas, arrow, state, scrollArrowDirection(AHorizontal, APart));
      break;
    }
    case sbpPageUp:
    case sbpPageDown:
      ACanvas->FillRectangle(R, cxScrollBarPageBitmap(state == cxbsPressed));
      ACanvas->Brush()->SetStyle(bsSolid);
      break;
    default:
      break;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Helpers.

void cxGetArrowPoints(const TRect& R, TcxArrowDirection ADirection, bool AProportional, TPoint (&APoints)[3]) {
  TRect r = R;
  if (AProportional) {
    Integer w = r.right - r.left, h = r.bottom - r.top;
    if (w > h) {
      r.left += (w - h) / 2;
      r.right = r.left + h;
    } else if (h > w) {
      r.top += (h - w) / 2;
      r.bottom = r.top + w;
    }
  }
  Integer w = r.right - r.left, h = r.bottom - r.top;
  if (ADirection == adUp || ADirection == adDown) {
    Integer base = (w - 1) / 2;
    if (base % 2 == 0) ++base;
    Integer height = base / 2 + 1;
    Integer x0 = r.left + (w - base) / 2;
    Integer y0 = r.top + (h - height) / 2;
    Integer apexX = x0 + base / 2;
    if (ADirection == adUp) {
      APoints[0] = TPoint{x0, y0 + height - 1};
      APoints[1] = TPoint{x0 + base - 1, y0 + height - 1};
      APoints[2] = TPoint{apexX, y0};
    } else {
      APoints[0] = TPoint{x0, y0};
      APoints[1] = TPoint{x0 + base - 1, y0};
      APoints[2] = TPoint{apexX, y0 + height - 1};
    }
  } else {
    Integer base = (h - 1) / 2;
    if (base % 2 == 0) ++base;
    Integer width = base / 2 + 1;
    Integer y0 = r.top + (h - base) / 2;
    Integer x0 = r.left + (w - width) / 2;
    Integer apexY = y0 + base / 2;
    if (ADirection == adLeft) {
      APoints[0] = TPoint{x0 + width - 1, y0};
      APoints[1] = TPoint{x0 + width - 1, y0 + base - 1};
      APoints[2] = TPoint{x0, apexY};
    } else {
      APoints[0] = TPoint{x0, y0};
      APoints[1] = TPoint{x0, y0 + base - 1};
      APoints[2] = TPoint{x0 + width - 1, apexY};
    }
  }
}

void cxDrawArrow(TcxCanvas* ACanvas, const TRect& R, TcxArrowDirection ADirection, TColor AColor,
                 bool AProportional) {
  TPoint points[3];
  cxGetArrowPoints(R, ADirection, AProportional, points);
  ACanvas->Brush()->SetStyle(bsSolid);
  ACanvas->SetBrushColor(AColor);
  ACanvas->Pen()->SetStyle(psSolid);
  ACanvas->Pen()->SetWidth(1);
  ACanvas->Pen()->SetColor(AColor);
  ACanvas->Polygon({points[0], points[1], points[2]});
}

void cxDrawPlusMinusSign(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) {
  Integer s = (R.right - R.left - 4) / 2;
  Integer cx = (R.left + R.right) / 2, cy = (R.top + R.bottom) / 2;
  fill(ACanvas, TRect{cx - s, cy, cx + s + 1, cy + 1}, AColor);
  if (!AExpanded) fill(ACanvas, TRect{cx, cy - s, cx + 1, cy + s + 1}, AColor);
}

void cxDrawCheckMarkLines(TcxCanvas* ACanvas, const TRect& R, TColor AColor) {
  Integer w = (R.right - R.left) - 2, h = (R.bottom - R.top) - 4;
  Integer cx = (R.left + R.right) / 2 - 1;
  ACanvas->Pen()->SetColor(AColor);
  ACanvas->Pen()->SetStyle(psSolid);
  ACanvas->Pen()->SetWidth(1);
  for (Integer k = 0; k < 3; ++k) {
    Integer y = (R.top + R.bottom + h) / 2 - 2 + k;
    ACanvas->MoveTo(cx - (w / 2 - 1), y - h / 2);
    ACanvas->LineTo(cx, y);
    ACanvas->LineTo(cx + w / 2 + 2, y - h);
  }
}

void cxDrawButtonCross(TcxCanvas* ACanvas, const TRect& R, TColor AColor, TcxButtonState ASymbolState,
                       Integer ACloseButtonWidth) {
  Integer s = ACloseButtonWidth / 2;
  if (s % 2 == 0) --s;
  ACanvas->Pen()->SetColor(AColor);
  ACanvas->Pen()->SetStyle(psSolid);
  ACanvas->Pen()->SetWidth(1);
  for (Integer k = 0; k < 2; ++k) {
    Integer x = (R.left + R.right - s) / 2 + k, y = (R.top + R.bottom - s) / 2;
    if (ASymbolState == cxbsPressed) {
      ++x;
      ++y;
    }
    ACanvas->MoveTo(x, y);
    ACanvas->LineTo(x + s, y + s);
    ACanvas->MoveTo(x, y + s - 1);
    ACanvas->LineTo(x + s, y - 1);
  }
}

void cxDrawGroupToggleMark(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) {
  // Two chevrons with arms of 3 pixels, each drawn on two adjacent rows, the second pair
  // four rows below the first, the block centred in R.
  Integer x = (R.left + R.right - 7) / 2;
  Integer top = (R.top + R.bottom - 7) / 2;
  for (Integer chevron = 0; chevron < 2; ++chevron) {
    for (Integer thick = 0; thick < 2; ++thick) {
      Integer row = top + chevron * 4 + thick;
      Integer apexY = AExpanded ? row : row + 2;
      Integer armY = AExpanded ? row + 2 : row;
      line(ACanvas, x, armY, x + 3, apexY, AColor);
      line(ACanvas, x + 3, apexY, x + 6, armY, AColor);
    }
  }
}

void cxDrawSortArrowOutline(TcxCanvas* ACanvas, const TRect& R, bool AAscending, TSize ASize, TColor ALight,
                            TColor ADark) {
  Integer w = ASize.cx, h = ASize.cy;
  if (w <= 0 || h <= 0) return;
  Integer x = (R.left + R.right) / 2;
  if (w % 2 == 0) --x;
  Integer y = AAscending ? (R.top + R.bottom - h) / 2 : (R.top + R.bottom + h) / 2 - 1;
  Integer d = AAscending ? 1 : -1;
  Integer baseY = y + d * (h - 1);
  Integer left = x - (w - 1) / 2, right = left + w - 1;
  line(ACanvas, left, baseY, right, baseY, AAscending ? ALight : ADark);
  line(ACanvas, x, y, right, baseY, ALight);
  line(ACanvas, x, y, left, baseY, ADark);
}

// ---------------------------------------------------------------------------------------
// TcxCustomLookAndFeelPainter.

TcxCustomLookAndFeelPainter* TcxCustomLookAndFeelPainter::Instance() {
  static TcxCustomLookAndFeelPainter instance;
  return &instance;
}

void TcxCustomLookAndFeelPainter::DrawDropDownArrow(TcxCanvas* ACanvas, const TRect& R, TColor AColor) {
  Integer w = (R.right - R.left) / 2;
  if (w % 2 == 0) ++w;
  Integer h = w / 2 + 1;
  Integer x0 = (R.left + R.right - w) / 2;
  Integer y0 = MulDiv(R.top + R.bottom - h, 1, 2);
  ACanvas->Brush()->SetStyle(bsSolid);
  ACanvas->SetBrushColor(AColor);
  ACanvas->Pen()->SetStyle(psSolid);
  ACanvas->Pen()->SetWidth(1);
  ACanvas->Pen()->SetColor(AColor);
  ACanvas->Polygon({TPoint{x0, y0}, TPoint{x0 + w - 1, y0}, TPoint{(R.left + R.right) / 2, y0 + h - 1}});
}

void TcxCustomLookAndFeelPainter::DrawHeaderContent(TcxCanvas* ACanvas, const TRect& ABounds,
                                                    const TRect& ATextAreaBounds, TAlignment AAlignmentHorz,
                                                    TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                                    bool AShowEndEllipsis, const std::string& AText, TFont* AFont,
                                                    TColor ATextColor, TColor ABkColor,
                                                    const TcxDrawBackgroundEvent& AOnDrawBackground) {
  bool painted = AOnDrawBackground && AOnDrawBackground(ACanvas, ABounds);
  if (!painted && ABkColor != clNone) fill(ACanvas, ABounds, ABkColor);
  if (AText.empty()) return;
  ACanvas->Brush()->SetStyle(bsClear);
  if (AFont) ACanvas->Font()->Assign(AFont);
  if (ATextColor != clNone && ATextColor != clDefault) ACanvas->Font()->SetColor(ATextColor);
  ACanvas->DrawFormattedText(AText, ATextAreaBounds,
                             textFlags(AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis), true);
  ACanvas->Brush()->SetStyle(bsSolid);
}

TRect TcxCustomLookAndFeelPainter::GetFooterCellContentBounds(const TRect& ABounds) {
  return inflated(ABounds, -GetFooterCellContentOffset());
}

TRect TcxCustomLookAndFeelPainter::GetFooterCellTextAreaBounds(const TRect& ABounds) {
  return inflated(GetFooterCellContentBounds(ABounds), -2);
}

void TcxCustomLookAndFeelPainter::DrawArrow(TcxCanvas* ACanvas, const TRect& R, TcxArrowDirection ADirection,
                                            TColor AColor) {
  cxDrawArrow(ACanvas, R, ADirection, AColor, true);
}

void TcxCustomLookAndFeelPainter::DrawArrowButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                  TcxArrowDirection ADirection, bool AFramed) {
  if (AFramed)
    DrawButtonBackground(ACanvas, R, AState);
  else
    fill(ACanvas, R, GetButtonFaceColor(AState));
  cxDrawArrow(ACanvas, R, ADirection, GetButtonGlyphColor(AState), false);
}

void TcxCustomLookAndFeelPainter::DrawButtonBackground(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  fill(ACanvas, R, GetButtonFaceColor(AState));
  DrawButtonEdges(ACanvas, R, AState);
}

void TcxCustomLookAndFeelPainter::DrawButtonArrow(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                  TcxArrowDirection ADirection) {
  TRect r = R;
  if (AState == cxbsPressed) r = offsetBy(r, GetPressedTextShift(), GetPressedTextShift());
  if (AState == cxbsDisabled) {
    cxDrawArrow(ACanvas, offsetBy(r, 1, 1), ADirection, clBtnHighlight, true);
    cxDrawArrow(ACanvas, r, ADirection, clBtnShadow, true);
  } else {
    cxDrawArrow(ACanvas, r, ADirection, GetButtonGlyphColor(AState), true);
  }
}

TRect TcxCustomLookAndFeelPainter::GetButtonFocusBounds(TcxCanvas*, const TRect& R) {
  TRect r = inflated(R, -4);
  return isEmptyRect(r) ? R : r;
}

TRect TcxCustomLookAndFeelPainter::GetButtonGroupMargins(Integer, Integer) {
  Integer w = GetButtonBorderWidth(cxbsNormal);
  return TRect{w, w, w, w};
}

TColor TcxCustomLookAndFeelPainter::GetButtonGlyphColor(TcxButtonState AState) {
  return AState == cxbsDisabled ? clBtnShadow : clBtnText;
}

void TcxCustomLookAndFeelPainter::DrawCaptionButton(TcxCanvas* ACanvas, const TRect& R, const std::string& ACaption,
                                                    TcxButtonState AState, bool AFramed, TColor AColor,
                                                    TColor ATextColor) {
  TRect r = R;
  if (AFramed) {
    DrawButtonEdges(ACanvas, r, AState);
    r = inflated(r, -GetButtonBorderWidth(AState));
  }
  fill(ACanvas, r, AColor == clDefault ? GetButtonFaceColor(AState) : AColor);
  ACanvas->Font()->SetColor(ATextColor == clDefault ? GetButtonGlyphColor(AState) : ATextColor);
  ACanvas->Brush()->SetStyle(bsClear);
  // An even text area centres the text the same way as the system's buttons; a low one
  // gains a pixel at the top so the text is not cut.
  if ((r.bottom - r.top) % 2 != 0) --r.bottom;
  if (r.bottom - r.top < 18) --r.top;
  if (AState == cxbsPressed) r = offsetBy(r, GetPressedTextShift(), GetPressedTextShift());
  if (!ACaption.empty())
    ACanvas->DrawFormattedText(ACaption, r, cxAlignCenter | cxSingleLine | cxShowPrefix, AState != cxbsDisabled);
  ACanvas->Brush()->SetStyle(bsSolid);
}

void TcxCustomLookAndFeelPainter::DrawGroupedButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                    Integer, Integer, TColor) {
  DrawCaptionButton(ACanvas, R, "", AState, true, clDefault, clDefault);
}

void TcxCustomLookAndFeelPainter::DrawGroupToggleButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                                                        TcxButtonState AState) {
  DrawCaptionButton(ACanvas, R, "", AState, true, clDefault, clDefault);
  cxDrawGroupToggleMark(ACanvas, R, AExpanded, GetButtonGlyphColor(AState));
}

void TcxCustomLookAndFeelPainter::DrawTreeExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                                                       TColor AFrameColor, TColor AColor) {
  ACanvas->DrawFrame(R, AFrameColor);
  TRect inner = inflated(R, -1);
  if (AColor != clDefault) fill(ACanvas, inner, AColor);
  cxDrawPlusMinusSign(ACanvas, inner, AExpanded, clBtnText);
}

bool TcxCustomLookAndFeelPainter::IsPointInGroupToggleButton(const TRect& R, const TPoint& P) {
  return PtInRect(&R, P) != 0;
}

TColor TcxCustomLookAndFeelPainter::GetCheckBoxBackgroundColor(TcxButtonState AState) {
  return (AState == cxbsPressed || AState == cxbsDisabled) ? clBtnFace : clWindow;
}

void TcxCustomLookAndFeelPainter::DrawCheckMark(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                bool AChecked, TColor AColor) {
  fill(ACanvas, R, GetCheckBoxBackgroundColor(AState));
  if (AChecked) cxDrawCheckMarkLines(ACanvas, R, AColor);
}

void TcxCustomLookAndFeelPainter::DrawCheckBox(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                               bool AChecked) {
  DrawCheckBoxFrame(ACanvas, R, AState);
  TRect r = inflated(R, -GetCheckBoxBorderWidth());
  DrawCheckMark(ACanvas, r, AState, AChecked, AState == cxbsDisabled ? clGrayText : clBtnText);
}

void TcxCustomLookAndFeelPainter::DrawRadioButtonGlyph(TcxCanvas* ACanvas, Integer X, Integer Y,
                                                       TcxButtonState AState, bool AChecked, bool AFocused,
                                                       TColor ABkColor, bool AIsDesigning) {
  // The generated glyphs exist for the three classic kinds; other painters draw their own.
  Integer kind = std::clamp<Integer>(GetPainterKind(), 0, 2);
  TcxRadioButtonImageList* images = cxGetRadioButtonImageList();
  images->Fill();
  images->Draw(ACanvas->Canvas(), X, Y, radioButtonImageIndex(kind, AState, AChecked, AFocused, AIsDesigning),
               ABkColor);
}

void TcxCustomLookAndFeelPainter::DrawHeaderCell(TcxCanvas* ACanvas, const TRect& ABounds,
                                                 const TRect& ATextAreaBounds, TcxBorders ANeighbors,
                                                 TcxBorders ABorders, TcxButtonState, TAlignment AAlignmentHorz,
                                                 TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                                 bool AShowEndEllipsis, const std::string& AText, TFont* AFont,
                                                 TColor ATextColor, TColor ABkColor,
                                                 const TcxDrawBackgroundEvent& AOnDrawBackground) {
  DrawHeaderEdges(ACanvas, ABounds, ANeighbors, ABorders);
  DrawHeaderContent(ACanvas, GetHeaderContentBounds(ABounds, ABorders), ATextAreaBounds, AAlignmentHorz,
                    AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor,
                    AOnDrawBackground);
}

void TcxCustomLookAndFeelPainter::DrawHeaderSection(TcxCanvas* ACanvas, const TRect& ABounds,
                                                    const TRect& ATextAreaBounds, TcxBorders ANeighbors,
                                                    TcxBorders ABorders, TcxButtonState AState,
                                                    TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                                                    bool AMultiLine, bool AShowEndEllipsis, const std::string& AText,
                                                    TFont* AFont, TColor ATextColor, TColor ABkColor,
                                                    const TcxDrawBackgroundEvent& AOnDrawBackground) {
  DrawHeaderCell(ACanvas, ABounds, ATextAreaBounds, ANeighbors, ABorders, AState, AAlignmentHorz, AAlignmentVert,
                 AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, AOnDrawBackground);
}

void TcxCustomLookAndFeelPainter::DrawHeaderPressed(TcxCanvas* ACanvas, const TRect& R) { ACanvas->InvertArea(R); }

TRect TcxCustomLookAndFeelPainter::GetHeaderDrawBounds(const TRect& ABounds, TcxBorders ANeighbors,
                                                       TcxBorders ABorders) {
  Integer e = GetHeaderEdgeWidth();
  TcxBorders widen = ABorders - GetHeaderBorders(ANeighbors);
  TRect r = ABounds;
  if (widen.Contains(bLeft)) r.left -= e;
  if (widen.Contains(bTop)) r.top -= e;
  if (widen.Contains(bRight)) r.right += e;
  if (widen.Contains(bBottom)) r.bottom += e;
  return r;
}

TRect TcxCustomLookAndFeelPainter::GetHeaderContentBounds(const TRect& ABounds, TcxBorders ABorders) {
  Integer e = GetHeaderEdgeWidth();
  TRect r = ABounds;
  if (ABorders.Contains(bLeft)) r.left += e;
  if (ABorders.Contains(bTop)) r.top += e;
  if (ABorders.Contains(bRight)) r.right -= e;
  if (ABorders.Contains(bBottom)) r.bottom -= e;
  return r;
}

Integer TcxCustomLookAndFeelPainter::GetHeaderHeight(Integer AFontHeight) {
  return AFontHeight + 2 * GetHeaderEdgeWidth() + 4;
}

Integer TcxCustomLookAndFeelPainter::GetHeaderWidth(TcxCanvas* ACanvas, TcxBorders ABorders,
                                                    const std::string& AText, TFont* AFont) {
  if (AFont) ACanvas->Font()->Assign(AFont);
  Integer e = GetHeaderEdgeWidth();
  Integer result = ACanvas->TextWidth(AText) + 4;
  if (ABorders.Contains(bLeft)) result += e;
  if (ABorders.Contains(bRight)) result -= e;
  return result;
}

TSize TcxCustomLookAndFeelPainter::GetSortArrowAreaSize() { return TSize{16, GetSortArrowSize().cy}; }

void TcxCustomLookAndFeelPainter::DrawFooterCell(TcxCanvas* ACanvas, const TRect& ABounds, TAlignment AAlignmentHorz,
                                                 TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                                 const std::string& AText, TFont* AFont, TColor ATextColor,
                                                 TColor ABkColor, const TcxDrawBackgroundEvent& AOnDrawBackground) {
  DrawSunkenEdge(ACanvas, ABounds);
  DrawHeaderContent(ACanvas, GetFooterCellContentBounds(ABounds), GetFooterCellTextAreaBounds(ABounds),
                    AAlignmentHorz, AAlignmentVert, AMultiLine, false, AText, AFont, ATextColor, ABkColor,
                    AOnDrawBackground);
}

void TcxCustomLookAndFeelPainter::DrawFooterSeparator(TcxCanvas* ACanvas, const TRect& R) {
  fill(ACanvas, R, GetFooterSeparatorColor());
}

void TcxCustomLookAndFeelPainter::DrawFilterActivateButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                           bool AChecked) {
  DrawCheckBox(ACanvas, R, AState, AChecked);
}

void TcxCustomLookAndFeelPainter::DrawCloseButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  DrawButtonEdges(ACanvas, R, AState);
  TRect r = inflated(R, -GetButtonBorderWidth(cxbsNormal));
  fill(ACanvas, r, GetButtonFaceColor(AState));
  TcxButtonState symbolState = GetButtonSymbolState(AState);
  cxDrawButtonCross(ACanvas, r, GetButtonGlyphColor(symbolState), symbolState, GetCloseButtonSize().cx);
}

void TcxCustomLookAndFeelPainter::DrawPlusButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  DrawButtonEdges(ACanvas, R, AState);
  TRect r = inflated(R, -GetButtonBorderWidth(cxbsNormal));
  fill(ACanvas, r, GetButtonFaceColor(AState));
  DrawPlusSign(ACanvas, r, AState);
}

void TcxCustomLookAndFeelPainter::DrawPlusSign(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  bool disabled = AState == cxbsDisabled;
  TColor first = disabled ? clBtnHighlight : GetPlusSignColor();
  TColor second = disabled ? clBtnShadow : GetPlusSignColor();
  TRect r = offsetBy(inflated(R, -1), 1, 1);
  auto drawLines = [&](const TRect& rr, TColor color, bool startPixel, bool endPixel) {
    Integer cx = (rr.left + rr.right) / 2, cy = (rr.top + rr.bottom) / 2;
    if (rr.right - 1 > rr.left) line(ACanvas, rr.left, cy, rr.right - 2, cy, color);
    if (rr.bottom - 1 > rr.top) line(ACanvas, cx, rr.top, cx, rr.bottom - 2, color);
    if (startPixel) {
      setPixel(ACanvas, rr.left - 1, cy, color);
      setPixel(ACanvas, cx, rr.top - 1, color);
    }
    if (endPixel) {
      setPixel(ACanvas, rr.right - 1, cy, first);
      setPixel(ACanvas, cx, rr.bottom - 1, first);
    }
  };
  drawLines(r, first, true, false);
  drawLines(offsetBy(r, -1, -1), second, false, true);
}

void TcxCustomLookAndFeelPainter::DrawAutoHideButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                     Integer AImageIndex, TColor) {
  DrawButtonEdges(ACanvas, R, AState);
  TRect r = inflated(R, -GetButtonBorderWidth(cxbsNormal));
  fill(ACanvas, r, GetButtonFaceColor(AState));
  TBitmap* bitmap = cxAutoHideBitmap(AImageIndex);
  if (!bitmap) return;
  Integer x = (R.left + R.right - bitmap->Width()) / 2, y = (R.top + R.bottom - bitmap->Height()) / 2;
  if (AState == cxbsPressed) {
    ++x;
    ++y;
  }
  ACanvas->Canvas()->Draw(x, y, bitmap);
}

void TcxCustomLookAndFeelPainter::DrawIndicatorItem(TcxCanvas* ACanvas, const TRect& R, TcxIndicatorKind AKind,
                                                    TColor AColor, const TcxDrawBackgroundEvent& AOnDrawBackground) {
  DrawHeaderCell(ACanvas, R, R, TcxBorders(), GetHeaderBorders(TcxBorders{bTop, bBottom}), cxbsNormal,
                 taLeftJustify, vaTop, false, false, "", nullptr, clNone, AColor, AOnDrawBackground);
  if (AKind == ikNone || !indicatorImages) return;
  Integer x = (R.left + R.right - indicatorImages->Width()) / 2;
  Integer y = (R.top + R.bottom - indicatorImages->Height()) / 2;
  indicatorImages->Draw(ACanvas->Canvas(), x, y, static_cast<Integer>(AKind) - 1, true);
}

void TcxCustomLookAndFeelPainter::DrawIndicatorItemSection(TcxCanvas* ACanvas, const TRect& R,
                                                           TcxIndicatorKind AKind, TColor AColor,
                                                           const TcxDrawBackgroundEvent& AOnDrawBackground) {
  DrawHeaderSection(ACanvas, R, R, TcxBorders(), cxBordersAll, cxbsNormal, taLeftJustify, vaTop, false, false, "",
                    nullptr, clNone, AColor, AOnDrawBackground);
  if (AKind == ikNone || !indicatorImages) return;
  Integer x = (R.left + R.right - indicatorImages->Width()) / 2;
  Integer y = (R.top + R.bottom - indicatorImages->Height()) / 2;
  indicatorImages->Draw(ACanvas->Canvas(), x, y, static_cast<Integer>(AKind) - 1, true);
}

void TcxCustomLookAndFeelPainter::drawScrollCellArrows(TcxCanvas* ACanvas, TRect R, Integer AArrows,
                                                       Integer AArrowIndent) {
  R.top += GetControlBorderWidth();
  R = TRect{R.left, R.top + 1, R.right, R.bottom - 1};
  Integer size = R.bottom - R.top;
  if (size <= 0) return;
  Integer width = size / 2 + 1;
  if (AArrows == 1 || AArrows == 3) {
    Integer left = R.left + AArrowIndent - 1;
    cxDrawArrow(ACanvas, TRect{left, R.top, left + width, R.bottom}, adLeft, clWindowText, false);
  }
  if (AArrows == 2 || AArrows == 3) {
    Integer right = R.right - AArrowIndent + 1;
    cxDrawArrow(ACanvas, TRect{right - width, R.top, right, R.bottom}, adRight, clWindowText, false);
  }
}

void TcxCustomLookAndFeelPainter::DrawScrollButtonCell(TcxCanvas* ACanvas, const TRect& R, const std::string& AText,
                                                       TcxBorders, const TcxViewParams& AViewParams, Integer AArrows,
                                                       Integer AArrowIndent,
                                                       const TcxDrawBackgroundEvent& AOnDrawBackground) {
  TcxFlatLookAndFeelPainter::Instance()->DrawHeaderCell(ACanvas, R, R, TcxBorders(), cxBordersAll, cxbsNormal,
                                                        taCenter, vaCenter, false, false, AText, AViewParams.Font,
                                                        AViewParams.TextColor, AViewParams.Color, AOnDrawBackground);
  drawScrollCellArrows(ACanvas, R, AArrows, AArrowIndent);
}

void TcxCustomLookAndFeelPainter::DrawControlBorderOf(TcxCanvas* ACanvas, const TRect& R) {
  TRect copy = R;
  DrawControlBorder(ACanvas, copy);
}

// ---------------------------------------------------------------------------------------
// TcxStandardLookAndFeelPainter.

TcxStandardLookAndFeelPainter* TcxStandardLookAndFeelPainter::Instance() {
  static TcxStandardLookAndFeelPainter instance;
  return &instance;
}

void TcxStandardLookAndFeelPainter::DrawControlBorder(TcxCanvas* ACanvas, const TRect& R) {
  ACanvas->FrameSides(R, clBtnShadow, clBtnHighlight);
  ACanvas->FrameSides(inflated(R, -1), cl3DDkShadow, cl3DLight);
}

void TcxStandardLookAndFeelPainter::DrawButtonEdges(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  TRect r = R;
  if (AState == cxbsPressed) {
    ACanvas->DrawFrame(r, clBlack);
    ACanvas->DrawFrame(inflated(r, -1), clBtnShadow);
    return;
  }
  if (AState == cxbsDefault) {
    ACanvas->DrawFrame(r, clBlack);
    r = inflated(r, -1);
  }
  ACanvas->FrameSides(r, clBtnHighlight, cl3DDkShadow);
  ACanvas->FrameSides(inflated(r, -1), cl3DLight, clBtnShadow);
}

void TcxStandardLookAndFeelPainter::DrawExpandBox(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) {
  TRect r = R;
  ACanvas->Draw3DEdge(r, false, true, TcxBorders{bLeft, bTop});
  ACanvas->Draw3DEdge(r, false, false, TcxBorders{bRight, bBottom});
  r = inflated(r, -1);
  ACanvas->Draw3DEdge(r, false, true, TcxBorders{bRight, bBottom});
  --r.right;
  --r.bottom;
  fill(ACanvas, r, AColor == clDefault ? clBtnFace : AColor);
  cxDrawPlusMinusSign(ACanvas, r, AExpanded, clBtnText);
  // Later background painting leaves the box alone.
  ACanvas->ExcludeFromClip(R);
}

void TcxStandardLookAndFeelPainter::DrawGroupToggleButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                                                          TcxButtonState AState) {
  // Group toggles keep the lighter one-pixel look of the flat painter.
  TcxFlatLookAndFeelPainter::Instance()->DrawGroupToggleButton(ACanvas, R, AExpanded, AState);
}

void TcxStandardLookAndFeelPainter::DrawCheckBoxFrame(TcxCanvas* ACanvas, const TRect& R, TcxButtonState) {
  ACanvas->Draw3DEdge(R, true, true);
  ACanvas->Draw3DEdge(inflated(R, -1), true, false);
}

void TcxStandardLookAndFeelPainter::DrawHeaderEdges(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors,
                                                    TcxBorders) {
  drawRaisedHeaderEdges(ACanvas, R, ANeighbors);
}

void TcxStandardLookAndFeelPainter::DrawSortArrow(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) {
  cxDrawSortArrowOutline(ACanvas, R, AAscendingSorting, GetSortArrowSize(), clBtnHighlight, clBtnShadow);
}

void TcxStandardLookAndFeelPainter::DrawRaisedEdge(TcxCanvas* ACanvas, const TRect& R) {
  ACanvas->Draw3DEdge(R, false, true);
}

void TcxStandardLookAndFeelPainter::DrawSunkenEdge(TcxCanvas* ACanvas, const TRect& R) {
  ACanvas->Draw3DEdge(R, true, false);
}

void TcxStandardLookAndFeelPainter::DrawDropDownButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                       bool AActive) {
  drawRaisedDropDownButton(this, ACanvas, R, AState, AActive);
}

void TcxStandardLookAndFeelPainter::DrawPlusSign(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  TcxCustomLookAndFeelPainter::DrawPlusSign(ACanvas, raisedPlusSignRect(R, AState), AState);
}

void TcxStandardLookAndFeelPainter::DrawTabFrame(TcxCanvas* ACanvas, const TRect& R, TcxTabSide ASide,
                                                 TcxBorders ABorders, bool AVertical) {
  drawRaisedTabFrame(ACanvas, R, ASide, ABorders, AVertical);
}

void TcxStandardLookAndFeelPainter::DrawTabsBackground(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders,
                                                       bool) {
  ACanvas->Draw3DEdge(R, false, true, ABorders);
}

void TcxStandardLookAndFeelPainter::DrawScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R,
                                                      TcxScrollBarPart APart, TcxButtonState AState) {
  if (isEmptyRect(R)) return;
  if (APart == sbpThumbnail && AState == cxbsDisabled) return;
  bool pressed = AState == cxbsPressed;
  switch (APart) {
    case sbpLineUp:
    case sbpLineDown: {
      TRect r = R;
      if (pressed) r = offsetBy(r, 1, 1);
      UINT kind = APart == sbpLineUp ? (AHorizontal ? DFCS_SCROLLLEFT : DFCS_SCROLLUP)
                                     : (AHorizontal ? DFCS_SCROLLRIGHT : DFCS_SCROLLDOWN);
      if (AState == cxbsDisabled) kind |= DFCS_INACTIVE;
      if (pressed) kind |= DFCS_FLAT;
      RECT rr = r;
      DrawFrameControl(ACanvas->Handle(), &rr, DFC_SCROLL, kind);
      if (pressed) {
        ACanvas->FrameSides(R, clBtnShadow, clBtnShadow);
        ACanvas->FrameSides(inflated(R, -1), clBtnFace, clBtnFace);
      } else {
        ACanvas->FrameSides(R, clBtnFace, cl3DDkShadow);
        ACanvas->FrameSides(inflated(R, -1), clBtnHighlight, clBtnShadow);
      }
      break;
    }
    case sbpThumbnail:
      ACanvas->FrameSides(R, clBtnFace, cl3DDkShadow);
      ACanvas->FrameSides(inflated(R, -1), clBtnHighlight, clBtnShadow);
      fill(ACanvas, inflated(R, -GetButtonBorderWidth(cxbsNormal)), clBtnFace);
      break;
    case sbpPageUp:
    case sbpPageDown:
      ACanvas->FillRectangle(R, cxScrollBarPageBitmap(pressed));
      ACanvas->Brush()->SetStyle(bsSolid);
      break;
    default:
      break;
  }
}

void TcxStandardLookAndFeelPainter::DrawScrollButtonCell(TcxCanvas* ACanvas, const TRect& R,
                                                         const std::string& AText, TcxBorders ANeighbors,
                                                         const TcxViewParams& AViewParams, Integer AArrows,
                                                         Integer AArrowIndent,
                                                         const TcxDrawBackgroundEvent& AOnDrawBackground) {
  TcxBorders sides = cxBordersAll;
  if (ANeighbors.Contains(bRight)) sides.Exclude(bRight);
  if (ANeighbors.Contains(bLeft)) sides.Exclude(bLeft);
  ACanvas->DrawFrame(R, clBlack, sides);
  TRect content = TRect{R.left + (sides.Contains(bLeft) ? 1 : 0), R.top + 1,
                        R.right - (sides.Contains(bRight) ? 1 : 0), R.bottom - 1};
  DrawHeaderCell(ACanvas, content, content, TcxBorders(), cxBordersAll, cxbsNormal, taCenter, vaCenter, false, false,
                 AText, AViewParams.Font, AViewParams.TextColor, AViewParams.Color, AOnDrawBackground);
  drawScrollCellArrows(ACanvas, R, AArrows, AArrowIndent);
}

// ---------------------------------------------------------------------------------------
// TcxFlatLookAndFeelPainter.

TcxFlatLookAndFeelPainter* TcxFlatLookAndFeelPainter::Instance() {
  static TcxFlatLookAndFeelPainter instance;
  return &instance;
}

void TcxFlatLookAndFeelPainter::DrawControlBorder(TcxCanvas* ACanvas, const TRect& R) {
  ACanvas->Draw3DEdge(R, true, false);
}

void TcxFlatLookAndFeelPainter::DrawButtonEdges(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  if (AState == cxbsPressed) {
    ACanvas->FrameSides(R, clBtnShadow, clBtnHighlight);
    return;
  }
  TRect r = R;
  if (AState == cxbsDefault) {
    ACanvas->DrawFrame(r, clBlack);
    r = inflated(r, -1);
  }
  ACanvas->FrameSides(r, clBtnHighlight, clBtnShadow);
}

void TcxFlatLookAndFeelPainter::DrawExpandBox(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) {
  DrawCaptionButton(ACanvas, R, "", cxbsNormal, true, AColor, clDefault);
  cxDrawPlusMinusSign(ACanvas, inflated(R, -1), AExpanded, clBtnText);
  // Later background painting leaves the box alone.
  ACanvas->ExcludeFromClip(R);
}

void TcxFlatLookAndFeelPainter::DrawCheckBoxFrame(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  ACanvas->Draw3DEdge(R, true, false);
  ACanvas->DrawFrame(inflated(R, -1), GetCheckBoxBackgroundColor(AState));
}

void TcxFlatLookAndFeelPainter::DrawHeaderEdges(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors,
                                                TcxBorders) {
  drawRaisedHeaderEdges(ACanvas, R, ANeighbors);
}

void TcxFlatLookAndFeelPainter::DrawSortArrow(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) {
  cxDrawSortArrowOutline(ACanvas, R, AAscendingSorting, GetSortArrowSize(), clBtnHighlight, clBtnShadow);
}

void TcxFlatLookAndFeelPainter::DrawRaisedEdge(TcxCanvas* ACanvas, const TRect& R) {
  ACanvas->Draw3DEdge(R, false, true);
}

void TcxFlatLookAndFeelPainter::DrawSunkenEdge(TcxCanvas* ACanvas, const TRect& R) {
  ACanvas->Draw3DEdge(R, true, false);
}

void TcxFlatLookAndFeelPainter::DrawDropDownButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                   bool AActive) {
  drawRaisedDropDownButton(this, ACanvas, R, AState, AActive);
}

void TcxFlatLookAndFeelPainter::DrawPlusSign(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  TcxCustomLookAndFeelPainter::DrawPlusSign(ACanvas, raisedPlusSignRect(R, AState), AState);
}

void TcxFlatLookAndFeelPainter::DrawTabFrame(TcxCanvas* ACanvas, const TRect& R, TcxTabSide ASide,
                                             TcxBorders ABorders, bool AVertical) {
  drawRaisedTabFrame(ACanvas, R, ASide, ABorders, AVertical);
}

void TcxFlatLookAndFeelPainter::DrawTabsBackground(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, bool) {
  ACanvas->Draw3DEdge(R, false, true, ABorders);
}

void TcxFlatLookAndFeelPainter::DrawScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R,
                                                  TcxScrollBarPart APart, TcxButtonState AState) {
  drawFlatScrollBarPart(this, ACanvas, AHorizontal, R, APart, AState, true);
}

// ---------------------------------------------------------------------------------------
// TcxUltraFlatLookAndFeelPainter.

TcxUltraFlatLookAndFeelPainter* TcxUltraFlatLookAndFeelPainter::Instance() {
  static TcxUltraFlatLookAndFeelPainter instance;
  return &instance;
}

void TcxUltraFlatLookAndFeelPainter::DrawControlBorder(TcxCanvas* ACanvas, const TRect& R) {
  ACanvas->DrawFrame(R, clBtnShadow);
}

TColor TcxUltraFlatLookAndFeelPainter::GetButtonFaceColor(TcxButtonState AState) {
  switch (AState) {
    case cxbsHot: return cxGetHighlightHotColor();
    case cxbsPressed: return cxGetHighlightPressedColor();
    default: return clBtnFace;
  }
}

TRect TcxUltraFlatLookAndFeelPainter::GetButtonFocusBounds(TcxCanvas*, const TRect& R) {
  TRect r = inflated(R, -3);
  return isEmptyRect(r) ? R : r;
}

TRect TcxUltraFlatLookAndFeelPainter::GetButtonGroupMargins(Integer ACount, Integer AIndex) {
  TRect margins{1, 2, 1, 2};
  if (AIndex == 0)
    margins.left = 2;
  else if (AIndex == ACount - 1)
    margins.right = 2;
  return margins;
}

TColor TcxUltraFlatLookAndFeelPainter::GetButtonGlyphColor(TcxButtonState AState) {
  return AState == cxbsPressed ? clHighlightText : TcxCustomLookAndFeelPainter::GetButtonGlyphColor(AState);
}

void TcxUltraFlatLookAndFeelPainter::DrawGroupedButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                       Integer ACount, Integer AIndex, TColor AFrameColor) {
  TRect r{R.left, R.top + 1, R.right, R.bottom - 1};
  if (AIndex == 0) ++r.left;
  if (ACount == AIndex + 1) --r.right;
  if (AState == cxbsNormal || AState == cxbsDisabled) {
    ACanvas->DrawFrame(r, AFrameColor == clDefault ? GetButtonFrameColor(AState) : AFrameColor);
    r = inflated(r, -1);
  } else {
    // Hot and pressed buttons are separated from their neighbours by a highlight column.
    if (AIndex > 0) {
      fill(ACanvas, TRect{r.left, r.top, r.left + 1, r.bottom}, GetHighlightFrameColor());
      ++r.left;
    }
    if (AIndex < ACount - 1) {
      fill(ACanvas, TRect{r.right - 1, r.top, r.right, r.bottom}, GetHighlightFrameColor());
      --r.right;
    }
  }
  fill(ACanvas, r, GetButtonFaceColor(AState));
}

void TcxUltraFlatLookAndFeelPainter::DrawButtonEdges(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  switch (AState) {
    case cxbsDefault:
      ACanvas->DrawFrame(R, clWindowFrame);
      ACanvas->DrawFrame(inflated(R, -1), clWindowFrame);
      break;
    case cxbsNormal:
      ACanvas->DrawFrame(R, clBtnText);
      break;
    default:
      ACanvas->DrawFrame(R, clHighlight);
      break;
  }
}

void TcxUltraFlatLookAndFeelPainter::DrawNavigatorBorder(TcxCanvas* ACanvas, const TRect& R, bool AInplaceFocused,
                                                         bool ASelected) {
  TColor color = AInplaceFocused ? clBtnText : ASelected ? GetHighlightFrameColor() : clBtnShadow;
  ACanvas->DrawFrame(R, color);
}

void TcxUltraFlatLookAndFeelPainter::DrawExpandBox(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                                                   TColor AColor) {
  ACanvas->DrawFrame(R, clBtnShadow);
  TRect r = inflated(R, -1);
  fill(ACanvas, r, AColor == clDefault ? clBtnFace : AColor);
  cxDrawPlusMinusSign(ACanvas, r, AExpanded, clBtnText);
  ACanvas->ExcludeFromClip(R);
}

void TcxUltraFlatLookAndFeelPainter::DrawCheckBoxFrame(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  ACanvas->DrawFrame(R, clBtnText);
  ACanvas->DrawFrame(inflated(R, -1), GetCheckBoxBackgroundColor(AState));
}

void TcxUltraFlatLookAndFeelPainter::DrawHeaderSection(
    TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TcxBorders ANeighbors,
    TcxBorders ABorders, TcxButtonState, TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert, bool AMultiLine,
    bool AShowEndEllipsis, const std::string& AText, TFont* AFont, TColor ATextColor, TColor ABkColor,
    const TcxDrawBackgroundEvent& AOnDrawBackground) {
  DrawHeaderContent(ACanvas, ABounds, inflated(ATextAreaBounds, -1), AAlignmentHorz, AAlignmentVert, AMultiLine,
                    AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, AOnDrawBackground);
  DrawHeaderEdges(ACanvas, inflated(ABounds, -1), ANeighbors, ABorders);
}

void TcxUltraFlatLookAndFeelPainter::DrawHeaderEdges(TcxCanvas* ACanvas, const TRect& R, TcxBorders,
                                                     TcxBorders ABorders) {
  TcxBorders sides{bRight, bBottom};
  if (ABorders.Contains(bLeft)) sides.Include(bLeft);
  if (ABorders.Contains(bTop)) sides.Include(bTop);
  ACanvas->DrawFrame(R, clBtnText, sides);
}

void TcxUltraFlatLookAndFeelPainter::DrawSortArrow(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) {
  cxDrawSortArrowOutline(ACanvas, R, AAscendingSorting, GetSortArrowSize(), clBtnShadow, clBtnShadow);
}

TcxBorders TcxUltraFlatLookAndFeelPainter::GetHeaderBorders(TcxBorders ANeighbors) {
  // A neighbour on the left or on top draws the shared line itself.
  TcxBorders sides = cxBordersAll;
  if (ANeighbors.Contains(bLeft)) sides.Exclude(bLeft);
  if (ANeighbors.Contains(bTop)) sides.Exclude(bTop);
  return sides;
}

void TcxUltraFlatLookAndFeelPainter::DrawRaisedEdge(TcxCanvas* ACanvas, const TRect& R) {
  ACanvas->DrawFrame(R, GetFooterSeparatorColor(), TcxBorders{bRight, bBottom});
}

void TcxUltraFlatLookAndFeelPainter::DrawSunkenEdge(TcxCanvas* ACanvas, const TRect& R) {
  ACanvas->DrawFrame(R, GetFooterSeparatorColor());
}

void TcxUltraFlatLookAndFeelPainter::DrawDropDownButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                        bool AActive) {
  ACanvas->DrawFrame(R, GetButtonFrameColor(AState));
  TRect r = inflated(R, -1);
  fill(ACanvas, r, GetButtonFaceColor(AState));
  DrawDropDownArrow(ACanvas, r, AActive ? static_cast<TColor>(0xFF0000) : GetButtonGlyphColor(AState));
}

void TcxUltraFlatLookAndFeelPainter::DrawTabFrame(TcxCanvas* ACanvas, const TRect& R, TcxTabSide ASide,
                                                  TcxBorders, bool AVertical) {
  Integer width = GetTabFrameWidth(AVertical);
  TRect strip = sideStrip(R, ASide, width);
  // The side that faces away from the light (bottom of a vertical tab, right of a
  // horizontal one) is drawn darker; a horizontal tab's right strip stops short of the
  // bottom line.
  bool selectedSide = AVertical ? ASide == 3 : ASide == 2;
  if (selectedSide && !AVertical) strip.bottom -= width;
  fill(ACanvas, strip, selectedSide ? GetSelectedTabFrameColor() : GetTabFrameColor());
}

void TcxUltraFlatLookAndFeelPainter::DrawTabsBackground(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders,
                                                        bool AVertical) {
  ACanvas->DrawFrame(R, GetTabFrameColor(), ABorders, GetTabFrameWidth(AVertical));
}

void TcxUltraFlatLookAndFeelPainter::DrawScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R,
                                                       TcxScrollBarPart APart, TcxButtonState AState) {
  drawFlatScrollBarPart(this, ACanvas, AHorizontal, R, APart, AState, false);
}

// ---------------------------------------------------------------------------------------
// TcxWinXPLookAndFeelPainter.

Integer cxGetButtonThemeState(TcxButtonState AState) {
  static const Integer states[] = {PBS_DEFAULTED, PBS_NORMAL, PBS_HOT, PBS_PRESSED, PBS_DISABLED};
  return states[AState];
}

namespace {

// Theme states for the other elements, by button state (default, normal, hot, pressed,
// disabled).
Integer checkBoxThemeState(TcxButtonState AState, bool AChecked) {
  static const Integer unchecked[] = {CBS_UNCHECKEDNORMAL, CBS_UNCHECKEDNORMAL, CBS_UNCHECKEDHOT,
                                      CBS_UNCHECKEDPRESSED, CBS_UNCHECKEDDISABLED};
  static const Integer checked[] = {CBS_CHECKEDNORMAL, CBS_CHECKEDNORMAL, CBS_CHECKEDHOT, CBS_CHECKEDPRESSED,
                                    CBS_CHECKEDDISABLED};
  return AChecked ? checked[AState] : unchecked[AState];
}

Integer radioThemeState(TcxButtonState AState, bool AChecked) {
  static const Integer unchecked[] = {RBS_UNCHECKEDNORMAL, RBS_UNCHECKEDNORMAL, RBS_UNCHECKEDHOT,
                                      RBS_UNCHECKEDPRESSED, RBS_UNCHECKEDDISABLED};
  static const Integer checked[] = {RBS_CHECKEDNORMAL, RBS_CHECKEDNORMAL, RBS_CHECKEDHOT, RBS_CHECKEDPRESSED,
                                    RBS_CHECKEDDISABLED};
  return AChecked ? checked[AState] : unchecked[AState];
}

// Headers have no disabled look: a disabled header is drawn normal.
Integer headerThemeState(TcxButtonState AState) {
  static const Integer states[] = {HIS_NORMAL, HIS_NORMAL, HIS_HOT, HIS_PRESSED, HIS_NORMAL};
  return states[AState];
}

// Small close buttons, combo-box drop-down buttons and tab items share one state order.
Integer smallButtonThemeState(TcxButtonState AState) {
  static const Integer states[] = {1, 1, 2, 3, 4};
  return states[AState];
}

Integer autoHidePinThemeState(TcxButtonState AState) {
  static const Integer states[] = {1, 1, 2, 3, 1};
  return states[AState];
}

// The explorer-bar group button has normal, hot and pressed looks only; default and
// disabled toggles are drawn normal.
Integer groupToggleThemeState(TcxButtonState AState) {
  switch (AState) {
    case cxbsHot: return 2;
    case cxbsPressed: return 3;
    default: return 1;
  }
}

// Thumb and page areas of a scroll bar.
Integer scrollBarThemeState(TcxButtonState AState) {
  switch (AState) {
    case cxbsHot: return SCRBS_HOT;
    case cxbsPressed: return SCRBS_PRESSED;
    case cxbsDisabled: return SCRBS_DISABLED;
    default: return SCRBS_NORMAL;
  }
}

// Scroll-bar arrow buttons: four states per direction, directions in the order up,
// down, left, right.
Integer scrollArrowThemeState(TcxButtonState AState, TcxArrowDirection ADirection) {
  Integer offset = AState == cxbsHot ? 2 : AState == cxbsPressed ? 3 : AState == cxbsDisabled ? 4 : 1;
  return 4 * static_cast<Integer>(ADirection) + offset;
}

// The list-view part whose background is the themed control border.
const Integer kListViewBorderPart = 5;

TdxTheme themeOf(TdxThemeClassIndex AClass) { return dxGetThemeHandle(AClass); }

// The screen's device context, for theme measurements made outside a paint.
class ScreenDC {
public:
  ScreenDC() : FDC(GetDC(nullptr)) {}
  ~ScreenDC() { ReleaseDC(nullptr, FDC); }
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;
  HDC Handle() const { return FDC; }

private:
  HDC FDC;
};

bool themeContentRect(TdxTheme ATheme, HDC ADC, Integer APart, Integer AState, const TRect& ABounds,
                      TRect& AContent) {
  TRect content{};
  if (FAILED(dxGetThemeBackgroundContentRect(ATheme, ADC, APart, AState, &ABounds, &content))) return false;
  AContent = content;
  return true;
}

// The content rectangle of the part drawn on (0, 0, 100, 100) on the screen: its insets
// are the part's border widths.
bool themeInsets(TdxTheme ATheme, Integer APart, Integer AState, TRect& AContent) {
  ScreenDC dc;
  return themeContentRect(ATheme, dc.Handle(), APart, AState, TRect{0, 0, 100, 100}, AContent);
}

// The size the theme draws the part in; zero when it does not say.
TSize themePartSize(TdxTheme ATheme, Integer APart, Integer AState) {
  ScreenDC dc;
  SIZE size{};
  if (FAILED(dxGetThemePartSize(ATheme, dc.Handle(), APart, AState, nullptr, TS_TRUE, &size))) return TSize{0, 0};
  return size;
}

void drawThemeBackground(TdxTheme ATheme, TcxCanvas* ACanvas, Integer APart, Integer AState, const TRect& R,
                         const TRect* AClip = nullptr) {
  dxDrawThemeBackground(ATheme, ACanvas->Handle(), APart, AState, &R, AClip);
}

// The text as 16-bit characters in the ANSI code page (no terminating zero).
std::vector<WCHAR> toWide(const std::string& AText) {
  std::vector<WCHAR> result;
  if (AText.empty()) return result;
  int n = MultiByteToWideChar(CP_ACP, 0, AText.data(), static_cast<int>(AText.size()), nullptr, 0);
  if (n <= 0) return result;
  result.resize(static_cast<size_t>(n));
  MultiByteToWideChar(CP_ACP, 0, AText.data(), static_cast<int>(AText.size()), result.data(), n);
  return result;
}

DWORD themedTextFlags(TAlignment AHorz, TcxAlignmentVert AVert, bool AMultiLine, bool AEndEllipsis) {
  DWORD flags = DT_NOPREFIX | DT_EDITCONTROL;
  switch (AHorz) {
    case taLeftJustify: flags |= DT_LEFT; break;
    case taRightJustify: flags |= DT_RIGHT; break;
    default: flags |= DT_CENTER; break;
  }
  switch (AVert) {
    case vaTop: flags |= DT_TOP; break;
    case vaBottom: flags |= DT_BOTTOM; break;
    default: flags |= DT_VCENTER; break;
  }
  flags |= AMultiLine ? DT_WORDBREAK : DT_SINGLELINE;
  if (AEndEllipsis) flags |= DT_END_ELLIPSIS;
  return flags;
}

// Makes the canvas's font, text colour and brush current in its device context, so that
// the theme's text drawing uses them.
void prepareThemedText(TcxCanvas* ACanvas) {
  ACanvas->Canvas()->RequiredState({csHandleValid, csFontValid, csBrushValid});
}

void drawThemeText(TdxTheme ATheme, TcxCanvas* ACanvas, Integer APart, Integer AState, const std::string& AText,
                   DWORD AFlags, const TRect& R) {
  std::vector<WCHAR> text = toWide(AText);
  if (text.empty()) return;
  prepareThemedText(ACanvas);
  dxDrawThemeText(ATheme, ACanvas->Handle(), APart, AState, text.data(), static_cast<int>(text.size()), AFlags, 0,
                  &R);
}

// A 32-bit bitmap whose pixels are read and written directly.
void makeBitmap32(TBitmap& ABitmap, Integer AWidth, Integer AHeight) {
  ABitmap.SetPixelFormat(pf32bit);
  ABitmap.SetSize(AWidth, AHeight);
}

// ADest (AHeight by AWidth) takes ASource (AWidth by AHeight) mirrored at the diagonal:
// the pixel (x, y) goes to (y, x).
void transposeBitmap(TBitmap& ASource, TBitmap& ADest) {
  Integer w = ASource.Width(), h = ASource.Height();
  makeBitmap32(ADest, h, w);
  for (Integer y = 0; y < h; ++y) {
    auto* src = static_cast<const uint32_t*>(ASource.ScanLine(y));
    for (Integer x = 0; x < w; ++x) static_cast<uint32_t*>(ADest.ScanLine(x))[y] = src[x];
  }
}

// ADest (AHeight by AWidth) takes ASource turned a quarter turn clockwise.
void rotateBitmapClockwise(TBitmap& ASource, TBitmap& ADest) {
  Integer w = ASource.Width(), h = ASource.Height();
  makeBitmap32(ADest, h, w);
  for (Integer y = 0; y < h; ++y) {
    auto* src = static_cast<const uint32_t*>(ASource.ScanLine(y));
    for (Integer x = 0; x < w; ++x) static_cast<uint32_t*>(ADest.ScanLine(x))[h - 1 - y] = src[x];
  }
}

}  // namespace

TcxWinXPLookAndFeelPainter* TcxWinXPLookAndFeelPainter::Instance() {
  static TcxWinXPLookAndFeelPainter instance;
  return &instance;
}

void TcxWinXPLookAndFeelPainter::DrawArrowButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                 TcxArrowDirection ADirection, bool AFramed) {
  if (TdxTheme theme = themeOf(totScrollBar))
    drawThemeBackground(theme, ACanvas, SBP_ARROWBTN, scrollArrowThemeState(AState, ADirection), R);
  else
    TcxCustomLookAndFeelPainter::DrawArrowButton(ACanvas, R, AState, ADirection, AFramed);
}

void TcxWinXPLookAndFeelPainter::DrawButtonBackground(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  if (TdxTheme theme = themeOf(totButton))
    drawThemeBackground(theme, ACanvas, BP_PUSHBUTTON, cxGetButtonThemeState(AState), R);
  else
    TcxCustomLookAndFeelPainter::DrawButtonBackground(ACanvas, R, AState);
}

Integer TcxWinXPLookAndFeelPainter::GetControlBorderWidth() { return themeOf(totListView) ? 1 : 2; }

void TcxWinXPLookAndFeelPainter::DrawControlBorder(TcxCanvas* ACanvas, const TRect& R) {
  TdxTheme theme = themeOf(totListView);
  if (!theme) {
    TcxStandardLookAndFeelPainter::DrawControlBorder(ACanvas, R);
    return;
  }
  // Only the one-pixel frame: the inside stays as the control painted it.
  HDC dc = ACanvas->Handle();
  int saved = SaveDC(dc);
  TRect inside = inflated(R, -1);
  ExcludeClipRect(dc, inside.left, inside.top, inside.right, inside.bottom);
  drawThemeBackground(theme, ACanvas, kListViewBorderPart, 0, R);
  RestoreDC(dc, saved);
}

Integer TcxWinXPLookAndFeelPainter::GetButtonBorderWidth(TcxButtonState AState) {
  TRect content;
  if (TdxTheme theme = themeOf(totButton))
    if (themeInsets(theme, BP_PUSHBUTTON, cxGetButtonThemeState(AState), content)) return content.left;
  return 2;
}

TColor TcxWinXPLookAndFeelPainter::GetButtonFaceColor(TcxButtonState AState) {
  // Styles that draw their buttons from images often give no fill colour; the fill hint
  // then names the colour that stands for the face, and failing both the system's button
  // face does.
  COLORREF color = 0;
  if (TdxTheme theme = themeOf(totButton)) {
    Integer state = cxGetButtonThemeState(AState);
    if (SUCCEEDED(dxGetThemeColor(theme, BP_PUSHBUTTON, state, TMT_FILLCOLOR, &color)) ||
        SUCCEEDED(dxGetThemeColor(theme, BP_PUSHBUTTON, state, TMT_FILLCOLORHINT, &color)))
      return static_cast<TColor>(color);
  }
  return clBtnFace;
}

TRect TcxWinXPLookAndFeelPainter::GetButtonFocusBounds(TcxCanvas* ACanvas, const TRect& R) {
  TRect content;
  if (TdxTheme theme = themeOf(totButton)) {
    ScreenDC screen;
    HDC dc = ACanvas ? ACanvas->Handle() : screen.Handle();
    if (themeContentRect(theme, dc, BP_PUSHBUTTON, PBS_NORMAL, R, content)) return content;
  }
  return TcxCustomLookAndFeelPainter::GetButtonFocusBounds(ACanvas, R);
}

TRect TcxWinXPLookAndFeelPainter::GetButtonGroupMargins(Integer ACount, Integer AIndex) {
  TdxTheme theme = themeOf(totButton);
  TRect content;
  if (!theme || !themeInsets(theme, BP_PUSHBUTTON, PBS_NORMAL, content))
    return TcxStandardLookAndFeelPainter::GetButtonGroupMargins(ACount, AIndex);
  // A partly transparent button needs one more pixel on each side to show its edge.
  Integer grow = dxIsThemeBackgroundPartiallyTransparent(theme, BP_PUSHBUTTON, PBS_NORMAL) ? 1 : 0;
  return TRect{content.left + grow, content.top + grow, 100 - content.right + grow, 100 - content.bottom + grow};
}

TColor TcxWinXPLookAndFeelPainter::GetButtonGlyphColor(TcxButtonState AState) {
  COLORREF color = 0;
  if (TdxTheme theme = themeOf(totButton))
    if (SUCCEEDED(dxGetThemeColor(theme, BP_PUSHBUTTON, cxGetButtonThemeState(AState), TMT_TEXTCOLOR, &color)))
      return static_cast<TColor>(color);
  return TcxCustomLookAndFeelPainter::GetButtonGlyphColor(AState);
}

void TcxWinXPLookAndFeelPainter::DrawCaptionButton(TcxCanvas* ACanvas, const TRect& R, const std::string& ACaption,
                                                   TcxButtonState AState, bool AFramed, TColor AColor,
                                                   TColor ATextColor) {
  TdxTheme theme = themeOf(totButton);
  if (!theme) {
    TcxCustomLookAndFeelPainter::DrawCaptionButton(ACanvas, R, ACaption, AState, AFramed, AColor, ATextColor);
    return;
  }
  Integer state = cxGetButtonThemeState(AState);
  drawThemeBackground(theme, ACanvas, BP_PUSHBUTTON, state, R);
  drawThemeText(theme, ACanvas, BP_PUSHBUTTON, state, ACaption, DT_CENTER | DT_VCENTER | DT_SINGLELINE, R);
}

void TcxWinXPLookAndFeelPainter::DrawExpandBox(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) {
  TdxTheme theme = themeOf(totTreeView);
  if (!theme) {
    TcxStandardLookAndFeelPainter::DrawExpandBox(ACanvas, R, AExpanded, AColor);
    return;
  }
  drawThemeBackground(theme, ACanvas, TVP_GLYPH, AExpanded ? GLPS_OPENED : GLPS_CLOSED, R);
  ACanvas->ExcludeFromClip(R);
}

void TcxWinXPLookAndFeelPainter::DrawGroupToggleButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                                                       TcxButtonState AState) {
  // An expanded group shows the button that collapses it, and the other way round.
  if (TdxTheme theme = themeOf(totExplorerBar))
    drawThemeBackground(theme, ACanvas, AExpanded ? EBP_NORMALGROUPCOLLAPSE : EBP_NORMALGROUPEXPAND,
                        groupToggleThemeState(AState), R);
  else
    TcxStandardLookAndFeelPainter::DrawGroupToggleButton(ACanvas, R, AExpanded, AState);
}

void TcxWinXPLookAndFeelPainter::DrawTreeExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                                                      TColor AFrameColor, TColor) {
  if (themeOf(totTreeView))
    DrawExpandBox(ACanvas, R, AExpanded, clDefault);
  else
    TcxCustomLookAndFeelPainter::DrawTreeExpandButton(ACanvas, R, AExpanded, AFrameColor, clDefault);
}

Integer TcxWinXPLookAndFeelPainter::GetExpandBoxSize() {
  if (TdxTheme theme = themeOf(totTreeView)) return themePartSize(theme, TVP_GLYPH, GLPS_OPENED).cx;
  return 12;
}

Integer TcxWinXPLookAndFeelPainter::GetGroupToggleButtonWidth() {
  if (TdxTheme theme = themeOf(totExplorerBar)) return themePartSize(theme, EBP_NORMALGROUPEXPAND, 1).cx;
  return 15;
}

bool TcxWinXPLookAndFeelPainter::IsPointInGroupToggleButton(const TRect& R, const TPoint& P) {
  if (TdxTheme theme = themeOf(totExplorerBar)) {
    ScreenDC dc;
    HRGN region = nullptr;
    if (SUCCEEDED(dxGetThemeBackgroundRegion(theme, dc.Handle(), EBP_NORMALGROUPEXPAND, 1, &R, &region)) &&
        region) {
      bool inside = PtInRegion(region, P.x, P.y) != FALSE;
      DeleteObject(region);
      return inside;
    }
  }
  return TcxCustomLookAndFeelPainter::IsPointInGroupToggleButton(R, P);
}

Integer TcxWinXPLookAndFeelPainter::GetTreeExpandButtonSize() {
  return themeOf(totTreeView) ? GetExpandBoxSize() : 9;
}

Integer TcxWinXPLookAndFeelPainter::GetCheckBoxBorderWidth() { return themeOf(totButton) ? 0 : 2; }

void TcxWinXPLookAndFeelPainter::DrawCheckMark(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                               bool AChecked, TColor AColor) {
  if (TdxTheme theme = themeOf(totButton))
    drawThemeBackground(theme, ACanvas, BP_CHECKBOX, checkBoxThemeState(AState, AChecked), R);
  else
    TcxCustomLookAndFeelPainter::DrawCheckMark(ACanvas, R, AState, AChecked, AColor);
}

void TcxWinXPLookAndFeelPainter::DrawCheckBoxFrame(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  // The themed check box draws its own frame.
  if (!themeOf(totButton)) TcxStandardLookAndFeelPainter::DrawCheckBoxFrame(ACanvas, R, AState);
}

void TcxWinXPLookAndFeelPainter::DrawRadioButtonGlyph(TcxCanvas* ACanvas, Integer X, Integer Y,
                                                      TcxButtonState AState, bool AChecked, bool AFocused,
                                                      TColor ABkColor, bool AIsDesigning) {
  TdxTheme theme = themeOf(totButton);
  if (!theme) {
    // Without the button theme the standard painter's generated glyph stands in.
    TcxStandardLookAndFeelPainter::Instance()->DrawRadioButtonGlyph(ACanvas, X, Y, AState, AChecked, AFocused,
                                                                     ABkColor, AIsDesigning);
    return;
  }
  Integer state = radioThemeState(AState, AChecked);
  TSize size = themePartSize(theme, BP_RADIOBUTTON, state);
  drawThemeBackground(theme, ACanvas, BP_RADIOBUTTON, state, TRect{X, Y, X + size.cx, Y + size.cy});
}

void TcxWinXPLookAndFeelPainter::DrawHeaderCell(TcxCanvas* ACanvas, const TRect& ABounds,
                                                const TRect& ATextAreaBounds, TcxBorders ANeighbors,
                                                TcxBorders ABorders, TcxButtonState AState,
                                                TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                                                bool AMultiLine, bool AShowEndEllipsis, const std::string& AText,
                                                TFont* AFont, TColor ATextColor, TColor ABkColor,
                                                const TcxDrawBackgroundEvent& AOnDrawBackground) {
  TdxTheme theme = themeOf(totHeader);
  if (!theme) {
    TcxCustomLookAndFeelPainter::DrawHeaderCell(ACanvas, ABounds, ATextAreaBounds, ANeighbors, ABorders, AState,
                                                AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis, AText,
                                                AFont, ATextColor, ABkColor, AOnDrawBackground);
    return;
  }
  Integer state = headerThemeState(AState);
  drawThemeBackground(theme, ACanvas, HP_HEADERITEM, state, ABounds);
  TRect textRect = AState == cxbsPressed ? offsetBy(ATextAreaBounds, 1, 1) : ATextAreaBounds;
  DrawThemedText(ACanvas, theme, HP_HEADERITEM, state, ABounds, textRect, AAlignmentHorz, AAlignmentVert, AMultiLine,
                 AShowEndEllipsis, AText, AFont, ATextColor, ABkColor);
}

void TcxWinXPLookAndFeelPainter::DrawSortArrow(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) {
  TcxUltraFlatLookAndFeelPainter::Instance()->DrawSortArrow(ACanvas, R, AAscendingSorting);
}

TSize TcxWinXPLookAndFeelPainter::GetSortArrowSize() {
  return TcxUltraFlatLookAndFeelPainter::Instance()->GetSortArrowSize();
}

Integer TcxWinXPLookAndFeelPainter::GetHeaderEdgeWidth() {
  TRect content;
  if (TdxTheme theme = themeOf(totHeader))
    if (themeInsets(theme, HP_HEADERITEM, HIS_NORMAL, content)) return (content.left + content.top) / 2;
  return 1;
}

void TcxWinXPLookAndFeelPainter::DrawFooterCell(TcxCanvas* ACanvas, const TRect& ABounds, TAlignment AAlignmentHorz,
                                                TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                                const std::string& AText, TFont* AFont, TColor ATextColor,
                                                TColor ABkColor, const TcxDrawBackgroundEvent& AOnDrawBackground) {
  TdxTheme theme = themeOf(totTrackBar);
  if (!theme) {
    TcxCustomLookAndFeelPainter::DrawFooterCell(ACanvas, ABounds, AAlignmentHorz, AAlignmentVert, AMultiLine, AText,
                                                AFont, ATextColor, ABkColor, AOnDrawBackground);
    return;
  }
  drawThemeBackground(theme, ACanvas, TKP_TRACK, TRS_NORMAL, ABounds);
  DrawThemedText(ACanvas, theme, TKP_TRACK, TRS_NORMAL, ABounds, GetFooterCellTextAreaBounds(ABounds),
                 AAlignmentHorz, AAlignmentVert, AMultiLine, false, AText, AFont, ATextColor, ABkColor);
}

Integer TcxWinXPLookAndFeelPainter::GetFooterCellContentOffset() {
  TRect content;
  if (TdxTheme theme = themeOf(totTrackBar))
    if (themeInsets(theme, TKP_TRACK, TRS_NORMAL, content)) return content.left;
  return 1;
}

void TcxWinXPLookAndFeelPainter::DrawRaisedEdge(TcxCanvas* ACanvas, const TRect& R) {
  if (TdxTheme theme = themeOf(totEdit))
    dxDrawThemeEdge(theme, ACanvas->Handle(), 0, 0, &R, BDR_RAISEDINNER, BF_RECT, nullptr);
  else
    TcxStandardLookAndFeelPainter::DrawRaisedEdge(ACanvas, R);
}

void TcxWinXPLookAndFeelPainter::DrawCloseButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  if (TdxTheme theme = themeOf(totWindow))
    drawThemeBackground(theme, ACanvas, WP_SMALLCLOSEBUTTON, smallButtonThemeState(AState), R);
  else
    TcxCustomLookAndFeelPainter::DrawCloseButton(ACanvas, R, AState);
}

void TcxWinXPLookAndFeelPainter::DrawDropDownButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                    bool AActive) {
  if (TdxTheme theme = themeOf(totComboBox))
    drawThemeBackground(theme, ACanvas, CP_DROPDOWNBUTTON, smallButtonThemeState(AState), R);
  else
    TcxStandardLookAndFeelPainter::DrawDropDownButton(ACanvas, R, AState, AActive);
}

TSize TcxWinXPLookAndFeelPainter::GetCheckBoxSize() {
  if (TdxTheme theme = themeOf(totButton)) return themePartSize(theme, BP_CHECKBOX, CBS_CHECKEDNORMAL);
  return TSize{13, 13};
}

TSize TcxWinXPLookAndFeelPainter::GetCloseButtonSize() {
  if (TdxTheme theme = themeOf(totWindow)) {
    TSize size = themePartSize(theme, WP_SMALLCLOSEBUTTON, 1);
    return TSize{size.cx + 4, size.cy + 4};
  }
  return TSize{16, 14};
}

TSize TcxWinXPLookAndFeelPainter::GetAutoHideButtonSize() {
  if (TdxTheme theme = themeOf(totExplorerBar)) return themePartSize(theme, EBP_HEADERPIN, 1);
  return TSize{16, 14};
}

void TcxWinXPLookAndFeelPainter::DrawPlusButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  TdxTheme theme = themeOf(totButton);
  if (!theme) {
    TcxCustomLookAndFeelPainter::DrawPlusButton(ACanvas, R, AState);
    return;
  }
  drawThemeBackground(theme, ACanvas, BP_PUSHBUTTON, cxGetButtonThemeState(AState), R);
  TRect r = inflated(R, -2);
  if (AState == cxbsDisabled) r = offsetBy(r, 1, 1);
  DrawPlusSign(ACanvas, r, AState);
}

void TcxWinXPLookAndFeelPainter::DrawAutoHideButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                    Integer AImageIndex, TColor ABkColor) {
  TdxTheme theme = themeOf(totExplorerBar);
  if (!theme || isEmptyRect(R)) {
    TcxCustomLookAndFeelPainter::DrawAutoHideButton(ACanvas, R, AState, AImageIndex, ABkColor);
    return;
  }
  // The pin is drawn upright on the background colour and lies down for image 0.
  TBitmap pin;
  makeBitmap32(pin, R.right - R.left, R.bottom - R.top);
  TRect local{0, 0, pin.Width(), pin.Height()};
  pin.Canvas()->Brush()->SetColor(ABkColor == clDefault || ABkColor == clNone ? clBtnFace : ABkColor);
  pin.Canvas()->FillRect(local);
  dxDrawThemeBackground(theme, pin.Canvas()->Handle(), EBP_HEADERPIN, autoHidePinThemeState(AState), &local, nullptr);
  if (AImageIndex == 0) {
    TBitmap turned;
    rotateBitmapClockwise(pin, turned);
    ACanvas->Canvas()->Draw(R.left, R.top, &turned);
  } else {
    ACanvas->Canvas()->Draw(R.left, R.top, &pin);
  }
}

void TcxWinXPLookAndFeelPainter::DrawTab(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders,
                                         const std::string& AText, TcxButtonState AState, bool AVertical,
                                         TFont* AFont, TColor ATextColor, TColor) {
  TdxTheme theme = themeOf(totTab);
  if (!theme || isEmptyRect(R)) return;
  bool selected = AState == cxbsPressed;
  Integer state = smallButtonThemeState(AState);
  // A vertical tab is laid out lying on its side: its top and bottom take the place of a
  // horizontal tab's left and right, its right side the place of the bottom.
  TRect tab = AVertical ? TRect{0, 0, R.bottom - R.top, R.right - R.left} : R;
  bool openBefore = !ABorders.Contains(AVertical ? bTop : bLeft);
  bool openAfter = !ABorders.Contains(AVertical ? bBottom : bRight);
  // The item reaches 2 pixels past each open side, and the selected item one pixel
  // further down so that it joins the pane below; the others stop one pixel short.
  TRect background = tab;
  if (openBefore) background.left -= 2;
  if (openAfter) background.right += 2;
  if (selected) ++background.bottom;
  TRect clip = tab;
  if (!selected) --clip.bottom;

  TRect textRect;
  if (!AVertical) {
    drawThemeBackground(theme, ACanvas, TABP_TABITEM, state, background, &clip);
    textRect = background;
    if (selected) textRect.bottom -= 2;
  } else {
    // Drawn lying down into a bitmap that starts as the canvas's own pixels, then stood
    // up in the tab's place.
    TBitmap upright, lying;
    makeBitmap32(upright, R.right - R.left, R.bottom - R.top);
    BitBlt(upright.Canvas()->Handle(), 0, 0, upright.Width(), upright.Height(), ACanvas->Handle(), R.left, R.top,
           SRCCOPY);
    transposeBitmap(upright, lying);
    dxDrawThemeBackground(theme, lying.Canvas()->Handle(), TABP_TABITEM, state, &background, &clip);
    transposeBitmap(lying, upright);
    BitBlt(ACanvas->Handle(), R.left, R.top, upright.Width(), upright.Height(), upright.Canvas()->Handle(), 0, 0,
           SRCCOPY);
    textRect = TRect{R.left + background.top, R.top + background.left, R.left + background.bottom,
                     R.top + background.right};
    if (selected) textRect.right -= 2;
  }
  DrawThemedText(ACanvas, theme, TABP_TABITEM, state, R, textRect, taCenter, vaCenter, false, false, AText, AFont,
                 ATextColor, clDefault);
}

void TcxWinXPLookAndFeelPainter::DrawTabFrame(TcxCanvas* ACanvas, const TRect& R, TcxTabSide ASide,
                                              TcxBorders ABorders, bool AVertical) {
  // A themed tab item includes its frame.
  if (!themeOf(totTab)) TcxStandardLookAndFeelPainter::DrawTabFrame(ACanvas, R, ASide, ABorders, AVertical);
}

void TcxWinXPLookAndFeelPainter::DrawTabsBackground(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders,
                                                    bool AVertical) {
  TdxTheme theme = themeOf(totTab);
  if (!theme) {
    TcxStandardLookAndFeelPainter::DrawTabsBackground(ACanvas, R, ABorders, AVertical);
    return;
  }
  // The pane is drawn larger than the area, away from the tabs, so that only its edge
  // facing the tabs falls inside the area.
  TRect content;
  if (!themeContentRect(theme, ACanvas->Handle(), TABP_PANE, 0, R, content)) content = R;
  TRect pane = R;
  if (AVertical) {
    pane.right += 10;
    pane.bottom += R.bottom - content.bottom;
  } else {
    pane.bottom += 10;
    pane.right += R.right - content.right;
  }
  drawThemeBackground(theme, ACanvas, TABP_PANE, 0, pane, &R);
}

bool TcxWinXPLookAndFeelPainter::DrawsWholeTab(bool) { return themeOf(totTab) != nullptr; }

bool TcxWinXPLookAndFeelPainter::IsTabThemed(bool) { return themeOf(totTab) != nullptr; }

void TcxWinXPLookAndFeelPainter::DrawIndicatorItem(TcxCanvas* ACanvas, const TRect& R, TcxIndicatorKind AKind,
                                                   TColor AColor, const TcxDrawBackgroundEvent& AOnDrawBackground) {
  // Indicator cells have no themed look: they keep the flat painter's header cell.
  TcxFlatLookAndFeelPainter::Instance()->DrawIndicatorItem(ACanvas, R, AKind, AColor, AOnDrawBackground);
}

void TcxWinXPLookAndFeelPainter::DrawScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R,
                                                   TcxScrollBarPart APart, TcxButtonState AState) {
  if (isEmptyRect(R)) return;
  TdxTheme theme = themeOf(totScrollBar);
  if (!theme) {
    TcxStandardLookAndFeelPainter::DrawScrollBarPart(ACanvas, AHorizontal, R, APart, AState);
    return;
  }
  switch (APart) {
    case sbpLineUp:
    case sbpLineDown:
      DrawArrowButton(ACanvas, R, AState, scrollArrowDirection(AHorizontal, APart), true);
      break;
    case sbpThumbnail:
      drawThemeBackground(theme, ACanvas, AHorizontal ? SBP_THUMBBTNHORZ : SBP_THUMBBTNVERT,
                          scrollBarThemeState(AState), R);
      drawThemeBackground(theme, ACanvas, AHorizontal ? SBP_GRIPPERHORZ : SBP_GRIPPERVERT, 0, R);
      break;
    case sbpPageUp:
      drawThemeBackground(theme, ACanvas, AHorizontal ? SBP_LOWERTRACKHORZ : SBP_LOWERTRACKVERT,
                          scrollBarThemeState(AState), R);
      break;
    case sbpPageDown:
      drawThemeBackground(theme, ACanvas, AHorizontal ? SBP_UPPERTRACKHORZ : SBP_UPPERTRACKVERT,
                          scrollBarThemeState(AState), R);
      break;
    default:
      break;
  }
}

void TcxWinXPLookAndFeelPainter::DrawThemedText(TcxCanvas* ACanvas, TdxTheme ATheme, Integer APart, Integer AState,
                                                const TRect&, const TRect& ATextRect, TAlignment AAlignmentHorz,
                                                TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                                bool AShowEndEllipsis, const std::string& AText, TFont* AFont,
                                                TColor ATextColor, TColor) {
  if (AText.empty()) return;
  if (AFont) ACanvas->Font()->Assign(AFont);
  if (ATextColor != clNone && ATextColor != clDefault) ACanvas->Font()->SetColor(ATextColor);
  drawThemeText(ATheme, ACanvas, APart, AState, AText,
                themedTextFlags(AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis), ATextRect);
}

// ---------------------------------------------------------------------------------------
// Shared resources.

TImageList* cxIndicatorImages() { return indicatorImages; }

TBitmap* cxAutoHideBitmap(Integer AIndex) {
  return (AIndex == 0 || AIndex == 1) ? autoHideBitmaps[AIndex] : nullptr;
}

TBitmap* cxScrollBarPageBitmap(bool APressed) { return pageBitmaps[APressed ? 1 : 0]; }

void cxRefreshScrollBarPageBitmaps() {
  for (auto*& bitmap : pageBitmaps)
    if (!bitmap) bitmap = new TBitmap();
  fillPageBitmap(pageBitmaps[0], clBtnHighlight, clBtnFace);
  fillPageBitmap(pageBitmaps[1], cl3DDkShadow, clBlack);
}

namespace cxLookAndFeelPaintersUnit {

void Initialize() {
  static const char* const indicatorNames[] = {"CX_ARROWBITMAP", "CX_EDITBITMAP", "CX_INSERTBITMAP",
                                               "CX_MULTIDOTBITMAP", "CX_MULTIARROWBITMAP"};
  for (const char* name : indicatorNames) {
    TBitmap* bitmap = loadBitmapResource(name);
    if (!indicatorImages) indicatorImages = new TImageList(bitmap->Width(), bitmap->Height());
    indicatorImages->AddMasked(bitmap, clWhite);
    delete bitmap;
  }
  cxRefreshScrollBarPageBitmaps();
  static const char* const autoHideNames[] = {"CX_AUTOHIDEON", "CX_AUTOHIDEOFF"};
  for (int i = 0; i < 2; ++i) {
    autoHideBitmaps[i] = loadBitmapResource(autoHideNames[i]);
    autoHideBitmaps[i]->SetTransparent(true);
  }
  cxSetLookAndFeelPainter(lfFlat, TcxFlatLookAndFeelPainter::Instance());
  cxSetLookAndFeelPainter(lfStandard, TcxStandardLookAndFeelPainter::Instance());
  cxSetLookAndFeelPainter(lfUltraFlat, TcxUltraFlatLookAndFeelPainter::Instance());
  cxSetNativeLookAndFeelPainter(TcxWinXPLookAndFeelPainter::Instance());
  radioImagesClearer = new RadioImagesClearer();
  radioImagesNotifier = new TcxSystemPaletteChangedNotifier(true);
  radioImagesNotifier->SetOnSystemPaletteChanged(TNotifyEvent(radioImagesClearer, &RadioImagesClearer::Changed));
}

void Finalize() {
  if (cxNativeLookAndFeelPainter() == TcxWinXPLookAndFeelPainter::Instance()) cxSetNativeLookAndFeelPainter(nullptr);
  if (cxLookAndFeelPainter(lfFlat) == TcxFlatLookAndFeelPainter::Instance()) cxSetLookAndFeelPainter(lfFlat, nullptr);
  if (cxLookAndFeelPainter(lfUltraFlat) == TcxUltraFlatLookAndFeelPainter::Instance())
    cxSetLookAndFeelPainter(lfUltraFlat, nullptr);
  delete radioImagesNotifier;
  radioImagesNotifier = nullptr;
  delete radioImagesClearer;
  radioImagesClearer = nullptr;
  for (auto*& bitmap : autoHideBitmaps) {
    delete bitmap;
    bitmap = nullptr;
  }
  for (auto*& bitmap : pageBitmaps) {
    delete bitmap;
    bitmap = nullptr;
  }
  delete indicatorImages;
  indicatorImages = nullptr;
}

}  // namespace cxLookAndFeelPaintersUnit
