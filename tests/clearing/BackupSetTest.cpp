#include "clearing/BackupSet.h"

#include "clearing/FileCopies.h"
#include "runtime/FileOps.h"
#include "support/ProgramFolder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

using clearing::CopyStep;

std::vector<std::string> targets(const std::vector<CopyStep>& steps) {
    std::vector<std::string> out;
    for (const auto& s : steps)
        out.push_back(s.target);
    return out;
}

TEST(BackupSetTest, TheOtherFilesFollowTheFolderOfTheChosenFile) {
    const std::string pers = "/srv/F/Data/Qolb2018LAN.mdb";
    struct Case {
        std::string chosen;
        std::vector<std::string> targets;
    };
    const std::vector<Case> cases{
        {"/media/E/Qolb2018LAN.Mdb",
         {"/media/E/Qolb2018LAN.Mdb", "/media/E/QolbTrust2018Lan.Mdb",
          "/media/E/QolbCompany2018Lan.Mdb", "/media/E/SysAdmin2018.Mdb"}},
        {"/media/E/Monday.mdb",
         {"/media/E/Monday.mdb", "/media/E/QolbTrust2018Lan.Mdb", "/media/E/QolbCompany2018Lan.Mdb",
          "/media/E/SysAdmin2018.Mdb"}},
        {"/Q.mdb",
         {"/Q.mdb", "/QolbTrust2018Lan.Mdb", "/QolbCompany2018Lan.Mdb", "/SysAdmin2018.Mdb"}},
        {"Q.mdb", {"Q.mdb", "", "", ""}}, // no folder: nowhere to put the others
    };
    for (const Case& c : cases) {
        const auto steps = clearing::backupSteps(pers, c.chosen);
        EXPECT_EQ(targets(steps), c.targets) << c.chosen;
        EXPECT_EQ(steps[0].source, "/srv/F/Data/Qolb2018LAN.Mdb");
        EXPECT_EQ(steps[3].source, "/srv/F/Data/SysAdmin2018.Mdb");
    }

    const auto restore = clearing::restoreSteps("/media/E/Monday.mdb", pers);
    EXPECT_EQ(restore[0].source, "/media/E/Monday.mdb");
    EXPECT_EQ(restore[0].target, "/srv/F/Data/Qolb2018LAN.Mdb");
    EXPECT_EQ(restore[2].source, "/media/E/QolbCompany2018Lan.Mdb");
    EXPECT_EQ(restore[2].target, "/srv/F/Data/QolbCompany2018Lan.Mdb");
}

TEST(BackupSetTest, ExistingFilesAreFoundWhateverTheCaseOfTheirNames) {
    support::TempFolder net;
    for (const char* name : {"qolb2018lan.MDB", "SYSADMIN2018.mdb"})
        std::ofstream(net.file(name)) << "x";
    const auto steps = clearing::backupSteps(net.file("Qolb2018LAN.mdb"), "/media/E/x.mdb");
    EXPECT_EQ(steps[0].source, net.file("qolb2018lan.MDB"));
    EXPECT_EQ(steps[3].source, net.file("SYSADMIN2018.mdb"));
    EXPECT_EQ(steps[1].source, net.file("QolbTrust2018Lan.Mdb"));
}

TEST(BackupSetTest, ACopyWithNowhereToGoIsAPathNotFound) {
    support::TempFolder net;
    const auto failures =
        clearing::backupCopies(clearing::backupSteps(net.file("Qolb2018LAN.mdb"), "Q.mdb"));
    ASSERT_EQ(failures.size(), 4u);
    EXPECT_EQ(failures[0].number, 53); // no source in the empty folder
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_EQ(failures[i].number, 76) << i;
    EXPECT_TRUE(runtime::isMediaError(76));
    EXPECT_FALSE(runtime::isMediaError(53));
}

} // namespace
