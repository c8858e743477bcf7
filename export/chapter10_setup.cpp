#include "export/chapter10_setup.h"

#include "export/chapter10_format.h"

namespace {

// Printable ASCII other than the attribute separator ';'.
std::string tmatsValue(const std::string& text) {
  std::string value;
  for (const char c : text) value += (c >= ' ' && c <= '~' && c != ';') ? c : '_';
  return value;
}

void attribute(std::string& text, const std::string& code, const std::string& value) {
  text += code + ":" + value + ";\r\n";
}

}  // namespace

std::string chapter10SetupText(const std::string& sourceName) {
  std::string t;
  attribute(t, "G\\PN", "VARNOTEK EXPORT");
  attribute(t, "G\\106", "22");
  attribute(t, "G\\DSI\\N", "1");
  attribute(t, "G\\DSI-1", "KOLVA");
  attribute(t, "G\\DST-1", "STO");
  // TMATS ends a value at ';': the comment has none.
  attribute(t, "G\\COM",
            "Bus words of the KOLVA recorder data file " + tmatsValue(sourceName) +
                ", exported by Varnotek. Each bus word is one message of 4 bytes, a little-endian "
                "longword: bits 0-23 the word, bits 24-27 the error flags Sh Lg Mn Py, bit 28 command sync. "
                "Subchannel 1 carries command-sync words, 0 data-sync words, and the data error flag is set "
                "when any error flag is. Times are the card's time tags. The time channel starts anew "
                "where they go backwards or jump more than an hour ahead");
  attribute(t, "R-1\\ID", "KOLVA");
  attribute(t, "R-1\\RID", "VARNOTEK");
  attribute(t, "R-1\\R1", "KOLVA bus recorder");
  attribute(t, "R-1\\N", "5");

  const std::string time = "1";
  attribute(t, "R-1\\DSI-" + time, "TIME");
  attribute(t, "R-1\\TK1-" + time, std::to_string(ch10::kTimeChannel));
  attribute(t, "R-1\\CHE-" + time, "T");
  attribute(t, "R-1\\CDT-" + time, "TIMEIN");
  attribute(t, "R-1\\TTF-" + time, "1");
  attribute(t, "R-1\\TFMT-" + time, "B");
  attribute(t, "R-1\\TSRC-" + time, "I");

  for (int bus = 0; bus < 4; ++bus) {
    const std::string n = std::to_string(bus + 2);
    const std::string name = "J" + std::to_string(bus + 1);
    attribute(t, "R-1\\DSI-" + n, name);
    attribute(t, "R-1\\TK1-" + n, std::to_string(ch10::kFirstBusChannel + bus));
    attribute(t, "R-1\\CHE-" + n, "T");
    attribute(t, "R-1\\CDT-" + n, "MSGIN");
    attribute(t, "R-1\\CDLN-" + n, name);
    attribute(t, "R-1\\MTF-" + n, "0");
    attribute(t, "R-1\\NMS\\N-" + n, "2");
    attribute(t, "R-1\\MSCN-" + n + "-1", std::to_string(ch10::kSubchannelDataSync));
    attribute(t, "R-1\\MCNM-" + n + "-1", name + " DATA SYNC");
    attribute(t, "R-1\\MSCN-" + n + "-2", std::to_string(ch10::kSubchannelCommandSync));
    attribute(t, "R-1\\MCNM-" + n + "-2", name + " COMMAND SYNC");
  }
  return t;
}
