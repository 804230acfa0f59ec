#include <algorithm>
#include <cstring>
#include <vector>
#include "cx/editors/cxTextEdit.h"

#include "cx/editors/cxEditUtils.h"
#include "cx/foundation/cxEditConsts.h"
#include "cx/foundation/cxVariants.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/Scoped.h"
#include "platform/gui/GuiPublish.h"
#include "platform/rtl/SysUtils.h"

namespace {

// One change notice for the work inside the bracket, also when a step fails.
struct UpdateScope {
  TcxCustomEditProperties* P;
  explicit UpdateScope(TcxCustomEditProperties* AP) : P(AP) { P->BeginUpdate(); }
  ~UpdateScope() { P->EndUpdate(true); }
  UpdateScope(const UpdateScope&) = delete;
  UpdateScope& operator=(const UpdateScope&) = delete;
};

// Default precision of a number shown while editing without a bound field.
constexpr Integer defaultEditPrecision = 15;

}  // namespace

// ---------------------------------------------------------------------------------------
// TcxTextEditPropertiesValues.

RTL_IMPLEMENT_CLASS(TcxTextEditPropertiesValues)

void TcxTextEditPropertiesValues::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxTextEditPropertiesValues*>(Source)) {
    FDisplayFormat = source->FDisplayFormat;
    FMaxLength = source->FMaxLength;
    FMaxValue = source->FMaxValue;
    FMinValue = source->FMinValue;
  }
  TcxCustomEditPropertiesValues::Assign(Source);
}

void TcxTextEditPropertiesValues::RestoreDefaults() {
  TcxCustomEditPropertiesValues::RestoreDefaults();
  FDisplayFormat = FMaxLength = FMaxValue = FMinValue = false;
}

// ---------------------------------------------------------------------------------------
// TcxCustomTextEditProperties.

RTL_IMPLEMENT_CLASS(TcxCustomTextEditProperties)

TcxCustomTextEditProperties::TcxCustomTextEditProperties(TPersistent* AOwner) : TcxCustomEditProperties(AOwner) {
  FLookupItems = new TStringList;
  FLookupItems->SetOnChange(TNotifyEvent(this, &TcxCustomTextEditProperties::ItemsChanged));
  cxGetFormatController()->AddListener(this);
}

TcxCustomTextEditProperties::~TcxCustomTextEditProperties() {
  cxGetFormatController()->RemoveListener(this);
  FreeAndNil(FLookupItems);
}

void TcxCustomTextEditProperties::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxCustomTextEditProperties*>(Source);
  if (!source) {
    TcxCustomEditProperties::Assign(Source);
    return;
  }
  if (source == this) return;
  UpdateScope update(this);
  TcxCustomEditProperties::Assign(Source);
  SetCharCase(source->CharCase());
  SetEchoMode(source->EchoMode());
  SetFixedListIncrementalSearch(source->FixedListIncrementalSearch());
  SetHideCursor(source->HideCursor());
  SetHideSelection(source->HideSelection());
  SetMaxLength(source->GetMaxLength());
  FValidChars = source->FValidChars;

  TcxTextEditPropertiesValues* values = textValues();
  TcxTextEditPropertiesValues* sourceValues = source->textValues();
  values->SetDisplayFormat(false);
  if (sourceValues->DisplayFormat()) SetDisplayFormat(source->FDisplayFormat);
  values->SetMaxValue(false);
  if (sourceValues->MaxValue()) SetMaxValue(source->FMaxValue);
  values->SetMinValue(false);
  if (sourceValues->MinValue()) SetMinValue(source->FMinValue);

  SetOEMConvert(source->OEMConvert());
  FImmediateUpdateText = source->ImmediateUpdateText();
  // Unsorted while copying, so the copy of an unsorted source keeps the source's order.
  SetLookupItemsSorted(false);
  FLookupItems->Assign(source->LookupItems());
  SetLookupItemsSorted(source->GetLookupItemsSorted());
  FOnNewLookupDisplayText = source->FOnNewLookupDisplayText;
}

void TcxCustomTextEditProperties::AlignmentChanged(TObject* Sender) {
  UpdateScope update(this);
  TcxCustomEditProperties::AlignmentChanged(Sender);
}

void TcxCustomTextEditProperties::SetAlignment(TcxEditAlignment* Value) {
  UpdateScope update(this);
  TcxCustomEditProperties::SetAlignment(Value);
}

void TcxCustomTextEditProperties::GetValidationErrorText(TcxEditValidationError AErrorKind, std::string& AText) {
  if (AErrorKind == 1)
    AText = cxGetResourceString(&scxEditValueOutOfBounds);
  else
    TcxCustomEditProperties::GetValidationErrorText(AErrorKind, AText);
}

TClass TcxCustomTextEditProperties::GetViewInfoClass() { return TcxCustomTextEditViewInfo::StaticClass(); }

TClass TcxCustomTextEditProperties::GetLookupDataClass() { return TcxCustomTextEditLookupData::StaticClass(); }

bool TcxCustomTextEditProperties::CompareDisplayValues(const Variant& AValue1, TcxCustomEditProperties* AProperties2,
                                                       const Variant& AValue2) {
  auto* other = dynamic_cast<TcxCustomTextEditProperties*>(AProperties2);
  if (!other) return false;
  std::string text1, text2;
  GetDisplayText(AValue1, text1);
  other->GetDisplayText(AValue2, text2);
  return text1 == text2;
}

void TcxCustomTextEditProperties::GetDisplayText(const Variant& AEditValue, std::string& AText) {
  if (UsesDataDisplayText()) {
    AText = VarToStr(AEditValue);
  } else {
    Variant displayValue;
    MakeDisplayValue(AEditValue, displayValue, false);
    AText = VarToStr(displayValue);
  }
  ApplyEchoAndCase(AText);
}

TcxEditSupportedOperations TcxCustomTextEditProperties::GetCapabilities() {
  TcxEditSupportedOperations result = esoAutoHeight | esoFiltering | esoHorzAlignment | esoIncSearch | esoSorting;
  if (Buttons()->Count() > 0) result |= esoEditing;
  return result;
}

bool TcxCustomTextEditProperties::IsEditValueValid(Variant& AEditValue) {
  if (AEditValue.IsNull()) return true;
  if (!VarIsStr(AEditValue)) return true;
  return ValidateLookupText(AEditValue);
}

void TcxCustomTextEditProperties::ConvertEditToDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                                                            bool AFocused) {
  if (!IsValueRanged()) {
    ADisplayValue = VarToStr(AEditValue);
    return;
  }
  if (cxIsVariantNullOrEmpty(AEditValue)) {
    ADisplayValue = std::string();
    return;
  }
  // A Boolean is an ordinal to the variant layer, but no number to show.
  const bool isNumber = cxIsNumericVariant(AEditValue) && VarType(AEditValue) != varBoolean;
  if (!isNumber && !VarIsStr(AEditValue))
    throw EConvertError(cxGetResourceString(&scxEditNumericConvertError));
  const Extended value = AEditValue.AsExtended();

  if (!AFocused) {
    const std::string format = GetDisplayFormat();
    ADisplayValue = format.empty() ? FloatToStrF(value, ffGeneral, defaultEditPrecision, 0) : FormatFloat(format, value);
    return;
  }

  IcxEditDefaultValuesProvider* provider = DefaultValuesProvider();
  std::string format;
  bool isCurrency = false;
  if (!provider || !provider->HasGetTextHandler()) {
    if (textValues()->DisplayFormat()) {
      format = FDisplayFormat;
    } else if (provider) {
      provider->DefaultDisplayFormat(format);
      if (format.empty()) isCurrency = provider->HasDisplayFormat(!(GetDisplayFormatOptions() & dfoNoCurrencyValue));
    }
  }
  const Integer precision = provider ? provider->DefaultPrecision() : defaultEditPrecision;
  if (isCurrency)
    ADisplayValue = FloatToStrF(value, ffFixed, precision, CurrencyDecimals);
  else if (!format.empty())
    ADisplayValue = FormatFloat(format, value);
  else
    ADisplayValue = FloatToStrF(value, ffGeneral, precision, 0);
}

void TcxCustomTextEditProperties::ValidateDisplayValue(Variant& ADisplayValue, std::string& AErrorText, bool& AError,
                                                       TcxCustomEdit* AEdit) {
  if (IsValueRanged() && GetMaxValue() > GetMinValue()) CheckValueBounds(ADisplayValue, AErrorText, AEdit, AError);
  TcxCustomEditProperties::ValidateDisplayValue(ADisplayValue, AErrorText, AError, AEdit);
}

void TcxCustomTextEditProperties::FormatChanged() {
  FIsFormatChanging = true;
  struct ClearFlag {
    bool& Flag;
    ~ClearFlag() { Flag = false; }
  } clear{FIsFormatChanging};
  Changed();
}

void TcxCustomTextEditProperties::CheckValueBounds(const Variant& ADisplayValue, std::string& AErrorText,
                                                   TcxCustomEdit* AEdit, bool& AError) {
  Variant value;
  AEdit->ConvertDisplayToEditValue(ADisplayValue, value, AEdit->IsFocusedForDisplay());
  if (!cxIsNumericVariant(value) && !cxIsDateTimeVariant(value)) return;
  const Extended number = value.AsExtended();
  if (number < GetMinValue() || number > GetMaxValue()) {
    AError = true;
    GetValidationErrorText(1, AErrorText);
  }
}

void TcxCustomTextEditProperties::ApplyEchoAndCase(std::string& AText) {
  if (FEchoMode == eemPassword) {
    AText.assign(AText.size(), '*');
    return;
  }
  // The locale's conversion, not the plain a-z one: the inner edit converts typed accented
  // letters ("ç" to "Ç") by the locale, and the shown text must not differ once unfocused.
  if (FCharCase == ecUpperCase)
    AText = AnsiUpperCase(AText);
  else if (FCharCase == ecLowerCase)
    AText = AnsiLowerCase(AText);
}

void TcxCustomTextEditProperties::FireNewLookupDisplayText(TObject* Sender, const std::string& AText) {
  if (FOnNewLookupDisplayText) FOnNewLookupDisplayText(Sender, AText);
}

bool TcxCustomTextEditProperties::IsLookupItem(const std::string& AText) {
  for (Integer i = 0; i < FLookupItems->Count(); ++i)
    if (AnsiCompareText(FLookupItems->Get(i), AText) == 0) return true;
  return false;
}

Integer TcxCustomTextEditProperties::GetDefaultMaxLength() {
  IcxEditDefaultValuesProvider* provider = DefaultValuesProvider();
  return provider ? provider->DefaultMaxLength() : 0;
}

void TcxCustomTextEditProperties::SetCharCase(TEditCharCase Value) {
  if (Value == FCharCase) return;
  FCharCase = Value;
  Changed();
}

void TcxCustomTextEditProperties::SetMaxLength(Integer Value) {
  if (Value < 0) Value = 0;
  if (textValues()->MaxLength() && FMaxLength == Value) return;
  textValues()->SetMaxLength(true);
  FMaxLength = Value;
  Changed();
}

