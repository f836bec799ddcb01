#pragma once
// The text clipboard formats (8-bit, OEM, wide, locale, rich text, CSV) and
// the text data format, which keeps one text in an 8-bit and a wide form,
// converts between them by the locale's code page and writes rich text from
// plain text.
#include "DragDropFormats.h"

#include <string>
#include <utility>

namespace pem {

// 8-bit text: reading cuts at the first NUL; the size written is the length
// plus a terminating NUL unless the text already ends with one.
class TCustomAnsiTextClipboardFormat : public TCustomAnsiStringClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TCustomAnsiTextClipboardFormat)
public:
    TCustomAnsiTextClipboardFormat() { trimZeroes_ = true; }
    const std::string& Text() const { return data_; }
    void SetText(const std::string& s) { data_ = s; }
    // The text, leaving the format empty.
    std::string TakeText() { return std::exchange(data_, std::string()); }

protected:
    size_t GetSize() override;
};

class TAnsiTextClipboardFormat : public TCustomAnsiTextClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TAnsiTextClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
};

class TOEMTextClipboardFormat : public TCustomAnsiTextClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TOEMTextClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
};

class TRichTextClipboardFormat : public TCustomAnsiTextClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TRichTextClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
};

// Wide (UTF-16) text. Reading ends at the first NUL character, as 8-bit text
// does; the size written is twice the length plus one terminating character
// unless the text already ends with a NUL.
class TCustomUnicodeTextClipboardFormat : public TCustomSimpleClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TCustomUnicodeTextClipboardFormat)
public:
    void Clear() override { text_.clear(); }
    bool HasData() override { return !text_.empty(); }
    const std::u16string& Text() const { return text_; }
    void SetText(const std::u16string& s) { text_ = s; }
    // The text, leaving the format empty.
    std::u16string TakeText() { return std::exchange(text_, std::u16string()); }

protected:
    bool ReadData(const void* value, size_t size) override;
    bool WriteData(void* value, size_t size) override;
    size_t GetSize() override;
    std::u16string text_;
};

class TUnicodeTextClipboardFormat : public TCustomUnicodeTextClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TUnicodeTextClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
};

class TCSVClipboardFormat : public TCustomStringListClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TCSVClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
};

class TLocaleClipboardFormat : public TCustomDWORDClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TLocaleClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
    LCID Locale() const { return value_; }
    void SetLocale(LCID l) { value_ = l; }
};

class TTextDataFormat : public TCustomDataFormat {
    PEM_DATA_FORMAT(TTextDataFormat)
public:
    using TCustomDataFormat::TCustomDataFormat;

    bool Assign(TClipboardFormat* source) override;
    bool AssignTo(TClipboardFormat* dest) override;
    void Clear() override;
    bool HasData() override;
    bool NeedsData() override;

    // The 8-bit text (derived from the wide text when that is the one held).
    const std::string& Text();
    void SetText(const std::string& s);
    // The wide text (derived from the 8-bit text when that is the one held).
    const std::u16string& UnicodeText();
    void SetUnicodeText(const std::u16string& s);
    LCID Locale() const { return locale_; }
    void SetLocale(LCID l);
    // The held locale, or the thread's when none is held.
    LCID LocaleInUse() const;
    // The locale's 8-bit code page (0 when it is not a number).
    UINT CodePage() const;

private:
    std::u16string wide_;
    std::string ansi_;
    bool ansiDerived_ = true;
    bool wideDerived_ = true;
    LCID locale_ = 0;
};

// Rich text of plain 8-bit text: text already starting with "{\rtf" is
// passed unchanged.
std::string MakeRTF(const std::string& text);

// The start-up of this unit: the text data format and its formats.
void InitialiseDragDropText();

} // namespace pem
