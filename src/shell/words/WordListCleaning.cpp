#include "WordListCleaning.h"

#include "WordListFile.h"

#include <string_view>
#include <unordered_map>

namespace pem {

std::vector<size_t> DuplicateItems(const std::vector<std::string>& items, bool controlTags) {
    std::vector<bool> gone(items.size(), false);
    for (size_t i = 1; i < items.size(); ++i) gone[i] = items[i] == items[i - 1];
    if (controlTags) {
        // The words of what is left, counted once; then each occurrence but
        // the last goes.
        auto wordOf = [&](size_t i) {
            const std::string& s = items[i];
            return s.size() > 5 ? std::string_view(s).substr(5) : std::string_view();
        };
        std::unordered_map<std::string_view, size_t> left;
        left.reserve(items.size());
        for (size_t i = 0; i < items.size(); ++i)
            if (!gone[i]) ++left[wordOf(i)];
        for (size_t i = 0; i < items.size(); ++i) {
            if (gone[i]) continue;
            size_t& n = left[wordOf(i)];
            if (n > 1) {
                gone[i] = true;
                --n;
            }
        }
    }
    std::vector<size_t> out;
    for (size_t i = 0; i < items.size(); ++i)
        if (gone[i]) out.push_back(i);
    return out;
}

std::vector<size_t> UnidentifiedItems(const std::vector<std::string>& items) {
    std::vector<size_t> out;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].compare(0, 4, kUndefinedWordType) == 0) out.push_back(i);
    return out;
}

} // namespace pem
