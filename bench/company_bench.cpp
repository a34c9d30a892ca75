// The import of every company through the window: 5,000 and 10,000 companies into an
// empty year and into a year holding 5,000, each beside a bare SQL copy of the same rows
// (ATTACH and one INSERT ... SELECT with the same column lists, in one transaction). Import
// and copy alternate on fresh, synced copies of their files, RUNS times each (5 unless set); each
// prints its median and range. Targets: each import at most 3 times its copy, and 10,000
// at most 2.2 times 5,000.
//
//   company_bench [companies-in-the-smaller-run]

#include "BenchDesktop.h"
#include "Stats.h"
#include "SyncedCopy.h"
#include "app/frmSysAdmin.h"
#include "carryforward/Imports.h"
#include "engine/Dao.h"
#include "engine/FoldedKeys.h"
#include "runtime/VariantOps.h"
#include "support/DatabaseFile.h"
#include "transfer/CompanyCarryTable.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sqlite3.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using runtime::Variant;
using support::FileKind;

namespace {

// A company with its standing details filled, as a working file holds them.
support::Row company(int n) {
    const std::string s = std::to_string(n);
    return {{"CDCLNO", double(n)},
            {"CompanyRegName", "Company " + s},
            {"CompTradeName", "Trading " + s},
            {"vdtCompFinYearEndDate", 42825.0},
            {"CompPostAdd1", "1 Main Road"},
            {"CompTel", "011 555 " + s},
            {"CompanyRegNo", "2001/" + s},
            {"CompMemberName0", "Member " + s},
            {"POYN", std::int16_t{1}},
            {"CompanyDetailsNotes", std::string(300, 'n')},
            {"UserName", ""},
            {"LastUserName", ""},
            {"DateLastSaved", Variant::date(0)}};
}

void makeFile(const std::string& path, FileKind kind, int companies) {
    support::DatabaseFile file(path, kind);
    file.only({"CompanyDetails"});
    for (int n = 1; n <= companies; ++n)
        file.row("CompanyDetails", company(n));
    file.make();
    engine::DBEngine::instance().Workspaces(0).Close();
}

using bench::median;

using Clock = std::chrono::steady_clock;
double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The import through the window into `work`; its time, or -1 when it did not end with the
// completion box.
double importInto(bench::BenchDesktop& desk, const fs::path& dir, const std::string& work,
                  const std::string& lastYear) {
    app::frmSysAdmin w;
    w.CompDbPath = work;
    w.TransCompDbPath = (dir / "TransCompanyDB.mdb").string();
    w.PrevYearCompDbPath = lastYear;
    desk.boxes = 0;
    const auto start = Clock::now();
    carryforward::ImportWholeDB_Company(w);
    const double t = since(start);
    if (desk.boxes != 1 || desk.lastMessage != "The Transfer has been completed.") {
        std::fprintf(stderr, "the import did not complete: %s\n", desk.lastMessage.c_str());
        return -1;
    }
    return t;
}

// The new row's columns and what each is made of, as the import's table says.
std::string copyStatement() {
    std::string columns, values;
    for (const transfer::FieldRule& r : transfer::companyCarry().rules) {
        if (!columns.empty()) columns += ", ", values += ", ";
        columns += "\"" + r.field + "\"";
        switch (r.make) {
        case transfer::Make::Constant:
            values += r.value.type() == runtime::VarType::String
                          ? "''"
                          : runtime::CStr(runtime::Variant(runtime::CDbl(r.value)));
            break;
        case transfer::Make::Plus:
            values += "\"" + r.field + "\" + " + runtime::CStr(r.value);
            break;
        default:
            values += "\"" + r.field + "\"";
        }
    }
    return "INSERT INTO main.CompanyDetails (" + columns + ") SELECT " + values +
           " FROM last.CompanyDetails WHERE CDCLNO > 0";
}

void check(int rc, sqlite3* db, const std::string& step = "open") {
    if (rc != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s: %s\n", step.substr(0, 60).c_str(), sqlite3_errmsg(db));
        std::exit(2);
    }
}

double bareCopy(const std::string& work, const std::string& lastYear, const std::string& sql) {
    const auto start = Clock::now();
    sqlite3* db = nullptr;
    check(sqlite3_open_v2(work.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr),
          db);
    // The file's text indexes keep their keys folded as the engine folds them.
    engine::detail::registerFunctions(db);
    engine::detail::registerFold(db);
    const std::string steps[] = {"PRAGMA journal_mode=DELETE; PRAGMA cache_size=-16000; "
                                 "PRAGMA temp_store=MEMORY",
                                 "ATTACH DATABASE '" + lastYear + "' AS last", "BEGIN", sql,
                                 "COMMIT"};
    for (const std::string& step : steps)
        check(sqlite3_exec(db, step.c_str(), nullptr, nullptr, nullptr), db, step);
    sqlite3_close(db);
    return since(start);
}

} // namespace

int main(int argc, char** argv) {
    const int smaller = argc > 1 ? std::max(1, atoi(argv[1])) : 5000;
    const int runs = getenv("RUNS") ? std::max(1, atoi(getenv("RUNS"))) : 5;
    const fs::path dir = fs::temp_directory_path() / ("company_bench_" + std::to_string(getpid()));
    fs::create_directories(dir);
    bench::BenchDesktop desk(dir.string());
    forms::setDesktop(&desk);

    const int sizes[] = {smaller, 2 * smaller};
    std::string lastYears[2];
    for (int s = 0; s < 2; ++s) {
        lastYears[s] = (dir / ("last" + std::to_string(sizes[s]) + ".mdb")).string();
        makeFile(lastYears[s], FileKind::LastYearCompany, sizes[s]);
    }
    const std::string bases[] = {(dir / "empty.mdb").string(), (dir / "holding.mdb").string()};
    makeFile(bases[0], FileKind::Company, 0);
    makeFile(bases[1], FileKind::Company, smaller);
    const std::string sql = copyStatement();
    const std::string work = (dir / "QolbCompany2018Lan.Mdb").string();

    std::vector<double> imports[2][2], copies[2][2]; // [base][size]
    int failed = 0;
    for (int r = 0; r < runs; ++r)
        for (int b = 0; b < 2; ++b)
            for (int s = 0; s < 2; ++s) {
                bench::syncedCopy(bases[b], work);
                const double t = importInto(desk, dir, work, lastYears[s]);
                if (t < 0)
                    ++failed;
                else
                    imports[b][s].push_back(t);
                bench::syncedCopy(bases[b], work);
                copies[b][s].push_back(bareCopy(work, lastYears[s], sql));
            }
    fs::remove_all(dir);
    if (failed) return 1;

    std::printf("import of every company, %d runs each (median and range):\n", runs);
    for (int b = 0; b < 2; ++b) {
        std::printf(" into %s:\n", b == 0 ? "an empty year" : "a year holding companies");
        for (int s = 0; s < 2; ++s) {
            const double ratio = median(imports[b][s]) / median(copies[b][s]);
            std::printf("  %6d companies: import %s, bare copy %s, ratio %.2f (limit 3)\n",
                        sizes[s], bench::medianAndRange(imports[b][s]).c_str(),
                        bench::medianAndRange(copies[b][s]).c_str(), ratio);
        }
        std::printf("  %d against %d: %.2f (limit 2.2)\n", sizes[1], sizes[0],
                    median(imports[b][1]) / median(imports[b][0]));
    }
    return 0;
}
