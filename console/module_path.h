// Where the program `numo` looks for the calculator module when no --module names one.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace numo::console {

// The places to look, in order: beside the program (a build tree, or the Windows plug-in
// folder), then the installed tree's module folder, found from the program's real path by the
// relative path the build worked out from the install folders. program is argv[0], used when
// the system does not tell where the running program lies.
std::vector<std::filesystem::path> ModuleCandidates(const std::string& program);

// The first of the candidates that exists, or "" when none does.
std::filesystem::path FindModule(const std::vector<std::filesystem::path>& candidates);

} // namespace numo::console
