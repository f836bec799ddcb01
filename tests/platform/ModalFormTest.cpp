// The program's own forms shown modally: the real modal loop ends with the
// result a button sets or with the form's closing, and in tests the
// scripted dialog service hands the form to the test instead.
#include "Forms.h"
#include "QtTestSupport.h"

#include <QTimer>
#include <gtest/gtest.h>

using namespace pem;

namespace {

// A form with an OK button that sets its modal result.
class TfrmAsk : public TForm {
public:
    TfrmAsk() : TForm("frmAsk", "TfrmAsk") {
        BitBtnOK = new TBitBtn(this, Client(), "BitBtnOK", "OK");
        BitBtnOK->OnClick = [this](TComponent*) { SetModalResult(mrOk); };
        Edit = new TEdit(this, Client(), "Edit");
    }
    TBitBtn* BitBtnOK;
    TEdit* Edit;
};

class ModalFormTest : public ::testing::Test {
protected:
    void SetUp() override { pemtest::EnsureQApp(); }
    pemtest::ScopedDialogs dialogs;
};

} // namespace

TEST_F(ModalFormTest, RealLoopEndsWithTheResultOrTheClosing) {
    TfrmAsk form;
    QTimer::singleShot(0, &form, [&form] { form.BitBtnOK->click(); });
    EXPECT_EQ(form.RunModal(), mrOk);
    EXPECT_TRUE(form.isHidden());
    EXPECT_FALSE(form.isModal());

    QTimer::singleShot(0, &form, [&form] { form.close(); });
    EXPECT_EQ(form.RunModal(), mrCancel);
    EXPECT_TRUE(form.isHidden());
}

TEST_F(ModalFormTest, ScriptedServiceHandsTheFormToTheHookOrAnswersIt) {
    TfrmAsk form;
    bool shownToHook = false;
    dialogs->formHook = [&shownToHook](TModalWindow& w) {
        auto& f = dynamic_cast<TfrmAsk&>(w);
        shownToHook = !f.isHidden();
        f.Edit->SetText("typed");
        f.BitBtnOK->click();
    };
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_TRUE(shownToHook);
    EXPECT_EQ(form.Edit->Text(), "typed");

    // A hook that presses nothing leaves the answer to the queue.
    dialogs->formHook = [](TModalWindow&) {};
    dialogs->AnswerModal(mrCancel);
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(form.ShowModal(), mrOk) << "nothing queued";
    ASSERT_EQ(dialogs->calls.size(), 3u);
    EXPECT_EQ(dialogs->calls[0].kind, "modal");
    EXPECT_EQ(dialogs->calls[0].text, "frmAsk");
    EXPECT_EQ(dialogs->calls[1].answer, mrCancel);
    EXPECT_TRUE(form.isHidden());
}
