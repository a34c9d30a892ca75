#include "engine/FileLock.h"

#include "engine/EngineErrors.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <pthread.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace engine {

// One per file this process holds or pins: the descriptor the hold lives on and how many
// holders of each mode and pins this process has.
struct FileLock::Entry {
    int fd = -1; // open while the entry lives, once opening succeeded
    bool writable = false;
    short held = F_UNLCK; // the lock other processes see
    int sharedHolders = 0;
    int exclusiveHolders = 0;
    int pins = 0;
    // Descriptors of a file that another was renamed over while SQLite of this process
    // may still have it open: closed only when the entry goes.
    std::vector<int> retired;

    int holders() const { return sharedHolders + exclusiveHolders; }
};

namespace {

// The byte the hold lives on: past the bytes SQLite locks (0x40000000 to 0x400001FF), and
// like them never read or written by SQLite.
constexpr off_t kLockByte = 0x40000400;

std::mutex gMutex;
// Never destroyed: a handle kept in another static object may release its lock while
// the program exits, after statics made later than it are gone.
std::map<std::string, std::shared_ptr<FileLock::Entry>>& registry() {
    static auto* entries = new std::map<std::string, std::shared_ptr<FileLock::Entry>>;
    return *entries;
}

void closeDescriptors(FileLock::Entry& entry) {
    if (entry.fd >= 0) close(entry.fd);
    for (int fd : entry.retired)
        close(fd);
    entry.fd = -1;
    entry.retired.clear();
    entry.held = F_UNLCK;
}

// A forked child holds none of its parent's files: it starts with an empty registry and
// without the parent's descriptors (closing its copies leaves the parent's locks in place).
void beforeFork() {
    gMutex.lock();
}
void afterForkInParent() {
    gMutex.unlock();
}
void afterForkInChild() {
    for (auto& [path, entry] : registry())
        closeDescriptors(*entry);
    registry().clear();
    gMutex.unlock();
}

void handleForks() {
    static const bool handled =
        pthread_atfork(beforeFork, afterForkInParent, afterForkInChild) == 0;
    (void)handled;
}

bool setLock(int fd, short type) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = kLockByte;
    fl.l_len = 1;
    return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

bool sameFile(int fd, const std::string& path) {
    struct stat opened {
    }, named{};
    if (fstat(fd, &opened) != 0 || stat(path.c_str(), &named) != 0) return false;
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// Opens the file for the entry, for writing where this user may. Gives errno, 0 on success.
int openFile(FileLock::Entry& entry, const std::string& path) {
    entry.fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    entry.writable = entry.fd >= 0;
    if (entry.fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS))
        entry.fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return entry.fd >= 0 ? 0 : errno;
}

[[noreturn]] void raiseOpenFailure(int error, const std::string& path) {
    std::error_code ec;
    if (error == ENOENT &&
        std::filesystem::is_directory(std::filesystem::path(path).parent_path(), ec))
        raiseEngine(err::FileNotFound, path);
    if (error == ENOENT || error == ENOTDIR || error == ENAMETOOLONG)
        raiseEngine(err::InvalidPath, path);
    if (error == EACCES || error == EPERM) raiseEngine(err::CouldNotOpenFile, path);
    raiseEngine(err::DiskOrNetworkError);
}

// Lets go of the descriptor; one that SQLite of this process may share the file with is
// kept until the entry goes.
void retireDescriptor(FileLock::Entry& entry) {
    if (entry.pins > 0)
        entry.retired.push_back(entry.fd);
    else
        close(entry.fd);
    entry.fd = -1;
    entry.writable = false;
}

// One try, without waiting: true when the entry now holds the file for other processes,
// false when another process holds it in a conflicting way.
bool tryLock(FileLock::Entry& entry, const std::string& path, bool exclusive) {
    const short type = exclusive ? F_WRLCK : F_RDLCK;
    for (;;) {
        if (entry.fd < 0)
            if (const int error = openFile(entry, path)) raiseOpenFailure(error, path);
        if (exclusive && !entry.writable) raiseEngine(err::CouldNotOpenFile, path);
        if (!setLock(entry.fd, type)) {
            if (errno == EAGAIN || errno == EACCES) return false;
            raiseEngine(err::CouldNotOpenFile, path); // the file system keeps no such locks
        }
        // A restore or repair may have renamed a new file into place after we opened the
        // old one: a hold on that one keeps nobody out.
        if (sameFile(entry.fd, path)) {
            entry.held = type;
            return true;
        }
        setLock(entry.fd, F_UNLCK);
        retireDescriptor(entry);
    }
}

// Drops the entry once nothing of this process holds or pins the file.
void forgetIfUnused(const std::string& path, const std::shared_ptr<FileLock::Entry>& entry) {
    if (entry->holders() > 0 || entry->pins > 0) return;
    closeDescriptors(*entry);
    const auto it = registry().find(path);
    if (it != registry().end() && it->second == entry) registry().erase(it);
}

std::shared_ptr<FileLock::Entry>& entryFor(const std::string& path) {
    auto& slot = registry()[path];
    if (!slot) slot = std::make_shared<FileLock::Entry>();
    return slot;
}

struct PinHold {
    PinHold(std::string p, std::shared_ptr<FileLock::Entry> e)
        : path(std::move(p)), entry(std::move(e)) {}
    PinHold(const PinHold&) = delete;
    PinHold& operator=(const PinHold&) = delete;
    std::string path;
    std::shared_ptr<FileLock::Entry> entry;
    ~PinHold() {
        std::lock_guard guard(gMutex);
        --entry->pins;
        forgetIfUnused(path, entry);
    }
};

} // namespace

