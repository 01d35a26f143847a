// Time and peak memory of refusing each hostile file of the test corpus.
//
// Every file is opened in a child process of its own, the way the user opens
// it (pictures through the picture loader from a file, projects through the
// project reader), so that the child's peak resident size (getrusage of the
// waited child) is the cost of that one file. Prints one line per file and a
// summary per class of attack.
//
// Usage: bench_hostile_files [--limit-gb N]   (address-space cap per child, 0: none)

#include "HostileCorpus.h"

#include "app/project/ProjectFile.h"
#include "app/undo/UndoStore.h"
#include "app/VtwinDoc.h"
#include "image/picture/PictureLoader.h"
#include "image/Raster.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

struct SEntry {
    std::string kind;
    std::string name;
    std::vector<std::uint8_t> bytes;
    bool project = false;
};

struct SResult {
    double seconds = 0;
    double peakMb = 0;
    bool refused = false;
    std::string message;
};

// In the child: opens the entry and writes "refused<TAB>seconds<TAB>message" to `fd`.
void RunChild(const SEntry& e, const std::string& path, int fd)
{
    const auto start = std::chrono::steady_clock::now();
    std::string message;
    bool refused = false;
    if (e.project) {
        CUndoStore undo;
        CVtwinDoc doc(nullptr, &undo);
        CDocContent content;
        refused = !CProjectFile::Read(doc, e.bytes.data(), e.bytes.size(), content, message);
    } else {
        refused = LoadPicture(path, message) == nullptr;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::string line = std::string(refused ? "1" : "0") + "\t" + std::to_string(seconds) + "\t" + message;
    if (write(fd, line.data(), line.size()) < 0) {
        std::_Exit(3);
    }
}

SResult Measure(const SEntry& e, const std::string& folder, long limitGb)
{
    const std::string path = folder + "/hostile.bin";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(e.bytes.data()), static_cast<std::streamsize>(e.bytes.size()));
    }
    int fds[2];
    if (pipe(fds) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        if (limitGb > 0) {
            const rlim_t bytes = static_cast<rlim_t>(limitGb) << 30;
            const rlimit cap{bytes, bytes};
            setrlimit(RLIMIT_AS, &cap);
        }
        alarm(120); // a decoder that hangs is reported as killed
        RunChild(e, path, fds[1]);
        close(fds[1]);
        std::_Exit(0);
    }
    close(fds[1]);
    std::string text;
    char buffer[512];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof(buffer))) > 0) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    SResult r;
    r.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    const std::size_t tab1 = text.find('\t');
    const std::size_t tab2 = tab1 == std::string::npos ? tab1 : text.find('\t', tab1 + 1);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || tab2 == std::string::npos) {
        r.message = WIFSIGNALED(status) ? std::string("killed by signal ") + std::to_string(WTERMSIG(status))
                                        : "child failed";
        return r;
    }
    r.refused = text[0] == '1';
    r.seconds = std::atof(text.substr(tab1 + 1, tab2 - tab1 - 1).c_str());
    r.message = text.substr(tab2 + 1);
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    long limitGb = 0;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--limit-gb") == 0) {
            limitGb = std::atol(argv[i + 1]);
        }
    }
    std::vector<SEntry> entries;
    for (auto& f : hostile::HostilePictures()) {
        entries.push_back({f.kind, f.name, std::move(f.bytes), false});
    }
    for (auto& p : hostile::HostileProjects()) {
        entries.push_back({p.kind, p.name, std::move(p.bytes), true});
    }
    char pattern[] = "/tmp/vt_hostile_XXXXXX";
    const char* folder = mkdtemp(pattern);
    if (folder == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    struct SWorst {
        double seconds = 0;
        double peakMb = 0;
        int files = 0;
        int accepted = 0;
    };
    std::map<std::string, SWorst> worst;
    std::printf("%-16s %-52s %6s %8s %9s  %s\n", "class", "file", "bytes", "seconds", "peak MB", "message");
    for (const SEntry& e : entries) {
        const SResult r = Measure(e, folder, limitGb);
        std::printf("%-16s %-52s %6zu %8.3f %9.1f  %s%.90s\n", e.kind.c_str(), e.name.c_str(), e.bytes.size(),
                    r.seconds, r.peakMb, r.refused ? "" : "ACCEPTED: ", r.message.c_str());
        std::fflush(stdout);
        SWorst& w = worst[e.kind];
        w.seconds = std::max(w.seconds, r.seconds);
        w.peakMb = std::max(w.peakMb, r.peakMb);
        ++w.files;
        w.accepted += r.refused ? 0 : 1;
    }
    std::remove((std::string(folder) + "/hostile.bin").c_str());
    rmdir(folder);
    std::printf("\n%-16s %6s %12s %12s %9s\n", "class", "files", "max seconds", "max peak MB", "accepted");
    for (const auto& [kind, w] : worst) {
        std::printf("%-16s %6d %12.3f %12.1f %9d\n", kind.c_str(), w.files, w.seconds, w.peakMb, w.accepted);
    }
    return 0;
}
