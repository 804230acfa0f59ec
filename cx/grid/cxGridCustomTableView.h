#pragma once
// cxGridCustomTableView: the base of the grid's record views. A record view shows the rows
// of its data controller as records through items (columns). This unit holds the view's
// option groups and styles, the grid data controller with the per-item data binding, the
// items, the view itself (items, identifiers, notifications, drawing questions) and its
// records with the view data that keeps them.
//
// Present behaviour beyond the option, item, view and record model: the table controller is
// reduced to the focused item and the focused record (navigation, selection by mouse and
// keys, scrolling and the editing controller come later); the view lays out and paints
// through the framework's base view info and painter.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cx/data/cxCustomData.h"
#include "cx/editors/cxEdit.h"
#include "cx/grid/cxGrid.h"
#include "cx/grid/cxGridCustomView.h"
#include "platform/gui/ExtCtrls.h"

RTL_ENUM_INFO(TcxDataSortOrder, soNone, soAscending, soDescending)

class TcxCustomGridTableView;
class TcxCustomGridTableItem;
class TcxCustomGridRecord;
class TcxCustomGridTableViewData;
class TcxCustomGridTableController;
class TcxGridItemDataBinding;
class TcxCustomGridRecordViewInfo;
class TcxGridTableCellViewInfo;
class TcxGridTableDataCellViewInfo;
class TcxCustomGridTableViewInfo;

// Runs the hourglass cursor for one block of work (sorting, grouping, making items).
class GridHourglassLock {
public:
  GridHourglassLock();
  ~GridHourglassLock();
  GridHourglassLock(const GridHourglassLock&) = delete;
  GridHourglassLock& operator=(const GridHourglassLock&) = delete;
};

// Pairs a view's BeginUpdate and EndUpdate.
class GridViewUpdateLock {
public:
  explicit GridViewUpdateLock(TcxCustomGridView* AView) : FView(AView) { FView->BeginUpdate(); }
  ~GridViewUpdateLock() { FView->EndUpdate(); }
  GridViewUpdateLock(const GridViewUpdateLock&) = delete;
  GridViewUpdateLock& operator=(const GridViewUpdateLock&) = delete;

private:
  TcxCustomGridView* FView;
};

// ---------------------------------------------------------------------------------------
// Enumerations of the options.

RTL_ENUM(TcxGridTableFilterVisible, fvNever, fvNonEmpty, fvAlways)
RTL_ENUM(TcxGridDragFocusing, dfNone, dfDragOver, dfDragDrop)
RTL_ENUM(TcxGridShowEditButtons, gsebNever, gsebForFocusedRecord, gsebAlways)
RTL_ENUM(TcxGridItemShowEditButtons, isebDefault, isebNever, isebAlways)

using TcxGridGetCellStyleEvent = TEvent<void(TcxCustomGridTableView* Sender, TcxCustomGridRecord* ARecord,
                                             TcxCustomGridTableItem* AItem, TcxStyle*& AStyle)>;
using TcxGridCanSelectRecordEvent =
    TEvent<void(TcxCustomGridTableView* Sender, TcxCustomGridRecord* ARecord, bool& AAllow)>;
using TcxGridEditingEvent = TEvent<void(TcxCustomGridTableView* Sender, TcxCustomGridTableItem* AItem, bool& AAllow)>;
using TcxGridFocusedItemChangedEvent = TEvent<void(TcxCustomGridTableView* Sender, TcxCustomGridTableItem* APrevFocusedItem,
                                                   TcxCustomGridTableItem* AFocusedItem)>;
using TcxGridFocusedRecordChangedEvent =
    TEvent<void(TcxCustomGridTableView* Sender, TcxCustomGridRecord* APrevFocusedRecord,
                TcxCustomGridRecord* AFocusedRecord, bool ANewItemRecordFocusingChanged)>;
using TcxGridCustomTableViewEvent = TEvent<void(TcxCustomGridTableView* Sender)>;
using TcxGridCustomTableItemEvent = TEvent<void(TcxCustomGridTableView* Sender, TcxCustomGridTableItem* AItem)>;
using TcxGridGetDisplayTextEvent =
    TEvent<void(TcxCustomGridTableItem* Sender, TcxCustomGridRecord* ARecord, std::string& AText)>;
using TcxGridGetPropertiesEvent = TEvent<void(TcxCustomGridTableItem* Sender, TcxCustomGridRecord* ARecord,
                                              TcxCustomEditProperties*& AProperties)>;
using TcxGridInitEditEvent =
    TEvent<void(TcxCustomGridTableView* Sender, TcxCustomGridTableItem* AItem, TcxCustomEdit* AEdit)>;
using TcxGridGetFilterDisplayTextEvent =
    TEvent<void(TcxCustomGridTableItem* Sender, const Variant& AValue, std::string& ADisplayText)>;

// ---------------------------------------------------------------------------------------
// Grid changes of record views.

// A change of the number of records: runs at once, also while the grid is locked, so that
// the layout that follows sees the new count.
class TcxGridDataChange : public TcxCustomGridViewChange {
  RTL_DECLARE_CLASS(TcxGridDataChange, TcxCustomGridViewChange)
public:
  using TcxCustomGridViewChange::TcxCustomGridViewChange;
  void Execute() override;
  bool CanQueue() override { return false; }
};

// One record (or one of its cells) must be redrawn. Covered by a later layout, size or data
// change of the same view.
class TcxGridRecordChange : public TcxCustomGridViewChange {
  RTL_DECLARE_CLASS(TcxGridRecordChange, TcxCustomGridViewChange)
public:
  TcxGridRecordChange(TcxCustomGridView* AGridView, TcxCustomGridRecord* ARecord, Integer ARecordIndex,
                      TcxCustomGridTableItem* AItem)
      : TcxCustomGridViewChange(AGridView), FRecord(ARecord), FRecordIndex(ARecordIndex), FItem(AItem) {}
  void Execute() override;
  bool IsCompatibleWith(TcxCustomGridChange* ALaterChange) override;
  bool IsEqual(TcxCustomGridChange* AChange) override;
  TcxCustomGridRecord* Record() const { return FRecord; }
  Integer RecordIndex() const { return FRecordIndex; }
  TcxCustomGridTableItem* Item() const { return FItem; }

private:
  TcxCustomGridRecord* FRecord;
  Integer FRecordIndex;
  TcxCustomGridTableItem* FItem;
};

// The focused record moved: the previous and the new focused records are redrawn.
class TcxGridFocusedRecordChange : public TcxCustomGridViewChange {
  RTL_DECLARE_CLASS(TcxGridFocusedRecordChange, TcxCustomGridViewChange)
public:
  TcxGridFocusedRecordChange(TcxCustomGridView* AGridView, Integer APrevFocusedRowIndex, Integer AFocusedRowIndex,
                             bool ANewItemRecordFocusingChanged)
      : TcxCustomGridViewChange(AGridView), FPrevFocusedRowIndex(APrevFocusedRowIndex),
        FFocusedRowIndex(AFocusedRowIndex), FNewItemRecordFocusingChanged(ANewItemRecordFocusingChanged) {}
  void Execute() override;
  Integer PrevFocusedRowIndex() const { return FPrevFocusedRowIndex; }
  Integer FocusedRowIndex() const { return FFocusedRowIndex; }

private:
  Integer FPrevFocusedRowIndex;
  Integer FFocusedRowIndex;
  bool FNewItemRecordFocusingChanged;
};

// ---------------------------------------------------------------------------------------
// Options of a record view.

class TcxCustomGridTableFiltering : public TcxCustomGridOptions {
  RTL_DECLARE_CLASS(TcxCustomGridTableFiltering, TcxCustomGridOptions)
public:
  using TcxCustomGridOptions::TcxCustomGridOptions;
  void Assign(TPersistent* Source) override;

  bool CustomizeDialog() const { return FCustomizeDialog; }
  void SetCustomizeDialog(bool Value);
  Integer DropDownWidth() const { return FDropDownWidth; }
  void SetDropDownWidth(Integer Value) { FDropDownWidth = Value < 0 ? 0 : Value; }
  Integer MaxDropDownCount() const { return FMaxDropDownCount; }
  void SetMaxDropDownCount(Integer Value) { FMaxDropDownCount = Value < 0 ? 0 : Value; }
  TcxGridTableFilterVisible Visible() const { return FVisible; }
  void SetVisible(TcxGridTableFilterVisible Value);
  // The number of lines a drop-down shows for ACount values: the maximum, when set and
  // reached, else the count.
  Integer GetDropDownCount(Integer ACount) const;

private:
  bool FCustomizeDialog = true;
  Integer FDropDownWidth = 0;
  Integer FMaxDropDownCount = 15;
  TcxGridTableFilterVisible FVisible = fvNonEmpty;
};

class TcxCustomGridTableOptionsBehavior : public TcxCustomGridOptions {
  RTL_DECLARE_CLASS(TcxCustomGridTableOptionsBehavior, TcxCustomGridOptions)
public:
  using TcxCustomGridOptions::TcxCustomGridOptions;
  void Assign(TPersistent* Source) override;

  bool AlwaysShowEditor() const { return FAlwaysShowEditor; }
  void SetAlwaysShowEditor(bool Value) { FAlwaysShowEditor = Value; }
  bool CellHints() const { return FCellHints; }
  void SetCellHints(bool Value) { FCellHints = Value; }
  TcxGridDragFocusing DragFocusing() const { return FDragFocusing; }
  void SetDragFocusing(TcxGridDragFocusing Value) { FDragFocusing = Value; }
  bool DragHighlighting() const { return FDragHighlighting; }
  void SetDragHighlighting(bool Value) { FDragHighlighting = Value; }
  bool DragOpening() const { return FDragOpening; }
  void SetDragOpening(bool Value) { FDragOpening = Value; }
  bool DragScrolling() const { return FDragScrolling; }
  void SetDragScrolling(bool Value) { FDragScrolling = Value; }
  // The site wants the Tab key exactly while this is set.
  bool FocusCellOnTab() const { return FFocusCellOnTab; }
  void SetFocusCellOnTab(bool Value);
  bool FocusFirstCellOnNewRecord() const { return FFocusFirstCellOnNewRecord; }
  void SetFocusFirstCellOnNewRecord(bool Value) { FFocusFirstCellOnNewRecord = Value; }
  bool GoToNextCellOnEnter() const { return FGoToNextCellOnEnter; }
  void SetGoToNextCellOnEnter(bool Value) { FGoToNextCellOnEnter = Value; }
  bool ImmediateEditor() const { return FImmediateEditor; }
  void SetImmediateEditor(bool Value) { FImmediateEditor = Value; }
  bool IncSearch() const { return FIncSearch; }
  void SetIncSearch(bool Value) { FIncSearch = Value; }
  // Cleared by the view when the item leaves it.
  TcxCustomGridTableItem* IncSearchItem() const { return FIncSearchItem; }
  void SetIncSearchItem(TcxCustomGridTableItem* Value) { FIncSearchItem = Value; }
  bool NavigatorHints() const { return FNavigatorHints; }
  void SetNavigatorHints(bool Value) { FNavigatorHints = Value; }
  // Kept here for the tabular view, which publishes them.
  Integer BestFitMaxRecordCount() const { return FBestFitMaxRecordCount; }
  void SetBestFitMaxRecordCount(Integer Value) { FBestFitMaxRecordCount = Value < 0 ? 0 : Value; }
  bool ExpandMasterRowOnDblClick() const { return FExpandMasterRowOnDblClick; }
  void SetExpandMasterRowOnDblClick(bool Value) { FExpandMasterRowOnDblClick = Value; }
  bool FocusCellOnCycle() const { return FFocusCellOnCycle; }
  void SetFocusCellOnCycle(bool Value) { FFocusCellOnCycle = Value; }
  bool PullFocusing() const { return FPullFocusing; }
  void SetPullFocusing(bool Value) { FPullFocusing = Value; }

private:
  bool FAlwaysShowEditor = false;
  bool FCellHints = false;
  TcxGridDragFocusing FDragFocusing = dfNone;
  bool FDragHighlighting = true;
  bool FDragOpening = true;
  bool FDragScrolling = true;
  bool FFocusCellOnTab = false;
  bool FFocusFirstCellOnNewRecord = false;
  bool FGoToNextCellOnEnter = false;
  bool FImmediateEditor = true;
  bool FIncSearch = false;
  TcxCustomGridTableItem* FIncSearchItem = nullptr;
  bool FNavigatorHints = false;
  Integer FBestFitMaxRecordCount = 0;
  bool FExpandMasterRowOnDblClick = true;
  bool FFocusCellOnCycle = false;
  bool FPullFocusing = false;
};

