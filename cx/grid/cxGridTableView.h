#pragma once
// cxGridTableView: the grid's tabular view. Records are rows under a column header, with a
// group-by box, a footer, group footers, a filter box, an indicator column, a preview line
// and a new-item row. This unit holds the view's class choices, its option objects with
// their defaults, the preview options, the indexed styles and background bitmaps, the
// events the view raises and the four stored-property names it adds.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cx/foundation/cxGraphics.h"
#include "cx/grid/cxGridCustomTableView.h"

class TcxGridTableView;
class TcxGridTableViewInfo;
class TcxGridColumn;

RTL_ENUM(TcxGridGroupFootersMode, gfInvisible, gfVisibleWhenExpanded, gfAlwaysVisible)
RTL_ENUM(TcxGridPreviewPlace, ppBottom, ppTop)

// "Clique aqui para adicionar uma nova linha" in the program's string table.
extern const TResStringRec scxGridNewItemRowInfoText;

// Style indexes of the tabular view (continuing the record view's 0-6).
constexpr Integer vsFilterBox = 7;
constexpr Integer vsFooter = 8;
constexpr Integer vsGroup = 9;
constexpr Integer vsGroupByBox = 10;
constexpr Integer vsHeader = 11;
constexpr Integer vsNewItemRowInfoText = 12;
constexpr Integer vsIndicator = 13;
constexpr Integer vsPreview = 14;

// Background bitmap indexes (continuing the record view's 0-1).
constexpr Integer bbFilterBox = 2;
constexpr Integer bbFooter = 3;
constexpr Integer bbHeader = 4;
constexpr Integer bbGroup = 5;
constexpr Integer bbGroupByBox = 6;
constexpr Integer bbIndicator = 7;
constexpr Integer bbPreview = 8;

// The view events. The drawing events take the view info of what is drawn; their view-info
// classes come with the layout, so they are typed by the cell view-info base here.
using TcxGridColumnEvent = TEvent<void(TcxGridTableView* Sender, TcxCustomGridTableItem* AColumn)>;
using TcxGridColumnCustomDrawHeaderEvent =
    TEvent<void(TcxGridTableView* Sender, TcxCanvas* ACanvas, TcxCustomGridCellViewInfo* AViewInfo, bool& ADone)>;
using TcxGridTableCellCustomDrawEvent =
    TEvent<void(TcxCustomGridTableView* Sender, TcxCanvas* ACanvas, TcxCustomGridCellViewInfo* AViewInfo, bool& ADone)>;
using TcxGridIndicatorCellCustomDrawEvent = TcxGridColumnCustomDrawHeaderEvent;
using TcxGridPartCustomDrawBackgroundEvent = TcxGridColumnCustomDrawHeaderEvent;
using TcxGridGetGroupStyleEvent =
    TEvent<void(TcxGridTableView* Sender, TcxCustomGridRecord* ARecord, Integer ALevel, TcxStyle*& AStyle)>;
using TcxGridGetHeaderStyleEvent =
    TEvent<void(TcxGridTableView* Sender, TcxCustomGridTableItem* AColumn, TcxStyle*& AStyle)>;

// ---------------------------------------------------------------------------------------
// Options.

class TcxGridTableOptionsView : public TcxCustomGridTableOptionsView {
  RTL_DECLARE_CLASS(TcxGridTableOptionsView, TcxCustomGridTableOptionsView)
public:
  explicit TcxGridTableOptionsView(TcxCustomGridView* AGridView);
  void Assign(TPersistent* Source) override;
  TcxGridTableView* GridView() const;

  bool ColumnAutoWidth() const { return FColumnAutoWidth; }
  void SetColumnAutoWidth(bool Value);
  Integer DataRowHeight() const { return FDataRowHeight; }
  void SetDataRowHeight(Integer Value);
  bool ExpandButtonsForEmptyDetails() const { return FExpandButtonsForEmptyDetails; }
  void SetExpandButtonsForEmptyDetails(bool Value);
  bool Footer() const { return FFooter; }
  void SetFooter(bool Value);
  // The stored colour; GetGridLineColor resolves clDefault through the painter.
  TColor GridLineColor() const { return FGridLineColor; }
  void SetGridLineColor(TColor Value);
  TColor GetGridLineColor();
  TcxGridLines GridLines() const { return FGridLines; }
  void SetGridLines(TcxGridLines Value);
  bool GroupByBox() const { return FGroupByBox; }
  void SetGroupByBox(bool Value);
  TcxGridGroupFootersMode GroupFooters() const { return FGroupFooters; }
  void SetGroupFooters(TcxGridGroupFootersMode Value);
  Integer GroupRowHeight() const { return FGroupRowHeight; }
  void SetGroupRowHeight(Integer Value);
  bool Header() const { return FHeader; }
  void SetHeader(bool Value);
  Integer HeaderHeight() const { return FHeaderHeight; }
  void SetHeaderHeight(Integer Value);
  bool Indicator() const { return FIndicator; }
  void SetIndicator(bool Value);
  Integer IndicatorWidth() const { return FIndicatorWidth; }
  void SetIndicatorWidth(Integer Value);
  bool NewItemRow() const { return FNewItemRow; }
  void SetNewItemRow(bool Value);
  const std::string& NewItemRowInfoText() const { return FNewItemRowInfoText; }
  void SetNewItemRowInfoText(const std::string& Value);
  bool IsNewItemRowInfoTextStored() const;
  TColor NewItemRowSeparatorColor() const { return FNewItemRowSeparatorColor; }
  void SetNewItemRowSeparatorColor(TColor Value);
  TColor GetNewItemRowSeparatorColor();
  Integer NewItemRowSeparatorWidth() const { return FNewItemRowSeparatorWidth; }
  void SetNewItemRowSeparatorWidth(Integer Value);
  TColor RowSeparatorColor() const { return FRowSeparatorColor; }
  void SetRowSeparatorColor(TColor Value);
  TColor GetRowSeparatorColor();
  Integer RowSeparatorWidth() const { return FRowSeparatorWidth; }
  void SetRowSeparatorWidth(Integer Value);

protected:
  virtual void CheckDataRowHeight(Integer& AValue) { if (AValue < 0) AValue = 0; }
  virtual void CheckGroupRowHeight(Integer& AValue) { if (AValue < 0) AValue = 0; }

private:
  bool FColumnAutoWidth = false;
  Integer FDataRowHeight = 0;
  bool FExpandButtonsForEmptyDetails = true;
  bool FFooter = false;
  TColor FGridLineColor = clDefault;
  TcxGridLines FGridLines = glBoth;
  bool FGroupByBox = true;
  TcxGridGroupFootersMode FGroupFooters = gfInvisible;
  Integer FGroupRowHeight = 0;
  bool FHeader = true;
  Integer FHeaderHeight = 0;
  bool FIndicator = false;
  Integer FIndicatorWidth = 12;
  bool FNewItemRow = false;
  std::string FNewItemRowInfoText;
  TColor FNewItemRowSeparatorColor = clDefault;
  Integer FNewItemRowSeparatorWidth = 6;
  TColor FRowSeparatorColor = clDefault;
  Integer FRowSeparatorWidth = 0;
};

class TcxGridTableOptionsBehavior : public TcxCustomGridTableOptionsBehavior {
  RTL_DECLARE_CLASS(TcxGridTableOptionsBehavior, TcxCustomGridTableOptionsBehavior)
public:
  using TcxCustomGridTableOptionsBehavior::TcxCustomGridTableOptionsBehavior;
};

// The column names of the record view's grouping, moving and sorting flags, plus the
// column-only permissions.
class TcxGridTableOptionsCustomize : public TcxCustomGridTableOptionsCustomize {
  RTL_DECLARE_CLASS(TcxGridTableOptionsCustomize, TcxCustomGridTableOptionsCustomize)
public:
  using TcxCustomGridTableOptionsCustomize::TcxCustomGridTableOptionsCustomize;
  void Assign(TPersistent* Source) override;
  bool ColumnFiltering() const { return FColumnFiltering; }
  void SetColumnFiltering(bool Value);
  bool ColumnGrouping() const { return ItemGrouping(); }
  void SetColumnGrouping(bool Value) { SetItemGrouping(Value); }
  bool ColumnHiding() const { return FColumnHiding; }
  void SetColumnHiding(bool Value) { FColumnHiding = Value; }
  bool ColumnHidingOnGrouping() const { return FColumnHidingOnGrouping; }
  void SetColumnHidingOnGrouping(bool Value) { FColumnHidingOnGrouping = Value; }
  bool ColumnHorzSizing() const { return FColumnHorzSizing; }
  void SetColumnHorzSizing(bool Value);
  bool ColumnMoving() const { return ItemMoving(); }
  void SetColumnMoving(bool Value) { SetItemMoving(Value); }
  bool ColumnSorting() const { return ItemSorting(); }
  void SetColumnSorting(bool Value) { SetItemSorting(Value); }
  bool DataRowSizing() const { return FDataRowSizing; }
  void SetDataRowSizing(bool Value) { FDataRowSizing = Value; }
  bool GroupRowSizing() const { return FGroupRowSizing; }
  void SetGroupRowSizing(bool Value) { FGroupRowSizing = Value; }

private:
  bool FColumnFiltering = true;
  bool FColumnHiding = false;
  bool FColumnHidingOnGrouping = true;
  bool FColumnHorzSizing = true;
  bool FDataRowSizing = false;
  bool FGroupRowSizing = false;
};

class TcxGridTableOptionsData : public TcxCustomGridTableOptionsData {
  RTL_DECLARE_CLASS(TcxGridTableOptionsData, TcxCustomGridTableOptionsData)
public:
  using TcxCustomGridTableOptionsData::TcxCustomGridTableOptionsData;
};

class TcxGridTableOptionsSelection : public TcxCustomGridTableOptionsSelection {
  RTL_DECLARE_CLASS(TcxGridTableOptionsSelection, TcxCustomGridTableOptionsSelection)
public:
  using TcxCustomGridTableOptionsSelection::TcxCustomGridTableOptionsSelection;
};

class TcxGridTableFiltering : public TcxCustomGridTableFiltering {
  RTL_DECLARE_CLASS(TcxGridTableFiltering, TcxCustomGridTableFiltering)
public:
  using TcxCustomGridTableFiltering::TcxCustomGridTableFiltering;
};

// One column's text shown in a line under (or above) each data row.
class TcxGridPreview : public TcxCustomGridOptions {
  RTL_DECLARE_CLASS(TcxGridPreview, TcxCustomGridOptions)
public:
  using TcxCustomGridOptions::TcxCustomGridOptions;
  void Assign(TPersistent* Source) override;
  TcxGridTableView* GridView() const;

