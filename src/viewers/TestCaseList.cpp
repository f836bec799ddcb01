#include "TestCaseList.h"

#include "BaseStrings.h"
#include "BaseUtils.h"

#include <algorithm>

namespace pem {

const char* const kTestCaseSeparator = "----------------------";
const char* const kTestCaseHeader =
    "TestCase-Id  BaseType Requirement/Section/Use Case Title       Relation TestType";
const char* const kTestCaseHeaderStart = "TestCase-Id  BaseType";

bool IsTestCaseSeparator(std::string_view line) { return HasPrefix(line, kTestCaseSeparator); }

bool IsTestCaseHeader(std::string_view line) { return HasPrefix(line, kTestCaseHeader); }

bool IsProtectedTestCaseLine(std::string_view line) {
    return line.empty() || HasPrefix(line, kTestCaseHeaderStart) || IsTestCaseSeparator(line);
}

namespace {
bool IsPageHead(std::string_view line) { return IsTestCaseSeparator(line) || IsTestCaseHeader(line); }
} // namespace

int TestCaseIdentifierWidth(const std::vector<std::string>& lines) {
    int width = 12;
    const size_t n = std::min<size_t>(lines.size(), 16);
    for (size_t i = 0; i < n; ++i) {
        const std::string_view head = TrimCharSetView(std::string_view(lines[i]).substr(0, 12), csControlAndBlank);
        if (!head.empty()) width = std::min(width, static_cast<int>(head.size()));
    }
    return width;
}

std::string_view TestCaseContent(std::string_view line, int width) {
    const size_t from = static_cast<size_t>(std::max(0, width));
    if (line.size() <= from) return {};
    return line.substr(from, static_cast<size_t>(80 - width));
}

int RemoveTrailingPageHeads(std::vector<std::string>& lines) {
    int removed = 0;
    while (removed < 3 && !lines.empty() && IsPageHead(lines.back())) {
        lines.pop_back();
        ++removed;
    }
    return removed;
}

// Both backward passes remove lines only at or after the line they stand
// on, so the lines after it are kept on a stack (the next line on top) and
// each pass is linear however many pages it removes.
namespace {
std::vector<std::string> Rejoin(std::vector<std::string>& lines, size_t headCount, std::vector<std::string>& tail) {
    std::vector<std::string> out;
    out.reserve(headCount + tail.size());
    for (size_t i = 0; i < headCount; ++i) out.push_back(std::move(lines[i]));
    for (auto it = tail.rbegin(); it != tail.rend(); ++it) out.push_back(std::move(*it));
    return out;
}
const std::string* Next(const std::vector<std::string>& tail, size_t k) {
    return tail.size() > k ? &tail[tail.size() - 1 - k] : nullptr;
}
} // namespace

int RemovePageBreakRepeats(std::vector<std::string>& lines, int width) {
    const size_t n = lines.size();
    if (n < 6) return 0;
    std::vector<std::string> tail; // lines after i, the next one last
    tail.reserve(n);
    tail.push_back(std::move(lines[n - 1]));
    int removed = 0;
    for (size_t i = n - 2; i >= 4; --i) {
        const std::string* header = Next(tail, 0);
        const std::string* third = Next(tail, 2);
        if (IsTestCaseSeparator(lines[i]) && header && IsTestCaseHeader(*header) && third &&
            TestCaseContent(lines[i - 1], width) == TestCaseContent(*third, width)) {
            tail.pop_back(); // the header
            tail.pop_back(); // the line after it
            removed += 3;    // with the separator, which is not kept
        } else {
            tail.push_back(std::move(lines[i]));
        }
    }
    lines = Rejoin(lines, 4, tail);
    return removed;
}

int RemoveEmptiedPages(std::vector<std::string>& lines) {
    const size_t n = lines.size();
    if (n < 4) return 0;
    std::vector<std::string> tail;
    tail.reserve(n);
    for (size_t i = n; i-- > n - 3;) tail.push_back(std::move(lines[i]));
    int removed = 0;
    for (size_t i = n - 3; i-- > 0;) {
        const std::string* second = Next(tail, 0);
        const std::string* header = Next(tail, 1);
        if (IsTestCaseSeparator(lines[i]) && second && IsTestCaseSeparator(*second) && header &&
            IsTestCaseHeader(*header)) {
            for (int k = 0; k < 3 && !tail.empty(); ++k, ++removed) tail.pop_back();
        }
        tail.push_back(std::move(lines[i]));
    }
    lines = Rejoin(lines, 0, tail);
    return removed;
}

int CountTestCaseLines(const std::vector<std::string>& lines) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return !IsPageHead(l); }));
}

