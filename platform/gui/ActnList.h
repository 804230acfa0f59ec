#pragma once
// ActnList: actions and action lists. An action is one command of the user interface
// (caption, hint, image, shortcut, enabled and checked state, and the code it runs) that
// several clients show at once: menu items, buttons, tool buttons. Each client holds an
// action link; the action pushes its changes through the links, and a client's click runs
// the action through its link.
//
// Sections, in order:
//   shared types          TShortCut, THelpContext, THelpType
//   basic actions         TBasicActionLink, TBasicAction
//   contained actions     TContainedAction, TShortCutList, TCustomAction, TAction
//   action links          TActionLink
//   action lists          TCustomActionList, TActionList
//   application hooks     ActionApplicationHooks
//
// TBasicAction and TBasicActionLink are the component model's part of actions (anything,
// a data set or a grid, may handle an action); they are declared here, beside the actions
// built on them, rather than in platform/rtl/Classes.h. Controls.h includes this header for
// its control action links.
//
// Life time: when an action is destroyed its links are detached first (their Action()
// becomes null) and only then do its free notifications go out. A client must therefore
// treat a link without an action as "no action", and its Notification must not call the
// component being removed.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/gui/ImgList.h"
#include "platform/rtl/Classes.h"

class TBasicAction;
class TContainedAction;
class TCustomAction;
class TCustomActionList;

// =======================================================================================
// Shared types
// =======================================================================================

// A key with its shift state: the virtual-key code in the low byte, plus scShift (0x2000),
// scCtrl (0x4000) and scAlt (0x8000); 0 is "no shortcut". Menus.h has the routines that
// build and name them.
using TShortCut = Word;
using THelpContext = Integer;
// Whether a client's help is found by keyword or by context number.
RTL_ENUM(THelpType, htKeyword, htContext)

// The record of the key messages (WM_KEYDOWN ... laid over TMessage), declared with the
// other message records in Controls.h; the shortcut tests here only pass it on.
struct TWMKey;

RTL_EXCEPTION(EActionError, Exception)

// =======================================================================================
// Basic actions
// =======================================================================================

// A client's link to an action. The action calls Change on every link after it changes
// (the link fires OnChange with the action as Sender); the client calls Execute to run the
// action and Update to refresh it. A subclass per kind of client (menu item, control ...)
// receives the action's property changes through TActionLink's virtuals. Freeing a link
// unregisters it from its action.
class TBasicActionLink : public TObject {
  RTL_DECLARE_CLASS(TBasicActionLink, TObject)
public:
  // AClient is the object the link serves; subclasses keep it (AssignClient).
  explicit TBasicActionLink(TObject* AClient);
  ~TBasicActionLink() override;
  TBasicActionLink(const TBasicActionLink&) = delete;
  TBasicActionLink& operator=(const TBasicActionLink&) = delete;

  // Runs the action with AComponent as its ActionComponent for the length of the call.
  // False when there is no action or nothing handled it.
  virtual bool Execute(TComponent* AComponent = nullptr);
  // Refreshes the action (its OnUpdate and the handlers around it); false without action.
  virtual bool Update();

  TBasicAction* Action() const { return action_; }
  // Moves the link to another action (registering it there); null detaches it.
  virtual void SetAction(TBasicAction* Value);

  // Whether the client's click handler is the action's OnExecute (so that running one is
  // running the other).
  virtual bool IsOnExecuteLinked() { return true; }
  // The action's OnExecute changed; clients whose click handler follows it copy it.
  virtual void SetOnExecute(const TNotifyEvent& Value) {}

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& Value) { onChange_ = Value; }

protected:
  // Fires OnChange with the action as Sender.
  virtual void Change();
  // Called by subclass constructors with the client (a virtual call from this class's
  // constructor would not reach them).
  virtual void AssignClient(TObject* AClient) {}

private:
  friend class TBasicAction;
  TBasicAction* action_ = nullptr;
  TNotifyEvent onChange_;
};

// The base of actions: something that can be executed and updated, with the links of the
// clients that show it.
class TBasicAction : public TComponent {
  RTL_DECLARE_CLASS(TBasicAction, TComponent)
public:
  explicit TBasicAction(TComponent* AOwner);
  ~TBasicAction() override;

