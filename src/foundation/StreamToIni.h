#pragma once
// TStreamToIni: the state of the controls of the open forms as INI-like
// text. It is a string list: callers put their own lines in, let it append
// one "[Form - name]" block per form, save it, load it again and apply it back
// to the controls. The job file is such a text.
//
// Restoring looks keys up through an index of the name=value lines that is
// built once per content (a hash map from the lower-cased name to the first
// line of that name), so a restore over a text of 100,000 lines does not scan
// the list per control. Change the lines through this class (not through a
// base-class reference) so the index notices.
#include "StringList.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pem {

class TComponent;
class TControl;
class TForm;
class TFrame;

// The kinds of control a store or restore handles (bits of SectionMask).
enum TStreamSection : std::uint16_t {
    ssCaptions = 1,
    ssComboBoxes = 2,
    ssEditboxes = 4,
    ssIncComboBoxes = 8,
    ssCheckListBoxes = 16,
    ssMemos = 32,
    ssStringListHolders = 64,
    ssFrames = 128, // together with ssEditboxes: the edits inside frames
    ssCheckboxes = 256,
    ssRadioGroups = 512,
};

// Contents a store leaves out and a restore leaves alone (ContentSkipMask).
enum TStreamContentSkip : std::uint8_t {
    csComboItems = 2,
    csIncComboItems = 8,
    csCheckListEnabled = 16,
};

class TStreamToIni : public TStringList {
public:
    static constexpr std::uint16_t DefaultSectionMask = 1023;
    static constexpr std::uint8_t DefaultContentSkipMask = 26;
    static constexpr const char* FileFormatKey = "StreamToIni.FileFormat";
    static constexpr const char* EndMarker = "[Konyec szkazki]";

    // Stands for "every open form" where a form is asked for.
    static TForm* AllForms();

    TStreamToIni() = default;

    std::uint16_t SectionMask = DefaultSectionMask;
    // The controls named for the next store or restore.
    std::vector<TComponent*> ControlList;
    // Frame class names, each enclosed in dots (".TFrameA.TFrameB.").
    std::string FrameClassFilter;
    // false: only the controls of ControlList are handled; true: they are skipped.
    bool ExcludeMode = false;
    // true: frames whose class is in FrameClassFilter are skipped; false: only those are handled.
    bool FrameFilterExcludes = false;
    std::uint8_t ContentSkipMask = DefaultContentSkipMask;
    // 1 when the loaded text declares format 1.
    std::uint8_t FileFormat = 0;
    // Invisible controls are skipped (only while ControlList is not empty).
    bool SkipInvisible = false;

    // Appends the sections of form (AllForms(): every open form, in creation
    // order; nullptr: nothing). A mask of 0 means SectionMask.
    void StoreFormsEx(TForm* form, std::uint16_t mask = 0);
    void StoreForms(TForm* form) { StoreFormsEx(form, SectionMask); }
    // Applies the text to the controls of form (AllForms(): every open form).
    // A value that should be a number and is not raises EConvertError; a
    // check-box value that is no boolean raises the boolean conversion error.
    void RestoreFormsEx(TForm* form, std::uint16_t mask = 0);
    void RestoreForms() { RestoreFormsEx(AllForms(), SectionMask); }

    void ExcludeControls(std::initializer_list<TComponent*> controls);
    void ExcludeControls(const std::vector<TComponent*>& controls);
    void IncludeOnlyControls(std::initializer_list<TComponent*> controls);
    void IncludeOnlyControls(const std::vector<TComponent*>& controls);
    void ExcludeFrameClasses(const std::vector<std::string>& classNames);

    // Line of the name=value line of key (case ignored). When there is none
    // and the key holds ".", the line of the part after the last "."; failing
    // that, a line written under another form's name (the key with its first
    // part replaced). -1 when none exists.
    int IndexOfKey(std::string_view key) const;
    // The text after "=" of the line IndexOfKey finds; value is left as it is
    // (and false returned) when there is none.
    bool ReadValue(std::string_view key, std::string& value) const;
    // name=value assignment: replaces the line, appends one when missing,
    // removes it for an empty value.
    void SetValue(std::string_view key, const std::string& value);

    // Puts "StreamToIni.FileFormat=1" in (as line 0 when missing), appends the
    // end marker when the text would end in a value line, then saves.
    void SaveToFile(const std::string& fileName, const std::string& name = {});
    // Loads the text (CR LF or LF) and reads its file format.
    void LoadFromFile(const std::string& fileName);
    void ReadFileFormat();

    // The list's own changes, hidden here so that the key index follows them.
    int Add(const std::string& s) { Invalidate(); return TStringList::Add(s); }
    int AddObject(const std::string& s, TObject obj) { Invalidate(); return TStringList::AddObject(s, std::move(obj)); }
    void AddStrings(const TStringList& other) { Invalidate(); TStringList::AddStrings(other); }
    void Insert(int i, const std::string& s, TObject obj = nullptr) { Invalidate(); TStringList::Insert(i, s, std::move(obj)); }
    void Delete(int i) { Invalidate(); TStringList::Delete(i); }
    void Put(int i, const std::string& s) { Invalidate(); TStringList::Put(i, s); }
    void Clear() { Invalidate(); TStringList::Clear(); }
    void Exchange(int i, int j) { Invalidate(); TStringList::Exchange(i, j); }
    void Move(int from, int to) { Invalidate(); TStringList::Move(from, to); }
    void Assign(const TStringList& other) { Invalidate(); TStringList::Assign(other); }
    void SetText(std::string_view text) { Invalidate(); TStringList::SetText(text); }
    void Sort() { Invalidate(); TStringList::Sort(); }

private:
    void Invalidate() { indexValid_ = false; }
    void BuildIndex() const;
    int Lookup(const std::unordered_map<std::string, int>& map, std::string_view key) const;
    int ExactIndex(std::string_view key) const;

    bool Skipped(const TComponent* c, const TFrame* frame = nullptr) const;
    bool FrameFiltered(const TFrame* frame) const;
    void SetControlList(const std::vector<TComponent*>& controls, bool exclude);
    void ResetSelection();

    void StoreForm(TForm* form, std::uint16_t mask);
    void RestoreForm(TForm* form, std::uint16_t mask);

    // name (lower-cased) -> first line of that name
    mutable std::unordered_map<std::string, int> exact_;
    // name without its first "."-part (lower-cased) -> first line
    mutable std::unordered_map<std::string, int> otherForm_;
    mutable bool indexValid_ = false;
    mutable int indexedCount_ = 0;
};

} // namespace pem
