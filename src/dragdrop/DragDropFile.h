#pragma once
// The file side of the library. Wide-string lists: the abstract list with
// its change notifications and update counter, the growable list, and the
// wide view of an 8-bit string list (wide strings are UTF-16). The shell's
// file clipboard formats (CF_HDROP, "FileName", "FileNameW", the file-name
// maps, the file group descriptors and "FileContents"), the data formats that
// collect them, and the two components the program uses: TDropFileTarget,
// which receives dropped files, and TDropFileSource, which drags files out.
#include "DragDropText.h"
#include "DropSource.h"
#include "DropTarget.h"
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
    using TUnicodeStrings::Assign;
    void Assign(const TUnicodeStrings& source) override;
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

// ---- CF_HDROP

// The DROPFILES block: pFiles (the offset of the names, 20 when written), a
// point, a non-client flag, fWide, then the names, each ended by a NUL
// character, and one more NUL character. Names are always written wide.
class TFileClipboardFormat : public TCustomSimpleClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TFileClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
    void Clear() override { files_.Clear(); }
    bool HasData() override { return files_.Count() > 0; }
    TUnicodeStringList& Files() { return files_; }
    bool Wide() const { return wide_; }
    void SetWide(bool wide) { wide_ = wide; }

protected:
    // A block shorter than 21 bytes, or whose names do not start at 20 or
    // later inside it, is not read. Names end at the first empty one or
    // where the block ends (a last name without its NUL ends there too);
    // an odd last byte of wide names is ignored. True with a name.
    bool ReadData(const void* value, size_t size) override;
    bool WriteData(void* value, size_t size) override;
    // The names' characters with their NULs (twice for wide names) + 22.
    size_t GetSize() override;

private:
    TUnicodeStringList files_;
    bool wide_ = true;
};

// ---- one file name as text: "FileName" and "FileNameW"

class TAnsiFilenameClipboardFormat : public TCustomAnsiTextClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TAnsiFilenameClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
    const std::string& Filename() const { return data_; }
    void SetFilename(const std::string& s) { data_ = s; }
};

class TUnicodeFilenameClipboardFormat : public TCustomUnicodeTextClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TUnicodeFilenameClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
    const std::u16string& Filename() const { return text_; }
    void SetFilename(const std::u16string& s) { text_ = s; }
};

// ---- file-name maps: names each ended by a NUL, then one more NUL

class TAnsiFilenameMapClipboardFormat : public TCustomSimpleClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TAnsiFilenameMapClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
    void Clear() override { names_.Clear(); }
    bool HasData() override { return names_.Count() > 0; }
    TStringList& FileMaps() { return names_; }

protected:
    bool ReadData(const void* value, size_t size) override;
    bool WriteData(void* value, size_t size) override;
    size_t GetSize() override;

private:
    TStringList names_;
};

class TUnicodeFilenameMapClipboardFormat : public TCustomSimpleClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TUnicodeFilenameMapClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
    void Clear() override { names_.Clear(); }
    bool HasData() override { return names_.Count() > 0; }
    TUnicodeStringList& FileMaps() { return names_; }

protected:
    bool ReadData(const void* value, size_t size) override;
    bool WriteData(void* value, size_t size) override;
    size_t GetSize() override;

private:
    TUnicodeStringList names_;
};

// ---- file group descriptors

// Offsets in a file descriptor record: the file name starts 72 bytes in and
// holds 260 characters (8-bit or wide).
constexpr size_t kDescriptorNameOffset = 72;
constexpr size_t kDescriptorNameChars = 260;
constexpr size_t kFileDescriptorASize = kDescriptorNameOffset + kDescriptorNameChars;     // 332
constexpr size_t kFileDescriptorWSize = kDescriptorNameOffset + 2 * kDescriptorNameChars; // 592

// A copy of a FILEGROUPDESCRIPTOR block: a 32-bit count, then the records.
// Sizes are worked out in 64 bits, so no count wraps into a small size.
class TFileGroupDescriptorCustomClipboardFormat : public TCustomSimpleClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TFileGroupDescriptorCustomClipboardFormat)
public:
    void Clear() override { block_.clear(); }
    bool HasData() override { return Count() > 0; }
    // The size of a block of that many records.
    virtual uint64_t BlockSize(uint64_t count) const = 0;
    virtual size_t RecordSize() const = 0;
    uint32_t Count() const;
    // Replaces the block by one of that many zeroed records.
    void SetCount(uint32_t count);
    // Record i (raises "Filename index out of bounds (%d)" for an index not
    // below the count).
    uint8_t* Record(uint32_t index);
    const std::vector<uint8_t>& Block() const { return block_; }

