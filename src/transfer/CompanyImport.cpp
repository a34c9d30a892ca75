#include "transfer/CompanyImport.h"

#include "app/DatabaseHandles.h"
#include "engine/Transaction.h"
#include "runtime/VariantOps.h"
#include "transfer/ClientKinds.h"
#include "transfer/ClientNumbering.h"
#include "transfer/CompanyCarryTable.h"
#include "transfer/ImportSteps.h"
#include "transfer/LastYearCompanies.h"

#include <algorithm>

namespace transfer {

namespace {

std::string companyName(LastYearCompanies& source) {
    return "the company " +
           runtime::Concat(source.recordset().Fields(companyClients().nameField).Value(),
                           runtime::Variant("")) +
           " (" + runtime::CStr(runtime::Variant(source.number())) + ")";
}

} // namespace

std::optional<Imported> importCompanies(engine::Database& lastYear, const ThisYearFiles& files,
                                        std::optional<double> chosen,
                                        const ImportProgress& progress) {
    LastYearCompanies source(lastYear, chosen);
    const long companies = source.count();
    if (companies == 0) return std::nullopt;
    if (progress.counted) progress.counted(companies);

    Imported done;
    engine::DatabasePtr thisYear = app::defaultWorkspace().OpenDatabase(files.file);
    {
        engine::Transaction transaction;
        const ClientKind& companies = companyClients();
        engine::RecordsetPtr target =
            thisYear->OpenRecordset(companies.mainTable, engine::dbOpenTable);
        std::optional<double> highest =
            highestNumberFromZero(*target, companies.numberIndex, companies.numberField);
        done.renumbered = highest.has_value();
        while (source.nextBlock()) {
            RecordCarry carry(companyCarry(), source.recordset(), *target);
            for (bool more = source.first(); more; more = source.next()) {
                stepped(progress);
                const Numbering numbering = highest ? Numbering::renumbered(*highest += 1)
                                                    : Numbering::kept(source.number());
                try {
                    carry.add(numbering);
                } catch (const runtime::Error& e) {
                    // Of all the companies, the one refused is named; one chosen is known.
                    if (chosen) throw;
                    throw ImportStepError(companyName(source), e);
                }
                done.newNumber = numbering.clientNo;
                ++done.records;
                stepped(progress);
            }
        }
        target->Close();
        transaction.commit();
    }
    afterCommit("the close of this year's database", [&] { thisYear->Close(); });
    return done;
}

} // namespace transfer
