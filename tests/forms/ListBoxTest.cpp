#include "forms/ListBox.h"

#include "forms/Form.h"
#include "runtime/Error.h"
#include "support/ErrorOf.h"
#include "support/ScriptedDesktop.h"

#include <gtest/gtest.h>

namespace {

using support::errorOf;

class ListBoxTest : public ::testing::Test {
protected:
    support::ScriptedDesktop desk;
    forms::Form win{"frmTest"};
    forms::ListBox& list = win.add<forms::ListBox>("List1");
    int clicks = 0;

    void SetUp() override {
        list.onClick = [this] { ++clicks; };
        for (const char* name : {"anna", "ben", "carl", "dora"})
            list.AddItem(name);
    }
};

TEST_F(ListBoxTest, EntriesKeepTheOrderTheyWereAddedIn) {
    list.AddItem("aaron", 1);
    EXPECT_EQ(list.items(), (std::vector<std::string>{"anna", "aaron", "ben", "carl", "dora"}));
    EXPECT_EQ(list.NewIndex(), 1);
    EXPECT_EQ(list.ListCount(), 5);
    EXPECT_EQ(errorOf([&] { list.AddItem("x", 6); }), 5);
}

TEST_F(ListBoxTest, ListReadsEmptyPastTheEndAndFailsBelowMinusOne) {
    EXPECT_EQ(list.List(0), "anna");
    EXPECT_EQ(list.List(-1), "");
    EXPECT_EQ(list.List(4), "");
    EXPECT_EQ(errorOf([&] { (void)list.List(-2); }), 381);
    EXPECT_EQ(errorOf([&] { list.setList(4, "x"); }), 381);
    list.setList(2, "Carl");
    EXPECT_EQ(list.List(2), "Carl");
}

TEST_F(ListBoxTest, SettingListIndexFiresClickOnlyWhenItChanges) {
    EXPECT_EQ(list.ListIndex(), -1);
    list.setListIndex(2);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(list.Text(), "carl");
    list.setListIndex(2);
    EXPECT_EQ(clicks, 1);
    list.setListIndex(-1);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(list.Text(), "");
    for (int bad : {-2, 4})
        EXPECT_EQ(errorOf([&] { list.setListIndex(bad); }), 380) << bad;
    EXPECT_EQ(list.ListIndex(), -1);
}

TEST_F(ListBoxTest, RemoveItemMovesOrDropsTheSelectionWithoutClick) {
    const struct {
        int selected;
        int removed;
        int selectedAfter;
    } cases[] = {
        {2, 2, -1},              // the selected entry goes: nothing is selected
        {2, 0, 1},               // an earlier entry goes: the selection moves up with its entry
        {2, 3, 2},               // a later entry goes: unchanged
        {-1, 0, -1}, {3, 3, -1}, // the last entry, selected
    };
    for (const auto& c : cases) {
        forms::Form f("frmCase");
        forms::ListBox& l = f.add<forms::ListBox>("List1");
        for (const char* name : {"a", "b", "c", "d"})
            l.AddItem(name);
        l.setListIndex(c.selected);
        int caseClicks = 0;
        l.onClick = [&] { ++caseClicks; };
        l.RemoveItem(c.removed);
        EXPECT_EQ(l.ListIndex(), c.selectedAfter) << c.selected << "/" << c.removed;
        EXPECT_EQ(l.ListCount(), 3);
        EXPECT_EQ(caseClicks, 0);
    }
    for (int bad : {-1, 4})
        EXPECT_EQ(errorOf([&] { list.RemoveItem(bad); }), 5) << bad;
}

TEST_F(ListBoxTest, RemovingTheLastEntryLeavesAnEmptyList) {
    forms::ListBox& one = win.add<forms::ListBox>("lstOne");
    one.AddItem("only");
    one.setListIndex(0);
    one.RemoveItem(0);
    EXPECT_EQ(one.ListCount(), 0);
    EXPECT_EQ(one.ListIndex(), -1);
    EXPECT_EQ(one.Text(), "");
}

TEST_F(ListBoxTest, ClearEmptiesAndDropsTheSelectionWithoutClick) {
    list.setListIndex(1);
    clicks = 0;
    list.Clear();
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(clicks, 0);
    list.Clear(); // clearing an empty list is harmless
    list.AddItem("again");
    EXPECT_EQ(list.List(0), "again");
}

TEST_F(ListBoxTest, AddingBeforeTheSelectionKeepsTheSameEntrySelected) {
    list.setListIndex(1);
    list.AddItem("aaron", 0);
    EXPECT_EQ(list.ListIndex(), 2);
    EXPECT_EQ(list.Text(), "ben");
}

TEST_F(ListBoxTest, ItemDataTravelsWithItsEntry) {
    list.setItemData(2, 42);
    list.RemoveItem(0);
    EXPECT_EQ(list.ItemData(1), 42);
    EXPECT_EQ(list.ItemData(0), 0);
    EXPECT_EQ(errorOf([&] { (void)list.ItemData(3); }), 381);
}

TEST_F(ListBoxTest, UserClicksFireClickThenDblClickAndAreRefusedWhenDisabled) {
    std::vector<std::string> events;
    list.onClick = [&] { events.push_back("Click " + list.Text()); };
    list.onDblClick = [&] { events.push_back("DblClick " + list.Text()); };

    EXPECT_TRUE(list.userSelect(1));
    EXPECT_TRUE(list.userSelect(1)); // a user click on the selected entry still clicks
    EXPECT_TRUE(list.userDoubleClick(3));
    EXPECT_FALSE(list.userSelect(9));
    list.setEnabled(false);
    EXPECT_FALSE(list.userSelect(0));
    EXPECT_FALSE(list.userDoubleClick(0));

    EXPECT_EQ(events,
              (std::vector<std::string>{"Click ben", "Click ben", "Click dora", "DblClick dora"}));
    EXPECT_EQ(list.ListIndex(), 3);
}

} // namespace
