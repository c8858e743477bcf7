#include <gtest/gtest.h>

#include <string>

#include "common/decimal_field.h"
#include "common/local_time.h"
#include "common/status_code.h"

// Every text is 35 characters; qeltool shows it without the padding.
TEST(StatusMessages, PaddedTo35AndTrimmed) {
  for (int code = 0; code < kStatusCount; ++code) {
    const std::string text = statusMessages[code];
    EXPECT_EQ(text.size(), 35u) << code;
    char buffer[36];
    EXPECT_EQ(statusTextTrimmed(static_cast<StatusCode>(code), buffer), text.substr(0, text.find_last_not_of(' ') + 1));
  }
}

TEST(ParseDecimalField, DigitsOnlyAndExactBeyondFloatRange) {
  struct Case {
    const char* text;
    double value;
    bool error;
  };
  const Case cases[] = {
      {"", 0, false},          {"0", 0, false},           {"12", 12, false},
      {"-1", 0, true},         {" 5", 0, true},           {"1.5", 1, true},
      {"1a", 1, true},         {"16777217", 16777217.0, false},
      {"3435973837", 3435973837.0, false},                {"9007199254740992", 9007199254740992.0, false},
  };
  for (const Case& c : cases) {
    uint16_t error = 0;
    EXPECT_EQ(parseDecimalField(c.text, error), c.value) << c.text;
    EXPECT_EQ(error != 0, c.error) << c.text;
  }
  uint16_t sticky = 0x8001;
  parseDecimalField("42", sticky);
  EXPECT_EQ(sticky, 0x8001) << "the parser never clears the flag nor touches other bits";
}

TEST(DayOfYear, LeapRuleIsEveryFourthYear) {
  struct Case {
    int year, month, day, expected;
  };
  const Case cases[] = {{2023, 1, 1, 1},    {2023, 3, 1, 60},    {2024, 3, 1, 61},  {2024, 2, 29, 60},
                        {2024, 12, 31, 366}, {2026, 12, 5, 339}, {2100, 3, 1, 61}};
  for (const Case& c : cases) {
    EXPECT_EQ(dayOfYear(LocalTime{c.year, c.month, c.day}), c.expected) << c.year << "-" << c.month << "-" << c.day;
  }
}
