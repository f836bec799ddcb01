#include "FontChoice.h"

#include "CharSet1252.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace pem {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(Cp1252ToUtf8(s)); }
std::string S(const QString& s) { return Utf8ToCp1252(s.toStdString()); }
} // namespace

std::vector<std::string> FixedPitchFamilies() {
    std::vector<std::string> out;
    for (const QString& family : QFontDatabase::families())
        // Aliases the database lists ("Monospace") are no family of their own.
        if (QFontDatabase::hasFamily(family) && QFontDatabase::isFixedPitch(family) &&
            !QFontDatabase::isPrivateFamily(family))
            out.push_back(S(family));
    return out;
}

bool IsInstalledFixedPitch(const std::string& family) {
    const QString f = Q(family);
    return !family.empty() && QFontDatabase::hasFamily(f) && QFontDatabase::isFixedPitch(f);
}

TFontSpec OfferedFixedFont(const TFontSpec& font) {
    TFontSpec offered = font;
    if (IsInstalledFixedPitch(font.name)) return offered;
    // The system's fixed font is often an alias ("Monospace"): the family it
    // resolves to is the one the dialog lists.
    const QFontInfo system(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    if (IsInstalledFixedPitch(S(system.family()))) {
        offered.name = S(system.family());
        return offered;
    }
    const std::vector<std::string> fixed = FixedPitchFamilies();
    offered.name = fixed.empty() ? S(system.family()) : fixed.front();
    return offered;
}

} // namespace pem
