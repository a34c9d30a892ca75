#pragma once

#include <QTimer>
#include <QWidget>

namespace qtui {

// The busy animation: a ring of spokes that turns while work runs. Drawn by the program
// itself, so it needs no media file.
class BusyIndicator : public QWidget {
    Q_OBJECT
public:
    explicit BusyIndicator(QWidget* parent = nullptr);

    void start();
    void stop();
    bool isAnimating() const { return timer_.isActive(); }
    // Advances with every tick; tests read it to see the animation move.
    int frame() const { return frame_; }

    QSize sizeHint() const override { return {48, 48}; }
    QSize minimumSizeHint() const override { return {32, 32}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int kSpokes = 12;
    QTimer timer_;
    int frame_ = 0;
};

} // namespace qtui
