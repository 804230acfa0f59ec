#include "cx/editors/cxSpinEdit.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

#include "cx/editors/cxEditUtils.h"
#include "cx/foundation/cxEditConsts.h"
#include "platform/gui/GuiPublish.h"
#include "platform/rtl/Scoped.h"
#include "platform/rtl/SysUtils.h"

namespace {

constexpr UINT kFirstRepeatInterval = 400;
constexpr UINT kRepeatInterval = 100;

// 2^63: the first double beyond the 64-bit integers.
constexpr double kInt64Limit = 9223372036854775808.0;

bool parseNumber(const std::string& AText, double& AValue) {
  Extended value = 0;
  if (!TryStrToFloat(Trim(AText), value)) return false;
  AValue = static_cast<double>(value);
  return std::isfinite(AValue);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TcxSpinEditButtons.

RTL_BEGIN_CLASS(TcxSpinEditButtons)
  using T = TcxSpinEditButtons;
  PUBLISH(Position).Default(sbpVert);
  PUBLISH(ShowFastButtons).Default(false);
RTL_END_CLASS

TPersistent* TcxSpinEditButtons::GetOwner() { return FOwner; }

void TcxSpinEditButtons::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxSpinEditButtons*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  FOwner->BeginUpdate();
  ScopeExit end([this] { FOwner->EndUpdate(true); });
  SetPosition(source->Position());
  SetShowFastButtons(source->ShowFastButtons());
}

void TcxSpinEditButtons::SetPosition(TcxSpinEditButtonsPosition Value) {
  if (Value == FPosition) return;
  FPosition = Value;
  FOwner->Changed();
}

void TcxSpinEditButtons::SetShowFastButtons(bool Value) {
  if (Value == FShowFastButtons) return;
  FShowFastButtons = Value;
  FOwner->Changed();
}

// ---------------------------------------------------------------------------------------
// TcxSpinEditPropertiesValues.

RTL_IMPLEMENT_CLASS(TcxSpinEditPropertiesValues)

void TcxSpinEditPropertiesValues::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxSpinEditPropertiesValues*>(Source)) FValueType = source->FValueType;
  TcxTextEditPropertiesValues::Assign(Source);
}

void TcxSpinEditPropertiesValues::RestoreDefaults() {
  TcxTextEditPropertiesValues::RestoreDefaults();
  FValueType = false;
}

// ---------------------------------------------------------------------------------------
// TcxCustomSpinEditProperties.

RTL_IMPLEMENT_CLASS(TcxCustomSpinEditProperties)

TcxCustomSpinEditProperties::TcxCustomSpinEditProperties(TPersistent* AOwner)
    : TcxCustomMaskEditProperties(AOwner), FSpinButtons(std::make_unique<TcxSpinEditButtons>(this)) {
  // Index 0 steps down, index 1 steps up.
  Buttons()->Add();
  Buttons()->Add();
}

TcxCustomSpinEditProperties::~TcxCustomSpinEditProperties() = default;

void TcxCustomSpinEditProperties::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxCustomSpinEditProperties*>(Source);
  if (!source || source == this) {
    TcxCustomMaskEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  ScopeExit end([this] { EndUpdate(true); });
  SetDefaultValuesProvider(source->DefaultValuesProvider());
  auto* values = static_cast<TcxSpinEditPropertiesValues*>(AssignedValues());
  values->SetValueType(false);
  if (source->valueTypeAssigned()) SetValueType(source->ValueType());
  TcxCustomMaskEditProperties::Assign(Source);
  SetCanEdit(source->CanEdit());
  SetIncrement(source->Increment());
  SetLargeIncrement(source->LargeIncrement());
  FSpinButtons->Assign(source->SpinButtons());
  SetUseCtrlIncrement(source->UseCtrlIncrement());
}

void TcxCustomSpinEditProperties::Changed() {
  if (FSpinButtons && !FSyncingButtons) {
    // The fast buttons come and go with ShowFastButtons (index 2 fast down, 3 fast up).
    ScopedRestore<bool> syncing(FSyncingButtons);
    FSyncingButtons = true;
    BeginUpdate();
    ScopeExit end([this] { EndUpdate(false); });
    if (FSpinButtons->ShowFastButtons() && Buttons()->Count() == 2) {
      Buttons()->Add();
      Buttons()->Add();
    } else if (!FSpinButtons->ShowFastButtons() && Buttons()->Count() == 4) {
      Buttons()->Delete(3);
      Buttons()->Delete(2);
    }
  }
  TcxCustomMaskEditProperties::Changed();
}

