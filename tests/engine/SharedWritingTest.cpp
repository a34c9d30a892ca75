// Several processes writing one file: a lock another writer holds briefly is waited out;
// one held for longer than the engine waits is refused with 3260.

#include "EngineFixture.h"
#include "engine/LockWait.h"
#include "support/GoEnds.h"

#include <chrono>
#include <functional>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace enginetest;
using engine::Variant;
namespace err = engine::err;

namespace {

constexpr int kRows = 2000; // each writer stores as many

// A process that runs `work` beside this one once start() is called, and reports the
// number it returns.
class Worker {
public:
    explicit Worker(const std::function<int()>& work) {
        int result[2], go[2];
        if (pipe(result) != 0 || pipe(go) != 0) throw std::runtime_error("pipe");
        pid_ = fork();
        if (pid_ < 0) throw std::runtime_error("fork");
        if (pid_ == 0) {
            close(result[0]);
            close(go[1]);
            support::closeGoEndsInChild();
            char c;
            (void)!read(go[0], &c, 1); // until started
            int number = -1;
            try {
                number = work();
            } catch (...) {
            }
            (void)!write(result[1], &number, sizeof number);
            _exit(0);
        }
        close(result[1]);
        close(go[0]);
        resultFd_ = result[0];
        goFd_ = go[1];
        support::addGoEnd(goFd_);
    }
    ~Worker() { result(); }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void start() {
        if (goFd_ >= 0) support::closeGoEnd(goFd_);
        goFd_ = -1;
    }
    int result() {
        start();
        if (pid_ > 0) {
            if (read(resultFd_, &result_, sizeof result_) != sizeof result_) result_ = -1;
            close(resultFd_);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
        return result_;
    }

private:
    int pid_ = -1;
    int resultFd_ = -1;
    int goFd_ = -1;
    int result_ = -1;
};

class SharedWriting : public EngineTest {
protected:
    // In memory where the system offers it: commits then take microseconds, as on a fast
    // disk, so that the writers meet often and the test stays quick.
    void SetUp() override {
        std::string pattern = std::filesystem::is_directory("/dev/shm")
                                  ? std::string("/dev/shm/shared-writing-XXXXXX")
                                  : path("shared-XXXXXX");
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
        folder = pattern;
        file = folder + "/shared.mdb";
        auto db = ws().CreateDatabase(file, kLocale);
        makeTable(db, "Rows", {{"Writer", engine::dbLong}, {"N", engine::dbLong}});
        ws().Close();
    }
    void TearDown() override {
        ws().Close();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    // Stores `rows` rows, one AddNew/Update each; returns how many failed (or, with
    // firstError, the number of the first failure).
    static int writeRows(const std::string& file, int writer, int rows, bool firstError = false) {
        auto& ws = engine::DBEngine::instance().Workspaces(0);
        auto db = ws.OpenDatabase(file);
        auto rs = db->OpenRecordset("Rows", engine::dbOpenTable);
        int failed = 0;
        for (int i = 0; i < rows; ++i) {
            const int number = errorOf([&] {
                rs->AddNew();
                rs->Fields(0).setValue(Variant(std::int32_t{writer}));
                rs->Fields(1).setValue(Variant(std::int32_t{i}));
                rs->Update();
            });
            if (number && firstError) return number;
            if (number) ++failed;
        }
        return failed;
    }
    long rowsOf(int writer) {
        auto db = ws().OpenDatabase(file);
        long n = 0;
        for (const Variant& v : column(db, "Rows", "Writer"))
            n += v == Variant(std::int32_t{writer});
        return n;
    }
    std::string folder, file;
};

TEST_F(SharedWriting, TwoWritersAndAReaderAllSucceed) {
    const std::string f = file;
    Worker first([f] { return writeRows(f, 1, kRows); });
    Worker second([f] { return writeRows(f, 2, kRows); });
    Worker reader([f] {
        auto& ws = engine::DBEngine::instance().Workspaces(0);
        int failed = 0;
        for (int i = 0; i < 200; ++i) {
            failed += errorOf([&] {
                          auto db = ws.OpenDatabase(f, false, true);
                          auto rs = db->OpenRecordset("Rows");
                          rs->RecordCount();
                          if (!rs->Eof()) rs->Fields("N").Value();
                          db->Close();
                      }) != 0;
        }
        return failed;
    });
    first.start();
    second.start();
    reader.start();
    EXPECT_EQ(first.result(), 0);
    EXPECT_EQ(second.result(), 0);
    EXPECT_EQ(reader.result(), 0);
    EXPECT_EQ(rowsOf(1), kRows);
    EXPECT_EQ(rowsOf(2), kRows);
}

// Another process that holds the write lock on the file until released.
OtherProcess::Take holdingWriteLock(const std::string& file) {
    return [file] {
        auto& ws = engine::DBEngine::instance().Workspaces(0);
        auto db = ws.OpenDatabase(file);
        ws.BeginTrans();
        db->Execute("INSERT INTO Rows (Writer, N) VALUES (9, 9)");
        return std::shared_ptr<void>(db); // kept until the process is let go
    };
}

TEST_F(SharedWriting, ALockHeldForAboutASecondIsWaitedOut) {
    OtherProcess holder(holdingWriteLock(file));
    ASSERT_EQ(holder.error(), 0);
    std::thread letGo([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1200));
        holder.release(); // the process ends and its transaction with it
    });
    EXPECT_EQ(writeRows(file, 1, 1, true), 0);
    letGo.join();
    EXPECT_EQ(rowsOf(1), 1);
    EXPECT_EQ(rowsOf(9), 0);
}

// A structure change reads the file before it writes: it must wait for the write lock
// before reading, as a read lock cannot wait to become a write lock.
TEST_F(SharedWriting, AStructureChangeWaitsOutALockHeldBriefly) {
    auto db = ws().OpenDatabase(file);
    auto td = db->TableDefs().Item("Rows");
    OtherProcess holder(holdingWriteLock(file));
    ASSERT_EQ(holder.error(), 0);
    std::thread letGo([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        holder.release();
    });
    EXPECT_EQ(errorOf([&] { td->Fields().Append(td->CreateField("Extra", engine::dbLong)); }), 0);
    letGo.join();
    ws().Close();
    EXPECT_TRUE(ws().OpenDatabase(file)->TableDefs().Item("Rows")->Fields().contains("Extra"));
}

TEST_F(SharedWriting, ALockHeldLongerThanTheWaitGives3260) {
    OtherProcess holder(holdingWriteLock(file));
    ASSERT_EQ(holder.error(), 0);
    engine::setLockWait(std::chrono::milliseconds(300));
    const auto start = std::chrono::steady_clock::now();
    const int number = writeRows(file, 1, 1, true);
    const auto waited = std::chrono::steady_clock::now() - start;
    engine::setLockWait(engine::kLockWait);
    EXPECT_EQ(number, err::Locked);
    EXPECT_GE(waited, std::chrono::milliseconds(300));
    EXPECT_LT(waited, std::chrono::seconds(3));
    holder.release();
    EXPECT_EQ(writeRows(file, 1, 1), 0);
}

} // namespace
