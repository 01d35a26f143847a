#pragma once
// Whole-degree trigonometry of the 3D engine and two small numeric helpers.
//
// The engine turns models by whole degrees only; the sine and cosine of
// i degrees (i = 0 .. 359) are tabled once per process. A lookup of angle a
// uses index |a| mod 360; the sine takes the sign of a, the cosine does not
// (cos is even, sin is odd, so this equals sin(a) and cos(a) for any a).

double SinDeg(int degrees) noexcept;
double CosDeg(int degrees) noexcept;

// v, or 1e-10 when v is exactly 0: a divisor that never divides by zero.
double SafeDivisor(double v) noexcept;

// v * 180 / pi.
double RadiansToDegrees(double radians) noexcept;
