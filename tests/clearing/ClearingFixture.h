#pragma once

// Small database files with only the tables and fields this area touches, a window with
// this area's handlers attached, and a second process that holds a database open.

#include "app/frmSysAdmin.h"
#include "engine/Dao.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedDesktop.h"

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/types.h>
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

std::string readBytes(const std::string& path);

// Adds one row with these field values.
void addRow(const std::string& path, const std::string& table,
            const std::vector<std::pair<std::string, Variant>>& values,
            const std::string& connect = "");

// A workstation marks the user as logged on.
void logOn(const std::string& sysPath, const std::string& user);

// Closes every handle of this program on any database.
void closeAll();

// A second process that opens a database through the engine and keeps it open until
// this object goes, doing `work` on it over and over meanwhile when given.
class HeldElsewhere {
public:
    using Work = std::function<void(engine::Database&)>;
    HeldElsewhere(const std::string& path, bool exclusive, const std::string& connect = "",
                  Work work = {});
    ~HeldElsewhere();
    HeldElsewhere(const HeldElsewhere&) = delete;
    HeldElsewhere& operator=(const HeldElsewhere&) = delete;

private:
    pid_t child_ = -1;
    int release_ = -1; // closing it lets the child go
};

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
