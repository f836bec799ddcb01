#include "DragDropText.h"

#include "CharSet1252.h"
#include "OleClipboardFormats.h"
#include "OleCodePages.h"

#include <cstdio>
#include <cstring>

namespace pem {

PEM_DEFINE_CLIPBOARD_FORMAT(TCustomAnsiTextClipboardFormat, TCustomAnsiStringClipboardFormat, nullptr, ddRead,
                            nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TAnsiTextClipboardFormat, TCustomAnsiTextClipboardFormat,
                            &CreateClipboardFormat<TAnsiTextClipboardFormat>, ddRead, nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TOEMTextClipboardFormat, TCustomAnsiTextClipboardFormat,
                            &CreateClipboardFormat<TOEMTextClipboardFormat>, ddRead, nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TRichTextClipboardFormat, TCustomAnsiTextClipboardFormat,
                            &CreateClipboardFormat<TRichTextClipboardFormat>, ddRead, nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TCustomUnicodeTextClipboardFormat, TCustomSimpleClipboardFormat, nullptr, ddRead,
                            nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TUnicodeTextClipboardFormat, TCustomUnicodeTextClipboardFormat,
                            &CreateClipboardFormat<TUnicodeTextClipboardFormat>, ddRead, nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TCSVClipboardFormat, TCustomStringListClipboardFormat,
                            &CreateClipboardFormat<TCSVClipboardFormat>, ddRead, nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TLocaleClipboardFormat, TCustomDWORDClipboardFormat,
                            &CreateClipboardFormat<TLocaleClipboardFormat>, ddRead, nullptr)

size_t TCustomAnsiTextClipboardFormat::GetSize() {
    if (!data_.empty() && data_.back() == '\0') return data_.size();
    return data_.size() + 1;
}

CLIPFORMAT TAnsiTextClipboardFormat::GetClipboardFormat() { return CF_TEXT; }
CLIPFORMAT TOEMTextClipboardFormat::GetClipboardFormat() { return CF_OEMTEXT; }

CLIPFORMAT TRichTextClipboardFormat::GetClipboardFormat() {
    static CLIPFORMAT id = static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Rich Text Format"));
    return id;
}

bool TCustomUnicodeTextClipboardFormat::ReadData(const void* value, size_t size) {
    // Whole characters only, up to the first NUL one.
    const auto* bytes = static_cast<const uint8_t*>(value);
    size_t chars = 0;
    const size_t whole = size / 2;
    while (chars < whole && (bytes[2 * chars] | bytes[2 * chars + 1]) != 0) ++chars;
    if (reinterpret_cast<uintptr_t>(value) % alignof(char16_t) == 0) {
        text_.assign(static_cast<const char16_t*>(value), chars);
    } else {
        text_.assign(chars, u'\0');
        if (chars) std::memcpy(text_.data(), value, chars * 2);
    }
    return true;
}

bool TCustomUnicodeTextClipboardFormat::WriteData(void* value, size_t size) {
    if (size > 2 * (text_.size() + 1)) return false;
    std::memcpy(value, text_.c_str(), size);
    return true;
}

size_t TCustomUnicodeTextClipboardFormat::GetSize() {
    if (!text_.empty() && text_.back() == u'\0') return 2 * text_.size();
    return 2 * (text_.size() + 1);
}

CLIPFORMAT TUnicodeTextClipboardFormat::GetClipboardFormat() { return CF_UNICODETEXT; }

CLIPFORMAT TCSVClipboardFormat::GetClipboardFormat() {
    static CLIPFORMAT id = static_cast<CLIPFORMAT>(RegisterClipboardFormatA("CSV"));
    return id;
}

CLIPFORMAT TLocaleClipboardFormat::GetClipboardFormat() { return CF_LOCALE; }

// ---- TTextDataFormat

namespace {
void RegisterTextFormats() {
    const TDataFormatClass& df = TTextDataFormat::StaticClass();
    RegisterCompatibleFormat(df, TAnsiTextClipboardFormat::StaticClass(), -1, ddReadWrite);
    RegisterCompatibleFormat(df, TLocaleClipboardFormat::StaticClass(), -1, ddReadWrite);
    RegisterCompatibleFormat(df, TUnicodeTextClipboardFormat::StaticClass(), 0, ddReadWrite);
    RegisterCompatibleFormat(df, TOEMTextClipboardFormat::StaticClass(), -1, ddReadWrite);
    RegisterCompatibleFormat(df, TRichTextClipboardFormat::StaticClass(), 0, ddReadWrite);
}
} // namespace

PEM_DEFINE_DATA_FORMAT(TTextDataFormat, TCustomDataFormat, &RegisterTextFormats)

void TTextDataFormat::Clear() {
    Changing();
    wide_.clear();
    ansi_.clear();
    ansiDerived_ = true;
    wideDerived_ = true;
}

bool TTextDataFormat::HasData() {
    if (!ansiDerived_) return !ansi_.empty();
    if (!wideDerived_) return !wide_.empty();
    return false;
}

bool TTextDataFormat::NeedsData() {
    if (ansiDerived_) return ansi_.empty();
    if (wideDerived_) return wide_.empty();
    return false;
}

LCID TTextDataFormat::LocaleInUse() const { return locale_ ? locale_ : GetThreadLocale(); }

UINT TTextDataFormat::CodePage() const {
    std::string s = GetLocaleInfoA(LocaleInUse(), LOCALE_IDEFAULTANSICODEPAGE, 7);
    UINT cp = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return 0;
        cp = cp * 10 + static_cast<UINT>(c - '0');
    }
    return cp;
}

