// Loading a module from its file, and running it through the host's calls.
#include "hostsim/host.h"
#include "hostsim/host_error.h"
#include "hostsim/module_loader.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <link.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
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
std::string TestPluginBytes() {
    std::ifstream in(TEST_PLUGIN, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes bytes as a module file, loads it in a child process and checks that the load was
// refused with a sentence naming the file, and that the child did not die.
void ExpectRefusedInAChild(const std::string& bytes, const std::string& name) {
    std::string path = ::testing::TempDir() + name + "-" + std::to_string(getpid()) + ".so";
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

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

class TruncatedModule : public ::testing::TestWithParam<double> {};

TEST_P(TruncatedModule, IsRefusedBeforeLoading) {
    std::string whole = TestPluginBytes();
    ASSERT_GT(whole.size(), 4096u);
    std::size_t kept = static_cast<std::size_t>(static_cast<double>(whole.size()) * GetParam());
    ExpectRefusedInAChild(whole.substr(0, kept), "truncated");
}

// A whole module whose header was crafted so that an offset plus a length passes 2^64: the sum
// must not wrap to a small number that the size checks let through.
enum class Crafted { SegmentTableOffset, SectionTableOffset, SegmentOffset };

class CraftedModule : public ::testing::TestWithParam<Crafted> {};

TEST_P(CraftedModule, IsRefusedBeforeLoading) {
    std::string bytes = TestPluginBytes();
    ElfW(Ehdr) header;
    ASSERT_GT(bytes.size(), sizeof header);
    std::memcpy(&header, bytes.data(), sizeof header);
    const auto nearTheTop = std::numeric_limits<decltype(header.e_phoff)>::max() - 8;
    switch (GetParam()) {
    case Crafted::SegmentTableOffset:
        header.e_phoff = nearTheTop;
        break;
    case Crafted::SectionTableOffset:
        header.e_shoff = nearTheTop;
        break;
    case Crafted::SegmentOffset:
        for (int i = 0; i < header.e_phnum; ++i) {
            ElfW(Phdr) segment;
            char* at = bytes.data() + header.e_phoff + i * sizeof segment;
            std::memcpy(&segment, at, sizeof segment);
            if (segment.p_type != PT_LOAD)
                continue;
            segment.p_offset = nearTheTop;
            std::memcpy(at, &segment, sizeof segment);
            break;
        }
        break;
    }
    std::memcpy(bytes.data(), &header, sizeof header);
    ExpectRefusedInAChild(bytes, "crafted");
}

INSTANTIATE_TEST_SUITE_P(Loader, CraftedModule,
                         ::testing::Values(Crafted::SegmentTableOffset, Crafted::SectionTableOffset,
                                           Crafted::SegmentOffset));

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
