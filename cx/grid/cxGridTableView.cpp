#include "cx/grid/cxGridTableView.h"

#include <limits>

#include "cx/foundation/cxClasses.h"
#include "cx/grid/cxGrid.h"
#include "cx/grid/cxGridLevel.h"
#include "cx/grid/cxGridRows.h"
#include "cx/grid/cxGridViewData.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/Scoped.h"

const TResStringRec scxGridNewItemRowInfoText = {nullptr, 64694};

namespace {

TcxGridTableView* asTableView(TcxCustomGridView* AView) { return dynamic_cast<TcxGridTableView*>(AView); }

}  // namespace

// ---------------------------------------------------------------------------------------
// The table view's controller.

namespace {
bool ctrlHeld(TShiftState AShift) { return AShift.Contains(ssCtrl); }
}  // namespace

TcxGridTableView* TcxGridTableController::GridView() const { return asTableView(inherited::GridView()); }

bool TcxGridTableController::HasNewItemRow() {
  return GridView()->OptionsView()->NewItemRow() && ViewData()->HasNewItemRecord();
}

bool TcxGridTableController::IsNewItemRowFocused() {
  return HasNewItemRow() && GridView()->DataController()->IsNewItemRowFocused();
}

void TcxGridTableController::FocusNewItemRow() {
  if (HasNewItemRow()) SetFocusedRecord(ViewData()->NewItemRecord());
}

void TcxGridTableController::DoKeyDown(Word& Key, TShiftState Shift) {
  TcxCustomDataController* dataController = GridView()->DataController();
  switch (Key) {
    case VK_PRIOR:
      if (IsNewItemRowFocused()) return;
      if (HasNewItemRow() && (dataController->IsGridMode() ? dataController->IsBOF() : IsStart())) {
        FocusNewItemRow();
        return;
      }
      break;
    case VK_NEXT:
      if (IsNewItemRowFocused() && ViewData()->RecordCount() > 0 && FocusRecordWithSelection(TopRecordIndex(), false))
        return;
      break;
    case VK_LEFT:
    case VK_RIGHT:
      if (FocusNextCell(Key == VK_RIGHT)) Key = 0;
      break;
    default:
      break;
  }
  inherited::DoKeyDown(Key, Shift);
  if (Key == 0) return;
  TcxCustomGridRecord* record = FocusedRecord();
  bool cellsFocused = FocusedItem() && record && record->HasCells() && GridView()->OptionsSelection()->CellSelect();
  switch (Key) {
    case VK_END:
      if (!ctrlHeld(Shift) && cellsFocused)
        FocusNextItem(-1, false, false, true);
      else
        GoToLast(false);
      break;
    case VK_HOME:
      if (!ctrlHeld(Shift) && cellsFocused)
        FocusNextItem(-1, true, false);
      else
        GoToFirst(false);
      break;
    case VK_LEFT:
      SetLeftPos(FLeftPos - cxGridHorzScrollStep);
      break;
    case VK_RIGHT:
      SetLeftPos(FLeftPos + cxGridHorzScrollStep);
      break;
    case VK_UP:
      if (HasNewItemRow() && !IsNewItemRowFocused() && IsStart())
        FocusNewItemRow();
      else if (!IsNewItemRowFocused())
        GoToPrev(false);
      break;
    case VK_DOWN:
      if (IsNewItemRowFocused()) {
        if (ViewData()->RecordCount() > 0) FocusRecordWithSelection(TopRecordIndex(), false);
      } else {
        GoToNext(false);
      }
      break;
    default:
      break;
  }
}

bool TcxGridTableController::IsKeyForController(Word AKey, TShiftState AShift) {
  switch (AKey) {
    case VK_UP:
    case VK_DOWN:
      return true;
    case VK_HOME:
    case VK_END: {
      TcxCustomGridRecord* record = FocusedRecord();
      return !(GridView()->OptionsSelection()->CellSelect() && record && record->IsData());
    }
    default:
      return inherited::IsKeyForController(AKey, AShift);
  }
}

bool TcxGridTableController::CanAppend(bool ACheckOptions) {
  return inherited::CanAppend(ACheckOptions) && !HasNewItemRow();
}

bool TcxGridTableController::CanDelete(bool ACheckOptions) {
  return inherited::CanDelete(ACheckOptions) && !IsNewItemRowFocused();
}

void TcxGridTableController::FocusLost() {
  if (IsNewItemRowFocused()) GridView()->DataController()->SetNewItemRowFocused(false);
  inherited::FocusLost();
}

TcxGridTableViewInfo* TcxGridTableController::tableViewInfo() const {
  return dynamic_cast<TcxGridTableViewInfo*>(GridView()->ViewInfo());
}

// --- Horizontal position.

Integer TcxGridTableController::clampedLeftPos(Integer Value) const {
  TcxGridTableViewInfo* viewInfo = tableViewInfo();
  Integer maxPos = viewInfo ? viewInfo->GetDataWidth() - viewInfo->ClientWidth() : 0;
  return std::max<Integer>(0, std::min(Value, maxPos));
}

void TcxGridTableController::SetLeftPos(Integer Value) {
  TcxGridTableViewInfo* viewInfo = tableViewInfo();
  Value = clampedLeftPos(Value);
  if (Value == FLeftPos) return;
  Integer previous = FLeftPos;
  FLeftPos = Value;
  // The laid-out parts and rows move with the pixels; a layout being calculated already
  // reads the new position.
  if (viewInfo && !viewInfo->IsCalculating() && Site()->HandleAllocated() && GridView()->CanScrollWindowHorizontally())
    viewInfo->Scroll(0, previous - Value, 0);
  else
    RequestLayoutChange();
  UpdateScrollBars();
  GridView()->DoLeftPosChanged();
}

void TcxGridTableController::RequestLayoutChange() { GridView()->LayoutChanged(); }

void TcxGridTableController::CheckCoordinates() {
  inherited::CheckCoordinates();
  SetLeftPos(FLeftPos);
}

void TcxGridTableController::LayoutCalculated() {
  // The widths may have changed: the left position is kept within what the new layout
  // allows before the scroll bars show it.
  SetLeftPos(FLeftPos);
  inherited::LayoutCalculated();
}

// --- The pressed column.

void TcxGridTableController::invalidateHeaderOf(TcxGridColumn* AColumn) {
  TcxGridTableViewInfo* viewInfo = tableViewInfo();
  auto* header = viewInfo ? dynamic_cast<TcxGridHeaderViewInfo*>(viewInfo->HeaderViewInfo()) : nullptr;
  if (!AColumn || !header) return;
  Integer index = AColumn->VisibleIndex();
  if (index >= 0 && index < header->GetItemCount()) header->GetItem(index)->Invalidate();
}

void TcxGridTableController::SetPressedColumn(TcxGridColumn* Value) {
  if (FPressedColumn == Value) return;
  TcxGridColumn* previous = FPressedColumn;
  FPressedColumn = Value;
  invalidateHeaderOf(previous);
  invalidateHeaderOf(Value);
}

// --- Scroll bars.

void TcxGridTableController::InitScrollBarsParameters() {
  TcxGridTableViewInfo* viewInfo = tableViewInfo();
  if (!viewInfo) return;
  SetScrollBarInfo(sbHorizontal, 0, viewInfo->GetDataWidth() - 1, cxGridHorzScrollStep, viewInfo->ClientWidth(),
                   FLeftPos, true, true);
  SetScrollBarInfo(sbVertical, 0, GetScrollBarRecordCount() - 1, 1, VisibleRecordCount(), GetScrollBarPos(), true,
                   true);
}

void TcxGridTableController::Scroll(TScrollBarKind AScrollBarKind, TScrollCode AScrollCode, Integer& AScrollPos) {
  if (AScrollBarKind == sbHorizontal) {
    TcxGridTableViewInfo* viewInfo = tableViewInfo();
    Integer page = viewInfo ? viewInfo->ClientWidth() : 0;
    switch (AScrollCode) {
      case scLineUp:
        SetLeftPos(FLeftPos - cxGridHorzScrollStep);
        break;
      case scLineDown:
        SetLeftPos(FLeftPos + cxGridHorzScrollStep);
        break;
      case scPageUp:
        SetLeftPos(FLeftPos - page);
        break;
      case scPageDown:
        SetLeftPos(FLeftPos + page);
        break;
      case scTrack:
        SetLeftPos(AScrollPos);
        break;
      default:
        break;
    }
    AScrollPos = FLeftPos;
    return;
  }
  bool gridMode = GridView()->DataController()->IsGridMode();
  switch (AScrollCode) {
    case scLineUp:
      ScrollRecords(false, 1);
      break;
    case scLineDown:
      ScrollRecords(true, 1);
      break;
    case scPageUp:
      ScrollPage(false);
      break;
    case scPageDown:
      ScrollPage(true);
      break;
    case scPosition:
      if (gridMode) SetScrollBarPos(AScrollPos);
      break;
    case scTrack:
      if (!gridMode) SetScrollBarPos(AScrollPos);
      break;
    default:
      break;
  }
  AScrollPos = GetScrollBarPos();
}

// --- Scrolling.

void TcxGridTableController::MakeItemVisible(TcxCustomGridTableItem* AItem) {
  auto* column = dynamic_cast<TcxGridColumn*>(AItem);
  TcxGridTableViewInfo* viewInfo = tableViewInfo();
  auto* header = viewInfo ? dynamic_cast<TcxGridHeaderViewInfo*>(viewInfo->HeaderViewInfo()) : nullptr;
  if (!column || !column->Visible() || !header) return;
  Integer index = column->VisibleIndex();
  if (index < 0 || index >= header->GetItemCount()) return;
  MakeFocusedRecordVisible();
  // Where the header lies in the data (independent of the present position), and the
  // position that shows it.
  TRect bounds = header->GetItem(index)->Bounds;
  TRect area = viewInfo->ClientBounds();
  Integer areaWidth = area.right - area.left;
  Integer dataLeft = bounds.left - area.left + FLeftPos;
  Integer dataRight = dataLeft + (bounds.right - bounds.left);
  Integer position = FLeftPos;
  if (dataRight - dataLeft < areaWidth) {
    if (dataRight > position + areaWidth) position = dataRight - areaWidth;
    if (dataLeft < position) position = dataLeft;
  } else {
    position = dataLeft;
  }
  SetLeftPos(position);
}

void TcxGridTableController::ScrollPageDown() {
  Integer top = TopRecordIndex();
  if (top == -1) return;
  Integer visible = VisibleRecordCount();
  SetTopRecordIndex(visible <= 1 ? top + 1 : top + visible - 1);
}

void TcxGridTableController::ScrollPageUp() {
  Integer top = TopRecordIndex();
  if (top == -1) return;
  bool gridMode = GridView()->DataController()->IsGridMode();
  if (!gridMode && top == 0) return;
  // The rows of a page that ends at the present top row: that row stays, as the last.
  Integer n = GetPageRecordCount(top, false);
  Integer visible = VisibleRecordCount();
  if (gridMode && (top == 0 || (n == top + 1 && n < visible))) n = visible;
  SetTopRecordIndex(n <= 1 ? top - 1 : top - n + 1);
}

namespace {
// Within this distance of an edge of the scrolling area a drag scrolls that way.
constexpr Integer dragScrollEdge = 15;
}  // namespace

TcxGridDirection TcxGridTableController::horzDragScrollDirection(const TPoint& P) const {
  TcxGridTableViewInfo* viewInfo = tableViewInfo();
  if (!viewInfo) return TcxGridDirection::None;
  TRect area;
  viewInfo->GetHorizontalScrollableArea(area);
  if (!PtInRect(area, P)) return TcxGridDirection::None;
  if (P.x < area.left + dragScrollEdge) return TcxGridDirection::Left;
  if (P.x >= area.right - dragScrollEdge) return TcxGridDirection::Right;
  return TcxGridDirection::None;
}

void TcxGridTableController::headerDragScrollCheck(const TPoint& P) {
  SetDragScrollDirection(horzDragScrollDirection(P));
}

TcxGridDirection TcxGridTableController::GetDragScrollDirection(Integer X, Integer Y) {
  TcxGridDirection result = inherited::GetDragScrollDirection(X, Y);
  return result != TcxGridDirection::None ? result : horzDragScrollDirection(TPoint{X, Y});
}

bool TcxGridTableController::canDragScroll(TcxGridDirection ADirection) {
  switch (ADirection) {
    case TcxGridDirection::Left:
      return FLeftPos != 0;
    case TcxGridDirection::Right:
      return clampedLeftPos(FLeftPos + cxGridHorzScrollStep) != FLeftPos;
    case TcxGridDirection::Up:
      return TopRecordIndex() > 0;
    case TcxGridDirection::Down: {
      Integer top = TopRecordIndex();
      if (top == -1) return false;
      Integer next = top + 1;
      CheckTopRecordIndex(next);
      return next != top;
    }
    default:
      return false;
  }
}

void TcxGridTableController::dragScroll(TcxGridDirection ADirection) {
  switch (ADirection) {
    case TcxGridDirection::Left:
      SetLeftPos(FLeftPos - cxGridHorzScrollStep);
      break;
    case TcxGridDirection::Right:
      SetLeftPos(FLeftPos + cxGridHorzScrollStep);
      break;
    case TcxGridDirection::Up:
      ScrollRecords(false, 1);
      break;
    case TcxGridDirection::Down:
      ScrollRecords(true, 1);
      break;
    default:
      break;
  }
}

void TcxGridTableController::DragScrollStep() {
  TcxGridDirection direction = DragScrollDirection();
  if (!canDragScroll(direction)) return;
  TcxGridSite* site = Site();
  TcxDragAndDropObject* dragObject =
      site->DragAndDropState() == ddsInProcess ? site->GetDragAndDropObject() : nullptr;
  if (dragObject) dragObject->HideFeedback();
  dragScroll(direction);
  if (!dragObject) return;
  // The feedback follows the content to where it was scrolled.
  site->Repaint();
  dragObject->ShowFeedback();
  bool accepted = false;
  site->DragAndDrop(site->ScreenToClient(cxGetCursorPos()), accepted);
}

// --- Mouse.

void TcxGridTableController::CancelMouseOperations() {
  inherited::CancelMouseOperations();
  SetPressedColumn(nullptr);
}

void TcxGridTableController::EndDragAndDrop(bool Accepted) {
  SetDragScrollDirection(TcxGridDirection::None);
  SetPressedColumn(nullptr);
  inherited::EndDragAndDrop(Accepted);
}

void TcxGridTableController::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  // Taken first: the header cell's release ends its mouse capture, which cancels the
  // mouse operations and with them the pressed column.
  TcxGridColumn* column = FPressedColumn;
  ViewDestroyGuard guard(GridView());
  inherited::MouseUp(Button, Shift, X, Y);
  if (!guard.Alive()) return;
  if (column && GridView()->IndexOfItem(column) < 0) column = nullptr;  // removed meanwhile
  // A release away from the press is a drag, not a click.
  if (column && Site()->IsWithinDragThreshold(X, Y) && column->CanSort()) sortByHeaderClick(column, Shift);
  if (guard.Alive()) SetPressedColumn(nullptr);
}

void TcxGridTableController::sortByHeaderClick(TcxGridColumn* AColumn, TShiftState AShift) {
  {
    GridHourglassLock hourglass;
    GridViewUpdateLock update(GridView());
    if (AShift.Contains(ssCtrl)) {
      AColumn->SetSortOrder(soNone);
    } else {
      TcxDataSortOrder previous = AColumn->SortOrder();
      // A plain click sorts by this column alone; Shift adds it to the sorting. Grouped
      // columns keep their order either way.
      if (!AShift.Contains(ssShift) && AColumn->GroupIndex() == -1) GridView()->DataController()->ClearSorting(true);
      AColumn->SetSortOrder(previous == soAscending ? soDescending : soAscending);
    }
  }
  MakeFocusedRecordVisible();
  NotifyDesignerModified();
}

// ---------------------------------------------------------------------------------------
// View options.

TcxGridTableOptionsView::TcxGridTableOptionsView(TcxCustomGridView* AGridView)
    : TcxCustomGridTableOptionsView(AGridView), FNewItemRowInfoText(cxGetResourceString(&scxGridNewItemRowInfoText)) {}

TcxGridTableView* TcxGridTableOptionsView::GridView() const { return asTableView(inherited::GridView()); }

void TcxGridTableOptionsView::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxGridTableOptionsView*>(Source)) {
    SetColumnAutoWidth(source->ColumnAutoWidth());
    SetDataRowHeight(source->DataRowHeight());
    SetExpandButtonsForEmptyDetails(source->ExpandButtonsForEmptyDetails());
    SetFooter(source->Footer());
    SetGridLineColor(source->GridLineColor());
    SetGridLines(source->GridLines());
    SetGroupByBox(source->GroupByBox());
    SetGroupFooters(source->GroupFooters());
    SetGroupRowHeight(source->GroupRowHeight());
    SetHeader(source->Header());
    SetHeaderHeight(source->HeaderHeight());
    SetIndicator(source->Indicator());
    SetIndicatorWidth(source->IndicatorWidth());
    SetNewItemRow(source->NewItemRow());
    SetNewItemRowInfoText(source->NewItemRowInfoText());
    SetNewItemRowSeparatorColor(source->NewItemRowSeparatorColor());
    SetNewItemRowSeparatorWidth(source->NewItemRowSeparatorWidth());
    SetRowSeparatorColor(source->RowSeparatorColor());
    SetRowSeparatorWidth(source->RowSeparatorWidth());
  }
  inherited::Assign(Source);
}

// A changed value re-measures (ASize) or only re-lays out the view.
#define CX_SET_OPTION(Field, Value, ASize) \
  if (Field == Value) return;              \
  Field = Value;                           \
  if (ASize)                               \
    SizeChanged();                         \
  else                                     \
    Changed();

