#include "standalone/Messages.h"

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

std::string kindNotImported(std::string_view kind, const runtime::Error& e,
                            const std::vector<std::string_view>& imported) {
    std::string text = "The " + std::string(kind) +
                       " of the stand-alone database could not be "
                       "imported: " +
                       e.text() + " (error " + std::to_string(e.number()) +
                       "). None of them has been added to the network database.";
    if (!imported.empty()) {
        std::string kinds;
        for (std::size_t i = 0; i < imported.size(); ++i)
            kinds += (i == 0 ? "" : " and ") + std::string(imported[i]);
        text += " The " + kinds + " have been imported.";
    }
    return text;
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
