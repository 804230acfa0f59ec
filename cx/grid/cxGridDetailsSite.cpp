#include "cx/grid/cxGridDetailsSite.h"

#include <algorithm>

#include "cx/grid/cxGrid.h"
#include "platform/rtl/Scoped.h"

// =======================================================================================
// Tabs.

TcxCustomGridDetailsSiteTabViewInfo::TcxCustomGridDetailsSiteTabViewInfo(const TcxGridDetailsSiteTabArgs* AArgs)
    : FTabsViewInfo(AArgs->TabsViewInfo), FLevel(AArgs->Level), FIndex(FTabsViewInfo->Count()) {}

TcxCustomGridDetailsSiteViewInfo* TcxCustomGridDetailsSiteTabViewInfo::SiteViewInfo() const {
  return FTabsViewInfo->SiteViewInfo();
}

bool TcxCustomGridDetailsSiteTabViewInfo::IsActive() { return SiteViewInfo()->GetActiveLevel() == FLevel; }

bool TcxCustomGridDetailsSiteTabViewInfo::IsVertical() { return FTabsViewInfo->IsVertical(); }

TcxCustomGridDetailsSiteTabViewInfo* TcxCustomGridDetailsSiteTabViewInfo::PrevTab() {
  return FIndex > 0 ? FTabsViewInfo->Items(FIndex - 1) : nullptr;
}

TcxCustomGridDetailsSiteTabViewInfo* TcxCustomGridDetailsSiteTabViewInfo::NextTab() {
  return FIndex + 1 < FTabsViewInfo->Count() ? FTabsViewInfo->Items(FIndex + 1) : nullptr;
}

TcxCustomLookAndFeelPainterClass TcxCustomGridDetailsSiteTabViewInfo::LookAndFeelPainter() {
  return SiteViewInfo()->GetLookAndFeelPainter();
}

TcxGridCellState TcxCustomGridDetailsSiteTabViewInfo::GetState() { return IsActive() ? gcsPressed : State(); }

Integer TcxCustomGridDetailsSiteTabViewInfo::BaseHeight() {
  CalculateParamsIfNeeded();
  return GetCanvas()->GetFontHeight(Params.Font) + 4;
}

Integer TcxCustomGridDetailsSiteTabViewInfo::BaseWidth() { return CalculateTextWidth() + 4 + 2 * 5; }

Integer TcxCustomGridDetailsSiteTabViewInfo::CalculateHeight() { return BaseHeight(); }
Integer TcxCustomGridDetailsSiteTabViewInfo::CalculateWidth() { return BaseWidth(); }

Integer TcxCustomGridDetailsSiteTabViewInfo::GetBorderWidth(TcxBorder) {
  return LookAndFeelPainter()->GetTabFrameWidth(IsVertical());
}

TcxCanvas* TcxCustomGridDetailsSiteTabViewInfo::GetCanvas() { return SiteViewInfo()->GetCanvas(); }
TcxControl* TcxCustomGridDetailsSiteTabViewInfo::GetControl() { return SiteViewInfo()->GetControl(); }

TClass TcxCustomGridDetailsSiteTabViewInfo::GetPainterClass() { return TcxGridDetailsSiteTabPainter::StaticClass(); }

std::string TcxCustomGridDetailsSiteTabViewInfo::GetText() { return FLevel->Caption(); }

void TcxCustomGridDetailsSiteTabViewInfo::GetTextAreaBounds(TRect& R) {
  inherited::GetTextAreaBounds(R);
  R.left += 5;
  R.right -= 5;
}

void TcxCustomGridDetailsSiteTabViewInfo::GetViewParams(TcxViewParams& AParams) {
  SiteViewInfo()->Level()->Styles()->GetTabParams(FLevel, AParams);
}

bool TcxCustomGridDetailsSiteTabViewInfo::IsMouseSensitive() { return LookAndFeelPainter()->IsTabHotTrack(IsVertical()); }

