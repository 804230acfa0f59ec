#pragma once
// dxBar: the bar manager, its bars and items.
//
// Present behaviour: the manager holds one bar (BarCaption, e.g. "Principal") docked at the
// top of its form on a row of its own, showing the items named in BarItems, in order, as
// flat buttons with the item's Caption and Hint; a click on an enabled item tells the
// manager (OnClickItem), then fires the item's OnClick with the item as Sender; an exception
// raised there goes to the application's exception handler. Sub-items keep their list of
// item links (ItemLinks, item names; "-" is a separator) but open no menu yet. Not yet:
// several bars, docking and floating, customization, menus, images, categories beyond a
// name and the painted bar styles.
#include <vector>

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"

class TdxBarManager;

class TdxBarItem : public TComponent {
  RTL_DECLARE_CLASS(TdxBarItem, TComponent)
public:
  explicit TdxBarItem(TComponent* AOwner) : TComponent(AOwner) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value) { caption_ = Value; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value) { hint_ = Value; }
  const std::string& Category() const { return category_; }
  void SetCategory(const std::string& Value) { category_ = Value; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value) { enabled_ = Value; }
  const TNotifyEvent& OnClick() const { return onClick_; }
  void SetOnClick(const TNotifyEvent& Value) { onClick_ = Value; }
  TdxBarManager* BarManager() const;
  // What a click on the enabled item does.
  virtual void Click();

private:
  std::string caption_, hint_, category_ = "Default";
  bool enabled_ = true;
  TNotifyEvent onClick_;
};

class TdxBarButton : public TdxBarItem {
  RTL_DECLARE_CLASS(TdxBarButton, TdxBarItem)
public:
  explicit TdxBarButton(TComponent* AOwner) : TdxBarItem(AOwner) {}
};

class TdxBarSubItem : public TdxBarItem {
  RTL_DECLARE_CLASS(TdxBarSubItem, TdxBarItem)
public:
  explicit TdxBarSubItem(TComponent* AOwner);
  ~TdxBarSubItem() override;
  TStrings* ItemLinks() const { return itemLinks_; }
  void SetItemLinks(TStrings* Value) { itemLinks_->Assign(Value); }

private:
  TStringList* itemLinks_;
};

using TdxBarItemClickEvent = TEvent<void(TObject* Sender, TdxBarItem* Item)>;

class TdxBarManager : public TComponent {
  RTL_DECLARE_CLASS(TdxBarManager, TComponent)
public:
  explicit TdxBarManager(TComponent* AOwner);
  ~TdxBarManager() override;
  const std::string& BarCaption() const { return barCaption_; }
  void SetBarCaption(const std::string& Value) { barCaption_ = Value; }
  TStrings* BarItems() const { return barItems_; }
  void SetBarItems(TStrings* Value) { barItems_->Assign(Value); }
  TFont* Font() const { return font_; }
  void SetFont(TFont* Value) { font_->Assign(Value); }
  const TdxBarItemClickEvent& OnClickItem() const { return onClickItem_; }
  void SetOnClickItem(const TdxBarItemClickEvent& Value) { onClickItem_ = Value; }
  // The docked bar's panel (made when the form has been read); null before.
  TPanel* DockControl() const { return dock_; }
  // The bar's button of Item; null when Item is on no bar.
  TButton* ButtonOf(TdxBarItem* Item) const;

protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TdxBarItem;
  void buttonClick(TObject* Sender);
  std::string barCaption_ = "Principal";
  TStringList* barItems_;
  TFont* font_;
  TPanel* dock_ = nullptr;
  std::vector<std::pair<TButton*, TdxBarItem*>> buttons_;
  TdxBarItemClickEvent onClickItem_;
};