  bool AutoHeight() const { return FAutoHeight; }
  void SetAutoHeight(bool Value);
  // A column of another view is taken as none.
  TcxCustomGridTableItem* Column() const { return FColumn; }
  void SetColumn(TcxCustomGridTableItem* Value);
  Integer LeftIndent() const { return FLeftIndent; }
  void SetLeftIndent(Integer Value);
  Integer MaxLineCount() const { return FMaxLineCount; }
  void SetMaxLineCount(Integer Value);
  TcxGridPreviewPlace Place() const { return FPlace; }
  void SetPlace(TcxGridPreviewPlace Value);
  Integer RightIndent() const { return FRightIndent; }
  void SetRightIndent(Integer Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // Visible with a column.
  bool Active() const { return FVisible && FColumn != nullptr; }
  // Called by the view when an item leaves it.
  void ItemRemoved(TcxCustomGridTableItem* AItem);

private:
  void propertyChanged();
  bool FAutoHeight = true;
  TcxCustomGridTableItem* FColumn = nullptr;
  Integer FLeftIndent = 20;
  Integer FMaxLineCount = 3;
  TcxGridPreviewPlace FPlace = ppBottom;
  Integer FRightIndent = 5;
  bool FVisible = false;
};

// ---------------------------------------------------------------------------------------
// Styles and background bitmaps.

class TcxGridTableViewStyles : public TcxCustomGridTableViewStyles {
  RTL_DECLARE_CLASS(TcxGridTableViewStyles, TcxCustomGridTableViewStyles)
public:
  using TcxCustomGridTableViewStyles::TcxCustomGridTableViewStyles;
  void Assign(TPersistent* Source) override;
  void GetDefaultVisualParams(Integer AIndex, TObject* AData, TcxViewParams& AParams) override;
  void GetRecordContentParams(TcxCustomGridRecord* ARecord, TcxCustomGridTableItem* AItem,
                              TcxViewParams& AParams) override;
  // The preview column's content is the preview's; other items as the record view.
  void GetContentParams(TcxCustomGridRecord* ARecord, TcxCustomGridTableItem* AItem, TcxViewParams& AParams);
  void GetFooterParams(TcxCustomGridRecord* ARecord, TcxCustomGridTableItem* AItem, TcxViewParams& AParams);
  void GetGroupParams(TcxCustomGridRecord* ARecord, Integer ALevel, TcxViewParams& AParams);
  void GetHeaderParams(TcxCustomGridTableItem* AItem, TcxViewParams& AParams);
  void GetPreviewParams(TcxCustomGridRecord* ARecord, TcxCustomGridTableItem* AItem, TcxViewParams& AParams);

#define CX_TABLE_VIEW_STYLE(Name, Index)                                    \
  TcxStyle* Name() const { return As<TcxStyle>(GetIndexedStyle(Index)); } \
  void Set##Name(TcxStyle* Value) { SetIndexedStyle(Index, Value); }
  CX_TABLE_VIEW_STYLE(FilterBox, vsFilterBox)
  CX_TABLE_VIEW_STYLE(Footer, vsFooter)
  CX_TABLE_VIEW_STYLE(Group, vsGroup)
  CX_TABLE_VIEW_STYLE(GroupByBox, vsGroupByBox)
  CX_TABLE_VIEW_STYLE(Header, vsHeader)
  CX_TABLE_VIEW_STYLE(NewItemRowInfoText, vsNewItemRowInfoText)
  CX_TABLE_VIEW_STYLE(Indicator, vsIndicator)
  CX_TABLE_VIEW_STYLE(Preview, vsPreview)
#undef CX_TABLE_VIEW_STYLE

  TcxGridGetCellStyleEvent OnGetFooterStyle;
  TcxGridGetGroupStyleEvent OnGetGroupStyle;
  TcxGridGetHeaderStyleEvent OnGetHeaderStyle;
  TcxGridGetCellStyleEvent OnGetPreviewStyle;

private:
  TcxGridTableView* tableView();
};

class TcxGridTableViewStyleSheet : public TcxCustomStyleSheet {
  RTL_DECLARE_CLASS(TcxGridTableViewStyleSheet, TcxCustomStyleSheet)
public:
  using TcxCustomStyleSheet::TcxCustomStyleSheet;
  TClass GetStylesClass() const override { return TcxGridTableViewStyles::StaticClass(); }
};

class TcxGridTableBackgroundBitmaps : public TcxCustomGridTableBackgroundBitmaps {
  RTL_DECLARE_CLASS(TcxGridTableBackgroundBitmaps, TcxCustomGridTableBackgroundBitmaps)
public:
  using TcxCustomGridTableBackgroundBitmaps::TcxCustomGridTableBackgroundBitmaps;
  void Assign(TPersistent* Source) override;
  Integer GetBitmapStyleIndex(Integer AIndex) override;
#define CX_TABLE_VIEW_BITMAP(Name, Index)             \
  TBitmap* Name() { return GetValue(Index); }         \
  void Set##Name(TBitmap* Value) { SetValue(Index, Value); }
  CX_TABLE_VIEW_BITMAP(FilterBox, bbFilterBox)
  CX_TABLE_VIEW_BITMAP(Footer, bbFooter)
  CX_TABLE_VIEW_BITMAP(Header, bbHeader)
  CX_TABLE_VIEW_BITMAP(Group, bbGroup)
  CX_TABLE_VIEW_BITMAP(GroupByBox, bbGroupByBox)
  CX_TABLE_VIEW_BITMAP(Indicator, bbIndicator)
  CX_TABLE_VIEW_BITMAP(Preview, bbPreview)
#undef CX_TABLE_VIEW_BITMAP
};

// ---------------------------------------------------------------------------------------
// The table view's controller: the row and column keys and the new-item row's place in
// keyboard navigation.

// The pixels one horizontal scroll step (a key, a bar arrow, a drag-scroll tick) moves.
constexpr Integer cxGridHorzScrollStep = 10;

class TcxGridTableController : public TcxCustomGridTableController {
  RTL_DECLARE_CLASS(TcxGridTableController, TcxCustomGridTableController)
public:
  using TcxCustomGridTableController::TcxCustomGridTableController;
  TcxGridTableView* GridView() const;

  void DoKeyDown(Word& Key, TShiftState Shift) override;
  bool IsKeyForController(Word AKey, TShiftState AShift) override;
  bool CanAppend(bool ACheckOptions) override;
  bool CanDelete(bool ACheckOptions) override;
  void FocusLost() override;
  TcxMouseWheelScrollingKind GetMouseWheelScrollingKind() override { return mwskVertical; }

  // The view shows a new-item row above its records.
  bool HasNewItemRow();
  bool IsNewItemRowFocused();
  void FocusNewItemRow();

  // --- Horizontal position: the pixels the header, rows and footer are scrolled left by,
  // kept within 0 .. data width - client width. A change moves the window's pixels when
  // the view allows it, else lays the view out again.
  Integer LeftPos() const { return FLeftPos; }
  void SetLeftPos(Integer Value);
  // The layout change used when the pixels cannot be moved.
  virtual void RequestLayoutChange();

  // --- The column whose header is held down; its header cell is redrawn on a change.
  TcxGridColumn* PressedColumn() const { return FPressedColumn; }
  void SetPressedColumn(TcxGridColumn* Value);

  // --- Scroll bars: pixels horizontally, rows vertically.
  bool IsPixelScrollBar(TScrollBarKind AKind) override { return AKind == sbHorizontal; }
  void InitScrollBarsParameters() override;
  void Scroll(TScrollBarKind AScrollBarKind, TScrollCode AScrollCode, Integer& AScrollPos) override;
  void CheckCoordinates() override;
  void LayoutCalculated() override;

  // --- Scrolling.
  void MakeItemVisible(TcxCustomGridTableItem* AItem) override;
  void ScrollPageDown() override;
  void ScrollPageUp() override;
  // While a column header is dragged: a point near the left or right edge of the
  // scrolling area scrolls that way every 35 ms, any other point stops it.
  void headerDragScrollCheck(const TPoint& P);
  // Whether one drag-scroll step in ADirection would move anything, and the step.
  bool canDragScroll(TcxGridDirection ADirection);
  void dragScroll(TcxGridDirection ADirection);
  TcxGridDirection GetDragScrollDirection(Integer X, Integer Y) override;

  // --- Mouse.
  void CancelMouseOperations() override;
  void EndDragAndDrop(bool Accepted) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

protected:
  UINT DragScrollInterval() override { return 35; }
  void DragScrollStep() override;

private:
  TcxGridTableViewInfo* tableViewInfo() const;
  // The left position kept within 0 .. data width - client width.
  Integer clampedLeftPos(Integer Value) const;
  // Left or right when the point lies near that edge of the scrolling area, else none.
  TcxGridDirection horzDragScrollDirection(const TPoint& P) const;
  void invalidateHeaderOf(TcxGridColumn* AColumn);
  // The sorting a click on AColumn's header asks for, with the keys held.
  void sortByHeaderClick(TcxGridColumn* AColumn, TShiftState AShift);
  Integer FLeftPos = 0;
  TcxGridColumn* FPressedColumn = nullptr;

public:
  // The column whose header edge is being dragged, while it is.
  TcxGridColumn* SizingColumn() const { return FSizingColumn; }
  void SetSizingColumn(TcxGridColumn* Value) { FSizingColumn = Value; }

private:
  TcxGridColumn* FSizingColumn = nullptr;
};

// ---------------------------------------------------------------------------------------
// The view.

class TcxGridTableView : public TcxCustomGridTableView {
  RTL_DECLARE_CLASS(TcxGridTableView, TcxCustomGridTableView)
public:
  explicit TcxGridTableView(TComponent* AOwner) : TcxCustomGridTableView(AOwner) {}

  TcxGridTableBackgroundBitmaps* BackgroundBitmaps() const;
  void SetBackgroundBitmaps(TcxGridTableBackgroundBitmaps* Value) { BackgroundBitmaps()->Assign(Value); }
  TcxGridTableFiltering* Filtering() const;
  void SetFiltering(TcxGridTableFiltering* Value) { Filtering()->Assign(Value); }
  TcxGridTableOptionsBehavior* OptionsBehavior() const;
  void SetOptionsBehavior(TcxGridTableOptionsBehavior* Value) { OptionsBehavior()->Assign(Value); }
  TcxGridTableOptionsCustomize* OptionsCustomize() const;
  void SetOptionsCustomize(TcxGridTableOptionsCustomize* Value) { OptionsCustomize()->Assign(Value); }
  TcxGridTableOptionsData* OptionsData() const;
  void SetOptionsData(TcxGridTableOptionsData* Value) { OptionsData()->Assign(Value); }
  TcxGridTableOptionsSelection* OptionsSelection() const;
  void SetOptionsSelection(TcxGridTableOptionsSelection* Value) { OptionsSelection()->Assign(Value); }
  TcxGridTableOptionsView* OptionsView() const;
  void SetOptionsView(TcxGridTableOptionsView* Value) { OptionsView()->Assign(Value); }
  TcxGridPreview* Preview() const { return FPreview.get(); }
  void SetPreview(TcxGridPreview* Value) { FPreview->Assign(Value); }
  TcxGridTableViewStyles* Styles() const;
  void SetStyles(TcxGridTableViewStyles* Value) { Styles()->Assign(Value); }

