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

char* TokenStack::Pop() {
    if (top == nullptr)
        return nullptr;
    auto* copy = static_cast<char*>(MemAlloc(kTokenTextSize));
    if (copy != nullptr)
        lstrcpyA(copy, top->text);
    // The node goes even when the copy failed: the caller then treats the text as lost, and a
    // stack that kept it would hand the same token out twice.
    TokenNode* below = top->next;
    MemFree(top);
    top = below;
    return copy;
}

namespace {

bool IsNumberChar(char ch) {
    return ch == '.' || HasChar(kDigits, ch);
}

// Function names are handed out as the table's own entries; only those escape MemFree.
bool IsTableName(const char* token) {
    for (const char* name : FunctionNames) {
        if (token == name)
            return true;
    }
    return false;
}

void ReleaseToken(const char* token) {
    if (!IsTableName(token))
        MemFree(const_cast<char*>(token));
}

// The output text with its capacity. ToPostfix sizes it so that it cannot fill up (see there);
// the check stays so that a broken bound truncates nothing silently and never writes past it.
struct Output {
    char* text;
    std::size_t size; // bytes of the block, terminator included
    std::size_t used; // characters written
};

bool Append(Output& out, const char* token) {
    std::size_t length = std::strlen(token);
    if (out.used + length + 1 >= out.size)
        return false;
    std::memcpy(out.text + out.used, token, length);
    out.used += length;
    out.text[out.used++] = ' ';
    return true;
}

// Pops the top token into the output. False when the copy could not be made.
bool PopInto(TokenStack& stack, Output& out) {
    char* token = stack.Pop();
    if (token == nullptr)
        return false;
    bool appended = Append(out, token);
    MemFree(token);
    return appended;
}

// ")": operators and functions above the nearest "(" go out newest first, that "(" is dropped.
// Without any "(" the whole stack goes out and the ")" is dropped all the same.
bool CloseParenthesis(TokenStack& stack, Output& out) {
    while (!stack.IsEmpty()) {
        if (TokenPriority(stack.Top()) != 0 && !PopInto(stack, out))
            return false;
        if (TokenPriority(stack.Top()) == 0) {
            // Only the node matters here, so a "(" whose copy failed is gone just the same.
            MemFree(stack.Pop());
            break;
        }
    }
    return true;
}

// An operator or function first sends out every stacked token of the same or a higher class:
// "same" is what makes all operators, "^" included, left-associative.
bool PushOperator(TokenStack& stack, const char* token, int priority, Output& out) {
    while (!stack.IsEmpty() && TokenPriority(stack.Top()) >= priority) {
        if (!PopInto(stack, out))
            return false;
    }
    return stack.Push(token);
}

} // namespace

const char* NextToken(const char* text) {
    // Table order decides between names sharing a prefix: "sqrt" stands before "sqr".
    for (const char* name : FunctionNames) {
        if (std::strncmp(text, name, std::strlen(name)) == 0)
            return name;
    }
    std::size_t length = 0;
    while (IsNumberChar(text[length]))
        ++length;
    if (length == 0 && text[0] != '\0')
        length = 1; // any other character is a token of its own
    // Sized to the token, so a number of any length is kept whole.
    auto* token = static_cast<char*>(MemAlloc(length + 1));
    if (token != nullptr)
        std::memcpy(token, text, length); // the zero-filled block already holds the terminator
    return token;
}

int TokenPriority(const char* token) {
    if (token == nullptr)
        return -1;
    if (token[0] != '\0' && token[1] == '\0') {
        switch (token[0]) {
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
            break;
        }
    }
    for (const char* name : FunctionNames) {
        if (lstrcmpA(token, name) == 0)
            return 5;
    }
    return -1;
}

char* ToPostfix(const char* formula) {
    // Every token reaches the output at most once, followed by one space, and ")" never does:
    // at most len characters of tokens plus len spaces, and the terminator.
    std::size_t length = std::strlen(formula);
    Output out{static_cast<char*>(MemAlloc(2 * length + 2)), 2 * length + 2, 0};
    if (out.text == nullptr)
        return nullptr;

    TokenStack stack; // its destructor releases whatever a failure leaves on it
    const char* rest = formula;
    while (*rest != '\0') {
        const char* token = NextToken(rest);
        if (token == nullptr) {
            MemFree(out.text);
            return nullptr;
        }
        rest += std::strlen(token);
        int priority = TokenPriority(token);
        bool done;
        if (priority == -1)
            done = Append(out, token);
        else if (priority == 0)
            done = stack.Push(token);
        else if (priority == 1)
            done = CloseParenthesis(stack, out);
        else
            done = PushOperator(stack, token, priority, out);
        ReleaseToken(token); // Push keeps a copy of its own
        if (!done) {
            MemFree(out.text);
            return nullptr;
        }
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
