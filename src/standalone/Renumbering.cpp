#include "standalone/Renumbering.h"

#include "engine/EngineErrors.h"
#include "runtime/Error.h"
#include "runtime/VariantOps.h"

namespace standalone {

namespace {

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
                                     " holds two clients numbered alike or a client without a "
                                     "number.");
        }
        numbers.push_back(runtime::CDbl(n));
    }
    main->Close();
    return numbers;
}

} // namespace

std::vector<NumberShift> numberMap(engine::Database& copy, const Renumbering& r) {
    const std::vector<double> old = mainNumbers(copy, r);
    std::vector<NumberShift> shifts;
    for (std::size_t k = 0; k < old.size(); ++k) {
        const double by = r.finalBase + static_cast<double>(k + 1) - old[k];
        if (shifts.empty() || shifts.back().by != by) shifts.push_back({by, {}});
        shifts.back().numbers.push_back(old[k]);
    }
    return shifts;
}

} // namespace standalone
