#pragma once
// The commands of vantorel-cli with their options: the one table that the
// parser, `--help`, `COMMAND --help` and the check of the manual page read.
// Adding an option is adding a row to the command's list in CommandTable.cpp
// (and a line to docs/vantorel-cli.1, which the cli.options test compares).

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Commands.h"

struct SCliOption {
    const char* name;   // "--size"
    const char* alias;  // a short form ("-j") or null
    const char* value;  // the value's placeholder ("WxH"), null for a switch
    const char* help;   // one line
};

using CliRunner = int (*)(const SCliContext&, const std::vector<std::string>&);

struct SCliCommand {
    const char* name;
    const char* usage;    // the words after the command's name
    const char* summary;  // one line
    std::vector<SCliOption> options;
    CliRunner run;
};

// Every command, in the order --help lists them.
const std::vector<SCliCommand>& GetCliCommands();
const SCliCommand* FindCliCommand(std::string_view name);

// --data-dir, --quiet, --yes: taken before or after the command's name.
const std::vector<SCliOption>& GetGlobalOptions();

// The option of `command` (or a global one) called `word` by name or alias; null when none.
const SCliOption* FindCliOption(const SCliCommand* command, std::string_view word);

void PrintUsage(std::FILE* out);
void PrintCommandHelp(std::FILE* out, const SCliCommand& command);
// "usage: vantorel-cli NAME USAGE (vantorel-cli NAME --help lists the options)"
std::string CommandUsageLine(std::string_view name);
