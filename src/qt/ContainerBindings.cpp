#include "forms/Frame.h"
#include "forms/SSIndexTab.h"
#include "qt/Bindings.h"

#include <QFrame>
#include <QGroupBox>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>

namespace qtui {

// Frame and tab captions read '&' as the platform does (access key, "&&" one ampersand),
// so they go to Qt unchanged.

FrameBinding::FrameBinding(forms::Frame& frame, QWidget* parent)
    : ControlBinding(frame, new QGroupBox(parent)), frame_(frame),
      widget_(static_cast<QGroupBox*>(widget())) {}

void FrameBinding::applyOwn(std::string_view property) {
    if (property == forms::prop::Caption)
        widget_->setTitle(QString::fromStdString(frame_.Caption()));
}

void FrameBinding::applyAllOwn() {
    applyOwn(forms::prop::Caption);
}

PictureBoxBinding::PictureBoxBinding(forms::PictureBox& box, QWidget* parent)
    : ControlBinding(box, new QFrame(parent)) {
    static_cast<QFrame*>(widget())->setFrameShape(QFrame::StyledPanel);
}

TabStripBinding::TabStripBinding(forms::SSIndexTab& strip, QWidget* parent)
    : ControlBinding(strip, new QTabWidget(parent)), strip_(strip),
      widget_(static_cast<QTabWidget*>(widget())) {
    widget_->setUsesScrollButtons(false); // every page caption stays readable
    listen(widget_, &QTabWidget::currentChanged, [this](int index) {
        if (index < 0 || index == strip_.Tab()) return;
        // A refused switch (a disabled page or strip) puts the page shown back.
        if (!strip_.userSelectTab(index) || strip_.Tab() != index) {
            const QSignalBlocker block(widget_);
            widget_->setCurrentIndex(strip_.Tab());
        }
    });
}

void TabStripBinding::buildPages(PageBuilder builder) {
    builder_ = std::move(builder);
    addMissingPages();
}

QWidget* TabStripBinding::pageWidget(int index) const {
    return widget_->widget(index);
}

void TabStripBinding::addMissingPages() {
    const QSignalBlocker block(widget_);
    while (widget_->count() < strip_.Tabs()) {
        const int index = widget_->count();
        auto* page = new QWidget;
        page->setObjectName(
            QString::fromStdString(strip_.fullName() + ":" + std::to_string(index)));
        widget_->addTab(page, QString::fromStdString(strip_.TabCaption(index)));
        if (builder_) builder_(strip_.page(index), page);
    }
}

void TabStripBinding::showTabs() {
    const QSignalBlocker block(widget_);
    for (int i = 0; i < widget_->count() && i < strip_.Tabs(); ++i) {
        widget_->setTabText(i, QString::fromStdString(strip_.TabCaption(i)));
        widget_->setTabEnabled(i, strip_.TabEnabled(i));
    }
    if (widget_->currentIndex() != strip_.Tab()) widget_->setCurrentIndex(strip_.Tab());
}

void TabStripBinding::applyOwn(std::string_view property) {
    if (property == forms::prop::Tabs) addMissingPages();
    if (property == forms::prop::Tabs || property == forms::prop::Tab ||
        property == forms::prop::TabCaption || property == forms::prop::TabEnabled)
        showTabs();
}

void TabStripBinding::applyAllOwn() {
    addMissingPages();
    showTabs();
}

} // namespace qtui
