// Scope-bound helpers: the end-of-scope work happens on every way out of the scope, and a
// failure of that work never hides the exception that is already on its way.
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Scoped.h"

namespace {

// Anything with BeginUpdate/EndUpdate; EndUpdate may be told to fail.
struct Updatable {
  std::vector<std::string> calls;
  bool failEnd = false;
  void BeginUpdate() { calls.push_back("begin"); }
  void EndUpdate() {
    calls.push_back("end");
    if (failEnd) throw std::runtime_error("end failed");
  }
};

std::string messageOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

TEST(Scoped, UpdateLockEndsTheUpdateOnEveryWayOut) {
  Updatable u;
  { UpdateLock lock(&u); }
  EXPECT_EQ(u.calls, (std::vector<std::string>{"begin", "end"})) << "normal exit";

  u.calls.clear();
  EXPECT_EQ(messageOf([&] {
              UpdateLock lock(&u);
              throw std::runtime_error("body failed");
            }),
            "body failed");
  EXPECT_EQ(u.calls, (std::vector<std::string>{"begin", "end"})) << "exit by exception";

  // While an exception is on its way, the end's own failure must not replace it (nor end
  // the program); on a normal exit the end's failure is the scope's failure.
  u.calls.clear();
  u.failEnd = true;
  EXPECT_EQ(messageOf([&] {
              UpdateLock lock(&u);
              throw std::runtime_error("body failed");
            }),
            "body failed");
  EXPECT_EQ(messageOf([&] { UpdateLock lock(&u); }), "end failed");

  Updatable* none = nullptr;
  EXPECT_NO_THROW({ UpdateLock lock(none); });
}

struct ChangeCounter : TObject {
  int changes = 0;
  void Changed(TObject*) { ++changes; }
};

TEST(Scoped, UpdateLockHoldsARealListsChangeNotificationsUntilTheEnd) {
  TObjectPtr<TStringList> list(new TStringList);
  ChangeCounter counter;
  list->SetOnChange(TNotifyEvent(&counter, &ChangeCounter::Changed));
  {
    UpdateLock lock(list.get());
    list->Add("a");
    list->Add("b");
    EXPECT_EQ(counter.changes, 0) << "a change was announced inside the update";
  }
  EXPECT_EQ(counter.changes, 1);
}

TEST(Scoped, ScopeExitRunsOnEveryWayOutUnlessDismissed) {
  int runs = 0;
  { ScopeExit guard([&] { ++runs; }); }
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(messageOf([&] {
              ScopeExit guard([&] { ++runs; });
              throw std::runtime_error("x");
            }),
            "x");
  EXPECT_EQ(runs, 2);
  {
    ScopeExit guard([&] { ++runs; });
    guard.Dismiss();
  }
  EXPECT_EQ(runs, 2);
}

TEST(Scoped, ScopedRestorePutsEveryVariableBackAfterAnException) {
  int depth = 1;
  std::string path = "Form1";
  EXPECT_EQ(messageOf([&] {
              ScopedRestore restore(depth, path);
              depth = 2;
              path = "Form1.Panel1";
              throw std::runtime_error("x");
            }),
            "x");
  EXPECT_EQ(depth, 1);
  EXPECT_EQ(path, "Form1");
}

}  // namespace
