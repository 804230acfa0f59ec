// Shared main of the Winelib test programs: starts the units of the linked layers in
// dependency order, runs the tests, and finalizes the units in reverse order.
#include "TestFramework.h"
#include "TestLayers.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  InitializeTestUnits();
  int rc = RUN_ALL_TESTS();
  FinalizeUnits();
  return rc;
}
