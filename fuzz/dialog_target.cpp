// Fuzz target: the calculator's dialog, opened through the headless stand-in host and driven by
// a sequence of user actions read from the input. Each action starts with one byte, taken
// modulo 8:
//   0..3  replace the text of the formula field, a, b or c (one edit): the bytes up to the next
//         '\n' (consumed) or the end, cut at a NUL and to the field's 511 characters;
//   4, 5  grey plus, grey minus once;
//   6, 7  grey plus, grey minus 1 to 256 times (the next byte + 1).
//
// Properties, after the opening and after every action:
// - every record the module stores into an output item (4, 13, 18, 20) carries its own
//   terminator within the item's 512 bytes (the host model cuts texts, which would hide one
//   missing), and the host then holds at most 511 characters there;
// - the decimals follow the keys from 3, between 0 and kMaxPrecision;
// - the status is a message number of the numbering; a result is shown with the current
//   decimals and the hexadecimal and binary forms of its integer part (32-bit digits from -2^31
//   to 2^32-1, 64-bit digits beyond them within the signed 64-bit range, else nothing); a
//   message in full (cut to 511) and nothing
//   in the hexadecimal and binary fields; a refused formula or variable shows no postfix text;
// - whenever the postfix field holds a whole text, the result field shows what a reference
//   evaluation of that text gives, written here from the calculator's rules apart from the
//   module, with the variables read from their fields' texts and the decimals counted from the
//   keys: the value printed with those decimals ("inf", "-inf", "nan" when not finite), or the
//   message of its first undefined operation.
//
// The module's calculation state and the host's history are reset for every input, so that an
// input behaves alike however many ran before it.
#include "dialog/calculator.h"
#include "engine/evaluator.h"
#include "engine/status.h"
#include "fuzz/fuzz_check.h"
#include "hostsim/dialog.h"
#include "hostsim/host.h"
#include "hostsim/language_file.h"
#include "services/services.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace numo::hostsim;
using numo::fuzz::Escaped;

namespace {
constexpr std::size_t kFieldChars = kItemTextSize - 1;

bool IsOutputItem(int item) {
    for (int output : kOutputItems) {
        if (item == output)
            return true;
    }
    return false;
}

// Stands between the module and the host's SendDlgMessage.
LONG_PTR WINAPI CheckingSendDlgMessage(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
    if (msg == DM_SETDLGITEM && param2 != 0 && IsOutputItem(param1)) {
        const auto* item = reinterpret_cast<const FarDialogItem*>(param2);
        FUZZ_CHECK(std::memchr(item->Data, '\0', kItemTextSize) != nullptr,
                   "item " + std::to_string(param1) + " stored without a terminator");
    }
    return services::SendDlgMessage(dlg, msg, param1, param2);
}

Host& TheHost() {
    static Host host(ReadLanguageFile(NUMO_LANG_DIR "/numo_en.lng"));
    static const bool started = [] {
        host.Start(SetStartupInfo);
        gStartupInfo.SendDlgMessage = CheckingSendDlgMessage;
        return true;
    }();
    (void)started;
    return host;
}

std::string Message(int number) {
    return TheHost()
        .Language()
        .messages.at(static_cast<std::size_t>(number))
        .substr(0, kFieldChars);
}

// The result field's text for a value, by the calculator's rules.
std::string Printed(double value, int decimals) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    int length = std::snprintf(nullptr, 0, "%.*f", decimals, value);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
    text.pop_back();
    return text;
}

