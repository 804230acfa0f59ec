#pragma once
// cxGrid: the data grid control, its update queue and the change objects that travel
// through it.
//
// The grid hosts a tree of levels under a root level it owns; the root's children are the
// grid's tabs, one of them active, and the active level's view is shown. Every view of the
// grid lives in its own child window (a grid site). Layout and repaint requests are
// change objects: while the grid is locked (BeginUpdate) they wait in the queue, and at
// the last unlock the queue drops duplicates and superseded requests and runs the rest in
// order, so that a burst of changes ends in one layout.
//
// What the grid itself shows is the top details site: the root level's tabs (when the root
// level shows tabs) and, in the rest of the client area, the active level's view. While
// something is dragged over a tab, the tab's level opens after a wait (drag-opening).
//
// Present limits: views are stand-alone (no detail views).
#include <memory>
#include <vector>

#include "cx/grid/cxGridCommon.h"
#include "cx/grid/cxGridCustomView.h"
#include "cx/grid/cxGridDetailsSite.h"
#include "cx/grid/cxGridLevel.h"
#include "platform/gui/ExtCtrls.h"

// The group-by box's caption ("Arraste o cabeçalho de uma coluna aqui para agrupar por esta
// coluna" in the program's string table), read through cxGetResourceString.
extern const TResStringRec scxGridGroupByBoxCaption;

// ---------------------------------------------------------------------------------------
// View changes.

// A change of one view, or of the whole grid when GridView is null.
class TcxCustomGridViewChange : public TcxCustomGridChange {
  RTL_DECLARE_CLASS(TcxCustomGridViewChange, TcxCustomGridChange)
public:
  explicit TcxCustomGridViewChange(TcxCustomGridView* AGridView) : FGridView(AGridView) {}
  TcxCustomGridView* GridView() const { return FGridView; }
  bool IsEqual(TcxCustomGridChange* AChange) override;

private:
  TcxCustomGridView* FGridView;
};

// Re-lays out a view (only when it can be updated and its site has bounds), or the whole
// grid; then the grid's OnLayoutChanged.
class TcxGridLayoutChange : public TcxCustomGridViewChange {
  RTL_DECLARE_CLASS(TcxGridLayoutChange, TcxCustomGridViewChange)
public:
  using TcxCustomGridViewChange::TcxCustomGridViewChange;
  void Execute() override;
  // Covered by a later layout or size change of the grid or of one of this view's masters.
  bool IsCompatibleWith(TcxCustomGridChange* ALaterChange) override;
};

// A size request: forgets the cached row sizes and re-lays out the view, or climbs to its
// top master and ends as a grid-wide layout.
class TcxGridSizeChange : public TcxCustomGridViewChange {
  RTL_DECLARE_CLASS(TcxGridSizeChange, TcxCustomGridViewChange)
public:
  TcxGridSizeChange(TcxCustomGridView* AGridView, bool AViewOnly = false, bool AMasterUnchanged = false)
      : TcxCustomGridViewChange(AGridView), FMasterUnchanged(AMasterUnchanged), FViewOnly(AViewOnly) {}
  void Execute() override;
  // The same class, view and ViewOnly. A request that keeps the master unchanged does not
  // stand for an earlier kept one that must re-lay the master out, so that pair is kept.
  bool IsEqual(TcxCustomGridChange* AChange) override;
  bool MasterUnchanged() const { return FMasterUnchanged; }
  bool ViewOnly() const { return FViewOnly; }

private:
  bool FMasterUnchanged;
  bool FViewOnly;
};

// A repaint of a view's site (InvalidRect, or all of it when empty). Never dropped as a
// duplicate.
class TcxGridViewChange : public TcxCustomGridViewChange {
  RTL_DECLARE_CLASS(TcxGridViewChange, TcxCustomGridViewChange)
public:
  explicit TcxGridViewChange(TcxCustomGridView* AGridView) : TcxCustomGridViewChange(AGridView) {}
  TcxGridViewChange(TcxCustomGridView* AGridView, const TRect& AInvalidRect)
      : TcxCustomGridViewChange(AGridView), FInvalidRect(AInvalidRect) {}
  void Execute() override;
  bool CanDropDuplicate() override { return false; }
  TRect InvalidRect() const { return FInvalidRect; }

private:
  TRect FInvalidRect{0, 0, 0, 0};
};

// Tells a view's controller that the grid control's focus changed.
class TcxGridControlFocusChange : public TcxCustomGridViewChange {
  RTL_DECLARE_CLASS(TcxGridControlFocusChange, TcxCustomGridViewChange)
public:
  using TcxCustomGridViewChange::TcxCustomGridViewChange;
  void Execute() override;
};