protected:
    // Needs a block at least as long as its count implies; copies that much.
    bool ReadData(const void* value, size_t size) override;
    // Needs a buffer at least as long as the block.
    bool WriteData(void* value, size_t size) override;
    size_t GetSize() override { return block_.size(); }
    void CheckIndex(uint32_t index) const;

    std::vector<uint8_t> block_;
};

class TAnsiFileGroupDescriptorClipboardFormat : public TFileGroupDescriptorCustomClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TAnsiFileGroupDescriptorClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
    uint64_t BlockSize(uint64_t count) const override { return 4 + count * kFileDescriptorASize; }
    size_t RecordSize() const override { return kFileDescriptorASize; }
    // The name up to its NUL, and never past its 260 characters.
    std::string Filename(uint32_t index) const;
    // Cut to 259 characters and its NUL.
    void SetFilename(uint32_t index, const std::string& name);
};

class TUnicodeFileGroupDescriptorClipboardFormat : public TFileGroupDescriptorCustomClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TUnicodeFileGroupDescriptorClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
    uint64_t BlockSize(uint64_t count) const override { return 4 + count * kFileDescriptorWSize; }
    size_t RecordSize() const override { return kFileDescriptorWSize; }
    std::u16string Filename(uint32_t index) const;
    void SetFilename(uint32_t index, const std::u16string& name);
};

// The name in a wide record (up to its NUL, at most 260 characters), and
// setting it (cut to 259 characters and its NUL).
std::u16string DescriptorFilenameW(const uint8_t* record);
void SetDescriptorFilenameW(uint8_t* record, const std::u16string& name);

// ---- "FileContents"

// The contents of one file as a block; its index is 0.
class TFileContentsClipboardFormat : public TCustomAnsiStringClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TFileContentsClipboardFormat)
public:
    TFileContentsClipboardFormat();
    CLIPFORMAT GetClipboardFormat() override;
};

// The contents of every file of a drop, as streams in memory: the count comes
// from the descriptors (wide first), then each index is asked for in turn
// until a request fails. Hands its streams to the data-stream data format.
class TFileContentsStreamClipboardFormat : public TClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TFileContentsStreamClipboardFormat)
public:
    TFileContentsStreamClipboardFormat();
    CLIPFORMAT GetClipboardFormat() override;
    bool GetData(IDataObject* data) override;
    bool AssignTo(TCustomDataFormat* dest) override;
    void Clear() override { streams_.Clear(); }
    bool HasData() override { return streams_.Count() > 0; }
    TStreamList& Streams() { return streams_; }

private:
    // Adds the stream (or the storage as a compound file in memory) as one
    // file's contents; false when it cannot be read.
    bool AddContents(const STGMEDIUM& medium, const std::string& name);
    TStreamList streams_;
};

using TGetStreamEvent = std::function<void(int index, ComPtr<IStream>& stream)>;

// A source's contents given only when a target asks for one file's index:
// the handler makes the stream. A request that allows a stream gets it; one
// that allows only a block gets the stream's bytes.
class TFileContentsStreamOnDemandClipboardFormat : public TClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TFileContentsStreamOnDemandClipboardFormat)
public:
    TFileContentsStreamOnDemandClipboardFormat();
    CLIPFORMAT GetClipboardFormat() override;
    // On the target side the contents are only known to be there; they are
    // asked for by index when wanted.
    bool GetData(IDataObject* data) override;
    bool WriteMedium(const FORMATETC& request, STGMEDIUM& medium) override;
    void Clear() override { offered_ = false; }
    bool HasData() override { return offered_ || static_cast<bool>(OnGetStream); }

    TGetStreamEvent OnGetStream;
    // A target asked for contents; the data format supplied this format.
    bool DataRequested = false;
    bool GotData = false;

private:
    bool offered_ = false;
};

// Storages, one per file index; a request for a storage with an index
// inside the list (-1 counts as 0) gets that storage.
class TFileContentsStorageClipboardFormat : public TClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TFileContentsStorageClipboardFormat)
public:
    TFileContentsStorageClipboardFormat();
    CLIPFORMAT GetClipboardFormat() override;
    bool ReadMedium(const FORMATETC& format, const STGMEDIUM& medium) override;
    bool WriteMedium(const FORMATETC& request, STGMEDIUM& medium) override;
    void Clear() override { storages_.Clear(); }
    bool HasData() override { return storages_.Count() > 0; }
    TStorageInterfaceList& Storages() { return storages_; }

private:
    TStorageInterfaceList storages_;
};

