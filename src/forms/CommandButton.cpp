#include "forms/CommandButton.h"

namespace forms {

void CommandButton::setValue(bool value) {
    if (value && !userRefused()) click();
}

void CommandButton::click() {
    raise(onClick, false);
}

bool CommandButton::userClick() {
    if (!acceptsUser()) return false;
    raise(onClick, true);
    return true;
}

} // namespace forms
