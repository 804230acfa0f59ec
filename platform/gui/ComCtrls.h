#pragma once
// ComCtrls: the common controls of comctl32 and the rich edit control.
//
// Sections, in order:
//   tab control        TCustomTabControl, TTabControl
//   page control       TTabSheet, TPageControl
//   tree view          TTreeNode, TTreeNodes, TCustomTreeView, TTreeView
//   rich edit          TTextAttributes, TCustomRichEdit, TRichEdit
//   progress bar       TProgressBar
//
// The tab control's tabs and the tree view's nodes are kept by the control itself and
// shown by its window whenever it has one, so they can be filled before the control has a
// parent; the rich edit's lines, like a memo's, are the window's.

#include <windows.h>

#include <commctrl.h>
#include <richedit.h>
#include <string>
#include <vector>

#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/Classes.h"

class TCustomTabControl;
class TPageControl;
class TTabSheet;
class TTreeNode;
class TTreeNodes;
class TCustomTreeView;
class TCustomRichEdit;

// =======================================================================================
// Tab control
// =======================================================================================

RTL_ENUM(TTabPosition, tpTop, tpBottom, tpLeft, tpRight)
RTL_ENUM(TTabStyle, tsTabs, tsButtons, tsFlatButtons)

using TTabChangingEvent = TEvent<void(TObject* Sender, bool& AllowChange)>;
using TDrawTabEvent = TEvent<void(TCustomTabControl* Control, Integer TabIndex, const TRect& Rect, bool Active)>;
using TTabGetImageEvent = TEvent<void(TObject* Sender, Integer TabIndex, Integer& ImageIndex)>;

// A row (or rows) of tabs over the system's tab control (SysTabControl32). Clicking a tab
// or moving with the arrow keys asks OnChanging first (AllowChange false keeps the current
// tab), then selects the tab and fires OnChange. Setting TabIndex in code fires neither.
// The client area of the control below the tabs is DisplayRect; children aligned alClient
// fill it.
class TCustomTabControl : public TWinControl {
  RTL_DECLARE_CLASS(TCustomTabControl, TWinControl)
public:
  explicit TCustomTabControl(TComponent* AOwner);
  ~TCustomTabControl() override;

  // The area inside the tab control's border, below (or beside) the tabs.
  TRect DisplayRect();
  // The tab under (X, Y) of the client area; -1 when none.
  Integer IndexOfTabAt(Integer X, Integer Y);
  // The rectangle of tab Index (empty without a window).
  TRect TabRect(Integer Index);
  // The number of rows of tabs.
  Integer RowCount();
  void ScrollTabs(Integer Delta);

  TCanvas* Canvas() const { return canvas_.get(); }
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool Value);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool Value);
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool Value);
  bool OwnerDraw() const { return ownerDraw_; }
  void SetOwnerDraw(bool Value);
  bool RaggedRight() const { return raggedRight_; }
  void SetRaggedRight(bool Value);
  bool ScrollOpposite() const { return scrollOpposite_; }
  void SetScrollOpposite(bool Value);
  TTabStyle Style() const { return style_; }
  void SetStyle(TTabStyle Value);
  SmallInt TabHeight() const { return tabHeight_; }
  void SetTabHeight(SmallInt Value);
  SmallInt TabWidth() const { return tabWidth_; }
  void SetTabWidth(SmallInt Value);
  TTabPosition TabPosition() const { return tabPosition_; }
  void SetTabPosition(TTabPosition Value);

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& Value) { onChange_ = Value; }
  const TTabChangingEvent& OnChanging() const { return onChanging_; }
  void SetOnChanging(const TTabChangingEvent& Value) { onChanging_ = Value; }
  const TDrawTabEvent& OnDrawTab() const { return onDrawTab_; }
  void SetOnDrawTab(const TDrawTabEvent& Value) { onDrawTab_ = Value; }
  const TTabGetImageEvent& OnGetImageIndex() const { return onGetImageIndex_; }
  void SetOnGetImageIndex(const TTabGetImageEvent& Value) { onGetImageIndex_ = Value; }

  // Message handlers (public for the message map).
  void CNNotify(TWMNotify& Message);
  void CNDrawItem(TWMDrawItem& Message);
  void CMFontChanged(TMessage& Message);
  void CMTabStopChanged(TMessage& Message);
  void WMSize(TWMSize& Message);
  void WMLButtonDblClk(TWMMouse& Message);

  // The tabs' captions (and objects).
  TStrings* Tabs() const { return tabs_; }
  void SetTabs(TStrings* Value) { tabs_->Assign(Value); }
  Integer TabIndex();
  void SetTabIndex(Integer Value);

