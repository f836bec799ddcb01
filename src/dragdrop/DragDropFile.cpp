#include "DragDropFile.h"

#include "Exceptions.h"
#include "OleCodePages.h"

#include <stdexcept>

namespace pem {

// ---- TUnicodeStrings

void TUnicodeStrings::Assign(const TUnicodeStrings& source) {
    if (&source == this) return;
    BeginUpdate();
    try {
        Clear();
        SetCapacity(source.Count());
        for (int i = 0; i < source.Count(); ++i) Add(source.Get(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TUnicodeStrings::Assign(const TStringList& source) {
    BeginUpdate();
    try {
        Clear();
        SetCapacity(source.Count());
        for (int i = 0; i < source.Count(); ++i) Add(MultiByteToWideChar(CP_ACP, source[i]));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TUnicodeStrings::AssignTo(TStringList& dest) const {
    dest.Clear();
    for (int i = 0; i < Count(); ++i) dest.Add(WideCharToMultiByte(CP_ACP, Get(i)));
}

int TUnicodeStrings::Add(const std::u16string& s) {
    int i = Count();
    Insert(i, s);
    return i;
}

int TUnicodeStrings::IndexOf(const std::u16string& s) const {
    for (int i = Count() - 1; i >= 0; --i)
        if (Get(i) == s) return i;
    return -1;
}

void TUnicodeStrings::Exchange(int i, int j) {
    std::u16string a = Get(i);
    Put(i, Get(j));
    Put(j, a);
}

void TUnicodeStrings::Move(int from, int to) {
    if (from == to) return;
    std::u16string s = Get(from);
    BeginUpdate();
    Delete(from);
    Insert(to, s);
    EndUpdate();
}

void TUnicodeStrings::BeginUpdate() {
    if (updateCount_ == 0) Changing();
    ++updateCount_;
}

void TUnicodeStrings::EndUpdate() {
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0) Changed();
}

void TUnicodeStrings::Changed() {
    if (updateCount_ == 0 && OnChange) OnChange(this);
}

void TUnicodeStrings::Changing() {
    if (updateCount_ == 0 && OnChanging) OnChanging(this);
}

// ---- TUnicodeStringList

void TUnicodeStringList::IndexError(int index) {
    throw Exception("List index out of bounds (" + std::to_string(index) + ")");
}

void TUnicodeStringList::SetCapacity(int capacity) {
    if (capacity < Count()) throw std::logic_error("Capacity below the count");
    capacity_ = capacity;
    items_.reserve(static_cast<size_t>(capacity));
}

void TUnicodeStringList::Grow() {
    int delta = capacity_ > 64 ? capacity_ / 4 : capacity_ > 8 ? 16 : 4;
    SetCapacity(capacity_ + delta);
}

std::u16string TUnicodeStringList::Get(int index) const {
    if (index < 0 || index >= Count()) IndexError(index);
    return items_[static_cast<size_t>(index)];
}

void TUnicodeStringList::Put(int index, const std::u16string& s) {
    if (index < 0 || index >= Count()) IndexError(index);
    Changing();
    items_[static_cast<size_t>(index)] = s;
    Changed();
}

void TUnicodeStringList::Insert(int index, const std::u16string& s) {
    if (index < 0 || index > Count()) IndexError(index);
    Changing();
    if (Count() == capacity_) Grow();
    items_.insert(items_.begin() + index, s);
    Changed();
}

void TUnicodeStringList::Clear() {
    if (items_.empty() && capacity_ == 0) return;
    Changing();
    items_.clear();
    capacity_ = 0;
    Changed();
}

void TUnicodeStringList::Delete(int index) {
    if (index < 0 || index >= Count()) IndexError(index);
    Changing();
    items_.erase(items_.begin() + index);
    Changed();
}

void TUnicodeStringList::Exchange(int i, int j) {
    if (i < 0 || i >= Count()) IndexError(i);
    if (j < 0 || j >= Count()) IndexError(j);
    Changing();
    std::swap(items_[static_cast<size_t>(i)], items_[static_cast<size_t>(j)]);
    Changed();
}

// ---- TUnicodeStringsAdapter

std::u16string TUnicodeStringsAdapter::Get(int index) const {
    return MultiByteToWideChar(CP_ACP, strings_[index]);
}

void TUnicodeStringsAdapter::Put(int index, const std::u16string& s) {
    strings_.Put(index, WideCharToMultiByte(CP_ACP, s));
}

void TUnicodeStringsAdapter::Insert(int index, const std::u16string& s) {
    strings_.Insert(index, WideCharToMultiByte(CP_ACP, s));
}

} // namespace pem
