// The entry layer: the start-up copies, the menu entry and the command's answer to the host.
#include "dialog/calculator.h"
#include "services/services.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>

namespace {
int gMsgCalls = 0;
std::string gTitle = "Calculator";

const char* WINAPI CountingGetMsg(INT_PTR, int id) {
    ++gMsgCalls;
    return id == 0 ? gTitle.c_str() : "";
}

const char* WINAPI SpoiltGetMsg(INT_PTR, int) {
    ADD_FAILURE() << "the module read the host's own record after SetStartupInfo";
    return "";
}

int gDialogs = 0;
int WINAPI CountingDialogEx(INT_PTR, int, int, int, int, const char*, FarDialogItem*, int, DWORD,
                            DWORD, FARWINDOWPROC, LONG_PTR) {
    ++gDialogs;
    return -1; // closed with the cancel key
}

// Services the dialog would call; the counting DialogEx never runs the dialog procedure.
LONG_PTR WINAPI NoMessage(HANDLE, int, int, LONG_PTR) {
    return 0;
}
int WINAPIV NoPrint(char*, const char*, ...) {
    return 0;
}
char* WINAPI NoDigits(int, char* Str, int) {
    return Str;
}
void WINAPI NoCase(char*) {}

struct HostRecords {
    PluginStartupInfo info{};
    FarStandardFunctions fsf{};
    HostRecords() {
        info.StructSize = sizeof info;
        info.ModuleNumber = 77;
        info.GetMsg = CountingGetMsg;
        info.DialogEx = CountingDialogEx;
        info.SendDlgMessage = NoMessage;
        info.DefDlgProc = NoMessage;
        info.FSF = &fsf;
        fsf.StructSize = sizeof fsf;
        fsf.sprintf = NoPrint;
        fsf.itoa = NoDigits;
        fsf.LStrupr = NoCase;
        fsf.LStrlwr = NoCase;
    }
};
} // namespace

TEST(Entry, StartupCopiesBothRecordsAndNeverReadsThemAgain) {
    auto host = std::make_unique<HostRecords>();
    SetStartupInfo(&host->info);
    EXPECT_EQ(gStartupInfo.ModuleNumber, 77);
    EXPECT_EQ(gStartupInfo.FSF, &gStdFunctions); // re-pointed at the module's copy
    EXPECT_EQ(gStdFunctions.StructSize, static_cast<int>(sizeof(FarStandardFunctions)));

    // Spoil the host's records: the module must work from its copies.
    host->info.GetMsg = SpoiltGetMsg;
    std::memset(&host->fsf, 0xEE, sizeof host->fsf);
    gMsgCalls = 0;
    EXPECT_STREQ(GetMsgText(0), "Calculator");
    EXPECT_EQ(gMsgCalls, 1);

    // A second start-up call copies again.
    host->info.GetMsg = CountingGetMsg;
    host->info.ModuleNumber = 78;
    SetStartupInfo(&host->info);
    EXPECT_EQ(gStartupInfo.ModuleNumber, 78);
}

