#include "transfer/TrustCarryTables.h"

#include "transfer/CarryRules.h"

namespace transfer {

namespace {

using runtime::Variant;

CarryTable mainTable() {
    CarryRules r("TRUSTDetails");
    // Particulars, carried.
    r.clientNumber("TDCLNO").copy({"TrustName"});
    r.copyNumbered("TDPAddress", 1, 4).copyNumbered("TDRAddress", 1, 4);
    r.copy({"TrustRegNo", "TrustRegDate", "TrustTaxNo", "TrustIntTest", "TrustPAYE", "TrustVAT",
            "TrustRSC"});
    // Last year's assessment dates are of no use in the new year.
    r.set({"TrustExtenDate", "TrustAssSub", "TrustAssRet"}, Variant(runtime::BlankDateSerial));
    r.copy({"TrustLabBrokNo", "TrustTaxOffice", "TrustBankAcc", "TrustBankName",
            "TrustBranchNumber", "TrustAccHolder", "TrustAccNo", "TrustNote", "TrustsSARSOffice"});
    r.copyNumbered("TASS", 0, 14).copyNumbered("TLIAB", 0, 4);
    // The tracking of the year's tax work starts afresh: provisional tax,
    r.zeroNumbered("ProvTaxPaidTrusts", 1, 3)
        .zero({"PE1ShowTrusts", "PE2ShowTrusts", "PE3ShowTrusts"});
    r.noDate({"IRP6ReceivedTrusts1Date", "IRP6ReceivedTrusts2Date"});
    r.zero({"IRP6ReceivedTrustsCHK1", "IRP6ReceivedTrustsCHK2"});
    r.noDate({"IRP6TrustsSubmitted1Date", "IRP6TrustsSubmitted2Date", "IRP6TrustsSubmitted3Date"});
    r.zeroNumbered("IRP6TrustsSubmittedCHK", 1, 3);
    // the return,
    r.noDate({"IT12TrustsReceivedDate"}).zero({"IT12TrustsReceivedCHK1"});
    r.noDate({"IT12TrustsSubmittedDate"}).zero({"IT12TrustsSubmittedCHK1"});
    r.noDate({"IT12TrustsRecAckDate"}).zero({"IT12TrustsRecAckCHK1"}).empty({"IT12TrustsWaiting"});
    // the extension, the assessment and the refund,
    r.noDate({"AssExtTrustsAppliedDate", "AssExtTrustsGrantedDate"})
        .empty({"AssesExtTrustsReason"});
    r.zero({"IT12trustsExtensionAppliedCHK1", "IT12TrustsExtensionGrantedCHK1"});
    r.noDate({"AssBackTrustsFromSARSDate"}).zero({"AssBackTrustsFromSARSCHK1"});
    r.noDate({"RefundTrustsPayRecDate"}).zero({"RefundTrustsPayRecCHK1", "RefundTrustsPayRec"});
    // the objection, the financial statements and the note.
    r.noDate({"ObjectTrustsLodgedDate"})
        .zero({"ObjectTrustsLodgedCHK1"})
        .empty({"ObjectTrustsLodged"});
    r.noDate({"RecObjectTrustsLodgedDate"}).zero({"RecObjectTrustsLodgedCHK1"});
    r.empty({"ServTrustsReqNo", "RecObjectTrustsLodged"});
    r.noDate({"ObjectTrustsResolvedDate"}).zero({"ObjectTrustsResolvedCHK1"});
    r.empty({"ObjectTrustsResolved"});
    r.noDate({"TrustsFinsSignedDate"}).zero({"TrustsFinsSignedCHK1"}).empty({"TrustsFinsSigned"});
    r.empty({"WAMTrustsNote"});
    // The lock fields free, as the import's end would leave them, so that the end has only
    // the rows that were there before to tidy.
    r.empty({"UserName", "LastUserName"}).set({"DateLastSaved"}, Variant::date(0));
    return r.take();
}

CarryTable incomeTable() {
    CarryRules r("TRUSTIncExpend");
    r.clientNumber("TDCLNO");
    r.zero({"CapExmInc", "IncFromPrevYear", "Remuneration", "Annuities", "Interest", "ForeignInc",
            "RentalInc"});
    r.halfLoss("CGLossPrevYear", "TrustCapGain");
    r.zero({"TrustCapGain", "LessCGPort", "OtherTaxinc", "Expenditure", "PAYE", "TaxCreditForProv",
            "ForeignTaxCredits", "Donations"});
    r.zero({"ItemiseCapExm", "ItemiseRemun", "ItemiseAnnuit", "ItemiseInt", "ItemiseRentalInc",
            "ItemiseCapGain", "ItemiseOTInc", "ItemiseExpen", "ItemisePAYE", "ItemiseTaxCred",
            "ItemiseDonation"});
    return r.take();
}

} // namespace

const CarryTable& trustMainCarry() {
    static const CarryTable table = mainTable();
    return table;
}

const CarryTable& trustIncomeCarry() {
    static const CarryTable table = incomeTable();
    return table;
}

} // namespace transfer
