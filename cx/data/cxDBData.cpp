#include "cx/data/cxDBData.h"

#include <algorithm>
#include <exception>

#include "cx/foundation/cxVariants.h"
#include "platform/rtl/Scoped.h"
#include "platform/rtl/SysUtils.h"

RTL_IMPLEMENT_CLASS(TcxCustomDBEditDefaultValuesProvider)

TcxCustomDBEditDefaultValuesProvider::TcxCustomDBEditDefaultValuesProvider(TPersistent* AOwner)
    : TcxCustomEditDefaultValuesProvider(AOwner) {
  FFreeNotificator = New<TcxFreeNotificator>(nullptr);
  FFreeNotificator->SetOnFreeNotification(
      TcxFreeNotificator::TFreeNotificationEvent(this, &TcxCustomDBEditDefaultValuesProvider::fieldFreed));
}

TcxCustomDBEditDefaultValuesProvider::~TcxCustomDBEditDefaultValuesProvider() {
  // The field must not notify a freed notificator.
  if (FField) FFreeNotificator->RemoveSender(FField);
  FField = nullptr;
  FreeAndNil(FFreeNotificator);
}

void TcxCustomDBEditDefaultValuesProvider::SetField(TField* Value) {
  if (FField == Value) return;
  if (FField) FFreeNotificator->RemoveSender(FField);
  FField = Value;
  if (FField) FFreeNotificator->AddSender(FField);
}

void TcxCustomDBEditDefaultValuesProvider::fieldFreed(TComponent* Sender) {
  if (Sender == FField) FField = nullptr;
}

bool TcxCustomDBEditDefaultValuesProvider::IsDataAvailable() const {
  return FField && FField->DataSet() && FField->DataSet()->Active();
}

TAlignment TcxCustomDBEditDefaultValuesProvider::DefaultAlignment() {
  return IsDataAvailable() ? FField->Alignment() : taLeftJustify;
}

Integer TcxCustomDBEditDefaultValuesProvider::DefaultBlobKind() {
  if (!IsDataAvailable()) return 0;
  switch (FField->DataType()) {
    case ftMemo:
    case ftFmtMemo: return 3;
    case ftGraphic: return 2;
    case ftParadoxOle:
    case ftDBaseOle: return 4;
    default: return 0;
  }
}

bool TcxCustomDBEditDefaultValuesProvider::DefaultCanModify() {
  if (DefaultReadOnly()) return false;
  if (FField->CanModify()) return true;
  // A lookup field is edited through its key fields.
  if (!FField->Lookup()) return false;
  std::vector<TField*> keys = FField->DataSet()->GetFieldList(FField->KeyFields());
  if (keys.empty()) return false;
  for (TField* key : keys)
    if (!key->CanModify()) return false;
  return true;
}

void TcxCustomDBEditDefaultValuesProvider::DefaultDisplayFormat(std::string& AFormat) {
  auto* numeric = IsDataAvailable() ? dynamic_cast<TNumericField*>(FField) : nullptr;
  AFormat = numeric ? numeric->DisplayFormat() : std::string();
}

void TcxCustomDBEditDefaultValuesProvider::DefaultEditFormat(std::string& AFormat) {
  auto* numeric = IsDataAvailable() ? dynamic_cast<TNumericField*>(FField) : nullptr;
  AFormat = numeric ? numeric->EditFormat() : std::string();
}

void TcxCustomDBEditDefaultValuesProvider::DefaultEditMask(std::string& AMask) {
  AMask = IsDataAvailable() ? FField->EditMask() : std::string();
}

bool TcxCustomDBEditDefaultValuesProvider::DefaultIsFloatValue() {
  // Currency fields are float fields.
  return IsDataAvailable() && (dynamic_cast<TFloatField*>(FField) || dynamic_cast<TBCDField*>(FField));
}

Integer TcxCustomDBEditDefaultValuesProvider::DefaultMaxLength() {
  // Wide-string fields are string fields.
  return IsDataAvailable() && dynamic_cast<TStringField*>(FField) ? FField->Size() : 0;
}

long double TcxCustomDBEditDefaultValuesProvider::limit(bool AMax) {
  if (!IsDataAvailable()) return 0.0L;
  if (auto* integer = dynamic_cast<TIntegerField*>(FField)) return AMax ? integer->MaxValue() : integer->MinValue();
  if (auto* real = dynamic_cast<TFloatField*>(FField)) {
    // As many significant digits as the field shows.
    const double value = AMax ? real->MaxValue() : real->MinValue();
    return StrToFloat(FloatToStrF(value, ffGeneral, real->Precision(), 0));
  }
  if (auto* bcd = dynamic_cast<TBCDField*>(FField))
    return AMax ? bcd->MaxValue().ToExtended() : bcd->MinValue().ToExtended();
  return 0.0L;
}

long double TcxCustomDBEditDefaultValuesProvider::DefaultMaxValue() { return limit(true); }

long double TcxCustomDBEditDefaultValuesProvider::DefaultMinValue() { return limit(false); }

Integer TcxCustomDBEditDefaultValuesProvider::DefaultPrecision() {
  if (auto* real = dynamic_cast<TFloatField*>(FField)) return real->Precision();
  if (auto* bcd = dynamic_cast<TBCDField*>(FField)) return bcd->Precision();
  if (auto* aggregate = dynamic_cast<TAggregateField*>(FField)) return aggregate->Precision();
  if (auto* fmtBcd = dynamic_cast<TFMTBCDField*>(FField)) return fmtBcd->Precision();
  return 15;
}

bool TcxCustomDBEditDefaultValuesProvider::DefaultReadOnly() {
  return IsDataAvailable() ? FField->ReadOnly() : true;
}

bool TcxCustomDBEditDefaultValuesProvider::DefaultRequired() { return IsDataAvailable() && FField->Required(); }

bool TcxCustomDBEditDefaultValuesProvider::IsBlobValue() { return IsDataAvailable() && FField->IsBlob(); }

bool TcxCustomDBEditDefaultValuesProvider::HasDisplayFormat(bool AIsCurrencyValueAccepted) {
  if (!IsDataAvailable()) return false;
  if (FField->OnGetText()) return true;
  if (auto* real = dynamic_cast<TFloatField*>(FField))
    if (real->currency() && AIsCurrencyValueAccepted) return true;
  if (auto* bcd = dynamic_cast<TBCDField*>(FField))
    if (bcd->currency() && AIsCurrencyValueAccepted) return true;
  if (auto* fmtBcd = dynamic_cast<TFMTBCDField*>(FField))
    if (fmtBcd->currency() && AIsCurrencyValueAccepted) return true;
  if (auto* aggregate = dynamic_cast<TAggregateField*>(FField))
    return !aggregate->DisplayFormat().empty() || (aggregate->currency() && AIsCurrencyValueAccepted);
  if (auto* dateTime = dynamic_cast<TDateTimeField*>(FField)) return !dateTime->DisplayFormat().empty();
  if (auto* timeStamp = dynamic_cast<TSQLTimeStampField*>(FField)) return !timeStamp->DisplayFormat().empty();
  if (auto* numeric = dynamic_cast<TNumericField*>(FField)) return !numeric->DisplayFormat().empty();
  return false;
}

bool TcxCustomDBEditDefaultValuesProvider::HasGetTextHandler() {
  return IsDataAvailable() && FField->OnGetText().Assigned();
}

bool TcxCustomDBEditDefaultValuesProvider::IsValidChar(char AChar) {
  if (!IsDataAvailable()) return false;
  // A field whose text a handler makes may show any character.
  if (FField->OnGetText()) return true;
  return FField->IsValidChar(AChar);
}

// =======================================================================================
// Field utilities

namespace {

bool isBlobLikeType(TFieldType AType) {
  switch (AType) {
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftCursor:
    case ftADT:
    case ftArray:
    case ftReference:
    case ftDataSet: return true;
    default: return false;
  }
}

}  // namespace

