#include "IncCombo.h"

#include "CharSet1252.h"
#include "DialogService.h"
#include "HandlerGuard.h"
#include "QtText.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <unordered_set>

namespace pem {

namespace {

std::string TrimRightBlanks(const std::string& s) {
    size_t n = s.size();
    while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ') --n;
    return s.substr(0, n);
}

// Position (0-based) of the search text in the item, compared in upper case;
// npos when absent. An empty search text matches nothing.
size_t MatchPos(const std::string& item, const std::string& upperSearch) {
    if (upperSearch.empty()) return std::string::npos;
    return AnsiUpperCase(item).find(upperSearch);
}

} // namespace

TIncCombo::TIncCombo(TComponent* owner, QWidget* parent, const std::string& name)
    : TComboBox(owner, parent, name, "TIncCombo") {
    // The change event fires once after a search, not for each step of it.
    QObject::disconnect(this, &QComboBox::currentTextChanged, this, nullptr);
    QObject::connect(this, &QComboBox::currentTextChanged, this, [this](const QString&) {
        if (busy_ == 0 && !inKey_) FireEvent(OnChange, this);
    });
    if (QLineEdit* le = lineEdit()) {
        // Text changed other than by a key (pasting): search once the edit is
        // done with its own change.
        QObject::connect(le, &QLineEdit::textEdited, this, [this](const QString&) {
            if (inKey_) editedInKey_ = true;
            else if (busy_ == 0)
                QMetaObject::invokeMethod(this, [this] { RunGuarded([this] { SearchCurrentText(); }); },
                                          Qt::QueuedConnection);
        });
    }
    SetHint("Use *<search text> \rto search within the strings");
}

// ---- items and second values

void TIncCombo::SetClearBeforeFill(bool b) {
    clearBeforeFill_ = b;
    if (b) ResetItems(false);
}

TStringList TIncCombo::FullItems() const { return filtered_ ? fullItems_ : TComboBox::Items(); }

int TIncCombo::FullItemIndex() const {
    int i = currentIndex();
    if (i < 0) return -1;
    if (!filtered_) return i;
    return i < static_cast<int>(shownToFull_.size()) ? shownToFull_[static_cast<size_t>(i)] : -1;
}

void TIncCombo::AddWithSecond(const std::string& item, const std::string& second) {
    std::string s = Trim ? TrimRightBlanks(item) : item;
    RestoreFullList();
    TStringList items = TComboBox::Items();
    if (items.IndexOf(s) >= 0) return;
    int index = items.Count();
    ++busy_;
    int keepIndex = currentIndex();
    QString keepText = currentText();
    addItem(ToQ(s));
    // Adding the first item must not select it.
    if (currentIndex() != keepIndex) {
        setCurrentIndex(keepIndex);
        if (QLineEdit* le = lineEdit()) le->setText(keepText);
    }
    --busy_;
    if (!secondList_) secondList_.emplace();
    secondList_->Add(std::to_string(index) + "=" + second);
}

void TIncCombo::AssignWithSecond(const std::vector<std::pair<std::string, std::string>>& items) {
    ResetItems(false);
    QStringList shown;
    shown.reserve(static_cast<qsizetype>(items.size()));
    secondList_.emplace();
    std::unordered_set<std::string> present;
    for (const auto& [item, second] : items) {
        std::string s = Trim ? TrimRightBlanks(item) : item;
        if (!present.insert(AnsiLowerCase(s)).second) continue;
        secondList_->Add(std::to_string(shown.size()) + "=" + second);
        shown << ToQ(s);
    }
    ++busy_;
    const QString keepText = currentText();
    addItems(shown);
    setCurrentIndex(-1);
    if (QLineEdit* le = lineEdit()) le->setText(keepText);
    --busy_;
}

std::string TIncCombo::SecondOfIndex(int fullIndex) const {
    if (!secondList_ || fullIndex < 0) return "";
    return secondList_->Values(std::to_string(fullIndex));
}

std::string TIncCombo::SecondInd() const { return SecondOfIndex(FullItemIndex()); }

void TIncCombo::SetSecondInd(const std::string& second) {
    if (!secondList_) return;
    for (int i = 0; i < secondList_->Count(); ++i) {
        if (secondList_->ValueFromIndex(i) != second) continue;
        int full = -1;
        try {
            full = std::stoi(secondList_->Names(i));
        } catch (...) {
            return;
        }
        if (filtered_) {
            auto it = std::find(shownToFull_.begin(), shownToFull_.end(), full);
            if (it == shownToFull_.end()) RestoreFullList();
            else full = static_cast<int>(it - shownToFull_.begin());
        }
        if (full < count()) setCurrentIndex(full);
        return;
    }
}

std::string TIncCombo::SecondOfItem(const std::string& item) const {
    return SecondOfIndex(FullItems().IndexOf(item));
}

void TIncCombo::ClearItems() { ResetItems(true); }

void TIncCombo::ResetItems(bool clearText) {
    ++busy_;
    if (clearText)
        if (QLineEdit* le = lineEdit()) le->clear();
    filtered_ = false;
    fullItems_.Clear();
    shownToFull_.clear();
    clear();
    --busy_;
    if (secondList_) secondList_->Clear();
}

// ---- filtering

void TIncCombo::FilterList() {
    if (!filtered_) fullItems_ = TComboBox::Items();
    int selectedFull = FullItemIndex();
    std::string text = EditText();
    std::string up = AnsiUpperCase(lastGoodText_);
    QStringList shown;
    shownToFull_.clear();
    for (int i = 0; i < fullItems_.Count(); ++i) {
        if (MatchPos(fullItems_[i], up) == std::string::npos) continue;
        shown << ToQ(fullItems_[i]);
        shownToFull_.push_back(i);
    }
    ++busy_;
    filtered_ = true;
    clear();
    addItems(shown);
    int select = -1;
    for (size_t k = 0; k < shownToFull_.size(); ++k)
        if (shownToFull_[k] == selectedFull) select = static_cast<int>(k);
    setCurrentIndex(select);
    SetEditText(text);
    --busy_;
}

void TIncCombo::RestoreFullList() {
    if (!filtered_) return;
    int selectedFull = FullItemIndex();
    std::string text = EditText();
    int selStart = lineEdit() ? lineEdit()->selectionStart() : -1;
    int selLen = lineEdit() ? lineEdit()->selectedText().size() : 0;
    QStringList all;
    for (int i = 0; i < fullItems_.Count(); ++i) all << ToQ(fullItems_[i]);
    ++busy_;
    filtered_ = false;
    shownToFull_.clear();
    fullItems_.Clear();
    clear();
    addItems(all);
    setCurrentIndex(selectedFull);
    SetEditText(text);
    if (selStart >= 0) SetEditSelection(selStart, selLen);
    --busy_;
}

void TIncCombo::showPopup() {
    RunGuarded([this] {
        if (!isEditable() && currentIndex() < 0 && count() > 0) setCurrentIndex(0);
        if (!prefixMode_ && !lastGoodText_.empty()) FilterList();
    });
    QComboBox::showPopup();
}

void TIncCombo::hidePopup() { QComboBox::hidePopup(); }

// ---- search

std::string TIncCombo::SearchText() const { return prefixMode_ ? searchText_ : "*" + searchText_; }

void TIncCombo::SetSearchText(const std::string& s) {
    if (s == searchText_) return;
    searchText_ = s;
    FireEvent(OnChangeSearchText, this);
}

void TIncCombo::SetPrefixMode(bool prefix) {
    if (prefix == prefixMode_) return;
    prefixMode_ = prefix;
    SetSearchText("");
    RestoreFullList();
}

std::string TIncCombo::EditText() const { return FromQ(currentText()); }

void TIncCombo::SetEditText(const std::string& s) {
    if (QLineEdit* le = lineEdit()) {
        if (le->text() != ToQ(s)) le->setText(ToQ(s));
    }
}

void TIncCombo::SetEditSelection(int start, int length) {
    if (QLineEdit* le = lineEdit()) le->setSelection(start, length);
}

void TIncCombo::SelectMatch(int index, int pos, int len) {
    ++busy_;
    setCurrentIndex(index);
    SetEditText(FromQ(itemText(index)));
    SetEditSelection(pos, len);
    --busy_;
}

bool TIncCombo::Search(const std::string& text) {
    std::string up = AnsiUpperCase(text);
    for (int i = 0; i < count(); ++i) {
        std::string item = FromQ(itemText(i));
        size_t pos = MatchPos(item, up);
        if (pos == std::string::npos || (prefixMode_ && pos != 0)) continue;
        foundIndex_ = i;
        matchPos_ = static_cast<int>(pos) + 1;
        lastGoodText_ = text;
        lastGoodIndex_ = filtered_ ? shownToFull_[static_cast<size_t>(i)] : i;
        if (view() && view()->isVisible()) hidePopup();
        int len = static_cast<int>(text.size());
        if (prefixMode_) SelectMatch(i, len, static_cast<int>(item.size()) - len);
        else SelectMatch(i, static_cast<int>(pos), len);
        if (SameText(item, text)) FireEvent(OnFullValue, this);
        return true;
    }
    foundIndex_ = -1;
    return false;
}

void TIncCombo::SearchCurrentText() {
    if (!AllowSearch || !isEditable()) return;
    std::string text = EditText();
    if (text.empty()) {
        SetPrefixMode(true);
        SetSearchText("");
        AfterChange();
        return;
    }
    if (AllowExtendedSearch && text[0] == '*') {
        SetPrefixMode(false);
        SetSearchText(text.substr(1));
        ++busy_;
        SetEditText(searchText_);
        --busy_;
    } else if (prefixMode_) {
        SetSearchText(text);
    }
    if (searchText_.empty()) {
        AfterChange();
        return;
    }
    if (!Search(searchText_)) {
        if (lastKey_ != Qt::Key_Backspace && !AllowTextEntry) Dialogs().Beep();
        if (!prefixMode_) {
            if (!lastGoodText_.empty()) {
                SetSearchText(lastGoodText_);
                Search(lastGoodText_);
            }
        } else if (!AllowTextEntry && lastGoodIndex_ >= 0) {
            int shown = lastGoodIndex_;
            if (filtered_) {
                auto it = std::find(shownToFull_.begin(), shownToFull_.end(), lastGoodIndex_);
                shown = it == shownToFull_.end() ? -1 : static_cast<int>(it - shownToFull_.begin());
            }
            if (shown >= 0 && shown < count()) {
                SetSearchText(lastGoodText_);
                int len = static_cast<int>(lastGoodText_.size());
                SelectMatch(shown, len, static_cast<int>(itemText(shown).size()) - len);
            }
        } else if (AllowTextEntry && currentIndex() >= 0) {
            // Free text names no item.
            ++busy_;
            QLineEdit* le = lineEdit();
            QString keep = le->text();
            int cursor = le->cursorPosition();
            setCurrentIndex(-1);
            le->setText(keep);
            le->setCursorPosition(cursor);
            --busy_;
        }
    }
    AfterChange();
}

void TIncCombo::AfterChange() { FireEvent(OnChange, this); }

// ---- keys and focus

void TIncCombo::keyPressEvent(QKeyEvent* e) {
    lastKey_ = e->key();
    bool ok = true;
    auto guarded = [&](const std::function<void()>& fn) { ok = RunGuarded(fn) && ok; };
    switch (e->key()) {
    case Qt::Key_Home:
    case Qt::Key_End:
        if (count() > 0) {
            int i = e->key() == Qt::Key_Home ? 0 : count() - 1;
            guarded([&] {
                SelectMatch(i, 0, 0);
                AfterChange();
            });
        }
        e->accept();
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (!prefixMode_) {
            e->accept();
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        FireEvent(OnEnterKey, this);
        guarded([&] { SearchCurrentText(); });
        break;
    case Qt::Key_Escape:
        FireEvent(OnEscKey, this);
        guarded([&] {
            SetPrefixMode(true);
            ++busy_;
            setCurrentIndex(-1);
            if (QLineEdit* le = lineEdit()) le->clear();
            --busy_;
            SetSearchText("");
            hidePopup();
        });
        e->accept();
        return;
    case Qt::Key_Backspace:
        if (!prefixMode_ && AllowSearch && isEditable()) {
            guarded([&] {
                RestoreFullList();
                std::string s = searchText_;
                if (!s.empty()) s.pop_back();
                if (s.empty()) {
                    SetPrefixMode(true);
                    Dialogs().Beep();
                    AfterChange();
                    return;
                }
                SetSearchText(s);
                SearchWithin();
            });
            e->accept();
            return;
        }
        break;
    default: {
        std::string typed = FromQ(e->text());
        bool printable = typed.size() == 1 && static_cast<unsigned char>(typed[0]) >= ' ' && typed[0] != 127 &&
                         !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (printable && !prefixMode_ && AllowSearch && isEditable()) {
            guarded([&] {
                RestoreFullList();
                SetSearchText(searchText_ + typed);
                SearchWithin();
            });
            e->accept();
            return;
        }
        break;
    }
    }
    // Typing over a selection with the same character still counts as a
    // change of the text (it completes a full value).
    QString before = currentText();
    editedInKey_ = false;
    inKey_ = true;
    QComboBox::keyPressEvent(e);
    inKey_ = false;
    if (editedInKey_ || currentText() != before) {
        if (AllowSearch && isEditable()) RunGuarded([this] { SearchCurrentText(); });
        else FireEvent(OnChange, this);
    }
}

void TIncCombo::SearchWithin() {
    if (!Search(searchText_)) {
        if (lastKey_ != Qt::Key_Backspace && !AllowTextEntry) Dialogs().Beep();
        if (!lastGoodText_.empty()) {
            SetSearchText(lastGoodText_);
            Search(lastGoodText_);
        }
    }
    AfterChange();
}

void TIncCombo::focusInEvent(QFocusEvent* e) {
    RunGuarded([this] { SetPrefixMode(true); });
    QComboBox::focusInEvent(e);
}

void TIncCombo::focusOutEvent(QFocusEvent* e) {
    QComboBox::focusOutEvent(e);
    RunGuarded([this] { SetSearchText(lastGoodText_); });
    FireEvent(OnExit, this);
}

void TIncCombo::mousePressEvent(QMouseEvent* e) {
    RunGuarded([this] { SetPrefixMode(true); });
    QComboBox::mousePressEvent(e);
}

// ---- drops

void TIncCombo::WMDropFiles(const TWMDropFiles& msg) {
    if (OnWMDropFileMessage) OnWMDropFileMessage(this, msg);
}

} // namespace pem
