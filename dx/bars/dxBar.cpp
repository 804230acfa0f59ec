#include "dx/bars/dxBar.h"

#include "platform/gui/Forms.h"
#include "platform/gui/GuiPublish.h"

TdxBarManager* TdxBarItem::BarManager() const {
  if (!Owner()) return nullptr;
  for (Integer i = 0; i < Owner()->ComponentCount(); ++i)
    if (auto* m = dynamic_cast<TdxBarManager*>(Owner()->Components(i))) return m;
  return nullptr;
}

void TdxBarItem::Click() {
  if (!enabled_) return;
  if (TdxBarManager* m = BarManager())
    if (m->onClickItem_) m->onClickItem_(m, this);
  if (onClick_) onClick_(this);
}

TdxBarSubItem::TdxBarSubItem(TComponent* AOwner) : TdxBarItem(AOwner), itemLinks_(new TStringList) {}
TdxBarSubItem::~TdxBarSubItem() { delete itemLinks_; }

TdxBarManager::TdxBarManager(TComponent* AOwner)
    : TComponent(AOwner), barItems_(new TStringList), font_(new TFont) {
  font_->SetName("Tahoma");
}

TdxBarManager::~TdxBarManager() {
  delete barItems_;
  delete font_;
}

void TdxBarManager::Loaded() {
  TComponent::Loaded();
  auto* form = dynamic_cast<TWinControl*>(Owner());
  if (!form || dock_) return;
  dock_ = new TPanel(this);
  dock_->SetAlign(alTop);
  dock_->SetHeight(28);
  dock_->SetBevelOuter(bvNone);
  dock_->SetCaption("");
  dock_->SetParent(form);
  Integer x = 4;
  for (Integer i = 0; i < barItems_->Count(); ++i) {
    auto* item = dynamic_cast<TdxBarItem*>(Owner()->FindComponent(barItems_->Strings(i)));
    if (!item) continue;
    auto* button = new TButton(this);
    button->SetParent(dock_);
    button->Font()->Assign(font_);
    button->SetCaption(item->Caption());
    button->SetHint(item->Hint());
    button->SetShowHint(true);
    Integer w = 24 + static_cast<Integer>(item->Caption().size()) * 7;
    button->SetBounds(x, 2, w, 24);
    button->SetTabStop(false);
    button->SetOnClick(TNotifyEvent(this, &TdxBarManager::buttonClick));
    item->FreeNotification(this);
    buttons_.emplace_back(button, item);
    x += w + 2;
  }
}

void TdxBarManager::buttonClick(TObject* Sender) {
  for (auto& [button, item] : buttons_)
    if (button == Sender) {
      try {
        item->Click();
      } catch (Exception&) {
        Application->HandleException(this);
      }
      return;
    }
}

TButton* TdxBarManager::ButtonOf(TdxBarItem* Item) const {
  for (auto& [button, item] : buttons_)
    if (item == Item) return button;
  return nullptr;
}

void TdxBarManager::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  for (auto& entry : buttons_)
    if (entry.second == AComponent) entry.second = nullptr;
  std::erase_if(buttons_, [](auto& e) { return e.second == nullptr; });
  if (AComponent == dock_) dock_ = nullptr;
}

RTL_BEGIN_CLASS(TdxBarItem)
  using T = TdxBarItem;
  PUBLISH(Caption);
  PUBLISH(Category);
  PUBLISH(Enabled).Default(true);
  PUBLISH(Hint);
  PUBLISH(OnClick);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TdxBarButton)

RTL_BEGIN_CLASS(TdxBarSubItem)
  using T = TdxBarSubItem;
  PUBLISH(ItemLinks);
RTL_END_CLASS

RTL_BEGIN_CLASS(TdxBarManager)
  using T = TdxBarManager;
  PUBLISH(BarCaption);
  PUBLISH(BarItems);
  PUBLISH(Font);
RTL_END_CLASS
