#pragma once

#include "forms/Control.h"

#include <QPointer>
#include <QWidget>
#include <vector>

namespace qtui {

// Controls that lie on top of one another in one place (the import page's three detail
// frames). Of those the model shows, the one brought to the front last is visible; when
// none was brought to the front, the first of them. An optional backdrop (the rest of a
// page under a notice) shows only while no member does.
class OverlapGroup {
public:
    void add(forms::Control& control, QWidget* widget);
    void setBackdrop(QWidget* backdrop) { backdrop_ = backdrop; }
    void refresh();
    bool contains(const forms::Control& control) const;

private:
    struct Member {
        forms::Control* control;
        QPointer<QWidget> widget;
    };
    std::vector<Member> members_;
    QPointer<QWidget> backdrop_;
};

} // namespace qtui