void TcxCustomGridDetailsSiteTabViewInfo::InitHitTest(TcxCustomGridHitTest* AHitTest) {
  inherited::InitHitTest(AHitTest);
  if (auto* tabHitTest = dynamic_cast<TcxGridDetailsSiteTabHitTest*>(AHitTest)) {
    tabHitTest->Level = FLevel;
    SiteViewInfo()->InitTabHitTest(tabHitTest);
  }
}

bool TcxCustomGridDetailsSiteTabViewInfo::MouseDown(TcxCustomGridHitTest* AHitTest, TMouseButton AButton,
                                                    TShiftState AShift) {
  inherited::MouseDown(AHitTest, AButton, AShift);
  SiteViewInfo()->ActivateLevel(FLevel);
  return true;
}

// --- Left tabs.

Integer TcxGridDetailsSiteLeftTabViewInfo::CalculateHeight() {
  const TcxGridBorders borders = GetBorders();
  Integer result = BaseHeight();
  if (borders.Contains(bTop)) result += GetBorderWidth(bTop);
  if (borders.Contains(bBottom)) result += GetBorderWidth(bBottom);
  return result;
}

Integer TcxGridDetailsSiteLeftTabViewInfo::CalculateWidth() {
  return BaseWidth() + GetBorderWidth(bLeft) + GetBorderWidth(bRight);
}

TcxGridBorders TcxGridDetailsSiteLeftTabViewInfo::GetBorders() {
  if (IsActive()) return TcxGridBorders{bLeft, bTop, bBottom};
  TcxGridBorders result{bLeft, bRight};
  TcxCustomGridDetailsSiteTabViewInfo* prev = PrevTab();
  TcxCustomGridDetailsSiteTabViewInfo* next = NextTab();
  if (!prev || !prev->IsActive()) result.Include(bTop);
  if (!next || !next->IsActive()) result.Include(bBottom);
  return result;
}

void TcxGridDetailsSiteLeftTabViewInfo::Calculate(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (!IsActive()) {
    const Integer offset = TabsViewInfo()->GetActiveTabOffset();
    ALeft += offset;
    if (AWidth != -1) AWidth -= offset;
  }
  inherited::Calculate(ALeft, ATop, AWidth, AHeight);
}

// --- Top tabs.

Integer TcxGridDetailsSiteTopTabViewInfo::CalculateHeight() {
  return BaseHeight() + GetBorderWidth(bTop) + GetBorderWidth(bBottom);
}

Integer TcxGridDetailsSiteTopTabViewInfo::CalculateWidth() {
  const TcxGridBorders borders = GetBorders();
  Integer result = BaseWidth();
  if (borders.Contains(bLeft)) result += GetBorderWidth(bLeft);
  if (borders.Contains(bRight)) result += GetBorderWidth(bRight);
  return result;
}

TcxGridBorders TcxGridDetailsSiteTopTabViewInfo::GetBorders() {
  if (IsActive()) return TcxGridBorders{bLeft, bTop, bRight};
  TcxGridBorders result{bTop, bBottom};
  TcxCustomGridDetailsSiteTabViewInfo* prev = PrevTab();
  TcxCustomGridDetailsSiteTabViewInfo* next = NextTab();
  if (!prev || !prev->IsActive()) result.Include(bLeft);
  if (!next || !next->IsActive()) result.Include(bRight);
  return result;
}

void TcxGridDetailsSiteTopTabViewInfo::Calculate(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (!IsActive()) {
    const Integer offset = TabsViewInfo()->GetActiveTabOffset();
    ATop += offset;
    if (AHeight != -1) AHeight -= offset;
  }
  inherited::Calculate(ALeft, ATop, AWidth, AHeight);
}

// --- Tab painter.

void TcxGridDetailsSiteTabPainter::DrawBorder(TcxBorder ASide) {
  TcxCustomGridDetailsSiteTabViewInfo* tab = TabViewInfo();
  TRect r;
  tab->GetBorderBounds(ASide, r);
  tab->LookAndFeelPainter()->DrawTabFrame(Canvas(), r, static_cast<TcxTabSide>(ASide), tab->Borders, tab->IsVertical());
}