// ------------------------------------------------------------ the list

bool TTestCaseList::Load(std::vector<std::string> lines) {
    width_ = TestCaseIdentifierWidth(lines);
    int removed = RemoveTrailingPageHeads(lines);
    removed += RemovePageBreakRepeats(lines, width_);
    Reload(std::move(lines));
    return removed > 0;
}

void TTestCaseList::Reload(std::vector<std::string> lines) {
    working_ = std::move(lines);
    shown_.resize(working_.size());
    for (size_t i = 0; i < shown_.size(); ++i) shown_[i] = static_cast<int>(i);
    undo_.clear();
}

std::vector<int> TTestCaseList::Delete(int first, int last) {
    std::vector<int> removed;
    first = std::max(first, 0);
    last = std::min(last, LineCount() - 1);
    // From the last marked line to the first: each removal leaves the lines
    // before it where they are, so every entry records the line's number as
    // it stands now, and the shown list is compacted once at the end.
    for (int i = last; i >= first; --i) {
        const int w = shown_[static_cast<size_t>(i)];
        if (IsProtectedTestCaseLine(working_[static_cast<size_t>(w)])) continue;
        undo_.push_back({w, i, false});
        removed.push_back(i);
    }
    if (removed.empty()) return removed;
    undo_.back().blockMark = true;
    size_t out = static_cast<size_t>(removed.back());
    auto gone = removed.rbegin();
    for (size_t i = out; i < shown_.size(); ++i) {
        if (gone != removed.rend() && static_cast<size_t>(*gone) == i) {
            ++gone;
            continue;
        }
        shown_[out++] = shown_[i];
    }
    shown_.resize(out);
    return removed;
}

std::optional<TTestCaseList::TRestored> TTestCaseList::Undo() {
    if (undo_.empty()) return std::nullopt;
    const TTestCaseUndo e = undo_.back();
    undo_.pop_back();
    const int at = std::clamp(e.line, 0, LineCount());
    shown_.insert(shown_.begin() + at, e.working);
    return TRestored{at, working_[static_cast<size_t>(e.working)]};
}

std::vector<TTestCaseList::TRestored> TTestCaseList::UndoBlock() {
    std::vector<TTestCaseUndo> batch;
    if (undo_.empty()) return {};
    do {
        batch.push_back(undo_.back());
        undo_.pop_back();
    } while (!undo_.empty() && !undo_.back().blockMark);
    // One deletion's lines come back in rising order, each at the place it
    // finally has: they merge into the shown lines in one pass.
    const size_t total = shown_.size() + batch.size();
    bool merge = batch.front().line >= 0 && static_cast<size_t>(batch.back().line) < total;
    for (size_t k = 1; k < batch.size() && merge; ++k) merge = batch[k].line > batch[k - 1].line;
    std::vector<TRestored> restored;
    restored.reserve(batch.size());
    if (merge) {
        std::vector<int> shown(total);
        size_t from = 0, b = 0;
        for (size_t p = 0; p < total; ++p) {
            if (b < batch.size() && static_cast<size_t>(batch[b].line) == p) shown[p] = batch[b++].working;
            else shown[p] = shown_[from++];
        }
        shown_ = std::move(shown);
        for (const auto& e : batch) restored.push_back({e.line, working_[static_cast<size_t>(e.working)]});
        return restored;
    }
    for (const auto& e : batch) {
        const int at = std::clamp(e.line, 0, LineCount());
        shown_.insert(shown_.begin() + at, e.working);
        restored.push_back({at, working_[static_cast<size_t>(e.working)]});
    }
    return restored;
}

TTestCaseList::TSaved TTestCaseList::Apply() const {
    TSaved saved;
    // The undo list by working line, as numbers.
    std::vector<TTestCaseUndo> entries = undo_;
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TTestCaseUndo& a, const TTestCaseUndo& b) { return a.working < b.working; });
    std::vector<bool> gone(working_.size(), false);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const size_t w = static_cast<size_t>(it->working);
        if (w >= working_.size() || gone[w]) continue;
        gone[w] = true;
        saved.deleted.insert(working_[w].substr(0, static_cast<size_t>(width_)));
    }
    saved.lines.reserve(working_.size());
    for (size_t i = 0; i < working_.size(); ++i)
        if (!gone[i]) saved.lines.push_back(working_[i]);
    RemoveEmptiedPages(saved.lines);
    RemoveTrailingPageHeads(saved.lines);
    return saved;
}

} // namespace pem
