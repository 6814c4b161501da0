// Loading a module from its file, and running it through the host's calls.
#include "hostsim/host.h"
#include "hostsim/host_error.h"
#include "hostsim/module_loader.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

using namespace numo::hostsim;

namespace {
std::string LoadError(const std::string& path) {
    try {
        LoadedModule module(path);
    } catch (const HostError& error) {
        return error.what();
    }
    return "";
}
} // namespace

TEST(LoadedModule, FindsTheEntryPointsAndRunsThem) {
    LoadedModule module(TEST_PLUGIN);
    EXPECT_EQ(module.Folder(),
              std::string(TEST_PLUGIN).substr(0, std::string(TEST_PLUGIN).rfind('/')));
    LanguageFile messages;
    messages.messages = {"Test entry", "typed"};
    Host host(messages, module.Path());
    host.Start(module.SetStartupInfo);
    PluginInfo info = host.QueryPluginInfo(module.GetPluginInfo);
    ASSERT_EQ(info.PluginMenuStringsNumber, 1);
    EXPECT_STREQ(info.PluginMenuStrings[0], "Test entry");
    EXPECT_EQ(info.Flags, static_cast<DWORD>(PF_EDITOR));
    std::string seen;
    HANDLE answer = host.Open(module.OpenPlugin, [&](Dialog& d) {
        seen = d.Text(0) + " " + d.HelpTopic() + " " + std::to_string(d.Geometry().Width());
        d.Key(KEY_ESC);
    });
    EXPECT_EQ(answer, NUMO_INVALID_HANDLE);
    EXPECT_EQ(seen, "typed Contents 20");
    EXPECT_EQ(host.DialogsRun(), 1);
}

struct LoadErrorCase {
    const char* name;
    std::string path;
    const char* says;
};

class LoadErrors : public ::testing::TestWithParam<LoadErrorCase> {};

TEST_P(LoadErrors, NameTheFile) {
    std::string error = LoadError(GetParam().path);
    EXPECT_NE(error.find(GetParam().path), std::string::npos) << error;
    EXPECT_NE(error.find(GetParam().says), std::string::npos) << error;
}

#ifndef _WIN32
// A module cut short, as an interrupted copy leaves it: refused with a sentence that names the
// file, never loaded (dlopen would map segments past the file's end and die of SIGBUS). Run in
// a child process, so that a crash fails the case instead of ending the test program.
class TruncatedModule : public ::testing::TestWithParam<double> {};

TEST_P(TruncatedModule, IsRefusedBeforeLoading) {
    std::string whole;
    {
        std::ifstream in(TEST_PLUGIN, std::ios::binary);
        whole.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_GT(whole.size(), 4096u);
    std::string path = ::testing::TempDir() + "truncated-" + std::to_string(getpid()) + ".so";
    std::size_t kept = static_cast<std::size_t>(static_cast<double>(whole.size()) * GetParam());
    std::ofstream(path, std::ios::binary).write(whole.data(), static_cast<std::streamsize>(kept));

    int pipe_fds[2];
    ASSERT_EQ(pipe(pipe_fds), 0);
    pid_t pid = fork();
    if (pid == 0) {
        std::string error = LoadError(path);
        ssize_t written = write(pipe_fds[1], error.data(), error.size());
        _exit(written == static_cast<ssize_t>(error.size()) ? 0 : 1);
    }
    close(pipe_fds[1]);
    std::string error;
    char buffer[512];
    for (ssize_t n; (n = read(pipe_fds[0], buffer, sizeof buffer)) > 0;)
        error.append(buffer, static_cast<std::size_t>(n));
    close(pipe_fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    std::remove(path.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << "the load died of signal " << WTERMSIG(status);
    EXPECT_NE(error.find("module " + path + " cannot be loaded"), std::string::npos) << error;
}

// Fractions of the test plug-in's file kept: nothing, a few bytes, a header without its
// segments, and most of it.
INSTANTIATE_TEST_SUITE_P(Loader, TruncatedModule,
                         ::testing::Values(0.0, 0.0005, 0.01, 0.3, 0.6, 0.9, 0.99));
#endif

INSTANTIATE_TEST_SUITE_P(
    Loader, LoadErrors,
    ::testing::Values(
        LoadErrorCase{"Missing", "/nonexistent/libnumo.so", "missing"},
        LoadErrorCase{"Folder", "/tmp", "folder"},
        LoadErrorCase{"NotALibrary", NUMO_LANG_DIR "/numo_en.lng", "cannot be loaded"},
        LoadErrorCase{"NoOpenPlugin", TEST_PLUGIN_NO_OPEN, "does not export OpenPlugin"}),
    [](const auto& info) { return std::string(info.param.name); });
