#include "BaseUtils.h"

#include "BaseStrings.h"

#include <charconv>
#include <cstring>

namespace pem {

bool IsIntegerStrEx(std::string_view s, bool unsignedOnly) {
    const std::string_view t = TrimCharSetView(s, csControlAndBlank);
    if (t.empty()) return false;
    size_t first = 0;
    if (!unsignedOnly && (t[0] == '+' || t[0] == '-')) {
        if (t.size() == 1) return false;
        first = 1;
    }
    for (size_t i = first; i < t.size(); ++i)
        if (!csDigits.Contains(t[i])) return false;
    return true;
}

bool IsIntegerStr(std::string_view s) { return IsIntegerStrEx(s, false); }

bool TryStrToIntValue(std::string_view s, int& n) {
    n = 0;
    if (!IsIntegerStr(s)) return false;
    std::string_view t = TrimCharSetView(s, csControlAndBlank);
    // from_chars takes a '-' but no '+'.
    if (t[0] == '+') t.remove_prefix(1);
    std::int32_t v = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size()) return false;
    n = v;
    return true;
}

std::int32_t MinInt(std::int32_t a, std::int32_t b) { return a < b ? a : b; }
std::int32_t MaxInt(std::int32_t a, std::int32_t b) { return a > b ? a : b; }

std::int32_t ChooseInt(bool flag, std::int32_t a, std::int32_t b) { return flag ? a : b; }
long double ChooseFloat(bool flag, long double a, long double b) { return flag ? a : b; }
std::string ChooseStr(bool flag, const std::string& a, const std::string& b) {
    return flag ? a : b;
}

void MoveBytes(const void* source, void* dest, int n) {
    if (n < 1 || source == dest) return;
    std::memmove(dest, source, static_cast<size_t>(n));
}

} // namespace pem
