#include "updater/UpdaterForm.h"

#include "core/Dpi.h"

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
constexpr int kButtonGap = 8;
constexpr int kButtonTop = kClientHeight - kMargin - kButtonHeight;
constexpr int kCloseLeft = kClientWidth - kMargin - kButtonWidth;
constexpr int kStartLeft = kCloseLeft - kButtonGap - kButtonWidth;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// Where the layout puts a control, in pixels at 96 dpi.
RECT Scaled(const RECT& layout, DpiScale scale) noexcept {
    return RECT{scale(layout.left), scale(layout.top), scale(layout.right), scale(layout.bottom)};
}

SIZE FrameSize(DpiScale scale) noexcept {
    RECT frame{0, 0, scale(kClientWidth), scale(kClientHeight)};
    AdjustWindowRectForDpi(frame, kStyle, 0, scale.Dpi());
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

UniqueFont MessageFont(int dpi) noexcept {
    NONCLIENTMETRICSW metrics{};
    if (!NonClientMetricsForDpi(metrics, dpi)) return {};
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
    // Made at the system's dpi; laid out again at its monitor's once it exists.
    scale_ = DpiScale(SystemDpi());
    const SIZE frame = FrameSize(scale_);
    const std::wstring title(Text(language_, UiText::Title));
    window_ = CreateWindowExW(
        0, kUpdaterFormClass, title.c_str(), kStyle, (GetSystemMetrics(SM_CXSCREEN) - frame.cx) / 2,
        (GetSystemMetrics(SM_CYSCREEN) - frame.cy) / 2, frame.cx, frame.cy, nullptr, nullptr, instance, this);
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
    case WM_DPICHANGED:
        if (lParam) FormDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
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

// The layout: one control per line, in 96-dpi pixels of the client area.
// clang-format off
const TVXUpdateForm::ControlLine TVXUpdateForm::kLayout[] = {
    //                              class             style                          id               left, top, right, bottom
    {&TVXUpdateForm::StatusLabel, L"STATIC",        SS_LEFT | SS_NOPREFIX,          kStatusLabelId, {kMargin, kMargin, kClientWidth - kMargin, 62}},
    {&TVXUpdateForm::ProgressBar, PROGRESS_CLASSW,  0,                              kProgressBarId, {kMargin, 70, kClientWidth - kMargin, 88}},
    {&TVXUpdateForm::CloseButton, L"BUTTON",        BS_PUSHBUTTON | WS_TABSTOP,     kCloseButtonId, {kCloseLeft, kButtonTop, kCloseLeft + kButtonWidth, kButtonTop + kButtonHeight}},
    {&TVXUpdateForm::StartButton, L"BUTTON",        BS_DEFPUSHBUTTON | WS_TABSTOP,  kStartButtonId, {kStartLeft, kButtonTop, kStartLeft + kButtonWidth, kButtonTop + kButtonHeight}},
};
// clang-format on

void TVXUpdateForm::FormCreate() noexcept {
    scale_ = DpiScale(WindowDpi(window_));
    font_ = MessageFont(scale_.Dpi());
    for (const ControlLine& line : kLayout) {
        const RECT place = Scaled(line.bounds, scale_);
        this->*line.control = CreateWindowExW(0, line.className, L"", WS_CHILD | WS_VISIBLE | line.style, place.left,
                                              place.top, place.right - place.left, place.bottom - place.top, window_,
                                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(line.id)), nullptr, nullptr);
        if (this->*line.control && font_)
            SendMessageW(this->*line.control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
    SendMessageW(ProgressBar, PBM_SETRANGE32, 0, 1000);
    ShowWindow(StartButton, SW_HIDE);
    SetText(CloseButton, Text(language_, UiText::Cancel));
    SetText(StartButton, Text(language_, UiText::StartProgram));
    SetText(StatusLabel, StepText(language_, UpdateStep::Checking));
    if (scale_.Dpi() == SystemDpi()) return;
    const SIZE frame = FrameSize(scale_);
    SetWindowPos(window_, nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// On a monitor of another scale: the controls, their font and the window's
// size at that scale, in the place Windows suggests; texts and states stay.
void TVXUpdateForm::FormDpiChanged(int dpi, const RECT& suggested) noexcept {
    scale_ = DpiScale(dpi);
    UniqueFont font = MessageFont(dpi);
    for (const ControlLine& line : kLayout) {
        const HWND control = this->*line.control;
        const RECT place = Scaled(line.bounds, scale_);
        SetWindowPos(control, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        if (font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    if (font) font_ = std::move(font);
    const SIZE frame = FrameSize(scale_);
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, frame.cx, frame.cy, SWP_NOZORDER | SWP_NOACTIVATE);
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
