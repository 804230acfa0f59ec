#include "cx/grid/cxGridCustomView.h"

#include <algorithm>

#include "cx/grid/cxGrid.h"
#include "cx/grid/cxGridLevel.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiPublish.h"
#include "platform/rtl/Scoped.h"

namespace {
TGridHitTests* gHitTests = nullptr;
TcxRegisteredClasses* gRegisteredViews = nullptr;

// Runs AFn and then AFinally, also when AFn raises.
template <class F, class G> void runThen(F&& AFn, G&& AFinally) {
  ScopeExit finally(std::forward<G>(AFinally));
  AFn();
}
}  // namespace

// =======================================================================================
// Hit tests.

TcxCustomGridHitTest* TcxCustomGridHitTest::Instance(TClass AClass, const TPoint& APoint) {
  TcxCustomGridHitTest* result = GridHitTests()->GetInstance(AClass);
  result->Pos = APoint;
  return result;
}

TGridHitTests::~TGridHitTests() {
  for (TcxCustomGridHitTest* item : FItems) item->Free();
}

TcxCustomGridHitTest* TGridHitTests::FindInstance(TClass AClass) const {
  for (TcxCustomGridHitTest* item : FItems)
    if (item->ClassType() == AClass) return item;
  return nullptr;
}

TcxCustomGridHitTest* TGridHitTests::GetInstance(TClass AClass) {
  if (TcxCustomGridHitTest* found = FindInstance(AClass)) return found;
  TObject* object = AClass->CreateInstance();
  auto* result = dynamic_cast<TcxCustomGridHitTest*>(object);
  if (!result) {
    FreeObject(object);
    throw EInvalidCast("Invalid class typecast");
  }
  FItems.push_back(result);
  return result;
}

TGridHitTests* GridHitTests() {
  // The registry exists between the unit's start and end; a query outside that time
  // (a test without the start-up list) still gets one.
  if (!gHitTests) gHitTests = new TGridHitTests();
  return gHitTests;
}

// =======================================================================================
// Handlers.

TcxGridViewHandler::TcxGridViewHandler(TcxCustomGridView* AGridView)
    : TcxInterfacedPersistent(AGridView), FGridView(AGridView) {}

TcxCustomGrid* TcxGridViewHandler::Control() const { return FGridView->Grid(); }
TcxCustomGridController* TcxGridViewHandler::Controller() const { return FGridView->Controller(); }
TcxCustomDataController* TcxGridViewHandler::DataController() const { return FGridView->DataController(); }
TcxCustomGridPainter* TcxGridViewHandler::Painter() const { return FGridView->Painter(); }
TcxGridSite* TcxGridViewHandler::Site() const { return FGridView->Site(); }
TcxCustomGridViewData* TcxGridViewHandler::ViewData() const { return FGridView->ViewData(); }
TcxCustomGridViewInfo* TcxGridViewHandler::ViewInfo() const { return FGridView->ViewInfo(); }
TcxCustomLookAndFeelPainterClass TcxGridViewHandler::LookAndFeelPainter() const {
  return FGridView->LookAndFeelPainter();
}
void TcxGridViewHandler::BeginUpdate() { FGridView->BeginUpdate(); }
void TcxGridViewHandler::EndUpdate() { FGridView->EndUpdate(); }

TcxGridSite* TcxCustomGridDragAndDropObject::Site() const { return static_cast<TcxGridSite*>(Control()); }
TcxCustomGridView* TcxCustomGridDragAndDropObject::GridView() const { return Site()->View(); }
TcxCustomGridController* TcxCustomGridDragAndDropObject::Controller() const { return GridView()->Controller(); }

// ---------------------------------------------------------------------------------------
// Controller.

TcxCustomGridController::~TcxCustomGridController() { HideHint(); }

void TcxCustomGridController::AfterPaint() {
  if (Site() && Site()->DragAndDropState() == ddsInProcess) {
    if (TcxDragAndDropObject* object = Site()->DragAndDropObject()) object->ShowFeedback();
  }
}

void TcxCustomGridController::BeforePaint() {
  if (Site() && Site()->DragAndDropState() == ddsInProcess) {
    if (TcxDragAndDropObject* object = Site()->DragAndDropObject()) object->HideFeedback();
  }
}

bool TcxCustomGridController::CanHandleHitTest(TcxCustomGridHitTest* AHitTest) {
  auto* viewHitTest = dynamic_cast<TcxCustomGridViewHitTest*>(AHitTest);
  return !viewHitTest || viewHitTest->GridView == GridView();
}

bool TcxCustomGridController::HasDragAndDropObject(TcxCustomGridHitTest* AHitTest) {
  return AHitTest && AHitTest->DragAndDropObjectClass() != nullptr;
}

void TcxCustomGridController::FocusLost() {
  BeforeKillFocus();
  GridView()->SetTabStop(false);
  if (!GridView()->IsVisible() && Site()) Site()->SetParent(nullptr);
}

void TcxCustomGridController::FocusGained() {
  GridView()->SetTabStop(true);
  ViewInfo()->UpdateSiteVisibility(true);
  TcxCustomGrid* grid = Control();
  if (grid && grid->IsFocused() && Site() && Site()->CanFocusWithParentForm()) Site()->SetFocus();
  if (TcxCustomGridView* master = GridView()->MasterGridView()) master->Controller()->DetailFocused(GridView());
}

void TcxCustomGridController::ControlFocusChanged() { ViewInfo()->ControlFocusChanged(); }

TCursor TcxCustomGridController::GetCursor(Integer X, Integer Y) {
  TcxCustomGridHitTest* hitTest = ViewInfo()->GetHitTest(X, Y);
  return CanHandleHitTest(hitTest) ? hitTest->Cursor() : crDefault;
}

bool TcxCustomGridController::StartDragAndDrop(const TPoint& P) {
  TcxCustomGridHitTest* hitTest = ViewInfo()->GetHitTest(P);
  if (!CanHandleHitTest(hitTest) || !HasDragAndDropObject(hitTest)) return false;
  Site()->SetDragAndDropObjectClass(hitTest->DragAndDropObjectClass());
  if (auto* object = dynamic_cast<TcxCustomGridDragAndDropObject*>(Site()->DragAndDropObject()))
    object->InitFromHitTest(P, hitTest);
  return true;
}

TClass TcxCustomGridController::GetHintWindowClass() {
  TClass cls = Application ? Application->HintWindowClass() : nullptr;
  return cls ? cls : THintWindow::StaticClass();
}

void TcxCustomGridController::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  FIsDblClick = Shift.Contains(ssDouble);
  TcxCustomGridHitTest* hitTest = ViewInfo()->GetHitTest(X, Y);
  if (hitTest->ViewInfo) hitTest->ViewInfo->MouseDown(hitTest, Button, Shift);
}

void TcxCustomGridController::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TcxCustomGridHitTest* hitTest = ViewInfo()->GetHitTest(X, Y);
  if (TcxCustomGridCellViewInfo* capture = GetMouseCaptureViewInfo())
    capture->MouseMove(hitTest, Shift);
  else if (hitTest->ViewInfo)
    hitTest->ViewInfo->MouseMove(hitTest, Shift);
}

void TcxCustomGridController::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxCustomGridHitTest* hitTest = ViewInfo()->GetHitTest(X, Y);
  if (TcxCustomGridCellViewInfo* capture = GetMouseCaptureViewInfo())
    capture->MouseUp(hitTest, Button, Shift);
  else if (hitTest->ViewInfo)
    hitTest->ViewInfo->MouseUp(hitTest, Button, Shift);
}

void TcxCustomGridController::ShowHint(const TRect& AAreaBounds, const TRect& ATextBounds, TFont* AFont,
                                       bool AMultiLine, const std::string& AText) {
  if (FHintWindow && FHintText == AText && EqualRect(&FHintAreaBounds, &ATextBounds)) return;
  if (FHintWindow) {
    cxEndMouseTracking(this);
  } else {
    FHintWindow.reset(As<THintWindow>(GetHintWindowClass()->CreateInstance(nullptr)));
    if (Application) FHintWindow->SetColor(Application->HintColor());
  }
  FHintAreaBounds = ATextBounds;
  FHintText = AText;
  FHintWindow->Canvas()->SetFont(AFont);

  TRect r = FHintWindow->CalcHintRect(AMultiLine ? ATextBounds.right - ATextBounds.left : 107374182, AText, nullptr);
  r.right -= 6;
  r.bottom -= 2;
  TPoint origin = Site()->ClientToScreen(TPoint{ATextBounds.left, ATextBounds.top});
  OffsetRect(r, origin.x, origin.y);
  // The hint's client area lands on the cell's text: grow by the window's client offset.
  Integer offsetX = 2, offsetY = 2;
  if (FHintWindow->HandleAllocated()) {
    RECT window, client;
    GetWindowRect(FHintWindow->Handle(), &window);
    POINT p{0, 0};
    ClientToScreen(FHintWindow->Handle(), &p);
    GetClientRect(FHintWindow->Handle(), &client);
    offsetX += p.x - window.left;
    offsetY += p.y - window.top;
  }
  InflateRect(r, offsetX, offsetY);
  TRect work = cxGetMonitorWorkArea(TPoint{r.left, r.top});
  if (r.right > work.right) OffsetRect(r, work.right - r.right, 0);
  if (r.bottom > work.bottom) OffsetRect(r, 0, work.bottom - r.bottom);
  if (r.left < work.left) OffsetRect(r, work.left - r.left, 0);
  if (r.top < work.top) OffsetRect(r, 0, work.top - r.top);
  r.bottom -= 4;
  FHintWindow->ActivateHint(r, AText);
  cxBeginMouseTracking(Site(), AAreaBounds, this);
}

