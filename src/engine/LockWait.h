#pragma once

#include <chrono>

struct sqlite3;
struct sqlite3_stmt;

namespace engine {

// How long an operation waits for a lock that another process holds on a file before it
// gives up with 3260. Other users' writes hold their locks for milliseconds; waiting them
// out (as Jet retries a locked page) keeps users of a shared file from failing each other.
inline constexpr std::chrono::milliseconds kLockWait{5000};

// The wait in force: kLockWait unless a test shortened it.
std::chrono::milliseconds lockWait();
void setLockWait(std::chrono::milliseconds wait);

namespace detail {

// Makes the connection wait for other processes' locks (up to lockWait()).
void waitForLocks(sqlite3* db);

// Steps a statement that writes outside a transaction. SQLite gives up at once, without
// waiting, where waiting could deadlock (the connection already reads the file); the
// statement, rolled back whole, is then run again until the wait is over.
int stepWrite(sqlite3* db, sqlite3_stmt* statement);

} // namespace detail

} // namespace engine
