// qeltool count and convert.
#include <gtest/gtest.h>

#include "tool_fixtures.h"

namespace {

constexpr size_t kDumpBytes = 2 + 2 * 393216;  // the leading unit and 393216 more

// A dump whose every 16-bit unit after the leading 0xFFFF holds its own number.
Bytes numberedDump(size_t bytes) {
  Bytes dump(bytes, 0xFF);
  for (size_t i = 2; i + 1 < bytes; i += 2) {
    dump[i] = static_cast<unsigned char>((i - 2) / 2);
    dump[i + 1] = static_cast<unsigned char>((i - 2) / 2 >> 8);
  }
  return dump;
}

// Units 65532 to 98299 with each pair exchanged.
Bytes expectedConversion() {
  Bytes out;
  for (uint32_t k = 0; k < 16384; ++k) {
    for (const uint32_t unit : {65533 + 2 * k, 65532 + 2 * k}) {
      out.push_back(static_cast<unsigned char>(unit));
      out.push_back(static_cast<unsigned char>(unit >> 8));
    }
  }
  return out;
}

}  // namespace

TEST(CountTool, WholeRecordsWhateverTrails) {
  TempFolder folder;
  const std::string file = folder.file("count.qel");
  const size_t cases[][2] = {{0, 0}, {0, 15}, {3, 15}, {1000, 0}};  // records, trailing bytes
  for (const auto& c : cases) {
    writeRecords(file, std::vector<BusRecord>(c[0], makeRecord(tagFromMicros(5), 1, 1, 0, 7)), c[1]);
    const ToolRun run = runQeltool("count " + shellQuoted(file));
    EXPECT_EQ(run.exitCode, 0) << c[0] << "+" << c[1];
    EXPECT_EQ(run.out, std::to_string(c[0]) + "\n") << c[0] << "+" << c[1];
  }
  EXPECT_EQ(runQeltool("count --json " + shellQuoted(file)).out, "{\"file\": \"" + file + "\", \"records\": 1000}\n");
}

TEST(ConvertTool, DumpToDataFileByTheDialogsNamingOrNothingWhenShort) {
  TempFolder folder;
  writeBytes(folder.file("RUN7.SUP"), numberedDump(kDumpBytes));
  writeBytes(folder.file("A.B.SUP"), numberedDump(kDumpBytes));
  const char* cases[][2] = {{"RUN7.SUP", "RUN7.QEL"}, {"A.B.SUP", "A.QEL"}, {"RUN7.SUP -o other.qel", "other.qel"}};
  for (const auto& c : cases) {
    const ToolRun run = runQeltool(std::string("convert ") + c[0], folder.path);
    EXPECT_EQ(run.exitCode, 0) << c[0] << run.err;
    EXPECT_EQ(run.out, std::string(c[1]) + "\n") << c[0];
    EXPECT_TRUE(readBytes(folder.file(c[1])) == expectedConversion()) << c[0];
  }
  EXPECT_EQ(runQeltool("count RUN7.QEL", folder.path).out, "4096\n");

  // A dump one byte short, or far too short, fails and writes nothing.
  writeBytes(folder.file("SHORT.SUP"), numberedDump(kDumpBytes - 1));
  writeBytes(folder.file("KEEP.QEL"), Bytes{1, 2, 3});
  writeBytes(folder.file("KEEP.SUP"), numberedDump(100));
  for (const char* name : {"SHORT.SUP", "KEEP.SUP"}) {
    const ToolRun run = runQeltool(std::string("convert ") + name, folder.path);
    EXPECT_EQ(run.exitCode, 3) << name;
    EXPECT_EQ(run.out, "") << name;
    EXPECT_NE(run.err.find("ERROR: File read error"), std::string::npos) << name << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(folder.file("SHORT.QEL")));
  EXPECT_TRUE(readBytes(folder.file("KEEP.QEL")) == (Bytes{1, 2, 3}));
}
