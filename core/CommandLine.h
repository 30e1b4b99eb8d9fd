// The command line and the program's own folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vx {

// Splits a command line the Windows way: runs of blanks and control characters
// separate arguments; double quotes group blanks into one argument and are removed.
std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine);

// The first argument after the program path, or "" when there is none.
std::wstring FirstArgument(std::wstring_view commandLine);

// True when the first argument selects the update-check mode ("/checkupdate", any case of A to Z).
bool IsUpdateCheckArgument(std::wstring_view firstArgument);

// The arguments after the first, which the command-line modes take as their options.
std::vector<std::wstring> ModeOptions(std::wstring_view commandLine);

// The directory of the program's own file, ending in a backslash.
std::wstring ProgramFolder();

} // namespace vx
