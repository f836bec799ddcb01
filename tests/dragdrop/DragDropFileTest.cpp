// The file side of the library: wide-string lists, the DROPFILES block read
// and written, the single names, the descriptors, the contents, and the file
// drop target and source on the emulated drag loop.
#include "DragDropFile.h"
#include "DragDropFixtures.h"
#include "DragDropPIDL.h"
#include "EmulatedDragLoop.h"
#include "FakeWindows.h"

#include <gtest/gtest.h>
#include <optional>

using namespace pem;
using namespace ddtest;

namespace {

std::vector<std::u16string> Names(const TUnicodeStrings& list) {
    std::vector<std::u16string> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Get(i));
    return out;
}

std::string ExceptionText(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

// A DROPFILES block: pFiles, fWide, then the name bytes as given.
std::vector<uint8_t> DropFiles(uint32_t pFiles, uint32_t wide, const std::string& names) {
    std::vector<uint8_t> b(20, 0);
    std::memcpy(b.data(), &pFiles, 4);
    std::memcpy(b.data() + 16, &wide, 4);
    for (char c : names) b.push_back(static_cast<uint8_t>(c));
    return b;
}

// Wide text as UTF-16LE bytes, without a terminator of its own.
std::string W(const std::u16string& s) {
    std::vector<uint8_t> b = WideBytes(s);
    return std::string(b.begin(), b.end());
}

std::string Z(size_t n) { return std::string(n, '\0'); }

// Reads a block through the format as a medium would hand it over.
bool ReadBlock(TClipboardFormat& f, const std::vector<uint8_t>& block) {
    STGMEDIUM m;
    m.tymed = TYMED_HGLOBAL;
    m.hGlobal = GlobalFromBytes(block.data(), block.size());
    return f.GetDataFromMedium(m);
}

std::vector<uint8_t> WriteBlock(TClipboardFormat& f) {
    FORMATETC request = f.FormatEtc();
    request.tymed = TYMED_HGLOBAL;
    STGMEDIUM m;
    if (!f.WriteOnRequest(request, m)) return {};
    std::vector<uint8_t> bytes = GlobalBytes(m.hGlobal);
    ReleaseStgMedium(&m);
    return bytes;
}

} // namespace

// ---- wide-string lists

TEST(UnicodeStringList, GrowsByFourThenSixteenThenAQuarter) {
    TUnicodeStringList list;
    std::vector<int> capacities;
    for (int i = 0; i < 95; ++i) {
        list.Add(u"x");
        if (capacities.empty() || capacities.back() != list.Capacity()) capacities.push_back(list.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95}));
    EXPECT_THROW(list.SetCapacity(94), std::logic_error); // below the count
    list.SetCapacity(200);
    EXPECT_EQ(list.Capacity(), 200);
}

TEST(UnicodeStringList, BadIndexesAndNotifications) {
    TUnicodeStringList list;
    list.Add(u"a");
    list.Add(u"b");
    const std::vector<std::pair<std::function<void()>, std::string>> bad = {
        {[&] { list.Get(2); }, "List index out of bounds (2)"},
        {[&] { list.Get(-1); }, "List index out of bounds (-1)"},
        {[&] { list.Put(2, u"x"); }, "List index out of bounds (2)"},
        {[&] { list.Insert(3, u"x"); }, "List index out of bounds (3)"},
        {[&] { list.Delete(2); }, "List index out of bounds (2)"},
        {[&] { list.Exchange(0, 5); }, "List index out of bounds (5)"},
    };
    for (const auto& [call, message] : bad) EXPECT_EQ(ExceptionText(call), message);
    list.Insert(2, u"a"); // at the end is allowed
    EXPECT_EQ(list.IndexOf(u"a"), 2); // the last equal one
    EXPECT_EQ(list.IndexOf(u"A"), -1); // exactly

    // One notification pair for a whole update, one per change otherwise.
    int changing = 0, changed = 0;
    list.OnChanging = [&](TUnicodeStrings*) { ++changing; };
    list.OnChange = [&](TUnicodeStrings*) { ++changed; };
    TUnicodeStringList other;
    for (const char16_t* s : {u"p", u"q", u"r"}) other.Add(s);
    list.Assign(other);
    EXPECT_EQ(Names(list), (std::vector<std::u16string>{u"p", u"q", u"r"}));
    EXPECT_EQ(std::make_pair(changing, changed), std::make_pair(1, 1));
    list.Move(0, 2);
    EXPECT_EQ(Names(list), (std::vector<std::u16string>{u"q", u"r", u"p"}));
    EXPECT_EQ(std::make_pair(changing, changed), std::make_pair(2, 2));

    // The 8-bit view converts through Windows-1252 both ways.
    TStringList eight{"caf\xE9"};
    TUnicodeStringsAdapter view(eight);
    EXPECT_EQ(view.Get(0), u"café");
    view.Add(u"€");
    EXPECT_EQ(eight[1], "\x80");
}

