// The program `numo` end to end: the built binary, the real module beside it, its output lines
// and exit statuses.
#include "console/cli.h"
#include "console/exit_status.h"
#include "engine/status.h"
#include "far/calculator_contract.h"
#include "hostsim/dialog.h"
#include "hostsim/language_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace numo::console;
using namespace numo::hostsim;
namespace fs = std::filesystem;

namespace {
struct Outcome {
    std::string out, err;
    int status = -1; // exit status, or -1 when the program did not exit normally
};

// How long a run of the program may take in all: every case needs well under a second, so a
// child still running then is stuck, and is killed so that the test fails instead of hanging.
constexpr int kChildSeconds = 30;

// Runs the program with args, feeding input on standard input. home and cwd, when given, become
// HOME and the working directory; stdoutFile, when given, is opened for writing as standard
// output in place of the pipe that fills Outcome::out. The locale's variables are the ones in
// `locale` (NAME=VALUE) alone: English in UTF-8 unless a test says otherwise, whatever the
// machine's locale.
Outcome RunProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::string& input = "", const std::string& home = "",
                   const std::string& cwd = "", const std::string& stdoutFile = "",
                   const std::vector<std::string>& locale = {"LC_ALL=C.UTF-8"}) {
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0)
        return {};
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            close(fd);
        if (!stdoutFile.empty()) {
            int fd = open(stdoutFile.c_str(), O_WRONLY);
            if (fd < 0 || dup2(fd, 1) < 0)
                _exit(127);
            close(fd);
        }
        if (!home.empty())
            setenv("HOME", home.c_str(), 1);
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LC_CTYPE", "LANG", "LANGUAGE"})
            unsetenv(name);
        for (const std::string& setting : locale) {
            std::size_t equals = setting.find('=');
            setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
        }
        if (!cwd.empty() && chdir(cwd.c_str()) != 0)
            _exit(127);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // Feed the input and read both outputs together, so no pipe fills up and stalls the child.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kChildSeconds);
    auto msLeft = [&deadline] {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        return static_cast<int>(std::max<long long>(left.count(), 0));
    };
    Outcome outcome;
    std::size_t written = 0;
    if (input.empty())
        close(in[1]);
    bool inOpen = !input.empty(), outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        std::vector<pollfd> fds;
        if (inOpen)
            fds.push_back({in[1], POLLOUT, 0});
        if (outOpen)
            fds.push_back({out[0], POLLIN, 0});
        if (errOpen)
            fds.push_back({err[0], POLLIN, 0});
        if (poll(fds.data(), fds.size(), msLeft()) <= 0)
            break;
        for (const pollfd& p : fds) {
            if (p.revents == 0)
                continue;
            if (p.fd == in[1]) {
                ssize_t n = write(in[1], input.data() + written, input.size() - written);
                written += n > 0 ? static_cast<std::size_t>(n) : 0;
                if (n <= 0 || written == input.size()) {
                    close(in[1]);
                    inOpen = false;
                }
                continue;
            }
            char buffer[4096];
            ssize_t n = read(p.fd, buffer, sizeof buffer);
            if (n <= 0) {
                (p.fd == out[0] ? outOpen : errOpen) = false;
                continue;
            }
            (p.fd == out[0] ? outcome.out : outcome.err)
                .append(buffer, static_cast<std::size_t>(n));
        }
    }
    if (inOpen)
        close(in[1]);
    close(out[0]);
    close(err[0]);
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(pid, &status, WNOHANG)) == 0 && msLeft() > 0)
        usleep(1000);
    if (done != pid) { // still running (or lost): stop it, and say so
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        outcome.err += "\n[killed: still running after " + std::to_string(kChildSeconds) + " s]";
        outcome.status = -1;
        return outcome;
    }
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

Outcome Numo(const std::vector<std::string>& args, const std::string& input = "") {
    return RunProgram(NUMO_PROGRAM, args, input);
}

const LanguageFile& Messages() {
    static const LanguageFile file = ReadLanguageFile(std::string(NUMO_LANG_DIR) + "/numo_en.lng");
    return file;
}

std::string Block(const std::string& postfix, const std::string& result, const std::string& hex,
                  const std::string& bin, int status) {
    return "postfix: " + postfix + "\nresult: " + result + "\nhex: " + hex + "\nbin: " + bin +
           "\nstatus: " + std::to_string(status) + "\n";
}

// A block for a formula that shows message n.
std::string MessageBlock(const std::string& postfix, int n) {
    return Block(postfix, Messages().messages[static_cast<std::size_t>(n)], "", "", n);
}

