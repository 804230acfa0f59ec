#include "cx/editors/cxCheckBox.h"

#include <algorithm>

#include "cx/editors/cxEditUtils.h"
#include "cx/foundation/cxEditConsts.h"
#include "cx/foundation/cxVariants.h"
#include "platform/gui/GuiPublish.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/SysUtils.h"

namespace {

constexpr int themeCheckBoxPart = 3;  // BP_CHECKBOX

bool isThemedCheck(TcxCustomCheckBoxViewInfo* AViewInfo) {
  return AViewInfo->NativeStyle && !AViewInfo->IsCustomGlyph && dxGetThemeHandle(totButton) != nullptr;
}

Integer rectWidth(const TRect& R) { return R.right - R.left; }
Integer rectHeight(const TRect& R) { return R.bottom - R.top; }

}  // namespace

// ---------------------------------------------------------------------------------------
// TcxCheckEditPropertiesValues.

RTL_IMPLEMENT_CLASS(TcxCheckEditPropertiesValues)

void TcxCheckEditPropertiesValues::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxCheckEditPropertiesValues*>(Source)) FCaption = source->FCaption;
  TcxCustomEditPropertiesValues::Assign(Source);
}

void TcxCheckEditPropertiesValues::RestoreDefaults() {
  TcxCustomEditPropertiesValues::RestoreDefaults();
  FCaption = false;
}

// ---------------------------------------------------------------------------------------
// TcxCustomCheckBoxProperties.

RTL_IMPLEMENT_CLASS(TcxCustomCheckBoxProperties)

RTL_BEGIN_CLASS(TcxCheckBoxProperties)
  using T = TcxCheckBoxProperties;
  PUBLISH(Alignment).Stored(&T::IsAlignmentStored);
  PUBLISH(AllowGrayed).Default(false);
  PUBLISH(DisplayChecked).Stored(&T::IsDisplayCheckedStored);
  PUBLISH(DisplayGrayed).Stored(&T::IsDisplayGrayedStored);
  PUBLISH(DisplayUnchecked).Stored(&T::IsDisplayUncheckedStored);
  PUBLISH(FullFocusRect).Default(false);
  PUBLISH(Glyph).Stored(&T::IsGlyphStored);
  PUBLISH(GlyphCount).Default(6);
  PUBLISH(ImmediatePost).Default(false);
  PUBLISH(MultiLine).Default(false);
  PUBLISH(NullStyle).Default(nssGrayedChecked);
  b.Property("ReadOnly", &T::GetReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  PUBLISH(ValueChecked).Stored(&T::IsValueCheckedStored);
  PUBLISH(ValueGrayed).Stored(&T::IsValueGrayedStored);
  PUBLISH(ValueUnchecked).Stored(&T::IsValueUncheckedStored);
  PUBLISH(OnChange);
  PUBLISH(OnEditValueChanged);
RTL_END_CLASS

TcxCustomCheckBoxProperties::TcxCustomCheckBoxProperties(TPersistent* AOwner)
    : TcxCustomEditProperties(AOwner),
      FDisplayChecked(cxGetResourceString(&scxEditTrueCaption)),
      FDisplayUnchecked(cxGetResourceString(&scxEditFalseCaption)),
      FDisplayGrayed(cxGetResourceString(&scxEditTrueCaptionBlank)),
      FValueChecked(true),
      FValueGrayed(Null()),
      FValueUnchecked(false) {}

TcxCustomCheckBoxProperties::~TcxCustomCheckBoxProperties() { FreeAndNil(FGlyph); }

TClass TcxCustomCheckBoxProperties::GetEditClass() { return TcxCheckBox::StaticClass(); }
TClass TcxCustomCheckBoxProperties::GetStyleClass() { return TcxCheckBoxStyle::StaticClass(); }
TClass TcxCustomCheckBoxProperties::GetViewInfoClass() { return TcxCustomCheckBoxViewInfo::StaticClass(); }
TClass TcxCustomCheckBoxProperties::GetViewDataClass() { return TcxCustomCheckBoxViewData::StaticClass(); }

void TcxCustomCheckBoxProperties::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxCustomCheckBoxProperties*>(Source);
  if (!source) {
    TcxCustomEditProperties::Assign(Source);
    return;
  }
  struct UpdateScope {
    TcxCustomEditProperties* P;
    explicit UpdateScope(TcxCustomEditProperties* AP) : P(AP) { P->BeginUpdate(); }
    ~UpdateScope() { P->EndUpdate(); }
  } update(this);
  TcxCustomEditProperties::Assign(Source);
  SetAllowGrayed(source->AllowGrayed());
  if (source->IsCaptionAssigned())
    SetCaption(source->Caption());
  else
    SetUnassignedCaption(source->Caption());
  SetFullFocusRect(source->FullFocusRect());
  SetGlyph(source->HasGlyph() ? source->FGlyph : nullptr);
  SetGlyphCount(source->GlyphCount());
  SetMultiLine(source->MultiLine());
  SetNullStyle(source->NullStyle());
  // Through the setters, which refuse a value equal to one of the current three: the
  // source's values are taken in an order that cannot collide with themselves.
  FValueChecked = source->FValueChecked;
  FValueGrayed = source->FValueGrayed;
  FValueUnchecked = source->FValueUnchecked;
  FDisplayChecked = source->FDisplayChecked;
  FDisplayUnchecked = source->FDisplayUnchecked;
  FDisplayGrayed = source->FDisplayGrayed;
  Changed();
}

TcxCheckBoxState TcxCustomCheckBoxProperties::StateOf(const Variant& AEditValue) {
  if (cxVariantsEqual(AEditValue, FValueChecked)) return cbsChecked;
  if (cxVariantsEqual(AEditValue, FValueUnchecked)) return cbsUnchecked;
  return cbsGrayed;
}

