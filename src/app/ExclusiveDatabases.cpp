#include "app/ExclusiveDatabases.h"

#include "app/DatabaseErrors.h"
#include "app/DatabaseHandles.h"
#include "app/FileNames.h"
#include "app/frmSysAdmin.h"
#include "engine/EngineErrors.h"

#include <filesystem>

namespace app {

namespace {

std::string databaseNotOpened(const std::string& path, int number, const std::string& text,
                              std::string_view consequence) {
    return "The database " + path + " could not be opened." + std::string(kCrLf) + "Error " +
           std::to_string(number) + ": " + text + std::string(kCrLf) + std::string(consequence);
}

} // namespace

bool DatabaseOpenError::inUse() const {
    return isBusyError(number()) || number() == engine::err::TableInUse;
}

engine::DatabasePtr openExclusive(const std::string& path, std::string_view connect) {
    try {
        return defaultWorkspace().OpenDatabase(path, true, false, std::string(connect));
    } catch (const runtime::Error& e) {
        throw DatabaseOpenError(path, e);
    }
}

engine::DatabasePtr openSystemDbExclusive() {
    return openExclusive(SysAdminDbPath, kSysDbConnect);
}

std::string holdExclusively(const std::vector<std::string>& paths, FileHolds& holds) {
    for (const std::string& path : paths) {
        std::error_code ec;
        const auto canonical = std::filesystem::canonical(path, ec);
        if (ec) continue; // no file there yet: nobody can hold it
        try {
            holds.push_back(engine::FileLock::acquire(canonical.string(), true));
        } catch (const runtime::Error&) {
            return path;
        }
    }
    return {};
}

std::string openFailureMessage(const DatabaseOpenError& e, std::string_view consequence) {
    if (e.inUse()) return databaseInUse(e.path(), consequence);
    return databaseNotOpened(e.path(), e.number(), e.text(), consequence);
}

std::string databaseInUse(const std::string& path, std::string_view consequence) {
    return "The database " + path + " is open on another workstation." + std::string(kCrLf) +
           "Close Quolby on every workstation and try again." + std::string(kCrLf) +
           std::string(consequence);
}

} // namespace app
