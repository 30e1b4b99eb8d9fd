#include "tests/support/Reader.h"

#include "tests/support/TestSupport.h"

#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace vx::test {
namespace {

constexpr wchar_t kBrowserKey[] = L"Software\\Wine\\WineBrowser";

void EnsureCom() {
    static const HRESULT once = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)once;
}

// The names announced for each window, as read when the event came.
std::map<HWND, std::vector<std::wstring>>& Announced() {
    static std::map<HWND, std::vector<std::wstring>> announced;
    return announced;
}

// The window's text is the name it announces (the program sets it first): read without a
// message, so the program need not answer while it holds a frame.
void CALLBACK NameChanged(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (object != OBJID_CLIENT || child != CHILDID_SELF || !window) return;
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    Announced()[window].push_back(text);
}

} // namespace

ReaderView ReaderSees(HWND window) {
    EnsureCom();
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&object))) ||
        !object)
        return {};
    ReaderView view;
    view.found = true;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    if (object->get_accName(self, &name) == S_OK && name) view.name = name;
    SysFreeString(name);
    VARIANT role{};
    if (SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4) view.role = role.lVal;
    object->Release();
    return view;
}

bool ReadersReach(HWND otherProcessWindow) {
    EnsureCom();
    IAccessible* object = nullptr;
    const HRESULT result = AccessibleObjectFromWindow(otherProcessWindow, static_cast<DWORD>(OBJID_WINDOW),
                                                      IID_IAccessible, reinterpret_cast<void**>(&object));
    if (object) object->Release();
    const bool reached = SUCCEEDED(result) && object;
    static bool told = false;
    if (!reached && !told) {
        told = true;
        std::printf("no accessible object reaches this process from another (0x%08lX): what a reader hears is not "
                    "checked in this build\n",
                    static_cast<unsigned long>(result));
    }
    return reached;
}

std::vector<HWND> GraphicWindows(HWND root) {
    std::vector<HWND> windows;
    for (HWND child : Descendants(root))
        if (IsOfClass(child, L"TVXGraphic")) windows.push_back(child);
    return windows;
}

void PressKey(WORD key) {
    INPUT input[2]{};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = key;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

HWND FocusedWindowOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool TabTo(HWND root, HWND target, int presses) {
    for (int i = 0; i <= presses; ++i) {
        if (FocusedWindowOf(root) == target) return true;
        const HWND before = FocusedWindowOf(root);
        PressKey(VK_TAB);
        WaitUntil([&] { return FocusedWindowOf(root) != before; }, 2s);
    }
    return FocusedWindowOf(root) == target;
}

NameChangeHook::NameChangeHook(DWORD processId) {
    EnsureCom();
    Announced().clear();
    hook_ = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, &NameChanged, processId, 0,
                            WINEVENT_OUTOFCONTEXT);
}

NameChangeHook::~NameChangeHook() {
    if (hook_) UnhookWinEvent(hook_);
    Announced().clear();
}

bool NameChangeHook::WaitForName(HWND window, const std::wstring& name, std::chrono::milliseconds timeout) {
    if (!hook_) return false;
    return PumpUntil(
        [&] {
            for (const auto& [announcer, names] : Announced())
                if ((!window || announcer == window) && std::find(names.begin(), names.end(), name) != names.end())
                    return true;
            return false;
        },
        timeout);
}

std::vector<std::wstring> NameChangeHook::WaitForAnnouncements(HWND window, size_t count,
                                                              std::chrono::milliseconds timeout) {
    if (hook_) PumpUntil([&] { return Announced()[window].size() >= count; }, timeout);
    return Announced()[window];
}

BrowserStandIn::BrowserStandIn() {
    RegCreateKeyExW(HKEY_CURRENT_USER, kBrowserKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.put(), nullptr);
    wchar_t old[1024] = {};
    DWORD size = sizeof(old) - sizeof(wchar_t);
    hadValue_ = RegQueryValueExW(key_.get(), L"Browsers", nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) ==
                ERROR_SUCCESS;
    old_ = old;
    // The stand-in is a host script beside this program; the browser launcher takes host paths.
    std::wstring folder = TestFolder();
    if (folder.size() > 2 && folder[1] == L':') folder.erase(0, 2);
    for (wchar_t& c : folder) c = c == L'\\' ? L'/' : c;
    const std::wstring script = folder + L"browser-stand-in.sh";
    RegSetValueExW(key_.get(), L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(script.c_str()),
                   static_cast<DWORD>((script.size() + 1) * sizeof(wchar_t)));
    ClearRecord();
}

BrowserStandIn::~BrowserStandIn() {
    if (hadValue_)
        RegSetValueExW(key_.get(), L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(old_.c_str()),
                       static_cast<DWORD>((old_.size() + 1) * sizeof(wchar_t)));
    else RegDeleteValueW(key_.get(), L"Browsers");
    ClearRecord();
}

std::wstring BrowserStandIn::RecordPath() {
    return TestFolder() + L"browser-stand-in.txt";
}

std::wstring BrowserStandIn::WaitForRecord(std::chrono::milliseconds timeout) {
    std::wstring record;
    WaitUntil([&] { return (record = ReadTextFile(RecordPath())).find(L'\n') != std::wstring::npos; }, timeout);
    return record;
}

void BrowserStandIn::ClearRecord() {
    DeleteFileW(RecordPath().c_str());
}

} // namespace vx::test