TClass TcxCustomSpinEditProperties::GetViewDataClass() { return TcxSpinEditViewData::StaticClass(); }
TClass TcxCustomSpinEditProperties::GetEditClass() { return TcxSpinEdit::StaticClass(); }
TClass TcxCustomSpinEditProperties::GetViewInfoClass() { return TcxSpinEditViewInfo::StaticClass(); }

bool TcxCustomSpinEditProperties::valueTypeAssigned() const {
  return static_cast<TcxSpinEditPropertiesValues*>(AssignedValues())->ValueType();
}

TcxSpinEditValueType TcxCustomSpinEditProperties::ValueType() {
  if (valueTypeAssigned()) return FValueType;
  if (IcxEditDefaultValuesProvider* provider = DefaultValuesProvider())
    return provider->DefaultIsFloatValue() ? vtFloat : vtInt;
  return vtFloat;
}

void TcxCustomSpinEditProperties::SetValueType(TcxSpinEditValueType Value) {
  if (valueTypeAssigned() && Value == FValueType) return;
  static_cast<TcxSpinEditPropertiesValues*>(AssignedValues())->SetValueType(true);
  FValueType = Value;
  Changed();
}

bool TcxCustomSpinEditProperties::IsValueTypeStored() const { return valueTypeAssigned(); }

void TcxCustomSpinEditProperties::SetCanEdit(bool Value) {
  if (Value == FCanEdit) return;
  FCanEdit = Value;
  Changed();
}

void TcxCustomSpinEditProperties::SetIncrement(double Value) {
  if (Value == FIncrement) return;
  FIncrement = Value;
  Changed();
}

void TcxCustomSpinEditProperties::SetLargeIncrement(double Value) {
  if (Value == FLargeIncrement) return;
  FLargeIncrement = Value;
  Changed();
}

void TcxCustomSpinEditProperties::SetUseCtrlIncrement(bool Value) {
  if (Value == FUseCtrlIncrement) return;
  FUseCtrlIncrement = Value;
  Changed();
}

double TcxCustomSpinEditProperties::ValueToNumber(const Variant& AValue) {
  if (AValue.IsNull() || AValue.IsEmpty()) return 0;
  if (VarIsStr(AValue)) {
    double d = 0;
    return parseNumber(VarToStr(AValue), d) ? d : 0;
  }
  return static_cast<double>(AValue);
}

Variant TcxCustomSpinEditProperties::CastValueToType(double AValue) {
  if (ValueType() == vtFloat) return Variant(AValue);
  // Halves go to the even neighbour (the default rounding mode); beyond the 64-bit range the
  // value stops at its end rather than wrapping.
  const double rounded = std::nearbyint(AValue);
  if (!(rounded < kInt64Limit)) return Variant(static_cast<long long>(INT64_MAX));
  if (rounded < -kInt64Limit) return Variant(static_cast<long long>(INT64_MIN));
  return Variant(static_cast<long long>(rounded));
}

