#include "qt/TabPageKeys.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>

namespace qtui {

namespace {

QTabWidget* stripHolding(QWidget* w) {
    for (; w; w = w->parentWidget())
        if (auto* strip = qobject_cast<QTabWidget*>(w)) return strip;
    return nullptr;
}

QTabWidget* firstShownStrip(QWidget* root) {
    if (!root) return nullptr;
    for (QTabWidget* strip : root->findChildren<QTabWidget*>())
        if (strip->isVisible()) return strip;
    return nullptr;
}

QTabWidget* currentStrip(QMdiArea* area) {
    if (QTabWidget* strip = stripHolding(QApplication::focusWidget())) return strip;
    return firstShownStrip(area->currentSubWindow());
}

} // namespace

void turnPage(QTabWidget& strip, int step) {
    const int count = strip.count();
    for (int i = 1; i < count; ++i) {
        const int index = ((strip.currentIndex() + step * i) % count + count) % count;
        if (!strip.isTabEnabled(index)) continue;
        strip.setCurrentIndex(index);
        break;
    }
    strip.tabBar()->setFocus(Qt::TabFocusReason);
}

void addTabPageKeys(QWidget* window, QMdiArea* area) {
    const auto bind = [window, area](QKeySequence keys, int step) {
        auto* shortcut = new QShortcut(keys, window);
        const auto turn = [area, step] {
            if (QTabWidget* strip = currentStrip(area)) turnPage(*strip, step);
        };
        // Shift+Tab arrives as Backtab or as Tab with Shift, by keyboard and platform;
        // where both of its forms match, each press reaches one shortcut as ambiguous.
        QObject::connect(shortcut, &QShortcut::activated, window, turn);
        QObject::connect(shortcut, &QShortcut::activatedAmbiguously, window, turn);
    };
    bind(QKeySequence(Qt::CTRL | Qt::Key_Tab), 1);
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1);
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1);
}

} // namespace qtui