void TcxCustomCheckBoxProperties::ConvertEditToDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                                                            bool AFocused) {
  ADisplayValue = Variant(static_cast<Integer>(StateOf(AEditValue)));
}

void TcxCustomCheckBoxProperties::GetDisplayText(const Variant& AEditValue, std::string& AText) {
  switch (StateOf(AEditValue)) {
    case cbsUnchecked: AText = FDisplayUnchecked; break;
    case cbsChecked: AText = FDisplayChecked; break;
    default: AText = FDisplayGrayed; break;
  }
}

bool TcxCustomCheckBoxProperties::IsEditValueValid(Variant& AEditValue) {
  return cxVarEqualSameType(AEditValue, FValueChecked) || cxVarEqualSameType(AEditValue, FValueUnchecked) ||
         cxVarEqualSameType(AEditValue, FValueGrayed);
}

void TcxCustomCheckBoxProperties::RestoreDefaults() {
  FCaption.clear();
  TcxCustomEditProperties::RestoreDefaults();
}

TBitmap* TcxCustomCheckBoxProperties::GetGlyph() {
  if (!FGlyph) {
    FGlyph = new TBitmap();
    FGlyph->SetOnChange(TNotifyEvent(this, &TcxCustomCheckBoxProperties::glyphChanged));
  }
  return FGlyph;
}

void TcxCustomCheckBoxProperties::SetGlyph(TBitmap* Value) {
  if (!Value) {
    if (!FGlyph) return;
    FreeAndNil(FGlyph);
    Changed();
    return;
  }
  GetGlyph()->Assign(Value);
}

void TcxCustomCheckBoxProperties::SetGlyphCount(Integer Value) {
  if (Value == FGlyphCount) return;
  FGlyphCount = Value;
  if (FGlyph) Changed();
}

void TcxCustomCheckBoxProperties::SetAllowGrayed(bool Value) {
  if (Value == FAllowGrayed) return;
  FAllowGrayed = Value;
  Changed();
}

bool TcxCustomCheckBoxProperties::IsCaptionAssigned() const {
  auto* values = dynamic_cast<TcxCheckEditPropertiesValues*>(AssignedValues());
  return values && values->Caption();
}

void TcxCustomCheckBoxProperties::SetCaption(const std::string& Value) {
  if (auto* values = dynamic_cast<TcxCheckEditPropertiesValues*>(AssignedValues())) values->SetCaption(true);
  if (Value == FCaption) return;
  FCaption = Value;
  Changed();
}

void TcxCustomCheckBoxProperties::SetUnassignedCaption(const std::string& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  Changed();
}

void TcxCustomCheckBoxProperties::DefineProperties(TFiler* Filer) {
  TcxCustomEditProperties::DefineProperties(Filer);
  Filer->DefineProperty(
      "Caption", [this](TReader* Reader) { SetCaption(Reader->ReadString()); },
      [this](TWriter* Writer) { Writer->WriteString(FCaption); }, IsCaptionAssigned());
}

void TcxCustomCheckBoxProperties::SetDisplayChecked(const std::string& Value) {
  if (Value == FDisplayChecked) return;
  FDisplayChecked = Value;
  Changed();
}

void TcxCustomCheckBoxProperties::SetDisplayUnchecked(const std::string& Value) {
  if (Value == FDisplayUnchecked) return;
  FDisplayUnchecked = Value;
  Changed();
}

void TcxCustomCheckBoxProperties::SetDisplayGrayed(const std::string& Value) {
  if (Value == FDisplayGrayed) return;
  FDisplayGrayed = Value;
  Changed();
}

void TcxCustomCheckBoxProperties::SetFullFocusRect(bool Value) {
  if (Value == FFullFocusRect) return;
  FFullFocusRect = Value;
  Changed();
}

void TcxCustomCheckBoxProperties::SetMultiLine(bool Value) {
  if (Value == FMultiLine) return;
  FMultiLine = Value;
  Changed();
}

void TcxCustomCheckBoxProperties::SetNullStyle(TcxCheckBoxNullValueShowingStyle Value) {
  if (Value == FNullStyle) return;
  FNullStyle = Value;
  Changed();
}

bool TcxCustomCheckBoxProperties::isNewValue(const Variant& Value) const {
  return !cxVarEqualSameType(Value, FValueChecked) && !cxVarEqualSameType(Value, FValueUnchecked) &&
         !cxVarEqualSameType(Value, FValueGrayed);
}

void TcxCustomCheckBoxProperties::SetValueChecked(const Variant& Value) {
  // The three states must stay distinct; a value that would merge two is ignored.
  if (Value.IsNull() || !isNewValue(Value)) return;
  FValueChecked = Value;
  Changed();
}

void TcxCustomCheckBoxProperties::SetValueUnchecked(const Variant& Value) {
  if (Value.IsNull() || !isNewValue(Value)) return;
  FValueUnchecked = Value;
  Changed();
}

void TcxCustomCheckBoxProperties::SetValueGrayed(const Variant& Value) {
  if (!isNewValue(Value)) return;
  FValueGrayed = Value;
  Changed();
}

TAlignment TcxCustomCheckBoxProperties::Alignment() { return GetAlignment()->Horz(); }

void TcxCustomCheckBoxProperties::SetAlignment(TAlignment Value) { GetAlignment()->SetHorz(Value); }

bool TcxCustomCheckBoxProperties::IsDisplayCheckedStored() const {
  return FDisplayChecked != cxGetResourceString(&scxEditTrueCaption);
}

bool TcxCustomCheckBoxProperties::IsDisplayUncheckedStored() const {
  return FDisplayUnchecked != cxGetResourceString(&scxEditFalseCaption);
}