// ---------------------------------------------------------------------------------------
// The grid's own handlers: what the grid itself shows is its top details site.

class TcxGridViewInfo;

class TcxCustomGridHandler : public TObject {
  RTL_DECLARE_CLASS(TcxCustomGridHandler, TObject)
public:
  using TConstructorArg = TcxCustomGrid*;
  explicit TcxCustomGridHandler(TcxCustomGrid* AGrid) : FControl(AGrid) {}
  TcxCustomGridHandler(const TcxCustomGridHandler&) = delete;
  TcxCustomGridHandler& operator=(const TcxCustomGridHandler&) = delete;
  TcxCustomGrid* Control() const { return FControl; }
  TcxCustomGridView* ActiveView() const;
  // The active view's controller; null without an active view.
  TcxCustomGridController* ActiveController() const;
  TcxGridViewInfo* ViewInfo() const;

private:
  TcxCustomGrid* FControl;
};

// A drag resting on a level tab: opening makes the level active.
class TcxGridDragOpenInfoTab : public TcxCustomGridDragOpenInfo {
  RTL_DECLARE_CLASS(TcxGridDragOpenInfoTab, TcxCustomGridDragOpenInfo)
public:
  explicit TcxGridDragOpenInfoTab(TcxGridLevel* ALevel) : FLevel(ALevel) {}
  TcxGridLevel* Level() const { return FLevel; }
  // The same class and the same level.
  bool Equals(TcxCustomGridDragOpenInfo* AInfo) override;
  void Run() override;

private:
  TcxGridLevel* FLevel;
};

class TcxGridController : public TcxCustomGridHandler {
  RTL_DECLARE_CLASS(TcxGridController, TcxCustomGridHandler)
public:
  using TcxCustomGridHandler::TcxCustomGridHandler;
  virtual void CancelMouseOperations();
  // Posts a control-focus change for the active view.
  virtual void ControlFocusChanged();
  // Always the default cursor, so that the grid shows its own.
  virtual TCursor GetCursor(Integer X, Integer Y) { return crDefault; }
  // With DragOpening on: over a level tab the tab's level opens after the grid's
  // DragOpeningWaitTime; anywhere else, or when the drag leaves, the wait is cancelled.
  virtual void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
  virtual void EndDrag(TObject* Target, Integer X, Integer Y);
  virtual void StartDrag(TDragObject*& DragObject) {}
  // A tab request for a level tab hit test (code 50), else null; the caller owns it.
  virtual TcxCustomGridDragOpenInfo* GetDragOpenInfo(TcxCustomGridHitTest* AHitTest);
  // The cell under the point handles the press (a level tab activates its level).
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);

  // The pending drag-opening request and its timer; both null when none is pending.
  TcxCustomGridDragOpenInfo* DragOpenInfo() const { return FDragOpenInfo.get(); }
  TTimer* DragOpenTimer() const { return FDragOpenTimer.get(); }

private:
  void StartDragOpen(TcxCustomGridDragOpenInfo* AInfo);
  void StopDragOpen();
  void dragOpenTimerHandler(TObject* Sender);

  TObjectPtr<TcxCustomGridDragOpenInfo> FDragOpenInfo;
  TObjectPtr<TTimer> FDragOpenTimer;
};

class TcxGridPainter : public TcxCustomGridHandler {
  RTL_DECLARE_CLASS(TcxGridPainter, TcxCustomGridHandler)
public:
  using TcxCustomGridHandler::TcxCustomGridHandler;
  // The details site, then the background around it.
  virtual void Paint();
  // The top details site paints itself on the grid canvas when it is visible.
  virtual void DrawDetailsSite();
  // Fills the client bounds with the grid's colour (the site took itself out of the clip).
  virtual void DrawBackground();
  // The grid window and the views of the active tree; with ACompletely every site too.
  virtual void Invalidate(bool ACompletely);
  virtual void InvalidateRect(const TRect& R);
};

// The root level's details site: as big as the grid's client area, painted on the grid,
// showing the grid's active view; a tab activates its level through the grid.
class TcxGridTopDetailsSiteViewInfo : public TcxCustomGridDetailsSiteViewInfo {
  RTL_DECLARE_CLASS(TcxGridTopDetailsSiteViewInfo, TcxCustomGridDetailsSiteViewInfo)
public:
  using TcxCustomGridDetailsSiteViewInfo::TcxCustomGridDetailsSiteViewInfo;
  TcxCustomGrid* Grid() const { return Level()->Control(); }

