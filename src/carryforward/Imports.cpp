// The imports of the page's two buttons, one of the chosen client and one of the whole file
// for each kind: one routine opens last year's file, runs the kind's runner and shows how it
// went, read from the kind's row.

#include "carryforward/Imports.h"

#include "app/BusyDisplay.h"
#include "app/DatabaseHandles.h"
#include "app/frmSysAdmin.h"
#include "carryforward/OpenLastYear.h"
#include "carryforward/PrevYearMessages.h"
#include "forms/Desktop.h"
#include "runtime/VariantOps.h"
#include "transfer/BusyGuard.h"
#include "transfer/ClientKinds.h"
#include "transfer/CompanyImport.h"
#include "transfer/ImportEnd.h"
#include "transfer/IndividualImport.h"
#include "transfer/SourceCheck.h"
#include "transfer/TransferFile.h"
#include "transfer/TrustImport.h"

#include <optional>
#include <string_view>

namespace carryforward {

namespace {

using app::frmSysAdmin;

// One kind's import as the window sees it: its files, its runner and its boxes. The flags
// keep what each kind has always done in its own order.
struct KindImport {
    const transfer::ClientKind& (*clients)();
    transfer::LastYearRunner run;
    std::string frmSysAdmin::*lastYearPath;
    std::string frmSysAdmin::*thisYearPath;
    std::string frmSysAdmin::*transferPath;
    double frmSysAdmin::*selected; // the chosen client's number, kept by the window
    std::string_view client;       // a chosen one: "the client Smith (7)"
    std::string_view every;        // all of them: "the clients", and the completion box
    std::string_view fileNotFound;
    std::string_view fileEmpty;
    // The transfer file is emptied before one client is chosen; the import of every client
    // empties it itself, once, before it writes anything.
    bool emptiesTransferForOne = false;
    // The choice is looked at before last year's file is.
    bool choosesFirst = false;
    // The transfer file is made inside the import's box, for one client or all.
    bool makesTransferFile = false;
    // "File empty" is a plain box: the window's message fields keep what they held.
    bool plainEmptyBox = false;
};

const KindImport kIndividuals{.clients = transfer::individualClients,
                              .run = transfer::importIndividuals,
                              .lastYearPath = &frmSysAdmin::PrevYearDbPath,
                              .thisYearPath = &frmSysAdmin::PersDbPath,
                              .transferPath = &frmSysAdmin::TransPersDbPath,
                              .selected = &frmSysAdmin::SelectedPersNo,
                              .client = "client",
                              .every = "clients",
                              .fileNotFound = msg::IndividualsFileNotFound,
                              .fileEmpty = msg::IndividualsFileEmpty,
                              .emptiesTransferForOne = true};

const KindImport kTrusts{.clients = transfer::trustClients,
                         .run = transfer::importTrusts,
                         .lastYearPath = &frmSysAdmin::PrevYearDbPath,
                         .thisYearPath = &frmSysAdmin::TrustDbPath,
                         .transferPath = &frmSysAdmin::TransTrustDbPath,
                         .selected = &frmSysAdmin::SelectedTrustNo,
                         .client = "trust",
                         .every = "trusts",
                         .fileNotFound = msg::TrustFileNotFound,
                         .fileEmpty = msg::TrustFileEmpty};

const KindImport kCompanies{.clients = transfer::companyClients,
                            .run = transfer::importCompanies,
                            .lastYearPath = &frmSysAdmin::PrevYearCompDbPath,
                            .thisYearPath = &frmSysAdmin::CompDbPath,
                            .transferPath = &frmSysAdmin::TransCompDbPath,
                            .selected = &frmSysAdmin::SelectedCompNo,
                            .client = "company",
                            .every = "companies",
                            .fileNotFound = msg::CompaniesFileNotFound,
                            .fileEmpty = msg::CompaniesFileEmpty,
                            .choosesFirst = true,
                            .makesTransferFile = true,
                            .plainEmptyBox = true};

// The element of the listing arrays of the chosen row; none when no row is chosen (a list
// that lost its selection keeps PrevYearSelected set) or the row holds no number.
std::optional<std::size_t> chosenElement(const frmSysAdmin& w) {
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
std::string chosenClient(const frmSysAdmin& w, std::size_t element, std::string_view kind) {
    const std::string name =
        element < w.PrevYearClientNames.size()
            ? runtime::Concat(w.PrevYearClientNames[element], runtime::Variant(""))
            : std::string();
    return "the " + std::string(kind) + " " + (name.empty() ? "" : name + " ") + "(" +
           runtime::CStr(w.PrevYearClientNos[element]) + ")";
}

// The chosen row's number kept in the window; false, with the list given the focus, when no
// row with a number is chosen.
bool choose(frmSysAdmin& w, const KindImport& kind, std::optional<std::size_t>& element) {
    element = chosenElement(w);
    if (!element) {
        w.lstPrevYear.SetFocus();
        return false;
    }
    w.*kind.selected = runtime::CDbl(w.PrevYearClientNos[*element]);
    return true;
}

// The bar of an import: the first half as its records are read, the second as they are
// written.
transfer::ImportProgress bar(frmSysAdmin& w, std::optional<app::ProgressDisplay>& progress) {
    return {[&w, &progress](long records) { progress.emplace(w, records); },
            [&progress] { progress->step(); }};
}

void showEmpty(frmSysAdmin& w, const KindImport& kind) {
    if (kind.plainEmptyBox)
        forms::desktop().MsgBox(std::string(kind.fileEmpty), forms::vbOKOnly);
    else
        w.Ask(std::string(kind.fileEmpty), forms::vbOKOnly, "");
}

// The import of the chosen client of `kind` (`one`), or of all of them.
void importKind(frmSysAdmin& w, const KindImport& kind, bool one) {
    transfer::BusyGuard guard(w);
    std::optional<std::size_t> element;
    if (one && kind.choosesFirst && !choose(w, kind, element)) return;
    if (transfer::refusedAsThisYear(w, w.*kind.lastYearPath, w.*kind.thisYearPath)) return;
    const transfer::ClientKind& clients = kind.clients();
    if (one && kind.emptiesTransferForOne)
        transfer::emptyTransferFile(w.*kind.transferPath, clients.makeTransferFile,
                                    clients.transferTables);
    if (one && !kind.choosesFirst && !choose(w, kind, element)) return;

    engine::DatabasePtr lastYear;
    std::optional<app::ProgressDisplay> progress;
    std::optional<transfer::Imported> done;
    try {
        if (kind.makesTransferFile) clients.makeTransferFile(w.*kind.transferPath);
        lastYear = openLastYear(w, w.*kind.lastYearPath, kind.fileNotFound);
        if (!lastYear) return;
        done = kind.run(*lastYear, {w.*kind.thisYearPath, w.*kind.transferPath},
                        one ? std::optional(w.*kind.selected) : std::nullopt, bar(w, progress));
    } catch (const runtime::Error& e) {
        app::closeQuietly(lastYear);
        const std::string what =
            one ? chosenClient(w, *element, kind.client) : "the " + std::string(kind.every);
        w.Ask(msg::importStopped(what, e), forms::vbCritical, "");
        return;
    }
    app::closeQuietly(lastYear);
    if (!done) {
        showEmpty(w, kind);
        return;
    }
    transfer::finishImport(w, w.*kind.thisYearPath, clients.mainTable, kind.every);
}

} // namespace

void ImportSelAss_Personal(frmSysAdmin& w) {
    importKind(w, kIndividuals, true);
}
void ImportWholeDB_Personal(frmSysAdmin& w) {
    importKind(w, kIndividuals, false);
}
void ImportSelAss_Trust(frmSysAdmin& w) {
    importKind(w, kTrusts, true);
}
void ImportWholeDB_Trust(frmSysAdmin& w) {
    importKind(w, kTrusts, false);
}
void ImportSelAss_Company(frmSysAdmin& w) {
    importKind(w, kCompanies, true);
}
void ImportWholeDB_Company(frmSysAdmin& w) {
    importKind(w, kCompanies, false);
}

} // namespace carryforward
