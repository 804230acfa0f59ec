#pragma once
// The data controller: the record source of every data-aware view. It keeps one data field
// per item of its view (plus internal fields of its own) over the typed record storage,
// reads and writes values by record and item, turns records into rows, keeps focus and the
// bookmark, compares records for sorting, grouping and locating, edits records through its
// data provider and reports every change to its view as notification objects in a fixed
// order, collected inside update brackets.
//
// What is here now: the fields and their list, the controller's records, values, items,
// key values, bookmark, focus and navigation, the change notifications with update
// locking and data-changed listeners, the base data provider with record editing and the
// new-item row, and record comparison. The row list is its core for an unfiltered,
// unsorted, ungrouped view: rows are the records in storage order and it keeps the focus.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cx/data/cxDataStorage.h"
#include "cx/data/cxFilter.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/System.h"
#include "platform/rtl/Variants.h"

class TcxCustomDataController;
class TcxCustomDataControllerInfo;
class TcxCustomDataField;
class TcxCustomDataFieldList;
class TcxCustomDataProvider;
class TcxDataControllerGroups;
class TcxDataControllerNotifier;
class TcxDataFilterCriteria;
class TcxDataSummary;
class TcxDataSelection;

RTL_EXCEPTION(EcxInvalidDataControllerOperation, Exception)

// ---------------------------------------------------------------------------------------
// Shared types.

// The kind of a data change, in order of growing reach.
enum TcxDataChangeKind : Byte { dcItemValue = 0, dcRecord = 1, dcRecordsAdded = 2, dcRecordsDeleted = 3, dcAll = 4 };

// Pending notification bits of a controller.
using TcxDataControllerChanges = Word;
constexpr TcxDataControllerChanges dccLayout = 0x001;
constexpr TcxDataControllerChanges dccData = 0x002;
constexpr TcxDataControllerChanges dccFocus = 0x004;
constexpr TcxDataControllerChanges dccSelection = 0x008;
constexpr TcxDataControllerChanges dccDetail = 0x010;
constexpr TcxDataControllerChanges dccExpanding = 0x020;
constexpr TcxDataControllerChanges dccSearch = 0x040;
constexpr TcxDataControllerChanges dccSorting = 0x080;
constexpr TcxDataControllerChanges dccGrouping = 0x100;
constexpr TcxDataControllerChanges dccPatternRefresh = 0x200;
constexpr TcxDataControllerChanges dccBookmark = 0x400;
constexpr TcxDataControllerChanges dccUpdateRecord = 0x800;

enum TcxDataControllerOption {
  dcoAnsiSort,
  dcoCaseInsensitive,
  dcoAssignGroupingValues,
  dcoAssignMasterDetailKeys,
  dcoSaveExpanding,
  dcoSortByDisplayText,
  dcoFocusTopRowAfterSorting,
  dcoGroupsAlwaysExpanded
};
using TcxDataControllerOptions = Set<TcxDataControllerOption>;

enum TcxDataSortOrder { soNone = 0, soAscending = 1, soDescending = 2 };

// Where an edit value comes from: the editor's value, its text or a lookup key.
enum class TcxDataEditValueSource { Value = 0, Text = 1, Key = 2 };

// Edit state bits (GetEditState).
using TcxDataEditState = Integer;
constexpr TcxDataEditState dceInsert = 1;
constexpr TcxDataEditState dceEdit = 2;
constexpr TcxDataEditState dceChanging = 4;
constexpr TcxDataEditState dceModified = 8;

// Edit operation bits (GetEditOperations).
using TcxDataEditOperations = Integer;
constexpr TcxDataEditOperations dceoAppend = 1;
constexpr TcxDataEditOperations dceoDelete = 2;
constexpr TcxDataEditOperations dceoEdit = 4;
constexpr TcxDataEditOperations dceoInsert = 8;
constexpr TcxDataEditOperations dceoShowEdit = 16;

// The record index that stands for "no record" while nothing is edited.
constexpr Integer cxNoRecordIndex = static_cast<Integer>(0x80000001u);

// One entry of a sorting or grouping list: a field and its order.
struct TcxDataSortInfo {
  TcxCustomDataField* Field = nullptr;
  TcxDataSortOrder SortOrder = soAscending;
};

// What a row shows: a group row (Level below the grouping count) or a data row.
struct TcxRowInfo {
  bool Expanded = false;
  Integer Level = 0;
  Integer RecordIndex = -1;
};

using TcxDataControllerCompareEvent = TEvent<void(TcxCustomDataController* ADataController, Integer ARecordIndex1,
                                                  Integer ARecordIndex2, Integer AItemIndex, const Variant& V1,
                                                  const Variant& V2, Integer& Compare)>;
using TcxDataRecordChangedEvent =
    TEvent<void(TcxCustomDataController* ADataController, Integer ARecordIndex, Integer AItemIndex)>;
using TcxDataControllerRecordEvent = TEvent<void(TcxCustomDataController* ADataController, Integer ARecordIndex)>;
using TcxDataControllerNotifyEvent = TEvent<void(TcxCustomDataController* ADataController)>;

// ---------------------------------------------------------------------------------------
// Notification objects handed to the view's sink (OnUpdateControl); each lives for one call.
class TcxUpdateControlInfo : public TObject {
  RTL_DECLARE_CLASS(TcxUpdateControlInfo, TObject)
public:
  TcxUpdateControlInfo() = default;
};

class TcxFocusedRecordChangedInfo : public TcxUpdateControlInfo {
  RTL_DECLARE_CLASS(TcxFocusedRecordChangedInfo, TcxUpdateControlInfo)
public:
  TcxFocusedRecordChangedInfo(Integer APrevFocusedRecordIndex, Integer AFocusedRecordIndex,
                              Integer APrevFocusedRowIndex, Integer AFocusedRowIndex, bool ANewItemRowFocusingChanged)
      : PrevFocusedRecordIndex(APrevFocusedRecordIndex), FocusedRecordIndex(AFocusedRecordIndex),
        FocusedRowIndex(AFocusedRowIndex), PrevFocusedRowIndex(APrevFocusedRowIndex),
        NewItemRowFocusingChanged(ANewItemRowFocusingChanged) {}
  Integer PrevFocusedRecordIndex;
  Integer FocusedRecordIndex;
  Integer FocusedRowIndex;
  Integer PrevFocusedRowIndex;
  bool NewItemRowFocusingChanged;
};

class TcxFocusedRowChangedInfo : public TcxUpdateControlInfo {
  RTL_DECLARE_CLASS(TcxFocusedRowChangedInfo, TcxUpdateControlInfo)
public:
  TcxFocusedRowChangedInfo(Integer AFocusedRowIndex, Integer APrevFocusedRowIndex)
      : FocusedRowIndex(AFocusedRowIndex), PrevFocusedRowIndex(APrevFocusedRowIndex) {}
  Integer FocusedRowIndex;
  Integer PrevFocusedRowIndex;
};

class TcxLayoutChangedInfo : public TcxUpdateControlInfo {
  RTL_DECLARE_CLASS(TcxLayoutChangedInfo, TcxUpdateControlInfo)
public:
  TcxLayoutChangedInfo() = default;
};

class TcxUpdateRecordInfo : public TcxUpdateControlInfo {
  RTL_DECLARE_CLASS(TcxUpdateRecordInfo, TcxUpdateControlInfo)
public:
  explicit TcxUpdateRecordInfo(Integer ARecordIndex) : RecordIndex(ARecordIndex) {}
  Integer RecordIndex;
};

class TcxDataChangedInfo : public TcxUpdateControlInfo {
  RTL_DECLARE_CLASS(TcxDataChangedInfo, TcxUpdateControlInfo)
public:
  TcxDataChangedInfo(TcxDataChangeKind AKind, Integer AItemIndex, Integer ARecordIndex)
      : Kind(AKind), ItemIndex(AItemIndex), RecordIndex(ARecordIndex) {}
  TcxDataChangeKind Kind;
  Integer ItemIndex;
  Integer RecordIndex;
};

class TcxBookmarkChangedInfo : public TcxUpdateControlInfo {
  RTL_DECLARE_CLASS(TcxBookmarkChangedInfo, TcxUpdateControlInfo)
public:
  TcxBookmarkChangedInfo() = default;
};

// The rows whose selection changed; empty means "every selected row".
class TcxSelectionChangedInfo : public TcxUpdateControlInfo {
  RTL_DECLARE_CLASS(TcxSelectionChangedInfo, TcxUpdateControlInfo)
public:
  TcxSelectionChangedInfo() = default;
  // The first row is taken unless -1; the second unless -1 or equal to the first.
  TcxSelectionChangedInfo(Integer ARowIndex1, Integer ARowIndex2);
  Integer Count() const { return static_cast<Integer>(FRowIndexes.size()); }
  Integer RowIndexes(Integer AIndex) const;

private:
  std::vector<Integer> FRowIndexes;
};

class TcxSearchChangedInfo : public TcxUpdateControlInfo {
  RTL_DECLARE_CLASS(TcxSearchChangedInfo, TcxUpdateControlInfo)
public:
  TcxSearchChangedInfo() = default;
};

using TcxUpdateControlEvent = TEvent<void(TcxUpdateControlInfo* AInfo)>;

