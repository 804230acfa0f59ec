#include "dx/bars/dxsbar.h"

#include <algorithm>

#include "platform/gui/GuiPublish.h"

namespace {
constexpr Integer kHeaderHeight = 22;
}

TdxSideBar::TdxSideBar(TComponent* AOwner)
    : TCustomPanel(AOwner), items_(new TStringList), itemHints_(new TStringList) {
  SetWidth(105);
  SetBevelOuter(bvLowered);
}

TdxSideBar::~TdxSideBar() {
  delete items_;
  delete itemHints_;
}

void TdxSideBar::SetGroupCaption(const std::string& Value) {
  groupCaption_ = Value;
  Invalidate();
}

void TdxSideBar::Loaded() {
  TCustomPanel::Loaded();
  rebuild();
}

void TdxSideBar::rebuild() {
  // Each freed button takes itself out of the list (Notification): free from a copy.
  std::vector<TButton*> old;
  old.swap(buttons_);
  for (TButton* b : old) delete b;
  Integer y = kHeaderHeight + 8;
  for (Integer i = 0; i < items_->Count(); ++i) {
    auto* b = new TButton(this);
    b->SetParent(this);
    b->SetCaption(items_->Strings(i));
    if (i < itemHints_->Count()) b->SetHint(itemHints_->Strings(i));
    b->SetShowHint(true);
    b->SetTabStop(false);
    b->SetBounds(10, y, Width() - 20, 40);
    b->SetOnClick(TNotifyEvent(this, &TdxSideBar::buttonClick));
    buttons_.push_back(b);
    y += 48;
  }
}

void TdxSideBar::buttonClick(TObject* Sender) {
  auto it = std::find(buttons_.begin(), buttons_.end(), Sender);
  if (it != buttons_.end() && onItemClick_) onItemClick_(this, static_cast<Integer>(it - buttons_.begin()));
}

void TdxSideBar::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetColor(clBtnShadow);
  c->FillRect(r);
  TRect header{0, 0, r.right, kHeaderHeight};
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(header);
  c->Font()->Assign(Font());
  c->Font()->SetColor(clBtnText);
  TSize ext = c->TextExtent(groupCaption_);
  c->TextOut((r.right - ext.cx) / 2, (kHeaderHeight - ext.cy) / 2, groupCaption_);
}

void TdxSideBar::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomPanel::Notification(AComponent, Operation);
  if (Operation == opRemove) {
    if (AComponent == largeImages_) largeImages_ = nullptr;
    // By identity: the departing component is compared, never dereferenced.
    std::erase_if(buttons_, [AComponent](TButton* b) { return static_cast<TComponent*>(b) == AComponent; });
  }
}

RTL_BEGIN_CLASS(TdxSideBar)
  using T = TdxSideBar;
  publishPlacement(b);
  PUBLISH(GroupCaption);
  PUBLISH(Items);
  PUBLISH(ItemHints);
  PUBLISH(LargeImages);
  PUBLISH(Visible).Default(true);
  PUBLISH(OnItemClick);
RTL_END_CLASS
