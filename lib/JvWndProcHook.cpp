#include "lib/JvWndProcHook.h"

#include <algorithm>

#include "platform/gui/Forms.h"

RTL_IMPLEMENT_CLASS(TJvHookInfos)
RTL_IMPLEMENT_CLASS(TJvWndProcHook)
RTL_IMPLEMENT_CLASS(TJvReleaser)

namespace {
TJvWndProcHook* globalHook = nullptr;
TJvReleaser* releaser = nullptr;
}  // namespace

TJvWndProcHook* JvGlobalWndProcHook() {
  if (!globalHook) globalHook = new TJvWndProcHook(nullptr);
  return globalHook;
}

TJvReleaser* JvReleaserInstance() {
  if (!releaser) releaser = new TJvReleaser();
  return releaser;
}

// ---------------------------------------------------------------------------------------
// TJvHookInfos

TJvHookInfos::TJvHookInfos(TControl* AControl) : control_(AControl) {}

TJvHookInfos::~TJvHookInfos() {
  SetController(nullptr);
  RemoveHook();
  for (int phase = 0; phase < 2; ++phase) {
    Entry* e = heads_[phase];
    while (e) {
      Entry* next = e->Next;
      delete e;
      e = next;
    }
    heads_[phase] = tails_[phase] = nullptr;
  }
}

void TJvHookInfos::SetController(TJvWndProcHook* Value) {
  if (controller_ == Value) return;
  if (controller_ && controller_->list_) {
    auto& list = *controller_->list_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  controller_ = Value;
  if (controller_) {
    if (!controller_->list_) controller_->list_ = new std::vector<TJvHookInfos*>();
    controller_->list_->push_back(this);
  }
}

void TJvHookInfos::AddHandler(TJvHookOrder Order, const TJvControlHook& Hook) {
  auto* e = new Entry{Hook, nullptr};
  if (tails_[Order]) tails_[Order]->Next = e;
  else heads_[Order] = e;
  tails_[Order] = e;
  // A dispatch level whose cursor has run off the end of this phase picks the new entry
  // up, so a handler added by the last handler of a phase still runs in that dispatch.
  for (Integer i = 0; i < depth_; ++i)
    if (levels_[i].Cursor[Order] == nullptr) levels_[i].Cursor[Order] = e;
}

void TJvHookInfos::RemoveHandler(TJvHookOrder Order, const TJvControlHook& Hook) {
  Entry* prev = nullptr;
  Entry* e = heads_[Order];
  while (e && !(e->Hook == Hook)) {
    prev = e;
    e = e->Next;
  }
  if (e) {
    if (prev) prev->Next = e->Next;
    else heads_[Order] = e->Next;
    if (tails_[Order] == e) tails_[Order] = prev;
    for (Integer i = 0; i < depth_; ++i)
      if (levels_[i].Cursor[Order] == e) levels_[i].Cursor[Order] = e->Next;
    delete e;
  }
  if (Empty()) RemoveHook();
}

void TJvHookInfos::InstallHook() {
  if (hooked_ || controlDestroyed_) return;
  oldWndProc_ = control_->WindowProc();
  control_->SetWindowProc(TWndMethod(this, &TJvHookInfos::HookedWindowProc));
  hooked_ = true;
}

void TJvHookInfos::RemoveHook() {
  if (hooked_ && !controlDestroyed_) {
    control_->SetWindowProc(oldWndProc_);
    hooked_ = false;
  }
}

void TJvHookInfos::MarkControlDestroyed() {
  if (controlDestroyed_) return;
  controlDestroyed_ = true;
  oldWndProc_ = TWndMethod();
  SetController(nullptr);
  JvReleaserInstance()->ReleaseLater(this);
}

bool TJvHookInfos::runPhase(TJvHookOrder Order, Integer LevelIndex, TMessage& Msg) {
  levels_[LevelIndex].Cursor[Order] = heads_[Order];
  while (Entry* e = levels_[LevelIndex].Cursor[Order]) {
    levels_[LevelIndex].Cursor[Order] = e->Next;
    // The handler may remove its own entry: call a copy.
    TJvControlHook hook = e->Hook;
    if (hook(Msg) || controlDestroyed_) return true;
  }
  return false;
}

void TJvHookInfos::HookedWindowProc(TMessage& Msg) {
  Msg.Result = 0;
  if (depth_ >= static_cast<Integer>(levels_.size())) levels_.resize((levels_.size() + 1) * 2);
  const Integer level = depth_++;
  struct PopLevel {
    Integer& depth;
    ~PopLevel() {
      if (depth > 0) --depth;
    }
  } pop{depth_};
  if (runPhase(hoBeforeMsg, level, Msg)) return;
  if (oldWndProc_) oldWndProc_(Msg);
  if (controlDestroyed_) return;
  runPhase(hoAfterMsg, level, Msg);
}

// ---------------------------------------------------------------------------------------
// TJvWndProcHook

TJvWndProcHook::TJvWndProcHook(TComponent* AOwner) : TComponent(AOwner) {}

TJvWndProcHook::~TJvWndProcHook() {
  if (list_) {
    while (!list_->empty()) delete list_->back();  // each leaves the list
    delete list_;
    list_ = nullptr;
  }
}

TJvHookInfos* TJvWndProcHook::FindHookInfos(TControl* AControl) const {
  if (!list_) return nullptr;
  for (TJvHookInfos* infos : *list_)
    if (infos->Control() == AControl) return infos;
  return nullptr;
}

bool TJvWndProcHook::RegisterHandler(TControl* AControl, TJvHookOrder Order, const TJvControlHook& Hook) {
  if (!AControl || AControl->ComponentState().Contains(csDestroying) || !Hook.Assigned()) return false;
  if (!list_) list_ = new std::vector<TJvHookInfos*>();
  TJvHookInfos* infos = FindHookInfos(AControl);
  if (!infos) {
    infos = new TJvHookInfos(AControl);
    infos->SetController(this);
    AControl->FreeNotification(this);
  }
  infos->AddHandler(Order, Hook);
  infos->InstallHook();
  return true;
}

bool TJvWndProcHook::UnregisterHandler(TControl* AControl, TJvHookOrder Order, const TJvControlHook& Hook) {
  if (!AControl || !Hook.Assigned() || !list_) return false;
  TJvHookInfos* infos = FindHookInfos(AControl);
  if (!infos) return false;
  infos->RemoveHandler(Order, Hook);
  return true;
}

void TJvWndProcHook::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  // Compared by address only: the control may be half destroyed here, when its class no
  // longer answers as a control.
  if (Operation == opRemove && list_) {
    for (TJvHookInfos* infos : *list_)
      if (static_cast<TComponent*>(infos->Control()) == AComponent) {
        infos->MarkControlDestroyed();
        break;
      }
  }
}

