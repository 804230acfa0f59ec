#pragma once
// Menus: menu items, the form's main menu and popup menus over Win32 menus (HMENU), and the
// routines that build, name and parse shortcut keys.
//
// Sections, in order:
//   shortcuts          scShift/scCtrl/scAlt, ShortCut, ShortCutToKey, ShortCutToText,
//                      TextToShortCut, hot-key helpers
//   types              item flags, owner-draw state, events, EMenuError
//   menu items         TMenuActionLink, TMenuItem
//   menus              TMenu, TMainMenu, TPopupMenu
//   popup list         TPopupList and the global PopupList
//   builders           NewMenu, NewPopupMenu, NewSubMenu, NewItem, NewLine
//
// A menu item's Handle is the Win32 menu listing its sub-items; it is made when first read
// (CreatePopupMenu, or CreateMenu for a main menu's bar) and rebuilt in place (RemoveMenu,
// then InsertMenuItemA for every visible sub-item) whenever a sub-item changes, so the
// handle a window or TrackPopupMenu holds stays valid. Each item has a command id unique in
// the program; WM_COMMAND with that id reaches the item through TMenu::DispatchCommand.
//
// Items are drawn by the system, except when the menu is OwnerDraw or has Images, or the
// item has a Bitmap: then they are owner-drawn (WM_MEASUREITEM / WM_DRAWITEM, which the
// menu's window hands to TMenu::dispatchMeasureItem / dispatchDrawItem), with the item's
// OnMeasureItem / OnAdvancedDrawItem / OnDrawItem or the default drawing.

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/gui/ActnList.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"
#include "platform/rtl/Classes.h"

class TMenu;
class TMenuItem;
class TMainMenu;
class TPopupMenu;

// =======================================================================================
// Shortcuts
// =======================================================================================

constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

// The character that marks a menu caption's hot key ("&File"; "&&" is a plain '&').
constexpr char cHotkeyPrefix = '&';
// The caption of a separator line.
constexpr const char* cLineCaption = "-";

// Key (a virtual-key code of one byte) with the shift state's Shift, Ctrl and Alt; 0 for a
// key above 255.
TShortCut ShortCut(Word Key, TShiftState Shift);
// The key and the shift state (ssShift, ssCtrl, ssAlt) of a shortcut.
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
// "Shift+", "Ctrl+", "Alt+" (in that order) and the key's name: letters and digits as
// themselves, F1..F24, and BkSp, Tab, Esc, Enter, Space, PgUp, PgDn, End, Home, Left, Up,
// Right, Down, Ins, Del; a fixed table names the other keys ("Num *", ";" ...). "" for a key
// without a name. The names do not depend on the keyboard layout.
std::string ShortCutToText(TShortCut ShortCut);
// The inverse of ShortCutToText, without regard to case; "^" also means Ctrl. 0 when the
// text names no key.
TShortCut TextToShortCut(const std::string& Text);
// The shortcut a key message stands for: its key with the Shift and Ctrl keys now down and
// Alt from the message's key data (bit 29).
TShortCut shortCutOfKeyMessage(const TWMKey& Message);

// The caption without its hot-key marks ("&&" becomes "&").
std::string StripHotkey(const std::string& Text);
// The hot-key character of a caption ("" when it has none; the last one when several).
std::string GetHotkey(const std::string& Text);
// Whether two captions are the same text once hot keys are stripped, without regard to case.
bool AnsiSameCaption(const std::string& Text1, const std::string& Text2);
// Whether the right Alt key (AltGr) is down.
bool IsAltGRPressed();

// The characters automatic hot keys choose from, in order of preference.
extern std::string ValidMenuHotkeys;

// =======================================================================================
// Types
// =======================================================================================

RTL_ENUM(TMenuBreak, mbNone, mbBreak, mbBarBreak)
// Automatic hot keys and line reduction: maParent (items only) follows the parent item or,
// at the top, the menu.
RTL_ENUM(TMenuItemAutoFlag, maAutomatic, maManual, maParent)
using TMenuAutoFlag = TMenuItemAutoFlag;
RTL_ENUM(TFindItemKind, fkCommand, fkHandle, fkShortCut)
RTL_ENUM(TPopupAlignment, paLeft, paRight, paCenter)
RTL_ENUM(TTrackButton, tbRightButton, tbLeftButton)
RTL_ENUM(TMenuAnimations, maLeftToRight, maRightToLeft, maTopToBottom, maBottomToTop, maNone)
using TMenuAnimation = Set<TMenuAnimations>;

