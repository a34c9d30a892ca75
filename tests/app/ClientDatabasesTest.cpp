#include "StartupFixture.h"
#include "engine/EngineErrors.h"
#include "runtime/VariantOps.h"
#include "schema/DefinitionRun.h"
#include "schema/SchemaTables.h"
#include "schema/StructureHelpers.h"
#include "support/OtherProcess.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace apptest {
namespace {

namespace fs = std::filesystem;
using runtime::Variant;

std::string networkMessage() {
    return std::string("It appears that there is a problem with the Network!") + kCrLf +
           "Re-establish the network link and try again?";
}

TEST_F(StartupTest, AnUnreachableNetworkFileFromThePathFileEndsTheLoadWithTheNetworkMessage) {
    support::TempFolder elsewhere;
    // A missing file in a folder that exists (3024), a folder that is gone (3044), and
    // every other number by which the probe knows an unreachable file.
    const struct {
        std::string dir;
        int fault;
    } cases[] = {{elsewhere.path(), 0},    {elsewhere.path() + "/gone", 0},
                 {elsewhere.path(), 3001}, {elsewhere.path(), 3011},
                 {elsewhere.path(), 3043}, {elsewhere.path(), 3059}};
    for (const auto& [dir, fault] : cases) {
        SCOPED_TRACE(dir + " " + std::to_string(fault));
        std::optional<engine::ScopedOpenFault> unreachable;
        if (fault) unreachable.emplace(dir + "/Qolb2018LAN.mdb", fault);
        folder.write("\\DBMPath.Txt",
                     pathLine({dir + "/Qolb2018LAN.mdb", dir + "/QolbTrust2018Lan.Mdb",
                               dir + "/QolbCompany2018Lan.Mdb"}));
        desk.expectMessage(networkMessage(), forms::vbExclamation, "Network Error!", forms::vbOK);
        app::frmSysAdmin& win = start();
        EXPECT_TRUE(desk.verify());

        EXPECT_TRUE(win.isLoaded());
        EXPECT_TRUE(win.NetworkProblem);
        EXPECT_FALSE(win.cmdBackUp.Enabled());
        EXPECT_FALSE(win.cmdRestore.Enabled());
        EXPECT_EQ(desk.mousePointer(), forms::vbDefault);
        EXPECT_EQ(win.ImportKind, "PI");
        // Nothing later ran: nothing created, no box filled.
        EXPECT_FALSE(fs::exists(dir + "/Qolb2018LAN.mdb"));
        EXPECT_FALSE(folder.exists("\\SysAdmin2018.mdb"));
        EXPECT_EQ(win.txtQolbDB.Text(), "");
        EXPECT_EQ(win.txtUserMainDB.Text(), "");
        EXPECT_EQ(win.txtQolbDBImport.Text(), "");
    }
}

TEST_F(StartupTest, AnEmptyClientPathFileKeepsTheProbeSilentAndAsksForTheLocationLater) {
    folder.write("\\DBMPath.Txt", "");
    // By the time the question comes, the start has built the files in the program folder.
    desk.expectOpenDialog(persDb());
    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    EXPECT_FALSE(win.NetworkProblem);
    EXPECT_TRUE(hasTable(persDb(), "Qolb2018"));
    EXPECT_EQ(win.txtQolbDBVersion.Text(), "3");
    EXPECT_EQ(clientPathFile(), pathLine({persDb(), trustDb(), compDb()}));
}

TEST_F(StartupTest, AMissingTrustFileIsBuiltAndTheIndividualsFileGetsASecondOptionRow) {
    prepareCompleteFiles();
    fs::remove(trustDb());
    // A header/footer row of Nulls is a row all the same.
    execute(persDb(), "DELETE * FROM [HeadFoot]");
    addRow(persDb(), "HeadFoot", {{"HEADERV0", Variant::null()}});

    app::frmSysAdmin& win = start();
    closeAll();

    EXPECT_TRUE(hasTable(trustDb(), "TRUSTDetails"));
    EXPECT_EQ(rowCount(persDb(), "HeadFoot"), 1);
    EXPECT_EQ(firstValue(persDb(), "HeadFoot", "HEADERV0"), Variant::null());
    const auto versions = column(persDb(), "DefInvOpt", "UpDateDB");
    ASSERT_EQ(versions.size(), 2u);
    EXPECT_EQ(runtime::CInt(versions[0]), 3);
    EXPECT_EQ(runtime::CInt(versions[1]), 1);
    EXPECT_EQ(runtime::CDbl(column(persDb(), "DefInvOpt", "LoanThreshold")[1]), 3000);
    EXPECT_EQ(win.txtQolbTrustDB.Text(), trustDb());
}

TEST_F(StartupTest, ADamagedIndividualsFileIsRepairedSilently) {
    prepareCompleteFiles();
    addRow(persDb(), "Qolb2018", {{"DCLNO", 7.0}, {"Surname", "Keep"}});
    closeAll();
    {
        std::ofstream damage(persDb(), std::ios::binary | std::ios::app);
        damage << "torn write";
    }

    app::frmSysAdmin& win = start();
    closeAll();

    EXPECT_EQ(column(persDb(), "Qolb2018", "Surname"), std::vector<Variant>{Variant("Keep")});
    EXPECT_EQ(win.txtQolbDBVersion.Text(), "3");
    bool keptCopy = false;
    for (const auto& entry : fs::directory_iterator(folder.path()))
        keptCopy |= entry.path().filename().string().rfind("Qolb2018LAN.mdb.damaged-", 0) == 0;
    EXPECT_TRUE(keptCopy);
}

// Only the damaged file is repaired, once: the sound ones and later starts keep no copies.
TEST_F(StartupTest, ADamagedTrustFileIsRepairedOnceOurHandlesAreClosedAndCopiedOnce) {
    prepareCompleteFiles();
    addRow(trustDb(), "TRUSTDetails", {{"TDCLNO", 5.0}});
    closeAll();
    {
        std::ofstream damage(trustDb(), std::ios::binary | std::ios::app);
        damage << "torn write";
    }

    for (int run = 0; run < 2; ++run) {
        start(); // the individuals file is open in the window when the trust file fails
        EXPECT_TRUE(desk.verify()) << desk.transcript();
        closeAll();
    }

    EXPECT_EQ(column(trustDb(), "TRUSTDetails", "TDCLNO"), std::vector<Variant>{Variant(5.0)});
    std::vector<std::string> copies;
    for (const auto& entry : fs::directory_iterator(folder.path()))
        if (entry.path().filename().string().find(".damaged-") != std::string::npos)
            copies.push_back(entry.path().filename().string());
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].rfind("QolbTrust2018Lan.Mdb.damaged-", 0), 0u) << copies[0];
}

