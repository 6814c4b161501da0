// The input of the whole-process comparison: generated formulas of one exact length (the ones
// of the growth benchmark, bench/corpus.cpp), one a line, in numo's or in muParser's spelling.
// Usage: batch_lines LENGTH COUNT numo|muparser
#include "bench/corpus.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    std::string side = argc == 4 ? argv[3] : "";
    long length = argc == 4 ? std::strtol(argv[1], nullptr, 10) : 0;
    long count = argc == 4 ? std::strtol(argv[2], nullptr, 10) : 0;
    if (length < 8 || length > 511 || count < 1 || (side != "numo" && side != "muparser")) {
        std::fprintf(stderr, "usage: batch_lines LENGTH(8..511) COUNT numo|muparser\n");
        return 2;
    }
    std::vector<FormulaPair> formulas = GenerateFormulas(
        static_cast<std::size_t>(length), static_cast<int>(count), static_cast<unsigned>(length));
    for (const FormulaPair& f : formulas)
        std::printf("%s\n", (side == "numo" ? f.numo : f.muparser).c_str());
    return std::fflush(stdout) != 0 ? 1 : 0;
}
