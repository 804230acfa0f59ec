#include "cx/data/cxCustomData.h"

#include <algorithm>
#include <exception>

#include "cx/foundation/cxClasses.h"
#include "cx/foundation/cxDataConsts.h"
#include "cx/foundation/cxVariants.h"
#include "platform/rtl/Scoped.h"
#include "platform/rtl/SysUtils.h"

RTL_IMPLEMENT_CLASS(EcxInvalidDataControllerOperation)
RTL_IMPLEMENT_CLASS(TcxUpdateControlInfo)
RTL_IMPLEMENT_CLASS(TcxFocusedRecordChangedInfo)
RTL_IMPLEMENT_CLASS(TcxFocusedRowChangedInfo)
RTL_IMPLEMENT_CLASS(TcxLayoutChangedInfo)
RTL_IMPLEMENT_CLASS(TcxUpdateRecordInfo)
RTL_IMPLEMENT_CLASS(TcxDataChangedInfo)
RTL_IMPLEMENT_CLASS(TcxBookmarkChangedInfo)
RTL_IMPLEMENT_CLASS(TcxSelectionChangedInfo)
RTL_IMPLEMENT_CLASS(TcxSearchChangedInfo)
RTL_IMPLEMENT_CLASS(TcxDataListenerLink)
RTL_IMPLEMENT_CLASS(TcxDataControllerNotifier)
RTL_IMPLEMENT_CLASS(TcxCustomDataField)
RTL_IMPLEMENT_CLASS(TcxCustomDataFieldList)
RTL_IMPLEMENT_CLASS(TcxCustomDataProvider)
RTL_IMPLEMENT_CLASS(TcxCustomDataControllerInfo)
RTL_IMPLEMENT_CLASS(TcxCustomDataController)

namespace {

[[noreturn]] void dataError(const TResStringRec& AText) {
  throw EcxInvalidDataControllerOperation(cxGetResourceString(&AText));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Notification objects and links

TcxSelectionChangedInfo::TcxSelectionChangedInfo(Integer ARowIndex1, Integer ARowIndex2) {
  if (ARowIndex1 != -1) FRowIndexes.push_back(ARowIndex1);
  if (ARowIndex2 != -1 && ARowIndex2 != ARowIndex1) FRowIndexes.push_back(ARowIndex2);
}

Integer TcxSelectionChangedInfo::RowIndexes(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) throw EListError("List index out of bounds (" + IntToStr(AIndex) + ")");
  return FRowIndexes[static_cast<size_t>(AIndex)];
}

TcxDataListenerLink::TcxDataListenerLink(TcxCustomDataController* ADataController)
    : FDataController(ADataController) {
  if (FDataController) FDataController->AddListenerLink(this);
}

TcxDataListenerLink::~TcxDataListenerLink() {
  if (FDataController) FDataController->RemoveListenerLink(this);
}

TcxDataControllerNotifier::TcxDataControllerNotifier(TcxCustomDataController* ADataController)
    : TComponent(nullptr), FDataController(ADataController) {}

void TcxDataControllerNotifier::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent != this && FDataController) FDataController->RemoveNotification(AComponent);
}

// ---------------------------------------------------------------------------------------
// TcxCustomDataField

TcxCustomDataField::TcxCustomDataField(TcxCustomDataFieldList* AFieldList) : FFieldList(AFieldList) {}

void TcxCustomDataField::BeforeDestruction() {
  if (FFieldList) FFieldList->Remove(this);
  inherited::BeforeDestruction();
}

TcxCustomDataField::~TcxCustomDataField() {
  if (!FReferenceField) FreeAndNil(FValueDef);
}

void TcxCustomDataField::Reassign(TcxCustomDataField* ASource) {
  FReferenceField = nullptr;
  FValueDef = ASource->FValueDef;
  if (FValueDef) FValueDef->SetLinkObject(this);
  FValueTypeClass = ASource->FValueTypeClass;
  FTextStored = ASource->FTextStored;
  ASource->FValueDef = nullptr;
  ASource->FValueTypeClass = nullptr;
}

bool TcxCustomDataField::CanModify(TcxDataEditValueSource) { return ValueDef() != nullptr; }

void TcxCustomDataField::SetIsInternal(bool AValue) {
  if (FIsInternal == AValue) return;
  FIsInternal = AValue;
  if (FFieldList) FFieldList->recountInternal();
}

TcxCustomDataController* TcxCustomDataField::DataController() const {
  return FFieldList ? FFieldList->DataController() : nullptr;
}

TcxDataControllerNotifier* TcxCustomDataField::Notifier() const {
  TcxCustomDataController* dc = DataController();
  return dc ? dc->Notifier() : nullptr;
}

Integer TcxCustomDataField::Index() const { return FFieldList ? FFieldList->IndexOf(this) : -1; }

void TcxCustomDataField::SetIndex(Integer AValue) {
  if (FFieldList && AValue != Index()) FFieldList->move(this, AValue);
}

TcxValueDef* TcxCustomDataField::ValueDef() const { return FReferenceField ? FReferenceField->ValueDef() : FValueDef; }

TcxValueTypeClass TcxCustomDataField::ValueTypeClass() const {
  return FReferenceField ? FReferenceField->ValueTypeClass() : FValueTypeClass;
}

bool TcxCustomDataField::TextStored() const { return FReferenceField ? FReferenceField->TextStored() : FTextStored; }

void TcxCustomDataField::SetValueTypeClass(TcxValueTypeClass AValue) {
  if (FReferenceField || FValueTypeClass == AValue) return;
  BeginRecreateData();
  FValueTypeClass = AValue;
  EndRecreateData();
}

void TcxCustomDataField::SetTextStored(bool AValue) {
  if (FReferenceField || FTextStored == AValue) return;
  BeginRecreateData();
  FTextStored = AValue;
  EndRecreateData();
}

void TcxCustomDataField::SetReferenceField(TcxCustomDataField* AValue) {
  if (FReferenceField == AValue) return;
  TcxCustomDataField* root = AValue;
  while (root && root->FReferenceField) root = root->FReferenceField;
  if (root == this) return;  // a cycle: refused
  if (!FReferenceField) SetValueTypeClass(nullptr);
  FReferenceField = root;
}

void TcxCustomDataField::DataChanged() {
  TcxCustomDataController* dc = DataController();
  if (dc && dc->Provider() && dc->Provider()->LockCount() == 0) dc->Provider()->StructureChanged();
}

void TcxCustomDataField::BeginRecreateData() {
  if (++FRecreateLockCount == 1 && !FReferenceField) FreeAndNil(FValueDef);
}

void TcxCustomDataField::EndRecreateData() {
  if (--FRecreateLockCount != 0) return;
  TcxCustomDataController* dc = DataController();
  if (FValueTypeClass && !FReferenceField && dc)
    FValueDef = dc->DataStorage()->ValueDefs()->Add(FValueTypeClass, IsInternal(), this, FTextStored);
}

// ---------------------------------------------------------------------------------------
// TcxCustomDataFieldList

TcxCustomDataFieldList::TcxCustomDataFieldList(TcxCustomDataController* ADataController)
    : FDataController(ADataController) {}

TcxCustomDataFieldList::~TcxCustomDataFieldList() { Clear(); }

void TcxCustomDataFieldList::RemoveNotification(TComponent* AComponent) {
  for (TcxCustomDataField* field : std::vector<TcxCustomDataField*>(FItems)) field->RemoveNotification(AComponent);
}

void TcxCustomDataFieldList::Add(TcxCustomDataField* AField) {
  if (AField->IsInternal()) FItems.push_back(AField);
  else FItems.insert(FItems.begin() + (Count() - FInternalCount), AField);
  AField->FFieldList = this;
  recountInternal();
}

void TcxCustomDataFieldList::Remove(TcxCustomDataField* AField) {
  if (IndexOf(AField) < 0) return;
  FFieldDestroyed = true;
  if (FDataController) FDataController->FieldRemoved(AField);
  ReassignReferences(AField);
  FItems.erase(std::find(FItems.begin(), FItems.end(), AField));
  AField->FFieldList = nullptr;
  recountInternal();
}

void TcxCustomDataFieldList::ReassignReferences(TcxCustomDataField* AField) {
  TcxCustomDataField* heir = nullptr;
  for (TcxCustomDataField* field : FItems) {
    if (field == AField || field->FReferenceField != AField) continue;
    if (!heir) {
      heir = field;
      heir->Reassign(AField);
    } else {
      field->FReferenceField = heir;
    }
  }
}

void TcxCustomDataFieldList::Clear() {
  while (!FItems.empty()) FItems.back()->Free();
}

TcxCustomDataField* TcxCustomDataFieldList::Items(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) throw EListError("List index out of bounds (" + IntToStr(AIndex) + ")");
  return FItems[static_cast<size_t>(AIndex)];
}

