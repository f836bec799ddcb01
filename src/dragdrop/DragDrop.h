#pragma once
// The core of the drag-and-drop library: the two-level model that every drop
// source and drop target uses. A clipboard format is one OLE format (one
// FORMATETC and the code that reads or writes one medium); a data format is
// what the program sees (text, file names, feedback values) and owns the
// clipboard formats that can carry its data. A process-wide map says which
// clipboard format classes serve which data format classes, with a priority
// and a direction; sources and targets fill their data formats' lists from it.
#include "OleDragDrop.h"
#include "OleMemory.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace pem {

class TClipboardFormat;
class TCustomDataFormat;
class TDragDropComponent;

// ---- drag types, results, shift states

enum class TDragType : uint8_t { dtCopy, dtMove, dtLink };

class TDragTypes {
public:
    TDragTypes() = default;
    TDragTypes(std::initializer_list<TDragType> types) {
        for (TDragType t : types) bits_ |= Bit(t);
    }
    bool Contains(TDragType t) const { return bits_ & Bit(t); }
    bool Empty() const { return bits_ == 0; }
    bool operator==(const TDragTypes&) const = default;

private:
    static uint8_t Bit(TDragType t) { return static_cast<uint8_t>(1u << static_cast<unsigned>(t)); }
    uint8_t bits_ = 0;
};

// The result of a drag, by ordinal.
enum TDragResult : int {
    drDropCopy = 0,
    drDropMove = 1,
    drDropLink = 2,
    drCancel = 3,
    drOutMemory = 4,
    drAsync = 5,
    drUnknown = 6,
};

// A DROPEFFECT as a drag result: 0 cancelled, 1 copy, 2 move, 4 link,
// anything else failed.
TDragResult DropEffectToDragResult(DWORD effect);

using TShiftState = uint8_t;
constexpr TShiftState ssShift = 0x01;
constexpr TShiftState ssAlt = 0x02;
constexpr TShiftState ssCtrl = 0x04;
constexpr TShiftState ssLeft = 0x08;
constexpr TShiftState ssRight = 0x10;
constexpr TShiftState ssMiddle = 0x20;

// The drag type of an effect: copy, else move, else link, by the effect's
// bits (an effect with the scroll bit still names its drop); false (and
// copy) when none is set.
bool DropEffectToDragType(DWORD effect, TDragType& dragType);
DWORD DragTypesToDropEffect(const TDragTypes& types);
TShiftState KeyStateToShiftState(DWORD keyState);
// Shift+Ctrl link, Ctrl copy, otherwise move, each only when allowed; then,
// with fallBack, the first allowed of copy, move and link; else 0.
DWORD ShiftStateToDropEffect(TShiftState shift, DWORD allowed, bool fallBack);

// ---- class references

using TDataDirections = uint8_t;
constexpr TDataDirections ddRead = 1;  // a target may get the format from a source
constexpr TDataDirections ddWrite = 2; // a target may set the format into a source
constexpr TDataDirections ddReadWrite = ddRead | ddWrite;

// The role a compatible list is filled for.
enum class TDragDropComponentRole : int { Source = 0, Target = 1 };

// A clipboard format class: its name, its parent, its default constructor
// (none for an abstract class), its default data directions and the hook
// that registers conversions of its own.
struct TClipboardFormatClass {
    const char* Name;
    const TClipboardFormatClass* Parent;
    TClipboardFormat* (*Create)();
    TDataDirections Directions;
    void (*RegisterConversions)();
    bool InheritsFrom(const TClipboardFormatClass* c) const;
};

struct TDataFormatClass {
    const char* Name;
    const TDataFormatClass* Parent;
    void (*RegisterCompatibleFormats)();
    bool InheritsFrom(const TDataFormatClass* c) const;
};

// ---- clipboard formats

class TClipboardFormat {
public:
    // From a medium mask: the id comes from the class (on first use of the
    // FORMATETC), no device, content aspect, index -1.
    explicit TClipboardFormat(DWORD mediumMask = TYMED_HGLOBAL);
    // From a whole FORMATETC (copied).
    explicit TClipboardFormat(const FORMATETC& format);
    virtual ~TClipboardFormat();
    TClipboardFormat(const TClipboardFormat&) = delete;
    TClipboardFormat& operator=(const TClipboardFormat&) = delete;

    static const TClipboardFormatClass& StaticClass();
    virtual const TClipboardFormatClass& ClassType() const { return StaticClass(); }
    const char* ClassName() const { return ClassType().Name; }

