#pragma once
// The data controller's data-set services: the field utilities and adapter lists that the
// data-set bindings share, the data-set data controller with its provider, data link and
// fields, and the data-set variant of the editors' default-values provider.

#include <memory>
#include <string>
#include <vector>

#include "cx/data/cxCustomData.h"
#include "cx/editors/cxEdit.h"
#include "platform/data/DB.h"

// ---------------------------------------------------------------------------------------
// Field utilities. Field-name lists are ';'-separated names; blanks around a name are
// dropped and a trailing ';' adds no empty name.

bool cxIsMultipleFieldNames(const std::string& AFieldNames);
Integer cxGetFieldNamesCount(const std::string& AFieldNames);
void cxSplitFieldNames(const std::string& AFieldNames, TStrings* AFieldNameList);
// No field: Null; one: its value; several: a variant array 0..n-1 of their values. The
// data set is not consulted.
void cxGetFieldValues(TDataSet* ADataSet, const std::vector<TField*>& AFields, Variant& AValue);
// One field takes the value; several take the elements of the value array in order.
void cxSetFieldValues(TDataSet* ADataSet, const std::vector<TField*>& AFields, const Variant& AValue);
bool cxSameFieldName(const std::string& AName1, const std::string& AName2);
// A name that is not an identifier is enclosed in square brackets.
void cxBracketFieldName(std::string& AFieldName);
// The name a filter text uses for a field: its Origin (as it is) unless ignored or empty,
// else its bracketed field name; empty without a field.
void cxGetFieldFilterName(TField* AField, bool AIgnoreOrigin, std::string& AFieldName);
bool cxFieldCanModify(TField* AField, TcxDataEditValueSource AEditValueSource);
bool cxFieldNeedsDisplayText(TField* AField, bool AEditorNeedsText);
bool cxLookupKeyFieldsCanModify(TField* AField);
// The storage value type for a field's data type (the string type without a field).
TcxValueTypeClass cxGetValueTypeClassByField(TField* AField);

// ---------------------------------------------------------------------------------------
// Adapters: behaviour registered per data-set class, the most specific class winning.
class TcxDBAdapterItem : public TObject {
  RTL_DECLARE_CLASS(TcxDBAdapterItem, TObject)
public:
  using TConstructorArg = TClass;
  explicit TcxDBAdapterItem(TClass ADataSetClass) : FDataSetClass(ADataSetClass) {}
  TClass DataSetClass() const { return FDataSetClass; }

private:
  TClass FDataSetClass;
};

// Keeps an item for a class before the items for its descendants.
class TcxDBAdapterList : public TObject {
  RTL_DECLARE_CLASS(TcxDBAdapterList, TObject)
public:
  TcxDBAdapterList() = default;
  ~TcxDBAdapterList() override;
  TcxDBAdapterList(const TcxDBAdapterList&) = delete;
  TcxDBAdapterList& operator=(const TcxDBAdapterList&) = delete;

  // Scans from the last item: the first whose class is ADataSetClass or an ancestor answers.
  // A failed search leaves AIndex at the first item registered for a descendant, or -1.
  virtual bool FindAdapter(TClass ADataSetClass, Integer& AIndex);
  virtual void RegisterAdapter(TClass ADataSetClass, TClass AAdapterClass);
  virtual void UnregisterAdapter(TClass ADataSetClass, TClass AAdapterClass);
  TcxDBAdapterItem* GetAdapter(Integer AIndex) const;
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  void Clear();

private:
  std::vector<TcxDBAdapterItem*> FItems;
};

// ---------------------------------------------------------------------------------------
// The data-set data controller.

class TcxDBDataController;
class TcxDBDataProvider;

// The settings of how a data-set controller holds and follows its records.
class TcxDBDataModeController : public TPersistent {
  RTL_DECLARE_CLASS(TcxDBDataModeController, TPersistent)
public:
  explicit TcxDBDataModeController(TcxDBDataController* ADataController) : FDataController(ADataController) {}
  void Assign(TPersistent* ASource) override;

