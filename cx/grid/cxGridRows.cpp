#include "cx/grid/cxGridRows.h"

#include <algorithm>

#include "cx/grid/cxGrid.h"
#include "cx/grid/cxGridViewData.h"

// =======================================================================================
// Row layout base.

TcxCustomGridRowViewInfo::TcxCustomGridRowViewInfo(const TArgs* AArgs) : TcxCustomGridRecordViewInfo(AArgs) {
  // A second layout of a record already laid out (a measuring copy) gets no cell: the
  // column would list two cells for one row.
  if (IsShared()) return;
  if (auto* indicator = dynamic_cast<TcxGridIndicatorViewInfo*>(TableViewInfo()->IndicatorViewInfo()))
    FIndicatorItem.reset(indicator->CreateRowItem(this));
}

void TcxCustomGridRowViewInfo::BeforeDestruction() {
  FIndicatorItem.reset();
  inherited::BeforeDestruction();
}

void TcxCustomGridRowViewInfo::IndicatorItemDestroyed(TcxGridIndicatorRowItemViewInfo* AItem) {
  if (FIndicatorItem.get() == AItem) static_cast<void>(FIndicatorItem.release());
}

bool TcxCustomGridRowViewInfo::GroupEndsHere(Integer ADepth) {
  TcxCustomGridRecord* record = GridRecord();
  if (record->Index() < 0) return false;
  TcxCustomGridRecord* next = record->ViewData()->GetRecordByIndex(record->Index() + 1);
  return !next || next->Level() < Level() - ADepth;
}

bool TcxCustomGridRowViewInfo::HasFooter(Integer AIndex) {
  TcxGridGroupFootersMode mode = TableView()->OptionsView()->GroupFooters();
  if (mode == gfInvisible) return false;
  if (mode == gfAlwaysVisible) --AIndex;
  return AIndex >= 0 && AIndex < Level() && GroupEndsHere(AIndex);
}

bool TcxCustomGridRowViewInfo::HasBottomGridLine() {
  return RowsViewInfo()->HasLastHorzGridLine(this) && GridRecord()->IsLast();
}

Integer TcxCustomGridRowViewInfo::GetNonDataHeight() {
  // Group footers are not laid out yet: they take no height.
  return SeparatorWidth() + (HasBottomGridLine() ? GridLineWidth() : 0);
}

void TcxCustomGridRowViewInfo::GetBottomGridLineBounds(TRect& R) {
  R = Bounds;
  R.top = R.bottom - GridLineWidth();
}

void TcxCustomGridRowViewInfo::GetSeparatorBounds(TRect& R) {
  R.left = GetDataLeft();
  R.right = R.left + GetContentWidth();
  for (Integer i = 0; i < Level() && GroupEndsHere(i); ++i) R.left -= LevelIndent();
  R.bottom = Bounds.bottom;
  R.top = R.bottom - SeparatorWidth();
}

TColor TcxCustomGridRowViewInfo::GetSeparatorColor() { return TableView()->OptionsView()->GetRowSeparatorColor(); }

void TcxCustomGridRowViewInfo::GetLevelIndentBounds(Integer AIndex, TRect& R) {
  R = Bounds;
  if (AIndex == -1) {
    R.right = GetDataLeft();
    return;
  }
  R.left = Bounds.left + AIndex * LevelIndent();
  R.right = R.left + LevelIndent();
  // Footers are not laid out yet, so none raises the bottom.
}

void TcxCustomGridRowViewInfo::GetLevelIndentBackgroundBounds(Integer AIndex, TRect& R) {
  TRect indent;
  GetLevelIndentBounds(AIndex, indent);
  R = indent;
  bool closes = GroupEndsHere(Level() - AIndex - 1);
  TcxGridLines lines = TableViewInfo()->GetGridLines();
  if (lines == glBoth || lines == glHorizontal) {
    R.right -= GridLineWidth();
    if (closes) R.bottom -= GridLineWidth();
  }
  if (closes && !HasFooter(Level() - AIndex)) R.bottom -= SeparatorWidth();
}

void TcxCustomGridRowViewInfo::GetLevelIndentVertLineBounds(Integer AIndex, TRect& R) {
  TRect indent;
  TRect background;
  GetLevelIndentBounds(AIndex, indent);
  GetLevelIndentBackgroundBounds(AIndex, background);
  R = TRect{background.right, indent.top, indent.right, background.bottom};
}

