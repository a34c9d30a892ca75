#include "ClearingFixture.h"

#include "clearing/ClearingWiring.h"
#include "runtime/VariantOps.h"

namespace clearing_test {

namespace {

engine::Workspace& ws() {
    return engine::DBEngine::instance().Workspaces(0);
}

struct TableShape {
    support::FileKind kind;
    const char* nameField1;
    const char* nameField2;
};

TableShape shapeOf(const std::string& table) {
    if (table == "Qolb2018") return {support::FileKind::Individuals, "PERS2", "Surname"};
    if (table == "TRUSTDetails") return {support::FileKind::Trust, "TrustName", nullptr};
    return {support::FileKind::Company, "CompanyRegName", nullptr};
}

} // namespace

void makeSystemDb(const std::string& path, const std::vector<User>& users) {
    support::DatabaseFile file(path, support::FileKind::System);
    for (const User& u : users)
        file.row("UserNames", {{"UserName", u.name}, {"LoggedOn", u.loggedOn}});
    file.make();
}

// Only the client table: the other tables of the file play no part here.
void makeClientDb(const std::string& path, const std::string& table,
                  const std::vector<Client>& clients) {
    const TableShape shape = shapeOf(table);
    support::DatabaseFile file(path, shape.kind);
    file.only({table});
    for (const Client& c : clients) {
        support::Row row{{"UserName", c.userName},
                         {"LastUserName", c.lastUserName},
                         {shape.nameField1, c.name1}};
        if (shape.nameField2) row.emplace_back(shape.nameField2, c.name2);
        file.row(table, row);
    }
    file.make();
}

std::vector<User> readUsers(const std::string& path) {
    std::vector<User> users;
    auto db = ws().OpenDatabase(path, false, true, ";pwd=tevo");
    auto rs = db->OpenRecordset("UserNames", engine::dbOpenTable);
    if (rs->RecordCount() > 0)
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
            users.push_back(
                {rs->Fields("UserName").Value(), runtime::CBool(rs->Fields("LoggedOn").Value())});
    db->Close();
    return users;
}

std::vector<Client> readClients(const std::string& path, const std::string& table) {
    const TableShape shape = shapeOf(table);
    std::vector<Client> clients;
    auto db = ws().OpenDatabase(path, false, true);
    auto rs = db->OpenRecordset(table, engine::dbOpenTable);
    if (rs->RecordCount() > 0)
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
            clients.push_back({rs->Fields("UserName").Value(), rs->Fields(shape.nameField1).Value(),
                               shape.nameField2 ? rs->Fields(shape.nameField2).Value() : Variant(),
                               rs->Fields("LastUserName").Value()});
    db->Close();
    return clients;
}

void logOn(const std::string& sysPath, const std::string& user) {
    auto db = ws().OpenDatabase(sysPath, false, false, ";pwd=tevo");
    auto rs = db->OpenRecordset("UserNames", engine::dbOpenTable);
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        if (runtime::CStr(rs->Fields("UserName").Value()) != user) continue;
        rs->Edit();
        rs->Fields("LoggedOn").setValue(Variant(true));
        rs->Update();
    }
    db->Close();
}

void closeAll() {
    try {
        ws().Close();
    } catch (const runtime::Error&) {
    }
}

WindowFixture::WindowFixture() {
    clearing::attach(w);
    w.PersDbPath = persPath();
    w.TrustDbPath = trustPath();
    w.CompDbPath = compPath();
    app::SysAdminDbPath = sysPath();
}

WindowFixture::~WindowFixture() {
    closeAll();
}

void WindowFixture::makeFiles(const std::vector<User>& users, const std::vector<Client>& pers,
                              const std::vector<Client>& trusts,
                              const std::vector<Client>& companies) {
    makeSystemDb(sysPath(), users);
    makeClientDb(persPath(), "Qolb2018", pers);
    makeClientDb(trustPath(), "TRUSTDetails", trusts);
    makeClientDb(compPath(), "CompanyDetails", companies);
    closeAll();
}

} // namespace clearing_test