void TcxGridTableOptionsView::SetColumnAutoWidth(bool Value) { CX_SET_OPTION(FColumnAutoWidth, Value, true) }
void TcxGridTableOptionsView::SetDataRowHeight(Integer Value) {
  CheckDataRowHeight(Value);
  CX_SET_OPTION(FDataRowHeight, Value, true)
}
void TcxGridTableOptionsView::SetExpandButtonsForEmptyDetails(bool Value) {
  CX_SET_OPTION(FExpandButtonsForEmptyDetails, Value, false)
}
void TcxGridTableOptionsView::SetFooter(bool Value) { CX_SET_OPTION(FFooter, Value, true) }
void TcxGridTableOptionsView::SetGridLineColor(TColor Value) { CX_SET_OPTION(FGridLineColor, Value, false) }
void TcxGridTableOptionsView::SetGridLines(TcxGridLines Value) { CX_SET_OPTION(FGridLines, Value, true) }
void TcxGridTableOptionsView::SetGroupByBox(bool Value) { CX_SET_OPTION(FGroupByBox, Value, true) }
void TcxGridTableOptionsView::SetGroupFooters(TcxGridGroupFootersMode Value) { CX_SET_OPTION(FGroupFooters, Value, true) }
void TcxGridTableOptionsView::SetGroupRowHeight(Integer Value) {
  CheckGroupRowHeight(Value);
  CX_SET_OPTION(FGroupRowHeight, Value, true)
}
void TcxGridTableOptionsView::SetHeader(bool Value) { CX_SET_OPTION(FHeader, Value, true) }
void TcxGridTableOptionsView::SetHeaderHeight(Integer Value) {
  if (Value < 0) Value = 0;
  CX_SET_OPTION(FHeaderHeight, Value, true)
}
void TcxGridTableOptionsView::SetIndicator(bool Value) { CX_SET_OPTION(FIndicator, Value, true) }
void TcxGridTableOptionsView::SetIndicatorWidth(Integer Value) {
  if (Value < 0) Value = 0;
  CX_SET_OPTION(FIndicatorWidth, Value, true)
}
void TcxGridTableOptionsView::SetNewItemRowInfoText(const std::string& Value) {
  CX_SET_OPTION(FNewItemRowInfoText, Value, false)
}
void TcxGridTableOptionsView::SetNewItemRowSeparatorColor(TColor Value) {
  CX_SET_OPTION(FNewItemRowSeparatorColor, Value, false)
}
void TcxGridTableOptionsView::SetNewItemRowSeparatorWidth(Integer Value) {
  if (Value < 2) Value = 2;
  CX_SET_OPTION(FNewItemRowSeparatorWidth, Value, true)
}
void TcxGridTableOptionsView::SetRowSeparatorColor(TColor Value) { CX_SET_OPTION(FRowSeparatorColor, Value, false) }
void TcxGridTableOptionsView::SetRowSeparatorWidth(Integer Value) {
  if (Value < 0) Value = 0;
  CX_SET_OPTION(FRowSeparatorWidth, Value, true)
}
#undef CX_SET_OPTION

void TcxGridTableOptionsView::SetNewItemRow(bool Value) {
  if (FNewItemRow == Value) return;
  FNewItemRow = Value;
  // The data controller's switch first: the view data asks it whether a new-item record is
  // wanted when it rebuilds it.
  TcxCustomGridView* view = inherited::GridView();
  if (auto* dc = dynamic_cast<TcxDataController*>(view->DataController())) dc->SetNewItemRowEnabled(Value);
  if (auto* data = dynamic_cast<TcxCustomGridTableViewData*>(view->ViewData())) data->CheckNewItemRecord();
}

bool TcxGridTableOptionsView::IsNewItemRowInfoTextStored() const {
  return FNewItemRowInfoText != cxGetResourceString(&scxGridNewItemRowInfoText);
}

TColor TcxGridTableOptionsView::GetGridLineColor() {
  return FGridLineColor == clDefault ? inherited::GridView()->LookAndFeelPainter()->GetDefaultGridLineColor()
                                     : FGridLineColor;
}

TColor TcxGridTableOptionsView::GetNewItemRowSeparatorColor() {
  return FNewItemRowSeparatorColor == clDefault
             ? inherited::GridView()->LookAndFeelPainter()->GetDefaultNewItemRowSeparatorColor()
             : FNewItemRowSeparatorColor;
}

TColor TcxGridTableOptionsView::GetRowSeparatorColor() {
  return FRowSeparatorColor == clDefault ? inherited::GridView()->LookAndFeelPainter()->GetDefaultRowSeparatorColor()
                                         : FRowSeparatorColor;
}

// ---------------------------------------------------------------------------------------
// Customize options.

void TcxGridTableOptionsCustomize::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxGridTableOptionsCustomize*>(Source)) {
    SetColumnFiltering(source->ColumnFiltering());
    SetColumnHiding(source->ColumnHiding());
    SetColumnHidingOnGrouping(source->ColumnHidingOnGrouping());
    SetColumnHorzSizing(source->ColumnHorzSizing());
    SetDataRowSizing(source->DataRowSizing());
    SetGroupRowSizing(source->GroupRowSizing());
  }
  inherited::Assign(Source);
}

void TcxGridTableOptionsCustomize::SetColumnFiltering(bool Value) {
  if (FColumnFiltering == Value) return;
  FColumnFiltering = Value;
  Changed();
}

void TcxGridTableOptionsCustomize::SetColumnHorzSizing(bool Value) {
  if (FColumnHorzSizing == Value) return;
  FColumnHorzSizing = Value;
  Changed();
}

// ---------------------------------------------------------------------------------------
// Preview.

TcxGridTableView* TcxGridPreview::GridView() const { return asTableView(inherited::GridView()); }

void TcxGridPreview::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxGridPreview*>(Source)) {
    SetAutoHeight(source->AutoHeight());
    TcxCustomGridTableItem* column = source->Column();
    // A view read from a stored form takes its own column with the same identifier.
    if (column && GridView() && GridView()->ComponentState().Contains(csLoading))
      column = GridView()->FindItemByID(column->ID());
    SetColumn(column);
    SetLeftIndent(source->LeftIndent());
    SetMaxLineCount(source->MaxLineCount());
    SetPlace(source->Place());
    SetRightIndent(source->RightIndent());
    SetVisible(source->Visible());
  }
  inherited::Assign(Source);
}

void TcxGridPreview::propertyChanged() {
  if (FVisible) inherited::GridView()->SizeChanged();
}

void TcxGridPreview::SetAutoHeight(bool Value) {
  if (FAutoHeight == Value) return;
  FAutoHeight = Value;
  propertyChanged();
}

void TcxGridPreview::SetLeftIndent(Integer Value) {
  if (Value < 0) Value = 0;
  if (FLeftIndent == Value) return;
  FLeftIndent = Value;
  propertyChanged();
}

void TcxGridPreview::SetMaxLineCount(Integer Value) {
  if (Value < 0) Value = 0;
  if (FMaxLineCount == Value) return;
  FMaxLineCount = Value;
  propertyChanged();
}

void TcxGridPreview::SetPlace(TcxGridPreviewPlace Value) {
  if (FPlace == Value) return;
  FPlace = Value;
  propertyChanged();
}

void TcxGridPreview::SetRightIndent(Integer Value) {
  if (Value < 0) Value = 0;
  if (FRightIndent == Value) return;
  FRightIndent = Value;
  propertyChanged();
}

void TcxGridPreview::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  inherited::GridView()->SizeChanged();
}

void TcxGridPreview::SetColumn(TcxCustomGridTableItem* Value) {
  TcxGridTableView* view = GridView();
  if (Value && (!view || view->IndexOfItem(Value) < 0)) Value = nullptr;
  if (FColumn == Value) return;
  GridViewUpdateLock lock(view);
  TcxCustomGridTableItem* previous = FColumn;
  FColumn = Value;
  if (previous) {
    view->ItemVisibilityChanged(previous, previous->Visible());
    view->RefreshVisibleItemsList();
  }
  if (FColumn) {
    view->ItemVisibilityChanged(FColumn, false);
    view->RefreshVisibleItemsList();
  }
  // The preview column reads hidden, so the filter builder no longer offers it.
  view->RefreshFilterableItemsList();
}

void TcxGridPreview::ItemRemoved(TcxCustomGridTableItem* AItem) {
  if (FColumn == AItem) FColumn = nullptr;
}

// ---------------------------------------------------------------------------------------
// Styles.

TcxGridTableView* TcxGridTableViewStyles::tableView() { return asTableView(GetGridView()); }

void TcxGridTableViewStyles::Assign(TPersistent* Source) {
  inherited::Assign(Source);
  if (auto* source = dynamic_cast<TcxGridTableViewStyles*>(Source)) {
    for (Integer index : {vsFilterBox, vsFooter, vsGroup, vsGroupByBox, vsHeader, vsIndicator,
                          vsNewItemRowInfoText, vsPreview})
      SetIndexedStyle(index, source->GetIndexedStyle(index));
    OnGetFooterStyle = source->OnGetFooterStyle;
    OnGetGroupStyle = source->OnGetGroupStyle;
    OnGetHeaderStyle = source->OnGetHeaderStyle;
    OnGetPreviewStyle = source->OnGetPreviewStyle;
  }
}

void TcxGridTableViewStyles::GetDefaultVisualParams(Integer AIndex, TObject* AData, TcxViewParams& AParams) {
  TcxCustomLookAndFeelPainterClass painter = GetLookAndFeelPainter();
  switch (AIndex) {
    case vsFilterBox:
      inherited::GetDefaultVisualParams(AIndex, AData, AParams);
      AParams.Color = painter->GetFilterBoxColor();
      AParams.TextColor = painter->GetFilterBoxTextColor();
      break;
    case vsFooter:
      inherited::GetDefaultVisualParams(AIndex, AData, AParams);
      AParams.Color = painter->GetFooterColor();
      AParams.TextColor = painter->GetFooterTextColor();
      break;
    case vsGroup:
      inherited::GetDefaultVisualParams(vsContent, AData, AParams);
      AParams.Color = painter->GetGroupColor();
      AParams.TextColor = painter->GetGroupTextColor();
      break;
    case vsGroupByBox:
      inherited::GetDefaultVisualParams(AIndex, AData, AParams);
      AParams.Color = painter->GetGroupByBoxColor();
      AParams.TextColor = painter->GetGroupByBoxTextColor();
      break;
    case vsHeader:
      inherited::GetDefaultVisualParams(AIndex, AData, AParams);
      AParams.Color = painter->GetHeaderColor();
      AParams.TextColor = painter->GetHeaderTextColor();
      break;
    case vsNewItemRowInfoText:
      inherited::GetDefaultVisualParams(vsContent, AData, AParams);
      AParams.TextColor = clGrayText;
      break;
    case vsIndicator:
      inherited::GetDefaultVisualParams(AIndex, AData, AParams);
      AParams.Color = painter->GetHeaderColor();
      break;
    case vsPreview: {
      TcxGridTableView* view = tableView();
      TcxCustomGridTableItem* column = view ? view->Preview()->Column() : nullptr;
      if (column)
        inherited::GetContentParams(dynamic_cast<TcxCustomGridRecord*>(AData), column, AParams);
      else
        inherited::GetDefaultVisualParams(vsContent, AData, AParams);
      AParams.TextColor = painter->GetPreviewTextColor();
      break;
    }
    default:
      inherited::GetDefaultVisualParams(AIndex, AData, AParams);
  }
}

void TcxGridTableViewStyles::GetRecordContentParams(TcxCustomGridRecord* ARecord, TcxCustomGridTableItem* AItem,
                                                    TcxViewParams& AParams) {
  // Group rows come with the table's row classes; every record here is a data row.
  inherited::GetRecordContentParams(ARecord, AItem, AParams);
}

void TcxGridTableViewStyles::GetContentParams(TcxCustomGridRecord* ARecord, TcxCustomGridTableItem* AItem,
                                              TcxViewParams& AParams) {
  TcxGridTableView* view = tableView();
  if (AItem && view && view->Preview()->Column() == AItem)
    GetPreviewParams(ARecord, AItem, AParams);
  else
    inherited::GetContentParams(ARecord, AItem, AParams);
}

void TcxGridTableViewStyles::GetFooterParams(TcxCustomGridRecord* ARecord, TcxCustomGridTableItem* AItem,
                                             TcxViewParams& AParams) {
  TcxStyle* style = nullptr;
  if (OnGetFooterStyle) OnGetFooterStyle(tableView(), ARecord, AItem, style);
  GetVisualParams(vsFooter, ARecord, style, AParams);
}

void TcxGridTableViewStyles::GetGroupParams(TcxCustomGridRecord* ARecord, Integer ALevel, TcxViewParams& AParams) {
  if (ARecord) ALevel = ARecord->Level();
  TcxStyle* style = nullptr;
  if (OnGetGroupStyle) OnGetGroupStyle(tableView(), ARecord, ALevel, style);
  GetVisualParams(vsGroup, ARecord, style, AParams);
}

void TcxGridTableViewStyles::GetHeaderParams(TcxCustomGridTableItem* AItem, TcxViewParams& AParams) {
  TcxStyle* style = nullptr;
  if (OnGetHeaderStyle) OnGetHeaderStyle(tableView(), AItem, style);
  GetVisualParams(vsHeader, nullptr, style, AParams);
}

void TcxGridTableViewStyles::GetPreviewParams(TcxCustomGridRecord* ARecord, TcxCustomGridTableItem* AItem,
                                              TcxViewParams& AParams) {
  TcxStyle* style = nullptr;
  if (OnGetPreviewStyle) OnGetPreviewStyle(tableView(), ARecord, AItem, style);
  GetVisualParams(vsPreview, ARecord, style, AParams);
}

// ---------------------------------------------------------------------------------------
// Background bitmaps.

void TcxGridTableBackgroundBitmaps::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxGridTableBackgroundBitmaps*>(Source))
    for (Integer index = bbFilterBox; index <= bbPreview; ++index) SetValue(index, source->GetValue(index));
  inherited::Assign(Source);
}

Integer TcxGridTableBackgroundBitmaps::GetBitmapStyleIndex(Integer AIndex) {
  switch (AIndex) {
    case bbFilterBox: return vsFilterBox;
    case bbFooter: return vsFooter;
    case bbHeader: return vsHeader;
    case bbGroup: return vsGroup;
    case bbGroupByBox: return vsGroupByBox;
    case bbIndicator: return vsIndicator;
    case bbPreview: return vsPreview;
    default: return inherited::GetBitmapStyleIndex(AIndex);
  }
}

// ---------------------------------------------------------------------------------------
// The view.

TcxGridTableBackgroundBitmaps* TcxGridTableView::BackgroundBitmaps() const {
  return static_cast<TcxGridTableBackgroundBitmaps*>(inherited::BackgroundBitmaps());
}
TcxGridTableFiltering* TcxGridTableView::Filtering() const {
  return static_cast<TcxGridTableFiltering*>(inherited::Filtering());
}
TcxGridTableOptionsBehavior* TcxGridTableView::OptionsBehavior() const {
  return static_cast<TcxGridTableOptionsBehavior*>(inherited::OptionsBehavior());
}
TcxGridTableOptionsCustomize* TcxGridTableView::OptionsCustomize() const {
  return static_cast<TcxGridTableOptionsCustomize*>(inherited::OptionsCustomize());
}
TcxGridTableOptionsData* TcxGridTableView::OptionsData() const {
  return static_cast<TcxGridTableOptionsData*>(inherited::OptionsData());
}
TcxGridTableOptionsSelection* TcxGridTableView::OptionsSelection() const {
  return static_cast<TcxGridTableOptionsSelection*>(inherited::OptionsSelection());
}
TcxGridTableOptionsView* TcxGridTableView::OptionsView() const {
  return static_cast<TcxGridTableOptionsView*>(inherited::OptionsView());
}
TcxGridTableViewStyles* TcxGridTableView::Styles() const {
  return static_cast<TcxGridTableViewStyles*>(inherited::Styles());
}

TClass TcxGridTableView::GetControllerClass() { return TcxGridTableController::StaticClass(); }
TClass TcxGridTableView::GetPainterClass() { return TcxGridTablePainter::StaticClass(); }
TClass TcxGridTableView::GetViewDataClass() { return TcxGridViewData::StaticClass(); }
TClass TcxGridTableView::GetViewInfoCacheClass() { return TcxCustomGridTableViewInfoCache::StaticClass(); }
TClass TcxGridTableView::GetViewInfoClass() { return TcxGridTableViewInfo::StaticClass(); }
TClass TcxGridTableView::GetItemClass() { return TcxGridColumn::StaticClass(); }

void TcxGridTableView::CreateOptions() {
  inherited::CreateOptions();
  FPreview.reset(As<TcxGridPreview>(GetPreviewClass()->CreateInstance(static_cast<TcxCustomGridView*>(this))));
}

void TcxGridTableView::DestroyOptions() {
  FPreview.reset();
  inherited::DestroyOptions();
}

void TcxGridTableView::DoAssign(TcxCustomGridView* ASource) {
  auto* source = asTableView(ASource);
  if (source) {
    OptionsCustomize()->Assign(source->OptionsCustomize());
    OnColumnHeaderClick = source->OnColumnHeaderClick;
    OnColumnPosChanged = source->OnColumnPosChanged;
    OnColumnSizeChanged = source->OnColumnSizeChanged;
    OnCustomDrawColumnHeader = source->OnCustomDrawColumnHeader;
    OnCustomDrawFooterCell = source->OnCustomDrawFooterCell;
    OnCustomDrawGroupCell = source->OnCustomDrawGroupCell;
    OnCustomDrawIndicatorCell = source->OnCustomDrawIndicatorCell;
    OnCustomDrawPartBackground = source->OnCustomDrawPartBackground;
    OnCustomization = source->OnCustomization;
    OnLeftPosChanged = source->OnLeftPosChanged;
  }
  inherited::DoAssign(ASource);
  // After the items were copied, so that the preview column is found among them.
  if (source) {
    TcxCustomGridTableItem* column = source->Preview()->Column();
    Preview()->SetAutoHeight(source->Preview()->AutoHeight());
    Preview()->SetColumn(column ? FindItemByID(column->ID()) : nullptr);
    Preview()->SetLeftIndent(source->Preview()->LeftIndent());
    Preview()->SetMaxLineCount(source->Preview()->MaxLineCount());
    Preview()->SetPlace(source->Preview()->Place());
    Preview()->SetRightIndent(source->Preview()->RightIndent());
    Preview()->SetVisible(source->Preview()->Visible());
  }
}

std::vector<std::string> TcxGridTableView::GetStoredProperties() {
  return {"Footer", "GroupByBox", "GroupFooters", "NewItemRow"};
}

bool TcxGridTableView::GetStoredPropertyValue(const std::string& AName, Variant& AValue) {
  TcxGridTableOptionsView* options = OptionsView();
  if (AName == "Footer")
    AValue = options->Footer();
  else if (AName == "GroupByBox")
    AValue = options->GroupByBox();
  else if (AName == "GroupFooters")
    AValue = options->GroupFooters() == gfVisibleWhenExpanded;
  else if (AName == "NewItemRow")
    AValue = options->NewItemRow();
  else
    return false;
  return true;
}

