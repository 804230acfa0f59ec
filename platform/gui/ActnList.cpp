#include "platform/gui/ActnList.h"

#include <algorithm>

#include "platform/gui/Menus.h"
#include "platform/rtl/Scoped.h"

TActionApplicationHooks ActionApplicationHooks;

RTL_IMPLEMENT_CLASS(EActionError)

// =======================================================================================
// TBasicActionLink
// =======================================================================================

RTL_IMPLEMENT_CLASS(TBasicActionLink)

TBasicActionLink::TBasicActionLink(TObject* AClient) { AssignClient(AClient); }

TBasicActionLink::~TBasicActionLink() {
  if (action_) action_->UnRegisterChanges(this);
}

void TBasicActionLink::Change() {
  if (onChange_) onChange_(action_);
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
  if (!action_) return false;
  TBasicAction* action = action_;
  action->SetActionComponent(AComponent);
  bool result;
  try {
    result = action->Execute();
  } catch (...) {
    // The action may have been freed by its own handler (then it detached this link).
    if (action_ == action) action->SetActionComponent(nullptr);
    throw;
  }
  if (action_ == action) action->SetActionComponent(nullptr);
  return result;
}

bool TBasicActionLink::Update() { return action_ ? action_->Update() : false; }

void TBasicActionLink::SetAction(TBasicAction* Value) {
  if (Value == action_) return;
  if (action_) action_->UnRegisterChanges(this);
  action_ = nullptr;
  if (Value) Value->RegisterChanges(this);
}

// =======================================================================================
// TBasicAction
// =======================================================================================

RTL_IMPLEMENT_CLASS(TBasicAction)

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
  if (actionComponent_) actionComponent_->RemoveFreeNotification(this);
  actionComponent_ = nullptr;
  while (!clients_.empty()) UnRegisterChanges(clients_.back());
}

bool TBasicAction::Execute() {
  if (!onExecute_) return false;
  onExecute_(this);
  return true;
}

bool TBasicAction::Update() {
  if (!onUpdate_) return false;
  onUpdate_(this);
  return true;
}

void TBasicAction::RegisterChanges(TBasicActionLink* Value) {
  if (!Value) return;
  if (std::find(clients_.begin(), clients_.end(), Value) == clients_.end()) clients_.push_back(Value);
  Value->action_ = this;
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value) {
  auto it = std::find(clients_.begin(), clients_.end(), Value);
  if (it == clients_.end()) return;
  clients_.erase(it);
  Value->action_ = nullptr;
}

void TBasicAction::SetActionComponent(TComponent* Value) {
  if (Value == actionComponent_) return;
  if (actionComponent_) actionComponent_->RemoveFreeNotification(this);
  actionComponent_ = Value;
  if (actionComponent_) actionComponent_->FreeNotification(this);
}

void TBasicAction::SetOnExecute(const TNotifyEvent& Value) {
  std::vector<TBasicActionLink*> links = clients_;
  for (TBasicActionLink* link : links) link->SetOnExecute(Value);
  onExecute_ = Value;
  Change();
}

void TBasicAction::Change() {
  if (onChange_) onChange_(this);
  // A link's client may drop its link while reacting; walk a copy and skip those gone.
  std::vector<TBasicActionLink*> links = clients_;
  for (TBasicActionLink* link : links)
    if (std::find(clients_.begin(), clients_.end(), link) != clients_.end()) link->Change();
}

void TBasicAction::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == actionComponent_) actionComponent_ = nullptr;
}

// =======================================================================================
// TContainedAction
// =======================================================================================

RTL_BEGIN_CLASS(TContainedAction)
  b.Property("Category", &TContainedAction::Category, &TContainedAction::SetCategory);
RTL_END_CLASS

TContainedAction::~TContainedAction() {
  if (actionList_) actionList_->RemoveAction(this);
}

bool TContainedAction::Execute() {
  if (actionList_ && actionList_->ExecuteAction(this)) return true;
  if (ActionApplicationHooks.ExecuteAction && ActionApplicationHooks.ExecuteAction(this)) return true;
  if (TBasicAction::Execute()) return true;
  return ActionApplicationHooks.DispatchExecute && ActionApplicationHooks.DispatchExecute(this);
}

