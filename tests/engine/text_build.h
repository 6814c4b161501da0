// Building long test texts.
#pragma once

#include <string>

// Joins its parts (a plain chain of + on temporaries trips a false GCC 12 -Wrestrict warning).
template <typename... Parts> std::string Cat(const Parts&... parts) {
    std::string text;
    ((text += parts), ...);
    return text;
}

inline std::string Repeat(const std::string& part, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += part;
    return text;
}