bool TcxGridTableView::SetStoredPropertyValue(const std::string& AName, const Variant& AValue) {
  TcxGridTableOptionsView* options = OptionsView();
  if (AName == "Footer")
    options->SetFooter(AValue.AsBoolean());
  else if (AName == "GroupByBox")
    options->SetGroupByBox(AValue.AsBoolean());
  else if (AName == "GroupFooters")
    options->SetGroupFooters(AValue.AsBoolean() ? gfVisibleWhenExpanded : gfInvisible);
  else if (AName == "NewItemRow")
    options->SetNewItemRow(AValue.AsBoolean());
  else
    return false;
  return true;
}

bool TcxGridTableView::DependsOnSiteSize() {
  return inherited::DependsOnSiteSize() || OptionsView()->ColumnAutoWidth() || Preview()->Active() || IsMaster();
}

bool TcxGridTableView::CanScrollWindowHorizontally() {
  if (Grid() && Grid()->UpdateLockCount() != 0) return false;
  return !(IsMaster() && GroupedItemCount() > 0);
}

bool TcxGridTableView::IsEqualHeightRecords() {
  return !Preview()->Visible() && GroupedItemCount() == 0 && !IsMaster();
}

void TcxGridTableView::RemoveItem(TcxCustomGridTableItem* AItem) {
  if (FPreview) FPreview->ItemRemoved(AItem);
  // A column that leaves is no longer the pressed one nor the one being sized.
  if (auto* controller = dynamic_cast<TcxGridTableController*>(Controller())) {
    if (controller->PressedColumn() == AItem) controller->SetPressedColumn(nullptr);
    if (controller->SizingColumn() == AItem) controller->SetSizingColumn(nullptr);
  }
  inherited::RemoveItem(AItem);
}

void TcxGridTableView::DoColumnHeaderClick(TcxCustomGridTableItem* AColumn) {
  if (OnColumnHeaderClick) OnColumnHeaderClick(this, AColumn);
}
void TcxGridTableView::DoColumnPosChanged(TcxCustomGridTableItem* AColumn) {
  if (OnColumnPosChanged) OnColumnPosChanged(this, AColumn);
}
void TcxGridTableView::DoColumnSizeChanged(TcxCustomGridTableItem* AColumn) {
  if (OnColumnSizeChanged) OnColumnSizeChanged(this, AColumn);
}
void TcxGridTableView::DoCustomDrawColumnHeader(TcxCanvas* ACanvas, TcxCustomGridCellViewInfo* AViewInfo, bool& ADone) {
  if (OnCustomDrawColumnHeader) OnCustomDrawColumnHeader(this, ACanvas, AViewInfo, ADone);
}
void TcxGridTableView::DoCustomDrawFooterCell(TcxCanvas* ACanvas, TcxCustomGridCellViewInfo* AViewInfo, bool& ADone) {
  if (OnCustomDrawFooterCell) OnCustomDrawFooterCell(this, ACanvas, AViewInfo, ADone);
}
void TcxGridTableView::DoCustomDrawGroupCell(TcxCanvas* ACanvas, TcxCustomGridCellViewInfo* AViewInfo, bool& ADone) {
  if (OnCustomDrawGroupCell) OnCustomDrawGroupCell(this, ACanvas, AViewInfo, ADone);
}
void TcxGridTableView::DoCustomDrawIndicatorCell(TcxCanvas* ACanvas, TcxCustomGridCellViewInfo* AViewInfo,
                                                 bool& ADone) {
  if (OnCustomDrawIndicatorCell) OnCustomDrawIndicatorCell(this, ACanvas, AViewInfo, ADone);
}
void TcxGridTableView::DoCustomDrawPartBackground(TcxCanvas* ACanvas, TcxCustomGridCellViewInfo* AViewInfo,
                                                  bool& ADone) {
  if (OnCustomDrawPartBackground) OnCustomDrawPartBackground(this, ACanvas, AViewInfo, ADone);
}
void TcxGridTableView::DoCustomization() {
  if (OnCustomization) OnCustomization(this);
}
void TcxGridTableView::DoLeftPosChanged() {
  if (OnLeftPosChanged) OnLeftPosChanged(this);
}

// =======================================================================================
// Parts of the tabular layout.

TcxCustomGridPartViewInfo::TcxCustomGridPartViewInfo(TcxGridTableViewInfo* AGridViewInfo)
    : TcxCustomGridViewCellViewInfo(AGridViewInfo) {}

void TcxCustomGridPartViewInfo::AfterConstruction() {
  inherited::AfterConstruction();
  // Registered once complete: IsPartOfLayout is a descendant's answer.
  if (IsPartOfLayout()) {
    TableViewInfo()->AddPart(this);
    FRegistered = true;
  }
}

void TcxCustomGridPartViewInfo::BeforeDestruction() {
  if (FRegistered) TableViewInfo()->RemovePart(this);
  inherited::BeforeDestruction();
}

TcxGridTableViewInfo* TcxCustomGridPartViewInfo::TableViewInfo() const {
  return static_cast<TcxGridTableViewInfo*>(GridViewInfo());
}
TcxGridTableView* TcxCustomGridPartViewInfo::TableView() const { return TableViewInfo()->TableView(); }

void TcxCustomGridPartViewInfo::GetBounds(TRect& R) { TableViewInfo()->GetPartBounds(this, R); }

void TcxCustomGridPartViewInfo::CalculateInvisible() {
  FHeight = 0;
  Calculate(0, 0, 0, 0);
}

