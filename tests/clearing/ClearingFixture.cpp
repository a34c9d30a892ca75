#include "ClearingFixture.h"

#include "clearing/Attach.h"
#include "runtime/VariantOps.h"

#include <csignal>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace clearing_test {

namespace {

constexpr const char* kLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0";

engine::Workspace& ws() {
    return engine::DBEngine::instance().Workspaces(0);
}

// Text fields take the empty text, as in the files the structure definitions make.
void addField(const engine::TableDefPtr& td, const std::string& name, int type, int size = 0) {
    auto field = td->CreateField(name, type, size);
    if (type == engine::dbText) field->setAllowZeroLength(true);
    td->Fields().Append(field);
}

void addIndex(const engine::TableDefPtr& td, const std::string& name, const std::string& field) {
    auto ix = td->CreateIndex(name);
    ix->Fields().Append(ix->CreateField(field));
    td->Indexes().Append(ix);
}

struct TableShape {
    const char* nameField1;
    int size1;
    const char* nameField2;
};

TableShape shapeOf(const std::string& table) {
    if (table == "Qolb2018") return {"PERS2", 20, "Surname"};
    if (table == "TRUSTDetails") return {"TrustName", 75, nullptr};
    return {"CompanyRegName", 60, nullptr};
}

} // namespace

void makeSystemDb(const std::string& path, const std::vector<User>& users) {
    auto db = ws().CreateDatabase(path, std::string(kLocale) + ";pwd=tevo");
    auto td = db->CreateTableDef("UserNames");
    addField(td, "UserName", engine::dbText, 50);
    addField(td, "LoggedOn", engine::dbBoolean);
    addIndex(td, "UserNameIndex", "UserName");
    db->TableDefs().Append(td);
    auto rs = db->OpenRecordset("UserNames", engine::dbOpenTable);
    for (const User& u : users) {
        rs->AddNew();
        rs->Fields("UserName").setValue(u.name);
        rs->Fields("LoggedOn").setValue(Variant(u.loggedOn));
        rs->Update();
    }
    rs->Close();
    db->Close();
}

void makeClientDb(const std::string& path, const std::string& table,
                  const std::vector<Client>& clients) {
    const TableShape shape = shapeOf(table);
    auto db = ws().CreateDatabase(path, kLocale);
    auto td = db->CreateTableDef(table);
    addField(td, "UserName", engine::dbText, 50);
    addField(td, "LastUserName", engine::dbText, 50);
    addField(td, shape.nameField1, engine::dbText, shape.size1);
    if (shape.nameField2) addField(td, shape.nameField2, engine::dbText, 50);
    addIndex(td, "UserNameIndex", "UserName");
    db->TableDefs().Append(td);
    auto rs = db->OpenRecordset(table, engine::dbOpenTable);
    for (const Client& c : clients) {
        rs->AddNew();
        rs->Fields("UserName").setValue(c.userName);
        rs->Fields("LastUserName").setValue(c.lastUserName);
        rs->Fields(shape.nameField1).setValue(c.name1);
        if (shape.nameField2) rs->Fields(shape.nameField2).setValue(c.name2);
        rs->Update();
    }
    rs->Close();
    db->Close();
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

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void addRow(const std::string& path, const std::string& table,
            const std::vector<std::pair<std::string, Variant>>& values,
            const std::string& connect) {
    auto db = ws().OpenDatabase(path, false, false, connect);
    auto rs = db->OpenRecordset(table, engine::dbOpenTable);
    rs->AddNew();
    for (const auto& [field, value] : values)
        rs->Fields(field).setValue(value);
    rs->Update();
    db->Close();
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

HeldElsewhere::HeldElsewhere(const std::string& path, bool exclusive, const std::string& connect,
                             Work work) {
    closeAll();
    int ready[2], release[2];
    if (pipe(ready) != 0 || pipe(release) != 0) throw std::runtime_error("pipe");
    child_ = fork();
    if (child_ == 0) {
        close(ready[0]);
        close(release[1]);
        char ok = 0;
        try {
            auto db = ws().OpenDatabase(path, exclusive, false, connect);
            ok = 1;
            (void)!write(ready[1], &ok, 1);
            pollfd released{release[0], POLLIN, 0};
            // The parent closing its end makes the pipe readable.
            while (work && poll(&released, 1, 0) == 0)
                work(*db);
            char c;
            (void)!read(release[0], &c, 1);
            db->Close();
        } catch (...) {
            (void)!write(ready[1], &ok, 1);
        }
        _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    release_ = release[1];
    char ok = 0;
    const bool told = read(ready[0], &ok, 1) == 1;
    close(ready[0]);
    if (!told || !ok) ADD_FAILURE() << "the second process could not open " << path;
}

HeldElsewhere::~HeldElsewhere() {
    if (release_ >= 0) close(release_);
    if (child_ > 0) {
        int status = 0;
        waitpid(child_, &status, 0);
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
