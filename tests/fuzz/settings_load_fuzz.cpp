// Loads a settings file of any bytes and length and checks what the controls and searches may
// rely on afterwards: every value in range (the gap bounds whole, as the dialog shows them in
// digits), the masks within the 24 pattern bits and apart, the encoding stable, and values already
// in range kept from the file.
#include <cmath>
#include <cstring>

#include "search/search_settings.h"
#include "tests/fuzz/fuzz_scratch.h"

namespace {

bool isWhole(double value) { return std::isfinite(value) && std::floor(value) == value; }

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
  FUZZ_CHECK(s.gapMinEnabled <= 1 && s.gapMaxEnabled <= 1 && s.gapBefore <= 1);
  FUZZ_CHECK(s.searchMode == 0 || s.searchMode == 1);
  FUZZ_CHECK(isWhole(s.occurrence) && s.occurrence >= 1.0);
  FUZZ_CHECK(isWhole(s.searchResult) && s.searchResult >= 0.0);
}

// Values that were already in range in the file (as decoded, uncorrected) come through unchanged.
void checkKeptFromFile(const SearchSettings& s, const uint8_t* file) {
  SearchSettings raw;
  decodeSearchSettings(file, raw);
  if (raw.syncChoice >= SyncCmd && raw.syncChoice <= SyncAny) FUZZ_CHECK(s.syncChoice == raw.syncChoice);
  if (raw.errorChoice >= NoErrors && raw.errorChoice <= ErrorsDontCare) FUZZ_CHECK(s.errorChoice == raw.errorChoice);
  if (raw.busChoice >= BusAny && raw.busChoice <= BusJ4) FUZZ_CHECK(s.busChoice == raw.busChoice);
  if (raw.searchMode == 0 || raw.searchMode == 1) FUZZ_CHECK(s.searchMode == raw.searchMode);
  if (raw.gapMinEnabled <= 1) FUZZ_CHECK(s.gapMinEnabled == raw.gapMinEnabled);
  if (raw.gapMaxEnabled <= 1) FUZZ_CHECK(s.gapMaxEnabled == raw.gapMaxEnabled);
  if (raw.gapBefore <= 1) FUZZ_CHECK(s.gapBefore == raw.gapBefore);
  FUZZ_CHECK(s.dontCareMask == (raw.dontCareMask & 0x00FFFFFFu));
  FUZZ_CHECK(s.oneMask == (raw.oneMask & 0x00FFFFFFu & ~s.dontCareMask));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzz::scratchPath("QEL.SUP");
  fuzz::writeScratchFile(path, data, size);

  SearchSettings loaded;
  loadSearchSettings(loaded, path.c_str());
  checkInRange(loaded);

  if (size >= kSearchSettingsBytes) checkKeptFromFile(loaded, data);

  // Decoding the encoding gives the same settings, and correcting them changes nothing. (Short
  // files and the file's round trip are the unit tests'.)
  unsigned char encoded[kSearchSettingsBytes], again[kSearchSettingsBytes];
  encodeSearchSettings(loaded, encoded);
  SearchSettings decoded;
  decodeSearchSettings(encoded, decoded);
  correctSearchSettings(decoded);
  encodeSearchSettings(decoded, again);
  FUZZ_CHECK(std::memcmp(encoded, again, sizeof encoded) == 0);
  return 0;
}