// ---- CF_HDROP

TEST(FileClipboardFormat, ReadsOnlyWhatLiesInsideTheBlock) {
    struct Case {
        const char* name;
        std::vector<uint8_t> block;
        std::vector<std::u16string> names; // none: refused
    };
    const std::vector<Case> cases = {
        {"20 bytes: no names at all", DropFiles(20, 1, ""), {}},
        {"8-bit names", DropFiles(20, 0, std::string("a\0b\0\0", 5)), {u"a", u"b"}},
        {"8-bit names in Windows-1252", DropFiles(20, 0, std::string("\x80.txt\0\0", 7)), {u"€.txt"}},
        {"wide names", DropFiles(20, 1, W(u"a") + Z(2) + W(u"bc") + Z(2) + W(u"d") + Z(4)), {u"a", u"bc", u"d"}},
        {"no final NUL: the last name ends with the block", DropFiles(20, 1, W(u"a") + Z(2) + W(u"bc")), {u"a", u"bc"}},
        {"an odd last byte is ignored", DropFiles(20, 1, W(u"ab") + "c"), {u"ab"}},
        {"an empty name ends the list", DropFiles(20, 1, W(u"a") + Z(4) + W(u"b") + Z(4)), {u"a"}},
        {"names starting inside the header", [] {
             std::vector<uint8_t> b = DropFiles(8, 0, std::string("y\0\0", 3));
             b[8] = 'x'; // what a reader trusting pFiles would take
             return b;
         }(), {}},
        {"pFiles equal to the size", DropFiles(23, 0, std::string("x\0\0", 3)), {}},
        {"pFiles far past the block", DropFiles(0xFFFFFFFFu, 1, W(u"x") + Z(4)), {}},
    };
    for (const Case& c : cases) {
        TFileClipboardFormat f;
        EXPECT_EQ(ReadBlock(f, c.block), !c.names.empty()) << c.name;
        EXPECT_EQ(Names(f.Files()), c.names) << c.name;
    }
}

TEST(FileClipboardFormat, WritesWideNamesWithTheirNuls) {
    TFileClipboardFormat f;
    for (const char16_t* n : {u"a", u"bc", u"d"}) f.Files().Add(n);
    std::vector<uint8_t> block = WriteBlock(f);
    // (2 + 3 + 2) characters of two bytes, 20 of header, 2 for the end.
    EXPECT_EQ(block, DropFiles(20, 1, W(u"a") + Z(2) + W(u"bc") + Z(2) + W(u"d") + Z(4)));
    ASSERT_EQ(block.size(), 36u);
    TFileClipboardFormat back;
    EXPECT_TRUE(ReadBlock(back, block));
    EXPECT_EQ(Names(back.Files()), Names(f.Files()));
}

// ---- the file data format

