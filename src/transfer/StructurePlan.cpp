#include "transfer/StructurePlan.h"

namespace transfer {

CopyPlan planFromStructure(const schema::TableSpec& table, std::string_view clientColumn,
                           const ColumnChoice& choose) {
    CopyPlan plan{
        .target = table.name, .source = table.name, .clientColumn = std::string(clientColumn)};
    for (const schema::FieldSpec& f : schema::createdFields(table)) {
        if (f.name == schema::InUseField) continue;
        if (f.name == clientColumn) {
            plan.columns.push_back(
                {.target = std::string(clientColumn), .from = ColumnCopy::From::ClientNumber});
        } else if (std::optional<ColumnCopy> c = choose(f.name)) {
            plan.columns.push_back(std::move(*c));
        }
    }
    return plan;
}

} // namespace transfer
