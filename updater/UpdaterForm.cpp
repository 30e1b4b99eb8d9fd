#include "updater/UpdaterForm.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

namespace vx::updater {

namespace {

constexpr UINT kStepMessage = WM_APP + 1;     // wParam: UpdateStep
constexpr UINT kProgressMessage = WM_APP + 2; // wParam: per mille done
constexpr UINT kDoneMessage = WM_APP + 3;     // wParam: UpdateOutcome
constexpr int kClientWidth = 460;
constexpr int kClientHeight = 150;
constexpr int kMargin = 14;
constexpr int kButtonWidth = 120;
constexpr int kButtonHeight = 28;

UniqueFont MessageFont() noexcept {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return {};
    return UniqueFont(CreateFontIndirectW(&metrics.lfMessageFont));
}

void SetText(HWND control, std::wstring_view text) {
    const std::wstring copy(text);
    SetWindowTextW(control, copy.c_str());
}

} // namespace

TVXUpdateForm::TVXUpdateForm(UpdateJobSettings settings, Language language, std::wstring programPath)
    : settings_(std::move(settings)), language_(language), programPath_(std::move(programPath)) {}

TVXUpdateForm::~TVXUpdateForm() {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
}

bool TVXUpdateForm::Create(HINSTANCE instance) noexcept {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TVXUpdateForm::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.hIcon = LoadIconW(instance, L"MAINICON");
    windowClass.lpszClassName = kUpdaterFormClass;
    if (!RegisterClassExW(&windowClass)) return false;
    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const std::wstring title(Text(language_, UiText::Title));
    window_ =
        CreateWindowExW(0, kUpdaterFormClass, title.c_str(), style, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                        (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr, instance, this);
    return window_ != nullptr;
}

int TVXUpdateForm::Run() noexcept {
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    working_ = true;
    try {
        worker_ = std::thread([this] {
            const HWND window = window_;
            const UpdateJobEvents events{
                [window](UpdateStep step) { PostMessageW(window, kStepMessage, static_cast<WPARAM>(step), 0); },
                [window](std::uint64_t received, std::uint64_t total) {
                    const WPARAM permille = total == 0 ? 0 : static_cast<WPARAM>(received * 1000 / total);
                    PostMessageW(window, kProgressMessage, permille, 0);
                }};
            const UpdateOutcome outcome = RunUpdateJob(settings_, events, cancel_);
            PostMessageW(window, kDoneMessage, static_cast<WPARAM>(outcome), 0);
        });
    } catch (...) {
        JobDone(UpdateOutcome::CannotSave);
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window_, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (worker_.joinable()) worker_.join();
    return 0;
}

LRESULT CALLBACK TVXUpdateForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<TVXUpdateForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<TVXUpdateForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!form) return DefWindowProcW(window, message, wParam, lParam);
    return form->Handle(message, wParam, lParam);
}

LRESULT TVXUpdateForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_CREATE:
        FormCreate();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) break;
        if (LOWORD(wParam) == kCloseButtonId || LOWORD(wParam) == IDCANCEL) CloseButtonClick();
        if (LOWORD(wParam) == kStartButtonId) StartButtonClick();
        return 0;
    case WM_CLOSE:
        FormCloseQuery();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case kStepMessage:
        JobStep(static_cast<UpdateStep>(wParam));
        return 0;
    case kProgressMessage:
        JobProgress(static_cast<int>(wParam));
        return 0;
    case kDoneMessage:
        JobDone(static_cast<UpdateOutcome>(wParam));
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

HWND TVXUpdateForm::AddControl(const wchar_t* className, DWORD style, int id, RECT bounds) noexcept {
    const HWND control = CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, bounds.left, bounds.top,
                                         bounds.right - bounds.left, bounds.bottom - bounds.top, window_,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    if (control && font_) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return control;
}

void TVXUpdateForm::FormCreate() noexcept {
    font_ = MessageFont();
    constexpr int width = kClientWidth - 2 * kMargin;
    StatusLabel = AddControl(L"STATIC", SS_LEFT | SS_NOPREFIX, kStatusLabelId, {kMargin, kMargin, kMargin + width, 62});
    ProgressBar = AddControl(PROGRESS_CLASSW, 0, kProgressBarId, {kMargin, 70, kMargin + width, 88});
    SendMessageW(ProgressBar, PBM_SETRANGE32, 0, 1000);
    constexpr int buttonTop = kClientHeight - kMargin - kButtonHeight;
    constexpr int closeLeft = kClientWidth - kMargin - kButtonWidth;
    CloseButton = AddControl(L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, kCloseButtonId,
                             {closeLeft, buttonTop, closeLeft + kButtonWidth, buttonTop + kButtonHeight});
    constexpr int startLeft = closeLeft - 8 - kButtonWidth;
    StartButton = AddControl(L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, kStartButtonId,
                             {startLeft, buttonTop, startLeft + kButtonWidth, buttonTop + kButtonHeight});
    ShowWindow(StartButton, SW_HIDE);
    SetText(CloseButton, Text(language_, UiText::Cancel));
    SetText(StartButton, Text(language_, UiText::StartProgram));
    SetText(StatusLabel, StepText(language_, UpdateStep::Checking));
}

// Cancel while working (not while the installer runs: stopping it half-way
// would leave a half-installed program); Close afterwards.
void TVXUpdateForm::CloseButtonClick() noexcept {
    if (!working_) {
        DestroyWindow(window_);
        return;
    }
    if (installing_) return;
    cancel_ = true;
    EnableWindow(CloseButton, FALSE);
    SetText(StatusLabel, Text(language_, UiText::Cancelling));
}

void TVXUpdateForm::FormCloseQuery() noexcept {
    if (!working_) {
        DestroyWindow(window_);
        return;
    }
    if (installing_) return;
    closeWhenDone_ = true;
    CloseButtonClick();
}

void TVXUpdateForm::StartButtonClick() noexcept {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::wstring commandLine = L"\"" + programPath_ + L"\"";
    if (CreateProcessW(programPath_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &started)) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
    DestroyWindow(window_);
}

void TVXUpdateForm::JobStep(UpdateStep step) noexcept {
    installing_ = step == UpdateStep::Installing;
    if (installing_) EnableWindow(CloseButton, FALSE);
    if (!cancel_) SetText(StatusLabel, StepText(language_, step));
    if (step == UpdateStep::Installing) SendMessageW(ProgressBar, PBM_SETPOS, 1000, 0);
}

void TVXUpdateForm::JobProgress(int permille) noexcept {
    SendMessageW(ProgressBar, PBM_SETPOS, permille, 0);
}

void TVXUpdateForm::JobDone(UpdateOutcome outcome) noexcept {
    working_ = false;
    installing_ = false;
    if (worker_.joinable()) worker_.join();
    if (closeWhenDone_) {
        DestroyWindow(window_);
        return;
    }
    SetText(CloseButton, Text(language_, UiText::Close));
    EnableWindow(CloseButton, TRUE);
    // The outcome comes last: whoever reads it finds the window ready to close.
    SetText(StatusLabel, OutcomeText(language_, outcome));
    if (outcome == UpdateOutcome::Updated) {
        ShowWindow(StartButton, SW_SHOW);
        SetFocus(StartButton);
    } else {
        // A part-filled bar beside a refusal would look like a paused download.
        SendMessageW(ProgressBar, PBM_SETPOS, 0, 0);
        SetFocus(CloseButton);
    }
}

} // namespace vx::updater
