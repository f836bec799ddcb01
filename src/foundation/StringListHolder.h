#pragma once
// A non-visual component that owns a string list kept with its form (XML
// templates, code tables, job lists). The form-state text stores the
// strings, MaxLen and SaveObjects; with SaveObjects the strings' objects are
// numbers that the text keeps beside each string.
#include "Component.h"
#include "StringList.h"

#include <QObject>
#include <string>

namespace pem {

// Objects that are plain numbers: the number rides in the pointer value and
// owns nothing (0 is the empty object), as a number cast to an object always
// did.
TObject ObjectFromInt(int n);
int IntFromObject(const TObject& obj);

class TStringListHolder : public QObject, public TComponent {
public:
    // The holder is a child of its owner's Qt object and goes with it.
    explicit TStringListHolder(TComponent* owner, const std::string& name = "");

    // The held list; assigning copies the given list's contents.
    TStringList& StringList() { return list_; }
    const TStringList& StringList() const { return list_; }
    void SetStringList(const TStringList& list);

    // Forwarders to the held list.
    std::string GetStrings(int i) const { return list_[i]; }
    void SetStrings(int i, const std::string& s) { list_.Put(i, s); }
    TObject GetObjects(int i) const { return list_.Objects(i); }
    void SetObjects(int i, TObject obj) { list_.PutObject(i, std::move(obj)); }
    // The object of string i as a number (what SaveObjects keeps).
    int GetObjectNumber(int i) const { return IntFromObject(list_.Objects(i)); }
    void SetObjectNumber(int i, int n) { list_.PutObject(i, ObjectFromInt(n)); }
    int Count() const { return list_.Count(); }
    int Add(const std::string& s) { return list_.Add(s); }
    void SetCommaText(const std::string& text) { list_.SetCommaText(text); }

    int MaxLen() const { return maxLen_; }
    void SetMaxLen(int n) { maxLen_ = n; }
    bool SaveObjects() const { return saveObjects_; }
    void SetSaveObjects(bool b) { saveObjects_ = b; }

    // Empties the list and sets MaxLen to 0; SaveObjects stays.
    void Clear();

private:
    TStringList list_;
    int maxLen_ = 0;
    bool saveObjects_ = false;
};

} // namespace pem
