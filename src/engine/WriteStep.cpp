#include "engine/WriteStep.h"

#include "engine/DaoInternal.h"

#include <sqlite3.h>

namespace engine::detail {

WriteStep::WriteStep(Store& store) : store_(store) {
    store_.beforeWrite();
    own_ = sqlite3_get_autocommit(store_.db) != 0;
    store_.run(own_ ? "BEGIN IMMEDIATE" : "SAVEPOINT jet_step");
}

WriteStep::~WriteStep() {
    undo();
}

void WriteStep::done() {
    store_.run(own_ ? "COMMIT" : "RELEASE jet_step");
    open_ = false;
}

void WriteStep::undo() {
    if (!open_) return;
    open_ = false;
    if (!own_)
        sqlite3_exec(store_.db, "ROLLBACK TO jet_step; RELEASE jet_step", nullptr, nullptr,
                     nullptr);
    else if (!sqlite3_get_autocommit(store_.db)) // SQLite may have rolled back already
        sqlite3_exec(store_.db, "ROLLBACK", nullptr, nullptr, nullptr);
}

} // namespace engine::detail