bool cxIsMultipleFieldNames(const std::string& AFieldNames) {
  Integer pos = 1;
  ExtractFieldName(AFieldNames, pos);
  return pos <= static_cast<Integer>(AFieldNames.size());
}

Integer cxGetFieldNamesCount(const std::string& AFieldNames) {
  return static_cast<Integer>(splitFieldNames(AFieldNames).size());
}

void cxSplitFieldNames(const std::string& AFieldNames, TStrings* AFieldNameList) {
  AFieldNameList->Clear();
  for (const std::string& name : splitFieldNames(AFieldNames)) AFieldNameList->Add(name);
}

void cxGetFieldValues(TDataSet*, const std::vector<TField*>& AFields, Variant& AValue) {
  if (AFields.empty()) {
    AValue = Null();
  } else if (AFields.size() == 1) {
    AValue = AFields[0]->Value();
  } else {
    AValue = VarArrayCreate({0, static_cast<Integer>(AFields.size()) - 1}, varVariant);
    for (size_t i = 0; i < AFields.size(); ++i) AValue[static_cast<Integer>(i)] = AFields[i]->Value();
  }
}

void cxSetFieldValues(TDataSet*, const std::vector<TField*>& AFields, const Variant& AValue) {
  if (AFields.empty()) return;
  if (AFields.size() == 1) {
    AFields[0]->SetValue(AValue);
    return;
  }
  for (size_t i = 0; i < AFields.size(); ++i) AFields[i]->SetValue(AValue[static_cast<Integer>(i)]);
}

bool cxSameFieldName(const std::string& AName1, const std::string& AName2) {
  return AnsiUpperCase(AName1) == AnsiUpperCase(AName2);
}

void cxBracketFieldName(std::string& AFieldName) {
  if (!IsValidIdent(AFieldName)) AFieldName = "[" + AFieldName + "]";
}

void cxGetFieldFilterName(TField* AField, bool AIgnoreOrigin, std::string& AFieldName) {
  AFieldName.clear();
  if (!AField) return;
  if (!AIgnoreOrigin) AFieldName = AField->Origin();
  if (AFieldName.empty()) {
    AFieldName = AField->FieldName();
    cxBracketFieldName(AFieldName);
  }
}

bool cxFieldCanModify(TField* AField, TcxDataEditValueSource AEditValueSource) {
  if (!AField->CanModify()) return false;
  if (AEditValueSource == TcxDataEditValueSource::Value) return true;
  if (isBlobLikeType(AField->DataType())) return AField->OnSetText().Assigned();
  return true;
}

bool cxFieldNeedsDisplayText(TField* AField, bool AEditorNeedsText) {
  if (AField->OnGetText().Assigned() || !AField->EditMask().empty()) return true;
  if (isBlobLikeType(AField->DataType()) || AField->InheritsFrom(TBooleanField::StaticClass())) return AEditorNeedsText;
  if (auto* numeric = dynamic_cast<TNumericField*>(AField)) {
    if (!numeric->DisplayFormat().empty() || !numeric->EditFormat().empty()) return true;
    if (auto* f = dynamic_cast<TFloatField*>(AField)) return f->currency();
    if (auto* f = dynamic_cast<TBCDField*>(AField)) return f->currency();
    if (auto* f = dynamic_cast<TFMTBCDField*>(AField)) return f->currency();
    return false;
  }
  if (auto* f = dynamic_cast<TDateTimeField*>(AField)) return !f->DisplayFormat().empty();
  if (auto* f = dynamic_cast<TSQLTimeStampField*>(AField)) return !f->DisplayFormat().empty();
  if (auto* f = dynamic_cast<TAggregateField*>(AField)) return !f->DisplayFormat().empty() || f->currency();
  return false;
}

bool cxLookupKeyFieldsCanModify(TField* AField) {
  if (!AField->DataSet()) return false;
  std::vector<TField*> keys = AField->DataSet()->GetFieldList(AField->KeyFields());
  if (keys.empty()) return false;
  for (TField* key : keys)
    if (!key->CanModify()) return false;
  return true;
}

TcxValueTypeClass cxGetValueTypeClassByField(TField* AField) {
  if (!AField) return TcxStringValueType::Instance();
  switch (AField->DataType()) {
    case ftString: return TcxStringValueType::Instance();
    case ftSmallint: return TcxSmallintValueType::Instance();
    case ftInteger:
    case ftAutoInc: return TcxIntegerValueType::Instance();
    case ftWord: return TcxWordValueType::Instance();
    case ftBoolean: return TcxBooleanValueType::Instance();
    case ftFloat: return TcxFloatValueType::Instance();
    case ftCurrency:
    case ftBCD: return TcxCurrencyValueType::Instance();
    case ftDate:
    case ftTime:
    case ftDateTime: return TcxDateTimeValueType::Instance();
    case ftWideString: return TcxWideStringValueType::Instance();
    case ftLargeint: return TcxLargeIntValueType::Instance();
    case ftFMTBcd: return TcxFMTBcdValueType::Instance();
    default: return TcxVariantValueType::Instance();
  }
}

// =======================================================================================
// Adapter lists

RTL_IMPLEMENT_CLASS(TcxDBAdapterItem)
RTL_IMPLEMENT_CLASS(TcxDBAdapterList)

TcxDBAdapterList::~TcxDBAdapterList() { Clear(); }

bool TcxDBAdapterList::FindAdapter(TClass ADataSetClass, Integer& AIndex) {
  AIndex = -1;
  for (Integer i = Count() - 1; i >= 0; --i) {
    TClass registered = FItems[static_cast<size_t>(i)]->DataSetClass();
    if (ADataSetClass->InheritsFrom(registered)) {
      AIndex = i;
      return true;
    }
    if (registered->InheritsFrom(ADataSetClass)) AIndex = i;
  }
  return false;
}

void TcxDBAdapterList::RegisterAdapter(TClass ADataSetClass, TClass AAdapterClass) {
  auto* item = static_cast<TcxDBAdapterItem*>(AAdapterClass->CreateInstance(const_cast<TClassDesc*>(ADataSetClass)));
  Integer index;
  if (FindAdapter(ADataSetClass, index)) ++index;
  else if (index == -1) index = Count();
  FItems.insert(FItems.begin() + index, item);
}

void TcxDBAdapterList::UnregisterAdapter(TClass ADataSetClass, TClass AAdapterClass) {
  for (Integer i = Count() - 1; i >= 0; --i) {
    TcxDBAdapterItem* item = FItems[static_cast<size_t>(i)];
    if (item->DataSetClass() == ADataSetClass && item->ClassType() == AAdapterClass) {
      FItems.erase(FItems.begin() + i);
      item->Free();
    }
  }
}

TcxDBAdapterItem* TcxDBAdapterList::GetAdapter(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) throw EListError("List index out of bounds (" + IntToStr(AIndex) + ")");
  return FItems[static_cast<size_t>(AIndex)];
}

void TcxDBAdapterList::Clear() {
  while (!FItems.empty()) {
    TcxDBAdapterItem* item = FItems.back();
    FItems.pop_back();
    item->Free();
  }
}

// =======================================================================================
// The data-set data controller

RTL_IMPLEMENT_CLASS(TcxDBDataModeController)
RTL_IMPLEMENT_CLASS(TcxDBDataLink)
RTL_IMPLEMENT_CLASS(TcxDBDataField)
RTL_IMPLEMENT_CLASS(TcxValueDefDBReader)
RTL_IMPLEMENT_CLASS(TcxDBDataProvider)
RTL_IMPLEMENT_CLASS(TcxDBDataController)
RTL_BEGIN_CLASS(TcxDBDataSummaryItem)
  b.Property("FieldName", &TcxDBDataSummaryItem::FieldName, &TcxDBDataSummaryItem::SetFieldName);
RTL_END_CLASS

