#include "search/search_settings.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/little_endian.h"
#include "common/record_layout.h"

namespace {

constexpr uint32_t kPatternBits = fieldPlace(busfield::kBusWord);

void putFloat(unsigned char* p, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  putLe32(p, bits);
}

void putDouble(unsigned char* p, double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  putLe64(p, bits);
}

float getFloat(const unsigned char* p) {
  const uint32_t bits = getLe32(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

double getDouble(const unsigned char* p) {
  const uint64_t bits = getLe64(p);
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

int32_t getI32(const unsigned char* p) { return static_cast<int32_t>(getLe32(p)); }

// A gap bound is a whole number of microseconds, never negative. A negative zero becomes 0 too:
// the dialog would show it as "-0", which its digits-only field then refuses.
double correctedGapBound(double bound) {
  if (!std::isfinite(bound) || bound <= 0.0) return 0.0;
  return std::floor(bound);
}

bool isWholeAtLeast(double value, double least) {
  return std::isfinite(value) && value >= least && std::floor(value) == value;
}

uint8_t correctedFlag(uint8_t flag) { return flag == 0 ? 0 : 1; }

}  // namespace

void setSearchDefaults(SearchSettings& s) {
  s.maxFileSizeGB = 5.0f;
  s.oneMask = 0;
  s.dontCareMask = kPatternBits;
  s.syncChoice = SyncAny;
  s.errorChoice = ErrorsDontCare;
  s.busChoice = BusAny;
  s.gapMin = 0.0;
  s.gapMax = 0.0;
  s.gapMinEnabled = 0;
  s.gapMaxEnabled = 0;
  s.gapBefore = 1;
  s.searchMode = 0;
  s.occurrence = 1.0;
}

void encodeSearchSettings(const SearchSettings& s, unsigned char out[kSearchSettingsBytes]) {
  putLe16(out + 0, static_cast<uint16_t>(s.irigInput));
  putFloat(out + 2, s.maxFileSizeGB);
  putLe32(out + 6, s.oneMask);
  putLe32(out + 10, s.dontCareMask);
  putLe32(out + 14, static_cast<uint32_t>(s.syncChoice));
  putLe32(out + 18, static_cast<uint32_t>(s.errorChoice));
  putLe32(out + 22, static_cast<uint32_t>(s.busChoice));
  putDouble(out + 26, s.gapMin);
  putDouble(out + 34, s.gapMax);
  out[42] = s.gapMinEnabled;
  out[43] = s.gapMaxEnabled;
  out[44] = s.gapBefore;
  putLe32(out + 45, static_cast<uint32_t>(s.searchMode));
  putDouble(out + 49, s.occurrence);
  putDouble(out + 57, s.searchResult);
}

void decodeSearchSettings(const unsigned char in[kSearchSettingsBytes], SearchSettings& s) {
  s.irigInput = static_cast<int16_t>(getLe16(in + 0));
  s.maxFileSizeGB = getFloat(in + 2);
  s.oneMask = getLe32(in + 6);
  s.dontCareMask = getLe32(in + 10);
  s.syncChoice = getI32(in + 14);
  s.errorChoice = getI32(in + 18);
  s.busChoice = getI32(in + 22);
  s.gapMin = getDouble(in + 26);
  s.gapMax = getDouble(in + 34);
  s.gapMinEnabled = in[42];
  s.gapMaxEnabled = in[43];
  s.gapBefore = in[44];
  s.searchMode = getI32(in + 45);
  s.occurrence = getDouble(in + 49);
  s.searchResult = getDouble(in + 57);
}

void correctSearchSettings(SearchSettings& s) {
  if (s.irigInput != 0) s.irigInput = 1;

  // 5, 10, ... 50: the steps of the Max File Size button.
  const float size = s.maxFileSizeGB;
  const bool sizeOnStep = size >= 5.0f && size <= 50.0f && std::floor(size / 5.0f) * 5.0f == size;
  if (!sizeOnStep) s.maxFileSizeGB = 5.0f;

  s.dontCareMask &= kPatternBits;
  s.oneMask &= kPatternBits & ~s.dontCareMask;

  if (s.syncChoice < SyncCmd || s.syncChoice > SyncAny) s.syncChoice = SyncAny;
  if (s.errorChoice < NoErrors || s.errorChoice > ErrorsDontCare) s.errorChoice = ErrorsDontCare;
  if (s.busChoice < BusAny || s.busChoice > BusJ4) s.busChoice = BusAny;

  s.gapMin = correctedGapBound(s.gapMin);
  s.gapMax = correctedGapBound(s.gapMax);
  s.gapMinEnabled = correctedFlag(s.gapMinEnabled);
  s.gapMaxEnabled = correctedFlag(s.gapMaxEnabled);
  s.gapBefore = correctedFlag(s.gapBefore);

  if (s.searchMode != 0 && s.searchMode != 1) s.searchMode = 0;
  if (!isWholeAtLeast(s.occurrence, 1.0)) s.occurrence = 1.0;
  if (!isWholeAtLeast(s.searchResult, 0.0)) s.searchResult = 0.0;
}

void loadSearchSettings(SearchSettings& settings, const char* path) {
  setSearchDefaults(settings);
  FILE* file = std::fopen(path, "rb");
  if (file != nullptr) {
    unsigned char bytes[kSearchSettingsBytes];
    const size_t got = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    if (got == sizeof bytes) decodeSearchSettings(bytes, settings);
  }
  correctSearchSettings(settings);
}

bool saveSearchSettings(const SearchSettings& settings, const char* path) {
  unsigned char bytes[kSearchSettingsBytes];
  encodeSearchSettings(settings, bytes);
  FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes, 1, sizeof bytes, file) == sizeof bytes;
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}
