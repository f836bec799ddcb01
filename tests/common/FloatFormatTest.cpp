#include "FloatFormat.h"
#include "StringsTestTable.h"

#include <gtest/gtest.h>

using namespace pem;

// Precision cuts significant digits before the decimals are written; halves
// round away from zero on the decimal form, not to even on the binary one;
// too many digits before the separator give the exponent form.
TEST(FloatFormat, FixedTexts) {
    const CallRow<std::string> rows[] = {
        ROW(FloatToStrFixed(12.5, 15, 8), "12.50000000"),
        ROW(FloatToStrFixed(0.5, 15, 8), "0.50000000"),
        ROW(FloatToStrFixed(0, 15, 8), "0.00000000"),
        ROW(FloatToStrFixed(-0.5, 15, 8), "-0.50000000"),
        ROW(FloatToStrFixed(123456789.123456789, 15, 8), "123456789.12345700"),
        ROW(FloatToStrFixed(0.8, 2, 2), "0.80"),
        ROW(FloatToStrFixed(0.125, 2, 2), "0.13"),
        ROW(FloatToStrFixed(0.005, 2, 2), "0.01"),
        ROW(FloatToStrFixed(0.004, 2, 2), "0.00"),
        ROW(FloatToStrFixed(1.234, 2, 2), "1.20"),
        ROW(FloatToStrFixed(12.34, 2, 2), "12.00"),
        ROW(FloatToStrFixed(99.4, 2, 2), "99.00"),
        ROW(FloatToStrFixed(99.5, 2, 2), "1E2"),
        ROW(FloatToStrFixed(150, 2, 2), "1.5E2"),
        ROW(FloatToStrFixed(0.999, 2, 2), "1.00"),
    };
    CheckRows(rows);
}