void TcxCustomGridRowViewInfo::GetLevelIndentHorzLineBounds(Integer AIndex, TRect& R) {
  TRect indent;
  TRect background;
  GetLevelIndentBounds(AIndex, indent);
  GetLevelIndentBackgroundBounds(AIndex, background);
  R = TRect{indent.left, background.bottom, indent.right, std::min<Integer>(background.bottom + GridLineWidth(), indent.bottom)};
}

bool TcxCustomGridRowViewInfo::GetVisible() {
  Integer position = Position();
  return position != -1 && position < RowsViewInfo()->LaidOutCount();
}

void TcxCustomGridRowViewInfo::CalculateContentBounds(TRect& R) {
  R = Bounds;
  R.left = GetDataLeft();
  R.bottom = R.top + GetDataHeight();
}

TRect TcxCustomGridRowViewInfo::GetFocusRectBounds() {
  TRect r = Bounds;
  r.left = GetCellsAreaLeft();
  TcxGridLines lines = TableViewInfo()->GetGridLines();
  if (lines != glNone) r.right -= GridLineWidth();
  r.bottom = r.top + GetDataHeight();
  if (lines == glBoth || lines == glHorizontal) r.bottom -= GridLineWidth();
  return r;
}

void TcxCustomGridRowViewInfo::Calculate(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (AWidth == -1) AWidth = RowsViewInfo()->GetDataWidth();
  inherited::Calculate(ALeft, ATop, AWidth, AHeight);
  if (FIndicatorItem) FIndicatorItem->Indicator()->PlaceRowItem(this, FIndicatorItem.get());
}

void TcxCustomGridRowViewInfo::GetBoundsForInvalidate(TcxCustomGridTableItem* AItem, TRect& R) {
  inherited::GetBoundsForInvalidate(AItem, R);
  if (!AItem && FIndicatorItem && FIndicatorItem->Indicator()->GetVisible() && FIndicatorItem->Bounds.left < R.left)
    R.left = FIndicatorItem->Bounds.left;
}

void TcxCustomGridRowViewInfo::Offset(Integer DX, Integer DY) {
  inherited::Offset(DX, DY);
  // The indicator column does not scroll sideways.
  if (FIndicatorItem) FIndicatorItem->MoveBy(0, DY);
}

bool TcxCustomGridRowViewInfo::MouseDown(TcxCustomGridHitTest* AHitTest, TMouseButton AButton, TShiftState AShift) {
  ViewDestroyGuard guard(GridView());
  bool result = inherited::MouseDown(AHitTest, AButton, AShift);
  if (!guard.Alive()) return result;
  auto* row = dynamic_cast<TcxCustomGridRow*>(GridRecord());
  if (AShift.Contains(ssDouble) && row && row->CanExpandOnDblClick()) {
    if (row->Expanded())
      row->Collapse(false);
    else
      row->Expand(false);
    result = true;
  }
  return result;
}

TcxCustomGridHitTest* TcxCustomGridRowViewInfo::GetHitTest(const TPoint& P) {
  TcxCustomGridHitTest* result = inherited::GetHitTest(P);
  if (result && IsRecordHitTest(result) && !dynamic_cast<TcxGridExpandButtonHitTest*>(result) &&
      P.x >= Bounds.left && P.x < GetDataLeft()) {
    result = TcxCustomGridHitTest::Instance(TcxGridRowLevelIndentHitTest::StaticClass(), P);
    InitHitTest(result);
  }
  return result;
}

TClass TcxCustomGridRowViewInfo::GetPainterClass() { return TcxCustomGridRowPainter::StaticClass(); }

// --- Row painter.

void TcxCustomGridRowPainter::DrawContent() {
  DrawLevelIndents();
  if (RowViewInfo()->HasBottomGridLine()) DrawBottomGridLine();
  if (RowViewInfo()->SeparatorWidth() != 0) DrawSeparator();
}

