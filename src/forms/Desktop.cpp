#include "forms/Desktop.h"

#include <stdexcept>

namespace forms {

namespace {
Desktop* current = nullptr;
}

Desktop& desktop() {
    if (!current) throw std::logic_error("no Desktop is installed (forms::setDesktop)");
    return *current;
}

bool hasDesktop() {
    return current != nullptr;
}

Desktop* setDesktop(Desktop* d) {
    Desktop* previous = current;
    current = d;
    return previous;
}

std::vector<int> msgBoxButtons(int style) {
    switch (style & 0xF) {
    case vbOKCancel:
        return {vbOK, vbCancel};
    case vbAbortRetryIgnore:
        return {vbAbort, vbRetry, vbIgnore};
    case vbYesNoCancel:
        return {vbYes, vbNo, vbCancel};
    case vbYesNo:
        return {vbYes, vbNo};
    case vbRetryCancel:
        return {vbRetry, vbCancel};
    default:
        return {vbOK};
    }
}

int msgBoxDefaultAnswer(int style) {
    const std::vector<int> buttons = msgBoxButtons(style);
    std::size_t which = 0;
    if ((style & 0xF00) == vbDefaultButton2) which = 1;
    if ((style & 0xF00) == vbDefaultButton3) which = 2;
    // A default button the box does not have falls back to the first.
    return which < buttons.size() ? buttons[which] : buttons.front();
}

int msgBoxEscapeAnswer(int style) {
    const std::vector<int> buttons = msgBoxButtons(style);
    for (int b : buttons)
        if (b == vbCancel) return vbCancel;
    return buttons.size() == 1 ? buttons.front() : 0;
}

} // namespace forms
