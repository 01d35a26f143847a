#pragma once
// vantorel-cli setup: the first-run data setup with its progress on the terminal.

#include "cli/Commands.h"

#include <string>
#include <vector>

// setup [--installed DIR] [--again]: prepares the data folder. --again runs it
// even when it has completed before; --installed names the installed data.
int RunSetup(const SCliContext& context, const std::vector<std::string>& args);