protected:
  // OnChanging: whether the tab may change now.
  virtual bool CanChange();
  virtual void Change();
  virtual void DrawTab(Integer TabIndex, const TRect& Rect, bool Active);
  virtual Integer GetImageIndex(Integer TabIndex);
  void AdjustClientRect(TRect& Rect) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The tabs changed: the display area may have moved.
  virtual void TabsChanged();
  void UpdateTabImages();

private:
  friend class TTabStrings;
  void imageListChange(TObject* Sender);
  void applyTabSize();

  TStrings* tabs_;
  TOwnedControlCanvas canvas_;
  TChangeLink* imageChangeLink_;
  TCustomImageList* images_ = nullptr;
  Integer tabIndex_ = -1;  // while there is no window
  bool hotTrack_ = false;
  bool multiLine_ = false;
  bool multiSelect_ = false;
  bool ownerDraw_ = false;
  bool raggedRight_ = false;
  bool scrollOpposite_ = false;
  TTabStyle style_ = tsTabs;
  SmallInt tabHeight_ = 0;
  SmallInt tabWidth_ = 0;
  TTabPosition tabPosition_ = tpTop;
  bool updating_ = false;
  TNotifyEvent onChange_;
  TTabChangingEvent onChanging_;
  TDrawTabEvent onDrawTab_;
  TTabGetImageEvent onGetImageIndex_;
};

class TTabControl : public TCustomTabControl {
  RTL_DECLARE_CLASS(TTabControl, TCustomTabControl)
public:
  explicit TTabControl(TComponent* AOwner) : TCustomTabControl(AOwner) {}
};

// =======================================================================================
// Page control
// =======================================================================================

// A page of a page control: a container shown when its tab is selected. PageIndex is its
// place among the pages; TabIndex its place among the shown tabs (-1 when TabVisible is
// off or it has no page control).
class TTabSheet : public TWinControl {
  RTL_DECLARE_CLASS(TTabSheet, TWinControl)
public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;

  TPageControl* PageControl() const { return pageControl_; }
  void SetPageControl(TPageControl* Value);
  Integer PageIndex();
  void SetPageIndex(Integer Value);
  Integer TabIndex();
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool Value);
  TImageIndex ImageIndex() const { return imageIndex_; }
  void SetImageIndex(TImageIndex Value);
  bool Highlighted() const { return highlighted_; }
  void SetHighlighted(bool Value);
  void SetParent(TWinControl* AParent) override;

  const TNotifyEvent& OnShow() const { return onShow_; }
  void SetOnShow(const TNotifyEvent& Value) { onShow_ = Value; }
  const TNotifyEvent& OnHide() const { return onHide_; }
  void SetOnHide(const TNotifyEvent& Value) { onHide_ = Value; }

  void CMTextChanged(TMessage& Message);
  void CMShowingChanged(TMessage& Message);
  void WMEraseBkgnd(TWMEraseBkgnd& Message);

protected:
  virtual void DoHide();
  virtual void DoShow();
  void CreateParams(TCreateParams& Params) override;
  void ReadState(TReader* Reader) override;

private:
  friend class TPageControl;
  void setTabShowing(bool Value);
  void updateTabShowing();

  TPageControl* pageControl_ = nullptr;
  bool tabVisible_ = true;
  bool tabShowing_ = false;
  bool highlighted_ = false;
  TImageIndex imageIndex_ = -1;
  TNotifyEvent onShow_;
  TNotifyEvent onHide_;
};

// Tabbed pages: one TTabSheet per tab, the active page showing below the tabs. Setting
// ActivePage or ActivePageIndex in code shows that page without OnChanging / OnChange; the
// user's switch (a click, the arrow keys, Ctrl+Tab) asks OnChanging and fires OnChange.
class TPageControl : public TCustomTabControl {
  RTL_DECLARE_CLASS(TPageControl, TCustomTabControl)
public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;

