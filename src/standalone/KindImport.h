#pragma once

// Bringing the clients of the three kinds from working copies into the network files: for
// each kind the network's highest number, the map to the clients' new numbers and the copy
// of every table, all in one transaction over the network files, so that after any failure
// every network file is as it was and none holds part of the import. Shows nothing; the page
// says how it went.

#include "runtime/Error.h"
#include "standalone/Kinds.h"

#include <string>
#include <string_view>
#include <vector>

namespace standalone {

struct KindImported {
    long clients = 0;
    double firstNumber = 0; // the number the first of them received
};

// One kind of the import: its clients are read from `copyPath` and go into `networkPath`.
struct KindSource {
    const Kind& kind;
    std::string copyPath;
    std::string networkPath;
};

// What stopped the import, with the engine's number and text: the kind it was bringing over
// (empty when the failure belongs to no kind, as a commit over every file) and the client
// whose rows were refused, "Smith (15)", when one was.
class KindImportError : public runtime::Error {
public:
    KindImportError(std::string_view kind, std::string client, const runtime::Error& cause)
        : runtime::Error(cause), kind_(kind), client_(std::move(client)) {}
    std::string_view kind() const { return kind_; }
    const std::string& client() const { return client_; }

private:
    std::string_view kind_;
    std::string client_;
};

// Imports every client of every kind of `sources`, in their order, as one change of the
// network files: all of them, or after a failure (raised as KindImportError) none, with each
// network file and copy put back as it was. Gives what each kind brought, in that order.
std::vector<KindImported> importKinds(const std::vector<KindSource>& sources);

// The one kind on its own.
KindImported importKind(const Kind& kind, const std::string& copyPath,
                        const std::string& networkPath);

} // namespace standalone