Integer TcxCustomDataFieldList::IndexOf(const TcxCustomDataField* AField) const {
  auto it = std::find(FItems.begin(), FItems.end(), AField);
  return it == FItems.end() ? -1 : static_cast<Integer>(it - FItems.begin());
}

TcxCustomDataField* TcxCustomDataFieldList::FieldByItem(TObject* AItem) const {
  for (TcxCustomDataField* field : FItems)
    if (field->Item() == AItem) return field;
  return nullptr;
}

void TcxCustomDataFieldList::move(TcxCustomDataField* AField, Integer AIndex) {
  Integer from = IndexOf(AField);
  if (from < 0) return;
  AIndex = std::clamp(AIndex, 0, Count() - 1);
  FItems.erase(FItems.begin() + from);
  FItems.insert(FItems.begin() + AIndex, AField);
}

void TcxCustomDataFieldList::recountInternal() {
  FInternalCount = 0;
  for (TcxCustomDataField* field : FItems)
    if (field->IsInternal()) ++FInternalCount;
}

// ---------------------------------------------------------------------------------------
// TcxCustomDataProvider

TcxCustomDataProvider::TcxCustomDataProvider(TcxCustomDataController* ADataController)
    : FDataController(ADataController) {}

TcxCustomDataProvider::~TcxCustomDataProvider() { FreeSavedRecord(); }

bool TcxCustomDataProvider::CanDelete() { return FDataController->GetRecordCount() > 0; }

bool TcxCustomDataProvider::EditRecord(Integer ARecordIndex) {
  FDataController->CheckRecordIndex(ARecordIndex);
  if (!IsEditing()) BeginEdit();
  if (IsEditing()) SetEditorValuePending();
  return true;
}

void TcxCustomDataProvider::DoEdit() {
  TcxCustomDataController* dc = FDataController;
  if (dc->IsNewItemRowFocused() && !IsInserting()) {
    Insert();
    return;
  }
  FEditingRecordIndex = dc->GetRecordIndexForEditing();
  if (FEditingRecordIndex >= 0) {
    FPrevRecordIndex = cxNoRecordIndex;
    FNextRecordIndex = cxNoRecordIndex;
    Integer row = dc->GetFocusedRowIndex();
    if (row != -1) {
      if (row < dc->GetRowCount() - 1) FNextRecordIndex = dc->GetRowInfo(row + 1).RecordIndex;
      else FPrevRecordIndex = dc->GetRowInfo(row > 0 ? row - 1 : row).RecordIndex;
    }
  }
  if (FEditingRecordIndex != cxNoRecordIndex) {
    if (!IsActive() && !IsInserting()) SaveRecord(FEditingRecordIndex);
    dc->Change(dccUpdateRecord);
  }
}

void TcxCustomDataProvider::InsertOrAppend(bool AAppend) {
  TcxCustomDataController* dc = FDataController;
  if (!IsActive() && IsInserting() && !IsEditorValuePending() && !IsModified()) return;
  if (IsEditing() && (IsEditorValuePending() || IsModified()) && !IsActive()) {
    if (IsEditorValuePending()) UpdateData();
    Post();
  }
  dc->DoBeforeInsert();
  {
    UpdateLock<TcxCustomDataController> lock(dc);
    std::vector<Variant> groupingValues;
    if (dc->NewItemRowEnabled()) {
      Integer a = dc->GetFocusedRecordIndex();
      if (dc->GetFocusedRowIndex() == -1 && dc->GetRowCount() > 0) a = dc->GetRowInfo(0).RecordIndex;
      FEditingRecordIndex = dc->GetNewItemRecordIndex();
      dc->SetNewItemRowFocused(true);
      dc->GetGroupingValues(a, groupingValues);
    } else if (IsGridMode()) {
      FEditingRecordIndex = dc->GetActiveRecordIndex();
      dc->GetGroupingValues(FEditingRecordIndex, groupingValues);
    } else if (AAppend) {
      Integer rows = dc->GetRowCount();
      Integer a = rows > 0 ? dc->GetRowInfo(rows - 1).RecordIndex : -1;
      dc->GetGroupingValues(a, groupingValues);
      FEditingRecordIndex = dc->AppendRecord();
      FPrevRecordIndex = a;
    } else {
      Integer row = dc->GetFocusedRowIndex();
      Integer b = row != -1 ? dc->GetRowInfo(row).RecordIndex : 0;
      dc->GetGroupingValues(b, groupingValues);
      FEditingRecordIndex = dc->InsertRecord(b);
      FNextRecordIndex = b + 1;
    }
    AssignItemValues(FEditingRecordIndex, groupingValues);
    ResetEditorValuePending();
    FInserting = true;
  }
  dc->ChangeFocusedRecordIndex(FEditingRecordIndex);
  dc->DoAfterInsert();
}

void TcxCustomDataProvider::Post() {
  TcxCustomDataController* dc = FDataController;
  if (IsEditorValuePending()) dc->UpdateEditorValue();
  Integer r;
  bool posted = false;
  if (!IsInserting() || IsModified()) {
    dc->DoBeforePost();
    r = FEditingRecordIndex;
    if (IsInserting() && dc->IsNewItemRecord(FEditingRecordIndex)) {
      r = dc->AppendRecord();
      FInsertedRecordIndex = r;
      dc->CopyRecordValues(FEditingRecordIndex, r);
    }
    ResetEditing();
    posted = true;
  } else {
    Cancel();
    r = -1;
  }
  dc->DataChanged(dcRecord, -1, r);
  if (posted) dc->DoAfterPost();
}

void TcxCustomDataProvider::Cancel() {
  TcxCustomDataController* dc = FDataController;
  dc->DoBeforeCancel();
  {
    UpdateLock<TcxCustomDataController> lock(dc);
    Integer editing = FEditingRecordIndex;
    bool valid = (editing >= 0 && editing < dc->GetRecordCount()) || dc->IsNewItemRecord(editing);
    if (IsEditing() && valid) {
      if (FInserting) {
        Integer f = dc->GetFocusedRecordIndex();
        dc->DeleteRecord(editing);
        if (f >= 0 && f >= dc->GetRecordCount()) dc->ChangeFocusedRecordIndex(f - 1);
      } else if (FSavedRecordIndex != 0) {
        dc->CopyRecordValues(FSavedRecordIndex, editing);
      }
    }
    ResetEditing();
  }
  dc->DoAfterCancel();
}

Integer TcxCustomDataProvider::Delete() {
  TcxCustomDataController* dc = FDataController;
  Integer r = dc->GetFocusedRecordIndex();
  if (r < 0) return -1;
  dc->DoBeforeDelete(r);
  dc->DeleteRecord(r);
  if (dc->GetFocusedRecordIndex() < 0 && dc->GetRowCount() > 0)
    dc->ChangeFocusedRecordIndex(dc->GetRowInfo(dc->GetRowCount() - 1).RecordIndex);
  dc->DoAfterDelete();
  return r;
}

void TcxCustomDataProvider::DeleteRecords(const std::vector<Integer>& AList) {
  TcxCustomDataController* dc = FDataController;
  {
    ScopeExit endUpdate([dc] { dc->DoEndUpdate(); });
    dc->DoBeginUpdate();
    for (auto it = AList.rbegin(); it != AList.rend(); ++it) {
      dc->DoBeforeDelete(*it);
      dc->DeleteRecord(*it);
      dc->DoAfterDelete();
    }
  }
  if (!dc->IsUpdateLocked() && dc->GetFocusedRecordIndex() < 0 && dc->GetRowCount() > 0)
    dc->ChangeFocusedRecordIndex(dc->GetRowInfo(dc->GetRowCount() - 1).RecordIndex);
}

void TcxCustomDataProvider::DeleteSelection() {
  TcxCustomDataController* dc = FDataController;
  std::vector<Integer> records;
  for (Integer i = 0; i < dc->GetSelectedCount(); ++i) {
    Integer row = dc->GetSelectedRowIndex(i);
    records.push_back(dc->GetRowInfo(row).RecordIndex);
  }
  std::sort(records.begin(), records.end());
  records.erase(std::unique(records.begin(), records.end()), records.end());
  DeleteRecords(records);
}

void TcxCustomDataProvider::GetEditValue(Integer ARecordIndex, TcxCustomDataField* AField, Variant& V,
                                         TcxDataEditValueSource) {
  if (ARecordIndex == cxNoRecordIndex) {
    V = Null();
    dataError(scxDataRecordIndexOutOfRange);
  }
  FDataController->GetFieldValue(ARecordIndex, AField, V);
}

void TcxCustomDataProvider::UpdateData() {
  if (FEditorValuePending) FDataController->UpdateEditorValue();
  FEditorValuePending = false;
}

bool TcxCustomDataProvider::SetEditValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                         TcxDataEditValueSource AEditValueSource, const Variant& V) {
  Variant value = V;
  if (AEditValueSource == TcxDataEditValueSource::Text && !V.IsNull() && !V.IsEmpty() && VarToStr(V).empty()) value = Null();
  FDataController->SetValue(ARecordIndex, AField->Index(), value);
  SetModified();
  return true;
}

