// Locating last year's file: the wrong-file question, the cancel, the structure version
// and the files that cannot be read.

#include "CarryFixture.h"
#include "engine/Dao.h"
#include "engine/EngineErrors.h"
#include "support/ErrorOf.h"
#include "support/OtherProcess.h"

#include <filesystem>

namespace carry_test {
namespace {

using forms::vbNo;
using forms::vbOK;
using forms::vbYes;

const std::string kIncorrectFile =
    "Incorrect File Selected!\r\nDo you want to continue importing an assessment?";
const std::string kOldVersion =
    "Please ensure that you are importing from the latest version of Quolby2017!!";

class LocateTest : public CarryFixture {
protected:
    // Last year's individuals file with two clients, at this structure version.
    std::string makeIndividuals(const std::string& path,
                                std::optional<Variant> version = Variant(std::int16_t{6})) {
        makeLastYear(path, FileKind::LastYearIndividuals,
                     {{"Qolb2017", {{"DCLNO", 1.0}, {"Surname", "Bee"}}},
                      {"Qolb2017", {{"DCLNO", 2.0}, {"Surname", "Ant"}}}},
                     version);
        return path;
    }
    std::string makeTrusts(const std::string& path) {
        makeLastYear(path, FileKind::LastYearTrust,
                     {{"TRUSTDetails", {{"TDCLNO", 4.0}, {"TrustName", "Family"}}}});
        return path;
    }

