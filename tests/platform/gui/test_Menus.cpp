#include "platform/gui/Menus.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "GuiTestHelpers.h"
#include "MenusTestSupport.h"
#include "TestFramework.h"
#include "platform/rtl/Classes.h"

namespace {

// Records the clicks of the items it is wired to.
class ClickLog : public TObject {
public:
  std::vector<TObject*> clicks;
  void Click(TObject* Sender) { clicks.push_back(Sender); }
  void Fail(TObject*) { throw Exception("Falha no item"); }
  TNotifyEvent onClick() { return TNotifyEvent(this, &ClickLog::Click); }
  int count(TObject* sender) const { return static_cast<int>(std::count(clicks.begin(), clicks.end(), sender)); }
};

// What the Win32 menu holds at a position.
struct Win32Item {
  bool found = false;
  std::string text;
  UINT type = 0;
  UINT state = 0;
  UINT id = 0;
  HMENU subMenu = nullptr;
};

Win32Item win32Item(HMENU menu, int position) {
  char buf[256] = {};
  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
  info.dwTypeData = buf;
  info.cch = sizeof(buf);
  Win32Item r;
  r.found = GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info) != FALSE;
  r.text = buf;
  r.type = info.fType;
  r.state = info.fState;
  r.id = info.wID;
  r.subMenu = info.hSubMenu;
  return r;
}

TMenuItem* newItem(TComponent* owner, const std::string& caption) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  return item;
}

// A key message as a control's key handling passes it on (Alt in bit 29 of the key data).
TMessage keyMessage(Word key, bool alt) {
  TMessage m;
  m.Msg = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
  m.WParam = key;
  m.LParam = alt ? 0x20000000 : 0;
  return m;
}


}  // namespace

// =======================================================================================
// Shortcut texts
// =======================================================================================

TEST(MenuShortCuts, TextAndShortCutConvertBothWays) {
  struct Case {
    TShortCut shortCut;
    const char* text;
  } cases[] = {
      {ShortCut('S', {ssCtrl}), "Ctrl+S"},
      {ShortCut(VK_F5, {ssShift}), "Shift+F5"},
      {ShortCut(VK_RETURN, {ssAlt}), "Alt+Enter"},
      {ShortCut(VK_F12, {ssShift, ssCtrl, ssAlt}), "Shift+Ctrl+Alt+F12"},
      {ShortCut('1', {ssCtrl}), "Ctrl+1"},
      {VK_DELETE, "Del"},
      {VK_INSERT, "Ins"},
      {VK_BACK, "BkSp"},
      {ShortCut(VK_TAB, {ssCtrl}), "Ctrl+Tab"},
      {VK_ESCAPE, "Esc"},
      {VK_SPACE, "Space"},
      {VK_PRIOR, "PgUp"},
      {VK_NEXT, "PgDn"},
      {VK_END, "End"},
      {VK_HOME, "Home"},
      {VK_LEFT, "Left"},
      {VK_UP, "Up"},
      {VK_RIGHT, "Right"},
      {VK_DOWN, "Down"},
      {VK_F1, "F1"},
      {VK_F24, "F24"},
      {VK_MULTIPLY, "Num *"},
      {ShortCut(VK_OEM_MINUS, {ssCtrl}), "Ctrl+-"},
      {ShortCut(VK_OEM_PERIOD, {ssAlt}), "Alt+."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShortCutToText(c.shortCut), c.text) << "shortcut 0x" << std::hex << c.shortCut;
    EXPECT_EQ(TextToShortCut(c.text), c.shortCut) << "text " << c.text;
  }
}

TEST(MenuShortCuts, TextIsReadWithoutRegardToCaseOrModifierOrder) {
  struct Case {
    const char* text;
    TShortCut expected;
  } cases[] = {
      {"ctrl+s", ShortCut('S', {ssCtrl})},
      {"^S", ShortCut('S', {ssCtrl})},
      {"Alt+Shift+x", ShortCut('X', {ssShift, ssAlt})},
      {"CTRL+DEL", ShortCut(VK_DELETE, {ssCtrl})},
      {"f10", VK_F10},
      // The numeric keypad's digits are named like the others: the text gives the main row.
      {"3", '3'},
  };
  for (const Case& c : cases) EXPECT_EQ(TextToShortCut(c.text), c.expected) << "text " << c.text;
  EXPECT_EQ(ShortCutToText(VK_NUMPAD3), "3");
}

