// Fuzz target: the engine's whole path for one edit of the formula field. The input is the
// field's text (up to its first NUL, cut to the field's 511 characters); bytes after that NUL
// are the texts of the fields a, b and c, NUL-separated (missing ones hold 0). The text goes
// through the dialog's own preparation (NormaliseFormula: spaces deleted, lower-cased by the
// host's LStrlwr; the checker; ConvertFormula: signs rewritten, converted) and is evaluated.
//
// Properties:
// - every status is one of the numbering's: the checker gives 8 or 9..24, a variable field 0
//   or 25, the evaluator 8 or 26..33 (StatusNoMemory cannot happen here);
// - the checker accepts a formula exactly when the grammar of tests/engine/formula_grammar.h,
//   written apart from it, reads it;
// - an accepted formula rewrites within the capacity promised for its length and converts to a
//   postfix text of known tokens in which every operator finds two values and every function
//   one, with exactly one value left at the end;
// - a refused evaluation leaves the result at 0;
// - every number reads to the double the C library's strtod gives for it (the engine reads plain
//   decimals on a faster path of its own): each variable text taken as a number, each number
//   token of the postfix text, and the value of a formula that is one number;
// - no heap block outlives the edit.
#include "dialog/calculator.h"
#include "engine/evaluator.h"
#include "engine/heap.h"
#include "engine/signs.h"
#include "engine/status.h"
#include "engine/validator.h"
#include "engine/vocabulary.h"
#include "fuzz/fuzz_check.h"
#include "hostsim/host.h"
#include "platform/winapi.h"
#include "services/services.h"
#include "tests/engine/formula_grammar.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

using numo::fuzz::Escaped;

namespace {
constexpr std::size_t kFieldChars = 511; // an item's text without its terminator

// The field's text as an item holds it: up to the first NUL and at most 511 characters.
std::string_view FieldText(std::string_view bytes) {
    return bytes.substr(0, std::min(bytes.find('\0'), kFieldChars));
}

bool IsNumber(std::string_view token) {
    return !token.empty() && token.find_first_not_of("0123456789.") == std::string_view::npos;
}

// The same double, bit for bit (so that -0 differs from 0).
bool SameDouble(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Enough digits to tell any two doubles apart.
std::string AllDigits(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

void CheckReadAsStrtod(const std::string& text, double value, const char* what) {
    double expected = std::strtod(text.c_str(), nullptr);
    FUZZ_CHECK(SameDouble(value, expected), std::string(what) + " '" + Escaped(text) +
                                                "' read as " + AllDigits(value) +
                                                ", strtod gives " + AllDigits(expected));
}

// Every number token of the postfix text reads, through ParseNumber, to strtod's double.
void CheckNumberTokens(std::string_view postfix) {
    std::size_t start = 0;
    while (start < postfix.size()) {
        std::size_t end = std::min(postfix.find(' ', start), postfix.size());
        std::string token(postfix.substr(start, end - start));
        if (IsNumber(token)) {
            double value = 0;
            FUZZ_CHECK(ParseNumber(token.c_str(), &value) == MsgOk,
                       "number token '" + token + "' is no number to ParseNumber");
            CheckReadAsStrtod(token, value, "number token");
        }
        start = end + 1;
    }
}

// Reads the variable fields as the dialog does: the first one that is no number stops the edit.
bool ReadVariables(std::string_view rest) {
    double* values[] = {&gVarA, &gVarB, &gVarC};
    for (double* value : values) {
        *value = 0;
        std::string text = "0"; // what a field holds when the dialog opens
        if (!rest.empty()) {
            std::size_t end = std::min(rest.find('\0'), rest.size());
            text = std::string(FieldText(rest.substr(0, end)));
            rest = end < rest.size() ? rest.substr(end + 1) : std::string_view();
        }
        StatusCode status = ParseNumber(text.c_str(), value);
        FUZZ_CHECK(status == MsgOk || status == MsgBadVariable,
                   "ParseNumber('" + Escaped(text) + "') gave " + std::to_string(status));
        if (status != 0)
            return false;
        CheckReadAsStrtod(text, *value, "variable text");
    }
    return true;
}

void RunEdit(std::string_view input) {
    char field[kFormulaSize] = {};
    std::string_view typed = FieldText(input);
    std::memcpy(field, typed.data(), typed.size());
    NormaliseFormula(field);
    const std::string formula = field;
    std::size_t nul = input.find('\0');
    if (!ReadVariables(nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1)))
        return;

    StatusCode status = ValidateFormula(formula.c_str(), AllowedChars);
    FUZZ_CHECK(InfixReader(formula, true).ReadAll() == (status == MsgOk),
               "the grammar and the checker (" + std::to_string(status) + ") disagree on '" +
                   Escaped(formula) + "'");
    if (status != MsgOk) {
        FUZZ_CHECK(status >= MsgCloseBeforeOpen && status <= MsgLeadingOperator,
                   "checker gave " + std::to_string(status) + " for '" + Escaped(formula) + "'");
        return;
    }

    // Exactly the bytes the rewriting is promised, so that a write past them is caught.
    std::size_t capacity = SignRewriteCapacity(formula.size());
    std::unique_ptr<char[]> rewritten(new char[capacity]);
    std::memcpy(rewritten.get(), formula.c_str(), formula.size() + 1);
    char* postfix = ConvertFormula(rewritten.get(), capacity);
    FUZZ_CHECK(postfix != nullptr, "no postfix text for accepted '" + Escaped(formula) + "'");
    // The shape the evaluator relies on, checked apart from it (it takes 0 for a missing value
    // instead of failing): every operator finds two values, every function one, one is left,
    // and the operands, operators and functions are those the grammar reads in the formula.
    const std::string rewrittenText = rewritten.get();
    InfixReader infix(rewrittenText, false);
    FUZZ_CHECK(infix.ReadAll(), "rewritten as '" + Escaped(rewrittenText) +
                                    "', which the grammar does not read, from '" +
                                    Escaped(formula) + "'");
    std::string shape = CheckPostfix(postfix, infix);
    FUZZ_CHECK(shape.empty(),
               "formula '" + Escaped(formula) + "', postfix '" + Escaped(postfix) + "': " + shape);
    CheckNumberTokens(postfix);

    double result = -1;
    status = EvaluatePostfix(postfix, &result);
    FUZZ_CHECK(status == MsgOk || (status >= MsgDivByZero && status <= MsgLgDomain),
               "evaluator gave " + std::to_string(status) + " for '" + Escaped(postfix) + "'");
    FUZZ_CHECK(status == MsgOk || result == 0,
               "refused evaluation of '" + Escaped(postfix) + "' left " + std::to_string(result));
    if (IsNumber(formula))
        CheckReadAsStrtod(formula, result, "the formula");
    MemFree(postfix);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = [] {
        InitHeap();
        BuildAllowedChars();
        // NormaliseFormula lower-cases through the host's service, as in the dialog.
        gStdFunctions.LStrlwr = numo::hostsim::services::LStrlwr;
        return true;
    }();
    (void)ready;

    std::string_view input(reinterpret_cast<const char*>(data), size);
    platform::HeapCounters before = platform::GetHeapCounters();
    RunEdit(input);
    platform::HeapCounters after = platform::GetHeapCounters();
    FUZZ_CHECK(after.allocations - before.allocations == after.frees - before.frees,
               "heap blocks left behind by '" + Escaped(input) + "'");
    return 0;
}
