#include "cx/editors/cxEdit.h"

#include "cx/foundation/cxEditConsts.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"

TList* cxEditPropertiesList = nullptr;

namespace {

TcxRegisteredClasses* editorRegistry = nullptr;

// Replaces a counted provider reference: the new one gains a reference before the old one
// loses its own, so that setting the same provider again never drops it.
void replaceProviderReference(IcxEditDefaultValuesProvider*& ACell, IcxEditDefaultValuesProvider* AValue) {
  if (AValue) AValue->_AddRef();
  IcxEditDefaultValuesProvider* old = ACell;
  ACell = AValue;
  if (old) old->_Release();
}

// The provider must not keep calling back into properties that no longer listen to it.
void detachProviderChangeEvent(IcxEditDefaultValuesProvider* AProvider, TObject* AListener) {
  if (!AProvider) return;
  TNotifyEvent event;
  AProvider->GetOnChanged(event);
  if (event.Assigned() && event.Data() == AListener) AProvider->SetOnChanged(TNotifyEvent());
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The neutral default-values provider.

RTL_BEGIN_CLASS(TcxCustomEditDefaultValuesProvider)
  b.Interface<IcxEditDefaultValuesProvider>();
RTL_END_CLASS

TcxCustomEditDefaultValuesProvider::~TcxCustomEditDefaultValuesProvider() {
  // No properties object may keep calling a freed provider; nothing may escape a destructor.
  try {
    DetachFromProperties();
  } catch (...) {
  }
}

void TcxCustomEditDefaultValuesProvider::Changed() {
  if (FOnChanged) FOnChanged(this);
}

void TcxCustomEditDefaultValuesProvider::DetachFromProperties() {
  if (!cxEditPropertiesList) return;
  for (Integer i = 0; i < cxEditPropertiesList->Count(); ++i) {
    auto* properties = static_cast<TcxCustomEditProperties*>(cxEditPropertiesList->Items(i));
    IcxEditDefaultValuesProvider* provider = properties->DefaultValuesProvider();
    if (provider && provider->GetInstance() == this) properties->SetDefaultValuesProvider(nullptr);
  }
}

RTL_IMPLEMENT_CLASS(TcxDataBinding)

// ---------------------------------------------------------------------------------------
// Edit buttons, style, view info, view data and the editor control.

RTL_BEGIN_CLASS(TcxEditButton)
  b.Property("Default", &TcxEditButton::Default, &TcxEditButton::SetDefault).Default(false);
  b.Property("Glyph", &TcxEditButton::GetGlyph, &TcxEditButton::SetGlyph).Stored(&TcxEditButton::IsGlyphStored);
  b.Property("Kind", &TcxEditButton::Kind, &TcxEditButton::SetKind).Default(bkDown);
  b.Property("LeftAlignment", &TcxEditButton::LeftAlignment, &TcxEditButton::SetLeftAlignment).Default(false);
  b.Property("Visible", &TcxEditButton::Visible, &TcxEditButton::SetVisible).Default(true);
  b.Property("Width", &TcxEditButton::Width, &TcxEditButton::SetWidth).Default(0);
RTL_END_CLASS

namespace {

// A button added as the first of an editor that is being designed (not loaded) becomes
// the default button.
bool isFirstDesignedButton(TCollection* ACollection) {
  if (!ACollection || ACollection->Count() != 1) return false;
  TComponent* owner = cxGetOwnerComponent(ACollection);
  return owner && owner->ComponentState().Contains(csDesigning) && !owner->ComponentState().Contains(csLoading);
}

}  // namespace

TcxEditButton::TcxEditButton(TCollection* Collection) : TCollectionItem(Collection) {
  // Made by the collection's Add, the button joins it only later (see TcxEditButtons::Notify).
  if (isFirstDesignedButton(Collection)) FDefault = true;
}

TcxEditButton::~TcxEditButton() { FreeAndNil(FGlyph); }

void TcxEditButton::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxEditButton*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  if (src == this) return;
  TCollection* collection = Collection();
  if (collection) collection->BeginUpdate();
  try {
    SetDefault(src->Default());
    SetGlyph(src->FGlyph);
    SetKind(src->Kind());
    SetLeftAlignment(src->LeftAlignment());
    SetVisible(src->Visible());
    SetWidth(src->Width());
  } catch (...) {
    if (collection) collection->EndUpdate();
    throw;
  }
  if (collection) collection->EndUpdate();
}

void TcxEditButton::SetDefault(bool Value) {
  if (Value) {
    if (TCollection* collection = Collection())
      for (Integer i = 0; i < collection->Count(); ++i) {
        auto* other = static_cast<TcxEditButton*>(collection->Items(i));
        if (other == this || !other->FDefault) continue;
        other->FDefault = false;
        other->Changed(true);
      }
  }
  if (FDefault == Value) return;
  FDefault = Value;
  Changed(true);
}

TBitmap* TcxEditButton::GetGlyph() {
  if (!FGlyph) {
    FGlyph = New<TBitmap>();
    FGlyph->SetOnChange(TNotifyEvent(this, &TcxEditButton::GlyphChanged));
  }
  return FGlyph;
}

void TcxEditButton::SetGlyph(TBitmap* Value) {
  if (!Value) {
    FreeAndNil(FGlyph);
  } else if (Value != FGlyph) {
    TBitmap* glyph = GetGlyph();
    // The copy's own change notices are folded into the one below.
    glyph->SetOnChange(TNotifyEvent());
    try {
      glyph->Assign(Value);
    } catch (...) {
      glyph->SetOnChange(TNotifyEvent(this, &TcxEditButton::GlyphChanged));
      throw;
    }
    glyph->SetOnChange(TNotifyEvent(this, &TcxEditButton::GlyphChanged));
  }
  Changed(false);
}

void TcxEditButton::SetKind(TcxEditButtonKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  Changed(false);
}

void TcxEditButton::SetLeftAlignment(bool Value) {
  if (FLeftAlignment == Value) return;
  FLeftAlignment = Value;
  Changed(false);
}

void TcxEditButton::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  Changed(false);
}

