// The overview of a recording as one self-contained HTML page: no network, no other files; the
// plots are inline SVG, and a short script only shows the values under the pointer.
//
// It shows the records, recorded time, first and last time tag and the counts per bus; over the
// recorded time (with the time of day at the ticks) the bus words per second of each bus and the
// error words per second, each as the mean and the least per drawn step, and the time breaks,
// marked and listed; a histogram of the gaps from word to word on logarithmic scales; and the command words
// by MDM command code. Colours are those of the Okabe-Ito palette, which colour-blind readers tell
// apart, and the bus lines differ in their dashes as well.
#pragma once
#include <cstdint>
#include <string>

#include "common/status_code.h"
#include "export/byte_sink.h"
#include "export/overview_scan.h"

std::string overviewHtml(const OverviewSummary& summary, const std::string& fileName);

// Scans the data file and writes its page; records says how many the file holds, and a file of
// none gets no page. FileOpenError when it cannot be opened, FileWriteError when the sink fails.
StatusCode writeOverview(const std::string& path, const std::string& fileName, ByteSink sink, uint64_t& records,
                         const ScanProgress* progress = nullptr);
