#include <gtest/gtest.h>

#include "app_driver.h"

int main(int argc, char** argv) {
  if (runAsShellOpenNote(argc, argv)) return 0;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
