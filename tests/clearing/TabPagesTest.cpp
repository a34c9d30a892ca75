#include "ClearingFixture.h"
#include "schema/StructureDefinitions.h"

namespace clearing_test {
namespace {

class TabPagesTest : public WindowFixture {};

TEST_F(TabPagesTest, WithANetworkProblemASwitchOnlyDisablesTheSixButtons) {
    w.NetworkProblem = true; // no file exists: a refresh would fail loudly
    w.lstPersDataOpen.AddItem("ann      A. Adams");
    w.List1.AddItem("kept");
    for (int page : {1, 2, 0}) {
        showPage(page);
        for (auto* b : {&w.cmdBackUp, &w.cmdRestore, &w.cmdClearUsers, &w.cmdLocateImportDBs,
                        &w.cmdImportNow, &w.cmdContinueImport})
            EXPECT_FALSE(b->Enabled()) << b->Name() << " on page " << page;
    }
    EXPECT_EQ(entries(w.lstPersDataOpen), (std::vector<std::string>{"ann      A. Adams"}));
    EXPECT_EQ(entries(w.List1), (std::vector<std::string>{"kept"}));
    EXPECT_EQ(w.txtQolbDBImport.Text(), "");
}

TEST_F(TabPagesTest, PageZeroWithNoUsersKeepsTheBoxAndCountAndOpensTheList) {
    makeFiles({});
    w.txtUserName.setText("old");
    w.UserCount = 7;
    w.UsersLoggedOn = true;
    w.List1.AddItem("stale");
    showPage(1);
    showPage(0);
    EXPECT_EQ(w.List1.ListCount(), 0);
    EXPECT_EQ(w.txtUserName.Text(), "old");
    EXPECT_EQ(w.UserCount, 7);
    EXPECT_FALSE(w.UsersLoggedOn);
    EXPECT_TRUE(w.cmdAddNew.Enabled() && w.cmdEdit.Enabled() && w.cmdDelete.Enabled());
    EXPECT_FALSE(w.cmdUpdate.Enabled());
    EXPECT_FALSE(w.Frame1.Visible());
}

TEST_F(TabPagesTest, ASwitchLeavesNoHandleOfTheWindowHoldingAFile) {
    makeFiles({{"ann"}});
    // As the start-up's list fill leaves it: the system database held for exclusive use.
    auto& ws = engine::DBEngine::instance().Workspaces(0);
    w.SysDB = ws.OpenDatabase(sysPath(), true, false, ";pwd=tevo");
    w.MainRS = w.SysDB->OpenRecordset("UserNames", engine::dbOpenTable);
    w.ClientDB = ws.OpenDatabase(persPath(), true);
    showPage(1);
    EXPECT_FALSE(w.SysDB->isOpen());
    EXPECT_FALSE(w.ClientDB->isOpen());
    EXPECT_FALSE(engine::DBEngine::instance().isHeld(sysPath()));
    EXPECT_FALSE(engine::DBEngine::instance().isHeld(persPath()));
}

TEST_F(TabPagesTest, PageOneWithNothingHeldEmptiesEveryListAndTheClearButton) {
    makeFiles({{"ann"}}, {{"", "A.", "Adams"}, {Variant::null(), "B.", "Brown"}});
    for (auto* list :
         {&w.lstUsersLoggedOn, &w.lstPersDataOpen, &w.lstTrustDataOpen, &w.lstCompDataOpen})
        list->AddItem("stale");
    showPage(1);
    for (auto* list :
         {&w.lstUsersLoggedOn, &w.lstPersDataOpen, &w.lstTrustDataOpen, &w.lstCompDataOpen})
        EXPECT_EQ(list->ListCount(), 0) << list->Name();
    EXPECT_FALSE(w.cmdClearUsers.Enabled());
}

TEST_F(TabPagesTest, PageTwoShowsThePathsAndTheIndividualsVersionThreeTimes) {
    w.txtQolbDBVersion.setText("3");
    showPage(2);
    EXPECT_EQ(w.txtQolbDBImport.Text(), persPath());
    EXPECT_EQ(w.txtQolbTrustDBImport.Text(), trustPath());
    EXPECT_EQ(w.txtQolbCompDBImport.Text(), compPath());
    for (auto* box :
         {&w.txtQolbDBVersionImport, &w.txtQolbTrustDBVersionImport, &w.txtQolbCompDBVersionImport})
        EXPECT_EQ(box->Text(), "3") << box->Name();
}

TEST_F(TabPagesTest, ADatabaseHeldElsewhereIsNamedAndTheOthersAreStillListed) {
    makeFiles({{"ann", true}}, {{"ann", "A.", "Adams"}}, {}, {{"ann", "Company One"}});
    {
        OtherProcess other(persPath(), true);
        ASSERT_TRUE(other.acquired());
        desk.expectMessage("The database " + persPath() +
                               " is open on another workstation.\r\nClose Quolby on every "
                               "workstation and try again.\r\nIts list has not been refreshed.",
                           forms::vbCritical, "Quolby System Admin", forms::vbOK);
        showPage(1);
        desk.verify();
    }
    EXPECT_EQ(entries(w.lstUsersLoggedOn), (std::vector<std::string>{"ann"}));
    EXPECT_EQ(w.lstPersDataOpen.ListCount(), 0);
    EXPECT_EQ(entries(w.lstCompDataOpen), (std::vector<std::string>{"ann         Company One"}));
    EXPECT_TRUE(w.cmdClearUsers.Enabled());
}

// The files the structure definitions build, with a record held in each client table.
TEST_F(TabPagesTest, TheRealStructuresAreListedAndCleared) {
    schema::MakeNewSysDb(sysPath());
    schema::MakeNewDb(persPath(), trustPath(), compPath());
    closeAll();
    addRow(sysPath(), "UserNames", {{"UserName", "ann"}, {"LoggedOn", true}}, ";pwd=tevo");
    addRow(persPath(), "Qolb2018", {{"UserName", "ann"}, {"PERS2", "A."}, {"Surname", "Adams"}});
    addRow(trustPath(), "TRUSTDetails", {{"UserName", "ANN"}, {"TrustName", "Trust One"}});
    addRow(compPath(), "CompanyDetails", {{"UserName", "ann"}, {"CompanyRegName", "Company One"}});

    showPage(1);
    EXPECT_EQ(entries(w.lstUsersLoggedOn), (std::vector<std::string>{"ann"}));
    EXPECT_EQ(entries(w.lstPersDataOpen), (std::vector<std::string>{"ann      A. Adams"}));
    EXPECT_EQ(entries(w.lstTrustDataOpen), (std::vector<std::string>{"ANN      Trust One"}));
    EXPECT_EQ(entries(w.lstCompDataOpen), (std::vector<std::string>{"ann         Company One"}));

    ASSERT_TRUE(w.lstUsersLoggedOn.userSelect(0));
    desk.expectMessage("You are about to Clear the selected User 'ann'\r\nand Close Open "
                       "Assessments associated with this User!!! \r\nDo you want to Continue?",
                       forms::vbYes);
    ASSERT_TRUE(w.click("cmdClearSelectedUser"));
    for (auto* list :
         {&w.lstUsersLoggedOn, &w.lstPersDataOpen, &w.lstTrustDataOpen, &w.lstCompDataOpen})
        EXPECT_EQ(list->ListCount(), 0) << list->Name();
    EXPECT_FALSE(w.cmdClearUsers.Enabled());
    EXPECT_EQ(readUsers(sysPath()).at(0).loggedOn, false);
}

} // namespace
} // namespace clearing_test
