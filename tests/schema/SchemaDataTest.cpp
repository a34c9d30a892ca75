// The structure definitions as data, checked against the table and field counts the
// file formats state and against the rules the helpers rely on.
#include "schema/SchemaTables.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace schema;

struct Stated {
    std::string_view name;
    int fields;
};

const Stated systemDbCounts[] = {{"DefInvOpt", 3}, {"UserNames", 3}};
const Stated individualsCounts[] = {{"Qolb2018", 244},
                                    {"Qolb2018Cont", 223},
                                    {"CARALL", 55},
                                    {"PropRentDetails", 84},
                                    {"IRP5CodeChecker", 74},
                                    {"IRP5IncDed", 130},
                                    {"DefInvOpt", 10},
                                    {"LocIntContrib", 6},
                                    {"TempLocIntContrib", 6},
                                    {"InvestInterest", 6},
                                    {"TempInvestInterest", 6},
                                    {"SITEPAYE", 13},
                                    {"TempSITEPAYE", 13},
                                    {"OMedCosts", 5},
                                    {"TempOMedCosts", 5},
                                    {"PhysDis4022", 5},
                                    {"TempPhysDis4022", 5},
                                    {"HandiExp4023", 5},
                                    {"TempHandiExp4023", 5},
                                    {"PFCC", 5},
                                    {"TempPFCC", 5},
                                    {"PFAC", 4},
                                    {"TempPFAC", 4},
                                    {"RACC", 5},
                                    {"TempRACC", 5},
                                    {"RAAC", 4},
                                    {"TempRAAC", 4},
                                    {"ProvFund4003", 5},
                                    {"TempProvFund4003", 5},
                                    {"SubAllClaims", 4},
                                    {"TempSubAllClaims", 4},
                                    {"Donation", 4},
                                    {"TempDonation", 4},
                                    {"Depreciation", 4},
                                    {"TempDepreciation", 4},
                                    {"HomeOfficeExp", 4},
                                    {"TempHomeOfficeExp", 4},
                                    {"OtherDed", 4},
                                    {"TempOtherDed", 4},
                                    {"PAYE4041", 4},
                                    {"TempPAYE4041", 4},
                                    {"LumpSums", 10},
                                    {"TempLumpSums", 10},
                                    {"ForIntDiv", 6},
                                    {"TempForIntDiv", 6},
                                    {"ForBussTrade", 5},
                                    {"TempForBussTrade", 5},
                                    {"ForFarm", 5},
                                    {"TempForFarm", 5},
                                    {"ForIncome", 5},
                                    {"TempForIncome", 5},
                                    {"ForCFC", 4},
                                    {"TempForCFC", 4},
                                    {"ForTaxCredits", 6},
                                    {"TempForTaxCredits", 6},
                                    {"ForTaxCredCGT", 5},
                                    {"TempForTaxCredCGT", 5},
                                    {"NonTaxableInc", 5},
                                    {"TempNonTaxableInc", 5},
                                    {"TaxFreeDivs", 7},
                                    {"TempTaxFreeDivs", 7},
                                    {"ForSubAllClaims", 4},
                                    {"TempForSubAllClaims", 4},
                                    {"PropRIMainExp", 5},
                                    {"TempPropRIMainExp", 5},
                                    {"CGTDetails", 30},
                                    {"CGTAcqCost", 5},
                                    {"TempCGTAcqCost", 5},
                                    {"CGTImproveMade", 5},
                                    {"TempCGTImproveMade", 5},
                                    {"CGTSaleCost", 5},
                                    {"TempCGTSaleCost", 5},
                                    {"CGTImproveMadeBefore", 5},
                                    {"TempCGTImproveMadeBefore", 5},
                                    {"CGTTrustOther", 8},
                                    {"TempCGTTrustOther", 7},
                                    {"HeadFoot", 9},
                                    {"OMIntermediarySetup", 4},
                                    {"TempSARS", 6},
                                    {"TempSARSExt", 6},
                                    {"CMVDetails", 32},
                                    {"AnnualTrends", 146},
                                    {"REITS", 5},
                                    {"TempREITS", 5},
                                    {"NotSub4034", 5},
                                    {"TempNotSub4034", 5}};
