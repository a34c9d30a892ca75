// Backup and clearing on files of realistic size.
//
//   clearing_bench [folder [backup|clear]]   (default: a fresh folder in the temporary
//   directory, both parts)
//
// Every figure is the median of several runs with their range; the runs of the sides that
// are compared alternate, so that a machine busy with other work slows each side alike.
//
// 1. Backup of the four files (about 200 MB together). The backup flushes every copy to
//    the medium, so the verdict (limit 1.5) is against `cp` followed by a flush of each
//    copy and of its folder; the ratio to `cp` alone, which leaves the data in the
//    system's cache, is printed for information.
// 2. Clearing every user with 10,000 clients in each client file, every other one held
//    by one of 50 users (limit 1 s), and clearing one user there.
// 3. Switching to the network page and clearing one user with 10,000 and with 40,000
//    clients in each client file, a few of them held (limit 0.1 s each).

#include "BenchDesktop.h"
#include "app/frmSysAdmin.h"
#include "clearing/BackupSet.h"
#include "clearing/ClearingWiring.h"
#include "clearing/FileCopies.h"
#include "engine/Dao.h"
#include "schema/StructureDefinitions.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using runtime::Variant;

namespace {

constexpr const char* kLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0";

engine::Workspace& ws() {
    return engine::DBEngine::instance().Workspaces(0);
}

double timed(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
    return d.count();
}

constexpr int kRuns = 7;

// One side of a comparison: what each run needs beforehand (not timed), and the work.
struct Side {
    std::function<void()> prepare;
    std::function<void()> work;
};

struct Spread {
    double median = 0, low = 0, high = 0;
};

Spread spread(std::vector<double> t) {
    std::sort(t.begin(), t.end());
    return {t[t.size() / 2], t.front(), t.back()};
}

std::string text(const Spread& s) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%.3f s (%.3f-%.3f)", s.median, s.low, s.high);
    return buf;
}

// Runs the sides in turn, run after run, and gives each side's times.
std::vector<Spread> interleaved(const std::vector<Side>& sides, int runs = kRuns) {
    std::vector<std::vector<double>> times(sides.size());
    for (int r = 0; r < runs; ++r)
        for (std::size_t i = 0; i < sides.size(); ++i) {
            sides[i].prepare();
            times[i].push_back(timed(sides[i].work));
            ws().Close();
        }
    std::vector<Spread> out;
    for (auto& t : times)
        out.push_back(spread(std::move(t)));
    return out;
}

void flushPath(const fs::path& p) {
    const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) throw std::runtime_error("cannot flush " + p.string());
    ::close(fd);
}

// What the backup guarantees of each copy: its data, then the folder naming it.
void flushCopies(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder))
        flushPath(entry.path());
    flushPath(folder);
}

// A database file of about `megabytes`, its bulk in a Memo column.
void makeBulkFile(const std::string& path, int megabytes, const std::string& connect) {
    auto db = ws().CreateDatabase(path, kLocale + connect);
    auto td = db->CreateTableDef("Bulk");
    td->Fields().Append(td->CreateField("DCLNO", engine::dbDouble));
    td->Fields().Append(td->CreateField("Notes", engine::dbMemo));
    db->TableDefs().Append(td);
    const std::string text(8000, 'n');
    const int rows = megabytes * 1024 * 1024 / static_cast<int>(text.size());
    auto rs = db->OpenRecordset("Bulk", engine::dbOpenTable);
    ws().BeginTrans();
    for (int r = 0; r < rows; ++r) {
        rs->AddNew();
        rs->Fields(0).setValue(Variant(double(r)));
        rs->Fields(1).setValue(Variant(text + std::to_string(r)));
        rs->Update();
    }
    ws().CommitTrans();
    ws().Close();
}

