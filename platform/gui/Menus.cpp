#include "platform/gui/Menus.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/rtl/SysUtils.h"

TPopupList* PopupList = nullptr;
void (*MenuHintHook)(const std::string& Hint) = nullptr;
std::string ValidMenuHotkeys = "1234567890QWERTYUIOPASDFGHJKLZXCVBNM";

namespace {

const char* const SMenuIndexError = "Menu index out of range";
const char* const SMenuReinserted = "Menu inserted twice";
const char* const SMenuNotFound = "Sub-menu is not in menu";
const char* const SOutOfResources = "Out of system resources";

// --- Command ids ---------------------------------------------------------------------
// Every item gets an id unique in the program, reused after the item goes. Id 0 is never
// given, so that it cannot be mistaken for "no command".
std::vector<bool>& commandPool() {
  static std::vector<bool> pool(1, true);
  return pool;
}

Word uniqueCommand() {
  auto& pool = commandPool();
  for (size_t i = 1; i < pool.size(); ++i)
    if (!pool[i]) {
      pool[i] = true;
      return static_cast<Word>(i);
    }
  if (pool.size() > 0xFFFF) throw EMenuError(SOutOfResources);
  pool.push_back(true);
  return static_cast<Word>(pool.size() - 1);
}

void releaseCommand(Word command) {
  auto& pool = commandPool();
  if (command != 0 && command < pool.size()) pool[command] = false;
}

// --- Key names -------------------------------------------------------------------------
struct KeyName {
  Byte Key;
  const char* Name;
};

// Names of the keys outside the ranges ShortCutToText spells out, as the keys of a US
// keyboard are labelled, so that the text does not depend on the layout in use.
const KeyName kSpecialKeyNames[] = {
    {VK_CANCEL, "Break"},       {VK_PAUSE, "Pause"},      {VK_CAPITAL, "Caps Lock"},  {VK_SNAPSHOT, "Print Screen"},
    {VK_APPS, "Application"},   {VK_MULTIPLY, "Num *"},   {VK_ADD, "Num +"},          {VK_SUBTRACT, "Num -"},
    {VK_DECIMAL, "Num Del"},    {VK_DIVIDE, "Num /"},     {VK_NUMLOCK, "Num Lock"},   {VK_SCROLL, "Scroll Lock"},
    {VK_OEM_1, ";"},            {VK_OEM_PLUS, "="},       {VK_OEM_COMMA, ","},        {VK_OEM_MINUS, "-"},
    {VK_OEM_PERIOD, "."},       {VK_OEM_2, "/"},          {VK_OEM_3, "`"},            {VK_OEM_4, "["},
    {VK_OEM_5, "\\"},           {VK_OEM_6, "]"},          {VK_OEM_7, "'"},
};

const char* const kMenuKeyCaps[] = {"BkSp", "Tab",  "Esc",   "Enter", "Space", "PgUp", "PgDn", "End",
                                    "Home", "Left", "Up",    "Right", "Down",  "Ins",  "Del"};
enum { mkcBkSp = 0, mkcEsc = 2, mkcEnter = 3, mkcSpace = 4, mkcIns = 13 };  // indexes of kMenuKeyCaps
const char* const kShiftCap = "Shift+";
const char* const kCtrlCap = "Ctrl+";
const char* const kAltCap = "Alt+";

std::string keyName(Byte key) {
  if (key == 0x08 || key == 0x09) return kMenuKeyCaps[mkcBkSp + key - 0x08];
  if (key == 0x0D) return kMenuKeyCaps[mkcEnter];
  if (key == 0x1B) return kMenuKeyCaps[mkcEsc];
  if (key >= 0x20 && key <= 0x28) return kMenuKeyCaps[mkcSpace + key - 0x20];
  if (key >= 0x2D && key <= 0x2E) return kMenuKeyCaps[mkcIns + key - 0x2D];
  if (key >= 0x30 && key <= 0x39) return std::string(1, static_cast<char>(key));
  if (key >= 0x41 && key <= 0x5A) return std::string(1, static_cast<char>(key));
  if (key >= 0x60 && key <= 0x69) return std::string(1, static_cast<char>('0' + key - 0x60));
  if (key >= 0x70 && key <= 0x87) return "F" + std::to_string(key - 0x6F);
  for (const KeyName& k : kSpecialKeyNames)
    if (k.Key == key) return k.Name;
  return "";
}

// Removes Front from the start of Text (without regard to case) when Text starts with it.
bool takeFront(std::string& text, const char* front) {
  size_t n = std::strlen(front);
  if (text.size() < n || AnsiStrLIComp(text.c_str(), front, static_cast<Cardinal>(n)) != 0) return false;
  text.erase(0, n);
  return true;
}

// Text with every '&' doubled, so it shows as typed in a caption.
std::string escapeHotkeys(const std::string& text) {
  std::string r;
  for (char c : text) {
    if (c == cHotkeyPrefix) r += cHotkeyPrefix;
    r += c;
  }
  return r;
}

// --- Drawing helpers ----------------------------------------------------------------------

// The system's menu font as a new GDI font (the caller's TFont adopts it).
HFONT menuFont(bool bold) {
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = sizeof(ncm);
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) return nullptr;
  if (bold) ncm.lfMenuFont.lfWeight = FW_BOLD;
  return CreateFontIndirectA(&ncm.lfMenuFont);
}

// A canvas over a DC it does not own, with the menu font, for one owner-draw message.
class MenuCanvas {
public:
  explicit MenuCanvas(HDC dc) : saved_(SaveDC(dc)), dc_(dc) {
    canvas_.SetHandle(dc);
    if (HFONT f = menuFont(false)) canvas_.Font()->SetHandle(f);
  }
  ~MenuCanvas() {
    canvas_.SetHandle(nullptr);
    RestoreDC(dc_, saved_);
  }
  MenuCanvas(const MenuCanvas&) = delete;
  MenuCanvas& operator=(const MenuCanvas&) = delete;
  TCanvas* get() { return &canvas_; }

private:
  int saved_;
  HDC dc_;
  TCanvas canvas_;
};

constexpr Integer kGlyphMargin = 3;  // around the image or check mark column
constexpr Integer kTextGap = 8;      // between that column and the caption

}  // namespace

// =======================================================================================
// Shortcuts
// =======================================================================================

TShortCut ShortCut(Word Key, TShiftState Shift) {
  if (Key > 0xFF) return 0;
  TShortCut r = Key;
  if (Shift.Contains(ssShift)) r += scShift;
  if (Shift.Contains(ssCtrl)) r += scCtrl;
  if (Shift.Contains(ssAlt)) r += scAlt;
  return r;
}

void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift) {
  Key = ShortCut & ~(scShift | scCtrl | scAlt);
  Shift = TShiftState();
  if (ShortCut & scShift) Shift.Include(ssShift);
  if (ShortCut & scCtrl) Shift.Include(ssCtrl);
  if (ShortCut & scAlt) Shift.Include(ssAlt);
}

std::string ShortCutToText(TShortCut ShortCut) {
  std::string name = keyName(static_cast<Byte>(ShortCut & 0xFF));
  if (name.empty()) return "";
  std::string r;
  if (ShortCut & scShift) r += kShiftCap;
  if (ShortCut & scCtrl) r += kCtrlCap;
  if (ShortCut & scAlt) r += kAltCap;
  return r + name;
}

TShortCut TextToShortCut(const std::string& Text) {
  std::string text = Text;
  TShortCut shift = 0;
  for (;;) {
    if (takeFront(text, kShiftCap)) shift |= scShift;
    else if (takeFront(text, "^")) shift |= scCtrl;
    else if (takeFront(text, kCtrlCap)) shift |= scCtrl;
    else if (takeFront(text, kAltCap)) shift |= scAlt;
    else break;
  }
  if (text.empty()) return 0;
  for (Word key = 0x08; key <= 0xFF; ++key) {
    std::string name = keyName(static_cast<Byte>(key));
    if (!name.empty() && AnsiCompareText(text, name) == 0) return static_cast<TShortCut>(key | shift);
  }
  return 0;
}

