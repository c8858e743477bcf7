// The five time-tag fields of the dialog, as the time search takes them.
#include "search/time_search.h"

#include <gtest/gtest.h>

#include <string>

TEST(TimeTagFields, LengthsDigitsRangesAndFractionDigits) {
  struct Case {
    const char *day, *hours, *minutes, *seconds, *fraction;
    double target;  // -1: status 9
  };
  // Past 330 digits a digit's weight is below the smallest double; the characters still count.
  const std::string longZeros = "1" + std::string(400, '0'), longThenBad = longZeros + "x";
  const Case cases[] = {
      {"", "", "", "", "", 0},
      {"1", "2", "3", "4", "5", 86400e6 + 2 * 3600e6 + 3 * 60e6 + 4e6 + 500000},
      {"366", "23", "59", "59", "999999", 366 * 86400e6 + 23 * 3600e6 + 59 * 60e6 + 59e6 + 999999},
      {"", "", "", "", "000001", 1},
      {"", "", "", "", "0000005", 0.5},
      {"", "", "", "", longZeros.c_str(), 100000},
      {"", "", "", "", longThenBad.c_str(), -1},
      {"", "", "", "", "9999991", -1},
      {"367", "", "", "", "", -1},
      {"", "24", "", "", "", -1},
      {"", "", "60", "", "", -1},
      {"0001", "", "", "", "", -1},
      {"", "", "", "005", "", -1},
      {"1a", "", "", "", "", -1},
      {"", "", "5\xB5", "", "", -1},
  };
  for (const Case& c : cases) {
    double target = -1;
    const StatusCode status = parseTimeTagFields(c.day, c.hours, c.minutes, c.seconds, c.fraction, target);
    EXPECT_EQ(status, c.target < 0 ? StatusCode::SyntaxError : StatusCode::Success) << "case " << &c - cases;
    EXPECT_EQ(target, c.target < 0 ? 0 : c.target) << "case " << &c - cases;
  }
}
