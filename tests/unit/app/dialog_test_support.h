// A fresh recorder in a fresh working directory for each dialog test.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/recorder_dialog.h"
#include "card/driver_port.h"
#include "tests/support/fake_ports.h"

// A driver that is not installed: the device cannot be opened.
struct MissingDriverPort : DriverPort {
  DriverHandle openDevice() override { return kInvalidDriverHandle; }
  void closeDevice(DriverHandle) override {}
  int deviceIoControl(DriverHandle, uint32_t, void*, uint32_t) override { return 0; }
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/varnotek-dialog-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    ASSERT_NE(getcwd(previousFolder, sizeof previousFolder), nullptr);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    card.port = &missingDriver;
  }
  void TearDown() override {
    ASSERT_EQ(chdir(previousFolder), 0);
    std::system(("rm -rf '" + folder + "'").c_str());
  }
  void start() { ASSERT_TRUE(dialogInit(recorder)); }
  bool click(unsigned id) { return dialogCommand(recorder, id); }
  void tick(unsigned timer) { dialogTimer(recorder, timer); }

  std::string folder;
  char previousFolder[4096];
  MissingDriverPort missingDriver;
  FakeDialogPort dialog;
  FakeSystemPort system;
  RecorderState state;
  CardSession card;
  SearchSettings settings;
  Recorder recorder{dialog, system, state, card, settings, stdioFileAppender(), false};
};
