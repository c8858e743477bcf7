// qeltool count and convert.
#include <gtest/gtest.h>

#include "tool_fixtures.h"

namespace {

constexpr size_t kDumpBytes = 2 + 2 * 393216;  // the leading unit and 393216 more

// A dump whose every 16-bit unit holds its own number (the leading unit 0xFFFF).
Bytes numberedDump(size_t bytes) {
  Bytes dump(bytes);
  dump[0] = dump[1] = 0xFF;
  for (size_t i = 2; i + 1 < bytes; i += 2) {
    const uint32_t unit = static_cast<uint32_t>((i - 2) / 2);
    dump[i] = static_cast<unsigned char>(unit & 0xFF);
    dump[i + 1] = static_cast<unsigned char>((unit >> 8) & 0xFF);
  }
  return dump;
}

// Units 65532 to 98299 with each pair exchanged, as 16-bit little-endian units.
Bytes expectedConversion() {
  Bytes out;
  for (uint32_t k = 0; k < 16384; ++k) {
    for (const uint32_t unit : {65533 + 2 * k, 65532 + 2 * k}) {
      out.push_back(static_cast<unsigned char>(unit & 0xFF));
      out.push_back(static_cast<unsigned char>((unit >> 8) & 0xFF));
    }
  }
  return out;
}

}  // namespace

TEST(CountTool, WholeRecordsWhateverTrails) {
  TempFolder folder;
  const struct {
    size_t records;
    size_t trailing;
    const char* out;
  } cases[] = {{0, 0, "0\n"},  {3, 0, "3\n"},  {3, 1, "3\n"},      {3, 2, "3\n"},
               {3, 15, "3\n"}, {0, 15, "0\n"}, {1000, 0, "1000\n"}};
  for (const auto& c : cases) {
    const std::string file = folder.file("count.qel");
    writeRecords(file, std::vector<BusRecord>(c.records, makeRecord(tagFromMicros(5), 1, 1, 0, 7)), c.trailing);
    const ToolRun run = runQeltool("count " + shellQuoted(file));
    EXPECT_EQ(run.exitCode, 0) << c.records << "+" << c.trailing;
    EXPECT_EQ(run.out, c.out) << c.records << "+" << c.trailing;
  }
  const ToolRun json = runQeltool("count --json " + shellQuoted(folder.file("count.qel")));
  EXPECT_EQ(json.out, "{\"file\": \"" + folder.file("count.qel") + "\", \"records\": 1000}\n");
}

TEST(ConvertTool, DumpToDataFileByTheDialogsNaming) {
  TempFolder folder;
  writeBytes(folder.file("RUN7.SUP"), numberedDump(kDumpBytes));
  writeBytes(folder.file("A.B.SUP"), numberedDump(kDumpBytes));
  const struct {
    const char* arguments;
    const char* output;
  } cases[] = {
      {"RUN7.SUP", "RUN7.QEL"},
      {"A.B.SUP", "A.QEL"},
      {"RUN7.SUP -o other.qel", "other.qel"},
  };
  for (const auto& c : cases) {
    const ToolRun run = runQeltool(std::string("convert ") + c.arguments, folder.path);
    EXPECT_EQ(run.exitCode, 0) << c.arguments << run.err;
    EXPECT_EQ(run.out, std::string(c.output) + "\n") << c.arguments;
    EXPECT_TRUE(readBytes(folder.file(c.output)) == expectedConversion()) << c.arguments;
  }
  // The converted file counts 4096 records.
  EXPECT_EQ(runQeltool("count RUN7.QEL", folder.path).out, "4096\n");
}

TEST(ConvertTool, ShortDumpFailsAndWritesNothing) {
  TempFolder folder;
  writeBytes(folder.file("SHORT.SUP"), numberedDump(kDumpBytes - 1));
  writeBytes(folder.file("KEEP.QEL"), Bytes{1, 2, 3});
  writeBytes(folder.file("KEEP.SUP"), numberedDump(100));
  for (const char* name : {"SHORT.SUP", "KEEP.SUP"}) {
    const ToolRun run = runQeltool(std::string("convert ") + name, folder.path);
    EXPECT_EQ(run.exitCode, 3) << name;
    EXPECT_EQ(run.out, "") << name;
    EXPECT_NE(run.err.find("ERROR: File read error"), std::string::npos) << name << run.err;
  }
  EXPECT_FALSE(fileExists(folder.file("SHORT.QEL")));
  EXPECT_TRUE(readBytes(folder.file("KEEP.QEL")) == (Bytes{1, 2, 3}));
}
