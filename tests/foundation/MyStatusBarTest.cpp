#include "Exceptions.h"
#include "MyStatusBar.h"
#include "QtTestSupport.h"

#include <gtest/gtest.h>

using namespace pem;

namespace {
// A bar whose text widths are counted in characters (8 pixels each), so the
// fitting is exact and independent of the fonts installed.
class FixedWidthBar : public TMyStatusBar {
public:
    explicit FixedWidthBar(int clientWidth) : TMyStatusBar(nullptr, nullptr), width_(clientWidth) {}
    int width_;
    int charWidth = 8;

protected:
    int TextWidth(const std::string& t) const override { return static_cast<int>(t.size()) * charWidth + 4; }
    int BarClientWidth() const override { return width_; }
};

class StatusBarTest : public ::testing::Test {
protected:
    void SetUp() override { pemtest::EnsureQApp(); }
    pemtest::ScopedDialogs dialogs;
    pemtest::StatusRecorder recorder;
};
} // namespace

TEST_F(StatusBarTest, LongMessageIsCutAndTheHintHoldsTheWhole) {
    FixedWidthBar bar(4000);
    std::string msg(200, 'x');
    msg.replace(120, 1, "Y");
    bar.ShowInfo(msg);
    EXPECT_EQ(bar.SimpleText(), std::string(120, 'x') + "...");
    EXPECT_EQ(bar.HintText(), std::string(120, 'x') + "\r\nY" + std::string(79, 'x'));
    // A short message afterwards is shown whole and drops the old hint.
    bar.ShowInfo("short");
    EXPECT_EQ(bar.SimpleText(), "short");
    EXPECT_EQ(bar.HintText(), "");
    EXPECT_EQ(bar.Severity, 0);
}

TEST_F(StatusBarTest, FittingShrinksByFiveAndNeverBelowNothing) {
    FixedWidthBar bar(8 * 30 + 4 + 28); // room (less "...") for 30 characters
    bar.ShowInfo(std::string(100, 'a'));
    // n starts at 95 and drops by 5 until 8*n+4 <= room (8*30+4): 30.
    EXPECT_EQ(bar.SimpleText(), std::string(30, 'a') + "...");
    FixedWidthBar narrow(0);
    narrow.charWidth = 500;
    narrow.ShowInfo("a message that does not fit anywhere");
    EXPECT_EQ(narrow.SimpleText(), "...");
    EXPECT_EQ(narrow.HintText(), "\r\na message that does not fit anywhere");
}

TEST_F(StatusBarTest, ErrorAbortsSilentlyAndEmptyErrorClears) {
    FixedWidthBar bar(4000);
    EXPECT_THROW(bar.Error("Output directory missing"), EAbort);
    EXPECT_EQ(bar.Severity, 2);
    EXPECT_EQ(bar.LastMessage, "Output directory missing");
    EXPECT_EQ(bar.CurrentColor(), bar.ColorErr);
    EXPECT_NO_THROW(bar.Error(""));
    EXPECT_EQ(bar.Severity, 0);
    EXPECT_EQ(bar.SimpleText(), "");
    EXPECT_TRUE(dialogs->calls.empty()); // no message box unless asked for
}

TEST_F(StatusBarTest, SeverityOnlyRisesUntilCleared) {
    FixedWidthBar bar(4000);
    bar.ShowError("bad", true);
    bar.ShowWarning("note");
    EXPECT_EQ(bar.Severity, 2);
    bar.ShowInfo("info");
    EXPECT_EQ(bar.Severity, 2);
    bar.ClearMessage();
    bar.ShowWarning("note");
    EXPECT_EQ(bar.Severity, 1);
    EXPECT_EQ(bar.CurrentColor(), bar.ColorWarn);
    EXPECT_EQ(dialogs->beeps, 3);
}

TEST_F(StatusBarTest, CollectedErrorsAreListedInArrivalOrder) {
    FixedWidthBar bar(4000);
    EXPECT_THROW(bar.AddError("first"), EAbort);
    EXPECT_THROW(bar.AddError("second"), EAbort);
    bar.ShowInfo("third counts as an error while collecting");
    EXPECT_EQ(bar.SimpleText(), "More than one message, click here to get them!");
    EXPECT_EQ(bar.Severity, 2);
    bar.Click();
    ASSERT_EQ(dialogs->calls.size(), 1u);
    EXPECT_EQ(dialogs->calls[0].text,
              "The following errors occured....\r\n\r\n- first\r\n- second\r\n- third counts as an error while collecting");
    EXPECT_THROW(bar.Error("fourth"), EAbort); // joins the list
    EXPECT_NE(bar.MessageList.find("- fourth"), std::string::npos);
}

