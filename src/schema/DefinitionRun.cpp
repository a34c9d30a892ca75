#include "schema/DefinitionRun.h"

#include "schema/StructureHelpers.h"

#include <string>

namespace schema::detail {

void FileTransaction::begin() {
    engine::Workspace* ws = CurWorkspace();
    if (transaction_ || !ws || !CurDB()) return;
    transaction_.emplace(*ws);
}

void FileTransaction::commit() {
    finishTable();
    if (!transaction_) return;
    transaction_->commit();
    transaction_.reset();
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
