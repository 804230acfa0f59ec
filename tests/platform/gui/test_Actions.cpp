#include "platform/gui/ActnList.h"

#include <windows.h>

#include <string>
#include <vector>

#include "MenusTestSupport.h"
#include "TestFramework.h"
#include "platform/gui/Menus.h"
#include "platform/rtl/Classes.h"

namespace {

// Records, in order, who handled what.
class Journal : public TObject {
public:
  std::vector<std::string> entries;
  TComponent* componentDuringExecute = nullptr;
  bool enableOnUpdate = true;
  bool listHandles = false;

  void Execute(TObject* Sender) {
    auto* action = dynamic_cast<TBasicAction*>(Sender);
    componentDuringExecute = action ? action->ActionComponent() : nullptr;
    entries.push_back("execute " + (action ? action->Name() : std::string("?")));
  }
  void Update(TObject* Sender) {
    entries.push_back("update");
    if (auto* action = dynamic_cast<TCustomAction*>(Sender)) action->SetEnabled(enableOnUpdate);
  }
  void ListExecute(TBasicAction* Action, bool& Handled) {
    entries.push_back("list " + Action->Name());
    Handled = listHandles;
  }
  void Click(TObject*) { entries.push_back("click"); }

  TNotifyEvent onExecute() { return TNotifyEvent(this, &Journal::Execute); }
  TNotifyEvent onUpdate() { return TNotifyEvent(this, &Journal::Update); }
};


TAction* newAction(TComponent* owner, TCustomActionList* list, const std::string& name) {
  auto* action = new TAction(owner);
  action->SetName(name);
  action->SetActionList(list);
  return action;
}

std::string win32Text(HMENU menu, int position) {
  char buf[128] = {};
  GetMenuStringA(menu, static_cast<UINT>(position), buf, sizeof buf, MF_BYPOSITION);
  return buf;
}

UINT win32State(HMENU menu, int position) { return GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION); }

// Hooks of the application, recorded in a journal the test points them at.
std::vector<std::string>* hookJournal = nullptr;
bool hookHandles = false;
bool recordExecuteHook(TBasicAction* Action) {
  hookJournal->push_back("application " + Action->Name());
  return hookHandles;
}
bool recordDispatchHook(TBasicAction* Action) {
  hookJournal->push_back("dispatch " + Action->Name());
  return true;
}

// Puts the application hooks back as they were when it goes.
struct SavedHooks {
  TActionApplicationHooks saved = ActionApplicationHooks;
  ~SavedHooks() {
    ActionApplicationHooks = saved;
    hookJournal = nullptr;
  }
};

}  // namespace

// =======================================================================================
// Executing through a client
// =======================================================================================

TEST(ActionLinks, MenuItemShowsTheActionAndClickRunsIt) {
  RootOwner owner;
  Journal journal;
  auto* list = new TActionList(owner.root);
  TAction* open = newAction(owner.root, list, "AbrirAction");
  open->SetCaption("&Abrir");
  open->SetHint("Abre um arquivo");
  open->SetShortCut(ShortCut('O', {ssCtrl}));
  open->SetOnExecute(journal.onExecute());
  auto* menu = new TPopupMenu(owner.root);
  auto* item = new TMenuItem(owner.root);
  menu->Items()->Add(item);
  item->SetAction(open);

  EXPECT_EQ(item->Caption(), "&Abrir");
  EXPECT_EQ(item->Hint(), "Abre um arquivo");
  EXPECT_EQ(item->ShortCut(), ShortCut('O', {ssCtrl}));
  EXPECT_EQ(item->Action(), open);

  item->Click();
  ASSERT_EQ(journal.entries, std::vector<std::string>{"execute AbrirAction"});
  EXPECT_EQ(journal.componentDuringExecute, item) << "the action knows which client ran it";
  EXPECT_EQ(open->ActionComponent(), nullptr) << "only for the length of the call";

  // The same through the popup list, as a chosen menu entry arrives.
  ASSERT_NE(PopupList, nullptr);
  SendMessageA(PopupList->Window(), WM_COMMAND, item->Command(), 0);
  EXPECT_EQ(journal.entries.size(), 2u);
}

