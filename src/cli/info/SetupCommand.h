#pragma once
// vantorel-cli setup: the first-run data setup with its progress on the terminal.

#include "cli/Commands.h"

class CAppFolders;

#include <string>
#include <vector>

// setup [--installed DIR] [--again]: prepares the data folder. --again runs it
// even when it has completed before; --installed names the installed data.
int RunSetup(const SCliContext& context, const std::vector<std::string>& args);

// The data folder as the first start of the desktop program leaves it: when
// it has not been set up, runs the setup with its progress on stderr (silent
// with --quiet). False, with the message printed, when the setup failed.
bool EnsureDataSetUp(const SCliContext& context, const CAppFolders& folders);
