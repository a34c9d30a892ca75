// Files a connection reads attached (DaoInternal.h, Store::attachedSources).

#include "engine/CommitVfs.h"
#include "engine/DaoInternal.h"
#include "engine/FileUri.h"
#include "engine/SqliteValues.h"

#include <algorithm>
#include <sqlite3.h>

namespace engine::detail {

namespace {

// Well within SQLite's limit on attached files; a statement past it reads another way.
constexpr std::size_t kMaxSources = 4;

std::string sourceSchema(std::size_t i) {
    return "__jet_source" + std::to_string(i);
}

} // namespace

std::string Store::attachSource(const std::string& sourcePath) {
    const auto it = std::find(attachedSources.begin(), attachedSources.end(), sourcePath);
    if (it != attachedSources.end())
        return sourceSchema(static_cast<std::size_t>(it - attachedSources.begin()));
    if (attachedSources.size() >= kMaxSources) return {};
    const std::string schema = sourceSchema(attachedSources.size());
    // Read only, and past the commit layer: a commit that holds the source's own file
    // (it being written in the same transaction) must not hold this reader's lock too.
    const std::string uri =
        fileUri(sourcePath) + "?mode=ro&vfs=" + fileUri(baseVfsName()).substr(5);
    StmtUse attach(prepare("ATTACH DATABASE ?1 AS " + schema));
    sqlite3_bind_text(attach, 1, uri.c_str(), static_cast<int>(uri.size()), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(attach);
    if (rc != SQLITE_DONE) raise(rc, sourcePath);
    attachedSources.push_back(sourcePath);
    return schema;
}

void Store::detachSources() {
    // From the last, so that the names of those still attached stay as they are.
    while (!attachedSources.empty()) {
        const std::string detach = "DETACH DATABASE " + sourceSchema(attachedSources.size() - 1);
        if (sqlite3_exec(db, detach.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) return;
        attachedSources.pop_back();
    }
}

} // namespace engine::detail
