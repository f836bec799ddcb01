// Without a display every question is answered at once, written to standard
// error, with the answer that keeps the user's files and job as they are.
#include "HeadlessDialogService.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

using namespace pem;

TEST(HeadlessDialogs, NoWhereOfferedElseTheDefaultButton) {
    const struct {
        unsigned buttons;
        int answer;
    } cases[] = {
        {mbYesNo, mrNo},   {mbYesNoCancel, mrNo}, {mbOK, mrOk},       {mbOKCancel, mrOk},
        {mbYes, mrYes},    {mbCancel, mrCancel},  {mbAbort | mbRetry | mbIgnore, mrAbort},
    };
    for (const auto& c : cases) EXPECT_EQ(HeadlessDialogService::AnswerFor(c.buttons), c.answer) << c.buttons;
}

TEST(HeadlessDialogs, EachQuestionIsWrittenOnOneLineWithItsAnswer) {
    std::FILE* out = std::tmpfile();
    ASSERT_TRUE(out);
    HeadlessDialogService dialogs(out);
    EXPECT_EQ(dialogs.MessageDlg("Save it?\r\nReally?", TMsgDlgType::mtWarning, mbYesNoCancel), mrNo);
    TOpenDialogRequest req;
    req.title = "Save job as...";
    std::string file;
    EXPECT_FALSE(dialogs.SaveFile(req, file));
    std::string dir;
    EXPECT_FALSE(dialogs.SelectDirectory("Output", "/", dir));
    std::rewind(out);
    std::string text;
    char buf[256];
    while (size_t n = std::fread(buf, 1, sizeof buf, out)) text.append(buf, n);
    std::fclose(out);
    EXPECT_EQ(text, "Warning: Save it? / Really? [No]\nSave dialog: Save job as... [Cancel]\nFolder dialog: Output [Cancel]\n");
}
