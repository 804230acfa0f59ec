#include "cx/grid/cxGridCustomTableView.h"

#include <algorithm>

#include "cx/data/cxFilter.h"
#include "cx/foundation/cxControls.h"
#include "cx/grid/cxGridLevel.h"
#include "cx/editors/cxTextEdit.h"
#include "cx/editors/extra/cxEditRepositoryItems.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/Scoped.h"

namespace {

TcxCustomGridTableView* tableView(TcxCustomGridView* AView) { return dynamic_cast<TcxCustomGridTableView*>(AView); }

}  // namespace

GridHourglassLock::GridHourglassLock() { cxShowHourglass(); }
GridHourglassLock::~GridHourglassLock() { cxHideHourglass(); }

// =======================================================================================
// Grid changes of record views.

void TcxGridDataChange::Execute() {
  if (TcxCustomGridTableView* view = tableView(GridView())) view->RecordCountChanged();
}

// A record shown in the view is laid out again and its bounds (or its item's cell) are
// redrawn. The record is looked up again: it may have gone while the change waited.
void TcxGridRecordChange::Execute() {
  TcxCustomGridTableView* view = tableView(GridView());
  if (!view || !view->IsVisible()) return;
  TcxCustomGridTableViewData* viewData = view->ViewData();
  TcxCustomGridRecord* record = viewData->NewItemRecord() == FRecord ? FRecord : viewData->GetRecordByRecordIndex(FRecordIndex);
  if (!record || record != FRecord) return;
  TcxCustomGridRecordViewInfo* layout = record->ViewInfo();
  if (!layout) return;
  if (FItem && (FItem->GridView() != view || !FItem->GetActuallyVisible())) return;
  layout->Recalculate();
  TRect bounds;
  layout->GetBoundsForInvalidate(FItem, bounds);
  if (TcxControl* site = layout->GetControl()) site->InvalidateArea(bounds, false);
}

bool TcxGridRecordChange::IsCompatibleWith(TcxCustomGridChange* ALaterChange) {
  auto* later = dynamic_cast<TcxCustomGridViewChange*>(ALaterChange);
  if (!later || later->GridView() != GridView()) return false;
  return dynamic_cast<TcxGridLayoutChange*>(later) || dynamic_cast<TcxGridSizeChange*>(later) ||
         dynamic_cast<TcxGridDataChange*>(later);
}

bool TcxGridRecordChange::IsEqual(TcxCustomGridChange* AChange) {
  auto* other = dynamic_cast<TcxGridRecordChange*>(AChange);
  return other && other->ClassType() == ClassType() && other->GridView() == GridView() &&
         other->FRecord == FRecord && other->FRecordIndex == FRecordIndex && other->FItem == FItem;
}

void TcxGridFocusedRecordChange::Execute() {
  TcxCustomGridTableView* view = tableView(GridView());
  if (!view || !view->IsVisible()) return;
  TcxCustomGridTableViewData* viewData = view->ViewData();
  if (TcxCustomGridRecord* record = viewData->GetRecordByIndex(FPrevFocusedRowIndex)) record->Invalidate();
  if (TcxCustomGridRecord* record = viewData->GetRecordByIndex(FFocusedRowIndex)) record->Invalidate();
  if (FNewItemRecordFocusingChanged && viewData->HasNewItemRecord()) viewData->NewItemRecord()->Invalidate();
}

// =======================================================================================
// Options.

void TcxCustomGridTableFiltering::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxCustomGridTableFiltering*>(Source)) {
    SetCustomizeDialog(source->CustomizeDialog());
    SetDropDownWidth(source->DropDownWidth());
    SetMaxDropDownCount(source->MaxDropDownCount());
    SetVisible(source->Visible());
  }
  inherited::Assign(Source);
}

void TcxCustomGridTableFiltering::SetCustomizeDialog(bool Value) {
  if (FCustomizeDialog == Value) return;
  FCustomizeDialog = Value;
  Changed();
}

void TcxCustomGridTableFiltering::SetVisible(TcxGridTableFilterVisible Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  Changed();
}

Integer TcxCustomGridTableFiltering::GetDropDownCount(Integer ACount) const {
  return FMaxDropDownCount != 0 && ACount >= FMaxDropDownCount ? FMaxDropDownCount : ACount;
}

void TcxCustomGridTableOptionsBehavior::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxCustomGridTableOptionsBehavior*>(Source)) {
    SetAlwaysShowEditor(source->AlwaysShowEditor());
    SetCellHints(source->CellHints());
    SetDragFocusing(source->DragFocusing());
    SetDragHighlighting(source->DragHighlighting());
    SetDragOpening(source->DragOpening());
    SetDragScrolling(source->DragScrolling());
    SetFocusCellOnTab(source->FocusCellOnTab());
    SetFocusFirstCellOnNewRecord(source->FocusFirstCellOnNewRecord());
    SetGoToNextCellOnEnter(source->GoToNextCellOnEnter());
    SetImmediateEditor(source->ImmediateEditor());
    SetIncSearch(source->IncSearch());
    SetIncSearchItem(source->IncSearchItem());
    SetNavigatorHints(source->NavigatorHints());
    SetBestFitMaxRecordCount(source->BestFitMaxRecordCount());
    SetExpandMasterRowOnDblClick(source->ExpandMasterRowOnDblClick());
    SetFocusCellOnCycle(source->FocusCellOnCycle());
    SetPullFocusing(source->PullFocusing());
  }
  inherited::Assign(Source);
}

void TcxCustomGridTableOptionsBehavior::SetFocusCellOnTab(bool Value) { FFocusCellOnTab = Value; }

void TcxCustomGridTableOptionsCustomize::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxCustomGridTableOptionsCustomize*>(Source)) {
    SetItemGrouping(source->ItemGrouping());
    SetItemMoving(source->ItemMoving());
    SetItemSorting(source->ItemSorting());
  }
  inherited::Assign(Source);
}

void TcxCustomGridTableOptionsData::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxCustomGridTableOptionsData*>(Source)) {
    SetAppending(source->Appending());
    SetCancelOnExit(source->CancelOnExit());
    SetDeleting(source->Deleting());
    SetDeletingConfirmation(source->DeletingConfirmation());
    SetEditing(source->Editing());
    SetInserting(source->Inserting());
  }
  inherited::Assign(Source);
}

void TcxCustomGridTableOptionsData::SetDeleting(bool Value) { FDeleting = Value; }
// Switching editing off ends a running in-place edit; the typed value is written into the
// record first so that the user's input is not lost.
void TcxCustomGridTableOptionsData::SetEditing(bool Value) {
  if (FEditing == Value) return;
  FEditing = Value;
  if (Value) return;
  TcxCustomGridTableView* view = tableView(GridView());
  if (!view || !view->Controller() || !view->Controller()->EditingController()) return;
  view->Controller()->EditingController()->HideEdit(true);
}
void TcxCustomGridTableOptionsData::SetInserting(bool Value) { FInserting = Value; }

void TcxCustomGridTableOptionsSelection::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxCustomGridTableOptionsSelection*>(Source)) {
    SetCellSelect(source->CellSelect());
    SetHideFocusRect(source->HideFocusRect());
    SetHideSelection(source->HideSelection());
    SetInvertSelect(source->InvertSelect());
    SetMultiSelect(source->MultiSelect());
    SetUnselectFocusedRecordOnExit(source->UnselectFocusedRecordOnExit());
  }
  inherited::Assign(Source);
}

void TcxCustomGridTableOptionsSelection::SetCellSelect(bool Value) {
  if (FCellSelect == Value) return;
  FCellSelect = Value;
  TcxCustomGridTableView* view = tableView(GridView());
  if (!view || !view->Controller()) return;
  if (Value)
    view->Controller()->FocusFirstAvailableItem();
  else
    view->Controller()->SetFocusedItem(nullptr);
}

void TcxCustomGridTableOptionsSelection::SetHideFocusRect(bool Value) {
  if (FHideFocusRect == Value) return;
  FHideFocusRect = Value;
  Changed();
}

void TcxCustomGridTableOptionsSelection::SetHideSelection(bool Value) {
  if (FHideSelection == Value) return;
  FHideSelection = Value;
  Changed();
}

void TcxCustomGridTableOptionsSelection::SetInvertSelect(bool Value) {
  if (FInvertSelect == Value) return;
  FInvertSelect = Value;
  Changed();
}

bool TcxCustomGridTableOptionsSelection::MultiSelect() const {
  TcxCustomDataController* dataController = GridView()->DataController();
  return dataController && dataController->MultiSelect();
}

void TcxCustomGridTableOptionsSelection::SetMultiSelect(bool Value) {
  if (TcxCustomDataController* dataController = GridView()->DataController()) dataController->SetMultiSelect(Value);
}

void TcxCustomGridTableOptionsView::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxCustomGridTableOptionsView*>(Source)) {
    SetCellAutoHeight(source->CellAutoHeight());
    SetCellEndEllipsis(source->CellEndEllipsis());
    SetCellTextMaxLineCount(source->CellTextMaxLineCount());
    SetHeaderAutoHeight(source->HeaderAutoHeight());
    SetHeaderEndEllipsis(source->HeaderEndEllipsis());
    SetNavigator(source->Navigator());
    SetNavigatorOffset(source->NavigatorOffset());
    SetShowEditButtons(source->ShowEditButtons());
  }
  inherited::Assign(Source);
}

void TcxCustomGridTableOptionsView::SizeChanged() { GridView()->SizeChanged(); }

void TcxCustomGridTableOptionsView::SetCellAutoHeight(bool Value) {
  if (FCellAutoHeight == Value) return;
  FCellAutoHeight = Value;
  SizeChanged();
}

void TcxCustomGridTableOptionsView::SetCellEndEllipsis(bool Value) {
  if (FCellEndEllipsis == Value) return;
  FCellEndEllipsis = Value;
  Changed();
}

void TcxCustomGridTableOptionsView::SetCellTextMaxLineCount(Integer Value) {
  if (Value < 0) Value = 0;
  if (FCellTextMaxLineCount == Value) return;
  FCellTextMaxLineCount = Value;
  SizeChanged();
}

void TcxCustomGridTableOptionsView::SetHeaderAutoHeight(bool Value) {
  if (FHeaderAutoHeight == Value) return;
  FHeaderAutoHeight = Value;
  SizeChanged();
}

void TcxCustomGridTableOptionsView::SetHeaderEndEllipsis(bool Value) {
  if (FHeaderEndEllipsis == Value) return;
  FHeaderEndEllipsis = Value;
  Changed();
}

void TcxCustomGridTableOptionsView::SetNavigator(bool Value) {
  if (FNavigator == Value) return;
  FNavigator = Value;
  SizeChanged();
}

void TcxCustomGridTableOptionsView::SetNavigatorOffset(Integer Value) {
  if (Value < 0) Value = 0;
  if (FNavigatorOffset == Value) return;
  FNavigatorOffset = Value;
  SizeChanged();
}

void TcxCustomGridTableOptionsView::SetShowEditButtons(TcxGridShowEditButtons Value) {
  if (FShowEditButtons == Value) return;
  FShowEditButtons = Value;
  Changed();
}

// ---------------------------------------------------------------------------------------
// Styles.

void TcxCustomGridTableViewStyles::Assign(TPersistent* Source) {
  inherited::Assign(Source);
  if (auto* source = dynamic_cast<TcxCustomGridTableViewStyles*>(Source)) {
    for (Integer index = vsContent; index <= vsSelection; ++index)
      SetIndexedStyle(index, source->GetIndexedStyle(index));
    FOnGetContentStyle = source->FOnGetContentStyle;
  }
}

void TcxCustomGridTableViewStyles::GetDefaultVisualParams(Integer AIndex, TObject* AData, TcxViewParams& AParams) {
  inherited::GetDefaultVisualParams(AIndex, AData, AParams);
  TcxCustomLookAndFeelPainterClass painter = GetLookAndFeelPainter();
  auto* record = dynamic_cast<TcxCustomGridRecord*>(AData);
  switch (AIndex) {
    case vsContent:
      AParams.Color = painter->GetContentColor();
      AParams.TextColor = painter->GetContentTextColor();
      break;
    case vsContentEven:
    case vsContentOdd:
      GetVisualParams(vsContent, AData, nullptr, AParams);
      break;
    case vsInactive:
      GetRecordContentParams(record, nullptr, AParams);
      AParams.Color = painter->GetInactiveColor();
      AParams.TextColor = painter->GetInactiveTextColor();
      break;
    case vsIncSearch:
      AParams.Color = clDefault;
      AParams.TextColor = clDefault;
      break;
    case vsSelection:
      GetRecordContentParams(record, nullptr, AParams);
      AParams.Color = painter->GetSelectionColor();
      AParams.TextColor = painter->GetSelectionTextColor();
      break;
    default:
      break;
  }
}

void TcxCustomGridTableViewStyles::GetRecordContentParams(TcxCustomGridRecord* ARecord, TcxCustomGridTableItem* AItem,
                                                          TcxViewParams& AParams) {
  TcxStyle* style = nullptr;
  if (FOnGetContentStyle && ARecord) FOnGetContentStyle(tableView(GetGridView()), ARecord, AItem, style);
  Integer index = vsContent;
  if (ARecord) {
    // Parity counts rows from 0: row 0 is even.
    Integer parityIndex = ARecord->Index() % 2 == 0 ? vsContentEven : vsContentOdd;
    if (GetIndexedStyle(parityIndex)) index = parityIndex;
  }
  GetVisualParams(index, ARecord, style, AParams);
}

void TcxCustomGridTableViewStyles::GetContentParams(TcxCustomGridRecord* ARecord, TcxCustomGridTableItem* AItem,
                                                    TcxViewParams& AParams) {
  if (AItem)
    AItem->Styles()->GetContentParams(ARecord, AParams);
  else
    GetRecordContentParams(ARecord, nullptr, AParams);
}

void TcxCustomGridTableBackgroundBitmaps::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxCustomGridTableBackgroundBitmaps*>(Source)) SetContent(source->Content());
  inherited::Assign(Source);
}

Integer TcxCustomGridTableBackgroundBitmaps::GetBitmapStyleIndex(Integer AIndex) {
  return AIndex == bbContent ? vsContent : inherited::GetBitmapStyleIndex(AIndex);
}

// =======================================================================================
// The grid data controller.

namespace {

// The link defaults for controllers that offer no link.
class DefaultGridLink : public IcxGridDataControllerLink {
public:
  void SyncGridModeBufferCount() override {}
  bool ScrollRecordsHook(bool) override { return false; }
  bool ScrollPageHook(bool) override { return false; }
  TClass GetItemDataBindingClass() override { return nullptr; }
  TClass GetDefaultValuesProviderClass() override { return TcxGridDefaultValuesProvider::StaticClass(); }
  bool IsBOF() override { return false; }
  bool IsEOF() override { return false; }
  bool GetStoredPropertyValue(const std::string&, Variant&) override { return false; }
  Integer GetScrollBarPos() override { return -1; }
  Integer GetScrollBarRecordCount() override { return -1; }
  bool SetStoredPropertyValue(const std::string&, const Variant&) override { return false; }
  bool SetScrollBarPosHook(Integer) override { return false; }
};

}  // namespace

IcxGridDataControllerLink* cxGridDataControllerLink(TcxCustomDataController* ADataController) {
  return dynamic_cast<IcxGridDataControllerLink*>(ADataController);
}

TcxCustomGridTableView* GridViewAnswers::View(TcxCustomDataController* ADataController) {
  return tableView(dynamic_cast<TcxCustomGridView*>(ADataController->Owner()));
}

TObject* GridViewAnswers::Item(TcxCustomDataController* ADataController, Integer AItemIndex) {
  return View(ADataController)->Items(AItemIndex);
}

Integer GridViewAnswers::ItemID(TObject* AItem) {
  auto* item = dynamic_cast<TcxCustomGridTableItem*>(AItem);
  return item ? item->ID() : -1;
}

bool GridViewAnswers::CanSelectRecord(TcxCustomDataController* ADataController, Integer ARecordIndex) {
  TcxCustomGridTableView* view = View(ADataController);
  return !view || view->DoCanSelectRecord(ARecordIndex);
}

void GridViewAnswers::ValueTypeClassChanged(TcxCustomDataController* ADataController, Integer AItemIndex) {
  if (TcxCustomGridTableView* view = View(ADataController)) view->DoItemValueTypeClassChanged(AItemIndex);
}

std::string GridViewAnswers::ItemDisplayName(TcxCustomDataController* ADataController, Integer AItemIndex) {
  return View(ADataController)->Items(AItemIndex)->Caption();
}

bool GridViewAnswers::ItemSortByDisplayText(TcxCustomDataController* ADataController, Integer AItemIndex) {
  TcxCustomGridTableItem* item = View(ADataController)->Items(AItemIndex);
  TcxCustomEditProperties* properties = item->GetProperties();
  return (properties && (properties->GetCapabilities() & esoSortingByDisplayText) != 0) ||
         static_cast<bool>(item->OnGetDisplayText());
}

TcxDataEditValueSource GridViewAnswers::EditValueSource(TcxCustomDataController* ADataController, Integer AItemIndex) {
  TcxCustomGridTableView* view = View(ADataController);
  if (!view || AItemIndex < 0 || AItemIndex >= view->ItemCount()) return TcxDataEditValueSource::Text;
  TcxCustomEditProperties* properties = view->Items(AItemIndex)->GetProperties();
  if (!properties) return TcxDataEditValueSource::Text;
  return static_cast<TcxDataEditValueSource>(properties->GetEditValueKind(true));
}

bool GridViewAnswers::DisplayText(TcxCustomDataController* ADataController, Integer ARecordIndex, Integer AItemIndex,
                                  std::string& S) {
  TcxCustomGridTableView* view = View(ADataController);
  if (!view || AItemIndex < 0 || AItemIndex >= view->ItemCount()) return false;
  TcxCustomEditProperties* properties = view->Items(AItemIndex)->GetProperties();
  if (!properties || properties->GetEditValueKind(false) != evsValue) return false;
  Variant value;
  ADataController->GetValue(ARecordIndex, AItemIndex, value);
  properties->GetDisplayText(value, S);
  return true;
}

bool GridViewAnswers::IsBOF(TcxCustomDataController* ADataController) {
  return ADataController->GetFocusedRowIndex() <= 0;
}

bool GridViewAnswers::IsEOF(TcxCustomDataController* ADataController) {
  Integer row = ADataController->GetFocusedRowIndex();
  return row < 0 || row >= ADataController->GetRowCount() - 1;
}

void GridViewAnswers::UpdateEditorValue(TcxCustomDataController* ADataController) {
  TcxCustomGridTableView* view = View(ADataController);
  if (view && view->Controller() && view->Controller()->EditingController())
    view->Controller()->EditingController()->UpdateValue();
}

TClass GridViewAnswers::SummaryItemClass(TcxCustomDataController* ADataController, TClass AFallback) {
  TcxCustomGridTableView* view = View(ADataController);
  TClass result = view ? view->GetSummaryItemClass() : nullptr;
  return result ? result : AFallback;
}

TClass GridViewAnswers::SummaryGroupItemLinkClass(TcxCustomDataController* ADataController, TClass AFallback) {
  TcxCustomGridTableView* view = View(ADataController);
  TClass result = view ? view->GetSummaryGroupItemLinkClass() : nullptr;
  return result ? result : AFallback;
}

void TcxGridDataController::UpdateEditorValue() { GridViewAnswers::UpdateEditorValue(this); }

TcxCustomGridTableView* TcxGridDataController::GridView() const {
  return GridViewAnswers::View(const_cast<TcxGridDataController*>(this));
}

TClass TcxGridDataController::GetItemDataBindingClass() { return TcxGridItemDataBinding::StaticClass(); }

TClass TcxGridDataController::GetSummaryItemClass() {
  return GridViewAnswers::SummaryItemClass(this, inherited::GetSummaryItemClass());
}

TClass TcxGridDataController::GetSummaryGroupItemLinkClass() {
  return GridViewAnswers::SummaryGroupItemLinkClass(this, inherited::GetSummaryGroupItemLinkClass());
}
TClass TcxGridDataController::GetDefaultValuesProviderClass() { return TcxGridDefaultValuesProvider::StaticClass(); }
bool TcxGridDataController::IsBOF() { return GridViewAnswers::IsBOF(this); }
bool TcxGridDataController::IsEOF() { return GridViewAnswers::IsEOF(this); }
TObject* TcxGridDataController::GetItem(Integer AItemIndex) { return GridViewAnswers::Item(this, AItemIndex); }
Integer TcxGridDataController::GetItemID(TObject* AItem) { return GridViewAnswers::ItemID(AItem); }

bool TcxGridDataController::CanSelectRecord(Integer ARecordIndex) {
  return GridViewAnswers::CanSelectRecord(this, ARecordIndex);
}

void TcxGridDataController::DoValueTypeClassChanged(Integer AItemIndex) {
  inherited::DoValueTypeClassChanged(AItemIndex);
  GridViewAnswers::ValueTypeClassChanged(this, AItemIndex);
}

void TcxGridDataController::GetItemDisplayName(Integer AItemIndex, std::string& S) {
  S = GridViewAnswers::ItemDisplayName(this, AItemIndex);
}

bool TcxGridDataController::GetItemSortByDisplayText(Integer AItemIndex, bool) {
  return GridViewAnswers::ItemSortByDisplayText(this, AItemIndex);
}

TcxDataEditValueSource TcxGridDataController::CanInitEditingItem(Integer AItemIndex) {
  return GridViewAnswers::EditValueSource(this, AItemIndex);
}

void TcxGridDataController::GetDisplayText(Integer ARecordIndex, Integer AItemIndex, std::string& S) {
  if (!GridViewAnswers::DisplayText(this, ARecordIndex, AItemIndex, S))
    inherited::GetDisplayText(ARecordIndex, AItemIndex, S);
}

// ---------------------------------------------------------------------------------------
// The item data binding.

TcxGridItemDataBinding* TcxGridDefaultValuesProvider::DataBinding() const {
  return dynamic_cast<TcxGridItemDataBinding*>(OwnerPersistent());
}

bool TcxGridDefaultValuesProvider::HasDisplayFormat(bool AIsCurrencyValueAccepted) {
  TcxGridItemDataBinding* binding = DataBinding();
  if (!binding) return false;
  return static_cast<bool>(binding->Item()->OnGetDisplayText());
}

TcxGridItemDataBinding::TcxGridItemDataBinding(TcxCustomGridTableItem* AItem) : FItem(AItem) {}

void TcxGridItemDataBinding::AfterConstruction() {
  inherited::AfterConstruction();
  IcxGridDataControllerLink* link = cxGridDataControllerLink(DataController());
  DefaultGridLink defaults;
  TClass providerClass = (link ? link : &defaults)->GetDefaultValuesProviderClass();
  if (providerClass)
    FDefaultValuesProvider.reset(
        As<TcxCustomEditDefaultValuesProvider>(providerClass->CreateInstance(static_cast<TPersistent*>(this))));
}

TcxGridItemDataBinding::~TcxGridItemDataBinding() = default;

void TcxGridItemDataBinding::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxGridItemDataBinding*>(Source)) {
    FData = source->FData;
    SetValueTypeClass(source->ValueTypeClass());
    return;
  }
  inherited::Assign(Source);
}

