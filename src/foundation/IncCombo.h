#pragma once
// A combo box with incremental search and a second value per item. Typing
// selects the first item that begins with the typed text (prefix mode); a
// text beginning with "*" searches within the items instead, and dropping
// the list down then shows only the items that hold the search text. Each
// item may carry a second value (a code behind a display text), recorded as
// "index=value" lines that always refer to positions in the full item list,
// so a filtered list keeps every item's second value with it.
#include "Controls.h"
#include "DropRouter.h"
#include "StringList.h"

#include <optional>
#include <string>
#include <vector>

namespace pem {

class TIncCombo : public TComboBox, public TDropFilesReceiver {
public:
    TIncCombo(TComponent* owner, QWidget* parent, const std::string& name);

    bool AllowExtendedSearch = true;
    bool AllowSearch = true;
    bool AllowTextEntry = false;
    bool Trim = true;
    TNotifyEvent OnChangeSearchText;
    TNotifyEvent OnEnterKey;
    TNotifyEvent OnEscKey;
    TNotifyEvent OnFullValue;
    TWMDropfilesEvent OnWMDropFileMessage;

    bool ClearBeforeFill() const { return clearBeforeFill_; }
    // Setting true also empties the items and the second values at once.
    void SetClearBeforeFill(bool b);
    // Never sorted: the second values refer to item positions.
    bool Sorted() const { return false; }

    // The search text, with "*" in front while searching within the items.
    std::string SearchText() const;
    bool PrefixMode() const { return prefixMode_; }

    // Adds the item (trimmed on the right with Trim) unless present and
    // records its second value; an item already present changes nothing.
    void AddWithSecond(const std::string& item, const std::string& second);
    // Replaces the items and second values by the pairs in one go, with the
    // rules of AddWithSecond (trimmed, an item already present skipped).
    void AssignWithSecond(const std::vector<std::pair<std::string, std::string>>& items);
    // Second value of the selected item; "" without second values or
    // selection.
    std::string SecondInd() const;
    // Selects the item whose second value equals the text; nothing when none.
    void SetSecondInd(const std::string& second);
    // Second value recorded for that item text ("" when none).
    std::string SecondOfItem(const std::string& item) const;
    // Second value of the item at a position of the full list.
    std::string SecondOfIndex(int fullIndex) const;
    // Empties the text, the items (also a saved full list) and the second
    // values.
    void ClearItems();

    // All items, also while the shown list is filtered. Form state and
    // anyone asking for the box's items get these.
    TStringList FullItems() const;
    TStringList Items() const { return FullItems(); }
    // The "index=value" lines of the second values; nullptr before the first
    // AddWithSecond.
    const TStringList* SecondList() const { return secondList_ ? &*secondList_ : nullptr; }
    // Position in the full list of the selected item; -1 without selection.
    int FullItemIndex() const;
    // True while the shown list holds only the matching items.
    bool Filtered() const { return filtered_; }

    void WMDropFiles(const TWMDropFiles& msg) override;

    // The search as typing runs it, for the current edit text.
    void SearchCurrentText();

    void showPopup() override;
    void hidePopup() override;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    // Empties the items, the saved full list and the second values.
    void ResetItems(bool clearText);
    void SetPrefixMode(bool prefix);
    // Steps 3 to 6 of the search in within mode with the search text.
    void SearchWithin();
    void SetSearchText(const std::string& s);
    // Finds and selects; false when nothing matched.
    bool Search(const std::string& text);
    void SelectMatch(int index, int pos, int len);
    void RestoreFullList();
    void FilterList();
    void AfterChange();
    void SetEditSelection(int start, int length);
    std::string EditText() const;
    void SetEditText(const std::string& s);

    bool clearBeforeFill_ = true;
    bool prefixMode_ = true;
    std::string searchText_;
    int foundIndex_ = -1;
    int lastGoodIndex_ = -1;
    std::string lastGoodText_;
    int lastKey_ = 0;
    int matchPos_ = 0;
    // While filtered: the full list and, per shown item, its full position.
    bool filtered_ = false;
    TStringList fullItems_;
    std::vector<int> shownToFull_;
    std::optional<TStringList> secondList_;
    int busy_ = 0;
    bool inKey_ = false;
    bool editedInKey_ = false;
};

} // namespace pem
