// The updater's one small window: a heading, a status line, a progress bar
// and Cancel (Close once the work has ended; beside it "Start Velantrix"
// after an update). The work runs on a thread of its own and reports here
// by posted messages, so the window stays responsive and Cancel works.
#pragma once

#include "core/Dpi.h"
#include "core/Handles.h"
#include "updater/UpdateJob.h"
#include "updater/UpdaterTexts.h"

#include <windows.h>

#include <atomic>
#include <thread>

namespace vx::updater {

class TVXUpdateForm {
public:
    TVXUpdateForm(UpdateJobSettings settings, Language language, std::wstring programPath);
    ~TVXUpdateForm();
    TVXUpdateForm(const TVXUpdateForm&) = delete;
    TVXUpdateForm& operator=(const TVXUpdateForm&) = delete;

    bool Create(HINSTANCE instance) noexcept;
    // Starts the work and runs the message loop until the window is closed.
    int Run() noexcept;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void FormCreate() noexcept;
    void CloseButtonClick() noexcept;
    void StartButtonClick() noexcept;
    void FormCloseQuery() noexcept;
    void JobStep(UpdateStep step) noexcept;
    void JobProgress(int permille) noexcept;
    void JobDone(UpdateOutcome outcome) noexcept;
    void FormDpiChanged(int dpi, const RECT& suggested) noexcept;

    struct ControlLine {
        HWND TVXUpdateForm::*control;
        const wchar_t* className;
        DWORD style;
        int id;
        RECT bounds;
    };
    static const ControlLine kLayout[];

    UpdateJobSettings settings_;
    Language language_;
    std::wstring programPath_;
    HWND window_ = nullptr;
    DpiScale scale_;
    HWND StatusLabel = nullptr;
    HWND ProgressBar = nullptr;
    HWND CloseButton = nullptr;
    HWND StartButton = nullptr;
    UniqueFont font_;
    std::atomic<bool> cancel_{false};
    std::thread worker_;
    bool working_ = false;
    bool installing_ = false;
    bool closeWhenDone_ = false;
};

} // namespace vx::updater