bool TContainedAction::Update() {
  if (actionList_ && actionList_->UpdateAction(this)) return true;
  if (ActionApplicationHooks.UpdateAction && ActionApplicationHooks.UpdateAction(this)) return true;
  if (TBasicAction::Update()) return true;
  return ActionApplicationHooks.DispatchUpdate && ActionApplicationHooks.DispatchUpdate(this);
}

TComponent* TContainedAction::GetParentComponent() const {
  if (actionList_) return actionList_;
  return TBasicAction::GetParentComponent();
}

bool TContainedAction::HasParent() const { return actionList_ != nullptr || TBasicAction::HasParent(); }

void TContainedAction::SetParentComponent(TComponent* AParent) {
  if (ComponentState().Contains(csLoading)) return;
  if (auto* list = dynamic_cast<TCustomActionList*>(AParent)) SetActionList(list);
}

void TContainedAction::ReadState(TReader* Reader) {
  TBasicAction::ReadState(Reader);
  if (auto* list = dynamic_cast<TCustomActionList*>(Reader->Parent())) SetActionList(list);
}

void TContainedAction::SetActionList(TCustomActionList* AActionList) {
  if (AActionList == actionList_) return;
  if (actionList_) actionList_->RemoveAction(this);
  if (AActionList) AActionList->AddAction(this);
}

Integer TContainedAction::Index() const { return actionList_ ? actionList_->IndexOfAction(this) : -1; }

void TContainedAction::SetIndex(Integer Value) {
  if (!actionList_) return;
  auto& list = actionList_->actions_;
  Integer cur = Index();
  if (cur < 0) return;
  Integer count = static_cast<Integer>(list.size());
  if (Value < 0) Value = 0;
  if (Value >= count) Value = count - 1;
  if (Value == cur) return;
  list.erase(list.begin() + cur);
  list.insert(list.begin() + Value, this);
}

void TContainedAction::SetCategory(const std::string& Value) {
  if (Value == category_) return;
  category_ = Value;
  if (actionList_) actionList_->Change();
}

bool TContainedAction::Suspended() const { return actionList_ && actionList_->State() != asNormal; }

// =======================================================================================
// TShortCutList
// =======================================================================================

RTL_IMPLEMENT_CLASS(TShortCutList)

TShortCut TShortCutList::ShortCuts(Integer Index) const { return TextToShortCut(Get(Index)); }

Integer TShortCutList::IndexOfShortCut(TShortCut ShortCut) const {
  if (ShortCut == 0) return -1;
  for (Integer i = 0; i < Count(); ++i)
    if (ShortCuts(i) == ShortCut) return i;
  return -1;
}

// =======================================================================================
// TCustomAction
// =======================================================================================

RTL_IMPLEMENT_CLASS(TCustomAction)

TCustomAction::TCustomAction(TComponent* AOwner) : TContainedAction(AOwner), secondaryShortCuts_(new TShortCutList()) {}

TCustomAction::~TCustomAction() { delete secondaryShortCuts_; }

// Tells the links (which update their clients still showing the old value), then stores
// the value and announces the change.
template <class V, class S> void TCustomAction::changeProperty(V& field, const V& value, S linkSetter) {
  if (value == field) return;
  forEachLink([&](TActionLink* l) { (l->*linkSetter)(value); });
  field = value;
  Change();
}

template <class F> void TCustomAction::forEachLink(F f) {
  std::vector<TBasicActionLink*> links = Clients();
  for (TBasicActionLink* link : links)
    if (auto* actionLink = dynamic_cast<TActionLink*>(link)) f(actionLink);
}

bool TCustomAction::Execute() {
  if (Suspended()) return false;
  Update();
  if (!enabled_) return false;
  if (autoCheck_ && (!checked_ || groupIndex_ == 0)) SetChecked(!checked_);
  return TContainedAction::Execute();
}

bool TCustomAction::Update() {
  if (Suspended()) return false;
  bool handled = TContainedAction::Update();
  if (!handled && disableIfNoHandler_ && !OnExecute() && !(ActionList() && ActionList()->OnExecute()))
    SetEnabled(false);
  return handled;
}

bool TCustomAction::DoHint(std::string& HintStr) {
  bool canShow = true;
  if (onHint_) onHint_(HintStr, canShow);
  return canShow;
}