namespace {

// Every data-set provider, so that the providers on one data set can tell what the others
// are doing with it. Made with the first provider, freed with the last.
std::unique_ptr<std::vector<TcxDBDataProvider*>> gProviders;

bool isEditMode(TDataSet* ADataSet) { return ADataSet && dsEditModes.Contains(ADataSet->State()); }

// Disables a data set's controls for the scope (none without a data set).
auto disableControls(TDataSet* ADataSet) {
  if (ADataSet) ADataSet->DisableControls();
  return ScopeExit([ADataSet] {
    if (ADataSet) ADataSet->EnableControls();
  });
}

// Holds a provider in its locate state for the scope.
auto locating(TcxCustomDataProvider* AProvider) {
  AProvider->BeginLocate();
  return ScopeExit([AProvider] { AProvider->EndLocate(); });
}

TcxDBDataField* dbField(TcxCustomDataField* AField) { return static_cast<TcxDBDataField*>(AField); }

}  // namespace

// ---------------------------------------------------------------------------------------
// TcxDBDataModeController

void TcxDBDataModeController::Assign(TPersistent* ASource) {
  auto* source = dynamic_cast<TcxDBDataModeController*>(ASource);
  if (!source) {
    inherited::Assign(ASource);
    return;
  }
  SetGridModeBufferCount(source->FGridModeBufferCount);
  FSmartRefresh = source->FSmartRefresh;
  FSyncInsert = source->FSyncInsert;
  FDetailInSQLMode = source->FDetailInSQLMode;
  SetSyncMode(source->FSyncMode);
  SetGridMode(source->FGridMode);
}

void TcxDBDataModeController::SetGridMode(bool AValue) {
  if (FGridMode == AValue) return;
  FGridMode = AValue;
  if (FDataController) FDataController->RebuildStructure();
}

void TcxDBDataModeController::SetSyncMode(bool AValue) {
  if (FSyncMode == AValue) return;
  FSyncMode = AValue;
  if (FDataController && FDataController->DBProvider() && FDataController->DBProvider()->IsActive())
    FDataController->RefreshRowList();
}

// ---------------------------------------------------------------------------------------
// TcxDBDataLink

TcxDBDataLink::TcxDBDataLink(TcxDBDataProvider* AProvider) : FProvider(AProvider) { SetVisualControl(true); }

void TcxDBDataLink::BeginControllerInsert() {
  ScopedRestore<bool> inserting(FProvider->FInInserting);
  FProvider->FInInserting = true;
  FProvider->InsertOrAppend(FProvider->IsEOF());
}

void TcxDBDataLink::ActiveChanged() {
  if (FProvider->FDetaching) return;
  ScopedRestore<bool> flag(FProvider->FInActiveChange);
  FProvider->FInActiveChange = true;
  FProvider->ActiveChanged(Active());
}

void TcxDBDataLink::DataEvent(TDataEvent Event, NativeInt Info) {
  inherited::DataEvent(Event, Info);
  // The data set closed while its controls were disabled: the next change re-reads the
  // structure instead of the records.
  if (Event == deDisabledStateChange && Info == 0 && DataSet() && !DataSet()->Active()) FPendingLayout = true;
}

void TcxDBDataLink::DataSetChanged() {
  if (FProvider->FDetaching) return;
  if (FPendingLayout) {
    LayoutChanged();
    return;
  }
  FProvider->dataSetChanged();
}

void TcxDBDataLink::DataSetScrolled(Integer Distance) {
  if (!FProvider->FDetaching) FProvider->DataScrolled(Distance);
}

void TcxDBDataLink::EditingChanged() {
  if (!FProvider->FDetaching) FProvider->editingChanged();
}

void TcxDBDataLink::FocusControl(TField** Field) {
  if (FProvider->FDetaching || !*Field) return;
  TcxDBDataController* dc = FProvider->DBDataController();
  for (Integer i = 0; i < dc->GetItemCount(); ++i) {
    if (dc->GetItemField(i) != *Field) continue;
    if (dc->FocusItemControl(i)) *Field = nullptr;
    return;
  }
}

void TcxDBDataLink::LayoutChanged() {
  if (FProvider->FDetaching) return;
  FProvider->StructureChanged();
  FPendingLayout = false;
}

void TcxDBDataLink::RecordChanged(TField* Field) {
  if (!FProvider->FDetaching) FProvider->RecordChanged(Field);
}

void TcxDBDataLink::UpdateData() {
  if (!FProvider->FDetaching) FProvider->updateData();
}

// ---------------------------------------------------------------------------------------
// TcxDBDataField

void TcxDBDataField::BeforeDestruction() {
  if (FParentField) FParentField->RemoveField(this);
  ClearFields();
  SetField(nullptr);
  inherited::BeforeDestruction();
}

TcxDBDataField::~TcxDBDataField() = default;

void TcxDBDataField::Reassign(TcxCustomDataField* ASource) {
  inherited::Reassign(ASource);
  auto* source = dynamic_cast<TcxDBDataField*>(ASource);
  if (!source) return;
  TField* field = source->FField;
  source->SetField(nullptr);
  SetField(field);
  FFields = std::move(source->FFields);
  source->FFields.clear();
  for (TcxDBDataField* sub : FFields) sub->FParentField = this;
}

void TcxDBDataField::RemoveNotification(TComponent* AComponent) {
  if (AComponent != FField) return;
  FField = nullptr;
  TcxCustomDataController* dc = DataController();
  // The provider reading the records meets fields the data set made again: the load links
  // them anew.
  if (auto* provider = dc ? dynamic_cast<TcxDBDataProvider*>(dc->Provider()) : nullptr) provider->FieldFreed();
}

bool TcxDBDataField::CanModify(TcxDataEditValueSource AEditValueSource) {
  TField* field = Field();
  if (!field || !inherited::CanModify(AEditValueSource)) return false;
  if (!field->Lookup()) return cxFieldCanModify(field, AEditValueSource);
  if (AEditValueSource != TcxDataEditValueSource::Key || FFields.empty()) return false;
  for (TcxDBDataField* sub : FFields)
    if (!sub->Field() || !sub->Field()->CanModify()) return false;
  return true;
}

bool TcxDBDataField::IsUnbound() {
  if (!Field()) return true;
  TcxCustomDataController* dc = DataController();
  return dc && dc->IsGridMode();
}

void TcxDBDataField::UpdateValueType() {
  TField* field = Field();
  TcxCustomDataController* dc = DataController();
  if (!field || !dc || ReferenceField()) return;
  for (;;) {
    bool editorNeedsText = !IsInternal() && Index() < dc->GetItemCount() &&
                           dc->CanInitEditingItem(Index()) == TcxDataEditValueSource::Text;
    bool textStored = cxFieldNeedsDisplayText(field, editorNeedsText);
    TcxValueTypeClass type = cxGetValueTypeClassByField(field);
    if (textStored == TextStored() && type == ValueTypeClass()) break;
    bool typeChanged = type != ValueTypeClass();
    BeginRecreateData();
    SetTextStored(textStored);
    SetValueTypeClass(type);
    EndRecreateData();
    if (typeChanged && !IsInternal()) {
      dc->DoValueTypeClassChanged(Index());
      for (Integer i = 0; i < dc->Fields()->Count(); ++i)
        if (dc->Fields()->Items(i)->ReferenceField() == this && !dc->Fields()->Items(i)->IsInternal())
          dc->DoValueTypeClassChanged(i);
    }
  }
}

TField* TcxDBDataField::Field() const {
  if (auto* reference = dynamic_cast<TcxDBDataField*>(ReferenceField())) return reference->Field();
  return FField;
}

void TcxDBDataField::SetField(TField* AValue) {
  // A field under destruction is never linked.
  if (AValue && AValue->ComponentState().Contains(csDestroying)) AValue = nullptr;
  if (FField == AValue) return;
  TcxDataControllerNotifier* notifier = Notifier();
  if (FField && notifier) FField->RemoveFreeNotification(notifier);
  FField = AValue;
  if (FField && notifier) FField->FreeNotification(notifier);
}

