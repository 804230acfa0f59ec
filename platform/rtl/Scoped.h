#pragma once
// Work bound to a scope: what must happen when a scope ends, however it ends (normally or
// through an exception). Use these instead of catch (...) blocks that clean up and rethrow:
// the clean-up is written once and cannot be skipped by a new return.
//
// Owned sub-objects need no helper of their own: a std::unique_ptr member (or TObjectPtr)
// destroys its object through the one destruction path of the runtime (BeforeDestruction,
// then the destructors; see TObject in System.h).

#include <exception>
#include <tuple>
#include <utility>

namespace scoped_detail {
// Runs an end-of-scope action. When the scope is left by an exception, a failure of the
// action is dropped so that the first exception is the one that propagates (a second one
// during unwinding would end the program); otherwise the action's failure is the scope's.
template <class F> void runAtScopeEnd(F& action, int exceptionsAtStart) noexcept(false) {
  if (std::uncaught_exceptions() > exceptionsAtStart) {
    try {
      action();
    } catch (...) {
    }
  } else {
    action();
  }
}
}  // namespace scoped_detail

// Runs a function when the scope ends, unless Dismiss() was called first:
//   ScopeExit restoreCursor([&] { Screen->SetCursor(saved); });
template <class F> class ScopeExit {
public:
  explicit ScopeExit(F action) : action_(std::move(action)) {}
  ~ScopeExit() noexcept(false) {
    if (active_) scoped_detail::runAtScopeEnd(action_, exceptions_);
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  void Dismiss() { active_ = false; }

private:
  F action_;
  int exceptions_ = std::uncaught_exceptions();
  bool active_ = true;
};

// Puts variables back to the values they had when it was made, when the scope ends: for
// code that keeps its position in a tree (parent, owner, property path ...) in members
// that nested calls change.
template <class... T> class ScopedRestore {
public:
  explicit ScopedRestore(T&... vars) : vars_(vars...), saved_(vars...) {}
  ~ScopedRestore() { vars_ = saved_; }
  ScopedRestore(const ScopedRestore&) = delete;
  ScopedRestore& operator=(const ScopedRestore&) = delete;

private:
  std::tuple<T&...> vars_;
  std::tuple<T...> saved_;
};

// Holds an object in its update state for the scope: BeginUpdate now, the matching
// EndUpdate when the scope ends. Works with anything that has BeginUpdate() and EndUpdate()
// (string lists, collections, controls, data sets ...); a null object is no update.
//   UpdateLock lock(Items());
template <class T> class UpdateLock {
public:
  explicit UpdateLock(T* obj) : obj_(obj) {
    if (obj_) obj_->BeginUpdate();
  }
  ~UpdateLock() noexcept(false) {
    if (!obj_) return;
    auto end = [this] { obj_->EndUpdate(); };
    scoped_detail::runAtScopeEnd(end, exceptions_);
  }
  UpdateLock(const UpdateLock&) = delete;
  UpdateLock& operator=(const UpdateLock&) = delete;

private:
  T* obj_;
  int exceptions_ = std::uncaught_exceptions();
};