// ---------------------------------------------------------------------------------------
// TJvReleaser

TJvReleaser::~TJvReleaser() {
  std::vector<TObject*> pending;
  pending.swap(waiting_);
  for (TObject* o : pending) delete o;
  if (handle_) DeallocateHWnd(handle_);
}

bool TJvReleaser::IsWaiting(TObject* Obj) const {
  return std::find(waiting_.begin(), waiting_.end(), Obj) != waiting_.end();
}

void TJvReleaser::ReleaseLater(TObject* Obj) {
  if (IsWaiting(Obj)) return;
  waiting_.push_back(Obj);
  if (!handle_) handle_ = AllocateHWnd(TWndMethod(this, &TJvReleaser::wndProc));
  PostMessageA(handle_, CM_RELEASE_LATER, reinterpret_cast<WPARAM>(Obj), 0);
}

void TJvReleaser::wndProc(TMessage& Msg) {
  if (Msg.Msg == CM_RELEASE_LATER) {
    auto* obj = reinterpret_cast<TObject*>(Msg.WParam);
    auto it = std::find(waiting_.begin(), waiting_.end(), obj);
    if (it != waiting_.end()) {
      waiting_.erase(it);
      delete obj;
    }
    return;
  }
  Msg.Result = DefWindowProcA(handle_, Msg.Msg, Msg.WParam, Msg.LParam);
}

// ---------------------------------------------------------------------------------------
// TJvWindowHook

TJvWindowHook::TJvWindowHook(TComponent* AOwner) : TJvComponent(AOwner) {}

TJvWindowHook::~TJvWindowHook() {
  SetActive(false);
  SetControl(nullptr);
}

bool TJvWindowHook::RunBeforeMessage(TMessage& Msg) {
  bool handled = false;
  if (beforeMessage_) beforeMessage_(this, Msg, handled);
  return handled;
}

