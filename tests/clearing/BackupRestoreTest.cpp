#include "clearing/BackupRestore.h"

#include "ClearingFixture.h"
#include "app/FileChoice.h"
#include "clearing/BackupSet.h"
#include "clearing/FileCopies.h"
#include "runtime/FileOps.h"

#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace clearing_test {
namespace {

using forms::vbCancel;
using forms::vbNo;
using forms::vbOK;
using forms::vbYes;

const std::string kBackupDone = "Backing up of Database's completed !";
const std::string kRestoreDone = "Restoring of Database completed !\r\nPlease exit SysAdmin "
                                 "program and enter it again \r\nto ensure database structures "
                                 "are updated !";
const std::string kRestoreQuestion =
    "Performing this operation will copy Quolby database files from the 'Look in' source "
    "drive/path of your choice to the existing Quolby Admin program and will overwrite the "
    "databases that are currently there without warning. Please ensure that this is your "
    "intention. ?\r\nThere cannot be any Quolby assessment/data currently in memory so an "
    "initialisation of data will now be performed and then the database will be restored!\r\nDO "
    "YOU WANT TO CONTINUE WITH THIS OPERATION ?";
const std::string kBackupMedia = "There is a problem Writing to the Chosen Media?\r\nPlease "
                                 "ensure that the Device is available and has sufficient space "
                                 "for the file.";
const std::string kRestoreMedia = "There is a problem Coping?\r\nPlease ensure that the Device "
                                  "is available and correctly plugged in/inserted!";
const std::string kRestorePath =
    "There is a problem Restoring?\r\nThe 'Look in' (copy from path) was not originally set "
    "correctly and Quolby is confused!\r\nTo reset path correctly the program needs to be exited "
    "and re-started.";

const std::vector<std::string> kSetNames{"Qolb2018LAN.Mdb", "QolbTrust2018Lan.Mdb",
                                         "QolbCompany2018Lan.Mdb", "SysAdmin2018.Mdb"};

bool contains(const std::string& s, const std::string& part) {
    return s.find(part) != std::string::npos;
}

class BackupRestoreTest : public WindowFixture {
protected:
    BackupRestoreTest() {
        makeFiles({{"ann", true}, {"bob"}}, {{"ann", "A.", "Adams"}}, {{"bob", "Trust One"}},
                  {{"", "Company One"}});
    }
    std::vector<std::string> netFiles() const {
        return {persPath(), trustPath(), compPath(), sysPath()};
    }
    std::string netBytes() const {
        std::string all;
        for (const auto& f : netFiles())
            all += readBytes(f) + "|";
        return all;
    }
    void backUpTo(const std::string& target) {
        desk.expectSaveDialog(target);
        desk.expectMessage(kBackupDone, forms::vbOKOnly, "", vbOK);
        ASSERT_TRUE(w.click("cmdBackUp"));
        ASSERT_TRUE(desk.verify());
    }
    void expectIdleAfterwards() {
        EXPECT_FALSE(w.Animation2.Visible());
        EXPECT_EQ(desk.mousePointer(), forms::vbDefault);
    }
    static std::string line(const std::string& src, const std::string& dst, int number,
                            const std::string& text) {
        return "\r\n" + src + " to " + dst + ": Error " + std::to_string(number) + ": " + text;
    }