TShortCut shortCutOfKeyMessage(const TWMKey& Message) {
  // TWMKey overlays TMessage: the key is WParam's low word, the key data LParam.
  const auto& m = reinterpret_cast<const TMessage&>(Message);
  TShortCut r = static_cast<Byte>(m.WParam & 0xFF);
  if (r == 0) return 0;
  if (GetKeyState(VK_SHIFT) < 0) r += scShift;
  if (GetKeyState(VK_CONTROL) < 0) r += scCtrl;
  if (m.LParam & 0x20000000) r += scAlt;
  return r;
}

std::string StripHotkey(const std::string& Text) {
  std::string r;
  r.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == cHotkeyPrefix) {
      // "&&" keeps one '&'; a lone '&' goes.
      if (i + 1 < Text.size() && Text[i + 1] == cHotkeyPrefix) {
        r += cHotkeyPrefix;
        ++i;
      }
      continue;
    }
    r += Text[i];
  }
  return r;
}

std::string GetHotkey(const std::string& Text) {
  std::string r;
  for (size_t i = 0; i + 1 < Text.size(); ++i) {
    if (Text[i] != cHotkeyPrefix) continue;
    ++i;
    if (Text[i] != cHotkeyPrefix) r = std::string(1, Text[i]);
  }
  return r;
}

bool AnsiSameCaption(const std::string& Text1, const std::string& Text2) {
  return AnsiSameText(StripHotkey(Text1), StripHotkey(Text2));
}

bool IsAltGRPressed() { return GetKeyState(VK_RMENU) < 0; }

RTL_IMPLEMENT_CLASS(EMenuError)

TOwnerDrawState OwnerDrawStateOf(UINT ItemState) {
  TOwnerDrawState s;
  if (ItemState & ODS_SELECTED) s.Include(odSelected);
  if (ItemState & ODS_GRAYED) s.Include(odGrayed);
  if (ItemState & ODS_DISABLED) s.Include(odDisabled);
  if (ItemState & ODS_CHECKED) s.Include(odChecked);
  if (ItemState & ODS_FOCUS) s.Include(odFocused);
  if (ItemState & ODS_DEFAULT) s.Include(odDefault);
  if (ItemState & ODS_HOTLIGHT) s.Include(odHotLight);
  if (ItemState & ODS_INACTIVE) s.Include(odInactive);
  if (ItemState & ODS_NOACCEL) s.Include(odNoAccel);
  if (ItemState & ODS_NOFOCUSRECT) s.Include(odNoFocusRect);
  if (ItemState & ODS_COMBOBOXEDIT) s.Include(odComboBoxEdit);
  return s;
}

// =======================================================================================
// TMenuActionLink
// =======================================================================================

RTL_IMPLEMENT_CLASS(TMenuActionLink)

TMenuActionLink::TMenuActionLink(TObject* AClient) : TActionLink(AClient) { AssignClient(AClient); }

void TMenuActionLink::AssignClient(TObject* AClient) { FClient = dynamic_cast<TMenuItem*>(AClient); }

bool TMenuActionLink::IsAutoCheckLinked() {
  return TActionLink::IsAutoCheckLinked() && FClient->AutoCheck() == CustomAction()->AutoCheck();
}
bool TMenuActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && AnsiSameCaption(FClient->Caption(), CustomAction()->Caption());
}
bool TMenuActionLink::IsCheckedLinked() {
  return TActionLink::IsCheckedLinked() && FClient->Checked() == CustomAction()->Checked();
}
bool TMenuActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && FClient->Enabled() == CustomAction()->Enabled();
}
bool TMenuActionLink::IsGroupIndexLinked() {
  return TActionLink::IsGroupIndexLinked() && FClient->GroupIndex() == CustomAction()->GroupIndex();
}
bool TMenuActionLink::IsHelpContextLinked() {
  return TActionLink::IsHelpContextLinked() && FClient->HelpContext() == CustomAction()->HelpContext();
}
bool TMenuActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && FClient->Hint() == CustomAction()->Hint();
}
bool TMenuActionLink::IsImageIndexLinked() {
  return TActionLink::IsImageIndexLinked() && FClient->ImageIndex() == CustomAction()->ImageIndex();
}
bool TMenuActionLink::IsShortCutLinked() {
  return TActionLink::IsShortCutLinked() && FClient->ShortCut() == CustomAction()->ShortCut();
}
bool TMenuActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && FClient->Visible() == CustomAction()->Visible();
}
bool TMenuActionLink::IsOnExecuteLinked() {
  return TActionLink::IsOnExecuteLinked() && Action() && FClient->OnClick() == Action()->OnExecute();
}

void TMenuActionLink::SetAutoCheck(bool Value) {
  if (IsAutoCheckLinked()) FClient->SetAutoCheck(Value);
}
void TMenuActionLink::SetCaption(const std::string& Value) {
  if (IsCaptionLinked()) FClient->SetCaption(Value);
}
void TMenuActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) FClient->SetChecked(Value);
}
void TMenuActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) FClient->SetEnabled(Value);
}
void TMenuActionLink::SetGroupIndex(Integer Value) {
  if (IsGroupIndexLinked()) FClient->SetGroupIndex(static_cast<Byte>(Value));
}
void TMenuActionLink::SetHelpContext(THelpContext Value) {
  if (IsHelpContextLinked()) FClient->SetHelpContext(Value);
}
void TMenuActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked()) FClient->SetHint(Value);
}
void TMenuActionLink::SetImageIndex(Integer Value) {
  if (IsImageIndexLinked()) FClient->SetImageIndex(Value);
}
void TMenuActionLink::SetShortCut(TShortCut Value) {
  if (IsShortCutLinked()) FClient->SetShortCut(Value);
}
void TMenuActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) FClient->SetVisible(Value);
}
void TMenuActionLink::SetOnExecute(const TNotifyEvent& Value) {
  if (IsOnExecuteLinked()) FClient->SetOnClick(Value);
}

// =======================================================================================
// TMenuItem
// =======================================================================================

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), command_(uniqueCommand()) {}

TMenuItem::~TMenuItem() {
  Destroying();
  if (parent_) parent_->Remove(this);
  // Detach the sub-menus before freeing the items that own them (DestroyMenu would
  // destroy attached sub-menus with this one).
  if (handle_)
    while (GetMenuItemCount(handle_) > 0) RemoveMenu(handle_, 0, MF_BYPOSITION);
  while (!items_.empty()) {
    TMenuItem* item = items_.back();
    items_.pop_back();
    item->parent_ = nullptr;
    item->Free();
  }
  if (handle_) DestroyMenu(handle_);
  handle_ = nullptr;
  delete actionLink_;
  actionLink_ = nullptr;
  SetSubMenuImages(nullptr);
  delete subMenuImagesLink_;
  delete bitmap_;
  releaseCommand(command_);
}

// --- Sub-items -------------------------------------------------------------------------

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Add(std::initializer_list<TMenuItem*> AItems) {
  for (TMenuItem* item : AItems) Add(item);
}

void TMenuItem::Insert(Integer Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->parent_) throw EMenuError(SMenuReinserted);
  if (Index < 0 || Index > Count()) throw EMenuError(SMenuIndexError);
  items_.insert(items_.begin() + Index, Item);
  Item->parent_ = this;
  if (handle_) RebuildHandle();
  // The first sub-item turns this item into a sub-menu: the parent's entry changes too.
  MenuChanged(Count() == 1);
}

void TMenuItem::Delete(Integer Index) {
  if (Index < 0 || Index >= Count()) throw EMenuError(SMenuIndexError);
  TMenuItem* item = items_[static_cast<size_t>(Index)];
  items_.erase(items_.begin() + Index);
  item->parent_ = nullptr;
  if (ComponentState().Contains(csDestroying)) return;
  if (handle_) RebuildHandle();
  MenuChanged(Count() == 0);
}

