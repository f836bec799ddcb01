#pragma once
// Fixed-point number texts as the program has always written them: the
// value rounded to at most `precision` significant digits and to `digits`
// decimals (halves rounded away from zero on the value's 18-digit decimal
// form), then written with exactly `digits` decimals and "." as the
// separator, whatever the user's locale. A value with more digits before the
// separator than `precision` comes out in exponent form instead: the
// rounded digits without trailing zeros, "E" and the exponent ("1.5E2").
// The report forms' FormatFixed is this.
//
// Standard library only.
#include <string>

namespace pem {

std::string FloatToStrFixed(double value, int precision, int digits);

} // namespace pem
