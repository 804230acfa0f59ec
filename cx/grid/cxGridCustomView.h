#pragma once
// cxGridCustomView: the base of every grid view and of its companion objects.
//
// A view is a non-visual component of a grid. At construction it creates, through its
// class operations, its controller, data controller, painter, view data, view info (which
// owns the view's window, the grid site) and view-info cache, and its option groups
// (background bitmaps, selection options, view options, styles). It is the one entry
// point through which those objects ask for layout, size and repaint work: each request
// becomes a change object for the grid's update queue.
//
// Also here: the hit tests (one shared instance per class, overwritten by every query),
// the cell view infos and their one-shot painters, and the registry of view kinds.
#include <memory>
#include <string>
#include <vector>

#include "cx/data/cxCustomData.h"
#include "cx/foundation/cxClasses.h"
#include "cx/foundation/cxControls.h"
#include "cx/foundation/cxGraphics.h"
#include "cx/foundation/cxLookAndFeelPainters.h"
#include "cx/foundation/cxStyles.h"
#include "cx/grid/cxGridCommon.h"

class TcxCustomGrid;
class TcxGridLevel;
class TcxCustomGridView;
class TcxCustomGridController;
class TcxCustomGridPainter;
class TcxCustomGridViewData;
class TcxCustomGridViewInfo;
class TcxCustomGridViewInfoCache;
class TcxGridSite;
class TcxCustomGridCellViewInfo;
class TcxCustomGridOptions;

// ---------------------------------------------------------------------------------------
// Hit tests.

// What lies under a point. One instance per class lives in the global registry and is
// handed out again and again (Instance), so a consumer reads it at once and never keeps
// it. The class answers its code, cursor and drag-and-drop class.
class TcxCustomGridHitTest : public TObject {
  RTL_DECLARE_CLASS(TcxCustomGridHitTest, TObject)
public:
  TcxCustomGridHitTest() = default;
  TcxCustomGridHitTest(const TcxCustomGridHitTest&) = delete;
  TcxCustomGridHitTest& operator=(const TcxCustomGridHitTest&) = delete;

  virtual Integer HitTestCode() const { return -1; }
  virtual TCursor Cursor() const { return crDefault; }
  // A TcxCustomGridDragAndDropObject class, or null.
  virtual TClass DragAndDropObjectClass() const { return nullptr; }

  // The registry's instance of exactly AClass with Pos := APoint; the other fields keep
  // the values of the previous use until the producer sets them.
  static TcxCustomGridHitTest* Instance(TClass AClass, const TPoint& APoint);

  TPoint Pos{0, 0};
  // The cell that answered; null for the none hit tests.
  TcxCustomGridCellViewInfo* ViewInfo = nullptr;
};

class TcxGridNoneHitTest : public TcxCustomGridHitTest {
  RTL_DECLARE_CLASS(TcxGridNoneHitTest, TcxCustomGridHitTest)
public:
  Integer HitTestCode() const override { return 0; }
};

// A place inside a view.
class TcxCustomGridViewHitTest : public TcxCustomGridHitTest {
  RTL_DECLARE_CLASS(TcxCustomGridViewHitTest, TcxCustomGridHitTest)
public:
  TcxCustomGridView* GridView = nullptr;
};

class TcxGridViewNoneHitTest : public TcxCustomGridViewHitTest {
  RTL_DECLARE_CLASS(TcxGridViewNoneHitTest, TcxCustomGridViewHitTest)
public:
  Integer HitTestCode() const override { return 0; }
};

// A level tab of a details site.
class TcxGridDetailsSiteTabHitTest : public TcxCustomGridHitTest {
  RTL_DECLARE_CLASS(TcxGridDetailsSiteTabHitTest, TcxCustomGridHitTest)
public:
  Integer HitTestCode() const override { return 50; }
  TcxGridLevel* Level = nullptr;
  TObject* Owner = nullptr;
};

// A record of a record view: the view data, the record's index in it and whether it is
// the new-item record.
class TcxGridRecordHitTest : public TcxCustomGridViewHitTest {
  RTL_DECLARE_CLASS(TcxGridRecordHitTest, TcxCustomGridViewHitTest)
public:
  Integer HitTestCode() const override { return 101; }
  // Whether a mouse-down on this place may focus and select the record.
  virtual bool AllowsSelection() const { return true; }
  TcxCustomGridViewData* ViewData = nullptr;
  Integer RecordIndex = -1;
  bool IsNewItemRecord = false;
};

class TcxGridRecordCellHitTest : public TcxGridRecordHitTest {
  RTL_DECLARE_CLASS(TcxGridRecordCellHitTest, TcxGridRecordHitTest)
public:
  Integer HitTestCode() const override { return 102; }
  TObject* Item = nullptr;
};

class TcxGridExpandButtonHitTest : public TcxGridRecordHitTest {
  RTL_DECLARE_CLASS(TcxGridExpandButtonHitTest, TcxGridRecordHitTest)
public:
  Integer HitTestCode() const override { return 103; }
  bool AllowsSelection() const override { return false; }
};

class TcxGridNavigatorHitTest : public TcxCustomGridViewHitTest {
  RTL_DECLARE_CLASS(TcxGridNavigatorHitTest, TcxCustomGridViewHitTest)
public:
  Integer HitTestCode() const override { return 104; }
};

// The shared hit-test instances, at most one per class.
class TGridHitTests : public TObject {
  RTL_DECLARE_CLASS(TGridHitTests, TObject)
public:
  TGridHitTests() = default;
  ~TGridHitTests() override;
  TGridHitTests(const TGridHitTests&) = delete;
  TGridHitTests& operator=(const TGridHitTests&) = delete;
  // The instance whose class is exactly AClass (a descendant's does not count); made with
  // the plain constructor and appended when missing.
  TcxCustomGridHitTest* GetInstance(TClass AClass);
  TcxCustomGridHitTest* FindInstance(TClass AClass) const;
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxCustomGridHitTest* Items(Integer Index) const { return FItems.at(static_cast<size_t>(Index)); }

private:
  std::vector<TcxCustomGridHitTest*> FItems;
};

// The registry of the grid units (from their start to their end).
TGridHitTests* GridHitTests();

// ---------------------------------------------------------------------------------------
// Handlers.

