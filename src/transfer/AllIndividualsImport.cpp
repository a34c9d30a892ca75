#include "transfer/AllIndividualsImport.h"

#include "app/DatabaseHandles.h"
#include "engine/Transaction.h"
#include "runtime/VariantOps.h"
#include "transfer/CapitalGainsCleanUp.h"
#include "transfer/ClientKinds.h"
#include "transfer/ClientsDetailCopies.h"
#include "transfer/IndividualCarry.h"
#include "transfer/IndividualImport.h"
#include "transfer/SqlText.h"

namespace transfer {

namespace {

using runtime::Variant;

// The clients carried forward; their detail rows are those of the same selection.
const ClientSelection& livingClients() {
    static const std::string number(individualClients().numberField);
    static const ClientSelection selection{std::string(kLastYearIndividuals), number,
                                           bracketed(number) + " > 0 AND [MPERSDECEASED] = 0"};
    return selection;
}

std::string clientName(engine::Recordset& living) {
    const ClientKind& individuals = individualClients();
    return "the client " +
           runtime::Concat(living.Fields(individuals.nameField).Value(), Variant("")) + " (" +
           runtime::CStr(living.Fields(individuals.numberField).Value()) + ")";
}

// The read pass: the selection holds every living client once it is open; a walk over it
// moves the bar through the first half, and gives each row's number.
std::vector<double> readClients(engine::Recordset& living, const ImportProgress& progress) {
    std::vector<double> numbers;
    engine::FieldRef number = living.Fields(individualClients().numberField);
    for (living.MoveFirst(); !living.Eof(); living.MoveNext()) {
        numbers.push_back(runtime::CDbl(number.Value()));
        stepped(progress);
    }
    return numbers;
}

// The write pass: each client's two rows, under its own number or from `first` on.
void writeClients(engine::Recordset& living, engine::Database& lastYear, engine::Database& thisYear,
                  std::optional<double> next, const ImportProgress& progress, Imported& done) {
    engine::RecordsetPtr lastCertificates =
        lastYear.OpenRecordset("IRP5IncDed", engine::dbOpenTable);
    engine::RecordsetPtr main =
        thisYear.OpenRecordset(individualClients().mainTable, engine::dbOpenTable);
    engine::RecordsetPtr certificates = thisYear.OpenRecordset("IRP5IncDed", engine::dbOpenTable);
    IndividualCarry carry(living, *lastCertificates, *main, *certificates, ImportScope::AllClients);
    for (living.MoveFirst(); !living.Eof(); living.MoveNext()) {
        try {
            done.newNumber = carry.carry(next);
        } catch (const runtime::Error& e) {
            throw ImportStepError(clientName(living), e);
        }
        if (next) *next += 1;
        ++done.records;
        stepped(progress);
    }
    main->Close();
    certificates->Close();
    lastCertificates->Close();
}

} // namespace

std::optional<Imported> importAllIndividuals(engine::Database& lastYear, const ThisYearFiles& files,
                                             const ImportProgress& progress) {
    const std::string& thisYearPath = files.file;
    const std::string& transferPath = files.transfer;
    engine::RecordsetPtr living = during("last year's clients", [&] {
        return lastYear.OpenRecordset(lastYearMainSelection(livingClients().condition),
                                      engine::dbOpenDynaset);
    });
    if (living->Eof()) return std::nullopt;
    const std::vector<double> rowNumbers = during("last year's clients", [&] {
        living->MoveLast();
        if (progress.counted) progress.counted(living->RecordCount());
        return readClients(*living, progress);
    });
    // Rows staged by an earlier run would otherwise follow this run's clients.
    during("the transfer database", [&] {
        emptyIndividualsTransferFile(transferPath);
        prepareClientNoMap(transferPath);
    });

    Imported done;
    engine::DatabasePtr thisYear = during(
        "this year's database", [&] { return app::defaultWorkspace().OpenDatabase(thisYearPath); });
    std::optional<double> first = during("this year's clients", [&] {
        const ClientKind& individuals = individualClients();
        return highestNumber(*thisYear, individuals.mainTable, individuals.numberIndex,
                             individuals.numberField);
    });
    done.renumbered = first.has_value();
    if (first) *first += 1;
    const ClientNoMap map = numberClients(rowNumbers, first);
    const std::vector<CopyPlan>& plans = individualsDetailCopies();
    if (done.renumbered) stageClientsDetails(plans, lastYear, livingClients(), transferPath, map);
    // Its begin and commit are steps of this year's database.
    during("this year's database", [&] {
        engine::Transaction transaction;
        during("this year's clients",
               [&] { writeClients(*living, lastYear, *thisYear, first, progress, done); });
        done.detailRows = carryClientsDetails(plans, lastYear, livingClients(),
                                              {thisYearPath, transferPath}, done.renumbered);
        during("the capital-gains assets",
               [&] { RenumberCGT_Personal(*thisYear, map.newNumbers); });
        transaction.commit();
    });
    afterCommit("the close of the databases", [&] {
        thisYear->Close();
        living->Close();
    });
    return done;
}

} // namespace transfer
