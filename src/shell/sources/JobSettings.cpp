#include "JobSettings.h"

#include "CharSet1252.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace pem {

bool IsLanguageInList(const std::string& code, const std::string& list) {
    if (list.empty()) return false;
    return (AnsiUpperCase(list) + ",").find(code + ",") != std::string::npos;
}

std::string CheckedFlags(const std::vector<bool>& ticks) {
    std::string flags;
    flags.reserve(ticks.size());
    for (bool t : ticks) flags += t ? 'Y' : 'N';
    return flags;
}

unsigned char FileViewStyleOf(int style) { return style >= 0 && style <= 4 ? static_cast<unsigned char>(style) : 2; }

namespace {

std::string BeforeLastBatch(const std::string& caption) {
    const auto at = caption.rfind(" Last batch ");
    return at == std::string::npos ? caption : caption.substr(0, at);
}

// The time of day of a date-time, in milliseconds.
long long TimeOfDayMs(double dateTime) {
    const double frac = dateTime - std::floor(dateTime);
    return std::llround(frac * 86400000.0) % 86400000LL;
}

std::string Clock(long long ms, bool withMs) {
    char buf[32];
    const long long s = ms / 1000;
    if (withMs)
        std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld:%03lld", s / 3600 % 24, s / 60 % 60, s % 60, ms % 1000);
    else
        std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", s / 3600 % 24, s / 60 % 60, s % 60);
    return buf;
}

} // namespace

std::string CaptionWithBatchStart(const std::string& caption, double start) {
    return BeforeLastBatch(caption) + " Last batch started at: " + Clock(TimeOfDayMs(start), false);
}

std::string CaptionWithBatchRuntime(const std::string& caption, double start, double end) {
    const double diff = end > start ? end - start : 0.0;
    return BeforeLastBatch(caption) + " Last batch runtime: " + Clock(std::llround(diff * 86400000.0), true);
}

double NowAsDateTime() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    // Days since 1899-12-30 of the local date, plus the local time of day.
    const long long days = (static_cast<long long>(t) + local.tm_gmtoff) / 86400 + 25569;
    const double dayPart = (local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + ms / 1000.0) / 86400.0;
    return static_cast<double>(days) + dayPart;
}

} // namespace pem