TEST(Entry, PluginInfoFetchesTheTitleOnEveryCallAndWritesNothingElse) {
    HostRecords host;
    SetStartupInfo(&host.info);
    PluginInfo info;
    std::memset(&info, 0xA5, sizeof info);
    PluginInfo sentinel;
    std::memset(&sentinel, 0xA5, sizeof sentinel);

    gMsgCalls = 0;
    gTitle = "Calculator";
    GetPluginInfo(&info);
    EXPECT_EQ(gMsgCalls, 1);
    EXPECT_EQ(info.StructSize, static_cast<int>(sizeof(PluginInfo)));
    EXPECT_EQ(info.Flags, 12u); // editor and viewer too
    EXPECT_EQ(info.PluginMenuStringsNumber, 1);
    ASSERT_NE(info.PluginMenuStrings, nullptr);
    EXPECT_STREQ(info.PluginMenuStrings[0], "Calculator");

    gTitle = "Rechner"; // the host's language changed: the next call fetches anew
    GetPluginInfo(&info);
    EXPECT_EQ(gMsgCalls, 2);
    EXPECT_STREQ(info.PluginMenuStrings[0], "Rechner");

    EXPECT_EQ(
        std::memcmp(&info.DiskMenuStrings, &sentinel.DiskMenuStrings, sizeof info.DiskMenuStrings),
        0);
    EXPECT_EQ(
        std::memcmp(&info.DiskMenuNumbers, &sentinel.DiskMenuNumbers, sizeof info.DiskMenuNumbers),
        0);
    EXPECT_EQ(info.DiskMenuStringsNumber, sentinel.DiskMenuStringsNumber);
    EXPECT_EQ(std::memcmp(&info.PluginConfigStrings, &sentinel.PluginConfigStrings,
                          sizeof info.PluginConfigStrings),
              0);
    EXPECT_EQ(info.PluginConfigStringsNumber, sentinel.PluginConfigStringsNumber);
    EXPECT_EQ(std::memcmp(&info.CommandPrefix, &sentinel.CommandPrefix, sizeof info.CommandPrefix),
              0);
    EXPECT_EQ(info.Reserved, sentinel.Reserved);
}

TEST(Entry, OpenPluginRunsTheDialogAndOpensNoPanel) {
    HostRecords host;
    SetStartupInfo(&host.info);
    gDialogs = 0;
    for (int from : {OPEN_PLUGINSMENU, OPEN_EDITOR, OPEN_VIEWER}) {
        EXPECT_EQ(OpenPlugin(from, 0), reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)));
    }
    EXPECT_EQ(gDialogs, 3);
}

// A host that left out any service the dialog calls gets no dialog (the module would call a null
// pointer in it), and OpenPlugin still answers "no panel". itoa64 is not needed.
TEST(Entry, OpenPluginOpensNoDialogWithoutAServiceTheDialogCalls) {
    const struct {
        const char* missing;
        void (*spoil)(HostRecords&);
    } cases[] = {
        {"DialogEx", [](HostRecords& h) { h.info.DialogEx = nullptr; }},
        {"SendDlgMessage", [](HostRecords& h) { h.info.SendDlgMessage = nullptr; }},
        {"DefDlgProc", [](HostRecords& h) { h.info.DefDlgProc = nullptr; }},
        {"GetMsg", [](HostRecords& h) { h.info.GetMsg = nullptr; }},
        {"sprintf", [](HostRecords& h) { h.fsf.sprintf = nullptr; }},
        {"itoa", [](HostRecords& h) { h.fsf.itoa = nullptr; }},
        {"LStrupr", [](HostRecords& h) { h.fsf.LStrupr = nullptr; }},
        {"LStrlwr", [](HostRecords& h) { h.fsf.LStrlwr = nullptr; }},
        {"the standard functions", [](HostRecords& h) { h.info.FSF = nullptr; }},
        {"a record cut before the standard functions",
         [](HostRecords& h) { h.info.StructSize = offsetof(PluginStartupInfo, FSF); }},
        {"nothing but itoa64", [](HostRecords& h) { h.fsf.itoa64 = nullptr; }},
    };
    for (const auto& c : cases) {
        HostRecords host;
        c.spoil(host);
        SetStartupInfo(&host.info);
        gDialogs = 0;
        EXPECT_EQ(OpenPlugin(OPEN_PLUGINSMENU, 0), NUMO_INVALID_HANDLE) << c.missing;
        EXPECT_EQ(gDialogs, c.missing[0] == 'n' ? 1 : 0) << c.missing;
    }
}

TEST(Entry, MissingTextsReadAsEmpty) {
    PluginStartupInfo info{};
    info.StructSize = sizeof info; // a host with no GetMsg and no standard functions
    SetStartupInfo(&info);
    EXPECT_STREQ(GetMsgText(0), "");
    EXPECT_EQ(gStartupInfo.FSF, &gStdFunctions);
}