// An empty file left by a creation that was killed (as earlier versions made them) is built
// again, silently.
TEST_F(StartupTest, AnEmptyFileLeftByAKilledCreationIsBuiltAgain) {
    prepareCompleteFiles();
    fs::resize_file(compDb(), 0);
    start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    closeAll();
    EXPECT_TRUE(hasTable(compDb(), "CompanyDetails"));
}

// A file the engine made whose structure run a kill cut short holds no table: the next
// start builds it, silently.
TEST_F(StartupTest, AFileWithoutTablesLeftByAKilledStartIsBuilt) {
    prepareCompleteFiles();
    const std::string locale = ";LANGID=0x0409;CP=1252;COUNTRY=0";
    for (const std::string& file : {compDb(), persDb(), sysDb()}) {
        fs::remove(file);
        const std::string connect = file == sysDb() ? locale + kSysPwd : locale;
        engine::DBEngine::instance().Workspaces(0).CreateDatabase(file, connect)->Close();
    }
    start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    closeAll();
    EXPECT_TRUE(hasTable(persDb(), "DefInvOpt"));
    EXPECT_TRUE(hasTable(compDb(), "CompanyDetails"));
    EXPECT_TRUE(hasTable(sysDb(), "UserNames", kSysPwd));
}

// A desktop that kills the process when the start-up, its path files written, sets the
// normal pointer: the moment before the probe and the first database file.
class KilledAfterThePathFiles : public support::ScriptedDesktop {
public:
    explicit KilledAfterThePathFiles(const support::TempFolder& folder) : folder_(folder) {
        setProgramFolder(folder.path());
    }
    void setMousePointer(int pointer) override {
        if (pointer == forms::vbDefault && folder_.exists("\\DBMPath.Txt")) ::raise(SIGKILL);
        ScriptedDesktop::setMousePointer(pointer);
    }

private:
    const support::TempFolder& folder_;
};

