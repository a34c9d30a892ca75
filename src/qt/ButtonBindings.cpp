#include "forms/CommandButton.h"
#include "forms/OptionButton.h"
#include "qt/Bindings.h"

#include <QPushButton>
#include <QRadioButton>

namespace qtui {

// Buttons read captions as the platform does: "&OK" marks the access key and "&&" shows
// one ampersand, so the caption goes to Qt unchanged.

CommandButtonBinding::CommandButtonBinding(forms::CommandButton& button, QWidget* parent)
    : ControlBinding(button, new QPushButton(parent)), button_(button),
      widget_(static_cast<QPushButton*>(widget())) {
    widget_->setAutoDefault(false);
    listen(widget_, &QPushButton::clicked, [this] { button_.userClick(); });
}

void CommandButtonBinding::applyOwn(std::string_view property) {
    if (property == forms::prop::Caption)
        widget_->setText(QString::fromStdString(button_.Caption()));
}

void CommandButtonBinding::applyAllOwn() {
    applyOwn(forms::prop::Caption);
}

OptionButtonBinding::OptionButtonBinding(forms::OptionButton& option, QWidget* parent)
    : ControlBinding(option, new QRadioButton(parent)), option_(option),
      widget_(static_cast<QRadioButton*>(widget())) {
    // The model keeps its groups (one per container); Qt must not keep its own.
    widget_->setAutoExclusive(false);
    listen(widget_, &QRadioButton::clicked, [this] {
        option_.userClick();
        // Qt toggled the button on its own; the model has the last word.
        widget_->setChecked(option_.Value());
    });
}

void OptionButtonBinding::applyOwn(std::string_view property) {
    if (property == forms::prop::Caption)
        widget_->setText(QString::fromStdString(option_.Caption()));
    else if (property == forms::prop::Value)
        widget_->setChecked(option_.Value());
}

void OptionButtonBinding::applyAllOwn() {
    applyOwn(forms::prop::Caption);
    applyOwn(forms::prop::Value);
}

} // namespace qtui