// The base of a view's companion objects: bound to the view, with short paths to the
// view's other companions.
class TcxGridViewHandler : public TcxInterfacedPersistent {
  RTL_DECLARE_CLASS(TcxGridViewHandler, TcxInterfacedPersistent)
public:
  using TConstructorArg = TcxCustomGridView*;
  explicit TcxGridViewHandler(TcxCustomGridView* AGridView);

  TcxCustomGridView* GridView() const { return FGridView; }
  TcxCustomGrid* Control() const;
  TcxCustomGridController* Controller() const;
  TcxCustomDataController* DataController() const;
  TcxCustomGridPainter* Painter() const;
  TcxGridSite* Site() const;
  TcxCustomGridViewData* ViewData() const;
  TcxCustomGridViewInfo* ViewInfo() const;
  TcxCustomLookAndFeelPainterClass LookAndFeelPainter() const;
  void BeginUpdate();
  void EndUpdate();

private:
  TcxCustomGridView* FGridView;
};

// One in-control drag of a view (moving or sizing something in the site), armed from a
// hit test.
class TcxCustomGridDragAndDropObject : public TcxDragAndDropObject {
  RTL_DECLARE_CLASS(TcxCustomGridDragAndDropObject, TcxDragAndDropObject)
public:
  using TcxDragAndDropObject::TcxDragAndDropObject;
  void RestoreFeedback() { SetFeedbackHidden(false); }
  void SuppressFeedback() { SetFeedbackHidden(true); }
  virtual void InitFromHitTest(const TPoint& P, TcxCustomGridHitTest* AHitTest) { FSourcePoint = P; }
  TPoint SourcePoint() const { return FSourcePoint; }
  TcxGridSite* Site() const;
  TcxCustomGridView* GridView() const;
  TcxCustomGridController* Controller() const;

private:
  TPoint FSourcePoint{0, 0};
};

// The base of view controllers: the site hands it every key, mouse, focus, scroll and
// drag event of the view. It routes the mouse to the cell under it, starts in-control
// drags described by hit tests and shows a cell's hint over the cell.
class TcxCustomGridController : public TcxGridViewHandler, public IcxMouseTrackingCaller {
  RTL_DECLARE_CLASS(TcxCustomGridController, TcxGridViewHandler)
public:
  explicit TcxCustomGridController(TcxCustomGridView* AGridView) : TcxGridViewHandler(AGridView) {}
  ~TcxCustomGridController() override;
  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    return TcxGridViewHandler::QueryInterface(riid, obj);
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return TcxGridViewHandler::_AddRef(); }
  ULONG STDMETHODCALLTYPE _Release() override { return TcxGridViewHandler::_Release(); }

  // The mouse left the area tracked for the hint.
  void MouseLeave() override { HideHint(); }
  virtual void AfterPaint();
  virtual void BeforeKillFocus() {}
  virtual void BeforePaint();
  virtual bool CanHandleHitTest(TcxCustomGridHitTest* AHitTest);
  virtual void DetailFocused(TcxCustomGridView* ADetailView) {}
  virtual void DoEnter() {}
  virtual void DoExit() {}
  virtual bool HasDragAndDropObject(TcxCustomGridHitTest* AHitTest);
  virtual TcxMouseWheelScrollingKind GetMouseWheelScrollingKind() { return mwskNone; }
  virtual bool IsPixelScrollBar(TScrollBarKind AKind) { return false; }
  virtual bool MayFocus() { return true; }
  virtual void FocusLost();
  virtual void FocusGained();
  virtual void ControlFocusChanged();
  virtual void CancelMouseOperations() {}
  virtual TCursor GetCursor(Integer X, Integer Y);
  virtual bool HasFocusedChild() { return false; }
  virtual void InitScrollBarsParameters() {}
  virtual bool AllContentVisible(bool AFlag) { return true; }
  virtual void Scroll(TScrollBarKind AScrollBarKind, TScrollCode AScrollCode, Integer& AScrollPos) {}
  virtual void BeginDragAndDrop() {}
  virtual void DragAndDrop(const TPoint& P, bool& Accepted) {}
  virtual void EndDragAndDrop(bool Accepted) {}
  virtual bool StartDragAndDrop(const TPoint& P);
  virtual void BeforeStartDrag() {}
  virtual bool CanBeginStandardDrag(Integer X, Integer Y) { return true; }
  virtual void DragDrop(TObject* Source, Integer X, Integer Y) {}
  virtual void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {}
  virtual void EndDrag(TObject* Target, Integer X, Integer Y) {}
  virtual void StartDrag(TDragObject*& DragObject) {}
  virtual TClass GetHintWindowClass();
  virtual void KeyDown(Word& Key, TShiftState Shift) { DoKeyDown(Key, Shift); }
  virtual void DoKeyDown(Word& Key, TShiftState Shift) {}
  virtual void KeyPress(char& Key) {}
  virtual void KeyUp(Word& Key, TShiftState Shift) {}
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void MouseMove(TShiftState Shift, Integer X, Integer Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  // Called before the site's own message handling.
  virtual void WndProc(TMessage& Message) {}

  // Shows AText over ATextBounds (site coordinates) until the mouse leaves AAreaBounds.
  void ShowHint(const TRect& AAreaBounds, const TRect& ATextBounds, TFont* AFont, bool AMultiLine,
                const std::string& AText);
  void HideHint();
  THintWindow* HintWindow() const { return FHintWindow.get(); }
  TRect HintAreaBounds() const { return FHintAreaBounds; }
  bool IsDblClick() const { return FIsDblClick; }

  TcxCustomGridDragAndDropObject* GetDragAndDropObject();
  bool IsDragging();
  TcxCustomGridCellViewInfo* GetMouseCaptureViewInfo();
  void SetDragAndDropObjectClass(TClass AClass);
  void UpdateScrollBars();
  void SetScrollBarInfo(TScrollBarKind AKind, Integer AMin, Integer AMax, Integer AStep, Integer APage,
                        Integer APosition, bool AAllowShow, bool AAllowHide);
  void NotifyDesignerModified() {}

private:
  TRect FHintAreaBounds{0, 0, 0, 0};
  TObjectPtr<THintWindow> FHintWindow;
  std::string FHintText;
  bool FIsDblClick = false;
};

