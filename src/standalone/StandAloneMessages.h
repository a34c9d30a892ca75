#pragma once

// The texts of the stand-alone page's boxes.

#include "runtime/Error.h"
#include "standalone/KindImport.h"

#include <string>
#include <string_view>
#include <vector>

namespace standalone::msg {

inline constexpr std::string_view DialogTitle = "Locate File Name : Qolb2018.mdb";
std::string incorrectFile();
inline constexpr std::string_view IncorrectFileTitle = " Quolby 2017 Source Database not found!";
std::string oldVersion();
inline constexpr std::string_view MediaProblem = "There is a problem with the Chosen Media!";
inline constexpr std::string_view MediaProblemTitle = "Chosen Media Empty/Faulty!";
inline constexpr std::string_view TransferSuccessful = "The File Transfer has been successfull !";

// The import stopped at `e` (its kind and client where known); nothing was added.
std::string notImported(const KindImportError& e);
// The chosen file lies where the import makes its working copy.
std::string sourceIsWorkingCopy(const std::string& path);
// The chosen file is no longer a stand-alone individuals database that can be read.
std::string sourceNotReadable(const std::string& path, const runtime::Error& e);

} // namespace standalone::msg
