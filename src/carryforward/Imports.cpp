// The imports of the page's two buttons, one of the chosen client and one of the whole file
// for each kind: each opens last year's file, runs its import and shows how it went.

#include "carryforward/Imports.h"

#include "app/BusyDisplay.h"
#include "app/DatabaseHandles.h"
#include "app/frmSysAdmin.h"
#include "carryforward/CompanyImportHandler.h"
#include "carryforward/OpenLastYear.h"
#include "carryforward/PrevYearMessages.h"
#include "runtime/VariantOps.h"
#include "transfer/BusyGuard.h"
#include "transfer/ClientKinds.h"
#include "transfer/ImportEnd.h"
#include "transfer/ImportSteps.h"
#include "transfer/IndividualImport.h"
#include "transfer/SourceCheck.h"
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

// The chosen client as the boxes name it, its listed name where it has one: "the trust
// Alpha (17)".
std::string chosenClient(const app::frmSysAdmin& w, std::size_t element, std::string_view kind) {
    const std::string name =
        element < w.PrevYearClientNames.size()
            ? runtime::Concat(w.PrevYearClientNames[element], runtime::Variant(""))
            : std::string();
    return "the " + std::string(kind) + " " + (name.empty() ? "" : name + " ") + "(" +
           runtime::CStr(w.PrevYearClientNos[element]) + ")";
}

// The bar of an import: the first half as its records are read, the second as they are
// written.
transfer::ImportProgress bar(app::frmSysAdmin& w, std::optional<app::ProgressDisplay>& progress) {
    return {[&w, &progress](long records) { progress.emplace(w, records); },
            [&progress] { progress->step(); }};
}

} // namespace

void ImportSelAss_Personal(app::frmSysAdmin& w) {
    transfer::BusyGuard guard(w);
    if (transfer::refusedAsThisYear(w, w.PrevYearDbPath, w.PersDbPath)) return;
    transfer::emptyIndividualsTransferFile(w.TransPersDbPath);
    const std::optional<std::size_t> element = chosenElement(w);
    if (!element) {
        w.lstPrevYear.SetFocus();
        return;
    }
    w.SelectedPersNo = runtime::CDbl(w.PrevYearClientNos[*element]);
    engine::DatabasePtr lastYear;
    std::optional<app::ProgressDisplay> progress;
    std::optional<transfer::Imported> done;
    try {
        lastYear = openLastYear(w, w.PrevYearDbPath, msg::IndividualsFileNotFound);
        if (!lastYear) return;
        done = transfer::importIndividuals(*lastYear, {w.PersDbPath, w.TransPersDbPath},
                                           w.SelectedPersNo, bar(w, progress));
    } catch (const runtime::Error& e) {
        app::closeQuietly(lastYear);
        w.Ask(msg::importStopped(chosenClient(w, *element, "client"), e), forms::vbCritical, "");
        return;
    }
    app::closeQuietly(lastYear);
    if (!done) {
        w.Ask(std::string(msg::IndividualsFileEmpty), forms::vbOKOnly, "");
        return;
    }
    transfer::finishImport(w, w.PersDbPath, transfer::individualClients().mainTable, "clients");
}
void ImportWholeDB_Personal(app::frmSysAdmin& w) {
    transfer::BusyGuard guard(w);
    if (transfer::refusedAsThisYear(w, w.PrevYearDbPath, w.PersDbPath)) return;
    engine::DatabasePtr lastYear;
    std::optional<app::ProgressDisplay> progress;
    std::optional<transfer::Imported> done;
    try {
        // The import empties the transfer file itself, once, before it writes anything.
        lastYear = openLastYear(w, w.PrevYearDbPath, msg::IndividualsFileNotFound);
        if (!lastYear) return;
        done = transfer::importIndividuals(*lastYear, {w.PersDbPath, w.TransPersDbPath},
                                           std::nullopt, bar(w, progress));
    } catch (const runtime::Error& e) {
        app::closeQuietly(lastYear);
        w.Ask(msg::importStopped("the clients", e), forms::vbCritical, "");
        return;
    }
    app::closeQuietly(lastYear);
    if (!done) {
        w.Ask(std::string(msg::IndividualsFileEmpty), forms::vbOKOnly, "");
        return;
    }
    transfer::finishImport(w, w.PersDbPath, transfer::individualClients().mainTable, "clients");
}
namespace {

// The trusts' lock fields tidied after the commit, the workspace closed, and the box.
void FinishImport_Trust(app::frmSysAdmin& w) {
    transfer::finishImport(w, w.TrustDbPath, transfer::trustClients().mainTable, "trusts");
}

} // namespace

void ImportSelAss_Trust(app::frmSysAdmin& w) {
    transfer::BusyGuard guard(w);
    if (transfer::refusedAsThisYear(w, w.PrevYearDbPath, w.TrustDbPath)) return;
    const std::optional<std::size_t> element = chosenElement(w);
    if (!element) {
        w.lstPrevYear.SetFocus();
        return;
    }
    w.SelectedTrustNo = runtime::CDbl(w.PrevYearClientNos[*element]);
    engine::DatabasePtr lastYear;
    std::optional<app::ProgressDisplay> progress;
    std::optional<transfer::Imported> done;
    try {
        lastYear = openLastYear(w, w.PrevYearDbPath, msg::TrustFileNotFound);
        if (!lastYear) return;
        done = transfer::importTrusts(*lastYear, {w.TrustDbPath, w.TransTrustDbPath},
                                      w.SelectedTrustNo, bar(w, progress));
    } catch (const runtime::Error& e) {
        app::closeQuietly(lastYear);
        w.Ask(msg::importStopped(chosenClient(w, *element, "trust"), e), forms::vbCritical, "");
        return;
    }
    app::closeQuietly(lastYear);
    if (!done) {
        w.Ask(std::string(msg::TrustFileEmpty), forms::vbOKOnly, "");
        return;
    }
    FinishImport_Trust(w);
}
void ImportWholeDB_Trust(app::frmSysAdmin& w) {
    transfer::BusyGuard guard(w);
    if (transfer::refusedAsThisYear(w, w.PrevYearDbPath, w.TrustDbPath)) return;
    engine::DatabasePtr lastYear;
    std::optional<app::ProgressDisplay> progress;
    std::optional<transfer::Imported> done;
    try {
        // The import empties the transfer file itself, once, before it writes anything.
        lastYear = openLastYear(w, w.PrevYearDbPath, msg::TrustFileNotFound);
        if (!lastYear) return;
        done = transfer::importTrusts(*lastYear, {w.TrustDbPath, w.TransTrustDbPath}, std::nullopt,
                                      bar(w, progress));
    } catch (const runtime::Error& e) {
        app::closeQuietly(lastYear);
        w.Ask(msg::importStopped("the trusts", e), forms::vbCritical, "");
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
    importCompanies(w, w.SelectedCompNo, chosenClient(w, *element, "company"));
}
void ImportWholeDB_Company(app::frmSysAdmin& w) {
    transfer::BusyGuard guard(w);
    importCompanies(w, std::nullopt);
}

} // namespace carryforward
