#include "transfer/TrustImport.h"

#include "app/DatabaseHandles.h"
#include "engine/Transaction.h"
#include "runtime/VariantOps.h"
#include "transfer/AllTrustsImport.h"
#include "transfer/CapitalGainsCleanUp.h"
#include "transfer/ClientKinds.h"
#include "transfer/ClientNumbering.h"
#include "transfer/ImportSteps.h"
#include "transfer/RecordCarry.h"
#include "transfer/SqlText.h"
#include "transfer/TrustCarryTables.h"
#include "transfer/TrustCleanUps.h"
#include "transfer/TrustDetailCopies.h"

#include <string_view>

namespace transfer {

namespace {

// Last year's rows of the number in `table` holding the fields a carry reads.
engine::RecordsetPtr selectTrust(engine::Database& lastYear, std::string_view table,
                                 const CarryTable& carry, double number) {
    const std::string_view client = trustClients().numberField;
    return lastYear.OpenRecordset("SELECT " + carrySelection(carry, client) + " FROM " +
                                      bracketed(table) + " WHERE " + bracketed(client) + " = " +
                                      exactNumber(number),
                                  engine::dbOpenDynaset);
}

// Each of last year's records of trust `lastYearNumber`, and its detail rows once.
std::optional<Imported> importTrust(engine::Database& lastYear, const std::string& thisYearPath,
                                    double lastYearNumber, const ImportProgress& progress) {
    const ClientKind& trusts = trustClients();
    engine::RecordsetPtr lastMain =
        selectTrust(lastYear, trusts.mainTable, trustMainCarry(), lastYearNumber);
    const long records = sourceRows(*lastMain);
    if (records == 0) return std::nullopt;
    engine::RecordsetPtr lastIncome =
        selectTrust(lastYear, "TRUSTIncExpend", trustIncomeCarry(), lastYearNumber);
    if (progress.counted) progress.counted(records);
    stepped(progress, records);

    Imported done{.records = records, .newNumber = lastYearNumber};
    engine::DatabasePtr thisYear = app::defaultWorkspace().OpenDatabase(thisYearPath);
    {
        engine::Transaction transaction;
        engine::RecordsetPtr main = thisYear->OpenRecordset(trusts.mainTable, engine::dbOpenTable);
        engine::RecordsetPtr income =
            thisYear->OpenRecordset("TRUSTIncExpend", engine::dbOpenTable);
        const std::optional<double> highest =
            highestGivenNumber(*main, trusts.numberIndex, trusts.numberField);
        done.renumbered = highest.has_value();
        RecordCarry mainCarry(trustMainCarry(), *lastMain, *main);
        RecordCarry incomeCarry(trustIncomeCarry(), *lastIncome, *income);
        for (long k = 1; k <= records; ++k, lastMain->MoveNext()) {
            const Numbering numbering =
                highest ? Numbering::renumbered(*highest + static_cast<double>(k))
                        : Numbering::kept(lastYearNumber);
            mainCarry.add(numbering);
            // Fewer income rows than records: the rest start as if last year had no gain.
            if (lastIncome->Eof()) {
                incomeCarry.addWithoutSource(numbering);
            } else {
                incomeCarry.add(numbering);
                lastIncome->MoveNext();
            }
            done.newNumber = numbering.clientNo;
        }
        for (const CopiedRows& copied :
             copyTrustDetails(lastYear, thisYearPath, lastYearNumber, done.newNumber))
            done.detailRows += copied.rows;
        FlagTrustRentalIncome(*thisYear);
        // The cost lines follow their assets once these are tidied, so that their tables,
        // which have no index, are never searched in this year's file.
        const CostLineMoves moves = cleanUpAssets(*thisYear, trustCapitalGains(), {done.newNumber});
        const auto moved = moves.find(done.newNumber);
        for (const CopiedRows& copied : copyTrustCostLines(
                 lastYear, thisYearPath, lastYearNumber, done.newNumber,
                 moved == moves.end() ? CostLineMoves::mapped_type{} : moved->second))
            done.detailRows += copied.rows;
        main->Close();
        income->Close();
        transaction.commit();
    }
    afterCommit("the close of the databases", [&] {
        thisYear->Close();
        lastMain->Close();
        lastIncome->Close();
    });
    stepped(progress, records);
    return done;
}

} // namespace

std::optional<Imported> importTrusts(engine::Database& lastYear, const ThisYearFiles& thisYear,
                                     std::optional<double> chosen, const ImportProgress& progress) {
    if (chosen) return importTrust(lastYear, thisYear.file, *chosen, progress);
    return importAllTrusts(lastYear, thisYear, progress);
}

} // namespace transfer
