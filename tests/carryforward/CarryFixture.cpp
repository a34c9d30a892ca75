#include "CarryFixture.h"

#include "carryforward/Attach.h"

#include <cstdlib>

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

} // namespace carry_test
