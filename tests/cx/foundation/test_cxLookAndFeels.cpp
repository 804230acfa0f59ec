// The look-and-feel chain: values resolved through masters to the root, change
// notifications down the chain, controllers, the painter choice and the system colour
// notifier.
#include <memory>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/foundation/cxGraphics.h"
#include "cx/foundation/cxLookAndFeelPainters.h"
#include "cx/foundation/cxLookAndFeels.h"
#include "platform/rtl/SysUtils.h"

namespace {

std::string valuesText(TcxLookAndFeelValues v) {
  std::string s = "[";
  if (v.Contains(lfvKind)) s += "Kind";
  if (v.Contains(lfvNativeStyle)) s += std::string(s.size() > 1 ? "," : "") + "NativeStyle";
  return s + "]";
}

// Writes down every OnChanged of the look-and-feels it is bound to.
class ChangeLog : public TObject {
public:
  std::vector<std::string> Events;
  std::vector<Integer> CacheDepths;  // the brush cache's depth at each change
  void Changed(TcxLookAndFeel* Sender, TcxLookAndFeelValues Values) {
    Events.push_back(valuesText(Values));
    CacheDepths.push_back(cxSolidBrushCache()->Depth());
  }
  void Watch(TcxLookAndFeel* L) { L->SetOnChanged(TcxLookAndFeelChangedEvent(this, &ChangeLog::Changed)); }
};

std::unique_ptr<TcxLookAndFeel> newLookAndFeel() {
  return std::unique_ptr<TcxLookAndFeel>(New<TcxLookAndFeel>(static_cast<TPersistent*>(nullptr)));
}

class LookAndFeelChain : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(cxRootLookAndFeel(), nullptr);
    ASSERT_EQ(cxLookAndFeelControllerCount(), 0) << "a previous test left a controller behind";
    cxRootLookAndFeel()->Reset();
  }
  void TearDown() override { cxRootLookAndFeel()->Reset(); }
};

}  // namespace

TEST_F(LookAndFeelChain, NewLookAndFeelFollowsTheRootThroughAController) {
  auto lf = newLookAndFeel();
  ChangeLog log;
  log.Watch(lf.get());
  EXPECT_EQ(lf->Kind(), lfUltraFlat);
  EXPECT_FALSE(lf->NativeStyle());
  EXPECT_TRUE(lf->AssignedValues().Empty());

  {
    std::unique_ptr<TcxLookAndFeelController> controller(new TcxLookAndFeelController(nullptr));
    EXPECT_EQ(cxLookAndFeelControllerCount(), 1);
    controller->SetKind(lfFlat);
    EXPECT_EQ(lf->Kind(), lfFlat) << "the unassigned Kind follows the root";
    EXPECT_EQ(log.Events, std::vector<std::string>{"[Kind]"});
  }
  // The last controller leaving resets the root, and the chain hears it.
  EXPECT_EQ(cxLookAndFeelControllerCount(), 0);
  EXPECT_EQ(cxRootLookAndFeel()->Kind(), lfUltraFlat);
  EXPECT_EQ(lf->Kind(), lfUltraFlat);
  EXPECT_EQ(log.Events, (std::vector<std::string>{"[Kind]", "[Kind]"}));
}

TEST_F(LookAndFeelChain, RootResetsOnlyWhenTheLastControllerLeaves) {
  auto* first = new TcxLookAndFeelController(nullptr);
  auto* second = new TcxLookAndFeelController(nullptr);
  EXPECT_EQ(cxLookAndFeelControllerCount(), 2);
  second->SetKind(lfStandard);
  second->SetNativeStyle(true);
  delete first;
  EXPECT_EQ(cxRootLookAndFeel()->Kind(), lfStandard) << "one controller still holds the root's values";
  EXPECT_TRUE(cxRootLookAndFeel()->NativeStyle());
  delete second;
  EXPECT_EQ(cxRootLookAndFeel()->Kind(), lfUltraFlat);
  EXPECT_FALSE(cxRootLookAndFeel()->NativeStyle());
}

