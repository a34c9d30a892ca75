#include "FaultPoints.h"

#include "runtime/Error.h"
#include "runtime/FileOps.h"

#include <csignal>

namespace faults {

namespace {

struct Counter {
    long n = 0;
    Blow how = Blow::None;
    long seen = 0;
    bool fired = false;
    std::function<void(long, const std::string&)> watcher;
};

Counter& counter() {
    static Counter c;
    return c;
}

void installCopySteps() {
    runtime::FileOpsHooks::setCopyStepFault(
        [](runtime::FileOpsHooks::CopyStep step, const std::string& path) {
            if (!FaultPoints::hit(path)) return 0;
            return step == runtime::FileOpsHooks::CopyStep::Write ? runtime::err::DiskFull
                                                                  : runtime::err::DeviceIOError;
        });
}

} // namespace

void installSqliteShim(); // FaultVfs.cpp

void FaultPoints::arm(long n, Blow how) {
    counter() = {n, how, 0, false, nullptr};
}

void FaultPoints::watch(std::function<void(long n, const std::string& file)> each) {
    counter() = {0, Blow::None, 0, false, std::move(each)};
}

long FaultPoints::seen() {
    return counter().seen;
}

bool FaultPoints::fired() {
    return counter().fired;
}

bool FaultPoints::hit(const std::string& file) {
    Counter& c = counter();
    const long at = ++c.seen;
    if (c.watcher) c.watcher(at, file);
    if (c.how == Blow::None || c.n <= 0 || at < c.n) return false;
    if (at > c.n && c.how != Blow::FailLater) return false;
    if (c.how == Blow::Kill) std::raise(SIGKILL);
    c.fired = true;
    return true;
}

void installFaultPoints() {
    static const bool installed = [] {
        installSqliteShim();
        installCopySteps();
        return true;
    }();
    (void)installed;
}

namespace {
// At start-up, so that the engine's own file layer, made on its first use, wraps the shim.
const bool installedAtStart = (installFaultPoints(), true);
} // namespace

} // namespace faults
