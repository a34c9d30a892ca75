#include "transfer/CopyPlan.h"

#include "transfer/SqlText.h"

namespace transfer {

namespace {

// Where the values come from, and what gives the client's number.
struct Source {
    std::string table;       // as read in the statement
    bool staged = false;     // every column read under its target name
    std::string clientValue; // empty: a parameter with the target number
    std::vector<runtime::Variant>* parameters;
    double targetNumber = 0;
};

// "INSERT INTO [t] (...) IN ? SELECT ..." up to, not including, its FROM.
std::string insertHead(const CopyPlan& plan, const Source& s) {
    std::string targets, values;
    for (const ColumnCopy& c : plan.columns) {
        const std::string comma = targets.empty() ? "" : ", ";
        targets += comma + bracketed(c.target);
        values += comma;
        switch (c.from) {
        case ColumnCopy::From::Column:
            values += bracketed(s.table) + "." + bracketed(s.staged ? c.target : c.source);
            break;
        case ColumnCopy::From::Constant:
            values += exactNumber(c.constant);
            break;
        case ColumnCopy::From::ClientNumber:
            if (s.clientValue.empty()) {
                values += "?";
                s.parameters->emplace_back(s.targetNumber);
            } else {
                values += s.clientValue;
            }
            break;
        case ColumnCopy::From::EmptyText:
            values += "''";
            break;
        }
    }
    return "INSERT INTO " + bracketed(plan.target) + " (" + targets + ") IN ? SELECT " + values;
}

std::string orderBy(const CopyPlan& plan, const std::string& table) {
    std::string out;
    for (std::size_t i = 0; i < plan.orderBy.size(); ++i)
        out += (i ? ", " : " ORDER BY ") + bracketed(table) + "." + bracketed(plan.orderBy[i]);
    return out;
}

std::string clientOf(const std::string& table, const std::string& column) {
    return bracketed(table) + "." + bracketed(column);
}

} // namespace

ClientCopyStatement clientCopyStatement(const CopyPlan& plan, const std::string& targetPath,
                                        double sourceNumber, double targetNumber) {
    ClientCopyStatement out;
    out.parameters.emplace_back(targetPath);
    out.sql = insertHead(plan, {plan.source, false, {}, &out.parameters, targetNumber}) + " FROM " +
              bracketed(plan.source) + " WHERE " + clientOf(plan.source, plan.clientColumn) +
              " = ?" + orderBy(plan, plan.source);
    out.parameters.emplace_back(sourceNumber);
    return out;
}

namespace {

// The rows of the clients `numbers` (each a parameter), their ClientNumber columns taking
// `clientValue`.
ClientCopyStatement copyOfClients(const CopyPlan& plan, const std::string& targetPath,
                                  const std::string& clientValue, std::span<const double> numbers) {
    ClientCopyStatement out;
    out.parameters.emplace_back(targetPath);
    std::string sql = insertHead(plan, {plan.source, false, clientValue, &out.parameters, 0});
    std::string marks;
    for (double n : numbers) {
        marks += marks.empty() ? "?" : ", ?";
        out.parameters.emplace_back(n);
    }
    out.sql = sql + " FROM " + bracketed(plan.source) + " WHERE " +
              clientOf(plan.source, plan.clientColumn) + " IN (" + marks + ")" +
              orderBy(plan, plan.source);
    return out;
}

} // namespace

ClientCopyStatement clientsCopyStatement(const CopyPlan& plan, const std::string& targetPath,
                                         const ClientSelection& clients) {
    ClientCopyStatement out;
    out.parameters.emplace_back(targetPath);
    // One pass over the table, which need not have an index on its client column.
    out.sql = insertHead(plan, {plan.source, false, clientOf(plan.source, plan.clientColumn),
                                &out.parameters, 0}) +
              " FROM " + bracketed(plan.source) + " WHERE " +
              clientOf(plan.source, plan.clientColumn) + " IN (SELECT " +
              clientOf(clients.table, clients.column) + " FROM " + bracketed(clients.table) +
              " WHERE " + clients.condition + ")" + orderBy(plan, plan.source);
    return out;
}

ClientCopyStatement shiftedCopyStatement(const CopyPlan& plan, const std::string& targetPath,
                                         double shift, const std::vector<double>& numbers) {
    return copyOfClients(plan, targetPath,
                         clientOf(plan.source, plan.clientColumn) + " + " + exactNumber(shift),
                         numbers);
}

ClientCopyStatement renumberedCopyStatement(const CopyPlan& plan, const std::string& targetPath,
                                            const NumberMapTable& map) {
    ClientCopyStatement out;
    out.parameters.emplace_back(targetPath);
    const std::string staged = plan.target;
    out.sql =
        insertHead(plan, {staged, true, clientOf(map.table, map.newColumn), &out.parameters, 0}) +
        " FROM " + bracketed(staged) + " INNER JOIN " + bracketed(map.table) + " ON " +
        clientOf(staged, plan.clientColumn) + " = " + clientOf(map.table, map.oldColumn) +
        orderBy(plan, staged);
    return out;
}

} // namespace transfer
