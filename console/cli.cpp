// The command line of `numo`: parsing, the commands, and the headless runs of the calculator.
#include "console/cli.h"

#include "console/exit_status.h"
#include "console/line_reader.h"
#include "console/module_path.h"
#include "far/calculator_contract.h"
#include "hostsim/code_page.h"
#include "hostsim/help_file.h"
#include "hostsim/host.h"
#include "hostsim/host_language.h"
#include "hostsim/language_file.h"
#include "hostsim/module_loader.h"

#ifdef NUMO_TERMINAL
#include "console/curses_terminal.h"
#include "console/history_file.h"
#include "console/terminal_front_end.h"

#include <unistd.h>

#include <cstdlib>
#endif

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string_view>

extern const char kHelpText[]; // the help file, built into the program

namespace numo::console {

using hostsim::Dialog;
using hostsim::HelpFile;
using hostsim::HelpLine;
using hostsim::Host;
using hostsim::LanguageFile;
using hostsim::LoadedModule;
using hostsim::ScriptedFrontEnd;

namespace {
constexpr const char* kUsage =
#ifdef NUMO_TERMINAL
    "Usage: numo [--module PATH] [--lang NAME] [--codepage N] [COMMAND]\n"
    "  numo\n"
#else
    "Usage: numo [--module PATH] [--lang NAME] [--codepage N] COMMAND\n"
#endif
    "  numo eval [-a VALUE] [-b VALUE] [-c VALUE] [-d DECIMALS] [--] FORMULA\n"
    "  numo eval [-a VALUE] [-b VALUE] [-c VALUE] [-d DECIMALS] --batch\n"
    "  numo info\n"
    "  numo -h | --help | --version\n"
    "\n"
    "eval opens the calculator without a screen, types the values of a, b, c and the formula\n"
    "into their fields, sets the decimals (3 unless -d says otherwise, at most 200) and prints\n"
    "the postfix form, the result, its integer part in hexadecimal and binary, and the number\n"
    "of the message shown (8: a result). Numbers are typed with a point; the result is\n"
    "printed in the locale, as the host prints it (25,000 in a Russian one; LC_ALL=C: 25.000).\n"
    "--batch reads one formula per line from standard input into the same open dialog, and\n"
    "prints each line's block as soon as the line is there; a line that cannot be typed gets\n"
    "a block saying why (status: -1) and the batch goes on.\n"
    "A formula that starts with '-' goes after --. info prints the plug-in's menu entry, the\n"
    "module file loaded (the one beside this program, else the installed one, in the numo\n"
    "folder of the library folder, found from this program's real path) and the languages\n"
    "beside it, and the language chosen. --module PATH loads the module from PATH instead.\n"
    "--lang NAME sets the host's language (English, Russian; case does not matter): the\n"
    "module's language and help files are the ones of that name, else the English ones.\n"
    "Without it the locale decides: the first of LC_ALL, LC_MESSAGES and LANG that is set,\n"
    "Russian for a ru locale whose character set can show it, else English (info says why).\n"
    "--codepage N sets the host's 8-bit code page (866 for Russian, else 437; one that keeps\n"
    "ASCII): the module's files are read in it as they are, not converted (the Russian ones\n"
    "are in 866), and shown in the locale's character set; typed text goes into the code\n"
    "page ('?' where it lacks a character). --module, --lang and --codepage may stand before\n"
    "or after the command.\n"
#ifdef NUMO_TERMINAL
    "\n"
    "With no command, numo opens the calculator in this terminal (standard input and output\n"
    "must be one). Keys: Tab, Shift+Tab, Up, Down move between the fields; grey + and - (or\n"
    "Alt+= and Alt+-) add and remove a decimal; Ctrl+Down shows the formulas used before; F1\n"
    "the help; Enter closes and keeps the formula in the history; Esc, F10 and Ctrl+C close.\n"
    "In a field: Ctrl+Left, Ctrl+Right (Alt+B, Alt+F) a word; Ctrl+A, Ctrl+E the ends; Ctrl+BS,\n"
    "Ctrl+W, Ctrl+Del delete a word, Ctrl+U, Ctrl+K to the start, to the end; Shift with the\n"
    "arrows, Home, End selects; Ctrl+Ins copies (also to the terminal's clipboard), Shift+Ins\n"
    "pastes; Alt+Backspace or Ctrl+_ undoes; Ctrl+Z suspends numo (fg brings it back). Pasted\n"
    "text stays text: its line ends and tabs are dropped, and what the field cannot hold too.\n"
    "The history is kept in $XDG_STATE_HOME/numo/history (else ~/.local/state/numo/history).\n"
#endif
    ;

// The usage and the table of exit statuses.
void PrintUsage(std::ostream& out) {
    out << kUsage << "\nExit status:\n";
    for (const ExitStatusRow& row : kExitStatuses)
        out << "  " << row.status << "  " << row.meaning << "\n";
    out << kBatchStatusOrder << "\n";
}

Failure UsageError(const std::string& message) {
    return Failure(kExitUsage, message);
}

Failure ModuleFault(const std::string& message) {
    return Failure(kExitModule, message);
}

enum class Command { Interactive, Eval, Info, Help, Version };

struct Options {
    Command command = Command::Interactive;
    std::optional<std::string> module;
    std::string language;     // the host's: --lang, else the locale's
    std::string languageNote; // why the locale's language was not taken, or ""
    int codePage = 0;         // the host's: --codepage, else the language's
    std::optional<std::string> variables[3];
    int decimals = kOpeningPrecision;
    bool batch = false;
    std::optional<std::string> formula;
};

void CheckFieldLength(const std::string& text, const std::string& what) {
    if (text.size() > static_cast<std::size_t>(Dialog::kMaxTextLength))
        throw UsageError(what + " is " + std::to_string(text.size()) +
                         " characters long; the field holds at most " +
                         std::to_string(Dialog::kMaxTextLength));
}

int ParseDecimals(const std::string& text) {
    if (!text.empty() && text[0] == '-')
        throw UsageError("DECIMALS must not be negative: '" + text + "'");
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        throw UsageError("DECIMALS must be a whole number from 0 to " +
                         std::to_string(kMaxPrecision) + ": '" + text + "'");
    std::string digits = text.substr(std::min(text.find_first_not_of('0'), text.size() - 1));
    if (digits.size() > 4 || std::stoi(digits) > kMaxPrecision)
        throw UsageError("DECIMALS " + text + " is above the calculator's limit of " +
                         std::to_string(kMaxPrecision));
    return std::stoi(digits);
}

// The value after an option; i moves onto it.
const std::string& OptionValue(const std::vector<std::string>& args, std::size_t& i) {
    if (i + 1 >= args.size())
        throw UsageError("option " + args[i] + " needs a value");
    return args[++i];
}

// The host's code page: one the system converts, of one byte a character, keeping ASCII.
int ParseCodePage(const std::string& text) {
    bool digits = !text.empty() && text.size() <= 5 &&
                  text.find_first_not_of("0123456789") == std::string::npos;
    int number = digits ? std::stoi(text) : 0;
    std::string unfit = digits ? hostsim::CodePage::Unfit(number) : "";
    if (!digits || !unfit.empty())
        throw UsageError("--codepage " + text + ": " +
                         (digits ? "code page " + text + " " + unfit : "not a code page number") +
                         "; the host needs an 8-bit code page that keeps ASCII (866, 437, "
                         "1251, ...)");
    return number;
}

// An option of eval: -a, -b, -c (a variable's text), -d, --batch; false for any other word.
bool ParseEvalOption(const std::vector<std::string>& args, std::size_t& i, Options& options) {
    const std::string& arg = args[i];
    if (arg == "--batch") {
        options.batch = true;
    } else if (arg == "-d") {
        options.decimals = ParseDecimals(OptionValue(args, i));
    } else if (arg == "-a" || arg == "-b" || arg == "-c") {
        const std::string& value = OptionValue(args, i);
        options.variables[arg[1] - 'a'] = value; // its length counts in the host's code page
    } else {
        return false;
    }
    return true;
}

// The whole command line, read once. --module, --lang and --codepage may stand anywhere before
// a "--"; --help and
// --version only before the command, and they end the reading; eval takes its own options
// anywhere before "--" and one formula (unless --batch); info takes nothing else.
Options ParseCommandLine(const std::vector<std::string>& args) {
    Options options;
    std::optional<std::string> language;
    std::optional<int> codePage;
    bool commandSeen = false, optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (isOption && arg == "--module") {
            options.module = OptionValue(args, i);
        } else if (isOption && arg == "--lang") {
            language = OptionValue(args, i);
            if (language->empty())
                throw UsageError("the language's name is empty (--lang English, --lang Russian)");
        } else if (isOption && arg == "--codepage") {
            codePage = ParseCodePage(OptionValue(args, i));
        } else if (!commandSeen) {
            if (arg == "--help" || arg == "-h") {
                options.command = Command::Help;
                return options;
            }
            if (arg == "--version") {
                options.command = Command::Version;
                return options;
            }
            if (isOption)
                throw UsageError("unknown option '" + arg + "' (see numo --help)");
            if (arg == "eval")
                options.command = Command::Eval;
            else if (arg == "info")
                options.command = Command::Info;
            else
                throw UsageError("unknown command '" + arg + "' (see numo --help)");
            commandSeen = true;
        } else if (options.command == Command::Info) {
            throw UsageError("info takes no '" + arg + "'");
        } else if (isOption && arg == "--") {
            optionsEnded = true;
        } else if (isOption) {
            if (!ParseEvalOption(args, i, options))
                throw UsageError("unknown option '" + arg +
                                 "' (a formula that starts with '-' goes after --)");
        } else if (options.formula) {
            throw UsageError("more than one FORMULA ('" + *options.formula + "' and '" + arg +
                             "'); quote a formula that has spaces");
        } else {
            options.formula = arg;
        }
    }
    if (options.command == Command::Eval) {
        if (options.batch && options.formula)
            throw UsageError("give either FORMULA or --batch, not both");
        if (!options.batch && !options.formula)
            throw UsageError("eval needs a FORMULA (or --batch)");
    }
    hostsim::LanguageChoice choice =
        hostsim::ChooseHostLanguage(language ? &*language : nullptr, hostsim::LocaleCharset());
    options.language = choice.language;
    options.languageNote = choice.note;
    options.codePage = codePage ? *codePage : hostsim::DefaultCodePage(options.language);
    return options;
}

// The module named with --module, else the one beside the program, else the installed one.
// One named on the command line that is not there is the user's mistake; no module where the
// program looks, or any module that cannot be used, is a fault of the installation.
std::string ModulePath(const Options& options, const std::string& program) {
    if (options.module) {
        if (options.module->empty())
            throw UsageError("the module's path is empty");
        std::error_code ec;
        if (!std::filesystem::exists(*options.module, ec))
            throw UsageError("module " + *options.module + " is missing");
        return *options.module;
    }
    std::vector<std::filesystem::path> candidates = ModuleCandidates(program);
    std::filesystem::path found = FindModule(candidates);
    if (found.empty()) {
        std::string places;
        for (const std::filesystem::path& candidate : candidates)
            places += (places.empty() ? "" : " or ") + candidate.string();
        throw ModuleFault("no module: looked for " + places + " (--module PATH names one)");
    }
    return found.string();
}

// The module loaded, its language file read, and a host that has called SetStartupInfo and
// GetPluginInfo, as the host does before it shows its plug-in menu.
struct Session {
    LoadedModule module;
    Host host;
    PluginInfo info;