void TcxCustomGridPartViewInfo::CalculateVisible() {
  FHeight = CalculateHeight();
  TRect r;
  GetBounds(r);
  Calculate(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TcxCustomGridPartViewInfo::CalculatePart() {
  if (GetVisible())
    CalculateVisible();
  else
    CalculateInvisible();
}

Integer TcxCustomGridPartViewInfo::GetHeight() { return IsRectEmpty(Bounds) ? FHeight : Bounds.bottom - Bounds.top; }

TClass TcxCustomGridPartViewInfo::GetPainterClass() { return TcxCustomGridPartPainter::StaticClass(); }

bool TcxCustomGridPartViewInfo::HasCustomDrawBackground() { return TableView()->HasCustomDrawPartBackground(); }

bool TcxCustomGridPartViewInfo::CustomDrawBackground(TcxCanvas* ACanvas) {
  bool done = inherited::CustomDrawBackground(ACanvas);
  if (!done) TableView()->DoCustomDrawPartBackground(ACanvas, this, done);
  return done;
}

void TcxCustomGridPartViewInfo::InitHitTest(TcxCustomGridHitTest* AHitTest) {
  inherited::InitHitTest(AHitTest);
  TableViewInfo()->InitHitTest(AHitTest);
}

// =======================================================================================
// The tabular view's layout.

TcxGridTableView* TcxGridTableViewInfo::TableView() const { return static_cast<TcxGridTableView*>(GridView()); }

TcxGridRowsViewInfo* TcxGridTableViewInfo::GetRowsViewInfo() const {
  return static_cast<TcxGridRowsViewInfo*>(RecordsViewInfo());
}

void TcxGridTableViewInfo::RemovePart(TcxCustomGridPartViewInfo* APart) {
  auto it = std::find(FParts.begin(), FParts.end(), APart);
  if (it != FParts.end()) FParts.erase(it);
}

TcxCustomGridPartViewInfo* TcxGridTableViewInfo::createPart(TClass AClass) {
  return AClass ? As<TcxCustomGridPartViewInfo>(AClass->CreateInstance(this)) : nullptr;
}

void TcxGridTableViewInfo::CreateViewInfos() {
  FGroupByBox.reset(createPart(GetGroupByBoxViewInfoClass()));
  FHeader.reset(createPart(GetHeaderViewInfoClass()));
  FFilter.reset(createPart(GetFilterViewInfoClass()));
  FFooter.reset(createPart(GetFooterViewInfoClass()));
  if (TClass indicatorClass = GetIndicatorViewInfoClass())
    FIndicator.reset(As<TcxCustomGridViewCellViewInfo>(indicatorClass->CreateInstance(this)));
  inherited::CreateViewInfos();
}

void TcxGridTableViewInfo::DestroyViewInfos(bool AIsRecreating) {
  inherited::DestroyViewInfos(AIsRecreating);
  FIndicator.reset();
  FFooter.reset();
  FHeader.reset();
  FGroupByBox.reset();
  FFilter.reset();
}

void TcxGridTableViewInfo::RecreateViewInfos() {
  FDataWidth = 0;
  inherited::RecreateViewInfos();
}

Integer TcxGridTableViewInfo::columnCount() {
  if (auto* header = dynamic_cast<TcxGridHeaderViewInfo*>(FHeader.get())) return header->GetItemCount();
  return TableView()->VisibleItemCount();
}

void TcxGridTableViewInfo::columnDataSpan(Integer AIndex, Integer& ALeft, Integer& AWidth) {
  if (auto* header = dynamic_cast<TcxGridHeaderViewInfo*>(FHeader.get())) {
    TcxGridColumnHeaderViewInfo* cell = header->GetItem(AIndex);
    ALeft = cell->GetDataCellLeft();
    AWidth = cell->GetDataWidth();
    return;
  }
  // Without a header part the columns follow each other from the rows' left edge, the
  // first one after the level indents.
  ALeft = ClientBounds().left - GetLeftPos() + GetLevelIndentsWidth();
  for (Integer i = 0; i < AIndex; ++i) ALeft += TableView()->VisibleItems(i)->Width();
  AWidth = TableView()->VisibleItems(AIndex)->Width();
}

bool TcxGridTableViewInfo::isColumnVisible(Integer AIndex) {
  if (auto* header = dynamic_cast<TcxGridHeaderViewInfo*>(FHeader.get())) return header->GetItem(AIndex)->Visible;
  Integer left = 0;
  Integer width = 0;
  columnDataSpan(AIndex, left, width);
  if (AIndex == 0) left -= GetLevelIndentsWidth();
  TRect client = ClientBounds();
  return left < client.right && left + width + (AIndex == 0 ? GetLevelIndentsWidth() : 0) > client.left;
}

Integer TcxGridTableViewInfo::CalculateDataWidth() {
  Integer width = 0;
  Integer count = columnCount();
  for (Integer i = 0; i < count; ++i) {
    Integer left = 0;
    Integer columnWidth = 0;
    columnDataSpan(i, left, columnWidth);
    width += columnWidth;
  }
  if (count > 0) width += GetLevelIndentsWidth();
  if (width == 0 && TableView()->OptionsView()->ColumnAutoWidth()) width = ClientWidth();
  return width;
}

Integer TcxGridTableViewInfo::GetDataWidth() {
  if (FDataWidth == 0) FDataWidth = CalculateDataWidth();
  return FDataWidth;
}

TcxGridLines TcxGridTableViewInfo::GetGridLines() { return TableView()->OptionsView()->GridLines(); }

// The horizontal scroll position belongs to the table controller.
Integer TcxGridTableViewInfo::GetLeftPos() {
  auto* controller = dynamic_cast<TcxGridTableController*>(TableView()->Controller());
  return controller ? controller->LeftPos() : 0;
}

TBitmap* TcxGridTableViewInfo::GetGroupBackgroundBitmap() {
  return GetRowsViewInfo() ? GetRowsViewInfo()->BackgroundBitmap() : nullptr;
}

TColor TcxGridTableViewInfo::GetLevelColor(Integer ALevel) {
  TcxViewParams params;
  TableView()->Styles()->GetGroupParams(nullptr, ALevel, params);
  return params.Color;
}

Integer TcxGridTableViewInfo::GetTopPartsHeight() {
  Integer height = 0;
  for (TcxCustomGridPartViewInfo* part : FParts)
    if (part->GetAlignment() == 0) height += part->GetHeight();
  return height;
}

Integer TcxGridTableViewInfo::GetBottomPartsHeight() {
  Integer height = 0;
  for (TcxCustomGridPartViewInfo* part : FParts)
    if (part->GetAlignment() == 1) height += part->GetHeight();
  return height;
}

Integer TcxGridTableViewInfo::IndicatorWidth() {
  TcxGridTableOptionsView* options = TableView()->OptionsView();
  return options->Indicator() ? options->IndicatorWidth() : 0;
}

Integer TcxGridTableViewInfo::GetLevelIndentsWidth() {
  return (TableView()->GroupedItemCount() + (TableView()->IsMaster() ? 1 : 0)) * LevelIndent();
}

TColor TcxGridTableViewInfo::GetGridLineColor() { return TableView()->OptionsView()->GetGridLineColor(); }

Integer TcxGridTableViewInfo::GetNonDataHeight(bool AWithScrollBar) {
  Integer height = GetTopPartsHeight() + GetBottomPartsHeight();
  // The new-item row (a strip above the data rows) is not part of this program yet.
  if (AWithScrollBar && Site()->IsHScrollBarVisible()) {
    TRect bar = Site()->GetHScrollBarBounds();
    height += bar.bottom - bar.top;
  }
  return height;
}

TcxBorders TcxGridTableViewInfo::GetCellBorders(bool AIsRightmost) {
  switch (GetGridLines()) {
    case glBoth:
      return TcxBorders{bRight, bBottom};
    case glNone:
      return TcxBorders{};
    case glVertical:
      return TcxBorders{bRight};
    case glHorizontal:
      return AIsRightmost ? TcxBorders{bRight, bBottom} : TcxBorders{bBottom};
  }
  return TcxBorders{};
}

void TcxGridTableViewInfo::GetPartBounds(TcxCustomGridPartViewInfo* APart, TRect& R) {
  R = IsCalculating() ? ClientBounds() : GetDefaultClientBounds();
  if (APart->IsScrollable()) {
    R.left -= GetLeftPos();
  } else if (APart->IsAutoWidth()) {
    R.left = Bounds().left;
    R.right = Bounds().right;
  }
  if (!APart->IsAutoWidth()) R.right = R.left + APart->CalculateWidth();
  for (Integer i = GetPartCount() - 1; i >= 0; --i) {
    TcxCustomGridPartViewInfo* part = GetPart(i);
    if (part->GetAlignment() == 0)
      R.top -= part->GetHeight();
    else if (part->GetAlignment() == 1)
      R.bottom += part->GetHeight();
    if (part == APart) break;
  }
  if (APart->GetAlignment() == 0)
    R.bottom = R.top + APart->GetHeight();
  else if (APart->GetAlignment() == 1)
    R.top = R.bottom - APart->GetHeight();
}

TRect TcxGridTableViewInfo::GetDefaultClientBounds() {
  TRect r = Bounds();
  r.left += IndicatorWidth();
  r.top += GetTopPartsHeight();
  r.bottom -= GetBottomPartsHeight();
  return r;
}

void TcxGridTableViewInfo::BeforeCalculate() {
  inherited::BeforeCalculate();
  if (!IsInternalUse() && !IsCalculatingSize() && GetRowsViewInfo())
    FPrevDataRowHeight = GetRowsViewInfo()->DataRowHeight();
}

void TcxGridTableViewInfo::AfterCalculate() {
  // The grid-mode buffer check on a changed data row height belongs to the table
  // controller, which does not keep a buffer yet.
  inherited::AfterCalculate();
}

void TcxGridTableViewInfo::DoCalculate() {
  RecreateViewInfos();
  for (TcxCustomGridPartViewInfo* part : {FGroupByBox.get(), FHeader.get(), FFilter.get(), FFooter.get()})
    if (part) part->CalculatePart();
  SetClientBounds(GetDefaultClientBounds());
  if (FIndicator) {
    Integer headerHeight = FHeader ? FHeader->GetHeight() : 0;
    FIndicator->Calculate(Bounds().left, ClientBounds().top - headerHeight);
  }
  inherited::DoCalculate();
}

TClass TcxGridTableViewInfo::GetIndicatorViewInfoClass() { return TcxGridIndicatorViewInfo::StaticClass(); }
TClass TcxGridTableViewInfo::GetHeaderViewInfoClass() { return TcxGridHeaderViewInfo::StaticClass(); }
TClass TcxGridTableViewInfo::GetHeaderViewInfoSpecificClass() { return TcxGridHeaderViewInfoSpecific::StaticClass(); }

TClass TcxGridTableViewInfo::GetRecordsViewInfoClass() { return TcxGridRowsViewInfo::StaticClass(); }

void TcxGridTableViewInfo::GetHorizontalScrollableArea(TRect& R) {
  R = ClientBounds();
  if (FHeader) R.top -= FHeader->GetHeight();
  if (FFooter) R.bottom += FFooter->GetHeight();
}

void TcxGridTableViewInfo::GetVerticalScrollableArea(TRect& R) {
  R = ClientBounds();
  R.left -= IndicatorWidth();
  if (GetRowsViewInfo()) R.top = GetRowsViewInfo()->DataArea().top;
}

void TcxGridTableViewInfo::OffsetRecords(Integer DX, Integer DY) {
  for (TcxCustomGridPartViewInfo* part : FParts)
    if (part->IsScrollable()) part->Offset(DX, 0);
  inherited::OffsetRecords(DX, DY);
}

void TcxGridTableViewInfo::GetVertScrollRects(Integer ADelta, TRect& AExposedRect, TRect& AScrollRect) {
  TRect area;
  GetVerticalScrollableArea(area);
  TcxGridRowsViewInfo* rows = GetRowsViewInfo();
  AScrollRect = area;
  AExposedRect = area;
  if (ADelta < 0) {
    AScrollRect.top -= ADelta;
    if (rows->VisibleCount() > 1) AScrollRect.bottom = rows->Row(rows->VisibleCount() - 2)->Bounds.bottom;
    AExposedRect.top = AScrollRect.bottom + ADelta;
  } else {
    AScrollRect.bottom -= ADelta;
    if (rows->Count() > 1 && rows->Row(1)) AScrollRect.top = rows->Row(1)->Bounds.top;
    AExposedRect.bottom = AScrollRect.top + ADelta;
  }
}

void TcxGridTableViewInfo::GetHorzScrollRects(Integer ADelta, TRect& AExposedRect, TRect& AScrollRect) {
  TRect area;
  GetHorizontalScrollableArea(area);
  AScrollRect = area;
  AExposedRect = area;
  if (ADelta < 0) {
    AScrollRect.left -= ADelta;
    AExposedRect.left = AScrollRect.right + ADelta;
  } else {
    AScrollRect.right -= ADelta;
    AExposedRect.right = AScrollRect.left + ADelta;
  }
}

Integer TcxGridTableViewInfo::GetVisibleRecordCountEstimate() {
  Integer step = GetRowsViewInfo()->DataRowHeight() + TableView()->OptionsView()->RowSeparatorWidth();
  if (step <= 0) return 0;
  return (Bounds().bottom - Bounds().top - GetNonDataHeight(false)) / step;
}

Integer TcxGridTableViewInfo::GetGridModeBufferCountEstimate() {
  Integer height = GetRowsViewInfo()->DataRowHeight();
  if (height == 0) return 0;
  return GetSystemMetrics(SM_CYSCREEN) / height + 2;
}

Integer TcxGridTableViewInfo::GetHeightForRowCount(Integer AAvailableHeight, Integer AExtraRows) {
  Integer rowHeight = std::max<Integer>(GetRowsViewInfo()->DataRowHeight(), 1);
  Integer nonData = GetNonDataHeight(true);
  Integer n = std::max<Integer>((AAvailableHeight - nonData) / rowHeight, 1);
  if (AExtraRows + ViewData()->RecordCount() < n) n = ViewData()->RecordCount() + AExtraRows;
  return nonData + n * rowHeight;
}

Integer TcxGridTableViewInfo::GetHeightOfRows(Integer ACount) {
  return GetNonDataHeight(true) + ACount * GetRowsViewInfo()->DataRowHeight();
}

void TcxGridTableViewInfo::CalculateHeight(Integer AMaxSize, Integer& AHeight, bool& AFullyVisible) {
  Calculate(TRect{cxGridParkedSiteLeft, 0, cxGridParkedSiteLeft + Bounds().right - Bounds().left, AMaxSize});
  TcxGridRowsViewInfo* rows = GetRowsViewInfo();
  if (rows->VisibleCount() > 0) {
    AHeight = rows->Row(rows->VisibleCount() - 1)->Bounds.bottom + GetBottomPartsHeight();
    AFullyVisible = ViewData()->RecordCount() - GetTopRecordIndex() == rows->VisibleCount();
  } else {
    AHeight = GetNonDataHeight(false) + rows->DataRowHeight();
    AFullyVisible = true;
  }
  inherited::CalculateHeight(AMaxSize, AHeight, AFullyVisible);
}

void TcxGridTableViewInfo::CalculateWidth(Integer AMaxSize, Integer& AWidth) {
  if (TableView()->OptionsView()->ColumnAutoWidth())
    AWidth = Site()->ClientWidth();
  else
    AWidth = IndicatorWidth() + GetDataWidth();
  inherited::CalculateWidth(AMaxSize, AWidth);
}

TcxCustomGridHitTest* TcxGridTableViewInfo::GetHitTest(const TPoint& P) {
  if (PtInRect(Site()->ClientRect(), P)) {
    if (FIndicator)
      if (TcxCustomGridHitTest* result = FIndicator->GetHitTest(P)) return result;
    for (TcxCustomGridPartViewInfo* part : FParts)
      if (part->GetVisible())
        if (TcxCustomGridHitTest* result = part->GetHitTest(P)) return result;
  }
  return inherited::GetHitTest(P);
}

// =======================================================================================
// The rows area.

TcxGridTableViewInfo* TcxGridRowsViewInfo::TableViewInfo() const {
  return static_cast<TcxGridTableViewInfo*>(GridViewInfo());
}
TcxGridTableView* TcxGridRowsViewInfo::TableView() const { return TableViewInfo()->TableView(); }

TcxCustomGridRowViewInfo* TcxGridRowsViewInfo::Row(Integer AIndex) const {
  return AIndex >= 0 && AIndex < Count() ? static_cast<TcxCustomGridRowViewInfo*>(Items(AIndex)) : nullptr;
}

void TcxGridRowsViewInfo::CalculateRowHeights() {
  FContentRowHeight = CalculateDataRowHeight();
  FDataRowHeight = GetDataRowHeight();
  FGroupRowHeight = CalculateGroupRowHeight();
}

void TcxGridRowsViewInfo::GetDataAreaBounds(TRect& R) { R = FBounds; }

Integer TcxGridRowsViewInfo::CalculateGroupRowHeight() {
  if (Integer height = TableView()->OptionsView()->GroupRowHeight()) return height;
  TcxViewParams params;
  TableView()->Styles()->GetGroupParams(nullptr, 0, params);
  return GetRowHeightForFont(params);
}

Integer TcxGridRowsViewInfo::CalculateDataRowHeight() {
  if (Integer height = TableView()->OptionsView()->DataRowHeight()) return height;
  TcxGridTableViewInfo* viewInfo = TableViewInfo();
  Integer count = viewInfo->columnCount();
  Integer height = 0;
  if (count > 0) {
    for (Integer i = 0; i < count; ++i) {
      TcxCustomGridTableItem* item = TableView()->VisibleItems(i);
      TcxViewParams params;
      item->Styles()->GetContentParams(nullptr, params);
      height = std::max(height, item->GetDefaultCellHeight(viewInfo->Canvas(), params.Font));
    }
  } else {
    TcxViewParams params;
    TableView()->Styles()->GetRecordContentParams(nullptr, nullptr, params);
    if (params.Font) viewInfo->Canvas()->SetFont(params.Font);
    height = viewInfo->Canvas()->TextHeight("Qq") + 4;
  }
  return AdjustRowHeight(height);
}

Integer TcxGridRowsViewInfo::GetDataRowStep() { return GetSeparatorWidth() + FDataRowHeight; }

TBitmap* TcxGridRowsViewInfo::GetBackgroundBitmap() { return TableView()->BackgroundBitmaps()->GetBitmap(bbGroup); }

Integer TcxGridRowsViewInfo::GetDataWidth() { return TableViewInfo()->GetDataWidth(); }
Integer TcxGridRowsViewInfo::GetSeparatorWidth() { return TableView()->OptionsView()->RowSeparatorWidth(); }
bool TcxGridRowsViewInfo::HasNewItemRow() { return TableView()->OptionsView()->NewItemRow(); }
bool TcxGridRowsViewInfo::CanDataRowSize() { return TableView()->OptionsCustomize()->DataRowSizing(); }
TcxGridLines TcxGridRowsViewInfo::GetGridLines() { return TableView()->OptionsView()->GridLines(); }
bool TcxGridRowsViewInfo::IsDataRowHeightAssigned() { return TableView()->OptionsView()->DataRowHeight() != 0; }
TClass TcxGridRowsViewInfo::GetCellsAreaViewInfoClass() { return TcxGridDataRowCellsAreaViewInfo::StaticClass(); }
TClass TcxGridRowsViewInfo::GetPainterClass() { return TcxCustomGridRecordsPainter::StaticClass(); }

bool TcxGridRowsViewInfo::HasLastHorzGridLine(TcxCustomGridRowViewInfo* ARow) {
  if (GetGridLines() != glVertical) return false;
  return ARow ? ARow->SeparatorWidth() == 0 : GetSeparatorWidth() == 0;
}

Integer TcxGridRowsViewInfo::GetRowHeightForFont(const TcxViewParams& AParams) {
  TcxCanvas* canvas = TableViewInfo()->Canvas();
  if (AParams.Font) canvas->SetFont(AParams.Font);
  Integer height = std::max(canvas->TextHeight("Qq"), TableViewInfo()->LookAndFeelPainter()->GetExpandBoxSize());
  return AdjustRowHeight(height + 4);
}

Integer TcxGridRowsViewInfo::GetRestHeight(Integer ATop) {
  return FCalculatingRows ? FRestHeight : GetAvailableHeight(ATop);
}

Integer TcxGridRowsViewInfo::AdjustRowHeight(Integer AHeight) {
  TcxGridLines lines = GetGridLines();
  return lines == glBoth || lines == glHorizontal ? AHeight + TableViewInfo()->GetGridLineWidth() : AHeight;
}

Integer TcxGridRowsViewInfo::GetPixelHeightOfRows(Integer ACount) {
  Integer height = 0;
  for (Integer i = 0; i < std::abs(ACount) && i < Count(); ++i)
    if (TcxCustomGridRecordViewInfo* row = Items(i)) height += row->GetHeight();
  return ACount > 0 ? -height : height;
}

TRect TcxGridRowsViewInfo::GetBounds() {
  TRect r = TableViewInfo()->ClientBounds();
  if (HasScrollableHeader()) {
    r.left -= TableViewInfo()->GetLeftPos();
    r.right = r.left + GetDataWidth();
  }
  return r;
}

bool TcxGridRowsViewInfo::GetAutoRecordHeight() {
  return TableView()->OptionsView()->CellAutoHeight() && !IsDataRowHeightAssigned();
}

Integer TcxGridRowsViewInfo::GetRecordTop(Integer APosition) {
  if (APosition == 0) return FDataArea.top;
  TcxCustomGridRecordViewInfo* previous = GetItem(APosition - 1);
  return previous ? previous->Bounds.bottom : FDataArea.top;
}

void TcxGridRowsViewInfo::OffsetRecord(Integer APosition, Integer APixels) {
  if (TcxCustomGridRecordViewInfo* row = Items(APosition)) row->MoveBy(0, APixels);
}

void TcxGridRowsViewInfo::CalculateVisibleCount() {
  FVisibleCount = 0;
  FLaidOutCount = 0;
  if (TopRecordIndex() == -1) return;
  Integer top = FDataArea.top;
  Integer n = GetAvailableRecordCount();
  FCalculatingRows = true;
  for (Integer i = 0; i < n; ++i) {
    ++FLaidOutCount;
    FRestHeight = GetAvailableHeight(top);
    TcxCustomGridRowViewInfo* row = static_cast<TcxCustomGridRowViewInfo*>(GetItem(i));
    // A record without a layout of its own (a kind of row not laid out) ends the rows.
    if (!row) {
      --FLaidOutCount;
      break;
    }
    top += row->GetHeightInLayout();
    if (top > FDataArea.bottom) break;
    ++FVisibleCount;
    if (top == FDataArea.bottom) break;
  }
  FCalculatingRows = false;
  if (FVisibleCount == 0 && FLaidOutCount > 0) FVisibleCount = 1;
  truncateItems(FLaidOutCount);
}

void TcxGridRowsViewInfo::CalculateBounds() {
  CalculateRowHeights();
  inherited::CalculateBounds();
  GetDataAreaBounds(FDataArea);
  CalculateVisibleCount();
  if (IsDirectionNormal() && TopRecordIndex() != -1)
    for (Integer i = 0; i < FLaidOutCount; ++i) calculateItemAt(i);
}

void TcxGridRowsViewInfo::Offset(Integer DX, Integer DY) {
  inherited::Offset(DX, DY);
  OffsetRect(FDataArea, DX, 0);
  for (Integer i = 0; i < Count(); ++i)
    if (TcxCustomGridRecordViewInfo* row = Items(i)) row->MoveBy(DX, 0);
}

// =======================================================================================
// The tabular view's painter.

TcxGridTableViewInfo* TcxGridTablePainter::TableViewInfo() const {
  return static_cast<TcxGridTableViewInfo*>(ViewInfo());
}

void TcxGridTablePainter::DrawFilterBox() {
  if (TcxCustomGridPartViewInfo* part = TableViewInfo()->FilterViewInfo()) part->Paint(Canvas());
}
void TcxGridTablePainter::DrawFooter() {
  if (TcxCustomGridPartViewInfo* part = TableViewInfo()->FooterViewInfo()) part->Paint(Canvas());
}
void TcxGridTablePainter::DrawGroupByBox() {
  if (TcxCustomGridPartViewInfo* part = TableViewInfo()->GroupByBoxViewInfo()) part->Paint(Canvas());
}
void TcxGridTablePainter::DrawHeader() {
  if (TcxCustomGridPartViewInfo* part = TableViewInfo()->HeaderViewInfo()) part->Paint(Canvas());
}
void TcxGridTablePainter::DrawIndicator() {
  if (TcxCustomGridViewCellViewInfo* indicator = TableViewInfo()->IndicatorViewInfo()) indicator->Paint(Canvas());
}

void TcxGridTablePainter::PaintContent() {
  DrawGroupByBox();
  DrawFilterBox();
  DrawIndicator();
  DrawHeader();
  DrawFooter();
  inherited::PaintContent();
}

bool TcxGridTablePainter::AddGridLine(const TRect& R) {
  if (!FCollectingGridLines) return false;
  FGridLines.push_back(R);
  return true;
}

void TcxGridTablePainter::DrawRecords() {
  FGridLines.clear();
  FCollectingGridLines = true;
  ScopeExit stopCollecting([this] {
    FCollectingGridLines = false;
    FGridLines.clear();
  });
  inherited::DrawRecords();
  drawGridLines();
}

void TcxGridTablePainter::drawGridLines() {
  if (FGridLines.empty()) return;
  // One polyline of two points per line: a one-pixel-high rectangle is a horizontal line
  // along its top, any other a vertical line down its left edge.
  std::vector<POINT> points;
  std::vector<DWORD> counts(FGridLines.size(), 2);
  points.reserve(FGridLines.size() * 2);
  for (const TRect& r : FGridLines) {
    if (r.bottom - r.top == 1) {
      points.push_back(POINT{r.left, r.top});
      points.push_back(POINT{r.right, r.top});
    } else {
      points.push_back(POINT{r.left, r.top});
      points.push_back(POINT{r.left, r.bottom});
    }
  }
  HDC dc = Canvas()->Handle();
  HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(TableViewInfo()->GetGridLineColor()));
  HGDIOBJ previous = SelectObject(dc, pen);
  ScopeExit restorePen([&] {
    SelectObject(dc, previous);
    DeleteObject(pen);
  });
  PolyPolyline(dc, points.data(), counts.data(), static_cast<DWORD>(counts.size()));
}

bool TcxGridTablePainter::CanScrollRecordsRegion() {
  if (!inherited::CanScrollRecordsRegion()) return false;
  TcxGridTableBackgroundBitmaps* bitmaps = static_cast<TcxGridTableView*>(GridView())->BackgroundBitmaps();
  return !bitmaps->GetBitmap(bbGroup) && !bitmaps->GetBitmap(bbFooter);
}

void TcxGridTablePainter::ScrollRecordsRegionBy(Integer ADistance) {
  TcxGridRowsViewInfo* rows = TableViewInfo()->GetRowsViewInfo();
  Integer dy = rows ? rows->ScrollPixels() : 0;
  if (dy == 0) {
    GridView()->ViewChanged();
    return;
  }
  ScrollRecordsRegionByPixels(0, dy);
}

void TcxGridTablePainter::ScrollRecordsRegionByPixels(Integer DX, Integer DY) {
  TRect exposed;
  TRect scrolled;
  TRect area;
  if (DY != 0) {
    TableViewInfo()->GetVertScrollRects(DY, exposed, scrolled);
    TableViewInfo()->GetVerticalScrollableArea(area);
  } else {
    TableViewInfo()->GetHorzScrollRects(DX, exposed, scrolled);
    TableViewInfo()->GetHorizontalScrollableArea(area);
  }
  // The whole scrollable area moves: moving only the scrolled rectangle, clipped to
  // itself, would drop the pixels that leave it and leave the strip they should cover
  // showing the old rows. What the move uncovers is invalidated with the exposed strip.
  HWND handle = Site()->Handle();
  RECT clip = area;
  ScrollWindowEx(handle, DX, DY, &clip, &clip, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
  RECT invalid = exposed;
  ::InvalidateRect(handle, &invalid, FALSE);
  if (DX != 0) Site()->Update();
}

// ---------------------------------------------------------------------------------------
// Summary items.

TClass TcxGridTableView::GetSummaryGroupItemLinkClass() { return TcxGridTableSummaryGroupItemLink::StaticClass(); }
TClass TcxGridTableView::GetSummaryItemClass() { return TcxGridTableSummaryItem::StaticClass(); }

namespace {

// The view whose data controller keeps the summary item.
TcxCustomGridTableView* summaryItemView(TcxCustomDataSummaryItem* AItem) {
  TcxCustomDataController* dc = AItem->DataController();
  return dc ? dynamic_cast<TcxCustomGridTableView*>(dc->Owner()) : nullptr;
}

// A summary's stored "Column": the linked column's name, empty when none.
std::string storedColumnName(TObject* AItemLink) {
  auto* column = dynamic_cast<TcxCustomGridTableItem*>(AItemLink);
  return column ? column->Name() : std::string();
}

}  // namespace

TcxCustomGridTableView* TcxGridTableSummaryItem::GridView() { return summaryItemView(this); }

Variant TcxGridTableSummaryItem::StoredColumnValue(TcxCustomDataSummaryItem* AItem) {
  return storedColumnName(AItem->ItemLink());
}

void TcxGridTableSummaryItem::SetStoredColumnValue(TcxCustomDataSummaryItem* AItem, const Variant& AValue) {
  TcxCustomGridTableView* view = summaryItemView(AItem);
  std::string name = VarToStr(AValue);
  AItem->SetItemLink(view && !name.empty() ? view->FindItemByName(name) : nullptr);
}

bool TcxGridTableSummaryItem::GetPropertyValue(const std::string& AName, Variant& AValue) {
  if (AName != "Column") return false;
  AValue = StoredColumnValue(this);
  return true;
}

bool TcxGridTableSummaryItem::SetPropertyValue(const std::string& AName, const Variant& AValue) {
  if (AName != "Column") return false;
  SetStoredColumnValue(this, AValue);
  return true;
}

TcxCustomGridTableView* TcxGridTableSummaryGroupItemLink::GridView() { return summaryItemView(this); }

bool TcxGridTableSummaryGroupItemLink::GetPropertyValue(const std::string& AName, Variant& AValue) {
  if (AName != "Column") return false;
  AValue = storedColumnName(ItemLink());
  return true;
}

bool TcxGridTableSummaryGroupItemLink::SetPropertyValue(const std::string& AName, const Variant& AValue) {
  if (AName != "Column") return false;
  SetColumn(nullptr);
  TcxCustomGridTableView* view = GridView();
  if (!view) return true;
  for (Integer i = 0; i < view->ItemCount(); ++i) {
    TcxCustomGridTableItem* item = view->Items(i);
    if (Variant(item->Name()) != AValue) continue;
    // Only a column of this kind of view can head a summary group.
    if (item->InheritsFrom(view->GetItemClass())) SetColumn(item);
    break;
  }
  return true;
}

// ---------------------------------------------------------------------------------------
// Columns.

void TcxGridColumnOptions::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxGridColumnOptions*>(Source)) SetHorzSizing(source->HorzSizing());
  inherited::Assign(Source);
}

void TcxGridColumnOptions::SetHorzSizing(bool Value) {
  if (FHorzSizing == Value) return;
  FHorzSizing = Value;
  Changed();
}

void TcxGridColumnStyles::Assign(TPersistent* Source) {
  inherited::Assign(Source);
  if (auto* source = dynamic_cast<TcxGridColumnStyles*>(Source)) {
    SetFooter(source->Footer());
    SetHeader(source->Header());
    OnGetFooterStyle = source->OnGetFooterStyle;
    OnGetHeaderStyle = source->OnGetHeaderStyle;
  }
}

