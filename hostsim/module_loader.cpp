// Loading a plug-in module. The system calls differ: LoadLibraryA/GetProcAddress on Windows,
// dlopen/dlsym elsewhere; each lives in its own block below.
#include "hostsim/module_loader.h"

#include "hostsim/host_error.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace numo::hostsim {

namespace {
#ifdef _WIN32
void* OpenLibrary(const std::string& path) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr)
        throw HostError("module " + path + " cannot be loaded: error " +
                        std::to_string(GetLastError()));
    return reinterpret_cast<void*>(module);
}

void* FindSymbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void CloseLibrary(void* handle) {
    FreeLibrary(static_cast<HMODULE>(handle));
}
#else
void* OpenLibrary(const std::string& path) {
    // A relative path without a slash would make dlopen search the library path instead.
    std::string name = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* message = dlerror();
        throw HostError("module " + path +
                        " cannot be loaded: " + (message != nullptr ? message : "unknown error"));
    }
    return handle;
}

void* FindSymbol(void* handle, const char* name) {
    return dlsym(handle, name);
}

void CloseLibrary(void* handle) {
    dlclose(handle);
}
#endif

template <typename Function>
Function Resolve(void* handle, const char* name, const std::string& path) {
    void* symbol = FindSymbol(handle, name);
    if (symbol == nullptr)
        throw HostError("module " + path + " does not export " + name);
    return reinterpret_cast<Function>(symbol);
}
} // namespace

LoadedModule::LoadedModule(const std::string& path) : path_(path) {
    // An empty path would read "module  is missing", naming nothing.
    if (path.empty())
        throw HostError("the module's path is empty");
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        throw HostError("module " + path + " is missing");
    if (std::filesystem::is_directory(path, ec))
        throw HostError("module " + path + " is a folder, not a library");
    handle_ = OpenLibrary(path);
    try {
        SetStartupInfo = Resolve<SETSTARTUPINFO>(handle_, "SetStartupInfo", path);
        GetPluginInfo = Resolve<GETPLUGININFO>(handle_, "GetPluginInfo", path);
        OpenPlugin = Resolve<OPENPLUGIN>(handle_, "OpenPlugin", path);
    } catch (...) {
        CloseLibrary(handle_);
        throw;
    }
}

LoadedModule::~LoadedModule() {
    if (handle_ != nullptr)
        CloseLibrary(handle_);
}

std::string LoadedModule::Folder() const {
    std::filesystem::path folder = std::filesystem::path(path_).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

const char* DefaultModuleFileName() {
#ifdef _WIN32
    return "numo.dll";
#else
    return "libnumo.so";
#endif
}

std::string ExecutablePath() {
#ifdef _WIN32
    char buffer[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer)
        return "";
    return std::string(buffer, length);
#else
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
#endif
}

} // namespace numo::hostsim
