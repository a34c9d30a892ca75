#include "StartupFixture.h"

#include <filesystem>

namespace apptest {
namespace {

namespace fs = std::filesystem;

// A practice keeps its files beside the program and names them in the path files
// without a folder: they are found there whatever folder the program was started from.
TEST_F(StartupTest, RelativePathsInThePathFilesAreTakenFromTheProgramFolder) {
    prepareCompleteFiles();
    fs::create_directory(folder.file("\\data"));
    for (const std::string name :
         {"Qolb2018LAN.mdb", "QolbTrust2018Lan.Mdb", "QolbCompany2018Lan.Mdb", "SysAdmin2018.mdb"})
        fs::rename(folder.file("\\" + name), folder.file("\\data\\" + name));
    folder.write("\\DBSysPath.txt", pathLine({"data/SysAdmin2018.mdb"}));
    folder.write("\\DBMPath.Txt", pathLine({"data/Qolb2018LAN.mdb", "data/QolbTrust2018Lan.Mdb",
                                            "data/QolbCompany2018Lan.Mdb"}));
    ASSERT_NE(fs::current_path(), fs::path(folder.path()));

    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript(); // no network message, no question
    EXPECT_FALSE(win.NetworkProblem);
    EXPECT_EQ(win.PersDbPath, folder.file("\\data\\Qolb2018LAN.mdb"));
    EXPECT_EQ(win.txtQolbTrustDB.Text(), folder.file("\\data\\QolbTrust2018Lan.Mdb"));
    EXPECT_EQ(win.txtUserMainDB.Text(), folder.file("\\data\\SysAdmin2018.mdb"));
    EXPECT_FALSE(folder.exists("\\Qolb2018LAN.mdb")); // nothing built beside the program
    EXPECT_EQ(win.txtQolbDBVersion.Text(), "3");
}

// A start killed while it wrote a path file left the new version beside it.
TEST_F(StartupTest, NewVersionsOfPathFilesLeftByAKilledStartAreRemoved) {
    prepareCompleteFiles();
    const std::vector<std::string> leftovers{"\\DBMPath.Txt.part4242-0", "\\DBSysPath.txt.part17-3",
                                             "\\dbmpath.txt.part99-12"};
    const std::vector<std::string> others{"\\DBMPath.Txt.parts", "\\DBMPath.Txt.part1-x",
                                          "\\Qolb2018LAN.mdb.part5-0"};
    for (const auto& name : leftovers)
        folder.write(name, "\"/half a pa");
    for (const auto& name : others)
        folder.write(name, "someone else's");

    start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    for (const auto& name : leftovers)
        EXPECT_FALSE(folder.exists(name)) << name;
    for (const auto& name : others)
        EXPECT_TRUE(folder.exists(name)) << name;
}

} // namespace
} // namespace apptest
