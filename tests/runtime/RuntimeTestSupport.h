#pragma once

#include "runtime/Error.h"
#include "runtime/Variant.h"
#include "support/ErrorOf.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

namespace runtime {
// Readable values in failure messages.
inline void PrintTo(const Variant& v, std::ostream* os) {
    *os << "VarType " << static_cast<int>(v.type()) << " ";
    switch (v.type()) {
    case VarType::Boolean:
        *os << (v.rawBool() ? "True" : "False");
        break;
    case VarType::Integer:
    case VarType::Long:
        *os << v.rawInt();
        break;
    case VarType::Double:
    case VarType::Date:
        *os << v.rawDouble();
        break;
    case VarType::String:
        *os << '"' << v.rawString() << '"';
        break;
    default:
        break;
    }
}
} // namespace runtime

namespace runtime_test {

using support::errorOf;

// A fresh folder of its own for each test, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "rt-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    std::string write(const std::string& name, const std::string& content) const {
        std::ofstream(file(name), std::ios::binary) << content;
        return file(name);
    }
    std::string read(const std::string& name) const { return readAll(file(name)); }

    static std::string readAll(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Names in the folder, to show that nothing was left behind.
    std::size_t entryCount() const {
        auto it = std::filesystem::directory_iterator(path_);
        return static_cast<std::size_t>(std::distance(it, std::filesystem::directory_iterator()));
    }

private:
    std::string path_;
};

} // namespace runtime_test
