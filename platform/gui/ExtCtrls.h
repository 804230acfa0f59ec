#pragma once
// ExtCtrls: extra controls and components of the user interface.
//
// Sections, in order:
//   timer              TTimer

#include <windows.h>

#include "platform/rtl/Classes.h"

// =======================================================================================
// Timer
// =======================================================================================

// Fires OnTimer every Interval milliseconds while Enabled, from the message loop of the
// thread that made it: a hidden window (AllocateHWnd) receives the WM_TIMER of a Win32
// timer. The timer runs only while it is enabled, has a non-zero interval and has an
// OnTimer handler; changing any of the three restarts it. An exception raised by OnTimer
// goes to the application's handler (ApplicationHandleExceptionHook) and the timer keeps
// running.
class TTimer : public TComponent {
  RTL_DECLARE_CLASS(TTimer, TComponent)
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  Cardinal Interval() const { return interval_; }
  void SetInterval(Cardinal Value);
  const TNotifyEvent& OnTimer() const { return onTimer_; }
  void SetOnTimer(const TNotifyEvent& Value);

protected:
  // Fires OnTimer.
  virtual void Timer();

private:
  void updateTimer();
  void wndProc(TMessage& Message);

  HWND window_ = nullptr;
  bool enabled_ = true;
  Cardinal interval_ = 1000;
  TNotifyEvent onTimer_;
};

namespace ExtCtrlsUnit {
void Initialize();
void Finalize();
}  // namespace ExtCtrlsUnit
