#pragma once

#include <string>
#include <sys/types.h>

namespace runtime {

// Writes a new version of a file beside it and puts it in place with one rename, so a
// reader never sees half a file and a failure leaves the old file as it was. Errors are
// runtime::Error with the platform's numbers (see errnoToError).
class AtomicFile {
public:
    // Creates the new version beside target, with mode (less the umask).
    explicit AtomicFile(std::string target, mode_t mode = 0666);
    // Discards the new version unless commit() has run.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Removes the new versions of target that a process killed while writing it left
    // beside it; anything else in the folder stays.
    static void removeLeftovers(const std::string& target);

    void write(const char* data, std::size_t size);
    // Flushes the new version to disk and renames it over the target.
    void commit();

private:
    void discard() noexcept;

    std::string target_;
    std::string temp_;
    int fd_ = -1;
    bool committed_ = false;
};

} // namespace runtime