void TcxCustomGridController::HideHint() {
  cxEndMouseTracking(this);
  FHintWindow.reset();
  FHintText.clear();
}

TcxCustomGridDragAndDropObject* TcxCustomGridController::GetDragAndDropObject() {
  return dynamic_cast<TcxCustomGridDragAndDropObject*>(Site()->DragAndDropObject());
}
bool TcxCustomGridController::IsDragging() { return Site()->DragAndDropState() == ddsInProcess; }
TcxCustomGridCellViewInfo* TcxCustomGridController::GetMouseCaptureViewInfo() {
  return Site() ? dynamic_cast<TcxCustomGridCellViewInfo*>(Site()->MouseCaptureObject()) : nullptr;
}
void TcxCustomGridController::SetDragAndDropObjectClass(TClass AClass) { Site()->SetDragAndDropObjectClass(AClass); }
void TcxCustomGridController::UpdateScrollBars() { Site()->UpdateScrollBars(); }
void TcxCustomGridController::SetScrollBarInfo(TScrollBarKind AKind, Integer AMin, Integer AMax, Integer AStep,
                                               Integer APage, Integer APosition, bool AAllowShow, bool AAllowHide) {
  Site()->SetScrollBarInfo(AKind, AMin, AMax, AStep, APage, APosition, AAllowShow, AAllowHide);
}

// ---------------------------------------------------------------------------------------
// Painter.

TcxCustomGridPainter::~TcxCustomGridPainter() = default;

TcxCanvas* TcxCustomGridPainter::Canvas() const { return ViewInfo()->Canvas(); }

void TcxCustomGridPainter::Paint() {
  BeforePaint();
  runThen([this] { PaintContent(); }, [this] { AfterPaint(); });
}

void TcxCustomGridPainter::BeforePaint() {
  Controller()->BeforePaint();
  FSavedClipRegion.reset(Canvas()->GetClipRegion());
  FBackgroundRegion.reset(new TcxRegion(ViewInfo()->Bounds()));
}

void TcxCustomGridPainter::AfterPaint() {
  DrawBackground();
  if (FSavedClipRegion) Canvas()->SetClipRegion(FSavedClipRegion.release(), roSet);
  Controller()->AfterPaint();
}

void TcxCustomGridPainter::ExcludeFromBackground(const TRect& R) {
  if (FBackgroundRegion) FBackgroundRegion->Combine(new TcxRegion(R), roSubtract);
}

void TcxCustomGridPainter::DrawBackground() {
  if (!FBackgroundRegion) return;
  TcxCanvas* canvas = Canvas();
  if (TBitmap* bitmap = ViewInfo()->GetBackgroundBitmap()) {
    TcxRegion* saved = canvas->GetClipRegion();
    auto* area = new TcxRegion();
    area->Combine(FBackgroundRegion.get(), roSet, false);
    canvas->SetClipRegion(area, roIntersect);
    canvas->FillRectangle(ViewInfo()->Bounds(), bitmap);
    canvas->SetClipRegion(saved, roSet);
  } else {
    canvas->Brush()->SetColor(ViewInfo()->GetBackgroundColor());
    FillRgn(canvas->Handle(), FBackgroundRegion->RegionHandle(), canvas->Brush()->Handle());
  }
  FBackgroundRegion.reset();
  canvas->ExcludeFromClip(ViewInfo()->Bounds());
}

void TcxCustomGridPainter::DrawFocusRect(const TRect& R, bool AHideFocusRect) {
  if (GridView()->IsControlFocused()) {
    Canvas()->DrawFocusFrame(R);
  } else if (!AHideFocusRect) {
    Canvas()->InvertArea(TRect{R.left, R.top, R.right, R.top + 1});
    Canvas()->InvertArea(TRect{R.left, R.bottom - 1, R.right, R.bottom});
    Canvas()->InvertArea(TRect{R.left, R.top + 1, R.left + 1, R.bottom - 1});
    Canvas()->InvertArea(TRect{R.right - 1, R.top + 1, R.right, R.bottom - 1});
  }
}

void TcxCustomGridPainter::Invalidate() {
  if (Site()) Site()->Invalidate();
}
void TcxCustomGridPainter::InvalidateRect(const TRect& R) {
  if (Site()) Site()->InvalidateArea(R, false);
}

// =======================================================================================
// View info.

void TcxCustomGridViewInfo::AfterConstruction() {
  inherited::AfterConstruction();
  FSite = As<TcxGridSite>(GetSiteClass()->CreateInstance(this));
  CreateViewInfos();
}

void TcxCustomGridViewInfo::BeforeDestruction() {
  DestroyViewInfos(false);
  inherited::BeforeDestruction();
}

TcxCustomGridViewInfo::~TcxCustomGridViewInfo() { FreeAndNil(FSite); }

TClass TcxCustomGridViewInfo::GetSiteClass() { return TcxGridSite::StaticClass(); }

TcxCanvas* TcxCustomGridViewInfo::Canvas() const { return FSite->GetCanvas(); }

TRect TcxCustomGridViewInfo::ClientBounds() {
  return FHasExplicitClientBounds ? FExplicitClientBounds : GetDefaultClientBounds();
}

bool TcxCustomGridViewInfo::IsInternalUse() {
  if (InternalUse()) return true;
  TcxCustomGridView* master = GridView()->MasterGridView();
  return master && master->ViewInfo()->IsInternalUse();
}

TWinControl* TcxCustomGridViewInfo::SiteParent() const {
  if (TcxCustomGridView* master = GridView()->MasterGridView()) return master->Site();
  return GridView()->Grid();
}

void TcxCustomGridViewInfo::RecreateViewInfos() {
  FHasExplicitClientBounds = false;
  DestroyViewInfos(true);
  CreateViewInfos();
}

void TcxCustomGridViewInfo::Calculate(const TRect& R) {
  if (FIsCalculating) return;
  BeforeCalculate();
  FIsCalculating = true;
  runThen(
      [&] {
        FSite->SetBoundsRect(R);
        FBounds = FSite->GetClientBounds();
        DoCalculate();
      },
      [this] {
        FIsCalculating = false;
        AfterCalculate();
        UpdateSiteVisibility(true);
      });
}

void TcxCustomGridViewInfo::Recalculate() { Calculate(FSite->BoundsRect()); }

void TcxCustomGridViewInfo::AfterCalculate() {
  if (!IsInternalUse()) Controller()->UpdateScrollBars();
}

void TcxCustomGridViewInfo::SetClientBounds(const TRect& R) {
  FExplicitClientBounds = R;
  FHasExplicitClientBounds = true;
}

void TcxCustomGridViewInfo::CalculateHeight(Integer AMaxSize, Integer& AHeight, bool& AFullyVisible) {
  if (FSite->IsHScrollBarVisible()) AHeight += FSite->GetHScrollBarBounds().bottom - FSite->GetHScrollBarBounds().top;
}

void TcxCustomGridViewInfo::CalculateWidth(Integer AMaxSize, Integer& AWidth) {
  if (FSite->IsVScrollBarVisible()) AWidth += FSite->GetVScrollBarBounds().right - FSite->GetVScrollBarBounds().left;
  AWidth = std::min(AWidth, AMaxSize);
}

void TcxCustomGridViewInfo::CalculateHeightFor(Integer AMaxSize, Integer& AHeight, bool& AFullyVisible) {
  FIsCalculatingSize = true;
  runThen([&] { CalculateHeight(AMaxSize, AHeight, AFullyVisible); }, [this] { FIsCalculatingSize = false; });
}

void TcxCustomGridViewInfo::CalculateWidthFor(Integer AMaxSize, Integer& AWidth) {
  FIsCalculatingSize = true;
  runThen([&] { CalculateWidth(AMaxSize, AWidth); }, [this] { FIsCalculatingSize = false; });
}

Integer TcxCustomGridViewInfo::GetFontHeight(TFont* AFont) { return Canvas()->GetFontHeight(AFont); }

void TcxCustomGridViewInfo::RegisterCellGuard(TcxCustomGridCellViewInfo* ACell) { FGuardedCells.push_back(ACell); }
bool TcxCustomGridViewInfo::IsCellGuarded(TcxCustomGridCellViewInfo* ACell) const {
  return std::find(FGuardedCells.begin(), FGuardedCells.end(), ACell) != FGuardedCells.end();
}
void TcxCustomGridViewInfo::UnregisterCellGuard(TcxCustomGridCellViewInfo* ACell) {
  auto it = std::find(FGuardedCells.begin(), FGuardedCells.end(), ACell);
  if (it != FGuardedCells.end()) FGuardedCells.erase(it);
}

