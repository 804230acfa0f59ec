#include "cx/data/cxCustomData.h"

#include <algorithm>
#include <exception>

#include "cx/foundation/cxClasses.h"
#include "cx/foundation/cxDataConsts.h"
#include "cx/foundation/cxDataUtils.h"
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
RTL_IMPLEMENT_CLASS(TcxDataGroups)
RTL_IMPLEMENT_CLASS(TcxDataSelection)
RTL_IMPLEMENT_CLASS(TcxDataControllerGroups)
RTL_IMPLEMENT_CLASS(TcxDataFilterCriteriaItem)
RTL_IMPLEMENT_CLASS(TcxDataFilterCriteria)
RTL_IMPLEMENT_CLASS(TcxCustomDataController)
RTL_IMPLEMENT_CLASS(TcxDataController)

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
    // An inserted record shifts the rows after it, and selection entries are rows.
    if (!dc->NewItemRowEnabled() && !AAppend) dc->ClearSelection();
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
    TcxRowInfo info = dc->GetRowInfo(row);
    if (info.Level < dc->Groups()->GetGroupingItemCount()) dc->Groups()->LoadRecordIndexesByRowIndex(records, row);
    else records.push_back(info.RecordIndex);
  }
  std::sort(records.begin(), records.end());
  records.erase(std::unique(records.begin(), records.end()), records.end());
  DeleteRecords(records);
  dc->ClearSelection();
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
  TcxCustomDataController* dc = FDataController;
  if (FGrouped && dc->Options().Contains(dcoAssignGroupingValues)) {
    const auto& grouping = dc->DataControllerInfo()->GroupingFields();
    for (size_t level = 0; level < grouping.size() && level < AGroupingValues.size(); ++level)
      SetValue(ARecordIndex, grouping[level].Field, AGroupingValues[level]);
  }
  dc->DoNewRecord(ARecordIndex);
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
// TcxDataGroups

void TcxDataGroups::Clear() {
  Items.clear();
  Fields.clear();
  FDeepest.clear();
  FRowCount = 0;
}

void TcxDataGroups::Renumber() {
  Integer deepest = DeepestLevel();
  Integer row = 0;
  Integer hideLevel = -1, hideRow = 0;
  for (TcxDataGroupInfo& item : Items) {
    if (hideLevel >= 0 && item.Level > hideLevel) {
      item.RowIndex = hideRow;
      continue;
    }
    hideLevel = -1;
    item.RowIndex = row++;
    if (!item.Expanded) {
      hideLevel = item.Level;
      hideRow = item.RowIndex;
    } else if (item.Level == deepest) {
      row += item.LastIndex - item.FirstIndex + 1;
    }
  }
  FRowCount = row;
}

void TcxDataGroups::FullExpand() {
  for (TcxDataGroupInfo& item : Items) item.Expanded = true;
  Renumber();
}

Integer TcxDataGroups::FindGroupByRow(Integer ARowIndex, Integer& AOwnerGroup) const {
  AOwnerGroup = -1;
  auto it = std::lower_bound(Items.begin(), Items.end(), ARowIndex,
                             [](const TcxDataGroupInfo& A, Integer R) { return A.RowIndex < R; });
  // Items sharing a row are a visible group followed by its hidden descendants: the first
  // one is the row's group.
  if (it != Items.end() && it->RowIndex == ARowIndex) return static_cast<Integer>(it - Items.begin());
  if (it != Items.begin()) AOwnerGroup = static_cast<Integer>(it - Items.begin()) - 1;
  return -1;
}

Integer TcxDataGroups::DeepestGroupOfPosition(Integer APosition) const {
  auto it = std::upper_bound(FDeepest.begin(), FDeepest.end(), APosition,
                             [this](Integer P, Integer G) { return P < Items[static_cast<size_t>(G)].FirstIndex; });
  if (it == FDeepest.begin()) return -1;
  Integer g = *(it - 1);
  return APosition <= Items[static_cast<size_t>(g)].LastIndex ? g : -1;
}

Integer TcxDataGroups::ParentOf(Integer AItemIndex) const {
  Integer level = Items[static_cast<size_t>(AItemIndex)].Level;
  for (Integer i = AItemIndex - 1; i >= 0; --i)
    if (Items[static_cast<size_t>(i)].Level < level) return i;
  return -1;
}

Integer TcxDataGroups::FirstPosition(Integer AItemIndex) const {
  Integer g = AItemIndex;
  while (Items[static_cast<size_t>(g)].Level < DeepestLevel()) g = Items[static_cast<size_t>(g)].FirstIndex;
  return Items[static_cast<size_t>(g)].FirstIndex;
}

Integer TcxDataGroups::LastPosition(Integer AItemIndex) const {
  // The last deepest group of the subtree is the last item before the next group of the
  // same level or above.
  Integer level = Items[static_cast<size_t>(AItemIndex)].Level;
  Integer last = AItemIndex;
  for (Integer i = AItemIndex + 1; i < Count() && Items[static_cast<size_t>(i)].Level > level; ++i) last = i;
  return Items[static_cast<size_t>(last)].LastIndex;
}

bool TcxDataGroups::IsVisible(Integer AItemIndex) const {
  Integer owner;
  return FindGroupByRow(Items[static_cast<size_t>(AItemIndex)].RowIndex, owner) == AItemIndex;
}

std::vector<Integer> TcxDataGroups::Children(Integer AItemIndex) const {
  std::vector<Integer> result;
  Integer level = AItemIndex < 0 ? -1 : Items[static_cast<size_t>(AItemIndex)].Level;
  if (level == DeepestLevel()) return result;
  for (Integer i = AItemIndex + 1; i < Count(); ++i) {
    Integer l = Items[static_cast<size_t>(i)].Level;
    if (l <= level) break;
    if (l == level + 1) result.push_back(i);
  }
  return result;
}

bool TcxDataGroups::ExpandPath(Integer AItemIndex) {
  bool changed = false;
  for (Integer g = AItemIndex; g >= 0; g = ParentOf(g)) {
    if (!Items[static_cast<size_t>(g)].Expanded) {
      Items[static_cast<size_t>(g)].Expanded = true;
      changed = true;
    }
  }
  return changed;
}

// ---------------------------------------------------------------------------------------
// TcxDataSelection

void TcxDataSelection::InsertItem(Integer AIndex, Integer ARowIndex, Integer ALevel, Integer ARecordIndex) {
  TcxDataSelectionInfo info{ALevel, ARecordIndex, ARowIndex};
  if (AIndex < 0 || AIndex >= Count()) FItems.push_back(info);
  else FItems.insert(FItems.begin() + AIndex, info);
}

void TcxDataSelection::DeleteItem(Integer AIndex) {
  if (FItems.at(static_cast<size_t>(AIndex)).RowIndex == FAnchor) ClearAnchor();
  FItems.erase(FItems.begin() + AIndex);
}

void TcxDataSelection::SetCount(Integer ACount) {
  while (Count() > ACount && Count() > 0) DeleteItem(Count() - 1);
  for (Integer i = Count(); i < ACount; ++i) FItems.push_back({0, i, i});
}

void TcxDataSelection::Add(Integer AIndex, Integer ARowIndex, Integer ALevel, Integer ARecordIndex) {
  InsertItem(AIndex, ARowIndex, ALevel, ARecordIndex);
  changed();
}

void TcxDataSelection::ClearSelection() {
  Clear();
  changed();
}

void TcxDataSelection::ClearAll() {
  ClearAnchor();
  Clear();
  changed();
}

void TcxDataSelection::Delete(Integer AIndex) {
  DeleteItem(AIndex);
  changed();
}

bool TcxDataSelection::FindRow(Integer ARowIndex, Integer& AIndex) const {
  auto it = std::lower_bound(FItems.begin(), FItems.end(), ARowIndex,
                             [](const TcxDataSelectionInfo& A, Integer R) { return A.RowIndex < R; });
  AIndex = static_cast<Integer>(it - FItems.begin());
  return it != FItems.end() && it->RowIndex == ARowIndex;
}

bool TcxDataSelection::IsRowSelected(Integer ARowIndex) const {
  Integer index;
  return FindRow(ARowIndex, index);
}

Integer TcxDataSelection::FindGroupRow(Integer AGroupIndex) const {
  for (Integer i = 0; i < Count(); ++i)
    if (FItems[static_cast<size_t>(i)].Level == -1 && FItems[static_cast<size_t>(i)].RecordIndex == AGroupIndex) return i;
  return -1;
}

Integer TcxDataSelection::FindRecord(Integer ARecordIndex) const {
  for (Integer i = 0; i < Count(); ++i)
    if (FItems[static_cast<size_t>(i)].Level != -1 && FItems[static_cast<size_t>(i)].RecordIndex == ARecordIndex) return i;
  return -1;
}

const TcxDataSelectionInfo& TcxDataSelection::Items(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) throw EListError("List index out of bounds (" + IntToStr(AIndex) + ")");
  return FItems[static_cast<size_t>(AIndex)];
}

// ---------------------------------------------------------------------------------------
// TcxCustomDataControllerInfo

TcxCustomDataControllerInfo::TcxCustomDataControllerInfo(TcxCustomDataController* ADataController)
    : FDataController(ADataController), FGroups(New<TcxDataGroups>()) {
  CreateSelection(TcxDataSelection::StaticClass());
}

void TcxCustomDataControllerInfo::CreateSelection(TClass ASelectionClass) {
  FSelection.reset(As<TcxDataSelection>(ASelectionClass->CreateInstance(FDataController)));
  FSelection->OnChanged = [this] { SelectionChanged(); };
}

TcxCustomDataControllerInfo::~TcxCustomDataControllerInfo() = default;

void TcxCustomDataControllerInfo::EndUpdate() {
  if (FLockCount > 0) --FLockCount;
  CheckChanges();
}

void TcxCustomDataControllerInfo::CheckChanges() {
  if (FChanges != 0 && FLockCount == 0) Update();
}

