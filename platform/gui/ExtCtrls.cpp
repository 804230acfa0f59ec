#include "platform/gui/ExtCtrls.h"

// =======================================================================================
// Timer
// =======================================================================================

RTL_BEGIN_CLASS(TTimer)
  b.Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true);
  b.Property("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000);
  b.Property("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
RTL_END_CLASS

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  window_ = AllocateHWnd(TWndMethod(this, &TTimer::wndProc));
}

TTimer::~TTimer() {
  enabled_ = false;
  if (window_) {
    KillTimer(window_, 1);
    DeallocateHWnd(window_);
  }
  window_ = nullptr;
}

void TTimer::updateTimer() {
  KillTimer(window_, 1);
  if (interval_ != 0 && enabled_ && onTimer_ && window_)
    if (SetTimer(window_, 1, interval_, nullptr) == 0) throw EOutOfResources("Not enough timers available");
}

void TTimer::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  updateTimer();
}

void TTimer::SetInterval(Cardinal Value) {
  if (Value == interval_) return;
  interval_ = Value;
  updateTimer();
}

void TTimer::SetOnTimer(const TNotifyEvent& Value) {
  onTimer_ = Value;
  updateTimer();
}

void TTimer::Timer() {
  if (onTimer_) onTimer_(this);
}

void TTimer::wndProc(TMessage& Message) {
  if (Message.Msg == WM_TIMER) {
    try {
      Timer();
    } catch (...) {
      handleCallbackException();
    }
    Message.Result = 0;
    return;
  }
  Message.Result = DefWindowProcA(window_, Message.Msg, Message.WParam, Message.LParam);
}

namespace ExtCtrlsUnit {

void Initialize() { RegisterClasses({TTimer::StaticClass()}); }

void Finalize() { UnRegisterClass(TTimer::StaticClass()); }

}  // namespace ExtCtrlsUnit
