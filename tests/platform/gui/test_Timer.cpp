#include "platform/gui/ExtCtrls.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "MenusTestSupport.h"
#include "TestFramework.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/TypInfo.h"

namespace {

// Records when the timer it is wired to fires; may raise from the handler.
class Ticks : public TObject {
public:
  std::vector<DWORD> times;
  TObject* sender = nullptr;
  bool raise = false;
  void Tick(TObject* Sender) {
    times.push_back(GetTickCount());
    sender = Sender;
    if (raise) throw EConvertError("Valor inválido no temporizador");
  }
  TNotifyEvent onTimer() { return TNotifyEvent(this, &Ticks::Tick); }
};

}  // namespace

TEST(TimerFiring, FiresAtAboutItsIntervalWhileMessagesArePumped) {
  Ticks ticks;
  TTimer timer(nullptr);
  timer.SetInterval(50);
  timer.SetOnTimer(ticks.onTimer());
  pumpMessagesFor(600);
  ASSERT_GE(ticks.times.size(), 5u) << "expected about 12 ticks in 600 ms";
  EXPECT_LE(ticks.times.size(), 14u);
  EXPECT_EQ(ticks.sender, &timer);
  // The gaps between ticks are about the interval (system timers are coarse).
  std::vector<DWORD> gaps;
  for (size_t i = 1; i < ticks.times.size(); ++i) gaps.push_back(ticks.times[i] - ticks.times[i - 1]);
  std::sort(gaps.begin(), gaps.end());
  DWORD median = gaps[gaps.size() / 2];
  EXPECT_GE(median, 30u);
  EXPECT_LE(median, 120u);
}

TEST(TimerFiring, NoTicksWithoutMessagePumping) {
  Ticks ticks;
  TTimer timer(nullptr);
  timer.SetInterval(20);
  timer.SetOnTimer(ticks.onTimer());
  Sleep(150);
  EXPECT_TRUE(ticks.times.empty()) << "ticks arrive as messages of the thread";
  pumpMessagesFor(100);
  EXPECT_FALSE(ticks.times.empty());
}

TEST(TimerControl, DisablingStopsAndEnablingRestarts) {
  Ticks ticks;
  TTimer timer(nullptr);
  timer.SetInterval(30);
  timer.SetOnTimer(ticks.onTimer());
  ASSERT_TRUE(pumpMessagesUntil([&] { return ticks.times.size() >= 2; }, 2000));
  timer.SetEnabled(false);
  size_t stopped = ticks.times.size();
  pumpMessagesFor(250);
  EXPECT_EQ(ticks.times.size(), stopped) << "a disabled timer does not fire";

  timer.SetEnabled(true);
  EXPECT_TRUE(pumpMessagesUntil([&] { return ticks.times.size() > stopped; }, 2000));
}

TEST(TimerControl, ZeroIntervalOrNoHandlerMeansNoTimer) {
  Ticks ticks;
  TTimer timer(nullptr);
  timer.SetInterval(0);
  timer.SetOnTimer(ticks.onTimer());
  pumpMessagesFor(150);
  EXPECT_TRUE(ticks.times.empty());
  timer.SetInterval(20);
  EXPECT_TRUE(pumpMessagesUntil([&] { return !ticks.times.empty(); }, 2000));

  // Freeing a running timer stops it for good.
  auto* freed = new TTimer(nullptr);
  Ticks other;
  freed->SetInterval(10);
  freed->SetOnTimer(other.onTimer());
  freed->Free();
  pumpMessagesFor(100);
  EXPECT_TRUE(other.times.empty());
}

TEST(TimerErrors, ExceptionInOnTimerReachesTheApplicationHandler) {
  CaughtExceptions caught;
  Ticks ticks;
  ticks.raise = true;
  TTimer timer(nullptr);
  timer.SetInterval(20);
  timer.SetOnTimer(ticks.onTimer());
  ASSERT_TRUE(pumpMessagesUntil([&] { return caught.Messages().size() >= 2; }, 2000))
      << "the timer keeps running after an exception";
  EXPECT_EQ(caught.Messages()[0], "Valor inválido no temporizador");
  timer.SetEnabled(false);
}

TEST(TimerStorage, PublishedPropertiesAreStoredWhenNotDefault) {
  auto* root = new StreamRoot(nullptr);
  auto* timer = new TTimer(root);
  timer->SetName("Timer1");
  std::string text = textFormOf(root);
  EXPECT_EQ(text.find("Interval"), std::string::npos) << "defaults (1000 ms, enabled) are not written:\n" << text;
  EXPECT_EQ(text.find("Enabled"), std::string::npos) << text;

  timer->SetInterval(250);
  timer->SetEnabled(false);
  auto* target = new StreamRoot(nullptr);
  copyThroughStream(root, target);
  auto* copy = dynamic_cast<TTimer*>(target->FindComponent("Timer1"));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Interval(), 250u);
  EXPECT_FALSE(copy->Enabled());
  root->Free();
  target->Free();
}
