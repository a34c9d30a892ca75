// The import of every living individual, through the window, against a bare SQL copy of the
// same rows (the file attached, one INSERT ... SELECT per table with the same column lists,
// one transaction). Last year holds N clients (N and 2N), each with a certificate row and
// 5 rows in each of the nine detail tables; this year is empty or holds N clients. Each run
// is a child process of its own, so that its peak memory (max RSS) is its own; the sides
// alternate on fresh copies (the import's transfer file too), RUNS times each (3 unless set).
// Targets: the import at most 3 times the bare copy, 2N at most 2.2 times N, under 300 MB for 2N.
//
//   wholeind_bench [N]

#include "BareCopy.h"
#include "BenchDesktop.h"
#include "GrowRows.h"
#include "ImportScaling.h"
#include "Stats.h"
#include "SyncedCopy.h"
#include "app/frmSysAdmin.h"
#include "carryforward/Imports.h"
#include "engine/Dao.h"
#include "support/DatabaseFile.h"
#include "transfer/DetailCopies.h"
#include "transfer/IndividualCarry.h"
#include "transfer/IndividualImport.h"
#include "transfer/SqlText.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using runtime::Variant;
using support::FileKind;
using transfer::bracketed;

namespace {

constexpr int kRowsPerTable = 5;
const std::vector<std::string> kLastDetails{
    "PropRentDetails",      "CGTDetails",   "CGTAcqCost", "CGTImproveMade", "CGTSaleCost",
    "CGTImproveMadeBefore", "Qolb2017Cont", "CARALL",     "AnnualTrends"};

engine::Workspace& ws() {
    return engine::DBEngine::instance().Workspaces(0);
}

void makeLastYear(const std::string& path, int clients) {
    support::DatabaseFile file(path, FileKind::LastYearIndividuals);
    file.only({"Qolb2017", "IRP5IncDed", "PropRentDetails", "CGTDetails", "CGTAcqCost",
               "CGTImproveMade", "CGTSaleCost", "CGTImproveMadeBefore", "Qolb2017Cont", "CARALL",
               "AnnualTrends"});
    file.row("Qolb2017", {{"DCLNO", 1.0},
                          {"Surname", "Client"},
                          {"FNameSelf", "Ann"},
                          {"PERS5", std::int16_t{3}},
                          {"MPERSDECEASED", std::int16_t{0}}})
        .row("IRP5IncDed", {{"DCLNO", 1.0}, {"RetrenchmentLumps2015", 5.0}});
    for (int r = 1; r <= kRowsPerTable; ++r) {
        const double n = r;
        file.row("PropRentDetails", {{"DCLNO", 1.0}, {"PropNum", n}, {"Address", "1 Main"}})
            .row("CGTDetails", {{"DCLNO", 1.0},
                                {"CGTAssetNum", std::int16_t(r)},
                                {"CGTMaxNum", std::int16_t{kRowsPerTable}},
                                {"DateSale", r == kRowsPerTable ? 42000.0 : -693959.0}})
            .row("Qolb2017Cont", {{"DCLNO", 1.0}, {"TaxRefNo_1", "0123"}})
            .row("CARALL", {{"DCLNO", 1.0}, {"TA105", 900.0}})
            .row("AnnualTrends", {{"DCLNO", 1.0}, {"AT2017SalRem", 5.0}});
        for (const char* costs :
             {"CGTAcqCost", "CGTImproveMade", "CGTSaleCost", "CGTImproveMadeBefore"})
            file.row(costs, {{"DCLNO", 1.0}, {"CGTAsset Number", n}, {"Cost", 5.0}});
    }
    file.make();
    auto db = ws().OpenDatabase(path);
    bench::grow(*db, "Qolb2017", "DCLNO", clients);
    bench::grow(*db, "IRP5IncDed", "DCLNO", clients);
    for (const std::string& t : kLastDetails)
        bench::grow(*db, t, "DCLNO", clients);
    db->Close();
}

// This year's file, empty or with `clients` clients (lock fields tidied) and their rows.
void makeThisYear(const std::string& path, int clients) {
    support::DatabaseFile file(path, FileKind::Individuals);
    if (clients > 0)
        file.row("Qolb2018", {{"DCLNO", 1.0},
                              {"Surname", "Here"},
                              {"UserName", ""},
                              {"LastUserName", ""},
                              {"DateLastSaved", Variant::date(0)}})
            .row("IRP5IncDed", {{"DCLNO", 1.0}})
            .row("Qolb2018Cont", {{"DCLNO", 1.0}})
            .row("CARALL", {{"DCLNO", 1.0}});
    file.make();
    if (clients == 0) return;
    auto db = ws().OpenDatabase(path);
    for (const char* t : {"Qolb2018", "IRP5IncDed", "Qolb2018Cont", "CARALL"})
        bench::grow(*db, t, "DCLNO", clients);
    db->Close();
}

// The bare copy's statements: the same rows and column lists as the import writes.
std::vector<std::string> bareStatements() {
    const std::string living = " WHERE [DCLNO] IN (SELECT [DCLNO] FROM l.[Qolb2017] WHERE "
                               "[DCLNO] > 0 AND [MPERSDECEASED] = 0)";
    std::vector<std::string> out;
    std::vector<std::string> main;
    for (std::string_view f : transfer::lastYearMainFields())
        main.push_back(bracketed(f));
    out.push_back("INSERT INTO main.[Qolb2018] (" + bench::joined(main) + ") SELECT " +
                  bench::joined(main) +
                  " FROM l.[Qolb2017] WHERE [DCLNO] > 0 AND [MPERSDECEASED] = 0");
    std::vector<std::string> lumps{"[DCLNO]"};
    for (int year = 2010; year <= 2017; ++year)
        for (const char* f :
             {"RetrenchmentLumps", "RRExGrtCTY0204", "RetireDeathAfter", "FstLumpTaken"})
            lumps.push_back(bracketed(f + std::to_string(year)));
    out.push_back("INSERT INTO main.[IRP5IncDed] (" + bench::joined(lumps) + ") SELECT " +
                  bench::joined(lumps) + " FROM l.[IRP5IncDed]" + living);
    for (const transfer::CopyPlan& plan : transfer::individualsDetailCopies()) {
        std::vector<std::string> targets, values;
        for (const transfer::ColumnCopy& c : plan.columns) {
            targets.push_back(bracketed(c.target));
            values.push_back(c.from == transfer::ColumnCopy::From::Constant
                                 ? transfer::exactNumber(c.constant)
                                 : bracketed(c.from == transfer::ColumnCopy::From::Column
                                                 ? c.source
                                                 : plan.clientColumn));
        }
        out.push_back("INSERT INTO main." + bracketed(plan.target) + " (" + bench::joined(targets) +
                      ") SELECT " + bench::joined(values) + " FROM l." + bracketed(plan.source) +
                      living);
    }
    return out;
}

// The import through the window; false when it did not end with the completion box.
bool importAll(const fs::path& dir, const std::string& thisYear, const std::string& lastYear) {
    bench::BenchDesktop desk(dir.string());
    forms::setDesktop(&desk);
    app::frmSysAdmin w;
    w.PersDbPath = thisYear;
    w.TransPersDbPath = (dir / "TransDB.mdb").string();
    w.PrevYearDbPath = lastYear;
    carryforward::ImportWholeDB_Personal(w);
    if (desk.boxes == 1 && desk.lastMessage == "The Transfer has been completed.") return true;
    std::fprintf(stderr, "the import did not complete: %s\n", desk.lastMessage.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const int runs = getenv("RUNS") ? std::max(1, atoi(getenv("RUNS"))) : 3;
    const fs::path dir = fs::temp_directory_path() / ("wholeind_bench_" + std::to_string(getpid()));
    fs::create_directories(dir);

    auto lastPath = [&](int clients) {
        return (dir / ("last" + std::to_string(clients) + ".mdb")).string();
    };
    auto basePath = [&](int clients) {
        return (dir / ("base" + std::to_string(clients) + ".mdb")).string();
    };
    for (int clients : {n, 2 * n})
        makeLastYear(lastPath(clients), clients);
    for (int clients : {0, n})
        makeThisYear(basePath(clients), clients);
    // Each import starts from an empty transfer file, neither made in the run nor holding
    // the rows the run before it staged.
    const std::string transferBase = (dir / "TransBase.mdb").string();
    transfer::emptyIndividualsTransferFile(transferBase);
    ws().Close();
    bench::Scaling scaling;
    scaling.n = n;
    scaling.runs = runs;
    scaling.clients = "clients";
    scaling.lastYear = lastPath;
    scaling.thisYearBase = basePath;
    scaling.thisYearCopy = (dir / "Qolb2018LAN.mdb").string();
    scaling.transferBase = transferBase;
    scaling.transferCopy = (dir / "TransDB.mdb").string();
    scaling.import = [&](const std::string& copy, const std::string& last) {
        return importAll(dir, copy, last);
    };
    scaling.bare = [](const bench::ScalingCase&) -> bench::Work {
        return [](const std::string& copy, const std::string& last) {
            bench::bareCopy(copy, last, bareStatements());
            return true;
        };
    };
    std::vector<bench::ScalingCase> cases;
    const bool ok = bench::runScaling(scaling, cases);
    fs::remove_all(dir);
    if (!ok) return 1;
    std::printf("import of every individual (%d rows per detail table), %d runs each:\n",
                kRowsPerTable, runs);
    bench::reportScaling(scaling, cases);
    return 0;
}
