#include "StartupFixture.h"

#include <filesystem>

namespace apptest {
namespace {

namespace fs = std::filesystem;

class LocateSystemButtonTest : public StartupTest {
protected:
    void SetUp() override {
        prepareCompleteFiles();
        other = elsewhere.path() + "/SysAdmin2018.mdb";
        fs::copy_file(sysDb(), other);
        for (const auto& [name, on] : {std::pair{"C", true}, {"A", false}, {"B", false}})
            addRow(other, "UserNames", {{"UserName", name}, {"LoggedOn", on}}, kSysPwd);
        closeAll();
        start();
        ASSERT_TRUE(desk.verify());
    }
    support::TempFolder elsewhere;
    std::string other;
};

TEST_F(LocateSystemButtonTest, AChosenFileIsRecordedAndItsUsersListed) {
    desk.expectOpenDialog(other);
    window->click("cmdLocateSystemDB");
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    EXPECT_EQ(desk.shown()[0].request.DialogTitle, "Locate File Name : SysAdmin2018.Mdb");
    EXPECT_EQ(app::SysAdminDbPath, other);
    EXPECT_EQ(window->txtUserMainDB.Text(), other);
    EXPECT_EQ(sysPathFile(), pathLine({other}));
    EXPECT_EQ(window->List1.items(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_TRUE(window->UsersLoggedOn);
    for (auto* b : {&window->cmdAddNew, &window->cmdEdit, &window->cmdDelete, &window->cmdUpdate,
                    &window->cmdBackUp, &window->cmdRestore})
        EXPECT_FALSE(b->Enabled()) << b->Name();
    EXPECT_TRUE(window->Frame1.Visible());
}

TEST_F(LocateSystemButtonTest, ACancelledDialogChangesNothing) {
    desk.expectDialogCancel();
    window->click("cmdLocateSystemDB");
    EXPECT_EQ(app::SysAdminDbPath, sysDb());
    EXPECT_EQ(sysPathFile(), pathLine({sysDb()}));
    EXPECT_TRUE(window->cmdAddNew.Enabled());
}

TEST_F(LocateSystemButtonTest, APathWithADoubleQuoteIsRefused) {
    desk.expectOpenDialog(elsewhere.path() + "/say \"hi\"/SysAdmin2018.mdb");
    expectQuotedPathRefused();
    window->click("cmdLocateSystemDB");
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    EXPECT_EQ(app::SysAdminDbPath, sysDb());
    EXPECT_EQ(window->txtUserMainDB.Text(), sysDb());
    EXPECT_EQ(sysPathFile(), pathLine({sysDb()}));
}

TEST_F(LocateSystemButtonTest, ThePathBoxKeepsThePathButWritesNoFile) {
    window->txtUserMainDB.setText(other);
    EXPECT_EQ(app::SysAdminDbPath, other);
    EXPECT_EQ(sysPathFile(), pathLine({sysDb()}));
}

} // namespace
} // namespace apptest
