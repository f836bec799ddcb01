#pragma once
// The shell's item-ID list array ("Shell IDList Array"): a parent folder and
// its children, held as item-ID lists, with a read-only file-name view, its
// clipboard format and its data format; and the conversions between file
// names and item-ID lists.
#include "DragDropFile.h"
#include "DragDropFormats.h"
#include "OleShell.h"

namespace pem {

// Owned copies of item-ID lists: entry 0 the parent folder's absolute list,
// entries 1 onward the children relative to it. OnChange fires after every
// add, assign and clear.
class TPIDLList {
public:
    TPIDLList() = default;
    ~TPIDLList();
    TPIDLList(const TPIDLList&) = delete;
    TPIDLList& operator=(const TPIDLList&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    PCIDLIST operator[](int i) const { return items_.at(static_cast<size_t>(i)); }
    // Adds a copy of a well-formed list.
    int Add(PCIDLIST pidl);
    // Adds a list already allocated with CoTaskMemAlloc (taken over).
    int AddOwned(PIDLIST pidl);
    void Assign(const TPIDLList& other);
    void Clear();
    std::function<void()> OnChange;

    // The file-system path of child i (1-based entry i+1), joined to the
    // parent; empty when it is no path.
    std::u16string FileName(int child) const;

private:
    void Changed() {
        if (OnChange) OnChange();
    }
    std::vector<PIDLIST> items_;
};

// A read-only view of an item-ID list array as file names: one per child.
// Changing operations do nothing; assigning names rebuilds the array.
class TPIDLsToFilenamesStrings : public TUnicodeStrings {
public:
    explicit TPIDLsToFilenamesStrings(TPIDLList& list) : list_(list) {}
    void Assign(const TUnicodeStrings& source) override;
    void Assign(const TStringList& source) override;
    int Count() const override { return list_.Count() < 2 ? 0 : list_.Count() - 1; }
    // Raises "Filename index out of range" for a bad index.
    std::u16string Get(int index) const override;
    void Put(int, const std::u16string&) override {}
    void Insert(int, const std::u16string&) override {}
    void Clear() override {}
    void Delete(int) override {}

private:
    TPIDLList& list_;
};

// File names to an item-ID list array: the parent is the deepest folder all
// names share (the desktop when none). Raises "Failed to get interface to
// Desktop" and "Invalid filename: %s" (a folder that does not parse); false
// (and an empty list) when a name does not parse.
bool FilenamesToPIDLs(const TUnicodeStrings& names, TPIDLList& list);

class TPIDLClipboardFormat : public TCustomSimpleClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TPIDLClipboardFormat)
public:
    TPIDLClipboardFormat() : filenames_(pidls_) {}
    CLIPFORMAT GetClipboardFormat() override;
    void Clear() override { pidls_.Clear(); }
    bool HasData() override { return pidls_.Count() > 0; }
    TPIDLList& Pidls() { return pidls_; }
    TUnicodeStrings& Filenames() { return filenames_; }

protected:
    // Reads the block when it is long enough for its count and every entry
    // lies whole inside it; succeeds with a parent and at least one child.
    bool ReadData(const void* value, size_t size) override;
    bool WriteData(void* value, size_t size) override;
    size_t GetSize() override;

private:
    TPIDLList pidls_;
    TPIDLsToFilenamesStrings filenames_;
};

class TPIDLDataFormat : public TCustomDataFormat {
    PEM_DATA_FORMAT(TPIDLDataFormat)
public:
    explicit TPIDLDataFormat(TDragDropComponent* owner);
    explicit TPIDLDataFormat(TDragDropComponentRole role);
    bool Assign(TClipboardFormat* source) override;
    bool AssignTo(TClipboardFormat* dest) override;
    void Clear() override { pidls_.Clear(); }
    bool HasData() override { return pidls_.Count() > 0; }
    bool NeedsData() override { return pidls_.Count() == 0; }
    TPIDLList& Pidls() { return pidls_; }
    TUnicodeStrings& Filenames() { return filenames_; }

private:
    TPIDLList pidls_;
    TPIDLsToFilenamesStrings filenames_{pidls_};
};

// The start-up of this unit: the item-ID list data format and its format.
void InitialiseDragDropPIDL();

} // namespace pem
