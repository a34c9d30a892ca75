#include "forms/Caption.h"
#include "forms/Label.h"
#include "forms/TextBox.h"
#include "qt/Bindings.h"
#include "qt/ContainerLayout.h"
#include "qt/ElidingLineEdit.h"

#include <QLabel>
#include <QLineEdit>

namespace qtui {

LabelBinding::LabelBinding(forms::Label& label, QWidget* parent)
    : ControlBinding(label, new QLabel(parent)), label_(label),
      widget_(static_cast<QLabel*>(widget())) {
    widget_->setTextFormat(Qt::PlainText);
}

bool LabelBinding::hasAccessKey() const {
    const std::string& c = label_.Caption();
    for (std::size_t i = 0; i < c.size(); ++i) {
        if (c[i] != '&') continue;
        if (i + 1 < c.size() && c[i + 1] != '&') return true;
        ++i; // "&&" is a literal ampersand
    }
    return false;
}

void LabelBinding::setBuddyCandidate(QWidget* buddy) {
    buddy_ = buddy;
    showCaption();
}

void LabelBinding::showCaption() {
    const std::string& caption = label_.Caption();
    widget_->setBuddy(hasAccessKey() ? buddy_.data() : nullptr);
    // A QLabel reads '&' only when it has a buddy; otherwise it must get the shown text.
    widget_->setText(
        QString::fromStdString(widget_->buddy() ? caption : forms::displayCaption(caption)));
    widget_->setWordWrap(caption.size() >= kNoticeLength);
}

void LabelBinding::applyOwn(std::string_view property) {
    if (property == forms::prop::Caption) showCaption();
}

void LabelBinding::applyAllOwn() {
    showCaption();
}

TextBoxBinding::TextBoxBinding(forms::TextBox& box, QWidget* parent)
    : ControlBinding(box, new ElidingLineEdit(parent)), box_(box),
      widget_(static_cast<QLineEdit*>(widget())) {
    // textEdited comes from the user only, never from setText.
    listen(widget_, &QLineEdit::textEdited, [this](const QString& text) {
        if (!box_.userSetText(text.toStdString())) showText();
    });
}

void TextBoxBinding::showText() {
    const QString text = QString::fromStdString(box_.Text());
    if (widget_->text() == text) return;
    const int cursor = widget_->cursorPosition();
    widget_->setText(text);
    // While typing the cursor stays put; otherwise a long path shows its beginning.
    widget_->setCursorPosition(widget_->hasFocus() ? std::min<int>(cursor, text.size()) : 0);
}

void TextBoxBinding::applyOwn(std::string_view property) {
    if (property == forms::prop::Text)
        showText();
    else if (property == forms::prop::Locked)
        widget_->setReadOnly(box_.Locked());
}

void TextBoxBinding::applyAllOwn() {
    showText();
    widget_->setReadOnly(box_.Locked());
}

} // namespace qtui
