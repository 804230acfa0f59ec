#include "cx/grid/cxGridCustomTableView.h"

#include <algorithm>

#include "cx/data/cxFilter.h"
#include "cx/foundation/cxControls.h"
#include "cx/grid/cxGridLevel.h"
#include "cx/editors/cxTextEdit.h"
#include "platform/gui/Forms.h"

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

// Records are not laid out yet, so there is no record bounds to redraw: a record change
// only matters once records have a layout in the view.
void TcxGridRecordChange::Execute() {}

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
void TcxCustomGridTableOptionsData::SetEditing(bool Value) { FEditing = Value; }
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

TcxCustomGridTableView* TcxGridDataController::GridView() const {
  return GridViewAnswers::View(const_cast<TcxGridDataController*>(this));
}

TClass TcxGridDataController::GetItemDataBindingClass() { return TcxGridItemDataBinding::StaticClass(); }
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

// The registry of default repository items by value type is not part of the editors yet:
// an item without own properties or a repository item shows its values as text.
TcxEditRepositoryItem* TcxGridItemDataBinding::GetDefaultRepositoryItem() { return nullptr; }

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
// The table controller.

TcxCustomGridTableView* TcxCustomGridTableController::GridView() const { return tableView(inherited::GridView()); }
TcxCustomGridTableViewData* TcxCustomGridTableController::ViewData() const { return GridView()->ViewData(); }

void TcxCustomGridTableController::SetFocusedItem(TcxCustomGridTableItem* Value) {
  if (Value && !Value->CanFocus()) return;
  if (FFocusedItem == Value) return;
  TcxCustomGridTableItem* previous = FFocusedItem;
  FFocusedItem = Value;
  if (TcxCustomGridRecord* record = FocusedRecord()) {
    if (previous) record->Invalidate(previous);
    if (Value) record->Invalidate(Value);
  }
  GridView()->DoFocusedItemChanged(previous, Value);
}

bool TcxCustomGridTableController::FocusNextItem(Integer AFocusedItemIndex, bool AGoForward, bool AGoOnCycle) {
  TcxCustomGridTableView* view = GridView();
  Integer count = view->VisibleItemCount();
  Integer step = AGoForward ? 1 : -1;
  Integer start = AFocusedItemIndex < 0 ? (AGoForward ? 0 : count - 1) : AFocusedItemIndex + step;
  for (Integer pass = 0; pass < (AGoOnCycle ? 2 : 1); ++pass) {
    for (Integer i = start; i >= 0 && i < count; i += step) {
      TcxCustomGridTableItem* item = view->VisibleItems(i);
      if (item != FFocusedItem && item->CanFocus()) {
        SetFocusedItem(item);
        return FFocusedItem == item;
      }
    }
    start = AGoForward ? 0 : count - 1;
  }
  return false;
}

bool TcxCustomGridTableController::FocusFirstAvailableItem() { return FocusNextItem(-1, true, false); }

TcxCustomGridRecord* TcxCustomGridTableController::FocusedRecord() {
  TcxCustomDataController* dataController = GridView()->DataController();
  if (dataController->IsNewItemRowFocused()) return ViewData()->NewItemRecord();
  return ViewData()->GetRecordByIndex(dataController->GetFocusedRowIndex());
}

Integer TcxCustomGridTableController::FocusedRecordIndex() {
  TcxCustomGridRecord* record = FocusedRecord();
  return record ? record->Index() : -1;
}

void TcxCustomGridTableController::SetFocusedRecordIndex(Integer Value) {
  GridView()->DataController()->ChangeFocusedRowIndex(Value);
}

void TcxCustomGridTableController::ItemRemoved(TcxCustomGridTableItem* AItem) {
  if (FForcingWidthItem == AItem) FForcingWidthItem = nullptr;
  if (FFocusedItem == AItem) FFocusedItem = nullptr;
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
RTL_IMPLEMENT_CLASS(TcxGridDataController)
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
  Value = count == 0 ? -1 : std::clamp<Integer>(Value, 0, count - 1);
  Integer previous = TopRecordIndex();
  FTopRecordIndex = Value;
  if (Value == previous) return;
  auto* viewInfo = dynamic_cast<TcxCustomGridTableViewInfo*>(GridView()->ViewInfo());
  if (viewInfo && viewInfo->RecordsViewInfo() && !viewInfo->IsCalculating() &&
      viewInfo->CanScrollRecordsBy(Value - previous))
    viewInfo->Scroll(Value - previous, 0, 0);
  else
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
  if (ADistance != 0)
    ScrollRecords(ADistance);
  else
    OffsetRecords(DX, DY);
  static_cast<TcxCustomGridTablePainter*>(Painter())->ScrollRecordsRegion(ADistance, DX, DY);
}

void TcxCustomGridTableViewInfo::BeforeCalculate() {
  CalculateExpandButtonParams();
  inherited::BeforeCalculate();
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

void TcxCustomGridTableViewInfo::AfterCalculate() { inherited::AfterCalculate(); }

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