void TcxEditButton::SetWidth(Integer Value) {
  if (Value < 0 || FWidth == Value) return;
  FWidth = Value;
  Changed(false);
}

RTL_IMPLEMENT_CLASS(TcxEditButtons)

TcxEditButtons::TcxEditButtons(TPersistent* AOwner)
    : TCollection(TcxEditButton::StaticClass()), FOwner(AOwner) {}

Integer TcxEditButtons::GetVisibleCount() const {
  Integer result = 0;
  for (Integer i = 0; i < Count(); ++i)
    if (GetItem(i)->Visible()) ++result;
  return result;
}

void TcxEditButtons::CollectionChanged(TCollectionItem* Item) {
  if (FOnChange) FOnChange(this);
}

void TcxEditButtons::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  inherited::Notify(Item, Action);
  // A button built by Add joins the collection after its constructor ran.
  if (Action != cnAdded) return;
  if (auto* button = dynamic_cast<TcxEditButton*>(Item))
    if (isFirstDesignedButton(this)) button->FDefault = true;
}

// ---------------------------------------------------------------------------------------
// TcxCustomEditStyle, TcxEditStyle, TcxEditStyleController.

RTL_IMPLEMENT_CLASS(TcxCustomEditStyle)

RTL_BEGIN_CLASS(TcxEditStyle)
  b.Property("AssignedValues", &TcxEditStyle::GetAssignedValues, &TcxEditStyle::SetAssignedValues).Stored(false);
  b.Property("BorderStyle", &TcxEditStyle::GetBorderStyle,
             static_cast<void (TcxCustomEditStyle::*)(TcxEditBorderStyle)>(&TcxEditStyle::SetBorderStyle))
      .Stored(&TcxEditStyle::IsBorderStyleStored);
  b.Property("ButtonStyle", &TcxEditStyle::GetButtonStyle, &TcxEditStyle::SetButtonStyle)
      .Stored(&TcxEditStyle::IsButtonStyleStored);
  b.Property("ButtonTransparency", &TcxEditStyle::GetButtonTransparency, &TcxEditStyle::SetButtonTransparency)
      .Stored(&TcxEditStyle::IsButtonTransparencyStored);
  b.Property("PopupBorderStyle", &TcxEditStyle::GetPopupBorderStyle, &TcxEditStyle::SetPopupBorderStyle)
      .Stored(&TcxEditStyle::IsPopupBorderStyleStored);
  b.Property("StyleController", &TcxEditStyle::GetStyleController,
             static_cast<void (TcxCustomEditStyle::*)(TcxEditStyleController*)>(&TcxEditStyle::SetStyleController));
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxEditStyleController)
  b.Property("Style", &TcxEditStyleController::GetStyle, &TcxEditStyleController::SetStyle);
  b.Property("OnStyleChanged", &TcxEditStyleController::OnStyleChanged, &TcxEditStyleController::SetOnStyleChanged);