bool TcxCustomTextEditProperties::ValidateLookupText(Variant& AValue) {
  std::string text = VarToStr(AValue);
  if (text.empty()) return true;
  bool result = true;
  const TcxTextInputStyle style = GetInputStyle();
  if ((style == tisListText || style == tisFixedList) && UsesLookupData()) result = IsLookupItem(text);
  if (result) {
    if (FCharCase == ecUpperCase)
      text = AnsiUpperCase(text);
    else if (FCharCase == ecLowerCase)
      text = AnsiLowerCase(text);
    AValue = text;
  }
  return result;
}

void TcxCustomTextEditProperties::MakeDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AFocused) {
  Variant value = AEditValue;
  if (IsEditValueValid(value))
    ConvertEditToDisplayValue(value, ADisplayValue, AFocused);
  else if (cxIsDateTimeVariant(value))
    ADisplayValue = DateTimeToStr(value.AsDouble());
  else
    ADisplayValue = VarToStr(value);
}

void TcxCustomTextEditProperties::ClampValueToBounds(const Variant& AValue, Variant& AResult) {
  AResult = AValue;
  if (!cxIsNumericVariant(AValue)) return;
  const Extended minValue = GetMinValue();
  const Extended maxValue = GetMaxValue();
  if (maxValue <= minValue) return;
  if (AValue < Variant(minValue))
    AResult = Variant(minValue);
  else if (AValue > Variant(maxValue))
    AResult = Variant(maxValue);
}

std::string TcxCustomTextEditProperties::GetDisplayFormat() {
  if (textValues()->DisplayFormat()) return FDisplayFormat;
  std::string format;
  if (IcxEditDefaultValuesProvider* provider = DefaultValuesProvider()) {
    provider->DefaultDisplayFormat(format);
    if (!format.empty()) return format;
  }
  GetDefaultDisplayFormat(format);
  return format;
}

void TcxCustomTextEditProperties::SetDisplayFormat(const std::string& Value) {
  if (textValues()->DisplayFormat() && Value == FDisplayFormat) return;
  textValues()->SetDisplayFormat(true);
  FDisplayFormat = Value;
  Changed();
}

void TcxCustomTextEditProperties::SetEchoMode(TcxEditEchoMode Value) {
  if (Value == FEchoMode) return;
  FEchoMode = Value;
  Changed();
}

void TcxCustomTextEditProperties::SetFixedListIncrementalSearch(bool Value) {
  if (Value == FFixedListIncrementalSearch) return;
  FFixedListIncrementalSearch = Value;
  if (GetInputStyle() == tisFixedList) Changed();
}

void TcxCustomTextEditProperties::SetHideCursor(bool Value) {
  if (Value == FHideCursor) return;
  FHideCursor = Value;
  Changed();
}

void TcxCustomTextEditProperties::SetHideSelection(bool Value) {
  if (Value == FHideSelection) return;
  FHideSelection = Value;
  Changed();
}

void TcxCustomTextEditProperties::SetOEMConvert(bool Value) {
  if (Value == FOEMConvert) return;
  FOEMConvert = Value;
  Changed();
}

Integer TcxCustomTextEditProperties::GetMaxLength() {
  return textValues()->MaxLength() ? FMaxLength : GetDefaultMaxLength();
}

Extended TcxCustomTextEditProperties::GetMaxValue() {
  if (textValues()->MaxValue()) return FMaxValue;
  IcxEditDefaultValuesProvider* provider = DefaultValuesProvider();
  return provider ? provider->DefaultMaxValue() : 0;
}

Extended TcxCustomTextEditProperties::GetMinValue() {
  if (textValues()->MinValue()) return FMinValue;
  IcxEditDefaultValuesProvider* provider = DefaultValuesProvider();
  return provider ? provider->DefaultMinValue() : 0;
}

void TcxCustomTextEditProperties::SetMaxValue(Extended Value) {
  if (textValues()->MinValue() && Value < FMinValue) Value = FMinValue;
  if (textValues()->MaxValue() && Value == FMaxValue) return;
  textValues()->SetMaxValue(true);
  FMaxValue = Value;
  Changed();
}

void TcxCustomTextEditProperties::SetMinValue(Extended Value) {
  if (textValues()->MaxValue() && Value > FMaxValue) Value = FMaxValue;
  if (textValues()->MinValue() && Value == FMinValue) return;
  textValues()->SetMinValue(true);
  FMinValue = Value;
  Changed();
}

void TcxCustomTextEditProperties::DefineProperties(TFiler* Filer) {
  TcxCustomEditProperties::DefineProperties(Filer);
  Filer->DefineProperty(
      "IsDisplayFormatAssigned",
      [this](TReader* Reader) {
        textValues()->SetDisplayFormat(Reader->ReadBoolean());
        Changed();
      },
      [](TWriter* Writer) { Writer->WriteBoolean(true); },
      textValues()->DisplayFormat() && FDisplayFormat.empty());
}

// ---------------------------------------------------------------------------------------
// TcxTextEditProperties.

RTL_BEGIN_CLASS(TcxTextEditProperties)
  using T = TcxTextEditProperties;
  b.Property("Alignment", &T::HorzAlignment, &T::SetHorzAlignment).Stored(&T::IsHorzAlignmentStored);
  PUBLISH(AutoSelect).Default(true);
  PUBLISH(BeepOnError).Default(false);
  PUBLISH(CharCase).Default(ecNormal);
  PUBLISH(EchoMode).Default(eemNormal);
  PUBLISH(HideSelection).Default(true);
  PUBLISH(LookupItems);
  b.Property("LookupItemsSorted", &T::GetLookupItemsSorted, &T::SetLookupItemsSorted).Default(false);
  b.Property("MaxLength", &T::GetMaxLength, &T::SetMaxLength).Stored(&T::IsMaxLengthStored);
  PUBLISH(OEMConvert).Default(false);
  b.Property("ReadOnly", &T::GetReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  PUBLISH(UseLeftAlignmentOnEditing).Stored(&T::IsUseLeftAlignmentOnEditingStored);
  PUBLISH(ValidateOnEnter).Default(false);
  PUBLISH(OnChange);
  PUBLISH(OnEditValueChanged);
  PUBLISH(OnNewLookupDisplayText);
  PUBLISH(OnValidate);
RTL_END_CLASS

// ---------------------------------------------------------------------------------------
// TcxCustomEditListBox.

RTL_BEGIN_CLASS(TcxCustomEditListBox)
  b.Message(CM_SHOWINGCHANGED, &TcxCustomEditListBox::CMShowingChanged);
RTL_END_CLASS

TcxCustomEditListBox::TcxCustomEditListBox(TComponent* AOwner) : TcxCustomInnerListBox(AOwner) {
  SetStyle(lbOwnerDrawVariable);
  SetBorderStyle(bsNone);
}

void TcxCustomEditListBox::SetItemIndex(Integer Value) {
  TcxCustomInnerListBox::SetItemIndex(Value);
  DoSelectItem();
}

bool TcxCustomEditListBox::IsListVisible() { return HandleAllocated() && IsWindowVisible(Handle()); }

void TcxCustomEditListBox::DoSelectItem() {
  UpdateScrollBars();
  if (FOnRowChosen) FOnRowChosen(this);
}

void TcxCustomEditListBox::SetItemCount(Integer ACount) {
  if (ACount < 0) ACount = 0;
  if (Items()->Count() == ACount) return;
  Items()->BeginUpdate();
  struct EndUpdate {
    TStrings* S;
    ~EndUpdate() { S->EndUpdate(); }
  } end{Items()};
  while (Items()->Count() < ACount) Items()->Add(std::string());
  while (Items()->Count() > ACount) Items()->Delete(Items()->Count() - 1);
}

Integer TcxCustomEditListBox::GetTextHeight() {
  Canvas()->Font()->Assign(Font());
  return Canvas()->TextHeight("Wg");
}

void TcxCustomEditListBox::CMShowingChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  // The native list paints its selection as focused only while it believes it has the
  // focus; the keyboard focus stays in the editor.
  if (Showing() && HandleAllocated()) {
    TMessage focus{WM_SETFOCUS, 0, 0, 0};
    DefaultHandler(focus);
  }
}

void TcxCustomEditListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  if (CustomDrawItem(Index, Rect, State)) return;
  Canvas()->FillRect(Rect);
  if (Index < 0 || Index >= Items()->Count()) return;
  TRect textRect = Rect;
  UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
  if (UseRightToLeftAlignment()) {
    textRect.right -= 2;
    flags |= DT_RIGHT | DT_RTLREADING;
  } else {
    textRect.left += 2;
  }
  const std::string text = GetItemText(Index);
  // The text is drawn on the DC directly: the canvas's font and colour (the highlight
  // text colour on a selected row) must be in it first.
  Canvas()->RequiredState({csHandleValid, csFontValid});
  SetBkMode(Canvas()->Handle(), TRANSPARENT);
  ::DrawTextA(Canvas()->Handle(), text.c_str(), static_cast<int>(text.size()), &textRect, flags);
}

void TcxCustomEditListBox::MeasureItem(Integer Index, Integer& Height) { Height = GetDefaultItemHeight(); }

void TcxCustomEditListBox::Click() {
  TcxCustomInnerListBox::Click();
  DoSelectItem();
}

void TcxCustomEditListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TcxCustomInnerListBox::MouseMove(Shift, X, Y);
  if (GetCaptureControl() == this || !FTracksMouse) return;
  const Integer row = ItemAtPos(TPoint{X, Y}, true);
  if (row != ItemIndex()) SetItemIndex(row);
}

