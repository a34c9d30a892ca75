// Locating and listing last year's individuals file of 10,000 clients through the Qt
// window: the click on "Locate Database" until the list widget holds every row and the
// window has been drawn again (limit 1 s). RUNS times (7 unless set); prints the median and
// range. Runs on the platform QT_QPA_PLATFORM names (offscreen unless set).
//
//   prevyear_qt_bench [clients]

#include "LastYearFile.h"
#include "program/Program.h"
#include "qt/FrameWindow.h"
#include "qt/ProgramWindows.h"
#include "qt/QtDesktop.h"

#include <QApplication>
#include <QListWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The Qt desktop, with the open dialog answered by the file under test.
class ChoosingQtDesktop : public qtui::QtDesktop {
public:
    using QtDesktop::QtDesktop;
    std::string file;
    int boxes = 0;
    // Counted, and answered with the first button: the closing question at the end says Yes.
    int MsgBox(const std::string&, int style, const std::string&) override {
        ++boxes;
        return forms::msgBoxButtons(style).front();
    }
    forms::FileDialogResult showOpenDialog(const forms::FileDialogRequest&) override {
        return forms::FileDialogResult::chosen(file);
    }
};

} // namespace

int main(int argc, char** argv) {
    if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const int clients = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const int runs = getenv("RUNS") ? std::max(1, atoi(getenv("RUNS"))) : 7;
    const fs::path dir =
        fs::temp_directory_path() / ("prevyear_qt_bench_" + std::to_string(getpid()));
    fs::create_directories(dir / "last");
    const std::string last = (dir / "last" / "Qolb2017LAN.MDB").string();
    bench::makeLastYearIndividuals(last, clients);

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    ChoosingQtDesktop desk({dir.string(), (dir / "running.lock").string(), "bench"});
    desk.file = last;
    std::vector<double> times;
    {
        program::Program program;
        qtui::ProgramWindows windows(program);
        desk.setMainWindow(&windows.frame());
        if (!program.start() || desk.boxes) throw std::runtime_error("the program did not start");
        app::frmSysAdmin& w = program.frmSysAdmin();
        w.SSIndexTab1.setTab(2);
        w.SSIndexTab2.setTab(1);
        w.click("cmdContinueImport");
        QApplication::processEvents();
        auto* list = windows.frame().findChild<QListWidget*>(QStringLiteral("lstPrevYear"));
        for (int r = 0; r < runs; ++r) {
            const auto start = std::chrono::steady_clock::now();
            w.click("cmdLocateDB");
            QApplication::processEvents();
            const std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
            times.push_back(d.count());
            if (!list || list->count() != clients || !w.cmdImpSelAss.Enabled() || desk.boxes)
                throw std::runtime_error("the locate did not fill the list");
        }
        w.Unload();
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("locate and list %d clients through the Qt window: median %.3f s (range "
                "%.3f-%.3f), %d runs; limit 1 s %s\n",
                clients, median, times.front(), times.back(), runs, median < 1 ? "PASS" : "FAIL");
    fs::remove_all(dir);
    return median < 1 ? 0 : 1;
}
