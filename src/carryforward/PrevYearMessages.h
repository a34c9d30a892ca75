#pragma once

// The texts of the previous-year page's message boxes.

#include "runtime/Error.h"

#include <string>
#include <string_view>

namespace carryforward::msg {

std::string incorrectFile();
inline constexpr std::string_view OldVersion =
    "Please ensure that you are importing from the latest version of Quolby2017!!";
inline constexpr std::string_view IndividualsFileNotFound =
    "The Quolby2017 (Qolb2017LAN.mdb) cannot be found.  Please refer to the help for "
    "information!";
inline constexpr std::string_view FileNotFoundTitle = "File not found";
inline constexpr int FileNotFoundHelpContext = 20;
// Also the answer for a client last year's file holds as deceased, or not at all.
inline constexpr std::string_view IndividualsFileEmpty = "The Quolby2017 database is empty!";
inline constexpr std::string_view TrustFileNotFound =
    "The Quolby 2017 (QolbTrust2017Lan.Mdb) cannot be found.  Please refer to the help for "
    "information!";
// Also the answer for a trust last year's file no longer holds.
inline constexpr std::string_view TrustFileEmpty = "The Quolby 2017 database is empty!";
// The import of `what` ("the client Smith (7)", "the trusts") stopped on `e`: where, when
// the error names the step; the engine's number and text; and that nothing has been
// written to this year's database, or, when it stopped after its commit, that the import
// has been written.
std::string importStopped(const std::string& what, const runtime::Error& e);
// Last year's file could be opened as a database but not read, or not opened at all.
std::string sourceNotRead(const std::string& path, const runtime::Error& e);
inline constexpr std::string_view CompaniesFileNotFound =
    "The Quolby 2017 (QolbCompany2017Lan.Mdb) cannot be found.  Please refer to the help for "
    "information!";
// Also the answer for a chosen company last year's file no longer holds.
inline constexpr std::string_view CompaniesFileEmpty = "The Quolby 2017 Company database is empty!";

} // namespace carryforward::msg