RTL_END_CLASS

TcxCustomEditStyle::TcxCustomEditStyle(TPersistent* AOwner, bool AIsInplace) : TcxContainerStyle(AOwner, AIsInplace) {
  FPopupCloseButton = true;
}

void TcxCustomEditStyle::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxCustomEditStyle*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  if (src == this) return;
  BeginUpdate();
  try {
    // Their assigned flags come with the container's assigned values.
    FButtonStyle = src->FButtonStyle;
    FButtonTransparency = src->FButtonTransparency;
    FPopupBorderStyle = src->FPopupBorderStyle;
    FPopupCloseButton = src->FPopupCloseButton;
    inherited::Assign(Source);
    Changed();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TColor TcxCustomEditStyle::GetVisibleColor() {
  if (IsInplace()) return inherited::GetVisibleColor();
  TColor value;
  if (FindAssignedColor(value)) return value;
  TcxCustomEdit* edit = GetOwnerEdit();
  if (edit && edit->ParentColor() && edit->Parent()) return edit->Parent()->Color();
  return DefaultColor();
}

bool TcxCustomEditStyle::IsValueAssigned(TcxContainerStyleValue AValue) {
  switch (static_cast<Integer>(AValue)) {
    case svButtonStyle: {
      TcxEditButtonStyle value;
      return FindButtonStyle(value);
    }
    case svButtonTransparency: {
      TcxEditButtonTransparency value;
      return FindButtonTransparency(value);
    }
    case svPopupBorderStyle: {
      TcxEditPopupBorderStyle value;
      return FindPopupBorderStyle(value);
    }
    default: return inherited::IsValueAssigned(AValue);
  }
}

bool TcxCustomEditStyle::GetStyleValueName(TcxContainerStyleValue AValue, std::string& AName) {
  switch (static_cast<Integer>(AValue)) {
    case svButtonStyle: AName = "ButtonStyle"; return true;
    case svButtonTransparency: AName = "ButtonTransparency"; return true;
    case svPopupBorderStyle: AName = "PopupBorderStyle"; return true;
    default: return inherited::GetStyleValueName(AValue, AName);
  }
}

template <class V>
bool TcxCustomEditStyle::findEditValue(TcxContainerStyleValue AValue, V TcxCustomEditStyle::*AField, V& AResult) {
  // Only an editor style can hold an editor value; a plain container style in the chain
  // that claims one has nothing to give.
  auto* style = dynamic_cast<TcxCustomEditStyle*>(findAssigning(AValue));
  if (style) AResult = style->*AField;
  return style != nullptr;
}

template <class V>
V TcxCustomEditStyle::valueInEffect(TcxContainerStyleValue AValue, V TcxCustomEditStyle::*AField, V ADefault) {
  if (IsInplace()) return OwnAssignedValues().Contains(AValue) ? this->*AField : ADefault;
  V value;
  return findEditValue(AValue, AField, value) ? value : ADefault;
}

bool TcxCustomEditStyle::FindButtonStyle(TcxEditButtonStyle& AValue) {
  return findEditValue(svButtonStyle, &TcxCustomEditStyle::FButtonStyle, AValue);
}

bool TcxCustomEditStyle::FindButtonTransparency(TcxEditButtonTransparency& AValue) {
  return findEditValue(svButtonTransparency, &TcxCustomEditStyle::FButtonTransparency, AValue);
}

bool TcxCustomEditStyle::FindPopupBorderStyle(TcxEditPopupBorderStyle& AValue) {
  return findEditValue(svPopupBorderStyle, &TcxCustomEditStyle::FPopupBorderStyle, AValue);
}

TcxEditButtonStyle TcxCustomEditStyle::GetButtonStyle() {
  return valueInEffect(svButtonStyle, &TcxCustomEditStyle::FButtonStyle, DefaultButtonStyle());
}

void TcxCustomEditStyle::SetButtonStyle(TcxEditButtonStyle Value) {
  assignValue(FButtonStyle, Value, svButtonStyle);
}

TcxEditButtonTransparency TcxCustomEditStyle::GetButtonTransparency() {
  return valueInEffect(svButtonTransparency, &TcxCustomEditStyle::FButtonTransparency, DefaultButtonTransparency());
}

void TcxCustomEditStyle::SetButtonTransparency(TcxEditButtonTransparency Value) {
  assignValue(FButtonTransparency, Value, svButtonTransparency);
}

TcxEditPopupBorderStyle TcxCustomEditStyle::GetPopupBorderStyle() {
  return valueInEffect(svPopupBorderStyle, &TcxCustomEditStyle::FPopupBorderStyle, DefaultPopupBorderStyle());
}

void TcxCustomEditStyle::SetPopupBorderStyle(TcxEditPopupBorderStyle Value) {
  assignValue(FPopupBorderStyle, Value, svPopupBorderStyle);
}

void TcxCustomEditStyle::SetPopupCloseButton(bool Value) {
  if (FPopupCloseButton == Value) return;
  FPopupCloseButton = Value;
  Changed();
}

TcxEditStyleController* TcxCustomEditStyle::GetStyleController() {
  return dynamic_cast<TcxEditStyleController*>(StyleController());
}

void TcxCustomEditStyle::SetStyleController(TcxEditStyleController* Value) {
  TcxContainerStyle::SetStyleController(Value);
}

TcxCustomEdit* TcxCustomEditStyle::GetOwnerEdit() const { return dynamic_cast<TcxCustomEdit*>(Owner()); }

RTL_IMPLEMENT_CLASS(TcxCustomEditViewInfo)
RTL_IMPLEMENT_CLASS(TcxCustomEditViewData)

void TcxCustomEditViewData::GetEditSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                                        const TcxEditSizeProperties& AEditSizeProperties, TSize& ASize) {
  ASize.cx = 0;
  ASize.cy = 0;
}

