// numo-mathdiff: the differential check of the Windows build's arithmetic against the Linux
// program's, for scripts/test-windows.
//
//   numo-mathdiff plan SEED COUNT
//       prints the batches to run: the function rows (every function at small, moderate and huge
//       arguments of both signs, and ^ with large and fractional exponents) and COUNT composite
//       formulas drawn with the fixed SEED. Each batch opens with a line
//       "batch KIND WORDS...", KIND being function or composite and WORDS the options for
//       `numo eval` (-a, -b, -c); one formula a line follows.
//   numo-mathdiff compare PLAN LINUX-OUTPUT WINDOWS-OUTPUT
//       pairs the two programs' `eval --batch -d 200` blocks with the plan's formulas (a plan
//       may hold batches of any other KIND as well, compared as composite formulas are), reads
//       the results back as doubles and compares them in units in the last place (ULP). Prints
//       "windows-math: N agree, M differ" for each kind, and fails on a status difference, on a
//       function row or composite formula that the Linux program refuses as a syntax fault, and
//       on a function row whose result is more than 1 ULP away (0 for the functions that every
//       library computes exactly: sqr, trunc, frac, round, ceil, floor; 2 for cot and acot, see
//       kTwoStepFunctions) or whose zero has the other sign. Other rows that differ are counted,
//       and the first few shown.
//
// Numbers in formulas are digits, never exponent notation, which the formula language lacks;
// large and small arguments come in through the variables, whose fields take "1e300".
#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

const char* const kFunctions[] = {"sin",  "cos",   "tan",  "cot",   "asin", "acos",
                                  "atan", "acot",  "ln",   "lg",    "exp",  "sqrt",
                                  "sqr",  "trunc", "frac", "round", "ceil", "floor"};
// Exact in every library: the result is the one double the argument determines.
const char* const kExactFunctions[] = {"sqr", "trunc", "frac", "round", "ceil", "floor"};
// Two roundings of the run-time's in a row: cot is 1 / tan(R) and acot is atan(1 / R), so the
// run-times' 1 ULP of tan (or of the reciprocal, which atan then carries on) and the second
// step's own rounding add up to 2 ULP between two run-times, each right within its own.
const char* const kTwoStepFunctions[] = {"cot", "acot"};

// Arguments of the function rows, each taken with both signs: small, moderate (1e3..1e8) and
// huge (1e15..1e300). 1.2345678901234567e19 and 1e22 lie beyond 2^63, where the x87's fsin
// gives up; 1e6 is where the x87's 66-bit pi already costs 21 ULP.
const char* const kArguments[] = {"0.5",
                                  "1",
                                  "2.5",
                                  "3.14159",
                                  "7",
                                  "1000",
                                  "12345.678",
                                  "1000000",
                                  "87654321",
                                  "1e15",
                                  "1.2345678901234567e19",
                                  "1e22",
                                  "1e100",
                                  "1e300"};

// ^ rows: the base through -a (both signs), the exponent as digits.
const char* const kPowerBases[] = {"1.0000001", "2", "0.5", "3.7", "10", "1000000", "1e-5"};
const char* const kPowerExponents[] = {"1000000000", "0.5",      "0.3333333", "2.75",
                                       "300",        "(0-300)",  "(0-0.5)",   "123456.789",
                                       "1023.5",     "(0-1074)", "0.000001"};

void PrintPlanFunctionRows() {
    for (const char* argument : kArguments) {
        for (const char* sign : {"", "-"}) {
            std::printf("batch function -a %s%s\n", sign, argument);
            for (const char* name : kFunctions)
                std::printf("%s(a)\n", name);
        }
    }
    for (const char* base : kPowerBases) {
        for (const char* sign : {"", "-"}) {
            std::printf("batch function -a %s%s\n", sign, base);
            for (const char* exponent : kPowerExponents)
                std::printf("a^%s\n", exponent);
        }
    }
}

// A random formula over a, b, c and plain decimals, drawn from a fixed generator: the same seed
// gives the same corpus on every machine (mt19937's sequence is fixed by the C++ standard, and
// every draw below is plain integer arithmetic on it).
class Corpus {
public:
    explicit Corpus(std::uint32_t seed) : random_(seed) {}

    unsigned Below(unsigned n) { return static_cast<unsigned>(random_() % n); }

    std::string Number() {
        // Digits only, at most 15 of them, so that both sides read the very same double.
        switch (Below(4)) {
        case 0:
            return std::to_string(Below(10));
        case 1:
            return std::to_string(Below(100000));
        case 2:
            return std::to_string(Below(1000)) + "." + std::to_string(Below(1000));
        default:
            return std::to_string(Below(100000000)) + std::to_string(Below(10000000));
        }
    }

