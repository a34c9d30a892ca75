#pragma once

#include "engine/FileLock.h"
#include "runtime/Error.h"

#include <chrono>
#include <memory>
#include <set>
#include <signal.h>
#include <stdexcept>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// An unprivileged user for processes of "another user" (tests run as root).
inline constexpr uid_t kNobody = 65534;

// Another process that takes a hold on a file and keeps it until told to let go, is
// killed, or (holdFor > 0) that time has passed. With asUser it runs as that user (and
// group), as a program of another user of the computer would.
class OtherProcess {
public:
    OtherProcess(const std::string& path, bool exclusive,
                 std::chrono::milliseconds holdFor = std::chrono::milliseconds(0),
                 uid_t asUser = static_cast<uid_t>(-1)) {
        int status[2], go[2];
        if (pipe(status) != 0 || pipe(go) != 0) throw std::runtime_error("pipe");
        pid_ = fork();
        if (pid_ < 0) throw std::runtime_error("fork");
        if (pid_ == 0) {
            close(status[0]);
            close(go[1]);
            // The other processes' ends, so that each sees its own parent let go.
            for (int fd : goEnds())
                close(fd);
            int number = -1; // could not become the user
            if (asUser == static_cast<uid_t>(-1) ||
                (setgid(static_cast<gid_t>(asUser)) == 0 && setuid(asUser) == 0)) {
                std::shared_ptr<engine::FileLock> lock;
                try {
                    lock = engine::FileLock::acquire(path, exclusive, std::chrono::milliseconds(0));
                    number = 0;
                } catch (const runtime::Error& e) {
                    number = e.number();
                } catch (...) {
                }
                (void)!write(status[1], &number, sizeof number);
                char answer;
                if (holdFor.count() > 0)
                    usleep(static_cast<useconds_t>(holdFor.count() * 1000));
                else
                    (void)!read(go[0], &answer, 1); // until the parent closes its end
            } else {
                (void)!write(status[1], &number, sizeof number);
            }
            _exit(0);
        }
        close(status[1]);
        close(go[0]);
        goFd_ = go[1];
        goEnds().insert(goFd_);
        if (read(status[0], &number_, sizeof number_) != sizeof number_) number_ = -1;
        close(status[0]);
    }
    ~OtherProcess() { release(); }
    OtherProcess(const OtherProcess&) = delete;
    OtherProcess& operator=(const OtherProcess&) = delete;

    bool acquired() const { return number_ == 0; }
    // 0 when the hold was taken, else the number it was refused with.
    int refusal() const { return number_; }
    void release() {
        if (goFd_ >= 0) {
            goEnds().erase(goFd_);
            close(goFd_);
        }
        goFd_ = -1;
        reap();
    }
    void kill() {
        if (pid_ > 0) ::kill(pid_, SIGKILL);
        reap();
    }

private:
    static std::set<int>& goEnds() {
        static std::set<int> ends;
        return ends;
    }
    void reap() {
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    pid_t pid_ = -1;
    int goFd_ = -1;
    int number_ = -1;
};