void TcxCustomDataControllerInfo::Refresh() {
  FChanges |= ciRefresh | ciSummary;
  if (!FSortingFields.empty() || !FGroupingFields.empty()) FChanges |= ciSorting;
  if (!FGroupingFields.empty()) FChanges |= ciGrouping;
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

void TcxCustomDataControllerInfo::ExpandingChanged() {
  FChanges |= ciExpanding;
  FExpanding = true;
}

void TcxCustomDataControllerInfo::SelectionChanged() {
  FChanges |= ciSelection;
  TcxDataSummary* summary = FDataController->Summary();
  if (summary && summary->Options().Contains(soSelectedRecords)) FChanges |= ciSummary;
}

void TcxCustomDataControllerInfo::SummaryChanged(bool ATextOnly) {
  FChanges |= ATextOnly ? ciLayout : ciSummary;
  CheckChanges();
}

void TcxCustomDataControllerInfo::RecordIndexesShifted(Integer ARecordIndex, Integer ADelta) {
  // Selected data rows name their records; a record deleted goes out of the selection, and
  // the records after an inserted or deleted one change their indexes.
  auto& items = FSelection->FItems;
  size_t before = items.size();
  if (ADelta < 0)
    items.erase(std::remove_if(items.begin(), items.end(),
                               [ARecordIndex](const TcxDataSelectionInfo& A) {
                                 return A.Level != -1 && A.RecordIndex == ARecordIndex;
                               }),
                items.end());
  for (TcxDataSelectionInfo& entry : items)
    if (entry.Level != -1 && entry.RecordIndex >= ARecordIndex && entry.RecordIndex >= 0) entry.RecordIndex += ADelta;
  if (items.size() != before) SelectionChanged();
  // The focus follows its record the same way. A deleted focused record leaves its index
  // naming the record that took its place, which becomes the focused one.
  auto shift = [ARecordIndex, ADelta](Integer& AIndex) {
    if (AIndex >= 0 && (AIndex > ARecordIndex || (ADelta > 0 && AIndex == ARecordIndex))) AIndex += ADelta;
  };
  for (FocusingInfo* focus : {&FCurrent, &FPrevious}) {
    shift(focus->RecordIndex);
    shift(focus->PriorRecordIndex);
  }
}

// --- Items

namespace {

Integer findField(const std::vector<TcxDataSortInfo>& AList, const TcxCustomDataField* AField) {
  for (size_t i = 0; i < AList.size(); ++i)
    if (AList[i].Field == AField) return static_cast<Integer>(i);
  return -1;
}

}  // namespace

void TcxCustomDataControllerInfo::RemoveField(TcxCustomDataField* AField) {
  Integer sortIndex = findField(FSortingFields, AField);
  if (sortIndex != -1) {
    FSortingFields.erase(FSortingFields.begin() + sortIndex);
    sortingListChanged();
  }
  Integer groupIndex = findField(FGroupingFields, AField);
  if (groupIndex != -1) {
    FSelection->ClearAll();
    FGroupingFields.erase(FGroupingFields.begin() + groupIndex);
    groupingListChanged();
  }
  deriveGroupingOrders();
  // Groups and the combined list may still point at the field until the next rebuild.
  auto& fields = FGroups->Fields;
  if (std::find(fields.begin(), fields.end(), AField) != fields.end()) {
    FGroups->Clear();
    FChanges |= ciGrouping;
  }
  FTotalSortingFields.erase(std::remove_if(FTotalSortingFields.begin(), FTotalSortingFields.end(),
                                           [AField](const TcxDataSortInfo& A) { return A.Field == AField; }),
                            FTotalSortingFields.end());
  if (std::find(FMemory.Fields.begin(), FMemory.Fields.end(), AField) != FMemory.Fields.end()) FMemory = Memory();
  CheckChanges();
}

void TcxCustomDataControllerInfo::UpdateField(TcxCustomDataField* AField) {
  FChanges |= ciLayout;
  if (findField(FSortingFields, AField) != -1) sortingListChanged();
  if (findField(FGroupingFields, AField) != -1) {
    FSelection->ClearAll();
    groupingListChanged();
  }
  if (std::find(FMemory.Fields.begin(), FMemory.Fields.end(), AField) != FMemory.Fields.end()) FMemory = Memory();
  CheckChanges();
}

// --- Sorting and grouping lists

void TcxCustomDataControllerInfo::deriveGroupingOrders() {
  bool changed = false;
  for (TcxDataSortInfo& entry : FGroupingFields) {
    Integer i = findField(FSortingFields, entry.Field);
    TcxDataSortOrder order = i == -1 ? soAscending : FSortingFields[static_cast<size_t>(i)].SortOrder;
    if (entry.SortOrder != order) {
      entry.SortOrder = order;
      changed = true;
    }
  }
  if (changed) groupingListChanged();
}

void TcxCustomDataControllerInfo::ChangeSorting(TcxCustomDataField* AField, TcxDataSortOrder ASortOrder) {
  Integer i = findField(FSortingFields, AField);
  if (ASortOrder == soNone) {
    if (i == -1) return;
    FSortingFields.erase(FSortingFields.begin() + i);
  } else if (i == -1) {
    FSortingFields.push_back({AField, ASortOrder});
  } else {
    if (FSortingFields[static_cast<size_t>(i)].SortOrder == ASortOrder) return;
    FSortingFields[static_cast<size_t>(i)].SortOrder = ASortOrder;
  }
  sortingListChanged();
  deriveGroupingOrders();
  CheckChanges();
}

void TcxCustomDataControllerInfo::ChangeSortIndex(TcxCustomDataField* AField, Integer ASortIndex) {
  Integer i = findField(FSortingFields, AField);
  if (i == -1) return;
  ASortIndex = std::clamp(ASortIndex, 0, static_cast<Integer>(FSortingFields.size()) - 1);
  if (ASortIndex == i) return;
  TcxDataSortInfo entry = FSortingFields[static_cast<size_t>(i)];
  FSortingFields.erase(FSortingFields.begin() + i);
  FSortingFields.insert(FSortingFields.begin() + ASortIndex, entry);
  FDataController->MarkSortingChanged();
  sortingListChanged();
  CheckChanges();
}

void TcxCustomDataControllerInfo::ClearSorting(bool AKeepGroupedItems) {
  size_t before = FSortingFields.size();
  if (AKeepGroupedItems) {
    for (Integer i = static_cast<Integer>(FSortingFields.size()) - 1; i >= 0; --i)
      if (findField(FGroupingFields, FSortingFields[static_cast<size_t>(i)].Field) == -1)
        FSortingFields.erase(FSortingFields.begin() + i);
  } else {
    FSortingFields.clear();
    deriveGroupingOrders();
  }
  if (FSortingFields.size() != before) {
    FDataController->MarkSortingChanged();
    sortingListChanged();
  }
  CheckChanges();
}

void TcxCustomDataControllerInfo::ChangeGroupIndex(TcxCustomDataField* AField, Integer AGroupIndex) {
  Integer i = findField(FGroupingFields, AField);
  Integer count = static_cast<Integer>(FGroupingFields.size());
  if (AGroupIndex < 0) {
    if (i == -1) return;
    FGroupingFields.erase(FGroupingFields.begin() + i);
  } else if (i == -1) {
    FGroupingFields.insert(FGroupingFields.begin() + std::min(AGroupIndex, count), {AField, soAscending});
  } else {
    Integer to = std::min(AGroupIndex, count - 1);
    if (to == i) return;
    TcxDataSortInfo entry = FGroupingFields[static_cast<size_t>(i)];
    FGroupingFields.erase(FGroupingFields.begin() + i);
    FGroupingFields.insert(FGroupingFields.begin() + to, entry);
  }
  groupingListChanged();
  deriveGroupingOrders();
  CheckChanges();
}

// --- Rows

Integer TcxCustomDataControllerInfo::GetRowCount() const {
  return IsGrouped() ? FGroups->RowCount() : GetRecordListCount();
}

TcxRowInfo TcxCustomDataControllerInfo::GetRowInfo(Integer ARowIndex) const {
  if (ARowIndex < 0 || ARowIndex >= GetRowCount()) dataError(scxDataRowIndexOutOfRange);
  TcxRowInfo info;
  if (!IsGrouped()) {
    info.RecordIndex = GetRecordListItem(ARowIndex);
    return info;
  }
  Integer owner;
  Integer g = FGroups->FindGroupByRow(ARowIndex, owner);
  if (g != -1) {
    const TcxDataGroupInfo& item = FGroups->Items[static_cast<size_t>(g)];
    info.Level = item.Level;
    info.Expanded = item.Expanded;
    info.RecordIndex = GetRecordListItem(FGroups->FirstPosition(g));
  } else {
    info.Level = FGroups->LevelCount();
    info.RecordIndex = GetRecordListItem(dataRowOfPosition(owner, -1) + ARowIndex);
  }
  return info;
}

// With APosition -1: the offset that turns a row of the group's records into a position.
Integer TcxCustomDataControllerInfo::dataRowOfPosition(Integer AGroup, Integer APosition) const {
  const TcxDataGroupInfo& g = FGroups->Items[static_cast<size_t>(AGroup)];
  if (APosition < 0) return g.FirstIndex - g.RowIndex - 1;
  return g.RowIndex + APosition - g.FirstIndex + 1;
}

Integer TcxCustomDataControllerInfo::GetRowIndexByRecordIndex(Integer ARecordIndex, bool AMakeVisible) {
  Integer p = IndexOfRecord(ARecordIndex);
  if (p < 0 || !IsGrouped()) return p;
  Integer g = FGroups->DeepestGroupOfPosition(p);
  if (g < 0) return -1;
  if (AMakeVisible) {
    if (FGroups->ExpandPath(g)) {
      FGroups->Renumber();
      ExpandingChanged();
      Integer row = dataRowOfPosition(g, p);
      CheckChanges();
      return row;
    }
  } else if (!FGroups->IsVisible(g) || !FGroups->Items[static_cast<size_t>(g)].Expanded) {
    return -1;
  }
  return dataRowOfPosition(g, p);
}

void TcxCustomDataControllerInfo::ChangeExpanding(Integer ARowIndex, bool AExpanded, bool ARecursive) {
  if (ARowIndex < 0 || ARowIndex >= GetRowCount()) dataError(scxDataRowIndexOutOfRange);
  if (!IsGrouped() || FDataController->Options().Contains(dcoGroupsAlwaysExpanded)) return;
  Integer owner;
  Integer g = FGroups->FindGroupByRow(ARowIndex, owner);
  if (g == -1) return;
  auto& items = FGroups->Items;
  Integer level = items[static_cast<size_t>(g)].Level;
  items[static_cast<size_t>(g)].Expanded = AExpanded;
  if (ARecursive)
    for (Integer i = g + 1; i < FGroups->Count() && items[static_cast<size_t>(i)].Level > level; ++i)
      items[static_cast<size_t>(i)].Expanded = AExpanded;
  FGroups->Renumber();
  ++FLockCount;
  {
    ScopeExit unlock([this] {
      --FLockCount;
      CheckChanges();
    });
    ExpandingChanged();
    if (!AExpanded) {
      Integer r = rowOfFocusedRecordAfterCollapse();
      if (r != FCurrent.RowIndex) ChangeFocusedRowIndex(r, false);
    }
  }
}

void TcxCustomDataControllerInfo::FullExpand() {
  if (!IsGrouped()) return;
  FGroups->FullExpand();
  ExpandingChanged();
  CheckChanges();
}

Integer TcxCustomDataControllerInfo::IndexOfRecord(Integer ARecordIndex) const {
  if (ARecordIndex < 0 || static_cast<size_t>(ARecordIndex) >= FPositions.size()) return -1;
  return FPositions[static_cast<size_t>(ARecordIndex)];
}

// Re-deriving rows from records (focus, selection) asks for positions of many records at
// once, so the record list keeps its inverse.
void TcxCustomDataControllerInfo::updatePositions() {
  Integer top = -1;
  for (Integer record : FRecordList) top = std::max(top, record);
  FPositions.assign(static_cast<size_t>(top + 1), -1);
  for (size_t p = 0; p < FRecordList.size(); ++p)
    if (FRecordList[p] >= 0) FPositions[static_cast<size_t>(FRecordList[p])] = static_cast<Integer>(p);
}

// --- Comparison

void TcxCustomDataControllerInfo::PrepareComparisonModes() {
  for (const TcxDataSortInfo& entry : FTotalSortingFields) {
    TcxCustomDataField* field = entry.Field;
    if (!FDataController->IsConversionNeeded(field)) field->CompareMode = -1;
    else field->CompareMode = FDataController->IsSortByDisplayTextNeeded(field) ? 2 : 1;
  }
}

void TcxCustomDataControllerInfo::ResetComparisonModes() {
  for (const TcxDataSortInfo& entry : FTotalSortingFields) entry.Field->CompareMode = 0;
}

Integer TcxCustomDataControllerInfo::CompareGroupingValues(Integer ARecordIndex1, Integer ARecordIndex2,
                                                           Integer ALevel) {
  return FDataController->CompareRecordsByItem(ARecordIndex1, ARecordIndex2,
                                               FTotalSortingFields[static_cast<size_t>(ALevel)]);
}

Integer TcxCustomDataControllerInfo::compareRecords(Integer R1, Integer R2) {
  if (R1 == R2) return 0;
  // The record being edited keeps its place: right before the record that followed it, or
  // at the end when it was appended.
  TcxCustomDataProvider* provider = FDataController->Provider();
  if (provider->IsEditing()) {
    Integer e = provider->EditingRecordIndex();
    bool last = provider->PrevRecordIndex() != cxNoRecordIndex;
    Integer next = provider->NextRecordIndex();
    if (last || next != cxNoRecordIndex) {
      if (e == R1) {
        if (last) return 1;
        if (R2 == next) return -1;
        R1 = next;
      } else if (e == R2) {
        if (last) return -1;
        if (R1 == next) return 1;
        R2 = next;
      }
    }
  }
  for (const TcxDataSortInfo& entry : FTotalSortingFields) {
    Integer result = FDataController->CompareRecordsByItem(R1, R2, entry);
    if (result != 0) return result;
  }
  return FDataController->CompareEqualRecords(R1, R2);
}

// --- Rebuild

void TcxCustomDataControllerInfo::filterRecords() {
  TcxCustomDataProvider* provider = FDataController->Provider();
  Integer editing = provider->IsEditing() ? provider->EditingRecordIndex() : cxNoRecordIndex;
  bool incremental = FDataController->IsIncrementalFilterActive();
  TcxDataFilterCriteria* filter = FDataController->Filter();
  bool criteria = filter && filter->IsFiltering();
  if (!incremental && !criteria) return;
  size_t before = FRecordList.size();
  std::vector<Integer> kept;
  kept.reserve(before);
  for (Integer record : FRecordList) {
    bool drop = record != editing && ((incremental && !FDataController->DoIncrementalFilterRecord(record)) ||
                                      (criteria && !filter->EvaluateRecord(record)));
    if (!drop) kept.push_back(record);
  }
  FRecordList.swap(kept);
  if (FRecordList.size() != before) {
    // The rows the user selected may be gone: the selection starts over.
    FSelection->ClearAll();
    FMemory.DataRows.clear();
    FMemory.AnchorRecord = -1;
    for (RememberedGroup& group : FMemory.Groups) group.Selected = false;
  }
}

void TcxCustomDataControllerInfo::sortRecords() {
  FTotalSortingFields = FGroupingFields;
  for (const TcxDataSortInfo& entry : FSortingFields)
    if (findField(FTotalSortingFields, entry.Field) == -1) FTotalSortingFields.push_back(entry);
  if (FDataController->IsGridMode() || FRecordList.empty()) return;
  PrepareComparisonModes();
  ScopeExit reset([this] { ResetComparisonModes(); });
  // Quicksort with the middle element as pivot; the comparison ends in the record indexes,
  // so the order is total and equal keys keep record order.
  std::vector<Integer>& list = FRecordList;
  std::function<void(Integer, Integer)> sortRange = [&](Integer low, Integer high) {
    do {
      Integer i = low, j = high;
      Integer pivot = list[static_cast<size_t>((low + high) / 2)];
      do {
        while (compareRecords(list[static_cast<size_t>(i)], pivot) < 0) ++i;
        while (compareRecords(list[static_cast<size_t>(j)], pivot) > 0) --j;
        if (i <= j) {
          std::swap(list[static_cast<size_t>(i)], list[static_cast<size_t>(j)]);
          ++i;
          --j;
        }
      } while (i <= j);
      if (low < j) sortRange(low, j);
      low = i;
    } while (low < high);
  };
  sortRange(0, static_cast<Integer>(list.size()) - 1);
}

void TcxCustomDataControllerInfo::buildGroups() {
  FGroups->Clear();
  for (const TcxDataSortInfo& entry : FGroupingFields) FGroups->Fields.push_back(entry.Field);
  Integer levels = FGroups->LevelCount();
  Integer n = GetRecordListCount();
  if (n == 0 || levels == 0) return;
  auto& items = FGroups->Items;
  std::vector<Integer> open(static_cast<size_t>(levels)), firstRecord(static_cast<size_t>(levels));
  auto openFrom = [&](Integer ALevel, Integer APosition, Integer ATopRow) {
    for (Integer level = ALevel; level < levels; ++level) {
      TcxDataGroupInfo item;
      item.RowIndex = ATopRow;
      item.Level = level;
      item.FirstIndex = level < levels - 1 ? static_cast<Integer>(items.size()) + 1 : APosition;
      open[static_cast<size_t>(level)] = static_cast<Integer>(items.size());
      firstRecord[static_cast<size_t>(level)] = GetRecordListItem(APosition);
      if (level == levels - 1) FGroups->FDeepest.push_back(static_cast<Integer>(items.size()));
      items.push_back(item);
    }
  };
  openFrom(0, 0, 0);
  PrepareComparisonModes();
  ScopeExit reset([this] { ResetComparisonModes(); });
  Integer topRow = 0;
  for (Integer p = 1; p < n; ++p) {
    Integer record = GetRecordListItem(p);
    Integer differs = levels;
    for (Integer level = 0; level < levels; ++level)
      if (CompareGroupingValues(firstRecord[static_cast<size_t>(level)], record, level) != 0) {
        differs = level;
        break;
      }
    if (differs == levels) continue;
    if (differs == 0) ++topRow;
    for (Integer level = differs; level < levels; ++level) {
      TcxDataGroupInfo& closing = items[static_cast<size_t>(open[static_cast<size_t>(level)])];
      closing.LastIndex = level < levels - 1 ? static_cast<Integer>(items.size()) - 1 : p - 1;
    }
    openFrom(differs, p, topRow);
  }
  items[static_cast<size_t>(open[static_cast<size_t>(levels - 1)])].LastIndex = n - 1;
  if (levels >= 2) items[static_cast<size_t>(open[static_cast<size_t>(levels - 2)])].LastIndex = static_cast<Integer>(items.size()) - 1;
  for (Integer level = levels - 3; level >= 0; --level)
    items[static_cast<size_t>(open[static_cast<size_t>(level)])].LastIndex = open[static_cast<size_t>(level + 1)];
  FGroups->FRowCount = topRow + 1;
}

std::vector<Variant> TcxCustomDataControllerInfo::groupPath(Integer AItemIndex) {
  std::vector<Variant> path;
  Integer record = GetRecordListItem(FGroups->FirstPosition(AItemIndex));
  // Before a refresh the list may still hold records deleted since: such a group has no
  // values to be found by.
  if (record >= FDataController->GetRecordCount()) return path;
  for (Integer level = 0; level <= FGroups->Items[static_cast<size_t>(AItemIndex)].Level; ++level) {
    Variant v;
    FDataController->GetComparedValue(record, FGroups->Fields[static_cast<size_t>(level)], v);
    path.push_back(v);
  }
  return path;
}

void TcxCustomDataControllerInfo::remember(Word AWork) {
  FMemory = Memory();
  bool saveExpanding = FDataController->Options().Contains(dcoSaveExpanding);
  bool regroup = (AWork & (ciRefresh | ciGrouping)) != 0;
  bool rowsMove = (AWork & (ciRefresh | ciGrouping | ciSorting | ciExpanding)) != 0;
  bool keepSelection = rowsMove && FSelection->Count() > 0;
  if (!keepSelection && !(saveExpanding && regroup)) return;
  FMemory.Active = true;
  FMemory.Selection = keepSelection;
  // Selected data rows always follow their records: rows are only positions.
  if (keepSelection) {
    for (const TcxDataSelectionInfo& entry : FSelection->FItems)
      if (entry.Level != -1 && entry.RecordIndex < FDataController->GetRecordCount()) FMemory.DataRows.push_back(entry);
    if (FSelection->FAnchor >= 0 && FSelection->FAnchor < GetRowCount())
      FMemory.AnchorRecord = GetRowInfo(FSelection->FAnchor).RecordIndex;
  }
  // Groups are remembered by their grouping values, and only while the groups in place
  // were built from the current grouping list.
  bool sameFields = FGroups->LevelCount() == static_cast<Integer>(FGroupingFields.size());
  for (size_t i = 0; sameFields && i < FGroupingFields.size(); ++i)
    sameFields = FGroups->Fields[i] == FGroupingFields[i].Field;
  if (!saveExpanding || !sameFields || !IsGrouped() || FDataController->GetRecordCount() == 0) return;
  FMemory.Fields = FGroups->Fields;
  bool alwaysExpanded = FDataController->Options().Contains(dcoGroupsAlwaysExpanded);
  auto& items = FGroups->Items;
  for (Integer i = 0; i < FGroups->Count();) {
    const TcxDataGroupInfo& item = items[static_cast<size_t>(i)];
    RememberedGroup group;
    group.Expanded = item.Expanded && regroup && !alwaysExpanded;
    group.Selected = keepSelection && FSelection->FindGroupRow(i) != -1 && FSelection->IsRowSelected(item.RowIndex);
    if (group.Expanded || group.Selected) {
      group.Path = groupPath(i);
      if (!group.Path.empty()) FMemory.Groups.push_back(std::move(group));
    }
    Integer next = i + 1;
    if (!item.Expanded)
      while (next < FGroups->Count() && items[static_cast<size_t>(next)].Level > item.Level) ++next;
    i = next;
  }
}

void TcxCustomDataControllerInfo::restore() {
  if (IsGrouped() && FDataController->Options().Contains(dcoGroupsAlwaysExpanded)) FGroups->FullExpand();
  if (!FMemory.Active) return;
  ScopeExit rows([this] {
    if (IsGrouped()) FGroups->Renumber();
    if (!FMemory.Selection) return;
    std::vector<TcxDataSelectionInfo> entries;
    for (const TcxDataSelectionInfo& entry : FMemory.DataRows) {
      Integer row = GetRowIndexByRecordIndex(entry.RecordIndex, false);
      if (row != -1) entries.push_back({GetRowInfo(row).Level, entry.RecordIndex, row});
    }
    auto& groups = FGroups->Items;
    for (const TcxDataSelectionInfo& entry : FSelection->FItems)
      if (entry.Level == -1 && entry.RecordIndex < FGroups->Count() && FGroups->IsVisible(entry.RecordIndex))
        entries.push_back({-1, entry.RecordIndex, groups[static_cast<size_t>(entry.RecordIndex)].RowIndex});
    std::sort(entries.begin(), entries.end(),
              [](const TcxDataSelectionInfo& A, const TcxDataSelectionInfo& B) { return A.RowIndex < B.RowIndex; });
    entries.erase(std::unique(entries.begin(), entries.end(),
                              [](const TcxDataSelectionInfo& A, const TcxDataSelectionInfo& B) {
                                return A.RowIndex == B.RowIndex;
                              }),
                  entries.end());
    bool changed = entries.size() != FSelection->FItems.size();
    for (size_t i = 0; !changed && i < entries.size(); ++i)
      changed = entries[i].RowIndex != FSelection->FItems[i].RowIndex ||
                entries[i].RecordIndex != FSelection->FItems[i].RecordIndex;
    FSelection->FItems = std::move(entries);
    Integer anchor = FMemory.AnchorRecord == -1 ? -1 : GetRowIndexByRecordIndex(FMemory.AnchorRecord, false);
    FSelection->FAnchor = anchor != -1 && FSelection->IsRowSelected(anchor) ? anchor : -1;
    if (changed) SelectionChanged();
  });
  // Group rows were items of the old groups: they come back only through the memory.
  bool regrouped = (FChanges & (ciRefresh | ciGrouping)) != 0;
  if (regrouped)
    FSelection->FItems.erase(std::remove_if(FSelection->FItems.begin(), FSelection->FItems.end(),
                                            [](const TcxDataSelectionInfo& A) { return A.Level == -1; }),
                             FSelection->FItems.end());
  if (!IsGrouped() || FMemory.Groups.empty() || FMemory.Fields != FGroups->Fields) return;
  size_t next = 0;
  for (Integer i = 0; i < FGroups->Count() && next < FMemory.Groups.size(); ++i) {
    std::vector<Variant> path = groupPath(i);
    // Both lists are in group order, so one forward walk matches them.
    for (size_t k = next; k < FMemory.Groups.size(); ++k) {
      const RememberedGroup& group = FMemory.Groups[k];
      if (group.Path.size() != path.size()) continue;
      bool same = true;
      for (size_t v = 0; same && v < path.size(); ++v) same = VarSameValue(group.Path[v], path[v]);
      if (!same) continue;
      if (group.Expanded) FGroups->Items[static_cast<size_t>(i)].Expanded = true;
      if (group.Selected) FSelection->FItems.push_back({-1, i, -1});
      next = k + 1;
      break;
    }
  }
}

void TcxCustomDataControllerInfo::recomputeSelectionRows() {
  for (TcxDataSelectionInfo& entry : FSelection->FItems) {
    if (entry.Level == -1) {
      entry.RowIndex = entry.RecordIndex < FGroups->Count() && FGroups->IsVisible(entry.RecordIndex)
                           ? FGroups->Items[static_cast<size_t>(entry.RecordIndex)].RowIndex
                           : -1;
    } else {
      entry.RowIndex = GetRowIndexByRecordIndex(entry.RecordIndex, false);
    }
  }
  // Rows hidden by a collapse are no longer selected; the rest stays in row order.
  FSelection->FItems.erase(std::remove_if(FSelection->FItems.begin(), FSelection->FItems.end(),
                                          [](const TcxDataSelectionInfo& A) { return A.RowIndex == -1; }),
                           FSelection->FItems.end());
  std::stable_sort(FSelection->FItems.begin(), FSelection->FItems.end(),
                   [](const TcxDataSelectionInfo& A, const TcxDataSelectionInfo& B) { return A.RowIndex < B.RowIndex; });
  if (FSelection->FAnchor != -1 && !FSelection->IsRowSelected(FSelection->FAnchor)) FSelection->FAnchor = -1;
}

void TcxCustomDataControllerInfo::reportChanges() {
  --FLockCount;
  Word bits = FChanges;
  FChanges = 0;
  TcxDataControllerChanges changes = 0;
  if (bits & (ciSorting | ciLayout)) changes |= dccLayout;
  if (bits & (ciRefresh | ciGrouping | ciExpanding)) changes |= dccData;
  if (bits & (ciFocusedInCycle | ciRefreshFocused | ciFocus)) changes |= dccFocus;
  if (bits & ciSelection) changes |= dccSelection;
  if (bits & ciSummary) changes |= dccExpanding;
  if (FDataController->FGroupingChanged) changes |= dccGrouping;
  if (FDataController->FSortingChanged) changes |= dccSorting;
  FDataController->FGroupingChanged = false;
  FDataController->FSortingChanged = false;
  FDataController->FFocusTopRowRequested = false;
  if (changes) FDataController->Change(changes);
}

void TcxCustomDataControllerInfo::Update() {
  // Held locked while it works: a change requested by a handler reached from here (a post
  // when focus moves) is collected and reported with this cycle instead of re-entering.
  ++FLockCount;
  FDataController->CheckGridModeGrouping();
  Word work = FChanges;
  FExpanding = false;
  ScopeExit report([&] {
    FMemory = Memory();
    if (FExpanding) recomputeSelectionRows();
    if (FChanges & (ciSorting | ciExpanding)) FDataController->UpdateSelectionMemory();
    // The change bits are reported even when the summaries fail (a value their kind cannot
    // add); the failure then goes on to the caller.
    ScopeExit reportBits([&] { reportChanges(); });
    if (((work | FChanges) & ciSummary) && FDataController->Summary() && !FDataController->IsReading() &&
        !FDataController->IsDestroying())
      FDataController->Summary()->Calculate();
  });
  remember(work);
  if (work & ciRefresh) {
    Integer count = FDataController->GetRecordCount();
    FRecordList.resize(static_cast<size_t>(count));
    for (Integer i = 0; i < count; ++i) FRecordList[static_cast<size_t>(i)] = i;
    filterRecords();
  }
  if (work & (ciGrouping | ciSorting)) sortRecords();
  if (work & (ciRefresh | ciGrouping | ciSorting)) updatePositions();
  if (work & ciGrouping) buildGroups();
  if ((work & (ciGrouping | ciSorting)) && FDataController->Options().Contains(dcoFocusTopRowAfterSorting) &&
      (FDataController->FGroupingChanged || FDataController->FSortingChanged ||
       FDataController->FFocusTopRowRequested)) {
    FDataController->FFocusTopRowRequested = false;
    FCurrent.Clear();
    ChangeFocusedRowIndex(0, false);
    if (FSelection->Count() > 0) FSelection->ClearAll();
  }
  restore();
  resyncFocus();
  FDataController->CheckBookmarkValid(-1);
}

// --- Focus

Integer TcxCustomDataControllerInfo::GetFocusedRecordIndex() const {
  Integer row = FCurrent.RowIndex;
  if (row < 0 || row >= GetRowCount()) return -1;
  return GetRowInfo(row).RecordIndex;
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
      if (FCurrent.RowIndex == -1) {
        FCurrent.Clear();
      } else {
        TcxRowInfo info = GetRowInfo(FCurrent.RowIndex);
        FCurrent.Level = info.Level;
        FCurrent.RecordIndex = FDataController->GetSyncFocusedRecordIndex();
        // A source that stayed on another record takes the focus there.
        if (info.RecordIndex != FCurrent.RecordIndex) {
          FCurrent.RowIndex = GetRowIndexByRecordIndex(FCurrent.RecordIndex, false);
          if (FCurrent.RowIndex >= GetRowCount()) FCurrent.RowIndex = -1;
        }
      }
      FCurrent.PriorRecordIndex = FCurrent.RecordIndex;
    }
    if (!focusEqual()) {
      FChanges |= ciFocus | ciFocusedInCycle;
      FDataController->ResetNewItemRowFocus();
      if (FDataController->IsSingleSelection()) FDataController->SetFocusedRowSelected(true);
    }
    FFocusing = false;
  });
  Integer record = ARowIndex == -1 ? -1 : GetRowInfo(ARowIndex).RecordIndex;
  accepted = AForce || FDataController->FocusRecordInSource(record);
  if (accepted) {
    FDataController->DoBeforeFocusedRowChange(ARowIndex);
    FCurrent.RowIndex = ARowIndex;
  }
}

