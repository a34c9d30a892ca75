#include "transfer/LastYearCompanies.h"

#include "app/DatabaseHandles.h"
#include "runtime/VariantOps.h"
#include "transfer/ClientKinds.h"
#include "transfer/CompanyCarryTable.h"
#include "transfer/RecordCarry.h"
#include "transfer/SqlText.h"

#include <algorithm>
#include <utility>

namespace transfer {

namespace {

std::string numberColumn() {
    return bracketed(companyClients().numberField);
}

std::string companiesQuery(const std::string& fields, const std::string& condition) {
    return "SELECT " + fields + " FROM " + bracketed(companyClients().mainTable) + " WHERE " +
           condition + " ORDER BY " + numberColumn();
}

// The fields the carry reads, the number first; none when last year's table lacks one, so
// that the carry names it as it always has.
std::optional<std::string> carriedFields(engine::Database& lastYear) {
    if (!lastYear.TableDefs().contains(companyClients().mainTable)) return std::nullopt;
    const engine::TableDefPtr table = lastYear.TableDefs().Item(companyClients().mainTable);
    for (std::string_view field : sourceFields(companyCarry()))
        if (!table->Fields().contains(field)) return std::nullopt;
    return carrySelection(companyCarry(), companyClients().numberField);
}

} // namespace

// One company is sought by its number as a key value, so that no chosen number is ever
// part of SQL text. Those with no number are never chosen.
LastYearCompanies::LastYearCompanies(engine::Database& lastYear, std::optional<double> chosen,
                                     std::size_t perBlock)
    : lastYear_(lastYear), chosen_(chosen), perBlock_(std::max<std::size_t>(perBlock, 1)) {
    if (chosen) {
        open(lastYear.OpenRecordset(companyClients().mainTable, engine::dbOpenTable));
        rs_->setIndex(std::string(companyClients().numberIndex));
        return;
    }
    const std::optional<std::string> fields = carriedFields(lastYear);
    if (!fields) {
        open(lastYear.OpenRecordset(companiesQuery("*", numberColumn() + " > 0"),
                                    engine::dbOpenDynaset));
        return;
    }
    fields_ = *fields;
    open(lastYear.OpenRecordset(companiesQuery(numberColumn(), numberColumn() + " > 0"),
                                engine::dbOpenDynaset));
    for (; !rs_->Eof(); rs_->MoveNext())
        numbers_.push_back(number());
    app::closeQuietly(rs_);
}

LastYearCompanies::~LastYearCompanies() {
    app::closeQuietly(rs_);
}

void LastYearCompanies::open(engine::RecordsetPtr rs) {
    app::closeQuietly(rs_);
    rs_ = std::move(rs);
    number_ = fieldPosition(*rs_, companyClients().numberField);
}

long LastYearCompanies::count() {
    if (!fields_.empty()) return static_cast<long>(numbers_.size());
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

// A block ends only where the number changes, so that companies sharing a number come in
// the order one query gives them.
bool LastYearCompanies::nextBlock() {
    if (fields_.empty()) return !std::exchange(blockGiven_, true);
    if (nextCompany_ == numbers_.size()) return false;
    const std::size_t begin = nextCompany_;
    std::size_t end = std::min(begin + perBlock_, numbers_.size());
    while (end < numbers_.size() && numbers_[end] == numbers_[end - 1])
        ++end;
    nextCompany_ = end;
    open(lastYear_.OpenRecordset(
        companiesQuery(fields_, numberColumn() + " >= " + exactNumber(numbers_[begin]) + " AND " +
                                    numberColumn() + " <= " + exactNumber(numbers_[end - 1])),
        engine::dbOpenDynaset));
    return true;
}

double LastYearCompanies::number() const {
    return runtime::CDbl(rs_->Fields(number_).Value());
}

bool LastYearCompanies::first() {
    if (!chosen_) {
        if (rs_->Eof() && rs_->Bof()) return false;
        rs_->MoveFirst();
        return true;
    }
    rs_->Seek("=", {runtime::Variant(*chosen_)});
    return !rs_->NoMatch();
}

bool LastYearCompanies::next() {
    rs_->MoveNext();
    if (rs_->Eof()) return false;
    return !chosen_ || number() == *chosen_;
}

} // namespace transfer
