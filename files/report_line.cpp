// One report line: label, time, gap, bus, sync, BINARY and HEX columns, errors, MDM command name.
//
// The report writes millions of lines, so the pieces are built by hand rather than with printf;
// every piece is byte for byte what its printf format ("%.08d", "%.03d", "%.02X", "%-14.1f", ...)
// would give.
#include <cstring>

#include "files/report.h"
#include "files/report_line.h"

// clang-format off
const char MdmCommandNames[16][29] = {
    "SPARE {0000}                ",
    "RETURN WORD AT PROM ADDRESS ",
    "EXECUTE WORD AT PROM ADDRESS",
    "SPARE {0011}                ",
    "COMMAND SCU BITE TEST       ",
    "COMMAND A/D BITE TEST       ",
    "COMMAND PSU BITE TEST       ",
    "COMMAND IOM BITE TEST       ",
    "PREPARE MDM TO RECEIVE DATA ",
    "PREPARE MDM TO TRANSMIT DATA",
    "SEND BITE STATUS AND RESET  ",
    "MASTER RESET                ",
    "RETURN THE RECEIVED COMMAND ",
    "SPARE {1101}                ",
    "LOAD BITE STATUS REGISTER   ",
    "SPARE {1111}                ",
};
// clang-format on

namespace {

constexpr unsigned kBusWordBits = 24;
constexpr unsigned kGapColumnWidth = 14;

// One sub-field of the HEX column: bits shift .. shift + width - 1 of the bus word, printed
// with at least minDigits digits, in hexadecimal unless decimal is set.
struct SubField {
  uint8_t shift;
  uint8_t width;
  uint8_t minDigits;
  bool decimal;
};

struct DataLayout {
  uint32_t spaceBefore;  // bit n set: a space before bit character n (character 0 is bit 23)
  uint8_t subFieldCount;
  SubField subFields[4];
};

constexpr uint32_t spaces(unsigned a, unsigned b = 32, unsigned c = 32) {
  return (a < 32 ? 1u << a : 0u) | (b < 32 ? 1u << b : 0u) | (c < 32 ? 1u << c : 0u);
}

// Indexed by ReportLayout.
constexpr DataLayout kDataLayouts[6] = {
    {spaces(5, 21), 3, {{19, 5, 2, false}, {3, 16, 4, false}, {0, 3, 1, true}, {}}},
    {spaces(5, 9, 14), 4, {{19, 5, 2, false}, {15, 4, 1, false}, {10, 5, 2, false}, {0, 10, 3, false}}},
    {spaces(5, 6, 10), 4, {{19, 5, 2, false}, {18, 1, 1, false}, {14, 4, 1, false}, {0, 14, 4, false}}},
    {spaces(5, 19), 3, {{19, 5, 2, false}, {5, 14, 4, false}, {0, 5, 2, false}, {}}},
    {spaces(5, 10, 19), 4, {{19, 5, 2, false}, {14, 5, 2, false}, {5, 9, 3, false}, {0, 5, 2, false}}},
    {0, 1, {{0, 24, 6, false}, {}, {}, {}}},
};

// "%.0Nu": at least minDigits digits (minDigits at most 20). Instantiated for 32-bit values too,
// which avoids 64-bit division on 32-bit targets.
template <typename Unsigned>
char* appendDigits(char* out, Unsigned value, unsigned minDigits) {
  char reversed[20];
  unsigned n = 0;
  do {
    reversed[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n < minDigits) reversed[n++] = '0';
  while (n != 0) *out++ = reversed[--n];
  return out;
}

char* appendDecimal(char* out, uint64_t value, unsigned minDigits) { return appendDigits(out, value, minDigits); }
char* appendSmallDecimal(char* out, uint32_t value, unsigned minDigits) { return appendDigits(out, value, minDigits); }

// "%.0NX": at least minDigits upper-case hexadecimal digits (minDigits at most 8).
char* appendHex(char* out, uint32_t value, unsigned minDigits) {
  static const char kHexDigits[] = "0123456789ABCDEF";
  char reversed[8];
  unsigned n = 0;
  do {
    reversed[n++] = kHexDigits[value & 0xFu];
    value >>= 4;
  } while (value != 0);
  while (n < minDigits) reversed[n++] = '0';
  while (n != 0) *out++ = reversed[--n];
  return out;
}

char* appendText(char* out, const char* text, size_t length) {
  std::memcpy(out, text, length);
  return out + length;
}

template <size_t N>
char* appendLiteral(char* out, const char (&text)[N]) {
  return appendText(out, text, N - 1);
}

char* appendDataColumns(char* out, uint32_t value, int layout) {
  value &= busfield::kBusWord.mask;
  const DataLayout& spec = kDataLayouts[(layout >= 0 && layout <= FlatLayout) ? layout : FlatLayout];
  for (unsigned n = 0; n < kBusWordBits; ++n) {
    if (spec.spaceBefore & (1u << n)) *out++ = ' ';
    *out++ = static_cast<char>('0' + ((value >> (kBusWordBits - 1 - n)) & 1u));
  }
  for (unsigned i = 0; i < spec.subFieldCount; ++i) {
    const SubField& field = spec.subFields[i];
    *out++ = i == 0 ? '\t' : ' ';
    const uint32_t part = (value >> field.shift) & ((1u << field.width) - 1u);
    out = field.decimal ? appendSmallDecimal(out, part, field.minDigits) : appendHex(out, part, field.minDigits);
  }
  *out++ = '\t';
  return out;
}

// "TRIGGER" for 0, "+%.08d" above, "%.08d" below.
char* appendLabel(char* out, int64_t lineNumber) {
  if (lineNumber == 0) return appendLiteral(out, "TRIGGER");
  if (lineNumber > 0) {
    *out++ = '+';
    return appendDecimal(out, static_cast<uint64_t>(lineNumber), 8);
  }
  *out++ = '-';
  return appendDecimal(out, 0 - static_cast<uint64_t>(lineNumber), 8);
}

// "\t" and the time tag's text.
char* appendTime(char* out, const TimeTag& tag) {
  *out++ = '\t';
  return appendTimeTagText(out, tag);
}

// The gap from the previous tag to the current one less 28 us, as "\t%-14.1f", or one of the
// blank, short and over-an-hour forms.
char* appendGap(char* out, uint64_t previous, uint64_t current) {
  if (previous == 0 || previous >= current) return appendLiteral(out, "\t        \t");
  const uint64_t difference = current - previous;
  if (difference > kHalfMicrosPerHour) return appendLiteral(out, "\t>1 Hour \t");
  if (difference / 2 < kGapOffsetHalfMicros / 2) return appendLiteral(out, "\t\t");
  // Below the one-hour limit the whole microseconds fit 32 bits.
  const uint32_t whole = static_cast<uint32_t>(difference / 2 - kGapOffsetHalfMicros / 2);
  *out++ = '\t';
  char* const start = out;
  out = appendSmallDecimal(out, whole, 1);
  *out++ = '.';
  *out++ = (difference & 1u) ? '5' : '0';
  while (out - start < static_cast<ptrdiff_t>(kGapColumnWidth)) *out++ = ' ';
  return out;
}

char* appendErrors(char* out, unsigned flags) {
  if (flags == 0) return appendLiteral(out, "NO ERRORS ");
  out = appendText(out, (flags & kErrorPy) ? "Py " : "   ", 3);
  out = appendText(out, (flags & kErrorMn) ? "Mn " : "   ", 3);
  out = appendText(out, (flags & kErrorLg) ? "Lg " : "   ", 3);
  out = appendText(out, (flags & kErrorSh) ? "Sh " : "   ", 3);
  return appendLiteral(out, "     ");
}

}  // namespace

char* appendUnsignedText(char* out, uint64_t value, unsigned minDigits) { return appendDecimal(out, value, minDigits); }

char* appendTimeTagText(char* out, const TimeTag& tag) {
  out = appendSmallDecimal(out, dayOfYear(tag), 3);
  *out++ = ':';
  out = appendSmallDecimal(out, hours(tag), 2);
  *out++ = ':';
  out = appendSmallDecimal(out, minutes(tag), 2);
  *out++ = ':';
  out = appendSmallDecimal(out, seconds(tag), 2);
  *out++ = '.';
  out = appendSmallDecimal(out, milliseconds(tag), 3);
  out = appendSmallDecimal(out, halfMicros(tag) / 2, 3);
  *out++ = (halfMicros(tag) & 1u) ? '5' : '0';
  return out;
}

// Command words take the layout numbered like their StackFormat (6, 1553, falls to flat); data
// words take DataWordLayout, except in the binary/hexadecimal format where everything is flat.
int reportLayoutFor(const BusRecord& record, StackFormat format) {
  if (commandSync(record)) return static_cast<int>(format);
  return format == StackFormat::BinaryHex ? FlatLayout : DataWordLayout;
}

size_t formatDataColumns(uint32_t busWord, int layout, char* out) {
  char* const end = appendDataColumns(out, busWord, layout);
  *end = '\0';
  return static_cast<size_t>(end - out);
}

char* appendReportLine(char* out, int64_t lineNumber, const BusRecord& current, uint64_t previousHalfMicros,
                       StackFormat format) {
  const TimeTag tag = timeTagOf(current);
  out = appendLabel(out, lineNumber);
  out = appendTime(out, tag);
  out = appendGap(out, previousHalfMicros, timeTagHalfMicrosExact(tag));
  out = appendLiteral(out, "\tJ");
  *out++ = static_cast<char>('1' + busChannel(current));
  *out++ = '\t';
  out = appendLiteral(out, commandSync(current) ? "CMND\t" : "DATA\t");
  out = appendDataColumns(out, busWord(current), reportLayoutFor(current, format));
  out = appendErrors(out, errorFlags(current));
  if (commandSync(current) && format == StackFormat::Mdm) {
    *out++ = '\t';
    out = appendText(out, MdmCommandNames[mdmCommandCode(busWord(current))], 28);
  }
  return out;
}
