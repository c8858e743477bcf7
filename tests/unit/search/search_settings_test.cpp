#include "search/search_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

std::string settingsPath(const char* name) { return ::testing::TempDir() + "vk_settings_" + name; }

void writeBytes(const std::string& path, const unsigned char* bytes, size_t n) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(std::fwrite(bytes, 1, n, f), n);
  std::fclose(f);
}

long fileSize(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return -1;
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fclose(f);
  return size;
}

// Bit-exact comparison of every field (NaN included).
void expectSameSettings(const SearchSettings& a, const SearchSettings& b, const std::string& what) {
  unsigned char ea[kSearchSettingsBytes], eb[kSearchSettingsBytes];
  encodeSearchSettings(a, ea);
  encodeSearchSettings(b, eb);
  for (size_t i = 0; i < kSearchSettingsBytes; ++i) EXPECT_EQ(ea[i], eb[i]) << what << " byte " << i;
}

SearchSettings allDifferent() {
  SearchSettings s;
  s.irigInput = 1;
  s.maxFileSizeGB = 35.0f;
  s.oneMask = 0x00800001;
  s.dontCareMask = 0x00000F00;
  s.syncChoice = SyncCmd;
  s.errorChoice = WithErrors;
  s.busChoice = BusJ3;
  s.gapMin = 12.0;
  s.gapMax = 3000.0;
  s.gapMinEnabled = 1;
  s.gapMaxEnabled = 0;
  s.gapBefore = 0;
  s.searchMode = 1;
  s.occurrence = 4.0;
  s.searchResult = 123456789.0;
  return s;
}

}  // namespace

TEST(SearchSettings, DefaultsLeaveIrigInputAndResultAlone) {
  SearchSettings s = allDifferent();
  s.searchResult = 77.0;
  setSearchDefaults(s);
  SearchSettings expected;  // the first-run values
  expected.irigInput = 1;
  expected.searchResult = 77.0;
  expectSameSettings(s, expected, "defaults");
  EXPECT_EQ(expected.dontCareMask, 0x00FFFFFFu);
  EXPECT_EQ(expected.syncChoice, SyncAny);
  EXPECT_EQ(expected.errorChoice, ErrorsDontCare);
  EXPECT_EQ(expected.gapBefore, 1);
  EXPECT_EQ(expected.maxFileSizeGB, 5.0f);
  EXPECT_EQ(expected.occurrence, 1.0);
}

TEST(SearchSettings, EveryFieldAtItsOffsetLittleEndian) {
  SearchSettings s;
  s.irigInput = 0x0102;
  s.maxFileSizeGB = 10.0f;  // 0x41200000
  s.oneMask = 0x0A0B0C0D;
  s.dontCareMask = 0x11223344;
  s.syncChoice = 0x01020304;
  s.errorChoice = 0x05060708;
  s.busChoice = -2;
  s.gapMin = 1.5;    // 0x3FF8000000000000
  s.gapMax = 300.0;  // 0x4072C00000000000
  s.gapMinEnabled = 0x61;
  s.gapMaxEnabled = 0x62;
  s.gapBefore = 0x63;
  s.searchMode = 0x21222324;
  s.occurrence = 2.0;     // 0x4000000000000000
  s.searchResult = -0.0;  // 0x8000000000000000
  unsigned char out[kSearchSettingsBytes + 1];
  out[kSearchSettingsBytes] = 0xEE;
  encodeSearchSettings(s, out);
  EXPECT_EQ(out[kSearchSettingsBytes], 0xEE) << "wrote past 65 bytes";

  struct Field {
    const char* name;
    size_t offset;
    std::vector<unsigned char> bytes;
  };
  const Field fields[] = {
      {"irigInput", 0, {0x02, 0x01}},
      {"maxFileSizeGB", 2, {0x00, 0x00, 0x20, 0x41}},
      {"oneMask", 6, {0x0D, 0x0C, 0x0B, 0x0A}},
      {"dontCareMask", 10, {0x44, 0x33, 0x22, 0x11}},
      {"syncChoice", 14, {0x04, 0x03, 0x02, 0x01}},
      {"errorChoice", 18, {0x08, 0x07, 0x06, 0x05}},
      {"busChoice", 22, {0xFE, 0xFF, 0xFF, 0xFF}},
      {"gapMin", 26, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}},
      {"gapMax", 34, {0, 0, 0, 0, 0, 0xC0, 0x72, 0x40}},
      {"gapMinEnabled", 42, {0x61}},
      {"gapMaxEnabled", 43, {0x62}},
      {"gapBefore", 44, {0x63}},
      {"searchMode", 45, {0x24, 0x23, 0x22, 0x21}},
      {"occurrence", 49, {0, 0, 0, 0, 0, 0, 0, 0x40}},
      {"searchResult", 57, {0, 0, 0, 0, 0, 0, 0, 0x80}},
  };
  size_t covered = 0;
  for (const Field& f : fields) {
    for (size_t i = 0; i < f.bytes.size(); ++i) EXPECT_EQ(out[f.offset + i], f.bytes[i]) << f.name << " byte " << i;
    covered += f.bytes.size();
  }
  EXPECT_EQ(covered, kSearchSettingsBytes);

  SearchSettings back;
  decodeSearchSettings(out, back);
  expectSameSettings(back, s, "decoded");
  EXPECT_EQ(back.busChoice, -2);
  EXPECT_EQ(back.gapMax, 300.0);
}