void TcxGridDetailsSiteTabPainter::DrawContent() {
  TcxCustomGridDetailsSiteTabViewInfo* tab = TabViewInfo();
  TcxCustomLookAndFeelPainterClass painter = tab->LookAndFeelPainter();
  if (painter->CanDrawTab(tab->IsVertical()))
    painter->DrawTab(Canvas(), tab->Bounds, tab->Borders, tab->Text, tab->ButtonState(), tab->IsVertical(),
                     tab->Params.Font, tab->Params.TextColor, tab->Params.Color);
  else
    inherited::DrawContent();
}

// =======================================================================================
// Tab rows.

void TcxCustomGridDetailsSiteTabsViewInfo::AfterConstruction() {
  inherited::AfterConstruction();
  TcxGridLevel* level = Level();
  TClass tabClass = GetTabClass();
  for (Integer i = 0; i < level->VisibleCount(); ++i) {
    TcxGridDetailsSiteTabArgs args{this, level->VisibleItems(i)};
    FTabs.emplace_back(
        As<TcxCustomGridDetailsSiteTabViewInfo>(tabClass->CreateInstance(const_cast<TcxGridDetailsSiteTabArgs*>(&args))));
  }
}

TcxGridLevel* TcxCustomGridDetailsSiteTabsViewInfo::Level() const { return FSiteViewInfo->Level(); }

Integer TcxCustomGridDetailsSiteTabsViewInfo::Height() {
  if (FHeight == -1) FHeight = CalculateHeight();
  return FHeight;
}

Integer TcxCustomGridDetailsSiteTabsViewInfo::Width() {
  if (FWidth == -1) FWidth = CalculateWidth();
  return FWidth;
}

TColor TcxCustomGridDetailsSiteTabsViewInfo::GetBackgroundColor() {
  TcxViewParams params;
  Level()->Styles()->GetVisualParams(lsTabsBackground, nullptr, nullptr, params);
  return params.Color;
}

TClass TcxCustomGridDetailsSiteTabsViewInfo::GetPainterClass() { return TcxGridDetailsSiteTabsPainter::StaticClass(); }

Integer TcxCustomGridDetailsSiteTabsViewInfo::MaxTabHeight() {
  Integer result = 0;
  for (auto& tab : FTabs) result = std::max(result, GetTabHeight(tab.get()));
  return result;
}

Integer TcxCustomGridDetailsSiteTabsViewInfo::MaxTabWidth() {
  Integer result = 0;
  for (auto& tab : FTabs) result = std::max(result, GetTabWidth(tab.get()));
  return result;
}

Integer TcxCustomGridDetailsSiteTabsViewInfo::SumOfTabHeights() {
  Integer result = 0;
  for (auto& tab : FTabs) result += GetTabHeight(tab.get());
  return result;
}

Integer TcxCustomGridDetailsSiteTabsViewInfo::SumOfTabWidths() {
  Integer result = 0;
  for (auto& tab : FTabs) result += GetTabWidth(tab.get());
  return result;
}

void TcxCustomGridDetailsSiteTabsViewInfo::Calculate(const TRect& ABounds) {
  Bounds = ABounds;
  const bool vertical = IsVertical();
  TPoint p{Bounds.left + 2, Bounds.top + 2};
  // An active first tab reaches over the row's margin by its border, so that its frame
  // lines up with the root band.
  if (!FTabs.empty() && FTabs.front()->IsActive()) {
    if (vertical)
      p.y -= FTabs.front()->GetBorderWidth(bTop);
    else
      p.x -= FTabs.front()->GetBorderWidth(bLeft);
  }
  const Integer crossSize = (vertical ? Width() : Height()) - 5;
  for (auto& tab : FTabs) {
    if (vertical) {
      tab->Calculate(p.x, p.y, crossSize, -1);
      p.y += tab->GetHeight();
    } else {
      tab->Calculate(p.x, p.y, -1, crossSize);
      p.x += tab->GetWidth();
    }
  }
  SetFarEdge();
}