TcxGridColumn* TcxGridColumnStyles::Column() const { return static_cast<TcxGridColumn*>(Item()); }

void TcxGridColumnStyles::GetDefaultVisualParams(Integer AIndex, TObject* AData, TcxViewParams& AParams) {
  TcxGridTableView* view = Column()->GridView();
  if (view && AIndex == isFooter) {
    view->Styles()->GetFooterParams(dynamic_cast<TcxCustomGridRecord*>(AData), Column(), AParams);
    return;
  }
  if (view && AIndex == isHeader) {
    view->Styles()->GetHeaderParams(Column(), AParams);
    return;
  }
  inherited::GetDefaultVisualParams(AIndex, AData, AParams);
}

void TcxGridColumnStyles::GetFooterParams(TcxCustomGridRecord* ARecord, TcxViewParams& AParams) {
  TcxStyle* style = nullptr;
  if (OnGetFooterStyle) OnGetFooterStyle(Column()->GridView(), ARecord, Column(), style);
  GetVisualParams(isFooter, ARecord, style, AParams);
}

void TcxGridColumnStyles::GetHeaderParams(TcxViewParams& AParams) {
  TcxStyle* style = nullptr;
  if (OnGetHeaderStyle) OnGetHeaderStyle(Column()->GridView(), Column(), style);
  GetVisualParams(isHeader, nullptr, style, AParams);
}

TcxGridColumn::TcxGridColumn(TComponent* AOwner)
    : TcxCustomGridTableItem(AOwner), FHeaderGlyph(new TBitmap) {
  FHeaderGlyph->SetOnChange(TNotifyEvent(this, &TcxGridColumn::glyphChanged));
}

void TcxGridColumn::BeforeDestruction() {
  // The preview must not keep a column that is going away.
  if (IsPreview()) GridView()->Preview()->SetColumn(nullptr);
  inherited::BeforeDestruction();
}

TcxGridColumn::~TcxGridColumn() = default;

void TcxGridColumn::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxGridColumn*>(Source)) {
    FIsFooterAlignmentHorzAssigned = false;
    if (source->FIsFooterAlignmentHorzAssigned) SetFooterAlignmentHorz(source->FFooterAlignmentHorz);
    SetHeaderGlyph(source->HeaderGlyph());
    SetHeaderGlyphAlignmentHorz(source->HeaderGlyphAlignmentHorz());
    SetHeaderGlyphAlignmentVert(source->HeaderGlyphAlignmentVert());
    SetHidden(source->FHidden);
    OnCustomDrawFooterCell = source->OnCustomDrawFooterCell;
    OnCustomDrawHeader = source->OnCustomDrawHeader;
    OnHeaderClick = source->OnHeaderClick;
    OnUserFiltering = source->OnUserFiltering;
  }
  inherited::Assign(Source);
}

TcxGridTableView* TcxGridColumn::GridView() const { return asTableView(inherited::GridView()); }
TcxGridColumnOptions* TcxGridColumn::Options() const {
  return static_cast<TcxGridColumnOptions*>(inherited::Options());
}
TcxGridColumnStyles* TcxGridColumn::Styles() const { return static_cast<TcxGridColumnStyles*>(inherited::Styles()); }

TAlignment TcxGridColumn::defaultFooterAlignment() {
  TcxGridItemDataBinding* binding = DataBinding();
  TcxCustomEditDefaultValuesProvider* provider = binding ? binding->DefaultValuesProvider() : nullptr;
  return provider ? provider->DefaultAlignment() : taLeftJustify;
}

TAlignment TcxGridColumn::FooterAlignmentHorz() {
  return FIsFooterAlignmentHorzAssigned ? FFooterAlignmentHorz : defaultFooterAlignment();
}

void TcxGridColumn::SetFooterAlignmentHorz(TAlignment Value) {
  if (Value != FooterAlignmentHorz() || ComponentState().Contains(csLoading)) {
    FFooterAlignmentHorz = Value;
    FIsFooterAlignmentHorzAssigned = true;
  }
  Changed(false);
}

bool TcxGridColumn::IsFooterAlignmentHorzStored() {
  return FIsFooterAlignmentHorzAssigned && FFooterAlignmentHorz != defaultFooterAlignment();
}

void TcxGridColumn::SetHeaderGlyphAlignmentHorz(TAlignment Value) {
  if (FHeaderGlyphAlignmentHorz == Value) return;
  FHeaderGlyphAlignmentHorz = Value;
  Changed(false);
}

void TcxGridColumn::SetHeaderGlyphAlignmentVert(TcxAlignmentVert Value) {
  if (FHeaderGlyphAlignmentVert == Value) return;
  FHeaderGlyphAlignmentVert = Value;
  Changed(false);
}

void TcxGridColumn::SetHidden(bool Value) {
  if (Value == Hidden()) return;
  FHidden = Value;
  HiddenChanged();
}

bool TcxGridColumn::IsPreview() const {
  TcxGridTableView* view = GridView();
  return view && view->Preview() && view->Preview()->Column() == this;
}

bool TcxGridColumn::Visible() const { return inherited::Visible() && !IsPreview(); }

bool TcxGridColumn::CanFilter() { return inherited::CanFilter(); }

bool TcxGridColumn::CanFilter(bool AVisually) {
  if (!CanFilter()) return false;
  return !AVisually || (GridView() && GridView()->OptionsCustomize()->ColumnFiltering());
}

bool TcxGridColumn::CanHorzSize() {
  return GridView() && GridView()->OptionsCustomize()->ColumnHorzSizing() && Options()->HorzSizing();
}

bool TcxGridColumn::GetFilterable() { return inherited::GetFilterable() && !Hidden(); }

bool TcxGridColumn::fixedByForcedColumn() {
  TcxGridTableView* view = GridView();
  TcxCustomGridTableItem* forced = view && view->Controller() ? view->Controller()->ForcingWidthItem() : nullptr;
  if (!forced || forced == this || !forced->Visible() || !Visible()) return false;
  if (forced->VisibleIndex() == view->VisibleItemCount() - 1) return false;
  return VisibleIndex() < forced->VisibleIndex();
}

bool TcxGridColumn::IsWidthFixed() { return IsForcingWidth() || !Options()->HorzSizing() || fixedByForcedColumn(); }

bool TcxGridColumn::IsMostLeft() {
  TcxGridTableView* view = GridView();
  return view && view->VisibleItemCount() > 0 && view->VisibleItems(0) == this;
}

bool TcxGridColumn::IsMostRight() {
  TcxGridTableView* view = GridView();
  return view && view->VisibleItemCount() > 0 && view->VisibleItems(view->VisibleItemCount() - 1) == this;
}

void TcxGridColumn::HiddenChanged() {
  if (GridView()) GridView()->RefreshFilterableItemsList();
}

bool TcxGridColumn::HideOnGrouping() {
  return GridView() && GridView()->OptionsCustomize()->ColumnHidingOnGrouping();
}

void TcxGridColumn::DoCustomDrawFooterCell(TcxCanvas* ACanvas, TcxCustomGridCellViewInfo* AViewInfo, bool& ADone) {
  if (OnCustomDrawFooterCell) OnCustomDrawFooterCell(GridView(), ACanvas, AViewInfo, ADone);
}

void TcxGridColumn::DoCustomDrawHeader(TcxCanvas* ACanvas, TcxCustomGridCellViewInfo* AViewInfo, bool& ADone) {
  if (OnCustomDrawHeader) OnCustomDrawHeader(GridView(), ACanvas, AViewInfo, ADone);
}

void TcxGridColumn::DoHeaderClick() {
  if (OnHeaderClick) OnHeaderClick(this);
  if (GridView()) GridView()->DoColumnHeaderClick(this);
}

void TcxGridColumn::DoUserFiltering(const Variant& AValue, const std::string& ADisplayText) {
  if (OnUserFiltering) OnUserFiltering(this, AValue, ADisplayText);
}

std::vector<std::string> TcxGridColumn::GetStoredProperties() {
  std::vector<std::string> names = inherited::GetStoredProperties();
  names.push_back("GroupIndex");
  names.push_back("Width");
  return names;
}

bool TcxGridColumn::GetStoredPropertyValue(const std::string& AName, Variant& AValue) {
  if (AName == "GroupIndex")
    AValue = GroupIndex();
  else if (AName == "Width")
    AValue = Width();
  else
    return inherited::GetStoredPropertyValue(AName, AValue);
  return true;
}

bool TcxGridColumn::SetStoredPropertyValue(const std::string& AName, const Variant& AValue) {
  if (AName == "GroupIndex")
    SetGroupIndex(AValue.AsInteger());
  else if (AName == "Width")
    SetWidth(AValue.AsInteger());
  else
    return inherited::SetStoredPropertyValue(AName, AValue);
  return true;
}

// =======================================================================================
// Column header cells and their areas.

TcxGridColumnHeaderAreaViewInfo::TcxGridColumnHeaderAreaViewInfo(TcxGridColumnHeaderViewInfo* AHeaderViewInfo)
    : TcxCustomGridViewCellViewInfo(AHeaderViewInfo->GridViewInfo()), FHeaderViewInfo(AHeaderViewInfo) {}

TcxGridColumn* TcxGridColumnHeaderAreaViewInfo::Column() const { return FHeaderViewInfo->Column(); }

void TcxGridColumnHeaderAreaViewInfo::CalculateArea(const TRect& ABounds, TRect& ATextArea) {
  TRect r = OccupiesSpace() ? ATextArea : ABounds;
  Integer width = CalculateWidth();
  if (width != 0) {
    switch (GetAlignmentHorz()) {
      case taLeftJustify:
        r.right = r.left + width;
        if (OccupiesSpace()) ATextArea.left = r.right;
        break;
      case taRightJustify:
        r.left = r.right - width;
        if (OccupiesSpace()) ATextArea.right = r.left;
        break;
      case taCenter:
        r.left = (r.left + r.right - width) / 2;
        r.right = r.left + width;
        break;
    }
  }
  Integer height = CalculateHeight();
  if (height != 0) {
    switch (GetAlignmentVert()) {
      case vaTop:
        r.bottom = r.top + height;
        break;
      case vaBottom:
        r.top = r.bottom - height;
        break;
      case vaCenter:
        r.top = (r.top + r.bottom - height) / 2;
        r.bottom = r.top + height;
        break;
    }
  }
  CalculateBounds(r);
}

bool TcxGridColumnHeaderAreaViewInfo::IsHitTestOfCell(TcxCustomGridHitTest* AHitTest) {
  if (!inherited::IsHitTestOfCell(AHitTest)) return false;
  auto* hitTest = dynamic_cast<TcxCustomGridColumnHitTest*>(AHitTest);
  return hitTest && hitTest->Column == Column() &&
         hitTest->ColumnContainerKind == FHeaderViewInfo->Container()->GetContainerKind();
}

void TcxGridColumnHeaderAreaViewInfo::InitHitTest(TcxCustomGridHitTest* AHitTest) {
  FHeaderViewInfo->InitHitTest(AHitTest);
  inherited::InitHitTest(AHitTest);
}

Integer TcxGridColumnHeaderSortingMarkViewInfo::CalculateHeight() {
  return LookAndFeelPainter()->GetSortingMarkAreaSize().cy;
}
Integer TcxGridColumnHeaderSortingMarkViewInfo::CalculateWidth() {
  return LookAndFeelPainter()->GetSortingMarkAreaSize().cx;
}
TClass TcxGridColumnHeaderSortingMarkViewInfo::GetPainterClass() {
  return TcxGridColumnHeaderSortingMarkPainter::StaticClass();
}

void TcxGridColumnHeaderHorzSizingEdgeViewInfo::CalculateArea(const TRect& ABounds, TRect& ATextArea) {
  inherited::CalculateArea(ABounds, ATextArea);
  // Half over the next header, so that the edge is easy to catch.
  MoveBy(CalculateWidth() / 2, 0);
}

Integer TcxGridColumnHeaderFilterButtonViewInfo::CalculateHeight() {
  return LookAndFeelPainter()->GetColumnFilterButtonSize().cy;
}
Integer TcxGridColumnHeaderFilterButtonViewInfo::CalculateWidth() {
  return LookAndFeelPainter()->GetColumnFilterButtonSize().cx;
}
TClass TcxGridColumnHeaderFilterButtonViewInfo::GetPainterClass() {
  return TcxGridColumnHeaderFilterButtonPainter::StaticClass();
}

Integer TcxGridColumnHeaderGlyphViewInfo::CalculateHeight() { return Column()->HeaderGlyph()->Height(); }
Integer TcxGridColumnHeaderGlyphViewInfo::CalculateWidth() { return Column()->HeaderGlyph()->Width(); }
TAlignment TcxGridColumnHeaderGlyphViewInfo::GetAlignmentHorz() { return Column()->HeaderGlyphAlignmentHorz(); }
TcxAlignmentVert TcxGridColumnHeaderGlyphViewInfo::GetAlignmentVert() { return Column()->HeaderGlyphAlignmentVert(); }
TClass TcxGridColumnHeaderGlyphViewInfo::GetPainterClass() { return TcxGridColumnHeaderGlyphPainter::StaticClass(); }

// --- The header cell.

TcxGridColumnHeaderViewInfo::TcxGridColumnHeaderViewInfo(const TArgs* AArgs)
    : TcxCustomGridViewCellViewInfo(AArgs->Container->GridViewInfo()),
      FColumn(AArgs->Column),
      FContainer(AArgs->Container) {}

// The areas are made once the cell is complete, so that a descendant's answers to which
// areas it has are the ones asked.
void TcxGridColumnHeaderViewInfo::AfterConstruction() {
  inherited::AfterConstruction();
  EnumAreaClasses([this](TClass AClass) {
    FAreas.emplace_back(As<TcxGridColumnHeaderAreaViewInfo>(AClass->CreateInstance(this)));
  });
  FWidth = -1;
}

TcxGridTableViewInfo* TcxGridColumnHeaderViewInfo::TableViewInfo() const {
  return static_cast<TcxGridTableViewInfo*>(GridViewInfo());
}

void TcxGridColumnHeaderViewInfo::EnumAreaClasses(const std::function<void(TClass)>& AProc) {
  if (HasHorzSizingEdge()) AProc(TcxGridColumnHeaderHorzSizingEdgeViewInfo::StaticClass());
  if (HasFilterButton()) AProc(TcxGridColumnHeaderFilterButtonViewInfo::StaticClass());
  if (HasSortingMark()) AProc(TcxGridColumnHeaderSortingMarkViewInfo::StaticClass());
  if (HasGlyph()) AProc(TcxGridColumnHeaderGlyphViewInfo::StaticClass());
}

bool TcxGridColumnHeaderViewInfo::hasAlignedArea(TAlignment AAlignment) const {
  for (auto& area : FAreas)
    if (area->OccupiesSpace() && area->GetAlignmentHorz() == AAlignment) return true;
  return false;
}

bool TcxGridColumnHeaderViewInfo::HasLeftAlignedArea() { return hasAlignedArea(taLeftJustify); }

bool TcxGridColumnHeaderViewInfo::HasRightAlignedArea() { return hasAlignedArea(taRightJustify); }

void TcxGridColumnHeaderViewInfo::CalculateTextAreaBounds() {
  FTextAreaBounds = GetContentBounds();
  InflateRect(FTextAreaBounds, -2, -2);
  for (auto& area : FAreas) area->CalculateArea(Bounds, FTextAreaBounds);
  if (FHasLeftArea) FTextAreaBounds.left += 2;
  if (FHasRightArea) FTextAreaBounds.right -= 2;
}

void TcxGridColumnHeaderViewInfo::CheckVisibility(Integer ALeft, Integer AWidth) {
  TRect client = TableViewInfo()->ClientBounds();
  Visible = ALeft < client.right && client.left < ALeft + AWidth;
}

bool TcxGridColumnHeaderViewInfo::HasFilterButton() { return FColumn->CanFilter(true); }

bool TcxGridColumnHeaderViewInfo::HasHorzSizingEdge() {
  return FColumn->CanHorzSize() && FContainer->GetContainerKind() == columnContainerHeader;
}

bool TcxGridColumnHeaderViewInfo::HasSortingMark() { return FColumn->SortOrder() != soNone; }

void TcxGridColumnHeaderViewInfo::CheckWidth(Integer& AWidth) {
  AWidth = std::max(std::min(AWidth, GetMaxWidth()), GetMinWidth());
}

Integer TcxGridColumnHeaderViewInfo::GetCellBorderWidth(TcxCustomLookAndFeelPainterClass APainter) {
  return APainter->GetHeaderEdgeWidth();
}

Integer TcxGridColumnHeaderViewInfo::GetDataCellLeft() { return Bounds.right - GetDataWidth(); }

bool TcxGridColumnHeaderViewInfo::IsPressed() {
  auto* controller = dynamic_cast<TcxGridTableController*>(TableViewInfo()->TableView()->Controller());
  return State() == gcsPressed || (controller && controller->PressedColumn() == FColumn);
}

Integer TcxGridColumnHeaderViewInfo::GetMaxWidth() {
  TcxGridTableView* view = TableViewInfo()->TableView();
  if (!view->OptionsView()->ColumnAutoWidth()) return std::numeric_limits<Integer>::max();
  Integer result = TableViewInfo()->ClientWidth();
  Integer count = view->VisibleItemCount();
  Integer index = FColumn->VisibleIndex();
  for (Integer i = 0; i < count; ++i) {
    if (i == index) continue;
    auto* column = static_cast<TcxGridColumn*>(view->VisibleItems(i));
    // The last column leaves its predecessors their minimum widths; any other column
    // keeps the widths left of it and leaves the columns right of it their minima.
    if (i < index && index != count - 1)
      result -= FContainer->GetColumnWidth(column);
    else
      result -= FContainer->GetColumnMinWidth(column);
  }
  return std::max(result, GetMinWidth());
}

Integer TcxGridColumnHeaderViewInfo::GetMinWidth() { return FContainer->GetColumnMinWidth(FColumn); }

bool TcxGridColumnHeaderViewInfo::HasGlyph() { return !FColumn->HeaderGlyph()->Empty(); }

Integer TcxGridColumnHeaderViewInfo::GetBestFitWidth() {
  CalculateParamsIfNeeded();
  Integer result = GetBorderWidthOf(bLeft) + CalculateTextWidth() + 4 + GetBorderWidthOf(bRight) - FLeftOverlap;
  if (FHasLeftArea) result += 2;
  if (FHasRightArea) result += 2;
  for (auto& area : FAreas)
    if (area->OccupiesSpace()) result += area->CalculateWidth();
  return result;
}

