#include "qt/SingleCopyLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qtui {

namespace {

constexpr const char* kLockName = "/quolby-sysadmin.lock";
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;

// The same answer for every user: a folder counts only when all may create files in it.
bool sharedByAllUsers(const char* folder) {
    struct stat st {};
    return ::stat(folder, &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_IWOTH);
}

// Opens the lock file, creating it when missing. A lock needs no more than read access,
// so a file another user made with a narrower mode still works. An existing file is
// opened without O_CREAT: in a sticky folder the system may refuse O_CREAT on a file of
// another user even when its mode would let us read it. Never follows a symbolic link,
// which another user could plant to make us lock or change a file of theirs.
int openLockFile(const char* path) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = ::open(path, kOpenFlags);
        if (fd >= 0 || errno != ENOENT) return fd;
        fd = ::open(path, kOpenFlags | O_CREAT | O_EXCL, 0666);
        if (fd >= 0) {
            // Every user must be able to open it, whatever our umask cut from the mode.
            (void)::fchmod(fd, 0666);
            return fd;
        }
        if (errno != EEXIST) return -1;
        // Another copy made it between our two opens: open theirs.
    }
    return -1;
}

bool isRegularFile(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

SingleCopyLock::SingleCopyLock(std::string path) : path_(std::move(path)) {}

SingleCopyLock::~SingleCopyLock() {
    if (fd_ >= 0) ::close(fd_); // closing drops the lock; the file stays for the next copy
}

std::string SingleCopyLock::computerWidePath() {
    const char* folder = sharedByAllUsers("/var/lock") ? "/var/lock" : "/tmp";
    return std::string(folder) + kLockName;
}

bool SingleCopyLock::heldElsewhere() {
    if (fd_ >= 0) return false;
    const int fd = openLockFile(path_.c_str());
    if (fd < 0) return false;
    if (!isRegularFile(fd)) {
        ::close(fd);
        return false;
    }
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