void TcxCustomDataControllerInfo::FocusRecordOfSource(Integer ARecordIndex) {
  if (!(FChanges & ciFocusedInCycle)) {
    FPrevious.AssignFrom(FCurrent);
    FChanges |= ciFocusedInCycle;
  }
  FCurrent.RecordIndex = ARecordIndex;
  FCurrent.Level = static_cast<Integer>(FGroupingFields.size());
  RefreshFocused();
}

void TcxCustomDataControllerInfo::FocusRow(Integer ARowIndex) {
  ChangeFocusedRowIndex(ARowIndex, false);
  CheckChanges();
}

// The row of the focused record after a rebuild. A focused group row stays on the group
// that now starts with its record; a focused data row is made visible.
Integer TcxCustomDataControllerInfo::rowOfFocusedRecord() {
  if (FCurrent.RecordIndex < 0) return -1;
  Integer p = IndexOfRecord(FCurrent.RecordIndex);
  if (p < 0 || !IsGrouped()) return p;
  Integer g = FGroups->DeepestGroupOfPosition(p);
  if (g < 0) return -1;
  auto& items = FGroups->Items;
  Integer levels = FGroups->LevelCount();
  bool groupLevel = FCurrent.Level >= 0 && FCurrent.Level < levels;
  Integer answer;
  if ((groupLevel || FCurrent.Level == -1) && p == items[static_cast<size_t>(g)].FirstIndex) {
    Integer target = groupLevel ? FCurrent.Level : 0;
    while (items[static_cast<size_t>(g)].Level > target) {
      Integer parent = FGroups->ParentOf(g);
      if (parent < 0 || items[static_cast<size_t>(parent)].FirstIndex != g) break;
      g = parent;
    }
    Integer parent = FGroups->ParentOf(g);
    if (parent >= 0 && FGroups->ExpandPath(parent)) {
      FGroups->Renumber();
      ExpandingChanged();
    }
    answer = items[static_cast<size_t>(g)].RowIndex;
  } else {
    if (FGroups->ExpandPath(g)) {
      FGroups->Renumber();
      ExpandingChanged();
    }
    answer = dataRowOfPosition(g, p);
  }
  return answer;
}