TEST(FileDataFormat, TakesTheFirstFormatThatNamesAFile) {
    const std::vector<uint8_t> hdrop = DropFiles(20, 1, W(u"/t/from drop") + Z(4));
    struct Case {
        const char* name;
        std::function<void(TStaticDataObject&)> offer;
        std::vector<std::u16string> files;
        int getDataCalls;
    };
    const std::vector<Case> cases = {
        {"CF_HDROP first, whatever else is offered",
         [&](TStaticDataObject& d) {
             d.Set(Id("FileName"), std::string("/t/from name") + '\0');
             TUnicodeStringList list;
             list.Add(u"/t/from items");
             TPIDLClipboardFormat items;
             items.Filenames().Assign(list);
             d.Set(Id("Shell IDList Array"), WriteBlock(items));
             d.Set(CF_HDROP, hdrop);
         },
         {u"/t/from drop"}, 1},
        {"the item-ID lists before the single names",
         [&](TStaticDataObject& d) {
             d.Set(Id("FileName"), std::string("/t/from name") + '\0');
             TUnicodeStringList list;
             list.Add(u"/t/a");
             list.Add(u"/t/b");
             TPIDLClipboardFormat items;
             items.Filenames().Assign(list);
             d.Set(Id("Shell IDList Array"), WriteBlock(items));
         },
         {u"/t/a", u"/t/b"}, 2},
        {"\"FileNameW\" alone", [&](TStaticDataObject& d) { d.Set(Id("FileNameW"), WideBytes(u"/t/wide\0")); },
         {u"/t/wide"}, 4},
        {"a CF_HDROP without names leaves the reading to the next format",
         [&](TStaticDataObject& d) {
             d.Set(CF_HDROP, DropFiles(20, 1, Z(4)));
             d.Set(Id("FileName"), std::string("/t/caf\xE9") + '\0');
         },
         {u"/t/café"}, 3},
    };
    for (const Case& c : cases) {
        auto data = MakeCom<TStaticDataObject>();
        c.offer(*data);
        TFileDataFormat df(TDragDropComponentRole::Target);
        EXPECT_EQ(df.GetData(data.Get()), true) << c.name;
        EXPECT_EQ(Names(df.Files()), c.files) << c.name;
        EXPECT_EQ(data->GetDataCalls, c.getDataCalls) << c.name;
    }
}

TEST(FileDataFormat, RegisteredFormatsAndTheirOrder) {
    InitialiseDragDrop();
    auto classes = [](const TDataFormatClass& df, TDragDropComponentRole role) {
        TClipboardFormats list(nullptr, true);
        TDataFormatMap::Instance().FillList(list, df, role);
        std::vector<std::string> out;
        for (int i = 0; i < list.Count(); ++i) out.push_back(list[i]->ClassName());
        return out;
    };
    const std::vector<std::string> files = {"TFileClipboardFormat", "TPIDLClipboardFormat",
                                            "TAnsiFilenameClipboardFormat", "TUnicodeFilenameClipboardFormat"};
    EXPECT_EQ(classes(TFileDataFormat::StaticClass(), TDragDropComponentRole::Target), files);
    EXPECT_EQ(classes(TFileDataFormat::StaticClass(), TDragDropComponentRole::Source), files);
    EXPECT_EQ(classes(TFileMapDataFormat::StaticClass(), TDragDropComponentRole::Target),
              (std::vector<std::string>{"TAnsiFilenameMapClipboardFormat", "TUnicodeFilenameMapClipboardFormat"}));
    EXPECT_EQ(classes(TVirtualFileStreamDataFormat::StaticClass(), TDragDropComponentRole::Target),
              (std::vector<std::string>{"TUnicodeFileGroupDescriptorClipboardFormat",
                                        "TFileContentsStreamOnDemandClipboardFormat",
                                        "TAnsiFileGroupDescriptorClipboardFormat"}));
    EXPECT_EQ(classes(TPIDLDataFormat::StaticClass(), TDragDropComponentRole::Target),
              (std::vector<std::string>{"TPIDLClipboardFormat", "TFileClipboardFormat"}));
    // Only read: the contents streams serve the data-stream format.
    EXPECT_EQ(classes(TDataStreamDataFormat::StaticClass(), TDragDropComponentRole::Target),
              (std::vector<std::string>{"TFileContentsStreamClipboardFormat"}));
    EXPECT_TRUE(classes(TDataStreamDataFormat::StaticClass(), TDragDropComponentRole::Source).empty());

    // The units' runs: feedback, text, item lists, files.
    std::vector<std::string> runs;
    for (const auto& e : TDataFormatMap::Instance().Entries())
        if (runs.empty() || runs.back() != e.DataFormat->Name) runs.push_back(e.DataFormat->Name);
    EXPECT_EQ(std::vector<std::string>(runs.begin(), runs.begin() + 4),
              (std::vector<std::string>{"TFeedbackDataFormat", "TTextDataFormat", "TPIDLDataFormat",
                                        "TFileDataFormat"}));
}