void TMenuItem::Remove(TMenuItem* Item) {
  Integer i = IndexOf(Item);
  if (i < 0) throw EMenuError(SMenuNotFound);
  Delete(i);
}

void TMenuItem::Clear() {
  while (!items_.empty()) items_.back()->Free();
}

TMenuItem* TMenuItem::Find(const std::string& ACaption) const {
  for (TMenuItem* item : items_)
    if (AnsiSameCaption(item->caption_, ACaption)) return item;
  return nullptr;
}

Integer TMenuItem::IndexOf(const TMenuItem* Item) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i] == Item) return static_cast<Integer>(i);
  return -1;
}

TMenuItem* TMenuItem::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) throw EMenuError(SMenuIndexError);
  return items_[static_cast<size_t>(Index)];
}

Integer TMenuItem::MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(Integer Value) {
  if (!parent_) return;
  TMenuItem* parent = parent_;
  Integer count = parent->Count();
  Value = std::clamp(Value, 0, count - 1);
  if (Value == MenuIndex()) return;
  parent->Remove(this);
  parent->Insert(Value, this);
}

TMenuItem* TMenuItem::NewTopLine() {
  TMenuItem* line = ::NewLine();
  Insert(0, line);
  return line;
}

TMenuItem* TMenuItem::NewBottomLine() {
  TMenuItem* line = ::NewLine();
  Add(line);
  return line;
}

TMenuItem* TMenuItem::InsertNewLineBefore(TMenuItem* AItem) {
  Integer i = IndexOf(AItem);
  if (i < 0) throw EMenuError(SMenuNotFound);
  TMenuItem* line = ::NewLine();
  Insert(i, line);
  return line;
}

TMenuItem* TMenuItem::InsertNewLineAfter(TMenuItem* AItem) {
  Integer i = IndexOf(AItem);
  if (i < 0) throw EMenuError(SMenuNotFound);
  TMenuItem* line = ::NewLine();
  Insert(i + 1, line);
  return line;
}

// --- Acting -----------------------------------------------------------------------------

void TMenuItem::Click() {
  if (!enabled_) return;
  bool designing = ComponentState().Contains(csDesigning);
  TBasicAction* action = Action();
  // An action that checks itself is left to do so; the item follows it.
  bool actionChecks = action && actionLink_->IsAutoCheckLinked();
  if (autoCheck_ && !designing && !actionChecks) SetChecked(!checked_);
  if (onClick_ && action && !(onClick_ == action->OnExecute())) onClick_(this);
  else if (!designing && action) actionLink_->Execute(this);
  else if (onClick_) onClick_(this);
}

void TMenuItem::InitiateAction() {
  if (actionLink_) actionLink_->Update();
}

void TMenuItem::InitiateActions() {
  std::vector<TMenuItem*> items = items_;
  for (TMenuItem* item : items)
    if (IndexOf(item) >= 0) item->InitiateAction();
}

// --- Automatic hot keys and lines ----------------------------------------------------------

bool TMenuItem::isAutoHotkeys() const {
  for (const TMenuItem* item = this; item; item = item->parent_) {
    if (item->autoHotkeys_ != maParent) return item->autoHotkeys_ == maAutomatic;
    if (!item->parent_) return item->menu_ && item->menu_->AutoHotkeys() == maAutomatic;
  }
  return false;
}

bool TMenuItem::isAutoLineReduction() const {
  for (const TMenuItem* item = this; item; item = item->parent_) {
    if (item->autoLineReduction_ != maParent) return item->autoLineReduction_ == maAutomatic;
    if (!item->parent_) return item->menu_ && item->menu_->AutoLineReduction() == maAutomatic;
  }
  return false;
}

bool TMenuItem::RethinkHotkeys() { return internalRethinkHotkeys(false); }

bool TMenuItem::RethinkLines() { return internalRethinkLines(false); }

// Keeps the hot keys already unique among the sub-items; gives every other captioned
// sub-item the first character of its caption that is in ValidMenuHotkeys and not taken.
bool TMenuItem::internalRethinkHotkeys(bool force) {
  bool changed = false;
  if (force || (!ComponentState().Contains(csDesigning) && isAutoHotkeys())) {
    std::string used;  // upper-case hot keys taken
    std::vector<TMenuItem*> needing;
    for (TMenuItem* item : items_) {
      if (!item->visible_ || item->IsLine() || item->caption_.empty()) continue;
      std::string key = AnsiUpperCase(GetHotkey(item->caption_));
      if (!key.empty() && used.find(key[0]) == std::string::npos) used += key[0];
      else needing.push_back(item);
    }
    for (TMenuItem* item : needing) {
      std::string plain = StripHotkey(item->caption_);
      for (size_t i = 0; i < plain.size(); ++i) {
        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(plain[i])));
        if (ValidMenuHotkeys.find(c) == std::string::npos || used.find(c) != std::string::npos) continue;
        used += c;
        item->SetCaption(escapeHotkeys(plain.substr(0, i)) + cHotkeyPrefix + escapeHotkeys(plain.substr(i)));
        changed = true;
        break;
      }
    }
  }
  for (TMenuItem* item : std::vector<TMenuItem*>(items_))
    if (item->Count() > 0 && item->internalRethinkHotkeys(force)) changed = true;
  return changed;
}

// Hides the separator lines that would separate nothing: at the start, at the end, and
// after another line (counting visible items only).
bool TMenuItem::internalRethinkLines(bool force) {
  bool changed = false;
  bool reduce = force || (!ComponentState().Contains(csDesigning) && isAutoLineReduction());
  std::vector<bool> before;
  for (TMenuItem* item : items_) before.push_back(item->lineHidden_);
  bool afterLine = true;  // the start counts as a line
  TMenuItem* lastLine = nullptr;
  for (TMenuItem* item : items_) {
    item->lineHidden_ = false;
    if (!item->visible_) continue;
    if (item->IsLine()) {
      if (reduce && afterLine) {
        item->lineHidden_ = true;
      } else {
        afterLine = true;
        lastLine = item;
      }
    } else {
      afterLine = false;
      lastLine = nullptr;
    }
  }
  if (reduce && lastLine) lastLine->lineHidden_ = true;
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i]->lineHidden_ != before[i]) changed = true;
  if (changed && handle_) RebuildHandle();
  for (TMenuItem* item : std::vector<TMenuItem*>(items_))
    if (item->Count() > 0 && item->internalRethinkLines(force)) changed = true;
  return changed;
}

// --- The Win32 menu ----------------------------------------------------------------------

HMENU TMenuItem::Handle() {
  if (!handle_) {
    handle_ = menu_ ? menu_->CreateMenuHandle() : CreatePopupMenu();
    if (!handle_) throw EMenuError(SOutOfResources);
    populateMenu();
  }
  return handle_;
}

void TMenuItem::populateMenu() {
  TMenu* menu = GetParentMenu();
  bool rightToLeft = menu && menu->IsRightToLeft();
  for (TMenuItem* item : items_) item->appendTo(handle_, rightToLeft);
}

void TMenuItem::rebuildItems() {
  if (!handle_ || ComponentState().Contains(csDestroying)) return;
  if (ComponentState().Contains(csReading)) {
    streamedRebuild_ = true;
    return;
  }
  while (GetMenuItemCount(handle_) > 0) RemoveMenu(handle_, 0, MF_BYPOSITION);
  populateMenu();
}

void TMenuItem::RebuildHandle() {
  if (!handle_ || ComponentState().Contains(csDestroying)) return;
  rebuildItems();
  MenuChanged(false);
}

bool TMenuItem::isTopLevel() const {
  return parent_ && !parent_->parent_ && parent_->menu_ && Is<TMainMenu>(parent_->menu_);
}

bool TMenuItem::isOwnerDraw() const {
  TMenu* menu = GetParentMenu();
  if (menu && menu->IsOwnerDraw()) return true;
  if (parent_ && parent_->subMenuImages_) return true;
  return bitmap_ && !bitmap_->Empty();
}

