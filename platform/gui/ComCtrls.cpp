// ComCtrls: tab and page controls, tree view, rich edit and progress bar.
#include "platform/gui/ComCtrls.h"

#include <algorithm>
#include <cstring>

#include "platform/gui/Forms.h"
#include "platform/gui/GuiPublish.h"
#include "platform/gui/Themes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Scoped.h"

namespace {

const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SInsertLineError = "Unable to insert a line";

std::string listIndexError(Integer Index) { return Format(SListIndexError, Index); }

}  // namespace

// =======================================================================================
// Tab control
// =======================================================================================

// The tabs of a tab control: kept here and shown by the control's window whenever it has
// one.
class TTabStrings : public TStrings {
  RTL_DECLARE_CLASS(TTabStrings, TStrings)
public:
  explicit TTabStrings(TCustomTabControl* TabControl) : tabControl_(TabControl) {}

  Integer GetCount() const override { return static_cast<Integer>(tabs_.size()); }

  std::string Get(Integer Index) const override {
    check(Index);
    return tabs_[static_cast<size_t>(Index)].Text;
  }

  TObject* GetObject(Integer Index) const override {
    check(Index);
    return tabs_[static_cast<size_t>(Index)].Object;
  }

  void Put(Integer Index, const std::string& S) override {
    check(Index);
    tabs_[static_cast<size_t>(Index)].Text = S;
    if (HWND h = tabControl_->WindowHandle()) {
      TCITEMA item{};
      item.mask = TCIF_TEXT | TCIF_IMAGE;
      item.pszText = const_cast<char*>(S.c_str());
      item.iImage = tabControl_->GetImageIndex(Index);
      SendMessageA(h, TCM_SETITEMA, Index, reinterpret_cast<LPARAM>(&item));
    }
    tabControl_->TabsChanged();
  }

  void PutObject(Integer Index, TObject* AObject) override {
    check(Index);
    tabs_[static_cast<size_t>(Index)].Object = AObject;
  }

  void Insert(Integer Index, const std::string& S) override {
    if (Index < 0 || Index > GetCount()) Error(SListIndexError, Index);
    tabs_.insert(tabs_.begin() + Index, Tab{S, nullptr});
    // The first tab becomes the selected one, as in the system's control.
    bool wasEmpty = tabs_.size() == 1;
    if (HWND h = tabControl_->WindowHandle()) {
      insertIntoWindow(h, Index);
      if (wasEmpty && SendMessageA(h, TCM_GETCURSEL, 0, 0) < 0) SendMessageA(h, TCM_SETCURSEL, 0, 0);
    } else if (wasEmpty) {
      tabControl_->tabIndex_ = 0;
    } else if (tabControl_->tabIndex_ >= Index) {
      ++tabControl_->tabIndex_;
    }
    tabControl_->TabsChanged();
  }

  void Delete(Integer Index) override {
    check(Index);
    tabs_.erase(tabs_.begin() + Index);
    if (HWND h = tabControl_->WindowHandle()) {
      SendMessageA(h, TCM_DELETEITEM, Index, 0);
    } else if (tabControl_->tabIndex_ == Index) {
      tabControl_->tabIndex_ = -1;
    } else if (tabControl_->tabIndex_ > Index) {
      --tabControl_->tabIndex_;
    }
    tabControl_->TabsChanged();
  }

  void Clear() override {
    tabs_.clear();
    if (HWND h = tabControl_->WindowHandle()) SendMessageA(h, TCM_DELETEALLITEMS, 0, 0);
    tabControl_->tabIndex_ = -1;
    tabControl_->TabsChanged();
  }

  // Shows every tab in a new window.
  void fillWindow(HWND Window) {
    for (Integer i = 0; i < GetCount(); ++i) insertIntoWindow(Window, i);
  }

protected:
  void SetUpdateState(bool Updating) override {
    tabControl_->updating_ = Updating;
    if (HWND h = tabControl_->WindowHandle()) {
      SendMessageA(h, WM_SETREDRAW, Updating ? FALSE : TRUE, 0);
      if (!Updating) InvalidateRect(h, nullptr, TRUE);
    }
    if (!Updating) tabControl_->TabsChanged();
  }

private:
  struct Tab {
    std::string Text;
    TObject* Object;
  };

  void check(Integer Index) const {
    if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
  }

  void insertIntoWindow(HWND Window, Integer Index) {
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<char*>(tabs_[static_cast<size_t>(Index)].Text.c_str());
    item.iImage = tabControl_->GetImageIndex(Index);
    if (SendMessageA(Window, TCM_INSERTITEMA, Index, reinterpret_cast<LPARAM>(&item)) < 0)
      throw EOutOfResources(SInsertLineError);
  }

  TCustomTabControl* tabControl_;
  std::vector<Tab> tabs_;
};

RTL_IMPLEMENT_CLASS(TTabStrings)

TCustomTabControl::TCustomTabControl(TComponent* AOwner) : TWinControl(AOwner) {
  controlStyle_ = TControlStyle{csAcceptsControls, csDoubleClicks};
  width_ = 289;
  height_ = 193;
  SetTabStop(true);
  tabs_ = new TTabStrings(this);
  canvas_ = MakeControlCanvas(this);
  imageChangeLink_ = new TChangeLink();
  imageChangeLink_->SetOnChange(TNotifyEvent(this, &TCustomTabControl::imageListChange));
}

TCustomTabControl::~TCustomTabControl() {
  delete imageChangeLink_;
  delete tabs_;
  tabs_ = nullptr;
}

void TCustomTabControl::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "SysTabControl32");
  DWORD style = WS_CLIPCHILDREN;
  switch (tabPosition_) {
    case tpTop: break;
    case tpBottom: style |= TCS_BOTTOM; break;
    case tpLeft: style |= TCS_VERTICAL | TCS_MULTILINE; break;
    case tpRight: style |= TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE; break;
  }
  switch (style_) {
    case tsTabs: style |= TCS_TABS; break;
    case tsButtons: style |= TCS_BUTTONS; break;
    case tsFlatButtons: style |= TCS_BUTTONS | TCS_FLATBUTTONS; break;
  }
  if (raggedRight_) style |= TCS_RAGGEDRIGHT;
  if (!TabStop()) style |= TCS_FOCUSNEVER;
  if (multiLine_) style |= TCS_MULTILINE;
  if (multiSelect_) style |= TCS_MULTISELECT;
  if (ownerDraw_) style |= TCS_OWNERDRAWFIXED;
  if (tabWidth_ != 0) style |= TCS_FIXEDWIDTH;
  if (hotTrack_ && !ComponentState().Contains(csDesigning)) style |= TCS_HOTTRACK;
  if (scrollOpposite_) style |= TCS_SCROLLOPPOSITE;
  Params.Style |= style;
  Params.WindowClass.style = (Params.WindowClass.style & ~(CS_HREDRAW | CS_VREDRAW)) | CS_DBLCLKS;
}

void TCustomTabControl::CreateWnd() {
  TWinControl::CreateWnd();
  HWND h = WindowHandle();
  if (images_) SendMessageA(h, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_->Handle()));
  applyTabSize();
  static_cast<TTabStrings*>(tabs_)->fillWindow(h);
  SendMessageA(h, TCM_SETCURSEL, static_cast<WPARAM>(tabIndex_), 0);
  TabsChanged();
}

void TCustomTabControl::DestroyWnd() {
  if (WindowHandle()) tabIndex_ = static_cast<Integer>(SendMessageA(WindowHandle(), TCM_GETCURSEL, 0, 0));
  TWinControl::DestroyWnd();
}

void TCustomTabControl::applyTabSize() {
  if (WindowHandle() && (tabWidth_ != 0 || tabHeight_ != 0))
    SendMessageA(WindowHandle(), TCM_SETITEMSIZE, 0, MAKELPARAM(tabWidth_, tabHeight_));
}

Integer TCustomTabControl::TabIndex() {
  if (WindowHandle()) return static_cast<Integer>(SendMessageA(WindowHandle(), TCM_GETCURSEL, 0, 0));
  return tabIndex_;
}

