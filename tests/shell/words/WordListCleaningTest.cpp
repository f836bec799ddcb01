// Cleaning word lists: doubled items, words under several codes, undefined
// codes.
#include "WordListCleaning.h"

#include <gtest/gtest.h>

using namespace pem;
using Items = std::vector<std::string>;
using Positions = std::vector<size_t>;

TEST(WordListCleaning, DuplicateItems) {
    const struct {
        const char* what;
        Items items;
        bool controlTags;
        Positions gone;
    } cases[] = {
        {"runs of equal nouns keep their first", {"a", "a", "b", "b", "b", "c"}, false, {1, 3, 4}},
        {"letter case makes a difference", {"Data", "data"}, false, {}},
        {"nouns are not compared by word", {"INPT data", "OTPT data"}, false, {}},
        {"a word under several codes keeps the one that sorts last",
         {"INPT data", "INPT data", "OTPT data", "INPT file", "PROC x"}, true, {0, 1}},
        {"three codes: the first two go", {"CASE w", "INPT w", "OTPT w"}, true, {0, 1}},
        {"an empty list", {}, true, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(DuplicateItems(c.items, c.controlTags), c.gone) << c.what;
}

TEST(WordListCleaning, UnidentifiedItemsAreThoseOfUndefinedType) {
    EXPECT_EQ(UnidentifiedItems({"???? a", "INPT b", "????", "??", "?????x"}), (Positions{0, 2, 4}));
}