// The row the focus moves to when a collapse hid it: the record's row while it is still
// visible, else the nearest group row at the focused level (or the collapsed row over it).
Integer TcxCustomDataControllerInfo::rowOfFocusedRecordAfterCollapse() const {
  if (FCurrent.RecordIndex < 0) return -1;
  Integer p = IndexOfRecord(FCurrent.RecordIndex);
  if (p < 0 || !IsGrouped()) return p;
  Integer g = FGroups->DeepestGroupOfPosition(p);
  if (g < 0) return -1;
  const auto& items = FGroups->Items;
  Integer owner;
  Integer v = FGroups->FindGroupByRow(items[static_cast<size_t>(g)].RowIndex, owner);
  Integer levels = FGroups->LevelCount();
  Integer level = FCurrent.Level;
  if (level >= levels) {
    if (v == g && items[static_cast<size_t>(g)].Expanded) return dataRowOfPosition(g, p);
    level = levels - 1;
  }
  if (level < 0) return v == -1 ? -1 : items[static_cast<size_t>(v)].RowIndex;
  for (Integer i = g; i >= 0; --i)
    if (items[static_cast<size_t>(i)].Level == level) return items[static_cast<size_t>(i)].RowIndex;
  return -1;
}

void TcxCustomDataControllerInfo::resyncFocus() {
  Integer r = rowOfFocusedRecord();
  Integer rows = GetRowCount();
  if (r != FCurrent.RowIndex && (FCurrent.RowIndex < 0 || FCurrent.RowIndex >= rows ||
                                 GetRowInfo(FCurrent.RowIndex).RecordIndex != FCurrent.RecordIndex ||
                                 GetRowInfo(FCurrent.RowIndex).Level != FCurrent.Level))
    ChangeFocusedRowIndex(r, true);
  if ((FChanges & ciFocusedInCycle) && FPrevious.RowIndex >= rows) FPrevious.RowIndex = -1;
}

// --- Selection

void TcxCustomDataControllerInfo::ChangeRowSelection(Integer ARowIndex, bool ASelect) {
  if (ARowIndex < 0 || ARowIndex >= GetRowCount()) dataError(scxDataRowIndexOutOfRange);
  Integer index;
  bool found = FSelection->FindRow(ARowIndex, index);
  if (found && !ASelect) {
    FSelection->Delete(index);
  } else if (!found && ASelect) {
    TcxRowInfo info = GetRowInfo(ARowIndex);
    if (FDataController->CanSelectRecord(info.RecordIndex)) {
      Integer owner;
      Integer g = IsGrouped() ? FGroups->FindGroupByRow(ARowIndex, owner) : -1;
      if (g != -1) FSelection->Add(index, ARowIndex, -1, g);
      else FSelection->Add(index, ARowIndex, info.Level, info.RecordIndex);
    }
  }
  CheckChanges();
}

void TcxCustomDataControllerInfo::ClearSelection() {
  FSelection->ClearSelection();
  CheckChanges();
}

bool TcxCustomDataControllerInfo::IsRowSelected(Integer ARowIndex) const {
  if (ARowIndex < 0 || ARowIndex >= GetRowCount()) dataError(scxDataRowIndexOutOfRange);
  return FSelection->IsRowSelected(ARowIndex);
}

void TcxCustomDataControllerInfo::CheckSelection() {
  if (FSelection->Count() == 0) return;
  Integer count = FDataController->GetRecordCount();
  if (count == 0) {
    FSelection->ClearAll();
    return;
  }
  if (FDataController->IsLoading() && !FDataController->HasKeyFields())
    for (Integer i = FSelection->Count() - 1; i >= 0; --i)
      if (FSelection->FItems[static_cast<size_t>(i)].RecordIndex >= count) FSelection->Delete(i);
}

