#include "FloatFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace pem {

namespace {

// The decimal digits of |v| and the position of the decimal point: |v| is
// 0.<digits> times ten to the power exp. Eighteen significant digits, as
// the conversion the texts were always made from carried.
void DecimalDigits(double v, std::string& digits, int& exp) {
    digits.clear();
    exp = 0;
    if (v == 0) return;
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 17);
    const std::string s(buf, r.ptr);
    const size_t e = s.find('e');
    for (size_t i = 0; i < e; ++i)
        if (s[i] != '.') digits += s[i];
    exp = std::atoi(s.c_str() + e + 1) + 1;
}

// Keeps the first n digits, rounding half away from zero; an empty result
// stands for zero.
void RoundDigits(std::string& digits, int& exp, int n) {
    if (n < 0 || digits.empty()) {
        digits.clear();
        exp = 0;
        return;
    }
    if (static_cast<size_t>(n) >= digits.size()) return;
    const bool up = digits[static_cast<size_t>(n)] >= '5';
    digits.resize(static_cast<size_t>(n));
    if (up) {
        int i = n - 1;
        while (i >= 0 && digits[static_cast<size_t>(i)] == '9') digits[static_cast<size_t>(i--)] = '0';
        if (i >= 0) {
            ++digits[static_cast<size_t>(i)];
        } else {
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            if (digits.empty()) digits = "1";
            ++exp;
        }
    }
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    if (digits.empty()) exp = 0;
}

} // namespace

std::string FloatToStrFixed(double value, int precision, int digits) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    precision = std::clamp(precision, 1, 18);
    digits = std::clamp(digits, 0, 18);
    std::string d;
    int exp = 0;
    DecimalDigits(value, d, exp);
    RoundDigits(d, exp, std::min(precision, exp + digits));
    const bool negative = value < 0 && !d.empty();
    std::string out = negative ? "-" : "";
    if (exp > precision) {
        out += d[0];
        if (d.size() > 1) out += "." + d.substr(1);
        return out + "E" + std::to_string(exp - 1);
    }
    auto digitAt = [&](int p) { return p >= 0 && static_cast<size_t>(p) < d.size() ? d[static_cast<size_t>(p)] : '0'; };
    if (exp <= 0) {
        out += '0';
    } else {
        for (int p = 0; p < exp; ++p) out += digitAt(p);
    }
    if (digits > 0) {
        out += '.';
        for (int k = 0; k < digits; ++k) out += digitAt(exp + k);
    }
    return out;
}

} // namespace pem
