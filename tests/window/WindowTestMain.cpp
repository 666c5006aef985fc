// Test entry for the window's tests: an application object before any test.
// Qt's offscreen platform unless a display is asked for, so that the tests
// also run (and are listed at build time) on machines without one.
#include <gtest/gtest.h>

#include <cstdlib>

#include "TApplication.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  testing::InitGoogleTest(&argc, argv);
  TApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
