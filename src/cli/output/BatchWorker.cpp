// The worker's side of a batch (see BatchWorkers.h).
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "cli/CliSupport.h"
#include "cli/CommandTable.h"
#include "cli/Commands.h"
#include "cli/output/BatchWorkers.h"
#include "cli/output/TemplateCache.h"

namespace {

// The next job from standard input: its number of words on a line, then the
// words, each ended by a NUL. False at the end of the input.
bool ReadJob(std::FILE* in, std::vector<std::string>& words)
{
    char* line = nullptr;
    std::size_t capacity = 0;
    words.clear();
    bool ok = getline(&line, &capacity, in) > 0;
    const long count = ok ? std::strtol(line, nullptr, 10) : 0;
    ok = ok && count > 0 && count < 100000;
    for (long i = 0; ok && i < count; ++i) {
        const ssize_t n = getdelim(&line, &capacity, '\0', in);
        ok = n > 0;
        if (ok) words.emplace_back(line, static_cast<std::size_t>(n - 1));
    }
    std::free(line);
    return ok;
}

// While it lives, what the job writes on standard error goes to a temporary
// file (removed at once, so that nothing is left if the worker is killed);
// LastLine() tells its last line without the program's prefix.
class CErrorCapture {
public:
    CErrorCapture()
    {
        std::fflush(stderr);
        char name[] = "/tmp/vantorel-batch-XXXXXX";
        m_fd = mkstemp(name);
        if (m_fd < 0) return;
        unlink(name);
        m_saved = dup(STDERR_FILENO);
        if (m_saved >= 0) dup2(m_fd, STDERR_FILENO);
    }
    ~CErrorCapture()
    {
        Restore();
        if (m_fd >= 0) close(m_fd);
    }
    CErrorCapture(const CErrorCapture&) = delete;
    CErrorCapture& operator=(const CErrorCapture&) = delete;

    std::string LastLine()
    {
        Restore();
        std::string text;
        char buffer[4096];
        if (m_fd >= 0 && lseek(m_fd, 0, SEEK_SET) == 0)
            for (ssize_t n; (n = read(m_fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
        std::istringstream in(text);
        std::string line, last;
        while (std::getline(in, line))
            if (!line.empty()) last = line;
        const std::string prefix = "vantorel-cli: ";
        if (last.rfind(prefix, 0) == 0) last = last.substr(prefix.size());
        for (char& c : last)
            if (c == '\t' || c == '\r') c = ' ';
        return last;
    }

private:
    void Restore()
    {
        std::fflush(stderr);
        if (m_saved >= 0) {
            dup2(m_saved, STDERR_FILENO);
            close(m_saved);
            m_saved = -1;
        }
    }

    int m_fd = -1;
    int m_saved = -1;
};

}  // namespace

int RunBatchWorker(const SCliContext& context)
{
    CTemplateCache templates;
    SCliContext own = context;
    own.templates = &templates;
    std::vector<std::string> words;
    while (ReadJob(stdin, words)) {
        const SCliCommand* command = FindCliCommand(words[0]);
        int code = kExitUsage;
        std::string why;
        {
            CErrorCapture capture;
            if (command && (words[0] == "render" || words[0] == "export"))
                code = command->run(own, std::vector<std::string>(words.begin() + 1, words.end()));
            else
                PrintError("a batch job is a render or an export, not \"" + words[0] + "\"");
            why = capture.LastLine();
        }
        own.foldersSwept = true;
        const std::string answer = std::to_string(code) + "\t" + why + "\n";
        if (write(3, answer.data(), answer.size()) != static_cast<ssize_t>(answer.size())) return kExitFailed;
    }
    return kExitOk;
}