  bool GridMode() const { return FGridMode; }
  void SetGridMode(bool AValue);
  Integer GridModeBufferCount() const { return FGridModeBufferCount; }
  void SetGridModeBufferCount(Integer AValue) { FGridModeBufferCount = AValue < 0 ? 0 : AValue; }
  bool SmartRefresh() const { return FSmartRefresh; }
  void SetSmartRefresh(bool AValue) { FSmartRefresh = AValue; }
  bool SyncMode() const { return FSyncMode; }
  void SetSyncMode(bool AValue);
  bool SyncInsert() const { return FSyncInsert; }
  void SetSyncInsert(bool AValue) { FSyncInsert = AValue; }
  bool DetailInSQLMode() const { return FDetailInSQLMode; }
  void SetDetailInSQLMode(bool AValue) { FDetailInSQLMode = AValue; }

private:
  TcxDBDataController* FDataController;
  bool FGridMode = false;
  Integer FGridModeBufferCount = 0;
  bool FSmartRefresh = false;
  bool FSyncMode = true;
  bool FSyncInsert = true;
  bool FDetailInSQLMode = false;
};

// Hands the class library's data-link notifications to its provider.
class TcxDBDataLink : public TDataLink {
  RTL_DECLARE_CLASS(TcxDBDataLink, TDataLink)
public:
  explicit TcxDBDataLink(TcxDBDataProvider* AProvider);
  TcxDBDataProvider* Provider() const { return FProvider; }
  // The controller takes the data set's new record as its own editing record: at the end
  // when the data set's new record is at its end, else at the focused row.
  void BeginControllerInsert();
  bool PendingLayout() const { return FPendingLayout; }

  // The notifications, public so the provider can replay a deferred change.
  void ActiveChanged() override;
  void DataEvent(TDataEvent Event, NativeInt Info) override;
  void DataSetChanged() override;
  void DataSetScrolled(Integer Distance) override;
  void EditingChanged() override;
  // The first item showing the field asks its view to focus it; when the view did, nobody
  // else is asked.
  void FocusControl(TField** Field) override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;
  void UpdateData() override;

private:
  TcxDBDataProvider* FProvider;
  bool FPendingLayout = false;
};

// An item bound to a data-set field by name. A multi-name field (the key fields, a lookup
// field's key fields) holds one internal sub-field per name.
class TcxDBDataField : public TcxCustomDataField {
  RTL_DECLARE_CLASS(TcxDBDataField, TcxCustomDataField)
public:
  explicit TcxDBDataField(TcxCustomDataFieldList* AFieldList) : TcxCustomDataField(AFieldList) {}
  void BeforeDestruction() override;
  ~TcxDBDataField() override;

  void Reassign(TcxCustomDataField* ASource) override;
  void RemoveNotification(TComponent* AComponent) override;
  bool CanModify(TcxDataEditValueSource AEditValueSource) override;
  bool IsUnbound();
  // Settles text storage and value type from the linked field, repeating until stable.
  void UpdateValueType();

  const std::string& FieldName() const { return FFieldName; }
  void SetFieldName(const std::string& AValue) { FFieldName = AValue; }
  // The linked data-set field (the reference field's, when one is set).
  TField* Field() const;
  void SetField(TField* AValue);
  TcxDBDataField* ParentField() const { return FParentField; }
  Integer FieldCount() const { return static_cast<Integer>(FFields.size()); }
  TcxDBDataField* Fields(Integer AIndex) const { return FFields[static_cast<size_t>(AIndex)]; }
  bool IsLookup() const { return Field() && Field()->Lookup(); }
  // Raises "ADataField.FParentField <> nil" when the sub-field already has a parent.
  void AddField(TcxDBDataField* ADataField);
  void RemoveField(TcxDBDataField* ADataField);
  void ClearFields();

private:
  friend class TcxDBDataController;
  std::string FFieldName;
  TField* FField = nullptr;
  TcxDBDataField* FParentField = nullptr;
  std::vector<TcxDBDataField*> FFields;
};

// Reads a record from the data set's current record: the linked field's value (Null when
// it is null) and display text.
class TcxValueDefDBReader : public TcxValueDefReader {
  RTL_DECLARE_CLASS(TcxValueDefDBReader, TcxValueDefReader)
public:
  TcxValueDefDBReader() = default;
  void GetDisplayText(TcxValueDef* AValueDef, std::string& S) override;
  void GetValue(TcxValueDef* AValueDef, Variant& V) override;
};