TEST(MenuShortCuts, UnknownTextAndUnnamedKeysGiveNothing) {
  for (const char* text : {"", "Ctrl+", "Ctrl+Foo", "Hyper+S", "Shift+Ctrl", "S+Ctrl", "F25"})
    EXPECT_EQ(TextToShortCut(text), 0) << "text '" << text << "'";
  EXPECT_EQ(ShortCutToText(0), "");
  EXPECT_EQ(ShortCutToText(0xFF | scCtrl), "");
  EXPECT_EQ(ShortCut(0x100, {ssCtrl}), 0) << "keys above a byte have no shortcut";
}

TEST(MenuShortCuts, ShortCutToKeySplitsKeyAndShiftState) {
  Word key = 0;
  TShiftState shift;
  ShortCutToKey(ShortCut('P', {ssCtrl, ssShift}), key, shift);
  EXPECT_EQ(key, 'P');
  EXPECT_TRUE(shift == (TShiftState{ssCtrl, ssShift}));
  ShortCutToKey(VK_F2, key, shift);
  EXPECT_EQ(key, VK_F2);
  EXPECT_TRUE(shift.Empty());
}

TEST(MenuShortCuts, HotkeyHelpersReadAndStripAmpersands) {
  struct Case {
    const char* caption;
    const char* stripped;
    const char* hotkey;
  } cases[] = {
      {"&Arquivo", "Arquivo", "A"},  {"Sa&lvar", "Salvar", "l"},    {"Salvar && sair", "Salvar & sair", ""},
      {"A&&B&C", "A&BC", "C"},       {"Fim&", "Fim", ""},            {"Sem tecla", "Sem tecla", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StripHotkey(c.caption), c.stripped) << c.caption;
    EXPECT_EQ(GetHotkey(c.caption), c.hotkey) << c.caption;
  }
  EXPECT_TRUE(AnsiSameCaption("&Abrir", "ABRIR"));
  EXPECT_FALSE(AnsiSameCaption("&Abrir", "Abrir tudo"));
}

// =======================================================================================
// Item lists
// =======================================================================================

TEST(MenuItems, InsertDeleteAndFindKeepOrder) {
  RootOwner owner;
  auto* menu = new TPopupMenu(owner.root);
  TMenuItem* a = newItem(owner.root, "&Abrir");
  TMenuItem* b = newItem(owner.root, "Salvar");
  TMenuItem* c = newItem(owner.root, "Sair");
  menu->Items()->Add(a);
  menu->Items()->Add(c);
  menu->Items()->Insert(1, b);
  ASSERT_EQ(menu->Items()->Count(), 3);
  EXPECT_EQ(menu->Items()->Items(1), b);
  EXPECT_EQ(c->MenuIndex(), 2);
  EXPECT_EQ(b->Parent(), menu->Items());
  EXPECT_EQ(menu->Items()->Find("abrir"), a) << "Find ignores hot keys and case";
  EXPECT_EQ(menu->Items()->Find("Fechar"), nullptr);

  c->SetMenuIndex(0);
  EXPECT_EQ(menu->Items()->IndexOf(c), 0);
  EXPECT_EQ(menu->Items()->IndexOf(a), 1);

  // Delete takes the item out without freeing it.
  menu->Items()->Delete(0);
  EXPECT_EQ(c->Parent(), nullptr);
  EXPECT_EQ(menu->Items()->Count(), 2);
  a->Add(c);
  EXPECT_EQ(c->Parent(), a);

  // Freeing an item takes it out of its parent.
  b->Free();
  EXPECT_EQ(menu->Items()->Count(), 1);
  EXPECT_EQ(menu->Items()->Items(0), a);
}

TEST(MenuItems, MisuseRaisesMenuErrors) {
  RootOwner owner;
  auto* menu = new TPopupMenu(owner.root);
  TMenuItem* a = newItem(owner.root, "A");
  TMenuItem* stranger = newItem(owner.root, "B");
  menu->Items()->Add(a);
  EXPECT_EQ(RaisedMessage<EMenuError>([&] { menu->Items()->Add(a); }), "Menu inserted twice");
  EXPECT_EQ(RaisedMessage<EMenuError>([&] { menu->Items()->Insert(3, stranger); }), "Menu index out of range");
  EXPECT_EQ(RaisedMessage<EMenuError>([&] { menu->Items()->Remove(stranger); }), "Sub-menu is not in menu");
  EXPECT_EQ(RaisedMessage<EMenuError>([&] { menu->Items()->Items(1); }), "Menu index out of range");
}