// The state of an owner-drawn item (also used by owner-drawn list and combo boxes): the
// DRAWITEMSTRUCT's ODS_ flags.
RTL_ENUM(TOwnerDrawStateItem, odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight,
         odInactive, odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit)
using TOwnerDrawState = Set<TOwnerDrawStateItem>;
// The owner-draw state of a DRAWITEMSTRUCT's itemState.
TOwnerDrawState OwnerDrawStateOf(UINT ItemState);

// A menu or one of its items changed (Source: the item, null for the whole menu; Rebuild:
// whether the Win32 menu was rebuilt).
using TMenuChangeEvent = TEvent<void(TObject* Sender, TMenuItem* Source, bool Rebuild)>;
using TMenuDrawItemEvent = TEvent<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected)>;
using TAdvancedMenuDrawItemEvent =
    TEvent<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State)>;
using TMenuMeasureItemEvent = TEvent<void(TObject* Sender, TCanvas* ACanvas, Integer& Width, Integer& Height)>;

RTL_EXCEPTION(EMenuError, Exception)

// =======================================================================================
// Menu items
// =======================================================================================

// The link of a menu item to its action: the item shows the action's caption, checked and
// enabled state, help context, hint, group, image, shortcut and visibility, and its click
// runs the action. A property follows the action while the item's value equals the
// action's.
class TMenuActionLink : public TActionLink {
  RTL_DECLARE_CLASS(TMenuActionLink, TActionLink)
public:
  explicit TMenuActionLink(TObject* AClient);

  bool IsAutoCheckLinked() override;
  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
  bool IsGroupIndexLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsImageIndexLinked() override;
  bool IsShortCutLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;

  void SetAutoCheck(bool Value) override;
  void SetCaption(const std::string& Value) override;
  void SetChecked(bool Value) override;
  void SetEnabled(bool Value) override;
  void SetGroupIndex(Integer Value) override;
  void SetHelpContext(THelpContext Value) override;
  void SetHint(const std::string& Value) override;
  void SetImageIndex(Integer Value) override;
  void SetShortCut(TShortCut Value) override;
  void SetVisible(bool Value) override;
  void SetOnExecute(const TNotifyEvent& Value) override;

protected:
  void AssignClient(TObject* AClient) override;
  TMenuItem* FClient = nullptr;
};

// One entry of a menu, and the list of the entries under it. Sub-items are kept in order
// (Items(i), 0-based) and freed with their parent; the parent does not become their
// component owner.
class TMenuItem : public TComponent {
  RTL_DECLARE_CLASS(TMenuItem, TComponent)
public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  // --- Sub-items. EMenuError "Menu inserted twice" for an item that already has a parent,
  // "Menu index out of range" for a bad index, "Sub-menu is not in menu" for Remove of an
  // item that is not a sub-item.
  void Add(TMenuItem* Item);
  void Add(std::initializer_list<TMenuItem*> AItems);
  void Insert(Integer Index, TMenuItem* Item);
  // Takes the sub-item out of the menu without freeing it.
  void Delete(Integer Index);
  void Remove(TMenuItem* Item);
  // Frees every sub-item.
  void Clear();
  // The sub-item whose caption is ACaption (hot keys ignored, any case), or null.
  TMenuItem* Find(const std::string& ACaption) const;
  Integer IndexOf(const TMenuItem* Item) const;
  Integer Count() const { return static_cast<Integer>(items_.size()); }
  // EMenuError "Menu index out of range" for a bad index.
  TMenuItem* Items(Integer Index) const;
  TMenuItem* operator[](Integer Index) const { return Items(Index); }
  TMenuItem* Parent() const { return parent_; }
  // Position among the parent's items (-1 without parent); setting moves the item.
  Integer MenuIndex() const;
  void SetMenuIndex(Integer Value);
  // Separator lines, added as new items: at the top or bottom of this item's sub-items, or
  // before / after the sub-item AItem. Each returns the line.
  TMenuItem* NewTopLine();
  TMenuItem* NewBottomLine();
  TMenuItem* InsertNewLineBefore(TMenuItem* AItem);
  TMenuItem* InsertNewLineAfter(TMenuItem* AItem);