// The provider of a data-set controller: reads records from the data set, turns the
// controller's edits into data-set calls, and coordinates with the other providers linked
// to the same data set (one data set moves under all of them).
class TcxDBDataProvider : public TcxCustomDataProvider {
  RTL_DECLARE_CLASS(TcxDBDataProvider, TcxCustomDataProvider)
public:
  explicit TcxDBDataProvider(TcxCustomDataController* ADataController);
  ~TcxDBDataProvider() override;

  bool IsGridMode() override;
  bool IsActive() override;
  bool IsOtherProviderLoading() override;
  bool IsSyncMode() override;
  bool CanLoadData() override;
  bool HasDataFields() override;
  bool IsBOF() override;
  bool IsEditing() override;
  bool IsEOF() override;
  bool IsInserting() override;
  bool IsModified() override;
  void DoRecordLoaded(Integer ARecordIndex) override;
  void First() override;
  void Prior() override;
  void Next() override;
  void Last() override;
  void MoveBy(Integer ADistance) override;
  void SavePosition() override;
  void RestorePosition() override;
  bool CanDelete() override;
  bool EditRecord(Integer ARecordIndex) override;
  bool CanModify() override;
  void Append() override;
  void Cancel() override;
  Integer Delete() override;
  void DeleteRecords(const std::vector<Integer>& AList) override;
  void Edit() override;
  void GetEditValue(Integer ARecordIndex, TcxCustomDataField* AField, Variant& V,
                    TcxDataEditValueSource AEditValueSource) override;
  void Insert() override;
  void Post() override;
  void UpdateData() override;
  bool SetEditValue(Integer ARecordIndex, TcxCustomDataField* AField, TcxDataEditValueSource AEditValueSource,
                    const Variant& V) override;
  void SetValue(Integer ARecordIndex, TcxCustomDataField* AField, const Variant& V) override;
  void AssignItemValues(Integer ARecordIndex, const std::vector<Variant>& AGroupingValues) override;
  void BeginLocate() override;
  void LockNotify() override;
  void UnlockNotify() override;
  Integer GetFocusedRecordIndex() override;
  TClass GetValueDefReaderClass() override;
  void ActiveChanged(bool AActive) override;

  bool IsRecordBookmarkValid(const TBookmarkStr& ABookmark);
  Integer CompareBookmarks(const TBookmarkStr& ABookmark1, const TBookmarkStr& ABookmark2);
  // A field of the data set's current record changed (none: the whole record).
  void RecordChanged(TField* AField);
  // The data set's current record moved by ADistance records.
  void DataScrolled(Integer ADistance);

  TcxDBDataController* DBDataController() const;
  TcxDBDataLink* DataLink() const { return FDataLink.get(); }
  TDataSet* DataSet() const;
  // Key navigation: the controller has key fields and the provider follows the data set.
  bool IsKeyNavigation();
  Integer CurrentRecordIndex() const { return FCurrentRecordIndex; }
  void SetCurrentRecordIndex(Integer AValue) { FCurrentRecordIndex = AValue; }
  bool NeedsReload() const { return FNeedsReload; }
  void ClearNeedsReload() { FNeedsReload = false; }
  bool InInsertCall() const { return FInInsertCall; }
  // Replays the changes of the providers that waited for this one.
  void ReplayDeferred();
  // A linked data-set field went away: inside First of a data set that closed meanwhile,
  // the load links the fields again.
  void FieldFreed();
  // Smart refresh: with key fields, outside grid mode and with SmartRefresh on, a post
  // re-reads the posted record instead of every record.
  bool IsSmartRefresh();
  void SmartRefreshUpdate();
  // The smart refresh forgets a record the controller deleted.
  void RecordDeleted(Integer ARecordIndex);

private:
  friend class TcxDBDataLink;
  friend class TcxDBDataController;
  using InsertCall = void (TDataSet::*)();
  void doInsertCall(InsertCall ACall);
  // The other providers linked to the same data set.
  std::vector<TcxDBDataProvider*> providersOnDataSet(bool AIncludeThis);
  void markNeedsReload();
  void dataSetChanged();
  void editingChanged();
  void updateData();