// Whether items may be grouped, moved and sorted by the user at all.
class TcxCustomGridTableOptionsCustomize : public TcxCustomGridOptions {
  RTL_DECLARE_CLASS(TcxCustomGridTableOptionsCustomize, TcxCustomGridOptions)
public:
  using TcxCustomGridOptions::TcxCustomGridOptions;
  void Assign(TPersistent* Source) override;
  bool ItemGrouping() const { return FItemGrouping; }
  void SetItemGrouping(bool Value) { FItemGrouping = Value; }
  bool ItemMoving() const { return FItemMoving; }
  void SetItemMoving(bool Value) { FItemMoving = Value; }
  bool ItemSorting() const { return FItemSorting; }
  void SetItemSorting(bool Value) { FItemSorting = Value; }

private:
  bool FItemGrouping = true;
  bool FItemMoving = true;
  bool FItemSorting = true;
};

class TcxCustomGridTableOptionsData : public TcxCustomGridOptions {
  RTL_DECLARE_CLASS(TcxCustomGridTableOptionsData, TcxCustomGridOptions)
public:
  using TcxCustomGridOptions::TcxCustomGridOptions;
  void Assign(TPersistent* Source) override;
  bool Appending() const { return FAppending; }
  void SetAppending(bool Value) { FAppending = Value; }
  bool CancelOnExit() const { return FCancelOnExit; }
  void SetCancelOnExit(bool Value) { FCancelOnExit = Value; }
  bool Deleting() const { return FDeleting; }
  void SetDeleting(bool Value);
  bool DeletingConfirmation() const { return FDeletingConfirmation; }
  void SetDeletingConfirmation(bool Value) { FDeletingConfirmation = Value; }
  // Switching it off ends a running in-place edit (its value is kept, see the .cpp).
  bool Editing() const { return FEditing; }
  void SetEditing(bool Value);
  bool Inserting() const { return FInserting; }
  void SetInserting(bool Value);

private:
  bool FAppending = false;
  bool FCancelOnExit = true;
  bool FDeleting = true;
  bool FDeletingConfirmation = true;
  bool FEditing = true;
  bool FInserting = true;
};

class TcxCustomGridTableOptionsSelection : public TcxCustomGridOptionsSelection {
  RTL_DECLARE_CLASS(TcxCustomGridTableOptionsSelection, TcxCustomGridOptionsSelection)
public:
  using TcxCustomGridOptionsSelection::TcxCustomGridOptionsSelection;
  void Assign(TPersistent* Source) override;
  // On: the first focusable item takes the focus; off: no item is focused.
  bool CellSelect() const { return FCellSelect; }
  void SetCellSelect(bool Value);
  bool HideFocusRect() const { return FHideFocusRect; }
  void SetHideFocusRect(bool Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  bool InvertSelect() const { return FInvertSelect; }
  void SetInvertSelect(bool Value);
  // Kept by the data controller; switching it off clears the selection.
  bool MultiSelect() const;
  void SetMultiSelect(bool Value);
  bool UnselectFocusedRecordOnExit() const { return FUnselectFocusedRecordOnExit; }
  void SetUnselectFocusedRecordOnExit(bool Value) { FUnselectFocusedRecordOnExit = Value; }

private:
  bool FCellSelect = true;
  bool FHideFocusRect = true;
  bool FHideSelection = false;
  bool FInvertSelect = true;
  bool FUnselectFocusedRecordOnExit = true;
};

class TcxCustomGridTableOptionsView : public TcxCustomGridOptionsView {
  RTL_DECLARE_CLASS(TcxCustomGridTableOptionsView, TcxCustomGridOptionsView)
public:
  using TcxCustomGridOptionsView::TcxCustomGridOptionsView;
  void Assign(TPersistent* Source) override;
  bool CellAutoHeight() const { return FCellAutoHeight; }
  void SetCellAutoHeight(bool Value);
  bool CellEndEllipsis() const { return FCellEndEllipsis; }
  void SetCellEndEllipsis(bool Value);
  Integer CellTextMaxLineCount() const { return FCellTextMaxLineCount; }
  void SetCellTextMaxLineCount(Integer Value);
  bool HeaderAutoHeight() const { return FHeaderAutoHeight; }
  void SetHeaderAutoHeight(bool Value);
  bool HeaderEndEllipsis() const { return FHeaderEndEllipsis; }
  void SetHeaderEndEllipsis(bool Value);
  bool Navigator() const { return FNavigator; }
  void SetNavigator(bool Value);
  Integer NavigatorOffset() const { return FNavigatorOffset; }
  void SetNavigatorOffset(Integer Value);
  TcxGridShowEditButtons ShowEditButtons() const { return FShowEditButtons; }
  void SetShowEditButtons(TcxGridShowEditButtons Value);

protected:
  void SizeChanged();

private:
  bool FCellAutoHeight = false;
  bool FCellEndEllipsis = false;
  Integer FCellTextMaxLineCount = 0;
  bool FHeaderAutoHeight = false;
  bool FHeaderEndEllipsis = false;
  bool FNavigator = false;
  Integer FNavigatorOffset = 50;
  TcxGridShowEditButtons FShowEditButtons = gsebNever;
};

// Style indexes of a record view (the tabular view continues from 7).
constexpr Integer vsContent = 1;
constexpr Integer vsContentEven = 2;
constexpr Integer vsContentOdd = 3;
constexpr Integer vsInactive = 4;
constexpr Integer vsIncSearch = 5;
constexpr Integer vsSelection = 6;
constexpr Integer bbContent = 1;

class TcxCustomGridTableViewStyles : public TcxCustomGridViewStyles {
  RTL_DECLARE_CLASS(TcxCustomGridTableViewStyles, TcxCustomGridViewStyles)
public:
  using TcxCustomGridViewStyles::TcxCustomGridViewStyles;
  void Assign(TPersistent* Source) override;
  void GetDefaultVisualParams(Integer AIndex, TObject* AData, TcxViewParams& AParams) override;

  // The content parameters of a record: the event's style on top of the style of the
  // record's parity when that one is assigned, else on top of Content.
  virtual void GetRecordContentParams(TcxCustomGridRecord* ARecord, TcxCustomGridTableItem* AItem,
                                      TcxViewParams& AParams);
  // With an item, the item's styles decide (falling back to the record's parameters).
  void GetContentParams(TcxCustomGridRecord* ARecord, TcxCustomGridTableItem* AItem, TcxViewParams& AParams);

#define CX_TABLE_STYLE(Name, Index)                                  \
  TcxStyle* Name() const { return As<TcxStyle>(GetIndexedStyle(Index)); } \
  void Set##Name(TcxStyle* Value) { SetIndexedStyle(Index, Value); }
  CX_TABLE_STYLE(Content, vsContent)
  CX_TABLE_STYLE(ContentEven, vsContentEven)
  CX_TABLE_STYLE(ContentOdd, vsContentOdd)
  CX_TABLE_STYLE(Inactive, vsInactive)
  CX_TABLE_STYLE(IncSearch, vsIncSearch)
  CX_TABLE_STYLE(Selection, vsSelection)
#undef CX_TABLE_STYLE
  TcxGridGetCellStyleEvent OnGetContentStyle() const { return FOnGetContentStyle; }
  void SetOnGetContentStyle(TcxGridGetCellStyleEvent Value) { FOnGetContentStyle = Value; }

private:
  TcxGridGetCellStyleEvent FOnGetContentStyle;
};

class TcxCustomGridTableBackgroundBitmaps : public TcxCustomGridBackgroundBitmaps {
  RTL_DECLARE_CLASS(TcxCustomGridTableBackgroundBitmaps, TcxCustomGridBackgroundBitmaps)
public:
  using TcxCustomGridBackgroundBitmaps::TcxCustomGridBackgroundBitmaps;
  void Assign(TPersistent* Source) override;
  Integer GetBitmapStyleIndex(Integer AIndex) override;
  TBitmap* Content() { return GetValue(bbContent); }
  void SetContent(TBitmap* Value) { SetValue(bbContent, Value); }
};

// ---------------------------------------------------------------------------------------
// The grid data controller and the item data binding.

// What a record view and its controller ask of their data controller beyond the data
// controller's own interface. A data controller that does not offer it gives the defaults
// of TcxGridDataController.
struct IcxGridDataControllerLink {
  virtual void SyncGridModeBufferCount() = 0;
  virtual bool ScrollRecordsHook(bool AForward) = 0;
  virtual bool ScrollPageHook(bool AForward) = 0;
  virtual TClass GetItemDataBindingClass() = 0;
  virtual TClass GetDefaultValuesProviderClass() = 0;
  virtual bool IsBOF() = 0;
  virtual bool IsEOF() = 0;
  virtual bool GetStoredPropertyValue(const std::string& AName, Variant& AValue) = 0;
  virtual Integer GetScrollBarPos() = 0;
  virtual Integer GetScrollBarRecordCount() = 0;
  virtual bool SetStoredPropertyValue(const std::string& AName, const Variant& AValue) = 0;
  virtual bool SetScrollBarPosHook(Integer AValue) = 0;

protected:
  ~IcxGridDataControllerLink() = default;
};

// The questions a record view's data controller passes on to its view; shared by the
// unbound grid data controller and the data-set one.
struct GridViewAnswers {
  static TcxCustomGridTableView* View(TcxCustomDataController* ADataController);
  static TObject* Item(TcxCustomDataController* ADataController, Integer AItemIndex);
  static Integer ItemID(TObject* AItem);
  static bool CanSelectRecord(TcxCustomDataController* ADataController, Integer ARecordIndex);
  static void ValueTypeClassChanged(TcxCustomDataController* ADataController, Integer AItemIndex);
  static std::string ItemDisplayName(TcxCustomDataController* ADataController, Integer AItemIndex);
  static bool ItemSortByDisplayText(TcxCustomDataController* ADataController, Integer AItemIndex);
  static TcxDataEditValueSource EditValueSource(TcxCustomDataController* ADataController, Integer AItemIndex);
  // True when the item's properties turned the record's value into the text.
  static bool DisplayText(TcxCustomDataController* ADataController, Integer ARecordIndex, Integer AItemIndex,
                          std::string& S);
  // No record before (after) the focused row.
  static bool IsBOF(TcxCustomDataController* ADataController);
  static bool IsEOF(TcxCustomDataController* ADataController);
  // The in-place editor's pending value goes into the record being edited.
  static void UpdateEditorValue(TcxCustomDataController* ADataController);
  // The view's summary classes; AFallback when there is no view or it names none.
  static TClass SummaryItemClass(TcxCustomDataController* ADataController, TClass AFallback);
  static TClass SummaryGroupItemLinkClass(TcxCustomDataController* ADataController, TClass AFallback);
};

// The data controller of a record view that is not bound to a data set: its items are the
// view's items and its questions are answered by the view.
class TcxGridDataController : public TcxDataController, public IcxGridDataControllerLink {
  RTL_DECLARE_CLASS(TcxGridDataController, TcxDataController)
public:
  explicit TcxGridDataController(TComponent* AOwner) : TcxDataController(AOwner) {}
  TcxCustomGridTableView* GridView() const;

