#include "transfer/ImportEndMessages.h"

#include "app/FileNames.h"

namespace transfer::msg {

namespace {

std::string writtenNotTidied(std::string_view clients) {
    return "The " + std::string(clients) +
           " have been written to this year's database, but their record locks could not be "
           "tidied";
}

} // namespace

std::string lockFieldsInUse(std::string_view clients) {
    return writtenNotTidied(clients) + " because the database is in use on another workstation.";
}

std::string lockFieldsNotTidied(int number, const std::string& text, std::string_view clients) {
    return writtenNotTidied(clients) + "." + std::string(app::kCrLf) + "Error " +
           std::to_string(number) + ": " + text;
}

std::string sourceIsThisYear(const std::string& path) {
    return path + " is this year's database itself. Choose the database to import from; " +
           "nothing has been imported.";
}

} // namespace transfer::msg