bool TcxCustomSpinEditProperties::IsEditValueValid(Variant& AEditValue) {
  try {
    double number = 0;
    if (VarIsStr(AEditValue)) {
      if (!parseNumber(VarToStr(AEditValue), number)) return false;
    } else if (!(VarIsNumeric(AEditValue) || AEditValue.IsNull() || AEditValue.IsEmpty() ||
                 VarType(AEditValue) == varDate)) {
      return false;
    } else {
      number = ValueToNumber(AEditValue);
    }
    AEditValue = CastValueToType(number);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

void TcxCustomSpinEditProperties::GetNullDisplayValue(Variant& AValue) {
  Variant clamped;
  ClampValueToBounds(Variant(0), clamped);
  ConvertEditToDisplayValue(clamped, AValue, true);
}

bool TcxCustomSpinEditProperties::ValidateLookupText(Variant& AValue) {
  if (!TcxCustomMaskEditProperties::ValidateLookupText(AValue)) return false;
  if (!ChecksNumericText()) return true;
  const std::string text = VarToStr(AValue);
  if (text.empty()) return true;
  double number = 0;
  if (!parseNumber(text, number)) return false;
  if (GetMaxValue() == GetMinValue()) return true;
  if (number >= GetMinValue() && number <= GetMaxValue()) return true;
  // Out of bounds is taken too, as the plain number; validation reports the bounds later.
  AValue = Variant(FloatToStr(number));
  return true;
}

void TcxCustomSpinEditProperties::ValidateDisplayValue(Variant& ADisplayValue, std::string& AErrorText, bool& AError,
                                                       TcxCustomEdit* AEdit) {
  auto* edit = dynamic_cast<TcxCustomSpinEdit*>(AEdit);
  Variant value;
  if (edit && edit->TextTyped()) {
    AError = !edit->TextToValue(ADisplayValue, false, AErrorText, value);
  } else {
    value = edit ? Variant(edit->LastNumericValue()) : Variant(ValueToNumber(ADisplayValue));
  }
  if (!AError) {
    if (value.IsNull() || value.IsEmpty()) {
      Variant clamped;
      ClampValueToBounds(Variant(0), clamped);
      value = CastValueToType(ValueToNumber(clamped));
    }
    const double number = ValueToNumber(value);
    ADisplayValue = Variant(FloatToStr(number));
    if (GetMaxValue() > GetMinValue() && (number < GetMinValue() || number > GetMaxValue())) {
      AError = true;
      AErrorText = cxGetResourceString(&scxEditValueOutOfBounds);
    }
  }
  DoValidate(ADisplayValue, AErrorText, AError, AEdit);
}

RTL_BEGIN_CLASS(TcxSpinEditProperties)
  using T = TcxSpinEditProperties;
  b.Property("Alignment", &T::HorzAlignment, &T::SetHorzAlignment).Stored(&T::IsHorzAlignmentStored);
  PUBLISH(AutoSelect).Default(true);
  PUBLISH(BeepOnError).Default(false);
  PUBLISH(CanEdit).Default(true);
  PUBLISH(EchoMode).Default(eemNormal);
  PUBLISH(HideSelection).Default(true);
  PUBLISH(ImmediatePost).Default(false);
  b.Property("Increment", &T::Increment, &T::SetIncrement).Stored(&T::IsIncrementStored);
  b.Property("LargeIncrement", &T::LargeIncrement, &T::SetLargeIncrement).Stored(&T::IsLargeIncrementStored);
  b.Property("MaxValue", &T::GetMaxValue, &T::SetMaxValue).Stored(&T::IsMaxValueStored);
  b.Property("MinValue", &T::GetMinValue, &T::SetMinValue).Stored(&T::IsMinValueStored);
  b.Property("ReadOnly", &T::GetReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  b.Property("SpinButtons", &T::SpinButtons, &T::SetSpinButtons);
  PUBLISH(UseCtrlIncrement).Default(false);
  PUBLISH(UseLeftAlignmentOnEditing).Stored(&T::IsUseLeftAlignmentOnEditingStored);
  PUBLISH(ValidateOnEnter).Default(true);
  b.Property("ValueType", &T::ValueType, &T::SetValueType).Stored(&T::IsValueTypeStored);
  PUBLISH(OnChange);
  PUBLISH(OnEditValueChanged);
  PUBLISH(OnValidate);
RTL_END_CLASS

namespace cxSpinEditUnit {

void Initialize() {
  cxGetEditorRegistry()->Register(TcxSpinEditProperties::StaticClass(), cxGetResourceString(&scxEditRegSpinEdit));
}

void Finalize() {
  if (cxEditPropertiesList) cxGetEditorRegistry()->Unregister(TcxSpinEditProperties::StaticClass());
}

}  // namespace cxSpinEditUnit

// ---------------------------------------------------------------------------------------
// View info and view data.

RTL_IMPLEMENT_CLASS(TcxSpinEditViewInfo)

void TcxSpinEditViewInfo::AssignFrom(TcxContainerViewInfo* Source) {
  TcxCustomTextEditViewInfo::AssignFrom(Source);
  if (auto* source = dynamic_cast<TcxSpinEditViewInfo*>(Source)) {
    ArrowSize = source->ArrowSize;
    ButtonsPosition = source->ButtonsPosition;
  }
}

void TcxSpinEditViewInfo::DrawButtonContent(TcxCanvas* ACanvas, Integer AButtonVisibleIndex,
                                            const TRect& AContentRect, TColor APenColor, TColor ABrushColor) {
  TcxEditButtonViewInfo* button = Button(AButtonVisibleIndex);
  const Integer kind = button->ButtonIndex;
  const bool up = kind == skUp || kind == skFastUp;
  const bool vertical = ButtonsPosition == sbpVert && (kind == skUp || kind == skDown);
  const Integer direction = vertical ? (up ? 0 : 1) : (up ? 3 : 2);
  Integer size = ArrowSize;
  if (size <= 0) {
    const TSize arrow = cxCalculateArrowSize(AContentRect, direction);
    size = vertical ? arrow.cy : arrow.cx;
  }
  // The frame leaves the face to the content: APenColor is the face colour here.
  if (!button->Transparent) {
    ACanvas->SetBrushColor(APenColor);
    ACanvas->Canvas()->FillRect(AContentRect);
  }
  const TColor color = button->State == ebsDisabled ? clBtnShadow : ABrushColor;
  cxDrawSpinArrow(ACanvas, size, AContentRect, color, button->State == ebsPressed,
                  kind == skFastDown || kind == skFastUp, direction);
}

RTL_IMPLEMENT_CLASS(TcxSpinEditViewData)

bool TcxSpinEditViewData::CanPressButton(TcxCustomEditViewInfo* AViewInfo, Integer AButtonVisibleIndex) {
  return PressedSpinButton == 0;
}

bool TcxSpinEditViewData::IsButtonForcedPressed(TcxCustomEditViewInfo* AViewInfo, Integer AButtonVisibleIndex) {
  return PressedSpinButton != 0 && AViewInfo->Button(AButtonVisibleIndex)->ButtonIndex + 1 == PressedSpinButton;
}

void TcxSpinEditViewData::CalculateButtonBounds(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo,
                                                Integer AButtonVisibleIndex, TRect& ButtonsRect) {
  // The buttons are walked from the last: all are placed together on the first one's turn.
  if (AButtonVisibleIndex != 0) return;
  auto* viewInfo = static_cast<TcxSpinEditViewInfo*>(AViewInfo);
  auto* properties = static_cast<TcxCustomSpinEditProperties*>(GetProperties());
  const TcxSpinEditButtonsPosition position = properties->SpinButtons()->Position();
  viewInfo->ButtonsPosition = position;
  const Integer count = AViewInfo->ButtonCount();
  TcxEditButtonViewInfo* byKind[4] = {nullptr, nullptr, nullptr, nullptr};
  for (Integer i = 0; i < count; ++i) {
    TcxEditButtonViewInfo* button = AViewInfo->Button(i);
    if (button->ButtonIndex >= 0 && button->ButtonIndex < 4) byKind[button->ButtonIndex] = button;
  }
  TcxEditButtonViewInfo* down = byKind[skDown];
  TcxEditButtonViewInfo* up = byKind[skUp];
  if (!down || !up) return;
  TcxEditButtonViewInfo* fastDown = byKind[skFastDown];
  TcxEditButtonViewInfo* fastUp = byKind[skFastUp];
  const bool fast = fastDown && fastUp;

  Integer L = ButtonsRect.left, T = ButtonsRect.top, R = ButtonsRect.right, B = ButtonsRect.bottom;
  TcxEditButtonViewInfo* last = AViewInfo->Button(count - 1);
  const Integer bw = cxGetEditButtonWidth(ACanvas, last);
  const bool themed = down->NativeStyle && down->NativePart != 0;
  const bool hotFlat = !themed && down->Style == btsHotFlat;

  const TSize arrow = cxCalculateArrowSize(TRect{0, 0, bw + 2, (B - T) / 2 + 2}, 0);
  viewInfo->ArrowSize = arrow.cy;
  const Integer w = std::max<Integer>(4 * arrow.cy - 3, 1);
  const Integer fw = (3 * w + 1) / 2;

  if (fast) {
    fastUp->Bounds = TRect{R - fw, T, R, B};
    R -= fw;
  }
  if (position == sbpVert) {
    const Integer n = themed ? 1 : 0;
    up->Bounds = TRect{R - bw, T, R, T + (B - T - n) / 2};
    down->Bounds = TRect{R - bw, up->Bounds.bottom + n, R, B};
    R -= bw;
    if (hotFlat && up->Bounds.bottom - up->Bounds.top < down->Bounds.bottom - down->Bounds.top) {
      ++up->Bounds.bottom;
      ++down->Bounds.top;
    }
  } else {
    up->Bounds = TRect{R - w, T, R, B};
    R -= w;
    if (themed) --R;
    if (hotFlat && position == sbpHorzLeftRight) {
      --up->Bounds.left;
      --R;
    }
  }
  if (position == sbpHorzLeftRight) {
    if (fast) {
      fastDown->Bounds = TRect{L, T, L + fw, B};
      L += fw;
    }
    down->Bounds = TRect{L, T, L + w, B};
    if (hotFlat) ++down->Bounds.right;
  } else {
    if (position == sbpHorzRight) {
      down->Bounds = TRect{R - w, T, R, B};
      R -= w;
      if (hotFlat && !fast) --down->Bounds.left;
    }
    if (fast) {
      fastDown->Bounds = TRect{R - fw, T, R, B};
      if (hotFlat) --fastDown->Bounds.left;
    }
  }
  down->LeftAlignment = position == sbpHorzLeftRight;
  if (fast) fastDown->LeftAlignment = position == sbpHorzLeftRight;
  for (Integer i = 0; i < count; ++i) AViewInfo->Button(i)->VisibleBounds = AViewInfo->Button(i)->Bounds;
}

// ---------------------------------------------------------------------------------------
// TcxCustomSpinEdit.

RTL_IMPLEMENT_CLASS(TcxCustomSpinEdit)

TcxCustomSpinEdit::TcxCustomSpinEdit(TComponent* AOwner) : TcxCustomMaskEdit(AOwner) {}

void TcxCustomSpinEdit::AfterConstruction() {
  TcxCustomMaskEdit::AfterConstruction();
  SetInternalEditValue(Variant(0));
  FPressedSpinButton = 0;
}

void TcxCustomSpinEdit::BeforeDestruction() {
  // No step may run while the editor is being taken apart.
  FRepeatTimer.reset();
  TcxCustomMaskEdit::BeforeDestruction();
}

TcxCustomSpinEdit::~TcxCustomSpinEdit() = default;

TClass TcxCustomSpinEdit::GetPropertiesClass() { return TcxSpinEditProperties::StaticClass(); }

TcxCustomEditViewData* TcxCustomSpinEdit::CreateViewData() {
  TcxCustomEditViewData* viewData = TcxCustomMaskEdit::CreateViewData();
  if (auto* spinData = dynamic_cast<TcxSpinEditViewData*>(viewData)) spinData->PressedSpinButton = FPressedSpinButton;
  return viewData;
}

bool TcxCustomSpinEdit::RefreshContainer(const TPoint& P, TcxMouseButton AButton, TShiftState AShift,
                                         bool AIsMouseEvent) {
  const bool result = TcxCustomMaskEdit::RefreshContainer(P, AButton, AShift, AIsMouseEvent);
  TcxCustomEditViewInfo* vi = GetViewInfo();
  if (vi && vi->ButtonCount() > 0 && vi->PressedButton == -1 && CapturedButtonIndex() == -1 && FRepeatTimer)
    StopSpin();
  return result;
}

void TcxCustomSpinEdit::InnerEditChanged(TObject* Sender) {
  FTextTyped = FKeyTyped;
  TcxCustomMaskEdit::InnerEditChanged(Sender);
  FKeyTyped = false;
}

void TcxCustomSpinEdit::DoButtonDown(Integer AButtonVisibleIndex) {
  TcxCustomMaskEdit::DoButtonDown(AButtonVisibleIndex);
  TcxCustomEditViewInfo* vi = GetViewInfo();
  if (FPressedSpinButton != 0 || vi->PressedButton == -1) return;
  Spin(vi->Button(vi->PressedButton)->ButtonIndex);
  StartSpinRepeat();
}

bool TcxCustomSpinEdit::isSpinKey(Word Key, TShiftState Shift) {
  if (Key != VK_UP && Key != VK_DOWN && Key != VK_PRIOR && Key != VK_NEXT) return false;
  return !GetActiveSpinProperties()->UseCtrlIncrement() || Shift.Contains(ssCtrl);
}

void TcxCustomSpinEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  FKeyTyped = false;
  if (!isSpinKey(Key, Shift)) {
    StopSpin();
    FKeyTyped = Key != VK_ESCAPE;
    if (!GetActiveSpinProperties()->CanEdit() && IsModifyingKey(Key, Shift)) {
      DoAfterKeyDown(Key, Shift);
      Key = 0;
    }
  } else {
    if (!ModifiedAfterEnter() && !RequestEditing()) {
      Key = 0;
      return;
    }
    Integer kind = skDown;
    switch (Key) {
      case VK_PRIOR: kind = skFastUp; break;
      case VK_UP: kind = skUp; break;
      case VK_NEXT: kind = skFastDown; break;
      default: kind = skDown; break;
    }
    SetPressedSpinButton(static_cast<Byte>(kind + 1));
    if (HandleAllocated() && GetCapture() == WindowHandle()) ReleaseCapture();
    Spin(kind);
    Key = 0;
  }
  if (Key != 0) TcxCustomMaskEdit::DoEditKeyDown(Key, Shift);
}

void TcxCustomSpinEdit::DoEditKeyPress(char& Key) {
  if (Key == ',' || Key == '.') Key = FormatSettings.DecimalSeparator;
  if (Key == '\b' || static_cast<unsigned char>(Key) >= 32) {
    if (!IsValidChar(Key)) {
      Key = 0;
      if (GetActiveProperties()->BeepOnError()) ::Beep();
      return;
    }
  }
  TcxCustomMaskEdit::DoEditKeyPress(Key);
}

void TcxCustomSpinEdit::DoEditKeyUp(Word& Key, TShiftState Shift) {
  FKeyTyped = false;
  TcxCustomMaskEdit::DoEditKeyUp(Key, Shift);
  if (Key == VK_UP || Key == VK_DOWN || Key == VK_PRIOR || Key == VK_NEXT) StopSpin();
}

bool TcxCustomSpinEdit::IsValidChar(char AChar) {
  const unsigned char c = static_cast<unsigned char>(AChar);
  TcxCustomSpinEditProperties* properties = GetActiveSpinProperties();
  if (!properties->CanEdit() && (AChar == '\b' || c >= 32)) return false;
  if (c < 32) return true;
  if (AChar == '+' || AChar == '-' || (AChar >= '0' && AChar <= '9') || AChar == 'E' || AChar == 'e') return true;
  if (AChar == FormatSettings.DecimalSeparator && properties->ValueType() == vtFloat) return true;
  return properties->ValidChars().test(c);
}

void TcxCustomSpinEdit::PropertiesChanged(TObject* Sender) {
  TcxCustomMaskEdit::PropertiesChanged(Sender);
  if (!IsDesigning() && ModifiedAfterEnter() && Mode()) ClampValueToRange();
}

void TcxCustomSpinEdit::SyncDisplayFromEditValue() {
  Variant value = EditValue();
  TcxCustomSpinEditProperties* properties = GetActiveSpinProperties();
  if (properties->IsEditValueValid(value)) {
    FLastNumericValue = properties->ValueToNumber(value);
  } else {
    Variant clamped;
    properties->ClampValueToBounds(Variant(0), clamped);
    FLastNumericValue = properties->ValueToNumber(clamped);
  }
  FTextTyped = false;
  TcxCustomMaskEdit::SyncDisplayFromEditValue();
}

void TcxCustomSpinEdit::SyncEditValueFromDisplay() {
  TcxCustomMaskEdit::SyncEditValueFromDisplay();
  const Variant value = EditValue();
  FLastNumericValue = VarIsNumeric(value) ? static_cast<double>(value) : GetActiveSpinProperties()->ValueToNumber(value);
}

void TcxCustomSpinEdit::CutToClipboard() {
  if (IsUserChange() && !GetActiveSpinProperties()->CanEdit()) return;
  TcxCustomMaskEdit::CutToClipboard();
}

void TcxCustomSpinEdit::PasteFromClipboard() {
  if (IsUserChange() && !GetActiveSpinProperties()->CanEdit()) return;
  TcxCustomMaskEdit::PasteFromClipboard();
}

void TcxCustomSpinEdit::ConvertDisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AFocused) {
  std::string error;
  TextToValue(ADisplayValue, true, error, AEditValue);
}

bool TcxCustomSpinEdit::IsOutOfTypeRange(double AValue) {
  if (GetActiveSpinProperties()->ValueType() == vtInt)
    return AValue <= -kInt64Limit || AValue >= 9223372036854775807.0;
  return AValue <= -1.7E308 || AValue >= 1.7E308;
}

bool TcxCustomSpinEdit::TextToValue(const Variant& ADisplayValue, bool ARaise, std::string& AErrorText,
                                    Variant& AValue) {
  TcxCustomSpinEditProperties* properties = GetActiveSpinProperties();
  const std::string text = VarToStr(ADisplayValue);
  bool error = false;
  if (Trim(text).empty()) {
    AValue = Null();
    if (IcxEditDefaultValuesProvider* provider = properties->DefaultValuesProvider())
      if (provider->DefaultRequired()) properties->ClampValueToBounds(Variant(0), AValue);
  } else {
    double number = 0;
    if (!parseNumber(text, number)) {
      error = true;
      AErrorText.clear();
    } else if (IsOutOfTypeRange(number)) {
      error = true;
      AErrorText = cxGetResourceString(&scxEditValueOutOfBounds);
    } else {
      AValue = Variant(number);
    }
  }
  if (error) {
    if (AErrorText.empty()) AErrorText = cxGetResourceString(&scxEditInvalidNumericValue);
    if (ARaise) throw Exception(AErrorText);
    AValue = Variant(FLastNumericValue);
  }
  if (!AValue.IsNull()) AValue = properties->CastValueToType(properties->ValueToNumber(AValue));
  return !error;
}

Variant TcxCustomSpinEdit::GetValue() {
  TcxCustomSpinEditProperties* properties = GetActiveSpinProperties();
  Variant result;
  if (Focused() || (InnerEdit() && InnerEdit()->Focused())) {
    if (FTextTyped) {
      ConvertDisplayToEditValue(Variant(GetDisplayText()), result, true);
    } else {
      result = Variant(FLastNumericValue);
    }
    if (!VarIsNumeric(result)) result = Variant(0);
  } else {
    const Variant value = EditValue();
    if (VarIsNumeric(value) || VarIsStr(value)) {
      result = value;
    } else {
      properties->ClampValueToBounds(Variant(0), result);
    }
  }
  if (VarIsNumeric(result)) result = properties->CastValueToType(static_cast<double>(result));
  return result;
}

void TcxCustomSpinEdit::SetValue(const Variant& AValue) {
  if (!VarIsNumeric(AValue)) return;
  Variant value = AValue;
  if (GetActiveSpinProperties()->IsEditValueValid(value)) SetInternalEditValue(value);
}

void TcxCustomSpinEdit::ValueToText(double AValue, std::string& AText) {
  Variant display;
  GetActiveSpinProperties()->ConvertEditToDisplayValue(GetActiveSpinProperties()->CastValueToType(AValue), display,
                                                       IsFocusedForDisplay());
  AText = VarToStr(display);
}

double TcxCustomSpinEdit::GetIncrement(Integer AKind) {
  TcxCustomSpinEditProperties* properties = GetActiveSpinProperties();
  double d = AKind == skFastDown || AKind == skFastUp ? properties->LargeIncrement() : properties->Increment();
  if (properties->ValueType() == vtInt) d = std::nearbyint(d);
  return AKind == skDown || AKind == skFastDown ? -d : d;
}

bool TcxCustomSpinEdit::ComputeSpinTarget(Integer AKind, double& AValue) {
  TcxCustomSpinEditProperties* properties = GetActiveSpinProperties();
  const double m = properties->GetMinValue();
  const double M = properties->GetMaxValue();
  const double v = properties->ValueToNumber(GetValue());
  const double d = GetIncrement(AKind);
  const bool upKind = AKind == skUp || AKind == skFastUp;
  if (M <= m) {
    // No range: a step that would leave the value type's range is refused rather than
    // wrapping or overflowing.
    AValue = v + d;
    return std::isfinite(AValue) && !IsOutOfTypeRange(AValue);
  }
  if (v < m) {
    AValue = m;
    return upKind;
  }
  if (v > M) {
    AValue = M;
    return !upKind;
  }
  AValue = v + d;
  if (AValue >= m && AValue <= M) return true;
  const Integer mode = properties->GetOverflowMode();
  if (mode == 0) return false;
  if (mode == 1) AValue = AValue < m ? m : M;
  return true;
}

bool TcxCustomSpinEdit::Spin(Integer AKind) {
  if (IsDestroying()) return false;
  bool changed = false;
  {
    LockChangeEvents(true);
    ScopeExit unlock([this] { LockChangeEvents(false, true); });
    double target = 0;
    if (!ComputeSpinTarget(AKind, target) || !RequestEditing()) return false;
    const std::string oldText = GetDisplayText();
    std::string newText;
    ValueToText(target, newText);
    const Integer selStart = GetSelectionStart();
    const Integer selLength = GetSelectionLength();
    FLastNumericValue = target;
    {
      const bool userChange = IsUserChange();
      SetUserChange(true);
      ScopeExit restore([this, userChange] { SetUserChange(userChange); });
      SetInternalDisplayValue(Variant(newText));
    }
    FTextTyped = false;
    changed = GetDisplayText() != oldText;
    if (changed) {
      SetModifiedAfterEnter(true);
      if (GetActiveSpinProperties()->KeepsSelectionOnSpin())
        SetSelection(selStart, selLength);
      else
        SetSelection(static_cast<Integer>(GetDisplayText().size()), 0);
      if (GetActiveProperties()->ImmediatePost() && CanPostEditValue() && ValidateInput(true)) {
        PostEditValue();
        SyncDisplayFromEditValue();
      }
    }
  }
  return changed;
}

void TcxCustomSpinEdit::ClampValueToRange() {
  TcxCustomSpinEditProperties* properties = GetActiveSpinProperties();
  if (!(properties->GetMaxValue() > properties->GetMinValue())) return;
  const bool userChange = IsUserChange();
  SetUserChange(ModifiedAfterEnter());
  ScopeExit restore([this, userChange] { SetUserChange(userChange); });
  const double v = properties->ValueToNumber(GetValue());
  if (v < properties->GetMinValue())
    SetValue(Variant(static_cast<double>(properties->GetMinValue())));
  else if (v > properties->GetMaxValue())
    SetValue(Variant(static_cast<double>(properties->GetMaxValue())));
}

void TcxCustomSpinEdit::StartSpinRepeat() {
  if (GetActiveProperties()->GetReadOnly()) return;
  FRepeatTimer.reset();
  FRepeatTimer = std::make_unique<TTimer>(nullptr);
  FRepeatTimer->SetInterval(kFirstRepeatInterval);
  FRepeatTimer->SetOnTimer(TNotifyEvent(this, &TcxCustomSpinEdit::SpinRepeatTick));
  FRepeatTimer->SetEnabled(true);
}

void TcxCustomSpinEdit::SpinRepeatTick(TObject* Sender) {
  if (!FRepeatTimer || IsDestroying()) return;
  ScopedRestore<bool> inTick(FInRepeatTick);
  FInRepeatTick = true;
  if (FRepeatTimer->Interval() == kFirstRepeatInterval) FRepeatTimer->SetInterval(kRepeatInterval);
  TcxCustomEditViewInfo* vi = GetViewInfo();
  if (vi->PressedButton != -1) Spin(vi->Button(vi->PressedButton)->ButtonIndex);
}

void TcxCustomSpinEdit::StopSpin() {
  SetPressedSpinButton(0);
  TcxCustomEditViewInfo* vi = GetViewInfo();
  bool repaint = false;
  for (Integer i = 0; i < vi->ButtonCount(); ++i) {
    TcxEditButtonViewInfo* button = vi->Button(i);
    if (button->ButtonIndex <= skUp && button->State == ebsPressed) {
      button->State = ebsNormal;
      repaint = true;
    }
  }
  if (repaint && HandleAllocated()) InvalidateRect(WindowHandle(), nullptr, TRUE);
  // A stop from inside the timer's own event only disables it; the next start or the editor
  // frees it.
  if (FInRepeatTick) {
    if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
  } else {
    FRepeatTimer.reset();
  }
  if (HandleAllocated() && GetCapture() == WindowHandle()) ReleaseCapture();
}

void TcxCustomSpinEdit::SetPressedSpinButton(Byte Value) {
  if (Value == FPressedSpinButton) return;
  FPressedSpinButton = Value;
  if (HandleAllocated() && !IsDestroying()) RefreshAtCursor(false);
}

bool TcxCustomSpinEdit::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (!CanUseMouseWheel(Shift)) return TcxCustomMaskEdit::DoMouseWheel(Shift, WheelDelta, MousePos);
  if (WheelDelta == 0) return false;
  Spin(WheelDelta > 0 ? skUp : skDown);
  return true;
}

