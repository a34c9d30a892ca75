#include "standalone/KindImport.h"

#include "app/DatabaseHandles.h"
#include "engine/Transaction.h"
#include "runtime/VariantOps.h"
#include "standalone/Renumbering.h"
#include "transfer/ClientNumbering.h"
#include "transfer/ImportSteps.h"

#include <map>

namespace standalone {

namespace {

// Each file once, however many kinds read or write it, closed on every way out; the
// transaction has already ended by then.
struct OpenFiles {
    app::ClosedOnExit held;
    std::map<std::string, engine::Database*> byPath;
    engine::Database& open(const std::string& path) {
        engine::Database*& db = byPath[path];
        if (!db) db = &held.keep(app::defaultWorkspace().OpenDatabase(path));
        return *db;
    }
};

// "Smith (15)": the client of the copy numbered `number`, by its name where it has one.
std::string clientNamed(engine::Database& copy, const Kind& kind, double number) {
    const std::string shown = runtime::CStr(runtime::Variant(number));
    try {
        engine::RecordsetPtr main = copy.OpenRecordset(kind.client.mainTable, engine::dbOpenTable);
        for (; !main->Eof(); main->MoveNext()) {
            if (runtime::CDbl(main->Fields(kind.client.numberField).Value()) != number) continue;
            const std::string name =
                runtime::Concat(main->Fields(kind.client.nameField).Value(), runtime::Variant(""));
            main->Close();
            return name.empty() ? "the client numbered " + shown
                                : "the client " + name + " (" + shown + ")";
        }
        main->Close();
    } catch (const runtime::Error&) {
        // The number is all the message can give.
    }
    return "the client numbered " + shown;
}

// A run of clients was refused: the first of them whose own copy is refused, found by
// copying them one by one (the transaction that undoes them is about to roll back).
std::string refusedClient(engine::Database& copy, const KindSource& source,
                          const transfer::CopyPlan& plan, const NumberShift& shift) {
    for (double number : shift.numbers) {
        const transfer::ClientCopyStatement one =
            transfer::shiftedCopyStatement(plan, source.networkPath, shift.by, {number});
        try {
            copy.Execute(one.sql, one.parameters);
        } catch (const runtime::Error&) {
            return clientNamed(copy, source.kind, number);
        }
    }
    return {};
}

KindImported importOne(OpenFiles& files, const KindSource& source) {
    const Kind& kind = source.kind;
    engine::Database& network = files.open(source.networkPath);
    engine::Database& copy = files.open(source.copyPath);
    // An empty network table numbers from 1, as one whose highest row holds no number.
    const transfer::ClientKind& client = kind.client;
    const double base =
        transfer::highestNumber(network, client.mainTable, client.numberIndex, client.numberField)
            .value_or(0);
    std::vector<NumberShift> map;
    try {
        map = numberMap(copy, {client, base});
    } catch (const NumberingError& e) {
        const std::string client =
            !e.client().empty() ? e.client()
            : e.number() ? "the clients numbered " + runtime::CStr(runtime::Variant(*e.number()))
                         : "a client without a number";
        throw KindImportError(kind.name, client, e);
    }
    KindImported done{0, base + 1};
    for (const NumberShift& shift : map)
        done.clients += static_cast<long>(shift.numbers.size());
    for (const transfer::CopyPlan& plan : kind.copies)
        for (const NumberShift& shift : map) {
            const transfer::ClientCopyStatement s =
                transfer::shiftedCopyStatement(plan, source.networkPath, shift.by, shift.numbers);
            try {
                copy.Execute(s.sql, s.parameters);
            } catch (const runtime::Error& e) {
                if (!transfer::refusesARow(e)) throw;
                throw KindImportError(kind.name, refusedClient(copy, source, plan, shift), e);
            }
        }
    return done;
}

} // namespace

std::vector<KindImported> importKinds(const std::vector<KindSource>& sources) {
    OpenFiles files;
    // Every file is open before the transaction begins, so that it spans them all.
    for (const KindSource& source : sources) {
        try {
            files.open(source.networkPath);
            files.open(source.copyPath);
        } catch (const runtime::Error& e) {
            throw KindImportError(source.kind.name, {}, e);
        }
    }
    std::vector<KindImported> done;
    engine::Transaction transaction;
    for (const KindSource& source : sources) {
        try {
            done.push_back(importOne(files, source));
        } catch (const KindImportError&) {
            throw;
        } catch (const runtime::Error& e) {
            throw KindImportError(source.kind.name, {}, e);
        }
    }
    try {
        transaction.commit();
    } catch (const runtime::Error& e) {
        throw KindImportError({}, {}, e);
    }
    return done;
}

KindImported importKind(const Kind& kind, const std::string& copyPath,
                        const std::string& networkPath) {
    return importKinds({{kind, copyPath, networkPath}}).front();
}

} // namespace standalone
