#include "cx/editors/cxTextEdit.h"

#include "cx/editors/cxEditUtils.h"
#include "cx/foundation/cxEditConsts.h"
#include "cx/foundation/cxVariants.h"
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
