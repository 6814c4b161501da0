// The syntax checker: three passes over a prepared formula (character set, parenthesis balance,
// then one left-to-right scan), the first fault met deciding the refusal code. It only reads its
// two texts and the constant tables: no copies, no allocation, no state between calls.
#include "engine/validator.h"

#include "engine/vocabulary.h"

#include <array>
#include <cstddef>
#include <initializer_list>

namespace {

// The class of a character for the scan; ClassStart is only the class "before" the first one.
enum CharClass : int {
    ClassStart = -1,
    ClassOpen = 0,
    ClassClose = 1,
    ClassOperator = 2,
    ClassDigit = 3,
    ClassPoint = 4,
    ClassLetter = 5,
};

// The class of every byte value, derived at compile time from the vocabulary's character sets:
// parentheses and the point by the character itself, then the operator and digit sets;
// everything else (once the character-set pass has run: the letters of the names) is a letter.
// The scan looks each character up once instead of searching the sets for it.
constexpr std::array<CharClass, 256> BuildClassTable() {
    std::array<CharClass, 256> classes{};
    for (int b = 0; b < 256; ++b) {
        const unsigned char flags = kCharFlags[b];
        if (flags & CharOpen)
            classes[b] = ClassOpen;
        else if (flags & CharClose)
            classes[b] = ClassClose;
        else if (flags & CharPoint)
            classes[b] = ClassPoint;
        else if (flags & CharOperator)
            classes[b] = ClassOperator;
        else if (flags & CharDigit)
            classes[b] = ClassDigit;
        else
            classes[b] = ClassLetter;
    }
    return classes;
}

constexpr std::array<CharClass, 256> kClassOf = BuildClassTable();

CharClass ClassOf(char ch) {
    return kClassOf[static_cast<unsigned char>(ch)];
}

// The pair step's rules: the fault of a character of class cur right after one of class previous
// (kPairFaults[previous + 1][cur]; the row of ClassStart first), MsgOk where the pair is fine. A
// table rather than a switch, since which rule applies changes from one character to the next and
// the processor could not predict the branches. Two rules need more than the two classes, and the
// scan finishes them: "+" and "-" pass where 24 stands, and a second point in a number (15) needs
// the point counter. The row of ClassLetter is never read for a character that is no letter: the
// end of a run of letters is a word step.
using PairFaults = std::array<std::array<StatusCode, 6>, 7>;

constexpr PairFaults BuildPairFaults() {
    PairFaults faults{};
    for (auto& row : faults)
        for (StatusCode& fault : row)
            fault = MsgOk;
    auto set = [&faults](std::initializer_list<CharClass> previous, CharClass cur,
                         StatusCode fault) {
        for (CharClass p : previous)
            faults[p + 1][cur] = fault;
    };
    // A letter may not follow ")", a digit or a point: '2sin(1)', '1e5', '2.5a' -> 13.
    set({ClassClose, ClassDigit, ClassPoint}, ClassLetter, MsgLetterAfterOperand);
    // A point stands only right after a digit: '.5', '1..2', 'a*.5' -> 14.
    set({ClassStart, ClassOpen, ClassClose, ClassOperator, ClassPoint, ClassLetter}, ClassPoint,
        MsgMisplacedPoint);
    // A digit may not follow ")": '(1)2', 'sin(1)2' -> 18.
    set({ClassClose}, ClassDigit, MsgDigitAfterClose);
    // At the start or after "(" only the signs "+" and "-": '*2', '(^2)' -> 24.
    set({ClassStart, ClassOpen}, ClassOperator, MsgLeadingOperator);
    // No operator after an operator or a point: '2*-3', '+-2', '2.+1' -> 21.
    set({ClassOperator, ClassPoint}, ClassOperator, MsgDoubleOperator);
    // "(" may not follow ")", a digit or a point: '2(3)', '(2)(3)', '2.(1)' -> 19.
    set({ClassClose, ClassDigit, ClassPoint}, ClassOpen, MsgMisplacedOpen);
    // ")" may not follow "(", an operator or a point: '()', '(-)', '(2.)' -> 20.
    set({ClassStart, ClassOpen, ClassOperator, ClassPoint}, ClassClose, MsgMisplacedClose);
    return faults;
}

constexpr PairFaults kPairFaults = BuildPairFaults();

// True when the run of length characters at run equals a function name. The run is judged in
// place, whatever its length, without being copied into a buffer that it could overflow.
bool IsFunctionName(const char* run, std::size_t length) {
    return FunctionNamed(run, length) >= 0;
}

// Membership of the allowed set, one flag per byte value. Built from the caller's set on every
// call (88 characters for AllowedChars): any set works and nothing is kept between calls, and
// each character of the formula is then tested with one look-up instead of a search of the set.
// One byte per value rather than one bit: the 88 stores are then independent of each other.
struct ByteSet {
    bool has[256];
};

void FillSet(ByteSet& result, const char* set) {
    for (bool& member : result.has)
        member = false;
    for (; *set != '\0'; ++set)
        result.has[static_cast<unsigned char>(*set)] = true;
}

// True when every character of text is in the set (NUL is never a member: it ends the set).
bool AllMembers(const ByteSet& set, const char* text) {
    for (; *text != '\0'; ++text) {
        if (!set.has[static_cast<unsigned char>(*text)])
            return false;
    }
    return true;
}

// Judges a whole run of letters at the character that follows it: following is that character,
// or '\0' when the run ends the text; followingIsLast tells whether following ends the text.
StatusCode JudgeWord(const char* run, std::size_t length, char following, bool followingIsLast) {
    if (IsFunctionName(run, length)) {
        // A function name must be followed directly by "(": 'sin2', 'sin', '(sin)' -> 16.
        if (following != '(')
            return MsgNoParenAfterFunction;
        return MsgOk;
    }
    if (length == 1 && (CharFlagsOf(run[0]) & CharOneLetter)) {
        // A one-letter name takes no "(", digit or inner point after it: 'a(1)', 'e2', 'a.5'
        // -> 17. A point as the very last character passes here: the end rule refuses 'a.' (23).
        if (following == '(' || (CharFlagsOf(following) & CharDigit) ||
            (following == '.' && !followingIsLast))
            return MsgBadAfterVariable;
        return MsgOk;
    }
    // Any other run of letters, however long, is no name: 'x', 'pi', 'sinx', 300 letters -> 12.
    return MsgBadWord;
}

} // namespace