TEST_F(LookAndFeelChain, ControllerIsAcceptedOnlyByTheRoot) {
  auto lf = newLookAndFeel();
  std::unique_ptr<TcxLookAndFeelController> controller(new TcxLookAndFeelController(nullptr));
  Integer before = lf->ListenerCount();
  lf->RegisterListener(controller.get());
  EXPECT_EQ(lf->ListenerCount(), before) << "a controller offered to a non-root look-and-feel is ignored";
  EXPECT_EQ(cxLookAndFeelControllerCount(), 1);
}

TEST_F(LookAndFeelChain, LocallyAssignedKindIgnoresTheMastersKindButHearsNativeStyle) {
  auto lf = newLookAndFeel();
  ChangeLog log;
  log.Watch(lf.get());
  lf->SetKind(lfStandard);
  EXPECT_EQ(log.Events, std::vector<std::string>{"[Kind]"});
  log.Events.clear();

  cxRootLookAndFeel()->SetKind(lfFlat);
  EXPECT_EQ(lf->Kind(), lfStandard);
  EXPECT_TRUE(log.Events.empty()) << "a locally assigned Kind is not told about the root's kind, got "
                                  << (log.Events.empty() ? "" : log.Events[0]);

  cxRootLookAndFeel()->SetNativeStyle(true);
  EXPECT_TRUE(lf->NativeStyle());
  EXPECT_EQ(log.Events, std::vector<std::string>{"[NativeStyle]"});
}

TEST_F(LookAndFeelChain, AssigningTheInheritedValueMarksItAssignedSilently) {
  auto lf = newLookAndFeel();
  ChangeLog log;
  log.Watch(lf.get());
  lf->SetKind(lfUltraFlat);  // the value it already inherits
  EXPECT_TRUE(log.Events.empty());
  EXPECT_TRUE(lf->AssignedValues().Contains(lfvKind));
  cxRootLookAndFeel()->SetKind(lfFlat);
  EXPECT_EQ(lf->Kind(), lfUltraFlat) << "from then on the value no longer follows the master";
}

TEST_F(LookAndFeelChain, ClearingAssignedValuesReportsExactlyWhatChanges) {
  struct Case {
    TcxLookAndFeelKind Kind;
    bool NativeStyle;
    std::string Expected;
  };
  // The root stays lfUltraFlat / False.
  const Case cases[] = {
      {lfFlat, false, "[Kind]"},
      {lfUltraFlat, true, "[NativeStyle]"},
      {lfStandard, true, "[Kind,NativeStyle]"},
  };
  for (const Case& c : cases) {
    auto lf = newLookAndFeel();
    lf->SetKind(c.Kind);
    lf->SetNativeStyle(c.NativeStyle);
    ChangeLog log;
    log.Watch(lf.get());
    lf->Reset();
    EXPECT_EQ(log.Events, std::vector<std::string>{c.Expected}) << "assigned " << static_cast<int>(c.Kind) << "/"
                                                                << c.NativeStyle;
    EXPECT_EQ(lf->Kind(), lfUltraFlat);
  }
  // Clearing what changes nothing reports nothing.
  auto same = newLookAndFeel();
  same->SetKind(lfUltraFlat);
  ChangeLog log;
  log.Watch(same.get());
  same->Reset();
  EXPECT_TRUE(log.Events.empty());
}

TEST_F(LookAndFeelChain, ValuesResolveThroughAChainOfMasters) {
  auto top = newLookAndFeel();
  auto middle = newLookAndFeel();
  auto bottom = newLookAndFeel();
  middle->SetMasterLookAndFeel(top.get());
  bottom->SetMasterLookAndFeel(middle.get());
  ChangeLog log;
  log.Watch(bottom.get());
  top->SetKind(lfStandard);
  EXPECT_EQ(bottom->Kind(), lfStandard);
  EXPECT_EQ(log.Events, std::vector<std::string>{"[Kind]"});
  middle->SetNativeStyle(true);
  EXPECT_TRUE(bottom->NativeStyle());
  EXPECT_FALSE(top->NativeStyle());
}

