#include "qt/FrameWindow.h"

#include "qt/ChildWindow.h"
#include "qt/FormView.h"
#include "qt/TabPageKeys.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

namespace qtui {

FrameWindow::FrameWindow(forms::Form& frame, LayoutHints hints, QWidget* parent)
    : QMainWindow(parent), form_(frame) {
    setObjectName(QString::fromStdString(frame.Name()));
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    area_ = new QMdiArea;
    layout->addWidget(area_, 1);
    view_ = new FormView(frame, std::move(hints));
    // The frame's own controls form a strip: no room is given to its empty rest.
    view_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    layout->addWidget(view_);
    setCentralWidget(central);
    view_->onFormChanged = [this](std::string_view property) { formChanged(property); };
    setWindowTitle(QString::fromStdString(form_.Caption()));
    addTabPageKeys(this, area_);

    // 1024 x 768, or the whole screen when it is smaller.
    QSize size(1024, 768);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize());
    resize(size);
}

ChildWindow* FrameWindow::addChild(forms::Form& child, LayoutHints hints) {
    auto* window = new ChildWindow(child, std::move(hints));
    area_->addSubWindow(window);
    window->setVisible(child.isLoaded() && child.Visible());
    return window;
}

void FrameWindow::formChanged(std::string_view property) {
    if (property == forms::prop::Caption) {
        setWindowTitle(QString::fromStdString(form_.Caption()));
    } else if (property == forms::prop::Visible) {
        setVisible(form_.isLoaded() && form_.Visible());
    } else if (property == forms::prop::Loaded && !form_.isLoaded()) {
        unloadedByForm_ = true;
        close();
        emit unloaded();
    }
}

QRect frameWithin(const QRect& frame, const QRect& available) {
    const QSize size = frame.size().boundedTo(available.size());
    const int x = std::clamp(frame.x(), available.left(), available.right() - size.width() + 1);
    const int y = std::clamp(frame.y(), available.top(), available.bottom() - size.height() + 1);
    return {QPoint(x, y), size};
}

void FrameWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (fitted_) return;
    fitToScreen();
    // The border and title bar are known for sure once the window system exposes the
    // window; it is fitted again then.
    if (QWindow* handle = windowHandle()) handle->installEventFilter(this);
}

bool FrameWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && watched == windowHandle() &&
        windowHandle()->isExposed()) {
        fitted_ = true;
        windowHandle()->removeEventFilter(this);
        fitToScreen();
    }
    return QMainWindow::eventFilter(watched, event);
}

void FrameWindow::fitToScreen() {
    const QScreen* shownOn = screen();
    if (!shownOn || isMaximized() || isFullScreen()) return;
    const QRect frame = frameGeometry();
    const QRect fitted = frameWithin(frame, shownOn->availableGeometry());
    if (fitted == frame) return;
    const QRect inner = geometry();
    const QMargins border(inner.left() - frame.left(), inner.top() - frame.top(),
                          frame.right() - inner.right(), frame.bottom() - inner.bottom());
    resize(fitted.size().shrunkBy(border));
    move(fitted.topLeft()); // a window's position is that of its outer rectangle
}

void FrameWindow::closeEvent(QCloseEvent* event) {
    if (!unloadedByForm_ && form_.isLoaded() && !form_.userClose()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

} // namespace qtui
