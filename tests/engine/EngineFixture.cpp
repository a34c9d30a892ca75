#include "EngineFixture.h"

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace enginetest {

EngineChild::EngineChild(const std::function<void()>& action) {
    int status[2], go[2];
    if (pipe(status) != 0 || pipe(go) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
        close(status[0]);
        close(go[1]);
        int number = errorOf(action);
        (void)!write(status[1], &number, sizeof number);
        char c;
        (void)!read(go[0], &c, 1); // until the parent lets go
        _exit(0);
    }
    close(status[1]);
    close(go[0]);
    goFd_ = go[1];
    if (read(status[0], &error_, sizeof error_) != sizeof error_) error_ = -1;
    close(status[0]);
}

void EngineChild::release() {
    if (goFd_ >= 0) close(goFd_);
    goFd_ = -1;
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

EngineTest::EngineTest() {
    std::string pattern = (std::filesystem::temp_directory_path() / "engine-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
}

EngineTest::~EngineTest() {
    ws().Close();
    engine::OpenFaults::clearAll();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

engine::TableDefPtr EngineTest::makeTable(const engine::DatabasePtr& db, const std::string& name,
                                          const std::vector<FieldSpec>& fields,
                                          const std::vector<std::string>& indexes) {
    auto td = db->CreateTableDef(name);
    for (const FieldSpec& spec : fields) {
        auto f = td->CreateField(spec.name, spec.type, spec.size);
        if (!spec.defaultValue.isEmpty()) f->setDefaultValue(spec.defaultValue);
        f->setRequired(spec.required);
        if (spec.type == engine::dbText || spec.type == engine::dbMemo) f->setAllowZeroLength(true);
        td->Fields().Append(f);
    }
    db->TableDefs().Append(td);
    for (const std::string& ix : indexes) {
        const auto colon = ix.find(':');
        auto index = td->CreateIndex(ix.substr(0, colon));
        std::string list = ix.substr(colon + 1);
        std::size_t pos = 0;
        while (pos <= list.size()) {
            std::size_t comma = list.find(',', pos);
            if (comma == std::string::npos) comma = list.size();
            index->Fields().Append(index->CreateField(list.substr(pos, comma - pos)));
            pos = comma + 1;
        }
        td->Indexes().Append(index);
    }
    return td;
}

void EngineTest::addRow(const engine::DatabasePtr& db, const std::string& table,
                        const std::vector<std::pair<std::string, Variant>>& values) {
    auto rs = db->OpenRecordset(table, engine::dbOpenTable);
    rs->AddNew();
    for (const auto& [field, value] : values)
        rs->Fields(field).setValue(value);
    rs->Update();
    rs->Close();
}

std::vector<Variant> EngineTest::column(const engine::DatabasePtr& db, const std::string& table,
                                        const std::string& field, const std::string& index) {
    auto rs = db->OpenRecordset(table, engine::dbOpenTable);
    if (!index.empty()) rs->setIndex(index);
    std::vector<Variant> out;
    while (!rs->Eof()) {
        out.push_back(rs->Fields(field).Value());
        rs->MoveNext();
    }
    rs->Close();
    return out;
}

} // namespace enginetest
