#include "qt/SingleCopyLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qtui {

SingleCopyLock::SingleCopyLock(std::string path) : path_(std::move(path)) {}

SingleCopyLock::~SingleCopyLock() {
    if (fd_ >= 0) ::close(fd_); // closing drops the lock; the file may stay
}

bool SingleCopyLock::heldElsewhere() {
    if (fd_ >= 0) return false;
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy;
    }
    fd_ = fd;
    return false;
}

} // namespace qtui
