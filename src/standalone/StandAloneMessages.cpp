#include "standalone/StandAloneMessages.h"

#include "app/FileNames.h"

namespace standalone::msg {

std::string incorrectFile() {
    return "Incorrect File Selected!" + std::string(app::kCrLf) +
           "Do you want to locate correct file?";
}

std::string oldVersion() {
    return "Please ensure that your Stand Alone Version of Quolby is the" +
           std::string(app::kCrLf) + "latest version before importing into the NetWork program.";
}

std::string notImported(const KindImportError& e) {
    std::string text = e.kind().empty() ? "The stand-alone database could not be imported"
                                        : "The " + std::string(e.kind()) +
                                              " of the stand-alone database could not be imported";
    if (!e.client().empty()) text += ", at " + e.client();
    return text + ": " + e.text() + " (error " + std::to_string(e.number()) +
           "). Nothing has been added to the network databases: none of the individuals, "
           "trusts or companies.";
}

std::string sourceIsWorkingCopy(const std::string& path) {
    return "The file " + path +
           " lies where the import makes its working copy, in the "
           "program's own folder. Please copy the stand-alone database to another folder and "
           "locate it there. Nothing has been imported.";
}

std::string sourceNotReadable(const std::string& path, const runtime::Error& e) {
    return "The stand-alone database " + path + " cannot be read: " + e.text() + " (error " +
           std::to_string(e.number()) + "). Nothing has been imported.";
}

} // namespace standalone::msg
