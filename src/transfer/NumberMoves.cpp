#include "transfer/NumberMoves.h"

#include "transfer/SqlText.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace transfer {

namespace {

// Downward moves first, then upward ones; rows without a number last (their number sorts
// first, so they only ever move up, and onto a number every other row has left).
int phase(const NumberMove& m) {
    if (!m.from) return 2;
    return m.to < *m.from ? 0 : 1;
}

double shiftOf(const NumberMove& m) {
    return m.from ? m.to - *m.from : 0;
}

// Number by number: downward moves in ascending order of their numbers, then upward ones
// descending. A row's target was then left by every row that has to leave it.
bool byNumber(const NumberMove& a, const NumberMove& b) {
    const int pa = phase(a), pb = phase(b);
    if (pa != pb) return pa < pb;
    if (pa == 2) return std::tie(a.to, a.client) < std::tie(b.to, b.client);
    if (*a.from != *b.from) return pa == 0 ? *a.from < *b.from : *a.from > *b.from;
    // One number of many clients: their moves are independent, so equal shifts sit together.
    return std::tie(a.to, a.client) < std::tie(b.to, b.client);
}

// Shift by shift: downward moves the shortest first, then upward ones the shortest first.
// Right for clients whose shifts never grow as their numbers do (true when no two rows
// share a number): the row on a target then leaves it by a shorter move, or by the same.
bool byShift(const NumberMove& a, const NumberMove& b) {
    const int pa = phase(a), pb = phase(b);
    if (pa != pb) return pa < pb;
    const double sa = std::abs(shiftOf(a)), sb = std::abs(shiftOf(b));
    if (pa == 2) return std::tie(a.to, a.client) < std::tie(b.to, b.client);
    if (sa != sb) return sa < sb;
    return std::tie(*a.from, a.client) < std::tie(*b.from, b.client);
}

// Whether each client's shifts, in the order of its numbers, never grow.
bool shiftsNeverGrow(const std::vector<NumberMove>& moves) {
    for (std::size_t i = 1; i < moves.size(); ++i)
        if (moves[i].from && moves[i - 1].from && shiftOf(moves[i]) > shiftOf(moves[i - 1]))
            return false;
    return true;
}

// The sorted moves as steps: neighbours that move alike are made at once.
void addSteps(const std::vector<NumberMove>& moves, std::vector<MoveStep>& steps) {
    std::vector<std::pair<double, double>> members; // of the step being built
    bool open = false;
    auto close = [&] {
        if (open) steps.back().groups = groupNumbers(members);
        members.clear();
    };
    for (const NumberMove& m : moves) {
        const bool fromNull = !m.from;
        const double shift = shiftOf(m);
        const bool joins = open && steps.back().fromNull == fromNull &&
                           (fromNull ? steps.back().to == m.to : steps.back().shift == shift);
        if (!joins) {
            close();
            steps.push_back({fromNull, shift, m.to, {}});
            open = true;
        }
        members.emplace_back(m.from.value_or(0), m.client);
    }
    close();
}

} // namespace

std::vector<MoveStep> orderMoves(std::vector<NumberMove> moves) {
    std::erase_if(moves, [](const NumberMove& m) { return m.from && *m.from == m.to; });
    std::sort(moves.begin(), moves.end(), [](const NumberMove& a, const NumberMove& b) {
        return std::tie(a.client, a.from) < std::tie(b.client, b.from);
    });
    // Clients apart make no move meet: those that allow it go shift by shift, in few
    // statements; the others number by number.
    std::vector<NumberMove> byShifts, byNumbers;
    for (auto first = moves.begin(); first != moves.end();) {
        const auto last = std::find_if(
            first, moves.end(), [&](const NumberMove& m) { return m.client != first->client; });
        const std::vector<NumberMove> client(first, last);
        auto& into = shiftsNeverGrow(client) ? byShifts : byNumbers;
        into.insert(into.end(), client.begin(), client.end());
        first = last;
    }
    std::sort(byShifts.begin(), byShifts.end(), byShift);
    std::sort(byNumbers.begin(), byNumbers.end(), byNumber);
    std::vector<MoveStep> steps;
    addSteps(byShifts, steps);
    addSteps(byNumbers, steps);
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

std::string clientsIn(const std::string& client, const std::vector<double>& clients) {
    std::string sql = bracketed(client) + " IN (";
    for (std::size_t i = 0; i < clients.size(); ++i)
        sql += (i ? ", " : "") + exactNumber(clients[i]);
    return sql + ")";
}

std::string groupsCondition(const std::vector<ClientGroup>& groups, const std::string& number,
                            const std::string& client) {
    std::vector<std::string> terms;
    for (const ClientGroup& g : groups) {
        std::string numbers;
        for (double n : g.numbers)
            numbers += (numbers.empty() ? "" : ", ") + exactNumber(n);
        terms.push_back("(" + bracketed(number) + " IN (" + numbers + ") AND " +
                        clientsIn(client, g.clients) + ")");
    }
    // Joined in pairs, then pairs of pairs: a chain of ORs as deep as the groups are many
    // would pass the depth of expression SQLite allows (1000) with many groups.
    while (terms.size() > 1) {
        std::vector<std::string> joined;
        for (std::size_t i = 0; i < terms.size(); i += 2)
            joined.push_back(i + 1 < terms.size() ? "(" + terms[i] + " OR " + terms[i + 1] + ")"
                                                  : terms[i]);
        terms = std::move(joined);
    }
    return terms.empty() ? "" : terms.front();
}

std::string moveStatement(const MoveStep& step, const std::string& table, const std::string& number,
                          const std::string& client) {
    const std::string n = bracketed(number);
    std::string sql = "UPDATE " + bracketed(table) + " SET " + n + " = ";
    if (step.fromNull) // one group: every number is the same placeholder
        return sql + exactNumber(step.to) + " WHERE " + n + " IS NULL AND " +
               clientsIn(client, step.groups.front().clients);
    sql += n + (step.shift < 0 ? " - " : " + ") + exactNumber(std::abs(step.shift));
    return sql + " WHERE " + groupsCondition(step.groups, number, client);
}

} // namespace transfer
