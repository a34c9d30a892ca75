#include "runtime/Paths.h"

#include "RuntimeTestSupport.h"
#include "runtime/FileOps.h"

#include <gtest/gtest.h>

using namespace runtime;
using runtime_test::TempFolder;

TEST(Paths, JoinTurnsTheAppendedBackslashIntoASeparator) {
    struct Case {
        const char* folder;
        const char* name;
        const char* out;
    } cases[] = {
        {"/tmp/x", "\\Qolb2018LAN.mdb", "/tmp/x/Qolb2018LAN.mdb"},
        {"/tmp/x/", "\\DBMPath.Txt", "/tmp/x//DBMPath.Txt"}, // as the system appends it
        {"/", "\\SysAdmin2018.mdb", "//SysAdmin2018.mdb"},
        {"/tmp/x", "Qolb2018LAN.mdb", "/tmp/x/Qolb2018LAN.mdb"},
        {"/tmp/x", "\\sub\\working.avi", "/tmp/x/sub/working.avi"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(joinPath(c.folder, c.name), c.out);
}

TEST(Paths, DoubledSeparatorReachesTheSameFile) {
    TempFolder dir;
    dir.write("DBMPath.Txt", "x");
    EXPECT_TRUE(fileExists(joinPath(dir.path() + "/", "\\DBMPath.Txt")));
}

TEST(Paths, FolderAndFileNameOf) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {
        {"/a/b/Qolb2018LAN.Mdb", "/a/b", "Qolb2018LAN.Mdb"},
        {"  /a/b/c.mdb  ", "/a/b", "c.mdb"},
        {"/a//c.mdb", "/a", "c.mdb"},
        {"/c.mdb", "/", "c.mdb"},
        {"c.mdb", "", "c.mdb"},
        {"/a/b/", "/a/b", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(folderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(fileNameOf(c.path), c.name) << c.path;
    }
}

TEST(Paths, ResolveCaseFindsTheOneExistingSpelling) {
    TempFolder dir;
    dir.write("QolbTrust2018Lan.Mdb", "");
    dir.write("Twin.mdb", "");
    dir.write("TWIN.MDB", "");

    struct Case {
        std::string asked;
        std::string found;
    } cases[] = {
        {dir.file("QolbTrust2018Lan.Mdb"), dir.file("QolbTrust2018Lan.Mdb")},
        {dir.file("qolbtrust2018lan.mdb"), dir.file("QolbTrust2018Lan.Mdb")},
        {dir.file("QOLBTRUST2018LAN.MDB"), dir.file("QolbTrust2018Lan.Mdb")},
        {dir.file("Twin.mdb"), dir.file("Twin.mdb")},
        {dir.file("twin.mdb"), dir.file("twin.mdb")}, // two candidates: no guess
        {dir.file("missing.mdb"), dir.file("missing.mdb")},
        {dir.path() + "/nofolder/x.mdb", dir.path() + "/nofolder/x.mdb"},
        {dir.path() + "//qolbtrust2018lan.mdb", dir.path() + "//QolbTrust2018Lan.Mdb"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resolveCase(c.asked), c.found) << c.asked;
}
