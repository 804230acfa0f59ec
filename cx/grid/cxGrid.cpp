#include "cx/grid/cxGrid.h"

#include <algorithm>

#include "cx/foundation/cxClasses.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiPublish.h"
#include "platform/rtl/Scoped.h"

const TResStringRec scxGridGroupByBoxCaption = {nullptr, 64698};

// =======================================================================================
// View changes.

bool TcxCustomGridViewChange::IsEqual(TcxCustomGridChange* AChange) {
  return inherited::IsEqual(AChange) && static_cast<TcxCustomGridViewChange*>(AChange)->GridView() == FGridView;
}

void TcxGridLayoutChange::Execute() {
  TcxCustomGridView* view = GridView();
  if (!view) {
    if (Control() && Control()->ViewInfo()) {
      Control()->ViewInfo()->Calculate();
      Control()->Painter()->Invalidate(true);
    }
  } else if (view->CanUpdate()) {
    TcxGridSite* site = view->Site();
    if (!IsRectEmpty(site->BoundsRect())) {
      view->ViewInfo()->Calculate(site->BoundsRect());
      site->Invalidate();
    }
  }
  if (Control()) Control()->DoLayoutChanged(view);
}

namespace {
// Whether ALater (a layout or size change) covers a layout change of AView: a grid-wide
// request covers everything, a view's request covers its details.
bool coversView(TcxCustomGridView* AView, TcxCustomGridChange* ALater) {
  if (!dynamic_cast<TcxGridLayoutChange*>(ALater) && !dynamic_cast<TcxGridSizeChange*>(ALater)) return false;
  TcxCustomGridView* laterView = static_cast<TcxCustomGridViewChange*>(ALater)->GridView();
  return !laterView || (AView && AView->HasAsMaster(laterView));
}
}  // namespace

bool TcxGridLayoutChange::IsCompatibleWith(TcxCustomGridChange* ALaterChange) {
  return coversView(GridView(), ALaterChange);
}

void TcxGridSizeChange::Execute() {
  TcxCustomGridView* view = GridView();
  if (!view) {
    if (!Control()) return;
    if (TcxCustomGridView* active = Control()->ActiveView())
      active->SizeChanged(false, FMasterUnchanged);
    else
      Control()->LayoutChanged();
    return;
  }
  if (!view->CanUpdate()) return;
  view->ViewInfoCache()->UnassignValues(FMasterUnchanged);
  if (FViewOnly && FMasterUnchanged) {
    view->LayoutChanged(true);
  } else if (TcxCustomGridView* master = view->MasterGridView()) {
    if (!master->SizeChanged(false, FMasterUnchanged)) view->LayoutChanged(true);
  } else if (TcxCustomGrid* grid = view->Grid()) {
    grid->LayoutChanged();
  } else {
    view->LayoutChanged(true);
  }
}

bool TcxGridSizeChange::IsEqual(TcxCustomGridChange* AChange) {
  if (!inherited::IsEqual(AChange)) return false;
  auto* other = static_cast<TcxGridSizeChange*>(AChange);
  // Kept earlier (this) and submitted later (other): the later one may be dropped unless
  // it asks for more (a master re-layout) than the kept one does.
  return other->FViewOnly == FViewOnly && !(FMasterUnchanged && !other->FMasterUnchanged);
}

void TcxGridViewChange::Execute() {
  TcxCustomGridView* view = GridView();
  if (!view || !view->Site()) return;
  if (IsRectEmpty(FInvalidRect))
    view->Site()->Invalidate();
  else
    view->Site()->InvalidateArea(FInvalidRect, false);
}

void TcxGridControlFocusChange::Execute() {
  TcxCustomGridView* view = GridView();
  if (view && view->CanUpdate()) view->Controller()->ControlFocusChanged();
}

// =======================================================================================
// The grid's handlers.

TcxCustomGridView* TcxCustomGridHandler::ActiveView() const { return FControl->ActiveView(); }

TcxCustomGridController* TcxCustomGridHandler::ActiveController() const {
  TcxCustomGridView* view = ActiveView();
  return view ? view->Controller() : nullptr;
}

TcxGridViewInfo* TcxCustomGridHandler::ViewInfo() const { return FControl->ViewInfo(); }

