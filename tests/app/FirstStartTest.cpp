#include "StartupFixture.h"
#include "app/Version.h"
#include "runtime/VariantOps.h"

namespace apptest {
namespace {

using runtime::Variant;

TEST_F(StartupTest, FirstStartInAnEmptyFolderBuildsEverythingWithoutAWord) {
    app::frmSysAdmin& win = start();

    EXPECT_EQ(sysPathFile(), pathLine({sysDb()}));
    EXPECT_EQ(clientPathFile(), pathLine({persDb(), trustDb(), compDb()}));

    EXPECT_TRUE(hasTable(persDb(), "Qolb2018"));
    EXPECT_TRUE(hasTable(persDb(), "Qolb2018Cont"));
    EXPECT_TRUE(hasTable(trustDb(), "TRUSTDetails"));
    EXPECT_TRUE(hasTable(compDb(), "CompanyDetails"));
    EXPECT_TRUE(hasTable(sysDb(), "UserNames", kSysPwd));

    // HeadFoot: one row of empty texts, not Nulls.
    ASSERT_EQ(rowCount(persDb(), "HeadFoot"), 1);
    for (const char* f :
         {"HEADERV0", "HEADERV1", "HEADERV2", "HEADERV3", "footv0", "footv1", "footv2", "footv3"})
        EXPECT_EQ(firstValue(persDb(), "HeadFoot", f), Variant("")) << f;

    // The option row, raised to the current structure by the upgrade of the same start.
    ASSERT_EQ(rowCount(persDb(), "DefInvOpt"), 1);
    EXPECT_EQ(runtime::CInt(firstValue(persDb(), "DefInvOpt", "UpDateDB")), 3);
    EXPECT_EQ(runtime::CDbl(firstValue(persDb(), "DefInvOpt", "LoanThreshold")), 3000);
    EXPECT_EQ(runtime::CDbl(firstValue(persDb(), "DefInvOpt", "OffIntRate")), 8);
    EXPECT_FALSE(runtime::CBool(firstValue(persDb(), "DefInvOpt", "DisclaimerYesNo")));
    const double verNum = app::verNum(app::buildVersion());
    EXPECT_EQ(runtime::CDbl(firstValue(persDb(), "DefInvOpt", "VerNum")), verNum);

    ASSERT_EQ(rowCount(sysDb(), "DefInvOpt", kSysPwd), 1);
    EXPECT_EQ(runtime::CInt(firstValue(sysDb(), "DefInvOpt", "UpDateDB", kSysPwd)), 1);
    EXPECT_EQ(runtime::CDbl(firstValue(sysDb(), "DefInvOpt", "VerNum", kSysPwd)), verNum);

    // The window shows the paths, the versions and the empty user list.
    EXPECT_TRUE(win.isLoaded());
    EXPECT_TRUE(win.Visible());
    EXPECT_EQ(win.txtUserMainDB.Text(), sysDb());
    EXPECT_EQ(app::SysAdminDbPath, sysDb());
    EXPECT_EQ(win.txtQolbSysAdminDBVersion.Text(), "1");
    EXPECT_EQ(win.txtQolbDB.Text(), persDb());
    EXPECT_EQ(win.txtQolbTrustDB.Text(), trustDb());
    EXPECT_EQ(win.txtQolbCompDB.Text(), compDb());
    for (auto* box : {&win.txtQolbDBVersion, &win.txtQolbTrustDBVersion, &win.txtQolbCompDBVersion,
                      &win.txtQolbDBVersionImport, &win.txtQolbTrustDBVersionImport,
                      &win.txtQolbCompDBVersionImport})
        EXPECT_EQ(box->Text(), "3") << box->Name();
    EXPECT_EQ(win.txtQolbDBImport.Text(), persDb());
    EXPECT_EQ(win.txtQolbTrustDBImport.Text(), trustDb());
    EXPECT_EQ(win.txtQolbCompDBImport.Text(), compDb());
    EXPECT_EQ(win.List1.ListCount(), 0);
    EXPECT_FALSE(win.UsersLoggedOn);
    EXPECT_TRUE(win.cmdAddNew.Enabled());
    EXPECT_TRUE(win.cmdEdit.Enabled());
    EXPECT_TRUE(win.cmdDelete.Enabled());
    EXPECT_FALSE(win.cmdUpdate.Enabled());
    EXPECT_FALSE(win.txtUserName.Enabled()); // the entry box opens only for adding or editing
    EXPECT_FALSE(win.Frame1.Visible());
    EXPECT_FALSE(win.NetworkProblem);
    EXPECT_EQ(win.ImportKind, "PI");
    EXPECT_EQ(win.TransPersDbPath, folder.file("\\TransDB.mdb"));
    EXPECT_EQ(desk.mousePointer(), forms::vbDefault);
    EXPECT_EQ(frame->Caption(), app::versionCaption(app::buildVersion()));
}

TEST_F(StartupTest, ASecondStartChangesNoDatabase) {
    prepareCompleteFiles();
    const std::string files[] = {sysDb(), persDb(), trustDb(), compDb()};
    std::vector<std::string> before;
    for (const auto& f : files)
        before.push_back(support::readBytes(f));

    app::frmSysAdmin& win = start();
    closeAll();

    for (std::size_t i = 0; i < std::size(files); ++i)
        EXPECT_TRUE(support::readBytes(files[i]) == before[i]) << files[i] << " changed";
    EXPECT_EQ(rowCount(persDb(), "DefInvOpt"), 1);
    EXPECT_EQ(rowCount(persDb(), "HeadFoot"), 1);
    EXPECT_EQ(win.txtQolbDBVersion.Text(), "3");
}

TEST_F(StartupTest, CaptionsAndFileNameLabelsAreSetBeforeAnyDatabaseIsOpened) {
    // The paths come from the file and cannot be reached: the Load event ends at the probe.
    folder.write("\\DBMPath.Txt",
                 pathLine({"/nowhere/Qolb2018LAN.mdb", "/nowhere/QolbTrust2018Lan.Mdb",
                           "/nowhere/QolbCompany2018Lan.Mdb"}));
    desk.expectMessage(std::string("It appears that there is a problem with the Network!") + kCrLf +
                           "Re-establish the network link and try again?",
                       forms::vbExclamation, "Network Error!", forms::vbOK);
    app::frmSysAdmin& win = start();

    EXPECT_EQ(win.Caption(), "Database Administration for Quolby 2018 Network");
    const std::pair<int, const char*> labels[] = {
        {0, "(SysAdmin2018.Mdb)"},        {11, "(Qolb2018Lan.Mdb)"}, {3, "(QolbTrust2018Lan.Mdb)"},
        {12, "(QolbCompany2018Lan.Mdb)"}, {13, "(Qolb2018Lan.Mdb)"}, {6, "(QolbTrust2018Lan.Mdb)"},
        {7, "(QolbCompany2018Lan.Mdb)"},  {20, "(Qolb2018.Mdb)"},    {19, "(QolbCompany2018.Mdb)"}};
    for (const auto& [index, caption] : labels)
        EXPECT_EQ(win.lblLabels(index).Caption(), caption) << index;
    EXPECT_EQ(win.SSIndexTab2.TabCaption(0), "Import Individual 2018 Databases to Network");
    EXPECT_EQ(win.SSIndexTab2.TabCaption(1), "Import 2017 NetWork Databases");
    EXPECT_EQ(win.Label5(3).Caption(), "QUOLBY2017.");
}

} // namespace
} // namespace apptest