RTL_IMPLEMENT_CLASS(TcxCustomEdit)

TcxContainerStyleValues TcxCustomEdit::GetUnusedStyleValues() {
  return TcxContainerStyleValues{svButtonStyle, svButtonTransparency, svPopupBorderStyle};
}

// ---------------------------------------------------------------------------------------
// TcxCustomEditPropertiesValues.

RTL_BEGIN_CLASS(TcxCustomEditPropertiesValues)
  b.Property("ReadOnly", &TcxCustomEditPropertiesValues::ReadOnly, &TcxCustomEditPropertiesValues::SetReadOnly)
      .Default(false);
RTL_END_CLASS

void TcxCustomEditPropertiesValues::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TcxCustomEditPropertiesValues*>(Source)) {
    FReadOnly = src->ReadOnly();
    return;
  }
  inherited::Assign(Source);
}

void TcxCustomEditPropertiesValues::RestoreDefaults() { FReadOnly = false; }

// ---------------------------------------------------------------------------------------
// TcxEditAlignment.

RTL_BEGIN_CLASS(TcxEditAlignment)
  b.Property("Horz", &TcxEditAlignment::Horz, &TcxEditAlignment::SetHorz)
      .NoDefaultValue()
      .Stored(&TcxEditAlignment::IsHorzAssigned);
  b.Property("Vert", &TcxEditAlignment::Vert, &TcxEditAlignment::SetVert)
      .NoDefaultValue()
      .Stored(&TcxEditAlignment::IsVertStored);
RTL_END_CLASS

void TcxEditAlignment::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TcxEditAlignment*>(Source)) {
    FVert = src->FVert;
    FHorz = src->FHorz;
    FIsHorzAssigned = src->FIsHorzAssigned;
    DoChanged();
    return;
  }
  inherited::Assign(Source);
}

TPersistent* TcxEditAlignment::GetOwner() { return FOwner; }

void TcxEditAlignment::SetHorz(TAlignment Value) {
  if (FIsHorzAssigned && FHorz == Value) return;
  FHorz = Value;
  FIsHorzAssigned = true;
  DoChanged();
}

