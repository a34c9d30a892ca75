#pragma once

// The names the system appends to the program folder, with their leading backslash, and
// the fixed texts of the database opens, the file dialogs and the messages.

#include <array>
#include <string_view>

namespace app {

inline constexpr std::string_view kSysAdminDbName = "\\SysAdmin2018.mdb";
inline constexpr std::string_view kPersDbName = "\\Qolb2018LAN.mdb";
inline constexpr std::string_view kTrustDbName = "\\QolbTrust2018Lan.Mdb";
inline constexpr std::string_view kCompDbName = "\\QolbCompany2018Lan.Mdb";
inline constexpr std::string_view kTransPersDbName = "\\TransDB.mdb";
inline constexpr std::string_view kTransTrustDbName = "\\TransTrustDB.mdb";
inline constexpr std::string_view kTransCompDbName = "\\TransCompanyDB.mdb";

// The backup set in copy order, as backup and restore spell the names: individuals,
// trusts, companies, system database. Each name is appended to a folder; existing files
// match it without regard to case.
inline constexpr std::array<std::string_view, 4> kBackupSetNames{
    "\\Qolb2018LAN.Mdb", "\\QolbTrust2018Lan.Mdb", "\\QolbCompany2018Lan.Mdb",
    "\\SysAdmin2018.Mdb"};

inline constexpr std::string_view kSysPathFileName = "\\DBSysPath.txt";
inline constexpr std::string_view kClientPathFileName = "\\DBMPath.Txt";

// The clip the busy display plays.
inline constexpr std::string_view kWorkingClipName = "\\working.avi";

// Every open of the system database passes its password.
inline constexpr std::string_view kSysDbConnect = ";pwd=tevo";

// Every file dialog offers the databases.
inline constexpr std::string_view kDialogFilter = "Access Database (.mdb)|*.mdb";
// The open-file dialogs of the locating operations.
inline constexpr int kLocateDialogFlags = 6144; // the path and the file must exist

inline constexpr std::string_view kCrLf = "\r\n";

} // namespace app