// ---------------------------------------------------------------------------------------
// TcxCustomDataController: construction

TcxCustomDataController::TcxCustomDataController(TComponent* AOwner) : FOwner(AOwner) {
  FDataStorage.reset(New<TcxDataStorage>());
  FGroups.reset(New<TcxDataControllerGroups>(this));
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
  FFilter.reset(As<TcxDataFilterCriteria>(GetFilterCriteriaClass()->CreateInstance(this)));
  FSummary.reset(As<TcxDataSummary>(GetSummaryClass()->CreateInstance(this)));
  FDataControllerInfo->CreateSelection(GetDataSelectionClass());
}

void TcxCustomDataController::BeforeDestruction() {
  FDestroying = true;
  inherited::BeforeDestruction();
}

TcxCustomDataController::~TcxCustomDataController() {
  // Nothing is rebuilt from here on: the fields and records go away one by one.
  FDataControllerInfo->BeginUpdate();
  FNotifier.reset();
  FSummary.reset();
  FFilter.reset();
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
  if (FSummary && source->FSummary) FSummary->Assign(source->FSummary.get());
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

void TcxCustomDataController::FieldRemoved(TcxCustomDataField* AField) {
  if (FFilter && AField->Item()) FFilter->RemoveItemByItemLink(AField->Item());
  if (FSummary) FSummary->FieldRemoved(AField);
  if (FDataControllerInfo) FDataControllerInfo->RemoveField(AField);
}

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
  // The bookmark and the selection stay with their records, which moved up by one.
  if (FBookmarkRecordIndex >= ARecordIndex) ++FBookmarkRecordIndex;
  FDataControllerInfo->RecordIndexesShifted(ARecordIndex, 1);
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
  if (ARecordIndex >= 0) FDataControllerInfo->RecordIndexesShifted(ARecordIndex, -1);
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
  std::exception_ptr restoreError;
  FDataStorage->Clear(false);
  if (FProvider->CanLoadData()) {
    if (IsGridMode()) {
      FDataStorage->BeginLoad();
      FProvider->LoadGridModeBuffer();
      FDataStorage->EndLoad();
    } else {
      FProvider->LockNotify();
      ScopeExit unlock([this] { FProvider->UnlockNotify(); });
      FProvider->SavePosition();
      ScopeExit restoreAfterFailure([this] { FProvider->RestorePosition(); });
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
      // The records are read: a source that cannot put its position back must not leave
      // them half shown. The load is finished first and the failure is raised afterwards.
      restoreAfterFailure.Dismiss();
      try {
        FProvider->RestorePosition();
      } catch (...) {
        restoreError = std::current_exception();
      }
    }
  }
  FDataControllerInfo->Refresh();
  CheckBookmarkValid(-1);
  RefreshRowList();
  Change(dccData);
  DataLoaded();
  if (restoreError) std::rethrow_exception(restoreError);
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

Integer TcxCustomDataController::GetRowIndexByRecordIndex(Integer ARecordIndex, bool AMakeVisible) {
  CheckRecordIndex(ARecordIndex);
  return FDataControllerInfo->GetRowIndexByRecordIndex(ARecordIndex, AMakeVisible);
}

// A group row shows its level's grouping item whatever item is asked for.
static Integer rowItemIndex(TcxCustomDataController* ADataController, const TcxRowInfo& AInfo, Integer AItemIndex) {
  TcxDataControllerGroups* groups = ADataController->Groups();
  if (AInfo.Level < groups->GetGroupingItemCount()) return groups->GetGroupingItemIndex(AInfo.Level);
  return AItemIndex;
}

void TcxCustomDataController::GetRowValue(Integer ARowIndex, Integer AItemIndex, Variant& V) {
  TcxRowInfo info = GetRowInfo(ARowIndex);
  GetValue(info.RecordIndex, rowItemIndex(this, info, AItemIndex), V);
}

void TcxCustomDataController::GetRowDisplayText(Integer ARowIndex, Integer AItemIndex, std::string& S) {
  TcxRowInfo info = GetRowInfo(ARowIndex);
  GetDisplayText(info.RecordIndex, rowItemIndex(this, info, AItemIndex), S);
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
  if (!IsSingleSelection()) return FDataControllerInfo->GetSelectedCount();
  return FFocusedRowSelected && GetFocusedRowIndex() != -1 ? 1 : 0;
}

Integer TcxCustomDataController::GetSelectedRowIndex(Integer AIndex) {
  if (!IsSingleSelection()) return FDataControllerInfo->GetSelectedRowIndex(AIndex);
  if (AIndex != 0 || GetSelectedCount() == 0) throw EListError("List index out of bounds (" + IntToStr(AIndex) + ")");
  return GetFocusedRowIndex();
}

bool TcxCustomDataController::IsRowSelected(Integer ARowIndex) {
  if (!IsSingleSelection()) return FDataControllerInfo->IsRowSelected(ARowIndex);
  return FFocusedRowSelected && ARowIndex != -1 && ARowIndex == GetFocusedRowIndex();
}

TClass TcxCustomDataController::GetDataSelectionClass() { return TcxDataSelection::StaticClass(); }

void TcxCustomDataController::SetMultiSelect(bool AValue) {
  if (FMultiSelect == AValue) return;
  FMultiSelect = AValue;
  FFocusedRowSelected = true;
  if (!AValue) ClearSelection();
}

void TcxCustomDataController::ChangeRowSelection(Integer ARowIndex, bool ASelect) {
  if (IsSingleSelection()) return;
  FDataControllerInfo->ChangeRowSelection(ARowIndex, ASelect);
}

void TcxCustomDataController::SelectRows(Integer AStartRowIndex, Integer AEndRowIndex) {
  if (IsSingleSelection()) return;
  if (AStartRowIndex > AEndRowIndex) std::swap(AStartRowIndex, AEndRowIndex);
  UpdateLock<TcxCustomDataController> lock(this);
  for (Integer row = AStartRowIndex; row <= AEndRowIndex; ++row) ChangeRowSelection(row, true);
}

void TcxCustomDataController::SelectAll() { SelectRows(0, GetRowCount() - 1); }

void TcxCustomDataController::SelectFromAnchor(Integer ARowIndex, bool AKeepSelection) {
  if (!IsSelectionAnchorAssigned()) return;
  UpdateLock<TcxCustomDataController> lock(this);
  if (!AKeepSelection) ClearSelection();
  SelectRows(GetSelectionAnchorRowIndex(), ARowIndex);
}

void TcxCustomDataController::SetSelectionAnchor(Integer ARowIndex) {
  if (ARowIndex < 0 || ARowIndex >= GetRowCount()) dataError(scxDataRowIndexOutOfRange);
  GetSelection()->SetSelectionAnchor(ARowIndex);
}

void TcxCustomDataController::SyncSelectionFocusedRow() {
  UpdateLock<TcxCustomDataController> lock(this);
  ClearSelection();
  if (GetFocusedRowIndex() != -1) ChangeRowSelection(GetFocusedRowIndex(), true);
}

void TcxCustomDataController::ClearSelection() { FDataControllerInfo->ClearSelection(); }

// ---------------------------------------------------------------------------------------
// Sorting, grouping and filtering

void TcxCustomDataController::ChangeSortIndex(Integer AItemIndex, Integer ASortIndex) {
  TcxCustomDataField* field = ItemField(AItemIndex);
  UpdateLock<TcxCustomDataController> lock(this);
  FDataControllerInfo->ChangeSortIndex(field, ASortIndex);
}

void TcxCustomDataController::ChangeSortOrder(Integer AItemIndex, TcxDataSortOrder AOrder) {
  TcxCustomDataField* field = ItemField(AItemIndex);
  if (GetItemSortOrder(AItemIndex) == AOrder) return;
  UpdateLock<TcxCustomDataController> lock(this);
  MarkSortingChanged();
  FDataControllerInfo->ChangeSorting(field, AOrder);
}

void TcxCustomDataController::ClearSorting(bool AKeepGroupedItems) {
  UpdateLock<TcxCustomDataController> lock(this);
  FDataControllerInfo->ClearSorting(AKeepGroupedItems);
}

TcxDataSortOrder TcxCustomDataController::GetItemSortOrder(Integer AItemIndex) {
  TcxCustomDataField* field = ItemField(AItemIndex);
  for (const TcxDataSortInfo& entry : FDataControllerInfo->SortingFields())
    if (entry.Field == field) return entry.SortOrder;
  for (const TcxDataSortInfo& entry : FDataControllerInfo->GroupingFields())
    if (entry.Field == field) return entry.SortOrder;
  return soNone;
}

Integer TcxCustomDataController::GetItemSortIndex(Integer AItemIndex) {
  TcxCustomDataField* field = ItemField(AItemIndex);
  const auto& sorting = FDataControllerInfo->SortingFields();
  for (size_t i = 0; i < sorting.size(); ++i)
    if (sorting[i].Field == field) return static_cast<Integer>(i);
  return -1;
}

TClass TcxCustomDataController::GetFilterCriteriaClass() { return TcxDataFilterCriteria::StaticClass(); }

// ---------------------------------------------------------------------------------------
// TcxDataControllerGroups

TcxDataGroups* TcxDataControllerGroups::groups() const { return FDataController->DataControllerInfo()->GroupTree(); }

void TcxDataControllerGroups::ChangeExpanding(Integer ARowIndex, bool AExpanded, bool ARecursive) {
  FDataController->DataControllerInfo()->ChangeExpanding(ARowIndex, AExpanded, ARecursive);
}

void TcxDataControllerGroups::FullExpand() { FDataController->DataControllerInfo()->FullExpand(); }

void TcxDataControllerGroups::ChangeGroupIndex(Integer AItemIndex, Integer AGroupIndex) {
  TcxCustomDataField* field = FDataController->ItemField(AItemIndex);
  if (GetItemGroupIndex(AItemIndex) == AGroupIndex) return;
  UpdateLock<TcxCustomDataController> lock(FDataController);
  FDataController->MarkGroupingChanged();
  FDataController->DataControllerInfo()->ChangeGroupIndex(field, AGroupIndex);
  FDataController->Provider()->SetGrouped(GetGroupingItemCount() > 0);
}

Integer TcxDataControllerGroups::GetGroupingItemCount() {
  return static_cast<Integer>(FDataController->DataControllerInfo()->GroupingFields().size());
}

Integer TcxDataControllerGroups::GetGroupingItemIndex(Integer ALevel) {
  const auto& grouping = FDataController->DataControllerInfo()->GroupingFields();
  if (ALevel < 0 || ALevel >= static_cast<Integer>(grouping.size())) return -1;
  return grouping[static_cast<size_t>(ALevel)].Field->Index();
}

Integer TcxDataControllerGroups::GetItemGroupIndex(Integer AItemIndex) {
  TcxCustomDataField* field = FDataController->ItemField(AItemIndex);
  const auto& grouping = FDataController->DataControllerInfo()->GroupingFields();
  for (size_t i = 0; i < grouping.size(); ++i)
    if (grouping[i].Field == field) return static_cast<Integer>(i);
  return -1;
}

Integer TcxDataControllerGroups::GetChildCount(Integer ADataGroupIndex) {
  TcxDataGroups* g = groups();
  if (ADataGroupIndex < -1 || ADataGroupIndex >= g->Count() || (ADataGroupIndex == -1 && g->Count() == 0)) return 0;
  if (ADataGroupIndex >= 0 && g->Items[static_cast<size_t>(ADataGroupIndex)].Level == g->DeepestLevel()) {
    const TcxDataGroupInfo& item = g->Items[static_cast<size_t>(ADataGroupIndex)];
    return item.LastIndex - item.FirstIndex + 1;
  }
  return static_cast<Integer>(g->Children(ADataGroupIndex).size());
}

Integer TcxDataControllerGroups::GetChildDataGroupIndex(Integer ADataGroupIndex, Integer AChildIndex) {
  TcxDataGroups* g = groups();
  if (ADataGroupIndex < -1 || ADataGroupIndex >= g->Count()) return -1;
  std::vector<Integer> children = g->Children(ADataGroupIndex);
  if (AChildIndex < 0 || AChildIndex >= static_cast<Integer>(children.size())) return -1;
  return children[static_cast<size_t>(AChildIndex)];
}

Integer TcxDataControllerGroups::GetChildRecordIndex(Integer ADataGroupIndex, Integer AChildIndex) {
  TcxDataGroups* g = groups();
  if (ADataGroupIndex < 0 || ADataGroupIndex >= g->Count()) return -1;
  const TcxDataGroupInfo& item = g->Items[static_cast<size_t>(ADataGroupIndex)];
  if (item.Level != g->DeepestLevel() || AChildIndex < 0 || AChildIndex > item.LastIndex - item.FirstIndex) return -1;
  return FDataController->DataControllerInfo()->GetRecordListItem(item.FirstIndex + AChildIndex);
}

Integer TcxDataControllerGroups::GetDataGroupIndexByRowIndex(Integer ARowIndex) {
  TcxDataGroups* g = groups();
  if (g->Count() == 0 || ARowIndex < 0 || ARowIndex >= g->RowCount()) return -1;
  Integer owner;
  Integer item = g->FindGroupByRow(ARowIndex, owner);
  return item != -1 ? item : owner;
}

Integer TcxDataControllerGroups::GetLevelByDataGroupIndex(Integer ADataGroupIndex) {
  TcxDataGroups* g = groups();
  if (ADataGroupIndex < 0 || ADataGroupIndex >= g->Count()) return -1;
  return g->Items[static_cast<size_t>(ADataGroupIndex)].Level;
}

void TcxDataControllerGroups::LoadRecordIndexes(std::vector<Integer>& AList, Integer ADataGroupIndex) {
  TcxDataGroups* g = groups();
  if (ADataGroupIndex < 0 || ADataGroupIndex >= g->Count()) return;
  TcxCustomDataControllerInfo* info = FDataController->DataControllerInfo();
  for (Integer p = g->FirstPosition(ADataGroupIndex), last = g->LastPosition(ADataGroupIndex); p <= last; ++p)
    AList.push_back(info->GetRecordListItem(p));
}

void TcxDataControllerGroups::LoadRecordIndexesByRowIndex(std::vector<Integer>& AList, Integer ARowIndex) {
  LoadRecordIndexes(AList, GetDataGroupIndexByRowIndex(ARowIndex));
}

// ---------------------------------------------------------------------------------------
// TcxDataFilterCriteria

TcxCustomDataField* TcxDataFilterCriteriaItem::Field() {
  auto* criteria = static_cast<TcxDataFilterCriteria*>(GetCriteria());
  return criteria->DataController()->Fields()->FieldByItem(ItemLink());
}

Variant TcxDataFilterCriteriaItem::GetDataValue(Integer ARecordIndex) {
  TcxCustomDataField* field = Field();
  Variant v;
  if (field) static_cast<TcxDataFilterCriteria*>(GetCriteria())->DataController()->GetItemValueForFilter(ARecordIndex, field, v);
  else v = Null();
  return v;
}

TcxDataFilterCriteria::TcxDataFilterCriteria(TcxCustomDataController* ADataController)
    : FDataController(ADataController) {}

TClass TcxDataFilterCriteria::GetItemClass() { return TcxDataFilterCriteriaItem::StaticClass(); }

void TcxDataFilterCriteria::SetActive(bool AValue) {
  if (FActive == AValue) return;
  FActive = AValue;
  Changed();
}

void TcxDataFilterCriteria::DoChanged() {
  inherited::DoChanged();
  if (!FDataController->IsDestroying()) FDataController->Refresh();
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
  Integer row = GetFocusedRowIndex();
  if (row == -1 || !FProvider->CanDelete()) return;
  if (GetRowInfo(row).Level < FGroups->GetGroupingItemCount()) {
    std::vector<Integer> records;
    FGroups->LoadRecordIndexesByRowIndex(records, row);
    std::sort(records.begin(), records.end());
    FProvider->DeleteRecords(records);
  } else {
    FProvider->Delete();
  }
}

void TcxCustomDataController::DeleteSelection() {
  if (GetSelectedCount() == 0 || !FProvider->CanDelete()) return;
  // The single selected row is the focused one; a focused group row stands for its
  // records, not for the first of them alone.
  if (IsSingleSelection()) DeleteFocused();
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
  if (!IsSingleSelection()) ClearSelection();
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

void TcxCustomDataController::GetGroupingValues(Integer ARecordIndex, std::vector<Variant>& AValues) {
  const auto& grouping = FDataControllerInfo->GroupingFields();
  AValues.assign(grouping.size(), Null());
  bool valid = ARecordIndex >= 0 && ARecordIndex < GetRecordCount();
  for (size_t level = 0; valid && level < grouping.size(); ++level)
    GetFieldValue(ARecordIndex, grouping[level].Field, AValues[level]);
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
  if (FSummary) FSummary->FireDeferredAfterSummary();
}

void TcxCustomDataController::SetSummary(TcxDataSummary* AValue) { FSummary->Assign(AValue); }
TClass TcxCustomDataController::GetSummaryClass() { return TcxDataSummary::StaticClass(); }
TClass TcxCustomDataController::GetSummaryItemClass() { return TcxDataSummaryItem::StaticClass(); }
TClass TcxCustomDataController::GetSummaryGroupItemLinkClass() { return TcxDataSummaryGroupItemLink::StaticClass(); }

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

// ---------------------------------------------------------------------------------------
// TcxDataController

void TcxDataController::AfterConstruction() {
  inherited::AfterConstruction();
  ActiveChanged(true);
}

// ---------------------------------------------------------------------------------------
// Summaries

RTL_BEGIN_CLASS(TcxCustomDataSummaryItem)
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxDataSummaryItem)
  using T = TcxDataSummaryItem;
  b.Property("Format", &T::Format, &T::SetFormat);
  b.Property("Kind", &T::Kind, &T::SetKind).Default(skNone);
  // Stored by the collection's rule, so a footer item never writes its position.
  b.Property("Position", &T::StoredPosition, &T::SetPosition).Default(spGroup).Stored(&T::IsPositionStored);
  b.Property("OnGetText", &T::OnGetText, &T::SetOnGetText);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxDataSummaryItems)
  using T = TcxDataSummaryItems;
  b.Property("OnSummary", &T::OnSummary, &T::SetOnSummary);
