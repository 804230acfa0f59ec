#include "cx/editors/extra/cxRadioGroup.h"

#include "platform/gui/GuiPublish.h"

void TcxRadioGroupItem::SetCaption(const std::string& Value) {
  if (caption_ == Value) return;
  caption_ = Value;
  Changed(false);
}

TcxRadioGroupItems::TcxRadioGroupItems(TPersistent* AOwner)
    : TOwnedCollection(AOwner, TcxRadioGroupItem::StaticClass()) {}

void TcxRadioGroupItems::Update(TCollectionItem* Item) {
  auto* props = dynamic_cast<TcxRadioGroupProperties*>(GetOwner());
  if (props && props->owner_) props->owner_->itemsChanged();
}

TcxRadioGroupProperties::TcxRadioGroupProperties(TcxCustomRadioGroup* AOwner)
    : owner_(AOwner), items_(new TcxRadioGroupItems(this)) {}

TcxRadioGroupProperties::~TcxRadioGroupProperties() {
  owner_ = nullptr;
  delete items_;
}

TPersistent* TcxRadioGroupProperties::GetOwner() { return owner_; }

TcxCustomRadioGroup::TcxCustomRadioGroup(TComponent* AOwner)
    : TCustomRadioGroup(AOwner), properties_(new TcxRadioGroupProperties(this)) {}

TcxCustomRadioGroup::~TcxCustomRadioGroup() { delete properties_; }

void TcxCustomRadioGroup::itemsChanged() {
  TStringList captions;
  for (Integer i = 0; i < properties_->Items()->Count(); ++i) captions.Add(properties_->Items()->Items(i)->Caption());
  Integer keep = ItemIndex();
  Items()->Assign(&captions);
  if (keep >= Items()->Count()) keep = Items()->Count() - 1;
  TCustomRadioGroup::SetItemIndex(keep);
}

void TcxCustomRadioGroup::SetItemIndex(Integer Value) {
  if (ComponentState().Contains(csLoading)) {
    storedIndex_ = Value;
    return;
  }
  Integer count = properties_->Items()->Count();
  if (Value < -1) Value = -1;
  if (Value > count - 1) Value = count - 1;
  if (Value != ItemIndex()) TCustomRadioGroup::SetItemIndex(Value);
}

void TcxCustomRadioGroup::Loaded() {
  TCustomRadioGroup::Loaded();
  itemsChanged();
  SetItemIndex(storedIndex_);
}

RTL_IMPLEMENT_CLASS(TcxRadioGroupItems)
RTL_IMPLEMENT_CLASS(TcxCustomRadioGroup)

RTL_BEGIN_CLASS(TcxRadioGroupItem)
  using T = TcxRadioGroupItem;
  PUBLISH(Caption);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxRadioGroupProperties)
  using T = TcxRadioGroupProperties;
  PUBLISH(Items);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxRadioGroup)
  using T = TcxRadioGroup;
  publishPlacement(b);
  PUBLISH(Caption);
  PUBLISH(Properties);
  PUBLISH(ItemIndex).Default(-1);
  PUBLISH(Enabled).Default(true);
  PUBLISH(Visible).Default(true);
  PUBLISH(Hint);
  PUBLISH(ShowHint);
  PUBLISH(ParentShowHint).Default(true);
  PUBLISH(TabOrder).Default(-1);
  PUBLISH(OnClick);
RTL_END_CLASS
