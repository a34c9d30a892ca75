#include "engine/FileLock.h"

#include "runtime/Error.h"
#include "support/OtherProcess.h"
#include "support/TempFolder.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using engine::FileLock;
using support::kNobody;
using support::TempFolder;
using namespace std::chrono_literals;

// Another process that holds the lock itself, without opening the database; with asUser
// as a process of that user.
class OtherProcess : public support::OtherProcess {
public:
    OtherProcess(const std::string& path, bool exclusive, std::chrono::milliseconds holdFor = {},
                 uid_t asUser = static_cast<uid_t>(-1))
        : support::OtherProcess(
              asUser == static_cast<uid_t>(-1)
                  ? lockOnly(path, exclusive)
                  : support::OtherProcess::asUser(asUser, lockOnly(path, exclusive)),
              holdFor) {}
    // 0 when the hold was taken, else the number it was refused with.
    int refusal() const { return error(); }
};

int refusal(const std::string& path, bool exclusive) {
    try {
        FileLock::acquire(path, exclusive, 50ms);
        return 0;
    } catch (const runtime::Error& e) {
        if (e.number() == 3045) {
            EXPECT_EQ(e.text(), "Could not use '" + path + "'; file already in use.");
        }
        return e.number();
    }
}

// A file in a folder where both this user and kNobody may read and write (or, with
// fileMode 0644, where the other user may only read the file).
std::string sharedFile(const TempFolder& dir, const std::string& name, mode_t fileMode = 0666) {
    const std::string path = dir.file(name);
    support::writeBytes(path, std::string(4096, '\0'));
    chmod(dir.path().c_str(), 0777);
    chmod(path.c_str(), fileMode);
    return path;
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
        const std::string db = sharedFile(dir, "Qolb2018Lan.mdb");
        OtherProcess other(db, c.otherExclusive);
        ASSERT_TRUE(other.acquired());
        EXPECT_EQ(refusal(db, c.ownExclusive), c.expected);
        // Nothing is left beside the database.
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    }
}

// Holds of processes of different users exclude each other whoever opened, quit or was
// killed first.
TEST(FileLock, HoldsBetweenUsersWhateverTheOrder) {
    TempFolder dir;
    const std::string db = sharedFile(dir, "net.mdb");
    {
        // Both share; the first to open quits; the other still keeps exclusive holds out.
        OtherProcess a(db, false);
        OtherProcess b(db, false, 0ms, kNobody);
        ASSERT_EQ(a.refusal(), 0);
        ASSERT_EQ(b.refusal(), 0);
        a.release();
        EXPECT_EQ(OtherProcess(db, true).refusal(), 3045);
        EXPECT_EQ(refusal(db, true), 3045);
        b.release();
        EXPECT_EQ(OtherProcess(db, true).refusal(), 0);
    }
    {
        // An exclusive hold of the other user keeps this user out until it is killed; then
        // this user's shared hold keeps the other user's exclusive one out.
        OtherProcess b(db, true, 0ms, kNobody);
        ASSERT_EQ(b.refusal(), 0);
        EXPECT_EQ(refusal(db, false), 3045);
        EXPECT_EQ(OtherProcess(db, false).refusal(), 3045);
        b.kill();
        OtherProcess a(db, false);
        ASSERT_EQ(a.refusal(), 0);
        EXPECT_EQ(OtherProcess(db, true, 0ms, kNobody).refusal(), 3045);
        OtherProcess b2(db, false, 0ms, kNobody);
        EXPECT_EQ(b2.refusal(), 0);
        a.kill();
        EXPECT_EQ(refusal(db, true), 3045); // b2 still shares
        b2.kill();
        EXPECT_EQ(OtherProcess(db, true, 0ms, kNobody).refusal(), 0);
    }
    {
        // The other user's exclusive hold against this process's shared one, both ways.
        auto shared = FileLock::acquire(db, false, 0ms);
        EXPECT_EQ(OtherProcess(db, true, 0ms, kNobody).refusal(), 3045);
        EXPECT_EQ(OtherProcess(db, false, 0ms, kNobody).refusal(), 0);
    }
}