std::shared_ptr<FileLock> FileLock::acquire(const std::string& canonicalPath, bool exclusive,
                                            std::chrono::milliseconds wait) {
    handleForks();
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        {
            std::lock_guard guard(gMutex);
            const std::shared_ptr<Entry> entry = entryFor(canonicalPath);
            bool granted = entry->holders() > 0;
            if (granted) {
                // Already held by this process: never refused. Try to make the hold
                // exclusive for other processes too, but do not wait for it.
                if (exclusive && entry->held != F_WRLCK && entry->writable &&
                    setLock(entry->fd, F_WRLCK))
                    entry->held = F_WRLCK;
            } else {
                try {
                    granted = tryLock(*entry, canonicalPath, exclusive);
                } catch (...) {
                    forgetIfUnused(canonicalPath, entry);
                    throw;
                }
            }
            if (granted) {
                (exclusive ? entry->exclusiveHolders : entry->sharedHolders)++;
                return std::shared_ptr<FileLock>(new FileLock(canonicalPath, exclusive, entry));
            }
            forgetIfUnused(canonicalPath, entry);
        }
        if (std::chrono::steady_clock::now() >= deadline)
            raiseEngine(err::FileInUse, canonicalPath);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

FileLock::Pin FileLock::pin(const std::string& canonicalPath) {
    handleForks();
    std::lock_guard guard(gMutex);
    const std::shared_ptr<Entry> entry = entryFor(canonicalPath);
    ++entry->pins;
    if (entry->fd < 0) openFile(*entry, canonicalPath); // nothing to keep open otherwise
    return std::make_shared<PinHold>(canonicalPath, entry);
}

FileLock::FileLock(std::string path, bool exclusive, std::shared_ptr<Entry> entry)
    : path_(std::move(path)), exclusive_(exclusive), entry_(std::move(entry)) {}

FileLock::~FileLock() {
    std::lock_guard guard(gMutex);
    Entry& entry = *entry_;
    (exclusive_ ? entry.exclusiveHolders : entry.sharedHolders)--;
    if (entry.fd < 0) return; // a forked child's copy
    if (entry.holders() == 0) {
        setLock(entry.fd, F_UNLCK);
        entry.held = F_UNLCK;
        forgetIfUnused(path_, entry_);
    } else if (entry.exclusiveHolders == 0 && entry.held == F_WRLCK) {
        // Only shared holders are left: let other processes share the file again.
        if (setLock(entry.fd, F_RDLCK)) entry.held = F_RDLCK;
    }
}

} // namespace engine