TEST_F(LookAndFeelChain, DestroyingAMasterFallsBackToTheRootAndReportsTheDifference) {
  auto child = newLookAndFeel();
  ChangeLog log;
  {
    auto master = newLookAndFeel();
    master->SetKind(lfStandard);
    child->SetMasterLookAndFeel(master.get());
    EXPECT_EQ(child->Kind(), lfStandard);
    log.Watch(child.get());
  }
  EXPECT_EQ(child->MasterLookAndFeel(), nullptr);
  EXPECT_EQ(child->EffectiveMaster(), cxRootLookAndFeel());
  EXPECT_EQ(child->Kind(), lfUltraFlat);
  EXPECT_EQ(log.Events, std::vector<std::string>{"[Kind]"});
  // It listens to the root again.
  cxRootLookAndFeel()->SetNativeStyle(true);
  EXPECT_TRUE(child->NativeStyle());
}

TEST_F(LookAndFeelChain, MasterThatWouldCloseALoopIsRefused) {
  auto a = newLookAndFeel();
  auto b = newLookAndFeel();
  auto c = newLookAndFeel();
  b->SetMasterLookAndFeel(a.get());
  c->SetMasterLookAndFeel(b.get());
  a->SetMasterLookAndFeel(c.get());  // a -> c -> b -> a
  EXPECT_EQ(a->MasterLookAndFeel(), nullptr) << "the assignment closing the loop must be refused";
  a->SetMasterLookAndFeel(b.get());  // a -> b -> a
  EXPECT_EQ(a->MasterLookAndFeel(), nullptr);
  a->SetMasterLookAndFeel(a.get());
  EXPECT_EQ(a->MasterLookAndFeel(), nullptr);
  // The chain still works (no endless recursion).
  a->SetKind(lfFlat);
  EXPECT_EQ(c->Kind(), lfFlat);
  // A master elsewhere is still accepted.
  auto other = newLookAndFeel();
  a->SetMasterLookAndFeel(other.get());
  EXPECT_EQ(a->MasterLookAndFeel(), other.get());
}

TEST_F(LookAndFeelChain, ListenerLeavingDuringANotificationDoesNotMakeTheWalkSkipTheNext) {
  auto master = newLookAndFeel();
  auto elsewhere = newLookAndFeel();
  auto first = newLookAndFeel();
  auto second = newLookAndFeel();
  first->SetMasterLookAndFeel(master.get());
  second->SetMasterLookAndFeel(master.get());

  // The first listener moves to another master while it is being told.
  struct Mover : TObject {
    TcxLookAndFeel* Self = nullptr;
    TcxLookAndFeel* Target = nullptr;
    void Changed(TcxLookAndFeel*, TcxLookAndFeelValues) { Self->SetMasterLookAndFeel(Target); }
  } mover;
  mover.Self = first.get();
  mover.Target = elsewhere.get();
  first->SetOnChanged(TcxLookAndFeelChangedEvent(&mover, &Mover::Changed));
  ChangeLog log;
  log.Watch(second.get());

  master->SetKind(lfStandard);
  EXPECT_EQ(first->MasterLookAndFeel(), elsewhere.get());
  EXPECT_EQ(log.Events, std::vector<std::string>{"[Kind]"}) << "the listener after the one that left was skipped";
  EXPECT_EQ(second->Kind(), lfStandard);
}

TEST_F(LookAndFeelChain, AssignCopiesValuesAndMasterAndRefusesOtherClasses) {
  auto master = newLookAndFeel();
  master->SetKind(lfFlat);
  auto source = newLookAndFeel();
  source->SetMasterLookAndFeel(master.get());
  source->SetNativeStyle(true);
  auto target = newLookAndFeel();
  ChangeLog log;
  log.Watch(target.get());
  target->Assign(source.get());
  EXPECT_EQ(target->MasterLookAndFeel(), master.get());
  EXPECT_EQ(target->AssignedValues(), TcxLookAndFeelValues{lfvNativeStyle});
  EXPECT_EQ(target->Kind(), lfFlat);
  EXPECT_TRUE(target->NativeStyle());
  EXPECT_EQ(log.Events, std::vector<std::string>{"[Kind,NativeStyle]"});

  struct Other : TPersistent {};
  Other other;
  EXPECT_THROW(target->Assign(&other), EConvertError);
}

