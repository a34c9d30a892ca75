#pragma once

// The four operations that give every database file its structure. Each reuses what
// already exists and passes over, without a message, the engine's refusal to make
// something twice, so one definition both creates a new file and upgrades an old one.
// A failure of the disk (3043, 3026) is not passed over: it leaves as runtime::Error.

#include "engine/Dao.h"
#include "runtime/Error.h"

#include <cstdint>
#include <string>

namespace schema {

// Creates the file, or opens the existing one (the system database, `password` true,
// exclusively with ";pwd=tevo"), and makes it the current database. An error in getting
// the engine or in opening an existing file leaves as runtime::Error; any other failure
// leaves no current database.
void MakeDatabase(const std::string& path, bool password);

// Creates the table in the current database, beginning with the Boolean "In Use", or
// takes the existing table of that name; either becomes the current table. Without a
// current database there is no current table afterwards.
void MakeTable(const std::string& name);

// Appends the field to the current table, or with special code 44 deletes the field of
// that name with its data. A field that exists keeps its definition.
void MakeField(const std::string& name, int type, std::int16_t size, std::int16_t special);

// Deletes the index of that name from the current table and makes it anew on the
// comma-separated fields. Non-zero flags mean True. An index that is already just so is
// built again in place, which leaves the file the same.
void MakeIndex(const std::string& name, const std::string& fields, std::int16_t primary,
               std::int16_t unique);

// The helpers' state: the engine's workspace, the database and the table being built.
engine::Workspace* CurWorkspace();
const engine::DatabasePtr& CurDB();
const engine::TableDefPtr& CurTableDef();

namespace detail {
// What MakeDatabase does when it could not create the file: open the file that is there
// (password: exclusively, with the password), tell the user the file cannot be updated
// now (error 91), or leave no current database.
void createFailed(const runtime::Error& e, const std::string& path, bool password);

// MakeTable for a table that a definition goes on to fill at once: a new table is kept
// unstored while its fields and indexes are added, and stored whole later. New tables
// that follow each other are kept back together; an existing table, or a name kept back
// already, first has them stored, so the file ends as one MakeTable at a time leaves it.
// An existing table is taken as MakeTable takes it.
void beginTable(const std::string& name);
// Stores the tables that beginTable kept back, together in one step where they all can
// be, else one at a time; a table that cannot be stored is not made.
void finishTable();
} // namespace detail

} // namespace schema