// A reference to a controller that the controller clears when it is destroyed, so that
// code that may outlive the controller (an event handler freeing the view) can tell.
class TcxDataListenerLink : public TObject {
  RTL_DECLARE_CLASS(TcxDataListenerLink, TObject)
public:
  explicit TcxDataListenerLink(TcxCustomDataController* ADataController);
  ~TcxDataListenerLink() override;
  TcxCustomDataController* DataController() const { return FDataController; }

private:
  friend class TcxCustomDataController;
  TcxCustomDataController* FDataController;
};

// The controller's hidden component: components used by fields free-notify it, and it
// tells the controller's fields when one goes away.
class TcxDataControllerNotifier : public TComponent {
  RTL_DECLARE_CLASS(TcxDataControllerNotifier, TComponent)
public:
  explicit TcxDataControllerNotifier(TcxCustomDataController* ADataController);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TcxCustomDataController* FDataController;
};

// ---------------------------------------------------------------------------------------
// Data fields: one per item of the view, plus the controller's internal fields. A field
// owns the value definition of its column, unless it refers to another field's column.
class TcxCustomDataField : public TObject {
  RTL_DECLARE_CLASS(TcxCustomDataField, TObject)
public:
  using TConstructorArg = TcxCustomDataFieldList*;
  explicit TcxCustomDataField(TcxCustomDataFieldList* AFieldList);
  // The list lets go of the field (so the controller forgets it and the fields that refer
  // to it take its column over) before the field's own column goes.
  void BeforeDestruction() override;
  ~TcxCustomDataField() override;
  TcxCustomDataField(const TcxCustomDataField&) = delete;
  TcxCustomDataField& operator=(const TcxCustomDataField&) = delete;

  // Takes ASource's column and value type over; ASource is left without them.
  virtual void Reassign(TcxCustomDataField* ASource);
  // Forgets a component that is going away; nothing here.
  virtual void RemoveNotification(TComponent* AComponent) {}
  // Whether the field's value can be written from the item's edit value source.
  virtual bool CanModify(TcxDataEditValueSource AEditValueSource);
  virtual bool IsInternal() { return FIsInternal; }
  void SetIsInternal(bool AValue);

  TcxCustomDataFieldList* FieldList() const { return FFieldList; }
  TcxCustomDataController* DataController() const;
  TcxDataControllerNotifier* Notifier() const;
  TObject* Item() const { return FItem; }
  void SetItem(TObject* AItem) { FItem = AItem; }
  Integer Index() const;
  void SetIndex(Integer AValue);

  // These follow the reference field when one is set.
  TcxValueDef* ValueDef() const;
  TcxValueTypeClass ValueTypeClass() const;
  bool TextStored() const;
  void SetValueTypeClass(TcxValueTypeClass AValue);
  void SetTextStored(bool AValue);
  TcxCustomDataField* ReferenceField() const { return FReferenceField; }
  // Refuses a field whose reference chain leads back to this one.
  void SetReferenceField(TcxCustomDataField* AValue);

  // Tells the provider that the structure changed (unless it is locked).
  void DataChanged();

  // The comparison mode cached for one sort: 0 not prepared, -1 stored values,
  // 1 values, 2 display texts.
  Integer CompareMode = 0;
  bool CompareByValue = false;
  // The mark of the controller's UpdateFields.
  bool Updated = false;

  // Destroys the column (the first level) and makes it again from the value type and
  // text storage (the last level): every change of type or text storage discards the
  // column's values.
  void BeginRecreateData();
  void EndRecreateData();

private:
  friend class TcxCustomDataFieldList;
  friend class TcxCustomDataController;
  TcxCustomDataFieldList* FFieldList;
  TObject* FItem = nullptr;
  TcxValueDef* FValueDef = nullptr;
  TcxValueTypeClass FValueTypeClass = nullptr;
  TcxCustomDataField* FReferenceField = nullptr;
  bool FIsInternal = false;
  bool FTextStored = false;
  Integer FRecreateLockCount = 0;
};

using TcxCustomDataFieldClass = TClass;

class TcxCustomDataFieldList : public TObject {
  RTL_DECLARE_CLASS(TcxCustomDataFieldList, TObject)
public:
  using TConstructorArg = TcxCustomDataController*;
  explicit TcxCustomDataFieldList(TcxCustomDataController* ADataController);
  ~TcxCustomDataFieldList() override;
  TcxCustomDataFieldList(const TcxCustomDataFieldList&) = delete;
  TcxCustomDataFieldList& operator=(const TcxCustomDataFieldList&) = delete;

  virtual void RemoveNotification(TComponent* AComponent);

  // An internal field goes last; any other before the first internal field.
  void Add(TcxCustomDataField* AField);
  void Remove(TcxCustomDataField* AField);
  // The first field referring to AField takes AField's column; later ones refer to it.
  void ReassignReferences(TcxCustomDataField* AField);
  // Destroys the fields from the last.
  void Clear();

  TcxCustomDataController* DataController() const { return FDataController; }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxCustomDataField* Items(Integer AIndex) const;
  Integer IndexOf(const TcxCustomDataField* AField) const;
  Integer ItemCount() const { return Count() - FInternalCount; }
  Integer InternalCount() const { return FInternalCount; }
  TcxCustomDataField* FieldByItem(TObject* AItem) const;
  bool FieldDestroyed() const { return FFieldDestroyed; }
  void ClearFieldDestroyed() { FFieldDestroyed = false; }

private:
  friend class TcxCustomDataField;
  void move(TcxCustomDataField* AField, Integer AIndex);
  void recountInternal();

  TcxCustomDataController* FDataController;
  std::vector<TcxCustomDataField*> FItems;
  Integer FInternalCount = 0;
  bool FFieldDestroyed = false;
};

// ---------------------------------------------------------------------------------------
// The data provider: the controller's adapter to its record source, holding the edit state
// of the one record being edited. The base class serves unbound controllers.
class TcxCustomDataProvider : public TObject {
  RTL_DECLARE_CLASS(TcxCustomDataProvider, TObject)
public:
  using TConstructorArg = TcxCustomDataController*;
  explicit TcxCustomDataProvider(TcxCustomDataController* ADataController);
  ~TcxCustomDataProvider() override;
  TcxCustomDataProvider(const TcxCustomDataProvider&) = delete;
  TcxCustomDataProvider& operator=(const TcxCustomDataProvider&) = delete;

  virtual bool IsGridMode() { return false; }
  virtual bool IsActive() { return false; }
  virtual bool IsOtherProviderLoading() { return false; }
  virtual bool IsSyncMode() { return false; }
  virtual bool CanLoadData() { return false; }
  virtual bool HasDataFields() { return false; }
  virtual bool IsBOF() { return true; }
  virtual bool IsEditorValuePending() { return FEditorValuePending; }
  virtual bool IsEditing() { return FEditingRecordIndex != cxNoRecordIndex; }
  virtual bool IsEOF() { return true; }
  virtual bool IsGridModeInserting() { return false; }
  virtual bool IsInserting() { return IsEditing() && FInserting; }
  virtual bool IsModified() { return FModified; }
  virtual void DoRecordLoaded(Integer ARecordIndex) {}
  virtual void First() { FFieldsRecreatedAfterFirst = false; }
  virtual void Prior() {}
  virtual void Next() {}
  virtual void Last() {}
  virtual void MoveBy(Integer ADistance) {}
  virtual void Scroll(Integer ADistance) {}
  virtual void SavePosition() {}
  virtual void RestorePosition() {}
  virtual bool CanAppend() { return CanModify(); }
  virtual bool CanDelete();
  virtual bool EditRecord(Integer ARecordIndex);
  virtual bool CanInsert() { return CanModify(); }
  virtual bool CanModify() { return true; }
  virtual void Append() { InsertOrAppend(true); }
  virtual void Cancel();
  virtual Integer Delete();
  virtual void DeleteRecords(const std::vector<Integer>& AList);
  virtual void DeleteSelection();
  virtual void Edit() { BeginEdit(); }
  virtual void GetEditValue(Integer ARecordIndex, TcxCustomDataField* AField, Variant& V,
                            TcxDataEditValueSource AEditValueSource);
  virtual void Insert() { InsertOrAppend(false); }
  virtual void Post();
  virtual void UpdateData();
  virtual bool SetEditValue(Integer ARecordIndex, TcxCustomDataField* AField, TcxDataEditValueSource AEditValueSource,
                            const Variant& V);
  virtual void SetValue(Integer ARecordIndex, TcxCustomDataField* AField, const Variant& V);
  virtual void AssignItemValues(Integer ARecordIndex, const std::vector<Variant>& AGroupingValues);
  virtual void DoEdit();
  virtual void InsertOrAppend(bool AAppend);
  virtual void ResetEditorValuePending() { FEditorValuePending = false; }
  virtual void ResetEditing();
  virtual void ResetModified() { FModified = false; }
  virtual void SetEditorValuePending() { FEditorValuePending = true; }
  virtual void BeginEdit() { DoEdit(); }
  virtual void SetModified() { FModified = true; }
  virtual void BeginLocate() { ++FLocateCount; }
  virtual void EndLocate() { --FLocateCount; }
  virtual void LockNotify() { ++FLockCount; }
  virtual void UnlockNotify() { --FLockCount; }
  virtual void GetGridModeDisplayText(Integer ARecordIndex, TcxCustomDataField* AField, std::string& S) { S.clear(); }
  virtual void GetGridModeValue(Integer ARecordIndex, TcxCustomDataField* AField, Variant& V) { V = Null(); }
  virtual Integer GetFocusedRecordIndex() { return -1; }
  virtual TClass GetValueDefReaderClass();
  virtual void LoadGridModeBuffer() {}
  virtual void ActiveChanged(bool AActive);
  virtual void DataChanged(TcxDataChangeKind AKind, Integer AItemIndex, Integer ARecordIndex);
  virtual void LayoutChanged();
  virtual void StructureChanged();

