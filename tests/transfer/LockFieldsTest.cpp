// The lock-field clean-up every import ends with: Nulls take their empty values, every
// other value stays, every row is reached, and a file another workstation holds is left
// as it was with a message that says so.
#include "transfer/LockFields.h"

#include "app/frmSysAdmin.h"
#include "engine/Dao.h"
#include "engine/EngineErrors.h"
#include "support/DatabaseFile.h"
#include "support/OtherProcess.h"
#include "support/ProgramFolder.h"
#include "transfer/ImportEnd.h"
#include "transfer/ImportEndMessages.h"

#include <gtest/gtest.h>

namespace {

using runtime::Variant;
using transfer::LockFieldsOutcome;

struct Kind {
    support::FileKind file;
    std::string table;
    std::string nameField; // tells the rows apart
    std::string clients;   // as the boxes name them
};

const std::vector<Kind>& kinds() {
    static const std::vector<Kind> all{
        {support::FileKind::Individuals, "Qolb2018", "PERS2", "clients"},
        {support::FileKind::Trust, "TRUSTDetails", "TrustName", "trusts"},
        {support::FileKind::Company, "CompanyDetails", "CompanyRegName", "companies"},
    };
    return all;
}

const Variant kNull = Variant::null();
const Variant kDay0 = Variant::date(0);
const Variant kSaved = Variant::date(43100.5);

struct Locks {
    Variant userName, dateLastSaved, lastUserName;
    bool operator==(const Locks&) const = default;
};

void show(std::ostream& os, const Variant& v) {
    if (v.isNull())
        os << "Null";
    else if (v.isString())
        os << '"' << v.rawString() << '"';
    else if (v.type() == runtime::VarType::Date)
        os << "day " << v.rawDouble();
    else
        os << "type " << static_cast<int>(v.type());
}

std::ostream& operator<<(std::ostream& os, const Locks& l) {
    os << "{";
    show(os, l.userName);
    os << ", ";
    show(os, l.dateLastSaved);
    os << ", ";
    show(os, l.lastUserName);
    return os << "}";
}

class LockFieldsTest : public ::testing::TestWithParam<Kind> {
protected:
    ~LockFieldsTest() override { engine::DBEngine::instance().Workspaces(0).Close(); }

    const Kind& kind = GetParam();
    support::ProgramFolder folder;
    support::ScriptedDesktop& desk = folder.desktop();
    std::string path = folder.file("ThisYear.mdb");

    void make(const std::vector<Locks>& rows) const {
        support::DatabaseFile file(path, kind.file);
        file.only({kind.table});
        for (std::size_t i = 0; i < rows.size(); ++i)
            file.row(kind.table, {{kind.nameField, Variant("client " + std::to_string(i))},
                                  {"UserName", rows[i].userName},
                                  {"DateLastSaved", rows[i].dateLastSaved},
                                  {"LastUserName", rows[i].lastUserName}});
        file.make();
    }

    // The rows in the order they were written.
    std::vector<Locks> read() const {
        std::vector<Locks> rows;
        auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(path, false, true);
        auto rs = db->OpenRecordset(kind.table, engine::dbOpenTable);
        for (; !rs->Eof(); rs->MoveNext())
            rows.push_back({rs->Fields("UserName").Value(), rs->Fields("DateLastSaved").Value(),
                            rs->Fields("LastUserName").Value()});
        db->Close();
        return rows;
    }
};

// Each row: as written, and as the clean-up must leave it.
struct Case {
    Locks before, after;
};

const std::vector<Case> kCases{
    {{kNull, kNull, kNull}, {Variant(""), kDay0, Variant("")}},
    {{Variant(""), kDay0, Variant("")}, {Variant(""), kDay0, Variant("")}},
    {{Variant("ann"), kSaved, Variant("bob")}, {Variant("ann"), kSaved, Variant("bob")}},
    // A user's lock is never released here.
    {{Variant("ann"), kNull, kNull}, {Variant("ann"), kDay0, Variant("")}},
    {{kNull, kSaved, Variant("")}, {Variant(""), kSaved, Variant("")}},
    {{kNull, kNull, Variant("bob")}, {Variant(""), kDay0, Variant("bob")}},
    {{Variant(" "), kNull, Variant(" ")}, {Variant(" "), kDay0, Variant(" ")}},
    {{Variant(""), kNull, kNull}, {Variant(""), kDay0, Variant("")}},
};

TEST_P(LockFieldsTest, NullsTakeTheirEmptyValuesAndEveryOtherValueStays) {
    std::vector<Locks> before, after;
    for (const Case& c : kCases) {
        before.push_back(c.before);
        after.push_back(c.after);
    }
    make(before);
    const auto result = transfer::tidyLockFields(path, kind.table);
    EXPECT_EQ(result.outcome, LockFieldsOutcome::Tidied);
    EXPECT_EQ(result.rows, static_cast<long>(kCases.size()));
    EXPECT_EQ(read(), after);
}

// A walk in UserName order that rewrites UserName moves each row it fixes; every row,
// wherever it sorts before and after, must be reached.
TEST_P(LockFieldsTest, EveryRowIsReached) {
    std::vector<Locks> before;
    for (int i = 0; i < 300; ++i) {
        const Variant name = i % 3 == 0 ? kNull : i % 3 == 1 ? Variant("") : Variant("user");
        before.push_back({name, kNull, i % 2 ? kNull : Variant("last")});
    }
    make(before);
    EXPECT_EQ(transfer::tidyLockFields(path, kind.table).rows, 300);
    const std::vector<Locks> after = read();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        const Locks expected{before[i].userName.isNull() ? Variant("") : before[i].userName, kDay0,
                             before[i].lastUserName.isNull() ? Variant("")
                                                             : before[i].lastUserName};
        EXPECT_EQ(after[i], expected) << "row " << i;
    }
}