// Paints a view on its site from its view info: the descendants paint their cells in
// PaintContent and exclude what they painted; the base fills only the rest with the
// view's background (colour or tiled bitmap).
class TcxCustomGridPainter : public TcxGridViewHandler {
  RTL_DECLARE_CLASS(TcxCustomGridPainter, TcxGridViewHandler)
public:
  explicit TcxCustomGridPainter(TcxCustomGridView* AGridView) : TcxGridViewHandler(AGridView) {}
  ~TcxCustomGridPainter() override;

  TcxCanvas* Canvas() const;
  // BeforePaint, PaintContent, AfterPaint.
  void Paint();
  // Takes R out of the area the background fills in this paint.
  void ExcludeFromBackground(const TRect& R);
  void Invalidate();
  void InvalidateRect(const TRect& R);
  // The focus frame while the view's control is focused; otherwise, unless
  // AHideFocusRect, a one-pixel frame of inverted pixels (painting it twice restores it).
  virtual void DrawFocusRect(const TRect& R, bool AHideFocusRect);

protected:
  virtual void DrawBackground();
  virtual void AfterPaint();
  virtual void BeforePaint();
  virtual void PaintContent() {}

private:
  std::unique_ptr<TcxRegion, TObjectDeleter> FBackgroundRegion;
  std::unique_ptr<TcxRegion, TObjectDeleter> FSavedClipRegion;
};

// The base of the view data objects (the record lists of record views).
class TcxCustomGridViewData : public TcxGridViewHandler {
  RTL_DECLARE_CLASS(TcxCustomGridViewData, TcxGridViewHandler)
public:
  explicit TcxCustomGridViewData(TcxCustomGridView* AGridView) : TcxGridViewHandler(AGridView) {}
};

// ---------------------------------------------------------------------------------------
// View info and cache.

// The left position that parks a site: out of view while it keeps its parent (and the
// focus).
constexpr Integer cxGridParkedSiteLeft = 30000;

// Lays a view out: owns its site, gives it its bounds, computes what lies inside
// (descendants), answers hit tests, and shows, hides or parks the site.
class TcxCustomGridViewInfo : public TcxGridViewHandler {
  RTL_DECLARE_CLASS(TcxCustomGridViewInfo, TcxGridViewHandler)
public:
  explicit TcxCustomGridViewInfo(TcxCustomGridView* AGridView) : TcxGridViewHandler(AGridView) {}
  // The site and the part view infos are made once the object is complete (their classes
  // are virtual choices).
  void AfterConstruction() override;
  void BeforeDestruction() override;
  ~TcxCustomGridViewInfo() override;

  // Lays the view out inside R (grid or master-site coordinates); nothing when re-entered.
  void Calculate(const TRect& R);
  void Recalculate();
  void SetClientBounds(const TRect& R);
  void UpdateSiteVisibility(bool ACanShow);
  void CalculateHeightFor(Integer AMaxSize, Integer& AHeight, bool& AFullyVisible);
  void CalculateWidthFor(Integer AMaxSize, Integer& AWidth);
  Integer GetFontHeight(TFont* AFont);
  void RegisterCellGuard(TcxCustomGridCellViewInfo* ACell);
  bool IsCellGuarded(TcxCustomGridCellViewInfo* ACell) const;
  void UnregisterCellGuard(TcxCustomGridCellViewInfo* ACell);
  void UpdateMousePos();

  TcxGridSite* Site() const { return FSite; }
  TcxCanvas* Canvas() const;
  TRect Bounds() const { return FBounds; }
  bool HasBounds() const { return !IsRectEmpty(FBounds); }
  TRect ClientBounds();
  Integer ClientWidth() { TRect r = ClientBounds(); return r.right - r.left; }
  Integer ClientHeight() { TRect r = ClientBounds(); return r.bottom - r.top; }
  bool IsCalculating() const { return FIsCalculating; }
  bool IsCalculatingSize() const { return FIsCalculatingSize; }
  bool IsInternalUse();
  TPoint MousePos() const { return FMousePos; }
  TWinControl* SiteParent() const;

  virtual void CreateViewInfos() {}
  virtual void DestroyViewInfos(bool AIsRecreating) {}
  virtual void RecreateViewInfos();
  virtual TClass GetSiteClass();
  virtual void AfterCalculate();
  virtual void BeforeCalculate() { UpdateMousePos(); }
  virtual void DoCalculate() {}
  virtual TRect GetDefaultClientBounds() { return FBounds; }
  virtual void CalculateHeight(Integer AMaxSize, Integer& AHeight, bool& AFullyVisible);
  virtual void CalculateWidth(Integer AMaxSize, Integer& AWidth);
  virtual void ControlFocusChanged() {}
  virtual bool IsCalculationIdle() { return !FIsCalculating && !FUpdatingSiteVisibility; }
  virtual TBitmap* GetBackgroundBitmap();
  virtual TColor GetBackgroundColor();
  virtual void AdjustHScrollBarBounds(TRect& R) {}
  virtual bool InternalUse() { return FInternalUseFlag; }
  virtual void InitHitTest(TcxCustomGridHitTest* AHitTest);
  virtual void SetSiteVisible(bool AVisible);
  virtual TcxCustomGridHitTest* GetHitTest(const TPoint& P);
  TcxCustomGridHitTest* GetHitTest(Integer X, Integer Y) { return GetHitTest(TPoint{X, Y}); }

protected:
  bool FInternalUseFlag = false;

private:
  std::vector<TcxCustomGridCellViewInfo*> FGuardedCells;
  TRect FBounds{0, 0, 0, 0};
  TRect FExplicitClientBounds{0, 0, 0, 0};
  bool FHasExplicitClientBounds = false;
  bool FIsCalculating = false;
  TPoint FMousePos{2147483647, 2147483647};
  TcxGridSite* FSite = nullptr;
  bool FIsCalculatingSize = false;
  bool FUpdatingSiteVisibility = false;
};

class TcxCustomGridViewInfoCache;

// The argument of a cache item's constructor.
struct TcxGridViewInfoCacheItemArgs {
  TcxCustomGridViewInfoCache* Owner;
  Integer Index;
};

