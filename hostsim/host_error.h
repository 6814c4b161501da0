// The one error type of the host simulation: a sentence that names the file or thing at fault
// (the module, its language or help file), ready to be shown to the user as it stands. The
// program exits 3 on it: the module or the files beside it are at fault.
#pragma once

#include <stdexcept>
#include <string>

namespace numo::hostsim {

class HostError : public std::runtime_error {
public:
    explicit HostError(const std::string& what) : std::runtime_error(what) {}
};

} // namespace numo::hostsim
