#include "cx/foundation/cxLookAndFeels.h"

#include <algorithm>

#include "cx/foundation/cxGraphics.h"
#include "cx/foundation/cxLookAndFeelPainters.h"
#include "platform/rtl/SysUtils.h"

RTL_IMPLEMENT_CLASS(TcxSystemPaletteChangedNotifier)
RTL_IMPLEMENT_CLASS(TcxSystemPaletteChangedListener)

RTL_BEGIN_CLASS(TcxLookAndFeel)
  b.Interface<IcxLookAndFeelListener>();
  b.Property("Kind", &TcxLookAndFeel::Kind, &TcxLookAndFeel::SetKind)
      .Default(lfUltraFlat)
      .Stored(&TcxLookAndFeel::IsKindStored);
  b.Property("NativeStyle", &TcxLookAndFeel::NativeStyle, &TcxLookAndFeel::SetNativeStyle)
      .Default(false)
      .Stored(&TcxLookAndFeel::IsNativeStyleStored);
  // Never stored itself: reading Kind or NativeStyle marks them assigned.
  b.Property("AssignedValues", &TcxLookAndFeel::AssignedValues, &TcxLookAndFeel::SetAssignedValues).Stored(false);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxLookAndFeelController)
  b.Interface<IcxLookAndFeelListener>();
  b.Property("Kind", &TcxLookAndFeelController::Kind, &TcxLookAndFeelController::SetKind).NoDefaultValue();
  b.Property("NativeStyle", &TcxLookAndFeelController::NativeStyle, &TcxLookAndFeelController::SetNativeStyle)
      .NoDefaultValue();
RTL_END_CLASS

namespace {

TcxLookAndFeel* rootLookAndFeel = nullptr;
Integer controllerCount = 0;

TcxCustomLookAndFeelPainterClass painterTable[3] = {nullptr, nullptr, nullptr};
TcxCustomLookAndFeelPainterClass nativePainter = nullptr;

TcxSystemPaletteChangedListener* paletteListener = nullptr;
Integer paletteListenerUsers = 0;

// The brush cache's notifier: primary, so its brushes are gone before anything repaints.
TcxSystemPaletteChangedNotifier* brushCacheNotifier = nullptr;

class BrushCacheClearer : public TObject {
public:
  void Changed(TObject*) {
    if (TcxSolidBrushCache* cache = cxSolidBrushCache()) cache->SystemPaletteChanged();
  }
};
BrushCacheClearer* brushCacheClearer = nullptr;

}  // namespace

// ---------------------------------------------------------------------------------------
// System colour change notification.

TcxSystemPaletteChangedNotifier::TcxSystemPaletteChangedNotifier(bool AIsPrimary) : FIsPrimary(AIsPrimary) {
  cxAddRefPaletteListener();
  paletteListener->AddNotifier(this);
}

TcxSystemPaletteChangedNotifier::~TcxSystemPaletteChangedNotifier() {
  if (paletteListener) paletteListener->RemoveNotifier(this);
  cxReleasePaletteListener();
}

void TcxSystemPaletteChangedNotifier::DoChanged() {
  if (FOnSystemPaletteChanged) FOnSystemPaletteChanged(this);
}

TcxSystemPaletteChangedListener::TcxSystemPaletteChangedListener() {
  FWindow = AllocateHWnd(TWndMethod(this, &TcxSystemPaletteChangedListener::wndProc));
}

TcxSystemPaletteChangedListener::~TcxSystemPaletteChangedListener() {
  if (FWindow) DeallocateHWnd(FWindow);
}

void TcxSystemPaletteChangedListener::AddNotifier(TcxSystemPaletteChangedNotifier* ANotifier) {
  (ANotifier->IsPrimary() ? FPrimary : FOthers).push_back(ANotifier);
}

void TcxSystemPaletteChangedListener::RemoveNotifier(TcxSystemPaletteChangedNotifier* ANotifier) {
  for (auto* list : {&FPrimary, &FOthers}) list->erase(std::remove(list->begin(), list->end(), ANotifier), list->end());
}

void TcxSystemPaletteChangedListener::DoChange() {
  // Copies: a notifier's handler may free notifiers (a control repainting and going away).
  for (auto* list : {&FPrimary, &FOthers}) {
    std::vector<TcxSystemPaletteChangedNotifier*> snapshot = *list;
    for (auto* notifier : snapshot)
      if (std::find(list->begin(), list->end(), notifier) != list->end()) notifier->DoChanged();
  }
}

