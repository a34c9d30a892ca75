#pragma once

// Opening the databases this area works on for exclusive use, and saying clearly which
// one could not be opened.

#include "engine/Dao.h"
#include "runtime/Error.h"

#include <string>
#include <string_view>
#include <vector>

namespace clearing {

// The connect string of every open of the system database.
inline constexpr std::string_view kSysDbConnect = ";pwd=tevo";

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

// The message for a failed open, ending in `consequence`.
std::string openFailureMessage(const DatabaseOpenError& e, std::string_view consequence);

} // namespace clearing