  // --- Grid link.
  void SyncGridModeBufferCount() override {}
  bool ScrollRecordsHook(bool) override { return false; }
  bool ScrollPageHook(bool) override { return false; }
  TClass GetItemDataBindingClass() override;
  TClass GetDefaultValuesProviderClass() override;
  bool IsBOF() override;
  bool IsEOF() override;
  bool GetStoredPropertyValue(const std::string&, Variant&) override { return false; }
  Integer GetScrollBarPos() override { return -1; }
  Integer GetScrollBarRecordCount() override { return -1; }
  bool SetStoredPropertyValue(const std::string&, const Variant&) override { return false; }
  bool SetScrollBarPosHook(Integer) override { return false; }

  // --- The view's answers.
  TObject* GetItem(Integer AItemIndex) override;
  Integer GetItemID(TObject* AItem) override;
  bool CanSelectRecord(Integer ARecordIndex) override;
  void DoValueTypeClassChanged(Integer AItemIndex) override;
  void GetItemDisplayName(Integer AItemIndex, std::string& S) override;
  bool GetItemSortByDisplayText(Integer AItemIndex, bool ASortByDisplayText) override;
  TcxDataEditValueSource CanInitEditingItem(Integer AItemIndex) override;
  void GetDisplayText(Integer ARecordIndex, Integer AItemIndex, std::string& S) override;
  TClass GetSummaryItemClass() override;
  TClass GetSummaryGroupItemLinkClass() override;
  void UpdateEditorValue() override;
};

// Asks the data controller for its grid link; null when it offers none.
IcxGridDataControllerLink* cxGridDataControllerLink(TcxCustomDataController* ADataController);

// The editors' defaults of a grid item: a display format is defined when the data
// controller reports one for the item's field or the item has OnGetDisplayText.
class TcxGridDefaultValuesProvider : public TcxCustomEditDefaultValuesProvider {
  RTL_DECLARE_CLASS(TcxGridDefaultValuesProvider, TcxCustomEditDefaultValuesProvider)
public:
  using TConstructorArg = TPersistent*;
  explicit TcxGridDefaultValuesProvider(TPersistent* AOwner) : TcxCustomEditDefaultValuesProvider(AOwner) {}
  bool HasDisplayFormat(bool AIsCurrencyValueAccepted) override;
  TcxGridItemDataBinding* DataBinding() const;
};

// Connects one view item to its data controller item.
class TcxGridItemDataBinding : public TPersistent {
  RTL_DECLARE_CLASS(TcxGridItemDataBinding, TPersistent)
public:
  using TConstructorArg = TcxCustomGridTableItem*;
  explicit TcxGridItemDataBinding(TcxCustomGridTableItem* AItem);
  void AfterConstruction() override;
  ~TcxGridItemDataBinding() override;
  void Assign(TPersistent* Source) override;

  virtual void DataChanged() {}
  virtual std::string GetDefaultCaption() { return std::string(); }
  virtual TcxEditRepositoryItem* GetDefaultRepositoryItem();
  virtual Integer GetDefaultWidth() { return 64; }

  TcxCustomGridTableItem* Item() const { return FItem; }
  TcxCustomGridTableView* GridView() const;
  TcxCustomDataController* DataController() const;
  TcxDataFilterCriteria* Filter() const;
  Integer Data() const { return FData; }
  void SetData(Integer Value) { FData = Value; }
  TcxValueTypeClass ValueTypeClass() const;
  void SetValueTypeClass(TcxValueTypeClass Value);
  TcxCustomEditDefaultValuesProvider* DefaultValuesProvider() const { return FDefaultValuesProvider.get(); }
  IcxEditDefaultValuesProvider* GetDefaultValuesProvider(TcxCustomEditProperties* AProperties) const;

  // A filter condition is linked to the item. False removes them all; True does nothing.
  bool Filtered() const;
  void SetFiltered(bool Value);
  // Adds a condition on the item (under AParent, or the filter's root) and returns it.
  TcxFilterCriteriaItem* AddToFilter(TcxFilterCriteriaItemList* AParent, TcxFilterOperatorKind AOperatorKind,
                                     const Variant& AValue, const std::string& ADisplayText = std::string(),
                                     bool AReplaceExisting = true);

private:
  TcxCustomGridTableItem* FItem;
  Integer FData = 0;
  std::unique_ptr<TcxCustomEditDefaultValuesProvider, TObjectDeleter> FDefaultValuesProvider;
};

// ---------------------------------------------------------------------------------------
// Items.

class TcxCustomGridTableItemOptions : public TPersistent {
  RTL_DECLARE_CLASS(TcxCustomGridTableItemOptions, TPersistent)
public:
  using TConstructorArg = TcxCustomGridTableItem*;
  explicit TcxCustomGridTableItemOptions(TcxCustomGridTableItem* AItem) : FItem(AItem) {}
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override;
  TcxCustomGridTableItem* Item() const { return FItem; }

  bool Editing() const { return FEditing; }
  void SetEditing(bool Value);
  bool Filtering() const { return FFiltering; }
  void SetFiltering(bool Value);
  // Off: a focused item hands the focus on.
  bool Focusing() const { return FFocusing; }
  void SetFocusing(bool Value);
  bool Grouping() const { return FGrouping; }
  void SetGrouping(bool Value) { FGrouping = Value; }
  bool IncSearch() const { return FIncSearch; }
  void SetIncSearch(bool Value) { FIncSearch = Value; }
  bool Moving() const { return FMoving; }
  void SetMoving(bool Value) { FMoving = Value; }
  TcxGridItemShowEditButtons ShowEditButtons() const { return FShowEditButtons; }
  void SetShowEditButtons(TcxGridItemShowEditButtons Value);
  bool Sorting() const { return FSorting; }
  void SetSorting(bool Value) { FSorting = Value; }

protected:
  void Changed();

private:
  TcxCustomGridTableItem* FItem;
  bool FEditing = true;
  bool FFiltering = true;
  bool FFocusing = true;
  bool FGrouping = true;
  bool FIncSearch = true;
  bool FMoving = true;
  TcxGridItemShowEditButtons FShowEditButtons = isebDefault;
  bool FSorting = true;
};

constexpr Integer isContent = 0;

class TcxCustomGridTableItemStyles : public TcxCustomGridStyles {
  RTL_DECLARE_CLASS(TcxCustomGridTableItemStyles, TcxCustomGridStyles)
public:
  using TConstructorArg = TcxCustomGridTableItem*;
  explicit TcxCustomGridTableItemStyles(TcxCustomGridTableItem* AItem);
  void Assign(TPersistent* Source) override;
  // What no style sets comes from the view's record content parameters.
  void GetDefaultVisualParams(Integer AIndex, TObject* AData, TcxViewParams& AParams) override;
  TcxCustomGridView* GetGridView() override;
  TcxCustomGridTableItem* Item() const { return FItem; }
  // OnGetContentStyle first, then Content, then the view's record content parameters.
  void GetContentParams(TcxCustomGridRecord* ARecord, TcxViewParams& AParams);
  TcxStyle* Content() const { return As<TcxStyle>(GetIndexedStyle(isContent)); }
  void SetContent(TcxStyle* Value) { SetIndexedStyle(isContent, Value); }
  TcxGridGetCellStyleEvent OnGetContentStyle() const { return FOnGetContentStyle; }
  void SetOnGetContentStyle(TcxGridGetCellStyleEvent Value) { FOnGetContentStyle = Value; }

private:
  TcxCustomGridTableItem* FItem;
  TcxGridGetCellStyleEvent FOnGetContentStyle;
};

// The base of every item (column) of a record view.
class TcxCustomGridTableItem : public TComponent, public IcxEditRepositoryItemListener {
  RTL_DECLARE_CLASS(TcxCustomGridTableItem, TComponent)
public:
  explicit TcxCustomGridTableItem(TComponent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;
  ~TcxCustomGridTableItem() override;
  void Assign(TPersistent* Source) override;

  RTL_IINTERFACE_METHODS
  // Repository item listener.
  void ItemRemoved(TcxEditRepositoryItem* Sender) override;
  void ItemPropertiesChanged(TcxEditRepositoryItem* Sender) override { PropertiesChanged(); }

  // --- Identity and place.
  TcxCustomGridTableView* GridView() const { return FGridView; }
  TcxGridItemDataBinding* DataBinding() const { return FDataBinding.get(); }
  TcxCustomDataController* DataController() const;
  Integer ID() const { return FID; }
  Integer Index() const { return FIndex; }
  void SetIndex(Integer Value);
  Integer VisibleIndex() const { return FVisibleIndex; }
  TcxCustomGridTableItemOptions* Options() const { return FOptions.get(); }
  void SetOptions(TcxCustomGridTableItemOptions* Value) { FOptions->Assign(Value); }
  TcxCustomGridTableItemStyles* Styles() const { return FStyles.get(); }
  void SetStyles(TcxCustomGridTableItemStyles* Value) { FStyles->Assign(Value); }

  // --- Caption, width, visibility.
  std::string Caption();
  void SetCaption(const std::string& Value);
  bool IsCaptionAssigned() const { return FIsCaptionAssigned; }
  bool IsCaptionStored();
  Integer Width();
  void SetWidth(Integer Value);
  bool IsWidthAssigned() const { return FIsWidthAssigned; }
  Integer MinWidth() const { return FMinWidth; }
  void SetMinWidth(Integer Value);
  // Sets the width while the item counts as the one being forced.
  virtual void ForceWidth(Integer Value);
  bool IsForcingWidth() const { return FForcingWidth; }
  void CheckWidthValue(Integer& AValue);
  virtual bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool WasVisibleBeforeGrouping() const { return FWasVisibleBeforeGrouping; }
  TAlignment HeaderAlignmentHorz() const;
  void SetHeaderAlignmentHorz(TAlignment Value);
  bool IsHeaderAlignmentHorzAssigned() const { return FIsHeaderAlignmentHorzAssigned; }
  TcxAlignmentVert HeaderAlignmentVert() const;
  void SetHeaderAlignmentVert(TcxAlignmentVert Value);
  bool IsHeaderAlignmentVertAssigned() const { return FIsHeaderAlignmentVertAssigned; }

  // --- Sorting and grouping (kept by the data controller).
  Integer GroupIndex() const;
  void SetGroupIndex(Integer Value);
  TcxDataSortOrder SortOrder() const;
  void SetSortOrder(TcxDataSortOrder Value);
  Integer SortIndex() const;
  void SetSortIndex(Integer Value);

  // --- Editor properties.
  TcxCustomEditProperties* Properties() const { return FProperties.get(); }
  void SetProperties(TcxCustomEditProperties* Value);
  TClass PropertiesClass() const { return FPropertiesClass; }
  void SetPropertiesClass(TClass Value);
  std::string PropertiesClassName() const;
  void SetPropertiesClassName(const std::string& Value);
  TcxEditRepositoryItem* RepositoryItem() const { return FRepositoryItem; }
  void SetRepositoryItem(TcxEditRepositoryItem* Value);
  // The properties that show and edit the values: own, repository or default ones.
  TcxCustomEditProperties* PropertiesValue() const { return FPropertiesValue; }
  TcxCustomEditProperties* GetProperties(TcxCustomGridRecord* ARecord = nullptr);

  // --- Focus and values.
  bool Focused() const;
  void SetFocused(bool Value);
  // The in-place editor edits this item.
  bool Editing() const;
  void SetEditing(bool Value);
  void GetEditValue(Variant& AValue);
  void SetEditValue(const Variant& AValue);

  // --- Questions of the controller.
  virtual bool CanAutoHeight();
  virtual bool CanEdit();
  virtual bool CanFilter();
  virtual bool CanFocus();
  virtual bool CanGroup();
  virtual bool CanMoveItem();
  virtual bool CanHorzSize() { return true; }
  virtual bool CanIncSearch();
  virtual bool InitEditing();
  virtual bool CanMove();
  virtual bool CanScroll() { return true; }
  virtual bool CanSort();
  virtual bool GetActuallyVisible() { return FVisible; }
  virtual bool GetFilterable() { return CanFilter(); }
  virtual bool ShowButtons(bool AFocused);
  virtual void DataChanged();
  // The item's stored-property names and their values (Index, Visible, SortOrder,
  // SortIndex); descendants add theirs after these.
  virtual std::vector<std::string> GetStoredProperties();
  virtual bool GetStoredPropertyValue(const std::string& AName, Variant& AValue);
  virtual bool SetStoredPropertyValue(const std::string& AName, const Variant& AValue);
  virtual void RestoreDefaults();
  virtual void ValueTypeClassChanged();

  // --- Events.
  TcxGridGetDisplayTextEvent OnGetDisplayText() const { return FOnGetDisplayText; }
  void SetOnGetDisplayText(TcxGridGetDisplayTextEvent Value) { FOnGetDisplayText = Value; }
  TcxGridGetPropertiesEvent OnGetProperties() const { return FOnGetProperties; }
  void SetOnGetProperties(TcxGridGetPropertiesEvent Value) { FOnGetProperties = Value; }
  TcxGridGetFilterDisplayTextEvent OnGetFilterDisplayText() const { return FOnGetFilterDisplayText; }
  void SetOnGetFilterDisplayText(TcxGridGetFilterDisplayTextEvent Value) { FOnGetFilterDisplayText = Value; }
  virtual void DoGetDisplayText(TcxCustomGridRecord* ARecord, std::string& AText);
  virtual void DoGetFilterDisplayText(const Variant& AValue, std::string& ADisplayText);

  TComponent* GetParentComponent() const override;
  bool HasParent() const override { return true; }
  void SetParentComponent(TComponent* Value) override;
  // An item read from a stored form joins the view it is stored in before its properties
  // are read (its data binding comes from the view).
  void ReadState(TReader* Reader) override;

  // --- Data cells: the laid-out cells of this item register here while they live, and
  // the shared in-place style the cells draw and measure with.
  void RegisterCell(TcxGridTableDataCellViewInfo* ACell) { FCells.push_back(ACell); }
  void UnregisterCell(TcxGridTableDataCellViewInfo* ACell);
  Integer CellCount() const { return static_cast<Integer>(FCells.size()); }
  TcxGridTableDataCellViewInfo* Cells(Integer AIndex) const { return FCells.at(static_cast<size_t>(AIndex)); }
  TcxCustomEditStyle* GetEditStyle();
  // The edit style takes the cell's colour, font and text colour; buttons are hidden
  // unless they show for the cell's focus state.
  void InitStyle(TcxCustomEditStyle* AStyle, const TcxViewParams& AParams, bool AFocused);
  // The height of an in-place editor of the current properties showing Null in AFont,
  // plus 2 when not 0.
  virtual Integer GetDefaultCellHeight(TcxCanvas* ACanvas, TFont* AFont);
  // The cell of this item in the focused record's layout, if laid out.
  TcxGridTableDataCellViewInfo* GetFocusedCellViewInfo();

protected:
  friend class TcxCustomGridTableView;
  friend class TcxCustomGridTableItemOptions;
  friend class TcxGridTableDataCellViewInfo;
  virtual TClass GetOptionsClass() { return TcxCustomGridTableItemOptions::StaticClass(); }
  virtual TClass GetStylesClass() { return TcxCustomGridTableItemStyles::StaticClass(); }
  virtual std::string GetDefaultCaption();
  virtual Integer GetDefaultWidth();
  virtual void CaptionChanged();
  // A layout change, or a size change when ASize.
  virtual void Changed(bool ASize = false);
  virtual void PropertiesChanged();
  virtual TcxCustomEditProperties* DoGetProperties(TcxCustomGridRecord* ARecord);
  virtual void InitProperties(TcxCustomEditProperties* AProperties);
  virtual void SetGridView(TcxCustomGridTableView* Value);
  void SetID(Integer Value) { FID = Value; }
  void SetVisibleIndex(Integer Value) { FVisibleIndex = Value; }
  void setIndexField(Integer Value) { FIndex = Value; }

private:
  void recalculatePropertiesValue();
  void propertiesChangedHandler(TObject*) { PropertiesChanged(); }
  bool isSettingAllowedWhileLoading() const;

  std::string FCaption;
  bool FIsCaptionAssigned = false;
  std::unique_ptr<TcxGridItemDataBinding, TObjectDeleter> FDataBinding;
  TcxCustomGridTableView* FGridView = nullptr;
  TAlignment FHeaderAlignmentHorz = taLeftJustify;
  bool FIsHeaderAlignmentHorzAssigned = false;
  TcxAlignmentVert FHeaderAlignmentVert = vaTop;
  bool FIsHeaderAlignmentVertAssigned = false;
  bool FIsWidthAssigned = false;
  Integer FID = -1;
  bool FForcingWidth = false;
  Integer FIndex = -1;
  TcxEditRepositoryItem* FLastUsedDefaultRepositoryItem = nullptr;
  Integer FMinWidth = 20;
  std::unique_ptr<TcxCustomGridTableItemOptions, TObjectDeleter> FOptions;
  std::unique_ptr<TcxCustomEditProperties, TObjectDeleter> FProperties;
  TClass FPropertiesClass = nullptr;
  TcxCustomEditProperties* FPropertiesValue = nullptr;
  TcxEditRepositoryItem* FRepositoryItem = nullptr;
  std::unique_ptr<TcxCustomGridTableItemStyles, TObjectDeleter> FStyles;
  bool FVisible = false;
  Integer FVisibleIndex = -1;
  bool FWasVisibleBeforeGrouping = false;
  Integer FWidth = 0;
  bool FDestroying = false;
  TcxGridGetDisplayTextEvent FOnGetDisplayText;
  TcxGridGetPropertiesEvent FOnGetProperties;
  TcxGridGetFilterDisplayTextEvent FOnGetFilterDisplayText;
  std::vector<TcxGridTableDataCellViewInfo*> FCells;
  std::unique_ptr<TcxCustomEditStyle, TObjectDeleter> FEditStyle;
};

// ---------------------------------------------------------------------------------------
// Records and view data.

// One row of the data controller as the view shows it.
class TcxCustomGridRecord : public TObject {
  RTL_DECLARE_CLASS(TcxCustomGridRecord, TObject)
public:
  struct TConstructorArgs {
    TcxCustomGridTableViewData* ViewData;
    Integer Index;
    TcxRowInfo RowInfo;
  };
  using TConstructorArg = const TConstructorArgs*;
  explicit TcxCustomGridRecord(const TConstructorArgs* AArgs);

