#include "clearing/UserList.h"

#include "ClearingFixture.h"
#include "clearing/UserNamesTable.h"
#include "engine/Dao.h"

namespace clearing_test {
namespace {

using forms::vbNo;
using forms::vbYes;

constexpr const char* kAdding = "Quolby System Admin : Adding User Name";
constexpr const char* kEditing = "Quolby System Admin : Editing User Name";

class UserListTest : public WindowFixture {
protected:
    void start(const std::vector<User>& users) {
        makeFiles(users);
        ASSERT_TRUE(clearing::fillUserList(w));
    }
    std::vector<std::string> stored() {
        std::vector<std::string> names;
        for (const User& u : readUsers(sysPath())) {
            names.push_back(u.name.isNull() ? "<null>" : u.name.rawString());
            EXPECT_FALSE(u.loggedOn) << names.back();
        }
        return names;
    }
    void pick(int index) { ASSERT_TRUE(w.List1.userSelect(index)); }
    void add(const std::string& name) {
        ASSERT_TRUE(w.click("cmdAddNew"));
        ASSERT_TRUE(w.txtUserName.userSetText(name));
        ASSERT_TRUE(w.click("cmdUpdate"));
    }
    void edit(int index, const std::string& name) {
        pick(index);
        ASSERT_TRUE(w.click("cmdEdit"));
        ASSERT_TRUE(w.txtUserName.userSetText(name));
        ASSERT_TRUE(w.click("cmdUpdate"));
    }
    bool idle() const {
        return w.cmdAddNew.Enabled() && w.cmdEdit.Enabled() && w.cmdDelete.Enabled() &&
               !w.cmdUpdate.Enabled() && w.List1.Enabled() && !w.txtUserName.Enabled() &&
               w.UserEditMode == 0;
    }
};

TEST_F(UserListTest, FirstNameAddedToAnEmptyTableIsStoredAlone) {
    start({});
    EXPECT_EQ(w.List1.ListCount(), 0);
    EXPECT_TRUE(idle());
    EXPECT_FALSE(w.Frame1.Visible());

    add("Anna");
    EXPECT_EQ(entries(w.List1), (std::vector<std::string>{"Anna"}));
    EXPECT_EQ(stored(), (std::vector<std::string>{"Anna"}));
    EXPECT_TRUE(idle());
    EXPECT_EQ(w.txtUserName.Text(), "Anna");
    EXPECT_EQ(w.UserCount, 1);
}

TEST_F(UserListTest, DuplicateInAnyCaseAsksWhetherToGoOn) {
    start({{"Anna"}, {"bob"}});
    desk.expectMessage("This User Name Already exits!\r\nBOB\r\nDo you want to continue Adding "
                       "New User Name",
                       forms::vbYesNo, "Quolby System Admin", vbYes);
    add("BOB");
    EXPECT_EQ(w.UserEditMode, 1); // still adding, the name still in the box
    EXPECT_TRUE(w.cmdUpdate.Enabled());
    EXPECT_EQ(w.txtUserName.Text(), "BOB");

    ASSERT_TRUE(w.txtUserName.userSetText("Carl"));
    ASSERT_TRUE(w.click("cmdUpdate"));
    EXPECT_EQ(stored(), (std::vector<std::string>{"Anna", "bob", "Carl"}));

    desk.expectMessage("This User Name Already exits!\r\ncarl\r\nDo you want to continue Adding "
                       "New User Name",
                       forms::vbYesNo, "Quolby System Admin", vbNo);
    add("carl");
    EXPECT_TRUE(idle());
    EXPECT_EQ(w.txtUserName.Text(), "");
    EXPECT_EQ(entries(w.List1), (std::vector<std::string>{"Anna", "bob", "Carl"}));
}

TEST_F(UserListTest, BlankNamesAreRefusedButANameOfBlanksIsAName) {
    start({{"Anna"}});
    desk.expectMessage("Blank User Names are not Valid!\r\nDo you want to continue adding a New "
                       "User Name",
                       forms::vbYesNo, kAdding, vbYes);
    add("");
    EXPECT_EQ(w.UserEditMode, 1);
    desk.expectMessage("Blank User Names are not Valid!\r\nDo you want to continue adding a New "
                       "User Name",
                       forms::vbYesNo, kAdding, vbNo);
    ASSERT_TRUE(w.click("cmdUpdate"));
    EXPECT_TRUE(idle());

    add("   ");
    EXPECT_EQ(stored(), (std::vector<std::string>{"Anna", "   "}));

    // Editing: No leaves OK disabled until the next commit.
    desk.expectMessage("Blank User Names are not Valid!\r\nDo you want to continue Editing User "
                       "Name",
                       forms::vbYesNo, kEditing, vbNo);
    edit(0, "");
    EXPECT_TRUE(idle());
    EXPECT_FALSE(w.cmdOk.Enabled());
    edit(0, "Anne");
    EXPECT_TRUE(w.cmdOk.Enabled());
    EXPECT_EQ(stored(), (std::vector<std::string>{"Anne", "   "}));
}

TEST_F(UserListTest, EditingChecksTheOtherNamesOnly) {
    start({{"Anna"}, {"bob"}});
    edit(0, "ANNA"); // another case of itself
    EXPECT_EQ(entries(w.List1), (std::vector<std::string>{"ANNA", "bob"}));
    edit(1, "bob"); // unchanged
    EXPECT_EQ(stored(), (std::vector<std::string>{"ANNA", "bob"}));

    desk.expectMessage("This User Name Already exits!\r\nDo you want to continue Editing User "
                       "Name\r\nanna",
                       forms::vbYesNo, kEditing, vbNo);
    edit(1, "anna");
    EXPECT_TRUE(idle());
    EXPECT_FALSE(w.cmdOk.Enabled());
    EXPECT_EQ(stored(), (std::vector<std::string>{"ANNA", "bob"}));
    showPage(1);
    showPage(0); // the next fill gives OK back
    EXPECT_TRUE(w.cmdOk.Enabled());
}

TEST_F(UserListTest, ANameLongerThanTheFieldIsRefusedWhenEntered) {
    start({{"Anna"}});
    // Characters count, not bytes: the accented letter takes two bytes and is one letter.
    const std::string longest = std::string(clearing::kUserNameSize - 1, 'x') + "\xC3\xA9";
    const std::string tooLong = longest + "y";
    desk.expectMessage("User Names can be at most 50 characters long!\r\nDo you want to continue "
                       "adding a New User Name",
                       forms::vbYesNo, kAdding, vbYes);
    add(tooLong);
    EXPECT_EQ(w.UserEditMode, 1);
    EXPECT_EQ(w.txtUserName.Text(), tooLong);
    ASSERT_TRUE(w.txtUserName.userSetText(longest));
    ASSERT_TRUE(w.click("cmdUpdate"));
    EXPECT_EQ(stored(), (std::vector<std::string>{"Anna", longest}));

    desk.expectMessage("User Names can be at most 50 characters long!\r\nDo you want to continue "
                       "Editing User Name",
                       forms::vbYesNo, kEditing, vbNo);
    edit(0, tooLong);
    EXPECT_TRUE(idle());
    EXPECT_EQ(stored(), (std::vector<std::string>{"Anna", longest}));
}

TEST_F(UserListTest, DeleteAsksAndRewritesTheTableEitherWay) {
    start({{"Anna"}, {"bob"}, {"Carl"}});
    logOn(sysPath(), "Anna"); // a workstation logs on after the list was filled

    pick(1);
    desk.expectMessage("Please confirm the Deletion of\r\nbob", forms::vbYesNo, "", vbNo);
    ASSERT_TRUE(w.click("cmdDelete"));
    EXPECT_EQ(stored(), (std::vector<std::string>{"Anna", "bob", "Carl"})); // LoggedOn all False
    EXPECT_TRUE(idle());

    pick(1);
    desk.expectMessage("Please confirm the Deletion of\r\nbob", forms::vbYesNo, "", vbYes);
    ASSERT_TRUE(w.click("cmdDelete"));
    EXPECT_EQ(stored(), (std::vector<std::string>{"Anna", "Carl"}));
    EXPECT_EQ(w.UserCount, 2);
    EXPECT_EQ(w.txtUserName.Text(), "");

    for (const char* name : {"Anna", "Carl"}) {
        pick(0);
        desk.expectMessage(std::string("Please confirm the Deletion of\r\n") + name, forms::vbYesNo,
                           "", vbYes);
        ASSERT_TRUE(w.click("cmdDelete"));
    }
    EXPECT_TRUE(stored().empty());
}

TEST_F(UserListTest, EditAndDeleteNeedAFreshPick) {
    start({{"Anna"}, {"bob"}, {"Carl"}});
    ASSERT_TRUE(w.click("cmdEdit"));
    ASSERT_TRUE(w.click("cmdDelete"));
    EXPECT_TRUE(idle()); // no pick: nothing happened, no question

    edit(2, "Cleo");
    ASSERT_TRUE(w.click("cmdDelete")); // the update used the pick up
    EXPECT_EQ(entries(w.List1), (std::vector<std::string>{"Anna", "bob", "Cleo"}));

    // A refill forgets the pick: the delete can no longer remove another row than the
    // one the box names.
    pick(2);
    showPage(2);
    showPage(0);
    EXPECT_EQ(w.txtUserName.Text(), "Anna");
    ASSERT_TRUE(w.click("cmdDelete"));
    ASSERT_TRUE(w.click("cmdEdit"));
    EXPECT_EQ(stored(), (std::vector<std::string>{"Anna", "bob", "Cleo"}));
}

// The locate button of the system database fills the list too: a pick made in the old
// list must not delete a name of the new one, and an entry under way ends.
TEST_F(UserListTest, LocatingTheSystemDatabaseForgetsThePickAndEndsAnEntry) {
    start({{"Anna"}, {"bob"}, {"Carl"}});
    const std::string other = net.file("Other.mdb");
    makeSystemDb(other, {{"Anna"}, {"Zed"}});
    closeAll();

    pick(1);
    desk.expectOpenDialog(other);
    ASSERT_TRUE(w.click("cmdLocateSystemDB"));
    EXPECT_EQ(entries(w.List1), (std::vector<std::string>{"Anna", "Zed"}));
    ASSERT_TRUE(w.click("cmdDelete")); // no box: nothing is picked
    ASSERT_TRUE(w.click("cmdEdit"));
    EXPECT_EQ(readUsers(other).size(), 2u);
    EXPECT_TRUE(idle());

    ASSERT_TRUE(w.click("cmdAddNew"));
    desk.expectOpenDialog(sysPath());
    ASSERT_TRUE(w.click("cmdLocateSystemDB"));
    EXPECT_TRUE(idle());
    EXPECT_EQ(entries(w.List1), (std::vector<std::string>{"Anna", "bob", "Carl"}));
}

TEST_F(UserListTest, ANullNameIsListedAsEmptyTextAndALoggedOnUserLocksTheList) {
    start({{Variant::null()}, {"Anna", true}});
    EXPECT_EQ(entries(w.List1), (std::vector<std::string>{"", "Anna"}));
    EXPECT_EQ(w.txtUserName.Text(), "");
    EXPECT_TRUE(w.UsersLoggedOn);
    EXPECT_TRUE(w.Frame1.Visible());
    for (auto* b : {&w.cmdAddNew, &w.cmdEdit, &w.cmdDelete, &w.cmdUpdate})
        EXPECT_FALSE(b->Enabled()) << b->Name();
}

TEST_F(UserListTest, AFailedWriteBackLeavesTheTableAsItWas) {
    makeFiles({{"Anna"}, {"bob"}});
    auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(sysPath(), true, false,
                                                                      ";pwd=tevo");
    // The third name cannot be stored: the rows deleted and added before it come back.
    const std::vector<std::string> names{"Carl", "Dora", std::string(51, 'z')};
    EXPECT_THROW(clearing::writeUserNames(*db, names), runtime::Error);
    db->Close();
    EXPECT_EQ(stored(), (std::vector<std::string>{"Anna", "bob"}));

    // A quote in a name is stored as it is.
    db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(sysPath(), true, false,
                                                                 ";pwd=tevo");
    clearing::writeUserNames(*db, {"O'Brien", "x\"; DELETE *FROM UserNames"});
    db->Close();
    EXPECT_EQ(stored(), (std::vector<std::string>{"O'Brien", "x\"; DELETE *FROM UserNames"}));
}

// A refused save leaves the list as the table holds it: the name that was not saved must
// not come back with a later save of the list.
TEST_F(UserListTest, ASaveRefusedBecauseAWorkstationHoldsTheFileShowsTheTableAgain) {
    start({{"Anna"}, {"bob"}});
    const std::string refused = "The database " + sysPath() +
                                " is open on another workstation.\r\nClose Quolby on every "
                                "workstation and try again.\r\nThe User Name list has not been "
                                "saved.";
    {
        OtherProcess other(sysPath(), false, ";pwd=tevo");
        ASSERT_TRUE(other.acquired());
        desk.expectMessage(refused, forms::vbCritical, "Quolby System Admin", forms::vbOK);
        add("Carl");
        ASSERT_TRUE(desk.verify());
        EXPECT_EQ(entries(w.List1), (std::vector<std::string>{"Anna", "bob"}));
        EXPECT_TRUE(idle());

        desk.expectMessage(refused, forms::vbCritical, "Quolby System Admin", forms::vbOK);
        edit(1, "Bobby");
        ASSERT_TRUE(desk.verify());
        EXPECT_EQ(entries(w.List1), (std::vector<std::string>{"Anna", "bob"}));
    }
    EXPECT_EQ(stored(), (std::vector<std::string>{"Anna", "bob"}));

    // Deleting nothing writes the whole list back.
    pick(0);
    desk.expectMessage("Please confirm the Deletion of\r\nAnna", forms::vbYesNo, "", vbNo);
    ASSERT_TRUE(w.click("cmdDelete"));
    EXPECT_EQ(stored(), (std::vector<std::string>{"Anna", "bob"}));
}

} // namespace
} // namespace clearing_test
