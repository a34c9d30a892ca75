// The import of one chosen individual, with its detail rows, through the window: into a year
// that already holds 10,000 clients and into one holding 20,000 (each with its certificate,
// continuation and vehicle rows), each imported into once before. The two sizes alternate on
// fresh copies of their files, RUNS times each (7 unless set); each prints its median and
// range, and the ratio of the medians. Targets: under 0.25 s for 10,000, and 20,000 at most
// 1.3 times that.
//
//   selass_bench [clients-in-the-smaller-year]

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

constexpr double kClient = 7;
const std::vector<std::string> kDetails{"PropRentDetails", "CGTDetails",  "CGTAcqCost",
                                        "CGTImproveMade",  "CGTSaleCost", "CGTImproveMadeBefore",
                                        "CARALL",          "AnnualTrends"};

std::vector<std::string> withDetails(std::initializer_list<std::string> more) {
    std::vector<std::string> out = kDetails;
    out.insert(out.end(), more);
    return out;
}

// Last year's file: the client with a certificate row and rows in every detail table, and
// a few other clients.
void makeLastYear(const std::string& path) {
    support::DatabaseFile file(path, FileKind::LastYearIndividuals);
    file.only(withDetails({"Qolb2017", "Qolb2017Cont", "IRP5IncDed"}));
    for (double n : {kClient - 1, kClient, kClient + 1}) {
        file.row("Qolb2017",
                 {{"DCLNO", n}, {"Surname", "Client"}, {"MPERSDECEASED", std::int16_t{0}}})
            .row("IRP5IncDed", {{"DCLNO", n}})
            .row("Qolb2017Cont", {{"DCLNO", n}, {"TaxRefNo_1", "0123"}})
            .row("CARALL", {{"DCLNO", n}, {"TA105", 900.0}})
            .row("AnnualTrends", {{"DCLNO", n}});
        for (double prop : {1.0, 2.0, 3.0})
            file.row("PropRentDetails", {{"DCLNO", n}, {"PropNum", prop}, {"Address", "1 Main"}});
        for (std::int16_t asset : {std::int16_t{1}, std::int16_t{2}}) {
            file.row("CGTDetails", {{"DCLNO", n}, {"CGTAssetNum", asset}});
            for (const char* costs : {"CGTAcqCost", "CGTImproveMade", "CGTSaleCost"})
                file.row(costs, {{"DCLNO", n}, {"CGTAsset Number", double(asset)}, {"Cost", 5.0}});
        }
    }
    file.make();
}

// This year's file with `clients` clients, their lock fields already tidied.
void makeThisYear(const std::string& path, int clients) {
    support::DatabaseFile file(path, FileKind::Individuals);
    file.only(withDetails({"Qolb2018", "Qolb2018Cont", "IRP5IncDed"}));
    for (int c = 1; c <= clients; ++c) {
        const double n = c;
        file.row("Qolb2018", {{"DCLNO", n},
                              {"Surname", "Client " + std::to_string(c)},
                              {"UserName", ""},
                              {"LastUserName", ""},
                              {"DateLastSaved", Variant::date(0)}})
            .row("IRP5IncDed", {{"DCLNO", n}})
            .row("Qolb2018Cont", {{"DCLNO", n}})
            .row("CARALL", {{"DCLNO", n}});
    }
    file.make();
}

void report(int count, const std::vector<double>& v) {
    std::printf("  %6d clients: %s\n", count, bench::medianAndRange(v).c_str());
}

// The file an import writes: this year's, where the window finds it.
std::string workFile(const fs::path& dir) {
    return (dir / "Qolb2018LAN.mdb").string();
}

// One import through the window into a fresh copy of `base`; its time, or -1 when it did not
// end with the completion box.
double importInto(bench::BenchDesktop& desk, const fs::path& dir, const std::string& base,
                  const std::string& lastYear) {
    const std::string work = workFile(dir);
    bench::syncedCopy(base, work);
    app::frmSysAdmin w;
    w.PersDbPath = work;
    w.TransPersDbPath = (dir / "TransDB.mdb").string();
    w.PrevYearDbPath = lastYear;
    w.lstPrevYear.AddItem("Client");
    w.PrevYearClientNos = {Variant(), Variant(kClient)};
    w.PrevYearClientNames = {Variant(), Variant("Client")};
    w.lstPrevYear.setListIndex(0);
    w.PrevYearSelected = 1;
    desk.boxes = 0;
    const auto start = std::chrono::steady_clock::now();
    carryforward::ImportSelAss_Personal(w);
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
    const int smaller = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const int runs = getenv("RUNS") ? std::max(1, atoi(getenv("RUNS"))) : 7;
    const fs::path dir = fs::temp_directory_path() / ("selass_bench_" + std::to_string(getpid()));
    fs::create_directories(dir);
    bench::BenchDesktop desk(dir.string());
    forms::setDesktop(&desk);

    const std::string lastYear = (dir / "Qolb2017LAN.mdb").string();
    makeLastYear(lastYear);
    const int sizes[] = {smaller, 2 * smaller};
    std::vector<std::string> bases;
    for (int size : sizes) {
        bases.push_back((dir / ("base" + std::to_string(size) + ".mdb")).string());
        makeThisYear(bases.back(), size);
        if (!importedBefore(desk, dir, bases.back(), bases.back(), lastYear)) return 1;
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
    fs::remove_all(dir);
    if (failed || times[0].empty() || times[1].empty()) return 1;

    std::printf("import of one individual with its detail rows, %d runs each:\n", runs);
    report(sizes[0], times[0]);
    report(sizes[1], times[1]);
    const double ratio = bench::median(times[1]) / bench::median(times[0]);
    std::printf("  ratio %.2f (limit 1.3); %d clients %s 0.25 s\n", ratio, sizes[0],
                bench::median(times[0]) < 0.25 ? "under" : "NOT under");
    return 0;
}
