#include "qt/ScaleLabel.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <algorithm>

namespace qtui {

namespace {

class ScalePainter : public QObject {
public:
    explicit ScalePainter(QLabel& label) : QObject(&label), label_(label) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &label_ || event->type() != QEvent::Paint) return false;
        paint();
        return true; // the label's own drawing would put the marks at its left only
    }

private:
    void paint() {
        const QStringList marks = label_.text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (marks.isEmpty()) return;
        QPainter p(&label_);
        p.setPen(label_.palette().color(label_.isEnabled() ? QPalette::Active : QPalette::Disabled,
                                        QPalette::WindowText));
        const QRect area = label_.contentsRect();
        const QFontMetrics fm = label_.fontMetrics();
        const int last = static_cast<int>(marks.size()) - 1;
        for (int i = 0; i <= last; ++i) {
            const int width = fm.horizontalAdvance(marks[i]);
            const int centre = last == 0 ? area.left() : area.left() + area.width() * i / last;
            const int left = std::clamp(centre - width / 2, area.left(), area.right() - width);
            p.drawText(QRect(left, area.top(), width, area.height()),
                       Qt::AlignLeft | Qt::AlignVCenter, marks[i]);
        }
    }

    QLabel& label_;
};

} // namespace

void drawAsScale(QLabel& label) {
    label.installEventFilter(new ScalePainter(label));
}

} // namespace qtui