  TcxCustomGridTableViewData* ViewData() const { return FViewData; }
  TcxCustomGridTableView* GridView() const;
  TcxCustomGridTableController* Controller() const;
  TcxCustomDataController* DataController() const;
  // The row index; -1 for the new-item record.
  Integer Index() const { return FIndex; }
  Integer RecordIndex() const { return FRowInfo.RecordIndex; }
  Integer Level() const { return FRowInfo.Level; }
  bool IsData() const;
  bool IsNewItemRecord() const;
  bool Focused() const;
  void SetFocused(bool Value);
  bool IsFirst() const { return FIndex == 0; }
  bool IsLast() const;
  // Re-reads the row information of Index (kept for the new-item record).
  void RefreshRecordInfo();

  virtual void DoCollapse(bool ARecursive) = 0;
  virtual void DoExpand(bool ARecursive) = 0;
  virtual bool Expandable() { return false; }
  virtual bool Expanded() { return false; }
  virtual bool DrawFocused();
  virtual bool DrawSelected();
  virtual bool HasCells() { return false; }
  virtual bool CanFocus() { return true; }
  virtual TcxCustomGridRecord* ParentRecord();
  virtual bool Selected();
  virtual void SetSelected(bool Value);
  virtual std::string GetDisplayText(Integer AItemIndex);
  virtual Integer ValueCount();
  virtual Variant GetValue(Integer AItemIndex);
  // Asks the view to redraw the record (AItem null) or one of its cells.
  virtual void Invalidate(TcxCustomGridTableItem* AItem = nullptr);
  void Collapse(bool ARecursive);
  void Expand(bool ARecursive);
  // A group-like record keeps the character after a handled key.
  virtual bool IsGroupKind() { return false; }
  // The keys that belong to the record (expanding, collapsing, starting editing); the
  // controller runs them before its own handling.
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);

  // --- Layout: the class of the record's layout object (null: the record is not laid
  // out) and the layout object that currently shows it.
  virtual TClass GetViewInfoClass() { return nullptr; }
  TcxCustomGridRecordViewInfo* ViewInfo() const { return FViewInfo; }
  void SetViewInfo(TcxCustomGridRecordViewInfo* Value) { FViewInfo = Value; }

private:
  friend class TcxCustomGridTableViewData;
  bool FCharSkip = false;
  TcxCustomGridRecordViewInfo* FViewInfo = nullptr;
  TcxCustomGridTableViewData* FViewData;
  Integer FIndex;
  TcxRowInfo FRowInfo;
};

// The records of a view: one per row, made when first asked for, plus the new-item record.
class TcxCustomGridTableViewData : public TcxCustomGridViewData {
  RTL_DECLARE_CLASS(TcxCustomGridTableViewData, TcxCustomGridViewData)
public:
  explicit TcxCustomGridTableViewData(TcxCustomGridView* AGridView);
  void BeforeDestruction() override;
  ~TcxCustomGridTableViewData() override;

  TcxCustomGridTableView* GridView() const;
  Integer RecordCount() const { return static_cast<Integer>(FRecords.size()); }
  // The record of a row (made on first use); range-checked.
  TcxCustomGridRecord* Records(Integer AIndex);
  // Null when the row does not exist.
  TcxCustomGridRecord* GetRecordByIndex(Integer AIndex);
  TcxCustomGridRecord* GetRecordByRecordIndex(Integer ARecordIndex);
  TcxCustomGridRecord* GetRecordByKind(Integer AIndex);
  bool HasRecord(Integer AIndex) const;
  // Frees every record and sizes the list to ACount rows.
  virtual void Refresh(Integer ACount);
  // Every existing record re-reads its row information.
  void RefreshRecords();
  // The new-item record exists while the data controller has the new-item row enabled.
  TcxCustomGridRecord* NewItemRecord() const { return FNewItemRecord.get(); }
  bool HasNewItemRecord() const { return FNewItemRecord != nullptr; }
  void CheckNewItemRecord();
  // The record being edited is refreshed from the data controller.
  void RefreshEditingRecord();

  virtual TClass GetRecordClass(const TcxRowInfo& ARowInfo) = 0;
  virtual TClass GetNewItemRecordClass() { return nullptr; }

private:
  void releaseLayouts();
  TcxCustomGridRecord* createRecord(Integer AIndex, const TcxRowInfo& ARowInfo, TClass AClass);
  std::vector<std::unique_ptr<TcxCustomGridRecord, TObjectDeleter>> FRecords;
  std::unique_ptr<TcxCustomGridRecord, TObjectDeleter> FNewItemRecord;
};

// ---------------------------------------------------------------------------------------
// The table controller and its editing controller.

class TcxGridEditingController;

// Texts of the deletion question.
extern const TResStringRec scxGridDeletingConfirmationCaption;
extern const TResStringRec scxGridDeletingFocusedConfirmationText;
extern const TResStringRec scxGridDeletingSelectedConfirmationText;

// Scroll and pull directions of the controller's timers.
enum class TcxGridDirection { None, Left, Right, Up, Down };

// Runs the in-place editor of a record view: which item is edited, which cached editor edits
// it, when its value reaches the data and when it is hidden.
class TcxGridEditingController : public TObject {
  RTL_DECLARE_CLASS(TcxGridEditingController, TObject)
public:
  using TConstructorArg = TcxCustomGridTableController*;
  explicit TcxGridEditingController(TcxCustomGridTableController* AController);
  ~TcxGridEditingController() override;

