#include "common/decimal_field.h"

double parseDecimalField(const char* text, uint16_t& syntaxError) {
  double value = 0.0;
  bool bad = false;
  for (const char* p = text; *p != '\0' && !bad; ++p) {
    if (*p < '0' || *p > '9') {
      bad = true;
    } else {
      value = value * 10.0 + (*p - '0');
    }
  }
  if (bad) syntaxError |= 1;
  return value;
}