void TcxSystemPaletteChangedListener::wndProc(TMessage& Message) {
  if (Message.Msg == WM_SYSCOLORCHANGE) DoChange();
  Message.Result = DefWindowProcA(FWindow, Message.Msg, Message.WParam, Message.LParam);
}

TcxSystemPaletteChangedListener* cxSystemPaletteChangedListener() { return paletteListener; }

void cxAddRefPaletteListener() {
  if (paletteListenerUsers++ == 0) paletteListener = new TcxSystemPaletteChangedListener();
}

void cxReleasePaletteListener() {
  if (paletteListenerUsers == 0) return;
  if (--paletteListenerUsers == 0) {
    delete paletteListener;
    paletteListener = nullptr;
  }
}

// ---------------------------------------------------------------------------------------
// TcxLookAndFeel.

TcxLookAndFeel::TcxLookAndFeel(TPersistent* AOwner) : TcxInterfacedPersistent(AOwner) {
  FPaletteNotifier = new TcxSystemPaletteChangedNotifier(false);
  FPaletteNotifier->SetOnSystemPaletteChanged(TNotifyEvent(this, &TcxLookAndFeel::paletteChanged));
}

void TcxLookAndFeel::AfterConstruction() {
  TcxInterfacedPersistent::AfterConstruction();
  if (rootLookAndFeel) {
    rootLookAndFeel->RegisterListener(this);
    FKind = ComputeKind();
    FNativeStyle = ComputeNativeStyle();
  }
}

TcxLookAndFeel::~TcxLookAndFeel() {
  delete FPaletteNotifier;
  FPaletteNotifier = nullptr;
  // The root leaves its place first, so that its listeners recompute against no root.
  if (FIsRoot && rootLookAndFeel == this) rootLookAndFeel = nullptr;
  FIsDestroying = true;
  // Listeners fall back to the root; the list is left intact while they unregister.
  for (size_t i = 0; i < FListeners.size(); ++i) FListeners[i]->MasterLookAndFeelDestroying(this);
  FIsDestroying = false;
  FListeners.clear();
  if (TcxLookAndFeel* master = EffectiveMaster()) master->UnregisterListener(this);
  if (FIsRoot) {
    if (rootLookAndFeel == this) rootLookAndFeel = nullptr;
    FIsRoot = false;
  }
}

HRESULT STDMETHODCALLTYPE TcxLookAndFeel::QueryInterface(const ::IID& riid, void** obj) {
  return TcxInterfacedPersistent::QueryInterface(riid, obj);
}
ULONG STDMETHODCALLTYPE TcxLookAndFeel::_AddRef() { return TcxInterfacedPersistent::_AddRef(); }
ULONG STDMETHODCALLTYPE TcxLookAndFeel::_Release() { return TcxInterfacedPersistent::_Release(); }

void TcxLookAndFeel::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxLookAndFeel*>(Source);
  if (!source) {
    TcxInterfacedPersistent::Assign(Source);
    return;
  }
  FOwnKind = source->FOwnKind;
  FOwnNativeStyle = source->FOwnNativeStyle;
  FAssignedValues = source->FAssignedValues;
  // A new master reports every difference itself (the effective values are still the old
  // ones); what is left is reported against the values after that, so no change is told
  // twice.
  SetMasterLookAndFeel(source->EffectiveMaster());
  RememberEffectiveValues();
  ReportEffectiveChanges();
}

void TcxLookAndFeel::SetKind(TcxLookAndFeelKind Value) {
  RememberEffectiveValues();
  FAssignedValues.Include(lfvKind);
  FOwnKind = Value;
  if (ComputeKind() != FSavedKind) Changed(TcxLookAndFeelValues{lfvKind});
}

void TcxLookAndFeel::SetNativeStyle(bool Value) {
  RememberEffectiveValues();
  FAssignedValues.Include(lfvNativeStyle);
  FOwnNativeStyle = Value;
  if (ComputeNativeStyle() != FSavedNativeStyle) Changed(TcxLookAndFeelValues{lfvNativeStyle});
}

void TcxLookAndFeel::SetAssignedValues(TcxLookAndFeelValues Value) {
  if (Value == FAssignedValues) return;
  RememberEffectiveValues();
  FAssignedValues = Value;
  ReportEffectiveChanges();
}

TcxLookAndFeel* TcxLookAndFeel::EffectiveMaster() const {
  if (FIsRoot) return nullptr;
  if (FMasterLookAndFeel) return FMasterLookAndFeel;
  return rootLookAndFeel;
}

