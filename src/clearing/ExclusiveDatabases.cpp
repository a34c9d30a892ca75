#include "clearing/ExclusiveDatabases.h"

#include "clearing/Messages.h"
#include "engine/EngineErrors.h"

namespace clearing {

namespace {

engine::Workspace& workspace() {
    return engine::DBEngine::instance().Workspaces(0);
}

} // namespace

bool DatabaseOpenError::inUse() const {
    switch (number()) {
    case engine::err::FileInUse:
    case engine::err::Locked:
    case engine::err::CouldNotLockFile:
    case engine::err::TableInUse:
        return true;
    default:
        return false;
    }
}

engine::DatabasePtr openExclusive(const std::string& path, std::string_view connect) {
    try {
        return workspace().OpenDatabase(path, true, false, std::string(connect));
    } catch (const runtime::Error& e) {
        throw DatabaseOpenError(path, e);
    }
}

std::string openFailureMessage(const DatabaseOpenError& e, std::string_view consequence) {
    if (e.inUse()) return msg::databaseInUse(e.path(), consequence);
    return msg::databaseNotOpened(e.path(), e.number(), e.text(), consequence);
}

} // namespace clearing
