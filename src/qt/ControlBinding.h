#pragma once

#include "forms/Control.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string_view>
#include <vector>

namespace qtui {

class OverlapGroup;

// Keeps one control of the model and its widget in step: every change the model reports
// is shown on the widget (apply), and what the user does with the widget goes into the
// model through the control's user-action methods. Subclasses handle one kind each.
class ControlBinding {
public:
    ControlBinding(forms::Control& control, QWidget* widget);
    virtual ~ControlBinding();
    ControlBinding(const ControlBinding&) = delete;
    ControlBinding& operator=(const ControlBinding&) = delete;

    forms::Control& control() const { return control_; }
    // nullptr for a control that shows nothing (the common dialog).
    QWidget* widget() const { return widget_; }

    // Shows a change the model reported for `property` (a forms::prop name).
    void apply(std::string_view property);
    // Shows every property; run once the widget has its place.
    void applyAll();

    // Controls that share one place: visibility is decided for the whole group.
    void setOverlapGroup(std::shared_ptr<OverlapGroup> group) { group_ = std::move(group); }

protected:
    virtual void applyOwn(std::string_view property) = 0;
    virtual void applyAllOwn() = 0;

    // Connects a widget signal for as long as this binding lives.
    template <class Sender, class Signal, class Slot>
    void listen(Sender* sender, Signal signal, Slot slot) {
        connections_.push_back(QObject::connect(sender, signal, widget_, std::move(slot)));
    }

private:
    void applyVisible();

    forms::Control& control_;
    QPointer<QWidget> widget_;
    std::vector<QMetaObject::Connection> connections_;
    std::shared_ptr<OverlapGroup> group_;
};

// Makes the widget of `control` as a child of `parent`, and its binding.
std::unique_ptr<ControlBinding> makeBinding(forms::Control& control, QWidget* parent);

} // namespace qtui