    // What a locate may change, to show that something left it all alone.
    struct Page {
        std::vector<std::string> rows;
        std::vector<Variant> numbers;
        std::string path, text1, pathFile;
        bool listEnabled, selEnabled, wholeEnabled;
        bool operator==(const Page&) const = default;
    };
    Page page() const {
        return {w.lstPrevYear.items(),
                w.PrevYearClientNos,
                w.PrevYearDbPath,
                w.Text1.Text(),
                program.exists("QB2017Path.Dll") ? pathFileText("QB2017Path.Dll") : "",
                w.lstPrevYear.Enabled(),
                w.cmdImpSelAss.Enabled(),
                w.cmdImpWholeDB.Enabled()};
    }
};

TEST_F(LocateTest, TheDialogStartsInLastYearsFolderOfTheHomeFolderWhenThereIsOne) {
    for (bool folderThere : {false, true}) {
        if (folderThere) std::filesystem::create_directory(home.file("QB2017 SysAdmin"));
        desk.expectDialogCancel();
        ASSERT_TRUE(w.click("cmdLocateDB"));
        EXPECT_EQ(desk.shown().back().request.InitDir,
                  folderThere ? home.file("QB2017 SysAdmin") : home.path());
    }
}

TEST_F(LocateTest, TheWrongFileQuestionRetriesTheSameFileUntilNo) {
    // This year's individuals file lacks last year's main table.
    const std::string thisYear = src.file("Qolb2018LAN.mdb");
    support::DatabaseFile(thisYear, FileKind::Individuals).only({"Qolb2018"}).make();
    const std::string good = makeIndividuals(src.file("Qolb2017LAN.MDB"));
    locate(good);
    const Page before = page();

    desk.expectOpenDialog(thisYear);
    for (int answer : {vbYes, vbYes, vbNo})
        desk.expectMessage(kIncorrectFile, forms::vbYesNo, " Quolby 2017 Database not found!",
                           answer);
    ASSERT_TRUE(w.click("cmdLocateDB"));
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    EXPECT_EQ(desk.shown().size(), 5u) << "one dialog for the whole run";
    // Given up: the earlier file and its listing stay in force together.
    EXPECT_EQ(page(), before);
}

TEST_F(LocateTest, YesAfterTheFileWasPutRightListsIt) {
    const std::string path = src.file("QolbTrust2017Lan.Mdb");
    support::DatabaseFile(path, FileKind::Individuals).only({"Qolb2018"}).make();
    makeIndividuals(versionFile());
    desk.onMessage = [&] {
        closeAll();
        std::filesystem::remove(path);
        makeTrusts(path);
    };
    chooseKind(1);
    desk.expectOpenDialog(path);
    desk.expectMessage(kIncorrectFile, forms::vbYesNo, " Quolby 2017 Database not found!", vbYes);
    ASSERT_TRUE(w.click("cmdLocateDB"));
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    EXPECT_EQ(w.lstPrevYear.items(), (std::vector<std::string>{"Family  "}));
    EXPECT_EQ(w.PrevYearDbPath, path);
}

TEST_F(LocateTest, TheWindowRefusesOtherActionsWhileTheLocateAsks) {
    const std::string path = src.file("Qolb2018LAN.mdb");
    support::DatabaseFile(path, FileKind::Individuals).only({"Qolb2018"}).make();
    std::vector<bool> refused;
    desk.onMessage = [&] {
        refused = {w.cmdLocateDB.userRefused(), w.optWhichDBImport(1).userRefused(),
                   w.SSIndexTab1.userRefused(), w.unloadRefused()};
    };
    desk.expectOpenDialog(path);
    desk.expectMessage(kIncorrectFile, vbNo);
    ASSERT_TRUE(w.click("cmdLocateDB"));
    EXPECT_EQ(refused, std::vector<bool>(4, true));
    EXPECT_FALSE(w.cmdLocateDB.userRefused());
    EXPECT_FALSE(w.unloadRefused());
}

TEST_F(LocateTest, ACancelledDialogAfterAGoodLocateKeepsEverything) {
    locate(makeIndividuals(src.file("Qolb2017LAN.MDB")));
    const Page before = page();
    for (bool cancelError : {false, true}) {
        w.CommonDialog1.setCancelError(cancelError);
        desk.expectDialogCancel();
        ASSERT_TRUE(w.click("cmdLocateDB"));
        EXPECT_TRUE(desk.verify()) << desk.transcript();
        EXPECT_TRUE(desk.messages().empty()) << desk.transcript();
        EXPECT_EQ(page(), before);
    }
}

TEST_F(LocateTest, TheStructureVersionMustBeAtLeastSix) {
    struct Case {
        const char* what;
        std::optional<Variant> version; // nullopt: DefInvOpt without a row
        bool withoutTable = false;
        bool passes = false;
    };
    const Case cases[] = {
        {"5", Variant(std::int16_t{5})},
        {"6", Variant(std::int16_t{6}), false, true},
        {"7", Variant(std::int16_t{7}), false, true},
        {"Null", Variant()},
        {"no row", std::nullopt},
        {"no DefInvOpt", Variant(std::int16_t{6}), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        support::TempFolder folder;
        const std::string path = folder.file("Qolb2017LAN.MDB");
        if (c.withoutTable)
            support::DatabaseFile(path, FileKind::LastYearIndividuals)
                .only({"Qolb2017", "Qolb2017Cont"})
                .row("Qolb2017", {{"DCLNO", 1.0}, {"Surname", "Bee"}})
                .row("Qolb2017", {{"DCLNO", 2.0}, {"Surname", "Ant"}})
                .make();
        else
            makeIndividuals(path, c.version);
        locate(path, c.passes ? std::vector<std::string>{} : std::vector{kOldVersion});
        // The list keeps its rows on show either way.
        EXPECT_EQ(w.lstPrevYear.items(), (std::vector<std::string>{"Ant   ", "Bee   "}));
        EXPECT_EQ(w.lstPrevYear.Enabled(), c.passes);
        EXPECT_EQ(w.cmdImpSelAss.Enabled(), c.passes);
        EXPECT_EQ(w.cmdImpWholeDB.Enabled(), c.passes);
        closeAll();
    }
}

TEST_F(LocateTest, TrustsAndCompaniesAreTestedByTheIndividualsFileBesideThem) {
    struct Case {
        int option;
        const char* name; // of the chosen file
        bool individualsBeside;
        bool passes;
    };
    const Case cases[] = {
        {1, "QolbTrust2017Lan.Mdb", true, true},
        {1, "Trusts.mdb", true, true}, // another name does not lead the test astray
        {1, "QolbTrust2017Lan.Mdb", false, false},
        {2, "QolbCompany2017Lan.MDB", true, true},
        {2, "Co.mdb", true, true},
        {2, "Co.mdb", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        support::TempFolder folder;
        const std::string path = folder.file(c.name);
        if (c.option == 1)
            makeTrusts(path);
        else
            makeLastYear(path, FileKind::LastYearCompany,
                         {{"CompanyDetails", {{"CDCLNO", 3.0}, {"CompanyRegName", "Co"}}}});
        if (c.individualsBeside) makeIndividuals(folder.file("Qolb2017LAN.MDB"));
        chooseKind(c.option);
        locate(path, c.passes ? std::vector<std::string>{} : std::vector{kOldVersion});
        EXPECT_EQ(w.lstPrevYear.ListCount(), 1);
        EXPECT_EQ(w.cmdImpSelAss.Enabled(), c.passes);
        closeAll();
    }
}

TEST_F(LocateTest, AFileThatCannotBeReadIsReportedAndLeavesNothingToImport) {
    const std::string good = makeIndividuals(src.file("Qolb2017LAN.MDB"));
    struct Case {
        const char* what;
        std::function<std::unique_ptr<support::OtherProcess>(const std::string& path)> make;
    };
    const Case cases[] = {
        {"damaged",
         [&](const std::string& path) {
             std::filesystem::copy_file(good, path);
             std::string bytes = support::readBytes(path);
             for (std::size_t i = 100; i < bytes.size(); i += 7)
                 bytes[i] = static_cast<char>(0xA5);
             support::writeBytes(path, bytes);
             return nullptr;
         }},
        {"damaged in its rows",
         [&](const std::string& path) {
             std::vector<std::pair<std::string, Row>> rows;
             for (int i = 0; i < 1500; ++i)
                 rows.push_back({"Qolb2017",
                                 {{"DCLNO", double(i)},
                                  {"Surname", "S" + std::to_string(i)},
                                  {"Desc", std::string(30, 'd')}}});
             makeLastYear(path, FileKind::LastYearIndividuals, rows);
             std::string bytes = support::readBytes(path);
             for (std::size_t i = bytes.size() / 2; i < bytes.size(); ++i)
                 bytes[i] = static_cast<char>(0xA5);
             support::writeBytes(path, bytes);
             return nullptr;
         }},
        {"not a database",
         [&](const std::string& path) {
             support::writeBytes(path, "These are the minutes of the meeting.\n");
             return nullptr;
         }},
        {"held by another workstation",
         [&](const std::string& path) {
             std::filesystem::copy_file(good, path);
             return std::make_unique<support::OtherProcess>(path, true);
         }},
    };
    desk.answerAnyMessage(vbOK);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        locate(good);
        w.lstPrevYear.userSelect(0);
        ASSERT_TRUE(w.cmdImpSelAss.Enabled());

        support::TempFolder folder;
        const std::string bad = folder.file("Qolb2017LAN.MDB");
        const auto holder = c.make(bad);
        if (holder) {
            ASSERT_TRUE(holder->acquired());
        }
        const int number = support::errorOf([&] {
            auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(bad, false, true);
            db->OpenRecordset("Qolb2017", engine::dbOpenTable);
            db->OpenRecordset("Qolb2017Cont", engine::dbOpenTable);
            auto rs = db->OpenRecordset("Qolb2017", engine::dbOpenTable);
            rs->setIndex("indxSurname");
            for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
                rs->Fields("Desc").Value();
        });
        closeAll();
        ASSERT_NE(number, 0);
        ASSERT_NE(number, engine::err::ObjectNotFound);

        const std::size_t before = desk.messages().size();
        locate(bad);
        ASSERT_EQ(desk.messages().size(), before + 1) << desk.transcript();
        const std::string shown = desk.messages().back();
        EXPECT_EQ(shown.rfind("Last year's database " + bad + " could not be read.\r\nError " +
                                  std::to_string(number) + ": ",
                              0),
                  0u)
            << shown;
        EXPECT_EQ(desk.shown().back().style, forms::vbCritical);
        EXPECT_EQ(w.lstPrevYear.ListCount(), 0);
        EXPECT_EQ(w.PrevYearClientNos, std::vector<Variant>(1));
        EXPECT_EQ(w.Text1.Text(), "");
        EXPECT_FALSE(w.cmdImpSelAss.Enabled());
        EXPECT_FALSE(w.cmdImpWholeDB.Enabled());
        EXPECT_EQ(w.PrevYearDbPath, good) << "the path files keep naming a readable file";
        EXPECT_EQ(pathFileText("QB2017Path.Dll"), "\"" + good + "\"\r\n");
        closeAll();
    }
}

} // namespace
} // namespace carry_test
