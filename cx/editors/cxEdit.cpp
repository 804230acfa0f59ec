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
// Edit buttons, style, view info, view data and the editor control.

RTL_BEGIN_CLASS(TcxEditButton)
  b.Property("Visible", &TcxEditButton::Visible, &TcxEditButton::SetVisible).Default(true);
RTL_END_CLASS

void TcxEditButton::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TcxEditButton*>(Source)) {
    SetVisible(src->Visible());
    return;
  }
  inherited::Assign(Source);
}

void TcxEditButton::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  Changed(false);
}

RTL_IMPLEMENT_CLASS(TcxEditButtons)

TcxEditButtons::TcxEditButtons(TPersistent* AOwner)
    : TCollection(TcxEditButton::StaticClass()), FOwner(AOwner) {}

void TcxEditButtons::Update(TCollectionItem* Item) {
  if (FOnChange) FOnChange(this);
}

RTL_IMPLEMENT_CLASS(TcxCustomEditStyle)
RTL_IMPLEMENT_CLASS(TcxCustomEditViewInfo)
RTL_IMPLEMENT_CLASS(TcxCustomEditViewData)

void TcxCustomEditViewData::GetEditSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                                        const TcxEditSizeProperties& AEditSizeProperties, TSize& ASize) {
  ASize.cx = 0;
  ASize.cy = 0;
}

RTL_IMPLEMENT_CLASS(TcxCustomEdit)

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
