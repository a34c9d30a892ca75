#pragma once

// One timed run in a child process of its own, so that its peak memory (max RSS) is its
// own: `work` on a fresh, synced copy of `base` at `copy`.

#include "SyncedCopy.h"

#include <chrono>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bench {

struct ChildRun {
    double seconds = -1; // -1: the work failed
    double megabytes = 0;
};

inline ChildRun inChild(const std::string& base, const std::string& copy,
                        const std::string& lastYear,
                        const std::function<bool(const std::string&, const std::string&)>& work) {
    syncedCopy(base, copy);
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const auto start = std::chrono::steady_clock::now();
        const bool ok = work(copy, lastYear);
        const std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
        const double seconds = ok ? d.count() : -1;
        if (write(fds[1], &seconds, sizeof seconds) != sizeof seconds) _exit(3);
        _exit(0);
    }
    close(fds[1]);
    ChildRun run;
    if (read(fds[0], &run.seconds, sizeof run.seconds) != sizeof run.seconds) run.seconds = -1;
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.megabytes = usage.ru_maxrss / 1024.0;
    return run;
}

} // namespace bench
