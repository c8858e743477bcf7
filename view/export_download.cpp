#include "view/export_download.h"

#include "export/chapter10_writer.h"
#include "export/csv_export.h"
#include "export/cut.h"
#include "view/find_count.h"
#include "view/rows.h"

bool prepareDownload(ViewFolder& folder, const QueryParams& params, Download& download, ViewAnswer& refusal) {
  auto r = requestedRecording(folder, params, refusal);
  if (r == nullptr) return false;
  std::string kind;
  queryText(params, "kind", kind);
  struct KindName {
    const char* name;
    DownloadKind kind;
    const char* ending;
    const char* type;
  };
  static const KindName kKinds[] = {{"csv", DownloadKind::Csv, ".csv", "text/csv; charset=utf-8"},
                                    {"ch10", DownloadKind::Chapter10, ".ch10", "application/octet-stream"},
                                    {"qel", DownloadKind::Cut, ".qel", "application/octet-stream"}};
  const KindName* chosen = nullptr;
  for (const KindName& k : kKinds) {
    if (kind == k.name) chosen = &k;
  }
  uint64_t from = 1;
  uint64_t to = UINT64_MAX;
  bool criteria = false;
  std::string why;
  if (chosen == nullptr || !queryNumber(params, "from", from) || !queryNumber(params, "to", to) || from == 0 ||
      to < from || !queryFormat(params, download.format) ||
      !queryCriteria(params, download.selection.criteria, criteria, why)) {
    refusal = errorAnswer(400, "kind=csv|ch10|qel, from= and to= lines from 1 (from not above to), criteria, format=");
    return false;
  }
  {
    std::shared_lock<std::shared_mutex> reading(r->lock);
    if (from > r->records) {
      refusal = errorAnswer(400, "from= is beyond the last record");
      return false;
    }
    to = std::min(to, r->records);
  }
  download.path = r->path;
  download.kind = chosen->kind;
  download.contentType = chosen->type;
  download.selection.from = from;
  download.selection.lines = to - from + 1;
  download.selection.criteriaGiven = criteria;
  std::string stem = r->name.substr(0, r->name.size() - 4);
  download.fileName = stem + "_" + std::to_string(from) + "-" + std::to_string(to) + (criteria ? "_matches" : "") +
                      chosen->ending;
  return true;
}

StatusCode writeDownload(const Download& download, ByteSink sink) {
  uint64_t written = 0;
  switch (download.kind) {
    case DownloadKind::Csv:
      return exportCsv(download.path, download.selection, download.format, sink, written);
    case DownloadKind::Chapter10: {
      Chapter10Counts counts;
      return exportChapter10(download.path, download.selection, download.fileName, sink, counts);
    }
    case DownloadKind::Cut:
      return cutRecords(download.path, download.selection, sink, written);
  }
  return StatusCode::InvalidParameter;
}