  TcxCustomGridTableController* Controller() const { return FController; }
  TcxCustomGridTableView* GridView() const;
  TcxCustomEdit* Edit() const { return FEdit; }
  TcxInplaceEditList* EditList() const { return FEditList.get(); }
  bool IsEditing() const { return FEditingItem != nullptr; }
  TcxCustomGridTableItem* EditingItem() const { return FEditingItem; }
  void SetEditingItem(TcxCustomGridTableItem* Value);
  // The editing item's properties for the focused record; null while nothing is edited.
  TcxCustomEditProperties* EditingProperties();
  bool IsErrorOnExit() const { return FErrorOnExit; }
  bool EditPlaced() const { return FEditPlaced; }
  bool UpdateNeeded() const { return FUpdateNeeded; }
  bool IsEditingTimerRunning() const { return FEditingTimer != nullptr; }

  virtual void HideUnplacedEditor();
  virtual void BeforeLayoutCalculate() { FEditPlaced = false; }
  virtual bool IsEditorUnfocused();
  virtual bool HideEditOnExit() { return true; }
  virtual bool NeedsHideEditOnRecordChange();
  virtual void InitEdit();
  virtual bool PrepareEdit(TcxCustomGridTableItem* AItem, bool AOnMouseEvent);
  virtual void EditAfterKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  virtual void EditChanged(TObject* Sender);
  virtual void EditEditing(TObject* Sender, bool& CanEdit);
  virtual void EditExit(TObject* Sender);
  virtual void EditFocusChanged(TObject* Sender);
  virtual void EditKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  virtual void EditPostEditValue(TObject* Sender);
  virtual void EditValueChanged(TObject* Sender);
  // Hides the editor; with AAccept its value is validated and written into the record
  // first (an invalid value raises the silent abort and keeps the editor).
  virtual void HideEdit(bool AAccept);
  virtual void RemoveEdit(TcxCustomEditProperties* AProperties);

  // Opens the editor on AItem (null: the focused item).
  void ShowEdit(TcxCustomGridTableItem* AItem = nullptr);
  void StartEditingByKey(TcxCustomGridTableItem* AItem, char AKey);
  void StartEditingByMouse(TcxCustomGridTableItem* AItem, TShiftState AShift, Integer X, Integer Y);
  // Starts editing AItem after the double-click time, unless stopped first.
  void StartEditingTimer(TcxCustomGridTableItem* AItem);
  void StopEditingTimer();
  void UpdateEditValue();
  void UpdateValue();
  // A cell laid out the editing item: the editor follows its bounds.
  void UpdateEditPosition(const TRect& ACellEditBounds);
  void UpdateEdit();

private:
  friend class TcxCustomGridTableController;
  void editingTimerHandler(TObject* Sender);
  // The editor draws with the content parameters of the cell it edits.
  void applyEditStyle();
  TcxCustomGridTableController* FController;
  TcxCustomEdit* FEdit = nullptr;
  TObjectPtr<TcxInplaceEditList> FEditList;
  TcxCustomGridTableItem* FEditingItem = nullptr;
  TcxCustomEditData* FEditData = nullptr;
  bool FHiding = false;
  bool FUpdateNeeded = false;
  bool FEditingItemSetting = false;
  bool FPreparing = false;
  bool FInitiatingEditing = false;
  bool FEditPlaced = false;
  bool FErrorOnExit = false;
  TRect FCellEditBounds{0, 0, 0, 0};
  TNotifyEvent FSavedChange;
  TNotifyEvent FSavedValueChanged;
  TObjectPtr<TTimer> FEditingTimer;
  TcxCustomGridTableItem* FTimerItem = nullptr;
};

// The controller of a record view: focused item and record, top record, keyboard map,
// record selection, incremental search, navigation, insertion and deletion, drag scrolling,
// pull focusing, and when the in-place editor shows.
class TcxCustomGridTableController : public TcxCustomGridController {
  RTL_DECLARE_CLASS(TcxCustomGridTableController, TcxCustomGridController)
public:
  explicit TcxCustomGridTableController(TcxCustomGridView* AGridView);
  void AfterConstruction() override;
  ~TcxCustomGridTableController() override;
  TcxCustomGridTableView* GridView() const;
  TcxCustomGridTableViewData* ViewData() const;
  TcxGridEditingController* EditingController() const { return FEditingController.get(); }

  // --- Focus.
  TcxCustomGridTableItem* FocusedItem() const { return FFocusedItem; }
  void SetFocusedItem(TcxCustomGridTableItem* Value);
  // From visible index AFocusedItemIndex (-1: the start); True when an item took the focus.
  bool FocusNextItem(Integer AFocusedItemIndex, bool AGoForward, bool AGoToNextRecordOnCycle, bool ACycle = false);
  bool FocusFirstAvailableItem();
  // The item being forced to a width (best fit), if any.
  TcxCustomGridTableItem* ForcingWidthItem() const { return FForcingWidthItem; }
  void SetForcingWidthItem(TcxCustomGridTableItem* Value) { FForcingWidthItem = Value; }
  // The record of the data controller's focused row (or the new-item record).
  TcxCustomGridRecord* FocusedRecord() { return GetFocusedRecord(); }
  void SetFocusedRecord(TcxCustomGridRecord* Value) { DoSetFocusedRecord(Value); }
  Integer FocusedRecordIndex();
  void SetFocusedRecordIndex(Integer Value);
  Integer FocusedRowIndex();
  TcxCustomGridRecord* DragHighlightedRecord() const { return FDragHighlightedRecord; }
  void SetDragHighlightedRecord(TcxCustomGridRecord* Value);
  // Called when an item leaves the view.
  void ItemRemoved(TcxCustomGridTableItem* AItem);
  bool AllowFocusCheck() const { return FAllowFocusCheck; }

  // --- Questions.
  virtual bool CanAppend(bool ACheckOptions);
  virtual bool CanDelete(bool ACheckOptions);
  virtual bool CanEdit();
  virtual bool CanInsert(bool ACheckOptions);
  virtual bool IsNewRecordCancelledOnExit();
  virtual bool CanMultiSelect(bool AFocusedViewOnly = false);
  virtual bool IsKeyForController(Word AKey, TShiftState AShift);
  bool IsStart();
  bool IsEnd();

  // --- Top record and scrolling.
  // The first row the layout shows (-1 without rows). A new value is first kept within
  // the last possible top (CheckTopRecordIndex: the last page stays full); a change
  // scrolls the laid-out records when the layout can, else lays the view out anew.
  Integer TopRecordIndex();
  void SetTopRecordIndex(Integer Value);
  virtual void CheckTopRecordIndex(Integer& AValue);
  // After the sizes changed: the top record is applied again, so that it stays within
  // what the new layout allows.
  virtual void CheckCoordinates();
  virtual Integer GetMaxTopRecordIndex();
  // The records shown from AFirstRow on, going down (or up) from it.
  virtual Integer GetPageRecordCount(Integer AFirstRow, bool ADownward = true);
  // The records shown now from the top record on.
  virtual Integer VisibleRecordCount();
  Integer LastVisibleRecordIndex();
  virtual Integer GetScrollBarOffsetBegin();
  virtual Integer GetScrollBarOffsetEnd();
  virtual Integer GetScrollBarPos();
  virtual Integer GetScrollBarRecordCount();
  virtual void SetScrollBarPos(Integer Value);
  virtual void MakeRecordVisible(TcxCustomGridRecord* ARecord);
  void MakeFocusedRecordVisible();
  virtual void MakeItemVisible(TcxCustomGridTableItem* AItem) {}
  virtual void ScrollPage(bool AForward);
  virtual void ScrollRecords(bool AForward, Integer ACount);
  virtual void ScrollPageDown();
  virtual void ScrollPageUp();
  virtual bool IsRecordsScrollHorizontal() { return false; }

  // --- Keyboard.
  void KeyDown(Word& Key, TShiftState Shift) override;
  void DoKeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  // Before the site answers the dialog manager, its wanted keys follow FocusCellOnTab.
  void WndProc(TMessage& Message) override;
  // The editor forwards a key: the focused record does not see it.
  void KeyDownFromEditor(Word& Key, TShiftState Shift);
  bool IsKeyFromEditor() const { return FKeyFromEditor; }

  // --- Record navigation.
  using TRecordTest = std::function<bool(Integer)>;
  static Integer FindNextCyclic(Integer AFrom, Integer ACount, bool AForward, bool ACycle, const TRecordTest& ATest,
                                bool& AWrapped);
  virtual Integer FindNextRecord(Integer AFromRow, bool AForward, bool& AWrapped, bool ACycle = false);
  virtual Integer FindNextItem(Integer AFromVisibleIndex, bool AForward, bool& AWrapped, bool ACycle = false);
  bool FocusNextRecord(Integer AFromRow, bool AForward, bool AIntoDetails = false, bool AToEnd = false);
  bool FocusNextRecordWithSelection(Integer AFromRow, bool AForward, bool ASelect, bool AIntoDetails = false,
                                    bool AToEnd = false);
  bool FocusRecordWithSelection(Integer ARow, bool ASelect);
  bool GoToFirst(bool ASelect = true);
  bool GoToLast(bool ASelect = true);
  bool GoToNext(bool ASelect = true);
  bool GoToPrev(bool ASelect = true);
  virtual void GoToNextPage(bool ASelect);
  virtual void GoToPrevPage(bool ASelect);
  bool FocusNextCell(bool AForward, bool ARecordChangeForbidden = false);

  // --- Selection.
  Integer SelectedRecordCount();
  TcxCustomGridRecord* SelectedRecords(Integer AIndex);
  void ChangeRecordSelection(TcxCustomGridRecord* ARecord, bool AValue);
  void ToggleFocusedRecordSelection();
  void SelectFocusedRecord();
  virtual bool IsRecordSelectionHit(TcxCustomGridHitTest* AHitTest);
  virtual bool IsKeyForMultiSelect(Word AKey, TShiftState AShift, bool AFocusedRecordChanged);
  virtual void DoKeySelection(Word AKey, TShiftState AShift);
  virtual void DoMouseDownSelection(TcxCustomGridHitTest* AHitTest, TShiftState AShift);
  virtual void DoMouseUpSelection(TcxCustomGridHitTest* AHitTest, TShiftState AShift);
  virtual void ClearDeferredSelection() { FDeferredSelection = false; }
  bool HasDeferredSelection() const { return FDeferredSelection; }
  virtual void InvalidateFocusedRecord();
  virtual void InvalidateSelection();

  // --- Incremental search.
  virtual TcxCustomGridTableItem* GetIncSearchingItem();
  TcxCustomGridTableItem* IncSearchingItem();
  std::string IncSearchingText();
  bool IsIncSearching();
  void CancelIncSearching();
  void SetIncSearchingText(const std::string& Value);
  virtual bool ProcessIncSearchKey(Word& Key, TShiftState Shift);

  // --- Records.
  virtual void CreateNewRecord(bool AAppend);
  virtual void DeleteSelection();

  // --- Editor.
  virtual void RefreshEditor();
  void PostRefreshEditor() { FEditorRefreshPending = true; }
  void CancelEditorRefresh() { FEditorRefreshPending = false; }
  bool IsEditorRefreshPending() const { return FEditorRefreshPending; }
  void SetAllowEditorRefresh(bool Value) { FAllowEditorRefresh = Value; }
  virtual TClass GetEditingControllerClass();

