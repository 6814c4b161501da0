// The syntax checker: three passes over a prepared formula (character set, parenthesis balance,
// then one left-to-right scan), the first fault met deciding the refusal code. It only reads its
// two texts and the constant tables: no copies, no allocation, no state between calls.
#include "engine/validator.h"

#include "engine/vocabulary.h"

#include <cstddef>

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

// Parentheses and the point by the character itself, then the operator and digit sets;
// everything else (once the character-set pass has run: the letters of the names) is a letter.
CharClass ClassOf(char ch) {
    if (ch == '(')
        return ClassOpen;
    if (ch == ')')
        return ClassClose;
    if (ch == '.')
        return ClassPoint;
    if (HasChar(kOperators, ch))
        return ClassOperator;
    if (HasChar(kDigits, ch))
        return ClassDigit;
    return ClassLetter;
}

// True when the run of length characters at run equals a function name. The comparison stops at
// the end of the name or of the run, whichever comes first, so a run of any length is judged in
// place, without being copied into a buffer that it could overflow.
bool IsFunctionName(const char* run, std::size_t length) {
    for (const char* name : FunctionNames) {
        std::size_t i = 0;
        while (i < length && name[i] != '\0' && name[i] == run[i])
            ++i;
        if (i == length && name[i] == '\0')
            return true;
    }
    return false;
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
    if (length == 1 && HasChar(kOneLetterNames, run[0])) {
        // A one-letter name takes no "(", digit or inner point after it: 'a(1)', 'e2', 'a.5'
        // -> 17. A point as the very last character passes here: the end rule refuses 'a.' (23).
        if (following == '(' || HasChar(kDigits, following) ||
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
    if (!AllCharsIn(allowed, formula))
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

        // Pair step: ch judged against the class of the character before it.
        switch (cur) {
        case ClassLetter:
            // A letter may not follow ")", a digit or a point: '2sin(1)', '1e5', '2.5a' -> 13.
            if (previous == ClassClose || previous == ClassDigit || previous == ClassPoint)
                return MsgLetterAfterOperand;
            if (previous != ClassLetter)
                wordStart = k;
            break;
        case ClassPoint:
            ++points;
            // A point stands only right after a digit: '.5', '1..2', 'a*.5' -> 14.
            if (previous != ClassDigit)
                return MsgMisplacedPoint;
            // One point per number: '1.2.3', '1.5.' -> 15.
            if (points > 1)
                return MsgSecondPoint;
            break;
        case ClassDigit:
            // A digit may not follow ")": '(1)2', 'sin(1)2' -> 18.
            if (previous == ClassClose)
                return MsgDigitAfterClose;
            break;
        case ClassOperator:
            // At the start or after "(" only the signs "+" and "-": '*2', '(^2)' -> 24.
            if ((previous == ClassStart || previous == ClassOpen) && ch != '+' && ch != '-')
                return MsgLeadingOperator;
            // No operator after an operator or a point: '2*-3', '+-2', '2.+1' -> 21.
            if (previous == ClassOperator || previous == ClassPoint)
                return MsgDoubleOperator;
            break;
        case ClassOpen:
            // "(" may not follow ")", a digit or a point: '2(3)', '(2)(3)', '2.(1)' -> 19.
            if (previous == ClassClose || previous == ClassDigit || previous == ClassPoint)
                return MsgMisplacedOpen;
            break;
        case ClassClose:
            // ")" may not follow "(", an operator or a point: '()', '(-)', '(2.)' -> 20.
            if (previous == ClassStart || previous == ClassOpen || previous == ClassOperator ||
                previous == ClassPoint)
                return MsgMisplacedClose;
            break;
        case ClassStart:
            break; // never the class of a character
        }
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