// --- Drag-opening requests.

bool TcxGridDragOpenInfoTab::Equals(TcxCustomGridDragOpenInfo* AInfo) {
  return inherited::Equals(AInfo) && static_cast<TcxGridDragOpenInfoTab*>(AInfo)->FLevel == FLevel;
}

void TcxGridDragOpenInfoTab::Run() { FLevel->SetActive(true); }

// --- Controller.

void TcxGridController::CancelMouseOperations() {
  if (TcxCustomGridController* controller = ActiveController()) controller->CancelMouseOperations();
}

void TcxGridController::ControlFocusChanged() {
  if (TcxCustomGridView* view = ActiveView()) view->Changed(new TcxGridControlFocusChange(view));
}

void TcxGridController::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  // A press may activate another level; the layout that follows (which makes the tabs
  // anew) waits until the pressed cell has finished.
  UpdateLock<TcxCustomGrid> lock(Control());
  TcxCustomGridHitTest* hitTest = ViewInfo()->GetHitTest(X, Y);
  if (hitTest->ViewInfo) hitTest->ViewInfo->MouseDown(hitTest, Button, Shift);
}

TcxCustomGridDragOpenInfo* TcxGridController::GetDragOpenInfo(TcxCustomGridHitTest* AHitTest) {
  if (AHitTest->HitTestCode() != 50) return nullptr;
  return new TcxGridDragOpenInfoTab(static_cast<TcxGridDetailsSiteTabHitTest*>(AHitTest)->Level);
}

void TcxGridController::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  if (!Control()->DragOpening()) return;
  TcxCustomGridHitTest* hitTest = ViewInfo()->GetHitTest(X, Y);
  TcxCustomGridDragOpenInfo* info = State != dsDragLeave ? GetDragOpenInfo(hitTest) : nullptr;
  if (info)
    StartDragOpen(info);
  else
    StopDragOpen();
}

void TcxGridController::EndDrag(TObject* Target, Integer X, Integer Y) { StopDragOpen(); }

void TcxGridController::StartDragOpen(TcxCustomGridDragOpenInfo* AInfo) {
  TObjectPtr<TcxCustomGridDragOpenInfo> info(AInfo);
  // The same request goes on waiting undisturbed.
  if (FDragOpenInfo && FDragOpenInfo->IsSameRequest(info.get())) return;
  FDragOpenInfo = std::move(info);
  if (FDragOpenTimer) {
    // A new request waits the full time again.
    FDragOpenTimer->SetEnabled(false);
    FDragOpenTimer->SetEnabled(true);
  } else {
    FDragOpenTimer.reset(new TTimer(nullptr));
    FDragOpenTimer->SetInterval(static_cast<Cardinal>(Control()->DragOpeningWaitTime()));
    FDragOpenTimer->SetOnTimer(TNotifyEvent(this, &TcxGridController::dragOpenTimerHandler));
  }
}

void TcxGridController::StopDragOpen() {
  FDragOpenTimer.reset();
  FDragOpenInfo.reset();
}

void TcxGridController::dragOpenTimerHandler(TObject*) {
  // The request and its timer go whether or not opening succeeds.
  ScopeExit stop([this] { StopDragOpen(); });
  if (FDragOpenInfo) FDragOpenInfo->Open();
}

// --- Painter.

void TcxGridPainter::Paint() {
  DrawDetailsSite();
  DrawBackground();
}

void TcxGridPainter::DrawDetailsSite() {
  TcxGridTopDetailsSiteViewInfo* site = ViewInfo()->DetailsSiteViewInfo();
  if (site && site->GetVisible()) site->Paint(Control()->GetCanvas());
}

void TcxGridPainter::DrawBackground() {
  TcxCanvas* canvas = Control()->GetCanvas();
  canvas->Brush()->SetColor(ViewInfo()->BackgroundColor());
  canvas->FillRectangle(ViewInfo()->ClientBounds());
}

void TcxGridPainter::Invalidate(bool ACompletely) {
  Control()->InvalidateViews(false);
  if (!ACompletely) return;
  for (Integer i = 0; i < Control()->ControlCount(); ++i)
    if (auto* site = dynamic_cast<TcxGridSite*>(Control()->Controls(i))) site->Invalidate();
}