  // Whether the action can act on Target (a control, a data set ...); false here.
  virtual bool HandlesTarget(TObject* Target) { return false; }
  // Refreshes the action's state from Target / acts on Target; nothing here.
  virtual void UpdateTarget(TObject* Target) {}
  virtual void ExecuteTarget(TObject* Target) {}
  // Runs OnExecute; true when it is assigned. Subclasses offer the action to other
  // handlers first.
  virtual bool Execute();
  // Runs OnUpdate; true when it is assigned.
  virtual bool Update();
  // What a shortcut key of the action does: Execute.
  virtual bool HandleShortCut() { return Execute(); }

  void RegisterChanges(TBasicActionLink* Value);
  void UnRegisterChanges(TBasicActionLink* Value);

  // The component whose click is running the action (set by the link during Execute).
  TComponent* ActionComponent() const { return actionComponent_; }
  void SetActionComponent(TComponent* Value);

  const TNotifyEvent& OnExecute() const { return onExecute_; }
  // Tells the links first (SetOnExecute), then changes the handler and calls Change.
  virtual void SetOnExecute(const TNotifyEvent& Value);
  const TNotifyEvent& OnUpdate() const { return onUpdate_; }
  void SetOnUpdate(const TNotifyEvent& Value) { onUpdate_ = Value; }

protected:
  // Fires OnChange, then every link's Change.
  virtual void Change();
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // The links registered with the action, in registration order.
  const std::vector<TBasicActionLink*>& Clients() const { return clients_; }

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& Value) { onChange_ = Value; }

private:
  TComponent* actionComponent_ = nullptr;
  std::vector<TBasicActionLink*> clients_;
  TNotifyEvent onChange_;
  TNotifyEvent onExecute_;
  TNotifyEvent onUpdate_;
};

using TBasicActionClass = TClass;

// =======================================================================================
// Contained actions
// =======================================================================================

// An action that may belong to an action list (which then has the first word on executing
// and updating it) and that has a category.
class TContainedAction : public TBasicAction {
  RTL_DECLARE_CLASS(TContainedAction, TBasicAction)
public:
  explicit TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}
  ~TContainedAction() override;

  // Offers the action, in order, to the action list's OnExecute, to the application's
  // handler, to the action's own OnExecute and to the application's targets (see
  // ActionApplicationHooks); true at the first that handles it.
  bool Execute() override;
  // The same chain with the OnUpdate handlers.
  bool Update() override;

  TComponent* GetParentComponent() const override;
  bool HasParent() const override;
  // Outside reading only; while a form is read, ReadState joins the reader's Parent.
  void SetParentComponent(TComponent* AParent) override;
  void ReadState(TReader* Reader) override;

  TCustomActionList* ActionList() const { return actionList_; }
  void SetActionList(TCustomActionList* AActionList);
  // Position in the action list (-1 without one).
  Integer Index() const;
  void SetIndex(Integer Value);
  const std::string& Category() const { return category_; }
  void SetCategory(const std::string& Value);

  // Whether the action list holds its actions back (State other than asNormal).
  bool Suspended() const;

private:
  friend class TCustomActionList;
  TCustomActionList* actionList_ = nullptr;
  std::string category_;
};

// Extra shortcuts of an action, as text lines ("Ctrl+Ins"); ShortCuts(i) is line i as a
// shortcut (0 when the text names none).
class TShortCutList : public TStringList {
  RTL_DECLARE_CLASS(TShortCutList, TStringList)
public:
  TShortCut ShortCuts(Integer Index) const;
  // Index of the first line naming ShortCut, -1 when none.
  Integer IndexOfShortCut(TShortCut ShortCut) const;
};

// The hint of an action is about to show: the handler may change HintStr or stop it.
using THintEvent = TEvent<void(std::string& HintStr, bool& CanShow)>;

// The action with the properties clients show. Setting a property first tells each link
// (TActionLink::SetX, which changes the client when the client still shows the action's
// old value), then stores the value and calls Change.
class TCustomAction : public TContainedAction {
  RTL_DECLARE_CLASS(TCustomAction, TContainedAction)
public:
  explicit TCustomAction(TComponent* AOwner);
  ~TCustomAction() override;