TEST(SearchSettingsFile, SaveWrites65BytesAndLoadTakesTheFirst65) {
  const std::string path = settingsPath("long");
  const SearchSettings written = allDifferent();
  unsigned char bytes[kSearchSettingsBytes + 20];
  encodeSearchSettings(written, bytes);
  std::memset(bytes + kSearchSettingsBytes, 0x5A, 20);
  writeBytes(path, bytes, sizeof bytes);

  SearchSettings loaded;
  loadSearchSettings(loaded, path.c_str());
  expectSameSettings(loaded, written, "longer file");

  ASSERT_TRUE(saveSearchSettings(loaded, path.c_str()));
  EXPECT_EQ(fileSize(path), 65);
  SearchSettings again;
  loadSearchSettings(again, path.c_str());
  expectSameSettings(again, written, "rewritten file");
  std::remove(path.c_str());
}

TEST(SearchSettingsFile, ShortOrMissingFileKeepsEveryDefault) {
  const std::string path = settingsPath("short");
  unsigned char bytes[kSearchSettingsBytes];
  encodeSearchSettings(allDifferent(), bytes);
  SearchSettings defaults;
  defaults.searchResult = 9.0;
  setSearchDefaults(defaults);

  for (size_t length : {size_t(0), size_t(1), size_t(44), size_t(64)}) {
    writeBytes(path, bytes, length);
    SearchSettings loaded = allDifferent();
    loaded.irigInput = 0;
    loaded.searchResult = 9.0;
    loadSearchSettings(loaded, path.c_str());
    expectSameSettings(loaded, defaults, "length " + std::to_string(length));
  }
  std::remove(path.c_str());
  SearchSettings loaded = allDifferent();
  loaded.irigInput = 0;
  loaded.searchResult = 9.0;
  loadSearchSettings(loaded, path.c_str());
  expectSameSettings(loaded, defaults, "missing file");
}

TEST(SearchSettingsFile, SaveReportsAFileThatCannotBeCreated) {
  EXPECT_FALSE(saveSearchSettings(SearchSettings{}, (::testing::TempDir() + "no/such/dir/QEL.SUP").c_str()));
}

