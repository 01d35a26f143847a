// vantorel-cli batch: many renderings of template projects from a jobs file.
// The jobs run in worker processes of this program (its own render and export
// commands, see BatchWorkers.h), so that -j N renders N jobs at once, each
// worker reads a template once for all its jobs, and a failing job stops no
// other.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <csignal>

#include "cli/output/BatchJobs.h"
#include "cli/output/BatchWorkers.h"
#include "cli/CliSupport.h"
#include "cli/CommandTable.h"
#include "cli/Commands.h"
#include "cli/NamedChoices.h"
#include "cli/info/SetupCommand.h"


namespace {

constexpr std::uintmax_t kMaxJobsFileSize = 64u << 20;  // bytes

// The signal that asked the batch to stop (SIGINT, SIGTERM, SIGHUP), or 0.
volatile std::sig_atomic_t g_StopSignal = 0;

void OnStopSignal(int signal)
{
    g_StopSignal = signal;
}

// Catches the stop signals without restarting the wait, so that the batch
// wakes up, stops its jobs and cleans up; the old handlers are restored by
// the destructor.
class CStopSignals {
public:
    CStopSignals()
    {
        struct sigaction action {};
        action.sa_handler = &OnStopSignal;
        sigemptyset(&action.sa_mask);
        for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &m_Old[i]);
    }
    ~CStopSignals()
    {
        for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &m_Old[i], nullptr);
    }
    CStopSignals(const CStopSignals&) = delete;
    CStopSignals& operator=(const CStopSignals&) = delete;

private:
    static constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction m_Old[3];
};

std::string OwnProgram()
{
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

// The words of one job for a worker: the render (or export) command with the job's overrides.
// With several workers each render draws on one thread: the workers fill the cores.
std::vector<std::string> JobWords(const SBatchJob& job, bool dryRun, bool force, bool oneThread)
{
    // An output ending in .pdf or .glb is exported (artwork, 3D model) instead of rendered.
    const bool exported = ExportKindOf(job.output) != 0;
    // Jobs running at once must not rewrite the user settings file together (--keep-settings).
    std::vector<std::string> words{exported ? "export" : "render", job.templatePath, "-o", job.output,
                                   "--keep-settings"};
    if (oneThread && !exported) words.insert(words.end(), {"--threads", "1"});
    if (dryRun) words.push_back("--dry-run");
    if (force) words.push_back("--force");
    for (const std::string& s : job.overrides.settings) words.insert(words.end(), {"--set", s});
    for (const auto& [face, file] : job.overrides.pictures) words.insert(words.end(), {"--picture", face + "=" + file});
    for (const auto& [face, data] : job.overrides.barcodes) words.insert(words.end(), {"--barcode", face + "=" + data});
    for (const auto& [name, text] : job.overrides.variables) words.insert(words.end(), {"--var", name + "=" + text});
    return words;
}

// The worker's command line: this program with the batch's global options.
std::vector<std::string> WorkerCommand(const SCliContext& context, const std::string& program)
{
    std::vector<std::string> command{program};
    if (!context.dataDir.empty()) command.insert(command.end(), {"--data-dir", context.dataDir});
    command.push_back("--quiet");
    if (context.assumeYes) command.push_back("--yes");
    return command;
}

// Whether the folder `parent` made for an output lies inside `outDir` once
// symbolic links are followed.
bool InsideFolder(const std::filesystem::path& parent, const std::string& outDir)
{
    std::error_code ec;
    const std::string real = std::filesystem::weakly_canonical(parent, ec).string() + "/";
    const std::string root = std::filesystem::weakly_canonical(outDir, ec).string() + "/";
    return !ec && real.compare(0, root.size(), root) == 0;
}

// Reads the jobs file whole, refusing one larger than kMaxJobsFileSize.
// False after the message.
bool ReadJobsFile(const std::string& jobsFile, std::string& text)
{
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(jobsFile, ec);
    if (ec) {
        PrintError(jobsFile + ": the jobs file can not be read (" + ec.message() + ")");
        return false;
    }
    if (size > kMaxJobsFileSize) {
        PrintError(jobsFile + ": the jobs file is larger than 64 MB");
        return false;
    }
    std::ifstream in(jobsFile, std::ios::binary);
    std::stringstream read;
    read << in.rdbuf();
    if (!in) {
        PrintError(jobsFile + ": the jobs file can not be read");
        return false;
    }
    text = read.str();
    return true;
}

// The jobs of one batch as they run, at most `parallel` at once: which are
// running, how many are done and failed, and the line reported for each.
class CBatchRun {
public:
    CBatchRun(const SCliContext& context, const SArgs& a, const std::string& jobsFile, std::vector<SBatchJob> jobs,
              SBatchOutputs outputs)
        : m_context(context), m_jobsFile(jobsFile), m_jobs(std::move(jobs)), m_outputs(std::move(outputs)),
          m_dryRun(a.Has("--dry-run")), m_json(a.Has("--json")), m_force(a.Has("--force"))
    {
    }

    // Runs every job, or until a stop signal; the exit code.
    int Run(const std::string& program, int parallel)
    {
        m_parallel = parallel;
        const auto batchStart = std::chrono::steady_clock::now();
        const CStopSignals stopSignals;
        CBatchWorkers workers(WorkerCommand(m_context, program), parallel);
        while (m_done < m_jobs.size() && g_StopSignal == 0) {
            StartJobs(workers);
            if (workers.Busy() == 0) continue;
            if (const std::optional<SBatchJobEnd> end = workers.WaitForOne())
                Report(end->job, end->ok, end->why, end->seconds);
        }
        if (g_StopSignal != 0) {
            workers.Stop();
            return Stop();
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - batchStart).count();
        if (!m_context.quiet && !m_json)
            std::printf("%zu of %zu jobs %s, %zu failed, %.2f s (%.2f jobs/s)\n", m_jobs.size() - m_failed,
                        m_jobs.size(), m_dryRun ? "checked" : "done", m_failed, seconds,
                        seconds > 0 ? static_cast<double>(m_jobs.size()) / seconds : 0.0);
        return m_failed == 0 ? kExitOk : kExitFailed;
    }

private:
    // Hands jobs to the workers until each has one. Each job's folder is made
    // first, so that a job fails only for its own reasons.
    void StartJobs(CBatchWorkers& workers)
    {
        while (m_next < m_jobs.size() && workers.HasRoom() && g_StopSignal == 0) {
            const std::size_t job = m_next++;
            if (!m_jobs[job].refusal.empty()) {
                Report(job, false, m_jobs[job].refusal, 0);
                continue;
            }
            const std::filesystem::path parent = std::filesystem::path(m_jobs[job].output).parent_path();
            if (!m_outputs.allowOutside && !InsideFolder(parent, m_outputs.folder)) {
                Report(job, false, "the output's folder leads out of the output folder (--allow-outside lets it)", 0);
                continue;
            }
            std::error_code ec;
            if (!parent.empty() && !m_dryRun) std::filesystem::create_directories(parent, ec);
            if (!workers.Start(job, JobWords(m_jobs[job], m_dryRun, m_force, m_parallel > 1)))
                Report(job, false, "the job could not be started", 0);
        }
    }

    void Report(std::size_t job, bool ok, const std::string& why, double seconds)
    {
        ++m_done;
        if (!ok) ++m_failed;
        const SBatchJob& j = m_jobs[job];
        if (m_json) {
            std::printf("{\"job\": %zu, \"line\": %d, \"output\": %s, \"ok\": %s, \"seconds\": %.2f, \"error\": %s}\n",
                        job + 1, j.line, JsonString(j.output).c_str(), ok ? "true" : "false", seconds,
                        JsonString(why).c_str());
        } else {
            std::printf("[%zu/%zu] %s %s (%.2f s)\n", m_done, m_jobs.size(), ok ? (m_dryRun ? "ok" : "done") : "FAILED",
                        Printable(j.output).c_str(), seconds);
        }
        std::fflush(stdout);
        if (!ok) PrintError(m_jobsFile + ":" + std::to_string(j.line) + ": " + j.output + ": " + why);
    }

    // After a stop signal: stops the running jobs; the exit code 128 + signal.
    int Stop()
    {
        const int signal = g_StopSignal;
        PrintError("the batch was stopped by signal " + std::to_string(signal) + " after " + std::to_string(m_done) +
                   " of " + std::to_string(m_jobs.size()) + " jobs");
        g_StopSignal = 0;
        return 128 + signal;
    }

    const SCliContext& m_context;
    const std::string& m_jobsFile;
    std::vector<SBatchJob> m_jobs;
    SBatchOutputs m_outputs;
    const bool m_dryRun, m_json, m_force;
    std::size_t m_next = 0, m_done = 0, m_failed = 0;
    int m_parallel = 1;
};

}  // namespace

