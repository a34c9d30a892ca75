#include "clearing/UserNamesTable.h"

#include "app/ExclusiveDatabases.h"
#include "engine/Transaction.h"
#include "runtime/Strings.h"
#include "runtime/VariantOps.h"

namespace clearing {

namespace {

constexpr const char* kTable = "UserNames";
constexpr const char* kIndex = "UserNameIndex";

bool isTrue(const runtime::Variant& v) {
    return !v.isNull() && !v.isEmpty() && runtime::CBool(v);
}

} // namespace

long nameLength(std::string_view name) {
    long n = 0;
    for (unsigned char c : name)
        if ((c & 0xC0) != 0x80) ++n; // continuation bytes belong to the character before
    return n;
}

std::string textOf(const runtime::Variant& value) {
    return value.isNull() || value.isEmpty() ? std::string() : runtime::CStr(value);
}

std::vector<UserRow> readUserNames(engine::Database& sysDb) {
    std::vector<UserRow> rows;
    auto rs = sysDb.OpenRecordset(kTable, engine::dbOpenTable);
    if (rs->RecordCount() > 0) {
        rs->setIndex(kIndex);
        auto name = rs->Fields("UserName");
        auto loggedOn = rs->Fields("LoggedOn");
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
            rows.push_back({textOf(name.Value()), isTrue(loggedOn.Value())});
    }
    rs->Close();
    return rows;
}

void writeUserNames(engine::Database& sysDb, const std::vector<std::string>& names) {
    engine::Transaction transaction;
    sysDb.Execute("DELETE *FROM UserNames");
    auto rs = sysDb.OpenRecordset(kTable, engine::dbOpenTable);
    auto name = rs->Fields("UserName");
    for (const std::string& n : names) {
        rs->AddNew();
        name.setValue(runtime::Variant(n));
        rs->Update();
    }
    rs->Close();
    transaction.commit();
}

void clearLogOn(engine::Database& sysDb, const std::string& user) {
    auto rs = sysDb.OpenRecordset(kTable, engine::dbOpenTable);
    if (rs->RecordCount() > 0) {
        rs->setIndex(kIndex);
        rs->Seek("=", {runtime::Variant(user)});
        if (!rs->NoMatch()) {
            auto name = rs->Fields("UserName");
            auto loggedOn = rs->Fields("LoggedOn");
            // Rows of one name lie together in the index; the table has no key, so the
            // name may be there more than once.
            for (; !rs->Eof() && runtime::equalsNoCase(textOf(name.Value()), user);
                 rs->MoveNext()) {
                if (!isTrue(loggedOn.Value())) continue;
                rs->Edit();
                loggedOn.setValue(runtime::Variant(false));
                rs->Update();
            }
        }
    }
    rs->Close();
}

void clearAllLogOns(engine::Database& sysDb) {
    sysDb.Execute("UPDATE UserNames SET LoggedOn = False WHERE LoggedOn <> False");
}

} // namespace clearing
