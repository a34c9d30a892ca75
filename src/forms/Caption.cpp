#include "forms/Caption.h"

namespace forms {

std::string displayCaption(std::string_view caption) {
    std::string shown;
    shown.reserve(caption.size());
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&') {
            shown += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
            shown += '&';
            ++i;
        }
        // A single '&' marks the access key and is not shown.
    }
    return shown;
}

} // namespace forms
