#pragma once

// The structure definitions of every database file of the system. Each creates its file
// when there is none and brings an existing one up to the current structure; the work
// on each file is one transaction. An error in getting the engine or in opening an
// existing file (a wrong password, a damaged file, a file another program holds), or a
// failure of the disk, ends the run there and leaves as runtime::Error; files finished
// before it stay finished.

#include <string>

namespace schema {

// The system database "SysAdmin2018.mdb", with the database password.
void MakeNewSysDb(const std::string& sysAdminDbPath);

// The individuals network database, then MAKENEWDB_EXTENDED with the trust and company
// paths, so that one run builds all three network files.
void MakeNewDb(const std::string& persDbPath, const std::string& trustDbPath,
               const std::string& compDbPath);

// The later tables of the individuals network database, into the current database (the
// one MakeNewDb has just built), then the trust and company network databases.
void MAKENEWDB_EXTENDED(const std::string& trustDbPath, const std::string& compDbPath);

// The transfer databases of the previous-year imports.
void MakeTemp_Personal_DB(const std::string& transPersDbPath);
void MakeTemp_Trust_DB(const std::string& transTrustDbPath);
void MakeTemp_Company_DB(const std::string& transCompDbPath);

} // namespace schema
