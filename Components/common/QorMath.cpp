#include "QorMath.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

constexpr double TinyMagnitude = 1e-100;

int DecadeExponent(double v) {
    const double m = std::fabs(v);
    if (m < TinyMagnitude)
        return -101;
    return FloorInt(std::log10(m) + 1e-7);
}

} // namespace

bool SameValueDigits(int Digits, double A, double B) {
    if (std::isnan(A) || std::isnan(B))
        return false;
    if (std::fabs(A) < TinyMagnitude && std::fabs(B) < TinyMagnitude)
        return true;
    const int ea = DecadeExponent(A);
    const int eb = DecadeExponent(B);
    if (std::abs(ea - eb) >= 2)
        return false;
    const double limit = std::pow(10.0, double(std::max(ea, eb)) - Digits);
    const double diff = std::fabs(A - B);
    // NaN (inf - inf) compares false, which is the "arithmetic fault" answer.
    return diff < limit;
}

int FloorInt(double X) {
    constexpr double lo = double(std::numeric_limits<int>::min());
    constexpr double hi = double(std::numeric_limits<int>::max());
    if (std::isnan(X))
        return 0;
    if (X >= hi)
        return std::numeric_limits<int>::max();
    if (X < lo + 1)
        return std::numeric_limits<int>::min();
    const int t = int(X);
    return X >= 0 ? t : t - 1;
}

bool IsNearZero(double X) {
    return std::fabs(X) < TinyMagnitude;
}

double MapLinear(double X, double A1, double B1, double A2, double B2) {
    return B1 + (B2 - B1) / (A2 - A1) * (X - A1);
}