TcxCustomGridTableView* TcxGridItemDataBinding::GridView() const { return FItem->GridView(); }
TcxCustomDataController* TcxGridItemDataBinding::DataController() const {
  return GridView() ? GridView()->DataController() : nullptr;
}
TcxDataFilterCriteria* TcxGridItemDataBinding::Filter() const { return DataController()->Filter(); }

TcxValueTypeClass TcxGridItemDataBinding::ValueTypeClass() const {
  return DataController()->GetItemValueTypeClass(FItem->Index());
}

void TcxGridItemDataBinding::SetValueTypeClass(TcxValueTypeClass Value) {
  DataController()->SetItemValueTypeClass(FItem->Index(), Value);
}

// The editor registered for the item's value type (the text editor when none is).
TcxEditRepositoryItem* TcxGridItemDataBinding::GetDefaultRepositoryItem() {
  TcxCustomDataController* dataController = DataController();
  bool linked = dataController && FItem->Index() >= 0 && FItem->Index() < dataController->GetItemCount();
  return cxGetEditDataRegisteredRepositoryItems()->GetItemByValueType(linked ? ValueTypeClass() : nullptr);
}

IcxEditDefaultValuesProvider* TcxGridItemDataBinding::GetDefaultValuesProvider(TcxCustomEditProperties*) const {
  return FDefaultValuesProvider.get();
}

bool TcxGridItemDataBinding::Filtered() const { return Filter()->FindItemByItemLink(FItem) != nullptr; }

void TcxGridItemDataBinding::SetFiltered(bool Value) {
  if (!Value) Filter()->RemoveItemByItemLink(FItem);
}

TcxFilterCriteriaItem* TcxGridItemDataBinding::AddToFilter(TcxFilterCriteriaItemList* AParent,
                                                           TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                                           const std::string& ADisplayText, bool AReplaceExisting) {
  std::string displayText = ADisplayText;
  if (displayText.empty() && !VarIsNull(AValue) && !VarIsEmpty(AValue)) displayText = VarToStr(AValue);
  FItem->DoGetFilterDisplayText(AValue, displayText);
  TcxDataFilterCriteria* filter = Filter();
  if (AReplaceExisting) filter->RemoveItemByItemLink(FItem);
  return filter->AddItem(AParent, FItem, AOperatorKind, AValue, displayText);
}

// =======================================================================================
// Items.

void TcxCustomGridTableItemOptions::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxCustomGridTableItemOptions*>(Source)) {
    SetEditing(source->Editing());
    SetFiltering(source->Filtering());
    SetFocusing(source->Focusing());
    SetGrouping(source->Grouping());
    SetIncSearch(source->IncSearch());
    SetMoving(source->Moving());
    SetShowEditButtons(source->ShowEditButtons());
    SetSorting(source->Sorting());
    return;
  }
  inherited::Assign(Source);
}

TPersistent* TcxCustomGridTableItemOptions::GetOwner() { return FItem; }

void TcxCustomGridTableItemOptions::Changed() { FItem->Changed(false); }

void TcxCustomGridTableItemOptions::SetEditing(bool Value) { FEditing = Value; }

void TcxCustomGridTableItemOptions::SetFiltering(bool Value) {
  if (FFiltering == Value) return;
  FFiltering = Value;
  if (FItem->GridView()) FItem->GridView()->RefreshFilterableItemsList();
}

void TcxCustomGridTableItemOptions::SetFocusing(bool Value) {
  if (FFocusing == Value) return;
  FFocusing = Value;
  if (!Value) FItem->SetFocused(false);
}

void TcxCustomGridTableItemOptions::SetShowEditButtons(TcxGridItemShowEditButtons Value) {
  if (FShowEditButtons == Value) return;
  FShowEditButtons = Value;
  Changed();
}

TcxCustomGridTableItemStyles::TcxCustomGridTableItemStyles(TcxCustomGridTableItem* AItem)
    : TcxCustomGridStyles(AItem), FItem(AItem) {}

void TcxCustomGridTableItemStyles::Assign(TPersistent* Source) {
  inherited::Assign(Source);
  if (auto* source = dynamic_cast<TcxCustomGridTableItemStyles*>(Source)) {
    SetContent(source->Content());
    FOnGetContentStyle = source->FOnGetContentStyle;
  }
}

TcxCustomGridView* TcxCustomGridTableItemStyles::GetGridView() { return FItem->GridView(); }

void TcxCustomGridTableItemStyles::GetDefaultVisualParams(Integer AIndex, TObject* AData, TcxViewParams& AParams) {
  TcxCustomGridTableView* view = FItem->GridView();
  if (AIndex == isContent && view) {
    view->Styles()->GetRecordContentParams(dynamic_cast<TcxCustomGridRecord*>(AData), FItem, AParams);
    return;
  }
  inherited::GetDefaultVisualParams(AIndex, AData, AParams);
}

void TcxCustomGridTableItemStyles::GetContentParams(TcxCustomGridRecord* ARecord, TcxViewParams& AParams) {
  TcxStyle* style = nullptr;
  if (FOnGetContentStyle) FOnGetContentStyle(FItem->GridView(), ARecord, FItem, style);
  GetVisualParams(isContent, ARecord, style, AParams);
}

TcxCustomGridTableItem::TcxCustomGridTableItem(TComponent* AOwner) : TComponent(AOwner) {}

void TcxCustomGridTableItem::AfterConstruction() {
  inherited::AfterConstruction();
  FOptions.reset(As<TcxCustomGridTableItemOptions>(GetOptionsClass()->CreateInstance(this)));
  FStyles.reset(As<TcxCustomGridTableItemStyles>(GetStylesClass()->CreateInstance(this)));
}

void TcxCustomGridTableItem::BeforeDestruction() {
  FDestroying = true;
  for (TcxGridTableDataCellViewInfo* cell : FCells) cell->ItemDestroyed();
  FCells.clear();
  SetRepositoryItem(nullptr);
  if (FGridView) FGridView->RemoveItem(this);
  if (FLastUsedDefaultRepositoryItem) {
    FLastUsedDefaultRepositoryItem->RemoveListener(this);
    FLastUsedDefaultRepositoryItem = nullptr;
  }
  inherited::BeforeDestruction();
}

TcxCustomGridTableItem::~TcxCustomGridTableItem() = default;

HRESULT STDMETHODCALLTYPE TcxCustomGridTableItem::QueryInterface(const ::IID& riid, void** obj) {
  return TComponent::QueryInterface(riid, obj);
}
ULONG STDMETHODCALLTYPE TcxCustomGridTableItem::_AddRef() { return TComponent::_AddRef(); }
ULONG STDMETHODCALLTYPE TcxCustomGridTableItem::_Release() { return TComponent::_Release(); }

void TcxCustomGridTableItem::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxCustomGridTableItem*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  if (FDataBinding && source->FDataBinding) FDataBinding->Assign(source->FDataBinding.get());
  FIsCaptionAssigned = source->FIsCaptionAssigned;
  FCaption = source->FCaption;
  SetGroupIndex(source->GroupIndex());
  FHeaderAlignmentHorz = source->FHeaderAlignmentHorz;
  FIsHeaderAlignmentHorzAssigned = source->FIsHeaderAlignmentHorzAssigned;
  FHeaderAlignmentVert = source->FHeaderAlignmentVert;
  FIsHeaderAlignmentVertAssigned = source->FIsHeaderAlignmentVertAssigned;
  SetMinWidth(source->MinWidth());
  FOptions->Assign(source->Options());
  SetPropertiesClass(source->PropertiesClass());
  SetProperties(source->Properties());
  SetRepositoryItem(source->RepositoryItem());
  SetSortOrder(source->SortOrder());
  FStyles->Assign(source->Styles());
  SetTag(source->Tag());
  SetVisible(source->Visible());
  FIsWidthAssigned = source->FIsWidthAssigned;
  FWidth = source->FWidth;
  FOnGetDisplayText = source->FOnGetDisplayText;
  FOnGetFilterDisplayText = source->FOnGetFilterDisplayText;
  FOnGetProperties = source->FOnGetProperties;
}

TcxCustomDataController* TcxCustomGridTableItem::DataController() const {
  return FGridView ? FGridView->DataController() : nullptr;
}

void TcxCustomGridTableItem::SetIndex(Integer Value) {
  if (FGridView) FGridView->ChangeItemIndex(this, Value);
}

TComponent* TcxCustomGridTableItem::GetParentComponent() const { return FGridView; }

void TcxCustomGridTableItem::SetParentComponent(TComponent* Value) {
  if (auto* view = dynamic_cast<TcxCustomGridTableView*>(Value)) view->AddItem(this);
}

void TcxCustomGridTableItem::ReadState(TReader* Reader) {
  if (!FGridView) SetParentComponent(Reader->Parent());
  inherited::ReadState(Reader);
}

void TcxCustomGridTableItem::SetGridView(TcxCustomGridTableView* Value) {
  FGridView = Value;
  if (Value) {
    TClass bindingClass = Value->GetItemDataBindingClass();
    if (!bindingClass) bindingClass = TcxGridItemDataBinding::StaticClass();
    FDataBinding.reset(As<TcxGridItemDataBinding>(bindingClass->CreateInstance(this)));
  } else {
    FDataBinding.reset();
  }
  recalculatePropertiesValue();
}

// --- Caption, width, visibility.

std::string TcxCustomGridTableItem::GetDefaultCaption() {
  return FDataBinding ? FDataBinding->GetDefaultCaption() : std::string();
}

std::string TcxCustomGridTableItem::Caption() { return FIsCaptionAssigned ? FCaption : GetDefaultCaption(); }

void TcxCustomGridTableItem::SetCaption(const std::string& Value) {
  if (Value == Caption()) return;
  FCaption = Value;
  FIsCaptionAssigned = true;
  CaptionChanged();
}

bool TcxCustomGridTableItem::IsCaptionStored() { return FIsCaptionAssigned && FCaption != GetDefaultCaption(); }

void TcxCustomGridTableItem::CaptionChanged() {
  if (FVisible || GroupIndex() != -1) Changed(false);
}

void TcxCustomGridTableItem::Changed(bool ASize) {
  if (!FGridView) return;
  if (ASize)
    FGridView->SizeChanged();
  else
    FGridView->TcxCustomGridView::LayoutChanged(true);
}

Integer TcxCustomGridTableItem::GetDefaultWidth() { return FDataBinding ? FDataBinding->GetDefaultWidth() : 64; }

Integer TcxCustomGridTableItem::Width() { return FIsWidthAssigned ? FWidth : GetDefaultWidth(); }

bool TcxCustomGridTableItem::isSettingAllowedWhileLoading() const {
  return !(ComponentState().Contains(csLoading));
}

void TcxCustomGridTableItem::CheckWidthValue(Integer& AValue) {
  Integer minimum = CanHorzSize() ? FMinWidth : 0;
  if (AValue < minimum) AValue = minimum;
}

void TcxCustomGridTableItem::SetWidth(Integer Value) {
  CheckWidthValue(Value);
  if (isSettingAllowedWhileLoading() && FIsWidthAssigned && Value == FWidth) return;
  FWidth = Value;
  FIsWidthAssigned = true;
  Changed(true);
}

void TcxCustomGridTableItem::SetMinWidth(Integer Value) {
  if (Value < 0) Value = 0;
  if (FMinWidth == Value) return;
  FMinWidth = Value;
  if (isSettingAllowedWhileLoading() && Width() < Value) SetWidth(Value);
}

void TcxCustomGridTableItem::ForceWidth(Integer Value) {
  TcxCustomGridTableController* controller = FGridView ? FGridView->Controller() : nullptr;
  FForcingWidth = true;
  if (controller) controller->SetForcingWidthItem(this);
  SetWidth(Value);
  if (controller) controller->SetForcingWidthItem(nullptr);
  FForcingWidth = false;
}

void TcxCustomGridTableItem::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  if (FGridView) FGridView->ItemVisibilityChanged(this, Value);
}

TAlignment TcxCustomGridTableItem::HeaderAlignmentHorz() const {
  return FIsHeaderAlignmentHorzAssigned ? FHeaderAlignmentHorz : taLeftJustify;
}

void TcxCustomGridTableItem::SetHeaderAlignmentHorz(TAlignment Value) {
  FHeaderAlignmentHorz = Value;
  FIsHeaderAlignmentHorzAssigned = true;
  Changed(false);
}

TcxAlignmentVert TcxCustomGridTableItem::HeaderAlignmentVert() const {
  return FIsHeaderAlignmentVertAssigned ? FHeaderAlignmentVert : vaTop;
}

void TcxCustomGridTableItem::SetHeaderAlignmentVert(TcxAlignmentVert Value) {
  FHeaderAlignmentVert = Value;
  FIsHeaderAlignmentVertAssigned = true;
  Changed(false);
}

void TcxCustomGridTableItem::RestoreDefaults() {
  FIsCaptionAssigned = false;
  FIsWidthAssigned = false;
  Changed(true);
}

// --- Sorting and grouping.

Integer TcxCustomGridTableItem::GroupIndex() const {
  TcxCustomDataController* dataController = DataController();
  return dataController && FIndex >= 0 ? dataController->Groups()->GetItemGroupIndex(FIndex) : -1;
}

void TcxCustomGridTableItem::SetGroupIndex(Integer Value) {
  TcxCustomDataController* dataController = DataController();
  if (!dataController || FIndex < 0 || GroupIndex() == Value) return;
  GridHourglassLock hourglass;
  if (GroupIndex() == -1) FWasVisibleBeforeGrouping = FVisible;
  dataController->Groups()->ChangeGroupIndex(FIndex, Value);
}

TcxDataSortOrder TcxCustomGridTableItem::SortOrder() const {
  TcxCustomDataController* dataController = DataController();
  return dataController && FIndex >= 0 ? dataController->GetItemSortOrder(FIndex) : soNone;
}

void TcxCustomGridTableItem::SetSortOrder(TcxDataSortOrder Value) {
  TcxCustomDataController* dataController = DataController();
  if (!dataController || FIndex < 0 || SortOrder() == Value) return;
  GridHourglassLock hourglass;
  dataController->ChangeSortOrder(FIndex, Value);
}

Integer TcxCustomGridTableItem::SortIndex() const {
  TcxCustomDataController* dataController = DataController();
  return dataController && FIndex >= 0 ? dataController->GetItemSortIndex(FIndex) : -1;
}

void TcxCustomGridTableItem::SetSortIndex(Integer Value) {
  TcxCustomDataController* dataController = DataController();
  if (!dataController || FIndex < 0 || SortIndex() == Value) return;
  GridHourglassLock hourglass;
  dataController->ChangeSortIndex(FIndex, Value);
}

// --- Editor properties.

void TcxCustomGridTableItem::recalculatePropertiesValue() {
  if (FLastUsedDefaultRepositoryItem) {
    FLastUsedDefaultRepositoryItem->RemoveListener(this);
    FLastUsedDefaultRepositoryItem = nullptr;
  }
  FPropertiesValue = nullptr;
  if (!FGridView) return;
  if (FProperties && !FRepositoryItem) {
    FPropertiesValue = FProperties.get();
  } else if (FRepositoryItem) {
    FPropertiesValue = FRepositoryItem->Properties();
  } else if (!FDestroying && FDataBinding) {
    if (TcxEditRepositoryItem* defaultItem = FDataBinding->GetDefaultRepositoryItem()) {
      defaultItem->AddListener(this);
      FLastUsedDefaultRepositoryItem = defaultItem;
      FPropertiesValue = defaultItem->Properties();
    }
  }
}

void TcxCustomGridTableItem::SetProperties(TcxCustomEditProperties* Value) {
  if (FProperties && Value) FProperties->Assign(Value);
}

void TcxCustomGridTableItem::SetPropertiesClass(TClass Value) {
  if (FPropertiesClass == Value) return;
  FProperties.reset();
  FPropertiesClass = Value;
  if (Value) {
    FProperties.reset(As<TcxCustomEditProperties>(Value->CreateInstance(static_cast<TPersistent*>(this))));
    FProperties->SetOnPropertiesChanged(TNotifyEvent(this, &TcxCustomGridTableItem::propertiesChangedHandler));
  }
  recalculatePropertiesValue();
  PropertiesChanged();
}

std::string TcxCustomGridTableItem::PropertiesClassName() const {
  return FPropertiesClass ? FPropertiesClass->ClassName() : std::string();
}

void TcxCustomGridTableItem::SetPropertiesClassName(const std::string& Value) {
  SetPropertiesClass(Value.empty() ? nullptr : cxGetEditorRegistry()->FindByClassName(Value));
}

void TcxCustomGridTableItem::SetRepositoryItem(TcxEditRepositoryItem* Value) {
  if (FRepositoryItem == Value) return;
  if (FRepositoryItem) FRepositoryItem->RemoveListener(this);
  FRepositoryItem = Value;
  if (FRepositoryItem) FRepositoryItem->AddListener(this);
  recalculatePropertiesValue();
  PropertiesChanged();
}

void TcxCustomGridTableItem::ItemRemoved(TcxEditRepositoryItem* Sender) {
  if (Sender == FLastUsedDefaultRepositoryItem) {
    FLastUsedDefaultRepositoryItem = nullptr;
    recalculatePropertiesValue();
  } else if (Sender == FRepositoryItem) {
    SetRepositoryItem(nullptr);
  }
}

void TcxCustomGridTableItem::PropertiesChanged() {
  if (FDestroying || !FGridView) return;
  FGridView->RefreshFilterableItemsList();
  Changed(true);
}

void TcxCustomGridTableItem::ValueTypeClassChanged() {
  recalculatePropertiesValue();
  if (FProperties) FProperties->Changed();
}

TcxCustomEditProperties* TcxCustomGridTableItem::DoGetProperties(TcxCustomGridRecord* ARecord) {
  TcxCustomEditProperties* properties = FPropertiesValue;
  if (FOnGetProperties) FOnGetProperties(this, ARecord, properties);
  return properties;
}

void TcxCustomGridTableItem::InitProperties(TcxCustomEditProperties* AProperties) {
  if (!AProperties || !FDataBinding) return;
  AProperties->BeginUpdate();
  AProperties->SetDefaultValuesProvider(FDataBinding->GetDefaultValuesProvider(AProperties));
  AProperties->EndUpdate(false);
}

TcxCustomEditProperties* TcxCustomGridTableItem::GetProperties(TcxCustomGridRecord* ARecord) {
  TcxCustomEditProperties* properties = DoGetProperties(ARecord);
  InitProperties(properties);
  return properties;
}

// --- Focus and values.

bool TcxCustomGridTableItem::Focused() const {
  return FGridView && FGridView->Controller() && FGridView->Controller()->FocusedItem() == this;
}

void TcxCustomGridTableItem::SetFocused(bool Value) {
  if (!FGridView || !FGridView->Controller()) return;
  TcxCustomGridTableController* controller = FGridView->Controller();
  if (Value) {
    controller->SetFocusedItem(this);
  } else if (Focused()) {
    if (!controller->FocusNextItem(FVisibleIndex, true, false)) controller->SetFocusedItem(nullptr);
  }
}

bool TcxCustomGridTableItem::Editing() const {
  TcxCustomGridTableController* controller = FGridView ? FGridView->Controller() : nullptr;
  return controller && controller->EditingController() && controller->EditingController()->EditingItem() == this;
}

void TcxCustomGridTableItem::SetEditing(bool Value) {
  TcxCustomGridTableController* controller = FGridView ? FGridView->Controller() : nullptr;
  if (!controller || !controller->EditingController()) return;
  if (Value)
    controller->EditingController()->SetEditingItem(this);
  else if (Editing())
    controller->EditingController()->SetEditingItem(nullptr);
}

void TcxCustomGridTableItem::GetEditValue(Variant& AValue) {
  TcxCustomDataController* dataController = DataController();
  if (!dataController || dataController->GetFocusedRecordIndex() < 0) {
    AValue = Variant();
    return;
  }
  TcxCustomEditProperties* properties = GetProperties();
  TcxDataEditValueSource source = properties ? static_cast<TcxDataEditValueSource>(properties->GetEditValueKind(true))
                                             : TcxDataEditValueSource::Text;
  dataController->GetEditValue(FIndex, source, AValue);
}

void TcxCustomGridTableItem::SetEditValue(const Variant& AValue) {
  TcxCustomDataController* dataController = DataController();
  if (!dataController) return;
  TcxCustomEditProperties* properties = GetProperties();
  TcxDataEditValueSource source = properties ? static_cast<TcxDataEditValueSource>(properties->GetEditValueKind(true))
                                             : TcxDataEditValueSource::Text;
  dataController->SetEditValue(FIndex, AValue, source);
}

// --- Questions.

namespace {
bool hasCapability(TcxCustomEditProperties* AProperties, TcxEditSupportedOperations ABit) {
  return AProperties && (AProperties->GetCapabilities() & ABit) != 0;
}
}  // namespace

bool TcxCustomGridTableItem::CanAutoHeight() { return hasCapability(GetProperties(), esoAutoHeight); }

bool TcxCustomGridTableItem::CanEdit() {
  if (!FGridView || !CanFocus() || !FGridView->OptionsData()->Editing() || !FOptions->Editing()) return false;
  // An item can be edited only in a focused record it shows a cell in.
  TcxCustomGridRecord* record = FGridView->Controller()->FocusedRecord();
  if (!record || !record->HasCells()) return false;
  return (DataController()->GetEditOperations() & dceoShowEdit) != 0;
}

bool TcxCustomGridTableItem::CanFilter() { return hasCapability(GetProperties(), esoFiltering) && FOptions->Filtering(); }

bool TcxCustomGridTableItem::CanFocus() {
  return FGridView && GetActuallyVisible() && FGridView->OptionsSelection()->CellSelect() && FOptions->Focusing();
}

bool TcxCustomGridTableItem::CanGroup() {
  return FGridView && hasCapability(GetProperties(), esoSorting) && FGridView->OptionsCustomize()->ItemGrouping() &&
         FOptions->Grouping();
}

bool TcxCustomGridTableItem::CanMoveItem() {
  if (!CanMove()) return false;
  return !(FGridView && FVisible && FGridView->VisibleItemCount() == 1);
}

bool TcxCustomGridTableItem::CanIncSearch() {
  return FGridView && hasCapability(GetProperties(), esoIncSearch) && FGridView->OptionsBehavior()->IncSearch() &&
         FOptions->IncSearch();
}

bool TcxCustomGridTableItem::InitEditing() { return DataController() && DataController()->EditItem(FIndex); }

bool TcxCustomGridTableItem::CanMove() {
  return FGridView && FGridView->OptionsCustomize()->ItemMoving() && FOptions->Moving();
}

bool TcxCustomGridTableItem::CanSort() {
  return FGridView && hasCapability(GetProperties(), esoSorting) && FGridView->OptionsCustomize()->ItemSorting() &&
         FOptions->Sorting();
}

bool TcxCustomGridTableItem::ShowButtons(bool AFocused) {
  switch (FOptions->ShowEditButtons()) {
    case isebAlways:
      return true;
    case isebNever:
      return false;
    default:
      break;
  }
  if (!FGridView) return false;
  switch (FGridView->OptionsView()->ShowEditButtons()) {
    case gsebAlways:
      return true;
    case gsebForFocusedRecord:
      return AFocused;
    default:
      return false;
  }
}