// First starts killed right after they wrote the path files, and at spread-out moments
// while they build the files: the next start builds what is missing, silently, and
// repairs nothing.
TEST_F(StartupTest, AStartAfterAFirstStartWasKilledCompletesTheFiles) {
    constexpr int kAfterPathFiles = -1;
    for (int kill = kAfterPathFiles; kill < 12; ++kill) {
        SCOPED_TRACE(kill);
        for (const auto& entry : fs::directory_iterator(folder.path()))
            fs::remove(entry.path());
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::optional<KilledAfterThePathFiles> dying;
            if (kill == kAfterPathFiles) dying.emplace(folder);
            try {
                start();
            } catch (...) {
            }
            _exit(0);
        }
        if (kill != kAfterPathFiles) {
            usleep(static_cast<useconds_t>(10000 + kill * 30000)); // 10 to 340 ms
            ::kill(child, SIGKILL);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (kill == kAfterPathFiles) {
            ASSERT_TRUE(WIFSIGNALED(status));
            ASSERT_TRUE(folder.exists("\\DBMPath.Txt"));
            ASSERT_FALSE(fs::exists(persDb()));
        }
        for (const std::string& file : {persDb(), trustDb(), compDb()})
            EXPECT_FALSE(fs::exists(file) && fs::file_size(file) == 0) << file;

        start();
        EXPECT_TRUE(desk.verify()) << desk.transcript();
        EXPECT_FALSE(window->NetworkProblem);
        closeAll();
        EXPECT_TRUE(hasTable(persDb(), "Qolb2018"));
        EXPECT_TRUE(hasTable(trustDb(), "TRUSTDetails"));
        EXPECT_TRUE(hasTable(compDb(), "CompanyDetails"));
        EXPECT_TRUE(hasTable(sysDb(), "UserNames", kSysPwd));
        for (const auto& entry : fs::directory_iterator(folder.path()))
            EXPECT_EQ(entry.path().filename().string().find(".damaged-"), std::string::npos);
    }
}

std::vector<std::string> tableNames(const std::string& path) {
    std::vector<std::string> names;
    auto db = openDb(path);
    for (int i = 0; i < db->TableDefs().Count(); ++i)
        names.push_back(db->TableDefs().Item(i)->Name());
    db->Close();
    return names;
}

// What a repair gives back of a torn individuals file: the tables it could still read
// (here the main tables and the options table with its version row), nothing else.
void makeCutDownIndividualsFile(const std::string& path) {
    std::vector<schema::TableSpec> kept = schema::individualsMainTables();
    for (const schema::TableSpec& t : schema::individualsDetailTables())
        if (t.name == "DefInvOpt") kept.push_back(t);
    schema::MakeDatabase(path, false);
    schema::detail::runTables(kept);
    engine::DBEngine::instance().Workspaces(0).Close();
    addRow(path, "DefInvOpt", {{"UpDateDB", Variant(std::int16_t{3})}});
}

// The version row survived, so no upgrade would ever add the tables the repair lost.
TEST_F(StartupTest, ARepairedFileThatLostTablesGetsThemBackFromItsStructure) {
    prepareCompleteFiles();
    const std::vector<std::string> tables = tableNames(persDb());
    closeAll();
    fs::remove(persDb());
    makeCutDownIndividualsFile(persDb());
    closeAll();
    ASSERT_LT(tableNames(persDb()).size(), tables.size());
    closeAll();
    {
        std::ofstream damage(persDb(), std::ios::binary | std::ios::app);
        damage << "torn write";
    }

    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    closeAll();

    EXPECT_EQ(tableNames(persDb()), tables);
    EXPECT_EQ(win.txtQolbDBVersion.Text(), "3");
}

