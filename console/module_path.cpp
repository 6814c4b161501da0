#include "console/module_path.h"

#include "hostsim/module_loader.h"

#include <system_error>

namespace numo::console {

std::vector<std::filesystem::path> ModuleCandidates(const std::string& program) {
    std::filesystem::path self = hostsim::ExecutablePath();
    if (self.empty())
        self = program;
    // A link to the program (a bin folder elsewhere on PATH) leads to where it really lies.
    std::error_code error;
    std::filesystem::path real = std::filesystem::weakly_canonical(self, error);
    if (!error)
        self = real;
    std::filesystem::path folder = self.parent_path();
    std::vector<std::filesystem::path> candidates{folder / hostsim::DefaultModuleFileName()};
#ifdef NUMO_MODULE_FROM_BINDIR
    candidates.push_back(
        (folder / NUMO_MODULE_FROM_BINDIR / hostsim::DefaultModuleFileName()).lexically_normal());
#endif
    return candidates;
}

std::filesystem::path FindModule(const std::vector<std::filesystem::path>& candidates) {
    for (const std::filesystem::path& candidate : candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate;
    }
    return {};
}

} // namespace numo::console
