#include "app/frmSysAdmin.h"

#include "app/FileNames.h"
#include "runtime/VariantOps.h"

namespace app {

std::string SysAdminDbPath;

frmSysAdmin::frmSysAdmin() : forms::Form("frmSysAdmin") {
    optWhichDBImport_0.setValue(true); // individuals, the start value of ImportKind
    wireEvents();
}

frmSysAdmin::~frmSysAdmin() = default;

void frmSysAdmin::wireEvents() {
    onLoad = [this] { Form_Load(); };
    onUnload = [this](int& Cancel) { Form_Unload(Cancel); };
    cmdOk.onClick = [this] { cmdOk_Click(); };
    cmdLocateSystemDB.onClick = [this] { cmdLocateSystemDB_Click(); };
    txtUserMainDB.onChange = [this] { txtUserMainDB_Change(); };
    cmdLocateClientDB.onClick = [this] { cmdLocateClientDB_Click(); };
}

int frmSysAdmin::ShowMsg() {
    const int answer =
        forms::desktop().MsgBox(MsgText, static_cast<int>(runtime::CLng(MsgStyle)), MsgTitle);
    MsgResponse = std::int16_t(answer);
    return answer;
}

int frmSysAdmin::Ask(std::string text, int style, std::string title) {
    MsgText = std::move(text);
    MsgStyle = std::int16_t(style);
    MsgTitle = std::move(title);
    return ShowMsg();
}

std::string frmSysAdmin::programFolder() const {
    return forms::desktop().programFolder();
}

void frmSysAdmin::Form_Unload(int& Cancel) {
    const int answer = Ask(std::string("The System Admin program will now Close!") +
                               std::string(kCrLf) + "Do you want to Exit the program?",
                           forms::vbYesNo, "Quolby System Admin");
    Cancel = answer == forms::vbYes ? 0 : 1;
}

void frmSysAdmin::cmdOk_Click() {
    Unload();
}

void frmSysAdmin::txtUserMainDB_Change() {
    SysAdminDbPath = txtUserMainDB.Text();
}

bool frmSysAdmin::refuseQuotedPath(const std::string& path) {
    if (path.find('"') == std::string::npos) return false;
    // The path files keep each path in double quotes and cannot hold one inside.
    Ask("The path of the chosen file holds a double quote (\"), which the program cannot "
        "record." +
            std::string(kCrLf) + "Please choose a file whose path has no double quote.",
        forms::vbExclamation, "Invalid Path!");
    return true;
}

} // namespace app