  // --- Class choices.
  // The table controller, painter, view data, view-info cache and view info come with the
  // layout; until then the record view's classes stand in.
  TClass GetControllerClass() override;
  TClass GetDataControllerClass() override { return TcxGridDataController::StaticClass(); }
  TClass GetPainterClass() override;       // will return TcxGridTablePainter
  TClass GetViewDataClass() override;      // will return TcxGridViewData
  TClass GetViewInfoCacheClass() override; // will return TcxGridTableViewInfoCache
  TClass GetViewInfoClass() override;      // will return TcxGridTableViewInfo
  TClass GetBackgroundBitmapsClass() override { return TcxGridTableBackgroundBitmaps::StaticClass(); }
  TClass GetOptionsSelectionClass() override { return TcxGridTableOptionsSelection::StaticClass(); }
  TClass GetOptionsViewClass() override { return TcxGridTableOptionsView::StaticClass(); }
  TClass GetStylesClass() override { return TcxGridTableViewStyles::StaticClass(); }
  TClass GetItemClass() override;
  TClass GetFilteringClass() override { return TcxGridTableFiltering::StaticClass(); }
  TClass GetOptionsBehaviorClass() override { return TcxGridTableOptionsBehavior::StaticClass(); }
  TClass GetOptionsCustomizeClass() override { return TcxGridTableOptionsCustomize::StaticClass(); }
  TClass GetOptionsDataClass() override { return TcxGridTableOptionsData::StaticClass(); }
  virtual TClass GetPreviewClass() { return TcxGridPreview::StaticClass(); }
  TClass GetSummaryGroupItemLinkClass() override;
  TClass GetSummaryItemClass() override;

  // --- Stored properties: four names of OptionsView before the record view's.
  virtual std::vector<std::string> GetStoredProperties();
  virtual bool GetStoredPropertyValue(const std::string& AName, Variant& AValue);
  virtual bool SetStoredPropertyValue(const std::string& AName, const Variant& AValue);

  // --- Questions.
  bool DependsOnSiteSize() override;
  virtual bool CanScrollWindowHorizontally();
  bool IsEqualHeightRecords();

  // --- Item hooks: the preview forgets a column that leaves the view.
  void RemoveItem(TcxCustomGridTableItem* AItem) override;

  // --- Event wrappers.
  virtual void DoColumnHeaderClick(TcxCustomGridTableItem* AColumn);
  virtual void DoColumnPosChanged(TcxCustomGridTableItem* AColumn);
  virtual void DoColumnSizeChanged(TcxCustomGridTableItem* AColumn);
  virtual void DoCustomDrawColumnHeader(TcxCanvas* ACanvas, TcxCustomGridCellViewInfo* AViewInfo, bool& ADone);
  virtual void DoCustomDrawFooterCell(TcxCanvas* ACanvas, TcxCustomGridCellViewInfo* AViewInfo, bool& ADone);
  virtual void DoCustomDrawGroupCell(TcxCanvas* ACanvas, TcxCustomGridCellViewInfo* AViewInfo, bool& ADone);
  virtual void DoCustomDrawIndicatorCell(TcxCanvas* ACanvas, TcxCustomGridCellViewInfo* AViewInfo, bool& ADone);
  virtual void DoCustomDrawPartBackground(TcxCanvas* ACanvas, TcxCustomGridCellViewInfo* AViewInfo, bool& ADone);
  bool HasCustomDrawColumnHeader() const { return static_cast<bool>(OnCustomDrawColumnHeader); }
  bool HasCustomDrawFooterCell() const { return static_cast<bool>(OnCustomDrawFooterCell); }
  bool HasCustomDrawGroupCell() const { return static_cast<bool>(OnCustomDrawGroupCell); }
  bool HasCustomDrawIndicatorCell() const { return static_cast<bool>(OnCustomDrawIndicatorCell); }
  bool HasCustomDrawPartBackground() const { return static_cast<bool>(OnCustomDrawPartBackground); }
  virtual void DoCustomization();
  virtual void DoLeftPosChanged();

  TcxGridColumnEvent OnColumnHeaderClick;
  TcxGridColumnEvent OnColumnPosChanged;
  TcxGridColumnEvent OnColumnSizeChanged;
  TcxGridColumnCustomDrawHeaderEvent OnCustomDrawColumnHeader;
  TcxGridColumnCustomDrawHeaderEvent OnCustomDrawFooterCell;
  TcxGridTableCellCustomDrawEvent OnCustomDrawGroupCell;
  TcxGridIndicatorCellCustomDrawEvent OnCustomDrawIndicatorCell;
  TcxGridPartCustomDrawBackgroundEvent OnCustomDrawPartBackground;
  TNotifyEvent OnCustomization;
  TNotifyEvent OnLeftPosChanged;

protected:
  void CreateOptions() override;
  void DestroyOptions() override;
  void DoAssign(TcxCustomGridView* ASource) override;

private:
  std::unique_ptr<TcxGridPreview, TObjectDeleter> FPreview;
};

// ---------------------------------------------------------------------------------------
// Summary items: a footer or group summary, or a summary group's link, tied to a column of
// the view. Each answers the stored-object questions (object name, property names, get and
// set a value by name) with the one property "Column".

class TcxGridTableSummaryItem : public TcxDataSummaryItem {
  RTL_DECLARE_CLASS(TcxGridTableSummaryItem, TcxDataSummaryItem)
public:
  using TcxDataSummaryItem::TcxDataSummaryItem;
  // The summary's view, through its data controller.
  TcxCustomGridTableView* GridView();
  TcxCustomGridTableItem* Column() const { return dynamic_cast<TcxCustomGridTableItem*>(ItemLink()); }
  void SetColumn(TcxCustomGridTableItem* Value) { SetItemLink(Value); }

  // Stored object: no name of its own; "Column" is the column's stored name (its component
  // name), and setting it looks the name up among the view's items (none when absent).
  virtual std::string GetObjectName() { return std::string(); }
  virtual std::vector<std::string> GetProperties() { return {"Column"}; }
  virtual bool GetPropertyValue(const std::string& AName, Variant& AValue);
  virtual bool SetPropertyValue(const std::string& AName, const Variant& AValue);
  // The same answers for any summary item of a view (the data-set view's items share them).
  static Variant StoredColumnValue(TcxCustomDataSummaryItem* AItem);
  static void SetStoredColumnValue(TcxCustomDataSummaryItem* AItem, const Variant& AValue);
};

class TcxGridTableSummaryGroupItemLink : public TcxDataSummaryGroupItemLink {
  RTL_DECLARE_CLASS(TcxGridTableSummaryGroupItemLink, TcxDataSummaryGroupItemLink)
public:
  using TcxDataSummaryGroupItemLink::TcxDataSummaryGroupItemLink;
  TcxCustomGridTableView* GridView();
  TcxCustomGridTableItem* Column() const { return dynamic_cast<TcxCustomGridTableItem*>(ItemLink()); }
  void SetColumn(TcxCustomGridTableItem* Value) { SetItemLink(Value); }

  // Stored object: "Column" is the column's Name (empty when none); setting it unlinks, then
  // links the first column of the view with that name.
  virtual std::string GetObjectName() { return std::string(); }
  virtual std::vector<std::string> GetProperties() { return {"Column"}; }
  virtual bool GetPropertyValue(const std::string& AName, Variant& AValue);
  virtual bool SetPropertyValue(const std::string& AName, const Variant& AValue);
};

// ---------------------------------------------------------------------------------------
// Columns.

class TcxGridColumn;

using TcxGridColumnUserFilteringEvent =
    TEvent<void(TcxGridColumn* Sender, const Variant& AValue, const std::string& ADisplayText)>;

class TcxGridColumnOptions : public TcxCustomGridTableItemOptions {
  RTL_DECLARE_CLASS(TcxGridColumnOptions, TcxCustomGridTableItemOptions)
public:
  using TcxCustomGridTableItemOptions::TcxCustomGridTableItemOptions;
  void Assign(TPersistent* Source) override;
  // Off: the user cannot size this column, and the automatic width distribution leaves
  // its width alone.
  bool HorzSizing() const { return FHorzSizing; }
  void SetHorzSizing(bool Value);

private:
  bool FHorzSizing = true;
};

// Style indexes of a column (0 is the item's content).
constexpr Integer isFooter = 1;
constexpr Integer isHeader = 2;

class TcxGridColumnStyles : public TcxCustomGridTableItemStyles {
  RTL_DECLARE_CLASS(TcxGridColumnStyles, TcxCustomGridTableItemStyles)
public:
  using TcxCustomGridTableItemStyles::TcxCustomGridTableItemStyles;
  void Assign(TPersistent* Source) override;
  // What no column style sets comes from the view's footer and header parameters for
  // this column.
  void GetDefaultVisualParams(Integer AIndex, TObject* AData, TcxViewParams& AParams) override;
  TcxGridColumn* Column() const;
  // OnGetFooterStyle first, then Footer, then the view's footer parameters.
  void GetFooterParams(TcxCustomGridRecord* ARecord, TcxViewParams& AParams);
  // OnGetHeaderStyle first, then Header, then the view's header parameters.
  void GetHeaderParams(TcxViewParams& AParams);
  TcxStyle* Footer() const { return As<TcxStyle>(GetIndexedStyle(isFooter)); }
  void SetFooter(TcxStyle* Value) { SetIndexedStyle(isFooter, Value); }
  TcxStyle* Header() const { return As<TcxStyle>(GetIndexedStyle(isHeader)); }
  void SetHeader(TcxStyle* Value) { SetIndexedStyle(isHeader, Value); }

  TcxGridGetCellStyleEvent OnGetFooterStyle;
  TcxGridGetHeaderStyleEvent OnGetHeaderStyle;
};

// One column of the tabular view: a header cell, a data cell in every row and a footer
// cell, with an optional header glyph and the rules that say what the user may do with it.
class TcxGridColumn : public TcxCustomGridTableItem {
  RTL_DECLARE_CLASS(TcxGridColumn, TcxCustomGridTableItem)
public:
  explicit TcxGridColumn(TComponent* AOwner);
  void BeforeDestruction() override;
  ~TcxGridColumn() override;
  void Assign(TPersistent* Source) override;

