// The history file: lists, order, repeats and cap, damaged and unreadable files (FIFOs and CRLF
// line ends included), symbolic links, where it lives, and several processes writing at once or
// holding the lock.
#include "console/history_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

using namespace numo::console;
using namespace numo::hostsim;
namespace fs = std::filesystem;

namespace {
constexpr const char* kList = "Numo\\Numoline";

// A fresh folder per test, removed afterwards.
class HistoryFileTest : public ::testing::Test {
protected:
    HistoryFileTest() {
        folder_ = fs::temp_directory_path() /
                  ("numo-history-" + std::to_string(getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    ~HistoryFileTest() override { fs::remove_all(folder_); }

    std::string Path(const std::string& name = "history") const {
        return (folder_ / name).string();
    }
    void Write(const std::string& contents) const {
        std::ofstream(Path(), std::ios::binary) << contents;
    }
    std::string Contents() const {
        std::ifstream in(Path(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<std::string> FolderNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder_;
};

using Texts = std::vector<std::string>;

// Runs check in a child process: true when it returns true within the time.
bool FinishesWithin(int seconds, const std::function<bool()>& check) {
    pid_t pid = fork();
    if (pid == 0)
        _exit(check() ? 0 : 1);
    for (int waited = 0; waited < seconds * 100; ++waited) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        usleep(10 * 1000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return false;
}
} // namespace

TEST_F(HistoryFileTest, KeepsEachListInOrderWithoutRepeatsOrBlanks) {
    FileHistory history(Path());
    EXPECT_EQ(history.Entries(kList), Texts{}) << "no file yet";
    for (const char* text : {"1+1", "2*3", "1+1", "", "   ", "sin(p)"})
        history.Add(kList, text);
    history.Add("Other", "2*3");
    history.Add(kList, "tab\there\\ and\nline");
    EXPECT_EQ(history.LastError(), "");

    EXPECT_EQ(history.Entries(kList), (Texts{"2*3", "1+1", "sin(p)", "tab\there\\ and\nline"}));
    EXPECT_EQ(history.Entries("Other"), Texts{"2*3"});
    // Another process's view of the same file.
    EXPECT_EQ(FileHistory(Path()).Entries(kList), history.Entries(kList));
    EXPECT_EQ(Contents(), "Numo\\\\Numoline\t2*3\n"
                          "Numo\\\\Numoline\t1+1\n"
                          "Numo\\\\Numoline\tsin(p)\n"
                          "Other\t2*3\n"
                          "Numo\\\\Numoline\ttab\\there\\\\ and\\nline\n");
    EXPECT_EQ(FolderNames(), (Texts{"history", "history.lock"})) << "no temporary file left";
}

TEST_F(HistoryFileTest, CapKeepsTheNewestOfEachList) {
    FileHistory history(Path(), 3);
    history.Add("Other", "kept");
    for (const char* text : {"1", "2", "3", "4", "5"})
        history.Add(kList, text);
    EXPECT_EQ(history.Entries(kList), (Texts{"3", "4", "5"}));
    EXPECT_EQ(history.Entries("Other"), Texts{"kept"}) << "other lists keep their entries";
    history.Add(kList, "3");
    EXPECT_EQ(history.Entries(kList), (Texts{"4", "5", "3"})) << "a repeat moves, nothing is lost";
    EXPECT_EQ(history.Entries(kList).size(), 3u);
    EXPECT_EQ(FileHistory(Path(), 2).Entries(kList), (Texts{"5", "3"}))
        << "a longer file read with a smaller cap";
}

// A damaged file: the lines that read stay, the rest is dropped at the next write.
struct DamagedCase {
    const char* name;
    std::string contents;
    Texts entries; // of kList before the write
};

class DamagedHistory : public HistoryFileTest, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedHistory, ReadsWhatItCanAndWritesAClean) {
    const DamagedCase& c = GetParam();
    Write(c.contents);
    FileHistory history(Path());
    EXPECT_EQ(history.Entries(kList), c.entries);
    history.Add(kList, "new");
    EXPECT_EQ(history.LastError(), "");
    Texts after = c.entries;
    after.push_back("new");
    EXPECT_EQ(history.Entries(kList), after);
    std::string clean;
    for (const std::string& text : after)
        clean += "Numo\\\\Numoline\t" + text + "\n";
    EXPECT_EQ(Contents(), clean);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedHistory,
    ::testing::Values(
        DamagedCase{"Empty", "", {}},
        DamagedCase{"Binary", std::string("\0\x01\xff\xfe\n\x7f\t\0\n", 9), {}},
        DamagedCase{"NoTab", "Numo\\\\Numoline 1+1\n", {}},
        DamagedCase{"BadEscape", "Numo\\\\Numoline\t1\\x\nNumo\\\\Numoline\t2\\\n", {}},
        DamagedCase{"RawControlBytes", "Numo\\\\Numoline\t1\r2\nNumo\\\\Numoline\ta\tb\n", {}},
        DamagedCase{"CrlfLineEnds",
                    "Numo\\\\Numoline\t1+1\r\nNumo\\\\Numoline\t2\r\nNumo\\\\Numoline\t3\r\n",
                    {"1+1", "2", "3"}},
        DamagedCase{"EmptyText", "Numo\\\\Numoline\t\n\t1+1\n", {}},
        DamagedCase{"LongerThanAField",
                    "Numo\\\\Numoline\t" + std::string(512, '1') + "\nNumo\\\\Numoline\t" +
                        std::string(511, '2') + "\n",
                    {std::string(511, '2')}},
        DamagedCase{"RepeatsKeepTheNewest",
                    "Numo\\\\Numoline\t1\nNumo\\\\Numoline\t2\nNumo\\\\Numoline\t1\n",
                    {"2", "1"}},
        DamagedCase{"GoodLinesAmongJunk",
                    "junk\nNumo\\\\Numoline\t6*7\n\xff\xff\xff\nNumo\\\\Numoline\t2^8",
                    {"6*7", "2^8"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HistoryFileTest, MissingFoldersAreMadeForTheUserAlone) {
    std::string path = Path("state/numo/history");
    FileHistory history(path);
    EXPECT_EQ(history.Entries(kList), Texts{});
    history.Add(kList, "1+1");
    EXPECT_EQ(history.LastError(), "");
    EXPECT_EQ(history.Entries(kList), Texts{"1+1"});
    struct stat info {};
    ASSERT_EQ(stat(Path("state/numo").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(HistoryFileTest, AFileThatCannotBeReadIsLeftAlone) {
    // A folder where the file should be.
    fs::create_directories(Path());
    FileHistory folder(Path());
    EXPECT_EQ(folder.Entries(kList), Texts{});
    folder.Add(kList, "1+1");
    EXPECT_NE(folder.LastError(), "");
    EXPECT_TRUE(fs::is_directory(Path()));
    fs::remove_all(Path());

    // A file far larger than any history: not read, not replaced.
    std::string big = "Numo\\\\Numoline\t1+1\n" + std::string(5 << 20, 'x');
    Write(big);
    FileHistory large(Path());
    EXPECT_EQ(large.Entries(kList), Texts{});
    large.Add(kList, "2+2");
    EXPECT_NE(large.LastError(), "");
    EXPECT_EQ(fs::file_size(Path()), big.size());

    // A FIFO: never opened blocking (no writer would ever come), never replaced. In a child
    // process, so that a hang fails the test instead of stopping it.
    fs::remove(Path());
    ASSERT_EQ(mkfifo(Path().c_str(), 0600), 0);
    EXPECT_TRUE(FinishesWithin(5, [&] {
        FileHistory fifo(Path());
        bool refused = fifo.Entries(kList).empty();
        fifo.Add(kList, "3+3");
        return refused && !fifo.LastError().empty();
    }));
    EXPECT_TRUE(fs::is_fifo(Path()));
    fs::remove(Path());

    // A folder that cannot be made: a file stands in its way.
    std::ofstream(Path("blocker")) << "x";
    FileHistory blocked(Path("blocker/numo/history"));
    blocked.Add(kList, "1+1");
    EXPECT_NE(blocked.LastError(), "");
    EXPECT_EQ(blocked.Entries(kList), Texts{});
}

// A symbolic link (a dotfile manager's) is written through to the file it names, with the
// temporary file beside that file; the link stays a link. A link to a file not yet there makes it.
TEST_F(HistoryFileTest, ASymbolicLinkIsWrittenThroughAndKept) {
    fs::create_directories(Path("dots"));
    std::ofstream(Path("dots/history")) << "Numo\\\\Numoline\t1+1\n";
    fs::create_symlink("dots/history", Path());
    FileHistory history(Path());
    EXPECT_EQ(history.Entries(kList), Texts{"1+1"});
    history.Add(kList, "2+2");
    EXPECT_EQ(history.LastError(), "");
    EXPECT_TRUE(fs::is_symlink(Path()));
    EXPECT_EQ(fs::read_symlink(Path()), "dots/history");
    EXPECT_EQ(history.Entries(kList), (Texts{"1+1", "2+2"}));
    EXPECT_EQ(FolderNames(), (Texts{"dots", "history", "history.lock"}));
    EXPECT_EQ(fs::directory_iterator(Path("dots"))->path().filename(), "history")
        << "no temporary file left beside the target";

    fs::create_symlink(Path("elsewhere/new"), Path("dangling"));
    FileHistory dangling(Path("dangling"));
    dangling.Add(kList, "3+3");
    EXPECT_EQ(dangling.LastError(), "");
    EXPECT_TRUE(fs::is_symlink(Path("dangling")));
    EXPECT_EQ(FileHistory(Path("elsewhere/new")).Entries(kList), Texts{"3+3"});
}

// Without HOME and XDG_STATE_HOME there is no path: nothing to read, and a write says why.
TEST_F(HistoryFileTest, NoPathReadsEmptyAndSaysWhyNothingIsKept) {
    FileHistory history("");
    EXPECT_EQ(history.Entries(kList), Texts{});
    history.Add(kList, "1+1");
    EXPECT_NE(history.LastError().find("HOME"), std::string::npos) << history.LastError();
}

// A lock another process holds: the write waits a bounded time, says once that it waits, and
// gives up with the reason; a lock released within the wait lets it through.
TEST_F(HistoryFileTest, ALockHeldElsewhereIsWaitedForABoundedTime) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    auto holdLock = [&](int milliseconds) {
        pid_t pid = fork();
        if (pid == 0) {
            int fd = open(Path("history.lock").c_str(), O_RDWR | O_CREAT, 0600);
            if (fd < 0 || flock(fd, LOCK_EX) != 0 || write(ready[1], "x", 1) != 1)
                _exit(1);
            usleep(static_cast<useconds_t>(milliseconds) * 1000);
            _exit(0);
        }
        char byte;
        EXPECT_EQ(read(ready[0], &byte, 1), 1);
        return pid;
    };

    pid_t holder = holdLock(60 * 1000);
    FileHistory history(Path());
    int told = 0;
    history.SetLockWait(std::chrono::milliseconds(200), [&] { ++told; });
    history.Add(kList, "1+1");
    EXPECT_NE(history.LastError().find("history.lock"), std::string::npos) << history.LastError();
    EXPECT_EQ(told, 1);
    EXPECT_FALSE(fs::exists(Path()));
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);

    holder = holdLock(300);
    told = 0;
    history.SetLockWait(std::chrono::seconds(30), [&] { ++told; });
    history.Add(kList, "2+2");
    EXPECT_EQ(history.LastError(), "");
    EXPECT_EQ(told, 1);
    EXPECT_EQ(history.Entries(kList), Texts{"2+2"});
    waitpid(holder, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
}

// Several numo processes closing their dialogs at once: every entry of every one of them is kept,
// each process's in its own order, and the file stays whole.
TEST_F(HistoryFileTest, ConcurrentWritersLoseNothing) {
    constexpr int kWriters = 8, kEach = 20;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            FileHistory history(Path(), 1000);
            for (int i = 0; i < kEach; ++i) {
                history.Add(kList, std::to_string(w) + "*" + std::to_string(i));
                if (!history.LastError().empty())
                    _exit(1);
            }
            _exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    Texts entries = FileHistory(Path(), 1000).Entries(kList);
    EXPECT_EQ(entries.size(), static_cast<std::size_t>(kWriters * kEach));
    for (int w = 0; w < kWriters; ++w) {
        Texts own;
        for (const std::string& text : entries) {
            if (text.rfind(std::to_string(w) + "*", 0) == 0)
                own.push_back(text);
        }
        Texts expected;
        for (int i = 0; i < kEach; ++i)
            expected.push_back(std::to_string(w) + "*" + std::to_string(i));
        EXPECT_EQ(own, expected) << "writer " << w;
    }
    EXPECT_EQ(FolderNames(), (Texts{"history", "history.lock"}));
}

// Where the file lives.
struct PathCase {
    const char* name;
    std::optional<std::string> state, home;
    std::string path;
};

class HistoryPath : public ::testing::TestWithParam<PathCase> {
protected:
    void SetUp() override {
        for (const char* name : {"XDG_STATE_HOME", "HOME"}) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_)
            Set(name, value);
    }
    static void Set(const char* name, const std::optional<std::string>& value) {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_P(HistoryPath, FollowsTheStateDirectory) {
    const PathCase& c = GetParam();
    Set("XDG_STATE_HOME", c.state);
    Set("HOME", c.home);
    EXPECT_EQ(FileHistory::DefaultPath(), c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Environment, HistoryPath,
    ::testing::Values(
        PathCase{"StateHome", "/x/state", "/home/u", "/x/state/numo/history"},
        PathCase{"StateHomeWithoutHome", "/x/state", std::nullopt, "/x/state/numo/history"},
        PathCase{"EmptyStateHome", "", "/home/u", "/home/u/.local/state/numo/history"},
        PathCase{"RelativeStateHome", "state", "/home/u", "/home/u/.local/state/numo/history"},
        PathCase{"HomeWithSlash", std::nullopt, "/home/u/", "/home/u/.local/state/numo/history"},
        PathCase{"Neither", std::nullopt, std::nullopt, ""},
        PathCase{"EmptyHome", std::nullopt, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });
