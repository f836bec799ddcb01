// The format framework: the priority map, the get-data loop, media and
// their release, the conversions of effects and keys, the error texts.
#include "DragDropFixtures.h"
#include "DragDropPIDL.h"
#include "DropSource.h"

#include <gtest/gtest.h>

using namespace pem;
using namespace ddtest;

namespace {

// Test-only classes, so the process-wide map can be used without touching
// the library's own entries.
class TProbeDataFormat : public TCustomDataFormat {
    PEM_DATA_FORMAT(TProbeDataFormat)
public:
    using TCustomDataFormat::TCustomDataFormat;
    bool Assign(TClipboardFormat* source) override {
        auto* f = dynamic_cast<TCustomAnsiTextClipboardFormat*>(source);
        if (!f) return false;
        Value = f->Text();
        return true;
    }
    void Clear() override { Value.clear(); }
    bool HasData() override { return !Value.empty(); }
    std::string Value;
};
PEM_DEFINE_DATA_FORMAT(TProbeDataFormat, TCustomDataFormat, nullptr)

class TProbeAFormat : public TCustomAnsiTextClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TProbeAFormat)
public:
    CLIPFORMAT GetClipboardFormat() override { return Id("Probe A"); }
};
PEM_DEFINE_CLIPBOARD_FORMAT(TProbeAFormat, TCustomAnsiTextClipboardFormat, &CreateClipboardFormat<TProbeAFormat>,
                            ddRead, nullptr)

class TProbeBFormat : public TCustomAnsiTextClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TProbeBFormat)
public:
    CLIPFORMAT GetClipboardFormat() override { return Id("Probe B"); }
};
PEM_DEFINE_CLIPBOARD_FORMAT(TProbeBFormat, TCustomAnsiTextClipboardFormat, &CreateClipboardFormat<TProbeBFormat>,
                            ddRead, nullptr)

// A class that registers itself through its own hook, with a data format
// of its own.
class TProbeHookDataFormat : public TCustomDataFormat {
    PEM_DATA_FORMAT(TProbeHookDataFormat)
public:
    using TCustomDataFormat::TCustomDataFormat;
    void Clear() override {}
    bool HasData() override { return false; }
};
PEM_DEFINE_DATA_FORMAT(TProbeHookDataFormat, TCustomDataFormat, nullptr)

class TProbeHookedFormat : public TCustomAnsiTextClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TProbeHookedFormat)
public:
    CLIPFORMAT GetClipboardFormat() override { return Id("Probe hooked"); }
};
void ProbeHook() {
    TClipboardFormat::RegisterDataConversion(TProbeHookedFormat::StaticClass(), TProbeHookDataFormat::StaticClass(),
                                             7);
}
PEM_DEFINE_CLIPBOARD_FORMAT(TProbeHookedFormat, TCustomAnsiTextClipboardFormat,
                            &CreateClipboardFormat<TProbeHookedFormat>, ddRead, &ProbeHook)

// A format whose class never says its id.
class TProbeNoIdFormat : public TCustomAnsiTextClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TProbeNoIdFormat)
};
PEM_DEFINE_CLIPBOARD_FORMAT(TProbeNoIdFormat, TCustomAnsiTextClipboardFormat, nullptr, ddRead, nullptr)

// Registering again changes nothing, so each test that needs them may.
void RegisterProbeFormats() {
    InitialiseDragDrop();
    RegisterCompatibleFormat(TProbeDataFormat::StaticClass(), TProbeBFormat::StaticClass(), 1, ddReadWrite);
    RegisterCompatibleFormat(TProbeDataFormat::StaticClass(), TProbeAFormat::StaticClass(), 0, ddReadWrite);
}

const TDataFormatClass& Text = TTextDataFormat::StaticClass();
const TDataFormatClass& Feedback = TFeedbackDataFormat::StaticClass();

struct Reg {
    const TDataFormatClass* df;
    const TClipboardFormatClass* cf;
    int32_t priority;
    TDataDirections dirs;
};

std::vector<std::string> Describe(const TDataFormatMap& map) {
    std::vector<std::string> out;
    for (const auto& e : map.Entries())
        out.push_back(std::string(e.DataFormat->Name) + " " + e.ClipboardFormat->Name + " " +
                      std::to_string(e.Priority) + " " + std::to_string(e.Directions));
    return out;
}

} // namespace