void TcxCustomGridViewInfo::UpdateMousePos() {
  if (FSite->IsParked()) return;
  if (FSite->HandleAllocated() && !(Control() && Control()->IsDesigning()))
    FMousePos = FSite->ScreenToClient(cxGetCursorPos());
  else
    FMousePos = TPoint{2147483647, 2147483647};
}

TBitmap* TcxCustomGridViewInfo::GetBackgroundBitmap() { return GridView()->BackgroundBitmaps()->GetBitmap(bbBackground); }

TColor TcxCustomGridViewInfo::GetBackgroundColor() {
  TcxViewParams params;
  GridView()->Styles()->GetVisualParams(vsBackground, nullptr, nullptr, params);
  return params.Color;
}

void TcxCustomGridViewInfo::InitHitTest(TcxCustomGridHitTest* AHitTest) {
  if (auto* viewHitTest = dynamic_cast<TcxCustomGridViewHitTest*>(AHitTest)) viewHitTest->GridView = GridView();
}

TcxCustomGridHitTest* TcxCustomGridViewInfo::GetHitTest(const TPoint& P) {
  TcxCustomGridHitTest* result = TcxCustomGridHitTest::Instance(TcxGridViewNoneHitTest::StaticClass(), P);
  result->ViewInfo = nullptr;
  InitHitTest(result);
  return result;
}

void TcxCustomGridViewInfo::UpdateSiteVisibility(bool ACanShow) {
  if (IsInternalUse() || FIsCalculatingSize) return;
  FUpdatingSiteVisibility = true;
  runThen([&] { SetSiteVisible(ACanShow && GridView()->IsVisible()); }, [this] { FUpdatingSiteVisibility = false; });
}

void TcxCustomGridViewInfo::SetSiteVisible(bool AVisible) {
  UpdateMousePos();
  if (AVisible) {
    FSite->SetParent(SiteParent());
    return;
  }
  TcxCustomGrid* grid = GridView()->Grid();
  bool holdsFocus = false;
  if (grid && !GridView()->IsDestroying()) {
    holdsFocus = FSite->IsFocused();
    TcxCustomGridView* focused = grid->FocusedView();
    if (!holdsFocus && focused && focused != GridView() && focused->Site() && FSite->HandleAllocated() &&
        focused->Site()->HandleAllocated())
      holdsFocus = IsChild(FSite->Handle(), focused->Site()->Handle());
  }
  if (holdsFocus)
    FSite->SetLeft(cxGridParkedSiteLeft);
  else
    FSite->SetParent(nullptr);
}

// ---------------------------------------------------------------------------------------
// View-info cache.

TcxCustomGridViewInfoCache::~TcxCustomGridViewInfoCache() { Clear(); }

TcxCustomGridViewInfoCacheItem* TcxCustomGridViewInfoCache::GetItem(Integer AIndex) const {
  return AIndex >= 0 && AIndex < Count() ? FItems[static_cast<size_t>(AIndex)] : nullptr;
}

TcxCustomGridViewInfoCacheItem* TcxCustomGridViewInfoCache::GetOrCreateItem(Integer AIndex) {
  if (AIndex < 0) return nullptr;
  if (AIndex >= Count()) FItems.resize(static_cast<size_t>(AIndex) + 1, nullptr);
  TcxCustomGridViewInfoCacheItem*& item = FItems[static_cast<size_t>(AIndex)];
  if (!item) {
    TcxGridViewInfoCacheItemArgs args{this, AIndex};
    item = As<TcxCustomGridViewInfoCacheItem>(GetItemClass()->CreateInstance(const_cast<TcxGridViewInfoCacheItemArgs*>(&args)));
  }
  return item;
}

void TcxCustomGridViewInfoCache::SetCount(Integer ACount) {
  Clear();
  FItems.assign(static_cast<size_t>(std::max(ACount, 0)), nullptr);
}

void TcxCustomGridViewInfoCache::Clear() {
  std::vector<TcxCustomGridViewInfoCacheItem*> items;
  items.swap(FItems);
  for (TcxCustomGridViewInfoCacheItem* item : items) FreeObject(item);
}

void TcxCustomGridViewInfoCache::UnassignValues(bool AMasterUnchanged) {
  if (FUnassigningValues) return;
  FUnassigningValues = true;
  // Views are stand-alone (no detail views yet), so no master row hosts this view and
  // only the view's own rows forget their values.
  runThen(
      [&] {
        for (TcxCustomGridViewInfoCacheItem* item : FItems)
          if (item) item->UnassignValues(AMasterUnchanged);
      },
      [this] { FUnassigningValues = false; });
}

// =======================================================================================
// Grid site.

TcxGridSite::TcxGridSite(TcxCustomGridViewInfo* AViewInfo) : TcxControl(nullptr), FViewInfo(AViewInfo) {
  {
    TControlStyle style = ControlStyle();
    style.Include(csNoDesignVisible);
    SetControlStyle(style);
  }
  SetWantedKeys({kArrows, kChars});
  SetParentColor(false);
}

TcxCustomGridView* TcxGridSite::View() const { return FViewInfo->GridView(); }
TcxCustomGrid* TcxGridSite::Grid() const { return View()->Grid(); }
TcxCustomGridController* TcxGridSite::Controller() const { return View()->Controller(); }
TcxCustomGridPainter* TcxGridSite::Painter() const { return View()->Painter(); }

void TcxGridSite::refreshLastClientSize() {
  TRect r = GetClientBounds();
  FLastClientWidth = r.right - r.left;
  FLastClientHeight = r.bottom - r.top;
}

void TcxGridSite::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  const bool sizeChanged = AWidth != Width() || AHeight != Height();
  inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (sizeChanged) refreshLastClientSize();
}

void TcxGridSite::BoundsChanged() {
  const Integer oldWidth = FLastClientWidth, oldHeight = FLastClientHeight;
  refreshLastClientSize();
  if ((oldWidth != 0 || oldHeight != 0) && (oldWidth != FLastClientWidth || oldHeight != FLastClientHeight)) {
    bool idle = FViewInfo->IsCalculationIdle();
    for (TcxCustomGridView* master = View()->MasterGridView(); idle && master; master = master->MasterGridView())
      idle = master->ViewInfo()->IsCalculationIdle();
    if (idle)
      View()->SiteSizeChanged(true, false);
    else if (IsUpdatingScrollBars() && HandleAllocated())
      PostMessage(Handle(), WM_CXGRIDSITESIZECHANGED, 0, 0);
  }
  inherited::BoundsChanged();
}

void TcxGridSite::WMDeferredSizeChange(TMessage& Message) {
  MSG msg;
  while (PeekMessage(&msg, Handle(), WM_CXGRIDSITESIZECHANGED, WM_CXGRIDSITESIZECHANGED, PM_REMOVE)) {
  }
  View()->SiteSizeChanged(true, true);
}

void TcxGridSite::SetParent(TWinControl* AParent) {
  if (AParent == Parent()) return;
  if (AParent) {
    if (TcxCustomGrid* grid = Grid()) LookAndFeel()->SetMasterLookAndFeel(grid->LookAndFeel());
    if (TcxGridLevel* level = View()->Level()) View()->SetTabStop(level->IsTop());
  } else if (TWinControl* oldParent = Parent()) {
    TcxCustomGrid* grid = Grid();
    if (grid && grid->FocusedView() == View() && !oldParent->ComponentState().Contains(csDestroying) &&
        oldParent->CanFocus() && IsFocused())
      oldParent->SetFocus();
  }
  inherited::SetParent(AParent);
}

void TcxGridSite::SetFocus() {
  TcxControl* guard = this;
  AddDestroyGuard(&guard);
  runThen(
      [&] {
        TcxCustomGrid* grid = Grid();
        if (grid && grid->FocusedView() && grid->FocusedView() != View())
          grid->FocusedView()->Controller()->BeforeKillFocus();
        if (guard) inherited::SetFocus();
      },
      [&] {
        if (guard) RemoveDestroyGuard(&guard);
      });
}

void TcxGridSite::FocusChanged() {
  TcxControl* guard = this;
  AddDestroyGuard(&guard);
  runThen(
      [&] {
        inherited::FocusChanged();
        if (guard && IsFocused()) View()->SetFocused(true);
        if (guard && Grid()) Grid()->SetControlFocused(View()->IsControlFocused());
      },
      [&] {
        if (guard) RemoveDestroyGuard(&guard);
      });
}

bool TcxGridSite::IsFocused() { return inherited::IsFocused() || Controller()->HasFocusedChild(); }
bool TcxGridSite::AcceptsFocus() { return inherited::AcceptsFocus() && Controller()->MayFocus(); }
bool TcxGridSite::CanFocusOnChildClick() {
  return inherited::CanFocusOnChildClick() && !(Grid() && Grid()->IsFocused());
}
bool TcxGridSite::IsDesigning() { return Grid() ? Grid()->IsDesigning() : inherited::IsDesigning(); }

void TcxGridSite::CancelMouseOperations() {
  inherited::CancelMouseOperations();
  Controller()->CancelMouseOperations();
}

TCursor TcxGridSite::GetCurrentCursor(Integer X, Integer Y) {
  TCursor result = Controller()->GetCursor(X, Y);
  return result != crDefault ? result : inherited::GetCurrentCursor(X, Y);
}