bool TcxCustomEditListBox::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (TcxCustomInnerListBox::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (!HandleAllocated()) return false;
  LRESULT answer = 1;
  const Integer lines = Mouse->WheelScrollLines();
  for (Integer i = 0; i < lines; ++i)
    answer = SendMessageA(Handle(), WM_VSCROLL, WheelDelta > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
  return answer == 0;
}

// ---------------------------------------------------------------------------------------
// TcxCustomTextEditLookupData.

RTL_BEGIN_CLASS(TcxCustomTextEditLookupData)
  b.Interface<IcxTextEditLookupData>();
RTL_END_CLASS

TcxCustomTextEditLookupData::TcxCustomTextEditLookupData(TcxCustomEdit* AEdit)
    : TcxInterfacedPersistent(AEdit), FEdit(AEdit) {}

TcxCustomTextEditProperties* TcxCustomTextEditLookupData::textProperties() {
  return FEdit ? dynamic_cast<TcxCustomTextEditProperties*>(FEdit->GetActiveProperties()) : nullptr;
}

TcxTextInputStyle TcxCustomTextEditLookupData::inputStyle() {
  TcxCustomTextEditProperties* properties = textProperties();
  return properties ? properties->GetInputStyle() : tisFreeText;
}

void TcxCustomTextEditLookupData::GetItem(Integer AIndex, std::string& AText) {
  TcxCustomTextEditProperties* properties = textProperties();
  AText = properties ? properties->LookupItems()->Get(AIndex) : std::string();
}

Integer TcxCustomTextEditLookupData::GetItemCount() {
  TcxCustomTextEditProperties* properties = textProperties();
  return properties ? properties->LookupItems()->Count() : 0;
}

void TcxCustomTextEditLookupData::TakeListItemIndex(TObject* Sender) {
  if (FList) FItemIndex = FList->ItemIndex();
}

bool TcxCustomTextEditLookupData::FindMatchFrom(std::string& AText, std::string& ATail, bool AFromNext,
                                                bool AResetOnFail) {
  const Integer count = GetItemCount();
  if (count == 0) return false;
  const Integer start = AFromNext ? FItemIndex : -1;
  const size_t length = AText.size();
  Integer i = start;
  std::string item;
  for (;;) {
    ++i;
    if (i == count || i == start) break;
    GetItem(i, item);
    if (item.size() < length) continue;
    if (AnsiCompareText(item.substr(0, length), AText) != 0) continue;
    AText = item.substr(0, length);
    ATail = item.substr(length);
    SelectKeyIndex(i);
    return true;
  }
  bool reset;
  switch (inputStyle()) {
    case tisListText:
      reset = AResetOnFail || (AText.empty() && !HasItem(std::string()));
      break;
    case tisFixedList:
      reset = AResetOnFail;
      break;
    default:
      reset = true;
  }
  if (reset) SelectKeyIndex(-1);
  return false;
}

void TcxCustomTextEditLookupData::UpdateListItemCount() {
  if (FList) FList->SetItemCount(GetItemCount());
}

bool TcxCustomTextEditLookupData::HasItem(const std::string& AText) {
  const Integer count = GetItemCount();
  std::string item;
  for (Integer i = 0; i < count; ++i) {
    GetItem(i, item);
    if (AnsiCompareText(item, AText) == 0) return true;
  }
  return false;
}

void TcxCustomTextEditLookupData::GetKeyText(const Variant& AKey, std::string& AText) {
  AText.clear();
  if (AKey.IsNull() || AKey.IsEmpty()) return;
  const Integer key = AKey.AsInteger();
  if (key >= 0 && key < GetItemCount()) GetItem(key, AText);
}

void TcxCustomTextEditLookupData::Navigate(TcxLookupNavigation ADirection, bool ACircular) {
  const Integer n = GetItemCount();
  if (n == 0) return;
  const Integer i = FItemIndex != -1 ? FItemIndex : FCurrentKey;
  TcxCustomTextEditProperties* properties = textProperties();
  const Integer page = properties ? properties->GetLookupPageSize() : 8;
  Integer target = i;
  switch (ADirection) {
    case lnFirst:
      target = 0;
      break;
    case lnLast:
      target = n - 1;
      break;
    case lnNext:
      target = i + 1;
      if (target >= n) target = ACircular ? 0 : i;
      break;
    case lnPrevious:
      target = i - 1;
      if (target < 0) target = ACircular ? n - 1 : i;
      break;
    case lnPageUp:
      if (i == -1) {
        target = ACircular ? n - 1 : -1;
      } else {
        target = i - page + 1;
        if (target < 0) target = ACircular && i == 0 ? n - 1 : 0;
      }
      break;
    case lnPageDown:
      target = i == -1 ? page - 1 : i + page - 1;
      if (target >= n) target = ACircular && i == n - 1 ? 0 : n - 1;
      break;
  }
  const bool immediate = properties && properties->ImmediateUpdateText();
  if (FList && FList->IsListVisible() && !immediate)
    SetItemIndex(target);
  else
    SetKeyValue(Variant(target));
}

void TcxCustomTextEditLookupData::AttachList(TWinControl* AParent) {
  if (!FList) {
    if (TClass listClass = GetListBoxClass()) {
      FList = static_cast<TcxCustomEditListBox*>(listClass->CreateInstance(AParent));
      if (!FListWatcher) {
        FListWatcher.reset(New<TcxFreeNotificator>(nullptr));
        FListWatcher->SetOnFreeNotification(
            TcxFreeNotificator::TFreeNotificationEvent(this, &TcxCustomTextEditLookupData::listFreed));
      }
      FListWatcher->AddSender(FList);
    }
  }
  if (!FList) return;
  if (FEdit) {
    TcxCustomEditStyle* style = FEdit->GetStyle();
    FList->SetColor(style->GetVisibleColor());
    FList->SetFont(style->Font());
    FList->Canvas()->Font()->Assign(style->Font());
  }
  FList->SetParent(AParent);
  FList->SetOnRowChosen(TNotifyEvent(this, &TcxCustomTextEditLookupData::TakeListItemIndex));
  FList->SetItemCount(GetItemCount());
  FList->SetItemIndex(FItemIndex);
  FList->ListAttached();
  SyncWithText();
}

bool TcxCustomTextEditLookupData::IsPointOverList(const TPoint& AScreenPoint) {
  if (!FList) return false;
  const TPoint p = FList->ScreenToClient(AScreenPoint);
  const TRect bounds = FList->BoundsRect();
  return PtInRect(&bounds, p) != FALSE;
}

void TcxCustomTextEditLookupData::SetListBounds(const TRect& ABounds) {
  if (FList) FList->SetBounds(ABounds.left, ABounds.top, ABounds.right - ABounds.left, ABounds.bottom - ABounds.top);
}

void TcxCustomTextEditLookupData::ApplyListSelection() {
  if (FItemIndex == -1) return;
  const Integer oldKey = FCurrentKey;
  SetKeyValue(Variant(FItemIndex));
  // Choosing the current row again still applies its text.
  if (FCurrentKey == oldKey) raiseItemChosen();
}

void TcxCustomTextEditLookupData::SetKeyValue(const Variant& AKey) {
  const Integer oldKey = FCurrentKey;
  SelectKeyIndex(AKey.AsInteger());
  auto* owner = dynamic_cast<TextLookupOwner*>(FEdit);
  if (owner) owner->SetLookupTyping(true);
  struct ClearTyping {
    TextLookupOwner* Owner;
    ~ClearTyping() {
      if (Owner) Owner->SetLookupTyping(false);
    }
  } clear{owner};
  if (FCurrentKey != oldKey) {
    raiseItemChosen();
  } else if (FCurrentKey >= 0 && FCurrentKey < GetItemCount()) {
    std::string item;
    GetItem(FCurrentKey, item);
    if (!FEdit || FEdit->GetDisplayText() != item) raiseItemChosen();
  }
}

void TcxCustomTextEditLookupData::SyncWithText() {
  const std::string text = FEdit ? FEdit->GetDisplayText() : std::string();
  if (FItemIndex < GetItemCount()) {
    std::string item;
    if (FItemIndex != -1) GetItem(FItemIndex, item);
    if (AnsiCompareText(item, text) == 0) return;
  }
  std::string copy = text, tail;
  FindMatchFrom(copy, tail, true, false);
}

void TcxCustomTextEditLookupData::SelectKeyIndex(Integer AIndex) {
  if (AIndex < -1 || AIndex >= GetItemCount()) return;
  FCurrentKey = AIndex;
  SetItemIndex(AIndex);
}

void TcxCustomTextEditLookupData::SetItemIndex(Integer AIndex) {
  if (AIndex < -1 || AIndex >= GetItemCount()) return;
  if (AIndex == FItemIndex && AIndex != -1) return;
  if (FList && GetItemCount() > 0) {
    // Through row 0 first, so that the list scrolls back to its top.
    if (AIndex == -1) FList->SetItemIndex(0);
    FList->SetItemIndex(AIndex);
  }
  FItemIndex = AIndex;
}

// ---------------------------------------------------------------------------------------
// TcxCustomTextEditViewInfo.

RTL_IMPLEMENT_CLASS(TcxCustomTextEditViewInfo)

void TcxCustomTextEditViewInfo::AssignFrom(TcxContainerViewInfo* Source) {
  if (auto* source = dynamic_cast<TcxCustomTextEditViewInfo*>(Source)) {
    ComboLook = source->ComboLook;
    SelectionInverted = source->SelectionInverted;
    DrawTextFlags = source->DrawTextFlags;
    InputStyle = source->InputStyle;
    PopupOpen = source->PopupOpen;
    InnerEditShown = source->InnerEditShown;
    MaxLineCount = source->MaxLineCount;
    SelStart = source->SelStart;
    SelLength = source->SelLength;
    SelTextColor = source->SelTextColor;
    SelBackgroundColor = source->SelBackgroundColor;
    Text = source->Text;
    // Rows point into the text: a copy lays them out again.
    RowsLaidOut = false;
    TextRows.clear();
    TextRect = source->TextRect;
  }
  TcxCustomEditViewInfo::AssignFrom(Source);
}

void TcxCustomTextEditViewInfo::MoveBy(Integer DX, Integer DY) {
  TcxCustomEditViewInfo::MoveBy(DX, DY);
  OffsetRect(&TextRect, DX, DY);
  if (!RowsLaidOut) return;
  OffsetRect(&TextRowsRect, DX, DY);
  for (TcxTextRow& row : TextRows) {
    row.TextOriginX += DX;
    row.TextOriginY += DY;
  }
}

void TcxCustomTextEditViewInfo::Paint(TcxCanvas* ACanvas) { cxDrawTextEdit(ACanvas, this); }

void TcxCustomTextEditViewInfo::DrawText(TcxCanvas* ACanvas) { cxDrawTextEditText(ACanvas, this); }

bool TcxCustomTextEditViewInfo::NeedShowHintInBounds(TcxCanvas* ACanvas, const TPoint& P, const TRect& AVisibleBounds,
                                                     std::string& AText, bool& AIsMultiLine, TRect& ATextRect) {
  const TPoint local{P.x - Origin.x, P.y - Origin.y};
  TRect visible = TextRect;
  if (!IsRectEmpty(&AVisibleBounds)) IntersectRect(&visible, &TextRect, &AVisibleBounds);
  if (!PtInRect(&visible, local) || Text.empty()) return false;

  TCanvas* canvas = ACanvas->Canvas();
  if (Font) canvas->Font()->Assign(Font);
  const bool wordWrap = (DrawTextFlags & tlfWordBreak) != 0;
  const TcxTextLayoutFlags flags = DrawTextFlags & ~(tlfAlignVCenter | tlfAlignBottom);
  TcxTextParams params;
  cxInitTextLayout(canvas, flags, params);
  TRect layoutRect = TextRect;
  if (!wordWrap) layoutRect.right = layoutRect.left + 0x3FFFFFFF;
  layoutRect.bottom = layoutRect.top + 0x3FFFFFFF;
  Integer rowCount = 0;
  TcxTextRows rows;
  const bool whole = cxSplitTextIntoRows(canvas, Text, layoutRect, MaxLineCount, rowCount, rows, params);
  cxPlaceTextRows(canvas->Handle(), layoutRect, params, rowCount, rows);
  bool need = !whole;
  for (Integer i = 0; i < rowCount && !need; ++i) {
    const TcxTextRow& row = rows[static_cast<size_t>(i)];
    // Trailing blanks do not count.
    Integer length = row.TextLength;
    while (length > 0 && row.Text[length - 1] == ' ') --length;
    SIZE size{0, 0};
    GetTextExtentPoint32A(canvas->Handle(), row.Text, length, &size);
    need = size.cx > TextRect.right - TextRect.left || row.TextOriginX + size.cx > visible.right ||
           row.TextOriginY + params.RowHeight > visible.bottom;
  }
  if (!need) return false;
  AIsMultiLine = wordWrap;
  AText = Text;
  ATextRect = TextRect;
  OffsetRect(&ATextRect, Origin.x, Origin.y);
  return true;
}

// ---------------------------------------------------------------------------------------
// TcxCustomTextEditViewData.

RTL_IMPLEMENT_CLASS(TcxCustomTextEditViewData)

TClass TcxCustomTextEditProperties::GetViewDataClass() { return TcxCustomTextEditViewData::StaticClass(); }

void TcxCustomTextEditViewData::InitCacheData() {
  TcxCustomEditViewData::InitCacheData();
  FUsesDataDisplayText = GetProperties()->UsesDataDisplayText();
}

TSize TcxCustomTextEditViewData::InternalGetEditContentSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                                                            const TcxEditSizeProperties& AEditSizeProperties) {
  std::string text;
  textProperties()->GetDisplayText(AEditValue, text);
  TSize size{0, 0};
  cxCalculateEditTextSize(ACanvas, this, text, size, true, AEditSizeProperties,
                          static_cast<Integer>(GetDrawTextFlags()));
  return size;
}

