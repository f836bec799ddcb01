#include "ListTextWidths.h"

#include "CharSet1252.h"
#include "DesktopServices.h"

#include <QFontMetrics>

namespace pem {

TListTextWidths::TListTextWidths(const QFont& font) {
    const QFontMetrics fm(font);
    for (int c = 0; c < 256; ++c) {
        const char32_t u = Cp1252ToUnicode(static_cast<unsigned char>(c));
        advance_[static_cast<size_t>(c)] = fm.horizontalAdvance(QString::fromUcs4(&u, 1));
    }
    margin_ = TextWidthWithMargin(QString(), font);
}

int TListTextWidths::operator()(std::string_view text) const {
    int w = margin_;
    for (unsigned char c : text) w += advance_[c];
    return w;
}

} // namespace pem