void TMenuItem::appendTo(HMENU menu, bool rightToLeft) {
  if (!visible_ || lineHidden_) return;
  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_CHECKMARKS;
  std::string text = caption_;
  if (!items_.empty()) info.hSubMenu = Handle();
  else if (shortCut_ != 0 && !isTopLevel()) text += "\t" + ShortCutToText(shortCut_);
  info.fType = (radioItem_ ? MFT_RADIOCHECK : 0) | (IsLine() ? MFT_SEPARATOR : 0) |
               (rightToLeft ? MFT_RIGHTORDER | MFT_RIGHTJUSTIFY : 0) | (isOwnerDraw() ? MFT_OWNERDRAW : 0);
  if (break_ == mbBreak) info.fType |= MFT_MENUBREAK;
  if (break_ == mbBarBreak) info.fType |= MFT_MENUBARBREAK;
  info.fState = (checked_ ? MFS_CHECKED : MFS_UNCHECKED) | (enabled_ ? MFS_ENABLED : MFS_DISABLED | MFS_GRAYED) |
                (default_ ? MFS_DEFAULT : 0);
  info.wID = command_;
  info.dwItemData = reinterpret_cast<ULONG_PTR>(this);
  if (!IsLine()) {
    info.fMask |= MIIM_STRING;
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
  }
  InsertMenuItemA(menu, static_cast<UINT>(-1), TRUE, &info);
}

void TMenuItem::MenuChanged(bool Rebuild) {
  if (ComponentState().Contains(csDestroying)) return;
  TMenuItem* source = (!parent_ && menu_) ? nullptr : this;
  if (parent_) parent_->subItemChanged(source, Rebuild);
  else if (menu_) menu_->MenuChanged(menu_, source, Rebuild);
}

void TMenuItem::subItemChanged(TMenuItem* Source, bool Rebuild) {
  if (ComponentState().Contains(csDestroying)) return;
  if (Rebuild) rebuildItems();
  if (parent_) parent_->subItemChanged(Source, false);
  else if (menu_) menu_->MenuChanged(menu_, Source, Rebuild);
}

void TMenuItem::Loaded() {
  TComponent::Loaded();
  if (streamedRebuild_) {
    streamedRebuild_ = false;
    RebuildHandle();
  }
}

// --- Structure ----------------------------------------------------------------------------

TCustomImageList* TMenuItem::GetImageList() const {
  for (const TMenuItem* p = parent_; p; p = p->parent_) {
    if (p->subMenuImages_) return p->subMenuImages_;
    if (!p->parent_ && p->menu_) return p->menu_->Images();
  }
  return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* item = this;
  while (item->parent_) item = item->parent_;
  return item->menu_;
}

TComponent* TMenuItem::GetParentComponent() const {
  if (parent_ && parent_->menu_) return parent_->menu_;
  return parent_;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  if (parent_) parent_->Remove(this);
  if (auto* menu = dynamic_cast<TMenu*>(Value)) menu->Items()->Add(this);
  else if (auto* item = dynamic_cast<TMenuItem*>(Value)) item->Add(this);
}

void TMenuItem::ReadState(TReader* Reader) {
  TComponent* parent = Reader->Parent();
  if (auto* menu = dynamic_cast<TMenu*>(parent)) {
    if (parent_ != menu->Items()) SetParentComponent(menu);
  } else if (auto* item = dynamic_cast<TMenuItem*>(parent)) {
    if (parent_ != item) SetParentComponent(item);
  }
  TComponent::ReadState(Reader);
}

void TMenuItem::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (TMenuItem* item : std::vector<TMenuItem*>(items_))
    if (item->Owner() == Root) Proc(item);
}

void TMenuItem::SetChildOrder(TComponent* Child, int Order) {
  auto* item = dynamic_cast<TMenuItem*>(Child);
  if (item && item->parent_ == this) item->SetMenuIndex(Order);
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  // The action detaches its links before its free notifications go out: a link left
  // without an action means the action is gone.
  if (actionLink_ && (!actionLink_->Action() || AComponent == actionLink_->Action())) {
    delete actionLink_;
    actionLink_ = nullptr;
  }
  if (AComponent == subMenuImages_) {
    subMenuImages_ = nullptr;  // the list has already let go of its links
    MenuChanged(true);
  }
}

// --- Actions --------------------------------------------------------------------------------

TBasicAction* TMenuItem::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TMenuItem::SetAction(TBasicAction* Value) {
  if (!Value) {
    delete actionLink_;
    actionLink_ = nullptr;
    return;
  }
  if (!actionLink_) actionLink_ = new TMenuActionLink(this);
  actionLink_->SetAction(Value);
  actionLink_->SetOnChange(TNotifyEvent(this, &TMenuItem::doActionChange));
  ActionChange(Value, Value->ComponentState().Contains(csLoading));
  Value->FreeNotification(this);
}

void TMenuItem::doActionChange(TObject* Sender) {
  if (Sender == Action()) ActionChange(Sender, false);
}

void TMenuItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action) return;
  if (!CheckDefaults || !autoCheck_) SetAutoCheck(action->AutoCheck());
  if (!CheckDefaults || caption_.empty()) SetCaption(action->Caption());
  if (!CheckDefaults || !checked_) SetChecked(action->Checked());
  if (!CheckDefaults || enabled_) SetEnabled(action->Enabled());
  if (!CheckDefaults || helpContext_ == 0) SetHelpContext(action->HelpContext());
  if (!CheckDefaults || hint_.empty()) SetHint(action->Hint());
  if (radioItem_ && (!CheckDefaults || groupIndex_ == 0)) SetGroupIndex(static_cast<Byte>(action->GroupIndex()));
  if (!CheckDefaults || imageIndex_ == -1) SetImageIndex(action->ImageIndex());
  if (!CheckDefaults || shortCut_ == scNone) SetShortCut(action->ShortCut());
  if (!CheckDefaults || visible_) SetVisible(action->Visible());
  if (!CheckDefaults || !onClick_) SetOnClick(action->OnExecute());
}

bool TMenuItem::IsCaptionStored() const { return !actionLink_ || !actionLink_->IsCaptionLinked(); }
bool TMenuItem::IsCheckedStored() const { return !actionLink_ || !actionLink_->IsCheckedLinked(); }
bool TMenuItem::IsEnabledStored() const { return !actionLink_ || !actionLink_->IsEnabledLinked(); }
bool TMenuItem::IsHelpContextStored() const { return !actionLink_ || !actionLink_->IsHelpContextLinked(); }
bool TMenuItem::IsHintStored() const { return !actionLink_ || !actionLink_->IsHintLinked(); }
bool TMenuItem::IsGroupIndexStored() const { return !actionLink_ || !actionLink_->IsGroupIndexLinked(); }
bool TMenuItem::IsImageIndexStored() const { return !actionLink_ || !actionLink_->IsImageIndexLinked(); }
bool TMenuItem::IsShortCutStored() const { return !actionLink_ || !actionLink_->IsShortCutLinked(); }
bool TMenuItem::IsVisibleStored() const { return !actionLink_ || !actionLink_->IsVisibleLinked(); }
bool TMenuItem::IsAutoCheckStored() const { return !actionLink_ || !actionLink_->IsAutoCheckLinked(); }
bool TMenuItem::IsOnClickStored() const { return !actionLink_ || !actionLink_->IsOnExecuteLinked(); }

// --- Properties -----------------------------------------------------------------------------

// Stores a value the Win32 menu shows and has the parent's menu rebuilt.
template <class V> void TMenuItem::changeShown(V& field, const V& value) {
  if (value == field) return;
  field = value;
  MenuChanged(true);
}

void TMenuItem::SetAutoCheck(bool Value) { autoCheck_ = Value; }

void TMenuItem::SetAutoHotkeys(TMenuItemAutoFlag Value) { changeShown(autoHotkeys_, Value); }

void TMenuItem::SetAutoLineReduction(TMenuItemAutoFlag Value) { changeShown(autoLineReduction_, Value); }