class TempFolder {
public:
    explicit TempFolder(const std::string& tag) {
        path_ = fs::temp_directory_path() / ("numo-cli-" + tag + "-" + std::to_string(getpid()));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() { fs::remove_all(path_); }
    fs::path Path() const { return path_; }

private:
    fs::path path_;
};
} // namespace

// --- The five lines and the exit status, for every row of the shared table of cases that the
// Windows build runs too (tests/eval_cases.txt; its header describes the format).
struct EvalCase {
    int line = 0;                  // where the row starts in the file
    std::string argsText;          // as written after "args:"
    std::vector<std::string> args; // the words after `numo eval`
    std::string expected;          // the five lines, on Linux
};

std::ostream& operator<<(std::ostream& os, const EvalCase& row) {
    return os << "line " << row.line << ": " << row.argsText;
}

// Splits an "args:" line into words as xargs does (single and double quotes, a backslash outside
// them escapes the next character), then reads \t, \xHH, \n and \\ inside each word as their
// bytes, as printf's %b does.
std::vector<std::string> SplitArgs(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (ch == '\'' || ch == '"') {
            std::size_t close = text.find(ch, i + 1);
            if (close == std::string::npos)
                close = text.size();
            word += text.substr(i + 1, close - i - 1);
            inWord = true;
            i = close;
        } else if (ch == '\\' && i + 1 < text.size()) {
            word += text[++i];
            inWord = true;
        } else if (ch == ' ') {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += ch;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    for (std::string& w : words) {
        std::string bytes;
        for (std::size_t i = 0; i < w.size(); ++i) {
            if (w[i] != '\\' || i + 1 == w.size()) {
                bytes += w[i];
                continue;
            }
            char next = w[++i];
            if (next == 't')
                bytes += '\t';
            else if (next == 'n')
                bytes += '\n';
            else if (next == '\\')
                bytes += '\\';
            else if (next == 'x' && i + 2 < w.size()) {
                bytes += static_cast<char>(std::stoi(w.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                bytes += '\\';
                bytes += next;
            }
        }
        w = bytes;
    }
    return words;
}

std::string TrimRight(std::string text) {
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

std::vector<EvalCase> ReadEvalCases() {
    std::ifstream file(NUMO_EVAL_CASES);
    std::vector<EvalCase> rows;
    EvalCase row;
    std::string line;
    int number = 0;
    auto flush = [&] {
        if (row.line != 0)
            rows.push_back(row);
        row = EvalCase{};
    };
    while (std::getline(file, line)) {
        ++number;
        if (line.empty()) {
            flush();
        } else if (line[0] == '#' || line.rfind("windows ", 0) == 0) {
            continue; // comments, and the Windows run-time's own texts
        } else if (line.rfind("args: ", 0) == 0) {
            flush();
            row.line = number;
            row.argsText = line.substr(6);
            row.args = SplitArgs(row.argsText);
            row.args.insert(row.args.begin(), "eval");
        } else {
            row.expected += TrimRight(line) + "\n";
        }
    }
    flush();
    return rows;
}

class Eval : public ::testing::TestWithParam<EvalCase> {};

TEST_P(Eval, PrintsTheFourFieldsAndTheStatus) {
    const EvalCase& row = GetParam();
    Outcome outcome = Numo(row.args);
    std::string out;
    std::istringstream lines(outcome.out);
    for (std::string line; std::getline(lines, line);)
        out += TrimRight(line) + "\n";
    EXPECT_EQ(out, row.expected);
    EXPECT_EQ(outcome.err, "");
    bool result = row.expected.find("\nstatus: 8\n") != std::string::npos;
    EXPECT_EQ(outcome.status, result ? kExitResult : kExitMessage);
}

TEST(EvalTable, HasRowsOfFiveLines) {
    std::vector<EvalCase> rows = ReadEvalCases();
    EXPECT_GE(rows.size(), 30u);
    for (const EvalCase& row : rows) {
        EXPECT_EQ(std::count(row.expected.begin(), row.expected.end(), '\n'), 5) << row;
        EXPECT_EQ(row.expected.rfind("postfix:", 0), 0u) << row;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Eval, ::testing::ValuesIn(ReadEvalCases()),
                         [](const auto& info) { return "line" + std::to_string(info.param.line); });

TEST(Cli, MostDecimalsTheHostAcceptsAreShown) {
    // The host's limit must be the module's: above it the module would print fewer decimals.
    Outcome outcome = Numo({"eval", "-d", std::to_string(kMaxPrecision), "1/3"});
    // Every digit of the double nearest to 1/3, as the C library prints it.
    char printed[512];
    std::snprintf(printed, sizeof printed, "%.*f", kMaxPrecision, 1.0 / 3.0);
    EXPECT_EQ(outcome.out, Block("1 3 /", printed, "0", "0", 8));
    EXPECT_EQ(outcome.status, 0) << outcome.err;
}

TEST(Cli, BatchRunsEachLineAsAnEditOfTheSameDialog) {
    Outcome outcome = Numo({"eval", "-a", "2", "-d", "1", "--batch"}, "a+1\n1/0\n\nsqrt(a)^2\r\n");
    EXPECT_EQ(outcome.out, Block("a 1 +", "3.0", "3", "11", 8) + "\n" +
                               MessageBlock("1 0 /", MsgDivByZero) + "\n" +
                               MessageBlock("", MsgNoOperand) + "\n" +
                               Block("a sqrt 2 ^", "2.0", "2", "10", 8) + "\n");
    EXPECT_EQ(outcome.status, 1);

    outcome = Numo({"eval", "--batch"}, "1+1\n2*2");
    EXPECT_EQ(outcome.out, Block("1 1 +", "2.000", "2", "10", 8) + "\n" +
                               Block("2 2 *", "4.000", "4", "100", 8) + "\n");
    EXPECT_EQ(outcome.status, 0);

    outcome = Numo({"eval", "--batch"}, "");
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.status, 0);
}

// --- Bad input or an unusable module: one line on standard error, the exit status of the kind of
// fault (2 the user's, 3 the module's), nothing on standard output.
struct BadCase {
    const char* name;
    std::vector<std::string> args;
    const char* says;
    std::string input = "";
    ExitStatus status = kExitUsage;
};

class BadInput : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadInput, IsOneClearLineAndItsStatus) {
    Outcome outcome = Numo(GetParam().args, GetParam().input);
    EXPECT_EQ(outcome.status, GetParam().status);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err.rfind("numo: ", 0), 0u) << outcome.err;
    EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << "one line: " << outcome.err;
    EXPECT_NE(outcome.err.find(GetParam().says), std::string::npos) << outcome.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cli, BadInput,
    ::testing::Values(
        BadCase{"UnknownOption", {"eval", "-x", "1"}, "unknown option '-x'"},
        BadCase{"NegativeLooksLikeOption", {"eval", "-5"}, "goes after --"},
        BadCase{"MissingVariableValue", {"eval", "1", "-a"}, "-a needs a value"},
        BadCase{"MissingDecimals", {"eval", "-d"}, "-d needs a value"},
        BadCase{"MissingFormula", {"eval", "-a", "1"}, "needs a FORMULA"},
        BadCase{"TwoFormulas", {"eval", "1", "2"}, "more than one FORMULA"},
        BadCase{"FormulaAndBatch", {"eval", "--batch", "1"}, "not both"},
        BadCase{"LongFormula", {"eval", std::string(512, '1')}, "at most 511"},
        BadCase{
            "LongVariable", {"eval", "-b", std::string(600, '1'), "b"}, "the value of -b is 600"},
        BadCase{"NegativeDecimals", {"eval", "-d", "-1", "1"}, "negative"},
        BadCase{"NonNumericDecimals", {"eval", "-d", "x", "1"}, "whole number"},
        BadCase{"FractionalDecimals", {"eval", "-d", "1.5", "1"}, "whole number"},
        BadCase{
            "DecimalsAboveLimit", {"eval", "-d", std::to_string(kMaxPrecision + 1), "1"}, "limit"},
        BadCase{"HugeDecimals", {"eval", "-d", "99999999999999999999", "1"}, "limit"},
        BadCase{"LongBatchLine",
                {"eval", "--batch"},
                "line 2 of the input",
                "1\n" + std::string(512, '2') + "\n"},
        BadCase{"NulInBatchLine",
                {"eval", "--batch"},
                "NUL",
                std::string("1\0"
                            "2\n",
                            4)},
        BadCase{"UnknownCommand", {"frobnicate"}, "unknown command"},
        BadCase{"UnknownGlobalOption", {"--bogus"}, "unknown option '--bogus'"},
        BadCase{"InfoWithWords", {"info", "extra"}, "extra"},
        BadCase{"MissingModule",
                {"eval", "--module", "/nonexistent/libnumo.so", "1"},
                "/nonexistent/libnumo.so is missing"},
        BadCase{"ModuleNotALibrary",
                {"--module", NUMO_LANG_DIR "/numo_en.lng", "info"},
                "cannot be loaded",
                "",
                kExitModule},
        BadCase{"ModuleWithoutOpenPlugin",
                {"eval", "--module", TEST_PLUGIN_NO_OPEN, "1"},
                "does not export OpenPlugin",
                "",
                kExitModule},
        BadCase{"ModuleAfterTheCommand",
                {"info", "--module", "/nonexistent/libnumo.so"},
                "/nonexistent/libnumo.so is missing"},
        BadCase{"InfoHelp", {"info", "--help"}, "info takes no '--help'"},
        BadCase{"GlobalModuleWithoutValue", {"--module"}, "--module needs a value"},
        BadCase{"InfoModuleWithoutValue", {"info", "--module"}, "--module needs a value"},
        BadCase{"EmptyModulePath", {"eval", "--module", "", "1"}, "path is empty"},
        BadCase{"ModuleIsAFolder",
                {"eval", "--module", NUMO_LANG_DIR, "1"},
                NUMO_LANG_DIR " is a folder",
                "",
                kExitModule},
        BadCase{"EmptyDecimals", {"eval", "-d", "", "1"}, "whole number"},
        BadCase{"UnknownCodePage", {"--codepage", "12345", "eval", "1"}, "--codepage 12345"},
        BadCase{"CodePageByName", {"eval", "--codepage", "cp866", "1"}, "--codepage cp866"},
        BadCase{"CodePageZero", {"info", "--codepage", "0"}, "--codepage 0"},
        BadCase{"CodePageWithoutValue", {"info", "--codepage"}, "--codepage needs a value"},
        BadCase{"EmptyLanguage", {"--lang", "", "info"}, "language's name is empty"},
        BadCase{"LanguageWithoutValue", {"eval", "1", "--lang"}, "--lang needs a value"},
        BadCase{"SignedDecimals", {"eval", "-d", "+5", "1"}, "whole number"}),
    [](const auto& info) { return std::string(info.param.name); });

// With no command numo runs the calculator in the terminal; here standard input and output are
// pipes.
TEST(Cli, NoCommandWithoutATerminalSaysSoAndShowsUsage) {
    TempFolder folder("noterminal");
    Outcome outcome = RunProgram(NUMO_PROGRAM, {}, "", folder.Path().string());
    EXPECT_EQ(outcome.status, kExitUsage);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err.rfind("numo: the calculator needs a terminal", 0), 0u) << outcome.err;
    EXPECT_NE(outcome.err.find("Usage: numo"), std::string::npos) << outcome.err;
    EXPECT_TRUE(fs::is_empty(folder.Path())) << "no history was read or made";
}

// An interrupted copy of the module beside the program: one line naming it, exit 3, no crash.
TEST(Cli, ATruncatedModuleIsRefusedInOneLine) {
    TempFolder folder("truncated");
    fs::path module = folder.Path() / "libnumo.so";
    fs::copy_file(fs::path(NUMO_PROGRAM).parent_path() / "libnumo.so", module);
    fs::resize_file(module, fs::file_size(module) / 2);
    Outcome outcome = Numo({"eval", "--module", module.string(), "1"});
    EXPECT_EQ(outcome.status, kExitModule);
    EXPECT_EQ(outcome.err, "numo: module " + module.string() +
                               " cannot be loaded: it is not a whole library (its section table "
                               "lies past its end at byte " +
                               std::to_string(fs::file_size(module)) + "), an interrupted copy?\n");
    EXPECT_EQ(outcome.out, "");
}

TEST(Cli, LanguageFileProblemsNameTheFile) {
    TempFolder folder("lang");
    fs::path module = folder.Path() / "libnumo.so";
    fs::copy_file(fs::path(NUMO_PROGRAM).parent_path() / "libnumo.so", module);
    Outcome outcome = Numo({"eval", "--module", module.string(), "1"});
    EXPECT_EQ(outcome.status, kExitModule);
    EXPECT_NE(outcome.err.find("no language file"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find(folder.Path().string()), std::string::npos) << outcome.err;

    std::ofstream(folder.Path() / "numo_en.lng") << ".Language=English,English\n\"Only one\"\n";
    outcome = Numo({"eval", "--module", module.string(), "1"});
    EXPECT_EQ(outcome.status, kExitModule);
    EXPECT_NE(outcome.err.find((folder.Path() / "numo_en.lng").string() + " is malformed"),
              std::string::npos)
        << outcome.err;
    EXPECT_EQ(outcome.out, "");
}

// --- Bad language files beside the module: one line naming the file (or the folder when there
// is no file to name), exit status 3, nothing on standard output.
std::string LanguageFileText(const std::vector<std::string>& messages) {
    std::string text = ".Language=English,English\n";
    for (const std::string& message : messages) {
        std::string quoted;
        for (char ch : message)
            quoted += ch == '"' || ch == '\\' ? std::string("\\") + ch : std::string(1, ch);
        text += "\"" + quoted + "\"\n";
    }
    return text;
}

struct BadLanguageCase {
    const char* name;
    std::string contents; // of numo_en.lng; a folder of that name when folder is set
    const char* says;
    bool namesFile = true; // else the error names the module's folder
    bool folder = false;
};

std::ostream& operator<<(std::ostream& os, const BadLanguageCase& row) {
    return os << row.name;
}

class BadLanguageFile : public ::testing::TestWithParam<BadLanguageCase> {};

TEST_P(BadLanguageFile, IsOneLineNamingItAndStatusThree) {
    const BadLanguageCase& row = GetParam();
    TempFolder folder("badlng");
    fs::path module = folder.Path() / "libnumo.so";
    fs::copy_file(fs::path(NUMO_PROGRAM).parent_path() / "libnumo.so", module);
    fs::path file = folder.Path() / "numo_en.lng";
    if (row.folder)
        fs::create_directory(file);
    else
        std::ofstream(file, std::ios::binary) << row.contents;

    for (const char* command : {"eval", "info"}) {
        SCOPED_TRACE(command);
        std::vector<std::string> args = {command, "--module", module.string()};
        if (std::string(command) == "eval")
            args.push_back("1");
        Outcome outcome = Numo(args);
        EXPECT_EQ(outcome.status, kExitModule);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err.rfind("numo: ", 0), 0u) << outcome.err;
        EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << "one line: " << outcome.err;
        std::string named = row.namesFile ? file.string() : folder.Path().string();
        EXPECT_NE(outcome.err.find(named), std::string::npos) << outcome.err;
        EXPECT_NE(outcome.err.find(row.says), std::string::npos) << outcome.err;
    }
}

std::vector<std::string> RealMessages(std::size_t count) {
    return {Messages().messages.begin(), Messages().messages.begin() + count};
}

INSTANTIATE_TEST_SUITE_P(
    Cli, BadLanguageFile,
    ::testing::Values(
        BadLanguageCase{"OneMessageShort", LanguageFileText(RealMessages(kMessageCount - 1)),
                        "holds 33 messages, the module needs 34"},
        BadLanguageCase{"HeaderOnly", LanguageFileText({}), "holds 0 messages"},
        BadLanguageCase{"Empty", "", "is malformed: its first line must be .Language="},
        BadLanguageCase{"MessagesBeforeHeader",
                        "\"Numo calculator\"\n" + LanguageFileText(RealMessages(kMessageCount)),
                        "is malformed"},
        BadLanguageCase{"BinaryBytes",
                        std::string("\x7f"
                                    "ELF\0\0\xff\xfe\n\"x\"\n",
                                    10),
                        "is malformed"},
        BadLanguageCase{"FolderOfThatName", "", "no language file (*.lng) in", false, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Every message far longer than an item's text: the module cuts each copy to the item's 511
// characters, in the labels and in the result field, and the host still tells which message it
// is. Message 7, the fields' first text, is a longer run of zeros: still the number 0 when cut.
TEST(Cli, LanguageLinesLongerThanAnItemAreCut) {
    TempFolder folder("longlng");
    fs::path module = folder.Path() / "libnumo.so";
    fs::copy_file(fs::path(NUMO_PROGRAM).parent_path() / "libnumo.so", module);
    std::vector<std::string> messages = RealMessages(kMessageCount);
    for (std::string& message : messages)
        message += std::string(2000, '!');
    messages[MsgVarDefault] = std::string(2000, '0');
    std::ofstream(folder.Path() / "numo_en.lng") << LanguageFileText(messages);

    auto cut = [&](int n) { return messages[static_cast<std::size_t>(n)].substr(0, 511); };
    Outcome outcome = Numo({"eval", "--module", module.string(), "-d", "1", "--batch"},
                           "2*-3\nln(0)\n1/0\n1+1\n");
    EXPECT_EQ(outcome.out, Block("", cut(MsgDoubleOperator), "", "", MsgDoubleOperator) + "\n" +
                               Block("0 ln", cut(MsgLnDomain), "", "", MsgLnDomain) + "\n" +
                               Block("1 0 /", cut(MsgDivByZero), "", "", MsgDivByZero) + "\n" +
                               Block("1 1 +", "2.0", "2", "10", MsgOk) + "\n");
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    EXPECT_EQ(outcome.err, "");

    outcome = Numo({"eval", "--module", module.string(), "-b", "4", "b^0.5"});
    EXPECT_EQ(outcome.out, Block("b 0.5 ^", "2.000", "2", "10", MsgOk));
    EXPECT_EQ(outcome.status, 0) << outcome.err;
}

TEST(Cli, EvalLeavesHomeAndWorkingFolderEmpty) {
    TempFolder folder("clean");
    fs::create_directories(folder.Path() / "home");
    fs::create_directories(folder.Path() / "work");
    Outcome outcome =
        RunProgram(NUMO_PROGRAM, {"eval", "-a", "2", "a^10"}, "", (folder.Path() / "home").string(),
                   (folder.Path() / "work").string());
    EXPECT_EQ(outcome.out, Block("a 10 ^", "1024.000", "400", "10000000000", 8));
    EXPECT_TRUE(fs::is_empty(folder.Path() / "home"));
    EXPECT_TRUE(fs::is_empty(folder.Path() / "work"));
}

TEST(Cli, InfoShowsTheMenuEntryFlagsAndLanguages) {
    Outcome outcome = Numo({"info"});
    // The module beside the program: a build tree's.
    fs::path module = fs::path(NUMO_PROGRAM).parent_path() / "libnumo.so";
    EXPECT_EQ(outcome.out, "menu: " + Messages().messages[MsgTitle] +
                               "\nflags: 12 (PF_EDITOR PF_VIEWER)\nmodule: " +
                               module.lexically_normal().string() +
                               "\nlanguages: English, Russian\n");
    EXPECT_EQ(outcome.status, 0);
    outcome = Numo({"info", "--lang", "Russian"});
    EXPECT_EQ(outcome.out.substr(0, outcome.out.find('\n')), "menu: Калькулятор Numo");
    EXPECT_EQ(outcome.status, 0);
}

// --- The host's language: --lang, else the locale's variables; the language files beside the
// module; the host's code page and the locale's character set. Each row runs `numo eval 1/0`.
struct LanguageRow {
    const char* name;
    std::vector<std::string> options; // before the command
    std::vector<std::string> locale;  // the locale's variables, NAME=VALUE
    // When given, the module's folder holds these language files instead (file name, header
    // language), each an English file whose message 26 says "from FILE".
    std::vector<std::pair<std::string, std::string>> files;
    std::string result;               // the result line's text; "" when numo refuses with status 3
    const char* madeLocale = nullptr; // a locale the build makes (NUMO_LOCALE_DIR) for the row
};

std::ostream& operator<<(std::ostream& os, const LanguageRow& row) {
    return os << row.name;
}

class LanguageChoice : public ::testing::TestWithParam<LanguageRow> {};

TEST_P(LanguageChoice, ShowsTheMessagesOfTheHostsLanguage) {
    const LanguageRow& row = GetParam();
    if (row.madeLocale != nullptr && !fs::exists(fs::path(NUMO_LOCALE_DIR) / row.madeLocale))
        GTEST_SKIP() << "the build could not make the locale " << row.madeLocale;
    std::vector<std::string> args = row.options;
    std::optional<TempFolder> folder;
    if (!row.files.empty()) {
        folder.emplace("choice");
        fs::path module = folder->Path() / "libnumo.so";
        fs::copy_file(fs::path(NUMO_PROGRAM).parent_path() / "libnumo.so", module);
        for (const auto& [file, header] : row.files) {
            std::vector<std::string> messages = RealMessages(kMessageCount);
            messages[MsgDivByZero] = "from " + file;
            std::string text = LanguageFileText(messages);
            text.replace(0, text.find('\n'), ".Language=" + header + ",x");
            std::ofstream(folder->Path() / file, std::ios::binary) << text;
        }
        args.insert(args.end(), {"--module", module.string()});
    }
    args.insert(args.end(), {"eval", "1/0"});
    Outcome outcome = RunProgram(NUMO_PROGRAM, args, "", "", "", "", row.locale);
    if (row.result.empty()) {
        EXPECT_EQ(outcome.status, kExitModule);
        EXPECT_NE(outcome.err.find("no language file"), std::string::npos) << outcome.err;
        return;
    }
    EXPECT_EQ(outcome.out, Block("1 0 /", row.result, "", "", MsgDivByZero)) << outcome.err;
    EXPECT_EQ(outcome.status, kExitMessage);
}

const char kEnglish[] = "Division by zero";
const char kRussian[] = "Деление на ноль";

INSTANTIATE_TEST_SUITE_P(
    Cli, LanguageChoice,
    ::testing::Values(
        LanguageRow{"NothingSetIsEnglish", {}, {}, {}, kEnglish},
        LanguageRow{"Option", {"--lang", "Russian"}, {"LC_ALL=C.UTF-8"}, {}, kRussian},
        LanguageRow{"OptionInAnyCase", {"--lang", "rUSSIAN"}, {"LC_ALL=C.UTF-8"}, {}, kRussian},
        LanguageRow{"OptionBeforeLocale",
                    {"--lang", "English"},
                    {"LANG=ru_RU.UTF-8", "LC_CTYPE=C.UTF-8"},
                    {},
                    kEnglish},
        LanguageRow{"Lang", {}, {"LANG=ru_RU.UTF-8", "LC_CTYPE=C.UTF-8"}, {}, kRussian},
        LanguageRow{"MessagesBeforeLang",
                    {},
                    {"LC_MESSAGES=ru_RU.UTF-8", "LANG=en_GB.UTF-8", "LC_CTYPE=C.UTF-8"},
                    {},
                    kRussian},
        LanguageRow{"AllBeforeEverything",
                    {},
                    {"LC_ALL=C.UTF-8", "LC_MESSAGES=ru_RU.UTF-8", "LANG=ru_RU.UTF-8"},
                    {},
                    kEnglish},
        // Cyrillic shown in a locale's character set other than UTF-8, and in one without it.
        LanguageRow{"Koi8Terminal",
                    {"--lang", "Russian"},
                    {"LC_ALL=ru_RU.KOI8-R"},
                    {},
                    "\xE4\xC5\xCC\xC5\xCE\xC9\xC5 \xCE\xC1 \xCE\xCF\xCC\xD8",
                    "ru_RU.KOI8-R"},
        LanguageRow{"AsciiTerminal", {"--lang", "Russian"}, {"LC_ALL=C"}, {}, "??????? ?? ????"},
        // Another code page: the same bytes read as code page 437's characters.
        LanguageRow{"CodePageOption",
                    {"--lang", "Russian", "--codepage", "437"},
                    {"LC_ALL=C.UTF-8"},
                    {},
                    "äÑ½Ñ¡¿Ñ ¡á ¡«½∞"},
        LanguageRow{"MissingLanguageIsEnglish", {"--lang", "German"}, {}, {}, kEnglish},
        LanguageRow{"HeadersInOddCase",
                    {"--lang", "Russian"},
                    {},
                    {{"a.lng", "eNGLISH"}, {"b.lng", "rUSSIAN"}},
                    "from b.lng"},
        LanguageRow{"EnglishWhenTheLocalesLanguageIsMissing",
                    {},
                    {"LANG=ru_RU.UTF-8"},
                    {{"a.lng", "German"}, {"b.lng", "english"}, {"c.lng", "Polish"}},
                    "from b.lng"},
        LanguageRow{"NoLanguageFileAtAll", {"--lang", "Russian"}, {}, {{"x.txt", "Russian"}}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// The program runs in the user's locale, as the host does: the formula and the variables are read
// with '.' under every locale, a comma is no decimal point, and the result prints with the
// locale's decimal mark ("25,000" in a Russian locale), so LC_ALL=C gives '.' for scripts.
struct NumberLocaleRow {
    const char* name;
    std::vector<std::string> locale;
    std::vector<std::string> args; // after `numo`
    std::string result;            // the result line's text
    int status;
};

std::ostream& operator<<(std::ostream& os, const NumberLocaleRow& row) {
    return os << row.name;
}

class NumberLocale : public ::testing::TestWithParam<NumberLocaleRow> {};

TEST_P(NumberLocale, ReadsAPointAndPrintsInTheLocale) {
    const NumberLocaleRow& row = GetParam();
    ASSERT_TRUE(fs::exists(fs::path(NUMO_LOCALE_DIR) / "ru_RU.UTF-8"))
        << "the build could not make the locale ru_RU.UTF-8";
    Outcome outcome = RunProgram(NUMO_PROGRAM, row.args, "", "", "", "", row.locale);
    std::string out = outcome.out;
    std::size_t line = out.find("result: ");
    ASSERT_NE(line, std::string::npos) << out << outcome.err;
    EXPECT_EQ(out.substr(line + 8, out.find('\n', line) - line - 8), row.result) << outcome.err;
    EXPECT_NE(out.find("status: " + std::to_string(row.status) + "\n"), std::string::npos) << out;
}

const char kBadVariable[] = "A variable field is empty or not a number";

INSTANTIATE_TEST_SUITE_P(
    Cli, NumberLocale,
    ::testing::Values(
        NumberLocaleRow{
            "CommaLocale", {"LC_ALL=ru_RU.UTF-8"}, {"eval", "--", "12.5*2"}, "25,000", MsgOk},
        NumberLocaleRow{
            "CommaLocaleTenths", {"LC_ALL=ru_RU.UTF-8"}, {"eval", "--", "0.1+0.2"}, "0,300", MsgOk},
        NumberLocaleRow{"CommaLocaleVariable",
                        {"LC_ALL=ru_RU.UTF-8"},
                        {"eval", "-a", "1.5", "--", "a*2"},
                        "3,000",
                        MsgOk},
        NumberLocaleRow{"CommaLocaleCommaVariable",
                        {"LC_ALL=ru_RU.UTF-8"},
                        {"--lang", "English", "eval", "-a", "12,5", "--", "a"},
                        kBadVariable,
                        MsgBadVariable},
        NumberLocaleRow{
            "NumericOnly", {"LC_NUMERIC=ru_RU.UTF-8"}, {"eval", "--", "12.5*2"}, "25,000", MsgOk},
        NumberLocaleRow{"CLocale", {"LC_ALL=C"}, {"eval", "--", "12.5*2"}, "25.000", MsgOk},
        NumberLocaleRow{"CLocaleCommaVariable",
                        {"LC_ALL=C"},
                        {"eval", "-a", "12,5", "--", "a"},
                        kBadVariable,
                        MsgBadVariable}),
    [](const auto& info) { return std::string(info.param.name); });

// The formula's length counts in the host's characters: 511 Cyrillic letters fill the field,
// though they are twice as many bytes in UTF-8.
TEST(Cli, TypedTextCountsInTheHostsCharacters) {
    std::string letters;
    for (int i = 0; i < Dialog::kMaxTextLength; ++i)
        letters += "ж";
    Outcome outcome = Numo({"--lang", "Russian", "eval", letters});
    EXPECT_EQ(outcome.out, Block("", "В формуле есть недопустимый символ", "", "", MsgBadChar))
        << outcome.err;
    outcome = Numo({"--lang", "Russian", "eval", letters + "ж"});
    EXPECT_EQ(outcome.status, kExitUsage);
    EXPECT_NE(outcome.err.find("at most 511"), std::string::npos) << outcome.err;
}

TEST(Cli, VersionAndHelp) {
    Outcome outcome = Numo({"--version"});
    EXPECT_EQ(outcome.out, std::string("numo ") + NUMO_VERSION + "\n");
    EXPECT_EQ(outcome.status, 0);

    outcome = Numo({"--help"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out.rfind("Usage: numo", 0), 0u);
    // The exit statuses, each with its meaning, as the program uses them.
    for (const ExitStatusRow& row : kExitStatuses) {
        std::string line = "\n  " + std::to_string(row.status) + "  " + row.meaning + "\n";
        EXPECT_NE(outcome.out.find(line), std::string::npos) << line;
    }
    // The help file's topic follows the usage: every function and both keys.
    for (const char* word :
         {"sin cos tan cot", "asin acos atan acot", "ln lg", "exp", "sqrt sqr", "trunc frac",
          "round", "ceil floor", "Grey +", "Grey -", "left-associative",
          // the terminal's own keys, which the module's help file does not know
          "Alt+=", "Alt+-"})
        EXPECT_NE(outcome.out.find(word), std::string::npos) << word;
    EXPECT_EQ(outcome.out.find('#'), std::string::npos) << "markup is rendered, not shown";
}

// --- Output that cannot be written (a full disk): one line on standard error and exit status
// 4, for every command that writes to standard output, whatever the outcome would have been.
struct UnwritableCase {
    const char* name;
    std::vector<std::string> args;
    std::string input = "";
};

class UnwritableOutput : public ::testing::TestWithParam<UnwritableCase> {};

TEST_P(UnwritableOutput, IsOneLineAndStatusFour) {
    Outcome outcome =
        RunProgram(NUMO_PROGRAM, GetParam().args, GetParam().input, "", "", "/dev/full");
    EXPECT_EQ(outcome.status, kExitOutput);
    EXPECT_EQ(outcome.err, "numo: cannot write to standard output: " +
                               std::string(std::strerror(ENOSPC)) + "\n");
}

std::string ManyFormulas() {
    std::string lines;
    for (int i = 0; i < 2000; ++i)
        lines += std::to_string(i) + "/7\n";
    return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Cli, UnwritableOutput,
    ::testing::Values(UnwritableCase{"EvalResult", {"eval", "1+1"}},
                      UnwritableCase{"EvalMessage", {"eval", "1/0"}},
                      UnwritableCase{"Batch", {"eval", "--batch"}, "1+1\n2*2\n"},
                      // Far more than a buffer: the write fails while formulas remain.
                      UnwritableCase{"LongBatch", {"eval", "--batch"}, ManyFormulas()},
                      UnwritableCase{"Info", {"info"}}, UnwritableCase{"Help", {"--help"}},
                      UnwritableCase{"Version", {"--version"}}),
    [](const auto& info) { return std::string(info.param.name); });
