#pragma once
// Cleaning a word list: doubled entries and control words of undefined type.
// Both work on the items in list order (the list sorted beforehand) and
// return the positions to delete, in ascending order.
#include <cstddef>
#include <string>
#include <vector>

namespace pem {

// Items equal (case-sensitive) to the item before them. For the control-word
// list (controlTags) also, of a word (the text from character 6) left under
// several codes, every occurrence but the last in list order.
std::vector<size_t> DuplicateItems(const std::vector<std::string>& items, bool controlTags);

// Control-word items whose code is "????".
std::vector<size_t> UnidentifiedItems(const std::vector<std::string>& items);

} // namespace pem
