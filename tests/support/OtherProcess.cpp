#include "support/OtherProcess.h"

#include "engine/FileLock.h"
#include "runtime/Error.h"
#include "support/GoEnds.h"

#include <csignal>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace support {

namespace {

// The child: takes its hold, reports the error number (0: none), then works or waits
// until the parent closes its end of `go` or the time is up.
[[noreturn]] void runChild(const OtherProcess::Take& take, std::chrono::milliseconds holdFor,
                           const OtherProcess::Work& work, int statusFd, int goFd) {
    int number = -1;
    std::shared_ptr<void> held;
    try {
        held = take();
        number = 0;
    } catch (const runtime::Error& e) {
        number = e.number();
    } catch (...) {
    }
    (void)!write(statusFd, &number, sizeof number);
    if (number == 0) {
        const auto until = std::chrono::steady_clock::now() + holdFor;
        pollfd released{goFd, POLLIN, 0};
        // The parent closing its end makes the pipe readable.
        while (work && poll(&released, 1, 0) == 0)
            work(held.get());
        if (holdFor.count() > 0)
            while (std::chrono::steady_clock::now() < until && poll(&released, 1, 5) == 0) {
            }
        else {
            char c;
            (void)!read(goFd, &c, 1);
        }
    }
    held.reset();
    _exit(0);
}

} // namespace

OtherProcess::OtherProcess(const std::string& path, bool exclusive, const std::string& connect,
                           DatabaseWork work)
    : OtherProcess(
          [&] {
              return std::shared_ptr<void>(engine::DBEngine::instance().Workspaces(0).OpenDatabase(
                  path, exclusive, false, connect));
          },
          {},
          work ? Work([&work](void* db) { work(*static_cast<engine::Database*>(db)); }) : Work()) {}

OtherProcess::OtherProcess(const Take& take, std::chrono::milliseconds holdFor, const Work& work) {
    int status[2], go[2];
    if (pipe(status) != 0 || pipe(go) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
        close(status[0]);
        close(go[1]);
        closeGoEndsInChild();
        runChild(take, holdFor, work, status[1], go[0]);
    }
    close(status[1]);
    close(go[0]);
    goFd_ = go[1];
    addGoEnd(goFd_);
    if (read(status[0], &error_, sizeof error_) != sizeof error_) error_ = -1;
    close(status[0]);
}

OtherProcess::Take OtherProcess::lockOnly(const std::string& path, bool exclusive) {
    return [path, exclusive] {
        return std::shared_ptr<void>(
            engine::FileLock::acquire(path, exclusive, std::chrono::milliseconds(0)));
    };
}

OtherProcess::Take OtherProcess::asUser(uid_t user, Take take) {
    return [user, take = std::move(take)] {
        if (setgid(static_cast<gid_t>(user)) != 0 || setuid(user) != 0)
            throw runtime::Error(-1, "could not become the user");
        return take();
    };
}

void OtherProcess::release() {
    if (goFd_ >= 0) closeGoEnd(goFd_);
    goFd_ = -1;
    reap();
}

void OtherProcess::kill() {
    if (pid_ > 0) ::kill(pid_, SIGKILL);
    release();
}

void OtherProcess::reap() {
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

} // namespace support
