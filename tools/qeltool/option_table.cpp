#include "tools/qeltool/option_table.h"

#include <cstdio>
#include <string>
#include <vector>

#include "tools/qeltool/standard_output.h"
#include "tools/qeltool/tool_exit.h"

namespace {

// A field of the table: tabs and line ends become spaces.
std::string field(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

void printRow(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) line += (i == 0 ? "" : "\t") + field(fields[i]);
  std::printf("%s\n", line.c_str());
}

std::string joined(const std::vector<std::string>& names, const char* prefix) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : " ") + (prefix + name);
  return text;
}

// CLI11 writes a list of choices into the type name: "TEXT:{any,cmd,data}". Splits that into
// the kind of value and the choices, separated by spaces.
void splitTypeName(const std::string& typeName, std::string& value, std::string& choices) {
  const size_t open = typeName.find(":{");
  const size_t close = typeName.rfind('}');
  value = typeName.substr(0, open);
  choices.clear();
  if (open == std::string::npos || close == std::string::npos || close < open) return;
  choices = typeName.substr(open + 2, close - open - 2);
  for (char& c : choices) {
    if (c == ',') c = ' ';
  }
}

void printOptions(const CLI::App& command, const std::string& commandName) {
  for (const CLI::Option* option : command.get_options()) {
    if (option->get_group().empty()) continue;  // hidden, as in the help
    const std::string required = option->get_required() ? "1" : "0";
    if (!option->nonpositional()) {
      printRow({"positional", commandName, option->get_name(), required, option->get_description()});
      continue;
    }
    std::string value;
    std::string choices;
    if (option->get_type_size() != 0) splitTypeName(option->get_type_name(), value, choices);
    const std::string names = joined(option->get_snames(), "-") + (option->get_snames().empty() ? "" : " ") +
                              joined(option->get_lnames(), "--");
    printRow({"option", commandName, names, value, choices, option->get_default_str(), required,
              option->get_description()});
  }
}

}  // namespace

int printOptionTable(const CLI::App& app) {
  printRow({"tool", app.get_description()});
  printOptions(app, "");
  for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
    printRow({"command", command->get_name(), command->get_description()});
    if (!command->get_footer().empty()) printRow({"footer", command->get_name(), command->get_footer()});
    printOptions(*command, command->get_name());
  }
  return finishStandardOutput("", ExitSuccess);
}
