#include "cx/grid/cxGridLevel.h"

#include <algorithm>

#include "cx/grid/cxGrid.h"
#include "platform/rtl/Scoped.h"

// ---------------------------------------------------------------------------------------
// Options.

TPersistent* TcxGridLevelOptions::GetOwner() { return FLevel; }

void TcxGridLevelOptions::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxGridLevelOptions*>(Source)) {
    SetDetailFrameColor(source->DetailFrameColor());
    SetDetailFrameWidth(source->DetailFrameWidth());
    SetDetailTabsPosition(source->DetailTabsPosition());
    return;
  }
  inherited::Assign(Source);
}

void TcxGridLevelOptions::SetDetailFrameColor(TColor Value) {
  if (FDetailFrameColor == Value) return;
  FDetailFrameColor = Value;
  FLevel->Changed(false);
}

TColor TcxGridLevelOptions::GetDetailFrameColor() const {
  if (FDetailFrameColor != clDefault) return FDetailFrameColor;
  TcxCustomGrid* grid = FLevel->Control();
  return grid ? grid->LookAndFeelPainter()->GetDetailFrameColor()
              : TcxStandardLookAndFeelPainter::Instance()->GetDetailFrameColor();
}

void TcxGridLevelOptions::SetDetailFrameWidth(Integer Value) {
  if (Value < 0) Value = 0;
  if (FDetailFrameWidth == Value) return;
  FDetailFrameWidth = Value;
  FLevel->Changed(true);
}

bool TcxGridLevelOptions::IsDetailFrameWidthStored() const {
  return FDetailFrameWidth != (FLevel->IsRoot() ? 0 : 1);
}

void TcxGridLevelOptions::SetDetailTabsPosition(TcxGridDetailTabsPosition Value) {
  if (FDetailTabsPosition == Value) return;
  FDetailTabsPosition = Value;
  FLevel->Changed(true);
}

// ---------------------------------------------------------------------------------------
// Styles.

TcxGridLevelStyles::TcxGridLevelStyles(TcxGridLevel* ALevel) : TcxStyles(ALevel) {}

TcxGridLevel* TcxGridLevelStyles::Level() const { return static_cast<TcxGridLevel*>(OwnerPersistent()); }

void TcxGridLevelStyles::Changed(Integer AIndex) {
  inherited::Changed(AIndex);
  Level()->Changed(true);
}

void TcxGridLevelStyles::GetDefaultVisualParams(Integer AIndex, TObject* AData, TcxViewParams& AParams) {
  inherited::GetDefaultVisualParams(AIndex, AData, AParams);
  TcxCustomGrid* grid = Level()->Control();
  TcxCustomLookAndFeelPainterClass painter =
      grid ? grid->LookAndFeelPainter() : TcxStandardLookAndFeelPainter::Instance();
  if (grid) AParams.Font = grid->Font();
  if (AIndex == lsTab) {
    AParams.Color = painter->GetTabColor();
    AParams.TextColor = painter->GetTabTextColor();
  } else if (AIndex == lsTabsBackground) {
    AParams.Color = painter->GetTabsBackgroundColor();
  }
}

void TcxGridLevelStyles::GetTabParams(TcxGridLevel* ATabLevel, TcxViewParams& AParams) {
  TcxStyle* style = nullptr;
  if (OnGetTabStyle) OnGetTabStyle(Level(), ATabLevel, style);
  GetVisualParams(lsTab, ATabLevel, style, AParams);
}

void TcxGridLevelStyles::Assign(TPersistent* Source) {
  inherited::Assign(Source);
  if (auto* source = dynamic_cast<TcxGridLevelStyles*>(Source)) {
    SetTab(source->Tab());
    SetTabsBackground(source->TabsBackground());
    OnGetTabStyle = source->OnGetTabStyle;
  }
}

// ---------------------------------------------------------------------------------------
// The level.

TcxGridLevel::TcxGridLevel(TComponent* AOwner) : TComponent(AOwner) {}

void TcxGridLevel::AfterConstruction() {
  inherited::AfterConstruction();
  FOptions.reset(new TcxGridLevelOptions(this));
  FStyles.reset(As<TcxGridLevelStyles>(GetStylesClass()->CreateInstance(this)));
}