bool TcxCustomCheckBoxProperties::IsDisplayGrayedStored() const {
  return FDisplayGrayed != cxGetResourceString(&scxEditTrueCaptionBlank);
}

bool TcxCustomCheckBoxProperties::IsValueCheckedStored() const {
  return !(VarType(FValueChecked) == varBoolean && static_cast<bool>(FValueChecked));
}

bool TcxCustomCheckBoxProperties::IsValueUncheckedStored() const {
  return !(VarType(FValueUnchecked) == varBoolean && !static_cast<bool>(FValueUnchecked));
}

// ---------------------------------------------------------------------------------------
// TcxCheckBoxStyle.

RTL_IMPLEMENT_CLASS(TcxCheckBoxStyle)

void TcxCheckBoxStyle::RestoreDefaults() {
  TcxEditStyle::RestoreDefaults();
  TcxCustomEdit* edit = GetOwnerEdit();
  if (!edit) return;
  TColor controllerColor;
  TcxStyleController* controller = ActiveStyleController();
  bool controllerAssignsColor = controller && controller->Style() && controller->Style()->FindAssignedColor(controllerColor);
  if (!controllerAssignsColor) edit->SetParentColor(true);
}

// ---------------------------------------------------------------------------------------
// View info.

RTL_IMPLEMENT_CLASS(TcxCustomCheckBoxViewInfo)

void TcxCustomCheckBoxViewInfo::Paint(TcxCanvas* ACanvas) { cxDrawCheckBox(ACanvas, this); }

void TcxCustomCheckBoxViewInfo::AssignFrom(TcxContainerViewInfo* Source) {
  if (auto* source = dynamic_cast<TcxCustomCheckBoxViewInfo*>(Source)) {
    CheckState = source->CheckState;
    CheckBoxState = source->CheckBoxState;
    NativeCheckState = source->NativeCheckState;
    CheckBoxRect = source->CheckBoxRect;
    FocusRect = source->FocusRect;
  }
  TcxCustomTextEditViewInfo::AssignFrom(Source);
}

void TcxCustomCheckBoxViewInfo::MoveBy(Integer DX, Integer DY) {
  TcxCustomTextEditViewInfo::MoveBy(DX, DY);
  OffsetRect(&CheckBoxRect, DX, DY);
  OffsetRect(&FocusRect, DX, DY);
}

bool TcxCustomCheckBoxViewInfo::Repaint(TWinControl* AControl, TcxContainerViewInfo* AOld,
                                        const TRect& AExcludedRect) {
  bool changed = TcxCustomTextEditViewInfo::Repaint(AControl, AOld, AExcludedRect);
  auto* old = dynamic_cast<TcxCustomCheckBoxViewInfo*>(AOld);
  if (old && (old->CheckBoxState != CheckBoxState || old->NativeCheckState != NativeCheckState)) {
    TRect r = CheckBoxRect;
    OffsetRect(&r, Origin.x, Origin.y);
    if (AControl && AControl->HandleAllocated()) InvalidateRect(AControl->WindowHandle(), &r, TRUE);
    changed = true;
  }
  return changed;
}

// ---------------------------------------------------------------------------------------
// TcxCustomCheckBoxViewData.

RTL_IMPLEMENT_CLASS(TcxCustomCheckBoxViewData)

TcxContainerBorderStyle TcxCustomCheckBoxViewData::GetContainerBorderStyle(Integer AHotState) { return cbsNone; }

TcxContainerBorderStyle cxGetCheckBorderStyle(Integer AHotState, TcxEditBorderStyle AEditBorderStyle) {
  if (AHotState != cxHotStateActive) return static_cast<TcxContainerBorderStyle>(static_cast<int>(AEditBorderStyle));
  switch (AEditBorderStyle) {
    case ebsNone: return cbsFlat;
    case ebsSingle:
    case ebsThick: return cbsThick;
    case ebsFlat:
    case ebs3D: return cbs3D;
    default: return cbsUltraFlat;
  }
}

TSize cxGetCheckBoxGlyphSize(TcxCustomCheckBoxViewInfo* AViewInfo) {
  if (AViewInfo->IsCustomGlyph)
    return TSize{AViewInfo->Glyph->Width() / AViewInfo->GlyphCount, AViewInfo->Glyph->Height()};
  if (isThemedCheck(AViewInfo)) {
    SIZE size{};
    if (SUCCEEDED(dxGetThemePartSize(dxGetThemeHandle(totButton), nullptr, themeCheckBoxPart, 1, nullptr, TS_TRUE,
                                     &size)) &&
        size.cx > 0)
      return TSize{size.cx, size.cy};
  }
  return cxGetSystemCheckBoxCellSize();
}

Integer cxGetNativeCheckState(TcxCheckBoxState AState, Integer ACheckButtonState,
                              TcxCheckBoxNullValueShowingStyle ANullStyle) {
  Integer column = ACheckButtonState + 1;  // normal 1, hot 2, pressed 3, disabled 4
  switch (AState) {
    case cbsUnchecked: return column;
    case cbsChecked: return 4 + column;
    default:
      switch (ANullStyle) {
        case nssUnchecked: return column;
        case nssInactive: return 4;
        default: return 8 + column;
      }
  }
}

Integer TcxCustomCheckBoxViewData::GetDrawTextFlags() {
  Integer flags = HorzAlignment == taCenter ? cxAlignHCenter : cxAlignLeft;
  flags |= cxSingleLine | cxShowPrefix;
  if (checkProperties()->MultiLine()) flags = (flags & ~cxSingleLine) | cxWordBreak | cxDontClip;
  if (IsInplace() || !checkProperties()->MultiLine())
    flags |= cxAlignVCenter;
  else
    flags |= cxAlignTop;
  return flags;
}