  // Copies the record into the saved internal record (made on first use).
  void SaveRecord(Integer ARecordIndex);
  void FreeSavedRecord();

  TcxCustomDataController* DataController() const { return FDataController; }
  Integer EditingRecordIndex() const { return FEditingRecordIndex; }
  Integer PrevRecordIndex() const { return FPrevRecordIndex; }
  Integer NextRecordIndex() const { return FNextRecordIndex; }
  Integer InsertedRecordIndex() const { return FInsertedRecordIndex; }
  void SetInsertedRecordIndex(Integer AValue) { FInsertedRecordIndex = AValue; }
  Integer SavedRecordIndex() const { return FSavedRecordIndex; }
  Integer LockCount() const { return FLockCount; }
  Integer LocateCount() const { return FLocateCount; }
  bool FieldsRecreatedAfterFirst() const { return FFieldsRecreatedAfterFirst; }
  bool InInserting() const { return FInInserting; }
  bool Grouped() const { return FGrouped; }
  void SetGrouped(bool AValue) { FGrouped = AValue; }

protected:
  friend class TcxCustomDataController;
  TcxCustomDataController* FDataController;
  Integer FEditingRecordIndex = cxNoRecordIndex;
  Integer FPrevRecordIndex = cxNoRecordIndex;
  Integer FNextRecordIndex = cxNoRecordIndex;
  Integer FInsertedRecordIndex = -1;
  Integer FSavedRecordIndex = 0;
  bool FInserting = false;
  bool FModified = false;
  bool FEditorValuePending = false;
  Integer FLocateCount = 0;
  Integer FLockCount = 0;
  bool FFieldsRecreatedAfterFirst = false;
  bool FInInserting = false;
  bool FGrouped = false;
};

// ---------------------------------------------------------------------------------------
// Group rows over the record list. Items are in pre-order: a group is followed by its whole
// subtree. A group of the deepest level covers the record-list positions FirstIndex ..
// LastIndex; a higher group's FirstIndex is the item index of its first child group and its
// LastIndex an item index at or after its last child group.
struct TcxDataGroupInfo {
  Integer RowIndex = 0;  // hidden groups share the row of their collapsed ancestor
  bool Expanded = false;
  Integer Level = 0;
  Integer FirstIndex = 0;
  Integer LastIndex = 0;
  Variant Value;
};

class TcxDataGroups : public TObject {
  RTL_DECLARE_CLASS(TcxDataGroups, TObject)
public:
  TcxDataGroups() = default;

  void Clear();
  Integer Count() const { return static_cast<Integer>(Items.size()); }
  Integer LevelCount() const { return static_cast<Integer>(Fields.size()); }
  Integer DeepestLevel() const { return LevelCount() - 1; }
  // Numbers the rows after an expand or collapse; the row count follows.
  void Renumber();
  void FullExpand();
  Integer RowCount() const { return FRowCount; }
  // The visible group standing on a row, or -1 for a data row (then AOwnerGroup is the
  // deepest group the row belongs to).
  Integer FindGroupByRow(Integer ARowIndex, Integer& AOwnerGroup) const;
  // The deepest group whose records include a record-list position; -1 when none.
  Integer DeepestGroupOfPosition(Integer APosition) const;
  Integer ParentOf(Integer AItemIndex) const;
  // The record-list position of the first record under a group.
  Integer FirstPosition(Integer AItemIndex) const;
  Integer LastPosition(Integer AItemIndex) const;
  // Whether the item is the visible one on its row (not hidden under a collapsed ancestor).
  bool IsVisible(Integer AItemIndex) const;
  // The item indexes of a group's direct children (groups); empty for a deepest group.
  std::vector<Integer> Children(Integer AItemIndex) const;
  // Expands a group and its ancestors; true when anything changed (rows not renumbered).
  bool ExpandPath(Integer AItemIndex);

  std::vector<TcxCustomDataField*> Fields;
  std::vector<TcxDataGroupInfo> Items;

private:
  friend class TcxCustomDataControllerInfo;
  std::vector<Integer> FDeepest;  // item indexes of the deepest-level groups, in order
  Integer FRowCount = 0;
};

// One selected row: a data row (Level = its row level, RecordIndex = its record) or a group
// row (Level = -1, RecordIndex = the group's item index).
struct TcxDataSelectionInfo {
  Integer Level = 0;
  Integer RecordIndex = -1;
  Integer RowIndex = -1;
};

// The selected rows of a multi-selection view, ordered by row.
class TcxDataSelection : public TObject {
  RTL_DECLARE_CLASS(TcxDataSelection, TObject)
public:
  using TConstructorArg = TcxCustomDataController*;
  explicit TcxDataSelection(TcxCustomDataController* ADataController) : FDataController(ADataController) {}

  virtual void ClearAnchor() { FAnchor = -1; }
  virtual void InsertItem(Integer AIndex, Integer ARowIndex, Integer ALevel, Integer ARecordIndex);
  virtual void Clear() { FItems.clear(); }
  virtual void DeleteItem(Integer AIndex);
  virtual void SetCount(Integer ACount);

  void Add(Integer AIndex, Integer ARowIndex, Integer ALevel, Integer ARecordIndex);
  void ClearSelection();
  void ClearAll();
  void Delete(Integer AIndex);
  // Bisection over the rows; when not found, AIndex is the insertion point.
  bool FindRow(Integer ARowIndex, Integer& AIndex) const;
  bool IsRowSelected(Integer ARowIndex) const;
  Integer FindGroupRow(Integer AGroupIndex) const;
  Integer FindRecord(Integer ARecordIndex) const;
  bool IsRecordSelected(Integer ARecordIndex) const { return FindRecord(ARecordIndex) != -1; }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  const TcxDataSelectionInfo& Items(Integer AIndex) const;
  Integer SelectionAnchor() const { return FAnchor; }
  void SetSelectionAnchor(Integer ARowIndex) { FAnchor = ARowIndex; }
  TcxCustomDataController* DataController() const { return FDataController; }
  std::function<void()> OnChanged;

protected:
  friend class TcxCustomDataControllerInfo;
  void changed() {
    if (OnChanged) OnChanged();
  }
  TcxCustomDataController* FDataController;
  std::vector<TcxDataSelectionInfo> FItems;
  Integer FAnchor = -1;
};

// ---------------------------------------------------------------------------------------
// The row list turns the controller's records into rows: it filters them into the record
// list, sorts that, builds group rows over it, and keeps the focused row and the selection
// across its rebuilds. Every change only sets change bits; the list is rebuilt once, when
// the outermost update bracket closes.
class TcxCustomDataControllerInfo : public TObject {
  RTL_DECLARE_CLASS(TcxCustomDataControllerInfo, TObject)
public:
  // Change bits of the row list.
  static constexpr Word ciRefresh = 0x001;
  static constexpr Word ciGrouping = 0x002;
  static constexpr Word ciSorting = 0x004;
  static constexpr Word ciFocusedInCycle = 0x008;
  static constexpr Word ciLayout = 0x010;
  static constexpr Word ciExpanding = 0x020;
  static constexpr Word ciRefreshFocused = 0x040;
  static constexpr Word ciSelection = 0x080;
  static constexpr Word ciSummary = 0x100;
  static constexpr Word ciFocus = 0x200;

  explicit TcxCustomDataControllerInfo(TcxCustomDataController* ADataController);
  ~TcxCustomDataControllerInfo() override;

  void BeginUpdate() { ++FLockCount; }
  void EndUpdate();
  Integer LockCount() const { return FLockCount; }
  bool HasChanges() const { return FChanges != 0; }
  void CheckChanges();
  // Change requests.
  void Refresh();
  void RefreshFocused();
  void FocusedRecordChanged(bool AChangePrevFocus);
  void LayoutChanged();
  void ExpandingChanged();
  // The summaries' values (or, with ATextOnly, only their texts) must be brought up to date.
  void SummaryChanged(bool ATextOnly);

  // Items.
  void RemoveField(TcxCustomDataField* AField);
  void UpdateField(TcxCustomDataField* AField);

  // Sorting and grouping lists.
  void ChangeSorting(TcxCustomDataField* AField, TcxDataSortOrder ASortOrder);
  void ChangeSortIndex(TcxCustomDataField* AField, Integer ASortIndex);
  void ClearSorting(bool AKeepGroupedItems);
  void ChangeGroupIndex(TcxCustomDataField* AField, Integer AGroupIndex);
  const std::vector<TcxDataSortInfo>& SortingFields() const { return FSortingFields; }
  const std::vector<TcxDataSortInfo>& GroupingFields() const { return FGroupingFields; }
  const std::vector<TcxDataSortInfo>& CombinedSortingFields() const { return FTotalSortingFields; }
  TcxDataGroups* GroupTree() const { return FGroups.get(); }