bool TcxLookAndFeel::chainLeadsTo(const TcxLookAndFeel* ATarget) const {
  // Walks the explicit masters only: the root has no master, so a chain that reaches an
  // object without an explicit master ends there.
  for (const TcxLookAndFeel* p = this; p; p = p->FMasterLookAndFeel)
    if (p == ATarget) return true;
  return false;
}

void TcxLookAndFeel::SetMasterLookAndFeel(TcxLookAndFeel* Value) {
  if (FIsRoot || Value == this || Value == EffectiveMaster()) return;
  // A master that follows this object (directly or through its own masters) would close
  // a loop in which every value lookup recursed without end.
  if (Value && Value->chainLeadsTo(this)) return;
  RememberEffectiveValues();
  if (TcxLookAndFeel* old = EffectiveMaster()) old->UnregisterListener(this);
  FMasterLookAndFeel = Value;
  if (TcxLookAndFeel* master = EffectiveMaster()) master->RegisterListener(this);
  ReportEffectiveChanges();
}

TcxLookAndFeelKind TcxLookAndFeel::MasterKind() const {
  if (FIsRoot) return lfUltraFlat;
  if (TcxLookAndFeel* master = EffectiveMaster()) return master->Kind();
  return lfUltraFlat;
}

bool TcxLookAndFeel::MasterNativeStyle() const {
  if (FIsRoot) return false;
  if (TcxLookAndFeel* master = EffectiveMaster()) return master->NativeStyle();
  return false;
}

TcxLookAndFeelKind TcxLookAndFeel::ComputeKind() const {
  return FAssignedValues.Contains(lfvKind) ? FOwnKind : MasterKind();
}

bool TcxLookAndFeel::ComputeNativeStyle() const {
  return FAssignedValues.Contains(lfvNativeStyle) ? FOwnNativeStyle : MasterNativeStyle();
}

void TcxLookAndFeel::SystemPaletteChanged() { Changed(TcxLookAndFeelValues{lfvNativeStyle}); }

void TcxLookAndFeel::Changed(TcxLookAndFeelValues AChangedValues) {
  if (AChangedValues.Empty() || FIsDestroying) return;
  FKind = ComputeKind();
  FNativeStyle = ComputeNativeStyle();
  // A listener that unregisters during the call shortens the list; the index then stays
  // so that the next listener is not skipped.
  size_t index = 0;
  while (index < FListeners.size()) {
    size_t count = FListeners.size();
    FListeners[index]->MasterLookAndFeelChanged(this, AChangedValues);
    if (FListeners.size() == count) ++index;
  }
  if (FOnChanged) FOnChanged(this, AChangedValues);
}

void TcxLookAndFeel::RememberEffectiveValues() {
  FSavedKind = FKind;
  FSavedNativeStyle = FNativeStyle;
}

void TcxLookAndFeel::ReportEffectiveChanges() {
  TcxLookAndFeelValues changed;
  if (ComputeKind() != FSavedKind) changed.Include(lfvKind);
  if (ComputeNativeStyle() != FSavedNativeStyle) changed.Include(lfvNativeStyle);
  Changed(changed);
}

TcxCustomLookAndFeelPainterClass TcxLookAndFeel::GetPainterClass() const {
  if (FNativeStyle && nativePainter && dxCanUseThemes()) return nativePainter;
  return cxLookAndFeelPainter(FKind);
}

TcxCustomLookAndFeelPainterClass TcxLookAndFeel::GetThemedPainterClass(TdxThemeClasses AClasses) const {
  if (FNativeStyle && nativePainter && dxCanUseThemes(AClasses)) return nativePainter;
  return cxLookAndFeelPainter(FKind);
}

void TcxLookAndFeel::RegisterListener(IcxLookAndFeelListener* AListener) {
  if (!AListener) return;
  bool isController = dynamic_cast<TcxLookAndFeelController*>(AListener->GetObject()) != nullptr;
  if (isController && !FIsRoot) return;
  if (std::find(FListeners.begin(), FListeners.end(), AListener) != FListeners.end()) return;
  if (isController) ++controllerCount;
  FListeners.push_back(AListener);
}

void TcxLookAndFeel::UnregisterListener(IcxLookAndFeelListener* AListener) {
  auto it = std::find(FListeners.begin(), FListeners.end(), AListener);
  if (it == FListeners.end()) return;
  if (!FIsDestroying) FListeners.erase(it);
  bool isController = dynamic_cast<TcxLookAndFeelController*>(AListener->GetObject()) != nullptr;
  if (isController && FIsRoot) {
    if (controllerCount > 0) --controllerCount;
    if (controllerCount == 0) Reset();
  }
}