void TcxCustomGridTableItem::DataChanged() {
  if (FDataBinding) FDataBinding->DataChanged();
}

std::vector<std::string> TcxCustomGridTableItem::GetStoredProperties() {
  return {"Index", "Visible", "SortOrder", "SortIndex"};
}

bool TcxCustomGridTableItem::GetStoredPropertyValue(const std::string& AName, Variant& AValue) {
  if (AName == "Index")
    AValue = FIndex;
  else if (AName == "Visible")
    AValue = Visible();
  else if (AName == "SortOrder")
    AValue = static_cast<Integer>(SortOrder());
  else if (AName == "SortIndex")
    AValue = SortIndex();
  else
    return false;
  return true;
}

bool TcxCustomGridTableItem::SetStoredPropertyValue(const std::string& AName, const Variant& AValue) {
  if (AName == "Index")
    SetIndex(AValue.AsInteger());
  else if (AName == "Visible")
    SetVisible(AValue.AsBoolean());
  else if (AName == "SortOrder")
    SetSortOrder(static_cast<TcxDataSortOrder>(AValue.AsInteger()));
  else if (AName == "SortIndex")
    SetSortIndex(AValue.AsInteger());
  else
    return false;
  return true;
}

void TcxCustomGridTableItem::DoGetDisplayText(TcxCustomGridRecord* ARecord, std::string& AText) {
  if (FOnGetDisplayText) FOnGetDisplayText(this, ARecord, AText);
}

void TcxCustomGridTableItem::DoGetFilterDisplayText(const Variant& AValue, std::string& ADisplayText) {
  if (FOnGetFilterDisplayText) FOnGetFilterDisplayText(this, AValue, ADisplayText);
}

// =======================================================================================
// Records.

TcxCustomGridRecord::TcxCustomGridRecord(const TConstructorArgs* AArgs)
    : FViewData(AArgs->ViewData), FIndex(AArgs->Index), FRowInfo(AArgs->RowInfo) {}

TcxCustomGridTableView* TcxCustomGridRecord::GridView() const { return FViewData->GridView(); }
TcxCustomGridTableController* TcxCustomGridRecord::Controller() const { return GridView()->Controller(); }
TcxCustomDataController* TcxCustomGridRecord::DataController() const { return GridView()->DataController(); }

bool TcxCustomGridRecord::IsData() const {
  return RecordIndex() >= 0 && RecordIndex() < DataController()->GetRecordCount();
}

bool TcxCustomGridRecord::IsNewItemRecord() const { return FViewData->NewItemRecord() == this; }

bool TcxCustomGridRecord::Focused() const { return Controller()->FocusedRecord() == this; }

void TcxCustomGridRecord::SetFocused(bool Value) {
  if (Value) {
    if (IsNewItemRecord())
      DataController()->SetNewItemRowFocused(true);
    else
      DataController()->ChangeFocusedRowIndex(FIndex);
  } else if (Focused()) {
    DataController()->ChangeFocusedRowIndex(-1);
  }
}

bool TcxCustomGridRecord::IsLast() const { return FIndex + 1 == FViewData->RecordCount(); }

void TcxCustomGridRecord::RefreshRecordInfo() {
  if (IsNewItemRecord()) {
    FRowInfo.RecordIndex = DataController()->GetNewItemRecordIndex();
    return;
  }
  if (FIndex >= 0 && FIndex < DataController()->GetRowCount()) FRowInfo = DataController()->GetRowInfo(FIndex);
}

bool TcxCustomGridRecord::DrawFocused() { return GridView()->DrawRecordFocused(this); }
bool TcxCustomGridRecord::DrawSelected() { return GridView()->DrawRecordSelected(this); }

TcxCustomGridRecord* TcxCustomGridRecord::ParentRecord() {
  if (Level() == 0) return nullptr;
  for (Integer i = FIndex - 1; i >= 0; --i) {
    TcxCustomGridRecord* record = FViewData->Records(i);
    if (record->Level() < Level()) return record;
  }
  return nullptr;
}

bool TcxCustomGridRecord::Selected() {
  if (IsNewItemRecord()) return DataController()->IsNewItemRowFocused();
  return DataController()->IsRowSelected(FIndex);
}

void TcxCustomGridRecord::SetSelected(bool Value) {
  if (IsNewItemRecord()) {
    if (Selected() != Value) DataController()->SetNewItemRowFocused(Value);
    return;
  }
  DataController()->ChangeRowSelection(FIndex, Value);
}

std::string TcxCustomGridRecord::GetDisplayText(Integer AItemIndex) {
  std::string text;
  if (IsNewItemRecord())
    DataController()->GetDisplayText(RecordIndex(), AItemIndex, text);
  else
    DataController()->GetRowDisplayText(FIndex, AItemIndex, text);
  GridView()->DoGetDisplayText(this, AItemIndex, text);
  return text;
}

Integer TcxCustomGridRecord::ValueCount() { return DataController()->GetItemCount(); }

Variant TcxCustomGridRecord::GetValue(Integer AItemIndex) {
  Variant value;
  if (IsNewItemRecord())
    DataController()->GetValue(RecordIndex(), AItemIndex, value);
  else
    DataController()->GetRowValue(FIndex, AItemIndex, value);
  return value;
}

void TcxCustomGridRecord::Invalidate(TcxCustomGridTableItem* AItem) {
  GridView()->Changed(new TcxGridRecordChange(GridView(), this, RecordIndex(), AItem));
}

void TcxCustomGridRecord::Collapse(bool ARecursive) {
  if (Expandable()) DoCollapse(ARecursive);
}

void TcxCustomGridRecord::Expand(bool ARecursive) {
  if (Expandable()) DoExpand(ARecursive);
}

void TcxCustomGridRecord::KeyDown(Word& Key, TShiftState Shift) {
  TShiftState mods = Shift * TShiftState{ssShift, ssAlt, ssCtrl};
  bool handledExpansion = false;
  switch (Key) {
    case VK_RETURN:
    case VK_F2:
    case VK_PROCESSKEY: {
      bool allowed = mods.Empty() || (Key == VK_RETURN && mods == TShiftState{ssShift});
      TcxCustomGridTableItem* item = Controller()->FocusedItem();
      if (!allowed || !HasCells() || !item) break;
      item->SetEditing(true);
      if (item->Editing() && Key != VK_PROCESSKEY) Key = 0;
      break;
    }
    case VK_LEFT:
      if (Expandable() && Expanded()) {
        Collapse(false);
        handledExpansion = true;
      }
      break;
    case VK_RIGHT:
      if (Expandable() && !Expanded()) {
        Expand(false);
        handledExpansion = true;
      }
      break;
    case VK_MULTIPLY:
    case VK_ADD:
    case VK_SUBTRACT:
      if (Expandable()) {
        if (Key == VK_SUBTRACT)
          Collapse(false);
        else
          Expand(Key == VK_MULTIPLY);
        handledExpansion = true;
      }
      break;
    default:
      break;
  }
  if (handledExpansion) {
    Key = 0;
    if (!IsGroupKind()) FCharSkip = true;
  }
}

void TcxCustomGridRecord::KeyPress(char& Key) {
  if (FCharSkip) {
    FCharSkip = false;
    Key = 0;
    return;
  }
  unsigned char c = static_cast<unsigned char>(Key);
  if (c != 8 && c != 22 && c != 24 && c < 32) return;
  TcxCustomGridTableItem* item = Controller()->FocusedItem();
  if (!HasCells() || !item) return;
  Controller()->EditingController()->StartEditingByKey(item, Key);
  Key = 0;
}

// ---------------------------------------------------------------------------------------
// View data.

TcxCustomGridTableViewData::TcxCustomGridTableViewData(TcxCustomGridView* AGridView)
    : TcxCustomGridViewData(AGridView) {}

void TcxCustomGridTableViewData::BeforeDestruction() {
  releaseLayouts();
  FNewItemRecord.reset();
  FRecords.clear();
  inherited::BeforeDestruction();
}

TcxCustomGridTableViewData::~TcxCustomGridTableViewData() = default;

TcxCustomGridTableView* TcxCustomGridTableViewData::GridView() const { return tableView(inherited::GridView()); }

TcxCustomGridRecord* TcxCustomGridTableViewData::createRecord(Integer AIndex, const TcxRowInfo& ARowInfo,
                                                              TClass AClass) {
  TcxCustomGridRecord::TConstructorArgs args{this, AIndex, ARowInfo};
  return As<TcxCustomGridRecord>(AClass->CreateInstance(&args));
}

TcxCustomGridRecord* TcxCustomGridTableViewData::Records(Integer AIndex) {
  if (AIndex < 0 || AIndex >= RecordCount()) throw EcxInvalidDataControllerOperation("RowIndex out of range");
  auto& slot = FRecords[static_cast<size_t>(AIndex)];
  if (!slot) {
    TcxRowInfo info = DataController()->GetRowInfo(AIndex);
    slot.reset(createRecord(AIndex, info, GetRecordClass(info)));
  }
  return slot.get();
}

TcxCustomGridRecord* TcxCustomGridTableViewData::GetRecordByIndex(Integer AIndex) {
  return AIndex >= 0 && AIndex < RecordCount() ? Records(AIndex) : nullptr;
}

TcxCustomGridRecord* TcxCustomGridTableViewData::GetRecordByRecordIndex(Integer ARecordIndex) {
  if (FNewItemRecord && FNewItemRecord->RecordIndex() == ARecordIndex) return FNewItemRecord.get();
  if (ARecordIndex < 0) return nullptr;
  return GetRecordByIndex(DataController()->GetRowIndexByRecordIndex(ARecordIndex, false));
}

TcxCustomGridRecord* TcxCustomGridTableViewData::GetRecordByKind(Integer AIndex) {
  return AIndex == -1 ? FNewItemRecord.get() : GetRecordByIndex(AIndex);
}

bool TcxCustomGridTableViewData::HasRecord(Integer AIndex) const {
  return AIndex >= 0 && AIndex < RecordCount() && FRecords[static_cast<size_t>(AIndex)] != nullptr;
}

void TcxCustomGridTableViewData::releaseLayouts() {
  // Record layouts refer to their records: they go first.
  auto* viewInfo = dynamic_cast<TcxCustomGridTableViewInfo*>(GridView()->ViewInfo());
  if (viewInfo && viewInfo->RecordsViewInfo()) viewInfo->RecordsViewInfo()->Clear();
}

void TcxCustomGridTableViewData::Refresh(Integer ACount) {
  releaseLayouts();
  FRecords.clear();
  FRecords.resize(static_cast<size_t>(std::max<Integer>(ACount, 0)));
  CheckNewItemRecord();
}

void TcxCustomGridTableViewData::RefreshRecords() {
  for (auto& record : FRecords)
    if (record) record->RefreshRecordInfo();
  if (FNewItemRecord) FNewItemRecord->RefreshRecordInfo();
}

void TcxCustomGridTableViewData::CheckNewItemRecord() {
  TClass newItemClass = GetNewItemRecordClass();
  bool wanted = newItemClass && DataController()->NewItemRowEnabled();
  if (wanted == HasNewItemRecord()) return;
  if (!wanted) {
    releaseLayouts();
    FNewItemRecord.reset();
    return;
  }
  TcxRowInfo info;
  // The new-item row's internal record (made now: an unallocated one reads as record 0).
  info.RecordIndex = DataController()->GetNewItemRecordIndex();
  FNewItemRecord.reset(createRecord(-1, info, newItemClass));
}

void TcxCustomGridTableViewData::RefreshEditingRecord() {
  Integer recordIndex = DataController()->GetEditingRecordIndex();
  if (recordIndex == cxNoRecordIndex) return;
  if (TcxCustomGridRecord* record = GetRecordByRecordIndex(recordIndex)) record->RefreshRecordInfo();
}

// =======================================================================================
// The table controller and its editing controller.

const TResStringRec scxGridDeletingConfirmationCaption = {nullptr, 64681};
const TResStringRec scxGridDeletingFocusedConfirmationText = {nullptr, 64682};
const TResStringRec scxGridDeletingSelectedConfirmationText = {nullptr, 64683};

namespace {
TShiftState modifiers(TShiftState AShift) { return AShift * TShiftState{ssShift, ssAlt, ssCtrl}; }
bool onlyCtrl(TShiftState AShift) { return modifiers(AShift) == TShiftState{ssCtrl}; }
bool noModifiers(TShiftState AShift) { return modifiers(AShift).Empty(); }

// Case-insensitive "begins with" in the ANSI code page, as the user types it.
bool textStartsWith(const std::string& AText, const std::string& APrefix) {
  if (APrefix.size() > AText.size()) return false;
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, AText.data(), static_cast<int>(APrefix.size()),
                        APrefix.data(), static_cast<int>(APrefix.size())) == CSTR_EQUAL;
}
}  // namespace

// --- Editing controller.

TcxGridEditingController::TcxGridEditingController(TcxCustomGridTableController* AController)
    : FController(AController), FEditList(new TcxInplaceEditList()) {}

TcxGridEditingController::~TcxGridEditingController() {
  StopEditingTimer();
  if (FEdit) {
    FEdit->SetOnExit(TNotifyEvent());
    FEdit->SetOnFocusChanged(TNotifyEvent());
    FEdit->SetOnKeyDown(TKeyEvent());
  }
  FEdit = nullptr;
  FEditList.reset();
  if (FEditData) FEditData->Free();
}

TcxCustomGridTableView* TcxGridEditingController::GridView() const { return FController->GridView(); }

TcxCustomEditProperties* TcxGridEditingController::EditingProperties() {
  return FEditingItem ? FEditingItem->GetProperties(FController->FocusedRecord()) : nullptr;
}

void TcxGridEditingController::SetEditingItem(TcxCustomGridTableItem* Value) {
  if (FEditingItem == Value || FEditingItemSetting) return;
  ScopedRestore<bool> restore(FEditingItemSetting);
  FEditingItemSetting = true;
  if (Value) {
    if (!Value->CanEdit() || !GridView()->DoEditing(Value)) return;
    Value->SetFocused(true);
    if (!Value->Focused()) return;
  }
  HideEdit(false);
  FEditingItem = Value;
  if (!FEditingItem) return;
  bool cleared = true;
  ScopeExit clearOnFailure([&] {
    if (cleared) FEditingItem = nullptr;
  });
  if (!FPreparing) ShowEdit(FEditingItem);
  cleared = !FPreparing && !FEdit;
}

void TcxGridEditingController::ShowEdit(TcxCustomGridTableItem* AItem) {
  if (!AItem) AItem = FController->FocusedItem();
  if (PrepareEdit(AItem, false)) FEdit->Activate(FEditData);
}

void TcxGridEditingController::StartEditingByKey(TcxCustomGridTableItem* AItem, char AKey) {
  if (PrepareEdit(AItem, false)) FEdit->ActivateByKey(AKey, FEditData);
}

void TcxGridEditingController::StartEditingByMouse(TcxCustomGridTableItem* AItem, TShiftState AShift, Integer X,
                                                   Integer Y) {
  if (PrepareEdit(AItem, true)) FEdit->ActivateByMouse(AShift, X, Y, FEditData);
}

void TcxGridEditingController::StartEditingTimer(TcxCustomGridTableItem* AItem) {
  StopEditingTimer();
  FTimerItem = AItem;
  FEditingTimer.reset(new TTimer(nullptr));
  FEditingTimer->SetInterval(cxGetDoubleClickTime());
  FEditingTimer->SetOnTimer(TNotifyEvent(this, &TcxGridEditingController::editingTimerHandler));
}

void TcxGridEditingController::StopEditingTimer() {
  FEditingTimer.reset();
  FTimerItem = nullptr;
}

void TcxGridEditingController::editingTimerHandler(TObject*) {
  TcxCustomGridTableItem* item = FTimerItem;
  StopEditingTimer();
  if (item) item->SetEditing(true);
}

bool TcxGridEditingController::PrepareEdit(TcxCustomGridTableItem* AItem, bool AOnMouseEvent) {
  FController->CancelEditorRefresh();
  if (FPreparing || FHiding || !AItem) return false;
  TcxGridSite* site = FController->Site();
  if (AItem == FEditingItem && !FEditingItemSetting)
    return FEdit && (AOnMouseEvent || (site->Focused() && !FEdit->IsFocused()));
  bool result = false;
  {
    ScopedRestore<bool> restore(FPreparing);
    FPreparing = true;
    if (!site->Focused()) return false;
    AItem->SetEditing(true);
    if (FEditingItem != AItem) return false;
    {
      bool failed = true;
      ScopeExit undo([&] {
        if (failed) AItem->SetEditing(false);
      });
      // An item without editor properties has no editor to show.
      TcxCustomEditProperties* properties = EditingProperties();
      if (!properties) return false;
      FEdit = FEditList->GetEdit(properties);
      failed = false;
    }
    if (TcxCustomGridRecord* record = FController->FocusedRecord()) record->Invalidate(AItem);
    TRect bounds;
    if (FController->GetFocusedCellEditBounds(AItem, bounds)) UpdateEditPosition(bounds);
    InitEdit();
    result = FEdit != nullptr;
  }
  if (result) site->SetTabStop(false);
  return result;
}

void TcxGridEditingController::InitEdit() {
  TcxCustomEditProperties* own = FEdit->OwnProperties();
  FSavedChange = own->OnChange();
  FSavedValueChanged = own->OnEditValueChanged();
  own->SetOnChange(TNotifyEvent());
  own->SetOnEditValueChanged(TNotifyEvent());
  FEdit->SetParent(FController->Site());
  UpdateEdit();
  UpdateEditValue();
  FEdit->SetOnAfterKeyDown(TcxEditKeyEvent(this, &TcxGridEditingController::EditAfterKeyDown));
  FEdit->SetOnEditing(TcxEditEditingEvent(this, &TcxGridEditingController::EditEditing));
  FEdit->SetOnPostEditValue(TNotifyEvent(this, &TcxGridEditingController::EditPostEditValue));
  own->SetOnChange(TNotifyEvent(this, &TcxGridEditingController::EditChanged));
  own->SetOnEditValueChanged(TNotifyEvent(this, &TcxGridEditingController::EditValueChanged));
  FEdit->SetOnExit(TNotifyEvent(this, &TcxGridEditingController::EditExit));
  FEdit->SetOnFocusChanged(TNotifyEvent(this, &TcxGridEditingController::EditFocusChanged));
  FEdit->SetOnKeyDown(TKeyEvent(this, &TcxGridEditingController::EditKeyDown));
  GridView()->DoInitEdit(FEditingItem, FEdit);
}

void TcxGridEditingController::UpdateEditValue() {
  if (!FEditingItem || !FEdit || FHiding || FInitiatingEditing || FEdit->IsPosting()) return;
  Variant value;
  FEditingItem->GetEditValue(value);
  FEdit->SetEditValue(value);
  FEdit->SelectAllText();
}

void TcxGridEditingController::UpdateValue() {
  if (!FEditingItem || !FEdit || !FEdit->ModifiedAfterEnter()) return;
  FEdit->ValidateInput(true);
  FEditingItem->SetEditValue(FEdit->EditValue());
  FEdit->SetModifiedAfterEnterFlag(false);
}

void TcxGridEditingController::EditKeyDown(TObject*, Word& Key, TShiftState Shift) {
  FController->MakeItemVisible(FController->FocusedItem());
  switch (Key) {
    case VK_RETURN:
      HideEdit(true);
      if (GridView()->OptionsBehavior()->GoToNextCellOnEnter()) {
        FController->KeyDownFromEditor(Key, Shift);
        ShowEdit();
      } else {
        FController->RefreshEditor();
      }
      Key = 0;
      break;
    case VK_ESCAPE: {
      bool modified = FEdit && FEdit->ModifiedAfterEnter();
      HideEdit(false);
      FController->RefreshEditor();
      if (modified) Key = 0;
      break;
    }
    case VK_DELETE:
      if (onlyCtrl(Shift)) FController->KeyDownFromEditor(Key, Shift);
      break;
    default:
      break;
  }
}

void TcxGridEditingController::EditAfterKeyDown(TObject*, Word& Key, TShiftState Shift) {
  if (FController->IsKeyForController(Key, Shift)) FController->KeyDownFromEditor(Key, Shift);
}

void TcxGridEditingController::EditEditing(TObject*, bool& CanEdit) {
  ScopedRestore<bool> restore(FInitiatingEditing);
  FInitiatingEditing = true;
  CanEdit = FEditingItem && FEditingItem->InitEditing();
}

void TcxGridEditingController::EditChanged(TObject* Sender) {
  if (FSavedChange) FSavedChange(Sender);
  if (FEditingItem) GridView()->DoEditChanged(FEditingItem);
}

void TcxGridEditingController::EditValueChanged(TObject* Sender) {
  if (FSavedValueChanged) FSavedValueChanged(Sender);
  if (FEditingItem) GridView()->DoEditValueChanged(FEditingItem);
}

void TcxGridEditingController::EditPostEditValue(TObject*) { UpdateValue(); }

void TcxGridEditingController::EditExit(TObject*) {
  if (!HideEditOnExit()) return;
  bool failed = true;
  ScopeExit refocus([&] {
    if (!failed || !FEdit) return;
    FEdit->SetFocus();
    FErrorOnExit = true;
  });
  HideEdit(!FController->IsNewRecordCancelledOnExit());
  failed = false;
}

void TcxGridEditingController::EditFocusChanged(TObject*) { FController->Site()->FocusChanged(); }

void TcxGridEditingController::HideEdit(bool AAccept) {
  FController->CancelEditorRefresh();
  FUpdateNeeded = false;
  StopEditingTimer();
  if (FHiding || !FEditingItem) return;
  ScopedRestore<bool> restore(FHiding);
  FHiding = true;
  if (AAccept && FEdit) {
    if (!FEdit->Deactivate()) Abort();
    GridView()->DataController()->UpdateData();
    if (TcxCustomEditProperties* properties = EditingProperties()) FEdit->OwnProperties()->UpdateTarget(properties);
  }
  FEditingItem = nullptr;
  TcxCustomGrid* grid = GridView()->Grid();
  bool focusedView = grid && grid->FocusedView() == GridView();
  if (focusedView) FController->Site()->SetTabStop(true);
  if (FEdit) {
    if (FEdit->IsFocused() && focusedView) {
      FEdit->SetModifiedAfterEnterFlag(false);
      FEdit->SetOnFocusChanged(TNotifyEvent());
      ScopedRestore<bool> noRefresh(FController->FAllowEditorRefresh);
      FController->FAllowEditorRefresh = false;
      FController->Site()->SetFocus();
    } else if (TcxCustomGridRecord* record = FController->FocusedRecord()) {
      record->Invalidate();
    }
    FEdit->SetOnExit(TNotifyEvent());
    FEdit->SetOnKeyDown(TKeyEvent());
    FEdit->SetOnFocusChanged(TNotifyEvent());
    FEdit->SetParent(nullptr);
    FEdit = nullptr;
  }
  FErrorOnExit = false;
}