  // Rows.
  Integer GetRowCount() const;
  TcxRowInfo GetRowInfo(Integer ARowIndex) const;
  // -1 when the record is filtered out, or hidden under a collapsed group unless made visible.
  Integer GetRowIndexByRecordIndex(Integer ARecordIndex, bool AMakeVisible);
  void ChangeExpanding(Integer ARowIndex, bool AExpanded, bool ARecursive);
  void FullExpand();
  bool IsGrouped() const { return FGroups->Count() > 0; }

  // Record list: the records that pass the filter, in sort order.
  Integer GetRecordListCount() const { return static_cast<Integer>(FRecordList.size()); }
  Integer GetRecordListItem(Integer AIndex) const { return FRecordList[static_cast<size_t>(AIndex)]; }
  Integer IndexOfRecord(Integer ARecordIndex) const;

  // Comparison support for sorting, grouping and locating passes.
  void PrepareComparisonModes();
  void ResetComparisonModes();
  Integer CompareGroupingValues(Integer ARecordIndex1, Integer ARecordIndex2, Integer ALevel);

  // Focus.
  void ChangeFocusedRowIndex(Integer ARowIndex, bool AForce);
  void FocusRow(Integer ARowIndex);
  Integer GetFocusedRowIndex() const { return FCurrent.RowIndex; }
  Integer GetFocusedRecordIndex() const;
  Integer GetPrevFocusedRowIndex() const { return FPrevious.RowIndex; }
  Integer GetPrevFocusedRecordIndex() const { return FPrevious.PriorRecordIndex; }
  bool IsPrevFocusChanged() const { return FPrevious.Changed; }
  // The controller's dispatch takes the current focus as the previous one.
  void SavePrevFocus() { FPrevious.AssignFrom(FCurrent); }
  // A source that moved by itself names the data record it now stands on; the focus goes to
  // that record's row (made visible) when the rows are next brought up to date.
  void FocusRecordOfSource(Integer ARecordIndex);

  // Selection.
  TcxDataSelection* Selection() const { return FSelection.get(); }
  // The selection is of the controller's class, known once the controller is complete.
  void CreateSelection(TClass ASelectionClass);
  void ChangeRowSelection(Integer ARowIndex, bool ASelect);
  void ClearSelection();
  void ClearSelectionAnchor() { FSelection->ClearAnchor(); }
  Integer GetSelectedCount() const { return FSelection->Count(); }
  Integer GetSelectedRowIndex(Integer AIndex) const { return FSelection->Items(AIndex).RowIndex; }
  bool IsRowSelected(Integer ARowIndex) const;
  void CheckSelection();
  void SelectionChanged();
  // A record was inserted (ADelta 1) or deleted (ADelta -1) at ARecordIndex.
  void RecordIndexesShifted(Integer ARecordIndex, Integer ADelta);

private:
  struct FocusingInfo {
    Integer RowIndex = -1;
    Integer RecordIndex = -1;
    Integer Level = -1;
    Integer PriorRecordIndex = -1;
    bool Changed = false;
    void AssignFrom(const FocusingInfo& A) {
      RowIndex = A.RowIndex;
      RecordIndex = A.RecordIndex;
      Level = A.Level;
      PriorRecordIndex = A.PriorRecordIndex;
      Changed = false;
    }
    void Clear() { RowIndex = RecordIndex = Level = -1; }
  };
  // What a rebuild keeps of the expansion and the selection, by grouping values and
  // records rather than by rows, which the rebuild renumbers.
  struct RememberedGroup {
    std::vector<Variant> Path;  // grouping values from level 0 down to the group's level
    bool Expanded = false;
    bool Selected = false;
  };
  struct Memory {
    bool Active = false;
    bool Selection = false;
    std::vector<TcxCustomDataField*> Fields;
    std::vector<RememberedGroup> Groups;
    std::vector<TcxDataSelectionInfo> DataRows;
    Integer AnchorRecord = -1;
  };

  void Update();
  // Hands the collected change bits to the controller and clears them.
  void reportChanges();
  void filterRecords();
  void sortRecords();
  void buildGroups();
  Integer compareRecords(Integer R1, Integer R2);
  void deriveGroupingOrders();
  void updatePositions();
  void sortingListChanged() { FChanges |= ciSorting; }
  void groupingListChanged() { FChanges |= ciGrouping | ciSorting | ciSummary; }
  bool focusEqual() const;
  void resyncFocus();
  Integer rowOfFocusedRecord();
  Integer rowOfFocusedRecordAfterCollapse() const;
  Integer dataRowOfPosition(Integer AGroup, Integer APosition) const;
  std::vector<Variant> groupPath(Integer AItemIndex);
  void remember(Word AWork);
  void restore();
  void recomputeSelectionRows();

  TcxCustomDataController* FDataController;
  std::vector<Integer> FRecordList;
  std::vector<Integer> FPositions;  // record index -> position in FRecordList, -1 when absent
  std::vector<TcxDataSortInfo> FSortingFields;
  std::vector<TcxDataSortInfo> FGroupingFields;
  std::vector<TcxDataSortInfo> FTotalSortingFields;
  std::unique_ptr<TcxDataGroups, TObjectDeleter> FGroups;
  std::unique_ptr<TcxDataSelection, TObjectDeleter> FSelection;
  Memory FMemory;
  Integer FLockCount = 0;
  Word FChanges = 0;
  FocusingInfo FCurrent;
  FocusingInfo FPrevious;
  bool FFocusing = false;
  bool FExpanding = false;
};

// The controller's grouping facade, published to views as its Groups.
class TcxDataControllerGroups : public TObject {
  RTL_DECLARE_CLASS(TcxDataControllerGroups, TObject)
public:
  using TConstructorArg = TcxCustomDataController*;
  explicit TcxDataControllerGroups(TcxCustomDataController* ADataController) : FDataController(ADataController) {}

  void ChangeExpanding(Integer ARowIndex, bool AExpanded, bool ARecursive);
  void FullExpand();
  void ChangeGroupIndex(Integer AItemIndex, Integer AGroupIndex);
  Integer GetGroupingItemCount();
  Integer GetGroupingItemIndex(Integer ALevel);
  Integer GetItemGroupIndex(Integer AItemIndex);
  Integer GetChildCount(Integer ADataGroupIndex);
  Integer GetChildDataGroupIndex(Integer ADataGroupIndex, Integer AChildIndex);
  Integer GetChildRecordIndex(Integer ADataGroupIndex, Integer AChildIndex);
  Integer GetDataGroupIndexByRowIndex(Integer ARowIndex);
  Integer GetLevelByDataGroupIndex(Integer ADataGroupIndex);
  void LoadRecordIndexes(std::vector<Integer>& AList, Integer ADataGroupIndex);
  void LoadRecordIndexesByRowIndex(std::vector<Integer>& AList, Integer ARowIndex);

private:
  TcxDataGroups* groups() const;
  TcxCustomDataController* FDataController;
};

// The controller's filter, in the form the row list needs: conditions on the controller's
// items (their item links), evaluated on each record while the filter is active.
class TcxDataFilterCriteriaItem : public TcxFilterCriteriaItem {
  RTL_DECLARE_CLASS(TcxDataFilterCriteriaItem, TcxFilterCriteriaItem)
public:
  using TcxFilterCriteriaItem::TcxFilterCriteriaItem;
  Variant GetDataValue(Integer ARecordIndex) override;
  TcxCustomDataField* Field();
};

class TcxDataFilterCriteria : public TcxFilterCriteria {
  RTL_DECLARE_CLASS(TcxDataFilterCriteria, TcxFilterCriteria)
public:
  using TConstructorArg = TcxCustomDataController*;
  explicit TcxDataFilterCriteria(TcxCustomDataController* ADataController);
  TcxCustomDataController* DataController() const { return FDataController; }
  bool Active() const { return FActive; }
  void SetActive(bool AValue);
  bool IsFiltering() { return FActive && !IsEmpty(); }

protected:
  TClass GetItemClass() override;
  void DoChanged() override;

private:
  TcxCustomDataController* FDataController;
  bool FActive = false;
};