namespace {

// The glyph, caption and focus places inside the content rectangle.
void layoutCheckBox(TcxCustomCheckBoxViewData* AViewData, TcxCustomCheckBoxViewInfo* AViewInfo,
                    const TSize& AGlyphSize) {
  bool inplace = AViewData->IsInplace();
  TRect caption = AViewInfo->ContentRect;
  if (!inplace) {
    caption = cxDeflateRectByMargins(caption, TRect{2, 2, 2, 2});
  } else if (AViewInfo->Alignment == taLeftJustify) {
    caption.right -= 2;
  } else if (AViewInfo->Alignment == taRightJustify) {
    caption.left += 2;
  }
  TRect check = AViewInfo->ContentRect;
  if (!inplace && !isThemedCheck(AViewInfo)) check = cxDeflateRectByMargins(check, TRect{2, 2, 2, 2});

  TRect glyph{0, 0, AGlyphSize.cx, AGlyphSize.cy};
  Integer top = rectHeight(check) >= AGlyphSize.cy ? check.top + (rectHeight(check) - AGlyphSize.cy) / 2 : check.top;
  Integer gap = inplace ? 2 : 3;
  if (AViewInfo->Alignment == taCenter) {
    OffsetRect(&glyph, check.left + (rectWidth(check) - AGlyphSize.cx) / 2, top);
  } else if (AViewInfo->Alignment == taRightJustify) {
    OffsetRect(&glyph, check.right - AGlyphSize.cx, top);
    caption.right = glyph.left - gap;
  } else {
    OffsetRect(&glyph, check.left, top);
    caption.left = glyph.right + 3;
  }
  AViewInfo->CheckBoxRect = glyph;
  if (AGlyphSize.cx > rectWidth(check) || AViewInfo->Alignment == taCenter) AViewInfo->Text.clear();
  if (!AViewInfo->Enabled) {
    caption.right += 1;
    caption.bottom += 1;
  }
  AViewInfo->TextRect = caption;
}

// Native check state, background, focus rectangle.
void calculateCheckBoxViewInfo(TcxCustomCheckBoxViewData* AViewData, TcxCustomCheckBoxViewInfo* AViewInfo,
                               TcxCanvas* ACanvas) {
  AViewInfo->NativeCheckState =
      isThemedCheck(AViewInfo)
          ? cxGetNativeCheckState(AViewInfo->CheckState, AViewInfo->CheckBoxState, AViewInfo->NullStyle)
          : 0;
  AViewInfo->FocusRect = TRect{0, 0, 0, 0};
  if (!AViewInfo->Focused || AViewInfo->Text.empty() || AViewInfo->Alignment == taCenter) return;
  TRect r = AViewInfo->TextRect;
  if (!AViewInfo->FullFocusRect && ACanvas) {
    if (AViewInfo->Font) ACanvas->SetFont(AViewInfo->Font);
    RECT measured = r;
    std::string text = AViewInfo->Text;
    UINT flags = cxTextFlagsToDrawTextFlags(AViewInfo->DrawTextFlags) | DT_CALCRECT;
    DrawTextA(ACanvas->Handle(), text.c_str(), static_cast<int>(text.size()), &measured, flags);
    Integer h = measured.bottom - measured.top;
    Integer w = std::min<Integer>(measured.right - measured.left, rectWidth(r));
    Integer topOffset = (AViewInfo->DrawTextFlags & cxAlignVCenter) ? (rectHeight(r) - h) / 2 : 0;
    r = TRect{r.left, r.top + topOffset, r.left + w, r.top + topOffset + h};
  }
  InflateRect(&r, 1, 1);
  TRect limit = AViewInfo->TextRect;
  InflateRect(&limit, 1, 1);
  IntersectRect(&r, &r, &limit);
  IntersectRect(&r, &r, &AViewInfo->ClientRect);
  AViewInfo->FocusRect = r;
}

}  // namespace

void TcxCustomCheckBoxViewData::Calculate(TcxCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                          TcxMouseButton AButton, TShiftState AShift,
                                          TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  auto* vi = static_cast<TcxCustomCheckBoxViewInfo*>(AViewInfo);
  TcxCustomCheckBoxProperties* properties = checkProperties();
  Integer previousButtonState = vi->CheckBoxState;
  vi->Alignment = (IsInplace() && !properties->ShowCaptionInPlace()) ? taCenter : HorzAlignment;
  TcxCustomEditViewData::Calculate(ACanvas, ABounds, P, AButton, AShift, AViewInfo, AIsMouseEvent);

  // The caption.
  vi->DrawTextFlags = GetDrawTextFlags();
  if (auto* box = dynamic_cast<TcxCustomCheckBox*>(Edit))
    box->GetCaption(true, vi->Text);
  else
    vi->Text = properties->Caption();

  // The check button: disabled, pressed by Space, or by the mouse inside the client area.
  Integer buttonState = cxCheckButtonNormal;
  if (!Enabled) {
    buttonState = cxCheckButtonDisabled;
  } else if (auto* box = dynamic_cast<TcxCustomCheckBox*>(Edit); box && box->IsSpacePressed()) {
    buttonState = cxCheckButtonPressed;
  } else if (!IsDesigning && PtInRect(&vi->ClientRect, P)) {
    const TShiftState leftOnly{ssLeft};
    if (AShift.Empty())
      buttonState = cxCheckButtonHot;
    else if (AShift == leftOnly && (AButton == cxmbLeft || previousButtonState == cxCheckButtonPressed))
      buttonState = cxCheckButtonPressed;
  }
  vi->CheckBoxState = buttonState;
  static const Integer hotStates[] = {cxHotStateIdle, cxHotStateIdle, cxHotStateActive, cxHotStateIdle};
  Integer checkHotState = vi->HotState == cxHotStateNone ? cxHotStateNone : hotStates[buttonState];
  vi->CheckBorderStyle = cxGetCheckBorderStyle(checkHotState, EditBorderStyle);

  // The glyph.
  vi->Glyph = properties->HasGlyph() ? properties->Glyph() : nullptr;
  vi->GlyphCount = properties->GlyphCount();
  vi->FullFocusRect = properties->FullFocusRect();
  vi->NullStyle = properties->NullStyle();
  vi->IsCustomGlyph = vi->GlyphCount > 0 && vi->Glyph && !vi->Glyph->Empty();
  vi->HasParentBackground = !IsInplace() && Edit && Edit->ParentBackground();
  layoutCheckBox(this, vi, cxGetCheckBoxGlyphSize(vi));

  if (GetStyle()->GetBorderStyle() == ebsSingle && !GetStyle()->IsValueAssigned(csvBorderColor))
    vi->BorderColor = clBtnShadow;
  if (Edit) vi->CheckState = static_cast<TcxCustomCheckBox*>(Edit)->GetState();
  calculateCheckBoxViewInfo(this, vi, ACanvas);
  if (IsInplace() && vi->CheckBorderStyle == cbsSingle)
    vi->BorderColor = (buttonState == cxCheckButtonHot || (IsDesigning && buttonState != cxCheckButtonDisabled))
                          ? clHighlight
                          : clBtnShadow;
}

