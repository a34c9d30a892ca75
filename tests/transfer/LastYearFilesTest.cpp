// Last year's files as the import tests build them: each kind opens through the engine and
// holds its rows under last year's tables, columns and indexes, and nothing of the new year.

#include "engine/Dao.h"
#include "engine/EngineErrors.h"
#include "runtime/VariantOps.h"
#include "support/DatabaseFile.h"
#include "support/ErrorOf.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using runtime::Variant;
using support::FileKind;

// One row put in, then found again through the index that the imports read it by (the
// first row of a table read without one).
struct Probe {
    std::string table, index;
    support::Row row; // the first value is the key sought
};

void expectFound(engine::Database& db, const Probe& p) {
    SCOPED_TRACE(p.table);
    auto rs = db.OpenRecordset(p.table, engine::dbOpenTable);
    if (p.index.empty()) {
        ASSERT_EQ(rs->RecordCount(), 1);
        rs->MoveFirst();
    } else {
        rs->setIndex(p.index);
        rs->Seek("=", {p.row.front().second});
        ASSERT_FALSE(rs->NoMatch());
    }
    for (const auto& [field, value] : p.row)
        EXPECT_EQ(runtime::CStr(rs->Fields(field).Value()), runtime::CStr(value)) << field;
    rs->Close();
}

TEST(LastYearFiles, EachKindOpensAndHoldsItsRows) {
    struct Case {
        FileKind kind;
        std::string name;
        std::vector<Probe> probes;
        std::vector<std::string> absentTables; // this year's names, or what the kind lacks
    };
    const std::int16_t living = 0;
    const std::vector<Case> cases{
        {FileKind::LastYearIndividuals,
         "Qolb2017LAN.mdb",
         {{"Qolb2017",
           "indxSurname",
           {{"Surname", "Naidoo"}, {"DCLNO", 7.0}, {"PERS2", "A"}, {"MPERSDECEASED", living}}},
          {"Qolb2017Cont", "LinkNumIndex", {{"DCLNO", 7.0}, {"TaxRefNo_1", "0123"}}},
          {"IRP5IncDed", "indxDCLNO", {{"DCLNO", 7.0}, {"RetrenchmentLumps2017", 250.0}}},
          {"DefInvOpt", "", {{"UpDateDB", std::int16_t(6)}}}},
         {"Qolb2018", "Qolb2018Cont"}},
        {FileKind::LastYearTrust,
         "QolbTrust2017Lan.Mdb",
         {{"TRUSTDetails",
           "TrustNameIndex1",
           {{"TrustName", "Khumalo Family Trust"}, {"TDCLNO", 3.0}, {"TrustRegNo", "IT12/99"}}},
          {"TRUSTIncExpend", "TDCLNOIndex", {{"TDCLNO", 3.0}, {"CGLossPrevYear", 10.0}}}},
         {"DefInvOpt"}},
        {FileKind::LastYearCompany,
         "QolbCompany2017Lan.Mdb",
         {{"CompanyDetails",
           "CompanyRegNameIndex1",
           {{"CompanyRegName", "Acme (Pty) Ltd"}, {"CDCLNO", 5.0}, {"CompanyRegNo", "2001/1"}}}},
         {"DefInvOpt"}},
    };
    support::TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        support::DatabaseFile file(folder.file(c.name), c.kind);
        for (const Probe& p : c.probes)
            file.row(p.table, p.row);
        file.make();

        auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(folder.file(c.name));
        for (const Probe& p : c.probes)
            expectFound(*db, p);
        for (const std::string& table : c.absentTables)
            EXPECT_EQ(support::errorOf([&] { db->OpenRecordset(table, engine::dbOpenTable); }),
                      engine::err::ObjectNotFound)
                << table;
        db->Close();
    }
}

TEST(LastYearFiles, IndividualsCarryTheHistoryUpToLastYearOnly) {
    support::TempFolder folder;
    const std::string path = folder.file("Qolb2017LAN.mdb");
    support::DatabaseFile(path, FileKind::LastYearIndividuals)
        .only({"IRP5IncDed", "AnnualTrends"})
        .make();
    auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(path);
    auto irp5 = db->OpenRecordset("IRP5IncDed", engine::dbOpenTable);
    EXPECT_GE(irp5->fieldOrdinal("FstLumpTaken2017"), 0);
    EXPECT_GE(irp5->fieldOrdinal("RRExGrtCTY02042010"), 0);
    EXPECT_EQ(irp5->fieldOrdinal("RetrenchmentLumps2018"), -1);
    auto trends = db->OpenRecordset("AnnualTrends", engine::dbOpenTable);
    EXPECT_GE(trends->fieldOrdinal("AT2017LocIntTaxFree"), 0);
    EXPECT_EQ(trends->fieldOrdinal("AT2018SalRem"), -1);
    irp5->Close();
    trends->Close();
    db->Close();
}

} // namespace