bool TcxGridSite::AllowDesignHitTest(const TPoint& P, TShiftState AShift) {
  if (inherited::AllowDesignHitTest(P, AShift)) return true;
  return AShift.Contains(ssLeft) && Controller()->HasDragAndDropObject(FViewInfo->GetHitTest(P));
}

TcxMouseWheelScrollingKind TcxGridSite::GetMouseWheelScrollingKind() { return Controller()->GetMouseWheelScrollingKind(); }
bool TcxGridSite::IsPixelScrollBar(TScrollBarKind AKind) { return Controller()->IsPixelScrollBar(AKind); }
void TcxGridSite::InitScrollBarsParameters() { Controller()->InitScrollBarsParameters(); }
void TcxGridSite::Scroll(TScrollBarKind AScrollBarKind, TScrollCode AScrollCode, Integer& AScrollPos) {
  Controller()->Scroll(AScrollBarKind, AScrollCode, AScrollPos);
}

TRect TcxGridSite::GetHScrollBarBounds() {
  TRect r = inherited::GetHScrollBarBounds();
  FViewInfo->AdjustHScrollBarBounds(r);
  return r;
}

void TcxGridSite::UpdateScrollBars() {
  if (FViewInfo->IsCalculating()) return;
  inherited::UpdateScrollBars();
}

bool TcxGridSite::CanBeginStandardDrag(Integer X, Integer Y) {
  return inherited::CanBeginStandardDrag(X, Y) && Controller()->CanBeginStandardDrag(X, Y);
}

void TcxGridSite::BeginDragAndDrop() {
  Controller()->BeginDragAndDrop();
  inherited::BeginDragAndDrop();
}
void TcxGridSite::DragAndDrop(const TPoint& P, bool& Accepted) {
  inherited::DragAndDrop(P, Accepted);
  Controller()->DragAndDrop(P, Accepted);
}
void TcxGridSite::EndDragAndDrop(bool Accepted) {
  Controller()->EndDragAndDrop(Accepted);
  inherited::EndDragAndDrop(Accepted);
}
bool TcxGridSite::StartDragAndDrop(const TPoint& P) { return Controller()->StartDragAndDrop(P); }

void TcxGridSite::DoStartDrag(TDragObject*& DragObject) {
  Controller()->BeforeStartDrag();
  inherited::DoStartDrag(DragObject);
  Controller()->StartDrag(DragObject);
}
void TcxGridSite::DoEndDrag(TObject* Target, Integer X, Integer Y) {
  Controller()->EndDrag(Target, X, Y);
  inherited::DoEndDrag(Target, X, Y);
}
void TcxGridSite::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  inherited::DragOver(Source, X, Y, State, Accept);
  Controller()->DragOver(Source, X, Y, State, Accept);
}
void TcxGridSite::DragDrop(TObject* Source, Integer X, Integer Y) {
  Controller()->DragDrop(Source, X, Y);
  inherited::DragDrop(Source, X, Y);
}

bool TcxGridSite::ExecuteAction(TBasicAction* Action) {
  // The data controller takes no actions of its own yet: only the inherited answer.
  return inherited::ExecuteAction(Action);
}
bool TcxGridSite::UpdateAction(TBasicAction* Action) { return inherited::UpdateAction(Action); }

void TcxGridSite::WndProc(TMessage& Message) {
  if (Controller()) Controller()->WndProc(Message);
  inherited::WndProc(Message);
}

void TcxGridSite::KeyDown(Word& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  Controller()->KeyDown(Key, Shift);
}
void TcxGridSite::KeyPress(char& Key) {
  inherited::KeyPress(Key);
  Controller()->KeyPress(Key);
}
void TcxGridSite::KeyUp(Word& Key, TShiftState Shift) {
  inherited::KeyUp(Key, Shift);
  Controller()->KeyUp(Key, Shift);
}
void TcxGridSite::ProcessMouseDown(TMouseButton AButton, TShiftState AShift, Integer X, Integer Y) {
  inherited::ProcessMouseDown(AButton, AShift, X, Y);
  if (HandleAllocated()) Controller()->MouseDown(AButton, AShift, X, Y);
}
void TcxGridSite::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  if (DragAndDropState() == ddsNone) Controller()->MouseMove(Shift, X, Y);
}
void TcxGridSite::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (DragAndDropState() != ddsNone) {
    inherited::MouseUp(Button, Shift, X, Y);
    Controller()->MouseUp(Button, Shift, X, Y);
  } else {
    Controller()->MouseUp(Button, Shift, X, Y);
    inherited::MouseUp(Button, Shift, X, Y);
  }
}
void TcxGridSite::DoEnter() {
  inherited::DoEnter();
  Controller()->DoEnter();
}
void TcxGridSite::DoExit() {
  Controller()->DoExit();
  inherited::DoExit();
}

void TcxGridSite::Paint() {
  if (FViewInfo->IsCalculating() || IsParked()) return;
  Painter()->Paint();
}

// =======================================================================================
// Cells.

HRESULT STDMETHODCALLTYPE TcxCustomGridCellViewInfo::QueryInterface(const ::IID& riid, void** obj) {
  return GetInterface(riid, obj) ? S_OK : E_NOINTERFACE;
}

void TcxCustomGridCellViewInfo::BeforeDestruction() {
  FIsDestroying = true;
  SetMouseCapture(false);
  SetState(gcsNormal);
  inherited::BeforeDestruction();
}

TcxCustomGridCellViewInfo::~TcxCustomGridCellViewInfo() { cxEndMouseTracking(this); }

void TcxCustomGridCellViewInfo::MouseLeave() {
  if (!HasMouseCapture() && FState == gcsHot) SetState(gcsNormal);
}

void TcxCustomGridCellViewInfo::ReadParamsFromCanvas(TcxCanvas* ACanvas) {
  Params.Color = ACanvas->Brush()->Color();
  Params.Font = ACanvas->Font();
  Params.TextColor = ACanvas->Font()->Color();
}

void TcxCustomGridCellViewInfo::ApplyParamsToCanvas(TcxCanvas* ACanvas) {
  ACanvas->Brush()->SetColor(Params.Color);
  if (Params.Font) ACanvas->SetFont(Params.Font);
  ACanvas->Font()->SetColor(Params.TextColor);
}

void TcxCustomGridCellViewInfo::CalculateContentBounds(TRect& R) {
  R = Bounds;
  R.left += GetBorderWidthOf(bLeft);
  R.top += GetBorderWidthOf(bTop);
  R.right -= GetBorderWidthOf(bRight);
  R.bottom -= GetBorderWidthOf(bBottom);
}

void TcxCustomGridCellViewInfo::CalculateParams() {
  AlignmentHorz = GetAlignmentHorz();
  AlignmentVert = GetAlignmentVert();
  GetViewParams(Params);
  Borders = GetBorders();
  Text = GetText();
  MultiLine = CalculateMultiLine();
  MultiLinePainting = GetMultiLinePainting();
  SetWidth(CalculateWidth());
}

void TcxCustomGridCellViewInfo::CalculateParamsIfNeeded() {
  if (ParamsCalculated || FCalculatingParams) return;
  FCalculatingParams = true;
  runThen([this] { CalculateParams(); },
          [this] {
            FCalculatingParams = false;
            ParamsCalculated = true;
          });
}

bool TcxCustomGridCellViewInfo::DoCustomDraw(TcxCanvas* ACanvas) {
  if (!HasCustomDraw()) return false;
  ApplyParamsToCanvas(ACanvas);
  const bool done = CustomDraw(ACanvas);
  if (!done) ReadParamsFromCanvas(ACanvas);
  return done;
}

bool TcxCustomGridCellViewInfo::DoCustomDrawBackground(TcxCanvas* ACanvas) {
  if (!HasCustomDrawBackground()) return false;
  ApplyParamsToCanvas(ACanvas);
  const bool done = CustomDrawBackground(ACanvas);
  if (!done) ReadParamsFromCanvas(ACanvas);
  return done;
}

void TcxCustomGridCellViewInfo::GetBorderBounds(TcxBorder ASide, TRect& R) {
  R = GetContentBounds();
  switch (ASide) {
    case bLeft:
      R.right = R.left;
      R.left -= GetBorderWidthOf(bLeft);
      break;
    case bTop:
      R.bottom = R.top;
      R.top -= GetBorderWidthOf(bTop);
      break;
    case bRight:
      R.left = R.right;
      R.right += GetBorderWidthOf(bRight);
      break;
    case bBottom:
      R.top = R.bottom;
      R.bottom += GetBorderWidthOf(bBottom);
      break;
  }
  // Vertical borders cover the corners.
  if (ASide == bLeft || ASide == bRight) {
    if (Borders.Contains(bTop)) R.top -= GetBorderWidthOf(bTop);
    if (Borders.Contains(bBottom)) R.bottom += GetBorderWidthOf(bBottom);
  }
}

Integer TcxCustomGridCellViewInfo::GetContentHeight() {
  TRect r = GetContentBounds();
  return r.bottom - r.top;
}
Integer TcxCustomGridCellViewInfo::GetContentWidth() {
  TRect r = GetContentBounds();
  return r.right - r.left;
}