void TCustomAction::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCustomAction*>(Source);
  if (!src) {
    TContainedAction::Assign(Source);
    return;
  }
  SetAutoCheck(src->autoCheck_);
  SetCaption(src->caption_);
  SetChecked(src->checked_);
  SetEnabled(src->enabled_);
  SetGroupIndex(src->groupIndex_);
  SetHelpContext(src->helpContext_);
  SetHelpKeyword(src->helpKeyword_);
  SetHelpType(src->helpType_);
  SetHint(src->hint_);
  SetImageIndex(src->imageIndex_);
  SetShortCut(src->shortCut_);
  SetSecondaryShortCuts(src->secondaryShortCuts_);
  SetVisible(src->visible_);
  SetOnExecute(src->OnExecute());
  SetOnHint(src->onHint_);
  SetOnUpdate(src->OnUpdate());
}

void TCustomAction::Change() {
  TContainedAction::Change();
  if (ActionList()) ActionList()->Change();
}

void TCustomAction::SetAutoCheck(bool Value) { changeProperty(autoCheck_, Value, &TActionLink::SetAutoCheck); }

void TCustomAction::SetCaption(const std::string& Value) { changeProperty(caption_, Value, &TActionLink::SetCaption); }

void TCustomAction::SetChecked(bool Value) {
  if (checking_ || Value == checked_) return;
  checking_ = true;
  {
    ScopeExit atEnd([&] { checking_ = false; });
    forEachLink([&](TActionLink* l) { l->SetChecked(Value); });
    checked_ = Value;
    if (groupIndex_ > 0 && checked_ && ActionList()) {
      TCustomActionList* list = ActionList();
      for (Integer i = 0; i < list->ActionCount(); ++i) {
        auto* other = dynamic_cast<TCustomAction*>(list->Actions(i));
        if (other && other != this && other->groupIndex_ == groupIndex_) other->SetChecked(false);
      }
    }
    Change();
  }
}

void TCustomAction::SetEnabled(bool Value) {
  if (TCustomActionList* list = ActionList()) {
    if (list->State() == asSuspended) {
      enabled_ = Value;
      return;
    }
    if (list->State() == asSuspendedEnabled) {
      // Shown enabled until the list returns to normal; the value is for then.
      savedEnabledState_ = Value;
      return;
    }
  }
  applyEnabled(Value);
}

void TCustomAction::applyEnabled(bool Value) {
  if (Value == enabled_) return;
  forEachLink([&](TActionLink* l) { l->SetEnabled(Value); });
  enabled_ = Value;
  Change();
}

void TCustomAction::SetGroupIndex(Integer Value) {
  if (Value == groupIndex_) return;
  forEachLink([&](TActionLink* l) { l->SetGroupIndex(Value); });
  groupIndex_ = Value;
  // Joining a group while checked: this action becomes the group's checked one.
  if (checked_ && groupIndex_ > 0 && ActionList()) {
    TCustomActionList* list = ActionList();
    for (Integer i = 0; i < list->ActionCount(); ++i) {
      auto* other = dynamic_cast<TCustomAction*>(list->Actions(i));
      if (other && other != this && other->groupIndex_ == groupIndex_) other->SetChecked(false);
    }
  }
  Change();
}

void TCustomAction::SetHelpContext(THelpContext Value) {
  changeProperty(helpContext_, Value, &TActionLink::SetHelpContext);
}

void TCustomAction::SetHelpKeyword(const std::string& Value) {
  changeProperty(helpKeyword_, Value, &TActionLink::SetHelpKeyword);
}

void TCustomAction::SetHelpType(THelpType Value) { changeProperty(helpType_, Value, &TActionLink::SetHelpType); }

void TCustomAction::SetHint(const std::string& Value) { changeProperty(hint_, Value, &TActionLink::SetHint); }

void TCustomAction::SetImageIndex(TImageIndex Value) {
  changeProperty(imageIndex_, Value, &TActionLink::SetImageIndex);
}

void TCustomAction::SetShortCut(TShortCut Value) { changeProperty(shortCut_, Value, &TActionLink::SetShortCut); }

void TCustomAction::SetSecondaryShortCuts(TShortCutList* Value) {
  if (Value == secondaryShortCuts_) return;
  if (Value) secondaryShortCuts_->Assign(Value);
  else secondaryShortCuts_->Clear();
}

