// Times the start of the program, headless, to the end of the administration window's
// Load event: once in an empty program folder (every database is built) and once in a
// folder whose complete files hold 10,000 individuals (nothing to build or upgrade). The
// runs of the two cases alternate, so that a machine busy with other work slows both
// alike; each is reported as the median of its runs with their range.
//
//   startup_bench [individuals] [repetitions]
//
// The start over complete files must stay under 0.5 s.

#include "BenchDesktop.h"
#include "engine/Dao.h"
#include "program/Program.h"
#include "runtime/Constants.h"
#include "runtime/Paths.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A start that needs nobody's answer shows nothing: every box or dialog is a fault of
// the run.
int unexpected(const bench::BenchDesktop& desk) {
    if (desk.boxes) std::fprintf(stderr, "message: %s\n", desk.lastMessage.c_str());
    return desk.boxes + desk.dialogs;
}

double timedStart() {
    const auto begin = Clock::now();
    {
        program::Program program;
        program.start();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    engine::DBEngine::instance().Workspaces(0).Close();
    return seconds;
}

// Individuals with their continuation and vehicle rows, dated in this tax year so that
// the roll-forward scans every row and changes none.
void addIndividuals(const std::string& persDbPath, int count) {
    engine::Workspace& ws = engine::DBEngine::instance().Workspaces(0);
    auto db = ws.OpenDatabase(persDbPath);
    ws.BeginTrans();
    auto main = db->OpenRecordset("Qolb2018", engine::dbOpenTable);
    auto cont = db->OpenRecordset("Qolb2018Cont", engine::dbOpenTable);
    auto cars = db->OpenRecordset("CARALL", engine::dbOpenTable);
    const auto dclno = main->Fields("DCLNO"), surname = main->Fields("Surname"),
               initials = main->Fields("PERS2"), start = main->Fields("PERS9"),
               end = main->Fields("PERS10");
    const auto contNo = cont->Fields("DCLNO");
    const auto carNo = cars->Fields("DCLNO"), carStart = cars->Fields("TASD1"),
               carEnd = cars->Fields("TAED1");
    for (int i = 1; i <= count; ++i) {
        const double no = i;
        main->AddNew();
        dclno.setValue(no);
        surname.setValue("Surname" + std::to_string(i));
        initials.setValue(std::string("AB"));
        start.setValue(double(runtime::TaxYearStart));
        end.setValue(double(runtime::TaxYearEnd));
        main->Update();
        cont->AddNew();
        contNo.setValue(no);
        cont->Update();
        cars->AddNew();
        carNo.setValue(no);
        carStart.setValue(double(runtime::TaxYearStart));
        carEnd.setValue(double(runtime::TaxYearEnd));
        cars->Update();
    }
    ws.CommitTrans();
    db->Close();
    ws.Close();
}

long individualsIn(const std::string& persDbPath) {
    engine::Workspace& ws = engine::DBEngine::instance().Workspaces(0);
    const long n =
        ws.OpenDatabase(persDbPath)->OpenRecordset("Qolb2018", engine::dbOpenTable)->RecordCount();
    ws.Close();
    return n;
}

struct Spread {
    double median, low, high;
};

Spread spread(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front(), v.back()};
}

} // namespace

std::string makeFolder() {
    std::string folder =
        (std::filesystem::temp_directory_path() / "quolby-startup-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return folder;
}

int main(int argc, char** argv) {
    const int individuals = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int repetitions = std::max(1, argc > 2 ? std::atoi(argv[2]) : 5);
    int faults = 0;

    // Over complete files: one folder, filled once, started again and again.
    const std::string completeFolder = makeFolder();
    bench::BenchDesktop completeDesk(completeFolder);
    forms::setDesktop(&completeDesk);
    timedStart();
    const std::string persDbPath = runtime::joinPath(completeFolder, "\\Qolb2018LAN.mdb");
    addIndividuals(persDbPath, individuals);
    forms::setDesktop(nullptr);

    std::vector<double> empty, complete;
    for (int r = 0; r < repetitions; ++r) {
        // From nothing: a fresh folder for every repetition.
        {
            const std::string folder = makeFolder();
            bench::BenchDesktop desk(folder);
            forms::setDesktop(&desk);
            empty.push_back(timedStart());
            faults += unexpected(desk);
            forms::setDesktop(nullptr);
            std::filesystem::remove_all(folder);
        }
        forms::setDesktop(&completeDesk);
        complete.push_back(timedStart());
        forms::setDesktop(nullptr);
    }
    forms::setDesktop(&completeDesk);
    const long held = individualsIn(persDbPath);
    forms::setDesktop(nullptr);
    faults += unexpected(completeDesk);
    std::filesystem::remove_all(completeFolder);

    const Spread e = spread(empty), c = spread(complete);
    std::printf("start-up to the end of the Load event, median (range) of %d interleaved runs:\n",
                repetitions);
    std::printf("  empty program folder:              %.3f s (%.3f-%.3f)\n", e.median, e.low,
                e.high);
    std::printf("  complete files, %ld individuals: %.3f s (%.3f-%.3f) (limit 0.5 s)\n", held,
                c.median, c.low, c.high);
    if (faults) std::printf("  %d unexpected boxes or dialogs\n", faults);
    return c.median < 0.5 && faults == 0 ? 0 : 1;
}