void TcxCustomGridRowPainter::DrawLevelIndents() {
  TcxCustomGridRowViewInfo* row = RowViewInfo();
  TcxGridTableViewInfo* table = row->TableViewInfo();
  for (Integer i = 0; i < row->Level(); ++i) {
    TRect r;
    row->GetLevelIndentBackgroundBounds(i, r);
    if (TBitmap* bitmap = table->GetGroupBackgroundBitmap()) {
      Canvas()->FillRectangle(r, bitmap);
    } else {
      Canvas()->Brush()->SetColor(table->GetLevelColor(i));
      Canvas()->FillRectangle(r);
    }
    Canvas()->Brush()->SetColor(table->GetGridLineColor());
    row->GetLevelIndentVertLineBounds(i, r);
    Canvas()->FillRectangle(r);
    row->GetLevelIndentHorzLineBounds(i, r);
    Canvas()->FillRectangle(r);
  }
}

void TcxCustomGridRowPainter::DrawBottomGridLine() {
  TRect r;
  RowViewInfo()->GetBottomGridLineBounds(r);
  Canvas()->Brush()->SetColor(RowViewInfo()->TableViewInfo()->GetGridLineColor());
  Canvas()->FillRectangle(r);
}

void TcxCustomGridRowPainter::DrawSeparator() {
  TRect r;
  RowViewInfo()->GetSeparatorBounds(r);
  Canvas()->Brush()->SetColor(RowViewInfo()->GetSeparatorColor());
  Canvas()->FillRectangle(r);
}

// =======================================================================================
// Cells of rows.

void TcxGridCellViewInfo::GetViewParams(TcxViewParams& AParams) {
  RowViewInfo()->TableView()->Styles()->GetRecordContentParams(GridRecord(), nullptr, AParams);
}

TcxGridDataRowCellsAreaViewInfo::TcxGridDataRowCellsAreaViewInfo(TcxCustomGridRecordViewInfo* ARecordViewInfo)
    : TcxGridCellViewInfo(ARecordViewInfo) {
  FVisibleWithoutColumns = IsVisibleWithoutColumns();
}

bool TcxGridDataRowCellsAreaViewInfo::IsVisibleWithoutColumns() { return TableViewInfo()->columnCount() == 0; }

TcxGridDataRowViewInfo* TcxGridDataCellViewInfo::RowViewInfo() const {
  return static_cast<TcxGridDataRowViewInfo*>(RecordViewInfo());
}
TcxGridTableViewInfo* TcxGridDataCellViewInfo::TableViewInfo() const { return RowViewInfo()->TableViewInfo(); }
TColor TcxGridDataCellViewInfo::GetBorderColor(TcxBorder) { return TableViewInfo()->GetGridLineColor(); }
Integer TcxGridDataCellViewInfo::GetBorderWidth(TcxBorder) { return TableViewInfo()->GetGridLineWidth(); }

Integer TcxGridDataCellViewInfo::CalculateWidth() {
  return Item() ? RowViewInfo()->GetCellWidth(Item()->VisibleIndex()) : 0;
}

TcxGridBorders TcxGridDataCellViewInfo::GetBorders() {
  bool rightmost = Item() && Item()->VisibleIndex() == TableViewInfo()->columnCount() - 1;
  return RowViewInfo()->GetCellBorders(rightmost);
}

bool TcxGridDataCellViewInfo::CalculateMultiLine() { return RowViewInfo()->IsAutoHeight(); }

TClass TcxGridDataCellViewInfo::GetPainterClass() { return TcxGridDataCellPainter::StaticClass(); }

// =======================================================================================
// Data row layout.

TcxGridDataRowViewInfo::TcxGridDataRowViewInfo(const TArgs* AArgs) : TcxCustomGridRowViewInfo(AArgs) {
  FCellsArea.reset(As<TcxGridDataRowCellsAreaViewInfo>(GetCellsAreaViewInfoClass()->CreateInstance(static_cast<TcxCustomGridRecordViewInfo*>(this))));
  FCells.assign(static_cast<size_t>(TableViewInfo()->columnCount()), nullptr);
}

void TcxGridDataRowViewInfo::BeforeDestruction() {
  for (Integer i = 0; i < GetCellCount(); ++i) freeCell(i);
  FCellsArea.reset();
  inherited::BeforeDestruction();
}

void TcxGridDataRowViewInfo::freeCell(Integer AIndex) {
  TcxGridDataCellViewInfo*& cell = FCells[static_cast<size_t>(AIndex)];
  FreeObject(cell);
  cell = nullptr;
}

