// The box of an import that stopped: what could not be imported, where it stopped when
// that is known, the engine's number and text, and whether this year's database holds
// anything of it; after the commit it does, and the box says so instead.

#include "carryforward/PrevYearMessages.h"
#include "transfer/ImportSteps.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

TEST(ImportStopped, SaysWhereItStoppedAndWhatWasWritten) {
    struct Case {
        std::string name;
        std::optional<std::string> step;
        bool written;
        std::string expected;
    };
    const Case cases[] = {
        {"no step", std::nullopt, false,
         "The client Smith (7) could not be imported.\r\nError 3349: Numeric field "
         "overflow.\r\nNothing has been written to this year's database."},
        {"a step", "the detail rows of CARALL", false,
         "The client Smith (7) could not be imported: the import stopped at the detail rows of "
         "CARALL.\r\nError 3349: Numeric field overflow.\r\nNothing has been written to this "
         "year's database."},
        {"after the commit", "the close of the databases", true,
         "The import of the client Smith (7) has been written to this year's database, but it "
         "stopped after that, at the close of the databases; its record locks have not been "
         "tidied.\r\nError 3349: Numeric field overflow."},
    };
    const runtime::Error overflow(3349, "Numeric field overflow.");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string what = "the client Smith (7)";
        const std::string shown =
            c.step ? carryforward::msg::importStopped(
                         what, transfer::ImportStepError(*c.step, overflow, c.written))
                   : carryforward::msg::importStopped(what, overflow);
        EXPECT_EQ(shown, c.expected);
    }
}

} // namespace