void TcxGridEditingController::RemoveEdit(TcxCustomEditProperties* AProperties) {
  if (FEditingItem && EditingProperties() == AProperties) SetEditingItem(nullptr);
  if (FEdit && FEditList->FindEdit(AProperties) == FEdit) FEdit = nullptr;
  FEditList->RemoveItem(AProperties);
}

bool TcxGridEditingController::IsEditorUnfocused() { return !IsEditing() || !FEdit || !FEdit->IsFocused() || FHiding; }

bool TcxGridEditingController::NeedsHideEditOnRecordChange() {
  TcxCustomGridTableView* view = GridView();
  if (!view->OptionsBehavior()->AlwaysShowEditor()) return true;
  if (!FEditingItem) return false;
  TcxCustomEditProperties* properties = EditingProperties();
  return static_cast<bool>(FEditingItem->OnGetProperties()) ||
         (FEditingItem->ShowButtons(true) && !FEditingItem->ShowButtons(false)) ||
         (properties && (properties->GetCapabilities() & esoAlwaysHotTrack) != 0) ||
         static_cast<bool>(view->OnEditing) || static_cast<bool>(view->OnInitEdit);
}

void TcxGridEditingController::UpdateEditPosition(const TRect& ACellEditBounds) {
  if (!FEdit || IsRectEmpty(&ACellEditBounds)) return;
  FCellEditBounds = ACellEditBounds;
  if (!FInitiatingEditing) {
    if (FPreparing)
      UpdateEdit();
    else
      FUpdateNeeded = true;
  }
  FEditPlaced = true;
}

void TcxGridEditingController::applyEditStyle() {
  TcxViewParams params;
  GridView()->Styles()->GetContentParams(FController->FocusedRecord(), FEditingItem, params);
  TcxCustomEditStyle* style = FEdit->GetStyle();
  style->SetFont(params.Font ? params.Font : FController->Site()->Font());
  style->SetColor(params.Color);
  style->SetTextColor(params.TextColor);
}

void TcxGridEditingController::UpdateEdit() {
  FUpdateNeeded = false;
  if (!FEdit) return;
  if (FEditingItem) applyEditStyle();
  if (IsRectEmpty(&FCellEditBounds)) return;
  FEdit->SetBounds(FCellEditBounds.left, FCellEditBounds.top, FCellEditBounds.right - FCellEditBounds.left,
                   FCellEditBounds.bottom - FCellEditBounds.top);
}

void TcxGridEditingController::HideUnplacedEditor() {
  if (!IsEditing() || !FEdit || FEditPlaced) return;
  FUpdateNeeded = false;
  if (!FPreparing) FEdit->SetLeft(30000);
}

// --- Table controller.

TcxCustomGridTableController::TcxCustomGridTableController(TcxCustomGridView* AGridView)
    : TcxCustomGridController(AGridView) {}

void TcxCustomGridTableController::AfterConstruction() {
  inherited::AfterConstruction();
  FEditingController.reset(As<TcxGridEditingController>(GetEditingControllerClass()->CreateInstance(this)));
}

TcxCustomGridTableController::~TcxCustomGridTableController() {
  FGridModeTimer.reset();
  FPullFocusingTimer.reset();
  FDragScrollTimer.reset();
  FEditingController.reset();
}

TClass TcxCustomGridTableController::GetEditingControllerClass() { return TcxGridEditingController::StaticClass(); }

TcxCustomGridTableView* TcxCustomGridTableController::GridView() const { return tableView(inherited::GridView()); }
TcxCustomGridTableViewData* TcxCustomGridTableController::ViewData() const { return GridView()->ViewData(); }

// --- Focus.

void TcxCustomGridTableController::SetFocusedItem(TcxCustomGridTableItem* Value) {
  if (Value && !Value->CanFocus()) return;
  if (FFocusedItem == Value) {
    if (Value) MakeItemVisible(Value);
    return;
  }
  if (FEditingController && !FEditingController->FEditingItemSetting) FEditingController->HideEdit(true);
  TcxCustomGridTableItem* previous = FFocusedItem;
  FFocusedItem = Value;
  FocusedItemChanged(previous);
  RefreshEditor();
}

void TcxCustomGridTableController::FocusedItemChanged(TcxCustomGridTableItem* APrevFocusedItem) {
  TcxCustomGridTableView* view = GridView();
  if (view->ComponentState().Contains(csLoading) || view->IsDestroying()) return;
  CancelIncSearching();
  if (FFocusedItem) MakeItemVisible(FFocusedItem);
  if (TcxCustomGridRecord* record = FocusedRecord()) {
    if (APrevFocusedItem) record->Invalidate(APrevFocusedItem);
    if (FFocusedItem) record->Invalidate(FFocusedItem);
  }
  view->DoFocusedItemChanged(APrevFocusedItem, FFocusedItem);
}

Integer TcxCustomGridTableController::FindNextCyclic(Integer AFrom, Integer ACount, bool AForward, bool ACycle,
                                                     const TRecordTest& ATest, bool& AWrapped) {
  AWrapped = false;
  if (ACount <= 0) return -1;
  Integer candidate;
  if (AFrom == -1) {
    if (AForward)
      candidate = 0;
    else if (ACycle)
      candidate = ACount - 1;
    else
      return -1;
  } else {
    candidate = AForward ? AFrom + 1 : AFrom - 1;
  }
  // Visits every index at most once: from the candidate towards the end, then (with cycle)
  // from the other end back to the start.
  for (Integer visited = 0; visited < ACount; ++visited) {
    if (candidate < 0 || candidate >= ACount) {
      if (!ACycle || AWrapped) return -1;
      AWrapped = true;
      candidate = AForward ? 0 : ACount - 1;
    }
    if (AWrapped && candidate == AFrom) return -1;
    if (ATest(candidate)) return candidate;
    candidate += AForward ? 1 : -1;
  }
  return -1;
}

Integer TcxCustomGridTableController::FindNextItem(Integer AFromVisibleIndex, bool AForward, bool& AWrapped,
                                                   bool ACycle) {
  TcxCustomGridTableView* view = GridView();
  return FindNextCyclic(AFromVisibleIndex, view->VisibleItemCount(), AForward, ACycle,
                        [view](Integer AIndex) { return view->VisibleItems(AIndex)->CanFocus(); }, AWrapped);
}

bool TcxCustomGridTableController::FocusNextItem(Integer AFocusedItemIndex, bool AGoForward,
                                                 bool AGoToNextRecordOnCycle, bool ACycle) {
  bool wrapped = false;
  Integer index = FindNextItem(AFocusedItemIndex, AGoForward, wrapped, ACycle || AGoToNextRecordOnCycle);
  if (index < 0) return false;
  if (wrapped && AGoToNextRecordOnCycle) {
    TcxCustomGridRecord* record = FocusedRecord();
    if (record && record->IsNewItemRecord()) {
      GridView()->DataController()->Post();
      GridView()->DataController()->SetNewItemRowFocused(true);
    } else {
      if (!FocusNextRecord(FocusedRowIndex(), AGoForward)) return false;
      if (!FocusedRecord() || !FocusedRecord()->HasCells()) return false;
    }
  }
  TcxCustomGridTableItem* item = GridView()->VisibleItems(index);
  SetFocusedItem(item);
  return true;
}

bool TcxCustomGridTableController::FocusFirstAvailableItem() { return FocusNextItem(-1, true, false, false); }

TcxCustomGridRecord* TcxCustomGridTableController::GetFocusedRecord() {
  TcxCustomDataController* dataController = GridView()->DataController();
  if (dataController->IsNewItemRowFocused()) return ViewData()->NewItemRecord();
  return ViewData()->GetRecordByIndex(dataController->GetFocusedRowIndex());
}

void TcxCustomGridTableController::DoSetFocusedRecord(TcxCustomGridRecord* Value) {
  if (Value && Value->IsNewItemRecord()) {
    GridView()->DataController()->SetNewItemRowFocused(true);
    return;
  }
  SetFocusedRecordIndex(Value ? Value->Index() : -1);
}

Integer TcxCustomGridTableController::FocusedRecordIndex() {
  TcxCustomGridRecord* record = FocusedRecord();
  return record ? record->Index() : -1;
}

Integer TcxCustomGridTableController::FocusedRowIndex() { return GridView()->DataController()->GetFocusedRowIndex(); }

void TcxCustomGridTableController::SetFocusedRecordIndex(Integer Value) {
  TcxCustomGridRecord* record = ViewData()->GetRecordByIndex(Value);
  if (record && !record->CanFocus()) return;
  TcxCustomDataController* dataController = GridView()->DataController();
  Integer previous = dataController->GetFocusedRowIndex();
  if (!dataController->ChangeFocusedRowIndex(Value) || !FAllowFocusCheck) return;
  if (dataController->GetFocusedRowIndex() == previous) MakeFocusedRecordVisible();
  if (FocusedRecord()) GridView()->SetFocused(true);
}

void TcxCustomGridTableController::SetDragHighlightedRecord(TcxCustomGridRecord* Value) {
  if (FDragHighlightedRecord == Value) return;
  TcxCustomGridRecord* previous = FDragHighlightedRecord;
  FDragHighlightedRecord = Value;
  if (previous) previous->Invalidate();
  if (Value) Value->Invalidate();
}

void TcxCustomGridTableController::ItemRemoved(TcxCustomGridTableItem* AItem) {
  if (FEditingController && FEditingController->EditingItem() == AItem) FEditingController->HideEdit(false);
  if (FForcingWidthItem == AItem) FForcingWidthItem = nullptr;
  if (FFocusedItem == AItem) FFocusedItem = nullptr;
  if (FMouseDownItem == AItem) FMouseDownItem = nullptr;
  if (FIncSearchingItem == AItem) {
    FIncSearchingItem = nullptr;
    FIncSearchingText.clear();
  }
}

// --- Questions.

bool TcxCustomGridTableController::CanAppend(bool) {
  TcxCustomDataController* dataController = GridView()->DataController();
  return (dataController->GetEditOperations() & dceoAppend) != 0 && !(dataController->GetEditState() & dceInsert);
}

bool TcxCustomGridTableController::CanDelete(bool ACheckOptions) {
  return (GridView()->DataController()->GetEditOperations() & dceoDelete) != 0 &&
         (!ACheckOptions || GridView()->OptionsData()->Deleting());
}

bool TcxCustomGridTableController::CanEdit() {
  TcxDataEditOperations operations = GridView()->DataController()->GetEditOperations();
  return FFocusedItem && GridView()->OptionsData()->Editing() && (operations & dceoEdit) != 0 &&
         (operations & dceoShowEdit) != 0;
}

bool TcxCustomGridTableController::CanInsert(bool ACheckOptions) {
  return (GridView()->DataController()->GetEditOperations() & dceoInsert) != 0 &&
         (!ACheckOptions || GridView()->OptionsData()->Inserting());
}

bool TcxCustomGridTableController::IsNewRecordCancelledOnExit() {
  TcxDataEditState state = GridView()->DataController()->GetEditState();
  return GridView()->OptionsData()->CancelOnExit() && (state & dceInsert) != 0 &&
         (state & (dceChanging | dceModified)) == 0;
}

bool TcxCustomGridTableController::CanMultiSelect(bool AFocusedViewOnly) {
  if (!GridView()->OptionsSelection()->MultiSelect()) return false;
  if (!AFocusedViewOnly) return true;
  TcxCustomGrid* grid = GridView()->Grid();
  return !grid || grid->FocusedView() == GridView();
}

bool TcxCustomGridTableController::IsKeyForController(Word AKey, TShiftState) {
  switch (AKey) {
    case VK_TAB:
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN:
    case VK_INSERT:
      return true;
    case VK_LEFT:
    case VK_RIGHT:
      return GridView()->OptionsBehavior()->AlwaysShowEditor();
    default:
      return false;
  }
}

bool TcxCustomGridTableController::IsStart() {
  IcxGridDataControllerLink* link = cxGridDataControllerLink(GridView()->DataController());
  return link ? link->IsBOF() : GridViewAnswers::IsBOF(GridView()->DataController());
}

bool TcxCustomGridTableController::IsEnd() {
  IcxGridDataControllerLink* link = cxGridDataControllerLink(GridView()->DataController());
  return link ? link->IsEOF() : GridViewAnswers::IsEOF(GridView()->DataController());
}

// --- Top record and scrolling.

namespace {
// The records layout of a view once it has shown rows; null before.
TcxCustomGridRecordsViewInfo* shownRecords(TcxCustomGridView* AView) {
  auto* viewInfo = dynamic_cast<TcxCustomGridTableViewInfo*>(AView->ViewInfo());
  TcxCustomGridRecordsViewInfo* records = viewInfo ? viewInfo->RecordsViewInfo() : nullptr;
  return records && records->VisibleCount() > 0 ? records : nullptr;
}
}  // namespace

Integer TcxCustomGridTableController::VisibleRecordCount() {
  Integer top = TopRecordIndex();
  if (top == -1) return 0;
  Integer rest = ViewData()->RecordCount() - top;
  // Before the first layout every record counts as shown.
  TcxCustomGridRecordsViewInfo* records = shownRecords(GridView());
  return records ? std::min(rest, records->VisibleCount()) : rest;
}

// The rows are laid out with one height, so a page holds as many records as the layout
// shows now, whichever row it starts from.
Integer TcxCustomGridTableController::GetPageRecordCount(Integer AFirstRow, bool ADownward) {
  Integer count = ViewData()->RecordCount();
  if (count == 0 || AFirstRow < 0) return 0;
  Integer rest = ADownward ? count - AFirstRow : AFirstRow + 1;
  TcxCustomGridRecordsViewInfo* records = shownRecords(GridView());
  return records ? std::min(rest, records->VisibleCount()) : rest;
}

Integer TcxCustomGridTableController::LastVisibleRecordIndex() {
  Integer count = VisibleRecordCount();
  return count > 0 ? TopRecordIndex() + count - 1 : -1;
}

Integer TcxCustomGridTableController::GetMaxTopRecordIndex() {
  Integer count = ViewData()->RecordCount();
  if (count == 0) return 0;
  // While the layout shows no row (before the first one, or with a kind of row at the top
  // that is not laid out) the page is unknown: any record may be the top.
  if (!shownRecords(GridView())) return count - 1;
  return std::max(0, count - GetPageRecordCount(count - 1, false));
}

void TcxCustomGridTableController::CheckTopRecordIndex(Integer& AValue) {
  if (FCheckingTopRecordIndex) return;
  ScopedRestore<bool> restore(FCheckingTopRecordIndex);
  FCheckingTopRecordIndex = true;
  Integer count = ViewData()->RecordCount();
  if (AValue > count - 1) AValue = count - 1;
  Integer maxTop = GetMaxTopRecordIndex();
  if (AValue > maxTop) AValue = maxTop;
  if (AValue < 0) AValue = 0;
}

void TcxCustomGridTableController::CheckCoordinates() { SetTopRecordIndex(TopRecordIndex()); }

Integer TcxCustomGridTableController::GetScrollBarOffsetBegin() {
  TcxCustomDataController* dataController = GridView()->DataController();
  return dataController->IsGridMode() && !dataController->IsBOF() ? 1 : 0;
}

Integer TcxCustomGridTableController::GetScrollBarOffsetEnd() {
  TcxCustomDataController* dataController = GridView()->DataController();
  return dataController->IsGridMode() && !dataController->IsEOF() ? 1 : 0;
}

Integer TcxCustomGridTableController::GetScrollBarPos() {
  IcxGridDataControllerLink* link = cxGridDataControllerLink(GridView()->DataController());
  Integer pos = link ? link->GetScrollBarPos() : -1;
  return pos != -1 ? pos : std::max(0, TopRecordIndex()) + GetScrollBarOffsetBegin();
}

Integer TcxCustomGridTableController::GetScrollBarRecordCount() {
  IcxGridDataControllerLink* link = cxGridDataControllerLink(GridView()->DataController());
  Integer count = link ? link->GetScrollBarRecordCount() : -1;
  return count != -1 ? count : GetScrollBarOffsetBegin() + ViewData()->RecordCount() + GetScrollBarOffsetEnd();
}

void TcxCustomGridTableController::SetScrollBarPos(Integer Value) {
  IcxGridDataControllerLink* link = cxGridDataControllerLink(GridView()->DataController());
  if (link && link->SetScrollBarPosHook(Value)) return;
  SetTopRecordIndex(Value - GetScrollBarOffsetBegin());
}

void TcxCustomGridTableController::MakeRecordVisible(TcxCustomGridRecord* ARecord) {
  if (!ARecord || !GridView()->Grid() || ARecord->IsNewItemRecord()) return;
  Integer index = ARecord->Index();
  if (index < TopRecordIndex()) {
    SetTopRecordIndex(index);
  } else {
    // Moves the top down until the record is shown; stops when the top no longer moves.
    while (index > LastVisibleRecordIndex()) {
      Integer top = TopRecordIndex();
      SetTopRecordIndex(top + std::max(1, index - LastVisibleRecordIndex()));
      if (TopRecordIndex() == top) break;
    }
  }
  ARecord->Invalidate();
}

void TcxCustomGridTableController::MakeFocusedRecordVisible() { MakeRecordVisible(FocusedRecord()); }

void TcxCustomGridTableController::ScrollPage(bool AForward) {
  IcxGridDataControllerLink* link = cxGridDataControllerLink(GridView()->DataController());
  if (link && link->ScrollPageHook(AForward)) return;
  if (AForward)
    ScrollPageDown();
  else
    ScrollPageUp();
}

void TcxCustomGridTableController::ScrollRecords(bool AForward, Integer ACount) {
  IcxGridDataControllerLink* link = cxGridDataControllerLink(GridView()->DataController());
  if (link && link->ScrollRecordsHook(AForward)) return;
  SetTopRecordIndex(TopRecordIndex() + (AForward ? ACount : -ACount));
}

void TcxCustomGridTableController::ScrollPageDown() {
  if (TopRecordIndex() == -1) return;
  SetTopRecordIndex(TopRecordIndex() + std::max(1, VisibleRecordCount()));
}

void TcxCustomGridTableController::ScrollPageUp() {
  if (TopRecordIndex() <= 0) return;
  SetTopRecordIndex(TopRecordIndex() - std::max(1, GetPageRecordCount(TopRecordIndex(), false)));
}

// --- Keyboard.

void TcxCustomGridTableController::KeyDown(Word& Key, TShiftState Shift) {
  Integer prevTop = TopRecordIndex();
  ViewDestroyGuard guard(GridView());
  if (IsIncSearching() && ProcessIncSearchKey(Key, Shift)) Key = 0;
  if (!guard.Alive()) return;
  Integer prevRow = FocusedRowIndex();
  Word key = Key;
  inherited::KeyDown(Key, Shift);
  if (!guard.Alive()) return;
  if (key != 0 && IsKeyForMultiSelect(key, Shift, FocusedRowIndex() != prevRow)) DoKeySelection(key, Shift);
  if (TopRecordIndex() != prevTop && Site()->HandleAllocated()) Site()->Update();
}

void TcxCustomGridTableController::WndProc(TMessage& Message) {
  inherited::WndProc(Message);
  if (Message.Msg != WM_GETDLGCODE) return;
  TcxKeys keys = Site()->WantedKeys();
  if (GridView()->OptionsBehavior()->FocusCellOnTab())
    keys.Include(kTab);
  else
    keys.Exclude(kTab);
  Site()->SetWantedKeys(keys);
}

void TcxCustomGridTableController::KeyDownFromEditor(Word& Key, TShiftState Shift) {
  ScopedRestore<bool> restore(FKeyFromEditor);
  FKeyFromEditor = true;
  KeyDown(Key, Shift);
}

void TcxCustomGridTableController::DoKeyDown(Word& Key, TShiftState Shift) {
  inherited::DoKeyDown(Key, Shift);
  if (!FKeyFromEditor)
    if (TcxCustomGridRecord* record = FocusedRecord()) record->KeyDown(Key, Shift);
  if (Key == 0) return;
  TcxCustomGridTableView* view = GridView();
  TcxCustomDataController* dataController = view->DataController();
  switch (Key) {
    case VK_INSERT:
      if (noModifiers(Shift) && CanInsert(true)) CreateNewRecord(false);
      break;
    case VK_DELETE:
      if ((noModifiers(Shift) || onlyCtrl(Shift)) && CanDelete(true)) {
        DeleteSelection();
        Key = 0;
      }
      break;
    case 'A':
      if (onlyCtrl(Shift)) dataController->SelectAll();
      break;
    case VK_RETURN:
      if ((noModifiers(Shift) || modifiers(Shift) == TShiftState{ssShift}) &&
          view->OptionsBehavior()->GoToNextCellOnEnter()) {
        FocusNextCell(!Shift.Contains(ssShift));
        Key = 0;
      }
      break;
    case VK_TAB:
      if ((noModifiers(Shift) || modifiers(Shift) == TShiftState{ssShift}) &&
          view->OptionsBehavior()->FocusCellOnTab()) {
        FocusNextCell(!Shift.Contains(ssShift));
        Key = 0;
      }
      break;
    case VK_ESCAPE:
      if (dataController->IsEditing()) {
        dataController->Cancel();
        if (!dataController->IsEditing() && CanMultiSelect()) SelectFocusedRecord();
      }
      break;
    case VK_PRIOR:
      GoToPrevPage(false);
      break;
    case VK_NEXT:
      GoToNextPage(false);
      break;
    default:
      break;
  }
}

void TcxCustomGridTableController::KeyPress(char& Key) {
  inherited::KeyPress(Key);
  if (FSkipSpaceChar) {
    FSkipSpaceChar = false;
    if (Key == ' ') Key = 0;
    return;
  }
  if (Key == 0) return;
  unsigned char c = static_cast<unsigned char>(Key);
  if (c == VK_BACK || c >= 32) {
    TcxCustomGridTableItem* item = GetIncSearchingItem();
    if (item && item->CanIncSearch() && !GridView()->DataController()->IsEditing()) {
      if (c != VK_BACK) SetIncSearchingText(IncSearchingText() + Key);
      Key = 0;
      return;
    }
  }
  if (TcxCustomGridRecord* record = FocusedRecord()) record->KeyPress(Key);
}

// --- Record navigation.

Integer TcxCustomGridTableController::FindNextRecord(Integer AFromRow, bool AForward, bool& AWrapped, bool ACycle) {
  TcxCustomGridTableViewData* viewData = ViewData();
  TcxCustomDataController* dataController = GridView()->DataController();
  if (dataController->IsGridMode()) {
    // The buffer window moves first when the move leaves it at an end the data set has not
    // reached.
    Integer count = viewData->RecordCount();
    if (AForward && AFromRow == count - 1 && !dataController->IsEOF()) {
      dataController->Scroll(1);
      if (!dataController->IsEOF()) --AFromRow;
    } else if (!AForward && AFromRow == 0 && !dataController->IsBOF()) {
      dataController->Scroll(-1);
      if (!dataController->IsBOF()) ++AFromRow;
    }
  }
  return FindNextCyclic(AFromRow, viewData->RecordCount(), AForward, ACycle,
                        [viewData](Integer ARow) { return viewData->Records(ARow)->CanFocus(); }, AWrapped);
}

