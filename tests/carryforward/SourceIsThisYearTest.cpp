// Every previous-year import, given this year's own file as last year's (under another
// path), refuses it with one box naming it, before it writes anything: this year's file and
// the transfer file stay as they were.

#include "CarryFixture.h"
#include "support/DatabaseFile.h"
#include "transfer/ImportEndMessages.h"

#include <filesystem>

namespace carry_test {
namespace {

struct Case {
    std::string name;
    int option;
    std::string button;
    FileKind kind;
    std::string table, number;
    std::string app::frmSysAdmin::*thisYear;
    std::string app::frmSysAdmin::*lastYear;
    std::string app::frmSysAdmin::*transfer;
};

const Case kCases[] = {
    {"one individual", 0, "cmdImpSelAss", FileKind::Individuals, "Qolb2018", "DCLNO",
     &app::frmSysAdmin::PersDbPath, &app::frmSysAdmin::PrevYearDbPath,
     &app::frmSysAdmin::TransPersDbPath},
    {"every individual", 0, "cmdImpWholeDB", FileKind::Individuals, "Qolb2018", "DCLNO",
     &app::frmSysAdmin::PersDbPath, &app::frmSysAdmin::PrevYearDbPath,
     &app::frmSysAdmin::TransPersDbPath},
    {"one trust", 1, "cmdImpSelAss", FileKind::Trust, "TRUSTDetails", "TDCLNO",
     &app::frmSysAdmin::TrustDbPath, &app::frmSysAdmin::PrevYearDbPath,
     &app::frmSysAdmin::TransTrustDbPath},
    {"every trust", 1, "cmdImpWholeDB", FileKind::Trust, "TRUSTDetails", "TDCLNO",
     &app::frmSysAdmin::TrustDbPath, &app::frmSysAdmin::PrevYearDbPath,
     &app::frmSysAdmin::TransTrustDbPath},
    {"one company", 2, "cmdImpSelAss", FileKind::Company, "CompanyDetails", "CDCLNO",
     &app::frmSysAdmin::CompDbPath, &app::frmSysAdmin::PrevYearCompDbPath,
     &app::frmSysAdmin::TransCompDbPath},
    {"every company", 2, "cmdImpWholeDB", FileKind::Company, "CompanyDetails", "CDCLNO",
     &app::frmSysAdmin::CompDbPath, &app::frmSysAdmin::PrevYearCompDbPath,
     &app::frmSysAdmin::TransCompDbPath},
};

class SourceIsThisYear : public CarryFixture {};

TEST_F(SourceIsThisYear, EveryImportRefusesItBeforeWritingAnything) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        closeAll();
        const std::string file = program.file("this year " + std::to_string(c.option) + ".mdb");
        std::filesystem::remove(file);
        support::DatabaseFile thisYear(file, c.kind);
        for (double n : {1.0, 2.0, 3.0})
            thisYear.row(c.table, {{c.number, n}});
        thisYear.make();
        // The same file, reached through a link in last year's folder.
        const std::string alias = src.file("linked " + std::to_string(c.option) + ".mdb");
        std::filesystem::remove(alias);
        std::filesystem::create_symlink(file, alias);

        chooseKind(c.option);
        w.*c.thisYear = file;
        w.*c.lastYear = alias;
        w.*c.transfer = program.file("transfer " + std::to_string(c.option) + ".mdb");
        std::filesystem::remove(w.*c.transfer);
        // The first of this year's clients, listed and chosen as if from last year.
        w.lstPrevYear.Clear();
        w.lstPrevYear.AddItem("first");
        w.lstPrevYear.setListIndex(0);
        w.PrevYearClientNos = {Variant(), d(1)};
        w.PrevYearClientNames = {Variant(), Variant("first")};
        w.PrevYearSelected = 1;
        w.cmdImpSelAss.setEnabled(true);
        w.cmdImpWholeDB.setEnabled(true);

        const std::string before = support::readBytes(file);
        desk.expectMessage(transfer::msg::sourceIsThisYear(alias), forms::vbCritical, "",
                           forms::vbOK);
        ASSERT_TRUE(w.click(c.button));
        EXPECT_TRUE(desk.verify()) << desk.transcript();
        closeAll();
        EXPECT_EQ(support::readBytes(file), before);
        EXPECT_FALSE(std::filesystem::exists(w.*c.transfer)) << "nothing written anywhere";
    }
}

} // namespace
} // namespace carry_test
