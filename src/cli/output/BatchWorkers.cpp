#include "cli/output/BatchWorkers.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

bool WriteAll(int fd, const std::string& bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void CloseFd(int& fd)
{
    if (fd >= 0) close(fd);
    fd = -1;
}

std::string WhyItEnded(int status)
{
    return WIFSIGNALED(status) ? "the job was stopped by signal " + std::to_string(WTERMSIG(status))
                               : "the job failed without a message";
}

}  // namespace

CBatchWorkers::CBatchWorkers(std::vector<std::string> command, int count)
    : m_command(std::move(command)), m_count(static_cast<std::size_t>(std::max(count, 1)))
{
    // A worker that ends while a job is written to it must not end the batch.
    m_oldPipeHandler = std::signal(SIGPIPE, SIG_IGN);
}

CBatchWorkers::~CBatchWorkers()
{
    CloseAll(false);
    std::signal(SIGPIPE, m_oldPipeHandler);
}

bool CBatchWorkers::HasRoom() const noexcept
{
    return Busy() < m_count;
}

std::size_t CBatchWorkers::Busy() const noexcept
{
    return static_cast<std::size_t>(
        std::count_if(m_workers.begin(), m_workers.end(), [](const SWorker& w) { return w.job.has_value(); }));
}

bool CBatchWorkers::Launch(SWorker& worker)
{
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0) return false;
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], 3);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    std::vector<std::string> words = m_command;
    words.insert(words.begin() + 1, kBatchWorkerArg);
    std::vector<char*> argv;
    for (std::string& s : words) argv.push_back(s.data());
    argv.push_back(nullptr);
    const int rc = posix_spawn(&worker.pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    if (rc != 0) {
        close(in[1]);
        close(out[0]);
        return false;
    }
    worker.jobs = in[1];
    worker.answers = out[0];
    return true;
}

bool CBatchWorkers::Start(std::size_t job, const std::vector<std::string>& words)
{
    auto idle = std::find_if(m_workers.begin(), m_workers.end(), [](const SWorker& w) { return !w.job; });
    if (idle == m_workers.end()) {
        if (m_workers.size() >= m_count) return false;
        SWorker worker;
        if (!Launch(worker)) return false;
        m_workers.push_back(std::move(worker));
        idle = m_workers.end() - 1;
    }
    // The job: the number of words on a line, then each word ended by a NUL.
    std::string message = std::to_string(words.size()) + "\n";
    for (const std::string& w : words) message.append(w).push_back('\0');
    if (!WriteAll(idle->jobs, message)) {
        Bury(static_cast<std::size_t>(idle - m_workers.begin()));
        return false;
    }
    idle->job = job;
    idle->started = std::chrono::steady_clock::now();
    return true;
}

std::optional<SBatchJobEnd> CBatchWorkers::WaitForOne()
{
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<std::size_t> which;
        for (std::size_t i = 0; i < m_workers.size(); ++i)
            if (m_workers[i].job) {
                fds.push_back({m_workers[i].answers, POLLIN, 0});
                which.push_back(i);
            }
        if (fds.empty()) return std::nullopt;
        if (poll(fds.data(), fds.size(), -1) < 0) return std::nullopt;  // a signal: the caller looks why
        for (std::size_t k = 0; k < fds.size(); ++k) {
            if (fds[k].revents == 0) continue;
            SWorker& w = m_workers[which[k]];
            char buffer[4096];
            const ssize_t n = read(w.answers, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) return std::nullopt;
            if (n <= 0) return Bury(which[k]);
            w.read.append(buffer, static_cast<std::size_t>(n));
            const std::size_t end = w.read.find('\n');
            if (end == std::string::npos) continue;
            // "CODE<TAB>LAST ERROR LINE"
            const std::string line = w.read.substr(0, end);
            w.read.erase(0, end + 1);
            const std::size_t tab = line.find('\t');
            SBatchJobEnd done;
            done.job = *w.job;
            done.ok = std::atoi(line.c_str()) == 0;
            done.why = tab == std::string::npos ? std::string() : line.substr(tab + 1);
            done.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - w.started).count();
            if (!done.ok && done.why.empty()) done.why = "the job failed without a message";
            w.job.reset();
            return done;
        }
    }
}

std::optional<SBatchJobEnd> CBatchWorkers::Bury(std::size_t index)
{
    SWorker w = std::move(m_workers[index]);
    m_workers.erase(m_workers.begin() + static_cast<std::ptrdiff_t>(index));
    CloseFd(w.jobs);
    CloseFd(w.answers);
    int status = 0;
    while (waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!w.job) return std::nullopt;
    SBatchJobEnd done;
    done.job = *w.job;
    done.why = WhyItEnded(status);
    done.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - w.started).count();
    return done;
}

void CBatchWorkers::Stop()
{
    for (const SWorker& w : m_workers) kill(w.pid, SIGINT);
    CloseAll(true);
}

void CBatchWorkers::CloseAll(bool kill)
{
    for (SWorker& w : m_workers) CloseFd(w.jobs);  // a worker ends when its jobs end
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (SWorker& w : m_workers) {
        int status = 0;
        while (kill && waitpid(w.pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) ::kill(w.pid, SIGKILL);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!kill)
            while (waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
            }
        CloseFd(w.answers);
    }
    m_workers.clear();
}
