#pragma once

#include <optional>
#include <string>
#include <vector>

namespace transfer {

// One client's rows of number `from` (none: rows without a number) taking number `to`.
struct NumberMove {
    double client;
    std::optional<double> from;
    double to;
};

// Numbers and the clients whose rows of those numbers a statement touches.
struct ClientGroup {
    std::vector<double> numbers;
    std::vector<double> clients; // ascending
};

// The moves one statement makes at once: the rows of the groups move by `shift`, or, for
// rows without a number, take `to`.
struct MoveStep {
    bool fromNull = false;
    double shift = 0;
    double to = 0;
    std::vector<ClientGroup> groups;
};

// Orders a set of moves as statements that never carry a row onto a number another row of
// its client still has to leave. Each client's moves must keep the order of its numbers
// (a higher number never gets a lower one than a lower number gets), as a renumbering in
// number order does. Clients whose rows all hold different numbers move shift by shift,
// so that alike clients share a statement; others number by number.
std::vector<MoveStep> orderMoves(std::vector<NumberMove> moves);

// The clients of each number, as groups of the numbers whose clients are the same.
std::vector<ClientGroup> groupNumbers(const std::vector<std::pair<double, double>>& numberClient);

// Jet SQL: the condition that picks the groups' rows, e.g.
// "(([n] IN (3, 4) AND [c] IN (17, 18)) OR ([n] IN (2) AND [c] IN (5)))".
std::string groupsCondition(const std::vector<ClientGroup>& groups, const std::string& number,
                            const std::string& client);

// Jet SQL: the UPDATE of `table` that makes one step's moves.
std::string moveStatement(const MoveStep& step, const std::string& table, const std::string& number,
                          const std::string& client);

// Jet SQL: "[c] IN (...)" for clients in ascending order.
std::string clientsIn(const std::string& client, const std::vector<double>& clients);

} // namespace transfer
