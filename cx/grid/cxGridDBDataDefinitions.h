#pragma once
// cxGridDBDataDefinitions: the data controller of a record view bound to a data set, and
// the data binding of its items (an item shows one field of the data set, by name).
#include <string>

#include "cx/data/cxDBData.h"
#include "cx/grid/cxGridCustomTableView.h"

RTL_ENUM_INFO(TcxDataControllerOption, dcoAnsiSort, dcoCaseInsensitive, dcoAssignGroupingValues,
              dcoAssignMasterDetailKeys, dcoSaveExpanding, dcoSortByDisplayText, dcoFocusTopRowAfterSorting,
              dcoGroupsAlwaysExpanded)

// The data controller of a record view bound to a data set: its items are the view's items,
// bound to fields by name.
class TcxGridDBDataController : public TcxDBDataController, public IcxGridDataControllerLink {
  RTL_DECLARE_CLASS(TcxGridDBDataController, TcxDBDataController)
public:
  explicit TcxGridDBDataController(TComponent* AOwner) : TcxDBDataController(AOwner) {}
  TcxCustomGridTableView* GridView() const;

  // One view item per field of the linked data set, in field order, with the field's name
  // and visibility; nothing without a data set.
  void CreateItemsForAllFields();

  // Grid mode over a data set that numbers its records, with rows of one height: the
  // scroll bar then follows the data set's record number.
  bool IsSequencedGridMode();

  // --- Grid link.
  void SyncGridModeBufferCount() override {}
  bool ScrollRecordsHook(bool) override { return false; }
  bool ScrollPageHook(bool) override { return false; }
  TClass GetItemDataBindingClass() override;
  TClass GetDefaultValuesProviderClass() override;
  bool IsBOF() override;
  bool IsEOF() override;
  bool GetStoredPropertyValue(const std::string&, Variant&) override { return false; }
  // The data set's record number - 1 in sequenced grid mode (kept while a record is being
  // inserted), else -1.
  Integer GetScrollBarPos() override;
  Integer GetScrollBarRecordCount() override { return -1; }
  bool SetStoredPropertyValue(const std::string&, const Variant&) override { return false; }
  bool SetScrollBarPosHook(Integer AValue) override;

  // --- The view's answers.
  TObject* GetItem(Integer AItemIndex) override;
  Integer GetItemID(TObject* AItem) override;
  bool CanSelectRecord(Integer ARecordIndex) override;
  void DoValueTypeClassChanged(Integer AItemIndex) override;
  void GetItemDisplayName(Integer AItemIndex, std::string& S) override;
  bool GetItemSortByDisplayText(Integer AItemIndex, bool ASortByDisplayText) override;
  TcxDataEditValueSource CanInitEditingItem(Integer AItemIndex) override;
  // The view's summary classes; the data-set controller's own when the view names none.
  TClass GetSummaryItemClass() override;
  TClass GetSummaryGroupItemLinkClass() override;
  void GetDisplayText(Integer ARecordIndex, Integer AItemIndex, std::string& S) override;
  void UpdateEditorValue() override;

  TcxDataControllerOptions Options() const { return inherited::Options(); }
  void SetOptions(TcxDataControllerOptions Value) { inherited::SetOptions(Value); }

private:
  Integer FLastScrollBarPos = -1;
};

// The editors' defaults of a data-set column come from its field; a display format is
// defined when the data controller reports one for the field or the column has
// OnGetDisplayText.
class TcxGridDBDefaultValuesProvider : public TcxCustomDBEditDefaultValuesProvider {
  RTL_DECLARE_CLASS(TcxGridDBDefaultValuesProvider, TcxCustomDBEditDefaultValuesProvider)
public:
  using TConstructorArg = TPersistent*;
  explicit TcxGridDBDefaultValuesProvider(TPersistent* AOwner) : TcxCustomDBEditDefaultValuesProvider(AOwner) {}
  bool HasDisplayFormat(bool AIsCurrencyValueAccepted) override;
};

// The binding of an item to a field of the view's data set.
class TcxGridItemDBDataBinding : public TcxGridItemDataBinding {
  RTL_DECLARE_CLASS(TcxGridItemDBDataBinding, TcxGridItemDataBinding)
public:
  using TcxGridItemDataBinding::TcxGridItemDataBinding;
  void Assign(TPersistent* Source) override;

  TcxGridDBDataController* DataController() const;
  std::string FieldName() const;
  void SetFieldName(const std::string& Value);
  // The bound field; null while the data set has no field of that name.
  TField* Field() const;

  // Points the editors' default-values provider at the bound field.
  void DataChanged() override;

  // The editor the field asks for (the default mask editor when no field is bound).
  TcxEditRepositoryItem* GetDefaultRepositoryItem() override;
  // The field's display name (the field name when no field is found).
  std::string GetDefaultCaption() override;
  // The width of "0" in the item's content font times the field's display width, plus 4,
  // raised to the item's minimum width; the base width without a field.
  Integer GetDefaultWidth() override;
};

namespace cxGridDBDataDefinitionsUnit {
void Initialize();
void Finalize();
}  // namespace cxGridDBDataDefinitionsUnit