TcxControl* TcxCustomGridCellViewInfo::GetControl() { return nullptr; }

bool TcxCustomGridCellViewInfo::HasMouseCapture() {
  TcxControl* control = GetControl();
  return control && control->MouseCaptureObject() == this;
}

TClass TcxCustomGridCellViewInfo::GetPainterClass() { return TcxCustomGridCellPainter::StaticClass(); }

void TcxCustomGridCellViewInfo::GetTextAreaBounds(TRect& R) {
  R = GetContentBounds();
  InflateRect(R, -2, -2);
}

Integer TcxCustomGridCellViewInfo::GetCellHeightFor(TcxCustomGridViewInfo* AViewInfo, Integer AParam) {
  CalculateParamsIfNeeded();
  const Integer textHeight = MultiLine ? CalculateTextHeight() : AViewInfo->GetFontHeight(Params.Font);
  return GetCellHeight(textHeight, AParam);
}

bool TcxCustomGridCellViewInfo::IsHitTestOfCell(TcxCustomGridHitTest* AHitTest) {
  TClass cls = GetHitTestClass();
  return AHitTest && cls && AHitTest->InheritsFrom(cls);
}

void TcxCustomGridCellViewInfo::Offset(Integer DX, Integer DY) {
  OffsetRect(Bounds, DX, DY);
  if (!IsRectEmpty(FContentBoundsCache)) OffsetRect(FContentBoundsCache, DX, DY);
}

void TcxCustomGridCellViewInfo::SetMouseCapture(bool AValue) {
  TcxControl* control = GetControl();
  if (!control || AValue == HasMouseCapture()) return;
  control->SetMouseCaptureObject(AValue ? this : nullptr);
}

void TcxCustomGridCellViewInfo::StateChanged() {
  if (InvalidateOnStateChange()) Invalidate();
  if (FState == gcsNormal) {
    cxEndMouseTracking(this);
  } else if (FState == gcsHot) {
    if (TcxControl* control = GetControl()) cxBeginMouseTracking(control, Bounds, this);
  }
}

void TcxCustomGridCellViewInfo::SetState(TcxGridCellState AState) {
  if (FState == AState) return;
  BeforeStateChange();
  FState = AState;
  StateChanged();
}

void TcxCustomGridCellViewInfo::Calculate(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  CalculateParamsIfNeeded();
  if (AWidth == -1) AWidth = CalculateWidth();
  if (AHeight == -1) AHeight = CalculateHeight();
  Bounds = TRect{ALeft, ATop, ALeft + AWidth, ATop + AHeight};
  FContentBoundsCache = TRect{0, 0, 0, 0};
  AfterCalculateBounds(Bounds);
  Calculated = true;
}

TcxCustomGridHitTest* TcxCustomGridCellViewInfo::GetHitTest(const TPoint& P) {
  TClass cls = GetHitTestClass();
  if (!cls || !PtInRect(Bounds, P)) return nullptr;
  TcxCustomGridHitTest* result = TcxCustomGridHitTest::Instance(cls, P);
  InitHitTest(result);
  return result;
}

void TcxCustomGridCellViewInfo::Invalidate() {
  if (TcxControl* control = GetControl()) control->InvalidateArea(Bounds, false);
}

bool TcxCustomGridCellViewInfo::MouseDown(TcxCustomGridHitTest* AHitTest, TMouseButton AButton, TShiftState AShift) {
  if (!IsMouseSensitive() || AButton != mbLeft) return false;
  if (!KeepsPressedState())
    SetState(gcsPressed);
  else
    SetState(FState == gcsPressed ? gcsHot : gcsPressed);
  return true;
}

bool TcxCustomGridCellViewInfo::MouseMove(TcxCustomGridHitTest* AHitTest, TShiftState AShift) {
  if (!IsMouseSensitive()) return false;
  if (!KeepsPressedState()) {
    if (IsHitTestOfCell(AHitTest))
      SetState(HasMouseCapture() ? gcsPressed : gcsHot);
    else
      SetState(HasMouseCapture() ? gcsHot : gcsNormal);
  } else if (FState != gcsPressed) {
    SetState(gcsHot);
  }
  return true;
}

bool TcxCustomGridCellViewInfo::MouseUp(TcxCustomGridHitTest* AHitTest, TMouseButton AButton, TShiftState AShift) {
  if (!IsMouseSensitive() || KeepsPressedState()) return false;
  const bool wasPressed = FState == gcsPressed;
  SetState(gcsNormal);
  if (wasPressed) Click();
  return wasPressed;
}

void TcxCustomGridCellViewInfo::Paint(TcxCanvas* ACanvas) {
  TClass cls = GetPainterClass();
  if (!GetVisible() || !cls) return;
  TcxGridCellPainterArgs args{ACanvas ? ACanvas : GetCanvas(), this};
  TObjectPtr<TcxCustomGridCellPainter> painter(
      As<TcxCustomGridCellPainter>(cls->CreateInstance(const_cast<TcxGridCellPainterArgs*>(&args))));
  painter->Paint();
}

TRect TcxCustomGridCellViewInfo::GetContentBounds() {
  if (IsRectEmpty(FContentBoundsCache)) CalculateContentBounds(FContentBoundsCache);
  return FContentBoundsCache;
}

Integer TcxCustomGridCellViewInfo::GetBorderWidthOf(TcxBorder ASide) {
  return Borders.Contains(ASide) ? GetBorderWidth(ASide) : 0;
}

Integer TcxCustomGridCellViewInfo::CalculateTextHeight() {
  CalculateParamsIfNeeded();
  TRect r;
  GetTextAreaBounds(r);
  TcxCanvas* canvas = GetCanvas();
  if (Params.Font) canvas->SetFont(Params.Font);
  canvas->CalculateTextRect(Text, r, GetTextFlags(false));
  return r.bottom - r.top;
}

Integer TcxCustomGridCellViewInfo::CalculateTextWidth() {
  CalculateParamsIfNeeded();
  TcxCanvas* canvas = GetCanvas();
  if (Params.Font) canvas->SetFont(Params.Font);
  return canvas->TextWidth(Text);
}

Integer TcxCustomGridCellViewInfo::GetTextFlags(bool APainting) {
  Integer result = 0;
  switch (AlignmentHorz) {
    case taLeftJustify: result |= cxAlignLeft; break;
    case taRightJustify: result |= cxAlignRight; break;
    case taCenter: result |= cxAlignHCenter; break;
  }
  switch (AlignmentVert) {
    case vaTop: result |= cxAlignTop; break;
    case vaBottom: result |= cxAlignBottom; break;
    case vaCenter: result |= cxAlignVCenter; break;
  }
  result |= (APainting ? MultiLinePainting : MultiLine) ? cxWordBreak : cxSingleLine;
  if (GetShowEndEllipsis()) result |= cxShowEndEllipsis;
  return result;
}

void TcxCustomGridCellViewInfo::MoveBy(Integer DX, Integer DY) {
  Offset(DX, DY);
  SetState(gcsNormal);
  MouseLeave();
}

void TcxCustomGridCellViewInfo::Recalculate() {
  InvalidateParams();
  CalculateBounds(Bounds);
}

// ---------------------------------------------------------------------------------------
// View cells.

void TcxCustomGridViewCellViewInfo::BeforeDestruction() {
  FGridViewInfo->UnregisterCellGuard(this);
  inherited::BeforeDestruction();
}

TcxCustomGridView* TcxCustomGridViewCellViewInfo::GridView() const { return FGridViewInfo->GridView(); }
TcxCustomGridController* TcxCustomGridViewCellViewInfo::Controller() const { return GridView()->Controller(); }
TcxCustomLookAndFeelPainterClass TcxCustomGridViewCellViewInfo::LookAndFeelPainter() const {
  return GridView()->LookAndFeelPainter();
}
TcxCanvas* TcxCustomGridViewCellViewInfo::GetCanvas() { return FGridViewInfo->Canvas(); }
TcxControl* TcxCustomGridViewCellViewInfo::GetControl() { return FGridViewInfo->Site(); }

void TcxCustomGridViewCellViewInfo::AfterCalculateBounds(TRect& R) {
  inherited::AfterCalculateBounds(R);
  if (IsHotTrackEnabled() && IsMouseSensitive() && PtInRect(Bounds, FGridViewInfo->MousePos())) {
    TcxCustomGridHitTest* hitTest = TcxCustomGridHitTest::Instance(GetHitTestClass(), FGridViewInfo->MousePos());
    InitHitTest(hitTest);
    MouseMove(hitTest, TShiftState());
  }
}

bool TcxCustomGridViewCellViewInfo::IsHitTestOfCell(TcxCustomGridHitTest* AHitTest) {
  auto* viewHitTest = dynamic_cast<TcxCustomGridViewHitTest*>(AHitTest);
  return inherited::IsHitTestOfCell(AHitTest) && viewHitTest && viewHitTest->GridView == GridView();
}

void TcxCustomGridViewCellViewInfo::InitHitTest(TcxCustomGridHitTest* AHitTest) {
  inherited::InitHitTest(AHitTest);
  FGridViewInfo->InitHitTest(AHitTest);
}