bool TcxCustomGridTableController::FocusNextRecord(Integer AFromRow, bool AForward, bool, bool AToEnd) {
  TcxCustomGridTableView* view = GridView();
  TcxCustomDataController* dataController = view->DataController();
  if (dataController->IsEditing()) {
    FEditingController->UpdateValue();
    TcxDataEditState state = dataController->GetEditState();
    if (state & dceModified) {
      dataController->Post();
      if (AFromRow != -1) AFromRow = FocusedRowIndex();
    } else if (state == dceInsert) {
      bool atEnd = dataController->IsEOF();
      if (atEnd != AForward) {
        dataController->Cancel();
        return true;
      }
    }
  }
  if (dataController->IsGridMode() && AFromRow == -1) {
    if (AForward)
      dataController->GotoFirst();
    else if (AToEnd)
      dataController->GotoLast();
  }
  bool wrapped = false;
  Integer row = FindNextRecord(AFromRow, AForward, wrapped);
  if (row < 0) {
    if (AForward && view->OptionsData()->Appending() && CanAppend(true)) {
      CreateNewRecord(true);
      return true;
    }
    return false;
  }
  SetFocusedRecordIndex(row);
  return FocusedRowIndex() == row;
}

bool TcxCustomGridTableController::FocusNextRecordWithSelection(Integer AFromRow, bool AForward, bool ASelect,
                                                                bool AIntoDetails, bool AToEnd) {
  Integer previous = FocusedRowIndex();
  bool result = FocusNextRecord(AFromRow, AForward, AIntoDetails, AToEnd);
  if (result && ASelect && FocusedRowIndex() != previous && CanMultiSelect()) SelectFocusedRecord();
  return result;
}

bool TcxCustomGridTableController::FocusRecordWithSelection(Integer ARow, bool ASelect) {
  SetFocusedRecordIndex(ARow);
  bool result = FocusedRowIndex() == ARow;
  if (result && ASelect && CanMultiSelect()) SelectFocusedRecord();
  return result;
}

bool TcxCustomGridTableController::GoToFirst(bool ASelect) { return FocusNextRecordWithSelection(-1, true, ASelect); }
bool TcxCustomGridTableController::GoToLast(bool ASelect) {
  return FocusNextRecordWithSelection(-1, false, ASelect, false, true) ||
         FocusRecordWithSelection(ViewData()->RecordCount() - 1, ASelect);
}
bool TcxCustomGridTableController::GoToNext(bool ASelect) {
  return FocusNextRecordWithSelection(FocusedRowIndex(), true, ASelect);
}
bool TcxCustomGridTableController::GoToPrev(bool ASelect) {
  return FocusNextRecordWithSelection(FocusedRowIndex(), false, ASelect);
}

void TcxCustomGridTableController::GoToNextPage(bool ASelect) {
  if (ViewData()->RecordCount() == 0) return;
  MakeFocusedRecordVisible();
  if (FocusedRowIndex() == LastVisibleRecordIndex()) ScrollPageDown();
  FocusRecordWithSelection(LastVisibleRecordIndex(), ASelect);
}

void TcxCustomGridTableController::GoToPrevPage(bool ASelect) {
  if (ViewData()->RecordCount() == 0) return;
  if (FocusedRowIndex() == TopRecordIndex()) ScrollPageUp();
  FocusRecordWithSelection(TopRecordIndex(), ASelect);
}

bool TcxCustomGridTableController::FocusNextCell(bool AForward, bool ARecordChangeForbidden) {
  TcxCustomGridTableView* view = GridView();
  TcxCustomGridRecord* record = FocusedRecord();
  bool cycle = view->OptionsBehavior()->FocusCellOnCycle();
  if (record && record->HasCells() && view->OptionsSelection()->CellSelect())
    return FocusNextItem(FFocusedItem ? FFocusedItem->VisibleIndex() : -1, AForward,
                         cycle && !ARecordChangeForbidden);
  if (ARecordChangeForbidden || !cycle) return false;
  if (!FocusNextRecord(FocusedRowIndex(), AForward)) return false;
  return FocusNextItem(-1, AForward, false);
}

// --- Selection.

Integer TcxCustomGridTableController::SelectedRecordCount() { return GridView()->DataController()->GetSelectedCount(); }

TcxCustomGridRecord* TcxCustomGridTableController::SelectedRecords(Integer AIndex) {
  return ViewData()->GetRecordByIndex(GridView()->DataController()->GetSelectedRowIndex(AIndex));
}

void TcxCustomGridTableController::ChangeRecordSelection(TcxCustomGridRecord* ARecord, bool AValue) {
  if (ARecord && CanMultiSelect()) GridView()->DataController()->ChangeRowSelection(ARecord->Index(), AValue);
}

void TcxCustomGridTableController::ToggleFocusedRecordSelection() {
  if (TcxCustomGridRecord* record = FocusedRecord()) record->SetSelected(!record->Selected());
}

void TcxCustomGridTableController::SelectFocusedRecord() {
  TcxCustomGridRecord* record = FocusedRecord();
  if (!record) return;
  TcxCustomDataController* dataController = GridView()->DataController();
  if (dataController->GetSelectedCount() == 1 && record->Selected()) return;
  UpdateLock<TcxCustomDataController> lock(dataController);
  dataController->ClearSelection();
  record->SetSelected(true);
}

bool TcxCustomGridTableController::IsRecordSelectionHit(TcxCustomGridHitTest* AHitTest) {
  auto* hit = dynamic_cast<TcxGridRecordHitTest*>(AHitTest);
  if (!hit || !CanMultiSelect() || !hit->AllowsSelection()) return false;
  TcxCustomGridRecord* record =
      hit->IsNewItemRecord ? ViewData()->NewItemRecord() : ViewData()->GetRecordByIndex(hit->RecordIndex);
  return record && record == FocusedRecord();
}

bool TcxCustomGridTableController::IsKeyForMultiSelect(Word AKey, TShiftState, bool AFocusedRecordChanged) {
  return CanMultiSelect(true) && (AKey == VK_SPACE || AKey == VK_PRIOR || AKey == VK_NEXT || AFocusedRecordChanged);
}

void TcxCustomGridTableController::DoKeySelection(Word AKey, TShiftState AShift) {
  TcxCustomDataController* dataController = GridView()->DataController();
  Integer row = FocusedRowIndex();
  if (AKey == VK_SPACE && onlyCtrl(AShift)) {
    ToggleFocusedRecordSelection();
    FSkipSpaceChar = true;
  } else if (AShift.Contains(ssShift)) {
    if (row >= 0) dataController->SelectFromAnchor(row, false);
  } else {
    if (row >= 0) dataController->SetSelectionAnchor(row);
    if (!onlyCtrl(AShift)) SelectFocusedRecord();
  }
}

void TcxCustomGridTableController::DoMouseDownSelection(TcxCustomGridHitTest* AHitTest, TShiftState AShift) {
  if (!IsRecordSelectionHit(AHitTest)) return;
  TcxCustomDataController* dataController = GridView()->DataController();
  TcxCustomGridRecord* record = FocusedRecord();
  Integer row = record->Index();
  TShiftState mods = modifiers(AShift);
  bool dbl = AShift.Contains(ssDouble);
  if (mods.Empty() || mods == TShiftState{ssCtrl}) dataController->SetSelectionAnchor(row);
  if (mods == TShiftState{ssCtrl}) {
    if (record->Selected() && !dbl) {
      FDeferredSelection = true;
      FDeferredSelectionRow = row;
    } else {
      ToggleFocusedRecordSelection();
    }
  } else if (mods.Contains(ssShift)) {
    dataController->SelectFromAnchor(row, mods.Contains(ssCtrl));
  } else if (mods.Empty()) {
    if (record->Selected() && !dbl) {
      FDeferredSelection = true;
      FDeferredSelectionRow = row;
    } else {
      SelectFocusedRecord();
    }
  }
}

void TcxCustomGridTableController::DoMouseUpSelection(TcxCustomGridHitTest* AHitTest, TShiftState AShift) {
  if (!FDeferredSelection || FDeferredSelectionRow != FocusedRowIndex()) return;
  if (onlyCtrl(AShift))
    ToggleFocusedRecordSelection();
  else
    SelectFocusedRecord();
}

void TcxCustomGridTableController::InvalidateFocusedRecord() {
  if (TcxCustomGridRecord* record = FocusedRecord()) record->Invalidate();
}

void TcxCustomGridTableController::InvalidateSelection() {
  if (SelectedRecordCount() > 1)
    static_cast<TcxCustomGridView*>(GridView())->LayoutChanged(true);
  else
    InvalidateFocusedRecord();
}

void TcxCustomGridTableController::unselectFocusedOnExit() {
  TcxCustomGridRecord* record = FocusedRecord();
  if (!record || !CanMultiSelect() || !GridView()->OptionsSelection()->UnselectFocusedRecordOnExit()) return;
  if (SelectedRecordCount() == 1 && record->Selected()) record->SetSelected(false);
}

// --- Incremental search. The search state is the view's own: the item searched and the
// text typed; a match is a row whose display text of the item begins with the text,
// regardless of case.

TcxCustomGridTableItem* TcxCustomGridTableController::GetIncSearchingItem() {
  TcxCustomGridTableView* view = GridView();
  if (view->OptionsSelection()->CellSelect()) return FFocusedItem;
  if (TcxCustomGridTableItem* item = view->OptionsBehavior()->IncSearchItem()) return item;
  return view->VisibleItemCount() > 0 ? view->VisibleItems(0) : nullptr;
}

TcxCustomGridTableItem* TcxCustomGridTableController::IncSearchingItem() {
  return IsIncSearching() ? FIncSearchingItem : nullptr;
}
std::string TcxCustomGridTableController::IncSearchingText() { return FIncSearchingText; }
bool TcxCustomGridTableController::IsIncSearching() { return FIncSearchingItem != nullptr; }

void TcxCustomGridTableController::CancelIncSearching() {
  if (!FIncSearchingItem) return;
  TcxCustomGridRecord* record = FocusedRecord();
  TcxCustomGridTableItem* item = FIncSearchingItem;
  FIncSearchingItem = nullptr;
  FIncSearchingText.clear();
  if (record) record->Invalidate(item);
}

namespace {
Integer findRowByText(TcxCustomGridTableViewData* AViewData, Integer AItemIndex, Integer AStart, bool AForward,
                      const std::string& AText) {
  Integer count = AViewData->RecordCount();
  for (Integer row = AStart; row >= 0 && row < count; row += AForward ? 1 : -1) {
    TcxCustomGridRecord* record = AViewData->Records(row);
    if (record->CanFocus() && record->HasCells() && textStartsWith(record->GetDisplayText(AItemIndex), AText))
      return row;
  }
  return -1;
}
}  // namespace

void TcxCustomGridTableController::SetIncSearchingText(const std::string& Value) {
  if (Value == FIncSearchingText) return;
  TcxCustomGridTableItem* item = FIncSearchingItem ? FIncSearchingItem : GetIncSearchingItem();
  if (!item) return;
  if (Value.empty()) {
    CancelIncSearching();
    return;
  }
  Integer start = std::max(0, FocusedRowIndex());
  Integer row = findRowByText(ViewData(), item->Index(), start, true, Value);
  if (row < 0) return;  // the text stays as it was: nothing begins with the new one
  FIncSearchingItem = item;
  FIncSearchingText = Value;
  FocusRecordWithSelection(row, true);
  if (TcxCustomGridRecord* record = FocusedRecord()) record->Invalidate(item);
}

bool TcxCustomGridTableController::ProcessIncSearchKey(Word& Key, TShiftState Shift) {
  switch (Key) {
    case VK_BACK: {
      std::string text = FIncSearchingText;
      if (!text.empty()) text.pop_back();
      if (text.empty())
        CancelIncSearching();
      else {
        FIncSearchingText = text;
        if (TcxCustomGridRecord* record = FocusedRecord()) record->Invalidate(FIncSearchingItem);
      }
      return true;
    }
    case VK_ESCAPE:
      CancelIncSearching();
      return true;
    case VK_UP:
    case VK_DOWN:
      if (onlyCtrl(Shift)) {
        bool forward = Key == VK_DOWN;
        Integer row = findRowByText(ViewData(), FIncSearchingItem->Index(), FocusedRowIndex() + (forward ? 1 : -1),
                                    forward, FIncSearchingText);
        if (row >= 0) FocusRecordWithSelection(row, true);
        return true;
      }
      return false;
    default:
      return false;
  }
}

// --- Records.

void TcxCustomGridTableController::CreateNewRecord(bool AAppend) {
  TcxCustomGridTableView* view = GridView();
  TcxCustomDataController* dataController = view->DataController();
  bool editorShown = FEditingController->IsEditing();
  if (AAppend) {
    if (!CanAppend(false)) return;
    dataController->Append();
  } else {
    if (!CanInsert(false)) return;
    dataController->Insert();
    if (CanMultiSelect()) SelectFocusedRecord();
  }
  if ((dataController->GetEditState() & dceInsert) && view->OptionsBehavior()->FocusFirstCellOnNewRecord()) FocusFirstAvailableItem();
  if (editorShown) FEditingController->ShowEdit(FFocusedItem);
}

void TcxCustomGridTableController::DeleteSelection() {
  if (!CanDelete(false)) return;
  TcxCustomDataController* dataController = GridView()->DataController();
  Integer selected = dataController->GetSelectedCount();
  bool several = CanMultiSelect() && selected > 0 &&
                 (selected > 1 || dataController->GetSelectedRowIndex(0) != FocusedRowIndex());
  if (GridView()->OptionsData()->DeletingConfirmation()) {
    std::string text = cxGetResourceString(several ? &scxGridDeletingSelectedConfirmationText
                                                   : &scxGridDeletingFocusedConfirmationText);
    std::string caption = cxGetResourceString(&scxGridDeletingConfirmationCaption);
    if (Application->MessageBox(text, caption, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
  }
  if (several)
    dataController->DeleteSelection();
  else
    dataController->DeleteFocused();
}

// --- Editor.

void TcxCustomGridTableController::RefreshEditor() {
  FEditorRefreshPending = false;
  if (!FAllowEditorRefresh || !GridView()->OptionsBehavior()->AlwaysShowEditor()) return;
  TcxCustomGridRecord* record = FocusedRecord();
  if (FEditingController->IsEditing() && (!record || !record->HasCells() || !FFocusedItem))
    FEditingController->HideEdit(false);
  else
    FEditingController->ShowEdit(FFocusedItem);
}

// --- Focus, paint and mouse hooks.

void TcxCustomGridTableController::AfterPaint() {
  inherited::AfterPaint();
  if (FEditorRefreshPending) RefreshEditor();
}

void TcxCustomGridTableController::BeforePaint() {
  inherited::BeforePaint();
  if (FEditingController->UpdateNeeded()) FEditingController->UpdateEdit();
}

void TcxCustomGridTableController::BeforeKillFocus() {
  inherited::BeforeKillFocus();
  bool destroying = GridView()->IsDestroying();
  FEditingController->HideEdit(!destroying);
  TcxCustomDataController* dataController = GridView()->DataController();
  if (!destroying && dataController->IsEditing()) dataController->Post();
}

void TcxCustomGridTableController::DetailFocused(TcxCustomGridView* ADetailView) {
  ScopedRestore<bool> restore(FAllowFocusCheck);
  FAllowFocusCheck = false;
  inherited::DetailFocused(ADetailView);
}

void TcxCustomGridTableController::DoEnter() {
  inherited::DoEnter();
  RefreshEditor();
}

void TcxCustomGridTableController::DoExit() {
  inherited::DoExit();
  TcxCustomDataController* dataController = GridView()->DataController();
  if (IsNewRecordCancelledOnExit())
    dataController->Cancel();
  else
    dataController->UpdateData();
}

bool TcxCustomGridTableController::MayFocus() {
  if (!inherited::MayFocus()) return false;
  TcxGridEditingController* editing = FEditingController.get();
  if (!Site()->Focused() || !editing->Edit() || !editing->IsEditing()) return true;
  return !GridView()->OptionsBehavior()->AlwaysShowEditor() && editing->Edit()->ValidateInput(false);
}

void TcxCustomGridTableController::FocusLost() {
  unselectFocusedOnExit();
  inherited::FocusLost();
  InvalidateFocusedRecord();
}

void TcxCustomGridTableController::FocusGained() {
  if (!FEditingController->IsEditorUnfocused()) return;
  inherited::FocusGained();
  InvalidateFocusedRecord();
  FEditorRefreshPending = true;
}

void TcxCustomGridTableController::ControlFocusChanged() {
  inherited::ControlFocusChanged();
  InvalidateSelection();
}

void TcxCustomGridTableController::CancelMouseOperations() {
  inherited::CancelMouseOperations();
  StopPullFocusing();
  ClearDeferredSelection();
}

bool TcxCustomGridTableController::HasFocusedChild() {
  return inherited::HasFocusedChild() || !FEditingController->IsEditorUnfocused();
}

// ---------------------------------------------------------------------------------------
// In-site drag-and-drop operations of record views.

TcxCustomGridTableController* TcxCustomGridTableDragAndDropObject::Controller() const {
  return static_cast<TcxCustomGridTableController*>(inherited::Controller());
}
TcxCustomGridTableView* TcxCustomGridTableDragAndDropObject::GridView() const {
  return static_cast<TcxCustomGridTableView*>(inherited::GridView());
}
TcxCustomGridTableViewInfo* TcxCustomGridTableDragAndDropObject::ViewInfo() const {
  return static_cast<TcxCustomGridTableViewInfo*>(GridView()->ViewInfo());
}

void TcxCustomGridTableController::BeginDragAndDrop() {
  FEditingController->HideEdit(true);
  inherited::BeginDragAndDrop();
}

void TcxCustomGridTableController::EndDragAndDrop(bool Accepted) {
  inherited::EndDragAndDrop(Accepted);
  RefreshEditor();
}

void TcxCustomGridTableController::BeforeStartDrag() {
  inherited::BeforeStartDrag();
  TcxCustomDataController* dataController = GridView()->DataController();
  if (!dataController->IsEditing()) return;
  if (dataController->GetEditState() & dceModified)
    dataController->Post();
  else
    dataController->Cancel();
}

bool TcxCustomGridTableController::CanBeginStandardDrag(Integer X, Integer Y) {
  return inherited::CanBeginStandardDrag(X, Y) && GetRecordAt(X, Y) != nullptr;
}

TcxGridDirection TcxCustomGridTableController::GetDragScrollDirection(Integer X, Integer Y) {
  TRect area = ViewInfo()->ClientBounds();
  bool horizontal = IsRecordsScrollHorizontal();
  if (!(horizontal ? X >= area.left : Y >= area.top)) return TcxGridDirection::None;
  if (horizontal ? X >= area.right : Y >= area.bottom)
    return horizontal ? TcxGridDirection::Right : TcxGridDirection::Down;
  TcxCustomGridRecord* record = GetRecordAt(X, Y);
  if (!record || record->IsNewItemRecord()) return TcxGridDirection::None;
  if (record->Index() == TopRecordIndex() && TopRecordIndex() > 0)
    return horizontal ? TcxGridDirection::Left : TcxGridDirection::Up;
  if (record->Index() >= LastVisibleRecordIndex()) return horizontal ? TcxGridDirection::Right : TcxGridDirection::Down;
  return TcxGridDirection::None;
}

void TcxCustomGridTableController::SetDragScrollDirection(TcxGridDirection Value) {
  if (FDragScrollDirection == Value) return;
  FDragScrollTimer.reset();
  FDragScrollDirection = Value;
  if (Value == TcxGridDirection::None) return;
  FDragScrollTimer.reset(new TTimer(nullptr));
  FDragScrollTimer->SetInterval(DragScrollInterval());
  FDragScrollTimer->SetOnTimer(TNotifyEvent(this, &TcxCustomGridTableController::dragScrollTimerHandler));
}

void TcxCustomGridTableController::dragScrollTimerHandler(TObject*) { DragScrollStep(); }

void TcxCustomGridTableController::DragScrollStep() {
  bool forward = FDragScrollDirection == TcxGridDirection::Down || FDragScrollDirection == TcxGridDirection::Right;
  ScrollRecords(forward, 1);
  if (Site()->HandleAllocated()) Site()->Update();
}

void TcxCustomGridTableController::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  inherited::DragOver(Source, X, Y, State, Accept);
  TcxCustomGridTableOptionsBehavior* behavior = GridView()->OptionsBehavior();
  bool leaving = State == dsDragLeave;
  if (behavior->DragScrolling())
    SetDragScrollDirection(leaving ? TcxGridDirection::None : GetDragScrollDirection(X, Y));
  if (behavior->DragHighlighting()) SetDragHighlightedRecord(leaving ? nullptr : GetRecordAt(X, Y));
  if (behavior->DragFocusing() == dfDragOver && !leaving)
    if (TcxCustomGridRecord* record = GetRecordAt(X, Y)) SetFocusedRecord(record);
}

void TcxCustomGridTableController::DragDrop(TObject* Source, Integer X, Integer Y) {
  if (GridView()->OptionsBehavior()->DragFocusing() == dfDragDrop)
    if (TcxCustomGridRecord* record = GetRecordAt(X, Y)) SetFocusedRecord(record);
  inherited::DragDrop(Source, X, Y);
}

void TcxCustomGridTableController::EndDrag(TObject* Target, Integer X, Integer Y) {
  SetDragHighlightedRecord(nullptr);
  SetDragScrollDirection(TcxGridDirection::None);
  inherited::EndDrag(Target, X, Y);
}

void TcxCustomGridTableController::StartDrag(TDragObject*& DragObject) {
  inherited::StartDrag(DragObject);
  Site()->SetDragCursor(SelectedRecordCount() > 1 ? cxGridMultiDragCursor : cxGridDragCursor);
}

TcxCustomGridRecord* TcxCustomGridTableController::GetRecordAt(Integer X, Integer Y) {
  auto* hit = dynamic_cast<TcxGridRecordHitTest*>(ViewInfo()->GetHitTest(X, Y));
  if (!hit) return nullptr;
  return hit->IsNewItemRecord ? ViewData()->NewItemRecord() : ViewData()->GetRecordByIndex(hit->RecordIndex);
}

void TcxCustomGridTableController::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  FEditingController->StopEditingTimer();
  ViewDestroyGuard guard(GridView());
  inherited::MouseDown(Button, Shift, X, Y);
  if (!guard.Alive()) return;
  // The hit test instance is shared: it is taken again after the cell's own handling.
  TcxCustomGridHitTest* hitTest = ViewInfo()->GetHitTest(X, Y);
  focusClickedCell(hitTest, Button);
  if (!guard.Alive()) return;
  hitTest = ViewInfo()->GetHitTest(X, Y);
  if (Button == mbLeft) DoMouseDownSelection(hitTest, Shift);
  if (dynamic_cast<TcxGridRecordHitTest*>(hitTest) && GridView()->OptionsBehavior()->PullFocusing() &&
      GetCapture() == Site()->WindowHandle()) {
    FPullFocusing = true;
    FLastMousePoint = TPoint{X, Y};
  }
}

