#pragma once
// The commands of vantorel-cli. Each returns the process exit code: 0 done,
// 1 the command failed (message on stderr), 2 the command line was wrong.

#include <string>
#include <vector>

struct SCliContext {
    std::string dataDir;  // --data-dir, empty for the default data root
    bool quiet = false;   // --quiet: no progress bar
    bool assumeYes = false;
};

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int RunNew(const SCliContext& context, const std::vector<std::string>& args);
int RunRender(const SCliContext& context, const std::vector<std::string>& args);
int RunInfo(const SCliContext& context, const std::vector<std::string>& args);
int RunSet(const SCliContext& context, const std::vector<std::string>& args);
int RunDemo(const SCliContext& context, const std::vector<std::string>& args);

// Prints "vantorel-cli: " + message on stderr.
void PrintError(const std::string& message);