TEST(DataFormatMap, EntriesKeepPriorityOrderWithinEachClassAndTheClassesOrder) {
    const auto& ansi = TAnsiTextClipboardFormat::StaticClass();
    const auto& locale = TLocaleClipboardFormat::StaticClass();
    const auto& wide = TUnicodeTextClipboardFormat::StaticClass();
    const auto& oem = TOEMTextClipboardFormat::StaticClass();
    const auto& rtf = TRichTextClipboardFormat::StaticClass();
    const auto& preferred = TPreferredDropEffectClipboardFormat::StaticClass();
    const auto& performed = TPerformedDropEffectClipboardFormat::StaticClass();
    struct Case {
        const char* name;
        std::vector<Reg> regs;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"text formats in their registration order",
         {{&Text, &ansi, -1, 3}, {&Text, &locale, -1, 3}, {&Text, &wide, 0, 3}, {&Text, &oem, -1, 3}, {&Text, &rtf, 0, 3}},
         {"TTextDataFormat TOEMTextClipboardFormat -1 3", "TTextDataFormat TLocaleClipboardFormat -1 3",
          "TTextDataFormat TAnsiTextClipboardFormat -1 3", "TTextDataFormat TRichTextClipboardFormat 0 3",
          "TTextDataFormat TUnicodeTextClipboardFormat 0 3"}},
        {"a pair twice joins directions; only a set registration takes the priority",
         {{&Text, &ansi, -1, ddRead}, {&Text, &wide, 0, 3}, {&Text, &ansi, 7, ddWrite}, {&Text, &wide, 9, ddRead}},
         {"TTextDataFormat TUnicodeTextClipboardFormat 0 3", "TTextDataFormat TAnsiTextClipboardFormat 7 3"}},
        {"a class's later entry joins its run before another class's",
         {{&Feedback, &preferred, 0, 3}, {&Text, &ansi, -1, 3}, {&Feedback, &performed, 0, 3}},
         {"TFeedbackDataFormat TPerformedDropEffectClipboardFormat 0 3",
          "TFeedbackDataFormat TPreferredDropEffectClipboardFormat 0 3", "TTextDataFormat TAnsiTextClipboardFormat -1 3"}},
    };
    for (const Case& c : cases) {
        TDataFormatMap map;
        for (const Reg& r : c.regs) map.Add(*r.df, *r.cf, r.priority, r.dirs);
        EXPECT_EQ(Describe(map), c.expected) << c.name;
    }
}

TEST(DataFormatMap, ProcessMapFollowsUnitOrderAndClassHooksRegisterGetOnly) {
    InitialiseDragDrop();
    std::vector<std::string> text;
    std::vector<std::string> order; // data format classes as their runs appear
    for (const auto& e : TDataFormatMap::Instance().Entries()) {
        if (order.empty() || order.back() != e.DataFormat->Name) order.push_back(e.DataFormat->Name);
        if (e.DataFormat == &Text) text.push_back(e.ClipboardFormat->Name);
    }
    std::vector<std::string> units(order.begin(), order.begin() + 3);
    EXPECT_EQ(units, (std::vector<std::string>{"TFeedbackDataFormat", "TTextDataFormat", "TPIDLDataFormat"}));
    EXPECT_EQ(text, (std::vector<std::string>{"TOEMTextClipboardFormat", "TLocaleClipboardFormat",
                                              "TAnsiTextClipboardFormat", "TRichTextClipboardFormat",
                                              "TUnicodeTextClipboardFormat"}));

    TClipboardFormat::RegisterFormat(TProbeHookedFormat::StaticClass());
    const TDataFormatMap::Entry* hooked = nullptr;
    for (const auto& e : TDataFormatMap::Instance().Entries())
        if (e.ClipboardFormat == &TProbeHookedFormat::StaticClass()) hooked = &e;
    ASSERT_NE(hooked, nullptr);
    EXPECT_EQ(hooked->Directions, ddRead);
    EXPECT_EQ(hooked->Priority, 0); // a get-only registration takes no priority
}