void TCustomTabControl::SetTabIndex(Integer Value) {
  if (Value < -1 || Value >= tabs_->Count()) Value = -1;
  tabIndex_ = Value;
  if (WindowHandle()) SendMessageA(WindowHandle(), TCM_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

TRect TCustomTabControl::DisplayRect() {
  TRect r = ClientRect();
  if (WindowHandle()) {
    SendMessageA(WindowHandle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  // Without a window: the usual room the tabs and the border take.
  Integer tabs = tabs_->Count() > 0 ? 22 : 0;
  InflateRect(r, -4, -4);
  switch (tabPosition_) {
    case tpTop: r.top += tabs; break;
    case tpBottom: r.bottom -= tabs; break;
    case tpLeft: r.left += tabs; break;
    case tpRight: r.right -= tabs; break;
  }
  return r;
}

void TCustomTabControl::AdjustClientRect(TRect& Rect) {
  Rect = DisplayRect();
  TWinControl::AdjustClientRect(Rect);
}

Integer TCustomTabControl::IndexOfTabAt(Integer X, Integer Y) {
  if (!WindowHandle()) return -1;
  TCHITTESTINFO info{};
  info.pt = Point(X, Y);
  return static_cast<Integer>(SendMessageA(WindowHandle(), TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
}

TRect TCustomTabControl::TabRect(Integer Index) {
  TRect r{0, 0, 0, 0};
  if (WindowHandle()) SendMessageA(WindowHandle(), TCM_GETITEMRECT, Index, reinterpret_cast<LPARAM>(&r));
  return r;
}

Integer TCustomTabControl::RowCount() {
  return WindowHandle() ? static_cast<Integer>(SendMessageA(WindowHandle(), TCM_GETROWCOUNT, 0, 0)) : 1;
}

void TCustomTabControl::ScrollTabs(Integer Delta) {
  HWND h = WindowHandle();
  if (!h) return;
  // A single row that does not fit scrolls with the up-down control inside the tab control.
  HWND upDown = FindWindowExA(h, nullptr, "msctls_updown32", nullptr);
  if (!upDown) return;
  Integer pos = LOWORD(SendMessageA(upDown, UDM_GETPOS, 0, 0));
  Integer newPos = std::clamp(pos + Delta, 0, std::max(0, tabs_->Count() - 1));
  SendMessageA(upDown, UDM_SETPOS, 0, newPos);
  SendMessageA(h, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, newPos), reinterpret_cast<LPARAM>(upDown));
}

bool TCustomTabControl::CanChange() {
  bool allow = true;
  if (onChanging_) onChanging_(this, allow);
  return allow;
}

void TCustomTabControl::Change() {
  if (onChange_) onChange_(this);
}

void TCustomTabControl::DrawTab(Integer TabIndex, const TRect& Rect, bool Active) {
  if (onDrawTab_) {
    onDrawTab_(this, TabIndex, Rect, Active);
    return;
  }
  canvas_->FillRect(Rect);
  if (TabIndex >= 0 && TabIndex < tabs_->Count()) {
    TRect r = Rect;
    std::string text = tabs_->Strings(TabIndex);
    canvas_->Brush()->SetStyle(bsClear);
    canvas_->RequiredState(TCanvasStates{csHandleValid, csFontValid, csBrushValid});
    DrawTextA(canvas_->Handle(), text.c_str(), static_cast<int>(text.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

Integer TCustomTabControl::GetImageIndex(Integer TabIndex) {
  Integer index = TabIndex;
  if (onGetImageIndex_) onGetImageIndex_(this, TabIndex, index);
  return index;
}

void TCustomTabControl::UpdateTabImages() {
  HWND h = WindowHandle();
  if (!h) return;
  for (Integer i = 0; i < tabs_->Count(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_IMAGE;
    item.iImage = GetImageIndex(i);
    SendMessageA(h, TCM_SETITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
}

void TCustomTabControl::TabsChanged() {
  if (!updating_ && WindowHandle()) Realign();
}

void TCustomTabControl::imageListChange(TObject*) {
  if (WindowHandle() && images_) SendMessageA(WindowHandle(), TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_->Handle()));
  UpdateTabImages();
  Realign();
}

void TCustomTabControl::SetImages(TCustomImageList* Value) {
  if (images_ == Value) return;
  if (images_) {
    images_->UnRegisterChanges(imageChangeLink_);
    images_->RemoveFreeNotification(this);
  }
  images_ = Value;
  if (images_) {
    images_->RegisterChanges(imageChangeLink_);
    images_->FreeNotification(this);
  }
  if (WindowHandle())
    SendMessageA(WindowHandle(), TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_ ? images_->Handle() : nullptr));
  UpdateTabImages();
  Realign();
}

void TCustomTabControl::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) SetImages(nullptr);
}

void TCustomTabControl::SetHotTrack(bool Value) {
  if (hotTrack_ == Value) return;
  hotTrack_ = Value;
  RecreateWnd();
}

void TCustomTabControl::SetMultiLine(bool Value) {
  if (multiLine_ == Value) return;
  multiLine_ = Value;
  if (!Value && (tabPosition_ == tpLeft || tabPosition_ == tpRight)) tabPosition_ = tpTop;
  RecreateWnd();
}

void TCustomTabControl::SetMultiSelect(bool Value) {
  if (multiSelect_ == Value) return;
  multiSelect_ = Value;
  RecreateWnd();
}

void TCustomTabControl::SetOwnerDraw(bool Value) {
  if (ownerDraw_ == Value) return;
  ownerDraw_ = Value;
  RecreateWnd();
}

void TCustomTabControl::SetRaggedRight(bool Value) {
  if (raggedRight_ == Value) return;
  raggedRight_ = Value;
  RecreateWnd();
}

void TCustomTabControl::SetScrollOpposite(bool Value) {
  if (scrollOpposite_ == Value) return;
  scrollOpposite_ = Value;
  if (Value) multiLine_ = true;
  RecreateWnd();
}

void TCustomTabControl::SetStyle(TTabStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  RecreateWnd();
}

void TCustomTabControl::SetTabHeight(SmallInt Value) {
  if (tabHeight_ == Value) return;
  tabHeight_ = Value;
  applyTabSize();
  Realign();
}

void TCustomTabControl::SetTabWidth(SmallInt Value) {
  if (tabWidth_ == Value) return;
  bool fixedChanged = (tabWidth_ == 0) != (Value == 0);
  tabWidth_ = Value;
  if (fixedChanged) RecreateWnd();
  else applyTabSize();
}

void TCustomTabControl::SetTabPosition(TTabPosition Value) {
  if (tabPosition_ == Value) return;
  tabPosition_ = Value;
  if (Value == tpLeft || Value == tpRight) multiLine_ = true;
  RecreateWnd();
}

void TCustomTabControl::CNNotify(TWMNotify& Message) {
  switch (Message.NMHdr->code) {
    case TCN_SELCHANGE:
      Change();
      break;
    case TCN_SELCHANGING:
      // A non-zero result keeps the current tab.
      Message.Result = CanChange() ? 0 : 1;
      break;
  }
}

void TCustomTabControl::CNDrawItem(TWMDrawItem& Message) {
  DRAWITEMSTRUCT& dis = *Message.DrawItemStruct;
  int saved = SaveDC(dis.hDC);
  canvas_->Lock();
  canvas_->SetHandle(dis.hDC);
  canvas_->SetFont(Font());
  canvas_->SetBrush(Brush());
  {
    ScopeExit atEnd([&] { canvas_->SetHandle(nullptr); canvas_->Unlock(); RestoreDC(dis.hDC, saved); });
    DrawTab(static_cast<Integer>(dis.itemID), dis.rcItem, (dis.itemState & ODS_SELECTED) != 0);
  }
  Message.Result = 1;
}

void TCustomTabControl::CMFontChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (WindowHandle()) Realign();
}

void TCustomTabControl::CMTabStopChanged(TMessage&) {
  if (!ComponentState().Contains(csDesigning)) RecreateWnd();
}

void TCustomTabControl::WMLButtonDblClk(TWMMouse& Message) {
  // The system's tab control knows no double click: a quick second press on another tab
  // selects it as a first press does.
  TMessage press = reinterpret_cast<TMessage&>(Message);
  press.Msg = WM_LBUTTONDOWN;
  DefaultHandler(press);
  INHERITED_MESSAGE(Message);
}

void TCustomTabControl::WMSize(TWMSize& Message) {
  INHERITED_MESSAGE(Message);
  // The rows of a multi-line control follow the width, and the display area with them.
  if (multiLine_) Realign();
}

// =======================================================================================
// Page control
// =======================================================================================

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  SetAlign(alClient);
  controlStyle_ += TControlStyle{csAcceptsControls, csNoDesignVisible, csParentBackground};
  visible_ = false;
}

TTabSheet::~TTabSheet() {
  if (pageControl_) pageControl_->removePage(this);
}

void TTabSheet::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TTabSheet::SetPageControl(TPageControl* Value) { SetParent(Value); }

void TTabSheet::SetParent(TWinControl* AParent) {
  if (AParent == Parent()) {
    TWinControl::SetParent(AParent);
    return;
  }
  if (pageControl_) pageControl_->removePage(this);
  TWinControl::SetParent(AParent);
  if (auto* pc = dynamic_cast<TPageControl*>(AParent)) pc->insertPage(this);
}

void TTabSheet::ReadState(TReader* Reader) {
  TWinControl::ReadState(Reader);
  if (auto* pc = dynamic_cast<TPageControl*>(Parent()); pc && pageControl_ != pc) pc->insertPage(this);
}

Integer TTabSheet::PageIndex() {
  if (!pageControl_) return -1;
  auto& pages = pageControl_->pages_;
  auto it = std::find(pages.begin(), pages.end(), this);
  return it == pages.end() ? -1 : static_cast<Integer>(it - pages.begin());
}

void TTabSheet::SetPageIndex(Integer Value) {
  if (!pageControl_) return;
  auto& pages = pageControl_->pages_;
  Integer last = static_cast<Integer>(pages.size()) - 1;
  if (Value < 0 || Value > last)
    throw EListError(Format("%d is an invalid PageIndex value.  PageIndex must be between 0 and %d", Value, last));
  Integer oldTab = TabIndex();
  Integer current = PageIndex();
  pages.erase(pages.begin() + current);
  pages.insert(pages.begin() + Value, this);
  if (oldTab >= 0) pageControl_->moveTab(oldTab, TabIndex());
}

Integer TTabSheet::TabIndex() {
  if (!tabShowing_ || !pageControl_) return -1;
  Integer result = 0;
  for (TTabSheet* page : pageControl_->pages_) {
    if (page == this) break;
    if (page->tabShowing_) ++result;
  }
  return result;
}

void TTabSheet::SetTabVisible(bool Value) {
  if (tabVisible_ == Value) return;
  tabVisible_ = Value;
  updateTabShowing();
}

void TTabSheet::setTabShowing(bool Value) {
  if (tabShowing_ == Value) return;
  if (Value) {
    tabShowing_ = true;
    pageControl_->insertTab(this);
  } else {
    Integer index = TabIndex();
    tabShowing_ = false;
    pageControl_->deleteTab(this, index);
  }
}

void TTabSheet::updateTabShowing() { setTabShowing(pageControl_ && tabVisible_); }

void TTabSheet::SetImageIndex(TImageIndex Value) {
  if (imageIndex_ == Value) return;
  imageIndex_ = Value;
  if (tabShowing_) pageControl_->updateTab(this);
}

void TTabSheet::SetHighlighted(bool Value) {
  if (highlighted_ == Value) return;
  highlighted_ = Value;
  if (tabShowing_ && pageControl_->WindowHandle())
    SendMessageA(pageControl_->WindowHandle(), TCM_HIGHLIGHTITEM, TabIndex(), MAKELPARAM(Value ? 1 : 0, 0));
}

void TTabSheet::DoHide() {
  if (onHide_) onHide_(this);
}

void TTabSheet::DoShow() {
  if (onShow_) onShow_(this);
}

void TTabSheet::CMTextChanged(TMessage&) {
  if (tabShowing_) pageControl_->updateTab(this);
}

void TTabSheet::CMShowingChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (Showing()) DoShow();
  else DoHide();
}

void TTabSheet::WMEraseBkgnd(TWMEraseBkgnd& Message) {
  TThemeServices* themes = ThemeServices();
  if (themes->ThemesEnabled() && ParentBackground()) {
    TRect r = ClientRect();
    themes->DrawElement(Message.DC, themes->GetElementDetails(ttBody), r);
    Message.Result = 1;
    return;
  }
  INHERITED_MESSAGE(Message);
}

TPageControl::TPageControl(TComponent* AOwner) : TCustomTabControl(AOwner) {
  controlStyle_ = TControlStyle{csDoubleClicks, csOpaque};
}

TPageControl::~TPageControl() {
  for (TTabSheet* page : pages_) page->pageControl_ = nullptr;
  pages_.clear();
  activePage_ = nullptr;
}

TTabSheet* TPageControl::Pages(Integer Index) const {
  if (Index < 0 || Index >= PageCount()) throw EListError(listIndexError(Index));
  return pages_[static_cast<size_t>(Index)];
}

Integer TPageControl::ActivePageIndex() { return activePage_ ? activePage_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(Integer Value) {
  if (Value >= 0 && Value < PageCount()) SetActivePage(pages_[static_cast<size_t>(Value)]);
  else SetActivePage(nullptr);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) {
  if (pages_.empty()) return nullptr;
  Integer count = PageCount();
  auto it = std::find(pages_.begin(), pages_.end(), CurPage);
  Integer start = it == pages_.end() ? (GoForward ? count - 1 : 0) : static_cast<Integer>(it - pages_.begin());
  Integer i = start;
  do {
    if (GoForward) {
      if (++i == count) i = 0;
    } else {
      if (i == 0) i = count;
      --i;
    }
    TTabSheet* page = pages_[static_cast<size_t>(i)];
    if (!CheckTabVisible || page->TabVisible()) return page;
  } while (i != start);
  return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward, bool CheckTabVisible) {
  TTabSheet* page = FindNextPage(activePage_, GoForward, CheckTabVisible);
  if (page && page != activePage_ && CanChange()) {
    SetActivePage(page);
    Change();
  }
}

void TPageControl::changeActivePage(TTabSheet* Page) {
  if (activePage_ == Page) return;
  TCustomForm* form = GetParentForm(this);
  if (form && activePage_ && form->ActiveControl() && activePage_->ContainsControl(form->ActiveControl())) {
    // The focus leaves the old page first; a control that keeps it keeps the page too.
    form->SetActiveControl(activePage_);
    if (form->ActiveControl() != activePage_) {
      SetTabIndex(activePage_->TabIndex());
      return;
    }
  }
  if (Page) {
    Page->BringToFront();
    Page->SetVisible(true);
    if (form && activePage_ && form->ActiveControl() == activePage_) {
      if (Page->CanFocus()) form->SetActiveControl(Page);
      else form->SetActiveControl(this);
    }
  }
  if (activePage_) activePage_->SetVisible(false);
  activePage_ = Page;
  if (form && activePage_ && form->ActiveControl() == activePage_) activePage_->SelectFirst();
}

void TPageControl::SetActivePage(TTabSheet* Page) {
  if (Page && Page->PageControl() != this) return;
  changeActivePage(Page);
  if (!Page) SetTabIndex(-1);
  else if (Page == activePage_) SetTabIndex(Page->TabIndex());
}

void TPageControl::updateActivePage() {
  Integer index = TabIndex();
  if (index >= 0 && index < Tabs()->Count()) SetActivePage(static_cast<TTabSheet*>(Tabs()->Objects(index)));
  else SetActivePage(nullptr);
}

void TPageControl::Change() {
  updateActivePage();
  TCustomTabControl::Change();
}

void TPageControl::insertPage(TTabSheet* Page) {
  pages_.push_back(Page);
  Page->pageControl_ = this;
  Page->updateTabShowing();
}

void TPageControl::removePage(TTabSheet* Page) {
  TTabSheet* next = FindNextPage(Page, true, !ComponentState().Contains(csDesigning));
  if (next == Page) next = nullptr;
  Page->setTabShowing(false);
  Page->pageControl_ = nullptr;
  pages_.erase(std::remove(pages_.begin(), pages_.end(), Page), pages_.end());
  if (activePage_ == Page) {
    activePage_ = nullptr;
    SetActivePage(next);
  } else if (activePage_) {
    SetTabIndex(activePage_->TabIndex());
  }
}

void TPageControl::insertTab(TTabSheet* Page) {
  Tabs()->InsertObject(Page->TabIndex(), Page->Caption(), Page);
  updateActivePage();
}

void TPageControl::deleteTab(TTabSheet* Page, Integer Index) {
  bool wasActive = Page == activePage_;
  Tabs()->Delete(Index);
  if (wasActive) {
    if (Index >= Tabs()->Count()) Index = Tabs()->Count() - 1;
    SetTabIndex(Index);
  }
  updateActivePage();
}

void TPageControl::moveTab(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  TObject* page = Tabs()->Objects(CurIndex);
  std::string caption = Tabs()->Strings(CurIndex);
  Tabs()->BeginUpdate();
  Tabs()->Delete(CurIndex);
  Tabs()->InsertObject(NewIndex, caption, page);
  Tabs()->EndUpdate();
  if (activePage_) SetTabIndex(activePage_->TabIndex());
}

void TPageControl::updateTab(TTabSheet* Page) {
  Integer index = Page->TabIndex();
  if (index >= 0) Tabs()->SetStrings(index, Page->Caption());
}

Integer TPageControl::GetImageIndex(Integer TabIndex) {
  Integer result = TabIndex;
  if (TabIndex >= 0 && TabIndex < Tabs()->Count())
    if (auto* page = dynamic_cast<TTabSheet*>(Tabs()->Objects(TabIndex))) result = page->ImageIndex();
  if (OnGetImageIndex()) OnGetImageIndex()(this, TabIndex, result);
  return result;
}

void TPageControl::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (TTabSheet* page : pages_) Proc(page);
}

void TPageControl::SetChildOrder(TComponent* Child, int Order) {
  if (auto* page = dynamic_cast<TTabSheet*>(Child)) page->SetPageIndex(Order);
}

void TPageControl::ShowControl(TControl* AControl) {
  if (auto* page = dynamic_cast<TTabSheet*>(AControl); page && page->PageControl() == this) SetActivePage(page);
  TCustomTabControl::ShowControl(AControl);
}

void TPageControl::Loaded() {
  TCustomTabControl::Loaded();
  if (!activePage_) updateActivePage();
}

void TPageControl::CMDialogKey(TCMDialogKey& Message) {
  HWND focus = GetFocus();
  bool mine = WindowHandle() && (focus == WindowHandle() || IsChild(WindowHandle(), focus));
  if (mine && Message.CharCode == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
    SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
    Message.Result = 1;
    return;
  }
  INHERITED_MESSAGE(Message);
}

// =======================================================================================
// Tree view
// =======================================================================================

namespace {

[[noreturn]] void treeViewError(const std::string& Message) { throw ETreeViewError(Message); }

// The node a window item belongs to (its lParam).
TTreeNode* nodeOfItem(const TVITEMA& Item) { return reinterpret_cast<TTreeNode*>(Item.lParam); }

// The window sorts children by their place in the node lists (already sorted).
int CALLBACK compareByPlace(LPARAM A, LPARAM B, LPARAM) {
  auto* a = reinterpret_cast<TTreeNode*>(A);
  auto* b = reinterpret_cast<TTreeNode*>(B);
  return a->Index() - b->Index();
}

}  // namespace

TTreeNode::TTreeNode(TTreeNodes* AOwner) : owner_(AOwner) {}

TTreeNode::~TTreeNode() {
  for (TTreeNode* child : children_) delete child;
}

TCustomTreeView* TTreeNode::TreeView() const { return owner_ ? owner_->Owner() : nullptr; }

HWND TTreeNode::Handle() const {
  TCustomTreeView* tv = TreeView();
  return tv ? tv->WindowHandle() : nullptr;
}

void TTreeNode::Assign(TPersistent* Source) {
  auto* node = dynamic_cast<TTreeNode*>(Source);
  if (!node) {
    TPersistent::Assign(Source);
    return;
  }
  SetText(node->text_);
  SetData(node->data_);
  SetImageIndex(node->imageIndex_);
  SetSelectedIndex(node->selectedIndex_);
  SetStateIndex(node->stateIndex_);
  SetOverlayIndex(node->overlayIndex_);
  SetHasChildren(node->hasChildren_);
  DeleteChildren();
  for (TTreeNode* child : node->children_) owner_->AddChild(this, "")->Assign(child);
}

void TTreeNode::updateItem(UINT Mask) {
  HWND h = Handle();
  if (!h || !itemId_) return;
  TVITEMA item{};
  item.hItem = itemId_;
  item.mask = Mask;
  item.pszText = const_cast<char*>(text_.c_str());
  item.iImage = I_IMAGECALLBACK;
  item.iSelectedImage = I_IMAGECALLBACK;
  item.cChildren = HasChildren() ? 1 : 0;
  item.state = static_cast<UINT>(INDEXTOSTATEIMAGEMASK(stateIndex_ >= 0 ? stateIndex_ : 0)) |
               (overlayIndex_ >= 0 ? INDEXTOOVERLAYMASK(overlayIndex_ + 1) : 0) | (cut_ ? TVIS_CUT : 0);
  item.stateMask = TVIS_STATEIMAGEMASK | TVIS_OVERLAYMASK | TVIS_CUT;
  SendMessageA(h, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::SetText(const std::string& Value) {
  text_ = Value;
  updateItem(TVIF_TEXT);
}

void TTreeNode::SetData(void* Value) { data_ = Value; }

void TTreeNode::SetImageIndex(TImageIndex Value) {
  imageIndex_ = Value;
  updateItem(TVIF_IMAGE | TVIF_SELECTEDIMAGE);
}

void TTreeNode::SetSelectedIndex(TImageIndex Value) {
  selectedIndex_ = Value;
  updateItem(TVIF_IMAGE | TVIF_SELECTEDIMAGE);
}

void TTreeNode::SetStateIndex(Integer Value) {
  stateIndex_ = Value;
  updateItem(TVIF_STATE);
}

void TTreeNode::SetOverlayIndex(Integer Value) {
  overlayIndex_ = Value;
  updateItem(TVIF_STATE);
}

void TTreeNode::SetHasChildren(bool Value) {
  hasChildren_ = Value;
  updateItem(TVIF_CHILDREN);
}

void TTreeNode::SetCut(bool Value) {
  cut_ = Value;
  updateItem(TVIF_STATE);
}

Integer TTreeNode::Level() const {
  Integer level = 0;
  for (TTreeNode* p = parent_; p; p = p->parent_) ++level;
  return level;
}

TTreeNode* TTreeNode::Item(Integer Index) const {
  if (Index < 0 || Index >= Count()) treeViewError(listIndexError(Index));
  return children_[static_cast<size_t>(Index)];
}

Integer TTreeNode::Index() const {
  const auto& siblings = parent_ ? parent_->children_ : owner_->roots_;
  auto it = std::find(siblings.begin(), siblings.end(), this);
  return it == siblings.end() ? -1 : static_cast<Integer>(it - siblings.begin());
}

Integer TTreeNode::AbsoluteIndex() const {
  Integer index = 0;
  for (TTreeNode* n = owner_->GetFirstNode(); n && n != this; n = n->GetNext()) ++index;
  return index;
}

Integer TTreeNode::IndexOf(TTreeNode* Value) const {
  auto it = std::find(children_.begin(), children_.end(), Value);
  return it == children_.end() ? -1 : static_cast<Integer>(it - children_.begin());
}

bool TTreeNode::Expanded() const {
  HWND h = Handle();
  if (h && itemId_) return (SendMessageA(h, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(itemId_), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
  return expanded_;
}

void TTreeNode::SetExpanded(bool Value) {
  if (Value) Expand(false);
  else Collapse(false);
}

void TTreeNode::Expand(bool Recurse) {
  TCustomTreeView* tv = TreeView();
  if (HasChildren() && !Expanded() && tv && tv->CanExpand(this)) {
    expanded_ = true;
    if (HWND h = Handle(); h && itemId_) {
      ++tv->programChange_;
      SendMessageA(h, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(itemId_));
      --tv->programChange_;
    }
    tv->Expand(this);
  }
  if (Recurse)
    for (TTreeNode* child : std::vector<TTreeNode*>(children_)) child->Expand(true);
}

void TTreeNode::Collapse(bool Recurse) {
  TCustomTreeView* tv = TreeView();
  if (Expanded() && tv && tv->CanCollapse(this)) {
    expanded_ = false;
    if (HWND h = Handle(); h && itemId_) {
      ++tv->programChange_;
      SendMessageA(h, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(itemId_));
      --tv->programChange_;
    }
    tv->Collapse(this);
  }
  if (Recurse)
    for (TTreeNode* child : std::vector<TTreeNode*>(children_)) child->Collapse(true);
}

bool TTreeNode::Selected() const {
  TCustomTreeView* tv = TreeView();
  return tv && tv->Selected() == this;
}

void TTreeNode::SetSelected(bool Value) {
  TCustomTreeView* tv = TreeView();
  if (!tv) return;
  if (Value) tv->SetSelected(const_cast<TTreeNode*>(this));
  else if (Selected()) tv->SetSelected(nullptr);
}

bool TTreeNode::Focused() const {
  HWND h = Handle();
  return h && itemId_ && (SendMessageA(h, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(itemId_), TVIS_FOCUSED) & TVIS_FOCUSED);
}

void TTreeNode::SetFocused(bool Value) {
  HWND h = Handle();
  if (!h || !itemId_) return;
  TVITEMA item{};
  item.hItem = itemId_;
  item.mask = TVIF_STATE;
  item.state = Value ? TVIS_FOCUSED : 0;
  item.stateMask = TVIS_FOCUSED;
  SendMessageA(h, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

bool TTreeNode::DropTarget() const {
  TCustomTreeView* tv = TreeView();
  return tv && tv->DropTarget() == this;
}

void TTreeNode::SetDropTarget(bool Value) {
  TCustomTreeView* tv = TreeView();
  if (!tv) return;
  if (Value) tv->SetDropTarget(this);
  else if (DropTarget()) tv->SetDropTarget(nullptr);
}

bool TTreeNode::IsVisible() const {
  for (TTreeNode* p = parent_; p; p = p->parent_)
    if (!p->Expanded()) return false;
  return true;
}

TTreeNode* TTreeNode::GetNextSibling() const {
  const auto& siblings = parent_ ? parent_->children_ : owner_->roots_;
  auto it = std::find(siblings.begin(), siblings.end(), this);
  if (it == siblings.end() || ++it == siblings.end()) return nullptr;
  return *it;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  const auto& siblings = parent_ ? parent_->children_ : owner_->roots_;
  auto it = std::find(siblings.begin(), siblings.end(), this);
  if (it == siblings.end() || it == siblings.begin()) return nullptr;
  return *(it - 1);
}

TTreeNode* TTreeNode::GetNext() const {
  if (!children_.empty()) return children_.front();
  for (const TTreeNode* n = this; n; n = n->parent_)
    if (TTreeNode* next = n->GetNextSibling()) return next;
  return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const {
  TTreeNode* prev = GetPrevSibling();
  if (!prev) return parent_;
  while (!prev->children_.empty()) prev = prev->children_.back();
  return prev;
}

TTreeNode* TTreeNode::GetNextVisible() const {
  if (!IsVisible()) return nullptr;
  if (!children_.empty() && Expanded()) return children_.front();
  for (const TTreeNode* n = this; n; n = n->parent_)
    if (TTreeNode* next = n->GetNextSibling()) return next;
  return nullptr;
}

TTreeNode* TTreeNode::GetPrevVisible() const {
  if (!IsVisible()) return nullptr;
  TTreeNode* prev = GetPrevSibling();
  if (!prev) return parent_;
  while (!prev->children_.empty() && prev->Expanded()) prev = prev->children_.back();
  return prev;
}

TTreeNode* TTreeNode::GetNextChild(TTreeNode* Value) const { return Value ? Value->GetNextSibling() : nullptr; }

TTreeNode* TTreeNode::GetPrevChild(TTreeNode* Value) const { return Value ? Value->GetPrevSibling() : nullptr; }

bool TTreeNode::HasAsParent(TTreeNode* Value) const {
  if (!Value) return false;
  for (TTreeNode* p = parent_; p; p = p->parent_)
    if (p == Value) return true;
  return false;
}

void TTreeNode::MakeVisible() {
  for (TTreeNode* p = parent_; p; p = p->parent_) p->Expand(false);
  if (HWND h = Handle(); h && itemId_) SendMessageA(h, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(itemId_));
}

void TTreeNode::insertInto(TTreeNode* Parent, size_t Position) {
  auto& siblings = Parent ? Parent->children_ : owner_->roots_;
  Position = std::min(Position, siblings.size());
  siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(Position), this);
  parent_ = Parent;
}

void TTreeNode::detach() {
  auto& siblings = parent_ ? parent_->children_ : owner_->roots_;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  parent_ = nullptr;
}

void TTreeNode::Delete() {
  if (deleting_) return;
  TCustomTreeView* tv = TreeView();
  if (tv) tv->removeItem(this);
  detach();
  if (tv) tv->discard(this);
  else delete this;
}

void TTreeNode::DeleteChildren() {
  for (TTreeNode* child : std::vector<TTreeNode*>(children_)) child->Delete();
}

void TTreeNode::MoveTo(TTreeNode* Destination, TNodeAttachMode Mode) {
  bool asChild = Mode == naAddChild || Mode == naAddChildFirst;
  if (Destination == this || (Destination && Destination->HasAsParent(this)))
    treeViewError("A node cannot be moved into itself");
  if (!asChild && Destination == nullptr && Mode == naInsert) Mode = naAdd;
  TCustomTreeView* tv = TreeView();
  bool wasSelected = false;
  if (tv) {
    TTreeNode* selected = tv->Selected();
    wasSelected = selected == this || (selected && selected->HasAsParent(this));
    if (wasSelected) tv->selected_ = selected;
    tv->removeItem(this);
  }
  detach();
  owner_->AddNode(this, Destination, text_, data_, Mode);
  if (tv && wasSelected && tv->WindowHandle()) {
    TTreeNode* selected = tv->selected_;
    ++tv->programChange_;
    SendMessageA(tv->WindowHandle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(selected->itemId_));
    --tv->programChange_;
  }
}

bool TTreeNode::EditText() {
  HWND h = Handle();
  return h && itemId_ && SendMessageA(h, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(itemId_)) != 0;
}

void TTreeNode::EndEdit(bool Cancel) {
  if (HWND h = Handle()) SendMessageA(h, TVM_ENDEDITLABELNOW, Cancel ? TRUE : FALSE, 0);
}

TRect TTreeNode::DisplayRect(bool TextOnly) const {
  TRect r{0, 0, 0, 0};
  HWND h = Handle();
  if (!h || !itemId_) return r;
  // TVM_GETITEMRECT takes the item in the rectangle it fills.
  HTREEITEM item = itemId_;
  std::memcpy(&r, &item, sizeof item);
  if (!SendMessageA(h, TVM_GETITEMRECT, TextOnly ? TRUE : FALSE, reinterpret_cast<LPARAM>(&r))) r = TRect{0, 0, 0, 0};
  return r;
}

void TTreeNode::sortChildren(const std::function<bool(TTreeNode*, TTreeNode*)>& Less, bool Recurse) {
  std::stable_sort(children_.begin(), children_.end(), Less);
  if (TCustomTreeView* tv = TreeView()) tv->sortWindowChildren(this, false);
  if (Recurse)
    for (TTreeNode* child : children_) child->sortChildren(Less, true);
}

bool TTreeNode::AlphaSort(bool ARecurse) {
  TCustomTreeView* tv = TreeView();
  if (!tv) return false;
  sortChildren([tv](TTreeNode* a, TTreeNode* b) { return tv->CompareNodes(a, b) < 0; }, ARecurse);
  return true;
}

bool TTreeNode::CustomSort(TTVCompare SortProc, NativeInt Data, bool ARecurse) {
  if (!SortProc) return AlphaSort(ARecurse);
  sortChildren([SortProc, Data](TTreeNode* a, TTreeNode* b) { return SortProc(a, b, Data) < 0; }, ARecurse);
  return true;
}

// ---------------------------------------------------------------------------------------
// Tree nodes.

TTreeNodes::TTreeNodes(TCustomTreeView* AOwner) : owner_(AOwner) {}

TTreeNodes::~TTreeNodes() {
  for (TTreeNode* node : roots_) delete node;
  roots_.clear();
}

HWND TTreeNodes::Handle() const { return owner_ ? owner_->WindowHandle() : nullptr; }

size_t TTreeNodes::sortedPosition(TTreeNode* Parent, const std::string& S) const {
  const auto& siblings = Parent ? Parent->children_ : roots_;
  auto it = std::upper_bound(siblings.begin(), siblings.end(), S, [](const std::string& text, TTreeNode* node) {
    return AnsiCompareText(text, node->Text()) < 0;
  });
  return static_cast<size_t>(it - siblings.begin());
}

TTreeNode* TTreeNodes::AddNode(TTreeNode* Node, TTreeNode* Relative, const std::string& S, void* Ptr,
                               TNodeAttachMode Method) {
  TTreeNode* parent = nullptr;
  size_t position = 0;
  switch (Method) {
    case naAdd:
      parent = Relative ? Relative->parent_ : nullptr;
      position = siblingsOf(parent).size();
      break;
    case naAddFirst:
      parent = Relative ? Relative->parent_ : nullptr;
      position = 0;
      break;
    case naAddChild:
      parent = Relative;
      position = siblingsOf(parent).size();
      break;
    case naAddChildFirst:
      parent = Relative;
      position = 0;
      break;
    case naInsert:
      parent = Relative ? Relative->parent_ : nullptr;
      position = Relative ? static_cast<size_t>(Relative->Index()) : siblingsOf(parent).size();
      break;
  }
  bool isNew = Node == nullptr;
  if (isNew) {
    Node = owner_ ? owner_->CreateNode() : new TTreeNode(this);
    Node->text_ = S;
    Node->data_ = Ptr;
  }
  if (owner_ && (owner_->SortType() == stText || owner_->SortType() == stBoth) &&
      (Method == naAdd || Method == naAddChild))
    position = sortedPosition(parent, S);
  Node->insertInto(parent, position);
  if (owner_) {
    owner_->insertItem(Node);
    if (isNew) owner_->Added(Node);
  }
  return Node;
}

TTreeNode* TTreeNodes::Add(TTreeNode* Sibling, const std::string& S) { return AddNode(nullptr, Sibling, S, nullptr, naAdd); }

TTreeNode* TTreeNodes::AddObject(TTreeNode* Sibling, const std::string& S, void* Ptr) {
  return AddNode(nullptr, Sibling, S, Ptr, naAdd);
}

TTreeNode* TTreeNodes::AddFirst(TTreeNode* Sibling, const std::string& S) {
  return AddNode(nullptr, Sibling, S, nullptr, naAddFirst);
}

TTreeNode* TTreeNodes::AddObjectFirst(TTreeNode* Sibling, const std::string& S, void* Ptr) {
  return AddNode(nullptr, Sibling, S, Ptr, naAddFirst);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* Parent, const std::string& S) {
  return AddNode(nullptr, Parent, S, nullptr, naAddChild);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const std::string& S, void* Ptr) {
  return AddNode(nullptr, Parent, S, Ptr, naAddChild);
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* Parent, const std::string& S) {
  return AddNode(nullptr, Parent, S, nullptr, naAddChildFirst);
}

TTreeNode* TTreeNodes::AddChildObjectFirst(TTreeNode* Parent, const std::string& S, void* Ptr) {
  return AddNode(nullptr, Parent, S, Ptr, naAddChildFirst);
}

TTreeNode* TTreeNodes::Insert(TTreeNode* Sibling, const std::string& S) {
  return AddNode(nullptr, Sibling, S, nullptr, naInsert);
}

TTreeNode* TTreeNodes::InsertObject(TTreeNode* Sibling, const std::string& S, void* Ptr) {
  return AddNode(nullptr, Sibling, S, Ptr, naInsert);
}

void TTreeNodes::Delete(TTreeNode* Node) {
  if (Node) Node->Delete();
}

void TTreeNodes::Clear() {
  {
    UpdateLock lock(this);
    for (TTreeNode* node : std::vector<TTreeNode*>(roots_)) node->Delete();
  }
}

void TTreeNodes::BeginUpdate() {
  if (updateCount_++ == 0 && Handle()) SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0 && Handle()) {
    SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Handle(), nullptr, TRUE);
  }
}

TTreeNode* TTreeNodes::GetNode(HTREEITEM ItemId) const {
  HWND h = Handle();
  if (!h || !ItemId) return nullptr;
  TVITEMA item{};
  item.hItem = ItemId;
  item.mask = TVIF_PARAM;
  if (!SendMessageA(h, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  return nodeOfItem(item);
}

Integer TTreeNodes::Count() const {
  Integer count = 0;
  for (TTreeNode* n = GetFirstNode(); n; n = n->GetNext()) ++count;
  return count;
}

TTreeNode* TTreeNodes::Item(Integer Index) const {
  if (Index < 0) treeViewError(listIndexError(Index));
  TTreeNode* n = GetFirstNode();
  for (Integer i = 0; n && i < Index; ++i) n = n->GetNext();
  if (!n) treeViewError(listIndexError(Index));
  return n;
}

void TTreeNodes::Assign(TPersistent* Source) {
  auto* nodes = dynamic_cast<TTreeNodes*>(Source);
  if (!nodes) {
    TPersistent::Assign(Source);
    return;
  }
  {
    UpdateLock lock(this);
    Clear();
    for (TTreeNode* root : nodes->roots_) AddChild(nullptr, "")->Assign(root);
  }
}

namespace {

// A node as a form description stores it: four image indexes, the data pointer in a 32-bit
// cell, the child count, then the text as a short string.
constexpr Integer nodeInfoFixedSize = 6 * 4;

void writeNode(TStream* Stream, TTreeNode* Node) {
  std::string text = Node->Text().substr(0, 255);
  Integer size = nodeInfoFixedSize + 1 + static_cast<Integer>(text.size());
  Stream->WriteBuffer(&size, 4);
  int32_t fields[6] = {Node->ImageIndex(), Node->SelectedIndex(), Node->StateIndex(), Node->OverlayIndex(),
                       static_cast<int32_t>(reinterpret_cast<intptr_t>(Node->Data())), Node->Count()};
  Stream->WriteBuffer(fields, sizeof fields);
  auto len = static_cast<uint8_t>(text.size());
  Stream->WriteBuffer(&len, 1);
  if (len) Stream->WriteBuffer(text.data(), len);
  for (Integer i = 0; i < Node->Count(); ++i) writeNode(Stream, Node->Item(i));
}

}  // namespace

void TTreeNodes::WriteData(TStream* Stream) {
  Integer count = static_cast<Integer>(roots_.size());
  Stream->WriteBuffer(&count, 4);
  for (TTreeNode* root : roots_) writeNode(Stream, root);
}

void TTreeNodes::ReadData(TStream* Stream) {
  std::function<void(TTreeNode*)> readNode = [&](TTreeNode* parent) {
    Integer size = 0;
    Stream->ReadBuffer(&size, 4);
    if (size < nodeInfoFixedSize + 1 || size > nodeInfoFixedSize + 256) throw EReadError("Invalid tree node data");
    int32_t fields[6];
    Stream->ReadBuffer(fields, sizeof fields);
    uint8_t len = 0;
    Stream->ReadBuffer(&len, 1);
    std::string text(len, '\0');
    if (len) Stream->ReadBuffer(text.data(), len);
    // Bytes of the record beyond the text (a longer record) are skipped.
    Integer rest = size - nodeInfoFixedSize - 1 - len;
    if (rest > 0) Stream->Seek(rest, soCurrent);
    TTreeNode* node = AddChild(parent, text);
    node->SetImageIndex(fields[0]);
    node->SetSelectedIndex(fields[1]);
    node->SetStateIndex(fields[2]);
    node->SetOverlayIndex(fields[3]);
    for (int32_t i = 0; i < fields[5]; ++i) readNode(node);
  };
  {
    UpdateLock lock(this);
    Clear();
    Integer count = 0;
    Stream->ReadBuffer(&count, 4);
    for (Integer i = 0; i < count; ++i) readNode(nullptr);
  }
}

void TTreeNodes::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Data", [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); }, !roots_.empty());
}

// ---------------------------------------------------------------------------------------
// Tree view.

TCustomTreeView::TCustomTreeView(TComponent* AOwner) : TWinControl(AOwner) {
  controlStyle_ = TControlStyle{csClickEvents, csDoubleClicks, csDisplayDragImage, csReflector};
  width_ = 121;
  height_ = 97;
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  items_ = new TTreeNodes(this);
  imageChangeLink_ = new TChangeLink();
  imageChangeLink_->SetOnChange(TNotifyEvent(this, &TCustomTreeView::imageListChange));
  stateChangeLink_ = new TChangeLink();
  stateChangeLink_->SetOnChange(TNotifyEvent(this, &TCustomTreeView::imageListChange));
}

TCustomTreeView::~TCustomTreeView() {
  // The nodes go without OnDeletion (csDestroying) and without a window.
  IncludeState(csDestroying);
  delete items_;
  items_ = nullptr;
  delete imageChangeLink_;
  delete stateChangeLink_;
}

DWORD TCustomTreeView::styleBits() const {
  DWORD style = TVS_DISABLEDRAGDROP;
  if (showLines_) style |= TVS_HASLINES;
  if (showRoot_) style |= TVS_LINESATROOT;
  if (showButtons_) style |= TVS_HASBUTTONS;
  if (!readOnly_) style |= TVS_EDITLABELS;
  if (!hideSelection_) style |= TVS_SHOWSELALWAYS;
  if (hotTrack_) style |= TVS_TRACKSELECT;
  if (rowSelect_) style |= TVS_FULLROWSELECT;
  if (!toolTips_) style |= TVS_NOTOOLTIPS;
  if (autoExpand_) style |= TVS_SINGLEEXPAND;
  return style;
}

void TCustomTreeView::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "SysTreeView32");
  Params.Style |= styleBits();
  if (borderStyle_ == bsSingle) {
    if (NewStyleControls && Ctl3D()) Params.ExStyle |= WS_EX_CLIENTEDGE;
    else Params.Style |= WS_BORDER;
  }
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomTreeView::applyColors() {
  HWND h = WindowHandle();
  if (!h) return;
  SendMessageA(h, TVM_SETBKCOLOR, 0, ColorToRGB(Color()));
  SendMessageA(h, TVM_SETTEXTCOLOR, 0, ColorToRGB(Font()->Color()));
}

void TCustomTreeView::CreateWnd() {
  TWinControl::CreateWnd();
  HWND h = WindowHandle();
  SendMessageA(h, TVM_SETINDENT, static_cast<WPARAM>(indent_), 0);
  if (images_) SendMessageA(h, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_->Handle()));
  if (stateImages_) SendMessageA(h, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(stateImages_->Handle()));
  applyColors();
  ++programChange_;
  for (TTreeNode* root : items_->roots_) insertItem(root);
  --programChange_;
  if (selected_ && selected_->itemId_) {
    ++programChange_;
    SendMessageA(h, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(selected_->itemId_));
    --programChange_;
  }
  if (topItem_ && topItem_->itemId_) SendMessageA(h, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(topItem_->itemId_));
  if (dropTarget_ && dropTarget_->itemId_) SendMessageA(h, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(dropTarget_->itemId_));
}

void TCustomTreeView::DestroyWnd() {
  if (WindowHandle()) {
    selected_ = Selected();
    topItem_ = TopItem();
    dropTarget_ = DropTarget();
    for (TTreeNode* n = items_->GetFirstNode(); n; n = n->GetNext()) n->expanded_ = n->Expanded();
  }
  ++programChange_;
  {
    ScopeExit atEnd([&] { --programChange_; });
    TWinControl::DestroyWnd();
  }
  for (TTreeNode* root : items_->roots_) forgetItems(root);
}

void TCustomTreeView::forgetItems(TTreeNode* Node) {
  Node->itemId_ = nullptr;
  for (TTreeNode* child : Node->children_) forgetItems(child);
}

void TCustomTreeView::insertItem(TTreeNode* Node) {
  HWND h = WindowHandle();
  if (!h) return;
  TVINSERTSTRUCTA is{};
  is.hParent = Node->parent_ ? Node->parent_->itemId_ : TVI_ROOT;
  TTreeNode* prev = Node->GetPrevSibling();
  is.hInsertAfter = prev && prev->itemId_ ? prev->itemId_ : TVI_FIRST;
  TVITEMA& item = is.item;
  item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
  if (Node->hasChildren_) item.mask |= TVIF_CHILDREN;
  item.pszText = const_cast<char*>(Node->text_.c_str());
  item.lParam = reinterpret_cast<LPARAM>(Node);
  item.iImage = I_IMAGECALLBACK;
  item.iSelectedImage = I_IMAGECALLBACK;
  item.cChildren = Node->hasChildren_ ? 1 : 0;
  item.state = static_cast<UINT>(INDEXTOSTATEIMAGEMASK(Node->stateIndex_ >= 0 ? Node->stateIndex_ : 0)) |
               (Node->overlayIndex_ >= 0 ? INDEXTOOVERLAYMASK(Node->overlayIndex_ + 1) : 0) |
               (Node->cut_ ? TVIS_CUT : 0);
  item.stateMask = TVIS_STATEIMAGEMASK | TVIS_OVERLAYMASK | TVIS_CUT;
  Node->itemId_ = reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&is)));
  if (!Node->itemId_) treeViewError("Failed to create the tree item \"" + Node->text_ + "\"");
  for (TTreeNode* child : Node->children_) insertItem(child);
  if (Node->expanded_ && !Node->children_.empty()) {
    ++programChange_;
    SendMessageA(h, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(Node->itemId_));
    --programChange_;
  }
}

void TCustomTreeView::removeItem(TTreeNode* Node) {
  HWND h = WindowHandle();
  if (!h || !Node->itemId_) return;
  // The window's own notifications about the deletion (TVN_DELETEITEM) are not needed;
  // a selection it moves elsewhere is reported as usual.
  ++programChange_;
  SendMessageA(h, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(Node->itemId_));
  --programChange_;
  forgetItems(Node);
}

void TCustomTreeView::discard(TTreeNode* Node) {
  Node->deleting_ = true;
  for (TTreeNode* child : std::vector<TTreeNode*>(Node->children_)) discard(child);
  Node->children_.clear();
  Delete(Node);
  if (selected_ == Node) selected_ = nullptr;
  if (topItem_ == Node) topItem_ = nullptr;
  if (dropTarget_ == Node) dropTarget_ = nullptr;
  delete Node;
}

void TCustomTreeView::sortWindowChildren(TTreeNode* Parent, bool Recurse) {
  HWND h = WindowHandle();
  if (!h || (Parent && !Parent->itemId_)) return;
  TVSORTCB sort{};
  sort.hParent = Parent ? Parent->itemId_ : TVI_ROOT;
  sort.lpfnCompare = compareByPlace;
  SendMessageA(h, TVM_SORTCHILDRENCB, Recurse ? TRUE : FALSE, reinterpret_cast<LPARAM>(&sort));
}

TTreeNode* TCustomTreeView::CreateNode() { return new TTreeNode(items_); }

TTreeNode* TCustomTreeView::Selected() const {
  if (HWND h = WindowHandle())
    return items_->GetNode(reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_GETNEXTITEM, TVGN_CARET, 0)));
  return selected_;
}

void TCustomTreeView::SetSelected(TTreeNode* Value) {
  if (HWND h = WindowHandle()) {
    // The window asks OnChanging and reports OnChange through its notifications.
    SendMessageA(h, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Value ? Value->itemId_ : nullptr));
    return;
  }
  if (selected_ == Value || !CanChange(Value)) return;
  selected_ = Value;
  Change(Value);
}

TTreeNode* TCustomTreeView::TopItem() const {
  if (HWND h = WindowHandle())
    return items_->GetNode(reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0)));
  return topItem_;
}