void TcxCustomTextEditViewData::Calculate(TcxCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                          TcxMouseButton AButton, TShiftState AShift,
                                          TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  TcxCustomEditViewData::Calculate(ACanvas, ABounds, P, AButton, AShift, AViewInfo, AIsMouseEvent);
  auto* info = static_cast<TcxCustomTextEditViewInfo*>(AViewInfo);
  info->SelectionInverted = false;
  info->InputStyle = textProperties()->GetInputStyle();
  info->InnerEditShown = InnerEditShown();
  // A text editor hides its inner edit by region, not by the window's visibility: what the
  // editor says decides whether the text is painted.
  if (Edit) info->InnerEditVisible = info->InnerEditShown;
  info->PopupOpen = Edit && Edit->HasPopupWindow();
  cxCalculateTextRect(this, info);
  info->MaxLineCount = MaxLineCount;
  info->RowsLaidOut = false;
  info->TextRows.clear();
  CalculateTextFlags(ACanvas, info);
  if (info->PaintOptions & epoShowEndEllipsis) info->DrawTextFlags |= tlfEndEllipsis;
  info->ComboLook = IsComboLook();
}

void TcxCustomTextEditViewData::CalculateTextFlags(TcxCanvas* ACanvas, TcxCustomTextEditViewInfo* AViewInfo) {
  AViewInfo->DrawTextFlags = GetDrawTextFlags();
  if (!textProperties()->IsMultiLine() && (textProperties()->GetCapabilities() & esoAutoHeight) &&
      (PaintOptions & epoAutoHeight))
    cxAdjustTextEditDrawFlags(ACanvas, this, AViewInfo);
}

void TcxCustomTextEditViewData::PrepareDrawValue(TcxCanvas* ACanvas, const Variant& AEditValue,
                                                 TcxCustomEditViewInfo* AViewInfo) {
  auto* info = static_cast<TcxCustomTextEditViewInfo*>(AViewInfo);
  if (FUsesDataDisplayText) {
    SetViewInfoText(AEditValue, info);
  } else {
    std::string text;
    try {
      Variant displayValue;
      textProperties()->MakeDisplayValue(AEditValue, displayValue, IsEditFocused());
      text = VarToStr(displayValue);
    } catch (const Exception&) {
      // A value that cannot be shown paints as its plain text; echo still hides it.
      text = VarIsArray(AEditValue) ? std::string() : VarToStr(AEditValue);
    }
    textProperties()->ApplyEchoAndCase(text);
    info->Text = text;
  }
  info->SelStart = SelStart;
  info->SelLength = SelLength;
  info->SelTextColor = SelTextColor == clDefault ? clHighlightText : SelTextColor;
  info->SelBackgroundColor = SelBackgroundColor == clDefault ? clHighlight : SelBackgroundColor;
}

TRect TcxCustomTextEditViewData::GetEditExtent(TcxCustomEditViewInfo* AViewInfo) {
  TRect extent = TcxCustomEditViewData::GetEditExtent(AViewInfo);
  if (!IsInplace() && IsComboLook() && cxIsNativeThemeUsable(NativeStyle, totEdit)) extent.right += 1;
  return extent;
}

void TcxCustomTextEditViewData::SetViewInfoText(const Variant& AValue, TcxCustomTextEditViewInfo* AViewInfo) {
  std::string text = VarToStr(AValue);
  textProperties()->ApplyEchoAndCase(text);
  AViewInfo->Text = text;
}

TcxTextLayoutFlags TcxCustomTextEditViewData::GetDrawTextFlags() {
  TcxTextLayoutFlags flags = tlfPreventLeftExceed | tlfPreventTopExceed | tlfSingleLine;
  switch (HorzAlignment) {
    case taRightJustify: flags |= tlfAlignRight; break;
    case taCenter: flags |= tlfAlignCenter; break;
    default: break;
  }
  switch (VertAlignment) {
    case taBottomJustify: flags |= tlfAlignBottom; break;
    case taVCenter: flags |= tlfAlignVCenter; break;
    default: break;
  }
  return flags;
}

TRect TcxCustomTextEditViewData::GetTextMargins(TcxCustomEditViewInfo* AViewInfo) {
  return cxGetTextEditTextMargins(this, AViewInfo);
}

namespace cxTextEditUnit {

void Initialize() {
  cxGetEditorRegistry()->Register(TcxTextEditProperties::StaticClass(), cxGetResourceString(&scxEditRegTextEdit));
}

void Finalize() {
  if (cxEditPropertiesList) cxGetEditorRegistry()->Unregister(TcxTextEditProperties::StaticClass());
}

}  // namespace cxTextEditUnit

// ---------------------------------------------------------------------------------------
// TcxCustomInnerTextEdit.

namespace {

// The alignment new inner edits start with.
TAlignment cxInnerTextEditDefaultAlignment = taLeftJustify;

// The text length in wide characters (a double-byte character counts once).
Integer wideLength(const std::string& AText) {
  if (AText.empty()) return 0;
  return MultiByteToWideChar(CP_ACP, 0, AText.data(), static_cast<int>(AText.size()), nullptr, 0);
}

// The text cut to at most AMax wide characters, never inside a double-byte character.
std::string cutToWideLength(const std::string& AText, Integer AMax) {
  if (AMax <= 0) return std::string();
  if (wideLength(AText) <= AMax) return AText;
  // Not std::wstring: the platform's wide characters are 16-bit, the C++ library's are not.
  std::vector<WCHAR> wide(static_cast<size_t>(wideLength(AText)));
  MultiByteToWideChar(CP_ACP, 0, AText.data(), static_cast<int>(AText.size()), wide.data(),
                      static_cast<int>(wide.size()));
  wide.resize(static_cast<size_t>(AMax));
  int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), result.data(), size, nullptr, nullptr);
  return result;
}

// The text up to its first NUL.
std::string untilNul(const std::string& AText) {
  size_t nul = AText.find('\0');
  return nul == std::string::npos ? AText : AText.substr(0, nul);
}

}  // namespace

RTL_BEGIN_CLASS(TcxCustomInnerTextEdit)
  b.Message<TMessage>(WM_GETDLGCODE, &TcxCustomInnerTextEdit::WMGetDlgCode);
  b.Message<TMessage>(WM_SETFOCUS, &TcxCustomInnerTextEdit::WMSetFocus);
  b.Message<TMessage>(WM_KILLFOCUS, &TcxCustomInnerTextEdit::WMKillFocus);
  b.Message(WM_CONTEXTMENU, &TcxCustomInnerTextEdit::WMContextMenu);
  b.Message<TMessage>(WM_CUT, &TcxCustomInnerTextEdit::WMCut);
  b.Message<TMessage>(WM_PASTE, &TcxCustomInnerTextEdit::WMPaste);
  b.Message<TMessage>(WM_CLEAR, &TcxCustomInnerTextEdit::WMClear);
  b.Message(WM_ERASEBKGND, &TcxCustomInnerTextEdit::WMEraseBkgnd);
  b.Message(WM_NCPAINT, &TcxCustomInnerTextEdit::WMNCPaint);
  b.Message(WM_SIZE, &TcxCustomInnerTextEdit::WMSize);
  b.Message(CM_MOUSEENTER, &TcxCustomInnerTextEdit::CMMouseEnter);
  b.Message(CM_MOUSELEAVE, &TcxCustomInnerTextEdit::CMMouseLeave);
RTL_END_CLASS

TcxCustomInnerTextEdit::TcxCustomInnerTextEdit(TComponent* AOwner) : TcxInnerEditForwarding<TCustomEdit>(AOwner) {
  FCreating = true;
  FHelper = std::make_unique<TcxInnerTextEditHelperT<TcxCustomInnerTextEdit>>(this);
  SetTabStop(false);
  SetBorderStyle(bsNone);
  controlStyle_.Include(csDoubleClicks);
  SetParentColor(true);
  SetParentFont(false);
  FAlignment = cxInnerTextEditDefaultAlignment;
  FKeyConsumed = false;
  FEchoMode = false;
  SetPasswordChar('\0');
  FCreating = false;
}

TcxCustomInnerTextEdit::~TcxCustomInnerTextEdit() = default;

TcxCustomTextEdit* TcxCustomInnerTextEdit::Container() const { return dynamic_cast<TcxCustomTextEdit*>(Owner()); }

void TcxCustomInnerTextEdit::SetInnerEditValue(const Variant& Value) {
  std::string text = VarToStr(Value);
  bool changed = text != GetText();
  SetText(text);
  if (changed && ComponentState().Contains(csDesigning)) Change();
}

void TcxCustomInnerTextEdit::SafelySetFocus() {
  bool autoSelect = AutoSelect();
  SetAutoSelect(false);
  ScopeExit restore([&] { SetAutoSelect(autoSelect); });
  SetFocus();
}

void TcxCustomInnerTextEdit::SetInnerAlignment(TAlignment Value) {
  TcxCustomTextEdit* edit = Container();
  if (edit && edit->GetActiveProperties()->UseLeftAlignmentOnEditing()) Value = taLeftJustify;
  if (Value == FAlignment) return;
  FAlignment = Value;
  RecreateWnd();
}

void TcxCustomInnerTextEdit::SetEchoMode(bool Value) {
  if (Value == FEchoMode) return;
  FEchoMode = Value;
  SetPasswordChar(Value ? '*' : '\0');
}

