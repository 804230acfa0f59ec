#pragma once
// cxGridRows: the layout of the tabular view's rows. A row's rectangle holds, from left
// to right, one level indent per grouping level the row is nested in and the data part;
// from top to bottom the data part, the group footers that close groups after the row,
// the row separator and, for the last row of some grid-line settings, a bottom grid line.
// A data row divides its data part into one cell per visible column, placed under the
// column's header, and decides its height from the options or from its cells' content.
//
// A row owns its cell in the indicator column. Not part of this program yet, and so
// absent from a row: group footers and the preview line.
#include <vector>

#include "cx/grid/cxGridCustomTableView.h"
#include "cx/grid/cxGridTableView.h"

class TcxGridDataRowViewInfo;

// The common layout of every row of a tabular view.
class TcxCustomGridRowViewInfo : public TcxCustomGridRecordViewInfo {
  RTL_DECLARE_CLASS(TcxCustomGridRowViewInfo, TcxCustomGridRecordViewInfo)
public:
  explicit TcxCustomGridRowViewInfo(const TArgs* AArgs);
  void BeforeDestruction() override;

  TcxGridRowsViewInfo* RowsViewInfo() const { return static_cast<TcxGridRowsViewInfo*>(RecordsViewInfo()); }
  TcxGridTableViewInfo* TableViewInfo() const { return RowsViewInfo()->TableViewInfo(); }
  TcxGridTableView* TableView() const { return RowsViewInfo()->TableView(); }
  Integer Level() { return GridRecord()->Level(); }
  Integer LevelIndent() { return TableViewInfo()->LevelIndent(); }
  Integer SeparatorWidth() { return HasSeparator() ? TableView()->OptionsView()->RowSeparatorWidth() : 0; }
  Integer GridLineWidth() { return TableViewInfo()->GetGridLineWidth(); }

  virtual bool CanSize() { return false; }
  virtual void CheckHeight(Integer& AHeight) = 0;
  virtual Integer GetSizableHeight() { return GetDataHeight(); }
  virtual Integer GetNonDataHeight();
  virtual Integer GetDataLeft() { return Bounds.left + GetRowIndentWidth(); }
  virtual Integer GetDataHeight() { return GetHeight() - GetNonDataHeight(); }
  virtual Integer GetCellsAreaLeft() { return GetDataLeft(); }
  virtual Integer GetCellsAreaWidth() { return GetContentWidth(); }
  virtual void GetBottomGridLineBounds(TRect& R);
  virtual Integer GetHeightInLayout() { return GetHeight(); }
  virtual Integer GetFixedHeight() { return GetHeight() - GetSizableHeight(); }
  virtual Integer GetCurrentHeight() { return GetHeight(); }
  virtual void GetSeparatorBounds(TRect& R);
  virtual TColor GetSeparatorColor();
  virtual bool HasSeparator() { return true; }
  virtual bool HasFooter(Integer AIndex);
  virtual bool HasBottomGridLine();
  virtual void SetHeight(Integer AHeight) = 0;

  // Whether the group of nesting depth ADepth (0 = innermost) ends after this row.
  bool GroupEndsHere(Integer ADepth);
  Integer GetRowIndentWidth() { return Level() * LevelIndent(); }
  void GetLevelIndentBounds(Integer AIndex, TRect& R);
  void GetLevelIndentBackgroundBounds(Integer AIndex, TRect& R);
  void GetLevelIndentVertLineBounds(Integer AIndex, TRect& R);
  void GetLevelIndentHorzLineBounds(Integer AIndex, TRect& R);
  // The row's cell in the indicator column; null when the view has no indicator column.
  TcxGridIndicatorRowItemViewInfo* IndicatorItem() const { return FIndicatorItem.get(); }
  // The indicator cell is going (its column frees it): the row forgets it.
  void IndicatorItemDestroyed(TcxGridIndicatorRowItemViewInfo* AItem);