void TCustomTreeView::SetTopItem(TTreeNode* Value) {
  topItem_ = Value;
  if (HWND h = WindowHandle(); h && Value && Value->itemId_)
    SendMessageA(h, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(Value->itemId_));
}

TTreeNode* TCustomTreeView::DropTarget() const {
  if (HWND h = WindowHandle())
    return items_->GetNode(reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0)));
  return dropTarget_;
}

void TCustomTreeView::SetDropTarget(TTreeNode* Value) {
  dropTarget_ = Value;
  if (HWND h = WindowHandle())
    SendMessageA(h, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(Value ? Value->itemId_ : nullptr));
}

TTreeNode* TCustomTreeView::GetNodeAt(Integer X, Integer Y) {
  HWND h = WindowHandle();
  if (!h) return nullptr;
  TVHITTESTINFO info{};
  info.pt = Point(X, Y);
  auto item = reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
  return item ? items_->GetNode(item) : nullptr;
}

THitTests TCustomTreeView::GetHitTestInfoAt(Integer X, Integer Y) {
  THitTests result;
  HWND h = WindowHandle();
  if (!h) return result;
  TVHITTESTINFO info{};
  info.pt = Point(X, Y);
  SendMessageA(h, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
  UINT f = info.flags;
  if (f & TVHT_ABOVE) result.Include(htAbove);
  if (f & TVHT_BELOW) result.Include(htBelow);
  if (f & TVHT_NOWHERE) result.Include(htNowhere);
  if ((f & TVHT_ONITEM) != 0) result.Include(htOnItem);
  if (f & TVHT_ONITEMBUTTON) result.Include(htOnButton);
  if (f & TVHT_ONITEMICON) result.Include(htOnIcon);
  if (f & TVHT_ONITEMINDENT) result.Include(htOnIndent);
  if (f & TVHT_ONITEMLABEL) result.Include(htOnLabel);
  if (f & TVHT_ONITEMRIGHT) result.Include(htOnRight);
  if (f & TVHT_ONITEMSTATEICON) result.Include(htOnStateIcon);
  if (f & TVHT_TOLEFT) result.Include(htToLeft);
  if (f & TVHT_TORIGHT) result.Include(htToRight);
  return result;
}

void TCustomTreeView::FullExpand() {
  items_->BeginUpdate();
  for (TTreeNode* root : std::vector<TTreeNode*>(items_->roots_)) root->Expand(true);
  items_->EndUpdate();
}

void TCustomTreeView::FullCollapse() {
  items_->BeginUpdate();
  for (TTreeNode* root : std::vector<TTreeNode*>(items_->roots_)) root->Collapse(true);
  items_->EndUpdate();
}

bool TCustomTreeView::AlphaSort(bool ARecurse) {
  auto less = [this](TTreeNode* a, TTreeNode* b) { return CompareNodes(a, b) < 0; };
  std::stable_sort(items_->roots_.begin(), items_->roots_.end(), less);
  sortWindowChildren(nullptr, false);
  if (ARecurse)
    for (TTreeNode* root : items_->roots_) root->sortChildren(less, true);
  return true;
}

bool TCustomTreeView::CustomSort(TTVCompare SortProc, NativeInt Data, bool ARecurse) {
  if (!SortProc) return AlphaSort(ARecurse);
  auto less = [SortProc, Data](TTreeNode* a, TTreeNode* b) { return SortProc(a, b, Data) < 0; };
  std::stable_sort(items_->roots_.begin(), items_->roots_.end(), less);
  sortWindowChildren(nullptr, false);
  if (ARecurse)
    for (TTreeNode* root : items_->roots_) root->sortChildren(less, true);
  return true;
}

Integer TCustomTreeView::CompareNodes(TTreeNode* Node1, TTreeNode* Node2) {
  if (onCompare_ && sortType_ != stText) {
    Integer result = 0;
    onCompare_(this, Node1, Node2, 0, result);
    return result;
  }
  return AnsiCompareText(Node1->Text(), Node2->Text());
}

bool TCustomTreeView::IsEditing() {
  return WindowHandle() && SendMessageA(WindowHandle(), TVM_GETEDITCONTROL, 0, 0) != 0;
}

void TCustomTreeView::SaveToStream(TStream* Stream) {
  for (TTreeNode* n = items_->GetFirstNode(); n; n = n->GetNext()) {
    std::string line = StringOfChar('\t', n->Level()) + n->Text() + "\r\n";
    Stream->WriteBuffer(line.data(), static_cast<Integer>(line.size()));
  }
}

void TCustomTreeView::SaveToFile(const std::string& FileName) {
  SaveFileWhole(FileName, [this](TStream* stream) { SaveToStream(stream); });
}

void TCustomTreeView::LoadFromStream(TStream* Stream) {
  TStringList lines;
  lines.LoadFromStream(Stream);
  {
    UpdateLock lock(items_);
    items_->Clear();
    TTreeNode* node = nullptr;
    for (Integer i = 0; i < lines.Count(); ++i) {
      std::string line = lines.Strings(i);
      // The level is the count of leading blanks (TABs, or spaces).
      size_t start = line.find_first_not_of(" \t");
      if (start == std::string::npos) start = line.size();
      auto level = static_cast<Integer>(start);
      std::string text = line.substr(start);
      if (!node) {
        node = items_->AddChild(nullptr, text);
      } else if (node->Level() == level) {
        node = items_->AddChild(node->Parent(), text);
      } else if (node->Level() == level - 1) {
        node = items_->AddChild(node, text);
      } else if (node->Level() > level) {
        TTreeNode* up = node->Parent();
        while (up->Level() > level) up = up->Parent();
        node = items_->AddChild(up->Parent(), text);
      } else {
        treeViewError(Format("Invalid level (%d) for item \"%s\"", level, text));
      }
    }
  }
}

void TCustomTreeView::LoadFromFile(const std::string& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TCustomTreeView::setStyleBit(DWORD Bit, bool On) {
  HWND h = WindowHandle();
  if (!h) return;
  LONG style = GetWindowLongA(h, GWL_STYLE);
  style = On ? (style | static_cast<LONG>(Bit)) : (style & ~static_cast<LONG>(Bit));
  SetWindowLongA(h, GWL_STYLE, style);
  InvalidateRect(h, nullptr, TRUE);
}

void TCustomTreeView::SetAutoExpand(bool Value) {
  autoExpand_ = Value;
  setStyleBit(TVS_SINGLEEXPAND, Value);
}

void TCustomTreeView::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  RecreateWnd();
}

void TCustomTreeView::SetHideSelection(bool Value) {
  hideSelection_ = Value;
  setStyleBit(TVS_SHOWSELALWAYS, !Value);
}

void TCustomTreeView::SetHotTrack(bool Value) {
  hotTrack_ = Value;
  setStyleBit(TVS_TRACKSELECT, Value);
}

void TCustomTreeView::SetReadOnly(bool Value) {
  readOnly_ = Value;
  setStyleBit(TVS_EDITLABELS, !Value);
}

void TCustomTreeView::SetRowSelect(bool Value) {
  rowSelect_ = Value;
  setStyleBit(TVS_FULLROWSELECT, Value);
}

void TCustomTreeView::SetShowButtons(bool Value) {
  showButtons_ = Value;
  setStyleBit(TVS_HASBUTTONS, Value);
}

void TCustomTreeView::SetShowLines(bool Value) {
  showLines_ = Value;
  setStyleBit(TVS_HASLINES, Value);
}

void TCustomTreeView::SetShowRoot(bool Value) {
  showRoot_ = Value;
  setStyleBit(TVS_LINESATROOT, Value);
}

void TCustomTreeView::SetToolTips(bool Value) {
  if (toolTips_ == Value) return;
  toolTips_ = Value;
  RecreateWnd();
}

void TCustomTreeView::SetSortType(TSortType Value) {
  if (sortType_ == Value) return;
  sortType_ = Value;
  if (Value == stText || Value == stBoth || (Value == stData && onCompare_)) AlphaSort(true);
}

Integer TCustomTreeView::Indent() {
  if (HWND h = WindowHandle()) return static_cast<Integer>(SendMessageA(h, TVM_GETINDENT, 0, 0));
  return indent_;
}

void TCustomTreeView::SetIndent(Integer Value) {
  indent_ = Value;
  if (HWND h = WindowHandle()) SendMessageA(h, TVM_SETINDENT, static_cast<WPARAM>(Value), 0);
}

void TCustomTreeView::SetImages(TCustomImageList* Value) {
  if (images_ == Value) return;
  if (images_) {
    images_->UnRegisterChanges(imageChangeLink_);
    images_->RemoveFreeNotification(this);
  }
  images_ = Value;
  if (images_) {
    images_->RegisterChanges(imageChangeLink_);
    images_->FreeNotification(this);
  }
  if (HWND h = WindowHandle())
    SendMessageA(h, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_ ? images_->Handle() : nullptr));
}