void TcxCustomGridTableController::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  if (!FPullFocusing) return;
  if (FLastMousePoint.x == X && FLastMousePoint.y == Y) return;
  FLastMousePoint = TPoint{X, Y};
  TcxGridDirection direction = TcxGridDirection::None;
  if (GetPullFocusingScrollingDirection(X, Y, direction)) {
    FPullFocusingDirection = direction;
    if (!FPullFocusingTimer) {
      FPullFocusingTimer.reset(new TTimer(nullptr));
      FPullFocusingTimer->SetInterval(10);
      FPullFocusingTimer->SetOnTimer(TNotifyEvent(this, &TcxCustomGridTableController::pullFocusingTimerHandler));
    }
    return;
  }
  FPullFocusingTimer.reset();
  if (TcxCustomGridRecord* record = GetRecordAt(X, Y))
    if (record != FocusedRecord()) SetFocusedRecord(record);
}

void TcxCustomGridTableController::pullFocusingTimerHandler(TObject*) {
  bool forward = FPullFocusingDirection == TcxGridDirection::Down || FPullFocusingDirection == TcxGridDirection::Right;
  FocusNextRecord(FocusedRowIndex(), forward);
  if (Site()->HandleAllocated()) Site()->Update();
}

void TcxCustomGridTableController::StopPullFocusing() {
  FPullFocusing = false;
  FPullFocusingTimer.reset();
}

// A click on a record focuses it, and on a data cell the cell's item too.
void TcxCustomGridTableController::focusClickedCell(TcxCustomGridHitTest* AHitTest, TMouseButton AButton) {
  FMouseDownItem = nullptr;
  FMouseDownCellWasFocused = false;
  auto* hit = dynamic_cast<TcxGridRecordHitTest*>(AHitTest);
  if (!hit || hit->ViewData != ViewData() || (AButton != mbLeft && AButton != mbRight)) return;
  TcxCustomGridRecord* record =
      hit->IsNewItemRecord ? ViewData()->NewItemRecord() : ViewData()->GetRecordByIndex(hit->RecordIndex);
  if (!record) return;
  auto* cellHit = dynamic_cast<TcxGridRecordCellHitTest*>(AHitTest);
  auto* item = cellHit ? dynamic_cast<TcxCustomGridTableItem*>(cellHit->Item) : nullptr;
  FMouseDownCellWasFocused = record == FocusedRecord() && item && item == FFocusedItem;
  FMouseDownItem = item;
  if (record != FocusedRecord()) SetFocusedRecord(record);
  if (record != FocusedRecord()) return;
  if (item) SetFocusedItem(item);
}

void TcxCustomGridTableController::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  StopPullFocusing();
  TcxCustomGridHitTest* hitTest = ViewInfo()->GetHitTest(X, Y);
  if (Button == mbLeft) DoMouseUpSelection(hitTest, Shift);
  ClearDeferredSelection();
  // A plain click on the focused cell starts editing: at once with ImmediateEditor, else
  // after the double-click time when the cell was focused before the click.
  auto* cellHit = dynamic_cast<TcxGridRecordCellHitTest*>(ViewInfo()->GetHitTest(X, Y));
  TcxCustomGridTableItem* item = FMouseDownItem;
  bool wasFocused = FMouseDownCellWasFocused;
  FMouseDownItem = nullptr;
  FMouseDownCellWasFocused = false;
  if (Button != mbLeft || !cellHit || !item || cellHit->Item != item || item != FFocusedItem) return;
  if (Shift.Contains(ssShift) || Shift.Contains(ssCtrl) || FEditingController->IsEditing()) return;
  if (GridView()->OptionsBehavior()->ImmediateEditor())
    FEditingController->StartEditingByMouse(item, Shift, X, Y);
  else if (wasFocused && !IsDblClick())
    FEditingController->StartEditingTimer(item);
}

bool TcxCustomGridTableController::GetPullFocusingScrollingDirection(Integer X, Integer Y,
                                                                     TcxGridDirection& ADirection) {
  TRect area = ViewInfo()->ClientBounds();
  if (IsRecordsScrollHorizontal()) {
    if (X < area.left) ADirection = TcxGridDirection::Left;
    else if (X >= area.right) ADirection = TcxGridDirection::Right;
    else return false;
  } else {
    if (Y < area.top) ADirection = TcxGridDirection::Up;
    else if (Y >= area.bottom) ADirection = TcxGridDirection::Down;
    else return false;
  }
  return true;
}

void TcxCustomGridTableController::PostGridModeBufferCountCheck() {
  if (!GridView()->DataController()->IsGridMode() || FGridModeTimer) return;
  FGridModeTimer.reset(new TTimer(nullptr));
  FGridModeTimer->SetInterval(1);
  FGridModeTimer->SetOnTimer(TNotifyEvent(this, &TcxCustomGridTableController::gridModeTimerHandler));
}

void TcxCustomGridTableController::gridModeTimerHandler(TObject*) {
  if (ViewInfo()->IsCalculating()) return;
  FGridModeTimer.reset();
  if (IcxGridDataControllerLink* link = cxGridDataControllerLink(GridView()->DataController()))
    link->SyncGridModeBufferCount();
}

bool TcxCustomGridTableController::GetFocusedCellEditBounds(TcxCustomGridTableItem* AItem, TRect& ABounds) {
  auto* viewInfo = dynamic_cast<TcxCustomGridTableViewInfo*>(GridView()->ViewInfo());
  TcxCustomGridRecordsViewInfo* records = viewInfo ? viewInfo->RecordsViewInfo() : nullptr;
  if (!records) return false;
  records->ResetFocusedCell();
  TcxGridTableDataCellViewInfo* cell = records->GetFocusedCell();
  if (!cell || cell->Item() != AItem || !cell->GetVisible()) return false;
  cell->GetEditBounds(ABounds);
  return !IsRectEmpty(&ABounds);
}

void TcxCustomGridTableController::BeforeLayoutCalculate() { FEditingController->BeforeLayoutCalculate(); }

void TcxCustomGridTableController::LayoutCalculated() {
  FEditingController->HideUnplacedEditor();
  UpdateScrollBars();
}

// =======================================================================================
// The view.

void TcxCustomGridTableView::BeforeDestruction() {
  // The items go while the view and its data controller are still whole.
  if (DataController()) ClearItems();
  inherited::BeforeDestruction();
}

TcxCustomGridTableController* TcxCustomGridTableView::Controller() const {
  return static_cast<TcxCustomGridTableController*>(inherited::Controller());
}
TcxCustomGridTableViewData* TcxCustomGridTableView::ViewData() const {
  return static_cast<TcxCustomGridTableViewData*>(inherited::ViewData());
}
TcxCustomGridTableOptionsSelection* TcxCustomGridTableView::OptionsSelection() const {
  return static_cast<TcxCustomGridTableOptionsSelection*>(inherited::OptionsSelection());
}
TcxCustomGridTableOptionsView* TcxCustomGridTableView::OptionsView() const {
  return static_cast<TcxCustomGridTableOptionsView*>(inherited::OptionsView());
}
TcxCustomGridTableViewStyles* TcxCustomGridTableView::Styles() const {
  return static_cast<TcxCustomGridTableViewStyles*>(inherited::Styles());
}
TcxCustomGridTableBackgroundBitmaps* TcxCustomGridTableView::BackgroundBitmaps() const {
  return static_cast<TcxCustomGridTableBackgroundBitmaps*>(inherited::BackgroundBitmaps());
}

void TcxCustomGridTableView::CreateOptions() {
  inherited::CreateOptions();
  FFiltering.reset(As<TcxCustomGridTableFiltering>(GetFilteringClass()->CreateInstance(static_cast<TcxCustomGridView*>(this))));
  FOptionsBehavior.reset(
      As<TcxCustomGridTableOptionsBehavior>(GetOptionsBehaviorClass()->CreateInstance(static_cast<TcxCustomGridView*>(this))));
  FOptionsCustomize.reset(
      As<TcxCustomGridTableOptionsCustomize>(GetOptionsCustomizeClass()->CreateInstance(static_cast<TcxCustomGridView*>(this))));
  FOptionsData.reset(
      As<TcxCustomGridTableOptionsData>(GetOptionsDataClass()->CreateInstance(static_cast<TcxCustomGridView*>(this))));
}

void TcxCustomGridTableView::DestroyOptions() {
  FOptionsData.reset();
  FOptionsCustomize.reset();
  FOptionsBehavior.reset();
  FFiltering.reset();
  inherited::DestroyOptions();
}

void TcxCustomGridTableView::DestroyHandlers() {
  if (DataController()) ClearItems();
  inherited::DestroyHandlers();
}

TClass TcxCustomGridTableView::GetItemDataBindingClass() {
  IcxGridDataControllerLink* link = cxGridDataControllerLink(DataController());
  return link ? link->GetItemDataBindingClass() : nullptr;
}

// --- Items.

TcxCustomGridTableItem* TcxCustomGridTableView::CreateItem() {
  auto* item = As<TcxCustomGridTableItem>(GetItemClass()->CreateInstance(Owner()));
  AddItem(item);
  return item;
}

void TcxCustomGridTableView::ClearItems() {
  {
    GridViewUpdateLock lock(this);
    // Each item's destruction removes it from the list.
    while (!FItems.empty()) FItems.back()->Free();
  }
  FNextID = 0;
}

void TcxCustomGridTableView::renumberItems() {
  for (size_t i = 0; i < FItems.size(); ++i) FItems[i]->setIndexField(static_cast<Integer>(i));
}

void TcxCustomGridTableView::AddItem(TcxCustomGridTableItem* AItem) {
  FItems.push_back(AItem);
  renumberItems();
  AItem->SetID(FNextID++);
  DataController()->AddItem(AItem);
  AItem->SetGridView(this);
  AItem->SetVisible(true);
  RefreshFilterableItemsList();
}

void TcxCustomGridTableView::releaseItemID(Integer AID) {
  if (AID == FNextID - 1) --FNextID;
}

void TcxCustomGridTableView::RemoveItem(TcxCustomGridTableItem* AItem) {
  auto it = std::find(FItems.begin(), FItems.end(), AItem);
  if (it == FItems.end()) return;
  if (FOptionsBehavior && FOptionsBehavior->IncSearchItem() == AItem) FOptionsBehavior->SetIncSearchItem(nullptr);
  AItem->SetVisible(false);
  if (Controller()) Controller()->ItemRemoved(AItem);
  FItems.erase(std::find(FItems.begin(), FItems.end(), AItem));
  AItem->setIndexField(-1);
  renumberItems();
  AItem->SetGridView(nullptr);
  DataController()->RemoveItem(AItem);
  releaseItemID(AItem->ID());
  RefreshFilterableItemsList();
}

void TcxCustomGridTableView::ChangeItemIndex(TcxCustomGridTableItem* AItem, Integer AIndex) {
  Integer count = ItemCount();
  if (AIndex < 0) AIndex = 0;
  if (AIndex > count - 1) AIndex = count - 1;
  Integer current = IndexOfItem(AItem);
  if (current < 0 || current == AIndex) return;
  FItems.erase(FItems.begin() + current);
  FItems.insert(FItems.begin() + AIndex, AItem);
  renumberItems();
  if (AItem->Visible()) RefreshVisibleItemsList();
  DataController()->UpdateItemIndexes();
}

void TcxCustomGridTableView::ItemVisibilityChanged(TcxCustomGridTableItem* AItem, bool AVisible) {
  if (AVisible) {
    RefreshVisibleItemsList();
    SizeChanged();
    if (Controller() && !Controller()->FocusedItem()) AItem->SetFocused(true);
  } else {
    AItem->SetFocused(false);
    RefreshVisibleItemsList();
    SizeChanged();
  }
}

void TcxCustomGridTableView::RefreshVisibleItemsList() {
  FVisibleItems.clear();
  for (TcxCustomGridTableItem* item : FItems) {
    if (item->Visible()) {
      item->SetVisibleIndex(static_cast<Integer>(FVisibleItems.size()));
      FVisibleItems.push_back(item);
    } else {
      item->SetVisibleIndex(-1);
    }
  }
}

void TcxCustomGridTableView::RefreshFilterableItemsList() {
  FFilterableItems.clear();
  for (TcxCustomGridTableItem* item : FItems)
    if (item->GetFilterable()) FFilterableItems.push_back(item);
}

Integer TcxCustomGridTableView::IndexOfItem(TcxCustomGridTableItem* AItem) const {
  auto it = std::find(FItems.begin(), FItems.end(), AItem);
  return it == FItems.end() ? -1 : static_cast<Integer>(it - FItems.begin());
}

TcxCustomGridTableItem* TcxCustomGridTableView::FindItemByID(Integer AID) const {
  for (TcxCustomGridTableItem* item : FItems)
    if (item->ID() == AID) return item;
  return nullptr;
}

TcxCustomGridTableItem* TcxCustomGridTableView::FindItemByName(const std::string& AName) const {
  for (TcxCustomGridTableItem* item : FItems)
    if (item->Name() == AName) return item;
  return nullptr;
}

Integer TcxCustomGridTableView::GroupedItemCount() const { return DataController()->Groups()->GetGroupingItemCount(); }

TcxCustomGridTableItem* TcxCustomGridTableView::GroupedItems(Integer AIndex) const {
  return Items(DataController()->Groups()->GetGroupingItemIndex(AIndex));
}

void TcxCustomGridTableView::GetChildren(TGetChildProc Proc, TComponent* Root) {
  inherited::GetChildren(Proc, Root);
  for (TcxCustomGridTableItem* item : FItems)
    if (item->Owner() == Root) Proc(item);
}

void TcxCustomGridTableView::SetName(const std::string& NewName) {
  std::string oldName = Name();
  inherited::SetName(NewName);
  if (Name() == oldName || oldName.empty()) return;
  cxGridRenameChildComponents(
      this, Owner(), Name(), [this](Integer AIndex) -> TComponent* { return Items(AIndex); }, ItemCount(), oldName);
}

void TcxCustomGridTableView::DoAssign(TcxCustomGridView* ASource) {
  if (auto* source = tableView(ASource)) {
    GridViewUpdateLock lock(this);
    ClearItems();
    for (Integer i = 0; i < source->ItemCount(); ++i) {
      TcxCustomGridTableItem* item = CreateItem();
      item->SetID(source->Items(i)->ID());
      item->Assign(source->Items(i));
    }
    FNextID = source->FNextID;
    FFiltering->Assign(source->Filtering());
    FOptionsBehavior->Assign(source->OptionsBehavior());
    FOptionsCustomize->Assign(source->OptionsCustomize());
    FOptionsData->Assign(source->OptionsData());
    OnCanSelectRecord = source->OnCanSelectRecord;
    OnEditing = source->OnEditing;
    OnFocusedItemChanged = source->OnFocusedItemChanged;
    OnFocusedRecordChanged = source->OnFocusedRecordChanged;
    OnSelectionChanged = source->OnSelectionChanged;
    OnEditChanged = source->OnEditChanged;
    OnEditValueChanged = source->OnEditValueChanged;
    OnTopRecordIndexChanged = source->OnTopRecordIndexChanged;
    OnInitEdit = source->OnInitEdit;
  }
  inherited::DoAssign(ASource);
}

void TcxCustomGridTableView::RestoreDefaults() {
  GridViewUpdateLock lock(this);
  for (TcxCustomGridTableItem* item : FItems) item->RestoreDefaults();
}

// --- Data controller notifications.

void TcxCustomGridTableView::DataControllerNotify(TcxUpdateControlInfo* AInfo) {
  if (IsDestroying()) return;
  if (auto* info = dynamic_cast<TcxFocusedRecordChangedInfo*>(AInfo)) {
    FocusedRecordChanged(info->PrevFocusedRowIndex, info->FocusedRowIndex, info->NewItemRowFocusingChanged);
  } else if (dynamic_cast<TcxDataChangedInfo*>(AInfo)) {
    DataChanged();
  } else if (dynamic_cast<TcxLayoutChangedInfo*>(AInfo)) {
    LayoutChanged();
  } else if (auto* info = dynamic_cast<TcxSelectionChangedInfo*>(AInfo)) {
    SelectionChanged(info);
  } else if (dynamic_cast<TcxSearchChangedInfo*>(AInfo)) {
    SearchChanged();
  } else if (auto* info = dynamic_cast<TcxUpdateRecordInfo*>(AInfo)) {
    RecordChanged(info->RecordIndex);
  }
}

void TcxCustomGridTableView::DataChanged() {
  if (Controller()) Controller()->SetDragHighlightedRecord(nullptr);
  for (TcxCustomGridTableItem* item : FItems) item->DataChanged();
  Changed(new TcxGridDataChange(this));
}

void TcxCustomGridTableView::LayoutChanged() {
  ViewData()->RefreshRecords();
  SizeChanged();
}

void TcxCustomGridTableView::RecordCountChanged() {
  ViewData()->Refresh(DataController()->GetRowCount());
}

void TcxCustomGridTableView::FocusedRecordChanged(Integer APrevFocusedRowIndex, Integer AFocusedRowIndex,
                                                  bool ANewItemRecordFocusingChanged) {
  TcxCustomDataController* dataController = DataController();
  // An editor that cannot follow the focus to the new record takes its value along first.
  if (TcxCustomGridTableController* controller = Controller()) {
    TcxGridEditingController* editing = controller->EditingController();
    if (editing && editing->IsEditing() && editing->NeedsHideEditOnRecordChange()) editing->HideEdit(true);
    // The newly focused record comes into view.
    if (controller->AllowFocusCheck() && AFocusedRowIndex >= 0) controller->MakeFocusedRecordVisible();
  }
  // Focus on the new-item row or on no row (-1) leaves no row to anchor a selection at.
  if (!dataController->IsSelectionAnchorAssigned() && AFocusedRowIndex >= 0 &&
      AFocusedRowIndex < dataController->GetRowCount())
    dataController->SetSelectionAnchor(AFocusedRowIndex);
  Changed(new TcxGridFocusedRecordChange(this, APrevFocusedRowIndex, AFocusedRowIndex, ANewItemRecordFocusingChanged));
  if (OnFocusedRecordChanged) {
    TcxCustomGridRecord* previous = ViewData()->GetRecordByIndex(APrevFocusedRowIndex);
    TcxCustomGridRecord* current = ViewData()->GetRecordByIndex(AFocusedRowIndex);
    OnFocusedRecordChanged(this, previous, current, ANewItemRecordFocusingChanged);
  }
}

void TcxCustomGridTableView::RecordChanged(Integer ARecordIndex) {
  ViewData()->RefreshEditingRecord();
  if (TcxCustomGridRecord* record = ViewData()->GetRecordByRecordIndex(ARecordIndex))
    record->Invalidate();
  else
    inherited::LayoutChanged(true);
}

void TcxCustomGridTableView::SearchChanged() {
  if (TcxCustomGridRecord* record = Controller()->FocusedRecord()) record->Invalidate(Controller()->FocusedItem());
}

void TcxCustomGridTableView::SelectionChanged(TcxSelectionChangedInfo* AInfo) {
  if (AInfo->Count() == 0) {
    inherited::LayoutChanged(true);
  } else {
    for (Integer i = 0; i < AInfo->Count(); ++i)
      if (TcxCustomGridRecord* record = ViewData()->GetRecordByIndex(AInfo->RowIndexes(i))) record->Invalidate();
  }
  if (OnSelectionChanged) OnSelectionChanged(this);
}

void TcxCustomGridTableView::DoItemValueTypeClassChanged(Integer AItemIndex) {
  if (AItemIndex >= 0 && AItemIndex < ItemCount()) Items(AItemIndex)->ValueTypeClassChanged();
}

// --- Drawing questions.

bool TcxCustomGridTableView::DrawRecordActive(TcxCustomGridRecord* ARecord) {
  return Focused() || (Controller() && ARecord && Controller()->DragHighlightedRecord() == ARecord);
}

bool TcxCustomGridTableView::DrawRecordFocused(TcxCustomGridRecord* ARecord) {
  return ARecord && Controller()->FocusedRecord() == ARecord && Grid() && Grid()->FocusedView() == this;
}

bool TcxCustomGridTableView::DrawRecordSelected(TcxCustomGridRecord* ARecord) {
  if (!ARecord) return false;
  bool focusedView = Grid() && Grid()->FocusedView() == this;
  return (ARecord->Selected() && (focusedView || DataController()->MultiSelect())) ||
         Controller()->DragHighlightedRecord() == ARecord;
}

// --- Event wrappers.

bool TcxCustomGridTableView::DoCanSelectRecord(Integer ARecordIndex) {
  bool allow = true;
  if (OnCanSelectRecord) OnCanSelectRecord(this, ViewData()->GetRecordByRecordIndex(ARecordIndex), allow);
  return allow;
}

bool TcxCustomGridTableView::DoEditing(TcxCustomGridTableItem* AItem) {
  bool allow = true;
  if (OnEditing) OnEditing(this, AItem, allow);
  return allow;
}

void TcxCustomGridTableView::DoFocusedItemChanged(TcxCustomGridTableItem* APrevFocusedItem,
                                                  TcxCustomGridTableItem* AFocusedItem) {
  if (OnFocusedItemChanged) OnFocusedItemChanged(this, APrevFocusedItem, AFocusedItem);
}

void TcxCustomGridTableView::DoEditChanged(TcxCustomGridTableItem* AItem) {
  if (OnEditChanged) OnEditChanged(this, AItem);
}

void TcxCustomGridTableView::DoEditValueChanged(TcxCustomGridTableItem* AItem) {
  if (OnEditValueChanged) OnEditValueChanged(this, AItem);
}

void TcxCustomGridTableView::DoInitEdit(TcxCustomGridTableItem* AItem, TcxCustomEdit* AEdit) {
  if (OnInitEdit) OnInitEdit(this, AItem, AEdit);
}

void TcxCustomGridTableView::DoTopRecordIndexChanged() {
  if (OnTopRecordIndexChanged) OnTopRecordIndexChanged(this);
}

void TcxCustomGridTableView::DoGetDisplayText(TcxCustomGridRecord* ARecord, Integer AItemIndex, std::string& AText) {
  if (AItemIndex >= 0 && AItemIndex < ItemCount()) Items(AItemIndex)->DoGetDisplayText(ARecord, AText);
}

Integer TcxCustomGridTableView::GetDefaultActiveDetailIndex() {
  return Level() && Level()->Count() > 0 ? 0 : -1;
}

// =======================================================================================