void TcxGridPainter::InvalidateRect(const TRect& R) { Control()->InvalidateArea(R, false); }

// --- Top details site.

Integer TcxGridTopDetailsSiteViewInfo::CalculateHeight() {
  FullyVisible = true;
  NormalHeight = GetMaxHeight();
  return NormalHeight;
}

Integer TcxGridTopDetailsSiteViewInfo::CalculateWidth() { return GetMaxWidth(); }

TcxCanvas* TcxGridTopDetailsSiteViewInfo::GetCanvas() { return Grid()->GetCanvas(); }
TcxControl* TcxGridTopDetailsSiteViewInfo::GetControl() { return Grid(); }
TcxCustomLookAndFeelPainterClass TcxGridTopDetailsSiteViewInfo::GetLookAndFeelPainter() {
  return Grid()->LookAndFeelPainter();
}

Integer TcxGridTopDetailsSiteViewInfo::GetMaxHeight() {
  const TRect r = Grid()->GetClientBounds();
  return r.bottom - r.top;
}

Integer TcxGridTopDetailsSiteViewInfo::GetMaxWidth() {
  const TRect r = Grid()->GetClientBounds();
  return r.right - r.left;
}

TcxCustomGridView* TcxGridTopDetailsSiteViewInfo::FindActiveView() { return Grid()->ActiveView(); }
TcxGridLevel* TcxGridTopDetailsSiteViewInfo::GetActiveLevel() { return Grid()->ActiveLevel(); }

void TcxGridTopDetailsSiteViewInfo::InitTabHitTest(TcxGridDetailsSiteTabHitTest* AHitTest) { AHitTest->Owner = Grid(); }

void TcxGridTopDetailsSiteViewInfo::ActivateLevel(TcxGridLevel* ALevel) { Grid()->SetActiveLevel(ALevel); }

void TcxGridTopDetailsSiteViewInfo::VisibilityChanged(bool AVisible) {
  TcxCustomGrid* grid = Grid();
  if (grid->IsDestroying()) return;
  if (!AVisible && GetActiveView() == grid->ActiveView() && grid->ViewInfo() &&
      grid->ViewInfo()->DetailsSiteViewInfo() != this)
    return;
  inherited::VisibilityChanged(AVisible);
}

// --- View info.

void TcxGridViewInfo::AfterConstruction() {
  inherited::AfterConstruction();
  CreateViewInfos();
}

void TcxGridViewInfo::BeforeDestruction() {
  DestroyViewInfos();
  inherited::BeforeDestruction();
}

void TcxGridViewInfo::CreateViewInfos() {
  FDetailsSiteViewInfo.reset(
      As<TcxGridTopDetailsSiteViewInfo>(GetDetailsSiteViewInfoClass()->CreateInstance(Control()->RootLevel())));
}

void TcxGridViewInfo::DestroyViewInfos() { FDetailsSiteViewInfo.reset(); }

TRect TcxGridViewInfo::ClientBounds() const { return Control()->GetClientBounds(); }
TColor TcxGridViewInfo::BackgroundColor() const { return Control()->Color(); }

void TcxGridViewInfo::Calculate() {
  // The new site is made before the old one goes, so that the old one knows it was
  // replaced and leaves the view both show alone.
  TObjectPtr<TcxGridTopDetailsSiteViewInfo> old = std::move(FDetailsSiteViewInfo);
  CreateViewInfos();
  old.reset();
  if (FDetailsSiteViewInfo->GetVisible()) {
    const TRect r = ClientBounds();
    FDetailsSiteViewInfo->Calculate(r.left, r.top);
  }
}

TcxCustomGridHitTest* TcxGridViewInfo::GetHitTest(Integer X, Integer Y) {
  if (FDetailsSiteViewInfo)
    if (TcxCustomGridHitTest* result = FDetailsSiteViewInfo->GetHitTest(TPoint{X, Y})) return result;
  TcxCustomGridHitTest* result = TcxCustomGridHitTest::Instance(TcxGridNoneHitTest::StaticClass(), TPoint{X, Y});
  result->ViewInfo = nullptr;
  return result;
}

// =======================================================================================
// The grid control.