void TCustomTreeView::SetStateImages(TCustomImageList* Value) {
  if (stateImages_ == Value) return;
  if (stateImages_) {
    stateImages_->UnRegisterChanges(stateChangeLink_);
    stateImages_->RemoveFreeNotification(this);
  }
  stateImages_ = Value;
  if (stateImages_) {
    stateImages_->RegisterChanges(stateChangeLink_);
    stateImages_->FreeNotification(this);
  }
  if (HWND h = WindowHandle())
    SendMessageA(h, TVM_SETIMAGELIST, TVSIL_STATE,
                 reinterpret_cast<LPARAM>(stateImages_ ? stateImages_->Handle() : nullptr));
}

void TCustomTreeView::imageListChange(TObject*) {
  HWND h = WindowHandle();
  if (!h) return;
  SendMessageA(h, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_ ? images_->Handle() : nullptr));
  SendMessageA(h, TVM_SETIMAGELIST, TVSIL_STATE,
               reinterpret_cast<LPARAM>(stateImages_ ? stateImages_->Handle() : nullptr));
  InvalidateRect(h, nullptr, TRUE);
}

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == images_) SetImages(nullptr);
  if (AComponent == stateImages_) SetStateImages(nullptr);
}

bool TCustomTreeView::CanChange(TTreeNode* Node) {
  bool allow = true;
  if (onChanging_) onChanging_(this, Node, allow);
  return allow;
}

