#include "qt/ControlBinding.h"

#include "qt/OverlapGroup.h"

namespace qtui {

ControlBinding::ControlBinding(forms::Control& control, QWidget* widget)
    : control_(control), widget_(widget) {
    if (widget_) widget_->setObjectName(QString::fromStdString(control.fullName()));
}

ControlBinding::~ControlBinding() {
    for (const auto& c : connections_)
        QObject::disconnect(c);
}

void ControlBinding::apply(std::string_view property) {
    if (!widget_) return;
    if (property == forms::prop::Enabled) {
        widget_->setEnabled(control_.Enabled());
    } else if (property == forms::prop::Visible) {
        applyVisible();
    } else if (property == forms::prop::ZOrder) {
        if (group_)
            group_->refresh();
        else
            widget_->raise();
    } else if (property == forms::prop::Focus) {
        widget_->setFocus(Qt::OtherFocusReason);
    } else if (property == forms::prop::Refresh) {
        // Drawn now, not when the event loop next runs: the code asks for it in the
        // middle of long work that lets no events through.
        widget_->repaint();
    } else {
        applyOwn(property);
    }
}

void ControlBinding::applyAll() {
    if (!widget_) return;
    widget_->setEnabled(control_.Enabled());
    applyAllOwn();
    applyVisible();
}

void ControlBinding::applyVisible() {
    if (group_)
        group_->refresh();
    else
        widget_->setVisible(control_.Visible());
}

} // namespace qtui