TcxGridDataCellViewInfo* TcxGridDataRowViewInfo::FindCell(Integer AIndex) const {
  return AIndex >= 0 && AIndex < static_cast<Integer>(FCells.size()) ? FCells[static_cast<size_t>(AIndex)] : nullptr;
}

TcxGridDataCellViewInfo* TcxGridDataRowViewInfo::GetCell(Integer AIndex) {
  TcxGridDataCellViewInfo*& cell = FCells.at(static_cast<size_t>(AIndex));
  if (!cell) {
    TcxGridTableDataCellViewInfo::TArgs args{this, TableView()->VisibleItems(AIndex)};
    cell = As<TcxGridDataCellViewInfo>(GetCellViewInfoClass(AIndex)->CreateInstance(&args));
  }
  return cell;
}

void TcxGridDataRowViewInfo::SetHeight(Integer AHeight) {
  if (AHeight != GetCurrentHeight()) TableView()->OptionsView()->SetDataRowHeight(AHeight - GetFixedHeight());
}

void TcxGridDataRowViewInfo::CheckHeight(Integer& AHeight) {
  AHeight -= GetFixedHeight();
  if (AHeight < 0) AHeight = 0;
  AHeight += GetFixedHeight();
}

void TcxGridDataRowViewInfo::CalculateCell(Integer AIndex) {
  GetCell(AIndex)->Calculate(GetCellLeft(AIndex), GetCellTop(AIndex), -1, GetRowCellHeight(AIndex));
}

Integer TcxGridDataRowViewInfo::GetRowCellHeight(Integer AIndex) {
  return TableViewInfo()->GetRowCellHeight(AIndex, FCellsHeight);
}

Integer TcxGridDataRowViewInfo::CalculateCellsHeight() {
  // The preview line is not part of this program yet: the cells fill the data part.
  if (IsAutoHeight()) return GetDataHeight();
  return RowsViewInfo()->ContentRowHeight();
}

Integer TcxGridDataRowViewInfo::GetCellLeft(Integer AIndex) {
  Integer left = 0;
  Integer width = 0;
  TableViewInfo()->columnDataSpan(AIndex, left, width);
  // The columns follow the row's horizontal position.
  return left + (Bounds.left - RowsViewInfo()->DataArea().left);
}

Integer TcxGridDataRowViewInfo::GetCellTop(Integer AIndex) {
  return TableViewInfo()->GetCellTopOffset(AIndex, FCellsHeight) + FCellsAreaBounds.top;
}

void TcxGridDataRowViewInfo::GetCellsAreaBounds(TRect& R) {
  R.left = GetCellsAreaLeft();
  R.right = R.left + GetCellsAreaWidth();
  R.top = Bounds.top;
  R.bottom = R.top + GetDataHeight();
}

TClass TcxGridDataRowViewInfo::GetCellViewInfoClass(Integer AIndex) { return TcxGridDataCellViewInfo::StaticClass(); }

Integer TcxGridDataRowViewInfo::GetCellWidth(Integer AIndex) {
  Integer left = 0;
  Integer width = 0;
  TableViewInfo()->columnDataSpan(AIndex, left, width);
  return width;
}

bool TcxGridDataRowViewInfo::HasPreview() {
  return TableView()->Preview()->Visible() && TableView()->Preview()->Column() != nullptr;
}

bool TcxGridDataRowViewInfo::IsCellVisible(Integer AIndex) { return TableViewInfo()->isColumnVisible(AIndex); }

Integer TcxGridDataRowViewInfo::CalculateHeight() {
  TcxGridRowsViewInfo* rows = RowsViewInfo();
  Integer height;
  if (IsAutoHeight()) {
    height = 0;
    for (Integer i = 0; i < GetCellCount(); ++i) height = std::max(height, GetCell(i)->CalculateHeight());
    height = std::max(rows->AdjustRowHeight(height), rows->DataRowHeight());
  } else {
    height = rows->DataRowHeight();
  }
  return height + inherited::CalculateHeight();
}

