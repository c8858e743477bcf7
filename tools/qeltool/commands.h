// The qeltool subcommands. Each returns the process exit code (tools/qeltool/tool_exit.h).
#pragma once
#include "tools/qeltool/command_options.h"

int runReport(const ReportOptions& options);
int runSearch(const SearchOptions& options);
int runFindTime(const FindTimeOptions& options);
int runCount(const CountOptions& options);
int runConvert(const ConvertOptions& options);
int runStats(const StatsOptions& options);
int runGenerate(const GenerateOptions& options);
int runRecord(const RecordOptions& options);
int runIndex(const IndexOptions& options);
int runExport(const ExportOptions& options);
int runCut(const CutOptions& options);
int runOverview(const OverviewOptions& options);