Integer TcxCustomInnerTextEdit::InnerSelStart() { return FImeCharCount > 0 ? FHelper->SavedSelStart : SelStart(); }
Integer TcxCustomInnerTextEdit::InnerSelLength() {
  return FImeCharCount > 0 ? FHelper->SavedSelLength : SelLength();
}

void TcxCustomInnerTextEdit::SetInnerSelStart(Integer Value) {
  if (!HandleAllocated()) return;
  if (FImeCharCount > 0)
    FHelper->SavedSelStart = Value;
  else
    SetSelStart(Value);
}

void TcxCustomInnerTextEdit::SetInnerSelLength(Integer Value) {
  if (!HandleAllocated()) return;
  if (FImeCharCount > 0)
    FHelper->SavedSelLength = Value;
  else
    SetSelLength(Value);
}

void TcxCustomInnerTextEdit::AdjustMargins() {
  if (HandleAllocated())
    SendMessageA(WindowHandle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 1));
}

Integer TcxCustomInnerTextEdit::GetCaretCharIndex() {
  if (!HandleAllocated()) return 0;
  POINT caret{0, 0};
  GetCaretPos(&caret);
  // The caret sits at one end of the selection: those two answer without a search, and
  // without the x positions of far-away characters, which no longer fit the message's
  // 16 bits in a long text.
  DWORD selStart = 0;
  DWORD selEnd = 0;
  SendMessageA(WindowHandle(), EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
  if (selStart == selEnd) return static_cast<Integer>(selStart);
  // The x of a character; the control answers -1 for an index beyond the text, which never
  // equals the caret's x. Indexes are full-width: texts may be longer than 32767
  // characters.
  auto xOf = [this](Integer AIndex) -> Integer {
    LRESULT r = SendMessageA(WindowHandle(), EM_POSFROMCHAR, static_cast<WPARAM>(AIndex), 0);
    if (r == -1) return -1;
    return static_cast<short>(LOWORD(r));
  };
  if (xOf(static_cast<Integer>(selEnd)) == caret.x) return static_cast<Integer>(selEnd);
  if (xOf(static_cast<Integer>(selStart)) == caret.x) return static_cast<Integer>(selStart);
  Integer length = static_cast<Integer>(GetWindowTextLengthA(WindowHandle()));
  Integer lo = 0;
  Integer hi = length - 1;
  do {
    Integer mid = (lo + hi) / 2;
    if (xOf(mid) < caret.x)
      lo = mid;
    else
      hi = mid;
  } while (hi - lo >= 2);
  if (xOf(lo) == caret.x) return lo;
  if (xOf(hi) == caret.x) return hi;
  return hi + 1;
}

void TcxCustomInnerTextEdit::SaveState(TcxCustomInnerTextEditPrevState& AState) {
  AState.Text = GetText();
  AState.SelStart = SelStart();
  AState.SelLength = SelLength();
}

bool TcxCustomInnerTextEdit::StateChanged(const TcxCustomInnerTextEditPrevState& AState) {
  if (!HandleAllocated()) return false;
  return SelStart() != AState.SelStart || SelLength() != AState.SelLength ||
         AnsiCompareText(GetText(), AState.Text) != 0;
}

void TcxCustomInnerTextEdit::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  TcxCustomTextEdit* edit = Container();
  if (edit)
    edit->DragOver(Source, X + Left(), Y + Top(), State, Accept);
  else
    TCustomEdit::DragOver(Source, X, Y, State, Accept);
}

void TcxCustomInnerTextEdit::DragDrop(TObject* Source, Integer X, Integer Y) {
  TcxCustomTextEdit* edit = Container();
  if (edit)
    edit->DragDrop(Source, X + Left(), Y + Top());
  else
    TCustomEdit::DragDrop(Source, X, Y);
}

bool TcxCustomInnerTextEdit::ExecuteAction(TBasicAction* Action) {
  if (TCustomEdit::ExecuteAction(Action)) return true;
  TcxCustomTextEdit* edit = Container();
  return edit && edit->DataBinding()->ExecuteDataAction(Action);
}

bool TcxCustomInnerTextEdit::UpdateAction(TBasicAction* Action) {
  if (TCustomEdit::UpdateAction(Action)) return true;
  TcxCustomTextEdit* edit = Container();
  return edit && edit->DataBinding()->UpdateDataAction(Action);
}

void TcxCustomInnerTextEdit::MouseLeave(TControl* AControl) {
  if (TcxCustomTextEdit* edit = Container()) edit->RefreshAtCursor(true);
}

void TcxCustomInnerTextEdit::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  static const DWORD alignments[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
  Params.Style &= ~static_cast<DWORD>(ES_LEFT | ES_RIGHT | ES_CENTER);
  Params.Style |= alignments[static_cast<int>(FAlignment)] | ES_AUTOHSCROLL;
  Params.Style &= ~static_cast<DWORD>(WS_BORDER | WS_DLGFRAME | WS_THICKFRAME);
  Params.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
}

void TcxCustomInnerTextEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  AdjustMargins();
}

void TcxCustomInnerTextEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_KEYDOWN:
      handleKeyDownMessage(Message);
      return;
    case WM_CHAR:
      handleCharMessage(Message);
      return;
    case WM_IME_CHAR:
      handleImeChar(Message);
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (StartsAutomaticDrag(Message)) return;
      break;
    default:
      break;
  }
  TCustomEdit::WndProc(Message);
}

void TcxCustomInnerTextEdit::handleKeyDownMessage(TMessage& Message) {
  TcxCustomTextEdit* edit = Container();
  Word key = static_cast<Word>(Message.WParam);
  if (edit && edit->HasPopupWindow()) {
    TShiftState shift = KeyDataToShiftState(static_cast<Integer>(Message.LParam));
    IcxTextEditLookupData* lookup = edit->GetLookupDataIntf();
    if (lookup && edit->GetActiveTextProperties()->IsLookupNavigationKey(key, shift)) {
      TcxCustomEditListBox* list = lookup->GetList();
      if (list && list->HandleAllocated()) {
        Message.Result = SendMessageA(list->WindowHandle(), Message.Msg, Message.WParam, Message.LParam);
        return;
      }
    }
  }
  TcxCustomInnerTextEditPrevState state;
  SaveState(state);
  FKeyConsumed = false;
  TCustomEdit::WndProc(Message);
  if (!edit || ComponentState().Contains(csDestroying)) return;
  if (!FKeyConsumed && !StateChanged(state) && key != 0) {
    TShiftState shift = KeyDataToShiftState(static_cast<Integer>(Message.LParam));
    edit->DoAfterKeyDown(key, shift);
  }
}

void TcxCustomInnerTextEdit::handleCharMessage(TMessage& Message) {
  TcxCustomTextEdit* edit = Container();
  TcxCustomInnerTextEditPrevState state;
  SaveState(state);
  FKeyConsumed = false;
  TCustomEdit::WndProc(Message);
  if (FImeCharCount > 0) {
    --FImeCharCount;
    if (FImeCharCount == 0 && edit && edit->LookupMatchMark()) {
      SetSelStart(FHelper->SavedSelStart);
      SetSelLength(FHelper->SavedSelLength);
    }
  }
  if (!edit) return;
  edit->SetLookupTyping(false);
  if (!FKeyConsumed && StateChanged(state)) edit->SetLookupMatchMark(false);
}

void TcxCustomInnerTextEdit::handleImeChar(TMessage& Message) {
  BYTE lead = HIBYTE(LOWORD(Message.WParam));
  BYTE trail = LOBYTE(LOWORD(Message.WParam));
  if (lead != 0 && IsDBCSLeadByte(lead)) {
    FImeLastChar = static_cast<char>(lead);
    FImeCharCount = 2;
  } else {
    FImeLastChar = static_cast<char>(trail);
    FImeCharCount = 1;
  }
  FHelper->SavedSelStart = SelStart();
  FHelper->SavedSelLength = SelLength();
  TCustomEdit::WndProc(Message);
}

void TcxCustomInnerTextEdit::FilterTypedKey(char& Key) {
  TcxCustomTextEdit* edit = Container();
  if (edit->IsInplace() || edit->DropDownClosedByKey()) {
    if (Key == '\r' || Key == '\x1b') {
      Key = 0;
      edit->SetDropDownClosedByKey(false);
    }
  } else if (Key == '\r' && !edit->BeepOnEnter()) {
    Key = 0;
    edit->SetDropDownClosedByKey(false);
  }
}

void TcxCustomInnerTextEdit::WMContextMenu(TMessage& Message) {
  TcxCustomTextEdit* edit = Container();
  if (!edit || edit->IsInnerEditVisible()) INHERITED_MESSAGE(Message);
}

void TcxCustomInnerTextEdit::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }
void TcxCustomInnerTextEdit::WMNCPaint(TMessage& Message) { Message.Result = 0; }

void TcxCustomInnerTextEdit::WMSize(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  AdjustMargins();
}

void TcxCustomInnerTextEdit::CMMouseEnter(TMessage& Message) {
  auto* control = reinterpret_cast<TControl*>(Message.LParam);
  MouseEnter(control ? control : this);
}

void TcxCustomInnerTextEdit::CMMouseLeave(TMessage& Message) {
  auto* control = reinterpret_cast<TControl*>(Message.LParam);
  MouseLeave(control ? control : this);
}

// ---------------------------------------------------------------------------------------
// TcxCustomTextEdit.

RTL_BEGIN_CLASS(TcxCustomTextEdit)
  b.Message(WM_GETTEXT, &TcxCustomTextEdit::WMGetText);
  b.Message(WM_GETTEXTLENGTH, &TcxCustomTextEdit::WMGetTextLength);
  b.Message(WM_SETTEXT, &TcxCustomTextEdit::WMSetText);
  b.Message(WM_CLEAR, &TcxCustomTextEdit::WMClear);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxTextEdit)
  publishTextEditControl(b);
RTL_END_CLASS

TcxCustomTextEdit::TcxCustomTextEdit(TComponent* AOwner) : TcxCustomEdit(AOwner) {
  FBeepOnEnter = true;
  FLookupMatchMark = false;
  SetParentColor(false);
  SetWidth(121);
  SetHeight(21);
}

void TcxCustomTextEdit::AfterConstruction() {
  FConstructing = true;
  TcxCustomEdit::AfterConstruction();
  void* intf = nullptr;
  if (InnerEdit() && InnerEdit()->QueryInterface(IcxInnerTextEdit::IID(), &intf) == S_OK)
    FInnerTextEdit = static_cast<IcxInnerTextEdit*>(intf);
  if (InnerEdit()) InnerEdit()->SetColor(clWindow);
  if (TClass lookupClass = GetActiveTextProperties()->GetLookupDataClass()) {
    TObject* made = lookupClass->CreateInstance(static_cast<TcxCustomEdit*>(this));
    FLookupData.reset(dynamic_cast<TcxCustomTextEditLookupData*>(made));
    if (!FLookupData) FreeObject(made);
    if (FLookupData) FLookupData->SetOnItemChosen(TNotifyEvent(this, &TcxCustomTextEdit::ApplyLookupSelection));
  }
  cxGetFormatController()->AddListener(this);
  FConstructing = false;
  // The inner edit takes the settings now that the lookup data exists.
  PropertiesChanged(GetActiveProperties());
}

