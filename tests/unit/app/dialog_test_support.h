// A fresh recorder in a fresh working directory for each dialog test.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/recorder_dialog.h"
#include "card/driver_port.h"
#include "tests/support/fake_ports.h"
#include "tests/support/temp_folder.h"

// A driver that is not installed: the device cannot be opened.
struct MissingDriverPort : DriverPort {
  DriverHandle openDevice() override { return kInvalidDriverHandle; }
  void closeDevice(DriverHandle) override {}
  int deviceIoControl(DriverHandle, uint32_t, void*, uint32_t) override { return 0; }
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder.path.empty());
    std::filesystem::current_path(folder.path);
    card.port = &missingDriver;
  }
  void TearDown() override { std::filesystem::current_path(previousFolder); }
  void start() { ASSERT_TRUE(dialogInit(recorder)); }
  bool click(unsigned id) { return dialogCommand(recorder, id); }
  void tick(unsigned timer) { dialogTimer(recorder, timer); }

  TempFolder folder;
  const std::filesystem::path previousFolder = std::filesystem::current_path();
  MissingDriverPort missingDriver;
  FakeDialogPort dialog;
  FakeSystemPort system;
  RecorderState state;
  CardSession card;
  SearchSettings settings;
  Recorder recorder{dialog, system, state, card, settings, stdioFileAppender(), false};
};
