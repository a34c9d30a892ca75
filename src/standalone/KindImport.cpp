#include "standalone/KindImport.h"

#include "app/DatabaseHandles.h"
#include "engine/Transaction.h"
#include "runtime/VariantOps.h"
#include "standalone/Renumbering.h"

namespace standalone {

namespace {

// The network's highest number of the kind; 0 when its main table is empty.
double highestNumber(engine::Database& network, const Kind& kind) {
    engine::RecordsetPtr main = network.OpenRecordset(kind.mainTable, engine::dbOpenTable);
    main->setIndex(kind.index);
    double highest = 0;
    if (!main->Eof()) {
        main->MoveLast();
        const runtime::Variant n = main->Fields(kind.key).Value();
        if (!runtime::IsNull(n)) highest = runtime::CDbl(n);
    }
    main->Close();
    return highest;
}

// Closes both files on every way out; the transaction has already ended by then.
struct OpenFiles {
    engine::DatabasePtr network, copy;
    ~OpenFiles() {
        app::closeQuietly(copy);
        app::closeQuietly(network);
    }
};

} // namespace

KindImported importKind(const Kind& kind, const std::string& copyPath,
                        const std::string& networkPath) {
    OpenFiles files;
    files.network = app::defaultWorkspace().OpenDatabase(networkPath);
    files.copy = app::defaultWorkspace().OpenDatabase(copyPath);
    KindImported done;
    {
        engine::Transaction transaction;
        const double base = highestNumber(*files.network, kind);
        const std::vector<NumberShift> map =
            numberMap(*files.copy, {kind.mainTable, kind.key, kind.index, base});
        done.firstNumber = base + 1;
        for (const NumberShift& shift : map)
            done.clients += static_cast<long>(shift.numbers.size());
        for (const transfer::CopyPlan& plan : kind.copies)
            for (const NumberShift& shift : map) {
                const transfer::ClientCopyStatement s =
                    transfer::shiftedCopyStatement(plan, networkPath, shift.by, shift.numbers);
                files.copy->Execute(s.sql, s.parameters);
            }
        transaction.commit();
    }
    return done;
}

} // namespace standalone