RTL_END_CLASS
RTL_IMPLEMENT_CLASS(TcxDataFooterSummaryItems)
RTL_BEGIN_CLASS(TcxDataGroupSummaryItems)
  using T = TcxDataGroupSummaryItems;
  b.Property("BeginText", &T::BeginText, &T::SetBeginText).Stored(&T::IsBeginTextStored);
  b.Property("EndText", &T::EndText, &T::SetEndText).Stored(&T::IsEndTextStored);
  b.Property("Separator", &T::Separator, &T::SetSeparator).Stored(&T::IsSeparatorStored);
RTL_END_CLASS
RTL_IMPLEMENT_CLASS(TcxDataSummaryGroupItemLink)
RTL_IMPLEMENT_CLASS(TcxDataSummaryGroupItemLinks)
RTL_BEGIN_CLASS(TcxDataSummaryGroup)
  using T = TcxDataSummaryGroup;
  b.Property("Links", &T::Links, &T::SetLinks);
  b.Property("SummaryItems", &T::SummaryItems, &T::SetSummaryItems);
RTL_END_CLASS
RTL_IMPLEMENT_CLASS(TcxDataSummaryGroups)
RTL_BEGIN_CLASS(TcxDataSummary)
  using T = TcxDataSummary;
  b.Property("DefaultGroupSummaryItems", &T::DefaultGroupSummaryItems, &T::SetDefaultGroupSummaryItems);
  b.Property("FooterSummaryItems", &T::FooterSummaryItems, &T::SetFooterSummaryItems);
  b.Property("SummaryGroups", &T::SummaryGroups, &T::SetSummaryGroups);
  b.Property("Options", &T::Options, &T::SetOptions).Default(TcxSummaryOptions{});
  b.Property("OnAfterSummary", &T::OnAfterSummary, &T::SetOnAfterSummary);
RTL_END_CLASS

// --- Summary items

TcxCustomDataField* TcxCustomDataSummaryItem::fieldOfItem(TObject* AItemLink) {
  TcxCustomDataController* dc = AItemLink ? DataController() : nullptr;
  return dc ? dc->Fields()->FieldByItem(AItemLink) : nullptr;
}

TObject* TcxCustomDataSummaryItem::mappedItemLink(TcxCustomDataSummaryItem* ASource) {
  TObject* link = ASource->ItemLink();
  TcxCustomDataController* dc = DataController();
  if (!link || !dc) return nullptr;
  // Within one controller the item is the item itself; items of another controller are
  // matched by their IDs.
  if (ASource->DataController() == dc) return link;
  return dc->FindItemByItemID(link);
}

void TcxCustomDataSummaryItem::SetItemLink(TObject* AItemLink) {
  TcxCustomDataField* field = fieldOfItem(AItemLink);
  if (field == FField) return;
  UpdateLock<TCollection> lock(Collection());
  BeforeItemLinkChange(field);
  FField = field;
  Changed(true);
}

TcxDataSummaryItems* TcxDataSummaryItem::SummaryItems() const { return dynamic_cast<TcxDataSummaryItems*>(Collection()); }

TcxCustomDataController* TcxDataSummaryItem::GetDataController() {
  TcxDataSummaryItems* items = SummaryItems();
  return items && items->Summary() ? items->Summary()->DataController() : nullptr;
}

void TcxDataSummaryItem::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxDataSummaryItem*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  UpdateLock<TCollection> lock(Collection());
  SetItemLink(mappedItemLink(source));
  SetFormat(source->Format());
  SetKind(source->Kind());
  SetPosition(source->StoredPosition());
  SetOnGetText(source->OnGetText());
}

bool TcxDataSummaryItem::NeedStorePosition() {
  TcxDataSummaryItems* items = SummaryItems();
  return items ? items->IsItemPositionStored(this) : FPosition != spGroup;
}

void TcxDataSummaryItem::SetFormat(const std::string& Value) {
  if (FFormat == Value) return;
  FFormat = Value;
  Changed(false);
}

void TcxDataSummaryItem::SetKind(TcxSummaryKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  Changed(true);
}

TcxSummaryPosition TcxDataSummaryItem::Position() const {
  TcxDataSummaryItems* items = SummaryItems();
  return items ? items->GetItemPosition(this) : FPosition;
}

void TcxDataSummaryItem::SetPosition(TcxSummaryPosition Value) {
  if (FPosition == Value) return;
  FPosition = Value;
  Changed(false);
}

namespace {

// The text of a date value: the date alone at midnight, the time alone on day zero.
std::string summaryDateText(const Variant& AValue) {
  TDateTime value = AValue.AsDateTime();
  if (cxTimePart(value) == 0) return DateToStr(value);
  if (cxDatePart(value) == 0) return TimeToStr(value);
  return DateTimeToStr(value);
}

std::string replaceAll(std::string AText, const std::string& AWhat, const std::string& ABy) {
  for (size_t at = AText.find(AWhat); at != std::string::npos; at = AText.find(AWhat, at + ABy.size()))
    AText.replace(at, AWhat.size(), ABy);
  return AText;
}

}  // namespace

