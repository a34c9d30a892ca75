#include "clearing/UserList.h"

#include "app/ExclusiveDatabases.h"
#include "app/WindowHandles.h"
#include "app/frmSysAdmin.h"
#include "clearing/ClearingMessages.h"
#include "clearing/UserNamesTable.h"
#include "runtime/Strings.h"

namespace clearing {

namespace {

using app::frmSysAdmin;

constexpr std::int16_t kNoEdit = 0, kAdding = 1, kEditing = 2;

int ask(const std::string& text, std::string_view title) {
    return forms::desktop().MsgBox(text, forms::vbYesNo, std::string(title));
}

void setEditButtons(frmSysAdmin& w, bool enabled) {
    w.cmdAddNew.setEnabled(enabled);
    w.cmdEdit.setEnabled(enabled);
    w.cmdDelete.setEnabled(enabled);
}

void setIdleState(frmSysAdmin& w) {
    setEditButtons(w, true);
    w.cmdUpdate.setEnabled(false);
    w.List1.setEnabled(true);
    w.txtUserName.setEnabled(false);
    w.Frame1.setVisible(false);
}

void setLoggedOnState(frmSysAdmin& w) {
    setEditButtons(w, false);
    w.cmdUpdate.setEnabled(false);
    w.Frame1.setVisible(true);
}

// Adding and editing: only Update and the entry box can be used.
void setEntryState(frmSysAdmin& w, std::int16_t mode) {
    setEditButtons(w, false);
    if (mode == kEditing) w.cmdOk.setEnabled(false);
    w.cmdUpdate.setEnabled(true);
    w.List1.setEnabled(false);
    w.txtUserName.setEnabled(true);
}

void endEntry(frmSysAdmin& w, bool emptyBox) {
    w.UserEditMode = kNoEdit;
    setIdleState(w);
    if (emptyBox) w.txtUserName.setText("");
}

void stayInEntry(frmSysAdmin& w) {
    setEntryState(w, w.UserEditMode);
    w.txtUserName.SetFocus();
}

std::int16_t listCount(const frmSysAdmin& w) {
    return static_cast<std::int16_t>(w.List1.ListCount());
}

// The list as the rows give it, with the buttons that follow from who is logged on.
void showUserRows(frmSysAdmin& w, const std::vector<UserRow>& rows) {
    w.List1.Clear();
    w.forgetUserListEntry();
    w.UsersLoggedOn = false;
    if (!rows.empty()) {
        w.txtUserName.setText(rows.front().name);
        w.UserCount = static_cast<std::int16_t>(rows.size());
        for (const UserRow& row : rows) {
            if (row.loggedOn) w.UsersLoggedOn = true;
            w.List1.AddItem(row.name);
        }
        w.cmdOk.setEnabled(true);
    }
    if (w.UsersLoggedOn)
        setLoggedOnState(w);
    else
        setIdleState(w);
}

// After a save that failed the list must show what the table holds: a name left in it
// would be stored, unannounced, by the next save of the list. The table is read without
// exclusive use, as a workstation may be holding it open.
void refillAfterFailedSave(frmSysAdmin& w) {
    app::closeWindowHandles(w);
    try {
        auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(
            app::SysAdminDbPath, false, true, std::string(app::kSysDbConnect));
        const std::vector<UserRow> rows = readUserNames(*db);
        db->Close();
        showUserRows(w, rows);
    } catch (const runtime::Error&) {
        // Not even readable: show no list at all, so that nothing can be saved from it
        // until the next fill.
        w.List1.Clear();
        w.forgetUserListEntry();
        w.txtUserName.setText("");
        setEditButtons(w, false);
        w.cmdUpdate.setEnabled(false);
    }
}

void writeBack(frmSysAdmin& w) {
    std::vector<std::string> names;
    const int count = std::min<int>(w.UserCount, w.List1.ListCount());
    for (int i = 0; i < count; ++i)
        names.push_back(w.List1.List(i));

    engine::DatabasePtr db;
    app::closeWindowHandles(w);
    try {
        db = app::openSystemDbExclusive();
    } catch (const app::DatabaseOpenError& e) {
        w.Ask(app::openFailureMessage(e, msg::UserListNotSaved), forms::vbCritical,
              std::string(msg::TitleUserList));
        refillAfterFailedSave(w);
        return;
    }
    try {
        writeUserNames(*db, names);
    } catch (const runtime::Error& e) {
        db->Close();
        w.Ask(msg::userListNotSaved(e.number(), e.text()), forms::vbCritical,
              std::string(msg::TitleUserList));
        refillAfterFailedSave(w);
        return;
    }
    db->Close();
}

void commit(frmSysAdmin& w) {
    w.UserEditMode = kNoEdit;
    setEditButtons(w, true);
    w.cmdUpdate.setEnabled(false);
    w.List1.setEnabled(true);
    w.cmdOk.setEnabled(true);
    w.UserCount = listCount(w);
    writeBack(w);
}

// The checks of an entered name; true when it may go into the list.
bool acceptName(frmSysAdmin& w, const std::string& name, bool editing) {
    const std::string_view title = editing ? msg::TitleEditing : msg::TitleAdding;
    if (name.empty()) {
        if (ask(msg::blankName(editing), title) == forms::vbYes)
            w.txtUserName.SetFocus();
        else
            endEntry(w, false);
        return false;
    }
    if (nameLength(name) > kUserNameSize) {
        if (ask(msg::nameTooLong(kUserNameSize, editing), title) == forms::vbYes)
            stayInEntry(w);
        else
            endEntry(w, true);
        return false;
    }
    const int count = std::min<int>(w.UserCount, w.List1.ListCount());
    for (int i = 0; i < count; ++i) {
        if (editing && i == w.SelectedUserIndex) continue;
        if (!runtime::equalsNoCase(w.List1.List(i), name)) continue;
        const std::string_view dupTitle = editing ? msg::TitleEditing : msg::TitleUserList;
        if (ask(msg::duplicateName(name, editing), dupTitle) == forms::vbYes)
            stayInEntry(w);
        else
            endEntry(w, true);
        return false;
    }
    return true;
}

} // namespace

bool fillUserList(frmSysAdmin& w) {
    std::vector<UserRow> rows;
    app::closeWindowHandles(w);
    try {
        auto db = app::openSystemDbExclusive();
        rows = readUserNames(*db);
        db->Close();
    } catch (const app::DatabaseOpenError& e) {
        w.Ask(app::openFailureMessage(e, msg::UserListNotRefreshed), forms::vbCritical,
              std::string(msg::TitleUserList));
        return false;
    }

    showUserRows(w, rows);
    return true;
}

void List1_Click(frmSysAdmin& w) {
    w.txtUserName.setText(w.List1.Text());
    w.SelectedUserIndex = static_cast<std::int16_t>(w.List1.ListIndex());
    w.UserPicked = 1;
}

void cmdAddNew_Click(frmSysAdmin& w) {
    w.UserEditMode = kAdding;
    setEntryState(w, kAdding);
    w.txtUserName.setText("");
    w.txtUserName.SetFocus();
}

void cmdEdit_Click(frmSysAdmin& w) {
    if (w.UserPicked == 0) return;
    w.UserPicked = 0;
    w.UserEditMode = kEditing;
    setEntryState(w, kEditing);
    w.txtUserName.SetFocus();
}

void cmdDelete_Click(frmSysAdmin& w) {
    if (w.UserPicked == 0) return;
    w.UserPicked = 0;
    setEditButtons(w, false);
    w.cmdUpdate.setEnabled(false);
    w.List1.setEnabled(false);

    const int index = w.SelectedUserIndex;
    if (index >= 0 && index < w.List1.ListCount()) {
        // The question names the entry that goes, whatever the box shows.
        const int answer =
            forms::desktop().MsgBox(msg::confirmDeletion(w.List1.List(index)), forms::vbYesNo, "");
        if (answer == forms::vbYes) {
            w.List1.RemoveItem(index);
            w.List1.Refresh();
        }
    }
    w.UserEditMode = kNoEdit;
    setIdleState(w);
    w.txtUserName.setText("");
    w.UserCount = listCount(w);
    writeBack(w);
}

void cmdUpdate_Click(frmSysAdmin& w) {
    w.UserPicked = 0;
    const std::string name = w.txtUserName.Text();
    if (w.UserEditMode == kAdding) {
        if (!acceptName(w, name, false)) return;
        w.List1.AddItem(name);
        w.List1.Refresh();
        w.UserCount = listCount(w);
        w.txtUserName.setEnabled(false);
        commit(w);
    } else if (w.UserEditMode == kEditing) {
        if (!acceptName(w, name, true)) return;
        if (w.SelectedUserIndex < 0 || w.SelectedUserIndex >= w.List1.ListCount()) {
            endEntry(w, true);
            return;
        }
        w.List1.setList(w.SelectedUserIndex, name);
        w.List1.Refresh();
        w.txtUserName.setEnabled(false);
        commit(w);
    }
}

} // namespace clearing