    TCustomDataFormat* DataFormat() const { return dataFormat_; }
    void SetDataFormat(TCustomDataFormat* f) { dataFormat_ = f; }
    const FORMATETC& FormatEtc();

    // Reads from a medium / writes into one (base: false).
    virtual bool ReadMedium(const FORMATETC& format, const STGMEDIUM& medium);
    virtual bool WriteMedium(const FORMATETC& format, STGMEDIUM& medium);
    // The id (base raises "Internal error: %s.%s needs implementation").
    virtual CLIPFORMAT GetClipboardFormat();
    virtual void SetClipboardFormat(CLIPFORMAT id);
    CLIPFORMAT ClipboardFormat() { return FormatEtc().cfFormat; }
    virtual std::string GetClipboardFormatName();
    // Base raises "%s.ClipboardFormat is read-only".
    virtual void SetClipboardFormatName(const std::string& name);
    // The media a data object offers for this format, of those in the mask.
    virtual DWORD MediaOffered(IDataObject* data);
    virtual bool HasDataIn(IDataObject* data);
    // The id is equal, no device is named, the aspect is equal and the media
    // intersect.
    virtual bool AcceptFormat(const FORMATETC& format);
    // Reads the format from a data object (one GetData).
    virtual bool GetData(IDataObject* data);
    // Reads from a medium of the own media and releases it in every case.
    virtual bool GetDataFromMedium(STGMEDIUM& medium);
    // Gives the data to another data object (SetData, handing over the medium).
    virtual bool SetDataTo(IDataObject* data);
    // Conversions from and to a data format (base: false).
    virtual bool Assign(TCustomDataFormat* source);
    virtual bool AssignTo(TCustomDataFormat* dest);
    virtual void Clear() = 0;
    virtual bool HasData() { return true; }

    // Writes the data for a request: refused unless the id and aspect are the
    // own and the media intersect.
    bool WriteOnRequest(const FORMATETC& request, STGMEDIUM& medium);

    // Registers the class with a data format class (priority 2147483647,
    // get direction only).
    static void RegisterDataConversion(const TClipboardFormatClass& self, const TDataFormatClass& dataFormat,
                                       int32_t priority = 2147483647);
    // Runs a class's conversion hook (once per class, from the start-up).
    static void RegisterFormat(const TClipboardFormatClass& cls);

protected:
    FORMATETC formatEtc_;
    bool idKnown_ = false;

private:
    TCustomDataFormat* dataFormat_ = nullptr;
};

// A list of clipboard formats, owning them or not, belonging to a data format.
class TClipboardFormats {
public:
    TClipboardFormats(TCustomDataFormat* dataFormat, bool ownsObjects);
    ~TClipboardFormats();
    TClipboardFormats(const TClipboardFormats&) = delete;
    TClipboardFormats& operator=(const TClipboardFormats&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    TClipboardFormat* operator[](int i) const { return items_.at(static_cast<size_t>(i)); }
    int Add(TClipboardFormat* format);
    void Clear();
    // The first format of the class or a descendant, or none.
    TClipboardFormat* FindFormat(const TClipboardFormatClass& cls) const;
    // The same, raising "Clipboard format %s does not exist in %s's list of
    // copatible formats" when missing.
    TClipboardFormat* GetFormat(const TClipboardFormatClass& cls) const;
    TClipboardFormat* FindFormatByID(CLIPFORMAT id) const;
    void Assign(const TClipboardFormats& other);
    bool OwnsObjects() const { return owns_; }
    TCustomDataFormat* DataFormat() const { return dataFormat_; }
    const std::vector<TClipboardFormat*>& Items() const { return items_; }

private:
    TCustomDataFormat* dataFormat_;
    bool owns_;
    std::vector<TClipboardFormat*> items_;
};

// ---- data formats

class TCustomDataFormat {
public:
    // With an owner: joins the owner's data-format list; the owner fills the
    // compatible list on first use.
    explicit TCustomDataFormat(TDragDropComponent* owner);
    // Without an owner: the compatible list is filled from the map for the role.
    explicit TCustomDataFormat(TDragDropComponentRole role);
    virtual ~TCustomDataFormat();
    TCustomDataFormat(const TCustomDataFormat&) = delete;
    TCustomDataFormat& operator=(const TCustomDataFormat&) = delete;

    static const TDataFormatClass& StaticClass();
    virtual const TDataFormatClass& ClassType() const { return StaticClass(); }
    const char* ClassName() const { return ClassType().Name; }

    TDragDropComponent* Owner() const { return owner_; }
    // Fires OnChanging (every setter and every clear calls it first).
    virtual void Changing();
    std::function<void(TCustomDataFormat*)> OnChanging;

