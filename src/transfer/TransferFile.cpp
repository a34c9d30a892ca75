#include "transfer/TransferFile.h"

#include "app/DatabaseHandles.h"
#include "engine/Transaction.h"
#include "transfer/SqlText.h"

namespace transfer {

void emptyTransferFile(const std::string& path, void (*make)(const std::string&),
                       std::span<const std::string_view> tables) {
    make(path);
    engine::DatabasePtr db = app::defaultWorkspace().OpenDatabase(path);
    {
        // One commit for the whole file rather than a sync per table.
        engine::Transaction transaction;
        for (std::string_view table : tables)
            db->Execute("DELETE *FROM " + bracketed(table));
        transaction.commit();
    }
    db->Close();
}

} // namespace transfer
