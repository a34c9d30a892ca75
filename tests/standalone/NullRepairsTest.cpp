// The Null repairs: only Null values change, each to its field's empty value, and a second
// run changes nothing.

#include "standalone/NullRepairs.h"

#include "StandAloneFixture.h"
#include "runtime/Constants.h"
#include "runtime/VariantOps.h"
#include "support/ErrorOf.h"

#include <filesystem>

namespace standalone_test {
namespace {

class NullRepairs : public StandAloneFixture {};

TEST_F(NullRepairs, SingleFieldsTakeZeroWhereNull) {
    struct Case {
        const char* table;
        const char* field;
        void (*repair)(app::frmSysAdmin&);
    };
    const Case cases[] = {{"IRP5IncDed", "IRP5TOT3915", standalone::FixNull_IRP5TOT3915},
                          {"Qolb2018Cont", "LocDivTaxFree", standalone::FixNull_LocDivTaxFree},
                          {"Qolb2018", "Employer4475", standalone::FixNull_Employer4475}};
    Rows rows;
    for (const Case& c : cases) {
        rows.push_back({c.table, {{"DCLNO", 1.0}}});
        rows.push_back({c.table, {{"DCLNO", 2.0}, {c.field, 5.0}}});
    }
    makeNetwork(rows);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        for (int run = 0; run < 2; ++run) {
            c.repair(w);
            EXPECT_EQ(runtime::CDbl(valueOf(w.PersDbPath, c.table, "DCLNO", 1, c.field)), 0);
            EXPECT_EQ(runtime::CDbl(valueOf(w.PersDbPath, c.table, "DCLNO", 2, c.field)), 5);
        }
    }
    std::filesystem::remove(w.PersDbPath);
    EXPECT_NE(support::errorOf([&] { standalone::FixNull_Employer4475(w); }), 0)
        << "a missing file is raised to the caller";
}

TEST_F(NullRepairs, TrustPracticeFieldsFillOnlyWhatIsNull) {
    const auto fields = standalone::trustPracticeFields();
    ASSERT_EQ(fields.size(), 48u);
    EXPECT_EQ(fields.back().name, "WAMTrustsNote");
    makeNetwork({}, {{"TRUSTDetails",
                      {{"TDCLNO", 1.0},
                       {"IT12TrustsWaiting", "waiting"},
                       {"IRP6ReceivedTrusts1Date", 43000.0},
                       {"IRP6ReceivedTrustsCHK1", std::int16_t{1}},
                       {"UserName", Variant()}}},
                     {"TRUSTDetails", {{"TDCLNO", 2.0}, {"ProvTaxPaidTrusts1", 0.0}}}});
    for (int run = 0; run < 2; ++run) {
        standalone::FixNull_TrustDetails(w);
        for (const schema::FieldSpec& f : fields) {
            SCOPED_TRACE(f.name);
            const std::string name(f.name);
            const Variant repaired = valueOf(w.TrustDbPath, "TRUSTDetails", "TDCLNO", 1, name);
            ASSERT_FALSE(runtime::IsNull(repaired));
            if (name == "IT12TrustsWaiting")
                EXPECT_EQ(runtime::CStr(repaired), "waiting");
            else if (name == "IRP6ReceivedTrusts1Date")
                EXPECT_EQ(runtime::CDbl(repaired), 43000);
            else if (name == "IRP6ReceivedTrustsCHK1")
                EXPECT_EQ(runtime::CDbl(repaired), 1);
            else if (f.type == schema::FieldType::Date)
                EXPECT_EQ(runtime::CDbl(repaired), runtime::NoDateValue);
            else if (f.type == schema::FieldType::Text || f.type == schema::FieldType::Memo)
                EXPECT_EQ(runtime::CStr(repaired), "");
            else
                EXPECT_EQ(runtime::CDbl(repaired), 0);
            if (name != "ProvTaxPaidTrusts1") {
                EXPECT_TRUE(
                    runtime::IsNull(valueOf(w.TrustDbPath, "TRUSTDetails", "TDCLNO", 2, name)))
                    << "a trust whose first payment holds a value is left alone";
            }
        }
        EXPECT_TRUE(
            runtime::IsNull(valueOf(w.TrustDbPath, "TRUSTDetails", "TDCLNO", 1, "UserName")));
    }
}

} // namespace
} // namespace standalone_test