  TcxGridTableView* GridView() const;
  TcxGridColumnOptions* Options() const;
  void SetOptions(TcxGridColumnOptions* Value) { Options()->Assign(Value); }
  TcxGridColumnStyles* Styles() const;
  void SetStyles(TcxGridColumnStyles* Value) { Styles()->Assign(Value); }

  // The assigned alignment, else the one the column's values ask for (numbers right).
  TAlignment FooterAlignmentHorz();
  void SetFooterAlignmentHorz(TAlignment Value);
  bool IsFooterAlignmentHorzStored();
  TBitmap* HeaderGlyph() const { return FHeaderGlyph.get(); }
  void SetHeaderGlyph(TBitmap* Value) { FHeaderGlyph->Assign(Value); }
  TAlignment HeaderGlyphAlignmentHorz() const { return FHeaderGlyphAlignmentHorz; }
  void SetHeaderGlyphAlignmentHorz(TAlignment Value);
  TcxAlignmentVert HeaderGlyphAlignmentVert() const { return FHeaderGlyphAlignmentVert; }
  void SetHeaderGlyphAlignmentVert(TcxAlignmentVert Value);
  // A hidden column stays in the view with its Visible value, but the customization form
  // and the filter builder do not offer it. The preview column always reads hidden.
  bool Hidden() const { return FHidden || IsPreview(); }
  void SetHidden(bool Value);
  bool IsHiddenStored() const { return Hidden() && !IsPreview(); }
  // The column whose text the view's preview shows; it has no cells of its own.
  bool IsPreview() const;
  bool Visible() const override;
  bool IsVisibleStored() const { return !IsPreview(); }

  // --- Customization rules (the view's options apply to every column at once).
  bool CanFilter() override;
  // With AVisually, the view's column filtering option must allow it too.
  bool CanFilter(bool AVisually);
  bool CanHorzSize() override;
  bool GetFilterable() override;
  // The automatic width distribution leaves this column's width alone.
  virtual bool IsWidthFixed();

  virtual bool IsMostBottom() { return true; }
  virtual bool IsMostLeft();
  virtual bool IsMostTop() { return IsMostBottom(); }
  virtual bool HasLeftBorder() { return IsMostLeft(); }
  virtual bool HasRightBorder() { return IsMostRight(); }
  virtual bool IsMostRight();
  virtual void HiddenChanged();
  virtual bool HideOnGrouping();
  virtual void DoCustomDrawFooterCell(TcxCanvas* ACanvas, TcxCustomGridCellViewInfo* AViewInfo, bool& ADone);
  virtual void DoCustomDrawHeader(TcxCanvas* ACanvas, TcxCustomGridCellViewInfo* AViewInfo, bool& ADone);
  bool HasCustomDrawFooterCell() const { return static_cast<bool>(OnCustomDrawFooterCell); }
  bool HasCustomDrawHeader() const { return static_cast<bool>(OnCustomDrawHeader); }
  virtual void DoHeaderClick();
  virtual void DoUserFiltering(const Variant& AValue, const std::string& ADisplayText);

  // --- Stored properties: the item's names, then GroupIndex and Width.
  std::vector<std::string> GetStoredProperties() override;
  bool GetStoredPropertyValue(const std::string& AName, Variant& AValue) override;
  bool SetStoredPropertyValue(const std::string& AName, const Variant& AValue) override;

  TcxGridColumnCustomDrawHeaderEvent OnCustomDrawFooterCell;
  TcxGridColumnCustomDrawHeaderEvent OnCustomDrawHeader;
  TNotifyEvent OnHeaderClick;
  TcxGridColumnUserFilteringEvent OnUserFiltering;

protected:
  TClass GetOptionsClass() override { return TcxGridColumnOptions::StaticClass(); }
  TClass GetStylesClass() override { return TcxGridColumnStyles::StaticClass(); }

private:
  TAlignment defaultFooterAlignment();
  void glyphChanged(TObject*) { Changed(false); }
  // While another column's width is forced, that column and every column left of it keep
  // their widths, unless the forced one is the last visible column.
  bool fixedByForcedColumn();

  TAlignment FFooterAlignmentHorz = taLeftJustify;
  bool FIsFooterAlignmentHorzAssigned = false;
  std::unique_ptr<TBitmap, TObjectDeleter> FHeaderGlyph;
  TAlignment FHeaderGlyphAlignmentHorz = taLeftJustify;
  TcxAlignmentVert FHeaderGlyphAlignmentVert = vaCenter;
  bool FHidden = false;
};

// =======================================================================================
// Layout of the tabular view: the parts stacked above and below the rows, the view's
// layout object, and the rows area.

class TcxGridTableViewInfo;
class TcxGridRowsViewInfo;
class TcxCustomGridRowViewInfo;

// The level indent of a row (the area left of the cells of a row inside groups): a press
// there does not focus the row.
class TcxGridRowLevelIndentHitTest : public TcxGridRecordHitTest {
  RTL_DECLARE_CLASS(TcxGridRowLevelIndentHitTest, TcxGridRecordHitTest)
public:
  Integer HitTestCode() const override { return 216; }
  bool AllowsSelection() const override { return false; }
};

// The base of the group-by box, the header, the footer and the filter box: a part is
// placed by the view layout above (alignment 0) or below (1) the rows, in the order the
// parts were made.
class TcxCustomGridPartViewInfo : public TcxCustomGridViewCellViewInfo {
  RTL_DECLARE_CLASS(TcxCustomGridPartViewInfo, TcxCustomGridViewCellViewInfo)
public:
  using TConstructorArg = TcxGridTableViewInfo*;
  explicit TcxCustomGridPartViewInfo(TcxGridTableViewInfo* AGridViewInfo);
  void AfterConstruction() override;
  void BeforeDestruction() override;

  TcxGridTableViewInfo* TableViewInfo() const;
  TcxGridTableView* TableView() const;
  Integer ComputedHeight() const { return FHeight; }
  void SetComputedHeight(Integer AHeight) { FHeight = AHeight; }

  virtual void GetBounds(TRect& R);
  virtual void CalculateInvisible();
  virtual void CalculateVisible();
  virtual Integer GetAlignment() = 0;
  virtual bool IsAutoWidth() = 0;
  virtual bool IsPartOfLayout() { return true; }
  virtual bool IsScrollable() = 0;
  void CalculatePart();

  Integer GetHeight() override;
  TClass GetPainterClass() override;
  bool HasCustomDrawBackground() override;
  bool CustomDrawBackground(TcxCanvas* ACanvas) override;
  void InitHitTest(TcxCustomGridHitTest* AHitTest) override;

private:
  Integer FHeight = 0;
  bool FRegistered = false;
};

class TcxCustomGridPartPainter : public TcxCustomGridCellPainter {
  RTL_DECLARE_CLASS(TcxCustomGridPartPainter, TcxCustomGridCellPainter)
public:
  using TcxCustomGridCellPainter::TcxCustomGridCellPainter;
};

// The layout object of one tabular view. Every calculation rebuilds all part objects;
// only the data width and the previous data row height carry over.
class TcxGridTableViewInfo : public TcxCustomGridTableViewInfo {
  RTL_DECLARE_CLASS(TcxGridTableViewInfo, TcxCustomGridTableViewInfo)
public:
  explicit TcxGridTableViewInfo(TcxCustomGridView* AGridView) : TcxCustomGridTableViewInfo(AGridView) {}

  TcxGridTableView* TableView() const;
  TcxCustomGridPartViewInfo* FooterViewInfo() const { return FFooter.get(); }
  TcxCustomGridPartViewInfo* FilterViewInfo() const { return FFilter.get(); }
  TcxCustomGridPartViewInfo* GroupByBoxViewInfo() const { return FGroupByBox.get(); }
  TcxCustomGridPartViewInfo* HeaderViewInfo() const { return FHeader.get(); }
  TcxCustomGridViewCellViewInfo* IndicatorViewInfo() const { return FIndicator.get(); }

  // The classes of the parts; a part whose class is null is not made.
  virtual TClass GetFooterPainterClass() { return nullptr; }
  virtual Integer CalculateDataWidth();
  virtual void GetPartBounds(TcxCustomGridPartViewInfo* APart, TRect& R);
  virtual TClass GetFilterViewInfoClass() { return nullptr; }
  virtual Integer GetLevelIndentsWidth();
  virtual TClass GetFooterViewInfoClass() { return nullptr; }
  virtual Integer GetGridLineWidth() { return 1; }
  virtual TClass GetGroupByBoxViewInfoClass() { return nullptr; }
  virtual TClass GetHeaderViewInfoClass();
  virtual TClass GetIndicatorViewInfoClass();
  virtual TColor GetGridLineColor();
  virtual TClass GetHeaderViewInfoSpecificClass();
  virtual Integer GetNonDataHeight(bool AWithScrollBar);
  virtual TcxBorders GetCellBorders(bool AIsRightmost);
  virtual Integer GetRowCellHeight(Integer AColumnIndex, Integer ARowHeight) { return ARowHeight; }
  virtual Integer GetCellTopOffset(Integer AColumnIndex, Integer ARowHeight) { return 0; }
  virtual void GetVertScrollRects(Integer ADelta, TRect& AExposedRect, TRect& AScrollRect);
  virtual void GetHorzScrollRects(Integer ADelta, TRect& AExposedRect, TRect& AScrollRect);

  // The columns the rows lay their cells under, by visible index: how many there are,
  // the left edge and width of a column's data part (its header less the level indents
  // in front of the first column) in site coordinates, and whether it lies in view.
  // The header part, once there is one, is where these come from.
  virtual Integer columnCount();
  virtual void columnDataSpan(Integer AIndex, Integer& ALeft, Integer& AWidth);
  virtual bool isColumnVisible(Integer AIndex);

  Integer GetDataWidth();
  TcxGridLines GetGridLines();
  Integer GetLeftPos();
  TBitmap* GetGroupBackgroundBitmap();
  TColor GetLevelColor(Integer ALevel);
  Integer GetPartCount() const { return static_cast<Integer>(FParts.size()); }
  TcxCustomGridPartViewInfo* GetPart(Integer AIndex) const { return FParts.at(static_cast<size_t>(AIndex)); }
  Integer GetTopPartsHeight();
  Integer GetBottomPartsHeight();
  TcxGridRowsViewInfo* GetRowsViewInfo() const;
  Integer LevelIndent() { return ExpandButtonAreaWidth(); }
  Integer IndicatorWidth();
  void AddPart(TcxCustomGridPartViewInfo* APart) { FParts.push_back(APart); }
  void RemovePart(TcxCustomGridPartViewInfo* APart);

  Integer GetVisibleRecordCountEstimate();
  Integer GetGridModeBufferCountEstimate();
  Integer GetHeightForRowCount(Integer AAvailableHeight, Integer AExtraRows);
  Integer GetHeightOfRows(Integer ACount);
  void GetHorizontalScrollableArea(TRect& R);
  void GetVerticalScrollableArea(TRect& R);

