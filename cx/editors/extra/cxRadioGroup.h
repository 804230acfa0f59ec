#pragma once
// cxRadioGroup: the component set's radio group editor.
//
// Present behaviour: one radio button per item of Properties.Items (each item's Caption),
// ItemIndex -1 (none) or the 0-based checked item; written while the form is being read it
// is only stored, otherwise clamped to -1 .. item count - 1. Not yet: the editor framework
// (edit value, validation, data binding) and the look-and-feel painting.
#include "platform/gui/ExtCtrls.h"

class TcxCustomRadioGroup;

// One radio button of the group.
class TcxRadioGroupItem : public TCollectionItem {
  RTL_DECLARE_CLASS(TcxRadioGroupItem, TCollectionItem)
public:
  explicit TcxRadioGroupItem(TCollection* Collection) : TCollectionItem(Collection) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  std::string DisplayName() const override { return caption_; }

private:
  std::string caption_;
};

class TcxRadioGroupItems : public TOwnedCollection {
  RTL_DECLARE_CLASS(TcxRadioGroupItems, TOwnedCollection)
public:
  explicit TcxRadioGroupItems(TPersistent* AOwner);
  TcxRadioGroupItem* Items(Integer Index) const { return static_cast<TcxRadioGroupItem*>(TCollection::Items(Index)); }
  TcxRadioGroupItem* Add() { return static_cast<TcxRadioGroupItem*>(TCollection::Add()); }

protected:
  void Update(TCollectionItem* Item) override;
};

class TcxRadioGroupProperties : public TPersistent {
  RTL_DECLARE_CLASS(TcxRadioGroupProperties, TPersistent)
public:
  explicit TcxRadioGroupProperties(TcxCustomRadioGroup* AOwner);
  ~TcxRadioGroupProperties() override;
  TcxRadioGroupItems* Items() const { return items_; }
  void SetItems(TcxRadioGroupItems* Value) { items_->Assign(Value); }
  TPersistent* GetOwner() override;

private:
  friend class TcxRadioGroupItems;
  TcxCustomRadioGroup* owner_;
  TcxRadioGroupItems* items_;
};

class TcxCustomRadioGroup : public TCustomRadioGroup {
  RTL_DECLARE_CLASS(TcxCustomRadioGroup, TCustomRadioGroup)
public:
  explicit TcxCustomRadioGroup(TComponent* AOwner);
  ~TcxCustomRadioGroup() override;
  TcxRadioGroupProperties* Properties() const { return properties_; }
  void SetProperties(TcxRadioGroupProperties* Value) { properties_->Items()->Assign(Value->Items()); }
  Integer ItemIndex() const { return TCustomRadioGroup::ItemIndex(); }
  void SetItemIndex(Integer Value);

protected:
  void Loaded() override;

private:
  friend class TcxRadioGroupItems;
  // Makes the radio buttons follow Properties.Items.
  void itemsChanged();
  TcxRadioGroupProperties* properties_;
  Integer storedIndex_ = -1;
};

class TcxRadioGroup : public TcxCustomRadioGroup {
  RTL_DECLARE_CLASS(TcxRadioGroup, TcxCustomRadioGroup)
public:
  explicit TcxRadioGroup(TComponent* AOwner) : TcxCustomRadioGroup(AOwner) {}
};
