// What a screen reader and a keyboard user do to the program from another
// process: the accessible name and role of a window's client object (oleacc),
// name-change events (a WinEvent hook), real key presses, the focused window
// of the program, and the prefix's browser pointed at a stand-in.
#pragma once

#include "core/Handles.h"

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

namespace vx::test {

// The oleacc role values the program's windows report.
constexpr long kRoleLink = 0x1E;
constexpr long kRoleStaticText = 0x29;
constexpr long kRolePushButton = 0x2B;
constexpr long kRoleComboBox = 0x2E;
constexpr long kRoleProgressBar = 0x30;
constexpr long kRoleSlider = 0x33;

struct ReaderView {
    bool found = false; // an accessible object came back at all
    std::wstring name;
    long role = 0;
};
// What AccessibleObjectFromWindow(OBJID_CLIENT) gives for the window.
ReaderView ReaderSees(HWND window);

// Whether a reader in this process can reach the objects of another process's window at all:
// the system's own object for its frame (OBJID_WINDOW, which the program never answers itself).
// Wine 8.0's 64-bit oleacc hands none across processes (E_NOINTERFACE even for a plain button):
// where it cannot, what a reader hears is checked by the 32-bit build's run. Says so once.
bool ReadersReach(HWND otherProcessWindow);

// The windowless controls' own windows (links, navigation pictures, labels) under a root.
std::vector<HWND> GraphicWindows(HWND root);

// A key pressed and released through SendInput, as from the keyboard.
void PressKey(WORD key);
// The window that has the keyboard focus in the thread of `window`.
HWND FocusedWindowOf(HWND window);
// Presses Tab until `target` has the focus; false when it never does within `presses`.
bool TabTo(HWND root, HWND target, int presses = 30);

// Name changes of accessible objects of one process, seen by an out-of-context WinEvent hook.
class NameChangeHook {
public:
    explicit NameChangeHook(DWORD processId);
    ~NameChangeHook();
    NameChangeHook(const NameChangeHook&) = delete;
    NameChangeHook& operator=(const NameChangeHook&) = delete;
    // Pumps this thread's messages (which bring the events) until `window`'s name
    // (any window's, for null) was announced as `name`, read back through oleacc
    // when the event came.
    bool WaitForName(HWND window, const std::wstring& name, std::chrono::milliseconds timeout);
    // Pumps until `window` has been announced at least `count` times; gives the names read then.
    std::vector<std::wstring> WaitForAnnouncements(HWND window, size_t count, std::chrono::milliseconds timeout);

private:
    HWINEVENTHOOK hook_ = nullptr;
};

// The prefix's browser setting, pointed at a stand-in for one test and put back afterwards.
class BrowserStandIn {
public:
    BrowserStandIn();
    ~BrowserStandIn();
    BrowserStandIn(const BrowserStandIn&) = delete;
    BrowserStandIn& operator=(const BrowserStandIn&) = delete;

    static std::wstring RecordPath();
    // Waits until the stand-in was asked to open an address; returns what it recorded, line by line.
    static std::wstring WaitForRecord(std::chrono::milliseconds timeout);
    static void ClearRecord();

private:
    UniqueRegKey key_;
    bool hadValue_ = false;
    std::wstring old_;
};

} // namespace vx::test
