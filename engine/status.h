// Status codes: the outcome of a step and, at once, the number of the message shown for it.
// The numbers are those of the module's language file; the order is fixed (ORDER MSG).
#pragma once

#include <cstdint>

using StatusCode = std::int32_t;

enum : StatusCode {
    MsgTitle = 0,
    MsgFormulaLabel = 1,
    MsgPostfixLabel = 2,
    MsgLabelA = 3,
    MsgLabelB = 4,
    MsgLabelC = 5,
    MsgButton = 6,
    MsgVarDefault = 7,
    MsgOk = 8,
    // Syntax (the checker)
    MsgCloseBeforeOpen = 9,
    MsgParenCount = 10,
    MsgBadChar = 11,
    MsgBadWord = 12,
    MsgLetterAfterOperand = 13,
    MsgMisplacedPoint = 14,
    MsgSecondPoint = 15,
    MsgNoParenAfterFunction = 16,
    MsgBadAfterVariable = 17,
    MsgDigitAfterClose = 18,
    MsgMisplacedOpen = 19,
    MsgMisplacedClose = 20,
    MsgDoubleOperator = 21,
    MsgNoOperand = 22,
    MsgTrailingOperator = 23,
    MsgLeadingOperator = 24,
    // Variable fields
    MsgBadVariable = 25,
    // Evaluation
    MsgDivByZero = 26,
    MsgPowerDomain = 27,
    MsgTanDomain = 28,
    MsgCotDomain = 29,
    MsgAsinDomain = 30,
    MsgAcosDomain = 31,
    MsgLnDomain = 32,
    MsgLgDomain = 33,
};

// Messages 0..MsgLgDomain: the language file must hold at least this many.
constexpr int kStatusCount = MsgLgDomain + 1;

// The one outcome with no message of its own: the heap refused a block. Outside the messages'
// range, so no code can take it for a message (the title is message 0); the dialog then shows
// neither a value nor a message that would blame the formula.
constexpr StatusCode StatusNoMemory = -1;
// Nothing computed yet: the dialog's status before its first recalculation. Outside the
// messages' range too, so it reads as neither a result nor a message.
constexpr StatusCode StatusNone = -2;
