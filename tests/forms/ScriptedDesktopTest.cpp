#include "support/ScriptedDesktop.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

using forms::vbNo;
using forms::vbOK;
using forms::vbYes;
using support::ScriptedDesktop;

TEST(ScriptedDesktop, AnswersExpectedBoxesInOrderAndRecordsThem) {
    ScriptedDesktop desk;
    desk.expectMessage("Blank User Names are not Valid!", vbNo);
    desk.expectMessage("Sure?", 292, "RESTORE !!", vbYes);
    desk.expectOpenDialog("/srv/Qolb2018LAN.mdb");

    EXPECT_EQ(forms::desktop().MsgBox("Blank User Names are not Valid!", 4, "any title"), vbNo);
    EXPECT_EQ(forms::desktop().MsgBox("Sure?", 292, "RESTORE !!"), vbYes);
    forms::FileDialogRequest request;
    request.DialogTitle = "Locate";
    const auto chosen = forms::desktop().showOpenDialog(request);
    EXPECT_FALSE(chosen.cancelled);
    EXPECT_EQ(chosen.path, "/srv/Qolb2018LAN.mdb");

    ASSERT_EQ(desk.shown().size(), 3u);
    EXPECT_EQ(desk.shown()[0].title, "any title");
    EXPECT_EQ(desk.shown()[2].request.DialogTitle, "Locate");
    EXPECT_EQ(desk.messages(),
              (std::vector<std::string>{"Blank User Names are not Valid!", "Sure?"}));
    EXPECT_TRUE(desk.verify());
}

TEST(ScriptedDesktop, AnUnexpectedBoxFailsTheTestAndGetsItsDefaultAnswer) {
    ScriptedDesktop desk;
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(answer = desk.MsgBox("Surprise", 292, "T"),
                            "unexpected message \"Surprise\"");
    EXPECT_EQ(answer, vbNo); // 292: No is the default button
    EXPECT_FALSE(desk.shown().back().expected);
    EXPECT_FALSE(desk.verify());
    EXPECT_TRUE(desk.verify()); // reported once
}

TEST(ScriptedDesktop, AStyleOrTitleThatDiffersIsUnexpected) {
    ScriptedDesktop desk;
    desk.expectMessage("Text", 4, "Title", vbYes);
    EXPECT_NONFATAL_FAILURE(desk.MsgBox("Text", 4, "Other"),
                            "next expected: message \"Text\" style 4");
    EXPECT_NONFATAL_FAILURE(desk.verify(), "never shown");
}

TEST(ScriptedDesktop, AnAnswerTheBoxDoesNotOfferFails) {
    ScriptedDesktop desk;
    desk.expectMessage("The Transfer has been completed.", vbYes);
    EXPECT_NONFATAL_FAILURE(desk.MsgBox("The Transfer has been completed.", 0),
                            "answer 6 is not a button");
}

TEST(ScriptedDesktop, AnExpectedBoxThatNeverCameFailsAtTheEnd) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDesktop desk;
            desk.expectMessage("User has cancelled the operation!", vbOK);
            desk.expectMessage("Backing up of Database's completed !", vbOK);
            desk.MsgBox("User has cancelled the operation!");
        },
        "1 expected box(es) never shown:\n  message \"Backing up of Database's completed !\"");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDesktop desk;
            desk.expectSaveDialog("/media/usb/Qolb2018LAN.Mdb");
        },
        "save dialog -> \"/media/usb/Qolb2018LAN.Mdb\"");
}

TEST(ScriptedDesktop, DialogsOfTheWrongKindAreUnexpectedAndCancelled) {
    ScriptedDesktop desk;
    desk.expectSaveDialog("/x");
    forms::FileDialogResult result;
    EXPECT_NONFATAL_FAILURE(result = desk.showOpenDialog({}), "unexpected open dialog");
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(desk.showSaveDialog({}).path, "/x");
    desk.expectDialogCancel();
    EXPECT_TRUE(desk.showSaveDialog({}).cancelled);
    EXPECT_FALSE(desk.verify()); // the unexpected dialog was reported when it came
}

TEST(ScriptedDesktop, InstallsItselfWhileAliveAndKeepsPlatformFacts) {
    EXPECT_FALSE(forms::hasDesktop());
    {
        ScriptedDesktop outer;
        {
            ScriptedDesktop inner;
            inner.setAnotherCopyRunning(true);
            inner.setVersion({2, 10, 3});
            inner.setProgramFolder("/opt/q");
            EXPECT_EQ(&forms::desktop(), &inner);
            EXPECT_TRUE(forms::desktop().anotherCopyRunning());
            EXPECT_EQ(forms::desktop().version().Minor, 10);
            EXPECT_EQ(forms::desktop().programFolder(), "/opt/q");
        }
        EXPECT_EQ(&forms::desktop(), &outer);
        forms::desktop().setMousePointer(forms::vbHourglass);
        forms::desktop().setMousePointer(forms::vbDefault);
        forms::desktop().DoEvents();
        EXPECT_EQ(outer.pointerHistory(), (std::vector<int>{11, 0}));
        EXPECT_EQ(outer.doEventsCount(), 1);
    }
    EXPECT_FALSE(forms::hasDesktop());
    EXPECT_THROW(forms::desktop(), std::logic_error);
}

} // namespace
