#include "carryforward/PrevYearMessages.h"

#include "app/FileNames.h"
#include "forms/Form.h"
#include "transfer/ImportSteps.h"

#include <cctype>

namespace carryforward::msg {

std::string incorrectFile() {
    return "Incorrect File Selected!" + std::string(app::kCrLf) +
           "Do you want to continue importing an assessment?";
}

std::string sourceNotRead(const std::string& path, const runtime::Error& e) {
    return "Last year's database " + path + " could not be read." + std::string(app::kCrLf) +
           forms::errorMessage(e) + std::string(app::kCrLf) + "Nothing has been listed.";
}

std::string importStopped(const std::string& what, const runtime::Error& e) {
    const auto* step = dynamic_cast<const transfer::ImportStepError*>(&e);
    const std::string crLf(app::kCrLf);
    if (step && step->written())
        return "The import of " + what + " has been written to this year's database, but it " +
               "stopped after that, at " + step->step() + "; its record locks have not been " +
               "tidied." + crLf + forms::errorMessage(e);
    std::string text = what + " could not be imported";
    text.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
    if (step) text += ": the import stopped at " + step->step();
    return text + "." + crLf + forms::errorMessage(e) + crLf +
           "Nothing has been written to this year's database.";
}

} // namespace carryforward::msg
