#include "tools/qeltool/format_names.h"

namespace {

struct FormatName {
  const char* name;
  StackFormat format;
};

const FormatName kFormatNames[] = {
    {"binary", StackFormat::BinaryHex}, {"mdm", StackFormat::Mdm}, {"ldb", StackFormat::Ldb},
    {"mec", StackFormat::Mec},          {"eiu", StackFormat::Eiu}, {"1553", StackFormat::Mil1553},
};

}  // namespace

bool stackFormatNamed(const std::string& name, StackFormat& format) {
  for (const FormatName& entry : kFormatNames) {
    if (name == entry.name) {
      format = entry.format;
      return true;
    }
  }
  return false;
}
