#include "forms/Caption.h"

#include "forms/Desktop.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplayCaption, AmpersandsFollowThePlatformConvention) {
    const struct {
        const char* stored;
        const char* shown;
    } cases[] = {
        {"&OK", "OK"},
        {"Database Location && User Setup", "Database Location & User Setup"},
        {"Clear All Logged on Users && Close all open Assessments",
         "Clear All Logged on Users & Close all open Assessments"},
        {"Con&tinue", "Continue"},
        {"A &&& B", "A & B"}, // a doubled one, then an access-key marker
        {"&&&Save", "&Save"}, // literal ampersand, then the marker of S
        {"Trailing &", "Trailing "},
        {"", ""},
        {"No marker", "No marker"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(forms::displayCaption(c.stored), c.shown) << c.stored;
}

TEST(MsgBoxStyle, ButtonsAndDefaultsFollowTheStyleNumber) {
    using namespace forms;
    const struct {
        int style;
        std::vector<int> buttons;
        int defaultAnswer;
        int escapeAnswer;
    } cases[] = {
        {0, {vbOK}, vbOK, vbOK},
        {16, {vbOK}, vbOK, vbOK},
        {1, {vbOK, vbCancel}, vbOK, vbCancel},
        {2, {vbAbort, vbRetry, vbIgnore}, vbAbort, 0},
        {3 + 512, {vbYes, vbNo, vbCancel}, vbCancel, vbCancel},
        {4, {vbYes, vbNo}, vbYes, 0},
        {292, {vbYes, vbNo}, vbNo, 0}, // 4 + 32 + 256: No is the default
        {5 + 256, {vbRetry, vbCancel}, vbCancel, vbCancel},
        {0 + 512, {vbOK}, vbOK, vbOK}, // a default button the box lacks falls back
    };
    for (const auto& c : cases) {
        EXPECT_EQ(msgBoxButtons(c.style), c.buttons) << c.style;
        EXPECT_EQ(msgBoxDefaultAnswer(c.style), c.defaultAnswer) << c.style;
        EXPECT_EQ(msgBoxEscapeAnswer(c.style), c.escapeAnswer) << c.style;
    }
}

} // namespace
