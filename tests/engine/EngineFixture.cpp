#include "EngineFixture.h"

#include "support/DatabaseFile.h"

namespace enginetest {

EngineTest::EngineTest() = default;

EngineTest::~EngineTest() {
    ws().Close();
    engine::OpenFaults::clearAll();
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
    support::addRow(*db, table, values);
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