  // --- Acting.
  // What choosing the item does, when it is enabled: AutoCheck toggles Checked (unless the
  // action does that), then OnClick runs when it differs from the action's OnExecute, else
  // the action runs through its link, else OnClick.
  virtual void Click();
  // Refreshes the item's action (its link's Update).
  virtual void InitiateAction();
  // InitiateAction of every sub-item.
  void InitiateActions();

  // --- Automatic hot keys and lines (see AutoHotkeys / AutoLineReduction); each returns
  // whether anything changed.
  bool RethinkHotkeys();
  bool RethinkLines();

  // --- Drawing an owner-drawn item. AdvancedDrawItem calls OnAdvancedDrawItem, else
  // OnDrawItem, else draws the item itself (background, image or check mark, caption, and
  // the shortcut text). MeasureItem gives the default size, then OnMeasureItem may change it.
  virtual void AdvancedDrawItem(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State, bool TopLevel);
  void DrawItem(TCanvas* ACanvas, const TRect& ARect, bool Selected);
  virtual void MeasureItem(TCanvas* ACanvas, Integer& Width, Integer& Height);

  // --- Menu structure.
  bool IsLine() const { return caption_ == cLineCaption; }
  // The images ImageIndex refers to: the nearest parent's SubMenuImages, else the menu's
  // Images.
  TCustomImageList* GetImageList() const;
  // The menu the item belongs to (through its parents), or null.
  TMenu* GetParentMenu() const;
  TComponent* GetParentComponent() const override;
  bool HasParent() const override { return true; }
  void SetParentComponent(TComponent* Value) override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, int Order) override;
  // Joins the menu or item being read (the reader's Parent) before reading its own data.
  void ReadState(TReader* Reader) override;
  void Loaded() override;

  // The Win32 menu of the sub-items (made when first read).
  HMENU Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Empties and refills the Win32 menu from the sub-items.
  void RebuildHandle();
  // The WM_COMMAND id of the item.
  Word Command() const { return command_; }
  TMenuActionLink* ActionLink() const { return actionLink_; }

  // Stored predicates of the published properties: a property that follows the action is
  // not stored.
  bool IsCaptionStored() const;
  bool IsCheckedStored() const;
  bool IsEnabledStored() const;
  bool IsHelpContextStored() const;
  bool IsHintStored() const;
  bool IsGroupIndexStored() const;
  bool IsImageIndexStored() const;
  bool IsShortCutStored() const;
  bool IsVisibleStored() const;
  bool IsAutoCheckStored() const;
  bool IsOnClickStored() const;
  bool IsBitmapStored() const { return bitmap_ && !bitmap_->Empty(); }

  // --- Properties.
  TBasicAction* Action() const;
  // Links the item to Value (copying the action's properties; while the action is being
  // loaded only the item's properties that still have their defaults) or unlinks it.
  void SetAction(TBasicAction* Value);
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool Value);
  // maAutomatic gives every sub-item a unique hot key (inserting '&' into the captions)
  // before the menu shows.
  TMenuItemAutoFlag AutoHotkeys() const { return autoHotkeys_; }
  void SetAutoHotkeys(TMenuItemAutoFlag Value);
  // maAutomatic hides separator lines at the start or end of the menu and after another
  // line (their Visible stays as it is).
  TMenuItemAutoFlag AutoLineReduction() const { return autoLineReduction_; }
  void SetAutoLineReduction(TMenuItemAutoFlag Value);
  // A picture shown beside the caption (made when first read).
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* Value);
  TMenuBreak Break() const { return break_; }
  void SetBreak(TMenuBreak Value);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  bool Checked() const { return checked_; }
  // Checking a RadioItem unchecks the radio items of the same GroupIndex under the parent.
  void SetChecked(bool Value);
  TCustomImageList* SubMenuImages() const { return subMenuImages_; }
  void SetSubMenuImages(TCustomImageList* Value);
  bool Default() const { return default_; }
  void SetDefault(bool Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  Byte GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(Byte Value);
  THelpContext HelpContext() const { return helpContext_; }
  void SetHelpContext(THelpContext Value) { helpContext_ = Value; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value) { hint_ = Value; }
  TImageIndex ImageIndex() const { return imageIndex_; }
  void SetImageIndex(TImageIndex Value);
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool Value);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);

  const TNotifyEvent& OnClick() const { return onClick_; }
  void SetOnClick(const TNotifyEvent& Value) { onClick_ = Value; }
  const TMenuDrawItemEvent& OnDrawItem() const { return onDrawItem_; }
  void SetOnDrawItem(const TMenuDrawItemEvent& Value);
  const TAdvancedMenuDrawItemEvent& OnAdvancedDrawItem() const { return onAdvancedDrawItem_; }
  void SetOnAdvancedDrawItem(const TAdvancedMenuDrawItemEvent& Value);
  const TMenuMeasureItemEvent& OnMeasureItem() const { return onMeasureItem_; }
  void SetOnMeasureItem(const TMenuMeasureItemEvent& Value);