void TcxDBDataField::AddField(TcxDBDataField* ADataField) {
  if (ADataField->FParentField) throw EcxInvalidDataControllerOperation("ADataField.FParentField <> nil");
  FFields.push_back(ADataField);
  ADataField->FParentField = this;
}

void TcxDBDataField::RemoveField(TcxDBDataField* ADataField) {
  auto it = std::find(FFields.begin(), FFields.end(), ADataField);
  if (it != FFields.end()) FFields.erase(it);
  ADataField->FParentField = nullptr;
}

void TcxDBDataField::ClearFields() {
  while (!FFields.empty()) {
    TcxDBDataField* sub = FFields.back();
    FFields.pop_back();
    sub->FParentField = nullptr;
    sub->Free();
  }
}

// ---------------------------------------------------------------------------------------
// TcxValueDefDBReader

namespace {
TField* linkedField(TcxValueDef* AValueDef) {
  auto* field = dynamic_cast<TcxDBDataField*>(AValueDef->LinkObject());
  return field ? field->Field() : nullptr;
}
}  // namespace

void TcxValueDefDBReader::GetDisplayText(TcxValueDef* AValueDef, std::string& S) {
  if (TField* field = linkedField(AValueDef)) S = field->DisplayText();
  else inherited::GetDisplayText(AValueDef, S);
}

void TcxValueDefDBReader::GetValue(TcxValueDef* AValueDef, Variant& V) {
  if (TField* field = linkedField(AValueDef)) V = field->IsNull() ? Null() : field->Value();
  else inherited::GetValue(AValueDef, V);
}

// ---------------------------------------------------------------------------------------
// TcxDBDataProvider

TcxDBDataProvider::TcxDBDataProvider(TcxCustomDataController* ADataController)
    : TcxCustomDataProvider(ADataController) {
  if (!gProviders) gProviders = std::make_unique<std::vector<TcxDBDataProvider*>>();
  gProviders->push_back(this);
  FDataLink.reset(New<TcxDBDataLink>(this));
}

TcxDBDataProvider::~TcxDBDataProvider() {
  FDetaching = true;
  for (TcxDBDataProvider* other : *gProviders) {
    auto it = std::find(other->FDeferred.begin(), other->FDeferred.end(), this);
    if (it != other->FDeferred.end()) other->FDeferred.erase(it);
  }
  FDataLink.reset();
  gProviders->erase(std::find(gProviders->begin(), gProviders->end(), this));
  if (gProviders->empty()) gProviders.reset();
}

TcxDBDataController* TcxDBDataProvider::DBDataController() const {
  return static_cast<TcxDBDataController*>(DataController());
}

TDataSet* TcxDBDataProvider::DataSet() const { return FDataLink ? FDataLink->DataSet() : nullptr; }

std::vector<TcxDBDataProvider*> TcxDBDataProvider::providersOnDataSet(bool AIncludeThis) {
  std::vector<TcxDBDataProvider*> result;
  TDataSet* ds = DataSet();
  if (!ds) return result;
  for (TcxDBDataProvider* provider : *gProviders)
    if ((AIncludeThis || provider != this) && provider->DataSet() == ds) result.push_back(provider);
  return result;
}

void TcxDBDataProvider::markNeedsReload() {
  for (TcxDBDataProvider* provider : providersOnDataSet(true)) provider->FNeedsReload = true;
}

bool TcxDBDataProvider::IsKeyNavigation() { return DBDataController()->HasKeyFields() && IsSyncMode(); }

bool TcxDBDataProvider::IsGridMode() {
  TDataSet* ds = DataSet();
  return DBDataController()->DataModeController()->GridMode() && ds && !ds->IsUniDirectional() && !Grouped();
}

bool TcxDBDataProvider::IsActive() {
  TDataSet* ds = DataSet();
  return ds && ds->Active();
}

bool TcxDBDataProvider::IsOtherProviderLoading() {
  for (TcxDBDataProvider* provider : providersOnDataSet(false))
    if (provider->FInInsertCall) return true;
  return false;
}

bool TcxDBDataProvider::IsSyncMode() {
  TDataSet* ds = DataSet();
  return ds && ds->Active() && (IsGridMode() || DBDataController()->DataModeController()->SyncMode()) &&
         !ds->IsUniDirectional();
}

bool TcxDBDataProvider::CanLoadData() {
  TDataSet* ds = DataSet();
  return ds && ds->Active() && !ds->ControlsDisabled();
}

bool TcxDBDataProvider::HasDataFields() {
  TDataSet* ds = DataSet();
  return ds && ds->FieldCount() > 0 && (ds->Active() || !ds->DefaultFields());
}

bool TcxDBDataProvider::IsBOF() { return DataSet() ? DataSet()->BOF() : inherited::IsBOF(); }
bool TcxDBDataProvider::IsEOF() { return DataSet() ? DataSet()->Eof() : inherited::IsEOF(); }
bool TcxDBDataProvider::IsEditing() { return DataSet() ? isEditMode(DataSet()) : inherited::IsEditing(); }

bool TcxDBDataProvider::IsInserting() {
  return DataSet() ? DataSet()->State() == dsInsert : inherited::IsInserting();
}

bool TcxDBDataProvider::IsModified() { return DataSet() ? DataSet()->Modified() : inherited::IsModified(); }

void TcxDBDataProvider::DoRecordLoaded(Integer ARecordIndex) {
  if (IsKeyNavigation() || FSavedBookmark.empty()) return;
  TDataSet* ds = DataSet();
  if (ds->CompareBookmarks(ds->Bookmark(), FSavedBookmark) == 0) FCurrentRecordIndex = ARecordIndex;
}

void TcxDBDataProvider::First() {
  ScopedRestore<bool> flag(FInFirst);
  FInFirst = true;
  inherited::First();
  FCurrentRecordIndex = 0;
  if (TDataSet* ds = DataSet()) ds->First();
}

void TcxDBDataProvider::FieldFreed() {
  if (FInFirst && !IsActive()) FFieldsRecreatedAfterFirst = true;
}

void TcxDBDataProvider::Prior() {
  if (TDataSet* ds = DataSet()) ds->Prior();
}

void TcxDBDataProvider::Next() {
  if (TDataSet* ds = DataSet()) ds->Next();
}

void TcxDBDataProvider::Last() {
  if (TDataSet* ds = DataSet()) ds->Last();
}

void TcxDBDataProvider::MoveBy(Integer ADistance) {
  if (TDataSet* ds = DataSet()) ds->MoveBy(ADistance);
}

void TcxDBDataProvider::SavePosition() {
  TDataSet* ds = DataSet();
  FSavedBookmark.clear();
  if (!ds || !ds->Active()) return;
  if (!ds->IsEmpty()) FSavedBookmark = ds->Bookmark();
  FSavedActiveRecord = FDataLink->ActiveRecord();
  FSavedBOF = ds->BOF();
  FSavedEOF = ds->Eof();
}

void TcxDBDataProvider::RestorePosition() {
  TDataSet* ds = DataSet();
  TBookmarkStr bookmark;
  std::swap(bookmark, FSavedBookmark);  // a record read later is no longer the saved one
  if (!ds || !ds->Active() || bookmark.empty() || !ds->BookmarkValid(bookmark)) return;
  // A failure here goes to the caller: a position silently left elsewhere would move the
  // focus of every view on the data set without a word.
  ds->SetBookmark(bookmark);
  Integer buffers = FDataLink->BufferCount();
  Integer active = FDataLink->ActiveRecord();
  if (FSavedActiveRecord > active) {
    ds->MoveBy(buffers - FSavedActiveRecord - 1);
    ds->MoveBy(FSavedActiveRecord - buffers + 1);
  } else if (FSavedActiveRecord < active) {
    ds->MoveBy(-FSavedActiveRecord);
    ds->MoveBy(FSavedActiveRecord);
  }
  if (FSavedBOF && !ds->BOF()) ds->Prior();
  if (FSavedEOF && !ds->Eof()) ds->Next();
}