void TcxCustomCheckBoxViewData::PrepareDrawValue(TcxCanvas* ACanvas, const Variant& AEditValue,
                                                 TcxCustomEditViewInfo* AViewInfo) {
  auto* vi = static_cast<TcxCustomCheckBoxViewInfo*>(AViewInfo);
  vi->CheckState = checkProperties()->StateOf(AEditValue);
  calculateCheckBoxViewInfo(this, vi, ACanvas);
}

void TcxCustomCheckBoxViewData::InternalGetFixedPartSize(TcxCanvas* ACanvas,
                                                         const TcxEditSizeProperties& AEditSizeProperties,
                                                         TSize& AMinContentSize, TSize& AFixedSize,
                                                         TcxCustomEditViewInfo* AViewInfo) {
  TcxCustomEditViewData::InternalGetFixedPartSize(ACanvas, AEditSizeProperties, AMinContentSize, AFixedSize,
                                                  AViewInfo);
  auto* vi = static_cast<TcxCustomCheckBoxViewInfo*>(AViewInfo);
  TSize check = cxGetCheckBoxGlyphSize(vi);
  if (!IsInplace() && !isThemedCheck(vi)) {
    check.cx += 4;
    check.cy += 4;
  }
  std::string caption;
  if (vi->Alignment == taCenter || IsInplace()) {
    caption = "Gg";
  } else if (auto* box = dynamic_cast<TcxCustomCheckBox*>(Edit)) {
    box->GetCaption(true, caption);
    caption = cxRemoveAccelChars(caption);
  } else {
    caption = cxRemoveAccelChars(checkProperties()->Caption());
  }
  TSize text{0, 0};
  if (ACanvas) {
    TcxEditSizeProperties unlimited;
    unlimited.Width = -1;
    cxCalculateEditTextSize(ACanvas, this, caption, text, false, unlimited, GetDrawTextFlags());
  }
  AFixedSize.cx += check.cx + 3 + text.cx;
  AFixedSize.cy += std::max(check.cy, text.cy);
}

// ---------------------------------------------------------------------------------------
// Drawing.

void cxDrawCheckGlyph(TcxCanvas* ACanvas, TcxCustomCheckBoxViewInfo* AViewInfo) {
  const TRect& r = AViewInfo->CheckBoxRect;
  if (IsRectEmpty(&r)) return;
  HDC dc = ACanvas->Handle();
  bool disabled = AViewInfo->CheckBoxState == cxCheckButtonDisabled;
  bool pressed = AViewInfo->CheckBoxState == cxCheckButtonPressed;
  bool hot = AViewInfo->CheckBoxState == cxCheckButtonHot;

  if (AViewInfo->IsCustomGlyph) {
    Integer index = static_cast<Integer>(AViewInfo->CheckState) + (pressed ? 3 : 0);
    if (index >= AViewInfo->GlyphCount) index %= 3;
    Integer cellWidth = AViewInfo->Glyph->Width() / AViewInfo->GlyphCount;
    TBitmap cell;
    cell.SetWidth(cellWidth);
    cell.SetHeight(AViewInfo->Glyph->Height());
    TRect source{index * cellWidth, 0, (index + 1) * cellWidth, AViewInfo->Glyph->Height()};
    TRect dest{0, 0, cellWidth, AViewInfo->Glyph->Height()};
    cell.Canvas()->CopyRect(dest, AViewInfo->Glyph->Canvas(), source);
    cell.SetTransparent(true);
    ACanvas->DrawGlyph(r.left, r.top, &cell, !disabled);
    return;
  }
  if (isThemedCheck(AViewInfo)) {
    dxDrawThemeBackground(dxGetThemeHandle(totButton), dc, themeCheckBoxPart, AViewInfo->NativeCheckState, &r, nullptr);
    return;
  }

  bool grayed = AViewInfo->CheckState == cbsGrayed;
  bool showChecked = AViewInfo->CheckState == cbsChecked || (grayed && AViewInfo->NullStyle == nssGrayedChecked);
  switch (AViewInfo->CheckBorderStyle) {
    case cbsSingle:
    case cbsThick:
    case cbsUltraFlat: {
      // A frame of our own and the mark through the check-mark mask.
      TColor frame = AViewInfo->BorderColor;
      Integer width = AViewInfo->CheckBorderStyle == cbsThick ? 2 : 1;
      if (AViewInfo->CheckBorderStyle == cbsUltraFlat) {
        frame = (hot || pressed || (AViewInfo->ContainerState & csFocused)) ? clHighlight : clBtnShadow;
        width = 1;
      }
      ACanvas->DrawFrame(r, frame, cxBordersAll, width);
      TRect inner = cxDeflateRectByMargins(r, TRect{width, width, width, width});
      TColor fill = clWindow;
      if (pressed) fill = clBtnFace;
      if (disabled || (grayed && AViewInfo->NullStyle == nssInactive)) fill = clBtnFace;
      ACanvas->SetBrushColor(fill);
      ACanvas->Canvas()->FillRect(inner);
      if (showChecked && cxGetCheckMarkMask()) {
        TColor markColor = (disabled || grayed) ? clBtnShadow : clBtnText;
        TSize cell = cxGetSystemCheckBoxCellSize();
        // The mask is white outside the mark: AND it onto a brush-coloured copy.
        HDC maskDC = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(maskDC, cxGetCheckMarkMask());
        Integer x = r.left + (rectWidth(r) - cell.cx) / 2;
        Integer y = r.top + (rectHeight(r) - cell.cy) / 2;
        HBRUSH brush = CreateSolidBrush(ColorToRGB(markColor));
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        // Where the mask is black paint the brush, elsewhere keep the destination.
        BitBlt(dc, x, y, cell.cx, cell.cy, maskDC, 0, 0, 0x00B8074A /* PSDPxax */);
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
        SelectObject(maskDC, old);
        DeleteDC(maskDC);
      }
      break;
    }
    default: {
      UINT state = DFCS_BUTTONCHECK;
      if (showChecked) state |= DFCS_CHECKED;
      if (grayed && AViewInfo->NullStyle == nssGrayedChecked) state |= DFCS_BUTTON3STATE;
      if (disabled || (grayed && AViewInfo->NullStyle == nssInactive)) state |= DFCS_INACTIVE;
      if (pressed) state |= DFCS_PUSHED;
      if (AViewInfo->CheckBorderStyle != cbs3D) state |= DFCS_FLAT;
      RECT box = r;
      DrawFrameControl(dc, &box, DFC_BUTTON, state);
      break;
    }
  }
}