void TCustomTreeView::Change(TTreeNode* Node) {
  if (onChange_) onChange_(this, Node);
}

bool TCustomTreeView::CanExpand(TTreeNode* Node) {
  bool allow = true;
  if (onExpanding_) onExpanding_(this, Node, allow);
  return allow;
}

void TCustomTreeView::Expand(TTreeNode* Node) {
  if (onExpanded_) onExpanded_(this, Node);
}

bool TCustomTreeView::CanCollapse(TTreeNode* Node) {
  bool allow = true;
  if (onCollapsing_) onCollapsing_(this, Node, allow);
  return allow;
}

void TCustomTreeView::Collapse(TTreeNode* Node) {
  if (onCollapsed_) onCollapsed_(this, Node);
}

bool TCustomTreeView::CanEdit(TTreeNode* Node) {
  bool allow = !readOnly_;
  if (onEditing_) onEditing_(this, Node, allow);
  return allow;
}

void TCustomTreeView::Edit(TTreeNode* Node, std::string& S) {
  if (onEdited_) onEdited_(this, Node, S);
}

void TCustomTreeView::Delete(TTreeNode* Node) {
  if (onDeletion_ && !ComponentState().Contains(csDestroying)) onDeletion_(this, Node);
}

void TCustomTreeView::Added(TTreeNode* Node) {
  if (onAddition_) onAddition_(this, Node);
}

