#include "StringList.h"

#include "CharSet1252.h"
#include "Exceptions.h"
#include "SafeFiles.h"

#include <algorithm>

namespace pem {

TStringList::TStringList(std::initializer_list<std::string> items) {
    for (const auto& s : items) items_.push_back({s, nullptr});
}

int TStringList::Compare(std::string_view a, std::string_view b) const {
    return CaseSensitive ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

void TStringList::Put(int i, const std::string& s) {
    items_.at(static_cast<size_t>(i)).s = s;
}

int TStringList::Add(const std::string& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const std::string& s, TObject obj) {
    if (!sorted_) {
        items_.push_back({s, std::move(obj)});
        return Count() - 1;
    }
    int index = 0;
    if (Find(s, index)) {
        if (Duplicates == TDuplicates::dupIgnore) return -1;
        if (Duplicates == TDuplicates::dupError) throw Exception("String list does not allow duplicates");
    }
    items_.insert(items_.begin() + index, Item{s, std::move(obj)});
    return index;
}

void TStringList::AddStrings(const TStringList& other) {
    for (const auto& it : other.items_) AddObject(it.s, it.obj);
}

void TStringList::Insert(int i, const std::string& s, TObject obj) {
    if (i < 0 || i > Count()) throw Exception("List index out of bounds (" + std::to_string(i) + ")");
    items_.insert(items_.begin() + i, Item{s, std::move(obj)});
}

void TStringList::Delete(int i) {
    if (i < 0 || i >= Count()) throw Exception("List index out of bounds (" + std::to_string(i) + ")");
    items_.erase(items_.begin() + i);
}

void TStringList::Exchange(int i, int j) {
    std::swap(items_.at(static_cast<size_t>(i)), items_.at(static_cast<size_t>(j)));
}

void TStringList::Move(int from, int to) {
    if (from == to) return;
    Item it = items_.at(static_cast<size_t>(from));
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + std::clamp(to, 0, Count()), std::move(it));
}

int TStringList::IndexOf(std::string_view s) const {
    if (sorted_) {
        int index = 0;
        return Find(s, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i) {
        if (Compare(items_[static_cast<size_t>(i)].s, s) == 0) return i;
    }
    return -1;
}

int TStringList::IndexOfObject(const void* obj) const {
    for (int i = 0; i < Count(); ++i) {
        if (items_[static_cast<size_t>(i)].obj.get() == obj) return i;
    }
    return -1;
}

bool TStringList::Find(std::string_view s, int& index) const {
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = Compare(items_[static_cast<size_t>(mid)].s, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (Duplicates != TDuplicates::dupAccept) lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

std::string TStringList::Names(int i) const {
    const std::string& s = (*this)[i];
    auto p = s.find(NameValueSeparator);
    return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStringList::ValueFromIndex(int i) const {
    const std::string& s = (*this)[i];
    auto p = s.find(NameValueSeparator);
    return p == std::string::npos ? std::string() : s.substr(p + 1);
}

int TStringList::IndexOfName(std::string_view name) const {
    for (int i = 0; i < Count(); ++i) {
        const std::string& s = items_[static_cast<size_t>(i)].s;
        auto p = s.find(NameValueSeparator);
        if (p != std::string::npos && Compare(std::string_view(s).substr(0, p), name) == 0) return i;
    }
    return -1;
}

std::string TStringList::Values(std::string_view name) const {
    int i = IndexOfName(name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValue(std::string_view name, const std::string& value) {
    int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    std::string line = std::string(name) + NameValueSeparator + value;
    if (i < 0) Add(line);
    else Put(i, line);
}

std::string TStringList::Text() const {
    size_t total = 0;
    for (const auto& it : items_) total += it.s.size() + LineBreak.size();
    std::string out;
    out.reserve(total);
    for (const auto& it : items_) {
        out += it.s;
        out += LineBreak;
    }
    return out;
}

void TStringList::SetText(std::string_view text) {
    items_.clear();
    // One allocation for the list of a long text.
    size_t breaks = 0;
    for (char c : text) breaks += c == '\n' || c == '\r';
    items_.reserve(breaks + 1);
    bool first = true;
    size_t start = 0;
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            items_.push_back({std::string(text.substr(start, i - start)), nullptr});
            bool crlf = c == '\r' && i + 1 < n && text[i + 1] == '\n';
            if (first) {
                LineBreak = crlf ? "\r\n" : (c == '\r' ? "\r" : "\n");
                first = false;
            }
            i += crlf ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n) items_.push_back({std::string(text.substr(start)), nullptr});
    if (sorted_) Sort();
}

namespace {
bool NeedsQuote(const std::string& s, char delim, char quote, bool strict) {
    if (s.empty()) return true;
    for (char c : s) {
        if (c == delim || c == quote) return true;
        if (!strict && static_cast<unsigned char>(c) <= ' ') return true;
    }
    return false;
}
} // namespace

std::string TStringList::DelimitedText() const {
    std::string out;
    for (int i = 0; i < Count(); ++i) {
        if (i) out += Delimiter;
        const std::string& s = items_[static_cast<size_t>(i)].s;
        if (NeedsQuote(s, Delimiter, QuoteChar, StrictDelimiter)) {
            out += QuoteChar;
            for (char c : s) {
                if (c == QuoteChar) out += QuoteChar;
                out += c;
            }
            out += QuoteChar;
        } else {
            out += s;
        }
    }
    return out;
}

void TStringList::SetDelimitedText(std::string_view text) {
    items_.clear();
    size_t i = 0;
    const size_t n = text.size();
    auto skipBlanks = [&] {
        if (StrictDelimiter) return;
        while (i < n && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    };
    skipBlanks();
    while (i < n) {
        std::string item;
        if (text[i] == QuoteChar) {
            ++i;
            while (i < n) {
                if (text[i] == QuoteChar) {
                    if (i + 1 < n && text[i + 1] == QuoteChar) {
                        item += QuoteChar;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            while (i < n && text[i] != Delimiter &&
                   (StrictDelimiter || static_cast<unsigned char>(text[i]) > ' ')) {
                item += text[i++];
            }
        }
        items_.push_back({item, nullptr});
        skipBlanks();
        if (i < n && text[i] == Delimiter) {
            ++i;
            skipBlanks();
            if (i >= n) items_.push_back({std::string(), nullptr});
        }
    }
    if (sorted_) Sort();
}

std::string TStringList::CommaText() const {
    TStringList copy = *this;
    copy.Delimiter = ',';
    copy.QuoteChar = '"';
    copy.StrictDelimiter = false;
    return copy.DelimitedText();
}

void TStringList::SetCommaText(std::string_view text) {
    char d = Delimiter, q = QuoteChar;
    bool st = StrictDelimiter;
    Delimiter = ',';
    QuoteChar = '"';
    StrictDelimiter = false;
    SetDelimitedText(text);
    Delimiter = d;
    QuoteChar = q;
    StrictDelimiter = st;
}

void TStringList::LoadFromFile(const std::string& fileName) {
    // Only a regular file: a FIFO would hang the read, /dev/zero never end.
    SetText(ReadRegularFile(fileName));
}

void TStringList::SaveToFile(const std::string& fileName, const std::string& name) const {
    ReplaceFileText(fileName, Text(), name);
}

void TStringList::Sort() {
    std::stable_sort(items_.begin(), items_.end(),
                     [this](const Item& a, const Item& b) { return Compare(a.s, b.s) < 0; });
}

void TStringList::CustomSort(const std::function<int(const TStringList&, int, int)>& compare) {
    // Sort an index permutation so the compare routine sees the list as it is.
    std::vector<int> idx(items_.size());
    for (size_t i = 0; i < idx.size(); ++i) idx[i] = static_cast<int>(i);
    std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (int i : idx) sorted.push_back(std::move(items_[static_cast<size_t>(i)]));
    items_ = std::move(sorted);
}

void TStringList::SetSorted(bool v) {
    if (v && !sorted_) Sort();
    sorted_ = v;
}

bool TStringList::operator==(const TStringList& o) const {
    if (Count() != o.Count()) return false;
    for (int i = 0; i < Count(); ++i) {
        if (items_[static_cast<size_t>(i)].s != o.items_[static_cast<size_t>(i)].s) return false;
    }
    return true;
}

} // namespace pem
