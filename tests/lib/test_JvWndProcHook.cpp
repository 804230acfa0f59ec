// Window procedure hooks: chains of before and after handlers around a control's own
// window procedure, changes to the chains during a dispatch, nesting, and the deferred
// freeing of the chains of a destroyed control.
#include <string>
#include <vector>

#include "TestFramework.h"
#include "lib/JvWndProcHook.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiTestSupport.h"

namespace {

constexpr UINT kPing = WM_USER + 1;
constexpr UINT kPong = WM_USER + 2;

using Log = std::vector<std::string>;

// A control that writes every kPing / kPong its own window procedure gets into a log.
class LoggingControl : public TGraphicControl {
  RTL_DECLARE_CLASS(LoggingControl, TGraphicControl)
public:
  explicit LoggingControl(TComponent* AOwner) : TGraphicControl(AOwner) {}
  Log* log = nullptr;

protected:
  void WndProc(TMessage& Msg) override {
    if (log && (Msg.Msg == kPing || Msg.Msg == kPong)) log->push_back(Msg.Msg == kPing ? "control" : "control-pong");
    TGraphicControl::WndProc(Msg);
  }
};
RTL_IMPLEMENT_CLASS(LoggingControl)

// One party watching the control: its handler logs its name and does what the test asks.
class Watcher : public TObject {
  RTL_DECLARE_CLASS(Watcher, TObject)
public:
  Watcher(std::string name, Log& log) : name_(std::move(name)), log_(log) {}
  bool Handle(TMessage& Msg) {
    if (Msg.Msg != kPing && Msg.Msg != kPong) return false;
    log_.push_back(name_ + (Msg.Msg == kPong ? "-pong" : ""));
    if (action) action(Msg);
    return handled;
  }
  TJvControlHook Hook() { return TJvControlHook(this, &Watcher::Handle); }

  std::function<void(TMessage&)> action;
  bool handled = false;

private:
  std::string name_;
  Log& log_;
};
RTL_IMPLEMENT_CLASS(Watcher)

std::string joined(const Log& log) {
  std::string s;
  for (const std::string& e : log) s += (s.empty() ? "" : ",") + e;
  return s;
}

class JvWndProcHookTest : public guitest::GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    control = new LoggingControl(nullptr);
    control->log = &log;
  }
  void TearDown() override {
    if (control) {
      for (Watcher* w : watchers) unregisterEverywhere(w);
      delete control;
    }
    guitest::pumpFor(20);
    for (Watcher* w : watchers) delete w;
    GuiTest::TearDown();
  }
  Watcher* watcher(const std::string& name) {
    watchers.push_back(new Watcher(name, log));
    return watchers.back();
  }
  bool reg(Watcher* w, TJvHookOrder order) { return JvGlobalWndProcHook()->RegisterHandler(control, order, w->Hook()); }
  bool unreg(Watcher* w, TJvHookOrder order) {
    return JvGlobalWndProcHook()->UnregisterHandler(control, order, w->Hook());
  }
  void unregisterEverywhere(Watcher* w) {
    for (int i = 0; i < 4; ++i) {
      unreg(w, hoBeforeMsg);
      unreg(w, hoAfterMsg);
    }
  }

  Log log;
  LoggingControl* control = nullptr;
  std::vector<Watcher*> watchers;
};

TEST_F(JvWndProcHookTest, HandlersRunAroundTheControlInRegistrationOrderPerPhase) {
  Watcher* a = watcher("a");
  Watcher* b = watcher("b");
  ASSERT_TRUE(reg(a, hoAfterMsg));
  ASSERT_TRUE(reg(b, hoBeforeMsg));
  ASSERT_TRUE(reg(b, hoAfterMsg));
  ASSERT_TRUE(reg(a, hoBeforeMsg));
  control->Perform(kPing, 0, 0);
  EXPECT_EQ("b,a,control,a,b", joined(log));
}

