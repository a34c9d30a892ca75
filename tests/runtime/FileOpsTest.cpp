#include "runtime/FileOps.h"

#include "RuntimeTestSupport.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>

using namespace runtime;
using runtime_test::errorOf;
using runtime_test::TempFolder;

TEST(FileErrors, ErrnoMapsToThePlatformNumbers) {
    struct Case {
        int errnum;
        int number;
    } cases[] = {
        {ENOENT, 53},       {ENOTDIR, 76}, {EACCES, 70},    {EPERM, 70},  {EROFS, 70},
        {ENOSPC, 61},       {EDQUOT, 61},  {EIO, 57},       {ENODEV, 68}, {ENXIO, 68},
        {ENOMEDIUM, 71},    {ESTALE, 68},  {EHOSTDOWN, 68}, {EEXIST, 58}, {EMFILE, 67},
        {ENAMETOOLONG, 52}, {EINVAL, 75},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(errnoToNumber(c.errnum), c.number) << c.errnum;
        EXPECT_EQ(errnoToError(c.errnum).number(), c.number) << c.errnum;
    }
}

TEST(FileErrors, MissingFileOrMissingFolder) {
    TempFolder dir;
    EXPECT_EQ(errnoToError(ENOENT, dir.file("x.mdb")).number(), 53);
    EXPECT_EQ(errnoToError(ENOENT, dir.path() + "/gone/x.mdb").number(), 76);
    EXPECT_EQ(errnoToError(ENOENT, dir.file("x.mdb")).text(), "File not found");
}

TEST(FileCopy, CopiesWholeFilesOverTheTarget) {
    TempFolder dir;
    std::string big(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 31 % 251);
    dir.write("Qolb2018LAN.Mdb", big);
    dir.write("copy.mdb", "older and longer content than nothing");

    FileCopy(dir.file("Qolb2018LAN.Mdb"), dir.file("copy.mdb"));
    EXPECT_EQ(dir.read("copy.mdb"), big);
    EXPECT_EQ(dir.entryCount(), 2u);
}

TEST(FileCopy, NamesMatchWithoutRegardToCase) {
    TempFolder dir;
    dir.write("SysAdmin2018.mdb", "new");
    dir.write("BACKUP.MDB", "old");
    FileCopy(dir.file("SYSADMIN2018.MDB"), dir.file("backup.mdb"));
    EXPECT_EQ(dir.read("BACKUP.MDB"), "new");
    EXPECT_EQ(dir.entryCount(), 2u);
}

TEST(FileCopy, FailuresCarryTheirNumber) {
    TempFolder dir;
    dir.write("a.mdb", "a");
    struct Case {
        const char* what;
        std::string src, dst;
        int number;
    } cases[] = {
        {"missing source", dir.file("none.mdb"), dir.file("b.mdb"), 53},
        {"source folder missing", dir.path() + "/gone/a.mdb", dir.file("b.mdb"), 76},
        {"target folder missing", dir.file("a.mdb"), dir.path() + "/gone/b.mdb", 76},
        {"target under a file", dir.file("a.mdb"), dir.path() + "/a.mdb/b.mdb", 76},
        {"source is a folder", dir.path(), dir.file("b.mdb"), 75},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { FileCopy(c.src, c.dst); }), c.number) << c.what;
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(FileCopy, AFaultLeavesTheTargetAsItWas) {
    TempFolder dir;
    dir.write("src.mdb", "new content");
    dir.write("dst.mdb", "old");
    std::string seenSrc, seenDst;
    {
        ScopedCopyFault fault([&](const std::string& s, const std::string& d) {
            seenSrc = s;
            seenDst = d;
            return 61;
        });
        EXPECT_EQ(errorOf([&] { FileCopy(dir.file("src.mdb"), dir.file("dst.mdb")); }), 61);
        EXPECT_EQ(dir.read("dst.mdb"), "old");
        EXPECT_EQ(dir.entryCount(), 2u) << "the partial copy is removed";
        EXPECT_EQ(seenSrc, dir.file("src.mdb"));
        EXPECT_EQ(seenDst, dir.file("dst.mdb"));

        ScopedCopyFault inner(71);
        EXPECT_EQ(errorOf([&] { FileCopy(dir.file("src.mdb"), dir.file("new.mdb")); }), 71);
        EXPECT_FALSE(fileExists(dir.file("new.mdb")));
    }
    FileCopy(dir.file("src.mdb"), dir.file("dst.mdb"));
    EXPECT_EQ(dir.read("dst.mdb"), "new content");
}

TEST(FileCopy, AFailedWriteOrFlushLeavesTheTargetAsItWas) {
    TempFolder dir;
    dir.write("src.mdb", "new content");
    dir.write("dst.mdb", "old");
    for (auto failing : {FileOpsHooks::CopyStep::Write, FileOpsHooks::CopyStep::Sync}) {
        std::vector<FileOpsHooks::CopyStep> steps;
        ScopedCopyStepFault fault([&](FileOpsHooks::CopyStep step, const std::string& path) {
            steps.push_back(step);
            EXPECT_EQ(path, dir.file("dst.mdb"));
            return step == failing ? 57 : 0;
        });
        EXPECT_EQ(errorOf([&] { FileCopy(dir.file("src.mdb"), dir.file("dst.mdb")); }), 57);
        EXPECT_EQ(dir.read("dst.mdb"), "old");
        EXPECT_EQ(dir.entryCount(), 2u) << "the partial copy is removed";
        EXPECT_EQ(steps.back(), failing);
    }
    FileCopy(dir.file("src.mdb"), dir.file("dst.mdb"));
    EXPECT_EQ(dir.read("dst.mdb"), "new content");
}

TEST(FileCopy, AFaultFunctionMaySpareSomeCopies) {
    TempFolder dir;
    dir.write("a.mdb", "a");
    ScopedCopyFault fault([](const std::string&, const std::string& dst) {
        return dst.ends_with("SysAdmin2018.Mdb") ? 71 : 0;
    });
    EXPECT_NO_THROW(FileCopy(dir.file("a.mdb"), dir.file("Qolb2018LAN.Mdb")));
    EXPECT_EQ(errorOf([&] { FileCopy(dir.file("a.mdb"), dir.file("SysAdmin2018.Mdb")); }), 71);
}

TEST(FileOps, KillExistsAndRename) {
    TempFolder dir;
    dir.write("TransDB.mdb", "t");
    std::filesystem::create_directory(dir.file("sub"));

    EXPECT_TRUE(fileExists(dir.file("TransDB.mdb")));
    EXPECT_TRUE(fileExists(dir.file("transdb.MDB")));
    EXPECT_FALSE(fileExists(dir.file("sub")));
    EXPECT_FALSE(fileExists(dir.file("other.mdb")));

    dir.write("target.mdb", "old");
    renameFile(dir.file("TRANSDB.MDB"), dir.file("target.mdb"));
    EXPECT_EQ(dir.read("target.mdb"), "t");
    EXPECT_FALSE(fileExists(dir.file("TransDB.mdb")));
    EXPECT_EQ(errorOf([&] { renameFile(dir.file("TransDB.mdb"), dir.file("x.mdb")); }), 53);
    EXPECT_EQ(errorOf([&] { renameFile(dir.file("target.mdb"), dir.path() + "/gone/x.mdb"); }), 76);

    Kill(dir.file("Target.MDB"));
    EXPECT_FALSE(fileExists(dir.file("target.mdb")));
    EXPECT_EQ(errorOf([&] { Kill(dir.file("target.mdb")); }), 53);
    EXPECT_EQ(errorOf([&] { Kill(dir.path() + "/gone/target.mdb"); }), 76);
}