  TTabSheet* ActivePage() const { return activePage_; }
  void SetActivePage(TTabSheet* Page);
  Integer ActivePageIndex();
  void SetActivePageIndex(Integer Value);
  Integer PageCount() const { return static_cast<Integer>(pages_.size()); }
  // EListError "List index out of bounds (n)" outside 0 .. PageCount - 1.
  TTabSheet* Pages(Integer Index) const;
  // The page after (or before) CurPage, wrapping round; with CheckTabVisible only pages
  // whose tab shows. Null when there is none.
  TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible);
  // Moves to the next page as the user does (OnChanging, then OnChange).
  void SelectNextPage(bool GoForward, bool CheckTabVisible = true);
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void ShowControl(TControl* AControl) override;

  void CMDialogKey(TCMDialogKey& Message);

protected:
  void Change() override;
  Integer GetImageIndex(Integer TabIndex) override;
  void Loaded() override;
  void SetChildOrder(TComponent* Child, int Order) override;

private:
  friend class TTabSheet;
  void changeActivePage(TTabSheet* Page);
  void insertPage(TTabSheet* Page);
  void removePage(TTabSheet* Page);
  void insertTab(TTabSheet* Page);
  void deleteTab(TTabSheet* Page, Integer Index);
  void moveTab(Integer CurIndex, Integer NewIndex);
  void updateTab(TTabSheet* Page);
  void updateActivePage();

  std::vector<TTabSheet*> pages_;
  TTabSheet* activePage_ = nullptr;
};

// =======================================================================================
// Tree view
// =======================================================================================

RTL_ENUM(TNodeAttachMode, naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert)
RTL_ENUM(TSortType, stNone, stData, stText, stBoth)
RTL_ENUM(THitTest, htAbove, htBelow, htNowhere, htOnItem, htOnButton, htOnIcon, htOnIndent, htOnLabel, htOnRight,
         htOnStateIcon, htToLeft, htToRight)
using THitTests = Set<THitTest>;
RTL_EXCEPTION(ETreeViewError, EListError)

using TTVChangingEvent = TEvent<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVChangedEvent = TEvent<void(TObject* Sender, TTreeNode* Node)>;
using TTVExpandingEvent = TEvent<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVCollapsingEvent = TEvent<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)>;
using TTVExpandedEvent = TEvent<void(TObject* Sender, TTreeNode* Node)>;
using TTVEditingEvent = TEvent<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVEditedEvent = TEvent<void(TObject* Sender, TTreeNode* Node, std::string& S)>;
using TTVCompareEvent = TEvent<void(TObject* Sender, TTreeNode* Node1, TTreeNode* Node2, Integer Data, Integer& Compare)>;

// Compares two nodes for CustomSort: negative, zero or positive.
using TTVCompare = Integer (*)(TTreeNode* Node1, TTreeNode* Node2, NativeInt Data);

// One node of a tree: its text, data and images, its place among its parent's children,
// and whether it is expanded or selected. Navigation follows the tree in pre-order
// (GetNext: first child, else next sibling, else the next sibling of the nearest ancestor
// that has one).
class TTreeNode : public TPersistent {
  RTL_DECLARE_CLASS(TTreeNode, TPersistent)
public:
  explicit TTreeNode(TTreeNodes* AOwner);
  ~TTreeNode() override;

  // From another node: text, data, images and (recursively) the children.
  void Assign(TPersistent* Source) override;

  const std::string& Text() const { return text_; }
  void SetText(const std::string& Value);
  void* Data() const { return data_; }
  void SetData(void* Value);
  TImageIndex ImageIndex() const { return imageIndex_; }
  void SetImageIndex(TImageIndex Value);
  TImageIndex SelectedIndex() const { return selectedIndex_; }
  void SetSelectedIndex(TImageIndex Value);
  Integer StateIndex() const { return stateIndex_; }
  void SetStateIndex(Integer Value);
  Integer OverlayIndex() const { return overlayIndex_; }
  void SetOverlayIndex(Integer Value);