TEST_F(StatusBarTest, ClickShowsTheFullCutMessageOrCallsTheHandler) {
    FixedWidthBar bar(8 * 20);
    bar.ShowError(std::string(60, 'm'), true);
    bar.Click();
    ASSERT_EQ(dialogs->calls.size(), 1u);
    EXPECT_EQ(dialogs->calls[0].text, "The following error occured....\r\n\r\n" + bar.HintText());
    int clicks = 0;
    bar.OnClick = [&](TComponent*) { ++clicks; };
    bar.Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(dialogs->calls.size(), 1u);
}

TEST_F(StatusBarTest, FatalAlwaysShowsItsDialog) {
    FixedWidthBar bar(4000);
    bar.UseMessageBox = false;
    EXPECT_THROW(bar.ShowFatal("broken"), EAbort);
    EXPECT_EQ(bar.Severity, 3);
    ASSERT_EQ(dialogs->calls.size(), 1u);
    EXPECT_EQ(dialogs->calls[0].buttons, static_cast<unsigned>(mbAbort));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Fatal, "broken"));
}

TEST_F(StatusBarTest, AddErrorNoAbortAsksWithTheListAndNeverAnEmptyOne) {
    FixedWidthBar bar(4000);
    dialogs->AnswerMessage(mrYes);
    EXPECT_EQ(bar.AddErrorNoAbort("Installation incomplete, continue?"), mrYes);
    ASSERT_EQ(dialogs->calls.size(), 1u);
    EXPECT_EQ(dialogs->calls[0].text, "Installation incomplete, continue?");
    EXPECT_EQ(dialogs->calls[0].buttons, mbYesNo);

    FixedWidthBar collecting(4000);
    EXPECT_THROW(collecting.AddError("missing tool"), EAbort);
    dialogs->AnswerMessage(mrNo);
    EXPECT_EQ(collecting.AddErrorNoAbort("Continue?"), mrNo);
    EXPECT_EQ(dialogs->calls.back().text, "- missing tool\r\nContinue?");
    EXPECT_EQ(collecting.SimpleText(),
              "More than one message, place cursor over the status bar (here) to get them!");
}

TEST_F(StatusBarTest, AddErrorNoAbortWithNothingCollectedAsksAfterTheShownTextAndDoesNotCollect) {
    FixedWidthBar bar(400);
    const std::string longWarning = "Tool folder missing: " + std::string(60, 'x');
    bar.ShowWarning(longWarning); // cut on the narrow bar
    ASSERT_NE(bar.SimpleText(), longWarning);
    dialogs->AnswerMessage(mrYes);
    EXPECT_EQ(bar.AddErrorNoAbort("Rewrite?"), mrYes);
    EXPECT_EQ(dialogs->calls.back().text, longWarning + "\r\nRewrite?");
    EXPECT_EQ(dialogs->calls.back().buttons, mbYesNo);
    EXPECT_FALSE(bar.Collecting());
    EXPECT_EQ(bar.Severity, 2);
    EXPECT_EQ(bar.LastMessage, "Rewrite?");
    EXPECT_EQ(bar.CurrentColor(), bar.ColorErr);
    // Information afterwards is information, not a collected error.
    recorder.records.clear();
    bar.ShowInfo("done");
    EXPECT_TRUE(recorder.Has(TStatusRecord::Info, "done"));
    EXPECT_EQ(bar.SimpleText(), "done");
}

TEST_F(StatusBarTest, MessageBoxModeShowsWarningsAndErrors) {
    FixedWidthBar bar(4000);
    bar.UseMessageBox = true;
    bar.ShowWarning("careful");
    EXPECT_THROW(bar.Error("stop"), EAbort);
    ASSERT_EQ(dialogs->calls.size(), 2u);
    EXPECT_EQ(dialogs->calls[0].type, TMsgDlgType::mtWarning);
    EXPECT_EQ(dialogs->calls[1].type, TMsgDlgType::mtError);
}
