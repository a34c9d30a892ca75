#include "transfer/NumberMoves.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <tuple>

namespace transfer {

namespace {

// Downward moves first, in ascending order of their numbers; then upward ones, descending;
// rows without a number last (their number sorts first, so they only ever move up).
int phase(const NumberMove& m) {
    if (!m.from) return 2;
    return m.to < *m.from ? 0 : 1;
}

double shiftOf(const NumberMove& m) {
    return m.from ? m.to - *m.from : 0;
}

bool runsBefore(const NumberMove& a, const NumberMove& b) {
    const int pa = phase(a), pb = phase(b);
    if (pa != pb) return pa < pb;
    if (pa == 2) return std::tie(a.to, a.client) < std::tie(b.to, b.client);
    if (*a.from != *b.from) return pa == 0 ? *a.from < *b.from : *a.from > *b.from;
    // One number of many clients: their moves are independent, so equal shifts sit together.
    return std::tie(a.to, a.client) < std::tie(b.to, b.client);
}

} // namespace

std::vector<MoveStep> orderMoves(std::vector<NumberMove> moves) {
    std::erase_if(moves, [](const NumberMove& m) { return m.from && *m.from == m.to; });
    std::sort(moves.begin(), moves.end(), runsBefore);
    std::vector<MoveStep> steps;
    std::vector<std::pair<double, double>> members; // of the step being built
    auto close = [&] {
        if (!members.empty()) steps.back().groups = groupNumbers(members);
        members.clear();
    };
    for (const NumberMove& m : moves) {
        const bool fromNull = !m.from;
        const double shift = shiftOf(m);
        const bool joins = !steps.empty() && steps.back().fromNull == fromNull &&
                           (fromNull ? steps.back().to == m.to : steps.back().shift == shift);
        if (!joins) {
            close();
            steps.push_back({fromNull, shift, m.to, {}});
        }
        members.emplace_back(m.from.value_or(0), m.client);
    }
    close();
    return steps;
}

std::vector<ClientGroup> groupNumbers(const std::vector<std::pair<double, double>>& numberClient) {
    std::map<double, std::vector<double>> clientsOf;
    for (const auto& [number, client] : numberClient)
        clientsOf[number].push_back(client);
    std::map<std::vector<double>, std::vector<double>> numbersOf;
    for (auto& [number, clients] : clientsOf) {
        std::sort(clients.begin(), clients.end());
        clients.erase(std::unique(clients.begin(), clients.end()), clients.end());
        numbersOf[clients].push_back(number);
    }
    std::vector<ClientGroup> groups;
    for (auto& [clients, numbers] : numbersOf)
        groups.push_back({std::move(numbers), clients});
    return groups;
}

std::string exactNumber(double value) {
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    return std::string(buf, end);
}

std::string clientsIn(const std::string& client, const std::vector<double>& clients) {
    std::string sql = "[" + client + "] IN (";
    for (std::size_t i = 0; i < clients.size(); ++i)
        sql += (i ? ", " : "") + exactNumber(clients[i]);
    return sql + ")";
}

std::string groupsCondition(const std::vector<ClientGroup>& groups, const std::string& number,
                            const std::string& client) {
    std::string sql;
    for (const ClientGroup& g : groups) {
        std::string numbers;
        for (double n : g.numbers)
            numbers += (numbers.empty() ? "" : ", ") + exactNumber(n);
        sql += (sql.empty() ? "(" : " OR (") + ("[" + number + "] IN (" + numbers + ") AND ") +
               clientsIn(client, g.clients) + ")";
    }
    return sql;
}

std::string moveStatement(const MoveStep& step, const std::string& table, const std::string& number,
                          const std::string& client) {
    const std::string n = "[" + number + "]";
    std::string sql = "UPDATE [" + table + "] SET " + n + " = ";
    if (step.fromNull) // one group: every number is the same placeholder
        return sql + exactNumber(step.to) + " WHERE " + n + " IS NULL AND " +
               clientsIn(client, step.groups.front().clients);
    sql += n + (step.shift < 0 ? " - " : " + ") + exactNumber(std::abs(step.shift));
    return sql + " WHERE " + groupsCondition(step.groups, number, client);
}

} // namespace transfer