  // Nothing while the action list is suspended. Updates the action first; then, when
  // enabled: AutoCheck toggles Checked (a checked action of a group stays checked), and
  // the handler chain of TContainedAction runs. False when disabled.
  bool Execute() override;
  // Nothing while suspended. When nothing handled the update and DisableIfNoHandler is
  // set, an action that nothing could execute (no OnExecute of its own, none on its action
  // list) is disabled.
  bool Update() override;
  // Fires OnHint; true when the hint may show.
  virtual bool DoHint(std::string& HintStr);
  void Assign(TPersistent* Source) override;

  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool Value);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  bool Checked() const { return checked_; }
  // Checking an action of a group (GroupIndex > 0) unchecks the other actions of the same
  // group in the action list.
  void SetChecked(bool Value);
  bool Enabled() const { return enabled_; }
  // While the list is asSuspended only the value is kept; while asSuspendedEnabled the
  // value is saved for later and the action stays enabled.
  void SetEnabled(bool Value);
  Integer GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(Integer Value);
  THelpContext HelpContext() const { return helpContext_; }
  void SetHelpContext(THelpContext Value);
  const std::string& HelpKeyword() const { return helpKeyword_; }
  void SetHelpKeyword(const std::string& Value);
  THelpType HelpType() const { return helpType_; }
  void SetHelpType(THelpType Value);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value);
  TImageIndex ImageIndex() const { return imageIndex_; }
  void SetImageIndex(TImageIndex Value);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut Value);
  TShortCutList* SecondaryShortCuts() const { return secondaryShortCuts_; }
  void SetSecondaryShortCuts(TShortCutList* Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  // Whether an action nobody handles is disabled by Update (true by default).
  bool DisableIfNoHandler() const { return disableIfNoHandler_; }
  void SetDisableIfNoHandler(bool Value) { disableIfNoHandler_ = Value; }
  // Enabled as set while the list was asSuspendedEnabled.
  bool SavedEnabledState() const { return savedEnabledState_; }
  void SetSavedEnabledState(bool Value) { savedEnabledState_ = Value; }
  // The action list's images (null without a list).
  TCustomImageList* Images() const;

  const THintEvent& OnHint() const { return onHint_; }
  void SetOnHint(const THintEvent& Value) { onHint_ = Value; }

  // Stored predicate of SecondaryShortCuts: only a list with lines is stored.
  bool IsSecondaryShortCutsStored() const { return secondaryShortCuts_->Count() > 0; }

protected:
  // Fires the action's OnChange and links' Change, then the action list's Change.
  void Change() override;

private:
  friend class TCustomActionList;
  template <class F> void forEachLink(F f);
  template <class V, class S> void changeProperty(V& field, const V& value, S linkSetter);
  void applyEnabled(bool Value);

  bool autoCheck_ = false;
  std::string caption_;
  bool checking_ = false;
  bool checked_ = false;
  bool enabled_ = true;
  Integer groupIndex_ = 0;
  THelpContext helpContext_ = 0;
  std::string helpKeyword_;
  THelpType helpType_ = htKeyword;
  std::string hint_;
  TImageIndex imageIndex_ = -1;
  TShortCut shortCut_ = 0;
  TShortCutList* secondaryShortCuts_;
  bool visible_ = true;
  bool disableIfNoHandler_ = true;
  bool savedEnabledState_ = true;
  THintEvent onHint_;
};

// The action a form description names; publishes the action's properties.
class TAction : public TCustomAction {
  RTL_DECLARE_CLASS(TAction, TCustomAction)
public:
  explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

// =======================================================================================
// Action links
// =======================================================================================

// The link of a client that shows an action's properties. IsXLinked tells whether the
// client's X follows the action (here: whenever the action is a TCustomAction; client
// links add "and the client's X still equals the action's"); SetX is how the action's new
// X reaches the client (nothing here). Clients also use IsXLinked to decide that X need not
// be stored.
class TActionLink : public TBasicActionLink {
  RTL_DECLARE_CLASS(TActionLink, TBasicActionLink)
public:
  explicit TActionLink(TObject* AClient) : TBasicActionLink(AClient) {}

  virtual bool IsAutoCheckLinked();
  virtual bool IsCaptionLinked();
  virtual bool IsCheckedLinked();
  virtual bool IsEnabledLinked();
  virtual bool IsGroupIndexLinked();
  virtual bool IsHelpContextLinked();
  virtual bool IsHelpLinked();
  virtual bool IsHintLinked();
  virtual bool IsImageIndexLinked();
  virtual bool IsShortCutLinked();
  virtual bool IsVisibleLinked();