const Stated trustDbCounts[] = {{"TRUSTDetails", 101},
                                {"TandBenDetails", 22},
                                {"TRUSTIncExpend", 29},
                                {"CapExempt", 5},
                                {"TempCapExempt", 5},
                                {"Remuneration", 5},
                                {"TempRemuneration", 5},
                                {"Annuities", 5},
                                {"TempAnnuities", 5},
                                {"IntForDivInc", 5},
                                {"TempIntForDivInc", 5},
                                {"OTInc", 5},
                                {"TempOTInc", 5},
                                {"Expenditure", 4},
                                {"TempExpenditure", 4},
                                {"PAYE", 5},
                                {"TempPAYE", 5},
                                {"TaxCredit", 5},
                                {"TempTaxCredit", 5},
                                {"TrustDonations", 4},
                                {"TempTrustDonations", 4},
                                {"TrustPropRIMainExp", 5},
                                {"TempTrustPropRIMainExp", 5},
                                {"TrustPropRentDetails", 17},
                                {"TrustCGTAcqCost", 5},
                                {"TempTrustCGTAcqCost", 5},
                                {"TrustCGTImproveMade", 5},
                                {"TempTrustCGTImproveMade", 5},
                                {"TrustCGTImproveMadeBefore", 5},
                                {"TempTrustCGTImproveMadeBefore", 5},
                                {"TrustCGTSaleCost", 5},
                                {"TempTrustCGTSaleCost", 5},
                                {"TrustCGTDetails", 24},
                                {"TempSARSTrust", 5},
                                {"TempSARSExtTrust", 5}};
const Stated companyDbCounts[] = {
    {"CompanyDetails", 121}, {"Adjustments", 4}, {"TempAdjustments", 4}};
const Stated transferPersonalCounts[] = {
    {"PropRentDetails", 84},     {"CGTAcqCost", 5},  {"CGTImproveMade", 5},
    {"CGTImproveMadeBefore", 5}, {"CGTSaleCost", 5}, {"CGTDetails", 30},
    {"Qolb2018Cont", 135},       {"CARALL", 55},     {"AnnualTrends", 146}};
const Stated transferTrustCounts[] = {
    {"TrustPropRentDetails", 17}, {"TrustCGTAcqCost", 5},
    {"TrustCGTImproveMade", 5},   {"TrustCGTImproveMadeBefore", 5},
    {"TrustCGTSaleCost", 5},      {"TrustCGTDetails", 24},
    {"TandBenDetails", 22}};
const Stated transferCompanyCounts[] = {{"CompanyDetails", 66}};

std::vector<TableSpec> individualsTables() {
    std::vector<TableSpec> all = individualsMainTables();
    for (const auto* part : {&individualsDetailTables(), &individualsExtendedTables()})
        all.insert(all.end(), part->begin(), part->end());
    return all;
}

struct Db {
    std::string name;
    std::vector<TableSpec> tables;
    std::vector<Stated> stated;
};

std::vector<Db> allDatabases() {
    auto db = [](std::string name, std::vector<TableSpec> tables, const auto& stated) {
        return Db{std::move(name), std::move(tables),
                  std::vector<Stated>(std::begin(stated), std::end(stated))};
    };
    return {db("system", systemDbTables(), systemDbCounts),
            db("individuals", individualsTables(), individualsCounts),
            db("trust", trustDbTables(), trustDbCounts),
            db("company", companyDbTables(), companyDbCounts),
            db("transfer personal", transferPersonalTables(), transferPersonalCounts),
            db("transfer trust", transferTrustTables(), transferTrustCounts),
            db("transfer company", transferCompanyTables(), transferCompanyCounts)};
}

const TableSpec& table(const std::vector<TableSpec>& tables, std::string_view name) {
    return tableIn({&tables}, name);
}

std::vector<std::string> names(const std::vector<FieldSpec>& fields) {
    std::vector<std::string> out;
    for (const FieldSpec& f : fields)
        out.emplace_back(f.name);
    return out;
}

