#include "transfer/CompanyImport.h"

#include "app/DatabaseHandles.h"
#include "engine/Transaction.h"
#include "runtime/VariantOps.h"
#include "transfer/CompanyCarryTable.h"

#include <algorithm>

namespace transfer {

namespace {

constexpr const char* kTable = "CompanyDetails";
constexpr const char* kNumber = "CDCLNO";
constexpr const char* kNumberIndex = "CDCLNOIndex";

// Last year's chosen companies in number order. One company is sought by its number as a
// key value, so that no number is ever part of SQL text; every company is read through
// one fixed query. Those with no number are never chosen.
class ChosenCompanies {
public:
    ChosenCompanies(engine::Database& lastYear, std::optional<double> chosen) : chosen_(chosen) {
        if (chosen) {
            rs_ = lastYear.OpenRecordset(kTable, engine::dbOpenTable);
            rs_->setIndex(kNumberIndex);
        } else {
            rs_ = lastYear.OpenRecordset("SELECT * FROM [CompanyDetails] WHERE [CDCLNO] > 0 "
                                         "ORDER BY [CDCLNO]",
                                         engine::dbOpenDynaset);
        }
        number_ = fieldPosition(*rs_, kNumber);
    }
    ~ChosenCompanies() { app::closeQuietly(rs_); }

    engine::Recordset& recordset() { return *rs_; }
    double number() const { return runtime::CDbl(rs_->Fields(number_).Value()); }
    bool first() {
        if (!chosen_) {
            if (rs_->Eof() && rs_->Bof()) return false;
            rs_->MoveFirst();
            return true;
        }
        rs_->Seek("=", {runtime::Variant(*chosen_)});
        return !rs_->NoMatch();
    }
    bool next() {
        rs_->MoveNext();
        if (rs_->Eof()) return false;
        return !chosen_ || number() == *chosen_;
    }
    long count() {
        if (!chosen_) {
            if (!first()) return 0;
            rs_->MoveLast();
            return rs_->RecordCount();
        }
        long n = 0;
        for (bool more = first(); more; more = next())
            ++n;
        return n;
    }

private:
    std::optional<double> chosen_;
    engine::RecordsetPtr rs_;
    int number_ = 0;
};

// The highest company number of this year's file, at least 0 (a file whose companies have
// no number, or none above 0, numbers on from 1); none when it holds no company.
std::optional<double> highestNumber(engine::Recordset& companies) {
    if (companies.Eof()) return std::nullopt;
    companies.setIndex(kNumberIndex);
    companies.MoveLast(); // Null numbers come first in the index
    const runtime::Variant number = companies.Fields(kNumber).Value();
    return runtime::IsNull(number) ? 0.0 : std::max(0.0, runtime::CDbl(number));
}

void call(const std::function<void()>& f) {
    if (f) f();
}

} // namespace

std::optional<CompaniesImported> importCompanies(engine::Database& lastYear,
                                                 const std::string& thisYearPath,
                                                 std::optional<double> chosen,
                                                 const CompanyProgress& progress) {
    ChosenCompanies source(lastYear, chosen);
    const long companies = source.count();
    if (companies == 0) return std::nullopt;
    if (progress.counted) progress.counted(companies);

    CompaniesImported done;
    engine::DatabasePtr thisYear = app::defaultWorkspace().OpenDatabase(thisYearPath);
    {
        engine::Transaction transaction;
        engine::RecordsetPtr target = thisYear->OpenRecordset(kTable, engine::dbOpenTable);
        std::optional<double> highest = highestNumber(*target);
        done.renumbered = highest.has_value();
        RecordCarry carry(companyCarry(), source.recordset(), *target);
        for (bool more = source.first(); more; more = source.next()) {
            call(progress.step);
            const Numbering numbering =
                highest ? Numbering::renumbered(*highest += 1) : Numbering::kept(source.number());
            carry.add(numbering);
            ++done.rows;
            call(progress.step);
        }
        target->Close();
        transaction.commit();
    }
    thisYear->Close();
    return done;
}

} // namespace transfer
