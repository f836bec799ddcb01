#include "StreamToIni.h"

#include "BaseUtils.h"
#include "CharSet1252.h"
#include "CmdLine.h"
#include "Controls.h"
#include "Exceptions.h"
#include "Forms.h"
#include "IncCombo.h"
#include "QtText.h"
#include "StringListHolder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace pem {

namespace {

bool IsClass(const TComponent* c, const char* className) { return std::strcmp(c->ClassName(), className) == 0; }

int StrToInt(const std::string& s) {
    int n = 0;
    if (!TryStrToIntValue(s, n)) throw EConvertError("'" + s + "' is not a valid integer value");
    return n;
}

bool AllDigits(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool StartsWithBracket(const std::string& s) { return !s.empty() && s[0] == '['; }

// The value without its first and last character (the parentheses around a
// comma text).
std::string Unwrap(const std::string& v) { return v.size() >= 2 ? v.substr(1, v.size() - 2) : std::string(); }

// The selected item of a combo box, as the stored text sees it: an editable
// box whose text was typed over its item has no selection any more.
int SelectedIndex(const TComboBox* box) {
    int i = box->ItemIndex();
    if (i < 0) return -1;
    if (box->isEditable() && box->Text() != FromQ(box->itemText(i))) return -1;
    return i;
}

// The selection line's value: the index of a selected item, else the text.
std::string SelectionValue(int index, const std::string& text) {
    return index >= 0 ? std::to_string(index) : text;
}

// Digits below the item count select that item; anything else is the text.
void ApplySelection(TComboBox* box, int itemCount, const std::string& value) {
    if (AllDigits(value)) {
        int n = 0;
        if (TryStrToIntValue(value, n) && n < itemCount) {
            box->SetItemIndex(n);
            return;
        }
    }
    if (box->isEditable()) box->SetItemIndex(-1);
    box->SetText(value);
}

const char* YN(bool b) { return b ? "Y" : "N"; }

} // namespace

TForm* TStreamToIni::AllForms() { return reinterpret_cast<TForm*>(static_cast<std::intptr_t>(-1)); }

// ---- key index

void TStreamToIni::BuildIndex() const {
    exact_.clear();
    otherForm_.clear();
    exact_.reserve(static_cast<size_t>(Count()));
    for (int i = 0; i < Count(); ++i) {
        const std::string& s = Get(i);
        auto eq = s.find(NameValueSeparator);
        if (eq == std::string::npos) continue;
        std::string name = AnsiLowerCase(std::string_view(s).substr(0, eq));
        auto dot = name.find('.');
        if (dot != std::string::npos) otherForm_.emplace(name.substr(dot + 1), i);
        exact_.emplace(std::move(name), i);
    }
    indexValid_ = true;
    indexedCount_ = Count();
}

int TStreamToIni::Lookup(const std::unordered_map<std::string, int>& map, std::string_view key) const {
    auto it = map.find(AnsiLowerCase(key));
    return it == map.end() ? -1 : it->second;
}

int TStreamToIni::ExactIndex(std::string_view key) const {
    if (!indexValid_ || indexedCount_ != Count()) BuildIndex();
    int i = Lookup(exact_, key);
    // A line changed behind the index's back: check the hit, rebuild once.
    if (i >= 0 && (i >= Count() || AnsiCompareText(Names(i), key) != 0)) {
        BuildIndex();
        i = Lookup(exact_, key);
    }
    return i;
}

int TStreamToIni::IndexOfKey(std::string_view key) const {
    int i = ExactIndex(key);
    if (i >= 0) return i;
    auto last = key.rfind('.');
    if (last == std::string_view::npos) return -1;
    i = ExactIndex(key.substr(last + 1));
    if (i >= 0) return i;
    // The same control written under another form's name: a line whose name
    // is some other first part followed by the rest of this key.
    std::string_view rest = key.substr(key.find('.') + 1);
    i = Lookup(otherForm_, rest);
    if (i >= 0 && (i >= Count() || AnsiCompareText(Names(i).substr(Names(i).find('.') + 1), rest) != 0)) {
        BuildIndex();
        i = Lookup(otherForm_, rest);
    }
    return i;
}

bool TStreamToIni::ReadValue(std::string_view key, std::string& value) const {
    int i = IndexOfKey(key);
    if (i < 0) return false;
    value = ValueFromIndex(i);
    return true;
}

void TStreamToIni::SetValue(std::string_view key, const std::string& value) {
    int i = ExactIndex(key);
    if (value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    std::string line = std::string(key) + NameValueSeparator + value;
    if (i < 0) Add(line);
    else Put(i, line);
}

// ---- files

void TStreamToIni::SaveToFile(const std::string& fileName, const std::string& name) {
    if (ExactIndex(FileFormatKey) >= 0) SetValue(FileFormatKey, "1");
    else Insert(0, std::string(FileFormatKey) + "=1");
    const std::string& last = Get(Count() - 1);
    if (!last.empty() && !StartsWithBracket(last)) Add(EndMarker);
    TStringList::SaveToFile(fileName, name);
}

void TStreamToIni::LoadFromFile(const std::string& fileName) {
    Invalidate();
    TStringList::LoadFromFile(fileName);
    BuildIndex();
    ReadFileFormat();
}

void TStreamToIni::ReadFileFormat() {
    int i = ExactIndex(FileFormatKey);
    FileFormat = (i >= 0 && ValueFromIndex(i) == "1") ? 1 : 0;
}

// ---- control selection

void TStreamToIni::SetControlList(const std::vector<TComponent*>& controls, bool exclude) {
    ControlList = controls;
    ExcludeMode = exclude;
}

void TStreamToIni::ExcludeControls(std::initializer_list<TComponent*> controls) {
    SetControlList(std::vector<TComponent*>(controls), true);
}
void TStreamToIni::ExcludeControls(const std::vector<TComponent*>& controls) { SetControlList(controls, true); }
void TStreamToIni::IncludeOnlyControls(std::initializer_list<TComponent*> controls) {
    SetControlList(std::vector<TComponent*>(controls), false);
}
void TStreamToIni::IncludeOnlyControls(const std::vector<TComponent*>& controls) { SetControlList(controls, false); }

void TStreamToIni::ExcludeFrameClasses(const std::vector<std::string>& classNames) {
    FrameClassFilter = ".";
    for (const auto& n : classNames) FrameClassFilter += n + ".";
    FrameFilterExcludes = true;
}

bool TStreamToIni::Skipped(const TComponent* c, const TFrame* frame) const {
    if (ControlList.empty()) return false;
    if (SkipInvisible) {
        if (auto* ctl = dynamic_cast<const TControl*>(c); ctl && !ctl->Visible()) return true;
    }
    auto listed = [this](const TComponent* x) {
        return x && std::find(ControlList.begin(), ControlList.end(), x) != ControlList.end();
    };
    // An edit inside a frame counts as named when its frame is.
    bool named = listed(c) || listed(frame);
    return ExcludeMode ? named : !named;
}

bool TStreamToIni::FrameFiltered(const TFrame* frame) const {
    if (FrameClassFilter.empty()) return false;
    std::string dotted = AsciiLowerCase(std::string(".") + frame->ClassName() + ".");
    bool inFilter = AsciiLowerCase(FrameClassFilter).find(dotted) != std::string::npos;
    return FrameFilterExcludes ? inFilter : !inFilter;
}

void TStreamToIni::ResetSelection() {
    ControlList.clear();
    ContentSkipMask = DefaultContentSkipMask;
    SkipInvisible = false;
}

namespace {
// Clears the one-call selection however the call ends.
struct SelectionReset {
    std::function<void()> fn;
    ~SelectionReset() { fn(); }
};
} // namespace

// ---- store

void TStreamToIni::StoreFormsEx(TForm* form, std::uint16_t mask) {
    SelectionReset reset{[this] { ResetSelection(); }};
    if (!form) return;
    if (mask == 0) mask = SectionMask;
    if (form == AllForms()) {
        const std::vector<TForm*> forms = Screen().Forms();
        for (TForm* f : forms) StoreForm(f, mask);
    } else {
        StoreForm(form, mask);
    }
}

void TStreamToIni::StoreForm(TForm* form, std::uint16_t mask) {
    const std::string fn = form->Name();
    const auto& comps = form->ComponentList();
    Add("[Form - " + fn + "]");

    // One header per form and kind, just before its first entry.
    auto each = [&](const char* className, const char* header, auto&& write) {
        bool headed = false;
        for (TComponent* c : comps) {
            if (!IsClass(c, className) || Skipped(c)) continue;
            if (!headed) {
                Add(header);
                headed = true;
            }
            write(c, fn + "." + c->Name());
        }
    };

    if (mask & ssCaptions) {
        Add("[Captions]");
        SetValue(fn + ".Caption", form->Caption());
    }
    if ((mask & ssEditboxes) && (mask & ssFrames)) {
        bool headed = false;
        for (TComponent* c : comps) {
            auto* frame = dynamic_cast<TFrame*>(c);
            if (!frame || Skipped(frame) || FrameFiltered(frame)) continue;
            for (TComponent* e : frame->ComponentList()) {
                if (!IsClass(e, "TEdit") || Skipped(e, frame)) continue;
                if (!headed) {
                    Add("[TFrames]");
                    headed = true;
                }
                Add(fn + "." + frame->Name() + "." + e->Name() + "=" + static_cast<TEdit*>(e)->Text());
            }
        }
    }
    if (mask & ssEditboxes)
        each("TEdit", "[Editboxes]",
             [&](TComponent* c, const std::string& key) { Add(key + "=" + static_cast<TEdit*>(c)->Text()); });
    if (mask & ssComboBoxes)
        each("TComboBox", "[ComboBoxes]", [&](TComponent* c, const std::string& key) {
            auto* box = static_cast<TComboBox*>(c);
            Add("[TComboBox - " + c->Name() + "]");
            Add(key + "=" + SelectionValue(SelectedIndex(box), box->Text()));
            if (!(ContentSkipMask & csComboItems) && box->count() > 0)
                Add(key + ".Content=(" + box->Items().CommaText() + ")");
        });
    if (mask & ssIncComboBoxes)
        each("TIncCombo", "[IncComboBoxes]", [&](TComponent* c, const std::string& key) {
            auto* box = static_cast<TIncCombo*>(c);
            Add("[TIncCombo - " + key + "]");
            Add(key + "=" + SelectionValue(box->FullItemIndex(), box->Text()));
            if (!(ContentSkipMask & csIncComboItems)) {
                const TStringList items = box->FullItems();
                for (int i = 0; i < items.Count(); ++i) Add(items[i] + "==" + box->SecondOfIndex(i));
            }
        });
    if (mask & ssCheckboxes)
        each("TCheckBox", "[Checkboxes]", [&](TComponent* c, const std::string& key) {
            Add(key + "=" + YN(static_cast<TCheckBox*>(c)->Checked()));
        });
    if (mask & ssCheckListBoxes)
        each("TCheckListBox", "[CheckListBoxes]", [&](TComponent* c, const std::string& key) {
            auto* box = dynamic_cast<TCheckListItems*>(c);
            if (!box) return;
            Add("[TCheckListBox - " + key + "]");
            Add(key + "=" + c->Name());
            for (int i = 0, n = box->CheckListCount(); i < n; ++i) {
                const TListItemData e = box->CheckListItem(i);
                Add(std::string(YN(e.checked)) + YN(e.enabled) + e.text);
            }
        });
    if (mask & ssMemos)
        each("TMemo", "[Memos]", [&](TComponent* c, const std::string& key) {
            Add("[TMemo - " + key + "]");
            Add(key + "=" + c->Name());
            AddStrings(static_cast<TMemo*>(c)->Lines());
        });
    if (mask & ssStringListHolders)
        each("TStringListHolder", "[StringListHolders]", [&](TComponent* c, const std::string& key) {
            auto* h = static_cast<TStringListHolder*>(c);
            Add("[TStringListHolder - " + key + "]");
            Add(key + "=" + c->Name());
            Add(key + ".MaxLen=" + std::to_string(h->MaxLen()));
            Add(key + ".SaveObjects=" + YN(h->SaveObjects()));
            for (int i = 0; i < h->Count(); ++i) {
                if (h->SaveObjects()) Add(std::to_string(h->GetObjectNumber(i)) + "@" + h->GetStrings(i));
                else Add(h->GetStrings(i));
            }
        });
    if (mask & ssRadioGroups)
        each("TRadioGroup", "[RadioGroups]", [&](TComponent* c, const std::string& key) {
            Add(key + "=" + std::to_string(static_cast<TRadioGroup*>(c)->ItemIndex()));
        });
}

// ---- restore

void TStreamToIni::RestoreFormsEx(TForm* form, std::uint16_t mask) {
    SelectionReset reset{[this] { ResetSelection(); }};
    if (!form) return;
    if (mask == 0) mask = SectionMask;
    if (!indexValid_ || indexedCount_ != Count()) BuildIndex();
    if (form == AllForms()) {
        const std::vector<TForm*> forms = Screen().Forms();
        for (TForm* f : forms) RestoreForm(f, mask);
    } else {
        RestoreForm(form, mask);
    }
}

void TStreamToIni::RestoreForm(TForm* form, std::uint16_t mask) {
    const std::string fn = form->Name();
    const auto comps = form->ComponentList();

    auto each = [&](const char* className, auto&& apply) {
        for (TComponent* c : comps) {
            if (!IsClass(c, className) || Skipped(c)) continue;
            std::string key = fn + "." + c->Name();
            apply(c, key, IndexOfKey(key));
        }
    };
    // The lines after line k up to (not including) the first line that
    // begins with "[" and, when stopAtEmpty, the first empty line.
    auto runEnd = [&](int k, bool stopAtEmpty) {
        int j = k + 1;
        while (j < Count() && !StartsWithBracket(Get(j)) && !(stopAtEmpty && Get(j).empty())) ++j;
        return j;
    };

    // Stored captions are not applied: the program sets its forms' captions
    // from the job itself.
    if ((mask & ssEditboxes) && (mask & ssFrames)) {
        for (TComponent* c : comps) {
            auto* frame = dynamic_cast<TFrame*>(c);
            if (!frame || Skipped(frame) || FrameFiltered(frame)) continue;
            for (TComponent* e : frame->ComponentList()) {
                if (!IsClass(e, "TEdit") || Skipped(e, frame)) continue;
                std::string tail = frame->Name() + "." + e->Name();
                int i = IndexOfKey(fn + "." + tail);
                if (i < 0) i = IndexOfKey(tail);
                if (i >= 0) static_cast<TEdit*>(e)->SetText(ValueFromIndex(i));
            }
        }
    }
    if (mask & ssEditboxes)
        each("TEdit", [&](TComponent* c, const std::string&, int i) {
            if (i >= 0) static_cast<TEdit*>(c)->SetText(ValueFromIndex(i));
        });
    if (mask & ssComboBoxes)
        each("TComboBox", [&](TComponent* c, const std::string& key, int i) {
            if (i < 0) return;
            auto* box = static_cast<TComboBox*>(c);
            const std::string value = ValueFromIndex(i);
            if (!(ContentSkipMask & csComboItems)) {
                std::string content;
                ReadValue(key + ".Content", content);
                TStringList items;
                items.SetCommaText(Unwrap(content));
                box->SetItems(items);
            }
            ApplySelection(box, box->count(), value);
        });
    if (mask & ssIncComboBoxes)
        each("TIncCombo", [&](TComponent* c, const std::string&, int i) {
            if (i < 0) return;
            auto* box = static_cast<TIncCombo*>(c);
            const std::string value = ValueFromIndex(i);
            if (!(ContentSkipMask & csIncComboItems)) {
                box->ClearItems();
                for (int j = i + 1, end = runEnd(i, true); j < end; ++j) {
                    const std::string& line = Get(j);
                    auto p = line.find("==");
                    if (p == std::string::npos) box->AddWithSecond(line, "");
                    else box->AddWithSecond(line.substr(0, p), line.substr(p + 2));
                }
            }
            ApplySelection(box, box->FullItems().Count(), value);
        });
    if (mask & ssCheckboxes)
        each("TCheckBox", [&](TComponent* c, const std::string&, int i) {
            if (i >= 0) static_cast<TCheckBox*>(c)->SetChecked(StrToBoolYJIN(ValueFromIndex(i)));
        });
    if (mask & ssCheckListBoxes)
        each("TCheckListBox", [&](TComponent* c, const std::string&, int i) {
            if (i < 0) return;
            auto* box = dynamic_cast<TCheckListItems*>(c);
            if (!box) return;
            const int end = runEnd(i, true);
            auto isFlag = [](char ch) { return ch == 'Y' || ch == 'N'; };
            // Older texts carry one flag (ticked) per line: a run in which any
            // line does not begin with two flags is read that way.
            int flags = 2;
            if (FileFormat != 1) {
                for (int j = i + 1; j < end && flags == 2; ++j) {
                    const std::string& s = Get(j);
                    if (s.size() < 2 || !isFlag(s[0]) || !isFlag(s[1])) flags = 1;
                }
            }
            // All items go into the list in one call: a sorted list sorts
            // them once, whatever order the text holds them in.
            std::vector<TListItemData> items;
            items.reserve(static_cast<size_t>(std::max(0, end - i - 1)));
            for (int j = i + 1; j < end; ++j) {
                const std::string& s = Get(j);
                const size_t n = std::min<size_t>(static_cast<size_t>(flags), s.size());
                const bool enabled =
                    !(flags == 2 && !(ContentSkipMask & csCheckListEnabled) && s.size() >= 2 && s[1] == 'N');
                items.push_back({s.substr(n), !s.empty() && s[0] == 'Y', enabled});
            }
            box->AssignCheckList(std::move(items));
        });
    if (mask & ssMemos)
        each("TMemo", [&](TComponent* c, const std::string&, int i) {
            if (i < 0) return;
            auto* memo = static_cast<TMemo*>(c);
            TStringList lines;
            for (int j = i + 1, end = runEnd(i, false); j < end; ++j) lines.Add(Get(j));
            memo->SetLines(lines);
            memo->SetModified(true);
        });
    if (mask & ssStringListHolders)
        each("TStringListHolder", [&](TComponent* c, const std::string& key, int i) {
            if (i < 0) return;
            auto* h = static_cast<TStringListHolder*>(c);
            h->Clear();
            std::string v;
            if (ReadValue(key + ".MaxLen", v)) h->SetMaxLen(StrToInt(v));
            if (ReadValue(key + ".SaveObjects", v)) h->SetSaveObjects(StrToBoolDef(v, false));
            if (FileFormat == 1) {
                // The strings follow the MaxLen and SaveObjects lines.
                int j = i + 1;
                const std::string stem = Names(i);
                for (const char* sub : {".MaxLen", ".SaveObjects"})
                    if (j < Count() && AnsiCompareText(Names(j), stem + sub) == 0) ++j;
                for (const int end = runEnd(j - 1, false); j < end; ++j) {
                    const std::string& s = Get(j);
                    if (!h->SaveObjects()) {
                        h->Add(s);
                        continue;
                    }
                    // "number@string"; a line without "@" has no number.
                    auto at = s.find('@');
                    int number = StrToInt(at == std::string::npos ? std::string() : s.substr(0, at));
                    int k = h->Add(at == std::string::npos ? s : s.substr(at + 1));
                    h->SetObjectNumber(k, number);
                }
            } else {
                h->SetCommaText(Unwrap(ValueFromIndex(i)));
            }
        });
    if (mask & ssRadioGroups)
        each("TRadioGroup", [&](TComponent* c, const std::string&, int i) {
            static_cast<TRadioGroup*>(c)->SetItemIndex(i >= 0 ? StrToInt(ValueFromIndex(i)) : 0);
        });
}

} // namespace pem
