#include "runtime/PathFile.h"

#include "RuntimeTestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace runtime;
using runtime_test::errorOf;
using runtime_test::TempFolder;
using Values = std::vector<std::string>;

TEST(PathFile, WritesOneQuotedLineAndReadsItBack) {
    TempFolder dir;
    Values paths = {"/srv/q b/Qolb2018LAN.mdb", "/srv/a,b/QolbTrust2018Lan.Mdb", ""};
    writePathFile(dir.file("DBMPath.Txt"), paths);
    EXPECT_EQ(dir.read("DBMPath.Txt"),
              "\"/srv/q b/Qolb2018LAN.mdb\",\"/srv/a,b/QolbTrust2018Lan.Mdb\",\"\"\r\n");

    PathFileContent got = readPathFile(dir.file("DBMPath.Txt"));
    EXPECT_TRUE(got.opened);
    EXPECT_TRUE(got.hasContent);
    EXPECT_EQ(got.values, paths);

    writePathFile(dir.file("DBMPath.Txt"), {"/only/one.mdb"});
    EXPECT_EQ(dir.read("DBMPath.Txt"), "\"/only/one.mdb\"\r\n") << "the whole file is replaced";
    EXPECT_EQ(dir.entryCount(), 1u) << "nothing left beside it";
}

TEST(PathFile, ReadsWhatAHandMayHaveWritten) {
    struct Case {
        const char* content;
        Values values;
    } cases[] = {
        {"\"/a/x.mdb\"\r\n", {"/a/x.mdb"}},
        {"\"/a,1/x.mdb\",\"/b/y.mdb\"\r\n", {"/a,1/x.mdb", "/b/y.mdb"}},
        {"\"/a/x.mdb\",\"/b/y.mdb\"", {"/a/x.mdb", "/b/y.mdb"}},
        {"\"/a/x.mdb\"\n", {"/a/x.mdb"}},
        {"  /a/x y.mdb  ,\t/b/y.mdb\t\r\n", {"/a/x y.mdb", "/b/y.mdb"}},
        {"\"/a\"\r\n\"/b\"\r\n\r\n\"/c\"\r\n", {"/a", "/b", "/c"}},
        {"  \"/a\"  , \"/b\"\r\n", {"/a", "/b"}},
        {"\"/a\",\r\n", {"/a", ""}},
        {"\"/a\" junk,\"/b\"\r\n", {"/a", "/b"}},
        {"\"/unterminated\r\n\"/b\"\r\n", {"/unterminated", "/b"}},
        {"\xEF\xBB\xBF\"/a\"\r\n", {"/a"}},
        {"\r\n", {}},
    };
    TempFolder dir;
    for (const auto& c : cases) {
        dir.write("p.txt", c.content);
        PathFileContent got = readPathFile(dir.file("p.txt"));
        EXPECT_TRUE(got.opened);
        EXPECT_TRUE(got.hasContent) << c.content;
        EXPECT_EQ(got.values, c.values) << c.content;
    }
}

TEST(PathFile, EmptyMissingAndUnreadable) {
    TempFolder dir;
    dir.write("DBSysPath.txt", "");
    PathFileContent empty = readPathFile(dir.file("DBSysPath.txt"));
    EXPECT_TRUE(empty.opened);
    EXPECT_FALSE(empty.hasContent);
    EXPECT_TRUE(empty.values.empty());

    PathFileContent missing = readPathFile(dir.file("DBMPath.Txt"));
    EXPECT_FALSE(missing.opened);
    EXPECT_FALSE(missing.hasContent);

    std::filesystem::create_directory(dir.file("folder.txt"));
    EXPECT_FALSE(readPathFile(dir.file("folder.txt")).opened);
}

TEST(PathFile, NamesMatchWithoutRegardToCase) {
    TempFolder dir;
    dir.write("dbmpath.txt", "\"/a\"\r\n");
    EXPECT_EQ(readPathFile(dir.file("DBMPath.Txt")).values, Values{"/a"});
    writePathFile(dir.file("DBMPath.Txt"), {"/b"});
    EXPECT_EQ(dir.read("dbmpath.txt"), "\"/b\"\r\n") << "the existing file is the one replaced";
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(PathFile, WriteFailuresCarryTheirNumberAndLeaveNothingBehind) {
    TempFolder dir;
    dir.write("plain", "x");
    // Tests may run as root, so an unwritable target is made by its folder, not by modes.
    EXPECT_EQ(errorOf([&] { writePathFile(dir.path() + "/missing/DBMPath.Txt", {"/a"}); }), 76);
    EXPECT_EQ(errorOf([&] { writePathFile(dir.path() + "/plain/DBMPath.Txt", {"/a"}); }), 76);

    std::filesystem::create_directory(dir.file("taken.txt"));
    EXPECT_NE(errorOf([&] { writePathFile(dir.file("taken.txt"), {"/a"}); }), 0);
    EXPECT_EQ(dir.entryCount(), 2u) << "no half-written file beside the target";
}

TEST(PathFile, RefusesAValueTheFormatCannotHold) {
    TempFolder dir;
    std::string path = dir.write("DBSysPath.txt", "\"/old/SysAdmin2018.mdb\"\r\n");
    for (const char* bad : {"/a\"b/x.mdb", "/a\r\n/x.mdb", "/a\n"})
        EXPECT_EQ(errorOf([&] { writePathFile(path, {"/fine", bad}); }), 5) << bad;
    EXPECT_EQ(dir.read("DBSysPath.txt"), "\"/old/SysAdmin2018.mdb\"\r\n");
    EXPECT_EQ(dir.entryCount(), 1u);
}
