#include "forms/Animation.h"
#include "forms/HScrollBar.h"
#include "qt/Bindings.h"
#include "qt/BusyIndicator.h"

#include <QProgressBar>
#include <algorithm>

namespace qtui {

ProgressBinding::ProgressBinding(forms::HScrollBar& bar, QWidget* parent)
    : ControlBinding(bar, new QProgressBar(parent)), bar_(bar),
      widget_(static_cast<QProgressBar*>(widget())) {
    widget_->setTextVisible(false); // the scale label beneath it gives the percentages
}

void ProgressBinding::showRange() {
    // A scroll bar may run backwards (Min above Max); a progress bar cannot.
    widget_->setInvertedAppearance(bar_.Min() > bar_.Max());
    widget_->setRange(std::min(bar_.Min(), bar_.Max()), std::max(bar_.Min(), bar_.Max()));
}

void ProgressBinding::applyOwn(std::string_view property) {
    if (property == forms::prop::Min || property == forms::prop::Max) {
        showRange();
        widget_->setValue(bar_.Value());
    } else if (property == forms::prop::Value) {
        widget_->setValue(bar_.Value());
        // The imports set the value record by record without letting events through;
        // the bar must move on screen all the same.
        widget_->repaint();
    }
}

void ProgressBinding::applyAllOwn() {
    showRange();
    widget_->setValue(bar_.Value());
}

AnimationBinding::AnimationBinding(forms::Animation& animation, QWidget* parent)
    : ControlBinding(animation, new BusyIndicator(parent)), animation_(animation),
      widget_(static_cast<BusyIndicator*>(widget())) {}

void AnimationBinding::applyOwn(std::string_view property) {
    if (property != forms::prop::Playing) return;
    if (animation_.isPlaying())
        widget_->start();
    else
        widget_->stop();
}

void AnimationBinding::applyAllOwn() {
    applyOwn(forms::prop::Playing);
}

} // namespace qtui
