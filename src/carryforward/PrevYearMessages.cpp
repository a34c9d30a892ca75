#include "carryforward/PrevYearMessages.h"

#include "app/FileNames.h"
#include "forms/Form.h"

namespace carryforward::msg {

std::string incorrectFile() {
    return "Incorrect File Selected!" + std::string(app::kCrLf) +
           "Do you want to continue importing an assessment?";
}

std::string sourceNotRead(const std::string& path, const runtime::Error& e) {
    return "Last year's database " + path + " could not be read." + std::string(app::kCrLf) +
           forms::errorMessage(e) + std::string(app::kCrLf) + "Nothing has been listed.";
}

std::string clientNotImported(const std::string& client, const runtime::Error& e) {
    return "The client " + client + " could not be imported." + std::string(app::kCrLf) +
           forms::errorMessage(e) + std::string(app::kCrLf) +
           "Nothing has been written to this year's database.";
}

std::string clientsNotImported(const std::string& step, const runtime::Error& e) {
    return "The clients could not be imported: the import stopped at " + step + "." +
           std::string(app::kCrLf) + forms::errorMessage(e) + std::string(app::kCrLf) +
           "Nothing has been written to this year's database.";
}

std::string companiesNotImported(const runtime::Error& e) {
    return "The companies could not be imported." + std::string(app::kCrLf) +
           forms::errorMessage(e) + std::string(app::kCrLf) +
           "Nothing has been written to this year's database.";
}

std::string trustsNotImported(const std::string& step, const runtime::Error& e) {
    return "The trusts could not be imported: the import stopped at " + step + "." +
           std::string(app::kCrLf) + forms::errorMessage(e) + std::string(app::kCrLf) +
           "Nothing has been written to this year's database.";
}

} // namespace carryforward::msg
