#pragma once
// dxsbar: the side bar.
//
// Present behaviour: a panel (normally docked left) showing its group's caption as a header
// and one flat button per item (caption, hint) below it; the items' clicks fire OnItemClick
// with the item's index. Not yet: several groups, large and small icons from the image
// lists, group switching, drag and drop and the painted side-bar look.
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/StdCtrls.h"

using TdxSideBarItemClickEvent = TEvent<void(TObject* Sender, Integer Index)>;

class TdxSideBar : public TCustomPanel {
  RTL_DECLARE_CLASS(TdxSideBar, TCustomPanel)
public:
  explicit TdxSideBar(TComponent* AOwner);
  ~TdxSideBar() override;
  const std::string& GroupCaption() const { return groupCaption_; }
  void SetGroupCaption(const std::string& Value);
  // Item captions, one per line.
  TStrings* Items() const { return items_; }
  void SetItems(TStrings* Value) { items_->Assign(Value); }
  // Item hints, in the items' order.
  TStrings* ItemHints() const { return itemHints_; }
  void SetItemHints(TStrings* Value) { itemHints_->Assign(Value); }
  TCustomImageList* LargeImages() const { return largeImages_; }
  void SetLargeImages(TCustomImageList* Value) { largeImages_ = Value; }
  const TdxSideBarItemClickEvent& OnItemClick() const { return onItemClick_; }
  void SetOnItemClick(const TdxSideBarItemClickEvent& Value) { onItemClick_ = Value; }
  Integer ButtonCount() const { return static_cast<Integer>(buttons_.size()); }
  TButton* Buttons(Integer Index) const { return buttons_.at(Index); }

protected:
  void Loaded() override;
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void rebuild();
  void buttonClick(TObject* Sender);
  std::string groupCaption_;
  TStringList* items_;
  TStringList* itemHints_;
  TCustomImageList* largeImages_ = nullptr;
  std::vector<TButton*> buttons_;
  TdxSideBarItemClickEvent onItemClick_;
};
