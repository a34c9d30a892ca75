#include "StartupFixture.h"

#include "forms/Desktop.h"

namespace apptest {

engine::DatabasePtr openDb(const std::string& path, const std::string& connect) {
    return engine::DBEngine::instance().Workspaces(0).OpenDatabase(path, false, false, connect);
}

long rowCount(const std::string& path, const std::string& table, const std::string& connect) {
    auto db = openDb(path, connect);
    const long n = db->OpenRecordset(table, engine::dbOpenTable)->RecordCount();
    db->Close();
    return n;
}

std::vector<runtime::Variant> column(const std::string& path, const std::string& table,
                                     const std::string& field, const std::string& connect) {
    auto db = openDb(path, connect);
    auto rs = db->OpenRecordset(table, engine::dbOpenTable);
    std::vector<runtime::Variant> values;
    while (!rs->Eof()) {
        values.push_back(rs->Fields(field).Value());
        rs->MoveNext();
    }
    db->Close();
    return values;
}

runtime::Variant firstValue(const std::string& path, const std::string& table,
                            const std::string& field, const std::string& connect) {
    auto values = column(path, table, field, connect);
    return values.empty() ? runtime::Variant() : values.front();
}

void setFirstValue(const std::string& path, const std::string& table, const std::string& field,
                   const runtime::Variant& value, const std::string& connect) {
    auto db = openDb(path, connect);
    auto rs = db->OpenRecordset(table, engine::dbOpenTable);
    rs->Edit();
    rs->Fields(field).setValue(value);
    rs->Update();
    db->Close();
}

void execute(const std::string& path, const std::string& sql, const std::string& connect) {
    auto db = openDb(path, connect);
    db->Execute(sql);
    db->Close();
}

bool hasTable(const std::string& path, const std::string& table, const std::string& connect) {
    auto db = openDb(path, connect);
    const bool found = db->TableDefs().contains(table);
    db->Close();
    return found;
}

void addField(const std::string& path, const std::string& table, const std::string& field, int type,
              int size) {
    auto db = openDb(path);
    auto def = db->TableDefs().Item(table);
    def->Fields().Append(def->CreateField(field, type, size));
    db->Close();
}

StartupTest::~StartupTest() {
    closeAll();
}

app::frmSysAdmin& StartupTest::start() {
    closeAll();
    frame.reset();
    window.reset();
    window = std::make_unique<app::frmSysAdmin>();
    frame = std::make_unique<app::MDIForm1>(*window);
    frame->Show();
    return *window;
}

void StartupTest::prepareCompleteFiles() {
    start();
    ASSERT_TRUE(desk.verify()) << desk.transcript();
    closeAll();
}

void StartupTest::closeAll() {
    if (window) {
        window->SysDB.reset();
        window->ClientDB.reset();
        window->ImportDB.reset();
        window->MainRS.reset();
        window->SecondRS.reset();
        window->ThirdRS.reset();
    }
    engine::DBEngine::instance().Workspaces(0).Close();
}

std::string StartupTest::pathLine(std::initializer_list<std::string> values) {
    std::string line;
    for (const std::string& v : values) {
        if (!line.empty()) line += ",";
        line += "\"" + v + "\"";
    }
    return line + kCrLf;
}

void StartupTest::expectClosingQuestion(int answer) {
    desk.expectMessage(std::string("The System Admin program will now Close!") + kCrLf +
                           "Do you want to Exit the program?",
                       forms::vbYesNo, "Quolby System Admin", answer);
}

void StartupTest::expectQuotedPathRefused() {
    desk.expectMessage(std::string("The path of the chosen file holds a double quote (\"), which "
                                   "the program cannot record.") +
                           kCrLf + "Please choose a file whose path has no double quote.",
                       forms::vbExclamation, "Invalid Path!", forms::vbOK);
}

} // namespace apptest
