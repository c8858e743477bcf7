// Convert File: 4096 records taken from a raw memory dump (".SUP") into a data file (".QEL").
//
// The dump is a leading 16-bit unit and at least 393216 more; units 65532 to 98299 after the
// leading one hold the records in record-word order. The whole dump is read before the output
// is created, so a short dump leaves an existing output untouched.
#include "files/dump_conversion.h"

#include <vector>

#include "files/bus_record.h"
#include "files/data_file.h"

namespace {

constexpr size_t kLeadingBytes = 2;
constexpr size_t kDumpBytes = kLeadingBytes + 2 * size_t{kDumpUnits};
constexpr size_t kOutputBytes = size_t{kDumpRecords} * kBusRecordBytes;

}  // namespace

void dumpNamesFor(const std::string& fileBoxText, std::string& dumpPath, std::string& dataPath) {
  const std::string base = fileBoxText.substr(0, fileBoxText.find('.'));
  dumpPath = base + ".SUP";
  dataPath = base + ".QEL";
}

StatusCode convertDumpToRecords(const std::string& dumpPath, std::vector<unsigned char>& records) {
  FILE* in = openDataFile(dumpPath.c_str(), "rb");
  if (!in) return StatusCode::FileOpenError;
  std::vector<unsigned char> dump(kDumpBytes);
  const size_t got = readDataFileFully(in, dump.data(), dump.size());
  std::fclose(in);
  if (got < dump.size()) return StatusCode::FileReadError;

  // Unit u after the leading one starts at byte 2 + 2u. Each pair of the stretch is exchanged,
  // which turns record-word order into file order.
  const unsigned char* stretch = dump.data() + kLeadingBytes + 2 * size_t{kDumpFirstRecordUnit};
  records.assign(kOutputBytes, 0);
  for (size_t unit = 0; unit < kOutputBytes / 2; ++unit) {
    const size_t source = 2 * (unit ^ 1);
    records[2 * unit] = stretch[source];
    records[2 * unit + 1] = stretch[source + 1];
  }
  return StatusCode::Success;
}

StatusCode convertDumpFile(const std::string& dumpPath, const std::string& dataPath) {
  std::vector<unsigned char> output;
  const StatusCode read = convertDumpToRecords(dumpPath, output);
  if (!ok(read)) return read;

  FILE* out = openDataFile(dataPath.c_str(), "wb");
  if (!out) return StatusCode::FileOpenError;
  StatusCode status = StatusCode::Success;
  if (std::fwrite(output.data(), 1, output.size(), out) != output.size()) status = StatusCode::FileWriteError;
  if (std::fclose(out) != 0) status = StatusCode::FileWriteError;
  return status;
}

StatusCode convertDump(const std::string& fileBoxText) {
  std::string dumpPath, dataPath;
  dumpNamesFor(fileBoxText, dumpPath, dataPath);
  return convertDumpFile(dumpPath, dataPath);
}
