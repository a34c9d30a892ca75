// The import from the stand-alone edition through the window: a stand-alone file of 2,000
// individuals (a row in every detail table each), 500 trusts (likewise) and 500 companies
// with their adjustment lines, into network files holding 10,000 individuals, 5,000 trusts
// and 5,000 companies. Against it, a bare SQL copy of the same rows: one INSERT ... IN ...
// SELECT per table, one transaction per kind, the same engine and files. Then the stand-alone
// file twice the size. Each side runs RUNS times (5 unless set) on fresh copies of the
// network files, interleaved; medians with ranges. Targets: the import at most 3 times the
// bare copy, and twice the stand-alone size at most 2.2 times the time.
//
//   standalone_bench [individuals-in-the-smaller-file]

#include "BenchDesktop.h"
#include "Stats.h"
#include "SyncedCopy.h"
#include "app/frmSysAdmin.h"
#include "engine/Dao.h"
#include "engine/Transaction.h"
#include "standalone/Kinds.h"
#include "standalone/StandAloneWiring.h"
#include "support/DatabaseFile.h"
#include "support/StandAloneFile.h"
#include "transfer/SqlText.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using runtime::Variant;

namespace {

engine::Workspace& ws() {
    return engine::DBEngine::instance().Workspaces(0);
}

// Rows numbered first .. last in `table`, each with its key and the `more` values.
void fill(engine::Database& db, std::string_view table, std::string_view key, int first, int last,
          const support::Row& more = {}) {
    auto rs = db.OpenRecordset(table, engine::dbOpenTable);
    for (int n = first; n <= last; ++n) {
        rs->AddNew();
        rs->Fields(key).setValue(Variant(double(n)));
        for (const auto& [field, value] : more)
            rs->Fields(field).setValue(value);
        rs->Update();
    }
    rs->Close();
}

// Every table of the kind: the main rows and one row per client in each detail table.
void fillKind(engine::Database& db, const standalone::Kind& kind, int clients) {
    engine::Transaction tx;
    for (const transfer::CopyPlan& plan : kind.copies)
        fill(db, plan.target, kind.client.numberField, 1, clients);
    tx.commit();
}

void makeStandAlone(const std::string& path, const std::string& companies, int people, int trusts,
                    int firms) {
    support::makeStandAlone(path, {});
    auto db = ws().OpenDatabase(path);
    fillKind(*db, standalone::individualsKind(), people);
    fillKind(*db, standalone::trustsKind(), trusts);
    db->Close();
    support::DatabaseFile(companies, support::FileKind::Company).make();
    db = ws().OpenDatabase(companies);
    fillKind(*db, standalone::companiesKind(), firms);
    db->Close();
}

// A network file of the kind holding `clients` free clients.
void makeNetwork(const std::string& path, support::FileKind fileKind, const standalone::Kind& kind,
                 int clients) {
    support::DatabaseFile(path, fileKind).make();
    auto db = ws().OpenDatabase(path);
    {
        engine::Transaction tx;
        fill(*db, kind.client.mainTable, kind.client.numberField, 1, clients,
             {{"UserName", ""}, {"LastUserName", ""}, {"DateLastSaved", Variant::date(0)}});
        fill(*db, kind.copies[1].target, kind.client.numberField, 1, clients);
        tx.commit();
    }
    db->Close();
}

struct Files {
    std::string standAlone, companies;
};

struct Network {
    std::string pers, trust, comp;
};

Network freshNetwork(const fs::path& dir, const Network& base) {
    const Network n{(dir / "Qolb2018LAN.mdb").string(), (dir / "QolbTrust2018Lan.Mdb").string(),
                    (dir / "QolbCompany2018Lan.Mdb").string()};
    for (auto [from, to] :
         {std::pair{base.pers, n.pers}, {base.trust, n.trust}, {base.comp, n.comp}})
        bench::syncedCopy(from, to);
    return n;
}

double importThroughWindow(bench::BenchDesktop& desk, const Network& net, const Files& src) {
    app::frmSysAdmin w;
    standalone::attach(w);
    w.PersDbPath = net.pers;
    w.TrustDbPath = net.trust;
    w.CompDbPath = net.comp;
    w.StandAlonePersDbPath = src.standAlone;
    w.StandAloneCompDbPath = src.companies;
    w.txtQolbDBImportSource.setText(src.standAlone);
    desk.boxes = 0;
    const auto start = std::chrono::steady_clock::now();
    w.cmdImportNow.onClick();
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
    if (desk.boxes != 1 || desk.lastMessage != "The File Transfer has been successfull !") {
        std::fprintf(stderr, "the import did not succeed: %s\n", desk.lastMessage.c_str());
        return -1;
    }
    return d.count();
}

// The same rows by one plain statement per table, one transaction per kind.
double bareCopy(const Network& net, const Files& src) {
    const auto start = std::chrono::steady_clock::now();
    const std::pair<const standalone::Kind*, std::pair<std::string, std::string>> kinds[] = {
        {&standalone::individualsKind(), {src.standAlone, net.pers}},
        {&standalone::trustsKind(), {src.standAlone, net.trust}},
        {&standalone::companiesKind(), {src.companies, net.comp}}};
    for (const auto& [kind, files] : kinds) {
        auto db = ws().OpenDatabase(files.first);
        engine::Transaction tx;
        for (const transfer::CopyPlan& plan : kind->copies) {
            std::string cols;
            for (const transfer::ColumnCopy& c : plan.columns)
                cols += (cols.empty() ? "" : ", ") + transfer::bracketed(c.target);
            db->Execute("INSERT INTO " + transfer::bracketed(plan.target) + " (" + cols +
                            ") IN ? SELECT " + cols + " FROM " + transfer::bracketed(plan.source),
                        {Variant(files.second)});
        }
        tx.commit();
        db->Close();
    }
    ws().Close();
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
    return d.count();
}

void report(const char* what, const std::vector<double>& v) {
    std::printf("  %-34s %s\n", what, bench::medianAndRange(v).c_str());
}

} // namespace