  Integer CalculateHeight() override { return GetNonDataHeight(); }
  Integer CalculateWidth() override { return 0; }
  Integer GetContentWidth() override { return Bounds.right - Bounds.left - GetRowIndentWidth(); }
  bool IsAutoHeight() override { return TableView()->OptionsView()->CellAutoHeight(); }
  bool HasCellBackgroundBitmap(TcxGridTableCellViewInfo* ACell) override {
    return HasBackgroundBitmap() && !ACell->GetSelected();
  }
  // A partly shown last row counts as visible.
  bool GetVisible() override;
  void CalculateContentBounds(TRect& R) override;
  TRect GetFocusRectBounds() override;
  void Calculate(Integer ALeft, Integer ATop, Integer AWidth = -1, Integer AHeight = -1) override;
  void Offset(Integer DX, Integer DY) override;
  // The whole row reaches over its indicator cell.
  void GetBoundsForInvalidate(TcxCustomGridTableItem* AItem, TRect& R) override;
  bool MouseDown(TcxCustomGridHitTest* AHitTest, TMouseButton AButton, TShiftState AShift) override;
  TcxCustomGridHitTest* GetHitTest(const TPoint& P) override;
  TClass GetPainterClass() override;

private:
  TObjectPtr<TcxGridIndicatorRowItemViewInfo> FIndicatorItem;
};

// Paints what every row has besides its data: level indents, the bottom grid line and
// the separator; then the record's own after-paint (focus frame, background exclusion).
class TcxCustomGridRowPainter : public TcxCustomGridRecordPainter {
  RTL_DECLARE_CLASS(TcxCustomGridRowPainter, TcxCustomGridRecordPainter)
public:
  using TcxCustomGridRecordPainter::TcxCustomGridRecordPainter;
  TcxCustomGridRowViewInfo* RowViewInfo() const { return static_cast<TcxCustomGridRowViewInfo*>(ViewInfo()); }

protected:
  void DrawContent() override;
  virtual void DrawLevelIndents();
  virtual void DrawBottomGridLine();
  virtual void DrawSeparator();
};

// The common base of the cells that live in a row.
class TcxGridCellViewInfo : public TcxGridTableCellViewInfo {
  RTL_DECLARE_CLASS(TcxGridCellViewInfo, TcxGridTableCellViewInfo)
public:
  using TcxGridTableCellViewInfo::TcxGridTableCellViewInfo;
  TcxCustomGridRowViewInfo* RowViewInfo() const { return static_cast<TcxCustomGridRowViewInfo*>(RecordViewInfo()); }
  TcxGridTableViewInfo* TableViewInfo() const { return RowViewInfo()->TableViewInfo(); }
  TColor GetBorderColor(TcxBorder) override { return TableViewInfo()->GetGridLineColor(); }
  Integer GetBorderWidth(TcxBorder) override { return TableViewInfo()->GetGridLineWidth(); }
  void GetViewParams(TcxViewParams& AParams) override;
};

// The data part of a row in a view without visible columns.
class TcxGridDataRowCellsAreaViewInfo : public TcxGridCellViewInfo {
  RTL_DECLARE_CLASS(TcxGridDataRowCellsAreaViewInfo, TcxGridCellViewInfo)
public:
  explicit TcxGridDataRowCellsAreaViewInfo(TcxCustomGridRecordViewInfo* ARecordViewInfo);
  Integer CalculateHeight() override { return 0; }
  Integer CalculateWidth() override { return 0; }
  TcxGridBorders GetBorders() override { return TableViewInfo()->GetCellBorders(true); }
  bool GetVisible() override { return FVisibleWithoutColumns; }
  bool IsVisibleWithoutColumns();

private:
  bool FVisibleWithoutColumns = false;
};

// The cell of one column in a data row.
class TcxGridDataCellViewInfo : public TcxGridTableDataCellViewInfo {
  RTL_DECLARE_CLASS(TcxGridDataCellViewInfo, TcxGridTableDataCellViewInfo)
public:
  using TcxGridTableDataCellViewInfo::TcxGridTableDataCellViewInfo;
  TcxGridDataRowViewInfo* RowViewInfo() const;
  TcxGridTableViewInfo* TableViewInfo() const;
  TColor GetBorderColor(TcxBorder) override;
  Integer GetBorderWidth(TcxBorder) override;
  Integer CalculateWidth() override;
  TcxGridBorders GetBorders() override;
  bool CalculateMultiLine() override;
  TClass GetPainterClass() override;
};

