// A line for whoever started the program from a command prompt or a script.
// The program is a windowed one and has no console of its own.
#pragma once

#include <string_view>

namespace vx {

enum class ConsoleStream { Output, Error };

// Writes the line (a line break is added) to the standard handle the parent
// handed over (a file or pipe when the output is redirected), or else to the
// parent's console when it has one. Where there is neither (a start from
// Explorer, or Windows 2000, which cannot attach to another console) the line
// goes nowhere. Never waits for anyone.
void WriteLineForParent(std::wstring_view line, ConsoleStream stream) noexcept;

} // namespace vx
