#include "support/TempFolder.h"

#include "runtime/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace support {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quolby-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempFolder::file(std::string_view name) const {
    return runtime::joinPath(path_, name);
}

std::string TempFolder::write(std::string_view name, const std::string& bytes) const {
    writeBytes(file(name), bytes);
    return file(name);
}

std::string TempFolder::read(std::string_view name) const {
    return readBytes(file(name));
}

bool TempFolder::exists(std::string_view name) const {
    return std::filesystem::exists(file(name));
}

std::size_t TempFolder::entryCount() const {
    auto it = std::filesystem::directory_iterator(path_);
    return static_cast<std::size_t>(std::distance(it, std::filesystem::directory_iterator()));
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path);
}

} // namespace support