TcxCustomGridHitTest* TcxCustomGridDetailsSiteTabsViewInfo::GetHitTest(const TPoint& P) {
  for (auto& tab : FTabs)
    if (TcxCustomGridHitTest* result = tab->GetHitTest(P)) return result;
  return nullptr;
}

// --- Left row.

Integer TcxGridDetailsSiteLeftTabsViewInfo::CalculateHeight() { return 4 + SumOfTabHeights(); }

Integer TcxGridDetailsSiteLeftTabsViewInfo::CalculateWidth() {
  Integer result = MaxTabWidth() + 5;
  if (Count() >= 2) result += GetActiveTabOffset();
  return result;
}

void TcxGridDetailsSiteLeftTabsViewInfo::AdjustSiteHeight(Integer& AHeight) { AHeight = std::max(AHeight, Height()); }

void TcxGridDetailsSiteLeftTabsViewInfo::GetRootBounds(TRect& R) {
  R = Bounds;
  R.left = R.right - 4;
}

void TcxGridDetailsSiteLeftTabsViewInfo::AdjustClientBounds(TRect& R) { R.left += Width(); }

void TcxGridDetailsSiteLeftTabsViewInfo::SetFarEdge() { Bounds.right = Bounds.left + Width(); }

// --- Top row.

Integer TcxGridDetailsSiteTopTabsViewInfo::CalculateHeight() {
  Integer result = MaxTabHeight() + 5;
  if (Count() >= 2) result += GetActiveTabOffset();
  return result;
}

Integer TcxGridDetailsSiteTopTabsViewInfo::CalculateWidth() { return 4 + SumOfTabWidths(); }

void TcxGridDetailsSiteTopTabsViewInfo::AdjustSiteWidth(Integer& AWidth) { AWidth = std::max(AWidth, Width()); }

void TcxGridDetailsSiteTopTabsViewInfo::GetRootBounds(TRect& R) {
  R = Bounds;
  R.top = R.bottom - 4;
}

void TcxGridDetailsSiteTopTabsViewInfo::AdjustClientBounds(TRect& R) { R.top += Height(); }

void TcxGridDetailsSiteTopTabsViewInfo::SetFarEdge() { Bounds.bottom = Bounds.top + Height(); }

// --- Row painter.

void TcxGridDetailsSiteTabsPainter::Paint() {
  std::unique_ptr<TcxRegion, TObjectDeleter> saved(FCanvas->GetClipRegion());
  ScopeExit restoreClip([&] { FCanvas->SetClipRegion(saved.release(), roSet); });
  FCanvas->IntersectClip(FViewInfo->Bounds);
  DrawBackground();
  DrawRoot();
  DrawTabs();
}

void TcxGridDetailsSiteTabsPainter::DrawBackground() {
  FCanvas->Brush()->SetColor(FViewInfo->GetBackgroundColor());
  FCanvas->FillRectangle(FViewInfo->Bounds);
}

void TcxGridDetailsSiteTabsPainter::DrawRoot() {
  TRect r;
  FViewInfo->GetRootBounds(r);
  FViewInfo->SiteViewInfo()->GetLookAndFeelPainter()->DrawTabsBackground(FCanvas, r, FViewInfo->GetRootSides(),
                                                                           FViewInfo->IsVertical());
}

void TcxGridDetailsSiteTabsPainter::DrawTabs() {
  for (Integer i = 0; i < FViewInfo->Count(); ++i) FViewInfo->Items(i)->Paint(FCanvas);
}

// =======================================================================================
// The site.

void TcxCustomGridDetailsSiteViewInfo::AfterConstruction() {
  inherited::AfterConstruction();
  if (TClass tabsClass = GetTabsViewInfoClass())
    FTabsViewInfo.reset(As<TcxCustomGridDetailsSiteTabsViewInfo>(tabsClass->CreateInstance(this)));
}

