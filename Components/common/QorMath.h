// Small numeric helpers shared by the scale computation, the lists and the chart.
#pragma once

// True when A and B agree to Digits significant digits (both below 1e-100 count as equal).
bool SameValueDigits(int Digits, double A, double B);

// Truncation toward zero, minus one for negative X (so -2.0 gives -3); saturates at the int range.
int FloorInt(double X);

// |X| < 1e-100.
bool IsNearZero(double X);

// The image of X under the linear map taking A1 to B1 and A2 to B2.
double MapLinear(double X, double A1, double B1, double A2, double B2);
