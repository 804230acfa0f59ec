#include "cx/editors/cxEditUtils.h"

#include <algorithm>

#include "cx/editors/cxTextEdit.h"
#include "cx/foundation/cxDrawTextUtils.h"
#include "cx/foundation/cxLookAndFeelPainters.h"
#include "cx/foundation/cxLookAndFeels.h"
#include "platform/gui/Graphics.h"

namespace {

TSize checkBoxCellSize{13, 13};
bool hotLightColorAvailable = false;
HBITMAP checkMarkMask = nullptr;

// Themed part and property numbers used here.
constexpr int themePushButton = 1;  // BP_PUSHBUTTON
constexpr int themeEditText = 1;    // EP_EDITTEXT
constexpr int themeFillColor = 3802;  // TMT_FILLCOLOR

Integer contentMarginsOf(TdxThemeClassIndex AClass, int APart, bool AVertical) {
  TdxTheme theme = dxGetThemeHandle(AClass);
  if (!theme) return 0;
  RECT outer{0, 0, 100, 100};
  RECT content = outer;
  if (FAILED(dxGetThemeBackgroundContentRect(theme, nullptr, APart, 1, &outer, &content))) return 0;
  return AVertical ? (content.top + 100 - content.bottom) : (content.left + 100 - content.right);
}

// The rectangle grown by AWidth on the sides in ASides.
TRect widenBy(TRect R, TcxBorders ASides, Integer AWidth) {
  if (ASides.Contains(bLeft)) R.left -= AWidth;
  if (ASides.Contains(bTop)) R.top -= AWidth;
  if (ASides.Contains(bRight)) R.right += AWidth;
  if (ASides.Contains(bBottom)) R.bottom += AWidth;
  return R;
}

TColor themeFill(TdxThemeClassIndex AClass, int APart, int AState, TColor ADefault) {
  TdxTheme theme = dxGetThemeHandle(AClass);
  COLORREF color;
  if (theme && SUCCEEDED(dxGetThemeColor(theme, APart, AState, themeFillColor, &color)))
    return static_cast<TColor>(color);
  return ADefault;
}

// Saves the DC state for a scope (clipping changes are undone on every exit).
class SavedDC {
public:
  explicit SavedDC(HDC ADC) : dc_(ADC), saved_(SaveDC(ADC)) {}
  ~SavedDC() { RestoreDC(dc_, saved_); }
  SavedDC(const SavedDC&) = delete;
  SavedDC& operator=(const SavedDC&) = delete;

private:
  HDC dc_;
  int saved_;
};

}  // namespace

Integer cxGetBorderWidth(TcxContainerBorderStyle AStyle) {
  static const Integer widths[] = {0, 1, 2, 2, 2, 1};
  return widths[static_cast<int>(AStyle)];
}

Integer cxGetEditButtonFrameWidth(TcxEditButtonStyle AStyle, bool ANativeStyle) {
  if (ANativeStyle && dxGetThemeHandle(totButton)) return contentMarginsOf(totButton, themePushButton, false);
  static const Integer widths[] = {2, 4, 3, 3, 2, 2};
  return widths[static_cast<int>(AStyle)];
}

Integer cxGetGlyphButtonHeightExtra(TcxEditButtonStyle AStyle, bool ANativeStyle) {
  if (ANativeStyle && dxGetThemeHandle(totButton)) return contentMarginsOf(totButton, themePushButton, true);
  static const Integer extras[] = {0, 4, 2, 2, 2, 2};
  return extras[static_cast<int>(AStyle)];
}

bool cxIsNativeThemeUsable(bool ANativeStyle, TdxThemeClassIndex AThemeClass) {
  return ANativeStyle && dxGetThemeHandle(AThemeClass) != nullptr;
}

TSize cxCalculateArrowSize(const TRect& R, Integer ADirection) {
  Integer s = std::min<Integer>(R.right - R.left, R.bottom - R.top);
  Integer width = (s - 1) / 2;
  if (width % 2 == 0) ++width;
  Integer height = width / 2 + 1;
  if (ADirection == 2 || ADirection == 3) return TSize{height, width};
  return TSize{width, height};
}

Integer cxGetEditButtonWidth(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButtonViewInfo) {
  // A native button whose theme cannot be opened is drawn (and measured) classic.
  if (AButtonViewInfo->NativeStyle && !dxGetThemeHandle(totButton)) AButtonViewInfo->NativeStyle = false;
  Integer frame = cxGetEditButtonFrameWidth(AButtonViewInfo->Style, AButtonViewInfo->NativeStyle);
  if (AButtonViewInfo->Width > 0) return std::max(AButtonViewInfo->Width, frame);
  if (AButtonViewInfo->Kind == bkGlyph && AButtonViewInfo->Glyph && !AButtonViewInfo->Glyph->Empty())
    return AButtonViewInfo->Glyph->Width() + frame;
  return GetSystemMetrics(SM_CYHSCROLL);
}

