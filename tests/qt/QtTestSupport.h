#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <string>

// The QApplication every test of this folder runs in (offscreen unless the caller chose
// another platform) and helpers for modal boxes, which block until answered.
namespace qtsupport {

// Answers the modal windows (message boxes, file dialogs) that appear while it lives,
// in order, each with the next handler given to expect(). A modal window nobody
// expected fails the test and is closed, so that a test never hangs on one; a handler
// still waiting when this object goes fails the test too.
class ModalScript {
public:
    ModalScript();
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    void expect(std::function<void(QWidget& modal)> handler);
    // The next modal window is a T (QMessageBox, QFileDialog ...).
    template <class T> void expect(std::function<void(T& modal)> handler) {
        expect([handler](QWidget& w) {
            auto* t = qobject_cast<T*>(&w);
            if (!t) {
                failWrongKind(w, T::staticMetaObject.className());
                return;
            }
            handler(*t);
        });
    }
    int pending() const { return static_cast<int>(handlers_.size()); }
    // Lets events through until every handler has run or `ms` milliseconds passed.
    bool waitUntilDone(int ms = 5000);

private:
    static void failWrongKind(QWidget& w, const char* wanted);
    void tick();

    QTimer timer_;
    std::deque<std::function<void(QWidget&)>> handlers_;
};

// Text of a modal window for failure messages (a message box's text, a dialog's title).
std::string describeModal(QWidget& w);

// The widget named `name` below `root`, nullptr when there is none.
template <class T = QWidget> T* child(const QObject& root, const char* name) {
    return root.findChild<T*>(QString::fromLatin1(name));
}

} // namespace qtsupport