TBitmap* TMenuItem::Bitmap() {
  if (!bitmap_) {
    bitmap_ = new TBitmap();
    bitmap_->SetOnChange(TNotifyEvent(this, &TMenuItem::bitmapChanged));
  }
  return bitmap_;
}

void TMenuItem::SetBitmap(TBitmap* Value) { Bitmap()->Assign(Value); }

void TMenuItem::bitmapChanged(TObject*) { MenuChanged(true); }

void TMenuItem::SetBreak(TMenuBreak Value) { changeShown(break_, Value); }

void TMenuItem::SetCaption(const std::string& Value) { changeShown(caption_, Value); }

void TMenuItem::SetChecked(bool Value) {
  if (Value == checked_) return;
  checked_ = Value;
  if (Value && radioItem_) turnSiblingsOff();
  MenuChanged(true);
}

void TMenuItem::turnSiblingsOff() {
  if (!parent_) return;
  for (TMenuItem* item : std::vector<TMenuItem*>(parent_->items_))
    if (item != this && item->radioItem_ && item->groupIndex_ == groupIndex_) item->SetChecked(false);
}

void TMenuItem::SetSubMenuImages(TCustomImageList* Value) {
  if (Value == subMenuImages_) return;
  if (subMenuImages_) {
    if (subMenuImagesLink_ && subMenuImagesLink_->Sender() == subMenuImages_)
      subMenuImages_->UnRegisterChanges(subMenuImagesLink_);
    subMenuImages_->RemoveFreeNotification(this);
  }
  subMenuImages_ = Value;
  if (subMenuImages_) {
    if (!subMenuImagesLink_) {
      subMenuImagesLink_ = new TChangeLink();
      subMenuImagesLink_->SetOnChange(TNotifyEvent(this, &TMenuItem::subMenuImagesChanged));
    }
    subMenuImages_->RegisterChanges(subMenuImagesLink_);
    subMenuImages_->FreeNotification(this);
  }
  if (!ComponentState().Contains(csDestroying)) {
    rebuildItems();
    MenuChanged(false);
  }
}

void TMenuItem::subMenuImagesChanged(TObject*) {
  rebuildItems();
  MenuChanged(false);
}

void TMenuItem::SetDefault(bool Value) {
  if (Value == default_) return;
  // One default item per menu.
  if (Value && parent_)
    for (TMenuItem* item : parent_->items_)
      if (item != this && item->default_) {
        item->default_ = false;
      }
  default_ = Value;
  MenuChanged(true);
}

void TMenuItem::SetEnabled(bool Value) { changeShown(enabled_, Value); }

void TMenuItem::SetGroupIndex(Byte Value) {
  if (Value == groupIndex_) return;
  groupIndex_ = Value;
  if (checked_ && radioItem_) turnSiblingsOff();
  MenuChanged(true);
}

void TMenuItem::SetImageIndex(TImageIndex Value) { changeShown(imageIndex_, Value); }

void TMenuItem::SetRadioItem(bool Value) {
  if (Value == radioItem_) return;
  radioItem_ = Value;
  if (checked_ && radioItem_) turnSiblingsOff();
  MenuChanged(true);
}

void TMenuItem::SetShortCut(TShortCut Value) { changeShown(shortCut_, Value); }

void TMenuItem::SetVisible(bool Value) { changeShown(visible_, Value); }

void TMenuItem::SetOnDrawItem(const TMenuDrawItemEvent& Value) {
  onDrawItem_ = Value;
  MenuChanged(true);
}

void TMenuItem::SetOnAdvancedDrawItem(const TAdvancedMenuDrawItemEvent& Value) {
  onAdvancedDrawItem_ = Value;
  MenuChanged(true);
}

void TMenuItem::SetOnMeasureItem(const TMenuMeasureItemEvent& Value) {
  onMeasureItem_ = Value;
  MenuChanged(true);
}

// --- Owner drawing --------------------------------------------------------------------------

void TMenuItem::MeasureItem(TCanvas* ACanvas, Integer& Width, Integer& Height) {
  if (IsLine()) {
    Width = 0;
    Height = GetSystemMetrics(SM_CYMENUSIZE) / 2;
  } else {
    TSize text = ACanvas->TextExtent(StripHotkey(caption_));
    TCustomImageList* images = GetImageList();
    Integer glyphWidth = images ? images->Width() : GetSystemMetrics(SM_CXMENUCHECK);
    Integer glyphHeight = images ? images->Height() : GetSystemMetrics(SM_CYMENUCHECK);
    if (bitmap_ && !bitmap_->Empty() && !images) {
      glyphWidth = std::max(glyphWidth, bitmap_->Width());
      glyphHeight = std::max(glyphHeight, bitmap_->Height());
    }
    if (isTopLevel()) {
      Width = text.cx + kTextGap;
      Height = std::max<Integer>(text.cy + 4, GetSystemMetrics(SM_CYMENU));
    } else {
      Width = 2 * kGlyphMargin + glyphWidth + kTextGap + text.cx + kTextGap;
      if (shortCut_ != 0 && items_.empty()) Width += ACanvas->TextWidth(ShortCutToText(shortCut_)) + 2 * kTextGap;
      Height = std::max<Integer>(text.cy + 4, glyphHeight + 2 * kGlyphMargin);
    }
  }
  if (onMeasureItem_) onMeasureItem_(this, ACanvas, Width, Height);
}

void TMenuItem::AdvancedDrawItem(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State, bool TopLevel) {
  if (onAdvancedDrawItem_) onAdvancedDrawItem_(this, ACanvas, ARect, State);
  else if (onDrawItem_) onDrawItem_(this, ACanvas, ARect, State.Contains(odSelected));
  else drawDefault(ACanvas, ARect, State, TopLevel);
}

void TMenuItem::DrawItem(TCanvas* ACanvas, const TRect& ARect, bool Selected) {
  TOwnerDrawState state;
  if (Selected) state.Include(odSelected);
  if (!enabled_) state.Include(odDisabled);
  if (checked_) state.Include(odChecked);
  AdvancedDrawItem(ACanvas, ARect, state, isTopLevel());
}

// The default look: the menu's colours, the image (or bitmap, or a check mark / radio dot)
// in a column at the left, the caption with its hot key underlined, and the shortcut text
// at the right.
void TMenuItem::drawDefault(TCanvas* canvas, const TRect& rect, TOwnerDrawState state, bool topLevel) {
  bool selected = state.Contains(odSelected) || state.Contains(odHotLight);
  bool disabled = !enabled_ || state.Contains(odDisabled) || state.Contains(odGrayed);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(selected && !disabled ? clHighlight : topLevel ? clMenuBar : clMenu);
  canvas->FillRect(rect);
  HDC dc = canvas->Handle();
  if (IsLine()) {
    TRect line = rect;
    line.top += (RectHeight(rect) - 2) / 2;
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    return;
  }
  TRect textRect = rect;
  if (!topLevel) {
    TCustomImageList* images = GetImageList();
    Integer glyphWidth = images ? images->Width() : GetSystemMetrics(SM_CXMENUCHECK);
    TRect glyph = Rect(rect.left + kGlyphMargin, rect.top, rect.left + kGlyphMargin + glyphWidth, rect.bottom);
    bool hasImage = images && imageIndex_ >= 0 && imageIndex_ < images->Count();
    if (hasImage) {
      Integer y = glyph.top + (RectHeight(glyph) - images->Height()) / 2;
      if (checked_) {
        TRect frame = Rect(glyph.left - 1, y - 1, glyph.right + 1, y + images->Height() + 1);
        DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT);
      }
      images->Draw(canvas, glyph.left, y, imageIndex_, !disabled);
    } else if (bitmap_ && !bitmap_->Empty()) {
      canvas->Draw(glyph.left, glyph.top + (RectHeight(glyph) - bitmap_->Height()) / 2, bitmap_);
    } else if (checked_) {
      TColor ink = disabled ? clGrayText : selected ? clHighlightText : clMenuText;
      canvas->Pen()->SetColor(ink);
      canvas->Brush()->SetColor(ink);
      Integer cx = (glyph.left + glyph.right) / 2, cy = (glyph.top + glyph.bottom) / 2;
      if (radioItem_) {
        canvas->Ellipse(cx - 3, cy - 3, cx + 3, cy + 3);
      } else {
        for (Integer d = 0; d < 3; ++d) {  // a three-pixel-thick tick
          canvas->MoveTo(cx - 4, cy - 1 + d);
          canvas->LineTo(cx - 1, cy + 2 + d);
          canvas->LineTo(cx + 5, cy - 4 + d);
        }
      }
    }
    textRect.left = glyph.right + kTextGap;
    textRect.right -= kTextGap;
  }
  if (default_) canvas->Font()->SetHandle(menuFont(true));
  canvas->Font()->SetColor(disabled ? clGrayText : selected ? clHighlightText : clMenuText);
  canvas->Brush()->SetStyle(bsClear);
  canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  SetBkMode(dc, TRANSPARENT);
  UINT flags = DT_SINGLELINE | DT_VCENTER | (topLevel ? DT_CENTER : DT_LEFT);
  if (state.Contains(odNoAccel)) flags |= DT_HIDEPREFIX;
  DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &textRect, flags);
  if (!topLevel && shortCut_ != 0 && items_.empty()) {
    std::string keys = ShortCutToText(shortCut_);
    DrawTextA(dc, keys.c_str(), static_cast<int>(keys.size()), &textRect, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
  }
}

