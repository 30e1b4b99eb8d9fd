// The benchmark driver, run under Wine by scripts/bench.sh: start-up time and
// peak working set of the program against a plain window program, the
// registry work of the runs, the caption lookups and one update check.
// Figures are printed and written as JSON; nothing here passes or fails.
//
// Usage: VelantrixBench.exe BUILD PROGRAM MINIMAL BARE JSON_OUT
#include "core/Handles.h"
#include "engine/TweakRuns.h"
#include "tests/support/LoopbackServer.h"
#include "ui/Captions.h"
#include "ui/ProgramWindows.h"
#include "toolkit/Application.h"
#include "update/UpdateCheck.h"

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kStartRuns = 9;
constexpr int kRegistryRuns = 20;
constexpr int kCaptionRuns = 200;
constexpr int kUpdateRuns = 9;
constexpr DWORD kStartBoundMs = 30000;

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / frequency;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Seconds taken by each of `runs` calls, after one call that is not counted.
std::vector<double> TimeEach(int runs, const std::function<void()>& work) {
    work();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        work();
        times.push_back(Now() - start);
    }
    return times;
}

struct StartResult {
    double seconds = -1; // -1: the window never showed
    double peakWorkingSetKb = 0;
};

HWND VisibleWindowOf(const wchar_t* className, DWORD processId) {
    for (HWND window = FindWindowW(className, nullptr); window;
         window = FindWindowExW(nullptr, window, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// Starts the program, waits for its main window to be visible and the process
// idle, reads its peak working set, then closes it and waits for its end.
StartResult StartOnce(const std::wstring& program, const wchar_t* className) {
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    StartResult result;
    const double start = Now();
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return result;
    vx::UniqueKernelHandle process(info.hProcess);
    vx::UniqueKernelHandle thread(info.hThread);
    HWND window = nullptr;
    while (!window && Now() - start < kStartBoundMs / 1000.0) {
        WaitForInputIdle(info.hProcess, 50);
        window = VisibleWindowOf(className, info.dwProcessId);
        if (!window) Sleep(1);
    }
    if (window) {
        WaitForInputIdle(info.hProcess, kStartBoundMs);
        result.seconds = Now() - start;
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (GetProcessMemoryInfo(info.hProcess, &counters, sizeof counters))
            result.peakWorkingSetKb = static_cast<double>(counters.PeakWorkingSetSize) / 1024.0;
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 10000);
    }
    return result;
}

struct StartFigures {
    double programMs = 0;
    double minimalMs = 0;
    double bareMs = 0; // the program's windows and controls alone
    double programPeakKb = 0;
    double minimalPeakKb = 0;
    double barePeakKb = 0;
    int failures = 0;
};

struct Yardsticks {
    std::wstring minimal; // one plain window
    std::wstring bare;    // the program's windows, bare
};

double Peak(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

// The three programs in turn, after one warm-up start of each.
StartFigures MeasureStarts(const std::wstring& program, const Yardsticks& yardsticks) {
    constexpr wchar_t kProgramClass[] = L"TVXMainForm";
    constexpr wchar_t kMinimalClass[] = L"VxMinimalWindow";
    constexpr wchar_t kBareClass[] = L"VxBareWindows";
    StartOnce(program, kProgramClass);
    StartOnce(yardsticks.minimal, kMinimalClass);
    StartOnce(yardsticks.bare, kBareClass);
    std::vector<double> programTimes, minimalTimes, bareTimes, programPeaks, minimalPeaks, barePeaks;
    StartFigures figures;
    for (int i = 0; i < kStartRuns; ++i) {
        const StartResult ours = StartOnce(program, kProgramClass);
        const StartResult plain = StartOnce(yardsticks.minimal, kMinimalClass);
        const StartResult bare = StartOnce(yardsticks.bare, kBareClass);
        if (ours.seconds < 0 || plain.seconds < 0 || bare.seconds < 0) {
            ++figures.failures;
            continue;
        }
        programTimes.push_back(ours.seconds * 1000);
        minimalTimes.push_back(plain.seconds * 1000);
        bareTimes.push_back(bare.seconds * 1000);
        programPeaks.push_back(ours.peakWorkingSetKb);
        minimalPeaks.push_back(plain.peakWorkingSetKb);
        barePeaks.push_back(bare.peakWorkingSetKb);
    }
    figures.programMs = Median(programTimes);
    figures.minimalMs = Median(minimalTimes);
    figures.bareMs = Median(bareTimes);
    figures.programPeakKb = Peak(programPeaks);
    figures.minimalPeakKb = Peak(minimalPeaks);
    figures.barePeakKb = Peak(barePeaks);
    return figures;
}

// The registry work of a run without its progress steps, alternately.
void MeasureRegistry(double& optimiseUs, double& restoreUs) {
    const vx::OptimiseChoices choices{5, 7, 0, 1};
    std::vector<double> optimise, restore;
    vx::RunRestore(choices.versionCode, choices.internetType);
    for (int i = 0; i < kRegistryRuns; ++i) {
        double start = Now();
        vx::RunOptimise(choices);
        optimise.push_back((Now() - start) * 1e6);
        start = Now();
        vx::RunRestore(choices.versionCode, choices.internetType);
        restore.push_back((Now() - start) * 1e6);
    }
    optimiseUs = Median(optimise);
    restoreUs = Median(restore);
}

void MeasureCaptions(double& getCaptionUs, double& applyCaptionsUs) {
    getCaptionUs = Median(TimeEach(kCaptionRuns, [] { vx::ui::GetCaption(L"VXMainForm", L"GoButton"); })) * 1e6;
    vx::ui::ProgramWindows windows;
    windows.Create();
    vx::ui::ProcessMessages();
    applyCaptionsUs = Median(TimeEach(kCaptionRuns, [&] { vx::ui::ApplyCaptions(windows.main); })) * 1e6;
}

double MeasureUpdateCheckMs() {
    vx::test::LoopbackServer server(vx::test::Answer(vx::test::Response("200 OK", "TOLVEN|0")));
    vx::UpdateCheckOptions options;
    options.host = L"127.0.0.1";
    options.port = server.Port();
    return Median(TimeEach(kUpdateRuns, [&] { vx::CheckForUpdate(options); })) * 1000;
}

struct Figures {
    StartFigures start;
    double optimiseUs = 0, restoreUs = 0, getCaptionUs = 0, applyCaptionsUs = 0, updateMs = 0;
};

void PrintTable(const std::string& build, const Figures& f) {
    std::printf("| %s build | Velantrix | plain window | ratio |\n|---|---|---|---|\n", build.c_str());
    std::printf("| start-up, median of %d (ms) | %.0f | %.0f | %.2f |\n", kStartRuns, f.start.programMs,
                f.start.minimalMs, f.start.programMs / f.start.minimalMs);
    std::printf("| peak working set (KiB) | %.0f | %.0f | %.2f |\n", f.start.programPeakKb, f.start.minimalPeakKb,
                f.start.programPeakKb / f.start.minimalPeakKb);
    std::printf("| start-up of its windows alone, bare (ms) | %.0f | %.0f | %.2f |\n", f.start.bareMs,
                f.start.minimalMs, f.start.bareMs / f.start.minimalMs);
    std::printf("| peak working set of those (KiB) | %.0f | %.0f | %.2f |\n", f.start.barePeakKb, f.start.minimalPeakKb,
                f.start.barePeakKb / f.start.minimalPeakKb);
    std::printf("| optimise registry work, median of %d (us) | %.0f | | |\n", kRegistryRuns, f.optimiseUs);
    std::printf("| restore registry work, median of %d (us) | %.0f | | |\n", kRegistryRuns, f.restoreUs);
    std::printf("| GetCaption of one text (us) | %.1f | | |\n", f.getCaptionUs);
    std::printf("| ApplyCaptions on the main window (us) | %.1f | | |\n", f.applyCaptionsUs);
    std::printf("| update check against loopback (ms) | %.2f | | |\n", f.updateMs);
    if (f.start.failures) std::printf("(%d start-up pairs did not show a window and are left out)\n", f.start.failures);
    std::fflush(stdout);
}

bool WriteJson(const std::wstring& path, const std::string& build, const Figures& f) {
    FILE* file = _wfopen(path.c_str(), L"w");
    if (!file) return false;
    std::fprintf(file,
                 "{\"build\": \"%s\", \"startup_runs\": %d, \"startup_ms\": %.1f, \"minimal_startup_ms\": %.1f, "
                 "\"startup_ratio\": %.3f, \"peak_working_set_kb\": %.0f, \"minimal_peak_working_set_kb\": %.0f, "
                 "\"peak_working_set_ratio\": %.3f, \"bare_windows_startup_ms\": %.1f, "
                 "\"bare_windows_startup_ratio\": %.3f, \"bare_windows_peak_working_set_kb\": %.0f, "
                 "\"failed_starts\": %d, \"optimise_registry_us\": %.0f, "
                 "\"restore_registry_us\": %.0f, \"get_caption_us\": %.2f, \"apply_captions_us\": %.2f, "
                 "\"update_check_ms\": %.3f}\n",
                 build.c_str(), kStartRuns, f.start.programMs, f.start.minimalMs, f.start.programMs / f.start.minimalMs,
                 f.start.programPeakKb, f.start.minimalPeakKb, f.start.programPeakKb / f.start.minimalPeakKb,
                 f.start.bareMs, f.start.bareMs / f.start.minimalMs, f.start.barePeakKb, f.start.failures, f.optimiseUs,
                 f.restoreUs, f.getCaptionUs, f.applyCaptionsUs, f.updateMs);
    return std::fclose(file) == 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: VelantrixBench.exe BUILD PROGRAM MINIMAL BARE JSON_OUT\n");
        return 2;
    }
    const std::wstring wideBuild = argv[1];
    const std::string build(wideBuild.begin(), wideBuild.end());
    Figures figures;
    figures.start = MeasureStarts(argv[2], Yardsticks{argv[3], argv[4]});
    MeasureRegistry(figures.optimiseUs, figures.restoreUs);
    MeasureCaptions(figures.getCaptionUs, figures.applyCaptionsUs);
    figures.updateMs = MeasureUpdateCheckMs();
    PrintTable(build, figures);
    if (!WriteJson(argv[5], build, figures)) {
        std::fprintf(stderr, "VelantrixBench: could not write the figures\n");
        return 1;
    }
    return figures.start.failures == kStartRuns ? 1 : 0;
}
