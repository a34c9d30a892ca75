#include "runtime/AtomicFile.h"

#include "runtime/FileOps.h"
#include "runtime/Paths.h"
#include "runtime/Strings.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace runtime {

namespace {

std::atomic<unsigned> tempCounter{0};

void syncFolder(const std::string& file) {
    std::string dir = folderOf(file);
    int fd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return; // the rename itself has succeeded; durability is best effort here
    fsync(fd);
    close(fd);
}

constexpr std::string_view kPart = ".part";

bool allDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

// "<name>.part<pid>-<n>", the name of the target compared without regard to case.
bool isNewVersionOf(const std::string& candidate, const std::string& name) {
    if (candidate.size() <= name.size() + kPart.size()) return false;
    if (!equalsNoCase(std::string_view(candidate).substr(0, name.size()), name)) return false;
    std::string_view rest = std::string_view(candidate).substr(name.size());
    if (rest.substr(0, kPart.size()) != kPart) return false;
    rest.remove_prefix(kPart.size());
    const auto dash = rest.find('-');
    return dash != std::string_view::npos && allDigits(rest.substr(0, dash)) &&
           allDigits(rest.substr(dash + 1));
}

} // namespace

void AtomicFile::removeLeftovers(const std::string& target) {
    const std::string folder = folderOf(target);
    const std::string name = fileNameOf(target);
    std::error_code ec;
    std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        if (!isNewVersionOf(it->path().filename().string(), name)) continue;
        std::error_code ignored; // one that cannot go now goes at a later start
        std::filesystem::remove(it->path(), ignored);
    }
}

AtomicFile::AtomicFile(std::string target, mode_t mode) : target_(std::move(target)) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_ = target_ + std::string(kPart) + std::to_string(getpid()) + "-" +
                std::to_string(tempCounter++);
        fd_ = open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd_ >= 0) return;
        if (errno != EEXIST) break;
    }
    int e = errno;
    temp_.clear();
    throw errnoToError(e, target_);
}

AtomicFile::~AtomicFile() {
    if (!committed_) discard();
}

void AtomicFile::discard() noexcept {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    if (!temp_.empty()) unlink(temp_.c_str());
    temp_.clear();
}

void AtomicFile::write(const char* data, std::size_t size) {
    if (int fault = FileOpsHooks::copyStepFault(FileOpsHooks::CopyStep::Write, target_))
        throw Error(fault);
    while (size > 0) {
        ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw errnoToError(errno, target_);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void AtomicFile::commit() {
    if (int fault = FileOpsHooks::copyStepFault(FileOpsHooks::CopyStep::Sync, target_))
        throw Error(fault);
    if (fsync(fd_) != 0) throw errnoToError(errno, target_);
    int fd = fd_;
    fd_ = -1;
    // close can report a deferred write error on network file systems.
    if (close(fd) != 0) throw errnoToError(errno, target_);
    if (rename(temp_.c_str(), target_.c_str()) != 0) throw errnoToError(errno, target_);
    committed_ = true;
    syncFolder(target_);
}

} // namespace runtime
