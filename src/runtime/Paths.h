#pragma once

#include <string>
#include <string_view>

namespace runtime {

// The system builds paths by appending backslash-led names to a folder
// ("\Qolb2018LAN.mdb"). joinPath turns the backslashes of the appended name into '/';
// the folder is kept as given, so a folder ending in '/' gives a doubled separator,
// which the file system reads as one.
std::string joinPath(std::string_view folder, std::string_view name);

// The folder of a file path: blanks around the path removed, the text before the last
// '/', without a trailing separator ("/" for a file in the root, "" for a bare name).
std::string folderOf(std::string_view path);
// The last component of a path ("" when the path ends in '/').
std::string fileNameOf(std::string_view path);

// File names compare without regard to case on the platform the system was made for.
// When path does not exist but exactly one entry of its folder matches its name
// without regard to case, gives that entry's path; otherwise path unchanged.
std::string resolveCase(const std::string& path);

} // namespace runtime
