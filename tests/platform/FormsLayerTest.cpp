// The forms layer: names, owners, own visibility flags, the action-list
// gate, programmatic clicks and the guard around every handler.
#include "Actions.h"
#include "Exceptions.h"
#include "Forms.h"
#include "HandlerGuard.h"
#include "QtTestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QShortcutEvent>
#include <QTreeWidgetItem>
#include <gtest/gtest.h>

using namespace pem;

namespace {
class FormsLayerTest : public ::testing::Test {
protected:
    void SetUp() override { pemtest::EnsureQApp(); }
    pemtest::ScopedDialogs dialogs;
};
} // namespace

TEST_F(FormsLayerTest, OwnerIsNotParentAndFindsByNameWithoutCase) {
    TForm form("frmTest");
    auto* frame = new TFrame(&form, form.Client(), "FrameX", "TFrameX");
    // The frame owns its edit; the edit's parent is the frame.
    auto* edit = new TEdit(frame, frame, "Edit");
    EXPECT_EQ(edit->Owner(), frame);
    EXPECT_EQ(edit->parentWidget(), frame);
    EXPECT_EQ(form.FindComponent("edit"), nullptr);
    EXPECT_EQ(form.FindComponentDeep("EDIT"), edit);
    EXPECT_STREQ(frame->ClassName(), "TFrameX");
    EXPECT_EQ(TComponent::Of(edit), edit);
    delete edit; // leaves its owner's list
    EXPECT_EQ(frame->ComponentCount(), 0);
}

TEST_F(FormsLayerTest, EventsOfAFreedOwnersComponentsNoLongerRun) {
    // While a window is freed its edits may still lose focus; their handlers
    // belong to the owner that is already gone.
    TForm form("frmTest");
    auto* owner = new TFrame(&form, form.Client(), "FrameOwner");
    auto* edit = new TEdit(owner, form.Client(), "EditOwned"); // owned by the frame, placed on the form
    int changes = 0;
    edit->OnChange = [&](TComponent*) { ++changes; };
    edit->SetText("a");
    EXPECT_EQ(changes, 1);
    delete owner;
    EXPECT_TRUE(edit->Orphaned());
    edit->SetText("b");
    EXPECT_EQ(changes, 1);
}

TEST_F(FormsLayerTest, VisibleIsTheControlsOwnFlagBeforeShowing) {
    TForm form("frmTest");
    auto* pc = new TPageControl(&form, form.Client(), "PC");
    auto* tab = new TTabSheet(&form, pc, "Tab", "Tab");
    auto* box = new TCheckBox(&form, tab, "Box");
    EXPECT_TRUE(box->Visible()); // nothing is on screen, the flag is set
    box->SetVisible(false);
    EXPECT_FALSE(box->Visible());
    tab->SetTabVisible(false);
    EXPECT_FALSE(tab->TabVisible());
    EXPECT_FALSE(pc->isTabVisible(0));
    // A freed sheet leaves its page control.
    auto* second = new TTabSheet(&form, pc, "Second", "Second");
    EXPECT_EQ(pc->PageCount(), 2);
    delete tab;
    EXPECT_EQ(pc->PageCount(), 1);
    EXPECT_EQ(pc->Pages(0), second);
    EXPECT_EQ(second->PageIndex(), 0);
}

TEST_F(FormsLayerTest, ProgrammaticChecksFireClickAsTheFormsExpect) {
    TForm form("frmTest");
    auto* a = new TRadioButton(&form, form.Client(), "A");
    auto* b = new TRadioButton(&form, form.Client(), "B");
    int clicksA = 0, clicksB = 0;
    a->OnClick = [&](TComponent*) { ++clicksA; };
    b->OnClick = [&](TComponent*) { ++clicksB; };
    a->SetChecked(true);
    a->SetChecked(true); // no change, no click
    b->SetChecked(true);
    EXPECT_EQ(clicksA, 1);
    EXPECT_EQ(clicksB, 1);
    EXPECT_FALSE(a->Checked());
    b->SetChecked(false); // unchecking does not click
    EXPECT_FALSE(b->Checked());
    EXPECT_EQ(clicksB, 1);

    auto* list = new TCheckListBox(&form, form.Client(), "L");
    int checks = 0;
    list->OnClickCheck = [&](TComponent*) { ++checks; };
    list->AddItem("x");
    list->SetChecked(0, true);
    EXPECT_TRUE(list->Checked(0));
    EXPECT_EQ(checks, 0);
}

