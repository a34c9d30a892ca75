// The import of every living individual, through the window, against a bare SQL copy of the
// same rows (the file attached, one INSERT ... SELECT per table with the same column lists,
// one transaction). Last year holds N clients (N and 2N), each with a certificate row and
// 5 rows in each of the nine detail tables; this year is empty or holds N clients. Each run
// is a child process of its own, so that its peak memory (max RSS) is its own; the sides
// alternate on fresh copies (the import's transfer file too), RUNS times each (3 unless set).
// Targets: the import at most 3 times the bare copy, 2N at most 2.2 times N, under 300 MB for 2N.
//
//   wholeind_bench [N]

#include "BenchDesktop.h"
#include "ChildRun.h"
#include "Stats.h"
#include "SyncedCopy.h"
#include "app/frmSysAdmin.h"
#include "carryforward/Imports.h"
#include "engine/Dao.h"
#include "engine/FoldedKeys.h"
#include "support/DatabaseFile.h"
#include "transfer/DetailCopies.h"
#include "transfer/IndividualCarry.h"
#include "transfer/IndividualImport.h"
#include "transfer/SqlText.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sqlite3.h>
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

// Client 1's rows of `table`, copied under 2, 3, ... until `clients` clients hold them:
// each statement doubles what there is.
void grow(engine::Database& db, const std::string& table, int clients) {
    std::string columns, values;
    engine::TableDefPtr def = db.TableDefs().Item(table);
    for (int i = 0; i < def->Fields().Count(); ++i) {
        const std::string name = def->Fields().Item(i)->Name();
        columns += (columns.empty() ? "" : ", ") + bracketed(name);
        values += (values.empty() ? "" : ", ") +
                  (name == "DCLNO" ? "[DCLNO] + ?" : bracketed(table) + "." + bracketed(name));
    }
    for (int have = 1; have < clients; have *= 2)
        db.Execute("INSERT INTO " + bracketed(table) + " (" + columns + ") SELECT " + values +
                       " FROM " + bracketed(table) + " WHERE [DCLNO] <= ?",
                   {Variant(double(have)), Variant(double(std::min(have, clients - have)))});
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
    grow(*db, "Qolb2017", clients);
    grow(*db, "IRP5IncDed", clients);
    for (const std::string& t : kLastDetails)
        grow(*db, t, clients);
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
        grow(*db, t, clients);
    db->Close();
}

void check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(2);
    }
}

void exec(sqlite3* db, const std::string& sql) {
    check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db);
}

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& s : items)
        out += (out.empty() ? "" : ", ") + s;
    return out;
}

// The bare copy's statements: the same rows and column lists as the import writes.
std::vector<std::string> bareStatements() {
    const std::string living = " WHERE [DCLNO] IN (SELECT [DCLNO] FROM l.[Qolb2017] WHERE "
                               "[DCLNO] > 0 AND [MPERSDECEASED] = 0)";
    std::vector<std::string> out;
    std::vector<std::string> main;
    for (std::string_view f : transfer::lastYearMainFields())
        main.push_back(bracketed(f));
    out.push_back("INSERT INTO main.[Qolb2018] (" + joined(main) + ") SELECT " + joined(main) +
                  " FROM l.[Qolb2017] WHERE [DCLNO] > 0 AND [MPERSDECEASED] = 0");
    std::vector<std::string> lumps{"[DCLNO]"};
    for (int year = 2010; year <= 2017; ++year)
        for (const char* f :
             {"RetrenchmentLumps", "RRExGrtCTY0204", "RetireDeathAfter", "FstLumpTaken"})
            lumps.push_back(bracketed(f + std::to_string(year)));
    out.push_back("INSERT INTO main.[IRP5IncDed] (" + joined(lumps) + ") SELECT " + joined(lumps) +
                  " FROM l.[IRP5IncDed]" + living);
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
        out.push_back("INSERT INTO main." + bracketed(plan.target) + " (" + joined(targets) +
                      ") SELECT " + joined(values) + " FROM l." + bracketed(plan.source) + living);
    }
    return out;
}

void bareCopy(const std::string& thisYear, const std::string& lastYear) {
    sqlite3* db = nullptr;
    check(sqlite3_open_v2(thisYear.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), db);
    exec(db, "PRAGMA journal_mode=DELETE; PRAGMA cache_size=-16000");
    // The file's text keys are kept folded by triggers that call the engine's function.
    engine::detail::registerFold(db);
    sqlite3_stmt* att = nullptr;
    check(sqlite3_prepare_v2(db, "ATTACH DATABASE ?1 AS l", -1, &att, nullptr), db);
    sqlite3_bind_text(att, 1, lastYear.c_str(), -1, SQLITE_TRANSIENT);
    check(sqlite3_step(att), db);
    sqlite3_finalize(att);
    exec(db, "BEGIN IMMEDIATE");
    for (const std::string& sql : bareStatements())
        exec(db, sql);
    exec(db, "COMMIT");
    sqlite3_close(db);
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

struct Case {
    int clients, already;
    std::vector<double> import, bare, importMb, bareMb;
};

} // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const int runs = getenv("RUNS") ? std::max(1, atoi(getenv("RUNS"))) : 3;
    const fs::path dir = fs::temp_directory_path() / ("wholeind_bench_" + std::to_string(getpid()));
    fs::create_directories(dir);

    std::vector<Case> cases{{n, 0, {}, {}, {}, {}},
                            {n, n, {}, {}, {}, {}},
                            {2 * n, 0, {}, {}, {}, {}},
                            {2 * n, n, {}, {}, {}, {}}};
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
    const std::string thisYearCopy = (dir / "Qolb2018LAN.mdb").string();

    const auto doImport = [&](const std::string& copy, const std::string& last) {
        return importAll(dir, copy, last);
    };
    const auto doBare = [](const std::string& copy, const std::string& last) {
        bareCopy(copy, last);
        return true;
    };
    int failed = 0;
    for (int r = 0; r < runs; ++r)
        for (Case& c : cases) {
            bench::syncedCopy(transferBase, (dir / "TransDB.mdb").string());
            const bench::ChildRun a =
                bench::inChild(basePath(c.already), thisYearCopy, lastPath(c.clients), doImport);
            const bench::ChildRun b =
                bench::inChild(basePath(c.already), thisYearCopy, lastPath(c.clients), doBare);
            if (a.seconds < 0 || b.seconds < 0) {
                ++failed;
                continue;
            }
            c.import.push_back(a.seconds);
            c.bare.push_back(b.seconds);
            c.importMb.push_back(a.megabytes);
            c.bareMb.push_back(b.megabytes);
        }
    fs::remove_all(dir);
    if (failed) return 1;

    std::printf("import of every individual (%d rows per detail table), %d runs each:\n",
                kRowsPerTable, runs);
    for (const Case& c : cases) {
        std::printf("  %6d clients into a year of %6d: import %s, bare copy %s, ratio %.2f "
                    "(limit 3); max RSS %s (bare %s)\n",
                    c.clients, c.already, bench::medianAndRange(c.import).c_str(),
                    bench::medianAndRange(c.bare).c_str(),
                    bench::median(c.import) / bench::median(c.bare),
                    bench::medianAndRange(c.importMb, "MB").c_str(),
                    bench::medianAndRange(c.bareMb, "MB").c_str());
    }
    for (int already : {0, n}) {
        const Case& small = cases[already ? 1 : 0];
        const Case& big = cases[already ? 3 : 2];
        std::printf("  into a year of %d: %d / %d clients %.2f (limit 2.2)\n", already, 2 * n, n,
                    bench::median(big.import) / bench::median(small.import));
    }
    return 0;
}