void backupBench(const fs::path& dir) {
    const fs::path net = dir / "net", bak = dir / "bak", plain = dir / "plain";
    fs::create_directories(net);
    const std::vector<std::pair<std::string, int>> files{{"Qolb2018LAN.mdb", 110},
                                                         {"QolbTrust2018Lan.Mdb", 40},
                                                         {"QolbCompany2018Lan.Mdb", 40},
                                                         {"SysAdmin2018.mdb", 10}};
    std::uintmax_t total = 0;
    for (const auto& [name, mb] : files) {
        const std::string path = (net / name).string();
        if (!fs::exists(path)) makeBulkFile(path, mb, name[0] == 'S' ? ";pwd=tevo" : "");
        total += fs::file_size(path);
    }
    // Each run starts with nothing waiting to be written, so that no run pays for the
    // writing of another.
    auto fresh = [](const fs::path& p) {
        fs::remove_all(p);
        fs::create_directories(p);
        ::sync();
    };
    const std::string pers = (net / "Qolb2018LAN.mdb").string();
    std::string cp = "cp";
    for (const auto& [name, mb] : files)
        cp += " '" + (net / name).string() + "'";
    cp += " '" + plain.string() + "/'";
    auto runCp = [&] {
        if (std::system(cp.c_str()) != 0) throw std::runtime_error("cp failed");
    };
    const std::vector<Spread> t =
        interleaved({{[&] { fresh(bak); },
                      [&] {
                          auto failures = clearing::backupCopies(
                              clearing::backupSteps(pers, (bak / "Qolb2018LAN.Mdb").string()));
                          if (!failures.empty())
                              throw std::runtime_error("backup failed: " + failures[0].text);
                      }},
                     {[&] { fresh(plain); },
                      [&] {
                          runCp();
                          flushCopies(plain);
                      }},
                     {[&] { fresh(plain); }, runCp}},
                    5);
    const double ratio = t[0].median / t[1].median;
    std::printf("backup of 4 files, %.0f MB, median (range) of 5 interleaved runs:\n"
                "  backup %s\n  cp + flush %s\n  cp alone %s\n"
                "  ratio to cp + flush %.2f (limit 1.5) %s; to cp alone %.2f (for information)\n",
                double(total) / (1024 * 1024), text(t[0]).c_str(), text(t[1]).c_str(),
                text(t[2]).c_str(), ratio, ratio <= 1.5 ? "ok" : "OVER", t[0].median / t[2].median);
}

// `count` clients in the main table; every `heldEvery`-th one is held by one of `users`
// users ("user0" ...), the others are free.
void fillClients(const std::string& path, const std::string& table, const char* nameField,
                 int count, int heldEvery, int users) {
    auto db = ws().OpenDatabase(path);
    auto rs = db->OpenRecordset(table, engine::dbOpenTable);
    auto user = rs->Fields("UserName");
    auto name = rs->Fields(nameField);
    ws().BeginTrans();
    for (int i = 0; i < count; ++i) {
        rs->AddNew();
        user.setValue(Variant(i % heldEvery ? std::string()
                                            : "user" + std::to_string(i / heldEvery % users)));
        name.setValue(Variant("Client " + std::to_string(i)));
        rs->Update();
    }
    ws().CommitTrans();
    ws().Close();
}

// The four files of a clearing in `net`, built once into `master` and copied from there.
struct ClearingSet {
    fs::path net, master;
    std::string sys, pers, trust, comp;