bool TcxGridColumnHeaderViewInfo::isFirstVisibleColumn() { return FColumn->VisibleIndex() == 0; }

Integer TcxGridColumnHeaderViewInfo::levelIndents() {
  return isFirstVisibleColumn() ? TableViewInfo()->GetLevelIndentsWidth() : 0;
}

Integer TcxGridColumnHeaderViewInfo::GetDataWidth() {
  if (FDataWidth == 0) FDataWidth = CalculateWidth() - levelIndents();
  return FDataWidth;
}

void TcxGridColumnHeaderViewInfo::Calculate(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  FLeftOverlap = 0;
  if (AWidth == -1) AWidth = CalculateWidth();
  CheckVisibility(ALeft, AWidth);
  CalculateParamsIfNeeded();
  if (AHeight == -1) AHeight = CalculateHeight();
  // A side the look-and-feel leaves to the neighbour is drawn over the neighbour's edge.
  if (!Borders.Contains(bLeft)) {
    Integer border = GetBorderWidth(bLeft);
    ALeft -= border;
    AWidth += border;
    FLeftOverlap += border;
  }
  if (!Borders.Contains(bTop)) {
    Integer border = GetBorderWidth(bTop);
    ATop -= border;
    AHeight += border;
  }
  Borders = cxBordersAll;
  inherited::Calculate(ALeft, ATop, AWidth, AHeight);
  CalculateTextAreaBounds();
}

void TcxGridColumnHeaderViewInfo::CalculateParams() {
  FNeighbors = FContainer->GetItemNeighbors(FColumn);
  FHasLeftArea = HasLeftAlignedArea();
  FHasRightArea = HasRightAlignedArea();
  inherited::CalculateParams();
  CalculateTextAreaBounds();
}

Integer TcxGridColumnHeaderViewInfo::CalculateHeight() { return GetCellHeightFor(GridViewInfo(), 0); }

Integer TcxGridColumnHeaderViewInfo::CalculateWidth() {
  if (FWidth == -1) FWidth = FContainer->GetColumnWidth(FColumn);
  return FWidth;
}

Integer TcxGridColumnHeaderViewInfo::GetCellHeight(Integer ATextHeight, Integer) {
  return ATextHeight + 4 + 2 * GetCellBorderWidth(LookAndFeelPainter());
}

bool TcxGridColumnHeaderViewInfo::CalculateMultiLine() { return FContainer->GetItemMultiLine(); }

bool TcxGridColumnHeaderViewInfo::GetMultiLinePainting() {
  return inherited::GetMultiLinePainting() || FContainer->GetItemMultiLinePainting();
}

bool TcxGridColumnHeaderViewInfo::GetShowEndEllipsis() {
  return TableViewInfo()->TableView()->OptionsView()->HeaderEndEllipsis();
}

bool TcxGridColumnHeaderViewInfo::CustomDraw(TcxCanvas* ACanvas) {
  bool done = inherited::CustomDraw(ACanvas);
  if (!done) FColumn->DoCustomDrawHeader(ACanvas, this, done);
  if (!done) TableViewInfo()->TableView()->DoCustomDrawColumnHeader(ACanvas, this, done);
  return done;
}

bool TcxGridColumnHeaderViewInfo::HasCustomDraw() {
  return FColumn->HasCustomDrawHeader() || TableViewInfo()->TableView()->HasCustomDrawColumnHeader();
}

TAlignment TcxGridColumnHeaderViewInfo::GetAlignmentHorz() { return FColumn->HeaderAlignmentHorz(); }
TcxAlignmentVert TcxGridColumnHeaderViewInfo::GetAlignmentVert() { return FColumn->HeaderAlignmentVert(); }

TBitmap* TcxGridColumnHeaderViewInfo::GetBackgroundBitmap() {
  return TableViewInfo()->TableView()->BackgroundBitmaps()->GetBitmap(bbHeader);
}

TcxGridBorders TcxGridColumnHeaderViewInfo::GetBorders() { return LookAndFeelPainter()->GetHeaderBorders(FNeighbors); }

Integer TcxGridColumnHeaderViewInfo::GetBorderWidth(TcxBorder) { return GetCellBorderWidth(LookAndFeelPainter()); }

std::string TcxGridColumnHeaderViewInfo::GetText() { return FColumn->Caption(); }

void TcxGridColumnHeaderViewInfo::GetViewParams(TcxViewParams& AParams) {
  FColumn->Styles()->GetHeaderParams(AParams);
}

bool TcxGridColumnHeaderViewInfo::IsMouseSensitive() { return LookAndFeelPainter()->IsHeaderHotTrack(); }

void TcxGridColumnHeaderViewInfo::InitHitTest(TcxCustomGridHitTest* AHitTest) {
  FContainer->InitHitTest(AHitTest);
  inherited::InitHitTest(AHitTest);
  if (auto* columnHitTest = dynamic_cast<TcxCustomGridColumnHitTest*>(AHitTest)) columnHitTest->Column = FColumn;
}

void TcxGridColumnHeaderViewInfo::Offset(Integer DX, Integer DY) {
  inherited::Offset(DX, DY);
  OffsetRect(FTextAreaBounds, DX, DY);
  for (auto& area : FAreas) area->MoveBy(DX, DY);
}

void TcxGridColumnHeaderViewInfo::SetWidth(Integer AWidth) {
  inherited::SetWidth(AWidth);
  FWidth = AWidth;
  FDataWidth = 0;
}

void TcxGridColumnHeaderViewInfo::StateChanged() {
  inherited::StateChanged();
  if (State() == gcsPressed)
    SetMouseCapture(true);
  else if (State() == gcsNormal)
    SetMouseCapture(false);
}

TcxCustomGridHitTest* TcxGridColumnHeaderViewInfo::GetHitTest(const TPoint& P) {
  for (auto& area : FAreas)
    if (TcxCustomGridHitTest* result = area->GetHitTest(P)) return result;
  return inherited::GetHitTest(P);
}

bool TcxGridColumnHeaderViewInfo::MouseDown(TcxCustomGridHitTest* AHitTest, TMouseButton AButton, TShiftState AShift) {
  bool result = inherited::MouseDown(AHitTest, AButton, AShift);
  if (AButton == mbLeft && !AShift.Contains(ssDouble) && CanPress()) {
    if (auto* controller = dynamic_cast<TcxGridTableController*>(TableViewInfo()->TableView()->Controller()))
      controller->SetPressedColumn(FColumn);
    FColumn->DoHeaderClick();
    result = true;
  }
  return result;
}

TClass TcxGridColumnHeaderViewInfo::GetPainterClass() { return TcxGridColumnHeaderPainter::StaticClass(); }

// =======================================================================================
// Column containers and the header part.

void TcxGridColumnContainerViewInfo::AfterConstruction() {
  inherited::AfterConstruction();
  FItems.resize(static_cast<size_t>(GetColumnCount()));
}

Integer TcxGridColumnContainerViewInfo::CalculateItemHeight() {
  CalculateParamsIfNeeded();
  Integer textHeight = GridViewInfo()->GetFontHeight(Params.Font);
  return textHeight + 4 + 2 * LookAndFeelPainter()->GetHeaderEdgeWidth();
}

Integer TcxGridColumnContainerViewInfo::levelIndentsFor(TcxGridColumn* AColumn) {
  return AColumn->VisibleIndex() == 0 ? TableViewInfo()->GetLevelIndentsWidth() : 0;
}

Integer TcxGridColumnContainerViewInfo::GetColumnMinWidth(TcxGridColumn* AColumn) {
  return levelIndentsFor(AColumn) + AColumn->MinWidth();
}

Integer TcxGridColumnContainerViewInfo::GetColumnWidth(TcxGridColumn* AColumn) {
  return levelIndentsFor(AColumn) + AColumn->Width();
}

void TcxGridColumnContainerViewInfo::GetZonesAreaBounds(TRect& R) {
  R = Bounds;
  R.right = TableViewInfo()->ClientBounds().right;
}

TcxGridColumnContainerZone* TcxGridColumnContainerViewInfo::GetZone(const TPoint& P) {
  if (!GetVisible()) return nullptr;
  TRect area;
  GetZonesAreaBounds(area);
  if (!PtInRect(area, P)) return nullptr;
  TRect slice = area;
  for (Integer i = 0; i <= GetItemCount(); ++i) {
    if (i > 0) slice.left = slice.right;
    if (i < GetItemCount()) {
      TRect cell = GetItem(i)->Bounds;
      slice.right = (cell.left + cell.right) / 2;
    } else {
      slice.right = area.right;
    }
    if (PtInRect(slice, P)) return new TcxGridColumnContainerZone(i);
  }
  return nullptr;
}

Integer TcxGridColumnContainerViewInfo::GetItemHeight() {
  if (FItemHeight == -1) FItemHeight = CalculateItemHeight();
  return FItemHeight;
}

TcxGridColumnHeaderViewInfo* TcxGridColumnContainerViewInfo::GetItem(Integer AIndex) {
  auto& item = FItems.at(static_cast<size_t>(AIndex));
  if (!item) {
    TcxGridColumnHeaderViewInfo::TArgs args{this, GetColumn(AIndex)};
    item.reset(As<TcxGridColumnHeaderViewInfo>(
        GetItemClass()->CreateInstance(const_cast<TcxGridColumnHeaderViewInfo::TArgs*>(&args))));
  }
  return item.get();
}

TClass TcxGridColumnContainerViewInfo::GetPainterClass() { return TcxGridColumnContainerPainter::StaticClass(); }

void TcxGridColumnContainerViewInfo::InitHitTest(TcxCustomGridHitTest* AHitTest) {
  inherited::InitHitTest(AHitTest);
  if (auto* columnHitTest = dynamic_cast<TcxCustomGridColumnHitTest*>(AHitTest))
    columnHitTest->ColumnContainerKind = GetContainerKind();
}

void TcxGridColumnContainerViewInfo::Offset(Integer DX, Integer DY) {
  inherited::Offset(DX, DY);
  for (Integer i = 0; i < GetItemCount(); ++i) GetItem(i)->MoveBy(DX, DY);
}

void TcxGridColumnContainerViewInfo::InvalidateParams() {
  inherited::InvalidateParams();
  for (auto& item : FItems)
    if (item) item->InvalidateParams();
}

TcxCustomGridHitTest* TcxGridColumnContainerViewInfo::GetHitTest(const TPoint& P) {
  for (Integer i = 0; i < GetItemCount(); ++i)
    if (TcxCustomGridHitTest* result = GetItem(i)->GetHitTest(P)) return result;
  return inherited::GetHitTest(P);
}

Integer TcxGridColumnContainerViewInfo::CalculateWidth() { return Bounds.right - Bounds.left; }

Integer TcxGridHeaderViewInfoSpecific::GetItemHeight() { return FHeaderViewInfo->GetItemHeight(); }

TcxGridHeaderViewInfo::TcxGridHeaderViewInfo(TcxGridTableViewInfo* AGridViewInfo)
    : TcxGridColumnContainerViewInfo(AGridViewInfo) {
  FSpecific.reset(As<TcxGridHeaderViewInfoSpecific>(
      AGridViewInfo->GetHeaderViewInfoSpecificClass()->CreateInstance(this)));
}

void TcxGridHeaderViewInfo::CalculateAutoWidths() {
  TcxAutoWidthObject distributor(GetItemCount());
  for (Integer i = 0; i < GetItemCount(); ++i) {
    TcxGridColumnHeaderViewInfo* cell = GetItem(i);
    TcxAutoWidthItem* item = distributor.AppendItem();
    item->MinWidth = cell->GetMinWidth();
    item->Width = cell->CalculateWidth();
    item->Fixed = cell->Column()->IsWidthFixed();
  }
  distributor.AvailableWidth = TableViewInfo()->ClientWidth();
  distributor.Calculate();
  for (Integer i = 0; i < GetItemCount(); ++i) GetItem(i)->SetWidth(distributor.ItemAt(i)->AutoWidth);
}

void TcxGridHeaderViewInfo::CalculateWidths() {
  if (IsColumnAutoWidth()) CalculateAutoWidths();
}

void TcxGridHeaderViewInfo::CalculateItems() {
  TRect area;
  GetItemsAreaBounds(area);
  Integer left = area.left;
  for (Integer i = 0; i < GetItemCount(); ++i) {
    TcxGridColumnHeaderViewInfo* cell = GetItem(i);
    cell->Calculate(left, area.top, -1, GetItemHeight());
    left += cell->GetWidth();
  }
}

bool TcxGridHeaderViewInfo::IsColumnAutoWidth() { return TableView()->OptionsView()->ColumnAutoWidth(); }

bool TcxGridHeaderViewInfo::DrawBackgroundBitmap(TcxCanvas* ACanvas, const TRect& R) {
  TBitmap* bitmap = GetBackgroundBitmap();
  if (!bitmap) return false;
  ACanvas->FillRectangle(R, bitmap);
  return true;
}

TBitmap* TcxGridHeaderViewInfo::GetBackgroundBitmap() { return TableView()->BackgroundBitmaps()->GetBitmap(bbHeader); }

bool TcxGridHeaderViewInfo::IsHeightAssigned() { return TableView()->OptionsView()->HeaderHeight() != 0; }

void TcxGridHeaderViewInfo::ApplyAutoWidthsToColumns() {
  TcxGridTableView* view = TableView();
  view->BeginUpdate();
  ScopeExit endUpdate([view] { view->EndUpdate(); });
  for (Integer i = 0; i < GetItemCount(); ++i) GetItem(i)->Column()->SetWidth(GetItem(i)->GetDataWidth());
}

Integer TcxGridHeaderViewInfo::CalculateWidth() { return TableViewInfo()->GetDataWidth(); }

Integer TcxGridHeaderViewInfo::GetWidth() {
  Integer result = 0;
  for (Integer i = 0; i < GetItemCount(); ++i) result += GetItem(i)->GetWidth();
  return result;
}

Integer TcxGridHeaderViewInfo::CalculateItemHeight() {
  if (IsHeightAssigned()) return TableView()->OptionsView()->HeaderHeight();
  Integer result = 0;
  for (Integer i = 0; i < GetItemCount(); ++i) result = std::max(result, GetItem(i)->CalculateHeight());
  return result != 0 ? result : inherited::CalculateItemHeight();
}

bool TcxGridHeaderViewInfo::GetItemMultiLine() { return TableView()->OptionsView()->HeaderAutoHeight(); }

TcxGridColumn* TcxGridHeaderViewInfo::GetColumn(Integer AIndex) {
  return static_cast<TcxGridColumn*>(TableView()->VisibleItems(AIndex));
}

Integer TcxGridHeaderViewInfo::GetColumnCount() { return TableView()->VisibleItemCount(); }

TcxBorders TcxGridHeaderViewInfo::GetItemNeighbors(TcxGridColumn* AColumn) {
  TcxBorders result;
  if (AColumn->VisibleIndex() != 0) result.Include(bLeft);
  if (AColumn->VisibleIndex() != GetColumnCount() - 1) result.Include(bRight);
  return result;
}

void TcxGridHeaderViewInfo::GetZonesAreaBounds(TRect& R) {
  inherited::GetZonesAreaBounds(R);
  // A column dragged near the header still finds its place.
  InflateRect(R, 0, 15);
}

TClass TcxGridHeaderViewInfo::GetPainterClass() { return TcxGridHeaderPainter::StaticClass(); }

void TcxGridHeaderViewInfo::GetViewParams(TcxViewParams& AParams) {
  TableView()->Styles()->GetHeaderParams(nullptr, AParams);
}

bool TcxGridHeaderViewInfo::GetVisible() { return TableView()->OptionsView()->Header(); }

void TcxGridHeaderViewInfo::CalculateVisible() {
  CalculateWidths();
  inherited::CalculateVisible();
}

void TcxGridHeaderViewInfo::CalculateInvisible() {
  if (!CalculateWhenHidden()) {
    inherited::CalculateInvisible();
    return;
  }
  // The cells still get their places: the rows put their cells under them.
  CalculateVisible();
  SetComputedHeight(0);
  Bounds = TRect{0, 0, 0, 0};
}

void TcxGridHeaderViewInfo::Calculate(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  inherited::Calculate(ALeft, ATop, AWidth, AHeight);
  CalculateItems();
}

void TcxGridHeaderViewInfo::Offset(Integer DX, Integer DY) {
  inherited::Offset(DX, DY);
  for (Integer i = 0; i < GetItemCount(); ++i) {
    TcxGridColumnHeaderViewInfo* cell = GetItem(i);
    cell->CheckVisibility(cell->Bounds.left, cell->Bounds.right - cell->Bounds.left);
  }
}

// --- Painters.

TcxGridColumnContainerViewInfo* TcxGridColumnContainerPainter::ContainerViewInfo() const {
  return static_cast<TcxGridColumnContainerViewInfo*>(ViewInfo());
}

void TcxGridColumnContainerPainter::DrawItems() {
  TcxGridColumnContainerViewInfo* container = ContainerViewInfo();
  for (Integer i = 0; i < container->GetItemCount(); ++i) container->GetItem(i)->Paint(Canvas());
}

namespace {
// A container's cells and its background, in the order the look and feel asks for.
void drawInOrder(bool AItemsFirst, const std::function<void()>& AItems, const std::function<void()>& ABackground) {
  if (AItemsFirst) {
    AItems();
    ABackground();
  } else {
    ABackground();
    AItems();
  }
}
}  // namespace

void TcxGridColumnContainerPainter::DrawContent() {
  std::unique_ptr<TcxRegion, TObjectDeleter> saved(Canvas()->GetClipRegion());
  ScopeExit restoreClip([&] { Canvas()->SetClipRegion(saved.release(), roSet); });
  Canvas()->IntersectClip(ViewInfo()->Bounds);
  drawInOrder(DrawItemsFirst(), [this] { DrawItems(); }, [this] { inherited::DrawContent(); });
}

bool TcxGridHeaderPainter::DrawItemsFirst() {
  return static_cast<TcxGridHeaderViewInfo*>(ViewInfo())->LookAndFeelPainter()->HeaderDrawCellsFirst();
}

bool TcxGridHeaderPainter::DrawBackgroundBitmapIn(TcxCanvas* ACanvas, const TRect& R) {
  return static_cast<TcxGridHeaderViewInfo*>(ViewInfo())->DrawBackgroundBitmap(ACanvas, R);
}

TcxGridColumnHeaderViewInfo* TcxGridColumnHeaderPainter::HeaderViewInfo() const {
  return static_cast<TcxGridColumnHeaderViewInfo*>(ViewInfo());
}