    virtual void Clear() = 0;
    // Takes the data of a clipboard format (base: the clipboard format's
    // AssignTo); gives the data to one (base: its Assign).
    virtual bool Assign(TClipboardFormat* source);
    virtual bool AssignTo(TClipboardFormat* dest);
    // Reads the best compatible formats until it needs no more.
    virtual bool GetData(IDataObject* data);
    virtual bool HasData() = 0;
    virtual bool NeedsData() { return !HasData(); }
    virtual bool HasDataIn(IDataObject* data);
    virtual bool SupportsFormat(const FORMATETC& format);

    TClipboardFormats& CompatibleFormats();
    // Detaches from the owner without being freed (the owner is going).
    void ForgetOwner() { owner_ = nullptr; }

private:
    TDragDropComponent* owner_ = nullptr;
    TDragDropComponentRole role_ = TDragDropComponentRole::Source;
    bool hasOwner_;
    TClipboardFormats* compatible_ = nullptr;
};

// The data formats of one component.
class TDataFormats {
public:
    TDataFormats() = default;
    // Removes every format, last first (a data format belongs to the
    // component that made it).
    virtual ~TDataFormats();
    TDataFormats(const TDataFormats&) = delete;
    TDataFormats& operator=(const TDataFormats&) = delete;

    // No duplicates: gives the existing index.
    virtual int Add(TCustomDataFormat* format);
    int IndexOf(const TCustomDataFormat* format) const;
    virtual void Remove(TCustomDataFormat* format);
    int Count() const { return static_cast<int>(items_.size()); }
    TCustomDataFormat* operator[](int i) const { return items_.at(static_cast<size_t>(i)); }

private:
    std::vector<TCustomDataFormat*> items_;
};

// ---- the process-wide registries

class TDataFormatClasses {
public:
    static TDataFormatClasses& Instance();
    void Add(const TDataFormatClass& cls);
    void Remove(const TDataFormatClass& cls);
    int Count() const { return static_cast<int>(items_.size()); }
    const TDataFormatClass* operator[](int i) const { return items_.at(static_cast<size_t>(i)); }

private:
    std::vector<const TDataFormatClass*> items_;
};

class TDataFormatMap {
public:
    struct Entry {
        const TDataFormatClass* DataFormat;
        const TClipboardFormatClass* ClipboardFormat;
        int32_t Priority;
        TDataDirections Directions;
    };
    static TDataFormatMap& Instance();

    // Adds a pairing (or joins an existing one) and keeps each data format
    // class's entries in ascending priority.
    void Add(const TDataFormatClass& dataFormat, const TClipboardFormatClass& clipboardFormat, int32_t priority,
             TDataDirections directions);
    // Fills a data format's compatible list for a role, in map order.
    void FillList(TClipboardFormats& list, const TDataFormatClass& dataFormat, TDragDropComponentRole role) const;
    const std::vector<Entry>& Entries() const { return entries_; }
    void Clear() { entries_.clear(); }

private:
    std::vector<Entry> entries_;
};

void RegisterDataFormat(const TDataFormatClass& cls);
void RegisterCompatibleFormat(const TDataFormatClass& dataFormat, const TClipboardFormatClass& clipboardFormat,
                              int32_t priority, TDataDirections directions);

// Runs the start-up of every unit once, in order: OLE, the feedback and
// stream formats, text, item lists, then file formats.
void InitialiseDragDrop();
// The start-up of this unit alone (OLE and the shell allocator).
void InitialiseDragDropCore();
// The shutdown: the map and the class registry are freed; asking for them
// afterwards makes them again and says so on the error output.
void ShutdownDragDrop();
bool DragDropShuttingDown();

// ---- components

// A component that answers for interfaces itself; its life is not governed
// by reference counts (AddRef and Release answer -1).
class TInterfacedComponent {
public:
    TInterfacedComponent() = default;
    virtual ~TInterfacedComponent() = default;
    TInterfacedComponent(const TInterfacedComponent&) = delete;
    TInterfacedComponent& operator=(const TInterfacedComponent&) = delete;
    // The component's own interfaces; E_NOINTERFACE otherwise.
    virtual HRESULT GetInterface(REFIID iid, void** out);
    std::string Name;
};

// The IUnknown of a component that implements interfaces.
#define PEM_COMPONENT_IUNKNOWN                                                           \
    HRESULT QueryInterface(REFIID iid, void** out) override { return GetInterface(iid, out); } \
    ULONG AddRef() override { return static_cast<ULONG>(-1); }                           \
    ULONG Release() override { return static_cast<ULONG>(-1); }

class TDragDropComponent : public TInterfacedComponent {
public:
    TDragDropComponent();
    ~TDragDropComponent() override;
    TDataFormats& DataFormats() { return *dataFormats_; }
    // Fills a data format's compatible list (base: clears it only).
    virtual void InitializeDataFormat(TCustomDataFormat* format, TClipboardFormats& list);

protected:
    TDataFormats* dataFormats_;
};

// ---- raw formats: any FORMATETC with its medium kept as it came

class TRawClipboardFormat : public TClipboardFormat {
public:
    explicit TRawClipboardFormat(const FORMATETC& format);
    ~TRawClipboardFormat() override;
    static const TClipboardFormatClass& StaticClass();
    const TClipboardFormatClass& ClassType() const override { return StaticClass(); }