void TCustomTreeView::GetImageIndex(TTreeNode* Node) {
  if (onGetImageIndex_) onGetImageIndex_(this, Node);
}

void TCustomTreeView::GetSelectedIndex(TTreeNode* Node) {
  if (onGetSelectedIndex_) onGetSelectedIndex_(this, Node);
}

void TCustomTreeView::CNNotify(TWMNotify& Message) {
  if (ComponentState().Contains(csDestroying) || controlState_.Contains(csDestroyingHandle)) return;
  NMHDR* header = Message.NMHdr;
  auto* nm = reinterpret_cast<NMTREEVIEWA*>(header);
  auto* di = reinterpret_cast<NMTVDISPINFOA*>(header);
  switch (header->code) {
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGINGW:
      // A non-zero result keeps the selection where it is.
      Message.Result = CanChange(nodeOfItem(nm->itemNew)) ? 0 : 1;
      break;
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
      Change(nodeOfItem(nm->itemNew));
      break;
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW: {
      TTreeNode* node = nodeOfItem(nm->itemNew);
      if (programChange_ || !node) break;
      bool allow = (nm->action & TVE_EXPAND) ? CanExpand(node) : CanCollapse(node);
      Message.Result = allow ? 0 : 1;
      break;
    }
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW: {
      TTreeNode* node = nodeOfItem(nm->itemNew);
      if (!node) break;
      node->expanded_ = (nm->action & TVE_EXPAND) != 0;
      if (programChange_) break;
      if (node->expanded_) Expand(node);
      else Collapse(node);
      break;
    }
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW:
      Message.Result = CanEdit(nodeOfItem(di->item)) ? 0 : 1;
      break;
    case TVN_ENDLABELEDITA:
    case TVN_ENDLABELEDITW: {
      TTreeNode* node = nodeOfItem(di->item);
      if (!node || !di->item.pszText) break;
      std::string text;
      if (header->code == TVN_ENDLABELEDITA) {
        text = di->item.pszText;
      } else {
        auto* wide = reinterpret_cast<const WCHAR*>(di->item.pszText);
        int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        text.resize(static_cast<size_t>(std::max(n, 1)) - 1);
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), n, nullptr, nullptr);
      }
      Edit(node, text);
      node->SetText(text);
      Message.Result = 0;
      break;
    }
    case NM_RCLICK:
      // The system's tree view sends its context menu request to the parent window, which
      // knows nothing of the tree's popup menu. The tree asks itself instead, at the point
      // where the button was released; the non-zero result keeps the parent's request away.
      Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()), static_cast<LPARAM>(GetMessagePos()));
      Message.Result = 1;
      break;
    case TVN_GETDISPINFOA:
    case TVN_GETDISPINFOW: {
      TTreeNode* node = nodeOfItem(di->item);
      if (!node) break;
      if (di->item.mask & TVIF_IMAGE) {
        GetImageIndex(node);
        di->item.iImage = node->imageIndex_;
      }
      if (di->item.mask & TVIF_SELECTEDIMAGE) {
        GetSelectedIndex(node);
        di->item.iSelectedImage = node->selectedIndex_;
      }
      break;
    }
    default:
      break;
  }
}

void TCustomTreeView::WMRButtonDown(TWMMouse& Message) {
  if (rightClickSelect_)
    if (TTreeNode* node = GetNodeAt(Message.XPos, Message.YPos)) SetSelected(node);
  INHERITED_MESSAGE(Message);
}

void TCustomTreeView::CMColorChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  applyColors();
}

void TCustomTreeView::CMFontChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  applyColors();
}

// =======================================================================================
// Rich edit
// =======================================================================================

namespace {

// Streams the rich edit's content in or out through a callback: the bytes go to (or come
// from) a std::string; an exception of the callback's work is kept and raised afterwards.
struct StreamBuffer {
  std::string Data;
  size_t Position = 0;
};

DWORD CALLBACK streamOutToBuffer(DWORD_PTR Cookie, LPBYTE Buffer, LONG Count, LONG* Done) {
  auto* target = reinterpret_cast<StreamBuffer*>(Cookie);
  try {
    target->Data.append(reinterpret_cast<const char*>(Buffer), static_cast<size_t>(Count));
    *Done = Count;
    return 0;
  } catch (...) {
    *Done = 0;
    return 1;
  }
}

DWORD CALLBACK streamInFromBuffer(DWORD_PTR Cookie, LPBYTE Buffer, LONG Count, LONG* Done) {
  auto* source = reinterpret_cast<StreamBuffer*>(Cookie);
  size_t n = std::min<size_t>(static_cast<size_t>(Count), source->Data.size() - source->Position);
  if (n) std::memcpy(Buffer, source->Data.data() + source->Position, n);
  source->Position += n;
  *Done = static_cast<LONG>(n);
  return 0;
}

// The content of a rich edit window as RTF (Format SF_RTF) or text (SF_TEXT).
std::string streamOut(HWND Window, UINT Format) {
  StreamBuffer buffer;
  EDITSTREAM es{};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&buffer);
  es.pfnCallback = streamOutToBuffer;
  SendMessageA(Window, EM_STREAMOUT, Format, reinterpret_cast<LPARAM>(&es));
  if (es.dwError != 0) throw EOutOfMemory("Cannot read the rich text of the control");
  // The system's RTF writer ends its output with a NUL after the closing brace; a document
  // ends at the brace.
  if (Format & SF_RTF)
    while (!buffer.Data.empty() && buffer.Data.back() == '\0') buffer.Data.pop_back();
  return buffer.Data;
}

void streamIn(HWND Window, UINT Format, const std::string& Data) {
  StreamBuffer buffer;
  buffer.Data = Data;
  EDITSTREAM es{};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&buffer);
  es.pfnCallback = streamInFromBuffer;
  SendMessageA(Window, EM_STREAMIN, Format, reinterpret_cast<LPARAM>(&es));
  if (es.dwError != 0) throw EReadError("Cannot load the rich text into the control");
}

bool looksLikeRtf(const std::string& Data) { return Data.compare(0, 5, "{\\rtf") == 0; }

}  // namespace

// The paragraphs of a rich edit, read from and written to its window; streamed as RTF
// (or plain text with PlainText).
class TRichEditStrings : public TStrings {
  RTL_DECLARE_CLASS(TRichEditStrings, TStrings)
public:
  explicit TRichEditStrings(TCustomRichEdit* RichEdit) : richEdit_(RichEdit) {}

  Integer GetCount() const override {
    HWND h = richEdit_->Handle();
    auto count = static_cast<Integer>(SendMessageA(h, EM_GETLINECOUNT, 0, 0));
    if (count > 0 && SendMessageA(h, EM_LINELENGTH, SendMessageA(h, EM_LINEINDEX, count - 1, 0), 0) == 0) --count;
    return count;
  }

  std::string Get(Integer Index) const override {
    if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
    HWND h = richEdit_->Handle();
    LRESULT start = SendMessageA(h, EM_LINEINDEX, Index, 0);
    LRESULT len = SendMessageA(h, EM_LINELENGTH, start, 0);
    // EM_GETLINE takes the buffer size in its first WORD; the line may end with its break.
    std::string buffer(static_cast<size_t>(std::max<LRESULT>(len, 2)) + 3, '\0');
    *reinterpret_cast<WORD*>(buffer.data()) = static_cast<WORD>(buffer.size());
    LRESULT got = SendMessageA(h, EM_GETLINE, Index, reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(static_cast<size_t>(std::max<LRESULT>(0, got)));
    while (!buffer.empty() && (buffer.back() == '\r' || buffer.back() == '\n' || buffer.back() == '\v'))
      buffer.pop_back();
    return buffer;
  }

  void Put(Integer Index, const std::string& S) override {
    HWND h = richEdit_->Handle();
    LRESULT start = SendMessageA(h, EM_LINEINDEX, Index, 0);
    if (start < 0 || Index >= GetCount()) Error(SListIndexError, Index);
    LRESULT len = SendMessageA(h, EM_LINELENGTH, start, 0);
    SendMessageA(h, EM_SETSEL, start, start + len);
    SendMessageA(h, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(S.c_str()));
  }

  void Insert(Integer Index, const std::string& S) override {
    if (Index < 0 || Index > GetCount()) Error(SListIndexError, Index);
    HWND h = richEdit_->Handle();
    LRESULT start = Index < GetCount() || Index == 0 ? SendMessageA(h, EM_LINEINDEX, Index, 0) : -1;
    std::string text;
    if (start >= 0 && (Index < GetCount() || lastLineEmpty(h))) {
      text = S + "\r\n";
    } else {
      // After the last paragraph, which has no break yet.
      start = SendMessageA(h, EM_LINEINDEX, Index - 1, 0);
      start += SendMessageA(h, EM_LINELENGTH, start, 0);
      text = "\r\n" + S;
    }
    SendMessageA(h, EM_SETSEL, start, start);
    SendMessageA(h, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }

  void Delete(Integer Index) override {
    if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
    HWND h = richEdit_->Handle();
    LRESULT start = SendMessageA(h, EM_LINEINDEX, Index, 0);
    LRESULT end = SendMessageA(h, EM_LINEINDEX, Index + 1, 0);
    if (end < 0) end = start + SendMessageA(h, EM_LINELENGTH, start, 0);
    SendMessageA(h, EM_SETSEL, start, end);
    SendMessageA(h, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(""));
  }

  void Clear() override { richEdit_->Clear(); }

  void SetTextStr(const std::string& Value) override {
    richEdit_->HandleNeeded();
    streamIn(richEdit_->WindowHandle(), SF_TEXT, AdjustLineBreaks(Value));
    richEdit_->Perform(CM_TEXTCHANGED, 0, 0);
  }

  std::string GetTextStr() const override {
    std::string text = streamOut(richEdit_->Handle(), SF_TEXT);
    std::string result;
    result.reserve(text.size() + 2);
    // Paragraph breaks come out as CR or CR LF; the list's text uses CR LF.
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r') {
        result += "\r\n";
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      } else if (text[i] == '\n') {
        result += "\r\n";
      } else {
        result += text[i];
      }
    }
    if (!result.empty() && result.compare(result.size() - 2, 2, "\r\n") != 0) result += "\r\n";
    return result;
  }