RTL_IMPLEMENT_CLASS(TcxGridDataChange)
RTL_IMPLEMENT_CLASS(TcxGridRecordChange)
RTL_IMPLEMENT_CLASS(TcxGridFocusedRecordChange)
RTL_BEGIN_CLASS(TcxCustomGridTableFiltering)
  using T = TcxCustomGridTableFiltering;
  b.Property("CustomizeDialog", &T::CustomizeDialog, &T::SetCustomizeDialog).Default(true);
  b.Property("DropDownWidth", &T::DropDownWidth, &T::SetDropDownWidth).Default(0);
  b.Property("MaxDropDownCount", &T::MaxDropDownCount, &T::SetMaxDropDownCount).Default(15);
  b.Property("Visible", &T::Visible, &T::SetVisible).Default(fvNonEmpty);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxCustomGridTableOptionsBehavior)
  using T = TcxCustomGridTableOptionsBehavior;
  b.Property("AlwaysShowEditor", &T::AlwaysShowEditor, &T::SetAlwaysShowEditor).Default(false);
  b.Property("CellHints", &T::CellHints, &T::SetCellHints).Default(false);
  b.Property("DragFocusing", &T::DragFocusing, &T::SetDragFocusing).Default(dfNone);
  b.Property("DragHighlighting", &T::DragHighlighting, &T::SetDragHighlighting).Default(true);
  b.Property("DragOpening", &T::DragOpening, &T::SetDragOpening).Default(true);
  b.Property("DragScrolling", &T::DragScrolling, &T::SetDragScrolling).Default(true);
  b.Property("FocusCellOnTab", &T::FocusCellOnTab, &T::SetFocusCellOnTab).Default(false);
  b.Property("FocusFirstCellOnNewRecord", &T::FocusFirstCellOnNewRecord, &T::SetFocusFirstCellOnNewRecord)
      .Default(false);
  b.Property("GoToNextCellOnEnter", &T::GoToNextCellOnEnter, &T::SetGoToNextCellOnEnter).Default(false);
  b.Property("ImmediateEditor", &T::ImmediateEditor, &T::SetImmediateEditor).Default(true);
  b.Property("IncSearch", &T::IncSearch, &T::SetIncSearch).Default(false);
  b.Property("NavigatorHints", &T::NavigatorHints, &T::SetNavigatorHints).Default(false);
RTL_END_CLASS
RTL_IMPLEMENT_CLASS(TcxCustomGridTableOptionsCustomize)
RTL_BEGIN_CLASS(TcxCustomGridTableOptionsData)
  using T = TcxCustomGridTableOptionsData;
  b.Property("Appending", &T::Appending, &T::SetAppending).Default(false);
  b.Property("CancelOnExit", &T::CancelOnExit, &T::SetCancelOnExit).Default(true);
  b.Property("Deleting", &T::Deleting, &T::SetDeleting).Default(true);
  b.Property("DeletingConfirmation", &T::DeletingConfirmation, &T::SetDeletingConfirmation).Default(true);
  b.Property("Editing", &T::Editing, &T::SetEditing).Default(true);
  b.Property("Inserting", &T::Inserting, &T::SetInserting).Default(true);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxCustomGridTableOptionsSelection)
  using T = TcxCustomGridTableOptionsSelection;
  b.Property("CellSelect", &T::CellSelect, &T::SetCellSelect).Default(true);
  b.Property("HideFocusRect", &T::HideFocusRect, &T::SetHideFocusRect).Default(true);
  b.Property("HideSelection", &T::HideSelection, &T::SetHideSelection).Default(false);
  b.Property("InvertSelect", &T::InvertSelect, &T::SetInvertSelect).Default(true);
  b.Property("MultiSelect", &T::MultiSelect, &T::SetMultiSelect).Default(false);
  b.Property("UnselectFocusedRecordOnExit", &T::UnselectFocusedRecordOnExit, &T::SetUnselectFocusedRecordOnExit)
      .Default(true);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxCustomGridTableOptionsView)
  using T = TcxCustomGridTableOptionsView;
  b.Property("CellAutoHeight", &T::CellAutoHeight, &T::SetCellAutoHeight).Default(false);
  b.Property("CellEndEllipsis", &T::CellEndEllipsis, &T::SetCellEndEllipsis).Default(false);
  b.Property("CellTextMaxLineCount", &T::CellTextMaxLineCount, &T::SetCellTextMaxLineCount).Default(0);
  b.Property("HeaderAutoHeight", &T::HeaderAutoHeight, &T::SetHeaderAutoHeight).Default(false);
  b.Property("HeaderEndEllipsis", &T::HeaderEndEllipsis, &T::SetHeaderEndEllipsis).Default(false);
  b.Property("Navigator", &T::Navigator, &T::SetNavigator).Default(false);
  b.Property("NavigatorOffset", &T::NavigatorOffset, &T::SetNavigatorOffset).Default(50);
  b.Property("ShowEditButtons", &T::ShowEditButtons, &T::SetShowEditButtons).Default(gsebNever);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxCustomGridTableViewStyles)
  using T = TcxCustomGridTableViewStyles;
  b.Property("Content", &T::Content, &T::SetContent);
  b.Property("ContentEven", &T::ContentEven, &T::SetContentEven);
  b.Property("ContentOdd", &T::ContentOdd, &T::SetContentOdd);
  b.Property("Inactive", &T::Inactive, &T::SetInactive);
  b.Property("IncSearch", &T::IncSearch, &T::SetIncSearch);
  b.Property("Selection", &T::Selection, &T::SetSelection);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxCustomGridTableBackgroundBitmaps)
  b.Property("Content", &TcxCustomGridTableBackgroundBitmaps::Content, &TcxCustomGridTableBackgroundBitmaps::SetContent);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxGridDataController)
  b.Property("Summary", &TcxGridDataController::Summary, &TcxGridDataController::SetSummary);
RTL_END_CLASS
RTL_IMPLEMENT_CLASS(TcxGridDefaultValuesProvider)
RTL_IMPLEMENT_CLASS(TcxGridItemDataBinding)
RTL_IMPLEMENT_CLASS(TcxCustomGridTableItemOptions)
RTL_BEGIN_CLASS(TcxCustomGridTableItemStyles)
  b.Property("Content", &TcxCustomGridTableItemStyles::Content, &TcxCustomGridTableItemStyles::SetContent);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxCustomGridTableItem)
  using T = TcxCustomGridTableItem;
  b.Interface<IcxEditRepositoryItemListener>();
  b.Property("Caption", &T::Caption, &T::SetCaption).Stored(&T::IsCaptionStored);
  b.Property("PropertiesClassName", &T::PropertiesClassName, &T::SetPropertiesClassName);
  b.Property("RepositoryItem", &T::RepositoryItem, &T::SetRepositoryItem);
  b.Property("Visible", &T::Visible, &T::SetVisible).Default(true);
RTL_END_CLASS
RTL_IMPLEMENT_CLASS(TcxCustomGridRecord)
RTL_IMPLEMENT_CLASS(TcxCustomGridTableViewData)
RTL_IMPLEMENT_CLASS(TcxCustomGridTableController)
RTL_IMPLEMENT_CLASS(TcxCustomGridTableDragAndDropObject)
RTL_IMPLEMENT_CLASS(TcxGridEditingController)
RTL_IMPLEMENT_CLASS(TcxCustomGridTableView)

// =======================================================================================
// Items: the cells that show them and the style they draw and measure with.

void TcxCustomGridTableItem::UnregisterCell(TcxGridTableDataCellViewInfo* ACell) {
  auto it = std::find(FCells.begin(), FCells.end(), ACell);
  if (it != FCells.end()) FCells.erase(it);
}

TcxCustomEditStyle* TcxCustomGridTableItem::GetEditStyle() {
  if (!FEditStyle) {
    TcxContainerStyle::TCreateArgs args{nullptr, true};
    FEditStyle.reset(As<TcxCustomEditStyle>(TcxCustomEditStyle::StaticClass()->CreateInstance(&args)));
  }
  return FEditStyle.get();
}

void TcxCustomGridTableItem::InitStyle(TcxCustomEditStyle* AStyle, const TcxViewParams& AParams, bool AFocused) {
  AStyle->SetColor(AParams.Color);
  if (AParams.Font) AStyle->SetFont(AParams.Font);
  AStyle->SetTextColor(AParams.TextColor);
  AStyle->SetButtonTransparency(ShowButtons(AFocused) ? ebtNone : ebtHideInactive);
  AStyle->SetHotTrack(true);
}

Integer TcxCustomGridTableItem::GetDefaultCellHeight(TcxCanvas* ACanvas, TFont* AFont) {
  TcxCustomEditProperties* properties = GetProperties();
  if (!properties) return 0;
  TcxCustomEditStyle* style = GetEditStyle();
  if (AFont) style->SetFont(AFont);
  TcxEditSizeProperties limits;
  limits.MaxLineCount = 0;
  limits.Width = -1;
  TSize size{0, 0};
  properties->GetEditSize(ACanvas, style, true, Null(), limits, size);
  return size.cy == 0 ? 0 : size.cy + 2;
}

TcxGridTableDataCellViewInfo* TcxCustomGridTableItem::GetFocusedCellViewInfo() {
  if (!FGridView) return nullptr;
  TcxCustomGridRecord* record = FGridView->Controller()->FocusedRecord();
  if (!record || !record->ViewInfo()) return nullptr;
  return record->ViewInfo()->GetCellViewInfoByItem(this);
}

// =======================================================================================
// The table controller: the top record.

Integer TcxCustomGridTableController::TopRecordIndex() {
  Integer count = ViewData()->RecordCount();
  if (count == 0) return -1;
  return std::clamp<Integer>(FTopRecordIndex, 0, count - 1);
}

void TcxCustomGridTableController::SetTopRecordIndex(Integer Value) {
  Integer count = ViewData()->RecordCount();
  if (count > 0) CheckTopRecordIndex(Value);
  Value = count == 0 ? -1 : std::clamp<Integer>(Value, 0, count - 1);
  Integer previous = TopRecordIndex();
  FTopRecordIndex = Value;
  if (Value == previous) return;
  auto* viewInfo = dynamic_cast<TcxCustomGridTableViewInfo*>(GridView()->ViewInfo());
  if (viewInfo && viewInfo->RecordsViewInfo() && !viewInfo->IsCalculating() &&
      viewInfo->CanScrollRecordsBy(Value - previous)) {
    viewInfo->Scroll(Value - previous, 0, 0);
    // No layout follows a scroll: the vertical bar is told here.
    UpdateScrollBars();
  } else
    GridView()->LayoutChanged();
  if (GridView()->OnTopRecordIndexChanged) GridView()->OnTopRecordIndexChanged(GridView());
}

// =======================================================================================
// Navigator site.

TcxCustomGridTableViewInfo* TcxNavigatorSiteViewInfo::TableViewInfo() const {
  return static_cast<TcxCustomGridTableViewInfo*>(GridViewInfo());
}

Integer TcxNavigatorSiteViewInfo::CalculateWidth() {
  return TableViewInfo()->GetNavigatorOffset() + TableViewInfo()->NavigatorWidth();
}

TClass TcxNavigatorSiteViewInfo::GetPainterClass() { return TcxNavigatorSitePainter::StaticClass(); }

bool TcxNavigatorSiteViewInfo::GetVisible() {
  return static_cast<TcxCustomGridTableView*>(GridView())->OptionsView()->Navigator();
}

void TcxNavigatorSiteViewInfo::GetViewParams(TcxViewParams& AParams) {
  AParams.Color = clBtnFace;
  AParams.TextColor = clBtnText;
  AParams.Font = nullptr;
}

// =======================================================================================
// View layout of record views.

TcxCustomGridTableView* TcxCustomGridTableViewInfo::GridView() const {
  return static_cast<TcxCustomGridTableView*>(inherited::GridView());
}
TcxCustomGridTableController* TcxCustomGridTableViewInfo::Controller() const { return GridView()->Controller(); }
TcxCustomGridTableViewData* TcxCustomGridTableViewInfo::ViewData() const { return GridView()->ViewData(); }

Integer TcxCustomGridTableViewInfo::GetTopRecordIndex() {
  return FTopRecordIndexOverride != -1 ? FTopRecordIndexOverride : Controller()->TopRecordIndex();
}

bool TcxCustomGridTableViewInfo::IsInternalState() { return IsInternalUse() || FTopRecordIndexOverride != -1; }

void TcxCustomGridTableViewInfo::CreateViewInfos() {
  inherited::CreateViewInfos();
  FNavigatorSiteViewInfo.reset(As<TcxNavigatorSiteViewInfo>(GetNavigatorSiteViewInfoClass()->CreateInstance(static_cast<TcxCustomGridViewInfo*>(this))));
  FRecordsViewInfo.reset(As<TcxCustomGridRecordsViewInfo>(GetRecordsViewInfoClass()->CreateInstance(this)));
}

void TcxCustomGridTableViewInfo::DestroyViewInfos(bool AIsRecreating) {
  FRecordsViewInfo.reset();
  FNavigatorSiteViewInfo.reset();
  inherited::DestroyViewInfos(AIsRecreating);
}

void TcxCustomGridTableViewInfo::GetNavigatorBarBounds(TRect& R) {
  R = FNavigatorSiteViewInfo->Bounds;
  R.right -= GetNavigatorOffset();
}

void TcxCustomGridTableViewInfo::ResetFocusedCell() {
  if (FRecordsViewInfo) FRecordsViewInfo->ResetFocusedCell();
}

Integer TcxCustomGridTableViewInfo::GetNavigatorOffset() { return GridView()->OptionsView()->NavigatorOffset(); }

void TcxCustomGridTableViewInfo::GetNavigatorSiteBounds(TRect& R) {
  R = Site()->GetHScrollBarBounds();
  R.right = R.left;
  R.left -= FNavigatorSiteViewInfo->CalculateWidth();
}

void TcxCustomGridTableViewInfo::AdjustHScrollBarBounds(TRect& R) {
  // The navigator site takes its width in front of the scroll bar.
  if (FNavigatorSiteViewInfo && FNavigatorSiteViewInfo->GetVisible()) R.left += FNavigatorSiteViewInfo->CalculateWidth();
}

void TcxCustomGridTableViewInfo::ScrollRecords(Integer ADistance) { FRecordsViewInfo->Scroll(ADistance); }

void TcxCustomGridTableViewInfo::OffsetRecords(Integer DX, Integer DY) { FRecordsViewInfo->Offset(DX, DY); }

void TcxCustomGridTableViewInfo::CalculateExpandButtonParams() {
  FExpandButtonIndent = 3;
  FExpandButtonAreaWidth = LookAndFeelPainter()->GetExpandBoxSize() + 2 * FExpandButtonIndent;
}

bool TcxCustomGridTableViewInfo::CanScrollRecordsBy(Integer ADistance) {
  return FRecordsViewInfo && FRecordsViewInfo->CanScrollBy(ADistance);
}

void TcxCustomGridTableViewInfo::Scroll(Integer ADistance, Integer DX, Integer DY) {
  if (!CanScroll(ADistance, DX, DY)) {
    Recalculate();
    return;
  }
  ResetFocusedCell();
  // Pending painting is done with the layout it was asked for before the pixels move.
  if (Site()->HandleAllocated() && !Site()->IsParked()) Site()->Update();
  if (ADistance != 0)
    ScrollRecords(ADistance);
  else
    OffsetRecords(DX, DY);
  static_cast<TcxCustomGridTablePainter*>(Painter())->ScrollRecordsRegion(ADistance, DX, DY);
}

void TcxCustomGridTableViewInfo::BeforeCalculate() {
  CalculateExpandButtonParams();
  inherited::BeforeCalculate();
  if (!IsInternalState()) Controller()->BeforeLayoutCalculate();
}

void TcxCustomGridTableViewInfo::DoCalculate() {
  inherited::DoCalculate();
  FRecordsViewInfo->Calculate();
  if (FNavigatorSiteViewInfo->GetVisible()) {
    FNavigatorWidth = 0;
    TRect r;
    GetNavigatorSiteBounds(r);
    FNavigatorHeight = r.bottom - r.top;
    GetNavigatorSiteBounds(r);
    FNavigatorSiteViewInfo->CalculateBounds(r);
  }
}

void TcxCustomGridTableViewInfo::AfterCalculate() {
  inherited::AfterCalculate();
  if (IsInternalState()) return;
  // The in-place editor follows the focused cell of the item it edits.
  TcxGridEditingController* editing = Controller()->EditingController();
  TRect bounds;
  if (editing && editing->IsEditing() && Controller()->GetFocusedCellEditBounds(editing->EditingItem(), bounds))
    editing->UpdateEditPosition(bounds);
  Controller()->LayoutCalculated();
}

void TcxCustomGridTableViewInfo::ControlFocusChanged() {
  inherited::ControlFocusChanged();
  if (FRecordsViewInfo) FRecordsViewInfo->ControlFocusChanged();
}

void TcxCustomGridTableViewInfo::VisibilityChanged(bool AVisible) {
  if (FRecordsViewInfo) FRecordsViewInfo->VisibilityChanged(AVisible);
}

TcxCustomGridHitTest* TcxCustomGridTableViewInfo::GetHitTest(const TPoint& P) {
  TcxCustomGridHitTest* result = nullptr;
  if (PtInRect(ClientBounds(), P) && FRecordsViewInfo) result = FRecordsViewInfo->GetHitTest(P);
  if (!result && FNavigatorSiteViewInfo && FNavigatorSiteViewInfo->GetVisible())
    result = FNavigatorSiteViewInfo->GetHitTest(P);
  return result ? result : inherited::GetHitTest(P);
}

// ---------------------------------------------------------------------------------------
// Painter of record views.

TcxCustomGridTableViewInfo* TcxCustomGridTablePainter::ViewInfo() const {
  return static_cast<TcxCustomGridTableViewInfo*>(inherited::ViewInfo());
}

bool TcxCustomGridTablePainter::CanScrollRecordsRegion() {
  return !ViewInfo()->GetBackgroundBitmap() &&
         !(ViewInfo()->RecordsViewInfo() && ViewInfo()->RecordsViewInfo()->BackgroundBitmap());
}

void TcxCustomGridTablePainter::DrawNavigator() {
  TcxNavigatorSiteViewInfo* site = ViewInfo()->NavigatorSiteViewInfo();
  if (site && site->GetVisible()) site->Paint(Canvas());
}

void TcxCustomGridTablePainter::DrawRecords() {
  TcxCustomGridRecordsViewInfo* records = ViewInfo()->RecordsViewInfo();
  if (!records) return;
  TcxCustomGridRecordsPainter::TArgs args{Canvas(), records};
  TObjectPtr<TcxCustomGridRecordsPainter> painter(
      As<TcxCustomGridRecordsPainter>(records->GetPainterClass()->CreateInstance(&args)));
  painter->Paint();
}

void TcxCustomGridTablePainter::DrawBackground() { inherited::DrawBackground(); }

void TcxCustomGridTablePainter::PaintContent() {
  // The navigator site lies outside the client area (beside the scroll bar): it paints
  // and takes itself out of the clip region first.
  DrawNavigator();
  DrawRecords();
}

void TcxCustomGridTablePainter::ScrollRecordsRegion(Integer ADistance, Integer DX, Integer DY) {
  if (!Site() || !Site()->HandleAllocated()) return;
  if (!CanScrollRecordsRegion())
    GridView()->ViewChanged();
  else if (ADistance != 0)
    ScrollRecordsRegionBy(ADistance);
  else
    ScrollRecordsRegionByPixels(DX, DY);
}

// =======================================================================================
// Records area.

TcxCustomGridRecordsViewInfo::TcxCustomGridRecordsViewInfo(TcxCustomGridTableViewInfo* AGridViewInfo)
    : FGridViewInfo(AGridViewInfo) {}

void TcxCustomGridRecordsViewInfo::BeforeDestruction() {
  truncateItems(0);
  inherited::BeforeDestruction();
}

void TcxCustomGridRecordsViewInfo::truncateItems(Integer ACount) {
  while (Count() > ACount) {
    TcxCustomGridRecordViewInfo* item = FItems.back();
    FItems.pop_back();
    FreeObject(item);
  }
}

Integer TcxCustomGridRecordsViewInfo::GetRecordIndex(Integer APosition) {
  return IsDirectionNormal() ? TopRecordIndex() + APosition : TopRecordIndex() - APosition;
}

Integer TcxCustomGridRecordsViewInfo::GetPosition(Integer ARecordIndex) {
  Integer result = IsDirectionNormal() ? ARecordIndex - TopRecordIndex() : TopRecordIndex() - ARecordIndex;
  return result < -1 || result >= Count() ? -1 : result;
}

Integer TcxCustomGridRecordsViewInfo::GetAvailableRecordCount() {
  Integer top = TopRecordIndex();
  Integer count = ViewData()->RecordCount();
  if (top == -1 || count == 0) return 0;
  return std::max<Integer>(IsDirectionNormal() ? count - top : top + 1, 0);
}

TcxCustomGridRecordViewInfo* TcxCustomGridRecordsViewInfo::createItem(Integer APosition) {
  TcxCustomGridRecord* record = ViewData()->GetRecordByIndex(GetRecordIndex(APosition));
  if (!record) return nullptr;
  TClass cls = record->GetViewInfoClass();
  if (!cls) return nullptr;
  TcxCustomGridRecordViewInfo::TArgs args{this, record};
  return As<TcxCustomGridRecordViewInfo>(cls->CreateInstance(&args));
}

TcxCustomGridRecordViewInfo* TcxCustomGridRecordsViewInfo::GetItem(Integer APosition) {
  if (APosition < 0) return nullptr;
  if (APosition < Count()) return FItems[static_cast<size_t>(APosition)];
  // Positions in between (never asked for yet) stay empty until they are.
  while (Count() < APosition) FItems.push_back(nullptr);
  TcxCustomGridRecordViewInfo* item = createItem(APosition);
  FItems.push_back(item);
  return item;
}

void TcxCustomGridRecordsViewInfo::calculateItemAt(Integer APosition) {
  if (TcxCustomGridRecordViewInfo* item = GetItem(APosition))
    item->CalculateAt(GetRecordLeft(APosition), GetRecordTop(APosition));
}

bool TcxCustomGridRecordsViewInfo::IsCellAutoHeight() { return GridView()->OptionsView()->CellAutoHeight(); }
bool TcxCustomGridRecordsViewInfo::GetAutoRecordHeight() { return IsCellAutoHeight(); }

TBitmap* TcxCustomGridRecordsViewInfo::GetBackgroundBitmap() {
  return GridView()->BackgroundBitmaps()->GetBitmap(bbContent);
}

void TcxCustomGridRecordsViewInfo::BeforeCalculate() {
  FBackgroundBitmap = GetBackgroundBitmap();
  // The editing controller and the items' per-calculation hooks join here once they exist.
}

void TcxCustomGridRecordsViewInfo::AfterCalculate() {}

void TcxCustomGridRecordsViewInfo::ResetLayoutState() {
  FGridViewInfo->UpdateMousePos();
  ResetFocusedCell();
}

void TcxCustomGridRecordsViewInfo::CalculateBounds() { FBounds = GetBounds(); }

void TcxCustomGridRecordsViewInfo::Calculate() {
  BeforeCalculate();
  CalculateBounds();
  AfterCalculate();
}

TcxGridTableDataCellViewInfo* TcxCustomGridRecordsViewInfo::GetFocusedCell() {
  if (!FFocusedCellKnown) {
    FFocusedCell = nullptr;
    TcxCustomGridTableItem* item = Controller()->FocusedItem();
    TcxCustomGridRecord* record = Controller()->FocusedRecord();
    if (item && record && record->ViewInfo()) FFocusedCell = record->ViewInfo()->GetCellViewInfoByItem(item);
    FFocusedCellKnown = true;
  }
  return FFocusedCell;
}

void TcxCustomGridRecordsViewInfo::ControlFocusChanged() {
  for (TcxCustomGridRecordViewInfo* item : FItems)
    if (item) item->ControlFocusChanged();
}

void TcxCustomGridRecordsViewInfo::VisibilityChanged(bool AVisible) {
  for (TcxCustomGridRecordViewInfo* item : FItems)
    if (item) item->VisibilityChanged(AVisible);
}