bool TcxDBDataProvider::CanDelete() {
  TDataSet* ds = DataSet();
  if (!ds) return inherited::CanDelete();
  return CanModify() && !ds->IsEmpty();
}

bool TcxDBDataProvider::EditRecord(Integer ARecordIndex) {
  if (!DataSet()) return inherited::EditRecord(ARecordIndex);
  ScopedRestore<bool> flag(FInEditRecord);
  FInEditRecord = true;
  bool editing = FDataLink->Edit();
  if (editing) SetEditorValuePending();
  return editing;
}

bool TcxDBDataProvider::CanModify() {
  TDataSet* ds = DataSet();
  if (!ds) return inherited::CanModify();
  return ds->Active() && ds->CanModify() && IsSyncMode();
}

void TcxDBDataProvider::doInsertCall(InsertCall ACall) {
  TDataSet* ds = DataSet();
  ScopedRestore<bool> flag(FInInsertCall);
  FInInsertCall = true;
  if (!isEditMode(ds)) {
    (ds->*ACall)();
    return;
  }
  auto controls = disableControls(ds);
  if (IsSmartRefresh()) postOrCancelBeforeInsert();
  else ds->CheckBrowseMode();
  (ds->*ACall)();
}

void TcxDBDataProvider::postOrCancelBeforeInsert() {
  TDataSet* ds = DataSet();
  FDataLink->UpdateRecord();
  if (ds->Modified()) ds->Post();
  else ds->Cancel();
  SmartRefreshUpdate();
  resetSmartRefresh();
}

void TcxDBDataProvider::Append() {
  if (DataSet()) doInsertCall(&TDataSet::Append);
  else inherited::Append();
}

void TcxDBDataProvider::Insert() {
  if (DataSet()) doInsertCall(&TDataSet::Insert);
  else inherited::Insert();
}

void TcxDBDataProvider::Cancel() {
  if (TDataSet* ds = DataSet()) ds->Cancel();
  else inherited::Cancel();
}

Integer TcxDBDataProvider::Delete() {
  TDataSet* ds = DataSet();
  if (!ds) return inherited::Delete();
  Integer record = DataController()->GetFocusedRecordIndex();
  if (!IsSmartRefresh() || record < 0) {
    ds->Delete();
    return record;
  }
  FSmartFocusedBeforeDelete = record;
  ds->Delete();
  // The data set lost the record; the storage loses it too, without reading the others.
  Integer deleted = FSmartFocusedBeforeDelete;
  FSmartFocusedBeforeDelete = -1;
  if (IsSmartRefresh() && deleted >= 0 && deleted < DataController()->GetRecordCount()) {
    DataController()->DeleteRecord(deleted);
    DataController()->RefreshRowList();
  }
  return record;
}

void TcxDBDataProvider::DeleteRecords(const std::vector<Integer>& AList) {
  TDataSet* ds = DataSet();
  if (!ds) {
    inherited::DeleteRecords(AList);
    return;
  }
  TcxDBDataController* dc = DBDataController();
  if (IsKeyNavigation()) {
    // Keys first: deleting moves the data set, and the storage is read again afterwards.
    std::vector<Variant> keys;
    for (Integer record : AList) keys.push_back(dc->GetRecordKeyValue(record));
    bool smart = IsSmartRefresh();
    {
      auto controls = disableControls(ds);
      for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
        if (!ds->Locate(dc->KeyFieldNames(), *it, TLocateOptions())) continue;
        Integer record = smart ? dc->FindRecordIndexByDataSetKey() : -1;
        ds->Delete();
        if (record >= 0) dc->DeleteRecord(record);
      }
    }
    if (smart) dc->RefreshRowList();
    return;
  }
  // Without keys the records are the data set's in load order: from the last listed record
  // to the first, each is found by its place.
  auto controls = disableControls(ds);
  for (auto it = AList.rbegin(); it != AList.rend(); ++it) {
    ds->First();
    if (*it > 0 && ds->MoveBy(*it) != *it) continue;
    ds->Delete();
  }
}

void TcxDBDataProvider::Edit() {
  if (TDataSet* ds = DataSet()) ds->Edit();
  else inherited::Edit();
}

void TcxDBDataProvider::GetEditValue(Integer ARecordIndex, TcxCustomDataField* AField, Variant& V,
                                     TcxDataEditValueSource AEditValueSource) {
  TField* field = DataSet() ? dbField(AField)->Field() : nullptr;
  if (!field) {
    inherited::GetEditValue(ARecordIndex, AField, V, AEditValueSource);
    return;
  }
  V = Null();
  if (AEditValueSource == TcxDataEditValueSource::Text) V = Variant(field->Text());
  else if (AEditValueSource == TcxDataEditValueSource::Key && field->Lookup() && !field->KeyFields().empty())
    V = DataSet()->FieldValues(field->KeyFields());
  else if (!field->IsNull()) V = field->Value();
}

void TcxDBDataProvider::Post() {
  if (TDataSet* ds = DataSet()) ds->Post();
  else inherited::Post();
}

void TcxDBDataProvider::UpdateData() {
  if (DataSet()) FDataLink->UpdateRecord();
  else inherited::UpdateData();
}

bool TcxDBDataProvider::SetEditValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                     TcxDataEditValueSource AEditValueSource, const Variant& V) {
  if (!DataSet()) return inherited::SetEditValue(ARecordIndex, AField, AEditValueSource, V);
  TField* field = dbField(AField)->Field();
  if (!field) return false;
  if (AEditValueSource == TcxDataEditValueSource::Text || field->OnSetText().Assigned())
    field->SetText(VarToStr(V));
  else if (AEditValueSource == TcxDataEditValueSource::Key && field->Lookup() && !field->KeyFields().empty())
    DataSet()->SetFieldValues(field->KeyFields(), V);
  else
    field->SetValue(V);
  return true;
}

void TcxDBDataProvider::SetValue(Integer ARecordIndex, TcxCustomDataField* AField, const Variant& V) {
  TField* field = DataSet() ? dbField(AField)->Field() : nullptr;
  if (!field) inherited::SetValue(ARecordIndex, AField, V);
  else if (field->Lookup() && !field->KeyFields().empty()) DataSet()->SetFieldValues(field->KeyFields(), V);
  else field->SetValue(V);
}

void TcxDBDataProvider::AssignItemValues(Integer ARecordIndex, const std::vector<Variant>& AGroupingValues) {
  if (FInInsertCall || FInEditRecord || IsOtherProviderLoading()) {
    inherited::AssignItemValues(ARecordIndex, AGroupingValues);
    DBDataController()->DoInitInsertingRecord(ARecordIndex);
  }
  DBDataController()->ReadEditingRecord();
}

void TcxDBDataProvider::BeginLocate() {
  inherited::BeginLocate();
  if (isEditMode(DataSet())) markNeedsReload();
}

void TcxDBDataProvider::LockNotify() {
  inherited::LockNotify();
  TDataSet* ds = DataSet();
  if (!ds) return;
  ds->DisableControls();
  if (ds->Active() && isEditMode(ds)) {
    markNeedsReload();
    ds->Cancel();
  }
}

void TcxDBDataProvider::UnlockNotify() {
  // The lock count drops even when the data set's notifications fail.
  ScopeExit unlock([this] { inherited::UnlockNotify(); });
  if (TDataSet* ds = DataSet()) ds->EnableControls();
}

Integer TcxDBDataProvider::GetFocusedRecordIndex() {
  if (!DataSet()) return inherited::GetFocusedRecordIndex();
  if (IsInserting() && FEditingRecordIndex != cxNoRecordIndex) return FEditingRecordIndex;
  return FCurrentRecordIndex;
}