    bool ReadMedium(const FORMATETC& format, const STGMEDIUM& medium) override;
    bool WriteMedium(const FORMATETC& format, STGMEDIUM& medium) override;
    CLIPFORMAT GetClipboardFormat() override { return formatEtc_.cfFormat; }
    // Registers the name and takes its id.
    void SetClipboardFormatName(const std::string& name) override;
    bool Assign(TCustomDataFormat* source) override;
    bool AssignTo(TCustomDataFormat* dest) override;
    void Clear() override {}
    bool HasData() override { return medium_.tymed != TYMED_NULL; }
    // Releases and empties the held medium.
    void ClearData();
    const STGMEDIUM& Medium() const { return medium_; }

private:
    STGMEDIUM medium_;
};

class TRawDataFormat : public TCustomDataFormat {
public:
    using TCustomDataFormat::TCustomDataFormat;
    static const TDataFormatClass& StaticClass();
    const TDataFormatClass& ClassType() const override { return StaticClass(); }
    void Clear() override;
    bool HasData() override;
    bool NeedsData() override;
};

// ---- names and drag-start detection

// A display name of a clipboard format id: the standard names of the
// predefined ids, else the registered name (empty when none).
std::string GetClipboardFormatNameStr(CLIPFORMAT id);

// Decides from the input after a button press whether a drag starts: a
// button message or Esc, cancel-mode, a lost capture or a quit says no; a
// move out of the drag rectangle once 200 ms have passed, or 500 ms without
// input, says yes.
class TDragStartDecider {
public:
    enum TDecision { Undecided, Drag, NoDrag };
    TDragStartDecider(RECT dragRect, DWORD startTime) : dragRect_(dragRect), start_(startTime) {}
    TDecision Feed(const TInputMessage& input);
    bool QuitSeen() const { return quit_; }
    int QuitCode() const { return quitCode_; }

private:
    RECT dragRect_;
    DWORD start_;
    bool quit_ = false;
    int quitCode_ = 0;
};

// True when the mouse, pressed over the window, starts a drag.
bool DetectDragStart(HWND window);
bool DetectDragStartAt(HWND window, POINT pt);
bool DetectDragStartLoop(HWND window, POINT pt);
// A client point of the window as an offset from the window's top left.
bool ClientOffset(HWND window, POINT clientPoint, POINT& offset);

// Declares the class reference of a clipboard format or data format class.
#define PEM_CLIPBOARD_FORMAT(Cls)                                                   \
public:                                                                             \
    static const TClipboardFormatClass& StaticClass();                              \
    const TClipboardFormatClass& ClassType() const override { return StaticClass(); }

#define PEM_DATA_FORMAT(Cls)                                                    \
public:                                                                         \
    static const TDataFormatClass& StaticClass();                               \
    const TDataFormatClass& ClassType() const override { return StaticClass(); }

// Defines the class reference of a clipboard format class (Create is
// nullptr for an abstract class) or of a data format class.
#define PEM_DEFINE_CLIPBOARD_FORMAT(Cls, ParentCls, CreateFn, Directions, Hook)                          \
    const TClipboardFormatClass& Cls::StaticClass() {                                                  \
        static const TClipboardFormatClass c{#Cls, &ParentCls::StaticClass(), CreateFn, Directions, Hook}; \
        return c;                                                                                      \
    }
#define PEM_DEFINE_DATA_FORMAT(Cls, ParentCls, Hook)                                  \
    const TDataFormatClass& Cls::StaticClass() {                                     \
        static const TDataFormatClass c{#Cls, &ParentCls::StaticClass(), Hook};      \
        return c;                                                                    \
    }

// Makes the default constructor of a clipboard format class.
template <class T>
TClipboardFormat* CreateClipboardFormat() {
    return new T;
}

} // namespace pem