protected:
  // Copies the action's properties (CheckDefaults: only into those still at their
  // defaults).
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  // Tells the parent (or the menu) that this item changed; Rebuild asks the parent to
  // rebuild its Win32 menu.
  virtual void MenuChanged(bool Rebuild);
  void Notification(TComponent* AComponent, TOperation Operation) override;


private:
  friend class TMenu;
  friend class TMenuActionLink;
  void subItemChanged(TMenuItem* Source, bool Rebuild);
  void populateMenu();
  void rebuildItems();
  void appendTo(HMENU menu, bool rightToLeft);
  bool isOwnerDraw() const;
  bool isTopLevel() const;
  bool isAutoHotkeys() const;
  bool isAutoLineReduction() const;
  bool internalRethinkHotkeys(bool force);
  bool internalRethinkLines(bool force);
  void turnSiblingsOff();
  template <class V> void changeShown(V& field, const V& value);
  void doActionChange(TObject* Sender);
  void bitmapChanged(TObject* Sender);
  void subMenuImagesChanged(TObject* Sender);
  void drawDefault(TCanvas* canvas, const TRect& rect, TOwnerDrawState state, bool topLevel);

  std::string caption_;
  HMENU handle_ = nullptr;
  bool checked_ = false;
  bool enabled_ = true;
  bool default_ = false;
  TMenuItemAutoFlag autoHotkeys_ = maParent;
  TMenuItemAutoFlag autoLineReduction_ = maParent;
  bool radioItem_ = false;
  bool visible_ = true;
  bool lineHidden_ = false;  // a separator hidden by line reduction
  Byte groupIndex_ = 0;
  TImageIndex imageIndex_ = -1;
  TMenuActionLink* actionLink_ = nullptr;
  TMenuBreak break_ = mbNone;
  TBitmap* bitmap_ = nullptr;
  Word command_ = 0;
  THelpContext helpContext_ = 0;
  std::string hint_;
  std::vector<TMenuItem*> items_;
  TShortCut shortCut_ = 0;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on a menu's root item
  TCustomImageList* subMenuImages_ = nullptr;
  TChangeLink* subMenuImagesLink_ = nullptr;
  bool autoCheck_ = false;
  bool streamedRebuild_ = false;
  TNotifyEvent onClick_;
  TMenuDrawItemEvent onDrawItem_;
  TAdvancedMenuDrawItemEvent onAdvancedDrawItem_;
  TMenuMeasureItemEvent onMeasureItem_;
};

// =======================================================================================
// Menus
// =======================================================================================

// A menu: its root item (Items) holds the entries. The menu answers for its items'
// commands, sub-menu openings and shortcuts.
class TMenu : public TComponent {
  RTL_DECLARE_CLASS(TMenu, TComponent)
public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;

