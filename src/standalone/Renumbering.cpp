#include "standalone/Renumbering.h"

#include "engine/EngineErrors.h"
#include "runtime/Error.h"
#include "runtime/VariantOps.h"

namespace standalone {

namespace {

std::vector<double> mainNumbers(engine::Database& copy, const Renumbering& r) {
    std::vector<double> numbers;
    const std::string table(r.client.mainTable);
    engine::RecordsetPtr main = copy.OpenRecordset(table, engine::dbOpenTable);
    main->setIndex(std::string(r.client.numberIndex));
    for (; !main->Eof(); main->MoveNext()) {
        const runtime::Variant n = main->Fields(r.client.numberField).Value();
        if (runtime::IsNull(n)) {
            main->Close();
            throw NumberingError(table, std::nullopt);
        }
        if (!numbers.empty() && numbers.back() == runtime::CDbl(n)) {
            main->Close();
            throw NumberingError(table, numbers.back());
        }
        numbers.push_back(runtime::CDbl(n));
    }
    main->Close();
    return numbers;
}

} // namespace

NumberingError::NumberingError(const std::string& table, std::optional<double> number)
    : runtime::Error(engine::err::DuplicateValue,
                     number ? "The table " + table + " holds two clients numbered " +
                                  runtime::CStr(runtime::Variant(*number)) + "."
                            : "The table " + table + " holds a client without a number."),
      number_(number) {}

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