void TcxCustomTextEdit::BeforeDestruction() {
  cxGetFormatController()->RemoveListener(this);
  TcxCustomEdit::BeforeDestruction();
}

TcxCustomTextEdit::~TcxCustomTextEdit() {
  FInnerTextEdit = nullptr;
  FLookupData.reset();
}

TClass TcxCustomTextEditProperties::GetEditClass() { return TcxTextEdit::StaticClass(); }

TClass TcxCustomTextEdit::GetInnerEditClass() { return TcxCustomInnerTextEdit::StaticClass(); }
TClass TcxCustomTextEdit::GetPropertiesClass() { return TcxTextEditProperties::StaticClass(); }

void TcxCustomTextEdit::Loaded() {
  TcxCustomEdit::Loaded();
  RefreshAtCursor(false);
}

void TcxCustomTextEdit::CalculateInnerControlRegion(const TRect& AAlignRect, TWinControl* AControl,
                                                    std::optional<TRect>& ARegion) {
  if (!IsInnerEditVisible()) {
    ARegion = TRect{0, 0, 0, 0};
    return;
  }
  TcxCustomEdit::CalculateInnerControlRegion(AAlignRect, AControl, ARegion);
  auto* info = static_cast<TcxCustomTextEditViewInfo*>(GetViewInfo());
  if (ARegion && !IsInplace() && info->NativeBorderState != 0 && info->ComboLook &&
      (inputStyle() == tisFreeText || inputStyle() == tisListText)) {
    ARegion->right -= 1;
    ARegion->bottom -= 1;
  }
}

bool TcxCustomTextEdit::RefreshContainer(const TPoint& P, TcxMouseButton AButton, TShiftState AShift,
                                         bool AIsMouseEvent) {
  if (!HandleAllocated() || IsDestroying()) return false;
  bool changed = TcxCustomEdit::RefreshContainer(P, AButton, AShift, AIsMouseEvent);
  if (changed) ApplyInnerEditColors();
  SetDoubleBuffered(!IsInnerEditVisible());
  return changed;
}

void TcxCustomTextEdit::ReapplyPropertiesAndValue() {
  GetActiveProperties()->Changed();
  SyncDisplayFromEditValue();
}

void TcxCustomTextEdit::ApplyInnerEditColors() {
  if (!InnerEdit() || FConstructing || !InnerEditIntf()) return;
  InnerEditIntf()->LockBounds(true);
  ScopeExit unlock([this] { InnerEditIntf()->LockBounds(false); });
  TcxCustomEditViewInfo* info = GetViewInfo();
  InnerEdit()->SetColor(info->BackgroundColor);
  InnerEdit()->Font()->Assign(GetStyle()->Font());
  InnerEdit()->Font()->SetColor(info->TextColor);
}

void TcxCustomTextEdit::EnsureValueInRange() {
  if (!DataBinding()->IsDesigning()) return;
  TcxCustomTextEditProperties* properties = GetActiveTextProperties();
  if (properties->IsValueRanged() && !IsDestroying() && properties->GetMaxValue() != properties->GetMinValue())
    ClampValueToRange();
}

void TcxCustomTextEdit::AdjustInnerEditPosition(Integer AHeight) {
  if (FAdjustingInnerEdit || !InnerEdit()) return;
  ScopedRestore<bool> guard(FAdjustingInnerEdit);
  FAdjustingInnerEdit = true;
  TcxCustomEditViewInfo* info = GetViewInfo();
  // The buttons lie inside the client area: the inner edit keeps to the rest of it.
  const TRect c = info->ClientAreaWithoutButtons();
  Integer top = c.top + 1;
  const bool nativeBorder = IsInplace() && info->NativeBorderState != 0;
  switch (GetActiveProperties()->GetAlignment()->Vert()) {
    case taBottomJustify:
      top = c.bottom - AHeight + 1 + (nativeBorder ? 1 : 0);
      if (IsInplace()) top = std::max(top, c.top + 1);
      break;
    case taVCenter: {
      Integer a = c.bottom - c.top - AHeight + (nativeBorder ? 1 : 0);
      top = c.top + a / 2 + 1;
      if (IsInplace()) top = std::max(top, c.top + 1);
      break;
    }
    default:
      break;
  }
  TRect bounds{c.left + 1, top, c.right, top + AHeight};
  const TRect current = InnerEdit()->BoundsRect();
  if (!EqualRect(&bounds, &current))
    InnerEdit()->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, AHeight);
  if (InnerEdit()->HandleAllocated()) {
    // A hidden inner edit keeps an empty region: the editor paints the text then.
    TRect region{0, 0, 0, 0};
    if (IsInnerEditVisible()) {
      region = c;
      if (IsInplace()) InflateRect(&region, 0, -1);
      OffsetRect(&region, -InnerEdit()->Left(), -InnerEdit()->Top());
    }
    if (InnerControlRegionChanged(InnerEdit(), region)) {
      cxSetChildWindowRegion(InnerEdit(), region);
      StoreInnerControlRegion(InnerEdit(), region);
    }
  }
}

bool TcxCustomTextEdit::IsModifyingKey(Word Key, TShiftState Shift) {
  if (TcxCustomEdit::IsModifyingKey(Key, Shift) || Key == VK_BACK || Key == VK_DELETE) return true;
  if (!FLookupData || FLookupData->IsEmpty() || !CanNavigateLookup(false)) return false;
  if (Key == VK_PRIOR || Key == VK_NEXT) return !HasPopupWindow();
  if (Key == VK_UP || Key == VK_DOWN) return !Shift.Contains(ssAlt) && !HasPopupWindow();
  return false;
}

bool TcxCustomTextEdit::IsModifyingChar(char AChar) {
  auto c = static_cast<unsigned char>(AChar);
  return c == 8 || c == 22 || c == 24 || c >= 32;
}

void TcxCustomTextEdit::InnerEditChanged(TObject* Sender) {
  {
    LockChangeEvents(true);
    ScopeExit unlock([this] { LockChangeEvents(false); });
    TcxCustomEdit::InnerEditChanged(Sender);
  }
  if (!GetViewInfo()->InnerEditVisible) RefreshDrawnText();
}

void TcxCustomTextEdit::GetEditSizeProperties(TcxEditSizeProperties& AProperties) {
  TcxCustomEdit::GetEditSizeProperties(AProperties);
  AProperties.MaxLineCount = 1;
  AProperties.Width = -1;
}

std::string TcxCustomTextEdit::GetDisplayText() {
  if (!InnerEditIntf()) return std::string();
  return VarToStr(InnerEditIntf()->GetEditValue());
}

bool TcxCustomTextEdit::IsEditingSupported() { return inputStyle() != tisNoEdit; }

void TcxCustomTextEdit::InternalSetDisplayValue(const Variant& Value) {
  DataBinding()->SetDisplayValue(Value);
  if (!IsUserChange()) {
    ResetLookupHighlight();
    SyncEditValueFromDisplay();
    SetModified(false);
  }
}

void TcxCustomTextEdit::SetDisplayValue(const Variant& Value) {
  const bool mark = FLookupMatchMark;
  ScopeExit restore([this, mark] { SetLookupMatchMark(mark); });
  if (inputStyle() == tisFreeText && FLookupData) {
    std::string text = VarToStr(Value);
    if (!FLookupData->HasItem(text)) {
      GetActiveTextProperties()->FireNewLookupDisplayText(this, text);
      bool refocus = false;
      if (FOnNewLookupText) FOnNewLookupText(this, Value, refocus);
      if (refocus && CanFocus()) SetFocus();
    }
  }
  TcxCustomEdit::SetDisplayValue(Value);
}

bool TcxCustomTextEdit::IsInnerEditVisible() {
  TcxTextInputStyle style = inputStyle();
  if (style == tisFixedList || style == tisNoEdit) return false;
  if (IsDestroying() || !InnerEdit() || IsDesigning()) return false;
  return IsFocusedOrActive() || GetActiveProperties()->GetAlignment()->Horz() == taLeftJustify;
}

bool TcxCustomTextEdit::IsValidChar(char AChar) {
  return TcxCustomEdit::IsValidChar(AChar) ||
         GetActiveTextProperties()->ValidChars().test(static_cast<unsigned char>(AChar));
}

bool TcxCustomTextEdit::TrySetDisplayText(const std::string& AText) {
  Variant value(untilNul(AText));
  bool accepted = GetActiveTextProperties()->ValidateLookupText(value);
  if (accepted && IsUserChange()) accepted = RequestEditing();
  if (accepted) InternalSetDisplayValue(value);
  return accepted;
}

void TcxCustomTextEdit::SetInternalDisplayValue(const Variant& Value) {
  if (InnerEditIntf()) InnerEditIntf()->SetEditValue(Value);
}

void TcxCustomTextEdit::SyncDisplayFromEditValue() {
  TcxCustomTextEditProperties* properties = GetActiveTextProperties();
  Variant display;
  const bool focused = IsFocusedForDisplay();
  Variant value = FEditValue;
  const bool valid = properties->IsEditValueValid(value);
  try {
    if (focused || valid) {
      if (valid)
        ConvertEditToDisplayValue(value, display, focused);
      else
        properties->GetNullDisplayValue(display);
    } else {
      properties->MakeDisplayValue(FEditValue, display, focused);
    }
  } catch (const EVariantTypeCastError&) {
    display = std::string();
  }
  ScopeExit after([this] {
    PopModifiedState();
    ResetLookupHighlight();
    RefreshDrawnText();
  });
  PushModifiedState();
  ScopedRestore<bool> syncing(FDisplaySyncing);
  FDisplaySyncing = true;
  DataBinding()->SetDisplayValue(display);
}

void TcxCustomTextEdit::SyncEditValueFromDisplay() {
  Variant old = FEditValue;
  Variant value;
  ConvertDisplayToEditValue(Variant(GetDisplayText()), value, IsFocusedForDisplay());
  FEditValue = value;
  if (IsUserChange())
    SetModifiedAfterEnter(true);
  else
    SetModified(false);
  const bool changed = VarType(old) != VarType(value) || !cxVariantsEqual(old, value);
  if (changed) {
    DoEditValueChanged();
    if (!GetActiveProperties()->FiresChangeSeparately()) DoChange();
  }
}

void TcxCustomTextEdit::ConvertDisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AFocused) {
  AEditValue = ADisplayValue;
}

void TcxCustomTextEdit::ValidateTextAgainstList() {
  if (IsDestroying()) return;
  TcxTextInputStyle style = inputStyle();
  if (style == tisListText || style == tisFixedList) {
    if (ModifiedAfterEnter()) {
      Variant text(GetDisplayText());
      if (!GetActiveTextProperties()->ValidateLookupText(text)) {
        Variant empty;
        GetActiveTextProperties()->GetNullDisplayValue(empty);
        PushModifiedState();
        ScopeExit pop([this] { PopModifiedState(); });
        DataBinding()->SetDisplayValue(empty);
      }
    } else {
      SyncDisplayFromEditValue();
    }
  } else if (!ModifiedAfterEnter()) {
    DataBinding()->RefreshDisplay();
  }
  if (!IsInnerEditVisible()) RefreshDrawnText();
}

