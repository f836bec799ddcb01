#pragma once
// A masked edit for numbers: leaving it aligns the digits (right-aligned, or
// around the decimal point) before the mask's own validation runs. Positions
// of the text hold digits or blanks.
#include "Controls.h"

#include <string>

namespace pem {

// The alignment of a number's text. Without ".": the non-blank characters
// move to the right end in their order, blanks fill the left. With ".": the
// part up to the first "." is right-aligned against it (the "." keeps its
// place), the part after the last "." is left-aligned (blanks move to the
// end). The length never changes.
std::string AlignDigitText(const std::string& text);

// The edit-mask syntax of the forms ("!9999999;0; ": mask, literals kept,
// blank character) turned into a Qt input mask whose blank is " ".
std::string QtInputMaskOf(const std::string& editMask);

class TDigitMaskEdit : public TEdit {
public:
    TDigitMaskEdit(TComponent* owner, QWidget* parent, const std::string& name, const std::string& editMask = "",
                   const std::string& text = "");

    std::string EditMask() const { return editMask_; }
    void SetEditMask(const std::string& mask);
    int MaxLength() const { return maxLength(); }
    void SetMaxLength(int n) { setMaxLength(n); }
    bool Modified() const { return isModified(); }
    void SetModified(bool m) { setModified(m); }

    // The text with its blanks (the mask's unfilled positions are blanks).
    std::string Text() const;
    void SetText(const std::string& t);

    // Aligns the text, marks the edit modified, then checks the mask: a
    // required position left blank raises Exception "Invalid input value.
    // Use escape key to abandon changes".
    void ValidateEdit();

protected:
    void focusOutEvent(QFocusEvent* e) override;

private:
    std::string editMask_;
};

} // namespace pem