// The reference evaluation of a whole postfix text: MsgOk with *value, or the status of the first
// undefined operation. Only texts the module made are given, so every token is known and finds
// its operands.
StatusCode ReferenceValue(const Dialog& dialog, const std::string& postfix, double* value) {
    std::vector<double> stack;
    auto pop = [&stack] {
        double top = stack.empty() ? 0.0 : stack.back();
        if (!stack.empty())
            stack.pop_back();
        return top;
    };
    auto zeroOrNaN = [](double x) { return x == 0 || std::isnan(x); };
    std::size_t start = 0;
    while (start < postfix.size()) {
        std::size_t end = std::min(postfix.find(' ', start), postfix.size());
        const std::string token = postfix.substr(start, end - start);
        start = end + 1;
        const char first = token[0];
        if (token == "a" || token == "b" || token == "c") {
            const int item = token == "a" ? ItemVarA : token == "b" ? ItemVarB : ItemVarC;
            stack.push_back(std::strtod(dialog.Text(item).c_str(), nullptr));
        } else if (token == "p") {
            stack.push_back(3.141592653589793);
        } else if (token == "e") {
            stack.push_back(std::exp(1.0));
        } else if (first >= '0' && first <= '9') {
            stack.push_back(std::strtod(token.c_str(), nullptr));
        } else if (token.size() == 1) { // an operator
            const double r = pop();
            if (first == '/' && zeroOrNaN(r))
                return MsgDivByZero;
            const double l = pop();
            double whole = 0;
            const double fraction = std::modf(r, &whole);
            if (first == '^' && ((zeroOrNaN(l) && (zeroOrNaN(r) || !(r >= 0))) ||
                                 (!(l >= 0) && !std::isnan(fraction) && fraction != 0)))
                return MsgPowerDomain;
            stack.push_back(first == '+'   ? l + r
                            : first == '-' ? l - r
                            : first == '*' ? l * r
                            : first == '/' ? l / r
                                           : std::pow(l, r));
        } else { // a function
            const double r = pop();
            double whole = 0;
            const double fraction = std::modf(r, &whole);
            double v;
            if (token == "sin") {
                v = std::sin(r);
            } else if (token == "cos") {
                v = std::cos(r);
            } else if (token == "tan") {
                if (zeroOrNaN(std::cos(r)))
                    return MsgTanDomain;
                v = std::tan(r);
            } else if (token == "cot") {
                if (zeroOrNaN(std::sin(r)))
                    return MsgCotDomain;
                v = 1 / std::tan(r);
            } else if (token == "asin" || token == "acos") {
                if (!(r >= -1 && r <= 1))
                    return token == "asin" ? MsgAsinDomain : MsgAcosDomain;
                v = token == "asin" ? std::asin(r) : std::acos(r);
            } else if (token == "atan") {
                v = std::atan(r);
            } else if (token == "acot") {
                v = zeroOrNaN(r) ? 1.5707963267948966 : std::atan(1 / r);
            } else if (token == "ln" || token == "lg") {
                if (!(r > 0))
                    return token == "ln" ? MsgLnDomain : MsgLgDomain;
                v = token == "ln" ? std::log(r) : std::log10(r);
            } else if (token == "exp") {
                v = std::exp(r);
            } else if (token == "sqrt") {
                if (!(r >= 0))
                    return MsgPowerDomain;
                v = std::pow(r, 0.5);
            } else if (token == "sqr") {
                v = r * r;
            } else if (token == "trunc") {
                v = r - fraction;
            } else if (token == "frac") {
                v = fraction;
            } else if (token == "round") { // a tie goes down; a NaN stays one
                const double up = std::ceil(r), down = std::floor(r);
                v = std::fabs(up - r) >= std::fabs(down - r) ? down : up;
            } else if (token == "ceil") {
                v = std::ceil(r);
            } else {
                FUZZ_CHECK(token == "floor",
                           "unknown token '" + Escaped(token) + "' in '" + Escaped(postfix) + "'");
                v = std::floor(r);
            }
            stack.push_back(v);
        }
    }
    *value = stack.empty() ? 0.0 : stack.back();
    return MsgOk;
}

// The result field against the reference evaluation of the postfix field, when it holds a whole
// text (a cut one ends in " ...").
void CheckAgainstReference(const Dialog& dialog, int decimals, const std::string& step) {
    const std::string postfix = dialog.Text(ItemPostfix);
    const std::string cut = " ...";
    if (postfix.empty() || (postfix.size() >= cut.size() &&
                            postfix.compare(postfix.size() - cut.size(), cut.size(), cut) == 0))
        return;
    double value = 0;
    const StatusCode status = ReferenceValue(dialog, postfix, &value);
    const std::string expected = status == MsgOk ? Printed(value, decimals) : Message(status);
    const std::string result = dialog.Text(ItemResult);
    FUZZ_CHECK(result == expected, "result '" + Escaped(result) + "', the reference gives '" +
                                       Escaped(expected) + "' for '" + Escaped(postfix) +
                                       "' after " + step);
}

// The hexadecimal and binary fields for a result, from the calculator's rules: the integer part
// from -2^31 to 2^32-1 as the digits of its 32-bit pattern, within the signed 64-bit range as
// those of its 64-bit pattern, and nothing beyond that or for an infinity or a NaN.
std::pair<std::string, std::string> IntegerPartTexts(double value) {
    if (!std::isfinite(value))
        return {};
    const double whole = std::trunc(value);
    std::uint64_t bits = 0;
    int width = 0;
    if (whole >= -2147483648.0 && whole <= 4294967295.0) {
        bits = static_cast<std::uint32_t>(static_cast<std::int64_t>(whole));
        width = 32;
    } else if (whole >= -9223372036854775808.0 && whole < 9223372036854775808.0) {
        bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(whole));
        width = 64;
    } else {
        return {};
    }
    char hex[32];
    std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(bits));
    std::string bin;
    for (int bit = width - 1; bit >= 0; --bit) {
        if (((bits >> bit) & 1) != 0 || !bin.empty() || bit == 0)
            bin += ((bits >> bit) & 1) != 0 ? '1' : '0';
    }
    return {hex, bin};
}

