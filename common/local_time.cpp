#include "common/local_time.h"

const unsigned short monthLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

int dayOfYear(const LocalTime& time) {
  int days = time.day;
  for (int m = 1; m < time.month && m <= 12; ++m) days += monthLengths[m - 1];
  if (time.month > 2) days += leapDay(time.year);
  return days;
}
