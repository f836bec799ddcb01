#pragma once
// TStringList: the ordered list of 8-bit strings with attached objects and
// name=value access that forms, parameter files and reports all share.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pem {

using TObject = std::shared_ptr<void>;

enum class TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList {
public:
    struct Item {
        std::string s;
        TObject obj;
    };

    TStringList() = default;
    TStringList(std::initializer_list<std::string> items);

    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    const std::string& operator[](int i) const { return items_.at(static_cast<size_t>(i)).s; }
    const std::string& Get(int i) const { return (*this)[i]; }
    void Put(int i, const std::string& s);
    const TObject& Objects(int i) const { return items_.at(static_cast<size_t>(i)).obj; }
    void PutObject(int i, TObject obj) { items_.at(static_cast<size_t>(i)).obj = std::move(obj); }

    // Appends (or inserts in order when Sorted); returns the index, -1 when a
    // duplicate was ignored. Raises Exception "String list does not allow
    // duplicates" when Duplicates is dupError.
    int Add(const std::string& s);
    int AddObject(const std::string& s, TObject obj);
    void AddStrings(const TStringList& other);
    void Insert(int i, const std::string& s, TObject obj = nullptr);
    void Delete(int i);
    void Clear() { items_.clear(); }
    void Exchange(int i, int j);
    void Move(int from, int to);
    void Assign(const TStringList& other) { *this = other; }

    int IndexOf(std::string_view s) const;
    int IndexOfObject(const void* obj) const;
    // Position of s in a sorted list, or where it would go.
    bool Find(std::string_view s, int& index) const;

    // name=value: the name is the part before the first NameValueSeparator.
    std::string Names(int i) const;
    std::string ValueFromIndex(int i) const;
    int IndexOfName(std::string_view name) const;
    std::string Values(std::string_view name) const;
    // Setting an empty value deletes the entry, as string lists always did.
    void SetValue(std::string_view name, const std::string& value);

    // All lines, each followed by LineBreak.
    std::string Text() const;
    // Splits at CR LF, LF or CR; remembers CR LF as LineBreak when the first
    // line end is one, so that a list read and written back keeps its ends.
    void SetText(std::string_view text);
    // Comma-separated form; items with blanks, commas or quotes are quoted.
    std::string CommaText() const;
    void SetCommaText(std::string_view text);
    std::string DelimitedText() const;
    void SetDelimitedText(std::string_view text);

    // Raise EFileError "Can not open file %s" / "Can not create file %s".
    // Only a regular file is read (see ReadRegularFile): other kinds raise
    // "Can not open file %s: not a regular file".
    void LoadFromFile(const std::string& fileName);
    // Replaces the file in one step (ReplaceFileText): the old file stays
    // whole until the new text is complete; messages name the file by name
    // (the file name when empty).
    void SaveToFile(const std::string& fileName, const std::string& name = {}) const;

    void Sort();
    void CustomSort(const std::function<int(const TStringList&, int, int)>& compare);

    bool Sorted() const { return sorted_; }
    void SetSorted(bool v);

    TDuplicates Duplicates = TDuplicates::dupIgnore;
    bool CaseSensitive = false;
    char NameValueSeparator = '=';
    char Delimiter = ',';
    char QuoteChar = '"';
    bool StrictDelimiter = false;
    std::string LineBreak = "\n";

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    std::vector<Item>& Items() { return items_; }
    const std::vector<Item>& Items() const { return items_; }

    bool operator==(const TStringList& o) const;

private:
    int Compare(std::string_view a, std::string_view b) const;

    std::vector<Item> items_;
    bool sorted_ = false;
};

} // namespace pem
