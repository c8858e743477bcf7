#!/usr/bin/env python3
"""Makes qeltool's manual page source and shell completions from its option table.

Usage: option_pages.py KIND TABLE TEMPLATE OUTPUT

TABLE is what "qeltool --option-table" prints (see tools/qeltool/option_table.h). KIND says
what TEMPLATE is and what takes the place of its line "@OPTION_TABLE@":
    man    a pandoc markdown page; the line becomes the COMMANDS and OPTIONS sections
    bash   a bash completion script; the line becomes the function _qeltool_words
    zsh    a zsh completion script; the line becomes the function _qeltool_specs
"""

import re
import sys

PLACEHOLDER = "@OPTION_TABLE@"


class Option:
    def __init__(self, names, value, choices, default, required, description):
        self.names = names.split()
        self.value = value
        self.choices = choices.split()
        self.default = default
        self.required = required == "1"
        self.description = description

    def takes_file(self):
        return "--output" in self.names


def read_table(path):
    """Commands in order as (name, description, footer, positionals, options); "" is the tool."""
    commands = {}
    order = []

    def command(name):
        if name not in commands:
            commands[name] = {"description": "", "footer": "", "positionals": [], "options": []}
            order.append(name)
        return commands[name]

    with open(path, encoding="utf-8") as table:
        for line in table:
            row = line.rstrip("\n").split("\t")
            if row[0] == "tool":
                command("")["description"] = row[1]
            elif row[0] == "command":
                command(row[1])["description"] = row[2]
            elif row[0] == "footer":
                command(row[1])["footer"] = row[2]
            elif row[0] == "positional":
                command(row[1])["positionals"].append((row[2], row[3] == "1", row[4]))
            elif row[0] == "option":
                command(row[1])["options"].append(Option(*row[2:8]))
            else:
                raise ValueError("unknown row in the option table: %r" % line)
    return [(name, commands[name]) for name in order]


# ---------------------------------------------------------------------------------------
# Manual page (pandoc markdown).

def md(text):
    """Text as itself in pandoc markdown: every ASCII punctuation character escaped."""
    return re.sub(r"([!-/:-@\[-`{-~])", r"\\\1", text)


def sentence(text):
    return text if text.endswith(".") else text + "."


def option_term(option):
    term = ", ".join("**%s**" % md(name) for name in option.names)
    if option.choices:
        term += " " + "\\|".join("**%s**" % md(c) for c in option.choices)
    elif option.value:
        term += " *%s*" % md(option.value)
    notes = []
    if option.required:
        notes.append("required")
    if option.default and option.value:
        notes.append("default " + md(option.default))
    return term + (" (%s)" % "; ".join(notes) if notes else "")


def is_help(option):
    return "--help" in option.names or "--help-all" in option.names


def definition(term, text):
    return "%s\n:   %s\n" % (term, md(sentence(text)))


def man_sections(commands):
    out = ["# COMMANDS\n"]
    tool_options = []
    for name, command in commands:
        if name == "":
            tool_options = command["options"]
            continue
        usage = " ".join(("*%s*" if required else "\\[*%s*\\]") % md(p)
                         for p, required, _ in command["positionals"])
        out.append("## %s\n" % md(name))
        out.append("**qeltool %s** \\[*options*\\] %s\n" % (md(name), usage))
        out.append(md(sentence(command["description"])) + "\n")
        if command["footer"]:
            out.append(md(command["footer"]) + "\n")
        for positional, required, text in command["positionals"]:
            out.append(definition("*%s*" % md(positional), text))
        for option in command["options"]:
            if not is_help(option):
                out.append(definition(option_term(option), option.description))
    out.append("# OPTIONS\n")
    out.append("Without a command (every command takes **\\-h**, **\\-\\-help** as well):\n")
    for option in tool_options:
        out.append(definition(option_term(option), option.description))
    return "\n".join(out)


# ---------------------------------------------------------------------------------------
# Shell completion.

def sh_quote(text):
    return "'" + text.replace("'", "'\\''") + "'"


def bash_words(commands):
    """A case statement: the words for "" (commands), "CMD" (its options) and "CMD OPTION"
    (an option's values: its choices, @file for a file name, @value for anything else)."""
    cases = []
    names = [name for name, _ in commands if name]
    top = [n for name, c in commands if not name for o in c["options"] for n in o.names]
    cases.append(("", " ".join(names + top)))
    for name, command in commands:
        if not name:
            continue
        cases.append((name, " ".join(n for o in command["options"] for n in o.names)))
        for option in command["options"]:
            if not option.value:
                continue
            values = " ".join(option.choices) or ("@file" if option.takes_file() else "@value")
            cases.extend(("%s %s" % (name, n), values) for n in option.names)
    lines = ["_qeltool_words() {", "  case $1 in"]
    lines += ["    %s) REPLY=%s ;;" % (sh_quote(key), sh_quote(words)) for key, words in cases]
    lines += ["    *) REPLY='' ;;", "  esac", "}"]
    return "\n".join(lines)


def zsh_spec(option):
    description = re.sub(r"([\[\]:\\])", r"\\\1", option.description)
    if option.choices:
        action = ":%s:(%s)" % (option.value.lower(), " ".join(option.choices))
    elif option.takes_file():
        action = ":file:_files"
    elif option.value:
        action = ":%s: " % option.value.lower()
    else:
        action = ""
    exclusive = "(%s)" % " ".join(option.names) if len(option.names) > 1 else ""
    return [exclusive + "%s[%s]%s" % (name, description, action) for name in option.names]


def zsh_specs(commands):
    """The function _qeltool_specs: the commands with their descriptions in the array
    qeltool_commands, and for a command in $1 the _arguments specs of its options in the
    array qeltool_specs."""
    lines = ["_qeltool_specs() {", "  qeltool_commands=("]
    lines += ["    %s" % sh_quote("%s:%s" % (name, c["description"].replace(":", "\\:")))
              for name, c in commands if name]
    lines += ["  )", "  case $1 in"]
    for name, command in commands:
        specs = [spec for o in command["options"] for spec in zsh_spec(o)]
        if name:
            specs.append("*:file:_files")
        lines.append("    %s) qeltool_specs=(%s) ;;" % (sh_quote(name), " ".join(sh_quote(s) for s in specs)))
    lines += ["    *) qeltool_specs=() ;;", "  esac", "}"]
    return "\n".join(lines)


GENERATORS = {"man": man_sections, "bash": bash_words, "zsh": zsh_specs}


def main(argv):
    if len(argv) != 4 or argv[0] not in GENERATORS:
        sys.stderr.write("usage: option_pages.py man|bash|zsh TABLE TEMPLATE OUTPUT\n")
        return 2
    kind, table, template, output = argv
    commands = read_table(table)
    with open(template, encoding="utf-8") as f:
        text = f.read()
    if text.count(PLACEHOLDER) != 1:
        sys.stderr.write("option_pages.py: %s must hold %s once\n" % (template, PLACEHOLDER))
        return 1
    with open(output, "w", encoding="utf-8") as f:
        f.write(text.replace(PLACEHOLDER, GENERATORS[kind](commands)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
