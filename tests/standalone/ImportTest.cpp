// The stand-alone import through the window: every kind's clients arrive under the numbers
// that follow the network's, with their rows and free record locks; a kind that fails is
// left out whole and named; the source is read again, and only from copies this click made.

#include "StandAloneFixture.h"
#include "runtime/VariantOps.h"
#include "standalone/Messages.h"
#include "support/OtherProcess.h"
#include "transfer/Messages.h"

#include <filesystem>

namespace standalone_test {
namespace {

const std::string kSuccess = "The File Transfer has been successfull !";

// Individuals 15, 3 and 8 (3 locked by a user), with rows in a few detail tables and one
// orphan row numbered as a client will be; trusts 7 and 2; companies 7 and 2 beside them.
Rows standAloneRows() {
    Rows rows;
    for (double n : {15.0, 3.0, 8.0}) {
        rows.push_back({"Qolb2018",
                        {{"DCLNO", n},
                         {"Surname", "S" + runtime::CStr(Variant(n))},
                         {"UserName", n == 3 ? Variant("ann") : Variant()},
                         {"Email", "old@x"},
                         {"Email75", "new@x"}}});
        rows.push_back({"Qolb2018Cont", {{"DCLNO", n}}});
        rows.push_back({"OMedCosts", {{"DCLNO", n}, {"Amount", n}}});
    }
    rows.push_back({"CARALL", {{"DCLNO", 8.0}}});
    rows.push_back({"CARALL", {{"DCLNO", 59.0}}}); // orphan
    for (double n : {7.0, 2.0}) {
        rows.push_back({"TRUSTDetails", {{"TDCLNO", n}, {"UserName", "bob"}}});
        rows.push_back({"CapExempt", {{"TDCLNO", n}, {"Amount", n}}});
    }
    return rows;
}

void makeStandAloneCompanies(const std::string& path) {
    support::DatabaseFile(path, FileKind::Company)
        .row("CompanyDetails", {{"CDCLNO", 7.0}, {"UserName", "cat"}})
        .row("CompanyDetails", {{"CDCLNO", 2.0}})
        .row("Adjustments", {{"CDCLNO", 7.0}, {"Amount", 7.0}})
        .row("Adjustments", {{"CDCLNO", 2.0}, {"Amount", 2.0}})
        .row("Adjustments", {{"CDCLNO", 1.0}, {"Amount", -1.0}}) // orphan
        .make();
}

class StandAloneImport : public StandAloneFixture {
protected:
    void prepareSource() {
        makeStandAlone(sourcePath(), standAloneRows());
        makeStandAloneCompanies(sourceCompanyPath());
        locate(sourcePath());
    }
    void clickImport(const std::vector<std::pair<std::string, int>>& messages) {
        for (const auto& [text, style] : messages)
            desk.expectMessage(text, style, "", forms::vbOK);
        ASSERT_TRUE(w.click("cmdImportNow"));
        EXPECT_TRUE(desk.verify()) << desk.transcript();
    }
    std::vector<double> range(double first, double last) {
        std::vector<double> out;
        for (double n = first; n <= last; ++n)
            out.push_back(n);
        return out;
    }
};

TEST_F(StandAloneImport, AllThreeKindsIntoEmptyAndFilledNetworkFiles) {
    for (const double highest : {0.0, 57.0}) {
        SCOPED_TRACE(highest);
        std::filesystem::remove_all(net.path());
        std::filesystem::create_directories(net.path());
        Rows people, trusts, companies;
        if (highest > 0) {
            people.push_back({"Qolb2018", {{"DCLNO", highest}}}); // lock fields Null
            trusts.push_back({"TRUSTDetails", {{"TDCLNO", highest}}});
            companies.push_back({"CompanyDetails", {{"CDCLNO", highest}}});
        }
        makeNetwork(people, trusts, companies);
        if (highest == 0) prepareSource();
        clickImport({{kSuccess, forms::vbOKOnly}});

        const double b = highest;
        std::vector<double> main = range(b + 1, b + 3);
        if (b > 0) main.insert(main.begin(), b);
        EXPECT_EQ(numbers(w.PersDbPath, "Qolb2018", "DCLNO"), main);
        EXPECT_EQ(numbers(w.PersDbPath, "Qolb2018Cont", "DCLNO"), range(b + 1, b + 3));
        EXPECT_EQ(numbers(w.PersDbPath, "CARALL", "DCLNO"), std::vector<double>{b + 2})
            << "client 8 is the second; the orphan stays behind";
        // Form D's rows go with their client: 15 is the third.
        EXPECT_EQ(runtime::CDbl(valueOf(w.PersDbPath, "OMedCosts", "DCLNO", b + 3, "Amount")), 15);
        EXPECT_EQ(runtime::CStr(valueOf(w.PersDbPath, "Qolb2018", "DCLNO", b + 1, "UserName")), "");
        EXPECT_EQ(runtime::CDbl(valueOf(w.PersDbPath, "Qolb2018", "DCLNO", b + 1, "DateLastSaved")),
                  0);
        EXPECT_TRUE(runtime::IsNull(valueOf(w.PersDbPath, "Qolb2018", "DCLNO", b + 1, "Email")));
        EXPECT_EQ(runtime::CStr(valueOf(w.PersDbPath, "Qolb2018", "DCLNO", b + 1, "Email75")),
                  "new@x");

        std::vector<double> trustMain = range(b + 1, b + 2);
        if (b > 0) trustMain.insert(trustMain.begin(), b);
        EXPECT_EQ(numbers(w.TrustDbPath, "TRUSTDetails", "TDCLNO"), trustMain);
        EXPECT_EQ(runtime::CDbl(valueOf(w.TrustDbPath, "CapExempt", "TDCLNO", b + 2, "Amount")), 7);
        EXPECT_EQ(
            runtime::CStr(valueOf(w.TrustDbPath, "TRUSTDetails", "TDCLNO", b + 2, "UserName")), "");
        EXPECT_EQ(numbers(w.CompDbPath, "CompanyDetails", "CDCLNO"), trustMain);
        EXPECT_EQ(numbers(w.CompDbPath, "Adjustments", "CDCLNO"), range(b + 1, b + 2));
        EXPECT_EQ(runtime::CDbl(
                      valueOf(w.CompDbPath, "CompanyDetails", "CDCLNO", b + 2, "DateLastSaved")),
                  0);
        if (b > 0) { // the rows that were there have their locks freed too
            EXPECT_EQ(runtime::CStr(valueOf(w.PersDbPath, "Qolb2018", "DCLNO", b, "UserName")), "");
        }

        EXPECT_FALSE(program.exists("Qolb2018.Mdb"));
        EXPECT_FALSE(program.exists("QolbCompany2018.MDB"));
        EXPECT_FALSE(w.Animation1.Visible());
        EXPECT_TRUE(w.Frame12.Visible());
        EXPECT_EQ(desk.mousePointer(), forms::vbDefault);
        EXPECT_EQ(numbers(sourcePath(), "Qolb2018", "DCLNO"), (std::vector<double>{3, 8, 15}))
            << "the stand-alone file is never changed";
    }
}

TEST_F(StandAloneImport, AFailingKindIsLeftOutWholeAndNamed) {
    makeNetwork();
    // The trust network file lacks a detail table, so the trusts' copy fails half way.
    std::filesystem::remove(w.TrustDbPath);
    support::DatabaseFile(w.TrustDbPath, FileKind::Trust).only({"TRUSTDetails"}).make();
    prepareSource();
    const std::string prefix = "The trusts of the stand-alone database could not be imported: ";
    desk.answerAnyMessage(forms::vbOK);
    ASSERT_TRUE(w.click("cmdImportNow"));
    const std::vector<std::string> shown = desk.messages();
    ASSERT_EQ(shown.size(), 1u) << desk.transcript();
    EXPECT_EQ(shown[0].rfind(prefix, 0), 0u) << shown[0];
    EXPECT_NE(shown[0].find("None of them has been added to the network database. The "
                            "individuals have been imported."),
              std::string::npos)
        << shown[0];
    EXPECT_EQ(numbers(w.PersDbPath, "Qolb2018", "DCLNO"), range(1, 3));
    EXPECT_TRUE(numbers(w.TrustDbPath, "TRUSTDetails", "TDCLNO").empty());
    EXPECT_EQ(numbers(w.CompDbPath, "CompanyDetails", "CDCLNO"), range(1, 2));
}

TEST_F(StandAloneImport, TheSourceIsReadAgainAtTheClick) {
    makeNetwork();
    prepareSource();
    // Replaced since it was located by a file of the first structure.
    std::filesystem::remove(sourcePath());
    makeStandAlone(sourcePath(), standAloneRows(), Variant(std::int16_t{1}));
    clickImport({{standalone::msg::oldVersion(), forms::vbOKOnly}});
    EXPECT_FALSE(w.cmdImportNow.Enabled());
    EXPECT_TRUE(numbers(w.PersDbPath, "Qolb2018", "DCLNO").empty());
    EXPECT_TRUE(numbers(w.CompDbPath, "CompanyDetails", "CDCLNO").empty());
}

TEST_F(StandAloneImport, TheSourceInTheProgramFolderIsRefused) {
    makeNetwork();
    const std::string inProgram = program.file("qolb2018.MDB");
    makeStandAlone(inProgram, standAloneRows());
    locate(inProgram);
    clickImport({{standalone::msg::sourceIsWorkingCopy(inProgram), forms::vbCritical}});
    EXPECT_EQ(numbers(inProgram, "Qolb2018", "DCLNO"), (std::vector<double>{3, 8, 15}));
    EXPECT_TRUE(numbers(w.PersDbPath, "Qolb2018", "DCLNO").empty());
}

TEST_F(StandAloneImport, ALeftoverCopyIsNeverImported) {
    makeNetwork();
    makeStandAlone(sourcePath(), standAloneRows());
    locate(sourcePath());
    // An earlier click left its company copy; this time the company file is missing.
    makeStandAloneCompanies(program.file("QolbCompany2018.MDB"));
    desk.answerAnyMessage(forms::vbOK);
    ASSERT_TRUE(w.click("cmdImportNow"));
    const std::vector<std::string> shown = desk.messages();
    ASSERT_EQ(shown.size(), 1u) << desk.transcript();
    EXPECT_EQ(shown[0].rfind("The companies of the stand-alone database could not be imported", 0),
              0u)
        << shown[0];
    EXPECT_TRUE(numbers(w.CompDbPath, "CompanyDetails", "CDCLNO").empty());
    EXPECT_EQ(numbers(w.PersDbPath, "Qolb2018", "DCLNO"), range(1, 3));
}

TEST_F(StandAloneImport, LocksNotFreedWhileAWorkstationHoldsTheFileAreSaid) {
    makeNetwork();
    prepareSource();
    support::OtherProcess workstation(w.CompDbPath, false);
    ASSERT_TRUE(workstation.acquired());
    clickImport({{std::string(transfer::msg::LockFieldsInUse), forms::vbExclamation}});
    workstation.release();
    EXPECT_EQ(numbers(w.CompDbPath, "CompanyDetails", "CDCLNO"), range(1, 2));
    EXPECT_TRUE(
        runtime::IsNull(valueOf(w.CompDbPath, "CompanyDetails", "CDCLNO", 1, "DateLastSaved")));
}

TEST_F(StandAloneImport, CancelAtAFailingMediumImportsNothing) {
    makeNetwork();
    prepareSource();
    // The program folder is gone, so no working copy can be made.
    desk.setProgramFolder(program.file("gone"));
    const std::string media = "There is a problem with the Chosen Media!";
    for (int kind = 0; kind < 2; ++kind) // the individuals' copy, then the companies'
        desk.expectMessage(media, forms::vbOKCancel, "Chosen Media Empty/Faulty!", forms::vbCancel);
    ASSERT_TRUE(w.click("cmdImportNow"));
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    EXPECT_TRUE(numbers(w.PersDbPath, "Qolb2018", "DCLNO").empty());
    EXPECT_TRUE(numbers(w.TrustDbPath, "TRUSTDetails", "TDCLNO").empty());
    EXPECT_TRUE(numbers(w.CompDbPath, "CompanyDetails", "CDCLNO").empty());
    EXPECT_FALSE(w.Animation1.Visible());
}

} // namespace
} // namespace standalone_test
