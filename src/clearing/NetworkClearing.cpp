#include "clearing/NetworkClearing.h"

#include "app/DatabaseHandles.h"
#include "app/ExclusiveDatabases.h"
#include "app/WindowHandles.h"
#include "app/frmSysAdmin.h"
#include "clearing/ClearingMessages.h"
#include "clearing/ClientLocks.h"
#include "clearing/UserNamesTable.h"
#include "engine/Transaction.h"

#include <array>
#include <memory>
#include <optional>

namespace clearing {

namespace {

using app::frmSysAdmin;

// The four databases of a clearing, all held for exclusive use before anything changes,
// so that a workstation still holding one stops the clearing before it starts.
struct ClearingFiles {
    engine::DatabasePtr sys;
    std::array<engine::DatabasePtr, 3> clients;

    ClearingFiles() = default;
    ClearingFiles(const ClearingFiles&) = delete;
    ClearingFiles& operator=(const ClearingFiles&) = delete;
    ~ClearingFiles() {
        app::closeQuietly(sys);
        for (auto& db : clients)
            app::closeQuietly(db);
    }
};

std::array<const std::string*, 3> clientPaths(const frmSysAdmin& w) {
    return {&w.PersDbPath, &w.TrustDbPath, &w.CompDbPath};
}

std::array<forms::ListBox*, 3> clientLists(frmSysAdmin& w) {
    return {&w.lstPersDataOpen, &w.lstTrustDataOpen, &w.lstCompDataOpen};
}

// Opens all four or none; a failure is shown, naming the database.
std::unique_ptr<ClearingFiles> openForClearing(frmSysAdmin& w) {
    auto files = std::make_unique<ClearingFiles>();
    app::closeWindowHandles(w);
    try {
        files->sys = app::openSystemDbExclusive();
        const auto paths = clientPaths(w);
        for (std::size_t i = 0; i < paths.size(); ++i)
            files->clients[i] = app::openExclusive(*paths[i]);
    } catch (const app::DatabaseOpenError& e) {
        files.reset();
        w.Ask(app::openFailureMessage(e, msg::NothingChanged), forms::vbCritical,
              std::string(msg::TitleClearing));
    }
    return files;
}

// Runs the changes as one transaction over the four files. A failure is given back with
// every file as it was.
template <class Changes> std::optional<runtime::Error> changeAll(Changes changes) {
    try {
        engine::Transaction transaction;
        changes();
        transaction.commit();
        return std::nullopt;
    } catch (const runtime::Error& e) {
        return e;
    }
}

void showClearingFailure(frmSysAdmin& w, const runtime::Error& e) {
    w.Ask(msg::clearingFailed(e.number(), e.text()), forms::vbCritical,
          std::string(msg::TitleClearing));
}

void replaceEntries(forms::ListBox& list, const std::vector<std::string>& rows) {
    list.Clear();
    for (const std::string& row : rows)
        list.AddItem(row);
}

std::vector<std::string> loggedOnNames(const std::vector<UserRow>& rows) {
    std::vector<std::string> names;
    for (const UserRow& row : rows)
        if (row.loggedOn) names.push_back(row.name);
    return names;
}

bool hasRows(engine::Database& db, std::string_view table) {
    auto rs = db.OpenRecordset(table, engine::dbOpenTable);
    const bool any = rs->RecordCount() > 0;
    rs->Close();
    return any;
}

void closeWorkspace() {
    app::closeWorkspaceQuietly();
}

} // namespace

void enableClearUsersByLists(frmSysAdmin& w) {
    const bool any = w.lstUsersLoggedOn.ListCount() > 0 || w.lstPersDataOpen.ListCount() > 0 ||
                     w.lstTrustDataOpen.ListCount() > 0 || w.lstCompDataOpen.ListCount() > 0;
    w.cmdClearUsers.setEnabled(any);
}

void lstUsersLoggedOn_Click(frmSysAdmin& w) {
    w.cmdClearSelectedUser.setEnabled(true);
    w.SelectedLoggedOnUser = w.lstUsersLoggedOn.Text();
}

void cmdClearSelectedUser_Click(frmSysAdmin& w) {
    w.cmdClearSelectedUser.setEnabled(false);
    const std::string user = w.SelectedLoggedOnUser;
    if (w.Ask(msg::confirmClearUser(user), forms::vbYesNo, std::string(msg::TitleClearing)) !=
        forms::vbYes)
        return;

    {
        auto files = openForClearing(w);
        if (!files) {
            // Nothing was done: the same user can be cleared once the files are free.
            w.cmdClearSelectedUser.setEnabled(true);
            return;
        }
        const auto& tables = clientTables();
        const auto failure = changeAll([&] {
            clearLogOn(*files->sys, user);
            for (std::size_t i = 0; i < tables.size(); ++i)
                freeRecordsOf(*files->clients[i], tables[i], user);
        });
        if (failure) {
            files.reset();
            showClearingFailure(w, *failure);
            w.cmdClearSelectedUser.setEnabled(true);
            return;
        }

        // The lists as the files now stand; a table without rows leaves its list alone.
        const std::vector<UserRow> users = readUserNames(*files->sys);
        if (!users.empty()) {
            replaceEntries(w.lstUsersLoggedOn, loggedOnNames(users));
            w.cmdOk.setEnabled(true);
        }
        const auto lists = clientLists(w);
        for (std::size_t i = 0; i < tables.size(); ++i) {
            if (auto rows = heldRecordRows(*files->clients[i], tables[i])) {
                replaceEntries(*lists[i], *rows);
                w.cmdOk.setEnabled(true);
            }
        }
    }
    closeWorkspace();
    enableClearUsersByLists(w);
}

void cmdClearUsers_Click(frmSysAdmin& w) {
    if (w.Ask(msg::confirmClearAll(), forms::vbYesNo, std::string(msg::TitleClearing)) !=
        forms::vbYes)
        return;
    bool anyRows = false; // OK is offered once a table with rows has been cleared
    {
        auto files = openForClearing(w);
        if (!files) return;
        const auto& tables = clientTables();
        const auto failure = changeAll([&] {
            clearAllLogOns(*files->sys);
            anyRows = hasRows(*files->sys, "UserNames");
            for (std::size_t i = 0; i < tables.size(); ++i) {
                freeAllRecords(*files->clients[i], tables[i]);
                anyRows = hasRows(*files->clients[i], tables[i].table) || anyRows;
            }
        });
        if (failure) {
            files.reset();
            showClearingFailure(w, *failure);
            return;
        }
    }
    w.lstUsersLoggedOn.Clear();
    w.UsersLoggedOn = false;
    for (forms::ListBox* list : clientLists(w))
        list->Clear();
    if (anyRows) w.cmdOk.setEnabled(true);
    closeWorkspace();
}

void fillNetworkLists(frmSysAdmin& w) {
    w.lstUsersLoggedOn.Clear();
    app::closeWindowHandles(w);
    try {
        auto db = app::openSystemDbExclusive();
        const std::vector<UserRow> users = readUserNames(*db);
        db->Close();
        if (!users.empty()) {
            replaceEntries(w.lstUsersLoggedOn, loggedOnNames(users));
            w.cmdOk.setEnabled(true);
        }
    } catch (const app::DatabaseOpenError& e) {
        w.Ask(app::openFailureMessage(e, msg::ListNotRefreshed), forms::vbCritical,
              std::string(msg::TitleUserList));
    }

    const auto paths = clientPaths(w);
    const auto lists = clientLists(w);
    const auto& tables = clientTables();
    for (std::size_t i = 0; i < tables.size(); ++i) {
        lists[i]->Clear();
        try {
            auto db = app::openExclusive(*paths[i]);
            auto rows = heldRecordRows(*db, tables[i]);
            db->Close();
            if (rows) {
                replaceEntries(*lists[i], *rows);
                w.cmdOk.setEnabled(true);
            }
        } catch (const app::DatabaseOpenError& e) {
            w.Ask(app::openFailureMessage(e, msg::ListNotRefreshed), forms::vbCritical,
                  std::string(msg::TitleUserList));
        }
    }
}

} // namespace clearing
