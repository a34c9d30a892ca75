#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace qtui {

// What the generic layout cannot guess from the window model. Controls are named by
// their full names ("txtQolbDBVersion", "lblLabels(8)"); containers by a frame's or
// picture box's name, "<strip>:<page>" for a tab page ("SSIndexTab1:0"), or the form's
// name for the form itself.
struct LayoutHints {
    // Sibling controls that share one place; the one the code brings to the front shows.
    std::vector<std::vector<std::string>> overlaps;
    // Controls that, while visible, are all their container shows: a notice that must be
    // read (and dismissed) before the rest of the page.
    std::set<std::string> covers;
    // Text boxes kept short: they hold a number, not a path.
    std::set<std::string> narrow;
    // Labels that are the marks of a scale under a bar: they span the bar's width.
    std::set<std::string> scales;
    // Frames, lists and other blocks flow down one column; a block named here starts a
    // new column to the right of the last.
    std::set<std::string> newColumn;
    // How a column shares the width with the others (1 unless named here), by the name
    // of its first block.
    std::map<std::string, int> columnStretch;
    // Labels and boxes of a container placed in these rows (by name, "" for an empty
    // cell) instead of the order of the model. The grid stands where its first control
    // would; controls it does not name flow as usual.
    std::map<std::string, std::vector<std::vector<std::string>>> fieldGrids;
};

} // namespace qtui
