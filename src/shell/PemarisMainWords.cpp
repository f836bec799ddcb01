// Word lists on the main window: importing, exporting, picking control words
// out of a source text, editing entries in place, cleaning, and the
// dictionary terms read against the ticked control words. The file format,
// the cleaning rules, the dictionary and the drop rules live in
// src/shell/words; the handlers here connect them to the controls.
#include "PemarisMain.h"

#include "BaseFileUtils.h"
#include "BaseStrings.h"
#include "CaseInsensitivePath.h"
#include "CharSet1252.h"
#include "ControlEvents.h"
#include "DocumentText.h"
#include "FindExecFrame.h"
#include "QtText.h"
#include "SafeFiles.h"
#include "SettingsStore.h"
#include "WM_DropFilesComponents.h"
#include "WordListCleaning.h"
#include "WordListFile.h"
#include "WordPicking.h"

#include <QApplication>
#include <QDrag>
#include <QFontMetrics>
#include <QMimeData>
#include <QPainter>
#include <QTabBar>
#include <QTextCursor>

namespace pem {

namespace {

const char* const kWordListSetting = "LastUsedWordTable";

std::vector<TListItemData> ItemsOf(const TCheckListBox* list) {
    std::vector<TListItemData> items;
    items.reserve(static_cast<size_t>(list->Count()));
    for (int i = 0; i < list->Count(); ++i) items.push_back({list->ItemText(i), list->Checked(i), list->ItemEnabled(i)});
    return items;
}

std::vector<std::string> TextsOf(const TCheckListBox* list) {
    std::vector<std::string> texts;
    texts.reserve(static_cast<size_t>(list->Count()));
    for (int i = 0; i < list->Count(); ++i) texts.push_back(list->ItemText(i));
    return texts;
}

std::vector<std::string> TickedOf(const TCheckListBox* list) {
    std::vector<std::string> texts;
    for (int i = 0; i < list->Count(); ++i)
        if (list->Checked(i)) texts.push_back(list->ItemText(i));
    return texts;
}

// Sorts the list once; its own Sorted setting stays as it was.
void SortOnce(TCheckListBox* list) {
    const bool was = list->Sorted();
    list->SetSorted(false);
    list->SetSorted(true);
    list->SetSorted(was);
}

// Adds ticked items and sorts the list once.
void AddTickedSortedOnce(TCheckListBox* list, const std::vector<std::string>& texts) {
    if (texts.empty()) {
        SortOnce(list);
        return;
    }
    std::vector<TListItemData> items = ItemsOf(list);
    for (const std::string& t : texts) items.push_back({t, true, true});
    const bool was = list->Sorted();
    list->SetSorted(false);
    list->AssignItems(std::move(items));
    list->SetSorted(true);
    list->SetSorted(was);
}

void DeleteItems(TCheckListBox* list, const std::vector<size_t>& positions) {
    for (auto it = positions.rbegin(); it != positions.rend(); ++it) list->DeleteItem(static_cast<int>(*it));
}

std::vector<TFileFilter> WordListFilter(bool withAllFiles) {
    return ParseDialogFilter(withAllFiles ? "Word lists (*.wrl)|*.wrl|All files (*.*)|*.*" : "Word lists (*.wrl)|*.wrl");
}

// The item row of a list at a point of its client area; -1 when none.
int ItemAt(const TCheckListBox* list, const QPoint& at) {
    const QListWidgetItem* it = list->itemAt(at);
    return it ? list->row(it) : -1;
}

// Draws the control-word list's items through the window's handler.
class TControlTagsDelegate : public TListItemDelegate {
public:
    TControlTagsDelegate(QObject* parent, std::function<void(QPainter*, const QRect&, const std::string&)> draw)
        : TListItemDelegate(parent), draw_(std::move(draw)) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const std::string text = FromQ(opt.text);
        opt.text.clear();
        const QWidget* w = opt.widget;
        QStyle* style = w ? w->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, w);
        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, w);
        painter->save();
        painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        draw_(painter, textRect, text);
        painter->restore();
    }

private:
    std::function<void(QPainter*, const QRect&, const std::string&)> draw_;
};

