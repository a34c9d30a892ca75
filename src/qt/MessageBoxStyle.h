#pragma once

#include <QMessageBox>
#include <memory>
#include <string>

namespace qtui {

// The icon of a message-box style: 16 critical, 32 question, 48 warning, 64 information.
QMessageBox::Icon messageBoxIcon(int style);
// The Qt button of a platform answer (forms::vbOK ... vbNo) and back; 0 for no answer.
QMessageBox::StandardButton standardButton(int answer);
int answerOf(QMessageBox::StandardButton button);

// A box laid out as the style says: its buttons in the platform's order, its icon, its
// default button. A box whose style has no cancelling answer (Yes/No, Abort/Retry/Ignore)
// cannot be dismissed by Escape or its close box: one of its buttons must be pressed.
// The text's CR LF line ends show as line breaks; the text is never read as markup.
// The box is wide enough to show its whole title (see titleBarWidth).
std::unique_ptr<QMessageBox> makeMessageBox(const std::string& text, int style,
                                            const std::string& title, QWidget* parent);

// The width a window needs to show `title` whole in its title bar, with room for the
// bar's icon and buttons.
int titleBarWidth(const QString& title);

// The answer the user gave in a box made by makeMessageBox for `style`. A box closed
// without a button (by the system) gives the style's cancelling answer, or its default.
int answerOf(const QMessageBox& box, int style);

} // namespace qtui