TClass TcxDBDataProvider::GetValueDefReaderClass() { return TcxValueDefDBReader::StaticClass(); }

void TcxDBDataProvider::ActiveChanged(bool AActive) {
  inherited::ActiveChanged(AActive);
  TDataSet* ds = DataSet();
  if (ds && !ds->Active() && ds->DefaultFields()) DBDataController()->UnlinkFields();
}

bool TcxDBDataProvider::IsRecordBookmarkValid(const TBookmarkStr& ABookmark) {
  TDataSet* ds = DataSet();
  return ds && ds->Active() && ds->BookmarkValid(ABookmark);
}

Integer TcxDBDataProvider::CompareBookmarks(const TBookmarkStr& ABookmark1, const TBookmarkStr& ABookmark2) {
  if (!FDataLink->Active()) return -1;
  return DataSet()->CompareBookmarks(ABookmark1, ABookmark2);
}

void TcxDBDataProvider::RecordChanged(TField*) {
  if (isEditMode(DataSet())) DBDataController()->ReadEditingRecord();
}

void TcxDBDataProvider::DataScrolled(Integer ADistance) {
  TcxDBDataController* dc = DBDataController();
  if (IsKeyNavigation()) FCurrentRecordIndex = dc->FindRecordIndexByDataSetKey();
  else FCurrentRecordIndex += ADistance;
  // While this provider moves the data set itself (locating, loading) the focus is its
  // own business; otherwise the focused row follows the data set.
  if (FLocateCount == 0 && FLockCount == 0 && IsSyncMode() && !IsInserting()) dc->RefreshRowList();
}

void TcxDBDataProvider::ReplayDeferred() {
  if (FReplaying) return;
  ScopedRestore<bool> flag(FReplaying);
  FReplaying = true;
  while (!FDeferred.empty()) {
    TcxDBDataProvider* provider = FDeferred.back();
    FDeferred.pop_back();
    provider->FDataLink->DataSetChanged();
  }
}

void TcxDBDataProvider::dataSetChanged() {
  TDataSet* ds = DataSet();
  TcxDBDataController* dc = DBDataController();
  bool keyNavigation = IsKeyNavigation();
  // Another provider reading the data set: this one waits for it to finish and is told
  // afterwards. A data set that another view merely moves to a record (a locate) is
  // followed below, as a scroll.
  for (TcxDBDataProvider* other : providersOnDataSet(false)) {
    if (other->FLockCount > 0 && other->FLocateCount == 0) {
      if (std::find(other->FDeferred.begin(), other->FDeferred.end(), this) == other->FDeferred.end())
        other->FDeferred.push_back(this);
      return;
    }
  }
  bool busy = false;
  for (TcxDBDataProvider* provider : providersOnDataSet(true))
    if (provider->FLockCount > 0 || provider->FReplaying ||
        (provider->FLocateCount > 0 && (keyNavigation || IsGridMode())))
      busy = true;
  if (busy && !FNeedsReload) {
    DataScrolled(0);
    return;
  }
  if (!isEditMode(ds)) {
    if (IsSmartRefresh() && !FLoadDeferred) {
      SmartRefreshUpdate();
      DataScrolled(0);
    } else {
      DataChanged(dcAll, -1, -1);
    }
    resetSmartRefresh();
  } else if (ds->State() == dsInsert) {
    if (dc->DataModeController()->SyncInsert() && !FInInserting) FDataLink->BeginControllerInsert();
  }
}

void TcxDBDataProvider::editingChanged() {
  TDataSet* ds = DataSet();
  if (FDataLink->Active() && isEditMode(ds)) {
    if (ds->State() == dsEdit) DoEdit();
    else if (ds->State() == dsInsert && IsGridMode() && !FInInsertCall) FDataLink->BeginControllerInsert();
  } else {
    ResetEditing();
  }
}

void TcxDBDataProvider::updateData() {
  if (IsEditorValuePending()) DataController()->UpdateEditorValue();
  ResetEditorValuePending();
}

bool TcxDBDataProvider::IsSmartRefresh() {
  TcxDBDataController* dc = DBDataController();
  return dc->KeyField() && !IsGridMode() && dc->DataModeController()->SmartRefresh();
}

void TcxDBDataProvider::resetSmartRefresh() {
  FSmartRecordIndex = cxNoRecordIndex;
  FSmartWasInserting = false;
}

void TcxDBDataProvider::RecordDeleted(Integer ARecordIndex) {
  if (ARecordIndex == FSmartRecordIndex) resetSmartRefresh();
  if (ARecordIndex == FSmartFocusedBeforeDelete) FSmartFocusedBeforeDelete = -1;
}

void TcxDBDataProvider::SmartRefreshUpdate() {
  TcxDBDataController* dc = DBDataController();
  Integer record = FSmartRecordIndex;
  Integer focused = dc->GetFocusedRecordIndex();
  if (record != cxNoRecordIndex && record == focused && record >= 0 && record < dc->GetRecordCount()) {
    Variant dataSetKey = dc->GetDataSetKeyValue();
    // The data set stands on the posted record when its key is the record's, or when no
    // other record has the key it shows: the record got a new key (one the file gave an
    // insertion, or one the user typed). Only a record that left the data set goes.
    if (cxVariantsCompareEqual(dc->GetRecordKeyValue(record), dataSetKey) ||
        dc->FindRecordIndexByKey(dataSetKey) == -1) {
      std::unique_ptr<TcxValueDefReader, TObjectDeleter> reader(New<TcxValueDefDBReader>());
      dc->DataStorage()->ReadRecord(record, reader.get(), false);
      FCurrentRecordIndex = record;
    } else {
      dc->DeleteRecord(record);
      dc->RefreshRowList();
      record = cxNoRecordIndex;
    }
  }
  Integer changed = record != cxNoRecordIndex ? record : dc->GetFocusedRecordIndex();
  dc->DataChanged(dcRecord, -1, changed);
  FNeedsReload = false;
}

// ---------------------------------------------------------------------------------------
// TcxDBDataController

TcxDBDataController::TcxDBDataController(TComponent* AOwner) : TcxCustomDataController(AOwner) {
  FDataModeController.reset(New<TcxDBDataModeController>(this));
}

TcxDBDataController::~TcxDBDataController() {
  // The data set must not reach a controller that is half gone.
  if (TcxDBDataProvider* provider = DBProvider()) {
    provider->FDetaching = true;
    provider->DataLink()->SetDataSource(nullptr);
  }
  FKeyField = nullptr;  // the field list frees it
}

void TcxDBDataController::Assign(TPersistent* ASource) {
  inherited::Assign(ASource);
  auto* source = dynamic_cast<TcxDBDataController*>(ASource);
  if (!source) return;
  FDataModeController->Assign(source->FDataModeController.get());
  SetDataSource(source->DataSource());
  SetKeyFieldNames(source->FKeyFieldNames);
  FDetailKeyFieldNames = source->FDetailKeyFieldNames;
  FMasterKeyFieldNames = source->FMasterKeyFieldNames;
}

TcxDBDataProvider* TcxDBDataController::DBProvider() const { return static_cast<TcxDBDataProvider*>(Provider()); }

TDataSource* TcxDBDataController::DataSource() const {
  return DBProvider() && DBProvider()->DataLink() ? DBProvider()->DataLink()->DataSource() : nullptr;
}

void TcxDBDataController::SetDataSource(TDataSource* AValue) {
  if (DataSource() == AValue) return;
  DBProvider()->DataLink()->SetDataSource(AValue);
  DoDataSourceChanged();
}

void TcxDBDataController::SetKeyFieldNames(const std::string& AValue) {
  if (FKeyFieldNames == AValue) return;
  FKeyFieldNames = AValue;
  setFieldNamesObject(FKeyField, AValue);
}

