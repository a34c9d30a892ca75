#include "standalone/Renumbering.h"

#include "engine/EngineErrors.h"
#include "runtime/Error.h"
#include "runtime/VariantOps.h"
#include "transfer/SqlText.h"

#include <algorithm>

namespace standalone {

namespace {

using transfer::bracketed;
using transfer::exactNumber;

// A run of clients whose numbers all move by the same amount.
struct Shift {
    double by = 0;
    std::vector<double> numbers;
};

std::vector<double> mainNumbers(engine::Database& copy, const Renumbering& r) {
    std::vector<double> numbers;
    engine::RecordsetPtr main = copy.OpenRecordset(r.mainTable, engine::dbOpenTable);
    main->setIndex(r.index);
    for (; !main->Eof(); main->MoveNext()) {
        const runtime::Variant n = main->Fields(r.key).Value();
        if (runtime::IsNull(n) || (!numbers.empty() && numbers.back() == runtime::CDbl(n))) {
            main->Close();
            throw runtime::Error(engine::err::DuplicateValue,
                                 "The table " + r.mainTable +
                                     " holds two clients numbered alike "
                                     "or a client without a number.");
        }
        numbers.push_back(runtime::CDbl(n));
    }
    main->Close();
    return numbers;
}

std::string numberList(const std::vector<double>& numbers) {
    std::string list;
    for (double n : numbers)
        list += (list.empty() ? "" : ", ") + exactNumber(n);
    return "(" + list + ")";
}

std::vector<std::string> allTables(const Renumbering& r) {
    std::vector<std::string> tables{r.mainTable};
    tables.insert(tables.end(), r.detailTables.begin(), r.detailTables.end());
    return tables;
}

} // namespace

std::vector<double> renumber(engine::Database& copy, const Renumbering& r) {
    const std::vector<double> old = mainNumbers(copy, r);
    if (old.empty()) return old;
    const auto n = static_cast<double>(old.size());
    // Every temporary number lies above each stand-alone number and each final one.
    const double temp = std::max({r.tempBase, old.back(), r.finalBase + n});

    std::vector<Shift> shifts;
    for (std::size_t k = 0; k < old.size(); ++k) {
        const double by = temp + static_cast<double>(k + 1) - old[k];
        if (shifts.empty() || shifts.back().by != by) shifts.push_back({by, {}});
        shifts.back().numbers.push_back(old[k]);
    }
    const std::string key = bracketed(r.key);
    for (const std::string& table : r.detailTables)
        copy.Execute("DELETE * FROM " + bracketed(table) + " WHERE " + key + " NOT IN " +
                     numberList(old));
    for (const std::string& table : allTables(r)) {
        const std::string set = "UPDATE " + bracketed(table) + " SET " + key + " = " + key;
        for (const Shift& s : shifts)
            copy.Execute(set + " + " + exactNumber(s.by) + " WHERE " + key + " IN " +
                         numberList(s.numbers));
        copy.Execute(set + " - " + exactNumber(temp - r.finalBase) + " WHERE " + key + " > " +
                     exactNumber(temp));
    }
    return old;
}

} // namespace standalone
