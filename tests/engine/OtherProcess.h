#pragma once

#include "engine/FileLock.h"

#include <chrono>
#include <memory>
#include <signal.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

// Another process that takes a hold on a file and keeps it until told to let go, is
// killed, or (holdFor > 0) that time has passed.
class OtherProcess {
public:
    OtherProcess(const std::string& path, bool exclusive,
                 std::chrono::milliseconds holdFor = std::chrono::milliseconds(0)) {
        int status[2], go[2];
        if (pipe(status) != 0 || pipe(go) != 0) throw std::runtime_error("pipe");
        pid_ = fork();
        if (pid_ < 0) throw std::runtime_error("fork");
        if (pid_ == 0) {
            close(status[0]);
            close(go[1]);
            char answer = 'N';
            {
                std::shared_ptr<engine::FileLock> lock;
                try {
                    lock = engine::FileLock::acquire(path, exclusive, std::chrono::milliseconds(0));
                    answer = 'Y';
                } catch (...) {
                }
                (void)!write(status[1], &answer, 1);
                if (holdFor.count() > 0)
                    usleep(static_cast<useconds_t>(holdFor.count() * 1000));
                else
                    (void)!read(go[0], &answer, 1); // until the parent closes its end
            }
            _exit(0);
        }
        close(status[1]);
        close(go[0]);
        goFd_ = go[1];
        char answer = 'N';
        if (read(status[0], &answer, 1) != 1) answer = 'N';
        close(status[0]);
        acquired_ = answer == 'Y';
    }
    ~OtherProcess() { release(); }

    bool acquired() const { return acquired_; }
    void release() {
        if (goFd_ >= 0) close(goFd_);
        goFd_ = -1;
        reap();
    }
    void kill() {
        ::kill(pid_, SIGKILL);
        reap();
    }

private:
    void reap() {
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    pid_t pid_ = -1;
    int goFd_ = -1;
    bool acquired_ = false;
};
