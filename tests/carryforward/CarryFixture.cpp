#include "CarryFixture.h"

#include "app/ExclusiveDatabases.h"
#include "carryforward/PrevYearWiring.h"

#include <cstdlib>
#include <filesystem>

namespace carry_test {

void makeLastYear(const std::string& path, FileKind kind,
                  const std::vector<std::pair<std::string, Row>>& rows,
                  std::optional<Variant> version) {
    support::DatabaseFile file(path, kind);
    // Only what the page reads, which keeps the files quick to build.
    switch (kind) {
    case FileKind::LastYearIndividuals:
        file.only({"Qolb2017", "Qolb2017Cont", "DefInvOpt"});
        break;
    case FileKind::LastYearTrust:
        file.only({"TRUSTDetails"});
        break;
    case FileKind::LastYearCompany:
        file.only({"CompanyDetails"});
        break;
    default:
        break;
    }
    for (const auto& [table, values] : rows)
        file.row(table, values);
    if (kind == FileKind::LastYearIndividuals && version)
        file.row("DefInvOpt", {{"UpDateDB", *version}});
    file.make();
}

void closeAll() {
    try {
        engine::DBEngine::instance().Workspaces(0).Close();
    } catch (const runtime::Error&) {
    }
}

Rows query(engine::Database& db, const std::string& sql) {
    Rows out;
    auto rs = db.OpenRecordset(sql, engine::dbOpenDynaset);
    for (; !rs->Eof(); rs->MoveNext()) {
        out.emplace_back();
        for (int i = 0; i < rs->FieldCount(); ++i)
            out.back().push_back(rs->Fields(i).Value());
    }
    rs->Close();
    return out;
}

CarryFixture::CarryFixture() {
    desk.setProgramFolder(program.path());
    if (const char* h = std::getenv("HOME")) oldHome_ = h;
    setenv("HOME", home.path().c_str(), 1);
    carryforward::attach(w);
    w.onLoad = [] {}; // the start-up is not under test
    w.Show();
}

CarryFixture::~CarryFixture() {
    closeAll();
    if (oldHome_)
        setenv("HOME", oldHome_->c_str(), 1);
    else
        unsetenv("HOME");
}

void CarryFixture::chooseKind(int option) {
    ASSERT_TRUE(w.optWhichDBImport(option).userClick());
}

void CarryFixture::locate(const std::string& path, const std::vector<std::string>& okMessages) {
    desk.expectOpenDialog(path);
    for (const std::string& text : okMessages)
        desk.expectMessage(text, forms::vbOKOnly, "", forms::vbOK);
    ASSERT_TRUE(w.click("cmdLocateDB"));
    EXPECT_TRUE(desk.verify()) << desk.transcript();
}

void WholeFileImport::ready(int option) {
    chooseKind(option);
    locate(lastYear);
    w.cmdOk.setEnabled(false);
}

void WholeFileImport::import(const std::string& text, int style) {
    desk.expectMessage(text, style, "", forms::vbOK);
    closeAll();
    before = support::readBytes(w.*thisYearFile_);
    ASSERT_TRUE(w.click("cmdImpWholeDB"));
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    closeAll();
}

std::vector<std::string> WholeFileImport::importAnsweringOk() {
    desk.answerAnyMessage(forms::vbOK);
    closeAll();
    before = support::readBytes(w.*thisYearFile_);
    const std::size_t shownBefore = desk.messages().size();
    EXPECT_TRUE(w.click("cmdImpWholeDB"));
    EXPECT_NO_THROW(app::openExclusive(w.*thisYearFile_)->Close()) << "no handle left open";
    closeAll();
    const std::vector<std::string> shown = desk.messages();
    return {shown.begin() + static_cast<std::ptrdiff_t>(shownBefore), shown.end()};
}

engine::DatabasePtr WholeFileImport::thisYear() {
    return engine::DBEngine::instance().Workspaces(0).OpenDatabase(w.*thisYearFile_);
}

bool WholeFileImport::unchanged() const {
    return support::readBytes(w.*thisYearFile_) == before;
}

std::string CarryFixture::freshIndividualFiles() {
    closeAll();
    const std::string lastYear = src.file("Qolb2017LAN.MDB");
    w.PersDbPath = program.file("Qolb2018LAN.mdb");
    w.TransPersDbPath = program.file("TransDB.mdb");
    for (const std::string& path : {lastYear, w.PersDbPath, w.TransPersDbPath})
        std::filesystem::remove(path);
    return lastYear;
}

} // namespace carry_test