  void CreateViewInfos() override;
  void DestroyViewInfos(bool AIsRecreating) override;
  void RecreateViewInfos() override;
  void BeforeCalculate() override;
  void AfterCalculate() override;
  void DoCalculate() override;
  TRect GetDefaultClientBounds() override;
  void CalculateHeight(Integer AMaxSize, Integer& AHeight, bool& AFullyVisible) override;
  void CalculateWidth(Integer AMaxSize, Integer& AWidth) override;
  TClass GetRecordsViewInfoClass() override;
  void OffsetRecords(Integer DX, Integer DY) override;
  TcxCustomGridHitTest* GetHitTest(const TPoint& P) override;

private:
  TcxCustomGridPartViewInfo* createPart(TClass AClass);
  Integer FDataWidth = 0;
  TObjectPtr<TcxCustomGridPartViewInfo> FFooter;
  TObjectPtr<TcxCustomGridPartViewInfo> FFilter;
  TObjectPtr<TcxCustomGridPartViewInfo> FGroupByBox;
  TObjectPtr<TcxCustomGridPartViewInfo> FHeader;
  TObjectPtr<TcxCustomGridViewCellViewInfo> FIndicator;
  std::vector<TcxCustomGridPartViewInfo*> FParts;
  Integer FPrevDataRowHeight = 0;
};

// The rows area of a tabular view: default row heights, the new-item row strip, which
// rows from the top record are shown and where each one lies.
class TcxGridRowsViewInfo : public TcxCustomGridRecordsViewInfo {
  RTL_DECLARE_CLASS(TcxGridRowsViewInfo, TcxCustomGridRecordsViewInfo)
public:
  explicit TcxGridRowsViewInfo(TcxCustomGridTableViewInfo* AGridViewInfo)
      : TcxCustomGridRecordsViewInfo(AGridViewInfo) {}

  TcxGridTableViewInfo* TableViewInfo() const;
  TcxGridTableView* TableView() const;
  TRect DataArea() const { return FDataArea; }
  Integer DataRowHeight() const { return FDataRowHeight; }
  Integer GroupRowHeight() const { return FGroupRowHeight; }
  Integer ContentRowHeight() const { return FContentRowHeight; }
  Integer LaidOutCount() const { return FLaidOutCount; }
  TcxCustomGridRowViewInfo* Row(Integer AIndex) const;

  virtual void CalculateRowHeights();
  virtual void GetDataAreaBounds(TRect& R);
  virtual Integer GetDataRowHeight() { return FContentRowHeight; }
  virtual Integer CalculateGroupRowHeight();
  virtual Integer GetAvailableHeight(Integer ATop) { return FDataArea.bottom - ATop; }
  virtual Integer CalculateDataRowHeight();
  virtual Integer GetDataRowStep();
  virtual bool HasScrollableHeader() { return true; }
  virtual TClass GetNewItemRowViewInfoClass() { return nullptr; }
  virtual Integer GetDataWidth();
  virtual Integer GetSeparatorWidth();
  virtual bool HasNewItemRow();
  virtual bool HasLastHorzGridLine(TcxCustomGridRowViewInfo* ARow);
  virtual Integer GetRowHeightForFont(const TcxViewParams& AParams);
  virtual bool CanDataRowSize();
  virtual TClass GetCellsAreaViewInfoClass();
  virtual Integer GetRestHeight(Integer ATop);
  virtual bool IsDataRowHeightAssigned();
  Integer AdjustRowHeight(Integer AHeight);
  TcxGridLines GetGridLines();
  Integer GetPixelHeightOfRows(Integer ACount);

  TRect GetBounds() override;
  void CalculateBounds() override;
  void CalculateVisibleCount() override;
  bool GetAutoRecordHeight() override;
  TBitmap* GetBackgroundBitmap() override;
  Integer GetRecordLeft(Integer APosition) override { return FDataArea.left; }
  Integer GetRecordTop(Integer APosition) override;
  Integer GetScrollPixels(Integer ADistance) override { return GetPixelHeightOfRows(ADistance); }
  void OffsetRecord(Integer APosition, Integer APixels) override;
  TClass GetPainterClass() override;
  void Offset(Integer DX, Integer DY) override;

private:
  TRect FDataArea{0, 0, 0, 0};
  Integer FDataRowHeight = 0;
  Integer FGroupRowHeight = 0;
  Integer FRestHeight = 0;
  Integer FContentRowHeight = 0;
  Integer FLaidOutCount = 0;
  bool FCalculatingRows = false;
};

// Paints the tabular view: the parts, then the rows, whose cells hand their grid lines to
// one list drawn in a single pass; scrolls the rows by moving the window's pixels where
// the view allows it.
class TcxGridTablePainter : public TcxCustomGridTablePainter {
  RTL_DECLARE_CLASS(TcxGridTablePainter, TcxCustomGridTablePainter)
public:
  using TcxCustomGridTablePainter::TcxCustomGridTablePainter;
  TcxGridTableViewInfo* TableViewInfo() const;

  virtual void DrawFilterBox();
  virtual void DrawFooter();
  virtual void DrawGroupByBox();
  virtual void DrawHeader();
  virtual void DrawIndicator();
  // Collects a grid line while the records are drawn; false when no list is open.
  bool AddGridLine(const TRect& R);

  bool CanScrollRecordsRegion() override;
  void DrawRecords() override;
  void ScrollRecordsRegionBy(Integer ADistance) override;
  void ScrollRecordsRegionByPixels(Integer DX, Integer DY) override;

protected:
  void PaintContent() override;

private:
  void drawGridLines();
  std::vector<TRect> FGridLines;
  bool FCollectingGridLines = false;
};

// =======================================================================================
// Column headers: one column's header cell with its small areas (sizing edge, filter
// button, sorting mark, glyph), the column containers that hold header cells, and the
// header part of the tabular view, whose cells also say where every row puts its cells.

class TcxGridColumnContainerViewInfo;
class TcxGridColumnHeaderViewInfo;
class TcxGridHeaderViewInfo;

// The kinds of column containers, as column hit tests carry them.
constexpr Integer columnContainerHeader = 1;
constexpr Integer columnContainerGroupByBox = 2;
constexpr Integer columnContainerCustomizationForm = 3;
constexpr Integer columnContainerFooter = 4;

// A place on a column: the column and the kind of container its cell lies in.
class TcxCustomGridColumnHitTest : public TcxCustomGridViewHitTest {
  RTL_DECLARE_CLASS(TcxCustomGridColumnHitTest, TcxCustomGridViewHitTest)
public:
  TcxGridColumn* Column = nullptr;
  Integer ColumnContainerKind = 0;
};

class TcxGridColumnHeaderHitTest : public TcxCustomGridColumnHitTest {
  RTL_DECLARE_CLASS(TcxGridColumnHeaderHitTest, TcxCustomGridColumnHitTest)
public:
  Integer HitTestCode() const override { return 202; }
};

// Dragging it sizes the column.
class TcxGridColumnHeaderHorzSizingEdgeHitTest : public TcxCustomGridColumnHitTest {
  RTL_DECLARE_CLASS(TcxGridColumnHeaderHorzSizingEdgeHitTest, TcxCustomGridColumnHitTest)
public:
  Integer HitTestCode() const override { return 203; }
  TCursor Cursor() const override;
  TClass DragAndDropObjectClass() const override;
};

class TcxGridColumnHeaderFilterButtonHitTest : public TcxCustomGridColumnHitTest {
  RTL_DECLARE_CLASS(TcxGridColumnHeaderFilterButtonHitTest, TcxCustomGridColumnHitTest)
public:
  Integer HitTestCode() const override { return 204; }
};

// The header part outside its cells.
class TcxGridHeaderHitTest : public TcxCustomGridViewHitTest {
  RTL_DECLARE_CLASS(TcxGridHeaderHitTest, TcxCustomGridViewHitTest)
public:
  Integer HitTestCode() const override { return 218; }
};

// A small cell inside a header cell. Areas are placed in creation order; one that
// occupies space takes its room out of the header's text area.
class TcxGridColumnHeaderAreaViewInfo : public TcxCustomGridViewCellViewInfo {
  RTL_DECLARE_CLASS(TcxGridColumnHeaderAreaViewInfo, TcxCustomGridViewCellViewInfo)
public:
  using TConstructorArg = TcxGridColumnHeaderViewInfo*;
  explicit TcxGridColumnHeaderAreaViewInfo(TcxGridColumnHeaderViewInfo* AHeaderViewInfo);

  TcxGridColumnHeaderViewInfo* HeaderViewInfo() const { return FHeaderViewInfo; }
  TcxGridColumn* Column() const;

  virtual bool OccupiesSpace() { return true; }
  virtual void CalculateArea(const TRect& ABounds, TRect& ATextArea);