  TTreeNode* Parent() const { return parent_; }
  // 0 for a node at the top.
  Integer Level() const;
  // The number of children.
  Integer Count() const { return static_cast<Integer>(children_.size()); }
  // Child Index; ETreeViewError "List index out of bounds (n)" outside the children.
  TTreeNode* Item(Integer Index) const;
  // The place among its siblings.
  Integer Index() const;
  // The place in the whole tree in pre-order.
  Integer AbsoluteIndex() const;
  // Whether the node has children (or was told it has, for filling it on expansion).
  bool HasChildren() const { return hasChildren_ || !children_.empty(); }
  void SetHasChildren(bool Value);
  bool Expanded() const;
  void SetExpanded(bool Value);
  bool Selected() const;
  void SetSelected(bool Value);
  bool Focused() const;
  void SetFocused(bool Value);
  bool Cut() const { return cut_; }
  void SetCut(bool Value);
  bool DropTarget() const;
  void SetDropTarget(bool Value);
  bool Deleting() const { return deleting_; }
  // Whether every ancestor is expanded.
  bool IsVisible() const;
  TTreeNodes* Owner() const { return owner_; }
  TCustomTreeView* TreeView() const;
  // The window's item of the node (null while the tree view has no window).
  HTREEITEM ItemId() const { return itemId_; }
  HWND Handle() const;

  TTreeNode* GetFirstChild() const { return children_.empty() ? nullptr : children_.front(); }
  TTreeNode* getFirstChild() const { return GetFirstChild(); }
  TTreeNode* GetLastChild() const { return children_.empty() ? nullptr : children_.back(); }
  TTreeNode* GetNext() const;
  TTreeNode* GetPrev() const;
  TTreeNode* GetNextSibling() const;
  TTreeNode* getNextSibling() const { return GetNextSibling(); }
  TTreeNode* GetPrevSibling() const;
  TTreeNode* getPrevSibling() const { return GetPrevSibling(); }
  TTreeNode* GetNextVisible() const;
  TTreeNode* GetPrevVisible() const;
  // The sibling after / before Value (a child of this node); null when none.
  TTreeNode* GetNextChild(TTreeNode* Value) const;
  TTreeNode* getNextChild(TTreeNode* Value) const { return GetNextChild(Value); }
  TTreeNode* GetPrevChild(TTreeNode* Value) const;
  // Whether Value is this node's parent, grandparent ...
  bool HasAsParent(TTreeNode* Value) const;
  // The place of child Value; -1 when it is not a child.
  Integer IndexOf(TTreeNode* Value) const;

  void Expand(bool Recurse);
  void Collapse(bool Recurse);
  // Expands the ancestors and scrolls the node into view.
  void MakeVisible();
  // Removes the node (and its children) from the tree and frees it.
  void Delete();
  void DeleteChildren();
  // Moves the node (with its children) to Destination as Mode says.
  virtual void MoveTo(TTreeNode* Destination, TNodeAttachMode Mode);
  bool EditText();
  void EndEdit(bool Cancel);
  TRect DisplayRect(bool TextOnly) const;
  bool AlphaSort(bool ARecurse = false);
  bool CustomSort(TTVCompare SortProc, NativeInt Data, bool ARecurse = false);

private:
  friend class TTreeNodes;
  friend class TCustomTreeView;
  void insertInto(TTreeNode* Parent, size_t Position);
  void detach();
  void updateItem(UINT Mask);
  void sortChildren(const std::function<bool(TTreeNode*, TTreeNode*)>& Less, bool Recurse);

  TTreeNodes* owner_;
  TTreeNode* parent_ = nullptr;
  std::vector<TTreeNode*> children_;
  std::string text_;
  void* data_ = nullptr;
  TImageIndex imageIndex_ = 0;
  TImageIndex selectedIndex_ = 0;
  Integer stateIndex_ = -1;
  Integer overlayIndex_ = -1;
  bool hasChildren_ = false;
  bool expanded_ = false;
  bool cut_ = false;
  bool deleting_ = false;
  HTREEITEM itemId_ = nullptr;
};

// The nodes of a tree view. Items(Index) walks the tree in pre-order; an index outside
// 0 .. Count - 1 raises ETreeViewError "List index out of bounds (n)".
class TTreeNodes : public TPersistent {
  RTL_DECLARE_CLASS(TTreeNodes, TPersistent)
public:
  explicit TTreeNodes(TCustomTreeView* AOwner);
  ~TTreeNodes() override;

  // A copy of Source's nodes (a TTreeNodes).
  void Assign(TPersistent* Source) override;