  Integer CalculateHeight() override;
  Integer CalculateWidth() override;
  TcxCanvas* GetCanvas() override;
  TcxControl* GetControl() override;
  TcxCustomLookAndFeelPainterClass GetLookAndFeelPainter() override;
  Integer GetMaxHeight() override;
  Integer GetMaxWidth() override;
  TcxCustomGridView* FindActiveView() override;
  TcxGridLevel* GetActiveLevel() override;
  void InitTabHitTest(TcxGridDetailsSiteTabHitTest* AHitTest) override;
  void ActivateLevel(TcxGridLevel* ALevel) override;
  // Nothing while the grid is destroyed; a site replaced by a new layout does not hide the
  // view the new site goes on showing.
  void VisibilityChanged(bool AVisible) override;
};

class TcxGridViewInfo : public TcxCustomGridHandler {
  RTL_DECLARE_CLASS(TcxGridViewInfo, TcxCustomGridHandler)
public:
  using TcxCustomGridHandler::TcxCustomGridHandler;
  void AfterConstruction() override;
  void BeforeDestruction() override;
  // Makes the top details site anew and, when it is visible, lays it out at the client
  // bounds' top-left corner (which gives the active view's site its bounds).
  virtual void Calculate();
  // The details site's hit test; else TcxGridNoneHitTest (code 0) at the point.
  virtual TcxCustomGridHitTest* GetHitTest(Integer X, Integer Y);
  virtual void CreateViewInfos();
  virtual void DestroyViewInfos();
  virtual TClass GetDetailsSiteViewInfoClass() { return TcxGridTopDetailsSiteViewInfo::StaticClass(); }
  TcxGridTopDetailsSiteViewInfo* DetailsSiteViewInfo() const { return FDetailsSiteViewInfo.get(); }
  TRect ClientBounds() const;
  TColor BackgroundColor() const;

private:
  TObjectPtr<TcxGridTopDetailsSiteViewInfo> FDetailsSiteViewInfo;
};

// ---------------------------------------------------------------------------------------
// The grid control.

using TcxGridActiveTabChangedEvent = TEvent<void(TcxCustomGrid* Sender, TcxGridLevel* ALevel)>;
using TcxGridFocusedViewChangedEvent =
    TEvent<void(TcxCustomGrid* Sender, TcxCustomGridView* APrevFocusedView, TcxCustomGridView* AFocusedView)>;
using TcxGridLayoutChangedEvent = TEvent<void(TcxCustomGrid* Sender, TcxCustomGridView* AGridView)>;

class TcxCustomGrid : public TcxControl {
  RTL_DECLARE_CLASS(TcxCustomGrid, TcxControl)
public:
  explicit TcxCustomGrid(TComponent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;
  ~TcxCustomGrid() override;

  // --- The update queue.
  void BeginUpdate() { ++FUpdateLockCount; }
  // The last unlock runs the queue; nothing when not locked.
  void EndUpdate();
  // The last unlock discards the queue.
  void CancelUpdate();
  // Queued while locked when the change may wait (the grid owns it from then on);
  // otherwise run at once.
  void AddChange(TcxCustomGridChange* AChange);
  // Runs the change (unless the grid is being destroyed) and frees it in every case.
  void ExecuteChange(TcxCustomGridChange* AChange);
  // Frees the queued changes of a view that leaves the grid.
  void RemoveViewChanges(TcxCustomGridView* AView);
  Integer UpdateLockCount() const { return FUpdateLockCount; }
  Integer ChangeCount() const { return static_cast<Integer>(FChanges.size()); }

  // --- Requests of the grid itself (not while loading).
  virtual void LayoutChanged();
  virtual void SizeChanged();
  void InvalidateViews(bool ALayout);

  // --- Levels and views.
  TcxGridLevel* RootLevel() const { return FRootLevel.get(); }
  // The root's first child level (the main window's level), null when none.
  Integer LevelCount() const;
  TcxGridLevel* Levels(Integer Index) const;
  TcxGridLevel* ActiveLevel() const { return FActiveLevel; }
  void SetActiveLevel(TcxGridLevel* ALevel);
  TcxCustomGridView* GetActiveView() const;
  TcxCustomGridView* ActiveView() const { return GetActiveView(); }
  TcxCustomGridView* FocusedView() const { return FFocusedView; }
  void SetFocusedView(TcxCustomGridView* AView);
  void CheckFocusedView();
  Integer GetViewCount() const { return static_cast<Integer>(FViews.size()); }
  TcxCustomGridView* GetView(Integer Index) const { return FViews.at(static_cast<size_t>(Index)); }
  void AddView(TcxCustomGridView* AView);
  void RemoveView(TcxCustomGridView* AView);
  // The view's own SetControl keeps the list (a view attached by code or by a stored form).
  void AddChildComponent(TComponent* AComponent) override;
  void RemoveChildComponent(TComponent* AComponent) override;

  // --- Handlers.
  TcxGridController* Controller() const { return FController.get(); }
  TcxGridPainter* Painter() const { return FPainter.get(); }
  TcxGridViewInfo* ViewInfo() const { return FViewInfo.get(); }
  virtual TClass GetControllerClass() { return TcxGridController::StaticClass(); }
  virtual TClass GetLevelClass() { return TcxGridLevel::StaticClass(); }
  virtual TClass GetPainterClass() { return TcxGridPainter::StaticClass(); }
  virtual TClass GetViewInfoClass() { return TcxGridViewInfo::StaticClass(); }

  // --- Focus.
  bool IsFocused() override;
  bool AcceptsFocus() override { return false; }
  void FocusChanged() override;
  void SetControlFocused(bool AFocused);
  bool ControlFocused() const { return FControlFocused; }
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value);

