// Where an export's bytes go. The command layer decides (a file it opened, standard output, a
// buffer in a test); the exporters only hand over blocks and hear whether they were taken whole.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

struct ByteSink {
  // False when the bytes could not all be written.
  std::function<bool(const unsigned char* bytes, size_t count)> write;
};

// Writes to an open file with fwrite, checked.
ByteSink fileByteSink(FILE* file);

// Collects an export's small pieces and hands them to the sink in large blocks. After a write
// fails nothing more is handed over, and `failed` stays set.
struct OutputBlock {
  ByteSink sink;
  std::vector<unsigned char> bytes;
  size_t used = 0;
  uint64_t handedOver = 0;  // bytes the sink has taken
  bool failed = false;
};

constexpr size_t kOutputBlockBytes = 1u << 20;

void startOutput(OutputBlock& out, ByteSink sink, size_t blockBytes = kOutputBlockBytes);

// Room for count more bytes at the end of the block (handing the block over first when it
// would not fit); commitOutput then keeps the first `count` of them.
unsigned char* reserveOutput(OutputBlock& out, size_t count);
inline void commitOutput(OutputBlock& out, size_t count) { out.used += count; }

void appendOutput(OutputBlock& out, const void* bytes, size_t count);

// Hands over what is held. False when this or an earlier write failed.
bool flushOutput(OutputBlock& out);