TcxCustomGrid::TcxCustomGrid(TComponent* AOwner) : TcxControl(AOwner) {
  SetBorderStyle(cxcbsDefault);
}

void TcxCustomGrid::AfterConstruction() {
  inherited::AfterConstruction();
  FRootLevel.reset(As<TcxGridLevel>(GetLevelClass()->CreateInstance(nullptr)));
  FRootLevel->setControl(this);
  FRootLevel->Options()->SetDetailFrameWidth(0);
  FRootLevel->Options()->SetDetailTabsPosition(dtpNone);
  CreateHandlers();
  SetWidth(250);
  SetHeight(200);
}

void TcxCustomGrid::CreateHandlers() {
  FController.reset(As<TcxGridController>(GetControllerClass()->CreateInstance(this)));
  FPainter.reset(As<TcxGridPainter>(GetPainterClass()->CreateInstance(this)));
  FViewInfo.reset(As<TcxGridViewInfo>(GetViewInfoClass()->CreateInstance(this)));
}

void TcxCustomGrid::DestroyHandlers() {
  FViewInfo.reset();
  FPainter.reset();
  FController.reset();
}

void TcxCustomGrid::BeforeDestruction() {
  inherited::BeforeDestruction();
  for (Integer i = 0; i < FRootLevel->VisibleCount(); ++i) {
    TcxCustomGridView* view = FRootLevel->VisibleItems(i)->GridView();
    if (view && view->ViewInfo()) view->ViewInfo()->UpdateSiteVisibility(false);
  }
  DestroyHandlers();
  FRootLevel.reset();
  // The views belong to the grid: freed last first (each leaves the list as it goes).
  while (!FViews.empty()) FViews.back()->Free();
  for (TcxCustomGridChange* change : FChanges) change->Free();
  FChanges.clear();
}

TcxCustomGrid::~TcxCustomGrid() = default;

// --- The update queue.

void TcxCustomGrid::EndUpdate() {
  if (FUpdateLockCount == 0) return;
  if (--FUpdateLockCount == 0) ProcessChanges();
}

void TcxCustomGrid::CancelUpdate() {
  if (FUpdateLockCount == 0) return;
  if (--FUpdateLockCount == 0) {
    std::vector<TcxCustomGridChange*> changes;
    changes.swap(FChanges);
    for (TcxCustomGridChange* change : changes) change->Free();
  }
}

void TcxCustomGrid::AddChange(TcxCustomGridChange* AChange) {
  if (AChange->CanQueue() && FUpdateLockCount != 0)
    FChanges.push_back(AChange);
  else
    ExecuteChange(AChange);
}

void TcxCustomGrid::ExecuteChange(TcxCustomGridChange* AChange) {
  TObjectPtr<TcxCustomGridChange> change(AChange);
  if (IsDestroying()) return;
  change->SetControl(this);
  change->Execute();
}

