// Finding a running instance of the program by its main window's class name.
#pragma once

#include <string_view>

namespace vx {

// True when a top-level window of the class exists. With activate set, that
// window is first restored and brought to the foreground. Failures give false.
bool FindRunningInstance(std::wstring_view windowClassName, bool activate) noexcept;

} // namespace vx
