#pragma once

// Shared set-up of the engine tests: a fresh folder per test and small builders.

#include "engine/Dao.h"
#include "engine/EngineErrors.h"
#include "runtime/Error.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

namespace enginetest {

using engine::Variant;

// The number of the runtime::Error a statement raises, 0 when it raises none.
template <typename Fn> int errorOf(Fn&& fn) {
    try {
        fn();
    } catch (const runtime::Error& e) {
        return e.number();
    }
    return 0;
}

struct FieldSpec {
    std::string name;
    int type;
    int size = 0;
    Variant defaultValue = {};
    bool required = false;
};

// Another process that runs `action` through its own engine (typically opening a file and
// keeping it), reports the error number it met (0: none), and holds on until released.
class EngineChild {
public:
    explicit EngineChild(const std::function<void()>& action);
    ~EngineChild() { release(); }
    EngineChild(const EngineChild&) = delete;
    EngineChild& operator=(const EngineChild&) = delete;

    int error() const { return error_; }
    void release();

private:
    int pid_ = -1;
    int goFd_ = -1;
    int error_ = -1;
};

inline constexpr const char* kLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0";

class EngineTest : public ::testing::Test {
protected:
    EngineTest();
    ~EngineTest() override;

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    const std::filesystem::path& dir() const { return dir_; }
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
    std::filesystem::path dir_;
};

} // namespace enginetest