void TcxCustomTextEdit::PropertiesChanged(TObject* Sender) {
  TcxCustomTextEditProperties* properties = GetActiveTextProperties();
  IcxInnerTextEdit* inner = FInnerTextEdit;
  if (inner) inner->SetAlignment(properties->GetAlignment()->Horz());
  if (FLookupData) {
    FLookupData->RefreshListItems();
    if (!FLookupTyping) FLookupData->SyncWithText();
  }
  if (!IsDestroying() && !IsInnerEditVisible()) RefreshDrawnText();
  if (inner) {
    inner->SetAlignment(properties->GetAlignment()->Horz());
    inner->SetAutoSelect(properties->AutoSelect() && !IsInplace());
    inner->SetCharCase(properties->CharCase());
    inner->SetEchoMode(properties->EchoMode() == eemPassword);
    inner->SetHideSelection(properties->HideSelection());
    inner->SetMaxLength(properties->GetMaxLength());
    inner->SetOEMConvert(properties->OEMConvert());
    inner->SetReadOnly(properties->GetReadOnly());
  }
  EnsureValueInRange();
  if (!IsPosting()) ValidateTextAgainstList();
  RefreshDrawnText();
  TcxCustomEdit::PropertiesChanged(Sender);
  if (InnerEdit()) InnerEdit()->Invalidate();
}

void TcxCustomTextEdit::RefreshDrawnText() {
  if (IsDestroying()) return;
  {
    std::unique_ptr<TcxCustomTextEditViewData, void (*)(TcxCustomTextEditViewData*)> viewData(
        static_cast<TcxCustomTextEditViewData*>(CreateViewData()), [](TcxCustomTextEditViewData* p) { FreeObject(p); });
    auto* info = static_cast<TcxCustomTextEditViewInfo*>(GetViewInfo());
    viewData->SetViewInfoText(Variant(GetDisplayText()), info);
  }
  if (!HandleAllocated()) return;
  CalculateViewInfoAtCursor();
  auto* info = static_cast<TcxCustomTextEditViewInfo*>(GetViewInfo());
  TcxTextInputStyle style = inputStyle();
  if (style != tisFreeText && style != tisListText) {
    if (style == tisNoEdit || !FLookupMatchMark || !GetActiveTextProperties()->FixedListIncrementalSearch()) {
      info->SelLength = 0;
    } else if (FInnerTextEdit) {
      if (info->SelectionInverted) {
        info->SelStart = 0;
        info->SelLength = static_cast<Integer>(info->Text.size()) - FInnerTextEdit->GetSelLength();
        info->SelTextColor = clHighlight;
        info->SelBackgroundColor = clHighlightText;
      } else {
        info->SelStart = FInnerTextEdit->GetSelStart();
        info->SelLength = FInnerTextEdit->GetSelLength();
        info->SelTextColor = clHighlightText;
        info->SelBackgroundColor = clHighlight;
      }
    }
  }
  InvalidateRect(WindowHandle(), nullptr, FALSE);
}

void TcxCustomTextEdit::RestoreInnerEditWindowProc() {
  TcxCustomEdit::RestoreInnerEditWindowProc();
  if (!InnerEdit() || !InnerEdit()->HandleAllocated() || !FInnerTextEdit) return;
  bool autoSelect = FInnerTextEdit->GetAutoSelect();
  FInnerTextEdit->SetAutoSelect(false);
  ScopeExit restore([this, autoSelect] { FInnerTextEdit->SetAutoSelect(autoSelect); });
  SendMessageA(InnerEdit()->WindowHandle(), WM_SETFOCUS, 0, 0);
}

void TcxCustomTextEdit::Activate(TcxCustomEditData*& AEditData) {
  TcxCustomEdit::Activate(AEditData);
  if (!HandleAllocated()) return;
  SetSelectionStart(0);
  if (GetActiveProperties()->AutoSelect()) SelectAllText();
}

void TcxCustomTextEdit::SelectAllText() {
  if (HandleAllocated() && FInnerTextEdit) FInnerTextEdit->SelectAll();
}

void TcxCustomTextEdit::CopyToClipboard() {
  TcxTextInputStyle style = inputStyle();
  if (style == tisFixedList || style == tisNoEdit) SelectAllText();
  if (GetSelectionLength() > 0 && FInnerTextEdit) FInnerTextEdit->CopyToClipboard();
}

void TcxCustomTextEdit::CutToClipboard() {
  TcxTextInputStyle style = inputStyle();
  if (IsUserChange() && style == tisNoEdit) return;
  if (style == tisFixedList || style == tisNoEdit) SelectAllText();
  if (GetSelectionLength() == 0 || !FInnerTextEdit) return;
  FInnerTextEdit->CopyToClipboard();
  DeleteSelection();
}

void TcxCustomTextEdit::DeleteSelection() {
  Integer length = GetSelectionLength();
  if (length <= 0) return;
  Integer start = GetSelectionStart();
  std::string text = GetDisplayText();
  start = std::min<Integer>(start, static_cast<Integer>(text.size()));
  text.erase(static_cast<size_t>(start), static_cast<size_t>(length));
  if (TrySetDisplayText(text)) SetSelection(start, 0);
}

void TcxCustomTextEdit::PasteFromClipboard() {
  if (!Clipboard()->HasFormat(CF_TEXT)) return;
  std::string text = Clipboard()->AsText();
  // A single line takes the pasted text up to its first line break, as the native edit
  // does; the rest would show as stray characters and reach the value.
  if (!GetActiveTextProperties()->IsMultiLine()) {
    size_t lineBreak = text.find_first_of("\r\n");
    if (lineBreak != std::string::npos) text.erase(lineBreak);
  }
  InsertText(text);
}

void TcxCustomTextEdit::InsertText(const std::string& AText) {
  TcxTextInputStyle style = inputStyle();
  if (IsUserChange() && style == tisNoEdit) return;
  if (style == tisFixedList || style == tisNoEdit) SelectAllText();
  const std::string text = GetDisplayText();
  const Integer selStart = std::min<Integer>(GetSelectionStart(), static_cast<Integer>(text.size()));
  const Integer selLength =
      std::min<Integer>(GetSelectionLength(), static_cast<Integer>(text.size()) - selStart);
  const std::string before = text.substr(0, static_cast<size_t>(selStart));
  const std::string after = text.substr(static_cast<size_t>(selStart + selLength));
  const Integer maxLength = GetActiveTextProperties()->GetMaxLength();
  std::string newText;
  Integer caret = 0;
  if (IsUserChange() && (style == tisFreeText || style == tisNoEdit) && maxLength > 0) {
    std::string head = cutToWideLength(before + AText, maxLength);
    if (static_cast<Integer>(head.size()) <= selStart) return;
    caret = static_cast<Integer>(head.size());
    newText = cutToWideLength(head + after, maxLength);
  } else if (style == tisFixedList) {
    newText = AText;
    caret = selStart + static_cast<Integer>(AText.size());
  } else {
    newText = before + AText + after;
    caret = selStart + static_cast<Integer>(AText.size());
  }
  if (TrySetDisplayText(newText)) SetSelection(std::min<Integer>(caret, static_cast<Integer>(newText.size())), 0);
}

void TcxCustomTextEdit::SetTextAsUserInput(const std::string& AText) {
  if (!RequestEditing()) return;
  SetText(AText);
  SetModifiedAfterEnter(true);
}

void TcxCustomTextEdit::SetSelectionStart(Integer Value) {
  if (inputStyle() != tisNoEdit && FInnerTextEdit) FInnerTextEdit->SetSelStart(Value);
}

void TcxCustomTextEdit::SetSelectionLength(Integer Value) {
  if (inputStyle() != tisNoEdit && FInnerTextEdit) FInnerTextEdit->SetSelLength(Value);
}

Integer TcxCustomTextEdit::GetSelectionStart() {
  TcxTextInputStyle style = inputStyle();
  if (!FInnerTextEdit || style == tisNoEdit || (style == tisFixedList && !FLookupMatchMark)) return 0;
  return FInnerTextEdit->GetSelStart();
}

Integer TcxCustomTextEdit::GetSelectionLength() {
  TcxTextInputStyle style = inputStyle();
  if (!FInnerTextEdit || style == tisNoEdit || (style == tisFixedList && !FLookupMatchMark)) return 0;
  return FInnerTextEdit->GetSelLength();
}

std::string TcxCustomTextEdit::SelText() { return FInnerTextEdit ? FInnerTextEdit->GetSelText() : std::string(); }

Integer TcxCustomTextEdit::GetCaretCharIndex() {
  auto* inner = dynamic_cast<TcxCustomInnerTextEdit*>(InnerEdit());
  return inner ? inner->GetCaretCharIndex() : 0;
}

void TcxCustomTextEdit::LookupKeyToEditValue(const Variant& AKey, Variant& AValue) {
  std::string text;
  if (FLookupData) FLookupData->GetKeyText(AKey, text);
  ConvertDisplayToEditValue(Variant(text), AValue, false);
}

void TcxCustomTextEdit::ResetLookupHighlight() {
  if (GetActiveTextProperties()->UsesLookupData()) SetLookupMatchMark(false);
}

void TcxCustomTextEdit::SetLookupMatchMark(bool Value) {
  if (!HandleAllocated() || Value == FLookupMatchMark) return;
  FLookupMatchMark = Value;
  CalculateViewInfoAtCursor();
  RefreshDrawnText();
}

void TcxCustomTextEdit::ApplyLookupSelection(TObject* Sender) {
  if (!FLookupData) return;
  Variant key;
  FLookupData->GetKeyValue(key);
  Variant value;
  LookupKeyToEditValue(key, value);
  const bool differs = VarType(value) != VarType(FEditValue) || !cxVariantsEqual(value, FEditValue);
  if (differs && !RequestEditing()) return;
  {
    PushModifiedState();
    ScopeExit pop([this] { PopModifiedState(); });
    SetInternalEditValue(value);
  }
  if (differs) SetModifiedAfterEnter(true);
  SelectAllText();
  RefreshAtCursor(false);
}

void TcxCustomTextEdit::postLookupChange(const Variant& AOldKey) {
  Variant key;
  FLookupData->GetKeyValue(key);
  if (VarType(key) == VarType(AOldKey) && cxVariantsEqual(key, AOldKey)) return;
  MarkModifiedAndClick();
  LockChangeEvents(true);
  ScopeExit unlock([this] { LockChangeEvents(false); });
  if (CanPostEditValue() && GetActiveProperties()->ImmediatePost() && ValidateInput(true)) {
    ScopedRestore<bool> posting(FLookupPosting);
    FLookupPosting = true;
    PostEditValue();
  }
}

void TcxCustomTextEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  TcxTextInputStyle style = inputStyle();
  if (style == tisFixedList && (Key == VK_LEFT || Key == VK_RIGHT || Key == VK_DELETE)) {
    SetLookupMatchMark(false);
    DoAfterKeyDown(Key, Shift);
    Key = 0;
    return;
  }
  if (FInnerTextEdit) FInnerTextEdit->SetKeyConsumed(true);
  const bool markBefore = FLookupMatchMark;
  const Word keyBefore = Key;
  TcxCustomEdit::DoEditKeyDown(Key, Shift);
  if (keyBefore == VK_RETURN && markBefore) SelectAllText();
  if (Key >= 33 && Key <= 46) {
    switch (Key) {
      case VK_LEFT:
      case VK_RIGHT:
        if (!Shift.Contains(ssShift) && GetSelectionLength() > 0 && FInnerTextEdit) {
          Integer start = GetSelectionStart();
          Integer caret = Key == VK_LEFT ? start : start + GetSelectionLength();
          FInnerTextEdit->SetSelStart(caret);
          FInnerTextEdit->SetSelLength(0);
          Key = 0;
        }
        SetLookupMatchMark(false);
        break;
      case VK_DELETE:
        if (style == tisListText) {
          DoAfterKeyDown(Key, Shift);
          Key = 0;
        } else {
          SetLookupMatchMark(false);
        }
        break;
      case VK_PRIOR:
      case VK_NEXT:
      case VK_UP:
      case VK_DOWN:
      case VK_HOME:
      case VK_END: {
        const bool homeEnd = Key == VK_HOME || Key == VK_END;
        if (homeEnd && style != tisFixedList) break;
        if (FLookupData && CanNavigateLookup(false) && !FLookupData->IsEmpty()) {
          Variant oldKey;
          FLookupData->GetKeyValue(oldKey);
          {
            LockClick(true);
            ScopeExit unlock([this] { LockClick(false); });
            TcxLookupNavigation direction = lnNext;
            switch (Key) {
              case VK_PRIOR: direction = Shift.Contains(ssCtrl) ? lnFirst : lnPageUp; break;
              case VK_NEXT: direction = Shift.Contains(ssCtrl) ? lnLast : lnPageDown; break;
              case VK_END: direction = lnLast; break;
              case VK_HOME: direction = lnFirst; break;
              case VK_UP: direction = lnPrevious; break;
              default: direction = lnNext; break;
            }
            FLookupData->Navigate(direction, false);
          }
          postLookupChange(oldKey);
          Key = 0;
        }
        if (!homeEnd && Key != 0 && !(FInnerTextEdit && FInnerTextEdit->IsMultiLine())) {
          DoAfterKeyDown(Key, Shift);
          Key = 0;
        }
        break;
      }
      default:
        break;
    }
  }
  if (Key == VK_END && GetSelectionLength() == 0 && style != tisFixedList) SetLookupMatchMark(false);
  if (Key != 0 && FInnerTextEdit) FInnerTextEdit->SetKeyConsumed(false);
}

bool TcxCustomTextEdit::CanCompleteByLookup() {
  TcxTextInputStyle style = inputStyle();
  bool met = style == tisListText || style == tisFixedList;
  if (!met) {
    const Integer length = static_cast<Integer>(GetDisplayText().size());
    met = GetSelectionLength() > 0 || (FInnerTextEdit && FInnerTextEdit->GetSelStart() == length) ||
          FLookupMatchMark;
  }
  if (!met) return false;
  TcxEditButtons* buttons = GetActiveProperties()->Buttons();
  return buttons->Count() > 0 && buttons->GetItem(0)->Visible();
}

bool TcxCustomTextEdit::LookupText(std::string& ASearchText) {
  const char ime = FInnerTextEdit ? FInnerTextEdit->GetImeLastChar() : '\0';
  if (ime != '\0') ASearchText += ime;
  std::string tail;
  bool found = FLookupData && FLookupData->FindMatch(ASearchText, tail, false);
  if (found && ime != '\0' && !ASearchText.empty()) {
    tail.insert(tail.begin(), ASearchText.back());
    ASearchText.pop_back();
  }
  FLookupMatchMark = found;
  if (ASearchText.empty()) {
    if (inputStyle() != tisFixedList) InternalSetDisplayValue(Variant(std::string()));
    FLookupMatchMark = false;
  }
  if (found) {
    DataBinding()->SetDisplayValue(Variant(ASearchText + tail));
    SetSelection(static_cast<Integer>(ASearchText.size()), static_cast<Integer>(tail.size()));
  }
  RefreshDrawnText();
  return found;
}

void TcxCustomTextEdit::DoEditKeyPress(char& Key) {
  if (FInnerTextEdit) FInnerTextEdit->SetKeyConsumed(true);
  TcxCustomEdit::DoEditKeyPress(Key);
  if (Key == 0) return;
  FLookupTyping = false;
  SetUserChange(true);
  ScopeExit clearUserChange([this] { SetUserChange(false); });
  TcxTextInputStyle style = inputStyle();
  TcxCustomTextEditProperties* properties = GetActiveTextProperties();
  if (style == tisFixedList && !properties->FixedListIncrementalSearch() && Key == '\b') {
    Key = 0;
    SetLookupMatchMark(false);
  }
  Variant oldKey;
  if (FLookupData) FLookupData->GetKeyValue(oldKey);
  const bool oldMark = FLookupMatchMark;
  bool found = false;
  {
    LockClick(true);
    ScopeExit unlock([this] { LockClick(false); });
    if (Key == '\b' && FLookupData) {
      const std::string text = GetDisplayText();
      if (style == tisListText && !text.empty() && !FLookupMatchMark && FInnerTextEdit) {
        Integer caret = FInnerTextEdit->GetSelStart();
        FInnerTextEdit->SetSelLength(static_cast<Integer>(text.size()) - caret);
        FLookupMatchMark = true;
      }
      if (FLookupMatchMark) {
        std::string search = text.substr(0, static_cast<size_t>(std::min<Integer>(
                                                 GetSelectionStart(), static_cast<Integer>(text.size()))));
        if (!search.empty()) {
          size_t cut = 1;
          if (search.size() >= 2 && IsDBCSLeadByte(static_cast<BYTE>(search[search.size() - 2]))) cut = 2;
          search.erase(search.size() - cut);
        }
        FLookupTyping = true;
        found = LookupText(search);
      }
      if (style == tisFixedList) Key = 0;
    } else if (static_cast<unsigned char>(Key) > 31 && FLookupData && CanCompleteByLookup()) {
      FLookupTyping = true;
      const std::string text = GetDisplayText();
      std::string search;
      if (GetSelectionLength() > 0) {
        search = text.substr(0, static_cast<size_t>(GetSelectionStart())) + Key;
      } else if (style != tisFixedList) {
        Integer caret = FInnerTextEdit ? std::min<Integer>(FInnerTextEdit->GetSelStart(), text.size()) : 0;
        search = text;
        search.insert(static_cast<size_t>(caret), 1, Key);
      } else if (FLookupMatchMark) {
        search = text + Key;
        found = LookupText(search);
        if (!found) search = std::string(1, Key);
      } else {
        search = std::string(1, Key);
      }
      if (!found) found = LookupText(search);
      if (!found && style == tisFixedList && !properties->FixedListIncrementalSearch()) {
        search = std::string(1, Key);
        found = LookupText(search);
      }
    }
    if (static_cast<unsigned char>(Key) > 31 && FLookupData && !found) {
      if (style == tisListText) {
        Key = 0;
        if (!GetDisplayText().empty()) SetLookupMatchMark(true);
      } else if (style == tisFixedList) {
        Key = 0;
        if (properties->FixedListIncrementalSearch() && oldMark) SetLookupMatchMark(true);
      }
    }
  }
  SetUserChange(false);
  if (FLookupData) {
    Variant key;
    FLookupData->GetKeyValue(key);
    if (VarType(key) != VarType(oldKey) || !cxVariantsEqual(key, oldKey)) {
      MarkModifiedAndClick();
      LockChangeEvents(true);
      ScopeExit unlock([this] { LockChangeEvents(false); });
      if (found && CanPostEditValue() && properties->ImmediatePost() && ValidateInput(true)) {
        const bool mark = FLookupMatchMark;
        {
          ScopedRestore<bool> posting(FLookupPosting);
          FLookupPosting = true;
          PostEditValue();
        }
        SetLookupMatchMark(mark);
      }
    }
  }
  if (found)
    Key = 0;
  else if (FInnerTextEdit)
    FInnerTextEdit->SetKeyConsumed(false);
}

void TcxCustomTextEdit::KeyPress(char& Key) {
  if (Key == '\x1b' && FDropDownClosedByKey && !HasPopupWindow()) FDropDownClosedByKey = false;
  TcxCustomEdit::KeyPress(Key);
}

void TcxCustomTextEdit::DoExit() {
  TcxCustomEdit::DoExit();
  SetLookupMatchMark(false);
}

bool TcxCustomTextEdit::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (TcxCustomEdit::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (!FLookupData || !CanNavigateLookup(true) || HasPopupWindow() || FLookupData->IsEmpty() ||
      !CanUseMouseWheel(Shift))
    return false;
  if (RequestEditing()) {
    Variant oldKey;
    FLookupData->GetKeyValue(oldKey);
    {
      LockChangeEvents(true);
      ScopeExit unlockChanges([this] { LockChangeEvents(false); });
      LockClick(true);
      ScopeExit unlock([this] { LockClick(false); });
      FLookupData->Navigate(WheelDelta > 0 ? lnPrevious : lnNext, false);
    }
    postLookupChange(oldKey);
  }
  return true;
}

void TcxCustomTextEdit::WMGetText(TMessage& Message) {
  auto size = static_cast<Integer>(Message.WParam);
  auto* buffer = reinterpret_cast<char*>(Message.LParam);
  if (size < 1 || !buffer) {
    Message.Result = 0;
    return;
  }
  const std::string text = GetControlText();
  const Integer count = std::min<Integer>(size - 1, static_cast<Integer>(text.size()));
  std::memcpy(buffer, text.data(), static_cast<size_t>(count));
  buffer[count] = '\0';
  Message.Result = count;
}

void TcxCustomTextEdit::WMGetTextLength(TMessage& Message) {
  Message.Result = static_cast<LRESULT>(GetControlText().size());
}

void TcxCustomTextEdit::WMSetText(TMessage& Message) {
  if (FSetTextPassThrough) {
    INHERITED_MESSAGE(Message);
    return;
  }
  const char* text = reinterpret_cast<const char*>(Message.LParam);
  Message.Result = SetControlText(text ? std::string(text) : std::string()) ? 1 : 0;
}

void TcxCustomTextEdit::WMClear(TMessage& Message) {
  // A user's deletion, for this message only.
  const bool userChange = IsUserChange();
  SetUserChange(true);
  ScopeExit restore([this, userChange] { SetUserChange(userChange); });
  if (!GetActiveProperties()->GetReadOnly()) DeleteSelection();
}
