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
  // JSON stays valid whatever the name: a byte that is not UTF-8 is replaced, a quote escaped.
  writeRecords(folder.file("r\xE9s\"\xC3\xA9.qel"), {});
  EXPECT_EQ(runQeltool("count --json r*.qel", folder.path).out,
            "{\"file\": \"r\\ufffds\\\"\xC3\xA9.qel\", \"records\": 0}\n");
}

TEST(ConvertTool, DumpToDataFileBesideItByTheDialogsNaming) {
  TempFolder folder;
  std::filesystem::create_directory(folder.file("sub.dir"));
  for (const char* dump : {"RUN7.SUP", "A.B.SUP", "sub.dir/BIG.SUP"})
    writeBytes(folder.file(dump), numberedDump(kDumpBytes));
  // The output is named from the dump's file name alone and lies in the dump's folder.
  const char* cases[][3] = {{"RUN7.SUP", "RUN7.QEL\n", "RUN7.QEL"},
                            {"./A.B.SUP", "./A.QEL\n", "A.QEL"},
                            {"sub.dir/BIG.SUP", "sub.dir/BIG.QEL\n", "sub.dir/BIG.QEL"},
                            {"../sub.dir/BIG.SUP", "../sub.dir/BIG.QEL\n", "sub.dir/BIG.QEL"},
                            {"RUN7.SUP -o other.qel", "other.qel\n", "other.qel"}};
  for (const auto& c : cases) {
    const bool fromSub = std::string(c[0]).rfind("../", 0) == 0;
    std::filesystem::remove(folder.file(c[2]));
    const ToolRun run = runQeltool(std::string("convert ") + c[0], fromSub ? folder.file("sub.dir") : folder.path);
    EXPECT_EQ(run.exitCode, 0) << c[0] << run.err;
    EXPECT_EQ(run.out, c[1]) << c[0];
    EXPECT_TRUE(readBytes(folder.file(c[2])) == expectedConversion()) << c[0];
  }
  EXPECT_EQ(runQeltool("count RUN7.QEL", folder.path).out, "4096\n");
  // Each data file with its saved index beside it.
  EXPECT_EQ(namesInFolder(folder.path), (std::vector<std::string>{"A.B.SUP", "A.QEL", "A.QIX", "RUN7.QEL", "RUN7.QIX",
                                                                  "RUN7.SUP", "other.qel", "other.qix", "sub.dir"}));
}