void TcxCustomSpinEdit::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxCustomMaskEdit::MouseUp(Button, Shift, X, Y);
  StopSpin();
}

void TcxCustomSpinEdit::DoExit() {
  StopSpin();
  TcxCustomMaskEdit::DoExit();
}

void TcxCustomSpinEdit::DblClick() {
  TcxCustomEditViewInfo* vi = GetViewInfo();
  TPoint p = ScreenToClient(Mouse->CursorPos());
  if (!vi->IsPointOnButton(p)) StopSpin();
  TcxCustomMaskEdit::DblClick();
}

RTL_BEGIN_CLASS(TcxSpinEdit)
  using T = TcxSpinEdit;
  publishPlacement(b);
  PUBLISH(AutoSize).Default(true);
  PUBLISH(BeepOnEnter).Default(true);
  PUBLISH(Constraints);
  publishDragProperties(b);
  PUBLISH(Enabled).Default(true).Stored(&T::IsEnabledStored);
  PUBLISH(ImeMode).Default(imDontCare);
  PUBLISH(ImeName);
  PUBLISH(ParentColor).Default(false);
  publishParentFlags(b);
  PUBLISH(PopupMenu);
  b.Property("Properties", &T::Properties, &T::SetProperties);
  PUBLISH(ShowHint).Stored(&T::IsShowHintStored);
  PUBLISH(Style);
  PUBLISH(TabOrder).Default(-1);
  PUBLISH(TabStop).Default(true);
  b.Property("Value", &T::Value, &T::SetValue).Stored(&T::IsValueStored);
  PUBLISH(Visible).Default(true).Stored(&T::IsVisibleStored);
  PUBLISH(OnClick);
  PUBLISH(OnContextPopup);
  publishDragEvents(b);
  PUBLISH(OnEditing);
  publishFocusEvents(b);
  publishKeyEvents(b);
  publishMouseEvents(b);
RTL_END_CLASS