    std::string Leaf() {
        switch (Below(5)) {
        case 0:
            return "a";
        case 1:
            return "b";
        case 2:
            return "c";
        case 3:
            return "(0-" + Number() + ")";
        default:
            return Number();
        }
    }

    std::string Formula(int depth) {
        if (depth == 0 || Below(4) == 0)
            return Leaf();
        if (Below(2) == 0) {
            const char* name = kFunctions[Below(std::size(kFunctions))];
            return std::string(name) + "(" + Formula(depth - 1) + ")";
        }
        static const char kOperators[] = "+-*/^";
        const char op = kOperators[Below(5)];
        // A small exponent keeps most powers finite.
        std::string formula = "(";
        formula += Formula(depth - 1);
        formula += op;
        formula += op == '^' ? Leaf() : Formula(depth - 1);
        formula += ')';
        return formula;
    }

    // A variable's value in the -a form: short digits, exact in decimal, any magnitude.
    std::string Variable() {
        static const int kExponents[] = {0, 0, 0, 1, 2, 3, 5, 8, 15, 19, 22, 50, 100, 300, -3, -10};
        const int exponent = kExponents[Below(std::size(kExponents))];
        const std::string sign = Below(2) == 0 ? "" : "-";
        return sign + std::to_string(Below(100000)) + "." + std::to_string(Below(100)) + "e" +
               std::to_string(exponent);
    }

private:
    std::mt19937 random_;
};

void PrintPlanCorpus(std::uint32_t seed, int count) {
    Corpus corpus(seed);
    const int kPerBatch = 100;
    for (int done = 0; done < count; done += kPerBatch) {
        // Variables through the fields: each batch its own a, b and c.
        const std::string a = corpus.Variable();
        const std::string b = corpus.Variable();
        const std::string c = corpus.Variable();
        std::printf("batch composite -a %s -b %s -c %s\n", a.c_str(), b.c_str(), c.c_str());
        for (int i = done; i < std::min(count, done + kPerBatch); ++i) {
            std::printf("%s\n", corpus.Formula(4).c_str());
        }
    }
}

struct Row {
    std::string kind;
    std::string options;
    std::string formula;
};

struct Outcome {
    std::string result;
    int status = -1;
};

bool ReadPlan(const char* path, std::vector<Row>* rows) {
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line, kind, options;
    while (std::getline(in, line)) {
        if (line.rfind("batch ", 0) == 0) {
            const std::string rest = line.substr(6);
            const std::size_t space = rest.find(' ');
            kind = rest.substr(0, space);
            options = space == std::string::npos ? "" : rest.substr(space + 1);
        } else {
            rows->push_back({kind, options, line});
        }
    }
    return true;
}

// `numo eval --batch` prints five lines a formula (postfix, result, hex, bin, status), blocks
// separated by a blank line.
bool ReadOutput(const char* path, std::vector<Outcome>* outcomes) {
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.rfind("postfix:", 0) == 0) {
            outcomes->push_back({});
        } else if (line.rfind("result:", 0) == 0 && !outcomes->empty()) {
            outcomes->back().result = line.size() > 8 ? line.substr(8) : "";
        } else if (line.rfind("status:", 0) == 0 && !outcomes->empty()) {
            outcomes->back().status = std::atoi(line.c_str() + 7);
        }
    }
    return true;
}

bool IsSyntaxStatus(int status) {
    return status >= 9 && status <= 25; // the checker's messages and a bad variable field
}

bool ParseDouble(const std::string& text, double* value) {
    if (text.empty())
        return false;
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return *end == '\0';
}

// Doubles mapped onto a line of integers in their order, so that neighbours differ by 1.
std::int64_t OrderedBits(double x) {
    std::int64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits < 0 ? INT64_MIN - bits : bits;
}

// Distance in ULP, or -1 where no distance makes sense (a NaN or infinity against a number, or
// zeros of different signs, which print differently).
std::int64_t UlpDistance(double x, double y) {
    if (std::isnan(x) || std::isnan(y))
        return std::isnan(x) && std::isnan(y) ? 0 : -1;
    if (std::isinf(x) || std::isinf(y))
        return x == y ? 0 : -1;
    if (x == 0 && y == 0)
        return std::signbit(x) == std::signbit(y) ? 0 : -1;
    const std::int64_t a = OrderedBits(x);
    const std::int64_t b = OrderedBits(y);
    return a > b ? a - b : b - a;
}

