// qeltool count and convert.
#include <gtest/gtest.h>

#include "tool_fixtures.h"

// Whole records whatever trails; JSON stays valid whatever the name: a byte that is not UTF-8 is
// replaced, a quote and a backslash escaped. Several files: a line (or JSON object) each, named;
// one that cannot be read is reported and the rest still counted.
TEST(CountTool, WholeRecordsAndJsonOfAnyName) {
  TempFolder folder;
  writeDataFile(folder.file("r\xE9s\"\\\xC3\xA9.qel"), std::vector<BusRecord>(3, recordAtMicros(5)), 15);
  writeDataFile(folder.file("two.qel"), std::vector<BusRecord>(2, recordAtMicros(5)));
  const std::string name = "{\"file\":\"r\xEF\xBF\xBDs\\\"\\\\\xC3\xA9.qel\",\"records\":3}\n";
  const ToolAnswer cases[] = {
      {"--json r*.qel", name, 0},
      {"--json r*.qel two.qel", name + "{\"file\":\"two.qel\",\"records\":2}\n", 0},
      {"two.qel none.qel two.qel", "two.qel: 2\ntwo.qel: 2\n", 3},
  };
  expectToolAnswers("count ", cases, folder.path);
}

// The output is named from the dump's file name alone and lies in the dump's folder; units 65532
// on after the leading unit, each pair exchanged, become the data file, with its index beside it.
TEST(ConvertTool, DumpToDataFileBesideItByTheDialogsNaming) {
  TempFolder folder;
  std::filesystem::create_directory(folder.file("sub.dir"));
  Bytes dump(2 + 2 * 393216, 0xFF), expected;
  for (size_t i = 2; i + 1 < dump.size(); i += 2) {
    dump[i] = static_cast<unsigned char>((i - 2) / 2);
    dump[i + 1] = static_cast<unsigned char>((i - 2) / 2 >> 8);
  }
  for (uint32_t k = 0; k < 16384; ++k) {
    for (const uint32_t unit : {65533 + 2 * k, 65532 + 2 * k}) expected.insert(expected.end(), {uint8_t(unit), uint8_t(unit >> 8)});
  }
  for (const char* name : {"A.B.SUP", "sub.dir/BIG.SUP"}) writeBytes(folder.file(name), dump);
  const char* cases[][3] = {{"./A.B.SUP", "./A.QEL\n", "A.QEL"},
                            {"../sub.dir/BIG.SUP", "../sub.dir/BIG.QEL\n", "sub.dir/BIG.QEL"}};
  for (const auto& c : cases) {
    const bool fromSub = std::string(c[0]).rfind("../", 0) == 0;
    const ToolRun run = runQeltool(std::string("convert ") + c[0], fromSub ? folder.file("sub.dir") : folder.path);
    EXPECT_EQ(run.exitCode, 0) << c[0] << run.err;
    EXPECT_EQ(run.out, c[1]) << c[0];
    EXPECT_TRUE(readBytes(folder.file(c[2])) == expected) << c[0];
  }
  EXPECT_EQ(namesInFolder(folder.path), (std::vector<std::string>{"A.B.SUP", "A.QEL", "A.QIX", "sub.dir"}));
}
