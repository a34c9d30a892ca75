#pragma once

// The bindings of each kind of control (see ControlBinding).

#include "qt/ControlBinding.h"

#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace forms {
class Animation;
class CommandButton;
class Frame;
class HScrollBar;
class Label;
class ListBox;
class OptionButton;
class PictureBox;
class SSIndexTab;
class TabPage;
class TextBox;
} // namespace forms

namespace qtui {

class BusyIndicator;

class LabelBinding : public ControlBinding {
public:
    LabelBinding(forms::Label& label, QWidget* parent);
    // The widget the label's access key would move the focus to (the next control's).
    // While the caption has an access key the label is its buddy, so that the key works
    // and Qt draws "&&" as one ampersand; otherwise the caption is shown as the platform
    // shows it.
    void setBuddyCandidate(QWidget* buddy);
    // A label whose caption has an access key ("&Name").
    bool hasAccessKey() const;

protected:
    void applyOwn(std::string_view property) override;
    void applyAllOwn() override;

private:
    void showCaption();
    forms::Label& label_;
    QLabel* widget_;
    QPointer<QWidget> buddy_;
};

class TextBoxBinding : public ControlBinding {
public:
    TextBoxBinding(forms::TextBox& box, QWidget* parent);

protected:
    void applyOwn(std::string_view property) override;
    void applyAllOwn() override;

private:
    void showText();
    forms::TextBox& box_;
    QLineEdit* widget_;
};

class CommandButtonBinding : public ControlBinding {
public:
    CommandButtonBinding(forms::CommandButton& button, QWidget* parent);

protected:
    void applyOwn(std::string_view property) override;
    void applyAllOwn() override;

private:
    forms::CommandButton& button_;
    QPushButton* widget_;
};

class OptionButtonBinding : public ControlBinding {
public:
    OptionButtonBinding(forms::OptionButton& option, QWidget* parent);

protected:
    void applyOwn(std::string_view property) override;
    void applyAllOwn() override;

private:
    forms::OptionButton& option_;
    QRadioButton* widget_;
};

class ListBoxBinding : public ControlBinding {
public:
    ListBoxBinding(forms::ListBox& list, QWidget* parent);

protected:
    void applyOwn(std::string_view property) override;
    void applyAllOwn() override;

private:
    void showItems();
    void showSelection();
    void userPicked(int row);
    forms::ListBox& list_;
    QListWidget* widget_;
    // Whether the current mouse press already reached the model as a selection.
    bool pressDelivered_ = false;
    friend class ListPressWatcher;
};

// The scroll bar is the imports' progress display, so it is drawn as a progress bar.
class ProgressBinding : public ControlBinding {
public:
    ProgressBinding(forms::HScrollBar& bar, QWidget* parent);

protected:
    void applyOwn(std::string_view property) override;
    void applyAllOwn() override;

private:
    void showRange();
    forms::HScrollBar& bar_;
    QProgressBar* widget_;
};

class AnimationBinding : public ControlBinding {
public:
    AnimationBinding(forms::Animation& animation, QWidget* parent);

protected:
    void applyOwn(std::string_view property) override;
    void applyAllOwn() override;

private:
    forms::Animation& animation_;
    BusyIndicator* widget_;
};

class FrameBinding : public ControlBinding {
public:
    FrameBinding(forms::Frame& frame, QWidget* parent);

protected:
    void applyOwn(std::string_view property) override;
    void applyAllOwn() override;

private:
    forms::Frame& frame_;
    QGroupBox* widget_;
};

class PictureBoxBinding : public ControlBinding {
public:
    PictureBoxBinding(forms::PictureBox& box, QWidget* parent);

protected:
    void applyOwn(std::string_view) override {}
    void applyAllOwn() override {}
};

// Shows nothing: the common dialog works through the Desktop.
class InvisibleBinding : public ControlBinding {
public:
    explicit InvisibleBinding(forms::Control& control) : ControlBinding(control, nullptr) {}

protected:
    void applyOwn(std::string_view) override {}
    void applyAllOwn() override {}
};

class TabStripBinding : public ControlBinding {
public:
    // Fills the widget of a new page with the page's controls.
    using PageBuilder = std::function<void(forms::TabPage& page, QWidget* pageWidget)>;

    TabStripBinding(forms::SSIndexTab& strip, QWidget* parent);
    // Makes the widgets of the pages the strip has now and of every page added later.
    void buildPages(PageBuilder builder);
    QWidget* pageWidget(int index) const;

protected:
    void applyOwn(std::string_view property) override;
    void applyAllOwn() override;

private:
    void addMissingPages();
    void showTabs();
    forms::SSIndexTab& strip_;
    QTabWidget* widget_;
    PageBuilder builder_;
};

} // namespace qtui
