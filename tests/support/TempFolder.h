#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace support {

// A fresh, empty folder in the temporary directory; the folder and everything in it go
// when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    // A path in the folder; a name may be given as the system writes it ("\DBMPath.Txt").
    std::string file(std::string_view name) const;

    // Whole-file helpers, for path files and damaged databases. write gives the path.
    std::string write(std::string_view name, const std::string& bytes) const;
    std::string read(std::string_view name) const;
    bool exists(std::string_view name) const;
    // The names in the folder, to show that nothing was left behind.
    std::size_t entryCount() const;

private:
    std::string path_;
};

// A whole file's bytes ("" when it cannot be read), and a file replaced by these bytes.
std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);

} // namespace support