// ---------------------------------------------------------------------------------------
// The data controller.
class TcxCustomDataController : public TPersistent, public IInterface {
  RTL_DECLARE_CLASS(TcxCustomDataController, TPersistent)
public:
  using TConstructorArg = TComponent*;
  explicit TcxCustomDataController(TComponent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;
  ~TcxCustomDataController() override;
  TcxCustomDataController(const TcxCustomDataController&) = delete;
  TcxCustomDataController& operator=(const TcxCustomDataController&) = delete;

  // Not reference counted: the controller lives until its view frees it.
  RTL_IINTERFACE_METHODS

  void Assign(TPersistent* ASource) override;
  TPersistent* GetOwner() override { return FOwner; }
  TComponent* Owner() const { return FOwner; }

  // --- Items.
  virtual TcxCustomDataField* AddInternalField();
  virtual TcxCustomDataField* CreateField();
  virtual TClass GetFieldClass();
  virtual TClass GetDataProviderClass();
  virtual TObject* GetItem(Integer AItemIndex) = 0;
  virtual Integer GetItemCount();
  virtual Integer GetItemID(TObject* AItem) { return -1; }
  virtual TObject* GetItemByID(Integer AID);
  virtual TObject* FindItemByItemID(TObject* AItem);
  virtual void AddItem(TObject* AItem);
  virtual void RemoveItem(TObject* AItem);
  virtual void UpdateItemIndexes();
  virtual TcxValueTypeClass GetItemValueTypeClass(Integer AItemIndex);
  virtual void SetItemValueTypeClass(Integer AItemIndex, TcxValueTypeClass AValue);
  virtual bool GetItemTextStored(Integer AItemIndex);
  virtual void SetItemTextStored(Integer AItemIndex, bool AValue);
  virtual bool GetItemCompareByValue(Integer AItemIndex);
  virtual void SetItemCompareByValue(Integer AItemIndex, bool AValue);
  virtual void DoValueTypeClassChanged(Integer AItemIndex) {}
  virtual void FieldRemoved(TcxCustomDataField* AField);
  virtual void RemoveNotification(TComponent* AComponent);
  virtual void UpdateField(TcxCustomDataField* AField) {}
  virtual void UpdateFields();
  virtual bool IsProviderField(TcxCustomDataField* AField);
  virtual void GetItemDisplayName(Integer AItemIndex, std::string& S) { S.clear(); }
  virtual void GetFilterFieldName(TObject* AItem, std::string& S);
  virtual void GetItemValueForFilter(Integer ARecordIndex, TcxCustomDataField* AField, Variant& V) {
    GetFieldValue(ARecordIndex, AField, V);
  }
  virtual void GetSearchDisplayText(Integer ARecordIndex, Integer AItemIndex, std::string& S) {
    GetDisplayText(ARecordIndex, AItemIndex, S);
  }
  virtual void GetFilterDisplayText(Integer ARecordIndex, Integer AItemIndex, std::string& S) {
    GetDisplayText(ARecordIndex, AItemIndex, S);
  }
  virtual TcxDataEditValueSource CanInitEditingItem(Integer AItemIndex) { return TcxDataEditValueSource::Text; }
  // The view puts the focus on the item's editor and answers whether it did; nothing here.
  virtual bool FocusItemControl(Integer AItemIndex) { return false; }
  virtual bool GetItemSortByDisplayText(Integer AItemIndex, bool ASortByDisplayText) { return false; }
  TcxCustomDataFieldList* Fields() const { return FFields.get(); }
  TcxDataStorage* DataStorage() const { return FDataStorage.get(); }
  TcxCustomDataProvider* Provider() const { return FProvider.get(); }
  TcxCustomDataControllerInfo* DataControllerInfo() const { return FDataControllerInfo.get(); }
  TcxDataControllerNotifier* Notifier() const { return FNotifier.get(); }
  // The field of an item (range-checked).
  TcxCustomDataField* ItemField(Integer AItemIndex);

  // --- Records and values.
  virtual Integer GetRecordCount();
  virtual void SetRecordCount(Integer ACount);
  virtual Integer AppendRecord();
  virtual Integer InsertRecord(Integer ARecordIndex);
  virtual void DeleteRecord(Integer ARecordIndex);
  virtual void GetValue(Integer ARecordIndex, Integer AItemIndex, Variant& V);
  Variant Values(Integer ARecordIndex, Integer AItemIndex);
  virtual void SetValue(Integer ARecordIndex, Integer AItemIndex, const Variant& V);
  virtual void GetDisplayText(Integer ARecordIndex, Integer AItemIndex, std::string& S);
  std::string DisplayTexts(Integer ARecordIndex, Integer AItemIndex);
  virtual void SetDisplayText(Integer ARecordIndex, Integer AItemIndex, const std::string& S);
  virtual void GetFieldValue(Integer ARecordIndex, TcxCustomDataField* AField, Variant& V);
  virtual void GetFieldDisplayText(Integer ARecordIndex, TcxCustomDataField* AField, std::string& S);
  virtual void GetKeyValue(Integer ARecordIndex, const std::vector<TcxCustomDataField*>& AFields, Variant& V);
  virtual void CopyRecordValues(Integer ASourceRecordIndex, Integer ADestRecordIndex);
  virtual void DoRecordInserted(Integer ARecordIndex) {}
  virtual void DoRecordDeleted(Integer ARecordIndex);
  virtual void CheckEditingRecordIndex(Integer ARecordIndex);
  virtual void DoReadRecord(Integer ARecordIndex);
  virtual void BeginReadRecords();
  virtual void EndReadRecords();
  virtual Integer AppendRecordFromReader(TcxValueDefReader* AReader);
  virtual void LoadData();
  virtual void DataLoaded() { DoDataLoaded(); }
  virtual void DoDataLoaded() {}
  virtual void RebuildStructure();
  virtual void UpdateStructure();
  virtual bool IsStructureUpdateNeeded() { return FStructureRebuilt; }
  virtual void ActiveChanged(bool AActive);
  virtual void InternalRecordsCleared(TObject* Sender);
  virtual Integer GetNewItemRecordIndex();
  // Raises "RecordIndex out of range" unless the record exists or is the new-item row's.
  void CheckRecordIndex(Integer ARecordIndex);
  void CheckItemIndex(Integer AItemIndex);

  // --- Rows, focus and navigation.
  Integer GetRowCount() { return FDataControllerInfo->GetRowCount(); }
  TcxRowInfo GetRowInfo(Integer ARowIndex) { return FDataControllerInfo->GetRowInfo(ARowIndex); }
  Integer GetRowIndexByRecordIndex(Integer ARecordIndex, bool AMakeVisible);
  void GetRowValue(Integer ARowIndex, Integer AItemIndex, Variant& V);
  void GetRowDisplayText(Integer ARowIndex, Integer AItemIndex, std::string& S);
  // Calls AProc for every selected row (in selection order) or for every row.
  using TcxEachRowProc = std::function<void(void* AUserData, Integer ARowIndex, const TcxRowInfo& ARowInfo)>;
  virtual void ForEachRow(bool ASelectedOnly, const TcxEachRowProc& AProc, void* AUserData);
  // The records that pass the filter, in row order.
  Integer GetFilteredRecordCount() { return FDataControllerInfo->GetRecordListCount(); }
  Integer GetFilteredRecordIndex(Integer AIndex) { return FDataControllerInfo->GetRecordListItem(AIndex); }
  // -1 when the record is filtered out.
  Integer GetFilteredIndexByRecordIndex(Integer ARecordIndex) { return FDataControllerInfo->IndexOfRecord(ARecordIndex); }
  Integer GetFocusedRowIndex() { return FDataControllerInfo->GetFocusedRowIndex(); }
  Integer GetFocusedRecordIndex() { return FDataControllerInfo->GetFocusedRecordIndex(); }
  void ChangeFocusedRecordIndex(Integer ARecordIndex);
  bool ChangeFocusedRowIndex(Integer ARowIndex);
  void SetFocusedRowIndex(Integer ARowIndex) { ChangeFocusedRowIndex(ARowIndex); }
  bool IsGridMode() { return FProvider->IsGridMode(); }
  void GotoFirst();
  void GotoPrev();
  void GotoNext();
  void GotoLast();
  void MoveBy(Integer ADistance);
  void Scroll(Integer ADistance);
  bool IsBOF();
  bool IsEOF();
  virtual Integer GetActiveRecordIndex() { return GetFocusedRecordIndex(); }
  virtual Integer GetSyncFocusedRecordIndex();
  virtual bool FocusRecordInSource(Integer ARecordIndex);
  virtual bool CanLeaveFocusedRecord() { return true; }
  virtual void DoBeforeFocusedRowChange(Integer ARowIndex) {}
  virtual void EnsureBrowseMode() {}
  virtual void RefreshRowList();
  virtual void CancelAndRefresh();
  virtual void Refresh();
  virtual void LayoutChanged() { RefreshRowList(); }
  void ResetNewItemRowFocus();

  // --- Selection: in single-selection mode the focused row while FocusedRowSelected,
  // otherwise the row list's selection.
  virtual bool IsSingleSelection() { return !FMultiSelect; }
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool AValue);
  Integer GetSelectedCount();
  Integer GetSelectedRowIndex(Integer AIndex);
  bool IsRowSelected(Integer ARowIndex);
  bool FocusedRowSelected() const { return FFocusedRowSelected; }
  void SetFocusedRowSelected(bool AValue);
  virtual bool CanSelectRecord(Integer ARecordIndex) { return true; }
  virtual TClass GetDataSelectionClass();
  TcxDataSelection* GetSelection() { return FDataControllerInfo->Selection(); }
  void ChangeRowSelection(Integer ARowIndex, bool ASelect);
  void SelectRows(Integer AStartRowIndex, Integer AEndRowIndex);
  void SelectAll();
  void SelectFromAnchor(Integer ARowIndex, bool AKeepSelection);
  void SetSelectionAnchor(Integer ARowIndex);
  Integer GetSelectionAnchorRowIndex() { return GetSelection()->SelectionAnchor(); }
  bool IsSelectionAnchorAssigned() { return GetSelectionAnchorRowIndex() != -1; }
  void SyncSelectionFocusedRow();
  void ClearSelection();
  virtual void UpdateSelectionMemory() {}

