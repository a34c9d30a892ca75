#pragma once

// A program folder, the two windows as the program makes them, and direct reads and
// writes of the database files for setting up and checking a start.

#include "app/MDIForm1.h"
#include "app/frmSysAdmin.h"
#include "engine/Dao.h"
#include "support/DatabaseFile.h"
#include "support/ProgramFolder.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace apptest {

inline constexpr const char* kCrLf = "\r\n";
inline constexpr const char* kSysPwd = ";pwd=tevo";

// --- direct access to database files, through the engine ---
engine::DatabasePtr openDb(const std::string& path, const std::string& connect = "");
long rowCount(const std::string& path, const std::string& table, const std::string& connect = "");
// The field of every row, in stored order.
std::vector<runtime::Variant> column(const std::string& path, const std::string& table,
                                     const std::string& field, const std::string& connect = "");
runtime::Variant firstValue(const std::string& path, const std::string& table,
                            const std::string& field, const std::string& connect = "");
using support::addRow;
using support::Row;
// Sets the field in the first row of the table.
void setFirstValue(const std::string& path, const std::string& table, const std::string& field,
                   const runtime::Variant& value, const std::string& connect = "");
void execute(const std::string& path, const std::string& sql, const std::string& connect = "");
bool hasTable(const std::string& path, const std::string& table, const std::string& connect = "");
// Appends a field to an existing table.
void addField(const std::string& path, const std::string& table, const std::string& field, int type,
              int size = 0);

class StartupTest : public ::testing::Test {
protected:
    ~StartupTest() override;

    // Makes both windows afresh and loads the frame window, which loads the
    // administration window, as the program starts.
    app::frmSysAdmin& start();
    // A complete set of files, as the first start leaves them; nothing is asked.
    void prepareCompleteFiles();
    // Lets go of every database handle of the windows and the engine.
    void closeAll();

    std::string sysDb() const { return folder.file("\\SysAdmin2018.mdb"); }
    std::string persDb() const { return folder.file("\\Qolb2018LAN.mdb"); }
    std::string trustDb() const { return folder.file("\\QolbTrust2018Lan.Mdb"); }
    std::string compDb() const { return folder.file("\\QolbCompany2018Lan.Mdb"); }
    std::string sysPathFile() const { return folder.read("\\DBSysPath.txt"); }
    std::string clientPathFile() const { return folder.read("\\DBMPath.Txt"); }
    // The content a path file holds for these values.
    static std::string pathLine(std::initializer_list<std::string> values);

    void expectClosingQuestion(int answer);
    // The refusal of a chosen file whose path holds a double quote.
    void expectQuotedPathRefused();

    support::ProgramFolder folder;
    support::ScriptedDesktop& desk = folder.desktop();
    std::unique_ptr<app::frmSysAdmin> window;
    std::unique_ptr<app::MDIForm1> frame;
};

} // namespace apptest
