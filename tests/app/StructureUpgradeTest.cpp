#include "StartupFixture.h"
#include "runtime/VariantOps.h"

namespace apptest {
namespace {

using runtime::Variant;

// Files of an older structure: the contribution tables carry their older columns beside
// the current ones, and the main table lacks a field the current structure has.
class UpgradeTest : public StartupTest {
protected:
    void SetUp() override {
        prepareCompleteFiles();
        const std::pair<const char*, const char*> older[] = {
            {"PFCC", "Pension fund (current contributions)"},
            {"ProvFund4003", "Current Provident Fund contributions"},
            {"RACC", "Current R/A Fund contributions"}};
        for (const auto& [table, column] : older) {
            addField(persDb(), table, column, engine::dbText, 100);
            addField(persDb(), table, "Taxpayer contrib", engine::dbDouble);
        }
        auto db = openDb(persDb());
        db->TableDefs().Item("Qolb2018")->Fields().Delete("Email");
        db->Close();
    }

    void setVersion(int version) {
        setFirstValue(persDb(), "DefInvOpt", "UpDateDB", std::int16_t(version));
    }
    bool emailIsBack() {
        auto db = openDb(persDb());
        const bool back = db->TableDefs().Item("Qolb2018")->Fields().contains("Email");
        db->Close();
        return back;
    }
    int storedVersion() { return runtime::CInt(firstValue(persDb(), "DefInvOpt", "UpDateDB")); }
};

TEST_F(UpgradeTest, FromVersionOneThePensionEntriesMoveAndEachTableStandsOnItsOwn) {
    const char* current = "Pension fund (total contributions)";
    const char* older = "Pension fund (current contributions)";
    addRow(persDb(), "PFCC",
           {{"DCLNO", 1.0},
            {older, "Fund A"},
            {current, "stale"},
            {"Taxpayer contrib", 1200.0},
            {"Employer contrib", 300.0}});
    addRow(persDb(), "PFCC", {{"DCLNO", 2.0}, {"Taxpayer contrib", 0.0}, {"Total contrib", 9.0}});
    addRow(persDb(), "PFCC", {{"DCLNO", 3.0}, {"Taxpayer contrib", -50.0}, {"Total contrib", 9.0}});
    addRow(persDb(), "PFCC", {{"DCLNO", 4.0}, {"Total contrib", 9.0}});
    // ProvFund4003 stays empty; RACC after it is still brought over.
    addRow(persDb(), "RACC",
           {{"DCLNO", 1.0}, {"Current R/A Fund contributions", "RA"}, {"Taxpayer contrib", 500.0}});
    setVersion(1);
    closeAll();

    start();
    closeAll();

    EXPECT_EQ(storedVersion(), 3);
    EXPECT_TRUE(emailIsBack());
    EXPECT_EQ(column(persDb(), "PFCC", current),
              (std::vector<Variant>{Variant("Fund A"), Variant::null(), Variant::null(),
                                    Variant::null()}));
    EXPECT_EQ(column(persDb(), "PFCC", "Total contrib"),
              (std::vector<Variant>{Variant(1200.0), Variant(9.0), Variant(9.0), Variant(9.0)}));
    EXPECT_EQ(column(persDb(), "PFCC", "Taxpayer contrib"),
              (std::vector<Variant>{Variant(0.0), Variant(0.0), Variant(-50.0), Variant::null()}));
    EXPECT_EQ(column(persDb(), "PFCC", "Employer contrib")[0], Variant(300.0));
    EXPECT_EQ(column(persDb(), "PFCC", older)[0], Variant("Fund A")); // the older column stays
    EXPECT_EQ(column(persDb(), "RACC", "Total R/A Fund contributions"),
              std::vector<Variant>{Variant("RA")});
    EXPECT_EQ(column(persDb(), "RACC", "Total contrib"), std::vector<Variant>{Variant(500.0)});
}

TEST_F(UpgradeTest, VersionsBelowOneAreUpgradedAsVersionOne) {
    for (const int version : {0, -1}) {
        SCOPED_TRACE(version);
        addRow(persDb(), "PFCC",
               {{"DCLNO", double(version)},
                {"Pension fund (current contributions)", "Fund"},
                {"Taxpayer contrib", 10.0}});
        setVersion(version);
        closeAll();

        start();
        closeAll();

        EXPECT_EQ(storedVersion(), 3);
        EXPECT_TRUE(emailIsBack());
        EXPECT_EQ(column(persDb(), "PFCC", "Pension fund (total contributions)").back(),
                  Variant("Fund"));
        EXPECT_EQ(column(persDb(), "PFCC", "Total contrib").back(), Variant(10.0));
    }
}

TEST_F(UpgradeTest, FromVersionTwoOnlyTheStructureIsRunAgain) {
    addRow(persDb(), "PFCC",
           {{"DCLNO", 1.0},
            {"Pension fund (current contributions)", "Fund A"},
            {"Taxpayer contrib", 1200.0}});
    setVersion(2);
    // Only the first option row counts, and only it is raised.
    addRow(persDb(), "DefInvOpt", {{"UpDateDB", std::int16_t(1)}});
    closeAll();

    start();
    closeAll();

    EXPECT_EQ(column(persDb(), "DefInvOpt", "UpDateDB"),
              (std::vector<Variant>{Variant(std::int16_t(3)), Variant(std::int16_t(1))}));
    EXPECT_TRUE(emailIsBack());
    EXPECT_EQ(firstValue(persDb(), "PFCC", "Pension fund (total contributions)"), Variant::null());
    EXPECT_EQ(firstValue(persDb(), "PFCC", "Taxpayer contrib"), Variant(1200.0));
}

TEST_F(UpgradeTest, AVersionAboveTheCurrentOneIsLeftAlone) {
    setVersion(4);
    closeAll();

    app::frmSysAdmin& win = start();
    closeAll();

    EXPECT_EQ(storedVersion(), 4);
    EXPECT_FALSE(emailIsBack());
    EXPECT_EQ(win.txtQolbDBVersion.Text(), "4");
}

TEST_F(UpgradeTest, ATableThatCannotBeBroughtOverKeepsTheOldVersionForTheNextStart) {
    // Too long for the current Text 60 column.
    addRow(persDb(), "PFCC",
           {{"DCLNO", 1.0},
            {"Pension fund (current contributions)", std::string(80, 'x')},
            {"Taxpayer contrib", 10.0}});
    addRow(persDb(), "RACC",
           {{"DCLNO", 1.0}, {"Current R/A Fund contributions", "RA"}, {"Taxpayer contrib", 5.0}});
    setVersion(1);
    closeAll();

    desk.expectMessage("Error 3163: The field is too small to accept the amount of data you "
                       "attempted to add. Try inserting or pasting less data.",
                       forms::vbCritical, "", forms::vbOK);
    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    closeAll();

    EXPECT_EQ(storedVersion(), 1);
    // The failed table is untouched as a whole; the one after it is done.
    EXPECT_EQ(firstValue(persDb(), "PFCC", "Taxpayer contrib"), Variant(10.0));
    EXPECT_EQ(firstValue(persDb(), "RACC", "Total contrib"), Variant(5.0));
    // The start went on to its end.
    EXPECT_EQ(win.txtUserMainDB.Text(), sysDb());
    EXPECT_EQ(win.ImportKind, "PI");
}

TEST_F(StartupTest, TheRollForwardMovesExactlyLastYearsDates) {
    prepareCompleteFiles();
    addRow(persDb(), "Qolb2018", {{"DCLNO", 1.0}, {"PERS9", 42430.0}, {"PERS10", 42794.0}});
    addRow(persDb(), "Qolb2018", {{"DCLNO", 2.0}, {"PERS9", 42431.0}, {"PERS10", 42795.0}});
    addRow(persDb(), "Qolb2018", {{"DCLNO", 3.0}});
    addRow(persDb(), "CARALL",
           {{"DCLNO", 1.0},
            {"TASD1", 42430.0},
            {"TAED1", 42794.0},
            {"TASD2", 42430.0},
            {"TAED2", 42794.0}});
    addRow(trustDb(), "TrustPropRentDetails",
           {{"TDCLNO", 1.0}, {"TDateStart", 42430.0}, {"TDateEnd", 42794.0}});
    closeAll();

    start();
    start(); // a second start gives the same result
    closeAll();

    EXPECT_EQ(column(persDb(), "Qolb2018", "PERS9"),
              (std::vector<Variant>{Variant(42795.0), Variant(42431.0), Variant::null()}));
    EXPECT_EQ(column(persDb(), "Qolb2018", "PERS10"),
              (std::vector<Variant>{Variant(43159.0), Variant(42795.0), Variant::null()}));
    EXPECT_EQ(firstValue(persDb(), "CARALL", "TASD1"), Variant(42795.0));
    EXPECT_EQ(firstValue(persDb(), "CARALL", "TAED1"), Variant(43159.0));
    EXPECT_EQ(firstValue(persDb(), "CARALL", "TASD2"), Variant(42430.0));
    EXPECT_EQ(firstValue(persDb(), "CARALL", "TAED2"), Variant(42794.0));
    EXPECT_EQ(firstValue(trustDb(), "TrustPropRentDetails", "TDateStart"), Variant(42795.0));
    EXPECT_EQ(firstValue(trustDb(), "TrustPropRentDetails", "TDateEnd"), Variant(43159.0));
}

} // namespace
} // namespace apptest