  TcxAlignmentVert GetAlignmentVert() override { return vaCenter; }
  TColor GetBorderColor(TcxBorder) override { return clNone; }
  Integer GetBorderWidth(TcxBorder) override { return 0; }
  TClass GetHitTestClass() override { return nullptr; }
  TClass GetPainterClass() override { return nullptr; }
  bool IsHitTestOfCell(TcxCustomGridHitTest* AHitTest) override;
  void InitHitTest(TcxCustomGridHitTest* AHitTest) override;

private:
  TcxGridColumnHeaderViewInfo* FHeaderViewInfo;
};

class TcxGridColumnHeaderSortingMarkViewInfo : public TcxGridColumnHeaderAreaViewInfo {
  RTL_DECLARE_CLASS(TcxGridColumnHeaderSortingMarkViewInfo, TcxGridColumnHeaderAreaViewInfo)
public:
  using TcxGridColumnHeaderAreaViewInfo::TcxGridColumnHeaderAreaViewInfo;
  Integer CalculateHeight() override;
  Integer CalculateWidth() override;
  TAlignment GetAlignmentHorz() override { return taRightJustify; }
  TClass GetPainterClass() override;
};

// Straddles the header's right edge: half inside, half over the next header.
class TcxGridColumnHeaderHorzSizingEdgeViewInfo : public TcxGridColumnHeaderAreaViewInfo {
  RTL_DECLARE_CLASS(TcxGridColumnHeaderHorzSizingEdgeViewInfo, TcxGridColumnHeaderAreaViewInfo)
public:
  using TcxGridColumnHeaderAreaViewInfo::TcxGridColumnHeaderAreaViewInfo;
  bool OccupiesSpace() override { return false; }
  void CalculateArea(const TRect& ABounds, TRect& ATextArea) override;
  Integer CalculateHeight() override { return 0; }
  Integer CalculateWidth() override { return 8; }
  TAlignment GetAlignmentHorz() override { return taRightJustify; }
  TClass GetHitTestClass() override { return TcxGridColumnHeaderHorzSizingEdgeHitTest::StaticClass(); }
};

// Mouse-sensitive, hot-tracked, and keeps its pressed state between presses.
class TcxGridColumnHeaderFilterButtonViewInfo : public TcxGridColumnHeaderAreaViewInfo {
  RTL_DECLARE_CLASS(TcxGridColumnHeaderFilterButtonViewInfo, TcxGridColumnHeaderAreaViewInfo)
public:
  using TcxGridColumnHeaderAreaViewInfo::TcxGridColumnHeaderAreaViewInfo;
  Integer CalculateHeight() override;
  Integer CalculateWidth() override;
  TAlignment GetAlignmentHorz() override { return taRightJustify; }
  TClass GetHitTestClass() override { return TcxGridColumnHeaderFilterButtonHitTest::StaticClass(); }
  TClass GetPainterClass() override;
  bool IsMouseSensitive() override { return true; }
  bool IsHotTrackEnabled() override { return true; }
  bool KeepsPressedState() override { return true; }
};

class TcxGridColumnHeaderGlyphViewInfo : public TcxGridColumnHeaderAreaViewInfo {
  RTL_DECLARE_CLASS(TcxGridColumnHeaderGlyphViewInfo, TcxGridColumnHeaderAreaViewInfo)
public:
  using TcxGridColumnHeaderAreaViewInfo::TcxGridColumnHeaderAreaViewInfo;
  Integer CalculateHeight() override;
  Integer CalculateWidth() override;
  TAlignment GetAlignmentHorz() override;
  TcxAlignmentVert GetAlignmentVert() override;
  TClass GetPainterClass() override;
};

// The header cell of one column in a column container.
class TcxGridColumnHeaderViewInfo : public TcxCustomGridViewCellViewInfo {
  RTL_DECLARE_CLASS(TcxGridColumnHeaderViewInfo, TcxCustomGridViewCellViewInfo)
public:
  struct TArgs {
    TcxGridColumnContainerViewInfo* Container;
    TcxGridColumn* Column;
  };
  using TConstructorArg = const TArgs*;
  explicit TcxGridColumnHeaderViewInfo(const TArgs* AArgs);
  void AfterConstruction() override;

  TcxGridColumn* Column() const { return FColumn; }
  TcxGridColumnContainerViewInfo* Container() const { return FContainer; }
  TcxGridTableViewInfo* TableViewInfo() const;
  TcxBorders Neighbors() const { return FNeighbors; }
  Integer LeftOverlap() const { return FLeftOverlap; }

  virtual bool HasLeftAlignedArea();
  virtual bool HasRightAlignedArea();
  virtual void CalculateTextAreaBounds();
  virtual void CheckVisibility(Integer ALeft, Integer AWidth);
  virtual bool HasFilterButton();
  virtual bool HasHorzSizingEdge();
  virtual bool CanPress() { return true; }
  virtual bool HasSortingMark();
  virtual void CheckWidth(Integer& AWidth);
  virtual void EnumAreaClasses(const std::function<void(TClass)>& AProc);
  virtual Integer GetCellBorderWidth(TcxCustomLookAndFeelPainterClass APainter);
  virtual Integer GetDataCellLeft();
  virtual bool IsPressed();
  virtual Integer GetMaxWidth();
  virtual Integer GetMinWidth();
  virtual bool HasGlyph();
  virtual Integer GetBestFitWidth();

  Integer GetDataWidth();
  Integer GetVisibleLeft() { return Bounds.left + FLeftOverlap; }
  Integer GetAreaCount() const { return static_cast<Integer>(FAreas.size()); }
  TcxGridColumnHeaderAreaViewInfo* GetArea(Integer AIndex) const { return FAreas.at(static_cast<size_t>(AIndex)).get(); }

  void Calculate(Integer ALeft, Integer ATop, Integer AWidth = -1, Integer AHeight = -1) override;
  void CalculateParams() override;
  Integer CalculateHeight() override;
  Integer CalculateWidth() override;
  Integer GetCellHeight(Integer ATextHeight, Integer AParam) override;
  bool CalculateMultiLine() override;
  bool GetMultiLinePainting() override;
  bool GetShowEndEllipsis() override;
  bool CustomDraw(TcxCanvas* ACanvas) override;
  bool HasCustomDraw() override;
  TAlignment GetAlignmentHorz() override;
  TcxAlignmentVert GetAlignmentVert() override;
  TBitmap* GetBackgroundBitmap() override;
  TcxGridBorders GetBorders() override;
  TColor GetBorderColor(TcxBorder) override { return clNone; }
  Integer GetBorderWidth(TcxBorder) override;
  std::string GetText() override;
  void GetTextAreaBounds(TRect& R) override { R = FTextAreaBounds; }
  void GetViewParams(TcxViewParams& AParams) override;
  bool IsMouseSensitive() override;
  TClass GetHitTestClass() override { return TcxGridColumnHeaderHitTest::StaticClass(); }
  void InitHitTest(TcxCustomGridHitTest* AHitTest) override;
  Integer GetWidth() override { return Bounds.right - Bounds.left - FLeftOverlap; }
  void Offset(Integer DX, Integer DY) override;
  void SetWidth(Integer AWidth) override;
  void StateChanged() override;
  TcxCustomGridHitTest* GetHitTest(const TPoint& P) override;
  bool MouseDown(TcxCustomGridHitTest* AHitTest, TMouseButton AButton, TShiftState AShift) override;
  TClass GetPainterClass() override;

private:
  // Whether an area that takes room lines up on that side.
  bool hasAlignedArea(TAlignment AAlignment) const;
  bool isFirstVisibleColumn();
  Integer levelIndents();

  Integer FLeftOverlap = 0;
  std::vector<std::unique_ptr<TcxGridColumnHeaderAreaViewInfo, TObjectDeleter>> FAreas;
  TcxGridColumn* FColumn;
  TcxGridColumnContainerViewInfo* FContainer;
  bool FHasLeftArea = false;
  bool FHasRightArea = false;
  TcxBorders FNeighbors;
  Integer FDataWidth = 0;
  TRect FTextAreaBounds{0, 0, 0, 0};
  Integer FWidth = -1;
};

// Where a dragged column would go: before the cell of this index.
class TcxGridColumnContainerZone : public TObject {
  RTL_DECLARE_CLASS(TcxGridColumnContainerZone, TObject)
public:
  explicit TcxGridColumnContainerZone(Integer AItemIndex) : ItemIndex(AItemIndex) {}
  virtual bool IsEqual(TcxGridColumnContainerZone* AZone) { return AZone && AZone->ItemIndex == ItemIndex; }
  Integer ItemIndex;
};

// A part showing one header cell per column of a list of columns.
class TcxGridColumnContainerViewInfo : public TcxCustomGridPartViewInfo {
  RTL_DECLARE_CLASS(TcxGridColumnContainerViewInfo, TcxCustomGridPartViewInfo)
public:
  using TcxCustomGridPartViewInfo::TcxCustomGridPartViewInfo;
  void AfterConstruction() override;

  virtual Integer CalculateItemHeight();
  virtual bool GetItemMultiLine() { return false; }
  virtual TcxGridColumn* GetColumn(Integer AIndex) = 0;
  virtual Integer GetColumnCount() = 0;
  virtual Integer GetColumnMinWidth(TcxGridColumn* AColumn);
  virtual TcxBorders GetItemNeighbors(TcxGridColumn* AColumn) { return TcxBorders{}; }
  virtual Integer GetColumnWidth(TcxGridColumn* AColumn);
  virtual TClass GetItemClass() { return TcxGridColumnHeaderViewInfo::StaticClass(); }
  virtual bool GetItemMultiLinePainting() { return false; }
  virtual void GetItemsAreaBounds(TRect& R) { R = Bounds; }
  virtual Integer GetContainerKind() = 0;
  virtual void GetZonesAreaBounds(TRect& R);
  // The insertion place for a column dragged to P (the caller's object), or null.
  virtual TcxGridColumnContainerZone* GetZone(const TPoint& P);

  Integer GetItemHeight();
  TcxGridColumnHeaderViewInfo* GetItem(Integer AIndex);
  Integer GetItemCount() const { return static_cast<Integer>(FItems.size()); }

  TClass GetPainterClass() override;
  void InitHitTest(TcxCustomGridHitTest* AHitTest) override;
  void Offset(Integer DX, Integer DY) override;
  void InvalidateParams() override;
  TcxCustomGridHitTest* GetHitTest(const TPoint& P) override;
  TColor GetBorderColor(TcxBorder) override { return clNone; }
  Integer GetBorderWidth(TcxBorder) override { return 0; }
  Integer CalculateHeight() override { return GetItemHeight(); }
  Integer CalculateWidth() override;

private:
  Integer levelIndentsFor(TcxGridColumn* AColumn);
  Integer FItemHeight = -1;
  std::vector<std::unique_ptr<TcxGridColumnHeaderViewInfo, TObjectDeleter>> FItems;
};

// Answers the header's height; a header with several rows of cells would answer otherwise.
class TcxGridHeaderViewInfoSpecific : public TObject {
  RTL_DECLARE_CLASS(TcxGridHeaderViewInfoSpecific, TObject)
public:
  using TConstructorArg = TcxGridHeaderViewInfo*;
  explicit TcxGridHeaderViewInfoSpecific(TcxGridHeaderViewInfo* AHeaderViewInfo) : FHeaderViewInfo(AHeaderViewInfo) {}
  TcxGridHeaderViewInfo* HeaderViewInfo() const { return FHeaderViewInfo; }
  virtual Integer GetItemHeight();
  virtual Integer GetHeight() { return GetItemHeight(); }

private:
  TcxGridHeaderViewInfo* FHeaderViewInfo;
};

// The header part: fits the columns to the client width in auto-width mode and places
// the cells side by side. It is calculated even when hidden, because rows put their
// cells under its cells.
class TcxGridHeaderViewInfo : public TcxGridColumnContainerViewInfo {
  RTL_DECLARE_CLASS(TcxGridHeaderViewInfo, TcxGridColumnContainerViewInfo)
public:
  explicit TcxGridHeaderViewInfo(TcxGridTableViewInfo* AGridViewInfo);

  TcxGridHeaderViewInfoSpecific* Specific() const { return FSpecific.get(); }

  virtual void CalculateAutoWidths();
  virtual void CalculateWidths();
  virtual void CalculateItems();
  virtual bool IsColumnAutoWidth();
  virtual bool DrawBackgroundBitmap(TcxCanvas* ACanvas, const TRect& R);
  TBitmap* GetBackgroundBitmap() override;
  virtual bool CalculateWhenHidden() { return true; }
  virtual bool IsHeightAssigned();
  // Makes the fitted widths the columns' own widths.
  void ApplyAutoWidthsToColumns();