void TcxCustomDataProvider::SetValue(Integer ARecordIndex, TcxCustomDataField* AField, const Variant& V) {
  FDataController->SetValue(ARecordIndex, AField->Index(), V);
}

void TcxCustomDataProvider::AssignItemValues(Integer ARecordIndex, const std::vector<Variant>& AGroupingValues) {
  // Grouping levels come with the row list's grouping; with none there is nothing to copy.
  FDataController->DoNewRecord(ARecordIndex);
}

void TcxCustomDataProvider::ResetEditing() {
  // The new-item row's internal record goes back to the storage, and the controller
  // forgets its index at once: otherwise the next internal record made (a saved copy)
  // could reuse the slot while the controller still took it for the new-item row.
  if (FEditingRecordIndex != cxNoRecordIndex && FDataController->IsNewItemRecord(FEditingRecordIndex)) {
    Integer index = FEditingRecordIndex;
    FEditingRecordIndex = cxNoRecordIndex;
    FDataController->FNewItemRecordIndex = 0;
    FDataController->DataStorage()->DeleteInternalRecord(index);
  }
  FEditingRecordIndex = cxNoRecordIndex;
  FPrevRecordIndex = cxNoRecordIndex;
  FNextRecordIndex = cxNoRecordIndex;
  FInserting = false;
  ResetEditorValuePending();
  ResetModified();
  FreeSavedRecord();
}

TClass TcxCustomDataProvider::GetValueDefReaderClass() { return TcxValueDefReader::StaticClass(); }

void TcxCustomDataProvider::ActiveChanged(bool AActive) {
  FDataController->ActiveChanged(AActive);
  ResetEditorValuePending();
}

void TcxCustomDataProvider::DataChanged(TcxDataChangeKind AKind, Integer AItemIndex, Integer ARecordIndex) {
  if (FLockCount == 0) FDataController->DataChanged(AKind, AItemIndex, ARecordIndex);
  ResetEditing();
}

void TcxCustomDataProvider::LayoutChanged() {
  FDataController->LayoutChanged();
  ResetEditorValuePending();
}

void TcxCustomDataProvider::StructureChanged() { FDataController->UpdateStructure(); }

void TcxCustomDataProvider::SaveRecord(Integer ARecordIndex) {
  if (FSavedRecordIndex == 0) FSavedRecordIndex = FDataController->DataStorage()->AddInternalRecord();
  FDataController->CopyRecordValues(ARecordIndex, FSavedRecordIndex);
}

void TcxCustomDataProvider::FreeSavedRecord() {
  if (FSavedRecordIndex == 0) return;
  Integer index = FSavedRecordIndex;
  FSavedRecordIndex = 0;
  if (FDataController && FDataController->DataStorage()) FDataController->DataStorage()->DeleteInternalRecord(index);
}

// ---------------------------------------------------------------------------------------
// TcxCustomDataControllerInfo

TcxCustomDataControllerInfo::TcxCustomDataControllerInfo(TcxCustomDataController* ADataController)
    : FDataController(ADataController) {}

void TcxCustomDataControllerInfo::EndUpdate() {
  if (FLockCount > 0) --FLockCount;
  CheckChanges();
}

void TcxCustomDataControllerInfo::CheckChanges() {
  if (FChanges != 0 && FLockCount == 0) Update();
}

void TcxCustomDataControllerInfo::Refresh() {
  FChanges |= ciRefresh | ciSummary;
  CheckChanges();
}

void TcxCustomDataControllerInfo::RefreshFocused() {
  FChanges |= ciRefreshFocused;
  CheckChanges();
}

void TcxCustomDataControllerInfo::FocusedRecordChanged(bool AChangePrevFocus) {
  FChanges |= ciFocus;
  if (AChangePrevFocus) FPrevious.Changed = true;
  CheckChanges();
}

void TcxCustomDataControllerInfo::LayoutChanged() {
  FChanges |= ciLayout;
  CheckChanges();
}

TcxRowInfo TcxCustomDataControllerInfo::GetRowInfo(Integer ARowIndex) const {
  if (ARowIndex < 0 || ARowIndex >= GetRowCount()) dataError(scxDataRowIndexOutOfRange);
  TcxRowInfo info;
  info.RecordIndex = GetRecordListItem(ARowIndex);
  return info;
}

Integer TcxCustomDataControllerInfo::IndexOfRecord(Integer ARecordIndex) const {
  if (ARecordIndex < 0) return -1;
  auto it = std::find(FRecordList.begin(), FRecordList.end(), ARecordIndex);
  return it == FRecordList.end() ? -1 : static_cast<Integer>(it - FRecordList.begin());
}

Integer TcxCustomDataControllerInfo::GetFocusedRecordIndex() const {
  Integer row = FCurrent.RowIndex;
  if (row < 0 || row >= GetRowCount()) return -1;
  return GetRecordListItem(row);
}

bool TcxCustomDataControllerInfo::focusEqual() const {
  if (FCurrent.RecordIndex != FPrevious.RecordIndex || FCurrent.Level != FPrevious.Level) return false;
  return !(FChanges & ciSorting) || FCurrent.RowIndex == FPrevious.RowIndex;
}

void TcxCustomDataControllerInfo::ChangeFocusedRowIndex(Integer ARowIndex, bool AForce) {
  ARowIndex = std::clamp(ARowIndex, -1, GetRowCount() - 1);
  if (ARowIndex == FCurrent.RowIndex) return;
  FFocusing = true;
  if (!(FChanges & ciFocusedInCycle)) FPrevious.AssignFrom(FCurrent);
  bool accepted = false;
  ScopeExit reread([&] {
    Integer rows = GetRowCount();
    if (FCurrent.RowIndex >= rows) FCurrent.RowIndex = -1;
    if (FPrevious.RowIndex >= rows) FPrevious.RowIndex = -1;
    if (accepted || FPrevious.RowIndex != -1) {
      FCurrent.Level = FCurrent.RowIndex == -1 ? -1 : 0;
      FCurrent.RecordIndex = FCurrent.RowIndex == -1 ? -1 : FDataController->GetSyncFocusedRecordIndex();
      FCurrent.PriorRecordIndex = FCurrent.RecordIndex;
      // A source that stayed on another record takes the focus there.
      if (FCurrent.RowIndex != -1 && GetRecordListItem(FCurrent.RowIndex) != FCurrent.RecordIndex)
        FCurrent.RowIndex = IndexOfRecord(FCurrent.RecordIndex);
    }
    if (!focusEqual()) {
      FChanges |= ciFocus | ciFocusedInCycle;
      FDataController->ResetNewItemRowFocus();
      if (FDataController->IsSingleSelection()) FDataController->SetFocusedRowSelected(true);
    }
    FFocusing = false;
  });
  Integer record = ARowIndex == -1 ? -1 : GetRecordListItem(ARowIndex);
  accepted = AForce || FDataController->FocusRecordInSource(record);
  if (accepted) {
    FDataController->DoBeforeFocusedRowChange(ARowIndex);
    FCurrent.RowIndex = ARowIndex;
  }
}

void TcxCustomDataControllerInfo::FocusRow(Integer ARowIndex) {
  ChangeFocusedRowIndex(ARowIndex, false);
  CheckChanges();
}

void TcxCustomDataControllerInfo::resyncFocus() {
  Integer r = FCurrent.RecordIndex < 0 ? -1 : IndexOfRecord(FCurrent.RecordIndex);
  Integer rows = GetRowCount();
  if (r != FCurrent.RowIndex &&
      (FCurrent.RowIndex < 0 || FCurrent.RowIndex >= rows || GetRecordListItem(FCurrent.RowIndex) != FCurrent.RecordIndex))
    ChangeFocusedRowIndex(r, true);
  if ((FChanges & ciFocusedInCycle) && FPrevious.RowIndex >= rows) FPrevious.RowIndex = -1;
}

void TcxCustomDataControllerInfo::Update() {
  // Held locked while it works: a change requested by a handler reached from here (a post
  // when focus moves) is collected and reported with this cycle instead of re-entering.
  ++FLockCount;
  Word work = FChanges;
  ScopeExit report([&] {
    --FLockCount;
    Word bits = FChanges;
    FChanges = 0;
    TcxDataControllerChanges changes = 0;
    if (bits & (ciSorting | ciLayout)) changes |= dccLayout;
    if (bits & (ciRefresh | ciGrouping | ciExpanding)) changes |= dccData;
    if (bits & (ciFocusedInCycle | ciRefreshFocused | ciFocus)) changes |= dccFocus;
    if (bits & ciSelection) changes |= dccSelection;
    if (bits & ciSummary) changes |= dccExpanding;
    if (changes) FDataController->Change(changes);
  });
  if (work & ciRefresh) {
    Integer count = FDataController->GetRecordCount();
    FRecordList.resize(static_cast<size_t>(count));
    for (Integer i = 0; i < count; ++i) FRecordList[static_cast<size_t>(i)] = i;
  }
  resyncFocus();
  FDataController->CheckBookmarkValid(-1);
}

