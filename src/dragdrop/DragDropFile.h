#pragma once
// Wide-string lists of the file side of the library: the abstract list with
// its change notifications and update counter, the growable list, and the
// wide view of an 8-bit string list. Wide strings are UTF-16.
#include "StringList.h"

#include <functional>
#include <string>
#include <vector>

namespace pem {

class TUnicodeStrings {
public:
    TUnicodeStrings() = default;
    virtual ~TUnicodeStrings() = default;
    TUnicodeStrings(const TUnicodeStrings&) = delete;
    TUnicodeStrings& operator=(const TUnicodeStrings&) = delete;

    // Replaces the contents (begin update, clear, capacity, add each, end update).
    virtual void Assign(const TUnicodeStrings& source);
    // The same from an 8-bit list (Windows-1252), and into one.
    virtual void Assign(const TStringList& source);
    virtual void AssignTo(TStringList& dest) const;

    virtual int Capacity() const { return Count(); }
    virtual void SetCapacity(int) {}
    virtual int Count() const = 0;
    virtual std::u16string Get(int index) const = 0;
    virtual void Put(int index, const std::u16string& s) = 0;
    virtual int Add(const std::u16string& s);
    // The last index whose string is equal (exactly), -1 when none.
    virtual int IndexOf(const std::u16string& s) const;
    virtual void Insert(int index, const std::u16string& s) = 0;
    virtual void Clear() = 0;
    virtual void Delete(int index) = 0;
    virtual void Exchange(int i, int j);
    virtual void Move(int from, int to);

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }
    std::u16string operator[](int index) const { return Get(index); }

    std::function<void(TUnicodeStrings*)> OnChange;
    std::function<void(TUnicodeStrings*)> OnChanging;

protected:
    // Fire OnChange / OnChanging while no update is pending.
    virtual void Changed();
    virtual void Changing();

private:
    int updateCount_ = 0;
};

// A growable array of wide strings. When full it grows by a quarter of its
// capacity above 64, by 16 above 8, else by 4. A bad index raises "List
// index out of bounds (%d)".
class TUnicodeStringList : public TUnicodeStrings {
public:
    int Capacity() const override { return capacity_; }
    void SetCapacity(int capacity) override;
    int Count() const override { return static_cast<int>(items_.size()); }
    std::u16string Get(int index) const override;
    void Put(int index, const std::u16string& s) override;
    void Insert(int index, const std::u16string& s) override;
    void Clear() override;
    void Delete(int index) override;
    void Exchange(int i, int j) override;

private:
    void Grow();
    [[noreturn]] static void IndexError(int index);
    std::vector<std::u16string> items_;
    int capacity_ = 0;
};

// A wide view of an 8-bit string list: every operation is forwarded, the
// strings converted through Windows-1252.
class TUnicodeStringsAdapter : public TUnicodeStrings {
public:
    explicit TUnicodeStringsAdapter(TStringList& strings) : strings_(strings) {}
    int Count() const override { return strings_.Count(); }
    std::u16string Get(int index) const override;
    void Put(int index, const std::u16string& s) override;
    void Insert(int index, const std::u16string& s) override;
    void Clear() override { strings_.Clear(); }
    void Delete(int index) override { strings_.Delete(index); }

private:
    TStringList& strings_;
};

} // namespace pem
