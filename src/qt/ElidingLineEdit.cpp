#include "qt/ElidingLineEdit.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace qtui {

namespace {

// The room QLineEdit keeps on each side of its text.
constexpr int kSideRoom = 2;

} // namespace

ElidingLineEdit::ElidingLineEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, &ElidingLineEdit::refresh);
}

QRect ElidingLineEdit::textRect() const {
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    return style()
        ->subElementRect(QStyle::SE_LineEditContents, &panel, this)
        .marginsRemoved(textMargins())
        .adjusted(kSideRoom, 0, -kSideRoom, 0);
}

bool ElidingLineEdit::elides() const {
    return isReadOnly() && !hasFocus() &&
           fontMetrics().horizontalAdvance(text()) > textRect().width();
}

QString ElidingLineEdit::shownText() const {
    return elides() ? fontMetrics().elidedText(text(), Qt::ElideMiddle, textRect().width())
                    : text();
}

void ElidingLineEdit::paintEvent(QPaintEvent* event) {
    if (!elides()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(textRect(), Qt::AlignLeft | Qt::AlignVCenter, shownText());
}

void ElidingLineEdit::refresh() {
    setToolTip(elides() ? text() : QString());
    update();
}

void ElidingLineEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    refresh();
}

void ElidingLineEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) refresh();
}

bool ElidingLineEdit::event(QEvent* event) {
    const bool handled = QLineEdit::event(event);
    if (event->type() == QEvent::ReadOnlyChange) refresh();
    return handled;
}

void ElidingLineEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    refresh();
}

void ElidingLineEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    refresh();
}

} // namespace qtui