int main(int argc, char** argv) {
    const int people = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;
    const int runs = getenv("RUNS") ? std::max(1, atoi(getenv("RUNS"))) : 5;
    const fs::path dir =
        fs::temp_directory_path() / ("standalone_bench_" + std::to_string(getpid()));
    const fs::path program = dir / "program", work = dir / "net";
    fs::create_directories(program);
    fs::create_directories(work);
    bench::BenchDesktop desk(program.string());
    forms::setDesktop(&desk);

    Files sizes[2];
    for (int s = 0; s < 2; ++s) {
        const int k = s + 1;
        const fs::path folder = dir / ("src" + std::to_string(k));
        fs::create_directories(folder);
        sizes[s] = {(folder / "Qolb2018.mdb").string(), (folder / "QolbCompany2018.Mdb").string()};
        makeStandAlone(sizes[s].standAlone, sizes[s].companies, k * people, k * people / 4,
                       k * people / 4);
    }
    const Network base{(dir / "pers.mdb").string(), (dir / "trust.mdb").string(),
                       (dir / "comp.mdb").string()};
    makeNetwork(base.pers, support::FileKind::Individuals, standalone::individualsKind(), 10000);
    makeNetwork(base.trust, support::FileKind::Trust, standalone::trustsKind(), 5000);
    makeNetwork(base.comp, support::FileKind::Company, standalone::companiesKind(), 5000);
    ws().Close();

    std::vector<double> imported[2], bare;
    int failed = 0;
    for (int r = 0; r < runs; ++r) {
        bare.push_back(bareCopy(freshNetwork(work, base), sizes[0]));
        for (int s = 0; s < 2; ++s) {
            const double t = importThroughWindow(desk, freshNetwork(work, base), sizes[s]);
            if (t < 0)
                ++failed;
            else
                imported[s].push_back(t);
        }
    }
    fs::remove_all(dir);
    if (failed || imported[0].empty() || imported[1].empty()) return 1;

    std::printf("stand-alone import, %d individuals and %d trusts and companies, %d runs:\n",
                people, people / 4, runs);
    report("bare SQL copy of the same rows", bare);
    report("import through the window", imported[0]);
    report("import, stand-alone twice the size", imported[1]);
    std::printf("  import / bare copy %.2f (limit 3); twice the size %.2f (limit 2.2)\n",
                bench::median(imported[0]) / bench::median(bare),
                bench::median(imported[1]) / bench::median(imported[0]));
    return 0;
}
