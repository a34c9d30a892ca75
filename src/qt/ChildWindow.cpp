#include "qt/ChildWindow.h"

#include "qt/FormView.h"

#include <QCloseEvent>
#include <QScrollArea>

namespace qtui {

ChildWindow::ChildWindow(forms::Form& form, LayoutHints hints, QWidget* parent)
    : QMdiSubWindow(parent), form_(form) {
    setObjectName(QString::fromStdString(form.Name()));
    setAttribute(Qt::WA_DeleteOnClose, false); // the form decides when it goes
    // A screen too small for the window scrolls it instead of cutting it off.
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    view_ = new FormView(form, std::move(hints));
    scroll->setWidget(view_);
    setWidget(scroll);
    view_->onFormChanged = [this](std::string_view property) { formChanged(property); };
    setWindowTitle(QString::fromStdString(form_.Caption()));
    QMdiSubWindow::setVisible(false);
}

void ChildWindow::formChanged(std::string_view property) {
    if (property == forms::prop::Caption) {
        setWindowTitle(QString::fromStdString(form_.Caption()));
    } else if (property == forms::prop::Visible || property == forms::prop::Loaded) {
        if (form_.isLoaded() && form_.Visible())
            showMaximized();
        else
            hide();
    }
}

void ChildWindow::closeEvent(QCloseEvent* event) {
    // Closing by code went through the form already; a close box asks it now.
    if (form_.isLoaded() && !form_.userClose()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

} // namespace qtui
