#include "forms/CommonDialog.h"

#include "runtime/Error.h"

namespace forms {

namespace {
std::string fileTitleOf(const std::string& path) {
    const auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}
} // namespace

void CommonDialog::ShowOpen() {
    show(false);
}

void CommonDialog::ShowSave() {
    show(true);
}

void CommonDialog::show(bool save) {
    const FileDialogResult result =
        save ? desktop().showSaveDialog(request_) : desktop().showOpenDialog(request_);
    if (result.cancelled) {
        request_.FileName.clear();
        fileTitle_.clear();
        if (cancelError_) throw runtime::Error(runtime::err::CancelError);
        return;
    }
    request_.FileName = result.path;
    fileTitle_ = fileTitleOf(result.path);
}

} // namespace forms
