// Each kind of last year's file is located, listed in name order and previewed; the
// listing keeps, for every row, what the imports read.

#include "CarryFixture.h"
#include "engine/Dao.h"
#include "support/ErrorOf.h"

#include <filesystem>

namespace carry_test {
namespace {

struct KindCase {
    const char* code;
    int option;
    FileKind kind;
    const char* fileName;
    const char* title;
    const char* frame;
    const char* table;
    const char* numberField;
    std::string app::frmSysAdmin::*path;
    const char* pathFile;
    double app::frmSysAdmin::*selected;
    std::vector<std::string> rows;   // as listed
    std::vector<std::string> boxes;  // the kind's boxes
    std::vector<std::string> second; // what they show for the second row
    const char* firstName;           // the name box before a row is chosen
};

// Client `name` with number `number` of the kind, its other texts made from the name.
Row client(const KindCase& k, double number, const std::string& name) {
    switch (k.kind) {
    case FileKind::LastYearIndividuals:
        return {{"DCLNO", number}, {"Surname", name}, {"PERS2", "I."}, {"Desc", "desc " + name}};
    case FileKind::LastYearTrust:
        return {{"TDCLNO", number},
                {"TrustName", name},
                {"TrustRegNo", "reg " + name},
                {"TrustTaxNo", "tax " + name}};
    default:
        return {{"CDCLNO", number}, {"CompanyRegName", name}, {"CompanyRegNo", "reg " + name}};
    }
}

using W = app::frmSysAdmin;
const KindCase kKinds[] = {
    {"PI",
     0,
     FileKind::LastYearIndividuals,
     "Qolb2017LAN.MDB",
     "Locate File Name : Qolb2017LAN.MDB",
     "frmPersImport",
     "Qolb2017",
     "DCLNO",
     &W::PrevYearDbPath,
     "QB2017Path.Dll",
     &W::SelectedPersNo,
     {"A I.  desc A", "B I. 0123/456/78/9 desc B", "C I.  desc C"},
     {"Text1", "Text2", "Text3"},
     {"I. B", "0123/456/78/9", "desc B"},
     "I. A"},
    {"TI",
     1,
     FileKind::LastYearTrust,
     "QolbTrust2017Lan.Mdb",
     "Locate File Name : QolbTrust2017Lan.MDB",
     "fraTrustImport",
     "TRUSTDetails",
     "TDCLNO",
     &W::PrevYearDbPath,
     "QB2017Path.Dll",
     &W::SelectedTrustNo,
     {"A reg A tax A", "B reg B tax B", "C reg C tax C"},
     {"Text8", "Text7", "Text6"},
     {"B", "reg B", "tax B"},
     "A"},
    {"CI",
     2,
     FileKind::LastYearCompany,
     "QolbCompany2017Lan.MDB",
     "Locate File Name : QolbCompany2017Lan.MDB",
     "fraCompImport",
     "CompanyDetails",
     "CDCLNO",
     &W::PrevYearCompDbPath,
     "QB2017CompPath.Dll",
     &W::SelectedCompNo,
     {"A reg A", "B reg B", "C reg C"},
     {"Text5", "Text4"},
     {"B", "reg B"},
     "A"},
};

class ListingTest : public CarryFixture {
protected:
    // Last year's file of the kind with clients C (10), A (20) and B (30), stored in that
    // order; B has a tax reference. Trust and company files get the individuals file beside.
    std::string makeThree(const KindCase& k) {
        const std::string path = src.file(k.fileName);
        std::vector<std::pair<std::string, Row>> rows{{k.table, client(k, 10, "C")},
                                                      {k.table, client(k, 20, "A")},
                                                      {k.table, client(k, 30, "B")}};
        if (k.kind == FileKind::LastYearIndividuals)
            rows.push_back({"Qolb2017Cont",
                            {{"DCLNO", 30.0},
                             {"TaxRefNo_1", "0123"},
                             {"TaxRefNo_2", "456"},
                             {"TaxRefNo_3", "78"},
                             {"TaxRefNo_4", "9"}}});
        makeLastYear(path, k.kind, rows);
        if (k.kind != FileKind::LastYearIndividuals && !std::filesystem::exists(versionFile()))
            makeLastYear(versionFile(), FileKind::LastYearIndividuals, {});
        return path;
    }
    std::vector<std::string> shown(const KindCase& k) const {
        std::vector<std::string> texts;
        for (const auto& box : k.boxes)
            texts.push_back(w.textBox(box).Text());
        return texts;
    }
};

TEST_F(ListingTest, EachKindIsListedInNameOrderAndItsChosenRowPreviewed) {
    for (const KindCase& k : kKinds) {
        SCOPED_TRACE(k.code);
        const std::string path = makeThree(k);
        chooseKind(k.option);
        EXPECT_EQ(w.ImportKind, k.code);
        locate(path);

        const forms::FileDialogRequest& dialog = desk.shown().back().request;
        EXPECT_EQ(dialog.FileName, k.fileName);
        EXPECT_EQ(dialog.DialogTitle, k.title);
        EXPECT_EQ(dialog.Flags, 6144);
        EXPECT_EQ(dialog.Filter, "Access Database (.mdb)|*.mdb");

        EXPECT_EQ(w.lstPrevYear.items(), k.rows);
        EXPECT_EQ(w.PrevYearClientNos,
                  (std::vector<Variant>{Variant(), Variant(20.0), Variant(30.0), Variant(10.0)}));
        EXPECT_EQ(w.*k.selected, 20.0);
        EXPECT_EQ(w.*k.path, path);
        EXPECT_EQ(pathFileText(k.pathFile), "\"" + path + "\"\r\n");
        EXPECT_TRUE(w.cmdImpSelAss.Enabled());
        EXPECT_TRUE(w.cmdImpWholeDB.Enabled());
        EXPECT_TRUE(w.lstPrevYear.Enabled());
        EXPECT_EQ(shown(k)[0], k.firstName) << "the first client is shown until one is chosen";

        EXPECT_TRUE(w.lstPrevYear.userSelect(1));
        EXPECT_EQ(shown(k), k.second);
        EXPECT_EQ(w.PrevYearSelected, 1);
        EXPECT_TRUE(desk.messages().empty()) << desk.transcript();

        // The listing holds no file: another workstation may take it for itself.
        EXPECT_EQ(support::errorOf([&] {
                      engine::DBEngine::instance().Workspaces(0).OpenDatabase(path, true)->Close();
                  }),
                  0);
        closeAll();
    }
}

TEST_F(ListingTest, TheTaxReferenceIsJoinedBySlashesOrByBlanksWithoutItsFirstPart) {
    struct Case {
        std::optional<std::vector<Variant>> parts; // nullopt: no continuation row
        std::string reference;
    };
    const Case cases[] = {
        {std::vector<Variant>{"0123", "456", "78", "9"}, "0123/456/78/9"},
        {std::vector<Variant>{"", "456", "78", "9"}, " 456 78 9"},
        {std::vector<Variant>{Variant(), "456", "78", "9"}, " 456 78 9"},
        {std::vector<Variant>{"0123", Variant(), "78", "9"}, "0123//78/9"},
        {std::nullopt, ""},
    };
    std::vector<std::pair<std::string, Row>> rows;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const double number = static_cast<double>(i + 1);
        rows.push_back({"Qolb2017",
                        {{"DCLNO", number},
                         {"Surname", "S" + std::to_string(i)},
                         {"PERS2", "I."},
                         {"Desc", ""}}});
        if (const auto& p = cases[i].parts)
            rows.push_back({"Qolb2017Cont",
                            {{"DCLNO", number},
                             {"TaxRefNo_1", (*p)[0]},
                             {"TaxRefNo_2", (*p)[1]},
                             {"TaxRefNo_3", (*p)[2]},
                             {"TaxRefNo_4", (*p)[3]}}});
    }
    makeLastYear(src.file("Qolb2017LAN.MDB"), FileKind::LastYearIndividuals, rows);
    locate(src.file("Qolb2017LAN.MDB"));