template <std::size_t N> bool IsRowOf(const std::string& formula, const char* const (&names)[N]) {
    for (const char* name : names) {
        const std::size_t length = std::strlen(name);
        if (formula.compare(0, length, name) == 0 && formula.size() > length &&
            formula[length] == '(')
            return true;
    }
    return false;
}

// How many ULP a function row's results may lie apart.
std::int64_t AllowedDistance(const std::string& formula) {
    if (IsRowOf(formula, kExactFunctions))
        return 0;
    return IsRowOf(formula, kTwoStepFunctions) ? 2 : 1;
}

struct Tally {
    int agree = 0;
    int differ = 0;
    std::map<std::int64_t, int> distances; // ULP distance (-1: no distance) -> rows
};

int Compare(const char* planPath, const char* linuxPath, const char* windowsPath) {
    std::vector<Row> rows;
    std::vector<Outcome> linux, windows;
    if (!ReadPlan(planPath, &rows) || !ReadOutput(linuxPath, &linux) ||
        !ReadOutput(windowsPath, &windows)) {
        std::fprintf(stderr, "numo-mathdiff: cannot read the plan or an output\n");
        return 2;
    }
    int failures = 0;
    auto fail = [&](const Row& row, const char* what, const Outcome* l, const Outcome* w) {
        ++failures;
        std::printf("FAIL: %s: %s (%s)\n", what, row.formula.c_str(), row.options.c_str());
        if (l)
            std::printf("  linux:   %d %s\n", l->status, l->result.c_str());
        if (w)
            std::printf("  windows: %d %s\n", w->status, w->result.c_str());
    };
    if (linux.size() != rows.size() || windows.size() != rows.size()) {
        std::printf("FAIL: %zu formulas, but %zu results on Linux and %zu on Windows\n",
                    rows.size(), linux.size(), windows.size());
        return 1;
    }
    std::map<std::string, Tally> tallies;
    int shown = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        const Outcome& l = linux[i];
        const Outcome& w = windows[i];
        Tally& tally = tallies[row.kind];
        const bool checked = row.kind == "function" || row.kind == "composite";
        if (checked && IsSyntaxStatus(l.status)) {
            fail(row, "a syntax message, so the row compares nothing", &l, nullptr);
            continue;
        }
        if (l.status != w.status) {
            ++tally.differ;
            fail(row, "the status differs", &l, &w);
            continue;
        }
        if (l.result == w.result) {
            ++tally.agree;
            continue;
        }
        std::int64_t distance = -1;
        double x, y;
        if (l.status == 8 && ParseDouble(l.result, &x) && ParseDouble(w.result, &y))
            distance = UlpDistance(x, y);
        if (distance == 0) {
            ++tally.agree; // the same double, printed apart (msvcrt's digits past 17)
            continue;
        }
        ++tally.differ;
        ++tally.distances[distance];
        if (row.kind == "function") {
            const std::int64_t allowed = AllowedDistance(row.formula);
            if (distance < 0 || distance > allowed)
                fail(row, "beyond the goal", &l, &w);
        } else if (shown++ < 20) {
            // Counted, not failed: a difference that grew from 1 ULP through later steps.
            std::printf("differs: %s (%s)\n  linux:   %s\n  windows: %s\n", row.formula.c_str(),
                        row.options.c_str(), l.result.c_str(), w.result.c_str());
        }
    }
    for (const auto& [kind, tally] : tallies) {
        std::printf("windows-math: %d agree, %d differ (%s rows)", tally.agree, tally.differ,
                    kind.c_str());
        const char* separator = "; ULP: ";
        for (const auto& [distance, count] : tally.distances) {
            if (distance < 0)
                std::printf("%s%d of other kinds", separator, count);
            else
                std::printf("%s%d at %" PRId64, separator, count, distance);
            separator = ", ";
        }
        std::printf("\n");
    }
    return failures == 0 ? 0 : 1;
}

int Usage() {
    std::fprintf(stderr, "usage: numo-mathdiff plan SEED COUNT\n"
                         "       numo-mathdiff compare PLAN LINUX-OUTPUT WINDOWS-OUTPUT\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "plan") == 0) {
        PrintPlanFunctionRows();
        PrintPlanCorpus(static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10)),
                        std::atoi(argv[3]));
        return 0;
    }
    if (argc == 5 && std::strcmp(argv[1], "compare") == 0)
        return Compare(argv[2], argv[3], argv[4]);
    return Usage();
}
