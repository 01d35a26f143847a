#pragma once
// The worker processes of a batch. Each worker is this program started once
// with kBatchWorkerArg; it reads jobs (a command's words: render or export
// and its options) from its standard input one after another and answers each
// on descriptor 3 with its exit code and the last line it wrote on standard
// error. A worker keeps the templates it has read (CTemplateCache), so the
// jobs of one template read and decode the project once per worker, and a
// job that crashes its worker fails alone: the batch starts another.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

struct SCliContext;

inline constexpr const char* kBatchWorkerArg = "--batch-worker";

// The worker's side: runs jobs until its standard input ends. The exit code.
int RunBatchWorker(const SCliContext& context);

// How one job ended.
struct SBatchJobEnd {
    std::size_t job = 0;
    bool ok = false;
    std::string why;  // the job's last error line, or why its worker ended
    double seconds = 0;
};

class CBatchWorkers {
public:
    // `command`: the program and its global options (the worker's command line
    // without kBatchWorkerArg); at most `count` workers run.
    CBatchWorkers(std::vector<std::string> command, int count);
    ~CBatchWorkers();
    CBatchWorkers(const CBatchWorkers&) = delete;
    CBatchWorkers& operator=(const CBatchWorkers&) = delete;

    // Whether a job could be handed over now.
    bool HasRoom() const noexcept;
    std::size_t Busy() const noexcept;
    // Hands job `job` to an idle worker, starting one when needed; false when
    // no worker could be started or take it.
    bool Start(std::size_t job, const std::vector<std::string>& words);
    // Waits for the next job to end; nothing when a signal broke the wait.
    std::optional<SBatchJobEnd> WaitForOne();
    // Stops every worker: asked to cancel (as Ctrl+C does), killed after 3 s.
    void Stop();

private:
    struct SWorker {
        pid_t pid = 0;
        int jobs = -1;     // write end of the worker's standard input
        int answers = -1;  // read end of its descriptor 3
        std::string read;  // answer bytes not yet a whole line
        std::optional<std::size_t> job;
        std::chrono::steady_clock::time_point started;
    };
    bool Launch(SWorker& worker);
    // The worker ended (its answers closed): reaps it; the end of its job, if it had one.
    std::optional<SBatchJobEnd> Bury(std::size_t index);
    void CloseAll(bool kill);

    std::vector<std::string> m_command;
    std::size_t m_count;
    std::vector<SWorker> m_workers;
    void (*m_oldPipeHandler)(int) = nullptr;
};
