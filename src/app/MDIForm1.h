#pragma once

// The frame window: the program's start-up window and the outer window that holds the
// administration window.

#include "forms/Forms.h"

namespace app {

class frmSysAdmin;

class MDIForm1 : public forms::Form {
public:
    // `child` is loaded by this window's Load event and lies inside it.
    explicit MDIForm1(frmSysAdmin& child);
    ~MDIForm1() override;

    void MDIForm_Load();
    void cmdOk_Click();
    // Unloads the administration window, then this one.
    void Unload_MDIForm();

    forms::PictureBox& Picture1 = add<forms::PictureBox>("Picture1");
    forms::CommandButton& cmdOk = Picture1.add<forms::CommandButton>("cmdOk");

private:
    frmSysAdmin& child_;
};

} // namespace app
