#pragma once

class QMdiArea;
class QTabWidget;
class QWidget;

namespace qtui {

// Ctrl+Tab and Ctrl+Shift+Tab turn to the next and the previous page of a tab strip, as
// in every tabbed window of the platform. Without these shortcuts the area of child
// windows takes the keys to switch between its windows. The strip is the innermost one
// that holds the focus or, with the focus outside every strip, the first one shown in
// the active child window.
void addTabPageKeys(QWidget* window, QMdiArea* area);

// Turns `strip` by `step` pages (1 or -1), round the end, past disabled pages, and puts
// the focus on its tabs so that the next key turns the same strip.
void turnPage(QTabWidget& strip, int step);

} // namespace qtui