  std::unique_ptr<TcxDBDataLink, TObjectDeleter> FDataLink;
  Integer FCurrentRecordIndex = 0;
  TBookmarkStr FSavedBookmark;
  Integer FSavedActiveRecord = 0;
  bool FSavedBOF = false;
  bool FSavedEOF = false;
  std::vector<TcxDBDataProvider*> FDeferred;
  bool FNeedsReload = false;
  bool FInActiveChange = false;
  bool FInEditRecord = false;
  bool FInFirst = false;
  bool FInInsertCall = false;
  bool FReplaying = false;
  // Smart refresh: the record a post will concern (none = cxNoRecordIndex) and whether it
  // was an insertion; the focused record before a delete (-1 = none).
  Integer FSmartRecordIndex = cxNoRecordIndex;
  bool FSmartWasInserting = false;
  // A full read of the records waits for the edit in progress to end.
  bool FLoadDeferred = false;
  Integer FSmartFocusedBeforeDelete = -1;
  void resetSmartRefresh();
  void postOrCancelBeforeInsert();
  // Set while the controller goes away: the link passes nothing on.
  bool FDetaching = false;
};

// The controller of a view bound to a data set through a data source: its items are bound to
// the data set's fields by name, its focus follows the data set's current record and back,
// and its edits are the data set's edits. A view reaches the controller through the hooks
// below (DoDataSourceChanged, GetDefaultGridModeBufferCount ...), never the other way.
class TcxDBDataController : public TcxCustomDataController {
  RTL_DECLARE_CLASS(TcxDBDataController, TcxCustomDataController)
public:
  explicit TcxDBDataController(TComponent* AOwner);
  ~TcxDBDataController() override;

  void Assign(TPersistent* ASource) override;

  TcxDBDataModeController* DataModeController() const { return FDataModeController.get(); }
  void SetDataModeController(TcxDBDataModeController* AValue) { FDataModeController->Assign(AValue); }
  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* AValue);
  const std::string& KeyFieldNames() const { return FKeyFieldNames; }
  void SetKeyFieldNames(const std::string& AValue);
  const std::string& DetailKeyFieldNames() const { return FDetailKeyFieldNames; }
  void SetDetailKeyFieldNames(const std::string& AValue) { FDetailKeyFieldNames = AValue; }
  const std::string& MasterKeyFieldNames() const { return FMasterKeyFieldNames; }
  void SetMasterKeyFieldNames(const std::string& AValue) { FMasterKeyFieldNames = AValue; }

  TDataSet* GetDataSet() const;
  Integer GetDataSetRecordCount() const;
  Integer GetDataSetRecNo() const;
  void SetDataSetRecNo(Integer AValue);
  bool IsDataSetSequenced() const;
  TField* GetItemField(Integer AItemIndex);
  std::string GetItemFieldName(Integer AItemIndex);
  void ChangeFieldName(Integer AItemIndex, const std::string& AFieldName);
  Variant GetRecordKeyValue(Integer ARecordIndex);
  Variant GetDataSetKeyValue();
  Integer FindRecordIndexByKey(const Variant& AKeyFieldValues);
  bool LocateByKey(const Variant& AKeyFieldValues);
  void GetKeyFields(std::vector<TcxCustomDataField*>& AList);
  TcxDBDataField* KeyField() const { return FKeyField; }
  TcxDBDataProvider* DBProvider() const;
  void UnlinkFields();
  // Whether a locate of this controller is running (under BeginLocate/EndLocate).
  bool IsLocating() const;

  // --- Overrides of the controller.
  bool FocusRecordInSource(Integer ARecordIndex) override;
  void EnsureBrowseMode() override;
  void DoRecordDeleted(Integer ARecordIndex) override;
  Integer GetActiveRecordIndex() override;
  TClass GetDataProviderClass() override;
  TClass GetFieldClass() override;
  bool IsProviderField(TcxCustomDataField* AField) override;
  TClass GetSummaryItemClass() override;
  bool HasKeyFields() override;
  bool IsStructureUpdateNeeded() override { return true; }
  void LoadData() override;
  void DoDataLoaded() override;
  void UpdateField(TcxCustomDataField* AField) override;
  void RebuildStructure() override;
  void RefreshRowList() override;
  void Loaded() override;
  void SetItemValueTypeClass(Integer AItemIndex, TcxValueTypeClass AValue) override;

  // --- Hooks for the view (empty here).
  virtual void DoDataSourceChanged() {}
  virtual void DoInitInsertingRecord(Integer ARecordIndex) {}
  virtual Integer GetDefaultGridModeBufferCount() { return 100; }
  virtual Integer FindRecordIndexByDataSetKey();
  virtual void RefreshExternalData();

  // --- Field binding and the data set's records.
  void SetFieldNameOfField(TcxDBDataField* AField, const std::string& AFieldNames, bool AIsLookupKeyOnly);
  void LinkField(TcxDBDataField* AField, bool ASubFieldsOnly);
  // Copies the data set's current record into the editing record.
  void ReadEditingRecord();
  void SyncFocusedWithDataSet();