void TcxCustomGrid::ProcessChanges() {
  // Duplicates: a change equal to one already kept goes.
  std::vector<TcxCustomGridChange*> work;
  std::vector<TcxCustomGridChange*> queued;
  queued.swap(FChanges);
  for (TcxCustomGridChange* change : queued) {
    const bool duplicate = change->CanDropDuplicate() &&
                           std::any_of(work.begin(), work.end(), [&](TcxCustomGridChange* kept) { return kept->IsEqual(change); });
    if (duplicate)
      change->Free();
    else
      work.push_back(change);
  }
  // Superseded: a change covered by a later kept one goes.
  for (size_t i = 0; i < work.size();) {
    bool covered = false;
    for (size_t j = i + 1; j < work.size() && !covered; ++j) covered = work[i]->IsCompatibleWith(work[j]);
    if (covered) {
      work[i]->Free();
      work.erase(work.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
  // The rest in order. A change that raises ends the processing; the changes after it
  // are freed unrun, so none is lost in memory or left to run at a later unlock.
  size_t next = 0;
  ScopeExit freeUnrun([&] {
    for (size_t j = next; j < work.size(); ++j) work[j]->Free();
  });
  while (next < work.size()) ExecuteChange(work[next++]);
}

void TcxCustomGrid::RemoveViewChanges(TcxCustomGridView* AView) {
  auto it = std::remove_if(FChanges.begin(), FChanges.end(), [&](TcxCustomGridChange* change) {
    auto* viewChange = dynamic_cast<TcxCustomGridViewChange*>(change);
    if (!viewChange || viewChange->GridView() != AView) return false;
    change->Free();
    return true;
  });
  FChanges.erase(it, FChanges.end());
}

void TcxCustomGrid::LayoutChanged() {
  if (IsLoading()) return;
  AddChange(new TcxGridLayoutChange(nullptr));
}

void TcxCustomGrid::SizeChanged() {
  if (IsLoading()) return;
  AddChange(new TcxGridSizeChange(nullptr, false, false));
}

void TcxCustomGrid::InvalidateViews(bool ALayout) {
  if (ALayout)
    LayoutChanged();
  else
    Invalidate();
  std::function<void(TcxCustomGridView*)> refresh = [&](TcxCustomGridView* view) {
    if (!view) return;
    view->RefreshView(ALayout);
    if (TcxGridLevel* level = view->Level())
      for (Integer i = 0; i < level->VisibleCount(); ++i) refresh(level->VisibleItems(i)->GridView());
  };
  refresh(ActiveView());
}

// --- Levels and views.

Integer TcxCustomGrid::LevelCount() const { return FRootLevel ? FRootLevel->Count() : 0; }
TcxGridLevel* TcxCustomGrid::Levels(Integer Index) const { return FRootLevel->Items(Index); }

TcxCustomGridView* TcxCustomGrid::GetActiveView() const { return FActiveLevel ? FActiveLevel->GridView() : nullptr; }

void TcxCustomGrid::SetActiveLevel(TcxGridLevel* ALevel) {
  if (ALevel == FActiveLevel && ALevel) return;
  if (!ALevel && !IsDestroying() && FRootLevel && FRootLevel->VisibleCount() > 0) ALevel = FRootLevel->VisibleItems(0);
  if (ALevel == FActiveLevel) return;
  FActiveLevel = ALevel;
  SizeChanged();
  if (!IsLoading() && FActiveLevel) DoActiveTabChanged(FActiveLevel);
  SetFocusedView(FActiveLevel ? FActiveLevel->GridView() : nullptr);
}

TcxCustomGridView* TcxCustomGrid::FindFocusedViewReplacement(TcxCustomGridView* AOldFocusedView) {
  for (TcxCustomGridView* master = AOldFocusedView ? AOldFocusedView->MasterGridView() : nullptr; master;
       master = master->MasterGridView())
    if (!master->IsDestroying()) return master;
  for (Integer i = 0; FRootLevel && i < FRootLevel->Count(); ++i) {
    TcxCustomGridView* view = FRootLevel->Items(i)->GridView();
    if (view && !view->IsDestroying()) return view;
  }
  return nullptr;
}

void TcxCustomGrid::SetFocusedView(TcxCustomGridView* AView) {
  if (AView && !AView->CanFocus()) return;
  if (AView == FFocusedView) return;
  if (!IsDestroying() && ((!AView && ActiveView()) || (AView && AView->IsDestroying()))) {
    AView = FindFocusedViewReplacement(FFocusedView);
    if (AView && (AView == FFocusedView || AView->IsDestroying())) AView = nullptr;
    if (AView == FFocusedView) return;
  }
  TcxCustomGridView* old = FFocusedView;
  FFocusedView = AView;
  if (old) {
    const bool hadFocus = IsFocused();
    try {
      old->FocusChanged(false);
    } catch (...) {
      SetFocusedView(old);
      throw;
    }
    if (hadFocus && !IsFocused() && CanFocus() && HandleAllocated()) SetFocus();
  }
  if (FFocusedView) {
    FFocusedView->FocusChanged(true);
    if (FFocusedView && FFocusedView->Level()) FFocusedView->Level()->SetActive(true);
  } else if (Focused() && CanFocusWithParentForm()) {
    SetFocus();
  }
  FocusedViewChanged(old, FFocusedView);
}

void TcxCustomGrid::CheckFocusedView() {
  if (!FFocusedView || FFocusedView->CanFocus()) return;
  TcxCustomGridView* active = ActiveView();
  if (active && active->CanFocus())
    active->SetFocused(true);
  else
    SetFocusedView(nullptr);
}

void TcxCustomGrid::AddView(TcxCustomGridView* AView) {
  if (std::find(FViews.begin(), FViews.end(), AView) == FViews.end()) FViews.push_back(AView);
}

void TcxCustomGrid::RemoveView(TcxCustomGridView* AView) {
  auto it = std::find(FViews.begin(), FViews.end(), AView);
  if (it == FViews.end()) return;
  FViews.erase(it);
  RemoveViewChanges(AView);
  if (FFocusedView == AView) {
    // A view leaving the grid hands the focus on (to its master, or the first view).
    FFocusedView = nullptr;
    if (!IsDestroying()) SetFocusedView(FindFocusedViewReplacement(AView));
  }
}

void TcxCustomGrid::AddChildComponent(TComponent* AComponent) { inherited::AddChildComponent(AComponent); }
void TcxCustomGrid::RemoveChildComponent(TComponent* AComponent) { inherited::RemoveChildComponent(AComponent); }

// --- Focus.

bool TcxCustomGrid::IsFocused() {
  if (Focused()) return true;
  TCustomForm* form = GetParentForm(this);
  TWinControl* active = form ? form->ActiveControl() : nullptr;
  if (!active || active == this || !active->Focused() || !HandleAllocated() || !active->HandleAllocated() ||
      !IsChild(Handle(), active->Handle()))
    return false;
  auto* cxActive = dynamic_cast<TcxControl*>(active);
  return !cxActive || cxActive->IsFocused();
}

void TcxCustomGrid::FocusChanged() {
  inherited::FocusChanged();
  if (!IsDestroying() && Focused() && FFocusedView) FFocusedView->FocusChanged(true);
}

void TcxCustomGrid::SetControlFocused(bool AFocused) {
  if (IsDestroying()) return;
  if ((AFocused && !FControlFocused) || (!AFocused && !IsFocused())) {
    FControlFocused = AFocused;
    FController->ControlFocusChanged();
  }
}

void TcxCustomGrid::SetTabStop(bool Value) {
  FTabStop = Value;
  if (FFocusedView) FFocusedView->SetTabStop(true);
}

TcxGridLevelOptions* TcxCustomGrid::RootLevelOptions() const { return FRootLevel->Options(); }
TcxGridLevelStyles* TcxCustomGrid::RootLevelStyles() const { return FRootLevel->Styles(); }

// --- Streaming, renaming, painting, input.

void TcxCustomGrid::GetChildren(TGetChildProc Proc, TComponent* Root) {
  inherited::GetChildren(Proc, Root);
  for (TcxCustomGridView* view : FViews)
    if (view->Owner() == Root) Proc(view);
  for (Integer i = 0; i < FRootLevel->Count(); ++i)
    if (FRootLevel->Items(i)->Owner() == Root) Proc(FRootLevel->Items(i));
}

void TcxCustomGrid::SetName(const std::string& NewName) {
  const std::string oldName = Name();
  inherited::SetName(NewName);
  if (oldName.empty() || oldName == Name()) return;
  std::vector<TComponent*> children(FViews.begin(), FViews.end());
  std::function<void(TcxGridLevel*)> collect = [&](TcxGridLevel* level) {
    for (Integer i = 0; i < level->Count(); ++i) {
      if (!level->Items(i)->Name().empty()) children.push_back(level->Items(i));
      collect(level->Items(i));
    }
  };
  collect(FRootLevel.get());
  cxGridRenameChildComponents(
      this, Owner(), Name(), [&](Integer i) { return children[static_cast<size_t>(i)]; },
      static_cast<Integer>(children.size()), oldName);
}

void TcxCustomGrid::Loaded() {
  inherited::Loaded();
  BeginUpdate();
  LayoutChanged();
  EndUpdate();
}

void TcxCustomGrid::Paint() {
  inherited::Paint();
  FPainter->Paint();
}

void TcxCustomGrid::BoundsChanged() {
  SizeChanged();
  inherited::BoundsChanged();
}

void TcxCustomGrid::LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {
  inherited::LookAndFeelChanged(Sender, AChangedValues);
  for (TcxCustomGridView* view : FViews) view->LookAndFeelChanged();
  SizeChanged();
}

void TcxCustomGrid::CancelMouseOperations() {
  inherited::CancelMouseOperations();
  if (FController) FController->CancelMouseOperations();
}

TCursor TcxCustomGrid::GetCurrentCursor(Integer X, Integer Y) {
  TCursor result = FController ? FController->GetCursor(X, Y) : crDefault;
  return result != crDefault ? result : inherited::GetCurrentCursor(X, Y);
}

void TcxCustomGrid::KeyDown(Word& Key, TShiftState Shift) { inherited::KeyDown(Key, Shift); }

void TcxCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  FController->MouseDown(Button, Shift, X, Y);
}

void TcxCustomGrid::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  inherited::DragOver(Source, X, Y, State, Accept);
  if (FController) FController->DragOver(Source, X, Y, State, Accept);
}

void TcxCustomGrid::DoEndDrag(TObject* Target, Integer X, Integer Y) {
  if (FController) FController->EndDrag(Target, X, Y);
  inherited::DoEndDrag(Target, X, Y);
}

void TcxCustomGrid::DoStartDrag(TDragObject*& DragObject) {
  inherited::DoStartDrag(DragObject);
  if (FController) FController->StartDrag(DragObject);
}

void TcxCustomGrid::DoActiveTabChanged(TcxGridLevel* ALevel) {
  if (OnActiveTabChanged) OnActiveTabChanged(this, ALevel);
}

void TcxCustomGrid::DoLayoutChanged(TcxCustomGridView* AGridView) {
  if (OnLayoutChanged) OnLayoutChanged(this, AGridView);
}

void TcxCustomGrid::FocusedViewChanged(TcxCustomGridView* APrevFocusedView, TcxCustomGridView* AFocusedView) {
  if (IsDestroying()) return;
  if (OnFocusedViewChanged) OnFocusedViewChanged(this, APrevFocusedView, AFocusedView);
}

// =======================================================================================
// Class descriptors.

RTL_IMPLEMENT_CLASS(TcxCustomGridViewChange)
RTL_IMPLEMENT_CLASS(TcxGridLayoutChange)
RTL_IMPLEMENT_CLASS(TcxGridSizeChange)
RTL_IMPLEMENT_CLASS(TcxGridViewChange)
RTL_IMPLEMENT_CLASS(TcxGridControlFocusChange)
RTL_IMPLEMENT_CLASS(TcxCustomGridHandler)
RTL_IMPLEMENT_CLASS(TcxGridDragOpenInfoTab)
RTL_IMPLEMENT_CLASS(TcxGridController)
RTL_IMPLEMENT_CLASS(TcxGridTopDetailsSiteViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridPainter)
RTL_IMPLEMENT_CLASS(TcxGridViewInfo)
RTL_IMPLEMENT_CLASS(TcxCustomGrid)

RTL_BEGIN_CLASS(TcxGrid)
  using T = TcxGrid;
  publishPlacement(b);
  b.Property("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(cxcbsDefault);
  b.Property("DragOpening", &T::DragOpening, &T::SetDragOpening).Default(true);
  b.Property("DragOpeningWaitTime", &T::DragOpeningWaitTime, &T::SetDragOpeningWaitTime).Default(500);
  PUBLISH(TabOrder).Default(-1);
  PUBLISH(TabStop).Default(true);
  PUBLISH(Visible).Default(true);
  b.Property("RootLevelOptions", &T::RootLevelOptions, &T::SetRootLevelOptions);
  b.Property("RootLevelStyles", &T::RootLevelStyles, &T::SetRootLevelStyles);
  b.Property("RootLevelStylesEvents", &T::RootLevelStylesEvents, &T::SetRootLevelStylesEvents);
  b.Property("OnActiveTabChanged", &T::OnActiveTabChanged, &T::OnActiveTabChanged);
  b.Property("OnFocusedViewChanged", &T::OnFocusedViewChanged, &T::OnFocusedViewChanged);
  b.Property("OnLayoutChanged", &T::OnLayoutChanged, &T::OnLayoutChanged);
RTL_END_CLASS

namespace cxGridUnit {
void Initialize() { RegisterClass(TcxGrid::StaticClass()); }
void Finalize() {}
}  // namespace cxGridUnit
