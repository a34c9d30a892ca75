#include "transfer/IndividualCarryTables.h"

#include "runtime/Constants.h"
#include "transfer/CarryRules.h"

#include <cstdint>

namespace transfer {

namespace {

using runtime::Variant;

CarryTable mainTable() {
    CarryRules r("Qolb2018");
    // Standing details, carried.
    r.copy({"Surname", "PERS2", "PERS3"}).plusOne("PERS5").copy({"DESC"}).clientNumber("DCLNO");
    r.copy({"Note", "FNameSelf", "FNameSpouse", "IDNumSelf", "IDNumSpouse", "First2Names",
            "SelfPAYE", "SpouseTaxRefNum", "DateOfBirth", "TelHome", "TelWork", "TaxRetOffice",
            "CelPhone", "Email75", "ProvTaxPayer", "MarriageDet", "Language", "TypeAcc"});
    r.copyNumbered("ResAdd", 1, 4).copyNumbered("PostAdd", 1, 4);
    r.copy({"BranchNumber", "AccHolderName", "AccNumber", "BankName", "IT12", "TPStatus",
            "TPAssociatedWith", "SARSOfficeCode"});
    r.copyNumbered("ASS", 0, 14).copyNumbered("LIAB", 0, 4);
    r.copyFrom("CarryOverCapGainPrev", "CarryOverCapGain").copy({"ICGT", "ITPropRent"});
    // The new tax year.
    r.zero({"PERS7", "PERS8"});
    r.set({"PERS9"}, Variant(runtime::TaxYearStart)).set({"PERS10"}, Variant(runtime::TaxYearEnd));
    // The old year's figures.
    r.zero({"MPERSDECEASED",
            "INC1",
            "minc1rf",
            "minc1b",
            "LessExpGrat",
            "mincTaxFree",
            "INC4A",
            "INC4B",
            "LEXP",
            "LARATE",
            "INC14",
            "INC14A",
            "inc15",
            "TP1",
            "TP2",
            "TP6",
            "TACapGain",
            "AdditCapGain",
            "ItemiseAdditCapGain",
            "IInvIntInc",
            "ILump",
            "IOInc",
            "ITaxPayed",
            "AID",
            "CON",
            "DED1",
            "DED2",
            "DED3",
            "CPROV",
            "DED4",
            "DED5",
            "DED6"});
    r.clear({"PhysDis"}).set({"PhysDisText"}, Variant(" "));
    r.zero({"DED7", "DED8", "DDON", "DPFCC", "DPFAC", "ITProvFund4003", "DRACC", "DRAAC", "DODED",
            "TP3", "TP4", "TP5"});
    r.empty({"OTPD"}).zero({"FBCC1", "FBCC2", "FBCC3", "FBCC5", "LINT1"});
    r.byNumbering("INT", Variant(std::int16_t{15}), CarryRules::Zero);
    r.zero({"LINT2", "LINT3"}).zeroNumbered("RACC", 1, 6).zeroNumbered("MLS", 1, 6);
    r.zero({"CTaxFreeI", "CTaxInc", "AnnAmount"}).empty({"AnnDet"});
    r.zero({"MonTFAnn", "MonTAnn", "FDAmount", "FXInt"}).empty({"FXDet"});
    r.zero({"DBTotalNetRentInc"});
    r.set({"DateAssSub", "DateAssRet", "DateExtension"}, Variant(runtime::NoAssDateValue));
    r.clear({"bnTravExpRFInc1", "bnTravExpRFInc2"});
    r.zero({"ODAMT2A", "CarryOverCapGain", "TP6D", "INC4C", "ITOtherMed", "inc11", "TP6I"});
    r.set({"LoanThreshold"}, Variant(std::int16_t{3000}));
    r.zero({"MedContCalc", "Employer4472", "Employer4473", "Employer4474", "Employer4475",
            "Code3614"});
    // Tracking of the year's returns, assessments, objections and refunds.
    r.noDate({"IRP6Received1Date", "IRP6Received2Date"});
    r.clear({"IRP6ReceivedCHK1", "IRP6ReceivedCHK2"});
    r.noDate({"IRP6Submitted1Date", "IRP6Submitted2Date", "IRP6Submitted3Date"});
    r.clear({"IRP6SubmittedCHK1", "IRP6SubmittedCHK2", "IRP6SubmittedCHK3"});
    r.noDate({"IT12ReceivedDate"}).clear({"IT12ReceivedCHK1"});
    r.noDate({"IT12SubmittedDate"}).clear({"IT12SubmittedCHK1"});
    r.noDate({"IT12RecAckDate"}).clear({"IT12RecAckCHK1"}).empty({"IT12Waiting"});
    r.noDate({"AssExtAppliedDate", "AssExtGrantedDate"}).empty({"AssesExtReason"});
    r.clear({"IT12ExtensionAppliedCHK1", "IT12ExtensionGrantedCHK1"});
    r.noDate({"AssBackFromSARSDate"}).clear({"AssBackFromSARSCHK1"});
    r.noDate({"RefundPayRecDate"}).clear({"RefundPayRecCHK1"}).zero({"RefundPayRec"});
    r.noDate({"ObjectLodgedDate"}).clear({"ObjectLodgedCHK1"}).empty({"ObjectLodged"});
    r.noDate({"RecObjectLodgedDate"}).clear({"RecObjectLodgedCHK1"});
    r.empty({"ServReqNo", "RecObjectLodged"});
    r.noDate({"ObjectResolvedDate"}).clear({"ObjectResolvedCHK1"}).empty({"ObjectResolved"});
    r.empty({"WAMNote"});
    // Medical and retirement figures of the old year; the excess premiums carried.
    r.zero({"PE1Show", "PE2Show", "PE3Show", "PrincipalMembers", "AddBens",
            "TOTEmployerContributions", "TotEmployeeContributions", "DedScreMedAidTaxFreeAllow",
            "Taxable3810User"});
    r.copyFrom("ExcessRAPremsPrevYear", "ExcessRAPremsNextYear");
    r.zero({"ExcessRAPremsNextYear", "TaxFreeAllowance", "FamilyMedBen3813", "Employee4005",
            "Employee4040", "FamMedBills4024", "EmpCont4025", "Relative4485"});
    r.clear({"RF3810YN", "RF3813YN", "YesNoDepChanged"});
    r.zero({"4022PhysDisExp", "4023HandiExp", "Handicap4023YesNo", "HiddenAdditCapGain",
            "TaxFreeXemptBefore", "TaxFreeXemptAfter", "RetireTaxFreeXemptBefore", "PrevDeductMLS4",
            "NonDeductPayML5", "TotFundValMLS6"});
    r.set({"BFAlreadyDone"}, Variant("Yes"));
    r.zero({"GrossRFIncome3697BF", "GrossNonRFIncome3698BF", "GrossIncome3699BF", "PAYE4115"});
    r.copy({"RetireDeathBefore"});
    // The lock fields free, as the import's end would leave them, so that the end has only
    // the rows that were there before to tidy.
    r.empty({"UserName", "LastUserName"}).set({"DateLastSaved"}, Variant::date(0));
    return r.take();
}

// The lump-sum fields of one tax year.
constexpr const char* kLumpSums[] = {"RetrenchmentLumps", "RRExGrtCTY0204", "RetireDeathAfter",
                                     "FstLumpTaken"};
constexpr int kFirstLumpSumYear = 2010;

CarryTable certificateTable(ImportScope scope) {
    CarryRules r("IRP5IncDed");
    r.clientNumber("DCLNO");
    if (scope == ImportScope::AllClients)
        r.found("MaxNum");
    else
        r.set({"MaxNum"}, Variant(std::int16_t{1}));
    // The history of the years before this one, each year in its own fields.
    for (int year = kFirstLumpSumYear; year < 2018; ++year)
        for (const char* sum : kLumpSums)
            r.copyNumbered(sum, year, year);
    for (const char* sum : kLumpSums)
        r.zeroNumbered(sum, 2018, 2018);
    r.zero({"TaxExemptPreRet",
            "NonDedPayments",
            "ExemptPorExGrat",
            "IRP5TOTEmployerContributions",
            "IRP5Taxable3810User",
            "IRP5TOT4486Contributions",
            "IRP53813FamilyMedBen",
            "IRP5Employee4005",
            "IRP5FamMedBills4024",
            "IRP5EmpCont4025",
            "IRP5Relative4485",
            "IRP5Employer4472",
            "IRP5Employer4473",
            "IRP5Employer4475",
            "IRP5TOT4001",
            "IRP5TOT4002",
            "IRP5TOT4003",
            "IRP5TOT4026",
            "IRP5TOT4006",
            "IRP5TOT4007",
            "IRP5TOT3901",
            "IRP5TOT3902",
            "IRP5TOT3903",
            "IRP5TOT3904",
            "IRP5TOT3905",
            "IRP5TOT3906",
            "IRP5TOT3907",
            "IRP5TOT3915",
            "IRP5Type"});
    r.set({"EmpSource", "CertNo_1"}, Variant(" "));
    r.zeroNumbered("IncomeRec", 1, 13).zeroNumbered("IncomeRecCode", 1, 13);
    r.zeroNumbered("DedContr", 1, 7).zeroNumbered("DedContrCode", 1, 7);
    r.zero({"MCode3696", "MCode3697", "MCode3698", "SITE4101", "PAYE4102", "PAYE4115",
            "TaxCredits4116", "RFundContri4001", "RFundContri4003", "RFundContri4006",
            "RFundContri4472", "RFundContri4473", "RFundContri4475", "RFundContri4002",
            "RFundContri4007", "RFundContri4026"});
    return r.take();
}

} // namespace

const CarryTable& individualMainCarry() {
    static const CarryTable table = mainTable();
    return table;
}

const CarryTable& individualCertificateCarry(ImportScope scope) {
    static const CarryTable one = certificateTable(ImportScope::OneClient);
    static const CarryTable all = certificateTable(ImportScope::AllClients);
    return scope == ImportScope::AllClients ? all : one;
}

} // namespace transfer