TEST(FileDataFormat, ItemIdListsAndDroppedFilesConvertBothWays) {
    // A drop's names become item-ID lists, and item-ID lists a drop's names.
    auto data = MakeCom<TStaticDataObject>();
    data->Set(CF_HDROP, DropFiles(20, 1, W(u"/t/x/a") + Z(2) + W(u"/t/y/b") + Z(4)));
    TPIDLDataFormat pidls(TDragDropComponentRole::Target);
    EXPECT_TRUE(pidls.GetData(data.Get()));
    EXPECT_EQ(Names(pidls.Filenames()), (std::vector<std::u16string>{u"/t/x/a", u"/t/y/b"}));
    TFileClipboardFormat out;
    EXPECT_TRUE(pidls.AssignTo(&out));
    EXPECT_EQ(Names(out.Files()), (std::vector<std::u16string>{u"/t/x/a", u"/t/y/b"}));
    // A relative name makes no item-ID list: no data, no exception.
    data->Set(CF_HDROP, DropFiles(20, 1, W(u"relative") + Z(4)));
    TPIDLDataFormat none(TDragDropComponentRole::Target);
    EXPECT_FALSE(none.GetData(data.Get()));
}

// ---- descriptors and contents

TEST(FileGroupDescriptor, BlockSizesNamesAndIndexes) {
    struct Case {
        const char* name;
        uint32_t count;
        size_t size;
        bool read;
    };
    // 4 + count x 592: 7255013 records wrap to 404 bytes in 32 bits.
    const std::vector<Case> cases = {
        {"one record, whole", 1, 596, true},
        {"one record, a byte short", 1, 595, false},
        {"count near 2^31", 0x7FFFFFFFu, 600, false},
        {"a count whose size wraps in 32 bits", 7255013u, 600, false},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> block(c.size, 0);
        std::memcpy(block.data(), &c.count, 4);
        TUnicodeFileGroupDescriptorClipboardFormat f;
        EXPECT_EQ(ReadBlock(f, block), c.read) << c.name;
        EXPECT_EQ(f.Count(), c.read ? c.count : 0u) << c.name;
    }

    TUnicodeFileGroupDescriptorClipboardFormat wide;
    wide.SetCount(2);
    const std::u16string longName(300, u'n');
    wide.SetFilename(0, longName);
    EXPECT_EQ(wide.Filename(0), longName.substr(0, 259));
    EXPECT_EQ(ExceptionText([&] { wide.Filename(2); }), "Filename index out of bounds (2)");
    EXPECT_EQ(ExceptionText([&] { wide.SetFilename(2, u"x"); }), "Filename index out of bounds (2)");
    // A name field without its NUL is read to its 260 characters, not into
    // the next record.
    uint8_t* field = wide.Record(0) + kDescriptorNameOffset;
    for (size_t i = 0; i < 2 * kDescriptorNameChars; i += 2) field[i] = 'z', field[i + 1] = 0;
    wide.SetFilename(1, u"next");
    EXPECT_EQ(wide.Filename(0), std::u16string(260, u'z'));

    TAnsiFileGroupDescriptorClipboardFormat ansi;
    ansi.SetCount(1);
    EXPECT_EQ(ansi.Block().size(), 4u + 332u);
    ansi.SetFilename(0, std::string(300, 'a'));
    EXPECT_EQ(ansi.Filename(0), std::string(259, 'a'));
}