void CheckOutputs(const Dialog& dialog, int decimals, const std::string& step) {
    for (int item : kOutputItems) {
        const char* data = dialog.Item(item).Data;
        FUZZ_CHECK(std::memchr(data, '\0', kItemTextSize) != nullptr,
                   "item " + std::to_string(item) + " holds no terminator after " + step);
    }
    FUZZ_CHECK(gPrecision == decimals, std::to_string(gPrecision) + " decimals instead of " +
                                           std::to_string(decimals) + " after " + step);
    FUZZ_CHECK(gStatus >= MsgOk && gStatus <= MsgLgDomain,
               "status " + std::to_string(gStatus) + " after " + step);

    CheckAgainstReference(dialog, decimals, step);
    std::string result = dialog.Text(ItemResult);
    std::string hex = dialog.Text(ItemHex);
    std::string bin = dialog.Text(ItemBin);
    if (gStatus == MsgOk) {
        std::string expected = Printed(gResult, gPrecision);
        FUZZ_CHECK(expected.size() <= kFieldChars, "the result needs " +
                                                       std::to_string(expected.size()) +
                                                       " characters after " + step);
        FUZZ_CHECK(result == expected,
                   "result '" + result + "', expected '" + expected + "' after " + step);
        auto [expectedHex, expectedBin] = IntegerPartTexts(gResult);
        FUZZ_CHECK(hex == expectedHex && bin == expectedBin,
                   "hex '" + hex + "', bin '" + bin + "' for " + result + ", expected '" +
                       expectedHex + "', '" + expectedBin + "' after " + step);
        return;
    }
    FUZZ_CHECK(result == Message(gStatus), "result '" + Escaped(result) + "' for message " +
                                               std::to_string(gStatus) + " after " + step);
    FUZZ_CHECK(hex.empty() && bin.empty(),
               "hex '" + hex + "', bin '" + bin + "' beside a message after " + step);
    if (gStatus <= MsgBadVariable) {
        FUZZ_CHECK(dialog.Text(ItemPostfix).empty(),
                   "postfix text beside message " + std::to_string(gStatus) + " after " + step);
    }
}

// Runs the actions of the input on the open dialog.
void RunActions(Dialog& dialog, std::string_view input) {
    int decimals = kOpeningPrecision;
    CheckOutputs(dialog, decimals, "the opening");
    std::size_t pos = 0;
    while (pos < input.size()) {
        int action = static_cast<unsigned char>(input[pos++]) % 8;
        std::string step;
        if (action < 4) {
            std::size_t end = std::min(input.find('\n', pos), input.size());
            std::string_view text = input.substr(pos, end - pos);
            text = text.substr(0, std::min(text.find('\0'), kFieldChars));
            pos = end < input.size() ? end + 1 : end;
            step = "edit of item " + std::to_string(kInputItems[action]) + " to '" + Escaped(text) +
                   "'";
            FUZZ_CHECK(dialog.EditText(kInputItems[action], text), "refused: " + step);
        } else {
            int times = 1;
            if (action >= 6 && pos < input.size())
                times = static_cast<unsigned char>(input[pos++]) + 1;
            bool plus = action % 2 == 0;
            step = std::to_string(times) + " x grey " + (plus ? "plus" : "minus");
            for (int i = 0; i < times; ++i) {
                FUZZ_CHECK(dialog.Key(plus ? KEY_ADD : KEY_SUBTRACT), "not consumed: " + step);
                decimals = plus ? std::min(decimals + 1, kMaxPrecision) : std::max(decimals - 1, 0);
            }
        }
        CheckOutputs(dialog, decimals, step);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Host& host = TheHost();

    // The state a fresh load of the module starts with.
    gStatus = 0;
    gResult = 0;
    gPrecision = kOpeningPrecision;
    gVarA = gVarB = gVarC = 0;
    std::memset(gFormula, 0, sizeof gFormula);
    MemoryHistory history; // the formula field opens with the history's last entry
    host.SetHistory(&history);

    std::string_view input(reinterpret_cast<const char*>(data), size);
    bool ran = false;
    host.Open(OpenPlugin, [&](Dialog& dialog) {
        ran = true;
        RunActions(dialog, input);
        dialog.Close(-1);
    });
    FUZZ_CHECK(ran, std::string("the calculator opened no dialog"));
    host.SetHistory(nullptr);
    return 0;
}