void TCustomAction::SetVisible(bool Value) { changeProperty(visible_, Value, &TActionLink::SetVisible); }

TCustomImageList* TCustomAction::Images() const { return ActionList() ? ActionList()->Images() : nullptr; }

RTL_BEGIN_CLASS(TAction)
  b.Property("AutoCheck", &TAction::AutoCheck, &TAction::SetAutoCheck).Default(false);
  b.Property("Caption", &TAction::Caption, &TAction::SetCaption);
  b.Property("Checked", &TAction::Checked, &TAction::SetChecked).Default(false);
  b.Property("Enabled", &TAction::Enabled, &TAction::SetEnabled).Default(true);
  b.Property("GroupIndex", &TAction::GroupIndex, &TAction::SetGroupIndex).Default(0);
  b.Property("HelpContext", &TAction::HelpContext, &TAction::SetHelpContext).Default(0);
  b.Property("HelpKeyword", &TAction::HelpKeyword, &TAction::SetHelpKeyword);
  b.Property("HelpType", &TAction::HelpType, &TAction::SetHelpType).Default(htKeyword);
  b.Property("Hint", &TAction::Hint, &TAction::SetHint);
  b.Property("ImageIndex", &TAction::ImageIndex, &TAction::SetImageIndex).Default(-1);
  b.Property("ShortCut", &TAction::ShortCut, &TAction::SetShortCut).Default(0);
  b.Property("SecondaryShortCuts", &TAction::SecondaryShortCuts, &TAction::SetSecondaryShortCuts)
      .Stored(&TAction::IsSecondaryShortCutsStored);
  b.Property("Visible", &TAction::Visible, &TAction::SetVisible).Default(true);
  b.Property("OnExecute", &TAction::OnExecute, &TAction::SetOnExecute);
  b.Property("OnHint", &TAction::OnHint, &TAction::SetOnHint);
  b.Property("OnUpdate", &TAction::OnUpdate, &TAction::SetOnUpdate);
RTL_END_CLASS

// =======================================================================================
// TActionLink
// =======================================================================================

RTL_IMPLEMENT_CLASS(TActionLink)

TCustomAction* TActionLink::CustomAction() const { return dynamic_cast<TCustomAction*>(Action()); }

bool TActionLink::IsAutoCheckLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsCaptionLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsCheckedLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsEnabledLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsGroupIndexLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsHelpContextLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsHelpLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsHintLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsImageIndexLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsShortCutLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsVisibleLinked() { return CustomAction() != nullptr; }

// =======================================================================================
// TCustomActionList
// =======================================================================================

RTL_IMPLEMENT_CLASS(TCustomActionList)

TCustomActionList::TCustomActionList(TComponent* AOwner) : TComponent(AOwner), imageChangeLink_(new TChangeLink()) {
  imageChangeLink_->SetOnChange(TNotifyEvent(this, &TCustomActionList::imageListChange));
}

TCustomActionList::~TCustomActionList() {
  Destroying();  // no OnChange while the list goes
  SetImages(nullptr);
  delete imageChangeLink_;
  imageChangeLink_ = nullptr;
  // The list frees its actions; each takes itself out of the list as it goes.
  while (!actions_.empty()) {
    TContainedAction* action = actions_.back();
    action->Free();
    if (!actions_.empty() && actions_.back() == action) actions_.pop_back();
  }
}

TContainedAction* TCustomActionList::Actions(Integer Index) const {
  if (Index < 0 || Index >= ActionCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return actions_[static_cast<size_t>(Index)];
}

void TCustomActionList::SetActions(Integer Index, TContainedAction* Value) {
  Actions(Index)->Assign(Value);
}

Integer TCustomActionList::IndexOfAction(const TBasicAction* Action) const {
  for (size_t i = 0; i < actions_.size(); ++i)
    if (actions_[i] == Action) return static_cast<Integer>(i);
  return -1;
}

void TCustomActionList::AddAction(TContainedAction* Action) {
  if (!Action || IndexOfAction(Action) >= 0) return;
  actions_.push_back(Action);
  Action->actionList_ = this;
  Action->FreeNotification(this);
  Change();
}

void TCustomActionList::RemoveAction(TContainedAction* Action) {
  Integer i = IndexOfAction(Action);
  if (i < 0) return;
  actions_.erase(actions_.begin() + i);
  Action->actionList_ = nullptr;
  Action->RemoveFreeNotification(this);
  Change();
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == images_) {
    // The list is going: its change links are already unregistered, so only forget it.
    images_ = nullptr;
    Change();
    return;
  }
  // An action freed without passing through RemoveAction (its class part is gone already:
  // compare pointers only).
  for (size_t i = 0; i < actions_.size(); ++i) {
    if (static_cast<TComponent*>(actions_[i]) == AComponent) {
      actions_.erase(actions_.begin() + static_cast<std::ptrdiff_t>(i));
      Change();
      return;
    }
  }
}

