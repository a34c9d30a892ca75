// Waiting for the locks other processes hold on a file.

#include "engine/LockWait.h"

#include <random>
#include <sqlite3.h>
#include <thread>
#include <unistd.h>

namespace engine {

namespace {

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds gWait = kLockWait;
Clock::time_point gWaitStarted; // the engine runs on one thread: one wait at a time

// A short nap of uneven length. Another writer lets go of the file only for a moment
// between its statements, so the file is tried often; the unevenness keeps two waiting
// processes from trying in step.
void nap() {
    static std::minstd_rand random(static_cast<unsigned>(::getpid()));
    std::this_thread::sleep_for(std::chrono::microseconds(200 + random() % 800));
}

int onBusy(void*, int count) {
    const Clock::time_point now = Clock::now();
    if (count == 0) gWaitStarted = now;
    if (now - gWaitStarted >= gWait) return 0;
    nap();
    return 1;
}

} // namespace

std::chrono::milliseconds lockWait() {
    return gWait;
}

void setLockWait(std::chrono::milliseconds wait) {
    gWait = wait;
}

namespace detail {

void waitForLocks(sqlite3* db) {
    sqlite3_busy_handler(db, onBusy, nullptr);
}

int stepWrite(sqlite3* db, sqlite3_stmt* statement) {
    const Clock::time_point started = Clock::now();
    for (;;) {
        const int rc = sqlite3_step(statement);
        // Inside a transaction the statement cannot be run again on its own.
        if ((rc & 0xff) != SQLITE_BUSY || !sqlite3_get_autocommit(db) ||
            Clock::now() - started >= gWait)
            return rc;
        sqlite3_reset(statement);
        nap();
    }
}

} // namespace detail

} // namespace engine