TEST(DataFormatMap, ListsFilledForARoleTakeEntryOrClassDirections) {
    TDataFormatMap map;
    // Performed: the class states set; Preferred: the class states get.
    map.Add(Feedback, TPerformedDropEffectClipboardFormat::StaticClass(), 0, ddRead);
    map.Add(Feedback, TPreferredDropEffectClipboardFormat::StaticClass(), 0, ddRead);
    map.Add(Feedback, TPasteSucceededClipboardFormat::StaticClass(), 0, ddWrite);
    auto names = [&](TDragDropComponentRole role) {
        TClipboardFormats list(nullptr, true);
        map.FillList(list, Feedback, role);
        std::vector<std::string> out;
        for (int i = 0; i < list.Count(); ++i) out.push_back(list[i]->ClassName());
        return out;
    };
    // Equal priorities: the later registered come first.
    EXPECT_EQ(names(TDragDropComponentRole::Source),
              (std::vector<std::string>{"TPasteSucceededClipboardFormat", "TPerformedDropEffectClipboardFormat"}));
    EXPECT_EQ(names(TDragDropComponentRole::Target),
              (std::vector<std::string>{"TPreferredDropEffectClipboardFormat", "TPerformedDropEffectClipboardFormat"}));
}

TEST(GetData, ReadsTheBestFormatFirstAndStopsOnceItHasData) {
    RegisterProbeFormats();
    struct Case {
        std::vector<const char*> offered;
        std::string value;
        int calls;
    };
    const std::vector<Case> cases = {
        {{"Probe A", "Probe B"}, "a", 1}, // B is never asked for
        {{"Probe B"}, "b", 2},
        {{}, "", 2},
    };
    for (const Case& c : cases) {
        auto data = MakeCom<TStaticDataObject>();
        for (const char* name : c.offered) data->Set(Id(name), std::string(name[6] == 'A' ? "a" : "b"));
        TProbeDataFormat df(TDragDropComponentRole::Target);
        EXPECT_EQ(df.GetData(data.Get()), !c.value.empty());
        EXPECT_EQ(df.Value, c.value);
        EXPECT_EQ(data->GetDataCalls, c.calls);
    }
}

TEST(GetData, FeedbackFormatReadsEveryValueOffered) {
    auto data = MakeCom<TStaticDataObject>();
    data->Set(Id("Preferred DropEffect"), DwordBytes(DROPEFFECT_MOVE));
    data->Set(Id("Performed DropEffect"), DwordBytes(DROPEFFECT_COPY));
    data->Set(Id("InShellDragLoop"), DwordBytes(1));
    TFeedbackDataFormat feedback(TDragDropComponentRole::Target);
    EXPECT_TRUE(feedback.GetData(data.Get()));
    EXPECT_EQ(feedback.PreferredDropEffect(), DROPEFFECT_MOVE);
    EXPECT_EQ(feedback.PerformedDropEffect(), DROPEFFECT_COPY);
    EXPECT_TRUE(feedback.InShellDragLoop());
}

TEST(Media, EveryMediumIsReleasedExactlyOnce) {
    for (DWORD media : {TYMED_HGLOBAL, TYMED_ISTREAM}) {
        const long blocks = GlobalBlocksAlive(), streams = StreamsAlive();
        {
            // Read from a data object.
            auto data = MakeCom<TStaticDataObject>();
            data->Set(CF_TEXT, std::string("abc"), media);
            TAnsiTextClipboardFormat f;
            ASSERT_TRUE(f.GetData(data.Get()));
            EXPECT_EQ(f.Text(), "abc");
            // Given to an object that refuses it: handed back and released.
            auto refusing = MakeCom<RefusingDataObject>();
            EXPECT_FALSE(f.SetDataTo(refusing.Get()));
            // Given to a source that takes it over.
            TCustomDropMultiSource source;
            FORMATETC fe;
            fe.cfFormat = Id("Performed DropEffect");
            fe.tymed = media;
            STGMEDIUM m;
            m.tymed = TYMED_HGLOBAL;
            m.hGlobal = GlobalFromBytes("\x02\0\0\0", 4);
            if (media == TYMED_ISTREAM) {
                IStream* s = nullptr;
                ASSERT_EQ(CreateStreamOnHGlobal(m.hGlobal, TRUE, &s), S_OK);
                m = STGMEDIUM{};
                m.tymed = TYMED_ISTREAM;
                m.pstm = s;
            }
            EXPECT_EQ(source.SetData(&fe, &m, TRUE), S_OK);
            EXPECT_EQ(source.PerformedDropEffect(), DROPEFFECT_MOVE);
            // Kept by the caller when it keeps ownership.
            STGMEDIUM own;
            own.tymed = TYMED_HGLOBAL;
            own.hGlobal = GlobalFromBytes("xyz", 4);
            fe.cfFormat = Id("Probe kept");
            fe.tymed = TYMED_HGLOBAL;
            EXPECT_EQ(source.SetData(&fe, &own, FALSE), S_OK);
            EXPECT_NE(own.hGlobal, nullptr);
            ReleaseStgMedium(&own);
        }
        EXPECT_EQ(GlobalBlocksAlive(), blocks) << media;
        EXPECT_EQ(StreamsAlive(), streams) << media;
    }
}