// A list of wide file descriptor records seen as their file names. Adding a
// name appends a zeroed record carrying it; deleting and clearing remove
// records.
class TFileDescriptorToFilenameStrings : public TUnicodeStrings {
public:
    explicit TFileDescriptorToFilenameStrings(TMemoryList& records) : records_(records) {}
    int Count() const override { return records_.Count(); }
    std::u16string Get(int index) const override;
    void Put(int index, const std::u16string& s) override;
    void Insert(int index, const std::u16string& s) override;
    void Clear() override;
    void Delete(int index) override;

private:
    void CheckIndex(int index, int limit) const;
    TMemoryList& records_;
};

// ---- data formats

// The names of dropped or dragged files. Reading order: CF_HDROP, "Shell
// IDList Array", "FileName", "FileNameW"; the first that gives a name wins.
class TFileDataFormat : public TCustomDataFormat {
    PEM_DATA_FORMAT(TFileDataFormat)
public:
    explicit TFileDataFormat(TDragDropComponent* owner);
    explicit TFileDataFormat(TDragDropComponentRole role);
    bool Assign(TClipboardFormat* source) override;
    bool AssignTo(TClipboardFormat* dest) override;
    void Clear() override { files_.Clear(); }
    bool HasData() override { return files_.Count() > 0; }
    TUnicodeStringList& Files() { return files_; }

private:
    void Hook();
    TUnicodeStringList files_;
};

// The mapped names a source gives for its files ("FileNameMap" read before
// "FileNameMapW").
class TFileMapDataFormat : public TCustomDataFormat {
    PEM_DATA_FORMAT(TFileMapDataFormat)
public:
    explicit TFileMapDataFormat(TDragDropComponent* owner);
    explicit TFileMapDataFormat(TDragDropComponentRole role);
    bool Assign(TClipboardFormat* source) override;
    bool AssignTo(TClipboardFormat* dest) override;
    void Clear() override { names_.Clear(); }
    bool HasData() override { return names_.Count() > 0; }
    TUnicodeStringList& FileMaps() { return names_; }

private:
    void Hook();
    TUnicodeStringList names_;
};

// Files that exist only as descriptors and contents given on demand.
class TVirtualFileStreamDataFormat : public TCustomDataFormat {
    PEM_DATA_FORMAT(TVirtualFileStreamDataFormat)
public:
    explicit TVirtualFileStreamDataFormat(TDragDropComponent* owner);
    explicit TVirtualFileStreamDataFormat(TDragDropComponentRole role);
    bool Assign(TClipboardFormat* source) override;
    bool AssignTo(TClipboardFormat* dest) override;
    void Clear() override;
    // A descriptor, and contents there or a handler to give them.
    bool HasData() override;
    bool NeedsData() override;

    TMemoryList& FileDescriptors() { return descriptors_; }
    TUnicodeStrings& FileNames() { return names_; }
    bool HasContents() const { return hasContents_; }
    TFileContentsStreamOnDemandClipboardFormat* FileContentsClipboardFormat() const { return contents_; }
    TAnsiFileGroupDescriptorClipboardFormat* AnsiFileGroupDescriptorClipboardFormat() const { return ansi_; }
    TUnicodeFileGroupDescriptorClipboardFormat* UnicodeFileGroupDescriptorClipboardFormat() const { return wide_; }

private:
    void LookUpFormats();
    TMemoryList descriptors_;
    TFileDescriptorToFilenameStrings names_{descriptors_};
    bool hasContents_ = false;
    TFileContentsStreamOnDemandClipboardFormat* contents_ = nullptr;
    TAnsiFileGroupDescriptorClipboardFormat* ansi_ = nullptr;
    TUnicodeFileGroupDescriptorClipboardFormat* wide_ = nullptr;
};

// ---- components

// Receives dropped files: Files after a drop holds their names.
class TDropFileTarget : public TCustomDropMultiTarget {
public:
    TDropFileTarget();
    TUnicodeStrings& Files() { return files_->Files(); }
    TUnicodeStrings& MappedNames() { return maps_->FileMaps(); }

protected:
    // The source's "Preferred DropEffect", or copy when it states none.
    DWORD GetPreferredDropEffect() override;

private:
    TFileDataFormat* files_;
    TFileMapDataFormat* maps_;
};

// Drags files out: the names put into Files travel as the file formats.
class TDropFileSource : public TCustomDropMultiSource {
public:
    TDropFileSource();
    TUnicodeStrings& Files() { return files_->Files(); }
    TUnicodeStrings& MappedNames() { return maps_->FileMaps(); }

private:
    TFileDataFormat* files_;
    TFileMapDataFormat* maps_;
};

// The start-up of this unit: the file data formats and their formats.
void InitialiseDragDropFile();

} // namespace pem