TRect cxGetEditHotTrackArea(TcxCustomEditViewInfo* AViewInfo, const TRect& ABounds) {
  TRect area = ABounds;
  if (AViewInfo->NativeStyle) return area;
  // The client extent of the last calculation.
  area = TRect{ABounds.left + (AViewInfo->ClientRect.left - AViewInfo->Bounds.left),
               ABounds.top + (AViewInfo->ClientRect.top - AViewInfo->Bounds.top),
               ABounds.right - (AViewInfo->Bounds.right - AViewInfo->ClientRect.right),
               ABounds.bottom - (AViewInfo->Bounds.bottom - AViewInfo->ClientRect.bottom)};
  return widenBy(area, AViewInfo->Edges, cxGetBorderWidth(AViewInfo->BorderStyle));
}

Integer cxGetEditNativeBorderState(TcxCustomEditViewData* AViewData, TcxCustomEditViewInfo* AViewInfo) {
  if (!AViewData->Enabled) return 4;
  if (AViewData->GetProperties() && AViewData->GetProperties()->GetReadOnly()) return 6;
  if (AViewData->ContainerState & csFocused) return 5;
  if (AViewData->ContainerState & csHotTrack) return 2;
  return 1;
}

void cxCalculateEditViewInfo(TcxCustomEditViewData* AViewData, TcxCustomEditViewInfo* AViewInfo) {
  TcxCustomEditStyle* style = AViewData->GetStyle();
  AViewInfo->NativeStyle = AViewData->NativeStyle;
  AViewInfo->NativeBorderState = AViewData->NativeStyle ? cxGetEditNativeBorderState(AViewData, AViewInfo) : 0;
  if (AViewData->NativeStyle) {
    AViewInfo->ThemeClass = totEdit;
    AViewInfo->ThemePart = themeEditText;
    AViewInfo->ThemeState = AViewInfo->NativeBorderState;
  }
  AViewInfo->ClientRect = cxDeflateRectByMargins(AViewInfo->Bounds, AViewData->GetClientExtent(nullptr));
  AViewInfo->BorderRect = cxDeflateRectByMargins(AViewInfo->Bounds, AViewData->GetBorderExtent());
  AViewInfo->BorderWidth = cxGetBorderWidth(AViewInfo->BorderStyle);

  if (!AViewData->IsInplace()) {
    if (AViewData->EditBorderStyle == ebsUltraFlat) {
      bool highlighted = (AViewData->ContainerState & csFocused) ||
                         ((AViewData->ContainerState & csHotTrack) && style->HotTrack()) ||
                         (AViewData->IsDesigning && AViewData->Enabled);
      AViewInfo->BorderColor = highlighted ? clHighlight : clBtnShadow;
    } else {
      AViewInfo->BorderColor = style->BorderColor();
    }
  }

  if (!AViewData->Enabled) {
    AViewInfo->TextColor = clBtnShadow;
    AViewInfo->SetBackgroundColor(AViewData->NativeStyle ? themeFill(totEdit, themeEditText, 4, clBtnFace)
                                                         : clBtnFace);
  } else {
    TColor text = clDefault;
    if (style->IsInplace()) text = style->TextColor();
    if (text == clDefault) text = style->Font() ? style->Font()->Color() : clWindowText;
    AViewInfo->TextColor = text;
    AViewInfo->SetBackgroundColor(style->GetVisibleColor());
  }
}

std::string cxRemoveAccelChars(const std::string& AText) {
  std::string result;
  for (size_t i = 0; i < AText.size(); ++i) {
    if (AText[i] != '&') {
      result += AText[i];
    } else if (i + 1 == AText.size()) {
      result += '_';
    } else if (AText[i + 1] == '&') {
      result += '&';
      ++i;
    }
  }
  return result;
}

TSize cxGetEditTextPadding(TcxCustomEditViewData* AViewData) {
  Integer vertical = 4;
  if (AViewData->IsInplace()) vertical = cxIsNativeThemeUsable(AViewData->NativeStyle, totEdit) ? 3 : 2;
  return TSize{3, vertical};
}