void cxDrawCheckBoxCaption(TcxCanvas* ACanvas, TcxCustomCheckBoxViewInfo* AViewInfo) {
  if (!AViewInfo->Text.empty()) {
    if (AViewInfo->Font) ACanvas->SetFont(AViewInfo->Font);
    ACanvas->Font()->SetColor(AViewInfo->TextColor);
    ACanvas->Brush()->SetStyle(bsClear);
    ACanvas->DrawFormattedText(AViewInfo->Text, AViewInfo->TextRect, AViewInfo->DrawTextFlags, AViewInfo->Enabled);
    ACanvas->Brush()->SetStyle(bsSolid);
  }
  if (!IsRectEmpty(&AViewInfo->FocusRect)) {
    ACanvas->Font()->SetColor(clBtnText);
    ACanvas->SetBrushColor(AViewInfo->BackgroundColor);
    ACanvas->DrawFocusFrame(AViewInfo->FocusRect);
  }
}

void cxDrawCheckBox(TcxCanvas* ACanvas, TcxCustomCheckBoxViewInfo* AViewInfo) {
  if (!AViewInfo->NativeStyle) {
    cxDrawEditBackgroundAndBorder(ACanvas, AViewInfo, true);
  } else if (AViewInfo->HasParentBackground && AViewInfo->WindowHandle) {
    dxDrawThemeParentBackground(AViewInfo->WindowHandle, ACanvas->Handle(), &AViewInfo->Bounds);
  } else {
    ACanvas->SetBrushColor(AViewInfo->BackgroundColor);
    ACanvas->Canvas()->FillRect(AViewInfo->Bounds);
  }
  cxDrawCheckGlyph(ACanvas, AViewInfo);
  cxDrawCheckBoxCaption(ACanvas, AViewInfo);
}

// ---------------------------------------------------------------------------------------
// TcxCheckBoxActionLink.

RTL_IMPLEMENT_CLASS(TcxCheckBoxActionLink)

bool TcxCheckBoxActionLink::IsCaptionLinked() {
  auto* box = dynamic_cast<TcxCustomCheckBox*>(client_);
  return TWinControlActionLink::IsCaptionLinked() && box && !box->Properties()->IsCaptionAssigned();
}

bool TcxCheckBoxActionLink::IsCheckedLinked() {
  auto* box = dynamic_cast<TcxCustomCheckBox*>(client_);
  TCustomAction* action = CustomAction();
  return TWinControlActionLink::IsCheckedLinked() && box && action && box->GetState() != cbsGrayed &&
         box->Checked() == action->Checked();
}

void TcxCheckBoxActionLink::SetChecked(bool Value) {
  if (!IsCheckedLinked()) return;
  auto* box = static_cast<TcxCustomCheckBox*>(client_);
  struct Locks {
    TcxCustomCheckBox* Box;
    explicit Locks(TcxCustomCheckBox* ABox) : Box(ABox) { Box->LockChangeEvents(true); Box->LockClick(true); }
    ~Locks() { Box->LockClick(false); Box->LockChangeEvents(false, false); }
  } locks(box);
  box->SetChecked(Value);
}

// ---------------------------------------------------------------------------------------
// TcxCustomCheckBox.