TEST(MenuItems, ClearFreesTheSubItems) {
  RootOwner owner;
  auto* menu = new TPopupMenu(owner.root);
  for (const char* caption : {"Um", "Dois", "Tres"}) menu->Items()->Add(newItem(owner.root, caption));
  int before = owner.root->ComponentCount();
  menu->Items()->Clear();
  EXPECT_EQ(menu->Items()->Count(), 0);
  EXPECT_EQ(owner.root->ComponentCount(), before - 3) << "the cleared items are freed";
}

TEST(MenuItems, BuildersMakeATreeOwnedByTheMenusOwner) {
  RootOwner owner;
  ClickLog log;
  TPopupMenu* menu = NewPopupMenu(
      owner.root, "Contexto", paCenter, false,
      {NewItem("&Copiar", ShortCut('C', {ssCtrl}), false, true, log.onClick(), 7, "Copiar1"), NewLine(),
       NewSubMenu("&Exportar", 0, "Exportar1", {NewItem("CSV", 0, true, false, nullptr, 0, "Csv1")})});
  EXPECT_EQ(menu->Name(), "Contexto");
  EXPECT_EQ(menu->Alignment(), paCenter);
  EXPECT_FALSE(menu->AutoPopup());
  ASSERT_EQ(menu->Items()->Count(), 3);
  TMenuItem* copy = menu->Items()->Items(0);
  EXPECT_EQ(copy->ShortCut(), ShortCut('C', {ssCtrl}));
  EXPECT_EQ(copy->HelpContext(), 7);
  copy->Click();
  EXPECT_EQ(log.count(copy), 1);
  EXPECT_TRUE(menu->Items()->Items(1)->IsLine());
  TMenuItem* csv = menu->Items()->Items(2)->Find("CSV");
  ASSERT_NE(csv, nullptr);
  EXPECT_TRUE(csv->Checked());
  EXPECT_FALSE(csv->Enabled());
  EXPECT_EQ(owner.root->FindComponent("Csv1"), csv) << "nested items get the menu's owner too";
  EXPECT_EQ(menu->GetHelpContext(csv->Command(), true), 0);
  EXPECT_EQ(menu->GetHelpContext(copy->Command(), true), 7);
}

// =======================================================================================
// The Win32 menu
// =======================================================================================

TEST(MenuHandle, HoldsEveryVisibleItemWithTextStateAndShortcut) {
  RootOwner owner;
  auto* menu = new TPopupMenu(owner.root);
  menu->SetAutoHotkeys(maManual);
  TMenuItem* open = newItem(owner.root, "&Abrir");
  open->SetShortCut(ShortCut('O', {ssCtrl}));
  TMenuItem* hidden = newItem(owner.root, "Oculto");
  hidden->SetVisible(false);
  TMenuItem* line = newItem(owner.root, "-");
  TMenuItem* recent = newItem(owner.root, "Recentes");
  TMenuItem* first = newItem(owner.root, "primeiro.mdb");
  recent->Add(first);
  TMenuItem* off = newItem(owner.root, "Desligado");
  off->SetEnabled(false);
  off->SetChecked(true);
  menu->Items()->Add({open, hidden, line, recent, off});

  HMENU h = menu->Handle();
  ASSERT_EQ(GetMenuItemCount(h), 4) << "the invisible item is left out";
  Win32Item w = win32Item(h, 0);
  EXPECT_EQ(w.text, "&Abrir\tCtrl+O");
  EXPECT_EQ(w.id, open->Command());
  EXPECT_TRUE(win32Item(h, 1).type & MFT_SEPARATOR);
  w = win32Item(h, 2);
  EXPECT_EQ(w.text, "Recentes");
  EXPECT_EQ(w.subMenu, recent->Handle());
  EXPECT_EQ(win32Item(recent->Handle(), 0).text, "primeiro.mdb");
  w = win32Item(h, 3);
  EXPECT_TRUE(w.state & MFS_GRAYED) << "state 0x" << std::hex << w.state;
  EXPECT_TRUE(w.state & MFS_CHECKED) << "state 0x" << std::hex << w.state;
}

