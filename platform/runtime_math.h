// The C run-time's mathematical functions as the module calls them: the system library's own on
// every platform, never a compiler runtime's private replacement.
#pragma once

#include <cmath>

#ifdef _WIN32
// mingw-w64's import library for msvcrt.dll leaves out the entry points of sin, cos, pow, exp and
// log, because libmingwex defines functions of those names itself and the linker takes them
// first. Those are x87 code: fsin and fcos reduce the argument with the x87's 66-bit pi, so
// sin(1000000) is 21 ULP off and beyond 2^63 the results are unrelated to the true values, and
// its pow loses up to tens of thousands of ULP at large exponents. The import library still holds
// the import address slots, __imp__sin and the rest (the C name _imp__sin with the underscore
// every i686 C symbol gets): the loader fills each with msvcrt.dll's own function, so calling
// through the slot reaches the system run-time's function, as tan, atan, asin, acos and log10
// already are. The DLL then imports them from msvcrt.dll and links no second libm.
extern "C" {
extern double(__cdecl* _imp__sin)(double);
extern double(__cdecl* _imp__cos)(double);
extern double(__cdecl* _imp__pow)(double, double);
extern double(__cdecl* _imp__exp)(double);
extern double(__cdecl* _imp__log)(double);
}

inline double RuntimeSin(double x) {
    return _imp__sin(x);
}
inline double RuntimeCos(double x) {
    return _imp__cos(x);
}
inline double RuntimePow(double x, double y) {
    return _imp__pow(x, y);
}
inline double RuntimeExp(double x) {
    return _imp__exp(x);
}
inline double RuntimeLog(double x) {
    return _imp__log(x);
}
#else
inline double RuntimeSin(double x) {
    return std::sin(x);
}
inline double RuntimeCos(double x) {
    return std::cos(x);
}
inline double RuntimePow(double x, double y) {
    return std::pow(x, y);
}
inline double RuntimeExp(double x) {
    return std::exp(x);
}
inline double RuntimeLog(double x) {
    return std::log(x);
}
#endif

// The fraction of x with the sign of x, as C99's modf gives it, zeros and infinities included:
// -0 for -2, -0 for -infinity. msvcrt's and mingw's modf return +0 there, which would turn
// frac(-2) into +0 and x - frac(x) for x = -0 into -0.
inline double FractionOf(double x) {
    double whole;
    return std::copysign(std::modf(x, &whole), x);
}
