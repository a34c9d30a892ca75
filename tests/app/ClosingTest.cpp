#include "StartupFixture.h"

namespace apptest {
namespace {

TEST_F(StartupTest, TheClosingQuestionDecidesWhetherTheWindowGoes) {
    prepareCompleteFiles();
    app::frmSysAdmin& win = start();

    expectClosingQuestion(forms::vbNo);
    win.click("cmdOk");
    EXPECT_TRUE(win.isLoaded());

    // Closing the frame asks the same question; No keeps both windows.
    expectClosingQuestion(forms::vbNo);
    frame->userClose();
    EXPECT_TRUE(win.isLoaded());
    EXPECT_TRUE(frame->isLoaded());

    expectClosingQuestion(forms::vbYes);
    win.userClose();
    EXPECT_FALSE(win.isLoaded());
    EXPECT_TRUE(frame->isLoaded());

    frame->click("cmdOk"); // the empty frame goes without a question
    EXPECT_FALSE(frame->isLoaded());
    EXPECT_TRUE(desk.verify()) << desk.transcript();
}

} // namespace
} // namespace apptest
