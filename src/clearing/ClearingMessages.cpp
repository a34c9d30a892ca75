#include "clearing/ClearingMessages.h"

namespace clearing::msg {

namespace {

std::string lines(std::initializer_list<std::string_view> parts) {
    std::string out;
    for (std::string_view p : parts) {
        if (!out.empty()) out += app::kCrLf;
        out += p;
    }
    return out;
}

std::string_view continueQuestion(bool editing) {
    return editing ? "Do you want to continue Editing User Name"
                   : "Do you want to continue adding a New User Name";
}

std::string errorLine(int number, const std::string& text) {
    return "Error " + std::to_string(number) + ": " + text;
}

} // namespace

std::string confirmDeletion(const std::string& name) {
    return lines({"Please confirm the Deletion of", name});
}

std::string blankName(bool editing) {
    return lines({"Blank User Names are not Valid!", continueQuestion(editing)});
}

std::string duplicateName(const std::string& name, bool editing) {
    if (editing)
        return lines(
            {"This User Name Already exits!", "Do you want to continue Editing User Name", name});
    return lines(
        {"This User Name Already exits!", name, "Do you want to continue Adding New User Name"});
}

std::string nameTooLong(int maxLength, bool editing) {
    return lines({"User Names can be at most " + std::to_string(maxLength) + " characters long!",
                  continueQuestion(editing)});
}

std::string userListNotSaved(int number, const std::string& text) {
    return lines({"The User Name list could not be saved.", errorLine(number, text),
                  "The user names stored before have been kept."});
}

std::string confirmClearUser(const std::string& user) {
    return lines({"You are about to Clear the selected User '" + user + "'",
                  "and Close Open Assessments associated with this User!!! ",
                  "Do you want to Continue?"});
}

std::string confirmClearAll() {
    return lines({"You are about Clear All Logged On users", "and Close Open Assessments! ",
                  "Do you want to Continue?"});
}

std::string clearingFailed(int number, const std::string& text) {
    return lines({"The clearing could not be completed.", errorLine(number, text),
                  std::string(NothingChanged)});
}

std::string backupMediaError() {
    return lines({"There is a problem Writing to the Chosen Media?",
                  "Please ensure that the Device is available and has sufficient space for the "
                  "file."});
}

std::string restoreConfirmation() {
    return lines(
        {"Performing this operation will copy Quolby database files from the 'Look in' source "
         "drive/path of your choice to the existing Quolby Admin program and will overwrite the "
         "databases that are currently there without warning. Please ensure that this is your "
         "intention. ?",
         "There cannot be any Quolby assessment/data currently in memory so an initialisation of "
         "data will now be performed and then the database will be restored!",
         "DO YOU WANT TO CONTINUE WITH THIS OPERATION ?"});
}

std::string restoreMediaError() {
    return lines({"There is a problem Coping?",
                  "Please ensure that the Device is available and correctly plugged in/inserted!"});
}

std::string restorePathError() {
    return lines({"There is a problem Restoring?",
                  "The 'Look in' (copy from path) was not originally set correctly and Quolby is "
                  "confused!",
                  "To reset path correctly the program needs to be exited and re-started."});
}

std::string restoreDone() {
    return lines({"Restoring of Database completed !",
                  "Please exit SysAdmin program and enter it again ",
                  "to ensure database structures are updated !"});
}

std::string backupFailed() {
    return lines({"Backing up of Database's failed !", "These files were not copied:"});
}

std::string backupOntoSource(const std::string& target) {
    return lines({"The backup cannot be written over a database it is copying:", target,
                  "Choose another drive or folder for the backup.", "Nothing has been copied."});
}

std::string restoreOntoSource(const std::string& folder) {
    return lines({"The databases cannot be restored from the folder they are restored into:",
                  folder, "Choose the drive or folder that holds the backup.", NothingRestored});
}

std::string restoreFailed() {
    return lines({"Restoring of Database failed !",
                  "Nothing has been restored; these files were not copied:"});
}

std::string restoreNotPlaced() {
    return lines({"Restoring of Database failed !",
                  "Every database has been put back as it was: nothing has been restored.",
                  "This file could not be put in place:"});
}

std::string restoreNotPutBack(const std::vector<std::pair<std::string, std::string>>& kept) {
    std::string out = lines({"Restoring of Database failed, and the database files are now a "
                             "mixed set !",
                             "These databases could not be put back; each old file is kept "
                             "under the name shown:"});
    for (const auto& [target, keptAs] : kept) {
        out += app::kCrLf;
        out += target + " is kept as " + keptAs;
    }
    return out + std::string(app::kCrLf) + "Restore them again before anybody works on them." +
           std::string(app::kCrLf) + "This file could not be put in place:";
}

std::string restoreSourceMissing(const std::string& path) {
    return lines({"The backup file " + path + " is missing.", NothingRestored});
}

std::string restoreSourceNotDatabase(const std::string& path) {
    return lines({"The backup file " + path + " is not a Quolby database.", NothingRestored});
}

std::string failedCopyLine(const std::string& source, const std::string& target, int number,
                           const std::string& text) {
    return source + " to " + target + ": " + errorLine(number, text);
}

} // namespace clearing::msg
