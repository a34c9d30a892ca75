#include "app/MDIForm1.h"

#include "app/FileNames.h"
#include "app/Version.h"
#include "app/frmSysAdmin.h"

namespace app {

MDIForm1::MDIForm1(frmSysAdmin& child) : forms::Form("MDIForm1"), child_(child) {
    cmdOk.setCaption("&OK");
    child_.setMdiParent(*this);
    onLoad = [this] { MDIForm_Load(); };
    cmdOk.onClick = [this] { cmdOk_Click(); };
}

MDIForm1::~MDIForm1() = default;

void MDIForm1::MDIForm_Load() {
    forms::Desktop& desk = forms::desktop();
    if (desk.anotherCopyRunning()) {
        const std::string crlf(kCrLf);
        desk.MsgBox("Quolby2018 SysAdmin is already running(open) on this computer!" + crlf +
                        "The First Instance of the program is probably minimised.  Check your "
                        "Taskbar." +
                        crlf +
                        "Having the program open twice will cause errors in the working of the "
                        "program.  " +
                        crlf + "This second instance will now be closed down!",
                    forms::vbCritical, "Quolby2018 SysAdmin Currently Loaded!!!!!");
        Unload();
        return;
    }
    setCaption(versionCaption(buildVersion()));
    desk.setMousePointer(forms::vbHourglass);
    child_.Show();
}

void MDIForm1::cmdOk_Click() {
    Unload();
}

void MDIForm1::Unload_MDIForm() {
    child_.Unload();
    Unload();
}

} // namespace app
