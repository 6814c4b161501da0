// Reading and writing the terminal calculator's history file as it grows to its size cap (4 MiB,
// some 200,000 lines): what opening the dialog, Ctrl+Down and closing with Enter pay. Prints a
// Markdown table of the median wall time of five runs of each, and the lines per millisecond,
// which stay level when reading is linear.
// Usage: history_bench [FOLDER]   (a scratch folder, made and removed; the system's temporary one)
#include "console/history_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using numo::console::FileHistory;

namespace {
// The list the calculator's formula field keeps, and a second one, as a real file mixes them.
const char kFormulas[] = "Numo\\Numoline";
const char kOther[] = "Other";

// The most a history file may hold and still be read.
constexpr std::uintmax_t kCapBytes = 4u << 20;

// A history file of `lines` lines (as many as fit under the cap when 0), every tenth a repeat
// of an earlier formula; its number of lines.
int WriteFile(const fs::path& path, int lines) {
    std::string contents;
    for (int i = 0; lines == 0 || i < lines; ++i) {
        int n = i % 10 == 9 ? i / 2 : i;
        std::string line = std::string(i % 7 == 0 ? kOther : "Numo\\\\Numoline") + "\t" +
                           std::to_string(n) + "/a\n";
        if (contents.size() + line.size() > kCapBytes)
            break;
        contents += line;
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
    return static_cast<int>(std::count(contents.begin(), contents.end(), '\n'));
}

template <typename Work> double MedianSeconds(Work work) {
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[2];
}
} // namespace

int main(int argc, char** argv) {
    fs::path folder =
        argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "numo-history-bench";
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::path path = folder / "history";

    std::printf(
        "| History file lines | Size KiB | Entries() ms | Add() ms | lines per ms read |\n");
    std::printf("|---:|---:|---:|---:|---:|\n");
    // 0: as many lines as the size cap allows.
    for (int wanted : {10000, 40000, 0}) {
        int lines = WriteFile(path, wanted);
        std::uintmax_t size = fs::file_size(path);
        FileHistory history(path.string());
        std::size_t shown = 0;
        double read = MedianSeconds([&] { shown = history.Entries(kFormulas).size(); });
        // Each Add rewrites the file; it is put back before each, so that all five do the same,
        // and the time of putting it back is taken off.
        double add = MedianSeconds([&] {
            WriteFile(path, wanted);
            history.Add(kFormulas, "2*(a+1)");
        });
        double rewrite = MedianSeconds([&] { WriteFile(path, wanted); });
        if (shown != FileHistory::kDefaultCap || !history.LastError().empty()) {
            std::fprintf(stderr, "history_bench: %zu entries shown, error '%s'\n", shown,
                         history.LastError().c_str());
            return 1;
        }
        std::printf("| %d%s | %.0f | %.1f | %.1f | %.0f |\n", lines, wanted == 0 ? " (cap)" : "",
                    static_cast<double>(size) / 1024, read * 1e3,
                    std::max(0.0, add - rewrite) * 1e3, lines / (read * 1e3));
    }
    fs::remove_all(folder);
    return 0;
}