std::string TcxDataSummaryItem::FormatValue(const Variant& AValue, bool AIsFooter) {
  std::string text;
  if (VarIsNull(AValue)) {
    text.clear();
  } else if (FKind == skNone) {
    text = VarToStr(AValue);
  } else {
    std::string pattern = FFormat;
    if (pattern.empty() && SummaryItems())
      pattern = SummaryItems()->GetDefaultFormat(VarType(AValue), FKind, AIsFooter);
    if (!cxIsDateTimeVariant(AValue) || FKind == skCount)
      text = FormatFloat(pattern, AValue.AsExtended());
    else
      text = pattern + summaryDateText(AValue);
  }
  if (FOnGetText) FOnGetText(this, AValue, AIsFooter, text);
  return text;
}

// --- Item collections

TcxDataSummaryItems::TcxDataSummaryItems(TcxDataSummary* ASummary, TClass AItemClass)
    : TCollection(AItemClass), FSummary(ASummary) {}

TPersistent* TcxDataSummaryItems::GetOwner() { return FSummary; }

TcxSummaryPosition TcxDataSummaryItems::GetItemPosition(const TcxDataSummaryItem* AItem) const {
  return AItem->StoredPosition();
}

bool TcxDataSummaryItems::IsItemPositionStored(const TcxDataSummaryItem* AItem) const {
  return AItem->StoredPosition() != spGroup;
}

std::string TcxDataSummaryItems::GetDefaultFormat(TVarType AValueType, TcxSummaryKind AKind, bool AIsFooter) {
  static const char* const kPrefixes[] = {"", "SUM=", "MIN=", "MAX=", "COUNT=", "AVG="};
  if (AKind == skNone) return std::string();
  std::string prefix = kPrefixes[AKind];
  // The footer's sum and count stand alone under their column; everything else says what it is.
  if (AIsFooter && (AKind == skSum || AKind == skCount)) prefix.clear();
  if (AKind == skCount) return prefix + "0";
  if ((AValueType & varTypeMask) == varCurrency) {
    std::string number = cxMakeCurrencyDisplayFormat();
    return replaceAll(prefix + "%s;" + prefix + "-%s", "%s", number);
  }
  // Dates are written after the prefix; a footer sum of dates has none.
  if (cxIsDateTimeVarType(AValueType & varTypeMask)) return prefix;
  return prefix + "0.00;" + prefix + "-0.00";
}

void TcxDataSummaryItems::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxDataSummaryItems*>(Source)) {
    UpdateLock<TCollection> lock(this);
    TCollection::Assign(Source);
    CopyEventHandlers(source);
    return;
  }
  TCollection::Assign(Source);
}

Integer TcxDataSummaryItems::IndexOfItemLink(TObject* AItemLink) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->ItemLink() == AItemLink) return i;
  return -1;
}

void TcxDataSummaryItems::Update(TCollectionItem* Item) {
  if (FSummary) FSummary->Changed(Item != nullptr);
}

void TcxDataGroupSummaryItems::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxDataGroupSummaryItems*>(Source)) {
    UpdateLock<TCollection> lock(this);
    TcxDataSummaryItems::Assign(Source);
    SetBeginText(source->BeginText());
    SetEndText(source->EndText());
    SetSeparator(source->Separator());
    return;
  }
  TcxDataSummaryItems::Assign(Source);
}

std::string TcxDataGroupSummaryItems::FormatGroupText(const Variant& AValues) {
  std::string text;
  bool first = true;
  for (Integer i = 0; i < Count(); ++i) {
    TcxDataSummaryItem* item = Items(i);
    if (item->Position() != spGroup) continue;
    Variant value = Summary() && Summary()->IsValueIndexValid(AValues, i) ? AValues[i] : Null();
    std::string part = item->FormatValue(value, false);
    if (first) text = part;
    else text += FSeparator + " " + part;
    first = false;
  }
  if (!text.empty()) text = FBeginText + text + FEndText;
  return text;
}

void TcxDataGroupSummaryItems::SetBeginText(const std::string& Value) {
  if (FBeginText == Value) return;
  FBeginText = Value;
  if (Summary()) Summary()->Changed(true);
}

void TcxDataGroupSummaryItems::SetEndText(const std::string& Value) {
  if (FEndText == Value) return;
  FEndText = Value;
  if (Summary()) Summary()->Changed(true);
}

void TcxDataGroupSummaryItems::SetSeparator(const std::string& Value) {
  if (FSeparator == Value) return;
  FSeparator = Value;
  if (Summary()) Summary()->Changed(true);
}

// --- Summary groups and their links

TcxDataSummaryGroup* TcxDataSummaryGroupItemLink::SummaryGroup() const {
  auto* links = dynamic_cast<TcxDataSummaryGroupItemLinks*>(Collection());
  return links ? links->SummaryGroup() : nullptr;
}

TcxCustomDataController* TcxDataSummaryGroupItemLink::GetDataController() {
  TcxDataSummaryGroup* group = SummaryGroup();
  TcxDataSummary* summary = group ? group->Summary() : nullptr;
  return summary ? summary->DataController() : nullptr;
}

void TcxDataSummaryGroupItemLink::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxDataSummaryGroupItemLink*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  SetItemLink(mappedItemLink(source));
}

void TcxDataSummaryGroupItemLink::BeforeItemLinkChange(TcxCustomDataField* AField) {
  TcxDataSummaryGroup* own = SummaryGroup();
  TcxDataSummary* summary = own ? own->Summary() : nullptr;
  if (!summary || !AField) return;
  TcxDataSummaryGroups* groups = summary->SummaryGroups();
  for (Integer g = 0; g < groups->Count(); ++g) {
    TcxDataSummaryGroupItemLinks* links = groups->Items(g)->Links();
    for (Integer i = 0; i < links->Count(); ++i) {
      TcxDataSummaryGroupItemLink* link = links->Items(i);
      if (link != this && link->Field() == AField) {
        link->setField(nullptr);
        link->Changed(true);
      }
    }
  }
}

TPersistent* TcxDataSummaryGroupItemLinks::GetOwner() { return FSummaryGroup; }

Integer TcxDataSummaryGroupItemLinks::IndexOfItemLink(TObject* AItemLink) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->ItemLink() == AItemLink) return i;
  return -1;
}

void TcxDataSummaryGroupItemLinks::Update(TCollectionItem*) {
  // Which items serve which level depends on the links: always a recalculation.
  if (TcxDataSummary* summary = FSummaryGroup ? FSummaryGroup->Summary() : nullptr) summary->Changed(false);
}

TcxDataSummaryGroup::~TcxDataSummaryGroup() {
  FLinks.reset();
  FSummaryItems.reset();
}

TcxDataSummaryGroups* TcxDataSummaryGroup::SummaryGroups() const {
  return dynamic_cast<TcxDataSummaryGroups*>(Collection());
}

TcxDataSummary* TcxDataSummaryGroup::Summary() const {
  TcxDataSummaryGroups* groups = SummaryGroups();
  return groups ? groups->Summary() : nullptr;
}

void TcxDataSummaryGroup::createParts() {
  if (FLinks) return;
  TcxDataSummary* summary = Summary();
  if (!summary) throw EcxInvalidDataControllerOperation("Summary group outside a summary");
  TcxCustomDataController* dc = summary->DataController();
  FLinks.reset(New<TcxDataSummaryGroupItemLinks>(this, dc->GetSummaryGroupItemLinkClass()));
  FSummaryItems.reset(New<TcxDataGroupSummaryItems>(summary, dc->GetSummaryItemClass(), this));
}

TcxDataSummaryGroupItemLinks* TcxDataSummaryGroup::Links() {
  createParts();
  return FLinks.get();
}

TcxDataGroupSummaryItems* TcxDataSummaryGroup::SummaryItems() {
  createParts();
  return FSummaryItems.get();
}

void TcxDataSummaryGroup::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxDataSummaryGroup*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  UpdateLock<TCollection> lock(Collection());
  Links()->Assign(source->Links());
  SummaryItems()->Assign(source->SummaryItems());
}

TcxDataSummaryGroups::TcxDataSummaryGroups(TcxDataSummary* ASummary)
    : TCollection(TcxDataSummaryGroup::StaticClass()), FSummary(ASummary) {}

TPersistent* TcxDataSummaryGroups::GetOwner() { return FSummary; }

TcxDataSummaryGroup* TcxDataSummaryGroups::FindByItemLink(TObject* AItemLink) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Links()->IndexOfItemLink(AItemLink) != -1) return Items(i);
  return nullptr;
}

void TcxDataSummaryGroups::Update(TCollectionItem*) {
  if (FSummary) FSummary->Changed(false);
}

// --- The summary

TcxDataSummary::TcxDataSummary(TcxCustomDataController* ADataController) : FDataController(ADataController) {
  FDefaultGroupSummaryItems.reset(
      New<TcxDataGroupSummaryItems>(this, ADataController->GetSummaryItemClass(), this));
  FFooterSummaryItems.reset(New<TcxDataFooterSummaryItems>(this, ADataController->GetSummaryItemClass()));
  FSummaryGroups.reset(New<TcxDataSummaryGroups>(this));
}

void TcxDataSummary::BeforeDestruction() {
  FDestroying = true;
  inherited::BeforeDestruction();
}

TcxDataSummary::~TcxDataSummary() {
  FDestroying = true;
  FSummaryGroups.reset();
  FFooterSummaryItems.reset();
  FDefaultGroupSummaryItems.reset();
}

TPersistent* TcxDataSummary::GetOwner() { return FDataController; }

void TcxDataSummary::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxDataSummary*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  UpdateLock<TcxDataSummary> lock(this);
  FDefaultGroupSummaryItems->Assign(source->DefaultGroupSummaryItems());
  FFooterSummaryItems->Assign(source->FooterSummaryItems());
  FSummaryGroups->Assign(source->SummaryGroups());
  SetOptions(source->Options());
  CopyEventHandlers(source);
}

void TcxDataSummary::BeginUpdate() {
  FDataController->BeginUpdate();
  ++FLockCount;
}

void TcxDataSummary::EndUpdate() {
  // The controller's bracket closes however the change report ends.
  ScopeExit closeController([this] { FDataController->EndUpdate(); });
  --FLockCount;
  Changed(false);
}

void TcxDataSummary::CancelUpdate() {
  FDataController->EndUpdate();
  --FLockCount;
}

void TcxDataSummary::Changed(bool ATextOnly) {
  if (FDestroying || FLockCount != 0 || FInAfterSummary) return;
  NotifySummaryChanged(ATextOnly);
}

void TcxDataSummary::NotifySummaryChanged(bool ATextOnly) {
  if (TcxCustomDataControllerInfo* info = FDataController->DataControllerInfo()) info->SummaryChanged(ATextOnly);
}

void TcxDataSummary::SetOptions(const TcxSummaryOptions& Value) {
  if (FOptions == Value) return;
  FOptions = Value;
  Changed(false);
}

void TcxDataSummary::FieldRemoved(TcxCustomDataField* AField) {
  // Items and links are bound to the fields of view items; an internal field (a key, or a
  // summary item's own field) is bound by none of them.
  if (AField->IsInternal()) return;
  bool unbound = false;
  auto unbindItems = [&](TcxDataSummaryItems* AItems) {
    for (Integer i = 0; i < AItems->Count(); ++i)
      if (AItems->Items(i)->Field() == AField) {
        AItems->Items(i)->setField(nullptr);
        unbound = true;
      }
  };
  BeginUpdate();
  ScopeExit close([&] {
    if (unbound) EndUpdate();
    else CancelUpdate();
  });
  unbindItems(FFooterSummaryItems.get());
  unbindItems(FDefaultGroupSummaryItems.get());
  for (Integer g = 0; g < FSummaryGroups->Count(); ++g) {
    TcxDataSummaryGroup* group = FSummaryGroups->Items(g);
    unbindItems(group->SummaryItems());
    TcxDataSummaryGroupItemLinks* links = group->Links();
    for (Integer i = 0; i < links->Count(); ++i)
      if (links->Items(i)->Field() == AField) {
        links->Items(i)->setField(nullptr);
        unbound = true;
      }
  }
}

