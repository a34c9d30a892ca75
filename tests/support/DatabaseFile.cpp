#include "support/DatabaseFile.h"

#include "engine/Dao.h"
#include "schema/DefinitionRun.h"
#include "schema/SchemaTables.h"
#include "schema/StructureHelpers.h"
#include "support/LastYearTables.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace support {

namespace {

std::vector<schema::TableSpec> tablesOf(FileKind kind) {
    using namespace schema;
    switch (kind) {
    case FileKind::System:
        return systemDbTables();
    case FileKind::Individuals: {
        std::vector<TableSpec> all = individualsMainTables();
        for (const auto* part : {&individualsDetailTables(), &individualsExtendedTables()})
            all.insert(all.end(), part->begin(), part->end());
        return all;
    }
    case FileKind::Trust:
        return trustDbTables();
    case FileKind::Company:
        return companyDbTables();
    case FileKind::TransferPersonal:
        return transferPersonalTables();
    case FileKind::TransferTrust:
        return transferTrustTables();
    case FileKind::TransferCompany:
        return transferCompanyTables();
    case FileKind::LastYearIndividuals:
        return support::lastYearIndividualsTables();
    case FileKind::LastYearTrust:
        return support::lastYearTrustTables();
    case FileKind::LastYearCompany:
        return support::lastYearCompanyTables();
    }
    return {};
}

} // namespace

DatabaseFile::DatabaseFile(std::string path, FileKind kind) : path_(std::move(path)), kind_(kind) {}

DatabaseFile& DatabaseFile::only(std::vector<std::string> tables) {
    only_ = std::move(tables);
    return *this;
}

DatabaseFile& DatabaseFile::row(std::string table, Row values) {
    rows_.emplace_back(std::move(table), std::move(values));
    return *this;
}

DatabaseFile& DatabaseFile::resize(std::string table, std::string field, short size) {
    changes_.push_back({std::move(table), std::move(field), size});
    return *this;
}

DatabaseFile& DatabaseFile::drop(std::string table, std::string field) {
    changes_.push_back({std::move(table), std::move(field), std::nullopt});
    return *this;
}

void DatabaseFile::make() const {
    if (std::filesystem::exists(path_)) throw std::runtime_error(path_ + " exists already");
    std::vector<schema::TableSpec> tables = tablesOf(kind_);
    if (!only_.empty())
        std::erase_if(tables, [&](const schema::TableSpec& t) {
            return std::find(only_.begin(), only_.end(), t.name) == only_.end();
        });
    for (const Change& c : changes_) {
        auto table = std::find_if(tables.begin(), tables.end(),
                                  [&](const schema::TableSpec& t) { return t.name == c.table; });
        if (table == tables.end()) throw std::logic_error("no table " + c.table);
        auto field = std::find_if(table->fields.begin(), table->fields.end(),
                                  [&](const schema::FieldSpec& f) { return f.name == c.field; });
        if (field == table->fields.end()) throw std::logic_error("no field " + c.field);
        if (c.size)
            field->size = *c.size;
        else
            table->fields.erase(field);
    }
    // What the structure definitions run, so the file is the one the program makes.
    schema::MakeDatabase(path_, kind_ == FileKind::System);
    const engine::DatabasePtr db = schema::CurDB();
    if (!db) throw std::runtime_error("cannot make " + path_);
    {
        schema::detail::FileTransaction transaction;
        transaction.begin();
        schema::detail::runTables(tables);
        transaction.commit();
    }
    for (const auto& [table, values] : rows_)
        addRow(*db, table, values);
    db->Close();
}

void addRow(engine::Database& db, const std::string& table, const Row& values) {
    auto rs = db.OpenRecordset(table, engine::dbOpenTable);
    rs->AddNew();
    for (const auto& [field, value] : values)
        rs->Fields(field).setValue(value);
    rs->Update();
    rs->Close();
}

void addRow(const std::string& path, const std::string& table, const Row& values,
            const std::string& connect) {
    auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(path, false, false, connect);
    addRow(*db, table, values);
    db->Close();
}

void retype(engine::Database& db, const std::string& table, const std::string& field, int type) {
    const engine::TableDefPtr def = db.TableDefs().Item(table);
    // The structure's indexes are each on one field, neither primary nor unique.
    std::vector<std::string> indexes;
    for (int i = 0; i < def->Indexes().Count(); ++i)
        if (const engine::IndexPtr index = def->Indexes().Item(i);
            index->Fields().Item(0)->Name() == field)
            indexes.push_back(index->Name());
    for (const std::string& name : indexes)
        def->Indexes().Delete(name);
    def->Fields().Delete(field);
    def->Fields().Append(def->CreateField(field, type, type == engine::dbText ? 50 : 0));
    for (const std::string& name : indexes) {
        const engine::IndexPtr index = def->CreateIndex(name);
        index->Fields().Append(index->CreateField(field));
        def->Indexes().Append(index);
    }
}

} // namespace support
