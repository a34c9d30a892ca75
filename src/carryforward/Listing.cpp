#include "carryforward/Listing.h"

#include "app/frmSysAdmin.h"
#include "carryforward/SourceKinds.h"
#include "engine/EngineErrors.h"
#include "forms/Desktop.h"
#include "runtime/VariantOps.h"

#include <cstddef>
#include <vector>

namespace carryforward {

namespace {

using app::frmSysAdmin;
using runtime::Variant;

// Orders the recordset by the index; a file without it keeps the stored order.
bool orderBy(engine::Recordset& rs, std::string_view index) {
    try {
        rs.setIndex(std::string(index));
        return true;
    } catch (const runtime::Error& e) {
        if (e.number() != engine::err::NotAnIndex) throw;
        return false;
    }
}

// Element k + 1 of each array belongs to list row k; element 0 stays empty.
void keepArrays(frmSysAdmin& w, std::vector<ListedClient>& rows) {
    auto fill = [&rows](std::vector<Variant>& array, Variant ListedClient::*part) {
        array.assign(rows.size() + 1, Variant());
        for (std::size_t k = 0; k < rows.size(); ++k)
            array[k + 1] = std::move(rows[k].*part);
    };
    fill(w.PrevYearClientNos, &ListedClient::number);
    fill(w.PrevYearClientNames, &ListedClient::name);
    fill(w.PrevYearClientRefs, &ListedClient::reference);
    fill(w.PrevYearClientDescs, &ListedClient::description);
}

// Element i of the array as a box shows it: "" for Null and for an element there is not.
std::string shownElement(const std::vector<Variant>& array, std::size_t i) {
    return i < array.size() ? runtime::Concat(array[i], Variant("")) : std::string();
}

// The client of element i in the kind's boxes.
void showClient(frmSysAdmin& w, const SourceKind& kind, std::size_t i) {
    const std::array<forms::TextBox*, 3> boxes = kind.boxes(w);
    const std::vector<Variant>* arrays[] = {&w.PrevYearClientNames, &w.PrevYearClientRefs,
                                            &w.PrevYearClientDescs};
    for (std::size_t b = 0; b < boxes.size(); ++b)
        if (boxes[b]) boxes[b]->setText(shownElement(*arrays[b], i));
}

void enableImports(frmSysAdmin& w, bool enabled) {
    w.cmdImpSelAss.setEnabled(enabled);
    w.cmdImpWholeDB.setEnabled(enabled);
}

} // namespace

void listClients(frmSysAdmin& w, const SourceKind& kind) {
    w.lstPrevYear.Clear();
    engine::Recordset& main = *w.MainRS;
    orderBy(main, kind.listIndex);
    const References references =
        kind.readReferences ? kind.readReferences(*w.ImportDB) : References{};

    std::vector<ListedClient> rows;
    rows.reserve(static_cast<std::size_t>(main.RecordCount()));
    if (main.RecordCount() > 0)
        for (main.MoveFirst(); !main.Eof(); main.MoveNext())
            rows.push_back(kind.read(main, references));

    if (rows.empty()) {
        forms::desktop().Beep();
    } else if (!runtime::IsNull(rows.front().number)) {
        w.*kind.selected = runtime::CDbl(rows.front().number);
    }
    for (ListedClient& row : rows)
        w.lstPrevYear.AddItem(std::move(row.rowText));
    keepArrays(w, rows);
    showClient(w, kind, 1);
    enableImports(w, !rows.empty() || kind.importsFromEmptyFile);
}

void forgetListing(frmSysAdmin& w, const SourceKind& kind) {
    w.lstPrevYear.Clear();
    std::vector<ListedClient> none;
    keepArrays(w, none);
    showClient(w, kind, 1);
    enableImports(w, false);
}

void lstPrevYear_Click(frmSysAdmin& w) {
    const SourceKind* kind = kindNamed(w.ImportKind);
    if (!kind) return;
    showClient(w, *kind, static_cast<std::size_t>(w.lstPrevYear.ListIndex() + 1));
    w.PrevYearSelected = 1;
}

void lstPrevYear_DblClick(frmSysAdmin& w) {
    w.cmdImpSelAss.setValue(true);
}

} // namespace carryforward