  // The item whose Command is ACommand is clicked; false when there is none.
  bool DispatchCommand(Word ACommand);
  // The item whose sub-menu AMenu is opening: its sub-items' actions are updated, their hot
  // keys and lines rethought, and the item is clicked. False when it is not one of ours.
  bool DispatchPopup(HMENU AMenu);
  // The item (under the root, at any depth) whose Command, Handle or ShortCut is Value; null
  // when none.
  TMenuItem* FindItem(NativeUInt Value, TFindItemKind Kind) const;
  // The help context of the item found by command (or by sub-menu handle), or of its
  // nearest parent that has one; 0 when none.
  THelpContext GetHelpContext(NativeUInt Value, bool ByCommand) const;
  // Clicks the enabled item whose ShortCut is the key of Message (opening its parents
  // first); true when an item has that shortcut. Exceptions raised by the click go to the
  // application's handler.
  virtual bool IsShortCut(TWMKey& Message);
  bool IsRightToLeft() const;
  // OwnerDraw, or Images set: the items are drawn by the menu.
  bool IsOwnerDraw() const { return ownerDraw_ || images_ != nullptr; }

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, int Order) override;

  // --- Messages of the menu's window (the form's for a main menu, the popup list's for
  // popup menus). Each returns whether the message concerned this menu.
  // WM_MEASUREITEM / WM_DRAWITEM of ODT_MENU items.
  bool dispatchMeasureItem(MEASUREITEMSTRUCT& Measure);
  bool dispatchDrawItem(const DRAWITEMSTRUCT& Draw);
  // WM_MENUCHAR (character in LOWORD(WParam), menu in LParam): picks the sub-item whose
  // hot key the character is; Message.Result is set as the system expects.
  bool ProcessMenuChar(TMessage& Message);
  // WM_MENUSELECT: the item now highlighted (null when none of ours).
  TMenuItem* itemOfMenuSelect(WPARAM WParam, LPARAM LParam) const;

  // --- Properties.
  TMenuItem* Items() const { return items_; }
  // The Win32 menu of the root item.
  virtual HMENU Handle();
  // The window that shows the menu (the form for a main menu; the popup list's window).
  HWND WindowHandle() const { return windowHandle_; }
  virtual void SetWindowHandle(HWND Value);
  TMenuAutoFlag AutoHotkeys() const { return autoHotkeys_; }
  void SetAutoHotkeys(TMenuAutoFlag Value);
  TMenuAutoFlag AutoLineReduction() const { return autoLineReduction_; }
  void SetAutoLineReduction(TMenuAutoFlag Value);
  TBiDiMode BiDiMode() const { return biDiMode_; }
  void SetBiDiMode(TBiDiMode Value);
  bool ParentBiDiMode() const { return parentBiDiMode_; }
  void SetParentBiDiMode(bool Value) { parentBiDiMode_ = Value; }
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  bool OwnerDraw() const { return ownerDraw_; }
  void SetOwnerDraw(bool Value);

  const TMenuChangeEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TMenuChangeEvent& Value) { onChange_ = Value; }

protected:
  // A change reached the root (OnChange, unless loading).
  virtual void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild);
  virtual void DoChange(TMenuItem* Source, bool Rebuild);
  // Rebuilds every Win32 menu made so far (after a change of the images or owner drawing).
  void UpdateItems();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The handle of the root item: CreatePopupMenu here, a menu bar for a main menu.
  virtual HMENU CreateMenuHandle();

private:
  friend class TMenuItem;
  void imageListChange(TObject* Sender);

  TMenuItem* items_;
  HWND windowHandle_ = nullptr;
  TMenuAutoFlag autoHotkeys_ = maAutomatic;
  TMenuAutoFlag autoLineReduction_ = maAutomatic;
  TBiDiMode biDiMode_ = bdLeftToRight;
  bool parentBiDiMode_ = true;
  TCustomImageList* images_ = nullptr;
  TChangeLink* imageChangeLink_;
  bool ownerDraw_ = false;
  TMenuChangeEvent onChange_;
};

// The menu bar of a form. The form shows it: it sets the window's menu to Handle() and its
// own window as WindowHandle, and hands it the menu messages of its window.
class TMainMenu : public TMenu {
  RTL_DECLARE_CLASS(TMainMenu, TMenu)
public:
  explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

  // Sets the window and gives the bar's items their hot keys.
  void SetWindowHandle(HWND Value) override;
  // Whether a child form's menu should join this one; kept for form descriptions, menus are
  // not merged.
  bool AutoMerge() const { return autoMerge_; }
  void SetAutoMerge(bool Value) { autoMerge_ = Value; }

protected:
  // Redraws the window's menu bar after a change.
  void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) override;
  HMENU CreateMenuHandle() override;

private:
  bool autoMerge_ = false;
};

// A menu shown at a point on demand (Popup), or by a control when the user right-clicks it
// (AutoPopup). While it shows, its window is the popup list's.
class TPopupMenu : public TMenu {
  RTL_DECLARE_CLASS(TPopupMenu, TMenu)
public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;