RTL_BEGIN_CLASS(TcxCustomCheckBox)
  b.Message(CM_DIALOGCHAR, &TcxCustomCheckBox::CMDialogChar);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxCheckBox)
  using T = TcxCheckBox;
  PUBLISH(Action);
  publishPlacement(b);
  PUBLISH(AutoSize).Default(true);
  PUBLISH(Checked).Stored(false);
  PUBLISH(Constraints);
  publishDragProperties(b);
  PUBLISH(Enabled).Default(true).Stored(&T::IsEnabledStored);
  PUBLISH(ParentColor).Default(true);
  publishParentFlags(b);
  PUBLISH(PopupMenu);
  b.Property("Properties", &T::Properties, &T::SetProperties);
  PUBLISH(RepositoryItem);
  PUBLISH(ShowHint).Stored(&T::IsShowHintStored);
  b.Property("State", &T::GetState, &T::SetState).Stored(&T::IsStateStored);
  PUBLISH(Style);
  PUBLISH(TabOrder).Default(-1);
  PUBLISH(TabStop).Default(true);
  PUBLISH(Visible).Default(true).Stored(&T::IsVisibleStored);
  PUBLISH(OnClick);
  PUBLISH(OnContextPopup);
  publishDragEvents(b);
  PUBLISH(OnEditing);
  publishFocusEvents(b);
  PUBLISH(OnFocusChanged);
  publishKeyEvents(b);
  publishMouseEvents(b);
RTL_END_CLASS

TcxCustomCheckBox::TcxCustomCheckBox(TComponent* AOwner) : TcxCustomEdit(AOwner) {
  controlStyle_.Exclude(csDoubleClicks);
  SetParentColor(!IsInplace());
  SetWidth(121);
}

void TcxCustomCheckBox::AfterConstruction() {
  TcxCustomEdit::AfterConstruction();
  FEditValue = GetActiveCheckProperties()->ValueUnchecked();
  UpdateCaption();
}

TcxContainerStyleValues TcxCustomCheckBox::GetUnusedStyleValues() {
  return TcxContainerStyleValues{csvEdges, svButtonStyle, svButtonTransparency, svPopupBorderStyle};
}

void TcxCustomCheckBox::GetCaption(bool AUseAction, std::string& ACaption) {
  TcxCustomCheckBoxProperties* properties = GetActiveCheckProperties();
  if (properties->IsCaptionAssigned()) {
    ACaption = properties->Caption();
    return;
  }
  if (AUseAction) {
    if (auto* action = dynamic_cast<TCustomAction*>(Action())) {
      ACaption = action->Caption();
      return;
    }
  }
  ACaption = Name();
}

void TcxCustomCheckBox::UpdateCaption() {
  if (FUpdatingCaption || IsDestroying() || !OwnProperties()) return;
  struct Guard {
    bool& Flag;
    explicit Guard(bool& AFlag) : Flag(AFlag) { Flag = true; }
    ~Guard() { Flag = false; }
  } guard(FUpdatingCaption);
  auto* own = static_cast<TcxCustomCheckBoxProperties*>(OwnProperties());
  std::string caption;
  GetCaption(true, caption);
  if (!RepositoryItem() && !own->IsCaptionAssigned()) {
    // A caption that follows the name is kept without its assigned flag, so it is not stored.
    own->SetChangeLocked(true);
    own->SetUnassignedCaption(caption);
    own->SetChangeLocked(false);
  }
  if (GetCheckViewInfo() && GetCheckViewInfo()->Text != caption) TcxCustomEdit::PropertiesChanged(GetActiveProperties());
  NotifyDesignerModified();
}

void TcxCustomCheckBox::Toggle() {
  TcxCheckBoxState next;
  switch (GetState()) {
    case cbsUnchecked: next = GetActiveCheckProperties()->AllowGrayed() ? cbsGrayed : cbsChecked; break;
    case cbsChecked: next = cbsUnchecked; break;
    default: next = cbsChecked; break;
  }
  {
    struct Scope {
      TcxCustomCheckBox* Box;
      bool SavedUserChange;
      explicit Scope(TcxCustomCheckBox* ABox) : Box(ABox), SavedUserChange(ABox->IsUserChange()) {
        Box->LockChangeEvents(true);
        Box->SetUserChange(true);
      }
      ~Scope() {
        Box->SetUserChange(SavedUserChange);
        Box->LockChangeEvents(false, true);
      }
    } scope(this);
    Variant value;
    ConvertDisplayToEditValue(Variant(static_cast<Integer>(next)), value, false);
    SetInternalEditValue(value);
  }
  if (GetActiveCheckProperties()->ImmediatePost() && CanPostEditValue() && ValidateInput(true)) PostEditValue(false);
}

TcxCheckBoxState TcxCustomCheckBox::GetState() {
  TcxCustomCheckBoxProperties* properties = GetActiveCheckProperties();
  if (ComponentState().Contains(csWriting) && RepositoryItem())
    properties = static_cast<TcxCustomCheckBoxProperties*>(RepositoryItem()->Properties());
  return properties->StateOf(FEditValue);
}

void TcxCustomCheckBox::SetState(TcxCheckBoxState Value) {
  if (IsLoading()) {
    FStateAssignedWhileLoading = true;
    FLoadedState = Value;
    return;
  }
  if (Value == GetState()) return;
  Variant value;
  ConvertDisplayToEditValue(Variant(static_cast<Integer>(Value)), value, false);
  SetInternalEditValue(value);
}

bool TcxCustomCheckBox::IsStateStored() {
  TBasicAction* action = Action();
  if (!action) return GetState() != cbsUnchecked;
  if (auto* customAction = dynamic_cast<TCustomAction*>(action))
    return GetState() == cbsGrayed || Checked() != customAction->Checked();
  return false;
}

void TcxCustomCheckBox::ConvertDisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AFocused) {
  TcxCustomCheckBoxProperties* properties = GetActiveCheckProperties();
  switch (static_cast<Integer>(ADisplayValue)) {
    case cbsUnchecked: AEditValue = properties->ValueUnchecked(); break;
    case cbsChecked: AEditValue = properties->ValueChecked(); break;
    default: AEditValue = properties->ValueGrayed(); break;
  }
}

