#include "engine/SnapshotCopy.h"

#include "engine/DaoInternal.h"
#include "engine/EngineErrors.h"
#include "engine/FileLock.h"
#include "runtime/FileOps.h"
#include "runtime/Paths.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>
#include <vector>

namespace engine {

namespace {

struct Connection {
    sqlite3* db = nullptr;
    ~Connection() {
        if (db) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close_v2(db);
        }
    }
};

struct TempFile {
    std::string path;
    int fd = -1;
    bool keep = false;
    ~TempFile() {
        if (fd >= 0) ::close(fd);
        if (!keep) ::unlink(path.c_str());
    }
};

[[noreturn]] void raiseSqlite(int rc, const std::string& path) {
    switch (rc & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        raiseEngine(err::UnrecognizedFormat, path);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        raiseEngine(err::Locked, path);
    case SQLITE_IOERR:
        throw runtime::Error(runtime::err::DeviceIOError);
    default:
        throw runtime::Error(runtime::err::PermissionDenied);
    }
}

void writeAll(int fd, const char* data, std::size_t size, const std::string& path) {
    using runtime::FileOpsHooks;
    if (int fault = FileOpsHooks::copyStepFault(FileOpsHooks::CopyStep::Write, path))
        throw runtime::Error(fault);
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw runtime::errnoToError(errno, path);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

// A file's data and size reach the medium before the call returns.
void flushFile(int fd, const std::string& path) {
    using runtime::FileOpsHooks;
    if (int fault = FileOpsHooks::copyStepFault(FileOpsHooks::CopyStep::Sync, path))
        throw runtime::Error(fault);
    while (::fsync(fd) != 0)
        if (errno != EINTR) throw runtime::errnoToError(errno, path);
}

// The folder holds the name the copy was renamed to. A file system that cannot flush a
// folder (EINVAL) keeps names durably without being asked.
void flushFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw runtime::errnoToError(errno, folder);
    const int synced = ::fsync(fd);
    const int syncError = errno;
    ::close(fd);
    if (synced != 0 && syncError != EINVAL && syncError != ENOTSUP)
        throw runtime::errnoToError(syncError, folder);
}

[[noreturn]] void refuseTarget(const std::string& path) {
    throw runtime::Error(runtime::err::PermissionDenied,
                         runtime::runtimeErrorText(runtime::err::PermissionDenied) + ": " + path);
}

} // namespace

void copyDatabaseSnapshot(const std::string& sourcePath, const std::string& targetPath) {
    const std::string src = runtime::resolveCase(sourcePath);
    if (!runtime::fileExists(src)) throw runtime::Error(runtime::err::FileNotFound);
    const detail::ResolvedPath target = detail::resolvePath(targetPath);
    if (!target.folderExists) throw runtime::Error(runtime::err::PathNotFound);
    const std::string& dst = target.path;
    // A file in use, here or by another process, is not replaced under its users; the
    // exclusive hold also keeps others from opening it until the copy is in place.
    std::shared_ptr<FileLock> targetLock;
    if (target.exists) {
        if (DBEngine::instance().isHeld(dst)) refuseTarget(dst);
        try {
            targetLock = FileLock::acquire(dst, true);
        } catch (const runtime::Error&) {
            refuseTarget(dst);
        }
    }

    // Read-write where possible, so that a journal a crashed writer left is rolled back
    // first, as any reader of the file would.
    Connection c;
    int rc =
        sqlite3_open_v2(src.c_str(), &c.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(c.db);
        c.db = nullptr;
        rc = sqlite3_open_v2(src.c_str(), &c.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                             nullptr);
        if (rc != SQLITE_OK) raiseSqlite(rc, src);
    }
    sqlite3_busy_timeout(c.db, 5000);
    rc = sqlite3_exec(c.db, "BEGIN; SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) raiseSqlite(rc, src);

    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(c.db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        !file || !file->pMethods)
        throw runtime::Error(runtime::err::PermissionDenied);
    sqlite3_int64 size = 0;
    if (file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        throw runtime::Error(runtime::err::DeviceIOError);

    TempFile out{dst + ".copying"};
    out.fd = ::open(out.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out.fd < 0) {
        out.keep = true; // nothing was made
        throw runtime::errnoToError(errno, out.path);
    }
    std::vector<char> buffer(4 << 20);
    for (sqlite3_int64 offset = 0; offset < size;) {
        const int n = static_cast<int>(
            std::min<sqlite3_int64>(static_cast<sqlite3_int64>(buffer.size()), size - offset));
        if (file->pMethods->xRead(file, buffer.data(), n, offset) != SQLITE_OK)
            throw runtime::Error(runtime::err::DeviceIOError);
        writeAll(out.fd, buffer.data(), static_cast<std::size_t>(n), out.path);
        offset += n;
    }
    // Every byte is read: writers may go on while the copy is flushed.
    sqlite3_exec(c.db, "COMMIT", nullptr, nullptr, nullptr);

    // On the medium before it takes the target's name: a crash can then leave the old
    // target or the whole copy under that name, never a name without its data.
    flushFile(out.fd, out.path);
    const int closed = ::close(out.fd);
    out.fd = -1;
    if (closed != 0) throw runtime::errnoToError(errno, out.path);

    if (::rename(out.path.c_str(), dst.c_str()) != 0) throw runtime::errnoToError(errno, dst);
    out.keep = true;
    flushFolder(runtime::folderOf(dst));
}

} // namespace engine
