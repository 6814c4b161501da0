// The stand-in host program `numo`: loads the calculator module and runs it from the command line.
#include "console/cli.h"

#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // Lines end in "\n" on every system, also when standard output is a pipe or a file.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return numo::console::RunCli(args, argc > 0 ? argv[0] : "numo", std::cin, std::cout, std::cerr);
}