TEST_F(JvWndProcHookTest, BeforeHandlerThatHandlesSuppressesControlAndAfterHandlers) {
  Watcher* a = watcher("a");
  Watcher* after = watcher("after");
  a->handled = true;
  a->action = [](TMessage& m) { m.Result = 42; };
  reg(a, hoBeforeMsg);
  reg(after, hoAfterMsg);
  EXPECT_EQ(42, control->Perform(kPing, 0, 0)) << "the result is what the handler left";
  EXPECT_EQ("a", joined(log));

  log.clear();
  a->action = nullptr;
  EXPECT_EQ(0, control->Perform(kPing, 0, 0)) << "a handled message's result starts at 0";
}

TEST_F(JvWndProcHookTest, HandlerRemovingItselfAndItsSuccessorDuringDispatchDoesNotBreakIt) {
  Watcher* a = watcher("a");
  Watcher* b = watcher("b");
  Watcher* c = watcher("c");
  reg(a, hoBeforeMsg);
  reg(b, hoBeforeMsg);
  reg(c, hoBeforeMsg);
  a->action = [&](TMessage&) {
    unreg(a, hoBeforeMsg);
    unreg(b, hoBeforeMsg);
  };
  control->Perform(kPing, 0, 0);
  EXPECT_EQ("a,c,control", joined(log)) << "the removed successor must not be called";
  log.clear();
  control->Perform(kPing, 0, 0);
  EXPECT_EQ("c,control", joined(log));
}

TEST_F(JvWndProcHookTest, HandlerAddedByTheLastHandlerOfAPhaseRunsInTheSameDispatch) {
  Watcher* a = watcher("a");
  Watcher* late = watcher("late");
  reg(a, hoAfterMsg);
  a->action = [&](TMessage&) {
    if (log.size() < 3) reg(late, hoAfterMsg);
  };
  control->Perform(kPing, 0, 0);
  EXPECT_EQ("control,a,late", joined(log));
}

TEST_F(JvWndProcHookTest, NestedDispatchesKeepTheirOwnCursors) {
  Watcher* a = watcher("a");
  Watcher* b = watcher("b");
  reg(a, hoBeforeMsg);
  reg(b, hoBeforeMsg);
  // a sends the control a second message while the first is being dispatched.
  a->action = [&](TMessage& m) {
    if (m.Msg == kPing) control->Perform(kPong, 0, 0);
  };
  control->Perform(kPing, 0, 0);
  EXPECT_EQ("a,a-pong,b-pong,control-pong,b,control", joined(log));
}

TEST_F(JvWndProcHookTest, UnregisteringTheLastHandlerGivesTheControlItsWindowProcBack) {
  const TWndMethod original = control->WindowProc();
  Watcher* a = watcher("a");
  reg(a, hoBeforeMsg);
  reg(a, hoAfterMsg);
  EXPECT_FALSE(control->WindowProc() == original) << "registering must hook the control";
  unreg(a, hoBeforeMsg);
  EXPECT_FALSE(control->WindowProc() == original) << "one chain still holds a handler";
  unreg(a, hoAfterMsg);
  EXPECT_TRUE(control->WindowProc() == original);
  control->Perform(kPing, 0, 0);
  EXPECT_EQ("control", joined(log));
}

TEST_F(JvWndProcHookTest, RegistrationRefusesMissingPartsAndUnregistrationReportsHookedControls) {
  Watcher* a = watcher("a");
  TJvWndProcHook* hook = JvGlobalWndProcHook();
  EXPECT_FALSE(hook->RegisterHandler(nullptr, hoBeforeMsg, a->Hook()));
  EXPECT_FALSE(hook->RegisterHandler(control, hoBeforeMsg, TJvControlHook()));
  EXPECT_FALSE(unreg(a, hoBeforeMsg)) << "a control without chains";

  Watcher* b = watcher("b");
  reg(b, hoAfterMsg);
  EXPECT_TRUE(unreg(a, hoBeforeMsg)) << "a hooked control answers true even for a handler it never had";

  auto* dying = new LoggingControl(nullptr);
  dying->Destroying();
  EXPECT_FALSE(hook->RegisterHandler(dying, hoBeforeMsg, a->Hook())) << "a control being destroyed";
  delete dying;
}

