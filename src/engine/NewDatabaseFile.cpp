#include "engine/NewDatabaseFile.h"

#include "engine/EngineErrors.h"
#include "runtime/Error.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace fs = std::filesystem;

namespace engine {

namespace {

constexpr const char* kTempMarker = ".creating-";

[[noreturn]] void raiseFileError(int error, const std::string& path) {
    if (error == EACCES || error == EPERM || error == EROFS)
        raiseEngine(err::CouldNotOpenFile, path);
    raiseEngine(err::DiskOrNetworkError);
}

// Temporary files of creations of this target whose builder is gone.
void removeLeftovers(const std::string& target) {
    const fs::path t(target);
    const std::string prefix = t.filename().string() + kTempMarker;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(t.parent_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) != 0) continue;
        try {
            const auto hold = FileLock::acquire(entry.path().string(), true, {});
            fs::remove(entry.path(), ec);
        } catch (const runtime::Error&) {
            // Still being built, or not ours to remove.
        }
    }
}

void flush(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) raiseFileError(errno, path);
    int rc;
    while ((rc = ::fsync(fd)) != 0 && errno == EINTR) {
    }
    const int error = errno;
    ::close(fd);
    // A file system that cannot flush a folder keeps names durably without being asked.
    if (rc != 0 && !((flags & O_DIRECTORY) && (error == EINVAL || error == ENOTSUP)))
        raiseFileError(error, path);
}

// Renames without ever replacing: false when the target exists.
bool renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST) return false;
    if (errno != EINVAL && errno != ENOSYS) raiseFileError(errno, to);
    // A file system without that rename: a second name, then the first one goes.
    if (::link(from.c_str(), to.c_str()) != 0) {
        if (errno == EEXIST) return false;
        raiseFileError(errno, to);
    }
    ::unlink(from.c_str());
    return true;
}

} // namespace

NewDatabaseFile::NewDatabaseFile(std::string target) : target_(std::move(target)) {
    removeLeftovers(target_);
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_ = target_ + kTempMarker + std::to_string(getpid()) + "-" + std::to_string(random());
        const int fd = ::open(temp_.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            const int error = errno;
            temp_.clear();
            raiseFileError(error, target_);
        }
        ::close(fd);
        try {
            // Another creation may take it for a leftover between the open and the hold:
            // then it is gone (3024) and another name is tried.
            building_ = FileLock::acquire(temp_, true, {});
            return;
        } catch (const runtime::Error&) {
            ::unlink(temp_.c_str());
        }
    }
    temp_.clear();
    raiseEngine(err::DiskOrNetworkError);
}

NewDatabaseFile::~NewDatabaseFile() {
    if (!placed_ && !temp_.empty()) {
        ::unlink(temp_.c_str());
        ::unlink((temp_ + "-journal").c_str());
    }
}

void NewDatabaseFile::place() {
    flush(temp_, O_RDONLY);
    if (!renameNoReplace(temp_, target_)) raiseEngine(err::DatabaseAlreadyExists);
    placed_ = true;
    building_.reset();
    flush(fs::path(target_).parent_path().string(), O_RDONLY | O_DIRECTORY);
}

} // namespace engine
