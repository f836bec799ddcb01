// What a picked word dropped on the create edit puts there, and which drags
// each target takes.
#include "WordPicking.h"

#include <gtest/gtest.h>

using namespace pem;

TEST(WordPicking, DragDataSurvivesItsBytes) {
    for (const TWordDrag d : {TWordDrag{TWordDragSource::SourceText, "two\nlines"},
                              TWordDrag{TWordDragSource::ControlWords, "INPT word"}}) {
        const auto back = DecodeWordDrag(EncodeWordDrag(d));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->source, d.source);
        EXPECT_EQ(back->text, d.text);
    }
    EXPECT_FALSE(DecodeWordDrag(""));
    EXPECT_FALSE(DecodeWordDrag("Xsomething"));
}

TEST(WordPicking, DropOnTheCreateEdit) {
    const struct {
        TWordDrag drag;
        std::string word;
        std::optional<std::string> code;
    } cases[] = {
        {{TWordDragSource::SourceText, "shall be\nnext line"}, "shall be", std::nullopt},
        {{TWordDragSource::SourceText, "first\r\nsecond"}, "first", std::nullopt},
        {{TWordDragSource::SourceText, ""}, "", std::nullopt},
        {{TWordDragSource::ControlWords, "INPT data base"}, "data base", "INPT"},
        {{TWordDragSource::ControlWords, "AB   x"}, "x", "AB  "},
    };
    for (const auto& c : cases) {
        const TCreateWordFields f = DropOnCreateWordEdit(c.drag);
        EXPECT_EQ(f.word, c.word) << c.drag.text;
        EXPECT_EQ(f.code, c.code) << c.drag.text;
    }
}

TEST(WordPicking, TheListsTakeOnlyTheirOwnDrags) {
    using S = TWordDragSource;
    using T = TWordDropTarget;
    EXPECT_TRUE(AcceptsWordDrag(T::CreateWordEdit, S::SourceText));
    EXPECT_TRUE(AcceptsWordDrag(T::CreateWordEdit, S::ControlWords));
    EXPECT_TRUE(AcceptsWordDrag(T::ControlWords, S::ControlWords));
    EXPECT_FALSE(AcceptsWordDrag(T::ControlWords, S::SourceText));
    EXPECT_TRUE(AcceptsWordDrag(T::SourceText, S::SourceText));
    EXPECT_FALSE(AcceptsWordDrag(T::SourceText, S::ControlWords));
}
