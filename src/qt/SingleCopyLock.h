#pragma once

#include <string>

namespace qtui {

// Tells whether another copy of the program runs on this computer: the first copy holds
// an exclusive lock on a lock file that every user can open, which the system drops
// when that process ends, however it ends. Locks belong to the open file, so two locks
// in one process also exclude each other.
class SingleCopyLock {
public:
    explicit SingleCopyLock(std::string path);
    ~SingleCopyLock();
    SingleCopyLock(const SingleCopyLock&) = delete;
    SingleCopyLock& operator=(const SingleCopyLock&) = delete;

    // The lock file every user of the computer shares: in the system's folder for locks
    // when all users may write there, otherwise in /tmp.
    static std::string computerWidePath();

    // Takes the lock when it is free. True when it is held by someone else; false when
    // this object holds it (now or from an earlier call). A lock file that cannot be
    // opened at all counts as no other copy, so that the program still starts.
    bool heldElsewhere();
    bool held() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
};

} // namespace qtui