void TcxEditAlignment::SetIsHorzAssigned(bool Value) {
  if (FIsHorzAssigned == Value) return;
  FIsHorzAssigned = Value;
  DoChanged();
}

void TcxEditAlignment::SetVert(TcxEditVertAlignment Value) {
  if (FVert == Value) return;
  FVert = Value;
  DoChanged();
}

void TcxEditAlignment::DoChanged() {
  if (FOnChanged) FOnChanged(this);
}

// ---------------------------------------------------------------------------------------
// TcxCustomEditProperties: life.

RTL_IMPLEMENT_CLASS(TcxCustomEditProperties)

TcxCustomEditProperties::TcxCustomEditProperties(TPersistent* AOwner) : TcxInterfacedPersistent(AOwner) {
  if (cxEditPropertiesList) cxEditPropertiesList->Add(this);
  try {
    FFreeNotificator = New<TcxFreeNotificator>(nullptr);
    FFreeNotificator->SetOnFreeNotification(
        TcxFreeNotificator::TFreeNotificationEvent(this, &TcxCustomEditProperties::ComponentFreed));
    FIAlignment = New<TcxEditAlignment>(this);
    FIAlignment->SetOnChanged(TNotifyEvent(this, &TcxCustomEditProperties::AlignmentChanged));
    FButtons = New<TcxEditButtons>(this);
    FButtons->SetOnChange(TNotifyEvent(this, &TcxCustomEditProperties::ButtonsChanged));
    FAlignment = New<TcxEditAlignment>(this);
  } catch (...) {
    FreeAndNil(FAlignment);
    FreeAndNil(FButtons);
    FreeAndNil(FIAlignment);
    FreeAndNil(FFreeNotificator);
    if (cxEditPropertiesList) cxEditPropertiesList->Remove(this);
    throw;
  }
}

void TcxCustomEditProperties::AfterConstruction() {
  inherited::AfterConstruction();
  // The class's own answers are reachable only now.
  FAssignedValues = static_cast<TcxCustomEditPropertiesValues*>(GetAssignedValuesClass()->CreateInstance());
  FUseLeftAlignmentOnEditing = DefaultUseLeftAlignmentOnEditing();
}

TcxCustomEditProperties::~TcxCustomEditProperties() {
  detachProviderChangeEvent(FDefaultValuesProvider, this);
  replaceProviderReference(FDefaultValuesProvider, nullptr);
  FreeAndNil(FButtons);
  FreeAndNil(FAlignment);
  FreeAndNil(FAssignedValues);
  FreeAndNil(FIAlignment);
  FreeAndNil(FFreeNotificator);
  if (cxEditPropertiesList) cxEditPropertiesList->Remove(this);
}

void TcxCustomEditProperties::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxCustomEditProperties*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  // Copying onto itself would empty the buttons before reading them.
  if (src == this) return;
  BeginUpdate();
  try {
    SetAutoSelect(src->AutoSelect());
    FButtons->Assign(src->Buttons());
    FBeepOnError = src->BeepOnError();
    FClearKey = src->ClearKey();
    FClickKey = src->ClickKey();
    FUseLeftAlignmentOnEditing = src->UseLeftAlignmentOnEditing();
    // The provider is shared as it is; its change event keeps its listener.
    replaceProviderReference(FDefaultValuesProvider, src->DefaultValuesProvider());
    SetAlignment(src->GetAlignment());
    FAssignedValues->SetReadOnly(false);
    if (src->IsReadOnlyStored()) SetReadOnly(src->GetReadOnly());
    FImmediatePost = src->ImmediatePost();
    FUseMouseWheel = src->UseMouseWheel();
    FValidateOnEnter = src->ValidateOnEnter();
    FOnButtonClick = src->OnButtonClick();
    FOnChange = src->OnChange();
    FOnEditValueChanged = src->OnEditValueChanged();
    FOnValidate = src->OnValidate();
  } catch (...) {
    EndUpdate(true);
    throw;
  }
  EndUpdate(true);
}

// ---------------------------------------------------------------------------------------
// TcxCustomEditProperties: change notification.

void TcxCustomEditProperties::Changed() {
  if (IsChangeLocked()) return;
  if (auto* owner = dynamic_cast<TComponent*>(GetOwner()))
    if (owner->ComponentState().Contains(csDestroying)) return;
  if (FOnPropertiesChanged) FOnPropertiesChanged(this);
}

