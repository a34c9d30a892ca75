#include "transfer/CopyPlan.h"

#include <charconv>

namespace transfer {

namespace {

std::string bracket(const std::string& name) {
    return "[" + name + "]";
}

// A constant in the form SQL reads whatever the locale.
std::string numberText(double value) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end);
}

} // namespace

ClientCopyStatement clientCopyStatement(const CopyPlan& plan, const std::string& targetPath,
                                        double sourceNumber, double targetNumber) {
    ClientCopyStatement out;
    out.parameters.emplace_back(targetPath);
    std::string targets, values;
    for (const ColumnCopy& c : plan.columns) {
        const std::string comma = targets.empty() ? "" : ", ";
        targets += comma + bracket(c.target);
        values += comma;
        switch (c.from) {
        case ColumnCopy::From::Column:
            values += bracket(plan.source) + "." + bracket(c.source);
            break;
        case ColumnCopy::From::Constant:
            values += numberText(c.constant);
            break;
        case ColumnCopy::From::ClientNumber:
            values += "?";
            out.parameters.emplace_back(targetNumber);
            break;
        }
    }
    const std::string source = bracket(plan.source);
    out.sql = "INSERT INTO " + bracket(plan.target) + " (" + targets + ") IN ? SELECT " + values +
              " FROM " + source + " WHERE " + source + "." + bracket(plan.clientColumn) + " = ?";
    out.parameters.emplace_back(sourceNumber);
    for (std::size_t i = 0; i < plan.orderBy.size(); ++i)
        out.sql += (i ? ", " : " ORDER BY ") + source + "." + bracket(plan.orderBy[i]);
    return out;
}

} // namespace transfer