void TcxCustomGridViewCellViewInfo::Invalidate() {
  if (IsDestroying()) return;
  CalculateParamsIfNeeded();
  GridView()->ViewChanged(Bounds);
}

bool TcxCustomGridViewCellViewInfo::MouseMove(TcxCustomGridHitTest* AHitTest, TShiftState AShift) {
  const bool result = inherited::MouseMove(AHitTest, AShift);
  if (HasHint()) {
    std::string text;
    TRect textBounds{0, 0, 0, 0};
    bool multiLine = false;
    if (NeedsHint(AHitTest->Pos, text, textBounds, multiLine)) {
      TRect area;
      GetHintAreaBounds(area);
      Controller()->ShowHint(area, textBounds, Params.Font, multiLine, text);
    } else {
      Controller()->HideHint();
    }
  }
  return result;
}

// ---------------------------------------------------------------------------------------
// Cell painter.

void TcxCustomGridCellPainter::Paint() {
  if (!IsVisibleOnCanvas()) return;
  BeforePaint();
  DoPaint();
  AfterPaint();
  if (ExcludeFromClipRect()) FCanvas->ExcludeFromClip(FViewInfo->Bounds);
}

bool TcxCustomGridCellPainter::IsVisibleOnCanvas() { return FCanvas->IsRectVisible(FViewInfo->Bounds); }

void TcxCustomGridCellPainter::DoPaint() {
  TcxViewParams saved;
  FViewInfo->SaveParams(saved);
  runThen(
      [this] {
        if (!FViewInfo->DoCustomDraw(FCanvas)) DrawContent();
      },
      [&] { FViewInfo->RestoreParams(saved); });
  DrawBorders();
}

void TcxCustomGridCellPainter::DrawContent() {
  if (!FViewInfo->DoCustomDrawBackground(FCanvas)) DrawBackground();
  DrawText();
}

void TcxCustomGridCellPainter::DrawBackground() {
  if (FViewInfo->HasBackgroundBitmap()) {
    if (TBitmap* bitmap = FViewInfo->GetBackgroundBitmap()) FCanvas->FillRectangle(FViewInfo->GetContentBounds(), bitmap);
  } else {
    FCanvas->Brush()->SetColor(FViewInfo->Params.Color);
    FCanvas->FillRectangle(FViewInfo->GetContentBounds());
  }
}

bool TcxCustomGridCellPainter::DrawBackgroundBitmapIn(TcxCanvas* ACanvas, const TRect& R) {
  TBitmap* bitmap = FViewInfo->GetBackgroundBitmap();
  if (!bitmap) return false;
  ACanvas->FillRectangle(R, bitmap);
  return true;
}

void TcxCustomGridCellPainter::DrawText() {
  if (FViewInfo->Text.empty()) return;
  TRect r;
  FViewInfo->GetTextAreaBounds(r);
  if (FViewInfo->Params.Font) FCanvas->SetFont(FViewInfo->Params.Font);
  FCanvas->Font()->SetColor(FViewInfo->Params.TextColor);
  FCanvas->Brush()->SetStyle(bsClear);
  FCanvas->DrawFormattedText(FViewInfo->Text, r, FViewInfo->GetTextFlags(true), true);
  FCanvas->Brush()->SetStyle(bsSolid);
}

void TcxCustomGridCellPainter::DrawBorders() {
  for (TcxBorder side : {bLeft, bTop, bRight, bBottom})
    if (FViewInfo->Borders.Contains(side)) DrawBorder(side);
}

void TcxCustomGridCellPainter::DrawBorder(TcxBorder ASide) {
  FCanvas->Brush()->SetColor(FViewInfo->GetBorderColor(ASide));
  TRect r;
  FViewInfo->GetBorderBounds(ASide, r);
  FCanvas->FillRectangle(r);
}

// =======================================================================================
// Options.

TcxCustomGridOptions::TcxCustomGridOptions(TcxCustomGridView* AGridView) : FGridView(AGridView) {
  FGridView->RegisterOptions(this);
}
TcxCustomGridOptions::~TcxCustomGridOptions() { FGridView->UnregisterOptions(this); }
TPersistent* TcxCustomGridOptions::GetOwner() { return FGridView; }

void TcxCustomGridOptions::Assign(TPersistent* Source) {
  if (dynamic_cast<TcxCustomGridOptions*>(Source)) return;
  inherited::Assign(Source);
}

void TcxCustomGridOptions::Changed() { FGridView->LayoutChanged(true); }

TcxCustomGridBackgroundBitmaps::~TcxCustomGridBackgroundBitmaps() {
  for (TBitmap* bitmap : FBitmaps) FreeObject(bitmap);
}

void TcxCustomGridBackgroundBitmaps::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxCustomGridBackgroundBitmaps*>(Source)) SetValue(0, source->GetValue(0));
  inherited::Assign(Source);
}

TBitmap* TcxCustomGridBackgroundBitmaps::GetValue(Integer AIndex) {
  if (static_cast<Integer>(FBitmaps.size()) < AIndex + 1) FBitmaps.resize(static_cast<size_t>(AIndex) + 1, nullptr);
  TBitmap*& bitmap = FBitmaps[static_cast<size_t>(AIndex)];
  if (!bitmap) {
    bitmap = new TBitmap();
    bitmap->SetOnChange(TNotifyEvent(this, &TcxCustomGridBackgroundBitmaps::bitmapChanged));
  }
  return bitmap;
}

void TcxCustomGridBackgroundBitmaps::SetValue(Integer AIndex, TBitmap* ABitmap) { GetValue(AIndex)->Assign(ABitmap); }

TBitmap* TcxCustomGridBackgroundBitmaps::GetDefaultBitmap(Integer AIndex) {
  const Integer styleIndex = GetBitmapStyleIndex(AIndex);
  return styleIndex == -1 ? nullptr : GridView()->Styles()->GetBitmap(styleIndex);
}

TBitmap* TcxCustomGridBackgroundBitmaps::GetBitmap(Integer AIndex) {
  TBitmap* own = GetValue(AIndex);
  return !own->Empty() ? own : GetDefaultBitmap(AIndex);
}

void TcxCustomGridOptionsView::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxCustomGridOptionsView*>(Source)) SetScrollBars(source->ScrollBars());
  inherited::Assign(Source);
}

TScrollStyle TcxCustomGridOptionsView::ScrollBars() const { return GridView()->Site()->ScrollBars(); }
void TcxCustomGridOptionsView::SetScrollBars(TScrollStyle Value) { GridView()->Site()->SetScrollBars(Value); }

// ---------------------------------------------------------------------------------------
// Styles.

void TcxCustomGridStyles::Changed(Integer AIndex) {
  inherited::Changed(AIndex);
  if (TcxCustomGridView* view = GetGridView()) {
    view->UpdateFakeLinks();
    view->SizeChanged(false, false);
  }
}

void TcxCustomGridStyles::GetDefaultVisualParams(Integer AIndex, TObject* AData, TcxViewParams& AParams) {
  inherited::GetDefaultVisualParams(AIndex, AData, AParams);
  TcxCustomGridView* view = GetGridView();
  if (view && view->Grid())
    AParams.Font = view->Grid()->Font();
  else if (view && view->Painter())
    AParams.Font = view->ViewInfo()->Canvas()->Font();
}

void TcxCustomGridStyles::GetFakeComponentLinks(TList* AList) {
  TcxCustomGridView* view = GetGridView();
  for (Integer i = 0; i < PairCount(); ++i) {
    TcxCustomStyle* style = PairAt(i).Item;
    TComponent* owner = style ? style->Owner() : nullptr;
    if (owner && (!view || owner != view->Owner()) && AList->IndexOf(owner) < 0) AList->Add(owner);
  }
}

TcxCustomLookAndFeelPainterClass TcxCustomGridStyles::GetLookAndFeelPainter() {
  TcxCustomGridView* view = GetGridView();
  return view ? view->LookAndFeelPainter() : TcxStandardLookAndFeelPainter::Instance();
}

TcxCustomGridViewStyles::TcxCustomGridViewStyles(TcxCustomGridView* AGridView) : TcxCustomGridStyles(AGridView) {}

TcxCustomGridView* TcxCustomGridViewStyles::GetGridView() {
  return dynamic_cast<TcxCustomGridView*>(OwnerPersistent());
}

void TcxCustomGridViewStyles::Assign(TPersistent* Source) {
  inherited::Assign(Source);
  if (auto* source = dynamic_cast<TcxCustomGridViewStyles*>(Source)) SetBackground(source->Background());
}

void TcxCustomGridViewStyles::GetDefaultVisualParams(Integer AIndex, TObject* AData, TcxViewParams& AParams) {
  inherited::GetDefaultVisualParams(AIndex, AData, AParams);
  if (AIndex == vsBackground) AParams.Color = GetLookAndFeelPainter()->GetContentColor();
}

// =======================================================================================
// The view.

TcxCustomGridView::TcxCustomGridView(TComponent* AOwner) : TcxControlChildComponent(AOwner) {}

void TcxCustomGridView::AfterConstruction() {
  inherited::AfterConstruction();
  CreateOptions();
  CreateHandlers();
}

