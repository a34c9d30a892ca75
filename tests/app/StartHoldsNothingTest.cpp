#include "StartupFixture.h"

#include <fstream>
#include <functional>

namespace apptest {
namespace {

std::string notFoundText() {
    return std::string("Database can not be found in the default folder!") + kCrLf +
           "Do you want to set the search path?";
}
std::string noPathText() {
    return std::string("No path has been set.") + kCrLf +
           "Do you want to continue setting the path?";
}

// However the start ends and whatever the locate buttons do, this program keeps no
// database of the set open afterwards: an exclusive hold would keep every workstation
// out, and any hold would stop the user list and the clearing, which open them
// exclusively.
class NothingHeldTest : public StartupTest {
protected:
    std::vector<std::string> heldFiles() const {
        std::vector<std::string> held;
        for (const std::string& f : {sysDb(), persDb(), trustDb(), compDb()})
            if (engine::DBEngine::instance().isHeld(f)) held.push_back(f);
        return held;
    }
    void writeGoodPathFiles() {
        folder.write("\\DBSysPath.txt", pathLine({sysDb()}));
        folder.write("\\DBMPath.Txt", pathLine({persDb(), trustDb(), compDb()}));
    }
    struct Case {
        const char* what;
        std::function<void()> prepare;
    };

    support::TempFolder elsewhere;
};

TEST_F(NothingHeldTest, NoEndOfTheStartLeavesADatabaseOpen) {
    prepareCompleteFiles();
    const std::string foreign = elsewhere.path() + "/Notes.mdb";
    std::ofstream(foreign) << "plain text";
    const std::vector<Case> cases{
        {"a normal start", [] {}},
        {"the network probe failed",
         [&] {
             folder.write("\\DBMPath.Txt",
                          pathLine({elsewhere.path() + "/Qolb2018LAN.mdb",
                                    elsewhere.path() + "/QolbTrust2018Lan.Mdb",
                                    elsewhere.path() + "/QolbCompany2018Lan.Mdb"}));
             desk.expectMessage(std::string("It appears that there is a problem with the "
                                            "Network!") +
                                    kCrLf + "Re-establish the network link and try again?",
                                forms::vbOK);
         }},
        {"no system path, given up",
         [&] {
             folder.write("\\DBSysPath.txt", "");
             desk.expectDialogCancel();
             desk.expectMessage(noPathText(), forms::vbNo);
             expectClosingQuestion(forms::vbNo);
         }},
        {"the system database not found, given up",
         [&] {
             folder.write("\\DBSysPath.txt", pathLine({elsewhere.path() + "/gone/x.mdb"}));
             desk.expectMessage(notFoundText(), forms::vbNo);
             expectClosingQuestion(forms::vbNo);
         }},
        {"no client path, given up",
         [&] {
             folder.write("\\DBMPath.Txt", "");
             desk.expectDialogCancel();
             desk.expectMessage(noPathText(), forms::vbNo);
             expectClosingQuestion(forms::vbNo);
         }},
        // The trust file opens for exclusive use but has no table Qolb2018.
        {"a chosen file without its main table, given up",
         [&] {
             folder.write("\\DBMPath.Txt", "");
             desk.expectOpenDialog(foreign);
             desk.expectMessage(notFoundText(), forms::vbYes);
             desk.expectOpenDialog(trustDb());
             desk.expectMessage(notFoundText(), forms::vbNo);
             expectClosingQuestion(forms::vbNo);
         }},
        {"a chosen file without its main table, then a cancel",
         [&] {
             folder.write("\\DBMPath.Txt", "");
             desk.expectOpenDialog(foreign);
             desk.expectMessage(notFoundText(), forms::vbYes);
             desk.expectOpenDialog(trustDb());
             desk.expectMessage(notFoundText(), forms::vbYes);
             desk.expectDialogCancel();
             expectClosingQuestion(forms::vbNo);
         }},
    };
    for (const Case& c : cases) {
        writeGoodPathFiles();
        c.prepare();
        start();
        EXPECT_TRUE(desk.verify()) << c.what << "\n" << desk.transcript();
        EXPECT_EQ(heldFiles(), std::vector<std::string>{}) << c.what;
    }
}

TEST_F(NothingHeldTest, TheLocateButtonsLeaveNoDatabaseOpen) {
    prepareCompleteFiles();
    start();
    const std::vector<Case> cases{
        {"system database chosen",
         [&] {
             desk.expectOpenDialog(sysDb());
             window->click("cmdLocateSystemDB");
         }},
        {"system database: a file that is none",
         [&] {
             desk.expectOpenDialog(trustDb());
             window->click("cmdLocateSystemDB");
             desk.expectOpenDialog(sysDb());
             window->click("cmdLocateSystemDB");
         }},
        {"client database chosen",
         [&] {
             desk.expectOpenDialog(persDb());
             window->click("cmdLocateClientDB");
         }},
        {"client database: a wrong file, given up",
         [&] {
             desk.expectOpenDialog(trustDb());
             desk.expectMessage(std::string("Incorrect File Selected!") + kCrLf +
                                    "Do you want to locate correct file?",
                                forms::vbNo);
             expectClosingQuestion(forms::vbNo);
             window->click("cmdLocateClientDB");
         }},
    };
    for (const Case& c : cases) {
        c.prepare();
        EXPECT_TRUE(desk.verify()) << c.what << "\n" << desk.transcript();
        EXPECT_EQ(heldFiles(), std::vector<std::string>{}) << c.what;
    }
}

} // namespace
} // namespace apptest