  void SaveToStream(TStream* Stream) override {
    std::string data = streamOut(richEdit_->Handle(), richEdit_->PlainText() ? SF_TEXT : SF_RTF);
    if (!data.empty()) Stream->WriteBuffer(data.data(), static_cast<Integer>(data.size()));
  }

  void LoadFromStream(TStream* Stream) override {
    Int64 size = Stream->Size() - Stream->Position();
    std::string data(static_cast<size_t>(std::max<Int64>(size, 0)), '\0');
    Integer got = data.empty() ? 0 : Stream->Read(data.data(), static_cast<Integer>(data.size()));
    data.resize(static_cast<size_t>(got));
    richEdit_->HandleNeeded();
    bool rtf = !richEdit_->PlainText() && looksLikeRtf(data);
    streamIn(richEdit_->WindowHandle(), rtf ? SF_RTF : SF_TEXT, data);
    richEdit_->Perform(CM_TEXTCHANGED, 0, 0);
  }

protected:
  void SetUpdateState(bool Updating) override {
    if (!richEdit_->HandleAllocated()) return;
    SendMessageA(richEdit_->WindowHandle(), WM_SETREDRAW, Updating ? FALSE : TRUE, 0);
    if (!Updating) richEdit_->Refresh();
  }

private:
  bool lastLineEmpty(HWND h) const {
    auto count = static_cast<Integer>(SendMessageA(h, EM_GETLINECOUNT, 0, 0));
    return count > 0 && SendMessageA(h, EM_LINELENGTH, SendMessageA(h, EM_LINEINDEX, count - 1, 0), 0) == 0;
  }

  TCustomRichEdit* richEdit_;
};

RTL_IMPLEMENT_CLASS(TRichEditStrings)

TTextAttributes::TTextAttributes(TCustomRichEdit* AOwner, TAttributeType AttributeType)
    : richEdit_(AOwner), type_(AttributeType) {}

CHARFORMAT2A TTextAttributes::get() {
  CHARFORMAT2A cf{};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_ALL2;
  SendMessageA(richEdit_->Handle(), EM_GETCHARFORMAT, type_ == atSelected ? SCF_SELECTION : SCF_DEFAULT,
               reinterpret_cast<LPARAM>(&cf));
  return cf;
}

void TTextAttributes::set(const CHARFORMAT2A& Format) {
  SendMessageA(richEdit_->Handle(), EM_SETCHARFORMAT, type_ == atSelected ? SCF_SELECTION : SCF_DEFAULT,
               reinterpret_cast<LPARAM>(&Format));
}

namespace {
CHARFORMAT2A charFormat(DWORD Mask) {
  CHARFORMAT2A cf{};
  cf.cbSize = sizeof cf;
  cf.dwMask = Mask;
  return cf;
}
}  // namespace

TFontCharset TTextAttributes::Charset() { return static_cast<TFontCharset>(get().bCharSet); }

void TTextAttributes::SetCharset(TFontCharset Value) {
  CHARFORMAT2A cf = charFormat(CFM_CHARSET);
  cf.bCharSet = static_cast<BYTE>(Value);
  set(cf);
}

TColor TTextAttributes::Color() {
  CHARFORMAT2A cf = get();
  if (cf.dwEffects & CFE_AUTOCOLOR) return clWindowText;
  return static_cast<TColor>(cf.crTextColor);
}

void TTextAttributes::SetColor(TColor Value) {
  CHARFORMAT2A cf = charFormat(CFM_COLOR);
  if (Value == clWindowText) cf.dwEffects = CFE_AUTOCOLOR;
  else cf.crTextColor = static_cast<COLORREF>(ColorToRGB(Value));
  set(cf);
}

TConsistentAttributes TTextAttributes::ConsistentAttributes() {
  CHARFORMAT2A cf = get();
  TConsistentAttributes result;
  if (cf.dwMask & CFM_BOLD) result.Include(caBold);
  if (cf.dwMask & CFM_COLOR) result.Include(caColor);
  if (cf.dwMask & CFM_FACE) result.Include(caFace);
  if (cf.dwMask & CFM_ITALIC) result.Include(caItalic);
  if (cf.dwMask & CFM_SIZE) result.Include(caSize);
  if (cf.dwMask & CFM_STRIKEOUT) result.Include(caStrikeOut);
  if (cf.dwMask & CFM_UNDERLINE) result.Include(caUnderline);
  if (cf.dwMask & CFM_PROTECTED) result.Include(caProtected);
  return result;
}

TFontName TTextAttributes::Name() { return get().szFaceName; }

void TTextAttributes::SetName(const TFontName& Value) {
  CHARFORMAT2A cf = charFormat(CFM_FACE);
  lstrcpynA(cf.szFaceName, Value.c_str(), LF_FACESIZE);
  set(cf);
}

TFontPitch TTextAttributes::Pitch() {
  switch (get().bPitchAndFamily & 3) {
    case VARIABLE_PITCH: return fpVariable;
    case FIXED_PITCH: return fpFixed;
    default: return fpDefault;
  }
}

void TTextAttributes::SetPitch(TFontPitch Value) {
  CHARFORMAT2A cf = get();
  cf.dwMask = CFM_FACE;
  cf.bPitchAndFamily = static_cast<BYTE>((cf.bPitchAndFamily & ~3) |
                                         (Value == fpVariable ? VARIABLE_PITCH : Value == fpFixed ? FIXED_PITCH : 0));
  set(cf);
}

bool TTextAttributes::Protected() { return (get().dwEffects & CFE_PROTECTED) != 0; }

void TTextAttributes::SetProtected(bool Value) {
  CHARFORMAT2A cf = charFormat(CFM_PROTECTED);
  cf.dwEffects = Value ? CFE_PROTECTED : 0;
  set(cf);
}

Integer TTextAttributes::Size() { return get().yHeight / 20; }

void TTextAttributes::SetSize(Integer Value) {
  CHARFORMAT2A cf = charFormat(CFM_SIZE);
  cf.yHeight = Value * 20;
  set(cf);
}

Integer TTextAttributes::Height() { return -MulDiv(Size(), 96, 72); }

void TTextAttributes::SetHeight(Integer Value) { SetSize(MulDiv(std::abs(Value), 72, 96)); }

TFontStyles TTextAttributes::Style() {
  CHARFORMAT2A cf = get();
  TFontStyles result;
  if (cf.dwEffects & CFE_BOLD) result.Include(fsBold);
  if (cf.dwEffects & CFE_ITALIC) result.Include(fsItalic);
  if (cf.dwEffects & CFE_UNDERLINE) result.Include(fsUnderline);
  if (cf.dwEffects & CFE_STRIKEOUT) result.Include(fsStrikeOut);
  return result;
}

void TTextAttributes::SetStyle(TFontStyles Value) {
  CHARFORMAT2A cf = charFormat(CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT);
  if (Value.Contains(fsBold)) cf.dwEffects |= CFE_BOLD;
  if (Value.Contains(fsItalic)) cf.dwEffects |= CFE_ITALIC;
  if (Value.Contains(fsUnderline)) cf.dwEffects |= CFE_UNDERLINE;
  if (Value.Contains(fsStrikeOut)) cf.dwEffects |= CFE_STRIKEOUT;
  set(cf);
}

void TTextAttributes::Assign(TPersistent* Source) {
  if (auto* font = dynamic_cast<TFont*>(Source)) {
    SetColor(font->Color());
    SetName(font->Name());
    SetCharset(font->Charset());
    SetStyle(font->Style());
    SetSize(font->Size());
    SetPitch(font->Pitch());
    return;
  }
  if (auto* attributes = dynamic_cast<TTextAttributes*>(Source)) {
    CHARFORMAT2A cf = attributes->get();
    set(cf);
    return;
  }
  TPersistent::Assign(Source);
}

void TTextAttributes::AssignTo(TPersistent* Dest) {
  if (auto* font = dynamic_cast<TFont*>(Dest)) {
    font->SetColor(Color());
    font->SetName(Name());
    font->SetCharset(Charset());
    font->SetStyle(Style());
    font->SetSize(Size());
    font->SetPitch(Pitch());
    return;
  }
  TPersistent::AssignTo(Dest);
}

TCustomRichEdit::TCustomRichEdit(TComponent* AOwner) : TCustomMemo(AOwner) {
  delete lines_;
  lines_ = new TRichEditStrings(this);
  defAttributes_ = new TTextAttributes(this, atDefaultText);
  selAttributes_ = new TTextAttributes(this, atSelected);
}

TCustomRichEdit::~TCustomRichEdit() {
  delete defAttributes_;
  delete selAttributes_;
}

void TCustomRichEdit::CreateParams(TCreateParams& Params) {
  TCustomMemo::CreateParams(Params);
  CreateSubClass(Params, "RICHEDIT20A");
  if (!hideScrollBars_) Params.Style |= ES_DISABLENOSCROLL;
  if (!HideSelection()) Params.Style |= ES_NOHIDESEL;
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomRichEdit::CreateWnd() {
  TCustomMemo::CreateWnd();
  HWND h = WindowHandle();
  SendMessageA(h, EM_EXLIMITTEXT, 0, MaxLength() > 0 ? MaxLength() : 0x7FFFFFF0);
  SendMessageA(h, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE | ENM_PROTECTED | ENM_REQUESTRESIZE);
  SendMessageA(h, EM_SETBKGNDCOLOR, 0, ColorToRGB(Color()));
  // Without word wrap the lines are as long as the text is.
  SendMessageA(h, EM_SETTARGETDEVICE, 0, WordWrap() ? 0 : 1);
  defAttributes_->Assign(Font());
  if (!savedRtf_.empty()) {
    creating_ = true;
    {
      ScopeExit atEnd([&] { creating_ = false; savedRtf_.clear(); });
      streamIn(h, SF_RTF, savedRtf_);
    }
  }
}

void TCustomRichEdit::DestroyWnd() {
  // The formatted content comes back in the next window.
  if (WindowHandle()) savedRtf_ = streamOut(WindowHandle(), SF_RTF);
  TCustomMemo::DestroyWnd();
}

void TCustomRichEdit::SetHideScrollBars(bool Value) {
  if (hideScrollBars_ == Value) return;
  hideScrollBars_ = Value;
  RecreateWnd();
}

Integer TCustomRichEdit::FindText(const std::string& SearchStr, Integer StartPos, Integer Length, bool MatchCase,
                                  bool WholeWord) {
  FINDTEXTA find{};
  find.chrg.cpMin = StartPos;
  find.chrg.cpMax = StartPos + Length;
  find.lpstrText = SearchStr.c_str();
  WPARAM flags = FR_DOWN | (MatchCase ? FR_MATCHCASE : 0) | (WholeWord ? FR_WHOLEWORD : 0);
  return static_cast<Integer>(SendMessageA(Handle(), EM_FINDTEXT, flags, reinterpret_cast<LPARAM>(&find)));
}

void TCustomRichEdit::SelectionChange() {
  if (onSelectionChange_) onSelectionChange_(this);
}

void TCustomRichEdit::CNNotify(TWMNotify& Message) {
  switch (Message.NMHdr->code) {
    case EN_SELCHANGE:
      SelectionChange();
      break;
    case EN_REQUESTRESIZE:
      if (onResizeRequest_) onResizeRequest_(this, reinterpret_cast<REQRESIZE*>(Message.NMHdr)->rc);
      break;
    case EN_PROTECTED: {
      auto* info = reinterpret_cast<ENPROTECTED*>(Message.NMHdr);
      bool allow = true;
      if (onProtectChange_) onProtectChange_(this, info->chrg.cpMin, info->chrg.cpMax, allow);
      Message.Result = allow ? 0 : 1;
      break;
    }
  }
}

void TCustomRichEdit::CMFontChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (WindowHandle()) defAttributes_->Assign(Font());
}

