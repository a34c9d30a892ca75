#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace engine {

// A shared or exclusive hold on a database file, visible to every process of every user.
//
// The hold is an open-file-description lock on one byte of the database file itself, far
// beyond the bytes SQLite locks, so it needs nothing beside the file, dies with the process
// that holds it, and anyone who can open the file can take it. Inside this process a file
// that is already held can always be acquired again, whatever the modes: the program must
// never lock itself out. The process lets go of the file when its last FileLock goes.
//
// Closing any descriptor of a file drops the POSIX locks this process holds on it, which
// are SQLite's. So the descriptor behind the hold stays open while anything of this
// process may have the file open in SQLite: such a user keeps a pin (see pin()).
class FileLock {
public:
    // How long acquire keeps retrying a lock held by another process before giving up.
    static constexpr std::chrono::milliseconds kDefaultWait{400};

    // canonicalPath: the database file's path as the engine names it (one spelling per
    // file). Throws runtime::Error 3045 (detail: the path) when another process holds the
    // file in a conflicting way (an exclusive hold against any other), after waiting;
    // 3051 when the file cannot be opened or the hold cannot be had at all (exclusive on
    // a file this user may only read, a file system without locks); 3024 for a missing
    // file and 3044 for a missing folder.
    static std::shared_ptr<FileLock> acquire(const std::string& canonicalPath, bool exclusive,
                                             std::chrono::milliseconds wait = kDefaultWait);

    // Keeps this process's descriptor of the file open (without holding anything) until
    // the pin goes; taken before SQLite opens the file and let go after it closed it.
    using Pin = std::shared_ptr<void>;
    static Pin pin(const std::string& canonicalPath);

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
