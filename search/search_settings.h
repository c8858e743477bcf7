// The search criteria and the two recorder settings, persisted as the 65-byte "QEL.SUP".
#pragma once
#include <cstddef>
#include <cstdint>

enum SyncChoice : int32_t { SyncCmd = 0, SyncData = 1, SyncAny = 2 };
enum ErrorChoice : int32_t { NoErrors = 0, WithErrors = 1, ErrorsDontCare = 2 };
enum BusChoice : int32_t { BusAny = 0, BusJ1 = 1, BusJ2 = 2, BusJ3 = 3, BusJ4 = 4 };

struct SearchSettings {
  int16_t irigInput = 0;          // offset 0
  float maxFileSizeGB = 5.0f;     // offset 2
  uint32_t oneMask = 0;           // offset 6
  uint32_t dontCareMask = 0x00FFFFFF;  // offset 10
  int32_t syncChoice = SyncAny;   // offset 14
  int32_t errorChoice = ErrorsDontCare;  // offset 18
  int32_t busChoice = BusAny;     // offset 22
  double gapMin = 0.0;            // offset 26
  double gapMax = 0.0;            // offset 34
  uint8_t gapMinEnabled = 0;      // offset 42
  uint8_t gapMaxEnabled = 0;      // offset 43
  uint8_t gapBefore = 1;          // offset 44
  int32_t searchMode = 0;         // offset 45: 0 find the N-th, 1 count
  double occurrence = 1.0;        // offset 49
  double searchResult = 0.0;      // offset 57
};

constexpr size_t kSearchSettingsBytes = 65;
constexpr const char* kSettingsFileName = "QEL.SUP";

// The defaults of a first run (irigInput and searchResult are left as they are).
void setSearchDefaults(SearchSettings& settings);

// Field by field, little-endian, at the offsets above.
void encodeSearchSettings(const SearchSettings& settings, unsigned char out[kSearchSettingsBytes]);
void decodeSearchSettings(const unsigned char in[kSearchSettingsBytes], SearchSettings& settings);

// Puts every out-of-range value right, so that controls and searches never see one.
void correctSearchSettings(SearchSettings& settings);

// Defaults, then the file's first 65 bytes when it has them (a shorter file keeps the defaults).
void loadSearchSettings(SearchSettings& settings, const char* path = kSettingsFileName);

// Writes exactly 65 bytes; false when the file cannot be created or written (nothing reported).
bool saveSearchSettings(const SearchSettings& settings, const char* path = kSettingsFileName);