void TcxCustomGridDetailsSiteViewInfo::BeforeDestruction() {
  VisibilityChanged(false);
  if (FActiveView) {
    FActiveView->RemoveFreeNotification(this);
    FActiveView = nullptr;
  }
  inherited::BeforeDestruction();
}

TcxCustomGridDetailsSiteViewInfo::~TcxCustomGridDetailsSiteViewInfo() = default;

void TcxCustomGridDetailsSiteViewInfo::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FActiveView) FActiveView = nullptr;
}

TcxCustomGridView* TcxCustomGridDetailsSiteViewInfo::GetActiveView() {
  if (!FActiveViewAssigned) {
    FActiveViewAssigned = true;
    FActiveView = FindActiveView();
    if (FActiveView) FActiveView->FreeNotification(this);
  }
  return FActiveView && !FActiveView->IsDestroying() ? FActiveView : nullptr;
}

Integer TcxCustomGridDetailsSiteViewInfo::NonClientWidth() {
  Integer result = 2 * GetFrameWidth();
  if (FTabsViewInfo && FTabsViewInfo->IsVertical()) result += FTabsViewInfo->Width();
  return result;
}

Integer TcxCustomGridDetailsSiteViewInfo::NonClientHeight() {
  Integer result = 2 * GetFrameWidth();
  if (FTabsViewInfo && !FTabsViewInfo->IsVertical()) result += FTabsViewInfo->Height();
  return result;
}

Integer TcxCustomGridDetailsSiteViewInfo::CalculateHeight() {
  Integer height = 0;
  bool fullyVisible = true;
  if (TcxCustomGridView* view = GetActiveView()) {
    fullyVisible = false;
    view->ViewInfo()->CalculateHeightFor(GetMaxHeight() - NonClientHeight(), height, fullyVisible);
  } else {
    height = GetEmptyClientHeight();
  }
  FullyVisible = fullyVisible;
  height += NonClientHeight();
  if (FTabsViewInfo) FTabsViewInfo->AdjustSiteHeight(height);
  NormalHeight = std::min(height, GetMaxNormalHeight());
  if (FullyVisible)
    height = std::max(0, std::min(height, GetMaxHeight()));
  else
    height = GetMaxHeight();
  NormalHeight = std::max(NormalHeight, height);
  return height;
}

Integer TcxCustomGridDetailsSiteViewInfo::CalculateWidth() {
  Integer width = 0;
  if (TcxCustomGridView* view = GetActiveView())
    view->ViewInfo()->CalculateWidthFor(GetMaxWidth() - NonClientWidth(), width);
  else
    width = GetEmptyClientWidth();
  width += NonClientWidth();
  if (FTabsViewInfo) FTabsViewInfo->AdjustSiteWidth(width);
  width = std::max(width, GetMinWidth());
  return std::min(width, GetMaxWidth());
}

Integer TcxCustomGridDetailsSiteViewInfo::GetNormalHeight() {
  CalculateHeight();
  return NormalHeight;
}

TColor TcxCustomGridDetailsSiteViewInfo::GetBackgroundColor() {
  TcxCustomGrid* grid = FLevel->Control();
  return grid ? grid->Color() : clBtnFace;
}

TColor TcxCustomGridDetailsSiteViewInfo::GetFrameColor() { return FLevel->Options()->GetDetailFrameColor(); }
Integer TcxCustomGridDetailsSiteViewInfo::GetFrameWidth() { return FLevel->Options()->DetailFrameWidth(); }

void TcxCustomGridDetailsSiteViewInfo::GetClientBounds(TRect& R) {
  R = Bounds;
  if (FTabsViewInfo) FTabsViewInfo->AdjustClientBounds(R);
  const Integer frame = GetFrameWidth();
  InflateRect(R, -frame, -frame);
}

TClass TcxCustomGridDetailsSiteViewInfo::GetPainterClass() { return TcxGridDetailsSitePainter::StaticClass(); }

TClass TcxCustomGridDetailsSiteViewInfo::GetTabsViewInfoClass() {
  switch (FLevel->Options()->DetailTabsPosition()) {
    case dtpLeft: return TcxGridDetailsSiteLeftTabsViewInfo::StaticClass();
    case dtpTop: return TcxGridDetailsSiteTopTabsViewInfo::StaticClass();
    default: return nullptr;
  }
}

