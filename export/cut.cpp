#include "export/cut.h"

#include "files/bus_record.h"

StatusCode cutRecords(const std::string& path, const RecordSelection& selection, ByteSink sink, uint64_t& records,
                      const ScanProgress* progress) {
  records = 0;
  OutputBlock out;
  startOutput(out, std::move(sink));
  const StatusCode status = forEachSelectedRun(
      path, selection,
      [&](uint64_t, const unsigned char* run, size_t count) {
        appendOutput(out, run, count * kBusRecordBytes);
        records += count;
        return !out.failed;
      },
      progress);
  if (!ok(status)) return status;
  return flushOutput(out) ? StatusCode::Success : StatusCode::FileWriteError;
}
