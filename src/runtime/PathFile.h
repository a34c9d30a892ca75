#pragma once

#include <string>
#include <vector>

namespace runtime {

// The path files: one line of double-quoted values separated by commas, ended by
// CR LF ("\"/a/x.mdb\",\"/a/y.mdb\"\r\n").
struct PathFileContent {
    bool opened = false;     // the file exists and could be read
    bool hasContent = false; // its length is above zero (a lone line end counts)
    std::vector<std::string> values;
};

// Reads every value in order. A quoted value is taken without its quotes and may hold
// commas; an unquoted one is taken up to the next comma or line end, blanks trimmed.
// Line ends separate values like commas, so a value per line reads the same. A file
// that cannot be opened gives opened == false; reading never throws.
PathFileContent readPathFile(const std::string& path);

// Replaces the whole file with one line holding the values. Throws runtime::Error when
// the file cannot be created or written (the old file then stays as it was), and with
// error 5 for a value holding a double quote or a line end, which the format cannot
// hold.
void writePathFile(const std::string& path, const std::vector<std::string>& values);

} // namespace runtime