RTL_BEGIN_CLASS(TMenuItem)
  b.Property("Action", &TMenuItem::Action, &TMenuItem::SetAction);
  b.Property("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck)
      .Default(false)
      .Stored(&TMenuItem::IsAutoCheckStored);
  b.Property("AutoHotkeys", &TMenuItem::AutoHotkeys, &TMenuItem::SetAutoHotkeys).Default(maParent);
  b.Property("AutoLineReduction", &TMenuItem::AutoLineReduction, &TMenuItem::SetAutoLineReduction)
      .Default(maParent);
  b.Property("Bitmap", &TMenuItem::Bitmap, &TMenuItem::SetBitmap).Stored(&TMenuItem::IsBitmapStored);
  b.Property("Break", &TMenuItem::Break, &TMenuItem::SetBreak).Default(mbNone);
  b.Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption).Stored(&TMenuItem::IsCaptionStored);
  b.Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked)
      .Default(false)
      .Stored(&TMenuItem::IsCheckedStored);
  b.Property("SubMenuImages", &TMenuItem::SubMenuImages, &TMenuItem::SetSubMenuImages);
  b.Property("Default", &TMenuItem::Default, &TMenuItem::SetDefault).Default(false);
  b.Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled)
      .Default(true)
      .Stored(&TMenuItem::IsEnabledStored);
  b.Property("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex)
      .Default(0)
      .Stored(&TMenuItem::IsGroupIndexStored);
  b.Property("HelpContext", &TMenuItem::HelpContext, &TMenuItem::SetHelpContext)
      .Default(0)
      .Stored(&TMenuItem::IsHelpContextStored);
  b.Property("Hint", &TMenuItem::Hint, &TMenuItem::SetHint).Stored(&TMenuItem::IsHintStored);
  b.Property("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex)
      .Default(-1)
      .Stored(&TMenuItem::IsImageIndexStored);
  b.Property("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem).Default(false);
  b.Property("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut)
      .Default(0)
      .Stored(&TMenuItem::IsShortCutStored);
  b.Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible)
      .Default(true)
      .Stored(&TMenuItem::IsVisibleStored);
  b.Property("OnClick", &TMenuItem::OnClick, &TMenuItem::SetOnClick).Stored(&TMenuItem::IsOnClickStored);
  b.Property("OnDrawItem", &TMenuItem::OnDrawItem, &TMenuItem::SetOnDrawItem);
  b.Property("OnAdvancedDrawItem", &TMenuItem::OnAdvancedDrawItem, &TMenuItem::SetOnAdvancedDrawItem);
  b.Property("OnMeasureItem", &TMenuItem::OnMeasureItem, &TMenuItem::SetOnMeasureItem);
RTL_END_CLASS

// =======================================================================================
// TMenu
// =======================================================================================

RTL_BEGIN_CLASS(TMenu)
  b.Property("AutoHotkeys", &TMenu::AutoHotkeys, &TMenu::SetAutoHotkeys).Default(maAutomatic);
  b.Property("AutoLineReduction", &TMenu::AutoLineReduction, &TMenu::SetAutoLineReduction).Default(maAutomatic);
  b.Property("BiDiMode", &TMenu::BiDiMode, &TMenu::SetBiDiMode).Default(bdLeftToRight);
  b.Property("Images", &TMenu::Images, &TMenu::SetImages);
  b.Property("OwnerDraw", &TMenu::OwnerDraw, &TMenu::SetOwnerDraw).Default(false);
  b.Property("ParentBiDiMode", &TMenu::ParentBiDiMode, &TMenu::SetParentBiDiMode).Default(true);
RTL_END_CLASS

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), items_(nullptr), imageChangeLink_(new TChangeLink()) {
  items_ = new TMenuItem(this);
  items_->menu_ = this;
  imageChangeLink_->SetOnChange(TNotifyEvent(this, &TMenu::imageListChange));
}

TMenu::~TMenu() {
  Destroying();
  SetImages(nullptr);
  delete imageChangeLink_;
  imageChangeLink_ = nullptr;
  TMenuItem* items = items_;
  items_ = nullptr;
  items->menu_ = nullptr;
  items->Free();
}

HMENU TMenu::CreateMenuHandle() { return CreatePopupMenu(); }

HMENU TMenu::Handle() { return items_->Handle(); }

void TMenu::SetWindowHandle(HWND Value) { windowHandle_ = Value; }

bool TMenu::IsRightToLeft() const { return biDiMode_ != bdLeftToRight; }

namespace {
// The item under Root (not Root itself) that satisfies Pred, depth first.
template <class P> TMenuItem* findUnder(TMenuItem* root, P pred) {
  for (Integer i = 0; i < root->Count(); ++i) {
    TMenuItem* item = root->Items(i);
    if (pred(item)) return item;
    if (TMenuItem* found = findUnder(item, pred)) return found;
  }
  return nullptr;
}
}  // namespace

TMenuItem* TMenu::FindItem(NativeUInt Value, TFindItemKind Kind) const {
  if (!items_) return nullptr;
  return findUnder(items_, [&](TMenuItem* item) {
    switch (Kind) {
      case fkCommand: return item->Command() == Value;
      case fkHandle: return item->handle_ != nullptr && reinterpret_cast<NativeUInt>(item->handle_) == Value;
      case fkShortCut: return item->ShortCut() != 0 && item->ShortCut() == Value;
    }
    return false;
  });
}

THelpContext TMenu::GetHelpContext(NativeUInt Value, bool ByCommand) const {
  TMenuItem* item = FindItem(Value, ByCommand ? fkCommand : fkHandle);
  while (item && item->HelpContext() == 0) item = item->Parent();
  return item ? item->HelpContext() : 0;
}

bool TMenu::DispatchCommand(Word ACommand) {
  TMenuItem* item = FindItem(ACommand, fkCommand);
  if (!item) return false;
  item->Click();
  return true;
}

bool TMenu::DispatchPopup(HMENU AMenu) {
  TMenuItem* item = FindItem(reinterpret_cast<NativeUInt>(AMenu), fkHandle);
  if (!item) return false;
  if (!item->ComponentState().Contains(csDesigning)) item->InitiateActions();
  item->RethinkHotkeys();
  item->RethinkLines();
  item->Click();
  return true;
}

bool TMenu::IsShortCut(TWMKey& Message) {
  TShortCut shortCut = shortCutOfKeyMessage(Message);
  if (shortCut == 0) return false;
  TMenuItem* item = nullptr;
  // Updating the item's action may move the shortcut to another item: look again then.
  for (int attempt = 0; attempt < 8; ++attempt) {
    item = FindItem(shortCut, fkShortCut);
    if (!item) return false;
    item->InitiateAction();
    if (item->ShortCut() == shortCut) break;
  }
  if (item->ShortCut() != shortCut) return false;
  try {
    // Open the parents from the top, as choosing the item with the mouse would.
    std::vector<TMenuItem*> parents;
    for (TMenuItem* p = item->Parent(); p && p->Parent(); p = p->Parent()) parents.push_back(p);
    bool reachable = true;
    for (auto it = parents.rbegin(); it != parents.rend(); ++it) {
      TMenuItem* parent = *it;
      parent->InitiateActions();
      if (!parent->Enabled()) {
        reachable = false;
        break;
      }
      parent->Click();
    }
    if (item->Parent()) item->Parent()->InitiateActions();
    if (reachable && item->Enabled()) item->Click();
  } catch (...) {
    handleCallbackException();
  }
  return true;
}

void TMenu::GetChildren(TGetChildProc Proc, TComponent* Root) { items_->GetChildren(Proc, Root); }

void TMenu::SetChildOrder(TComponent* Child, int Order) { items_->SetChildOrder(Child, Order); }

void TMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
  DoChange(Source, Rebuild);
}

void TMenu::DoChange(TMenuItem* Source, bool Rebuild) {
  if (onChange_) onChange_(this, Source, Rebuild);
}

void TMenu::UpdateItems() {
  std::function<void(TMenuItem*)> rebuild = [&](TMenuItem* item) {
    item->rebuildItems();
    for (Integer i = 0; i < item->Count(); ++i) rebuild(item->Items(i));
  };
  if (!items_) return;
  rebuild(items_);
  items_->MenuChanged(false);
}

void TMenu::SetAutoHotkeys(TMenuAutoFlag Value) { autoHotkeys_ = Value == maParent ? maAutomatic : Value; }

void TMenu::SetAutoLineReduction(TMenuAutoFlag Value) {
  autoLineReduction_ = Value == maParent ? maAutomatic : Value;
}

void TMenu::SetBiDiMode(TBiDiMode Value) {
  if (Value == biDiMode_) return;
  biDiMode_ = Value;
  parentBiDiMode_ = false;
  UpdateItems();
}

void TMenu::SetOwnerDraw(bool Value) {
  if (Value == ownerDraw_) return;
  ownerDraw_ = Value;
  UpdateItems();
}

void TMenu::SetImages(TCustomImageList* Value) {
  if (Value == images_) return;
  if (images_) {
    if (imageChangeLink_ && imageChangeLink_->Sender() == images_) images_->UnRegisterChanges(imageChangeLink_);
    images_->RemoveFreeNotification(this);
  }
  images_ = Value;
  if (images_) {
    images_->RegisterChanges(imageChangeLink_);
    images_->FreeNotification(this);
  }
  if (!ComponentState().Contains(csDestroying)) UpdateItems();
}

void TMenu::imageListChange(TObject* Sender) {
  if (Sender == images_) UpdateItems();
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) {
    images_ = nullptr;  // the list has already let go of its links
    if (!ComponentState().Contains(csDestroying)) UpdateItems();
  }
}

