#include "transfer/CopyPlan.h"

#include "transfer/SqlText.h"

namespace transfer {

ClientCopyStatement clientCopyStatement(const CopyPlan& plan, const std::string& targetPath,
                                        double sourceNumber, double targetNumber) {
    ClientCopyStatement out;
    out.parameters.emplace_back(targetPath);
    std::string targets, values;
    for (const ColumnCopy& c : plan.columns) {
        const std::string comma = targets.empty() ? "" : ", ";
        targets += comma + bracketed(c.target);
        values += comma;
        switch (c.from) {
        case ColumnCopy::From::Column:
            values += bracketed(plan.source) + "." + bracketed(c.source);
            break;
        case ColumnCopy::From::Constant:
            values += exactNumber(c.constant);
            break;
        case ColumnCopy::From::ClientNumber:
            values += "?";
            out.parameters.emplace_back(targetNumber);
            break;
        }
    }
    const std::string source = bracketed(plan.source);
    out.sql = "INSERT INTO " + bracketed(plan.target) + " (" + targets + ") IN ? SELECT " + values +
              " FROM " + source + " WHERE " + source + "." + bracketed(plan.clientColumn) + " = ?";
    out.parameters.emplace_back(sourceNumber);
    for (std::size_t i = 0; i < plan.orderBy.size(); ++i)
        out.sql += (i ? ", " : " ORDER BY ") + source + "." + bracketed(plan.orderBy[i]);
    return out;
}

} // namespace transfer
