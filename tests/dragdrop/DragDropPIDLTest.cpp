// Item-ID list arrays: file names to a parent and its children and back,
// the block's layout, and blocks that lie about themselves.
#include "DragDropFixtures.h"
#include "DragDropPIDL.h"

#include <gtest/gtest.h>
#include <memory>

using namespace pem;
using namespace ddtest;

namespace {

std::unique_ptr<TUnicodeStringList> Names(std::initializer_list<std::u16string> names) {
    auto l = std::make_unique<TUnicodeStringList>();
    for (const auto& n : names) l->Add(n);
    return l;
}

std::vector<std::u16string> ViewNames(TUnicodeStrings& view) {
    std::vector<std::u16string> out;
    for (int i = 0; i < view.Count(); ++i) out.push_back(view.Get(i));
    return out;
}

int Items(PCIDLIST p) {
    int n = 0;
    for (size_t at = 0; p[at] | p[at + 1]; at += static_cast<size_t>(p[at] | (p[at + 1] << 8))) ++n;
    return n;
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

TEST(ItemIdLists, FileNamesShareTheirDeepestCommonFolder) {
    struct Case {
        std::vector<std::u16string> names;
        std::u16string parent;
        std::vector<int> childItems;
    };
    const std::vector<Case> cases = {
        {{u"/t/x/a", u"/t/y/b"}, u"/t", {2, 2}},
        {{u"/a/x", u"/b/y"}, u"/", {2, 2}}, // nothing shared: the desktop
        {{u"/t/x/a", u"/t/x/b"}, u"/t/x", {1, 1}},
        {{u"/only"}, u"/", {1}},
    };
    for (const Case& c : cases) {
        TUnicodeStringList names;
        for (const auto& n : c.names) names.Add(n);
        TPIDLList list;
        ASSERT_TRUE(FilenamesToPIDLs(names, list));
        ASSERT_EQ(list.Count(), static_cast<int>(c.names.size()) + 1);
        std::u16string parent;
        ASSERT_TRUE(SHGetPathFromIDListW(list[0], parent));
        EXPECT_EQ(parent, c.parent);
        for (size_t i = 0; i < c.childItems.size(); ++i) EXPECT_EQ(Items(list[static_cast<int>(i) + 1]), c.childItems[i]);
        TPIDLsToFilenamesStrings view(list);
        EXPECT_EQ(ViewNames(view), c.names);
    }
}

TEST(ItemIdLists, BadNamesAndIndexes) {
    TPIDLList list;
    auto relative = Names({u"relative/name"});
    try {
        FilenamesToPIDLs(*relative, list);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Invalid filename: relative/");
    }
    auto dots = Names({u"/t/x/..", u"/t/y"});
    EXPECT_FALSE(FilenamesToPIDLs(*dots, list));
    EXPECT_EQ(list.Count(), 0);

    auto ok = Names({u"/t/a"});
    ASSERT_TRUE(FilenamesToPIDLs(*ok, list));
    TPIDLsToFilenamesStrings view(list);
    for (int bad : {-1, 1}) {
        try {
            view.Get(bad);
            ADD_FAILURE() << bad;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "Filename index out of range");
        }
    }
    view.Delete(0); // the view is read-only
    EXPECT_EQ(view.Count(), 1);
}

TEST(ItemIdLists, ArrayBlockRoundTripsThroughTheDataFormat) {
    TPIDLDataFormat source(TDragDropComponentRole::Source);
    auto names = Names({u"/t/x/a", u"/t/y/b"});
    source.Filenames().Assign(*names);
    TPIDLClipboardFormat cf;
    ASSERT_TRUE(source.AssignTo(&cf));
    FORMATETC req = cf.FormatEtc();
    req.tymed = TYMED_HGLOBAL;
    STGMEDIUM m;
    ASSERT_TRUE(cf.WriteOnRequest(req, m));
    std::vector<uint8_t> block = GlobalBytes(m.hGlobal);
    // count 2, three offsets, then parent "t" (4 + 2), children "x","a" and "y","b" (4 + 4 + 2 each).
    ASSERT_EQ(block.size(), 4u * 4 + 6 + 10 + 10);
    EXPECT_EQ(block[0], 2);
    EXPECT_EQ(block[4], 16);

    TPIDLClipboardFormat back;
    ASSERT_TRUE(back.GetDataFromMedium(m));
    TPIDLDataFormat target(TDragDropComponentRole::Target);
    ASSERT_TRUE(target.Assign(&back));
    EXPECT_EQ(ViewNames(target.Filenames()), (std::vector<std::u16string>{u"/t/x/a", u"/t/y/b"}));
}

TEST(ItemIdLists, MalformedBlocksReadAsNoData) {
    // A good block to spoil: parent "t", one child "a".
    std::vector<uint8_t> good = {1, 0, 0, 0, 12, 0, 0, 0, 18, 0, 0, 0,
                                 4, 0, 't', 0, 0, 0, 4, 0, 'a', 0, 0, 0};
    struct Case {
        const char* name;
        std::vector<uint8_t> block;
    };
    std::vector<Case> cases;
    cases.push_back({"shorter than a count", {1, 0, 0}});
    cases.push_back({"count 0, no offset", {0, 0, 0, 0}});
    cases.push_back({"shorter than its count implies", std::vector<uint8_t>(good.begin(), good.begin() + 11)});
    auto outside = good;
    Put32(outside, 8, 400);
    cases.push_back({"an offset outside", outside});
    auto atEnd = good;
    Put32(atEnd, 8, static_cast<uint32_t>(good.size() - 1));
    cases.push_back({"an offset at the last byte", atEnd});
    auto unterminated = good;
    unterminated.resize(good.size() - 2);
    cases.push_back({"an unterminated list", unterminated});
    auto overlong = good;
    overlong[18] = 0xF0; // an item larger than the block
    cases.push_back({"an item past the end", overlong});
    auto tiny = good;
    tiny[18] = 1; // an item too small to hold its size
    cases.push_back({"an item of size 1", tiny});
    auto huge = good;
    Put32(huge, 0, 0x40000000u); // 8 x count + 4 wraps to 4 in 32 bits
    cases.push_back({"count 0x40000000", huge});
    cases.push_back({"parent only", {0, 0, 0, 0, 8, 0, 0, 0, 0, 0}});
    for (const Case& c : cases) {
        STGMEDIUM m;
        m.tymed = TYMED_HGLOBAL;
        m.hGlobal = GlobalFromBytes(c.block.data(), c.block.size());
        TPIDLClipboardFormat f;
        EXPECT_FALSE(f.GetDataFromMedium(m)) << c.name;
        EXPECT_FALSE(f.HasData()) << c.name;
    }
    STGMEDIUM m;
    m.tymed = TYMED_HGLOBAL;
    m.hGlobal = GlobalFromBytes(good.data(), good.size());
    TPIDLClipboardFormat f;
    EXPECT_TRUE(f.GetDataFromMedium(m));
    EXPECT_EQ(ViewNames(f.Filenames()), (std::vector<std::u16string>{u"/t/a"}));
}
