// Locating and listing last year's individuals file through the window, headless: 10,000
// clients (limit 0.5 s) and 20,000 (limit 2.2 times the 10,000 figure), each client with
// its continuation row. The two sizes alternate, RUNS times each (7 unless set); each
// prints its median and range.
//
//   prevyear_bench

#include "BenchDesktop.h"
#include "LastYearFile.h"
#include "app/frmSysAdmin.h"
#include "carryforward/PrevYearWiring.h"
#include "engine/Dao.h"

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
using runtime::Variant;

namespace {

engine::Workspace& ws() {
    return engine::DBEngine::instance().Workspaces(0);
}

struct Spread {
    double median = 0, low = 0, high = 0;
};

Spread spread(std::vector<double> t) {
    std::sort(t.begin(), t.end());
    return {t[t.size() / 2], t.front(), t.back()};
}

} // namespace

int main() {
    const int runs = getenv("RUNS") ? std::max(1, atoi(getenv("RUNS"))) : 7;
    const fs::path dir = fs::temp_directory_path() / ("prevyear_bench_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::vector<int> sizes{10000, 20000};
    std::vector<std::string> files;
    for (int n : sizes) {
        fs::create_directories(dir / std::to_string(n));
        files.push_back((dir / std::to_string(n) / "Qolb2017LAN.MDB").string());
        bench::makeLastYearIndividuals(files.back(), n);
    }

    bench::BenchDesktop desk(dir.string());
    forms::setDesktop(&desk);
    app::frmSysAdmin w;
    carryforward::attach(w);
    w.onLoad = [] {};
    w.Show();

    std::vector<std::vector<double>> times(sizes.size());
    for (int r = 0; r < runs; ++r)
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            desk.file = files[i];
            const auto start = std::chrono::steady_clock::now();
            w.click("cmdLocateDB");
            const std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
            times[i].push_back(d.count());
            if (w.lstPrevYear.ListCount() != sizes[i] || desk.boxes != 0 ||
                !w.cmdImpSelAss.Enabled())
                throw std::runtime_error("the locate did not list the file");
            ws().Close();
        }

    std::vector<Spread> s;
    for (auto& t : times)
        s.push_back(spread(t));
    for (std::size_t i = 0; i < sizes.size(); ++i)
        std::printf("locate and list %d clients: median %.3f s (range %.3f-%.3f), %d runs\n",
                    sizes[i], s[i].median, s[i].low, s[i].high, runs);
    const double ratio = s[1].median / s[0].median;
    const bool ok = s[0].median < 0.5 && ratio <= 2.2;
    std::printf("10,000: %.3f s (limit 0.5); 20,000 / 10,000: %.2f (limit 2.2) %s\n", s[0].median,
                ratio, ok ? "PASS" : "FAIL");
    w.Unload();
    fs::remove_all(dir);
    return ok ? 0 : 1;
}
