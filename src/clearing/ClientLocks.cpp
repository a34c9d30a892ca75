#include "clearing/ClientLocks.h"

#include "clearing/UserNamesTable.h"
#include "runtime/Strings.h"

namespace clearing {

namespace {

constexpr const char* kIndex = "UserNameIndex";

// Blanks UserName of every row for which `held(name)` is true.
template <class Held> void freeRecords(engine::Database& db, std::string_view table, Held held) {
    auto rs = db.OpenRecordset(table, engine::dbOpenTable);
    if (rs->RecordCount() > 0) {
        auto userName = rs->Fields("UserName");
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            std::string name = textOf(userName.Value());
            if (name.empty() || !held(name)) continue;
            rs->Edit();
            userName.setValue(runtime::Variant(""));
            rs->Update();
        }
    }
    rs->Close();
}

} // namespace

const std::array<ClientTable, 3>& clientTables() {
    static const std::array<ClientTable, 3> tables{{
        {"Qolb2018", "      ", "PERS2", "Surname"},
        {"TRUSTDetails", "      ", "TrustName", ""},
        {"CompanyDetails", "         ", "CompanyRegName", ""},
    }};
    return tables;
}

std::optional<std::vector<std::string>> heldRecordRows(engine::Database& db,
                                                       const ClientTable& table) {
    auto rs = db.OpenRecordset(table.table, engine::dbOpenTable);
    if (rs->RecordCount() == 0) {
        rs->Close();
        return std::nullopt;
    }
    rs->setIndex(kIndex);
    auto userName = rs->Fields("UserName");
    auto first = rs->Fields(table.nameField);
    std::optional<engine::FieldRef> second;
    if (!table.secondNameField.empty()) second = rs->Fields(table.secondNameField);

    std::vector<std::string> rows;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        std::string row = textOf(userName.Value());
        if (row.empty()) continue;
        row += table.gap;
        row += textOf(first.Value());
        if (second) row += " " + textOf(second->Value());
        rows.push_back(std::move(row));
    }
    rs->Close();
    return rows;
}

void freeRecordsOf(engine::Database& db, const ClientTable& table, const std::string& user) {
    freeRecords(db, table.table,
                [&](const std::string& name) { return runtime::equalsNoCase(name, user); });
}

void freeAllRecords(engine::Database& db, const ClientTable& table) {
    freeRecords(db, table.table, [](const std::string&) { return true; });
}

} // namespace clearing