  Integer CalculateHeight() override { return FSpecific->GetHeight(); }
  Integer CalculateWidth() override;
  Integer GetWidth() override;
  Integer CalculateItemHeight() override;
  bool GetItemMultiLine() override;
  bool GetItemMultiLinePainting() override { return IsHeightAssigned(); }
  TcxGridColumn* GetColumn(Integer AIndex) override;
  Integer GetColumnCount() override;
  TcxBorders GetItemNeighbors(TcxGridColumn* AColumn) override;
  Integer GetContainerKind() override { return columnContainerHeader; }
  Integer GetAlignment() override { return 0; }
  bool IsAutoWidth() override { return false; }
  bool IsScrollable() override { return true; }
  void GetZonesAreaBounds(TRect& R) override;
  TClass GetHitTestClass() override { return TcxGridHeaderHitTest::StaticClass(); }
  TClass GetPainterClass() override;
  void GetViewParams(TcxViewParams& AParams) override;
  bool GetVisible() override;
  void CalculateVisible() override;
  void CalculateInvisible() override;
  void Calculate(Integer ALeft, Integer ATop, Integer AWidth = -1, Integer AHeight = -1) override;
  void Offset(Integer DX, Integer DY) override;

private:
  std::unique_ptr<TcxGridHeaderViewInfoSpecific, TObjectDeleter> FSpecific;
};

// Paints a column container's cells and its background inside its bounds.
class TcxGridColumnContainerPainter : public TcxCustomGridPartPainter {
  RTL_DECLARE_CLASS(TcxGridColumnContainerPainter, TcxCustomGridPartPainter)
public:
  using TcxCustomGridPartPainter::TcxCustomGridPartPainter;
  TcxGridColumnContainerViewInfo* ContainerViewInfo() const;

protected:
  virtual void DrawItems();
  virtual bool DrawItemsFirst() { return true; }
  void DrawContent() override;
  bool ExcludeFromClipRect() override { return true; }
};

class TcxGridHeaderPainter : public TcxGridColumnContainerPainter {
  RTL_DECLARE_CLASS(TcxGridHeaderPainter, TcxGridColumnContainerPainter)
public:
  using TcxGridColumnContainerPainter::TcxGridColumnContainerPainter;

protected:
  bool DrawItemsFirst() override;
  bool DrawBackgroundBitmapIn(TcxCanvas* ACanvas, const TRect& R) override;
};

// A header cell: the look-and-feel header with its edges, then its areas.
class TcxGridColumnHeaderPainter : public TcxCustomGridCellPainter {
  RTL_DECLARE_CLASS(TcxGridColumnHeaderPainter, TcxCustomGridCellPainter)
public:
  using TcxCustomGridCellPainter::TcxCustomGridCellPainter;
  TcxGridColumnHeaderViewInfo* HeaderViewInfo() const;

protected:
  virtual void DrawPressed();
  void DrawBorders() override {}
  void DrawContent() override;
  void DoPaint() override;
  bool ExcludeFromClipRect() override { return true; }
};

class TcxGridColumnHeaderAreaPainter : public TcxCustomGridCellPainter {
  RTL_DECLARE_CLASS(TcxGridColumnHeaderAreaPainter, TcxCustomGridCellPainter)
public:
  using TcxCustomGridCellPainter::TcxCustomGridCellPainter;
  TcxGridColumnHeaderAreaViewInfo* AreaViewInfo() const;

protected:
  void DrawBorders() override {}
};

class TcxGridColumnHeaderSortingMarkPainter : public TcxGridColumnHeaderAreaPainter {
  RTL_DECLARE_CLASS(TcxGridColumnHeaderSortingMarkPainter, TcxGridColumnHeaderAreaPainter)
public:
  using TcxGridColumnHeaderAreaPainter::TcxGridColumnHeaderAreaPainter;

protected:
  void DrawContent() override;
};

class TcxGridColumnHeaderFilterButtonPainter : public TcxGridColumnHeaderAreaPainter {
  RTL_DECLARE_CLASS(TcxGridColumnHeaderFilterButtonPainter, TcxGridColumnHeaderAreaPainter)
public:
  using TcxGridColumnHeaderAreaPainter::TcxGridColumnHeaderAreaPainter;

protected:
  void DrawContent() override;
};

class TcxGridColumnHeaderGlyphPainter : public TcxGridColumnHeaderAreaPainter {
  RTL_DECLARE_CLASS(TcxGridColumnHeaderGlyphPainter, TcxGridColumnHeaderAreaPainter)
public:
  using TcxGridColumnHeaderAreaPainter::TcxGridColumnHeaderAreaPainter;

protected:
  void DrawContent() override;
};

// =======================================================================================
// The remaining places of the tabular view a hit test can name. The parts they belong to
// (group-by box, footer, filter box, customization form) answer them.

class TcxGridGroupByBoxHitTest : public TcxCustomGridViewHitTest {
  RTL_DECLARE_CLASS(TcxGridGroupByBoxHitTest, TcxCustomGridViewHitTest)
public:
  Integer HitTestCode() const override { return 201; }
};

class TcxGridFooterHitTest : public TcxCustomGridViewHitTest {
  RTL_DECLARE_CLASS(TcxGridFooterHitTest, TcxCustomGridViewHitTest)
public:
  Integer HitTestCode() const override { return 205; }
};

class TcxGridFooterCellHitTest : public TcxCustomGridColumnHitTest {
  RTL_DECLARE_CLASS(TcxGridFooterCellHitTest, TcxCustomGridColumnHitTest)
public:
  Integer HitTestCode() const override { return 206; }
};

class TcxGridGroupFooterHitTest : public TcxGridFooterHitTest {
  RTL_DECLARE_CLASS(TcxGridGroupFooterHitTest, TcxGridFooterHitTest)
public:
  Integer HitTestCode() const override { return 207; }
};

class TcxGridGroupFooterCellHitTest : public TcxGridFooterCellHitTest {
  RTL_DECLARE_CLASS(TcxGridGroupFooterCellHitTest, TcxGridFooterCellHitTest)
public:
  Integer HitTestCode() const override { return 208; }
};

class TcxGridFilterHitTest : public TcxCustomGridViewHitTest {
  RTL_DECLARE_CLASS(TcxGridFilterHitTest, TcxCustomGridViewHitTest)
public:
  Integer HitTestCode() const override { return 209; }
};

class TcxGridFilterActivateButtonHitTest : public TcxCustomGridViewHitTest {
  RTL_DECLARE_CLASS(TcxGridFilterActivateButtonHitTest, TcxCustomGridViewHitTest)
public:
  Integer HitTestCode() const override { return 210; }
};

class TcxGridFilterCloseButtonHitTest : public TcxCustomGridViewHitTest {
  RTL_DECLARE_CLASS(TcxGridFilterCloseButtonHitTest, TcxCustomGridViewHitTest)
public:
  Integer HitTestCode() const override { return 211; }
};

class TcxGridFilterCustomizeButtonHitTest : public TcxCustomGridViewHitTest {
  RTL_DECLARE_CLASS(TcxGridFilterCustomizeButtonHitTest, TcxCustomGridViewHitTest)
public:
  Integer HitTestCode() const override { return 212; }
};

// A row's cell in the indicator column.
class TcxGridRowIndicatorHitTest : public TcxGridRecordHitTest {
  RTL_DECLARE_CLASS(TcxGridRowIndicatorHitTest, TcxGridRecordHitTest)
public:
  Integer HitTestCode() const override { return 213; }
};

// The band across a row's bottom edge in the indicator column: dragging it sizes the row.
class TcxGridRowSizingEdgeHitTest : public TcxGridRecordHitTest {
  RTL_DECLARE_CLASS(TcxGridRowSizingEdgeHitTest, TcxGridRecordHitTest)
public:
  Integer HitTestCode() const override { return 214; }
  TCursor Cursor() const override;
  TClass DragAndDropObjectClass() const override;
};

// The indicator column outside its row cells, and its header and footer cells.
class TcxGridIndicatorHitTest : public TcxCustomGridViewHitTest {
  RTL_DECLARE_CLASS(TcxGridIndicatorHitTest, TcxCustomGridViewHitTest)
public:
  Integer HitTestCode() const override { return 215; }
};

class TcxGridCustomozationFormHitTest : public TcxCustomGridViewHitTest {
  RTL_DECLARE_CLASS(TcxGridCustomozationFormHitTest, TcxCustomGridViewHitTest)
public:
  Integer HitTestCode() const override { return 217; }
};

// =======================================================================================
// The indicator column: the narrow column left of the header and the rows. It has a cell
// beside the header and one beside every row; a row's cell shows the record's state and
// carries the row's sizing edge. The rows own their cells; the column lists every cell
// and frees those still listed when it goes.

class TcxCustomGridIndicatorItemViewInfo;
class TcxGridIndicatorRowItemViewInfo;

class TcxGridIndicatorViewInfo : public TcxCustomGridViewCellViewInfo {
  RTL_DECLARE_CLASS(TcxGridIndicatorViewInfo, TcxCustomGridViewCellViewInfo)
public:
  using TConstructorArg = TcxGridTableViewInfo*;
  explicit TcxGridIndicatorViewInfo(TcxGridTableViewInfo* AGridViewInfo);
  ~TcxGridIndicatorViewInfo() override;

  TcxGridTableViewInfo* TableViewInfo() const;
  TcxGridTableView* TableView() const;
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxCustomGridIndicatorItemViewInfo* Items(Integer AIndex) const { return FItems.at(static_cast<size_t>(AIndex)); }

  // A new cell of AClass, listed; its owner is the caller unless the column frees it.
  TcxCustomGridIndicatorItemViewInfo* AddItem(TClass AClass);
  // AddItem, then the cell is laid out at (column left, ATop), AHeight high.
  TcxCustomGridIndicatorItemViewInfo* AddItemAt(Integer ATop, Integer AHeight, TClass AClass);
  // The cell of a row (the row keeps it).
  TcxGridIndicatorRowItemViewInfo* CreateRowItem(TcxCustomGridRowViewInfo* ARow);
  // Lays a row's cell out beside the row.
  void PlaceRowItem(TcxCustomGridRowViewInfo* ARow, TcxGridIndicatorRowItemViewInfo* AItem);
  // The bounds of the row cell of ARecord; empty when the record has none.
  void GetRowItemBounds(TcxCustomGridRecord* ARecord, TRect& R);
  // A cell leaving: it is no longer listed.
  void RemoveItem(TcxCustomGridIndicatorItemViewInfo* AItem);
  TcxCustomGridIndicatorItemViewInfo* HeaderItem() const { return FHeaderItem.get(); }