TEST(ActionLinks, ActionChangesReachTheItemAndItsWin32Entry) {
  RootOwner owner;
  auto* list = new TActionList(owner.root);
  TAction* save = newAction(owner.root, list, "SalvarAction");
  save->SetCaption("Salvar");
  save->SetDisableIfNoHandler(false);
  auto* menu = new TPopupMenu(owner.root);
  menu->SetAutoHotkeys(maManual);
  auto* item = new TMenuItem(owner.root);
  menu->Items()->Add(item);
  item->SetAction(save);
  HMENU h = menu->Handle();
  ASSERT_EQ(win32Text(h, 0), "Salvar");

  save->SetCaption("Salvar como");
  save->SetEnabled(false);
  save->SetChecked(true);
  EXPECT_EQ(item->Caption(), "Salvar como");
  EXPECT_FALSE(item->Enabled());
  EXPECT_TRUE(item->Checked());
  EXPECT_EQ(win32Text(h, 0), "Salvar como");
  EXPECT_TRUE(win32State(h, 0) & MF_GRAYED);
  EXPECT_TRUE(win32State(h, 0) & MF_CHECKED);

  save->SetVisible(false);
  EXPECT_FALSE(item->Visible());
  EXPECT_EQ(GetMenuItemCount(h), 0);
}

