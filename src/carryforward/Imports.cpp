// The imports of the page's two buttons, one of the chosen client and one of the whole file
// for each kind: each opens last year's file, runs its import and shows how it went.

#include "carryforward/Imports.h"

#include "app/BusyDisplay.h"
#include "app/DatabaseHandles.h"
#include "app/frmSysAdmin.h"
#include "carryforward/CompanyImportHandler.h"
#include "carryforward/OpenLastYear.h"
#include "carryforward/PrevYearMessages.h"
#include "runtime/FileOps.h"
#include "runtime/VariantOps.h"
#include "transfer/AllIndividualsImport.h"
#include "transfer/AllTrustsImport.h"
#include "transfer/BusyGuard.h"
#include "transfer/ImportEnd.h"
#include "transfer/IndividualImport.h"
#include "transfer/TrustImport.h"

#include <optional>

namespace carryforward {

namespace {

// The element of the listing arrays of the chosen row; none when no row is chosen (a list
// that lost its selection keeps PrevYearSelected set) or the row holds no number.
std::optional<std::size_t> chosenElement(const app::frmSysAdmin& w) {
    const int index = w.lstPrevYear.ListIndex();
    if (w.PrevYearSelected == 0 || index < 0) return std::nullopt;
    const auto element = static_cast<std::size_t>(index) + 1;
    if (element >= w.PrevYearClientNos.size() || runtime::IsNull(w.PrevYearClientNos[element]) ||
        runtime::IsEmpty(w.PrevYearClientNos[element]))
        return std::nullopt;
    return element;
}

std::string listedName(const app::frmSysAdmin& w, std::size_t element) {
    return element < w.PrevYearClientNames.size()
               ? runtime::Concat(w.PrevYearClientNames[element], runtime::Variant(""))
               : std::string();
}

} // namespace

void ImportSelAss_Personal(app::frmSysAdmin& w) {
    transfer::BusyGuard guard(w);
    transfer::emptyIndividualsTransferFile(w.TransPersDbPath);
    const std::optional<std::size_t> element = chosenElement(w);
    if (!element) {
        w.lstPrevYear.SetFocus();
        return;
    }
    w.SelectedPersNo = runtime::CDbl(w.PrevYearClientNos[*element]);
    const engine::DatabasePtr lastYear =
        openLastYear(w, w.PrevYearDbPath, msg::IndividualsFileNotFound);
    if (!lastYear) return;

    std::optional<app::ProgressDisplay> progress;
    std::optional<transfer::IndividualImported> done;
    try {
        done = transfer::importIndividual(*lastYear, w.PersDbPath, w.SelectedPersNo, [&] {
            progress.emplace(w, 1);
            progress->step();
        });
    } catch (const runtime::Error& e) {
        app::closeQuietly(lastYear);
        w.Ask(msg::clientNotImported(listedName(w, *element), e), forms::vbCritical, "");
        return;
    }
    app::closeQuietly(lastYear);
    if (!done) {
        w.Ask(std::string(msg::IndividualsFileEmpty), forms::vbOKOnly, "");
        return;
    }
    progress->step();
    transfer::finishImport(w, w.PersDbPath, "Qolb2018");
}
void ImportWholeDB_Personal(app::frmSysAdmin& w) {
    transfer::BusyGuard guard(w);
    // The import empties the transfer file itself, once, before it writes anything.
    const engine::DatabasePtr lastYear =
        openLastYear(w, w.PrevYearDbPath, msg::IndividualsFileNotFound);
    if (!lastYear) return;

    std::optional<app::ProgressDisplay> progress;
    std::optional<transfer::AllIndividualsImported> done;
    try {
        done = transfer::importAllIndividuals(
            *lastYear, w.PersDbPath, w.TransPersDbPath,
            {[&](long clients) { progress.emplace(w, clients); }, [&] { progress->step(); }});
    } catch (const transfer::ImportStepError& e) {
        app::closeQuietly(lastYear);
        w.Ask(msg::clientsNotImported(e.step(), e), forms::vbCritical, "");
        return;
    }
    app::closeQuietly(lastYear);
    if (!done) {
        w.Ask(std::string(msg::IndividualsFileEmpty), forms::vbOKOnly, "");
        return;
    }
    transfer::finishImport(w, w.PersDbPath, "Qolb2018");
}
namespace {

// The trusts' lock fields tidied after the commit, the workspace closed, and the box.
void FinishImport_Trust(app::frmSysAdmin& w) {
    transfer::finishImport(w, w.TrustDbPath, "TRUSTDetails");
}

} // namespace

void ImportSelAss_Trust(app::frmSysAdmin& w) {
    transfer::BusyGuard guard(w);
    const std::optional<std::size_t> element = chosenElement(w);
    if (!element) {
        w.lstPrevYear.SetFocus();
        return;
    }
    w.SelectedTrustNo = runtime::CDbl(w.PrevYearClientNos[*element]);
    const engine::DatabasePtr lastYear = openLastYear(w, w.PrevYearDbPath, msg::TrustFileNotFound);
    if (!lastYear) return;

    std::optional<app::ProgressDisplay> progress;
    std::optional<transfer::TrustImported> done;
    try {
        done = transfer::importTrust(*lastYear, w.TrustDbPath, w.SelectedTrustNo, [&](long n) {
            progress.emplace(w, n);
            for (long i = 0; i < n; ++i)
                progress->step();
        });
    } catch (const runtime::Error& e) {
        app::closeQuietly(lastYear);
        w.Ask(msg::clientNotImported(listedName(w, *element), e), forms::vbCritical, "");
        return;
    }
    app::closeQuietly(lastYear);
    if (!done) {
        w.Ask(std::string(msg::TrustFileEmpty), forms::vbOKOnly, "");
        return;
    }
    for (long i = 0; i < done->records; ++i)
        progress->step();
    FinishImport_Trust(w);
}
void ImportWholeDB_Trust(app::frmSysAdmin& w) {
    transfer::BusyGuard guard(w);
    if (runtime::sameExistingFile(w.PrevYearDbPath, w.TrustDbPath)) {
        w.Ask(std::string(msg::SameTrustFile), forms::vbCritical, "");
        return;
    }
    engine::DatabasePtr lastYear;
    std::optional<app::ProgressDisplay> progress;
    std::optional<transfer::AllTrustsImported> done;
    try {
        // The import empties the transfer file itself, once, before it writes anything.
        lastYear = openLastYear(w, w.PrevYearDbPath, msg::TrustFileNotFound);
        if (!lastYear) return;
        done = transfer::importAllTrusts(
            *lastYear, w.TrustDbPath, w.TransTrustDbPath,
            {[&](long trusts) { progress.emplace(w, trusts); }, [&] { progress->step(); }});
    } catch (const transfer::ImportStepError& e) {
        app::closeQuietly(lastYear);
        w.Ask(msg::trustsNotImported(e.step(), e), forms::vbCritical, "");
        return;
    }
    app::closeQuietly(lastYear);
    if (!done) {
        w.Ask(std::string(msg::TrustFileEmpty), forms::vbOKOnly, "");
        return;
    }
    FinishImport_Trust(w);
}
void ImportSelAss_Company(app::frmSysAdmin& w) {
    transfer::BusyGuard guard(w);
    const std::optional<std::size_t> element = chosenElement(w);
    if (!element) {
        w.lstPrevYear.SetFocus();
        return;
    }
    w.SelectedCompNo = runtime::CDbl(w.PrevYearClientNos[*element]);
    importCompanies(w, w.SelectedCompNo, listedName(w, *element));
}
void ImportWholeDB_Company(app::frmSysAdmin& w) {
    transfer::BusyGuard guard(w);
    importCompanies(w, std::nullopt);
}

} // namespace carryforward