  Integer CalculateHeight() override;
  Integer CalculateWidth() override;
  Integer GetWidth() override { return CalculateWidth(); }
  bool GetVisible() override;
  TBitmap* GetBackgroundBitmap() override;
  void GetViewParams(TcxViewParams& AParams) override;
  TColor GetBorderColor(TcxBorder) override { return clNone; }
  Integer GetBorderWidth(TcxBorder) override { return 0; }
  TClass GetHitTestClass() override { return TcxGridIndicatorHitTest::StaticClass(); }
  TClass GetPainterClass() override;
  void Calculate(Integer ALeft, Integer ATop, Integer AWidth = -1, Integer AHeight = -1) override;
  TcxCustomGridHitTest* GetHitTest(const TPoint& P) override;

private:
  std::vector<TcxCustomGridIndicatorItemViewInfo*> FItems;
  // The header cell, which the column owns.
  TObjectPtr<TcxCustomGridIndicatorItemViewInfo> FHeaderItem;
};

class TcxCustomGridIndicatorItemViewInfo : public TcxCustomGridViewCellViewInfo {
  RTL_DECLARE_CLASS(TcxCustomGridIndicatorItemViewInfo, TcxCustomGridViewCellViewInfo)
public:
  using TConstructorArg = TcxGridIndicatorViewInfo*;
  explicit TcxCustomGridIndicatorItemViewInfo(TcxGridIndicatorViewInfo* AIndicator);
  void BeforeDestruction() override;

  TcxGridIndicatorViewInfo* Indicator() const { return FIndicator; }
  TcxGridTableView* TableView() const { return FIndicator->TableView(); }

  Integer CalculateHeight() override { return 0; }
  Integer CalculateWidth() override { return FIndicator->GetWidth(); }
  void GetViewParams(TcxViewParams& AParams) override;
  TColor GetBorderColor(TcxBorder) override { return clNone; }
  Integer GetBorderWidth(TcxBorder) override { return 0; }
  bool CustomDraw(TcxCanvas* ACanvas) override;
  bool HasCustomDraw() override;
  TClass GetHitTestClass() override { return TcxGridIndicatorHitTest::StaticClass(); }
  TClass GetPainterClass() override;

private:
  TcxGridIndicatorViewInfo* FIndicator;
};

// The cell beside the header.
class TcxGridIndicatorHeaderItemViewInfo : public TcxCustomGridIndicatorItemViewInfo {
  RTL_DECLARE_CLASS(TcxGridIndicatorHeaderItemViewInfo, TcxCustomGridIndicatorItemViewInfo)
public:
  using TcxCustomGridIndicatorItemViewInfo::TcxCustomGridIndicatorItemViewInfo;
  TClass GetPainterClass() override;
};

// The cell beside a row: the record's state, and the row's sizing edge along its bottom.
class TcxGridIndicatorRowItemViewInfo : public TcxCustomGridIndicatorItemViewInfo {
  RTL_DECLARE_CLASS(TcxGridIndicatorRowItemViewInfo, TcxCustomGridIndicatorItemViewInfo)
public:
  using TcxCustomGridIndicatorItemViewInfo::TcxCustomGridIndicatorItemViewInfo;
  void BeforeDestruction() override;

  TcxCustomGridRowViewInfo* Row() const { return FRow; }
  void SetRow(TcxCustomGridRowViewInfo* ARow) { FRow = ARow; }

  virtual TcxIndicatorKind GetIndicatorKind();
  // An 8-pixel band centred on the row's bottom edge.
  virtual void GetRowSizingEdgeBounds(TRect& R);

  TBitmap* GetBackgroundBitmap() override;
  TClass GetHitTestClass() override { return TcxGridRowIndicatorHitTest::StaticClass(); }
  void InitHitTest(TcxCustomGridHitTest* AHitTest) override;
  TcxCustomGridHitTest* GetHitTest(const TPoint& P) override;
  bool MouseDown(TcxCustomGridHitTest* AHitTest, TMouseButton AButton, TShiftState AShift) override;
  TClass GetPainterClass() override;

private:
  TcxCustomGridRowViewInfo* FRow = nullptr;
};

// Draws the column's cells and its background (in the order the look and feel asks).
class TcxGridIndicatorPainter : public TcxCustomGridCellPainter {
  RTL_DECLARE_CLASS(TcxGridIndicatorPainter, TcxCustomGridCellPainter)
public:
  using TcxCustomGridCellPainter::TcxCustomGridCellPainter;
  TcxGridIndicatorViewInfo* IndicatorViewInfo() const { return static_cast<TcxGridIndicatorViewInfo*>(ViewInfo()); }

protected:
  virtual void DrawItems();
  virtual bool DrawItemsFirst();
  void DrawContent() override;
  void DrawBorders() override {}
  bool ExcludeFromClipRect() override { return true; }
};

class TcxCustomGridIndicatorItemPainter : public TcxCustomGridCellPainter {
  RTL_DECLARE_CLASS(TcxCustomGridIndicatorItemPainter, TcxCustomGridCellPainter)
public:
  using TcxCustomGridCellPainter::TcxCustomGridCellPainter;

protected:
  void DrawBorders() override {}
  bool ExcludeFromClipRect() override { return true; }
};

// A header cell without text, edges on all four sides.
class TcxGridIndicatorHeaderItemPainter : public TcxCustomGridIndicatorItemPainter {
  RTL_DECLARE_CLASS(TcxGridIndicatorHeaderItemPainter, TcxCustomGridIndicatorItemPainter)
public:
  using TcxCustomGridIndicatorItemPainter::TcxCustomGridIndicatorItemPainter;

protected:
  void DrawContent() override;
};

// The look and feel's indicator cell with the image of the record's state.
class TcxGridIndicatorRowItemPainter : public TcxCustomGridIndicatorItemPainter {
  RTL_DECLARE_CLASS(TcxGridIndicatorRowItemPainter, TcxCustomGridIndicatorItemPainter)
public:
  using TcxCustomGridIndicatorItemPainter::TcxCustomGridIndicatorItemPainter;
  TcxGridIndicatorRowItemViewInfo* RowItemViewInfo() const {
    return static_cast<TcxGridIndicatorRowItemViewInfo*>(ViewInfo());
  }

protected:
  void DrawContent() override;
};

// =======================================================================================
// Sizing a column by its header's right edge and a row by its bottom edge. While the
// mouse moves, a one-pixel mark is inverted where the new edge would be; nothing changes
// until the button is released.

// The table view's in-site drag-and-drop base.
class TcxGridDragAndDropObject : public TcxCustomGridTableDragAndDropObject {
  RTL_DECLARE_CLASS(TcxGridDragAndDropObject, TcxCustomGridTableDragAndDropObject)
public:
  using TcxCustomGridTableDragAndDropObject::TcxCustomGridTableDragAndDropObject;
  TcxGridTableController* Controller() const;
  TcxGridTableView* GridView() const;
  TcxGridTableViewInfo* ViewInfo() const;
  // Around each step the controller scrolls the view by while dragging.
  virtual void AfterScrolling() {}
  virtual void BeforeScrolling() {}
};

class TcxCustomGridSizingObject : public TcxGridDragAndDropObject {
  RTL_DECLARE_CLASS(TcxCustomGridSizingObject, TcxGridDragAndDropObject)
public:
  using TcxGridDragAndDropObject::TcxGridDragAndDropObject;

  Integer DestPointX() const { return FDestPointX; }
  Integer DestPointY() const { return FDestPointY; }
  Integer OriginalSize() const { return FOriginalSize; }

  virtual Integer GetCurrentSize();
  virtual Integer GetDelta();
  virtual void GetHorzSizingMarkBounds(TRect& R);
  virtual bool IsHorizontalSizing() { return true; }
  virtual void GetSizingItemBounds(TRect& R) = 0;
  virtual void GetSizingMarkBounds(TRect& R);
  virtual Integer GetSizingMarkWidth() = 0;
  virtual void GetVertSizingMarkBounds(TRect& R);

  void InitFromHitTest(const TPoint& P, TcxCustomGridHitTest* AHitTest) override;
  void FeedbackChanged() override;
  TCursor GetDragAndDropCursor(bool Accepted) override;
  bool GetImmediateStart() override { return true; }
  void DragAndDrop(const TPoint& P, bool& Accepted) override;

protected:
  void SetOriginalSize(Integer AValue) { FOriginalSize = AValue; }

private:
  Integer FDestPointX = 0;
  Integer FDestPointY = 0;
  Integer FOriginalSize = 0;
};

class TcxCustomGridColumnSizingObject : public TcxCustomGridSizingObject {
  RTL_DECLARE_CLASS(TcxCustomGridColumnSizingObject, TcxCustomGridSizingObject)
public:
  using TcxCustomGridSizingObject::TcxCustomGridSizingObject;
  TcxGridColumn* Column() const { return FColumn; }
  // The column's header cell in the current layout, or null.
  TcxGridColumnHeaderViewInfo* ColumnHeaderViewInfo() const;

  void GetSizingItemBounds(TRect& R) override;
  Integer GetSizingMarkWidth() override { return 1; }
  void InitFromHitTest(const TPoint& P, TcxCustomGridHitTest* AHitTest) override;

private:
  TcxGridColumn* FColumn = nullptr;
};

class TcxGridColumnHorzSizingObject : public TcxCustomGridColumnSizingObject {
  RTL_DECLARE_CLASS(TcxGridColumnHorzSizingObject, TcxCustomGridColumnSizingObject)
public:
  using TcxCustomGridColumnSizingObject::TcxCustomGridColumnSizingObject;
  Integer GetCurrentSize() override;
  void BeginDragAndDrop() override;
  void EndDragAndDrop(bool Accepted) override;
};

class TcxGridRowSizingObject : public TcxCustomGridSizingObject {
  RTL_DECLARE_CLASS(TcxGridRowSizingObject, TcxCustomGridSizingObject)
public:
  using TcxCustomGridSizingObject::TcxCustomGridSizingObject;
  // The sized row's record and its layout in the current layout (either may be null
  // once the data changed under the drag).
  TcxCustomGridRecord* Row() const;
  TcxCustomGridRowViewInfo* RowViewInfo() const;

  Integer GetCurrentSize() override;
  bool IsHorizontalSizing() override { return false; }
  void GetSizingItemBounds(TRect& R) override;
  Integer GetSizingMarkWidth() override { return 1; }
  void InitFromHitTest(const TPoint& P, TcxCustomGridHitTest* AHitTest) override;
  void BeginDragAndDrop() override;
  void EndDragAndDrop(bool Accepted) override;

private:
  // The record is found again by its place, so that a changed layout never leaves the
  // operation holding a freed row.
  TcxCustomGridViewData* FViewData = nullptr;
  Integer FRecordIndex = -1;
  bool FIsNewItemRecord = false;
};

namespace cxGridTableViewUnit {
void Initialize();
void Finalize();
}  // namespace cxGridTableViewUnit
