// Text formats: rich text from plain text, the two forms of one text, the
// terminators of 8-bit and wide text.
#include "DragDropFixtures.h"

#include <gtest/gtest.h>

using namespace pem;
using namespace ddtest;

namespace {
const std::string kHead = "{\\rtf1\\ansi {\\*\\generator Tarnwick}";
}

TEST(RichText, EachByteOfPlainText) {
    struct Case {
        std::string text;
        std::string body;
    };
    const std::vector<Case> cases = {
        {"a{b}\\c", "a\\{b\\}\\\\c"},
        {"x\ty", "x\\tab y"},
        {"one\r\ntwo", "one\\par \\'0atwo"},
        {"caf\xE9", "caf\\u233\xE9"},
        {"\x80 5", "\\u8364\x80 5"}, // the euro sign's code point, not its byte
        {std::string("\x01\x7F", 2), "\\'01\\'7f"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(MakeRTF(c.text), kHead + c.body + "}") << c.text;
    EXPECT_EQ(MakeRTF("{\\rtf1 already}"), "{\\rtf1 already}");
    EXPECT_EQ(MakeRTF("{\\RTF1 upper}").substr(0, kHead.size()), kHead); // the check is case-sensitive
}

TEST(TextDataFormat, ReadsLocaleAndBothTextsAndDerivesWhatIsMissing) {
    struct Case {
        const char* name;
        std::vector<CLIPFORMAT> offered;
        std::string ansi;
        std::u16string wide;
    };
    const std::vector<Case> cases = {
        {"both texts", {CF_TEXT, CF_UNICODETEXT}, "Gr\xFC\xDF" "e \x80", u"Grüße €"},
        {"wide alone, 8-bit through the code page", {CF_UNICODETEXT}, "Gr\xFC\xDF" "e \x80", u"Grüße €"},
        {"8-bit alone", {CF_TEXT}, "Gr\xFC\xDF" "e \x80", u"Grüße €"},
    };
    for (const Case& c : cases) {
        auto data = MakeCom<TStaticDataObject>();
        for (CLIPFORMAT id : c.offered) {
            if (id == CF_TEXT) data->Set(CF_TEXT, Bytes(std::string("Gr\xFC\xDF" "e \x80") + '\0'));
            if (id == CF_UNICODETEXT) data->Set(CF_UNICODETEXT, WideBytes(std::u16string(u"Grüße €") + u'\0'));
        }
        data->Set(CF_LOCALE, DwordBytes(0x0407));
        TTextDataFormat text(TDragDropComponentRole::Target);
        ASSERT_TRUE(text.GetData(data.Get())) << c.name;
        EXPECT_EQ(text.Text(), c.ansi) << c.name;
        EXPECT_EQ(text.UnicodeText(), c.wide) << c.name;
        EXPECT_EQ(text.Locale(), 0x0407u) << c.name;
    }
}

TEST(TextDataFormat, WritesEveryTextFormat) {
    TTextDataFormat text(TDragDropComponentRole::Source);
    text.SetText("Stra\xDF" "e\x80");
    auto written = [&](TClipboardFormat& f) {
        EXPECT_TRUE(text.AssignTo(&f));
        FORMATETC req = f.FormatEtc();
        req.tymed = TYMED_HGLOBAL;
        STGMEDIUM m;
        EXPECT_TRUE(f.WriteOnRequest(req, m));
        std::vector<uint8_t> bytes = GlobalBytes(m.hGlobal);
        ReleaseStgMedium(&m);
        return bytes;
    };
    TAnsiTextClipboardFormat ansi;
    TOEMTextClipboardFormat oem;
    TUnicodeTextClipboardFormat wide;
    TRichTextClipboardFormat rtf;
    EXPECT_EQ(written(ansi), Bytes(std::string("Stra\xDF" "e\x80") + '\0'));
    std::vector<uint8_t> o = written(oem);
    ASSERT_EQ(o.size(), 8u); // same length as the 8-bit text, plus its end
    EXPECT_EQ(o[4], 0xE1);   // sharp s in the OEM code page
    EXPECT_EQ(written(wide), WideBytes(std::u16string(u"Straße€") + u'\0'));
    EXPECT_EQ(written(rtf), Bytes(kHead + "Stra\\u223\xDF" "e\\u8364\x80}" + '\0'));

    // A text that ends in a NUL gets no second one.
    ansi.SetText(std::string("ab\0", 3));
    FORMATETC req = ansi.FormatEtc();
    req.tymed = TYMED_HGLOBAL;
    STGMEDIUM m;
    ASSERT_TRUE(ansi.WriteOnRequest(req, m));
    EXPECT_EQ(GlobalSize(m.hGlobal), 3u);
    ReleaseStgMedium(&m);
    wide.SetText(std::u16string(u"ab\0", 3));
    req = wide.FormatEtc();
    req.tymed = TYMED_HGLOBAL;
    ASSERT_TRUE(wide.WriteOnRequest(req, m));
    EXPECT_EQ(GlobalSize(m.hGlobal), 6u);
    ReleaseStgMedium(&m);
}

TEST(TextDataFormat, TextsEndAtTheirFirstNulAndNeverReadPastTheBlock) {
    struct Case {
        const char* name;
        std::vector<uint8_t> block;
        std::u16string wide;
    };
    const std::vector<Case> cases = {
        {"terminated", WideBytes(std::u16string(u"ab\0", 3)), u"ab"},
        {"unterminated", WideBytes(u"abc"), u"abc"},
        {"odd length", {'a', 0, 'b', 0, 'c'}, u"ab"},
        {"NUL then a name's rest", WideBytes(std::u16string(u"/tmp/x\0junk\0", 12)), u"/tmp/x"},
        {"one byte", {'a'}, u""},
    };
    for (const Case& c : cases) {
        STGMEDIUM m;
        m.tymed = TYMED_HGLOBAL;
        m.hGlobal = GlobalFromBytes(c.block.data(), c.block.size());
        TUnicodeTextClipboardFormat f;
        EXPECT_TRUE(f.GetDataFromMedium(m)) << c.name;
        EXPECT_EQ(f.Text(), c.wide) << c.name;
    }
    STGMEDIUM m;
    m.tymed = TYMED_HGLOBAL;
    m.hGlobal = GlobalFromBytes("ab\0cd", 5);
    TAnsiTextClipboardFormat ansi;
    EXPECT_TRUE(ansi.GetDataFromMedium(m));
    EXPECT_EQ(ansi.Text(), "ab");
}

TEST(CsvFormat, LinesFromATerminatedBlock) {
    STGMEDIUM m;
    m.tymed = TYMED_HGLOBAL;
    m.hGlobal = GlobalFromBytes("a,b\r\nc,d\r\n#", 11); // the last byte becomes the end
    TCSVClipboardFormat csv;
    ASSERT_TRUE(csv.GetDataFromMedium(m));
    ASSERT_EQ(csv.Lines().Count(), 2);
    EXPECT_EQ(csv.Lines()[1], "c,d");
    FORMATETC req = csv.FormatEtc();
    req.tymed = TYMED_HGLOBAL;
    ASSERT_TRUE(csv.WriteOnRequest(req, m));
    EXPECT_EQ(GlobalBytes(m.hGlobal), Bytes(std::string("a,b\r\nc,d\r\n") + '\0'));
    ReleaseStgMedium(&m);
}