  // A node after the last sibling of Sibling (at the top when Sibling is null).
  TTreeNode* Add(TTreeNode* Sibling, const std::string& S);
  TTreeNode* AddObject(TTreeNode* Sibling, const std::string& S, void* Ptr);
  // A node before the first sibling of Sibling.
  TTreeNode* AddFirst(TTreeNode* Sibling, const std::string& S);
  TTreeNode* AddObjectFirst(TTreeNode* Sibling, const std::string& S, void* Ptr);
  // A last (first) child of Parent (at the top when Parent is null).
  TTreeNode* AddChild(TTreeNode* Parent, const std::string& S);
  TTreeNode* AddChildObject(TTreeNode* Parent, const std::string& S, void* Ptr);
  TTreeNode* AddChildFirst(TTreeNode* Parent, const std::string& S);
  TTreeNode* AddChildObjectFirst(TTreeNode* Parent, const std::string& S, void* Ptr);
  // A node just before Sibling (at the end of the top level when Sibling is null).
  TTreeNode* Insert(TTreeNode* Sibling, const std::string& S);
  TTreeNode* InsertObject(TTreeNode* Sibling, const std::string& S, void* Ptr);
  // Places Node (new, or moving) relative to Relative as Mode says.
  TTreeNode* AddNode(TTreeNode* Node, TTreeNode* Relative, const std::string& S, void* Ptr, TNodeAttachMode Method);
  void Delete(TTreeNode* Node);
  void Clear();
  void BeginUpdate();
  void EndUpdate();

  TTreeNode* GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front(); }
  // The node of a window item; null when none.
  TTreeNode* GetNode(HTREEITEM ItemId) const;
  Integer Count() const;
  TTreeNode* Item(Integer Index) const;
  TTreeNode* operator[](Integer Index) const { return Item(Index); }
  TCustomTreeView* Owner() const { return owner_; }
  HWND Handle() const;

  // The nodes as a form description stores them ("Data": a count, then each node's
  // images, data, child count and text, recursively).
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);

protected:
  void DefineProperties(TFiler* Filer) override;

private:
  friend class TTreeNode;
  friend class TCustomTreeView;
  std::vector<TTreeNode*>& siblingsOf(TTreeNode* Parent) { return Parent ? Parent->children_ : roots_; }
  size_t sortedPosition(TTreeNode* Parent, const std::string& S) const;

  TCustomTreeView* owner_;
  std::vector<TTreeNode*> roots_;
  Integer updateCount_ = 0;
};

// A tree of nodes over the system's tree view (SysTreeView32).
//
// Selecting a node (click, keys, or Selected in code) asks OnChanging and fires OnChange;
// expanding and collapsing ask OnExpanding / OnCollapsing and fire OnExpanded /
// OnCollapsed. SaveToFile / SaveToStream write one line per node in pre-order: as many TAB
// characters as the node's level, the text, CR LF; LoadFromFile reads that back.
class TCustomTreeView : public TWinControl {
  RTL_DECLARE_CLASS(TCustomTreeView, TWinControl)
public:
  explicit TCustomTreeView(TComponent* AOwner);
  ~TCustomTreeView() override;

  TTreeNodes* Items() const { return items_; }
  void SetItems(TTreeNodes* Value) { items_->Assign(Value); }
  TTreeNode* Selected() const;
  void SetSelected(TTreeNode* Value);
  TTreeNode* TopItem() const;
  void SetTopItem(TTreeNode* Value);
  TTreeNode* DropTarget() const;
  void SetDropTarget(TTreeNode* Value);

  // The node at (X, Y) of the client area (on its label, icon or indent); null when none.
  TTreeNode* GetNodeAt(Integer X, Integer Y);
  THitTests GetHitTestInfoAt(Integer X, Integer Y);
  void FullExpand();
  void FullCollapse();
  bool AlphaSort(bool ARecurse = true);
  bool CustomSort(TTVCompare SortProc, NativeInt Data, bool ARecurse = true);
  bool IsEditing();
  void LoadFromFile(const std::string& FileName);
  void LoadFromStream(TStream* Stream);
  // EFCreateError 'Cannot create file "..."' when the file cannot be written.
  void SaveToFile(const std::string& FileName);
  void SaveToStream(TStream* Stream);

