// Parameters drawn from a fuzz input, and search criteria made from them as the dialog would hand
// them over.
#pragma once
#include <cstddef>
#include <cstdint>

#include "search/search_settings.h"

// The input's bytes in turn (repeated when it is short, 0 when empty).
struct ParameterBytes {
  const uint8_t* data;
  size_t size;
  size_t next = 0;
  uint8_t byte() { return size == 0 ? 0 : data[next++ % size]; }
  uint32_t word() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | byte();
    return value;
  }
};

// A decoded, corrected 65-byte window of the input, with gap bounds often small enough to fall
// between real time tags.
inline SearchSettings settingsFrom(ParameterBytes& p) {
  unsigned char bytes[kSearchSettingsBytes];
  for (unsigned char& b : bytes) b = p.byte();
  SearchSettings settings;
  decodeSearchSettings(bytes, settings);
  correctSearchSettings(settings);
  const uint8_t gapChoice = p.byte();
  if (gapChoice & 1) settings.gapMin = p.byte() * ((gapChoice & 2) ? 1.0 : 1000.0);
  if (gapChoice & 4) settings.gapMax = p.byte() * ((gapChoice & 8) ? 1.0 : 1000.0);
  if (gapChoice & 16) settings.dontCareMask = 0x00FFFFFF, settings.oneMask = 0;
  const uint8_t occurrenceChoice = p.byte();
  if (occurrenceChoice < 200) settings.occurrence = 1.0 + occurrenceChoice % 20;
  return settings;
}
