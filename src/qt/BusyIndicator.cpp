#include "qt/BusyIndicator.h"

#include <QPainter>
#include <algorithm>

namespace qtui {

BusyIndicator::BusyIndicator(QWidget* parent) : QWidget(parent) {
    // Its place is kept while it is hidden: showing it while files are copied must not
    // move the list and buttons beside it.
    QSizePolicy policy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    policy.setRetainSizeWhenHidden(true);
    setSizePolicy(policy);
    timer_.setInterval(80);
    connect(&timer_, &QTimer::timeout, this, [this] {
        ++frame_;
        update();
    });
}

void BusyIndicator::start() {
    if (!timer_.isActive()) timer_.start();
    update();
}

void BusyIndicator::stop() {
    timer_.stop();
    update();
}

void BusyIndicator::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height());
    p.translate(width() / 2.0, height() / 2.0);
    p.scale(side / 48.0, side / 48.0);
    QColor colour = palette().color(QPalette::WindowText);
    const int lead = frame_ % kSpokes;
    for (int i = 0; i < kSpokes; ++i) {
        // The spoke at the lead is darkest; the others fade behind it. At rest all are faint.
        const int behind = (lead - i + kSpokes) % kSpokes;
        colour.setAlphaF(isAnimating() ? 1.0 - 0.8 * behind / kSpokes : 0.15);
        p.setPen(QPen(colour, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(0, -10, 0, -20);
        p.rotate(360.0 / kSpokes);
    }
}

} // namespace qtui
