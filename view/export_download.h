// Downloads: a stretch of lines, or its matches, as CSV, Chapter 10 or a cut data file, made by
// the export code while it is sent (never as a file beside the data).
#pragma once
#include <string>

#include "common/status_code.h"
#include "export/byte_sink.h"
#include "export/record_selection.h"
#include "files/stack_format.h"
#include "view/recording_list.h"

enum class DownloadKind { Csv, Chapter10, Cut };

struct Download {
  std::string path;      // the data file
  std::string fileName;  // offered to the browser
  const char* contentType = "application/octet-stream";
  DownloadKind kind = DownloadKind::Csv;
  RecordSelection selection;
  StackFormat format = StackFormat::BinaryHex;
};

// Reads GET /api/export's query; false with the refusal (400 or 404) when it cannot be made.
bool prepareDownload(ViewFolder& folder, const QueryParams& params, Download& download, ViewAnswer& refusal);

// Writes the download into the sink. FileWriteError when the sink refused (the client left).
StatusCode writeDownload(const Download& download, ByteSink sink);
