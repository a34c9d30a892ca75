#include "transfer/AllTrustsImport.h"

#include "app/DatabaseHandles.h"
#include "engine/Transaction.h"
#include "runtime/VariantOps.h"
#include "transfer/CapitalGainsCleanUp.h"
#include "transfer/CapitalGainsTables.h"
#include "transfer/ClientKinds.h"
#include "transfer/ClientsDetailCopies.h"
#include "transfer/RecordCarry.h"
#include "transfer/SqlText.h"
#include "transfer/TransferFile.h"
#include "transfer/TrustCarryTables.h"
#include "transfer/TrustCleanUps.h"
#include "transfer/TrustDetailCopies.h"

#include <string_view>

namespace transfer {

namespace {

// The trusts carried forward; their detail rows are those of the same selection.
const ClientSelection& carried() {
    static const ClientSelection selection{std::string(trustClients().mainTable),
                                           std::string(trustClients().numberField),
                                           bracketed(trustClients().numberField) + " > 0"};
    return selection;
}

// Last year's rows of every trust in `table`, by number (equal numbers in the order their
// index keeps them), holding the fields a carry reads.
engine::RecordsetPtr selectTrusts(engine::Database& lastYear, std::string_view table,
                                  const CarryTable& carry) {
    const std::string_view client = trustClients().numberField;
    return lastYear.OpenRecordset("SELECT " + carrySelection(carry, client) + " FROM " +
                                      bracketed(table) + " WHERE " + carried().condition +
                                      " ORDER BY " + bracketed(client),
                                  engine::dbOpenDynaset);
}

double numberOf(engine::Recordset& rs) {
    return runtime::CDbl(rs.Fields(trustClients().numberField).Value());
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
    const ClientKind& kind = trustClients();
    return "the trust " +
           runtime::Concat(trusts.Fields(kind.nameField).Value(), runtime::Variant("")) + " (" +
           runtime::CStr(trusts.Fields(kind.numberField).Value()) + ")";
}

// The write pass: each trust's two rows, under its own number or from `next` on.
void writeTrusts(engine::Recordset& trusts, engine::Recordset& lastIncome,
                 engine::Database& thisYear, std::optional<double> next,
                 const ImportProgress& progress, Imported& done) {
    engine::RecordsetPtr main =
        thisYear.OpenRecordset(trustClients().mainTable, engine::dbOpenTable);
    engine::RecordsetPtr income = thisYear.OpenRecordset("TRUSTIncExpend", engine::dbOpenTable);
    RecordCarry mainCarry(trustMainCarry(), trusts, *main);
    RecordCarry incomeCarry(trustIncomeCarry(), lastIncome, *income);
    IncomeRows incomeRows(lastIncome, incomeCarry);
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
        done.newNumber = numbering.clientNo;
        ++done.records;
        stepped(progress);
    }
    main->Close();
    income->Close();
}

std::vector<CopyPlan> allTrustPlans() {
    std::vector<CopyPlan> plans = trustDetailCopies();
    const std::vector<CopyPlan>& costs = trustCostLineCopies();
    plans.insert(plans.end(), costs.begin(), costs.end());
    return plans;
}

} // namespace

void emptyTrustsTransferFile(const std::string& transferPath) {
    emptyTransferFile(transferPath, trustClients().makeTransferFile, trustClients().transferTables);
}

std::optional<Imported> importAllTrusts(engine::Database& lastYear, const ThisYearFiles& files,
                                        const ImportProgress& progress) {
    const std::string& thisYearPath = files.file;
    const std::string& transferPath = files.transfer;
    engine::RecordsetPtr trusts, lastIncome;
    during("last year's trusts", [&] {
        trusts = selectTrusts(lastYear, trustClients().mainTable, trustMainCarry());
        lastIncome = selectTrusts(lastYear, "TRUSTIncExpend", trustIncomeCarry());
    });
    if (trusts->Eof()) return std::nullopt;
    const std::vector<double> rowNumbers = during("last year's trusts", [&] {
        trusts->MoveLast();
        if (progress.counted) progress.counted(trusts->RecordCount());
        std::vector<double> numbers;
        for (trusts->MoveFirst(); !trusts->Eof(); trusts->MoveNext()) {
            numbers.push_back(numberOf(*trusts));
            stepped(progress);
        }
        return numbers;
    });
    // Rows staged by an earlier run would otherwise follow this run's trusts.
    during("the transfer database", [&] {
        emptyTrustsTransferFile(transferPath);
        prepareClientNoMap(transferPath);
    });

    Imported done;
    engine::DatabasePtr thisYear = during(
        "this year's database", [&] { return app::defaultWorkspace().OpenDatabase(thisYearPath); });
    std::optional<double> first = during("this year's trusts", [&] {
        const ClientKind& kind = trustClients();
        return highestNumber(*thisYear, kind.mainTable, kind.numberIndex, kind.numberField);
    });
    done.renumbered = first.has_value();
    if (first) *first += 1;
    const ClientNoMap map = numberClients(rowNumbers, first);
    static const std::vector<CopyPlan> plans = allTrustPlans();
    if (done.renumbered) stageClientsDetails(plans, lastYear, carried(), transferPath, map);
    // Its begin and commit are steps of this year's database.
    during("this year's database", [&] {
        engine::Transaction transaction;
        during("this year's trusts",
               [&] { writeTrusts(*trusts, *lastIncome, *thisYear, first, progress, done); });
        done.detailRows = carryClientsDetails(plans, lastYear, carried(),
                                              {thisYearPath, transferPath}, done.renumbered);
        during("the rental flags", [&] { FlagTrustRentalIncome(*thisYear); });
        during("the capital-gains assets", [&] { RenumberCGT_Trust(*thisYear, map.newNumbers); });
        transaction.commit();
    });
    afterCommit("the close of the databases", [&] {
        thisYear->Close();
        trusts->Close();
        lastIncome->Close();
    });
    return done;
}

} // namespace transfer