TEST(ActionLinks, UpdateEnablesAndDisablesTheLinkedItem) {
  RootOwner owner;
  Journal journal;
  auto* list = new TActionList(owner.root);
  TAction* print = newAction(owner.root, list, "ImprimirAction");
  print->SetCaption("Imprimir");
  print->SetOnExecute(journal.onExecute());
  print->SetOnUpdate(journal.onUpdate());
  auto* menu = new TPopupMenu(owner.root);
  auto* parent = new TMenuItem(owner.root);
  parent->SetCaption("Arquivo");
  auto* item = new TMenuItem(owner.root);
  parent->Add(item);
  menu->Items()->Add(parent);
  item->SetAction(print);

  journal.enableOnUpdate = false;
  item->InitiateAction();
  EXPECT_FALSE(print->Enabled());
  EXPECT_FALSE(item->Enabled());

  // Opening the sub-menu updates the actions of its items.
  journal.enableOnUpdate = true;
  ASSERT_NE(PopupList, nullptr);
  menu->Handle();
  SendMessageA(PopupList->Window(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(parent->Handle()), 0);
  EXPECT_TRUE(item->Enabled());
  EXPECT_FALSE(win32State(parent->Handle(), 0) & MF_GRAYED);

  // Executing updates first: an action its update disables does not run.
  journal.entries.clear();
  journal.enableOnUpdate = false;
  EXPECT_FALSE(print->Execute());
  EXPECT_EQ(journal.entries, std::vector<std::string>{"update"});
}

TEST(ActionLinks, FreeingTheActionLeavesTheItemWorking) {
  RootOwner owner;
  Journal journal;
  auto* list = new TActionList(owner.root);
  TAction* action = newAction(owner.root, list, "Acao");
  action->SetCaption("Acao");
  action->SetOnExecute(journal.onExecute());
  auto* menu = new TPopupMenu(owner.root);
  auto* item = new TMenuItem(owner.root);
  menu->Items()->Add(item);
  item->SetAction(action);

  action->Free();
  EXPECT_EQ(item->Action(), nullptr);
  EXPECT_EQ(list->ActionCount(), 0) << "the action left its list";
  EXPECT_EQ(item->Caption(), "Acao") << "the item keeps what it showed";
  // The item's click handler was the action's OnExecute: it runs on its own now.
  item->Click();
  EXPECT_EQ(journal.entries.size(), 1u);
}

// =======================================================================================
// The chain of handlers
// =======================================================================================

TEST(ActionExecute, ActionListOnExecuteComesFirstAndMayStopTheAction) {
  RootOwner owner;
  Journal journal;
  auto* list = new TActionList(owner.root);
  list->SetOnExecute(TActionEvent(&journal, &Journal::ListExecute));
  TAction* action = newAction(owner.root, list, "Gerar");
  action->SetOnExecute(journal.onExecute());

  journal.listHandles = true;
  EXPECT_TRUE(action->Execute());
  EXPECT_EQ(journal.entries, std::vector<std::string>{"list Gerar"});

  journal.entries.clear();
  journal.listHandles = false;
  EXPECT_TRUE(action->Execute());
  EXPECT_EQ(journal.entries, (std::vector<std::string>{"list Gerar", "execute Gerar"}));
}

TEST(ActionExecute, ApplicationHooksComeBetweenTheListAndTheActionAndLast) {
  SavedHooks saved;
  RootOwner owner;
  Journal journal;
  hookJournal = &journal.entries;
  ActionApplicationHooks.ExecuteAction = recordExecuteHook;
  ActionApplicationHooks.DispatchExecute = recordDispatchHook;
  auto* list = new TActionList(owner.root);
  list->SetOnExecute(TActionEvent(&journal, &Journal::ListExecute));
  TAction* withHandler = newAction(owner.root, list, "ComHandler");
  withHandler->SetOnExecute(journal.onExecute());
  TAction* bare = newAction(owner.root, list, "Solta");
  bare->SetDisableIfNoHandler(false);

  hookHandles = false;
  EXPECT_TRUE(withHandler->Execute());
  EXPECT_EQ(journal.entries,
            (std::vector<std::string>{"list ComHandler", "application ComHandler", "execute ComHandler"}));

  journal.entries.clear();
  EXPECT_TRUE(bare->Execute()) << "the application's targets may take an action nobody else did";
  EXPECT_EQ(journal.entries, (std::vector<std::string>{"list Solta", "application Solta", "dispatch Solta"}));

  journal.entries.clear();
  hookHandles = true;
  EXPECT_TRUE(withHandler->Execute());
  EXPECT_EQ(journal.entries, (std::vector<std::string>{"list ComHandler", "application ComHandler"}));
}

TEST(ActionExecute, ActionWithoutAnyHandlerIsDisabledByUpdate) {
  RootOwner owner;
  Journal journal;
  auto* list = new TActionList(owner.root);
  TAction* orphan = newAction(owner.root, list, "Orfa");
  TAction* kept = newAction(owner.root, list, "Mantida");
  kept->SetDisableIfNoHandler(false);
  TAction* handled = newAction(owner.root, list, "Tratada");
  handled->SetOnExecute(journal.onExecute());

  EXPECT_FALSE(orphan->Update());
  EXPECT_FALSE(orphan->Enabled());
  kept->Update();
  EXPECT_TRUE(kept->Enabled()) << "DisableIfNoHandler off";
  handled->Update();
  EXPECT_TRUE(handled->Enabled()) << "an action with OnExecute stays enabled";

  // An action list that executes its actions counts as their handler.
  TAction* byList = newAction(owner.root, list, "PelaLista");
  list->SetOnExecute(TActionEvent(&journal, &Journal::ListExecute));
  byList->Update();
  EXPECT_TRUE(byList->Enabled());
}

// =======================================================================================
// Checked groups
// =======================================================================================

TEST(ActionChecked, CheckingAnActionOfAGroupUnchecksTheOthers) {
  RootOwner owner;
  Journal journal;
  auto* list = new TActionList(owner.root);
  std::vector<TAction*> group;
  for (const char* name : {"Pequeno", "Medio", "Grande"}) {
    TAction* a = newAction(owner.root, list, name);
    a->SetGroupIndex(1);
    a->SetAutoCheck(true);
    a->SetOnExecute(journal.onExecute());
    group.push_back(a);
  }
  TAction* other = newAction(owner.root, list, "Outro");
  other->SetGroupIndex(2);
  other->SetChecked(true);

  group[0]->SetChecked(true);
  group[2]->SetChecked(true);
  EXPECT_FALSE(group[0]->Checked());
  EXPECT_TRUE(group[2]->Checked());
  EXPECT_TRUE(other->Checked()) << "another group is left alone";

  // AutoCheck: executing an unchecked action of the group checks it; executing the
  // checked one keeps it checked.
  EXPECT_TRUE(group[1]->Execute());
  EXPECT_TRUE(group[1]->Checked());
  EXPECT_FALSE(group[2]->Checked());
  EXPECT_TRUE(group[1]->Execute());
  EXPECT_TRUE(group[1]->Checked());

  // Without a group AutoCheck toggles.
  TAction* toggle = newAction(owner.root, list, "Alterna");
  toggle->SetAutoCheck(true);
  toggle->SetOnExecute(journal.onExecute());
  toggle->Execute();
  EXPECT_TRUE(toggle->Checked());
  toggle->Execute();
  EXPECT_FALSE(toggle->Checked());
}

TEST(ActionChecked, LinkedRadioItemsFollowTheGroup) {
  RootOwner owner;
  auto* list = new TActionList(owner.root);
  auto* menu = new TPopupMenu(owner.root);
  std::vector<TMenuItem*> items;
  std::vector<TAction*> actions;
  for (const char* name : {"A", "B"}) {
    TAction* a = newAction(owner.root, list, name);
    a->SetGroupIndex(4);
    a->SetDisableIfNoHandler(false);
    auto* item = new TMenuItem(owner.root);
    item->SetRadioItem(true);
    menu->Items()->Add(item);
    item->SetAction(a);
    actions.push_back(a);
    items.push_back(item);
  }
  EXPECT_EQ(items[0]->GroupIndex(), 4) << "a radio item takes the action's group";
  actions[0]->SetChecked(true);
  actions[1]->SetChecked(true);
  EXPECT_FALSE(items[0]->Checked());
  EXPECT_TRUE(items[1]->Checked());
}

// =======================================================================================
// The action list
// =======================================================================================

TEST(ActionListState, SuspendedListsHoldTheirActionsBack) {
  RootOwner owner;
  Journal journal;
  auto* list = new TActionList(owner.root);
  TAction* action = newAction(owner.root, list, "Gerar");
  action->SetOnExecute(journal.onExecute());
  TAction* off = newAction(owner.root, list, "Desligada");
  off->SetOnExecute(journal.onExecute());
  off->SetEnabled(false);

  list->SetState(asSuspended);
  EXPECT_FALSE(action->Execute());
  EXPECT_TRUE(journal.entries.empty());

  list->SetState(asSuspendedEnabled);
  EXPECT_TRUE(off->Enabled()) << "every action shows enabled";
  off->SetEnabled(false);
  EXPECT_TRUE(off->Enabled()) << "the value is kept for later";
  action->SetEnabled(false);
  EXPECT_TRUE(action->Enabled());

  list->SetState(asNormal);
  EXPECT_FALSE(off->Enabled());
  EXPECT_FALSE(action->Enabled());
  action->SetEnabled(true);
  EXPECT_TRUE(action->Execute());
  EXPECT_EQ(journal.entries, std::vector<std::string>{"execute Gerar"});
}

TEST(ActionListShortCuts, IsShortCutRunsTheActionOfTheKey) {
  RootOwner owner;
  Journal journal;
  auto* list = new TActionList(owner.root);
  TAction* close = newAction(owner.root, list, "Fechar");
  close->SetShortCut(ShortCut(VK_F4, {ssAlt}));
  close->SecondaryShortCuts()->Add("Alt+X");
  close->SetOnExecute(journal.onExecute());

  auto press = [&](Word key, bool alt) {
    TMessage m;
    m.Msg = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    m.WParam = key;
    m.LParam = alt ? 0x20000000 : 0;
    return list->IsShortCut(reinterpret_cast<TWMKey&>(m));
  };
  EXPECT_TRUE(press(VK_F4, true));
  EXPECT_TRUE(press('X', true)) << "secondary shortcuts run the action too";
  EXPECT_FALSE(press(VK_F4, false));
  EXPECT_FALSE(press('Q', true));
  EXPECT_EQ(journal.entries.size(), 2u);
  EXPECT_EQ(close->SecondaryShortCuts()->IndexOfShortCut(ShortCut('X', {ssAlt})), 0);
}

TEST(ActionListMembers, ListKnowsItsActionsAndFreesThem) {
  RootOwner owner;
  auto* list = new TActionList(owner.root);
  TAction* a = newAction(owner.root, list, "A");
  TAction* b = newAction(owner.root, list, "B");
  ASSERT_EQ(list->ActionCount(), 2);
  EXPECT_EQ(a->Index(), 0);
  b->SetIndex(0);
  EXPECT_EQ(list->Actions(0), b);
  EXPECT_EQ(a->GetParentComponent(), list);
  EXPECT_THROW(list->Actions(2), EListError);

  a->SetActionList(nullptr);
  EXPECT_EQ(list->ActionCount(), 1);
  EXPECT_EQ(a->Index(), -1);

  int before = owner.root->ComponentCount();
  list->Free();
  EXPECT_EQ(owner.root->ComponentCount(), before - 2) << "the list and its remaining action are gone";
  EXPECT_EQ(owner.root->FindComponent("A"), a) << "an action outside the list stays";
}

// =======================================================================================
// Stored form descriptions
// =======================================================================================

TEST(ActionStreaming, ActionsAndLinkedItemsSurviveAStoredForm) {
  RootOwner source;
  auto* list = new TActionList(source.root);
  list->SetName("ActionList1");
  TAction* exit = newAction(source.root, list, "SairAction");
  exit->SetCaption("Sai&r");
  exit->SetShortCut(ShortCut(VK_F4, {ssAlt}));
  exit->SetHint("Fecha o programa");
  exit->SetGroupIndex(2);
  exit->SecondaryShortCuts()->Add("Ctrl+Q");
  auto* menu = new TPopupMenu(source.root);
  menu->SetName("PopupMenu1");
  auto* item = new TMenuItem(source.root);
  item->SetName("Sair1");
  menu->Items()->Add(item);
  item->SetAction(exit);

  EXPECT_EQ(GetObjectProp(item, "Action"), exit) << "Action is a published component reference";
  std::string text = textFormOf(source.root);
  EXPECT_NE(text.find("Action = SairAction"), std::string::npos) << text;
  EXPECT_EQ(text.find("Fecha o programa"), text.rfind("Fecha o programa"))
      << "a hint that follows the action is stored once, with the action:\n"
      << text;

  RootOwner target;
  copyThroughStream(source.root, target.root);
  auto* list2 = dynamic_cast<TActionList*>(target.root->FindComponent("ActionList1"));
  auto* exit2 = dynamic_cast<TAction*>(target.root->FindComponent("SairAction"));
  auto* item2 = dynamic_cast<TMenuItem*>(target.root->FindComponent("Sair1"));
  ASSERT_NE(list2, nullptr);
  ASSERT_NE(exit2, nullptr);
  ASSERT_NE(item2, nullptr);
  EXPECT_EQ(exit2->ActionList(), list2);
  EXPECT_EQ(exit2->Caption(), "Sai&r");
  EXPECT_EQ(exit2->ShortCut(), ShortCut(VK_F4, {ssAlt}));
  EXPECT_EQ(exit2->GroupIndex(), 2);
  ASSERT_EQ(exit2->SecondaryShortCuts()->Count(), 1);
  EXPECT_EQ(exit2->SecondaryShortCuts()->ShortCuts(0), ShortCut('Q', {ssCtrl}));
  EXPECT_EQ(item2->Action(), exit2);
  EXPECT_EQ(item2->Caption(), "Sai&r");
  EXPECT_EQ(item2->Hint(), "Fecha o programa");
}
