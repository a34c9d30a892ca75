// Backup and clearing on files of realistic size.
//
//   clearing_bench [folder [backup|clear]]   (default: a fresh folder in the temporary
//   directory, both parts)
//
// 1. Backup of the four files (about 200 MB together); best of three runs each. The backup
//    flushes every copy to the medium, so the verdict (limit 1.5) is against `cp` followed
//    by a flush of each copy and of its folder; the ratio to `cp` alone, which leaves the
//    data in the system's cache, is printed for information.
// 2. Clearing every user with 10,000 clients in each client file, held by 50 users
//    (limit 1 s), and clearing one user.

#include "app/frmSysAdmin.h"
#include "clearing/Attach.h"
#include "clearing/BackupSet.h"
#include "clearing/FileCopies.h"
#include "engine/Dao.h"
#include "forms/Desktop.h"
#include "schema/StructureDefinitions.h"

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

namespace fs = std::filesystem;
using runtime::Variant;

namespace {

constexpr const char* kLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0";

// Answers every question with its first button.
class YesDesktop : public forms::Desktop {
public:
    int MsgBox(const std::string&, int style, const std::string&) override {
        return forms::msgBoxButtons(style).front();
    }
    forms::FileDialogResult showOpenDialog(const forms::FileDialogRequest&) override {
        return forms::FileDialogResult::cancel();
    }
    forms::FileDialogResult showSaveDialog(const forms::FileDialogRequest&) override {
        return forms::FileDialogResult::cancel();
    }
    void setMousePointer(int p) override { pointer_ = p; }
    int mousePointer() const override { return pointer_; }
    void DoEvents() override {}
    void Beep() override {}
    bool anotherCopyRunning() override { return false; }
    std::string programFolder() override { return "/tmp"; }
    forms::Version version() override { return {1, 4, 0}; }
    std::string programTitle() override { return "bench"; }

private:
    int pointer_ = 0;
};

engine::Workspace& ws() {
    return engine::DBEngine::instance().Workspaces(0);
}

double timed(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
    return d.count();
}

double best(int runs, const std::function<void()>& prepare, const std::function<void()>& work) {
    double t = 1e9;
    for (int i = 0; i < runs; ++i) {
        prepare();
        t = std::min(t, timed(work));
        ws().Close();
    }
    return t;
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
    const double ours = best(
        3, [&] { fresh(bak); },
        [&] {
            auto failures = clearing::backupCopies(
                clearing::backupSteps(pers, (bak / "Qolb2018LAN.Mdb").string()));
            if (!failures.empty()) throw std::runtime_error("backup failed: " + failures[0].text);
        });
    std::string cp = "cp";
    for (const auto& [name, mb] : files)
        cp += " '" + (net / name).string() + "'";
    cp += " '" + plain.string() + "/'";
    auto runCp = [&] {
        if (std::system(cp.c_str()) != 0) throw std::runtime_error("cp failed");
    };
    const double plainCp = best(
        3, [&] { fresh(plain); }, runCp);
    const double syncedCp = best(
        3, [&] { fresh(plain); },
        [&] {
            runCp();
            flushCopies(plain);
        });
    const double ratio = ours / syncedCp;
    std::printf("backup of 4 files, %.0f MB: backup %.3f s, cp + flush %.3f s, ratio %.2f "
                "(limit 1.5) %s; cp alone %.3f s, ratio %.2f (for information)\n",
                double(total) / (1024 * 1024), ours, syncedCp, ratio, ratio <= 1.5 ? "ok" : "OVER",
                plainCp, ours / plainCp);
}

// 10,000 clients in each main table, every other one held by one of 50 users.
void fillClients(const std::string& path, const std::string& table, const char* nameField) {
    auto db = ws().OpenDatabase(path);
    auto rs = db->OpenRecordset(table, engine::dbOpenTable);
    auto user = rs->Fields("UserName");
    auto name = rs->Fields(nameField);
    ws().BeginTrans();
    for (int i = 0; i < 10000; ++i) {
        rs->AddNew();
        user.setValue(Variant(i % 2 ? std::string() : "user" + std::to_string(i % 50)));
        name.setValue(Variant("Client " + std::to_string(i)));
        rs->Update();
    }
    ws().CommitTrans();
    ws().Close();
}

void clearingBench(const fs::path& dir) {
    const fs::path net = dir / "clear";
    const std::string sys = (net / "SysAdmin2018.mdb").string();
    const std::string pers = (net / "Qolb2018LAN.mdb").string();
    const std::string trust = (net / "QolbTrust2018Lan.Mdb").string();
    const std::string comp = (net / "QolbCompany2018Lan.Mdb").string();
    const fs::path master = dir / "clear-master";
    if (!fs::exists(master)) {
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
                rs->Fields("LoggedOn").setValue(Variant(true));
                rs->Update();
            }
            ws().Close();
        }
        fillClients(pers, "Qolb2018", "Surname");
        fillClients(trust, "TRUSTDetails", "TrustName");
        fillClients(comp, "CompanyDetails", "CompanyRegName");
        fs::copy(net, master, fs::copy_options::recursive);
    }
    auto restoreFiles = [&] {
        fs::remove_all(net);
        fs::copy(master, net, fs::copy_options::recursive);
    };

    YesDesktop desk;
    forms::setDesktop(&desk);
    {
        app::frmSysAdmin w;
        clearing::attach(w);
        w.PersDbPath = pers;
        w.TrustDbPath = trust;
        w.CompDbPath = comp;
        app::SysAdminDbPath = sys;

        const double all = best(3, restoreFiles, [&] { w.cmdClearUsers.click(); });
        std::printf("clear all users, 3 x 10,000 clients: %.3f s (limit 1.0) %s\n", all,
                    all < 1.0 ? "ok" : "OVER");
        const double one = best(3, restoreFiles, [&] {
            w.SelectedLoggedOnUser = "user7";
            w.cmdClearSelectedUser.click();
        });
        std::printf("clear one user, 3 x 10,000 clients, lists refilled: %.3f s\n", one);
        restoreFiles();
        const double page = best(
            3, [&] { w.SSIndexTab1.setTab(0); }, [&] { w.SSIndexTab1.setTab(1); });
        std::printf("switch to the network page, 3 x 10,000 clients: %.3f s\n", page);
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