void TcxGridLevel::BeforeDestruction() {
  inherited::BeforeDestruction();
  while (!FItems.empty()) FItems.back()->Free();
  SetGridView(nullptr);
  if (FParent) FParent->RemoveItem(this);
}

TcxGridLevel::~TcxGridLevel() = default;

Integer TcxGridLevel::Index() const {
  if (!FParent) return -1;
  auto it = std::find(FParent->FItems.begin(), FParent->FItems.end(), this);
  return static_cast<Integer>(it - FParent->FItems.begin());
}

Integer TcxGridLevel::VisibleIndex() const {
  if (!FParent) return -1;
  auto it = std::find(FParent->FVisibleItems.begin(), FParent->FVisibleItems.end(), this);
  return it == FParent->FVisibleItems.end() ? -1 : static_cast<Integer>(it - FParent->FVisibleItems.begin());
}

bool TcxGridLevel::IsRoot() const { return FControl && FControl->RootLevel() == this; }
bool TcxGridLevel::IsTop() const { return FParent && FParent->IsRoot(); }
bool TcxGridLevel::IsActive() const { return FControl && FControl->ActiveLevel() == this; }

bool TcxGridLevel::IsVisibleInTree() const {
  if (IsRoot()) return true;
  if (!FVisible || !FParent) return false;
  if (IsTop() && !IsActive()) return false;
  return FParent->IsVisibleInTree();
}

bool TcxGridLevel::IsVisibleChain() const {
  if (IsRoot()) return true;
  return FVisible && FParent && FParent->IsVisibleChain();
}

void TcxGridLevel::rebuildVisibleItems() {
  FVisibleItems.clear();
  for (TcxGridLevel* item : FItems)
    if (item->FVisible) FVisibleItems.push_back(item);
}

void TcxGridLevel::setControl(TcxCustomGrid* AControl) {
  FControl = AControl;
  for (TcxGridLevel* item : FItems) item->setControl(AControl);
}

void TcxGridLevel::AddItem(TcxGridLevel* ALevel) {
  if (!ALevel || ALevel->FParent == this) return;
  if (ALevel->FParent) ALevel->FParent->RemoveItem(ALevel);
  FItems.push_back(ALevel);
  ALevel->setControl(FControl);
  ALevel->FParent = this;
  if (ALevel->FGridView && FControl) ALevel->FGridView->SetControl(FControl);
  rebuildVisibleItems();
  if (IsRoot() && FControl && !FControl->ActiveLevel()) FControl->SetActiveLevel(nullptr);
  Changed(true);
}

void TcxGridLevel::RemoveItem(TcxGridLevel* ALevel) {
  auto it = std::find(FItems.begin(), FItems.end(), ALevel);
  if (it == FItems.end()) return;
  FItems.erase(it);
  rebuildVisibleItems();
  ALevel->SetActive(false);
  ALevel->FParent = nullptr;
  if (FControl && FControl->ActiveLevel() == ALevel) FControl->SetActiveLevel(nullptr);
  Changed(true);
}

void TcxGridLevel::SetActive(bool AValue) {
  if (!FControl || AValue == IsActive()) return;
  if (AValue) {
    if (IsTop()) FControl->SetActiveLevel(this);
  } else {
    FControl->SetActiveLevel(nullptr);
  }
}

void TcxGridLevel::SetCaption(const std::string& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  Changed(true);
}

void TcxGridLevel::SetGridView(TcxCustomGridView* Value) {
  if (FGridView == Value) return;
  if (Value && Value->Level() && Value->Level() != this) Value->Level()->SetGridView(nullptr);
  TcxCustomGridView* oldView = FGridView;
  const bool oldWasFocused = oldView && oldView->Focused();
  if (oldView) {
    oldView->SetLevel(nullptr);
    oldView->RemoveFreeNotification(this);
  }
  FGridView = Value;
  if (FGridView) {
    FGridView->FreeNotification(this);
    if (FControl) FGridView->SetControl(FControl);
  }
  if (FParent) FParent->rebuildVisibleItems();
  if (FGridView) {
    UpdateLock<TcxCustomGridView> lock(FGridView);
    FGridView->SetLevel(this);
    Changed(false);
  } else {
    Changed(false);
  }
  if (FControl && !FControl->IsDestroying()) {
    if (FGridView) {
      if ((!oldView && !FControl->FocusedView()) || oldWasFocused) FGridView->SetFocused(true);
    } else if (oldView) {
      oldView->SetFocused(false);
    }
  }
  // A view that no level shows stays with the grid it was first attached to.
  if (oldView && !oldView->IsDestroying() && oldView->StorageControl())
    oldView->SetControl(dynamic_cast<TcxControl*>(oldView->StorageControl()));
}

