// Loads a settings file of any bytes and length and checks what the controls and searches may
// rely on afterwards: every value in range, the masks within the 24 pattern bits and apart, the
// encoding stable, values already in range kept from the file, and the gap bounds shown by the
// dialog as digits that read back to the same value.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/decimal_field.h"
#include "search/search_settings.h"
#include "tests/fuzz/fuzz_scratch.h"

namespace {

bool isWhole(double value) { return std::isfinite(value) && std::floor(value) == value; }

int32_t fileI32(const uint8_t* bytes) {
  return static_cast<int32_t>(uint32_t(bytes[0]) | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16) |
                              (uint32_t(bytes[3]) << 24));
}

// The dialog shows a gap bound with "%.f" and reads it back digits-only.
void checkGapBoundText(double bound) {
  char text[400];
  std::snprintf(text, sizeof text, "%.f", bound);
  uint16_t syntaxError = 0;
  const double back = parseDecimalField(text, syntaxError);
  FUZZ_CHECK(syntaxError == 0);
  if (bound < 9007199254740992.0) FUZZ_CHECK(back == bound);
}

void checkInRange(const SearchSettings& s) {
  FUZZ_CHECK(s.irigInput == 0 || s.irigInput == 1);
  const float size = s.maxFileSizeGB;
  FUZZ_CHECK(size >= 5.0f && size <= 50.0f && std::fmod(size, 5.0f) == 0.0f);
  FUZZ_CHECK((s.oneMask & ~0x00FFFFFFu) == 0);
  FUZZ_CHECK((s.dontCareMask & ~0x00FFFFFFu) == 0);
  FUZZ_CHECK((s.oneMask & s.dontCareMask) == 0);
  FUZZ_CHECK(s.syncChoice >= SyncCmd && s.syncChoice <= SyncAny);
  FUZZ_CHECK(s.errorChoice >= NoErrors && s.errorChoice <= ErrorsDontCare);
  FUZZ_CHECK(s.busChoice >= BusAny && s.busChoice <= BusJ4);
  FUZZ_CHECK(isWhole(s.gapMin) && s.gapMin >= 0.0);
  FUZZ_CHECK(isWhole(s.gapMax) && s.gapMax >= 0.0);
  checkGapBoundText(s.gapMin);
  checkGapBoundText(s.gapMax);
  FUZZ_CHECK(s.gapMinEnabled <= 1 && s.gapMaxEnabled <= 1 && s.gapBefore <= 1);
  FUZZ_CHECK(s.searchMode == 0 || s.searchMode == 1);
  FUZZ_CHECK(isWhole(s.occurrence) && s.occurrence >= 1.0);
  FUZZ_CHECK(isWhole(s.searchResult) && s.searchResult >= 0.0);
}

// Values that were already in range in the file come through unchanged.
void checkKeptFromFile(const SearchSettings& s, const uint8_t* file) {
  const int32_t sync = fileI32(file + 14), errors = fileI32(file + 18), bus = fileI32(file + 22);
  const int32_t mode = fileI32(file + 45);
  if (sync >= SyncCmd && sync <= SyncAny) FUZZ_CHECK(s.syncChoice == sync);
  if (errors >= NoErrors && errors <= ErrorsDontCare) FUZZ_CHECK(s.errorChoice == errors);
  if (bus >= BusAny && bus <= BusJ4) FUZZ_CHECK(s.busChoice == bus);
  if (mode == 0 || mode == 1) FUZZ_CHECK(s.searchMode == mode);
  if (file[42] <= 1) FUZZ_CHECK(s.gapMinEnabled == file[42]);
  if (file[43] <= 1) FUZZ_CHECK(s.gapMaxEnabled == file[43]);
  if (file[44] <= 1) FUZZ_CHECK(s.gapBefore == file[44]);
  const uint32_t dontCare = uint32_t(fileI32(file + 10)) & 0x00FFFFFFu;
  FUZZ_CHECK(s.dontCareMask == dontCare);
  FUZZ_CHECK(s.oneMask == (uint32_t(fileI32(file + 6)) & 0x00FFFFFFu & ~dontCare));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzz::scratchPath("QEL.SUP");
  static const std::string savedPath = fuzz::scratchPath("SAVED.SUP");
  fuzz::writeScratchFile(path, data, size);

  SearchSettings loaded;
  loadSearchSettings(loaded, path.c_str());
  checkInRange(loaded);

  unsigned char encoded[kSearchSettingsBytes];
  encodeSearchSettings(loaded, encoded);
  if (size < kSearchSettingsBytes) {
    // A short file keeps the defaults.
    SearchSettings defaults;
    setSearchDefaults(defaults);
    unsigned char expected[kSearchSettingsBytes];
    encodeSearchSettings(defaults, expected);
    FUZZ_CHECK(std::memcmp(encoded, expected, sizeof encoded) == 0);
  } else {
    checkKeptFromFile(loaded, data);
  }

  // Decoding the encoding gives the same settings, and correcting them changes nothing.
  SearchSettings decoded;
  decodeSearchSettings(encoded, decoded);
  correctSearchSettings(decoded);
  unsigned char again[kSearchSettingsBytes];
  encodeSearchSettings(decoded, again);
  FUZZ_CHECK(std::memcmp(encoded, again, sizeof encoded) == 0);

  // Saving and loading again gives the same file.
  FUZZ_CHECK(saveSearchSettings(loaded, savedPath.c_str()));
  const std::string saved = readText(savedPath);
  FUZZ_CHECK(saved.size() == kSearchSettingsBytes && std::memcmp(saved.data(), encoded, kSearchSettingsBytes) == 0);
  SearchSettings reloaded;
  loadSearchSettings(reloaded, savedPath.c_str());
  encodeSearchSettings(reloaded, again);
  FUZZ_CHECK(std::memcmp(encoded, again, sizeof encoded) == 0);
  return 0;
}
