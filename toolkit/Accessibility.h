// What the program's windows tell screen readers (Active Accessibility).
// Windows makes a standard object for every window; where it gets a window's
// name or role wrong (a list named after its current item, a windowless label
// it cannot see), the window answers WM_GETOBJECT with that standard object
// wrapped, its name asked of the window whenever a reader asks, its role fixed.
// oleacc is taken from the system folder on first use; without it the windows
// simply leave WM_GETOBJECT to Windows.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace vx::ui {

// The roles the program's windows report (the values of oleacc's ROLE_SYSTEM_*).
enum class AccessibleRole : long {
    Keep = 0, // whatever the standard object says
    StaticText = 0x29,
    PushButton = 0x2B,
    ComboBox = 0x2E,
    Text = 0x2A,
    ProgressBar = 0x30,
    Slider = 0x33,
    Link = 0x1E,
    Pane = 0x10,
};

// A caption as a reader should say it: without the access-key marks ("&&" is
// an ampersand), the blanks around it and a closing " :".
std::wstring AccessibleText(std::wstring_view caption, bool accessKeys = true);

// The message a window answers with its accessible name: wParam the size of
// the buffer in characters, lParam the buffer; the result is the name's length
// plus one, or 0 when the window leaves its name to the standard object.
UINT AccessibleNameMessage() noexcept;
LRESULT AnswerAccessibleName(WPARAM size, LPARAM buffer, const std::wstring& name) noexcept;

// Answers WM_GETOBJECT for `window`'s client object: the standard object with
// the name from AccessibleNameMessage, the role given and `extraState` added to
// its state. 0 (let Windows answer) for other objects or without oleacc.
LRESULT AnswerGetObject(HWND window, WPARAM flags, LPARAM objectId, AccessibleRole role,
                        long extraState = 0) noexcept;

// Tells readers that the name of `window`'s client object is now another.
void AnnounceNameChange(HWND window) noexcept;

} // namespace vx::ui