private:
  friend class TcxDBDataProvider;
  friend class TcxDBDataLink;
  friend class TcxDBDataSummaryItem;
  void resolveReferenceField(TcxDBDataField* AField);
  void setFieldNamesObject(TcxDBDataField*& AField, const std::string& AFieldNames);

  std::unique_ptr<TcxDBDataModeController, TObjectDeleter> FDataModeController;
  std::string FKeyFieldNames;
  std::string FDetailKeyFieldNames;
  std::string FMasterKeyFieldNames;
  TcxDBDataField* FKeyField = nullptr;
  bool FInEnsureBrowseMode = false;
  bool FUnlinkingFields = false;
};

// A summary item that may total a data-set field no item of the view shows: a FieldName
// gives the item an internal field of the controller, linked by that name whenever the
// controller links its fields; without a FieldName it summarises the field of its item.
class TcxDBDataSummaryItem : public TcxDataSummaryItem {
  RTL_DECLARE_CLASS(TcxDBDataSummaryItem, TcxDataSummaryItem)
public:
  using TcxDataSummaryItem::TcxDataSummaryItem;
  ~TcxDBDataSummaryItem() override;
  void Assign(TPersistent* Source) override;
  // With a FieldName: the internal field while the name finds a field of the data set, else
  // none (a name the data set does not have gives no value rather than a sum of nulls).
  TcxCustomDataField* GetDataField() override;

  const std::string& FieldName() const { return FFieldName; }
  void SetFieldName(const std::string& Value);
  // The internal field made for FieldName, or null.
  TcxDBDataField* DataField() const { return FDataField; }

private:
  TcxDBDataController* dbDataController();

  std::string FFieldName;
  TcxDBDataField* FDataField = nullptr;  // owned by the controller's field list
};

// Answers an editor's defaults from one linked field. Except for IsDataSetProvider and
// DefaultPrecision, every answer needs a linked field whose data set is open; without one
// it is the fallback of the answer: taLeftJustify, read-only, not modifiable, no valid
// characters, no display format, no get-text handler, not required, no blob (kind 0), no
// maximum length, no float value, empty formats and mask, 0 limits.
//
// The provider hears when the linked field is freed and drops the link.
class TcxCustomDBEditDefaultValuesProvider : public TcxCustomEditDefaultValuesProvider {
  RTL_DECLARE_CLASS(TcxCustomDBEditDefaultValuesProvider, TcxCustomEditDefaultValuesProvider)
public:
  explicit TcxCustomDBEditDefaultValuesProvider(TPersistent* AOwner);
  ~TcxCustomDBEditDefaultValuesProvider() override;

  TField* Field() const { return FField; }
  // Links the field (null unlinks); the free notification moves with the link.
  void SetField(TField* Value);
  // A field is linked, it has a data set and the data set is open.
  bool IsDataAvailable() const;

  TAlignment DefaultAlignment() override;
  Integer DefaultBlobKind() override;
  bool DefaultCanModify() override;
  void DefaultDisplayFormat(std::string& AFormat) override;
  void DefaultEditFormat(std::string& AFormat) override;
  void DefaultEditMask(std::string& AMask) override;
  bool DefaultIsFloatValue() override;
  Integer DefaultMaxLength() override;
  long double DefaultMaxValue() override;
  long double DefaultMinValue() override;
  // The precision of a float, BCD, aggregate or formatted-BCD field, else 15; also while
  // the data set is closed.
  Integer DefaultPrecision() override;
  bool DefaultReadOnly() override;
  bool DefaultRequired() override;
  bool IsDataSetProvider() override { return true; }
  bool IsBlobValue() override;
  bool HasDisplayFormat(bool AIsCurrencyValueAccepted) override;
  bool HasGetTextHandler() override;
  bool IsValidChar(char AChar) override;

private:
  void fieldFreed(TComponent* Sender);
  long double limit(bool AMax);

  TField* FField = nullptr;
  TcxFreeNotificator* FFreeNotificator = nullptr;
};
