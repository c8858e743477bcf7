#include "tools/qeltool/local_clock.h"

#include <cstdio>
#include <ctime>

LocalTime currentLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
#ifdef _WIN32
  localtime_s(&parts, &now);
#else
  localtime_r(&now, &parts);
#endif
  LocalTime time;
  time.year = parts.tm_year + 1900;
  time.month = parts.tm_mon + 1;
  time.day = parts.tm_mday;
  time.hour = parts.tm_hour;
  time.minute = parts.tm_min;
  time.second = parts.tm_sec;
  return time;
}

bool parseLocalTimeText(const std::string& text, LocalTime& time) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  char separator = 0;
  int used = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%n", &year, &month, &day, &separator, &hour, &minute, &second,
                  &used) != 7 ||
      static_cast<size_t>(used) != text.size() || (separator != ' ' && separator != 'T')) {
    return false;
  }
  if (month < 1 || month > 12 || hour > 23 || minute > 59 || second > 59 || year < 0 || hour < 0 || minute < 0 ||
      second < 0) {
    return false;
  }
  const int monthDays = monthLengths[month - 1] + (month == 2 ? leapDay(year) : 0);
  if (day < 1 || day > monthDays) return false;
  time = LocalTime{year, month, day, hour, minute, second};
  return true;
}
