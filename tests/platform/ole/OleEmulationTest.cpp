// The emulation's own pieces: format ids, memory media, storages, code pages.
#include "OleClipboardFormats.h"
#include "OleCodePages.h"
#include "OleDataObjects.h"
#include "OleMemory.h"
#include "OleShell.h"

#include <gtest/gtest.h>

using namespace pem;

TEST(FormatIds, NamesGetOneIdEachFromTheRegisteredRange) {
    UINT a = RegisterClipboardFormatA("Probe Name");
    EXPECT_GE(a, kFirstRegisteredFormat);
    EXPECT_EQ(RegisterClipboardFormatA("PROBE name"), a);
    EXPECT_NE(RegisterClipboardFormatA("Probe Other"), a);
    EXPECT_EQ(RegisterClipboardFormatA(""), 0u);
    EXPECT_EQ(GetClipboardFormatNameA(a), "Probe Name"); // as first registered
    EXPECT_EQ(GetClipboardFormatNameA(a, 5), "Probe");
    EXPECT_EQ(GetClipboardFormatNameA(CF_TEXT), "");
    EXPECT_EQ(GetClipboardFormatNameA(0xFFFF), "");
}

TEST(Media, StreamsOverBlocks) {
    const long blocks = GlobalBlocksAlive();
    {
        ComPtr<IStream> s;
        ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, s.Put()), S_OK);
        ULONG n = 0;
        EXPECT_EQ(s->Write("hello world", 11, &n), S_OK);
        EXPECT_EQ(n, 11u);
        STATSTG st;
        s->Stat(&st, STATFLAG_NONAME);
        EXPECT_EQ(st.cbSize, 11u);
        uint64_t at = 0;
        EXPECT_EQ(s->Seek(-5, STREAM_SEEK_END, &at), S_OK);
        EXPECT_EQ(at, 6u);
        EXPECT_NE(s->Seek(-20, STREAM_SEEK_CUR, nullptr), S_OK); // before the start
        char buf[16] = {};
        EXPECT_EQ(s->Read(buf, 16, &n), S_FALSE);
        EXPECT_EQ(std::string(buf, n), "world");

        // A clone has its own position over the same bytes.
        ComPtr<IStream> c;
        s->Clone(c.Put());
        s->Seek(0, STREAM_SEEK_SET, nullptr);
        ComPtr<IStream> copy;
        CreateStreamOnHGlobal(nullptr, TRUE, copy.Put());
        uint64_t read = 0, written = 0;
        EXPECT_EQ(s->CopyTo(copy.Get(), 5, &read, &written), S_OK);
        EXPECT_EQ(written, 5u);
        HGLOBAL h = nullptr;
        GetHGlobalFromStream(copy.Get(), &h);
        EXPECT_EQ(GlobalBytes(h), (std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'}));
        EXPECT_EQ(c->Read(buf, 16, &n), S_FALSE);
        EXPECT_EQ(n, 0u); // the clone stood at the end
        s.Reset();
        EXPECT_EQ(GlobalBlocksAlive(), blocks + 2); // the clone keeps the block
    }
    EXPECT_EQ(GlobalBlocksAlive(), blocks);

    // Copies of media: a block is duplicated, a stream shared.
    STGMEDIUM m;
    m.tymed = TYMED_HGLOBAL;
    m.hGlobal = GlobalFromBytes("ab", 2);
    STGMEDIUM c;
    ASSERT_EQ(CopyStgMedium(&m, &c), S_OK);
    EXPECT_NE(c.hGlobal, m.hGlobal);
    ReleaseStgMedium(&m);
    EXPECT_EQ(GlobalBytes(c.hGlobal), (std::vector<uint8_t>{'a', 'b'}));
    ReleaseStgMedium(&c);
    EXPECT_EQ(c.tymed, TYMED_NULL);
    EXPECT_EQ(GlobalBlocksAlive(), blocks);
}

TEST(Media, StorageCopiedIntoACompoundFileInMemory) {
    ComPtr<IStorage> source;
    ASSERT_EQ(CreateMemoryStorage(source.Put()), S_OK);
    ComPtr<IStream> part;
    source->CreateStream(u"part", STGM_CREATE, part.Put());
    part->Write("data", 4, nullptr);
    ComPtr<IStorage> sub;
    source->CreateStorage(u"sub", STGM_CREATE, sub.Put());

    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 0);
    ComPtr<ILockBytes> lockBytes;
    ASSERT_EQ(CreateILockBytesOnHGlobal(h, TRUE, lockBytes.Put()), S_OK);
    ComPtr<IStorage> file;
    ASSERT_EQ(StgCreateDocfileOnILockBytes(lockBytes.Get(), STGM_CREATE | STGM_READWRITE, 0, file.Put()), S_OK);
    ASSERT_EQ(source->CopyTo(file.Get()), S_OK);
    std::vector<uint8_t> bytes = GlobalBytes(h);
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 7), "PEMSTG1");
    EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("data"), std::string::npos);
    ComPtr<IStream> reopened;
    ASSERT_EQ(file->OpenStream(u"part", 0, reopened.Put()), S_OK);
    char buf[8] = {};
    ULONG n = 0;
    reopened->Read(buf, 8, &n);
    EXPECT_EQ(std::string(buf, n), "data");
    EXPECT_EQ(file->OpenStream(u"none", 0, reopened.Put()), STG_E_FILENOTFOUND);
}

TEST(CodePages, EightBitTextAndUtf16) {
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, "Gr\xFC\xDF" "e \x80"), u"Grüße €");
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, u"Grüße € \u4E2D \U0001F600"), "Gr\xFC\xDF" "e \x80 ? ?");
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, std::u16string(1, char16_t(0xD800))), "?"); // half a pair
    EXPECT_EQ(CharToOemBuffA("\xE9\xDF\x80"), "\x82\xE1?");
    bool ok = true;
    EXPECT_EQ(MultiByteToWideChar(65001, "x", &ok), u"");
    EXPECT_FALSE(ok);
    EXPECT_EQ(GetLocaleInfoA(0x0407, LOCALE_IDEFAULTANSICODEPAGE, 7), "1252");
}

TEST(Shell, ItemIdListsOfPaths) {
    ComPtr<IShellFolder> desktop;
    ASSERT_EQ(SHGetDesktopFolder(desktop.Put()), S_OK);
    PIDLIST p = nullptr;
    ASSERT_EQ(desktop->ParseDisplayName(nullptr, nullptr, u"/home//user/", nullptr, &p, nullptr), S_OK);
    EXPECT_EQ(ILGetSize(p), 10u + 10 + 2); // "home", "user", the end
    std::u16string path;
    EXPECT_TRUE(SHGetPathFromIDListW(p, path));
    EXPECT_EQ(path, u"/home/user");
    EXPECT_FALSE(SHGetPathFromIDListW(p, path, 10)); // too long for the room given
    CoTaskMemFree(p);
    for (const char16_t* bad : {u"", u"rel/x", u"/a/../b", u"/a/./b"})
        EXPECT_NE(desktop->ParseDisplayName(nullptr, nullptr, bad, nullptr, &p, nullptr), S_OK);
}