  // --- Focus, paint and mouse hooks.
  void AfterPaint() override;
  void BeforePaint() override;
  void BeforeKillFocus() override;
  void DetailFocused(TcxCustomGridView* ADetailView) override;
  void DoEnter() override;
  void DoExit() override;
  bool MayFocus() override;
  void FocusLost() override;
  void FocusGained() override;
  void ControlFocusChanged() override;
  void CancelMouseOperations() override;
  bool HasFocusedChild() override;
  void BeginDragAndDrop() override;
  void EndDragAndDrop(bool Accepted) override;
  void BeforeStartDrag() override;
  bool CanBeginStandardDrag(Integer X, Integer Y) override;
  void DragDrop(TObject* Source, Integer X, Integer Y) override;
  void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) override;
  void EndDrag(TObject* Target, Integer X, Integer Y) override;
  void StartDrag(TDragObject*& DragObject) override;
  virtual TcxGridDirection GetDragScrollDirection(Integer X, Integer Y);
  // While a direction is set, a timer makes one drag-scroll step per tick.
  TcxGridDirection DragScrollDirection() const { return FDragScrollDirection; }
  void SetDragScrollDirection(TcxGridDirection Value);
  bool IsDragScrollTimerRunning() const { return FDragScrollTimer != nullptr; }
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool IsPullFocusing() const { return FPullFocusing; }
  // The layout is about to be (was) calculated.
  virtual void BeforeLayoutCalculate();
  virtual void LayoutCalculated();
  // The edit bounds of the focused cell when it shows AItem and is laid out.
  bool GetFocusedCellEditBounds(TcxCustomGridTableItem* AItem, TRect& ABounds);
  // In grid mode the records layout asks for the data set's buffer to be sized to what it
  // shows; the check runs once the current message is done.
  void PostGridModeBufferCountCheck();

protected:
  virtual TcxCustomGridRecord* GetFocusedRecord();
  virtual void DoSetFocusedRecord(TcxCustomGridRecord* Value);
  virtual void FocusedItemChanged(TcxCustomGridTableItem* APrevFocusedItem);
  virtual bool GetPullFocusingScrollingDirection(Integer X, Integer Y, TcxGridDirection& ADirection);
  // The record under a site point; null outside the records.
  virtual TcxCustomGridRecord* GetRecordAt(Integer X, Integer Y);
  void StopPullFocusing();
  // The drag-scroll timer's interval and what one of its ticks does.
  virtual UINT DragScrollInterval() { return 20; }
  virtual void DragScrollStep();

private:
  friend class TcxGridEditingController;
  void pullFocusingTimerHandler(TObject* Sender);
  void dragScrollTimerHandler(TObject* Sender);
  void focusClickedCell(TcxCustomGridHitTest* AHitTest, TMouseButton AButton);
  TcxCustomGridTableItem* FMouseDownItem = nullptr;
  bool FMouseDownCellWasFocused = false;
  void gridModeTimerHandler(TObject* Sender);
  TObjectPtr<TTimer> FGridModeTimer;
  TcxGridDirection FDragScrollDirection = TcxGridDirection::None;
  TObjectPtr<TTimer> FDragScrollTimer;
  void unselectFocusedOnExit();
  TObjectPtr<TcxGridEditingController> FEditingController;
  TcxCustomGridTableItem* FFocusedItem = nullptr;
  TcxCustomGridTableItem* FForcingWidthItem = nullptr;
  TcxCustomGridRecord* FDragHighlightedRecord = nullptr;
  Integer FTopRecordIndex = -1;
  bool FAllowEditorRefresh = true;
  bool FAllowFocusCheck = true;
  bool FKeyFromEditor = false;
  bool FEditorRefreshPending = false;
  bool FCheckingTopRecordIndex = false;
  bool FSkipSpaceChar = false;
  bool FDeferredSelection = false;
  Integer FDeferredSelectionRow = -1;
  bool FPullFocusing = false;
  TPoint FLastMousePoint{0, 0};
  TcxGridDirection FPullFocusingDirection = TcxGridDirection::None;
  TObjectPtr<TTimer> FPullFocusingTimer;
  // The incremental search of this view: the item searched and the text typed so far.
  TcxCustomGridTableItem* FIncSearchingItem = nullptr;
  std::string FIncSearchingText;
};

// The base of the record views' in-site drag-and-drop operations: typed access to the
// table controller, the view and its layout.
class TcxCustomGridTableDragAndDropObject : public TcxCustomGridDragAndDropObject {
  RTL_DECLARE_CLASS(TcxCustomGridTableDragAndDropObject, TcxCustomGridDragAndDropObject)
public:
  using TcxCustomGridDragAndDropObject::TcxCustomGridDragAndDropObject;
  TcxCustomGridTableController* Controller() const;
  TcxCustomGridTableView* GridView() const;
  TcxCustomGridTableViewInfo* ViewInfo() const;
};

// ---------------------------------------------------------------------------------------
// The view.

class TcxCustomGridTableView : public TcxCustomGridView {
  RTL_DECLARE_CLASS(TcxCustomGridTableView, TcxCustomGridView)
public:
  explicit TcxCustomGridTableView(TComponent* AOwner) : TcxCustomGridView(AOwner) {}
  void BeforeDestruction() override;

  TcxCustomGridTableController* Controller() const;
  TcxCustomGridTableViewData* ViewData() const;
  TcxCustomGridTableFiltering* Filtering() const { return FFiltering.get(); }
  void SetFiltering(TcxCustomGridTableFiltering* Value) { FFiltering->Assign(Value); }
  TcxCustomGridTableOptionsBehavior* OptionsBehavior() const { return FOptionsBehavior.get(); }
  void SetOptionsBehavior(TcxCustomGridTableOptionsBehavior* Value) { FOptionsBehavior->Assign(Value); }
  TcxCustomGridTableOptionsCustomize* OptionsCustomize() const { return FOptionsCustomize.get(); }
  void SetOptionsCustomize(TcxCustomGridTableOptionsCustomize* Value) { FOptionsCustomize->Assign(Value); }
  TcxCustomGridTableOptionsData* OptionsData() const { return FOptionsData.get(); }
  void SetOptionsData(TcxCustomGridTableOptionsData* Value) { FOptionsData->Assign(Value); }
  TcxCustomGridTableOptionsSelection* OptionsSelection() const;
  TcxCustomGridTableOptionsView* OptionsView() const;
  TcxCustomGridTableViewStyles* Styles() const;
  TcxCustomGridTableBackgroundBitmaps* BackgroundBitmaps() const;

  // --- Items.
  TcxCustomGridTableItem* CreateItem();
  void ClearItems();
  virtual void AddItem(TcxCustomGridTableItem* AItem);
  virtual void RemoveItem(TcxCustomGridTableItem* AItem);
  virtual void ChangeItemIndex(TcxCustomGridTableItem* AItem, Integer AIndex);
  virtual void ItemVisibilityChanged(TcxCustomGridTableItem* AItem, bool AVisible);
  virtual void RefreshVisibleItemsList();
  void RefreshFilterableItemsList();
  Integer ItemCount() const { return static_cast<Integer>(FItems.size()); }
  TcxCustomGridTableItem* Items(Integer AIndex) const { return FItems.at(static_cast<size_t>(AIndex)); }
  Integer VisibleItemCount() const { return static_cast<Integer>(FVisibleItems.size()); }
  TcxCustomGridTableItem* VisibleItems(Integer AIndex) const { return FVisibleItems.at(static_cast<size_t>(AIndex)); }
  Integer FilterableItemCount() const { return static_cast<Integer>(FFilterableItems.size()); }
  TcxCustomGridTableItem* FilterableItems(Integer AIndex) const {
    return FFilterableItems.at(static_cast<size_t>(AIndex));
  }
  Integer IndexOfItem(TcxCustomGridTableItem* AItem) const;
  TcxCustomGridTableItem* FindItemByID(Integer AID) const;
  // An exact (case-sensitive) comparison with the component name.
  TcxCustomGridTableItem* FindItemByName(const std::string& AName) const;
  Integer GroupedItemCount() const;
  TcxCustomGridTableItem* GroupedItems(Integer AIndex) const;
  Integer NextItemID() const { return FNextID; }

  // --- Classes.
  TClass GetControllerClass() override { return TcxCustomGridTableController::StaticClass(); }
  TClass GetPainterClass() override { return TcxCustomGridPainter::StaticClass(); }
  TClass GetViewInfoClass() override { return TcxCustomGridViewInfo::StaticClass(); }
  TClass GetBackgroundBitmapsClass() override { return TcxCustomGridTableBackgroundBitmaps::StaticClass(); }
  TClass GetOptionsSelectionClass() override { return TcxCustomGridTableOptionsSelection::StaticClass(); }
  TClass GetOptionsViewClass() override { return TcxCustomGridTableOptionsView::StaticClass(); }
  TClass GetStylesClass() override { return TcxCustomGridTableViewStyles::StaticClass(); }
  virtual TClass GetFilteringClass() { return TcxCustomGridTableFiltering::StaticClass(); }
  virtual TClass GetOptionsBehaviorClass() { return TcxCustomGridTableOptionsBehavior::StaticClass(); }
  virtual TClass GetOptionsCustomizeClass() { return TcxCustomGridTableOptionsCustomize::StaticClass(); }
  virtual TClass GetOptionsDataClass() { return TcxCustomGridTableOptionsData::StaticClass(); }
  virtual TClass GetItemClass() = 0;
  virtual TClass GetItemDataBindingClass();
  // The summary classes of the view's data controller; null leaves the controller's own.
  virtual TClass GetSummaryGroupItemLinkClass() { return nullptr; }
  virtual TClass GetSummaryItemClass() { return nullptr; }

  // --- Data controller notifications.
  void DataControllerNotify(TcxUpdateControlInfo* AInfo) override;
  virtual void DataChanged();
  virtual void LayoutChanged();
  virtual void RecordCountChanged();
  virtual void FocusedRecordChanged(Integer APrevFocusedRowIndex, Integer AFocusedRowIndex,
                                    bool ANewItemRecordFocusingChanged);
  virtual void RecordChanged(Integer ARecordIndex);
  virtual void SearchChanged();
  virtual void SelectionChanged(TcxSelectionChangedInfo* AInfo);
  virtual void DoItemValueTypeClassChanged(Integer AItemIndex);

  // --- Drawing questions.
  virtual bool DrawRecordActive(TcxCustomGridRecord* ARecord);
  virtual bool DrawRecordFocused(TcxCustomGridRecord* ARecord);
  virtual bool DrawRecordSelected(TcxCustomGridRecord* ARecord);

  // --- Event wrappers.
  virtual bool DoCanSelectRecord(Integer ARecordIndex);
  virtual bool DoEditing(TcxCustomGridTableItem* AItem);
  virtual void DoFocusedItemChanged(TcxCustomGridTableItem* APrevFocusedItem, TcxCustomGridTableItem* AFocusedItem);
  virtual void DoEditChanged(TcxCustomGridTableItem* AItem);
  virtual void DoEditValueChanged(TcxCustomGridTableItem* AItem);
  virtual void DoInitEdit(TcxCustomGridTableItem* AItem, TcxCustomEdit* AEdit);
  virtual void DoTopRecordIndexChanged();
  virtual void DoGetDisplayText(TcxCustomGridRecord* ARecord, Integer AItemIndex, std::string& AText);
  virtual Integer GetDefaultActiveDetailIndex();
  virtual void RestoreDefaults();

