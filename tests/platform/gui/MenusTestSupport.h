#pragma once
// Helpers shared by the tests of menus, actions, image lists and timers: pumping the
// thread's message queue, catching what reaches the application's exception hook, and a
// root component that stores its owned components as a form does.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"

// Dispatches the thread's messages for Milliseconds.
inline void pumpMessagesFor(DWORD Milliseconds) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= Milliseconds) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, Milliseconds - elapsed, QS_ALLINPUT);
  }
}

// Dispatches the thread's messages until Done() holds or Milliseconds pass; whether it held.
inline bool pumpMessagesUntil(const std::function<bool()>& Done, DWORD Milliseconds) {
  DWORD start = GetTickCount();
  while (!Done()) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (Done()) return true;
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= Milliseconds) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(Milliseconds - elapsed, 20), QS_ALLINPUT);
  }
  return true;
}

// Collects the messages of the exceptions handed to ApplicationHandleExceptionHook while it
// lives, and puts the previous hook back when it goes.
class CaughtExceptions {
public:
  CaughtExceptions() : previous_(ApplicationHandleExceptionHook) {
    ApplicationHandleExceptionHook = [this](const Exception& e) { messages_.push_back(e.Message()); };
  }
  ~CaughtExceptions() { ApplicationHandleExceptionHook = previous_; }
  CaughtExceptions(const CaughtExceptions&) = delete;
  CaughtExceptions& operator=(const CaughtExceptions&) = delete;

  const std::vector<std::string>& Messages() const { return messages_; }

private:
  std::function<void(const Exception& E)> previous_;
  std::vector<std::string> messages_;
};

// A root component that streams like a form: its owned components without a parent
// component are its children (menu items and actions are written by their menu or list).
class StreamRoot : public TComponent {
  RTL_DECLARE_CLASS(StreamRoot, TComponent)
public:
  explicit StreamRoot(TComponent* AOwner) : TComponent(AOwner) {}
  void GetChildren(TGetChildProc Proc, TComponent* Root) override {
    for (int i = 0; i < ComponentCount(); ++i)
      if (!Components(i)->HasParent()) Proc(Components(i));
  }
};
inline RTL_IMPLEMENT_CLASS(StreamRoot)

// A StreamRoot for the components of one test, freed (with them) at its end.
struct RootOwner {
  TComponent* root = new StreamRoot(nullptr);
  RootOwner() = default;
  ~RootOwner() { root->Free(); }
  RootOwner(const RootOwner&) = delete;
  RootOwner& operator=(const RootOwner&) = delete;
};

// Writes Root in the binary form and reads it back into Target (of the same class).
inline void copyThroughStream(TComponent* Root, TComponent* Target) {
  TMemoryStream stream;
  stream.WriteComponent(Root);
  stream.SetPosition(0);
  stream.ReadComponent(Target);
}

// Root in the text form ("object ... end").
inline std::string textFormOf(TComponent* Root) {
  TMemoryStream binary;
  binary.WriteComponent(Root);
  binary.SetPosition(0);
  TStringStream text;
  ObjectBinaryToText(&binary, &text);
  return text.DataString();
}
