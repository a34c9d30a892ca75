#include "transfer/IndividualImport.h"

#include "app/DatabaseHandles.h"
#include "engine/Transaction.h"
#include "runtime/VariantOps.h"
#include "transfer/AllIndividualsImport.h"
#include "transfer/CapitalGainsCleanUp.h"
#include "transfer/ClientKinds.h"
#include "transfer/ClientNumbering.h"
#include "transfer/DetailCopies.h"
#include "transfer/ImportSteps.h"
#include "transfer/IndividualCarry.h"
#include "transfer/SqlText.h"
#include "transfer/TransferFile.h"

#include <string_view>

namespace transfer {

namespace {

// Last year's living client of the number, rendered the same whatever the locale.
engine::RecordsetPtr selectClient(engine::Database& lastYear, double number) {
    return lastYear.OpenRecordset(lastYearMainSelection(bracketed(individualClients().numberField) +
                                                        " = " + exactNumber(number) +
                                                        " AND [MPERSDECEASED] = 0"),
                                  engine::dbOpenDynaset);
}

// Each of last year's living records of client `number`, and its detail rows once.
std::optional<Imported> importIndividual(engine::Database& lastYear,
                                         const std::string& thisYearPath, double number,
                                         const ImportProgress& progress) {
    engine::RecordsetPtr client = selectClient(lastYear, number);
    const long records = sourceRows(*client);
    if (records == 0) return std::nullopt;
    engine::RecordsetPtr lastCertificates =
        lastYear.OpenRecordset("IRP5IncDed", engine::dbOpenTable);
    if (progress.counted) progress.counted(records);
    stepped(progress, records);

    Imported done{.records = records, .newNumber = number};
    const ClientKind& individuals = individualClients();
    engine::DatabasePtr thisYear = app::defaultWorkspace().OpenDatabase(thisYearPath);
    {
        engine::Transaction transaction;
        engine::RecordsetPtr main =
            thisYear->OpenRecordset(individuals.mainTable, engine::dbOpenTable);
        engine::RecordsetPtr certificates =
            thisYear->OpenRecordset("IRP5IncDed", engine::dbOpenTable);
        const std::optional<double> highest =
            highestGivenNumber(*main, individuals.numberIndex, individuals.numberField);
        done.renumbered = highest.has_value();
        IndividualCarry carry(*client, *lastCertificates, *main, *certificates,
                              ImportScope::OneClient);
        for (long k = 1; k <= records; ++k, client->MoveNext())
            done.newNumber = carry.carry(highest ? std::optional(*highest + static_cast<double>(k))
                                                 : std::nullopt);
        for (const CopiedRows& copied :
             copyClientDetails(lastYear, thisYearPath, number, done.newNumber))
            done.detailRows += copied.rows;
        RenumberCGT_Personal(*thisYear, {done.newNumber});
        main->Close();
        certificates->Close();
        transaction.commit();
    }
    afterCommit("the close of the databases", [&] {
        thisYear->Close();
        client->Close();
        lastCertificates->Close();
    });
    stepped(progress, records);
    return done;
}

} // namespace

void emptyIndividualsTransferFile(const std::string& transferPath) {
    const ClientKind& individuals = individualClients();
    emptyTransferFile(transferPath, individuals.makeTransferFile, individuals.transferTables);
}

std::optional<Imported> importIndividuals(engine::Database& lastYear, const ThisYearFiles& thisYear,
                                          std::optional<double> chosen,
                                          const ImportProgress& progress) {
    if (chosen) return importIndividual(lastYear, thisYear.file, *chosen, progress);
    return importAllIndividuals(lastYear, thisYear, progress);
}

} // namespace transfer