void TcxCustomEditProperties::EndUpdate(bool AInvoke) {
  if (FLockCount <= 0) return;
  --FLockCount;
  if (FLockCount == 0 && AInvoke) Changed();
}

void TcxCustomEditProperties::ButtonsChanged(TObject* Sender) { Changed(); }

// ---------------------------------------------------------------------------------------
// TcxCustomEditProperties: alignment.

void TcxCustomEditProperties::AlignmentChanged(TObject* Sender) {
  FAlignment->Assign(FIAlignment);
  Changed();
}

void TcxCustomEditProperties::SetAlignment(TcxEditAlignment* Value) {
  FAlignment->Assign(Value);
  Changed();
}

TcxEditAlignment* TcxCustomEditProperties::GetAlignment() {
  // The shown alignment is refilled silently, then listens again; it listens again also
  // when asking the provider fails.
  FIAlignment->SetOnChanged(TNotifyEvent());
  try {
    FIAlignment->Assign(FAlignment);
    TComponent* ownerComponent = cxGetOwnerComponent(this);
    const bool writingStored =
        IsAlignmentStored() && ownerComponent && ownerComponent->ComponentState().Contains(csWriting);
    // An unassigned Horz shows what the bound data suggests, without counting as assigned.
    if (!writingStored && !FAlignment->IsHorzAssigned()) FIAlignment->FHorz = GetDefaultHorzAlignment();
  } catch (...) {
    FIAlignment->SetOnChanged(TNotifyEvent(this, &TcxCustomEditProperties::AlignmentChanged));
    throw;
  }
  FIAlignment->SetOnChanged(TNotifyEvent(this, &TcxCustomEditProperties::AlignmentChanged));
  return FIAlignment;
}

bool TcxCustomEditProperties::IsAlignmentStored() const {
  return FAlignment->IsHorzAssigned() || FAlignment->Vert() != taTopJustify;
}

TAlignment TcxCustomEditProperties::GetDefaultHorzAlignment() {
  if (FDefaultValuesProvider) return FDefaultValuesProvider->DefaultAlignment();
  return FIAlignment->Horz();
}

// ---------------------------------------------------------------------------------------
// TcxCustomEditProperties: read-only state and settings.

bool TcxCustomEditProperties::GetReadOnly() {
  if (FAssignedValues->ReadOnly()) return FReadOnly;
  if (FDefaultValuesProvider) return FDefaultValuesProvider->DefaultReadOnly();
  return false;
}

void TcxCustomEditProperties::SetReadOnly(bool Value) {
  if (FAssignedValues->ReadOnly() && FReadOnly == Value) return;
  FAssignedValues->SetReadOnly(true);
  FReadOnly = Value;
  Changed();
}

bool TcxCustomEditProperties::CanModify() {
  if (FAssignedValues->ReadOnly() && !FReadOnly) return true;
  const bool readOnly = GetReadOnly();
  if (!readOnly && FDefaultValuesProvider) return FDefaultValuesProvider->DefaultCanModify();
  return !readOnly;
}

void TcxCustomEditProperties::SetAutoSelect(bool Value) {
  if (FAutoSelect == Value) return;
  FAutoSelect = Value;
  Changed();
}

void TcxCustomEditProperties::SetUseLeftAlignmentOnEditing(bool Value) {
  if (FUseLeftAlignmentOnEditing == Value) return;
  FUseLeftAlignmentOnEditing = Value;
  Changed();
}

void TcxCustomEditProperties::RestoreDefaults() {
  FAlignment->SetIsHorzAssigned(false);
  FAssignedValues->RestoreDefaults();
  Changed();
}

TcxEditSupportedOperations TcxCustomEditProperties::GetCapabilities() {
  return FButtons->Count() > 0 ? esoEditing : 0;
}

// ---------------------------------------------------------------------------------------
// TcxCustomEditProperties: data binding and display.

