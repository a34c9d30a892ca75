#pragma once

// Last year's companies that an import carries, in number order: every row of one chosen
// number, or every company numbered above 0. They come a block at a time, each block one
// recordset walked row by row.

#include "engine/Dao.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace transfer {

// Companies a block holds at most, unless more share its last number. A query holds all its
// rows in memory: every company at once would grow the heap by tens of megabytes, whose
// first touch costs more than their reading, where each block reuses the last one's memory.
inline constexpr std::size_t kCompaniesPerBlock = 1000;

class LastYearCompanies {
public:
    LastYearCompanies(engine::Database& lastYear, std::optional<double> chosen,
                      std::size_t perBlock = kCompaniesPerBlock);
    ~LastYearCompanies();
    LastYearCompanies(const LastYearCompanies&) = delete;
    LastYearCompanies& operator=(const LastYearCompanies&) = delete;

    // The companies the blocks hold, counted before the first block.
    long count();
    // Opens the next block; false after the last.
    bool nextBlock();

    // The open block and its current company.
    engine::Recordset& recordset() { return *rs_; }
    bool first();
    bool next();
    double number() const;

private:
    void open(engine::RecordsetPtr rs);

    engine::Database& lastYear_;
    std::optional<double> chosen_;
    std::size_t perBlock_;
    // Every company by blocks of numbers: the fields read, and each company's number in
    // order. Otherwise one block, open from the start.
    std::string fields_;
    std::vector<double> numbers_;
    std::size_t nextCompany_ = 0;
    bool blockGiven_ = false;
    engine::RecordsetPtr rs_;
    int number_ = 0;
};

} // namespace transfer
