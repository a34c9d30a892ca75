#pragma once

// Carrying individuals from last year's individuals file into this year's, record by
// record: each gets its Qolb2018 row and its IRP5IncDed row, both under one number. Shows
// nothing; the caller runs it inside its transaction on this year's file.

#include "engine/Dao.h"
#include "transfer/IndividualCarryTables.h"
#include "transfer/RecordCarry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace transfer {

// Last year's main table of individuals.
inline constexpr std::string_view kLastYearIndividuals = "Qolb2017";

// The fields of last year's Qolb2017 that a carry reads: DCLNO, then those of the table.
std::vector<std::string_view> lastYearMainFields();

// Jet SQL: those fields of last year's Qolb2017 rows meeting `condition`, by client number.
std::string lastYearMainSelection(std::string_view condition);

class IndividualCarry {
public:
    // lastYearMain: last year's individuals (Qolb2017 or a selection from it) holding the
    // fields of lastYearMainFields(). lastYearCertificates: last year's IRP5IncDed,
    // table-type; it is ordered here by its index on the client number. main and
    // certificates: this year's Qolb2018 and IRP5IncDed, table-type. A field that any of
    // them lacks is raised here as FieldError, before anything is written. scope: the
    // import this carry serves.
    IndividualCarry(engine::Recordset& lastYearMain, engine::Recordset& lastYearCertificates,
                    engine::Recordset& main, engine::Recordset& certificates, ImportScope scope);

    // Carries the individual on lastYearMain's current row under `newNumber`, or under last
    // year's number when there is none. Gives the number written. A value the new row
    // cannot hold is raised as FieldError naming the field; the row being written is not
    // added, and the caller's transaction takes back any row added before it.
    double carry(std::optional<double> newNumber);

private:
    engine::Recordset& lastYearMain_;
    engine::Recordset& lastYearCertificates_;
    int clientNo_;
    RecordCarry main_;
    RecordCarry certificate_;
};

} // namespace transfer