bool TJvWindowHook::RunAfterMessage(TMessage& Msg) {
  bool handled = false;
  if (afterMessage_) afterMessage_(this, Msg, handled);
  return handled;
}

void TJvWindowHook::SetActive(bool Value) {
  if (active_ == Value) return;
  if (!ComponentState().Contains(csDesigning)) {
    TJvWndProcHook* hook = JvGlobalWndProcHook();
    const TJvControlHook after(this, &TJvWindowHook::RunAfterMessage);
    const TJvControlHook before(this, &TJvWindowHook::RunBeforeMessage);
    if (Value) {
      if (afterMessage_) hook->RegisterHandler(control_, hoAfterMsg, after);
      if (beforeMessage_) hook->RegisterHandler(control_, hoBeforeMsg, before);
    } else {
      if (afterMessage_) hook->UnregisterHandler(control_, hoAfterMsg, after);
      if (beforeMessage_) hook->UnregisterHandler(control_, hoBeforeMsg, before);
    }
  }
  active_ = Value;
}

void TJvWindowHook::SetAfterMessage(const TJvHookMessageEvent& Value) {
  if (active_ && !ComponentState().Contains(csDesigning)) {
    const TJvControlHook after(this, &TJvWindowHook::RunAfterMessage);
    if (Value && !afterMessage_) JvGlobalWndProcHook()->RegisterHandler(control_, hoAfterMsg, after);
    else if (!Value && afterMessage_) JvGlobalWndProcHook()->UnregisterHandler(control_, hoAfterMsg, after);
  }
  afterMessage_ = Value;
}

void TJvWindowHook::SetBeforeMessage(const TJvHookMessageEvent& Value) {
  if (active_ && !ComponentState().Contains(csDesigning)) {
    const TJvControlHook before(this, &TJvWindowHook::RunBeforeMessage);
    if (Value && !beforeMessage_) JvGlobalWndProcHook()->RegisterHandler(control_, hoBeforeMsg, before);
    else if (!Value && beforeMessage_) JvGlobalWndProcHook()->UnregisterHandler(control_, hoBeforeMsg, before);
  }
  beforeMessage_ = Value;
}

void TJvWindowHook::SetControl(TControl* Value) {
  if (control_ == Value) return;
  const bool wasActive = active_;
  SetActive(false);
  if (control_) control_->RemoveFreeNotification(this);
  if (Value && Value->ComponentState().Contains(csDestroying)) {
    control_ = nullptr;
    return;
  }
  control_ = Value;
  if (control_) control_->FreeNotification(this);
  SetActive(wasActive);
}

void TJvWindowHook::Notification(TComponent* AComponent, TOperation Operation) {
  TJvComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && (AComponent == control_ || AComponent == Owner() || !Owner())) SetControl(nullptr);
}

bool TJvWindowHook::isForm() const {
  return control_ && control_ == Owner() && control_->InheritsFrom(TCustomForm::StaticClass());
}

bool TJvWindowHook::IsControlStored() const { return control_ && !isForm(); }

void TJvWindowHook::DefineProperties(TFiler* Filer) {
  TJvComponent::DefineProperties(Filer);
  bool hasData = isForm();
  if (auto* ancestor = dynamic_cast<TJvWindowHook*>(Filer->Ancestor())) hasData = ancestor->isForm() != isForm();
  Filer->DefineProperty(
      "IsForm",
      [this](TReader* Reader) {
        if (Reader->ReadBoolean() && Owner() && Owner()->InheritsFrom(TCustomForm::StaticClass()))
          SetControl(static_cast<TControl*>(Owner()));
      },
      [this](TWriter* Writer) { Writer->WriteBoolean(isForm()); }, hasData);
}

RTL_BEGIN_CLASS(TJvWindowHook)
using H = TJvWindowHook;
b.Property("Active", &H::Active, &H::SetActive).Default(true);
b.Property("Control", &H::Control, &H::SetControl).Stored(&H::IsControlStored);
b.Property("BeforeMessage", &H::BeforeMessage, &H::SetBeforeMessage);
b.Property("AfterMessage", &H::AfterMessage, &H::SetAfterMessage);
RTL_END_CLASS

namespace JvWndProcHookUnit {
void Initialize() {}
// The releaser goes first: the chains it still holds leave the controller's list.
void Finalize() {
  delete releaser;
  releaser = nullptr;
  delete globalHook;
  globalHook = nullptr;
}
}  // namespace JvWndProcHookUnit
