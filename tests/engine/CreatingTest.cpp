// New files appear under their name only complete, whatever kills their maker.

#include "EngineFixture.h"
#include "engine/NewDatabaseFile.h"

#include <fstream>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace enginetest;
namespace err = engine::err;
namespace fs = std::filesystem;

namespace {

class Creating : public EngineTest {};

// Children killed at spread-out moments of CreateDatabase: each file is then missing or
// opens, and creating it again works and leaves nothing else in the folder.
TEST_F(Creating, AKillWhileCreatingLeavesNoFileOrAWholeOne) {
    constexpr int kKills = 100;
    for (int i = 0; i < kKills; ++i) {
        const std::string file = path("k" + std::to_string(i) + ".mdb");
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                engine::DBEngine::instance().Workspaces(0).CreateDatabase(file, kLocale);
            } catch (...) {
            }
            _exit(0);
        }
        usleep(static_cast<useconds_t>(i * 30)); // 0 to 3 ms
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        SCOPED_TRACE(i);
        if (fs::exists(file)) {
            EXPECT_EQ(errorOf([&] { ws().OpenDatabase(file); }), 0);
        } else {
            EXPECT_EQ(errorOf([&] { create(fs::path(file).filename().string()); }), 0);
        }
        ws().Close();
    }
    for (const auto& entry : fs::directory_iterator(dir()))
        EXPECT_EQ(entry.path().extension(), ".mdb") << entry.path();
}

// A file that appears under the name while the new one is built is neither replaced nor
// taken over.
TEST_F(Creating, AFileThatAppearedMeanwhileIsKept) {
    const std::string target = path("a.mdb");
    {
        engine::NewDatabaseFile file(target);
        std::ofstream(file.tempPath()) << "new";
        std::ofstream(target) << "someone else's";
        EXPECT_EQ(errorOf([&] { file.place(); }), err::DatabaseAlreadyExists);
    }
    std::ifstream in(target);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "someone else's");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir()), fs::directory_iterator()), 1);
}

} // namespace
