#pragma once

namespace tarsel {

// Writes a float as printf's "%.9g" would (nine significant digits, enough to read back the
// same float) at `at`, and returns the end of the text; nothing when fewer than 15 characters
// are left before `end`. The draw log and the SVG write their numbers with it, so that the
// desktop and the page give the same text: the desktop through std::to_chars, which neither
// parses a format nor consults the locale, the page (whose standard library has no
// floating-point to_chars) through printf.
char* PutFloat(char* at, char* end, float v);

// The longest text PutFloat writes: "-1.23456789e+38".
inline constexpr int kFloatTextMax = 15;

}  // namespace tarsel
