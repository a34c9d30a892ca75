#pragma once

// Shared set-up of the engine tests: a fresh folder per test and small builders.

#include "engine/Dao.h"
#include "engine/EngineErrors.h"
#include "runtime/Error.h"
#include "support/ErrorOf.h"
#include "support/OtherProcess.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

namespace enginetest {

using engine::Variant;

using support::errorOf;
using support::OtherProcess;

struct FieldSpec {
    std::string name;
    int type;
    int size = 0;
    Variant defaultValue = {};
    bool required = false;
};

inline constexpr const char* kLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0";

class EngineTest : public ::testing::Test {
protected:
    EngineTest();
    ~EngineTest() override;

    std::string path(const std::string& name) const { return dir_.file(name); }
    const std::string& dir() const { return dir_.path(); }
    engine::Workspace& ws() { return engine::DBEngine::instance().Workspaces(0); }

    engine::DatabasePtr create(const std::string& name) {
        return ws().CreateDatabase(path(name), kLocale);
    }
    // A table with the given fields (Text and Memo allow ""), and one index per entry of
    // `indexes` ("IndexName:Field").
    engine::TableDefPtr makeTable(const engine::DatabasePtr& db, const std::string& name,
                                  const std::vector<FieldSpec>& fields,
                                  const std::vector<std::string>& indexes = {});
    // Adds one row through a table-type recordset.
    void addRow(const engine::DatabasePtr& db, const std::string& table,
                const std::vector<std::pair<std::string, Variant>>& values);
    // Every value of one field, in the order of the index (or of insertion).
    std::vector<Variant> column(const engine::DatabasePtr& db, const std::string& table,
                                const std::string& field, const std::string& index = "");

private:
    support::TempFolder dir_;
};

} // namespace enginetest
