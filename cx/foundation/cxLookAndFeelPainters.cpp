#include "cx/foundation/cxLookAndFeelPainters.h"

#include <algorithm>

#include "cx/foundation/cxRadioButtonImageList.h"
#include "cx/foundation/cxStyles.h"

RTL_IMPLEMENT_CLASS(TcxCustomLookAndFeelPainter)
RTL_IMPLEMENT_CLASS(TcxStandardLookAndFeelPainter)

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
  cxLookAndFeelPainter(lfFlat)->DrawHeaderCell(ACanvas, R, R, TcxBorders(), cxBordersAll, cxbsNormal, taCenter,
                                               vaCenter, false, false, AText, AViewParams.Font,
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
  // Drawn the flat way: a one-pixel raised frame, the face, and the chevrons.
  ACanvas->Draw3DEdge(R, AState == cxbsPressed, false);
  fill(ACanvas, inflated(R, -1), GetButtonFaceColor(AState));
  cxDrawGroupToggleMark(ACanvas, R, AExpanded, GetButtonGlyphColor(AState));
}

void TcxStandardLookAndFeelPainter::DrawCheckBoxFrame(TcxCanvas* ACanvas, const TRect& R, TcxButtonState) {
  ACanvas->Draw3DEdge(R, true, true);
  ACanvas->Draw3DEdge(inflated(R, -1), true, false);
}

void TcxStandardLookAndFeelPainter::DrawHeaderEdges(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors,
                                                    TcxBorders) {
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
  if (AState == cxbsPressed)
    ACanvas->Draw3DEdge(R, true, false);
  else
    ACanvas->Draw3DEdge(R, false, true);
  TRect r = inflated(R, -1);
  fill(ACanvas, r, clBtnFace);
  DrawDropDownArrow(ACanvas, r, AActive ? static_cast<TColor>(0xFF0000) : clBtnText);
}

void TcxStandardLookAndFeelPainter::DrawPlusSign(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  TRect r = R;
  --r.right;
  --r.bottom;
  if (AState == cxbsPressed) r = offsetBy(r, 1, 1);
  TcxCustomLookAndFeelPainter::DrawPlusSign(ACanvas, r, AState);
}

void TcxStandardLookAndFeelPainter::DrawTabFrame(TcxCanvas* ACanvas, const TRect& R, TcxTabSide ASide,
                                                 TcxBorders ABorders, bool AVertical) {
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
  radioImagesClearer = new RadioImagesClearer();
  radioImagesNotifier = new TcxSystemPaletteChangedNotifier(true);
  radioImagesNotifier->SetOnSystemPaletteChanged(TNotifyEvent(radioImagesClearer, &RadioImagesClearer::Changed));
}

void Finalize() {
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