  // --- Published values.
  bool DragOpening() const { return FDragOpening; }
  void SetDragOpening(bool Value) { FDragOpening = Value; }
  Integer DragOpeningWaitTime() const { return FDragOpeningWaitTime; }
  // Negative values are stored as 0.
  void SetDragOpeningWaitTime(Integer Value) { FDragOpeningWaitTime = Value < 0 ? 0 : Value; }
  TcxGridLevelOptions* RootLevelOptions() const;
  void SetRootLevelOptions(TcxGridLevelOptions*) {}
  TcxGridLevelStyles* RootLevelStyles() const;
  void SetRootLevelStyles(TcxGridLevelStyles*) {}
  TNotifyEvent RootLevelStylesEvents() const { return FRootLevelStylesEvents; }
  void SetRootLevelStylesEvents(TNotifyEvent Value) { FRootLevelStylesEvents = Value; }
  TcxGridActiveTabChangedEvent OnActiveTabChanged;
  TcxGridFocusedViewChangedEvent OnFocusedViewChanged;
  TcxGridLayoutChangedEvent OnLayoutChanged;

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void SetName(const std::string& NewName) override;
  void BoundsChanged() override;
  void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
  void CancelMouseOperations() override;
  TCursor GetCurrentCursor(Integer X, Integer Y) override;

  virtual void DoActiveTabChanged(TcxGridLevel* ALevel);
  virtual void DoLayoutChanged(TcxCustomGridView* AGridView);
  virtual void FocusedViewChanged(TcxCustomGridView* APrevFocusedView, TcxCustomGridView* AFocusedView);

  // One layout after the stored form is read.
  void Loaded() override;

protected:
  virtual void CreateHandlers();
  virtual void DestroyHandlers();
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

public:
  // Standard dragging reaches the controller: the drag-opening of tabs.
  void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) override;
  void DoEndDrag(TObject* Target, Integer X, Integer Y) override;
  void DoStartDrag(TDragObject*& DragObject) override;

private:
  void ProcessChanges();
  TcxCustomGridView* FindFocusedViewReplacement(TcxCustomGridView* AOldFocusedView);

  TcxGridLevel* FActiveLevel = nullptr;
  std::vector<TcxCustomGridChange*> FChanges;
  TObjectPtr<TcxGridController> FController;
  bool FDragOpening = true;
  Integer FDragOpeningWaitTime = 500;
  TcxCustomGridView* FFocusedView = nullptr;
  bool FControlFocused = false;
  TObjectPtr<TcxGridLevel> FRootLevel;
  TObjectPtr<TcxGridPainter> FPainter;
  bool FTabStop = true;
  Integer FUpdateLockCount = 0;
  TObjectPtr<TcxGridViewInfo> FViewInfo;
  std::vector<TcxCustomGridView*> FViews;
  TNotifyEvent FRootLevelStylesEvents;
};

class TcxGrid : public TcxCustomGrid {
  RTL_DECLARE_CLASS(TcxGrid, TcxCustomGrid)
public:
  using TcxCustomGrid::TcxCustomGrid;
};

namespace cxGridUnit {
void Initialize();
void Finalize();
}  // namespace cxGridUnit
