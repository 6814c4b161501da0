// Token stack, tokenizer and the infix-to-postfix conversion (shunting yard with every operator
// left-associative and functions binding tighter than any operator).
#include "engine/postfix.h"

#include "engine/heap.h"
#include "engine/vocabulary.h"
#include "platform/winapi.h"

#include <cstring>

TokenStack::~TokenStack() {
    while (top != nullptr) {
        TokenNode* below = top->next;
        MemFree(top);
        top = below;
    }
}

bool TokenStack::Push(const char* text) {
    auto* node = static_cast<TokenNode*>(MemAlloc(sizeof(TokenNode)));
    if (node == nullptr)
        return false;
    lstrcpynA(node->text, text, kTokenTextSize); // longer texts keep their first 259 characters
    node->next = top;
    top = node;
    return true;
}

void TokenStack::Discard() {
    if (top == nullptr)
        return;
    TokenNode* below = top->next;
    MemFree(top);
    top = below;
}

namespace {

// A token found in place at the start of a text: its length, and its position in FunctionNames
// when it is a function name (-1 otherwise).
struct TokenSpan {
    std::size_t length;
    int name;
};

bool IsNumberChar(char ch) {
    return (CharFlagsOf(ch) & (CharDigit | CharPoint)) != 0;
}

TokenSpan ScanToken(const char* text) {
    // Table order decides between names sharing a prefix: "sqrt" stands before "sqr". Most
    // tokens (numbers, operators, parentheses) cannot start a name, which one look-up tells.
    if (CharFlagsOf(text[0]) & CharNameStart) {
        const int name = FunctionPrefixAt(text);
        if (name >= 0)
            return {kFunctionNameLengths[name], name};
    }
    std::size_t length = 0;
    while (IsNumberChar(text[length]))
        ++length;
    if (length == 0 && text[0] != '\0')
        length = 1; // any other character is a token of its own
    return {length, -1};
}

// The priority class of a token of one character, which no function name is: -1 operand, 0 "(",
// 1 ")", 2 "+ -", 3 "* /", 4 "^" (a function name is 5).
int SingleCharPriority(char ch) {
    switch (ch) {
    case '(':
        return 0;
    case ')':
        return 1;
    case '+':
    case '-':
        return 2;
    case '*':
    case '/':
        return 3;
    case '^':
        return 4;
    default:
        return -1;
    }
}

// The output text with its capacity. ToPostfix sizes it so that it cannot fill up (see there);
// the check stays so that a broken bound truncates nothing silently and never writes past it.
struct Output {
    char* text;
    std::size_t size; // bytes of the block, terminator included
    std::size_t used; // characters written
};

// Appends the length characters at token and one space.
bool Append(Output& out, const char* token, std::size_t length) {
    if (out.used + length + 1 >= out.size)
        return false;
    if (length == 1) // most tokens: an operator, a letter, a digit; spares a call of memcpy
        out.text[out.used] = token[0];
    else
        std::memcpy(out.text + out.used, token, length);
    out.used += length;
    out.text[out.used++] = ' ';
    return true;
}

// The class of a token on ToPostfix's own stack. Only "(", operators and function names are
// ever pushed there, so a text of more than one character is a name, without comparing it with
// the names again.
int StackedPriority(const char* text) {
    return text[1] == '\0' ? SingleCharPriority(text[0]) : 5;
}

// Moves the top token into the output. Its text is written straight from the node, which then
// goes: a copy of it would be one more heap block per token, released at once.
bool PopInto(TokenStack& stack, Output& out) {
    const char* token = stack.Top();
    bool appended = Append(out, token, token[1] == '\0' ? 1 : std::strlen(token));
    stack.Discard();
    return appended;
}

// ")": operators and functions above the nearest "(" go out newest first, that "(" is dropped.
// Without any "(" the whole stack goes out and the ")" is dropped all the same.
bool CloseParenthesis(TokenStack& stack, Output& out) {
    while (!stack.IsEmpty()) {
        if (StackedPriority(stack.Top()) != 0 && !PopInto(stack, out))
            return false;
        if (!stack.IsEmpty() && StackedPriority(stack.Top()) == 0) {
            stack.Discard();
            break;
        }
    }
    return true;
}

// An operator or function first sends out every stacked token of the same or a higher class:
// "same" is what makes all operators, "^" included, left-associative.
bool PushOperator(TokenStack& stack, const char* token, int priority, Output& out) {
    while (!stack.IsEmpty() && StackedPriority(stack.Top()) >= priority) {
        if (!PopInto(stack, out))
            return false;
    }
    return stack.Push(token);
}

} // namespace

char* ToPostfix(const char* formula) {
    // Every token reaches the output at most once, followed by one space, and ")" never does:
    // at most len characters of tokens plus len spaces, and the terminator.
    std::size_t length = std::strlen(formula);
    Output out{static_cast<char*>(MemAlloc(2 * length + 2)), 2 * length + 2, 0};
    if (out.text == nullptr)
        return nullptr;

    // Tokens are cut in place and operands are written straight from the formula: a heap copy of
    // each token would be released right after its characters were copied once more. Only the
    // stack's nodes come from the heap.
    TokenStack stack; // its destructor releases whatever a failure leaves on it
    const char* rest = formula;
    while (*rest != '\0') {
        const TokenSpan token = ScanToken(rest);
        const char single[2] = {rest[0], '\0'}; // the text of a token of one character
        const char* text = token.name >= 0 ? FunctionNames[token.name] : single;
        int priority = -1;
        if (token.name >= 0)
            priority = 5;
        else if (token.length == 1)
            priority = SingleCharPriority(rest[0]);
        bool done;
        if (priority == -1)
            done = Append(out, rest, token.length);
        else if (priority == 0)
            done = stack.Push(text);
        else if (priority == 1)
            done = CloseParenthesis(stack, out);
        else
            done = PushOperator(stack, text, priority, out);
        if (!done) {
            MemFree(out.text);
            return nullptr;
        }
        rest += token.length;
    }
    // What is left goes out newest first; an unclosed "(" becomes a token the evaluator skips.
    while (!stack.IsEmpty()) {
        if (!PopInto(stack, out)) {
            MemFree(out.text);
            return nullptr;
        }
    }
    while (out.used > 0 && out.text[out.used - 1] == ' ')
        --out.used;
    out.text[out.used] = '\0';
    return out.text;
}
