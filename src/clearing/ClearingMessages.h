#pragma once

// The texts, styles and titles of this area's message boxes.

#include "app/FileNames.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace clearing::msg {

// --- the user-name list ---
inline constexpr std::string_view TitleUserList = "Quolby System Admin";
inline constexpr std::string_view TitleAdding = "Quolby System Admin : Adding User Name";
inline constexpr std::string_view TitleEditing = "Quolby System Admin : Editing User Name";
inline constexpr std::string_view LoggedOnNotice =
    "There are currently users logged on.  The username list can only be edited when there "
    "are no user's logged on.";

std::string confirmDeletion(const std::string& name);
std::string blankName(bool editing);
std::string duplicateName(const std::string& name, bool editing);
std::string nameTooLong(int maxLength, bool editing);
std::string userListNotSaved(int number, const std::string& text);

// --- clearing after a network failure ---
inline constexpr std::string_view TitleClearing = "Quolby 2018 NetWork Clearing!";
std::string confirmClearUser(const std::string& user);
std::string confirmClearAll();
std::string clearingFailed(int number, const std::string& text);

// --- a database that cannot be opened for the operation: what follows the message of
// app::openFailureMessage ---
inline constexpr std::string_view NothingChanged = "Nothing has been changed.";
inline constexpr std::string_view NothingRestored = "Nothing has been restored.";
inline constexpr std::string_view UserListNotSaved = "The User Name list has not been saved.";
inline constexpr std::string_view UserListNotRefreshed =
    "The User Name list has not been refreshed.";
inline constexpr std::string_view ListNotRefreshed = "Its list has not been refreshed.";

// --- backup and restore ---
inline constexpr std::string_view TitleMediaFaulty = "Chosen Media Faulty!";
inline constexpr std::string_view TitlePathError = "Path Error!";
inline constexpr std::string_view TitleRestore = "RESTORE !!";
inline constexpr std::string_view TitleBackupFailed = "Backup Failed!";

inline constexpr std::string_view BackupCancelled = "User has cancelled the operation!";
inline constexpr std::string_view BackupDone = "Backing up of Database's completed !";
inline constexpr std::string_view RestoreCancelled = "User has cancelled the Restore operation!";
std::string backupMediaError();
std::string restoreConfirmation();
std::string restoreMediaError();
std::string restorePathError();
std::string restoreDone();
std::string backupFailed();
std::string backupOntoSource(const std::string& target);
std::string restoreFailed();
std::string restoreOntoSource(const std::string& folder);
// A copy of a restore arrived but could not be put in place: the old files went back.
std::string restoreNotPlaced();
// ... and some old files could not go back: each target with the name its old file has.
std::string restoreNotPutBack(const std::vector<std::pair<std::string, std::string>>& kept);
std::string restoreSourceMissing(const std::string& path);
std::string restoreSourceNotDatabase(const std::string& path);

// One line per copy that failed, to follow a backup or restore message.
std::string failedCopyLine(const std::string& source, const std::string& target, int number,
                           const std::string& text);

} // namespace clearing::msg
