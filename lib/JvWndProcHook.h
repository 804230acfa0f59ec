#pragma once
// Window procedure hooks: several independent parties watch and intercept the messages of
// one control without each replacing the control's window procedure.
//
// For every hooked control there is one chain of "before" handlers, which run before the
// control's own window procedure, and one chain of "after" handlers, which run after it.
// A handler returns true to end the dispatch: a before handler that does so keeps the
// message from the control and from every after handler. Handlers may register and
// unregister handlers (their own included) during a dispatch, and dispatches may nest
// (a handler that sends the control a message): each nesting level keeps its own cursors.
//
// A control is hooked (its WindowProc replaced) from the first registration until both
// of its chains are empty (the previous WindowProc is then put back) or the control is
// destroyed; the chains of a destroyed control are freed later, through a posted message,
// because the destruction may happen inside one of their own dispatches.

#include <vector>

#include "lib/JvComponent.h"
#include "platform/gui/Controls.h"
#include "platform/rtl/Classes.h"

// A hook handler: true = handled (the dispatch ends here).
using TJvControlHook = TEvent<bool(TMessage& Msg)>;
RTL_ENUM(TJvHookOrder, hoBeforeMsg, hoAfterMsg)

// This unit's private message numbers are in platform/gui/MessageIds.h.

class TJvWndProcHook;

// The two chains of one control.
class TJvHookInfos : public TObject {
  RTL_DECLARE_CLASS(TJvHookInfos, TObject)
public:
  explicit TJvHookInfos(TControl* AControl);
  ~TJvHookInfos() override;

  // Appends Hook to the phase's chain; a dispatch now calling the last handler of that
  // phase will call the new one as well.
  void AddHandler(TJvHookOrder Order, const TJvControlHook& Hook);
  // Removes the first entry equal to Hook; cursors standing on it move to its successor.
  // When both chains are then empty the control gets its window procedure back.
  void RemoveHandler(TJvHookOrder Order, const TJvControlHook& Hook);
  void InstallHook();
  void RemoveHook();
  // The control is going away: stop touching it and free this object later.
  void MarkControlDestroyed();
  // The control's WindowProc while hooked.
  void HookedWindowProc(TMessage& Msg);

  TControl* Control() const { return control_; }
  bool ControlDestroyed() const { return controlDestroyed_; }
  bool Hooked() const { return hooked_; }
  bool Empty() const { return heads_[0] == nullptr && heads_[1] == nullptr; }
  // Lists this object in Value's list (and leaves the previous controller's).
  void SetController(TJvWndProcHook* Value);

private:
  struct Entry {
    TJvControlHook Hook;
    Entry* Next = nullptr;
  };
  struct Level {
    Entry* Cursor[2] = {nullptr, nullptr};
  };
  // Calls the phase's handlers from its head; true when the dispatch must end.
  bool runPhase(TJvHookOrder Order, Integer LevelIndex, TMessage& Msg);

  Entry* heads_[2] = {nullptr, nullptr};
  Entry* tails_[2] = {nullptr, nullptr};
  std::vector<Level> levels_;  // capacity: levels_.size()
  Integer depth_ = 0;
  TControl* control_;
  bool controlDestroyed_ = false;
  TWndMethod oldWndProc_;
  bool hooked_ = false;
  TJvWndProcHook* controller_ = nullptr;
};

// The controller: the chains of every hooked control.
class TJvWndProcHook : public TComponent {
  RTL_DECLARE_CLASS(TJvWndProcHook, TComponent)
public:
  explicit TJvWndProcHook(TComponent* AOwner);
  ~TJvWndProcHook() override;

  // False (without raising) for no control, a control being destroyed, or an unassigned
  // handler.
  bool RegisterHandler(TControl* AControl, TJvHookOrder Order, const TJvControlHook& Hook);
  // False for no control or handler, or a control that has no chains; true otherwise, even
  // when the handler was not registered.
  bool UnregisterHandler(TControl* AControl, TJvHookOrder Order, const TJvControlHook& Hook);
  // The chains of a control, null when it has none.
  TJvHookInfos* FindHookInfos(TControl* AControl) const;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TJvHookInfos;
  std::vector<TJvHookInfos*>* list_ = nullptr;
};

// Frees objects once the messages queued now are handled.
class TJvReleaser : public TObject {
  RTL_DECLARE_CLASS(TJvReleaser, TObject)
public:
  TJvReleaser() = default;
  ~TJvReleaser() override;
  // Frees Obj through a posted message (once, however often it is asked).
  void ReleaseLater(TObject* Obj);
  bool IsWaiting(TObject* Obj) const;

private:
  void wndProc(TMessage& Msg);
  std::vector<TObject*> waiting_;
  HWND handle_ = nullptr;
};

TJvWndProcHook* JvGlobalWndProcHook();
TJvReleaser* JvReleaserInstance();

// A component face of the hooks: watches the messages of Control (before and after its
// own handling) through two events.
using TJvHookMessageEvent = TEvent<void(TObject* Sender, TMessage& Msg, bool& Handled)>;

class TJvWindowHook : public TJvComponent {
  RTL_DECLARE_CLASS(TJvWindowHook, TJvComponent)
public:
  explicit TJvWindowHook(TComponent* AOwner);
  ~TJvWindowHook() override;

  bool Active() const { return active_; }
  void SetActive(bool Value);
  TControl* Control() const { return control_; }
  void SetControl(TControl* Value);
  const TJvHookMessageEvent& BeforeMessage() const { return beforeMessage_; }
  void SetBeforeMessage(const TJvHookMessageEvent& Value);
  const TJvHookMessageEvent& AfterMessage() const { return afterMessage_; }
  void SetAfterMessage(const TJvHookMessageEvent& Value);

  // The handlers it registers: fire the events and report Handled.
  virtual bool RunBeforeMessage(TMessage& Msg);
  virtual bool RunAfterMessage(TMessage& Msg);

  // Stored predicate of Control: set and not a form (a form owner is stored as IsForm).
  bool IsControlStored() const;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DefineProperties(TFiler* Filer) override;

private:
  bool isForm() const;
  bool active_ = true;
  TControl* control_ = nullptr;
  TJvHookMessageEvent beforeMessage_;
  TJvHookMessageEvent afterMessage_;
};

namespace JvWndProcHookUnit {
void Initialize();
void Finalize();
}  // namespace JvWndProcHookUnit