TEST_F(FormsLayerTest, ActionListGateRunsFirstAndMayStopTheAction) {
    TForm form("frmTest");
    auto* list = new TActionList(&form, "ActionListMain");
    auto* act = new TAction(list, "ActRunAnal", "Analyse", "Generate");
    std::vector<std::string> order;
    bool refuse = false;
    list->OnExecute = [&](TAction* a, bool&) {
        order.push_back("gate:" + a->Name());
        if (refuse) Abort();
    };
    act->OnExecute = [&](TComponent*) { order.push_back("run"); };
    EXPECT_TRUE(act->Execute());
    refuse = true;
    EXPECT_FALSE(act->Execute());
    EXPECT_EQ(order, (std::vector<std::string>{"gate:ActRunAnal", "run", "gate:ActRunAnal"}));
    EXPECT_TRUE(dialogs->calls.empty()); // the silent abort says nothing

    // A button bound to the action follows its visibility and runs it.
    auto* btn = new TBitBtn(&form, form.Client(), "BitBtnRunAnal");
    btn->SetAction(act);
    act->SetVisible(false);
    EXPECT_FALSE(btn->Visible());
    EXPECT_TRUE(act->Enabled()); // hiding keeps the action's own enabled flag
    act->SetEnabled(false);
    act->SetVisible(true);
    EXPECT_FALSE(btn->isEnabled());
    act->SetEnabled(true);
    act->SetVisible(true);
    refuse = false;
    order.clear();
    btn->click();
    EXPECT_EQ(order.back(), "run");
}

TEST_F(FormsLayerTest, GuardShowsOrdinaryExceptionsAndSwallowsTheSilentAbort) {
    EXPECT_FALSE(RunGuarded([] { throw EFileError("Can not open file x"); }));
    ASSERT_EQ(dialogs->calls.size(), 1u);
    EXPECT_EQ(dialogs->calls[0].text, "Can not open file x.");
    EXPECT_EQ(dialogs->calls[0].type, TMsgDlgType::mtError);
    EXPECT_FALSE(RunGuarded([] { Abort(); }));
    EXPECT_FALSE(RunGuarded([] { throw 42; }));
    EXPECT_EQ(dialogs->calls.size(), 2u);
    EXPECT_FALSE(RunGuarded([] { throw std::bad_alloc(); }));
    EXPECT_EQ(dialogs->calls.back().text, "Out of memory.");
    EXPECT_EQ(dialogs->calls.size(), 3u);
    EXPECT_TRUE(RunGuarded([] {}));
    // A handler bound to a control that throws never reaches the event loop.
    TForm form("frmTest");
    auto* check = new TCheckBox(&form, form.Client(), "C");
    check->OnClick = [](TComponent*) { throw std::runtime_error("boom"); };
    check->click();
    EXPECT_EQ(dialogs->calls.back().text, "boom.");
}

TEST_F(FormsLayerTest, FormsAreListedInCreationOrderAndPostedMessagesArriveLater) {
    auto* a = new TForm("frmA");
    auto* b = new TForm("frmB");
    const auto& forms = Screen().Forms();
    auto ia = std::find(forms.begin(), forms.end(), a);
    auto ib = std::find(forms.begin(), forms.end(), b);
    ASSERT_NE(ia, forms.end());
    EXPECT_LT(ia - forms.begin(), ib - forms.begin());
    int got = 0;
    a->OnMessage = [&](int m) { got = m; };
    a->PostMessage(WM_USER);
    EXPECT_EQ(got, 0);
    QApplication::processEvents();
    EXPECT_EQ(got, WM_USER);
    delete b;
    EXPECT_EQ(Screen().FindForm("frmB"), nullptr);
    delete a;
}

TEST_F(FormsLayerTest, CloseQueryCanKeepTheFormOpen) {
    TForm form("frmTest");
    form.show();
    bool allow = false;
    form.OnCloseQuery = [&](TComponent*, bool& can) { can = allow; };
    form.Close();
    EXPECT_FALSE(form.isHidden());
    allow = true;
    form.Close();
    EXPECT_TRUE(form.isHidden());
}

