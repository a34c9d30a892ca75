#include "transfer/ImportEndMessages.h"

#include "app/FileNames.h"

namespace transfer::msg {

std::string lockFieldsNotTidied(int number, const std::string& text) {
    return "The clients have been written to this year's database, but their record locks "
           "could not be tidied." +
           std::string(app::kCrLf) + "Error " + std::to_string(number) + ": " + text;
}

std::string sourceIsThisYear(const std::string& path) {
    return path + " is this year's database itself. Choose the database to import from; " +
           "nothing has been imported.";
}

} // namespace transfer::msg