TClass TcxDataSummary::GetSummaryGroupItemLinkClass() { return FDataController->GetSummaryGroupItemLinkClass(); }
TClass TcxDataSummary::GetSummaryItemClass() { return FDataController->GetSummaryItemClass(); }

bool TcxDataSummary::IsValueIndexValid(const Variant& AValues, Integer AIndex) const {
  return VarIsArray(AValues) && AIndex >= VarArrayLowBound(AValues, 1) && AIndex <= VarArrayHighBound(AValues, 1);
}

// --- Calculation

void TcxDataSummary::Calculate() {
  if (FCustomSummary) return;
  CalculateFooterSummary();
  CalculateGroupSummaries();
  DoAfterSummary();
}

void TcxDataSummary::InitSummaryValues(TcxDataSummaryItems* AItems, TcxDataSummaryValues& AValues,
                                       TcxDataSummaryCountValues& ACounts) {
  AValues.assign(static_cast<size_t>(AItems->Count()), Variant());
  ACounts.assign(static_cast<size_t>(AItems->Count()), 0);
}

void TcxDataSummary::CalculateFooterSummary() {
  TcxDataSummaryValues values;
  TcxDataSummaryCountValues counts;
  InitSummaryValues(FFooterSummaryItems.get(), values, counts);
  if (!FDataController->IsGridMode())
    SummarizeRecords(0, FDataController->GetFilteredRecordCount() - 1, FFooterSummaryItems.get(), values, counts);
  FFooterValues = FinishSummaryValues(FFooterSummaryItems.get(), values, counts);
}

void TcxDataSummary::CalculateGroupSummaries() {
  TcxDataGroups* groups = FDataController->DataControllerInfo()->GroupTree();
  Integer levelCount = FDataController->Groups()->GetGroupingItemCount();
  if (groups->Count() == 0) return;
  Integer deepest = groups->DeepestLevel();
  for (Integer level = 0; level < levelCount && level <= deepest; ++level) {
    TcxDataGroupSummaryItems* items = GetGroupSummaryItems(level);
    if (!items) continue;
    TcxDataSummaryValues values;
    TcxDataSummaryCountValues counts;
    Integer current = -1;
    auto store = [&] {
      if (current == -1) return;
      TcxDataSummaryValues finished = FinishSummaryValues(items, values, counts);
      groups->Items[static_cast<size_t>(current)].Value = finished.empty() ? Variant() : VarArrayOf(finished);
    };
    for (Integer g = 0; g < groups->Count(); ++g) {
      const TcxDataGroupInfo& group = groups->Items[static_cast<size_t>(g)];
      if (group.Level == level) {
        store();
        current = g;
        InitSummaryValues(items, values, counts);
      }
      if (group.Level == deepest && current != -1)
        SummarizeRecords(group.FirstIndex, group.LastIndex, items, values, counts);
    }
    store();
  }
}

Integer TcxDataSummary::GetSummaryRecordIndex(Integer APosition) {
  Integer record = FDataController->GetFilteredRecordIndex(APosition);
  if (FOptions.Contains(soSelectedRecords) && !FDataController->GetSelection()->IsRecordSelected(record)) return -1;
  return record;
}

void TcxDataSummary::SummarizeRecords(Integer AFirst, Integer ALast, TcxDataSummaryItems* AItems,
                                      TcxDataSummaryValues& AValues, TcxDataSummaryCountValues& ACounts) {
  for (Integer position = AFirst; position <= ALast; ++position) {
    Integer record = GetSummaryRecordIndex(position);
    if (record == -1) continue;
    for (Integer i = 0; i < AItems->Count(); ++i)
      AddRecordToSummary(record, AItems->Items(i), AValues[static_cast<size_t>(i)], ACounts[static_cast<size_t>(i)]);
  }
}

void TcxDataSummary::AddRecordToSummary(Integer ARecordIndex, TcxDataSummaryItem* AItem, Variant& AValue,
                                        Integer& ACount) {
  TcxCustomDataField* field = AItem->GetDataField();
  if (!field) return;
  TcxSummaryEventOutArguments out;
  FDataController->GetFieldValue(ARecordIndex, field, out.Value);
  TcxDataSummaryItems* items = AItem->SummaryItems();
  if (items && items->OnSummary()) {
    out.SummaryValue = AValue;
    out.CountValue = ACount;
    items->OnSummary()(items, TcxSummaryEventArguments{ARecordIndex, AItem}, out);
    AValue = out.SummaryValue;
    ACount = out.CountValue;
  }
  if (out.Done) return;
  TcxSummaryKind kind = AItem->Kind();
  const Variant& value = out.Value;
  if (kind == skNone || (FOptions.Contains(soNullIgnore) && VarIsNull(value))) return;
  if (VarIsEmpty(AValue)) {
    // The first value starts the running one; a leading Null is skipped by minimum and
    // maximum, and starts a sum or an average at zero.
    if (kind != skCount && !(VarIsNull(value) && (kind == skMin || kind == skMax))) {
      AValue = value;
      if (VarIsNull(AValue) && (kind == skSum || kind == skAverage)) AValue = 0;
    }
  } else if (!VarIsNull(value) && !VarIsNull(AValue)) {
    switch (kind) {
      case skSum:
      case skAverage:
        AValue = AValue + value;
        break;
      case skMin:
        if (value < AValue) AValue = value;
        break;
      case skMax:
        if (value > AValue) AValue = value;
        break;
      default:
        break;
    }
  }
  ++ACount;
}

void TcxDataSummary::FinishSummaryValue(TcxDataSummaryItem* AItem, Variant& AValue, Integer ACount) {
  switch (AItem->Kind()) {
    case skCount:
      AValue = ACount;
      break;
    case skAverage:
      if (ACount > 0 && !VarIsNull(AValue)) {
        bool isDate = cxIsDateTimeVariant(AValue);
        AValue = AValue / Variant(ACount);
        if (isDate) AValue = VarFromDateTime(AValue.AsDouble());
      }
      break;
    default:
      break;
  }
}

TcxDataSummaryValues TcxDataSummary::FinishSummaryValues(TcxDataSummaryItems* AItems, TcxDataSummaryValues& AValues,
                                                         const TcxDataSummaryCountValues& ACounts) {
  for (Integer i = 0; i < AItems->Count(); ++i) {
    Variant& value = AValues[static_cast<size_t>(i)];
    // Nothing added is Null, also for an item bound to no field, whose text stays empty
    // rather than showing a zero nobody computed.
    if (VarIsEmpty(value)) value = Null();
    if (AItems->Items(i)->GetDataField())
      FinishSummaryValue(AItems->Items(i), value, ACounts[static_cast<size_t>(i)]);
  }
  return AValues;
}

void TcxDataSummary::DoAfterSummary() {
  if (!FOnAfterSummary) return;
  if (FDataController->IsLoading()) {
    FAfterSummaryDeferred = true;
    return;
  }
  FAfterSummaryDeferred = false;
  if (FDataController->StructureChangePending()) return;
  ScopedRestore<bool> guard(FInAfterSummary);
  FInAfterSummary = true;
  FOnAfterSummary(this);
}

void TcxDataSummary::FireDeferredAfterSummary() {
  if (FAfterSummaryDeferred) DoAfterSummary();
}

// --- Values and texts

Variant TcxDataSummary::GetFooterSummaryValue(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= static_cast<Integer>(FFooterValues.size())) return Null();
  return FFooterValues[static_cast<size_t>(AIndex)];
}

std::string TcxDataSummary::GetFooterSummaryText(Integer AIndex) {
  if (AIndex < 0 || AIndex >= FFooterSummaryItems->Count()) return std::string();
  return FFooterSummaryItems->Items(AIndex)->FormatValue(GetFooterSummaryValue(AIndex), true);
}

TcxDataGroupSummaryItems* TcxDataSummary::GetGroupSummaryItems(Integer ALevel) {
  const auto& grouping = FDataController->DataControllerInfo()->GroupingFields();
  if (ALevel < 0 || ALevel >= static_cast<Integer>(grouping.size())) return nullptr;
  TcxCustomDataField* field = grouping[static_cast<size_t>(ALevel)].Field;
  for (Integer g = 0; g < FSummaryGroups->Count(); ++g) {
    TcxDataSummaryGroupItemLinks* links = FSummaryGroups->Items(g)->Links();
    for (Integer i = 0; i < links->Count(); ++i)
      if (links->Items(i)->Field() == field) return FSummaryGroups->Items(g)->SummaryItems();
  }
  return FDefaultGroupSummaryItems.get();
}

Integer TcxDataSummary::groupOfRowAtLevel(Integer ARowIndex, Integer ALevel) {
  TcxDataGroups* groups = FDataController->DataControllerInfo()->GroupTree();
  if (ARowIndex < 0 || ARowIndex >= FDataController->GetRowCount() || groups->Count() == 0) return -1;
  Integer owner = -1;
  Integer group = groups->FindGroupByRow(ARowIndex, owner);
  if (group == -1) group = owner;
  while (group != -1 && groups->Items[static_cast<size_t>(group)].Level > ALevel) group = groups->ParentOf(group);
  return group != -1 && groups->Items[static_cast<size_t>(group)].Level == ALevel ? group : -1;
}

std::string TcxDataSummary::GetGroupSummaryText(Integer ARowIndex) {
  TcxDataGroups* groups = FDataController->DataControllerInfo()->GroupTree();
  if (ARowIndex < 0 || ARowIndex >= FDataController->GetRowCount() || groups->Count() == 0) return std::string();
  Integer owner = -1;
  Integer group = groups->FindGroupByRow(ARowIndex, owner);
  if (group == -1) group = owner;
  if (group == -1) return std::string();
  const TcxDataGroupInfo& info = groups->Items[static_cast<size_t>(group)];
  TcxDataGroupSummaryItems* items = GetGroupSummaryItems(info.Level);
  if (!items || VarIsEmpty(info.Value)) return std::string();
  return items->FormatGroupText(info.Value);
}

std::string TcxDataSummary::GetGroupFooterSummaryText(Integer ARowIndex, Integer ALevel, Integer AIndex) {
  Integer group = groupOfRowAtLevel(ARowIndex, ALevel);
  TcxDataGroupSummaryItems* items = GetGroupSummaryItems(ALevel);
  if (group == -1 || !items || AIndex < 0 || AIndex >= items->Count()) return std::string();
  const Variant& values = FDataController->DataControllerInfo()->GroupTree()->Items[static_cast<size_t>(group)].Value;
  if (!IsValueIndexValid(values, AIndex)) return std::string();
  return items->Items(AIndex)->FormatValue(values[AIndex], true);
}

Integer TcxDataSummary::IndexOfGroupFooterItem(Integer ALevel, TObject* AItemLink) {
  TcxDataGroupSummaryItems* items = GetGroupSummaryItems(ALevel);
  if (!items) return -1;
  for (Integer i = 0; i < items->Count(); ++i)
    if (items->Items(i)->Position() == spFooter && items->Items(i)->ItemLink() == AItemLink) return i;
  return -1;
}

Variant TcxDataSummary::GetGroupSummaryValues(Integer ADataGroupIndex) {
  TcxDataGroups* groups = FDataController->DataControllerInfo()->GroupTree();
  if (ADataGroupIndex < 0 || ADataGroupIndex >= groups->Count()) return Variant();
  return groups->Items[static_cast<size_t>(ADataGroupIndex)].Value;
}
