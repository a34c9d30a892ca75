#include "transfer/CopyPlan.h"

#include "transfer/SqlText.h"

namespace transfer {

namespace {

// The two column lists of a plan; a ClientNumber value is `clientValue`.
std::pair<std::string, std::string> columnLists(const CopyPlan& plan,
                                                const std::string& clientValue) {
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
            values += clientValue;
            break;
        case ColumnCopy::From::EmptyText:
            values += "''";
            break;
        }
    }
    return {targets, values};
}

} // namespace

ClientCopyStatement shiftedCopyStatement(const CopyPlan& plan, const std::string& targetPath,
                                         double shift, const std::vector<double>& numbers) {
    const std::string source = bracketed(plan.source);
    const std::string client = source + "." + bracketed(plan.clientColumn);
    const auto [targets, values] = columnLists(plan, client + " + " + exactNumber(shift));
    std::string list;
    for (double n : numbers)
        list += (list.empty() ? "" : ", ") + exactNumber(n);
    ClientCopyStatement out;
    out.parameters = {runtime::Variant(targetPath)};
    out.sql = "INSERT INTO " + bracketed(plan.target) + " (" + targets + ") IN ? SELECT " + values +
              " FROM " + source + " WHERE " + client + " IN (" + list + ")";
    for (std::size_t i = 0; i < plan.orderBy.size(); ++i)
        out.sql += (i ? ", " : " ORDER BY ") + source + "." + bracketed(plan.orderBy[i]);
    return out;
}

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
        case ColumnCopy::From::EmptyText:
            values += "''";
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
