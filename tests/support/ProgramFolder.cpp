#include "support/ProgramFolder.h"

#include "runtime/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace support {

namespace {

std::string makeTempFolder(const char* prefix) {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::string pattern = (base / (std::string(prefix) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    return pattern;
}

void removeFolder(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

} // namespace

ProgramFolder::ProgramFolder() : path_(makeTempFolder("quolby-program")) {
    desk_.setProgramFolder(path_);
}

ProgramFolder::~ProgramFolder() {
    removeFolder(path_);
}

std::string ProgramFolder::file(std::string_view name) const {
    return runtime::joinPath(path_, name);
}

void ProgramFolder::write(std::string_view name, const std::string& bytes) const {
    std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + file(name));
}

std::string ProgramFolder::read(std::string_view name) const {
    std::ifstream in(file(name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool ProgramFolder::exists(std::string_view name) const {
    return std::filesystem::exists(file(name));
}

TempFolder::TempFolder() : path_(makeTempFolder("quolby-other")) {}

TempFolder::~TempFolder() {
    removeFolder(path_);
}

std::string TempFolder::file(std::string_view name) const {
    return runtime::joinPath(path_, name);
}

} // namespace support
