#pragma once

// The administration window: every control of its pages and the state that all the
// operations of the system share. Each subsystem adds its operations in its own folder
// as functions that take this window; the controls and the shared state live here once.
//
// Controls are declared in layout order: each is made in its container, with its
// caption, by its default member initializer, so adding a control is one line in the
// block of the subsystem that owns it.

#include "engine/Dao.h"
#include "forms/Forms.h"
#include "runtime/PendingError.h"
#include "runtime/Variant.h"

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace app {

class StartupFault;

// The system database's path belongs to the program as a whole, not to the window.
extern std::string SysAdminDbPath;

class frmSysAdmin : public forms::Form {
    // Makes a control at the end of `in`; a captioned control gets `caption`.
    template <class T>
    static T& make(forms::Container& in, std::string name, std::string caption = {}) {
        return captioned(in.add<T>(std::move(name)), std::move(caption));
    }
    template <class T>
    static T& make(forms::Container& in, std::string name, int index, std::string caption) {
        return captioned(in.add<T>(std::move(name), index), std::move(caption));
    }
    template <class T> static T& captioned(T& control, std::string caption) {
        if constexpr (std::is_base_of_v<forms::CaptionedControl, T>) {
            if (!caption.empty()) control.setCaption(std::move(caption));
        }
        return control;
    }
    template <class T> static T& hidden(T& control) {
        control.setVisible(false);
        return control;
    }
    template <class T> static T& disabled(T& control) {
        control.setEnabled(false);
        return control;
    }
    static forms::TextBox& locked(forms::TextBox& box) {
        box.setLocked(true);
        return box;
    }

public:
    frmSysAdmin();
    ~frmSysAdmin() override;

    // ======================================================================
    // Shared state
    // ======================================================================

    // Database paths (full paths).
    std::string PersDbPath, TrustDbPath, CompDbPath;
    std::string PrevYearDbPath, PrevYearCompDbPath;
    std::string StandAlonePersDbPath, StandAloneCompDbPath;
    std::string TransPersDbPath, TransTrustDbPath, TransCompDbPath;

    // Open handles, reused by every operation; each assignment releases what was held.
    engine::DatabasePtr SysDB, ClientDB, ImportDB;
    engine::RecordsetPtr MainRS, SecondRS, ThirdRS, DetailRS;

    // Previous-year listing: element k+1 belongs to list row k.
    std::vector<runtime::Variant> PrevYearClientNos, PrevYearClientNames, PrevYearClientRefs,
        PrevYearClientDescs;
    std::int16_t PrevYearSelected = 0;
    double SelectedPersNo = 0, SelectedTrustNo = 0, SelectedCompNo = 0;
    runtime::Variant ImportCount;

    // "PI" individuals, "TI" trusts, "CI" companies; compared without regard to case.
    std::string ImportKind = "PI";

    // Window flags.
    bool NetworkProblem = false;
    bool UsersLoggedOn = false;

    // User list.
    std::int16_t UserEditMode = 0, UserPicked = 0, SelectedUserIndex = 0, UserCount = 0;
    std::string SelectedLoggedOnUser;
    // Every refill of List1 runs this: the entries that a pick or a name being added or
    // edited referred to are gone, so nothing stays picked and the entry ends.
    void forgetUserListEntry();

    // The shared message box: fill the first three, ShowMsg keeps the answer.
    std::string MsgText;
    runtime::Variant MsgStyle;
    std::string MsgTitle;
    runtime::Variant MsgHelpFile, MsgHelpContext, MsgResponse;
    runtime::Variant NullProbe;

    // Shows MsgText / MsgStyle / MsgTitle and keeps the answer in MsgResponse.
    int ShowMsg();
    // Sets the three message fields, then ShowMsg.
    int Ask(std::string text, int style, std::string title);

    // ======================================================================
    // Start-up and database locations (app/)
    // ======================================================================

    // Events.
    void Form_Load();
    void Form_Unload(int& Cancel);
    void cmdOk_Click();
    void cmdLocateSystemDB_Click();
    void txtUserMainDB_Change();
    void cmdLocateClientDB_Click();

    // Private operations of the load and the locating.
    void MakeHeadFootRow();
    // Returns false when a table could not be brought over (the version is then not
    // raised); the first failure is in `failure`.
    bool UpdatePensionTotals(runtime::PendingError& failure);
    void LocateSystemDbFile(runtime::PendingError& err);
    // True when a file was chosen.
    bool LocatePersDbFile(runtime::PendingError& err);

    // The folder of the program file.
    std::string programFolder() const;

    // ======================================================================
    // Controls, in layout order. The file-name labels of lblLabels and the inner tab
    // captions are given their texts by the Load event.
    // ======================================================================

    forms::SSIndexTab& SSIndexTab1 = make<forms::SSIndexTab>(*this, "SSIndexTab1");

    // ---------------- Page 0: database locations and users ----------------
    forms::TabPage& page0 = SSIndexTab1.addTab("Database Location && User Setup");

    // Start-up and database locations: the system database.
    forms::Frame& Frame2 = make<forms::Frame>(page0, "Frame2", "System Admin Database location :");
    forms::TextBox& txtUserMainDB = locked(make<forms::TextBox>(Frame2, "txtUserMainDB"));
    forms::Label& lblLabels_0 = make<forms::Label>(Frame2, "lblLabels", 0, "");
    forms::Label& lblLabels_17 = make<forms::Label>(Frame2, "lblLabels", 17, "DB Ver. No.");
    forms::TextBox& txtQolbSysAdminDBVersion =
        locked(make<forms::TextBox>(Frame2, "txtQolbSysAdminDBVersion"));
    forms::CommandButton& cmdLocateSystemDB =
        make<forms::CommandButton>(Frame2, "cmdLocateSystemDB", "&Locate System Admin Database");

    // Start-up and database locations: the three network client databases.
    forms::Frame& Frame3 = make<forms::Frame>(page0, "Frame3", "Master Client Database location :");
    forms::Label& lblLabels_9 = make<forms::Label>(Frame3, "lblLabels", 9, "Personal database");
    forms::Label& lblLabels_11 = make<forms::Label>(Frame3, "lblLabels", 11, "");
    forms::TextBox& txtQolbDB = locked(make<forms::TextBox>(Frame3, "txtQolbDB"));
    forms::Label& lblLabels_4 = make<forms::Label>(Frame3, "lblLabels", 4, "Trust database");
    forms::Label& lblLabels_3 = make<forms::Label>(Frame3, "lblLabels", 3, "");
    forms::TextBox& txtQolbTrustDB = locked(make<forms::TextBox>(Frame3, "txtQolbTrustDB"));
    forms::Label& lblLabels_10 = make<forms::Label>(Frame3, "lblLabels", 10, "Company database");
    forms::Label& lblLabels_12 = make<forms::Label>(Frame3, "lblLabels", 12, "");
    forms::TextBox& txtQolbCompDB = locked(make<forms::TextBox>(Frame3, "txtQolbCompDB"));
    forms::Label& lblLabels_8 = make<forms::Label>(Frame3, "lblLabels", 8, "DB Ver. No.");
    forms::TextBox& txtQolbDBVersion = locked(make<forms::TextBox>(Frame3, "txtQolbDBVersion"));
    forms::TextBox& txtQolbTrustDBVersion =
        locked(make<forms::TextBox>(Frame3, "txtQolbTrustDBVersion"));
    forms::TextBox& txtQolbCompDBVersion =
        locked(make<forms::TextBox>(Frame3, "txtQolbCompDBVersion"));
    forms::CommandButton& cmdLocateClientDB =
        make<forms::CommandButton>(Frame3, "cmdLocateClientDB", "Locate &Master Client Database");

    // Users, network clearing and backups: the user-name list.
    forms::Frame& Frame4 = make<forms::Frame>(page0, "Frame4", "User Name List :");
    forms::ListBox& List1 = make<forms::ListBox>(Frame4, "List1");
    forms::TextBox& txtUserName = disabled(make<forms::TextBox>(Frame4, "txtUserName"));
    forms::CommandButton& cmdAddNew =
        make<forms::CommandButton>(Frame4, "cmdAddNew", "&Add UserName");
    forms::CommandButton& cmdEdit = make<forms::CommandButton>(Frame4, "cmdEdit", "&Edit UserName");
    forms::CommandButton& cmdDelete =
        make<forms::CommandButton>(Frame4, "cmdDelete", "&Delete UserName");
    forms::CommandButton& cmdUpdate =
        disabled(make<forms::CommandButton>(Frame4, "cmdUpdate", "&Update"));
    forms::Frame& Frame1 = hidden(make<forms::Frame>(page0, "Frame1"));
    forms::Label& lblUsersLoggedOnNotice =
        make<forms::Label>(Frame1, "lblUsersLoggedOnNotice",
                           "There are currently users logged on.  The username list can only "
                           "be edited when there are no user's logged on.");

    // Users, network clearing and backups: backup and restore.
    forms::Frame& Frame11 = make<forms::Frame>(page0, "Frame11", "BackUp && Restore Databases");
    forms::CommandButton& cmdBackUp =
        make<forms::CommandButton>(Frame11, "cmdBackUp", "&BackUp Databases");
    forms::CommandButton& cmdRestore =
        make<forms::CommandButton>(Frame11, "cmdRestore", "&Restore Databases");
    forms::Animation& Animation2 = hidden(make<forms::Animation>(page0, "Animation2"));

    // ---------------- Page 1: restoring after a network failure ----------------
    forms::TabPage& page1 = SSIndexTab1.addTab("Restoring after Network Failure");

    // Users, network clearing and backups: logged-on users and open records.
    forms::Frame& Frame5 =
        make<forms::Frame>(page1, "Frame5", "Users Currently Shown AS Logged on.");
    forms::ListBox& lstUsersLoggedOn = make<forms::ListBox>(Frame5, "lstUsersLoggedOn");
    forms::Frame& Frame6 = make<forms::Frame>(
        page1, "Frame6",
        "View of Personal Database showing Username that is listed with open Assessments");
    forms::ListBox& lstPersDataOpen = make<forms::ListBox>(Frame6, "lstPersDataOpen");
    forms::Frame& Frame7 = make<forms::Frame>(
        page1, "Frame7",
        "View of Trust Database showing Username that is listed with open Assessments");
    forms::ListBox& lstTrustDataOpen = make<forms::ListBox>(Frame7, "lstTrustDataOpen");
    forms::Frame& Frame8 = make<forms::Frame>(
        page1, "Frame8",
        "View of Company Database showing Username that is listed with open Assessments");
    forms::ListBox& lstCompDataOpen = make<forms::ListBox>(Frame8, "lstCompDataOpen");
    forms::CommandButton& cmdClearSelectedUser = disabled(make<forms::CommandButton>(
        page1, "cmdClearSelectedUser",
        "Clear Selected Logged on User && Close open Assessments associated with this user."));
    forms::CommandButton& cmdClearUsers = make<forms::CommandButton>(
        page1, "cmdClearUsers", "Clear All Logged on Users && Close all open Assessments");

    // ---------------- Page 2: importing databases ----------------
    forms::TabPage& page2 = SSIndexTab1.addTab("Importing Databases");
    forms::SSIndexTab& SSIndexTab2 = make<forms::SSIndexTab>(page2, "SSIndexTab2");

    // Inner page 0, import from the stand-alone edition: the network side.
    forms::TabPage& page2Inner0 = SSIndexTab2.addTab("");
    forms::Frame& Frame9 =
        make<forms::Frame>(page2Inner0, "Frame9", "Master Client Database location :");
    forms::Label& lblLabels_14 = make<forms::Label>(Frame9, "lblLabels", 14, "Personal database");
    forms::Label& lblLabels_13 = make<forms::Label>(Frame9, "lblLabels", 13, "");
    forms::TextBox& txtQolbDBImport = locked(make<forms::TextBox>(Frame9, "txtQolbDBImport"));
    forms::Label& lblLabels_15 = make<forms::Label>(Frame9, "lblLabels", 15, "Trust database");
    forms::Label& lblLabels_6 = make<forms::Label>(Frame9, "lblLabels", 6, "");
    forms::TextBox& txtQolbTrustDBImport =
        locked(make<forms::TextBox>(Frame9, "txtQolbTrustDBImport"));
    forms::Label& lblLabels_16 = make<forms::Label>(Frame9, "lblLabels", 16, "Company database");
    forms::Label& lblLabels_7 = make<forms::Label>(Frame9, "lblLabels", 7, "");
    forms::TextBox& txtQolbCompDBImport =
        locked(make<forms::TextBox>(Frame9, "txtQolbCompDBImport"));
    forms::Label& lblLabels_5 = make<forms::Label>(Frame9, "lblLabels", 5, "DB Ver. No.");
    forms::TextBox& txtQolbDBVersionImport =
        locked(make<forms::TextBox>(Frame9, "txtQolbDBVersionImport"));
    forms::TextBox& txtQolbTrustDBVersionImport =
        locked(make<forms::TextBox>(Frame9, "txtQolbTrustDBVersionImport"));
    forms::TextBox& txtQolbCompDBVersionImport =
        locked(make<forms::TextBox>(Frame9, "txtQolbCompDBVersionImport"));

    // Import from the stand-alone edition: the source side.
    forms::Frame& Frame10 =
        make<forms::Frame>(page2Inner0, "Frame10", "Client Database location :");
    forms::Label& lblLabels_1 =
        make<forms::Label>(Frame10, "lblLabels", 1, "Personal, Trust database");
    forms::Label& lblLabels_20 = make<forms::Label>(Frame10, "lblLabels", 20, "");
    forms::TextBox& txtQolbDBImportSource =
        locked(make<forms::TextBox>(Frame10, "txtQolbDBImportSource"));
    forms::Label& lblLabels_2 = make<forms::Label>(Frame10, "lblLabels", 2, "Company database");
    forms::Label& lblLabels_19 = make<forms::Label>(Frame10, "lblLabels", 19, "");
    forms::TextBox& txtQolbCompDBImportSource =
        locked(make<forms::TextBox>(Frame10, "txtQolbCompDBImportSource"));
    forms::Label& lblLabels_18 = make<forms::Label>(Frame10, "lblLabels", 18, "DB Ver. No.");
    forms::TextBox& txtQolbDBVersionImportSource =
        locked(make<forms::TextBox>(Frame10, "txtQolbDBVersionImportSource"));
    forms::TextBox& txtQolbCompDBVersionImportSoure =
        locked(make<forms::TextBox>(Frame10, "txtQolbCompDBVersionImportSoure"));
    forms::CommandButton& cmdLocateImportDBs = make<forms::CommandButton>(
        Frame10, "cmdLocateImportDBs", "Locate Client Database's to be imported to Masters");
    forms::CommandButton& cmdImportNow = make<forms::CommandButton>(
        page2Inner0, "cmdImportNow", "Import Selected Client Database's Now");
    forms::Animation& Animation1 = hidden(make<forms::Animation>(page2Inner0, "Animation1"));

    // Inner page 1, previous-year import: the notice shown until Continue.
    forms::TabPage& page2Inner1 = SSIndexTab2.addTab("");
    forms::Frame& Frame13 = make<forms::Frame>(page2Inner1, "Frame13");
    forms::Label& Label5_0 = make<forms::Label>(
        Frame13, "Label5", 0,
        "Clicking on the Continue button will NOT automatically start the importing process!!");
    forms::Label& Label5_1 = make<forms::Label>(
        Frame13, "Label5", 1,
        "PLEASE ENSURE THAT YOU ARE IMPORTING DATA FROM THE LATEST VERSION OF  ");
    forms::Label& Label5_3 = make<forms::Label>(Frame13, "Label5", 3, "QUOLBY20??.");
    forms::Label& Label5_2 = make<forms::Label>(Frame13, "Label5", 2, "DO YOU WANT TO CONTINUE?");
    forms::CommandButton& cmdContinueImport =
        make<forms::CommandButton>(Frame13, "cmdContinueImport", "Con&tinue");

    // Previous-year import: kind, source and selection.
    forms::OptionButton& optWhichDBImport_0 =
        make<forms::OptionButton>(page2Inner1, "optWhichDBImport", 0, "Personal");
    forms::OptionButton& optWhichDBImport_1 =
        make<forms::OptionButton>(page2Inner1, "optWhichDBImport", 1, "Trusts");
    forms::OptionButton& optWhichDBImport_2 =
        make<forms::OptionButton>(page2Inner1, "optWhichDBImport", 2, "Company");
    forms::CommandButton& cmdLocateDB =
        make<forms::CommandButton>(page2Inner1, "cmdLocateDB", "&Locate Database");
    forms::ListBox& lstPrevYear = make<forms::ListBox>(page2Inner1, "lstPrevYear");
    forms::Frame& frmPersImport = make<forms::Frame>(page2Inner1, "frmPersImport");
    forms::Label& lblPersImport_0 =
        make<forms::Label>(frmPersImport, "lblPersImport", 0, "Initials && surname    :");
    forms::TextBox& Text1 = locked(make<forms::TextBox>(frmPersImport, "Text1"));
    forms::Label& lblPersImport_1 =
        make<forms::Label>(frmPersImport, "lblPersImport", 1, "Reference Number  :");
    forms::TextBox& Text2 = locked(make<forms::TextBox>(frmPersImport, "Text2"));
    forms::Label& lblPersImport_2 =
        make<forms::Label>(frmPersImport, "lblPersImport", 2, "Description             :");
    forms::TextBox& Text3 = locked(make<forms::TextBox>(frmPersImport, "Text3"));
    forms::Frame& fraTrustImport = make<forms::Frame>(page2Inner1, "fraTrustImport");
    forms::Label& lblTrustImport_0 =
        make<forms::Label>(fraTrustImport, "lblTrustImport", 0, "Trust Name     ");
    forms::TextBox& Text8 = locked(make<forms::TextBox>(fraTrustImport, "Text8"));
    forms::Label& lblTrustImport_1 =
        make<forms::Label>(fraTrustImport, "lblTrustImport", 1, "Trust Reg No.");
    forms::TextBox& Text7 = locked(make<forms::TextBox>(fraTrustImport, "Text7"));
    forms::Label& lblTrustImport_2 =
        make<forms::Label>(fraTrustImport, "lblTrustImport", 2, "Tax No.");
    forms::TextBox& Text6 = locked(make<forms::TextBox>(fraTrustImport, "Text6"));
    forms::Frame& fraCompImport = make<forms::Frame>(page2Inner1, "fraCompImport");
    forms::Label& lblCompImport_0 =
        make<forms::Label>(fraCompImport, "lblCompImport", 0, "Registered name :");
    forms::TextBox& Text5 = locked(make<forms::TextBox>(fraCompImport, "Text5"));
    forms::Label& lblCompImport_1 =
        make<forms::Label>(fraCompImport, "lblCompImport", 1, "Company tax no. :");
    forms::TextBox& Text4 = locked(make<forms::TextBox>(fraCompImport, "Text4"));
    forms::CommandButton& cmdImpSelAss = disabled(
        make<forms::CommandButton>(page2Inner1, "cmdImpSelAss", "&Import a selected assessment"));
    forms::CommandButton& cmdImpWholeDB = disabled(
        make<forms::CommandButton>(page2Inner1, "cmdImpWholeDB", "&Import Complete Database"));
    forms::Label& Label4 = make<forms::Label>(
        page2Inner1, "Label4",
        "Importing the complete database from the previous year means that all the "
        "assessment/data in the previous year database will be ADDED to the assessments "
        "already existing in this current database.  It follows that, if you execute this "
        "procedure more than once then you will have duplicates, or even triplicates, of all "
        "assessments in this current database.  See \"Importing previous years' data\" in the "
        "Help contents.");
    forms::Frame& fraProgressBar = hidden(make<forms::Frame>(page2Inner1, "fraProgressBar"));
    forms::HScrollBar& HScroll2 = make<forms::HScrollBar>(fraProgressBar, "HScroll2");
    forms::Label& lblProgressScale =
        make<forms::Label>(fraProgressBar, "lblProgressScale",
                           "0                 25                 50                 75"
                           "                 100");

    // ---------------- Outside the tab pages ----------------
    forms::CommandButton& cmdOk = make<forms::CommandButton>(*this, "cmdOk", "&OK");
    // Import from the stand-alone edition: its progress frame.
    forms::Frame& Frame12 = hidden(make<forms::Frame>(*this, "Frame12"));
    forms::HScrollBar& HScroll1 = make<forms::HScrollBar>(Frame12, "HScroll1");
    forms::Label& lblImportProgressScale =
        make<forms::Label>(Frame12, "lblImportProgressScale",
                           "0                 25                 50                 75"
                           "                 100");
    forms::CommonDialog& CommonDialog1 = make<forms::CommonDialog>(*this, "CommonDialog1");

    // Control arrays, by Index.
    forms::Label& lblLabels(int index) const { return find<forms::Label>("lblLabels", index); }
    forms::Label& Label5(int index) const { return find<forms::Label>("Label5", index); }
    forms::OptionButton& optWhichDBImport(int index) const {
        return find<forms::OptionButton>("optWhichDBImport", index);
    }

private:
    // The phases of the Load event; each returns false when it ends the event early.
    void setCaptionsAndLabels();
    void setDefaultLocations();
    bool readPathFiles(); // gives ClientPathsDefaulted
    bool probeNetwork(bool clientPathsDefaulted);
    void openClientDatabases();
    void upgradeAndRollForward();
    void openSystemDatabase();
    bool locateSystemDatabase();
    bool locateClientDatabases();
    void finalSetUp();

    // Parts of the phases.
    void createNetworkDatabases();
    // Whether the file was repaired; a failure has been told.
    bool repairNetworkDatabase(const std::string& path);
    void completeRepairedStructures();
    void rollForwardTaxYear(StartupFault& fault);
    void loadUserList(runtime::PendingError& err);
    void setUserListButtons();
    // The locate button's work; true when a file was chosen.
    bool chooseSystemDbFile();
    std::optional<std::string> choosePersDbFile(const std::string& proposed,
                                                runtime::PendingError& err);
    void setPersDbPath(const std::string& path);
    void showClientPaths();
    void showClientVersion();
    void writeClientPathFile();
    void writeSystemPathFile();
    // Refuses, with a message, a path that a path file could not keep.
    bool refuseQuotedPath(const std::string& path);

    void wireEvents();
};

} // namespace app
