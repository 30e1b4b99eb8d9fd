// Libraries of the Windows system folder, and nothing else.
//
// The program always runs with administrator rights, and people start it from
// folders that anyone can drop a file into (Downloads, a shared folder). Windows
// looks for a library that is not one of its "known DLLs" in the program's own
// folder first, so any such library the program loads by its bare name, or that
// Windows loads on its behalf, could be a planted copy that then runs elevated.
// So the program imports only known libraries, restricts every later load to the
// system folder as its first step, and takes every other library through
// SystemLibrary: from the system folder, by full path, on first use.
#pragma once

#include "core/Handles.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <utility>

namespace vx {

// What RestrictLibrarySearch could do on this system.
enum class LibrarySearch {
    SystemFolderOnly,   // every later load by bare name searches the system folder alone
    NoCurrentDirectory, // older systems: the current directory is no longer searched
    Unchanged,          // Windows 2000 and early XP: nothing can be restricted
};

// Restricts the libraries that this process, and Windows on its behalf, load
// later by bare name (themes, shell extensions, codecs) to the system folder.
// Called first thing in every program; the calls it needs are looked up at run
// time, as Windows 2000 and XP lack them.
LibrarySearch RestrictLibrarySearch() noexcept;

// Loads, from the system folder and for the rest of the process, the libraries
// that Windows' own components load later by bare name for the program without
// always keeping to the restricted search (the visual styles, and the blending
// that the common controls use). A library already loaded is found by its name,
// so those later loads get the system copy. Called right after
// RestrictLibrarySearch, before the common controls are loaded.
void LoadLibrariesWindowsLoadsByName() noexcept;

// Whether this Windows can limit one load to the system folder
// (LOAD_LIBRARY_SEARCH_SYSTEM32; Windows 8, and Vista and 7 with their update).
bool SystemFolderSearchAvailable() noexcept;

// The full path of the file in the Windows system folder, or empty when the
// folder is unknown or the name is not a bare file name.
std::wstring SystemLibraryPath(const std::wstring& fileName);

// Whether the text is a file name alone: no folder, drive or stream.
bool IsBareFileName(const std::wstring& fileName) noexcept;

// A function pointer from an exported address, of the caller's function type.
template <typename Function> Function FunctionCast(FARPROC address) noexcept {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

// One library, loaded on first use and kept until the object ends (for the
// program's own instances: the end of the process). A failed load is tried
// again at the next use; it never falls back to another folder or the bare
// name. Safe to use from more than one thread.
class SystemLibrary {
public:
    // The library of that file name in the Windows system folder. The folder
    // is for the tests alone: a library elsewhere, loaded by its full path.
    explicit SystemLibrary(std::wstring fileName, std::wstring folder = {}) noexcept
        : fileName_(std::move(fileName)), folder_(std::move(folder)) {}
    ~SystemLibrary();
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    // The loaded library, loading it now if need be; null when it cannot be loaded.
    HMODULE Module() noexcept;

    // An exported function, by name or by ordinal; null when the library or the
    // export is missing.
    template <typename Function> Function Find(const char* name) noexcept {
        const HMODULE module = Module();
        return module ? FunctionCast<Function>(GetProcAddress(module, name)) : nullptr;
    }
    template <typename Function> Function Find(WORD ordinal) noexcept {
        return Find<Function>(reinterpret_cast<const char*>(static_cast<ULONG_PTR>(ordinal)));
    }

    HMODULE Loaded() const noexcept { return module_.load(); } // without loading
    int Loads() const noexcept { return loads_; }              // successful loads, at most one
    int Attempts() const noexcept { return attempts_; }        // loads tried

private:
    HMODULE Load() const noexcept;

    std::wstring fileName_;
    std::wstring folder_;
    std::atomic<HMODULE> module_{nullptr};
    std::atomic<int> loads_{0};
    std::atomic<int> attempts_{0};
};

} // namespace vx