void TcxDBDataController::setFieldNamesObject(TcxDBDataField*& AField, const std::string& AFieldNames) {
  if (AFieldNames.empty()) {
    if (AField) {
      TcxDBDataField* field = AField;
      AField = nullptr;
      field->Free();
      Refresh();
    }
    return;
  }
  if (!AField) AField = dbField(AddInternalField());
  SetFieldNameOfField(AField, AFieldNames, false);
}

TDataSet* TcxDBDataController::GetDataSet() const {
  TDataSource* source = DataSource();
  return source ? source->DataSet() : nullptr;
}

Integer TcxDBDataController::GetDataSetRecordCount() const {
  TDataSet* ds = GetDataSet();
  return ds && ds->Active() ? ds->RecordCount() : 0;
}

Integer TcxDBDataController::GetDataSetRecNo() const {
  TDataSet* ds = GetDataSet();
  return ds && ds->Active() ? ds->RecNo() : -1;
}

void TcxDBDataController::SetDataSetRecNo(Integer AValue) {
  if (TDataSet* ds = GetDataSet()) ds->SetRecNo(AValue);
}

bool TcxDBDataController::IsDataSetSequenced() const {
  TDataSet* ds = GetDataSet();
  return ds && ds->IsSequenced();
}

TField* TcxDBDataController::GetItemField(Integer AItemIndex) { return dbField(ItemField(AItemIndex))->Field(); }

std::string TcxDBDataController::GetItemFieldName(Integer AItemIndex) {
  return dbField(ItemField(AItemIndex))->FieldName();
}

void TcxDBDataController::ChangeFieldName(Integer AItemIndex, const std::string& AFieldName) {
  TcxDBDataField* field = dbField(ItemField(AItemIndex));
  if (field->FieldName() == AFieldName) return;
  SetFieldNameOfField(field, AFieldName, false);
}

void TcxDBDataController::GetKeyFields(std::vector<TcxCustomDataField*>& AList) {
  AList.clear();
  if (!FKeyField) return;
  if (FKeyField->FieldCount() == 0) {
    AList.push_back(FKeyField);
    return;
  }
  for (Integer i = 0; i < FKeyField->FieldCount(); ++i) AList.push_back(FKeyField->Fields(i));
}

Variant TcxDBDataController::GetRecordKeyValue(Integer ARecordIndex) {
  std::vector<TcxCustomDataField*> keys;
  GetKeyFields(keys);
  Variant value;
  GetKeyValue(ARecordIndex, keys, value);
  return value;
}

Variant TcxDBDataController::GetDataSetKeyValue() {
  std::vector<TcxCustomDataField*> keys;
  GetKeyFields(keys);
  std::vector<TField*> fields;
  for (TcxCustomDataField* key : keys) {
    TField* field = dbField(key)->Field();
    if (!field) return Null();
    fields.push_back(field);
  }
  Variant value;
  cxGetFieldValues(GetDataSet(), fields, value);
  return value;
}

Integer TcxDBDataController::FindRecordIndexByKey(const Variant& AKeyFieldValues) {
  std::vector<TcxCustomDataField*> keys;
  GetKeyFields(keys);
  if (keys.empty()) return -1;
  if (keys.size() > 1 && !VarIsArray(AKeyFieldValues)) return -1;
  auto matches = [&](Integer ARecordIndex) {
    Variant value;
    if (keys.size() == 1) {
      GetFieldValue(ARecordIndex, keys[0], value);
      return cxVariantsCompareEqual(value, AKeyFieldValues);
    }
    for (size_t i = 0; i < keys.size(); ++i) {
      GetFieldValue(ARecordIndex, keys[i], value);
      if (!cxVariantsCompareEqual(value, AKeyFieldValues[static_cast<Integer>(i)])) return false;
    }
    return true;
  };
  Integer count = GetRecordCount();
  // A key names one record; the data set usually stands on or next to the one it stood on.
  Integer current = DBProvider()->CurrentRecordIndex();
  for (Integer r : {current, current + 1, current - 1})
    if (r >= 0 && r < count && matches(r)) return r;
  for (Integer r = 0; r < count; ++r)
    if (matches(r)) return r;
  return -1;
}

bool TcxDBDataController::LocateByKey(const Variant& AKeyFieldValues) {
  Integer record = FindRecordIndexByKey(AKeyFieldValues);
  if (record == -1 && IsGridMode()) {
    bool found;
    {
      auto locate = locating(Provider());
      found = GetDataSet()->Locate(FKeyFieldNames, AKeyFieldValues, TLocateOptions());
    }
    if (found) SyncSelectionFocusedRow();
    return found;
  }
  ChangeFocusedRowIndex(record == -1 ? -1 : GetRowIndexByRecordIndex(record, true));
  return record != -1;
}

bool TcxDBDataController::IsLocating() const { return DBProvider()->LocateCount() > 0; }

void TcxDBDataController::UnlinkFields() {
  ScopedRestore<bool> flag(FUnlinkingFields);
  FUnlinkingFields = true;
  for (Integer i = 0; i < Fields()->Count(); ++i) dbField(Fields()->Items(i))->SetField(nullptr);
}

bool TcxDBDataController::FocusRecordInSource(Integer ARecordIndex) {
  TcxDBDataProvider* provider = DBProvider();
  if ((provider->IsInserting() && ARecordIndex == provider->EditingRecordIndex()) ||
      (ARecordIndex < 0 && NewItemRowEnabled() && IsNewItemRecord(ARecordIndex)))
    return true;
  bool answer;
  {
    auto locate = locating(provider);
    TDataSet* ds = GetDataSet();
    if (!provider->IsSyncMode()) answer = inherited::FocusRecordInSource(ARecordIndex);
    else if (ARecordIndex < 0) answer = false;
    else if (provider->IsKeyNavigation()) {
      Variant key = GetRecordKeyValue(ARecordIndex);
      answer = cxVariantsCompareEqual(key, GetDataSetKeyValue()) || ds->Locate(FKeyFieldNames, key, TLocateOptions());
    } else {
      ds->MoveBy(ARecordIndex - provider->CurrentRecordIndex());
      answer = true;
    }
  }
  DataLoaded();
  return answer;
}

void TcxDBDataController::EnsureBrowseMode() {
  TDataSet* ds = GetDataSet();
  if (!ds) return;
  ScopedRestore<bool> flag(FInEnsureBrowseMode);
  FInEnsureBrowseMode = true;
  ds->CheckBrowseMode();
}

void TcxDBDataController::DoRecordDeleted(Integer ARecordIndex) {
  inherited::DoRecordDeleted(ARecordIndex);
  DBProvider()->RecordDeleted(ARecordIndex);
}

Integer TcxDBDataController::GetActiveRecordIndex() {
  if (IsGridMode()) return DBProvider()->DataLink()->ActiveRecord();
  return inherited::GetActiveRecordIndex();
}

TClass TcxDBDataController::GetDataProviderClass() { return TcxDBDataProvider::StaticClass(); }
TClass TcxDBDataController::GetFieldClass() { return TcxDBDataField::StaticClass(); }
TClass TcxDBDataController::GetSummaryItemClass() { return TcxDBDataSummaryItem::StaticClass(); }

bool TcxDBDataController::IsProviderField(TcxCustomDataField* AField) {
  return inherited::IsProviderField(AField) || dbField(AField)->Field() != nullptr;
}

namespace {
// Whether every key name found its data-set field: a key that names a missing field cannot
// locate records, so it does not count as one.
bool keyFieldBound(TcxDBDataField* AField) {
  if (AField->FieldCount() == 0) return AField->Field() != nullptr;
  for (Integer i = 0; i < AField->FieldCount(); ++i)
    if (!AField->Fields(i)->Field()) return false;
  return true;
}
}  // namespace

bool TcxDBDataController::HasKeyFields() { return FKeyField && keyFieldBound(FKeyField) && !IsGridMode(); }