TEST_F(StartupTest, ADamagedFileHeldByAnotherWorkstationIsLeftAloneAndNamed) {
    prepareCompleteFiles();
    {
        std::ofstream damage(persDb(), std::ios::binary | std::ios::app);
        damage << "torn write";
    }
    const std::string damaged = support::readBytes(persDb());
    support::OtherProcess workstation(support::OtherProcess::lockOnly(persDb(), false));
    ASSERT_TRUE(workstation.acquired());

    desk.expectMessage(std::string("The database file") + kCrLf + persDb() + kCrLf +
                           "could not be repaired." + kCrLf + kCrLf +
                           "Error 3045: " + engine::engineErrorMessage(3045, persDb()),
                       forms::vbExclamation, "Database Repair Failed!", forms::vbOK);
    desk.expectMessage("Error 3343: Unrecognized database format '" + persDb() + "'.",
                       forms::vbCritical, "", forms::vbOK);
    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    EXPECT_TRUE(support::readBytes(persDb()) == damaged);
    EXPECT_EQ(win.txtQolbDB.Text(), persDb());
    EXPECT_EQ(win.ImportKind, "PI");
}

TEST_F(StartupTest, AStructureRunThatFailsOnOneFileStillGivesTheNewIndividualsFileItsRows) {
    // First start, but the program folder holds a company file that is no database.
    folder.write("\\QolbCompany2018Lan.Mdb", "not a database");
    const std::string foreign = "Error 3343: Unrecognized database format '" + compDb() + "'.";

    desk.expectMessage(foreign, forms::vbCritical, "", forms::vbOK); // building the files
    desk.expectMessage(std::string("The database file") + kCrLf + compDb() + kCrLf +
                           "could not be repaired." + kCrLf + kCrLf + foreign,
                       forms::vbExclamation, "Database Repair Failed!", forms::vbOK);
    desk.expectMessage(foreign, forms::vbCritical, "", forms::vbOK); // the upgrade
    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    closeAll();

    EXPECT_TRUE(hasTable(trustDb(), "TRUSTDetails"));
    EXPECT_EQ(rowCount(persDb(), "HeadFoot"), 1);
    ASSERT_EQ(rowCount(persDb(), "DefInvOpt"), 1);
    // The upgrade could not finish, so the version stays for the next start to try again.
    EXPECT_EQ(runtime::CInt(firstValue(persDb(), "DefInvOpt", "UpDateDB")), 1);
    EXPECT_EQ(folder.read("\\QolbCompany2018Lan.Mdb"), "not a database");
    EXPECT_EQ(win.txtUserMainDB.Text(), sysDb());
    EXPECT_EQ(win.ImportKind, "PI");
}

TEST_F(StartupTest, AnIndividualsFileThatIsNoDatabaseIsLeftAloneAndNamed) {
    prepareCompleteFiles();
    const std::string foreign = "this is a spreadsheet, not a database";
    folder.write("\\Qolb2018LAN.mdb", foreign);

    desk.expectMessage(std::string("The database file") + kCrLf + persDb() + kCrLf +
                           "could not be repaired." + kCrLf + kCrLf +
                           "Error 3343: " + "Unrecognized database format '" + persDb() + "'.",
                       forms::vbExclamation, "Database Repair Failed!", forms::vbOK);
    // The upgrade phase cannot open it either: one message, and the start goes on.
    desk.expectMessage("Error 3343: Unrecognized database format '" + persDb() + "'.",
                       forms::vbCritical, "", forms::vbOK);
    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    EXPECT_EQ(folder.read("\\Qolb2018LAN.mdb"), foreign);
    EXPECT_EQ(win.txtQolbDB.Text(), persDb());
    EXPECT_EQ(win.txtQolbDBVersion.Text(), "");
    EXPECT_EQ(win.ImportKind, "PI");
    EXPECT_EQ(clientPathFile(), pathLine({persDb(), trustDb(), compDb()}));
}

} // namespace
} // namespace apptest
