#include "export/byte_sink.h"

#include <cstring>

ByteSink fileByteSink(FILE* file) {
  return ByteSink{[file](const unsigned char* bytes, size_t count) {
    return count == 0 || std::fwrite(bytes, 1, count, file) == count;
  }};
}

void startOutput(OutputBlock& out, ByteSink sink, size_t blockBytes) {
  out.sink = std::move(sink);
  out.bytes.assign(blockBytes, 0);
  out.used = 0;
  out.handedOver = 0;
  out.failed = false;
}

bool flushOutput(OutputBlock& out) {
  if (out.used != 0 && !out.failed) {
    if (out.sink.write(out.bytes.data(), out.used)) {
      out.handedOver += out.used;
    } else {
      out.failed = true;
    }
  }
  out.used = 0;
  return !out.failed;
}

unsigned char* reserveOutput(OutputBlock& out, size_t count) {
  if (out.bytes.size() - out.used < count) {
    flushOutput(out);
    if (out.bytes.size() < count) out.bytes.resize(count);
  }
  return out.bytes.data() + out.used;
}

void appendOutput(OutputBlock& out, const void* bytes, size_t count) {
  if (count == 0) return;
  std::memcpy(reserveOutput(out, count), bytes, count);
  commitOutput(out, count);
}