// ---------------------------------------------------------------------------------------
// TcxCustomDataController: construction

TcxCustomDataController::TcxCustomDataController(TComponent* AOwner) : FOwner(AOwner) {
  FDataStorage.reset(New<TcxDataStorage>());
  FFields.reset(New<TcxCustomDataFieldList>(this));
  FDataControllerInfo.reset(New<TcxCustomDataControllerInfo>(this));
  FNotifier.reset(New<TcxDataControllerNotifier>(this));
  FDataStorage->SetOnClearInternalRecords(TNotifyEvent(this, &TcxCustomDataController::InternalRecordsCleared));
}

void TcxCustomDataController::AfterConstruction() {
  inherited::AfterConstruction();
  // The provider's class is a virtual choice of the descendant, so it is made once the
  // object is complete.
  FProvider.reset(static_cast<TcxCustomDataProvider*>(GetDataProviderClass()->CreateInstance(this)));
}

void TcxCustomDataController::BeforeDestruction() {
  FDestroying = true;
  inherited::BeforeDestruction();
}

TcxCustomDataController::~TcxCustomDataController() {
  FNotifier.reset();
  if (FProvider) FProvider->FreeSavedRecord();
  FDataStorage->Clear(false);
  FFields.reset();
  // The rows go after the fields: removing a field may still ask about the update state.
  FDataControllerInfo.reset();
  FProvider.reset();
  FDataStorage.reset();
  FDataChangedListeners.clear();
  while (!FListenerLinks.empty()) {
    FListenerLinks.back()->FDataController = nullptr;
    FListenerLinks.pop_back();
  }
}