void TCustomActionList::Change() {
  if (ComponentState().Contains(csDestroying)) return;
  if (onChange_) onChange_(this);
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action) {
  bool handled = false;
  if (state_ == asNormal && onExecute_) onExecute_(Action, handled);
  return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action) {
  bool handled = false;
  if (state_ == asNormal && onUpdate_) onUpdate_(Action, handled);
  return handled;
}

bool TCustomActionList::IsShortCut(TWMKey& Message) {
  TShortCut shortCut = shortCutOfKeyMessage(Message);
  if (shortCut == 0) return false;
  for (size_t i = 0; i < actions_.size(); ++i) {
    auto* action = dynamic_cast<TCustomAction*>(actions_[i]);
    if (!action) continue;
    if (action->ShortCut() == shortCut || action->SecondaryShortCuts()->IndexOfShortCut(shortCut) >= 0)
      return action->HandleShortCut();
  }
  return false;
}

void TCustomActionList::GetChildren(TGetChildProc Proc, TComponent* Root) {
  std::vector<TContainedAction*> actions = actions_;
  for (TContainedAction* action : actions)
    if (action->Owner() == Root) Proc(action);
}

void TCustomActionList::SetChildOrder(TComponent* Child, int Order) {
  auto* action = dynamic_cast<TContainedAction*>(Child);
  if (action && IndexOfAction(action) >= 0) action->SetIndex(Order);
}

void TCustomActionList::SetImages(TCustomImageList* Value) {
  if (Value == images_) return;
  if (images_) {
    // A list that is being destroyed has already let go of its links.
    if (imageChangeLink_->Sender() == images_) images_->UnRegisterChanges(imageChangeLink_);
    images_->RemoveFreeNotification(this);
  }
  images_ = Value;
  if (images_) {
    images_->RegisterChanges(imageChangeLink_);
    images_->FreeNotification(this);
  }
  Change();
}

void TCustomActionList::imageListChange(TObject* Sender) {
  if (Sender == images_) Change();
}

void TCustomActionList::SetState(TActionListState Value) {
  if (Value == state_) return;
  TActionListState old = state_;
  state_ = Value;
  for (TContainedAction* a : std::vector<TContainedAction*>(actions_)) {
    auto* action = dynamic_cast<TCustomAction*>(a);
    if (!action) continue;
    if (Value == asSuspendedEnabled) {
      // Entering: remember each action's own state and show it enabled.
      action->savedEnabledState_ = action->enabled_;
      action->applyEnabled(true);
    } else if (old == asSuspendedEnabled) {
      action->applyEnabled(action->savedEnabledState_);
    }
  }
  if (onStateChange_) onStateChange_(this);
}

RTL_BEGIN_CLASS(TActionList)
  b.Property("Images", &TActionList::Images, &TActionList::SetImages);
  b.Property("State", &TActionList::State, &TActionList::SetState).Default(asNormal);
  b.Property("OnChange", &TActionList::OnChange, &TActionList::SetOnChange);
  b.Property("OnExecute", &TActionList::OnExecute, &TActionList::SetOnExecute);
  b.Property("OnStateChange", &TActionList::OnStateChange, &TActionList::SetOnStateChange);
  b.Property("OnUpdate", &TActionList::OnUpdate, &TActionList::SetOnUpdate);
RTL_END_CLASS

namespace ActnListUnit {

void Initialize() { RegisterClasses({TActionList::StaticClass(), TAction::StaticClass()}); }

void Finalize() {
  UnRegisterClass(TAction::StaticClass());
  UnRegisterClass(TActionList::StaticClass());
}

}  // namespace ActnListUnit
