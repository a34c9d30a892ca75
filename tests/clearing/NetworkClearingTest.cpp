#include "ClearingFixture.h"

#include <filesystem>

namespace clearing_test {
namespace {

using forms::vbNo;
using forms::vbYes;

constexpr const char* kTitle = "Quolby 2018 NetWork Clearing!";
const std::string kClearAll = "You are about Clear All Logged On users\r\nand Close Open "
                              "Assessments! \r\nDo you want to Continue?";

std::string clearOne(const std::string& user) {
    return "You are about to Clear the selected User '" + user +
           "'\r\nand Close Open Assessments associated with this User!!! \r\nDo you want to "
           "Continue?";
}

class NetworkClearingTest : public WindowFixture {
protected:
    NetworkClearingTest() {
        makeFiles({{"ann", true}, {"Bob", true}, {"cy"}},
                  {{"ANN", "A.", "Adams"},
                   {"bob", "B.", "Brown"},
                   {"", "C.", "Clark"},
                   {Variant::null(), "D.", Variant::null()},
                   {"ann", Variant::null(), "Evans"}},
                  {{"Ann", "Trust One"}, {"bob", "Trust Two"}}, {{"bob", "Company One"}});
        showPage(1);
    }
    // UserName of each row in stored order; "<null>" for Null.
    std::vector<std::string> lockNames(const std::string& path, const std::string& table) {
        std::vector<std::string> names;
        for (const Client& c : readClients(path, table)) {
            names.push_back(c.userName.isNull() ? "<null>" : c.userName.rawString());
            EXPECT_EQ(c.lastUserName, Variant("last")); // never touched
        }
        return names;
    }
    std::vector<bool> loggedOn() {
        std::vector<bool> out;
        for (const User& u : readUsers(sysPath()))
            out.push_back(u.loggedOn);
        return out;
    }
    void pickUser(const std::string& name) {
        const auto& items = w.lstUsersLoggedOn.items();
        auto it = std::find(items.begin(), items.end(), name);
        ASSERT_NE(it, items.end()) << name;
        ASSERT_TRUE(w.lstUsersLoggedOn.userSelect(static_cast<int>(it - items.begin())));
    }
};

TEST_F(NetworkClearingTest, ThePageListsMarksInNameOrderWithTheirRowTexts) {
    EXPECT_EQ(entries(w.lstUsersLoggedOn), (std::vector<std::string>{"ann", "Bob"}));
    EXPECT_EQ(
        entries(w.lstPersDataOpen),
        (std::vector<std::string>{"ANN      A. Adams", "ann       Evans", "bob      B. Brown"}));
    EXPECT_EQ(entries(w.lstTrustDataOpen),
              (std::vector<std::string>{"Ann      Trust One", "bob      Trust Two"}));
    EXPECT_EQ(entries(w.lstCompDataOpen), (std::vector<std::string>{"bob         Company One"}));
    EXPECT_TRUE(w.cmdClearUsers.Enabled());
    EXPECT_FALSE(w.cmdClearSelectedUser.Enabled());
}

TEST_F(NetworkClearingTest, ClearingOneUserFreesEveryRecordOfThatNameInAnyCase) {
    pickUser("ann");
    EXPECT_TRUE(w.cmdClearSelectedUser.Enabled());
    desk.expectMessage(clearOne("ann"), forms::vbYesNo, kTitle, vbYes);
    ASSERT_TRUE(w.click("cmdClearSelectedUser"));

    EXPECT_EQ(lockNames(persPath(), "Qolb2018"),
              (std::vector<std::string>{"", "bob", "", "<null>", ""}));
    EXPECT_EQ(lockNames(trustPath(), "TRUSTDetails"), (std::vector<std::string>{"", "bob"}));
    EXPECT_EQ(lockNames(compPath(), "CompanyDetails"), (std::vector<std::string>{"bob"}));
    EXPECT_EQ(loggedOn(), (std::vector<bool>{false, true, false}));

    EXPECT_EQ(entries(w.lstUsersLoggedOn), (std::vector<std::string>{"Bob"}));
    EXPECT_EQ(entries(w.lstPersDataOpen), (std::vector<std::string>{"bob      B. Brown"}));
    EXPECT_EQ(entries(w.lstTrustDataOpen), (std::vector<std::string>{"bob      Trust Two"}));
    EXPECT_FALSE(w.cmdClearSelectedUser.Enabled());
    EXPECT_TRUE(w.cmdClearUsers.Enabled());

    // The last marks go through one user: nothing is left to clear.
    pickUser("Bob");
    desk.expectMessage(clearOne("Bob"), forms::vbYesNo, kTitle, vbYes);
    ASSERT_TRUE(w.click("cmdClearSelectedUser"));
    EXPECT_EQ(lockNames(compPath(), "CompanyDetails"), (std::vector<std::string>{""}));
    for (auto* list :
         {&w.lstUsersLoggedOn, &w.lstPersDataOpen, &w.lstTrustDataOpen, &w.lstCompDataOpen})
        EXPECT_EQ(list->ListCount(), 0) << list->Name();
    EXPECT_FALSE(w.cmdClearUsers.Enabled());
}

TEST_F(NetworkClearingTest, AClientTableWithoutRowsLeavesItsListAsItWas) {
    closeAll();
    std::filesystem::remove(compPath());
    makeClientDb(compPath(), "CompanyDetails", {});
    closeAll();
    pickUser("Bob");
    desk.expectMessage(clearOne("Bob"), forms::vbYesNo, kTitle, vbYes);
    ASSERT_TRUE(w.click("cmdClearSelectedUser"));
    EXPECT_EQ(entries(w.lstCompDataOpen), (std::vector<std::string>{"bob         Company One"}));
    EXPECT_EQ(entries(w.lstTrustDataOpen), (std::vector<std::string>{"Ann      Trust One"}));
    EXPECT_TRUE(w.cmdClearUsers.Enabled());
}

TEST_F(NetworkClearingTest, AUserGoneFromTheTableChangesNoOtherRow) {
    pickUser("ann");
    w.SelectedLoggedOnUser = "Zed"; // no longer in UserNames: the seek finds nothing
    desk.expectMessage(clearOne("Zed"), forms::vbYesNo, kTitle, vbYes);
    ASSERT_TRUE(w.click("cmdClearSelectedUser"));
    EXPECT_EQ(loggedOn(), (std::vector<bool>{true, true, false}));
    EXPECT_EQ(lockNames(persPath(), "Qolb2018"),
              (std::vector<std::string>{"ANN", "bob", "", "<null>", "ann"}));
    EXPECT_EQ(entries(w.lstUsersLoggedOn), (std::vector<std::string>{"ann", "Bob"}));
}

TEST_F(NetworkClearingTest, ClearingEverybodyEmptiesTheListsAndKeepsTheButton) {
    w.UsersLoggedOn = true;
    desk.expectMessage(kClearAll, forms::vbYesNo, kTitle, vbYes);
    ASSERT_TRUE(w.click("cmdClearUsers"));

    EXPECT_EQ(lockNames(persPath(), "Qolb2018"),
              (std::vector<std::string>{"", "", "", "<null>", ""}));
    EXPECT_EQ(lockNames(trustPath(), "TRUSTDetails"), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(lockNames(compPath(), "CompanyDetails"), (std::vector<std::string>{""}));
    EXPECT_EQ(loggedOn(), (std::vector<bool>{false, false, false}));
    for (auto* list :
         {&w.lstUsersLoggedOn, &w.lstPersDataOpen, &w.lstTrustDataOpen, &w.lstCompDataOpen})
        EXPECT_EQ(list->ListCount(), 0) << list->Name();
    EXPECT_FALSE(w.UsersLoggedOn);
    EXPECT_TRUE(w.cmdClearUsers.Enabled());
}

TEST_F(NetworkClearingTest, ClearingEverybodyOffersOkOnlyWhenATableHasRows) {
    struct Case {
        const char* what;
        std::vector<Client> companies;
        bool ok;
    };
    const std::vector<Case> cases{{"every table empty", {}, false},
                                  {"one free company", {{"", "Company One"}}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        closeAll();
        for (const std::string& f : {sysPath(), persPath(), trustPath(), compPath()})
            std::filesystem::remove(f);
        makeFiles({}, {}, {}, c.companies);
        w.cmdOk.setEnabled(false); // as a window whose tables were always empty shows it
        desk.expectMessage(kClearAll, forms::vbYesNo, kTitle, vbYes);
        ASSERT_TRUE(w.click("cmdClearUsers"));
        ASSERT_TRUE(desk.verify());
        EXPECT_EQ(w.cmdOk.Enabled(), c.ok);
    }
}

TEST_F(NetworkClearingTest, AnsweringNoChangesNothing) {
    const std::string before = readBytes(persPath()) + readBytes(sysPath());
    desk.expectMessage(kClearAll, forms::vbYesNo, kTitle, vbNo);
    ASSERT_TRUE(w.click("cmdClearUsers"));
    pickUser("Bob");
    desk.expectMessage(clearOne("Bob"), forms::vbYesNo, kTitle, vbNo);
    ASSERT_TRUE(w.click("cmdClearSelectedUser"));
    EXPECT_FALSE(w.cmdClearSelectedUser.Enabled());

    EXPECT_EQ(readBytes(persPath()) + readBytes(sysPath()), before);
    EXPECT_EQ(w.lstPersDataOpen.ListCount(), 3);
    EXPECT_EQ(w.lstUsersLoggedOn.ListCount(), 2);
}

TEST_F(NetworkClearingTest, AFileHeldByAWorkstationStopsTheClearingBeforeAnyChange) {
    const std::string refusal = "The database " + trustPath() +
                                " is open on another workstation.\r\nClose Quolby on every "
                                "workstation and try again.\r\nNothing has been changed.";
    {
        OtherProcess other(trustPath(), false);
        ASSERT_TRUE(other.acquired());
        desk.expectMessage(kClearAll, forms::vbYesNo, kTitle, vbYes);
        desk.expectMessage(refusal, forms::vbCritical, kTitle, forms::vbOK);
        ASSERT_TRUE(w.click("cmdClearUsers"));

        pickUser("ann");
        desk.expectMessage(clearOne("ann"), forms::vbYesNo, kTitle, vbYes);
        desk.expectMessage(refusal, forms::vbCritical, kTitle, forms::vbOK);
        ASSERT_TRUE(w.click("cmdClearSelectedUser"));
        EXPECT_TRUE(w.cmdClearSelectedUser.Enabled()); // can be tried again
        desk.verify();
    }
    EXPECT_EQ(loggedOn(), (std::vector<bool>{true, true, false}));
    EXPECT_EQ(lockNames(persPath(), "Qolb2018"),
              (std::vector<std::string>{"ANN", "bob", "", "<null>", "ann"}));
    EXPECT_EQ(w.lstPersDataOpen.ListCount(), 3);
    EXPECT_EQ(w.lstUsersLoggedOn.ListCount(), 2);
}

TEST_F(NetworkClearingTest, AFailureHalfWayLeavesEveryFileAsItWas) {
    // A company file without its main table: the last step of the clearing fails.
    closeAll();
    std::filesystem::remove(compPath());
    makeClientDb(compPath(), "TRUSTDetails", {});
    closeAll();
    const std::string before =
        readBytes(sysPath()) + readBytes(persPath()) + readBytes(trustPath());

    desk.expectMessage(kClearAll, forms::vbYesNo, kTitle, vbYes);
    desk.expectMessage("The clearing could not be completed.\r\nError 3078: The database engine "
                       "cannot find the input table or query 'CompanyDetails'.\r\nNothing has "
                       "been changed.",
                       forms::vbCritical, kTitle, forms::vbOK);
    ASSERT_TRUE(w.click("cmdClearUsers"));
    ASSERT_TRUE(desk.verify());

    EXPECT_EQ(readBytes(sysPath()) + readBytes(persPath()) + readBytes(trustPath()), before);
    EXPECT_EQ(w.lstPersDataOpen.ListCount(), 3);
}

} // namespace
} // namespace clearing_test
