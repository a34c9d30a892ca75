#include "runtime/FileOps.h"

#include "runtime/AtomicFile.h"
#include "runtime/Paths.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace runtime {

namespace {

std::mutex faultMutex;

// The fault functions, each in its own slot, swapped and read under the mutex. Made on
// first use: a test may set one while the program's statics are still being made.
template <int Kind, class Fault> Fault& slot() {
    static Fault fault;
    return fault;
}
auto& copyFaultSlot = slot<0, FileOpsHooks::CopyFault>;
auto& renameFaultSlot = slot<1, FileOpsHooks::RenameFault>;
auto& copyStepFaultSlot = slot<2, FileOpsHooks::CopyStepFault>;

template <class Fault> Fault swapFault(Fault& slot, Fault fault) {
    std::lock_guard lock(faultMutex);
    auto previous = std::move(slot);
    slot = std::move(fault);
    return previous;
}

template <class Fault> Fault currentFault(const Fault& slot) {
    std::lock_guard lock(faultMutex);
    return slot;
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return stat(path.empty() ? "." : path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Closes a descriptor on every way out.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) close(fd);
    }
};

} // namespace

int errnoToNumber(int errnum) {
    switch (errnum) {
    case ENOENT:
        return err::FileNotFound;
    case ENOTDIR:
        return err::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY:
        return err::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return err::DiskFull;
    case EIO:
        return err::DeviceIOError;
    case ENODEV:
    case ENXIO:
    // A network share that went away.
    case ENETDOWN:
    case ENETUNREACH:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENOTCONN:
    case ECONNRESET:
    case ECONNABORTED:
    case ECONNREFUSED:
    case ETIMEDOUT:
    case ESTALE:
    case ENOLINK:
    case EREMOTEIO:
        return err::DeviceUnavailable;
    case ENOMEDIUM:
        return err::DiskNotReady;
    case EEXIST:
        return err::FileAlreadyExists;
    case EMFILE:
    case ENFILE:
        return err::TooManyFiles;
    case ENAMETOOLONG:
        return err::BadFileNameOrNumber;
    default:
        return err::PathFileAccessError;
    }
}

Error errnoToError(int errnum, const std::string& path) {
    int number = errnoToNumber(errnum);
    if (errnum == ENOENT && !path.empty() && !isFolder(folderOf(path))) number = err::PathNotFound;
    return Error(number);
}

bool isMediaError(int number) {
    switch (number) {
    case err::DiskNotReady:
    case err::PermissionDenied:
    case err::DeviceUnavailable:
    case err::DeviceIOError:
    case err::DiskFull:
    case err::PathNotFound:
        return true;
    default:
        return false;
    }
}

void FileCopy(const std::string& src, const std::string& dst) {
    std::string from = resolveCase(src);
    std::string to = resolveCase(dst);
    Descriptor in{open(from.c_str(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0) throw errnoToError(errno, from);
    struct stat st {};
    if (fstat(in.fd, &st) != 0) throw errnoToError(errno, from);
    if (!S_ISREG(st.st_mode)) throw Error(err::PathFileAccessError);

    AtomicFile out(to, st.st_mode & 0777);
    std::vector<char> buffer(1 << 20);
    for (;;) {
        ssize_t n = read(in.fd, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            throw errnoToError(errno, from);
        }
        if (n == 0) break;
        out.write(buffer.data(), static_cast<std::size_t>(n));
    }
    if (int fault = FileOpsHooks::copyFault(src, dst)) throw Error(fault);
    out.commit();
}

void Kill(const std::string& path) {
    std::string p = resolveCase(path);
    if (unlink(p.c_str()) != 0) throw errnoToError(errno, p);
}

bool fileExists(const std::string& path) {
    struct stat st {};
    std::string p = resolveCase(path);
    return stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void renameFile(const std::string& src, const std::string& dst) {
    if (int fault = FileOpsHooks::renameFault(src, dst)) throw Error(fault);
    std::string from = resolveCase(src);
    std::string to = resolveCase(dst);
    if (rename(from.c_str(), to.c_str()) == 0) return;
    int e = errno;
    if (e == EXDEV) {
        // Another file system: the copy is still all-or-nothing at the target.
        FileCopy(from, to);
        Kill(from);
        return;
    }
    struct stat st {};
    bool sourceThere = lstat(from.c_str(), &st) == 0;
    throw errnoToError(e, sourceThere ? to : from);
}

bool sameExistingFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

FileOpsHooks::CopyFault FileOpsHooks::setCopyFault(CopyFault fault) {
    return swapFault(copyFaultSlot(), std::move(fault));
}

int FileOpsHooks::copyFault(const std::string& src, const std::string& dst) {
    const CopyFault fault = currentFault(copyFaultSlot());
    return fault ? fault(src, dst) : 0;
}

FileOpsHooks::RenameFault FileOpsHooks::setRenameFault(RenameFault fault) {
    return swapFault(renameFaultSlot(), std::move(fault));
}

int FileOpsHooks::renameFault(const std::string& src, const std::string& dst) {
    const RenameFault fault = currentFault(renameFaultSlot());
    return fault ? fault(src, dst) : 0;
}

FileOpsHooks::CopyStepFault FileOpsHooks::setCopyStepFault(CopyStepFault fault) {
    return swapFault(copyStepFaultSlot(), std::move(fault));
}

int FileOpsHooks::copyStepFault(CopyStep step, const std::string& path) {
    const CopyStepFault fault = currentFault(copyStepFaultSlot());
    return fault ? fault(step, path) : 0;
}

ScopedCopyFault::ScopedCopyFault(FileOpsHooks::CopyFault fault)
    : previous_(FileOpsHooks::setCopyFault(std::move(fault))) {}

ScopedCopyFault::ScopedCopyFault(int number)
    : ScopedCopyFault([number](const std::string&, const std::string&) { return number; }) {}

ScopedCopyFault::~ScopedCopyFault() {
    FileOpsHooks::setCopyFault(std::move(previous_));
}

ScopedRenameFault::ScopedRenameFault(FileOpsHooks::RenameFault fault)
    : previous_(FileOpsHooks::setRenameFault(std::move(fault))) {}

ScopedRenameFault::~ScopedRenameFault() {
    FileOpsHooks::setRenameFault(std::move(previous_));
}

ScopedCopyStepFault::ScopedCopyStepFault(FileOpsHooks::CopyStepFault fault)
    : previous_(FileOpsHooks::setCopyStepFault(std::move(fault))) {}

ScopedCopyStepFault::~ScopedCopyStepFault() {
    FileOpsHooks::setCopyStepFault(std::move(previous_));
}

} // namespace runtime