  // --- Sorting, grouping and filtering (the row list keeps the lists).
  void ChangeSortIndex(Integer AItemIndex, Integer ASortIndex);
  void ChangeSortOrder(Integer AItemIndex, TcxDataSortOrder AOrder);
  void ClearSorting(bool AKeepGroupedItems);
  TcxDataSortOrder GetItemSortOrder(Integer AItemIndex);
  Integer GetItemSortIndex(Integer AItemIndex);
  TcxDataControllerGroups* Groups() const { return FGroups.get(); }
  TcxDataFilterCriteria* Filter() const { return FFilter.get(); }
  virtual TClass GetFilterCriteriaClass();
  virtual void CheckGridModeGrouping() {}
  virtual bool IsIncrementalFilterActive() { return false; }
  virtual bool DoIncrementalFilterRecord(Integer ARecordIndex) { return true; }
  virtual bool HasKeyFields() { return false; }
  // The summaries; setting copies into the owned object.
  TcxDataSummary* Summary() const { return FSummary.get(); }
  void SetSummary(TcxDataSummary* AValue);
  virtual TClass GetSummaryClass();
  virtual TClass GetSummaryItemClass();
  virtual TClass GetSummaryGroupItemLinkClass();
  // Marks for the next row-list report.
  void MarkSortingChanged() { FSortingChanged = true; }
  void MarkGroupingChanged() { FGroupingChanged = true; }
  void RequestFocusTopRow() { FFocusTopRowRequested = true; }

  // --- Bookmark.
  void SaveBookmark();
  void ClearBookmark();
  void GotoBookmark();
  virtual bool IsBookmarkAvailable() { return FBookmarkRecordIndex != -1; }
  virtual bool IsBookmarkRow(Integer ARowIndex);
  virtual bool IsBookmarkLost(Integer ARecordIndex);
  virtual void CheckBookmarkValid(Integer ARecordIndex);
  virtual void DoClearBookmark() { FBookmarkRecordIndex = -1; }
  virtual void DoGotoBookmark() { ChangeFocusedRecordIndex(FBookmarkRecordIndex); }
  virtual bool DoSaveBookmark();
  Integer BookmarkRecordIndex() const { return FBookmarkRecordIndex; }

  // --- Editing (through the provider).
  virtual void Append();
  virtual void Insert();
  virtual void Edit();
  virtual bool EditItem(Integer AItemIndex);
  virtual void Post();
  virtual void Cancel();
  virtual void DeleteFocused();
  virtual void DeleteSelection();
  virtual void UpdateData() { FProvider->UpdateData(); }
  virtual void UpdateEditorValue() {}
  virtual void GetEditValue(Integer AItemIndex, TcxDataEditValueSource AEditValueSource, Variant& V);
  virtual bool SetEditValue(Integer AItemIndex, const Variant& V, TcxDataEditValueSource AEditValueSource);
  virtual Integer GetEditingRecordIndex();
  virtual Integer GetRecordIndexForEditing();
  TcxDataEditState GetEditState();
  TcxDataEditOperations GetEditOperations();
  bool IsEditing();
  bool NewItemRowEnabled() const { return FNewItemRowEnabled; }
  void SetNewItemRowEnabled(bool AValue);
  bool NewItemRowFocused() const { return FNewItemRowFocused; }
  void SetNewItemRowFocused(bool AValue);
  bool IsNewItemRowFocused();
  // The new-item row's internal record, or 0 while none is allocated.
  Integer NewItemRecordIndex() const { return FNewItemRecordIndex; }
  bool IsNewItemRecord(Integer ARecordIndex) const { return ARecordIndex < 0 && ARecordIndex == FNewItemRecordIndex; }
  void GetGroupingValues(Integer ARecordIndex, std::vector<Variant>& AValues);

  // --- Record comparison.
  virtual Integer CompareByField(Integer ARecordIndex1, Integer ARecordIndex2, TcxCustomDataField* AField);
  virtual Integer CompareEqualRecords(Integer ARecordIndex1, Integer ARecordIndex2) {
    return ARecordIndex1 < ARecordIndex2 ? -1 : (ARecordIndex1 > ARecordIndex2 ? 1 : 0);
  }
  virtual Integer CompareRecordsByItem(Integer ARecordIndex1, Integer ARecordIndex2, const TcxDataSortInfo& ASortInfo);
  virtual void GetComparedValue(Integer ARecordIndex, TcxCustomDataField* AField, Variant& V);
  virtual bool IsConversionNeeded(TcxCustomDataField* AField);
  virtual bool IsItemTextCompared(Integer AItemIndex);
  virtual bool IsStringConversionNeeded(TcxCustomDataField* AField);
  virtual bool IsSortByDisplayTextNeeded(TcxCustomDataField* AField);
  Integer CompareStoredFieldValues(Integer ARecordIndex1, Integer ARecordIndex2, TcxCustomDataField* AField);
  // The comparison of two texts under dcoAnsiSort and dcoCaseInsensitive.
  Integer CompareTexts(const std::string& A, const std::string& B);

  // --- Change notifications and update locking.
  void BeginUpdate();
  void EndUpdate();
  virtual void DoBeginUpdate() { BeginUpdate(); }
  virtual void DoEndUpdate() { EndUpdate(); }
  bool IsUpdateLocked() const { return FDataControllerInfo->LockCount() != 0; }
  void Change(TcxDataControllerChanges AChanges);
  void CheckChanges();
  virtual void DataChanged(TcxDataChangeKind AKind, Integer AItemIndex, Integer ARecordIndex);
  virtual void DoDataChanged();
  virtual void UpdateControl(TcxUpdateControlInfo* AInfo);
  void AddDataChangedListener(const TNotifyEvent& AEvent);
  void RemoveDataChangedListener(const TNotifyEvent& AEvent);
  void LockDataChangedNotify() { ++FDataChangedListenerLockCount; }
  void UnlockDataChangedNotify() { --FDataChangedListenerLockCount; }
  bool IsDataChangedNotifyLocked() const { return FDataChangedListenerLockCount != 0; }
  void AddListenerLink(TcxDataListenerLink* ALink);
  void RemoveListenerLink(TcxDataListenerLink* ALink);
  virtual void Loaded();
  bool IsLoading();
  bool IsDestroying();
  bool IsReading();
  TcxDataControllerChanges PendingChanges() const { return FChanges; }
  // A structure change waits for the outermost update bracket to close.
  bool StructureChangePending() const { return FStructureChangePending; }

  // --- Options and events.
  TcxDataControllerOptions Options() const { return FOptions; }
  void SetOptions(const TcxDataControllerOptions& AValue);
  bool LoadedFlag() const { return FLoaded; }
  // Whether the controller's source is active (always, for a controller of its own records).
  bool Active() const { return FActive; }

  virtual void DoAfterCancel();
  virtual void DoAfterDelete();
  virtual void DoAfterInsert();
  virtual void DoAfterPost();
  virtual void DoBeforeCancel();
  virtual void DoBeforeDelete(Integer ARecordIndex);
  virtual void DoBeforeInsert();
  virtual void DoBeforePost();
  virtual void DoNewRecord(Integer ARecordIndex);

  TcxDataControllerNotifyEvent AfterCancel, AfterDelete, AfterInsert, AfterPost, BeforeCancel, BeforeInsert,
      BeforePost;
  TcxDataControllerRecordEvent BeforeDelete, OnNewRecord;
  TcxDataControllerCompareEvent OnCompare;
  TNotifyEvent OnDataChanged;
  TNotifyEvent OnGroupingChanged;
  TcxDataRecordChangedEvent OnRecordChanged;
  TNotifyEvent OnSortingChanged;
  TcxUpdateControlEvent OnUpdateControl;

protected:
  friend class TcxCustomDataProvider;
  friend class TcxCustomDataControllerInfo;
  friend class TcxCustomDataFieldList;

  void dispatchChanges();
  void notifyDataChanged();
  void sendInfo(TcxUpdateControlInfo* AInfo);
  void checkStructure(bool ALoad);
  void doUpdateStructure(bool ALoad);

  TComponent* FOwner;
  TcxDataControllerOptions FOptions{dcoAssignGroupingValues, dcoAssignMasterDetailKeys, dcoSaveExpanding};
  std::vector<TNotifyEvent> FDataChangedListeners;
  Integer FDataChangedListenerLockCount = 0;
  std::unique_ptr<TcxDataStorage, TObjectDeleter> FDataStorage;
  std::unique_ptr<TcxCustomDataFieldList, TObjectDeleter> FFields;
  std::unique_ptr<TcxCustomDataProvider, TObjectDeleter> FProvider;
  std::unique_ptr<TcxCustomDataControllerInfo, TObjectDeleter> FDataControllerInfo;
  std::unique_ptr<TcxDataControllerNotifier, TObjectDeleter> FNotifier;
  std::unique_ptr<TcxDataControllerGroups, TObjectDeleter> FGroups;
  std::unique_ptr<TcxDataFilterCriteria, TObjectDeleter> FFilter;
  std::unique_ptr<TcxDataSummary, TObjectDeleter> FSummary;
  std::vector<TcxDataListenerLink*> FListenerLinks;
  bool FMultiSelect = false;
  bool FSortingChanged = false;
  bool FGroupingChanged = false;
  bool FFocusTopRowRequested = false;

  bool FFocusedRowSelected = true;
  bool FNewItemRowEnabled = false;
  bool FNewItemRowFocused = false;
  bool FNewItemRowFocusingChanged = false;
  Integer FNewItemRecordIndex = 0;
  Integer FBookmarkRecordIndex = -1;

  TcxDataControllerChanges FChanges = 0;
  TcxDataChangeKind FDataChangedKind = dcAll;
  Integer FDataChangedItemIndex = -1;
  Integer FDataChangedRecordIndex = -1;
  bool FDataChangedDeferred = false;
  bool FInSortingChangedEvent = false;
  bool FStructureChangePending = false;
  bool FInCheckStructure = false;
  bool FStructureRebuilt = false;
  bool FLoaded = false;
  bool FDestroying = false;
  bool FActive = false;
  Integer FPrevSelectedCount = 0;
  Integer FPrevSelectedRowIndex = -1;
};

