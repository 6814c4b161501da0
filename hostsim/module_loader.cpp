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
#include <elf.h>
#include <link.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#endif

namespace numo::hostsim {

namespace {
#ifdef _WIN32
// The system's own words for an error code ("is not a valid Win32 application" for 193), with
// the number after them for a search.
std::string SystemReason(DWORD code) {
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason = length > 0 && text != nullptr ? std::string(text, length) : "";
    if (text != nullptr)
        LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    return (reason.empty() ? "unknown error" : reason) + " (error " + std::to_string(code) + ")";
}

void* OpenLibrary(const std::string& path) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr)
        throw HostError("module " + path + " cannot be loaded: " + SystemReason(GetLastError()));
    return reinterpret_cast<void*>(module);
}

void* FindSymbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void CloseLibrary(void* handle) {
    FreeLibrary(static_cast<HMODULE>(handle));
}
#else
// dlopen maps a library's segments straight from the file: a segment that reaches past the end
// of a truncated file (an interrupted copy) kills the process with SIGBUS when it is touched.
// So the header, the section table and every mapped segment are checked against the file's size
// first. Only the
// program's own word size is read here; dlopen itself refuses the other one.
void CheckElfFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::error_code ec;
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!in || ec)
        throw HostError("module " + path + " cannot be read");
    ElfW(Ehdr) header{};
    in.read(reinterpret_cast<char*>(&header), sizeof header);
    auto refuse = [&](const std::string& why) {
        throw HostError("module " + path + " cannot be loaded: it is not a whole library (" + why +
                        "), an interrupted copy?");
    };
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) {
        if (size < SELFMAG)
            refuse("only " + std::to_string(size) + " bytes");
        throw HostError("module " + path + " cannot be loaded: it has no ELF header");
    }
    if (static_cast<std::uintmax_t>(in.gcount()) < sizeof header)
        refuse("its ELF header is cut off at byte " + std::to_string(size));
    if (header.e_ident[EI_CLASS] != (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32))
        return;
    // Offsets and sizes come from the file: a crafted one near 2^64 would wrap a sum, so each
    // check takes the offset first and compares the length with what is left after it.
    auto within = [size](std::uintmax_t offset, std::uintmax_t length) {
        return offset <= size && length <= size - offset;
    };
    if (header.e_phentsize != sizeof(ElfW(Phdr)) ||
        !within(header.e_phoff, std::uintmax_t{header.e_phnum} * sizeof(ElfW(Phdr))))
        refuse("its segment table lies past its end at byte " + std::to_string(size));
    // The section table usually ends the file: a copy cut anywhere loses it, even where the
    // mapped segments happen to be whole. Both factors are 16-bit: the product cannot wrap.
    if (!within(header.e_shoff, std::uintmax_t{header.e_shnum} * header.e_shentsize))
        refuse("its section table lies past its end at byte " + std::to_string(size));
    in.seekg(static_cast<std::streamoff>(header.e_phoff));
    for (int i = 0; i < header.e_phnum; ++i) {
        ElfW(Phdr) segment{};
        in.read(reinterpret_cast<char*>(&segment), sizeof segment);
        if (!in)
            refuse("its segment table cannot be read");
        if (segment.p_type == PT_LOAD && !within(segment.p_offset, segment.p_filesz))
            refuse("segment " + std::to_string(i) + " reaches past byte " + std::to_string(size) +
                   ", the end of the file");
    }
}

void* OpenLibrary(const std::string& path) {
    CheckElfFile(path);
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