TEST_F(LookAndFeelChain, PainterFollowsKindAndNativeStyleNeedsUsableThemes) {
  auto lf = newLookAndFeel();
  lf->SetKind(lfStandard);
  EXPECT_EQ(lf->GetPainterClass(), TcxStandardLookAndFeelPainter::Instance());

  // A native painter is chosen only while themes can be used.
  TcxCustomLookAndFeelPainterClass saved = cxNativeLookAndFeelPainter();
  TcxCustomLookAndFeelPainterClass fakeNative = TcxCustomLookAndFeelPainter::Instance();
  cxSetNativeLookAndFeelPainter(fakeNative);
  lf->SetNativeStyle(true);
  TcxCustomLookAndFeelPainterClass expected =
      dxCanUseThemes() ? fakeNative : static_cast<TcxCustomLookAndFeelPainterClass>(TcxStandardLookAndFeelPainter::Instance());
  EXPECT_EQ(lf->GetPainterClass(), expected);
  // Without a native painter the kind's painter draws.
  cxSetNativeLookAndFeelPainter(nullptr);
  EXPECT_EQ(lf->GetPainterClass(), TcxStandardLookAndFeelPainter::Instance());
  cxSetNativeLookAndFeelPainter(saved);
}

TEST_F(LookAndFeelChain, SystemColourChangeClearsTheBrushCacheBeforeLookAndFeelsReport) {
  auto lf = newLookAndFeel();
  ChangeLog log;
  log.Watch(lf.get());
  cxGetSolidBrush(static_cast<TColor>(0x123456));
  ASSERT_GT(cxSolidBrushCache()->Depth(), 0);
  ASSERT_NE(cxSystemPaletteChangedListener(), nullptr);
  SendMessageA(cxSystemPaletteChangedListener()->WindowHandle(), WM_SYSCOLORCHANGE, 0, 0);
  // Told by its own notifier and again through the root it inherits from.
  ASSERT_FALSE(log.Events.empty());
  for (size_t i = 0; i < log.Events.size(); ++i) {
    EXPECT_EQ(log.Events[i], "[NativeStyle]");
    EXPECT_EQ(log.CacheDepths[i], 0) << "the brush cache must be emptied before any look-and-feel reports";
  }
}

TEST_F(LookAndFeelChain, PaletteListenerLivesWhileNotifiersExist) {
  TcxSystemPaletteChangedListener* listener = cxSystemPaletteChangedListener();
  ASSERT_NE(listener, nullptr) << "the unit's own notifiers keep the listener";
  struct Counter : TObject {
    Counter(std::vector<std::string>* AOrder, const char* AName) : Order(AOrder), Name(AName) {}
    std::vector<std::string>* Order;
    std::string Name;
    void Changed(TObject*) { Order->push_back(Name); }
  };
  std::vector<std::string> order;
  Counter secondary(&order, "secondary");
  Counter primary(&order, "primary");
  std::unique_ptr<TcxSystemPaletteChangedNotifier> n1(new TcxSystemPaletteChangedNotifier(false));
  std::unique_ptr<TcxSystemPaletteChangedNotifier> n2(new TcxSystemPaletteChangedNotifier(true));
  n1->SetOnSystemPaletteChanged(TNotifyEvent(&secondary, &Counter::Changed));
  n2->SetOnSystemPaletteChanged(TNotifyEvent(&primary, &Counter::Changed));
  listener->DoChange();
  EXPECT_EQ(order, (std::vector<std::string>{"primary", "secondary"})) << "primary notifiers are told first";
  n1.reset();
  order.clear();
  listener->DoChange();
  EXPECT_EQ(order, std::vector<std::string>{"primary"}) << "a freed notifier leaves the list";
}

TEST_F(LookAndFeelChain, FreeingTheRootLeavesRemainingLookAndFeelsOnDefaults) {
  cxRootLookAndFeel()->SetKind(lfStandard);
  auto lf = newLookAndFeel();
  ASSERT_EQ(lf->Kind(), lfStandard);
  ChangeLog log;
  log.Watch(lf.get());
  cxLookAndFeelsFinalize();
  EXPECT_EQ(cxRootLookAndFeel(), nullptr);
  EXPECT_EQ(lf->Kind(), lfUltraFlat);
  EXPECT_EQ(log.Events, std::vector<std::string>{"[Kind]"});
  lf.reset();
  cxLookAndFeelsInitialize();
  ASSERT_NE(cxRootLookAndFeel(), nullptr);
  EXPECT_TRUE(cxRootLookAndFeel()->IsRoot());
}