void TcxGridDataRowViewInfo::Calculate(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  inherited::Calculate(ALeft, ATop, AWidth, AHeight);
  GetCellsAreaBounds(FCellsAreaBounds);
  FCellsHeight = CalculateCellsHeight();
  for (Integer i = 0; i < GetCellCount(); ++i)
    if (IsCellVisible(i)) CalculateCell(i);
  if (FCellsArea->GetVisible()) FCellsArea->CalculateBounds(FCellsAreaBounds);
}

void TcxGridDataRowViewInfo::Offset(Integer DX, Integer DY) {
  inherited::Offset(DX, DY);
  OffsetRect(FCellsAreaBounds, DX, DY);
  for (Integer i = 0; i < GetCellCount(); ++i) {
    TcxGridDataCellViewInfo* cell = FindCell(i);
    if (IsCellVisible(i)) {
      if (cell && cell->Calculated)
        cell->MoveBy(DX, DY);
      else
        CalculateCell(i);
    } else if (cell && DX != 0) {
      freeCell(i);
    }
  }
  FCellsArea->MoveBy(DX, DY);
}

void TcxGridDataRowViewInfo::GetCellBounds(TcxCustomGridTableItem* AItem, TRect& R) {
  TcxGridDataCellViewInfo* cell = AItem ? FindCell(AItem->VisibleIndex()) : nullptr;
  R = cell ? cell->Bounds : TRect{0, 0, 0, 0};
}

TcxGridTableDataCellViewInfo* TcxGridDataRowViewInfo::GetCellViewInfoByItem(TcxCustomGridTableItem* AItem) {
  if (!AItem || AItem->VisibleIndex() < 0) return nullptr;
  TcxCustomGrid* grid = GridView()->Grid();
  if (grid && grid->UpdateLockCount() != 0) return nullptr;
  return FindCell(AItem->VisibleIndex());
}

TcxCustomGridHitTest* TcxGridDataRowViewInfo::GetHitTest(const TPoint& P) {
  TcxCustomGridHitTest* result = inherited::GetHitTest(P);
  if (result && result->ViewInfo == this && !dynamic_cast<TcxGridExpandButtonHitTest*>(result)) {
    for (TcxGridDataCellViewInfo* cell : FCells)
      if (cell && cell->Calculated)
        if (TcxCustomGridHitTest* cellResult = cell->GetHitTest(P)) return cellResult;
  }
  return result;
}

void TcxGridDataRowViewInfo::InvalidateParams() {
  inherited::InvalidateParams();
  FCellsArea->InvalidateParams();
  for (TcxGridDataCellViewInfo* cell : FCells)
    if (cell) cell->InvalidateParams();
}

TClass TcxGridDataRowViewInfo::GetPainterClass() { return TcxGridDataRowPainter::StaticClass(); }

// --- Data row painter.

void TcxGridDataRowPainter::DrawContent() {
  TcxGridDataRowViewInfo* row = DataRowViewInfo();
  if (NeedsCellsDrawing()) {
    std::unique_ptr<TcxRegion, TObjectDeleter> saved(Canvas()->GetClipRegion());
    for (Integer i = 0; i < row->GetCellCount(); ++i)
      if (TcxGridDataCellViewInfo* cell = row->FindCell(i))
        if (cell->Calculated && row->IsCellVisible(i)) cell->Paint(Canvas());
    if (row->CellsAreaViewInfo()->GetVisible()) row->CellsAreaViewInfo()->Paint(Canvas());
    Canvas()->SetClipRegion(saved.release(), roSet);
  }
  inherited::DrawContent();
}

void TcxGridDataCellPainter::DrawBorder(TcxBorder ASide) {
  auto* painter = dynamic_cast<TcxGridTablePainter*>(CellViewInfo()->GridView()->Painter());
  TRect r;
  ViewInfo()->GetBorderBounds(ASide, r);
  if (IsMainCanvas() && painter && painter->AddGridLine(r)) return;
  inherited::DrawBorder(ASide);
}

RTL_IMPLEMENT_CLASS(TcxCustomGridRowViewInfo)
RTL_IMPLEMENT_CLASS(TcxCustomGridRowPainter)
RTL_IMPLEMENT_CLASS(TcxGridCellViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridDataRowCellsAreaViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridDataCellViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridDataRowViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridDataRowPainter)
RTL_IMPLEMENT_CLASS(TcxGridDataCellPainter)