    ClearingSet(const fs::path& dir, const std::string& name, int clients, int heldEvery, int users)
        : net(dir / name), master(dir / (name + "-master")) {
        sys = (net / "SysAdmin2018.mdb").string();
        pers = (net / "Qolb2018LAN.mdb").string();
        trust = (net / "QolbTrust2018Lan.Mdb").string();
        comp = (net / "QolbCompany2018Lan.Mdb").string();
        if (fs::exists(master)) return;
        fs::remove_all(net);
        fs::create_directories(net);
        schema::MakeNewSysDb(sys);
        schema::MakeNewDb(pers, trust, comp);
        ws().Close();
        {
            auto db = ws().OpenDatabase(sys, false, false, ";pwd=tevo");
            auto rs = db->OpenRecordset("UserNames", engine::dbOpenTable);
            for (int u = 0; u < 50; ++u) {
                rs->AddNew();
                rs->Fields("UserName").setValue(Variant("user" + std::to_string(u)));
                rs->Fields("LoggedOn").setValue(Variant(u < users));
                rs->Update();
            }
            ws().Close();
        }
        fillClients(pers, "Qolb2018", "Surname", clients, heldEvery, users);
        fillClients(trust, "TRUSTDetails", "TrustName", clients, heldEvery, users);
        fillClients(comp, "CompanyDetails", "CompanyRegName", clients, heldEvery, users);
        fs::copy(net, master, fs::copy_options::recursive);
    }
    // The copies are flushed before the run: the commit of a clearing flushes its files,
    // and would otherwise pay for writing the whole fresh copy.
    void restore() const {
        fs::remove_all(net);
        fs::copy(master, net, fs::copy_options::recursive);
        ::sync();
    }
    void point(app::frmSysAdmin& w) const {
        w.PersDbPath = pers;
        w.TrustDbPath = trust;
        w.CompDbPath = comp;
        app::SysAdminDbPath = sys;
    }
};

void clearingBench(const fs::path& dir) {
    bench::BenchDesktop desk;
    forms::setDesktop(&desk);
    {
        app::frmSysAdmin w;
        clearing::attach(w);
        auto clearOne = [&](const char* user) {
            return [&w, user] {
                w.SelectedLoggedOnUser = user;
                w.cmdClearSelectedUser.click();
            };
        };

        const ClearingSet busy(dir, "clear", 10000, 2, 50);
        busy.point(w);
        const auto all =
            interleaved({{[&] { busy.restore(); }, [&] { w.cmdClearUsers.click(); }},
                         {[&] { busy.restore(); }, clearOne("user7")},
                         {[&] { w.SSIndexTab1.setTab(0); }, [&] { w.SSIndexTab1.setTab(1); }}});
        std::printf("10,000 clients per file, 5,000 of them held by 50 users, median (range) of "
                    "%d interleaved runs:\n  clear all users: %s (limit 1.0) %s\n"
                    "  clear one user, lists refilled: %s\n"
                    "  switch to the network page: %s\n",
                    kRuns, text(all[0]).c_str(), all[0].median < 1.0 ? "ok" : "OVER",
                    text(all[1]).c_str(), text(all[2]).c_str());

        for (int clients : {10000, 40000}) {
            // Six held records in each file, two for each of three users.
            const ClearingSet few(dir, "few" + std::to_string(clients), clients, clients / 6, 3);
            few.point(w);
            few.restore();
            const auto t =
                interleaved({{[&] { w.SSIndexTab1.setTab(0); }, [&] { w.SSIndexTab1.setTab(1); }},
                             {[&] { few.restore(); }, clearOne("user1")}});
            std::printf("%d clients per file, 6 of them held, median (range) of %d interleaved "
                        "runs:\n  switch to the network page: %s (limit 0.1) %s\n"
                        "  clear one user, lists refilled: %s (limit 0.1) %s\n",
                        clients, kRuns, text(t[0]).c_str(), t[0].median < 0.1 ? "ok" : "OVER",
                        text(t[1]).c_str(), t[1].median < 0.1 ? "ok" : "OVER");
        }
    }
    forms::setDesktop(nullptr);
}

} // namespace

int main(int argc, char** argv) {
    fs::path dir;
    bool own = false;
    if (argc > 1) {
        dir = argv[1];
        fs::create_directories(dir);
    } else {
        std::string pattern = (fs::temp_directory_path() / "clearing-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) return 1;
        dir = pattern;
        own = true;
    }
    const std::string part = argc > 2 ? argv[2] : "";
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    try {
        if (part.empty() || part == "backup") backupBench(dir);
        if (part.empty() || part == "clear") clearingBench(dir);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "failed: %s\n", e.what());
        return 1;
    }
    if (own) fs::remove_all(dir);
    return 0;
}
