// Tests of the Qt layer run against a real display (Xvfb in the test
// command), with one application object for the whole run.
#include <gtest/gtest.h>

#include "qt/AccessibleNames.h"
#include "qt/Application.h"
#include "qt/WebEngineSetup.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests (at build time) needs no display.
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
#ifdef SONAVIA_SCALE_FACTOR
  qputenv("QT_SCALE_FACTOR", SONAVIA_SCALE_FACTOR);
#endif
  sonavia::qt::ConfigureWebEngineEnvironment();
  sonavia::qt::SonaviaApplication app(argc, argv);
  sonavia::qt::InstallAccessibility();
  return RUN_ALL_TESTS();
}