namespace {
TcxButtonState headerButtonState(TcxGridCellState AState) {
  switch (AState) {
    case gcsHot:
      return cxbsHot;
    case gcsPressed:
      return cxbsPressed;
    default:
      return cxbsNormal;
  }
}
}  // namespace

void TcxGridColumnHeaderPainter::DrawContent() {
  TcxGridColumnHeaderViewInfo* header = HeaderViewInfo();
  TcxButtonState state = cxbsNormal;
  // A header drawn into another canvas (a drag image) is drawn at rest.
  if (IsMainCanvas()) state = header->IsPressed() ? cxbsPressed : headerButtonState(header->State());
  TRect textArea;
  header->GetTextAreaBounds(textArea);
  header->LookAndFeelPainter()->DrawHeaderCell(
      Canvas(), header->Bounds, textArea, header->Neighbors(), header->Borders, state, header->AlignmentHorz,
      header->AlignmentVert, header->MultiLinePainting, header->GetShowEndEllipsis(), header->Text,
      header->Params.Font, header->Params.TextColor, header->Params.Color);
  for (Integer i = 0; i < header->GetAreaCount(); ++i) header->GetArea(i)->Paint(Canvas());
}

void TcxGridColumnHeaderPainter::DoPaint() {
  inherited::DoPaint();
  if (HeaderViewInfo()->IsPressed() && IsMainCanvas()) DrawPressed();
}

void TcxGridColumnHeaderPainter::DrawPressed() {
  HeaderViewInfo()->LookAndFeelPainter()->DrawHeaderPressed(Canvas(), HeaderViewInfo()->Bounds);
}

TcxGridColumnHeaderAreaViewInfo* TcxGridColumnHeaderAreaPainter::AreaViewInfo() const {
  return static_cast<TcxGridColumnHeaderAreaViewInfo*>(ViewInfo());
}

void TcxGridColumnHeaderSortingMarkPainter::DrawContent() {
  TcxGridColumnHeaderAreaViewInfo* area = AreaViewInfo();
  area->LookAndFeelPainter()->DrawSortArrow(Canvas(), area->Bounds, area->Column()->SortOrder() == soAscending);
}

void TcxGridColumnHeaderFilterButtonPainter::DrawContent() {
  TcxGridColumnHeaderAreaViewInfo* area = AreaViewInfo();
  area->LookAndFeelPainter()->DrawDropDownButton(Canvas(), area->Bounds, headerButtonState(area->State()),
                                                 area->Column()->DataBinding()->Filtered());
}

void TcxGridColumnHeaderGlyphPainter::DrawContent() {
  TcxGridColumnHeaderAreaViewInfo* area = AreaViewInfo();
  Canvas()->DrawGlyph(area->Bounds.left, area->Bounds.top, area->Column()->HeaderGlyph(), true, clNone);
}

// =======================================================================================
// Hit tests of the sizing edges.

TCursor TcxGridColumnHeaderHorzSizingEdgeHitTest::Cursor() const { return cxGridHorzSizeCursor; }
TClass TcxGridColumnHeaderHorzSizingEdgeHitTest::DragAndDropObjectClass() const {
  return TcxGridColumnHorzSizingObject::StaticClass();
}

TCursor TcxGridRowSizingEdgeHitTest::Cursor() const { return cxGridVertSizeCursor; }
TClass TcxGridRowSizingEdgeHitTest::DragAndDropObjectClass() const { return TcxGridRowSizingObject::StaticClass(); }

// =======================================================================================
// The indicator column.

TcxGridIndicatorViewInfo::TcxGridIndicatorViewInfo(TcxGridTableViewInfo* AGridViewInfo)
    : TcxCustomGridViewCellViewInfo(AGridViewInfo) {}

TcxGridIndicatorViewInfo::~TcxGridIndicatorViewInfo() {
  FHeaderItem.reset();
  // Cells whose rows outlive the column: each one leaves the list (and its row) as it goes.
  while (!FItems.empty()) FItems.back()->Free();
}

TcxGridTableViewInfo* TcxGridIndicatorViewInfo::TableViewInfo() const {
  return static_cast<TcxGridTableViewInfo*>(GridViewInfo());
}
TcxGridTableView* TcxGridIndicatorViewInfo::TableView() const { return TableViewInfo()->TableView(); }

TcxCustomGridIndicatorItemViewInfo* TcxGridIndicatorViewInfo::AddItem(TClass AClass) {
  auto* item = As<TcxCustomGridIndicatorItemViewInfo>(AClass->CreateInstance(this));
  FItems.push_back(item);
  return item;
}

TcxCustomGridIndicatorItemViewInfo* TcxGridIndicatorViewInfo::AddItemAt(Integer ATop, Integer AHeight, TClass AClass) {
  TcxCustomGridIndicatorItemViewInfo* item = AddItem(AClass);
  item->Calculate(Bounds.left, ATop, GetWidth(), AHeight);
  return item;
}

TcxGridIndicatorRowItemViewInfo* TcxGridIndicatorViewInfo::CreateRowItem(TcxCustomGridRowViewInfo* ARow) {
  auto* item = static_cast<TcxGridIndicatorRowItemViewInfo*>(AddItem(TcxGridIndicatorRowItemViewInfo::StaticClass()));
  item->SetRow(ARow);
  return item;
}

void TcxGridIndicatorViewInfo::PlaceRowItem(TcxCustomGridRowViewInfo* ARow, TcxGridIndicatorRowItemViewInfo* AItem) {
  AItem->Calculate(Bounds.left, ARow->Bounds.top, GetWidth(), ARow->GetHeight());
}

void TcxGridIndicatorViewInfo::GetRowItemBounds(TcxCustomGridRecord* ARecord, TRect& R) {
  R = TRect{0, 0, 0, 0};
  for (TcxCustomGridIndicatorItemViewInfo* item : FItems)
    if (auto* rowItem = dynamic_cast<TcxGridIndicatorRowItemViewInfo*>(item))
      if (rowItem->Row() && rowItem->Row()->GridRecord() == ARecord) {
        R = rowItem->Bounds;
        return;
      }
}

void TcxGridIndicatorViewInfo::RemoveItem(TcxCustomGridIndicatorItemViewInfo* AItem) {
  auto it = std::find(FItems.begin(), FItems.end(), AItem);
  if (it != FItems.end()) FItems.erase(it);
}

Integer TcxGridIndicatorViewInfo::CalculateHeight() {
  TcxGridTableViewInfo* table = TableViewInfo();
  TRect client = table->ClientBounds();
  Integer height = client.bottom - client.top;
  if (TcxCustomGridPartViewInfo* header = table->HeaderViewInfo()) height += header->GetHeight();
  if (TcxCustomGridPartViewInfo* footer = table->FooterViewInfo()) height += footer->GetHeight();
  return height;
}

Integer TcxGridIndicatorViewInfo::CalculateWidth() { return TableViewInfo()->IndicatorWidth(); }

bool TcxGridIndicatorViewInfo::GetVisible() { return TableView()->OptionsView()->Indicator(); }

TBitmap* TcxGridIndicatorViewInfo::GetBackgroundBitmap() { return TableViewInfo()->GetBackgroundBitmap(); }

void TcxGridIndicatorViewInfo::GetViewParams(TcxViewParams& AParams) {
  AParams.Color = TableViewInfo()->GetBackgroundColor();
}

TClass TcxGridIndicatorViewInfo::GetPainterClass() { return TcxGridIndicatorPainter::StaticClass(); }

void TcxGridIndicatorViewInfo::Calculate(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  inherited::Calculate(ALeft, ATop, AWidth, AHeight);
  TcxCustomGridPartViewInfo* header = TableViewInfo()->HeaderViewInfo();
  FHeaderItem.reset();
  if (header && header->GetVisible())
    FHeaderItem.reset(AddItemAt(Bounds.top, header->GetHeight(), TcxGridIndicatorHeaderItemViewInfo::StaticClass()));
  // The footer part, and so its cell here, is not part of this program yet.
}

TcxCustomGridHitTest* TcxGridIndicatorViewInfo::GetHitTest(const TPoint& P) {
  for (TcxCustomGridIndicatorItemViewInfo* item : FItems)
    if (TcxCustomGridHitTest* result = item->GetHitTest(P)) return result;
  return inherited::GetHitTest(P);
}

// --- Cells.

TcxCustomGridIndicatorItemViewInfo::TcxCustomGridIndicatorItemViewInfo(TcxGridIndicatorViewInfo* AIndicator)
    : TcxCustomGridViewCellViewInfo(AIndicator->GridViewInfo()), FIndicator(AIndicator) {}

void TcxCustomGridIndicatorItemViewInfo::BeforeDestruction() {
  FIndicator->RemoveItem(this);
  inherited::BeforeDestruction();
}

void TcxCustomGridIndicatorItemViewInfo::GetViewParams(TcxViewParams& AParams) {
  TableView()->Styles()->GetVisualParams(vsIndicator, nullptr, nullptr, AParams);
}

bool TcxCustomGridIndicatorItemViewInfo::CustomDraw(TcxCanvas* ACanvas) {
  bool done = inherited::CustomDraw(ACanvas);
  if (!done) TableView()->DoCustomDrawIndicatorCell(ACanvas, this, done);
  return done;
}

bool TcxCustomGridIndicatorItemViewInfo::HasCustomDraw() {
  return inherited::HasCustomDraw() || TableView()->HasCustomDrawIndicatorCell();
}

TClass TcxCustomGridIndicatorItemViewInfo::GetPainterClass() {
  return TcxCustomGridIndicatorItemPainter::StaticClass();
}

TClass TcxGridIndicatorHeaderItemViewInfo::GetPainterClass() {
  return TcxGridIndicatorHeaderItemPainter::StaticClass();
}

void TcxGridIndicatorRowItemViewInfo::BeforeDestruction() {
  if (FRow) FRow->IndicatorItemDestroyed(this);
  inherited::BeforeDestruction();
}

TcxIndicatorKind TcxGridIndicatorRowItemViewInfo::GetIndicatorKind() {
  TcxCustomGridRecord* record = FRow->GridRecord();
  TcxCustomDataController* dataController = TableView()->DataController();
  if (record->IsNewItemRecord()) return ikInsert;
  if (dataController->IsEditing() && record->RecordIndex() == dataController->GetEditingRecordIndex())
    return (dataController->GetEditState() & dceInsert) != 0 ? ikInsert : ikEdit;
  bool selected = TableView()->OptionsSelection()->MultiSelect() && record->Selected();
  if (record->Focused()) return selected ? ikMultiArrow : ikArrow;
  return selected ? ikMultiDot : ikNone;
}

void TcxGridIndicatorRowItemViewInfo::GetRowSizingEdgeBounds(TRect& R) {
  R = Bounds;
  R.top = R.bottom - 4;
  R.bottom += 4;
}

TBitmap* TcxGridIndicatorRowItemViewInfo::GetBackgroundBitmap() {
  return TableView()->BackgroundBitmaps()->GetBitmap(bbIndicator);
}

void TcxGridIndicatorRowItemViewInfo::InitHitTest(TcxCustomGridHitTest* AHitTest) {
  // The record's fields come from the row; the place that answers is this cell, except
  // for the row indicator itself, which hands the mouse to the row.
  FRow->InitHitTest(AHitTest);
  inherited::InitHitTest(AHitTest);
  if (AHitTest->ClassType() == TcxGridRowIndicatorHitTest::StaticClass()) AHitTest->ViewInfo = FRow;
}

TcxCustomGridHitTest* TcxGridIndicatorRowItemViewInfo::GetHitTest(const TPoint& P) {
  TRect edge;
  GetRowSizingEdgeBounds(edge);
  if (FRow->CanSize() && PtInRect(edge, P)) {
    TcxCustomGridHitTest* result = TcxCustomGridHitTest::Instance(TcxGridRowSizingEdgeHitTest::StaticClass(), P);
    InitHitTest(result);
    return result;
  }
  return inherited::GetHitTest(P);
}

bool TcxGridIndicatorRowItemViewInfo::MouseDown(TcxCustomGridHitTest* AHitTest, TMouseButton AButton,
                                                TShiftState AShift) {
  bool result = inherited::MouseDown(AHitTest, AButton, AShift);
  if (AButton == mbLeft && AShift.Contains(ssDouble) && AHitTest->ClassType() == TcxGridRowSizingEdgeHitTest::StaticClass()) {
    // Back to the automatic height.
    FRow->SetHeight(0);
    result = true;
  }
  return result;
}

TClass TcxGridIndicatorRowItemViewInfo::GetPainterClass() { return TcxGridIndicatorRowItemPainter::StaticClass(); }

// --- Painters.

void TcxGridIndicatorPainter::DrawItems() {
  TcxGridIndicatorViewInfo* indicator = IndicatorViewInfo();
  // A cell may repaint its row while painting: walk a copy of the list.
  std::vector<TcxCustomGridIndicatorItemViewInfo*> items;
  for (Integer i = 0; i < indicator->Count(); ++i) items.push_back(indicator->Items(i));
  for (TcxCustomGridIndicatorItemViewInfo* item : items) item->Paint(Canvas());
}

bool TcxGridIndicatorPainter::DrawItemsFirst() {
  return IndicatorViewInfo()->LookAndFeelPainter()->IndicatorDrawItemsFirst();
}

void TcxGridIndicatorPainter::DrawContent() {
  drawInOrder(DrawItemsFirst(), [this] { DrawItems(); }, [this] { inherited::DrawContent(); });
}

void TcxGridIndicatorHeaderItemPainter::DrawContent() {
  TcxCustomGridCellViewInfo* item = ViewInfo();
  auto* cell = static_cast<TcxCustomGridViewCellViewInfo*>(item);
  cell->LookAndFeelPainter()->DrawHeaderCell(Canvas(), item->Bounds, item->Bounds, TcxBorders{}, cxBordersAll,
                                             cxbsNormal, taLeftJustify, vaTop, false, false, std::string(),
                                             item->Params.Font, item->Params.TextColor, item->Params.Color);
}

void TcxGridIndicatorRowItemPainter::DrawContent() {
  TcxGridIndicatorRowItemViewInfo* item = RowItemViewInfo();
  item->LookAndFeelPainter()->DrawIndicatorItem(Canvas(), item->Bounds, item->GetIndicatorKind(), item->Params.Color);
}

// =======================================================================================
// Sizing.

TcxGridTableController* TcxGridDragAndDropObject::Controller() const {
  return static_cast<TcxGridTableController*>(inherited::Controller());
}
TcxGridTableView* TcxGridDragAndDropObject::GridView() const {
  return static_cast<TcxGridTableView*>(inherited::GridView());
}
TcxGridTableViewInfo* TcxGridDragAndDropObject::ViewInfo() const {
  return static_cast<TcxGridTableViewInfo*>(inherited::ViewInfo());
}

Integer TcxCustomGridSizingObject::GetCurrentSize() { return GetDelta() + FOriginalSize; }

Integer TcxCustomGridSizingObject::GetDelta() {
  return IsHorizontalSizing() ? FDestPointX - SourcePoint().x : FDestPointY - SourcePoint().y;
}

void TcxCustomGridSizingObject::GetHorzSizingMarkBounds(TRect& R) {
  TRect item;
  GetSizingItemBounds(item);
  R.right = item.left + GetCurrentSize();
  R.left = R.right - GetSizingMarkWidth();
  R.top = item.top;
  R.bottom = ViewInfo()->Bounds().bottom - ViewInfo()->GetBottomPartsHeight();
}

void TcxCustomGridSizingObject::GetSizingMarkBounds(TRect& R) {
  if (IsHorizontalSizing())
    GetHorzSizingMarkBounds(R);
  else
    GetVertSizingMarkBounds(R);
}

void TcxCustomGridSizingObject::GetVertSizingMarkBounds(TRect& R) {
  TRect item;
  GetSizingItemBounds(item);
  R.left = ViewInfo()->Bounds().left;
  R.right = ViewInfo()->Bounds().right;
  R.bottom = item.top + GetCurrentSize();
  R.top = R.bottom - GetSizingMarkWidth();
}

void TcxCustomGridSizingObject::InitFromHitTest(const TPoint& P, TcxCustomGridHitTest* AHitTest) {
  inherited::InitFromHitTest(P, AHitTest);
  FDestPointX = P.x;
  FDestPointY = P.y;
}

// Drawing the mark and erasing it are the same inversion.
void TcxCustomGridSizingObject::FeedbackChanged() {
  TRect mark;
  GetSizingMarkBounds(mark);
  if (TcxCanvas* canvas = Canvas()) canvas->InvertArea(mark);
}

TCursor TcxCustomGridSizingObject::GetDragAndDropCursor(bool) {
  return IsHorizontalSizing() ? cxGridHorzSizeCursor : cxGridVertSizeCursor;
}

void TcxCustomGridSizingObject::DragAndDrop(const TPoint& P, bool& Accepted) {
  Integer& destination = IsHorizontalSizing() ? FDestPointX : FDestPointY;
  Integer value = IsHorizontalSizing() ? P.x : P.y;
  if (value != destination) {
    // The old mark goes before the place changes; the base shows the new one.
    HideFeedback();
    destination = value;
  }
  Accepted = true;
  inherited::DragAndDrop(P, Accepted);
}

TcxGridColumnHeaderViewInfo* TcxCustomGridColumnSizingObject::ColumnHeaderViewInfo() const {
  auto* header = dynamic_cast<TcxGridHeaderViewInfo*>(ViewInfo()->HeaderViewInfo());
  if (!header || !FColumn) return nullptr;
  for (Integer i = 0; i < header->GetItemCount(); ++i)
    if (header->GetItem(i)->Column() == FColumn) return header->GetItem(i);
  return nullptr;
}

void TcxCustomGridColumnSizingObject::GetSizingItemBounds(TRect& R) {
  TcxGridColumnHeaderViewInfo* cell = ColumnHeaderViewInfo();
  if (!cell) {
    R = TRect{0, 0, 0, 0};
    return;
  }
  // The cell reaches over its left neighbour's edge; its own width starts after that.
  R = cell->Bounds;
  R.left = cell->GetVisibleLeft();
}

void TcxCustomGridColumnSizingObject::InitFromHitTest(const TPoint& P, TcxCustomGridHitTest* AHitTest) {
  inherited::InitFromHitTest(P, AHitTest);
  auto* hitTest = dynamic_cast<TcxCustomGridColumnHitTest*>(AHitTest);
  FColumn = hitTest ? hitTest->Column : nullptr;
}

Integer TcxGridColumnHorzSizingObject::GetCurrentSize() {
  Integer size = inherited::GetCurrentSize();
  if (TcxGridColumnHeaderViewInfo* cell = ColumnHeaderViewInfo()) cell->CheckWidth(size);
  return size;
}

