#include "qt/MessageBoxStyle.h"

#include "forms/Desktop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

namespace qtui {

namespace {

// Swallows Escape and the close box of a box that must be answered with a button.
class MustAnswerFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            return true;
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

QString shownText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

// Room in a title bar besides the title: the window's icon and up to three buttons.
constexpr int kTitleBarRoom = 160;

// Makes the box wide enough for its whole title: the window system cuts a title that does
// not fit, and some titles differ only after their common start (Adding, Editing). The
// box sizes itself for its text when shown; the strip of buttons spans its width, so a
// minimum width there widens the box. Never wider than the screen.
void keepTitleWhole(QMessageBox& box) {
    auto* buttons = box.findChild<QDialogButtonBox*>();
    if (!buttons) return;
    int wanted = titleBarWidth(box.windowTitle());
    if (const QScreen* screen = box.screen())
        wanted = std::min(wanted, screen->availableGeometry().width());
    const QMargins margins = box.contentsMargins() + box.layout()->contentsMargins();
    buttons->setMinimumWidth(wanted - margins.left() - margins.right());
}

} // namespace

int titleBarWidth(const QString& title) {
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    // Title-bar fonts of window systems run larger than the application's.
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * 1.25);
    else
        font.setPixelSize(font.pixelSize() * 5 / 4);
    return QFontMetrics(font).horizontalAdvance(title) + kTitleBarRoom;
}

QMessageBox::Icon messageBoxIcon(int style) {
    switch (style & 0x70) {
    case forms::vbCritical:
        return QMessageBox::Critical;
    case forms::vbQuestion:
        return QMessageBox::Question;
    case forms::vbExclamation:
        return QMessageBox::Warning;
    case forms::vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButton standardButton(int answer) {
    switch (answer) {
    case forms::vbOK:
        return QMessageBox::Ok;
    case forms::vbCancel:
        return QMessageBox::Cancel;
    case forms::vbAbort:
        return QMessageBox::Abort;
    case forms::vbRetry:
        return QMessageBox::Retry;
    case forms::vbIgnore:
        return QMessageBox::Ignore;
    case forms::vbYes:
        return QMessageBox::Yes;
    case forms::vbNo:
        return QMessageBox::No;
    default:
        return QMessageBox::NoButton;
    }
}

int answerOf(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Ok:
        return forms::vbOK;
    case QMessageBox::Cancel:
        return forms::vbCancel;
    case QMessageBox::Abort:
        return forms::vbAbort;
    case QMessageBox::Retry:
        return forms::vbRetry;
    case QMessageBox::Ignore:
        return forms::vbIgnore;
    case QMessageBox::Yes:
        return forms::vbYes;
    case QMessageBox::No:
        return forms::vbNo;
    default:
        return 0;
    }
}

std::unique_ptr<QMessageBox> makeMessageBox(const std::string& text, int style,
                                            const std::string& title, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setTextFormat(Qt::PlainText);
    box->setText(shownText(text));
    box->setWindowTitle(QString::fromStdString(title));
    box->setIcon(messageBoxIcon(style));
    for (int answer : forms::msgBoxButtons(style)) {
        QPushButton* b = box->addButton(standardButton(answer));
        if (answer == forms::msgBoxDefaultAnswer(style)) box->setDefaultButton(b);
    }
    const int escape = forms::msgBoxEscapeAnswer(style);
    if (escape != 0)
        box->setEscapeButton(box->button(standardButton(escape)));
    else
        box->installEventFilter(new MustAnswerFilter(box.get()));
    keepTitleWhole(*box);
    return box;
}

int answerOf(const QMessageBox& box, int style) {
    if (QAbstractButton* clicked = box.clickedButton()) {
        if (const int answer = answerOf(box.standardButton(clicked))) return answer;
    }
    const int escape = forms::msgBoxEscapeAnswer(style);
    return escape != 0 ? escape : forms::msgBoxDefaultAnswer(style);
}

} // namespace qtui
