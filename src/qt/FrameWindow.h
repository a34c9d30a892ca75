#pragma once

#include "forms/Form.h"
#include "qt/LayoutHints.h"

#include <QMainWindow>

class QMdiArea;

namespace qtui {

class ChildWindow;
class FormView;

// The frame window: its own controls (the strip with its button) along its bottom edge,
// and the area that holds its child windows. Its close box unloads its form, which asks
// the child windows first; any of them may keep everything open. It fits the screen's
// free area with its border and title bar, which the window system adds only once the
// window is shown.
class FrameWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit FrameWindow(forms::Form& frame, LayoutHints hints = {}, QWidget* parent = nullptr);

    forms::Form& form() const { return form_; }
    FormView* view() const { return view_; }
    QMdiArea* mdiArea() const { return area_; }

    // Adds the window of a child form (one made a child of this frame's form).
    ChildWindow* addChild(forms::Form& child, LayoutHints hints = {});

signals:
    // The frame's form was unloaded: the program is over.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void formChanged(std::string_view property);
    void fitToScreen();

    forms::Form& form_;
    FormView* view_;
    QMdiArea* area_;
    bool unloadedByForm_ = false;
    bool fitted_ = false;
};

// The place of a window's outer rectangle `frame` moved and, when it is too big, shrunk
// so that it lies within `available`.
QRect frameWithin(const QRect& frame, const QRect& available);

} // namespace qtui