// ---------------------------------------------------------------------------------------
// The controller of records that live in its own storage (views filled by code, the lookup
// grid): active from its construction, so its fields and records are usable at once. The
// view still supplies its items (GetItem).
class TcxDataController : public TcxCustomDataController {
  RTL_DECLARE_CLASS(TcxDataController, TcxCustomDataController)
public:
  explicit TcxDataController(TComponent* AOwner) : TcxCustomDataController(AOwner) {}
  void AfterConstruction() override;
};

// ---------------------------------------------------------------------------------------
// Summaries: the footer summaries (one value per footer item over all records of the record
// list) and the group summaries (one value per item of a grouping level for every group of
// that level), with their texts. The values are recalculated by the row list's rebuild when
// they were marked for it; between rebuilds they stay as the last rebuild left them.

class TcxDataSummary;
class TcxDataSummaryItem;
class TcxDataSummaryItems;
class TcxDataSummaryGroup;

RTL_ENUM(TcxSummaryKind, skNone, skSum, skMin, skMax, skCount, skAverage)
RTL_ENUM(TcxSummaryPosition, spGroup, spFooter)
RTL_ENUM(TcxSummaryOption, soNullIgnore, soSelectedRecords)
using TcxSummaryOptions = Set<TcxSummaryOption>;

// Running values and counts, one element per summary item.
using TcxDataSummaryValues = std::vector<Variant>;
using TcxDataSummaryCountValues = std::vector<Integer>;

struct TcxSummaryEventArguments {
  Integer RecordIndex = -1;
  TcxDataSummaryItem* SummaryItem = nullptr;
};

// Value is the record's value (the handler may replace it); SummaryValue and CountValue the
// running ones. A handler that did the work itself sets Done.
struct TcxSummaryEventOutArguments {
  Variant Value;
  Variant SummaryValue;
  Integer CountValue = 0;
  bool Done = false;
};

using TcxSummaryEvent = TEvent<void(TcxDataSummaryItems* ASender, const TcxSummaryEventArguments& Arguments,
                                    TcxSummaryEventOutArguments& OutArguments)>;
using TcxDataSummaryItemGetTextEvent =
    TEvent<void(TcxDataSummaryItem* Sender, const Variant& AValue, bool AIsFooter, std::string& AText)>;
using TcxAfterSummaryEvent = TEvent<void(TcxDataSummary* ASender)>;

// A collection item bound to one data field of the controller; its item link is the view
// item of that field.
class TcxCustomDataSummaryItem : public TCollectionItem {
  RTL_DECLARE_CLASS(TcxCustomDataSummaryItem, TCollectionItem)
public:
  using TCollectionItem::TCollectionItem;

  virtual TcxCustomDataController* GetDataController() = 0;
  // Called inside the collection's update bracket before the item is bound to AField.
  virtual void BeforeItemLinkChange(TcxCustomDataField* AField) {}

  TcxCustomDataController* DataController() { return GetDataController(); }
  TcxCustomDataField* Field() const { return FField; }
  TObject* ItemLink() const { return FField ? FField->Item() : nullptr; }
  // Binds the item to the field of AItemLink (none when the controller has no such item).
  void SetItemLink(TObject* AItemLink);

protected:
  friend class TcxDataSummary;
  // Binds without telling anybody (used when a field goes away).
  void setField(TcxCustomDataField* AField) { FField = AField; }
  // The controller's field of an item of a controller, or null.
  TcxCustomDataField* fieldOfItem(TObject* AItemLink);
  // The item of this controller that stands for ASource's item.
  TObject* mappedItemLink(TcxCustomDataSummaryItem* ASource);

private:
  TcxCustomDataField* FField = nullptr;
};

class TcxDataSummaryItem : public TcxCustomDataSummaryItem {
  RTL_DECLARE_CLASS(TcxDataSummaryItem, TcxCustomDataSummaryItem)
public:
  using TcxCustomDataSummaryItem::TcxCustomDataSummaryItem;
  void Assign(TPersistent* Source) override;

  TcxCustomDataController* GetDataController() override;
  virtual bool NeedStorePosition();
  // The field whose values the item summarises.
  virtual TcxCustomDataField* GetDataField() { return Field(); }
  // The value's text for the footer (AIsFooter) or a group row.
  virtual std::string FormatValue(const Variant& AValue, bool AIsFooter);

  TcxDataSummaryItems* SummaryItems() const;
  const std::string& Format() const { return FFormat; }
  void SetFormat(const std::string& Value);
  TcxSummaryKind Kind() const { return FKind; }
  void SetKind(TcxSummaryKind Value);
  // The collection decides: footer items are always spFooter.
  TcxSummaryPosition Position() const;
  void SetPosition(TcxSummaryPosition Value);
  bool IsPositionStored() { return NeedStorePosition(); }
  TcxSummaryPosition StoredPosition() const { return FPosition; }
  const TcxDataSummaryItemGetTextEvent& OnGetText() const { return FOnGetText; }
  void SetOnGetText(const TcxDataSummaryItemGetTextEvent& Value) { FOnGetText = Value; }

private:
  std::string FFormat;
  TcxSummaryKind FKind = skNone;
  TcxSummaryPosition FPosition = spGroup;
  TcxDataSummaryItemGetTextEvent FOnGetText;
};

class TcxDataSummaryItems : public TCollection {
  RTL_DECLARE_CLASS(TcxDataSummaryItems, TCollection)
public:
  TcxDataSummaryItems(TcxDataSummary* ASummary, TClass AItemClass);
  TPersistent* GetOwner() override;

  virtual TcxSummaryPosition GetItemPosition(const TcxDataSummaryItem* AItem) const;
  virtual bool IsItemPositionStored(const TcxDataSummaryItem* AItem) const;
  virtual void CopyEventHandlers(TcxDataSummaryItems* ASource) { FOnSummary = ASource->FOnSummary; }
  // The pattern used when an item has no Format: by the value's type, the kind and the
  // place (footer or group row); empty for skNone.
  virtual std::string GetDefaultFormat(TVarType AValueType, TcxSummaryKind AKind, bool AIsFooter);
  // The text of a group row's values; empty here.
  virtual std::string FormatGroupText(const Variant& AValues) { return std::string(); }
  void Assign(TPersistent* Source) override;

  TcxDataSummary* Summary() const { return FSummary; }
  TcxDataSummaryItem* Items(Integer AIndex) const { return As<TcxDataSummaryItem>(TCollection::Items(AIndex)); }
  TcxDataSummaryItem* Add() { return As<TcxDataSummaryItem>(TCollection::Add()); }
  Integer IndexOfItemLink(TObject* AItemLink) const;
  const TcxSummaryEvent& OnSummary() const { return FOnSummary; }
  void SetOnSummary(const TcxSummaryEvent& Value) { FOnSummary = Value; }

protected:
  // A change of one item touches the texts only; a change of the collection (items added,
  // deleted or rebound, a kind changed) needs a recalculation.
  void Update(TCollectionItem* Item) override;

private:
  TcxDataSummary* FSummary;
  TcxSummaryEvent FOnSummary;
};

class TcxDataFooterSummaryItems : public TcxDataSummaryItems {
  RTL_DECLARE_CLASS(TcxDataFooterSummaryItems, TcxDataSummaryItems)
public:
  using TcxDataSummaryItems::TcxDataSummaryItems;
  TcxSummaryPosition GetItemPosition(const TcxDataSummaryItem*) const override { return spFooter; }
  bool IsItemPositionStored(const TcxDataSummaryItem*) const override { return false; }
};

class TcxDataGroupSummaryItems : public TcxDataSummaryItems {
  RTL_DECLARE_CLASS(TcxDataGroupSummaryItems, TcxDataSummaryItems)
public:
  // AOwner: the summary group, or the summary itself for the default group items.
  TcxDataGroupSummaryItems(TcxDataSummary* ASummary, TClass AItemClass, TPersistent* AOwner)
      : TcxDataSummaryItems(ASummary, AItemClass), FOwner(AOwner) {}
  TPersistent* GetOwner() override { return FOwner; }
  void Assign(TPersistent* Source) override;
  std::string FormatGroupText(const Variant& AValues) override;

  const std::string& BeginText() const { return FBeginText; }
  void SetBeginText(const std::string& Value);
  bool IsBeginTextStored() const { return FBeginText != "("; }
  const std::string& EndText() const { return FEndText; }
  void SetEndText(const std::string& Value);
  bool IsEndTextStored() const { return FEndText != ")"; }
  const std::string& Separator() const { return FSeparator; }
  void SetSeparator(const std::string& Value);
  bool IsSeparatorStored() const { return FSeparator != ","; }

private:
  TPersistent* FOwner;
  std::string FBeginText = "(";
  std::string FEndText = ")";
  std::string FSeparator = ",";
};

// Links a grouping item to a summary group: while the view is grouped by that item, the
// group's summary items serve the groups of its level.
class TcxDataSummaryGroupItemLink : public TcxCustomDataSummaryItem {
  RTL_DECLARE_CLASS(TcxDataSummaryGroupItemLink, TcxCustomDataSummaryItem)
public:
  using TcxCustomDataSummaryItem::TcxCustomDataSummaryItem;
  void Assign(TPersistent* Source) override;
  TcxCustomDataController* GetDataController() override;
  // An item is linked to at most one summary group: every other link to the field goes.
  void BeforeItemLinkChange(TcxCustomDataField* AField) override;
  TcxDataSummaryGroup* SummaryGroup() const;
};

