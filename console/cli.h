// The command line of the stand-in host program `numo`.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace numo::console {

// Runs the program: args are the words after the program's name; program is argv[0] (used to
// find the module when the system does not tell where the program lies); input is the file
// descriptor of standard input (read directly, in blocks, by --batch); out is standard output.
// Returns the exit status (ExitStatus in console/exit_status.h); a failure is one line on err.
int RunCli(const std::vector<std::string>& args, const std::string& program, int input,
           std::ostream& out, std::ostream& err);

} // namespace numo::console
