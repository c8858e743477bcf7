// Local wall-clock time and the day-of-year rule shared by the time display and the card clock.
#pragma once

struct LocalTime {
  int year = 0;
  int month = 1;  // 1 to 12
  int day = 1;    // day of the month
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Days of January to December in a common year.
extern const unsigned short monthLengths[12];

// Every year divisible by 4 is a leap year (no other rule: 2100 counts as one).
inline int leapDay(int year) { return year % 4 == 0 ? 1 : 0; }

// 1 January is day 1; 1 March is 60 in a common year and 61 in a leap year.
int dayOfYear(const LocalTime& time);
