// The program's own Qt dialogs as a user meets them: the find window takes
// its keyboard shortcut, and a file dialog lists each filter once, as the
// program writes it.
#include "QtApp.h"
#include "QtDialogService.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace pem;

namespace {

QDialog* FindWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "FindDialog") return qobject_cast<QDialog*>(w);
    return nullptr;
}

} // namespace

TEST(QtFindDialog, AltNTakesTheFocusIntoTheTextToFind) {
    pemtest::EnsureQApp();
    QtDialogService dialogs;
    std::vector<std::string> searched;
    dialogs.FindText({"Find", 20, 20}, [&](const std::string& text) { searched.push_back(text); });
    QDialog* window = FindWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    auto* edit = window->findChild<QLineEdit*>("FindText");
    ASSERT_NE(edit, nullptr);
    QPushButton* next = nullptr;
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->text() == "&Find Next") next = b;
    ASSERT_NE(next, nullptr);

    // The label reads "Find what:": its "&" underlines the N and is not shown.
    auto* label = window->findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    QLabel plain("Find what:");
    plain.setFont(label->font());
    EXPECT_EQ(label->sizeHint().width(), plain.sizeHint().width());

    // Alt+N from elsewhere in the window lands in the edit, and what is typed
    // there is searched.
    next->setFocus();
    ASSERT_TRUE(next->hasFocus());
    QTest::keyClick(window, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(edit->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), "MOVE");
    next->click();
    EXPECT_EQ(searched, std::vector<std::string>{"MOVE"});
    delete window;
}

TEST(QtFileDialog, EachFilterIsListedOnceAsTheProgramWritesIt) {
    pemtest::EnsureQApp();
    const struct {
        const char* filter; // as the program gives it to the dialog
        int index;          // the filter chosen, counted from 1
        std::vector<const char*> listed;
        QStringList masks; // what the chosen filter lets through
    } cases[] = {
        {"Deficiency reports(*.def)|*.def", 1, {"Deficiency reports(*.def)"}, {"*.def"}},
        {"XML files(*.xml)|*.xml", 1, {"XML files(*.xml)"}, {"*.xml"}},
        {"XML files  (*.xml)|*.xml", 1, {"XML files  (*.xml)"}, {"*.xml"}}, // two blanks stay two
        {"Metrics file lists (*.flst)|*.flst", 1, {"Metrics file lists (*.flst)"}, {"*.flst"}},
        {"COBOL sources (*.cbl;*.cob)|*.cbl;*.cob|All files|*.*", 1, {"COBOL sources (*.cbl;*.cob)", "All files"},
         {"*.cbl", "*.cob"}},
        {"COBOL sources (*.cbl;*.cob)|*.cbl;*.cob|All files|*.*", 2, {"COBOL sources (*.cbl;*.cob)", "All files"},
         {"*.*"}},
        {"Word lists|*.wrl", 1, {"Word lists"}, {"*.wrl"}},
    };
    for (const auto& c : cases) {
        QFileDialog dlg;
        dlg.setOption(QFileDialog::DontUseNativeDialog);
        TOpenDialogRequest req;
        req.title = "Open";
        req.filters = ParseDialogFilter(c.filter);
        req.filterIndex = c.index;
        SetUpFileDialog(dlg, req);
        auto* combo = dlg.findChild<QComboBox*>("fileTypeCombo");
        ASSERT_NE(combo, nullptr) << c.filter;
        std::vector<std::string> shown, expected(c.listed.begin(), c.listed.end());
        for (int i = 0; i < combo->count(); ++i) shown.push_back(combo->itemText(i).toStdString());
        EXPECT_EQ(shown, expected) << c.filter;
        EXPECT_EQ(combo->currentIndex(), c.index - 1) << c.filter;
        auto* model = dlg.findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(model->nameFilters(), c.masks) << c.filter;
    }
}