void TcxCustomGridDetailsSiteViewInfo::Calculate(Integer ALeft, Integer ATop) {
  const Integer width = GetWidth();
  const Integer height = GetHeight();
  Bounds = TRect{ALeft, ATop, ALeft + width, ATop + height};
  if (FTabsViewInfo) FTabsViewInfo->Calculate(Bounds);
  if (TcxCustomGridView* view = GetActiveView()) view->ViewInfo()->Calculate(ClientBounds());
}

TcxCustomGridHitTest* TcxCustomGridDetailsSiteViewInfo::GetHitTest(const TPoint& P) {
  if (!PtInRect(Bounds, P)) return nullptr;
  if (FTabsViewInfo)
    if (TcxCustomGridHitTest* result = FTabsViewInfo->GetHitTest(P)) return result;
  TcxCustomGridView* view = GetActiveView();
  if (!view) return nullptr;
  TcxGridSite* site = view->Site();
  return view->ViewInfo()->GetHitTest(TPoint{P.x - site->Left(), P.y - site->Top()});
}

void TcxCustomGridDetailsSiteViewInfo::VisibilityChanged(bool AVisible) {
  if (TcxCustomGridView* view = GetActiveView()) view->ViewInfo()->UpdateSiteVisibility(AVisible);
}

void TcxCustomGridDetailsSiteViewInfo::Paint(TcxCanvas* ACanvas) {
  TcxGridDetailsSitePainterArgs args{ACanvas, this};
  TObjectPtr<TcxGridDetailsSitePainter> painter(
      As<TcxGridDetailsSitePainter>(GetPainterClass()->CreateInstance(const_cast<TcxGridDetailsSitePainterArgs*>(&args))));
  painter->Paint();
}

// --- Site painter.

void TcxGridDetailsSitePainter::Paint() {
  if (FViewInfo->GetFrameWidth() != 0) DrawFrame();
  DrawTabs();
  DrawBackground();
  FCanvas->ExcludeFromClip(FViewInfo->Bounds);
}

void TcxGridDetailsSitePainter::DrawFrame() {
  const Integer width = FViewInfo->GetFrameWidth();
  TRect r = FViewInfo->ClientBounds();
  InflateRect(r, width, width);
  FCanvas->DrawFrame(r, FViewInfo->GetFrameColor(), cxBordersAll, width);
}

void TcxGridDetailsSitePainter::DrawTabs() {
  TcxCustomGridDetailsSiteTabsViewInfo* tabs = FViewInfo->TabsViewInfo();
  if (!tabs) return;
  TcxGridDetailsSiteTabsPainterArgs args{FCanvas, tabs};
  TObjectPtr<TcxGridDetailsSiteTabsPainter> painter(As<TcxGridDetailsSiteTabsPainter>(
      tabs->GetPainterClass()->CreateInstance(const_cast<TcxGridDetailsSiteTabsPainterArgs*>(&args))));
  painter->Paint();
}

void TcxGridDetailsSitePainter::DrawBackground() {
  FCanvas->Brush()->SetColor(FViewInfo->GetBackgroundColor());
  FCanvas->FillRectangle(FViewInfo->ClientBounds());
}

// =======================================================================================
// Class descriptors.

RTL_IMPLEMENT_CLASS(TcxCustomGridDetailsSiteTabViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridDetailsSiteLeftTabViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridDetailsSiteTopTabViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridDetailsSiteTabPainter)
RTL_IMPLEMENT_CLASS(TcxCustomGridDetailsSiteTabsViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridDetailsSiteLeftTabsViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridDetailsSiteTopTabsViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridDetailsSiteTabsPainter)
RTL_IMPLEMENT_CLASS(TcxCustomGridDetailsSiteViewInfo)
RTL_IMPLEMENT_CLASS(TcxGridDetailsSitePainter)