    Session(const std::string& path, const std::string& language)
        : module(path), host(hostsim::LoadModuleLanguage(module.Folder(), language, kMessageCount),
                             std::filesystem::absolute(path).string()) {
        host.Start(module.SetStartupInfo);
        info = host.QueryPluginInfo(module.GetPluginInfo);
    }

    // Calls OpenPlugin, which runs the calculator's dialog through the host's front end (or
    // through the script); a module that shows no dialog is a faulty one.
    void Open(const ScriptedFrontEnd::Script& script = {}) {
        int before = host.DialogsRun();
        if (script)
            host.Open(module.OpenPlugin, script);
        else
            host.Open(module.OpenPlugin);
        dialogShown = host.DialogsRun() > before;
    }
    void RequireDialogShown() const {
        if (!dialogShown)
            throw ModuleFault("module " + module.Path() + " opened no dialog");
    }

    bool dialogShown = false;
};

// Standard output took everything written so far; a write that failed ends the command. Called
// right after writing, errno still holds the failed write's reason.
void CheckWritten(std::ostream& out) {
    int reason = errno;
    if (out)
        return;
    throw Failure(kExitOutput, std::string("cannot write to standard output") +
                                   (reason != 0 ? std::string(": ") + std::strerror(reason) : ""));
}

// Decimals of a plain number ("-12.500" has 3, "7" has 0); -1 for anything else ("inf").
int ShownDecimals(const std::string& text) {
    std::string_view rest = text;
    if (!rest.empty() && rest[0] == '-')
        rest.remove_prefix(1);
    std::size_t point = rest.find('.');
    std::string_view whole = rest.substr(0, point);
    std::string_view fraction = point == std::string_view::npos ? "" : rest.substr(point + 1);
    auto digits = [](std::string_view part) {
        return !part.empty() && part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (!digits(whole) || (point != std::string_view::npos && !digits(fraction)))
        return -1;
    return static_cast<int>(fraction.size());
}

struct Block {
    std::string postfix, result, hex, bin;
    int status;
};

Block ReadBlock(const Dialog& dialog, const LanguageFile& language) {
    Block block{dialog.Text(ItemPostfix), dialog.Text(ItemResult), dialog.Text(ItemHex),
                dialog.Text(ItemBin), 0};
    // The fault message the result field shows, or 8 for a result.
    block.status = hostsim::FindShownMessage(language, block.result, kFirstFaultMessage,
                                             kLastFaultMessage, kResultMessage);
    return block;
}

// The fields' texts are the host's: shown in the locale's character set. The block goes to the
// stream in one write (a batch writes one a line). `after` ends it ("\n" between a batch's
// blocks).
void PrintBlock(std::ostream& out, const Block& block, const hostsim::CodePage& page,
                const char* after = "") {
    std::string text;
    text.reserve(64 + block.postfix.size() + block.result.size() + block.bin.size());
    text += "postfix: ";
    page.AppendLocal(text, block.postfix);
    text += "\nresult: ";
    page.AppendLocal(text, block.result);
    text += "\nhex: ";
    page.AppendLocal(text, block.hex);
    text += "\nbin: ";
    page.AppendLocal(text, block.bin);
    text += "\nstatus: " + std::to_string(block.status) + "\n";
    text += after;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void CheckDecimals(const Block& block, int decimals) {
    int shown = block.status == kResultMessage ? ShownDecimals(block.result) : -1;
    if (shown >= 0 && shown != decimals)
        throw ModuleFault("the module shows " + std::to_string(shown) + " decimals, not the " +
                          std::to_string(decimals) + " asked for: its limit is lower than " +
                          std::to_string(kMaxPrecision));
}

void Edit(Dialog& dialog, int item, const std::string& text) {
    if (!dialog.EditText(item, text))
        throw ModuleFault("the module's dialog does not let item " + std::to_string(item) +
                          " be edited");
}

void SetDecimals(Dialog& dialog, int decimals) {
    for (int shown = kOpeningPrecision; shown < decimals; ++shown)
        dialog.Key(KEY_ADD);
    for (int shown = kOpeningPrecision; shown > decimals; --shown)
        dialog.Key(KEY_SUBTRACT);
}

// Runs the calculator with a script. The script runs inside the module's call to DialogEx, so
// nothing may be thrown through the module: a failure is kept and raised after OpenPlugin.
void RunCalculator(Session& session, const std::function<void(Dialog&)>& script) {
    std::exception_ptr failure;
    session.Open([&](Dialog& dialog) {
        try {
            if (dialog.ItemCount() <= ItemBin)
                throw ModuleFault("the module's dialog has " + std::to_string(dialog.ItemCount()) +
                                  " items, too few for the calculator's");
            script(dialog);
        } catch (...) {
            failure = std::current_exception();
        }
        if (!dialog.Closed() && !dialog.Close(-1))
            dialog.ForceClose(-1);
    });
    if (failure)
        std::rethrow_exception(failure);
    session.RequireDialogShown();
}

// Text given to eval, typed into a field as the host's characters; it must fit there.
std::string Typed(const std::string& text, const hostsim::CodePage& page, const std::string& what) {
    std::string host = page.ToHost(text);
    CheckFieldLength(host, what);
    return host;
}

// A character of the local set takes at most this many bytes (UTF-8, GB18030): a line of more
// bytes than the field's characters times this is too long before it is converted, and no more
// of it is held.
constexpr std::size_t kMaxBytesPerCharacter = 4;

// The formula of a batch's line as host characters, or why it cannot be typed.
struct BatchLine {
    std::string formula;
    std::string unusable; // "" when the formula can be typed
};

BatchLine TypeLine(const LineReader::Line& line, long long number, const hostsim::CodePage& page) {
    std::string which = "line " + std::to_string(number);
    if (line.hasNul)
        return {"", which + " holds a NUL byte, which no field can hold"};
    std::string field = " long; the field holds at most " + std::to_string(Dialog::kMaxTextLength);
    if (line.Cut())
        return {"",
                which + " is " + std::to_string(line.length) + " bytes" + field + " characters"};
    std::string host = page.ToHost(line.text);
    if (host.size() > static_cast<std::size_t>(Dialog::kMaxTextLength))
        return {"", which + " is " + std::to_string(host.size()) + " characters" + field};
    return {std::move(host), ""};
}

// A batch's exit status so far and one line's: the worse of the two (5 over 1 over 0).
int WorseStatus(int batch, int line) {
    auto rank = [](int status) {
        return status == kExitBadLine ? 2 : status == kExitMessage ? 1 : 0;
    };
    return rank(line) > rank(batch) ? line : batch;
}

int RunEval(const Options& options, const std::string& program, int input, std::ostream& out) {
    hostsim::CodePage page(options.codePage, hostsim::LocaleCharset());
    std::optional<std::string> variables[3];
    for (int v = 0; v < 3; ++v) {
        if (options.variables[v])
            variables[v] = Typed(*options.variables[v], page,
                                 std::string("the value of -") + static_cast<char>('a' + v));
    }
    std::optional<std::string> formula;
    if (!options.batch)
        formula = Typed(*options.formula, page, "the formula");

    Session session(ModulePath(options, program), options.language);
    const LanguageFile& language = session.host.Language();
    int exitStatus = kExitResult;
    // Each line is typed as soon as it is read and its block written before more input is
    // waited for: what was written goes out whenever the reader must read again.
    LineReader reader(input, "standard input", Dialog::kMaxTextLength * kMaxBytesPerCharacter,
                      [&out] {
                          out.flush();
                          CheckWritten(out);
                      });
    RunCalculator(session, [&](Dialog& dialog) {
        for (int v = 0; v < 3; ++v) {
            if (variables[v])
                Edit(dialog, kVariableItems[v], *variables[v]);
        }
        if (formula) {
            // A single formula goes in first: the decimals are then set on its result, as a
            // user would.
            Edit(dialog, ItemFormula, *formula);
            SetDecimals(dialog, options.decimals);
            Block block = ReadBlock(dialog, language);
            CheckDecimals(block, options.decimals);
            PrintBlock(out, block, page);
            CheckWritten(out);
            exitStatus = block.status == kResultMessage ? kExitResult : kExitMessage;
            return;
        }
        // The decimals carry over from one formula to the next, as they do for a user.
        SetDecimals(dialog, options.decimals);
        LineReader::Line line;
        for (long long number = 1; reader.Next(&line); ++number) {
            BatchLine typed = TypeLine(line, number, page);
            Block block{"", typed.unusable, "", "", kUnusableLine};
            if (typed.unusable.empty()) {
                Edit(dialog, ItemFormula, typed.formula);
                block = ReadBlock(dialog, language);
                CheckDecimals(block, options.decimals);
            }
            // The reason for an unusable line is our own ASCII text, the same in every code page.
            PrintBlock(out, block, page, "\n");
            CheckWritten(out);
            exitStatus = WorseStatus(exitStatus, block.status == kResultMessage  ? kExitResult
                                                 : block.status == kUnusableLine ? kExitBadLine
                                                                                 : kExitMessage);
        }
    });
    return exitStatus;
}

int RunInfo(const Options& options, const std::string& program, std::ostream& out) {
    hostsim::CodePage page(options.codePage, hostsim::LocaleCharset());
    Session session(ModulePath(options, program), options.language);
    const PluginInfo& info = session.info;
    // A module may hand over any count: show what a host's menu would, and no more.
    int count = info.PluginMenuStrings != nullptr ? info.PluginMenuStringsNumber : 0;
    for (int i = 0; i < count && i < 100; ++i) {
        const char* text = info.PluginMenuStrings[i];
        out << "menu: " << page.ToLocal(text != nullptr ? text : "") << "\n";
    }
    out << "flags: " << info.Flags;
    static const std::pair<DWORD, const char*> kFlags[] = {
        {PF_PRELOAD, "PF_PRELOAD"},         {PF_DISABLEPANELS, "PF_DISABLEPANELS"},
        {PF_EDITOR, "PF_EDITOR"},           {PF_VIEWER, "PF_VIEWER"},
        {PF_FULLCMDLINE, "PF_FULLCMDLINE"}, {PF_DIALOG, "PF_DIALOG"}};
    std::string names;
    for (const auto& [flag, name] : kFlags) {
        if (info.Flags & flag)
            names += std::string(names.empty() ? "" : " ") + name;
    }
    if (!names.empty())
        out << " (" << names << ")";
    out << "\n";
    // Which file was loaded: with a build tree, an installed tree and --module, not obvious.
    out << "module: "
        << std::filesystem::absolute(session.module.Path()).lexically_normal().string() << "\n";
    std::string languages;
    for (const std::string& name : hostsim::LanguagesInFolder(session.module.Folder()))
        languages += (languages.empty() ? "" : ", ") + page.ToLocal(name);
    out << "languages: " << languages << "\n";
    out << "language: " << options.language;
    if (!options.languageNote.empty())
        out << " (" << options.languageNote << ")";
    out << "\n";
    return kExitResult;
}

#ifdef NUMO_TERMINAL
// The calculator in the terminal: the module's dialog run by the interactive front end, with the
// history kept in the user's state folder. A terminal that went away or SIGTERM ends the process
// by that signal once the terminal is put back.
int RunInteractive(const Options& options, const std::string& program, std::ostream& err) {
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        err << "numo: the calculator needs a terminal, and standard "
            << (isatty(STDIN_FILENO) ? "output" : "input")
            << " is none; without one use a command\n";
        PrintUsage(err);
        return kExitUsage;
    }
    Session session(ModulePath(options, program), options.language);
    // Without HOME and XDG_STATE_HOME the path is empty: the dialog opens with no history, and
    // a formula closed with Enter is reported as not kept, as every other history failure is.
    FileHistory history(FileHistory::DefaultPath());
    session.host.SetHistory(&history);

    TerminalFrontEnd::Options frontEndOptions;
    frontEndOptions.helpFolder = session.module.Folder();
    frontEndOptions.language = options.language;
    frontEndOptions.codePage = options.codePage;
    frontEndOptions.history = &session.host.History();
    // Hidden, for the test of the crash handler only: with NUMO_DEBUG_CRASH_AFTER_DRAWING=1 the
    // program raises SIGSEGV once the dialog is on the screen, and the test checks that the
    // terminal was put back all the same.
    const char* crash = std::getenv("NUMO_DEBUG_CRASH_AFTER_DRAWING");
    frontEndOptions.crashAfterDrawing = crash != nullptr && std::string(crash) == "1";

    CursesTerminal terminal(options.codePage);
    // Another numo writing the history holds its lock: the last line says why the dialog waits.
    std::string lockWait = HostTextsIn(
        options.language, options.codePage)[static_cast<std::size_t>(HostText::LockWait)];
    history.SetLockWait(FileHistory::kDefaultLockWait, [&terminal, lockWait] {
        constexpr Attribute kNotice = 0x70; // black on light grey, as the dialog
        terminal.Put(0, terminal.Rows() - 1, lockWait, kNotice);
        terminal.Flush();
    });
    TerminalFrontEnd frontEnd(terminal, frontEndOptions);
    session.host.SetFrontEnd(&frontEnd);
    session.Open();
    session.host.SetFrontEnd(nullptr);
    terminal.Restore();
    CursesTerminal::RaiseStopSignal();
    frontEnd.RethrowFailure();
    session.RequireDialogShown();
    if (!history.LastError().empty())
        err << "numo: the formula was not kept in the history: " << history.LastError() << "\n";
    return kExitResult;
}
#endif

void PrintHelp(std::ostream& out) {
    PrintUsage(out);
    out << "\n";
    HelpFile help = hostsim::ParseHelpFile(kHelpText, "numo_en.hlf");
    for (const HelpLine& line : hostsim::RenderHelpTopic(help, "Contents", 0)) {
        std::string_view text = line.text;
        while (!text.empty() && text.back() == ' ')
            text.remove_suffix(1);
        out << text << "\n";
    }
}

int Run(const std::vector<std::string>& args, const std::string& program, int input,
        std::ostream& out, std::ostream& err) {
    Options options = ParseCommandLine(args);
    switch (options.command) {
    case Command::Help:
        PrintHelp(out);
        return kExitResult;
    case Command::Version:
        out << "numo " << NUMO_VERSION << "\n";
        return kExitResult;
    case Command::Eval:
        return RunEval(options, program, input, out);
    case Command::Info:
        return RunInfo(options, program, out);
    case Command::Interactive:
        break;
    }
#ifdef NUMO_TERMINAL
    return RunInteractive(options, program, err);
#else
    PrintUsage(err);
    return kExitUsage;
#endif
}
} // namespace

int RunCli(const std::vector<std::string>& args, const std::string& program, int input,
           std::ostream& out, std::ostream& err) {
    try {
        int status = Run(args, program, input, out, err);
        // A stream that failed already keeps the errno of its failed write: nothing since
        // touched errno (a long batch checks after each block instead).
        if (out) {
            errno = 0;
            out.flush();
        }
        CheckWritten(out);
        return status;
    } catch (const Failure& failure) {
        err << "numo: " << failure.what() << "\n";
        return failure.Status();
    } catch (const std::exception& error) {
        // HostError: the module or a file beside it (its language or help file) is at fault.
        // Anything else also arose while loading or running the module.
        err << "numo: " << error.what() << "\n";
        return kExitModule;
    }
}

} // namespace numo::console
