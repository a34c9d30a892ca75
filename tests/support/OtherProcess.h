#pragma once

#include "engine/Dao.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>

namespace support {

// An unprivileged user for processes of "another user" (tests run as root).
inline constexpr uid_t kNobody = 65534;

// Another process, such as another workstation: it takes a hold on a file and keeps it
// until told to go (release, or the object going), until it is killed, or (holdFor > 0)
// until that time has passed. Meanwhile it may do work on its hold over and over.
class OtherProcess {
public:
    // What the process takes and keeps: an open database, a lock ... Its error (a
    // runtime::Error) is reported back.
    using Take = std::function<std::shared_ptr<void>()>;
    using Work = std::function<void(void* held)>;
    using DatabaseWork = std::function<void(engine::Database&)>;

    // Opens the database through the engine, shared or exclusive, and keeps it open.
    OtherProcess(const std::string& path, bool exclusive, const std::string& connect = "",
                 DatabaseWork work = {});
    explicit OtherProcess(const Take& take, std::chrono::milliseconds holdFor = {},
                          const Work& work = {});
    ~OtherProcess() { release(); }
    OtherProcess(const OtherProcess&) = delete;
    OtherProcess& operator=(const OtherProcess&) = delete;

    // Only the lock an open leaves on a file, for a file the engine could not open (a
    // damaged one) or a test of the lock itself.
    static Take lockOnly(const std::string& path, bool exclusive);
    // `take` done as another user of the computer (and its group), as that user's program
    // would; -1 is its error when the process cannot become the user.
    static Take asUser(uid_t user, Take take);

    // The number of the error that taking the hold raised; 0 when it holds.
    int error() const { return error_; }
    bool acquired() const { return error_ == 0; }

    // Lets the process go and waits until it has.
    void release();
    // Ends the process without a chance to let go of anything.
    void kill();

private:
    void reap();

    pid_t pid_ = -1;
    int goFd_ = -1;
    int error_ = -1;
};

} // namespace support