TEST(MenuHandle, IsRebuiltInPlaceAfterCaptionEnabledAndVisibleChange) {
  RootOwner owner;
  auto* menu = new TPopupMenu(owner.root);
  menu->SetAutoHotkeys(maManual);
  TMenuItem* a = newItem(owner.root, "Copiar");
  TMenuItem* b = newItem(owner.root, "Colar");
  menu->Items()->Add({a, b});
  HMENU h = menu->Handle();
  ASSERT_EQ(win32Item(h, 1).text, "Colar");

  b->SetCaption("Colar especial");
  EXPECT_EQ(win32Item(h, 1).text, "Colar especial");
  b->SetEnabled(false);
  EXPECT_EQ(menu->Handle(), h) << "the handle a window holds stays valid";
  Win32Item w = win32Item(h, 1);
  EXPECT_TRUE(w.state & MFS_DISABLED) << "state 0x" << std::hex << w.state;

  a->SetVisible(false);
  ASSERT_EQ(GetMenuItemCount(h), 1);
  EXPECT_EQ(win32Item(h, 0).text, "Colar especial");
  a->SetVisible(true);
  EXPECT_EQ(GetMenuItemCount(h), 2);

  // A first sub-item turns an entry into a sub-menu in its parent's menu.
  TMenuItem* sub = newItem(owner.root, "Texto");
  a->Add(sub);
  EXPECT_EQ(win32Item(h, 0).subMenu, a->Handle());
}

