#include "engine/Repair.h"

#include "RawFile.h"
#include "runtime/Error.h"
#include "support/ErrorOf.h"
#include "support/OtherProcess.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using support::OtherProcess;
using support::readBytes;
using support::TempFolder;
using support::writeBytes;

constexpr int kRows = 2000;
constexpr int kPageSize = 4096;

using Db = enginetest::RawFile;

// A file like the engine's: a small description table made first, then a client table
// big enough to span many pages, its index, a view and a version stamp.
void makeDatabase(const std::string& path) {
    Db db(path);
    db.exec("PRAGMA page_size = " + std::to_string(kPageSize) + "; PRAGMA user_version = 7;");
    db.exec(R"(CREATE TABLE jet_fields (tbl TEXT, name TEXT, type INTEGER);
               INSERT INTO jet_fields VALUES ('Clients', 'DCLNO', 7), ('Clients', 'Surname', 10);
               CREATE TABLE Clients (DCLNO REAL, Surname TEXT);
               CREATE VIEW Living AS SELECT * FROM Clients;)");
    db.exec("BEGIN");
    for (int i = 1; i <= kRows; ++i)
        db.exec("INSERT INTO Clients VALUES (" + std::to_string(i) + ", 'client " +
                std::to_string(i) + " " + std::string(150, 'x') + "')");
    db.exec("COMMIT");
    db.exec("CREATE INDEX indxSurname ON Clients (Surname)");
}

// The number of a leaf page that holds client rows, well inside the table.
long long clientLeafPage(const std::string& path) {
    Db db(path);
    return db.number("SELECT pageno FROM dbstat WHERE name = 'Clients' AND pagetype = 'leaf' "
                     "ORDER BY pageno LIMIT 1 OFFSET 30");
}

std::vector<fs::path> copiesBeside(const std::string& path) {
    std::vector<fs::path> found;
    const std::string prefix = fs::path(path).filename().string() + ".damaged-";
    for (const auto& e : fs::directory_iterator(fs::path(path).parent_path()))
        if (e.path().filename().string().rfind(prefix, 0) == 0) found.push_back(e.path());
    return found;
}

int repairError(const std::string& path) {
    return support::errorOf([&] { engine::repairFile(path); });
}

void expectSound(const std::string& path) {
    Db db(path);
    EXPECT_EQ(db.text("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(db.number("SELECT count(*) FROM jet_fields"), 2);
    EXPECT_EQ(db.number("SELECT count(*) FROM sqlite_master WHERE name = 'indxSurname'"), 1);
    EXPECT_EQ(db.number("SELECT count(*) FROM sqlite_master WHERE name = 'Living'"), 1);
    EXPECT_EQ(db.number("PRAGMA user_version"), 7);
    EXPECT_EQ(db.text("PRAGMA journal_mode"), "delete");
}

TEST(Repair, DamagedPageCostsOnlyItsOwnRows) {
    TempFolder dir;
    const std::string path = dir.file("Qolb2018Lan.mdb");
    makeDatabase(path);
    const long long page = clientLeafPage(path);
    ASSERT_GT(page, 2);
    std::string bytes = readBytes(path);
    bytes.replace(static_cast<std::size_t>((page - 1) * kPageSize), kPageSize,
                  std::string(kPageSize, '\xA5'));
    writeBytes(path, bytes);

    const std::string copy = engine::repairFile(path);

    EXPECT_EQ(copiesBeside(path), std::vector<fs::path>{fs::path(copy)});
    EXPECT_EQ(readBytes(copy), bytes);
    expectSound(path);
    Db db(path);
    const long long kept = db.number("SELECT count(*) FROM Clients");
    EXPECT_LT(kept, kRows);
    EXPECT_GT(kept, kRows - 40); // one page holds about twenty rows
    EXPECT_EQ(db.number("SELECT max(DCLNO) FROM Clients"), kRows);
    EXPECT_EQ(db.number("SELECT min(DCLNO) FROM Clients"), 1);
    // Rows keep their order of insertion.
    EXPECT_EQ(db.number("SELECT count(*) FROM Clients WHERE rowid <> DCLNO"), 0);
}

TEST(Repair, TruncatedFileKeepsWhatItStillHolds) {
    TempFolder dir;
    const std::string path = dir.file("a.mdb");
    makeDatabase(path);
    std::string bytes = readBytes(path);
    // The index was made last and fills the end: cut into the client rows themselves.
    bytes.resize(bytes.size() * 3 / 10 / kPageSize * kPageSize);
    writeBytes(path, bytes);

    const std::string copy = engine::repairFile(path);

    EXPECT_EQ(readBytes(copy), bytes);
    expectSound(path); // the lost index is made again
    Db db(path);
    const long long kept = db.number("SELECT count(*) FROM Clients");
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, kRows);
}

TEST(Repair, SoundFileKeepsEverything) {
    TempFolder dir;
    const std::string path = dir.file("a.mdb");
    makeDatabase(path);
    const std::string before = readBytes(path);
    const std::string copy = engine::repairFile(path);
    EXPECT_EQ(readBytes(copy), before);
    expectSound(path);
    EXPECT_EQ(Db(path).number("SELECT count(*) FROM Clients"), kRows);
    // A second repair keeps a second copy instead of overwriting the first.
    const std::string second = engine::repairFile(path);
    EXPECT_NE(second, copy);
    EXPECT_EQ(copiesBeside(path).size(), 2u);
}

TEST(Repair, WhatIsNoDatabaseIsLeftAlone) {
    TempFolder dir;
    const struct {
        const char* name;
        std::string content;
    } files[] = {
        {"notes.mdb", "These are not the records you are looking for.\r\n"},
        {"empty.mdb", ""},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const std::string path = dir.file(f.name);
        writeBytes(path, f.content);
        EXPECT_EQ(repairError(path), 3343);
        EXPECT_EQ(readBytes(path), f.content);
        EXPECT_TRUE(copiesBeside(path).empty());
    }
    EXPECT_EQ(repairError(dir.file("missing.mdb")), 3024);
}

TEST(Repair, FileAnotherProcessUsesIsNotTouched) {
    TempFolder dir;
    const std::string path = dir.file("a.mdb");
    makeDatabase(path);
    const std::string before = readBytes(path);
    OtherProcess other(OtherProcess::lockOnly(path, false));
    ASSERT_TRUE(other.acquired());
    EXPECT_EQ(repairError(path), 3045);
    EXPECT_EQ(readBytes(path), before);
    EXPECT_TRUE(copiesBeside(path).empty());
}

TEST(Repair, LeftoverJournalGoesWithTheCopy) {
    TempFolder dir;
    const std::string path = dir.file("a.mdb");
    makeDatabase(path);
    // A journal that is not a hot one (zero header) still must not stay beside the new file.
    writeBytes(path + "-journal", std::string(512, '\0'));
    const std::string copy = engine::repairFile(path);
    EXPECT_FALSE(fs::exists(path + "-journal"));
    EXPECT_TRUE(fs::exists(copy + "-journal"));
    expectSound(path);
}

} // namespace
