// Last year's companies as the import reads them: block by block, in number order, companies
// sharing a number never split between blocks; a file lacking a field the carry reads is
// read whole, and the carry names the field.

#include "transfer/LastYearCompanies.h"

#include "engine/Dao.h"
#include "runtime/VariantOps.h"
#include "support/DatabaseFile.h"
#include "support/TempFolder.h"
#include "transfer/CompanyImport.h"
#include "transfer/RecordCarry.h"

#include <gtest/gtest.h>

namespace {

using runtime::Variant;
using support::FileKind;

// Stored out of number order; the three 20s in the order they were added.
const std::vector<std::pair<Variant, std::string>> kCompanies{
    {30.0, "Gamma"}, {20.0, "Beta a"},          {10.0, "Alpha"},  {20.0, "Beta b"}, {0.0, "Zero"},
    {40.0, "Delta"}, {Variant::null(), "None"}, {20.0, "Beta c"}, {-5.0, "Minus"}};

class LastYearCompaniesTest : public ::testing::Test {
protected:
    void make(support::DatabaseFile file) {
        file.only({"CompanyDetails"});
        for (const auto& [number, name] : kCompanies)
            file.row("CompanyDetails", {{"CDCLNO", number}, {"CompanyRegName", name}});
        file.make();
        db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(path);
    }
    void TearDown() override { engine::DBEngine::instance().Workspaces(0).Close(); }

    // Every block's companies by name, a block to a line.
    std::vector<std::string> walk(transfer::LastYearCompanies& companies) {
        std::vector<std::string> blocks;
        while (companies.nextBlock()) {
            std::string names;
            for (bool more = companies.first(); more; more = companies.next())
                names += (names.empty() ? "" : ", ") +
                         runtime::CStr(companies.recordset().Fields("CompanyRegName").Value()) +
                         " " + runtime::CStr(Variant(companies.number()));
            blocks.push_back(names);
        }
        return blocks;
    }

    support::TempFolder folder;
    std::string path = folder.file("QolbCompany2017Lan.Mdb");
    engine::DatabasePtr db;
};

TEST_F(LastYearCompaniesTest, EveryCompanyComesInNumberOrderAndANumberStaysInOneBlock) {
    make(support::DatabaseFile(path, FileKind::LastYearCompany));
    struct Case {
        std::size_t perBlock;
        std::vector<std::string> blocks;
    };
    const std::vector<Case> cases{
        {1, {"Alpha 10", "Beta a 20, Beta b 20, Beta c 20", "Gamma 30", "Delta 40"}},
        {2, {"Alpha 10, Beta a 20, Beta b 20, Beta c 20", "Gamma 30, Delta 40"}},
        {3, {"Alpha 10, Beta a 20, Beta b 20, Beta c 20", "Gamma 30, Delta 40"}},
        {4, {"Alpha 10, Beta a 20, Beta b 20, Beta c 20", "Gamma 30, Delta 40"}},
        {5, {"Alpha 10, Beta a 20, Beta b 20, Beta c 20, Gamma 30", "Delta 40"}},
        {1000, {"Alpha 10, Beta a 20, Beta b 20, Beta c 20, Gamma 30, Delta 40"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.perBlock);
        transfer::LastYearCompanies companies(*db, std::nullopt, c.perBlock);
        EXPECT_EQ(companies.count(), 6);
        EXPECT_EQ(walk(companies), c.blocks);
    }
}

TEST_F(LastYearCompaniesTest, AChosenNumberGivesEachOfItsCompanies) {
    make(support::DatabaseFile(path, FileKind::LastYearCompany));
    transfer::LastYearCompanies companies(*db, 20.0, 1);
    EXPECT_EQ(companies.count(), 3);
    EXPECT_EQ(walk(companies), std::vector<std::string>{"Beta a 20, Beta b 20, Beta c 20"});
}

TEST_F(LastYearCompaniesTest, AFileLackingACarriedFieldIsReadWholeAndTheCarryNamesIt) {
    make(support::DatabaseFile(path, FileKind::LastYearCompany).drop("CompanyDetails", "CompTel"));
    transfer::LastYearCompanies companies(*db, std::nullopt, 1);
    EXPECT_EQ(companies.count(), 6);
    EXPECT_EQ(walk(companies), std::vector<std::string>{"Alpha 10, Beta a 20, Beta b 20, "
                                                        "Beta c 20, Gamma 30, Delta 40"});

    const std::string thisYear = folder.file("QolbCompany2018Lan.Mdb");
    support::DatabaseFile(thisYear, FileKind::Company).only({"CompanyDetails"}).make();
    const std::string before = support::readBytes(thisYear);
    try {
        transfer::importCompanies(*db, {thisYear, folder.file("TransCompanyDB.mdb")}, std::nullopt,
                                  {});
        ADD_FAILURE() << "imported without CompTel";
    } catch (const transfer::FieldError& e) {
        EXPECT_EQ(e.field(), "CompTel");
    }
    engine::DBEngine::instance().Workspaces(0).Close();
    EXPECT_EQ(support::readBytes(thisYear), before);
}

} // namespace
