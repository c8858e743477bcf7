// Converts a memory dump of any bytes and length. A dump needs 786434 bytes, far more than a
// fuzzing input, so the first byte chooses: an even byte takes the rest of the input as the
// dump itself; an odd one repeats the rest up to the full size plus (byte >> 1) bytes, or minus
// them when bit 7 is set, which makes a dump just short of the size. Checks: the dump is only
// read; the output holds 65536 bytes exactly when the dump has its full size (which records they
// are is the unit test's); a short dump gives status 7 and leaves an existing output as it was.
#include <string>
#include <vector>

#include "files/bus_record.h"
#include "files/dump_conversion.h"
#include "tests/fuzz/fuzz_scratch.h"

namespace {

constexpr size_t kFullDumpBytes = 2 + 2 * size_t{kDumpUnits};  // 786434
constexpr size_t kOutputBytes = size_t{kDumpRecords} * kBusRecordBytes;
const char kEarlierOutput[] = "an earlier data file";

std::vector<uint8_t> dumpFrom(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  const uint8_t flag = data[0];
  const uint8_t* rest = data + 1;
  const size_t restSize = size - 1;
  if ((flag & 1) == 0 || restSize == 0) return std::vector<uint8_t>(rest, rest + restSize);
  const size_t delta = (flag >> 1) & 0x3F;
  const size_t wanted = (flag & 0x80) ? kFullDumpBytes - 1 - delta : kFullDumpBytes + delta;
  std::vector<uint8_t> dump(wanted);
  for (size_t i = 0; i < wanted; ++i) dump[i] = rest[i % restSize];
  return dump;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dumpPath = fuzz::scratchPath("DUMP.SUP");
  static const std::string dataPath = fuzz::scratchPath("DUMP.QEL");
  const std::vector<uint8_t> dump = dumpFrom(data, size);
  fuzz::writeScratchFile(dumpPath, dump.data(), dump.size());
  fuzz::writeScratchFile(dataPath, reinterpret_cast<const uint8_t*>(kEarlierOutput), sizeof kEarlierOutput);

  const StatusCode status = convertDumpFile(dumpPath, dataPath);
  const std::string output = readText(dataPath);
  FUZZ_CHECK(readBytes(dumpPath) == dump);
  if (dump.size() < kFullDumpBytes) {
    FUZZ_CHECK(status == StatusCode::FileReadError);
    FUZZ_CHECK(output == std::string(kEarlierOutput, sizeof kEarlierOutput));
    return 0;
  }
  FUZZ_CHECK(status == StatusCode::Success);
  FUZZ_CHECK(output.size() == kOutputBytes);
  return 0;
}
