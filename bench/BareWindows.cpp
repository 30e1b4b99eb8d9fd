// The second yardstick of the start-up benchmark: the windows and controls that
// Velantrix must create at start, and nothing else. An application window, the
// main window with its panel, three owner-drawn drop-down lists, a trackbar and
// three buttons; the About window with two buttons and a read-only memo, and the
// progress window with its bar, both hidden; version 6 of the common controls.
// No pictures, no caption tables, no registry: what is left between this and
// the program is the program's own work.
#include <windows.h>

#include <commctrl.h>

#include <initializer_list>

namespace {

constexpr wchar_t kFormClass[] = L"VxBareWindows";
constexpr int kItemHeight = 18;
constexpr int kDropDownItems = 12;

struct Child {
    const wchar_t* className;
    DWORD style;
    int left, top, width, height;
};

// clang-format off
constexpr Child kMainControls[] = {
    {L"COMBOBOX",        CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP,
                         16, 95, 309, kItemHeight * (kDropDownItems + 1)},
    {L"COMBOBOX",        CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP,
                         16, 147, 309, kItemHeight * (kDropDownItems + 1)},
    {L"COMBOBOX",        CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP,
                         16, 199, 309, kItemHeight * (kDropDownItems + 1)},
    {TRACKBAR_CLASSW,    TBS_HORZ | TBS_AUTOTICKS | TBS_BOTH | WS_TABSTOP,  16, 244, 309, 44},
    {L"BUTTON",          BS_DEFPUSHBUTTON | WS_TABSTOP,                     400, 95, 145, 52},
    {L"BUTTON",          BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED,          400, 171, 145, 25},
    {L"BUTTON",          BS_PUSHBUTTON | WS_TABSTOP,                        400, 336, 154, 33},
};
constexpr Child kAboutControls[] = {
    {L"EDIT",            ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_BORDER, 16, 200, 460, 90},
    {L"BUTTON",          BS_DEFPUSHBUTTON | WS_TABSTOP,                     320, 310, 75, 25},
    {L"BUTTON",          BS_PUSHBUTTON | WS_TABSTOP,                        400, 310, 75, 25},
};
constexpr Child kProgressControls[] = {
    {PROGRESS_CLASSW,    0,                                                 16, 40, 360, 17},
};
// clang-format on

LRESULT CALLBACK FormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = kItemHeight;
        return TRUE;
    case WM_DESTROY:
        if (!GetWindow(window, GW_OWNER) && !GetParent(window)) PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND CreateForm(HWND owner, int clientWidth, int clientHeight, DWORD exStyle) {
    constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, kStyle, FALSE, exStyle);
    return CreateWindowExW(exStyle, kFormClass, L"Bare window", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                           frame.right - frame.left, frame.bottom - frame.top, owner, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

template <size_t N> void CreateControls(HWND parent, const Child (&controls)[N], HFONT font) {
    for (const Child& child : controls) {
        const HWND control =
            CreateWindowExW(0, child.className, L"Text", WS_CHILD | WS_VISIBLE | child.style, child.left, child.top,
                            child.width, child.height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (child.style & CBS_DROPDOWNLIST) {
            for (const wchar_t* item : {L"One", L"Two", L"Three"})
                SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
            SendMessageW(control, CB_SETCURSEL, 0, 0);
        }
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES |
                                                     ICC_PROGRESS_CLASS | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&classes);
    WNDCLASSW formClass{};
    formClass.lpfnWndProc = FormProcedure;
    formClass.hInstance = instance;
    formClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    formClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    formClass.lpszClassName = kFormClass;
    if (!RegisterClassW(&formClass)) return 1;
    const HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");

    const HWND application =
        CreateWindowExW(0, kFormClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    const HWND main = CreateForm(nullptr, 764, 500, WS_EX_CONTROLPARENT | WS_EX_APPWINDOW);
    if (!application || !main) return 1;
    const HWND panel = CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                       182, 91, 582, 388, main, nullptr, instance, nullptr);
    CreateControls(panel, kMainControls, font);
    CreateControls(CreateForm(main, 492, 350, WS_EX_CONTROLPARENT), kAboutControls, font);
    CreateControls(CreateForm(main, 392, 80, WS_EX_CONTROLPARENT), kProgressControls, font);
    ShowWindow(main, SW_SHOW);
    SetForegroundWindow(main);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(main, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DeleteObject(font);
    return 0;
}
