// Loading a module from its file, and running it through the host's calls.
#include "hostsim/host.h"
#include "hostsim/host_error.h"
#include "hostsim/module_loader.h"

#include <gtest/gtest.h>

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

INSTANTIATE_TEST_SUITE_P(
    Loader, LoadErrors,
    ::testing::Values(
        LoadErrorCase{"Missing", "/nonexistent/libnumo.so", "missing"},
        LoadErrorCase{"Folder", "/tmp", "folder"},
        LoadErrorCase{"NotALibrary", NUMO_LANG_DIR "/numo_en.lng", "cannot be loaded"},
        LoadErrorCase{"NoOpenPlugin", TEST_PLUGIN_NO_OPEN, "does not export OpenPlugin"}),
    [](const auto& info) { return std::string(info.param.name); });
