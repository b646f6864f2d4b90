// The one place where the store touches the file system.
#pragma once
#include <string>

namespace fileio {

enum class ReadStatus { Ok, Missing, Unreadable };

// Reads the whole file. Another program holding it (sharing violation, lock)
// is waited for up to about a second.
ReadStatus readWholeFile(const char* fileName, std::string& out);

// Writes `data` to a temporary file in the same folder, flushes it to disk and
// moves it over `fileName` in one step. On any failure the old file is left
// byte-identical, the temporary file is removed and the answer is false.
bool replaceFile(const char* fileName, const std::string& data);

}  // namespace fileio