HRESULT STDMETHODCALLTYPE TcxCustomDataController::QueryInterface(const ::IID& riid, void** obj) {
  if (IsEqualGUID(riid, IInterface::IID())) {
    if (obj) *obj = static_cast<IInterface*>(this);
    return S_OK;
  }
  if (GetInterface(riid, obj)) return S_OK;
  if (obj) *obj = nullptr;
  return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE TcxCustomDataController::_AddRef() { return static_cast<ULONG>(-1); }
ULONG STDMETHODCALLTYPE TcxCustomDataController::_Release() { return static_cast<ULONG>(-1); }

void TcxCustomDataController::Assign(TPersistent* ASource) {
  auto* source = dynamic_cast<TcxCustomDataController*>(ASource);
  if (!source) {
    inherited::Assign(ASource);
    return;
  }
  OnCompare = source->OnCompare;
  OnDataChanged = source->OnDataChanged;
  OnGroupingChanged = source->OnGroupingChanged;
  OnRecordChanged = source->OnRecordChanged;
  OnSortingChanged = source->OnSortingChanged;
}

// ---------------------------------------------------------------------------------------
// Items

TcxCustomDataField* TcxCustomDataController::AddInternalField() {
  auto* field = static_cast<TcxCustomDataField*>(GetFieldClass()->CreateInstance(FFields.get()));
  field->FIsInternal = true;
  FFields->Add(field);
  return field;
}

TcxCustomDataField* TcxCustomDataController::CreateField() {
  auto* field = static_cast<TcxCustomDataField*>(GetFieldClass()->CreateInstance(FFields.get()));
  FFields->Add(field);
  return field;
}

TClass TcxCustomDataController::GetFieldClass() { return TcxCustomDataField::StaticClass(); }
TClass TcxCustomDataController::GetDataProviderClass() { return TcxCustomDataProvider::StaticClass(); }
Integer TcxCustomDataController::GetItemCount() { return FFields->ItemCount(); }

TObject* TcxCustomDataController::GetItemByID(Integer AID) {
  for (Integer i = 0; i < GetItemCount(); ++i)
    if (GetItemID(GetItem(i)) == AID) return GetItem(i);
  return nullptr;
}

TObject* TcxCustomDataController::FindItemByItemID(TObject* AItem) { return GetItemByID(GetItemID(AItem)); }

void TcxCustomDataController::AddItem(TObject* AItem) {
  if (FFields->FieldByItem(AItem)) dataError(scxDataItemExists);
  CreateField()->SetItem(AItem);
}

void TcxCustomDataController::RemoveItem(TObject* AItem) {
  UpdateLock<TcxCustomDataController> lock(this);
  FreeObject(FFields->FieldByItem(AItem));
}

void TcxCustomDataController::UpdateItemIndexes() {
  for (Integer i = 0; i < GetItemCount(); ++i)
    if (TcxCustomDataField* field = FFields->FieldByItem(GetItem(i))) field->SetIndex(i);
  Change(dccLayout);
}

TcxCustomDataField* TcxCustomDataController::ItemField(Integer AItemIndex) {
  CheckItemIndex(AItemIndex);
  return FFields->Items(AItemIndex);
}

TcxValueTypeClass TcxCustomDataController::GetItemValueTypeClass(Integer AItemIndex) {
  return ItemField(AItemIndex)->ValueTypeClass();
}

void TcxCustomDataController::SetItemValueTypeClass(Integer AItemIndex, TcxValueTypeClass AValue) {
  ItemField(AItemIndex)->SetValueTypeClass(AValue);
  FDataControllerInfo->LayoutChanged();
  DoValueTypeClassChanged(AItemIndex);
}

bool TcxCustomDataController::GetItemTextStored(Integer AItemIndex) { return ItemField(AItemIndex)->TextStored(); }

void TcxCustomDataController::SetItemTextStored(Integer AItemIndex, bool AValue) {
  ItemField(AItemIndex)->SetTextStored(AValue);
  FDataControllerInfo->LayoutChanged();
}

bool TcxCustomDataController::GetItemCompareByValue(Integer AItemIndex) {
  return ItemField(AItemIndex)->CompareByValue;
}

void TcxCustomDataController::SetItemCompareByValue(Integer AItemIndex, bool AValue) {
  TcxCustomDataField* field = ItemField(AItemIndex);
  if (field->CompareByValue == AValue) return;
  field->CompareByValue = AValue;
  FDataControllerInfo->LayoutChanged();
}

void TcxCustomDataController::GetFilterFieldName(TObject* AItem, std::string& S) {
  TcxCustomDataField* field = FFields->FieldByItem(AItem);
  if (field) GetItemDisplayName(field->Index(), S);
  else S.clear();
}

void TcxCustomDataController::FieldRemoved(TcxCustomDataField*) {}

void TcxCustomDataController::RemoveNotification(TComponent* AComponent) { FFields->RemoveNotification(AComponent); }

void TcxCustomDataController::UpdateFields() {
  for (Integer i = 0; i < FFields->Count(); ++i) FFields->Items(i)->Updated = false;
  bool restart = true;
  while (restart) {
    restart = false;
    FFields->ClearFieldDestroyed();
    for (Integer i = 0; i < FFields->Count(); ++i) {
      TcxCustomDataField* field = FFields->Items(i);
      if (field->Updated) continue;
      UpdateField(field);
      field->Updated = true;
      if (FFields->FieldDestroyed()) {
        restart = true;
        break;
      }
    }
  }
}

bool TcxCustomDataController::IsProviderField(TcxCustomDataField* AField) {
  if (!AField->IsInternal()) return true;
  TcxCustomDataField* ref = AField->ReferenceField();
  return ref && !ref->IsInternal();
}

void TcxCustomDataController::CheckItemIndex(Integer AItemIndex) {
  if (AItemIndex < 0 || AItemIndex >= GetItemCount()) dataError(scxDataItemIndexOutOfRange);
}

void TcxCustomDataController::CheckRecordIndex(Integer ARecordIndex) {
  if (ARecordIndex >= 0 && ARecordIndex < GetRecordCount()) return;
  // The new-item row's record counts only once it exists: a stray -1 ("no record") must
  // not be taken for it.
  if (IsNewItemRecord(ARecordIndex)) return;
  dataError(scxDataRecordIndexOutOfRange);
}

// ---------------------------------------------------------------------------------------
// Records and values

Integer TcxCustomDataController::GetRecordCount() { return FDataStorage->RecordCount(); }

void TcxCustomDataController::SetRecordCount(Integer ACount) {
  if (IsGridMode()) return;
  if (ACount < 0) ACount = 0;
  Integer old = GetRecordCount();
  if (ACount == old) return;
  // One dispatch for the rebuilt rows and the data change.
  UpdateLock<TcxCustomDataController> lock(this);
  FDataStorage->SetRecordCount(ACount);
  FDataControllerInfo->Refresh();
  CheckBookmarkValid(-1);
  CheckEditingRecordIndex(-1);
  DataChanged(ACount > old ? dcRecordsAdded : dcRecordsDeleted, -1, -1);
}

Integer TcxCustomDataController::AppendRecord() {
  Integer index = FDataStorage->AppendRecord();
  DataChanged(dcRecordsAdded, -1, -1);
  return index;
}

Integer TcxCustomDataController::InsertRecord(Integer ARecordIndex) {
  if (ARecordIndex < 0 || ARecordIndex > GetRecordCount()) dataError(scxDataRecordIndexOutOfRange);
  FDataStorage->InsertRecord(ARecordIndex);
  // The bookmark stays with its record, which moved up by one.
  if (FBookmarkRecordIndex >= ARecordIndex) ++FBookmarkRecordIndex;
  DoRecordInserted(ARecordIndex);
  DataChanged(dcRecordsAdded, -1, -1);
  return ARecordIndex;
}

void TcxCustomDataController::DeleteRecord(Integer ARecordIndex) {
  CheckRecordIndex(ARecordIndex);
  UpdateLock<TcxCustomDataController> lock(this);
  if (FProvider->IsEditing() && FProvider->EditingRecordIndex() == ARecordIndex) FProvider->ResetEditing();
  bool newItem = IsNewItemRecord(ARecordIndex);
  if (ARecordIndex >= 0 || FDataStorage->IsInternalRecordInUse(ARecordIndex)) FDataStorage->DeleteRecord(ARecordIndex);
  DoRecordDeleted(ARecordIndex);
  FDataControllerInfo->Refresh();
  // The bookmark stays with its record: a later record moved down by one.
  if (ARecordIndex >= 0 && FBookmarkRecordIndex > ARecordIndex) --FBookmarkRecordIndex;
  else CheckBookmarkValid(ARecordIndex);
  if (newItem) FNewItemRecordIndex = 0;
  DataChanged(dcRecordsDeleted, -1, -1);
}

void TcxCustomDataController::GetValue(Integer ARecordIndex, Integer AItemIndex, Variant& V) {
  CheckRecordIndex(ARecordIndex);
  GetFieldValue(ARecordIndex, ItemField(AItemIndex), V);
}

Variant TcxCustomDataController::Values(Integer ARecordIndex, Integer AItemIndex) {
  Variant V;
  GetValue(ARecordIndex, AItemIndex, V);
  return V;
}

void TcxCustomDataController::SetValue(Integer ARecordIndex, Integer AItemIndex, const Variant& V) {
  if (IsGridMode()) return;
  CheckRecordIndex(ARecordIndex);
  TcxCustomDataField* field = ItemField(AItemIndex);
  if (TcxValueDef* def = field->ValueDef()) FDataStorage->SetValue(ARecordIndex, def, V);
  DataChanged(dcItemValue, AItemIndex, ARecordIndex);
}

void TcxCustomDataController::GetDisplayText(Integer ARecordIndex, Integer AItemIndex, std::string& S) {
  CheckRecordIndex(ARecordIndex);
  GetFieldDisplayText(ARecordIndex, ItemField(AItemIndex), S);
}

std::string TcxCustomDataController::DisplayTexts(Integer ARecordIndex, Integer AItemIndex) {
  std::string S;
  GetDisplayText(ARecordIndex, AItemIndex, S);
  return S;
}

void TcxCustomDataController::SetDisplayText(Integer ARecordIndex, Integer AItemIndex, const std::string& S) {
  if (IsGridMode()) return;
  CheckRecordIndex(ARecordIndex);
  TcxCustomDataField* field = ItemField(AItemIndex);
  if (TcxValueDef* def = field->ValueDef()) FDataStorage->SetDisplayText(ARecordIndex, def, S);
  DataChanged(dcItemValue, AItemIndex, ARecordIndex);
}

void TcxCustomDataController::GetFieldValue(Integer ARecordIndex, TcxCustomDataField* AField, Variant& V) {
  if (IsGridMode() && IsProviderField(AField)) {
    FProvider->GetGridModeValue(ARecordIndex, AField, V);
    return;
  }
  TcxValueDef* def = AField->ValueDef();
  if (!def) V = Null();
  else FDataStorage->GetValue(ARecordIndex, def, V);
}

void TcxCustomDataController::GetFieldDisplayText(Integer ARecordIndex, TcxCustomDataField* AField, std::string& S) {
  if (IsGridMode() && IsProviderField(AField)) {
    FProvider->GetGridModeDisplayText(ARecordIndex, AField, S);
    return;
  }
  TcxValueDef* def = AField->ValueDef();
  if (!def) S.clear();
  else FDataStorage->GetDisplayText(ARecordIndex, def, S);
}

void TcxCustomDataController::GetKeyValue(Integer ARecordIndex, const std::vector<TcxCustomDataField*>& AFields,
                                          Variant& V) {
  if (AFields.empty()) {
    V = Null();
  } else if (AFields.size() == 1) {
    GetFieldValue(ARecordIndex, AFields[0], V);
  } else {
    V = VarArrayCreate({0, static_cast<Integer>(AFields.size()) - 1}, varVariant);
    for (size_t i = 0; i < AFields.size(); ++i) {
      Variant value;
      GetFieldValue(ARecordIndex, AFields[i], value);
      V[static_cast<Integer>(i)] = value;
    }
  }
}

void TcxCustomDataController::CopyRecordValues(Integer ASourceRecordIndex, Integer ADestRecordIndex) {
  for (Integer i = 0; i < FFields->Count(); ++i) {
    TcxCustomDataField* field = FFields->Items(i);
    TcxValueDef* def = field->ValueDef();
    if (field->IsInternal() || !def || field->ReferenceField()) continue;
    FDataStorage->SetValue(ADestRecordIndex, def, FDataStorage->GetValue(ASourceRecordIndex, def));
    if (field->TextStored())
      FDataStorage->SetDisplayText(ADestRecordIndex, def, FDataStorage->GetDisplayText(ASourceRecordIndex, def));
  }
  if (ADestRecordIndex >= 0) DataChanged(dcRecord, -1, ADestRecordIndex);
}

void TcxCustomDataController::DoRecordDeleted(Integer ARecordIndex) {
  if (ARecordIndex < 0) return;
  CheckEditingRecordIndex(ARecordIndex);
}

void TcxCustomDataController::CheckEditingRecordIndex(Integer ARecordIndex) {
  if (!FProvider->IsEditing()) return;
  Integer editing = FProvider->EditingRecordIndex();
  if (editing < 0) return;
  if (ARecordIndex <= editing || editing >= GetRecordCount()) FProvider->ResetEditing();
}

void TcxCustomDataController::DoReadRecord(Integer ARecordIndex) { FProvider->DoRecordLoaded(ARecordIndex); }

void TcxCustomDataController::BeginReadRecords() {
  FProvider->LockNotify();
  FProvider->SavePosition();
  FDataStorage->BeginLoad();
}

void TcxCustomDataController::EndReadRecords() {
  FDataStorage->EndLoad();
  FProvider->RestorePosition();
  FProvider->UnlockNotify();
  RefreshRowList();
  FDataControllerInfo->Refresh();
}

Integer TcxCustomDataController::AppendRecordFromReader(TcxValueDefReader* AReader) {
  Integer index = FDataStorage->AppendRecord();
  FDataStorage->ReadRecord(index, AReader, true);
  DoReadRecord(index);
  return index;
}

void TcxCustomDataController::LoadData() {
  FDataStorage->Clear(false);
  if (FProvider->CanLoadData()) {
    if (IsGridMode()) {
      FDataStorage->BeginLoad();
      FProvider->LoadGridModeBuffer();
      FDataStorage->EndLoad();
    } else {
      FProvider->LockNotify();
      ScopeExit unlock([this] {
        FProvider->RestorePosition();
        FProvider->UnlockNotify();
      });
      FProvider->SavePosition();
      FProvider->First();
      if (FProvider->FieldsRecreatedAfterFirst()) UpdateFields();
      FDataStorage->BeginLoad();
      std::unique_ptr<TcxValueDefReader, TObjectDeleter> reader(
          static_cast<TcxValueDefReader*>(FProvider->GetValueDefReaderClass()->CreateInstance()));
      while (!FProvider->IsEOF()) {
        AppendRecordFromReader(reader.get());
        FProvider->Next();
      }
      FDataStorage->EndLoad();
      FLoaded = true;
    }
  }
  FDataControllerInfo->Refresh();
  CheckBookmarkValid(-1);
  RefreshRowList();
  Change(dccData);
  DataLoaded();
}

void TcxCustomDataController::RebuildStructure() {
  UpdateLock<TcxCustomDataController> lock(this);
  FProvider->ResetEditing();
  FDataStorage->Clear(false);
  DoClearBookmark();
  FDataControllerInfo->Refresh();
  FDataStorage->SetStoredValuesOnly(IsGridMode());
  FStructureRebuilt = true;
  UpdateStructure();
}

void TcxCustomDataController::UpdateStructure() { checkStructure(FProvider->CanLoadData()); }

void TcxCustomDataController::checkStructure(bool ALoad) {
  if (FInCheckStructure) return;
  FInCheckStructure = true;
  ScopeExit done([this] { FInCheckStructure = false; });
  if (IsUpdateLocked()) FStructureChangePending = true;
  if (IsStructureUpdateNeeded()) doUpdateStructure(ALoad);
}

void TcxCustomDataController::doUpdateStructure(bool ALoad) {
  ScopeExit done([this] { FStructureRebuilt = false; });
  UpdateLock<TcxCustomDataController> lock(this);
  if (IsStructureUpdateNeeded()) {
    if (ALoad || FProvider->HasDataFields()) UpdateFields();
    if (!FStructureChangePending) LoadData();
  }
  FDataControllerInfo->Refresh();
}

void TcxCustomDataController::ActiveChanged(bool AActive) {
  FActive = AActive;
  UpdateStructure();
}

void TcxCustomDataController::InternalRecordsCleared(TObject*) {
  if (FProvider) FProvider->FSavedRecordIndex = 0;
  FNewItemRecordIndex = 0;
}

Integer TcxCustomDataController::GetNewItemRecordIndex() {
  if (FNewItemRecordIndex == 0) FNewItemRecordIndex = FDataStorage->AddInternalRecord();
  return FNewItemRecordIndex;
}

// ---------------------------------------------------------------------------------------
// Rows, focus and navigation

Integer TcxCustomDataController::GetRowIndexByRecordIndex(Integer ARecordIndex, bool) {
  CheckRecordIndex(ARecordIndex);
  return FDataControllerInfo->GetRowIndexByRecordIndex(ARecordIndex);
}

void TcxCustomDataController::GetRowValue(Integer ARowIndex, Integer AItemIndex, Variant& V) {
  GetValue(GetRowInfo(ARowIndex).RecordIndex, AItemIndex, V);
}

void TcxCustomDataController::GetRowDisplayText(Integer ARowIndex, Integer AItemIndex, std::string& S) {
  GetDisplayText(GetRowInfo(ARowIndex).RecordIndex, AItemIndex, S);
}

void TcxCustomDataController::ForEachRow(bool ASelectedOnly, const TcxEachRowProc& AProc, void* AUserData) {
  if (ASelectedOnly) {
    for (Integer i = 0; i < GetSelectedCount(); ++i) {
      Integer row = GetSelectedRowIndex(i);
      AProc(AUserData, row, GetRowInfo(row));
    }
  } else {
    for (Integer row = 0; row < GetRowCount(); ++row) AProc(AUserData, row, GetRowInfo(row));
  }
}

void TcxCustomDataController::ChangeFocusedRecordIndex(Integer ARecordIndex) {
  ChangeFocusedRowIndex(GetRowIndexByRecordIndex(ARecordIndex, true));
}

bool TcxCustomDataController::ChangeFocusedRowIndex(Integer ARowIndex) {
  if (FProvider->IsSyncMode() && !FProvider->InInserting() && ARowIndex != GetFocusedRowIndex() &&
      !CanLeaveFocusedRecord())
    return false;
  FDataControllerInfo->FocusRow(ARowIndex);
  return true;
}

void TcxCustomDataController::GotoFirst() {
  if (IsGridMode()) FProvider->First();
  else ChangeFocusedRowIndex(0);
}

void TcxCustomDataController::GotoPrev() {
  if (IsGridMode()) FProvider->Prior();
  else ChangeFocusedRowIndex(std::max(GetFocusedRowIndex() - 1, 0));
}

void TcxCustomDataController::GotoNext() {
  if (IsGridMode()) FProvider->Next();
  else ChangeFocusedRowIndex(GetFocusedRowIndex() + 1);
}

void TcxCustomDataController::GotoLast() {
  if (IsGridMode()) FProvider->Last();
  else ChangeFocusedRowIndex(GetRowCount() - 1);
}

void TcxCustomDataController::MoveBy(Integer ADistance) {
  if (IsGridMode()) FProvider->MoveBy(ADistance);
  else ChangeFocusedRowIndex(std::max(GetFocusedRowIndex() + ADistance, 0));
}

void TcxCustomDataController::Scroll(Integer ADistance) {
  if (IsGridMode()) FProvider->Scroll(ADistance);
}

bool TcxCustomDataController::IsBOF() {
  if (IsGridMode() && !FProvider->IsInserting()) return FProvider->IsBOF();
  return GetFocusedRowIndex() == 0 || GetRowCount() == 0;
}

bool TcxCustomDataController::IsEOF() {
  if (IsGridMode()) return FProvider->IsEOF();
  return GetRowCount() == 0 || GetFocusedRowIndex() == GetRowCount() - 1;
}

Integer TcxCustomDataController::GetSyncFocusedRecordIndex() {
  if (FProvider->IsActive() && FProvider->IsSyncMode()) return FProvider->GetFocusedRecordIndex();
  return GetFocusedRecordIndex();
}

bool TcxCustomDataController::FocusRecordInSource(Integer ARecordIndex) {
  if (!FProvider->IsActive() && FProvider->IsEditing() && FProvider->EditingRecordIndex() != ARecordIndex) Post();
  return true;
}

void TcxCustomDataController::RefreshRowList() { FDataControllerInfo->RefreshFocused(); }

void TcxCustomDataController::CancelAndRefresh() {
  Cancel();
  Refresh();
  CheckBookmarkValid(-1);
}

void TcxCustomDataController::Refresh() {
  UpdateLock<TcxCustomDataController> lock(this);
  FDataControllerInfo->Refresh();
}

void TcxCustomDataController::ResetNewItemRowFocus() {
  if (!FNewItemRowFocused || GetFocusedRowIndex() == -1) return;
  FNewItemRowFocused = false;
  FNewItemRowFocusingChanged = true;
}

// ---------------------------------------------------------------------------------------
// Single selection

Integer TcxCustomDataController::GetSelectedCount() {
  return FFocusedRowSelected && GetFocusedRowIndex() != -1 ? 1 : 0;
}

Integer TcxCustomDataController::GetSelectedRowIndex(Integer AIndex) {
  if (AIndex != 0 || GetSelectedCount() == 0) throw EListError("List index out of bounds (" + IntToStr(AIndex) + ")");
  return GetFocusedRowIndex();
}

bool TcxCustomDataController::IsRowSelected(Integer ARowIndex) {
  return FFocusedRowSelected && ARowIndex != -1 && ARowIndex == GetFocusedRowIndex();
}

void TcxCustomDataController::SetFocusedRowSelected(bool AValue) {
  if (!IsSingleSelection() || FFocusedRowSelected == AValue) return;
  FFocusedRowSelected = AValue;
  if (GetFocusedRowIndex() != -1) Change(dccSelection);
}

// ---------------------------------------------------------------------------------------
// Bookmark

bool TcxCustomDataController::DoSaveBookmark() {
  Integer focused = GetFocusedRecordIndex();
  if (focused == FBookmarkRecordIndex) return false;
  FBookmarkRecordIndex = focused;
  return true;
}

void TcxCustomDataController::SaveBookmark() {
  if (DoSaveBookmark()) Change(dccBookmark);
}

void TcxCustomDataController::ClearBookmark() {
  if (!IsBookmarkAvailable()) return;
  DoClearBookmark();
  Change(dccBookmark);
}

void TcxCustomDataController::GotoBookmark() {
  if (IsBookmarkAvailable()) DoGotoBookmark();
}

bool TcxCustomDataController::IsBookmarkRow(Integer ARowIndex) {
  return IsBookmarkAvailable() && GetRowInfo(ARowIndex).RecordIndex == FBookmarkRecordIndex;
}

bool TcxCustomDataController::IsBookmarkLost(Integer ARecordIndex) {
  if (FBookmarkRecordIndex == ARecordIndex || FBookmarkRecordIndex >= GetRecordCount()) return true;
  // Inside an update bracket the rows may not be rebuilt yet; the rebuild checks again.
  if (IsUpdateLocked()) return false;
  return FDataControllerInfo->IndexOfRecord(FBookmarkRecordIndex) < 0;
}

void TcxCustomDataController::CheckBookmarkValid(Integer ARecordIndex) {
  if (IsBookmarkAvailable() && IsBookmarkLost(ARecordIndex)) {
    DoClearBookmark();
    Change(dccBookmark);
  }
}

// ---------------------------------------------------------------------------------------
// Editing

void TcxCustomDataController::Append() {
  if (FProvider->CanAppend()) FProvider->Append();
}

void TcxCustomDataController::Insert() {
  if (FProvider->CanInsert()) FProvider->Insert();
}

void TcxCustomDataController::Edit() {
  if (FProvider->CanModify()) FProvider->Edit();
}

bool TcxCustomDataController::EditItem(Integer AItemIndex) {
  TcxCustomDataField* field = ItemField(AItemIndex);
  if (!FProvider->CanModify() || !field->CanModify(CanInitEditingItem(AItemIndex))) return false;
  FProvider->EditRecord(GetEditingRecordIndex());
  return true;
}

void TcxCustomDataController::Post() {
  TcxDataListenerLink link(this);
  if (FProvider->IsEditing()) FProvider->Post();
  if (link.DataController()) FProvider->SetInsertedRecordIndex(-1);
}

void TcxCustomDataController::Cancel() {
  Integer row = GetFocusedRowIndex();
  if (FProvider->IsEditing()) FProvider->Cancel();
  if (row != -1) ChangeFocusedRowIndex(std::min(row, GetRowCount() - 1));
}

void TcxCustomDataController::DeleteFocused() {
  if (GetFocusedRowIndex() == -1 || !FProvider->CanDelete()) return;
  FProvider->Delete();
}

void TcxCustomDataController::DeleteSelection() {
  if (GetSelectedCount() == 0 || !FProvider->CanDelete()) return;
  if (IsSingleSelection()) FProvider->Delete();
  else FProvider->DeleteSelection();
}

void TcxCustomDataController::GetEditValue(Integer AItemIndex, TcxDataEditValueSource AEditValueSource, Variant& V) {
  TcxCustomDataField* field = ItemField(AItemIndex);
  if (IsNewItemRowFocused() && !FProvider->IsEditing()) {
    V = Null();
    return;
  }
  FProvider->GetEditValue(GetEditingRecordIndex(), field, V, AEditValueSource);
}

bool TcxCustomDataController::SetEditValue(Integer AItemIndex, const Variant& V,
                                           TcxDataEditValueSource AEditValueSource) {
  if (!EditItem(AItemIndex)) return false;
  return FProvider->SetEditValue(GetEditingRecordIndex(), FFields->Items(AItemIndex), AEditValueSource, V);
}

Integer TcxCustomDataController::GetEditingRecordIndex() {
  if (FProvider->IsEditing()) return FProvider->EditingRecordIndex();
  return GetRecordIndexForEditing();
}

Integer TcxCustomDataController::GetRecordIndexForEditing() {
  if (IsNewItemRowFocused()) return GetNewItemRecordIndex();
  Integer record = GetFocusedRecordIndex();
  return record >= 0 ? record : cxNoRecordIndex;
}

TcxDataEditState TcxCustomDataController::GetEditState() {
  TcxDataEditState state = 0;
  if (!FProvider->IsEditing()) return state;
  state = FProvider->IsInserting() ? dceInsert : dceEdit;
  if (FProvider->IsEditorValuePending()) state |= dceChanging;
  if (FProvider->IsModified()) state |= dceModified;
  return state;
}

TcxDataEditOperations TcxCustomDataController::GetEditOperations() {
  TcxDataEditOperations ops = 0;
  if (FProvider->CanAppend()) ops |= dceoAppend;
  if (FProvider->CanDelete()) ops |= dceoDelete;
  if (FProvider->CanModify()) ops |= dceoEdit;
  if (FProvider->CanInsert()) ops |= dceoInsert;
  if (!FProvider->IsActive() || FProvider->IsSyncMode()) ops |= dceoShowEdit;
  return ops;
}

bool TcxCustomDataController::IsEditing() { return FProvider->IsEditing(); }

void TcxCustomDataController::SetNewItemRowEnabled(bool AValue) {
  if (FNewItemRowEnabled == AValue) return;
  Cancel();
  FNewItemRowEnabled = AValue;
  Change(dccData);
}

void TcxCustomDataController::SetNewItemRowFocused(bool AValue) {
  if (FNewItemRowFocused == AValue) return;
  UpdateLock<TcxCustomDataController> lock(this);
  if (AValue) FDataControllerInfo->ChangeFocusedRowIndex(-1, true);
  else if (!IsDestroying()) Post();
  FDataControllerInfo->FocusedRecordChanged(true);
  FNewItemRowFocusingChanged = true;
  FNewItemRowFocused = AValue;
}

bool TcxCustomDataController::IsNewItemRowFocused() {
  return FNewItemRowFocused && FNewItemRowEnabled && GetFocusedRowIndex() == -1;
}

void TcxCustomDataController::GetGroupingValues(Integer, std::vector<Variant>& AValues) {
  // One value per grouping level; the row list groups nothing yet.
  AValues.clear();
}

// ---------------------------------------------------------------------------------------
// Record comparison

Integer TcxCustomDataController::CompareByField(Integer ARecordIndex1, Integer ARecordIndex2,
                                                TcxCustomDataField* AField) {
  bool handler = OnCompare.Assigned() && !AField->IsInternal();
  if (!handler && !IsConversionNeeded(AField)) return CompareStoredFieldValues(ARecordIndex1, ARecordIndex2, AField);
  Variant V1, V2;
  GetComparedValue(ARecordIndex1, AField, V1);
  GetComparedValue(ARecordIndex2, AField, V2);
  if (handler) {
    Integer compare = 0;
    OnCompare(this, ARecordIndex1, ARecordIndex2, AField->Index(), V1, V2, compare);
    return compare;
  }
  if (VarIsStr(V1) && VarIsStr(V2)) return CompareTexts(V1.AsString(), V2.AsString());
  return cxCompareVariants(V1, V2);
}

Integer TcxCustomDataController::CompareTexts(const std::string& A, const std::string& B) {
  bool ansi = FOptions.Contains(dcoAnsiSort);
  bool caseInsensitive = FOptions.Contains(dcoCaseInsensitive);
  if (ansi && caseInsensitive) return AnsiCompareText(A, B);
  if (ansi) return AnsiCompareStr(A, B);
  if (caseInsensitive) return CompareStr(AnsiUpperCase(A), AnsiUpperCase(B));
  return cxCompareVariants(Variant(A), Variant(B));
}

Integer TcxCustomDataController::CompareRecordsByItem(Integer ARecordIndex1, Integer ARecordIndex2,
                                                      const TcxDataSortInfo& ASortInfo) {
  Integer result = CompareByField(ARecordIndex1, ARecordIndex2, ASortInfo.Field);
  if (ASortInfo.SortOrder == soDescending) result = result > 0 ? -1 : (result < 0 ? 1 : 0);
  return result;
}

void TcxCustomDataController::GetComparedValue(Integer ARecordIndex, TcxCustomDataField* AField, Variant& V) {
  if (AField->CompareMode == 2 && !AField->IsInternal()) {
    std::string S;
    GetDisplayText(ARecordIndex, AField->Index(), S);
    V = Variant(S);
  } else {
    GetFieldValue(ARecordIndex, AField, V);
  }
}

bool TcxCustomDataController::IsConversionNeeded(TcxCustomDataField* AField) {
  if (AField->CompareMode > 0) return true;
  if (AField->CompareMode < 0) return false;
  return AField->CompareByValue || IsStringConversionNeeded(AField) || IsSortByDisplayTextNeeded(AField);
}

bool TcxCustomDataController::IsItemTextCompared(Integer AItemIndex) {
  TcxCustomDataField* field = ItemField(AItemIndex);
  return GetItemSortByDisplayText(AItemIndex, true) ||
         (FOptions.Contains(dcoAnsiSort) && field->ValueTypeClass() && field->ValueTypeClass()->IsStringType());
}

bool TcxCustomDataController::IsStringConversionNeeded(TcxCustomDataField* AField) {
  if (!FOptions.Contains(dcoAnsiSort) && !FOptions.Contains(dcoCaseInsensitive)) return false;
  TcxValueTypeClass type = AField->ValueTypeClass();
  return type && type->IsStringType();
}

bool TcxCustomDataController::IsSortByDisplayTextNeeded(TcxCustomDataField* AField) {
  if (AField->IsInternal()) return false;
  return GetItemSortByDisplayText(AField->Index(), FOptions.Contains(dcoSortByDisplayText));
}

Integer TcxCustomDataController::CompareStoredFieldValues(Integer ARecordIndex1, Integer ARecordIndex2,
                                                          TcxCustomDataField* AField) {
  TcxValueDef* def = AField->ValueDef();
  if (!def) return 0;
  return FDataStorage->CompareRecords(ARecordIndex1, ARecordIndex2, def);
}

// ---------------------------------------------------------------------------------------
// Change notifications and update locking

void TcxCustomDataController::BeginUpdate() { FDataControllerInfo->BeginUpdate(); }

void TcxCustomDataController::EndUpdate() {
  FDataControllerInfo->EndUpdate();
  CheckChanges();
}

void TcxCustomDataController::Change(TcxDataControllerChanges AChanges) {
  FChanges |= AChanges;
  CheckChanges();
}

void TcxCustomDataController::CheckChanges() {
  if (FChanges == 0 || IsUpdateLocked()) return;
  if (FStructureChangePending) {
    FStructureChangePending = false;
    UpdateStructure();
  }
  dispatchChanges();
}

void TcxCustomDataController::sendInfo(TcxUpdateControlInfo* AInfo) {
  std::unique_ptr<TcxUpdateControlInfo, TObjectDeleter> info(AInfo);
  UpdateControl(info.get());
}

void TcxCustomDataController::dispatchChanges() {
  TcxDataControllerChanges changes = FChanges;
  FChanges = 0;
  // A view's handler that fails does not cost the view the rest of the dispatch: every
  // notification still goes out, and the first failure is raised at the end.
  std::exception_ptr failure;
  auto step = [&failure](auto&& action) {
    try {
      action();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  };
  step([&] {
    if (changes & dccData) notifyDataChanged();
    else if (changes & (dccLayout | dccDetail | dccExpanding)) sendInfo(New<TcxLayoutChangedInfo>());
    else if (changes & dccUpdateRecord) sendInfo(New<TcxUpdateRecordInfo>(GetFocusedRecordIndex()));
  });
  if (changes & dccFocus) {
    TcxCustomDataControllerInfo* info = FDataControllerInfo.get();
    Integer prevRow = info->GetPrevFocusedRowIndex(), row = GetFocusedRowIndex();
    Integer prevRecord = info->GetPrevFocusedRecordIndex(), record = GetFocusedRecordIndex();
    bool prevChanged = info->IsPrevFocusChanged();
    bool newItemChanged = FNewItemRowFocusingChanged;
    FNewItemRowFocusingChanged = false;
    info->SavePrevFocus();
    if (prevRow != row) step([&] { sendInfo(New<TcxFocusedRowChangedInfo>(row, prevRow)); });
    if (prevRecord >= 0 || record >= 0 || prevChanged || newItemChanged)
      step([&] {
        sendInfo(New<TcxFocusedRecordChangedInfo>(prevRecord, record, prevRow, row, newItemChanged));
      });
  }
  if (changes & dccSelection) {
    Integer count = GetSelectedCount();
    Integer single = count == 1 ? GetSelectedRowIndex(0) : -1;
    bool pair = count <= 1 && FPrevSelectedCount <= 1;
    Integer prevSingle = FPrevSelectedRowIndex;
    FPrevSelectedCount = count;
    FPrevSelectedRowIndex = single;
    step([&] {
      sendInfo(pair ? New<TcxSelectionChangedInfo>(prevSingle, single) : New<TcxSelectionChangedInfo>());
    });
  }
  if (changes & dccSearch) step([&] { sendInfo(New<TcxSearchChangedInfo>()); });
  if (changes & dccBookmark) step([&] { sendInfo(New<TcxBookmarkChangedInfo>()); });
  if ((changes & dccGrouping) && !IsReading() && OnGroupingChanged) step([&] { OnGroupingChanged(this); });
  if ((changes & dccSorting) && !IsReading() && !FInSortingChangedEvent && OnSortingChanged)
    step([&] {
      ScopedRestore<bool> guard(FInSortingChangedEvent);
      FInSortingChangedEvent = true;
      OnSortingChanged(this);
    });
  if (failure) std::rethrow_exception(failure);
}

void TcxCustomDataController::notifyDataChanged() {
  ScopeExit reset([this] {
    FDataChangedKind = dcAll;
    FDataChangedItemIndex = -1;
    FDataChangedRecordIndex = -1;
  });
  if (FDataChangedKind == dcItemValue && FDataChangedItemIndex == -1) FDataChangedKind = dcRecord;
  if ((FDataChangedKind == dcItemValue || FDataChangedKind == dcRecord) && FDataChangedRecordIndex == -1 &&
      !IsNewItemRecord(-1))
    FDataChangedKind = dcAll;
  sendInfo(New<TcxDataChangedInfo>(FDataChangedKind, FDataChangedItemIndex, FDataChangedRecordIndex));
  DoDataChanged();
}

void TcxCustomDataController::DoDataChanged() {
  if (IsDestroying()) return;
  if (!OnDataChanged && !OnRecordChanged && FDataChangedListeners.empty()) return;
  if (IsLoading()) {
    FDataChangedDeferred = true;
    return;
  }
  bool recordKind = FDataChangedKind == dcItemValue || FDataChangedKind == dcRecord;
  if (recordKind && (FDataChangedRecordIndex != -1 || IsNewItemRecord(FDataChangedRecordIndex)) && OnRecordChanged)
    OnRecordChanged(this, FDataChangedRecordIndex, FDataChangedItemIndex);
  if (OnDataChanged) OnDataChanged(this);
  if (IsGridMode() && FProvider->LocateCount() != 0) return;
  // A listener may remove itself (or another) while it is called.
  for (TNotifyEvent listener : std::vector<TNotifyEvent>(FDataChangedListeners))
    if (std::find(FDataChangedListeners.begin(), FDataChangedListeners.end(), listener) !=
        FDataChangedListeners.end())
      listener(this);
}

void TcxCustomDataController::DataChanged(TcxDataChangeKind AKind, Integer AItemIndex, Integer ARecordIndex) {
  bool recordPending = FDataChangedRecordIndex != -1 || IsNewItemRecord(FDataChangedRecordIndex);
  if (recordPending && ARecordIndex != FDataChangedRecordIndex) {
    FDataChangedKind = dcAll;
    FDataChangedItemIndex = AItemIndex;
  } else if (AKind != dcItemValue || FDataChangedItemIndex == -1 || AItemIndex == FDataChangedItemIndex) {
    FDataChangedKind = AKind;
    FDataChangedItemIndex = AItemIndex;
  } else {
    FDataChangedKind = dcRecord;
    FDataChangedItemIndex = -1;
  }
  FDataChangedRecordIndex = ARecordIndex;
  switch (FDataChangedKind) {
    case dcAll:
      doUpdateStructure(false);
      break;
    case dcRecordsAdded:
    case dcRecordsDeleted: {
      UpdateLock<TcxCustomDataController> lock(this);
      FDataControllerInfo->RefreshFocused();
      FDataControllerInfo->Refresh();
      break;
    }
    default:
      FDataControllerInfo->Refresh();
      break;
  }
}

void TcxCustomDataController::UpdateControl(TcxUpdateControlInfo* AInfo) {
  if (OnUpdateControl) OnUpdateControl(AInfo);
}

void TcxCustomDataController::AddDataChangedListener(const TNotifyEvent& AEvent) {
  FDataChangedListeners.push_back(AEvent);
}

void TcxCustomDataController::RemoveDataChangedListener(const TNotifyEvent& AEvent) {
  // The listener of this very object: two objects of one class share the code address.
  auto it = std::find(FDataChangedListeners.begin(), FDataChangedListeners.end(), AEvent);
  if (it != FDataChangedListeners.end()) FDataChangedListeners.erase(it);
}

void TcxCustomDataController::AddListenerLink(TcxDataListenerLink* ALink) { FListenerLinks.push_back(ALink); }

void TcxCustomDataController::RemoveListenerLink(TcxDataListenerLink* ALink) {
  auto it = std::find(FListenerLinks.begin(), FListenerLinks.end(), ALink);
  if (it != FListenerLinks.end()) FListenerLinks.erase(it);
}

void TcxCustomDataController::Loaded() {
  if (FDataChangedDeferred) {
    FDataChangedDeferred = false;
    DoDataChanged();
  }
}

bool TcxCustomDataController::IsLoading() { return FOwner && FOwner->ComponentState().Contains(csLoading); }
bool TcxCustomDataController::IsReading() { return FOwner && FOwner->ComponentState().Contains(csReading); }
bool TcxCustomDataController::IsDestroying() { return FOwner && FOwner->ComponentState().Contains(csDestroying); }

void TcxCustomDataController::SetOptions(const TcxDataControllerOptions& AValue) {
  if (FOptions == AValue) return;
  FOptions = AValue;
  Refresh();
}

// ---------------------------------------------------------------------------------------
// Events

void TcxCustomDataController::DoAfterCancel() {
  if (AfterCancel) AfterCancel(this);
}
void TcxCustomDataController::DoAfterDelete() {
  if (AfterDelete) AfterDelete(this);
}
void TcxCustomDataController::DoAfterInsert() {
  if (AfterInsert) AfterInsert(this);
}
void TcxCustomDataController::DoAfterPost() {
  if (AfterPost) AfterPost(this);
}
void TcxCustomDataController::DoBeforeCancel() {
  if (BeforeCancel) BeforeCancel(this);
}
void TcxCustomDataController::DoBeforeDelete(Integer ARecordIndex) {
  if (BeforeDelete) BeforeDelete(this, ARecordIndex);
}
void TcxCustomDataController::DoBeforeInsert() {
  if (BeforeInsert) BeforeInsert(this);
}
void TcxCustomDataController::DoBeforePost() {
  if (BeforePost) BeforePost(this);
}
void TcxCustomDataController::DoNewRecord(Integer ARecordIndex) {
  if (OnNewRecord) OnNewRecord(this, ARecordIndex);
}
