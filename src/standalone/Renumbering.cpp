#include "standalone/Renumbering.h"

#include "engine/EngineErrors.h"
#include "runtime/Error.h"
#include "runtime/VariantOps.h"

namespace standalone {

namespace {

// The number of the current main row; one that is no number is refused as the network's
// number field would refuse it, naming the client.
double numberOf(engine::Recordset& main, const Renumbering& r, const runtime::Variant& n) {
    try {
        return runtime::CDbl(n);
    } catch (const runtime::Error&) {
        const std::string name =
            runtime::Concat(main.Fields(r.client.nameField).Value(), runtime::Variant(""));
        main.Close();
        throw NumberingError(std::string(r.client.mainTable), r.client.numberField,
                             "the client " + (name.empty() ? "" : name + " ") + "(" +
                                 runtime::CStr(n) + ")");
    }
}

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
        const double number = numberOf(*main, r, n);
        if (!numbers.empty() && numbers.back() == number) {
            main->Close();
            throw NumberingError(table, numbers.back());
        }
        numbers.push_back(number);
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

NumberingError::NumberingError(const std::string& table, std::string_view field, std::string client)
    : runtime::Error(engine::err::DataTypeConversion,
                     engine::engineErrorMessage(engine::err::DataTypeConversion,
                                                table + "." + std::string(field))),
      client_(std::move(client)) {}

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
