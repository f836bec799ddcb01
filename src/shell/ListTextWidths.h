#pragma once
// Pixel widths of 8-bit texts in one font, for the columns of owner-drawn
// lists: each character's advance is taken once, so measuring thousands of
// names costs a table look-up per character. Kerning is left out; the widths
// lay out columns, where a pixel does not matter.
#include <QFont>
#include <array>
#include <string_view>

namespace pem {

class TListTextWidths {
public:
    explicit TListTextWidths(const QFont& font);
    // The text's width plus the margin TextWidthWithMargin adds.
    int operator()(std::string_view text) const;

private:
    std::array<int, 256> advance_{};
    int margin_ = 0;
};

} // namespace pem