void cxCalculateEditTextSize(TcxCanvas* ACanvas, TcxCustomEditViewData* AViewData, const std::string& AText,
                             TSize& ASize, bool AAddPadding, const TcxEditSizeProperties& AEditSizeProperties,
                             Integer ATextFlags) {
  if (AViewData->GetStyle()->Font()) ACanvas->SetFont(AViewData->GetStyle()->Font());
  TSize padding = cxGetEditTextPadding(AViewData);
  Integer rowHeight = ACanvas->TextHeight("Zg");
  if (AEditSizeProperties.Width < 0) {
    ASize.cx = AText.empty() ? 0 : ACanvas->TextWidth(AText);
    ASize.cy = rowHeight;
    if (AViewData->HorzAlignment != taLeftJustify) ASize.cx += 1;
    if (AAddPadding) ASize.cx += padding.cx;
  } else {
    Integer width = AEditSizeProperties.Width - (AViewData->IsInplace() ? 2 : 0);
    if (AViewData->HorzAlignment != taLeftJustify) --width;
    ASize.cx = AEditSizeProperties.Width;
    if (AText.empty()) {
      ASize.cy = (AViewData->PaintOptions & epoAllowZeroHeight) ? 0 : rowHeight;
    } else if (width > 0) {
      RECT r{0, 0, width, 0};
      DrawTextA(ACanvas->Handle(), AText.c_str(), static_cast<int>(AText.size()), &r,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
      Integer rows = std::max<Integer>(1, (r.bottom - r.top + rowHeight - 1) / std::max<Integer>(1, rowHeight));
      if (AEditSizeProperties.MaxLineCount > 0) rows = std::min(rows, AEditSizeProperties.MaxLineCount);
      ASize.cy = rows * rowHeight;
    } else {
      ASize.cy = rowHeight;
    }
  }
  if (ASize.cy > 0) ASize.cy += padding.cy;
}

TcxCustomLookAndFeelPainterClass cxSelectPainterClass(TcxLookAndFeel* ALookAndFeel) {
  return ALookAndFeel->GetPainterClass();
}

TColor cxGetLinkColor() {
  return hotLightColorAvailable ? static_cast<TColor>(GetSysColor(COLOR_HOTLIGHT)) : clBlue;
}

Integer cxGetEditPopupWindowBorderWidth(TcxEditPopupBorderStyle AStyle, bool ANativeStyle) {
  if (ANativeStyle) return 1;
  static const Integer widths[] = {0, 1, 4, 2};
  return widths[static_cast<int>(AStyle)];
}

Integer cxGetPopupClientEdgeWidth(TcxEditPopupBorderStyle AStyle, bool ANativeStyle, bool AClientEdge) {
  if (!AClientEdge) return 0;
  if (ANativeStyle) return 2;
  static const Integer widths[] = {0, 2, 2, 1};
  return widths[static_cast<int>(AStyle)];
}

namespace {

TRect marginsByAlignment(TAlignment AAlignment, const TRect& ALeft, const TRect& ARight, const TRect& ACentre) {
  switch (AAlignment) {
    case taRightJustify: return ARight;
    case taCenter: return ACentre;
    default: return ALeft;
  }
}

}  // namespace

TRect cxGetMemoTextMargins(TAlignment AAlignment) {
  return marginsByAlignment(AAlignment, TRect{1, 1, 1, 1}, TRect{0, 1, 2, 1}, TRect{1, 1, 1, 1});
}

TRect cxLookupTextMargins(TAlignment AAlignment, bool AIsInplace) {
  if (AIsInplace) return marginsByAlignment(AAlignment, TRect{1, 1, 1, 1}, TRect{1, 1, 2, 1}, TRect{1, 1, 1, 1});
  return marginsByAlignment(AAlignment, TRect{1, 1, 1, 3}, TRect{1, 1, 2, 3}, TRect{1, 1, 1, 3});
}

TRect cxGetTextEditTextMargins(TcxCustomTextEditViewData* AViewData, TcxCustomEditViewInfo* AViewInfo) {
  TRect margins = cxLookupTextMargins(AViewData->HorzAlignment, AViewData->IsInplace());
  auto* properties = dynamic_cast<TcxCustomTextEditProperties*>(AViewData->GetProperties());
  if (!AViewData->IsInplace() && properties) {
    const TcxTextInputStyle style = properties->GetInputStyle();
    if (style == tisFixedList || style == tisNoEdit) {
      margins.left += 1;
      if (AViewData->VertAlignment == taTopJustify) {
        margins.top += 1;
        margins.bottom += 1;
      }
    }
  }
  return margins;
}

void cxCalculateTextRect(TcxCustomTextEditViewData* AViewData, TcxCustomTextEditViewInfo* AViewInfo) {
  const TRect margins = AViewData->GetTextMargins(AViewInfo);
  TRect& r = AViewInfo->TextRect;
  r = AViewInfo->ContentRect;
  r.left += margins.left;
  r.top += margins.top;
  r.right -= margins.right;
  r.bottom -= margins.bottom;
}

void cxAdjustTextEditDrawFlags(TcxCanvas* ACanvas, TcxCustomTextEditViewData* AViewData,
                               TcxCustomTextEditViewInfo* AViewInfo) {
  if (!(AViewData->PaintOptions & epoAutoHeight)) return;
  const TRect& r = AViewInfo->TextRect;
  if (r.right <= r.left) return;
  TCanvas* canvas = ACanvas->Canvas();
  canvas->Font()->Assign(AViewInfo->Font);
  TcxTextLayoutFlags flags = (AViewInfo->DrawTextFlags & ~tlfSingleLine) | tlfWordBreak;
  TcxTextParams params;
  cxInitTextLayout(canvas, flags, params);
  Integer rowCount = 0;
  TcxTextRows rows;
  const TRect unlimited{r.left, r.top, r.right, r.top + 0x3FFFFFFF};
  cxSplitTextIntoRows(canvas, AViewInfo->Text, unlimited, AViewInfo->MaxLineCount, rowCount, rows, params);
  if (rowCount > 1) AViewInfo->DrawTextFlags = flags;
  if (rowCount * params.RowHeight > r.bottom - r.top) AViewInfo->DrawTextFlags &= ~(tlfAlignVCenter | tlfAlignBottom);
}

void cxDrawTextEditText(TcxCanvas* ACanvas, TcxCustomTextEditViewInfo* AViewInfo) {
  TCanvas* canvas = ACanvas->Canvas();
  if (AViewInfo->Font) canvas->Font()->Assign(AViewInfo->Font);
  canvas->Font()->SetColor(AViewInfo->IsSelected ? clHighlightText : AViewInfo->TextColor);
  canvas->Brush()->SetStyle(bsClear);
  TRect r = AViewInfo->TextRect;
  Integer selStart = AViewInfo->SelStart, selLength = AViewInfo->SelLength;
  if (AViewInfo->SelectionInverted) {
    // The typed prefix is highlighted instead of the completed tail.
    selLength = selStart;
    selStart = 0;
  }
  cxDrawTextOnCanvas(canvas, AViewInfo->Text, r, AViewInfo->DrawTextFlags, selStart, selLength,
                     AViewInfo->SelBackgroundColor, AViewInfo->SelTextColor, AViewInfo->MaxLineCount);
  canvas->Brush()->SetStyle(bsSolid);
}

void cxDrawMemoText(TcxCanvas* ACanvas, TcxCustomTextEditViewInfo* AViewInfo) {
  TCanvas* canvas = ACanvas->Canvas();
  if (AViewInfo->Font) canvas->Font()->Assign(AViewInfo->Font);
  canvas->Font()->SetColor(AViewInfo->IsSelected ? clHighlightText : AViewInfo->TextColor);
  canvas->Brush()->SetStyle(bsClear);
  TRect r = AViewInfo->TextRect;
  cxDrawTextOnCanvas(canvas, AViewInfo->Text, r, AViewInfo->DrawTextFlags, 0, 0, AViewInfo->SelBackgroundColor,
                     AViewInfo->SelTextColor, AViewInfo->MaxLineCount);
  canvas->Brush()->SetStyle(bsSolid);
}

void cxDrawTextEdit(TcxCanvas* ACanvas, TcxCustomTextEditViewInfo* AViewInfo) {
  cxDrawEdit(ACanvas, AViewInfo, true);
  TCanvas* canvas = ACanvas->Canvas();
  if (!AViewInfo->IsInplace) {
    canvas->Brush()->SetColor(AViewInfo->BackgroundColor);
    canvas->FrameRect(AViewInfo->ContentRect);
  }
  if (AViewInfo->IsSelected) {
    TRect fill = AViewInfo->ContentRect;
    if (!AViewInfo->IsInplace) InflateRect(&fill, -1, -1);
    canvas->Brush()->SetColor(clHighlight);
    canvas->FillRect(fill);
  }
  if (!AViewInfo->InnerEditVisible) AViewInfo->DrawText(ACanvas);
  if (AViewInfo->Focused && !AViewInfo->InnerEditVisible) {
    canvas->Brush()->SetColor(AViewInfo->BackgroundColor);
    canvas->Font()->SetColor(clWindowText);
    TRect focus = AViewInfo->ContentRect;
    canvas->DrawFocusRect(focus);
  }
}

Integer cxTextFlagsToCanvasFlags(Integer ATextLayoutFlags) {
  Integer flags = 0;
  if ((ATextLayoutFlags & 0x0F) == tlfAlignCenter) flags |= cxAlignHCenter;
  else if ((ATextLayoutFlags & 0x0F) == tlfAlignRight) flags |= cxAlignRight;
  else flags |= cxAlignLeft;
  if ((ATextLayoutFlags & 0x30) == tlfAlignVCenter) flags |= cxAlignVCenter;
  else if ((ATextLayoutFlags & 0x30) == tlfAlignBottom) flags |= cxAlignBottom;
  else flags |= cxAlignTop;
  if (ATextLayoutFlags & tlfSingleLine) flags |= cxSingleLine;
  return flags;
}

Integer cxCanvasFlagsToTextFlags(Integer ACanvasFlags) {
  Integer flags = 0;
  if (ACanvasFlags & cxAlignHCenter) flags |= tlfAlignCenter;
  else if (ACanvasFlags & cxAlignRight) flags |= tlfAlignRight;
  if (ACanvasFlags & cxAlignVCenter) flags |= tlfAlignVCenter;
  else if (ACanvasFlags & cxAlignBottom) flags |= tlfAlignBottom;
  if (ACanvasFlags & cxSingleLine) flags |= tlfSingleLine;
  return flags;
}

// ---------------------------------------------------------------------------------------
// Painting.

void cxDrawPolyLine(TcxCanvas* ACanvas, const TPoint* APoints, Integer ACount, TColor AColor) {
  ACanvas->SetBrushColor(AColor);
  for (Integer i = 0; i + 1 < ACount; ++i) {
    const TPoint& a = APoints[i];
    const TPoint& b = APoints[i + 1];
    TRect r{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1};
    ACanvas->Canvas()->FillRect(r);
  }
}

void cxDrawSpinArrow(TcxCanvas* ACanvas, Integer ASize, const TRect& R, TColor AColor, bool APressed, bool ADouble,
                     Integer ADirection) {
  if (ASize <= 0) return;
  Integer count = ADouble ? 2 : 1;
  bool vertical = ADirection == 0 || ADirection == 1;
  Integer across = 2 * ASize - 1;
  Integer along = count * ASize;
  Integer w = vertical ? across : along;
  Integer h = vertical ? along : across;
  Integer x = R.left + ((R.right - R.left) - w) / 2 + (APressed ? 1 : 0);
  Integer y = R.top + ((R.bottom - R.top) - h) / 2 + (APressed ? 1 : 0);
  ACanvas->SetBrushColor(AColor);
  for (Integer arrow = 0; arrow < count; ++arrow)
    for (Integer i = 0; i < ASize; ++i) {
      // Line i from the tip is 2i + 1 pixels long.
      TRect line;
      Integer offset = arrow * ASize;
      switch (ADirection) {
        case 0: line = TRect{x + ASize - 1 - i, y + offset + i, x + ASize + i, y + offset + i + 1}; break;
        case 1: line = TRect{x + ASize - 1 - i, y + h - 1 - offset - i, x + ASize + i, y + h - offset - i}; break;
        case 2: line = TRect{x + offset + i, y + ASize - 1 - i, x + offset + i + 1, y + ASize + i}; break;
        default: line = TRect{x + w - 1 - offset - i, y + ASize - 1 - i, x + w - offset - i, y + ASize + i}; break;
      }
      ACanvas->Canvas()->FillRect(line);
    }
}

void cxDrawEditBackgroundAndBorder(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo, bool ADrawBackground) {
  TCanvas* canvas = ACanvas->Canvas();
  if (AViewInfo->NativeStyle) {
    TdxTheme theme = dxGetThemeHandle(totEdit);
    if (theme) {
      SavedDC saved(ACanvas->Handle());
      ExcludeClipRect(ACanvas->Handle(), AViewInfo->ClientRect.left, AViewInfo->ClientRect.top,
                      AViewInfo->ClientRect.right, AViewInfo->ClientRect.bottom);
      if (dxIsThemeBackgroundPartiallyTransparent(theme, themeEditText, AViewInfo->NativeBorderState) &&
          AViewInfo->WindowHandle)
        dxDrawThemeParentBackground(AViewInfo->WindowHandle, ACanvas->Handle(), &AViewInfo->Bounds);
      dxDrawThemeBackground(theme, ACanvas->Handle(), themeEditText, AViewInfo->NativeBorderState,
                            &AViewInfo->Bounds, nullptr);
    }
    if (ADrawBackground) {
      ACanvas->SetBrushColor(AViewInfo->BackgroundColor);
      canvas->FillRect(AViewInfo->ClientRect);
    }
    return;
  }
  Integer width = cxGetBorderWidth(AViewInfo->BorderStyle);
  TRect border = widenBy(AViewInfo->BorderRect, AViewInfo->Edges, width);
  if (AViewInfo->Shadow) cxDrawContainerShadow(ACanvas, border);
  switch (AViewInfo->BorderStyle) {
    case cbsSingle:
    case cbsThick:
      ACanvas->DrawFrame(border, AViewInfo->BorderColor, AViewInfo->Edges, width);
      break;
    case cbsFlat: {
      ACanvas->FrameSides(border, clBtnShadow, clBtnHighlight, 1, AViewInfo->Edges);
      TRect inner = cxDeflateRectByMargins(border, TRect{1, 1, 1, 1});
      ACanvas->DrawFrame(inner, clBtnFace, AViewInfo->Edges, 1);
      break;
    }
    case cbs3D: {
      ACanvas->FrameSides(border, clBtnShadow, clBtnHighlight, 1, AViewInfo->Edges);
      TRect inner = cxDeflateRectByMargins(border, TRect{1, 1, 1, 1});
      ACanvas->FrameSides(inner, cl3DDkShadow, cl3DLight, 1, AViewInfo->Edges);
      break;
    }
    default:
      break;
  }
  ACanvas->SetBrushColor(AViewInfo->BackgroundColor);
  if (AViewInfo->IsInplace) {
    if (ADrawBackground)
      canvas->FillRect(AViewInfo->Bounds);
    else
      cxFillFrameArea(ACanvas, AViewInfo->Bounds, AViewInfo->ClientRect, AViewInfo->BackgroundColor);
  } else {
    // Between the frame and the client area (outside the frame the window's shape ends).
    cxFillFrameArea(ACanvas, AViewInfo->BorderRect, AViewInfo->ClientRect, AViewInfo->BackgroundColor);
    if (ADrawBackground) canvas->FillRect(AViewInfo->ClientRect);
  }
}

void cxDrawEdit(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo, bool ADrawBackground) {
  {
    SavedDC saved(ACanvas->Handle());
    if (AViewInfo->ButtonCount() > 0 && !AViewInfo->Button(0)->NativePartTransparent)
      for (Integer i = 0; i < AViewInfo->ButtonCount(); ++i) {
        const TRect& r = AViewInfo->Button(i)->VisibleBounds;
        ExcludeClipRect(ACanvas->Handle(), r.left, r.top, r.right, r.bottom);
      }
    cxDrawEditBackgroundAndBorder(ACanvas, AViewInfo, ADrawBackground);
  }
  for (Integer i = 0; i < AViewInfo->ButtonCount(); ++i) {
    TcxEditButtonViewInfo* button = AViewInfo->Button(i);
    if (IsRectEmpty(&button->VisibleBounds)) continue;
    button->BackgroundColor = AViewInfo->BackgroundColor;
    SavedDC saved(ACanvas->Handle());
    TRect inside;
    if (!IntersectRect(&inside, &button->Bounds, &AViewInfo->ClientRect) || !EqualRect(&inside, &button->Bounds))
      IntersectClipRect(ACanvas->Handle(), button->VisibleBounds.left, button->VisibleBounds.top,
                        button->VisibleBounds.right, button->VisibleBounds.bottom);
    AViewInfo->DrawButton(ACanvas, i);
  }
}

void cxDrawEditButtonFrame(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton, TRect& R, TcxEditButtonStyle AStyle,
                           TColor& AFaceColor) {
  if (AButton->NativePart != 0) {
    TdxTheme theme = dxGetThemeHandle(AButton->SingleDropDown ? totComboBox : totButton);
    if (theme) {
      if (AButton->NativePartTransparent) {
        ACanvas->SetBrushColor(AButton->BackgroundColor);
        ACanvas->Canvas()->FillRect(R);
      }
      dxDrawThemeBackground(theme, ACanvas->Handle(), AButton->NativePart, AButton->NativeState, &R, nullptr);
      RECT content = R;
      if (!AButton->SingleDropDown)
        dxGetThemeBackgroundContentRect(theme, ACanvas->Handle(), AButton->NativePart, AButton->NativeState, &R,
                                        &content);
      R = content;
      return;
    }
  }
  bool pressed = AButton->State == ebsPressed;
  bool hot = AButton->State == ebsSelected;
  AFaceColor = clBtnFace;
  switch (AStyle) {
    case bts3D:
      if (pressed) {
        ACanvas->DrawFrame(R, clBtnShadow);
        R = cxDeflateRectByMargins(R, TRect{1, 1, 1, 1});
        ACanvas->DrawFrame(R, clBtnFace);
      } else {
        ACanvas->FrameSides(R, clBtnHighlight, cl3DDkShadow);
        R = cxDeflateRectByMargins(R, TRect{1, 1, 1, 1});
        ACanvas->FrameSides(R, cl3DLight, clBtnShadow);
      }
      R = cxDeflateRectByMargins(R, TRect{1, 1, 1, 1});
      break;
    case btsFlat:
      // The line towards the content, then a raised or sunken frame.
      ACanvas->DrawFrame(R, clBtnFace, AButton->LeftAlignment ? TcxBorders{bRight} : TcxBorders{bLeft});
      if (AButton->LeftAlignment) --R.right; else ++R.left;
      ACanvas->FrameSides(R, pressed ? clBtnShadow : clBtnHighlight, pressed ? clBtnHighlight : clBtnShadow);
      R = cxDeflateRectByMargins(R, TRect{1, 1, 1, 1});
      break;
    case btsSimple:
      if (!AButton->Transparent) ACanvas->DrawFrame(R, clBtnFace);
      R = cxDeflateRectByMargins(R, TRect{1, 1, 1, 1});
      ACanvas->DrawFrame(R, clBtnShadow, AButton->LeftAlignment ? TcxBorders{bRight} : TcxBorders{bLeft});
      if (AButton->LeftAlignment) --R.right; else ++R.left;
      break;
    case btsHotFlat:
      if (pressed || hot) {
        ACanvas->DrawFrame(R, clBtnShadow);
      } else {
        // An outline open towards the content.
        ACanvas->DrawFrame(R, clBtnShadow, AButton->LeftAlignment ? TcxBorders{bLeft, bTop, bBottom}
                                                                  : TcxBorders{bTop, bRight, bBottom});
      }
      R = cxDeflateRectByMargins(R, TRect{1, 1, 1, 1});
      AFaceColor = AButton->Transparent ? AButton->BackgroundColor
                                        : (pressed ? clBtnText : hot ? clBtnShadow : clBtnFace);
      break;
    case btsUltraFlat:
    default:
      if (pressed || hot) {
        ACanvas->DrawFrame(R, clHighlight);
        AFaceColor = pressed ? TColor(0x00B59285) : TColor(0x00D2BDB6);
      } else {
        if (!AButton->Transparent) ACanvas->DrawFrame(R, AButton->BackgroundColor);
        AFaceColor = AButton->Transparent ? AButton->BackgroundColor : clBtnFace;
      }
      R = cxDeflateRectByMargins(R, TRect{1, 1, 1, 1});
      break;
  }
}

void cxDrawEllipsisDots(TcxCanvas* ACanvas, const TRect& R, bool APressed, bool ADisabled, TColor AColor) {
  Integer size = (R.right - R.left) > 11 ? 2 : 1;
  Integer total = size * 3 + 2 * 2;
  Integer spareX = (R.right - R.left) - total;
  Integer spareY = (R.bottom - R.top) - size;
  Integer x = R.left + spareX / 2;
  Integer y = R.top + spareY / 2;
  if (APressed && spareX % 2 == 0) ++x;
  if (APressed && spareY % 2 == 0) ++y;
  auto dots = [&](Integer ADX, Integer ADY, TColor AColor2) {
    ACanvas->SetBrushColor(AColor2);
    for (Integer i = 0; i < 3; ++i) {
      TRect dot{x + ADX + i * (size + 2), y + ADY, x + ADX + i * (size + 2) + size, y + ADY + size};
      ACanvas->Canvas()->FillRect(dot);
    }
  };
  if (ADisabled) {
    dots(1, 1, clBtnHighlight);
    dots(0, 0, clBtnShadow);
  } else {
    dots(0, 0, AColor);
  }
}

void cxDrawEditButtonContent(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton, const TRect& R, TColor AFaceColor,
                             TColor AGlyphColor) {
  bool glyphButton = AButton->Kind == bkGlyph && AButton->Glyph && !AButton->Glyph->Empty();
  if (AButton->NativePart == 0 && !glyphButton) {
    ACanvas->SetBrushColor(AFaceColor);
    ACanvas->Canvas()->FillRect(R);
  }
  bool disabled = AButton->State == ebsDisabled;
  bool pressed = AButton->State == ebsPressed;
  switch (AButton->Kind) {
    case bkEllipsis:
      cxDrawEllipsisDots(ACanvas, R, pressed, disabled, AGlyphColor);
      break;
    case bkDown: {
      if (AButton->SingleDropDown && AButton->NativePart != 0) break;
      TSize arrow = cxCalculateArrowSize(R, 1);
      Integer x = R.left + ((R.right - R.left) - arrow.cx) / 2;
      Integer y = R.top + ((R.bottom - R.top) - arrow.cy) / 2 + (pressed ? 1 : 0);
      auto drawArrow = [&](Integer ADX, Integer ADY, TColor AColor) {
        ACanvas->SetBrushColor(AColor);
        for (Integer row = 0; row < arrow.cy; ++row) {
          TRect line{x + ADX + row, y + ADY + row, x + ADX + arrow.cx - row, y + ADY + row + 1};
          if (line.right > line.left) ACanvas->Canvas()->FillRect(line);
        }
      };
      if (disabled) {
        drawArrow(1, 1, clBtnHighlight);
        drawArrow(0, 0, clBtnShadow);
      } else {
        drawArrow(0, 0, AGlyphColor);
      }
      break;
    }
    case bkGlyph:
      if (glyphButton) {
        SavedDC saved(ACanvas->Handle());
        IntersectClipRect(ACanvas->Handle(), R.left, R.top, R.right, R.bottom);
        Integer x = R.left + ((R.right - R.left) - AButton->Glyph->Width()) / 2;
        Integer y = R.top + ((R.bottom - R.top) - AButton->Glyph->Height()) / 2;
        ACanvas->DrawGlyph(x, y, AButton->Glyph, !disabled, AButton->NativePart != 0 ? clNone : AFaceColor);
      }
      break;
  }
}

void cxSetEditWindowRegion(TcxCustomEditViewInfo* AViewInfo, TWinControl* AWindow) {
  Integer width = cxGetBorderWidth(AViewInfo->BorderStyle);
  TRect r = widenBy(AViewInfo->BorderRect, AViewInfo->Edges, width);
  if (AViewInfo->IsInplace) r = AViewInfo->Bounds;
  cxSetControlWindowRegion(AWindow, r, AViewInfo->Shadow, AViewInfo->NativeStyle);
}

TSize cxGetSystemCheckBoxCellSize() { return checkBoxCellSize; }

HBITMAP cxGetCheckMarkMask() { return checkMarkMask; }

namespace cxEditUtilsUnit {

void Initialize() {
  // The system's hot-light colour exists on 98/ME and NT 5.x.
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (GetVersionExA(&version))
    hotLightColorAvailable = (version.dwPlatformId == 1 && version.dwMinorVersion != 0) ||
                             (version.dwPlatformId == 2 && version.dwMajorVersion == 5);
  HBITMAP boxes = LoadBitmapA(nullptr, MAKEINTRESOURCEA(32759 /* OBM_CHECKBOXES */));
  if (!boxes) return;
  BITMAP info{};
  GetObjectA(boxes, sizeof(info), &info);
  checkBoxCellSize = TSize{info.bmWidth / 4, info.bmHeight / 3};
  // The mask: black where the unchecked and the checked cell differ (the check mark).
  HDC screen = GetDC(nullptr);
  HDC source = CreateCompatibleDC(screen);
  HDC mask = CreateCompatibleDC(screen);
  HGDIOBJ oldSource = SelectObject(source, boxes);
  checkMarkMask = CreateCompatibleBitmap(screen, checkBoxCellSize.cx, checkBoxCellSize.cy);
  HGDIOBJ oldMask = SelectObject(mask, checkMarkMask);
  for (Integer y = 0; y < checkBoxCellSize.cy; ++y)
    for (Integer x = 0; x < checkBoxCellSize.cx; ++x) {
      COLORREF unchecked = GetPixel(source, x, y);
      COLORREF checked = GetPixel(source, x + checkBoxCellSize.cx, y);
      SetPixel(mask, x, y, unchecked == checked ? RGB(255, 255, 255) : RGB(0, 0, 0));
    }
  SelectObject(mask, oldMask);
  SelectObject(source, oldSource);
  DeleteDC(mask);
  DeleteDC(source);
  ReleaseDC(nullptr, screen);
  DeleteObject(boxes);
}

void Finalize() {
  if (checkMarkMask) DeleteObject(checkMarkMask);
  checkMarkMask = nullptr;
}

}  // namespace cxEditUtilsUnit
