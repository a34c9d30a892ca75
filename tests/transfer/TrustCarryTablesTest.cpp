// The trust's two carried records as data: every field of this year's row is made by a rule
// but those the import must leave to others, and each field that starts afresh gets the
// empty value of its type (a date its no-date day, a text the zero-length string, a number 0).
#include "transfer/TrustCarryTables.h"

#include "runtime/Constants.h"
#include "runtime/VariantOps.h"
#include "schema/SchemaTables.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>

namespace {

using runtime::Variant;
using schema::FieldType;

std::vector<schema::FieldSpec> thisYearFields(const std::string& table) {
    const auto& tables = schema::trustDbTables();
    return schema::createdFields(*std::ranges::find(tables, table, &schema::TableSpec::name));
}

TEST(TrustCarryTables, EveryFieldHasARuleButThoseLeftToOthers) {
    struct Case {
        const transfer::CarryTable* table;
        std::set<std::string> leftToOthers;
    };
    const Case cases[] = {
        {&transfer::trustMainCarry(), {"In Use", "CGLossNextYear"}},
        {&transfer::trustIncomeCarry(), {"In Use"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table->target);
        std::multiset<std::string> ruled;
        for (const transfer::FieldRule& rule : c.table->rules)
            ruled.insert(rule.field);
        std::multiset<std::string> expected;
        for (const schema::FieldSpec& f : thisYearFields(c.table->target))
            if (!c.leftToOthers.contains(std::string(f.name))) expected.insert(std::string(f.name));
        EXPECT_EQ(ruled, expected);
    }
}

TEST(TrustCarryTables, AFieldStartedAfreshGetsTheEmptyValueOfItsType) {
    for (const transfer::CarryTable* table :
         {&transfer::trustMainCarry(), &transfer::trustIncomeCarry()}) {
        for (const schema::FieldSpec& f : thisYearFields(table->target)) {
            const auto rule =
                std::ranges::find(table->rules, std::string(f.name), &transfer::FieldRule::field);
            if (rule == table->rules.end() || rule->make != transfer::Make::Constant) continue;
            SCOPED_TRACE(std::string(f.name));
            const bool blankDate =
                f.name == "TrustExtenDate" || f.name == "TrustAssSub" || f.name == "TrustAssRet";
            switch (f.type) {
            case FieldType::Date: // a free lock field's date is 0
                EXPECT_EQ(runtime::CDbl(rule->value),
                          f.name == "DateLastSaved" ? 0 : runtime::NoDateValue);
                break;
            case FieldType::Text:
            case FieldType::Memo:
                EXPECT_EQ(rule->value, Variant(""));
                break;
            default:
                EXPECT_EQ(runtime::CDbl(rule->value), blankDate ? runtime::BlankDateSerial : 0);
            }
        }
    }
}

} // namespace
