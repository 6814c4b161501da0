// The calculator's functions and constants for muParser. muParser's own "_pi" is no help: built
// with GCC it holds 3.141592653589 (12 decimals), so p is defined here with the full double.
#include "bench/muparser_side.h"

#include <cmath>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;

double Cot(double r) {
    return 1 / std::tan(r);
}
double Acot(double r) {
    return r == 0 || std::isnan(r) ? kHalfPi : std::atan(1 / r);
}
double Sqr(double r) {
    return r * r;
}
double Frac(double r) {
    double whole;
    return std::modf(r, &whole);
}
double Trunc(double r) {
    return r - Frac(r);
}
// Ties go to the floor, for negative numbers too: 2.5 gives 2, -2.5 gives -3.
double Round(double r) {
    double up = std::ceil(r);
    double down = std::floor(r);
    return std::fabs(up - r) >= std::fabs(down - r) ? down : up;
}
double Ceil(double r) {
    return std::ceil(r);
}
double Floor(double r) {
    return std::floor(r);
}

} // namespace

void SetUpMuParser(mu::Parser& parser, double* a, double* b, double* c) {
    parser.DefineVar("a", a);
    parser.DefineVar("b", b);
    parser.DefineVar("c", c);
    parser.DefineConst("p", kPi);
    parser.DefineConst("e", std::exp(1.0));
    parser.DefineFun("cot", Cot);
    parser.DefineFun("acot", Acot);
    parser.DefineFun("sqr", Sqr);
    parser.DefineFun("trunc", Trunc);
    parser.DefineFun("frac", Frac);
    parser.DefineFun("round", Round);
    parser.DefineFun("ceil", Ceil);
    parser.DefineFun("floor", Floor);
}