class TcxDataSummaryGroupItemLinks : public TCollection {
  RTL_DECLARE_CLASS(TcxDataSummaryGroupItemLinks, TCollection)
public:
  TcxDataSummaryGroupItemLinks(TcxDataSummaryGroup* AGroup, TClass AItemClass)
      : TCollection(AItemClass), FSummaryGroup(AGroup) {}
  TPersistent* GetOwner() override;
  TcxDataSummaryGroup* SummaryGroup() const { return FSummaryGroup; }
  TcxDataSummaryGroupItemLink* Items(Integer AIndex) const {
    return As<TcxDataSummaryGroupItemLink>(TCollection::Items(AIndex));
  }
  TcxDataSummaryGroupItemLink* Add() { return As<TcxDataSummaryGroupItemLink>(TCollection::Add()); }
  Integer IndexOfItemLink(TObject* AItemLink) const;

protected:
  void Update(TCollectionItem* Item) override;

private:
  TcxDataSummaryGroup* FSummaryGroup;
};

class TcxDataSummaryGroups;

class TcxDataSummaryGroup : public TCollectionItem {
  RTL_DECLARE_CLASS(TcxDataSummaryGroup, TCollectionItem)
public:
  // The links and the summary items take their classes from the summary, so they are made
  // on first use, once the group is in the summary's collection.
  explicit TcxDataSummaryGroup(TCollection* ACollection) : TCollectionItem(ACollection) {}
  ~TcxDataSummaryGroup() override;
  void Assign(TPersistent* Source) override;

  TcxDataSummaryGroups* SummaryGroups() const;
  TcxDataSummary* Summary() const;
  TcxDataSummaryGroupItemLinks* Links();
  void SetLinks(TcxDataSummaryGroupItemLinks* Value) { Links()->Assign(Value); }
  TcxDataGroupSummaryItems* SummaryItems();
  void SetSummaryItems(TcxDataGroupSummaryItems* Value) { SummaryItems()->Assign(Value); }

private:
  void createParts();
  TObjectPtr<TcxDataSummaryGroupItemLinks> FLinks;
  TObjectPtr<TcxDataGroupSummaryItems> FSummaryItems;
};

class TcxDataSummaryGroups : public TCollection {
  RTL_DECLARE_CLASS(TcxDataSummaryGroups, TCollection)
public:
  explicit TcxDataSummaryGroups(TcxDataSummary* ASummary);
  TPersistent* GetOwner() override;
  TcxDataSummary* Summary() const { return FSummary; }
  TcxDataSummaryGroup* Items(Integer AIndex) const { return As<TcxDataSummaryGroup>(TCollection::Items(AIndex)); }
  TcxDataSummaryGroup* Add() { return As<TcxDataSummaryGroup>(TCollection::Add()); }
  // The summary group with a link to the item, or null.
  TcxDataSummaryGroup* FindByItemLink(TObject* AItemLink) const;

protected:
  void Update(TCollectionItem* Item) override;

private:
  TcxDataSummary* FSummary;
};

class TcxDataSummary : public TPersistent {
  RTL_DECLARE_CLASS(TcxDataSummary, TPersistent)
public:
  using TConstructorArg = TcxCustomDataController*;
  explicit TcxDataSummary(TcxCustomDataController* ADataController);
  void BeforeDestruction() override;
  ~TcxDataSummary() override;
  TcxDataSummary(const TcxDataSummary&) = delete;
  TcxDataSummary& operator=(const TcxDataSummary&) = delete;
  TPersistent* GetOwner() override;
  void Assign(TPersistent* Source) override;

  // Update bracket: also the controller's, so that the recalculation happens once.
  void BeginUpdate();
  void EndUpdate();
  void CancelUpdate();
  Integer LockCount() const { return FLockCount; }

  // ATextOnly: only the texts changed, the values stand.
  virtual void Changed(bool ATextOnly);
  virtual void CopyEventHandlers(TcxDataSummary* ASource) { FOnAfterSummary = ASource->FOnAfterSummary; }
  // Footer, then groups, then the after-summary event; nothing while a custom summary runs.
  virtual void Calculate();
  virtual void CalculateFooterSummary();
  virtual void CalculateGroupSummaries();
  // Unbinds every item and link bound to the field.
  void FieldRemoved(TcxCustomDataField* AField);
  // Fires the after-summary event the controller's loading held back.
  void FireDeferredAfterSummary();

  TcxCustomDataController* DataController() const { return FDataController; }
  TcxDataGroupSummaryItems* DefaultGroupSummaryItems() const { return FDefaultGroupSummaryItems.get(); }
  void SetDefaultGroupSummaryItems(TcxDataGroupSummaryItems* Value) { FDefaultGroupSummaryItems->Assign(Value); }
  TcxDataFooterSummaryItems* FooterSummaryItems() const { return FFooterSummaryItems.get(); }
  void SetFooterSummaryItems(TcxDataFooterSummaryItems* Value) { FFooterSummaryItems->Assign(Value); }
  TcxDataSummaryGroups* SummaryGroups() const { return FSummaryGroups.get(); }
  void SetSummaryGroups(TcxDataSummaryGroups* Value) { FSummaryGroups->Assign(Value); }
  TcxSummaryOptions Options() const { return FOptions; }
  void SetOptions(const TcxSummaryOptions& Value);
  const TcxAfterSummaryEvent& OnAfterSummary() const { return FOnAfterSummary; }
  void SetOnAfterSummary(const TcxAfterSummaryEvent& Value) { FOnAfterSummary = Value; }

  // One value per footer item, as the last calculation left them.
  const TcxDataSummaryValues& FooterValues() const { return FFooterValues; }
  // Null outside the values.
  Variant GetFooterSummaryValue(Integer AIndex) const;
  std::string GetFooterSummaryText(Integer AIndex);
  // The group items of a grouping level: those of the first summary group linked to the
  // level's grouping item, else the default ones; null outside the levels.
  TcxDataGroupSummaryItems* GetGroupSummaryItems(Integer ALevel);
  // The text after a group row's value (for a data row, its deepest group's).
  std::string GetGroupSummaryText(Integer ARowIndex);
  // The text of one item in the group footer of ALevel under the row; empty when none.
  std::string GetGroupFooterSummaryText(Integer ARowIndex, Integer ALevel, Integer AIndex);
  // The first footer-positioned group item of the level bound to the item, or -1.
  Integer IndexOfGroupFooterItem(Integer ALevel, TObject* AItemLink);
  // A group's values (a variant array, one element per item of its level); Empty for -1.
  Variant GetGroupSummaryValues(Integer ADataGroupIndex);

  // Whether AValues (a group's values) has an element AIndex.
  virtual bool IsValueIndexValid(const Variant& AValues, Integer AIndex) const;
  bool InAfterSummary() const { return FInAfterSummary; }
  // Set from the start of the summary's destruction.
  bool IsDestroying() const { return FDestroying; }
  // While set, the calculation is left to somebody else and nothing is computed.
  bool CustomSummary() const { return FCustomSummary; }
  void SetCustomSummary(bool AValue) { FCustomSummary = AValue; }

protected:
  virtual void InitSummaryValues(TcxDataSummaryItems* AItems, TcxDataSummaryValues& AValues,
                                 TcxDataSummaryCountValues& ACounts);
  // Adds the records of the record-list positions AFirst..ALast to every item.
  virtual void SummarizeRecords(Integer AFirst, Integer ALast, TcxDataSummaryItems* AItems,
                                TcxDataSummaryValues& AValues, TcxDataSummaryCountValues& ACounts);
  virtual void DoAfterSummary();
  virtual void FinishSummaryValue(TcxDataSummaryItem* AItem, Variant& AValue, Integer ACount);
  virtual void AddRecordToSummary(Integer ARecordIndex, TcxDataSummaryItem* AItem, Variant& AValue,
                                  Integer& ACount);
  virtual TcxDataSummaryValues FinishSummaryValues(TcxDataSummaryItems* AItems, TcxDataSummaryValues& AValues,
                                                   const TcxDataSummaryCountValues& ACounts);
  // The record of a record-list position; -1 for a record the options leave out.
  virtual Integer GetSummaryRecordIndex(Integer APosition);
  virtual TClass GetSummaryGroupItemLinkClass();
  virtual TClass GetSummaryItemClass();
  virtual void NotifySummaryChanged(bool ATextOnly);

private:
  // The group item index of the group of ALevel that holds the row, or -1.
  Integer groupOfRowAtLevel(Integer ARowIndex, Integer ALevel);

  TcxCustomDataController* FDataController;
  TObjectPtr<TcxDataGroupSummaryItems> FDefaultGroupSummaryItems;
  TObjectPtr<TcxDataFooterSummaryItems> FFooterSummaryItems;
  TObjectPtr<TcxDataSummaryGroups> FSummaryGroups;
  TcxSummaryOptions FOptions;
  TcxAfterSummaryEvent FOnAfterSummary;
  TcxDataSummaryValues FFooterValues;
  Integer FLockCount = 0;
  bool FDestroying = false;
  bool FInAfterSummary = false;
  bool FCustomSummary = false;
  bool FAfterSummaryDeferred = false;
};