void TcxCustomGridView::BeforeDestruction() {
  // Destroying from here on, before the free notifications go out (the level would lose
  // its view and the grid could not hand the focus on).
  Destroying();
  SetFocused(false);
  if (FPatternGridView) FPatternGridView->RemoveClone(this);
  for (TcxCustomGridView* clone : std::vector<TcxCustomGridView*>(FClones)) clone->FPatternGridView = nullptr;
  FClones.clear();
  if (FLevel && FLevel->GridView() == this) FLevel->SetGridView(nullptr);
  inherited::BeforeDestruction();
  DestroyHandlers();
  DestroyOptions();
  while (!FDestroyGuards.empty()) {
    *FDestroyGuards.back() = nullptr;
    FDestroyGuards.pop_back();
  }
  // Detach from the grid while the view is still whole, so the grid sees a view leave.
  SetControl(nullptr);
}

TcxCustomGridView::~TcxCustomGridView() = default;

void TcxCustomGridView::CreateOptions() {
  FBackgroundBitmaps.reset(As<TcxCustomGridBackgroundBitmaps>(GetBackgroundBitmapsClass()->CreateInstance(this)));
  FOptionsSelection.reset(As<TcxCustomGridOptionsSelection>(GetOptionsSelectionClass()->CreateInstance(this)));
  FOptionsView.reset(As<TcxCustomGridOptionsView>(GetOptionsViewClass()->CreateInstance(this)));
  FStyles.reset(As<TcxCustomGridViewStyles>(GetStylesClass()->CreateInstance(this)));
}

void TcxCustomGridView::DestroyOptions() {
  if (TcxCustomGrid* grid = Grid(); grid && FStyles) grid->RemoveFontListener(FStyles.get());
  FStyles.reset();
  FOptionsView.reset();
  FOptionsSelection.reset();
  FBackgroundBitmaps.reset();
}

void TcxCustomGridView::CreateHandlers() {
  FController.reset(As<TcxCustomGridController>(GetControllerClass()->CreateInstance(this)));
  FDataController.reset(
      As<TcxCustomDataController>(GetDataControllerClass()->CreateInstance(static_cast<TComponent*>(this))));
  ConnectDataController();
  FPainter.reset(As<TcxCustomGridPainter>(GetPainterClass()->CreateInstance(this)));
  FViewData.reset(As<TcxCustomGridViewData>(GetViewDataClass()->CreateInstance(this)));
  FViewInfo.reset(As<TcxCustomGridViewInfo>(GetViewInfoClass()->CreateInstance(this)));
  FViewInfoCache.reset(As<TcxCustomGridViewInfoCache>(GetViewInfoCacheClass()->CreateInstance(this)));
}

void TcxCustomGridView::ConnectDataController() {
  FDataController->OnUpdateControl = TcxUpdateControlEvent(this, &TcxCustomGridView::DataControllerNotify);
}

void TcxCustomGridView::DestroyHandlers() {
  FDataController.reset();
  FViewInfoCache.reset();
  FViewInfo.reset();
  FViewData.reset();
  FPainter.reset();
  FController.reset();
}

TcxGridSite* TcxCustomGridView::Site() const { return FViewInfo ? FViewInfo->Site() : nullptr; }
TcxCustomGrid* TcxCustomGridView::Grid() const { return dynamic_cast<TcxCustomGrid*>(Control()); }

TcxCustomLookAndFeelPainterClass TcxCustomGridView::LookAndFeelPainter() const {
  TcxCustomGrid* grid = Grid();
  return grid ? grid->LookAndFeelPainter() : TcxStandardLookAndFeelPainter::Instance();
}

void TcxCustomGridView::RegisterOptions(TcxCustomGridOptions* AOptions) { FOptionsList.push_back(AOptions); }
void TcxCustomGridView::UnregisterOptions(TcxCustomGridOptions* AOptions) {
  FOptionsList.erase(std::remove(FOptionsList.begin(), FOptionsList.end(), AOptions), FOptionsList.end());
}

bool TcxCustomGridView::Changed(TcxCustomGridChange* AChange) {
  if (IsLoading() || IsDestroying() || (FViewInfo && FViewInfo->IsCalculating())) {
    AChange->Free();
    return false;
  }
  if (TcxCustomGrid* grid = Grid()) {
    grid->AddChange(AChange);
  } else {
    TObjectPtr<TcxCustomGridChange> change(AChange);
    change->SetControl(nullptr);
    change->Execute();
  }
  return true;
}

bool TcxCustomGridView::LayoutChanged(bool AOfView) { return Changed(new TcxGridLayoutChange(AOfView ? this : nullptr)); }

bool TcxCustomGridView::SizeChanged(bool AViewOnly, bool AMasterUnchanged) {
  return Changed(new TcxGridSizeChange(this, AViewOnly || !Grid(), AMasterUnchanged));
}

bool TcxCustomGridView::ViewChanged() { return Changed(new TcxGridViewChange(this)); }

bool TcxCustomGridView::ViewChanged(const TRect& R) {
  if (IsRectEmpty(R)) return true;
  return Changed(new TcxGridViewChange(this, R));
}

void TcxCustomGridView::RefreshView(bool ALayout) {
  if (IsPattern()) {
    for (TcxCustomGridView* clone : FClones) clone->RefreshView(ALayout);
  } else if (ALayout) {
    LayoutChanged(true);
  } else {
    ViewChanged();
  }
}

void TcxCustomGridView::BeginUpdate() {
  if (TcxCustomGrid* grid = Grid()) grid->BeginUpdate();
  if (FDataController) FDataController->BeginUpdate();
}

void TcxCustomGridView::EndUpdate() {
  runThen(
      [this] {
        if (FDataController) FDataController->EndUpdate();
      },
      [this] {
        if (TcxCustomGrid* grid = Grid()) grid->EndUpdate();
      });
}

void TcxCustomGridView::CancelUpdate() {
  runThen(
      [this] {
        if (FDataController) FDataController->EndUpdate();
      },
      [this] {
        if (TcxCustomGrid* grid = Grid()) grid->CancelUpdate();
      });
}

void TcxCustomGridView::Updating() {
  BeginUpdate();
  inherited::Updating();
}

void TcxCustomGridView::Updated() {
  inherited::Updated();
  EndUpdate();
}

bool TcxCustomGridView::Focused() const { return Grid() && Grid()->FocusedView() == this; }

void TcxCustomGridView::SetFocused(bool AValue) {
  if (AValue == Focused()) return;
  if (TcxCustomGrid* grid = Grid()) grid->SetFocusedView(AValue ? this : nullptr);
}

bool TcxCustomGridView::HasAsMaster(TcxCustomGridView* AView) const {
  for (TcxCustomGridView* master = MasterGridView(); master; master = master->MasterGridView())
    if (master == AView) return true;
  return false;
}

bool TcxCustomGridView::IsMaster() const { return FLevel && FLevel->HasVisibleItems(); }

void TcxCustomGridView::AssignPattern(TcxCustomGridView* APattern) {
  FAssigningPattern = true;
  runThen([&] { Assign(APattern); }, [this] { FAssigningPattern = false; });
}

void TcxCustomGridView::AddClone(TcxCustomGridView* AClone) {
  FClones.push_back(AClone);
  AClone->FPatternGridView = this;
}

void TcxCustomGridView::RemoveClone(TcxCustomGridView* AClone) {
  FClones.erase(std::remove(FClones.begin(), FClones.end(), AClone), FClones.end());
  if (AClone->FPatternGridView == this) AClone->FPatternGridView = nullptr;
}

void TcxCustomGridView::AddDestroyGuard(TcxCustomGridView** AVariable) { FDestroyGuards.push_back(AVariable); }
void TcxCustomGridView::RemoveDestroyGuard(TcxCustomGridView** AVariable) {
  auto it = std::find(FDestroyGuards.rbegin(), FDestroyGuards.rend(), AVariable);
  if (it != FDestroyGuards.rend()) FDestroyGuards.erase(std::next(it).base());
}

bool TcxCustomGridView::CanShow(bool ALevelVisible) {
  if (!ALevelVisible || IsPattern()) return false;
  if (TcxCustomGridView* master = MasterGridView()) return master->CanShowDetail(this);
  return true;
}

bool TcxCustomGridView::IsVisible() {
  return !IsDestroying() && FLevel && FLevel->IsVisibleInTree() && CanShow(true);
}

bool TcxCustomGridView::CanFocus() { return FLevel && CanShow(FLevel->IsVisibleChain()); }

bool TcxCustomGridView::CanUpdate() { return (IsVisible() || IsPattern()) && Grid(); }

bool TcxCustomGridView::GetTabStop() { return Grid() && Grid()->TabStop(); }

void TcxCustomGridView::SetTabStop(bool AValue) {
  if (Site()) Site()->SetTabStop(AValue && GetTabStop());
}

void TcxCustomGridView::SetLevel(TcxGridLevel* ALevel) {
  if (FLevel == ALevel) return;
  FLevel = ALevel;
  if (Site() && Site()->Parent() && FLevel) SetTabStop(FLevel->IsTop());
}

bool TcxCustomGridView::IsControlFocused() { return Grid() && Grid()->IsFocused(); }

void TcxCustomGridView::FocusChanged(bool AFocused) {
  if (AFocused)
    FController->FocusGained();
  else
    FController->FocusLost();
}

