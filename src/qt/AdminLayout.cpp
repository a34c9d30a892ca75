#include "qt/AdminLayout.h"

namespace qtui {

LayoutHints adminWindowLayout() {
    LayoutHints h;
    h.overlaps = {{"frmPersImport", "fraTrustImport", "fraCompImport"}};
    h.covers = {"Frame13"};
    h.scales = {"lblProgressScale", "lblImportProgressScale"};
    h.narrow = {"txtQolbSysAdminDBVersion",       "txtQolbDBVersion",
                "txtQolbTrustDBVersion",          "txtQolbCompDBVersion",
                "txtQolbDBVersionImport",         "txtQolbTrustDBVersionImport",
                "txtQolbCompDBVersionImport",     "txtQolbDBVersionImportSource",
                "txtQolbCompDBVersionImportSoure"};
    // Page 0: locations on the left, users and backups on the right. Page 1: the
    // logged-on users on the left, the records they hold (long captions) on the right.
    h.newColumn = {"Frame4", "Frame6"};
    h.columnStretch = {{"Frame2", 3}, {"Frame4", 2}, {"Frame5", 2}, {"Frame6", 3}};
    h.fieldGrids = {
        // On the first page the locations share the width with the user list: each
        // file name goes under its path box, which keeps the width for the path.
        {"Frame2",
         {{"", "lblLabels(17)"}, {"txtUserMainDB", "txtQolbSysAdminDBVersion"}, {"lblLabels(0)"}}},
        {"Frame3",
         {{"", "", "lblLabels(8)"},
          {"lblLabels(9)", "txtQolbDB", "txtQolbDBVersion"},
          {"", "lblLabels(11)"},
          {"lblLabels(4)", "txtQolbTrustDB", "txtQolbTrustDBVersion"},
          {"", "lblLabels(3)"},
          {"lblLabels(10)", "txtQolbCompDB", "txtQolbCompDBVersion"},
          {"", "lblLabels(12)"}}},
        {"Frame9",
         {{"", "", "", "lblLabels(5)"},
          {"lblLabels(14)", "txtQolbDBImport", "lblLabels(13)", "txtQolbDBVersionImport"},
          {"lblLabels(15)", "txtQolbTrustDBImport", "lblLabels(6)", "txtQolbTrustDBVersionImport"},
          {"lblLabels(16)", "txtQolbCompDBImport", "lblLabels(7)", "txtQolbCompDBVersionImport"}}},
        {"Frame10",
         {{"", "", "", "lblLabels(18)"},
          {"lblLabels(1)", "txtQolbDBImportSource", "lblLabels(20)",
           "txtQolbDBVersionImportSource"},
          {"lblLabels(2)", "txtQolbCompDBImportSource", "lblLabels(19)",
           "txtQolbCompDBVersionImportSoure"}}},
        // "... FROM THE LATEST VERSION OF  " and "QUOLBY2017." read as one line.
        {"Frame13", {{"Label5(1)", "Label5(3)"}, {"Label5(2)"}}},
    };
    return h;
}

} // namespace qtui