TEST(VirtualFiles, DescriptorsTravelAndContentsComeOnDemand) {
    // The source: two files known by descriptors, their bytes made on demand.
    TCustomDropMultiSource source;
    auto* files = new TVirtualFileStreamDataFormat(&source);
    files->FileNames().Add(u"first €.txt");
    files->FileNames().Add(u"second.txt");
    std::vector<int> asked;
    files->FileContentsClipboardFormat()->OnGetStream = [&](int index, ComPtr<IStream>& stream) {
        asked.push_back(index);
        std::string text = "contents " + std::to_string(index);
        HGLOBAL h = GlobalFromBytes(text.data(), text.size());
        CreateStreamOnHGlobal(h, TRUE, stream.Put());
    };
    EXPECT_TRUE(files->HasData());

    // The 8-bit descriptors carry the names in Windows-1252.
    FORMATETC f;
    f.cfFormat = Id("FileGroupDescriptor");
    f.tymed = TYMED_HGLOBAL;
    STGMEDIUM m;
    ASSERT_EQ(source.GetData(&f, &m), S_OK);
    TAnsiFileGroupDescriptorClipboardFormat ansi;
    EXPECT_TRUE(ansi.GetDataFromMedium(m));
    ASSERT_EQ(ansi.Count(), 2u);
    EXPECT_EQ(ansi.Filename(0), "first \x80.txt");

    // A target reads the wide descriptors, then every file's contents.
    TVirtualFileStreamDataFormat names(TDragDropComponentRole::Target);
    EXPECT_TRUE(names.GetData(source.DataObject()));
    EXPECT_EQ(Names(names.FileNames()), (std::vector<std::u16string>{u"first €.txt", u"second.txt"}));
    EXPECT_TRUE(names.HasContents());
    TDataStreamDataFormat streams(TDragDropComponentRole::Target);
    EXPECT_TRUE(streams.GetData(source.DataObject()));
    ASSERT_EQ(streams.Streams().Count(), 2);
    EXPECT_EQ(streams.Streams()[1].Name, "second.txt");
    EXPECT_EQ(std::string(streams.Streams()[1].Data.begin(), streams.Streams()[1].Data.end()), "contents 1");
    EXPECT_EQ(asked, (std::vector<int>{0, 1}));

    // A request that takes only a block gets the stream's bytes.
    FORMATETC block;
    block.cfFormat = Id("FileContents");
    block.tymed = TYMED_HGLOBAL;
    block.lindex = 0;
    ASSERT_EQ(source.GetData(&block, &m), S_OK);
    EXPECT_EQ(GlobalBytes(m.hGlobal), Bytes("contents 0"));
    ReleaseStgMedium(&m);
}

TEST(VirtualFiles, ContentsAskedForUntilTheFirstFailure) {
    // Three descriptors, contents for two of them: one a stream, one a storage.
    class Contents : public TStaticDataObject {
    public:
        HRESULT GetData(const FORMATETC* f, STGMEDIUM* m) override {
            if (f->cfFormat != Id("FileContents")) return TStaticDataObject::GetData(f, m);
            indexes.push_back(f->lindex);
            *m = STGMEDIUM{};
            if (f->lindex == 0) {
                m->tymed = TYMED_ISTREAM;
                HGLOBAL h = GlobalFromBytes("abc", 3);
                return CreateStreamOnHGlobal(h, TRUE, &m->pstm);
            }
            if (f->lindex == 1) {
                m->tymed = TYMED_ISTORAGE;
                return CreateMemoryStorage(&m->pstg);
            }
            return DV_E_LINDEX;
        }
        std::vector<LONG> indexes;
    };
    auto data = MakeCom<Contents>();
    TUnicodeFileGroupDescriptorClipboardFormat wide;
    wide.SetCount(3);
    for (uint32_t i = 0; i < 3; ++i) wide.SetFilename(i, u"f" + std::u16string(1, char16_t(u'0' + i)));
    data->Set(Id("FileGroupDescriptorW"), wide.Block());
    data->Set(Id("FileContents"), Bytes("x"), TYMED_ISTREAM | TYMED_ISTORAGE);

    TFileContentsStreamClipboardFormat contents;
    EXPECT_TRUE(contents.GetData(data.Get()));
    ASSERT_EQ(contents.Streams().Count(), 2);
    EXPECT_EQ(contents.Streams()[0].Data, Bytes("abc"));
    EXPECT_EQ(contents.Streams()[1].Name, "f1");
    EXPECT_EQ(std::string(contents.Streams()[1].Data.begin(), contents.Streams()[1].Data.begin() + 7), "PEMSTG1");
    EXPECT_EQ(data->indexes, (std::vector<LONG>{0, 1, 2}));
}