TEST_F(JvWndProcHookTest, DestroyingTheControlInsideADispatchFreesItsChainsOnlyLater) {
  Watcher* a = watcher("a");
  Watcher* after = watcher("after");
  reg(a, hoBeforeMsg);
  reg(after, hoAfterMsg);
  TJvHookInfos* infos = JvGlobalWndProcHook()->FindHookInfos(control);
  ASSERT_NE(nullptr, infos);
  a->action = [&](TMessage&) {
    delete control;
    control = nullptr;
  };
  LoggingControl* doomed = control;
  doomed->Perform(kPing, 0, 0);
  EXPECT_EQ("a", joined(log)) << "the dispatch stops once the control is gone";
  EXPECT_EQ(nullptr, JvGlobalWndProcHook()->FindHookInfos(doomed));
  EXPECT_TRUE(JvReleaserInstance()->IsWaiting(infos)) << "the chains wait for the release message";
  EXPECT_TRUE(guitest::pumpUntil([&] { return !JvReleaserInstance()->IsWaiting(infos); }, 2000));
}

// --- The component face.

class HookHost : public TObject {
  RTL_DECLARE_CLASS(HookHost, TObject)
public:
  void Before(TObject*, TMessage& Msg, bool& Handled) {
    if (Msg.Msg == kPing) {
      ++before;
      Handled = swallow;
    }
  }
  void After(TObject*, TMessage& Msg, bool&) {
    if (Msg.Msg == kPing) ++after;
  }
  int before = 0;
  int after = 0;
  bool swallow = false;
};
RTL_IMPLEMENT_CLASS(HookHost)

TEST_F(JvWndProcHookTest, WindowHookFiresItsEventsAndFollowsActiveAndControl) {
  HookHost host;
  auto* hook = new TJvWindowHook(nullptr);
  hook->SetBeforeMessage(TJvHookMessageEvent(&host, &HookHost::Before));
  hook->SetAfterMessage(TJvHookMessageEvent(&host, &HookHost::After));
  hook->SetControl(control);
  control->Perform(kPing, 0, 0);
  EXPECT_EQ(1, host.before);
  EXPECT_EQ(1, host.after);

  host.swallow = true;
  log.clear();
  control->Perform(kPing, 0, 0);
  EXPECT_EQ(2, host.before);
  EXPECT_EQ(1, host.after) << "a handled before event skips the after event";
  EXPECT_EQ("", joined(log)) << "and the control's own handling";

  hook->SetActive(false);
  control->Perform(kPing, 0, 0);
  EXPECT_EQ(2, host.before) << "an inactive hook sees nothing";
  delete hook;
  log.clear();
  control->Perform(kPing, 0, 0);
  EXPECT_EQ("control", joined(log));
}

TEST_F(JvWndProcHookTest, WindowHookOnAControlBeingDestroyedStaysEmptyAndOff) {
  auto* hook = new TJvWindowHook(nullptr);
  auto* dying = new LoggingControl(nullptr);
  dying->Destroying();
  hook->SetControl(dying);
  EXPECT_EQ(nullptr, hook->Control());
  EXPECT_FALSE(hook->Active());
  delete dying;
  delete hook;
}

TEST_F(JvWndProcHookTest, WindowHookForgetsItsControlWhenTheControlGoes) {
  HookHost host;
  auto* hook = new TJvWindowHook(nullptr);
  hook->SetAfterMessage(TJvHookMessageEvent(&host, &HookHost::After));
  hook->SetControl(control);
  delete control;
  control = nullptr;
  EXPECT_EQ(nullptr, hook->Control());
  delete hook;
}

}  // namespace