StatusCode ValidateFormula(const char* formula, const char* allowed) {
    // Pass 1. Every character must lie in the allowed set: 'z', '2,5', 'A' -> 11.
    ByteSet allowedSet;
    FillSet(allowedSet, allowed);
    if (!AllMembers(allowedSet, formula))
        return MsgBadChar;

    // Pass 2. Balance, before any other rule, wherever the other faults lie.
    std::size_t opens = 0;
    std::size_t closes = 0;
    for (const char* p = formula; *p != '\0'; ++p) {
        if (*p == '(')
            ++opens;
        else if (*p == ')')
            ++closes;
        // No prefix may hold more ")" than "(": ')(', 'a)', '())(' -> 9.
        if (closes > opens)
            return MsgCloseBeforeOpen;
    }
    // The totals must agree: '(', '((2)', '2(' -> 10.
    if (opens != closes)
        return MsgParenCount;

    // Pass 3. One scan, left to right; the first faulty position decides.
    CharClass previous = ClassStart;
    std::size_t points = 0;    // points since the last character that is no digit and no point
    std::size_t wordStart = 0; // where the current run of letters began
    bool operandSeen = false;  // any letter or digit met
    for (std::size_t k = 0; formula[k] != '\0'; ++k) {
        const char ch = formula[k];
        const bool last = formula[k + 1] == '\0';
        const CharClass cur = ClassOf(ch);
        if (cur == ClassLetter || cur == ClassDigit)
            operandSeen = true;
        if (cur != ClassDigit && cur != ClassPoint)
            points = 0;

        // Word step: a run of letters is judged as a whole when it ends, either before ch (which
        // then follows the word and gets no pair test of its own) or at ch, the last character.
        const bool runEndsBefore = previous == ClassLetter && cur != ClassLetter;
        const bool runEndsHere = cur == ClassLetter && last;
        if (runEndsBefore || runEndsHere) {
            StatusCode word;
            if (runEndsHere) {
                // A letter may not follow ")", a digit or a point: '2a', '(2)a', '5.a' -> 13.
                if (previous == ClassClose || previous == ClassDigit || previous == ClassPoint)
                    return MsgLetterAfterOperand;
                if (previous != ClassLetter)
                    wordStart = k;
                word = JudgeWord(formula + wordStart, k + 1 - wordStart, '\0', false);
            } else {
                word = JudgeWord(formula + wordStart, k - wordStart, ch, last);
            }
            if (word != MsgOk)
                return word;
            previous = cur;
            continue;
        }

        // Pair step: ch judged against the class of the character before it (kPairFaults).
        if (cur == ClassLetter && previous != ClassLetter)
            wordStart = k; // a run of letters begins
        if (cur == ClassPoint)
            ++points;
        const StatusCode fault = kPairFaults[previous + 1][cur];
        if (fault != MsgOk && !(fault == MsgLeadingOperator && (ch == '+' || ch == '-')))
            return fault;
        // One point per number: '1.2.3', '1.5.' -> 15 (a point after a digit, the table let it).
        if (cur == ClassPoint && points > 1)
            return MsgSecondPoint;
        previous = cur;
    }

    // End rule. The text may not end in an operator or a point: '2+', '-', '5.', 'a.' -> 23.
    if (previous == ClassOperator || previous == ClassPoint)
        return MsgTrailingOperator;
    // Something to compute must be there; only the empty text gets this far without: '' -> 22.
    if (!operandSeen)
        return MsgNoOperand;
    return MsgOk;
}
