#pragma once

// Holding database files for exclusive use, and saying clearly which one could not be
// held.

#include "engine/Dao.h"
#include "engine/FileLock.h"
#include "runtime/Error.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// An exclusive open that failed: the engine's error with the path it was for.
class DatabaseOpenError : public runtime::Error {
public:
    DatabaseOpenError(std::string path, const runtime::Error& cause)
        : runtime::Error(cause.number(), cause.text()), path_(std::move(path)) {}
    const std::string& path() const { return path_; }
    // Another workstation (or program) holds the file.
    bool inUse() const;

private:
    std::string path_;
};

// Opens through the engine's default workspace for exclusive use, read-write. Any
// failure leaves as DatabaseOpenError naming the path.
engine::DatabasePtr openExclusive(const std::string& path, std::string_view connect = {});
// The system database (SysAdminDbPath, with its password), the same way.
engine::DatabasePtr openSystemDbExclusive();

// Holds every existing file of `paths` for exclusive use, without opening it, while its
// hold stays in `holds`, so no workstation reads or writes a file that is being swapped.
// Gives the path of a file another workstation holds, empty when all are held.
using FileHolds = std::vector<std::shared_ptr<engine::FileLock>>;
std::string holdExclusively(const std::vector<std::string>& paths, FileHolds& holds);

// The message for a failed open, ending in `consequence` ("Nothing has been changed.").
std::string openFailureMessage(const DatabaseOpenError& e, std::string_view consequence);
// The message for a file another workstation holds.
std::string databaseInUse(const std::string& path, std::string_view consequence);

} // namespace app