void TcxCustomEditProperties::SetDefaultValuesProvider(IcxEditDefaultValuesProvider* Value) {
  if (Value != FDefaultValuesProvider) detachProviderChangeEvent(FDefaultValuesProvider, this);
  replaceProviderReference(FDefaultValuesProvider, Value);
  // Properties of repository items and grid items only keep the reference.
  if (!dynamic_cast<TcxCustomEdit*>(GetOwner())) return;
  if (Value) Value->SetOnChanged(TNotifyEvent(this, &TcxCustomEditProperties::ProviderChanged));
  Changed();
}

bool TcxCustomEditProperties::HasDataDisplayFormat(bool AFocused) {
  if (AFocused) return false;
  const TcxEditDisplayFormatOptions options = GetDisplayFormatOptions();
  if (!(options & dfoSupports) || !FDefaultValuesProvider) return false;
  return FDefaultValuesProvider->HasDisplayFormat(!(options & dfoNoCurrencyValue));
}

bool TcxCustomEditProperties::UsesDataDisplayText() {
  const TcxEditDisplayFormatOptions options = GetDisplayFormatOptions();
  return (options & dfoSupports) && GetEditValueKind(true) == evsValue && GetEditValueKind(false) == evsText &&
         FDefaultValuesProvider && FDefaultValuesProvider->HasDisplayFormat(!(options & dfoNoCurrencyValue));
}

void TcxCustomEditProperties::ConvertEditToDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                                                        bool AFocused) {
  ADisplayValue = AEditValue;
}

TcxCustomEditViewData* TcxCustomEditProperties::CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace) {
  const TcxCustomEditViewData::TCreateArgs args{this, AStyle, AIsInplace};
  return static_cast<TcxCustomEditViewData*>(
      GetViewDataClass()->CreateInstance(const_cast<TcxCustomEditViewData::TCreateArgs*>(&args)));
}

void TcxCustomEditProperties::GetEditSize(TcxCanvas* ACanvas, TcxCustomEditStyle* AStyle, bool AIsInplace,
                                          const Variant& AEditValue,
                                          const TcxEditSizeProperties& AEditSizeProperties, TSize& ASize) {
  TObjectPtr<TcxCustomEditViewData> viewData(CreateViewData(AStyle, AIsInplace));
  viewData->GetEditSize(ACanvas, AEditValue, AEditSizeProperties, ASize);
}

// ---------------------------------------------------------------------------------------
// TcxCustomEditProperties: validation.

void TcxCustomEditProperties::GetValidationErrorText(TcxEditValidationError AErrorKind, std::string& AText) {
  AText = cxGetResourceString(&scxEditInvalidInputError);
}

void TcxCustomEditProperties::ValidateDisplayValue(Variant& ADisplayValue, std::string& AErrorText, bool& AError,
                                                   TcxCustomEdit* AEdit) {
  if (!CanValidate()) return;
  if (AErrorText.empty()) GetValidationErrorText(0, AErrorText);
  DoValidate(ADisplayValue, AErrorText, AError, AEdit);
}

bool TcxCustomEditProperties::DoValidate(Variant& ADisplayValue, std::string& AErrorText, bool& AError,
                                         TcxCustomEdit* AEdit) {
  bool changed = false;
  if (!FOnValidate) return changed;
  const Variant saved = ADisplayValue;
  FOnValidate(AEdit, ADisplayValue, AErrorText, AError);
  if (AError) {
    // A handler may leave Null behind; it reads as an empty text here rather than failing.
    changed = AnsiCompareStr(VarToStr(ADisplayValue), VarToStr(saved)) != 0;
    if (!changed && AEdit) ADisplayValue = Variant(AEdit->GetDisplayText());
  }
  return changed;
}

// ---------------------------------------------------------------------------------------
// Routines and the unit's life.

TComponent* cxGetOwnerComponent(TPersistent* APersistent) {
  TPersistent* p = APersistent;
  while (p && !dynamic_cast<TComponent*>(p)) p = p->GetOwner();
  return static_cast<TComponent*>(p);
}

TcxRegisteredClasses* cxGetEditorRegistry() {
  if (!editorRegistry) editorRegistry = new TcxRegisteredClasses(false);
  return editorRegistry;
}

namespace cxEditUnit {

void Initialize() {
  if (!cxEditPropertiesList) cxEditPropertiesList = new TList();
}

void Finalize() {
  FreeAndNil(editorRegistry);
  FreeAndNil(cxEditPropertiesList);
}

}  // namespace cxEditUnit