  bool AutoExpand() const { return autoExpand_; }
  void SetAutoExpand(bool Value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  Integer ChangeDelay() const { return changeDelay_; }
  void SetChangeDelay(Integer Value) { changeDelay_ = Value; }
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool Value);
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool Value);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  TCustomImageList* StateImages() const { return stateImages_; }
  void SetStateImages(TCustomImageList* Value);
  Integer Indent();
  void SetIndent(Integer Value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool Value);
  bool RightClickSelect() const { return rightClickSelect_; }
  void SetRightClickSelect(bool Value) { rightClickSelect_ = Value; }
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool Value);
  bool ShowButtons() const { return showButtons_; }
  void SetShowButtons(bool Value);
  bool ShowLines() const { return showLines_; }
  void SetShowLines(bool Value);
  bool ShowRoot() const { return showRoot_; }
  void SetShowRoot(bool Value);
  TSortType SortType() const { return sortType_; }
  void SetSortType(TSortType Value);
  bool ToolTips() const { return toolTips_; }
  void SetToolTips(bool Value);

  const TTVChangingEvent& OnChanging() const { return onChanging_; }
  void SetOnChanging(const TTVChangingEvent& Value) { onChanging_ = Value; }
  const TTVChangedEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TTVChangedEvent& Value) { onChange_ = Value; }
  const TTVExpandingEvent& OnExpanding() const { return onExpanding_; }
  void SetOnExpanding(const TTVExpandingEvent& Value) { onExpanding_ = Value; }
  const TTVExpandedEvent& OnExpanded() const { return onExpanded_; }
  void SetOnExpanded(const TTVExpandedEvent& Value) { onExpanded_ = Value; }
  const TTVCollapsingEvent& OnCollapsing() const { return onCollapsing_; }
  void SetOnCollapsing(const TTVCollapsingEvent& Value) { onCollapsing_ = Value; }
  const TTVExpandedEvent& OnCollapsed() const { return onCollapsed_; }
  void SetOnCollapsed(const TTVExpandedEvent& Value) { onCollapsed_ = Value; }
  const TTVEditingEvent& OnEditing() const { return onEditing_; }
  void SetOnEditing(const TTVEditingEvent& Value) { onEditing_ = Value; }
  const TTVEditedEvent& OnEdited() const { return onEdited_; }
  void SetOnEdited(const TTVEditedEvent& Value) { onEdited_ = Value; }
  const TTVExpandedEvent& OnDeletion() const { return onDeletion_; }
  void SetOnDeletion(const TTVExpandedEvent& Value) { onDeletion_ = Value; }
  const TTVExpandedEvent& OnAddition() const { return onAddition_; }
  void SetOnAddition(const TTVExpandedEvent& Value) { onAddition_ = Value; }
  const TTVExpandedEvent& OnGetImageIndex() const { return onGetImageIndex_; }
  void SetOnGetImageIndex(const TTVExpandedEvent& Value) { onGetImageIndex_ = Value; }
  const TTVExpandedEvent& OnGetSelectedIndex() const { return onGetSelectedIndex_; }
  void SetOnGetSelectedIndex(const TTVExpandedEvent& Value) { onGetSelectedIndex_ = Value; }
  const TTVCompareEvent& OnCompare() const { return onCompare_; }
  void SetOnCompare(const TTVCompareEvent& Value) { onCompare_ = Value; }

  // Message handlers (public for the message map).
  void CNNotify(TWMNotify& Message);
  void WMRButtonDown(TWMMouse& Message);
  void CMColorChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);

