#include "QtTestSupport.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <gtest/gtest.h>

namespace qtsupport {

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "qt_tests";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
        QApplication::setApplicationDisplayName(QStringLiteral("Test Program"));
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

private:
    QApplication* app_ = nullptr;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

void closeModal(QWidget& w) {
    if (auto* dialog = qobject_cast<QDialog*>(&w))
        dialog->done(0);
    else
        w.close();
}

} // namespace

std::string describeModal(QWidget& w) {
    std::string kind = w.metaObject()->className();
    if (auto* box = qobject_cast<QMessageBox*>(&w))
        return kind + " \"" + box->text().toStdString() + "\"";
    return kind + " \"" + w.windowTitle().toStdString() + "\"";
}

ModalScript::ModalScript() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    timer_.start();
}

ModalScript::~ModalScript() {
    timer_.stop();
    if (!handlers_.empty())
        ADD_FAILURE() << handlers_.size() << " expected modal window(s) never appeared";
}

void ModalScript::expect(std::function<void(QWidget&)> handler) {
    handlers_.push_back(std::move(handler));
}

void ModalScript::failWrongKind(QWidget& w, const char* wanted) {
    ADD_FAILURE() << "expected a " << wanted << ", got " << describeModal(w);
    closeModal(w);
}

void ModalScript::tick() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    if (handlers_.empty()) {
        ADD_FAILURE() << "unexpected modal window: " << describeModal(*modal);
        closeModal(*modal);
        return;
    }
    auto handler = std::move(handlers_.front());
    handlers_.pop_front();
    handler(*modal);
}

bool ModalScript::waitUntilDone(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!handlers_.empty() && clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return handlers_.empty();
}

} // namespace qtsupport
