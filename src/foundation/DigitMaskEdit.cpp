#include "DigitMaskEdit.h"

#include "Exceptions.h"
#include "HandlerGuard.h"
#include "QtText.h"

#include <cstring>

namespace pem {

namespace {

// Non-blank characters of s moved to the right (or left) end in their order.
std::string PackRight(const std::string& s) {
    std::string chars;
    for (char c : s)
        if (c != ' ') chars += c;
    return std::string(s.size() - chars.size(), ' ') + chars;
}

std::string PackLeft(const std::string& s) {
    std::string chars;
    for (char c : s)
        if (c != ' ') chars += c;
    return chars + std::string(s.size() - chars.size(), ' ');
}

} // namespace

std::string AlignDigitText(const std::string& text) {
    size_t first = text.find('.');
    if (first == std::string::npos) return PackRight(text);
    size_t last = text.rfind('.');
    return PackRight(text.substr(0, first)) + text.substr(first, last - first + 1) +
           PackLeft(text.substr(last + 1));
}

std::string QtInputMaskOf(const std::string& editMask) {
    std::string mask;
    for (size_t i = 0; i < editMask.size(); ++i) {
        char c = editMask[i];
        if (c == ';') break;
        switch (c) {
        case '!':
            break;
        case '\\':
            if (i + 1 < editMask.size()) {
                mask += '\\';
                mask += editMask[++i];
            }
            break;
        case '<':
            if (i + 1 < editMask.size() && editMask[i + 1] == '>') {
                mask += '!';
                ++i;
            } else {
                mask += '<';
            }
            break;
        case '>': mask += '>'; break;
        case '0': mask += '9'; break; // a digit is required
        case '9': mask += '0'; break; // a digit may be given
        case '#': mask += '#'; break;
        case 'L': mask += 'A'; break;
        case 'l': mask += 'a'; break;
        case 'A': mask += 'N'; break;
        case 'a': mask += 'n'; break;
        case 'C': mask += 'X'; break;
        case 'c': mask += 'x'; break;
        case '_': mask += ' '; break;
        default:
            if (std::strchr("AaNnXx90Dd#HhBb><!{}[]\\", c)) mask += '\\';
            mask += c;
        }
    }
    if (mask.empty()) return "";
    return mask + "; ";
}

TDigitMaskEdit::TDigitMaskEdit(TComponent* owner, QWidget* parent, const std::string& name,
                               const std::string& editMask, const std::string& text)
    : TEdit(owner, parent, name, "", "TDigitMaskEdit") {
    SetEditMask(editMask);
    SetText(text);
}

void TDigitMaskEdit::SetEditMask(const std::string& mask) {
    editMask_ = mask;
    setInputMask(ToQ(QtInputMaskOf(mask)));
}

std::string TDigitMaskEdit::Text() const { return FromQ(inputMask().isEmpty() ? text() : displayText()); }

void TDigitMaskEdit::SetText(const std::string& t) { setText(ToQ(t)); }

void TDigitMaskEdit::ValidateEdit() {
    std::string aligned = AlignDigitText(Text());
    if (aligned != Text()) SetText(aligned);
    setModified(true);
    if (!hasAcceptableInput()) throw Exception("Invalid input value.  Use escape key to abandon changes");
}

void TDigitMaskEdit::focusOutEvent(QFocusEvent* e) {
    if (!RunGuarded([this] { ValidateEdit(); })) setFocus();
    TEdit::focusOutEvent(e);
}

} // namespace pem
