#include "StartupFixture.h"
#include "runtime/VariantOps.h"

#include <filesystem>
#include <fstream>

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
    // A missing file in a folder that exists (3024) and a folder that is gone (3044).
    for (const std::string& dir : {elsewhere.path(), elsewhere.path() + "/gone"}) {
        SCOPED_TRACE(dir);
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

TEST_F(StartupTest, AMissingTrustFileIsBuiltAndTheIndividualsFileGetsASecondOptionRow) {
    prepareCompleteFiles();
    fs::remove(trustDb());

    app::frmSysAdmin& win = start();
    closeAll();

    EXPECT_TRUE(hasTable(trustDb(), "TRUSTDetails"));
    EXPECT_EQ(rowCount(persDb(), "HeadFoot"), 1);
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