protected:
  virtual bool CanChange(TTreeNode* Node);
  virtual void Change(TTreeNode* Node);
  virtual bool CanExpand(TTreeNode* Node);
  virtual void Expand(TTreeNode* Node);
  virtual bool CanCollapse(TTreeNode* Node);
  virtual void Collapse(TTreeNode* Node);
  virtual bool CanEdit(TTreeNode* Node);
  virtual void Edit(TTreeNode* Node, std::string& S);
  virtual void Delete(TTreeNode* Node);
  virtual void Added(TTreeNode* Node);
  virtual void GetImageIndex(TTreeNode* Node);
  virtual void GetSelectedIndex(TTreeNode* Node);
  // Compares two nodes for sorting: OnCompare when assigned, else by text.
  virtual Integer CompareNodes(TTreeNode* Node1, TTreeNode* Node2);
  // Makes a node; a tree view with nodes of its own class overrides it.
  virtual TTreeNode* CreateNode();
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TTreeNode;
  friend class TTreeNodes;
  void insertItem(TTreeNode* Node);
  void removeItem(TTreeNode* Node);
  void discard(TTreeNode* Node);
  void forgetItems(TTreeNode* Node);
  void sortWindowChildren(TTreeNode* Parent, bool Recurse);
  void applyColors();
  void imageListChange(TObject* Sender);
  void setStyleBit(DWORD Bit, bool On);
  DWORD styleBits() const;

  TTreeNodes* items_;
  TChangeLink* imageChangeLink_;
  TChangeLink* stateChangeLink_;
  TCustomImageList* images_ = nullptr;
  TCustomImageList* stateImages_ = nullptr;
  TTreeNode* selected_ = nullptr;    // while there is no window
  TTreeNode* topItem_ = nullptr;     // while there is no window
  TTreeNode* dropTarget_ = nullptr;  // while there is no window
  bool autoExpand_ = false;
  TBorderStyle borderStyle_ = bsSingle;
  Integer changeDelay_ = 0;
  bool hideSelection_ = true;
  bool hotTrack_ = false;
  Integer indent_ = 19;
  bool readOnly_ = false;
  bool rightClickSelect_ = false;
  bool rowSelect_ = false;
  bool showButtons_ = true;
  bool showLines_ = true;
  bool showRoot_ = true;
  TSortType sortType_ = stNone;
  bool toolTips_ = true;
  // Changes made by code (expanding, selecting, deleting) answer the window's own
  // notifications themselves while this is set.
  Integer programChange_ = 0;
  TTVChangingEvent onChanging_;
  TTVChangedEvent onChange_;
  TTVExpandingEvent onExpanding_;
  TTVExpandedEvent onExpanded_;
  TTVCollapsingEvent onCollapsing_;
  TTVExpandedEvent onCollapsed_;
  TTVEditingEvent onEditing_;
  TTVEditedEvent onEdited_;
  TTVExpandedEvent onDeletion_;
  TTVExpandedEvent onAddition_;
  TTVExpandedEvent onGetImageIndex_;
  TTVExpandedEvent onGetSelectedIndex_;
  TTVCompareEvent onCompare_;
};

class TTreeView : public TCustomTreeView {
  RTL_DECLARE_CLASS(TTreeView, TCustomTreeView)
public:
  explicit TTreeView(TComponent* AOwner) : TCustomTreeView(AOwner) {}
};

// =======================================================================================
// Rich edit
// =======================================================================================

RTL_ENUM(TAttributeType, atSelected, atDefaultText)
RTL_ENUM(TConsistentAttribute, caBold, caColor, caFace, caItalic, caSize, caStrikeOut, caUnderline, caProtected)
using TConsistentAttributes = Set<TConsistentAttribute>;

// The character format of a rich edit's selection (atSelected) or of its default text
// (atDefaultText), read from and written to the window.
class TTextAttributes : public TPersistent {
  RTL_DECLARE_CLASS(TTextAttributes, TPersistent)
public:
  TTextAttributes(TCustomRichEdit* AOwner, TAttributeType AttributeType);

  // From a TFont or another TTextAttributes.
  void Assign(TPersistent* Source) override;

  TFontCharset Charset();
  void SetCharset(TFontCharset Value);
  TColor Color();
  void SetColor(TColor Value);
  // Which attributes are the same over the whole selection.
  TConsistentAttributes ConsistentAttributes();
  TFontName Name();
  void SetName(const TFontName& Value);
  TFontPitch Pitch();
  void SetPitch(TFontPitch Value);
  bool Protected();
  void SetProtected(bool Value);
  // Points.
  Integer Size();
  void SetSize(Integer Value);
  // Pixels (negative: character height), as TFont's.
  Integer Height();
  void SetHeight(Integer Value);
  TFontStyles Style();
  void SetStyle(TFontStyles Value);

protected:
  void AssignTo(TPersistent* Dest) override;

private:
  CHARFORMAT2A get();
  void set(const CHARFORMAT2A& Format);

  TCustomRichEdit* richEdit_;
  TAttributeType type_;
};

using TRichEditResizeEvent = TEvent<void(TObject* Sender, TRect Rect)>;
using TRichEditProtectChange =
    TEvent<void(TObject* Sender, Integer StartPos, Integer EndPos, bool& AllowChange)>;

