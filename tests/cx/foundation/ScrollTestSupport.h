#pragma once
// Helpers of the scroll-bar tests: readable scroll codes and input sent without running
// the message loop (for tests that pump themselves, or act from a timer while a modal
// loop runs).
#include <windows.h>

#include <string>

#include "platform/gui/StdCtrls.h"

inline std::string scrollCodeName(TScrollCode Code) {
  static const char* const names[] = {"LineUp", "LineDown", "PageUp",  "PageDown", "Position",
                                      "Track",  "Top",      "Bottom", "EndScroll"};
  return names[static_cast<int>(Code)];
}

inline void sendMouseInput(DWORD Flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = Flags;
  SendInput(1, &in, sizeof in);
}

// Puts the mouse at a screen point and reports the move to the window under it.
inline void sendMouseMove(const TPoint& ScreenPoint) {
  SetCursorPos(ScreenPoint.x, ScreenPoint.y);
  sendMouseInput(MOUSEEVENTF_MOVE);
}

// Presses and releases a key.
inline void sendKeyInput(WORD Key) {
  INPUT in[2]{};
  for (INPUT& i : in) {
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = Key;
  }
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}