void TcxGridColumnHorzSizingObject::BeginDragAndDrop() {
  TcxGridColumnHeaderViewInfo* cell = ColumnHeaderViewInfo();
  SetOriginalSize(cell ? cell->GetWidth() : 0);
  Controller()->SetSizingColumn(Column());
  inherited::BeginDragAndDrop();
}

void TcxGridColumnHorzSizingObject::EndDragAndDrop(bool Accepted) {
  inherited::EndDragAndDrop(Accepted);
  TcxGridColumn* column = Column();
  TcxGridColumnHeaderViewInfo* cell = ColumnHeaderViewInfo();
  Integer size = GetCurrentSize();
  Controller()->SetSizingColumn(nullptr);
  if (!Accepted || !cell || !column || size == OriginalSize()) return;
  // The header cell of the first column also spans the level indents in front of it.
  Integer extra = cell->Container()->GetColumnWidth(column) - column->Width();
  TcxGridTableView* view = GridView();
  column->ForceWidth(size - extra);
  view->SizeChanged();
  view->DoColumnSizeChanged(column);
}

TcxCustomGridRecord* TcxGridRowSizingObject::Row() const {
  auto* viewData = dynamic_cast<TcxCustomGridTableViewData*>(FViewData);
  if (!viewData || viewData != GridView()->ViewData()) return nullptr;
  return FIsNewItemRecord ? viewData->NewItemRecord() : viewData->GetRecordByIndex(FRecordIndex);
}

TcxCustomGridRowViewInfo* TcxGridRowSizingObject::RowViewInfo() const {
  TcxCustomGridRecord* record = Row();
  return record ? dynamic_cast<TcxCustomGridRowViewInfo*>(record->ViewInfo()) : nullptr;
}

Integer TcxGridRowSizingObject::GetCurrentSize() {
  Integer size = inherited::GetCurrentSize();
  if (TcxCustomGridRowViewInfo* row = RowViewInfo()) row->CheckHeight(size);
  return size;
}

void TcxGridRowSizingObject::GetSizingItemBounds(TRect& R) {
  TcxCustomGridRowViewInfo* row = RowViewInfo();
  R = row ? row->Bounds : TRect{0, 0, 0, 0};
}

void TcxGridRowSizingObject::InitFromHitTest(const TPoint& P, TcxCustomGridHitTest* AHitTest) {
  inherited::InitFromHitTest(P, AHitTest);
  if (auto* hitTest = dynamic_cast<TcxGridRecordHitTest*>(AHitTest)) {
    FViewData = hitTest->ViewData;
    FRecordIndex = hitTest->RecordIndex;
    FIsNewItemRecord = hitTest->IsNewItemRecord;
  }
}

void TcxGridRowSizingObject::BeginDragAndDrop() {
  TcxCustomGridRowViewInfo* row = RowViewInfo();
  SetOriginalSize(row ? row->GetHeight() : 0);
  inherited::BeginDragAndDrop();
}

void TcxGridRowSizingObject::EndDragAndDrop(bool Accepted) {
  inherited::EndDragAndDrop(Accepted);
  TcxCustomGridRowViewInfo* row = RowViewInfo();
  if (Accepted && row) row->SetHeight(GetCurrentSize());
}

// ---------------------------------------------------------------------------------------
// Classes and published properties.

RTL_IMPLEMENT_CLASS(TcxGridTableController)
RTL_IMPLEMENT_CLASS(TcxCustomGridColumnHitTest)
RTL_IMPLEMENT_CLASS(TcxGridColumnHeaderHitTest)
RTL_IMPLEMENT_CLASS(TcxGridColumnHeaderHorzSizingEdgeHitTest)
RTL_IMPLEMENT_CLASS(TcxGridColumnHeaderFilterButtonHitTest)
RTL_IMPLEMENT_CLASS(TcxGridHeaderHitTest)
RTL_IMPLEMENT_CLASS(TcxGridColumnHeaderAreaViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridColumnHeaderSortingMarkViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridColumnHeaderHorzSizingEdgeViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridColumnHeaderFilterButtonViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridColumnHeaderGlyphViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridColumnHeaderViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridColumnContainerZone)
RTL_IMPLEMENT_CLASS(TcxGridColumnContainerViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridHeaderViewInfoSpecific)
RTL_IMPLEMENT_CLASS(TcxGridHeaderViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridColumnContainerPainter)
RTL_IMPLEMENT_CLASS(TcxGridHeaderPainter)
RTL_IMPLEMENT_CLASS(TcxGridColumnHeaderPainter)
RTL_IMPLEMENT_CLASS(TcxGridColumnHeaderAreaPainter)
RTL_IMPLEMENT_CLASS(TcxGridColumnHeaderSortingMarkPainter)
RTL_IMPLEMENT_CLASS(TcxGridColumnHeaderFilterButtonPainter)
RTL_IMPLEMENT_CLASS(TcxGridColumnHeaderGlyphPainter)
RTL_IMPLEMENT_CLASS(TcxGridRowLevelIndentHitTest)
RTL_IMPLEMENT_CLASS(TcxCustomGridPartViewInfo)
RTL_IMPLEMENT_CLASS(TcxCustomGridPartPainter)
RTL_IMPLEMENT_CLASS(TcxGridTableViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridRowsViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridTablePainter)
RTL_IMPLEMENT_CLASS(TcxGridGroupByBoxHitTest)
RTL_IMPLEMENT_CLASS(TcxGridFooterHitTest)
RTL_IMPLEMENT_CLASS(TcxGridFooterCellHitTest)
RTL_IMPLEMENT_CLASS(TcxGridGroupFooterHitTest)
RTL_IMPLEMENT_CLASS(TcxGridGroupFooterCellHitTest)
RTL_IMPLEMENT_CLASS(TcxGridFilterHitTest)
RTL_IMPLEMENT_CLASS(TcxGridFilterActivateButtonHitTest)
RTL_IMPLEMENT_CLASS(TcxGridFilterCloseButtonHitTest)
RTL_IMPLEMENT_CLASS(TcxGridFilterCustomizeButtonHitTest)
RTL_IMPLEMENT_CLASS(TcxGridRowIndicatorHitTest)
RTL_IMPLEMENT_CLASS(TcxGridRowSizingEdgeHitTest)
RTL_IMPLEMENT_CLASS(TcxGridIndicatorHitTest)
RTL_IMPLEMENT_CLASS(TcxGridCustomozationFormHitTest)
RTL_IMPLEMENT_CLASS(TcxGridIndicatorViewInfo)
RTL_IMPLEMENT_CLASS(TcxCustomGridIndicatorItemViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridIndicatorHeaderItemViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridIndicatorRowItemViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridIndicatorPainter)
RTL_IMPLEMENT_CLASS(TcxCustomGridIndicatorItemPainter)
RTL_IMPLEMENT_CLASS(TcxGridIndicatorHeaderItemPainter)
RTL_IMPLEMENT_CLASS(TcxGridIndicatorRowItemPainter)
RTL_IMPLEMENT_CLASS(TcxGridDragAndDropObject)
RTL_IMPLEMENT_CLASS(TcxCustomGridSizingObject)
RTL_IMPLEMENT_CLASS(TcxCustomGridColumnSizingObject)
RTL_IMPLEMENT_CLASS(TcxGridColumnHorzSizingObject)
RTL_IMPLEMENT_CLASS(TcxGridRowSizingObject)

RTL_BEGIN_CLASS(TcxGridTableOptionsView)
  using T = TcxGridTableOptionsView;
  b.Property("ColumnAutoWidth", &T::ColumnAutoWidth, &T::SetColumnAutoWidth).Default(false);
  b.Property("DataRowHeight", &T::DataRowHeight, &T::SetDataRowHeight).Default(0);
  b.Property("ExpandButtonsForEmptyDetails", &T::ExpandButtonsForEmptyDetails, &T::SetExpandButtonsForEmptyDetails)
      .Default(true);
  b.Property("Footer", &T::Footer, &T::SetFooter).Default(false);
  b.Property("GridLineColor", &T::GridLineColor, &T::SetGridLineColor).Default(clDefault);
  b.Property("GridLines", &T::GridLines, &T::SetGridLines).Default(glBoth);
  b.Property("GroupByBox", &T::GroupByBox, &T::SetGroupByBox).Default(true);
  b.Property("GroupFooters", &T::GroupFooters, &T::SetGroupFooters).Default(gfInvisible);
  b.Property("GroupRowHeight", &T::GroupRowHeight, &T::SetGroupRowHeight).Default(0);
  b.Property("Header", &T::Header, &T::SetHeader).Default(true);
  b.Property("HeaderHeight", &T::HeaderHeight, &T::SetHeaderHeight).Default(0);
  b.Property("Indicator", &T::Indicator, &T::SetIndicator).Default(false);
  b.Property("IndicatorWidth", &T::IndicatorWidth, &T::SetIndicatorWidth).Default(12);
  b.Property("NewItemRow", &T::NewItemRow, &T::SetNewItemRow).Default(false);
  b.Property("NewItemRowInfoText", &T::NewItemRowInfoText, &T::SetNewItemRowInfoText)
      .Stored(&T::IsNewItemRowInfoTextStored);
  b.Property("NewItemRowSeparatorColor", &T::NewItemRowSeparatorColor, &T::SetNewItemRowSeparatorColor)
      .Default(clDefault);
  b.Property("NewItemRowSeparatorWidth", &T::NewItemRowSeparatorWidth, &T::SetNewItemRowSeparatorWidth).Default(6);
  b.Property("RowSeparatorColor", &T::RowSeparatorColor, &T::SetRowSeparatorColor).Default(clDefault);
  b.Property("RowSeparatorWidth", &T::RowSeparatorWidth, &T::SetRowSeparatorWidth).Default(0);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxGridTableOptionsBehavior)
  using T = TcxGridTableOptionsBehavior;
  b.Property("BestFitMaxRecordCount", &T::BestFitMaxRecordCount, &T::SetBestFitMaxRecordCount).Default(0);
  b.Property("ExpandMasterRowOnDblClick", &T::ExpandMasterRowOnDblClick, &T::SetExpandMasterRowOnDblClick)
      .Default(true);
  b.Property("FocusCellOnCycle", &T::FocusCellOnCycle, &T::SetFocusCellOnCycle).Default(false);
  b.Property("PullFocusing", &T::PullFocusing, &T::SetPullFocusing).Default(false);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxGridTableOptionsCustomize)
  using T = TcxGridTableOptionsCustomize;
  b.Property("ColumnFiltering", &T::ColumnFiltering, &T::SetColumnFiltering).Default(true);
  b.Property("ColumnGrouping", &T::ColumnGrouping, &T::SetColumnGrouping).Default(true);
  b.Property("ColumnHiding", &T::ColumnHiding, &T::SetColumnHiding).Default(false);
  b.Property("ColumnHidingOnGrouping", &T::ColumnHidingOnGrouping, &T::SetColumnHidingOnGrouping).Default(true);
  b.Property("ColumnHorzSizing", &T::ColumnHorzSizing, &T::SetColumnHorzSizing).Default(true);
  b.Property("ColumnMoving", &T::ColumnMoving, &T::SetColumnMoving).Default(true);
  b.Property("ColumnSorting", &T::ColumnSorting, &T::SetColumnSorting).Default(true);
  b.Property("DataRowSizing", &T::DataRowSizing, &T::SetDataRowSizing).Default(false);
  b.Property("GroupRowSizing", &T::GroupRowSizing, &T::SetGroupRowSizing).Default(false);
RTL_END_CLASS
RTL_IMPLEMENT_CLASS(TcxGridTableOptionsData)
RTL_IMPLEMENT_CLASS(TcxGridTableOptionsSelection)
RTL_IMPLEMENT_CLASS(TcxGridTableFiltering)
RTL_BEGIN_CLASS(TcxGridPreview)
  using T = TcxGridPreview;
  b.Property("AutoHeight", &T::AutoHeight, &T::SetAutoHeight).Default(true);
  b.Property("LeftIndent", &T::LeftIndent, &T::SetLeftIndent).Default(20);
  b.Property("MaxLineCount", &T::MaxLineCount, &T::SetMaxLineCount).Default(3);
  b.Property("Place", &T::Place, &T::SetPlace).Default(ppBottom);
  b.Property("RightIndent", &T::RightIndent, &T::SetRightIndent).Default(5);
  b.Property("Visible", &T::Visible, &T::SetVisible).Default(false);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxGridTableViewStyles)
  using T = TcxGridTableViewStyles;
  b.Property("FilterBox", &T::FilterBox, &T::SetFilterBox);
  b.Property("Footer", &T::Footer, &T::SetFooter);
  b.Property("Group", &T::Group, &T::SetGroup);
  b.Property("GroupByBox", &T::GroupByBox, &T::SetGroupByBox);
  b.Property("Header", &T::Header, &T::SetHeader);
  b.Property("Indicator", &T::Indicator, &T::SetIndicator);
  b.Property("NewItemRowInfoText", &T::NewItemRowInfoText, &T::SetNewItemRowInfoText);
  b.Property("Preview", &T::Preview, &T::SetPreview);
RTL_END_CLASS
RTL_IMPLEMENT_CLASS(TcxGridTableViewStyleSheet)
RTL_IMPLEMENT_CLASS(TcxGridTableBackgroundBitmaps)
RTL_BEGIN_CLASS(TcxGridTableSummaryItem)
  b.Property("Column", &TcxGridTableSummaryItem::Column, &TcxGridTableSummaryItem::SetColumn);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxGridTableSummaryGroupItemLink)
  b.Property("Column", &TcxGridTableSummaryGroupItemLink::Column, &TcxGridTableSummaryGroupItemLink::SetColumn);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxGridTableView)
  using T = TcxGridTableView;
  b.Property("BackgroundBitmaps", &T::BackgroundBitmaps, &T::SetBackgroundBitmaps);
  b.Property("Filtering", &T::Filtering, &T::SetFiltering);
  b.Property("OptionsBehavior", &T::OptionsBehavior, &T::SetOptionsBehavior);
  b.Property("OptionsCustomize", &T::OptionsCustomize, &T::SetOptionsCustomize);
  b.Property("OptionsData", &T::OptionsData, &T::SetOptionsData);
  b.Property("OptionsSelection", &T::OptionsSelection, &T::SetOptionsSelection);
  b.Property("OptionsView", &T::OptionsView, &T::SetOptionsView);
  b.Property("Preview", &T::Preview, &T::SetPreview);
  b.Property("Styles", &T::Styles, &T::SetStyles);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxGridColumnOptions)
  using T = TcxGridColumnOptions;
  b.Property("Editing", &T::Editing, &T::SetEditing).Default(true);
  b.Property("Filtering", &T::Filtering, &T::SetFiltering).Default(true);
  b.Property("Focusing", &T::Focusing, &T::SetFocusing).Default(true);
  b.Property("Grouping", &T::Grouping, &T::SetGrouping).Default(true);
  b.Property("HorzSizing", &T::HorzSizing, &T::SetHorzSizing).Default(true);
  b.Property("IncSearch", &T::IncSearch, &T::SetIncSearch).Default(true);
  b.Property("Moving", &T::Moving, &T::SetMoving).Default(true);
  b.Property("ShowEditButtons", &T::ShowEditButtons, &T::SetShowEditButtons).Default(isebDefault);
  b.Property("Sorting", &T::Sorting, &T::SetSorting).Default(true);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxGridColumnStyles)
  using T = TcxGridColumnStyles;
  b.Property("Footer", &T::Footer, &T::SetFooter);
  b.Property("Header", &T::Header, &T::SetHeader);
  b.Property("OnGetFooterStyle", &T::OnGetFooterStyle, &T::OnGetFooterStyle);
  b.Property("OnGetHeaderStyle", &T::OnGetHeaderStyle, &T::OnGetHeaderStyle);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxGridColumn)
  using T = TcxGridColumn;
  b.Property("FooterAlignmentHorz", &T::FooterAlignmentHorz, &T::SetFooterAlignmentHorz)
      .Stored(&T::IsFooterAlignmentHorzStored);
  b.Property("GroupIndex", &T::GroupIndex, &T::SetGroupIndex).Default(-1);
  b.Property("HeaderAlignmentHorz", &T::HeaderAlignmentHorz, &T::SetHeaderAlignmentHorz)
      .Stored(&T::IsHeaderAlignmentHorzAssigned);
  b.Property("HeaderAlignmentVert", &T::HeaderAlignmentVert, &T::SetHeaderAlignmentVert)
      .Stored(&T::IsHeaderAlignmentVertAssigned);
  b.Property("HeaderGlyph", &T::HeaderGlyph, &T::SetHeaderGlyph);
  b.Property("HeaderGlyphAlignmentHorz", &T::HeaderGlyphAlignmentHorz, &T::SetHeaderGlyphAlignmentHorz)
      .Default(taLeftJustify);
  b.Property("HeaderGlyphAlignmentVert", &T::HeaderGlyphAlignmentVert, &T::SetHeaderGlyphAlignmentVert)
      .Default(vaCenter);
  b.Property("Hidden", &T::Hidden, &T::SetHidden).Stored(&T::IsHiddenStored);
  b.Property("MinWidth", &T::MinWidth, &T::SetMinWidth).Default(20);
  b.Property("Options", &T::Options, &T::SetOptions);
  b.Property("SortOrder", &T::SortOrder, &T::SetSortOrder).Default(soNone);
  b.Property("Styles", &T::Styles, &T::SetStyles);
  b.Property("Visible", &T::Visible, &T::SetVisible).Default(true).Stored(&T::IsVisibleStored);
  b.Property("Width", &T::Width, &T::SetWidth).Stored(&T::IsWidthAssigned);
  b.Property("OnCustomDrawFooterCell", &T::OnCustomDrawFooterCell, &T::OnCustomDrawFooterCell);
  b.Property("OnCustomDrawHeader", &T::OnCustomDrawHeader, &T::OnCustomDrawHeader);
  b.Property("OnHeaderClick", &T::OnHeaderClick, &T::OnHeaderClick);
  b.Property("OnUserFiltering", &T::OnUserFiltering, &T::OnUserFiltering);
RTL_END_CLASS

namespace cxGridTableViewUnit {
void Initialize() {
  cxGridRegisteredViews()->Register(TcxGridTableView::StaticClass(), "Table");
  RegisterClasses({TcxGridTableViewStyleSheet::StaticClass(), TcxGridColumn::StaticClass()});
}
void Finalize() {
  if (TcxRegisteredClasses* views = cxGridRegisteredViews()) views->Unregister(TcxGridTableView::StaticClass());
}
}  // namespace cxGridTableViewUnit