  TcxGridCanSelectRecordEvent OnCanSelectRecord;
  TcxGridEditingEvent OnEditing;
  TcxGridFocusedItemChangedEvent OnFocusedItemChanged;
  TcxGridFocusedRecordChangedEvent OnFocusedRecordChanged;
  TcxGridCustomTableViewEvent OnSelectionChanged;
  TcxGridCustomTableItemEvent OnEditChanged;
  TcxGridCustomTableItemEvent OnEditValueChanged;
  TcxGridCustomTableViewEvent OnTopRecordIndexChanged;
  TcxGridInitEditEvent OnInitEdit;

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void SetName(const std::string& NewName) override;

protected:
  void CreateOptions() override;
  void DestroyOptions() override;
  void DestroyHandlers() override;
  void DoAssign(TcxCustomGridView* ASource) override;

private:
  void renumberItems();
  void releaseItemID(Integer AID);
  std::vector<TcxCustomGridTableItem*> FItems;
  std::vector<TcxCustomGridTableItem*> FVisibleItems;
  std::vector<TcxCustomGridTableItem*> FFilterableItems;
  Integer FNextID = 0;
  std::unique_ptr<TcxCustomGridTableFiltering, TObjectDeleter> FFiltering;
  std::unique_ptr<TcxCustomGridTableOptionsBehavior, TObjectDeleter> FOptionsBehavior;
  std::unique_ptr<TcxCustomGridTableOptionsCustomize, TObjectDeleter> FOptionsCustomize;
  std::unique_ptr<TcxCustomGridTableOptionsData, TObjectDeleter> FOptionsData;
};

// =======================================================================================
// Layout of record views: the view layout with its navigator site, the cache of record
// heights, the records area with one layout object per visible record, the cells inside a
// record, and the painters that draw them.

class TcxCustomGridRecordsViewInfo;

// Per row: the record's height from its last calculation, while assigned.
class TcxCustomGridTableViewInfoCacheItem : public TcxCustomGridViewInfoCacheItem {
  RTL_DECLARE_CLASS(TcxCustomGridTableViewInfoCacheItem, TcxCustomGridViewInfoCacheItem)
public:
  using TcxCustomGridViewInfoCacheItem::TcxCustomGridViewInfoCacheItem;
  void UnassignValues(bool AMasterUnchanged) override { IsHeightAssigned = false; }
  Integer Height() const { return FHeight; }
  void SetHeight(Integer Value) {
    FHeight = Value;
    IsHeightAssigned = true;
  }
  bool IsHeightAssigned = false;

private:
  Integer FHeight = 0;
};

class TcxCustomGridTableViewInfoCache : public TcxCustomGridViewInfoCache {
  RTL_DECLARE_CLASS(TcxCustomGridTableViewInfoCache, TcxCustomGridViewInfoCache)
public:
  using TcxCustomGridViewInfoCache::TcxCustomGridViewInfoCache;
  TClass GetItemClass() override { return TcxCustomGridTableViewInfoCacheItem::StaticClass(); }
};

// The cell left of the horizontal scroll bar that hosts the navigator bar. The bar itself
// is not part of this program yet: its width is 0, so a shown site is the offset alone.
class TcxNavigatorSiteViewInfo : public TcxCustomGridViewCellViewInfo {
  RTL_DECLARE_CLASS(TcxNavigatorSiteViewInfo, TcxCustomGridViewCellViewInfo)
public:
  using TConstructorArg = TcxCustomGridViewInfo*;
  using TcxCustomGridViewCellViewInfo::TcxCustomGridViewCellViewInfo;
  TcxCustomGridTableViewInfo* TableViewInfo() const;
  Integer CalculateHeight() override { return 0; }
  Integer CalculateWidth() override;
  TColor GetBorderColor(TcxBorder) override { return clNone; }
  Integer GetBorderWidth(TcxBorder) override { return 0; }
  TClass GetHitTestClass() override { return TcxGridNavigatorHitTest::StaticClass(); }
  TClass GetPainterClass() override;
  bool GetVisible() override;
  bool IsHotTrackEnabled() override { return true; }
  void GetViewParams(TcxViewParams& AParams) override;
};

class TcxNavigatorSitePainter : public TcxCustomGridCellPainter {
  RTL_DECLARE_CLASS(TcxNavigatorSitePainter, TcxCustomGridCellPainter)
public:
  using TcxCustomGridCellPainter::TcxCustomGridCellPainter;

protected:
  bool ExcludeFromClipRect() override { return true; }
};

// The layout object of a record view: the records area and the navigator site.
class TcxCustomGridTableViewInfo : public TcxCustomGridViewInfo {
  RTL_DECLARE_CLASS(TcxCustomGridTableViewInfo, TcxCustomGridViewInfo)
public:
  using TcxCustomGridViewInfo::TcxCustomGridViewInfo;

  TcxCustomGridTableView* GridView() const;
  TcxCustomGridTableController* Controller() const;
  TcxCustomGridTableViewData* ViewData() const;
  TcxCustomGridRecordsViewInfo* RecordsViewInfo() const { return FRecordsViewInfo.get(); }
  TcxNavigatorSiteViewInfo* NavigatorSiteViewInfo() const { return FNavigatorSiteViewInfo.get(); }
  Integer NavigatorWidth() const { return FNavigatorWidth; }
  Integer NavigatorHeight() const { return FNavigatorHeight; }
  Integer ExpandButtonIndent() const { return FExpandButtonIndent; }
  Integer ExpandButtonAreaWidth() const { return FExpandButtonAreaWidth; }
  // The record index the layout starts from: the override when set, else the
  // controller's top record index.
  Integer GetTopRecordIndex();
  Integer TopRecordIndexOverride() const { return FTopRecordIndexOverride; }
  void SetTopRecordIndexOverride(Integer Value) { FTopRecordIndexOverride = Value; }
  bool IsRecordsVisible() const { return FRecordsVisible; }
  void SetRecordsVisible(bool Value) { FRecordsVisible = Value; }
  bool IsDirectionNormal() const { return FDirectionNormal; }
  void SetDirectionNormal(bool Value) { FDirectionNormal = Value; }
  // Internal use, or a top record override is set.
  bool IsInternalState();

  virtual void GetNavigatorBarBounds(TRect& R);
  virtual void ResetFocusedCell();
  virtual Integer GetNavigatorOffset();
  virtual void GetNavigatorSiteBounds(TRect& R);
  virtual TClass GetNavigatorSiteViewInfoClass() { return TcxNavigatorSiteViewInfo::StaticClass(); }
  virtual TClass GetRecordsViewInfoClass() = 0;
  virtual void GetRecordsBounds(TRect& R) { R = ClientBounds(); }
  virtual void ScrollRecords(Integer ADistance);
  virtual void OffsetRecords(Integer DX, Integer DY);
  virtual void CalculateExpandButtonParams();
  virtual bool IsRecordsAreaVisible() { return FRecordsVisible && !IsInternalState(); }
  virtual bool CanScroll(Integer ADistance, Integer DX, Integer DY) { return true; }
  virtual bool CanScrollRecordsBy(Integer ADistance);
  virtual void Scroll(Integer ADistance, Integer DX, Integer DY);

  void CreateViewInfos() override;
  void DestroyViewInfos(bool AIsRecreating) override;
  void BeforeCalculate() override;
  void DoCalculate() override;
  void AfterCalculate() override;
  void AdjustHScrollBarBounds(TRect& R) override;
  void ControlFocusChanged() override;
  virtual void VisibilityChanged(bool AVisible);
  TcxCustomGridHitTest* GetHitTest(const TPoint& P) override;

private:
  TObjectPtr<TcxNavigatorSiteViewInfo> FNavigatorSiteViewInfo;
  TObjectPtr<TcxCustomGridRecordsViewInfo> FRecordsViewInfo;
  Integer FNavigatorWidth = 0;
  Integer FNavigatorHeight = 0;
  Integer FExpandButtonIndent = 3;
  Integer FExpandButtonAreaWidth = 0;
  Integer FTopRecordIndexOverride = -1;
  bool FRecordsVisible = true;
  bool FDirectionNormal = true;
};

// Paints a record view: the navigator site, then the records; scrolls the records region.
class TcxCustomGridTablePainter : public TcxCustomGridPainter {
  RTL_DECLARE_CLASS(TcxCustomGridTablePainter, TcxCustomGridPainter)
public:
  using TcxCustomGridPainter::TcxCustomGridPainter;
  TcxCustomGridTableViewInfo* ViewInfo() const;

  virtual bool CanScrollRecordsRegion();
  virtual void DrawNavigator();
  virtual void DrawRecords();
  virtual void ScrollRecordsRegionBy(Integer ADistance) { GridView()->ViewChanged(); }
  virtual void ScrollRecordsRegionByPixels(Integer DX, Integer DY) { GridView()->ViewChanged(); }
  // Moves the records' pixels when it may, else repaints the view.
  void ScrollRecordsRegion(Integer ADistance, Integer DX, Integer DY);

protected:
  void DrawBackground() override;
  void PaintContent() override;
};

// The records that are visible, one layout object per visible position.
class TcxCustomGridRecordsViewInfo : public TObject {
  RTL_DECLARE_CLASS(TcxCustomGridRecordsViewInfo, TObject)
public:
  using TConstructorArg = TcxCustomGridTableViewInfo*;
  explicit TcxCustomGridRecordsViewInfo(TcxCustomGridTableViewInfo* AGridViewInfo);
  void BeforeDestruction() override;
  TcxCustomGridRecordsViewInfo(const TcxCustomGridRecordsViewInfo&) = delete;
  TcxCustomGridRecordsViewInfo& operator=(const TcxCustomGridRecordsViewInfo&) = delete;

  TcxCustomGridTableViewInfo* GridViewInfo() const { return FGridViewInfo; }
  TcxCustomGridTableView* GridView() const { return FGridViewInfo->GridView(); }
  TcxCustomGridTableController* Controller() const { return FGridViewInfo->Controller(); }
  TcxCustomGridTableViewData* ViewData() const { return FGridViewInfo->ViewData(); }
  TRect Bounds() const { return FBounds; }
  TBitmap* BackgroundBitmap() const { return FBackgroundBitmap; }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  // The layout at a position (null when it has no record).
  TcxCustomGridRecordViewInfo* Items(Integer AIndex) const { return FItems.at(static_cast<size_t>(AIndex)); }
  Integer VisibleCount() const { return FVisibleCount; }
  Integer ScrollPixels() const { return FScrollPixels; }
  Integer TopRecordIndex() const { return FGridViewInfo->GetTopRecordIndex(); }
  bool IsDirectionNormal() const { return FGridViewInfo->IsDirectionNormal(); }
  Integer GetRecordIndex(Integer APosition);
  Integer GetPosition(Integer ARecordIndex);
  Integer GetAvailableRecordCount();
  // The layout at APosition; made for its record when the position is at or past the end.
  TcxCustomGridRecordViewInfo* GetItem(Integer APosition);

  virtual void AfterCalculate();
  virtual void BeforeCalculate();
  virtual void ResetLayoutState();
  virtual void ResetFocusedCell() { FFocusedCellKnown = false; }
  virtual void CalculateBounds();
  virtual TRect GetBounds() { return FGridViewInfo->ClientBounds(); }
  virtual TcxGridTableDataCellViewInfo* GetFocusedCell();
  virtual void CalculateVisibleCount() {}
  virtual bool GetAutoRecordHeight();
  virtual bool IsCellAutoHeight();
  virtual TBitmap* GetBackgroundBitmap();
  virtual Integer GetRecordLeft(Integer APosition) = 0;
  virtual Integer GetScrollPixels(Integer ADistance) = 0;
  virtual Integer GetRecordTop(Integer APosition) = 0;
  virtual void OffsetRecord(Integer APosition, Integer APixels) = 0;
  virtual void ControlFocusChanged();
  virtual void VisibilityChanged(bool AVisible);
  virtual TClass GetPainterClass();
  virtual bool CanScrollBy(Integer ADistance);
  virtual TcxCustomGridHitTest* GetHitTest(const TPoint& P);
  virtual TcxCustomGridRecordViewInfo* GetRecordViewInfo(TcxCustomGridRecord* ARecord, Integer ARecordIndex);
  virtual void Calculate();
  virtual void Scroll(Integer ADistance);
  virtual void Offset(Integer DX, Integer DY);
  // Frees every record layout (their records are about to go).
  void Clear() {
    truncateItems(0);
    FVisibleCount = 0;
    FFocusedCellKnown = false;
  }

protected:
  // Shortens the list to ACount, freeing the layouts that go.
  void truncateItems(Integer ACount);
  void calculateItemAt(Integer APosition);
  Integer FVisibleCount = 0;
  TRect FBounds{0, 0, 0, 0};

private:
  TcxCustomGridRecordViewInfo* createItem(Integer APosition);
  TcxCustomGridTableViewInfo* FGridViewInfo;
  TBitmap* FBackgroundBitmap = nullptr;
  std::vector<TcxCustomGridRecordViewInfo*> FItems;
  TcxGridTableDataCellViewInfo* FFocusedCell = nullptr;
  bool FFocusedCellKnown = false;
  Integer FScrollPixels = 0;
};

