// The import buttons and the double-click start the import of the chosen kind.

#include "CarryFixture.h"
#include "carryforward/Imports.h"
#include "carryforward/SourceKinds.h"

namespace carry_test {
namespace {

const std::string kTrustsNotFound = "The Quolby 2017 (QolbTrust2017Lan.Mdb) cannot be found.  "
                                    "Please refer to the help for information!";
const std::string kNotFound = "The Quolby2017 (Qolb2017LAN.mdb) cannot be found.  Please refer "
                              "to the help for information!";
const std::string kCompaniesNotFound = "The Quolby 2017 (QolbCompany2017Lan.Mdb) cannot be "
                                       "found.  Please refer to the help for information!";

TEST(ImportDispatch, TheKindIsReadWithoutRegardToCase) {
    using carryforward::Import;
    struct Case {
        const char* kind;
        Import selected, whole;
    };
    const Case cases[] = {
        {"PI", carryforward::ImportSelAss_Personal, carryforward::ImportWholeDB_Personal},
        {"pi", carryforward::ImportSelAss_Personal, carryforward::ImportWholeDB_Personal},
        {"ti", carryforward::ImportSelAss_Trust, carryforward::ImportWholeDB_Trust},
        {"Ci", carryforward::ImportSelAss_Company, carryforward::ImportWholeDB_Company},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const carryforward::SourceKind* kind = carryforward::kindNamed(c.kind);
        ASSERT_NE(kind, nullptr);
        EXPECT_EQ(kind->importSelected, c.selected);
        EXPECT_EQ(kind->importWhole, c.whole);
    }
    for (const char* unknown : {"", "P", "PIX", "XI"})
        EXPECT_EQ(carryforward::kindNamed(unknown), nullptr) << unknown;
}

class DispatchTest : public CarryFixture {};

TEST_F(DispatchTest, EachButtonStartsAnImportOfAKnownKindOnly) {
    w.cmdImpSelAss.setEnabled(true);
    w.cmdImpWholeDB.setEnabled(true);
    w.TransPersDbPath = program.file("TransDB.mdb");
    w.TransCompDbPath = program.file("TransCompanyDB.mdb");
    w.TransTrustDbPath = program.file("TransTrustDB.mdb");
    w.PrevYearCompDbPath = src.file("QolbCompany2017Lan.MDB"); // not there
    for (const char* kind : {"pi", "ti", "ci", "xx"}) {
        for (const char* button : {"cmdImpSelAss", "cmdImpWholeDB"}) {
            SCOPED_TRACE(std::string(kind) + " " + button);
            w.ImportKind = kind;
            const std::string k = kind, b = button;
            // The import of one client of any kind, with no client chosen, shows nothing; the
            // imports of every client, with no file located, find none.
            const bool chosenOne = (k == "pi" || k == "ti" || k == "ci") && b == "cmdImpSelAss";
            if (k == "pi" && !chosenOne)
                desk.expectMessage(kNotFound, forms::vbOKOnly, "File not found", forms::vbOK);
            else if (k == "ti" && !chosenOne)
                desk.expectMessage(kTrustsNotFound, forms::vbOKOnly, "File not found", forms::vbOK);
            else if (k == "ci" && !chosenOne)
                desk.expectMessage(kCompaniesNotFound, forms::vbOKOnly, "File not found",
                                   forms::vbOK);
            ASSERT_TRUE(w.click(button));
            EXPECT_TRUE(desk.verify()) << desk.transcript();
        }
    }
}

TEST_F(DispatchTest, ADoubleClickShowsTheRowAndImportsIt) {
    support::DatabaseFile(src.file("QolbTrust2017Lan.Mdb"), FileKind::LastYearTrust)
        .row("TRUSTDetails", {{"TDCLNO", 1.0}, {"TrustName", "One"}})
        .row("TRUSTDetails", {{"TDCLNO", 2.0}, {"TrustName", "Two"}})
        .make();
    makeLastYear(src.file("Qolb2017LAN.MDB"), FileKind::LastYearIndividuals, {});
    support::DatabaseFile(program.file("QolbTrust2018Lan.Mdb"), FileKind::Trust).make();
    chooseKind(1);
    locate(src.file("QolbTrust2017Lan.Mdb"));
    w.TrustDbPath = program.file("QolbTrust2018Lan.Mdb");

    std::string shownWhenImported;
    desk.onMessage = [&] { shownWhenImported = w.Text8.Text(); };
    desk.expectMessage("The Transfer has been completed.", forms::vbOKOnly, "", forms::vbOK);
    ASSERT_TRUE(w.lstPrevYear.userDoubleClick(1));
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    EXPECT_EQ(shownWhenImported, "Two");
    EXPECT_EQ(w.PrevYearSelected, 1);
}

} // namespace
} // namespace carry_test