const std::string& TTextDataFormat::Text() {
    if (ansiDerived_ && !wideDerived_) ansi_ = WideCharToMultiByte(CodePage(), wide_);
    return ansi_;
}

void TTextDataFormat::SetText(const std::string& s) {
    Changing();
    ansi_ = s;
    ansiDerived_ = false;
    wideDerived_ = true;
}

const std::u16string& TTextDataFormat::UnicodeText() {
    if (wideDerived_ && !ansiDerived_) wide_ = MultiByteToWideChar(CodePage(), ansi_);
    return wide_;
}

void TTextDataFormat::SetUnicodeText(const std::u16string& s) {
    Changing();
    wide_ = s;
    wideDerived_ = false;
    ansiDerived_ = true;
}

void TTextDataFormat::SetLocale(LCID l) {
    Changing();
    locale_ = l;
}

bool TTextDataFormat::Assign(TClipboardFormat* source) {
    // The clipboard format is cleared after it was taken: its text moves.
    if (auto* f = dynamic_cast<TAnsiTextClipboardFormat*>(source)) {
        ansi_ = f->TakeText();
        ansiDerived_ = false;
        wideDerived_ = wideDerived_ || (!ansi_.empty() && wide_.empty());
        return true;
    }
    if (auto* f = dynamic_cast<TUnicodeTextClipboardFormat*>(source)) {
        wide_ = f->TakeText();
        wideDerived_ = false;
        ansiDerived_ = ansiDerived_ || (!wide_.empty() && ansi_.empty());
        return true;
    }
    if (auto* f = dynamic_cast<TLocaleClipboardFormat*>(source)) {
        SetLocale(f->Locale());
        return true;
    }
    return TCustomDataFormat::Assign(source);
}

bool TTextDataFormat::AssignTo(TClipboardFormat* dest) {
    if (auto* f = dynamic_cast<TAnsiTextClipboardFormat*>(dest)) {
        f->SetText(Text());
        return true;
    }
    if (auto* f = dynamic_cast<TRichTextClipboardFormat*>(dest)) {
        f->SetText(MakeRTF(Text()));
        return true;
    }
    if (auto* f = dynamic_cast<TUnicodeTextClipboardFormat*>(dest)) {
        f->SetText(UnicodeText());
        return true;
    }
    if (auto* f = dynamic_cast<TOEMTextClipboardFormat*>(dest)) {
        f->SetText(HasData() ? CharToOemBuffA(Text()) : std::string());
        return true;
    }
    if (auto* f = dynamic_cast<TLocaleClipboardFormat*>(dest)) {
        f->SetLocale(LocaleInUse());
        return true;
    }
    return TCustomDataFormat::AssignTo(dest);
}

std::string MakeRTF(const std::string& text) {
    if (text.compare(0, 5, "{\\rtf") == 0) return text;
    std::string out = "{\\rtf1\\ansi {\\*\\generator Tarnwick}";
    out.reserve(out.size() + text.size() + text.size() / 8 + 1);
    char buf[32];
    for (char ch : text) {
        auto b = static_cast<unsigned char>(ch);
        if (b > 127) {
            // The character's code point, then the byte itself as the
            // fallback for readers that skip \u.
            std::snprintf(buf, sizeof buf, "\\u%u", static_cast<unsigned>(Cp1252ToUnicode(b)));
            out += buf;
            out += ch;
        } else if (b == 9) {
            out += "\\tab ";
        } else if (b == 13) {
            out += "\\par ";
        } else if (ch == '\\' || ch == '{' || ch == '}') {
            out += '\\';
            out += ch;
        } else if (b >= 32 && b <= 126) {
            out += ch;
        } else {
            std::snprintf(buf, sizeof buf, "\\'%.2x", static_cast<unsigned>(b));
            out += buf;
        }
    }
    out += '}';
    return out;
}

void InitialiseDragDropText() { RegisterDataFormat(TTextDataFormat::StaticClass()); }

} // namespace pem
