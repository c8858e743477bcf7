#include "app/time_display.h"

#include "dialog_test_support.h"
#include "res/resource_ids.h"

TEST(TimeDisplay, CardTimeWordFields) {
  // Hundreds 2, rest 85, hours 12, minutes 41, seconds 59.
  const uint32_t word = (2u << 28) | (85u << 21) | (12u << 16) | (41u << 6) | 59u;
  EXPECT_EQ(formatCardClock(decodeCardTimeWord(word)), "285:12:41:59");
  EXPECT_TRUE(decodeCardTimeWord(word).signalValid);
  const CardClock noSignal = decodeCardTimeWord(word | 0x80000000u | 0x40000000u | 0xF000u);
  EXPECT_EQ(formatCardClock(noSignal), "285:12:41:59");
  EXPECT_FALSE(noSignal.signalValid);
  EXPECT_EQ(formatCardClock(decodeCardTimeWord(0)), "000:00:00:00");
}

TEST_F(DialogTest, WithoutCardThePcClockShowsWithTheYellowLight) {
  start();
  struct Case {
    int year;
    const char* text;
  };
  const Case cases[] = {{2023, "060:08:05:09"}, {2024, "061:08:05:09"}};
  for (const Case& c : cases) {
    system.now = LocalTime{c.year, 3, 1, 8, 5, 9};
    tick(TIMER_CLOCK);
    EXPECT_EQ(dialog.texts[IDC_TIME_TEXT], c.text);
  }
  EXPECT_TRUE(dialog.visible[IDC_YELLOW_LIGHT]);
  EXPECT_FALSE(dialog.visible[IDC_RED_LIGHT]);
  EXPECT_FALSE(dialog.visible[IDC_GREEN_LIGHT]);
  EXPECT_EQ(state.lightState, LightYellow);
}

TEST(SignalLight, ChangesControlsOnlyWhenTheStateChanges) {
  FakeDialogPort dialog;
  RecorderState state;
  state.lightState = LightRed;
  setSignalLight(dialog, state, LightRed);
  EXPECT_TRUE(dialog.visibilityChanges.empty());
  setSignalLight(dialog, state, LightGreen);
  EXPECT_EQ(dialog.visibilityChanges.size(), 4u);
  EXPECT_TRUE(dialog.visible[IDC_GREEN_LIGHT]);
  EXPECT_FALSE(dialog.visible[IDC_RED_LIGHT]);
  setSignalLight(dialog, state, LightGreen);
  setSignalLight(dialog, state, LightGreen);
  EXPECT_EQ(dialog.visibilityChanges.size(), 4u);
  setSignalLight(dialog, state, LightRed);
  EXPECT_TRUE(dialog.visible[IDC_RED_LIGHT]);
  EXPECT_FALSE(dialog.visible[IDC_GREEN_LIGHT]);
}