// The values kept for one row between calculations.
class TcxCustomGridViewInfoCacheItem : public TObject {
  RTL_DECLARE_CLASS(TcxCustomGridViewInfoCacheItem, TObject)
public:
  using TConstructorArg = const TcxGridViewInfoCacheItemArgs*;
  explicit TcxCustomGridViewInfoCacheItem(const TcxGridViewInfoCacheItemArgs* AArgs)
      : FOwner(AArgs->Owner), FIndex(AArgs->Index) {}
  TcxCustomGridViewInfoCacheItem(const TcxCustomGridViewInfoCacheItem&) = delete;
  TcxCustomGridViewInfoCacheItem& operator=(const TcxCustomGridViewInfoCacheItem&) = delete;
  TcxCustomGridViewInfoCache* Owner() const { return FOwner; }
  Integer Index() const { return FIndex; }
  // Forgets the cached sizes (descendants).
  virtual void UnassignValues(bool AMasterUnchanged) {}

private:
  TcxCustomGridViewInfoCache* FOwner;
  Integer FIndex;
};

// Per-row values indexed by row; entries may be null.
class TcxCustomGridViewInfoCache : public TcxGridViewHandler {
  RTL_DECLARE_CLASS(TcxCustomGridViewInfoCache, TcxGridViewHandler)
public:
  explicit TcxCustomGridViewInfoCache(TcxCustomGridView* AGridView) : TcxGridViewHandler(AGridView) {}
  ~TcxCustomGridViewInfoCache() override;

  virtual TClass GetItemClass() { return TcxCustomGridViewInfoCacheItem::StaticClass(); }
  // Every item forgets its values (nothing when re-entered).
  virtual void UnassignValues(bool AMasterUnchanged);

  TcxCustomGridViewInfoCacheItem* GetItem(Integer AIndex) const;
  TcxCustomGridViewInfoCacheItem* GetOrCreateItem(Integer AIndex);
  // Frees every item; then ACount empty entries.
  void SetCount(Integer ACount);
  void Clear();
  Integer Count() const { return static_cast<Integer>(FItems.size()); }

private:
  std::vector<TcxCustomGridViewInfoCacheItem*> FItems;
  bool FUnassigningValues = false;
};

// ---------------------------------------------------------------------------------------
// The grid site: the window of one view.

class TcxGridSite : public TcxControl {
  RTL_DECLARE_CLASS(TcxGridSite, TcxControl)
public:
  using TConstructorArg = TcxCustomGridViewInfo*;
  explicit TcxGridSite(TcxCustomGridViewInfo* AViewInfo);

  TcxCustomGridViewInfo* ViewInfo() const { return FViewInfo; }
  TcxCustomGridView* View() const;
  TcxCustomGrid* Grid() const;
  TcxCustomGridController* Controller() const;
  TcxCustomGridPainter* Painter() const;
  Integer LastClientWidth() const { return FLastClientWidth; }
  Integer LastClientHeight() const { return FLastClientHeight; }
  bool IsParked() const { return Left() == cxGridParkedSiteLeft; }

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void SetParent(TWinControl* AParent) override;
  void SetFocus() override;
  bool IsFocused() override;
  bool AcceptsFocus() override;
  bool CanFocusOnChildClick() override;
  bool IsDesigning() override;
  void BoundsChanged() override;
  void FocusChanged() override;
  void CancelMouseOperations() override;
  TCursor GetCurrentCursor(Integer X, Integer Y) override;
  bool AllowDesignHitTest(const TPoint& P, TShiftState AShift) override;
  bool AllowAutoDragAndDropAtDesignTime(Integer X, Integer Y, TShiftState AShift) override { return false; }
  TcxMouseWheelScrollingKind GetMouseWheelScrollingKind() override;
  bool IsPixelScrollBar(TScrollBarKind AKind) override;
  void InitScrollBarsParameters() override;
  void Scroll(TScrollBarKind AScrollBarKind, TScrollCode AScrollCode, Integer& AScrollPos) override;
  TRect GetHScrollBarBounds() override;
  void UpdateScrollBars() override;
  bool CanBeginStandardDrag(Integer X, Integer Y) override;
  void BeginDragAndDrop() override;
  void DragAndDrop(const TPoint& P, bool& Accepted) override;
  void EndDragAndDrop(bool Accepted) override;
  bool StartDragAndDrop(const TPoint& P) override;
  void DoStartDrag(TDragObject*& DragObject) override;
  void DoEndDrag(TObject* Target, Integer X, Integer Y) override;
  void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) override;
  void DragDrop(TObject* Source, Integer X, Integer Y) override;
  bool ExecuteAction(TBasicAction* Action) override;
  bool UpdateAction(TBasicAction* Action) override;

  // The deferred size notice (posted while the scroll bars are being updated).
  void WMDeferredSizeChange(TMessage& Message);

