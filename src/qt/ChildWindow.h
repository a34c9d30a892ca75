#pragma once

#include "forms/Form.h"
#include "qt/LayoutHints.h"

#include <QMdiSubWindow>

namespace qtui {

class FormView;

// A child window of the frame (the administration window): shown, captioned, closed
// and unloaded as its form says. Its close box asks the form, which may refuse.
class ChildWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit ChildWindow(forms::Form& form, LayoutHints hints = {}, QWidget* parent = nullptr);

    forms::Form& form() const { return form_; }
    FormView* view() const { return view_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void formChanged(std::string_view property);

    forms::Form& form_;
    FormView* view_;
};

} // namespace qtui
