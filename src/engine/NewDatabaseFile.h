#pragma once

#include "engine/FileLock.h"

#include <memory>
#include <string>

namespace engine {

// A new file that appears under its name only complete: it is built under a temporary
// name beside the target ("<target>.creating-<n>"), flushed, and then given the target's
// name in one step that never replaces a file. A process killed while building leaves only
// the temporary file, which the next creation of that target removes (a file still being
// built is held by its builder and left alone).
class NewDatabaseFile {
public:
    // Makes the temporary file (mode 0666 less the umask). Raises 3051 where the folder
    // may not be written, 3043 on other failures.
    explicit NewDatabaseFile(std::string target);
    // Removes the temporary file unless it was placed.
    ~NewDatabaseFile();
    NewDatabaseFile(const NewDatabaseFile&) = delete;
    NewDatabaseFile& operator=(const NewDatabaseFile&) = delete;

    const std::string& tempPath() const { return temp_; }
    // Flushes the temporary file, gives it the target's name and flushes the folder.
    // Raises 3204 when a file of that name appeared meanwhile (which stays as it is).
    // Nothing of this process may have the temporary file open any more.
    void place();

private:
    std::string target_;
    std::string temp_;
    std::shared_ptr<FileLock> building_; // marks the temporary file as in use
    bool placed_ = false;
};

} // namespace engine
