#pragma once

// The database files of this area with a few rows, and a window with this area's handlers
// attached.

#include "app/frmSysAdmin.h"
#include "engine/Dao.h"
#include "support/DatabaseFile.h"
#include "support/OtherProcess.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedDesktop.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace clearing_test {

using runtime::Variant;

struct User {
    Variant name; // Null allowed
    bool loggedOn = false;
};

// A client record of a main table: its lock field and the names shown beside it.
struct Client {
    Variant userName;
    Variant name1;             // PERS2, TrustName or CompanyRegName
    Variant name2 = Variant(); // Surname (individuals only)
    Variant lastUserName = Variant("last");
};

void makeSystemDb(const std::string& path, const std::vector<User>& users);
// table: "Qolb2018", "TRUSTDetails" or "CompanyDetails".
void makeClientDb(const std::string& path, const std::string& table,
                  const std::vector<Client>& clients);

// Rows in stored order.
std::vector<User> readUsers(const std::string& path);
std::vector<Client> readClients(const std::string& path, const std::string& table);

using support::addRow;

// A workstation marks the user as logged on.
void logOn(const std::string& sysPath, const std::string& user);

// Closes every handle of this program on any database.
void closeAll();

using support::OtherProcess;
using support::readBytes;

// The administration window with this area attached, over four files in a fresh folder:
// the network folder holds the individuals, trust, company and system databases.
class WindowFixture : public ::testing::Test {
protected:
    WindowFixture();
    ~WindowFixture() override;

    support::ProgramFolder program;
    support::ScriptedDesktop& desk = program.desktop();
    support::TempFolder net;
    app::frmSysAdmin w;

    std::string sysPath() const { return net.file("SysAdmin2018.mdb"); }
    std::string persPath() const { return net.file("Qolb2018LAN.mdb"); }
    std::string trustPath() const { return net.file("QolbTrust2018Lan.Mdb"); }
    std::string compPath() const { return net.file("QolbCompany2018Lan.Mdb"); }

    // Builds the four files.
    void makeFiles(const std::vector<User>& users, const std::vector<Client>& pers = {},
                   const std::vector<Client>& trusts = {},
                   const std::vector<Client>& companies = {});

    void showPage(int page) { w.SSIndexTab1.setTab(page); }
    std::vector<std::string> entries(const forms::ListBox& list) const { return list.items(); }
};

} // namespace clearing_test
