#include "FileFilter.h"

#include "BaseFileUtils.h"
#include "CharSet1252.h"

namespace pem {

namespace {

const char* const kMissingFilter = "Shell program error, missing filter definition, inform Valtmoor";
const char* const kFallbackFilter = "All files (Possible definition error)|*.*";

std::string LanguageFilter(const TIniLookup& lookup, const std::string& code, const std::string& version,
                           TSourceMessages& messages) {
    std::string filter = lookup(code + ".Filters");
    if (!version.empty()) {
        const std::string more = lookup(version + ".Filters");
        if (!more.empty()) filter += "|" + more;
    }
    if (filter.empty()) {
        messages.push_back({TSourceMessage::Info, kMissingFilter});
        filter = kFallbackFilter;
    }
    if (!filter.empty() && filter.front() == '|') filter.erase(0, 1);
    return filter;
}

} // namespace

std::string GetFileFilter(const TIniLookup& lookup, const std::string& key, const std::string& version,
                          const std::string& activeCode, const TFilterGroup& group, TSourceMessages& messages) {
    if (key != kSubProcessorGroup) return LanguageFilter(lookup, key, version, messages);
    if (!group.defined) {
        messages.push_back(
            {TSourceMessage::Warning, "Installation error #1, " + activeCode + ".SubProcessors is missing from ini file"});
        return {};
    }
    for (const std::string& item : group.loops)
        messages.push_back({TSourceMessage::Warning, std::string(kSubProcessorGroup) + ".SubProcessors: " + item +
                                                         " names the group itself and is skipped"});
    std::string filter;
    for (const std::string& code : group.codes) filter += "|" + LanguageFilter(lookup, code, {}, messages);
    if (!filter.empty() && filter.front() == '|') filter.erase(0, 1);
    return filter;
}

TExtensionList::TExtensionList(const std::string& filter) {
    std::string line;
    auto flush = [this, &line] {
        if (!line.empty()) {
            const std::string lower = AnsiLowerCase(line);
            // An extension as the file search names it: a dot and no blank,
            // wildcard or bracket; "*.*" becomes ".*", which no file has.
            bool plain = lower.size() > 1 && lower[0] == '.';
            for (char c : lower.substr(1))
                if (c == '.' || c == '*' || c == '?' || c == ' ' || c == '(' || c == ')') plain = false;
            if (lines_.insert(lower).second && plain) extensions_.push_back(lower);
        }
        line.clear();
    };
    for (std::size_t i = 0; i < filter.size(); ++i) {
        const char c = filter[i];
        if (c == ';' || c == '|' || c == '\r' || c == '\n') {
            flush();
        } else if (c == '*' && i + 1 < filter.size() && filter[i + 1] == '.') {
            line += '.';
            ++i;
        } else {
            line += c;
        }
    }
    flush();
}

bool TExtensionList::Admits(std::string_view path) const {
    const std::string ext = ExtractFileExt(std::string(path));
    return !ext.empty() && lines_.count(AnsiLowerCase(ext)) > 0;
}

std::string TExtensionList::SearchList() const {
    std::string list;
    for (const std::string& e : extensions_) list += e + ";";
    return list;
}

std::string UnsafeSourceNameReason(std::string_view path) {
    for (unsigned char c : path)
        if (c < 0x20 || c == 0x7F) return "its name holds a line break or another control character";
    if (path.find_first_of("<>") != std::string_view::npos) return "its name holds \"<\" or \">\"";
    return {};
}

namespace {

std::string RefusalMessage(const char* lead, std::string_view path, const std::string& reason) {
    std::string shown(path);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return lead + reason + ": " + shown;
}

} // namespace

std::string SkippedSourceMessage(std::string_view path, const std::string& reason) {
    return RefusalMessage("File skipped, ", path, reason);
}

std::string LeftOutSourceMessage(std::string_view path, const std::string& reason) {
    return RefusalMessage("Left out of the run, ", path, reason);
}

} // namespace pem
