// The current user's Run key: the programs that Windows starts at logon.
#pragma once
#include <optional>
#include <string>

namespace win {

// The command stored under `name`; none when there is no such value.
std::optional<std::wstring> runEntry(const wchar_t* name);
// Stores `command` under `name`, or removes the value (none); false when the
// key could not be written.
bool setRunEntry(const wchar_t* name, const std::optional<std::wstring>& command);
// This program's file, with its full path.
std::wstring programPath();

}  // namespace win