void TcxLookAndFeel::MasterLookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues AChangedValues) {
  Changed(AChangedValues - FAssignedValues);
}

void TcxLookAndFeel::MasterLookAndFeelDestroying(TcxLookAndFeel* Sender) {
  if (Sender == FMasterLookAndFeel) {
    SetMasterLookAndFeel(nullptr);
  } else {
    // The root is going away (it is no longer the process root): inherited values become
    // the defaults.
    RememberEffectiveValues();
    ReportEffectiveChanges();
  }
}

// ---------------------------------------------------------------------------------------
// TcxLookAndFeelController.

TcxLookAndFeelController::TcxLookAndFeelController(TComponent* AOwner) : TComponent(AOwner) {
  if (rootLookAndFeel) rootLookAndFeel->RegisterListener(this);
}

TcxLookAndFeelController::~TcxLookAndFeelController() {
  if (rootLookAndFeel) rootLookAndFeel->UnregisterListener(this);
}

HRESULT STDMETHODCALLTYPE TcxLookAndFeelController::QueryInterface(const ::IID& riid, void** obj) {
  return TComponent::QueryInterface(riid, obj);
}
ULONG STDMETHODCALLTYPE TcxLookAndFeelController::_AddRef() { return TComponent::_AddRef(); }
ULONG STDMETHODCALLTYPE TcxLookAndFeelController::_Release() { return TComponent::_Release(); }

TcxLookAndFeelKind TcxLookAndFeelController::Kind() const {
  return rootLookAndFeel ? rootLookAndFeel->Kind() : lfUltraFlat;
}

void TcxLookAndFeelController::SetKind(TcxLookAndFeelKind Value) {
  if (rootLookAndFeel) rootLookAndFeel->SetKind(Value);
}

bool TcxLookAndFeelController::NativeStyle() const {
  return rootLookAndFeel ? rootLookAndFeel->NativeStyle() : false;
}

void TcxLookAndFeelController::SetNativeStyle(bool Value) {
  if (rootLookAndFeel) rootLookAndFeel->SetNativeStyle(Value);
}

void TcxLookAndFeelController::MasterLookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) {
  if (ComponentState().Contains(csDesigning)) Modified();
}

void TcxLookAndFeelController::MasterLookAndFeelDestroying(TcxLookAndFeel*) {
  // A form designer would be told here; there is none at run time.
}

// ---------------------------------------------------------------------------------------
// Root, painter table, unit start and end.

TcxLookAndFeel* cxRootLookAndFeel() { return rootLookAndFeel; }
Integer cxLookAndFeelControllerCount() { return controllerCount; }

TcxCustomLookAndFeelPainterClass cxLookAndFeelPainter(TcxLookAndFeelKind AKind) {
  TcxCustomLookAndFeelPainterClass painter = painterTable[static_cast<int>(AKind)];
  return painter ? painter : TcxStandardLookAndFeelPainter::Instance();
}

void cxSetLookAndFeelPainter(TcxLookAndFeelKind AKind, TcxCustomLookAndFeelPainterClass APainter) {
  painterTable[static_cast<int>(AKind)] = APainter;
}

TcxCustomLookAndFeelPainterClass cxNativeLookAndFeelPainter() { return nativePainter; }
void cxSetNativeLookAndFeelPainter(TcxCustomLookAndFeelPainterClass APainter) { nativePainter = APainter; }

void cxLookAndFeelsInitialize() {
  if (!painterTable[lfStandard]) painterTable[lfStandard] = TcxStandardLookAndFeelPainter::Instance();
  brushCacheClearer = new BrushCacheClearer();
  brushCacheNotifier = new TcxSystemPaletteChangedNotifier(true);
  brushCacheNotifier->SetOnSystemPaletteChanged(TNotifyEvent(brushCacheClearer, &BrushCacheClearer::Changed));
  // The root is made while no root exists, so it registers nowhere.
  auto* root = New<TcxLookAndFeel>(static_cast<TPersistent*>(nullptr));
  root->SetIsRoot(true);
  rootLookAndFeel = root;
}

void cxLookAndFeelsFinalize() {
  // Remaining look-and-feels are told and fall back to no root.
  delete rootLookAndFeel;
  rootLookAndFeel = nullptr;
  controllerCount = 0;
  delete brushCacheNotifier;
  brushCacheNotifier = nullptr;
  delete brushCacheClearer;
  brushCacheClearer = nullptr;
}

namespace cxLookAndFeelsUnit {
void Initialize() { cxLookAndFeelsInitialize(); }
void Finalize() { cxLookAndFeelsFinalize(); }
}  // namespace cxLookAndFeelsUnit
