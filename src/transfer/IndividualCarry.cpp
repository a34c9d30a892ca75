#include "transfer/IndividualCarry.h"

#include "runtime/VariantOps.h"
#include "transfer/IndividualCarryTables.h"
#include "transfer/SqlText.h"

namespace transfer {

namespace {

constexpr std::string_view ClientNoField = "DCLNO";

engine::Recordset& byClientNumber(engine::Recordset& certificates) {
    certificates.setIndex("indxDCLNO");
    return certificates;
}

} // namespace

std::vector<std::string_view> lastYearMainFields() {
    return carryFields(individualMainCarry(), ClientNoField);
}

std::string lastYearMainSelection(std::string_view condition) {
    return "SELECT " + carrySelection(individualMainCarry(), ClientNoField) + " FROM " +
           bracketed(kLastYearIndividuals) + " WHERE " + std::string(condition) +
           " ORDER BY [DCLNO]";
}

IndividualCarry::IndividualCarry(engine::Recordset& lastYearMain,
                                 engine::Recordset& lastYearCertificates, engine::Recordset& main,
                                 engine::Recordset& certificates, ImportScope scope)
    : lastYearMain_(lastYearMain), lastYearCertificates_(byClientNumber(lastYearCertificates)),
      clientNo_(fieldPosition(lastYearMain, ClientNoField)),
      main_(individualMainCarry(), lastYearMain, main),
      certificate_(individualCertificateCarry(scope), lastYearCertificates, certificates) {}

double IndividualCarry::carry(std::optional<double> newNumber) {
    const double lastYearNo = runtime::CDbl(lastYearMain_.Fields(clientNo_).Value());
    const Numbering numbering =
        newNumber ? Numbering::renumbered(*newNumber) : Numbering::kept(lastYearNo);
    main_.add(numbering);
    // Only the first of last year's rows of the client is carried.
    lastYearCertificates_.Seek("=", {runtime::Variant(lastYearNo)});
    if (lastYearCertificates_.NoMatch())
        certificate_.addWithoutSource(numbering);
    else
        certificate_.add(numbering);
    return numbering.clientNo;
}

} // namespace transfer
