// The command line of the stand-in host program `numo`.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace numo::console {

// The language the host runs in: the module's language file is chosen by it.
constexpr const char* kHostLanguage = "English";

// Runs the program: args are the words after the program's name; program is argv[0] (used to
// find the module when the system does not tell where the program lies). Returns the exit
// status: 0 success (a result), 1 a formula that shows a message, 2 a usage or setup error.
int RunCli(const std::vector<std::string>& args, const std::string& program, std::istream& in,
           std::ostream& out, std::ostream& err);

} // namespace numo::console