TEST(MenuHandle, MainMenuIsAWindowsMenuBarWithoutShortcutTextOnTheBar) {
  RootOwner owner;
  auto* menu = new TMainMenu(owner.root);
  TMenuItem* exit = newItem(owner.root, "Sair");
  exit->SetShortCut(ShortCut('X', {ssAlt}));
  TMenuItem* help = newItem(owner.root, "Ajuda");
  TMenuItem* about = newItem(owner.root, "Sobre");
  about->SetShortCut(VK_F1);
  help->Add(about);
  menu->Items()->Add({exit, help});

  HWND window = CreateWindowExA(0, "STATIC", "menu", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(SetMenu(window, menu->Handle()));
  EXPECT_EQ(GetMenu(window), menu->Handle());
  menu->SetWindowHandle(window);
  // Attaching to the window gives the bar and its menus their hot keys.
  EXPECT_EQ(win32Item(menu->Handle(), 0).text, "&Sair") << "no shortcut text on the bar";
  EXPECT_EQ(win32Item(menu->Handle(), 1).text, "&Ajuda");
  EXPECT_EQ(win32Item(help->Handle(), 0).text, "&Sobre\tF1");
  menu->SetWindowHandle(nullptr);
  SetMenu(window, nullptr);
  DestroyWindow(window);
}

TEST(MenuHandle, OnChangeReportsItemChanges) {
  struct Log : TObject {
    std::vector<TMenuItem*> sources;
    void Changed(TObject*, TMenuItem* Source, bool) { sources.push_back(Source); }
  } log;
  RootOwner owner;
  auto* menu = new TPopupMenu(owner.root);
  TMenuItem* a = newItem(owner.root, "A");
  menu->Items()->Add(a);
  menu->SetOnChange(TMenuChangeEvent(&log, &Log::Changed));
  a->SetCaption("B");
  ASSERT_FALSE(log.sources.empty());
  EXPECT_EQ(log.sources.back(), a);
}

// =======================================================================================
// Checked, radio and automatic hot keys / lines
// =======================================================================================

TEST(MenuRadioItems, CheckingOneUnchecksTheOthersOfItsGroupOnly) {
  RootOwner owner;
  auto* menu = new TPopupMenu(owner.root);
  std::vector<TMenuItem*> group1;
  for (const char* caption : {"Pequeno", "Medio", "Grande"}) {
    TMenuItem* item = newItem(owner.root, caption);
    item->SetRadioItem(true);
    item->SetGroupIndex(1);
    group1.push_back(item);
    menu->Items()->Add(item);
  }
  TMenuItem* other = newItem(owner.root, "Outro grupo");
  other->SetRadioItem(true);
  other->SetGroupIndex(2);
  other->SetChecked(true);
  TMenuItem* plain = newItem(owner.root, "Simples");
  plain->SetGroupIndex(1);
  plain->SetChecked(true);
  menu->Items()->Add({other, plain});

  group1[0]->SetChecked(true);
  group1[1]->SetChecked(true);
  EXPECT_FALSE(group1[0]->Checked());
  EXPECT_TRUE(group1[1]->Checked());
  EXPECT_FALSE(group1[2]->Checked());
  EXPECT_TRUE(other->Checked()) << "another group is left alone";
  EXPECT_TRUE(plain->Checked()) << "a plain check item is not a radio item";

  HMENU h = menu->Handle();
  EXPECT_TRUE(win32Item(h, 0).type & MFT_RADIOCHECK);
  EXPECT_FALSE(win32Item(h, 0).state & MFS_CHECKED);
  EXPECT_TRUE(win32Item(h, 1).state & MFS_CHECKED);
}

TEST(MenuAutoHotkeys, GiveEveryItemAUniqueKeyWhenAutomatic) {
  RootOwner owner;
  auto* menu = new TPopupMenu(owner.root);
  std::vector<TMenuItem*> items;
  for (const char* caption : {"Abrir", "Arquivo", "&Salvar", "Sair", "-", "A && B"}) {
    items.push_back(newItem(owner.root, caption));
    menu->Items()->Add(items.back());
  }
  EXPECT_TRUE(menu->Items()->RethinkHotkeys());
  EXPECT_EQ(items[0]->Caption(), "&Abrir");
  EXPECT_EQ(items[1]->Caption(), "A&rquivo");
  EXPECT_EQ(items[2]->Caption(), "&Salvar") << "a unique hot key is kept";
  EXPECT_EQ(items[3]->Caption(), "Sa&ir");
  EXPECT_EQ(items[4]->Caption(), "-");
  EXPECT_EQ(items[5]->Caption(), "A && &B") << "a literal '&' stays doubled";
  EXPECT_FALSE(menu->Items()->RethinkHotkeys()) << "nothing left to change";
}

TEST(MenuAutoHotkeys, LeaveCaptionsAloneWhenManual) {
  RootOwner owner;
  auto* menu = new TPopupMenu(owner.root);
  menu->SetAutoHotkeys(maManual);
  TMenuItem* a = newItem(owner.root, "Abrir");
  menu->Items()->Add(a);
  EXPECT_FALSE(menu->Items()->RethinkHotkeys());
  EXPECT_EQ(a->Caption(), "Abrir");
  // An item may ask for itself what its menu does not.
  TMenuItem* sub = newItem(owner.root, "Texto");
  a->Add(sub);
  a->SetAutoHotkeys(maAutomatic);
  EXPECT_TRUE(menu->Items()->RethinkHotkeys());
  EXPECT_EQ(sub->Caption(), "&Texto");
}

TEST(MenuAutoLines, RedundantSeparatorsAreLeftOutOfTheMenu) {
  RootOwner owner;
  auto* menu = new TPopupMenu(owner.root);
  menu->SetAutoHotkeys(maManual);
  std::vector<TMenuItem*> items;
  for (const char* caption : {"-", "A", "-", "-", "B", "-"}) {
    items.push_back(newItem(owner.root, caption));
    menu->Items()->Add(items.back());
  }
  HMENU h = menu->Handle();
  ASSERT_EQ(GetMenuItemCount(h), 6);
  EXPECT_TRUE(menu->Items()->RethinkLines());
  ASSERT_EQ(GetMenuItemCount(h), 3);
  EXPECT_EQ(win32Item(h, 0).text, "A");
  EXPECT_TRUE(win32Item(h, 1).type & MFT_SEPARATOR);
  EXPECT_EQ(win32Item(h, 2).text, "B");
  for (TMenuItem* item : items) EXPECT_TRUE(item->Visible()) << "Visible itself is not changed";
  // Hiding B leaves the line in the middle with nothing after it.
  items[4]->SetVisible(false);
  menu->Items()->RethinkLines();
  EXPECT_EQ(GetMenuItemCount(h), 1);
}

// =======================================================================================
// Commands, popups and shortcuts
// =======================================================================================

TEST(MenuPopup, ChosenItemRunsOnceAndAutoChecks) {
  ASSERT_NE(PopupList, nullptr);
  RootOwner owner;
  ClickLog log;
  struct Events : TObject {
    int popups = 0, closes = 0;
    void Popup(TObject*) { ++popups; }
    void Close(TObject*) { ++closes; }
  } events;
  auto* menu = new TPopupMenu(owner.root);
  menu->SetOnPopup(TNotifyEvent(&events, &Events::Popup));
  menu->SetOnClose(TNotifyEvent(&events, &Events::Close));
  TMenuItem* first = newItem(owner.root, "Primeiro");
  TMenuItem* second = newItem(owner.root, "Segundo");
  second->SetAutoCheck(true);
  first->SetOnClick(log.onClick());
  second->SetOnClick(log.onClick());
  menu->Items()->Add({first, second});

  // The keys wait in the queue; the menu's own loop reads them once it shows.
  HWND w = PopupList->Window();
  PostMessageA(w, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(w, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(w, WM_KEYDOWN, VK_RETURN, 0);
  menu->Popup(120, 140);
  EXPECT_EQ(events.popups, 1);
  EXPECT_EQ(events.closes, 1);
  EXPECT_EQ(menu->PopupPoint().x, 120);
  EXPECT_EQ(menu->PopupPoint().y, 140);

  ASSERT_TRUE(pumpMessagesUntil([&] { return !log.clicks.empty(); }, 3000)) << "no item ran";
  pumpMessagesFor(100);
  EXPECT_EQ(log.count(second), 1);
  EXPECT_EQ(log.count(first), 0);
  EXPECT_TRUE(second->Checked()) << "AutoCheck toggles the chosen item";
  EXPECT_FALSE(first->Checked());
}

TEST(MenuPopup, CommandMessagesReachTheItemThroughThePopupList) {
  ASSERT_NE(PopupList, nullptr);
  RootOwner owner;
  ClickLog log;
  auto* menu = new TPopupMenu(owner.root);
  TMenuItem* a = newItem(owner.root, "A");
  TMenuItem* off = newItem(owner.root, "Desligado");
  off->SetEnabled(false);
  a->SetOnClick(log.onClick());
  off->SetOnClick(log.onClick());
  menu->Items()->Add({a, off});

  SendMessageA(PopupList->Window(), WM_COMMAND, a->Command(), 0);
  SendMessageA(PopupList->Window(), WM_COMMAND, off->Command(), 0);
  EXPECT_EQ(log.count(a), 1);
  EXPECT_EQ(log.count(off), 0) << "a disabled item does not run";
  EXPECT_FALSE(menu->DispatchCommand(0)) << "no item has command 0";
}

TEST(MenuPopup, ExceptionInClickGoesToTheApplicationHandler) {
  ASSERT_NE(PopupList, nullptr);
  RootOwner owner;
  ClickLog log;
  CaughtExceptions caught;
  auto* menu = new TPopupMenu(owner.root);
  TMenuItem* a = newItem(owner.root, "A");
  a->SetOnClick(TNotifyEvent(&log, &ClickLog::Fail));
  menu->Items()->Add(a);
  SendMessageA(PopupList->Window(), WM_COMMAND, a->Command(), 0);
  ASSERT_EQ(caught.Messages().size(), 1u);
  EXPECT_EQ(caught.Messages()[0], "Falha no item");
}

TEST(MenuPopup, OpeningASubMenuUpdatesItAndClicksItsItem) {
  ASSERT_NE(PopupList, nullptr);
  RootOwner owner;
  ClickLog log;
  auto* menu = new TPopupMenu(owner.root);
  TMenuItem* parent = newItem(owner.root, "Exportar");
  TMenuItem* child = newItem(owner.root, "csv");
  parent->SetOnClick(log.onClick());
  parent->Add(child);
  menu->Items()->Add(parent);
  menu->Handle();
  SendMessageA(PopupList->Window(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(parent->Handle()), 0);
  EXPECT_EQ(log.count(parent), 1) << "opening a sub-menu clicks its item";
  EXPECT_EQ(child->Caption(), "&csv") << "the sub-menu's hot keys were rethought";
}

TEST(MenuShortCutKeys, IsShortCutClicksTheItemAfterOpeningItsParents) {
  RootOwner owner;
  ClickLog log;
  auto* menu = new TMainMenu(owner.root);
  TMenuItem* file = newItem(owner.root, "&Arquivo");
  TMenuItem* exit = newItem(owner.root, "Sai&r");
  TMenuItem* off = newItem(owner.root, "Desligado");
  exit->SetShortCut(ShortCut('X', {ssAlt}));
  off->SetShortCut(ShortCut('D', {ssAlt}));
  off->SetEnabled(false);
  file->SetOnClick(log.onClick());
  exit->SetOnClick(log.onClick());
  off->SetOnClick(log.onClick());
  file->Add({exit, off});
  menu->Items()->Add(file);

  TMessage m = keyMessage('X', true);
  EXPECT_TRUE(menu->IsShortCut(reinterpret_cast<TWMKey&>(m)));
  EXPECT_EQ(log.count(exit), 1);
  EXPECT_EQ(log.count(file), 1) << "the parent opens before its item runs";

  m = keyMessage('D', true);
  EXPECT_TRUE(menu->IsShortCut(reinterpret_cast<TWMKey&>(m))) << "a disabled item still owns its key";
  EXPECT_EQ(log.count(off), 0);

  m = keyMessage('X', false);
  EXPECT_FALSE(menu->IsShortCut(reinterpret_cast<TWMKey&>(m))) << "X without Alt is no shortcut here";
  EXPECT_EQ(menu->FindItem(ShortCut('X', {ssAlt}), fkShortCut), exit);
  EXPECT_EQ(menu->FindItem(exit->Command(), fkCommand), exit);
  EXPECT_EQ(menu->FindItem(reinterpret_cast<NativeUInt>(file->Handle()), fkHandle), file);
}

TEST(MenuShortCutKeys, MenuCharPicksTheItemOfItsHotKey) {
  RootOwner owner;
  auto* menu = new TPopupMenu(owner.root);
  menu->SetOwnerDraw(true);
  menu->SetAutoHotkeys(maManual);
  TMenuItem* hidden = newItem(owner.root, "&Oculto");
  hidden->SetVisible(false);
  menu->Items()->Add({newItem(owner.root, "&Abrir"), hidden, newItem(owner.root, "&Salvar"),
                      newItem(owner.root, "&Sair")});
  HMENU h = menu->Handle();

  TMessage m;
  m.Msg = WM_MENUCHAR;
  m.WParam = 'a';
  m.LParam = reinterpret_cast<LPARAM>(h);
  ASSERT_TRUE(menu->ProcessMenuChar(m));
  EXPECT_EQ(HIWORD(m.Result), MNC_EXECUTE);
  EXPECT_EQ(LOWORD(m.Result), 0);

  m.WParam = 's';
  ASSERT_TRUE(menu->ProcessMenuChar(m));
  EXPECT_EQ(HIWORD(m.Result), MNC_SELECT) << "two items share S: move between them";
  EXPECT_EQ(LOWORD(m.Result), 1) << "positions count only the items in the Win32 menu";

  m.WParam = 'z';
  ASSERT_TRUE(menu->ProcessMenuChar(m));
  EXPECT_EQ(HIWORD(m.Result), MNC_IGNORE);
}

// =======================================================================================
// Owner drawing
// =======================================================================================

TEST(MenuOwnerDraw, ImagesMakeItemsOwnerDrawnWithTheirImage) {
  RootOwner owner;
  auto* images = new TImageList(owner.root);
  TBitmap glyph;
  glyph.SetPixelFormat(pf24bit);
  glyph.SetSize(16, 16);
  glyph.Canvas()->Brush()->SetColor(clRed);
  glyph.Canvas()->FillRect(Rect(0, 0, 16, 16));
  images->Add(&glyph, nullptr);

  auto* menu = new TPopupMenu(owner.root);
  menu->SetAutoHotkeys(maManual);
  TMenuItem* item = newItem(owner.root, "Abrir");
  item->SetImageIndex(0);
  menu->Items()->Add(item);
  HMENU h = menu->Handle();
  EXPECT_FALSE(win32Item(h, 0).type & MFT_OWNERDRAW);
  menu->SetImages(images);
  EXPECT_TRUE(win32Item(h, 0).type & MFT_OWNERDRAW) << "setting Images rebuilds the items owner-drawn";

  MEASUREITEMSTRUCT measure{};
  measure.CtlType = ODT_MENU;
  measure.itemID = item->Command();
  measure.itemData = reinterpret_cast<ULONG_PTR>(item);
  ASSERT_TRUE(menu->dispatchMeasureItem(measure));
  EXPECT_GE(measure.itemHeight, 16u) << "room for the image";
  EXPECT_GT(measure.itemWidth, 16u);

  TBitmap target;
  makeWhite(target, 200, 24);
  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_MENU;
  draw.itemID = item->Command();
  draw.itemData = reinterpret_cast<ULONG_PTR>(item);
  draw.hDC = target.Canvas()->Handle();
  draw.rcItem = Rect(0, 0, 200, 24);
  ASSERT_TRUE(menu->dispatchDrawItem(draw));
  // The image column is at the left: its middle shows the red image on the menu colour.
  EXPECT_TRUE(PixelIs(target, 10, 12, 0x0000FF));
  EXPECT_TRUE(PixelIs(target, 150, 2, static_cast<uint32_t>(ColorToRGB(clMenu))));
}

TEST(MenuOwnerDraw, ItemEventsTakeOverMeasuringAndDrawing) {
  struct Painter : TObject {
    TOwnerDrawState state;
    int draws = 0;
    void Measure(TObject*, TCanvas*, Integer& Width, Integer& Height) {
      Width = 123;
      Height = 31;
    }
    void Draw(TObject*, TCanvas* Canvas, const TRect& R, TOwnerDrawState State) {
      ++draws;
      state = State;
      Canvas->Brush()->SetColor(clLime);
      Canvas->FillRect(R);
    }
  } painter;
  RootOwner owner;
  auto* menu = new TPopupMenu(owner.root);
  menu->SetOwnerDraw(true);
  TMenuItem* item = newItem(owner.root, "Desenhado");
  item->SetOnMeasureItem(TMenuMeasureItemEvent(&painter, &Painter::Measure));
  item->SetOnAdvancedDrawItem(TAdvancedMenuDrawItemEvent(&painter, &Painter::Draw));
  menu->Items()->Add(item);

  MEASUREITEMSTRUCT measure{};
  measure.CtlType = ODT_MENU;
  measure.itemData = reinterpret_cast<ULONG_PTR>(item);
  ASSERT_TRUE(menu->dispatchMeasureItem(measure));
  EXPECT_EQ(measure.itemWidth, 123u);
  EXPECT_EQ(measure.itemHeight, 31u);

  TBitmap target;
  makeWhite(target, 50, 20);
  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_MENU;
  draw.itemData = reinterpret_cast<ULONG_PTR>(item);
  draw.itemState = ODS_SELECTED | ODS_CHECKED;
  draw.hDC = target.Canvas()->Handle();
  draw.rcItem = Rect(0, 0, 50, 20);
  ASSERT_TRUE(menu->dispatchDrawItem(draw));
  EXPECT_EQ(painter.draws, 1);
  EXPECT_TRUE(painter.state == (TOwnerDrawState{odSelected, odChecked}));
  EXPECT_TRUE(PixelIs(target, 25, 10, 0x00FF00));

  // An item of another menu is not drawn by this one.
  TMenuItem* foreign = newItem(owner.root, "Alheio");
  draw.itemData = reinterpret_cast<ULONG_PTR>(foreign);
  EXPECT_FALSE(menu->dispatchDrawItem(draw));
}

// =======================================================================================
// Stored form descriptions
// =======================================================================================

TEST(MenuStreaming, ItemTreeAndPropertiesSurviveAStoredForm) {
  RootOwner source;
  auto* menu = new TPopupMenu(source.root);
  menu->SetName("PopupMenu1");
  menu->SetAlignment(paRight);
  menu->SetAutoPopup(false);
  TMenuItem* file = newItem(source.root, "&Arquivo");
  file->SetName("Arquivo1");
  TMenuItem* save = newItem(source.root, "&Salvar");
  save->SetName("Salvar1");
  save->SetShortCut(ShortCut('S', {ssCtrl}));
  save->SetHint("Salva o arquivo");
  TMenuItem* radio = newItem(source.root, "Grade");
  radio->SetName("Grade1");
  radio->SetRadioItem(true);
  radio->SetGroupIndex(3);
  radio->SetChecked(true);
  radio->SetEnabled(false);
  file->Add({save, radio});
  TMenuItem* line = newItem(source.root, "-");
  line->SetName("N1");
  menu->Items()->Add({file, line});

  RootOwner target;
  copyThroughStream(source.root, target.root);
  auto* copy = dynamic_cast<TPopupMenu*>(target.root->FindComponent("PopupMenu1"));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Alignment(), paRight);
  EXPECT_FALSE(copy->AutoPopup());
  ASSERT_EQ(copy->Items()->Count(), 2);
  TMenuItem* file2 = copy->Items()->Items(0);
  EXPECT_EQ(file2->Name(), "Arquivo1");
  ASSERT_EQ(file2->Count(), 2);
  TMenuItem* save2 = file2->Items(0);
  EXPECT_EQ(save2->Caption(), "&Salvar");
  EXPECT_EQ(save2->ShortCut(), ShortCut('S', {ssCtrl}));
  EXPECT_EQ(save2->Hint(), "Salva o arquivo");
  TMenuItem* radio2 = file2->Items(1);
  EXPECT_TRUE(radio2->RadioItem());
  EXPECT_EQ(radio2->GroupIndex(), 3);
  EXPECT_TRUE(radio2->Checked());
  EXPECT_FALSE(radio2->Enabled());
  EXPECT_TRUE(copy->Items()->Items(1)->IsLine());
  EXPECT_EQ(win32Item(file2->Handle(), 0).text, "&Salvar\tCtrl+S");

  // Properties at their defaults are not written.
  std::string text = textFormOf(source.root);
  EXPECT_NE(text.find("ShortCut = 16467"), std::string::npos) << text;
  EXPECT_EQ(text.find("Visible"), std::string::npos) << text;
}