namespace {
// The item of a menu whose dwItemData is Data, checked against the menu's tree.
TMenuItem* itemOfData(TMenuItem* root, ULONG_PTR data) {
  auto* wanted = reinterpret_cast<TMenuItem*>(data);
  return findUnder(root, [&](TMenuItem* item) { return item == wanted; });
}
}  // namespace

bool TMenu::dispatchMeasureItem(MEASUREITEMSTRUCT& Measure) {
  if (Measure.CtlType != ODT_MENU || !items_) return false;
  TMenuItem* item = itemOfData(items_, Measure.itemData);
  if (!item) return false;
  HDC dc = GetDC(nullptr);
  {
    MenuCanvas canvas(dc);
    Integer width = static_cast<Integer>(Measure.itemWidth);
    Integer height = static_cast<Integer>(Measure.itemHeight);
    item->MeasureItem(canvas.get(), width, height);
    Measure.itemWidth = static_cast<UINT>(std::max(width, 0));
    Measure.itemHeight = static_cast<UINT>(std::max(height, 0));
  }
  ReleaseDC(nullptr, dc);
  return true;
}

bool TMenu::dispatchDrawItem(const DRAWITEMSTRUCT& Draw) {
  if (Draw.CtlType != ODT_MENU || !items_) return false;
  TMenuItem* item = itemOfData(items_, Draw.itemData);
  if (!item) return false;
  MenuCanvas canvas(Draw.hDC);
  item->AdvancedDrawItem(canvas.get(), Draw.rcItem, OwnerDrawStateOf(Draw.itemState), item->isTopLevel());
  return true;
}

bool TMenu::ProcessMenuChar(TMessage& Message) {
  if (!items_) return false;
  auto menu = reinterpret_cast<HMENU>(Message.LParam);
  TMenuItem* parent = items_->handle_ == menu ? items_ : FindItem(reinterpret_cast<NativeUInt>(menu), fkHandle);
  if (!parent) return false;
  std::string key = AnsiUpperCase(std::string(1, static_cast<char>(LOWORD(Message.WParam))));
  // Positions in the Win32 menu: only visible items (and lines not reduced away) are in it.
  std::vector<Integer> matches;
  Integer position = 0;
  Integer selected = -1;
  for (Integer i = 0; i < parent->Count(); ++i) {
    TMenuItem* item = parent->Items(i);
    if (!item->Visible() || item->lineHidden_) continue;
    if (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_HILITE) selected = position;
    if (item->Enabled() && AnsiUpperCase(GetHotkey(item->Caption())) == key) matches.push_back(position);
    ++position;
  }
  if (matches.empty()) {
    Message.Result = MAKELRESULT(0, MNC_IGNORE);
  } else if (matches.size() == 1) {
    Message.Result = MAKELRESULT(matches[0], MNC_EXECUTE);
  } else {
    // Several items share the key: move to the next one after the highlighted item.
    Integer next = matches[0];
    for (Integer m : matches)
      if (m > selected) {
        next = m;
        break;
      }
    Message.Result = MAKELRESULT(next, MNC_SELECT);
  }
  return true;
}

TMenuItem* TMenu::itemOfMenuSelect(WPARAM WParam, LPARAM LParam) const {
  UINT id = LOWORD(WParam);
  UINT flags = HIWORD(WParam);
  auto menu = reinterpret_cast<HMENU>(LParam);
  if (flags == 0xFFFF && !menu) return nullptr;  // the menu closed
  if (flags & MF_POPUP) {
    if (!menu) return nullptr;
    return FindItem(reinterpret_cast<NativeUInt>(GetSubMenu(menu, static_cast<int>(id))), fkHandle);
  }
  return FindItem(id, fkCommand);
}

// =======================================================================================
// TMainMenu
// =======================================================================================

RTL_BEGIN_CLASS(TMainMenu)
  b.Property("AutoMerge", &TMainMenu::AutoMerge, &TMainMenu::SetAutoMerge).Default(false);
  b.Property("OnChange", &TMainMenu::OnChange, &TMainMenu::SetOnChange);
RTL_END_CLASS

HMENU TMainMenu::CreateMenuHandle() { return CreateMenu(); }

void TMainMenu::SetWindowHandle(HWND Value) {
  TMenu::SetWindowHandle(Value);
  if (Value) {
    Items()->RethinkHotkeys();
    Items()->RethinkLines();
  }
}

void TMainMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) {
  HWND window = WindowHandle();
  if (window && IsWindow(window) && Items() && Items()->HandleAllocated() &&
      GetMenu(window) == Items()->Handle())
    DrawMenuBar(window);
  TMenu::MenuChanged(Sender, Source, Rebuild);
}

// =======================================================================================
// TPopupMenu
// =======================================================================================