TEST(SearchSettingsFile, OutOfRangeValuesArePutRightOnLoad) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* what;
    std::function<void(SearchSettings&)> spoil;   // applied to a valid record before it is written
    std::function<void(SearchSettings&)> expect;  // applied to the valid record to give the loaded one
  };
  const Case cases[] = {
      {"irigInput 2", [](SearchSettings& s) { s.irigInput = 2; }, [](SearchSettings& s) { s.irigInput = 1; }},
      {"irigInput -1", [](SearchSettings& s) { s.irigInput = -1; }, [](SearchSettings& s) { s.irigInput = 1; }},
      {"size 7.5", [](SearchSettings& s) { s.maxFileSizeGB = 7.5f; }, [](SearchSettings& s) { s.maxFileSizeGB = 5; }},
      {"size 55", [](SearchSettings& s) { s.maxFileSizeGB = 55; }, [](SearchSettings& s) { s.maxFileSizeGB = 5; }},
      {"size 0", [](SearchSettings& s) { s.maxFileSizeGB = 0; }, [](SearchSettings& s) { s.maxFileSizeGB = 5; }},
      {"size NaN", [](SearchSettings& s) { s.maxFileSizeGB = std::nanf(""); },
       [](SearchSettings& s) { s.maxFileSizeGB = 5; }},
      {"oneMask above 23", [](SearchSettings& s) { s.oneMask |= 0xFF000000; }, [](SearchSettings&) {}},
      {"dontCareMask above 23", [](SearchSettings& s) { s.dontCareMask |= 0x80000000; }, [](SearchSettings&) {}},
      {"bit 5 in both masks", [](SearchSettings& s) { s.oneMask |= 0x20, s.dontCareMask |= 0x20; },
       [](SearchSettings& s) { s.dontCareMask |= 0x20; }},
      {"sync 3", [](SearchSettings& s) { s.syncChoice = 3; }, [](SearchSettings& s) { s.syncChoice = SyncAny; }},
      {"sync -1", [](SearchSettings& s) { s.syncChoice = -1; }, [](SearchSettings& s) { s.syncChoice = SyncAny; }},
      {"errors 3", [](SearchSettings& s) { s.errorChoice = 3; },
       [](SearchSettings& s) { s.errorChoice = ErrorsDontCare; }},
      {"bus 5", [](SearchSettings& s) { s.busChoice = 5; }, [](SearchSettings& s) { s.busChoice = BusAny; }},
      {"bus -1", [](SearchSettings& s) { s.busChoice = -1; }, [](SearchSettings& s) { s.busChoice = BusAny; }},
      {"gapMin -5", [](SearchSettings& s) { s.gapMin = -5; }, [](SearchSettings& s) { s.gapMin = 0; }},
      {"gapMin NaN", [=](SearchSettings& s) { s.gapMin = nan; }, [](SearchSettings& s) { s.gapMin = 0; }},
      // Shown as "-0" it would fail the digits-only gap field.
      {"gapMin -0", [](SearchSettings& s) { s.gapMin = -0.0; }, [](SearchSettings& s) { s.gapMin = 0; }},
      {"gapMax -0", [](SearchSettings& s) { s.gapMax = -0.0; }, [](SearchSettings& s) { s.gapMax = 0; }},
      {"gapMax inf", [=](SearchSettings& s) { s.gapMax = inf; }, [](SearchSettings& s) { s.gapMax = 0; }},
      {"gapMax 22.7", [](SearchSettings& s) { s.gapMax = 22.7; }, [](SearchSettings& s) { s.gapMax = 22; }},
      {"gapMinEnabled 2", [](SearchSettings& s) { s.gapMinEnabled = 2; },
       [](SearchSettings& s) { s.gapMinEnabled = 1; }},
      {"gapMaxEnabled 255", [](SearchSettings& s) { s.gapMaxEnabled = 255; },
       [](SearchSettings& s) { s.gapMaxEnabled = 1; }},
      {"gapBefore 7", [](SearchSettings& s) { s.gapBefore = 7; }, [](SearchSettings& s) { s.gapBefore = 1; }},
      {"searchMode 2", [](SearchSettings& s) { s.searchMode = 2; }, [](SearchSettings& s) { s.searchMode = 0; }},
      {"occurrence 0", [](SearchSettings& s) { s.occurrence = 0; }, [](SearchSettings& s) { s.occurrence = 1; }},
      {"occurrence 2.5", [](SearchSettings& s) { s.occurrence = 2.5; }, [](SearchSettings& s) { s.occurrence = 1; }},
      {"occurrence -3", [](SearchSettings& s) { s.occurrence = -3; }, [](SearchSettings& s) { s.occurrence = 1; }},
      {"occurrence inf", [=](SearchSettings& s) { s.occurrence = inf; }, [](SearchSettings& s) { s.occurrence = 1; }},
      {"occurrence NaN", [=](SearchSettings& s) { s.occurrence = nan; }, [](SearchSettings& s) { s.occurrence = 1; }},
      {"searchResult -1", [](SearchSettings& s) { s.searchResult = -1; },
       [](SearchSettings& s) { s.searchResult = 0; }},
  };
  const std::string path = settingsPath("range");
  for (const Case& c : cases) {
    SearchSettings valid = allDifferent();
    valid.searchMode = 0;
    valid.gapMaxEnabled = 0;
    valid.irigInput = 0;
    SearchSettings spoiled = valid;
    c.spoil(spoiled);
    unsigned char bytes[kSearchSettingsBytes];
    encodeSearchSettings(spoiled, bytes);
    writeBytes(path, bytes, sizeof bytes);
    SearchSettings loaded;
    loadSearchSettings(loaded, path.c_str());
    SearchSettings expected = valid;
    c.expect(expected);
    expectSameSettings(loaded, expected, c.what);
  }
  std::remove(path.c_str());
}

TEST(SearchSettingsFile, EveryRecordTheProgramWritesLoadsUnchanged) {
  std::vector<SearchSettings> records;
  SearchSettings first;
  setSearchDefaults(first);
  records.push_back(first);
  records.push_back(allDifferent());
  for (int step = 1; step <= 10; ++step) {
    SearchSettings s = allDifferent();
    s.maxFileSizeGB = 5.0f * static_cast<float>(step);
    s.busChoice = step % 5;
    s.syncChoice = step % 3;
    s.errorChoice = (step + 1) % 3;
    s.oneMask = 0x00FFFFFFu >> step;
    s.dontCareMask = ~s.oneMask & 0x00FFFFFFu & (0xAAAAAAu >> step);
    s.gapMinEnabled = static_cast<uint8_t>(step & 1);
    s.gapMaxEnabled = static_cast<uint8_t>((step >> 1) & 1);
    s.gapBefore = static_cast<uint8_t>((step >> 2) & 1);
    s.gapMin = step * 1000.0;
    s.gapMax = 1e17 * step;  // whole, beyond 2^53
    s.searchMode = step & 1;
    s.occurrence = 1e15 * step + 1;
    s.searchResult = 4294967296.0 * step;
    records.push_back(s);
  }
  const std::string path = settingsPath("roundtrip");
  for (size_t i = 0; i < records.size(); ++i) {
    ASSERT_TRUE(saveSearchSettings(records[i], path.c_str()));
    SearchSettings loaded;
    loadSearchSettings(loaded, path.c_str());
    expectSameSettings(loaded, records[i], "record " + std::to_string(i));
  }
  std::remove(path.c_str());
}