protected:
  void WndProc(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void ProcessMouseDown(TMouseButton AButton, TShiftState AShift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DoEnter() override;
  void DoExit() override;
  void Paint() override;
  void RequestAlign() override {}

private:
  void refreshLastClientSize();
  Integer FLastClientWidth = 0;
  Integer FLastClientHeight = 0;
  TcxCustomGridViewInfo* FViewInfo;
};

// The message the site posts to itself to defer a size notice.
constexpr UINT WM_CXGRIDSITESIZECHANGED = WM_USER + 1;

// ---------------------------------------------------------------------------------------
// Cells.

using TcxGridBorders = TcxBorders;

class TcxCustomGridCellPainter;

// A laid-out rectangle that knows its bounds, borders, text and colours, its mouse state,
// its hit test and the class of the painter that paints it.
class TcxCustomGridCellViewInfo : public TObject, public IcxMouseTrackingCaller, public IcxMouseCaptureObject {
  RTL_DECLARE_CLASS(TcxCustomGridCellViewInfo, TObject)
public:
  TcxCustomGridCellViewInfo() = default;
  void BeforeDestruction() override;
  ~TcxCustomGridCellViewInfo() override;
  TcxCustomGridCellViewInfo(const TcxCustomGridCellViewInfo&) = delete;
  TcxCustomGridCellViewInfo& operator=(const TcxCustomGridCellViewInfo&) = delete;

  // Cells are owned by their layout: no reference counting.
  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override;
  ULONG STDMETHODCALLTYPE _AddRef() override { return static_cast<ULONG>(-1); }
  ULONG STDMETHODCALLTYPE _Release() override { return static_cast<ULONG>(-1); }
  void CaptureLost() override { MouseCaptureLost(); }

  virtual void MouseCaptureLost() { SetState(gcsNormal); }
  void MouseLeave() override;
  virtual void AfterCalculateBounds(TRect& R) {}
  virtual void ReadParamsFromCanvas(TcxCanvas* ACanvas);
  virtual void ApplyParamsToCanvas(TcxCanvas* ACanvas);
  virtual void BeforeStateChange() {}
  virtual void CalculateContentBounds(TRect& R);
  virtual Integer CalculateHeight() = 0;
  virtual Integer CalculateWidth() = 0;
  virtual void Click() {}
  virtual bool CustomDraw(TcxCanvas* ACanvas) { return false; }
  virtual bool CustomDrawBackground(TcxCanvas* ACanvas) { return false; }
  virtual void CalculateParams();
  virtual bool DoCustomDraw(TcxCanvas* ACanvas);
  virtual bool DoCustomDrawBackground(TcxCanvas* ACanvas);
  virtual TAlignment GetAlignmentHorz() { return taLeftJustify; }
  virtual TcxAlignmentVert GetAlignmentVert() { return vaTop; }
  virtual TBitmap* GetBackgroundBitmap() { return nullptr; }
  virtual void GetBorderBounds(TcxBorder ASide, TRect& R);
  virtual TColor GetBorderColor(TcxBorder ASide) = 0;
  virtual TcxGridBorders GetBorders() { return {}; }
  virtual Integer GetBorderWidth(TcxBorder ASide) = 0;
  virtual TcxCanvas* GetCanvas() = 0;
  virtual Integer GetCellHeight(Integer ATextHeight, Integer AParam) { return ATextHeight + 4; }
  virtual Integer GetContentHeight();
  virtual Integer GetContentWidth();
  virtual TcxControl* GetControl();
  virtual Integer GetHeight() { return Bounds.bottom - Bounds.top; }
  virtual TClass GetHitTestClass() = 0;
  virtual bool IsMouseSensitive() { return false; }
  virtual bool KeepsPressedState() { return false; }
  virtual bool HasMouseCapture();
  virtual bool CalculateMultiLine() { return false; }
  virtual bool GetMultiLinePainting() { return MultiLine; }
  virtual TClass GetPainterClass();
  virtual bool GetShowEndEllipsis() { return false; }
  virtual std::string GetText() { return std::string(); }
  virtual void GetTextAreaBounds(TRect& R);
  virtual Integer GetCellHeightFor(TcxCustomGridViewInfo* AViewInfo, Integer AParam);
  virtual bool HasBackgroundBitmap() { return GetBackgroundBitmap() != nullptr; }
  virtual void GetViewParams(TcxViewParams& AParams) {}
  virtual bool GetVisible() { return Visible; }
  virtual Integer GetWidth() { return Bounds.right - Bounds.left; }
  virtual bool HasCustomDraw() { return false; }
  virtual bool HasCustomDrawBackground() { return false; }
  virtual bool IsHitTestOfCell(TcxCustomGridHitTest* AHitTest);
  virtual void InitHitTest(TcxCustomGridHitTest* AHitTest) { AHitTest->ViewInfo = this; }
  virtual bool InvalidateOnStateChange() { return true; }
  virtual void Offset(Integer DX, Integer DY);
  virtual void RestoreParams(const TcxViewParams& AParams) { Params = AParams; }
  virtual void SaveParams(TcxViewParams& AParams) { AParams = Params; }
  virtual void SetMouseCapture(bool AValue);
  virtual void SetWidth(Integer AWidth) { Bounds.right = Bounds.left + AWidth; }
  virtual void StateChanged();
  virtual void InvalidateParams() { ParamsCalculated = false; }
  virtual void Calculate(Integer ALeft, Integer ATop, Integer AWidth = -1, Integer AHeight = -1);
  virtual void CalculateBounds(const TRect& R) { Calculate(R.left, R.top, R.right - R.left, R.bottom - R.top); }
  virtual TcxCustomGridHitTest* GetHitTest(const TPoint& P);
  virtual void Invalidate();
  virtual bool MouseDown(TcxCustomGridHitTest* AHitTest, TMouseButton AButton, TShiftState AShift);
  virtual bool MouseMove(TcxCustomGridHitTest* AHitTest, TShiftState AShift);
  virtual bool MouseUp(TcxCustomGridHitTest* AHitTest, TMouseButton AButton, TShiftState AShift);
  virtual void Paint(TcxCanvas* ACanvas = nullptr);

  void SetState(TcxGridCellState AState);
  TcxGridCellState State() const { return FState; }
  void CalculateParamsIfNeeded();
  TRect GetContentBounds();
  Integer GetBorderWidthOf(TcxBorder ASide);
  Integer CalculateTextHeight();
  Integer CalculateTextWidth();
  Integer GetTextAreaHeight() { return CalculateTextHeight() + 4; }
  Integer GetTextAreaWidth() { return CalculateTextWidth() + 4; }
  Integer GetTextFlags(bool APainting);
  void MoveBy(Integer DX, Integer DY);
  void Recalculate();
  bool IsDestroying() const { return FIsDestroying; }

  bool Calculated = false;
  TAlignment AlignmentHorz = taLeftJustify;
  TcxAlignmentVert AlignmentVert = vaTop;
  TcxGridBorders Borders;
  bool ParamsCalculated = false;
  std::string Text;
  bool Visible = true;
  TRect Bounds{0, 0, 0, 0};
  bool MultiLine = false;
  bool MultiLinePainting = false;
  TcxViewParams Params;

private:
  bool FCalculatingParams = false;
  TRect FContentBoundsCache{0, 0, 0, 0};
  bool FIsDestroying = false;
  TcxGridCellState FState = gcsNormal;
};

// A cell inside a view: paints on the view's site, repaints through the view's change
// queue and may show a hint over its text.
class TcxCustomGridViewCellViewInfo : public TcxCustomGridCellViewInfo {
  RTL_DECLARE_CLASS(TcxCustomGridViewCellViewInfo, TcxCustomGridCellViewInfo)
public:
  explicit TcxCustomGridViewCellViewInfo(TcxCustomGridViewInfo* AGridViewInfo) : FGridViewInfo(AGridViewInfo) {}
  void BeforeDestruction() override;

  TcxCustomGridViewInfo* GridViewInfo() const { return FGridViewInfo; }
  TcxCustomGridView* GridView() const;
  TcxCustomGridController* Controller() const;
  TcxCustomLookAndFeelPainterClass LookAndFeelPainter() const;

  virtual bool IsHotTrackEnabled() { return false; }
  virtual bool HasHint() { return false; }
  virtual void GetHintAreaBounds(TRect& R) { R = GetContentBounds(); }
  virtual bool NeedsHint(const TPoint& P, std::string& AText, TRect& ATextBounds, bool& AMultiLine) { return false; }

  void AfterCalculateBounds(TRect& R) override;
  TcxCanvas* GetCanvas() override;
  TcxControl* GetControl() override;
  bool IsHitTestOfCell(TcxCustomGridHitTest* AHitTest) override;
  void InitHitTest(TcxCustomGridHitTest* AHitTest) override;
  void Invalidate() override;
  bool MouseMove(TcxCustomGridHitTest* AHitTest, TShiftState AShift) override;

private:
  TcxCustomGridViewInfo* FGridViewInfo;
};

// The argument of a cell painter's constructor.
struct TcxGridCellPainterArgs {
  TcxCanvas* Canvas;
  TcxCustomGridCellViewInfo* ViewInfo;
};

// Paints one cell once: visibility test, custom-draw chance, background, text, borders,
// clip exclusion. Made for one paint by the cell and freed after it.
class TcxCustomGridCellPainter : public TObject {
  RTL_DECLARE_CLASS(TcxCustomGridCellPainter, TObject)
public:
  using TConstructorArg = const TcxGridCellPainterArgs*;
  explicit TcxCustomGridCellPainter(const TcxGridCellPainterArgs* AArgs)
      : FCanvas(AArgs->Canvas), FViewInfo(AArgs->ViewInfo) {}
  TcxCustomGridCellPainter(const TcxCustomGridCellPainter&) = delete;
  TcxCustomGridCellPainter& operator=(const TcxCustomGridCellPainter&) = delete;

  TcxCanvas* Canvas() const { return FCanvas; }
  TcxCustomGridCellViewInfo* ViewInfo() const { return FViewInfo; }
  bool IsMainCanvas() { return FCanvas == FViewInfo->GetCanvas(); }
  void Paint();

protected:
  virtual void AfterPaint() {}
  virtual void BeforePaint() {}
  virtual void DrawBackground();
  virtual bool DrawBackgroundBitmapIn(TcxCanvas* ACanvas, const TRect& R);
  virtual void DrawBorder(TcxBorder ASide);
  virtual void DrawBorders();
  virtual void DrawContent();
  virtual void DrawText();
  virtual bool ExcludeFromClipRect() { return false; }
  virtual bool IsVisibleOnCanvas();
  virtual void DoPaint();

private:
  TcxCanvas* FCanvas;
  TcxCustomGridCellViewInfo* FViewInfo;
};

// ---------------------------------------------------------------------------------------
// Options, background bitmaps and styles.

// The base of a view's option groups: registered with the view while it lives; a change
// re-lays the view out.
class TcxCustomGridOptions : public TPersistent {
  RTL_DECLARE_CLASS(TcxCustomGridOptions, TPersistent)
public:
  using TConstructorArg = TcxCustomGridView*;
  explicit TcxCustomGridOptions(TcxCustomGridView* AGridView);
  ~TcxCustomGridOptions() override;
  TcxCustomGridView* GridView() const { return FGridView; }
  TPersistent* GetOwner() override;
  // A TcxCustomGridOptions source is accepted; others raise the assignment error.
  void Assign(TPersistent* Source) override;
  virtual void Notification(TComponent* AComponent, TOperation AOperation) {}
  void Changed();

private:
  TcxCustomGridView* FGridView;
};

// Bitmaps by index; index 0 is the view's Background.
class TcxCustomGridBackgroundBitmaps : public TcxCustomGridOptions {
  RTL_DECLARE_CLASS(TcxCustomGridBackgroundBitmaps, TcxCustomGridOptions)
public:
  explicit TcxCustomGridBackgroundBitmaps(TcxCustomGridView* AGridView) : TcxCustomGridOptions(AGridView) {}
  ~TcxCustomGridBackgroundBitmaps() override;
  void Assign(TPersistent* Source) override;

  // The own bitmap of the index (made empty on first use).
  TBitmap* GetValue(Integer AIndex);
  void SetValue(Integer AIndex, TBitmap* ABitmap);
  TBitmap* Background() { return GetValue(0); }
  void SetBackground(TBitmap* Value) { SetValue(0, Value); }
  bool IsBackgroundStored() { return FBitmaps.size() > 0 && FBitmaps[0] && !FBitmaps[0]->Empty(); }

  virtual Integer GetBitmapStyleIndex(Integer AIndex) { return AIndex == 0 ? 0 : -1; }
  virtual TBitmap* GetDefaultBitmap(Integer AIndex);
  // The own bitmap when it is not empty, else the default one.
  virtual TBitmap* GetBitmap(Integer AIndex);

private:
  void bitmapChanged(TObject*) { Changed(); }
  std::vector<TBitmap*> FBitmaps;
};

class TcxCustomGridOptionsSelection : public TcxCustomGridOptions {
  RTL_DECLARE_CLASS(TcxCustomGridOptionsSelection, TcxCustomGridOptions)
public:
  using TcxCustomGridOptions::TcxCustomGridOptions;
};

// ScrollBars is kept by the view's site.
class TcxCustomGridOptionsView : public TcxCustomGridOptions {
  RTL_DECLARE_CLASS(TcxCustomGridOptionsView, TcxCustomGridOptions)
public:
  using TcxCustomGridOptions::TcxCustomGridOptions;
  void Assign(TPersistent* Source) override;
  TScrollStyle ScrollBars() const;
  void SetScrollBars(TScrollStyle Value);
};

// Styles whose defaults come from the grid's font and the look-and-feel painter.
class TcxCustomGridStyles : public TcxStyles {
  RTL_DECLARE_CLASS(TcxCustomGridStyles, TcxStyles)
public:
  explicit TcxCustomGridStyles(TPersistent* AOwner) : TcxStyles(AOwner) {}
  void Changed(Integer AIndex) override;
  void GetDefaultVisualParams(Integer AIndex, TObject* AData, TcxViewParams& AParams) override;
  virtual void GetFakeComponentLinks(TList* AList);
  virtual TcxCustomGridView* GetGridView() = 0;
  TcxCustomLookAndFeelPainterClass GetLookAndFeelPainter();
};

constexpr Integer vsBackground = 0;
constexpr Integer bbBackground = 0;

class TcxCustomGridViewStyles : public TcxCustomGridStyles {
  RTL_DECLARE_CLASS(TcxCustomGridViewStyles, TcxCustomGridStyles)
public:
  using TConstructorArg = TcxCustomGridView*;
  explicit TcxCustomGridViewStyles(TcxCustomGridView* AGridView);
  void Assign(TPersistent* Source) override;
  void GetDefaultVisualParams(Integer AIndex, TObject* AData, TcxViewParams& AParams) override;
  TcxCustomGridView* GetGridView() override;
  TcxCustomStyle* Background() const { return GetIndexedStyle(vsBackground); }
  void SetBackground(TcxCustomStyle* Value) { SetIndexedStyle(vsBackground, Value); }
};

// ---------------------------------------------------------------------------------------
// The view.

class TcxCustomGridView : public TcxControlChildComponent {
  RTL_DECLARE_CLASS(TcxCustomGridView, TcxControlChildComponent)
public:
  explicit TcxCustomGridView(TComponent* AOwner);
  // The companions and options are made once the object is complete (their classes are
  // virtual choices of the descendant).
  void AfterConstruction() override;
  void BeforeDestruction() override;
  ~TcxCustomGridView() override;

  // --- Companions.
  TcxCustomGridController* Controller() const { return FController.get(); }
  TcxCustomDataController* DataController() const { return FDataController.get(); }
  TcxCustomGridPainter* Painter() const { return FPainter.get(); }
  TcxCustomGridViewData* ViewData() const { return FViewData.get(); }
  TcxCustomGridViewInfo* ViewInfo() const { return FViewInfo.get(); }
  TcxCustomGridViewInfoCache* ViewInfoCache() const { return FViewInfoCache.get(); }
  TcxGridSite* Site() const;
  TcxCustomGrid* Grid() const;
  TcxGridLevel* Level() const { return FLevel; }
  TcxCustomLookAndFeelPainterClass LookAndFeelPainter() const;

  // --- Options.
  TcxCustomGridBackgroundBitmaps* BackgroundBitmaps() const { return FBackgroundBitmaps.get(); }
  void SetBackgroundBitmaps(TcxCustomGridBackgroundBitmaps* Value) { FBackgroundBitmaps->Assign(Value); }
  TcxCustomGridOptionsSelection* OptionsSelection() const { return FOptionsSelection.get(); }
  void SetOptionsSelection(TcxCustomGridOptionsSelection* Value) { FOptionsSelection->Assign(Value); }
  TcxCustomGridOptionsView* OptionsView() const { return FOptionsView.get(); }
  void SetOptionsView(TcxCustomGridOptionsView* Value) { FOptionsView->Assign(Value); }
  TcxCustomGridViewStyles* Styles() const { return FStyles.get(); }
  void SetStyles(TcxCustomGridViewStyles* Value) { FStyles->Assign(Value); }
  void RegisterOptions(TcxCustomGridOptions* AOptions);
  void UnregisterOptions(TcxCustomGridOptions* AOptions);
  Integer OptionsCount() const { return static_cast<Integer>(FOptionsList.size()); }

  // --- Change submission (True: accepted).
  // Dropped (freed, False) while loading, destroying or calculating; queued through the
  // grid; without a grid run at once.
  bool Changed(TcxCustomGridChange* AChange);
  bool LayoutChanged(bool AOfView = true);
  bool SizeChanged(bool AViewOnly = false, bool AMasterUnchanged = false);
  bool ViewChanged();
  bool ViewChanged(const TRect& R);
  void RefreshView(bool ALayout);

  // --- Update brackets.
  void BeginUpdate();
  void EndUpdate();
  void CancelUpdate();

  // --- Focus, visibility, masters.
  bool Focused() const;
  void SetFocused(bool AValue);
  bool IsDetail() const { return MasterGridView() != nullptr; }
  // The master view of a detail; null for a stand-alone view (the data controller
  // binds no master relation).
  virtual TcxCustomGridView* MasterGridView() const { return nullptr; }
  bool HasAsMaster(TcxCustomGridView* AView) const;
  bool IsMaster() const;
  bool IsPattern() const { return false; }
  TcxCustomGridView* PatternGridView() const { return FPatternGridView ? FPatternGridView : const_cast<TcxCustomGridView*>(this); }
  bool AssigningPattern() const { return FAssigningPattern; }
  void AssignPattern(TcxCustomGridView* APattern);
  void AddClone(TcxCustomGridView* AClone);
  void RemoveClone(TcxCustomGridView* AClone);
  Integer CloneCount() const { return static_cast<Integer>(FClones.size()); }
  TcxCustomGridView* Clones(Integer Index) const { return FClones.at(static_cast<size_t>(Index)); }
  void AddDestroyGuard(TcxCustomGridView** AVariable);
  void RemoveDestroyGuard(TcxCustomGridView** AVariable);
  TComponent* StorageControl() const { return FStorageControl; }

  virtual bool CanFocus();
  virtual bool GetTabStop();
  virtual void DetailVisibleChanged(TcxGridLevel* ALevel, Integer AOldCount, Integer ANewCount) {}
  virtual bool CanUpdate();
  virtual bool CanShow(bool ALevelVisible);
  virtual bool IsControlFocused();
  virtual bool DependsOnSiteSize() { return false; }
  virtual bool IsVisible();
  virtual void AfterLoadOrAssign() {}
  virtual bool CanShowDetail(TcxCustomGridView* ADetailView) { return false; }
  virtual void FocusChanged(bool AFocused);
  virtual void UpdateAfterLoad() { SizeChanged(false, false); }
  virtual void LookAndFeelChanged();
  virtual void SetLevel(TcxGridLevel* ALevel);
  virtual void SetTabStop(bool AValue);
  virtual void DataControllerNotify(TcxUpdateControlInfo* AInfo) {}
  virtual void SiteSizeChanged(bool AViewOnly, bool AMasterUnchanged);
  bool IsDestroying() override;
  void SetControl(TcxControl* Value) override;

  // --- Class choices.
  virtual TClass GetControllerClass() = 0;
  virtual TClass GetDataControllerClass() = 0;
  virtual TClass GetPainterClass() = 0;
  virtual TClass GetViewDataClass() = 0;
  virtual TClass GetViewInfoClass() = 0;
  virtual TClass GetViewInfoCacheClass() { return TcxCustomGridViewInfoCache::StaticClass(); }
  virtual TClass GetBackgroundBitmapsClass() { return TcxCustomGridBackgroundBitmaps::StaticClass(); }
  virtual TClass GetOptionsSelectionClass() { return TcxCustomGridOptionsSelection::StaticClass(); }
  virtual TClass GetOptionsViewClass() { return TcxCustomGridOptionsView::StaticClass(); }
  virtual TClass GetStylesClass() { return TcxCustomGridViewStyles::StaticClass(); }

  // --- Assignment, streaming, notifications.
  void Assign(TPersistent* Source) override;
  TComponent* GetParentComponent() const override { return FStorageControl; }
  bool HasParent() const override { return FStorageControl != nullptr; }
  void Updating() override;
  void Updated() override;
  void GetFakeComponentLinks(TList* List) override;

  // --- Published: the site's drag mode and input events.
  TDragMode DragMode() const;
  void SetDragMode(TDragMode Value);
  TNotifyEvent DataControllerEvents() const { return FDataControllerEvents; }
  void SetDataControllerEvents(TNotifyEvent Value) { FDataControllerEvents = Value; }
  TNotifyEvent StylesEvents() const { return FStylesEvents; }
  void SetStylesEvents(TNotifyEvent Value) { FStylesEvents = Value; }
#define CX_GRID_VIEW_EVENT(Name, Type) \
  Type Name() const;                   \
  void Set##Name(Type Value);
  CX_GRID_VIEW_EVENT(OnDblClick, TNotifyEvent)
  CX_GRID_VIEW_EVENT(OnDragDrop, TDragDropEvent)
  CX_GRID_VIEW_EVENT(OnDragOver, TDragOverEvent)
  CX_GRID_VIEW_EVENT(OnEndDrag, TEndDragEvent)
  CX_GRID_VIEW_EVENT(OnKeyDown, TKeyEvent)
  CX_GRID_VIEW_EVENT(OnKeyPress, TKeyPressEvent)
  CX_GRID_VIEW_EVENT(OnKeyUp, TKeyEvent)
  CX_GRID_VIEW_EVENT(OnMouseDown, TMouseEvent)
  CX_GRID_VIEW_EVENT(OnMouseMove, TMouseMoveEvent)
  CX_GRID_VIEW_EVENT(OnMouseUp, TMouseEvent)
  CX_GRID_VIEW_EVENT(OnMouseWheel, TMouseWheelEvent)
  CX_GRID_VIEW_EVENT(OnMouseWheelDown, TMouseWheelUpDownEvent)
  CX_GRID_VIEW_EVENT(OnMouseWheelUp, TMouseWheelUpDownEvent)
  CX_GRID_VIEW_EVENT(OnStartDrag, TStartDragEvent)
#undef CX_GRID_VIEW_EVENT

protected:
  virtual void CreateHandlers();
  virtual void DestroyHandlers();
  virtual void ConnectDataController();
  virtual void CreateOptions();
  virtual void DestroyOptions();
  virtual void BeforeAssign(TcxCustomGridView* ASource);
  virtual void DoAssign(TcxCustomGridView* ASource);
  virtual void AfterAssign(TcxCustomGridView* ASource);
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // A view read from a stored form joins the grid it is stored in.
  void ReadState(TReader* Reader) override;

private:
  bool FAssigningPattern = false;
  std::vector<TcxCustomGridView*> FClones;
  std::vector<TcxCustomGridView**> FDestroyGuards;
  std::vector<TcxCustomGridOptions*> FOptionsList;
  TcxGridLevel* FLevel = nullptr;
  TcxCustomGridView* FPatternGridView = nullptr;
  TComponent* FStorageControl = nullptr;
  TNotifyEvent FDataControllerEvents;
  TNotifyEvent FStylesEvents;
  TObjectPtr<TcxCustomGridBackgroundBitmaps> FBackgroundBitmaps;
  TObjectPtr<TcxCustomGridOptionsSelection> FOptionsSelection;
  TObjectPtr<TcxCustomGridOptionsView> FOptionsView;
  TObjectPtr<TcxCustomGridViewStyles> FStyles;
  TObjectPtr<TcxCustomGridController> FController;
  TObjectPtr<TcxCustomDataController> FDataController;
  TObjectPtr<TcxCustomGridPainter> FPainter;
  TObjectPtr<TcxCustomGridViewData> FViewData;
  TObjectPtr<TcxCustomGridViewInfo> FViewInfo;
  TObjectPtr<TcxCustomGridViewInfoCache> FViewInfoCache;
};

// Watches a view for the scope: Alive() turns false when the view is freed meanwhile (a
// handler may free it), and the watch ends with the scope however it ends.
class ViewDestroyGuard {
public:
  explicit ViewDestroyGuard(TcxCustomGridView* AView) : FView(AView) { FView->AddDestroyGuard(&FView); }
  ~ViewDestroyGuard() {
    if (FView) FView->RemoveDestroyGuard(&FView);
  }
  ViewDestroyGuard(const ViewDestroyGuard&) = delete;
  ViewDestroyGuard& operator=(const ViewDestroyGuard&) = delete;
  bool Alive() const { return FView != nullptr; }

private:
  TcxCustomGridView* FView;
};

// The registered view kinds with their descriptions ("DB Table" ...), from the start of
// the grid units to their end.
TcxRegisteredClasses* cxGridRegisteredViews();

namespace cxGridCustomViewUnit {
void Initialize();
void Finalize();
}  // namespace cxGridCustomViewUnit
