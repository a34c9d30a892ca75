#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace engine {

// A shared or exclusive hold on a database file, visible to other processes.
//
// The lock lives on "<path>.lck" beside the database (never on the database file itself,
// where SQLite keeps its own locks), as an open-file-description lock, so it dies with
// the process that holds it. Inside this process a file that is already held can always
// be acquired again, whatever the modes: the program must never lock itself out. The
// process lets go of the file when its last FileLock is destroyed.
class FileLock {
public:
    // How long acquire keeps retrying a lock held by another process before giving up.
    static constexpr std::chrono::milliseconds kDefaultWait{400};

    // canonicalPath: the database file's path as the engine names it (one spelling per
    // file). Throws runtime::Error 3045 (detail: the path) when another process holds the
    // file in a conflicting way (an exclusive hold against any other), after waiting.
    // Where no lock file can be made (read-only folder or medium), the hold only counts
    // inside this process. A missing folder raises 3044.
    static std::shared_ptr<FileLock> acquire(const std::string& canonicalPath, bool exclusive,
                                             std::chrono::milliseconds wait = kDefaultWait);

    // The lock file's name for a database path.
    static std::string lockFilePath(const std::string& canonicalPath);

    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    const std::string& path() const noexcept { return path_; }
    bool exclusive() const noexcept { return exclusive_; }

    struct Entry; // this process's hold on one file (FileLock.cpp)

private:
    FileLock(std::string path, bool exclusive, std::shared_ptr<Entry> entry);

    std::string path_;
    bool exclusive_;
    std::shared_ptr<Entry> entry_;
};

} // namespace engine