TEST_F(FormsLayerTest, MemoLinesAndComboText) {
    TForm form("frmTest");
    auto* memo = new TMemo(&form, form.Client(), "Memo");
    TStringList l;
    l.SetText("[Section]\r\nName=\xE9t\xE9\r\n\r\nlast");
    memo->SetLines(l);
    EXPECT_EQ(memo->Lines(), l);
    EXPECT_EQ(memo->Line(1), "Name=\xE9t\xE9");
    // Empty last lines survive, and added lines follow them.
    TStringList trailing{"a", "", ""};
    memo->SetLines(trailing);
    EXPECT_EQ(memo->Lines(), trailing);
    memo->AddLine("b");
    EXPECT_EQ(memo->Lines(), (TStringList{"a", "", "", "b"}));
    memo->SetLines(TStringList());
    EXPECT_EQ(memo->LineCount(), 0);
    memo->AddLine("first");
    EXPECT_EQ(memo->Lines(), TStringList{"first"});
    auto* combo = new TComboBox(&form, form.Client(), "Combo");
    combo->SetItems(TStringList{"a", "b"});
    combo->SetItemIndex(1);
    EXPECT_EQ(combo->Text(), "b");
    combo->SetText("typed");
    EXPECT_EQ(combo->Text(), "typed");
}

TEST_F(FormsLayerTest, RadioClicksRunOnlyWhenAButtonBecomesChecked) {
    TForm form("frmTest");
    auto* a = new TRadioButton(&form, form.Client(), "A");
    auto* b = new TRadioButton(&form, form.Client(), "B");
    auto* group = new TRadioGroup(&form, form.Client(), "Group");
    group->SetItems(TStringList{"one", "two"});
    std::vector<std::string> clicks;
    a->OnClick = [&](TComponent*) { clicks.push_back("A"); };
    b->OnClick = [&](TComponent*) { clicks.push_back("B"); };
    group->OnClick = [&](TComponent*) { clicks.push_back("group" + std::to_string(group->ItemIndex())); };
    a->click();     // becomes checked
    a->click();     // already checked: nothing
    b->click();     // B checked, A unchecked: one click, B's
    group->Button(1)->click();
    group->Button(1)->click();
    group->SetItemIndex(0);
    EXPECT_EQ(clicks, (std::vector<std::string>{"A", "B", "group1", "group0"}));
    EXPECT_TRUE(b->Checked());
    EXPECT_FALSE(a->Checked());
}

TEST_F(FormsLayerTest, TriggeredActionWithATickLeavesTheTickToItsHandler) {
    TForm form("frmTest");
    auto* list = new TActionList(&form, "ActionList");
    auto* act = new TAction(list, "ActShowAdvanced", "Advanced options", "Help");
    act->setCheckable(true);
    std::vector<bool> seen;
    act->OnExecute = [&](TComponent* sender) {
        seen.push_back(act->Checked());
        if (sender) act->SetChecked(!act->Checked());
    };
    act->trigger(); // as a menu item, a button or the short cut does
    EXPECT_TRUE(act->Checked());
    act->trigger();
    EXPECT_FALSE(act->Checked());
    EXPECT_EQ(seen, (std::vector<bool>{false, true}));
    act->SetShortCut("Ctrl+F4");
    EXPECT_EQ(act->ShortCut(), "Ctrl+F4");
}

TEST_F(FormsLayerTest, AShortCutOfTwoShownActionsRunsTheFirstInTheList) {
    TForm form("frmTest");
    auto* list = new TActionList(&form, "ActionList");
    auto* first = new TAction(list, "ActAddDirectories", "Add complete directories ", "FileCollect");
    auto* second = new TAction(list, "ActAddselectedToLIst", "Add selected text to word list", "WordList");
    std::vector<std::string> ran;
    for (TAction* a : {first, second}) {
        a->SetShortCut("Ctrl+A");
        a->OnExecute = [&ran, a](TComponent*) { ran.push_back(a->Name()); };
    }
    // The key, as the window hands it to one of the two that claim it.
    QShortcutEvent ambiguous(QKeySequence("Ctrl+A"), 0, true);
    QCoreApplication::sendEvent(second, &ambiguous);
    first->SetVisible(false);
    QShortcutEvent alone(QKeySequence("Ctrl+A"), 0, false);
    QCoreApplication::sendEvent(second, &alone);
    EXPECT_EQ(ran, (std::vector<std::string>{"ActAddDirectories", "ActAddselectedToLIst"}));
}

