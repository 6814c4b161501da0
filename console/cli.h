// The command line of the stand-in host program `numo`.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace numo::console {

// The most decimals `numo eval -d` accepts. It must match the module's own upper bound on the
// decimals of the result (grey plus stops there): the host cannot read the module's count, and a
// larger value here would print fewer decimals than asked for. A result that shows another
// number of decimals than asked for is reported as an error all the same.
constexpr int kMaxDecimals = 200;
// The decimals the calculator opens with; `-d` presses grey plus or minus from here.
constexpr int kOpeningDecimals = 3;
// The language the host runs in: the module's language file is chosen by it.
constexpr const char* kHostLanguage = "English";

// Runs the program: args are the words after the program's name; program is argv[0] (used to
// find the module when the system does not tell where the program lies). Returns the exit
// status: 0 success (a result), 1 a formula that shows a message, 2 a usage or setup error.
int RunCli(const std::vector<std::string>& args, const std::string& program, std::istream& in,
           std::ostream& out, std::ostream& err);

} // namespace numo::console