// A hold that cannot be had is refused, never granted inside one process only.
TEST(FileLock, AHoldThatCannotBeHadIsRefused) {
    TempFolder dir;
    const std::string db = sharedFile(dir, "net.mdb", 0644); // the other user may only read
    OtherProcess reader(db, false, 0ms, kNobody);
    EXPECT_EQ(reader.refusal(), 0);
    EXPECT_EQ(refusal(db, true), 3045);
    reader.release();
    EXPECT_EQ(OtherProcess(db, true, 0ms, kNobody).refusal(), 3051);
    chmod(db.c_str(), 0600); // not even readable for the other user
    EXPECT_EQ(OtherProcess(db, false, 0ms, kNobody).refusal(), 3051);
    EXPECT_EQ(refusal(dir.file("missing.mdb"), false), 3024);
    EXPECT_EQ(refusal(dir.file("no-such-folder/a.mdb"), false), 3044);
}

TEST(FileLock, WaitsForAHoldThatEndsSoon) {
    TempFolder dir;
    const std::string db = sharedFile(dir, "a.mdb");
    OtherProcess other(db, true, 150ms);
    ASSERT_TRUE(other.acquired());
    EXPECT_NO_THROW(FileLock::acquire(db, true));
}

TEST(FileLock, ThisProcessNeverLocksItselfOut) {
    TempFolder dir;
    const std::string db = sharedFile(dir, "a.mdb");
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
    // All let go: nothing is held.
    EXPECT_TRUE(OtherProcess(db, true).acquired());
}

TEST(FileLock, SharedHereStaysSharedWhileAnotherProcessShares) {
    TempFolder dir;
    const std::string db = sharedFile(dir, "a.mdb");
    auto shared = FileLock::acquire(db, false, 0ms);
    OtherProcess other(db, false);
    ASSERT_TRUE(other.acquired());
    // Asking again in this process succeeds even though the other process shares the file.
    EXPECT_NO_THROW(FileLock::acquire(db, true, 0ms));
}

// A pin keeps the descriptor (and so SQLite's locks) past the last hold; a hold taken again
// then still works for other processes.
TEST(FileLock, APinnedFileIsHeldAgainOnItsDescriptor) {
    TempFolder dir;
    const std::string db = sharedFile(dir, "a.mdb");
    const FileLock::Pin pin = FileLock::pin(db);
    FileLock::acquire(db, true, 0ms).reset();
    EXPECT_TRUE(OtherProcess(db, true).acquired());
    auto held = FileLock::acquire(db, true, 0ms);
    EXPECT_FALSE(OtherProcess(db, false).acquired());
}

// Whether another process could begin writing the file: whether SQLite's write lock byte
// is free of any process's lock.
bool anotherWriterGetsIn(const std::string& path) {
    const pid_t child = fork();
    if (child == 0) {
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = 0x40000001; // SQLite's reserved byte
        fl.l_len = 1;
        const int fd = open(path.c_str(), O_RDWR);
        _exit(fd >= 0 && fcntl(fd, F_GETLK, &fl) == 0 && fl.l_type == F_UNLCK ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Closing a descriptor of the file would drop SQLite's locks of this process on it: while a
// pin lasts, holds come and go on one descriptor that stays open.
TEST(FileLock, HoldsThatGoLeaveSQLitesLocksInPlace) {
    TempFolder dir;
    const std::string db = dir.file("a.mdb");
    sqlite3* writer = nullptr;
    sqlite3_open(db.c_str(), &writer);
    ASSERT_EQ(
        sqlite3_exec(writer, "CREATE TABLE T (V); BEGIN IMMEDIATE", nullptr, nullptr, nullptr),
        SQLITE_OK);
    {
        const FileLock::Pin pin = FileLock::pin(db);
        EXPECT_FALSE(anotherWriterGetsIn(db));
        FileLock::acquire(db, true, 0ms).reset();
        FileLock::acquire(db, false, 0ms).reset();
        EXPECT_FALSE(anotherWriterGetsIn(db));
        sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(writer);
    }
    EXPECT_TRUE(anotherWriterGetsIn(db));
}

} // namespace
