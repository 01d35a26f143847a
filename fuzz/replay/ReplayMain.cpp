// Runs a fuzz target's entry point over saved inputs, without libFuzzer: every
// file named on the command line, and every file in every folder named there.
// The normal build uses it to replay each target's seed corpus, so a fault
// that was found and fixed (its input is kept as a seed) cannot come back.
// Exit status 0 when every input ran; a fault aborts as it would under the fuzzer.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool RunFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "%s\n", path.c_str()); // the last name printed is the input that failed
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::size_t inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        std::error_code ec;
        if (std::filesystem::is_directory(arg, ec)) {
            std::vector<std::filesystem::path> files;
            for (const auto& entry : std::filesystem::directory_iterator(arg, ec))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            for (const auto& file : files) {
                if (!RunFile(file))
                    return 1;
                ++inputs;
            }
        } else {
            if (!RunFile(arg))
                return 1;
            ++inputs;
        }
    }
    std::printf("%zu inputs replayed\n", inputs);
    // A target without seeds replays nothing and protects nothing.
    return inputs > 0 ? 0 : 1;
}
