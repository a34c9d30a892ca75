// Each kind of client names tables, fields and an index that this year's structure and its
// transfer file really hold, so that an import taking them from the kind finds them.
#include "transfer/ClientKinds.h"

#include "runtime/Strings.h"
#include "schema/SchemaTables.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

using Parts = std::vector<const std::vector<schema::TableSpec>*>;

bool creates(const schema::TableSpec& table, std::string_view field) {
    return std::ranges::count(schema::createdFields(table), field, &schema::FieldSpec::name) > 0;
}

// The engine finds a table under any case of its name.
bool holds(const Parts& parts, std::string_view table) {
    for (const auto* part : parts)
        for (const schema::TableSpec& t : *part)
            if (runtime::equalsNoCase(t.name, table)) return true;
    return false;
}

TEST(ClientKinds, NameWhatThisYearsFilesHold) {
    struct Case {
        std::string name;
        const transfer::ClientKind& kind;
        Parts structure, transferFile;
    };
    const Case cases[] = {
        {"individuals",
         transfer::individualClients(),
         {&schema::individualsMainTables(), &schema::individualsDetailTables(),
          &schema::individualsExtendedTables()},
         {&schema::transferPersonalTables()}},
        {"trusts",
         transfer::trustClients(),
         {&schema::trustDbTables()},
         {&schema::transferTrustTables()}},
        {"companies",
         transfer::companyClients(),
         {&schema::companyDbTables()},
         {&schema::transferCompanyTables()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const transfer::ClientKind& k = c.kind;
        const schema::TableSpec& main = schema::tableIn(c.structure, k.mainTable);
        EXPECT_TRUE(creates(main, k.numberField));
        EXPECT_TRUE(creates(main, k.nameField));
        const auto index = std::ranges::find(main.indexes, k.numberIndex, &schema::IndexSpec::name);
        ASSERT_NE(index, main.indexes.end());
        EXPECT_EQ(index->fields, k.numberField);
        for (const transfer::CopyPlan& plan : k.detailCopies())
            EXPECT_EQ(plan.clientColumn, k.numberField) << plan.target;
        for (std::string_view table : k.transferTables)
            EXPECT_TRUE(holds(c.transferFile, table)) << table;
        if (k.capitalGains) {
            EXPECT_EQ(k.capitalGains().client, k.numberField);
        }
    }
}

} // namespace