  // Shows the menu with its corner at screen point (X, Y) and returns when it closes:
  // OnPopup, the items' actions updated, hot keys and lines rethought, TrackPopupMenu, then
  // OnClose. The chosen item's click runs afterwards, when the posted WM_COMMAND is
  // dispatched.
  virtual void Popup(Integer X, Integer Y);
  // Closes the menu while it shows.
  void CloseMenu();

  // The component the menu was shown for (a control sets it before Popup).
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* Value);
  TPoint PopupPoint() const { return popupPoint_; }
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment Value) { alignment_ = Value; }
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool Value) { autoPopup_ = Value; }
  THelpContext HelpContext() const { return Items()->HelpContext(); }
  void SetHelpContext(THelpContext Value) { Items()->SetHelpContext(Value); }
  TMenuAnimation MenuAnimation() const { return menuAnimation_; }
  void SetMenuAnimation(TMenuAnimation Value) { menuAnimation_ = Value; }
  TTrackButton TrackButton() const { return trackButton_; }
  void SetTrackButton(TTrackButton Value) { trackButton_ = Value; }

  const TNotifyEvent& OnPopup() const { return onPopup_; }
  void SetOnPopup(const TNotifyEvent& Value) { onPopup_ = Value; }
  const TNotifyEvent& OnClose() const { return onClose_; }
  void SetOnClose(const TNotifyEvent& Value) { onClose_ = Value; }

protected:
  virtual void DoPopup(TObject* Sender);
  virtual void DoClose();
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TComponent* popupComponent_ = nullptr;
  TPoint popupPoint_{0, 0};
  TPopupAlignment alignment_ = paLeft;
  bool autoPopup_ = true;
  TMenuAnimation menuAnimation_;
  TTrackButton trackButton_ = tbRightButton;
  TNotifyEvent onPopup_;
  TNotifyEvent onClose_;
};

// =======================================================================================
// Popup list
// =======================================================================================

// The popup menus of the program and the hidden window they are shown with: it receives
// the menus' WM_COMMAND, WM_INITMENUPOPUP, WM_MENUSELECT, WM_MENUCHAR, WM_MEASUREITEM and
// WM_DRAWITEM and hands each to the popup menu it concerns. An exception raised there goes
// to the application's handler.
class TPopupList : public TList {
  RTL_DECLARE_CLASS(TPopupList, TList)
public:
  TPopupList();
  ~TPopupList() override;

  void Add(TPopupMenu* Popup) { TList::Add(Popup); }
  void Remove(TPopupMenu* Popup) { TList::Remove(Popup); }
  HWND Window() const { return window_; }

protected:
  virtual void WndProc(TMessage& Message);

private:
  void mainWndProc(TMessage& Message);
  TPopupMenu* menuAt(Integer Index) const { return static_cast<TPopupMenu*>(Get(Index)); }

  HWND window_ = nullptr;
};

// The program's popup list (made when the unit starts, freed when it ends).
extern TPopupList* PopupList;

// How a menu's highlighted item shows its hint: the application sets this to put Hint (the
// item's whole hint; "" when no item is highlighted) on its status line. Null: ignored.
extern void (*MenuHintHook)(const std::string& Hint);

// =======================================================================================
// Builders
// =======================================================================================

// A main menu / popup menu owned by Owner (and named AName) holding AItems; items without
// an owner get Owner as theirs.
TMainMenu* NewMenu(TComponent* Owner, const std::string& AName, std::initializer_list<TMenuItem*> AItems);
TPopupMenu* NewPopupMenu(TComponent* Owner, const std::string& AName, TPopupAlignment Alignment, bool AutoPopup,
                         std::initializer_list<TMenuItem*> AItems);
// An unowned item with sub-items.
TMenuItem* NewSubMenu(const std::string& ACaption, THelpContext hCtx, const std::string& AName,
                      std::initializer_list<TMenuItem*> AItems, bool AEnabled = true);
// An unowned item.
TMenuItem* NewItem(const std::string& ACaption, TShortCut AShortCut, bool AChecked, bool AEnabled,
                   const TNotifyEvent& AOnClick, THelpContext hCtx, const std::string& AName);
// An unowned separator line.
TMenuItem* NewLine();

namespace MenusUnit {
void Initialize();
void Finalize();
}  // namespace MenusUnit
