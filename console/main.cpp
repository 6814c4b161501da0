// The stand-in host program `numo`: loads the calculator module and runs it from the command line.
//
// Errors, one way through console/ and hostsim/: a failure is an exception derived from
// std::runtime_error whose what() is one sentence for the user, naming the file or thing at
// fault. hostsim/ throws HostError (the module or a file beside it is at fault); the program
// throws Failure, which carries its exit status (console/exit_status.h). RunCli alone catches
// them, writes "numo: <sentence>" as one line on standard error and returns the status. Nothing
// is thrown through the module: code that runs inside its calls (the front ends) keeps a failure
// and raises it again once the module has returned. A failure that does not end the program is
// caught where it is reported: the history file keeps the reason (FileHistory::LastError), the
// help window shows it. No status codes or error out-parameters in this program; those are the
// module's way, not the host's.
#include "console/cli.h"

#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
    // The user's locale for the whole process, once, as the host does at start-up: the module
    // runs in it (so it must read its numbers with '.' whatever the locale says), the host's
    // sprintf prints results with its decimal mark ("25,000" in a Russian locale; LC_ALL=C gives
    // '.'), and the terminal shows text in its character set. Nothing else sets it.
    if (std::setlocale(LC_ALL, "") == nullptr) {
        // One category names a locale the system lacks (LANG=en_GB.UTF-8 where only C.UTF-8 is
        // there): the C library then sets none. Each category that can be set still is.
        for (int category : {LC_CTYPE, LC_NUMERIC, LC_TIME, LC_COLLATE, LC_MONETARY})
            std::setlocale(category, "");
#ifdef LC_MESSAGES
        std::setlocale(LC_MESSAGES, "");
#endif
    }
#ifdef _WIN32
    // Lines end in "\n" on every system, also when standard output is a pipe or a file.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    // Nothing here writes through C's stdio: the streams need not keep in step with it, and each
    // `<<` of a batch's blocks no longer goes through a stdio call of its own.
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return numo::console::RunCli(args, argc > 0 ? argv[0] : "numo", std::cin, std::cout, std::cerr);
}