  virtual void SetAutoCheck(bool Value) {}
  virtual void SetCaption(const std::string& Value) {}
  virtual void SetChecked(bool Value) {}
  virtual void SetEnabled(bool Value) {}
  virtual void SetGroupIndex(Integer Value) {}
  virtual void SetHelpContext(THelpContext Value) {}
  virtual void SetHelpKeyword(const std::string& Value) {}
  virtual void SetHelpType(THelpType Value) {}
  virtual void SetHint(const std::string& Value) {}
  virtual void SetImageIndex(Integer Value) {}
  virtual void SetShortCut(TShortCut Value) {}
  virtual void SetVisible(bool Value) {}

protected:
  // The action as a TCustomAction (null for other actions).
  TCustomAction* CustomAction() const;
};

using TActionLinkClass = TClass;

// =======================================================================================
// Action lists
// =======================================================================================

// A handler that may take over executing or updating an action: it sets Handled to stop the
// chain.
using TActionEvent = TEvent<void(TBasicAction* Action, bool& Handled)>;

// asNormal: actions run; asSuspended: they neither execute nor update; asSuspendedEnabled:
// the same, and every action shows enabled (its own Enabled is kept and comes back with
// asNormal).
RTL_ENUM(TActionListState, asNormal, asSuspended, asSuspendedEnabled)

// The list of actions of a form. It has the first word on executing and updating them
// (OnExecute, OnUpdate), the images their ImageIndex refers to, and the shortcuts that
// run them. It frees its actions when it goes.
class TCustomActionList : public TComponent {
  RTL_DECLARE_CLASS(TCustomActionList, TComponent)
public:
  explicit TCustomActionList(TComponent* AOwner);
  ~TCustomActionList() override;

  // OnExecute / OnUpdate, while the list is asNormal; true when the handler set Handled.
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);
  // Runs the first action whose ShortCut or one of whose SecondaryShortCuts is the key of
  // Message (with the shift keys now down); true when one was found and handled it.
  virtual bool IsShortCut(TWMKey& Message);

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, int Order) override;

  Integer ActionCount() const { return static_cast<Integer>(actions_.size()); }
  // EListError for an index out of range.
  TContainedAction* Actions(Integer Index) const;
  void SetActions(Integer Index, TContainedAction* Value);
  // Index of Action, -1 when it is not in the list.
  Integer IndexOfAction(const TBasicAction* Action) const;

  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  TActionListState State() const { return state_; }
  void SetState(TActionListState Value);

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& Value) { onChange_ = Value; }
  const TActionEvent& OnExecute() const { return onExecute_; }
  void SetOnExecute(const TActionEvent& Value) { onExecute_ = Value; }
  const TActionEvent& OnUpdate() const { return onUpdate_; }
  void SetOnUpdate(const TActionEvent& Value) { onUpdate_ = Value; }
  const TNotifyEvent& OnStateChange() const { return onStateChange_; }
  void SetOnStateChange(const TNotifyEvent& Value) { onStateChange_ = Value; }

  // Fires OnChange (the actions call it after they change).
  virtual void Change();

protected:
  virtual void AddAction(TContainedAction* Action);
  virtual void RemoveAction(TContainedAction* Action);
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TContainedAction;
  void imageListChange(TObject* Sender);

  std::vector<TContainedAction*> actions_;
  TCustomImageList* images_ = nullptr;
  TChangeLink* imageChangeLink_;
  TActionListState state_ = asNormal;
  TNotifyEvent onChange_;
  TActionEvent onExecute_;
  TActionEvent onUpdate_;
  TNotifyEvent onStateChange_;
};

// The action list a form description names; publishes the list's properties.
class TActionList : public TCustomActionList {
  RTL_DECLARE_CLASS(TActionList, TCustomActionList)
public:
  explicit TActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
};

// =======================================================================================
// Application hooks
// =======================================================================================

// How the application object takes part in running actions. The action code cannot see
// the application (it lives above this unit), so the application fills these in when it
// starts and clears them when it goes; a null hook means "not handled".
//   ExecuteAction / UpdateAction: the application's own handlers (its OnActionExecute /
//     OnActionUpdate), asked after the action list and before the action's OnExecute /
//     OnUpdate.
//   DispatchExecute / DispatchUpdate: offering the action to the targets of the active
//     form (its focused control, the form, its other controls; HandlesTarget /
//     ExecuteTarget), asked last.
// A hook returns whether it handled the action.
struct TActionApplicationHooks {
  bool (*ExecuteAction)(TBasicAction* Action) = nullptr;
  bool (*UpdateAction)(TBasicAction* Action) = nullptr;
  bool (*DispatchExecute)(TBasicAction* Action) = nullptr;
  bool (*DispatchUpdate)(TBasicAction* Action) = nullptr;
};
extern TActionApplicationHooks ActionApplicationHooks;

namespace ActnListUnit {
void Initialize();
void Finalize();
}  // namespace ActnListUnit
