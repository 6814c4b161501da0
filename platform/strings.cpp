// 8-bit string functions with the Windows semantics the module relies on.
#include "platform/winapi.h"

#include <cstring>

LPSTR lstrcpyA(LPSTR dest, LPCSTR src) {
    return std::strcpy(dest, src);
}

LPSTR lstrcpynA(LPSTR dest, LPCSTR src, int max) {
    if (max <= 0)
        return dest;
    int i = 0;
    for (; i < max - 1 && src[i] != '\0'; ++i)
        dest[i] = src[i];
    dest[i] = '\0';
    return dest;
}

int lstrcmpA(LPCSTR a, LPCSTR b) {
    // Byte order, not a locale's collation: the module only ever asks for equality.
    int r = std::strcmp(a, b);
    return (r > 0) - (r < 0);
}

int lstrlenA(LPCSTR text) {
    return text == nullptr ? 0 : static_cast<int>(std::strlen(text));
}

LPSTR lstrcatA(LPSTR dest, LPCSTR src) {
    return std::strcat(dest, src);
}
