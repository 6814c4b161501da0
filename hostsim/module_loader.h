// Loading a plug-in module and finding its three entry points by their plain names.
#pragma once

#include "far/far_api.h"

#include <string>

namespace numo::hostsim {

class LoadedModule {
public:
    // Loads the library at path. Throws HostError naming the file when it is missing, cannot be
    // loaded, or lacks one of SetStartupInfo, GetPluginInfo, OpenPlugin.
    explicit LoadedModule(const std::string& path);
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    const std::string& Path() const { return path_; }
    // The folder the module lies in: where the host looks for its language and help files.
    std::string Folder() const;

    SETSTARTUPINFO SetStartupInfo = nullptr;
    GETPLUGININFO GetPluginInfo = nullptr;
    OPENPLUGIN OpenPlugin = nullptr;

private:
    std::string path_;
    void* handle_ = nullptr;
};

// The module's file name beside a host program: libnumo.so, or numo.dll on Windows.
const char* DefaultModuleFileName();

// The full path of the running program, or "" when the system does not tell.
std::string ExecutablePath();

} // namespace numo::hostsim
