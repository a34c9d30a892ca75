#include "engine/FileLock.h"

#include "engine/EngineErrors.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <pthread.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace engine {

// One per file this process holds: the lock file's descriptor and how many holders of
// each mode this process has.
struct FileLock::Entry {
    std::string lockPath;
    int fd = -1; // -1: the hold only counts inside this process
    bool lockedExclusive = false;
    int sharedHolders = 0;
    int exclusiveHolders = 0;
};

namespace {

std::mutex gMutex;
// Never destroyed: a handle kept in another static object may release its lock while
// the program exits, after statics made later than it are gone.
std::map<std::string, std::shared_ptr<FileLock::Entry>>& registry() {
    static auto* entries = new std::map<std::string, std::shared_ptr<FileLock::Entry>>;
    return *entries;
}

// A forked child holds none of its parent's files: it starts with an empty registry and
// without the parent's descriptors (closing them leaves the parent's locks in place).
void beforeFork() {
    gMutex.lock();
}
void afterForkInParent() {
    gMutex.unlock();
}
void afterForkInChild() {
    for (auto& [path, entry] : registry()) {
        if (entry->fd >= 0) close(entry->fd);
        entry->fd = -1;
        entry->lockedExclusive = false;
    }
    registry().clear();
    gMutex.unlock();
}

bool setLock(int fd, short type) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0; // the whole file
    return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

// Whether another process holds a lock on fd that a lock of `type` would conflict with.
bool conflictingLockExists(int fd, short type) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    if (fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
    return fl.l_type != F_UNLCK;
}

bool sameFile(int fd, const std::string& path) {
    struct stat opened {
    }, named{};
    if (fstat(fd, &opened) != 0 || stat(path.c_str(), &named) != 0) return false;
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

enum class Attempt { Locked, Held, LocalOnly };

// One try, without waiting. On Locked, entry.fd holds the lock.
Attempt tryLock(FileLock::Entry& entry, const std::string& path, bool exclusive) {
    const short type = exclusive ? F_WRLCK : F_RDLCK;
    for (;;) {
        int fd = open(entry.lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int e = errno;
            if (e == ENOENT || e == ENOTDIR || e == ENAMETOOLONG)
                raiseEngine(err::InvalidPath, path);
            if (e != EACCES && e != EROFS && e != EPERM) raiseEngine(err::DiskOrNetworkError);
            // No lock file can be made here: nobody else can leave one either, but an
            // existing one is still honoured.
            fd = open(entry.lockPath.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) return Attempt::LocalOnly;
            const bool conflict = conflictingLockExists(fd, type);
            close(fd);
            return conflict ? Attempt::Held : Attempt::LocalOnly;
        }
        if (!setLock(fd, type)) {
            const int e = errno;
            close(fd);
            if (e == EAGAIN || e == EACCES) return Attempt::Held;
            return Attempt::LocalOnly; // the file system keeps no such locks
        }
        // A holder that let go may have removed the file between our open and our lock:
        // then we locked a file nobody else will see, so start again.
        if (!sameFile(fd, entry.lockPath)) {
            close(fd);
            continue;
        }
        entry.fd = fd;
        entry.lockedExclusive = exclusive;
        return Attempt::Locked;
    }
}

void releaseFile(FileLock::Entry& entry) {
    if (entry.fd < 0) return;
    // Leave no lock file behind when no other process holds it. Only a holder of the
    // write lock removes the file, so it is still the one at lockPath.
    if (setLock(entry.fd, F_WRLCK)) unlink(entry.lockPath.c_str());
    close(entry.fd);
    entry.fd = -1;
}

} // namespace

std::string FileLock::lockFilePath(const std::string& canonicalPath) {
    return canonicalPath + ".lck";
}

std::shared_ptr<FileLock> FileLock::acquire(const std::string& canonicalPath, bool exclusive,
                                            std::chrono::milliseconds wait) {
    static const bool forkHandled =
        pthread_atfork(beforeFork, afterForkInParent, afterForkInChild) == 0;
    (void)forkHandled;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        {
            std::lock_guard guard(gMutex);
            auto& entries = registry();
            auto it = entries.find(canonicalPath);
            if (it != entries.end()) {
                // Already held by this process: never refused. Try to make the hold
                // exclusive for other processes too, but do not wait for it.
                Entry& entry = *it->second;
                if (exclusive && entry.fd >= 0 && !entry.lockedExclusive &&
                    setLock(entry.fd, F_WRLCK))
                    entry.lockedExclusive = true;
                (exclusive ? entry.exclusiveHolders : entry.sharedHolders)++;
                return std::shared_ptr<FileLock>(
                    new FileLock(canonicalPath, exclusive, it->second));
            }
            auto entry = std::make_shared<Entry>();
            entry->lockPath = lockFilePath(canonicalPath);
            if (tryLock(*entry, canonicalPath, exclusive) != Attempt::Held) {
                (exclusive ? entry->exclusiveHolders : entry->sharedHolders)++;
                entries.emplace(canonicalPath, entry);
                return std::shared_ptr<FileLock>(new FileLock(canonicalPath, exclusive, entry));
            }
        }
        if (std::chrono::steady_clock::now() >= deadline)
            raiseEngine(err::FileInUse, canonicalPath);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

FileLock::FileLock(std::string path, bool exclusive, std::shared_ptr<Entry> entry)
    : path_(std::move(path)), exclusive_(exclusive), entry_(std::move(entry)) {}

FileLock::~FileLock() {
    std::lock_guard guard(gMutex);
    Entry& entry = *entry_;
    (exclusive_ ? entry.exclusiveHolders : entry.sharedHolders)--;
    if (entry.sharedHolders + entry.exclusiveHolders == 0) {
        releaseFile(entry);
        auto it = registry().find(path_);
        if (it != registry().end() && it->second == entry_) registry().erase(it);
    } else if (entry.exclusiveHolders == 0 && entry.lockedExclusive && entry.fd >= 0) {
        // Only shared holders are left: let other processes share the file again.
        if (setLock(entry.fd, F_RDLCK)) entry.lockedExclusive = false;
    }
}

} // namespace engine