void TcxDBDataController::LoadData() {
  TcxDBDataProvider* provider = DBProvider();
  // Reading the records would end the record being edited (moving the cursor posts it, and
  // locking the data set's notifications cancels it). The edit is the user's: the records
  // are read when it ends, as every post or cancel re-reads them anyway.
  if (provider->IsActive() && provider->IsEditing()) {
    provider->markNeedsReload();
    provider->FLoadDeferred = true;
    return;
  }
  ScopeExit reloaded([provider] {
    provider->ClearNeedsReload();
    provider->FLoadDeferred = false;
  });
  // The bookmark names a record: after the records are read again it goes with that
  // record's key, or away with the record.
  bool keepBookmark = HasKeyFields() && FBookmarkRecordIndex >= 0 && FBookmarkRecordIndex < GetRecordCount();
  Variant bookmarkKey = keepBookmark ? GetRecordKeyValue(FBookmarkRecordIndex) : Variant();
  ScopeExit findBookmark([this, keepBookmark, &bookmarkKey] {
    if (!keepBookmark) return;
    Integer record = FindRecordIndexByKey(bookmarkKey);
    if (record == FBookmarkRecordIndex) return;
    if (record == -1) DoClearBookmark();
    else FBookmarkRecordIndex = record;
    Change(dccBookmark);
  });
  inherited::LoadData();
}

void TcxDBDataController::DoDataLoaded() { DBProvider()->ReplayDeferred(); }

void TcxDBDataController::UpdateField(TcxCustomDataField* AField) {
  inherited::UpdateField(AField);
  LinkField(dbField(AField), false);
}

void TcxDBDataController::RebuildStructure() {
  if (!IsGridMode()) DBProvider()->DataLink()->SetBufferCount(1);
  inherited::RebuildStructure();
}

void TcxDBDataController::RefreshRowList() {
  {
    UpdateLock<TcxCustomDataController> lock(this);
    inherited::RefreshRowList();
  }
  if (DBProvider()->IsSyncMode()) SyncFocusedWithDataSet();
}

void TcxDBDataController::SyncFocusedWithDataSet() {
  TcxDBDataProvider* provider = DBProvider();
  if (provider->IsInserting()) return;
  if (provider->IsKeyNavigation()) provider->SetCurrentRecordIndex(FindRecordIndexByDataSetKey());
  Integer record = provider->CurrentRecordIndex();
  if (record < 0 || record >= GetRecordCount() || record == GetFocusedRecordIndex()) return;
  DataControllerInfo()->FocusRecordOfSource(record);
}

Integer TcxDBDataController::FindRecordIndexByDataSetKey() { return FindRecordIndexByKey(GetDataSetKeyValue()); }

void TcxDBDataController::RefreshExternalData() {
  if (TDataSet* ds = GetDataSet()) ds->Refresh();
}

void TcxDBDataController::Loaded() {
  if (DBProvider()->HasDataFields()) UpdateStructure();
  inherited::Loaded();
}

void TcxDBDataController::SetItemValueTypeClass(Integer AItemIndex, TcxValueTypeClass AValue) {
  if (GetItemField(AItemIndex)) return;  // a bound item keeps the type its field gives
  inherited::SetItemValueTypeClass(AItemIndex, AValue);
}

void TcxDBDataController::SetFieldNameOfField(TcxDBDataField* AField, const std::string& AFieldNames,
                                              bool AIsLookupKeyOnly) {
  AField->ClearFields();
  if (!AIsLookupKeyOnly) AField->SetFieldName(AFieldNames);
  if (AIsLookupKeyOnly || cxIsMultipleFieldNames(AFieldNames)) {
    {
      UpdateLock<TcxCustomDataController> lock(this);
      for (const std::string& name : splitFieldNames(AFieldNames)) {
        auto* sub = dbField(AddInternalField());
        AField->AddField(sub);
        sub->SetFieldName(name);
        LinkField(sub, false);
      }
    }
    if (!AIsLookupKeyOnly) UpdateStructure();
    return;
  }
  resolveReferenceField(AField);
  if (AField->ReferenceField()) DataChanged(dcAll, -1, -1);
  else UpdateStructure();
}

void TcxDBDataController::resolveReferenceField(TcxDBDataField* AField) {
  TcxValueTypeClass before = AField->ValueTypeClass();
  AField->SetReferenceField(nullptr);
  for (Integer i = 0; i < Fields()->Count(); ++i) {
    auto* other = dbField(Fields()->Items(i));
    if (other == AField || other->IsInternal() || other->ReferenceField()) continue;
    if (cxSameFieldName(other->FieldName(), AField->FieldName())) {
      AField->SetField(nullptr);
      AField->SetReferenceField(other);
      break;
    }
  }
  if (AField->ValueTypeClass() != before && !AField->IsInternal()) DoValueTypeClassChanged(AField->Index());
}

void TcxDBDataController::LinkField(TcxDBDataField* AField, bool ASubFieldsOnly) {
  TDataSet* ds = GetDataSet();
  if (AField->ReferenceField() || !ds) return;
  if (ASubFieldsOnly && !(AField->ParentField() && AField->ParentField()->IsLookup())) return;
  TField* field = nullptr;
  if (!FUnlinkingFields && !AField->FieldName().empty() && !cxIsMultipleFieldNames(AField->FieldName())) {
    field = ds->FindField(AField->FieldName());
    if (!field) field = ds->AggFields()->FindField(AField->FieldName());
  }
  bool changed = field != AField->FField;
  AField->SetField(field);
  if (!field) return;
  AField->UpdateValueType();
  if (changed && field->Lookup() && !field->KeyFields().empty() && AField->FieldCount() == 0)
    SetFieldNameOfField(AField, field->KeyFields(), true);
}

void TcxDBDataController::ReadEditingRecord() {
  TcxDBDataProvider* provider = DBProvider();
  Integer record = provider->EditingRecordIndex();
  if (record == cxNoRecordIndex) return;
  provider->FSmartRecordIndex = record;
  provider->FSmartWasInserting = provider->IsInserting();
  std::unique_ptr<TcxValueDefReader, TObjectDeleter> reader(New<TcxValueDefDBReader>());
  DataStorage()->ReadRecord(record, reader.get(), true);
  DoReadRecord(record);
  if (!provider->FInEditRecord) Change(dccUpdateRecord);
}

// ---------------------------------------------------------------------------------------
// TcxDBDataSummaryItem

TcxDBDataSummaryItem::~TcxDBDataSummaryItem() {
  if (!FDataField) return;
  // Asked through the field: the collection may be half destroyed already (a summary group
  // going takes its items with it). With the whole summary going, the controller is being
  // destroyed and its field list frees the field itself. Otherwise the field goes now,
  // without a refresh, as the collection holding this item is being taken apart.
  TcxCustomDataController* dc = FDataField->DataController();
  TcxDataSummary* summary = dc ? dc->Summary() : nullptr;
  if (!summary || summary->IsDestroying()) return;
  TcxDBDataField* field = FDataField;
  FDataField = nullptr;
  field->Free();
}

TcxDBDataController* TcxDBDataSummaryItem::dbDataController() {
  return dynamic_cast<TcxDBDataController*>(DataController());
}

void TcxDBDataSummaryItem::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxDBDataSummaryItem*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  UpdateLock<TCollection> lock(Collection());
  inherited::Assign(Source);
  SetFieldName(source->FieldName());
}

void TcxDBDataSummaryItem::SetFieldName(const std::string& Value) {
  if (FFieldName == Value) return;
  FFieldName = Value;
  if (TcxDBDataController* dc = dbDataController()) {
    UpdateLock<TCollection> lock(Collection());
    dc->setFieldNamesObject(FDataField, Value);
    // Another field is summarised: the values are worked out again.
    Changed(true);
  }
}

TcxCustomDataField* TcxDBDataSummaryItem::GetDataField() {
  if (FFieldName.empty()) return inherited::GetDataField();
  return FDataField && FDataField->Field() ? FDataField : nullptr;
}