    ASSERT_EQ(w.lstPrevYear.ListCount(), static_cast<int>(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        // An empty description leaves the row ending in a blank.
        EXPECT_EQ(w.lstPrevYear.List(static_cast<int>(i)),
                  "S" + std::to_string(i) + " I. " + cases[i].reference + " ");
        EXPECT_EQ(w.PrevYearClientRefs[i + 1], Variant(cases[i].reference));
        w.lstPrevYear.userSelect(static_cast<int>(i));
        EXPECT_EQ(w.Text2.Text(), cases[i].reference);
    }
}

TEST_F(ListingTest, NullNamesNumbersAndReferencesShowAsEmptyText) {
    makeLastYear(src.file("Qolb2017LAN.MDB"), FileKind::LastYearIndividuals,
                 {{"Qolb2017", {{"DCLNO", Variant()}, {"Surname", Variant()}}},
                  {"Qolb2017",
                   {{"DCLNO", 5.0}, {"Surname", "Smith"}, {"PERS2", Variant()}, {"Desc", "d"}}}});
    makeLastYear(src.file("QolbTrust2017Lan.Mdb"), FileKind::LastYearTrust,
                 {{"TRUSTDetails", {{"TDCLNO", 1.0}, {"TrustName", Variant()}}},
                  {"TRUSTDetails", {{"TDCLNO", 2.0}, {"TrustName", "T"}}}});

    locate(src.file("Qolb2017LAN.MDB"));
    EXPECT_EQ(w.lstPrevYear.items(), (std::vector<std::string>{"   ", "Smith   d"}));
    EXPECT_TRUE(w.cmdImpSelAss.Enabled());
    EXPECT_EQ(w.SelectedPersNo, 0.0) << "a first client without a number selects none";
    // A missing initial leaves no half name; the rest of the row is still shown.
    w.lstPrevYear.userSelect(1);
    EXPECT_EQ(w.Text1.Text(), "");
    EXPECT_EQ(w.Text3.Text(), "d");
    EXPECT_EQ(w.PrevYearClientNos[2], Variant(5.0));
    w.lstPrevYear.userSelect(0);
    EXPECT_EQ((std::vector<std::string>{w.Text1.Text(), w.Text2.Text(), w.Text3.Text()}),
              (std::vector<std::string>{"", "", ""}));

    chooseKind(1);
    locate(src.file("QolbTrust2017Lan.Mdb"));
    EXPECT_EQ(w.lstPrevYear.items(), (std::vector<std::string>{"  ", "T  "}));
    w.lstPrevYear.userSelect(0);
    EXPECT_EQ(w.Text8.Text(), "");
}

TEST_F(ListingTest, AnEmptyFileBeepsAndListsNothingOfAnEarlierFile) {
    struct Case {
        int option;
        FileKind kind;
        const char* file;
        bool importsOffered; // an empty individuals file still offers them
    };
    const Case cases[] = {
        {0, FileKind::LastYearIndividuals, "Qolb2017LAN.MDB", true},
        {1, FileKind::LastYearTrust, "QolbTrust2017Lan.Mdb", false},
        {2, FileKind::LastYearCompany, "QolbCompany2017Lan.MDB", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        const KindCase& k = kKinds[c.option];
        support::TempFolder full;
        chooseKind(c.option);
        const std::string fullPath = makeThree(k);
        locate(fullPath);
        ASSERT_EQ(w.lstPrevYear.ListCount(), 3);
        w.lstPrevYear.userSelect(2);

        const std::string emptyPath = full.file(c.file);
        makeLastYear(emptyPath, c.kind, {});
        if (c.kind != FileKind::LastYearIndividuals)
            makeLastYear(full.file("Qolb2017LAN.MDB"), FileKind::LastYearIndividuals, {});
        const int beeps = desk.beepCount();
        locate(emptyPath);

        EXPECT_EQ(desk.beepCount(), beeps + 1);
        EXPECT_EQ(w.lstPrevYear.ListCount(), 0);
        EXPECT_EQ(w.PrevYearClientNos, std::vector<Variant>(1));
        EXPECT_EQ(shown(k), std::vector<std::string>(k.boxes.size()));
        EXPECT_EQ(w.cmdImpSelAss.Enabled(), c.importsOffered);
        EXPECT_EQ(w.cmdImpWholeDB.Enabled(), c.importsOffered);
        closeAll();
        std::filesystem::remove(src.file(k.fileName));
        std::filesystem::remove(versionFile());
    }
}

TEST_F(ListingTest, AFileWithoutTheKindsIndexListsInStoredOrder) {
    // This year's company file lacks the index by registered name that last year's has.
    const std::string path = src.file("QolbCompany2017Lan.MDB");
    support::DatabaseFile file(path, FileKind::Company);
    file.only({"CompanyDetails"});
    for (auto [n, name] : {std::pair{1.0, "Zeta"}, std::pair{2.0, "Alpha"}})
        file.row("CompanyDetails", {{"CDCLNO", n}, {"CompanyRegName", name}});
    file.make();
    makeLastYear(versionFile(), FileKind::LastYearIndividuals, {});

    chooseKind(2);
    locate(path);
    EXPECT_EQ(w.lstPrevYear.items(), (std::vector<std::string>{"Zeta ", "Alpha "}));
    EXPECT_EQ(w.PrevYearClientNos[2], Variant(2.0));
    EXPECT_TRUE(w.cmdImpSelAss.Enabled());
}

TEST_F(ListingTest, TheKindSwitchClearsTheListAndBoxesButKeepsTheChoice) {
    const std::string path = makeThree(kKinds[0]);
    locate(path);
    w.lstPrevYear.userSelect(1);
    const std::vector<Variant> numbers = w.PrevYearClientNos;

    for (const KindCase& k : {kKinds[1], kKinds[2], kKinds[0]}) {
        SCOPED_TRACE(k.code);
        chooseKind(k.option);
        EXPECT_EQ(w.ImportKind, k.code);
        EXPECT_EQ(w.lstPrevYear.ListCount(), 0);
        for (const char* box :
             {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8"})
            EXPECT_EQ(w.textBox(box).Text(), "") << box;
        EXPECT_FALSE(w.cmdImpSelAss.Enabled());
        EXPECT_FALSE(w.cmdImpWholeDB.Enabled());
        const forms::Frame& front = w.find<forms::Frame>(k.frame);
        for (const forms::Frame* f : {&w.frmPersImport, &w.fraTrustImport, &w.fraCompImport})
            if (f != &front) {
                EXPECT_GT(front.zOrderStamp(), f->zOrderStamp());
            }
        EXPECT_EQ(w.PrevYearClientNos, numbers);
        EXPECT_EQ(w.PrevYearSelected, 1);
        EXPECT_EQ(w.PrevYearDbPath, path);
    }
}

TEST_F(ListingTest, ContinueHidesTheNotice) {
    EXPECT_TRUE(w.Frame13.Visible());
    ASSERT_TRUE(w.click("cmdContinueImport"));
    EXPECT_FALSE(w.Frame13.Visible());
}

} // namespace
} // namespace carry_test