void TcxCustomCheckBox::InternalSetEditValue(const Variant& Value) {
  TcxCheckBoxState before = GetState();
  TcxCustomEdit::InternalSetEditValue(Value);
  TcxCheckBoxState after = GetState();
  if (after != before) {
    GetCheckViewInfo()->CheckState = after;
    Click();
    DoChange();
  }
  RefreshAtCursor(false);
  if (HandleAllocated() && after != before) InvalidateRect(WindowHandle(), &GetCheckViewInfo()->CheckBoxRect, TRUE);
}

void TcxCustomCheckBox::PropertiesChanged(TObject* Sender) {
  TcxCustomEdit::PropertiesChanged(Sender);
  UpdateCaption();
  if (HandleAllocated()) Invalidate();
}

void TcxCustomCheckBox::ProcessViewInfoChanges(TcxCustomEditViewInfo* AOld) {
  TcxCustomEdit::ProcessViewInfoChanges(AOld);
  auto* old = static_cast<TcxCustomCheckBoxViewInfo*>(AOld);
  // Released inside the box after pressing it there.
  if (old->CheckBoxState == cxCheckButtonPressed && GetCheckViewInfo()->CheckBoxState == cxCheckButtonHot) Toggle();
}

void TcxCustomCheckBox::DoEditKeyDown(Word& Key, TShiftState Shift) {
  TcxCustomEdit::DoEditKeyDown(Key, Shift);
  if (Key != VK_SPACE) return;
  Integer state = GetCheckViewInfo()->CheckBoxState;
  if (state != cxCheckButtonNormal && state != cxCheckButtonHot) return;
  FSpacePressed = true;
  GetCheckViewInfo()->CheckBoxState = cxCheckButtonPressed;
  RefreshAtCursor(false);
  if (HandleAllocated()) InvalidateRect(WindowHandle(), &GetCheckViewInfo()->CheckBoxRect, TRUE);
  Key = 0;
}

void TcxCustomCheckBox::DoEditKeyUp(Word& Key, TShiftState Shift) {
  TcxCustomEdit::DoEditKeyUp(Key, Shift);
  if (Key != VK_SPACE || !FSpacePressed) return;
  FSpacePressed = false;
  RefreshAtCursor(false);
  if (HandleAllocated()) InvalidateRect(WindowHandle(), &GetCheckViewInfo()->CheckBoxRect, TRUE);
  Toggle();
}

void TcxCustomCheckBox::DoEditKeyPress(char& Key) {
  if (Key == ' ' && IsInplace() && GetCheckViewInfo()->CheckBoxState == cxCheckButtonNormal && !FSpacePressed) {
    Toggle();
    Key = 0;
    return;
  }
  TcxCustomEdit::DoEditKeyPress(Key);
}

void TcxCustomCheckBox::DoExit() {
  FSpacePressed = false;
  TcxCustomEdit::DoExit();
}

bool TcxCustomCheckBox::CanClickWhileLoading() {
  IcxEditDefaultValuesProvider* provider = DataBinding()->GetDefaultValuesProvider();
  return provider && provider->IsDataSetProvider();
}

std::string TcxCustomCheckBox::GetDisplayText() {
  std::string text;
  GetActiveCheckProperties()->GetDisplayText(FEditValue, text);
  return text;
}

void TcxCustomCheckBox::SetName(const std::string& NewName) {
  TcxCustomEdit::SetName(NewName);
  UpdateCaption();
}

void TcxCustomCheckBox::CMDialogChar(TMessage& Message) {
  std::string caption;
  GetCaption(true, caption);
  if (!IsAccel(static_cast<Word>(Message.WParam), caption) || !CanFocus()) {
    INHERITED_MESSAGE(Message);
    return;
  }
  SetFocus();
  if (Focused()) Toggle();
  Message.Result = 1;
}

void TcxCustomCheckBox::Loaded() {
  {
    FIsLoadingState = true;
    struct Scope {
      TcxCustomCheckBox* Box;
      explicit Scope(TcxCustomCheckBox* ABox) : Box(ABox) {
        Box->LockChangeEvents(true);
        Box->LockEditValueChanging(true);
      }
      ~Scope() {
        Box->LockEditValueChanging(false);
        Box->FIsLoadingState = false;
      }
    } scope(this);
    TcxCustomEdit::Loaded();
  }
  struct Unlock {
    TcxCustomCheckBox* Box;
    ~Unlock() { Box->LockChangeEvents(false, false); }
  } unlock{this};
  if (FStateAssignedWhileLoading) {
    FStateAssignedWhileLoading = false;
    SetState(FLoadedState);
  } else {
    IcxEditDefaultValuesProvider* provider = DataBinding()->GetDefaultValuesProvider();
    if (!provider || !provider->IsDataSetProvider()) SetState(cbsUnchecked);
  }
  UpdateCaption();
}

void TcxCustomCheckBox::ActionChange(TObject* Sender, bool CheckDefaults) {
  TcxCustomEdit::ActionChange(Sender, CheckDefaults);
  if (FIsLoadingState) return;
  if (auto* action = dynamic_cast<TCustomAction*>(Sender))
    if (!CheckDefaults || GetState() == cbsUnchecked) SetChecked(action->Checked());
  UpdateCaption();
}

namespace cxCheckBoxUnit {

void Initialize() { cxGetEditorRegistry()->Register(TcxCheckBoxProperties::StaticClass(), cxGetResourceString(&scxEditRegCheckBox)); }

void Finalize() {
  if (cxEditPropertiesList) cxGetEditorRegistry()->Unregister(TcxCheckBoxProperties::StaticClass());
}

}  // namespace cxCheckBoxUnit
