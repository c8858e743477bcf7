// Running the built qeltool as a user would, and the small data files its tests run it on.
#pragma once
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/test_records.h"

#ifndef QELTOOL_PATH
#error "QELTOOL_PATH must name the qeltool executable"
#endif

// A record `micros` microseconds after the start of day 0.
inline BusRecord recordAtMicros(uint64_t micros, uint32_t word = 0, unsigned channel = 0, unsigned sync = 0,
                                unsigned errors = 0) {
  return testRecord({2 * micros, word, channel, sync, errors});
}

inline std::string shellQuoted(const std::string& text) {
  std::string out = "'";
  for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// "qeltool <arguments>" through the shell (arguments quoted by the caller), in workingFolder
// when given, after `prefix` (e.g. a timeout command). standardOutput, when given, is the
// redirection of standard output (">/dev/full") in place of the capture into ToolRun::out.
inline ToolRun runQeltool(const std::string& arguments, const std::string& workingFolder = "",
                          const std::string& prefix = "", const std::string& standardOutput = "") {
  TempFolder capture;
  std::string command = workingFolder.empty() ? "" : "cd " + shellQuoted(workingFolder) + " && ";
  command += prefix + shellQuoted(QELTOOL_PATH) + " " + arguments + " " +
             (standardOutput.empty() ? ">" + shellQuoted(capture.file("out")) : standardOutput) + " 2>" +
             shellQuoted(capture.file("err"));
  const int status = std::system(command.c_str());
  return ToolRun{(status != -1 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1, readText(capture.file("out")),
                 readText(capture.file("err"))};
}

// A command's arguments and what qeltool must print on standard output and exit with.
struct ToolAnswer {
  const char* arguments;
  std::string out;
  int exitCode;
};

// Runs "qeltool <command><arguments>" in folder for each answer and checks both.
template <size_t N>
void expectToolAnswers(const std::string& command, const ToolAnswer (&answers)[N], const std::string& folder) {
  for (const ToolAnswer& a : answers) {
    const ToolRun run = runQeltool(command + a.arguments, folder);
    EXPECT_EQ(run.exitCode, a.exitCode) << a.arguments << "\n" << run.err;
    EXPECT_EQ(run.out, a.out) << a.arguments;
  }
}

// The names in a folder, sorted: a temporary file left behind shows here.
inline std::vector<std::string> namesInFolder(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}