// The layout of a data row.
class TcxGridDataRowViewInfo : public TcxCustomGridRowViewInfo {
  RTL_DECLARE_CLASS(TcxGridDataRowViewInfo, TcxCustomGridRowViewInfo)
public:
  explicit TcxGridDataRowViewInfo(const TArgs* AArgs);
  void BeforeDestruction() override;

  TRect CellsAreaBounds() const { return FCellsAreaBounds; }
  Integer CellsHeight() const { return FCellsHeight; }
  TcxGridDataRowCellsAreaViewInfo* CellsAreaViewInfo() const { return FCellsArea.get(); }

  void SetHeight(Integer AHeight) override;
  virtual void CalculateCell(Integer AIndex);
  virtual Integer GetRowCellHeight(Integer AIndex);
  virtual Integer CalculateCellsHeight();
  virtual Integer GetCellLeft(Integer AIndex);
  virtual Integer GetCellTop(Integer AIndex);
  virtual void GetCellsAreaBounds(TRect& R);
  virtual TClass GetCellsAreaViewInfoClass() { return RowsViewInfo()->GetCellsAreaViewInfoClass(); }
  virtual TClass GetCellViewInfoClass(Integer AIndex);
  virtual Integer GetCellWidth(Integer AIndex);
  virtual bool HasPreview();
  virtual bool IsCellVisible(Integer AIndex);
  virtual void CellParamsInvalidated(TcxGridDataCellViewInfo* ACell) {}
  virtual TcxBorders GetCellBorders(bool AIsRightmost) { return TableViewInfo()->GetCellBorders(AIsRightmost); }

  // The cell of a column by visible index, made on first access.
  TcxGridDataCellViewInfo* GetCell(Integer AIndex);
  Integer GetCellCount() override { return static_cast<Integer>(FCells.size()); }
  // The cell of a column when it exists (not made here).
  TcxGridDataCellViewInfo* FindCell(Integer AIndex) const;
  Integer GetNewItemRowSeparatorWidth() { return TableView()->OptionsView()->NewItemRowSeparatorWidth(); }

  Integer CalculateHeight() override;
  bool CanSize() override { return RowsViewInfo()->CanDataRowSize(); }
  void CheckHeight(Integer& AHeight) override;
  bool IsAutoHeight() override { return RowsViewInfo()->GetAutoRecordHeight(); }
  void Calculate(Integer ALeft, Integer ATop, Integer AWidth = -1, Integer AHeight = -1) override;
  void Offset(Integer DX, Integer DY) override;
  void GetCellBounds(TcxCustomGridTableItem* AItem, TRect& R) override;
  TcxGridTableDataCellViewInfo* GetCellViewInfoByItem(TcxCustomGridTableItem* AItem) override;
  TcxCustomGridHitTest* GetHitTest(const TPoint& P) override;
  void InvalidateParams() override;
  TClass GetPainterClass() override;

private:
  void freeCell(Integer AIndex);
  Integer FCellsHeight = 0;
  TRect FCellsAreaBounds{0, 0, 0, 0};
  TObjectPtr<TcxGridDataRowCellsAreaViewInfo> FCellsArea;
  std::vector<TcxGridDataCellViewInfo*> FCells;
};

class TcxGridDataRowPainter : public TcxCustomGridRowPainter {
  RTL_DECLARE_CLASS(TcxGridDataRowPainter, TcxCustomGridRowPainter)
public:
  using TcxCustomGridRowPainter::TcxCustomGridRowPainter;
  TcxGridDataRowViewInfo* DataRowViewInfo() const { return static_cast<TcxGridDataRowViewInfo*>(ViewInfo()); }
  virtual bool NeedsCellsDrawing() { return true; }

protected:
  void DrawContent() override;
};

// Hands the cell's grid lines to the view painter's list (drawn in one pass after the
// rows) unless the cell is painted outside that pass.
class TcxGridDataCellPainter : public TcxGridTableDataCellPainter {
  RTL_DECLARE_CLASS(TcxGridDataCellPainter, TcxGridTableDataCellPainter)
public:
  using TcxGridTableDataCellPainter::TcxGridTableDataCellPainter;

protected:
  void DrawBorder(TcxBorder ASide) override;
};
