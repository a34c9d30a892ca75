#include "transfer/CompanyCarryTable.h"

#include "transfer/CarryRules.h"

namespace transfer {

namespace {

CarryTable companyTable() {
    CarryRules r("CompanyDetails");
    // Standing details, carried.
    r.clientNumber("CDCLNO").copy({"CompanyRegName", "CompTradeName"});
    r.plus("vdtCompFinYearEndDate", runtime::Variant(kYearEndMove));
    r.copy({"TypeOfCompany"}).copyNumbered("CompPostAdd", 1, 4);
    r.copyNumbered("CompRegAdd", 1, 4).copyNumbered("CompPhysAdd", 1, 4);
    r.copy({"CompTel", "CompFax", "CompEmail", "CompanyRegNo", "CompanyPAYE", "CompanyUIFNo",
            "CompanySDLNo", "CompanyVATNo", "CompWorkmansComp", "CompOtherRefNo",
            "CompanySARSOffice", "CompanyBankAccHolder", "CompanyBankAccType", "CompanyBankName",
            "CompBranchNumber", "CompBankAccNo"});
    r.copyNumbered("CompMemberName", 0, 9).copyNumbered("CompMemberID", 0, 9);
    r.copyNumbered("CompMemberTaxNum", 0, 9).copy({"POYN", "CompanyDetailsNotes"});
    // The old year's figures.
    r.zero({"CompNetIncome", "CompAdjustments", "CompAsseLossBF", "CompanyAssTaxesPaid",
            "ItemiseAdjustments", "PE1CompanyProvTaxCalced", "PE2CompanyProvTaxCalced",
            "PE3CompanyProvTaxCalced", "CompanyProvTaxPaid1", "CompanyProvTaxPaid2",
            "CompanyProvTaxPaid3"});
    // Tracking of the year's returns, assessments, objections and refunds.
    r.noDate({"IRP6ReceivedCompany1Date", "IRP6ReceivedCompany2Date"});
    r.clear({"IRP6ReceivedCompanyCHK1", "IRP6ReceivedCompanyCHK2"});
    r.noDate(
        {"IRP6CompanySubmitted1Date", "IRP6CompanySubmitted2Date", "IRP6CompanySubmitted3Date"});
    r.clear({"IRP6CompanySubmittedCHK1", "IRP6CompanySubmittedCHK2", "IRP6CompanySubmittedCHK3"});
    r.noDate({"IT14CompanyReceivedDate"}).clear({"IT14CompanyReceivedCHK1"});
    r.noDate({"IT14CompanySubmittedDate"}).clear({"IT14CompanySubmittedCHK1"});
    r.noDate({"IT14CompanyRecAckDate"}).clear({"IT14CompanyRecAckCHK1"});
    r.empty({"IT14CompanyWaiting"});
    r.noDate({"AssExtCompanyAppliedDate", "AssExtCompanyGrantedDate"});
    r.empty({"AssesExtCompanyReason"});
    r.clear({"IT14CompanyExtensionAppliedCHK1", "IT14CompanyExtensionGrantedCHK1"});
    r.noDate({"AssBackCompanyFromSARSDate"}).clear({"AssBackCompanyFromSARSCHK1"});
    r.noDate({"RefundCompanyPayRecDate"}).clear({"RefundCompanyPayRecCHK1"});
    r.zero({"RefundCompanyPayRec"});
    r.noDate({"ObjectCompanyLodgedDate"}).clear({"ObjectCompanyLodgedCHK1"});
    r.empty({"ObjectCompanyLodged"});
    r.noDate({"RecObjectCompanyLodgedDate"}).clear({"RecObjectCompanyLodgedCHK1"});
    r.empty({"ServCompanyReqNo", "RecObjectCompanyLodged"});
    r.noDate({"ObjectCompanyResolvedDate"}).clear({"ObjectCompanyResolvedCHK1"});
    r.empty({"ObjectCompanyResolved"});
    r.noDate({"CompanyFinsSignedDate"}).clear({"CompanyFinsSignedCHK1"});
    r.empty({"CompanyFinsSigned", "WAMCompanyNote"});
    // The lock fields free, as the import's end would leave them, so that the end has only
    // the rows that were there before to tidy.
    r.empty({"UserName", "LastUserName"}).set({"DateLastSaved"}, runtime::Variant::date(0));
    return r.take();
}

} // namespace

const CarryTable& companyCarry() {
    static const CarryTable table = companyTable();
    return table;
}

} // namespace transfer