void TcxGridLevel::SetMaxDetailHeight(Integer Value) {
  if (Value < 0) Value = 0;
  if (FMaxDetailHeight == Value) return;
  FMaxDetailHeight = Value;
  Changed(true);
}

void TcxGridLevel::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  if (FParent) FParent->VisibleChanged(this);
  if (!FControl) return;
  if (!Value)
    SetActive(false);
  else if (!FControl->ActiveLevel())
    SetActive(true);
  Changed(true);
  FControl->CheckFocusedView();
}

void TcxGridLevel::VisibleChanged(TcxGridLevel* ALevel) {
  const Integer oldCount = VisibleCount();
  rebuildVisibleItems();
  if (FGridView) FGridView->DetailVisibleChanged(ALevel, oldCount, VisibleCount());
}

void TcxGridLevel::Changed(bool ASizeChanged) {
  if (!FControl) return;
  if (ASizeChanged)
    FControl->SizeChanged();
  else
    FControl->LayoutChanged();
}

void TcxGridLevel::CheckHeight(Integer& AHeight) {
  if (AHeight < 0) AHeight = 0;
  if (FMaxDetailHeight != 0 && AHeight > FMaxDetailHeight) AHeight = FMaxDetailHeight;
}

void TcxGridLevel::GetChildren(TGetChildProc Proc, TComponent* Root) {
  inherited::GetChildren(Proc, Root);
  for (TcxGridLevel* item : FItems)
    if (item->Owner() == Root) Proc(item);
}

TComponent* TcxGridLevel::GetParentComponent() const {
  if (IsTop()) return FControl;
  return FParent;
}

void TcxGridLevel::SetParentComponent(TComponent* Value) {
  if (auto* grid = dynamic_cast<TcxCustomGrid*>(Value))
    grid->RootLevel()->AddItem(this);
  else if (auto* level = dynamic_cast<TcxGridLevel*>(Value))
    level->AddItem(this);
}

void TcxGridLevel::ReadState(TReader* Reader) {
  TComponent* parent = Reader->Parent();
  if (dynamic_cast<TcxCustomGrid*>(parent) || dynamic_cast<TcxGridLevel*>(parent)) SetParentComponent(parent);
  inherited::ReadState(Reader);
}

void TcxGridLevel::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FGridView) FGridView = nullptr;
}

RTL_BEGIN_CLASS(TcxGridLevelOptions)
  using T = TcxGridLevelOptions;
  b.Property("DetailFrameColor", &T::DetailFrameColor, &T::SetDetailFrameColor).Default(clDefault);
  b.Property("DetailFrameWidth", &T::DetailFrameWidth, &T::SetDetailFrameWidth)
      .NoDefaultValue()
      .Stored(&T::IsDetailFrameWidthStored);
  b.Property("DetailTabsPosition", &T::DetailTabsPosition, &T::SetDetailTabsPosition).Default(dtpNone);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxGridLevelStyles)
  b.Property("Tab", &TcxGridLevelStyles::Tab, &TcxGridLevelStyles::SetTab);
  b.Property("TabsBackground", &TcxGridLevelStyles::TabsBackground, &TcxGridLevelStyles::SetTabsBackground);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxGridLevel)
  using T = TcxGridLevel;
  b.Property("Caption", &T::Caption, &T::SetCaption);
  b.Property("GridView", &T::GridView, &T::SetGridView);
  b.Property("MaxDetailHeight", &T::MaxDetailHeight, &T::SetMaxDetailHeight).Default(0);
  b.Property("Options", &T::Options, &T::SetOptions);
  b.Property("Styles", &T::Styles, &T::SetStyles);
  b.Property("StylesEvents", &T::StylesEvents, &T::SetStylesEvents);
  b.Property("Visible", &T::Visible, &T::SetVisible).Default(true);
RTL_END_CLASS

namespace cxGridLevelUnit {
void Initialize() { RegisterClass(TcxGridLevel::StaticClass()); }
void Finalize() {}
}  // namespace cxGridLevelUnit