// A drag of picked words under the private type.
void StartWordDrag(QWidget* source, const TWordDrag& drag) {
    auto* mime = new QMimeData;
    const std::string bytes = EncodeWordDrag(drag);
    mime->setData(kWordDragMimeType, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    auto* d = new QDrag(source);
    d->setMimeData(mime);
    d->exec(Qt::CopyAction);
}

std::optional<TWordDrag> WordDragOf(const QMimeData* data) {
    if (!data || !data->hasFormat(kWordDragMimeType)) return std::nullopt;
    const QByteArray bytes = data->data(kWordDragMimeType);
    return DecodeWordDrag(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

// The rich edit's selection, line breaks as "\n".
std::string SelectedSourceText(const TRichEdit* edit) {
    QString s = edit->textCursor().selectedText();
    s.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    s.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return FromQ(s);
}

} // namespace

// ------------------------------------------------------------------ binding

void TfrmPemarisMain::BindWordListHandlers() {
    Act("ActLoadWordList")->OnExecute = [this](TComponent* s) { ActLoadWordListExecute(s); };
    Act("ActSaveWordList")->OnExecute = [this](TComponent* s) { ActSaveWordListExecute(s); };
    Act("ActLoadTextFile")->OnExecute = [this](TComponent* s) { ActLoadTextFileExecute(s); };
    Act("ActAddselectedToLIst")->OnExecute = [this](TComponent* s) { ActAddselectedToLIstExecute(s); };
    Act("ActRemoveDuplicates")->OnExecute = [this](TComponent* s) { ActRemoveDuplicatesExecute(s); };
    Act("ActRemoveUnidentified")->OnExecute = [this](TComponent* s) { ActRemoveUnidentifiedExecute(s); };
    ButtonCreateWrdList->OnClick = [this](TComponent* s) { ButtonCreateWrdListClick(s); };
    BitBtnImportWordlist->OnWMDropFileMessage = [this](TComponent* s, const TWMDropFiles& m) { BitBtnImportWordlistWMDropFileMessage(s, m); };

    // Entering a page by the user's own click or key (not when the program
    // shows one).
    auto* pageChange = new TUserPageChange(PageControlMain, PageControlMain);
    pageChange->OnChange = [this](TComponent* s) { PageControlMainChange(s); };

    // Picking words: from the source text, or from the list back into the
    // create row.
    auto* richEvents = RichEditEvents = new TControlEvents(RichEditCTLWords, RichEditCTLWords);
    richEvents->OnMouseDown = [this](TComponent* s, Qt::MouseButton b, const QPoint& at) { RichEditCTLWordsMouseDown(s, b, at); };
    richEvents->OnDragOver = [this](TComponent* s, const QMimeData* d, QObject*) { return CheckListBoxControlTagsDragOver(s, d); };
    auto* createEvents = new TControlEvents(EditCreateWrdList, EditCreateWrdList);
    createEvents->OnDragOver = [this](TComponent* s, const QMimeData* d, QObject*) { return EditCreateWrdListDragOver(s, d); };
    createEvents->OnDragDrop = [this](TComponent* s, const QMimeData* d, QObject*) { EditCreateWrdListDragDrop(s, d); };
    EditCreateWrdList->setAcceptDrops(true);

    // The control-word list: drawn in two columns, dragged from, edited in
    // place.
    CheckListBoxControlTags->setItemDelegate(new TControlTagsDelegate(
        CheckListBoxControlTags,
        [this](QPainter* p, const QRect& r, const std::string& t) { CheckListBoxControlTagsDrawItem(p, r, t); }));
    auto* tagEvents = new TControlEvents(CheckListBoxControlTags, CheckListBoxControlTags);
    tagEvents->OnMouseUp = [this](TComponent* s, Qt::MouseButton b, const QPoint& at) { CheckListBoxControlTagsMouseUp(s, b, at); };
    tagEvents->OnKeyDown = [this](TComponent* s, int& key) { CheckListBoxControlTagsKeyDown(s, key); };
    tagEvents->OnDragOver = [this](TComponent* s, const QMimeData* d, QObject*) { return CheckListBoxControlTagsDragOver(s, d); };
    tagEvents->OnStartDrag = [this](TComponent*) {
        const int i = CheckListBoxControlTags->ItemIndex();
        if (i >= 0) StartWordDrag(CheckListBoxControlTags, {TWordDragSource::ControlWords, CheckListBoxControlTags->ItemText(i)});
    };
    CheckListBoxControlTags->setAcceptDrops(true);
    auto* panelEvents = new TControlEvents(PanelCWrd, PanelCWrd);
    panelEvents->OnExit = [this](TComponent* s) { PanelCWrdExit(s); };
    for (QWidget* w : {static_cast<QWidget*>(EditCWrd), static_cast<QWidget*>(ComboBoxEditCWrd)}) {
        auto* keys = new TControlEvents(w, PanelCWrd);
        keys->OnKeyDown = [this](TComponent* s, int& key) { PanelCWrdKeyDown(s, key); };
    }

    // The noun list and its editor.
    auto* nounEvents = new TControlEvents(CheckListBoxObjects, CheckListBoxObjects);
    nounEvents->OnMouseUp = [this](TComponent* s, Qt::MouseButton b, const QPoint& at) { CheckListBoxObjectsMouseUp(s, b, at); };
    nounEvents->OnMouseMove = [this](TComponent* s, const QPoint& at) { CheckListBoxObjectsMouseMove(s, at); };
    nounEvents->OnKeyDown = [this](TComponent* s, int& key) { CheckListBoxObjectsKeyDown(s, key); };
    CheckListBoxObjects->viewport()->setMouseTracking(true);
    EditObjects->OnKeyPress = [this](TComponent* s, char& key) { EditObjectsKeyPress(s, key); };
    EditObjects->OnExit = [this](TComponent* s) { EditObjectsExit(s); };
}

// --------------------------------------------------------- file and lists

std::vector<std::string> TfrmPemarisMain::TickedControlTags() const { return TickedOf(CheckListBoxControlTags); }

void TfrmPemarisMain::LoadWordList(const std::string& fileName) {
    const TWordListEntries entries = ReadWordListFile(fileName, ComboBoxEditCWrd->Items());
    AddTickedSortedOnce(CheckListBoxObjects, entries.nouns);
    AddTickedSortedOnce(CheckListBoxControlTags, entries.controlTags);
}

void TfrmPemarisMain::SaveWordList(const std::string& fileName) {
    SortOnce(CheckListBoxObjects);
    SortOnce(CheckListBoxControlTags);
    WriteWordListFile(fileName, TickedOf(CheckListBoxControlTags), TickedOf(CheckListBoxObjects));
}

// The run's word list lies in the output directory: the program's own file,
// written as the user's save writes, but never through a link in its place.
void TfrmPemarisMain::SaveFunctionWordList(const std::string& fileName) {
    SortOnce(CheckListBoxObjects);
    SortOnce(CheckListBoxControlTags);
    WriteOwnWordListFile(fileName, TickedOf(CheckListBoxControlTags), TickedOf(CheckListBoxObjects));
}

void TfrmPemarisMain::LoadWordListFromFunctab() {
    // Only a function table that is there: the language may not have one.
    const std::string found = FindFileIgnoringCase(FrameFindexecFunctab->FileName());
    if (!found.empty()) LoadWordList(found);
}

const TDictionaryTerms& TfrmPemarisMain::ReadControlWords() {
    TBusyCursor busy;
    if (Dictionary.ReadControlWords(DictionaryFilesPath, TickedControlTags()))
        for (const std::string& w : Dictionary.Warnings()) MyStB->ShowWarning(w);
    return Dictionary;
}

// The dictionary the run preparation marks documents with (null when the
// language has none). It is rebuilt only when the term files were read
// again.
std::shared_ptr<const TDocumentDictionary> TfrmPemarisMain::DocumentDictionary() {
    if (!UseDictionaryFiles) return nullptr;
    const TDictionaryTerms& terms = ReadControlWords();
    if (!DocumentTerms || DocumentTermsReading != terms.Readings()) {
        std::vector<std::pair<std::string, int>> single;
        single.reserve(terms.SingleTerms().size());
        for (const TSingleTerm& t : terms.SingleTerms()) single.emplace_back(t.term, t.value);
        DocumentTerms = std::make_shared<const TDocumentDictionary>(single, terms.CompoundTerms(), terms.Exceptions());
        DocumentTermsReading = terms.Readings();
    }
    return DocumentTerms;
}

// --------------------------------------------------------- import, export

void TfrmPemarisMain::ActLoadWordListExecute(TComponent*) {
    const std::string last = ReadSettingStr(kWordListSetting);
    TOpenDialogRequest& o = OpenDialogWork->Options;
    o = TOpenDialogRequest{};
    o.title = "Load a word list";
    o.initialDir = ExtractFilePath(last);
    o.fileName = ExtractFileName(last);
    o.filters = WordListFilter(true);
    OpenDialogWork->FileName = o.fileName;
    if (!OpenDialogWork->Execute()) return;
    ImportWordList(OpenDialogWork->FileName);
}

void TfrmPemarisMain::ImportWordList(const std::string& fileName) {
    PageControlMain->SetActivePage(TabSheetWordScan);
    if (CheckListBoxObjects->Count() > 0 || CheckListBoxControlTags->Count() > 0) {
        const int answer = Dialogs().MessageDlg(
            "You already have some items in the active word list !\r\nShould I clear it before loading ?",
            TMsgDlgType::mtConfirmation, mbYesNoCancel);
        if (answer == mrCancel) return;
        if (answer == mrYes) {
            CheckListBoxObjects->ClearItems();
            CheckListBoxControlTags->ClearItems();
        }
    }
    LoadWordList(fileName);
    SetModified(true);
    WriteSetting(kWordListSetting, fileName);
}

void TfrmPemarisMain::BitBtnImportWordlistWMDropFileMessage(TComponent*, const TWMDropFiles& msg) {
    RefuseJobChangeWhileBusy();
    if (msg.Files.Count() != 1) return;
    const std::string& file = msg.Files[0];
    if (DirectoryExists(file) || AsciiLowerCase(ExtractFileExt(file)) != ".wrl") return;
    ImportWordList(file);
}

void TfrmPemarisMain::ActSaveWordListExecute(TComponent*) {
    PageControlMain->SetActivePage(TabSheetWordScan);
    if (CheckListBoxObjects->Count() == 0 && CheckListBoxControlTags->Count() == 0) return;
    const std::string last = ReadSettingStr(kWordListSetting);
    TOpenDialogRequest& o = SaveDialogWork->Options;
    o = TOpenDialogRequest{};
    o.title = "Export your word list";
    o.defaultExt = "wrl";
    o.initialDir = ExtractFilePath(last);
    o.fileName = ExtractFileName(last);
    o.filters = WordListFilter(false);
    o.mustExist = false;
    SaveDialogWork->FileName = o.fileName;
    if (!SaveDialogWork->Execute()) return;
    SaveWordList(SaveDialogWork->FileName);
    WriteSetting(kWordListSetting, SaveDialogWork->FileName);
}

void TfrmPemarisMain::PageControlMainChange(TComponent*) {
    TTabSheet* page = PageControlMain->ActivePage();
    if (page == TabSheetWordScan) {
        MyStB->ClearMessage();
        EditedObjectIndex = -1;
        EditObjects->SetVisible(false);
        EditObjects->SetText("");
        if (FrameFindexecFunctab->Visible() && CheckListBoxObjects->Count() == 0 &&
            CheckListBoxControlTags->Count() == 0)
            LoadWordListFromFunctab();
    } else if (page && page == LangTab && ActiveRadioButton && ActiveRadioButton->isEnabled() &&
               ActiveRadioButton->isVisibleTo(page)) {
        ActiveRadioButton->setFocus();
    }
}

// ------------------------------------------------------------ picking words

void TfrmPemarisMain::ActLoadTextFileExecute(TComponent*) {
    if (PageControlMain->ActivePage() != TabSheetNames) {
        PageControlMain->SetActivePage(TabSheetNames);
        CheckListBoxSelectedFiles->setFocus();
        return;
    }
    const int i = CheckListBoxSelectedFiles->ItemIndex();
    if (i < 0) return;
    TStringList lines;
    lines.SetText(ReadRegularFile(Cp1252ToUtf8(CheckListBoxSelectedFiles->ItemText(i))));
    RichEditCTLWords->SetLines(lines);
    PageControlMain->SetActivePage(TabSheetWordScan);
    PageControlWordLists->SetActivePage(TabSheetControlWDS);
    RichEditCTLWords->setFocus();
}

void TfrmPemarisMain::RichEditCTLWordsMouseDown(TComponent*, Qt::MouseButton button, const QPoint&) {
    if (button != Qt::LeftButton || !RichEditCTLWords->textCursor().hasSelection()) return;
    // The press starts the drag and leaves the selection as it is.
    RichEditEvents->Swallow();
    StartWordDrag(RichEditCTLWords, {TWordDragSource::SourceText, SelectedSourceText(RichEditCTLWords)});
}

bool TfrmPemarisMain::EditCreateWrdListDragOver(TComponent*, const QMimeData* data) {
    const auto drag = WordDragOf(data);
    return drag && AcceptsWordDrag(TWordDropTarget::CreateWordEdit, drag->source);
}

void TfrmPemarisMain::EditCreateWrdListDragDrop(TComponent*, const QMimeData* data) {
    const auto drag = WordDragOf(data);
    if (!drag) return;
    const TCreateWordFields f = DropOnCreateWordEdit(*drag);
    EditCreateWrdList->SetText(f.word);
    if (f.code) ComboBoxCreateWrdList->SetText(*f.code);
}

bool TfrmPemarisMain::CheckListBoxControlTagsDragOver(TComponent* sender, const QMimeData* data) {
    const auto drag = WordDragOf(data);
    if (!drag) return false;
    const TWordDropTarget target =
        sender == RichEditCTLWords ? TWordDropTarget::SourceText : TWordDropTarget::ControlWords;
    return AcceptsWordDrag(target, drag->source);
}

void TfrmPemarisMain::ActAddselectedToLIstExecute(TComponent*) {
    const TCreateWordFields f = DropOnCreateWordEdit({TWordDragSource::SourceText, SelectedSourceText(RichEditCTLWords)});
    EditCreateWrdList->SetText(f.word);
    if (EditCreateWrdList->Visible()) EditCreateWrdList->setFocus();
}

void TfrmPemarisMain::ButtonCreateWrdListClick(TComponent*) {
    const std::string word = TrimCharSet(EditCreateWrdList->Text(), csControlAndBlank);
    if (word.empty()) return;
    CheckListBoxControlTags->AddItem(ControlTagItem(ComboBoxCreateWrdList->Text(), word), true);
}

void TfrmPemarisMain::CheckListBoxControlTagsDrawItem(QPainter* painter, const QRect& rect, const std::string& text) {
    const QFontMetrics fm(painter->font());
    const int base = rect.top() + (rect.height() + fm.ascent() - fm.descent()) / 2;
    painter->drawText(rect.left() + 2, base, ToQ(CopyRangeStr(text, 1, 4)));
    painter->drawText(rect.left() + WidthControlTagCol + 2, base, ToQ(CopyRangeStr(text, 5, 204)));
}

// ------------------------------------------------------------ in place

void TfrmPemarisMain::EditObjectInPlace(int index) {
    if (index < 0 || index >= CheckListBoxObjects->Count()) return;
    const QRect row = CheckListBoxObjects->visualItemRect(CheckListBoxObjects->item(index));
    const std::string text = CheckListBoxObjects->ItemText(index);
    const QFontMetrics fm(EditObjects->font());
    EditedObjectIndex = index;
    EditObjects->SetText(text);
    EditObjects->setModified(false);
    const int left = row.left() + row.height();
    EditObjects->setGeometry(left, row.top(), fm.horizontalAdvance(ToQ(text)) + 10 + 2 * EditObjects->textMargins().left() + 8,
                             std::max(row.height(), EditObjects->sizeHint().height()));
    EditObjects->SetVisible(true);
    EditObjects->raise();
    EditObjects->end(false);
    CheckListBoxObjects->clearSelection();
    EditObjects->setFocus();
}

// Stores the noun being edited when it changed and is not blank; closes the
// editor either way.
static void CloseObjectEditor(TfrmPemarisMain* f, bool store) {
    const int index = f->EditedObjectIndex;
    if (index < 0) return;
    f->EditedObjectIndex = -1; // hiding the editor moves the focus: no second store
    const std::string text = f->EditObjects->Text();
    if (store && index < f->CheckListBoxObjects->Count() && text != f->CheckListBoxObjects->ItemText(index) &&
        !TrimCharSet(text, csControlAndBlank).empty()) {
        f->CheckListBoxObjects->SetItemText(index, text);
        f->SetModified(true);
    }
    f->EditObjects->SetVisible(false);
    f->CheckListBoxObjects->setFocus();
}

void TfrmPemarisMain::CheckListBoxObjectsMouseUp(TComponent*, Qt::MouseButton button, const QPoint& at) {
    if (button != Qt::LeftButton || CheckListBoxObjects->Count() == 0 ||
        at.x() <= CheckListBoxObjects->visualItemRect(CheckListBoxObjects->item(0)).height())
        return;
    const int i = ItemAt(CheckListBoxObjects, at);
    if (i >= 0) EditObjectInPlace(i);
}

void TfrmPemarisMain::CheckListBoxObjectsMouseMove(TComponent*, const QPoint& at) {
    if (EditedObjectIndex < 0 || !EditObjects->Visible()) return;
    const QRect near = EditObjects->geometry().adjusted(-5, -5, 5, 5);
    if (!near.contains(at)) CloseObjectEditor(this, true);
}

void TfrmPemarisMain::CheckListBoxObjectsKeyDown(TComponent*, int& key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
    key = 0;
    EditObjectInPlace(CheckListBoxObjects->ItemIndex());
}

void TfrmPemarisMain::EditObjectsKeyPress(TComponent*, char& key) {
    if (key == '\r') CloseObjectEditor(this, true);
    else if (key == 27) CloseObjectEditor(this, false);
    else return;
    key = 0;
}

void TfrmPemarisMain::EditObjectsExit(TComponent*) { CloseObjectEditor(this, true); }

void TfrmPemarisMain::EditControlWordInPlace(int index) {
    if (index < 0 || index >= CheckListBoxControlTags->Count()) return;
    const QRect row = CheckListBoxControlTags->visualItemRect(CheckListBoxControlTags->item(index));
    const std::string item = CheckListBoxControlTags->ItemText(index);
    EditedControlWordIndex = index;
    const int code = ComboBoxEditCWrd->findText(ToQ(TrimRightCharSet(ControlTagCode(item), csControlAndBlank)));
    if (code >= 0) ComboBoxEditCWrd->SetItemIndex(code);
    EditCWrd->SetText(ControlTagWord(item));
    const int left = row.left() + row.height();
    PanelCWrd->setGeometry(left, row.top(), std::max(CheckListBoxControlTags->viewport()->width() - left, 120),
                           std::max(row.height(), PanelCWrd->sizeHint().height()));
    PanelCWrd->SetVisible(true);
    PanelCWrd->raise();
    CheckListBoxControlTags->clearSelection();
    EditCWrd->setFocus();
}

// Stores the control word being edited unless its word is blank; closes the
// panel either way.
static void CloseControlWordEditor(TfrmPemarisMain* f, bool store) {
    const int index = f->EditedControlWordIndex;
    if (index < 0) return;
    f->EditedControlWordIndex = -1;
    const std::string word = f->EditCWrd->Text();
    if (store && index < f->CheckListBoxControlTags->Count() && !TrimCharSet(word, csControlAndBlank).empty()) {
        f->CheckListBoxControlTags->SetItemText(index, ControlTagItem(f->ComboBoxEditCWrd->Text(), word));
        f->SetModified(true);
    }
    f->PanelCWrd->SetVisible(false);
    f->CheckListBoxControlTags->setFocus();
}

void TfrmPemarisMain::CheckListBoxControlTagsMouseUp(TComponent*, Qt::MouseButton button, const QPoint& at) {
    if (button != Qt::LeftButton || CheckListBoxControlTags->Count() == 0 ||
        at.x() <= CheckListBoxControlTags->visualItemRect(CheckListBoxControlTags->item(0)).height())
        return;
    const int i = ItemAt(CheckListBoxControlTags, at);
    if (i >= 0) EditControlWordInPlace(i);
}

void TfrmPemarisMain::CheckListBoxControlTagsKeyDown(TComponent*, int& key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
    key = 0;
    EditControlWordInPlace(CheckListBoxControlTags->ItemIndex());
}

void TfrmPemarisMain::PanelCWrdKeyDown(TComponent*, int& key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) CloseControlWordEditor(this, true);
    else if (key == Qt::Key_Escape) CloseControlWordEditor(this, false);
    else return;
    key = 0;
}

void TfrmPemarisMain::PanelCWrdExit(TComponent*) { CloseControlWordEditor(this, true); }

// ------------------------------------------------------------------ cleaning

namespace {

// The check list an action works on: the sender when it is one, else the
// focused control when it is one.
TCheckListBox* FocusedWordCheckList(TfrmPemarisMain* f, TComponent* sender) {
    if (auto* l = dynamic_cast<TCheckListBox*>(sender)) return l;
    if (sender && sender->Tag() != 0) f->MyStB->Error("Click on a checklistbox first to use this function(Tag)!");
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (auto* l = dynamic_cast<TCheckListBox*>(w)) return l;
    f->MyStB->Error("Click on a checklistbox first to use this function!");
    return nullptr;
}

} // namespace

void TfrmPemarisMain::ActRemoveDuplicatesExecute(TComponent* sender) {
    TCheckListBox* list = FocusedWordCheckList(this, sender == Act("ActRemoveDuplicates") ? nullptr : sender);
    if (!list) return;
    SortOnce(list);
    DeleteItems(list, DuplicateItems(TextsOf(list), list == CheckListBoxControlTags));
    SetModified(true);
}

void TfrmPemarisMain::ActRemoveUnidentifiedExecute(TComponent*) {
    SortOnce(CheckListBoxControlTags);
    DeleteItems(CheckListBoxControlTags, UnidentifiedItems(TextsOf(CheckListBoxControlTags)));
    SetModified(true);
}

} // namespace pem
