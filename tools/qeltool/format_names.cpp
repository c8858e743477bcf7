#include "tools/qeltool/format_names.h"

#include <vector>

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

CLI::Option* addFormatOption(CLI::App* command, std::string& format, const std::string& help) {
  std::vector<std::string> names;
  for (const FormatName& entry : kFormatNames) names.emplace_back(entry.name);
  return command->add_option("--format", format, help)
      ->transform(CLI::IsMember(names, CLI::ignore_case))
      ->capture_default_str();
}
