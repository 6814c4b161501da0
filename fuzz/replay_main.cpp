// Replays stored inputs through a fuzz target without libFuzzer: the target's properties are
// checked by the target itself, so a broken one aborts this program. Usage:
//   replay DIR_OR_FILE...
// Every regular file of each folder runs once (in name order, dot files skipped); a folder that
// does not exist counts as empty. Fails when nothing at all was replayed.
#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {
namespace fs = std::filesystem;

char gCurrent[4096]; // the input running now, for the crash note

// Names the input that was running when the target aborted or crashed; only
// async-signal-safe calls here.
void OnCrash(int signal) {
    static const char kNote[] = "\nreplay: crashed on ";
    (void)!write(STDERR_FILENO, kNote, sizeof kNote - 1);
    (void)!write(STDERR_FILENO, gCurrent, std::strlen(gCurrent));
    (void)!write(STDERR_FILENO, "\n", 1);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::vector<fs::path> Inputs(const fs::path& place) {
    std::vector<fs::path> files;
    std::error_code ec;
    if (fs::is_regular_file(place, ec)) {
        files.push_back(place);
        return files;
    }
    for (fs::directory_iterator it(place, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec) && it->path().filename().string()[0] != '.')
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}
} // namespace

int main(int argc, char** argv) {
    for (int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL})
        std::signal(signal, OnCrash);
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<fs::path> files = Inputs(argv[i]);
        for (const fs::path& file : files) {
            std::ifstream stream(file, std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(stream)),
                              std::istreambuf_iterator<char>());
            if (!stream.good() && !stream.eof()) {
                std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
                return 1;
            }
            std::snprintf(gCurrent, sizeof gCurrent, "%s", file.c_str());
            // A block of exactly the input's size, as libFuzzer hands it over, so that a read
            // past its end is caught by AddressSanitizer here too.
            std::unique_ptr<std::uint8_t[]> input(new std::uint8_t[bytes.size()]);
            std::memcpy(input.get(), bytes.data(), bytes.size());
            LLVMFuzzerTestOneInput(input.get(), bytes.size());
            ++replayed;
        }
        std::printf("replay: %zu inputs from %s\n", files.size(), argv[i]);
    }
    if (replayed == 0) {
        std::fprintf(stderr, "replay: no input found\n");
        return 1;
    }
    std::printf("replay: %d inputs, no property broken\n", replayed);
    return 0;
}
