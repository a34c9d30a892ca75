#include "schema/DefinitionRun.h"

#include "schema/StructureHelpers.h"

#include <string>

namespace schema::detail {

FileTransaction::~FileTransaction() {
    if (!active_) return;
    try {
        CurWorkspace()->Rollback();
    } catch (...) {
        // Nothing more can be done for the file from a destructor.
    }
}

void FileTransaction::begin() {
    engine::Workspace* ws = CurWorkspace();
    if (active_ || !ws || !CurDB() || ws->inTransaction()) return;
    ws->BeginTrans();
    active_ = true;
}

void FileTransaction::commit() {
    finishTable();
    if (!active_) return;
    CurWorkspace()->CommitTrans();
    active_ = false;
}

void runTables(const std::vector<TableSpec>& tables) {
    for (const TableSpec& table : tables) {
        beginTable(table.name);
        for (const FieldSpec& f : table.fields)
            MakeField(std::string(f.name), static_cast<int>(f.type), f.size, f.special);
        for (const IndexSpec& ix : table.indexes)
            MakeIndex(std::string(ix.name), std::string(ix.fields), 0, 0);
    }
    finishTable();
}

} // namespace schema::detail
