// Locating the stand-alone database: the paths and version shown, the version gate, the
// wrong-file question, and an import button that does nothing before a locate.

#include "StandAloneFixture.h"
#include "standalone/StandAloneMessages.h"

namespace standalone_test {
namespace {

class StandAlonePage : public StandAloneFixture {};

TEST_F(StandAlonePage, TheVersionGate) {
    struct Case {
        std::optional<Variant> version;
        const char* shown; // in both version boxes
        bool accepted;
    };
    const Case cases[] = {{Variant(std::int16_t{3}), "3", true},
                          {Variant(std::int16_t{2}), "2", true},
                          {Variant(std::int16_t{1}), "1", false},
                          {std::nullopt, "", false}}; // DefInvOpt without a row
    int i = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        // A file whose name is not the usual one: the company file is still beside it.
        const std::string path = src.file("Stand" + std::to_string(i++) + ".mdb");
        makeStandAlone(path, {}, c.version);
        w.txtQolbDBVersionImportSource.setText("");
        w.txtQolbCompDBVersionImportSoure.setText("");
        if (c.accepted)
            locate(path);
        else
            locate(path, {standalone::msg::oldVersion()});
        EXPECT_EQ(w.txtQolbDBImportSource.Text(), path);
        EXPECT_EQ(w.txtQolbCompDBImportSource.Text(), src.file("QolbCompany2018.Mdb"));
        EXPECT_EQ(w.StandAloneCompDbPath, src.file("QolbCompany2018.Mdb"));
        EXPECT_EQ(w.txtQolbDBVersionImportSource.Text(), c.shown);
        EXPECT_EQ(w.txtQolbCompDBVersionImportSoure.Text(), c.shown);
        EXPECT_EQ(w.cmdImportNow.Enabled(), c.accepted);
    }
}

TEST_F(StandAlonePage, AWrongFileAsksAgainAndNoClosesTheWindow) {
    const std::string wrong = src.file("Other.mdb");
    support::DatabaseFile(wrong, FileKind::Company).only({"Adjustments"}).make();
    const std::string question = standalone::msg::incorrectFile();
    const std::string title(standalone::msg::IncorrectFileTitle);

    // Yes brings the dialog again; a cancel there asks again about the same file.
    desk.expectOpenDialog(wrong);
    desk.expectMessage(question, forms::vbYesNo, title, forms::vbYes);
    desk.expectDialogCancel();
    desk.expectMessage(question, forms::vbYesNo, title, forms::vbNo);
    desk.expectMessage("The System Admin program will now Close!\r\nDo you want to Exit the "
                       "program?",
                       forms::vbYesNo, "Quolby System Admin", forms::vbNo);
    ASSERT_TRUE(w.click("cmdLocateImportDBs"));
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    EXPECT_TRUE(w.isLoaded());
    EXPECT_EQ(w.StandAlonePersDbPath, wrong);
    EXPECT_EQ(w.txtQolbDBImportSource.Text(), "") << "the boxes keep what they showed";

    // An import click before any locate has shown a file does nothing.
    ASSERT_TRUE(w.click("cmdImportNow"));
    EXPECT_TRUE(desk.verify()) << desk.transcript();
}

TEST_F(StandAlonePage, ACancelledDialogChangesNothing) {
    desk.expectDialogCancel();
    ASSERT_TRUE(w.click("cmdLocateImportDBs"));
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    EXPECT_EQ(w.StandAlonePersDbPath, "");
    EXPECT_TRUE(w.cmdImportNow.Enabled());
}

} // namespace
} // namespace standalone_test
