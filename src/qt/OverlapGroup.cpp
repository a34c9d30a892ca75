#include "qt/OverlapGroup.h"

namespace qtui {

void OverlapGroup::add(forms::Control& control, QWidget* widget) {
    members_.push_back({&control, widget});
}

bool OverlapGroup::contains(const forms::Control& control) const {
    for (const Member& m : members_)
        if (m.control == &control) return true;
    return false;
}

void OverlapGroup::refresh() {
    const Member* front = nullptr;
    for (const Member& m : members_)
        if (m.control->Visible() &&
            (!front || m.control->zOrderStamp() > front->control->zOrderStamp()))
            front = &m;
    for (const Member& m : members_)
        if (m.widget) m.widget->setVisible(&m == front);
    if (backdrop_) backdrop_->setVisible(front == nullptr);
}

} // namespace qtui