TEST(SchemaData, TablesAndFieldCountsAreThoseStated) {
    std::size_t tables = 0, fields = 0;
    for (const Db& db : allDatabases()) {
        SCOPED_TRACE(db.name);
        ASSERT_EQ(db.tables.size(), db.stated.size());
        for (std::size_t i = 0; i < db.tables.size(); ++i) {
            EXPECT_EQ(db.tables[i].name, db.stated[i].name);
            EXPECT_EQ(createdFields(db.tables[i]).size(), std::size_t(db.stated[i].fields))
                << db.tables[i].name;
        }
        tables += db.tables.size();
        for (const TableSpec& t : db.tables)
            fields += createdFields(t).size();
    }
    EXPECT_EQ(tables, 143u);
    EXPECT_EQ(fields, 2529u);
}

TEST(SchemaData, FieldsAreWellFormed) {
    for (const Db& db : allDatabases()) {
        for (const TableSpec& t : db.tables) {
            SCOPED_TRACE(db.name + " " + t.name);
            std::set<std::string_view> seen;
            for (const FieldSpec& f : createdFields(t)) {
                EXPECT_TRUE(seen.insert(f.name).second) << "twice: " << f.name;
                switch (f.type) {
                case FieldType::Text:
                    EXPECT_TRUE(f.size >= 1 && f.size <= 180) << f.name;
                    break;
                case FieldType::Memo:
                    EXPECT_EQ(f.size, 2000) << f.name;
                    break;
                default:
                    EXPECT_EQ(f.size, 0) << f.name;
                }
            }
            // A restated In Use may only come first, as a Boolean.
            for (std::size_t i = 0; i < t.fields.size(); ++i)
                if (t.fields[i].name == InUseField) {
                    EXPECT_EQ(i, 0u);
                    EXPECT_EQ(t.fields[i].type, FieldType::Boolean);
                }
            for (const IndexSpec& ix : t.indexes)
                EXPECT_TRUE(seen.count(ix.fields)) << ix.name << " on missing " << ix.fields;
        }
    }
}

TEST(SchemaData, NineTablesNameInUseAgain) {
    std::vector<std::string> restating;
    for (const Db& db : allDatabases())
        for (const TableSpec& t : db.tables)
            if (!t.fields.empty() && t.fields.front().name == InUseField)
                restating.push_back(db.name + " " + t.name);
    EXPECT_EQ(restating,
              (std::vector<std::string>{
                  "individuals Qolb2018", "individuals Qolb2018Cont", "individuals CARALL",
                  "individuals IRP5CodeChecker", "individuals DefInvOpt", "company CompanyDetails",
                  "transfer personal Qolb2018Cont", "transfer personal CARALL",
                  "transfer company CompanyDetails"}));
}