TEST_P(LockFieldsTest, AFileAnotherWorkstationHoldsIsLeftAsItWas) {
    make({{kNull, kNull, kNull}, {Variant("ann"), kNull, Variant("")}});
    const std::string bytes = support::readBytes(path);
    {
        support::OtherProcess workstation(path, false);
        ASSERT_TRUE(workstation.acquired());
        const auto result = transfer::tidyLockFields(path, kind.table);
        EXPECT_EQ(result.outcome, LockFieldsOutcome::InUse);
        EXPECT_EQ(support::readBytes(path), bytes);
    }
    EXPECT_EQ(support::readBytes(path), bytes);
}

INSTANTIATE_TEST_SUITE_P(MainTables, LockFieldsTest, ::testing::ValuesIn(kinds()),
                         [](const auto& info) { return info.param.table; });

// --- the end of an import, through the window ----------------------------------------

class ImportEndTest : public LockFieldsTest {
protected:
    app::frmSysAdmin w;

    ImportEndTest() {
        w.cmdOk.setEnabled(false);
        w.MsgText = "kept";
    }
};

TEST_P(ImportEndTest, TheWindowsOwnHandlesAreLetGoAndTheTransferIsCompleted) {
    make({{kNull, kNull, kNull}});
    auto& ws = engine::DBEngine::instance().Workspaces(0);
    w.ImportDB = ws.OpenDatabase(path);
    w.DetailRS = w.ImportDB->OpenRecordset(kind.table, engine::dbOpenTable);
    w.ClientDB = ws.OpenDatabase(path);
    w.MainRS = w.ClientDB->OpenRecordset(kind.table, engine::dbOpenTable);

    desk.expectMessage(std::string(transfer::msg::TransferCompleted), forms::vbOKOnly, "",
                       forms::vbOK);
    transfer::finishImport(w, path, kind.table, kind.clients);
    EXPECT_TRUE(desk.verify());
    EXPECT_FALSE(w.ImportDB->isOpen());
    EXPECT_FALSE(w.DetailRS->isOpen());
    EXPECT_FALSE(w.ClientDB->isOpen());
    EXPECT_FALSE(w.MainRS->isOpen());
    EXPECT_FALSE(engine::DBEngine::instance().isHeld(path));
    EXPECT_TRUE(w.cmdOk.Enabled());
    EXPECT_EQ(w.MsgText, "kept");
    EXPECT_EQ(read(), (std::vector<Locks>{{Variant(""), kDay0, Variant("")}}));
}

TEST_P(ImportEndTest, AnEmptyTableIsCompletedWithOkLeftAsItWas) {
    make({});
    desk.expectMessage(std::string(transfer::msg::TransferCompleted), forms::vbOKOnly, "",
                       forms::vbOK);
    transfer::finishImport(w, path, kind.table, kind.clients);
    EXPECT_TRUE(desk.verify());
    EXPECT_FALSE(w.cmdOk.Enabled());
}

TEST_P(ImportEndTest, AFileInUseIsNeverCalledCompleted) {
    make({{kNull, kNull, kNull}});
    const std::string bytes = support::readBytes(path);
    support::OtherProcess workstation(path, false);
    ASSERT_TRUE(workstation.acquired());
    desk.expectMessage("The " + kind.clients +
                           " have been written to this year's database, but their record locks "
                           "could not be tidied because the database is in use on another "
                           "workstation.",
                       forms::vbExclamation, "", forms::vbOK);
    transfer::finishImport(w, path, kind.table, kind.clients);
    EXPECT_TRUE(desk.verify());
    EXPECT_FALSE(w.cmdOk.Enabled());
    EXPECT_EQ(support::readBytes(path), bytes);
}

TEST_P(ImportEndTest, AnyOtherFailureIsShownWithItsNumber) {
    make({{kNull, kNull, kNull}});
    const std::string bytes = support::readBytes(path);
    {
        engine::ScopedOpenFault fault(path, engine::err::DiskOrNetworkError);
        desk.answerAnyMessage(forms::vbOK);
        transfer::finishImport(w, path, kind.table, kind.clients);
    }
    ASSERT_EQ(desk.shown().size(), 1u);
    const auto& box = desk.shown().front();
    EXPECT_EQ(box.text.rfind("The " + kind.clients + " have been written", 0), 0u) << box.text;
    EXPECT_NE(box.text.find("Error " + std::to_string(engine::err::DiskOrNetworkError) + ": "),
              std::string::npos)
        << box.text;
    EXPECT_EQ(box.style, forms::vbCritical);
    EXPECT_FALSE(w.cmdOk.Enabled());
    EXPECT_EQ(support::readBytes(path), bytes);
}

INSTANTIATE_TEST_SUITE_P(MainTables, ImportEndTest, ::testing::ValuesIn(kinds()),
                         [](const auto& info) { return info.param.table; });

} // namespace
