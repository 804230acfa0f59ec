#include "TestFramework.h"
#include "platform/native/NativeVersion.h"
#include "platform/rtl/Startup.h"
#include "platform/rtl/System.h"

#include <string>
#include <vector>

namespace {
std::vector<std::string> journal;

void initA() { journal.push_back("+A"); }
void finA() { journal.push_back("-A"); }
void initB() { journal.push_back("+B"); }
void finB() { journal.push_back("-B"); }
void initC() { journal.push_back("+C"); }
void finC() { journal.push_back("-C"); }
void initFails() { throw EInvalidOperation("cannot start"); }

// The test program's own units are started by main; these lists are separate layers
// stacked on top, so finalizing here must leave the program's units running. Each test
// finalizes only what it started by starting from a clean slate of its own names.
}  // namespace

TEST(StartupList, InitializesLayersInOrderAndFinalizesInReverse) {
  journal.clear();
  TUnitList lower = {{"TestA", initA, finA}, {"TestB", initB, finB}};
  TUnitList upper = {{"TestC", initC, finC}};
  // The runtime's own units stay started (already in the list); they are skipped.
  FinalizeUnits();
  InitializeUnits({&lower, &upper});
  EXPECT_TRUE(UnitInitialized("TestB"));
  FinalizeUnits();
  EXPECT_EQ(journal, (std::vector<std::string>{"+A", "+B", "+C", "-C", "-B", "-A"}));
  EXPECT_FALSE(UnitInitialized("TestA"));
  InitializeUnits({&RtlUnits()});  // restore the program's units
}

TEST(StartupList, AFailedStartFinalizesWhatHadStarted) {
  journal.clear();
  FinalizeUnits();
  TUnitList units = {{"TestA", initA, finA}, {"Broken", initFails, nullptr}, {"TestC", initC, finC}};
  EXPECT_THROW(InitializeUnits({&units}), EInvalidOperation);
  EXPECT_EQ(journal, (std::vector<std::string>{"+A", "-A"}));
  EXPECT_FALSE(UnitInitialized("TestC"));
  InitializeUnits({&RtlUnits()});
}

TEST(StartupList, AUnitListedTwiceStartsOnce) {
  journal.clear();
  FinalizeUnits();
  TUnitList a = {{"TestA", initA, finA}};
  InitializeUnits({&a, &a});
  FinalizeUnits();
  EXPECT_EQ(journal, (std::vector<std::string>{"+A", "-A"}));
  InitializeUnits({&RtlUnits()});
}

// Winelib programs link the host-compiled native layer as a plain static library.
TEST(NativeLayerFromWinelib, HostCompiledCodeIsCallable) {
  std::string text = native::BuildDescription();
  EXPECT_EQ(text.rfind("native g++ ", 0), 0u) << text;
}
