#include "transfer/AllIndividualsImport.h"

#include "app/DatabaseHandles.h"
#include "engine/Transaction.h"
#include "runtime/VariantOps.h"
#include "transfer/CapitalGainsCleanUp.h"
#include "transfer/ClientsDetailCopies.h"
#include "transfer/IndividualCarry.h"
#include "transfer/IndividualImport.h"

namespace transfer {

namespace {

using runtime::Variant;

// The highest client number of this year's file; none when it holds no client, 0 when its
// highest row holds no number.
std::optional<double> highestClientNo(engine::Recordset& main) {
    main.setIndex("PERSNUM");
    if (main.Eof()) return std::nullopt;
    main.MoveLast();
    const Variant number = main.Fields("DCLNO").Value();
    return runtime::IsNull(number) ? 0.0 : runtime::CDbl(number);
}

std::string clientName(engine::Recordset& living) {
    return "the client " + runtime::Concat(living.Fields("Surname").Value(), Variant("")) + " (" +
           runtime::CStr(living.Fields("DCLNO").Value()) + ")";
}

void step(const ImportProgress& progress) {
    if (progress.step) progress.step();
}

// The read pass: the selection holds every living client once it is open; a walk over it
// moves the bar through the first half.
void readClients(engine::Recordset& living, const ImportProgress& progress) {
    for (living.MoveFirst(); !living.Eof(); living.MoveNext())
        step(progress);
}

// The write pass: each client's two rows; gives each old number's new one (the first
// client's, when two living rows share a number).
ClientNoMap writeClients(engine::Recordset& living, engine::Database& lastYear,
                         engine::Database& thisYear, const ImportProgress& progress,
                         AllIndividualsImported& done) {
    engine::RecordsetPtr lastCertificates =
        lastYear.OpenRecordset("IRP5IncDed", engine::dbOpenTable);
    engine::RecordsetPtr main = thisYear.OpenRecordset("Qolb2018", engine::dbOpenTable);
    engine::RecordsetPtr certificates = thisYear.OpenRecordset("IRP5IncDed", engine::dbOpenTable);
    std::optional<double> next = highestClientNo(*main);
    done.renumbered = next.has_value();
    if (next) *next += 1;
    IndividualCarry carry(living, *lastCertificates, *main, *certificates);

    ClientNoMap map;
    engine::FieldRef number = living.Fields("DCLNO");
    for (living.MoveFirst(); !living.Eof(); living.MoveNext()) {
        const double oldNo = runtime::CDbl(number.Value());
        double newNo = 0;
        try {
            newNo = carry.carry(next);
        } catch (const runtime::Error& e) {
            throw ImportStepError(clientName(living), e);
        }
        if (next) *next += 1;
        if (map.oldNumbers.empty() || map.oldNumbers.back() != oldNo) {
            map.oldNumbers.push_back(oldNo);
            map.newNumbers.push_back(newNo);
        }
        ++done.clients;
        step(progress);
    }
    main->Close();
    certificates->Close();
    lastCertificates->Close();
    return map;
}

long rowsOf(const std::vector<CopiedRows>& copies) {
    long rows = 0;
    for (const CopiedRows& c : copies)
        rows += c.rows;
    return rows;
}

// The detail rows, straight across under kept numbers, or through the transfer file.
long copyDetails(engine::Database& lastYear, const std::string& thisYearPath,
                 const std::string& transferPath, const ClientNoMap& map, bool renumbered) {
    if (!renumbered)
        return during("the detail rows", [&] {
            return rowsOf(copyClientsDetails(lastYear, thisYearPath, map.oldNumbers));
        });
    engine::DatabasePtr transfer = during("the detail rows in the transfer database", [&] {
        copyClientsDetails(lastYear, transferPath, map.oldNumbers);
        return app::defaultWorkspace().OpenDatabase(transferPath);
    });
    const long rows = during("the renumbered detail rows", [&] {
        return rowsOf(copyRenumberedDetails(*transfer, thisYearPath, map));
    });
    transfer->Close();
    return rows;
}

} // namespace

ImportStepError::ImportStepError(std::string step, const runtime::Error& cause)
    : runtime::Error(cause), step_(std::move(step)) {}

std::optional<AllIndividualsImported> importAllIndividuals(engine::Database& lastYear,
                                                           const std::string& thisYearPath,
                                                           const std::string& transferPath,
                                                           const ImportProgress& progress) {
    engine::RecordsetPtr living = during("last year's clients", [&] {
        return lastYear.OpenRecordset(lastYearMainSelection("[DCLNO] > 0 AND [MPERSDECEASED] = 0"),
                                      engine::dbOpenDynaset);
    });
    if (living->Eof()) return std::nullopt;
    during("last year's clients", [&] {
        living->MoveLast();
        if (progress.counted) progress.counted(living->RecordCount());
        readClients(*living, progress);
    });
    // Rows staged by an earlier run would otherwise follow this run's clients.
    during("the transfer database", [&] {
        emptyIndividualsTransferFile(transferPath);
        prepareClientNoMap(transferPath);
    });

    AllIndividualsImported done;
    engine::DatabasePtr thisYear = during(
        "this year's database", [&] { return app::defaultWorkspace().OpenDatabase(thisYearPath); });
    {
        engine::Transaction transaction;
        const ClientNoMap map = during("this year's clients", [&] {
            return writeClients(*living, lastYear, *thisYear, progress, done);
        });
        done.detailRows = copyDetails(lastYear, thisYearPath, transferPath, map, done.renumbered);
        during("the capital-gains assets",
               [&] { RenumberCGT_Personal(*thisYear, map.newNumbers); });
        during("this year's database", [&] { transaction.commit(); });
    }
    thisYear->Close();
    living->Close();
    return done;
}

} // namespace transfer