TClass TcxCustomGridRecordsViewInfo::GetPainterClass() { return TcxCustomGridRecordsPainter::StaticClass(); }

bool TcxCustomGridRecordsViewInfo::CanScrollBy(Integer ADistance) {
  return Count() > 0 && std::abs(ADistance) < Count();
}

TcxCustomGridHitTest* TcxCustomGridRecordsViewInfo::GetHitTest(const TPoint& P) {
  for (TcxCustomGridRecordViewInfo* item : FItems)
    if (item && item->Calculated)
      if (TcxCustomGridHitTest* result = item->GetHitTest(P)) return result;
  return nullptr;
}

TcxCustomGridRecordViewInfo* TcxCustomGridRecordsViewInfo::GetRecordViewInfo(TcxCustomGridRecord* ARecord,
                                                                              Integer ARecordIndex) {
  Integer position = GetPosition(ARecordIndex);
  return position == -1 ? nullptr : GetItem(position);
}

void TcxCustomGridRecordsViewInfo::Scroll(Integer ADistance) {
  FScrollPixels = 0;
  if (ADistance == 0) return;
  const Integer distance = std::abs(ADistance);
  const Integer kept = std::max<Integer>(Count() - distance, 0);
  if (ADistance > 0) FScrollPixels = GetScrollPixels(ADistance);
  // The layouts that leave.
  std::vector<TcxCustomGridRecordViewInfo*> leaving;
  if (ADistance > 0) {
    leaving.assign(FItems.begin(), FItems.begin() + std::min<Integer>(distance, Count()));
    FItems.erase(FItems.begin(), FItems.begin() + std::min<Integer>(distance, Count()));
  } else {
    leaving.assign(FItems.begin() + kept, FItems.end());
    FItems.erase(FItems.begin() + kept, FItems.end());
  }
  for (TcxCustomGridRecordViewInfo* item : leaving) FreeObject(item);
  // The kept ones move by ADistance positions.
  if (ADistance > 0) {
    FItems.resize(static_cast<size_t>(kept + distance), nullptr);
    for (Integer i = 0; i < kept; ++i) OffsetRecord(i, FScrollPixels);
  } else {
    FItems.insert(FItems.begin(), static_cast<size_t>(distance), nullptr);
  }
  const Integer available = GetAvailableRecordCount();
  if (Count() > available) truncateItems(available);
  // The exposed positions get new layouts.
  const Integer firstExposed = ADistance > 0 ? kept : 0;
  for (Integer p = firstExposed; p < firstExposed + distance && p < Count(); ++p) {
    FItems[static_cast<size_t>(p)] = createItem(p);
    calculateItemAt(p);
  }
  if (ADistance < 0) {
    FScrollPixels = GetScrollPixels(ADistance);
    for (Integer i = distance; i < distance + kept && i < Count(); ++i) OffsetRecord(i, FScrollPixels);
  }
  CalculateVisibleCount();
  for (Integer p = 0; p < Count(); ++p)
    if (FItems[static_cast<size_t>(p)] && !FItems[static_cast<size_t>(p)]->Calculated) calculateItemAt(p);
}

void TcxCustomGridRecordsViewInfo::Offset(Integer DX, Integer DY) { OffsetRect(FBounds, DX, DY); }

void TcxCustomGridRecordsPainter::Paint() {
  for (Integer i = 0; i < FViewInfo->Count(); ++i) {
    TcxCustomGridRecordViewInfo* item = FViewInfo->Items(i);
    if (item && item->Calculated) item->Paint(FCanvas);
  }
}

// =======================================================================================
// Record layout.

TcxCustomGridRecordViewInfo::TcxCustomGridRecordViewInfo(const TArgs* AArgs)
    : TcxCustomGridViewCellViewInfo(AArgs->RecordsViewInfo->GridViewInfo()),
      FRecordsViewInfo(AArgs->RecordsViewInfo),
      FRecord(AArgs->Record),
      FShared(AArgs->Record->ViewInfo() != nullptr) {
  if (!FShared) FRecord->SetViewInfo(this);
}

void TcxCustomGridRecordViewInfo::BeforeDestruction() {
  if (!FShared && FRecord->ViewInfo() == this) FRecord->SetViewInfo(nullptr);
  inherited::BeforeDestruction();
}

bool TcxCustomGridRecordViewInfo::Expanded() {
  if (!FExpandedKnown) {
    FExpanded = FRecord->Expanded();
    FExpandedKnown = true;
  }
  return FExpanded;
}

bool TcxCustomGridRecordViewInfo::Selected() {
  if (!FSelectedKnown) {
    FSelected = IsSelected();
    FSelectedKnown = true;
  }
  return FSelected;
}

void TcxCustomGridRecordViewInfo::InvalidateParams() {
  inherited::InvalidateParams();
  FSelectedKnown = false;
  FExpandedKnown = false;
}

TcxCustomGridTableViewInfoCacheItem* TcxCustomGridRecordViewInfo::CacheItem() {
  if (FRecord->Index() < 0) return nullptr;
  return dynamic_cast<TcxCustomGridTableViewInfoCacheItem*>(GridView()->ViewInfoCache()->GetOrCreateItem(FRecord->Index()));
}

Integer TcxCustomGridRecordViewInfo::Position() {
  for (Integer i = 0; i < FRecordsViewInfo->Count(); ++i)
    if (FRecordsViewInfo->Items(i) == this) return i;
  return -1;
}

Integer TcxCustomGridRecordViewInfo::GetHeight() {
  TcxCustomGridTableViewInfoCacheItem* item = CacheItem();
  if (item && item->IsHeightAssigned) return item->Height();
  Integer height = CalculateHeight();
  if (item) item->SetHeight(height);
  return height;
}

void TcxCustomGridRecordViewInfo::CalculateExpandButtonBounds(TRect& R) {
  if (IsRectEmpty(Bounds)) {
    R = TRect{0, 0, 0, 0};
    return;
  }
  TRect content = GetContentBounds();
  Integer size = LookAndFeelPainter()->GetExpandBoxSize();
  R.left = content.left + GridViewInfo()->ExpandButtonIndent();
  R.right = R.left + size;
  R.top = (content.top + content.bottom - size) / 2;
  R.bottom = R.top + size;
}

bool TcxCustomGridRecordViewInfo::IsSelected() { return GridView()->DrawRecordSelected(FRecord); }
bool TcxCustomGridRecordViewInfo::GetHideFocusRect() { return GridView()->OptionsSelection()->HideFocusRect(); }
bool TcxCustomGridRecordViewInfo::GetInvertSelect() { return GridView()->OptionsSelection()->InvertSelect(); }

bool TcxCustomGridRecordViewInfo::IsRecordHitTest(TcxCustomGridHitTest* AHitTest) {
  auto* recordHitTest = dynamic_cast<TcxGridRecordHitTest*>(AHitTest);
  return recordHitTest && recordHitTest->ViewData == FRecord->ViewData() &&
         recordHitTest->RecordIndex == FRecord->Index() && recordHitTest->IsNewItemRecord == FRecord->IsNewItemRecord();
}

void TcxCustomGridRecordViewInfo::GetBoundsForInvalidate(TcxCustomGridTableItem* AItem, TRect& R) {
  if (AItem)
    GetCellBounds(AItem, R);
  else
    R = Bounds;
}

void TcxCustomGridRecordViewInfo::CalculateAt(Integer ALeft, Integer ATop) {
  FSelectedKnown = false;
  Calculate(ALeft, ATop, -1, GetHeight());
  if (HasExpandButton())
    CalculateExpandButtonBounds(ExpandButtonBounds);
  else
    ExpandButtonBounds = TRect{0, 0, 0, 0};
}

TClass TcxCustomGridRecordViewInfo::GetPainterClass() { return TcxCustomGridRecordPainter::StaticClass(); }

bool TcxCustomGridRecordViewInfo::GetVisible() {
  Integer position = Position();
  return position != -1 && position < FRecordsViewInfo->VisibleCount();
}

void TcxCustomGridRecordViewInfo::InitHitTest(TcxCustomGridHitTest* AHitTest) {
  inherited::InitHitTest(AHitTest);
  if (auto* recordHitTest = dynamic_cast<TcxGridRecordHitTest*>(AHitTest)) {
    recordHitTest->ViewData = FRecord->ViewData();
    recordHitTest->RecordIndex = FRecord->Index();
    recordHitTest->IsNewItemRecord = FRecord->IsNewItemRecord();
  }
}

TcxCustomGridHitTest* TcxCustomGridRecordViewInfo::GetHitTest(const TPoint& P) {
  if (HasExpandButton() && PtInRect(ExpandButtonBounds, P)) {
    TcxCustomGridHitTest* result = TcxCustomGridHitTest::Instance(TcxGridExpandButtonHitTest::StaticClass(), P);
    InitHitTest(result);
    return result;
  }
  return inherited::GetHitTest(P);
}

bool TcxCustomGridRecordViewInfo::MouseDown(TcxCustomGridHitTest* AHitTest, TMouseButton AButton, TShiftState AShift) {
  bool handled = inherited::MouseDown(AHitTest, AButton, AShift);
  if (AButton == mbLeft && dynamic_cast<TcxGridExpandButtonHitTest*>(AHitTest) && IsRecordHitTest(AHitTest)) {
    if (FRecord->Expanded())
      FRecord->Collapse(false);
    else
      FRecord->Expand(false);
    return true;
  }
  return handled;
}

// --- Record painter.

void TcxCustomGridRecordPainter::BeforePaint() {
  TcxCustomGridRecordViewInfo* info = RecordViewInfo();
  if (info->HasExpandButton() && !IsRectEmpty(info->ExpandButtonBounds))
    info->LookAndFeelPainter()->DrawExpandBox(Canvas(), info->ExpandButtonBounds, info->Expanded());
  if (info->HasBackgroundBitmap())
    if (TBitmap* bitmap = info->GetBackgroundBitmap()) Canvas()->FillRectangle(info->GetBackgroundBitmapBounds(), bitmap);
}

void TcxCustomGridRecordPainter::AfterPaint() {
  DrawFocusRect();
  RecordViewInfo()->GridView()->Painter()->ExcludeFromBackground(RecordViewInfo()->Bounds);
}

void TcxCustomGridRecordPainter::DrawFocusRect() {
  TcxCustomGridRecordViewInfo* info = RecordViewInfo();
  if (!info->GridRecord()->Focused() || !info->GetInvertSelect()) return;
  info->GridView()->Painter()->DrawFocusRect(info->GetFocusRectBounds(), info->GetHideFocusRect());
}

// =======================================================================================
// Cells of records.

TcxGridTableCellViewInfo::TcxGridTableCellViewInfo(TcxCustomGridRecordViewInfo* ARecordViewInfo)
    : TcxCustomGridViewCellViewInfo(ARecordViewInfo->GridViewInfo()), FRecordViewInfo(ARecordViewInfo) {}

bool TcxGridTableCellViewInfo::GetSelected() {
  if (!FSelectedKnown) {
    FSelected = AlwaysSelected() || GridView()->DrawRecordSelected(GridRecord());
    FSelectedKnown = true;
  }
  return FSelected;
}

void TcxGridTableCellViewInfo::InitHitTest(TcxCustomGridHitTest* AHitTest) {
  FRecordViewInfo->InitHitTest(AHitTest);
  AHitTest->ViewInfo = this;
}

void TcxGridTableCellViewInfo::Calculate(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  FSelectedKnown = false;
  inherited::Calculate(ALeft, ATop, AWidth, AHeight);
}

bool TcxGridTableCellViewInfo::MouseDown(TcxCustomGridHitTest* AHitTest, TMouseButton AButton, TShiftState AShift) {
  GridViewUpdateLock lock(GridView());
  TcxCustomGridViewInfo* viewInfo = GridViewInfo();
  viewInfo->RegisterCellGuard(this);
  bool result = FRecordViewInfo->MouseDown(AHitTest, AButton, AShift);
  // The record's handling may have rebuilt the layout: this cell may be gone.
  if (viewInfo->IsCellGuarded(this)) {
    viewInfo->UnregisterCellGuard(this);
    if (result) result = inherited::MouseDown(AHitTest, AButton, AShift);
  }
  return result;
}

// --- Data cells.

TcxGridTableDataCellViewInfo::TcxGridTableDataCellViewInfo(const TArgs* AArgs)
    : TcxGridTableCellViewInfo(AArgs->RecordViewInfo), FItem(AArgs->Item) {
  FItem->RegisterCell(this);
  FProperties = FItem->GetProperties(GridRecord());
  if (FProperties)
    FEditViewInfo.reset(As<TcxCustomEditViewInfo>(FProperties->GetViewInfoClass()->CreateInstance()));
}

void TcxGridTableDataCellViewInfo::BeforeDestruction() {
  if (FItem) FItem->UnregisterCell(this);
  inherited::BeforeDestruction();
}

Variant TcxGridTableDataCellViewInfo::Value() {
  if (!FItem) return Null();
  if (FProperties && FProperties->GetEditValueKind(false) != evsValue)
    return Variant(GridRecord()->GetDisplayText(FItem->Index()));
  return GridRecord()->GetValue(FItem->Index());
}

Integer TcxGridTableDataCellViewInfo::GetMaxLineCount() {
  return GridView()->OptionsView()->CellTextMaxLineCount();
}

bool TcxGridTableDataCellViewInfo::IsFocusedCell() {
  return FItem && FItem->Focused() && GridRecord()->Focused() && GridView()->DrawRecordFocused(GridRecord());
}

bool TcxGridTableDataCellViewInfo::IsFocusedCellForSelection() { return IsFocusedCell(); }

bool TcxGridTableDataCellViewInfo::IsHotTrackable() {
  if (!FItem || !FProperties) return false;
  if (FItem->ShowButtons(GridView()->DrawRecordFocused(GridRecord()))) return true;
  if ((FProperties->GetCapabilities() & esoAlwaysHotTrack) == 0) return false;
  return GridView()->OptionsBehavior()->ImmediateEditor() || IsFocusedCell();
}

void TcxGridTableDataCellViewInfo::GetViewParams(TcxViewParams& AParams) {
  if (FItem)
    FItem->Styles()->GetContentParams(GridRecord(), AParams);
  else
    GridView()->Styles()->GetRecordContentParams(GridRecord(), nullptr, AParams);
}

bool TcxGridTableDataCellViewInfo::HasCustomDraw() { return false; }
bool TcxGridTableDataCellViewInfo::CustomDraw(TcxCanvas* ACanvas) { return false; }

void TcxGridTableDataCellViewInfo::SaveParams(TcxViewParams& AParams) {
  inherited::SaveParams(AParams);
  if (FEditViewInfo) AParams.Color = FEditViewInfo->BackgroundColor;
}

void TcxGridTableDataCellViewInfo::RestoreParams(const TcxViewParams& AParams) {
  inherited::RestoreParams(AParams);
  if (FEditViewInfo) FEditViewInfo->BackgroundColor = AParams.Color;
}

TcxCustomEditViewData* TcxGridTableDataCellViewInfo::createEditViewData(const TcxViewParams& AParams) {
  // Columns may share one editor properties object (the default editor of a value type),
  // whose defaults (the alignment) come from the column it was last prepared for: prepare it
  // for this cell's column again, since a single row may be laid out on its own.
  FItem->InitProperties(FProperties);
  TcxCustomEditStyle* style = FItem->GetEditStyle();
  FItem->InitStyle(style, AParams, GridView()->DrawRecordFocused(GridRecord()));
  return FProperties->CreateViewData(style, true);
}

Integer TcxGridTableDataCellViewInfo::CalculateHeight() {
  CalculateParamsIfNeeded();
  if (!FItem || !FProperties) return 0;
  TcxCanvas* canvas = GetCanvas();
  if (!FItem->CanAutoHeight() || !RecordViewInfo()->IsAutoHeight())
    return FItem->GetDefaultCellHeight(canvas, Params.Font);
  TObjectPtr<TcxCustomEditViewData> viewData(createEditViewData(Params));
  viewData->MaxLineCount = GetMaxLineCount();
  viewData->PaintOptions |= epoAutoHeight;
  TRect textArea;
  GetTextAreaBounds(textArea);
  TcxEditSizeProperties limits;
  limits.MaxLineCount = GetMaxLineCount();
  limits.Width = textArea.right - textArea.left + 2;
  TSize size{0, 0};
  if (Params.Font) canvas->SetFont(Params.Font);
  viewData->GetEditSize(canvas, Value(), limits, size);
  return size.cy == 0 ? 0 : size.cy + 2;
}

void TcxGridTableDataCellViewInfo::CalculateEditViewInfo(TcxCustomEditViewInfo* AEditViewInfo,
                                                         const TPoint& AMousePoint) {
  if (!FItem || !FProperties || !AEditViewInfo) return;
  CalculateParamsIfNeeded();
  TObjectPtr<TcxCustomEditViewData> viewData(createEditViewData(Params));
  viewData->InplaceEditParams = TRect{1, 1, 1, 1};
  if (RecordViewInfo()->IsAutoHeight() || MultiLine) {
    viewData->PaintOptions |= epoAutoHeight;
    viewData->MaxLineCount = GetMaxLineCount();
  }
  if (GridView()->OptionsView()->CellEndEllipsis()) viewData->PaintOptions |= epoShowEndEllipsis;
  viewData->IsSelected = GetSelected();
  viewData->Focused = IsFocusedCell();
  TcxCanvas* canvas = GetCanvas();
  if (Params.Font) canvas->SetFont(Params.Font);
  TRect editBounds;
  GetEditBounds(editBounds);
  viewData->PrepareDrawValue(canvas, Value(), AEditViewInfo);
  viewData->Calculate(canvas, editBounds, AMousePoint, cxmbNone, TShiftState(), AEditViewInfo, false);
}

void TcxGridTableDataCellViewInfo::AfterCalculateBounds(TRect& R) {
  inherited::AfterCalculateBounds(R);
  CalculateEditViewInfo(FEditViewInfo.get(), GridViewInfo()->MousePos());
  auto* textInfo = dynamic_cast<TcxCustomTextEditViewInfo*>(FEditViewInfo.get());
  Text = textInfo ? textInfo->Text : std::string();
}

void TcxGridTableDataCellViewInfo::Offset(Integer DX, Integer DY) {
  inherited::Offset(DX, DY);
  if (FEditViewInfo) FEditViewInfo->MoveBy(DX, DY);
}

void TcxGridTableDataCellViewInfo::InitHitTest(TcxCustomGridHitTest* AHitTest) {
  inherited::InitHitTest(AHitTest);
  if (auto* cellHitTest = dynamic_cast<TcxGridRecordCellHitTest*>(AHitTest)) cellHitTest->Item = FItem;
}

TClass TcxGridTableDataCellViewInfo::GetPainterClass() { return TcxGridTableDataCellPainter::StaticClass(); }

void TcxGridTableDataCellViewInfo::InvalidateCell(bool ARecalculate) {
  if (ARecalculate) Recalculate();
  Invalidate();
}

void TcxGridTableDataCellViewInfo::checkEditViewInfoChanged(const TPoint& AMousePoint) {
  if (!FEditViewInfo || !FProperties) return;
  TObjectPtr<TcxCustomEditViewInfo> fresh(As<TcxCustomEditViewInfo>(FProperties->GetViewInfoClass()->CreateInstance()));
  CalculateEditViewInfo(fresh.get(), AMousePoint);
  std::unique_ptr<TcxRegion, TObjectDeleter> region(FEditViewInfo->GetChangedRegion(fresh.get()));
  if (region && !region->IsEmptyRegion()) InvalidateCell(true);
}

bool TcxGridTableDataCellViewInfo::MouseMove(TcxCustomGridHitTest* AHitTest, TShiftState AShift) {
  bool result = inherited::MouseMove(AHitTest, AShift);
  if (IsHotTrackable()) checkEditViewInfoChanged(AHitTest ? AHitTest->Pos : TPoint{Bounds.right, Bounds.bottom});
  return result;
}

void TcxGridTableDataCellViewInfo::MouseLeave() {
  inherited::MouseLeave();
  if (IsHotTrackable()) checkEditViewInfoChanged(TPoint{Bounds.right, Bounds.bottom});
}

void TcxGridTableDataCellViewInfo::StateChanged() {
  inherited::StateChanged();
  if (State() == gcsNormal && IsHotTrackable()) checkEditViewInfoChanged(TPoint{Bounds.right, Bounds.bottom});
}

bool TcxGridTableDataCellViewInfo::NeedsHint(const TPoint& P, std::string& AText, TRect& ATextBounds,
                                             bool& AMultiLine) {
  if (!FEditViewInfo) return false;
  TcxCustomGrid* grid = GridView()->Grid();
  TCustomForm* form = grid ? GetParentForm(grid) : nullptr;
  if (!form || !form->Active()) return false;
  return FEditViewInfo->NeedShowHintInBounds(GetCanvas(), P, GridViewInfo()->ClientBounds(), AText, AMultiLine,
                                             ATextBounds);
}

// --- Data cell painter.

void TcxGridTableDataCellPainter::DrawContent() {
  TcxGridTableDataCellViewInfo* info = CellViewInfo();
  if (info->HasBackgroundBitmap())
    if (TBitmap* bitmap = info->GetBackgroundBitmap()) Canvas()->FillRectangle(info->GetContentBounds(), bitmap);
  if (info->EditViewInfo()) {
    info->EditViewInfo()->Paint(Canvas());
  } else {
    Canvas()->Brush()->SetColor(info->Params.Color);
    Canvas()->FillRectangle(info->GetContentBounds());
  }
}

void TcxGridTableDataCellPainter::AfterPaint() { DrawFocusRect(); }

void TcxGridTableDataCellPainter::DrawFocusRect() {
  TcxGridTableDataCellViewInfo* info = CellViewInfo();
  if (!info->IsFocusedCell() || info->RecordViewInfo()->GetInvertSelect()) return;
  info->GridView()->Painter()->DrawFocusRect(info->GetContentBounds(), info->RecordViewInfo()->GetHideFocusRect());
}

RTL_IMPLEMENT_CLASS(TcxCustomGridTableViewInfoCacheItem)
RTL_IMPLEMENT_CLASS(TcxCustomGridTableViewInfoCache)
RTL_IMPLEMENT_CLASS(TcxNavigatorSiteViewInfo)
RTL_IMPLEMENT_CLASS(TcxNavigatorSitePainter)
RTL_IMPLEMENT_CLASS(TcxCustomGridTableViewInfo)
RTL_IMPLEMENT_CLASS(TcxCustomGridTablePainter)
RTL_IMPLEMENT_CLASS(TcxCustomGridRecordsViewInfo)
RTL_IMPLEMENT_CLASS(TcxCustomGridRecordsPainter)
RTL_IMPLEMENT_CLASS(TcxCustomGridRecordViewInfo)
RTL_IMPLEMENT_CLASS(TcxCustomGridRecordPainter)
RTL_IMPLEMENT_CLASS(TcxGridTableCellViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridTableDataCellViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridTableDataCellPainter)

namespace cxGridCustomTableViewUnit {
void Initialize() { RegisterClasses({TcxGridItemDataBinding::StaticClass()}); }
void Finalize() {}
}  // namespace cxGridCustomTableViewUnit