// A memo over the system's rich edit control (RICHEDIT20A); its Lines are the rich edit's
// paragraphs. Lines.SaveToStream /
// SaveToFile write rich text (RTF), or plain text when PlainText; LoadFromStream /
// LoadFromFile read either (a stream that is not RTF is read as plain text).
class TCustomRichEdit : public TCustomMemo {
  RTL_DECLARE_CLASS(TCustomRichEdit, TCustomMemo)
public:
  explicit TCustomRichEdit(TComponent* AOwner);
  ~TCustomRichEdit() override;

  TTextAttributes* DefAttributes() const { return defAttributes_; }
  void SetDefAttributes(TTextAttributes* Value) { defAttributes_->Assign(Value); }
  TTextAttributes* SelAttributes() const { return selAttributes_; }
  void SetSelAttributes(TTextAttributes* Value) { selAttributes_->Assign(Value); }
  bool HideScrollBars() const { return hideScrollBars_; }
  void SetHideScrollBars(bool Value);
  bool PlainText() const { return plainText_; }
  void SetPlainText(bool Value) { plainText_ = Value; }
  // The position of the first match of SearchStr in StartPos .. StartPos + Length; -1 when
  // none. Options: stWholeWord, stMatchCase.
  Integer FindText(const std::string& SearchStr, Integer StartPos, Integer Length, bool MatchCase, bool WholeWord);

  const TNotifyEvent& OnSelectionChange() const { return onSelectionChange_; }
  void SetOnSelectionChange(const TNotifyEvent& Value) { onSelectionChange_ = Value; }
  const TRichEditResizeEvent& OnResizeRequest() const { return onResizeRequest_; }
  void SetOnResizeRequest(const TRichEditResizeEvent& Value) { onResizeRequest_ = Value; }
  const TRichEditProtectChange& OnProtectChange() const { return onProtectChange_; }
  void SetOnProtectChange(const TRichEditProtectChange& Value) { onProtectChange_ = Value; }

  void CNNotify(TWMNotify& Message);
  void CMFontChanged(TMessage& Message);

protected:
  virtual void SelectionChange();
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;

private:
  friend class TRichEditStrings;
  TTextAttributes* defAttributes_;
  TTextAttributes* selAttributes_;
  bool hideScrollBars_ = true;
  bool plainText_ = false;
  std::string savedRtf_;  // the content while the window is made again
  TNotifyEvent onSelectionChange_;
  TRichEditResizeEvent onResizeRequest_;
  TRichEditProtectChange onProtectChange_;
};

class TRichEdit : public TCustomRichEdit {
  RTL_DECLARE_CLASS(TRichEdit, TCustomRichEdit)
public:
  explicit TRichEdit(TComponent* AOwner) : TCustomRichEdit(AOwner) {}
};

// =======================================================================================
// Progress bar
// =======================================================================================

RTL_ENUM(TProgressBarOrientation, pbHorizontal, pbVertical)
using TProgressRange = Integer;

// A bar over the system's progress control (msctls_progress32) filled in proportion to
// Position between Min and Max. Position is kept inside Min .. Max.
class TProgressBar : public TWinControl {
  RTL_DECLARE_CLASS(TProgressBar, TWinControl)
public:
  explicit TProgressBar(TComponent* AOwner);

  // Moves Position by Step (StepIt) or by Delta, wrapping past Max as the system does.
  void StepIt();
  void StepBy(Integer Delta);

  Integer Min() const { return min_; }
  void SetMin(Integer Value);
  Integer Max() const { return max_; }
  void SetMax(Integer Value);
  Integer Position();
  void SetPosition(Integer Value);
  Integer Step() const { return step_; }
  void SetStep(Integer Value);
  bool Smooth() const { return smooth_; }
  void SetSmooth(bool Value);
  TProgressBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TProgressBarOrientation Value);

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

private:
  void applyRange();

  Integer min_ = 0;
  Integer max_ = 100;
  Integer position_ = 0;
  Integer step_ = 10;
  bool smooth_ = false;
  TProgressBarOrientation orientation_ = pbHorizontal;
};

namespace ComCtrlsUnit {
void Initialize();
void Finalize();
}  // namespace ComCtrlsUnit