TEST(SchemaData, SpecialCodesAreWhereTheDefinitionsPutThem) {
    using Entry = std::tuple<std::string, std::string, std::string, int>;
    std::vector<Entry> found;
    for (const Db& db : allDatabases())
        for (const TableSpec& t : db.tables)
            for (const FieldSpec& f : t.fields)
                if (f.special != SpecialNone && f.special != SpecialDropField)
                    found.emplace_back(db.name, t.name, f.name, f.special);
    std::vector<Entry> expected = {
        {"individuals", "Qolb2018Cont", "TaxFreeDivs", 11},
        {"individuals", "InvestInterest", "ExclCOPSplit", 11},
        {"individuals", "TempInvestInterest", "ExclCOPSplit", 11},
        {"individuals", "LumpSums", "Code", 13},
        {"individuals", "LumpSums", "ExGrat", 11},
        {"individuals", "LumpSums", "Retire or Death", 11},
        {"individuals", "LumpSums", "Retrench or Resignation", 11},
        {"individuals", "TempLumpSums", "Code", 13},
        {"individuals", "TempLumpSums", "ExGrat", 11},
        {"individuals", "TempLumpSums", "Retire or Death", 11},
        {"individuals", "TempLumpSums", "Retrench or Resignation", 11},
        {"individuals", "ForIntDiv", "Code", 17},
        {"individuals", "ForIntDiv", "ExclCOPSplit", 11},
        {"individuals", "TempForIntDiv", "Code", 17},
        {"individuals", "TempForIntDiv", "ExclCOPSplit", 11},
        {"individuals", "ForBussTrade", "Code", 20},
        {"individuals", "TempForBussTrade", "Code", 20},
        {"individuals", "ForFarm", "Code", 21},
        {"individuals", "TempForFarm", "Code", 21},
        {"individuals", "ForIncome", "Code", 22},
        {"individuals", "TempForIncome", "Code", 22},
        {"individuals", "ForTaxCredits", "Code", 23},
        {"individuals", "ForTaxCredits", "ExclCOPSplit", 11},
        {"individuals", "TempForTaxCredits", "Code", 23},
        {"individuals", "TempForTaxCredits", "ExclCOPSplit", 11},
        {"individuals", "ForTaxCredCGT", "ExclCOPSplit", 11},
        {"individuals", "TempForTaxCredCGT", "ExclCOPSplit", 11},
        {"individuals", "CGTDetails", "ExclCOPSplit", 30},
        {"individuals", "CGTTrustOther", "COP Split", 11},
        {"individuals", "CGTTrustOther", "ExclCOPSplit", 11},
        {"individuals", "TempCGTTrustOther", "COP Split", 11},
        {"individuals", "REITS", "ExclCOPSplit", 11},
        {"individuals", "TempREITS", "ExclCOPSplit", 11},
        {"transfer personal", "CGTDetails", "ExclCOPSplit", 30},
    };
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
}

TEST(SchemaData, MainTableDropsSevenFieldsWhereTheyStood) {
    const TableSpec& q = table(individualsMainTables(), "Qolb2018");
    std::vector<std::string> sequence;
    for (std::size_t i = 1; i < q.fields.size(); ++i)
        if (q.fields[i].special == SpecialDropField)
            sequence.push_back(std::string(q.fields[i - 1].name) + ">" +
                               std::string(q.fields[i].name));
    EXPECT_EQ(sequence, (std::vector<std::string>{"INC14A>RFOtherLoss", "RFOtherLoss>RFPropLoss",
                                                  "DED8>DED9", "DED9>DED10", "DRAAC>DENT",
                                                  "OTPD>OTPT", "Code3614>ItemiseCode3614"}));
    auto created = names(createdFields(q));
    EXPECT_EQ(
        std::vector<std::string>(created.begin(), created.begin() + 5),
        (std::vector<std::string>{"In Use", "DCLNO", "UserName", "DateLastSaved", "LastUserName"}));
    EXPECT_EQ(created.back(), "Employee4040");
    std::vector<std::string> indexes;
    for (const IndexSpec& ix : q.indexes)
        indexes.emplace_back(ix.name);
    EXPECT_EQ(indexes, (std::vector<std::string>{"PERSNUM", "indxSurname", "RefNo", "indxTAxRefNo",
                                                 "indxIDNumSelf", "indxIT12", "UserNameIndex"}));
}

TEST(SchemaData, TwinsRepeatTheirTables) {
    // Each exception is a twin whose definition differs from its table's.
    const std::set<std::string> differing = {"TempCGTTrustOther", "TempPropRIMainExp",
                                             "TempTrustPropRIMainExp"};
    int twins = 0;
    for (const auto& tables : {individualsTables(), trustDbTables(), companyDbTables()}) {
        for (std::size_t i = 1; i < tables.size(); ++i) {
            const TableSpec& twin = tables[i];
            const TableSpec& base = tables[i - 1];
            if (twin.name != "Temp" + base.name) continue;
            ++twins;
            if (differing.count(twin.name)) continue;
            EXPECT_EQ(names(twin.fields), names(base.fields)) << twin.name;
            EXPECT_EQ(twin.indexes.size(), base.indexes.size()) << twin.name;
        }
    }
    EXPECT_EQ(twins, 34 + 2 + 14 + 1);

    auto cgt = names(createdFields(table(individualsDetailTables(), "CGTTrustOther")));
    cgt.pop_back();
    EXPECT_EQ(names(createdFields(table(individualsDetailTables(), "TempCGTTrustOther"))), cgt);
    for (const auto& [tables, name] : {std::pair{individualsDetailTables(), "PropRIMainExp"},
                                       std::pair{trustDbTables(), "TrustPropRIMainExp"}}) {
        EXPECT_TRUE(table(tables, name).indexes.empty());
        ASSERT_EQ(table(tables, "Temp" + std::string(name)).indexes.size(), 1u);
        EXPECT_EQ(table(tables, "Temp" + std::string(name)).indexes[0].fields, "Property Number");
    }
}

