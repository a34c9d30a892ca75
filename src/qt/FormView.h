#pragma once

#include "forms/Form.h"
#include "qt/LayoutHints.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace qtui {

class ControlBinding;

// The client area of one window of the model: one widget per control, named after it,
// laid out in the model's order, and kept in step with it both ways. The form must
// outlive the view.
class FormView : public QWidget {
    Q_OBJECT
public:
    explicit FormView(forms::Form& form, LayoutHints hints = {}, QWidget* parent = nullptr);
    ~FormView() override;

    forms::Form& form() const { return form_; }

    // The widget of a control (nullptr when it shows none).
    QWidget* widgetFor(const forms::Control& control) const;
    QWidget* widgetFor(std::string_view fullName) const;

    // Told of every change to the form itself (caption, visibility, loading).
    std::function<void(std::string_view property)> onFormChanged;

private:
    void populate(const forms::Container& container, QWidget* host, const std::string& key,
                  bool fillHeight);
    void changed(forms::Control* control, std::string_view property);

    forms::Form& form_;
    LayoutHints hints_;
    std::unordered_map<const forms::Control*, std::unique_ptr<ControlBinding>> bindings_;
    int subscription_ = 0;
};

} // namespace qtui