// Paints every calculated record layout in position order.
class TcxCustomGridRecordsPainter : public TObject {
  RTL_DECLARE_CLASS(TcxCustomGridRecordsPainter, TObject)
public:
  struct TArgs {
    TcxCanvas* Canvas;
    TcxCustomGridRecordsViewInfo* ViewInfo;
  };
  using TConstructorArg = const TArgs*;
  explicit TcxCustomGridRecordsPainter(const TArgs* AArgs) : FCanvas(AArgs->Canvas), FViewInfo(AArgs->ViewInfo) {}
  TcxCustomGridRecordsPainter(const TcxCustomGridRecordsPainter&) = delete;
  TcxCustomGridRecordsPainter& operator=(const TcxCustomGridRecordsPainter&) = delete;
  TcxCanvas* Canvas() const { return FCanvas; }
  TcxCustomGridRecordsViewInfo* ViewInfo() const { return FViewInfo; }
  virtual void Paint();

private:
  TcxCanvas* FCanvas;
  TcxCustomGridRecordsViewInfo* FViewInfo;
};

// The layout of one record.
class TcxCustomGridRecordViewInfo : public TcxCustomGridViewCellViewInfo {
  RTL_DECLARE_CLASS(TcxCustomGridRecordViewInfo, TcxCustomGridViewCellViewInfo)
public:
  struct TArgs {
    TcxCustomGridRecordsViewInfo* RecordsViewInfo;
    TcxCustomGridRecord* Record;
  };
  using TConstructorArg = const TArgs*;
  explicit TcxCustomGridRecordViewInfo(const TArgs* AArgs);
  void BeforeDestruction() override;

  TcxCustomGridRecordsViewInfo* RecordsViewInfo() const { return FRecordsViewInfo; }
  TcxCustomGridTableViewInfo* GridViewInfo() const { return FRecordsViewInfo->GridViewInfo(); }
  TcxCustomGridTableView* GridView() const { return FRecordsViewInfo->GridView(); }
  TcxCustomGridRecord* GridRecord() const { return FRecord; }
  bool IsShared() const { return FShared; }
  bool Expanded();
  bool Selected();
  TRect ExpandButtonBounds{0, 0, 0, 0};
  // The record's height cache entry (made on demand).
  TcxCustomGridTableViewInfoCacheItem* CacheItem();
  Integer Position();

  virtual void CalculateExpandButtonBounds(TRect& R);
  virtual bool IsSelected();
  virtual void ControlFocusChanged() {}
  virtual bool IsAutoHeight() { return false; }
  virtual TRect GetBackgroundBitmapBounds() { return Bounds; }
  virtual bool HasCellBackgroundBitmap(TcxGridTableCellViewInfo* ACell) { return HasBackgroundBitmap(); }
  virtual TRect GetFocusRectBounds() { return Bounds; }
  virtual bool GetHideFocusRect();
  virtual bool GetInvertSelect();
  virtual bool IsRecordHitTest(TcxCustomGridHitTest* AHitTest);
  virtual void VisibilityChanged(bool AVisible) {}
  virtual void GetCellBounds(TcxCustomGridTableItem* AItem, TRect& R) { R = TRect{0, 0, 0, 0}; }
  virtual Integer GetCellCount() { return 0; }
  virtual TcxGridTableDataCellViewInfo* GetCellViewInfoByItem(TcxCustomGridTableItem* AItem) { return nullptr; }
  virtual void CalculateAt(Integer ALeft, Integer ATop);
  virtual bool HasExpandButton() { return FRecord->Expandable(); }
  // What to redraw for the record (AItem null) or for one item's cell.
  virtual void GetBoundsForInvalidate(TcxCustomGridTableItem* AItem, TRect& R);

  Integer GetHeight() override;
  TBitmap* GetBackgroundBitmap() override { return FRecordsViewInfo->BackgroundBitmap(); }
  TColor GetBorderColor(TcxBorder) override { return clNone; }
  Integer GetBorderWidth(TcxBorder) override { return 0; }
  TClass GetHitTestClass() override { return TcxGridRecordHitTest::StaticClass(); }
  TClass GetPainterClass() override;
  bool GetVisible() override;
  void InitHitTest(TcxCustomGridHitTest* AHitTest) override;
  TcxCustomGridHitTest* GetHitTest(const TPoint& P) override;
  bool MouseDown(TcxCustomGridHitTest* AHitTest, TMouseButton AButton, TShiftState AShift) override;
  void InvalidateParams() override;

private:
  TcxCustomGridRecordsViewInfo* FRecordsViewInfo;
  TcxCustomGridRecord* FRecord;
  bool FShared;
  bool FExpandedKnown = false;
  bool FExpanded = false;
  bool FSelectedKnown = false;
  bool FSelected = false;
};

class TcxCustomGridRecordPainter : public TcxCustomGridCellPainter {
  RTL_DECLARE_CLASS(TcxCustomGridRecordPainter, TcxCustomGridCellPainter)
public:
  using TcxCustomGridCellPainter::TcxCustomGridCellPainter;
  TcxCustomGridRecordViewInfo* RecordViewInfo() const { return static_cast<TcxCustomGridRecordViewInfo*>(ViewInfo()); }

protected:
  void BeforePaint() override;
  void DrawContent() override {}
  void DrawBorders() override {}
  void AfterPaint() override;
  virtual void DrawFocusRect();
};

// A cell inside a record.
class TcxGridTableCellViewInfo : public TcxCustomGridViewCellViewInfo {
  RTL_DECLARE_CLASS(TcxGridTableCellViewInfo, TcxCustomGridViewCellViewInfo)
public:
  using TConstructorArg = TcxCustomGridRecordViewInfo*;
  explicit TcxGridTableCellViewInfo(TcxCustomGridRecordViewInfo* ARecordViewInfo);
  TcxCustomGridRecordViewInfo* RecordViewInfo() const { return FRecordViewInfo; }
  TcxCustomGridRecord* GridRecord() const { return FRecordViewInfo->GridRecord(); }
  TcxCustomGridTableView* GridView() const { return FRecordViewInfo->GridView(); }

  virtual bool GetSelected();
  virtual bool AlwaysSelected() { return false; }
  virtual bool IsDataCell() { return false; }

  TClass GetHitTestClass() override { return TcxGridRecordHitTest::StaticClass(); }
  void InitHitTest(TcxCustomGridHitTest* AHitTest) override;
  bool HasBackgroundBitmap() override { return FRecordViewInfo->HasCellBackgroundBitmap(this); }
  TBitmap* GetBackgroundBitmap() override { return FRecordViewInfo->GetBackgroundBitmap(); }
  void Calculate(Integer ALeft, Integer ATop, Integer AWidth = -1, Integer AHeight = -1) override;
  bool MouseDown(TcxCustomGridHitTest* AHitTest, TMouseButton AButton, TShiftState AShift) override;

private:
  TcxCustomGridRecordViewInfo* FRecordViewInfo;
  bool FSelectedKnown = false;
  bool FSelected = false;
};

// The cell of one item in one record: shows the value through the item's editor kind.
class TcxGridTableDataCellViewInfo : public TcxGridTableCellViewInfo {
  RTL_DECLARE_CLASS(TcxGridTableDataCellViewInfo, TcxGridTableCellViewInfo)
public:
  struct TArgs {
    TcxCustomGridRecordViewInfo* RecordViewInfo;
    TcxCustomGridTableItem* Item;
  };
  using TConstructorArg = const TArgs*;
  explicit TcxGridTableDataCellViewInfo(const TArgs* AArgs);
  void BeforeDestruction() override;

  TcxCustomGridTableItem* Item() const { return FItem; }
  // The item forgets the cell (the item is going away).
  void ItemDestroyed() { FItem = nullptr; }
  TcxCustomEditProperties* Properties() const { return FProperties; }
  TcxCustomEditViewInfo* EditViewInfo() const { return FEditViewInfo.get(); }
  Variant Value();

  virtual void CalculateEditViewInfo(TcxCustomEditViewInfo* AEditViewInfo, const TPoint& AMousePoint);
  virtual bool IsHotTrackable();
  virtual bool UseRecordHotTrack() { return false; }
  virtual void GetDisplayValue(Variant& AValue) { AValue = Value(); }
  virtual void GetEditBounds(TRect& R) { R = GetContentBounds(); }
  virtual void GetEditContentOffsets(TRect& R) { R = TRect{1, 1, 1, 1}; }
  virtual Integer GetMaxLineCount();
  virtual bool IsFocusedCellForSelection();
  virtual bool IsFocusedCell();
  virtual void InvalidateCell(bool ARecalculate);

  bool IsDataCell() override { return true; }
  Integer CalculateHeight() override;
  Integer CalculateWidth() override { return 0; }
  TColor GetBorderColor(TcxBorder) override { return clNone; }
  Integer GetBorderWidth(TcxBorder) override { return 0; }
  TClass GetHitTestClass() override { return TcxGridRecordCellHitTest::StaticClass(); }
  void InitHitTest(TcxCustomGridHitTest* AHitTest) override;
  TClass GetPainterClass() override;
  void GetViewParams(TcxViewParams& AParams) override;
  bool HasCustomDraw() override;
  bool CustomDraw(TcxCanvas* ACanvas) override;
  void SaveParams(TcxViewParams& AParams) override;
  void RestoreParams(const TcxViewParams& AParams) override;
  bool IsMouseSensitive() override { return IsHotTrackable(); }
  bool InvalidateOnStateChange() override { return false; }
  void StateChanged() override;
  void AfterCalculateBounds(TRect& R) override;
  void Offset(Integer DX, Integer DY) override;
  bool MouseMove(TcxCustomGridHitTest* AHitTest, TShiftState AShift) override;
  void MouseLeave() override;
  bool HasHint() override { return true; }
  bool NeedsHint(const TPoint& P, std::string& AText, TRect& ATextBounds, bool& AMultiLine) override;

private:
  TcxCustomEditViewData* createEditViewData(const TcxViewParams& AParams);
  void checkEditViewInfoChanged(const TPoint& AMousePoint);
  TcxCustomGridTableItem* FItem;
  TcxCustomEditProperties* FProperties = nullptr;
  TObjectPtr<TcxCustomEditViewInfo> FEditViewInfo;
};

// Draws a data cell: its background bitmap, the editor's painting of the value, then the
// focus frame of the focused cell.
class TcxGridTableDataCellPainter : public TcxCustomGridCellPainter {
  RTL_DECLARE_CLASS(TcxGridTableDataCellPainter, TcxCustomGridCellPainter)
public:
  using TcxCustomGridCellPainter::TcxCustomGridCellPainter;
  TcxGridTableDataCellViewInfo* CellViewInfo() const { return static_cast<TcxGridTableDataCellViewInfo*>(ViewInfo()); }

protected:
  void DrawContent() override;
  void AfterPaint() override;
  virtual void DrawFocusRect();
};

namespace cxGridCustomTableViewUnit {
void Initialize();
void Finalize();
}  // namespace cxGridCustomTableViewUnit