TEST(Media, SimpleFormatsReadAndWriteTheirBlocks) {
    // An empty block reads as success without data.
    STGMEDIUM empty;
    empty.tymed = TYMED_HGLOBAL;
    empty.hGlobal = GlobalAlloc(GHND, 0);
    TAnsiTextClipboardFormat text;
    EXPECT_TRUE(text.GetDataFromMedium(empty));
    EXPECT_FALSE(text.HasData());

    // A stream shorter than its Stat size hands on only what it holds.
    STGMEDIUM shortStream;
    shortStream.tymed = TYMED_ISTREAM;
    shortStream.pstm = MakeCom<ShortStream>("hello", 100).Detach();
    EXPECT_TRUE(text.GetDataFromMedium(shortStream));
    EXPECT_EQ(text.Text(), "hello");
    STGMEDIUM huge;
    huge.tymed = TYMED_ISTREAM;
    huge.pstm = MakeCom<ShortStream>("x", 0xFFFFFFFFull).Detach(); // costs no 4 GB
    EXPECT_TRUE(text.GetDataFromMedium(huge));
    EXPECT_EQ(text.Text(), "x");
    STGMEDIUM nothing;
    nothing.tymed = TYMED_ISTREAM;
    nothing.pstm = MakeCom<ShortStream>("", 4096).Detach(); // claims a block, gives no byte
    TCSVClipboardFormat csv;
    EXPECT_TRUE(csv.GetDataFromMedium(nothing));
    EXPECT_FALSE(csv.HasData());

    // A DWORD is exactly four bytes both ways.
    struct Dword : TPerformedDropEffectClipboardFormat {
        using TCustomDWORDClipboardFormat::ReadData;
        using TCustomDWORDClipboardFormat::WriteData;
    } dword;
    dword.SetValue(2);
    uint8_t buf[8] = {};
    EXPECT_FALSE(dword.WriteData(buf, 3));
    EXPECT_FALSE(dword.WriteData(buf, 5));
    EXPECT_TRUE(dword.WriteData(buf, 4));
    EXPECT_FALSE(dword.ReadData(buf, 3));

    // A request naming a device, or another aspect, is refused.
    FORMATETC request = text.FormatEtc();
    DVTARGETDEVICE* device = reinterpret_cast<DVTARGETDEVICE*>(&request);
    request.ptd = device;
    EXPECT_FALSE(text.AcceptFormat(request));
    request.ptd = nullptr;
    EXPECT_TRUE(text.AcceptFormat(request));
    request.dwAspect = 4;
    STGMEDIUM out;
    text.SetText("t");
    EXPECT_FALSE(text.WriteOnRequest(request, out));
    // A stream is preferred when both media are allowed, and is handed out
    // at its end with the text and its NUL.
    request.dwAspect = DVASPECT_CONTENT;
    request.tymed = TYMED_HGLOBAL | TYMED_ISTREAM;
    ASSERT_TRUE(text.WriteOnRequest(request, out));
    ASSERT_EQ(out.tymed, TYMED_ISTREAM);
    std::vector<uint8_t> bytes;
    MediumBytes(out, bytes);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{'t', 0}));
    ReleaseStgMedium(&out);
}

