#pragma once

#include <QLineEdit>

namespace qtui {

// A line edit that, while read-only and without the focus, shows a text too long for it
// (a path) elided in the middle, so that both the folder's start and the file name stay
// readable; the whole text is then its tooltip. text() is always the whole text, and
// with the focus it scrolls as any line edit does.
class ElidingLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit ElidingLineEdit(QWidget* parent = nullptr);

    bool elides() const;
    // What the box shows: the text, or its elided form.
    QString shownText() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QRect textRect() const;
    void refresh();
};

} // namespace qtui
