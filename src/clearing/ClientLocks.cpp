#include "clearing/ClientLocks.h"

#include "clearing/UserNamesTable.h"

namespace clearing {

namespace {

constexpr const char* kIndex = "UserNameIndex";

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
    // Null and empty names sort first: start at the first name that holds a record.
    rs->Seek(">", {runtime::Variant("")});
    for (; !rs->NoMatch() && !rs->Eof(); rs->MoveNext()) {
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
    if (user.empty()) return; // an empty name holds nothing
    auto rs = db.OpenRecordset(table.table, engine::dbOpenTable);
    rs->setIndex(kIndex);
    auto userName = rs->Fields("UserName");
    // The index compares without regard to case. Each blanked row leaves the run of rows
    // with that name, so seeking again finds the next one until none is left; no row is
    // passed over however the order shifts under the cursor.
    for (rs->Seek("=", {runtime::Variant(user)}); !rs->NoMatch();
         rs->Seek("=", {runtime::Variant(user)})) {
        rs->Edit();
        userName.setValue(runtime::Variant(""));
        rs->Update();
    }
    rs->Close();
}

void freeAllRecords(engine::Database& db, const ClientTable& table) {
    // One statement; a Null name stays Null. The table name is one of ours, no input.
    db.Execute("UPDATE " + std::string(table.table) + " SET UserName = '' WHERE UserName <> ''");
}

} // namespace clearing
