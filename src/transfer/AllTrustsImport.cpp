#include "transfer/AllTrustsImport.h"

#include "app/DatabaseHandles.h"
#include "engine/Transaction.h"
#include "runtime/VariantOps.h"
#include "schema/StructureDefinitions.h"
#include "transfer/CapitalGainsCleanUp.h"
#include "transfer/CapitalGainsTables.h"
#include "transfer/ClientsDetailCopies.h"
#include "transfer/RecordCarry.h"
#include "transfer/SqlText.h"
#include "transfer/TrustCarryTables.h"
#include "transfer/TrustCleanUps.h"
#include "transfer/TrustDetailCopies.h"

#include <string_view>

namespace transfer {

namespace {

constexpr std::string_view kClient = "TDCLNO";

constexpr std::string_view kTransferTables[] = {
    "TrustCGTDetails",           "TrustCGTAcqCost",      "TrustCGTImproveMade", "TrustCGTSaleCost",
    "TrustCGTImproveMadeBefore", "TrustPropRentDetails", "TandBenDetails"};

// Last year's rows of every trust in `table`, by number (equal numbers in the order their
// index keeps them), holding the fields a carry reads.
engine::RecordsetPtr selectTrusts(engine::Database& lastYear, std::string_view table,
                                  const CarryTable& carry) {
    std::string sql = "SELECT " + bracketed(kClient);
    for (std::string_view field : sourceFields(carry))
        if (field != kClient) sql += ", " + bracketed(field);
    sql += " FROM " + bracketed(table) + " WHERE " + bracketed(kClient) + " > 0 ORDER BY " +
           bracketed(kClient);
    return lastYear.OpenRecordset(sql, engine::dbOpenDynaset);
}

// The highest trust number of this year's file; none when it holds no trust, 0 when its
// highest row holds no number.
std::optional<double> highestNumber(engine::Recordset& main) {
    main.setIndex("TDCLNOIndex");
    if (main.Eof()) return std::nullopt;
    main.MoveLast();
    const runtime::Variant number = main.Fields(kClient).Value();
    return runtime::IsNull(number) ? 0.0 : runtime::CDbl(number);
}

void step(const ImportProgress& progress) {
    if (progress.step) progress.step();
}

double numberOf(engine::Recordset& rs) {
    return runtime::CDbl(rs.Fields(kClient).Value());
}

// Last year's income rows, walked beside the trusts (both by number): the first row of a
// trust's number is its own; a trust without one starts as if it had no gain.
class IncomeRows {
public:
    IncomeRows(engine::Recordset& rows, RecordCarry& carry) : rows_(rows), carry_(carry) {}
    void add(double trust, const Numbering& numbering) {
        while (!rows_.Eof() && numberOf(rows_) < trust)
            rows_.MoveNext();
        if (!rows_.Eof() && numberOf(rows_) == trust)
            carry_.add(numbering);
        else
            carry_.addWithoutSource(numbering);
    }

private:
    engine::Recordset& rows_;
    RecordCarry& carry_;
};

std::string trustName(engine::Recordset& trusts) {
    return "the trust " +
           runtime::Concat(trusts.Fields("TrustName").Value(), runtime::Variant("")) + " (" +
           runtime::CStr(trusts.Fields(kClient).Value()) + ")";
}

// The write pass: each trust's two rows; gives each old number's new one (the first trust's,
// when two share a number).
ClientNoMap writeTrusts(engine::Recordset& trusts, engine::Recordset& lastIncome,
                        engine::Database& thisYear, const ImportProgress& progress,
                        AllTrustsImported& done) {
    engine::RecordsetPtr main = thisYear.OpenRecordset("TRUSTDetails", engine::dbOpenTable);
    engine::RecordsetPtr income = thisYear.OpenRecordset("TRUSTIncExpend", engine::dbOpenTable);
    std::optional<double> next = highestNumber(*main);
    done.renumbered = next.has_value();
    if (next) *next += 1;
    RecordCarry mainCarry(trustMainCarry(), trusts, *main);
    RecordCarry incomeCarry(trustIncomeCarry(), lastIncome, *income);
    IncomeRows incomeRows(lastIncome, incomeCarry);

    ClientNoMap map;
    for (trusts.MoveFirst(); !trusts.Eof(); trusts.MoveNext()) {
        const double oldNo = numberOf(trusts);
        const Numbering numbering = next ? Numbering::renumbered(*next) : Numbering::kept(oldNo);
        try {
            mainCarry.add(numbering);
            incomeRows.add(oldNo, numbering);
        } catch (const runtime::Error& e) {
            throw ImportStepError(trustName(trusts), e);
        }
        if (next) *next += 1;
        if (map.oldNumbers.empty() || map.oldNumbers.back() != oldNo) {
            map.oldNumbers.push_back(oldNo);
            map.newNumbers.push_back(numbering.clientNo);
        }
        ++done.trusts;
        step(progress);
    }
    main->Close();
    income->Close();
    return map;
}

std::vector<CopyPlan> allTrustPlans() {
    std::vector<CopyPlan> plans = trustDetailCopies();
    const std::vector<CopyPlan>& costs = trustCostLineCopies();
    plans.insert(plans.end(), costs.begin(), costs.end());
    return plans;
}

long rowsOf(const std::vector<CopiedRows>& copies) {
    long rows = 0;
    for (const CopiedRows& c : copies)
        rows += c.rows;
    return rows;
}

// The detail rows and their cost lines, straight across under kept numbers, or through the
// transfer file; the capital-gains clean-up then tidies them in this year's file.
long copyDetails(engine::Database& lastYear, const std::string& thisYearPath,
                 const std::string& transferPath, const ClientNoMap& map, bool renumbered) {
    static const std::vector<CopyPlan> plans = allTrustPlans();
    if (!renumbered)
        return during("the detail rows", [&] {
            return rowsOf(copyClientsDetails(plans, lastYear, thisYearPath, map.oldNumbers));
        });
    engine::DatabasePtr transfer = during("the detail rows in the transfer database", [&] {
        copyClientsDetails(plans, lastYear, transferPath, map.oldNumbers);
        return app::defaultWorkspace().OpenDatabase(transferPath);
    });
    const long rows = during("the renumbered detail rows", [&] {
        return rowsOf(copyRenumberedDetails(plans, *transfer, thisYearPath, map));
    });
    transfer->Close();
    return rows;
}

} // namespace

void emptyTrustsTransferFile(const std::string& transferPath) {
    schema::MakeTemp_Trust_DB(transferPath);
    engine::DatabasePtr db = app::defaultWorkspace().OpenDatabase(transferPath);
    for (std::string_view table : kTransferTables)
        db->Execute("DELETE *FROM [" + std::string(table) + "]");
    db->Close();
}

std::optional<AllTrustsImported> importAllTrusts(engine::Database& lastYear,
                                                 const std::string& thisYearPath,
                                                 const std::string& transferPath,
                                                 const ImportProgress& progress) {
    engine::RecordsetPtr trusts, lastIncome;
    during("last year's trusts", [&] {
        trusts = selectTrusts(lastYear, "TRUSTDetails", trustMainCarry());
        lastIncome = selectTrusts(lastYear, "TRUSTIncExpend", trustIncomeCarry());
    });
    if (trusts->Eof()) return std::nullopt;
    during("last year's trusts", [&] {
        trusts->MoveLast();
        if (progress.counted) progress.counted(trusts->RecordCount());
        for (trusts->MoveFirst(); !trusts->Eof(); trusts->MoveNext())
            step(progress);
    });
    // Rows staged by an earlier run would otherwise follow this run's trusts.
    during("the transfer database", [&] {
        emptyTrustsTransferFile(transferPath);
        prepareClientNoMap(transferPath);
    });

    AllTrustsImported done;
    engine::DatabasePtr thisYear = during(
        "this year's database", [&] { return app::defaultWorkspace().OpenDatabase(thisYearPath); });
    {
        engine::Transaction transaction;
        const ClientNoMap map = during("this year's trusts", [&] {
            return writeTrusts(*trusts, *lastIncome, *thisYear, progress, done);
        });
        done.detailRows = copyDetails(lastYear, thisYearPath, transferPath, map, done.renumbered);
        during("the rental flags", [&] { FlagTrustRentalIncome(*thisYear); });
        during("the capital-gains assets", [&] { RenumberCGT_Trust(*thisYear, map.newNumbers); });
        during("this year's database", [&] { transaction.commit(); });
    }
    thisYear->Close();
    trusts->Close();
    lastIncome->Close();
    return done;
}

} // namespace transfer
