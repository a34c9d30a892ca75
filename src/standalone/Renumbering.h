#pragma once

// The numbers the clients of a working copy will carry in the network file: final base + 1,
// + 2, ... in ascending order of their stand-alone numbers. The map is explicit, from each
// main row's number to its new one, and the copy applies it to the main row and every detail
// row as it writes them, so no two clients' rows can ever meet whatever the numbers are, and
// detail rows whose number no main row carries stay behind.

#include "engine/Dao.h"
#include "runtime/Error.h"
#include "transfer/ClientKinds.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standalone {

struct Renumbering {
    const transfer::ClientKind& client;
    double finalBase = 0;
};

// A run of clients whose numbers all move by the same amount.
struct NumberShift {
    double by = 0;
    std::vector<double> numbers; // stand-alone numbers, ascending
};

// Two main rows numbered `number`, or (none) a main row without a number: error 3022. Or a
// main row whose number is no number, as a file of another build can hold: error 3421
// naming the field, with `client` naming the row ("the client Smith (abc)").
class NumberingError : public runtime::Error {
public:
    NumberingError(const std::string& table, std::optional<double> number);
    NumberingError(const std::string& table, std::string_view field, std::string client);
    const std::optional<double>& number() const { return number_; }
    const std::string& client() const { return client_; }

private:
    std::optional<double> number_;
    std::string client_;
};

// The map of the copy open in `copy`, as runs in ascending order of number. Two main rows
// of one number, or a main row without a number, are refused with a NumberingError: their
// detail rows could not be told apart.
std::vector<NumberShift> numberMap(engine::Database& copy, const Renumbering& r);

} // namespace standalone
