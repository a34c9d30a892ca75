#include "carryforward/CompanyImportHandler.h"

#include "app/BusyDisplay.h"
#include "app/DatabaseHandles.h"
#include "app/frmSysAdmin.h"
#include "carryforward/OpenLastYear.h"
#include "carryforward/PrevYearMessages.h"
#include "transfer/ClientKinds.h"
#include "transfer/CompanyImport.h"
#include "transfer/ImportEnd.h"
#include "transfer/SourceCheck.h"

namespace carryforward {

namespace {

std::string notImported(std::optional<double> chosen, const std::string& listed,
                        const runtime::Error& e) {
    return msg::importStopped(chosen ? listed : "the companies", e);
}

} // namespace

void importCompanies(app::frmSysAdmin& w, std::optional<double> chosen, const std::string& listed) {
    if (transfer::refusedAsThisYear(w, w.PrevYearCompDbPath, w.CompDbPath)) return;
    engine::DatabasePtr lastYear;
    std::optional<app::ProgressDisplay> progress;
    std::optional<transfer::Imported> done;
    try {
        transfer::companyClients().makeTransferFile(w.TransCompDbPath);
        lastYear = openLastYear(w, w.PrevYearCompDbPath, msg::CompaniesFileNotFound);
        if (!lastYear) return;
        done = transfer::importCompanies(
            *lastYear, {w.CompDbPath, w.TransCompDbPath}, chosen,
            {[&](long companies) { progress.emplace(w, companies); }, [&] { progress->step(); }});
    } catch (const runtime::Error& e) {
        app::closeQuietly(lastYear);
        w.Ask(notImported(chosen, listed, e), forms::vbCritical, "");
        return;
    }
    app::closeQuietly(lastYear);
    if (!done) {
        // A plain box: the window's message fields keep what they held.
        forms::desktop().MsgBox(std::string(msg::CompaniesFileEmpty), forms::vbOKOnly);
        return;
    }
    transfer::finishImport(w, w.CompDbPath, transfer::companyClients().mainTable, "companies");
}

} // namespace carryforward