int RunBatch(const SCliContext& context, const std::vector<std::string>& args)
{
    const SArgs a = ParseArgs(args, "batch");
    if (!a.error.empty() || a.positional.size() != 1) {
        PrintError(a.error.empty() ? CommandUsageLine("batch") : a.error);
        return kExitUsage;
    }
    int parallel = 1;
    if (const std::string* j = a.Get("--jobs"); j && !ParseInt(*j, "Jobs", 1, 64, parallel))
        return kExitUsage;
    const std::string& jobsFile = a.positional[0];
    std::string text;
    if (!ReadJobsFile(jobsFile, text)) return kExitFailed;
    std::string folder = std::filesystem::path(AbsolutePath(jobsFile)).parent_path().string();
    if (!folder.empty() && folder.back() != '/') folder += '/';
    const std::string defaultTemplate = a.Get("--template") ? AbsolutePath(*a.Get("--template")) : std::string();
    SBatchOutputs outputs;
    outputs.folder = a.Get("--out-dir") ? AbsolutePath(*a.Get("--out-dir")) : folder;
    if (!outputs.folder.empty() && outputs.folder.back() != '/') outputs.folder += '/';
    outputs.allowOutside = a.Has("--allow-outside");
    std::vector<SBatchJob> jobs;
    std::string error;
    if (!ParseBatchJobs(text, folder, defaultTemplate, jobs, error, outputs)) {
        PrintError(jobsFile + ": " + error);
        return kExitFailed;
    }
    // A fresh data folder is set up once here, not by every job at the same time.
    std::optional<CAppFolders> folders = OpenFolders(context);
    if (!folders) return kExitFailed;
    const std::string program = OwnProgram();
    if (program.empty()) {
        PrintError("the program's own file can not be found to start the jobs");
        return kExitFailed;
    }
    return CBatchRun(context, a, jobsFile, std::move(jobs), std::move(outputs)).Run(program, parallel);
}