TEST(FileNameMaps, TheEightBitMapIsReadFirst) {
    auto data = MakeCom<TStaticDataObject>();
    data->Set(Id("FileNameMapW"), W(u"wide.txt") + Z(4));
    data->Set(Id("FileNameMap"), std::string("a.txt\0b\xE9.txt\0\0", 14));
    TFileMapDataFormat maps(TDragDropComponentRole::Target);
    EXPECT_TRUE(maps.GetData(data.Get()));
    EXPECT_EQ(Names(maps.FileMaps()), (std::vector<std::u16string>{u"a.txt", u"bé.txt"}));
    // Written back: names, their NULs and one more NUL.
    TUnicodeFilenameMapClipboardFormat wide;
    EXPECT_TRUE(maps.AssignTo(&wide));
    EXPECT_EQ(WriteBlock(wide), WideBytes(std::u16string(u"a.txt\0bé.txt\0\0", 14)));
}

// ---- the components

class FileDragTest : public ::testing::Test {
protected:
    FileDragTest() {
        target.RegisterTargetControl(&targetWindow);
        target.OnDrop = [this](TCustomDropTarget*, TShiftState, POINT, DWORD& effect) {
            dropped = Names(target.Files());
            droppedEffect = effect;
        };
    }
    TFakeWindow sourceWindow{"source", {0, 0, 100, 100}};
    TFakeWindow targetWindow{"target", {200, 0, 300, 100}};
    TDropFileTarget target;
    TDropFileSource source;
    TEmulatedDragLoop loop;
    std::vector<std::u16string> dropped;
    DWORD droppedEffect = 0;
};

TEST_F(FileDragTest, FilesDraggedFromTheSourceReachTheTarget) {
    source.Files().Add(u"/data/Grüße €.txt");
    source.Files().Add(u"/data/second.cob");
    loop.Steps = {{{10, 10}}, {{210, 10}}, {{212, 12}}, {{212, 12}, 0}};
    EXPECT_EQ(source.Execute(), drDropCopy);
    EXPECT_EQ(dropped, (std::vector<std::u16string>{u"/data/Grüße €.txt", u"/data/second.cob"}));
    EXPECT_EQ(droppedEffect, DROPEFFECT_COPY);
    EXPECT_EQ(target.Files().Count(), 0); // cleared once the drop is over

    // What the source offers for one file: the drop block, the item-ID
    // lists and the single names.
    auto data = TStaticDataObject::Snapshot(source.DataObject());
    TFileClipboardFormat hdrop;
    ASSERT_NE(data->Find(CF_HDROP), nullptr);
    EXPECT_TRUE(ReadBlock(hdrop, data->Find(CF_HDROP)->bytes));
    EXPECT_EQ(hdrop.Files().Count(), 2);
    EXPECT_EQ(data->Find(Id("FileName"))->bytes, Bytes(std::string("/data/Gr\xFC\xDF" "e \x80.txt") + '\0'));
    EXPECT_EQ(data->Find(Id("FileNameW"))->bytes, WideBytes(std::u16string(u"/data/Grüße €.txt\0", 18)));
    EXPECT_NE(data->Find(Id("Shell IDList Array")), nullptr);
}

TEST_F(FileDragTest, PreferredEffectOfASourceThatStatesNoneIsCopy) {
    struct Case {
        const char* name;
        std::optional<DWORD> preferred;
        DWORD effect;
    };
    const std::vector<Case> cases = {
        {"none stated", std::nullopt, DROPEFFECT_COPY},
        {"stated as none", DROPEFFECT_NONE, DROPEFFECT_COPY},
        {"link", DROPEFFECT_LINK, DROPEFFECT_LINK},
    };
    for (const Case& c : cases) {
        auto data = MakeCom<TStaticDataObject>();
        data->Set(CF_HDROP, DropFiles(20, 1, W(u"/p/asted") + Z(4)));
        if (c.preferred) data->Set(Id("Preferred DropEffect"), DwordBytes(*c.preferred));
        ASSERT_EQ(OleSetClipboard(data.Get()), S_OK);
        dropped.clear();
        EXPECT_EQ(target.PasteFromClipboard(), c.effect) << c.name;
        EXPECT_EQ(dropped, (std::vector<std::u16string>{u"/p/asted"})) << c.name;
        OleSetClipboard(nullptr);
    }
}
