// The one error type of the stand-in host: a sentence that names the file or thing at fault,
// ready to be shown to the user as it stands.
#pragma once

#include <stdexcept>
#include <string>

namespace numo::console {

class HostError : public std::runtime_error {
public:
    explicit HostError(const std::string& what) : std::runtime_error(what) {}
};

} // namespace numo::console