TEST(SchemaData, TransferTablesFollowTheirNetworkTables) {
    const auto network = individualsTables();
    for (const TableSpec& t : transferPersonalTables()) {
        if (t.name == "Qolb2018Cont") continue;
        EXPECT_EQ(names(t.fields), names(table(network, t.name).fields)) << t.name;
        EXPECT_EQ(t.indexes.size(), table(network, t.name).indexes.size()) << t.name;
    }
    auto cont = names(createdFields(table(network, "Qolb2018Cont")));
    cont.resize(136);
    std::erase(cont, "ItemiseREITS");
    EXPECT_EQ(names(createdFields(table(transferPersonalTables(), "Qolb2018Cont"))), cont);

    for (const TableSpec& t : transferTrustTables()) {
        EXPECT_EQ(names(t.fields), names(table(trustDbTables(), t.name).fields)) << t.name;
        const std::size_t network = table(trustDbTables(), t.name).indexes.size();
        EXPECT_EQ(t.indexes.size(), t.name == "TrustCGTDetails" ? 0 : network) << t.name;
    }

    const TableSpec& company = transferCompanyTables().front();
    auto netCompany = names(createdFields(table(companyDbTables(), "CompanyDetails")));
    auto last = std::find(netCompany.begin(), netCompany.end(), "CompanyDetailsNotes");
    ASSERT_NE(last, netCompany.end());
    netCompany.erase(last + 1, netCompany.end());
    for (const char* lock : {"UserName", "DateLastSaved", "LastUserName"})
        EXPECT_EQ(std::erase(netCompany, lock), 1u) << lock;
    EXPECT_EQ(names(createdFields(company)), netCompany);
    std::vector<std::string> indexes;
    for (const IndexSpec& ix : company.indexes)
        indexes.emplace_back(ix.name);
    EXPECT_EQ(indexes, (std::vector<std::string>{"CDCLNOIndex", "CompanyRegNameIndex",
                                                 "CompanyRegNoIndex", "indxCompanySARSOffice"}));
}

// A table is found in whichever list of the file holds it, the earlier list first; a name
// no list holds is refused rather than read as an empty table.
TEST(SchemaData, TableInFindsTheFirstListHoldingTheName) {
    const std::vector<const std::vector<TableSpec>*> individuals{
        &individualsMainTables(), &individualsDetailTables(), &individualsExtendedTables()};
    const std::vector<const std::vector<TableSpec>*> systemFirst{&systemDbTables(),
                                                                 &individualsMainTables()};
    struct Case {
        const std::vector<const std::vector<TableSpec>*>& parts;
        std::string_view name;
        const std::vector<TableSpec>& holder;
    };
    const Case cases[] = {
        {individuals, "Qolb2018", individualsMainTables()},
        {individuals, "TempOMedCosts", individualsDetailTables()},
        {individuals, "AnnualTrends", individualsExtendedTables()},
        {systemFirst, "DefInvOpt", systemDbTables()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TableSpec& found = tableIn(c.parts, c.name);
        EXPECT_EQ(found.name, c.name);
        EXPECT_TRUE(&found >= c.holder.data() && &found < c.holder.data() + c.holder.size());
    }
    EXPECT_THROW(tableIn(individuals, "Qolb2017"), std::logic_error);
    EXPECT_THROW(tableIn({}, "Qolb2018"), std::logic_error);
}

} // namespace