void TcxCustomGridView::LookAndFeelChanged() {
  for (TcxCustomGridView* clone : FClones) clone->LookAndFeelChanged();
}

void TcxCustomGridView::SiteSizeChanged(bool AViewOnly, bool AMasterUnchanged) {
  if (DependsOnSiteSize())
    SizeChanged(AViewOnly, AMasterUnchanged);
  else
    LayoutChanged(AViewOnly);
}

bool TcxCustomGridView::IsDestroying() {
  if (ComponentState().Contains(csDestroying)) return true;
  TcxCustomGridView* master = MasterGridView();
  return master && master->IsDestroying();
}

void TcxCustomGridView::SetControl(TcxControl* Value) {
  TcxCustomGrid* oldGrid = Grid();
  if (Value == Control()) return;
  if (oldGrid) {
    if (FStyles) oldGrid->RemoveFontListener(FStyles.get());
    // The site does not stay a child window of a grid the view left.
    if (Site() && Site()->Parent() == oldGrid) Site()->SetParent(nullptr);
  }
  inherited::SetControl(Value);
  if (oldGrid) oldGrid->RemoveView(this);
  if (TcxCustomGrid* grid = Grid()) {
    if (!FStorageControl) FStorageControl = grid;
    grid->AddView(this);
    if (FStyles) grid->AddFontListener(FStyles.get());
  }
}

void TcxCustomGridView::Loaded() {
  inherited::Loaded();
  UpdateAfterLoad();
  if (FDataController) FDataController->Loaded();
  AfterLoadOrAssign();
}

void TcxCustomGridView::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxCustomGridView*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  runThen(
      [&] {
        BeforeAssign(source);
        DoAssign(source);
        AfterAssign(source);
      },
      [this] { EndUpdate(); });
}

void TcxCustomGridView::BeforeAssign(TcxCustomGridView* ASource) { FDataController->Assign(ASource->DataController()); }

void TcxCustomGridView::DoAssign(TcxCustomGridView* ASource) {
  FBackgroundBitmaps->Assign(ASource->BackgroundBitmaps());
  SetDragMode(ASource->DragMode());
  FOptionsSelection->Assign(ASource->OptionsSelection());
  FOptionsView->Assign(ASource->OptionsView());
  FStyles->Assign(ASource->Styles());
  SetOnDblClick(ASource->OnDblClick());
  SetOnDragDrop(ASource->OnDragDrop());
  SetOnDragOver(ASource->OnDragOver());
  SetOnEndDrag(ASource->OnEndDrag());
  SetOnKeyDown(ASource->OnKeyDown());
  SetOnKeyPress(ASource->OnKeyPress());
  SetOnKeyUp(ASource->OnKeyUp());
  SetOnMouseDown(ASource->OnMouseDown());
  SetOnMouseMove(ASource->OnMouseMove());
  SetOnMouseUp(ASource->OnMouseUp());
  SetOnMouseWheel(ASource->OnMouseWheel());
  SetOnMouseWheelDown(ASource->OnMouseWheelDown());
  SetOnMouseWheelUp(ASource->OnMouseWheelUp());
  SetOnStartDrag(ASource->OnStartDrag());
  AfterLoadOrAssign();
}

void TcxCustomGridView::AfterAssign(TcxCustomGridView* ASource) { FDataController->Assign(ASource->DataController()); }

void TcxCustomGridView::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  for (TcxCustomGridOptions* options : std::vector<TcxCustomGridOptions*>(FOptionsList))
    options->Notification(AComponent, Operation);
}

void TcxCustomGridView::ReadState(TReader* Reader) {
  if (auto* control = dynamic_cast<TcxControl*>(Reader->Parent())) SetParentComponent(control);
  inherited::ReadState(Reader);
}

void TcxCustomGridView::GetFakeComponentLinks(TList* List) {
  inherited::GetFakeComponentLinks(List);
  if (FStyles) FStyles->GetFakeComponentLinks(List);
}

TDragMode TcxCustomGridView::DragMode() const { return Site()->DragMode(); }
void TcxCustomGridView::SetDragMode(TDragMode Value) { Site()->SetDragMode(Value); }

#define CX_GRID_VIEW_EVENT(Name, Type)                                          \
  Type TcxCustomGridView::Name() const { return Site()->Name(); }              \
  void TcxCustomGridView::Set##Name(Type Value) { Site()->Set##Name(Value); }
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

TcxRegisteredClasses* cxGridRegisteredViews() {
  if (!gRegisteredViews) gRegisteredViews = new TcxRegisteredClasses(true);
  return gRegisteredViews;
}

// =======================================================================================
// Class descriptors.

RTL_IMPLEMENT_CLASS(TcxCustomGridHitTest)
RTL_IMPLEMENT_CLASS(TcxGridNoneHitTest)
RTL_IMPLEMENT_CLASS(TcxCustomGridViewHitTest)
RTL_IMPLEMENT_CLASS(TcxGridViewNoneHitTest)
RTL_IMPLEMENT_CLASS(TcxGridDetailsSiteTabHitTest)
RTL_IMPLEMENT_CLASS(TcxGridRecordHitTest)
RTL_IMPLEMENT_CLASS(TcxGridRecordCellHitTest)
RTL_IMPLEMENT_CLASS(TcxGridExpandButtonHitTest)
RTL_IMPLEMENT_CLASS(TcxGridNavigatorHitTest)
RTL_IMPLEMENT_CLASS(TGridHitTests)
RTL_IMPLEMENT_CLASS(TcxGridViewHandler)
RTL_IMPLEMENT_CLASS(TcxCustomGridDragAndDropObject)
RTL_BEGIN_CLASS(TcxCustomGridController)
  b.Interface<IcxMouseTrackingCaller>();
RTL_END_CLASS
RTL_IMPLEMENT_CLASS(TcxCustomGridPainter)
RTL_IMPLEMENT_CLASS(TcxCustomGridViewData)
RTL_IMPLEMENT_CLASS(TcxCustomGridViewInfo)
RTL_IMPLEMENT_CLASS(TcxCustomGridViewInfoCacheItem)
RTL_IMPLEMENT_CLASS(TcxCustomGridViewInfoCache)
RTL_BEGIN_CLASS(TcxGridSite)
  b.Message(WM_CXGRIDSITESIZECHANGED, &TcxGridSite::WMDeferredSizeChange);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxCustomGridCellViewInfo)
  b.Interface<IcxMouseTrackingCaller>();
  b.Interface<IcxMouseCaptureObject>();
RTL_END_CLASS
RTL_IMPLEMENT_CLASS(TcxCustomGridViewCellViewInfo)
RTL_IMPLEMENT_CLASS(TcxCustomGridCellPainter)
RTL_IMPLEMENT_CLASS(TcxCustomGridOptions)
RTL_BEGIN_CLASS(TcxCustomGridBackgroundBitmaps)
  b.Property("Background", &TcxCustomGridBackgroundBitmaps::Background, &TcxCustomGridBackgroundBitmaps::SetBackground)
      .Stored(&TcxCustomGridBackgroundBitmaps::IsBackgroundStored);
RTL_END_CLASS
RTL_IMPLEMENT_CLASS(TcxCustomGridOptionsSelection)
RTL_BEGIN_CLASS(TcxCustomGridOptionsView)
  b.Property("ScrollBars", &TcxCustomGridOptionsView::ScrollBars, &TcxCustomGridOptionsView::SetScrollBars)
      .Default(ssBoth);
RTL_END_CLASS
RTL_IMPLEMENT_CLASS(TcxCustomGridStyles)
RTL_BEGIN_CLASS(TcxCustomGridViewStyles)
  b.Property("Background", &TcxCustomGridViewStyles::Background, &TcxCustomGridViewStyles::SetBackground);
  b.Property("StyleSheet", &TcxCustomGridViewStyles::StyleSheet, &TcxCustomGridViewStyles::SetStyleSheet);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxCustomGridView)
  using T = TcxCustomGridView;
  b.Property("DragMode", &T::DragMode, &T::SetDragMode).Default(dmManual);
  b.Property("DataControllerEvents", &T::DataControllerEvents, &T::SetDataControllerEvents);
  b.Property("StylesEvents", &T::StylesEvents, &T::SetStylesEvents);
  PUBLISH(OnDblClick);
  PUBLISH(OnDragDrop);
  PUBLISH(OnDragOver);
  PUBLISH(OnEndDrag);
  PUBLISH(OnKeyDown);
  PUBLISH(OnKeyPress);
  PUBLISH(OnKeyUp);
  PUBLISH(OnMouseDown);
  PUBLISH(OnMouseMove);
  PUBLISH(OnMouseUp);
  PUBLISH(OnMouseWheel);
  PUBLISH(OnMouseWheelDown);
  PUBLISH(OnMouseWheelUp);
  PUBLISH(OnStartDrag);
RTL_END_CLASS

namespace cxGridCustomViewUnit {
void Initialize() {
  GridHitTests();
  cxGridRegisteredViews();
}
void Finalize() {
  delete gRegisteredViews;
  gRegisteredViews = nullptr;
  delete gHitTests;
  gHitTests = nullptr;
}
}  // namespace cxGridCustomViewUnit
