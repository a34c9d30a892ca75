#include "carryforward/LocateLastYear.h"

#include "app/DatabaseHandles.h"
#include "app/FileChoice.h"
#include "app/FileNames.h"
#include "app/PathFileValues.h"
#include "app/frmSysAdmin.h"
#include "carryforward/Listing.h"
#include "carryforward/PrevYearMessages.h"
#include "carryforward/SourceKinds.h"
#include "engine/EngineErrors.h"
#include "runtime/Paths.h"
#include "runtime/VariantOps.h"
#include "transfer/BusyGuard.h"

#include <optional>

namespace carryforward {

namespace {

using app::frmSysAdmin;

void closeSource(frmSysAdmin& w) {
    app::closeQuietly(w.SecondRS);
    app::closeQuietly(w.MainRS);
    app::closeQuietly(w.ImportDB);
}

// Opens the chosen file and the kind's tables. Gives the error that stopped it, if any;
// 3011 says the file lacks a table of the kind.
std::optional<runtime::Error> openSource(frmSysAdmin& w, const SourceKind& kind,
                                         const std::string& path) {
    try {
        w.ImportDB = app::defaultWorkspace().OpenDatabase(path, false, true);
        w.MainRS = w.ImportDB->OpenRecordset(std::string(kind.mainTable), engine::dbOpenTable);
        if (!kind.continuationTable.empty())
            w.SecondRS =
                w.ImportDB->OpenRecordset(std::string(kind.continuationTable), engine::dbOpenTable);
        return std::nullopt;
    } catch (const runtime::Error& e) {
        return e;
    }
}

// The file whose structure version stands for the chosen one. Trust and company files carry
// none; the individuals file beside them does, whatever the chosen file is called.
std::string versionFile(const SourceKind& kind, const std::string& chosen) {
    if (kind.versionFile == VersionFile::Chosen) return chosen;
    return runtime::joinPath(runtime::folderOf(chosen), kVersionFileName);
}

// The structure version of last year's individuals file; 0 when it cannot be read.
double structureVersion(frmSysAdmin& w, const std::string& path) {
    try {
        w.ImportDB = app::defaultWorkspace().OpenDatabase(path, false, true);
        w.MainRS = w.ImportDB->OpenRecordset("DefInvOpt", engine::dbOpenTable);
        const runtime::Variant version = w.MainRS->Fields("UpDateDB").Value();
        return runtime::IsNull(version) ? 0 : runtime::CDbl(version);
    } catch (const runtime::Error&) {
        return 0;
    }
}

// A file too old to import from keeps its listing on show but offers nothing to import.
void testVersion(frmSysAdmin& w, const SourceKind& kind, const std::string& chosen) {
    const double version = structureVersion(w, versionFile(kind, chosen));
    closeSource(w);
    if (version >= kMinPrevYearDbVersion) return;
    w.Ask(std::string(msg::OldVersion), forms::vbOKOnly, "");
    w.cmdImpSelAss.setEnabled(false);
    w.cmdImpWholeDB.setEnabled(false);
    w.lstPrevYear.setEnabled(false);
}

// A file that could not be read lists nothing, so nothing of an earlier file stays
// importable under the new choice.
void refuseSource(frmSysAdmin& w, const SourceKind& kind, const std::string& path,
                  const runtime::Error& e) {
    closeSource(w);
    forgetListing(w, kind);
    w.Ask(msg::sourceNotRead(path, e), forms::vbCritical, "");
}

} // namespace

void optWhichDBImport_Click(frmSysAdmin& w, int Index) {
    w.lstPrevYear.Clear();
    for (forms::TextBox* box :
         {&w.Text1, &w.Text2, &w.Text3, &w.Text8, &w.Text7, &w.Text6, &w.Text5, &w.Text4})
        box->setText("");
    w.cmdImpSelAss.setEnabled(false);
    w.cmdImpWholeDB.setEnabled(false);
    if (const SourceKind* kind = kindOfOption(Index)) {
        kind->frame(w).ZOrder();
        w.ImportKind = std::string(kind->code);
    }
}

void cmdContinueImport_Click(frmSysAdmin& w) {
    w.Frame13.setVisible(false);
}

void cmdLocateDB_Click(frmSysAdmin& w) {
    transfer::BusyGuard guard(w);
    const SourceKind* kind = kindNamed(w.ImportKind);
    if (!kind) return;

    // A cancelled dialog changes nothing.
    const std::optional<std::string> chosen =
        app::chooseFile(w, {false, app::kLocateDialogFlags, app::dialogStartFolder(kSourceFolder),
                            std::string(kind->fileName), std::string(kind->dialogTitle)});
    if (!chosen) return;

    // The path is taken only once the file proves to be of the kind and is listed: a file
    // given up on leaves the earlier choice and its listing in force together, and the
    // path file never names a file that could not be read.
    std::optional<runtime::Error> failed;
    while ((failed = openSource(w, *kind, *chosen)) &&
           failed->number() == engine::err::ObjectNotFound) {
        if (w.Ask(msg::incorrectFile(), forms::vbYesNo, std::string(kind->wrongFileTitle)) ==
            forms::vbNo) {
            closeSource(w);
            return;
        }
    }
    if (failed) return refuseSource(w, *kind, *chosen, *failed);

    try {
        listClients(w, *kind);
    } catch (const runtime::Error& e) {
        return refuseSource(w, *kind, *chosen, e);
    }
    w.*kind->path = *chosen;
    w.lstPrevYear.setEnabled(true);
    app::writeProgramPathFile(w.programFolder(), kind->pathFile, {*chosen});
    testVersion(w, *kind, *chosen);
}

} // namespace carryforward
