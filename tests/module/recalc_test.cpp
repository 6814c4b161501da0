// The calculator dialog end to end: the module linked in, run by the stand-in host headless,
// as a user types into it. Call sequences come from the host's call recorder.
#include "dialog/calculator.h"
#include "engine/heap_check.h"
#include "engine/status.h"
#include "hostsim/host.h"
#include "hostsim/language_file.h"
#include "services/services.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

using numo::hostsim::Dialog;
using numo::hostsim::Host;
using numo::hostsim::LanguageFile;
using numo::hostsim::ReadLanguageFile;
using numo::hostsim::Service;

namespace {
struct Outputs {
    std::string postfix, result, hex, bin;
};

Outputs ReadOutputs(const Dialog& dialog) {
    return {dialog.Text(ItemPostfix), dialog.Text(ItemResult), dialog.Text(ItemHex),
            dialog.Text(ItemBin)};
}

class Calculator : public ::testing::Test {
protected:
    explicit Calculator(LanguageFile language = ReadLanguageFile(NUMO_LANG_DIR "/numo_en.lng"))
        : host(std::move(language)) {}
    void SetUp() override { host.Start(SetStartupInfo); }

    std::string Msg(int id) { return host.Message(id); }

    // Opens the calculator, types the variables that differ from the fields' "0" and then the
    // formula (each one edit), runs more, and returns the four outputs as they stand then.
    Outputs Run(const std::string& formula, const std::string& a = "0", const std::string& b = "0",
                const std::string& c = "0", const std::function<void(Dialog&)>& more = {}) {
        Outputs out;
        host.Open(OpenPlugin, [&](Dialog& dialog) {
            const std::pair<int, const std::string*> vars[] = {
                {ItemVarA, &a}, {ItemVarB, &b}, {ItemVarC, &c}};
            for (auto [item, text] : vars) {
                if (*text != dialog.Text(item)) {
                    EXPECT_TRUE(dialog.EditText(item, *text));
                }
            }
            EXPECT_TRUE(dialog.EditText(ItemFormula, formula));
            if (more)
                more(dialog);
            out = ReadOutputs(dialog);
            dialog.Close(-1);
        });
        return out;
    }

    // The SendDlgMessage lines the module makes while action runs.
    std::vector<std::string> Sends(Dialog& dialog, const std::function<void(Dialog&)>& action) {
        host.Recorder().Clear();
        host.Recorder().Start();
        action(dialog);
        host.Recorder().Stop();
        return host.Recorder().Lines({Service::SendDlgMessage});
    }

