// The exit statuses of `numo` and the error that ends a command with one of them.
#pragma once

#include <stdexcept>
#include <string>

namespace numo::console {

// What `numo` exits with. Scripts rely on these numbers: never change one, only add.
enum ExitStatus : int {
    kExitResult = 0,
    kExitMessage = 1,
    kExitUsage = 2,
    kExitModule = 3,
    kExitOutput = 4,
    kExitBadLine = 5,
    kExitInput = 6,
};

// The status line of a --batch block for a line that could not be typed: no message of the
// module's (0 to 33) ever has it.
inline constexpr int kUnusableLine = -1;

// The table `numo --help` prints (the README shows the same).
struct ExitStatusRow {
    ExitStatus status;
    const char* meaning; // lines after the first indented to stand under the first
};
inline constexpr ExitStatusRow kExitStatuses[] = {
    {kExitResult, "a result"},
    {kExitMessage, "the calculator shows one of its messages (--batch: for any line)"},
    {kExitUsage, "a usage error: bad arguments, a file named on the command line that does not\n"
                 "     exist, no terminal that can run the calculator"},
    {kExitModule, "the module or the files beside it are unusable or misbehave: not a loadable\n"
                  "     module, missing entry points, no dialog opened, a missing or malformed\n"
                  "     language or help file, decimals not as set"},
    {kExitOutput, "writing the output failed"},
    {kExitBadLine, "--batch: a line could not be typed (longer than the field, a NUL byte); its\n"
                   "     block says why, with status: -1, and the lines after it go on"},
    {kExitInput, "reading standard input failed (closed, a folder, a read error)"},
};

// How the statuses of a batch's lines make the batch's: printed under the table.
inline constexpr const char* kBatchStatusOrder =
    "A batch exits with the worst of its lines: 5 over 1 over 0; a failure that ends it\n"
    "(2, 3, 4, 6) wins over them.";

// A failure that ends the command: what() is one sentence for the user, naming what is at fault.
class Failure : public std::runtime_error {
public:
    Failure(ExitStatus status, const std::string& what)
        : std::runtime_error(what), status_(status) {}
    ExitStatus Status() const { return status_; }

private:
    ExitStatus status_;
};

} // namespace numo::console