    support::TempFolder bak;
};

TEST_F(BackupRestoreTest, BackupCopiesTheFourFilesIntoAFreshFolder) {
    backUpTo(bak.file("Qolb2018LAN.Mdb"));

    const auto& request = desk.shown().front().request;
    EXPECT_EQ(request.Flags & forms::cdlOFNFileMustExist, 0); // a new file may be named
    EXPECT_EQ(request.InitDir, app::dialogStartFolder());
    EXPECT_NE(request.InitDir, "C:\\");
    EXPECT_EQ(request.FileName, "Qolb2018LAN.Mdb");
    EXPECT_EQ(request.DialogTitle,
              "Backup File Qolb2018LAN.Mdb to 'Save In:' destination drive/path?");
    EXPECT_EQ(request.Filter, "Access Database (.mdb)|*.mdb");

    for (const auto& name : kSetNames)
        EXPECT_TRUE(std::filesystem::exists(bak.file(name))) << name;
    EXPECT_EQ(bak.entryCount(), 4u);
    EXPECT_EQ(readUsers(bak.file("SysAdmin2018.Mdb")).size(), 2u);
    EXPECT_EQ(readClients(bak.file("QolbTrust2018Lan.Mdb"), "TRUSTDetails").at(0).name1,
              Variant("Trust One"));
    expectIdleAfterwards();
}

TEST_F(BackupRestoreTest, ABackupTakenWhileAWorkstationWritesHoldsWholeTransactions) {
    const int perTransaction = 40;
    OtherProcess writer(persPath(), false, "", [&](engine::Database& db) {
        auto& ws = engine::DBEngine::instance().Workspaces(0);
        auto rs = db.OpenRecordset("Qolb2018", engine::dbOpenTable);
        ws.BeginTrans();
        for (int i = 0; i < perTransaction; ++i) {
            rs->AddNew();
            rs->Fields("UserName").setValue(Variant("w"));
            rs->Update();
        }
        ws.CommitTrans();
        rs->Close();
        usleep(2000); // a workstation pauses between saves
    });
    ASSERT_TRUE(writer.acquired());
    std::size_t last = 0;
    for (int pass = 0; pass < 5; ++pass) {
        const auto failures =
            clearing::backupCopies(clearing::backupSteps(persPath(), bak.file("Qolb2018LAN.Mdb")));
        ASSERT_TRUE(failures.empty()) << failures.front().text;
        const std::size_t rows = readClients(bak.file("Qolb2018LAN.Mdb"), "Qolb2018").size();
        EXPECT_EQ((rows - 1) % perTransaction, 0u) << rows; // one row was there before
        EXPECT_GE(rows, last);
        last = rows;
    }
}

// A workstation opened the last backup and died in the middle of a save, after part of
// it had reached the file: the journal it left belongs to the old copy, and played into
// the new one it would wreck it.
TEST_F(BackupRestoreTest, AJournalLeftBesideAnOldBackupIsNotPlayedIntoTheNewOne) {
    backUpTo(bak.file("Qolb2018LAN.Mdb"));
    const std::string journal = bak.file("Qolb2018LAN.Mdb-journal");
    closeAll();
    if (const pid_t child = fork(); child == 0) {
        // A save larger than the engine's page cache, so that part of it reaches the file
        // before the save ends.
        auto& ws = engine::DBEngine::instance().Workspaces(0);
        auto db = ws.OpenDatabase(bak.file("Qolb2018LAN.Mdb"));
        auto scratch = db->CreateTableDef("Scratch");
        scratch->Fields().Append(scratch->CreateField("Note", engine::dbMemo));
        db->TableDefs().Append(scratch);
        ws.BeginTrans();
        auto rs = db->OpenRecordset("Scratch", engine::dbOpenTable);
        rs->AddNew();
        rs->Fields("Note").setValue(engine::Variant(std::string(24 << 20, 'x')));
        rs->Update();
        _exit(0);
    } else {
        int status = 0;
        waitpid(child, &status, 0);
    }
    ASSERT_TRUE(std::filesystem::exists(journal));
    // The network file has grown past the old copy's size since.
    auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(persPath());
    for (int i = 0; i < 8; ++i)
        db->Execute("INSERT INTO Qolb2018 (UserName, PERS2, Surname) SELECT UserName, PERS2, "
                    "Surname FROM Qolb2018");
    db->Close();

    backUpTo(bak.file("Qolb2018LAN.Mdb"));
    EXPECT_FALSE(std::filesystem::exists(journal));
    // Opened for writing, as a workstation opens a restored copy.
    db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(bak.file("Qolb2018LAN.Mdb"));
    EXPECT_EQ(db->OpenRecordset("Qolb2018", engine::dbOpenTable)->RecordCount(), 256);
    db->Close();
}

TEST_F(BackupRestoreTest, TheOtherFilesGoIntoTheFolderOfWhateverFileWasChosen) {
    backUpTo(bak.file("Monday.mdb"));
    EXPECT_TRUE(std::filesystem::exists(bak.file("Monday.mdb")));
    for (std::size_t i = 1; i < kSetNames.size(); ++i)
        EXPECT_TRUE(std::filesystem::exists(bak.file(kSetNames[i]))) << kSetNames[i];
    EXPECT_FALSE(std::filesystem::exists(bak.file("Qolb2018LAN.Mdb")));
}

// A backup aimed at the network folder itself would write one database over another
// (the individuals file over the trust file) before reporting success.
TEST_F(BackupRestoreTest, ABackupOntoAFileItCopiesIsRefusedBeforeAnyCopy) {
    const std::string before = netBytes();
    std::filesystem::create_symlink(net.path(), bak.file("shortcut"));
    const std::vector<std::pair<std::string, std::string>> cases{
        // chosen file, the target the message names
        {net.file("QolbTrust2018Lan.Mdb"), net.file("QolbTrust2018Lan.Mdb")},
        {net.file("QOLBTRUST2018LAN.MDB"), net.file("QOLBTRUST2018LAN.MDB")},
        {net.file("Qolb2018LAN.Mdb"), net.file("Qolb2018LAN.Mdb")},
        {bak.file("shortcut/Monday.mdb"), bak.file("shortcut/QolbTrust2018Lan.Mdb")},
    };
    for (const auto& [chosen, named] : cases) {
        SCOPED_TRACE(chosen);
        desk.expectSaveDialog(chosen);
        desk.expectMessage("The backup cannot be written over a database it is copying:\r\n" +
                               named +
                               "\r\nChoose another drive or folder for the backup.\r\nNothing "
                               "has been copied.",
                           forms::vbCritical, "Backup Failed!", vbOK);
        ASSERT_TRUE(w.click("cmdBackUp"));
        ASSERT_TRUE(desk.verify());
        EXPECT_EQ(netBytes(), before);
        EXPECT_EQ(net.entryCount(), 4u);
        EXPECT_EQ(bak.entryCount(), 1u); // the link alone
        expectIdleAfterwards();
    }
}

TEST_F(BackupRestoreTest, CancellingEitherDialogCopiesNothing) {
    desk.expectDialogCancel();
    desk.expectMessage("User has cancelled the operation!", forms::vbOKOnly, "", vbOK);
    ASSERT_TRUE(w.click("cmdBackUp"));
    EXPECT_FALSE(w.CommonDialog1.CancelError());
    expectIdleAfterwards();

    const std::string before = netBytes();
    desk.expectMessage(kRestoreQuestion, 292, "RESTORE !!", vbYes);
    desk.expectDialogCancel();
    desk.expectMessage("User has cancelled the Restore operation!", forms::vbOKOnly, "", vbOK);
    ASSERT_TRUE(w.click("cmdRestore"));
    expectIdleAfterwards();
    EXPECT_EQ(bak.entryCount(), 0u);
    EXPECT_EQ(netBytes(), before);

    // The cancel is forgotten: the next backup copies.
    backUpTo(bak.file("Qolb2018LAN.Mdb"));
    EXPECT_EQ(bak.entryCount(), 4u);
}

TEST_F(BackupRestoreTest, AMediaErrorOffersARetryOfTheWholePass) {
    const std::string trustTarget = bak.file("QolbTrust2018Lan.Mdb");
    const std::string failed =
        kBackupMedia + "\r\n" + line(trustPath(), trustTarget, 61, "Disk full");
    {
        runtime::ScopedCopyFault full([](const std::string& src, const std::string&) {
            return contains(src, "QolbTrust") ? 61 : 0;
        });
        desk.expectSaveDialog(bak.file("Qolb2018LAN.Mdb"));
        desk.expectMessage(failed, forms::vbOKCancel, "Chosen Media Faulty!", vbCancel);
        ASSERT_TRUE(w.click("cmdBackUp"));
        ASSERT_TRUE(desk.verify());
        expectIdleAfterwards();
        EXPECT_FALSE(std::filesystem::exists(trustTarget));
    }

    int faults = 1; // the medium recovers after the first failure
    runtime::ScopedCopyFault once([&](const std::string& src, const std::string&) {
        return contains(src, "QolbTrust") && faults-- > 0 ? 61 : 0;
    });
    desk.expectSaveDialog(bak.file("Qolb2018LAN.Mdb"));
    desk.expectMessage(failed, forms::vbOKCancel, "Chosen Media Faulty!", vbOK);
    desk.expectMessage(kBackupDone, forms::vbOKOnly, "", vbOK);
    const int pumpsBefore = desk.doEventsCount();
    ASSERT_TRUE(w.click("cmdBackUp"));
    EXPECT_GT(desk.doEventsCount(), pumpsBefore);
    const auto& pointers = desk.pointerHistory();
    EXPECT_NE(std::find(pointers.begin(), pointers.end(), forms::vbHourglass), pointers.end());
    EXPECT_TRUE(std::filesystem::exists(trustTarget));
    expectIdleAfterwards();
}

TEST_F(BackupRestoreTest, AMissingSourceFailsTheBackupInsteadOfBeingPassedOver) {
    std::filesystem::remove(compPath());
    desk.expectSaveDialog(bak.file("Qolb2018LAN.Mdb"));
    desk.expectMessage(
        "Backing up of Database's failed !\r\nThese files were not copied:" +
            line(compPath(), bak.file("QolbCompany2018Lan.Mdb"), 53, "File not found"),
        forms::vbCritical, "Backup Failed!", vbOK);
    ASSERT_TRUE(w.click("cmdBackUp"));
    expectIdleAfterwards();
}

TEST_F(BackupRestoreTest, AnsweringNoToTheRestoreCopiesNothing) {
    const std::string before = netBytes();
    desk.expectMessage(kRestoreQuestion, 292, "RESTORE !!", vbNo);
    ASSERT_TRUE(w.click("cmdRestore"));
    EXPECT_EQ(netBytes(), before);
    EXPECT_EQ(desk.mousePointer(), forms::vbDefault);
    EXPECT_FALSE(w.Animation2.Visible());
}

TEST_F(BackupRestoreTest, ARestoreBringsBackExactlyTheBackedUpFiles) {
    backUpTo(bak.file("Qolb2018LAN.Mdb"));
    std::string backedUp;
    for (const auto& name : kSetNames)
        backedUp += readBytes(bak.file(name)) + "|";

    addRow(persPath(), "Qolb2018", {{"UserName", "new"}});
    logOn(sysPath(), "bob");
    // A journal the old file left behind must not be played into the restored one.
    { std::ofstream(persPath() + "-journal") << "stale journal"; }

    desk.expectMessage(kRestoreQuestion, 292, "RESTORE !!", vbYes);
    desk.expectOpenDialog(bak.file("Qolb2018LAN.Mdb"));
    desk.expectMessage(kRestoreDone, forms::vbOKOnly, "", vbOK);
    ASSERT_TRUE(w.click("cmdRestore"));
    ASSERT_TRUE(desk.verify());

    const auto& request = desk.shown()[desk.shown().size() - 2].request;
    EXPECT_EQ(request.Flags, forms::cdlOFNFileMustExist);
    EXPECT_EQ(request.DialogTitle, "Restore File Qolb2018LAN.Mdb FROM Backup Drive/Path Source?");

    EXPECT_EQ(netBytes(), backedUp);
    EXPECT_FALSE(std::filesystem::exists(persPath() + "-journal"));
    EXPECT_EQ(net.entryCount(), 4u); // no temporary copy left behind
    EXPECT_EQ(readClients(persPath(), "Qolb2018").size(), 1u);
    EXPECT_FALSE(readUsers(sysPath()).at(1).loggedOn);
    expectIdleAfterwards();
}

TEST_F(BackupRestoreTest, ASourceThatIsMissingOrNoDatabaseStopsTheRestoreBeforeAnyCopy) {
    addRow(persPath(), "Qolb2018", {{"UserName", "new"}});
    const std::string before = netBytes();

    struct Case {
        std::string file;
        std::string content; // empty: the file is removed
        std::string message;
    };
    const std::vector<Case> cases{
        {bak.file("QolbTrust2018Lan.Mdb"), "not a database at all",
         "The backup file " + bak.file("QolbTrust2018Lan.Mdb") +
             " is not a Quolby database.\r\nNothing has been restored."},
        {bak.file("QolbCompany2018Lan.Mdb"), "",
         "The backup file " + bak.file("QolbCompany2018Lan.Mdb") +
             " is missing.\r\nNothing has been restored."},
    };
    for (const Case& c : cases) {
        backUpTo(bak.file("Qolb2018LAN.Mdb"));
        if (c.content.empty())
            std::filesystem::remove(c.file);
        else
            std::ofstream(c.file, std::ios::trunc) << c.content;
        desk.expectMessage(kRestoreQuestion, 292, "RESTORE !!", vbYes);
        desk.expectOpenDialog(bak.file("Qolb2018LAN.Mdb"));
        desk.expectMessage(c.message, forms::vbCritical, "RESTORE !!", vbOK);
        ASSERT_TRUE(w.click("cmdRestore"));
        ASSERT_TRUE(desk.verify()) << c.file;
        EXPECT_EQ(netBytes(), before) << c.file;
        expectIdleAfterwards();
    }
}

// The same mistake the other way: the network folder's trust file chosen as the backup
// would be restored over the individuals file.
TEST_F(BackupRestoreTest, ARestoreFromTheNetworkFolderItselfIsRefused) {
    const std::string before = netBytes();
    for (const std::string& chosen :
         {net.file("QolbTrust2018Lan.Mdb"), net.file("Qolb2018LAN.mdb")}) {
        SCOPED_TRACE(chosen);
        desk.expectMessage(kRestoreQuestion, 292, "RESTORE !!", vbYes);
        desk.expectOpenDialog(chosen);
        desk.expectMessage("The databases cannot be restored from the folder they are restored "
                           "into:\r\n" +
                               net.path() +
                               "\r\nChoose the drive or folder that holds the backup.\r\nNothing "
                               "has been restored.",
                           forms::vbCritical, "RESTORE !!", vbOK);
        ASSERT_TRUE(w.click("cmdRestore"));
        ASSERT_TRUE(desk.verify());
        EXPECT_EQ(netBytes(), before);
        EXPECT_EQ(net.entryCount(), 4u);
        expectIdleAfterwards();
    }
}

TEST_F(BackupRestoreTest, AFailedCopyLeavesEveryNetworkFileAsItWas) {
    backUpTo(bak.file("Qolb2018LAN.Mdb"));
    addRow(persPath(), "Qolb2018", {{"UserName", "new"}});
    const std::string before = netBytes();

    struct Case {
        int number;
        std::string text;
        std::string message;
        std::string title;
    };
    for (const Case& c : {Case{70, "Permission denied", kRestorePath, "Path Error!"},
                          Case{61, "Disk full", kRestoreMedia, "Chosen Media Faulty!"}}) {
        runtime::ScopedCopyFault fault([&](const std::string& src, const std::string&) {
            return contains(src, "QolbCompany") ? c.number : 0;
        });
        desk.expectMessage(kRestoreQuestion, 292, "RESTORE !!", vbYes);
        desk.expectOpenDialog(bak.file("Qolb2018LAN.Mdb"));
        desk.expectMessage(
            c.message + "\r\n" +
                line(bak.file("QolbCompany2018Lan.Mdb"), compPath(), c.number, c.text),
            forms::vbCritical, c.title, vbOK);
        ASSERT_TRUE(w.click("cmdRestore"));
        ASSERT_TRUE(desk.verify()) << c.number;
        EXPECT_EQ(netBytes(), before) << c.number;
        EXPECT_EQ(net.entryCount(), 4u) << c.number;
        expectIdleAfterwards();
    }
}

// Every copy arrived, but one of them cannot be put in place: the files already replaced
// go back, so the network folder never holds a mix of old and restored files.
TEST_F(BackupRestoreTest, AFileThatCannotBePutInPlaceBringsTheOldOnesBack) {
    backUpTo(bak.file("Qolb2018LAN.Mdb"));
    addRow(persPath(), "Qolb2018", {{"UserName", "new"}});
    closeAll();
    const std::string journal = persPath() + "-journal";
    { std::ofstream(journal) << "the old file's journal"; }
    const std::string before = netBytes();
    const std::string failedLine =
        line(bak.file("QolbCompany2018Lan.Mdb"), compPath(), 70, "Permission denied");

    struct Case {
        std::string stuck; // an old file that cannot go back either; empty: none
        std::string message;
    };
    const std::vector<Case> cases{
        {"", "Restoring of Database failed !\r\nEvery database has been put back as it was: "
             "nothing has been restored.\r\nThis file could not be put in place:" +
                 failedLine},
        {trustPath(),
         "Restoring of Database failed, and the database files are now a mixed set !\r\nThese "
         "databases could not be put back; each old file is kept under the name shown:\r\n" +
             trustPath() + " is kept as " + trustPath() +
             ".restoring-old\r\nRestore them again before anybody works on them.\r\nThis file "
             "could not be put in place:" +
             failedLine},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stuck);
        runtime::ScopedRenameFault fault([&](const std::string& src, const std::string& dst) {
            const bool placingCompany = src.ends_with(".restoring") && contains(dst, "QolbCompany");
            const bool puttingBack = !c.stuck.empty() && src == c.stuck + ".restoring-old";
            return placingCompany || puttingBack ? 70 : 0;
        });
        desk.expectMessage(kRestoreQuestion, 292, "RESTORE !!", vbYes);
        desk.expectOpenDialog(bak.file("Qolb2018LAN.Mdb"));
        desk.expectMessage(c.message, forms::vbCritical, "RESTORE !!", vbOK);
        ASSERT_TRUE(w.click("cmdRestore"));
        ASSERT_TRUE(desk.verify());
        expectIdleAfterwards();
        if (c.stuck.empty()) {
            EXPECT_EQ(netBytes(), before);
            EXPECT_EQ(readBytes(journal), "the old file's journal");
            EXPECT_EQ(net.entryCount(), 5u); // no copy or parked file left behind
        } else {
            EXPECT_TRUE(std::filesystem::exists(c.stuck + ".restoring-old"));
        }
    }
}

TEST_F(BackupRestoreTest, ARestoreWaitsUntilNoWorkstationHoldsANetworkFile) {
    backUpTo(bak.file("Qolb2018LAN.Mdb"));
    addRow(persPath(), "Qolb2018", {{"UserName", "new"}});
    const std::string before = netBytes();
    {
        OtherProcess other(trustPath(), false);
        ASSERT_TRUE(other.acquired());
        desk.expectMessage(kRestoreQuestion, 292, "RESTORE !!", vbYes);
        desk.expectOpenDialog(bak.file("Qolb2018LAN.Mdb"));
        desk.expectMessage("The database " + trustPath() +
                               " is open on another workstation.\r\nClose Quolby on every "
                               "workstation and try again.\r\nNothing has been restored.",
                           forms::vbCritical, "RESTORE !!", vbOK);
        ASSERT_TRUE(w.click("cmdRestore"));
        ASSERT_TRUE(desk.verify());
    }
    EXPECT_EQ(netBytes(), before);
}

} // namespace
} // namespace clearing_test
