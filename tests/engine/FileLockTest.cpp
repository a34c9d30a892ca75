#include "engine/FileLock.h"

#include "runtime/Error.h"
#include "support/OtherProcess.h"
#include "support/TempFolder.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using engine::FileLock;
using support::TempFolder;
using namespace std::chrono_literals;

// Another process that holds the lock itself, without opening the database.
class OtherProcess : public support::OtherProcess {
public:
    OtherProcess(const std::string& path, bool exclusive, std::chrono::milliseconds holdFor = {})
        : support::OtherProcess(lockOnly(path, exclusive), holdFor) {}
};

int refusal(const std::string& path, bool exclusive) {
    try {
        FileLock::acquire(path, exclusive, 50ms);
        return 0;
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.text(), "Could not use '" + path + "'; file already in use.");
        return e.number();
    }
}

TEST(FileLock, ModesConflictBetweenProcesses) {
    const struct {
        bool otherExclusive, ownExclusive;
        int expected;
    } cases[] = {
        {false, true, 3045}, // exclusive refused while another process shares
        {true, false, 3045}, // shared refused while another process holds exclusively
        {true, true, 3045},
        {false, false, 0}, // shared + shared across processes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.otherExclusive << c.ownExclusive);
        TempFolder dir;
        const std::string db = dir.file("Qolb2018Lan.mdb");
        OtherProcess other(db, c.otherExclusive);
        ASSERT_TRUE(other.acquired());
        EXPECT_EQ(refusal(db, c.ownExclusive), c.expected);
        EXPECT_TRUE(std::filesystem::exists(FileLock::lockFilePath(db)));
    }
}

TEST(FileLock, WaitsForAHoldThatEndsSoon) {
    TempFolder dir;
    const std::string db = dir.file("a.mdb");
    OtherProcess other(db, true, 150ms);
    ASSERT_TRUE(other.acquired());
    EXPECT_NO_THROW(FileLock::acquire(db, true));
}

TEST(FileLock, HoldDiesWithItsProcess) {
    TempFolder dir;
    const std::string db = dir.file("a.mdb");
    OtherProcess other(db, true);
    ASSERT_TRUE(other.acquired());
    EXPECT_EQ(refusal(db, false), 3045);
    other.kill();
    EXPECT_NO_THROW(FileLock::acquire(db, true, 0ms));
}

TEST(FileLock, ThisProcessNeverLocksItselfOut) {
    TempFolder dir;
    const std::string db = dir.file("a.mdb");
    {
        auto shared = FileLock::acquire(db, false, 0ms);
        auto exclusive = FileLock::acquire(db, true, 0ms);
        auto again = FileLock::acquire(db, true, 0ms);
        auto sharedAgain = FileLock::acquire(db, false, 0ms);
        EXPECT_TRUE(exclusive->exclusive());
        // The exclusive holds count for other processes too ...
        EXPECT_FALSE(OtherProcess(db, false).acquired());
        // ... until the last of them goes; the shared holds remain.
        exclusive.reset();
        again.reset();
        EXPECT_TRUE(OtherProcess(db, false).acquired());
        EXPECT_FALSE(OtherProcess(db, true).acquired());
    }
    // All let go: nothing is held and no lock file is left behind.
    EXPECT_TRUE(OtherProcess(db, true).acquired());
    EXPECT_FALSE(std::filesystem::exists(FileLock::lockFilePath(db)));
}

TEST(FileLock, SharedHereStaysSharedWhileAnotherProcessShares) {
    TempFolder dir;
    const std::string db = dir.file("a.mdb");
    auto shared = FileLock::acquire(db, false, 0ms);
    OtherProcess other(db, false);
    ASSERT_TRUE(other.acquired());
    // Asking again in this process succeeds even though the other process shares the file.
    EXPECT_NO_THROW(FileLock::acquire(db, true, 0ms));
}

TEST(FileLock, MissingFolderIsAnInvalidPath) {
    TempFolder dir;
    try {
        FileLock::acquire(dir.file("no-such-folder/a.mdb"), false, 0ms);
        FAIL();
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.number(), 3044);
    }
}

} // namespace