RTL_BEGIN_CLASS(TPopupMenu)
  b.Property("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment).Default(paLeft);
  b.Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).Default(true);
  b.Property("HelpContext", &TPopupMenu::HelpContext, &TPopupMenu::SetHelpContext).Default(0);
  b.Property("MenuAnimation", &TPopupMenu::MenuAnimation, &TPopupMenu::SetMenuAnimation)
      .Default(TMenuAnimation());
  b.Property("TrackButton", &TPopupMenu::TrackButton, &TPopupMenu::SetTrackButton).Default(tbRightButton);
  b.Property("OnChange", &TPopupMenu::OnChange, &TPopupMenu::SetOnChange);
  b.Property("OnClose", &TPopupMenu::OnClose, &TPopupMenu::SetOnClose);
  b.Property("OnPopup", &TPopupMenu::OnPopup, &TPopupMenu::SetOnPopup);
RTL_END_CLASS

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {
  if (PopupList) {
    SetWindowHandle(PopupList->Window());
    PopupList->Add(this);
  }
}

TPopupMenu::~TPopupMenu() {
  Destroying();
  if (PopupList) PopupList->Remove(this);
  SetPopupComponent(nullptr);
}

void TPopupMenu::SetPopupComponent(TComponent* Value) {
  if (Value == popupComponent_) return;
  if (popupComponent_) popupComponent_->RemoveFreeNotification(this);
  popupComponent_ = Value;
  if (popupComponent_) popupComponent_->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == popupComponent_) popupComponent_ = nullptr;
}

void TPopupMenu::DoPopup(TObject* Sender) {
  if (onPopup_) onPopup_(Sender);
}

void TPopupMenu::DoClose() {
  if (onClose_) onClose_(this);
}

void TPopupMenu::Popup(Integer X, Integer Y) {
  static const UINT alignFlags[2][3] = {{TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN},
                                        {TPM_RIGHTALIGN, TPM_LEFTALIGN, TPM_CENTERALIGN}};
  popupPoint_ = Point(X, Y);
  DoPopup(this);
  Items()->InitiateActions();
  Items()->RethinkHotkeys();
  Items()->RethinkLines();
  UINT flags = alignFlags[IsRightToLeft() ? 1 : 0][alignment_];
  flags |= trackButton_ == tbLeftButton ? TPM_LEFTBUTTON : TPM_RIGHTBUTTON;
  if (menuAnimation_.Contains(maLeftToRight)) flags |= TPM_HORPOSANIMATION;
  if (menuAnimation_.Contains(maRightToLeft)) flags |= TPM_HORNEGANIMATION;
  if (menuAnimation_.Contains(maTopToBottom)) flags |= TPM_VERPOSANIMATION;
  if (menuAnimation_.Contains(maBottomToTop)) flags |= TPM_VERNEGANIMATION;
  if (menuAnimation_.Contains(maNone)) flags |= TPM_NOANIMATION;
  HWND owner = PopupList ? PopupList->Window() : WindowHandle();
  TrackPopupMenu(Items()->Handle(), flags, X, Y, 0, owner, nullptr);
  DoClose();
}

void TPopupMenu::CloseMenu() { EndMenu(); }

// =======================================================================================
// TPopupList
// =======================================================================================

RTL_IMPLEMENT_CLASS(TPopupList)

TPopupList::TPopupList() { window_ = AllocateHWnd(TWndMethod(this, &TPopupList::mainWndProc)); }

TPopupList::~TPopupList() {
  if (window_) DeallocateHWnd(window_);
  window_ = nullptr;
}

void TPopupList::mainWndProc(TMessage& Message) {
  try {
    WndProc(Message);
  } catch (...) {
    handleCallbackException();
  }
}

void TPopupList::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_COMMAND:
      for (Integer i = 0; i < Count(); ++i)
        if (menuAt(i)->DispatchCommand(LOWORD(Message.WParam))) {
          Message.Result = 0;
          return;
        }
      break;
    case WM_INITMENUPOPUP:
      for (Integer i = 0; i < Count(); ++i)
        if (menuAt(i)->DispatchPopup(reinterpret_cast<HMENU>(Message.WParam))) {
          Message.Result = 0;
          return;
        }
      break;
    case WM_MENUSELECT:
      for (Integer i = 0; i < Count(); ++i)
        if (TMenuItem* item = menuAt(i)->itemOfMenuSelect(Message.WParam, Message.LParam)) {
          if (MenuHintHook) MenuHintHook(item->Hint());
          Message.Result = 0;
          return;
        }
      if (MenuHintHook) MenuHintHook("");
      break;
    case WM_MENUCHAR:
      for (Integer i = 0; i < Count(); ++i)
        if (menuAt(i)->ProcessMenuChar(Message)) return;
      break;
    case WM_MEASUREITEM:
      for (Integer i = 0; i < Count(); ++i)
        if (menuAt(i)->dispatchMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam))) {
          Message.Result = TRUE;
          return;
        }
      break;
    case WM_DRAWITEM:
      for (Integer i = 0; i < Count(); ++i)
        if (menuAt(i)->dispatchDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam))) {
          Message.Result = TRUE;
          return;
        }
      break;
  }
  Message.Result = DefWindowProcA(window_, Message.Msg, Message.WParam, Message.LParam);
}

// =======================================================================================
// Builders
// =======================================================================================

namespace {
void giveOwner(TComponent* owner, TMenuItem* item) {
  if (!owner) return;
  if (!item->Owner()) owner->InsertComponent(item);
  for (Integer i = 0; i < item->Count(); ++i) giveOwner(owner, item->Items(i));
}

void fillMenu(TMenu* menu, std::initializer_list<TMenuItem*> items) {
  for (TMenuItem* item : items) {
    giveOwner(menu->Owner(), item);
    menu->Items()->Add(item);
  }
}
}  // namespace

TMainMenu* NewMenu(TComponent* Owner, const std::string& AName, std::initializer_list<TMenuItem*> AItems) {
  auto* menu = new TMainMenu(Owner);
  if (!AName.empty()) menu->SetName(AName);
  fillMenu(menu, AItems);
  return menu;
}

TPopupMenu* NewPopupMenu(TComponent* Owner, const std::string& AName, TPopupAlignment Alignment, bool AutoPopup,
                         std::initializer_list<TMenuItem*> AItems) {
  auto* menu = new TPopupMenu(Owner);
  if (!AName.empty()) menu->SetName(AName);
  menu->SetAlignment(Alignment);
  menu->SetAutoPopup(AutoPopup);
  fillMenu(menu, AItems);
  return menu;
}

TMenuItem* NewSubMenu(const std::string& ACaption, THelpContext hCtx, const std::string& AName,
                      std::initializer_list<TMenuItem*> AItems, bool AEnabled) {
  auto* item = new TMenuItem(nullptr);
  item->SetCaption(ACaption);
  item->SetHelpContext(hCtx);
  if (!AName.empty()) item->SetName(AName);
  item->SetEnabled(AEnabled);
  for (TMenuItem* sub : AItems) item->Add(sub);
  return item;
}

TMenuItem* NewItem(const std::string& ACaption, TShortCut AShortCut, bool AChecked, bool AEnabled,
                   const TNotifyEvent& AOnClick, THelpContext hCtx, const std::string& AName) {
  auto* item = new TMenuItem(nullptr);
  item->SetCaption(ACaption);
  item->SetShortCut(AShortCut);
  item->SetChecked(AChecked);
  item->SetEnabled(AEnabled);
  item->SetOnClick(AOnClick);
  item->SetHelpContext(hCtx);
  if (!AName.empty()) item->SetName(AName);
  return item;
}

TMenuItem* NewLine() {
  auto* item = new TMenuItem(nullptr);
  item->SetCaption(cLineCaption);
  return item;
}

namespace MenusUnit {

void Initialize() {
  PopupList = new TPopupList();
  RegisterClasses({TMenuItem::StaticClass(), TMainMenu::StaticClass(), TPopupMenu::StaticClass()});
}

void Finalize() {
  UnRegisterClass(TPopupMenu::StaticClass());
  UnRegisterClass(TMainMenu::StaticClass());
  UnRegisterClass(TMenuItem::StaticClass());
  delete PopupList;
  PopupList = nullptr;
}

}  // namespace MenusUnit