    Host host;
};

// The sends of one recalculation's writes, after the fields were read: each output field read,
// written back and its cursor put at its start, in this order.
std::vector<std::string> OutputWrites() {
    std::vector<std::string> lines;
    for (int item : {ItemPostfix, ItemHex, ItemBin, ItemResult}) {
        const std::string n = std::to_string(item);
        for (const std::string& line :
             {"DM_GETDLGITEM " + n, "DM_SETDLGITEM " + n, "DM_SETCURSORPOS " + n + " {0,0}"})
            lines.push_back("SendDlgMessage " + line);
    }
    return lines;
}

std::vector<std::string> Append(std::vector<std::string> lines,
                                const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

std::string Printed(const char* format, double value) {
    char buf[1024];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

struct Row {
    const char* name;
    const char* formula;
    const char* postfix;
    int message; // MsgOk: the result, hex and bin columns hold; else the message shown
    const char* result;
    const char* hex;
    const char* bin;
};

std::ostream& operator<<(std::ostream& os, const Row& row) {
    return os << row.name;
}

class EndToEnd : public Calculator, public ::testing::WithParamInterface<Row> {};

TEST_P(EndToEnd, OutputsAfterTheEdit) {
    const Row& row = GetParam();
    Outputs out = Run(row.formula);
    EXPECT_EQ(out.postfix, row.postfix);
    if (row.message == MsgOk) {
        EXPECT_EQ(out.result, row.result);
        EXPECT_EQ(out.hex, row.hex);
        EXPECT_EQ(out.bin, row.bin);
    } else {
        EXPECT_EQ(out.result, Msg(row.message));
        EXPECT_EQ(out.hex, "");
        EXPECT_EQ(out.bin, "");
    }
}

// Variable fields hold 0, 0 and 0; three decimals.
const Row kRows[] = {
    {"Precedence", "1+2*3", "1 2 3 * +", MsgOk, "7.000", "7", "111"},
    {"Sqrt", "sqrt(2)", "2 sqrt", MsgOk, "1.414", "1", "1"},
    {"Division", "10/4", "10 4 /", MsgOk, "2.500", "2", "10"},
    {"LnOfZeroVariable", "ln(a)", "a ln", MsgLnDomain, "", "", ""},
    {"OperatorAfterOperator", "2*-3", "", MsgDoubleOperator, "", "", ""},
    {"Empty", "", "", MsgNoOperand, "", "", ""},
    {"DivisionByZeroKeepsPostfix", "2/(a-a)", "2 a a - /", MsgDivByZero, "", "", ""},
    {"SpaceInsideNumber", "1 2", "12", MsgOk, "12.000", "C", "1100"},
    {"SpaceInsideName", "s in(0)", "0 sin", MsgOk, "0.000", "0", "0"},
    {"Capitals", "SIN(P)", "p sin", MsgOk, "0.000", "0", "0"},
    {"LeadingMinus", "-5", "0 5 -", MsgOk, "-5.000", "FFFFFFFB",
     "11111111111111111111111111111011"},
    {"LeadingPlus", "+5", "5", MsgOk, "5.000", "5", "101"},
    {"PlusAfterOpen", "(+5)", "5", MsgOk, "5.000", "5", "101"},
    {"NestedMinus", "(-(-2))", "0 0 2 - -", MsgOk, "2.000", "2", "10"},
    {"FractionTruncates", "255.9", "255.9", MsgOk, "255.900", "FF", "11111111"},
    {"NegativeHalfTruncatesToZero", "-0.5", "0 0.5 -", MsgOk, "-0.500", "0", "0"},
    {"LeftAssociativePower", "2^3^2", "2 3 ^ 2 ^", MsgOk, "64.000", "40", "1000000"},
    // Integer parts from -2^31 to 2^32-1: the host's itoa, as a signed 32-bit number.
    {"TwoToThe31", "2^31", "2 31 ^", MsgOk, "2147483648.000", "80000000",
     "10000000000000000000000000000000"},
    {"TwoToThe32MinusOne", "2^32-1", "2 32 ^ 1 -", MsgOk, "4294967295.000", "FFFFFFFF",
     "11111111111111111111111111111111"},
    {"MinusTwoToThe31", "-(2^31)", "0 2 31 ^ -", MsgOk, "-2147483648.000", "80000000",
     "10000000000000000000000000000000"},
    // Beyond them, within 64 bits: the host's itoa64, the whole number (negative values in its
    // two's complement digits); BIN longer than its field.
    {"TwoToThe32Plus5", "2^32+5", "2 32 ^ 5 +", MsgOk, "4294967301.000", "100000005",
     "100000000000000000000000000000101"},
    {"Beyond32Bits", "2^40+255", "2 40 ^ 255 +", MsgOk, "1099511628031.000", "100000000FF",
     "10000000000000000000000000000000011111111"},
    {"BelowMinusTwoToThe31", "-(2^31)-1", "0 2 31 ^ - 1 -", MsgOk, "-2147483649.000",
     "FFFFFFFF7FFFFFFF", "1111111111111111111111111111111101111111111111111111111111111111"},
    {"NegativeBeyond32Bits", "-(2^32)-255", "0 2 32 ^ - 255 -", MsgOk, "-4294967551.000",
     "FFFFFFFEFFFFFF01", "1111111111111111111111111111111011111111111111111111111100000001"},
    {"TwoToThe53", "2^53", "2 53 ^", MsgOk, "9007199254740992.000", "20000000000000",
     "100000000000000000000000000000000000000000000000000000"},
    {"LargestBelowTwoToThe63", "2^63-1024", "2 63 ^ 1024 -", MsgOk, "9223372036854774784.000",
     "7FFFFFFFFFFFFC00", "111111111111111111111111111111111111111111111111111110000000000"},
    {"MinusTwoToThe63", "-(2^63)", "0 2 63 ^ -", MsgOk, "-9223372036854775808.000",
     "8000000000000000", "1000000000000000000000000000000000000000000000000000000000000000"},
    // Beyond the signed 64-bit range: nothing.
    {"TwoToThe63", "2^63", "2 63 ^", MsgOk, "9223372036854775808.000", "", ""},
    {"Beyond64Bits", "10^20", "10 20 ^", MsgOk, "100000000000000000000.000", "", ""},
    // Only the space is deleted: other blanks and 8-bit bytes are outside the alphabet.
    {"TabIsNotDeleted", "1\t+2", "", MsgBadChar, "", "", ""},
    {"HighByteIsNotLetter", "1+\xff", "", MsgBadChar, "", "", ""},
};

INSTANTIATE_TEST_SUITE_P(Rows, EndToEnd, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Calculator, WorkedExampleWithVariableA) {
    Outputs out = Run(" 2*(-A) + sin(p/2)", "-3");
    EXPECT_EQ(out.postfix, "2 0 a - * p 2 / sin +");
    EXPECT_EQ(out.result, "7.000");
    EXPECT_EQ(out.hex, "7");
    EXPECT_EQ(out.bin, "111");
}

TEST_F(Calculator, VariablesAllThreeUsed) {
    Outputs out = Run("a*(b+c)", "-3", "2", "1.5e3");
    EXPECT_EQ(out.result, "-4506.000");
}

// The module writes an infinity and a NaN itself, whatever the host's sprintf would, at every
// number of decimals (grey minus down to 0, grey plus up past 3), and shows no integer part.
TEST_F(Calculator, InfinityAndNaNAreWrittenByTheModuleAtEveryDecimals) {
    const std::pair<const char*, const char*> cases[] = {
        {"exp(1000)", "inf"},
        {"-exp(1000)", "-inf"},
        {"exp(1000)-exp(1000)", "nan"},
        {"-(exp(1000)-exp(1000))", "nan"},
    };
    for (auto [formula, text] : cases) {
        SCOPED_TRACE(formula);
        host.Open(OpenPlugin, [&](Dialog& dialog) {
            dialog.EditText(ItemFormula, formula);
            EXPECT_EQ(dialog.Text(ItemResult), text);
            EXPECT_EQ(dialog.Text(ItemHex), "");
            EXPECT_EQ(dialog.Text(ItemBin), "");
            for (int i = 0; i < 3; ++i)
                dialog.Key(KEY_SUBTRACT);
            EXPECT_EQ(dialog.Text(ItemResult), text) << "0 decimals";
            for (int i = 0; i < 9; ++i)
                dialog.Key(KEY_ADD);
            EXPECT_EQ(dialog.Text(ItemResult), text) << "9 decimals";
            dialog.Close(-1);
        });
    }
}

struct VariableFault {
    const char* name;
    const char* a;
    const char* b;
    const char* c;
    std::vector<int> reads; // the fields ReadVariables reads before it stops
};

std::ostream& operator<<(std::ostream& os, const VariableFault& row) {
    return os << row.name;
}

class VariableFaults : public Calculator, public ::testing::WithParamInterface<VariableFault> {};

TEST_P(VariableFaults, Message25AndTheFieldsAfterTheBadOneAreNotRead) {
    const VariableFault& row = GetParam();
    host.Open(OpenPlugin, [&](Dialog& dialog) {
        dialog.EditText(ItemVarA, row.a);
        dialog.EditText(ItemVarB, row.b);
        dialog.EditText(ItemVarC, row.c);
        std::vector<std::string> sends =
            Sends(dialog, [](Dialog& d) { d.EditText(ItemFormula, "1+1"); });
        std::vector<std::string> want;
        for (int item : row.reads)
            want.push_back("SendDlgMessage DM_GETDLGITEM " + std::to_string(item));
        // No formula read: straight on to the outputs.
        EXPECT_EQ(sends, Append(want, OutputWrites()));
        Outputs out = ReadOutputs(dialog);
        EXPECT_EQ(out.result, Msg(MsgBadVariable));
        EXPECT_EQ(out.postfix, "");
        EXPECT_EQ(out.hex, "");
        EXPECT_EQ(out.bin, "");
        dialog.Close(-1);
    });
}

INSTANTIATE_TEST_SUITE_P(Rows, VariableFaults,
                         ::testing::Values(VariableFault{"EmptyA", "", "0", "0", {7}},
                                           VariableFault{"CommaInA", "1,5", "0", "0", {7}},
                                           VariableFault{"TrailingSpaceInA", "5 ", "0", "0", {7}},
                                           VariableFault{"LetterInB", "1", "x", "0", {7, 9}},
                                           VariableFault{"EmptyC", "1", "2", "", {7, 9, 11}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Calculator, RecalculationReadsAndWritesInOrder) {
    host.Open(OpenPlugin, [&](Dialog& dialog) {
        std::vector<std::string> sends =
            Sends(dialog, [](Dialog& d) { d.EditText(ItemFormula, "1+2*3"); });
        std::vector<std::string> want;
        for (const char* line :
             {"DM_GETDLGITEM 7", "DM_GETDLGITEM 9", "DM_GETDLGITEM 11", "DM_GETDLGITEM 2"})
            want.push_back(std::string("SendDlgMessage ") + line);
        EXPECT_EQ(sends, Append(want, OutputWrites()));
        dialog.Close(-1);
    });
}

TEST_F(Calculator, OpeningSequence) {
    host.Recorder().Start();
    host.Open(OpenPlugin, [](Dialog& dialog) { dialog.Close(-1); });
    std::vector<std::string> lines =
        host.Recorder().Lines({Service::SendDlgMessage, Service::DefDlgProc, Service::DialogEx});
    std::vector<std::string> want = {
        "DialogEx -1 -1 64 15 Contents 22 0 0 0",
        "SendDlgMessage DM_SETFOCUS 2 0",
        // The fields the module reads take no more than it reads.
        "SendDlgMessage DM_SETMAXTEXTLENGTH 2 511",
        "SendDlgMessage DM_SETMAXTEXTLENGTH 7 511",
        "SendDlgMessage DM_SETMAXTEXTLENGTH 9 511",
        "SendDlgMessage DM_SETMAXTEXTLENGTH 11 511",
    };
    // The first recalculation, run directly: no event sent to itself.
    for (const char* line :
         {"DM_GETDLGITEM 7", "DM_GETDLGITEM 9", "DM_GETDLGITEM 11", "DM_GETDLGITEM 2"})
        want.push_back(std::string("SendDlgMessage ") + line);
    want = Append(want, OutputWrites());
    for (int item : {2, 7, 9, 11, 4, 13, 18, 20})
        want.push_back("SendDlgMessage DM_EDITUNCHANGEDFLAG " + std::to_string(item) + " 0");
    want.push_back("DefDlgProc DN_INITDIALOG 0 0");
    ASSERT_GE(lines.size(), want.size());
    lines.resize(want.size());
    EXPECT_EQ(lines, want);
}

TEST_F(Calculator, OpensShowingTheResultOfTheFieldsWithThreeDecimals) {
    host.Open(OpenPlugin, [&](Dialog& dialog) {
        EXPECT_EQ(dialog.Focus(), ItemFormula);
        // The empty formula field: its message is there before any edit.
        EXPECT_EQ(dialog.Text(ItemResult), Msg(MsgNoOperand));
        dialog.EditText(ItemFormula, "1/3");
        dialog.Key(KEY_ADD);
        EXPECT_EQ(dialog.Text(ItemResult), "0.3333");
        dialog.Close(-1);
    });
    // The next opening starts at three decimals again.
    host.Open(OpenPlugin, [&](Dialog& dialog) {
        dialog.EditText(ItemFormula, "1/3");
        EXPECT_EQ(dialog.Text(ItemResult), "0.333");
        dialog.Close(-1);
    });
}

TEST_F(Calculator, GreyPlusAndMinusReprintWithoutRecalculating) {
    host.Open(OpenPlugin, [&](Dialog& dialog) {
        dialog.EditText(ItemFormula, "1+2*3");
        std::vector<std::string> plus = Sends(dialog, [](Dialog& d) { d.Key(KEY_ADD); });
        EXPECT_EQ(dialog.Text(ItemResult), "7.0000");
        // Both keys end alike: the item rewritten, then the dialog redrawn.
        EXPECT_EQ(plus, (std::vector<std::string>{"SendDlgMessage DM_GETDLGITEM 13",
                                                  "SendDlgMessage DM_SETDLGITEM 13",
                                                  "SendDlgMessage DM_SETCURSORPOS 13 {0,0}",
                                                  "SendDlgMessage DM_REDRAW 0 0"}));
        std::vector<std::string> minus = Sends(dialog, [](Dialog& d) { d.Key(KEY_SUBTRACT); });
        EXPECT_EQ(dialog.Text(ItemResult), "7.000");
        EXPECT_EQ(minus, (std::vector<std::string>{"SendDlgMessage DM_GETDLGITEM 13",
                                                   "SendDlgMessage DM_SETDLGITEM 13",
                                                   "SendDlgMessage DM_SETCURSORPOS 13 {0,0}",
                                                   "SendDlgMessage DM_REDRAW 0 0"}));
        // Down to 0 decimals; grey minus at 0 leaves 0.
        for (int i = 0; i < 5; ++i)
            dialog.Key(KEY_SUBTRACT);
        EXPECT_EQ(dialog.Text(ItemResult), "7");
        dialog.Key(KEY_ADD);
        EXPECT_EQ(dialog.Text(ItemResult), "7.0");
        // The keys are consumed in every field: nothing is typed.
        EXPECT_EQ(dialog.Text(ItemFormula), "1+2*3");
        dialog.SetFocus(ItemVarA);
        EXPECT_TRUE(dialog.Key(KEY_ADD));
        EXPECT_EQ(dialog.Text(ItemVarA), "0");
        EXPECT_EQ(dialog.Text(ItemResult), "7.00");
        dialog.Close(-1);
    });
}

TEST_F(Calculator, ZeroDecimalsPrintAsTheHostsSprintfDoes) {
    Outputs out = Run("5/2", "0", "0", "0", [](Dialog& dialog) {
        for (int i = 0; i < 3; ++i)
            dialog.Key(KEY_SUBTRACT);
    });
    EXPECT_EQ(out.result, Printed("%.0lf", 2.5));
}

TEST_F(Calculator, GreyPlusAfterAnErrorChangesTheCountSilently) {
    host.Open(OpenPlugin, [&](Dialog& dialog) {
        dialog.EditText(ItemFormula, "1/0");
        std::vector<std::string> sends = Sends(dialog, [](Dialog& d) {
            d.Key(KEY_ADD);
            d.Key(KEY_ADD);
        });
        EXPECT_TRUE(sends.empty());
        EXPECT_EQ(dialog.Text(ItemResult), Msg(MsgDivByZero));
        dialog.EditText(ItemFormula, "1/4");
        EXPECT_EQ(dialog.Text(ItemResult), "0.25000");
        dialog.Close(-1);
    });
}

TEST_F(Calculator, MainKeyboardSignsTypeIntoTheField) {
    host.Open(OpenPlugin, [&](Dialog& dialog) {
        dialog.Type("1+2-4");
        EXPECT_EQ(dialog.Text(ItemFormula), "1+2-4");
        EXPECT_EQ(dialog.Text(ItemResult), "-1.000");
        dialog.Close(-1);
    });
}

TEST_F(Calculator, DecimalsStopWhereTheWidestResultStillFits) {
    const double widest = -1.7976931348623157e308;
    Outputs out = Run("0-10^308*1.7976931348623157", "0", "0", "0", [](Dialog& dialog) {
        for (int i = 0; i < 400; ++i)
            dialog.Key(KEY_ADD);
    });
    EXPECT_EQ(out.result, Printed("%.200lf", widest));
    EXPECT_LE(out.result.size(), 511u);
    // and back down one by one
    Outputs down = Run("0-10^308*1.7976931348623157", "0", "0", "0", [](Dialog& dialog) {
        for (int i = 0; i < 400; ++i)
            dialog.Key(KEY_ADD);
        dialog.Key(KEY_SUBTRACT);
    });
    EXPECT_EQ(down.result, Printed("%.199lf", widest));
}

TEST_F(Calculator, WorstCaseSignRewritingFitsAndLongPostfixIsMarkedButFullyEvaluated) {
    std::string nested = std::string(170 * 2, ' ');
    for (int i = 0; i < 170; ++i) {
        nested[2 * i] = '(';
        nested[2 * i + 1] = '-';
    }
    nested += "1" + std::string(170, ')');
    ASSERT_EQ(nested.size(), 511u);
    Outputs out = Run(nested);
    EXPECT_EQ(out.result, "1.000");
    EXPECT_LE(out.postfix.size(), 511u);
    EXPECT_EQ(out.postfix.substr(out.postfix.size() - 4), " ...");

    std::string sum = "1";
    while (sum.size() < 511)
        sum += "+1";
    ASSERT_EQ(sum.size(), 511u);
    Outputs total = Run(sum);
    EXPECT_EQ(total.result, "256.000"); // from the whole 1021-character postfix text
    EXPECT_EQ(total.hex, "100");
    EXPECT_LE(total.postfix.size(), 511u);
    EXPECT_EQ(total.postfix.substr(0, 12), "1 1 + 1 + 1 ");
    EXPECT_EQ(total.postfix.substr(total.postfix.size() - 4), " ...");
}

// Each message of the language file, tied to its number by its text: the file holds exactly these,
// in this order, and the dialog shows each where it belongs: 0..7 through the layout, 9..33 as
// what a formula or a variable field gives, 8 nowhere. Swapping two lines or adding one fails.
struct ShownMessage {
    int number;
    const char* text;
    int item;            // the item that shows it (the result field for 9..33)
    const char* formula; // for 9..33: a formula that gives it (with a = aText)
    const char* aText;
};

const ShownMessage kShownMessages[] = {
    {MsgTitle, "Numo calculator", ItemFrame, nullptr, nullptr},
    {MsgFormulaLabel, "Formula:", ItemFormulaLabel, nullptr, nullptr},
    {MsgPostfixLabel, "Postfix form:", ItemPostfixLabel, nullptr, nullptr},
    {MsgLabelA, "a=", ItemLabelA, nullptr, nullptr},
    {MsgLabelB, "b=", ItemLabelB, nullptr, nullptr},
    {MsgLabelC, "c=", ItemLabelC, nullptr, nullptr},
    {MsgButton, "Close", ItemButton, nullptr, nullptr},
    {MsgVarDefault, "0", ItemVarA, nullptr, nullptr}, // and b and c
    {MsgOk, "OK", -1, nullptr, nullptr},
    {MsgCloseBeforeOpen, "A closing bracket comes before its opening bracket", ItemResult, ")1(",
     "0"},
    {MsgParenCount, "The numbers of opening and closing brackets differ", ItemResult, "(1", "0"},
    {MsgBadChar, "The formula holds a character that is not allowed", ItemResult, "1#", "0"},
    {MsgBadWord, "Unknown name: not a function, a, b, c, p or e", ItemResult, "x", "0"},
    {MsgLetterAfterOperand, "A name cannot follow a number or a closing bracket", ItemResult, "2a",
     "0"},
    {MsgMisplacedPoint, "A decimal point must follow a digit", ItemResult, ".5", "0"},
    {MsgSecondPoint, "A number has a second decimal point", ItemResult, "1.2.3", "0"},
    {MsgNoParenAfterFunction, "A function name must be followed by an opening bracket", ItemResult,
     "sin2", "0"},
    {MsgBadAfterVariable, "a, b, c, p and e cannot be followed by (, a digit or .", ItemResult,
     "a(1)", "0"},
    {MsgDigitAfterClose, "A digit cannot stand right after a closing bracket", ItemResult, "(1)2",
     "0"},
    {MsgMisplacedOpen, "An opening bracket cannot follow a number or )", ItemResult, "2(1)", "0"},
    {MsgMisplacedClose, "A closing bracket cannot follow (, an operator or .", ItemResult, "(1+)",
     "0"},
    {MsgDoubleOperator, "An operator cannot follow an operator or a point", ItemResult, "1+*2",
     "0"},
    {MsgNoOperand, "The formula is empty", ItemResult, "", "0"},
    {MsgTrailingOperator, "The formula ends with an operator or a point", ItemResult, "1+", "0"},
    {MsgLeadingOperator, "*, / and ^ cannot start the formula or follow (", ItemResult, "*1", "0"},
    {MsgBadVariable, "A variable field is empty or not a number", ItemResult, "1", "x"},
    {MsgDivByZero, "Division by zero", ItemResult, "1/0", "0"},
    {MsgPowerDomain, "Power or square root undefined for these values", ItemResult, "0^0", "0"},
    {MsgTanDomain, "Tangent undefined: the cosine is zero or not a number", ItemResult,
     "tan(exp(1000))", "0"},
    {MsgCotDomain, "Cotangent undefined: the sine is zero or not a number", ItemResult, "cot(0)",
     "0"},
    {MsgAsinDomain, "Arc sine needs a value from -1 to 1", ItemResult, "asin(2)", "0"},
    {MsgAcosDomain, "Arc cosine needs a value from -1 to 1", ItemResult, "acos(2)", "0"},
    {MsgLnDomain, "Natural logarithm needs a value above zero", ItemResult, "ln(0)", "0"},
    {MsgLgDomain, "Decimal logarithm needs a value above zero", ItemResult, "lg(a)", "0"},
};
static_assert(std::size(kShownMessages) == kMessageCount);

TEST_F(Calculator, EveryMessageOfTheLanguageFileShowsWhereItBelongs) {
    const LanguageFile file = ReadLanguageFile(NUMO_LANG_DIR "/numo_en.lng");
    ASSERT_EQ(file.messages.size(), static_cast<std::size_t>(kMessageCount));
    for (int n = 0; n < kMessageCount; ++n) {
        const ShownMessage& row = kShownMessages[n];
        ASSERT_EQ(row.number, n);
        EXPECT_EQ(file.messages[static_cast<std::size_t>(n)], row.text) << "line of message " << n;
    }
    auto neverShowsMessage8 = [&](const Dialog& dialog, const std::string& after) {
        for (int item = 0; item < dialog.ItemCount(); ++item)
            EXPECT_NE(dialog.Text(item), kShownMessages[MsgOk].text) << "item " << item << after;
    };
    host.Open(OpenPlugin, [&](Dialog& dialog) {
        for (const ShownMessage& row : kShownMessages) {
            if (row.number < MsgOk) {
                EXPECT_EQ(dialog.Text(row.item), row.text) << "message " << row.number;
            }
        }
        EXPECT_EQ(dialog.Text(ItemVarB), kShownMessages[MsgVarDefault].text);
        EXPECT_EQ(dialog.Text(ItemVarC), kShownMessages[MsgVarDefault].text);
        neverShowsMessage8(dialog, " on opening");
        dialog.EditText(ItemFormula, "1+1");
        neverShowsMessage8(dialog, " after a result");
        dialog.Close(-1);
    });
    for (const ShownMessage& row : kShownMessages) {
        if (row.number <= MsgOk)
            continue;
        SCOPED_TRACE(row.number);
        Outputs out = Run(row.formula, row.aText);
        EXPECT_EQ(out.result, row.text) << "formula '" << row.formula << "', a=" << row.aText;
    }
}

// A heap block refused anywhere in one edit: no result, no postfix text and no message, the
// status says so (grey plus then reprints nothing), and no block is left behind.
TEST_F(Calculator, EveryRefusedHeapBlockOfAnEditShowsNothingAndLeaksNothing) {
    host.Open(OpenPlugin, [&](Dialog& dialog) {
        dialog.EditText(ItemVarA, "-3");
        unsigned long long refused = 0;
        for (unsigned long long n = 1; n < 1000; ++n) {
            SCOPED_TRACE("allocation " + std::to_string(n));
            dialog.EditText(ItemFormula, "1"); // a result to be wiped
            const platform::HeapCounters before = platform::GetHeapCounters();
            FaultPlan::Arm(n);
            dialog.EditText(ItemFormula, "2*(-a) + sin(p/2)");
            FaultPlan::Disarm();
            const platform::HeapCounters after = platform::GetHeapCounters();
            EXPECT_EQ(after.allocations - before.allocations, after.frees - before.frees);
            if (!FaultPlan::Current().fired) {
                EXPECT_EQ(dialog.Text(ItemResult), "7.000");
                break;
            }
            ++refused;
            EXPECT_EQ(gStatus, StatusNoMemory);
            Outputs out = ReadOutputs(dialog);
            EXPECT_EQ(out.postfix, "");
            EXPECT_EQ(out.result, "");
            EXPECT_EQ(out.hex, "");
            EXPECT_EQ(out.bin, "");
            dialog.Key(KEY_ADD);
            EXPECT_EQ(dialog.Text(ItemResult), "");
            dialog.Key(KEY_SUBTRACT);
        }
        EXPECT_GE(refused, 3u) << "the edit takes a block for the text and one per stack node";
        dialog.Close(-1);
    });
}

// Only an edit of the formula or of a variable recalculates: an edit change the host reports for
// any other item (an output field, a label) leaves everything as it is.
TEST_F(Calculator, OnlyTheInputFieldsEditChangesRecalculate) {
    host.Open(OpenPlugin, [&](Dialog& dialog) {
        dialog.EditText(ItemFormula, "1+2");
        for (int item = 0; item < kDialogItemCount; ++item) {
            bool input =
                item == ItemFormula || item == ItemVarA || item == ItemVarB || item == ItemVarC;
            LONG_PTR handled = 0;
            std::vector<std::string> sends = Sends(dialog, [&](Dialog& d) {
                handled = CalcDlgProc(d.Handle(), DN_EDITCHANGE, item, 0);
            });
            EXPECT_EQ(handled, 1) << "item " << item;
            EXPECT_EQ(sends.empty(), !input) << "item " << item;
        }
        dialog.Close(-1);
    });
}

TEST_F(Calculator, StartupRecordsAreNotReadAfterTheStartupCall) {
    // Spoil the host's own records: the module works from its copies.
    std::memset(&host.StartupRecord(), 0, sizeof(PluginStartupInfo));
    std::memset(&host.StandardFunctionsRecord(), 0, sizeof(FarStandardFunctions));
    SCOPED_TRACE("spoiled records");
    Outputs out = Run("1+2*3");
    EXPECT_EQ(out.result, "7.000");
    EXPECT_EQ(out.hex, "7");
}

// A host that hands over no standard functions, run to the end through the stand-in host with
// its real DialogEx: OpenPlugin answers "no panel" and no dialog is run (the dialog's first
// recalculation would call the missing LStrlwr, sprintf and itoa).
TEST_F(Calculator, AHostWithoutStandardFunctionsGetsNoDialog) {
    host.StartupRecord().FSF = nullptr;
    SetStartupInfo(&host.StartupRecord());
    ASSERT_NE(gStartupInfo.DialogEx, nullptr);
    HANDLE opened = host.Open(OpenPlugin, [](Dialog& dialog) {
        ADD_FAILURE() << "the dialog opened";
        dialog.Close(-1);
    });
    EXPECT_EQ(opened, NUMO_INVALID_HANDLE);
    EXPECT_EQ(host.DialogsRun(), 0);
    // The same host with its standard functions back opens the calculator.
    host.Start(SetStartupInfo);
    EXPECT_EQ(Run("2^32+5").hex, "100000005");
    EXPECT_EQ(host.DialogsRun(), 1);
}

// A host without itoa64: the integer fields keep their texts from -2^31 to 2^32-1 and stay empty
// beyond them (the low 32 bits alone would read as another number); the result is shown.
TEST_F(Calculator, WithoutItoa64TheFieldsBeyond32BitsStayEmpty) {
    host.StandardFunctionsRecord().itoa64 = nullptr;
    SetStartupInfo(&host.StartupRecord());
    const struct {
        const char* formula;
        const char* result;
        const char* hex;
        const char* bin;
    } cases[] = {
        {"-(2^31)", "-2147483648.000", "80000000", "10000000000000000000000000000000"},
        {"2^32-1", "4294967295.000", "FFFFFFFF", "11111111111111111111111111111111"},
        {"2^32+5", "4294967301.000", "", ""},
        {"-(2^31)-1", "-2147483649.000", "", ""},
        {"2^53", "9007199254740992.000", "", ""},
    };
    for (const auto& c : cases) {
        Outputs out = Run(c.formula);
        EXPECT_EQ(out.result, c.result) << c.formula;
        EXPECT_EQ(out.hex, c.hex) << c.formula;
        EXPECT_EQ(out.bin, c.bin) << c.formula;
    }
}

// A formula whose postfix text is exactly 512 characters, one more than item 4 holds: shown cut
// at a token and marked, while the result comes from the whole text.
TEST_F(Calculator, PostfixOfExactly512CharactersIsCut) {
    std::string formula = "1111";
    std::string postfix = "1111";
    for (int i = 0; i < 127; ++i) {
        formula += "+1";
        postfix += " 1 +";
    }
    ASSERT_EQ(formula.size(), 258u);
    ASSERT_EQ(postfix.size(), 512u);
    Outputs out = Run(formula);
    EXPECT_EQ(out.postfix, postfix.substr(0, 506) + " ...");
    EXPECT_EQ(out.result, "1238.000");
}

LanguageFile LongMessages() {
    LanguageFile language = ReadLanguageFile(NUMO_LANG_DIR "/numo_en.lng");
    for (std::string& message : language.messages)
        message.append(2000, '!');
    language.messages[MsgVarDefault] = "0";
    return language;
}

class LongMessageTexts : public Calculator {
protected:
    LongMessageTexts() : Calculator(LongMessages()) {}
};

TEST_F(LongMessageTexts, CopiesIntoItemTextsAreBounded) {
    Outputs out = Run("2*-3");
    EXPECT_EQ(out.result.size(), 511u);
    EXPECT_EQ(out.result, Msg(MsgDoubleOperator).substr(0, 511));
}

// Opening computes at once: a formula restored from the history shows its postfix form, result,
// hexadecimal and binary before any key, and grey plus reprints it straight away. (The current
// host drops the edit-change event a module sends itself, so this must not rest on one.)
TEST_F(Calculator, OpeningComputesTheFormulaFromTheHistory) {
    host.History().Add(kHistoryName, "2+3*4");
    host.Open(OpenPlugin, [&](Dialog& dialog) {
        EXPECT_EQ(dialog.Text(ItemFormula), "2+3*4");
        Outputs out = ReadOutputs(dialog);
        EXPECT_EQ(out.postfix, "2 3 4 * +");
        EXPECT_EQ(out.result, "14.000");
        EXPECT_EQ(out.hex, "E");
        EXPECT_EQ(out.bin, "1110");
        dialog.Key(KEY_ADD);
        EXPECT_EQ(dialog.Text(ItemResult), "14.0000");
        dialog.Close(-1);
    });
}

// Every output reads from its first character, whatever the field showed before: the host's edit
// line keeps its scroll when a text is written, so after the 54-character message in the
// 54-column result field a shorter text would lose its first character, and a result longer
// than the field would show only its tail.
TEST_F(Calculator, OutputsShowFromTheirFirstCharacter) {
    host.Open(OpenPlugin, [&](Dialog& dialog) {
        ASSERT_EQ(dialog.Width(ItemResult), 54);
        ASSERT_EQ(Msg(MsgNoParenAfterFunction).size(), 54u);
        const struct {
            const char* formula;
            std::string window;
        } steps[] = {
            {"sin2", Msg(MsgNoParenAfterFunction)},
            {"25", "25.000"},
            {"2", "2.000"},
            {"3^220", ""}, // 105 digits: the first 54 characters of its text
            {"1/0", Msg(MsgDivByZero)},
        };
        for (const auto& step : steps) {
            dialog.EditText(ItemFormula, step.formula);
            const std::string text = dialog.Text(ItemResult);
            if (!step.window.empty()) {
                EXPECT_EQ(text, step.window) << step.formula;
            }
            EXPECT_EQ(dialog.Window(ItemResult), text.substr(0, 54)) << step.formula;
        }
        // The reprint of grey plus and minus too, after a result longer than the field.
        dialog.EditText(ItemFormula, "3^220");
        dialog.Key(KEY_ADD);
        dialog.Key(KEY_SUBTRACT);
        EXPECT_EQ(dialog.Window(ItemResult), dialog.Text(ItemResult).substr(0, 54));
        EXPECT_EQ(dialog.Text(ItemResult).substr(0, 8), "92613871");
        // The postfix, hexadecimal and binary fields as well.
        dialog.EditText(ItemFormula, std::string(250, '9') + "+0-0");
        EXPECT_EQ(dialog.Window(ItemPostfix), dialog.Text(ItemPostfix).substr(0, 54));
        dialog.EditText(ItemFormula, "0-1");
        EXPECT_EQ(dialog.Window(ItemBin), std::string(32, '1'));
        EXPECT_EQ(dialog.Window(ItemHex), "FFFFFFFF");
        dialog.Close(-1);
    });
}

// The fields the module reads take no more than the 511 characters it reads: 517 characters
// typed into the formula field leave the first 511 there, and the result is that formula's.
TEST_F(Calculator, TheInputFieldsTakeNoMoreThanTheModuleReads) {
    std::string typed;
    for (int i = 0; i < 250; ++i)
        typed += "1+";
    typed += "2+3+4+5+6+7+8+9+1";
    ASSERT_EQ(typed.size(), 517u);
    host.Open(OpenPlugin, [&](Dialog& dialog) {
        dialog.Type(typed);
        EXPECT_EQ(dialog.Text(ItemFormula), typed.substr(0, 511));
        EXPECT_EQ(dialog.Text(ItemResult), "277.000"); // 250 ones, then 2+3+4+5+6+7
        for (int field : {ItemVarA, ItemVarB, ItemVarC}) {
            EXPECT_FALSE(dialog.EditText(field, std::string(512, '1'))) << "field " << field;
            EXPECT_TRUE(dialog.EditText(field, std::string(511, '1'))) << "field " << field;
        }
        dialog.Close(-1);
    });
}

// Under a locale with a decimal comma (the host sets the user's locale at start-up, and the
// module shares the C library with it) the formula and the variable fields still read '.', a
// comma is still no decimal point, and the host's sprintf prints the result in the locale. The
// locale is the tests' own (numo_locale in tests/CMakeLists.txt).
struct LocaleRow {
    const char* name;
    const char* formula;
    const char* a;
    int message; // MsgOk: the result column holds
    const char* result;
};

std::ostream& operator<<(std::ostream& os, const LocaleRow& row) {
    return os << row.name;
}

class CommaLocale : public Calculator, public ::testing::WithParamInterface<LocaleRow> {
protected:
    void SetUp() override {
        ASSERT_NE(std::setlocale(LC_ALL, "ru_RU.UTF-8"), nullptr)
            << "the tests' ru_RU.UTF-8 locale is missing";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
        Calculator::SetUp();
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_P(CommaLocale, NumbersReadWithAPointAndPrintInTheLocale) {
    const LocaleRow& row = GetParam();
    Outputs out = Run(row.formula, row.a);
    EXPECT_EQ(out.result, row.message == MsgOk ? std::string(row.result) : Msg(row.message));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommaLocale,
    ::testing::Values(LocaleRow{"PointInFormula", "12.5*2", "0", MsgOk, "25,000"},
                      LocaleRow{"SumOfTenths", "0.1+0.2", "0", MsgOk, "0,300"},
                      LocaleRow{"PointInVariable", "a*2", "1.5", MsgOk, "3,000"},
                      LocaleRow{"CommaInVariable", "a*2", "1,5", MsgBadVariable, ""},
                      LocaleRow{"CommaInVariableAlone", "1", "12,5", MsgBadVariable, ""},
                      LocaleRow{"CommaInFormula", "12,5*2", "0", MsgBadChar, ""}),
    [](const auto& info) { return std::string(info.param.name); });
} // namespace
