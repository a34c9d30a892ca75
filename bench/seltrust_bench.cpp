// The import of one chosen trust, with its detail rows, through the window: into a year that
// already holds 5,000 trusts and into one holding 10,000 (each with its income row, a
// beneficiary, a rental and two assets with cost lines), each imported into once before.
// The two sizes alternate on fresh copies of their files, RUNS times each (7 unless set);
// each prints its median and range, and the ratio of the medians. Targets: under 0.25 s for
// 5,000, and 10,000 at most 1.3 times that.
//
//   [KEEP=folder] seltrust_bench [trusts-in-the-smaller-year]

#include "BenchDesktop.h"
#include "Stats.h"
#include "SyncedCopy.h"
#include "app/frmSysAdmin.h"
#include "carryforward/Imports.h"
#include "engine/Dao.h"
#include "support/DatabaseFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using runtime::Variant;
using support::FileKind;

namespace {

constexpr double kTrust = 17;
const std::vector<std::string> kTables{
    "TRUSTDetails",         "TRUSTIncExpend",   "TandBenDetails",
    "TrustPropRentDetails", "TrustCGTDetails",  "TrustCGTAcqCost",
    "TrustCGTImproveMade",  "TrustCGTSaleCost", "TrustCGTImproveMadeBefore"};
const char* const kCostTables[] = {"TrustCGTAcqCost", "TrustCGTImproveMade", "TrustCGTSaleCost"};
const char* const kCostTexts[] = {"Acquisition costs Details", "Improvements made Details",
                                  "Sale costs Details"};

// `n`'s assets, the `sold` one sold, each with a line in three cost tables.
void addAssets(support::DatabaseFile& file, double n, int assets, int sold) {
    for (int a = 1; a <= assets; ++a) {
        file.row("TrustCGTDetails", {{"TDCLNO", n},
                                     {"TCGTMaxNum", static_cast<std::int16_t>(assets)},
                                     {"TCGTAssetNum", static_cast<std::int16_t>(a)},
                                     {"TDateSale", a == sold ? 42900.0 : -693959.0}});
        for (int t = 0; t < 3; ++t)
            file.row(kCostTables[t], {{"TDCLNO", n},
                                      {kCostTexts[t], "line"},
                                      {"CGTAsset Number", double(a)},
                                      {"Cost", 5.0}});
    }
}

// Last year's file: the trust with its income row, beneficiaries, rentals and three assets
// (the second sold), and a few other trusts.
void makeLastYear(const std::string& path) {
    support::DatabaseFile file(path, FileKind::LastYearTrust);
    file.only(kTables);
    for (double n : {kTrust - 1, kTrust, kTrust + 1}) {
        file.row("TRUSTDetails", {{"TDCLNO", n}, {"TrustName", "Trust"}})
            .row("TRUSTIncExpend", {{"TDCLNO", n}, {"TrustCapGain", -800.0}});
        for (std::int16_t b : {std::int16_t{1}, std::int16_t{2}})
            file.row("TandBenDetails", {{"TDCLNO", n}, {"TrustNum", b}, {"TrustBenName", "Ben"}});
        for (std::int16_t p : {std::int16_t{1}, std::int16_t{2}})
            file.row("TrustPropRentDetails",
                     {{"TDCLNO", n}, {"TPropNum", p}, {"TAddress", "1 Main"}});
        addAssets(file, n, 3, 2);
    }
    file.make();
}

// This year's file with `trusts` trusts, each with its income row (its rental flag set), a
// rental and two assets with their cost lines; their lock fields already tidied.
void makeThisYear(const std::string& path, int trusts) {
    support::DatabaseFile file(path, FileKind::Trust);
    file.only(kTables);
    for (int c = 1; c <= trusts; ++c) {
        const double n = c;
        file.row("TRUSTDetails", {{"TDCLNO", n},
                                  {"TrustName", "Trust " + std::to_string(c)},
                                  {"UserName", ""},
                                  {"LastUserName", ""},
                                  {"DateLastSaved", Variant::date(0)}})
            .row("TRUSTIncExpend", {{"TDCLNO", n}, {"ItemiseRentalInc", std::int16_t{1}}})
            .row("TandBenDetails", {{"TDCLNO", n}, {"TrustNum", std::int16_t{1}}})
            .row("TrustPropRentDetails", {{"TDCLNO", n}, {"TPropNum", std::int16_t{1}}});
        addAssets(file, n, 2, 0);
    }
    file.make();
}

void report(int count, const std::vector<double>& v) {
    std::printf("  %6d trusts: %s\n", count, bench::medianAndRange(v).c_str());
}

// The file an import writes: this year's, where the window finds it.
std::string workFile(const fs::path& dir) {
    return (dir / "QolbTrust2018Lan.Mdb").string();
}

// One import through the window into a fresh copy of `base`; its time, or -1 when it did not
// end with the completion box.
double importInto(bench::BenchDesktop& desk, const fs::path& dir, const std::string& base,
                  const std::string& lastYear) {
    const std::string work = workFile(dir);
    bench::syncedCopy(base, work);
    app::frmSysAdmin w;
    w.TrustDbPath = work;
    w.PrevYearDbPath = lastYear;
    w.lstPrevYear.AddItem("Trust");
    w.PrevYearClientNos = {Variant(), Variant(kTrust)};
    w.PrevYearClientNames = {Variant(), Variant("Trust")};
    w.lstPrevYear.setListIndex(0);
    w.PrevYearSelected = 1;
    desk.boxes = 0;
    const auto start = std::chrono::steady_clock::now();
    carryforward::ImportSelAss_Trust(w);
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
    if (desk.boxes != 1 || desk.lastMessage != "The Transfer has been completed.") {
        std::fprintf(stderr, "the import did not complete: %s\n", desk.lastMessage.c_str());
        return -1;
    }
    return d.count();
}

// A year in use has seen imports: the first made the indexes the engine keeps of the rows
// that the clean-ups of the next import must visit. `year` is `made` after that import.
bool importedBefore(bench::BenchDesktop& desk, const fs::path& dir, const std::string& made,
                    const std::string& year, const std::string& lastYear) {
    if (importInto(desk, dir, made, lastYear) < 0) return false;
    fs::rename(workFile(dir), year);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const int smaller = argc > 1 ? std::max(1, atoi(argv[1])) : 5000;
    const int runs = getenv("RUNS") ? std::max(1, atoi(getenv("RUNS"))) : 7;
    // KEEP names a folder whose files are kept for the next run: building them takes minutes.
    const char* keep = getenv("KEEP");
    const fs::path dir =
        keep ? fs::path(keep)
             : fs::temp_directory_path() / ("seltrust_bench_" + std::to_string(getpid()));
    fs::create_directories(dir);
    bench::BenchDesktop desk(dir.string());
    forms::setDesktop(&desk);

    const std::string lastYear = (dir / "QolbTrust2017Lan.Mdb").string();
    if (!fs::exists(lastYear)) makeLastYear(lastYear);
    const int sizes[] = {smaller, 2 * smaller};
    std::vector<std::string> bases;
    for (int size : sizes) {
        const std::string made = (dir / ("base" + std::to_string(size) + ".mdb")).string();
        bases.push_back((dir / ("year" + std::to_string(size) + ".mdb")).string());
        if (!fs::exists(made)) makeThisYear(made, size);
        if (!fs::exists(bases.back()) && !importedBefore(desk, dir, made, bases.back(), lastYear))
            return 1;
    }
    engine::DBEngine::instance().Workspaces(0).Close();

    std::vector<double> times[2];
    int failed = 0;
    for (int r = 0; r < runs; ++r)
        for (int s = 0; s < 2; ++s) {
            const double t = importInto(desk, dir, bases[s], lastYear);
            if (t < 0)
                ++failed;
            else
                times[s].push_back(t);
        }
    if (!keep) fs::remove_all(dir);
    if (failed || times[0].empty() || times[1].empty()) return 1;

    std::printf("import of one trust with its detail rows, %d runs each:\n", runs);
    report(sizes[0], times[0]);
    report(sizes[1], times[1]);
    const double ratio = bench::median(times[1]) / bench::median(times[0]);
    std::printf("  ratio %.2f (limit 1.3); %d trusts %s 0.25 s\n", ratio, sizes[0],
                bench::median(times[0]) < 0.25 ? "under" : "NOT under");
    return 0;
}
