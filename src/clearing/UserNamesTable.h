#pragma once

// The table UserNames of the system database: the suite's user names and who is logged on.

#include "engine/Dao.h"

#include <string>
#include <string_view>
#include <vector>

namespace clearing {

// UserNames.UserName holds at most this many characters.
inline constexpr int kUserNameSize = 50;

// The characters of a name as the field counts them: a letter typed with an accent is
// one character, however many bytes its UTF-8 form takes.
long nameLength(std::string_view name);

struct UserRow {
    std::string name; // a Null name reads as ""
    bool loggedOn = false;
};

// Every row, in UserNameIndex order.
std::vector<UserRow> readUserNames(engine::Database& sysDb);

// Replaces every row by one row per name (LoggedOn False), all or nothing: a failure
// leaves the table as it was. Names are stored as values, never put into SQL text.
void writeUserNames(engine::Database& sysDb, const std::vector<std::string>& names);

// LoggedOn False for every row named `user`, without regard to case.
void clearLogOn(engine::Database& sysDb, const std::string& user);
// LoggedOn False for every row.
void clearAllLogOns(engine::Database& sysDb);

// The text of a field value: Null and Empty give "".
std::string textOf(const runtime::Variant& value);

} // namespace clearing