// =======================================================================================
// Progress bar
// =======================================================================================

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner) {
  width_ = 150;
  height_ = GetSystemMetrics(SM_CYVSCROLL);
}

void TProgressBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "msctls_progress32");
  if (smooth_) Params.Style |= PBS_SMOOTH;
  if (orientation_ == pbVertical) Params.Style |= PBS_VERTICAL;
}

void TProgressBar::CreateWnd() {
  TWinControl::CreateWnd();
  HWND h = WindowHandle();
  SendMessageA(h, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
  SendMessageA(h, PBM_SETSTEP, static_cast<WPARAM>(step_), 0);
  SendMessageA(h, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::applyRange() {
  position_ = std::clamp(position_, min_, std::max(min_, max_));
  if (HWND h = WindowHandle()) {
    SendMessageA(h, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
    SendMessageA(h, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
  }
}

void TProgressBar::SetMin(Integer Value) {
  if (min_ == Value) return;
  min_ = Value;
  applyRange();
}

void TProgressBar::SetMax(Integer Value) {
  if (max_ == Value) return;
  max_ = Value;
  applyRange();
}

// The position is kept here as well as in the window, which only this class moves: asking the
// window costs a message, and a long task reads the position before each step.
Integer TProgressBar::Position() { return position_; }

void TProgressBar::SetPosition(Integer Value) {
  position_ = std::clamp(Value, min_, std::max(min_, max_));
  if (HWND h = WindowHandle()) SendMessageA(h, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetStep(Integer Value) {
  step_ = Value;
  if (HWND h = WindowHandle()) SendMessageA(h, PBM_SETSTEP, static_cast<WPARAM>(Value), 0);
}

void TProgressBar::StepIt() {
  if (HWND h = WindowHandle()) {
    SendMessageA(h, PBM_STEPIT, 0, 0);
    position_ = static_cast<Integer>(SendMessageA(h, PBM_GETPOS, 0, 0));
    return;
  }
  // As the system's control does: a step past either end starts again from Min.
  Integer pos = position_ + step_;
  if ((pos < min_ || pos > max_) && max_ > min_) pos = min_ + (pos - min_) % (max_ - min_);
  position_ = pos;
}

void TProgressBar::StepBy(Integer Delta) { SetPosition(Position() + Delta); }

void TProgressBar::SetSmooth(bool Value) {
  if (smooth_ == Value) return;
  smooth_ = Value;
  RecreateWnd();
}

void TProgressBar::SetOrientation(TProgressBarOrientation Value) {
  if (orientation_ == Value) return;
  orientation_ = Value;
  if (!ComponentState().Contains(csLoading)) SetBounds(Left(), Top(), Height(), Width());
  RecreateWnd();
}

// =======================================================================================
// Class descriptors
// =======================================================================================

RTL_BEGIN_CLASS(TCustomTabControl)
  b.Message(CN_NOTIFY, &TCustomTabControl::CNNotify);
  b.Message(CN_DRAWITEM, &TCustomTabControl::CNDrawItem);
  b.Message(CM_FONTCHANGED, &TCustomTabControl::CMFontChanged);
  b.Message(CM_TABSTOPCHANGED, &TCustomTabControl::CMTabStopChanged);
  b.Message(WM_SIZE, &TCustomTabControl::WMSize);
  b.Message(WM_LBUTTONDBLCLK, &TCustomTabControl::WMLButtonDblClk);
RTL_END_CLASS

namespace {
// The properties a tab control and a page control both publish.
template <class T> void publishTabControl(TClassBuilder<T>& b) {
  publishPlacement(b);
  PUBLISH(BiDiMode).Stored(&T::IsBiDiModeStored);
  PUBLISH(Constraints);
  publishDragProperties(b);
  PUBLISH(Enabled).Default(true).Stored(&T::IsEnabledStored);
  PUBLISH(Font).Stored(&T::IsFontStored);
  PUBLISH(HotTrack).Default(false);
  PUBLISH(Images);
  PUBLISH(MultiLine).Default(false);
  PUBLISH(OwnerDraw).Default(false);
  publishParentFlags(b);
  PUBLISH(PopupMenu);
  PUBLISH(RaggedRight).Default(false);
  PUBLISH(ScrollOpposite).Default(false);
  PUBLISH(ShowHint).Stored(&T::IsShowHintStored);
  PUBLISH(Style).Default(tsTabs);
  PUBLISH(TabHeight).Default(0);
  PUBLISH(TabOrder).Default(-1);
  PUBLISH(TabPosition).Default(tpTop);
  PUBLISH(TabStop).Default(true);
  PUBLISH(TabWidth).Default(0);
  PUBLISH(Visible).Default(true).Stored(&T::IsVisibleStored);
  PUBLISH(OnChange);
  PUBLISH(OnChanging);
  PUBLISH(OnContextPopup);
  PUBLISH(OnDrawTab);
  PUBLISH(OnGetImageIndex);
  publishDragEvents(b);
  publishFocusEvents(b);
  publishMouseEvents(b);
  PUBLISH(OnResize);
}
}  // namespace

RTL_BEGIN_CLASS(TTabControl)
  using T = TTabControl;
  publishTabControl(b);
  PUBLISH(MultiSelect).Default(false);
  PUBLISH(Tabs);
  PUBLISH(TabIndex).Default(-1);
RTL_END_CLASS

RTL_BEGIN_CLASS(TTabSheet)
  b.Message(CM_TEXTCHANGED, &TTabSheet::CMTextChanged);
  b.Message(CM_SHOWINGCHANGED, &TTabSheet::CMShowingChanged);
  b.Message(WM_ERASEBKGND, &TTabSheet::WMEraseBkgnd);
  using T = TTabSheet;
  PUBLISH(BorderWidth).Default(0);
  PUBLISH(Caption).Stored(&T::IsCaptionStored);
  PUBLISH(DragMode).Default(dmManual);
  PUBLISH(Enabled).Default(true).Stored(&T::IsEnabledStored);
  PUBLISH(Font).Stored(&T::IsFontStored);
  PUBLISH(Highlighted).Default(false);
  PUBLISH(ImageIndex).Default(0);
  PUBLISH(PageControl);
  PUBLISH(PageIndex).Stored(false);
  publishParentFlags(b);
  PUBLISH(PopupMenu);
  PUBLISH(ShowHint).Stored(&T::IsShowHintStored);
  PUBLISH(TabVisible).Default(true);
  PUBLISH(OnContextPopup);
  publishDragEvents(b);
  publishFocusEvents(b);
  PUBLISH(OnHide);
  publishMouseEvents(b);
  PUBLISH(OnResize);
  PUBLISH(OnShow);
RTL_END_CLASS

RTL_BEGIN_CLASS(TPageControl)
  b.Message(CM_DIALOGKEY, &TPageControl::CMDialogKey);
  using T = TPageControl;
  PUBLISH(ActivePage);
  publishTabControl(b);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(ETreeViewError)
RTL_IMPLEMENT_CLASS(TTreeNode)
RTL_IMPLEMENT_CLASS(TTreeNodes)

RTL_BEGIN_CLASS(TCustomTreeView)
  b.Message(CN_NOTIFY, &TCustomTreeView::CNNotify);
  b.Message(WM_RBUTTONDOWN, &TCustomTreeView::WMRButtonDown);
  b.Message(CM_COLORCHANGED, &TCustomTreeView::CMColorChanged);
  b.Message(CM_FONTCHANGED, &TCustomTreeView::CMFontChanged);
RTL_END_CLASS

RTL_BEGIN_CLASS(TTreeView)
  using T = TTreeView;
  publishPlacement(b);
  PUBLISH(AutoExpand).Default(false);
  publishBevels(b);
  PUBLISH(BorderStyle).Default(bsSingle);
  PUBLISH(BorderWidth).Default(0);
  PUBLISH(ChangeDelay).Default(0);
  publishLook(b);
  publishDragProperties(b);
  PUBLISH(HideSelection).Default(true);
  PUBLISH(HotTrack).Default(false);
  PUBLISH(Images);
  PUBLISH(Indent).NoDefaultValue();
  PUBLISH(ParentColor).Default(false);
  publishParentFlags(b);
  PUBLISH(ReadOnly).Default(false);
  PUBLISH(RightClickSelect).Default(false);
  PUBLISH(RowSelect).Default(false);
  PUBLISH(ShowButtons).Default(true);
  PUBLISH(ShowLines).Default(true);
  PUBLISH(ShowRoot).Default(true);
  PUBLISH(SortType).Default(stNone);
  PUBLISH(StateImages);
  publishWindowFlags(b, true);
  PUBLISH(ToolTips).Default(true);
  PUBLISH(OnAddition);
  PUBLISH(OnChange);
  PUBLISH(OnChanging);
  PUBLISH(OnClick);
  PUBLISH(OnCollapsed);
  PUBLISH(OnCollapsing);
  PUBLISH(OnCompare);
  PUBLISH(OnContextPopup);
  PUBLISH(OnDblClick);
  PUBLISH(OnDeletion);
  PUBLISH(OnEdited);
  PUBLISH(OnEditing);
  PUBLISH(OnExpanding);
  PUBLISH(OnExpanded);
  PUBLISH(OnGetImageIndex);
  PUBLISH(OnGetSelectedIndex);
  publishDragEvents(b);
  publishFocusEvents(b);
  publishKeyEvents(b);
  publishMouseEvents(b);
  PUBLISH(Items);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TTextAttributes)

RTL_BEGIN_CLASS(TCustomRichEdit)
  b.Message(CN_NOTIFY, &TCustomRichEdit::CNNotify);
  b.Message(CM_FONTCHANGED, &TCustomRichEdit::CMFontChanged);
RTL_END_CLASS

RTL_BEGIN_CLASS(TRichEdit)
  using T = TRichEdit;
  publishPlacement(b);
  PUBLISH(Alignment).Default(taLeftJustify);
  publishBevels(b);
  PUBLISH(BorderStyle).Default(bsSingle);
  PUBLISH(BorderWidth).Default(0);
  publishLook(b);
  publishDragProperties(b);
  PUBLISH(HideSelection).Default(true);
  PUBLISH(HideScrollBars).Default(true);
  PUBLISH(ImeMode).Default(imDontCare);
  PUBLISH(ImeName);
  PUBLISH(Lines);
  PUBLISH(MaxLength).Default(0);
  PUBLISH(ParentColor).Default(false);
  publishParentFlags(b);
  PUBLISH(PlainText).Default(false);
  PUBLISH(ReadOnly).Default(false);
  PUBLISH(ScrollBars).Default(ssNone);
  publishWindowFlags(b, true);
  PUBLISH(WantTabs).Default(false);
  PUBLISH(WantReturns).Default(true);
  PUBLISH(WordWrap).Default(true);
  PUBLISH(OnChange);
  PUBLISH(OnContextPopup);
  publishDragEvents(b);
  publishFocusEvents(b);
  publishKeyEvents(b);
  publishMouseEvents(b);
  PUBLISH(OnProtectChange);
  PUBLISH(OnResizeRequest);
  PUBLISH(OnSelectionChange);
RTL_END_CLASS

RTL_BEGIN_CLASS(TProgressBar)
  using T = TProgressBar;
  publishPlacement(b);
  PUBLISH(BorderWidth).Default(0);
  PUBLISH(Constraints);
  publishDragProperties(b);
  PUBLISH(Enabled).Default(true).Stored(&T::IsEnabledStored);
  PUBLISH(Max).Default(100);
  PUBLISH(Min).Default(0);
  PUBLISH(Orientation).Default(pbHorizontal);
  PUBLISH(ParentShowHint).Default(true);
  PUBLISH(PopupMenu);
  PUBLISH(Position).Default(0);
  PUBLISH(Smooth).Default(false);
  PUBLISH(Step).Default(10);
  PUBLISH(ShowHint).Stored(&T::IsShowHintStored);
  PUBLISH(TabOrder).Default(-1);
  PUBLISH(TabStop).Default(false);
  PUBLISH(Visible).Default(true).Stored(&T::IsVisibleStored);
  PUBLISH(OnContextPopup);
  publishDragEvents(b);
  publishFocusEvents(b);
  publishMouseEvents(b);
RTL_END_CLASS

namespace ComCtrlsUnit {

namespace {
HMODULE richEditLibrary = nullptr;

std::vector<TClass> unitClasses() {
  return {TTabControl::StaticClass(), TPageControl::StaticClass(), TTabSheet::StaticClass(),
          TTreeView::StaticClass(),   TRichEdit::StaticClass(),    TProgressBar::StaticClass()};
}
}  // namespace

void Initialize() {
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof icc;
  icc.dwICC = ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES;
  InitCommonControlsEx(&icc);
  // The rich edit window class lives in riched20.dll, which registers it when loaded.
  richEditLibrary = LoadLibraryA("riched20.dll");
  RegisterClasses(unitClasses());
}

void Finalize() {
  UnRegisterClasses(unitClasses());
}

}  // namespace ComCtrlsUnit
