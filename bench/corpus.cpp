// Corpus file reader and the generator of formulas of a given length.
#include "bench/corpus.h"

#include <cstdint>
#include <fstream>

namespace {

std::string Trim(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// A term of the generated formulas in both spellings. nonZero: the term's value is not 0 when
// a = b = c = 0, so it may follow "/".
struct Term {
    const char* numo;
    const char* muparser;
    bool nonZero;
};

// Short operands and typical calls: every function, both constants, the variables, "^" inside
// a term only (so no chain of "^" arises, whose grouping differs between the two syntaxes).
const Term kTerms[] = {
    {"a", "a", false},
    {"b", "b", false},
    {"c", "c", false},
    {"p", "p", true},
    {"e", "e", true},
    {"2", "2", true},
    {"7", "7", true},
    {"12", "12", true},
    {"3.5", "3.5", true},
    {"0.25", "0.25", true},
    {"144", "144", true},
    {"1.875", "1.875", true},
    {"sin(a)", "sin(a)", false},
    {"cos(b)", "cos(b)", true},
    {"tan(0.5)", "tan(0.5)", true},
    {"cot(1.2)", "cot(1.2)", true},
    {"asin(0.3)", "asin(0.3)", true},
    {"acos(c)", "acos(c)", true},
    {"atan(2)", "atan(2)", true},
    {"acot(b)", "acot(b)", true},
    {"ln(10)", "ln(10)", true},
    {"lg(50)", "log10(50)", true},
    {"exp(a)", "exp(a)", true},
    {"sqrt(7)", "sqrt(7)", true},
    {"sqr(a+3)", "sqr(a+3)", true},
    {"trunc(8.6)", "trunc(8.6)", true},
    {"frac(2.75)", "frac(2.75)", true},
    {"round(4.5)", "round(4.5)", true},
    {"ceil(0.2)", "ceil(0.2)", true},
    {"floor(9.9)", "floor(9.9)", true},
    {"(a+2)", "(a+2)", true},
    {"(-b)", "(-b)", false},
    {"(b-1)", "(b-1)", true},
    {"2^3", "2^3", true},
    {"1.5^2", "1.5^2", true},
    {"(c+3)^2", "(c+3)^2", true},
    {"sin(p/6)", "sin(p/6)", true},
    {"sqrt(a^2+1)", "sqrt(a^2+1)", true},
    {"(p-e)*2", "(p-e)*2", true},
    {"exp(-(b+1)/2)", "exp(-(b+1)/2)", true},
};
constexpr std::size_t kTermCount = sizeof kTerms / sizeof kTerms[0];
const char kJoins[] = "+-*/";

// A fixed generator (xorshift32), so the formulas do not depend on the C++ library's
// distributions.
struct Random {
    std::uint32_t state;
    std::uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    std::size_t Below(std::size_t bound) { return Next() % bound; }
};

// A number of exactly digits characters, never starting with 0 (so never 0 itself).
std::string Digits(Random& random, std::size_t digits) {
    std::string number(1, static_cast<char>('1' + random.Below(9)));
    while (number.size() < digits)
        number += static_cast<char>('0' + random.Below(10));
    return number;
}

FormulaPair Generate(std::size_t length, Random& random) {
    FormulaPair pair;
    auto append = [&pair](const std::string& numo, const std::string& muparser) {
        pair.numo += numo;
        pair.muparser += muparser;
    };
    // The first term leaves room for at least one joined term.
    while (pair.numo.empty()) {
        const Term& term = kTerms[random.Below(kTermCount)];
        if (std::char_traits<char>::length(term.numo) + 2 <= length)
            append(term.numo, term.muparser);
    }
    while (pair.numo.size() < length) {
        std::size_t room = length - pair.numo.size();
        std::string join(1, kJoins[random.Below(4)]);
        // Now and then a space on each side of the operator, as people type.
        if (room > 12 && random.Below(10) == 0)
            join = " " + join + " ";
        if (room <= 9) {
            // The end: one number fills the room exactly.
            std::string number = Digits(random, room - 1);
            append(join + number, join + number);
            break;
        }
        const Term& term = kTerms[random.Below(kTermCount)];
        if (join.find('/') != std::string::npos && !term.nonZero)
            continue;
        std::size_t size = join.size() + std::char_traits<char>::length(term.numo);
        // Either the term fills the room, or it leaves at least an operator and a digit.
        if (size == room || size + 2 <= room)
            append(join + term.numo, join + term.muparser);
    }
    return pair;
}

} // namespace

bool LoadCorpus(const char* path, std::vector<CorpusClass>* classes, std::string* error) {
    std::ifstream file(path);
    if (!file) {
        *error = std::string("cannot read the corpus ") + path;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#')
            continue;
        std::size_t first = line.find('|');
        std::size_t second = first == std::string::npos ? first : line.find('|', first + 1);
        if (second == std::string::npos || line.find('|', second + 1) != std::string::npos) {
            *error = std::string(path) + ":" + std::to_string(number) +
                     ": expected 'class | numo formula | muParser formula'";
            return false;
        }
        std::string name = Trim(line.substr(0, first));
        FormulaPair pair{Trim(line.substr(first + 1, second - first - 1)),
                         Trim(line.substr(second + 1))};
        CorpusClass* target = nullptr;
        for (CorpusClass& c : *classes) {
            if (c.name == name)
                target = &c;
        }
        if (target == nullptr) {
            classes->push_back(CorpusClass{name, {}});
            target = &classes->back();
        }
        target->formulas.push_back(pair);
    }
    return true;
}

std::vector<FormulaPair> GenerateFormulas(std::size_t length, int count, unsigned seed) {
    Random random{seed * 2654435761u + 1u};
    std::vector<FormulaPair> formulas;
    for (int i = 0; i < count; ++i)
        formulas.push_back(Generate(length, random));
    return formulas;
}
