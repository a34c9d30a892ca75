#pragma once

#include "support/ScriptedDesktop.h"

#include <string>
#include <string_view>

namespace support {

// A fresh, empty program folder in the temporary directory, and a ScriptedDesktop that
// reports it as the folder of the program file. The folder and everything in it go when
// the fixture goes.
class ProgramFolder {
public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::string& path() const { return path_; }
    // A path in the folder, the name given as the system writes it ("\DBMPath.Txt").
    std::string file(std::string_view name) const;

    ScriptedDesktop& desktop() { return desk_; }

    // Whole-file helpers, for path files and damaged databases.
    void write(std::string_view name, const std::string& bytes) const;
    std::string read(std::string_view name) const;
    bool exists(std::string_view name) const;

private:
    std::string path_;
    ScriptedDesktop desk_;
};

// A fresh temporary folder of its own, for files that lie outside the program folder.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(std::string_view name) const;

private:
    std::string path_;
};

} // namespace support