TEST(Media, RawFormatKeepsAnyMediumASourceIsGiven) {
    TCustomDropMultiSource source;
    FORMATETC fe;
    fe.cfFormat = Id("Probe raw");
    fe.tymed = TYMED_HGLOBAL;
    for (const char* value : {"first", "second"}) {
        STGMEDIUM m;
        m.tymed = TYMED_HGLOBAL;
        m.hGlobal = GlobalFromBytes(value, std::strlen(value));
        ASSERT_EQ(source.SetData(&fe, &m, TRUE), S_OK);
    }
    // The source offers it from now on, with what it was given last.
    EXPECT_EQ(source.QueryGetData(&fe), S_OK);
    STGMEDIUM got;
    ASSERT_EQ(source.GetData(&fe, &got), S_OK);
    EXPECT_EQ(GlobalBytes(got.hGlobal), Bytes("second"));
    ReleaseStgMedium(&got);
}

TEST(Conversions, ShiftStateToDropEffect) {
    struct Case {
        TShiftState shift;
        DWORD allowed;
        bool fallBack;
        DWORD expected;
    };
    const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    const std::vector<Case> cases = {
        {0, all, false, DROPEFFECT_MOVE},
        {ssShift, all, false, DROPEFFECT_MOVE},
        {ssCtrl, all, false, DROPEFFECT_COPY},
        {ssShift | ssCtrl, all, false, DROPEFFECT_LINK},
        {ssShift | ssCtrl, DROPEFFECT_COPY | DROPEFFECT_MOVE, false, 0},
        {ssShift | ssCtrl, DROPEFFECT_MOVE | DROPEFFECT_LINK, true, DROPEFFECT_LINK},
        {ssShift | ssCtrl, DROPEFFECT_COPY | DROPEFFECT_MOVE, true, DROPEFFECT_COPY},
        {0, DROPEFFECT_LINK, true, DROPEFFECT_LINK},
        {ssCtrl, DROPEFFECT_MOVE, true, DROPEFFECT_MOVE},
        {0, 0, true, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShiftStateToDropEffect(c.shift, c.allowed, c.fallBack), c.expected)
            << int(c.shift) << " " << c.allowed << " " << c.fallBack;

    EXPECT_EQ(KeyStateToShiftState(MK_SHIFT | MK_CONTROL | MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_ALT),
              ssShift | ssCtrl | ssLeft | ssRight | ssMiddle | ssAlt);
    EXPECT_EQ(DragTypesToDropEffect({TDragType::dtCopy, TDragType::dtLink}), DROPEFFECT_COPY | DROPEFFECT_LINK);
}

TEST(Conversions, DropEffectToDragTypeTestsBits) {
    struct Case {
        DWORD effect;
        bool ok;
        TDragType type;
    };
    const std::vector<Case> cases = {
        {0, false, TDragType::dtCopy},
        {DROPEFFECT_COPY, true, TDragType::dtCopy},
        {DROPEFFECT_MOVE, true, TDragType::dtMove},
        {DROPEFFECT_LINK, true, TDragType::dtLink},
        {DROPEFFECT_MOVE | DROPEFFECT_LINK, true, TDragType::dtMove},
        {0x80000001u, true, TDragType::dtCopy}, // a release in a scroll band still drops
        {0x80000000u, false, TDragType::dtCopy},
    };
    for (const Case& c : cases) {
        TDragType t = TDragType::dtLink;
        EXPECT_EQ(DropEffectToDragType(c.effect, t), c.ok) << std::hex << c.effect;
        EXPECT_EQ(t, c.type) << std::hex << c.effect;
    }
    EXPECT_EQ(DropEffectToDragResult(0), drCancel);
    EXPECT_EQ(DropEffectToDragResult(DROPEFFECT_LINK), drDropLink);
    EXPECT_EQ(DropEffectToDragResult(DROPEFFECT_COPY | DROPEFFECT_MOVE), drUnknown);
}

TEST(Errors, TheFourFrameworkMessages) {
    TTextDataFormat textFormat(TDragDropComponentRole::Target);
    struct Case {
        std::function<void()> act;
        std::string message;
    };
    const std::vector<Case> cases = {
        {[] { TProbeNoIdFormat().FormatEtc(); },
         "Internal error: TProbeNoIdFormat.GetClipboardFormat needs implementation"},
        {[] { TAnsiTextClipboardFormat().SetClipboardFormatName("x"); },
         "TAnsiTextClipboardFormat.ClipboardFormat is read-only"},
        {[] { delete TRawClipboardFormat::StaticClass().Create(); },
         "The TRawClipboardFormat class can not be instantiated with the default constructor"},
        {[&] { textFormat.CompatibleFormats().GetFormat(TPIDLClipboardFormat::StaticClass()); },
         "Clipboard format TPIDLClipboardFormat does not exist in TTextDataFormat's list of copatible formats"},
    };
    for (const Case& c : cases) {
        try {
            c.act();
            ADD_FAILURE() << "no exception for " << c.message;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    EXPECT_NE(textFormat.CompatibleFormats().GetFormat(TAnsiTextClipboardFormat::StaticClass()), nullptr);
}

TEST(Names, ClipboardFormatNamesForDisplay) {
    EXPECT_EQ(GetClipboardFormatNameStr(1), "CF_TEXT");
    EXPECT_EQ(GetClipboardFormatNameStr(15), "CF_HDROP");
    EXPECT_EQ(GetClipboardFormatNameStr(18), "CF_MAX_XP");
    EXPECT_EQ(GetClipboardFormatNameStr(142), "CF_DSPENHMETAFILE");
    EXPECT_EQ(GetClipboardFormatNameStr(Id("Shell IDList Array")), "Shell IDList Array");
    EXPECT_EQ(GetClipboardFormatNameStr(0), "");
    EXPECT_EQ(GetClipboardFormatNameStr(300), "");
}

TEST(Media, StorageReadsAsTheBytesOfACompoundFile) {
    // A text format that also takes storages.
    struct StorageText : TAnsiTextClipboardFormat {
        StorageText() { formatEtc_.tymed |= TYMED_ISTORAGE; }
    } text;
    ComPtr<IStorage> storage;
    ASSERT_EQ(CreateMemoryStorage(storage.Put()), S_OK);
    ComPtr<IStream> part;
    storage->CreateStream(u"part", STGM_CREATE, part.Put());
    STGMEDIUM m;
    m.tymed = TYMED_ISTORAGE;
    m.pstg = storage.Detach();
    const long blocks = GlobalBlocksAlive();
    EXPECT_TRUE(text.GetDataFromMedium(m));
    EXPECT_EQ(text.Text(), "PEMSTG1"); // the file's bytes, up to their first NUL
    EXPECT_EQ(GlobalBlocksAlive(), blocks);
}

TEST(Media, StreamHandedOutCopiesTheRestOfItselfFromItsStart) {
    ComPtr<IStream> inner;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, inner.Put()), S_OK);
    inner->Write("0123456789", 10, nullptr); // left standing at its end
    auto adapter = MakeCom<TFixedStreamAdapter>(inner);
    ComPtr<IStream> dest;
    CreateStreamOnHGlobal(nullptr, TRUE, dest.Put());
    uint64_t read = 0, written = 0;
    EXPECT_EQ(adapter->CopyTo(dest.Get(), static_cast<uint64_t>(-1), &read, &written), S_OK);
    EXPECT_EQ(read, 10u);
    EXPECT_EQ(written, 10u);
    // A destination that takes less than it is given fails the copy.
    inner->Seek(0, STREAM_SEEK_SET, nullptr);
    auto full = MakeCom<ShortStream>("", 0); // refuses every write
    EXPECT_EQ(adapter->CopyTo(full.Get(), 4, &read, &written), E_FAIL);
    EXPECT_EQ(written, 0u);
}

TEST(StartUp, ShutdownFreesTheRegistriesAndSaysSoWhenTheyAreAskedForAgain) {
    InitialiseDragDrop();
    ShutdownDragDrop();
    testing::internal::CaptureStderr();
    RegisterDataFormat(TTextDataFormat::StaticClass()); // nothing once shut down
    EXPECT_TRUE(TDataFormatMap::Instance().Entries().empty());
    EXPECT_EQ(TDataFormatClasses::Instance().Count(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "DragDrop.TDataFormatMap recreated during shutdown\n"
              "DragDrop.TDataFormatClasses recreated during shutdown\n");
    InitialiseDragDrop(); // a new start registers everything again
    EXPECT_FALSE(TDataFormatMap::Instance().Entries().empty());
    EXPECT_GE(TDataFormatClasses::Instance().Count(), 4);
}