// Sorted lists keep the program's order: letter case ignored (the whole code
// page folded), then upper case first; Qt's own order would put every
// capital before every small letter.
TEST_F(FormsLayerTest, SortedListsKeepTheCaseInsensitiveOrderFilledOneByOneOrInBulk) {
    TForm form("frmTest");
    auto* list = new TCheckListBox(&form, form.Client(), "L");
    const std::vector<TListItemData> shuffled = {
        {"b", false}, {"\xC9t\xE9", true}, {"Zeta", true}, {"a", true}, {"_x", false}, {"A", true}, {"\xE9t\xE9", false}};
    const std::vector<std::string> order = {"_x", "A", "a", "b", "Zeta", "\xC9t\xE9", "\xE9t\xE9"};
    auto texts = [&] {
        std::vector<std::string> t;
        for (int i = 0; i < list->Count(); ++i) t.push_back(list->ItemText(i));
        return t;
    };
    // Unsorted: kept as added; switching sorting on sorts once.
    for (const auto& d : shuffled) list->AddItem(d.text, d.checked);
    EXPECT_EQ(texts()[0], "b");
    list->SetSorted(true);
    EXPECT_EQ(texts(), order);
    list->SetItemIndex(1);
    EXPECT_TRUE(list->Selected(1));
    EXPECT_TRUE(list->Checked(1));  // "A" kept its tick
    EXPECT_FALSE(list->Checked(0)); // "_x" too
    // One by one into a sorted list, and all at once.
    list->ClearItems();
    for (const auto& d : shuffled) list->AddItem(d.text, d.checked);
    EXPECT_EQ(texts(), order);
    list->AssignItems(shuffled);
    EXPECT_EQ(texts(), order);
    EXPECT_EQ(list->Checked(5), true);  // "\xC9t\xE9"
    EXPECT_EQ(list->Checked(6), false); // "\xE9t\xE9"
    // A tick changed later does not move the item.
    list->SetChecked(0, true);
    EXPECT_EQ(texts(), order);
    // One item height for the whole list.
    list->SetItemHeight(31);
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(list->visualItemRect(list->item(6)).height(), 31);
    // A list filled in bulk is a list like any other to the view.
    list->SetItemIndex(2);
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_TRUE(list->Selected(2));
    EXPECT_GT(list->visualItemRect(list->item(6)).top(), list->visualItemRect(list->item(5)).top());
}

TEST_F(FormsLayerTest, GridEnterAndExitSkipItsOwnCellEditor) {
    TForm form("frmTest");
    auto* grid = new TStringGrid(&form, form.Client(), "Grid");
    auto* other = new TEdit(&form, form.Client(), "Other");
    grid->SetColCount(2);
    grid->SetCell(1, 0, "5");
    std::vector<std::string> events;
    grid->OnEnter = [&](TComponent*) { events.push_back("enter"); };

    grid->OnExit = [&](TComponent*) { events.push_back("exit:" + grid->Cell(1, 0)); };
    form.show();
    form.activateWindow();
    QApplication::setActiveWindow(&form);
    QApplication::processEvents();
    other->setFocus();
    QApplication::processEvents();
    events.clear();
    grid->setFocus();
    grid->setCurrentCell(0, 1);
    grid->edit(grid->model()->index(0, 1)); // the editor takes the focus: no exit
    QApplication::processEvents();
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->model()->index(0, 1)));
    ASSERT_NE(editor, nullptr);
    editor->setText("77");
    grid->EndEdit();
    EXPECT_EQ(grid->Cell(1, 0), "77");
    grid->edit(grid->model()->index(0, 1));
    qobject_cast<QLineEdit*>(grid->indexWidget(grid->model()->index(0, 1)))->setText("88");
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(events, (std::vector<std::string>{"enter", "exit:88"}));
}

TEST_F(FormsLayerTest, ATreeViewsChangeCanBeRefusedAndTheNodeBeforeStays) {
    TForm form("frmTest");
    auto* tree = new TTreeView(&form, form.Client(), "TreeView1");
    for (const char* t : {"a", "b", "c"}) tree->addTopLevelItem(new QTreeWidgetItem(QStringList{t}));
    QTreeWidgetItem *a = tree->topLevelItem(0), *b = tree->topLevelItem(1), *c = tree->topLevelItem(2);
    std::vector<std::string> seen;
    tree->OnChanging = [&](TComponent*, QTreeWidgetItem* node, bool& allow) {
        seen.push_back(tree->Selected() ? tree->Selected()->text(0).toStdString() : "-");
        if (node == b) allow = false;
        if (node == c) Abort();
    };
    int changes = 0;
    tree->OnChange = [&](TComponent*) { ++changes; };
    tree->setCurrentItem(a);
    tree->setCurrentItem(b); // refused
    tree->setCurrentItem(c); // ended by the silent abort
    EXPECT_EQ(tree->currentItem(), a);
    EXPECT_EQ(tree->Selected(), a);
    EXPECT_EQ(changes, 1);
    // While the change is asked about, the node selected is the one before.
    EXPECT_EQ(seen, (std::vector<std::string>{"-", "a", "a"}));
}
